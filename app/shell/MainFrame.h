#pragma once
// CMainFrame: the program's main window. Screen panel and MDI area side by
// side above the property pane, the toolbars and the item-kind bar on top,
// the status bar with the link and transfer panes below. It listens to the
// core's progress callbacks through CoreRelay, re-opens the screens of
// "config.ini" and routes its menu's commands and other windows' requests
// to the commands (FrameCommands.h).
#include "app/dialogs/task/TaskJob.h"
#include "app/shell/CommandTables.h"
#include "app/shell/FrameCommands.h"
#include "app/shell/FrameJobs.h"
#include "app/shell/FrameStatus.h"
#include "app/shell/ScreenPanelPort.h"
#include "app/spine/CoreRelay.h"
#include "platform/LangPack.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>

class CCore;
namespace controls { class CIconButton; }
class QActionGroup;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QToolButton;
namespace controls { class CStaticSplitterWnd; }

namespace shell {

class CMainApp;

class FrameServices;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Sizes the frame starts with and the fixed panes keep.
    static constexpr int kInitialWidth = 876;
    static constexpr int kInitialHeight = 618;
    static constexpr int kPanelWidth = 140;
    static constexpr int kPropertyHeight = 192;

    // Without a panel the frame makes the screen panel with the tree editor.
    explicit CMainFrame(CMainApp& app, std::unique_ptr<ScreenPanelPort> panel = nullptr, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars, panes, tooltip and callbacks and re-opens the screens;
    // false when a step failed.
    bool OnCreate();

    CCore& Core() { return m_core; }
    ScreenPanelPort* Panel() const { return m_panel.get(); }
    QMdiArea* MdiArea() const { return m_mdi; }
    controls::CStaticSplitterWnd* OuterSplitter() const { return m_outer; }
    controls::CStaticSplitterWnd* InnerSplitter() const { return m_inner; }
    QWidget* PropertyPane() const { return m_property; }
    QToolBar* MainToolBar() const { return m_mainBar; }
    QToolBar* SecondToolBar() const { return m_secondBar; }
    QToolBar* ItemKindBar() const { return m_kindBar; }
    QAction* CommandAction(unsigned id) const { return m_actions.find(kFrameMenu, id); }

    // The thumbnail in the screen area's corner.
    void SetThumbnail(QWidget* thumbnail);
    // What the tree, the canvases, the panels and the commands ask of the frame.
    editor::FramePort& Port();

    // The status bar and the notices' tooltip.
    FrameStatus& Status() { return m_status; }

    // Screen windows.
    int OpenScreenWindow(tagItemData* screen);
    editor::CScreenLed* FindItemWindow(tagItemData* node);
    // The modal jobs in the communication task dialog.
    FrameJobs& Jobs() { return m_jobs; }

    // Routes a command of the menu, the toolbars or the item-kind bar: the
    // frame's own (language, toolbars, about, exit) here, the others to the
    // commands; false for an unknown id.
    bool OnCommand(unsigned id);
    // The commands, once the frame is created.
    FrameCommands& Commands() { return *m_cmds; }

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    friend class FrameServices;
    void OnLanguage(unsigned id);
    void OnViewToolbar();
    // The screens' work mode changed: every canvas shows it, the active one first.
    void OnSettingsChanged(std::uintptr_t what);
    void PlaceThumbnail();
    void buildMenus();
    void addMenuItems(QMenu* menu, const QList<platform::LangMenuItem>& items);
    QAction* commandAction(unsigned id);
    void buildToolBars();
    QToolBar* buildToolBar(unsigned templateId, const QList<unsigned>& icons);
    void buildItemKindBar();
    void buildPanes();
    void setUpLanguageMenu();
    void reopenScreens();
    // The screens' canvases, the active window's first.
    QList<editor::CScreenLed*> canvases() const;
    bool deleteKeyRelayed(QObject* watched, QEvent* e);

    CMainApp& m_app;
    CCore& m_core;
    // Before every window that holds it, so that it goes after them.
    std::unique_ptr<FrameServices> m_port;
    FrameStatus m_status{*this};
    FrameJobs m_jobs{m_core, *this};
    QToolBar* m_mainBar = nullptr;
    QToolBar* m_secondBar = nullptr;
    QToolBar* m_kindBar = nullptr;
    QToolButton* m_findButton = nullptr;
    QList<controls::CIconButton*> m_kindButtons;
    QMdiArea* m_mdi = nullptr;
    // The screen area's viewport, watched for resizes; compared without asking
    // the area, which may already be half destroyed when its last events come.
    QPointer<QWidget> m_mdiViewport;
    QPointer<QWidget> m_thumbnail;
    controls::CStaticSplitterWnd* m_outer = nullptr;
    controls::CStaticSplitterWnd* m_inner = nullptr;
    std::unique_ptr<ScreenPanelPort> m_panel;
    QWidget* m_property = nullptr;
    int m_layoutReady = 0;   // 1 panes wired, 2 splitters placed at the shown size
    CommandTables m_actions;
    std::unique_ptr<FrameCommands> m_cmds;
    QActionGroup* m_langGroup = nullptr;
    std::unique_ptr<spine::CoreSubscription> m_relay;
    bool m_setAsideTold = false;
};

// The main window start-up builds (CMainApp's factory): a created frame, or
// null when creating it failed.
QMainWindow* CreateMainFrame(CMainApp& app);

} // namespace shell
