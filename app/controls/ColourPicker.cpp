#include "app/controls/ColourPicker.h"
#include "app/controls/ColourPopup.h"
#include "app/controls/ControlMessages.h"
#include "platform/LangPack.h"

#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

CColourPicker::CColourPicker(QWidget* parent)
    : QAbstractButton(parent),
      m_backColour(platform::fromQColor(palette().color(QPalette::Button))),
      m_textColour(platform::fromQColor(palette().color(QPalette::ButtonText)))
{
    setFixedSize(33, 21);
    setText(QStringLiteral("A"));
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, this, &CColourPicker::onClicked);
}

void CColourPicker::SetColour(platform::COLORREF c)
{
    if (m_mode == 1)
        m_textColour = c;
    else
        m_backColour = c;
    repaint();
}

void CColourPicker::SetTooltipText(const QString& text)
{
    setToolTip(text);
}

void CColourPicker::SetTooltipFromResource()
{
    QString t = platform::langString(33800);
    if (!t.isEmpty())
        SetTooltipText(t);
}

void CColourPicker::sendCode(int code)
{
    sendCommand(this, code);
    emit command(code);
}

void CColourPicker::mousePressEvent(QMouseEvent* e)
{
    m_clickPos = e->position().toPoint();
    QAbstractButton::mousePressEvent(e);
}

void CColourPicker::mouseReleaseEvent(QMouseEvent* e)
{
    m_clickPos = e->position().toPoint();
    QAbstractButton::mouseReleaseEvent(e);
}

void CColourPicker::onClicked()
{
    QPoint pos = m_clickPos.x() >= 0 ? m_clickPos : mapFromGlobal(QCursor::pos());
    m_clickPos = {-1, -1};
    if (!arrowRect().contains(pos)) {
        sendCode(ColourChanged); // the face applies the present colour
        return;
    }
    m_popupActive = true;
    QPoint at = mapToGlobal(rect().bottomLeft() + QPoint(0, 1));
    new CColourPopup(GetColour(), this, m_defaultText, m_customText, at.x(), at.y());
    spine::ColourDropDown::send(parentWidget(), GetColour(), controlId(this));
}

bool CColourPicker::event(QEvent* e)
{
    if (auto m = spine::ColourSelEndOk::read(e)) {
        platform::COLORREF before = GetColour();
        m_popupActive = false;
        SetColour(m->w);
        sendCode(PopupClosed);
        sendCode(SelEndOk);
        if (GetColour() != before)
            sendCode(ColourChanged);
        return true;
    }
    if (auto m = spine::ColourSelEndCancel::read(e)) {
        m_popupActive = false;
        SetColour(m->w);
        sendCode(PopupClosed);
        sendCode(SelEndCancel);
        return true;
    }
    if (auto m = spine::ColourSelChange::read(e)) {
        if (m_trackSelection) {
            SetColour(m->w);
            sendCode(ColourChanged);
        }
        return true;
    }
    if (e->type() == QEvent::HoverEnter || e->type() == QEvent::HoverLeave) {
        m_hover = e->type() == QEvent::HoverEnter;
        update();
    }
    return QAbstractButton::event(e);
}

void CColourPicker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect item = rect();
    p.fillRect(item, palette().button());
    const bool pressed = isDown() || m_popupActive;
    QRect arrow = arrowRect();
    // arrow: 4 wide, 2 high, centred, its top 2 above the centre line
    QPoint c = arrow.center();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPolygon(QPolygon{QPoint(c.x() - 2, c.y() - 2), QPoint(c.x() + 3, c.y() - 2), QPoint(c.x(), c.y() + 1)});
    p.setBrush(Qt::NoBrush);
    if (m_hover || pressed) {
        p.setPen(QColor(63, 93, 56));
        p.drawRect(item.adjusted(0, 0, -1, -1));
        p.drawRect(arrow.adjusted(0, 0, -1, -1));
    }
    if (pressed) {
        QPen pen(QColor(117, 141, 94), 2);
        p.setPen(pen);
        p.drawLine(item.bottomLeft(), item.topLeft());
        p.drawLine(item.topLeft(), item.topRight());
        p.drawLine(item.topRight(), item.bottomRight());
    }
    if (text().isEmpty())
        return;
    QRect face(2, 2, 22 - 2 - 2, item.height() - 4);
    if (!isEnabled()) {
        p.setPen(palette().light().color());
        p.drawText(face.translated(1, 1), Qt::AlignCenter | Qt::TextSingleLine, text());
        p.setPen(palette().dark().color());
        p.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, text());
        return;
    }
    QFont f(QStringLiteral("Times New Roman"));
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(87, 105, 155));
    // The window text only decides whether the face is drawn; enabled, it is
    // always the letter standing on the colour bar. It is placed by its own
    // outline, not by the font's line box: the box of an 18-pixel font is
    // taller than the room above the bar, and its descent would lift the
    // letter off the bar.
    const QRect bar(QPoint(face.left() + 1, face.top() + 13), QPoint(face.left() + 17, face.top() + 16));
    const QString letter = QStringLiteral("A");
    const QRect glyph = QFontMetrics(f).tightBoundingRect(letter);
    const int centreX = face.left() + 2 + (face.width() - 2) / 2;
    p.drawText(QPoint(centreX - glyph.left() - glyph.width() / 2, bar.top() - glyph.bottom() - 1), letter);
    p.fillRect(bar, platform::toQColor(m_textColour));
}

} // namespace controls
