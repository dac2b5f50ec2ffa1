#include "app/controls/ColorButton.h"
#include "app/controls/ColourPopup.h"
#include "app/controls/ControlMessages.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace controls {

CColorButton::CColorButton(QWidget* parent)
    : QAbstractButton(parent), m_defaultColour(platform::fromQColor(palette().color(QPalette::Dark)))
{
    connect(this, &QAbstractButton::clicked, this, &CColorButton::onClicked);
}

void CColorButton::SetColour(platform::COLORREF c)
{
    m_colour = c;
    update();
}

void CColorButton::SetDefaultColour(platform::COLORREF c)
{
    m_defaultColour = c;
    update();
}

void CColorButton::notify(unsigned message, platform::COLORREF colour)
{
    spine::ColourPayload::send(parentWidget(), message, colour, controlId(this));
    switch (message) {
    case spine::WM_COLOUR_SELCHANGE: emit selChange(colour); break;
    case spine::WM_COLOUR_DROPDOWN: emit dropDown(colour); break;
    case spine::WM_COLOUR_CLOSEUP: emit closeUp(colour); break;
    case spine::WM_COLOUR_SELENDOK: emit selEndOk(colour); break;
    case spine::WM_COLOUR_SELENDCANCEL: emit selEndCancel(colour); break;
    default: break;
    }
}

void CColorButton::onClicked()
{
    m_popupActive = true;
    QPoint at = mapToGlobal(rect().bottomLeft() + QPoint(0, 1));
    new CColourPopup(m_colour, this, m_defaultText, m_customText, at.x(), at.y());
    notify(spine::WM_COLOUR_DROPDOWN, m_colour);
}

bool CColorButton::event(QEvent* e)
{
    if (auto m = spine::ColourSelEndOk::read(e)) {
        const platform::COLORREF c = m->w;
        platform::COLORREF before = m_colour;
        m_popupActive = false;
        m_colour = c;
        repaint();
        notify(spine::WM_COLOUR_CLOSEUP, c);
        notify(spine::WM_COLOUR_SELENDOK, c);
        if (c != before)
            notify(spine::WM_COLOUR_SELCHANGE, c);
        return true;
    }
    if (auto m = spine::ColourSelEndCancel::read(e)) {
        const platform::COLORREF c = m->w;
        m_popupActive = false;
        m_colour = c;
        repaint();
        notify(spine::WM_COLOUR_CLOSEUP, c);
        notify(spine::WM_COLOUR_SELENDCANCEL, c);
        return true;
    }
    if (auto m = spine::ColourSelChange::read(e)) {
        const platform::COLORREF c = m->w;
        if (m_trackSelection) {
            m_colour = c;
            repaint();
        }
        notify(spine::WM_COLOUR_SELCHANGE, c);
        return true;
    }
    return QAbstractButton::event(e);
}

void CColorButton::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    const bool pressed = isDown() || m_popupActive;
    if (pressed)
        opt.state |= QStyle::State_Sunken;
    else
        opt.state |= QStyle::State_Raised;
    if (m_popupActive)
        opt.state |= QStyle::State_HasFocus;
    p.drawControl(QStyle::CE_PushButtonBevel, opt);

    const int edge = 2;
    QRect r = rect().adjusted(edge, edge, -edge, -edge);
    if (pressed)
        r.translate(1, 1);
    if (hasFocus() || m_popupActive) {
        QStyleOptionFocusRect fr;
        fr.initFrom(this);
        fr.rect = r.adjusted(1, 1, -2, -1);
        p.drawPrimitive(QStyle::PE_FrameFocusRect, fr);
    }
    r.adjust(edge, edge, -edge, -edge);
    // the arrow: 4 wide, 2 high, its right corner half an edge inside
    int ax = r.right() - edge / 2 - 4, ay = r.center().y() - 1;
    QColor arrow = isEnabled() ? Qt::black : palette().color(QPalette::Disabled, QPalette::Text);
    p.setPen(Qt::NoPen);
    p.setBrush(arrow);
    QPolygon tri{QPoint(ax, ay), QPoint(ax + 5, ay), QPoint(ax + 2, ay + 3)};
    p.drawPolygon(tri);
    // etched separator
    int sx = ax - edge / 2 - 2;
    p.setPen(palette().dark().color());
    p.drawLine(sx, r.top(), sx, r.bottom());
    p.setPen(palette().light().color());
    p.drawLine(sx + 1, r.top(), sx + 1, r.bottom());
    if (isEnabled()) {
        QRect sw(r.left(), r.top(), sx - 2 * edge - 1 - r.left(), r.height());
        p.setPen(Qt::black);
        p.setBrush(platform::toQColor(m_colour == 0xFF000000u ? m_defaultColour : m_colour));
        p.drawRect(sw.adjusted(0, 0, -1, -1));
    }
}

} // namespace controls
