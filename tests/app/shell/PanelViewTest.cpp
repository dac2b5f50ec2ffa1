// The screen panel against real files in a folder of its own: saving,
// comparing, opening, renaming, closing, and the open-screen lists written
// at shut-down.
#include "app/controls/MessageBox.h"
#include "app/editor/FramePort.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/PanelView.h"
#include "app/shell/SmallDialogs.h"
#include "app/spine/NodeNotice.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "ShellTestUtil.h"
#include "platform/LangPack.h"
#include "support/HostilePaths.h"
#include "support/LangPackScope.h"
#include "support/ModalRunner.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"
#include "support/Widgets.h"

#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QDir>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstring>

using namespace shell;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QString nameOf(const tagItemData* n)
{
    return QString::fromUtf16(n->Name);
}

// What the screen windows are told through the change notice: a title after
// a new name, a new layout after new programs.
struct Host {
    QStringList titles;
    int relayouts = 0;
    Host()
    {
        m_told = QObject::connect(&spine::notices(), &spine::NodeNotices::nodeChanged, &spine::notices(),
                                  [this](tagItemData* node, spine::NodeChanges what) {
                                      if (what & spine::NodeChange::Name)
                                          titles << QString::fromUtf16(node->Name);
                                      if (what & spine::NodeChange::Programs)
                                          ++relayouts;
                                  });
    }
    ~Host() { QObject::disconnect(m_told); }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

private:
    QMetaObject::Connection m_told;
};

class PanelViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        texts.setString(46001, QStringLiteral("changed?"));
        texts.setString(46003, QStringLiteral("close"));
        texts.setString(46000, QStringLiteral("open"));
        texts.setString(48217, QStringLiteral("already open"));
        texts.setString(46026, QStringLiteral("not a file name"));
        texts.setString(46027, QStringLiteral("%1 not renamed"));
        texts.setString(46007, QStringLiteral("%1 not saved to %2"));
        texts.setString(46008, QStringLiteral("%1 not opened"));
        texts.setString(44501, QStringLiteral("not a program list"));
        texts.setString(46006, QStringLiteral("Program lists (*.pl)|*.pl|All files (*.*)|*.*||"));
        screens = std::make_unique<CEditorScreenPanel>(core, settings, app(), port);
        panel = screens->View();
        panel->resize(200, 300);
    }
    QString app() const { return dir.path() + u'/'; }
    QString userdata(const QString& file) const { return app() + QStringLiteral("userdata/") + file; }

    tagItemData* addScreen(const char16_t* name, bool withScene = true)
    {
        tagItemData* last = nullptr;
        for (unsigned n = 0; core.GetScreen(n); ++n)
            last = core.GetScreen(n);
        tagItemData* s = core.AddItem(IT_SCREEN, name, nullptr, last);   // behind the others
        s->Global.Width = 64;
        s->Global.Height = 32;
        if (withScene) {
            tagItemData* scene = core.AddItem(IT_SCENE, u"scene", s, nullptr);
            core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
        }
        panel->Tree().InsertItemTree(s);
        return s;
    }
    QByteArray storeImage(tagItemData* s)
    {
        QByteArray b(static_cast<qsizetype>(core.GetStoreSize(s)), '\0');
        core.Store(s, reinterpret_cast<unsigned char*>(b.data()), static_cast<unsigned>(b.size()));
        return b;
    }
    QTreeWidget* rows() { return support::findByControlId<QTreeWidget>(panel, CPanelView::IDC_TREE); }

    QTemporaryDir dir;
    CCore core;
    ShellSettings settings;
    Host host;
    support::LangPackScope texts;
    support::SeamScope seams;
    editor::FramePort port;
    std::unique_ptr<CEditorScreenPanel> screens;
    CPanelView* panel = nullptr;
};

} // namespace

TEST_F(PanelViewTest, SavingWritesTheStoreImageAndComparesByteForByte)
{
    tagItemData* s = addScreen(u"Front");
    EXPECT_EQ(panel->IsScreenModified(s), 1);   // never saved
    ASSERT_TRUE(panel->SaveScreen(s, true));
    const QString path = userdata(QStringLiteral("Front.pl"));
    EXPECT_EQ(panel->ScreenFile(s), path);
    EXPECT_EQ(nameOf(s), "Front");
    EXPECT_EQ(readAll(path), storeImage(s));
    EXPECT_EQ(panel->IsScreenModified(s), 0);
    EXPECT_EQ(panel->IsFileOpen(path), 1);
    EXPECT_EQ(panel->IsFileOpen(path.toUpper()), 0);

    // An edit, a file of another length, other bytes of the same length.
    core.AddItem(IT_SCENE, u"second", s, nullptr);
    EXPECT_EQ(panel->IsScreenModified(s), 1);
    ASSERT_TRUE(panel->SaveScreen(s, false));   // has a file: no dialog
    EXPECT_EQ(panel->IsScreenModified(s), 0);
    const QByteArray good = readAll(path);
    ASSERT_TRUE(writeAll(path, good.left(good.size() - 1)));
    EXPECT_EQ(panel->IsScreenModified(s), 1);
    QByteArray flipped = good;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x40);
    ASSERT_TRUE(writeAll(path, flipped));
    EXPECT_EQ(panel->IsScreenModified(s), 1);
    // A file deleted elsewhere, or a folder in its place, no longer holds the screen.
    QFile::remove(path);
    EXPECT_EQ(panel->IsScreenModified(s), 1);
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_EQ(panel->IsScreenModified(s), 1);
    // Nor does a device or a pipe, and asking never waits on one.
    support::HostilePaths hostile(dir.filePath(QStringLiteral("hostile")), QStringLiteral("Front.pl"));
    ASSERT_TRUE(hostile.ready());
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(support::HostilePaths::placeAt(c, path));
        support::ReleaseAfter watchdog(support::kRefusalBound, [&] { hostile.release(); });
        EXPECT_EQ(panel->IsScreenModified(s), 1);
        EXPECT_FALSE(watchdog.fired());
    }
}

TEST_F(PanelViewTest, SaveAsRenamesTheScreenItsRowAndItsWindow)
{
    tagItemData* s = addScreen(u"Front");
    seams.nextFileName(QString());   // cancelled: nothing happens
    EXPECT_FALSE(panel->SaveScreen(s, false));
    EXPECT_TRUE(panel->ScreenFile(s).isEmpty());
    EXPECT_FALSE(QFile::exists(userdata(QStringLiteral("Front.pl"))));

    const QString other = dir.filePath(QStringLiteral("Lobby"));   // the dialog gave no extension
    seams.nextFileName(other);
    ASSERT_TRUE(panel->SaveScreenAs(s));
    EXPECT_EQ(panel->ScreenFile(s), other + ".pl");
    EXPECT_TRUE(QFile::exists(other + ".pl"));
    EXPECT_EQ(nameOf(s), "Lobby");
    ASSERT_EQ(rows()->topLevelItemCount(), 1);
    EXPECT_EQ(rows()->topLevelItem(0)->text(0), "Lobby");
    EXPECT_EQ(host.titles, QStringList{"Lobby"});
}

TEST_F(PanelViewTest, AFailedSaveIsNotRecordedAndTheScreenStaysChanged)
{
    tagItemData* s = addScreen(u"Front");
    const QString where = dir.filePath(QStringLiteral("missing/folder/x.pl"));
    seams.nextAnswer(QMessageBox::Ok);
    EXPECT_FALSE(panel->SaveScreenFile(s, where));
    // Told in a box, not only in the status bar.
    EXPECT_EQ(controls::MessageBox::lastText(), QStringLiteral("Front not saved to ") + where);
    EXPECT_TRUE(panel->ScreenFile(s).isEmpty());
    EXPECT_EQ(nameOf(s), "Front");
    EXPECT_EQ(panel->IsScreenModified(s), 1);
}

TEST_F(PanelViewTest, OpeningAsksForChangesAndRefusesAFileAlreadyOpen)
{
    tagItemData* a = addScreen(u"A");
    ASSERT_TRUE(panel->SaveScreen(a, true));
    tagItemData* b = addScreen(u"B", false);

    seams.nextFileName(userdata(QStringLiteral("A.pl")));
    seams.nextAnswer(QMessageBox::Ok);
    panel->OpenScreen(b);
    EXPECT_EQ(controls::MessageBox::lastText(), "already open");
    EXPECT_EQ(b->FirstChild, nullptr);

    // A copy of A under another name loads into B; B was never saved, so it asks first.
    const QString copy = dir.filePath(QStringLiteral("Copy.pl"));
    ASSERT_TRUE(QFile::copy(userdata(QStringLiteral("A.pl")), copy));
    seams.nextFileName(copy);
    seams.nextAnswer(QMessageBox::Cancel);
    panel->OpenScreen(b);
    EXPECT_EQ(controls::MessageBox::lastText(), "changed?");
    EXPECT_EQ(b->FirstChild, nullptr);
    EXPECT_TRUE(panel->ScreenFile(b).isEmpty());

    seams.nextFileName(copy);
    seams.nextAnswer(QMessageBox::No);
    panel->OpenScreen(b);
    ASSERT_NE(b->FirstChild, nullptr);
    EXPECT_EQ(panel->ScreenFile(b), copy);
    EXPECT_EQ(nameOf(b), "Copy");
    EXPECT_EQ(panel->IsScreenModified(b), 0);
    EXPECT_EQ(host.relayouts, 1);
}

TEST_F(PanelViewTest, AScreenDeletedElsewhereLeavesItsFileFree)
{
    tagItemData* a = addScreen(u"A");
    ASSERT_TRUE(panel->SaveScreen(a, true));
    const QString path = userdata(QStringLiteral("A.pl"));
    const QByteArray saved = readAll(path);
    panel->Tree().DeleteItem(a);   // as the tree's own delete command does
    EXPECT_EQ(panel->IsFileOpen(path), 0);
    // A new screen starts without a file, whatever address it gets.
    tagItemData* b = addScreen(u"B", false);
    EXPECT_TRUE(panel->ScreenFile(b).isEmpty());
    ASSERT_TRUE(panel->SaveScreen(b, true));
    EXPECT_EQ(readAll(path), saved);   // A's file untouched
    seams.nextFileName(path);
    seams.nextAnswer(QMessageBox::No);
    panel->OpenScreen(b);
    EXPECT_EQ(panel->ScreenFile(b), path);
    EXPECT_NE(b->FirstChild, nullptr);
}

TEST_F(PanelViewTest, AFileTheCoreRefusesChangesNothing)
{
    tagItemData* s = addScreen(u"Front");
    ASSERT_TRUE(panel->SaveScreen(s, true));
    const QByteArray before = storeImage(s);
    const QString bad = dir.filePath(QStringLiteral("bad.pl"));
    ASSERT_TRUE(writeAll(bad, QByteArray("not a program list at all")));
    EXPECT_GT(panel->LoadScreenFile(s, bad), 0);
    EXPECT_EQ(panel->ScreenFile(s), userdata(QStringLiteral("Front.pl")));

    // Through the open command, which clears the screen first: it gets its
    // programs back, and a box says the file was not opened and why.
    seams.nextFileName(bad);
    seams.nextAnswer(QMessageBox::Ok);
    panel->OpenScreen(s);
    EXPECT_EQ(controls::MessageBox::lastText(), bad + QStringLiteral(" not opened\nnot a program list"));
    EXPECT_EQ(storeImage(s), before);
    EXPECT_EQ(nameOf(s), "Front");
    EXPECT_EQ(panel->ScreenFile(s), userdata(QStringLiteral("Front.pl")));
}

TEST_F(PanelViewTest, RenamingASavedScreenMovesItsFileOrIsRefused)
{
    tagItemData* s = addScreen(u"Front");
    ASSERT_TRUE(panel->SaveScreen(s, true));
    const QByteArray saved = readAll(userdata(QStringLiteral("Front.pl")));

    // Edited in the tree with the keyboard, as the operator does.
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    QTreeWidget* tree = rows();
    QTreeWidgetItem* row = tree->topLevelItem(0);
    tree->setFocus();
    // F2 opens the row's editor unless a refused name left it open.
    auto typeName = [&](const QString& name) {
        auto openEditor = [&]() -> QLineEdit* {
            for (QLineEdit* line : tree->findChildren<QLineEdit*>())
                if (line->isVisible())
                    return line;
            return nullptr;
        };
        if (!openEditor()) {
            tree->setCurrentItem(row);
            QTest::keyClick(tree->viewport(), Qt::Key_F2);
        }
        QLineEdit* line = openEditor();
        ASSERT_NE(line, nullptr);
        line->selectAll();
        QTest::keyClicks(line, name);
        QTest::keyClick(line, Qt::Key_Return);
        QTest::qWait(20);   // the tree takes the name once its editor has closed
    };
    typeName(QStringLiteral("Lobby"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return row->text(0) == QStringLiteral("Lobby"); }, 2000));   // committed queued
    EXPECT_TRUE(support::saveScreenshot(*panel, "shell", "panel_renamed"));
    EXPECT_EQ(nameOf(s), "Lobby");
    EXPECT_FALSE(QFile::exists(userdata(QStringLiteral("Front.pl"))));
    EXPECT_EQ(readAll(userdata(QStringLiteral("Lobby.pl"))), saved);
    EXPECT_EQ(panel->ScreenFile(s), userdata(QStringLiteral("Lobby.pl")));
    EXPECT_EQ(host.titles.last(), "Lobby");

    // The target exists: the move fails, a box says so and the name stays.
    ASSERT_TRUE(writeAll(userdata(QStringLiteral("Taken.pl")), "someone else's"));
    seams.nextAnswer(QMessageBox::Ok);
    typeName(QStringLiteral("Taken"));
    EXPECT_EQ(controls::MessageBox::lastText(), QDir::toNativeSeparators(userdata(QStringLiteral("Taken.pl"))) +
                                                    QStringLiteral(" not renamed"));
    EXPECT_EQ(nameOf(s), "Lobby");
    EXPECT_EQ(row->text(0), "Lobby");
    EXPECT_EQ(readAll(userdata(QStringLiteral("Taken.pl"))), "someone else's");
    // A name that would lead into another folder is refused too.
    seams.nextAnswer(QMessageBox::Ok);
    typeName(QStringLiteral("../Away"));
    EXPECT_EQ(controls::MessageBox::lastText(), "not a file name");
    EXPECT_EQ(nameOf(s), "Lobby");
    EXPECT_FALSE(QFile::exists(app() + QStringLiteral("Away.pl")));
    EXPECT_EQ(panel->ScreenFile(s), userdata(QStringLiteral("Lobby.pl")));

    // A screen without a file just takes its name.
    tagItemData* t = addScreen(u"New");
    EXPECT_EQ(panel->OnItemRename(t, QStringLiteral("Other")), 0);
    EXPECT_EQ(panel->OnItemRename(nullptr, QStringLiteral("x")), 0);
}

// A file name holds 255 bytes of UTF-8 with ".pl": 84 CJK characters fit,
// 85 do not. The refusal is said in the window's language before anything
// is written, and the typed name stays in the editor.
TEST_F(PanelViewTest, ANameTooLongForAFileIsSaidAndStaysInTheEditor)
{
    tagItemData* s = addScreen(u"Front");
    ASSERT_TRUE(panel->SaveScreen(s, true));
    const QString file = userdata(QStringLiteral("Front.pl"));
    const QByteArray saved = readAll(file);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel));
    QTreeWidget* tree = rows();
    QTreeWidgetItem* row = tree->topLevelItem(0);
    tree->setFocus();
    auto openEditor = [&]() -> QLineEdit* {
        for (QLineEdit* line : tree->findChildren<QLineEdit*>())
            if (line->isVisible())
                return line;
        return nullptr;
    };
    auto typeName = [&](const QString& name) {
        if (!openEditor())
            QTest::keyClick(tree->viewport(), Qt::Key_F2);
        QLineEdit* line = openEditor();
        ASSERT_NE(line, nullptr);
        line->selectAll();
        // CJK text arrives from the input method as a committed string.
        QInputMethodEvent typed;
        typed.setCommitString(name);
        QApplication::sendEvent(line, &typed);
        QTest::keyClick(line, Qt::Key_Return);
    };
    QString lang;
    QStringList shown;
    QStringList namesAtBox;
    seams->messageBox = [&](const spine::MessageRequest& r) {
        shown << r.text;
        namesAtBox << nameOf(s);
        QMessageBox box(r.icon, r.title, r.text, r.buttons, r.parent);
        box.show();
        if (QTest::qWaitForWindowExposed(&box))
            support::saveScreenshot(box, "shell", QStringLiteral("rename_too_long_") + lang);
        return QMessageBox::Ok;
    };
    const qsizetype titles = host.titles.size();
    const QString tooLong(85, QChar(0x5B57));
    const struct {
        const char* tag;
        const char* pack;
    } packs[] = {{"en", "UI_EN.rcc"}, {"cn", "UI_CN.rcc"}, {"tw", "UI_TW.rcc"}};
    for (const auto& p : packs) {
        SCOPED_TRACE(p.tag);
        lang = QString::fromLatin1(p.tag);
        QString error;
        ASSERT_TRUE(platform::loadLangPack(shelltest::builtPack(p.pack), &error)) << error.toStdString();
        shown.clear();
        typeName(tooLong);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.isEmpty(); }, 2000));
        EXPECT_EQ(shown, QStringList{platform::langString(46025)});
        EXPECT_FALSE(shown.first().isEmpty());
        ASSERT_TRUE(QTest::qWaitFor([&] { return openEditor() != nullptr; }, 2000));
        EXPECT_EQ(openEditor()->text(), tooLong);
        EXPECT_EQ(nameOf(s), "Front");
        EXPECT_EQ(row->text(0), "Front");
        EXPECT_EQ(readAll(file), saved);
        EXPECT_EQ(panel->ScreenFile(s), file);
    }
    EXPECT_EQ(namesAtBox, QStringList(3, QStringLiteral("Front")));   // asked before anything was written
    EXPECT_EQ(host.titles.size(), titles);

    // At the bound the file moves and the name is written once.
    const QString longest(84, QChar(0x5B57));
    typeName(longest);
    ASSERT_TRUE(QTest::qWaitFor([&] { return row->text(0) == longest; }, 2000));
    EXPECT_EQ(nameOf(s), longest);
    EXPECT_EQ(readAll(userdata(longest + QStringLiteral(".pl"))), saved);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(panel->ScreenFile(s), userdata(longest + QStringLiteral(".pl")));
    EXPECT_EQ(host.titles.mid(titles), QStringList{longest});
    EXPECT_EQ(shown.size(), 1);
    platform::clearLangPack();
}

TEST_F(PanelViewTest, ClosingAsksOnlyWhenChanged)
{
    tagItemData* s = addScreen(u"Front");
    seams.nextAnswer(QMessageBox::Cancel);
    EXPECT_EQ(panel->CloseScreen(s), 0);
    EXPECT_EQ(core.GetScreen(0), s);
    // Yes with the save dialog cancelled keeps the screen too.
    seams.nextAnswer(QMessageBox::Yes);
    seams.nextFileName(QString());
    EXPECT_EQ(panel->CloseScreen(s), 0);
    EXPECT_EQ(core.GetScreen(0), s);

    ASSERT_TRUE(panel->SaveScreen(s, true));
    seams.nextAnswer(QMessageBox::Cancel);   // would keep it, were it asked
    EXPECT_EQ(panel->CloseScreen(s), 1);
    EXPECT_EQ(core.GetScreen(0), nullptr);
    EXPECT_EQ(rows()->topLevelItemCount(), 0);
    EXPECT_EQ(panel->IsFileOpen(userdata(QStringLiteral("Front.pl"))), 0);
}

TEST_F(PanelViewTest, ClosingAllWritesTheListsInTreeOrderWithTheirLinks)
{
    settings.isSaveLED = 1;
    std::vector<tagItemData*> screens;
    for (int i = 0; i < 24; ++i) {
        const QString name = QStringLiteral("S%1").arg(i, 2, 10, QChar(u'0'));
        screens.push_back(addScreen(reinterpret_cast<const char16_t*>(name.utf16())));
    }
    // Some saved elsewhere, some never saved; hash order would scramble them.
    const QString outside = QDir::tempPath() + QStringLiteral("/panelview_%1.pl").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(panel->SaveScreenFile(screens[3], outside));
    tagGlobalInfo& g0 = screens[0]->Global;
    g0.CommType = 2;
    g0.HostKind = 1;
    std::strcpy(g0.Host, "ctl.example");
    g0.HostPort = 5005;
    g0.DhcpFlag = 1;
    tagGlobalInfo& g1 = screens[1]->Global;
    g1.CommType = 2;
    g1.HostKind = 0;
    std::strcpy(g1.Host, "192.168.1.20");
    g1.HostPort = 5006;
    tagGlobalInfo& g2 = screens[2]->Global;
    g2.CommType = 1;
    g2.AdapterIndex = 3;
    const std::uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    std::memcpy(g2.DstMAC, mac, 6);
    g2.SerialPort = 4;
    g2.BaudRate = 57600;

    ASSERT_EQ(panel->CloseAllScreens(), 1);
    EXPECT_EQ(core.GetScreen(0), nullptr);
    EXPECT_EQ(rows()->topLevelItemCount(), 0);
    const OpenScreenLists& l = settings.screens;
    ASSERT_EQ(l.savePath.size(), 24);
    for (int i = 0; i < 24; ++i) {
        const QString expected = i == 3 ? outside : QStringLiteral("userdata/S%1.pl").arg(i, 2, 10, QChar(u'0'));
        EXPECT_EQ(l.savePath[i], expected) << i;
        if (i != 3) {
            EXPECT_TRUE(QFile::exists(app() + expected)) << i;
        }
    }
    for (std::size_t n : {l.commMode.size(), l.serialPort.size(), l.baudRate.size(), l.adapter.size(),
                          std::size_t(l.mac.size()), l.dhcpEnable.size(), l.useDomain.size(),
                          std::size_t(l.addr.size()), l.port.size()})
        EXPECT_EQ(n, 24u);
    EXPECT_EQ(l.addr[0], "ctl.example");
    EXPECT_EQ(l.useDomain[0], 1);
    EXPECT_EQ(l.port[0], 5005);
    EXPECT_EQ(l.dhcpEnable[0], 1);
    EXPECT_EQ(l.addr[1], "192.168.1.20");
    EXPECT_EQ(l.useDomain[1], 0);
    EXPECT_EQ(l.port[1], 5006);
    EXPECT_EQ(l.commMode[2], 1);
    EXPECT_EQ(l.adapter[2], 3);
    EXPECT_EQ(l.mac[2], "001a2b3c4d5e");
    EXPECT_EQ(l.serialPort[2], 4);
    EXPECT_EQ(l.baudRate[2], 57600);

    // Written and read back, the order and the links stay.
    const QString ini = dir.filePath(QStringLiteral("config.ini"));
    ASSERT_TRUE(SaveConfigIni(core, settings, ini));
    ShellSettings back;
    CCore other;
    LoadConfigIni(other, back, ini);
    EXPECT_EQ(back.screens, settings.screens);
    QFile::remove(outside);
}

TEST_F(PanelViewTest, ClosingAllAsksTheQuitQuestionOnceBeforeAnyScreenCloses)
{
    settings.isQuitNote = 1;
    settings.isSaveLED = 0;
    tagItemData* first = addScreen(u"One");
    addScreen(u"Two");
    {
        support::ModalRunner runner([](QWidget* modal) {
            QTest::mouseClick(support::findByControlId<QPushButton>(modal, CQuerySaveDlg::IDC_LAST), Qt::LeftButton);
        });
        EXPECT_EQ(panel->CloseAllScreens(), 0);
        EXPECT_EQ(runner.answeredClass(), "shell::CQuerySaveDlg");
    }
    EXPECT_EQ(core.GetScreen(0), first);   // nothing closed
    EXPECT_FALSE(QFile::exists(userdata(QStringLiteral("One.pl"))));

    // Every question that comes is answered with the quit button.
    int asked = 0, changedAsked = 0;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* modal = qobject_cast<CQuerySaveDlg*>(QApplication::activeModalWidget())) {
            if (!modal->isVisible())
                return;
            ++asked;
            QTest::mouseClick(support::findByControlId<QPushButton>(modal, CQuerySaveDlg::IDC_QUIT), Qt::LeftButton);
        } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            // Saving on quitting is off: each changed screen is asked about; left out here.
            if (box->isVisible() && box->button(QMessageBox::No)) {
                ++changedAsked;
                QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
            }
        }
    });
    answer.start();
    EXPECT_EQ(panel->CloseAllScreens(), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(changedAsked, 2);
    EXPECT_EQ(core.GetScreen(0), nullptr);
    EXPECT_EQ(settings.screens.savePath, (QStringList{QString(), QString()}));   // not saved: IsSaveLED off
}

TEST_F(PanelViewTest, AFailedExportIsReportedWithTheGeneralFailureText)
{
    texts.setString(63000, QStringLiteral("not done"));
    seams.nextAnswer(QMessageBox::Ok);
    ShowFailedMessage(panel);
    EXPECT_EQ(controls::MessageBox::lastText(), "not done");
    // A screen a search made starts with no file and nothing to save; once
    // changed, it counts as changed.
    tagItemData* s = addScreen(u"Found");
    panel->ForgetScreenFile(s);
    EXPECT_TRUE(panel->ScreenFile(s).isEmpty());
    EXPECT_EQ(panel->IsScreenModified(s), 0);
    core.AddItem(IT_SCENE, u"scene", s, nullptr);
    EXPECT_EQ(panel->IsScreenModified(s), 1);
}

TEST_F(PanelViewTest, ASaveOnQuittingThatFailsAsksBeforeTheScreenIsLost)
{
    texts.setString(46005, QStringLiteral("lost %1 at %2?"));
    settings.isSaveLED = 1;
    tagItemData* s = addScreen(u"Front");
    // "userdata" cannot be made: a file is in its place.
    ASSERT_TRUE(writeAll(app() + QStringLiteral("userdata"), "not a folder"));
    seams.nextAnswer(QMessageBox::No);
    EXPECT_EQ(panel->CloseAllScreens(), 0);
    EXPECT_TRUE(controls::MessageBox::lastText().startsWith("lost Front at "));
    EXPECT_EQ(core.GetScreen(0), s);
    seams.nextAnswer(QMessageBox::Yes);
    EXPECT_EQ(panel->CloseAllScreens(), 1);
    EXPECT_EQ(core.GetScreen(0), nullptr);
    EXPECT_EQ(settings.screens.savePath, QStringList{QString()});
}

TEST(PanelFilter, PackFiltersBecomeQtFilters)
{
    EXPECT_EQ(FileFilterFromPack("Program lists (*.pl)|*.pl|All files (*.*)|*.*||"),
              "Program lists (*.pl);;All files (*.*)");
    EXPECT_EQ(FileFilterFromPack("Pictures|*.bmp;*.png||"), "Pictures (*.bmp *.png)");
    EXPECT_EQ(FileFilterFromPack(""), "");
}

TEST_F(PanelViewTest, ASaveUnderTheDefaultNameTakesTheNextFreeNameAndReplacesNoOtherFile)
{
    // The operator's own Screen1 and Screen2, saved earlier and not open now.
    QDir().mkpath(app() + QStringLiteral("userdata"));
    ASSERT_TRUE(writeAll(userdata(QStringLiteral("Screen1.pl")), "the operator's Screen1"));
    ASSERT_TRUE(writeAll(userdata(QStringLiteral("Screen2.pl")), "the operator's Screen2"));
    addScreen(u"Screen3", false);   // open, never saved: its name is taken too
    tagItemData* found = addScreen(u"Screen1");
    ASSERT_TRUE(panel->SaveScreen(found, true));
    EXPECT_EQ(panel->ScreenFile(found), userdata(QStringLiteral("Screen4.pl")));
    EXPECT_EQ(readAll(userdata(QStringLiteral("Screen4.pl"))), storeImage(found));
    // The screen, its row and its window take the name the file got.
    EXPECT_EQ(nameOf(found), "Screen4");
    EXPECT_EQ(rows()->topLevelItem(1)->text(0), "Screen4");
    EXPECT_EQ(host.titles.value(host.titles.size() - 1), "Screen4");
    EXPECT_EQ(readAll(userdata(QStringLiteral("Screen1.pl"))), "the operator's Screen1");
    EXPECT_EQ(readAll(userdata(QStringLiteral("Screen2.pl"))), "the operator's Screen2");
    // Its own file from now on: saved again in place.
    core.AddItem(IT_SCENE, u"more", found, nullptr);
    ASSERT_TRUE(panel->SaveScreen(found, true));
    EXPECT_EQ(panel->ScreenFile(found), userdata(QStringLiteral("Screen4.pl")));
    EXPECT_EQ(readAll(userdata(QStringLiteral("Screen4.pl"))), storeImage(found));

    // A name without a number gets one.
    ASSERT_TRUE(writeAll(userdata(QStringLiteral("Lobby.pl")), "the operator's Lobby"));
    tagItemData* lobby = addScreen(u"Lobby");
    ASSERT_TRUE(panel->SaveScreen(lobby, true));
    EXPECT_EQ(panel->ScreenFile(lobby), userdata(QStringLiteral("Lobby1.pl")));
    EXPECT_EQ(readAll(userdata(QStringLiteral("Lobby.pl"))), "the operator's Lobby");
}

TEST_F(PanelViewTest, AFileAnotherScreenHoldsIsNotTakenBySaveAsOrByARename)
{
    tagItemData* a = addScreen(u"A");
    tagItemData* b = addScreen(u"B", false);
    ASSERT_TRUE(panel->SaveScreen(a, true));
    ASSERT_TRUE(panel->SaveScreen(b, true));
    const QString bFile = userdata(QStringLiteral("B.pl"));
    const QByteArray bBytes = readAll(bFile);
    // Save As onto B's file, under two spellings of its path.
    for (const QString& chosen : {bFile, app() + QStringLiteral("userdata/../userdata/B.pl")}) {
        seams.nextFileName(chosen);
        seams.nextAnswer(QMessageBox::Ok);
        EXPECT_FALSE(panel->SaveScreenAs(a));
        EXPECT_EQ(controls::MessageBox::lastText(), "already open");
        EXPECT_EQ(readAll(bFile), bBytes);
        EXPECT_EQ(panel->ScreenFile(a), userdata(QStringLiteral("A.pl")));
        EXPECT_EQ(nameOf(a), "A");
    }
    // B's file gone from the disk is still B's: A is not renamed onto it.
    ASSERT_TRUE(QFile::remove(bFile));
    seams.nextAnswer(QMessageBox::Ok);
    EXPECT_EQ(panel->OnItemRename(a, QStringLiteral("B")), -1);
    EXPECT_EQ(controls::MessageBox::lastText(), QDir::toNativeSeparators(bFile) + QStringLiteral(" not renamed"));
    EXPECT_TRUE(QFile::exists(userdata(QStringLiteral("A.pl"))));
    EXPECT_EQ(panel->ScreenFile(a), userdata(QStringLiteral("A.pl")));
}
