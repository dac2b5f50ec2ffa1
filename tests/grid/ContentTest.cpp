#include "GridTestUtil.h"

#include "platform/CodePage.h"

using namespace grid;
using namespace gridtest;

TEST(GridFiles, ShortFileGivesTheDefaultTable)
{
    CRealGrid g;
    GridSpy rec;
    g.SetObserver(&rec);
    std::vector<std::uint8_t> file{'G', 'R', 'I', 'D'};
    ASSERT_TRUE(g.LoadFrom(file));
    EXPECT_EQ(g.RowCount(), 6);
    EXPECT_EQ(g.GetCell(3, 3).pens[0], 2u);
    EXPECT_EQ(rec.log(), (std::vector<std::pair<GridMessage, bool>>{{GridMessage::DimChanged, true},
                                                                 {GridMessage::SelChanged, true}}));
    ASSERT_TRUE(g.LoadFrom({}));
    EXPECT_EQ(g.ColumnCount(), 6);
}

TEST(GridFiles, SavingReplacesTheWholeFile)
{
    auto big = DefaultGrid();
    big->InsertRows(6, 20);
    std::vector<std::uint8_t> file;
    big->SaveTo(file);
    EXPECT_TRUE(big->storeTypeNames && big->storeEditors && big->storeValidation);
    const std::size_t longSize = file.size();
    auto small = DefaultGrid();
    small->SaveTo(file);
    std::vector<std::uint8_t> fresh;
    small->SaveTo(fresh);
    EXPECT_LT(file.size(), longSize);
    EXPECT_EQ(file, fresh);
}

TEST(Clipboard, CopyGivesTabsAndLines)
{
    auto g = DefaultGrid();
    g->SetCellText(1, 1, u"a", false);
    g->SetCellText(3, 1, u"中文", false);
    EXPECT_EQ(g->RangeAsText(1, 1, 4, 3), u"a\t\t中文\r\n\r\n");
    g->SetCellText(4, 1, u"x", false);
    g->SetCellText(5, 1, u"", false);
    EXPECT_EQ(g->RangeAsText(1, 1, 6, 2), u"a\t\t中文\tx\r\n");   // trailing tabs go
    Type(*g, 2, 1, u"=2*3");
    EXPECT_EQ(g->RangeAsText(1, 2, 2, 3), u"6\r\n");   // formula cells give their result
    CellAttributes a = g->GetCell(2, 3).attr;
    a.formatter = FindFormator("Percent");
    g->SetCellAttributes(2, 3, a);
    g->SetCellText(2, 3, u"0.5", false);
    EXPECT_EQ(g->RangeAsText(2, 3, 3, 4), u"0.5\r\n");   // no formatting
    EXPECT_EQ(g->GetFormattedText(2, 3), u"50%");          // as it is shown

    g->MergeRange({1, 4, 3, 6});
    g->SetCellText(1, 4, u"M", false);
    g->SetCellText(2, 5, u"hidden", false);
    EXPECT_EQ(g->RangeAsText(1, 4, 4, 6), u"M\r\n\r\n");
    g->SetCellText(3, 5, u"z", false);
    EXPECT_EQ(g->RangeAsText(1, 4, 4, 6), u"M\r\n\t\tz\r\n");

    EXPECT_EQ(g->RangeAsText(1, 1, 2, 7), u"");   // past the end
    EXPECT_EQ(g->RangeAsText(1, 2, 2, 1), u"");   // reversed
    FakeClipboard clip;
    g->CopyRangeAsText(1, 1, 2, 2, clip);
    EXPECT_EQ(clip.unicode, u"a\r\n");
    FakeClipboard closed;
    closed.canOpen = false;
    g->CopyRangeAsText(1, 1, 2, 2, closed);
    EXPECT_FALSE(closed.hasUnicode);
}

TEST(Clipboard, PasteWalksFieldsAndLines)
{
    auto g = DefaultGrid();
    GridSpy rec;
    g->SetObserver(&rec);
    FakeClipboard clip;
    clip.hasUnicode = true;
    clip.unicode = u"1\t2\t3\r\n4\t5\t6\r\n";
    g->PasteText(5, 1, clip);   // the last column: only the first field of each line
    EXPECT_EQ(Text(*g, 1, 5), "1");
    EXPECT_EQ(Text(*g, 2, 5), "4");
    EXPECT_EQ(Text(*g, 3, 5), "");
    EXPECT_EQ(rec.Count(GridMessage::CellChanged), 1);

    clip.unicode = u"a\tb\nc\rd\r\n中文";   // every line ending, every character kept
    g->PasteText(1, 2, clip);
    EXPECT_EQ(g->GetCellText(1, 2), u"a");
    EXPECT_EQ(g->GetCellText(2, 2), u"b");
    EXPECT_EQ(g->GetCellText(1, 3), u"c");
    EXPECT_EQ(g->GetCellText(1, 4), u"d");
    EXPECT_EQ(g->GetCellText(1, 5), u"中文");

    clip.unicode = u"x\r\ny\r\nz\r\nw";   // the row past the grid ends the walk
    g->PasteText(2, 4, clip);
    EXPECT_EQ(Text(*g, 4, 2), "x");
    EXPECT_EQ(Text(*g, 5, 2), "y");
}

TEST(Clipboard, PasteKeepsFormulasHeadersAndBlocks)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"2");
    Type(*g, 1, 2, u"=A1*10");
    g->MergeRange({3, 1, 5, 2});
    FakeClipboard clip;
    clip.hasUnicode = true;
    clip.unicode = u"hdr\n7\t8\t=1+2\t9\t10";
    g->PasteText(1, 0, clip);
    EXPECT_EQ(Text(*g, 0, 1), "");        // header cells are "Readonly"
    EXPECT_EQ(Text(*g, 1, 1), "7");
    EXPECT_EQ(Shown(*g, 1, 2), "=A1*10"); // formula cell unchanged...
    EXPECT_EQ(Text(*g, 1, 2), "70");      // ...and recomputed from the pasted A1
    EXPECT_EQ(Text(*g, 1, 3), "=1+2");    // pasted text is plain
    EXPECT_EQ(g->GetCell(3, 1).formula, nullptr);
    EXPECT_EQ(Text(*g, 1, 4), "");        // covered
    EXPECT_EQ(Text(*g, 1, 5), "10");
}

TEST(Clipboard, PasteTakesUnicodeFirstElseAnsi)
{
    auto g = DefaultGrid();
    GridSpy rec;
    g->SetObserver(&rec);
    FakeClipboard clip;
    clip.hasUnicode = true;
    clip.unicode = u"ü";
    clip.hasAnsi = true;
    clip.ansi = "wrong";
    g->PasteText(1, 1, clip);
    EXPECT_EQ(g->GetCellText(1, 1), u"ü");
    clip.hasUnicode = false;
    platform::setAnsiCodePage(936);
    clip.ansi = "\xD6\xD0\xCE\xC4";   // "中文" in GBK
    g->PasteText(1, 1, clip);
    EXPECT_EQ(g->GetCellText(1, 1), u"中文");
    platform::setAnsiCodePage(1252);
    clip.ansi = "caf\xE9";
    g->PasteText(1, 1, clip);
    EXPECT_EQ(g->GetCellText(1, 1), u"café");
    const auto notes = rec.log().size();
    clip.hasAnsi = false;
    g->PasteText(1, 1, clip);   // nothing on the clipboard: nothing changes
    clip.hasAnsi = true;
    clip.canOpen = false;
    g->PasteText(1, 1, clip);
    g->PasteText(1, 9, clip);
    EXPECT_EQ(rec.log().size(), notes);
    EXPECT_EQ(g->GetCellText(1, 1), u"café");
}

TEST(Clipboard, ClearRangeSkipsHeadersAndFormulas)
{
    auto g = DefaultGrid();
    GridSpy rec;
    g->SetObserver(&rec);
    Type(*g, 1, 1, u"4");
    Type(*g, 1, 2, u"=A1+1");
    g->SetCellText(1, 0, u"head", false);
    g->ClearRange(0, 0, 3, 2);
    EXPECT_EQ(Text(*g, 1, 1), "");
    EXPECT_EQ(Text(*g, 1, 2), "1");   // kept, and recomputed
    EXPECT_EQ(Text(*g, 0, 1), "head");
    EXPECT_EQ(rec.log().back().first, GridMessage::CellChanged);
    const auto notes = rec.log().size();
    g->ClearRange(0, 0, 3, 7);   // invalid: nothing
    EXPECT_EQ(rec.log().size(), notes);
}

TEST(Clipboard, PastedAndClearedTextsAreValidated)
{
    auto g = DefaultGrid();
    GridSpy rec;
    g->SetObserver(&rec);
    g->SetCellValidator(1, 1, FindValidator("Int0_100"));
    g->SetCellValidator(2, 1, FindValidator("Int0_100"));
    FakeClipboard clip;
    clip.hasUnicode = true;
    clip.unicode = u"abc\t101";
    g->PasteText(1, 1, clip);
    EXPECT_EQ(g->GetCell(1, 1).message, u"不是一个整数。");
    EXPECT_EQ(g->GetCell(2, 1).message, u"必须是[0, 100]上的整数。");
    clip.unicode = u"50";
    g->PasteText(1, 1, clip);   // a good value takes the old message away
    EXPECT_EQ(g->GetCell(1, 1).message, u"");
    EXPECT_EQ(g->GetCell(2, 1).message, u"必须是[0, 100]上的整数。");
    g->SetCellValidator(3, 1, FindValidator("Int0_100"));
    g->SetCellText(3, 1, u"stale", false);
    ASSERT_FALSE(g->GetCell(3, 1).message.empty());
    g->ClearRange(2, 1, 4, 2);   // an empty text passes
    EXPECT_EQ(g->GetCell(2, 1).message, u"");
    EXPECT_EQ(g->GetCell(3, 1).message, u"");
    EXPECT_EQ(rec.Count(GridMessage::CellChanged), 3);   // one per operation, none per cell
}
