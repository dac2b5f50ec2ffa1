#include "core/render/TableItem.h"

#include "grid/RealGrid.h"

#include <gtest/gtest.h>
#include <vector>

using namespace sorvane::render;
using grid::BorderSpec;
using grid::CRealGrid;

namespace {

constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kSilver = 0xFFC0C0C0;
constexpr QRgb kBlack = 0xFF000000;

std::vector<std::uint8_t> Stream(CRealGrid& g)
{
    std::vector<std::uint8_t> s;
    g.SaveTo(s);
    return s;
}

// The default table: 5 x 5 data cells of 60 x 24, white on black, yellow
// right and bottom borders; the top and left edges come from the silver
// header pens.
void ExpectDefaultTable(const TableItemPicture& p)
{
    ASSERT_EQ(p.contentWidth, 300);
    ASSERT_EQ(p.contentHeight, 120);
    ASSERT_EQ(p.image.size(), QSize(300, 120));
    const QImage& img = p.image;
    for (int y = 1; y < 24; ++y)
        EXPECT_EQ(img.pixel(60, y), kYellow) << y;    // right edge of the first cell
    for (int x = 0; x < 61; ++x)
        EXPECT_EQ(img.pixel(x, 24), x == 0 ? kSilver : kYellow) << x;
    EXPECT_EQ(img.pixel(30, 10), kBlack);
    EXPECT_EQ(img.pixel(30, 0), kSilver);             // top edge
    EXPECT_EQ(img.pixel(0, 10), kSilver);             // left edge
    // The cells sit one pixel right of and below the edges, so the last
    // cell's own right and bottom lines fall just outside the content size.
    EXPECT_EQ(img.pixel(299, 119), kBlack);
    EXPECT_EQ(img.pixel(299, 96), kYellow);
}

} // namespace

TEST(TableItem, MissingShortOrDamagedStreamsShowTheDefaultTable)
{
    for (const std::vector<std::uint8_t>& bad :
         {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{'G', 'R', 'I', 'D'},
          std::vector<std::uint8_t>{'G', 'R', 'I', 'D', 1, 0, 0, 0, 0xFF, 0xFF}, std::vector<std::uint8_t>(64, 0xAB)}) {
        const TableItemPicture p = RenderTableItem(bad);
        EXPECT_TRUE(p.defaultTable || bad.size() <= 4);
        ExpectDefaultTable(p);
    }
    // A name longer than allowed is refused like any damage.
    CRealGrid g;
    g.ApplyDefaultBorders();
    std::vector<std::uint8_t> s = Stream(g);
    const std::vector<std::uint8_t> same{5, 0, 0, 0, 'S', 'a', 'm', 'e', 0};
    auto at = std::search(s.begin(), s.end(), same.begin(), same.end());
    ASSERT_NE(at, s.end());
    *at = 200;
    const TableItemPicture p = RenderTableItem(s);
    EXPECT_TRUE(p.defaultTable);
    ExpectDefaultTable(p);
}

TEST(TableItem, AStoredTableRendersItsDataCellsOnly)
{
    CRealGrid g;
    g.ApplyDefaultBorders();
    const TableItemPicture p = RenderTableItem(Stream(g));
    EXPECT_FALSE(p.defaultTable);
    ExpectDefaultTable(p);

    // Grid lines shown in the editor never reach the item.
    CRealGrid lines;
    lines.ResetToDefault();
    lines.ShowGridLines(true);
    lines.SetCellText(2, 2, u"x", false);
    const TableItemPicture q = RenderTableItem(Stream(lines));
    ASSERT_EQ(q.image.size(), QSize(300, 120));
    int notBlack = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 300; ++x)
            if (q.image.pixel(x, y) != kBlack && !(x >= 61 && x < 121 && y >= 25 && y < 49))
                ++notBlack;   // anything outside the one text cell
    // Only the silver header pens along the top and left edge.
    EXPECT_EQ(notBlack, 300 + 120 - 1);
}

TEST(TableItem, EdgesComeFromTheHeaderPens)
{
    CRealGrid g;
    g.ApplyDefaultBorders();
    BorderSpec spec{};
    spec.items[0] = {grid::PS_SOLID, 0, 0x00FF00, 1};   // left edges: green, on the cells to the left
    spec.items[1] = {grid::PS_SOLID, 0, 0x0000FF, 1};   // top edge: red, on the header row
    g.SetRangeBorders(1, 1, 5, 5, spec, false);
    const TableItemPicture p = RenderTableItem(Stream(g));
    ASSERT_EQ(p.image.size(), QSize(300, 120));
    EXPECT_EQ(p.image.pixel(100, 0), 0xFFFF0000u);
    EXPECT_EQ(p.image.pixel(0, 50), 0xFF00FF00u);
    // Inner left edges (right pens of data cells) replaced the yellow ones.
    EXPECT_EQ(p.image.pixel(60, 10), 0xFF00FF00u);
}

TEST(TableItem, HiddenColumnsAndRowsTakeNoSpace)
{
    CRealGrid g;
    g.ApplyDefaultBorders();
    g.SetColumnWidth(2, 0);
    g.SetRowHeight(3, 0);
    const TableItemPicture p = RenderTableItem(Stream(g));
    EXPECT_EQ(p.contentWidth, 240);
    EXPECT_EQ(p.contentHeight, 96);
    EXPECT_EQ(p.image.pixel(120, 10), kYellow);   // column 3's right edge moved left
}

TEST(TableItem, MoreHeaderRowsStartTheBodyAfterThem)
{
    CRealGrid g;
    g.ApplyDefaultBorders();
    g.InsertRows(0, 1);   // two header rows now
    ASSERT_EQ(g.FixedRows(), 2);
    g.SetTopRow(3);       // scrolled when stored: the item still starts at the first data row
    g.SetCellText(1, 2, u"top", false);
    const TableItemPicture p = RenderTableItem(Stream(g));
    EXPECT_EQ(p.contentHeight, 120);
    int white = 0;
    for (int y = 1; y < 24; ++y)
        for (int x = 1; x < 60; ++x)
            white += p.image.pixel(x, y) == 0xFFFFFFFF;
    EXPECT_GT(white, 5);   // the first data row's text is in the first cell
    EXPECT_EQ(p.image.pixel(60, 10), kYellow);
}

TEST(TableItem, ATableLargerThanAnyPreviewKeepsItsSizeButDrawsNoPicture)
{
    CRealGrid g;
    g.ApplyDefaultBorders();
    for (int k = 1; k <= 5; ++k) {
        g.SetColumnWidth(k, 1000);
        g.SetRowHeight(k, 1000);
    }
    const TableItemPicture p = RenderTableItem(Stream(g));
    EXPECT_FALSE(p.defaultTable);
    EXPECT_EQ(p.contentWidth, 5000);
    EXPECT_EQ(p.contentHeight, 5000);
    EXPECT_TRUE(p.image.isNull());

    // Widths whose sum no int holds (a damaged stream): the extent stops at
    // its largest, with no overflow on the way.
    g.SetColumnWidth(1, 0x7FFFFFFF);
    g.SetColumnWidth(2, 0x7FFFFFFF);
    const TableItemPicture huge = RenderTableItem(Stream(g));
    EXPECT_EQ(huge.contentWidth, 0x1FFFFFFF);
    EXPECT_EQ(huge.contentHeight, 5000);
    EXPECT_TRUE(huge.image.isNull());
}
