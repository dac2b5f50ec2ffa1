// Borders: pattern cells, corner tables, stamping round the band, "fram" records.
#include "core/render/FrameRender.h"

#include "core/model/DynFrame.h"
#include "platform/ByteIO.h"

#include <QImage>
#include <gtest/gtest.h>
#include <set>

using namespace sorvane::model;

using namespace sorvane::render;

namespace {

struct FrameFixture {
    DynFrame frame;
    FrameFixture(int width, std::uint16_t type, int corner = 0)
    {
        frame.Width = static_cast<std::uint16_t>(width);
        frame.CornerStyle = static_cast<std::uint8_t>(corner);
        CreateFrameElement(type, u"e", &frame, nullptr);
    }
    ~FrameFixture()
    {
        while (frame.First)
            RemoveFrameElement(&frame, frame.First);
    }
    DynFrameElement& element() { return *frame.First; }
};

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

bool lit(const QImage& img, int x, int y) { return (img.pixel(x, y) & 0xFFFFFF) != 0; }

}

TEST(FrameRender, WhiteBarsRunRoundTheBandAndMoveClockwise)
{
    FrameFixture f(1, 0);
    ASSERT_EQ(f.element().Period, 8);
    ASSERT_EQ(f.element().MarginRight, 4);
    f.element().Motion = 0;
    QImage img = blank(40, 20);
    FrameAnimState s = InitialFrameState(f.element(), 40, 20, 1);
    PaintDynFrame(img, QRect(0, 0, 40, 20), f.frame, &s, nullptr, nullptr);
    // The bottom edge, walked leftwards from x = 38: columns 0..3 lit, 4..7 dark.
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(lit(img, 38 - k, 19), k % 8 < 4) << k;
    // The inside stays untouched.
    EXPECT_FALSE(lit(img, 5, 5));
    s.Phase = 1;
    QImage next = blank(40, 20);
    PaintDynFrame(next, QRect(0, 0, 40, 20), f.frame, &s, nullptr, nullptr);
    for (int x = 1; x < 38; ++x)
        EXPECT_EQ(lit(next, x, 19), lit(img, x + 1, 19)) << x;   // one LED further along the walk
    // Top edge walked rightwards: the same runs continue after the corners.
    int runs = 0;
    for (int x = 1; x < 39; ++x)
        runs += lit(img, x, 0) != lit(img, x - 1, 0);
    EXPECT_GE(runs, 8);
}

TEST(FrameRender, BlinkingShowsThePatternOnEvenPhasesOnly)
{
    FrameFixture f(2, 0);
    f.element().Motion = 1;
    FrameAnimState s = InitialFrameState(f.element(), 30, 30, 2);
    QImage img = blank(30, 30);
    img.fill(Qt::blue);
    s.Phase = 2;
    PaintDynFrame(img, QRect(0, 0, 30, 30), f.frame, &s, nullptr, nullptr);
    int litCount = 0;
    for (int x = 0; x < 30; ++x)
        litCount += (img.pixel(x, 29) & 0xFFFFFF) == 0xFFFFFF;
    EXPECT_GT(litCount, 8);
    s.Phase = 3;
    PaintDynFrame(img, QRect(0, 0, 30, 30), f.frame, &s, nullptr, nullptr);
    for (int x = 0; x < 30; ++x) {
        EXPECT_EQ(img.pixel(x, 29) & 0xFFFFFF, 0u);
        EXPECT_EQ(img.pixel(x, 28) & 0xFFFFFF, 0u);
    }
    EXPECT_EQ(img.pixel(15, 15), QColor(Qt::blue).rgb());   // inside the band: untouched
}

TEST(FrameRender, SquareCornerTableAndRoundedTableDrawEachPixelOnce)
{
    const auto square = BuildCornerTable(3, false);
    ASSERT_EQ(square.size(), 9u);
    for (int i = 0; i < 3; ++i)
        for (int n = 0; n < 3; ++n) {
            const CornerEntry& e = square[static_cast<std::size_t>(i * 3 + (2 - n))];
            EXPECT_EQ(e.X, i);
            EXPECT_EQ(e.Y, n);
            EXPECT_EQ(e.Lane, n);
        }
    EXPECT_EQ(BuildCornerTable(1, true)[0].Lane, 0);
    for (int W = 2; W <= 16; ++W) {
        const auto rounded = BuildCornerTable(W, true);
        ASSERT_EQ(rounded.size(), static_cast<std::size_t>(W * W));
        std::set<std::pair<int, int>> seen;
        for (const CornerEntry& e : rounded) {
            if (e.Lane < 0)
                continue;
            EXPECT_TRUE(seen.insert({e.X, e.Y}).second) << W;
            EXPECT_LT(e.X, W);
            EXPECT_LT(e.Y, W);
            EXPECT_EQ(e.Lane, W - e.Y - 1);
        }
        EXPECT_GE(seen.size(), static_cast<std::size_t>(W));
    }
}

TEST(FrameRender, ElementColoursAndQuantisation)
{
    FrameFixture f(2, 9);
    const auto black = CollectFrameElementColors(2, &f.element());
    ASSERT_EQ(black.size(), 16u);
    for (auto c : black)
        EXPECT_EQ(c, 0u);
    EXPECT_TRUE(CollectFrameElementColors(0, &f.element()).empty());
    EXPECT_TRUE(CollectFrameElementColors(2, nullptr).empty());
    f.element().Period = 0;
    EXPECT_TRUE(CollectFrameElementColors(2, &f.element()).empty());

    FrameFixture bar(2, 0);
    const auto white = CollectFrameElementColors(2, &bar.element());
    EXPECT_EQ(white[0], 0xFFFFFFu);                    // column 0, lane 0
    EXPECT_EQ(white[static_cast<std::size_t>(4 * 2)], 0u);   // column 4: the gap
    EXPECT_EQ((LedQuantiser{128, 256, 256, false})(0xFFFFFF), 0x0000FFu);
    EXPECT_EQ((LedQuantiser{128, 128, 256, false})(0xFFFFFF), 0x00FFFFu);
    EXPECT_EQ((LedQuantiser{128, 128, 128, false})(0xFFFFFF), 0xFFFFFFu);
    EXPECT_EQ((LedQuantiser{128, 256, 256, true})(0xFFFFFF), 0x00FF00u);
}

TEST(FrameRender, MarginsWiderThanTheCellDrawNothing)
{
    FrameFixture f(2, 0);
    f.element().MarginLeft = 6;
    f.element().MarginRight = 6;
    for (auto c : CollectFrameElementColors(2, &f.element()))
        EXPECT_EQ(c, 0u);
}

TEST(FrameRender, FramRecordBytes)
{
    FrameFixture f(2, 0);
    f.element().Motion = 2;
    const QRect rect(10, 20, 30, 40);   // left 10, top 20, right 40, bottom 60
    const auto rec = BuildFrameRecord(f.frame, rect, LedQuantiser{128, 128, 256, false});
    ASSERT_EQ(rec.size(), 256u);
    const std::uint8_t* p = rec.data();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), 4), "fram");
    EXPECT_EQ(bytes::get16(p, 4), 3);
    EXPECT_EQ(bytes::get16(p, 6), 164);
    EXPECT_EQ(bytes::get32(p, 24), 164u);
    EXPECT_EQ(bytes::get16(p, 8), 10);
    EXPECT_EQ(bytes::get16(p, 10), 20);
    EXPECT_EQ(bytes::get16(p, 12), 40);
    EXPECT_EQ(bytes::get16(p, 14), 60);
    EXPECT_EQ(bytes::get16(p, 16), 2);
    EXPECT_EQ(bytes::get16(p, 20), 1);
    // Square corners in the order bottom-right, bottom-left, top-left, top-right.
    const auto square = BuildCornerTable(2, false);
    for (std::size_t i = 0; i < 4; ++i) {
        const CornerEntry& e = square[i];
        const std::size_t br = 36 + 8 * i, bl = br + 32, tl = bl + 32, tr = tl + 32;
        EXPECT_EQ(bytes::get16(p, br), 40 - 2 + e.Y);
        EXPECT_EQ(bytes::get16(p, br + 2), 60 - 2 + e.X);
        EXPECT_EQ(bytes::get16(p, bl), 10 + 2 - e.X - 1);
        EXPECT_EQ(bytes::get16(p, bl + 2), 60 - 2 + e.Y);
        EXPECT_EQ(bytes::get16(p, tl), 10 + 2 - e.Y - 1);
        EXPECT_EQ(bytes::get16(p, tl + 2), 20 + 2 - e.X - 1);
        EXPECT_EQ(bytes::get16(p, tr), 40 - 2 + e.X);
        EXPECT_EQ(bytes::get16(p, tr + 2), 20 + 2 - e.Y - 1);
        EXPECT_EQ(bytes::get16(p, br + 4), e.Lane);
    }
    // Element record: head, then lane 0's eight colours, then lane 1's.
    const std::size_t el = 164;
    EXPECT_EQ(bytes::get16(p, el), 3);
    EXPECT_EQ(bytes::get16(p, el + 2), 28 + 64);
    EXPECT_EQ(bytes::get16(p, el + 4), 2);
    EXPECT_EQ(bytes::get16(p, el + 6), 50);
    EXPECT_EQ(bytes::get32(p, el + 16), 2000u);
    EXPECT_EQ(bytes::get16(p, el + 20), 8);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(bytes::get32(p, el + 28 + 4 * x), x < 4 ? 0x00FFFFu : 0u) << x;
        EXPECT_EQ(bytes::get32(p, el + 28 + 32 + 4 * x), x < 4 ? 0x00FFFFu : 0u) << x;
    }
    DynFrame empty;
    EXPECT_TRUE(BuildFrameRecord(empty, rect, {}).empty());
}

TEST(FrameRender, CornerStyleTwoIsRoundedOnDeviceAndPreview)
{
    FrameFixture two(3, 0, 2), one(3, 0, 1);
    EXPECT_EQ(BuildFrameRecord(two.frame, QRect(0, 0, 20, 20), {}), BuildFrameRecord(one.frame, QRect(0, 0, 20, 20), {}));
}

TEST(FrameRender, TravellingCellsAdvanceAlongThePath)
{
    FrameFixture f(1, 0);
    f.element().Motion = 4;
    FrameAnimState s = InitialFrameState(f.element(), 20, 10, 1);
    EXPECT_EQ(s.PathLength, 2 * (20 + 10 - 2));
    EXPECT_EQ(s.SegmentLength, 12);
    QImage img = blank(20, 10);
    for (int phase = 0; phase < 3; ++phase) {
        s.Phase = phase;
        PaintDynFrame(img, QRect(0, 0, 20, 10), f.frame, &s, nullptr, nullptr);
    }
    // Head at path position 2: the bottom edge from x = 18 leftwards.
    EXPECT_FALSE(lit(img, 18, 9));   // column P-1-2 = 5: the gap
    EXPECT_FALSE(lit(img, 15, 9));   // not reached yet
    for (int phase = 3; phase < 8; ++phase) {
        s.Phase = phase;
        PaintDynFrame(img, QRect(0, 0, 20, 10), f.frame, &s, nullptr, nullptr);
    }
    // Head at 7 carries column 7; behind it columns 6..0, so column q stands at position q.
    for (int q = 0; q <= 7; ++q) {
        const int column = q;
        EXPECT_EQ(lit(img, 18 - q, 9), column < 4) << q;
    }
}

TEST(FrameRender, BandsWiderThanSixteenAreNeitherDrawnNorBuilt)
{
    // A damaged file can bring any width: nothing is drawn and nothing is built.
    FrameFixture f(65281, 0);
    QImage img = blank(40, 20);
    EXPECT_EQ(PaintDynFrame(img, QRect(0, 0, 40, 20), f.frame, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(img, blank(40, 20));
    EXPECT_TRUE(CollectFrameElementColors(65281, &f.element()).empty());
    EXPECT_TRUE(BuildCornerTable(17, true).empty());
    EXPECT_TRUE(BuildFrameRecord(f.frame, QRect(0, 0, 40, 20), {}).empty());
    EXPECT_EQ(BuildCornerTable(16, true).size(), 256u);
}
