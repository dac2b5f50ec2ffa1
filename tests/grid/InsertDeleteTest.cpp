#include "GridTestUtil.h"

using namespace grid;
using namespace gridtest;

namespace {

// A default table with n rows (one header row).
std::unique_ptr<CRealGrid> TallGrid(int rows)
{
    auto g = DefaultGrid();
    g->InsertRows(g->RowCount(), rows - g->RowCount());
    return g;
}

const CellFormula* FormulaAt(const CRealGrid& g, int row, int col)
{
    return g.GetCell(col, row).formula;
}

}   // namespace

TEST(InsertRows, MovesCellReferences)
{
    auto g = TallGrid(10);
    ASSERT_EQ(g->RowCount(), 10);
    Type(*g, 1, 2, u"=A5");   // B1
    g->InsertRows(3, 2);
    EXPECT_EQ(Shown(*g, 1, 2), "=A7");
    EXPECT_EQ(FormulaAt(*g, 1, 2)->dirty, 0);   // recalculated at once
    g->InsertRows(8, 1);
    EXPECT_EQ(Shown(*g, 1, 2), "=A7");
    g->InsertRows(7, 1);
    EXPECT_EQ(Shown(*g, 1, 2), "=A8");
}

TEST(InsertRows, UnchangedFormulaIsNotDirtied)
{
    auto g = TallGrid(10);
    Type(*g, 1, 2, u"=A5");
    const CellFormula* f = FormulaAt(*g, 1, 2);
    // Watch the dirty flag without the recalculation at the end clearing it:
    // a dependent that fails to evaluate would be rewritten to "#NUM!".
    Type(*g, 5, 1, u"3");
    EXPECT_EQ(Text(*g, 1, 2), "3");
    g->SetCellText(2, 1, u"stale", false);
    g->InsertRows(6, 2);
    EXPECT_EQ(f->dirty, 0);
    EXPECT_EQ(Text(*g, 1, 2), "stale");   // not recomputed: nothing it reads moved
    g->InsertRows(2, 1);
    EXPECT_EQ(Text(*g, 1, 2), "3");       // its reference moved: recomputed
}

TEST(InsertRows, RangesGrowOrMove)
{
    auto check = [](int at, const char* expected) {
        auto g = TallGrid(10);
        Type(*g, 1, 2, u"=SUM(A2:A4)");
        g->InsertRows(at, 1);
        EXPECT_EQ(Shown(*g, 1, 2), expected) << "insert at " << at;
    };
    check(3, "=SUM(A2:A5)");
    check(2, "=SUM(A3:A5)");
    check(5, "=SUM(A2:A4)");
    check(4, "=SUM(A2:A5)");
}

TEST(InsertRows, FormulaCellItselfMoves)
{
    auto g = TallGrid(10);
    Type(*g, 1, 1, u"4");
    Type(*g, 5, 2, u"=A1*2");   // B5
    g->InsertRows(2, 3);
    const CellFormula* f = FormulaAt(*g, 8, 2);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->row, 8);
    EXPECT_EQ(FormulaAt(*g, 5, 2), nullptr);
    Type(*g, 1, 1, u"5");
    EXPECT_EQ(Text(*g, 8, 2), "10");
}

TEST(InsertRows, HeaderAndBlocks)
{
    auto g = TallGrid(8);
    g->MergeRange({2, 2, 4, 5});   // columns 2-3, rows 2-4
    g->InsertRows(3, 2);           // inside the block: it grows
    EXPECT_EQ(g->GetCell(2, 2).mergeRow, 7);
    EXPECT_EQ(g->GetCell(2, 2).mergeCol, 4);
    for (int r = 3; r < 7; ++r)
        for (int c = 2; c < 4; ++c) {
            EXPECT_TRUE(g->IsCovered(c, r)) << r << "," << c;
            EXPECT_EQ(g->GetCell(c, r).mergeRow, 2);
            EXPECT_EQ(g->GetCell(c, r).mergeCol, 2);
        }
    EXPECT_FALSE(g->IsCovered(2, 7));
    g->InsertRows(1, 1);   // above the block: it moves
    EXPECT_TRUE(g->IsMergeAnchor(2, 3));
    EXPECT_EQ(g->GetCell(2, 3).mergeRow, 8);
    EXPECT_EQ(g->GetCell(3, 7).mergeRow, 3);
    EXPECT_FALSE(g->IsCovered(2, 2));

    g->InsertRows(0, 2);   // inside the header
    EXPECT_EQ(g->FixedRows(), 3);
    EXPECT_EQ(g->TopRow(), 3);
    EXPECT_EQ(g->GetCell(2, 1).attr.type, ReadonlyType());
    EXPECT_EQ(g->GetCell(2, 1).pens[0], 1u);
}

TEST(InsertColumns, ReferencesHeadersAndAttributes)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"=C2+SUM(B1:D1)");   // A1
    g->InsertColumns(3, 2);
    ASSERT_EQ(g->ColumnCount(), 8);
    EXPECT_EQ(Shown(*g, 1, 1), "=E2+SUM(B1:F1)");
    EXPECT_EQ(g->ColumnWidth(3), 60);
    EXPECT_EQ(g->GetColumn(3).attr.type, EditType());
    EXPECT_EQ(g->GetCell(3, 0).attr.type, ReadonlyType());
    EXPECT_EQ(g->GetCell(3, 0).attr.background, kButtonFaceColour);
    EXPECT_EQ(g->GetCell(3, 2).attr.type, EditType());
    EXPECT_EQ(g->GetCell(3, 2).attr.textColour, 0xFFFFFFu);
    EXPECT_EQ(g->GetCell(3, 2).mergeCol, 4);
    g->InsertColumns(0, 1);
    EXPECT_EQ(g->FixedCols(), 2);
    EXPECT_EQ(g->LeftCol(), 2);
    EXPECT_EQ(Shown(*g, 1, 2), "=F2+SUM(C1:G1)");
}

TEST(InsertColumns, EditorsAreRenumbered)
{
    auto g = DefaultGrid();
    FakeFactory factory;
    g->SetEditorFactory(&factory);
    g->CreateCellEditor(3, 2);
    FakeEditor* e = factory.last;
    EXPECT_EQ(e->controlId, 3 + 2 * 6);
    g->InsertColumns(1, 1);
    EXPECT_EQ(e->controlId, 4 + 2 * 7);
    g->DeleteRows(1, 1, false);
    EXPECT_EQ(e->controlId, 4 + 1 * 7);
}

TEST(DeleteRows, RangesShrinkMoveOrVanish)
{
    struct Case { int start, count; const char* expected; int row; };
    for (Case c : {Case{3, 2, "=SUM(A2:A4)", 7}, Case{1, 3, "=SUM(A1:A3)", 6}, Case{7, 1, "=SUM(A2:A6)", 8},
                   Case{6, 2, "=SUM(A2:A5)", 7}}) {
        auto g = TallGrid(12);
        Type(*g, 9, 2, u"=SUM(A2:A6)");   // B9
        g->DeleteRows(c.start, c.count, false);
        EXPECT_EQ(Shown(*g, c.row, 2), c.expected) << "delete " << c.start << "+" << c.count;
        EXPECT_NE(FormulaAt(*g, c.row, 2), nullptr);
    }
    auto g = TallGrid(12);
    for (int r = 1; r <= 6; ++r)
        Type(*g, r, 1, u"1");
    Type(*g, 9, 2, u"=SUM(A2:A6)");
    EXPECT_EQ(Text(*g, 9, 2), "5");
    g->DeleteRows(2, 5, false);
    EXPECT_EQ(FormulaAt(*g, 4, 2), nullptr);
    EXPECT_EQ(Text(*g, 4, 2), "5");   // keeps its last result as text
    EXPECT_EQ(Shown(*g, 4, 2), "5");
    EXPECT_EQ(g->Formulas().Size(), 0u);
}

TEST(DeleteRows, CellReferences)
{
    auto g = TallGrid(8);
    Type(*g, 1, 2, u"=A3");
    g->DeleteRows(3, 1, false);
    EXPECT_EQ(FormulaAt(*g, 1, 2), nullptr);
    auto h = TallGrid(8);
    Type(*h, 1, 2, u"=A3");
    Type(*h, 1, 3, u"=B1+1");
    h->DeleteRows(2, 1, false);
    EXPECT_EQ(Shown(*h, 1, 2), "=A2");
    // A formula whose own row goes is removed with it; its readers lose it.
    Type(*h, 4, 1, u"=C1*2");
    h->DeleteRows(4, 1, false);
    EXPECT_EQ(h->Formulas().Size(), 2u);
    Type(*h, 2, 1, u"7");
    EXPECT_EQ(Text(*h, 1, 3), "8");
}

TEST(DeleteRows, BlocksAreCutMovedOrRebuilt)
{
    auto g = TallGrid(8);
    g->MergeRange({2, 2, 4, 5});   // 3 rows x 2 columns at row 2
    g->SetCellText(2, 2, u"kept", false);
    CellAttributes look = g->GetCell(2, 2).attr;
    look.textColour = 0x123456;
    look.alignment = DT_RIGHT;
    g->SetCellAttributes(2, 2, look);
    g->DeleteRows(2, 2, false);
    const Cell& moved = g->GetCell(2, 2);
    EXPECT_EQ(moved.text, u"kept");
    EXPECT_EQ(moved.attr.textColour, 0x123456u);
    EXPECT_EQ(moved.attr.alignment, DT_RIGHT);
    EXPECT_EQ(moved.mergeCol, 4);
    EXPECT_EQ(moved.mergeRow, 3);
    EXPECT_TRUE(g->IsMergeAnchor(2, 2));
    EXPECT_TRUE(g->IsCovered(3, 2));
    EXPECT_EQ(g->GetCell(3, 2).mergeCol, 2);
    EXPECT_EQ(g->GetCell(3, 2).mergeRow, 2);
    EXPECT_FALSE(g->IsCovered(2, 3));

    auto h = TallGrid(10);
    h->MergeRange({1, 2, 3, 6});   // rows 2-5
    h->MergeRange({1, 7, 3, 9});   // rows 7-8
    h->DeleteRows(4, 3, false);    // cuts the first (ends at 4), moves the second up
    EXPECT_EQ(h->GetCell(1, 2).mergeRow, 4);
    EXPECT_EQ(h->GetCell(2, 3).mergeRow, 2);
    EXPECT_FALSE(h->IsCovered(1, 4));
    EXPECT_EQ(h->GetCell(1, 4).mergeRow, 6);
    EXPECT_EQ(h->GetCell(2, 5).mergeRow, 4);
    EXPECT_EQ(h->GetCell(2, 5).mergeCol, 1);
    h->MergeRange({3, 1, 5, 3});
    h->DeleteRows(1, 2, false);    // a block wholly inside the band goes
    EXPECT_TRUE(h->IsRangeUnmerged({3, 1, 5, 3}));
}

TEST(DeleteRows, HeaderCountsAndNotification)
{
    auto g = TallGrid(8);
    g->InsertRows(0, 2);
    ASSERT_EQ(g->FixedRows(), 3);
    GridSpy rec;
    g->SetObserver(&rec);
    g->DeleteRows(1, 3, true);
    EXPECT_EQ(g->FixedRows(), 1);
    EXPECT_EQ(g->RowCount(), 7);
    ASSERT_EQ(rec.log().size(), 1u);
    EXPECT_EQ(rec.log()[0], std::make_pair(GridMessage::DimChanged, true));
    g->DeleteRows(7, 1, true);   // past the end: nothing
    g->DeleteRows(-1, 1, true);
    g->DeleteRows(3, 0, true);
    EXPECT_EQ(rec.log().size(), 1u);
    g->DeleteRows(5, 100, false);   // cut to the rows that exist
    EXPECT_EQ(g->RowCount(), 5);
}

TEST(DeleteColumns, ReferencesAndReferenceCounts)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"=E1+SUM(B2:D2)");   // A1
    g->DeleteColumns(2, 2, true);
    EXPECT_EQ(Shown(*g, 1, 1), "=C1+SUM(B2:B2)");
    EXPECT_EQ(g->ColumnCount(), 4);
    // Font and pen references of the deleted cells were given back.
    EXPECT_EQ(g->FindFont(0)->refCount, 24u + 1);
    EXPECT_EQ(g->FindPen(2)->refCount, 15u * 4 + 1);
    Type(*g, 2, 1, u"=SUM(B3:C3)");
    g->DeleteColumns(2, 2, false);
    EXPECT_EQ(FormulaAt(*g, 2, 1), nullptr);
}

TEST(InsertDeleteColumns, BlocksFollowColumns)
{
    auto g = DefaultGrid();
    g->MergeRange({2, 2, 5, 4});   // columns 2-4, rows 2-3
    g->SetCellText(2, 2, u"anchor", false);
    g->InsertColumns(3, 1);        // inside: the block widens
    EXPECT_EQ(g->GetCell(2, 2).mergeCol, 6);
    EXPECT_EQ(g->GetCell(2, 2).mergeRow, 4);
    for (int r = 2; r < 4; ++r)
        for (int c = 2; c < 6; ++c)
            if (r != 2 || c != 2) {
                EXPECT_EQ(g->GetCell(c, r).mergeCol, 2) << r << "," << c;
                EXPECT_EQ(g->GetCell(c, r).mergeRow, 2) << r << "," << c;
            }
    EXPECT_FALSE(g->IsCovered(6, 2));
    g->DeleteColumns(2, 2, false);   // the anchor goes: rebuilt from what is left
    EXPECT_TRUE(g->IsMergeAnchor(2, 2));
    EXPECT_EQ(g->GetCell(2, 2).text, u"anchor");
    EXPECT_EQ(g->GetCell(2, 2).mergeCol, 4);
    EXPECT_EQ(g->GetCell(2, 2).mergeRow, 4);
    for (auto [c, r] : {std::pair{3, 2}, {2, 3}, {3, 3}}) {
        EXPECT_EQ(g->GetCell(c, r).mergeCol, 2);
        EXPECT_EQ(g->GetCell(c, r).mergeRow, 2);
    }
    EXPECT_FALSE(g->IsCovered(4, 2));
    g->DeleteColumns(1, 1, false);   // left of the block: it moves
    EXPECT_TRUE(g->IsMergeAnchor(1, 2));
    EXPECT_EQ(g->GetCell(1, 2).mergeCol, 3);
    EXPECT_EQ(g->GetCell(2, 3).mergeCol, 1);
    g->DeleteColumns(2, 1, false);   // the block's last column: it narrows
    EXPECT_EQ(g->GetCell(1, 2).mergeCol, 2);
    EXPECT_EQ(g->GetCell(1, 3).mergeCol, 1);
    EXPECT_EQ(g->GetCell(1, 3).mergeRow, 2);
}
