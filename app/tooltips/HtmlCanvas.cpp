#include "app/tooltips/HtmlCanvas.h"

#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace tooltips {

QPainterCanvas::QPainterCanvas(QPainter& painter) : m_painter(painter)
{
    selectFont(HtmlFont{QStringLiteral("Verdana")});
}

void QPainterCanvas::selectFont(const HtmlFont& f)
{
    const QString key = QStringLiteral("%1|%2|%3|%4%5%6")
                            .arg(f.face)
                            .arg(f.size)
                            .arg(f.weight)
                            .arg(int(f.italic))
                            .arg(int(f.underline))
                            .arg(int(f.strikeout));
    auto it = m_fonts.constFind(key);
    if (it == m_fonts.constEnd()) {
        Entry e;
        e.font = QFont(f.face);
        // Sizes past any screen are drawn at the largest sensible size.
        const int size = std::clamp(f.size, 1, 4096);
        e.font.setPixelSize(size);
        // The size is the cell height: shrink the em until the cell fits.
        int h = QFontMetrics(e.font).height();
        if (h > size && size > 1)
            e.font.setPixelSize(std::max(1, size * size / h));
        e.font.setWeight(static_cast<QFont::Weight>(std::clamp(f.weight, 1, 1000)));
        e.font.setItalic(f.italic);
        e.font.setUnderline(f.underline);
        e.font.setStrikeOut(f.strikeout);
        QFontMetrics fm(e.font);
        e.metrics = {fm.height(), fm.ascent(), fm.descent()};
        if (m_fonts.size() > 256)
            m_fonts.clear();
        it = m_fonts.insert(key, e);
    }
    m_font = it->font;
    m_metrics = it->metrics;
}

int QPainterCanvas::textWidth(const QString& text) const { return QFontMetrics(m_font).horizontalAdvance(text); }

int QPainterCanvas::dpiY() const
{
    QPaintDevice* d = m_painter.device();
    return d ? d->logicalDpiY() : 96;
}

void QPainterCanvas::drawText(int x, int top, const QString& text, const HtmlTextPaint& paint)
{
    if (paint.opaque)
        m_painter.fillRect(QRect(x, top, textWidth(text), m_metrics.height), platform::toQColor(paint.background));
    m_painter.save();
    m_painter.setFont(m_font);
    m_painter.setPen(platform::toQColor(paint.colour));
    m_painter.drawText(x, top + m_metrics.ascent, text);
    m_painter.restore();
}

void QPainterCanvas::drawLine(int x1, int y1, int x2, int y2, COLORREF colour, int style, int width)
{
    CDrawHelper::DrawLine(m_painter, x1, y1, x2, y2, colour, style, width);
}

void QPainterCanvas::drawRectangle(const QRect& r, COLORREF topLeft, COLORREF bottomRight, int style, int width)
{
    CDrawHelper::DrawRectangle(m_painter, r, topLeft, bottomRight, style, width);
}

void QPainterCanvas::fillEffect(const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3, int granularity,
                                int tint)
{
    m_helper.FillEffect(m_painter, r, effect, c1, c2, c3, granularity, tint);
}

void QPainterCanvas::tileImage(const QRect& r, const QImage& tile)
{
    CDrawHelper::TileBlt(m_painter, r, tile, 0, 0, tile.width(), tile.height());
}

void QPainterCanvas::drawImage(HtmlImageKind kind, const QRect& r, const QImage& image, int frameIndex,
                               QSize frameSize, const ImageDrawParams& params)
{
    switch (kind) {
    case HtmlImageKind::Bitmap:
        m_helper.DrawBitmap(m_painter, r.x(), r.y(), r.width(), r.height(), image, params);
        break;
    case HtmlImageKind::Icon:
        m_helper.DrawIcon(m_painter, r.x(), r.y(), r.width(), r.height(), image, params);
        break;
    case HtmlImageKind::Frame:
        m_helper.DrawImageListFrame(m_painter, image, frameIndex, frameSize.width(), frameSize.height(), r.x(), r.y(),
                                    r.width(), r.height(), params);
        break;
    }
}

} // namespace tooltips
