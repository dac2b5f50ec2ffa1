#pragma once
// CMainApp: brings the program up (one copy, configuration, language, splash,
// folders, main window) and down again (configuration written back, restart
// after a language change). What start-up asks of the machine is in
// Environment, so tests run it against a folder of their own.
#include "app/shell/ConfigFiles.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class CCore;
class QMainWindow;

namespace shell {

class CInstanceChecker;

class CMainApp {
public:
    struct Environment {
        QString appFolder;          // ends with "/"; empty: GetAppFolder()
        QString exePath;            // empty: the running program
        QString instanceName;       // empty: the application name
        int userLangId = -1;        // -1: UserDefaultLangId()
        int minimumSplashMs = 2000;
        std::function<bool()> hasRawCapability;   // empty: HasRawEthernetCapability
        std::function<int()> isUserAdmin;         // empty: IsUserAdmin
        // Starts a program detached; empty: QProcess::startDetached.
        std::function<bool(const QString&, const QStringList&)> startProcess;
        // Ends the process with the code once the screens and settings are
        // written; empty: the windows are taken down one by one as usual.
        std::function<void(int)> endProcess;
    };
    // Builds the main window once start-up has got that far; null ends start-up.
    using MainFrameFactory = std::function<QMainWindow*(CMainApp&)>;

    explicit CMainApp(CCore& core);
    CMainApp(CCore& core, Environment env);
    ~CMainApp();
    CMainApp(const CMainApp&) = delete;
    CMainApp& operator=(const CMainApp&) = delete;

    // 1 when the main window is shown, 0 when the program is to end at once.
    int InitInstance();
    // Shut-down; returns `result` (the event loop's exit code).
    int ExitInstance(int result = 0);
    // Runs the about box modally over the main window.
    void OnAppAbout();

    void SetMainFrameFactory(MainFrameFactory factory) { m_factory = std::move(factory); }
    QMainWindow* MainWindow() const;
    CCore& Core() { return m_core; }
    ShellSettings& Settings() { return m_settings; }
    const ShellSettings& Settings() const { return m_settings; }
    CInstanceChecker* InstanceChecker() const { return m_checker.get(); }
    const QString& AppFolder() const { return m_env.appFolder; }
    // The user's language (a Windows language id).
    int UserLangId() const { return m_env.userLangId; }
    QString ConfigPath() const { return m_env.appFolder + QStringLiteral("config.ini"); }
    QString UsrPath() const { return m_env.appFolder + QStringLiteral("usr.ini"); }
    // Whether shut-down writes the configuration: only once it has been read
    // and the language pack is in place.
    bool WritesConfiguration() const { return m_writeConfig; }

    // Asks shut-down to start the program again (elevated: through pkexec).
    void SetRestart(bool restart, bool elevate = false) { m_restart = restart; m_elevate = elevate; }
    bool Restart() const { return m_restart; }
    bool Elevate() const { return m_elevate; }
    // Cleared by the main frame when the operator refuses to close.
    int m_closeAccepted = 1;

    // The placeholder main window shown until the main frame exists.
    static QMainWindow* CreatePlaceholderFrame(CMainApp& app);

private:
    bool needsRawEthernet() const;
    void waitForSplash();
    void restartProgram();

    CCore& m_core;
    Environment m_env;
    MainFrameFactory m_factory;
    ShellSettings m_settings;
    std::unique_ptr<CInstanceChecker> m_checker;
    std::unique_ptr<QMainWindow> m_mainWnd;
    QElapsedTimer m_splashClock;
    bool m_splashShown = false;
    bool m_packLoaded = false;
    bool m_writeConfig = false;
    // A file that existed but could not be read at start is never written over.
    bool m_configUnread = false;
    bool m_usrUnread = false;
    bool m_restart = false;
    bool m_elevate = false;
};

} // namespace shell
