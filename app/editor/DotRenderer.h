#pragma once
// How an LED screen shows a picture: each content pixel (one LED) becomes a
// block of display pixels separated by dark gaps, each colour channel fully on
// or off by its threshold. Plain functions on QImage, used by every canvas.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

namespace editor {

// Display pixels per LED and the gaps around the lit block of each dot.
struct DotGeometry {
    int dotW = 3;
    int dotH = 3;
    int gapLeft = 1;
    int gapTop = 1;
    int gapRight = 0;
    int gapBottom = 0;
};

// Dot sizes run from 1 to 3; the gaps follow the dot width alone.
DotGeometry dotGeometry(int dotW, int dotH);
// The display picture of a w x h content: the left and top gap repeat once
// past the last dot when the right and bottom gaps are 0.
QSize displaySize(QSize content, const DotGeometry& g);

// Per channel: on at or above the threshold; 256 keeps the channel off.
struct Thresholds {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Thresholds&) const = default;
};
// One colour lights red only, two red and green, three all three.
Thresholds thresholdsFor(int colourCount, int threshold);
// The thresholds of a work-mode code under the library's colour threshold.
Thresholds thresholdsForWorkMode(int workMode);

// The value an unlit LED shows.
inline constexpr QRgb kUnlitLed = 0xFF404040u;

// Renders rectangle `rect` of content (in LEDs) into display. With ring > 0
// only the pixels less than `ring` from an edge of rect. Gap pixels are never
// written. Both pictures must be Format_RGB32; a rect outside the content is
// cut to it.
void renderDots(const QImage& content, QImage& display, QRect rect, int ring, const DotGeometry& g,
                const Thresholds& t);

// The part `area` (display pixels) of the display picture of `content`, made
// on its own: equal to that rectangle of a display rendered whole by
// renderDots (a black picture with every dot drawn); what lies past the last
// dot is black. Costs what the area holds, not what the content holds.
QImage renderDisplayArea(const QImage& content, const QRect& area, const DotGeometry& g, const Thresholds& t);
// The same into the top left of `out`, grown to the area when smaller and
// kept otherwise, so that a canvas painting again reuses its memory. False
// when no picture could be made.
bool renderDisplayAreaInto(const QImage& content, const QRect& area, const DotGeometry& g, const Thresholds& t,
                           QImage& out);

// Clamps a scroll origin on one axis (display pixels): below 0 becomes 0; a
// picture larger than its client stops at its excess, reached from the last
// whole dot before it.
int clampScrollAxis(int target, int displayExtent, int clientExtent, int dot);

} // namespace editor
