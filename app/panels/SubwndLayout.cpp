#include "app/panels/SubwndLayout.h"

#include "core/api/Nodes.h"

namespace panels {

PanelChoice choosePanels(tagItemData* node)
{
    PanelChoice c;
    if (!node)
        return c;
    if (node->Level == LEVEL_SECTION) {
        c.loadSection = true;
        const editor::KindRow& kind = editor::kindRowAt(LEVEL_SECTION, node->Section.WndKind);
        if (kind.listWindow) {
            c.listWindow = true;
            c.list = 1;
            return c;
        }
        if (kind.main == MainSlot::None)
            return c;
        c.list = 0;
        c.effect = kind.effect;
        c.main = kind.main;
        c.load = node->FirstChild;
        return c;
    }
    if (node->Level == LEVEL_PROGRAM) {
        const editor::KindRow& kind = editor::kindRowAt(LEVEL_PROGRAM, node->Item.TypeCode);
        if (kind.main == MainSlot::None)
            return c;
        c.load = node;
        c.effect = kind.effect;
        c.main = kind.main;
    }
    return c;
}

SubwndColumns layoutSubwnd(QSize page, bool listShown, bool effectShown, const SubwndWidths& w)
{
    SubwndColumns c;
    const int h = std::max(page.height() - 1, 0);
    c.section = QRect(0, 0, w.section, h);
    c.border = QRect(c.section.x() + w.section + w.gap, 0, w.border, h);
    const int listX = c.border.x() + w.border + w.gap;
    c.list = QRect(listX, 0, listShown ? w.list : 0, h);
    c.origin = QPoint(listShown ? listX + w.list + w.gap : listX, 0);
    c.effect = QRect(c.origin.x(), c.origin.y(), effectShown ? w.effect : 0, h);
    const int mainX = effectShown ? c.effect.x() + w.effect + w.gap : c.origin.x();
    c.main = QRect(mainX, c.origin.y(), std::max(page.width() - 1 - mainX, 0), h);
    return c;
}

} // namespace panels
