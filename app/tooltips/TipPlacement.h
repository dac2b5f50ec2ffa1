#pragma once
// Where a balloon tip goes: its anchor direction flipped or centred so that the
// tip stays on the screen, the anchor's apex and the tip's window rectangle.
#include <QPainterPath>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>

namespace tooltips {

struct TipSizes {
    int cornerWidth = 16, cornerHeight = 16;
    int marginX = 12, marginY = 12;
    int anchorWidth = 12, anchorHeight = 16, anchorMargin = 16;
};

struct TipPlacement {
    int direction = 16;
    QRect window;   // screen coordinates, anchor band included
    QRect body;     // in the window
    QPoint apex;    // in the window
    QPolygon anchor; // the triangle, empty when there is none
};

// inner: the body's size (text plus margins); target: the point the anchor touches.
TipPlacement placeTip(QSize inner, QPoint target, int direction, const QRect& screen, const TipSizes& sizes);

// The balloon: the rounded body united with the anchor triangle.
QPainterPath tipShape(const TipPlacement& p, const TipSizes& sizes);

} // namespace tooltips
