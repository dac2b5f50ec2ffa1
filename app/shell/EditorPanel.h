#pragma once
// The screen panel as the main frame uses it: the panel with the program-list
// files (CPanelView) around the item tree editor (CEditor).
#include "app/editor/Editor.h"
#include "app/editor/FramePort.h"
#include "app/shell/PanelView.h"
#include "app/shell/ScreenPanelPort.h"

#include <QPointer>

class CCore;

namespace shell {

struct ShellSettings;

class CEditorScreenPanel : public ScreenPanelPort {
public:
    // The editor reaches the frame, the canvases and the panes through `port`,
    // which must outlive the panel.
    CEditorScreenPanel(CCore& core, ShellSettings& settings, const QString& appFolder, editor::FramePort& port,
                       QWidget* parent = nullptr);
    ~CEditorScreenPanel() override;

    QWidget* widget() override;
    tagItemData* GetSelectedScreen() override;
    tagItemData* GetSelectedItem() override;
    bool SelectNode(tagItemData* node) override;
    tagItemData* AddNewItem(int kind) override;
    void InsertItemTree(tagItemData* screen) override;
    void HoldSelection(bool hold) override;
    int DeleteSelectedItem() override;
    QString DefaultItemName(tagItemData* node) override;
    int CloseAllScreens() override;
    void SetAsideScreen(tagItemData* screen, const QString& path, int code) override;
    void TellSetAsideFiles() override;
    int LoadScreenFile(tagItemData* screen, const QString& path) override;
    void RemoveScreen(tagItemData* screen) override;
    void ForgetScreenFile(tagItemData* screen) override;
    QString ScreenFile(tagItemData* screen) override;
    int OpenScreen(tagItemData* screen) override;
    int SaveScreen(tagItemData* screen) override;
    int SaveScreenAs(tagItemData* screen) override;
    bool IsFileOpen(const QString& path) override;
    void SetNoticeCallback(std::function<void(int, const QString&)> callback) override;

    editor::CEditor* Editor() const { return m_editor; }
    CPanelView* View() const { return m_view; }

private:
    QPointer<editor::CEditor> m_editor;
    QPointer<CPanelView> m_view;
};

} // namespace shell
