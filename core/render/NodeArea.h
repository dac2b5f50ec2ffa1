#pragma once
// Where a node lies on its screen and the area inside its border, as the
// painters and the compiler need it. Rectangles are in LEDs.
#include <QRect>
#include <QSize>

struct tagItemData;

namespace render {

tagItemData* ScreenOf(tagItemData* node);
QSize ScreenSize(tagItemData* node);
bool IsGlobalScene(const tagItemData* node);
// Own border width of a scene or section (0 without a frame).
int OwnFrameWidth(const tagItemData* node);
// Border width of the node's scene; for the global scene the widest of the scenes after it.
int EffectiveFrameWidth(tagItemData* node);
// Scene: the screen; section: its own; item: its section's inset by the section's border.
QRect NodeRect(tagItemData* node);
// The node rectangle inset by the border that applies to the node.
QRect NodeClientRect(tagItemData* node);
// The client rectangle of a node inside its own preview bitmap.
QRect LocalClientRect(tagItemData* node);
// Children of a node that hold at least one child.
int ChildrenWithItems(const tagItemData* node);

} // namespace render
