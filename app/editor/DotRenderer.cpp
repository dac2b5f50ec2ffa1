#include "app/editor/DotRenderer.h"

#include "core/api/Core.h"

#include <algorithm>
#include <cstring>

namespace editor {

DotGeometry dotGeometry(int dotW, int dotH)
{
    DotGeometry g;
    g.dotW = std::clamp(dotW, 1, 3);
    g.dotH = std::clamp(dotH, 1, 3);
    if (g.dotW == 1) {
        g.gapLeft = g.gapTop = g.gapRight = g.gapBottom = 0;
    } else {
        g.gapLeft = 1;
        g.gapTop = 1;
        g.gapRight = 0;
        g.gapBottom = 0;
    }
    return g;
}

QSize displaySize(QSize content, const DotGeometry& g)
{
    int w = g.dotW * content.width();
    int h = g.dotH * content.height();
    if (g.gapRight == 0)
        w += g.gapLeft;
    if (g.gapBottom == 0)
        h += g.gapTop;
    return {w, h};
}

Thresholds thresholdsFor(int colourCount, int threshold)
{
    const int t = std::clamp(threshold, 0, 256);
    Thresholds r;
    r.red = t;
    r.green = (colourCount == 2 || colourCount == 3) ? t : 256;
    r.blue = colourCount == 3 ? t : 256;
    return r;
}

Thresholds thresholdsForWorkMode(int workMode)
{
    unsigned short colours = 0, group = 0, fold = 0, order = 0;
    CCore::ParseLEDWorkMode(workMode, colours, group, fold, order);
    return thresholdsFor(colours, static_cast<int>(CCore::GetColorThreshold()));
}

namespace {

inline QRgb litValue(QRgb c, const Thresholds& t)
{
    const int r = qRed(c) >= t.red ? 0xFF : 0;
    const int g = qGreen(c) >= t.green ? 0xFF : 0;
    const int b = qBlue(c) >= t.blue ? 0xFF : 0;
    if ((r | g | b) == 0)
        return kUnlitLed;
    return 0xFF000000u | (QRgb(r) << 16) | (QRgb(g) << 8) | QRgb(b);
}

// Whether (x, y) lies in the ring of width k inside r (k <= 0: everywhere).
inline bool inRing(int x, int y, const QRect& r, int k)
{
    if (k <= 0)
        return true;
    return x - r.left() < k || r.right() - x < k || y - r.top() < k || r.bottom() - y < k;
}

} // namespace

void renderDots(const QImage& content, QImage& display, QRect rect, int ring, const DotGeometry& g,
                const Thresholds& t)
{
    if (content.isNull() || display.isNull())
        return;
    rect = rect.intersected(content.rect());
    if (rect.isEmpty())
        return;
    const int blockW = g.dotW - g.gapLeft - g.gapRight;
    const int blockH = g.dotH - g.gapTop - g.gapBottom;
    const int dw = display.width();
    const int dh = display.height();

    if (g.dotW == 1 && g.dotH == 1) {
        for (int y = rect.top(); y <= rect.bottom() && y < dh; ++y) {
            const QRgb* src = reinterpret_cast<const QRgb*>(content.constScanLine(y));
            QRgb* dst = reinterpret_cast<QRgb*>(display.scanLine(y));
            if (ring <= 0 || y - rect.top() < ring || rect.bottom() - y < ring) {
                const int right = std::min(rect.right(), dw - 1);
                if (right >= rect.left())
                    std::memcpy(dst + rect.left(), src + rect.left(), sizeof(QRgb) * (right - rect.left() + 1));
                continue;
            }
            for (int x = rect.left(); x <= rect.right() && x < dw; ++x) {
                if (inRing(x, y, rect, ring))
                    dst[x] = src[x];
            }
        }
        return;
    }
    if (blockW <= 0 || blockH <= 0)
        return;

    uchar* bits = display.bits();
    const qsizetype bpl = display.bytesPerLine();
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(content.constScanLine(y));
        const int row0 = y * g.dotH + g.gapTop;
        const bool fullRow = ring <= 0 || y - rect.top() < ring || rect.bottom() - y < ring;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (!fullRow && x - rect.left() >= ring && rect.right() - x >= ring) {
                // Inside the ring's hole: jump to its right band.
                x = rect.right() - ring;
                continue;
            }
            const QRgb v = litValue(src[x], t);
            const int col0 = x * g.dotW + g.gapLeft;
            for (int by = 0; by < blockH; ++by) {
                const int dy = row0 + by;
                if (dy >= dh)
                    break;
                QRgb* dst = reinterpret_cast<QRgb*>(bits + dy * bpl);
                for (int bx = 0; bx < blockW; ++bx) {
                    const int dx = col0 + bx;
                    if (dx < dw)
                        dst[dx] = v;
                }
            }
        }
    }
}

QImage renderDisplayArea(const QImage& content, const QRect& area, const DotGeometry& g, const Thresholds& t)
{
    QImage out;
    if (!renderDisplayAreaInto(content, area, g, t, out))
        return {};
    return out;
}

bool renderDisplayAreaInto(const QImage& content, const QRect& area, const DotGeometry& g, const Thresholds& t,
                           QImage& out)
{
    if (area.isEmpty())
        return false;
    if (out.width() < area.width() || out.height() < area.height() || out.format() != QImage::Format_RGB32) {
        QImage grown(area.size().expandedTo(out.size()), QImage::Format_RGB32);
        if (grown.isNull())
            return false;
        out = std::move(grown);
    }
    const int outW = area.width();
    // Black where no dot is drawn: one row filled, the others copied from it.
    QRgb* first = reinterpret_cast<QRgb*>(out.scanLine(0));
    std::fill_n(first, std::size_t(outW), 0xFF000000u);
    for (int y = 1; y < area.height(); ++y)
        std::memcpy(out.scanLine(y), first, sizeof(QRgb) * std::size_t(outW));
    if (content.isNull())
        return true;
    const int cw = content.width(), ch = content.height();

    if (g.dotW == 1 && g.dotH == 1) {
        // One pixel per LED: the content as it is.
        const int left = std::max(area.left(), 0), right = std::min(area.right(), cw - 1);
        for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), ch - 1) && right >= left; ++y) {
            const QRgb* src = reinterpret_cast<const QRgb*>(content.constScanLine(y));
            QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y - area.top()));
            std::memcpy(dst + (left - area.left()), src + left, sizeof(QRgb) * std::size_t(right - left + 1));
        }
        return true;
    }
    const int blockW = g.dotW - g.gapLeft - g.gapRight;
    const int blockH = g.dotH - g.gapTop - g.gapBottom;
    if (blockW <= 0 || blockH <= 0)
        return true;

    // LED columns that reach into the area.
    const int firstLed = std::max(area.left(), 0) / g.dotW;
    const int lastLed = std::min(area.right() / g.dotW, cw - 1);
    int renderedRow = -1;   // LED row the last lit output row shows
    const QRgb* renderedLine = nullptr;
    for (int oy = 0; oy < area.height(); ++oy) {
        const int dy = area.top() + oy;
        if (dy < 0)
            continue;
        const int ledY = dy / g.dotH, inDot = dy % g.dotH;
        if (ledY >= ch || inDot < g.gapTop || inDot >= g.gapTop + blockH)
            continue;
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(oy));
        if (ledY == renderedRow) {
            // Every lit row of one dot is the same.
            std::memcpy(dst, renderedLine, sizeof(QRgb) * std::size_t(outW));
            continue;
        }
        const QRgb* src = reinterpret_cast<const QRgb*>(content.constScanLine(ledY));
        for (int x = firstLed; x <= lastLed; ++x) {
            const QRgb v = litValue(src[x], t);
            const int from = std::max(x * g.dotW + g.gapLeft, area.left()) - area.left();
            const int to = std::min(x * g.dotW + g.gapLeft + blockW - 1, area.right()) - area.left();
            for (int ox = from; ox <= to; ++ox)
                dst[ox] = v;
        }
        renderedRow = ledY;
        renderedLine = dst;
    }
    return true;
}

int clampScrollAxis(int target, int displayExtent, int clientExtent, int dot)
{
    if (target < 0)
        target = 0;
    const int excess = displayExtent - clientExtent;
    if (excess <= 0)
        return target;
    const int d = std::max(dot, 1);
    if (target >= excess / d * d)
        return excess;
    return target;
}

} // namespace editor
