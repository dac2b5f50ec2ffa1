#include "app/shell/MainApp.h"

#include "app/controls/MessageBox.h"
#include "app/shell/AboutDlg.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/InstanceChecker.h"
#include "app/shell/ShellLang.h"
#include "app/shell/SplashWnd.h"
#include "app/shell/TerminationSignal.h"
#include "core/api/Core.h"
#include "platform/CodePage.h"
#include "platform/OperatorFile.h"
#include "platform/ProfileIni.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMainWindow>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScreen>
#include <QTimer>

namespace shell {

namespace {

constexpr unsigned kStringElevate = 57355;
constexpr unsigned kStringTitle = 128;
constexpr unsigned kStringConfigUnread = 46040;
constexpr unsigned kStringSettingsUnwritten = 46041;
constexpr unsigned kStringUsrUnread = 46042;

} // namespace

CMainApp::CMainApp(CCore& core) : CMainApp(core, Environment{}) {}

CMainApp::CMainApp(CCore& core, Environment env) : m_core(core), m_env(std::move(env))
{
    if (m_env.appFolder.isEmpty())
        m_env.appFolder = GetAppFolder();
    if (!m_env.appFolder.endsWith(u'/'))
        m_env.appFolder += u'/';
    if (m_env.exePath.isEmpty())
        m_env.exePath = QCoreApplication::applicationFilePath();
    if (m_env.userLangId < 0)
        m_env.userLangId = UserDefaultLangId();
    if (!m_env.hasRawCapability)
        m_env.hasRawCapability = HasRawEthernetCapability;
    if (!m_env.isUserAdmin)
        m_env.isUserAdmin = IsUserAdmin;
    if (!m_env.startProcess)
        m_env.startProcess = [](const QString& p, const QStringList& a) { return QProcess::startDetached(p, a); };
    m_factory = &CMainApp::CreatePlaceholderFrame;
}

CMainApp::~CMainApp() = default;

QMainWindow* CMainApp::MainWindow() const
{
    return m_mainWnd.get();
}

int CMainApp::InitInstance()
{
    // Another copy runs: bring it forward and end before reading anything, so
    // this copy cannot overwrite the first one's settings on its way out.
    m_checker = std::make_unique<CInstanceChecker>(m_env.instanceName);
    if (m_checker->PreviousInstanceRunning()) {
        controls::MessageBox::notice(nullptr, QStringLiteral("Previous version detected, will now restore it"),
                                            QMessageBox::Information);
        m_checker->ActivatePreviousInstance();
        return 0;
    }

    QDir::setCurrent(m_env.appFolder);
    const platform::FileRead configRead = LoadConfigIni(m_core, m_settings, ConfigPath());
    const platform::FileRead usrRead = LoadUsrIni(m_settings, UsrPath());
    m_configUnread = configRead != platform::FileRead::Ok;
    m_usrUnread = usrRead != platform::FileRead::Ok;

    const int language = ChooseUiLanguage(m_settings.language, m_env.userLangId);
    m_core.SetCurLang(language);
    platform::setAnsiCodePage(platform::codePageForLanguage(language));
    QString error;
    if (!loadLanguagePack(m_env.appFolder + LanguagePackFileName(language), &error)) {
        controls::MessageBox::notice(nullptr, QStringLiteral("Unable to load resource DLL!"), QMessageBox::Warning);
        return 0;
    }
    m_packLoaded = true;
    m_writeConfig = true;
    installQtTranslationsFor(language);
    useInterfaceFace();
    {
        // Starting on the defaults without a word would lose the last
        // session's screens unseen.
        QStringList unread;
        if (m_configUnread)
            unread << platform::operatorFileMessage(configRead, ConfigPath(), platform::kMaxProfileBytes) + u'\n'
                          + packString(kStringConfigUnread);
        if (m_usrUnread)
            unread << platform::operatorFileMessage(usrRead, UsrPath(), platform::kMaxProfileBytes) + u'\n'
                          + packString(kStringUsrUnread);
        if (!unread.isEmpty())
            controls::MessageBox::notice(nullptr, unread.join(QStringLiteral("\n\n")), QMessageBox::Warning);
    }

    // Raw Ethernet needs CAP_NET_RAW here: offer an elevated restart when a
    // raw-Ethernet link is in use and the right is missing.
    if (needsRawEthernet() && !m_env.hasRawCapability() && !m_env.isUserAdmin()) {
        if (controls::MessageBox::notice(nullptr, packString(kStringElevate), QMessageBox::Warning,
                                                QMessageBox::Ok | QMessageBox::Cancel)
            == QMessageBox::Ok) {
            SetRestart(true, true);
            return 0;
        }
    }

    m_splashShown = ShowSplash(m_env.appFolder, m_settings.ci) != 0;
    m_splashClock.start();

    if (QDir(m_env.appFolder).exists()) {
        EnsureSubfolder(m_env.appFolder, QStringLiteral("userdata"));
        EnsureSubfolder(m_env.appFolder, QStringLiteral("CADV"));
        EnsureSubfolder(m_env.appFolder, QStringLiteral("UserRes"));
    }

    m_mainWnd.reset(m_factory ? m_factory(*this) : nullptr);
    if (!m_mainWnd) {
        if (m_splashShown)
            HideSplash();
        return 0;
    }
    m_checker->TrackFirstInstance(m_mainWnd.get());

    // Nothing to keep on screen without a splash: the window comes at once.
    if (m_splashShown) {
        waitForSplash();
        HideSplash();
    }
    m_mainWnd->show();
    CloseWindowsOnTermination(m_mainWnd.get());
    return 1;
}

int CMainApp::ExitInstance(int result)
{
    if (m_writeConfig) {
        QStringList unwritten;
        if (m_configUnread || !SaveConfigIni(m_core, m_settings, ConfigPath()))
            unwritten << ConfigPath();
        if (m_usrUnread || !SaveUsrIni(m_settings, UsrPath()))
            unwritten << UsrPath();
        if (!unwritten.isEmpty())
            controls::MessageBox::notice(nullptr, packString(kStringSettingsUnwritten).arg(unwritten.join(u'\n')),
                                         QMessageBox::Warning);
    }
    if (m_env.endProcess && m_writeConfig) {
        // Everything of the operator's is on disk now (the files are written
        // whole and renamed); taking down every widget of a large session one
        // by one would only keep the operator waiting.
        if (m_restart)
            restartProgram();
        else if (m_checker)
            m_checker->Close();
        m_env.endProcess(result);
    }
    m_mainWnd.reset();
    if (m_packLoaded)
        unloadLanguagePack();
    m_packLoaded = false;
    if (m_restart)
        restartProgram();
    return result;
}

void CMainApp::OnAppAbout()
{
    CAboutDlg dlg(m_mainWnd.get());
    dlg.exec();
}

QMainWindow* CMainApp::CreatePlaceholderFrame(CMainApp&)
{
    auto* w = new QMainWindow;
    QString title = packString(kStringTitle).section(u'\n', 0, 0);
    w->setWindowTitle(title.isEmpty() ? QStringLiteral("Tavrelo") : title);
    w->setCentralWidget(new QWidget(w));
    w->resize(1024, 700);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - w->rect().center());
    return w;
}

bool CMainApp::needsRawEthernet() const
{
    if (m_core.IsLanEnabled())
        return true;
    for (int mode : m_settings.screens.commMode)
        if (mode == 1)
            return true;
    return false;
}

void CMainApp::waitForSplash()
{
    // The event loop keeps running while the splash stays up.
    for (qint64 rest; (rest = m_env.minimumSplashMs - m_splashClock.elapsed()) > 0;) {
        QEventLoop loop;
        QTimer::singleShot(int(rest), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void CMainApp::restartProgram()
{
    // The new copy must not find this one still answering.
    if (m_checker)
        m_checker->Close();
    if (!m_elevate) {
        m_env.startProcess(m_env.exePath, {});
        return;
    }
    // pkexec clears the environment: hand the display on explicitly.
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList args{QStringLiteral("env")};
    for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
        if (env.contains(QString::fromLatin1(name)))
            args << QString::fromLatin1(name) + u'=' + env.value(QString::fromLatin1(name));
    args << m_env.exePath;
    m_env.startProcess(QStringLiteral("pkexec"), args);
}

} // namespace shell
