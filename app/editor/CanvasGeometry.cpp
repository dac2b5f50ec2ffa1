#include "app/editor/CanvasGeometry.h"

#include <algorithm>

namespace editor {

HitCode sectionHitTest(QPoint p, QSize size)
{
    const int w = size.width(), h = size.height();
    const int x = p.x(), y = p.y();
    if (x < 0 || y < 0 || x >= w || y >= h)
        return HitNone;
    const bool left = x < kHitMargin;
    const bool right = x >= w - kHitMargin;
    const bool top = y < kHitMargin;
    const bool bottom = y >= h - kHitMargin;
    if (top && left)
        return HitTopLeft;
    if (bottom && left)
        return HitBottomLeft;
    if (top && right)
        return HitTopRight;
    if (bottom && right)
        return HitBottomRight;
    const bool midH = y >= (h - kHitMargin) / 2 && y <= (h + kHitMargin) / 2;
    const bool midW = x >= (w - kHitMargin) / 2 && x <= (w + kHitMargin) / 2;
    if (left && midH)
        return HitLeft;
    if (right && midH)
        return HitRight;
    if (top && midW)
        return HitTop;
    if (bottom && midW)
        return HitBottom;
    return HitClient;
}

bool hitMovesLeft(HitCode h) { return h == HitLeft || h == HitTopLeft || h == HitBottomLeft; }
bool hitMovesTop(HitCode h) { return h == HitTop || h == HitTopLeft || h == HitTopRight; }
bool hitMovesRight(HitCode h) { return h == HitRight || h == HitTopRight || h == HitBottomRight; }
bool hitMovesBottom(HitCode h) { return h == HitBottom || h == HitBottomLeft || h == HitBottomRight; }

namespace {

int floorDiv(int a, int b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// An even number of LEDs, at least the minimum, no more than `room` allows when it can.
int evenExtent(int extent, int room, int dot)
{
    const int step = 2 * dot;
    const int v = step * floorDiv(std::min(extent, room), step);
    return std::max(v, kMinSectionLeds * dot);
}

} // namespace

QRect snapSectionRect(HitCode hit, const QRect& proposed, const QRect& s, int dotW, int dotH)
{
    dotW = std::max(dotW, 1);
    dotH = std::max(dotH, 1);
    int x = proposed.x(), y = proposed.y(), w = proposed.width(), h = proposed.height();
    if (hit == HitCaption || hit == HitClient) {
        x = floorDiv(x, dotW) * dotW;
        y = floorDiv(y, dotH) * dotH;
        x = std::max(x, s.left());
        y = std::max(y, s.top());
        if (x + w > s.left() + s.width())
            x = s.left() + s.width() - w;
        if (y + h > s.top() + s.height())
            y = s.top() + s.height() - h;
        return {x, y, w, h};
    }
    const int sRight = s.left() + s.width();
    const int sBottom = s.top() + s.height();
    if (hitMovesLeft(hit)) {
        const int right = x + w;
        w = evenExtent(w, right - s.left(), dotW);
        x = right - w;
    }
    if (hitMovesTop(hit)) {
        const int bottom = y + h;
        h = evenExtent(h, bottom - s.top(), dotH);
        y = bottom - h;
    }
    if (hitMovesRight(hit))
        w = evenExtent(w, sRight - x, dotW);
    if (hitMovesBottom(hit))
        h = evenExtent(h, sBottom - y, dotH);
    return {x, y, w, h};
}

QRect displayToLeds(const QRect& r, int dotW, int dotH)
{
    return {r.x() / dotW, r.y() / dotH, r.width() / dotW, r.height() / dotH};
}

PageState pageCounts(QSize section, QSize content, bool itemVisible)
{
    PageState p;
    if (!itemVisible || section.width() <= 0 || section.height() <= 0)
        return p;
    if (section.width() < content.width() || section.height() < content.height()) {
        p.columns = std::max(1, (content.width() + section.width() - 1) / section.width());
        p.rows = std::max(1, (content.height() + section.height() - 1) / section.height());
    }
    return p;
}

namespace {
// A position outside the pages comes back (the column first) without moving on.
bool bringIntoRange(PageState& s)
{
    if (s.column < 0 || s.column >= s.columns) {
        s.column = 0;
        return true;
    }
    if (s.row < 0 || s.row >= s.rows) {
        s.row = 0;
        return true;
    }
    return false;
}
} // namespace

int nextPage(PageState& s, bool& changed)
{
    changed = bringIntoRange(s);
    if (changed)
        return s.index();
    if (s.column == s.columns - 1 && s.row == s.rows - 1)
        return s.columns * s.rows - 1;
    if (++s.column >= s.columns) {
        s.column = 0;
        ++s.row;
    }
    changed = true;
    return s.index();
}

int prevPage(PageState& s, bool& changed)
{
    changed = bringIntoRange(s);
    if (changed)
        return s.index();
    if (s.column == 0 && s.row == 0)
        return 0;
    if (--s.column < 0) {
        --s.row;
        s.column = s.columns - 1;
    }
    changed = true;
    return s.index();
}

QPoint obstacleMove(const QRect& sec, const QRect& client, const std::vector<QRect>& obstacles, Direction d)
{
    // Edges as left/top inclusive, right/bottom exclusive.
    const int sl = sec.left(), st = sec.top(), sr = sec.left() + sec.width(), sb = sec.top() + sec.height();
    // Spans overlap when they share at least one LED, whichever contains the other.
    auto overlapsH = [&](const QRect& o) { return sl < o.left() + o.width() && o.left() < sr; };
    auto overlapsV = [&](const QRect& o) { return st < o.top() + o.height() && o.top() < sb; };
    switch (d) {
    case Direction::Up: {
        int limit = client.top();
        for (const QRect& o : obstacles) {
            const int ob = o.top() + o.height();
            if (ob <= st && overlapsH(o))
                limit = std::max(limit, ob);
        }
        return {0, limit - st};
    }
    case Direction::Down: {
        int limit = client.top() + client.height();
        for (const QRect& o : obstacles) {
            if (o.top() >= sb && overlapsH(o))
                limit = std::min(limit, o.top());
        }
        return {0, limit - sb};
    }
    case Direction::Left: {
        int limit = client.left();
        for (const QRect& o : obstacles) {
            const int orr = o.left() + o.width();
            if (orr <= sl && overlapsV(o))
                limit = std::max(limit, orr);
        }
        return {limit - sl, 0};
    }
    case Direction::Right: {
        int limit = client.left() + client.width();
        for (const QRect& o : obstacles) {
            if (o.left() >= sr && overlapsV(o))
                limit = std::min(limit, o.left());
        }
        return {limit - sr, 0};
    }
    }
    return {};
}

} // namespace editor
