#include "app/editor/RectTrackerEx.h"

#include <QBitmap>
#include <QBrush>
#include <QPainter>
#include <QPen>
#include <algorithm>

namespace editor {

namespace {

// The shared objects are made once, by the first tracker, in its colour 0xFF0000.
struct SharedTrackerObjects {
    QBrush hatch;
    QPen dotted;
    QPen solid;
    SharedTrackerObjects()
    {
        // 8 x 8 diagonal lines: one bit of every four set, moving left by one each row.
        QImage pattern(8, 8, QImage::Format_Mono);
        pattern.setColor(0, qRgb(255, 255, 255));
        pattern.setColor(1, qRgb(0, 0, 0));
        pattern.fill(0);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                if (((x + y) & 3) == 3)
                    pattern.setPixel(x, y, 1);
        hatch = QBrush(QBitmap::fromImage(pattern));
        const QColor c = colorFromColorref(0xFF0000u);
        dotted = QPen(c, 0, Qt::DotLine);
        dotted.setCosmetic(true);
        solid = QPen(c, 0, Qt::SolidLine);
        solid.setCosmetic(true);
    }
};

const SharedTrackerObjects& shared()
{
    static const SharedTrackerObjects objects;
    return objects;
}

} // namespace

QColor colorFromColorref(unsigned c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

CRectTrackerEx::CRectTrackerEx()
{
    shared();
}

QColor CRectTrackerEx::framePenColor()
{
    return shared().solid.color();
}

int CRectTrackerEx::GetHandleSize(const QRect* r) const
{
    const QRect rect = (r ? *r : m_rect).normalized();
    int size = m_nHandleSize;
    if (!(m_nStyle & ResizeOutside)) {
        const int side = std::min(std::abs(rect.width()), std::abs(rect.height()));
        if (side < size * 2)
            size = side / 2;
    }
    return size;
}

unsigned CRectTrackerEx::GetHandleMask() const
{
    unsigned mask = 0x0F;
    const QRect r = m_rect.normalized();
    const int hs = m_nHandleSize;
    if (r.width() - 3 * hs >= 5)
        mask |= 0x50;
    if (r.height() - 3 * hs >= 5)
        mask |= 0xA0;
    return mask;
}

QRect CRectTrackerEx::handleRect(int i) const
{
    QRect r = m_rect.normalized();
    const int size = GetHandleSize();
    if (m_nStyle & ResizeOutside) {
        const int grow = m_nHandleSize - 1;
        r.adjust(-grow, -grow, grow, grow);
    }
    const int l = r.left(), t = r.top();
    const int rr = l + r.width() - size;    // the last handle column inside
    const int bb = t + r.height() - size;
    const int cx = l + (r.width() - size) / 2;
    const int cy = t + (r.height() - size) / 2;
    switch (i) {
    case 0: return {l, t, size, size};
    case 1: return {rr, t, size, size};
    case 2: return {rr, bb, size, size};
    case 3: return {l, bb, size, size};
    case 4: return {cx, t, size, size};
    case 5: return {rr, cy, size, size};
    case 6: return {cx, bb, size, size};
    case 7: return {l, cy, size, size};
    default: return {};
    }
}

void CRectTrackerEx::Draw(QPainter& p) const
{
    p.save();
    p.resetTransform();
    p.setBrushOrigin(0, 0);
    const QRect r = m_rect.normalized();
    const SharedTrackerObjects& s = shared();
    if (m_nStyle & (SolidLine | DottedLine)) {
        p.setPen((m_nStyle & DottedLine) ? s.dotted : s.solid);
        p.setBrush(Qt::NoBrush);
        // One pixel outside the rectangle on each side.
        p.drawRect(r.adjusted(-1, -1, 0, 0));
    }
    if (m_nStyle & (HatchInside | HatchedBorder)) {
        p.setBackgroundMode(Qt::TransparentMode);
        QBrush hatch = s.hatch;
        hatch.setColor(Qt::black);
        if (m_nStyle & HatchInside)
            p.fillRect(r.adjusted(1, 1, -1, -1), hatch);
        if (m_nStyle & HatchedBorder) {
            const int band = std::max(m_nHandleSize - 1, 0);
            const QRect outer = r.adjusted(-band, -band, band, band);
            p.fillRect(QRect(outer.left(), outer.top(), outer.width(), band), hatch);
            p.fillRect(QRect(outer.left(), r.bottom() + 1, outer.width(), band), hatch);
            p.fillRect(QRect(outer.left(), r.top(), band, r.height()), hatch);
            p.fillRect(QRect(r.right() + 1, r.top(), band, r.height()), hatch);
        }
    }
    if (m_nStyle & (ResizeInside | ResizeOutside)) {
        const unsigned mask = GetHandleMask();
        QPen pen(colorFromColorref(m_handleColor), 0);
        pen.setCosmetic(true);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 8; ++i) {
            if (mask & (1u << i)) {
                const QRect h = handleRect(i);
                if (h.width() > 0)
                    p.drawRect(h.adjusted(0, 0, -1, -1));
            }
        }
    }
    p.restore();
}

} // namespace editor
