#include "app/tooltips/TipPlacement.h"

#include <algorithm>

namespace tooltips {
namespace {

// Along one edge: where the anchor sits (0 start, 1 end, 2 centre), given the
// tip's length, the target coordinate and the screen's span.
int chooseAlong(int pos, int length, int target, int lo, int hi, int margin)
{
    auto startFits = [&] { return target - margin >= lo && target - margin + length <= hi; };
    auto endFits = [&] { return target - (length - margin) >= lo && target + margin <= hi; };
    auto centreFits = [&] { return target - length / 2 >= lo && target - length / 2 + length <= hi; };
    switch (pos) {
    case 0:
        if (target - margin + length > hi)
            return target - (length - margin) < lo ? 2 : 1;
        return 0;
    case 1:
        if (target - (length - margin) < lo)
            return startFits() ? 0 : 2;
        return 1;
    default:
        if (centreFits())
            return 2;
        if (startFits() || endFits())
            return (target - lo < hi - target) ? 0 : 1;
        return 2;
    }
}

int anchorOffset(int pos, int length, int target, int lo, int hi, int margin)
{
    if (pos == 0)
        return margin;
    if (pos == 1)
        return length - margin;
    // Centred, kept on the screen.
    int start = std::clamp(target - length / 2, lo, std::max(lo, hi - length));
    return std::clamp(target - start, 0, length);
}

} // namespace

TipPlacement placeTip(QSize inner, QPoint target, int direction, const QRect& screen, const TipSizes& s)
{
    TipPlacement out;
    const int w = inner.width(), h = inner.height(), ah = s.anchorHeight;
    const int left = screen.left(), right = screen.left() + screen.width();
    const int top = screen.top(), bottom = screen.top() + screen.height();
    int edge = direction & 0xF0, pos = std::clamp(direction & 0x0F, 0, 2);
    if (edge > 48)
        edge = 16;

    if (edge == 0 || edge == 16) {
        if (edge == 0 && target.y() + ah + h > bottom)
            edge = 16;
        else if (edge == 16 && target.y() - ah - h < top)
            edge = 0;
        pos = chooseAlong(pos, w, target.x(), left, right, s.anchorMargin);
        const int ax = anchorOffset(pos, w, target.x(), left, right, s.anchorMargin);
        out.body = QRect(0, edge == 0 ? ah : 0, w, h);
        out.apex = QPoint(ax, edge == 0 ? 0 : h + ah);
        out.window = QRect(target - out.apex, QSize(w, h + ah));
        const int by = edge == 0 ? ah : h;
        const int b0 = pos == 0 ? ax : pos == 1 ? ax - s.anchorWidth : ax - s.anchorWidth / 2;
        if (s.anchorWidth > 0 && ah > 0)
            out.anchor = QPolygon({out.apex, QPoint(b0, by), QPoint(b0 + s.anchorWidth, by)});
    } else {
        if (edge == 32 && target.x() + ah + w > right)
            edge = 48;
        else if (edge == 48 && target.x() - ah - w < left)
            edge = 32;
        pos = chooseAlong(pos, h, target.y(), top, bottom, s.anchorMargin);
        const int ay = anchorOffset(pos, h, target.y(), top, bottom, s.anchorMargin);
        out.body = QRect(edge == 32 ? ah : 0, 0, w, h);
        out.apex = QPoint(edge == 32 ? 0 : w + ah, ay);
        out.window = QRect(target - out.apex, QSize(w + ah, h));
        const int bx = edge == 32 ? ah : w;
        const int b0 = pos == 0 ? ay : pos == 1 ? ay - s.anchorWidth : ay - s.anchorWidth / 2;
        if (s.anchorWidth > 0 && ah > 0)
            out.anchor = QPolygon({out.apex, QPoint(bx, b0), QPoint(bx, b0 + s.anchorWidth)});
    }
    out.direction = edge | pos;
    return out;
}

QPainterPath tipShape(const TipPlacement& p, const TipSizes& s)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(p.body), s.cornerWidth / 2.0, s.cornerHeight / 2.0);
    if (!p.anchor.isEmpty()) {
        QPainterPath tri;
        tri.addPolygon(QPolygonF(p.anchor));
        tri.closeSubpath();
        path = path.united(tri);
    }
    return path;
}

} // namespace tooltips
