#pragma once
// The raised or sunken edge that the owner-drawn controls share.
#include <QColor>
#include <QPainter>
#include <QRect>

namespace controls {

inline void draw3dRect(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    p.setPen(topLeft);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(bottomRight);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

} // namespace controls
