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
#include "app/shell/ScreenPanelPort.h"
#include "app/shell/StatusTexts.h"
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
namespace tooltips { class CHtmlToolTip; }

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
    tooltips::CHtmlToolTip* ToolTip() const { return m_tip.get(); }
    QMdiArea* MdiArea() const { return m_mdi; }
    controls::CStaticSplitterWnd* OuterSplitter() const { return m_outer; }
    controls::CStaticSplitterWnd* InnerSplitter() const { return m_inner; }
    QWidget* PropertyPane() const { return m_property; }
    QToolBar* MainToolBar() const { return m_mainBar; }
    QToolBar* SecondToolBar() const { return m_secondBar; }
    QToolBar* ItemKindBar() const { return m_kindBar; }
    QAction* CommandAction(unsigned id) const { return m_actions.find(kFrameMenu, id); }
    QLabel* StatusPane(int pane) const { return pane >= 0 && pane < 3 ? m_panes[pane] : nullptr; }
    QString StatusText(int pane) const;

    // The thumbnail in the screen area's corner.
    void SetThumbnail(QWidget* thumbnail);
    // What the tree, the canvases, the panels and the commands ask of the frame.
    editor::FramePort& Port();

    // Status bar and notices.
    void ResetStatusTexts();
    void ShowTip(const QString& text);
    // The last notice shown (tests, and a reader of the status line).
    QString LastTip() const { return m_lastTip; }
    void OnEditorNotice(int code, const QString& text);
    void OnCommProgress(const spine::CoreEvent& e);
    void OnFileProgress(const spine::CoreEvent& e);

    // Screen windows.
    int OpenScreenWindow(tagItemData* screen);
    editor::CScreenLed* FindItemWindow(tagItemData* node);
    // Runs a job in the communication task dialog, modally: 1 success, 2 otherwise.
    int RunTask(const spine::TaskRequest& request);

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
    bool JobRunning() const { return m_jobDepth > 0; }
    void buildMenus();
    void addMenuItems(QMenu* menu, const QList<platform::LangMenuItem>& items);
    QAction* commandAction(unsigned id);
    void buildToolBars();
    QToolBar* buildToolBar(unsigned templateId, const QList<unsigned>& icons);
    void buildItemKindBar();
    void buildStatusBar();
    void buildPanes();
    void setUpToolTip();
    void setUpLanguageMenu();
    void reopenScreens();
    void actOnDeferredClose();
    void cancelJobForQuit();
    // A progress report's text into its pane (none for an empty text).
    void showNews(int pane, const shell::PaneNews& news);
    // Runs a modal job; a close or quit asked for meanwhile waits for it
    // (closeEvent) and is carried out after the last job. Once the program
    // is ending no job starts, so a walk of jobs (a bulk send) ends at once.
    template <class Run>
    auto countedJob(Run run)
    {
        if (m_ending)
            return decltype(run()){};
        ++m_jobDepth;
        auto result = run();
        if (--m_jobDepth == 0)
            actOnDeferredClose();
        return result;
    }
    // The screens' canvases, the active window's first.
    QList<editor::CScreenLed*> canvases() const;
    bool deleteKeyRelayed(QObject* watched, QEvent* e);
    // A test's task run from the registry, else the frame's own.
    int runTask(const spine::TaskRequest& request);
    // One controller request as a job of the task dialog; a failure stays open with its text.
    dialogs::TaskOutcome runJob(std::function<int(CCore&)> call);

    CMainApp& m_app;
    CCore& m_core;
    // Before every window that holds it, so that it goes after them.
    std::unique_ptr<FrameServices> m_port;
    std::unique_ptr<tooltips::CHtmlToolTip> m_tip;
    QLabel* m_panes[3] = {};
    shell::PaneNews m_news[3];   // what the progress reports last wrote in each pane
    unsigned m_transfers = 0;    // transfers begun, as the reports tell
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
    QString m_lastTip;
    CommandTables m_actions;
    std::unique_ptr<FrameCommands> m_cmds;
    QActionGroup* m_langGroup = nullptr;
    std::unique_ptr<spine::CoreSubscription> m_relay;
    int m_jobDepth = 0;
    bool m_closePending = false;
    bool m_quitPending = false;
    bool m_ending = false;   // a close or quit waits for a job, or is being carried out
    bool m_setAsideTold = false;
};

// The main window start-up builds (CMainApp's factory): a created frame, or
// null when creating it failed.
QMainWindow* CreateMainFrame(CMainApp& app);

} // namespace shell
