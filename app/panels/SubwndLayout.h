#pragma once
// The window page's choices apart from its widgets: which effect and main
// panel a section or item gets, and where the columns go.
#include "app/editor/KindTable.h"

#include <QRect>
#include <cstdint>

struct tagItemData;

namespace panels {

using editor::EffectSlot;
using editor::kMainSlots;
using editor::MainSlot;

struct PanelChoice {
    // A list window: the list is loaded and the effect and main columns are left as they are.
    bool listWindow = false;
    // The section panel (and border) is loaded with the node.
    bool loadSection = false;
    // -1 leaves the list column as it is, 0 hides it, 1 shows it.
    int list = -1;
    EffectSlot effect = EffectSlot::None;
    MainSlot main = MainSlot::None;
    // What the effect and main panels load (a window's first item, or the item).
    tagItemData* load = nullptr;
};

PanelChoice choosePanels(tagItemData* node);

struct SubwndColumns {
    QRect section, border, list, effect, main;
    QPoint origin;   // where the effect column begins
};

// Column widths of the window page (the main column takes the rest).
struct SubwndWidths {
    int section = 150;
    int border = 170;
    int list = 180;
    int effect = 290;
    int gap = 2;
};

// The left block (section, border, list) and the right block (effect, main)
// in a page of this size.
SubwndColumns layoutSubwnd(QSize page, bool listShown, bool effectShown, const SubwndWidths& w = {});

} // namespace panels
