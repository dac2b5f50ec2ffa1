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
        switch (node->Section.WndKind) {
        case IT_WND_PROGLIST:
        case IT_WND_CONTENTLIST:
            c.listWindow = true;
            c.list = 1;
            return c;
        case IT_WND_TEXT:
            c.list = 0;
            c.effect = EffectSlot::Effect;
            c.main = MainSlot::RichText;
            break;
        case IT_WND_CLOCKSIMUL:
            c.list = 0;
            c.main = MainSlot::ClockSimul;
            break;
        case IT_WND_CLOCKDIGIT:
            c.list = 0;
            c.main = MainSlot::ClockDigit;
            break;
        case IT_WND_COUNT:
            c.list = 0;
            c.main = MainSlot::Count;
            break;
        default:
            return c;
        }
        c.load = node->FirstChild;
        return c;
    }
    if (node->Level == LEVEL_PROGRAM) {
        c.load = node;
        switch (node->Item.TypeCode) {
        case IT_SINGLELINE: c.effect = EffectSlot::Effect; c.main = MainSlot::SingleLine; break;
        case IT_TEXT: c.effect = EffectSlot::Effect; c.main = MainSlot::RichText; break;
        case IT_IMAGE: c.effect = EffectSlot::Effect; c.main = MainSlot::Img; break;
        case IT_GIF: c.main = MainSlot::Img; break;
        case IT_GRID: c.effect = EffectSlot::Effect; c.main = MainSlot::Grid; break;
        case IT_TEXTGIF: c.effect = EffectSlot::CoolText; c.main = MainSlot::TextGif; break;
        case IT_CLOCKSIMUL: c.main = MainSlot::ClockSimul; break;
        case IT_CLOCKDIGIT: c.main = MainSlot::ClockDigit; break;
        case IT_COUNT:
        case IT_COUNT2: c.main = MainSlot::Count; break;
        default: c.load = nullptr; break;
        }
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
