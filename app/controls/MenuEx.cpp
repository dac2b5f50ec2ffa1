#include "app/controls/MenuEx.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace {

constexpr int kPlatformCheckWidth = 15;

} // namespace

namespace controls {

QSize MenuExMetrics::measure(const tagMENUITEM& item, int textWidth, bool hasSubmenu) const
{
    if (item.id == 0)
        return {0, separatorHeight};
    int width = textWidth + iconWidth;
    if (item.extra >= 0)
        width += 30;
    if (hasSubmenu)
        width += 15;
    return {width, iconHeight + 4};
}

CMenuEx::CMenuEx(QWidget* parent) : QMenu(parent), m_style(new MenuExStyle(this))
{
    m_style->setParent(this);
    setStyle(m_style);
}

CMenuEx::~CMenuEx() = default;

QAction* CMenuEx::AppendOwnerDrawn(const tagMENUITEM& item)
{
    QAction* a = item.id == 0 ? addSeparator() : addAction(item.icon, item.text);
    m_records.append({a, item});
    return a;
}

const tagMENUITEM* CMenuEx::RecordFor(const QAction* action) const
{
    for (const auto& r : m_records)
        if (r.first == action)
            return &r.second;
    return nullptr;
}

MenuExStyle::MenuExStyle(const CMenuEx* menu) : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_menu(menu)
{
}

const tagMENUITEM* MenuExStyle::recordOf(const QStyleOption* option) const
{
    // The option carries the entry's text and kind, not its action.
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!mi || !m_menu)
        return nullptr;
    for (QAction* act : m_menu->actions())
        if (const tagMENUITEM* rec = m_menu->RecordFor(act))
            if ((mi->menuItemType == QStyleOptionMenuItem::Separator) == (rec->id == 0)
                && (rec->id == 0 || act->text() == mi->text))
                return rec;
    return nullptr;
}

QSize MenuExStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                    const QWidget* widget) const
{
    if (type == CT_MenuItem) {
        if (const tagMENUITEM* r = recordOf(option)) {
            const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            const int textWidth = option->fontMetrics.horizontalAdvance(mi->text);
            QSize sz = m_menu->Metrics().measure(*r, textWidth, mi->menuItemType == QStyleOptionMenuItem::SubMenu);
            // The platform adds a check-mark column to an owner-drawn entry's width.
            if (r->id != 0)
                sz.rwidth() += kPlatformCheckWidth;
            else
                sz.setWidth(1);   // an empty size would drop the separator
            return sz;
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void MenuExStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* p,
                              const QWidget* widget) const
{
    const tagMENUITEM* r = element == CE_MenuItem ? recordOf(option) : nullptr;
    if (!r) {
        QProxyStyle::drawControl(element, option, p, widget);
        return;
    }
    const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const MenuExMetrics& m = m_menu->Metrics();
    const QRect rc = option->rect;
    const bool selected = option->state & State_Selected;
    const bool enabled = option->state & State_Enabled;
    const QColor text = selected ? option->palette.highlightedText().color() : option->palette.text().color();
    p->save();
    p->fillRect(rc, m.background);
    p->fillRect(QRect(rc.left(), rc.top(), m.iconWidth + 5, rc.height()), m.strip);
    if (mi->menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = rc.top() + rc.height() / 2 - 1;
        p->setPen(QColor(0x40, 0x00, 0x80));   // COLORREF 0x800040
        p->drawLine(rc.left() + m.iconWidth + 10, y, rc.right() - 2, y);
        p->setPen(Qt::white);
        p->drawLine(rc.left() + m.iconWidth + 10, y + 1, rc.right() - 2, y + 1);
        p->restore();
        return;
    }
    if (selected) {
        p->setPen(m.highlightFrame);
        p->setBrush(m.highlightFill);
        p->drawRect(rc.adjusted(0, 0, -1, -1));
    }
    const QRect textRect(rc.left() + m.iconWidth + 10, rc.top() + 3, rc.width() - m.iconWidth - 10, rc.height() - 3);
    p->setPen(enabled ? text : option->palette.color(QPalette::Disabled, QPalette::Text));
    p->drawText(textRect, Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextExpandTabs, mi->text);
    const QRect iconArea(rc.left(), rc.top(), m.iconWidth + 4, m.iconHeight + 4);
    if (mi->checked) {
        if (!enabled) {
            p->setPen(Qt::white);
            p->drawText(iconArea.translated(1, 1), Qt::AlignCenter, QStringLiteral("\u221A"));
            p->setPen(QColor(0x7F, 0x7F, 0x7F));
        } else {
            p->setPen(text);
        }
        p->drawText(iconArea, Qt::AlignCenter, QStringLiteral("\u221A"));
    } else if (!mi->icon.isNull()) {
        const QPixmap pm = mi->icon.pixmap(QSize(m.iconWidth, m.iconHeight), enabled ? QIcon::Normal : QIcon::Disabled);
        p->drawPixmap(rc.left() + 2, rc.top() + (selected ? 1 : 2), pm);
    }
    p->restore();
}

} // namespace controls
