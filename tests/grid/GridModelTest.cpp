#include "GridTestUtil.h"

#include "grid/Registry.h"

using namespace grid;
using namespace gridtest;

namespace {

// Every cell holds one font and four pen references (and one for a fifth or
// sixth pen when set); the default records keep one more from their creation.
void ExpectReferencesBalanced(const CRealGrid& g)
{
    std::map<std::uint32_t, std::uint32_t> fonts, pens;
    for (int r = 0; r < g.RowCount(); ++r)
        for (int c = 0; c < g.ColumnCount(); ++c) {
            const Cell& cell = g.GetCell(c, r);
            ++fonts[cell.font];
            for (auto p : cell.pens)
                ++pens[p];
            if (cell.pen5)
                ++pens[cell.pen5];
            if (cell.pen6)
                ++pens[cell.pen6];
        }
    for (auto& [id, rec] : g.Fonts())
        EXPECT_EQ(rec.refCount, fonts[id] + (id == 0 ? 1 : 0)) << "font " << id;
    for (auto& [id, rec] : g.Pens())
        EXPECT_EQ(rec.refCount, pens[id] + (id <= 2 ? 1 : 0)) << "pen " << id;
    for (auto& [id, n] : pens)
        EXPECT_TRUE(g.FindPen(id) != nullptr || n == 0) << "pen " << id << " used but missing";
}

}   // namespace

TEST(GridModel, DefaultTable)
{
    auto g = DefaultGrid();
    ASSERT_EQ(g->RowCount(), 6);
    ASSERT_EQ(g->ColumnCount(), 6);
    EXPECT_EQ(g->FixedRows(), 1);
    EXPECT_EQ(g->FixedCols(), 1);
    EXPECT_EQ(g->TopRow(), 1);
    EXPECT_EQ(g->LeftCol(), 1);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(g->ColumnWidth(i), 60);
        EXPECT_EQ(g->RowHeight(i), 24);
    }
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c) {
            const Cell& cell = g->GetCell(c, r);
            const bool header = r == 0 || c == 0;
            EXPECT_EQ(cell.pens[0], header ? 1u : 2u);
            EXPECT_EQ(cell.pens[3], header ? 1u : 2u);
            EXPECT_EQ(cell.attr.type, header ? ReadonlyType() : EditType());
            EXPECT_EQ(cell.attr.textColour, header ? 0u : 0xFFFFFFu);
            EXPECT_EQ(cell.attr.background, header ? kButtonFaceColour : 0u);
            EXPECT_EQ(cell.attr.alignment, DT_CENTER);
            EXPECT_EQ(cell.attr.formatter, SameFormator());
            EXPECT_EQ(cell.validator, PassAlwaysValidator());
            EXPECT_EQ(cell.mergeCol, c + 1);
            EXPECT_EQ(cell.mergeRow, r + 1);
            EXPECT_EQ(cell.sharedEdges, 1u);
            EXPECT_EQ(cell.font, 0u);
        }
    EXPECT_EQ(g->FindPen(2)->refCount, 101u);
    EXPECT_EQ(g->FindPen(1)->refCount, 45u);
    EXPECT_EQ(g->FindPen(0)->refCount, 1u);   // the data cells gave theirs back
    EXPECT_EQ(g->FindFont(0)->refCount, 37u);
    EXPECT_EQ(g->FindFont(0)->font, DefaultLogFont());
    EXPECT_EQ(LogFontFaceName(g->FindFont(0)->font), u"宋体");
    ExpectReferencesBalanced(*g);
}

TEST(GridModel, ResetGivesDataCellsTheGridLinePen)
{
    CRealGrid g;
    g.ResetToDefault();
    EXPECT_EQ(g.GetCell(2, 2).pens, (std::array<std::uint32_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(g.FindPen(0)->refCount, 101u);
    EXPECT_EQ(g.FindPen(0)->style, PS_NULL);
    EXPECT_EQ(g.FindPen(1)->colour, 0xC0C0C0u);
    EXPECT_EQ(g.FindPen(2)->colour, 0x00FFFFu);
    EXPECT_EQ(g.FindPen(2)->refCount, 1u);   // only its own creation
    EXPECT_FALSE(g.GridLinesShown());
    g.ShowGridLines(true);
    EXPECT_TRUE(g.GridLinesShown());
    EXPECT_EQ(g.FindPen(0)->colour, 0xC0C0C0u);
    EXPECT_EQ(g.FindPen(0)->refCount, 101u);
}

TEST(GridModel, FontsAndPensShareRecords)
{
    CRealGrid g;
    LOGFONT f = DefaultLogFont();
    f.lfWeight = 700;
    EXPECT_EQ(g.AddFont(f), 0u);
    EXPECT_EQ(g.AddFont(f), 0u);
    EXPECT_EQ(g.FindFont(0)->refCount, 2u);
    LOGFONT other = f;
    other.lfFaceName[20] = u'x';   // differs only after the terminator: bytewise different
    EXPECT_EQ(g.AddFont(other), 1u);
    g.ReleaseFont(0);
    g.ReleaseFont(0);
    EXPECT_EQ(g.FindFont(0), nullptr);
    EXPECT_EQ(g.AddFont(f), 2u);

    EXPECT_EQ(g.AddPen(PS_NULL, 0, 0), 0u);   // empty map: a real record
    EXPECT_EQ(g.AddPen(PS_SOLID, 1, 0xFF), 1u);
    EXPECT_EQ(g.AddPen(PS_SOLID, 1, 0xFF), 1u);
    EXPECT_EQ(g.FindPen(1)->refCount, 2u);
    // Any other "no line" request is the grid-line pen, with a reference.
    EXPECT_EQ(g.AddPen(PS_NULL, 3, 0xFF), 0u);
    EXPECT_EQ(g.FindPen(0)->refCount, 2u);
    g.ReleasePen(7);   // unknown ids are ignored
    EXPECT_EQ(g.Pens().size(), 2u);
}

TEST(GridModel, FormattersAndValidators)
{
    EXPECT_EQ(FormatForDisplay(FindFormator("Percent"), u"0.5"), u"50%");
    EXPECT_EQ(FormatForDisplay(FindFormator("Percent"), u"abc"), u"0%");
    EXPECT_EQ(FormatForDisplay(FindFormator("RMB"), u"12.5"), u"￥12.5");
    EXPECT_EQ(FormatForDisplay(FindFormator("Same"), u"12.5"), u"12.5");
    EXPECT_EQ(FindFormator("same"), nullptr);
    EXPECT_EQ(FindCellType("Edit")->createsEditor, true);
    EXPECT_EQ(FindCellType("Readonly")->createsEditor, false);

    auto check = [](const char* name, const std::u16string& text) {
        std::u16string msg;
        RunValidator(FindValidator(name), text, msg);
        return msg;
    };
    EXPECT_EQ(check("Int0_100", u"abc"), u"不是一个整数。");
    EXPECT_EQ(check("Int0_100", u"1.5"), u"不是一个整数。");
    EXPECT_EQ(check("Int0_100", u"101"), u"必须是[0, 100]上的整数。");
    EXPECT_EQ(check("Int0_100", u"-1"), u"必须是[0, 100]上的整数。");
    EXPECT_EQ(check("Int0_100", u""), u"");
    EXPECT_EQ(check("Int0_100", u"100"), u"");
    EXPECT_EQ(check("Dbl0_1", u"1.5"), u"必须是[0, 1]上的实数。");
    EXPECT_EQ(check("Dbl0_1", u"0.5x"), u"不是一个实数。");
    EXPECT_EQ(check("Dbl0_1", u"0.25"), u"");
    EXPECT_EQ(check("PassAlways", u"anything"), u"");
}

TEST(GridModel, CellTextAndValidatorOnCommit)
{
    auto g = DefaultGrid();
    GridSpy rec;
    g->SetObserver(&rec);
    g->SetCellValidator(2, 2, FindValidator("Int0_100"));
    g->SetCellText(2, 2, u"abc", true);
    EXPECT_EQ(g->GetCell(2, 2).message, u"不是一个整数。");
    EXPECT_EQ(rec.Count(GridMessage::CellChanged), 1);
    g->SetCellText(2, 2, u"50", false);
    EXPECT_EQ(g->GetCell(2, 2).message, u"");
    EXPECT_EQ(rec.Count(GridMessage::CellChanged), 1);
    EXPECT_EQ(g->GetCellText(99, 99), u"");
}

TEST(GridModel, TypedTextIsValidatedUnlessACycleWasReported)
{
    auto g = DefaultGrid();
    g->SetCellValidator(2, 1, FindValidator("Int0_100"));   // B1
    Type(*g, 1, 2, u"abc");
    EXPECT_EQ(g->GetCell(2, 1).message, u"不是一个整数。");
    Type(*g, 1, 2, u"42");
    EXPECT_EQ(g->GetCell(2, 1).message, u"");
    Type(*g, 1, 1, u"=B1*10");   // A1
    Type(*g, 1, 2, u"=A1");      // closes a cycle: its message wins over the validator's
    EXPECT_EQ(g->GetCell(2, 1).message, u"单元格公式存在依赖环。");
    Type(*g, 1, 1, u"500");
    Type(*g, 1, 2, u"=A1/2");    // formula results are validated too
    EXPECT_EQ(Text(*g, 1, 2), "250");
    EXPECT_EQ(g->GetCell(2, 1).message, u"必须是[0, 100]上的整数。");
}

TEST(GridModel, CopyCellMovesEditorAndKeepsReferencesBalanced)
{
    auto g = DefaultGrid();
    FakeFactory factory;
    g->SetEditorFactory(&factory);
    Type(*g, 1, 1, u"=1+1");
    BorderSpec fifth{};
    fifth.items[6] = {PS_SOLID, 3, 0x123456, 1};
    g->SetRangeBorders(1, 1, 1, 1, fifth, false);
    const Cell& src = g->GetCell(1, 1);
    ASSERT_NE(src.pen5, 0u);
    ASSERT_NE(g->CreateCellEditor(1, 1), nullptr);
    const Cell& dst = g->GetCell(2, 2);
    g->CopyCell(2, 2, 1, 1);
    EXPECT_EQ(dst.text, u"2");
    EXPECT_EQ(dst.formula, nullptr);
    EXPECT_EQ(dst.pen5, 0u);
    EXPECT_NE(dst.editor, nullptr);
    EXPECT_EQ(src.editor, nullptr);
    ExpectReferencesBalanced(*g);
}

TEST(GridModel, EditorsFollowTypeAndAlignment)
{
    auto g = DefaultGrid();
    FakeFactory factory;
    g->SetEditorFactory(&factory);
    EXPECT_EQ(g->CreateCellEditor(1, 0), nullptr);   // header: "Readonly"
    CellAttributes right = g->GetCell(3, 2).attr;
    right.alignment = DT_RIGHT;
    g->SetCellAttributes(3, 2, right);
    Type(*g, 2, 3, u"=2*3");
    ASSERT_NE(g->CreateCellEditor(3, 2), nullptr);
    ASSERT_EQ(factory.requests.size(), 1u);
    const EditorRequest& req = factory.requests[0];
    EXPECT_EQ(req.style, 0x50000000u | ES_RIGHT | 0x1044u);
    EXPECT_EQ(req.controlId, 3 + 2 * 6);
    EXPECT_EQ(req.text, u"=2*3");
    EXPECT_EQ(g->CreateCellEditor(3, 2), factory.last);   // one editor per cell

    GridSpy rec;
    g->SetObserver(&rec);
    g->SetCurrentCell(3, 2);
    factory.last->text = u"=2*3";   // unchanged: nothing happens
    g->CommitEditorText(3, 2);
    EXPECT_EQ(rec.log().size(), 0u);
    factory.last->text = u"=2*4";
    g->EndEdit(3, 2);
    EXPECT_EQ(Text(*g, 2, 3), "8");
    EXPECT_EQ(g->GetCell(3, 2).editor, nullptr);
    EXPECT_EQ(rec.log().back().first, GridMessage::CellChanged);
}

TEST(Formulas, CycleIsRefusedWithTheGridsMessage)
{
    auto g = DefaultGrid();
    Type(*g, 1, 2, u"=A1+1");   // B1
    Type(*g, 1, 1, u"=B1+1");   // A1
    EXPECT_EQ(Text(*g, 1, 1), "=B1+1");
    EXPECT_EQ(g->GetCell(1, 1).message, u"单元格公式存在依赖环。");
    EXPECT_EQ(g->GetCell(1, 1).formula, nullptr);
    EXPECT_EQ(g->Formulas().Size(), 1u);
    EXPECT_EQ(Text(*g, 1, 2), "1");
    // Typing plain text again clears the message.
    Type(*g, 1, 1, u"5");
    EXPECT_EQ(g->GetCell(1, 1).message, u"");
    EXPECT_EQ(Text(*g, 1, 2), "6");
}

TEST(Formulas, LongerCyclesAndSelfReferences)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"=C1");   // A1
    Type(*g, 1, 2, u"=A1");   // B1
    Type(*g, 1, 3, u"=B1*2"); // C1 closes A1 -> C1 -> B1 -> A1
    EXPECT_EQ(g->GetCell(3, 1).message, u"单元格公式存在依赖环。");
    EXPECT_EQ(g->Formulas().Size(), 2u);
    Type(*g, 2, 1, u"=SUM(A1:A3)");   // A2 reads itself through the range
    EXPECT_EQ(g->GetCell(1, 2).formula, nullptr);
    EXPECT_EQ(Text(*g, 2, 1), "=SUM(A1:A3)");
    EXPECT_EQ(FormulaMessageOf(g->GetCell(1, 2).message), FormulaMessage::SelfReference);
}

TEST(Formulas, AFormulaKeptAsTextSaysWhy)
{
    auto g = DefaultGrid();
    const auto why = [&](const std::u16string& text) {
        Type(*g, 2, 2, text);
        EXPECT_EQ(g->GetCell(2, 2).formula, nullptr);
        EXPECT_EQ(g->GetCellText(2, 2), text);
        return FormulaMessageOf(g->GetCell(2, 2).message);
    };
    EXPECT_EQ(why(u"=B2+1"), FormulaMessage::SelfReference);
    EXPECT_EQ(why(u"=COUNTIF(A1:A3,\"EQ(COUNTIF(A1:A3,\"EQ(1)\"))\")"), FormulaMessage::CriterionInCriterion);
    EXPECT_EQ(why(u"=" + std::u16string(5000, u'(') + u"1" + std::u16string(5000, u')')), FormulaMessage::TooDeep);
    // What does not parse stays text without a message, as before.
    EXPECT_EQ(why(u"=1+"), FormulaMessage::None);
    EXPECT_EQ(g->GetCell(2, 2).message, u"");
    // Each reason has a text of its own.
    EXPECT_NE(FormulaMessageText(FormulaMessage::SelfReference), FormulaMessageText(FormulaMessage::TooDeep));
}

TEST(Formulas, DependencyOrderAndRecalculation)
{
    auto g = DefaultGrid();
    Type(*g, 1, 3, u"=B1+1");   // C1 entered first
    Type(*g, 1, 2, u"=A1*2");   // B1
    Type(*g, 1, 1, u"5");
    EXPECT_EQ(Text(*g, 1, 2), "10");
    EXPECT_EQ(Text(*g, 1, 3), "11");
    EXPECT_EQ(g->Formulas().At(0)->column, 2);   // B1 stands before C1
    EXPECT_EQ(Shown(*g, 1, 3), "=B1+1");
    Type(*g, 1, 1, u"abc");
    EXPECT_EQ(Text(*g, 1, 2), "0");
    EXPECT_EQ(Text(*g, 1, 3), "1");
}

TEST(Formulas, TextsAndFailures)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"  =1+");
    EXPECT_EQ(Text(*g, 1, 1), "  =1+");
    EXPECT_EQ(g->GetCell(1, 1).message, u"");
    // Stored untrimmed, parsed upper-cased.
    EXPECT_TRUE(g->SetCellContent(1, 2, u" =sum(b2:b3)+pi()"));
    EXPECT_EQ(Shown(*g, 2, 1), "=SUM(B2:B3)+PI()");
    Type(*g, 3, 1, u"=1/0");
    EXPECT_EQ(Text(*g, 3, 1), "#NUM!");
    Type(*g, 4, 1, u"=A3+2");
    EXPECT_EQ(Text(*g, 4, 1), "2");
    // The result only changes at a recalculation.
    g->SetCellInput(1, 5, u"=7");
    EXPECT_EQ(Text(*g, 5, 1), "");
    g->Recalculate();
    EXPECT_EQ(Text(*g, 5, 1), "7");
}

// A formula ended with Enter in the multi-line editor carries a line end;
// no blank before or after a formula makes it text.
TEST(Formulas, BlanksAndLineEndsAroundAFormulaKeepItAFormula)
{
    const std::u16string formulas[] = {u"=A1+A2", u"=5+7", u"=SUM(A1:A2)", u"=COUNTIF(A1:A2,\"GE(6)\")", u"=-A1*2"};
    const std::u16string blanks[] = {u"", u" ", u"\t", u"\n", u"\r\n", u"\n\n", u" \r\n\t", u"\v\f"};
    for (const std::u16string& f : formulas) {
        auto plain = DefaultGrid();
        Type(*plain, 1, 1, u"5");
        Type(*plain, 2, 1, u"7");
        Type(*plain, 3, 1, f);
        ASSERT_NE(plain->GetCell(1, 3).formula, nullptr) << Narrow(f);
        for (const std::u16string& before : blanks)
            for (const std::u16string& after : blanks) {
                // Inside the formula too, after the "=".
                for (const bool inside : {false, true}) {
                    const std::u16string typed =
                        before + (inside ? u"=" + before + f.substr(1) + after : f + after);
                    auto g = DefaultGrid();
                    Type(*g, 1, 1, u"5\n");   // a value ended with Enter
                    Type(*g, 2, 1, u"7");
                    EXPECT_TRUE(g->SetCellContent(1, 3, typed)) << Narrow(typed);
                    EXPECT_EQ(Text(*g, 3, 1), Text(*plain, 3, 1)) << Narrow(typed);
                    EXPECT_EQ(Shown(*g, 3, 1), Shown(*plain, 3, 1)) << Narrow(typed);
                }
            }
    }
}

TEST(Merging, ToggleSplitAndCoveredCells)
{
    auto g = DefaultGrid();
    FakeFactory factory;
    g->SetEditorFactory(&factory);
    g->CreateCellEditor(3, 3);
    GridSpy rec;
    g->SetObserver(&rec);
    const GridRange block{2, 2, 4, 4};   // columns 2-3, rows 2-3
    EXPECT_TRUE(g->IsRangeUnmerged(block));
    EXPECT_TRUE(g->ToggleMerge(block));
    EXPECT_TRUE(g->IsMergeAnchor(2, 2));
    EXPECT_EQ(g->GetCell(2, 2).mergeCol, 4);
    EXPECT_EQ(g->GetCell(2, 2).mergeRow, 4);
    EXPECT_TRUE(g->IsCovered(3, 3));
    EXPECT_EQ(g->GetCell(3, 3).editor, nullptr);
    EXPECT_EQ(rec.Count(GridMessage::CellChanged), 1);
    // Toggling a range that touches part of the block splits the whole block.
    EXPECT_TRUE(g->ToggleMerge({3, 3, 5, 5}));
    EXPECT_TRUE(g->IsRangeUnmerged({1, 1, 6, 6}));
    // Merging over part of an existing block splits that block first.
    g->MergeRange({1, 1, 3, 3});
    g->MergeRange({2, 2, 4, 4});
    EXPECT_EQ(g->GetCell(1, 1).mergeCol, 2);
    EXPECT_EQ(g->GetCell(1, 1).mergeRow, 2);
    EXPECT_EQ(g->GetCell(2, 1).mergeCol, 3);
    EXPECT_TRUE(g->IsMergeAnchor(2, 2));
    EXPECT_FALSE(g->MergeRange({4, 4, 7, 5}));   // past the grid
}

TEST(Selection, ExtendsOverBlocksAndFindsTheFocusCell)
{
    auto g = DefaultGrid();
    g->MergeRange({2, 2, 4, 4});
    g->SetSelection(1, 1, 2, 2, true);
    EXPECT_EQ(g->Selection(), (GridSelection{1, 1, 3, 3}));
    g->SetSelection(5, 3, 3, 3, true);
    EXPECT_EQ(g->Selection(), (GridSelection{2, 2, 3, 5}));
    EXPECT_EQ(g->GetSelectionRect(), (GridRange{2, 2, 6, 4}));

    int r, c;
    EXPECT_FALSE(g->GetFocusCell(c, r));
    g->SetDownCell(3, 3);   // covered: its anchor
    ASSERT_TRUE(g->GetFocusCell(c, r));
    EXPECT_EQ(r, 2);
    EXPECT_EQ(c, 2);
    g->SetDownCell(0, 0);   // corner
    ASSERT_TRUE(g->GetFocusCell(c, r));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(c, 1);
    g->SetDownCell(2, 0);   // column header: walks past the two-wide block
    ASSERT_TRUE(g->GetFocusCell(c, r));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(c, 2);
    g->MergeRange({2, 1, 3, 2});   // a block one column wide is accepted
    g->SetDownCell(3, 0);
    ASSERT_TRUE(g->GetFocusCell(c, r));
    EXPECT_EQ(r, 1);
    EXPECT_EQ(c, 3);
    g->SetDownCell(0, 2);   // row header: the first cell one row high
    ASSERT_TRUE(g->GetFocusCell(c, r));
    EXPECT_EQ(r, 2);
    EXPECT_EQ(c, 1);
}

TEST(Selection, CurrentCellDefaults)
{
    auto g = DefaultGrid();
    EXPECT_EQ(g->GetCurrentCellAlignment(), 37u);
    EXPECT_EQ(g->GetCurrentCellColor(), 0xFFFFFFu);
    EXPECT_EQ(g->GetCurrentCellFont(), DefaultLogFont());
    g->SetDownCell(2, 2);
    CellAttributes look = g->GetCell(2, 2).attr;
    look.textColour = 0xFF;
    look.alignment = DT_RIGHT;
    g->SetCellAttributes(2, 2, look);
    EXPECT_EQ(g->GetCurrentCellColor(), 0xFFu);
    EXPECT_EQ(g->GetCurrentCellAlignment(), DT_RIGHT);
}

TEST(Selection, FontAndColourSetters)
{
    auto g = DefaultGrid();
    GridSpy rec;
    g->SetObserver(&rec);
    g->SetSelectionColor(0xFF);   // no selection: nothing
    EXPECT_EQ(rec.log().size(), 0u);
    g->SetSelection(1, 0, 2, 1, false);   // reaches into the header row: nothing
    g->SetSelectionFontWeight(700);
    EXPECT_EQ(rec.log().size(), 0u);

    g->SetSelection(1, 1, 2, 2, false);
    g->SetSelectionFontWeight(700);
    ASSERT_EQ(rec.Count(GridMessage::CellChanged), 1);
    const std::uint32_t bold = g->GetCell(1, 1).font;
    EXPECT_NE(bold, 0u);
    EXPECT_EQ(g->FindFont(bold)->refCount, 4u);
    EXPECT_EQ(g->FindFont(0)->refCount, 33u);   // the old references are given back
    g->SetSelectionFontName(u"DejaVu Sans Mono With A Name Longer Than Thirty-Two");
    LOGFONT f;
    ASSERT_TRUE(g->GetCellFont(2, 2, f));
    EXPECT_EQ(LogFontFaceName(f), u"DejaVu Sans Mono With A Name Lo");   // 31 and the terminator
    EXPECT_EQ(f.lfWeight, 700);
    EXPECT_EQ(g->FindFont(bold), nullptr);
    g->SetSelectionFontHeight(-20);
    g->SetSelectionFontItalic(true);
    g->SetSelectionFontUnderline(true);
    ASSERT_TRUE(g->GetCellFont(1, 2, f));
    EXPECT_EQ(f.lfHeight, -20);
    EXPECT_EQ(f.lfItalic, 1);
    EXPECT_EQ(f.lfUnderline, 1);
    g->SetSelectionColor(0x00FF00);
    EXPECT_EQ(g->GetCell(2, 1).attr.textColour, 0x00FF00u);
    const auto before = rec.log().size();
    g->SetSelectionColor(0x00FF00);   // no change, no notification
    EXPECT_EQ(rec.log().size(), before);
    ExpectReferencesBalanced(*g);
}

TEST(Selection, AlignmentReachesTheEditor)
{
    auto g = DefaultGrid();
    FakeFactory factory;
    g->SetEditorFactory(&factory);
    g->CreateCellEditor(1, 1);
    g->SetSelection(1, 1, 1, 1, false);
    g->SetSelectionAlignment(DT_LEFT);
    EXPECT_EQ(factory.last->alignBits, ES_LEFT);
    g->SetSelectionAlignment(DT_RIGHT);
    EXPECT_EQ(factory.last->alignBits, ES_RIGHT);
    EXPECT_EQ(g->GetCell(1, 1).attr.alignment, DT_RIGHT);
}

TEST(Borders, ItemsLandOnTheRightCells)
{
    CRealGrid g;
    g.ResetToDefault();
    BorderSpec spec;
    InitBorderSpec(spec);
    EXPECT_EQ(spec.items[0].colour, 0x00FFFFu);
    EXPECT_EQ(spec.items[6].style, 5);
    EXPECT_EQ(spec.items[6].apply, 0);
    for (auto& item : spec.items)
        item.apply = 0;
    spec.items[0] = {PS_SOLID, 1, 0xFF, 1};    // left edges
    spec.items[1] = {PS_SOLID, 2, 0xFF, 1};    // top edge
    g.SetRangeBorders(2, 2, 3, 3, spec, false);
    const std::uint32_t left = g.GetCell(1, 2).pens[PenRight];
    EXPECT_EQ(g.FindPen(left)->width, 1u);
    EXPECT_EQ(g.GetCell(2, 2).pens[PenRight], left);   // inner vertical line
    EXPECT_EQ(g.GetCell(3, 2).pens[PenRight], 0u);     // the right edge is item 2
    const std::uint32_t top = g.GetCell(2, 1).pens[PenBottom];
    EXPECT_EQ(g.FindPen(top)->width, 2u);
    EXPECT_EQ(g.GetCell(2, 2).pens[PenBottom], 0u);    // no inner horizontal line
    ExpectReferencesBalanced(g);

    // Ranges touching the header do nothing.
    const auto pensBefore = g.Pens().size();
    spec.items[2] = {PS_SOLID, 4, 0xFF00, 1};
    g.SetRangeBorders(1, 0, 2, 2, spec, true);
    EXPECT_EQ(g.Pens().size(), pensBefore);
    EXPECT_EQ(g.GetCell(1, 1).pens[PenRight], 0u);
}

TEST(Borders, CoveredCellsPassTheirLinesToTheAnchor)
{
    CRealGrid g;
    g.ResetToDefault();
    g.MergeRange({2, 2, 4, 4});
    BorderSpec spec;
    InitBorderSpec(spec);
    spec.items[0].apply = spec.items[1].apply = 0;
    spec.items[6] = {PS_SOLID, 3, 0xABCDEF, 1};
    g.SetRangeBorders(2, 2, 3, 3, spec, false);
    const Cell& anchor = g.GetCell(2, 2);
    EXPECT_EQ(g.FindPen(anchor.pens[PenRight])->colour, 0x00FFFFu);
    EXPECT_EQ(g.FindPen(anchor.pens[PenBottom])->colour, 0x00FFFFu);
    EXPECT_EQ(g.FindPen(anchor.pen5)->width, 3u);
    EXPECT_EQ(g.GetCell(3, 3).pen5, 0u);   // covered cells take no fifth pen
    // A covered cell passes its right line on only when the block ends at the
    // range's right edge.
    CRealGrid h;
    h.ResetToDefault();
    h.MergeRange({2, 2, 5, 3});   // columns 2-4 of row 2
    InitBorderSpec(spec);
    for (auto& item : spec.items)
        item.apply = 0;
    spec.items[2] = {PS_SOLID, 2, 0xFF, 1};
    h.SetRangeBorders(3, 2, 3, 2, spec, false);
    EXPECT_EQ(h.GetCell(2, 2).pens[PenRight], 0u);
    EXPECT_EQ(h.GetCell(3, 2).pens[PenRight], 0u);
    h.SetRangeBorders(3, 2, 4, 2, spec, false);
    EXPECT_EQ(h.FindPen(h.GetCell(2, 2).pens[PenRight])->width, 2u);
    EXPECT_EQ(h.GetCell(4, 2).pens[PenRight], 0u);
    ExpectReferencesBalanced(g);
    ExpectReferencesBalanced(h);
}

TEST(GridModel, RowHeightsColumnWidthsAndGridLines)
{
    auto g = DefaultGrid();
    g->InsertRows(6, 4);
    g->SetTopRow(3);
    EXPECT_FALSE(g->SetRowHeight(2, 40));   // scrolled away above the first shown row
    EXPECT_EQ(g->RowHeight(2), 24);
    EXPECT_TRUE(g->SetRowHeight(0, 40));    // header rows always
    EXPECT_TRUE(g->SetRowHeight(3, -5));
    EXPECT_EQ(g->RowHeight(3), 0);
    EXPECT_FALSE(g->SetRowHeight(3, 0));    // unchanged
    EXPECT_FALSE(g->SetRowHeight(99, 10));
    EXPECT_TRUE(g->SetColumnWidth(2, 75));
    EXPECT_EQ(g->ColumnWidth(2), 75);
    g->SetLeftCol(3);
    EXPECT_FALSE(g->SetColumnWidth(2, 10));

    GridSpy rec;
    g->SetObserver(&rec);
    g->ShowGridLines(false);   // already hidden
    EXPECT_EQ(rec.log().size(), 0u);
    g->ShowGridLines(true);
    EXPECT_EQ(rec.Count(GridMessage::CellChanged), 1);
    EXPECT_EQ(g->FindPen(0)->style, PS_SOLID);
    g->ShowGridLines(false);
    EXPECT_EQ(g->FindPen(0)->style, PS_NULL);
    EXPECT_EQ(g->FindPen(0)->colour, 0u);
}
