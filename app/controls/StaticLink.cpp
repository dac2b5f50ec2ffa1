#include "app/controls/StaticLink.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/UrlOpener.h"
#include "platform/LangPack.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

int CHyperlink::Navigate()
{
    if (target.isEmpty())
        return 0;
    return openTarget(target) ? 33 : 2;
}

CStaticLink::CStaticLink(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
}

CStaticLink::CStaticLink(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setCursor(Qt::PointingHandCursor);
}

void CStaticLink::setColour(const QColor& c)
{
    m_colour = c;
    update();
}

void CStaticLink::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QFont f = font();
    f.setUnderline(m_bLink);
    p.setFont(f);
    p.setPen(m_colour);
    p.drawText(contentsRect(), static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0), text());
}

void CStaticLink::enterEvent(QEnterEvent* e)
{
    if (!m_hover) {
        m_hover = true;
        setColour(QColor(255, 0, 0));
    }
    QLabel::enterEvent(e);
}

void CStaticLink::leaveEvent(QEvent* e)
{
    if (m_hover) {
        m_hover = false;
        setColour(QColor(0, 0, 255));
    }
    QLabel::leaveEvent(e);
}

void CStaticLink::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(e);
        return;
    }
    if (!m_bLink) {
        sendCommand(this, 0);
        emit commandClicked(controlId(this));
        return;
    }
    if (m_link.target.isEmpty()) {
        int id = controlId(this);
        m_link.target = id > 0 ? platform::langString(static_cast<unsigned>(id)) : QString();
        if (m_link.target.isEmpty())
            m_link.target = text();
        if (m_link.target.isEmpty())
            return;
    }
    if (m_link.Navigate() <= 32) {
        QApplication::beep();
        return;
    }
    setColour(QColor(128, 0, 128));
}

} // namespace controls
