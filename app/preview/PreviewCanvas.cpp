#include "app/preview/PreviewCanvas.h"

#include "core/api/Core.h"
#include "core/api/WorkMode.h"

#include <algorithm>

namespace preview {

QRect displayRectOf(const QRect& leds, const editor::DotGeometry& g)
{
    return QRect(leds.x() * g.dotW, leds.y() * g.dotH, leds.width() * g.dotW + g.gapLeft,
                 leds.height() * g.dotH + g.gapTop);
}

void PreviewCanvas::updateRect(const QRect& rect, int ring)
{
    const QRect r = rect.intersected(backBuffer().rect());
    if (r.isEmpty())
        return;
    m_dirty += renderLeds(r, ring);
    if (m_request && !m_requestPending.exchange(true))
        m_request();
}

QImage PreviewCanvas::contentCopy(const QRect& part)
{
    std::lock_guard lock(m_mutex);
    return backBuffer().copy(part);
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

void ImageCanvas::resize(int width, int height, int dot)
{
    std::lock_guard lock(mutex());
    m_geometry = editor::dotGeometry(dot, dot);
    m_content = QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    m_content.fill(Qt::black);
    m_display = QImage(editor::displaySize(m_content.size(), m_geometry), QImage::Format_RGB32);
    m_display.fill(Qt::black);
    editor::renderDots(m_content, m_display, m_content.rect(), 0, m_geometry, m_thresholds);
}

void ImageCanvas::setThresholds(const editor::Thresholds& t)
{
    std::lock_guard lock(mutex());
    m_thresholds = t;
    editor::renderDots(m_content, m_display, m_content.rect(), 0, m_geometry, m_thresholds);
}

QImage ImageCanvas::displayCopy()
{
    std::lock_guard lock(mutex());
    return m_display.copy();
}

QRect ImageCanvas::renderLeds(const QRect& leds, int ring)
{
    editor::renderDots(m_content, m_display, leds, ring, m_geometry, m_thresholds);
    return displayRectOf(leds, m_geometry);
}

}
