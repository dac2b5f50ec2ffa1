#pragma once
#include "core/model/Export.h"
// Where nodes lie on their screen (in LEDs, (0, 0) top left; right and
// bottom exclusive), how borders eat into that area, fitting sections into
// the screen, and the overlap check before programs are sent.
#include <cstdint>

struct tagItemData;

struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const RECT&) const = default;
};

// The result table of the overlap check: a 16-byte header and up to six
// rows of two node paths and a kind. Callers allocate the whole type.
struct _tableOverlap {
    struct Row {
        char16_t First[128];    // path of the section
        char16_t Second[128];   // path of the other section or of the scene
        std::uint16_t Kind;     // 0 two sections intersect, 1 a section runs into a scene's border
        std::uint8_t Unused[6];
    };
    std::uint32_t Reserved1;
    std::uint32_t Capacity;     // rows, set by the check
    std::uint32_t Count;        // conflicts found, also those that did not fit
    std::uint32_t Reserved2;
    Row Rows[6];
};
static_assert(sizeof(_tableOverlap::Row) == 520 && sizeof(_tableOverlap) == 16 + 6 * 520);

constexpr std::int32_t OVERLAP_INTERSECT = 0;
constexpr std::int32_t OVERLAP_BORDER = 1;

SORVANE_API RECT GetNodeRect(const tagItemData* node);
SORVANE_API RECT GetNodeClientRect(const tagItemData* node);
// The client rectangle inside the node's own preview picture.
RECT GetLocalClientRect(const tagItemData* node);
int GetOwnFrameWidth(const tagItemData* node);
// For the global scene (and its sections and items): the widest border among
// the scenes that follow it; otherwise the scene's own border.
int GetEffectiveFrameWidth(const tagItemData* node);
int GetScreenFrameWidth(const tagItemData* screen);
void GetScreenSize(const tagItemData* node, int& width, int& height);
bool IsNodeInsideScreen(const tagItemData* node);
bool IntersectRects(const RECT& a, const RECT& b);
bool RectContains(const RECT& outer, const RECT& inner);

// Holds a section inside the screen area its border leaves; true when it moved or shrank.
bool FitSectionToScreen(tagItemData* section);
// Applies a rectangle to a node and what depends on it (see CCore::ChangeItemRect).
void ChangeRectRecursive(tagItemData* node, int x, int y, int w, int h);
// Gives a scene or section a new border width and re-applies what depends on it.
void SetFrameWidth(tagItemData* node, int width);

// Fills the table with the conflicts of a screen's sections.
void CheckOverlap(const tagItemData* screen, _tableOverlap* table);
