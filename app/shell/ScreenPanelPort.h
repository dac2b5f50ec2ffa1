#pragma once
// What the main frame needs of the window beside it: the screen panel with
// its tree editor. The dialogs its commands open stand behind the seam
// registry's frame slots (spine/Seams.h).
#include <QString>
#include <functional>

class QWidget;
struct tagItemData;

namespace shell {

// The screen panel (the tree of the open screens and their program-list files).
class ScreenPanelPort {
public:
    virtual ~ScreenPanelPort() = default;
    virtual QWidget* widget() = 0;

    // Tree editor.
    virtual tagItemData* GetSelectedScreen() = 0;
    virtual tagItemData* GetSelectedItem() = 0;
    // Selects the node's row (null: none); false when the tree does not show it.
    virtual bool SelectNode(tagItemData* node) = 0;
    virtual tagItemData* AddNewItem(int kind) = 0;
    virtual void InsertItemTree(tagItemData* screen) = 0;
    // While held, screens put in the tree are not selected one by one; the
    // last is, at the release.
    virtual void HoldSelection(bool) {}
    virtual int DeleteSelectedItem() = 0;
    // The name the tree gives the node by default (empty when none).
    virtual QString DefaultItemName(tagItemData* node) = 0;
    // The tree's refusals (codes 1 to 8, with a text for 5).
    virtual void SetNoticeCallback(std::function<void(int code, const QString& text)> callback) = 0;

    // Screens and their files.
    // Asks, saves or leaves out what changed, then closes every screen;
    // 0: refused, the screens stay as they were.
    virtual int CloseAllScreens() = 0;
    virtual int LoadScreenFile(tagItemData* screen, const QString& path) = 0;   // 0 loaded
    virtual void RemoveScreen(tagItemData* screen) = 0;
    // A screen of the last session whose file did not load (`code`, 1 to 4)
    // leaves; its file is kept in mind and told about by TellSetAsideFiles.
    virtual void SetAsideScreen(tagItemData* screen, const QString& path, int code) = 0;
    virtual void TellSetAsideFiles() = 0;
    virtual void ForgetScreenFile(tagItemData* screen) = 0;
    virtual QString ScreenFile(tagItemData* screen) = 0;   // empty: none
    virtual int OpenScreen(tagItemData* screen) = 0;
    virtual int SaveScreen(tagItemData* screen) = 0;
    virtual int SaveScreenAs(tagItemData* screen) = 0;
    virtual bool IsFileOpen(const QString& path) = 0;
};

} // namespace shell
