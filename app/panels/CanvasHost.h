#pragma once
// The property panels' host over the editor's screen canvases: each request
// goes to the canvas that shows the node's screen, when one does. The main
// frame makes one over its window finder and hands it to the pane.
#include "app/panels/PanelHost.h"

namespace editor {
class ItemWindowFinder;
class CScreenLed;
}

namespace panels {

class CanvasHost : public PanelHost {
public:
    // The finder is not owned and may be null (no canvases).
    explicit CanvasHost(editor::ItemWindowFinder* finder) : m_finder(finder) {}

    void selectItem(tagItemData* item, bool redraw) override;

private:
    editor::CScreenLed* canvasOf(tagItemData* node) const;
    editor::ItemWindowFinder* m_finder;
};

} // namespace panels
