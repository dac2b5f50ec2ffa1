#include "app/shell/EditorPanel.h"

#include "app/editor/Editor.h"
#include "app/editor/TreeRules.h"
#include "app/shell/PanelView.h"
#include "core/api/Core.h"

namespace shell {

namespace {

// The tree editor in the panel's place for the tree.
class EditorTree : public ScreenTree {
public:
    explicit EditorTree(editor::CEditor* e) : m_editor(e) {}
    QWidget* widget() override { return m_editor; }
    void InsertItemTree(tagItemData* screen) override { m_editor->InsertItemTree(screen); }
    void DeleteItem(tagItemData* node) override { m_editor->DeleteItem(node); }
    void DeleteScreens(const std::vector<tagItemData*>& screens) override { m_editor->DeleteScreens(screens); }
    void ReleasePrograms(tagItemData* screen) override { m_editor->ReleasePrograms(screen); }

private:
    editor::CEditor* m_editor;
};

} // namespace

CEditorScreenPanel::CEditorScreenPanel(CCore& core, ShellSettings& settings, const QString& appFolder,
                                       editor::FramePort& port, QWidget* parent)
{
    m_editor = new editor::CEditor(core, &port);
    m_view = new CPanelView(core, settings, appFolder, std::make_unique<EditorTree>(m_editor), parent);
    m_editor->setScreenNameTaken([this](const QString& name) { return m_view && m_view->FileNameTaken(name); });
    // Save and close of a screen from the tree's menu belong to the panel.
    m_editor->setScreenCommand([this](int command, tagItemData* screen) {
        if (!m_view)
            return;
        if (command == 32888)
            m_view->SaveScreen(screen, false);
        else if (command == 32889)
            m_view->CloseScreen(screen);
    });
}

CEditorScreenPanel::~CEditorScreenPanel()
{
    // Not yet placed in a window: nobody else frees it.
    if (m_view && !m_view->parentWidget())
        delete m_view.data();
}

QWidget* CEditorScreenPanel::widget()
{
    return m_view;
}

tagItemData* CEditorScreenPanel::GetSelectedScreen()
{
    return m_editor ? m_editor->GetSelectedScreen() : nullptr;
}

tagItemData* CEditorScreenPanel::GetSelectedItem()
{
    return m_editor ? m_editor->selectedNode() : nullptr;
}

bool CEditorScreenPanel::SelectNode(tagItemData* node)
{
    if (!m_editor)
        return false;
    if (!node) {
        m_editor->setCurrentItem(nullptr);
        return true;
    }
    QTreeWidgetItem* item = m_editor->itemOf(node);
    if (item)
        m_editor->setCurrentItem(item);
    return item != nullptr;
}

tagItemData* CEditorScreenPanel::AddNewItem(int kind)
{
    return m_editor ? m_editor->AddNewItem(kind) : nullptr;
}

void CEditorScreenPanel::HoldSelection(bool hold)
{
    if (m_editor)
        m_editor->HoldSelection(hold);
}

void CEditorScreenPanel::InsertItemTree(tagItemData* screen)
{
    if (m_editor)
        m_editor->InsertItemTree(screen);
}

int CEditorScreenPanel::DeleteSelectedItem()
{
    return m_editor ? m_editor->DeleteSelectedItem() : 0;
}

QString CEditorScreenPanel::DefaultItemName(tagItemData* node)
{
    return m_editor ? m_editor->defaultName(node) : QString();
}

int CEditorScreenPanel::CloseAllScreens()
{
    return m_view ? m_view->CloseAllScreens() : 1;
}

void CEditorScreenPanel::SetAsideScreen(tagItemData* screen, const QString& path, int code)
{
    if (m_view)
        m_view->SetAsideScreen(screen, path, code);
}

void CEditorScreenPanel::TellSetAsideFiles()
{
    if (m_view)
        m_view->TellSetAsideFiles();
}

int CEditorScreenPanel::LoadScreenFile(tagItemData* screen, const QString& path)
{
    return m_view ? m_view->LoadScreenFile(screen, path) : 1;
}

void CEditorScreenPanel::RemoveScreen(tagItemData* screen)
{
    if (m_view)
        m_view->RemoveScreen(screen);
}

void CEditorScreenPanel::ForgetScreenFile(tagItemData* screen)
{
    if (m_view)
        m_view->ForgetScreenFile(screen);
}

QString CEditorScreenPanel::ScreenFile(tagItemData* screen)
{
    return m_view ? m_view->ScreenFile(screen) : QString();
}

int CEditorScreenPanel::OpenScreen(tagItemData* screen)
{
    if (m_view)
        m_view->OpenScreen(screen);
    return 1;
}

int CEditorScreenPanel::SaveScreen(tagItemData* screen)
{
    return m_view && m_view->SaveScreen(screen, false) ? 1 : 0;
}

int CEditorScreenPanel::SaveScreenAs(tagItemData* screen)
{
    return m_view && m_view->SaveScreenAs(screen) ? 1 : 0;
}

bool CEditorScreenPanel::IsFileOpen(const QString& path)
{
    return m_view && m_view->IsFileOpen(path) != 0;
}

void CEditorScreenPanel::SetNoticeCallback(std::function<void(int, const QString&)> callback)
{
    if (m_editor)
        m_editor->setNoticeCallback(std::move(callback));
}

} // namespace shell
