#include "app/shell/EditorTree.h"

#include "app/editor/Editor.h"

#include <QPointer>

namespace shell {

namespace {
constexpr int kCmdSaveScreen = 32888;
constexpr int kCmdCloseScreen = 32889;
} // namespace

CEditorTree::CEditorTree(CCore& core, editor::FramePort* port)
    : m_editor(new editor::CEditor(core, port))
{
    editor::CEditor* tree = m_editor;
    m_editor->setScreenCommand([tree](int command, tagItemData* screen) {
        auto* panel = qobject_cast<CPanelView*>(tree->parentWidget());
        if (!panel)
            return;
        if (command == kCmdSaveScreen)
            panel->SaveScreen(screen, false);
        else if (command == kCmdCloseScreen)
            panel->CloseScreen(screen);
    });
}

CEditorTree::~CEditorTree()
{
    // Not yet taken by a panel: nobody else frees it.
    if (m_editor && !m_editor->parentWidget())
        delete m_editor;
}

QWidget* CEditorTree::widget()
{
    return m_editor;
}

void CEditorTree::InsertItemTree(tagItemData* screen)
{
    m_editor->InsertItemTree(screen);
}

void CEditorTree::DeleteItem(tagItemData* node)
{
    m_editor->DeleteItem(node);
}

void CEditorTree::ReleasePrograms(tagItemData* screen)
{
    m_editor->ReleasePrograms(screen);
}

} // namespace shell
