#pragma once
// What the property panels need from the screen canvases. The main frame
// implements it by finding the canvas that shows a node's screen; a panel
// without a host (tests, or no canvas open) only has the core paint.
struct tagItemData;
class CCore;

namespace panels {

class PanelHost {
public:
    virtual ~PanelHost() = default;
    // The canvas showing the node's screen draws the node's new picture.
    virtual void repaintNode(tagItemData* node) = 0;
    // The canvas re-places and resizes the section's window to its rectangle.
    virtual void updateItemRect(tagItemData* section) = 0;
    // The canvas shows the item in its section (selected, redrawn on request).
    virtual void selectItem(tagItemData* item, bool redraw) = 0;
    // The canvas drops the item's windows before the item is deleted.
    virtual void removeItem(tagItemData* item) = 0;
};

// What every panel and page is built with: the one core and the canvases.
struct PanelContext {
    CCore& core;
    PanelHost* host = nullptr;
};

// The one repaint rule: the core paints the node, and only when it drew
// does the canvas of the node's screen show the new picture.
void repaintNode(const PanelContext& ctx, tagItemData* node);

} // namespace panels
