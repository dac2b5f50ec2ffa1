#pragma once
// One row per item kind (kItemTypes, core/api/ItemTypes.h): what the program
// shows and offers for a kind: icons, name, the commands that add it, the
// panels that edit it and the add-menu rows of list windows. A kind without
// a row fails the build (KindTable.cpp).
#include "core/api/ItemTypes.h"

#include <array>
#include <cstdint>
#include <span>

namespace editor {

// The effect and main panels of the window page (CPropertySubwnd).
enum class EffectSlot { None = -1, Effect = 0, CoolText = 1 };
enum class MainSlot { None = -1, RichText = 0, SingleLine, ClockSimul, ClockDigit, Count, Img, Grid, TextGif };
inline constexpr int kMainSlots = 8;

// The add menus of list windows: a section row names its menu, an item row
// its command id in each (0: not offered there).
enum class AddMenu : std::int8_t { None = -1, ProgramList = 0, ContentList = 1 };
inline constexpr int kAddMenus = 2;

struct KindRow {
    std::uint16_t type;
    unsigned treeIcon;        // the item tree's icon
    unsigned listIcon;        // a list window's row icon
    unsigned stringId;        // the kind's name, also the stem of its default names
    unsigned addCommand = 0;  // the tree menu command that adds one
    unsigned kindButton = 0;  // the item-kind bar button that adds one
    unsigned buttonIcon = 0;  // that button's icon
    std::uint16_t firstItem = 0;   // a new section's first item
    MainSlot main = MainSlot::None;
    EffectSlot effect = EffectSlot::None;
    bool listWindow = false;       // a section whose items are listed in a list panel
    AddMenu addMenu = AddMenu::None;
    std::array<std::uint8_t, kAddMenus> addMenuRow{};
};

// The row of a kind code; codes without a row get one that shows the screen
// icon and the rich-text name and offers nothing.
const KindRow& kindRow(unsigned type);
// The row only when the code belongs to that level (a damaged section's
// window kind may name an item): otherwise the row of no kind.
const KindRow& kindRowAt(unsigned level, unsigned type);
// The kind added by a tree menu command or an item-kind bar button; null when none.
const KindRow* kindByCommand(unsigned command);
const KindRow* kindByButton(unsigned id);
std::span<const KindRow> kindRows();

} // namespace editor
