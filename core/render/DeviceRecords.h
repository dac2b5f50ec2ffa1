#pragma once
// The records a controller needs to keep clocks and counters running by
// itself: where the changing characters stand, what role each has, and the
// bitmap of every character it may draw. Analog clocks carry every hand
// position as a ready list of pixels.
#include "core/render/ClockText.h"

#include <functional>
#include <memory>

class QFont;

namespace sorvane::render {

// Column bits of one character drawn in the record's font (the text bitmap
// format: ceil(h / 8) bytes per column).
using GlyphBitmap = std::function<std::vector<std::uint8_t>(const QString&)>;

// Role masks (which cell is which digit or letter).
std::uint32_t ClockRoleMask(const ItemRecord& record, ClockLayout layout);

// The characters a record's glyph table holds, in table order, with their
// two code bytes.
struct GlyphCode {
    QChar Char;
    std::uint8_t Code[2];
};
std::vector<GlyphCode> ClockGlyphSet(const ItemRecord& record, ClockLayout layout);
std::vector<GlyphCode> CounterGlyphSet();

// Digital clock record from the clock's cells (relative to the item) moved
// down by `verticalOffset`. `swapColour` exchanges red and green of the text
// colour (the Chinese layout only does). Empty for a language without layout.
std::vector<std::uint8_t> BuildDigitalClockRecord(const ItemRecord& record, ClockLayout layout,
                                                  const std::vector<QRect>& cells, int verticalOffset,
                                                  std::uint16_t contentWidth, bool swapColour,
                                                  const GlyphBitmap& glyph);

std::vector<std::uint8_t> BuildCounterRecord(const ItemRecord& record, const std::vector<QRect>& cells,
                                             std::uint32_t mask, std::uint16_t contentWidth, bool swapColour,
                                             const GlyphBitmap& glyph);

// Largest face whose pixel lists fit byte coordinates; larger faces are
// built for this size.
constexpr int MaxAnalogFace = 256;

// Analog clock record for a client area of width × height. `dateRecord` is
// the embedded date band record (may be empty).
std::vector<std::uint8_t> BuildAnalogClockRecord(const ItemRecord& record, int width, int height, bool swapColour,
                                                 const std::vector<std::uint8_t>& dateRecord);

// The zero-filled digital clock record a face uses for its date band.
std::unique_ptr<ItemRecord> MakeDateBandRecord(const ItemRecord& face);

}
