#include "app/controls/ColourPopup.h"
#include "app/controls/PopupPlace.h"
#include "app/controls/Draw3d.h"
#include "app/controls/ControlMessages.h"
#include "app/spine/Seams.h"

#include <QApplication>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>

namespace controls {

namespace {

std::optional<QColor> runColourDialog(const QColor& initial, QWidget* parent)
{
    QColor c = QColorDialog::getColor(initial, parent);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

ColourPopupLayout makeLayout(const QFont& font, const QString& def, const QString& custom)
{
    QFontMetrics fm(font);
    int h = 0, dw = 0, cw = 0;
    if (!def.isEmpty() || !custom.isEmpty()) {
        h = fm.height();
        dw = fm.horizontalAdvance(def);
        cw = fm.horizontalAdvance(custom);
    }
    return ColourPopupLayout(!def.isEmpty(), !custom.isEmpty(), h, dw, cw);
}

} // namespace

CColourPopup::CColourPopup(platform::COLORREF initial, QWidget* owner, const QString& defaultText,
                           const QString& customText, int x, int y)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint),
      m_owner(owner),
      m_defaultText(defaultText),
      m_customText(customText),
      m_layout(makeLayout(QApplication::font("QMenu"), defaultText, customText)),
      m_font(QApplication::font("QMenu")),
      m_initial(initial),
      m_current(initial)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);

    QSize size = m_layout.windowSize();
    QRect r(QPoint(x, y), size);
    r = fitPopupOnScreen(r, owner);
    setGeometry(r);
    m_chosen = m_layout.chosenIndex(initial);

    // Switching to another application cancels, as a click outside does.
    m_appState = connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s != Qt::ApplicationActive)
            cancel();
    });
    show();
    setFocus();
    grabMouse();
}

CColourPopup::~CColourPopup()
{
    disconnect(m_appState);
}

void CColourPopup::drawCell(QPainter& p, int i)
{
    QRect r = m_layout.indexRect(i);
    if (r.isEmpty())
        return;
    const QPalette& pal = palette();
    const bool hovered = i == m_hover, chosen = i == m_chosen;
    const int m = m_layout.margin();

    if (i == kCellCustom) {
        p.setPen(pal.dark().color());
        p.drawLine(r.left() + 2 * m, r.top(), r.right() - 2 * m, r.top());
        p.setPen(pal.light().color());
        p.drawLine(r.left() + 2 * m, r.top() + 1, r.right() - 2 * m, r.top() + 1);
        r.setTop(r.top() + 2 * m); // the box itself lies below its separator
        p.fillRect(r, pal.button());
    } else {
        p.fillRect(r, pal.button());
    }
    if (i < 0) {
        QRect inner = r.adjusted(1, 1, -1, -1);
        p.fillRect(inner, chosen && !hovered ? pal.midlight() : pal.button());
        if (i == kCellDefault) {
            p.setPen(pal.dark().color());
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(2 * m, 2 * m, -2 * m - 1, -2 * m - 1));
        }
    } else if (chosen && !hovered) {
        p.fillRect(r, pal.light());
    }
    // raised when hovered, sunken when chosen
    if (hovered || chosen) {
        QColor tl = hovered ? pal.light().color() : pal.dark().color();
        QColor br = hovered ? pal.dark().color() : pal.light().color();
        draw3dRect(p, r, tl, br);
    }
    if (i >= 0) {
        QRect sw = r.adjusted(m + 1, m + 1, -m - 1, -m - 1);
        p.setPen(pal.dark().color());
        p.setBrush(platform::toQColor(colourTable()[i].colour));
        p.drawRect(sw.adjusted(0, 0, -1, -1));
    } else {
        p.setFont(m_font);
        p.setPen(pal.buttonText().color());
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, i == kCellDefault ? m_defaultText : m_customText);
    }
}

void CColourPopup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    if (m_layout.hasDefault())
        drawCell(p, kCellDefault);
    for (int i = 0; i < kColourCount; ++i)
        drawCell(p, i);
    if (m_layout.hasCustom())
        drawCell(p, kCellCustom);
    // raised edge, then the green outline open under the 33-pixel picker
    QRect r = rect();
    draw3dRect(p, r, palette().light().color(), palette().shadow().color());
    p.setPen(QColor(117, 141, 94));
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.drawLine(r.topRight(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(QPoint(33, 0), r.topRight());
}

void CColourPopup::changeHover(int index)
{
    if (index == m_hover || m_ended)
        return;
    int old = m_hover;
    m_hover = index;
    update(m_layout.indexRect(old));
    update(m_layout.indexRect(index));
    platform::COLORREF c;
    if (index == kCellCustom) {
        c = m_initial; // the custom box previews nothing
    } else if (index == kCellDefault) {
        c = m_current = kAutomaticColour;
    } else if (index >= 0) {
        c = m_current = colourTable()[index].colour;
    } else {
        return;
    }
    spine::ColourSelChange::send(m_owner, c, 0);
}

void CColourPopup::mouseMoveEvent(QMouseEvent* e)
{
    int i = m_layout.hitTest(e->position().toPoint());
    if (i != kCellNone)
        changeHover(i);
}

void CColourPopup::mousePressEvent(QMouseEvent* e)
{
    // The choice or cancel comes with the release; a press outside must not
    // close the popup on its own.
    e->accept();
}

void CColourPopup::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (rect().contains(e->position().toPoint()))
        endSelection();
    else
        cancel();
}

void CColourPopup::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        endSelection();
        break;
    case Qt::Key_Escape:
        cancel();
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        changeHover(m_layout.move(m_hover, e->key()));
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

bool CColourPopup::event(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        auto* he = static_cast<QHelpEvent*>(e);
        int i = m_layout.hitTest(he->pos());
        if (i >= 0)
            QToolTip::showText(he->globalPos(), QString::fromLatin1(colourTable()[i].name), this,
                               m_layout.cellRect(i));
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

void CColourPopup::endSelection()
{
    if (m_ended || m_dialogOpen)
        return;
    releaseMouse();
    bool ok = true;
    if (m_hover == kCellCustom) {
        m_dialogOpen = true;
        // A visible popup stays the application's active popup and takes every
        // key and click, the dialog's too: step out of popup mode first. The
        // dialog then belongs to the owner's window, which stays on screen.
        hide();
        const QColor initial = platform::toQColor(m_initial == kAutomaticColour ? 0 : m_initial);
        QWidget* parent = m_owner ? m_owner : this;
        const auto seam = spine::seams().colourDialog;
        std::optional<QColor> c = seam ? seam(initial, parent) : runColourDialog(initial, parent);
        m_dialogOpen = false;
        if (c)
            m_current = platform::fromQColor(*c);
        else
            ok = false;
    }
    if (m_ended) // closed while the dialog ran
        return;
    m_ended = true;
    if (ok) {
        spine::ColourSelEndOk::send(m_owner, m_current, 0);
    } else {
        m_current = m_initial;
        spine::ColourSelEndCancel::send(m_owner, m_initial, 0);
    }
    finish();
}

void CColourPopup::cancel()
{
    // While the colour dialog runs, its own answer ends the popup: the owner
    // gets exactly one end notification.
    if (m_ended || m_dialogOpen)
        return;
    releaseMouse();
    m_ended = true;
    m_current = m_initial;
    spine::ColourSelEndCancel::send(m_owner, m_initial, 0);
    finish();
}

void CColourPopup::finish()
{
    disconnect(m_appState);
    hide();
    deleteLater();
}

void CColourPopup::closeEvent(QCloseEvent* e)
{
    if (m_dialogOpen) {
        e->ignore();
        return;
    }
    // Closed from outside (the window system took the popup away): a cancel.
    if (!m_ended)
        cancel();
    e->accept();
}

} // namespace controls
