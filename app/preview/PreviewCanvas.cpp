#include "app/preview/PreviewCanvas.h"

#include "core/api/Core.h"
#include "core/api/WorkMode.h"

#include <algorithm>

namespace preview {

LedThresholds thresholdsForWorkMode(int workMode)
{
    unsigned short colours = 1, group = 0, fold = 1, order = 0;
    CCore::ParseLEDWorkMode(workMode, colours, group, fold, order);
    const ChannelThresholds c = ThresholdsFor(colours, static_cast<std::uint32_t>(CCore::GetColorThreshold()));
    return {static_cast<int>(c.Red), static_cast<int>(c.Green), static_cast<int>(c.Blue)};
}

QSize ledDisplaySize(int w, int h, int dot)
{
    dot = std::clamp(dot, 1, 3);
    const int gap = dot > 1 ? 1 : 0;
    return {std::max(1, w) * dot + gap, std::max(1, h) * dot + gap};
}

void renderLedDots(const QImage& content, QImage& display, const QRect& rect, int dot, const LedThresholds& t)
{
    const QRect r = rect.intersected(content.rect());
    if (r.isEmpty())
        return;
    dot = std::clamp(dot, 1, 3);
    if (dot == 1) {
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const QRgb* s = reinterpret_cast<const QRgb*>(content.constScanLine(y));
            QRgb* d = reinterpret_cast<QRgb*>(display.scanLine(y));
            std::copy(s + r.left(), s + r.right() + 1, d + r.left());
        }
        return;
    }
    auto ch = [](int v, int threshold) { return threshold == 0 ? v : (v >= threshold ? 255 : 0); };
    const int lit = dot - 1;   // 2 x 2 at dot 3, 1 x 1 at dot 2
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(content.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb c = s[x];
            const QRgb led = qRgb(ch(qRed(c), t.red), ch(qGreen(c), t.green), ch(qBlue(c), t.blue));
            const int dx = x * dot + 1, dy = y * dot + 1;
            for (int j = 0; j < lit; ++j) {
                QRgb* d = reinterpret_cast<QRgb*>(display.scanLine(dy + j)) + dx;
                for (int i = 0; i < lit; ++i)
                    d[i] = led;
            }
        }
    }
}

PreviewCanvas::PreviewCanvas() { resize(1, 1, 3); }

void PreviewCanvas::resize(int width, int height, int dot)
{
    std::lock_guard lock(m_mutex);
    m_dot = std::clamp(dot, 1, 3);
    m_content = QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    m_content.fill(Qt::black);
    m_display = QImage(ledDisplaySize(width, height, m_dot), QImage::Format_RGB32);
    m_display.fill(Qt::black);
    m_dirty = QRegion(m_display.rect());
}

void PreviewCanvas::setThresholds(const LedThresholds& t)
{
    std::lock_guard lock(m_mutex);
    m_thresholds = t;
    renderLedDots(m_content, m_display, m_content.rect(), m_dot, m_thresholds);
    m_dirty = QRegion(m_display.rect());
}

QSize PreviewCanvas::contentSize()
{
    std::lock_guard lock(m_mutex);
    return m_content.size();
}

QSize PreviewCanvas::displaySize()
{
    std::lock_guard lock(m_mutex);
    return m_display.size();
}

QImage PreviewCanvas::contentCopy()
{
    std::lock_guard lock(m_mutex);
    return m_content.copy();
}

void PreviewCanvas::updateRect(const QRect& rect, int ring)
{
    const QRect r = rect.intersected(m_content.rect());
    if (r.isEmpty())
        return;
    if (ring > 0 && ring * 2 < std::min(r.width(), r.height())) {
        const QRect inner = r.adjusted(ring, ring, -ring, -ring);
        for (const QRect& part : QRegion(r).subtracted(QRegion(inner)))
            renderLedDots(m_content, m_display, part, m_dot, m_thresholds);
    } else {
        renderLedDots(m_content, m_display, r, m_dot, m_thresholds);
    }
    const int d = m_dot;
    m_dirty += QRect(r.x() * d, r.y() * d, r.width() * d + 1, r.height() * d + 1);
    if (m_request && !m_requestPending.exchange(true))
        m_request();
}

void PreviewCanvas::setRepaintRequest(std::function<void()> request)
{
    std::lock_guard lock(m_mutex);
    m_request = std::move(request);
}

QRegion PreviewCanvas::takeDirty()
{
    m_requestPending.store(false);
    std::lock_guard lock(m_mutex);
    QRegion r = m_dirty;
    m_dirty = QRegion();
    return r;
}

}
