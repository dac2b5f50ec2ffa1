#include "app/editor/Led.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace editor {

namespace {
int g_defaultDot = 3;
// What the canvases paint goes through one picture, kept between paints:
// showing a scene paints many canvases, each a fresh picture of megabytes
// otherwise. Canvases paint on the interface thread only.
QImage g_paintArea;
}

void CLed::setDefaultDotSize(int dot)
{
    g_defaultDot = std::clamp(dot, 1, 3);
}

int CLed::defaultDotSize()
{
    return g_defaultDot;
}

CLed::CLed(QWidget* parent)
    : QWidget(parent)
    , m_geometry(dotGeometry(g_defaultDot, g_defaultDot))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_content = QImage(1, 1, QImage::Format_RGB32);
    m_content.fill(0xFF000000u);
    rebuildDisplay();
}

void CLed::setRetainedDisplay(bool retained)
{
    m_retained = retained;
    rebuildDisplay();
}

bool CLed::rebuildDisplay()
{
    if (!m_retained) {
        m_display = QImage();
        return true;
    }
    const QSize s = displaySize(m_content.size(), m_geometry);
    QImage display(s, QImage::Format_RGB32);
    if (display.isNull())
        return false;
    display.fill(0xFF000000u);
    m_display = std::move(display);
    renderDots(m_content, m_display, m_content.rect(), 0, m_geometry, m_thresholds);
    return true;
}

QImage CLed::display() const
{
    if (m_retained)
        return m_display;
    return renderDisplayArea(m_content, QRect(QPoint(0, 0), GetDisplaySize()), m_geometry, m_thresholds);
}

void CLed::Draw(QPainter& p, const QRect& clip)
{
    const QRect src = clip.translated(m_origin).intersected(QRect(QPoint(0, 0), GetDisplaySize()));
    if (src.isEmpty())
        return;
    if (m_retained) {
        if (!m_display.isNull())
            p.drawImage(src.topLeft() - m_origin, m_display, src);
        return;
    }
    if (renderDisplayAreaInto(m_content, src, m_geometry, m_thresholds, g_paintArea))
        p.drawImage(src.topLeft() - m_origin, g_paintArea, QRect(QPoint(0, 0), src.size()));
}

void CLed::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    // What lies past the picture (a canvas larger than its display) stays dark.
    p.fillRect(e->rect(), Qt::black);
    Draw(p, e->rect());
}

int CLed::Resize(int w, int h, bool redraw)
{
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (m_content.width() == w && m_content.height() == h)
        return 1;
    // No node has a picture larger than this; a damaged size must not claim gigabytes.
    if (std::int64_t(w) * h > MAX_PREVIEW_PIXELS)
        return 0;
    QImage content(w, h, QImage::Format_RGB32);
    if (content.isNull())
        return 0;
    content.fill(0xFF000000u);
    QImage oldContent = std::move(m_content);
    m_content = std::move(content);
    if (!rebuildDisplay()) {
        m_content = std::move(oldContent);
        return 0;
    }
    if (redraw)
        update();
    return 1;
}

int CLed::SetDotSize(int dotW, int dotH, bool redraw)
{
    const DotGeometry g = dotGeometry(dotW, dotH);
    if (g.dotW == m_geometry.dotW && g.dotH == m_geometry.dotH)
        return 0;
    const DotGeometry old = m_geometry;
    m_geometry = g;
    if (!rebuildDisplay()) {
        m_geometry = old;
        return 0;
    }
    if (redraw)
        update();
    return 1;
}

void CLed::SetWorkMode(int workMode, bool redraw)
{
    SetThresholds(thresholdsForWorkMode(workMode), redraw);
}

void CLed::SetThresholds(const Thresholds& t, bool redraw)
{
    if (t == m_thresholds)
        return;
    m_thresholds = t;
    if (m_retained)
        renderDots(m_content, m_display, m_content.rect(), 0, m_geometry, m_thresholds);
    if (redraw)
        update();
}

void CLed::UpdateRect(const QRect& leds, int ring, bool redraw)
{
    if (m_retained)
        renderDots(m_content, m_display, leds, ring, m_geometry, m_thresholds);
    if (!redraw)
        return;
    const int dw = m_geometry.dotW, dh = m_geometry.dotH;
    const QRect r(leds.left() * dw, leds.top() * dh, leds.width() * dw + m_geometry.gapLeft,
                  leds.height() * dh + m_geometry.gapTop);
    const QRect shown = r.translated(-m_origin);
    if (ring <= 0) {
        update(shown);
        return;
    }
    const int kw = ring * dw, kh = ring * dh;
    update(QRect(shown.left(), shown.top(), shown.width(), kh));
    update(QRect(shown.left(), shown.bottom() - kh + 1, shown.width(), kh));
    update(QRect(shown.left(), shown.top(), kw, shown.height()));
    update(QRect(shown.right() - kw + 1, shown.top(), kw, shown.height()));
}

void CLed::BlitToContent(const QImage& source, QPoint from, const QRect& dest, bool redraw)
{
    if (source.isNull() || dest.isEmpty())
        return;
    {
        QPainter p(&m_content);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(dest.topLeft(), source, QRect(from, dest.size()));
    }
    UpdateRect(dest, 0, redraw);
}

void CLed::ClearContent(bool redraw)
{
    m_content.fill(0xFF000000u);
    if (m_retained)
        renderDots(m_content, m_display, m_content.rect(), 0, m_geometry, m_thresholds);
    if (redraw)
        update();
}

void CLed::ScrollTo(int x, int y)
{
    QPoint target(x * m_geometry.dotW, y * m_geometry.dotH);
    const QSize shown = GetDisplaySize();
    target.setX(clampScrollAxis(target.x(), shown.width(), width(), m_geometry.dotW));
    target.setY(clampScrollAxis(target.y(), shown.height(), height(), m_geometry.dotH));
    if (target == m_origin)
        return;
    const QPoint delta = m_origin - target;
    m_origin = target;
    scroll(delta.x(), delta.y());
    update();
}

// ---- CLedEx ----

int workModeOf(const tagItemData* node)
{
    const tagItemData* screen = node ? AncestorAtLevel(const_cast<tagItemData*>(node), LEVEL_ROOT) : nullptr;
    return screen ? screen->Global.Type : -1;
}

CLedEx::CLedEx(CCore& core, QWidget* parent)
    : CLed(parent)
    , m_core(core)
{
}

int CLedEx::AttachItem(tagItemData* node)
{
    if (m_item || !node)
        return 0;
    m_item = node;
    const int mode = workModeOf(node);
    if (mode >= 0)
        SetWorkMode(mode, false);
    RECT r;
    m_core.GetRect(node, &r);
    Resize(r.right - r.left, r.bottom - r.top, true);
    return 1;
}

tagItemData* CLedEx::DetachItem()
{
    tagItemData* node = m_item;
    m_item = nullptr;
    return node;
}

void CLedEx::closeWindow()
{
    if (m_item)
        DetachItem();
    m_open = false;
    hide();
}

} // namespace editor
