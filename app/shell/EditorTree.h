#pragma once
// The item tree editor as the screen panel's tree: the panel shows, renames,
// removes and clears screens through it, and the tree's save and close
// commands come back to the panel that holds it.
#include "app/shell/PanelView.h"

class CCore;

namespace editor {
class CEditor;
class FramePort;
} // namespace editor

namespace shell {

class CEditorTree : public ScreenTree {
public:
    // `port` must outlive the tree (the main frame owns both).
    CEditorTree(CCore& core, editor::FramePort* port);
    ~CEditorTree() override;

    QWidget* widget() override;
    void InsertItemTree(tagItemData* screen) override;
    void DeleteItem(tagItemData* node) override;
    void ReleasePrograms(tagItemData* screen) override;

    editor::CEditor* editor() const { return m_editor; }

private:
    editor::CEditor* m_editor;   // owned by the panel once it takes the widget
};

} // namespace shell
