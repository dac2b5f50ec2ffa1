// The frame's jobs: controller requests and searches run on the task
// dialog's worker, what they leave in the status bar and the tree, and a
// close or quit asked for while one runs.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

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
#include "app/dialogs/device/SettingRetrieveDlg.h"
#include "app/dialogs/task/TaskDlg.h"
#include "support/Heartbeat.h"
#include "support/ModalRunner.h"
#include "support/ModalScript.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"
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

using frametest::countRuns;
using frametest::FrameHarness;
using frametest::S;
using frametest::tipText;

namespace {

// The toolbar's Search, and in its dialog "replace the open screens"
// unticked, "read the hardware" ticked as `readHw`, then Search.
void searchKeepingTheOpenScreens(FrameHarness& h, bool readHw)
{
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    support::ModalScript script;
    script.expect(QStringLiteral("dialogs::CSettingRetrieveDlg"), [readHw](QWidget* m) {
        using Dlg = dialogs::CSettingRetrieveDlg;
        auto* replace = support::findByControlId<QCheckBox>(m, Dlg::IDC_REPLACE);
        auto* read = support::findByControlId<QCheckBox>(m, Dlg::IDC_READ_HW);
        ASSERT_TRUE(replace && read);
        if (replace->isChecked())
            support::click(replace);
        if (read->isChecked() != readHw)
            support::click(read);
        EXPECT_FALSE(replace->isChecked());
        EXPECT_EQ(read->isChecked(), readHw);
        QTest::mouseClick(support::findByControlId<QAbstractButton>(m, Dlg::IDC_SEARCH), Qt::LeftButton);
    });
    ASSERT_TRUE(operatorroad::toolButton(*h.frame, ID_SEARCH));
    EXPECT_EQ(script.pending(), 0);
}

} // namespace

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
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.frame->Status().Text(2) == S(44015).arg(12); }, 2000));
    EXPECT_EQ(h.frame->Status().Text(2), S(44015).arg(12));
    EXPECT_EQ(h.frame->Status().Text(1), S(44010).arg(QStringLiteral("/dev/ttyS9")));
    platform::sendMessage(h.frame.get(), spine::WM_STATUS_IDLE);
    EXPECT_EQ(h.frame->Status().Text(1), S(59150));
}

TEST(MainFrame, EachJobsOutcomeReplacesTheLastOnesInTheStatusBar)
{
    FrameHarness h;
    const CoreCallBack comm = h.core.GetCommCallBack();
    const auto panes = [&h] { return std::pair(h.frame->Status().Text(1), h.frame->Status().Text(2)); };
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
    spine::SearchRange range{-1, -1};
    CCore* core = nullptr;
    s.frame().runTask = [&](QWidget*, const spine::TaskRequest& request) {
        EXPECT_EQ(request.kind, dialogs::TASK_SEARCH);
        range = request.range();
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
    searchKeepingTheOpenScreens(h, false);
    // The search runs from the message the dialog posted.
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.screenCount() == 4; }, 2000));
    EXPECT_EQ(range, (spine::SearchRange{1, 0}));
    EXPECT_EQ(h.screenCount(), 4);
    EXPECT_EQ(h.frame->Status().Text(2), S(48225).arg(3).arg(1).arg(0).arg(2));
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
    std::vector<std::pair<int, int>> tasks;
    CCore* core = nullptr;
    s.frame().runTask = [&](QWidget*, const spine::TaskRequest& request) {
        tasks.emplace_back(request.kind, request.firstScreen());
        if (request.kind == dialogs::TASK_SEARCH)
            core->AddItem(IT_SCREEN, nullptr, nullptr, core->GetScreen(0))->Global.CommType = COMM_NETWORK;
        return request.kind == dialogs::TASK_SEARCH ? 1 : 2;   // the read is cancelled
    };
    FrameHarness h("UI_EN.rcc", false);
    core = &h.core;
    ASSERT_TRUE(h.frame->OnCreate());
    searchKeepingTheOpenScreens(h, true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tasks.size() == 2; }, 2000));
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1], std::make_pair(int(dialogs::TASK_READ_HARDWARE), 1));
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
    s.frame().runTask = [&](QWidget*, const spine::TaskRequest& request) {
        kinds.push_back(request.kind);
        // What the dialog stores of a read that came; one that failed stores nothing.
        if (request.kind == dialogs::TASK_READ_SCREEN && result == 1)
            request.screen->Global.RemoteVersion = 0x7777;
        return result;
    };
    FrameHarness h("UI_EN.rcc");
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    tagItemData* screen = h.core.GetScreen(0);
    ASSERT_TRUE(operatorroad::clickInTree(*h.frame, screen));
    for (unsigned id : {ID_ADJUST_TIME, ID_DISPLAY_ON, ID_DISPLAY_OFF})
        ASSERT_TRUE(operatorroad::toolButton(*h.frame, id)) << id;
    EXPECT_EQ(kinds, (std::vector<int>{dialogs::TASK_ADJUST_TIME, dialogs::TASK_DISPLAY_ON, dialogs::TASK_DISPLAY_OFF}));
    screen->Global.RemoteVersion = 5;
    result = 2;
    ASSERT_TRUE(operatorroad::toolButton(*h.frame, ID_READ_HARDWARE));
    EXPECT_EQ(kinds.back(), dialogs::TASK_READ_SCREEN);
    EXPECT_EQ(screen->Global.RemoteVersion, 5u);
    result = 1;
    ASSERT_TRUE(operatorroad::toolButton(*h.frame, ID_READ_HARDWARE));
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
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    tagItemData* screen = h.core.GetScreen(0);
    ASSERT_NE(screen, nullptr);
    tagItemData* relay = h.core.AddItem(IT_SCREEN, u"Relay", nullptr, screen);
    h.list()->InsertItemTree(relay);
    frametest::bindTcp(screen, ownPeer.port());
    frametest::bindTcp(relay, otherPeer.port());
    screen->Global.ID = own.address();
    relay->Global.ID = other.address();
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    bool upDuringJob = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { upDuringJob = upDuringJob || dialogs::CTaskDlg::LiveTaskDialog(); });
    watch.start(5);
    // Reset, through the relay: the screen's context menu, its reset submenu.
    QMenu* menu = operatorroad::treeMenu(*h.frame, screen);
    QAction* throughRelay = operatorroad::linkEntry(menu, 2, QStringLiteral("Relay"));
    ASSERT_NE(throughRelay, nullptr);
    support::Heartbeat heartbeat;
    ASSERT_TRUE(operatorroad::clickInMenu(menu, throughRelay));
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
    s.frame().runTask = [&](QWidget*, const spine::TaskRequest& request) {
        EXPECT_EQ(request.kind, dialogs::TASK_FIND_SCREEN);
        return result;
    };
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    screen->Global.ID = 17;
    platform::sendMessage(h.frame.get(), spine::WM_SCREEN_RECONNECT, reinterpret_cast<platform::WPARAM>(screen));
    EXPECT_EQ(h.frame->Status().Text(1), S(44015).arg(17));
    result = 2;
    platform::sendMessage(h.frame.get(), spine::WM_SCREEN_RECONNECT, reinterpret_cast<platform::WPARAM>(screen));
    EXPECT_EQ(h.frame->Status().Text(1), S(59150));

    // A settings dialog writes a new size by the write road: the sections fit it.
    screen->Global.Width = 64;
    screen->Global.Height = 32;
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* wnd = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    h.core.ChangeItemRect(wnd, 0, 0, 64, 32);
    spine::writeScreenBlock(h.core, screen, [screen] {
        screen->Global.Width = 32;
        screen->Global.Height = 16;
    });
    EXPECT_EQ(screen->Global.Width, 32);
    EXPECT_EQ(screen->Global.Height, 16);
    EXPECT_LE(wnd->Section.RectX + wnd->Section.RectW, 32);
    EXPECT_LE(wnd->Section.RectY + wnd->Section.RectH, 16);
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
        h.frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
        QApplication::setActiveWindow(h.frame.get());
        ASSERT_TRUE(operatorroad::clickInTree(*h.frame, screen));
        const auto shows = [&](int pane, const QString& text) {
            return QTest::qWaitFor([&] { return h.frame->Status().Text(pane) == text; }, 3000);
        };
        for (unsigned id : {ID_DISPLAY_ON, ID_DISPLAY_OFF, ID_ADJUST_TIME}) {
            platform::sendMessage(h.frame.get(), spine::WM_STATUS_IDLE);
            ASSERT_TRUE(operatorroad::toolButton(*h.frame, id)) << id;
            EXPECT_TRUE(shows(1, S(id == ID_ADJUST_TIME ? 44002 : 44018))) << id << ": " << h.frame->Status().Text(1).toStdString();
        }
        QCoreApplication::processEvents();
        const QString tag = QString::fromLatin1(pack).mid(3, 2).toLower();
        EXPECT_TRUE(support::saveScreenshot(*h.frame, QStringLiteral("shell"), QStringLiteral("status_after_job_") + tag));

        int previews = 0;
        seams.frame().preview = [&previews](QWidget*, tagItemData*, int, int) { return ++previews; };
        {
            support::ModalRunner box(operatorroad::press(QMessageBox::Ok));
            ASSERT_TRUE(operatorroad::toolButton(*h.frame, ID_PREVIEW));
        }
        EXPECT_EQ(controls::MessageBox::lastText(), S(48303));
        EXPECT_FALSE(S(48303).isEmpty());
        EXPECT_EQ(previews, 0);
    }
}
