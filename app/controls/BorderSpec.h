#pragma once
// The cell-border pattern of the border picker: a leading word and eight side
// records {pen style, pen width, colour, apply flag}, 33 signed 32-bit words.
#include <QByteArray>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>

class QPainter;

namespace controls {

struct BorderSide {
    std::int32_t style = 5; // 0 solid, 5 none
    std::int32_t width = 0; // 0 thinnest, 2 thick
    std::int32_t colour = 0xFFFF;
    std::int32_t apply = 0; // 1: the pattern sets this side
};

enum BorderSideIndex { BorderLeft, BorderTop, BorderRight, BorderBottom, BorderInnerH, BorderInnerV };

struct BorderSpec {
    std::int32_t lead = 0;
    std::array<BorderSide, 8> sides{};

    // The 33 words, as receivers compare and store them.
    std::array<std::int32_t, 33> words() const;
    // Little-endian image of the 33 words (132 bytes).
    QByteArray bytes() const;
    bool operator==(const BorderSpec& o) const { return words() == o.words(); }
};
static_assert(sizeof(BorderSpec) == 33 * 4, "BorderSpec is 33 words");

constexpr int kBorderPresetCount = 12;

// Every side off, the first six applied: what a fresh button holds.
BorderSpec defaultBorderSpec();
BorderSpec borderPreset(int index);
QString borderPresetCaption(int index);

// Draws the preview of a pattern inside a rectangle (button face, popup cell).
void drawBorderPreview(QPainter& p, const QRect& r, const BorderSpec& pattern);

} // namespace controls
