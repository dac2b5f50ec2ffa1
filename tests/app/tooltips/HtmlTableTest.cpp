// Table sizes, spans, widening, alignment, borders and nesting with the fixed-metric canvas.
#include "app/tooltips/HtmlDrawer.h"
#include "FakeCanvas.h"

#include <gtest/gtest.h>

using namespace tooltips;
using testing_tooltips::FakeCanvas;

namespace {

struct Engine {
    Engine() { d.SetStyleSheet("body {font-size: 20px}"); }
    QSize measure(const QString& t) { return d.Measure(c, t); }
    void draw(int width)
    {
        c.clear();
        d.Draw(c, QRect(0, 0, width, 400));
    }
    const FakeCanvas::Text* text(const QString& s) const
    {
        for (const auto& t : c.texts)
            if (t.text == s)
                return &t;
        return nullptr;
    }
    CHtmlDrawer d;
    FakeCanvas c;
};

} // namespace

TEST(HtmlTable, TwoColumnsWithoutSpacingAreTheirSumPlusOne)
{
    Engine e;
    EXPECT_EQ(e.measure("<table><tr><td>aa</td><td>bbbb</td></tr></table>"), QSize(70, 25));
    const TableLayout& t = e.d.tables().at(0);
    EXPECT_EQ(t.columns, (std::vector<int>{24, 44}));
    EXPECT_EQ(t.rows, (std::vector<int>{24}));
    e.draw(69);
    EXPECT_EQ(std::pair(e.text("aa")->x, e.text("aa")->top), std::pair(2, 2));
    EXPECT_EQ(e.text("bbbb")->x, 27);

    Engine s;
    // Spacing 3 around and between the cells, a solid border of 2; the cells
    // take the table's border at one pixel.
    EXPECT_EQ(s.measure("<table cellspacing=3 border=2><tr><td>aa</td><td>bbbb</td></tr></table>"),
              QSize(3 + 1 + 29 + 49 + 4 + 1, 3 + 29 + 4 + 1));
    s.draw(300);
    EXPECT_EQ(s.text("aa")->x, 2 + 3 + 1 + 2);
}

TEST(HtmlTable, ColumnsWithoutWidthWidenToTheRectangle)
{
    Engine e;
    e.measure("<table><tr><td>aa</td><td>bbbb</td></tr></table>");
    e.draw(169);
    EXPECT_EQ(e.text("bbbb")->x, 24 + 50 + 1 + 2);

    Engine f;
    EXPECT_EQ(f.measure("<table align=center><tr><td width=30>aa</td><td width=50>bbbb</td></tr></table>"),
              QSize(90, 25));
    EXPECT_EQ(f.d.tables()[0].fixedColumns, (std::vector<int>{1, 1}));
    f.draw(189);
    EXPECT_EQ(f.text("aa")->x, 50 + 2 + 5); // the cells inherit the centring

    Engine r;
    r.measure("<table align=right><tr><td width=30>aa</td></tr></table>");
    r.draw(100);
    EXPECT_EQ(r.text("aa")->x, 100 - 34 + 2 + 10);
}

TEST(HtmlTable, SpanningCellsShareTheirExcessFromTheLastColumn)
{
    Engine e;
    e.measure("<table><tr><td colspan=2 width=29></td></tr><tr><td>a</td><td>b</td></tr></table>");
    const TableLayout& t = e.d.tables().at(0);
    EXPECT_EQ(t.columns, (std::vector<int>{16, 17}));
    EXPECT_EQ(t.fixedColumns, (std::vector<int>{1, 1}));
    EXPECT_EQ(t.cells[0][1].colSpan, -1);

    Engine r;
    r.measure("<table><tr><td rowspan=2><font size=60px>A</font></td><td>b</td></tr><tr><td>c</td></tr></table>");
    const TableLayout& u = r.d.tables().at(0);
    EXPECT_EQ(u.cells[1][0].colSpan, -1);
    EXPECT_EQ(u.cells[1][1].colSpan, 1);
    // 64 high over two rows of 24: each row takes half of the 16 missing.
    EXPECT_EQ(u.rows, (std::vector<int>{32, 32}));
    r.draw(200);
    EXPECT_EQ(r.text("c")->x, r.text("b")->x);
    EXPECT_EQ(r.text("c")->top, 2 + 32 + 1);
}

TEST(HtmlTable, SpansAndCellsPastTheLayoutStayInside)
{
    Engine e;
    e.measure("<table><tr><td rowspan=9 colspan=4>a</td></tr><tr><td>b</td><td>c</td></tr></table>");
    const TableLayout& t = e.d.tables().at(0);
    ASSERT_EQ(t.columns.size(), 4u);
    EXPECT_EQ(t.cells[0][0].rowSpan, 2);
    EXPECT_EQ(t.cells[1][3].colSpan, -1);
    e.draw(200);
    EXPECT_NE(e.text("a"), nullptr);
    EXPECT_EQ(e.text("b"), nullptr);
    EXPECT_EQ(e.text("c"), nullptr);

    Engine empty;
    EXPECT_EQ(empty.measure("a<table></table>"), QSize(11, 21));
    EXPECT_EQ(empty.measure("<table><tr></tr></table>"), QSize(0, 0));
    EXPECT_EQ(empty.measure("<table><tr><td>x"), QSize(15, 25)); // unclosed cell, row and table
}

TEST(HtmlTable, BordersAndBackgrounds)
{
    Engine e;
    e.measure("<table border=3 bordercolorlight=red bordercolordark=blue bgcolor=yellow>"
              "<tr><td border=3 bgeffect=hgradient bgcolor=red bgendcolor=blue>a</td></tr></table>");
    e.draw(300);
    ASSERT_EQ(e.c.frames.size(), 2u);
    EXPECT_EQ(e.c.frames[0].width, 3);
    EXPECT_EQ(e.c.frames[0].light, 0x0000FFu);
    EXPECT_EQ(e.c.frames[0].dark, 0xFF0000u);
    EXPECT_EQ(e.c.frames[1].width, 1); // cell borders are always one pixel
    ASSERT_EQ(e.c.fills.size(), 2u);
    EXPECT_EQ(e.c.fills[0].effect, 0); // bgcolor turns "no effect" into solid
    EXPECT_EQ(e.c.fills[0].c1, 0x00FFFFu);
    EXPECT_EQ(e.c.fills[1].effect, 1);
    EXPECT_EQ(e.c.fills[1].c3, 0xFF0000u);

    Engine d;
    // Not solid: the table border is one pixel; the cell inherits it.
    EXPECT_EQ(d.measure("<table border=3 borderstyle=dashed><tr><td>a</td></tr></table>").width(), 16 + 2 + 1);
    Engine dbl;
    EXPECT_EQ(dbl.measure("<table border=1 borderstyle=double><tr><td>a</td></tr></table>").width(), 16 + 6 + 1);

    Engine off;
    off.d.setColoursEnabled(false);
    off.measure("<table border=1 bordercolor=red bgcolor=yellow><tr><td>a</td></tr></table>");
    off.draw(100);
    EXPECT_TRUE(off.c.fills.empty());
    ASSERT_EQ(off.c.frames.size(), 2u);
    EXPECT_EQ(off.c.frames[0].light, off.d.disabledColour());
    EXPECT_EQ(off.c.frames[1].dark, off.d.disabledColour());
}

TEST(HtmlTable, NestedTablesAndOpenTagsInCells)
{
    Engine e;
    EXPECT_EQ(e.measure("<table><tr><td><table><tr><td>a</td></tr></table></td></tr></table>"), QSize(19, 29));
    EXPECT_EQ(e.d.tables().size(), 2u);
    e.draw(18);
    EXPECT_EQ(std::pair(e.text("a")->x, e.text("a")->top), std::pair(4, 4));

    Engine o;
    o.measure("<table><tr><td><b>a</td><td>b</td></tr></table>c");
    o.draw(200);
    EXPECT_EQ(o.text("b")->font.weight, 800);
    EXPECT_EQ(o.text("c")->font.weight, 800);
    EXPECT_EQ(o.text("c")->top, 24);
}

TEST(HtmlTable, CellContentIsPlacedByItsVerticalAlignment)
{
    Engine e;
    e.measure("<table><tr><td><font size=60px>A</font></td><td valign=middle>b</td><td valign=bottom>c</td></tr>"
              "</table>");
    e.draw(300);
    EXPECT_EQ(e.text("b")->top, 2 + (60 - 20) / 2);
    EXPECT_EQ(e.text("c")->top, 2 + 60 - 20 + 5); // the run itself is bottom-aligned too
}
