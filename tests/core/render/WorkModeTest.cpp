#include "core/api/Core.h"
#include "core/api/WorkMode.h"

#include <QRgb>
#include <gtest/gtest.h>

namespace {

struct Expected {
    int code;
    unsigned short colours, group, fold, order;
};

TEST(WorkMode, EveryCodeOfTheTableAndTheDefaultRow)
{
    const Expected table[] = {
        {0, 2, 0, 1, 0},   {1, 2, 8, 2, 1},   {2, 2, 8, 2, 2},   {3, 2, 8, 4, 1},   {4, 2, 8, 4, 2},
        {5, 2, 8, 8, 1},   {6, 2, 8, 8, 2},   {7, 2, 16, 2, 1},  {8, 2, 16, 2, 2},  {9, 2, 16, 4, 1},
        {10, 2, 16, 4, 2}, {11, 2, 16, 8, 1}, {12, 2, 16, 8, 2}, {13, 1, 0, 1, 0},  {14, 1, 8, 2, 1},
        {15, 1, 8, 2, 2},  {16, 1, 8, 4, 1},  {17, 1, 8, 4, 2},  {18, 1, 8, 8, 1},  {19, 1, 8, 8, 2},
        {20, 1, 16, 2, 1}, {21, 1, 16, 2, 2}, {22, 1, 16, 4, 1}, {23, 1, 16, 4, 2}, {24, 1, 16, 8, 1},
        {25, 1, 16, 8, 2}, {26, 1, 0, 1, 0},  {32, 1, 0, 1, 0},  {33, 1, 8, 3, 2},  {34, 3, 8, 4, 2},
        {35, 1, 16, 4, 2}, {36, 1, 0, 1, 0},  {63, 1, 0, 1, 0},  {64, 3, 8, 2, 1},  {65, 1, 0, 1, 0},
        {255, 1, 0, 1, 0}, {-1, 1, 0, 1, 0},
    };
    for (const Expected& e : table) {
        unsigned short c = 99, g = 99, f = 99, o = 99;
        CCore::ParseLEDWorkMode(e.code, c, g, f, o);
        EXPECT_EQ(c, e.colours) << e.code;
        EXPECT_EQ(g, e.group) << e.code;
        EXPECT_EQ(f, e.fold) << e.code;
        EXPECT_EQ(o, e.order) << e.code;
    }
}

TEST(WorkMode, ScanLimitsByCode)
{
    struct Row {
        int code;
        unsigned short maxScan, defaultScan;
        int first;
    };
    const Row rows[] = {
        {13, 16, 16, 0}, {0, 16, 16, 0}, {64, 8, 2, 0}, {33, 5, 4, 1}, {17, 4, 4, 1}, {34, 4, 3, 0},
        {5, 2, 2, 0},    {1, 8, 4, 0},   {20, 8, 4, 0}, {35, 4, 4, 1}, {26, 16, 2, 0}, {200, 16, 2, 0},
    };
    for (const Row& r : rows) {
        unsigned short maxScan = 0, defaultScan = 0;
        int first = 7;
        CCore::ParseLEDWorkMode(r.code, maxScan, defaultScan, first);
        EXPECT_EQ(maxScan, r.maxScan) << r.code;
        EXPECT_EQ(defaultScan, r.defaultScan) << r.code;
        EXPECT_EQ(first, r.first) << r.code;
    }
}

TEST(WorkMode, ThresholdIsLibraryWideAndSetterReturnsPrevious)
{
    const unsigned long start = CCore::GetColorThreshold();
    EXPECT_EQ(start, 128u);
    EXPECT_EQ(CCore::SetColorThreshold(7), 128u);
    EXPECT_EQ(CCore::GetColorThreshold(), 7u);
    EXPECT_EQ(ColourThreshold(), 7u);
    EXPECT_EQ(CCore::SetColorThreshold(300), 7u);   // no range check
    EXPECT_EQ(CCore::SetColorThreshold(start), 300u);
}

TEST(WorkMode, ChannelThresholdsFollowTheColourCount)
{
    // QRgb in, COLORREF out.
    const QRgb grey = qRgb(200, 200, 200);
    EXPECT_EQ(ThresholdPixel(grey, ThresholdsFor(1, 128)), 0x0000FFu);
    EXPECT_EQ(ThresholdPixel(grey, ThresholdsFor(2, 128)), 0x00FFFFu);
    EXPECT_EQ(ThresholdPixel(grey, ThresholdsFor(3, 128)), 0xFFFFFFu);
    // 0 lights every admitted channel, even black.
    EXPECT_EQ(ThresholdPixel(qRgb(0, 0, 0), ThresholdsFor(3, 0)), 0xFFFFFFu);
    EXPECT_EQ(ThresholdPixel(qRgb(0, 0, 0), ThresholdsFor(1, 0)), 0x0000FFu);
    // 255 lights only full channels.
    EXPECT_EQ(ThresholdPixel(qRgb(255, 254, 255), ThresholdsFor(3, 255)), 0xFF00FFu);
    // One colour: green and blue never light.
    EXPECT_EQ(ThresholdPixel(qRgb(0, 255, 255), ThresholdsFor(1, 0)), 0x0000FFu);
    // Exactly at the threshold lights.
    EXPECT_EQ(ThresholdPixel(qRgb(128, 127, 0), ThresholdsFor(2, 128)), 0x0000FFu);
}

} // namespace
