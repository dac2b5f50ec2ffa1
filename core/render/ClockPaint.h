#pragma once
// Drawing digital clocks and counters with QPainter: the parts are drawn into
// a black picture of the item's size, then every non-black pixel is copied
// onto the target. In device mode the digit cells are blackened, so that the
// compiled picture keeps only the characters that never change.
#include "core/render/ClockText.h"

#include <QFont>

class QImage;

namespace sorvane::render {

// The text measure of a font: one line, (width, height).
TextExtent ExtentOf(const QFont& font);

void DrawDigitalClock(QImage& target, const QRect& rect, const ItemRecord& record, const QFont& font,
                      const ClockNow& now, int lang, bool device);
// Content size: the rectangle's size on several lines, else the width of the
// joined texts (always measured with the texts of the layout drawn) and the
// rectangle's height.
QSize MeasureDigitalClock(const QRect& rect, const ItemRecord& record, const QFont& font, const ClockNow& now,
                          int lang);
// The clock's cells relative to the rectangle's top-left corner.
std::vector<QRect> CollectClockCells(const QRect& rect, const ItemRecord& record, const QFont& font,
                                     const ClockNow& now, int lang);

void DrawCounter(QImage& target, const QRect& rect, const ItemRecord& record, const QFont& font,
                 const ClockNow& now, int lang, bool device);
QSize MeasureCounter(const QRect& rect, const ItemRecord& record, const QFont& font, const ClockNow& now, int lang);
std::vector<QRect> CollectCounterCells(const QRect& rect, const ItemRecord& record, const QFont& font,
                                       const ClockNow& now, int lang);

// Copies every pixel of `source` that is not black onto `target` at `at`.
void CopyNonBlack(QImage& target, const QImage& source, QPoint at);

}
