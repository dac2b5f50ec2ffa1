#pragma once
// The frame's own screen list: a plain tree of the open screens, scenes and
// sections with each screen's program-list file. It stands in the screen
// panel's place until the panel is plugged into the frame.
#include "app/shell/FramePorts.h"

#include <QHash>
#include <QString>
#include <functional>

class CCore;
class CMainApp;
class QTreeWidget;
class QTreeWidgetItem;

// A filter of the pack ("Name (*.pl)|*.pl|All (*.*)|*.*||") as Qt's file
// dialogs take it ("Name (*.pl);;All (*.*)").
QString QtFilterFromPack(const QString& packFilter);

class CScreenListPanel : public ScreenPanelPort {
public:
    struct Hooks {
        std::function<void(tagItemData* screen)> screenShown;   // open its window
        std::function<void(tagItemData* screen)> screenClosed;  // close its window
        std::function<void(int code, const QString& text)> notice;
    };
    CScreenListPanel(CMainApp& app, Hooks hooks, QWidget* parent = nullptr);
    ~CScreenListPanel() override;

    QWidget* widget() override;
    tagItemData* GetSelectedScreen() override;
    tagItemData* GetSelectedItem() override { return selectedNode(); }
    tagItemData* AddNewItem(int kind) override;
    void InsertItemTree(tagItemData* screen) override;
    int DeleteSelectedItem() override;
    QString MakeDefaultItemName(int kind) override;
    int CloseAllScreens() override;
    int LoadScreenFile(tagItemData* screen, const QString& path) override;
    void RemoveScreen(tagItemData* screen) override;
    void ForgetScreenFile(tagItemData* screen) override;
    int OpenScreen(tagItemData* screen) override;
    int SaveScreen(tagItemData* screen) override;
    int SaveScreenAs(tagItemData* screen) override;
    bool IsFileOpen(const QString& path) override;

    QString ScreenFile(tagItemData* screen) const { return m_files.value(screen); }
    QTreeWidget* tree() const { return m_tree; }
    // Selects the node's item; false when the tree does not show it.
    bool Select(tagItemData* node);

private:
    void refresh(tagItemData* select);
    QTreeWidgetItem* itemOf(tagItemData* node) const;
    tagItemData* selectedNode() const;
    int saveTo(tagItemData* screen, const QString& path);

    CMainApp& m_app;
    CCore& m_core;
    Hooks m_hooks;
    QTreeWidget* m_tree;
    QHash<tagItemData*, QString> m_files;   // screens shown, with their file ("" none)
    QList<tagItemData*> m_order;            // screens in tree order
};
