#include "app/controls/BorderButton.h"
#include "app/controls/BorderPopup.h"
#include "app/controls/ControlMessages.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

CBorderButton::CBorderButton(QWidget* parent) : QAbstractButton(parent)
{
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, &CBorderButton::onClicked);
}

int CBorderButton::partAt(QPoint p) const
{
    if (m_popupActive || !rect().contains(p))
        return 0;
    return p.x() >= width() - 9 ? 2 : 1;
}

void CBorderButton::mouseMoveEvent(QMouseEvent* e)
{
    int part = partAt(e->position().toPoint());
    if (part != m_hoverPart) {
        m_hoverPart = part;
        update();
    }
    QAbstractButton::mouseMoveEvent(e);
}

void CBorderButton::mousePressEvent(QMouseEvent* e)
{
    m_clickPos = e->position().toPoint();
    QAbstractButton::mousePressEvent(e);
}

void CBorderButton::mouseReleaseEvent(QMouseEvent* e)
{
    m_clickPos = e->position().toPoint();
    QAbstractButton::mouseReleaseEvent(e);
}

void CBorderButton::leaveEvent(QEvent* e)
{
    m_hoverPart = 0;
    update();
    QAbstractButton::leaveEvent(e);
}

void CBorderButton::notify(unsigned message, const BorderSpec* pattern)
{
    controls::BorderPayload::send(parentWidget(), message, pattern, controlId(this));
    switch (message) {
    case controls::WM_BORDER_SELCHANGE: emit selChange(*pattern); break;
    case controls::WM_BORDER_CLOSEUP: emit closeUp(*pattern); break;
    case controls::WM_BORDER_SELENDOK: emit selEndOk(*pattern); break;
    case controls::WM_BORDER_SELENDCANCEL: emit selEndCancel(*pattern); break;
    default: break;
    }
}

void CBorderButton::onClicked()
{
    QPoint pos = m_clickPos.x() >= 0 ? m_clickPos : mapFromGlobal(QCursor::pos());
    m_clickPos = {-1, -1};
    m_hoverPart = partAt(pos);
    if (m_hoverPart == 1) {
        BorderSpec same = m_pattern;
        controls::BorderSelEndOk::send(this, &same, 0);
        return;
    }
    m_popupActive = true;
    m_hoverPart = 0;
    QPoint at = mapToGlobal(rect().bottomLeft() + QPoint(0, 1));
    new CBorderPopup(width(), m_pattern, this, m_caption, at.x(), at.y());
    update();
}

bool CBorderButton::event(QEvent* e)
{
    if (auto m = controls::BorderSelEndOk::read(e)) {
        const BorderSpec* pattern = m->w;
        if (!pattern)
            return true;
        m_popupActive = false;
        BorderSpec before = m_pattern;
        m_pattern = *pattern;
        notify(controls::WM_BORDER_CLOSEUP, pattern);
        notify(controls::WM_BORDER_SELENDOK, pattern);
        if (!(before == m_pattern)) {
            update();
            notify(controls::WM_BORDER_SELCHANGE, pattern);
        }
        return true;
    }
    if (auto m = controls::BorderSelEndCancel::read(e)) {
        const BorderSpec* pattern = m->w;
        m_popupActive = false;
        repaint();
        if (!pattern)
            return true;
        // to the same receiver as the end notifications
        notify(controls::WM_BORDER_CLOSEUP, pattern);
        notify(controls::WM_BORDER_SELENDCANCEL, pattern);
        return true;
    }
    return QAbstractButton::event(e);
}

void CBorderButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect item = rect();
    p.fillRect(item, palette().button());
    const int edge = 2;
    QRect strip(item.right() - 8, item.top(), 9, item.height());
    QRect face(item.left(), item.top(), item.width() - 9, item.height());
    const bool pressed = isDown() || m_popupActive;
    if (pressed) {
        if (m_hoverPart == 2 || m_popupActive) {
            p.setPen(QColor(0, 0, 232));
            p.drawLine(item.bottomLeft(), item.topLeft());
            p.drawLine(item.topLeft(), item.topRight());
            p.drawLine(item.topRight(), item.bottomRight());
        } else {
            p.fillRect(face.adjusted(edge, edge, -edge, -edge), QColor(232, 232, 0));
        }
    } else if (m_hoverPart) {
        p.setPen(palette().dark().color());
        p.drawRect(item.adjusted(0, 0, -1, -1));
        p.drawLine(strip.topLeft(), strip.bottomLeft());
    }
    QRect inner = item.adjusted(edge, edge, -edge, -edge);
    int ax = inner.right() - edge / 2 - 4, ay = inner.center().y() - 1;
    p.setPen(Qt::NoPen);
    p.setBrush(isEnabled() ? QColor(Qt::black) : palette().color(QPalette::Disabled, QPalette::Text));
    p.drawPolygon(QPolygon{QPoint(ax, ay), QPoint(ax + 5, ay), QPoint(ax + 2, ay + 3)});
    drawBorderPreview(p, face.adjusted(edge, edge, -edge, -edge), m_pattern);
}

} // namespace controls
