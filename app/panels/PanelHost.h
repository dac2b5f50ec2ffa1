#pragma once
// What the property panels need from the screen canvases: an item chosen in
// a panel is shown on the canvas of its screen. The main frame implements it
// by finding that canvas; a panel without a host (tests, or no canvas open)
// shows nothing there. Every other change reaches the canvases through the
// change notice (app/spine/NodeNotice.h).
struct tagItemData;
class CCore;

namespace panels {

class PanelHost {
public:
    virtual ~PanelHost() = default;
    // The canvas shows the item in its section (selected, redrawn on request).
    virtual void selectItem(tagItemData* item, bool redraw) = 0;
};

// What every panel and page is built with: the one core and the canvases.
struct PanelContext {
    CCore& core;
    PanelHost* host = nullptr;
};

} // namespace panels
