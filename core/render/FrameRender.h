#pragma once
// Borders of scenes and sections: the pattern cell of each element, the
// corner tables, the stamping of the cell around the band (static, blinking,
// running and travelling), and the "fram" device record.
#include <QRect>

#include <cstdint>
#include <vector>

class QImage;
struct DynFrame;
struct DynFrameElement;

namespace sorvane::render {

// Animation state kept by the caller between frames of one border.
struct FrameAnimState {
    std::int32_t Reserved = 0;
    std::int32_t Phase = 0;
    std::int32_t SegmentLength = 0;
    std::int32_t SegmentOffset = 0;
    std::int32_t PathLength = 0;
    std::int32_t Motion = 0;
    std::int32_t Extra[2] = {0, 0};
};

// The state a border starts from for an element within a rectangle.
FrameAnimState InitialFrameState(const DynFrameElement& element, int width, int height, int band);

// Widest border band: wider ones (a damaged file) are not drawn or built.
constexpr int kMaxFrameWidth = 16;

struct CornerEntry {
    std::int16_t X = 0;
    std::int16_t Y = 0;
    std::int16_t Lane = -1;   // negative: not drawn
};

// W × W entries; `rounded` picks the rounded set, else the square one.
std::vector<CornerEntry> BuildCornerTable(int band, bool rounded);

// The element's pattern cell drawn into a P × W image (row 0 the outer edge).
QImage DrawElementPattern(int band, const DynFrameElement& element);

// The cell's colours (0x00BBGGRR), column by column: entry x × W + y. Empty
// for a band of 0, a null element or a period of 0.
std::vector<std::uint32_t> CollectFrameElementColors(int band, const DynFrameElement* element);

// The element painted when none is named: the one at the frame's default index.
const DynFrameElement* DefaultFrameElement(const DynFrame& frame);

// Paints one element of the frame into the band of `rect` on `image`. Null
// element, colours or state are taken or made as the frame says. Returns 1.
int PaintDynFrame(QImage& image, const QRect& rect, const DynFrame& frame, FrameAnimState* state,
                  const DynFrameElement* element, const std::vector<std::uint32_t>* colours);

// How the screen's LEDs show colours: a channel is lit at or above its
// threshold; 256 never lights it.
struct LedQuantiser {
    int Red = 128;
    int Green = 256;
    int Blue = 256;
    bool SwapRedGreen = false;
    std::uint32_t operator()(std::uint32_t colour) const;
};

// The "fram" record of a frame around `rect` (screen coordinates); empty for
// a frame of width 0 or without elements.
std::vector<std::uint8_t> BuildFrameRecord(const DynFrame& frame, const QRect& rect, const LedQuantiser& leds);

}
