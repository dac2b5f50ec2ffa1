#include "app/controls/ShadeSplitButton.h"
#include "app/controls/Draw3d.h"
#include "app/controls/ControlMessages.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>

namespace controls {

CShadeSplitButton::CShadeSplitButton(QWidget* parent)
    : QAbstractButton(parent), m_textColour(platform::fromQColor(palette().color(QPalette::ButtonText)))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CShadeSplitButton::SetIcon(const QIcon& normal, const QIcon& pressed, const QIcon& hot)
{
    m_icon = normal;
    m_pressedIcon = pressed;
    m_hotIcon = hot;
    update();
}

int CShadeSplitButton::shadeBase(int y, int h)
{
    int g = (y * 255) / h - 127;
    return (g * g * g / 16384) * 120 / 128 + 128;
}

void CShadeSplitButton::SetShade(std::uint32_t seed)
{
    const int w = qMax(1, width()), h = qMax(1, height());
    const QPalette& pal = palette();
    CDibImage& normal = m_faces[0];
    normal.CreateBitmap(w, h, 8);
    normal.palette() = shadePalette(pal.color(QPalette::Dark).rgb(), pal.color(QPalette::Button).rgb(),
                                    pal.color(QPalette::Light).rgb());
    normal.TintPalette(5, platform::makeColorRef(55, 55, 255));
    ShadeNoise noise(seed);
    for (int y = 0; y < h; ++y) {
        int base = shadeBase(y, h);
        std::uint8_t* line = normal.row(y);
        for (int x = 0; x < w; ++x)
            line[x] = static_cast<std::uint8_t>(base + noise.next() / 2047 - 8);
    }
    m_faces[2] = normal;
    m_faces[3] = normal;
    m_faces[3].TintPalette(20, platform::fromQColor(pal.color(QPalette::Light)));
    m_faces[1] = m_faces[3];
    update();
}

void CShadeSplitButton::FreeShade()
{
    for (CDibImage& f : m_faces)
        f.FreeBitmap();
    update();
}

void CShadeSplitButton::resizeEvent(QResizeEvent* e)
{
    SetShade();
    QAbstractButton::resizeEvent(e);
}

QPolygon CShadeSplitButton::arrow() const
{
    QPoint c = dropPart().center();
    int cx = c.x(), cy = c.y();
    return QPolygon{QPoint(cx - 4, cy - 2), QPoint(cx + 3, cy - 2), QPoint(cx - 1, cy + 2)};
}

bool CShadeSplitButton::hitButton(const QPoint& pos) const
{
    // Only the main part clicks; the drop part is handled on release below.
    return mainPart().contains(pos);
}

void CShadeSplitButton::mousePressEvent(QMouseEvent* e)
{
    QPoint p = e->position().toPoint();
    m_pressed = true;
    m_pressMain = mainPart().contains(p);
    m_pressDrop = !m_pressMain && dropPart().contains(p);
    update();
    QAbstractButton::mousePressEvent(e);
    // The drop part is no button to Qt, which would pass its presses on to
    // the parent; both parts belong to this button.
    e->accept();
}

void CShadeSplitButton::mouseReleaseEvent(QMouseEvent* e)
{
    QPoint p = e->position().toPoint();
    const bool dropClick = m_pressDrop && dropPart().contains(p) && e->button() == Qt::LeftButton;
    m_pressed = m_pressMain = m_pressDrop = false;
    m_hoverMain = mainPart().contains(p);
    m_hoverDrop = !m_hoverMain && dropPart().contains(p);
    update();
    QAbstractButton::mouseReleaseEvent(e);
    e->accept();
    if (dropClick) {
        int id = controlId(this);
        spine::ShadeBtnDropDown::send(parentWidget(), id);
        emit dropDown(id);
    }
}

void CShadeSplitButton::mouseDoubleClickEvent(QMouseEvent* e)
{
    mousePressEvent(e); // a double click is a second press
}

void CShadeSplitButton::mouseMoveEvent(QMouseEvent* e)
{
    QPoint p = e->position().toPoint();
    if (!m_hover) {
        // Entering: the part under the mouse is the hovered one at once, as
        // the hover notice right after entry makes it.
        m_hover = true;
        if (!m_pressed) {
            m_hoverMain = mainPart().contains(p);
            m_hoverDrop = !m_hoverMain && dropPart().contains(p);
        }
        update();
    } else if (!m_pressed) {
        bool inMain = mainPart().contains(p), inDrop = dropPart().contains(p);
        if (inMain && !mainPart().contains(m_last)) {
            m_hoverMain = true;
            m_hoverDrop = false;
            update();
        } else if (inDrop && !dropPart().contains(m_last)) {
            m_hoverDrop = true;
            m_hoverMain = false;
            update();
        }
    }
    m_last = p;
    QAbstractButton::mouseMoveEvent(e);
}

void CShadeSplitButton::leaveEvent(QEvent* e)
{
    m_hover = m_hoverMain = m_hoverDrop = false;
    m_last = {-1, -1};
    update();
    QAbstractButton::leaveEvent(e);
}

void CShadeSplitButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect item = rect();
    QRect main = mainPart(), drop = dropPart();
    QRect textRect = item.adjusted(m_textMargin, 0, -(m_textMargin + kDropWidth), 0);
    p.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    const QPalette& pal = palette();
    auto face = [&](int i) {
        if (m_faces[i].isNull())
            p.fillRect(item, pal.button());
        else
            m_faces[i].DrawAt(p, 0, 0);
    };
    auto edge = [&](QRect r, bool sunken) {
        r.adjust(0, 0, -1, -1);
        QColor tl = sunken ? pal.dark().color() : pal.light().color();
        QColor br = sunken ? pal.light().color() : pal.dark().color();
        draw3dRect(p, r, tl, br);
        if (!m_flat) {
            r.adjust(1, 1, -1, -1);
            draw3dRect(p, r, sunken ? pal.shadow().color() : pal.midlight().color(), sunken ? pal.midlight().color() : pal.shadow().color());
        }
    };

    const QIcon* icon = &m_icon;
    QPoint iconShift(0, 0), textShift(0, 0), dropShift(0, 0);
    QColor arrowColour = Qt::black;
    QIcon::Mode iconMode = QIcon::Normal;
    if (!isEnabled()) {
        face(2);
        iconMode = QIcon::Disabled;
        if (m_flat)
            edge(item, false);
        arrowColour = pal.color(QPalette::Disabled, QPalette::Text);
    } else if (m_pressed) {
        face(1);
        if (!m_pressedIcon.isNull())
            icon = &m_pressedIcon;
        if (m_pressMain) {
            textShift = iconShift = QPoint(1, 1);
            edge(main, true);
        } else if (m_pressDrop) {
            dropShift = QPoint(1, 1);
            edge(drop, true);
        }
    } else {
        face(m_hover ? 3 : 0);
        if (!m_hotIcon.isNull() && m_hoverMain) {
            icon = &m_hotIcon;
            iconShift = QPoint(-1, -1);
        } else if (!m_hotIcon.isNull() && m_hoverDrop) {
            icon = &m_hotIcon;
        }
        if (m_hover) {
            if (m_default) {
                edge(item, true);
                edge(item.adjusted(2, 2, -2, -2), false);
            } else if (m_hoverMain) {
                edge(main, false);
                textShift = QPoint(-1, -1);
            } else if (m_hoverDrop) {
                edge(drop, false);
                dropShift = QPoint(-1, -1);
            }
        }
    }
    if (!icon->isNull()) {
        QSize s = icon->availableSizes().value(0, QSize(16, 16));
        QRect ir(QPoint(m_textMargin, (item.height() - s.height()) / 2), s);
        if (m_iconAlign == IconRight)
            ir.moveLeft(textRect.right() - s.width());
        else if (m_iconAlign == IconTop)
            ir.moveTopLeft(QPoint((main.width() - s.width()) / 2, m_textMargin));
        if (m_iconAlign == IconLeft)
            textRect.setLeft(textRect.left() + s.width());
        else if (m_iconAlign == IconRight)
            textRect.setRight(textRect.right() - s.width());
        else if (m_iconAlign == IconTop)
            textRect.setTop(ir.bottom() + 1), textRect.setBottom(textRect.bottom() - m_textMargin - 1);
        icon->paint(&p, ir.translated(iconShift), Qt::AlignCenter, iconMode);
    }
    if (!isEnabled()) {
        p.setPen(pal.light().color());
        p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text());
        p.setPen(pal.color(QPalette::Disabled, QPalette::Text));
        p.drawText(textRect.translated(-1, -1), Qt::AlignCenter | Qt::TextSingleLine, text());
    } else {
        p.setPen(platform::toQColor(m_textColour));
        p.drawText(textRect.translated(textShift), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
    p.setPen(Qt::NoPen);
    p.setBrush(arrowColour);
    p.drawPolygon(arrow().translated(dropShift));
}

} // namespace controls
