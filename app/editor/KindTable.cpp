#include "app/editor/KindTable.h"

#include "app/spine/CommandIds.h"

#include <algorithm>
#include <iterator>

namespace editor {
namespace {

using spine::ID_KIND_FIRST;
using M = MainSlot;
using E = EffectSlot;

constexpr unsigned kScreenIcon = 6238;
constexpr unsigned kTextIcon = 6055;
constexpr unsigned kTextName = 41003;

// Scenes and sections: added from the kind bar; a section names the item it
// starts with and its panels.
constexpr KindRow scene(std::uint16_t type, unsigned command, unsigned button, unsigned buttonIcon)
{
    return {.type = type, .treeIcon = 6062, .listIcon = kTextIcon, .stringId = type == IT_GLOBALSCENE ? 41000u : 41001u,
            .addCommand = command, .kindButton = button, .buttonIcon = buttonIcon};
}

constexpr KindRow kRows[] = {
    {.type = IT_SCREEN, .treeIcon = kScreenIcon, .listIcon = kTextIcon, .stringId = 41012},
    scene(IT_GLOBALSCENE, 32882, ID_KIND_FIRST + 0, 6062),
    scene(IT_SCENE, 32883, ID_KIND_FIRST + 1, 6061),
    {.type = IT_WND_PROGLIST, .treeIcon = 6060, .listIcon = kTextIcon, .stringId = 41002,
     .kindButton = ID_KIND_FIRST + 2, .buttonIcon = 6060, .firstItem = IT_TEXT, .listWindow = true,
     .addMenu = AddMenu::ProgramList},
    {.type = IT_WND_TEXT, .treeIcon = kTextIcon, .listIcon = kTextIcon, .stringId = 41015,
     .kindButton = ID_KIND_FIRST + 3, .buttonIcon = 6055, .firstItem = IT_TEXT, .main = M::RichText,
     .effect = E::Effect},
    // A content list holds texts, pictures, animations and tables.
    {.type = IT_WND_CONTENTLIST, .treeIcon = 6054, .listIcon = kTextIcon, .stringId = 41013,
     .kindButton = ID_KIND_FIRST + 4, .buttonIcon = 6054, .firstItem = IT_TEXT, .listWindow = true,
     .addMenu = AddMenu::ContentList},
    {.type = IT_WND_CLOCKSIMUL, .treeIcon = 6056, .listIcon = kTextIcon, .stringId = 41005,
     .kindButton = ID_KIND_FIRST + 5, .buttonIcon = 6056, .firstItem = IT_CLOCKSIMUL, .main = M::ClockSimul},
    {.type = IT_WND_CLOCKDIGIT, .treeIcon = 6049, .listIcon = kTextIcon, .stringId = 41006,
     .kindButton = ID_KIND_FIRST + 6, .buttonIcon = 6049, .firstItem = IT_CLOCKDIGIT, .main = M::ClockDigit},
    {.type = IT_WND_COUNT, .treeIcon = 6052, .listIcon = kTextIcon, .stringId = 41014,
     .kindButton = ID_KIND_FIRST + 7, .buttonIcon = 6052, .firstItem = IT_COUNT, .main = M::Count},
    {.type = IT_SINGLELINE, .treeIcon = kTextIcon, .listIcon = kTextIcon, .stringId = 41010, .addCommand = 32935,
     .main = M::SingleLine, .effect = E::Effect, .addMenuRow = {1, 1}},
    {.type = IT_TEXT, .treeIcon = kTextIcon, .listIcon = kTextIcon, .stringId = kTextName, .addCommand = 32936,
     .main = M::RichText, .effect = E::Effect, .addMenuRow = {2, 2}},
    {.type = IT_IMAGE, .treeIcon = 6054, .listIcon = 6054, .stringId = 41004, .addCommand = 32937, .main = M::Img,
     .effect = E::Effect, .addMenuRow = {4, 4}},
    {.type = IT_GIF, .treeIcon = 6050, .listIcon = 6050, .stringId = 41008, .addCommand = 32942, .main = M::Img,
     .addMenuRow = {9, 5}},
    {.type = IT_GRID, .treeIcon = 6053, .listIcon = 6053, .stringId = 41009, .addCommand = 32943, .main = M::Grid,
     .effect = E::Effect, .addMenuRow = {10, 6}},
    // No tree icon of its own: the tree shows the screen's.
    {.type = IT_TEXTGIF, .treeIcon = kScreenIcon, .listIcon = kTextIcon, .stringId = 41041, .main = M::TextGif,
     .effect = E::CoolText, .addMenuRow = {3, 3}},
    {.type = IT_CLOCKSIMUL, .treeIcon = 6056, .listIcon = 6056, .stringId = 41005, .addCommand = 32938,
     .main = M::ClockSimul, .addMenuRow = {5, 0}},
    {.type = IT_CLOCKDIGIT, .treeIcon = 6049, .listIcon = 6049, .stringId = 41006, .addCommand = 32939,
     .main = M::ClockDigit, .addMenuRow = {6, 0}},
    {.type = IT_COUNT, .treeIcon = 6052, .listIcon = 6052, .stringId = 41007, .addCommand = 32946, .main = M::Count,
     .addMenuRow = {7, 0}},
    // Loaded files turn these into counters (IT_COUNT); nothing adds one.
    {.type = IT_COUNT2, .treeIcon = 6103, .listIcon = kTextIcon, .stringId = 41011, .main = M::Count},
};

constexpr bool rowsFollowKinds()
{
    if (std::size(kRows) != std::size(kItemTypes))
        return false;
    for (std::size_t i = 0; i < std::size(kRows); ++i)
        if (kRows[i].type != kItemTypes[i])
            return false;
    return true;
}
static_assert(rowsFollowKinds(), "every item kind needs its row here, in the order of kItemTypes");

constexpr KindRow kNoKind{.type = 0xFFFF, .treeIcon = kScreenIcon, .listIcon = kTextIcon, .stringId = kTextName};

template <class Match>
const KindRow* find(Match match)
{
    const auto* row = std::find_if(std::begin(kRows), std::end(kRows), match);
    return row != std::end(kRows) ? row : nullptr;
}

} // namespace

const KindRow& kindRow(unsigned type)
{
    const KindRow* row = find([type](const KindRow& r) { return r.type == type; });
    return row ? *row : kNoKind;
}

const KindRow& kindRowAt(unsigned level, unsigned type)
{
    return type <= 0xFFFF && LevelOfType(static_cast<std::uint16_t>(type)) == level ? kindRow(type) : kNoKind;
}

const KindRow* kindByCommand(unsigned command)
{
    return command ? find([command](const KindRow& r) { return r.addCommand == command; }) : nullptr;
}

const KindRow* kindByButton(unsigned id)
{
    return id ? find([id](const KindRow& r) { return r.kindButton == id; }) : nullptr;
}

std::span<const KindRow> kindRows() { return kRows; }

} // namespace editor
