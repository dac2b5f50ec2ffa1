#pragma once
#include "core/api/Export.h"
// LED work modes: how a screen's wiring code packs pixels into controller
// words, and the library-wide colour threshold that decides which colour
// channels of a pixel light.
#include <cstdint>

struct LedWorkMode {
    std::uint16_t ColourCount = 1;   // 1 red, 2 red+green, 3 red+green+blue
    std::uint16_t ColumnGroup = 0;   // 0, 8 or 16 columns per interleave chunk
    std::uint16_t RowFold = 1;       // scan groups folded onto one data line
    std::uint16_t FoldOrder = 0;     // 0 none, 1 ascending, 2 descending
};

// The parameters of a work-mode code; unknown codes give the default row.
SORVANE_API LedWorkMode LookupWorkMode(int mode);

// Scan limits for the settings dialogs.
struct LedScanLimits {
    std::uint16_t MaxScan = 0;
    std::uint16_t DefaultScan = 0;
    int FirstOption = 0;
};
LedScanLimits LookupScanLimits(int mode);

// Whether a code names a work mode: a row of the table, or 13, which wires as
// the default row and is offered by the settings dialogs.
bool WorkModeKnown(int mode);
// Whether a scan value fits a work mode: scan x RowFold rows on one data
// line, 1 to 16. The compiler refuses any other.
bool ScanFitsWorkMode(int mode, unsigned scan);

// The process-wide colour threshold (initially 128).
SORVANE_API std::uint32_t ColourThreshold();
std::uint32_t SetColourThreshold(std::uint32_t threshold);   // returns the previous value

// Per-channel thresholds for a colour count: 256 switches a channel off.
struct ChannelThresholds {
    std::uint32_t Red, Green, Blue;
};
SORVANE_API ChannelThresholds ThresholdsFor(std::uint16_t colourCount, std::uint32_t threshold);
// An RGB pixel (red in bits 16-23 as in QRgb) thresholded to a 0x00BBGGRR
// colour whose channels are each 0 or 255.
SORVANE_API std::uint32_t ThresholdPixel(std::uint32_t rgb, const ChannelThresholds& t);
