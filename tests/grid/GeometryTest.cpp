// Known answers of the grid geometry on the default 6 x 6 table: columns 60
// wide, rows 24 high, one header row and column, scrolled to (1, 1).
#include "GridTestUtil.h"

#include "grid/GridGeometry.h"

using namespace grid;
using namespace gridtest;

TEST(GridGeometry, HitTestsAndRegions)
{
    auto g = DefaultGrid();
    GridGeometry geo(*g);
    EXPECT_EQ(geo.HeaderWidth(), 60);
    EXPECT_EQ(geo.HeaderHeight(), 24);
    int c = -1, r = -1;
    geo.HitTest(59, 23, c, r);
    EXPECT_EQ(std::pair(c, r), std::pair(0, 0));
    geo.HitTest(60, 24, c, r);
    EXPECT_EQ(std::pair(c, r), std::pair(1, 1));
    geo.HitTest(1000, 143, c, r);   // past the last column
    EXPECT_EQ(std::pair(c, r), std::pair(6, 5));
    EXPECT_FALSE(geo.HitTestCell(1000, 10, c, r));
    g->SetLeftCol(3);
    geo.HitTest(61, 0, c, r);       // the first shown data column after the header
    EXPECT_EQ(std::pair(c, r), std::pair(3, 0));

    EXPECT_EQ(geo.Region(0, 0), RegionCorner);
    EXPECT_EQ(geo.Region(2, 0), RegionColumnHeader);
    EXPECT_EQ(geo.Region(0, 2), RegionRowHeader);
    EXPECT_EQ(geo.Region(2, 2), RegionBody);
}

TEST(GridGeometry, CellRectanglesScrolledAndMerged)
{
    auto g = DefaultGrid();
    GridGeometry geo(*g);
    EXPECT_EQ(geo.CellRect(2, 3, false), (PixelRect{120, 72, 180, 96}));
    g->SetLeftCol(3);
    g->SetTopRow(2);
    // Scrolled off to the left and above: negative offsets from the header.
    EXPECT_EQ(geo.CellRect(1, 1, false), (PixelRect{-60, 0, 0, 24}));
    EXPECT_EQ(geo.CellRect(3, 2, false), (PixelRect{60, 24, 120, 48}));
    EXPECT_EQ(geo.CellRect(0, 0, false), (PixelRect{0, 0, 60, 24}));
    g->SetLeftCol(1);
    g->SetTopRow(1);

    g->MergeRange({2, 2, 4, 4});
    EXPECT_EQ(geo.CellRect(2, 2, true), (PixelRect{120, 48, 240, 96}));
    EXPECT_TRUE(geo.CellRect(3, 3, true).IsEmpty());     // covered
    EXPECT_EQ(geo.CellRect(3, 3, false), (PixelRect{180, 72, 240, 96}));
    int c, r;
    ASSERT_TRUE(geo.HitTestCell(200, 80, c, r));
    EXPECT_EQ(std::pair(c, r), std::pair(2, 2));          // the anchor
}

TEST(GridGeometry, InnerRectanglesFollowPenWidths)
{
    auto g = DefaultGrid();   // data cells: pen 2, width 0, shared edges
    GridGeometry geo(*g);
    EXPECT_EQ(geo.CellInnerRect(1, 1), (PixelRect{60, 24, 119, 47}));
    g->SetCellSharedEdges(1, 1, false);
    EXPECT_EQ(geo.CellInnerRect(1, 1), (PixelRect{61, 25, 119, 47}));
    BorderSpec wide{};
    wide.items[2] = {PS_SOLID, 3, 0xFF, 1};
    wide.items[3] = {PS_SOLID, 3, 0xFF, 1};
    g->SetRangeBorders(1, 1, 1, 1, wide, false);
    EXPECT_EQ(geo.CellInnerRect(1, 1), (PixelRect{61, 25, 117, 45}));
    EXPECT_EQ(geo.PenWidth(0), 0);          // the hidden grid-line pen
    EXPECT_EQ(geo.PenWidth(12345), 1);      // no record: solid, width 1
    EXPECT_EQ(g->FindPen(12345), nullptr);  // and none was made

    CRealGrid plain;
    plain.ResetToDefault();                 // data cells on the grid-line pen
    EXPECT_EQ(GridGeometry(plain).CellInnerRect(2, 2), (PixelRect{120, 48, 180, 72}));
    // Too small for its borders: both edges meet in the middle.
    g->SetColumnWidth(4, 2);
    g->SetCellSharedEdges(4, 1, false);
    g->SetRangeBorders(4, 1, 4, 1, wide, false);
    const PixelRect squeezed = geo.CellInnerRect(4, 1);
    EXPECT_EQ(squeezed.left, squeezed.right);
}

TEST(GridGeometry, PanesAndVisibility)
{
    auto g = DefaultGrid();
    GridGeometry geo(*g);
    const PaneRanges p = geo.SplitRangeByPanes({0, 0, 150, 50});
    EXPECT_EQ(p.corner, (GridRange{0, 0, 1, 1}));
    EXPECT_EQ(p.columnHeader, (GridRange{1, 0, 3, 1}));
    EXPECT_EQ(p.rowHeader, (GridRange{0, 1, 1, 3}));
    EXPECT_EQ(p.body, (GridRange{1, 1, 3, 3}));
    const PaneRanges data = geo.SplitRangeByPanes({70, 30, 2000, 2000});
    EXPECT_EQ(data.corner, GridRange{});
    EXPECT_EQ(data.body, (GridRange{1, 1, 6, 6}));

    EXPECT_EQ(geo.LastVisibleRow(96), 3);
    EXPECT_EQ(geo.LastVisibleRow(97), 4);
    EXPECT_EQ(geo.LastVisibleRow(20), 1);
    EXPECT_EQ(geo.LastVisibleRow(1000), 5);
    EXPECT_EQ(geo.LastVisibleColumn(100), 1);

    g->SetColumnWidth(3, 0);
    g->SetRowHeight(2, 0);
    EXPECT_EQ(geo.DataExtent(), (PixelRect{60, 24, 300, 120}));
}

TEST(GridGeometry, ScrollRangesForAClientSize)
{
    auto g = DefaultGrid();   // 360 x 144 in all
    GridGeometry geo(*g);
    EXPECT_EQ(geo.RowScrollMax(144, 84), 4);
    EXPECT_EQ(geo.ColumnScrollMax(360, 184), 4);
    ScrollLayout both{true, true, 1, 4, 1, 4, false, false};
    EXPECT_EQ(geo.Scrolling(200, 100, 16, 16), both);
    ScrollLayout vertical{false, true, 0, 0, 1, 3, true, false};
    EXPECT_EQ(geo.Scrolling(400, 100, 16, 16), vertical);
    // Wide enough only without the vertical bar: both bars.
    EXPECT_TRUE(geo.Scrolling(370, 100, 16, 16).horizontal);
    ScrollLayout none{false, false, 0, 0, 0, 0, true, true};
    EXPECT_EQ(geo.Scrolling(400, 200, 16, 16), none);
    ScrollLayout horizontal{true, false, 1, 3, 0, 0, false, true};
    EXPECT_EQ(geo.Scrolling(250, 200, 16, 16), horizontal);
}
