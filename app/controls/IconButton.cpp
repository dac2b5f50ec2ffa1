#include "app/controls/IconButton.h"
#include "app/controls/Draw3d.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/PopupMenu.h"
#include "app/controls/UrlOpener.h"
#include "platform/LangPack.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace controls {

namespace {

QSize imageSizeOf(const QIcon& icon)
{
    if (icon.isNull())
        return {};
    QList<QSize> sizes = icon.availableSizes();
    return sizes.isEmpty() ? QSize(32, 32) : sizes.first();
}

} // namespace

CIconButton::CIconButton(QWidget* parent) : QPushButton(parent)
{
    const QPalette& pal = palette();
    platform::COLORREF face = platform::fromQColor(pal.color(QPalette::Button));
    platform::COLORREF text = platform::fromQColor(pal.color(QPalette::ButtonText));
    for (int i = 0; i < ColourCount; ++i)
        m_colours[i] = (i % 2 == 0) ? face : text;
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, &CIconButton::onClicked);
}

QImage CIconButton::greyCopy(const QImage& image)
{
    QImage g = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < g.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(g.scanLine(y));
        for (int x = 0; x < g.width(); ++x) {
            QRgb c = line[x];
            if ((c & 0x00FFFFFFu) == 0)
                continue; // black stays black
            int l = static_cast<int>(0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c));
            line[x] = qRgba(l, l, l, qAlpha(c));
        }
    }
    return g;
}

void CIconButton::AssignIcons(unsigned iconIn, int iconOut)
{
    QIcon out = iconOut > 0 ? platform::langIcon(static_cast<unsigned>(iconOut)) : QIcon();
    AssignIcons(platform::langIcon(iconIn), out, iconOut == kGreyIdle);
}

void CIconButton::AssignIcons(const QIcon& in, const QIcon& out, bool greyIdle)
{
    m_in = in;
    m_out = out;
    if (in.isNull()) {
        m_out = QIcon(); // nothing to show in any state
    } else if (greyIdle) {
        QSize s = imageSizeOf(in);
        m_out = QIcon(QPixmap::fromImage(greyCopy(in.pixmap(s).toImage())));
    }
    update();
}

void CIconButton::AssignBitmaps(const QImage& in, const QImage& out)
{
    AssignIcons(in.isNull() ? QIcon() : QIcon(QPixmap::fromImage(in)),
                out.isNull() ? QIcon() : QIcon(QPixmap::fromImage(out)));
}

void CIconButton::SetCheck(int state)
{
    if (!m_checkBox)
        return;
    m_check = (state == 1 || state == 2) ? 1 : 0;
    update();
}

void CIconButton::SetColour(int index, platform::COLORREF colour)
{
    if (index < 0 || index >= ColourCount)
        return;
    m_colours[index] = colour;
    update();
}

platform::COLORREF CIconButton::GetColour(int index) const
{
    return (index >= 0 && index < ColourCount) ? m_colours[index] : 0;
}

void CIconButton::LightenColor()
{
    QColor c = platform::toQColor(m_colours[BkHot]);
    int step = 255;
    for (int v : {c.red(), c.green(), c.blue()})
        step = qMin(step, v < 226 ? 30 : 255 - v);
    m_colours[BkHot] = platform::makeColorRef(c.red() + step, c.green() + step, c.blue() + step);
    update();
}

void CIconButton::SetMenu(QMenu* menu, QWidget* owner)
{
    m_menu = menu;
    m_menuOwner = owner;
}

void CIconButton::SetTooltipText(const QString& text)
{
    setToolTip(text);
}

void CIconButton::SetTooltipFromResource(unsigned stringId)
{
    QString t = platform::langString(stringId);
    if (!t.isEmpty())
        SetTooltipText(t);
}

QSize CIconButton::sizeHint() const
{
    QSize s = imageSizeOf(m_in);
    QSize t = fontMetrics().size(Qt::TextShowMnemonic, text());
    if (m_align == ImageTop)
        return {qMax(s.width(), t.width()) + 12, s.height() + t.height() + 12};
    return {s.width() + t.width() + 16, qMax(s.height(), t.height()) + 12};
}

bool CIconButton::isPressedLook() const
{
    if (m_checkBox)
        return isDown() || m_check;
    return isDown() || m_menuShown;
}

void CIconButton::mouseDoubleClickEvent(QMouseEvent* e)
{
    // a double click counts as a second press, so it gives two clicks
    mousePressEvent(e);
}

void CIconButton::enterEvent(QEnterEvent* e)
{
    if (m_flat && !m_mouseOver && (m_alwaysTrack || QApplication::activeWindow())) {
        m_mouseOver = true;
        update();
    }
    QPushButton::enterEvent(e);
}

void CIconButton::mouseMoveEvent(QMouseEvent* e)
{
    if (m_flat && (!(e->buttons() & Qt::LeftButton) || m_checkBox)) {
        bool inside = rect().contains(e->position().toPoint());
        if (inside && !m_mouseOver && (m_alwaysTrack || QApplication::activeWindow())) {
            m_mouseOver = true;
            update();
        } else if (!inside && m_mouseOver) {
            clearMouseOver();
        }
    }
    QPushButton::mouseMoveEvent(e);
}

bool CIconButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos); // the whole face, whatever the style's bevel
}

void CIconButton::clearMouseOver()
{
    if (m_flat && m_mouseOver) {
        m_mouseOver = false;
        update();
    }
}

void CIconButton::leaveEvent(QEvent* e)
{
    clearMouseOver();
    QPushButton::leaveEvent(e);
}

void CIconButton::focusInEvent(QFocusEvent* e)
{
    // A flat button shows no focus to the mouse; one reached by the keyboard
    // must, or the user cannot see which button Space will press.
    const Qt::FocusReason r = e->reason();
    m_keyboardFocus = r == Qt::TabFocusReason || r == Qt::BacktabFocusReason || r == Qt::ShortcutFocusReason;
    QPushButton::focusInEvent(e);
}

void CIconButton::focusOutEvent(QFocusEvent* e)
{
    m_keyboardFocus = false;
    clearMouseOver();
    QPushButton::focusOutEvent(e);
}

void CIconButton::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::EnabledChange && !isEnabled()) {
        // Qt moves the focus to the next tab stop itself; the hover look goes.
        m_mouseOver = false;
        update();
    }
    if (e->type() == QEvent::ActivationChange && !isActiveWindow())
        clearMouseOver();
    QPushButton::changeEvent(e);
}

void CIconButton::onClicked()
{
    setFocus(Qt::MouseFocusReason);
    if (m_checkBox) {
        m_check = m_check ? 0 : 1;
        update();
        return;
    }
    if (m_menu) {
        m_menuShown = true;
        update();
        QAction* a = runPopupMenu(m_menu, mapToGlobal(rect().bottomLeft()));
        m_menuShown = false;
        update();
        if (a) {
            int id = a->data().toInt();
            spine::Command::post(m_menuOwner.data(), {id, 0}, nullptr);
            emit menuCommand(id);
        }
        return;
    }
    if (!m_url.isEmpty())
        openTarget(m_url);
}

void CIconButton::DrawBackground(QPainter& p, const QRect& r)
{
    int idx = (isHot() || isPressedLook()) ? BkHot : hasFocus() ? BkFocus : BkIdle;
    p.fillRect(r, platform::toQColor(m_colours[idx]));
}

void CIconButton::DrawBorder(QPainter& p, const QRect& r)
{
    QColor tl = palette().light().color(), br = palette().dark().color();
    if (isPressedLook())
        std::swap(tl, br);
    draw3dRect(p, r, tl, br);
}

QRect CIconButton::imageRect(const QSize& s) const
{
    QRect r = rect();
    const bool withText = !text().isEmpty();
    int x = 0, y = (r.height() - s.height()) / 2;
    switch (m_align) {
    case ImageTop:
        x = (r.width() - s.width()) / 2;
        y = withText ? 3 : (r.height() - s.height()) / 2;
        break;
    case ImageRight:
        if (withText) {
            x = r.width() - s.width() - 3;
        } else {
            x = (r.width() - s.width()) / 2;
            y = 0;
        }
        break;
    default:
        x = withText ? r.left() + 3 : (r.width() - s.width()) / 2;
        break;
    }
    QRect ir(QPoint(x, y), s);
    if (isPressedLook() && !m_checkBox)
        ir.translate(1, 1);
    return ir;
}

QRect CIconButton::textRect(const QSize& s) const
{
    QRect r = rect();
    if (s.isValid() && !s.isEmpty()) {
        if (m_align == ImageLeft)
            r.setLeft(r.left() + 3 + s.width() + 3);
        else if (m_align == ImageTop)
            r.setTop(r.top() + s.height());
        else
            r = QRect(3, r.top(), rect().width() - 3 - s.width() - 3 - 3, r.height());
    }
    if (isPressedLook() && !m_checkBox)
        r.translate(1, 1);
    return r;
}

void CIconButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    const bool pressed = isPressedLook();
    if (!m_flat && (hasFocus() || isDefault())) {
        p.setPen(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    DrawBackground(p, r);
    QRect edge = r.adjusted(0, 0, -1, -1);
    if (pressed) {
        if (!m_flat) {
            p.setPen(palette().dark().color());
            p.drawRect(edge);
        } else if (m_drawBorder) {
            DrawBorder(p, edge);
        }
    } else if (!m_flat) {
        p.setPen(palette().light().color());
        p.drawLine(edge.topLeft(), edge.topRight());
        p.drawLine(edge.topLeft(), edge.bottomLeft());
        p.setPen(palette().shadow().color());
        p.drawLine(edge.bottomLeft(), edge.bottomRight());
        p.drawLine(edge.topRight(), edge.bottomRight());
        p.setPen(palette().dark().color());
        p.drawLine(edge.bottomLeft() + QPoint(1, -1), edge.bottomRight() + QPoint(-1, -1));
        p.drawLine(edge.topRight() + QPoint(-1, 1), edge.bottomRight() + QPoint(-1, -1));
    } else if (m_drawBorder && isHot()) {
        DrawBorder(p, edge);
    }

    const QIcon& img = (!m_out.isNull() && ((m_checkBox && !pressed) || (!m_checkBox && !pressed && !isHot())))
                           ? m_out
                           : m_in;
    if (!img.isNull()) {
        QSize s = imageSizeOf(img);
        QRect ir = imageRect(s);
        QIcon::Mode mode = isEnabled() ? QIcon::Normal : (m_showDisabledBitmap ? QIcon::Disabled : QIcon::Normal);
        img.paint(&p, ir, Qt::AlignCenter, mode);
    }
    if (!text().isEmpty()) {
        const QRect textRect = this->textRect(img.isNull() ? QSize() : imageSizeOf(img));
        const int flags = Qt::AlignCenter | Qt::TextWordWrap;
        if (!isEnabled()) {
            p.setPen(palette().light().color());
            p.drawText(textRect.translated(1, 1), flags, text());
            p.setPen(palette().dark().color());
            p.drawText(textRect, flags, text());
        } else {
            int idx = (isHot() || pressed) ? FgHot : hasFocus() ? FgFocus : FgIdle;
            p.setPen(platform::toQColor(m_colours[idx]));
            p.drawText(textRect, flags, text());
        }
    }
    if (hasFocus() && (!m_flat || m_drawFlatFocus || m_keyboardFocus)) {
        QStyleOptionFocusRect fr;
        fr.initFrom(this);
        fr.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, &p, this);
    }
}

} // namespace controls
