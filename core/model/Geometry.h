#pragma once
// Where nodes lie on their screen (in LEDs, (0, 0) top left; right and
// bottom exclusive), how borders eat into that area, fitting sections into
// the screen, and the overlap check before programs are sent.
#include "core/api/Nodes.h"

#include <cstdint>

struct tagItemData;

namespace sorvane::model {

// GetNodeRect and GetNodeClientRect: core/api/Nodes.h.
// The client rectangle inside the node's own preview picture.
RECT GetLocalClientRect(const tagItemData* node);
// The width of the node's own border; 0 without one.
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

} // namespace sorvane::model
