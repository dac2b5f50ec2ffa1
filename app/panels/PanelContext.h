#pragma once
// What every panel and page is built with: the one core and the main frame's
// port (through which an item chosen in a panel is shown on its canvas). A
// panel without a port (tests) shows nothing on a canvas. What a panel
// changes reaches the canvases through the change notice.
class CCore;

namespace editor {
class FramePort;
}

namespace panels {

struct PanelContext {
    CCore& core;
    editor::FramePort* frame = nullptr;
};

} // namespace panels
