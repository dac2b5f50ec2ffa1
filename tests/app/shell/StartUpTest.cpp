#include "ShellTestUtil.h"

#include "app/shell/AppHelpers.h"
#include "app/shell/InstanceChecker.h"
#include "app/shell/MainApp.h"
#include "app/shell/ShellLang.h"
#include "app/shell/SplashWnd.h"
#include "core/api/Core.h"
#include "support/HostilePaths.h"

#include "platform/LangPack.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QFileInfo>
#include <QMainWindow>
#include <QTimer>
#include <gtest/gtest.h>

using namespace shell;

using namespace shelltest;

TEST(ChooseUiLanguage, EveryRowOfTheRule)
{
    // Automatic: Chinese of either script gives Simplified, anything else English.
    EXPECT_EQ(ChooseUiLanguage(255, 0x0804), 4);
    EXPECT_EQ(ChooseUiLanguage(255, 0x0404), 4);
    EXPECT_EQ(ChooseUiLanguage(255, 0x0C04), 4);
    EXPECT_EQ(ChooseUiLanguage(255, 0x7C04), 4);
    EXPECT_EQ(ChooseUiLanguage(255, 0x0409), 9);
    EXPECT_EQ(ChooseUiLanguage(255, 0x0407), 9);
    // Below 255: 4 and 9 as they are, all else English.
    EXPECT_EQ(ChooseUiLanguage(4, 0x0409), 4);
    EXPECT_EQ(ChooseUiLanguage(9, 0x0804), 9);
    EXPECT_EQ(ChooseUiLanguage(7, 0x0804), 9);
    EXPECT_EQ(ChooseUiLanguage(0, 0x0804), 9);
    EXPECT_EQ(ChooseUiLanguage(-1, 0x0804), 9);
    // Above 255: only Traditional Chinese as it is.
    EXPECT_EQ(ChooseUiLanguage(0x7C04, 0x0409), 0x7C04);
    EXPECT_EQ(ChooseUiLanguage(0x0804, 0x0804), 9);
    EXPECT_EQ(LanguagePackFileName(4), "UI_CN.rcc");
    EXPECT_EQ(LanguagePackFileName(0x7C04), "UI_TW.rcc");
    EXPECT_EQ(LanguagePackFileName(9), "UI_EN.rcc");
}

TEST(AppHelpers, NamesAndFolders)
{
    EXPECT_TRUE(GetAppFolder().endsWith(u'/'));
    EXPECT_EQ(GetExeBaseName(), "shell_tests");
    EXPECT_EQ(IsProductBuild(), 0);
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+\\.\\d+\\.\\d+$").match(GetFileVersionText()).hasMatch());
    QTemporaryDir dir;
    EXPECT_EQ(EnsureSubfolder(dir.path() + u'/', "userdata"), 1);
    EXPECT_EQ(EnsureSubfolder(dir.path() + u'/', "userdata"), 1);
    ASSERT_TRUE(writeFile(dir.filePath("file"), "x"));
    EXPECT_EQ(EnsureSubfolder(dir.path() + u'/', "file"), 0);
}

namespace {

CMainApp::Environment testEnv(const QString& folder, const char* name)
{
    CMainApp::Environment env;
    env.appFolder = folder;
    env.instanceName = uniqueName(name);
    env.userLangId = 0x0409;
    env.minimumSplashMs = 0;
    env.hasRawCapability = [] { return true; };
    env.startProcess = [](const QString&, const QStringList&) { return true; };
    return env;
}

} // namespace

TEST(StartUp, FirstStartShowsTheWindowCreatesFoldersAndWritesBothFiles)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    MessageRecorder messages;
    CCore core;
    CMainApp app(core, testEnv(folder, "first"));
    ASSERT_EQ(app.InitInstance(), 1);
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_TRUE(app.MainWindow()->isVisible());
    EXPECT_FALSE(app.MainWindow()->windowTitle().isEmpty());
    EXPECT_TRUE(app.InstanceChecker()->IsListening());
    EXPECT_EQ(core.GetCurLang(), 9);
    for (const char* sub : {"userdata", "CADV", "UserRes"})
        EXPECT_TRUE(QFileInfo(dir.filePath(QString::fromLatin1(sub))).isDir()) << sub;
    EXPECT_TRUE(messages.texts.isEmpty());
    app.ExitInstance();
    EXPECT_TRUE(readFile(dir.filePath("config.ini")).startsWith("[Version]\r\nVer=1\r\n[Config]\r\n"));
    EXPECT_EQ(readFile(dir.filePath("usr.ini")), "[usr]\r\nCI=1\r\nDefaultLedSize=3\r\nIsQuitNote=0\r\nIsSaveLED=1\r\n");
}

TEST(StartUp, AMissingPackEndsWithItsMessageAndWritesNothing)
{
    QTemporaryDir dir;
    const QByteArray mine = "[Config]\r\nLanguage=4\r\nMine=1\r\n[File]\r\nSavePath=/a.pl;\r\n";
    ASSERT_TRUE(writeFile(dir.filePath("config.ini"), mine));
    QFile::copy(builtPack("UI_EN.rcc"), dir.filePath("UI_EN.rcc"));   // not the chosen one
    MessageRecorder messages;
    CCore core;
    CMainApp app(core, testEnv(dir.path(), "nopack"));
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_EQ(messages.texts, QStringList{"Unable to load resource DLL!"});
    EXPECT_EQ(app.MainWindow(), nullptr);
    app.ExitInstance();
    EXPECT_EQ(readFile(dir.filePath("config.ini")), mine);
    EXPECT_FALSE(QFile::exists(dir.filePath("usr.ini")));
}

TEST(StartUp, ADamagedPackFileIsRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("UI_EN.rcc"), "not a resource bundle"));
    ASSERT_TRUE(writeFile(dir.filePath("config.ini"), "[Config]\r\nLanguage=9\r\n"));
    MessageRecorder messages;
    CCore core;
    CMainApp app(core, testEnv(dir.path(), "badpack"));
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_EQ(messages.texts, QStringList{"Unable to load resource DLL!"});
    app.ExitInstance();
    EXPECT_EQ(readFile(dir.filePath("config.ini")), "[Config]\r\nLanguage=9\r\n");
}

TEST(StartUp, StartUpFilesThatAreNoFilesAreLeftAloneAndTheProgramStartsAndEnds)
{
    QTemporaryDir places;
    support::HostilePaths hostile(places.path(), QStringLiteral("file"));
    ASSERT_TRUE(hostile.ready());
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString folder = folderWithPacks(dir);
        ASSERT_TRUE(QDir().mkpath(dir.filePath("CADV")));
        const QStringList files{dir.filePath("config.ini"), dir.filePath("usr.ini"), dir.filePath("CADV/PNDATA1")};
        for (const QString& f : files)
            ASSERT_TRUE(support::HostilePaths::placeAt(c, f));
        MessageRecorder messages;
        CCore core;
        CMainApp app(core, testEnv(folder, "hostile"));
        {
            // A reader that blocked would hold the test: let it go, and fail.
            support::ReleaseAfter watchdog(std::chrono::seconds(10), [&] { hostile.release(); });
            QElapsedTimer t;
            t.start();
            EXPECT_EQ(app.InitInstance(), 1);
            app.ExitInstance();
            EXPECT_FALSE(watchdog.fired());
            EXPECT_LT(t.elapsed(), support::kRefusalBound.count());
            std::printf("[ figures ] %s: start and end in %lld ms\n", c.what, static_cast<long long>(t.elapsed()));
        }
        // Started on the defaults, said so at start and at quit, and wrote
        // nothing over them.
        EXPECT_EQ(core.GetCurLang(), 9);
        const QString notAFile = QStringLiteral("\nThis is not a file but a folder, a device or a pipe. Nothing was read from it.\n");
        ASSERT_EQ(messages.texts.size(), 2);
        EXPECT_EQ(messages.texts[0],
                  files[0] + notAFile
                      + "The screens and settings of the last session were not opened from it. The file is left as "
                        "it is and is not written over.\n\n"
                      + files[1] + notAFile
                      + "Tavrelo's options could not be read from it; the defaults are used. The file is left "
                        "as it is and is not written over.");
        EXPECT_EQ(messages.texts[1], "The settings could not be written to:\n" + files[0] + "\n" + files[1]
                                         + "\nAt the next start this session's screens will not open again and its settings will be lost.");
        for (const QString& f : files)
            EXPECT_EQ(QFileInfo(f).symLinkTarget(), c.path) << f.toStdString();
    }
    // A language pack that is no file: the pack's message, at once.
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        ASSERT_TRUE(support::HostilePaths::placeAt(c, dir.filePath("UI_EN.rcc")));
        MessageRecorder messages;
        CCore core;
        CMainApp app(core, testEnv(dir.path() + u'/', "hostilepack"));
        support::ReleaseAfter watchdog(std::chrono::seconds(10), [&] { hostile.release(); });
        EXPECT_EQ(app.InitInstance(), 0);
        app.ExitInstance();
        EXPECT_FALSE(watchdog.fired());
        EXPECT_EQ(messages.texts, QStringList{"Unable to load resource DLL!"});
    }
}

TEST(StartUp, AConfigTooLargeToReadIsSaidAndKeptAndALaterWriteFailureIsSaidAtQuit)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const QString config = dir.filePath("config.ini");
    {
        QFile f(config);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(20) << 30));   // sparse: nothing on the disk
    }
    {
        MessageRecorder messages;
        CCore core;
        CMainApp app(core, testEnv(folder, "sparse"));
        ASSERT_EQ(app.InitInstance(), 1);
        ASSERT_EQ(messages.texts.size(), 1);
        EXPECT_TRUE(messages.texts[0].startsWith(config + "\nThe file is larger than 16 MB")) << messages.texts[0].toStdString();
        app.ExitInstance();
        ASSERT_EQ(messages.texts.size(), 2);
        EXPECT_TRUE(messages.texts[1].contains(config));
        EXPECT_FALSE(messages.texts[1].contains("usr.ini"));
        EXPECT_EQ(QFileInfo(config).size(), qint64(20) << 30);
    }
    // Read at start, but the folder is gone by the quit: said then.
    QFile::remove(config);
    MessageRecorder messages;
    CCore core;
    CMainApp app(core, testEnv(folder, "gone"));
    ASSERT_EQ(app.InitInstance(), 1);
    EXPECT_TRUE(messages.texts.isEmpty());
    ASSERT_TRUE(QFile::remove(dir.filePath("usr.ini")) || !QFile::exists(dir.filePath("usr.ini")));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("config.ini/x")));   // a folder now stands in its place
    app.ExitInstance();
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(config));
    EXPECT_FALSE(messages.texts[0].contains("usr.ini"));
}

TEST(StartUp, ARestartClosesTheSingleInstanceSocketBeforeTheNewCopyStarts)
{
    QTemporaryDir dir;
    CMainApp::Environment env = testEnv(folderWithPacks(dir), "restart");
    int starts = 0;
    bool firstStillAnswered = true;
    const QString name = env.instanceName;
    env.startProcess = [&](const QString& program, const QStringList& args) {
        ++starts;
        EXPECT_EQ(program, QCoreApplication::applicationFilePath());
        EXPECT_TRUE(args.isEmpty());
        firstStillAnswered = CInstanceChecker(name).PreviousInstanceRunning();
        return true;
    };
    CCore core;
    CMainApp app(core, env);
    ASSERT_EQ(app.InitInstance(), 1);
    ASSERT_TRUE(CInstanceChecker(name).PreviousInstanceRunning());
    app.Settings().language = 4;   // what the language command does
    app.SetRestart(true);
    app.ExitInstance();
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(firstStillAnswered);
    EXPECT_TRUE(readFile(dir.filePath("config.ini")).contains("\r\nLanguage=4\r\n"));
}

TEST(StartUp, MissingRawEthernetRightOffersAnElevatedRestart)
{
    QTemporaryDir dir;
    CMainApp::Environment env = testEnv(folderWithPacks(dir), "elevate");
    ASSERT_TRUE(writeFile(dir.filePath("config.ini"), "[Config]\r\nLanEnabled=1\r\nLanguage=9\r\n"));
    env.hasRawCapability = [] { return false; };
    env.isUserAdmin = [] { return 0; };
    QString started;
    env.startProcess = [&](const QString& program, const QStringList& args) {
        started = program + u' ' + args.join(u' ');
        return true;
    };
    {
        MessageRecorder cancel(QMessageBox::Cancel);
        CCore core;
        CMainApp app(core, env);
        EXPECT_EQ(app.InitInstance(), 1);   // goes on without raw Ethernet
        EXPECT_EQ(cancel.texts.size(), 1);
        app.ExitInstance();
        EXPECT_TRUE(started.isEmpty());
    }
    MessageRecorder ok(QMessageBox::Ok);
    CCore core;
    CMainApp app(core, env);
    EXPECT_EQ(app.InitInstance(), 0);
    EXPECT_TRUE(app.Restart() && app.Elevate());
    app.ExitInstance();
    EXPECT_TRUE(started.startsWith("pkexec env "));
    EXPECT_TRUE(started.endsWith(QCoreApplication::applicationFilePath()));
    EXPECT_TRUE(readFile(dir.filePath("config.ini")).contains("\r\nLanEnabled=1\r\n"));
}

TEST(StartUp, TheSplashStaysTwoSecondsWhileTheEventLoopRuns)
{
    QTemporaryDir dir;
    CMainApp::Environment env = testEnv(folderWithPacks(dir), "splash");
    env.minimumSplashMs = 2000;
    QImage picture(120, 60, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    picture.save(&buf, "PNG");
    shell::setPackData(6268, png);
    int ticks = 0;
    bool splashSeen = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        splashSeen = splashSeen || (CurrentSplash() && CurrentSplash()->isVisible());
    });
    timer.start(50);
    CCore core;
    CMainApp app(core, env);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(app.InitInstance(), 1);
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_GE(ticks, 20);
    EXPECT_TRUE(splashSeen);
    EXPECT_EQ(CurrentSplash(), nullptr);
    app.ExitInstance();
    shell::clearPackOverrides();
}

TEST(StartUp, EachOfTheThreePacksLoadsByTheLanguageRule)
{
    for (int setting : {4, 0x7C04, 9, 255}) {
        QTemporaryDir dir;
        const QString folder = folderWithPacks(dir);
        ASSERT_TRUE(writeFile(dir.filePath("config.ini"), "[Config]\r\nLanguage=" + QByteArray::number(setting) + "\r\n"));
        MessageRecorder messages;
        CCore core;
        CMainApp::Environment env = testEnv(folder, "packs");
        env.userLangId = 0x0404;   // automatic on a Traditional Chinese system: Simplified
        CMainApp app(core, env);
        EXPECT_EQ(app.InitInstance(), 1) << setting;
        EXPECT_EQ(core.GetCurLang(), setting == 255 ? 4 : setting);
        EXPECT_TRUE(messages.texts.isEmpty()) << setting;
        app.ExitInstance();
        EXPECT_TRUE(readFile(dir.filePath("config.ini")).contains("\r\nLanguage=" + QByteArray::number(setting) + "\r\n"));
    }
}

TEST(StartUp, ChineseGlyphsOfTheInterfaceComeFromThePacksFaceWhereItIsInstalled)
{
    const QFont before = QApplication::font();
    const QString latin = before.family();
    platform::setLangString(40000, QStringLiteral("DejaVu Serif"));   // installed with the program's fonts
    useInterfaceFace();
    EXPECT_EQ(QApplication::font().families(), (QStringList{latin, QStringLiteral("DejaVu Serif")}));
    // A face that is not installed changes nothing; the next pack's face replaces the last.
    platform::setLangString(40000, QStringLiteral("No Such Face"));
    useInterfaceFace();
    EXPECT_EQ(QApplication::font().families(), (QStringList{latin, QStringLiteral("DejaVu Serif")}));
    platform::setLangString(40000, QStringLiteral("DejaVu Sans Mono"));
    useInterfaceFace();
    EXPECT_EQ(QApplication::font().families(), (QStringList{latin, QStringLiteral("DejaVu Sans Mono")}));
    QApplication::setFont(before);
    platform::clearLangPack();
}
