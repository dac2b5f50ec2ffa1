#pragma once
// Levels of the content tree and the one 16-bit code space of node types.
#include <cstdint>

enum ItemLevel : std::uint32_t {
    LEVEL_ROOT = 0,      // a screen: one controller
    LEVEL_SCENE = 1,
    LEVEL_SECTION = 2,
    LEVEL_PROGRAM = 3,   // a content item
    LEVEL_HEADER = 0xFFFF,
};

enum ItemType : std::uint16_t {
    IT_SCREEN = 0,
    IT_GLOBALSCENE = 1,
    IT_SCENE = 2,
    IT_WND_PROGLIST = 4,
    IT_WND_TEXT = 5,
    IT_WND_CONTENTLIST = 6,
    IT_WND_CLOCKSIMUL = 7,
    IT_WND_CLOCKDIGIT = 8,
    IT_WND_COUNT = 9,
    IT_SINGLELINE = 0x10,
    IT_TEXT = 0x100,
    IT_IMAGE = 0x101,
    IT_GIF = 0x102,
    IT_GRID = 0x103,
    IT_TEXTGIF = 0x104,
    IT_CLOCKSIMUL = 0x200,
    IT_CLOCKDIGIT = 0x201,
    IT_COUNT = 0x300,
    IT_COUNT2 = 0x301,
};

// Every kind above, in code order: the core's and the program's tables of
// kinds hold one row for each, in this order, and say so at compile time.
inline constexpr ItemType kItemTypes[] = {
    IT_SCREEN,      IT_GLOBALSCENE,   IT_SCENE,           IT_WND_PROGLIST, IT_WND_TEXT,
    IT_WND_CONTENTLIST, IT_WND_CLOCKSIMUL, IT_WND_CLOCKDIGIT, IT_WND_COUNT,  IT_SINGLELINE,
    IT_TEXT,        IT_IMAGE,         IT_GIF,             IT_GRID,         IT_TEXTGIF,
    IT_CLOCKSIMUL,  IT_CLOCKDIGIT,    IT_COUNT,           IT_COUNT2,
};

enum CommMode : std::uint32_t {
    COMM_SERIAL = 0,
    COMM_ETHERNET = 1,
    COMM_NETWORK = 2,
};

// The level a node of this type lives at.
constexpr ItemLevel LevelOfType(std::uint16_t type)
{
    if (type == IT_SCREEN)
        return LEVEL_ROOT;
    if (type == IT_GLOBALSCENE || type == IT_SCENE)
        return LEVEL_SCENE;
    if (type >= IT_WND_PROGLIST && type <= IT_WND_COUNT)
        return LEVEL_SECTION;
    return LEVEL_PROGRAM;
}
