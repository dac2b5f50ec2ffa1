#include "GridTestUtil.h"

using namespace grid;
using namespace gridtest;

TEST(GridCommands, MenuBlocksAndGreying)
{
    auto g = DefaultGrid();
    CRealGrid::MenuState m = g->ContextMenuState(0, 2);   // row header
    EXPECT_TRUE(m.rowItems);
    EXPECT_FALSE(m.columnItems);
    EXPECT_FALSE(m.insertEnabled);   // nothing selected
    EXPECT_FALSE(m.deleteEnabled);
    EXPECT_FALSE(m.cutCopyEnabled);
    m = g->ContextMenuState(3, 0);                          // column header
    EXPECT_TRUE(m.columnItems);
    EXPECT_FALSE(m.rowItems);
    m = g->ContextMenuState(3, 3);                          // body: no row or column block
    EXPECT_FALSE(m.rowItems || m.columnItems);
    m = g->ContextMenuState(0, 0);                          // corner
    EXPECT_FALSE(m.rowItems || m.columnItems);

    g->SetSelection(1, 2, 5, 4, false);                     // three of five data rows
    m = g->ContextMenuState(0, 2);
    EXPECT_TRUE(m.insertEnabled);
    EXPECT_TRUE(m.deleteEnabled);
    EXPECT_TRUE(m.cutCopyEnabled);
    m = g->ContextMenuState(2, 0);
    EXPECT_FALSE(m.deleteEnabled);                          // all five data columns
    g->SetSelection(1, 0, 1, 5, false);                     // header row counts as the first data row
    EXPECT_FALSE(g->ContextMenuState(0, 2).deleteEnabled);
    EXPECT_FALSE(g->RunCommand(GridCommand::DeleteRows, nullptr));
    EXPECT_EQ(g->RowCount(), 6);
}

TEST(GridCommands, InsertGivesYellowBordersAndTellsTheParent)
{
    auto g = DefaultGrid();
    GridSpy rec;
    g->SetObserver(&rec);
    g->ShowGridLines(true);
    g->SetSelection(1, 2, 1, 3, false);
    ASSERT_TRUE(g->RunCommand(GridCommand::InsertRows, nullptr));
    EXPECT_EQ(g->RowCount(), 8);
    for (int r = 2; r <= 3; ++r)
        for (int c = 1; c < 6; ++c) {
            const Cell& cell = g->GetCell(c, r);
            EXPECT_EQ(g->FindPen(cell.pens[PenRight])->colour, 0x00FFFFu);
            EXPECT_EQ(g->FindPen(cell.pens[PenBottom])->colour, 0x00FFFFu);
        }
    // The row above the new ones carries their top edge.
    EXPECT_EQ(g->FindPen(g->GetCell(3, 1).pens[PenBottom])->colour, 0x00FFFFu);
    // The left edge of the first data column lives on the header cell.
    EXPECT_EQ(g->GetCell(0, 2).pens[PenRight], 2u);
    EXPECT_EQ(g->GetCell(0, 2).pens[PenBottom], 1u);
    EXPECT_EQ(rec.Count(GridMessage::DimChanged), 1);

    g->SetSelection(4, 1, 4, 1, false);
    ASSERT_TRUE(g->RunCommand(GridCommand::InsertColumns, nullptr));
    EXPECT_EQ(g->ColumnCount(), 7);
    EXPECT_EQ(g->FindPen(g->GetCell(4, 7).pens[PenBottom])->colour, 0x00FFFFu);
    EXPECT_EQ(rec.Count(GridMessage::DimChanged), 2);

    g->SetSelection(2, 2, 2, 3, false);
    ASSERT_TRUE(g->RunCommand(GridCommand::DeleteRows, nullptr));
    EXPECT_EQ(g->RowCount(), 6);
    g->SetSelection(4, 1, 4, 1, false);
    ASSERT_TRUE(g->RunCommand(GridCommand::DeleteColumns, nullptr));
    EXPECT_EQ(g->ColumnCount(), 6);
    EXPECT_EQ(rec.Count(GridMessage::DimChanged), 4);
}

TEST(GridCommands, ClipboardCommands)
{
    auto g = DefaultGrid();
    FakeClipboard clip;
    EXPECT_FALSE(g->RunCommand(GridCommand::Copy, &clip));
    Type(*g, 1, 1, u"a");
    Type(*g, 1, 2, u"b");
    g->SetSelection(1, 1, 2, 1, false);
    ASSERT_TRUE(g->RunCommand(GridCommand::Cut, &clip));
    EXPECT_EQ(clip.unicode, u"a\tb\r\n");
    EXPECT_EQ(Text(*g, 1, 1), "");
    g->SetCurrentCell(3, 3);
    ASSERT_TRUE(g->RunCommand(GridCommand::Paste, &clip));
    EXPECT_EQ(Text(*g, 3, 3), "a");
    EXPECT_EQ(Text(*g, 3, 4), "b");
    g->SetSelection(3, 3, 3, 3, false);
    ASSERT_TRUE(g->RunCommand(GridCommand::Clear, nullptr));
    EXPECT_EQ(Text(*g, 3, 3), "");
    EXPECT_EQ(Text(*g, 3, 4), "b");
}
