// The main frame driven as a whole: its layout and ids, the screens of the
// last session, notices, the Delete relay, closing while a job runs, and
// the commands with their questions and messages.
#include "FrameTestUtil.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/IconButton.h"
#include "app/controls/StaticSplitter.h"
#include "app/editor/ChildFrame.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/Thumbnail.h"
#include "app/tooltips/HtmlToolTip.h"
#include "core/api/Callbacks.h"
#include "core/model/Geometry.h"
#include "app/dialogs/task/TaskDlg.h"
#include "support/Heartbeat.h"
#include "support/ModalRunner.h"
#include "support/Screenshots.h"
#include "support/Seams.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QFile>
#include <QScrollArea>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <atomic>

using namespace shell;

using frametest::FrameHarness;

namespace {

QString S(unsigned id)
{
    return platform::langString(id);
}

QString tipText(CMainFrame& f)
{
    return f.LastTip();
}

// Counts task runs instead of opening the task dialog; a send shows the link it goes over.
void countRuns(spine::FrameDialogs& frame, int& runs,
               std::function<void(tagItemData*, const LinkSettings*)> onRun = {})
{
    frame.runTask = [&runs, onRun](QWidget*, int task, tagItemData* screen, std::intptr_t arg) {
        ++runs;
        if (onRun)
            onRun(screen, task == dialogs::TASK_SEND_PROGRAMS ? dialogs::SendLinkOf(arg) : nullptr);
        return 1;
    };
}


} // namespace

TEST(MainFrame, StartsAt876By618WithFixedPanesToolbarsAndLanguageEntries)
{
    FrameHarness h;
    CMainFrame& f = *h.frame;
    EXPECT_EQ(f.size(), QSize(876, 618));
    EXPECT_EQ(f.windowTitle(), GetExeBaseName());
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));

    EXPECT_EQ(f.StatusPane(0)->width(), 120);
    EXPECT_EQ(f.StatusPane(1)->width(), 125);
    EXPECT_GT(f.StatusPane(2)->width(), 300);
    EXPECT_EQ(f.StatusText(1), S(59150));
    EXPECT_EQ(f.StatusText(2), S(59151));

    // Fixed panes: the screen panel's width and the property pane's height.
    EXPECT_EQ(f.InnerSplitter()->paneRect(0).width(), CMainFrame::kPanelWidth);
    EXPECT_EQ(f.OuterSplitter()->paneRect(1).height(), CMainFrame::kPropertyHeight);
    // The size the panels are laid out for is the one the pane starts with.
    auto* scroller = f.PropertyPane()->findChild<QScrollArea*>(QStringLiteral("propertyScroller"));
    ASSERT_NE(scroller, nullptr);
    EXPECT_EQ(scroller->size(), panels::kPaneDefaultSize);
    f.resize(1000, 700);
    QTest::qWait(20);
    EXPECT_EQ(f.InnerSplitter()->paneRect(0).width(), CMainFrame::kPanelWidth);
    EXPECT_EQ(f.OuterSplitter()->paneRect(1).height(), CMainFrame::kPropertyHeight);

    // Toolbar buttons show the text after the line feed; find has its drop-down.
    auto* send = support::findByControlId<QToolButton>(f.MainToolBar(), 32771);
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->text(), S(32771).section(u'\n', 1));
    auto* find = support::findByControlId<QToolButton>(f.MainToolBar(), 32796);
    ASSERT_NE(find, nullptr);
    ASSERT_NE(find->menu(), nullptr);
    EXPECT_EQ(find->menu()->actions().value(0)->text(), S(57348));
    ASSERT_NE(support::findByControlId<QToolButton>(f.SecondToolBar(), 32798), nullptr);
    for (int id = 6121; id <= 6129; ++id)
        EXPECT_NE(support::findByControlId<controls::CIconButton>(f.ItemKindBar(), id), nullptr) << id;

    // Language entries carry their codes; the setting's is checked.
    const int codes[] = {255, 4, 0x7C04, 9};
    for (unsigned id = 32848; id <= 32851; ++id) {
        QAction* a = f.CommandAction(id);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->data().toInt(), codes[id - 32848]);
        EXPECT_EQ(a->isChecked(), id == 32851);
    }
    // A status prompt lands in pane 0, the others keep their texts.
    QStatusTipEvent tip(QStringLiteral("prompt"));
    QCoreApplication::sendEvent(&f, &tip);
    EXPECT_EQ(f.StatusText(0), QStringLiteral("prompt"));
    EXPECT_EQ(f.StatusText(2), S(59151));
    // A link text longer than its pane widens the pane rather than being cut.
    QLabel* link = f.StatusPane(1);
    link->setText(S(44010).arg(QStringLiteral("/dev/serial/by-id/usb-controller-port0")));
    EXPECT_TRUE(QTest::qWaitFor([link] { return link->width() >= link->sizeHint().width(); }, 1000));
    EXPECT_GT(link->width(), 125);
    EXPECT_GT(f.StatusPane(2)->width(), 100);
}

TEST(MainFrame, WithoutRememberedScreensItStartsWithOneNewScreenWithoutAFile)
{
    FrameHarness h;
    ASSERT_EQ(h.screenCount(), 1);
    tagItemData* screen = h.core.GetScreen(0);
    EXPECT_TRUE(h.list()->ScreenFile(screen).isEmpty());
    EXPECT_NE(h.frame->FindItemWindow(screen), nullptr);
}

TEST(MainFrame, RemembersScreensSkipsAFileThatNoLongerLoadsAndPlacesTheNextAfterTheLastLoaded)
{
    FrameHarness h("UI_EN.rcc", false);
    const QString a = h.writeProgramList(QStringLiteral("A"));
    const QString c = h.writeProgramList(QStringLiteral("C"), 32, 16);
    const QString b = h.folder + QStringLiteral("userdata/B.pl");
    ASSERT_TRUE(shelltest::writeFile(b, "not a program list"));
    OpenScreenLists& lists = h.app->Settings().screens;
    lists.savePath = {QStringLiteral("userdata/A.pl"), b, c};
    lists.port = {8123};
    lists.commMode = {2};
    lists.addr = {QStringLiteral("10.1.2.3")};
    ASSERT_TRUE(h.frame->OnCreate());

    ASSERT_EQ(h.screenCount(), 2);
    tagItemData* first = h.core.GetScreen(0);
    tagItemData* second = h.core.GetScreen(1);
    EXPECT_EQ(QString::fromUtf16(first->Name), QStringLiteral("A"));
    EXPECT_EQ(QString::fromUtf16(second->Name), QStringLiteral("C"));
    EXPECT_EQ(second->Global.Width, 32);
    // Link settings of the first entry only; the others keep a new screen's.
    EXPECT_EQ(first->Global.HostPort, 8123);
    EXPECT_EQ(first->Global.CommType, 2u);
    EXPECT_STREQ(first->Global.Host, "10.1.2.3");
    EXPECT_NE(second->Global.HostPort, 8123);
    EXPECT_EQ(h.list()->ScreenFile(first), a);
    // The failed file named its path in the transfer pane.
    EXPECT_TRUE(h.frame->StatusText(2).contains(S(44501)) || h.frame->StatusText(2) == S(44503));
}

TEST(AppHelpers, AScreenFileIsStoredRelativeOnlyInsideTheProgramFolder)
{
    EXPECT_EQ(StoredScreenPath("/opt/tv/userdata/a.pl", "/opt/tv/"), "userdata/a.pl");
    EXPECT_EQ(StoredScreenPath("/opt/tv/userdata/a.pl", "/opt/tv"), "userdata/a.pl");
    // The folder's text elsewhere in the path, or a longer sibling name, is no prefix.
    EXPECT_EQ(StoredScreenPath("/home/u/opt/tv/a.pl", "/opt/tv/"), "/home/u/opt/tv/a.pl");
    EXPECT_EQ(StoredScreenPath("/opt/tvx/a.pl", "/opt/tv/"), "/opt/tvx/a.pl");
    EXPECT_EQ(StoredScreenPath("", "/opt/tv/"), "");
    EXPECT_EQ(ResolveScreenPath("userdata/a.pl", "/opt/tv/"), "/opt/tv/userdata/a.pl");
    EXPECT_EQ(ResolveScreenPath("/x/a.pl", "/opt/tv/"), "/x/a.pl");
}

TEST(MainFrame, ClosingRemembersEachScreensFileAndLink)
{
    FrameHarness h;
    const QString path = h.writeProgramList(QStringLiteral("Shop"));
    tagItemData* screen = h.core.AddItem(IT_SCREEN, u"x", nullptr, nullptr);
    ASSERT_EQ(h.frame->Panel()->LoadScreenFile(screen, path), 0);
    frametest::bindTcp(screen, 9000);
    h.app->Settings().isSaveLED = 0;
    EXPECT_TRUE(h.frame->close());
    const OpenScreenLists& lists = h.app->Settings().screens;
    ASSERT_EQ(lists.savePath.size(), 2);
    EXPECT_TRUE(lists.savePath.contains(QStringLiteral("userdata/Shop.pl")));
    EXPECT_EQ(lists.port.size(), 2u);
    EXPECT_EQ(h.screenCount(), 0);
}

TEST(MainFrame, NoticesAreTipsAtTheCursorAndCommandsWithoutAScreenSayNoScreen)
{
    support::SeamScope rights;
    rights.frame().accessGate = [](int, QWidget*) { return true; };
    FrameHarness h("UI_EN.rcc");
    h.frame->show();
    h.list()->SelectNode(nullptr);
    for (unsigned id : {32797u, 33025u, 32775u, 32840u, 32771u, 32777u, 32895u, 32896u, 32813u, 32876u}) {
        h.frame->ShowTip(QStringLiteral("-"));
        EXPECT_TRUE(h.frame->OnCommand(id));
        EXPECT_EQ(tipText(*h.frame), S(48170)) << id;
    }
    const unsigned notices[] = {0, 48218, 48219, 48220, 48221, 0, 48222, 48223, 48224};
    for (int code = 1; code <= 8; ++code) {
        h.frame->OnEditorNotice(code, QStringLiteral("given"));
        EXPECT_EQ(tipText(*h.frame), code == 5 ? QStringLiteral("given") : S(notices[code])) << code;
    }
    EXPECT_FALSE(h.frame->OnCommand(12345));
}

TEST(MainFrame, ANoticeGivenWhileTheCursorIsAwayShowsOverTheWindow)
{
    FrameHarness h("UI_EN.rcc");
    h.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
    const QRect frame = h.frame->frameGeometry();
    for (const QPoint cursor : {frame.center(), QPoint(frame.right() + 300, frame.top() - 100)}) {
        QCursor::setPos(cursor);
        if (QCursor::pos() != cursor)
            GTEST_SKIP() << "the platform cannot move the cursor";
        h.frame->OnCommand(32999);   // no updater beside the test: a notice
        ASSERT_EQ(tipText(*h.frame), S(48290));
        QWidget* tip = h.frame->ToolTip();
        ASSERT_TRUE(QTest::qWaitFor([tip] { return tip->isVisible(); }, 2000));
        EXPECT_TRUE(frame.intersects(tip->geometry())) << cursor.x() << "," << cursor.y();
        tip->hide();
    }
}

TEST(MainFrame, DeleteInATextFieldEditsTheTextAndElsewhereDeletesTheSelectedScene)
{
    FrameHarness h;
    support::SeamScope seams;
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    h.frame->Panel()->InsertItemTree(screen);
    ASSERT_TRUE(h.list()->SelectNode(scene));
    auto* edit = new QLineEdit(QStringLiteral("abc"), h.frame->PropertyPane());
    h.frame->PropertyPane()->layout()->addWidget(edit);
    h.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
    QApplication::setActiveWindow(h.frame.get());

    edit->setFocus();
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), QStringLiteral("bc"));
    EXPECT_EQ(screen->FirstChild, scene);

    h.tree()->setFocus();
    seams.nextAnswer(QMessageBox::No);
    QTest::keyClick(h.tree(), Qt::Key_Delete);
    EXPECT_EQ(controls::MessageBox::lastText(), S(48172).arg(QStringLiteral("scene")));
    EXPECT_EQ(screen->FirstChild, scene);

    // In the tree's label editor: untouched, Delete asks about the scene;
    // once something is typed, it edits the name.
    h.tree()->editItem(h.tree()->itemOf(scene));
    auto* label = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(label, nullptr);
    seams.nextAnswer(QMessageBox::No);
    QTest::keyClick(label, Qt::Key_Delete);
    EXPECT_EQ(controls::MessageBox::lastText(), S(48172).arg(QStringLiteral("scene")));
    EXPECT_EQ(QString::fromUtf16(scene->Name), QStringLiteral("scene"));
    h.tree()->editItem(h.tree()->itemOf(scene));
    label = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(label, nullptr);
    QTest::keyClick(label, Qt::Key_End);
    QTest::keyClicks(label, "2");
    QTest::keyClick(label, Qt::Key_Home);
    QTest::keyClick(label, Qt::Key_Delete);
    EXPECT_EQ(label->text(), QStringLiteral("cene2"));
    QTest::keyClick(label, Qt::Key_Escape);
    h.tree()->setFocus();

    seams.nextAnswer(QMessageBox::Yes);
    QTest::keyClick(h.tree(), Qt::Key_Delete);
    EXPECT_EQ(screen->FirstChild, nullptr);
}

TEST(MainFrame, ACloseAskedForWhileAJobRunsIsKeptAndDoneWhenTheJobEnds)
{
    FrameHarness h;
    h.frame->show();
    std::atomic<bool> release{false};
    bool closedDuring = true;
    QTimer::singleShot(20, h.frame.get(), [&] {
        closedDuring = h.frame->close();
        release = true;
    });
    // A controller job of the tree runs in the task dialog, modally.
    h.frame->Port().runJob([&](CCore&) {
        while (!release)
            QThread::msleep(2);
        return 7;
    });
    EXPECT_TRUE(release.load());
    EXPECT_FALSE(closedDuring);
    EXPECT_EQ(h.screenCount(), 1);   // the screens stayed while the job ran
    EXPECT_TRUE(QTest::qWaitFor([&] { return !h.frame->isVisible(); }, 2000));
    EXPECT_EQ(h.screenCount(), 0);
}

TEST(MainFrame, FindItemWindowFindsTheWindowOfANodesScreen)
{
    FrameHarness h;
    tagItemData* a = h.core.GetScreen(0);
    tagItemData* b = h.core.AddItem(IT_SCREEN, u"B", nullptr, a);
    h.frame->Panel()->InsertItemTree(b);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", b, nullptr);
    QWidget* wa = h.frame->FindItemWindow(a);
    QWidget* wb = h.frame->FindItemWindow(scene);
    ASSERT_NE(wa, nullptr);
    ASSERT_NE(wb, nullptr);
    EXPECT_NE(wa, wb);
    EXPECT_EQ(h.frame->FindItemWindow(nullptr), nullptr);
    EXPECT_EQ(h.frame->OpenScreenWindow(scene), 0);
    EXPECT_EQ(h.frame->OpenScreenWindow(b), 1);
    EXPECT_EQ(h.frame->MdiArea()->subWindowList().size(), 2);
}

TEST(SendPrograms, TheOverlapQuestionListsAtMostTheTablesRowsAndNamesBothCounts)
{
    FrameHarness h;
    _tableOverlap table{};
    table.Capacity = 6;
    table.Count = 7;
    for (int i = 0; i < 6; ++i) {
        const std::u16string a = u"scene/a" + std::u16string(1, char16_t(u'0' + i));
        std::copy(a.begin(), a.end(), table.Rows[i].First);
        std::copy(a.begin(), a.end(), table.Rows[i].Second);
        table.Rows[i].Kind = std::uint16_t(i % 2);
    }
    const QString text = shell::FrameCommands::overlapMessage(table);
    QString want = S(32854);
    for (int i = 0; i < 6; ++i) {
        const QString p = QStringLiteral("scene/a%1").arg(i);
        want += S(32857) + p + S(32858) + p + S(32859) + S(i % 2 ? 32856 : 32855) + u'\n';
    }
    want += S(32860).arg(7).arg(6) + S(32861);
    EXPECT_EQ(text, want);
    EXPECT_TRUE(text.contains(u'7') && text.contains(u'6'));
}

TEST(SendPrograms, OverlappingSectionsAskAndCancelStopsWhileOkGoesOn)
{
    int runs = 0;
    support::SeamScope seams;
    countRuns(seams.frame(), runs);
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* s1 = h.core.AddItem(IT_WND_TEXT, u"one", scene, nullptr);
    tagItemData* s2 = h.core.AddItem(IT_WND_TEXT, u"two", scene, s1);
    h.core.ChangeItemRect(s1, 0, 0, 32, 16);
    h.core.ChangeItemRect(s2, 8, 8, 32, 16);
    h.core.AddItem(IT_TEXT, u"t", s1, nullptr);
    h.frame->Panel()->InsertItemTree(screen);

    seams.nextAnswer(QMessageBox::Cancel);
    EXPECT_EQ(h.frame->Commands().sendScreenPrograms(screen), 0);
    EXPECT_TRUE(controls::MessageBox::lastText().startsWith(S(32854)));
    EXPECT_EQ(runs, 0);
    seams.nextAnswer(QMessageBox::Ok);
    EXPECT_EQ(h.frame->Commands().sendScreenPrograms(screen), 1);
    EXPECT_EQ(runs, 1);
    // Without overlap no question is asked.
    h.core.ChangeItemRect(s2, 40, 0, 16, 16);
    seams.nextAnswer(QMessageBox::Cancel);
    EXPECT_EQ(h.frame->Commands().checkScreenOverlap(screen), 1);
    seams->nextAnswer.reset();
}

TEST(SendPrograms, AScreenWithoutProgramsAsksToClearAndNoSendsNothing)
{
    int runs = 0;
    support::SeamScope seams;
    countRuns(seams.frame(), runs);
    FrameHarness h("UI_EN.rcc");
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    tagItemData* screen = h.core.GetScreen(0);
    frametest::bindTcp(screen, peer.port());
    h.list()->SelectNode(screen);

    seams.nextAnswer(QMessageBox::No);
    h.frame->OnCommand(32771);
    EXPECT_EQ(controls::MessageBox::lastText(), S(57356));
    QTest::qWait(50);
    EXPECT_TRUE(peer.received().empty());

    seams.nextAnswer(QMessageBox::Yes);
    h.frame->OnCommand(32771);
    ASSERT_TRUE(controller.waitForBlocks(1));
    EXPECT_EQ(controller.clears(), 1);
    EXPECT_EQ(runs, 0);
}

TEST(SendPrograms, AnItemTooLargeForAControllerIsNamedAndNothingGoesOut)
{
    int runs = 0;
    int exports = 0;
    QTemporaryDir dir;
    support::SeamScope seams;
    countRuns(seams.frame(), runs);
    seams.frame().usbExport = [&](QWidget*, tagItemData*, spine::UsbExportChoice& choice) {
        ++exports;
        choice.folder = dir.path();
        choice.options = 1;
        return 1;
    };
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    h.core.ChangeItemRect(section, 0, 0, 64, 32);
    tagItemData* ticker = h.core.AddItem(IT_SINGLELINE, u"Long ticker", section, nullptr);
    // Far more than the 65,535 columns a controller can be told of.
    records::SetItemText(ticker, QString(12000, u'W'));
    h.core.Paint(ticker);
    h.frame->Panel()->InsertItemTree(screen);
    h.list()->SelectNode(screen);

    seams.nextAnswer(QMessageBox::Ok);
    h.frame->OnCommand(32771);
    EXPECT_EQ(controls::MessageBox::lastText(), S(63030).arg(QStringLiteral("Long ticker")));
    EXPECT_EQ(runs, 0);

    seams.nextAnswer(QMessageBox::Ok);
    h.frame->OnCommand(33025);
    EXPECT_EQ(exports, 1);
    EXPECT_EQ(controls::MessageBox::lastText(), S(63030).arg(QStringLiteral("Long ticker")));
    EXPECT_FALSE(QFile::exists(dir.filePath("program.dat")));

    // Once it fits, the send goes on.
    records::SetItemText(ticker, QStringLiteral("short"));
    h.core.Paint(ticker);
    EXPECT_EQ(h.frame->Commands().sendScreenPrograms(screen), 1);
    EXPECT_EQ(runs, 1);
}

TEST(SendPrograms, ToEveryControllerTheScreenKeepsItsOwnSetting)
{
    std::optional<LinkSettings> seen;
    tagItemData* during = reinterpret_cast<tagItemData*>(1);
    int runs = 0;
    support::SeamScope seams;
    countRuns(seams.frame(), runs, [&](tagItemData* s, const LinkSettings* link) {
        during = s->Global.TargetScreen;
        if (link)
            seen = *link;
    });
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* wnd = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    h.core.AddItem(IT_TEXT, u"t", wnd, nullptr);
    EXPECT_EQ(platform::sendMessage(h.frame.get(), spine::WM_SEND_PROGRAMS, reinterpret_cast<platform::WPARAM>(screen), -1), 0);
    EXPECT_EQ(runs, 1);
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->Address, 255);
    EXPECT_EQ(seen->Mode, screen->Global.CommType);
    EXPECT_EQ(during, nullptr);
    EXPECT_EQ(screen->Global.TargetScreen, nullptr);
}

TEST(SendPrograms, ThroughAnotherScreenTheScreenKeepsItsOwnSetting)
{
    std::optional<LinkSettings> seen;
    tagItemData* during = nullptr;
    int runs = 0;
    support::SeamScope seams;
    countRuns(seams.frame(), runs, [&](tagItemData* s, const LinkSettings* link) {
        during = s->Global.TargetScreen;
        if (link)
            seen = *link;
    });
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* wnd = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    h.core.AddItem(IT_TEXT, u"t", wnd, nullptr);
    tagItemData* other = h.core.AddItem(IT_SCREEN, u"Other", nullptr, screen);
    other->Global.CommType = COMM_NETWORK;
    other->Global.ID = 7;
    other->Global.HostPort = 4321;
    // Stored with broadcast, and saved so.
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    CPanelView* panel = static_cast<CEditorScreenPanel*>(h.list())->View();
    ASSERT_TRUE(panel->SaveScreen(screen, true));
    ASSERT_EQ(panel->IsScreenModified(screen), 0);
    // The tree's "send through" posts this message.
    platform::postMessage(h.frame.get(), spine::WM_SEND_PROGRAMS, reinterpret_cast<platform::WPARAM>(screen),
                          reinterpret_cast<platform::LPARAM>(other));
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs == 1; }, 2000));
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->Mode, std::uint32_t(COMM_NETWORK));
    EXPECT_EQ(seen->Address, 7);
    EXPECT_EQ(seen->HostPort, 4321);
    EXPECT_EQ(during, TARGET_SCREEN_NONE);
    EXPECT_EQ(screen->Global.TargetScreen, TARGET_SCREEN_NONE);
    EXPECT_EQ(panel->IsScreenModified(screen), 0);
}

TEST(MainFrame, TheWizardsStarterProgramSplitsTheScreenIntoTwoTextWindows)
{
    FrameHarness h;
    tagItemData* header = h.core.CreateItemHeader();
    tagItemData* screen = h.core.AddItem(IT_SCREEN, u"new", header, nullptr);
    screen->Global.Width = 64;
    screen->Global.Height = 32;
    EXPECT_EQ(platform::sendMessage(h.frame.get(), spine::WM_WIZARD_FINISH, reinterpret_cast<platform::WPARAM>(screen), 1), 0);
    EXPECT_EQ(h.screenCount(), 2);
    ASSERT_NE(screen->FirstChild, nullptr);
    tagItemData* scene = screen->FirstChild;
    EXPECT_EQ(scene->Scene.TypeCode, IT_SCENE);
    tagItemData* a = scene->FirstChild;
    ASSERT_TRUE(a && a->NextSibling);
    tagItemData* b = a->NextSibling;
    EXPECT_EQ(a->Section.WndKind, IT_WND_TEXT);
    EXPECT_EQ(QRect(a->Section.RectX, a->Section.RectY, a->Section.RectW, a->Section.RectH), QRect(0, 0, 48, 32));
    EXPECT_EQ(QRect(b->Section.RectX, b->Section.RectY, b->Section.RectW, b->Section.RectH), QRect(48, 0, 16, 32));
    ASSERT_TRUE(a->FirstChild && b->FirstChild);
    EXPECT_EQ(a->FirstChild->Item.TypeCode, IT_TEXT);
    EXPECT_EQ(a->FirstChild->InEffect, 3);
    EXPECT_EQ(b->FirstChild->InEffect, 1);
    EXPECT_NE(h.frame->FindItemWindow(screen), nullptr);
    h.core.DeleteItem(header);
}

TEST(MainFrame, TheUpdaterGetsVersionTitleAndTheCheckOnlyFlag)
{
    QStringList started;
    support::SeamScope s;
    s.frame().startDetached = [&started](const QString& program, const QStringList& args) {
        started << program + u'|' + args.join(u'|');
        return true;
    };
    FrameHarness h("UI_EN.rcc");
    h.frame->OnCommand(32999);
    h.frame->OnCommand(32998);
    ASSERT_EQ(started.size(), 2);
    const QString prefix = QCoreApplication::applicationDirPath() + QStringLiteral("/upgrade|") + GetFileVersionText()
                         + u';' + h.frame->windowTitle();
    EXPECT_EQ(started[0], prefix + QStringLiteral(";-ONLYCHECK"));
    EXPECT_EQ(started[1], prefix);
}

TEST(MainFrame, LanguageChangeRestartsOnlyWhenThePackChangesAndARefusedCloseKeepsTheOld)
{
    {
        FrameHarness h("UI_EN.rcc", true, 0x0804);
        h.app->Settings().language = 4;
        h.frame->show();
        h.frame->OnCommand(32848);   // automatic is Simplified Chinese here too
        EXPECT_EQ(h.app->Settings().language, 255);
        EXPECT_FALSE(h.app->Restart());
        EXPECT_TRUE(h.frame->isVisible());

        h.frame->OnCommand(32851);
        EXPECT_EQ(h.app->Settings().language, 9);
        EXPECT_TRUE(h.app->Restart());
        EXPECT_FALSE(h.frame->isVisible());
    }
    {
        FrameHarness h;
        h.frame->show();
        // The operator keeps the screens open when asked.
        h.app->Settings().isQuitNote = 1;
        support::ModalRunner keep([](QWidget* m) { static_cast<QDialog*>(m)->reject(); });
        h.frame->OnCommand(32849);
        EXPECT_TRUE(keep.answered());
        EXPECT_EQ(h.app->Settings().language, 9);
        EXPECT_FALSE(h.app->Restart());
        EXPECT_TRUE(h.frame->isVisible());
        EXPECT_TRUE(h.frame->CommandAction(32851)->isChecked());
    }
}

TEST(MainFrame, TheToolbarsCommandHidesAndShowsTheBars)
{
    FrameHarness h;
    h.frame->show();
    h.frame->OnCommand(59392);
    EXPECT_FALSE(h.frame->MainToolBar()->isVisible());
    EXPECT_FALSE(h.frame->CommandAction(59392)->isChecked());
    h.frame->OnCommand(59392);
    EXPECT_TRUE(h.frame->ItemKindBar()->isVisible());
}

TEST(MainFrame, ItemKindButtonsAddScenesAndSectionsToTheSelection)
{
    FrameHarness h;
    h.frame->show();
    tagItemData* screen = h.core.GetScreen(0);
    h.list()->SelectNode(screen);
    QTest::mouseClick(support::findByControlId<QWidget>(h.frame->ItemKindBar(), 6122), Qt::LeftButton);
    ASSERT_NE(screen->FirstChild, nullptr);
    EXPECT_EQ(screen->FirstChild->Scene.TypeCode, IT_SCENE);
    QTest::mouseClick(support::findByControlId<QWidget>(h.frame->ItemKindBar(), 6124), Qt::LeftButton);
    ASSERT_NE(screen->FirstChild->FirstChild, nullptr);
    EXPECT_EQ(screen->FirstChild->FirstChild->Section.WndKind, IT_WND_TEXT);
}

TEST(MainFrame, CommProgressFromAWorkerReachesTheStatusBar)
{
    FrameHarness h;
    std::unique_ptr<QThread> worker(QThread::create([&h] {
        CoreCallBack cb = h.core.GetCommCallBack();
        std::u16string name(u"/dev/ttyS9");
        cb(18, CBE_PROGRESS, 100);
        cb(1, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(name.c_str()));
        name.assign(name.size(), u'?');
        cb(21, CBE_DONE, 12);
    }));
    worker->start();
    ASSERT_TRUE(worker->wait(2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.frame->StatusText(2) == S(44015).arg(12); }, 2000));
    EXPECT_EQ(h.frame->StatusText(2), S(44015).arg(12));
    EXPECT_EQ(h.frame->StatusText(1), S(44010).arg(QStringLiteral("/dev/ttyS9")));
    platform::sendMessage(h.frame.get(), spine::WM_STATUS_IDLE);
    EXPECT_EQ(h.frame->StatusText(1), S(59150));
}

TEST(MainFrame, EachJobsOutcomeReplacesTheLastOnesInTheStatusBar)
{
    FrameHarness h;
    const CoreCallBack comm = h.core.GetCommCallBack();
    const auto panes = [&h] { return std::pair(h.frame->StatusText(1), h.frame->StatusText(2)); };
    // A send's last block, reported as a transfer reports: its result and
    // its word stand side by side.
    comm(1, CBE_PROGRESS, 0);
    comm(1, CBE_DONE, 0);
    comm(1, CBE_PROGRESS, 100);
    EXPECT_EQ(panes(), std::pair(S(44000), S(44019)));
    // A USB file written next: the link pane no longer speaks of the send.
    spine::CoreRelay::fileTrampoline(1, UFE_WRITTEN, 0);
    EXPECT_EQ(panes(), std::pair(S(59150), S(44504)));
    // Hardware settings sent next: the file's word goes.
    comm(16, CBE_PROGRESS, 0);
    comm(16, CBE_PROGRESS, 100);
    EXPECT_EQ(panes(), std::pair(S(44001), S(59151)));
    // A version read, then the same request unanswered, then a link that
    // does not open: each replaces the one before.
    comm(19, CBE_PROGRESS, 0);
    comm(19, CBE_DONE, 0);
    comm(19, CBE_PROGRESS, 100);
    EXPECT_EQ(panes(), std::pair(S(44003), S(44004)));
    comm(19, CBE_PROGRESS, 0);
    comm(19, CBE_NO_REPLY, 0);
    EXPECT_EQ(panes(), std::pair(S(44008), S(59151)));
    const std::u16string port(u"/dev/ttyS4");
    comm(19, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(port.c_str()));
    EXPECT_EQ(panes(), std::pair(S(44010).arg(QStringLiteral("/dev/ttyS4")), S(59151)));
}

TEST(MainFrame, ScreenshotsWithTwoScreensOpenInEachLanguage)
{
    const char* packs[] = {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"};
    const char* names[] = {"en", "cn", "tw"};
    for (int i = 0; i < 3; ++i) {
        FrameHarness h(packs[i], false);
        const QString a = h.writeProgramList(QStringLiteral("Lobby"));
        const QString b = h.writeProgramList(QStringLiteral("Window"), 96, 16);
        h.app->Settings().screens.savePath = {a, b};
        ASSERT_TRUE(h.frame->OnCreate());
        ASSERT_EQ(h.screenCount(), 2);
        for (tagItemData* s = h.core.GetScreen(0); s; s = s->NextSibling)
            if (s->FirstChild) {
                QImage red(PreviewSizeOf(s->FirstChild), QImage::Format_RGB32);
                red.fill(QColor(200, 40, 40));
                SetNodePicture(s->FirstChild, red);
            }
        h.frame->resize(1000, 700);
        h.frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
        h.frame->MdiArea()->tileSubWindows();
        QTest::qWait(30);
        // Labelled in the pack's language.
        auto* send = support::findByControlId<QToolButton>(h.frame->MainToolBar(), 32771);
        ASSERT_NE(send, nullptr);
        EXPECT_EQ(send->text(), S(32771).section(u'\n', 1));
        EXPECT_FALSE(send->text().isEmpty());
        EXPECT_EQ(h.frame->StatusText(1), S(59150)) << names[i];
        EXPECT_EQ(h.frame->MdiArea()->subWindowList().size(), 2);
        const QString dir = QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + QStringLiteral("/shell");
        QDir().mkpath(dir);
        EXPECT_TRUE(h.frame->grab().save(dir + QStringLiteral("/mainframe_%1.png").arg(QLatin1String(names[i]))));
    }
}

TEST(MainFrame, SettingsCommandsPassTheRightsCheckFirst)
{
    bool allow = false;
    QList<int> asked, opened;
    support::SeamScope s;
    s.frame().accessGate = [&](int id, QWidget*) {
        asked << id;
        return allow;
    };
    s.frame().hardwareSettings = [&](QWidget*, tagItemData*) { opened << 32876; return 1; };
    s.frame().wizard = [&](QWidget*) { opened << 32853; return 1; };
    s.frame().softwareSettings = [&](QWidget*) { opened << 32875; return 1; };
    FrameHarness h("UI_EN.rcc");
    h.list()->SelectNode(h.core.GetScreen(0));
    h.frame->OnCommand(32876);
    h.frame->OnCommand(32853);
    EXPECT_EQ(asked, (QList<int>{32876, 32853}));
    EXPECT_TRUE(opened.isEmpty());
    allow = true;
    h.frame->OnCommand(32876);
    h.frame->OnCommand(32853);
    EXPECT_EQ(opened, (QList<int>{32876, 32853}));
    // The software settings need no rights.
    h.frame->OnCommand(32875);
    EXPECT_EQ(asked.size(), 4);
    EXPECT_EQ(opened.value(2), 32875);
}

TEST(MainFrame, ThePaneFollowsALinkThatADialogOfTheFrameChanged)
{
    support::SeamScope s;
    s.frame().accessGate = [](int, QWidget*) { return true; };
    s.frame().networkSettings = [](QWidget*, tagItemData* screen) {
        frametest::bindTcp(screen, 9000);
        return 1;
    };
    tagItemData* target = nullptr;
    s.frame().wizard = [&target](QWidget*) {
        target->Global.CommType = COMM_SERIAL;
        return 1;
    };
    FrameHarness h("UI_EN.rcc");
    target = h.core.GetScreen(0);
    ASSERT_TRUE(h.list()->SelectNode(target));
    auto* comm = h.frame->PropertyPane()->findChild<panels::CPropertyScreenComm*>();
    ASSERT_NE(comm, nullptr);
    auto* linkType = support::findByControlId<QComboBox>(comm, panels::CPropertyScreenComm::IdLinkType);
    ASSERT_NE(linkType, nullptr);
    ASSERT_EQ(comm->shownLinkType(), COMM_SERIAL);
    h.frame->OnCommand(32994);   // network settings
    EXPECT_EQ(comm->shownLinkType(), COMM_NETWORK);
    EXPECT_EQ(linkType->currentIndex(), COMM_NETWORK);
    auto* port = support::findByControlId<QLineEdit>(comm, panels::CPropertyScreenComm::IdPort);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->text(), QStringLiteral("9000"));
    h.frame->OnCommand(32853);   // wizard
    EXPECT_EQ(comm->shownLinkType(), COMM_SERIAL);
    EXPECT_EQ(linkType->currentIndex(), COMM_SERIAL);
}

TEST(MainFrame, AQuitAskedForWhileAJobRunsIsKeptAndDoneWhenTheJobEnds)
{
    FrameHarness h;
    h.frame->show();
    std::atomic<bool> release{false};
    bool visibleAfterQuit = false;
    QTimer::singleShot(10, h.frame.get(), [&] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
        visibleAfterQuit = h.frame->isVisible();
        QTimer::singleShot(30, [&] { release = true; });
    });
    h.frame->Port().runJob([&](CCore&) {
        while (!release)
            QThread::msleep(2);
        return 5;
    });
    EXPECT_TRUE(release);
    EXPECT_TRUE(visibleAfterQuit);   // the job went on
    EXPECT_TRUE(QTest::qWaitFor([&] { return !h.frame->isVisible(); }, 2000));
    // The quit stays asked for until an application loop ends: run one, so
    // that later tests' loops run again.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    QEventLoop probe;
    QTimer::singleShot(0, &probe, [&probe] { probe.exit(3); });
    EXPECT_EQ(probe.exec(), 3);
}

TEST(MainFrame, SearchResultsJoinTheTreeNamedAndCountedByLink)
{
    support::SeamScope s;
    std::intptr_t argument = -1;
    CCore* core = nullptr;
    s.frame().runTask = [&](QWidget*, int task, tagItemData*, std::intptr_t arg) {
        EXPECT_EQ(task, dialogs::TASK_SEARCH);
        argument = arg;
        // What a search finds: screens added after the open ones.
        tagItemData* last = core->GetScreen(0);
        const std::uint32_t links[] = {COMM_SERIAL, COMM_NETWORK, COMM_NETWORK};
        for (std::uint32_t link : links) {
            last = core->AddItem(IT_SCREEN, nullptr, nullptr, last);
            last->Global.CommType = link;
        }
        return 1;
    };
    FrameHarness h("UI_EN.rcc", false);
    core = &h.core;
    ASSERT_TRUE(h.frame->OnCreate());
    platform::sendMessage(h.frame.get(), spine::WM_SEARCH_SCREENS, 0, 0);
    EXPECT_EQ(argument, std::intptr_t(1) << 16);
    EXPECT_EQ(h.screenCount(), 4);
    EXPECT_EQ(h.frame->StatusText(2), S(48225).arg(3).arg(1).arg(0).arg(2));
    for (tagItemData* n = h.core.GetScreen(1); n; n = n->NextSibling) {
        EXPECT_FALSE(QString::fromUtf16(n->Name).isEmpty());
        EXPECT_NE(h.frame->FindItemWindow(n), nullptr);
    }
}

// Reading the found screens' hardware is a job of the task dialog, never a
// call on the interface thread; its cancel still takes the screens in.
TEST(MainFrame, ASearchReadsTheFoundScreensHardwareAsAJob)
{
    support::SeamScope s;
    std::vector<std::pair<int, std::intptr_t>> tasks;
    CCore* core = nullptr;
    s.frame().runTask = [&](QWidget*, int task, tagItemData*, std::intptr_t arg) {
        tasks.emplace_back(task, arg);
        if (task == dialogs::TASK_SEARCH)
            core->AddItem(IT_SCREEN, nullptr, nullptr, core->GetScreen(0))->Global.CommType = COMM_NETWORK;
        return task == dialogs::TASK_SEARCH ? 1 : 2;   // the read is cancelled
    };
    FrameHarness h("UI_EN.rcc", false);
    core = &h.core;
    ASSERT_TRUE(h.frame->OnCreate());
    platform::sendMessage(h.frame.get(), spine::WM_SEARCH_SCREENS, 0, 1);
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1], std::make_pair(int(dialogs::TASK_READ_HARDWARE), std::intptr_t(1)));
    EXPECT_EQ(h.screenCount(), 2);
    EXPECT_NE(h.frame->FindItemWindow(h.core.GetScreen(1)), nullptr);
}

// The frame's one-screen requests wait seconds on a silent controller: each
// runs as a task-dialog job. A read that fails leaves the screen as it was.
TEST(MainFrame, ScreenRequestsRunAsJobsAndAFailedReadChangesNothing)
{
    support::SeamScope s;
    std::vector<int> kinds;
    int result = 1;
    s.frame().runTask = [&](QWidget*, int task, tagItemData* screen, std::intptr_t) {
        kinds.push_back(task);
        if (task == dialogs::TASK_READ_SCREEN)
            screen->Global.RemoteVersion = 0x7777;   // what a read that went half way leaves
        return result;
    };
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    h.list()->SelectNode(screen);
    for (unsigned id : {32777u, 32895u, 32896u})
        h.frame->OnCommand(id);
    EXPECT_EQ(kinds, (std::vector<int>{dialogs::TASK_ADJUST_TIME, dialogs::TASK_DISPLAY_ON, dialogs::TASK_DISPLAY_OFF}));
    screen->Global.RemoteVersion = 5;
    result = 2;
    h.frame->OnCommand(32813);
    EXPECT_EQ(kinds.back(), dialogs::TASK_READ_SCREEN);
    EXPECT_EQ(screen->Global.RemoteVersion, 5u);
    result = 1;
    h.frame->OnCommand(32813);
    EXPECT_EQ(screen->Global.RemoteVersion, 0x7777u);
}

// A tree command through another screen's link runs as a task-dialog job:
// the window keeps answering while that slow controller replies, the command
// reaches it, and the screen's own link setting comes back after the job.
TEST(MainFrame, ATreeCommandThroughAnotherScreensLinkRunsAsAJob)
{
    sim::SimController own, other;
    sim::Faults late;
    late.lateMs = 150;
    other.setFaults(late);
    sim::TcpPeer ownPeer(own), otherPeer(other);
    FrameHarness h;
    tagItemData* screen = h.core.GetScreen(0);
    ASSERT_NE(screen, nullptr);
    tagItemData* relay = h.core.AddItem(IT_SCREEN, u"Relay", nullptr, screen);
    frametest::bindTcp(screen, ownPeer.port());
    frametest::bindTcp(relay, otherPeer.port());
    screen->Global.ID = own.address();
    relay->Global.ID = other.address();
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    bool upDuringJob = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { upDuringJob = upDuringJob || dialogs::CTaskDlg::LiveTaskDialog(); });
    watch.start(5);
    support::Heartbeat heartbeat;
    h.tree()->OnMenuCommand(32967, screen, relay, 2);   // reset, through the relay
    heartbeat.stop();
    EXPECT_TRUE(upDuringJob);
    EXPECT_ANSWERED(heartbeat);
    EXPECT_EQ(dialogs::CTaskDlg::LiveTaskDialog(), nullptr);
    EXPECT_EQ(other.resets(), 1);
    EXPECT_EQ(own.resets(), 0);
    EXPECT_EQ(screen->Global.TargetScreen, TARGET_SCREEN_NONE);
}

TEST(MainFrame, AFoundControllerNamesItsAddressAndAHardwareChangeRefitsTheScreen)
{
    int result = 1;
    support::SeamScope s;
    s.frame().runTask = [&](QWidget*, int task, tagItemData*, std::intptr_t) {
        EXPECT_EQ(task, dialogs::TASK_FIND_SCREEN);
        return result;
    };
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    screen->Global.ID = 17;
    platform::sendMessage(h.frame.get(), spine::WM_SCREEN_RECONNECT, reinterpret_cast<platform::WPARAM>(screen));
    EXPECT_EQ(h.frame->StatusText(1), S(44015).arg(17));
    result = 2;
    platform::sendMessage(h.frame.get(), spine::WM_SCREEN_RECONNECT, reinterpret_cast<platform::WPARAM>(screen));
    EXPECT_EQ(h.frame->StatusText(1), S(59150));

    // The settings dialog wrote a new size into the block; the old copy comes along.
    screen->Global.Width = 64;
    screen->Global.Height = 32;
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* wnd = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    h.core.ChangeItemRect(wnd, 0, 0, 64, 32);
    auto old = std::make_unique<tagGlobalInfo>();
    *old = screen->Global;
    screen->Global.Width = 32;
    screen->Global.Height = 16;
    EXPECT_EQ(platform::sendMessage(h.frame.get(), spine::WM_SCREEN_HWCHANGED, reinterpret_cast<platform::WPARAM>(screen),
                                    reinterpret_cast<platform::LPARAM>(old.get())),
              0);
    EXPECT_EQ(screen->Global.Width, 32);
    EXPECT_EQ(screen->Global.Height, 16);
    EXPECT_LE(wnd->Section.RectX + wnd->Section.RectW, 32);
    EXPECT_LE(wnd->Section.RectY + wnd->Section.RectH, 16);
}

TEST(MainFrame, TheThumbnailKeepsToTheBottomRightCorner)
{
    FrameHarness h;
    h.frame->show();
    auto* thumb = new QWidget;
    thumb->resize(100, 80);
    h.frame->SetThumbnail(thumb);
    for (QSize size : {QSize(900, 650), QSize(1100, 760)}) {
        h.frame->resize(size);
        QTest::qWait(20);
        const QRect area = h.frame->MdiArea()->viewport()->rect();
        EXPECT_EQ(thumb->geometry().bottomRight(), area.bottomRight());
        EXPECT_EQ(thumb->size(), QSize(100, 80));
    }
}

TEST(MainFrame, TheSoftwareSettingsDialogOpensFromItsCommandAndAppliesItsOptions)
{
    FrameHarness h;
    h.app->Settings().isQuitNote = 0;
    support::ModalRunner runner([](QWidget* m) {
        // Tick "ask before quitting", then OK.
        auto* quitNote = support::findByControlId<QCheckBox>(m, 6313);
        ASSERT_NE(quitNote, nullptr);
        quitNote->setChecked(true);
        QTest::mouseClick(support::findByControlId<QPushButton>(m, 6276), Qt::LeftButton);
    });
    h.frame->OnCommand(32875);
    EXPECT_TRUE(runner.answered());
    EXPECT_EQ(h.app->Settings().isQuitNote, 1);
}

TEST(MainFrame, TheWizardNewScreenBulkSendAndUsbCommandsOpenTheirDialogs)
{
    support::SeamScope rights;
    rights.frame().accessGate = [](int, QWidget*) { return true; };
    FrameHarness h("UI_EN.rcc");
    h.frame->show();
    ASSERT_TRUE(h.list()->SelectNode(h.core.GetScreen(0)));
    const struct {
        unsigned command;
        const char* dialog;
    } cases[] = {{57600, "dialogs::CNewScreenDlg"},
                 {32853, "dialogs::CWizard"},
                 {33031, "dialogs::CSettingBulkProgram"},
                 {32797, "dialogs::CUFileConfigDlg"},
                 {33025, "dialogs::CUFileConfigDlg"}};
    for (const auto& c : cases) {
        h.frame->ShowTip(QStringLiteral("-"));
        support::ModalRunner runner([](QWidget* m) { m->close(); });
        EXPECT_TRUE(h.frame->OnCommand(c.command));
        EXPECT_TRUE(runner.answered()) << c.command;
        EXPECT_EQ(runner.answeredClass(), QLatin1String(c.dialog)) << c.command;
        EXPECT_NE(tipText(*h.frame), S(48290)) << c.command;
    }
    // The new-screen dialog was cancelled: no screen was added.
    EXPECT_EQ(h.screenCount(), 1);
}

TEST(MainFrame, TheThumbnailSitsHiddenInTheScreenAreaAndIsTheCanvasesThumbnail)
{
    FrameHarness h;
    h.frame->show();
    auto* thumb = h.frame->MdiArea()->viewport()->findChild<shell::CThumbnail*>();
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(h.frame->Port().thumbnailReceiver(), thumb);
    EXPECT_FALSE(thumb->isVisible());
    h.frame->resize(1000, 700);
    QTest::qWait(20);
    EXPECT_EQ(thumb->geometry().bottomRight(), h.frame->MdiArea()->viewport()->rect().bottomRight());
    thumb->showThumbnail(64, 32, nullptr);
    EXPECT_TRUE(thumb->isVisible());
}

TEST(MainFrame, AStatusTextLongerThanItsPaneEndsInAnEllipsisAndShowsWholeAsATip)
{
    FrameHarness h;
    h.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
    QLabel* pane = h.frame->StatusPane(1);
    ASSERT_NE(pane, nullptr);
    // Longer than the whole bar: the pane widens as far as the bar allows,
    // and what still does not fit ends in an ellipsis.
    const QString whole = QStringLiteral("Hardware settings sent to the controller at address 12. ").repeated(8);
    pane->setText(whole);
    QCoreApplication::processEvents();
    EXPECT_GE(pane->width(), 125);
    EXPECT_LE(pane->geometry().right(), h.frame->statusBar()->width());
    EXPECT_EQ(h.frame->StatusText(1), whole);
    const auto tipOver = [pane] {
        QHelpEvent tip(QEvent::ToolTip, pane->rect().center(), pane->mapToGlobal(pane->rect().center()));
        QCoreApplication::sendEvent(pane, &tip);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipOver(), whole);
    // What is drawn is the start of the text with an ellipsis, where a
    // label would put it.
    const QImage drawn = pane->grab().toImage();
    const int indent = pane->fontMetrics().horizontalAdvance(u'x') / 2;
    const int room = pane->contentsRect().width() - 2 * pane->margin() - indent;
    const QString cut = pane->fontMetrics().elidedText(whole, Qt::ElideRight, room);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    pane->setText(cut);
    EXPECT_EQ(pane->grab().toImage(), drawn);
    // A text that fits needs no tip.
    pane->setText(QStringLiteral("Ready"));
    tipOver();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

TEST(MainFrame, OpeningAFileIntoAScreenRetitlesItsWindowAndFitsItToTheNewSize)
{
    FrameHarness h;
    support::SeamScope seams;
    tagItemData* first = h.core.GetScreen(0);
    tagItemData* second = h.core.AddItem(IT_SCREEN, u"Screen2", nullptr, first);
    h.frame->Panel()->InsertItemTree(second);
    ASSERT_EQ(h.frame->OpenScreenWindow(second), 1);
    const QString path = h.writeProgramList(QStringLiteral("Lobby"), 128, 16);
    ASSERT_TRUE(h.list()->SelectNode(second));
    auto* child = editor::CChildFrame::ofCanvas(h.frame->FindItemWindow(second));
    ASSERT_NE(child, nullptr);
    const QSize before = child->size();

    seams.nextFileName(path);
    seams.nextAnswer(QMessageBox::No);   // the new screen was never saved
    h.frame->OnCommand(32774);
    ASSERT_EQ(QString::fromUtf16(second->Name), QStringLiteral("Lobby"));
    EXPECT_EQ(child->windowTitle(), QStringLiteral("Lobby"));
    EXPECT_NE(editor::CChildFrame::ofCanvas(h.frame->FindItemWindow(first))->windowTitle(), QStringLiteral("Lobby"));
    EXPECT_NE(child->size(), before);
}

TEST(MainFrame, ShortRequestsEndWithTheirWordInTheStatusBarAndAPreviewWithoutScenesSaysWhy)
{
    for (const char* pack : {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"}) {
        sim::SimController controller;
        sim::TcpPeer peer(controller);
        FrameHarness h(pack);
        support::SeamScope seams;
        tagItemData* screen = h.core.GetScreen(0);
        frametest::bindTcp(screen, peer.port());
        spine::notices().changed(screen, spine::NodeChange::Link);   // as a command changing the link would
        ASSERT_TRUE(h.list()->SelectNode(screen));
        const auto shows = [&](int pane, const QString& text) {
            return QTest::qWaitFor([&] { return h.frame->StatusText(pane) == text; }, 3000);
        };
        for (unsigned id : {32895u, 32896u, 32777u}) {   // display on, off, time adjust
            platform::sendMessage(h.frame.get(), spine::WM_STATUS_IDLE);
            h.frame->OnCommand(id);
            EXPECT_TRUE(shows(1, S(id == 32777u ? 44002 : 44018))) << id << ": " << h.frame->StatusText(1).toStdString();
        }
        h.frame->show();
        QCoreApplication::processEvents();
        const QString tag = QString::fromLatin1(pack).mid(3, 2).toLower();
        EXPECT_TRUE(support::saveScreenshot(*h.frame, QStringLiteral("shell"), QStringLiteral("status_after_job_") + tag));

        int previews = 0;
        seams.frame().preview = [&previews](QWidget*, tagItemData*, int, int) { return ++previews; };
        seams.nextAnswer(QMessageBox::Ok);
        h.frame->OnCommand(32798);
        EXPECT_EQ(controls::MessageBox::lastText(), S(48303));
        EXPECT_FALSE(S(48303).isEmpty());
        EXPECT_EQ(previews, 0);
    }
}

// Moving the keyboard focus selects nothing: Tab and Shift+Tab from the
// communication panel's Port field walk past the other screen's window
// without activating it, so the tree stays on this screen and the next send
// goes to its controller.
TEST(MainFrame, TabFromThePortFieldKeepsTheSelectedScreen)
{
    FrameHarness h;
    h.frame->show();
    h.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.frame.get()));
    tagItemData* first = h.core.GetScreen(0);
    tagItemData* second = h.core.AddItem(IT_SCREEN, u"Screen2", nullptr, first);
    frametest::bindTcp(second, 9000);
    h.frame->Panel()->InsertItemTree(second);
    ASSERT_TRUE(h.list()->SelectNode(second));
    QCoreApplication::processEvents();
    auto* comm = h.frame->PropertyPane()->findChild<panels::CPropertyScreenComm*>();
    ASSERT_NE(comm, nullptr);
    auto* port = support::findByControlId<QLineEdit>(comm, panels::CPropertyScreenComm::IdPort);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->isVisible());
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        QTest::mouseClick(port, Qt::LeftButton);
        ASSERT_TRUE(port->hasFocus());
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QCoreApplication::processEvents();
            ASSERT_EQ(h.list()->GetSelectedScreen(), second) << "key " << key << " press " << i;
        }
    }
    EXPECT_EQ(comm->node(), second);
}
