#include "app/controls/BorderPopup.h"
#include "app/controls/PopupPlace.h"
#include "app/controls/ControlMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace controls {

CBorderPopup::CBorderPopup(int buttonWidth, const BorderSpec& initial, QWidget* owner, const QString& caption,
                           int x, int y)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint),
      m_owner(owner),
      m_caption(caption),
      m_buttonWidth(buttonWidth),
      m_initial(initial),
      m_result(initial)
{
    setMouseTracking(true);
    m_cell = qMax(20, 2 * m_margin + 7);
    int w = 2 * m_margin + 4 * m_cell;
    int h = 3 * m_cell + 2 * m_margin;
    QFontMetrics fm(QApplication::font("QMenu"));
    w = qMax(w, fm.horizontalAdvance(caption) + 2 * m_margin);
    h += 5 * m_margin;
    if (!caption.isEmpty())
        h += 3 * m_margin;

    QRect r(QPoint(x, y), QSize(w, h));
    r = fitPopupOnScreen(r, owner);
    setGeometry(r);
    m_appState = connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive)
            end(false);
    });
    show();
    grabMouse();
}

CBorderPopup::~CBorderPopup()
{
    disconnect(m_appState);
}

QRect CBorderPopup::cellRect(int i) const
{
    if (i < 0 || i >= kBorderPresetCount)
        return {};
    return QRect((i % 4) * m_cell + m_margin, (i / 4) * m_cell + 5 * m_margin, m_cell, m_cell);
}

int CBorderPopup::hitTest(QPoint p) const
{
    // the same origin as the cells are drawn at
    int x = p.x() - m_margin, y = p.y() - 5 * m_margin;
    if (x < 0 || y < 0)
        return -1;
    int col = x / m_cell, row = y / m_cell;
    if (col >= 4 || row >= 3)
        return -1;
    return row * 4 + col;
}

void CBorderPopup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    for (int i = 0; i < kBorderPresetCount; ++i) {
        QRect c = cellRect(i);
        p.fillRect(c, i == m_hover ? QColor(200, 200, 0) : palette().button().color());
        drawBorderPreview(p, c.adjusted(2, 2, -2, -2), borderPreset(i));
    }
    // etched line under the top strip
    int y = 4 * m_margin;
    p.setPen(palette().dark().color());
    p.drawLine(3 * m_margin, y - 1, width() - 3 * m_margin, y - 1);
    p.setPen(palette().light().color());
    p.drawLine(3 * m_margin, y, width() - 3 * m_margin, y);
    // outline, open along the top under the button
    p.setPen(QColor(0, 0, 232));
    QRect r = rect();
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.bottomRight(), r.topRight());
    p.drawLine(r.topRight(), QPoint(qMax(0, m_buttonWidth - 2), 0));
}

void CBorderPopup::mouseMoveEvent(QMouseEvent* e)
{
    int i = hitTest(e->position().toPoint());
    if (i < 0 || i == m_hover)
        return;
    update(cellRect(m_hover));
    m_hover = i;
    update(cellRect(i));
}

void CBorderPopup::mousePressEvent(QMouseEvent* e)
{
    e->accept(); // the release decides
}

void CBorderPopup::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    end(rect().contains(e->position().toPoint()));
}

void CBorderPopup::keyPressEvent(QKeyEvent* e)
{
    e->accept(); // no keyboard handling: Escape does not close it either
}

bool CBorderPopup::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        int i = hitTest(he->pos());
        if (i >= 0)
            QToolTip::showText(he->globalPos(), borderPresetCaption(i), this, cellRect(i));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void CBorderPopup::end(bool ok)
{
    if (m_ended)
        return;
    m_ended = true;
    releaseMouse();
    disconnect(m_appState);
    if (ok) {
        m_result = m_hover >= 0 ? borderPreset(m_hover) : m_initial;
        controls::BorderSelEndOk::send(m_owner, &m_result, 0);
    } else {
        m_result = m_initial;
        controls::BorderSelEndCancel::send(m_owner, &m_result, 0);
    }
    hide();
    deleteLater();
}

void CBorderPopup::closeEvent(QCloseEvent* e)
{
    if (!m_ended)
        end(false);
    e->accept();
}

} // namespace controls
