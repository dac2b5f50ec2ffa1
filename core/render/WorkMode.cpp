#include "core/api/WorkMode.h"
#include "core/api/Core.h"

#include <algorithm>
#include <atomic>

using namespace sorvane::model;

namespace {

std::atomic<std::uint32_t> g_threshold{128};

struct Row {
    int code;
    LedWorkMode mode;
};

constexpr Row kModes[] = {
    {0, {2, 0, 1, 0}},   {1, {2, 8, 2, 1}},   {2, {2, 8, 2, 2}},   {3, {2, 8, 4, 1}},   {4, {2, 8, 4, 2}},
    {5, {2, 8, 8, 1}},   {6, {2, 8, 8, 2}},   {7, {2, 16, 2, 1}},  {8, {2, 16, 2, 2}},  {9, {2, 16, 4, 1}},
    {10, {2, 16, 4, 2}}, {11, {2, 16, 8, 1}}, {12, {2, 16, 8, 2}}, {14, {1, 8, 2, 1}},  {15, {1, 8, 2, 2}},
    {16, {1, 8, 4, 1}},  {17, {1, 8, 4, 2}},  {18, {1, 8, 8, 1}},  {19, {1, 8, 8, 2}},  {20, {1, 16, 2, 1}},
    {21, {1, 16, 2, 2}}, {22, {1, 16, 4, 1}}, {23, {1, 16, 4, 2}}, {24, {1, 16, 8, 1}}, {25, {1, 16, 8, 2}},
    {33, {1, 8, 3, 2}},  {34, {3, 8, 4, 2}},  {35, {1, 16, 4, 2}}, {64, {3, 8, 2, 1}},
};

} // namespace

LedWorkMode LookupWorkMode(int mode)
{
    for (const Row& r : kModes)
        if (r.code == mode)
            return r.mode;
    return LedWorkMode{1, 0, 1, 0};
}

bool WorkModeKnown(int mode)
{
    return mode == 13 || std::any_of(std::begin(kModes), std::end(kModes), [mode](const Row& r) { return r.code == mode; });
}

bool ScanFitsWorkMode(int mode, unsigned scan)
{
    const std::uint64_t rows = std::uint64_t(scan) * LookupWorkMode(mode).RowFold;
    return rows >= 1 && rows <= 16;
}

LedScanLimits LookupScanLimits(int mode)
{
    LedScanLimits out;
    unsigned fold = LookupWorkMode(mode).RowFold;
    if (fold == 0 || fold > 16)
        fold = 1;
    out.MaxScan = static_cast<std::uint16_t>(16 / fold);
    unsigned cap = 2;
    switch (mode) {
    case 0: case 13:
        cap = 16;
        break;
    case 1: case 2: case 7: case 8: case 14: case 15: case 20: case 21:
        cap = 4;
        break;
    case 3: case 4: case 9: case 10: case 16: case 17: case 22: case 23: case 33: case 35:
        cap = 4;
        out.FirstOption = 1;
        break;
    case 34:
        cap = 3;
        break;
    default:
        break;
    }
    out.DefaultScan = static_cast<std::uint16_t>(std::min<unsigned>(out.MaxScan, cap));
    return out;
}

std::uint32_t ColourThreshold() { return g_threshold.load(); }

std::uint32_t SetColourThreshold(std::uint32_t threshold) { return g_threshold.exchange(threshold); }

ChannelThresholds ThresholdsFor(std::uint16_t colourCount, std::uint32_t threshold)
{
    return {threshold, colourCount == 2 || colourCount == 3 ? threshold : 256u,
            colourCount == 3 ? threshold : 256u};
}

std::uint32_t ThresholdPixel(std::uint32_t rgb, const ChannelThresholds& t)
{
    const std::uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (r >= t.Red ? 0xFFu : 0u) | (g >= t.Green ? 0xFF00u : 0u) | (b >= t.Blue ? 0xFF0000u : 0u);
}

// ---- CCore exports ----

void CCore::ParseLEDWorkMode(int mode, unsigned short& colourCount, unsigned short& columnGroup,
                             unsigned short& rowFold, unsigned short& foldOrder)
{
    const LedWorkMode m = LookupWorkMode(mode);
    colourCount = m.ColourCount;
    columnGroup = m.ColumnGroup;
    rowFold = m.RowFold;
    foldOrder = m.FoldOrder;
}

void CCore::ParseLEDWorkMode(int mode, unsigned short& maxScan, unsigned short& defaultScan, int& firstOption)
{
    const LedScanLimits l = LookupScanLimits(mode);
    maxScan = l.MaxScan;
    defaultScan = l.DefaultScan;
    firstOption = l.FirstOption;
}

unsigned long CCore::SetColorThreshold(unsigned long threshold)
{
    return SetColourThreshold(static_cast<std::uint32_t>(threshold));
}

unsigned long CCore::GetColorThreshold() { return ColourThreshold(); }
