#include "RenderTestUtil.h"
#include "core/render/PixelConvert.h"

#include "core/api/WorkMode.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <random>

using namespace sorvane::render;

namespace {

using reftest::Bytes;
using reftest::get32;

Bytes convert(const QImage& img, int mode, int scan, bool swap, bool positive)
{
    LedModeParams p = MakeLedModeParams(std::uint16_t(mode), std::uint16_t(scan), swap, unsigned(img.width()), positive);
    Bytes out(PageLength(p));
    ConvertImage(img, p, out.data());
    return out;
}

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::black);
    return img;
}

TEST(PixelConvert, OneColourFoldedDescendingClearsOneBitOfContent)
{
    QImage img = blank(16, 16);
    img.setPixel(3, 5, qRgb(255, 0, 0));
    const Bytes page = convert(img, 17, 4, false, false);
    ASSERT_EQ(page.size(), 4u * 4 * 4 * 16);
    // s = 1, fold = 4 - 1 - 1 = 2, column 3: word 3 + 8 * 2 + 1 * 16 * 4 = 83.
    for (std::size_t i = 0; i < page.size() / 4; ++i)
        EXPECT_EQ(get32(page, 4 * i), i == 83 ? 0xFFFFFFFEu : 0xFFFFFFFFu) << i;
}

TEST(PixelConvert, TwoColoursRedGreenSwapAndUpperLines)
{
    QImage img = blank(16, 16);
    img.setPixel(2, 9, qRgb(255, 0, 0));
    EXPECT_EQ(get32(convert(img, 0, 16, false, true), 4 * (2 + 9 * 16)), 0x1u);
    EXPECT_EQ(get32(convert(img, 0, 16, true, true), 4 * (2 + 9 * 16)), 0x100u);   // red lands on green's bit
    // Scan 1: every row is its own data line; line 8 red is bit 16, green bit 24.
    QImage rows = blank(16, 16);
    rows.setPixel(0, 8, qRgb(255, 0, 0));
    rows.setPixel(1, 8, qRgb(0, 255, 0));
    rows.setPixel(2, 15, qRgb(255, 255, 0));
    const Bytes p = convert(rows, 0, 1, false, true);
    EXPECT_EQ(get32(p, 0), 0x10000u);
    EXPECT_EQ(get32(p, 4), 0x1000000u);
    EXPECT_EQ(get32(p, 8), (1u << 23) | (1u << 31));
}

TEST(PixelConvert, ThreeColoursAndTheZigzagMode)
{
    QImage img = blank(16, 16);
    img.setPixel(1, 10, qRgb(0, 0, 255));
    // Mode 64: s = 2, fold 1, word 1 + 8 + 2 * 16 * 2 = 73; blue of line 0 is bit 2.
    EXPECT_EQ(get32(convert(img, 64, 8, false, true), 4 * 73), 0x4u);
    QImage z = blank(16, 16);
    z.setPixel(3, 6, qRgb(255, 255, 255));
    // Mode 35: m = 1, base = 32, v = 35; s = 2: word 35 + 2 * 64 = 163.
    const Bytes p = convert(z, 35, 4, false, true);
    for (std::size_t i = 0; i < p.size() / 4; ++i)
        EXPECT_EQ(get32(p, 4 * i), i == 163 ? 1u : 0u) << i;
}

TEST(PixelConvert, SixteenBitPixelsAndOtherDepths)
{
    // Two rows stored bottom-up: the first stored row is the image's lower row.
    const std::uint8_t bits[] = {0x00, 0xF8, 0, 0, 0, 0, 0, 0,     // y = 1: 5-6-5 red at x = 0
                                 0x00, 0x7C, 0, 0, 0, 0, 0, 0};    // y = 0: 5-5-5 red
    LedModeParams p = MakeLedModeParams(0, 16, false, 4, true);   // width rounds to 16
    Bytes out(PageLength(p));
    DibView dib{bits, 4, 2, 16, 8, true, true};
    ConvertDib(dib, p, out.data());
    EXPECT_EQ(get32(out, 4 * (0 + 1 * 16)), 1u);   // row 1 from 5-6-5
    EXPECT_EQ(get32(out, 0), 0u);                  // 0x7C00 read as 5-6-5 is not red enough
    dib.BitFields = false;
    ConvertDib(dib, p, out.data());
    EXPECT_EQ(get32(out, 0), 1u);
    dib.Depth = 8;   // other depths are black
    ConvertDib(dib, p, out.data());
    EXPECT_EQ(get32(out, 0), 0u);
    EXPECT_EQ(get32(out, 4 * 16), 0u);
}

TEST(PixelConvert, RowsPastTheLastDataLineContributeNothing)
{
    // One colour, scan 1, fold 1 (mode 13): 32 data lines, rows 32+ have no bit.
    QImage img = blank(16, 40);
    img.setPixel(0, 31, qRgb(255, 0, 0));
    img.setPixel(0, 35, qRgb(255, 0, 0));
    const Bytes p = convert(img, 13, 1, false, true);
    EXPECT_EQ(get32(p, 0), 0x80000000u);
}

TEST(PixelConvert, MatchesTheReferencePackerOnNoiseInEveryModeShape)
{
    std::mt19937 rng(7);
    const struct {
        int mode, scan;
        bool swap;
    } cases[] = {{0, 16, false}, {0, 8, true}, {3, 4, false}, {10, 2, true}, {17, 4, false}, {19, 2, false},
                 {22, 4, false}, {33, 5, false}, {34, 3, true}, {35, 4, false}, {64, 8, false}, {13, 1, false}};
    for (const auto& c : cases) {
        QImage img(48, 37, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, rng() | 0xFF000000u);
        for (bool positive : {false, true}) {
            reftest::Mode m{c.mode, c.scan, c.swap, 128};
            EXPECT_EQ(convert(img, c.mode, c.scan, c.swap, positive), reftest::page(img, m, positive))
                << "mode " << c.mode << " positive " << positive;
        }
    }
}

// Mask runs of rectangles as a picture drawn and converted would give them.
TEST(PixelConvert, MaskRunsOfRectsEqualTheDrawnAndConvertedPicture)
{
    std::mt19937 rng(11);
    const struct {
        int mode, scan;
        bool swap;
    } cases[] = {{0, 16, false}, {0, 8, true}, {3, 4, false}, {10, 2, true}, {17, 4, false}, {19, 2, false},
                 {22, 4, false}, {33, 5, false}, {34, 3, true}, {35, 4, false}, {35, 2, true}, {64, 8, false},
                 {13, 1, false}, {2, 8, true}};
    const std::uint32_t keep = ColourThreshold();
    for (const std::uint32_t threshold : {128u, 0u, 255u})
        for (const auto& c : cases)
            for (int trial = 0; trial < 12; ++trial) {
                SetColourThreshold(threshold);
                const int areaW = 1 + int(rng() % 120), height = 1 + int(rng() % (trial % 3 == 0 ? 600 : 70));
                const LedModeParams p = MakeLedModeParams(std::uint16_t(c.mode), std::uint16_t(c.scan), c.swap,
                                                          unsigned(areaW), true);
                auto rnd = [&](int n) { return int(rng() % unsigned(n)) - 8; };
                const QRect white = trial == 5 ? QRect(3, 2, 0, 9) : QRect(rnd(20), rnd(20), areaW, height - rnd(12));
                std::vector<QRect> covers;
                for (int k = int(rng() % 6); k > 0; --k)
                    covers.emplace_back(rnd(p.Width + 16), rnd(height + 16), int(rng() % 60), int(rng() % 60));
                if (trial == 7)
                    covers.push_back(white);   // all covered

                QImage work(p.Width, height, QImage::Format_RGB32);
                work.fill(Qt::black);
                {
                    QPainter painter(&work);
                    painter.fillRect(white, Qt::white);
                    for (const QRect& r : covers)
                        painter.fillRect(r.intersected(white), Qt::black);
                }
                std::vector<std::uint8_t> page(PageLength(p));
                ConvertImage(work, p, page.data());
                EXPECT_EQ(MaskRunsOfRects(p, height, white, covers), MaskRuns(page.data(), p))
                    << "mode " << c.mode << " scan " << c.scan << " threshold " << threshold << " trial " << trial;
            }
    SetColourThreshold(keep);
}

TEST(PixelConvert, MaskRunsSplitAtEveryColumnChange)
{
    QImage img = blank(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 5; x < 20; ++x)
            img.setPixel(x, y, qRgb(255, 255, 255));
    LedModeParams p = MakeLedModeParams(17, 4, false, 32, true);
    Bytes page(PageLength(p));
    ConvertImage(img, p, page.data());
    const Bytes runs = MaskRuns(page.data(), p);
    ASSERT_EQ(runs.size(), 3u * 72);
    EXPECT_EQ(reftest::get16(runs, 0), 0);
    EXPECT_EQ(reftest::get16(runs, 2), 4);
    EXPECT_EQ(reftest::get16(runs, 4), 5);
    EXPECT_EQ(reftest::get16(runs, 6), 72);
    EXPECT_EQ(reftest::get16(runs, 72), 5);
    EXPECT_EQ(reftest::get16(runs, 74), 19);
    EXPECT_EQ(reftest::get16(runs, 76), 15);
    // Lit columns: 16 words, all four scan rows x four folds carry line 0.
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(get32(runs, 72 + 8 + 4 * i), 1u);
    EXPECT_EQ(reftest::get16(runs, 144), 20);
    EXPECT_EQ(reftest::get16(runs, 146), 31);
    EXPECT_EQ(runs, reftest::maskRuns(page, 32, reftest::Mode{17, 4, false, 128}));
}

} // namespace
