#include "app/controls/PropertyPanel.h"
#include "platform/LangPack.h"

#include <QPainter>

namespace controls {

CPropertyPanel::CPropertyPanel(unsigned templateId)
{
    setTemplateId(templateId);
}

void CPropertyPanel::SetTitleFromResource(unsigned stringId, bool redraw)
{
    SetTitle(platform::langString(stringId), redraw);
}

void CPropertyPanel::SetTitle(const QString& title, bool redraw)
{
    if (title == m_title)
        return;
    m_title = title;
    if (redraw)
        update();
}

void CPropertyPanel::drawTitleBar(QPainter& p, const QRect& client, const QString& title, const QFont& font,
                                  platform::COLORREF titleColour, platform::COLORREF frameColour)
{
    if (client.width() <= 0 || client.height() <= 0)
        return;
    p.save();
    for (int y = 0; y < 20; ++y) {
        int g = 255 - 3 * y;
        p.setPen(QColor(g, g, g));
        p.drawLine(client.left(), client.top() + y, client.right(), client.top() + y);
    }
    QRect text = client.adjusted(8, 3, 0, 0);
    p.setFont(font);
    p.setPen(platform::toQColor(titleColour));
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop, title);
    p.setPen(platform::toQColor(frameColour));
    p.setBrush(Qt::NoBrush);
    p.drawRect(client.adjusted(0, 0, -1, -1));
    p.restore();
}

void CPropertyPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    drawTitleBar(p, rect(), m_title, font(), m_titleColour, m_frameColour);
}

} // namespace controls
