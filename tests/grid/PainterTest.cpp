// The painter on a QImage: exact geometry and fill colours; text pixels are
// only checked to exist.
#include "GridTestUtil.h"

#include "grid/GridPainter.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <cstdlib>

using namespace grid;
using namespace gridtest;

namespace {

constexpr QRgb kSilver = 0xFFC0C0C0;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kFace = 0xFFF0F0F0;

QImage PaintWhole(CRealGrid& g, int w = 360, int h = 144)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    QPainter p(&img);
    GridPainter(g, p).PaintWindow({0, 0, w, h}, w, h);
    return img;
}

bool Near(QRgb a, QRgb b, int tolerance = 2)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance
           && std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int CountColour(const QImage& img, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += img.pixel(x, y) == colour;
    return n;
}

}   // namespace

TEST(GridPainter, EmptyGridIsAllBackground)
{
    CRealGrid g;
    const QImage img = PaintWhole(g, 50, 30);
    EXPECT_EQ(CountColour(img, img.rect(), kSilver), 50 * 30);
    g.SetSelection(1, 1, 2, 2, false);   // a selection outside the table draws nothing
    EXPECT_EQ(PaintWhole(g, 50, 30), img);
}

TEST(GridPainter, BackgroundsAndBorders)
{
    auto g = DefaultGrid();
    const QImage img = PaintWhole(*g);
    // Data cell (1, 1) is (60, 24)-(120, 48): black inside, yellow right and
    // bottom borders in its last column and row.
    EXPECT_EQ(CountColour(img, QRect(60, 24, 59, 23), kBlack), 59 * 23);
    for (int y = 24; y < 47; ++y)
        EXPECT_EQ(img.pixel(119, y), kYellow) << y;
    EXPECT_EQ(img.pixel(119, 23), kSilver);   // the header's bottom line comes later
    for (int x = 60; x < 120; ++x)
        EXPECT_EQ(img.pixel(x, 47), kYellow) << x;
    // Header cells: button face with silver borders, drawn after the body.
    EXPECT_EQ(img.pixel(30, 10), kFace);
    EXPECT_EQ(img.pixel(59, 30), kSilver);
    EXPECT_EQ(img.pixel(90, 23), kSilver);
    // The last data cell ends at the table's edge.
    EXPECT_EQ(img.pixel(359, 140), kYellow);
    EXPECT_EQ(img.pixel(340, 143), kYellow);

    // Past the table: background.
    const QImage wide = PaintWhole(*g, 400, 160);
    EXPECT_EQ(wide.pixel(380, 10), kSilver);
    EXPECT_EQ(wide.pixel(10, 150), kSilver);
}

TEST(GridPainter, WideAndHiddenPens)
{
    auto g = DefaultGrid();
    BorderSpec spec{};
    spec.items[2] = {PS_SOLID, 3, 0x0000FF, 1};   // red, 3 wide, right edges
    spec.items[3] = {PS_NULL, 0, 0, 1};           // no bottom edges
    g->SetRangeBorders(2, 2, 2, 2, spec, false);
    const QImage img = PaintWhole(*g);
    // Cell (2, 2) is (120, 48)-(180, 72); a 3-pixel pen is pulled inside.
    for (int x = 177; x < 180; ++x)
        EXPECT_EQ(img.pixel(x, 60), 0xFFFF0000u) << x;
    EXPECT_EQ(img.pixel(176, 60), kBlack);
    EXPECT_EQ(img.pixel(150, 71), kBlack);        // no bottom line: the fill shows
    EXPECT_EQ(img.pixel(150, 70), kBlack);
}

TEST(GridPainter, MessageCellIsCrossHatchedInRed)
{
    auto g = DefaultGrid();
    g->SetCellValidator(3, 2, FindValidator("Int0_100"));
    g->SetCellText(3, 2, u"abc", false);
    CellAttributes look = g->GetCell(3, 2).attr;
    look.textColour = 0;   // black text: only the hatch differs from the fill
    g->SetCellAttributes(3, 2, look);
    ASSERT_FALSE(g->GetCell(3, 2).message.empty());
    const QImage img = PaintWhole(*g);
    const QRect inside(180, 48, 59, 23);
    const int red = CountColour(img, inside, 0xFFFF0000);
    EXPECT_GT(red, 100);
    // Everything else is the black fill (or black text edged onto the hatch).
    int other = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            other += qGreen(img.pixel(x, y)) != 0 || qBlue(img.pixel(x, y)) != 0;
    EXPECT_EQ(other, 0);
    EXPECT_GT(CountColour(img, inside, kBlack), 100);
}

TEST(GridPainter, ZeroWidthColumnsAndMergedBlocks)
{
    auto g = DefaultGrid();
    g->MergeRange({2, 1, 4, 2});   // columns 2-3 of row 1
    g->SetColumnWidth(2, 0);       // the anchor's column is hidden
    const QImage img = PaintWhole(*g);
    // Column 3 now starts at 120; its covered cell is not drawn and the
    // anchor's column is skipped, so the black under the body shows.
    EXPECT_EQ(img.pixel(179, 30), kBlack);
    EXPECT_EQ(img.pixel(179, 60), kYellow);   // the row below is normal

    // A covered cell whose anchor lies outside the painted range paints the
    // anchor's whole block.
    auto h = DefaultGrid();
    h->MergeRange({1, 1, 3, 3});
    CellAttributes green = h->GetCell(1, 1).attr;
    green.background = 0x00FF00;
    h->SetCellAttributes(1, 1, green);
    QImage part(360, 144, QImage::Format_RGB32);
    part.fill(Qt::magenta);
    {
        QPainter p(&part);
        GridPainter(*h, p).PaintRange({2, 2, 3, 3}, 0, 0, PaintOptions{});
    }
    EXPECT_EQ(part.pixel(61, 25), 0xFF00FF00u);    // the anchor's corner
    EXPECT_EQ(part.pixel(178, 70), 0xFF00FF00u);   // its far corner
    EXPECT_EQ(part.pixel(179, 70), kYellow);       // its right border
    EXPECT_EQ(part.pixel(200, 30), 0xFFFF00FFu);   // nothing else
}

TEST(GridPainter, SelectionBandsFrameAndFocusHole)
{
    auto g = DefaultGrid();
    g->SetSelection(1, 1, 2, 2, false);
    g->SetDownCell(1, 1);
    const QImage plain = [&] {
        CRealGrid none;
        none.ApplyDefaultBorders();
        return PaintWhole(none);
    }();
    const QImage img = PaintWhole(*g);
    // Header tint at alpha 128 over the column header of columns 1-2.
    const QRgb face = plain.pixel(90, 10);
    const QRgb tinted = img.pixel(90, 10);
    EXPECT_TRUE(Near(tinted, qRgb((0xFF * 128 + qRed(face) * 127) / 255, (0xFF * 128 + qGreen(face) * 127) / 255,
                                  (0x80 * 128 + qBlue(face) * 127) / 255)));
    EXPECT_EQ(img.pixel(200, 10), plain.pixel(200, 10));   // column 3 untouched
    EXPECT_NE(img.pixel(30, 40), plain.pixel(30, 40));     // row header of row 1
    // The frame inverts: black turns white just inside the selection's edge.
    EXPECT_EQ(img.pixel(61, 60), 0xFFFFFFFFu);
    // Left of the data area the frame is clipped: only the row-header tint.
    const QRgb border = plain.pixel(59, 60);
    EXPECT_TRUE(Near(img.pixel(59, 60), qRgb((0xFF * 128 + qRed(border) * 127) / 255,
                                             (0xFF * 128 + qGreen(border) * 127) / 255,
                                             (0x80 * 128 + qBlue(border) * 127) / 255)));
    // Inside: tinted at alpha 96, except the focus cell.
    EXPECT_TRUE(Near(img.pixel(150, 60), qRgb(0x80 * 96 / 255, 0x80 * 96 / 255, 0xFF * 96 / 255)));
    EXPECT_EQ(img.pixel(90, 35), kBlack);
    EXPECT_EQ(img.pixel(250, 60), plain.pixel(250, 60));   // outside the selection
}

TEST(GridPainter, TextIsDrawnInTheCellsColour)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"=2*21");
    const QImage img = PaintWhole(*g);
    EXPECT_GT(CountColour(img, QRect(60, 24, 59, 23), 0xFFFFFFFF), 5);   // white text
    EXPECT_EQ(CountColour(img, QRect(120, 24, 59, 23), 0xFFFFFFFF), 0);
}

namespace {

// Counts the texts drawn through it.
class CountingEngine : public QPaintEngine {
public:
    CountingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawRects(const QRect*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawTextItem(const QPointF&, const QTextItem& item) override { texts.push_back(item.text()); }
    Type type() const override { return QPaintEngine::User; }
    QStringList texts;
};

class CountingDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return 400;
        case PdmHeight: return 200;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 1;
        }
    }
    mutable CountingEngine engine;
};

}   // namespace

TEST(GridPainter, AnOffRangeAnchorIsPaintedOncePerRange)
{
    auto g = DefaultGrid();
    g->SetCellText(1, 1, u"A", false);
    g->SetCellText(4, 4, u"B", false);
    g->MergeRange({1, 1, 4, 4});   // 3 x 3 block at (1, 1)
    CountingDevice device;
    {
        QPainter p(&device);
        // Eight covered cells of the block lie in the range; its anchor does not.
        GridPainter(*g, p).PaintRange({2, 2, 5, 5}, 0, 0, PaintOptions{});
    }
    EXPECT_EQ(device.engine.texts, (QStringList{"A", "B"}));
}
