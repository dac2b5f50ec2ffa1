#pragma once
// Conversion of a rendered work bitmap into one page of controller words,
// and the reduction of a mask page to column runs.
#include <QImage>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sorvane::render {

// The parameters of one conversion.
struct LedModeParams {
    std::uint16_t ScanCount = 0;
    std::uint16_t ColourCount = 1;
    std::uint16_t ColumnGroup = 0;    // never 0 here: the rounded width stands in
    std::uint16_t RowFold = 1;
    std::uint16_t FoldOrder = 0;
    std::uint16_t Width = 0;          // work bitmap width, a multiple of 16
    std::uint16_t SwapRedGreen = 0;
    std::uint16_t PositiveData = 0;   // 1 for masks, 0 for content
    std::uint16_t BytesPerWord = 4;
    std::uint16_t WorkMode = 0;
    std::uint32_t Threshold = 128;
};

// Parameters for an area of the given width on a screen with these settings;
// the width is rounded up to a multiple of 16.
LedModeParams MakeLedModeParams(std::uint16_t workMode, std::uint16_t scanCount, bool swapRedGreen,
                                unsigned areaWidth, bool positiveData);

// Bytes of one page: 4 x RowFold x scan count x width.
std::size_t PageLength(const LedModeParams& p);

// A device-independent pixel buffer as the converter reads it.
struct DibView {
    const std::uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Depth = 32;          // 16, 24 or 32 give colours; other depths count as black
    std::size_t Stride = 0;  // bytes per row
    bool BottomUp = true;
    bool BitFields = false;  // 16 bits: 5-6-5 when set, else 5-5-5
};

// Converts the pixels into a page of PageLength(p) bytes at out (filled first
// with 0xFF for content, 0x00 for masks). Rows past the bitmap's height or
// past the last data line contribute nothing.
void ConvertDib(const DibView& dib, const LedModeParams& p, std::uint8_t* out);
void ConvertImage(const QImage& image, const LedModeParams& p, std::uint8_t* out);
// The page of a picture's window placed at column 0 and row `top` of an
// otherwise black work bitmap p.Width by `height`, read where it lies.
void ConvertWindow(const QImage& picture, const QRect& window, int top, const LedModeParams& p, int height,
                   std::uint8_t* out);

// The words of one column: for each scan row s and fold f, word f + s x RowFold.
// Runs of equal columns become 72-byte records.
std::vector<std::uint8_t> MaskRuns(const std::uint8_t* page, const LedModeParams& p);

// The mask runs of a picture `height` rows high and p.Width wide, black but
// for `white` with the `covers` (clipped to it) black again, as MaskRuns of
// that picture's page, worked out from the rectangles' edges.
std::vector<std::uint8_t> MaskRunsOfRects(const LedModeParams& p, int height, const QRect& white,
                                          const std::vector<QRect>& covers);

// The data-line bit of a colour channel (0 red, 1 green, 2 blue) of line L.
std::uint32_t LineBit(const LedModeParams& p, int channel, int line);

} // namespace sorvane::render
