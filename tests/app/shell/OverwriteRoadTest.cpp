// The roads on which an operator's saved screens were written over, through
// the real program: start-up from "config.ini", a damaged program list
// opened, the search that replaces the open screens, two screens on one
// file, and quitting. Each ends with the operator's files as they were,
// byte for byte. Every modal dialog on the way is answered by a script.
#include "ShellTestUtil.h"
#include "OperatorRoad.h"

#include "app/dialogs/device/SettingRetrieveDlg.h"
#include "app/editor/Editor.h"
#include "app/editor/GridEditor.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/CommandTables.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/MainApp.h"
#include "app/shell/MainFrame.h"
#include "app/shell/SmallDialogs.h"
#include "core/api/Core.h"
#include "core/api/TypeRecords.h"
#include "grid/RealGrid.h"
#include "platform/Clock.h"
#include "platform/LangPack.h"
#include "platform/Languages.h"
#include "support/ModalScript.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"
#include "support/SimControllerSearch.h"
#include "support/StoredNodes.h"
#include "support/Widgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QMessageBox>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <QPushButton>

#include <sys/inotify.h>
#include <unistd.h>

#include <functional>
#include <map>

using namespace shell;

using namespace shelltest;

namespace {

// One run of the program in `folder`, from start-up to quitting.
class Program {
public:
    explicit Program(const QString& folder, int userLangId = 0x0409)
    {
        CMainApp::Environment env;
        env.appFolder = folder;
        env.instanceName = uniqueName("overwrite");
        env.userLangId = userLangId;
        env.minimumSplashMs = 0;
        env.hasRawCapability = [] { return true; };
        env.startProcess = [](const QString&, const QStringList&) { return true; };
        app = std::make_unique<CMainApp>(core, env);
        app->SetMainFrameFactory(&CreateMainFrame);
        {
            MessageRecorder messages{QMessageBox::Cancel};
            started = app->InitInstance() == 1;
            shellMessages = messages.texts;
        }
        frame = qobject_cast<CMainFrame*>(app->MainWindow());
        if (frame) {
            EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
        }
    }
    ~Program() { EXPECT_TRUE(shellMessages.isEmpty()) << shellMessages.join(u'|').toStdString(); }
    // Quits as the operator does; true when the program ended.
    bool quit()
    {
        QAction* exit = frame ? frame->CommandAction(shell::ID_APP_EXIT) : nullptr;
        if (!exit)
            return false;
        exit->trigger();
        const bool closed = !frame->isVisible();
        app->ExitInstance();
        return closed;
    }
    void command(unsigned id)
    {
        QAction* a = frame->CommandAction(id);
        ASSERT_NE(a, nullptr) << id;
        a->trigger();
    }
    editor::CEditor* tree() { return static_cast<CEditorScreenPanel*>(frame->Panel())->Editor(); }
    bool clickInTree(tagItemData* node)
    {
        QTreeWidgetItem* item = tree()->itemOf(node);
        if (!item)
            return false;
        tree()->scrollToItem(item);
        QTest::mouseClick(tree()->viewport(), Qt::LeftButton, {}, tree()->visualItemRect(item).center());
        QCoreApplication::processEvents();
        return tree()->selectedNode() == node;
    }
    QStringList screenNames()
    {
        QStringList names;
        for (tagItemData* s = core.GetScreen(0); s; s = s->NextSibling)
            names << QString::fromUtf16(s->Name);
        return names;
    }

    // The shell's own boxes at start-up (another copy running, ...): answered,
    // and a failure. Later boxes are the scripts'.
    QStringList shellMessages;
    CCore core;
    std::unique_ptr<CMainApp> app;
    CMainFrame* frame = nullptr;
    bool started = false;
};

// The operator's program list: `scenes` scenes of a picture window with a picture.
QByteArray programList(int scenes, int width = 64)
{
    CCore scratch;
    tagItemData* screen = scratch.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    screen->Global.Width = std::uint16_t(width);
    screen->Global.Height = 32;
    for (int i = 0; i < scenes; ++i) {
        tagItemData* scene = scratch.AddItem(IT_SCENE, u"scene", screen, nullptr);
        tagItemData* wnd = scratch.AddItem(IT_WND_CONTENTLIST, u"window", scene, nullptr);
        scratch.ChangeItemRect(wnd, 0, 0, width, 32);
        scratch.AddItem(IT_IMAGE, u"picture", wnd, nullptr);
    }
    QByteArray bytes(qsizetype(scratch.GetStoreSize(screen)), '\0');
    scratch.Store(screen, reinterpret_cast<unsigned char*>(bytes.data()), unsigned(bytes.size()));
    return bytes;
}

// A screen with every item kind at the defaults the core gives it, in a
// global scene and a scheduled scene with bordered windows, written in the
// program's language (a clock's width is measured in it).
QByteArray defaultsProgramList(int language)
{
    CCore scratch;
    scratch.SetCurLang(language);
    tagItemData* screen = scratch.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    screen->Global.Width = 64;
    screen->Global.Height = 32;
    tagItemData* global = scratch.AddItem(IT_GLOBALSCENE, u"global", screen, nullptr);
    tagItemData* scene = scratch.AddItem(IT_SCENE, u"scene", screen, global);
    scene->Scene.Schedule = 1;
    scene->Scene.ScheduleWeekdays = 0x3E;
    scratch.SetItemFrame(scene, 1);
    // Each window's first item is loaded with it; a list window's items from its list.
    const auto window = [&](tagItemData* parent, std::uint16_t kind, std::initializer_list<std::uint16_t> items) {
        tagItemData* last = parent->FirstChild;
        while (last && last->NextSibling)
            last = last->NextSibling;
        tagItemData* w = scratch.AddItem(kind, u"window", parent, last);
        scratch.ChangeItemRect(w, 0, 0, 32, 16);
        scratch.SetItemFrame(w, 1);
        tagItemData* after = nullptr;
        for (std::uint16_t item : items)
            after = scratch.AddItem(item, u"item", w, after);
        return after;
    };
    window(global, IT_WND_CLOCKDIGIT, {IT_CLOCKDIGIT});
    window(scene, IT_WND_TEXT, {IT_SINGLELINE});
    window(scene, IT_WND_TEXT, {IT_TEXT});
    tagItemData* list = window(scene, IT_WND_CONTENTLIST, {IT_IMAGE, IT_GIF, IT_GRID, IT_TEXTGIF, IT_TEXT})->Parent;
    window(scene, IT_WND_CLOCKSIMUL, {IT_CLOCKSIMUL});
    tagItemData* count = window(scene, IT_WND_COUNT, {IT_COUNT});
    // Two panels fill in what a new item leaves unset the first time they
    // show it, as they are meant to: a counter's moment and a table's grid.
    // Here both are as the panels store them.
    count->Item.TypeRecord->set(records::counter::Target, 0x32D2E380u);
    scratch.Paint(count);
    tagItemData* table = list->FirstChild->NextSibling->NextSibling;
    grid::CRealGrid g;
    g.ResetToDefault();
    editor::writeHeaderLabels(g);
    std::vector<std::uint8_t> stream;
    g.SaveTo(stream);
    records::SetItemTableStream(table, QByteArray(reinterpret_cast<const char*>(stream.data()), qsizetype(stream.size())));
    scratch.Paint(table);
    QByteArray bytes(qsizetype(scratch.GetStoreSize(screen)), '\0');
    scratch.Store(screen, reinterpret_cast<unsigned char*>(bytes.data()), unsigned(bytes.size()));
    return bytes;
}

// The operator's files in "userdata", by name, as they are on the disk.
using Files = std::map<QString, QByteArray>;

Files writeUserFiles(const QString& folder, const Files& files)
{
    QDir(folder).mkpath(QStringLiteral("userdata"));
    for (const auto& [name, bytes] : files)
        EXPECT_TRUE(writeFile(folder + QStringLiteral("userdata/") + name, bytes)) << name.toStdString();
    return files;
}

void expectUnchanged(const QString& folder, const Files& files)
{
    for (const auto& [name, bytes] : files) {
        const QByteArray now = readFile(folder + QStringLiteral("userdata/") + name);
        QString diffs;
        for (int i = 0; i < std::min(now.size(), bytes.size()); ++i)
            if (now[i] != bytes[i])
                diffs += QStringLiteral("@%1:%2->%3 ").arg(i).arg(uchar(bytes[i])).arg(uchar(now[i]));
        EXPECT_EQ(now.size(), bytes.size()) << name.toStdString();
        EXPECT_TRUE(diffs.isEmpty()) << name.toStdString() << " " << diffs.left(400).toStdString();
    }
}

void clickButton(QWidget* box, QMessageBox::StandardButton which)
{
    auto* b = qobject_cast<QMessageBox*>(box);
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->button(which), nullptr);
    QTest::mouseClick(b->button(which), Qt::LeftButton);
}

struct Language {
    const char* tag;
    int userLangId;
    int setting;   // "Language" in "config.ini"; 0: none (Traditional Chinese is never chosen by itself)
};

void PrintTo(const Language& l, std::ostream* os)
{
    *os << l.tag;
}

class DamagedFileRoad : public ::testing::TestWithParam<Language> {};

} // namespace

// A program list whose record size (16 bits at header offset 8) is damaged
// is refused, with a box; the screen and its recorded file stay as they
// were, and the quit that follows writes nothing over the damaged file.
TEST_P(DamagedFileRoad, OpeningADamagedFileAndQuittingLeavesItAsItWas)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const QByteArray good = programList(8);
    ASSERT_GT(good.size(), 10);
    QByteArray zero = good;
    zero[8] = 0;
    zero[9] = 0;
    QByteArray flipped = good;
    flipped[9] = char(flipped[9] ^ 0x01);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Zero.pl"), zero}, {QStringLiteral("Flip.pl"), flipped}});
    if (GetParam().setting) {
        ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")),
                              "[Config]\r\nLanguage=" + QByteArray::number(GetParam().setting) + "\r\n"));
    }

    Program p(folder, GetParam().userLangId);
    ASSERT_TRUE(p.started);
    tagItemData* screen = p.core.GetScreen(0);   // the new screen of a first start
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(p.clickInTree(screen));
    const QString name = QString::fromUtf16(screen->Name);
    {
        support::ModalScript script;
        support::SeamScope seams;
        for (const QString& file : {QStringLiteral("Zero.pl"), QStringLiteral("Flip.pl")}) {
            const QString path = folder + QStringLiteral("userdata/") + file;
            seams.nextFileName(path);
            // The new screen is untouched: nothing to ask about saving it.
            QString told;
            script.expect(QStringLiteral("QMessageBox"), [&](QWidget* m) {
                told = qobject_cast<QMessageBox*>(m)->text();
                m->adjustSize();
                EXPECT_TRUE(support::saveScreenshot(*m, QStringLiteral("shell"),
                                                    QStringLiteral("open_refused_") + QString::fromLatin1(GetParam().tag)));
                clickButton(m, QMessageBox::Ok);
            });
            p.command(shell::ID_OPEN_FILE);
            EXPECT_EQ(script.pending(), 0) << file.toStdString();
            EXPECT_TRUE(told.startsWith(platform::langString(46008).arg(QDir::toNativeSeparators(path))))
                << told.toStdString();
            EXPECT_EQ(p.frame->Panel()->ScreenFile(screen), QString());
            EXPECT_EQ(QString::fromUtf16(screen->Name), name);
        }
        EXPECT_TRUE(p.quit());
    }
    expectUnchanged(folder, files);
    EXPECT_FALSE(readFile(dir.filePath(QStringLiteral("config.ini"))).contains("Zero.pl"));
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, DamagedFileRoad,
                         ::testing::Values(Language{"en", 0x0409, 0}, Language{"cn", 0x0804, 0},
                                           Language{"tw", 0x0409, 0x7C04}),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.tag); });

// The search with "Replace the open screens" saves and closes the operator's
// Screen1, then names the controller it finds after a file that is not
// there yet (Screen2): quitting saves it there, not over the operator's
// file, and it comes back under that name.
TEST(OverwriteRoad, ASearchThatReplacesTheOpenScreensAndAQuitKeepTheOperatorsScreen1)
{
    platform::ScopedClockScale faster(20);
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}}));
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Screen1.pl"), programList(3)}});
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")),
                          "[Config]\r\nSerialPortEnabled=0\r\nLanEnabled=0\r\nWanEnabled=1\r\nSingleScreen=0\r\n"
                          "ScreenScope=1;\r\nRetrievePort=" + QByteArray::number(udp.port()) + ";\r\n"
                          "[File]\r\nSavePath=userdata/Screen1.pl;\r\n"));

    {
        Program p(folder);
        ASSERT_TRUE(p.started);
        ASSERT_EQ(p.screenNames(), QStringList{QStringLiteral("Screen1")});
        support::ModalScript script;
        script.allow(QStringLiteral("dialogs::CTaskDlg"));
        script.expect(QStringLiteral("dialogs::CSettingRetrieveDlg"), [](QWidget* m) {
            using Dlg = dialogs::CSettingRetrieveDlg;
            auto* replace = support::findByControlId<QCheckBox>(m, Dlg::IDC_REPLACE);
            ASSERT_NE(replace, nullptr);
            EXPECT_TRUE(replace->isChecked());
            auto* readHw = support::findByControlId<QCheckBox>(m, Dlg::IDC_READ_HW);
            ASSERT_NE(readHw, nullptr);
            QTest::mouseClick(readHw, Qt::LeftButton, {}, QPoint(4, readHw->height() / 2));
            EXPECT_FALSE(readHw->isChecked());
            QTest::mouseClick(support::findByControlId<QAbstractButton>(m, Dlg::IDC_SEARCH), Qt::LeftButton);
        });
        p.command(shell::ID_SEARCH);
        EXPECT_EQ(script.pending(), 0);
        // The search runs from the message the dialog posted.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                tagItemData* s = p.core.GetScreen(0);
                return s && QByteArray(s->Global.Host) == "127.0.0.2" && !QApplication::activeModalWidget()
                    && p.tree()->itemOf(s);
            },
            8000));
        EXPECT_EQ(p.screenNames(), QStringList{QStringLiteral("Screen2")});
        expectUnchanged(folder, files);   // saved in place before it was closed
        EXPECT_TRUE(p.quit());
        EXPECT_EQ(script.pending(), 0);
    }
    expectUnchanged(folder, files);
    // The found controller's screen went to a file of its own, and comes back so.
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("userdata/Screen2.pl")));
    Program again(folder);
    ASSERT_TRUE(again.started);
    EXPECT_EQ(again.screenNames(), QStringList{QStringLiteral("Screen2")});
    EXPECT_STREQ(again.core.GetScreen(0)->Global.Host, "127.0.0.2");
    again.frame->close();
    again.app->ExitInstance();
}

// A start-up list that names a file twice opens it once; Save As onto the
// file another screen holds is refused as opening it would be.
TEST(OverwriteRoad, TwoScreensNeverHoldOneFile)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Shop.pl"), programList(2)},
                                                {QStringLiteral("Hall.pl"), programList(5, 96)}});
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")),
                          "[File]\r\nSavePath=userdata/Shop.pl;userdata/Hall.pl;userdata/Shop.pl;" +
                              (folder + QStringLiteral("userdata/Shop.pl")).toUtf8() + ";\r\n"));
    Program p(folder);
    ASSERT_TRUE(p.started);
    EXPECT_EQ(p.screenNames(), (QStringList{QStringLiteral("Shop"), QStringLiteral("Hall")}));
    tagItemData* shop = p.core.GetScreen(0);
    ASSERT_NE(shop, nullptr);
    ASSERT_TRUE(p.clickInTree(shop));
    {
        support::ModalScript script;
        support::SeamScope seams;
        seams.nextFileName(folder + QStringLiteral("userdata/Hall.pl"));
        QString told;
        script.expect(QStringLiteral("QMessageBox"), [&](QWidget* m) {
            told = qobject_cast<QMessageBox*>(m)->text();
            clickButton(m, QMessageBox::Ok);
        });
        p.command(shell::ID_SAVE_FILE_AS);
        EXPECT_EQ(script.pending(), 0);
        EXPECT_EQ(told, platform::langString(48217));
        EXPECT_EQ(QString::fromUtf16(shop->Name), QStringLiteral("Shop"));
        expectUnchanged(folder, files);
        EXPECT_TRUE(p.quit());
        EXPECT_EQ(script.pending(), 0);
    }
    expectUnchanged(folder, files);
    const QByteArray config = readFile(dir.filePath(QStringLiteral("config.ini")));
    EXPECT_EQ(config.count("Shop.pl"), 1) << config.toStdString();
}

// A screen the tree deleted lets go of its file: no screen made after it,
// at whatever address (the freed one among them, as a rule), takes the file
// over, and the quit that saves the new screens leaves the file as it was.
TEST(OverwriteRoad, AScreenMadeAfterADeletionDoesNotTakeTheDeletedScreensFile)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Shop.pl"), programList(2)},
                                                {QStringLiteral("Hall.pl"), programList(1)}});
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")),
                          "[File]\r\nSavePath=userdata/Shop.pl;userdata/Hall.pl;\r\n"));
    Program p(folder);
    ASSERT_TRUE(p.started);
    tagItemData* shop = p.core.GetScreen(0);
    ASSERT_NE(shop, nullptr);
    const auto freed = reinterpret_cast<quintptr>(shop);
    const QString shopFile = folder + QStringLiteral("userdata/Shop.pl");
    ScreenPanelPort* panel = p.frame->Panel();
    ASSERT_EQ(panel->ScreenFile(shop), shopFile);
    ASSERT_TRUE(p.clickInTree(shop));
    // The tree deletes the screen itself, not through the screen panel.
    p.tree()->DeleteItem(shop);
    ASSERT_EQ(p.screenNames(), QStringList{QStringLiteral("Hall")});
    EXPECT_FALSE(panel->IsFileOpen(shopFile));
    bool atFreedAddress = false;
    for (int i = 0; i < 8 && !atFreedAddress; ++i) {
        tagItemData* made = panel->AddNewItem(IT_SCREEN);
        ASSERT_NE(made, nullptr);
        atFreedAddress = reinterpret_cast<quintptr>(made) == freed;
        panel->InsertItemTree(made);
        EXPECT_TRUE(panel->ScreenFile(made).isEmpty()) << i;
        EXPECT_FALSE(panel->IsFileOpen(shopFile)) << i;
    }
    RecordProperty("madeAtTheFreedAddress", atFreedAddress ? 1 : 0);
    EXPECT_TRUE(p.quit());
    expectUnchanged(folder, files);
}

// Opening a screen of default items, selecting each node (its panel loads
// it) and quitting with nothing edited leaves the file as it was.
TEST(OverwriteRoad, OpeningSelectingAndQuittingWithoutEditsLeavesTheFileAsItWas)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Defaults.pl"), defaultsProgramList(ChooseUiLanguage(0, 0x0409))}});
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")), "[File]\r\nSavePath=userdata/Defaults.pl;\r\n"));
    Program p(folder);
    ASSERT_TRUE(p.started);
    tagItemData* screen = p.core.GetScreen(0);
    ASSERT_NE(screen, nullptr);
    ASSERT_EQ(QString::fromUtf16(screen->Name), QStringLiteral("Defaults"));
    p.tree()->expandAll();
    // Sections and what is above them from the tree, items from their window's list.
    int selected = 0;
    const std::function<void(tagItemData*)> visit = [&](tagItemData* node) {
        for (; node && p.tree()->itemOf(node); node = node->NextSibling) {
            ASSERT_TRUE(p.clickInTree(node)) << QString::fromUtf16(node->Name).toStdString();
            ++selected;
            panels::CPropertyProgList* list =
                p.frame->PropertyPane()->findChild<panels::CPanelProperty*>()->windowPage()->progList();
            if (node->FirstChild && !p.tree()->itemOf(node->FirstChild) && list->isVisible()) {
                for (int row = 0; row < list->list()->count(); ++row) {
                    QListWidgetItem* item = list->list()->item(row);
                    QTest::mouseClick(list->list()->viewport(), Qt::LeftButton, {},
                                      list->list()->visualItemRect(item).center());
                    QCoreApplication::processEvents();
                    EXPECT_EQ(list->list()->currentRow(), row);
                    ++selected;
                }
            }
            visit(node->FirstChild);
        }
    };
    visit(screen);
    EXPECT_EQ(selected, 14);
    EXPECT_TRUE(p.quit());
    const QByteArray before = files.begin()->second;
    const QByteArray after = readFile(folder + QStringLiteral("userdata/Defaults.pl"));
    EXPECT_TRUE(after == before) << support::describeStoredDifferences(
        std::vector<std::uint8_t>(before.begin(), before.end()), std::vector<std::uint8_t>(after.begin(), after.end()));
}

namespace {

// The number of scenes the tree shows under a screen.
int sceneRows(Program& p, tagItemData* screen)
{
    QTreeWidgetItem* item = p.tree()->itemOf(screen);
    return item ? item->childCount() : -1;
}

// The temporary folder takes nothing for as long as it lives: a file stands
// in its place (a folder without room or rights would not stop root).
class NoTemporaryFolder {
public:
    explicit NoTemporaryFolder(const QString& folder) : m_was(qgetenv("TMPDIR")), m_had(qEnvironmentVariableIsSet("TMPDIR"))
    {
        const QString file = folder + QStringLiteral("not-a-folder");
        EXPECT_TRUE(writeFile(file, "full"));
        qputenv("TMPDIR", file.toLocal8Bit());
        EXPECT_FALSE(QTemporaryDir().isValid());
    }
    ~NoTemporaryFolder()
    {
        if (m_had)
            qputenv("TMPDIR", m_was);
        else
            qunsetenv("TMPDIR");
    }

private:
    QByteArray m_was;
    bool m_had;
};

} // namespace

// Opening a file the program refuses over a screen with programs keeps
// them, without a copy in the temporary folder (which takes nothing here).
// A node area of 0 with nodes after it is refused as well: it opened as an
// empty screen that the quit then saved over the file. Both files stay as
// they were, and so does the screen's own.
TEST(OverwriteRoad, ARefusedOpenKeepsTheScreensProgramsWithoutATemporaryFolder)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    QByteArray recordZero = programList(2);
    recordZero[8] = recordZero[9] = 0;
    QByteArray areaZero = programList(2);
    areaZero[4] = areaZero[5] = areaZero[6] = areaZero[7] = 0;
    const Files files = writeUserFiles(folder, {{QStringLiteral("Shop.pl"), programList(3)},
                                                {QStringLiteral("Record.pl"), recordZero},
                                                {QStringLiteral("Area.pl"), areaZero}});
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")), "[File]\r\nSavePath=userdata/Shop.pl;\r\n"));
    NoTemporaryFolder full(folder);

    Program p(folder);
    ASSERT_TRUE(p.started);
    tagItemData* shop = p.core.GetScreen(0);
    ASSERT_NE(shop, nullptr);
    ASSERT_TRUE(p.clickInTree(shop));
    ASSERT_EQ(sceneRows(p, shop), 3);
    {
        support::ModalScript script;
        support::SeamScope seams;
        for (const QString& file : {QStringLiteral("Record.pl"), QStringLiteral("Area.pl")}) {
            const QString path = folder + QStringLiteral("userdata/") + file;
            seams.nextFileName(path);
            QString told;
            script.expect(QStringLiteral("QMessageBox"), [&](QWidget* m) {
                told = qobject_cast<QMessageBox*>(m)->text();
                clickButton(m, QMessageBox::Ok);
            });
            p.command(shell::ID_OPEN_FILE);
            EXPECT_EQ(script.pending(), 0) << file.toStdString();
            EXPECT_EQ(told, platform::langString(46008).arg(QDir::toNativeSeparators(path)) + u'\n'
                                + platform::langString(44502));
            EXPECT_EQ(sceneRows(p, shop), 3) << file.toStdString();
            EXPECT_EQ(p.frame->Panel()->ScreenFile(shop), folder + QStringLiteral("userdata/Shop.pl"));
        }
        EXPECT_TRUE(p.quit());
    }
    expectUnchanged(folder, files);
}

// With the exit save off, closing a screen whose file was moved away, or
// has a folder in its place, asks first: Cancel keeps the screen, Yes writes
// its file back as it was, No closes it and leaves the folder alone.
TEST(OverwriteRoad, ClosingAScreenWhoseFileIsGoneAsksFirst)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const QByteArray shopBytes = programList(3);
    writeUserFiles(folder, {{QStringLiteral("Shop.pl"), shopBytes}, {QStringLiteral("Hall.pl"), programList(2, 96)}});
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")),
                          "[File]\r\nSavePath=userdata/Shop.pl;userdata/Hall.pl;\r\n"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("usr.ini")), "[usr]\r\nIsSaveLED=0\r\n"));

    Program p(folder);
    ASSERT_TRUE(p.started);
    ASSERT_EQ(p.screenNames(), (QStringList{QStringLiteral("Shop"), QStringLiteral("Hall")}));
    tagItemData* shop = p.core.GetScreen(0);
    tagItemData* hall = p.core.GetScreen(1);
    const QString shopPath = folder + QStringLiteral("userdata/Shop.pl");
    const QString hallPath = folder + QStringLiteral("userdata/Hall.pl");
    ASSERT_TRUE(QFile::rename(shopPath, folder + QStringLiteral("Shop moved.pl")));
    ASSERT_TRUE(QFile::remove(hallPath));
    ASSERT_TRUE(QDir().mkpath(hallPath));

    const auto close = [&](tagItemData* screen, QMessageBox::StandardButton answer) {
        support::ModalScript script;
        QString asked;
        script.expect(QStringLiteral("QMessageBox"), [&](QWidget* m) {
            asked = qobject_cast<QMessageBox*>(m)->text();
            clickButton(m, answer);
        });
        p.tree()->OnMenuCommand(32889, screen);
        EXPECT_EQ(script.pending(), 0);
        EXPECT_EQ(asked, platform::langString(46001));
    };
    close(shop, QMessageBox::Cancel);
    EXPECT_EQ(p.screenNames(), (QStringList{QStringLiteral("Shop"), QStringLiteral("Hall")}));
    EXPECT_EQ(sceneRows(p, shop), 3);
    close(shop, QMessageBox::Yes);
    EXPECT_EQ(p.screenNames(), QStringList{QStringLiteral("Hall")});
    EXPECT_EQ(readFile(shopPath), shopBytes);
    close(hall, QMessageBox::No);
    EXPECT_EQ(p.screenNames(), QStringList());
    EXPECT_TRUE(QFileInfo(hallPath).isDir());
    EXPECT_TRUE(p.quit());
}

// A new screen takes a name that no open screen and no file in "userdata"
// has, when it is made: the screen of a first start beside the operator's
// Screen1.pl to Screen3.pl and Screen5.pl is Screen4, is saved so on
// quitting, and comes back so.
TEST(OverwriteRoad, ANewScreenTakesANameNoFileHasAndKeepsItAcrossARestart)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Screen1.pl"), programList(1)},
                                                {QStringLiteral("Screen2.pl"), programList(2)},
                                                {QStringLiteral("Screen3.pl"), programList(3)},
                                                {QStringLiteral("Screen5.pl"), programList(5)}});
    {
        Program p(folder);
        ASSERT_TRUE(p.started);
        EXPECT_EQ(p.screenNames(), QStringList{QStringLiteral("Screen4")});
        EXPECT_TRUE(p.quit());
    }
    expectUnchanged(folder, files);
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("userdata/Screen4.pl")));
    Program again(folder);
    ASSERT_TRUE(again.started);
    EXPECT_EQ(again.screenNames(), QStringList{QStringLiteral("Screen4")});
    again.frame->close();
    again.app->ExitInstance();
}

namespace {

// Adds a scene to the screen with the item-kind bar, as the operator does.
void addSceneByHand(Program& p, tagItemData* screen)
{
    ASSERT_TRUE(p.clickInTree(screen));
    QTest::mouseClick(support::findByControlId<QWidget>(p.frame->ItemKindBar(), 6122), Qt::LeftButton);
}

// The question about a changed screen before the screens are closed: its
// text, a screenshot, and `answer`.
support::ModalScript::Answer askedAbout(const QString& name, QMessageBox::StandardButton answer, const QString& shot = {})
{
    return [name, answer, shot](QWidget* m) {
        EXPECT_EQ(qobject_cast<QMessageBox*>(m)->text(), platform::langString(46020).arg(name));
        if (!shot.isEmpty()) {
            m->adjustSize();
            EXPECT_TRUE(support::saveScreenshot(*m, QStringLiteral("shell"), shot));
        }
        clickButton(m, answer);
    };
}

struct LanguageSwitch {
    Language from;
    unsigned command;   // the language menu entry chosen
};

void PrintTo(const LanguageSwitch& l, std::ostream* os)
{
    *os << l.from.tag;
}

class LanguageRoad : public ::testing::TestWithParam<LanguageSwitch> {};

} // namespace

// With "Save the screens when quitting" off, the language command (which
// restarts the program) asks about a screen with unsaved changes before it
// closes it: Cancel keeps the screen, its changes and the language; No lets
// the restart go. The operator's file stays as it was either way.
TEST_P(LanguageRoad, ALanguageChangeWithSavingOffAsksBeforeDroppingChanges)
{
    const Language& lang = GetParam().from;
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Shop.pl"), programList(3)}});
    QByteArray config = "[File]\r\nSavePath=userdata/Shop.pl;\r\n";
    if (lang.setting)
        config += "[Config]\r\nLanguage=" + QByteArray::number(lang.setting) + "\r\n";
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")), config));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("usr.ini")), "[usr]\r\nIsSaveLED=0\r\nIsQuitNote=0\r\n"));

    Program p(folder, lang.userLangId);
    ASSERT_TRUE(p.started);
    tagItemData* shop = p.core.GetScreen(0);
    ASSERT_NE(shop, nullptr);
    addSceneByHand(p, shop);
    ASSERT_EQ(sceneRows(p, shop), 4);
    const int language = p.app->Settings().language;
    {
        support::ModalScript script;
        script.expect(QStringLiteral("QMessageBox"),
                      askedAbout(QStringLiteral("Shop"), QMessageBox::Cancel,
                                 QStringLiteral("language_asks_") + QString::fromLatin1(lang.tag)));
        p.command(GetParam().command);
        EXPECT_EQ(script.pending(), 0);
    }
    EXPECT_TRUE(p.frame->isVisible());
    EXPECT_FALSE(p.app->Restart());
    EXPECT_EQ(p.app->Settings().language, language);
    EXPECT_EQ(sceneRows(p, shop), 4);
    EXPECT_TRUE(p.frame->CommandAction(GetParam().command)->isChecked() == (platform::languageSettingOfCommand(GetParam().command) == language));
    {
        support::ModalScript script;
        script.expect(QStringLiteral("QMessageBox"), askedAbout(QStringLiteral("Shop"), QMessageBox::No));
        p.command(GetParam().command);
        EXPECT_EQ(script.pending(), 0);
    }
    EXPECT_FALSE(p.frame->isVisible());
    EXPECT_TRUE(p.app->Restart());
    p.app->ExitInstance();
    expectUnchanged(folder, files);
    EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("config.ini"))).contains("Shop.pl"));
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, LanguageRoad,
                         ::testing::Values(LanguageSwitch{{"en", 0x0409, 0}, kSimplifiedCommand},
                                           LanguageSwitch{{"cn", 0x0804, 0}, kEnglishCommand},
                                           LanguageSwitch{{"tw", 0x0409, 0x7C04}, kEnglishCommand}),
                         [](const ::testing::TestParamInfo<LanguageSwitch>& info) {
                             return std::string(info.param.from.tag);
                         });

// With the exit save off, a search with "Replace the open screens" asks
// about a screen with unsaved changes before it closes it: Cancel keeps
// everything and searches nothing; No lets the search replace the screen.
// The operator's file stays as it was.
TEST(OverwriteRoad, ASearchThatReplacesTheScreensWithSavingOffAsksBeforeDroppingChanges)
{
    platform::ScopedClockScale faster(20);
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}}));
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Shop.pl"), programList(3)}});
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")),
                          "[Config]\r\nSerialPortEnabled=0\r\nLanEnabled=0\r\nWanEnabled=1\r\nSingleScreen=0\r\n"
                          "ScreenScope=1;\r\nRetrievePort=" + QByteArray::number(udp.port()) + ";\r\n"
                          "[File]\r\nSavePath=userdata/Shop.pl;\r\n"));
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("usr.ini")), "[usr]\r\nIsSaveLED=0\r\n"));

    Program p(folder);
    ASSERT_TRUE(p.started);
    tagItemData* shop = p.core.GetScreen(0);
    ASSERT_NE(shop, nullptr);
    addSceneByHand(p, shop);
    const auto search = [&](QMessageBox::StandardButton answer) {
        support::ModalScript script;
        script.allow(QStringLiteral("dialogs::CTaskDlg"));
        script.expect(QStringLiteral("dialogs::CSettingRetrieveDlg"), [](QWidget* m) {
            using Dlg = dialogs::CSettingRetrieveDlg;
            EXPECT_TRUE(support::findByControlId<QCheckBox>(m, Dlg::IDC_REPLACE)->isChecked());
            auto* readHw = support::findByControlId<QCheckBox>(m, Dlg::IDC_READ_HW);
            if (readHw->isChecked())
                QTest::mouseClick(readHw, Qt::LeftButton, {}, QPoint(4, readHw->height() / 2));
            QTest::mouseClick(support::findByControlId<QAbstractButton>(m, Dlg::IDC_SEARCH), Qt::LeftButton);
        });
        // The search runs from the message the dialog posted.
        script.expect(QStringLiteral("QMessageBox"), askedAbout(QStringLiteral("Shop"), answer));
        p.command(shell::ID_SEARCH);
        EXPECT_TRUE(QTest::qWaitFor([&] { return script.pending() == 0 && !QApplication::activeModalWidget(); }, 8000));
        return script.seen().contains(QStringLiteral("dialogs::CTaskDlg"));
    };
    EXPECT_FALSE(search(QMessageBox::Cancel));
    EXPECT_EQ(p.core.GetScreen(0), shop);
    EXPECT_EQ(sceneRows(p, shop), 4);
    EXPECT_TRUE(search(QMessageBox::No));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        tagItemData* s = p.core.GetScreen(0);
        return s && QByteArray(s->Global.Host) == "127.0.0.2" && p.tree()->itemOf(s);
    }, 8000));
    EXPECT_TRUE(p.quit());
    expectUnchanged(folder, files);
}

namespace {
class StartUpRoad : public ::testing::TestWithParam<Language> {};
} // namespace

// Start-up leaves out a screen whose file it cannot open; once the main
// window shows, a message names each such file and why. The files stay as
// they were, and those still there keep their entries (with their links) in
// "config.ini", so that a later start tries them again; a file that is gone
// has nothing to keep.
TEST_P(StartUpRoad, FilesOfTheLastSessionThatDoNotOpenAreToldOnceTheWindowShows)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    QByteArray areaZero = programList(2);
    areaZero[4] = areaZero[5] = areaZero[6] = areaZero[7] = 0;
    QByteArray newer = programList(1);
    newer[2] = 7;
    const Files files = writeUserFiles(folder, {{QStringLiteral("Shop.pl"), programList(3)},
                                                {QStringLiteral("Damaged.pl"), areaZero},
                                                {QStringLiteral("Newer.pl"), newer}});
    QByteArray config = "[File]\r\nSavePath=userdata/Damaged.pl;userdata/Shop.pl;userdata/Gone.pl;userdata/Newer.pl;\r\n"
                        "[CommInfo]\r\nCommmode=2;2;2;2;\r\nPort=7001;7002;7003;7004;\r\n";
    if (GetParam().setting)
        config += "[Config]\r\nLanguage=" + QByteArray::number(GetParam().setting) + "\r\n";
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")), config));

    const auto line = [&](const char* file, unsigned reason) {
        return QStringLiteral("\n\n") + QDir::toNativeSeparators(folder + QStringLiteral("userdata/") + QLatin1String(file))
             + u'\n' + platform::langString(reason);
    };
    support::ModalScript script;
    QString told;
    bool overTheWindow = false;
    script.expect(QStringLiteral("QMessageBox"), [&](QWidget* m) {
        told = qobject_cast<QMessageBox*>(m)->text();
        QWidget* window = m->parentWidget() ? m->parentWidget()->window() : nullptr;
        overTheWindow = qobject_cast<CMainFrame*>(window) && window->isVisible();
        m->adjustSize();
        EXPECT_TRUE(support::saveScreenshot(*m, QStringLiteral("shell"),
                                            QStringLiteral("startup_not_opened_") + QString::fromLatin1(GetParam().tag)));
        clickButton(m, QMessageBox::Ok);
    });
    Program p(folder, GetParam().userLangId);
    ASSERT_TRUE(p.started);
    EXPECT_TRUE(QTest::qWaitFor([&] { return script.pending() == 0; }, 5000));
    EXPECT_TRUE(overTheWindow);
    EXPECT_EQ(told, platform::langString(46021) + line("Damaged.pl", 44502) + line("Gone.pl", 46022)
                        + line("Newer.pl", 44506) + QStringLiteral("\n\n") + platform::langString(46024));
    EXPECT_EQ(p.screenNames(), QStringList{QStringLiteral("Shop")});
    EXPECT_TRUE(p.quit());
    expectUnchanged(folder, files);
    ShellSettings settings;
    CCore scratch;
    LoadConfigIni(scratch, settings, dir.filePath(QStringLiteral("config.ini")));
    EXPECT_EQ(settings.screens.savePath, (QStringList{QStringLiteral("userdata/Shop.pl"), QStringLiteral("userdata/Damaged.pl"),
                                                      QStringLiteral("userdata/Newer.pl")}));
    EXPECT_EQ(settings.screens.port, (std::vector<std::uint16_t>{7002, 7001, 7004}));
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, StartUpRoad,
                         ::testing::Values(Language{"en", 0x0409, 0}, Language{"cn", 0x0804, 0},
                                           Language{"tw", 0x0409, 0x7C04}),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.tag); });

namespace {

// What was done in a folder while it was watched: every open, read, write,
// creation and move into it (a look at a file's stamp is none of these).
class FolderWatch {
public:
    explicit FolderWatch(const QString& folder) : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        EXPECT_GE(m_fd, 0);
        const auto what = IN_OPEN | IN_ACCESS | IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_ATTRIB;
        EXPECT_GE(inotify_add_watch(m_fd, QFile::encodeName(folder).constData(), what), 0);
    }
    ~FolderWatch() { ::close(m_fd); }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    QStringList events()
    {
        QStringList out;
        alignas(inotify_event) char buffer[8192];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(at);
                out << QStringLiteral("%1 %2").arg(e->mask, 0, 16).arg(QString::fromLocal8Bit(e->len ? e->name : ""));
                at += sizeof(inotify_event) + e->len;
            }
        return out;
    }

private:
    int m_fd;
};

class QuitRoad : public ::testing::TestWithParam<Language> {};

} // namespace

// "Ask before quitting" on, saving on quitting off, three screens of which
// two are changed: the quit question comes once, and Cancel there or at a
// changed screen's question keeps every screen, its changes and the lists;
// the quit that goes through asks about each changed screen, keeps what was
// saved and leaves out what the operator left out.
TEST_P(QuitRoad, QuittingAsksOnceThenAboutEachChangedScreenAndCancelKeepsEverything)
{
    const Language lang = GetParam();
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    const Files files = writeUserFiles(folder, {{QStringLiteral("Aa.pl"), programList(2)},
                                                {QStringLiteral("Bb.pl"), programList(2, 96)},
                                                {QStringLiteral("Cc.pl"), programList(2, 128)}});
    QByteArray config = "[File]\r\nSavePath=userdata/Aa.pl;userdata/Bb.pl;userdata/Cc.pl;\r\n";
    if (lang.setting)
        config += "[Config]\r\nLanguage=" + QByteArray::number(lang.setting) + "\r\n";
    const QString configPath = dir.filePath(QStringLiteral("config.ini"));
    const QString usrPath = dir.filePath(QStringLiteral("usr.ini"));
    ASSERT_TRUE(writeFile(configPath, config));
    ASSERT_TRUE(writeFile(usrPath, "[usr]\r\nIsQuitNote=1\r\nIsSaveLED=0\r\n"));
    Program p(folder, lang.userLangId);
    ASSERT_TRUE(p.started);
    ASSERT_TRUE(operatorroad::showFrame(*p.frame));
    ASSERT_EQ(p.screenNames(), (QStringList{QStringLiteral("Aa"), QStringLiteral("Bb"), QStringLiteral("Cc")}));
    tagItemData* a = p.core.GetScreen(0);
    tagItemData* c = p.core.GetScreen(2);
    for (tagItemData* screen : {a, c}) {
        ASSERT_TRUE(p.clickInTree(screen));
        operatorroad::kindButton(*p.frame, shell::ID_KIND_FIRST + 1);   // a new scene
        ASSERT_EQ(sceneRows(p, screen), 3);
    }
    const OpenScreenLists lists = p.app->Settings().screens;
    const QByteArray configBefore = readFile(configPath), usrBefore = readFile(usrPath);
    const auto kept = [&] {
        EXPECT_TRUE(p.frame->isVisible());
        EXPECT_EQ(p.screenNames(), (QStringList{QStringLiteral("Aa"), QStringLiteral("Bb"), QStringLiteral("Cc")}));
        EXPECT_EQ(sceneRows(p, p.core.GetScreen(2)), 3);
        EXPECT_EQ(p.app->Settings().screens, lists);
        EXPECT_EQ(readFile(configPath), configBefore);
        EXPECT_EQ(readFile(usrPath), usrBefore);
    };
    const QString tag = QString::fromLatin1(lang.tag);
    const auto quitAsked = [&](int button, bool shoot) {
        return [&, button, shoot](QWidget* m) {
            if (shoot) {
                QTest::qWait(50);
                EXPECT_TRUE(support::saveScreenshot(*m, QStringLiteral("shell"), QStringLiteral("quit_question_") + tag));
            }
            QTest::mouseClick(support::findByControlId<QPushButton>(m, button), Qt::LeftButton);
        };
    };
    QStringList asked;
    const auto screenAsked = [&](QMessageBox::StandardButton answer, bool shoot) {
        return [&, answer, shoot](QWidget* m) {
            asked << qobject_cast<QMessageBox*>(m)->text();
            if (shoot) {
                QTest::qWait(50);
                EXPECT_TRUE(support::saveScreenshot(*m, QStringLiteral("shell"), QStringLiteral("quit_changed_screen_") + tag));
            }
            clickButton(m, answer);
        };
    };
    const QString dialog = QStringLiteral("shell::CQuerySaveDlg");
    {
        // Cancel at the quit question.
        support::ModalScript script;
        script.expect(dialog, quitAsked(CQuerySaveDlg::IDC_CANCEL, true));
        ASSERT_TRUE(operatorroad::chooseFromMenuBar(*p.frame, shell::ID_APP_EXIT));
        EXPECT_EQ(script.pending(), 0);
        EXPECT_EQ(script.seen(), QStringList{dialog});   // once, not once per screen
        kept();
    }
    {
        // Quit, Aa saved, Cancel at Cc.
        support::ModalScript script;
        script.expect(dialog, quitAsked(CQuerySaveDlg::IDC_QUIT, false));
        script.expect(QStringLiteral("QMessageBox"), screenAsked(QMessageBox::Yes, true));
        script.expect(QStringLiteral("QMessageBox"), screenAsked(QMessageBox::Cancel, false));
        ASSERT_TRUE(operatorroad::chooseFromMenuBar(*p.frame, shell::ID_APP_EXIT));
        EXPECT_EQ(script.pending(), 0);
        kept();
        EXPECT_EQ(asked, (QStringList{platform::langString(46020).arg(QStringLiteral("Aa")),
                                      platform::langString(46020).arg(QStringLiteral("Cc"))}));
    }
    // The close box takes the same road: Aa is saved now, Cc is left out.
    asked.clear();
    {
        support::ModalScript script;
        script.expect(dialog, quitAsked(CQuerySaveDlg::IDC_QUIT, false));
        script.expect(QStringLiteral("QMessageBox"), screenAsked(QMessageBox::No, false));
        p.frame->close();
        EXPECT_EQ(script.pending(), 0);
    }
    EXPECT_EQ(asked, QStringList{platform::langString(46020).arg(QStringLiteral("Cc"))});
    EXPECT_FALSE(p.frame->isVisible());
    p.app->ExitInstance();
    EXPECT_EQ(p.app->Settings().screens.savePath,
              (QStringList{QStringLiteral("userdata/Aa.pl"), QStringLiteral("userdata/Bb.pl"), QStringLiteral("userdata/Cc.pl")}));
    EXPECT_TRUE(readFile(configPath).contains("SavePath=userdata/Aa.pl;userdata/Bb.pl;userdata/Cc.pl;"));
    CCore back;
    tagItemData* saved = back.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    ASSERT_EQ(back.LoadPL(saved, reinterpret_cast<const char16_t*>((folder + QStringLiteral("userdata/Aa.pl")).utf16())), 0);
    EXPECT_EQ(back.GetChildNum(saved), 3);
    expectUnchanged(folder, {*files.find(QStringLiteral("Bb.pl")), *files.find(QStringLiteral("Cc.pl"))});
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, QuitRoad,
                         ::testing::Values(Language{"en", 0x0409, 0}, Language{"cn", 0x0804, 0},
                                           Language{"tw", 0x0409, 0x7C04}),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.tag); });

// Twenty screens opened and left as they were: quitting with the exit save
// on opens, reads and writes none of their files.
TEST(OverwriteRoad, QuittingWithUnchangedScreensReadsAndWritesNoProgramList)
{
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    Files files;
    QByteArray config = "[File]\r\nSavePath=";
    for (int n = 0; n < 20; ++n) {
        const QString name = QStringLiteral("Mid%1.pl").arg(n);
        files[name] = programList(2, 64 + n);
        config += "userdata/" + name.toUtf8() + ';';
    }
    writeUserFiles(folder, files);
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("config.ini")), config + "\r\n"));
    Program p(folder);
    ASSERT_TRUE(p.started);
    ASSERT_EQ(p.screenNames().size(), 20);
    ASSERT_TRUE(p.clickInTree(p.core.GetScreen(5)));   // looked at, not changed
    QCoreApplication::processEvents();
    FolderWatch watch(folder + QStringLiteral("userdata"));
    EXPECT_TRUE(p.quit());
    EXPECT_EQ(watch.events(), QStringList{});
    EXPECT_EQ(p.app->Settings().screens.savePath.size(), 20);
    expectUnchanged(folder, files);
}
