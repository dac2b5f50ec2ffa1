// Border frames drawn frame after frame for several bands, corner styles,
// motions, patterns and rectangles (inside, crossing the image's edge, too
// small for an inner area), checked against checksums recorded from the
// drawing before paths and cells were cached: the cache must change no pixel.
#include "core/model/DynFrame.h"
#include "core/render/FrameRender.h"

#include <QImage>
#include <cstdio>
#include <gtest/gtest.h>
#include <vector>

using namespace sorvane::render;
using namespace sorvane::model;

namespace {

std::uint64_t mix(std::uint64_t h, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        h = (h ^ ((v >> (8 * i)) & 0xFF)) * 0x100000001b3ull;
    return h;
}

std::uint64_t imageSum(std::uint64_t h, const QImage& img)
{
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const std::uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            h = mix(h, line[x]);
    }
    return h;
}

const std::uint64_t kRecorded[] = {
#include "data/FrameGolden.inc"
};

TEST(FrameGolden, FramesKeepTheirRecordedPixels)
{
    const QRect rects[] = {QRect(0, 0, 120, 48), QRect(9, 5, 90, 33), QRect(-6, -3, 70, 30), QRect(100, 30, 40, 25),
                           QRect(20, 20, 7, 5)};
    const int bands[] = {1, 2, 5, 16};
    const std::uint8_t motions[] = {0, 1, 2, 3, 4, 5, 255};
    const struct {
        std::uint8_t type;
        int period, ml, mt, mr, mb;
    } cells[] = {{0, 6, 1, 0, 2, 0}, {1, 9, 0, 1, 1, 0}, {2, 5, 0, 0, 0, 1}, {13, 4, 0, 0, 0, 0}};
    std::vector<std::uint64_t> sums;
    for (int W : bands)
        for (int corner : {0, 1})
            for (std::uint8_t motion : motions)
                for (std::size_t ci = 0; ci < std::size(cells); ++ci) {
                    DynFrame frame;
                    frame.Width = std::uint16_t(W);
                    frame.CornerStyle = std::uint8_t(corner);
                    DynFrameElement* e = CreateFrameElement(0, u"e", &frame, nullptr);
                    e->Motion = motion;
                    e->Type = cells[ci].type;
                    e->Period = std::uint16_t(cells[ci].period);
                    e->MarginLeft = std::uint16_t(cells[ci].ml);
                    e->MarginTop = std::uint16_t(cells[ci].mt);
                    e->MarginRight = std::uint16_t(cells[ci].mr);
                    e->MarginBottom = std::uint16_t(cells[ci].mb);
                    std::uint64_t h = 0xcbf29ce484222325ull;
                    for (const QRect& r : rects) {
                        QImage img(128, 50, QImage::Format_RGB32);
                        for (int y = 0; y < img.height(); ++y)
                            for (int x = 0; x < img.width(); ++x)
                                img.setPixel(x, y, qRgb((x * 29) & 255, (y * 53) & 255, 77));
                        FrameAnimState s = InitialFrameState(*e, r.width(), r.height(), W);
                        for (int k = 0; k < 40; ++k) {
                            s.Phase = k;
                            // Odd frames let the painter take the colours itself.
                            const std::vector<std::uint32_t> colours = CollectFrameElementColors(W, e);
                            PaintDynFrame(img, r, frame, &s, nullptr, k % 2 ? nullptr : &colours);
                            if (k % 3 == 0 || k > 35)
                                h = imageSum(h, img);
                            h = mix(h, std::uint64_t(std::uint32_t(s.PathLength)) << 32 | std::uint32_t(s.SegmentOffset));
                        }
                    }
                    sums.push_back(h);
                    RemoveFrameElement(&frame, e);
                }
    ASSERT_EQ(sums.size(), std::size(kRecorded));
    int differ = 0;
    for (std::size_t i = 0; i < sums.size(); ++i)
        if (sums[i] != kRecorded[i])
            ++differ;
    EXPECT_EQ(differ, 0);
    if (differ) {
        // The table to record, should the change of pixels be intended.
        for (std::size_t i = 0; i < sums.size(); ++i)
            std::printf("0x%llxull,%s", (unsigned long long)sums[i], i % 4 == 3 ? "\n" : " ");
    }
}

} // namespace
