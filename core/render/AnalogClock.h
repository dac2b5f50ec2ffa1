#pragma once
// Analog clock: dial marks, numerals and the three hands, drawn without
// antialiasing so that every pixel is one LED. Times and language come in as
// arguments; the face's date band is a digital clock.
#include "core/render/ClockText.h"

#include <QPointF>
#include <QPolygonF>

#include <cstdint>
#include <vector>

class QImage;
class QPainter;

namespace sorvane::render {

// The analog clock record (core/api/TypeRecords.h).
namespace clocksimul = records::clocksimul;

// Unit vector from the centre to dial position i (sixtieths, 0 up, clockwise;
// y grows downward).
QPointF DialDirection(int i);

struct HandIndices {
    int Second;
    int Minute;
    int Hour;
};
HandIndices ClockHandIndices(const ClockNow& now);

enum class Hand { Second, Minute, Hour };

// Dial radius used by the hands: half the smaller side less the larger mark size.
double DialRadius(const ItemRecord& record, int width, int height);

// The polygon of a minute or hour hand: tail, side, tip, side.
QPolygonF MakeHandPolygon(int index, double length, double halfWidth, QPointF centre);

// Draws one hand at position `index` into (x, y, width, height); with `clear`
// the rectangle is filled black first.
void DrawHand(Hand hand, int index, QPainter& painter, int x, int y, int width, int height,
              const ItemRecord& record, bool clear);
// A rectangle holding every pixel DrawHand may touch for this hand at
// `index` (pen widths and round caps included); it may reach past the face.
QRect HandBounds(Hand hand, int index, int x, int y, int width, int height, const ItemRecord& record);
// The three hands for a time: minute, hour, then second on top.
void DrawClockHands(QPainter& painter, const ItemRecord& record, int x, int y, int width, int height,
                    const ClockNow& now);

// Lit pixels of an image as (x, y) byte pairs, rows top to bottom; a pixel is
// lit when its colour is not black. Coordinates above 255 cannot be stored and
// are refused (empty list, `ok` false).
std::vector<std::uint8_t> BitmapToPixelList(const QImage& image, bool* ok = nullptr);
// The same for the pixels of `area` only (an RGB32 image), appended to `out`,
// as if everything outside the area were black.
bool AppendPixelList(const QImage& image, const QRect& area, std::vector<std::uint8_t>& out);

// Centre of dial mark k (0..59) on the mark ellipse, counter-clockwise from
// three o'clock.
QPointF DialMarkCentre(int k, double cx, double cy, double rx, double ry);

// The hour a numeral mark at mark position k shows (3, 2, 1, 12, 11, ...).
int DialNumeralHour(int k);

}

namespace sorvane::render {

// One dial mark centred at (x, y): below size 2 a single pixel; else by
// style a circle (0), diamond (1), square (2), or the hour numeral of mark
// position `k` in Arabic (3) or Roman (4 and above) figures.
void DrawDialMark(QPainter& painter, int style, int x, int y, int size, int k);

// The face: background picture, date band, title, marks and numerals, drawn
// into (x, y, width, height). The date band follows the layout of `lang`.
void DrawAnalogFace(QImage& target, const ItemRecord& record, int x, int y, int width, int height, bool device,
                    const ClockNow& now, int lang);

}
