// The task dialog driven for real: a scripted core call on the worker (one
// that reports events, blocks until released and returns a chosen result),
// and the real core sending to the simulated controller over TCP.
#include "app/spine/Messages.h"
#include "app/controls/StaticLink.h"
#include "app/dialogs/task/TaskDlg.h"
#include "core/link/LinkBase.h"
#include "core/api/Callbacks.h"
#include "core/api/Core.h"
#include "core/api/ScreenCopy.h"
#include "core/model/ItemData.h"
#include "platform/Clock.h"
#include "platform/LangPack.h"
#include "support/Heartbeat.h"
#include "support/LangPackScope.h"
#include "support/ModalRunner.h"
#include "support/Screenshots.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <gtest/gtest.h>

#include <condition_variable>
#include <thread>
#include <cstring>
#include <mutex>
#include <tuple>
#include <vector>

using namespace dialogs;

namespace {

// A core call the test steers: it reports `events` through the callback
// the core holds, waits until released, and returns `result`.
struct ScriptedCall {
    std::vector<std::tuple<unsigned, unsigned, std::uintptr_t>> events;
    std::optional<int> result = 1;
    bool block = false;
    std::atomic<int> calls{0};
    std::atomic<int> kindSeen{-1};
    std::atomic<bool> waiting{false};
    std::mutex m;
    std::condition_variable cv;
    bool released = false;
    TaskRequest seen;   // under m
    std::uintptr_t originSeen = 0;   // under m: the live screen the call's screen stands for

    CTaskDlg::CoreCall call()
    {
        return [this](CCore& core, const TaskRequest& request) -> std::optional<int> {
            ++calls;
            kindSeen = request.kind;
            {
                std::lock_guard<std::mutex> lock(m);
                seen = request;
                originSeen = CScreenCopy::OriginOf(request.screen);
            }
            for (const auto& [cmd, event, value] : events)
                if (CoreCallBack cb = core.GetCommCallBack())
                    cb(cmd, event, value);
            if (block) {
                std::unique_lock<std::mutex> lock(m);
                waiting = true;
                cv.wait(lock, [this] { return released; });
            }
            return result;
        };
    }
    TaskRequest lastSeen()
    {
        std::lock_guard<std::mutex> lock(m);
        return seen;
    }
    void release()
    {
        {
            std::lock_guard<std::mutex> lock(m);
            released = true;
        }
        cv.notify_all();
    }
};

template <typename T>
T* child(QWidget* dlg, int id)
{
    return support::findByControlId<T>(dlg, id);
}

QPushButton* closeButton(CTaskDlg& dlg) { return child<QPushButton>(&dlg, CTaskDlg::IDC_CLOSE); }
QLabel* status(CTaskDlg& dlg) { return child<QLabel>(&dlg, CTaskDlg::IDC_STATUS); }
controls::CStaticLink* cancelLink(CTaskDlg& dlg) { return child<controls::CStaticLink>(&dlg, CTaskDlg::IDC_CANCEL_TASK); }
QProgressBar* bar(CTaskDlg& dlg) { return child<QProgressBar>(&dlg, CTaskDlg::IDC_PROGRESS); }

// Opens the dialog (not blocking) and waits until it closed itself: its result,
// or -1 when it is still open after the time-out.
int openAndWaitForEnd(CTaskDlg& dlg, int timeoutMs = 4000)
{
    dlg.open();
    if (!QTest::qWaitFor([&] { return !dlg.isVisible(); }, timeoutMs))
        return -1;
    return dlg.result();
}

bool waitForFailureState(CTaskDlg& dlg, int timeoutMs = 4000)
{
    return QTest::qWaitFor([&] { return !dlg.IsBusy() && closeButton(dlg)->isVisible(); }, timeoutMs);
}

void pressKey(CTaskDlg& dlg, Qt::Key key)
{
    QTest::keyClick(&dlg, key);
    QCoreApplication::processEvents();
}

// A screen with something to send: a send of an empty one never reaches the controller.
tagItemData* screenWithProgram(CCore& core)
{
    tagItemData* screen = core.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
    core.AddItem(IT_TEXT, u"text", section, nullptr);
    return screen;
}

struct Texts {
    support::LangPackScope scope;
    Texts()
    {
        for (unsigned id : {44000u, 44005u, 44008u, 44009u, 44018u, 44020u, 44021u, 44026u, 63000u})
            scope.setString(id, QStringLiteral("s%1").arg(id));
    }
};

} // namespace

TEST(TaskDlg, ASucceedingJobEndsTheRunWith1AndRestoresTheCallback)
{
    Texts texts;
    CCore core;
    const CoreCallBack before = [](unsigned, unsigned, std::uintptr_t) {};
    core.SetCommCallBack(before);
    ScriptedCall job;
    job.result = 1234;
    job.events = {{1, CBE_START, 0}, {1, CBE_PROGRESS, 100}};
    tagItemData* screen = screenWithProgram(core);
    {
        CTaskDlg dlg(core);
        dlg.SetCoreCall(job.call());
        ASSERT_EQ(dlg.SetTask(TASK_SEND_PROGRAMS, screen), 1);
        EXPECT_EQ(openAndWaitForEnd(dlg), 1);
        EXPECT_EQ(job.calls.load(), 1);
        EXPECT_EQ(job.kindSeen.load(), TASK_SEND_PROGRAMS);
        // The worker sent a copy of the screen, never the live one.
        EXPECT_NE(job.lastSeen().screen, screen);
        EXPECT_EQ(job.originSeen, CScreenCopy::OriginOf(screen));
        EXPECT_EQ(dlg.Result(), 1234);
        EXPECT_EQ(status(dlg)->text(), "s44000");
        EXPECT_EQ(bar(dlg)->value(), 100);
        EXPECT_EQ(core.GetCommCallBack(), before);
        EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);
        // A report after the window is gone reaches nothing.
        spine::CoreRelay::commTrampoline(1, CBE_REFUSED, 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(status(dlg)->text(), "s44000");
        // Nothing is left to run: showing it again starts nothing.
        EXPECT_EQ(dlg.StartTask(), 0);
    }
}

TEST(TaskDlg, TheModalRunReturns1ThroughExec)
{
    CCore core;
    ScriptedCall job;
    job.result = 5;
    job.block = true;
    CTaskDlg dlg(core);
    dlg.SetCoreCall(job.call());
    dlg.SetTask(TaskRequest::search(2, 1));
    support::ModalRunner runner([&](QWidget* modal) {
        EXPECT_EQ(modal, &dlg);
        job.release();
    });
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(job.lastSeen().range(), (spine::SearchRange{2, 1}));
}

TEST(TaskDlg, AFailureStaysOpenWithItsTextAndOnlyCloseEscapeOrTheCloseBoxEndIt)
{
    Texts texts;
    CCore core;
    tagItemData* screen = screenWithProgram(core);
    for (int way = 0; way < 3; ++way) {
        ScriptedCall job;
        job.result = COMM_E_REFUSED;
        job.events = {{16, CBE_START, 0}, {16, CBE_REFUSED, 0}};
        CTaskDlg dlg(core);
        dlg.SetCoreCall(job.call());
        dlg.SetTask(TASK_UPGRADE, screen);
        dlg.open();
        ASSERT_TRUE(waitForFailureState(dlg));
        QTest::qWait(50);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(status(dlg)->text(), "s44009");
        EXPECT_FALSE(cancelLink(dlg)->isVisible());
        // Enter does nothing, with the Close button focused too.
        closeButton(dlg)->setFocus();
        pressKey(dlg, Qt::Key_Return);
        pressKey(dlg, Qt::Key_Enter);
        EXPECT_TRUE(dlg.isVisible());
        if (way == 0)
            QTest::mouseClick(closeButton(dlg), Qt::LeftButton);
        else if (way == 1)
            pressKey(dlg, Qt::Key_Escape);
        else
            dlg.windowHandle()->close();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 2000)) << way;
        EXPECT_EQ(dlg.result(), 2) << way;
    }
}

TEST(TaskDlg, WhileAJobRunsNothingButTheCancelLinkEndsIt)
{
    Texts texts;
    CCore core;
    tagItemData* screen = screenWithProgram(core);
    ScriptedCall job;
    job.block = true;
    job.result = COMM_E_CANCELLED;
    job.events = {{1, CBE_START, 0}, {1, CBE_PROGRESS, 30}};
    CTaskDlg dlg(core);
    dlg.SetCoreCall(job.call());
    dlg.SetTask(TASK_SEND_PROGRAMS, screen);
    dlg.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelLink(dlg)->isVisible(); }, 3000));
    EXPECT_TRUE(dlg.IsBusy());
    EXPECT_EQ(status(dlg)->text(), "s44020");
    EXPECT_EQ(bar(dlg)->value(), 30);
    EXPECT_FALSE(closeButton(dlg)->isVisible());
    EXPECT_EQ(dlg.SetTask(TASK_UPGRADE, screen), 0);
    EXPECT_EQ(dlg.Kind(), TASK_SEND_PROGRAMS);
    pressKey(dlg, Qt::Key_Escape);
    pressKey(dlg, Qt::Key_Return);
    dlg.windowHandle()->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg.isVisible());

    QTest::mouseClick(cancelLink(dlg), Qt::LeftButton);
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_FALSE(cancelLink(dlg)->isVisible());
    // A later progress report does not bring the link back.
    spine::CoreRelay::commTrampoline(1, CBE_PROGRESS, 60);
    QCoreApplication::processEvents();
    EXPECT_FALSE(cancelLink(dlg)->isVisible());
    job.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 3000));
    EXPECT_EQ(dlg.result(), 2);
}

TEST(TaskDlg, ReportsFromAnotherThreadReachTheWidgetsOnlyThroughTheGuiThread)
{
    Texts texts;
    CCore core;
    tagItemData* screen = screenWithProgram(core);
    ScriptedCall job;
    job.block = true;
    job.result = 1;
    CTaskDlg dlg(core);
    dlg.SetCoreCall(job.call());
    dlg.SetTask(TASK_SEND_PROGRAMS, screen);
    dlg.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return job.waiting.load(); }, 3000));
    QCoreApplication::processEvents();
    ASSERT_EQ(status(dlg)->text(), "s44020");
    // The report's text lives only during the call: it is copied there.
    std::thread reporter([] {
        std::u16string host = u"ctl.example";
        spine::CoreRelay::commTrampoline(1, CBE_REFUSED, 0);
        spine::CoreRelay::commTrampoline(1, CBE_PROGRESS, 70);
        spine::CoreRelay::commTrampoline(1, CBE_HOST_FAILED, reinterpret_cast<std::uintptr_t>(host.c_str()));
        host.assign(host.size(), u'x');
    });
    reporter.join();
    EXPECT_EQ(status(dlg)->text(), "s44020");   // nothing was touched from that thread
    EXPECT_EQ(bar(dlg)->value(), 0);
    texts.scope.setString(44023, QStringLiteral("host %1"));
    QCoreApplication::processEvents();
    EXPECT_EQ(bar(dlg)->value(), 70);
    EXPECT_EQ(status(dlg)->text(), "host ctl.example");
    job.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 3000));
    EXPECT_EQ(dlg.result(), 1);
}

TEST(TaskDlg, TheCancelLinkTakesTheKeyboardToo)
{
    CCore core;
    tagItemData* screen = screenWithProgram(core);
    ScriptedCall job;
    job.block = true;
    job.result = COMM_E_CANCELLED;
    job.events = {{1, CBE_PROGRESS, 10}};
    CTaskDlg dlg(core);
    dlg.SetCoreCall(job.call());
    dlg.SetTask(TASK_SEND_PROGRAMS, screen);
    dlg.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelLink(dlg)->isVisible(); }, 3000));
    cancelLink(dlg)->setFocus();   // where showing it puts the focus, if the window is active
    QTest::keyClick(cancelLink(dlg), Qt::Key_Space);
    EXPECT_TRUE(dlg.IsCancelled());
    EXPECT_FALSE(cancelLink(dlg)->isVisible());
    job.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 3000));
    EXPECT_EQ(dlg.result(), 2);
}

TEST(TaskDlg, AProgramCloseDuringAJobIsCarriedOutWhenItEnds)
{
    CCore core;
    tagItemData* screen = screenWithProgram(core);
    ScriptedCall job;
    job.block = true;
    job.result = COMM_E_NO_REPLY;   // a failure that would otherwise stay open
    CTaskDlg dlg(core);
    dlg.SetCoreCall(job.call());
    dlg.SetTask(TASK_SEND_PROGRAMS, screen);
    dlg.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return job.waiting.load(); }, 3000));
    EXPECT_FALSE(dlg.close());
    EXPECT_TRUE(dlg.isVisible());
    job.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 3000));
    EXPECT_EQ(dlg.result(), 2);
}

TEST(TaskDlg, ResultsByKind)
{
    Texts texts;
    CCore core;
    tagItemData* screen = screenWithProgram(core);
    {   // A wizard search that finds nothing ends at once with 2.
        ScriptedCall job;
        job.result = 0;
        CTaskDlg dlg(core);
        dlg.SetCoreCall(job.call());
        dlg.SetTask(TASK_WIZARD_FIND, screen);
        EXPECT_EQ(openAndWaitForEnd(dlg), 2);
        EXPECT_EQ(status(dlg)->text(), platform::langDialogText(CTaskDlg::IDD, CTaskDlg::IDC_STATUS));
    }
    {   // A reconnect that finds nothing stays open.
        ScriptedCall job;
        job.result = 0;
        CTaskDlg dlg(core);
        dlg.SetCoreCall(job.call());
        dlg.SetTask(TASK_FIND_SCREEN, screen);
        dlg.open();
        ASSERT_TRUE(waitForFailureState(dlg));
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(status(dlg)->text(), "s44021");
        dlg.reject();
        EXPECT_EQ(dlg.result(), 2);
    }
    {   // Sending programs that are refused by the compiler (0) says so.
        ScriptedCall job;
        job.result = 0;
        CTaskDlg dlg(core);
        dlg.SetCoreCall(job.call());
        dlg.SetTask(TASK_SEND_PROGRAMS, screen);
        dlg.open();
        ASSERT_TRUE(waitForFailureState(dlg));
        QCoreApplication::processEvents();
        EXPECT_EQ(status(dlg)->text(), "s63000");
        dlg.reject();
    }
    {   // No screen: the call is skipped, nothing succeeded, the dialog stays.
        CTaskDlg dlg(core);
        dlg.SetTask(TASK_SEND_PROGRAMS, static_cast<tagItemData*>(nullptr));
        dlg.open();
        ASSERT_TRUE(waitForFailureState(dlg));
        QCoreApplication::processEvents();
        EXPECT_EQ(dlg.Result(), 0);
        EXPECT_EQ(status(dlg)->text(), "s44020");
        dlg.reject();
    }
    {   // A firmware image keeps the dialog up while the controller restarts.
        ScriptedCall job;
        job.result = 4096;
        CTaskDlg dlg(core);
        dlg.SetCoreCall(job.call());
        dlg.SetUpgradeSettleMs(300);
        dlg.SetTask(TASK_UPGRADE_IMAGE, screen);
        QElapsedTimer t;
        t.start();
        EXPECT_EQ(openAndWaitForEnd(dlg), 1);
        EXPECT_GE(t.elapsed(), 280);
    }
}

// A caller's job: cancellable from its start, before any report; a cancel
// wins over a call that went through anyway; a failure ends the run by
// itself only when the caller shows the outcome.
TEST(TaskDlg, ACallersJobCancelsFromItsStartAndEndsAsAsked)
{
    Texts texts;
    CCore core;
    ScriptedCall job;
    job.block = true;
    job.result = 4;
    const auto asJob = [&job] { return [c = job.call()](CCore& core) { return c(core, TaskRequest{TASK_CALL, nullptr, {}}).value_or(0); }; };
    {
        CTaskDlg dlg(core);
        ASSERT_EQ(dlg.SetJob(asJob(), 44020, true), 1);
        dlg.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return job.waiting.load(); }, 3000));
        EXPECT_EQ(status(dlg)->text(), "s44020");
        ASSERT_TRUE(cancelLink(dlg)->isVisible());
        QTest::mouseClick(cancelLink(dlg), Qt::LeftButton);
        job.release();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 3000));
        EXPECT_EQ(dlg.result(), 2);
        EXPECT_TRUE(dlg.IsCancelled());
        EXPECT_EQ(dlg.Result(), 4);
    }
    job.block = false;
    job.result = COMM_E_NO_REPLY;
    for (bool endAlways : {true, false}) {
        CTaskDlg dlg(core);
        dlg.SetJob(asJob(), 0, endAlways);
        dlg.open();
        if (endAlways)
            EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 3000));
        else
            EXPECT_TRUE(waitForFailureState(dlg) && dlg.isVisible());
        EXPECT_EQ(dlg.Result(), COMM_E_NO_REPLY);
        dlg.reject();
    }
}

TEST(TaskDlg, DestroyingTheDialogWaitsForItsWorkerAndPutsTheCallbackBack)
{
    CCore core;
    tagItemData* screen = screenWithProgram(core);
    ScriptedCall job;
    job.result = 1;
    auto* dlg = new CTaskDlg(core);
    dlg->SetCoreCall(job.call());
    dlg->SetUpgradeSettleMs(60000);   // cut short by the destructor
    dlg->SetTask(TASK_UPGRADE_IMAGE, screen);
    dlg->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return job.calls.load() == 1; }, 3000));
    QElapsedTimer t;
    t.start();
    delete dlg;
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(core.GetCommCallBack(), nullptr);
    EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);
    QCoreApplication::processEvents();   // queued calls of the dead dialog are dropped
}

// ---- against the simulated controller over TCP ----

namespace {

struct SimScreen {
    platform::ScaledClock clock;
    sim::SimController controller;
    sim::TcpPeer peer{controller};
    CCore core;
    tagItemData* screen = nullptr;

    // Waits pass `scale` times faster.
    explicit SimScreen(int scale = 100) : clock(scale)
    {
        platform::setClock(&clock);
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        tagGlobalInfo& g = screen->Global;
        g.Width = 64;
        g.Height = 32;
        g.Type = 17;
        g.ScanMode = 4;
        g.ID = 1;
        g.CommType = COMM_NETWORK;
        std::memset(g.Host, 0, sizeof g.Host);
        std::strcpy(g.Host, "127.0.0.1");
        g.HostKind = 0;
        g.HostPort = peer.port();
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
        core.ChangeItemRect(section, 0, 0, 64, 32);
        core.AddItem(IT_GRID, u"table", section, nullptr);
    }
    ~SimScreen() { platform::setClock(nullptr); }
};

const char* const kPacks[] = {"EN", "CN", "TW"};

QString packPath(const char* code)
{
    return QStringLiteral(TAVRELO_SHELL_PACK_DIR "/UI_%1.rcc").arg(QString::fromLatin1(code));
}

} // namespace

TEST(TaskDlgSim, ASendSucceedsAndTheDialogClosesItself)
{
    Texts texts;
    SimScreen sim;
    CTaskDlg dlg(sim.core);
    dlg.SetTask(TASK_SEND_PROGRAMS, sim.screen);
    EXPECT_EQ(openAndWaitForEnd(dlg, 8000), 1);
    EXPECT_GT(dlg.Result(), 0);
    EXPECT_EQ(sim.controller.blocks().size(), 4u);
    EXPECT_EQ(bar(dlg)->value(), 100);
    EXPECT_EQ(status(dlg)->text(), "s44000");
    EXPECT_FALSE(cancelLink(dlg)->isVisible());
}

TEST(TaskDlgSim, AControllerThatHangsUpLeavesTheLostLinkAndClose)
{
    Texts texts;
    SimScreen sim;
    sim::Faults hangUp;
    hangUp.closeOnBlock = true;   // hangs up on the program data: the link is lost
    sim.controller.setFaults(hangUp);
    CTaskDlg dlg(sim.core);
    dlg.SetTask(TASK_SEND_PROGRAMS, sim.screen);
    dlg.open();
    ASSERT_TRUE(waitForFailureState(dlg, 8000));
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_LE(dlg.Result(), 0);
    EXPECT_EQ(status(dlg)->text(), "s44026");
    EXPECT_TRUE(closeButton(dlg)->isVisible());
    QTest::mouseClick(closeButton(dlg), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), 2);
}

// The frame's one-screen requests, made by the dialog's worker against the
// controller: each reaches it and the dialog closes itself.
TEST(TaskDlgSim, ScreenRequestsReachTheControllerAndEndTheRun)
{
    Texts texts;
    SimScreen sim;
    sim.controller.setVersion(0x0A0B, 0x0C0D, 9);
    for (int kind : {TASK_ADJUST_TIME, TASK_DISPLAY_ON, TASK_READ_SCREEN}) {
        CTaskDlg dlg(sim.core);
        dlg.SetTask(kind, sim.screen);
        EXPECT_EQ(openAndWaitForEnd(dlg, 8000), 1) << kind;
    }
    EXPECT_NE(sim.controller.time(), 0u);
    EXPECT_EQ(sim.controller.switchValue(), 1u);
    EXPECT_EQ(sim.screen->Global.HardwareId, 0x0A0Bu);
}

TEST(TaskDlgSim, ASilentControllerGivesTheNoReplyText)
{
    Texts texts;
    SimScreen sim;
    sim::Faults silent;
    silent.silent = true;
    sim.controller.setFaults(silent);
    CTaskDlg dlg(sim.core);
    dlg.SetTask(TASK_SEND_PROGRAMS, sim.screen);
    dlg.open();
    ASSERT_TRUE(waitForFailureState(dlg, 8000));
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.Result(), COMM_E_NO_REPLY);
    EXPECT_EQ(status(dlg)->text(), "s44008");
    EXPECT_FALSE(cancelLink(dlg)->isVisible());   // nothing left to cancel
    dlg.reject();
}

// Forwards to the relay's callback, and makes every chunk of the program
// data take a few milliseconds, as a slow line would.
void slowLineCallBack(unsigned cmd, unsigned event, std::uintptr_t value)
{
    spine::CoreRelay::commTrampoline(cmd, event, value);
    if (cmd == 1 && event == CBE_PROGRESS)
        QThread::msleep(5);
}

TEST(TaskDlgSim, ACancelInTheMiddleClosesWithTheCancelledResult)
{
    // Every chunk reports, so that the slow line shows.
    sorvane::link::SetProgressInterval(0);
    struct Restore {
        ~Restore() { sorvane::link::SetProgressInterval(-1); }
    } restore;
    Texts texts;
    SimScreen sim(1);
    CTaskDlg dlg(sim.core);
    dlg.SetCoreCall([](CCore& core, const TaskRequest& request) {
        core.SetCommCallBack(slowLineCallBack);
        return dialogs::RunTaskCall(core, request);
    });
    dlg.SetTask(TASK_SEND_PROGRAMS, sim.screen);
    dlg.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cancelLink(dlg)->isVisible() && bar(dlg)->value() > 0; }, 8000));
    QTest::mouseClick(cancelLink(dlg), Qt::LeftButton);
    EXPECT_FALSE(cancelLink(dlg)->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 8000));
    EXPECT_EQ(dlg.result(), 2);
    EXPECT_EQ(dlg.Result(), COMM_E_CANCELLED);
    // The program data was cut short.
    EXPECT_EQ(sim.controller.blocks().size(), 3u);
}

TEST(TaskDlgSim, ScreenshotsRunningAndAfterAFailureInEachLanguage)
{
    support::LangPackScope restore(support::LangPackScope::Start::Empty);
    for (const char* code : kPacks) {
        QString error;
        ASSERT_TRUE(platform::loadLangPack(packPath(code), &error)) << error.toStdString();
        SimScreen sim;
        ScriptedCall job;
        job.block = true;
        job.result = COMM_E_NO_REPLY;
        job.events = {{1, CBE_START, 0}, {1, CBE_PROGRESS, 45}};
        CTaskDlg dlg(sim.core);
        dlg.SetCoreCall(job.call());
        dlg.SetTask(TASK_SEND_PROGRAMS, sim.screen);
        dlg.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return cancelLink(dlg)->isVisible(); }, 3000));
        EXPECT_FALSE(dlg.windowTitle().isEmpty());
        EXPECT_FALSE(cancelLink(dlg)->text().isEmpty());
        EXPECT_TRUE(support::saveScreenshot(dlg, "shell", QStringLiteral("task_running_%1").arg(QString::fromLatin1(code))));
        job.release();
        ASSERT_TRUE(waitForFailureState(dlg));
        dlg.reject();
        // The failure comes from a real silent controller.
        sim::Faults silent;
        silent.silent = true;
        sim.controller.setFaults(silent);
        CTaskDlg failed(sim.core);
        failed.SetTask(TASK_SEND_PROGRAMS, sim.screen);
        failed.open();
        ASSERT_TRUE(waitForFailureState(failed, 8000));
        QCoreApplication::processEvents();
        EXPECT_EQ(status(failed)->text(), platform::langString(44008));
        EXPECT_FALSE(closeButton(failed)->text().isEmpty());
        EXPECT_TRUE(support::saveScreenshot(failed, "shell", QStringLiteral("task_failed_%1").arg(QString::fromLatin1(code))));
        failed.reject();
        // The read-hardware pass of a search, held in its first read.
        ScriptedCall reading;
        reading.block = true;
        reading.result = 4;
        CTaskDlg pass(sim.core);
        pass.SetCoreCall(reading.call());
        pass.SetTask(TaskRequest::readHardwareFrom(0));
        pass.open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return cancelLink(pass)->isVisible() && reading.waiting; }, 3000));
        EXPECT_EQ(status(pass)->text(), platform::langString(44031).arg(1).arg(1));
        EXPECT_TRUE(support::saveScreenshot(pass, "shell", QStringLiteral("task_reading_%1").arg(QString::fromLatin1(code))));
        reading.release();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !pass.isVisible(); }, 3000));
        // A controller that hangs up in the middle: the text says the link was lost.
        sim::Faults hangUp;
        hangUp.closeOnBlock = true;
        sim.controller.setFaults(hangUp);
        CTaskDlg lost(sim.core);
        lost.SetTask(TASK_SEND_PROGRAMS, sim.screen);
        lost.open();
        ASSERT_TRUE(waitForFailureState(lost, 8000));
        QCoreApplication::processEvents();
        EXPECT_EQ(status(lost)->text(), platform::langString(44026));
        EXPECT_TRUE(support::saveScreenshot(lost, "shell", QStringLiteral("task_link_lost_%1").arg(QString::fromLatin1(code))));
        lost.reject();
        // A port nobody listens on: the text names the host and the port it tried.
        std::uint16_t closed;
        {
            sim::TcpPeer gone(sim.controller);
            closed = gone.port();
        }
        sim.controller.setFaults({});
        sim.screen->Global.HostPort = closed;
        CTaskDlg unreachable(sim.core);
        unreachable.SetTask(TASK_SEND_PROGRAMS, sim.screen);
        unreachable.open();
        ASSERT_TRUE(waitForFailureState(unreachable, 8000));
        QCoreApplication::processEvents();
        EXPECT_EQ(status(unreachable)->text(), platform::langString(44023).arg(QStringLiteral("127.0.0.1")).arg(closed));
        EXPECT_TRUE(support::saveScreenshot(unreachable, "shell",
                                            QStringLiteral("task_host_failed_%1").arg(QString::fromLatin1(code))));
        unreachable.reject();
    }
}

// A serial adapter pulled in the middle of a send: the window says the port
// went away and names it, in each language.
TEST(TaskDlgSim, ASerialPortPulledMidSendIsNamedAsLost)
{
    support::LangPackScope restore(support::LangPackScope::Start::Empty);
    for (const char* code : kPacks) {
        ASSERT_TRUE(platform::loadLangPack(packPath(code)));
        SimScreen sim;
        sim::PtyPeer pty(sim.controller);
        const QString port = QString::fromStdString(pty.slavePath());
        sim.core.AddUserSerialPort(reinterpret_cast<const char16_t*>(port.utf16()));
        sim.screen->Global.CommType = COMM_SERIAL;
        sim.screen->Global.SerialPort = static_cast<std::uint32_t>(sim.core.GetSerialPortNumber(port));
        sim.screen->Global.BaudRate = 115200;
        sim.core.ChangeItemRect(sim.screen, 0, 0, 1024, 256);
        sim.core.ChangeItemRect(sim.screen->FirstChild->FirstChild, 0, 0, 1024, 256);
        sim::Faults pulled;
        pulled.pullAfter = 16 * 1024;   // inside the program data, which fills more than the line holds
        sim.controller.setFaults(pulled);
        CTaskDlg lost(sim.core);
        lost.SetTask(TASK_SEND_PROGRAMS, sim.screen);
        lost.open();
        ASSERT_TRUE(waitForFailureState(lost, 8000));
        QCoreApplication::processEvents();
        EXPECT_EQ(status(lost)->text(), platform::langString(44028).arg(port));
        EXPECT_TRUE(closeButton(lost)->isVisible());
        EXPECT_TRUE(support::saveScreenshot(lost, "shell", QStringLiteral("task_port_lost_%1").arg(QString::fromLatin1(code))));
        QTest::keyClick(&lost, Qt::Key_Escape);
        EXPECT_FALSE(lost.isVisible());
    }
}

// The read-hardware pass after a search: three screens on a slow controller,
// each read followed by the settling pause, all on the worker. The window
// keeps answering, the steps show, a cancel stops the pass and puts every
// screen back as it was; a whole pass reads them all.
TEST(TaskDlgSim, AReadHardwarePassKeepsTheWindowAnsweringShowsItsStepsAndCancels)
{
    support::LangPackScope texts;
    texts.setString(44031, QStringLiteral("step %1 of %2"));
    texts.setString(48277, QStringLiteral("read failed"));
    SimScreen sim(1);
    sim::Faults slow;
    slow.lateMs = 150;
    sim.controller.setFaults(slow);
    sim.controller.setVersion(0x0A0B, 0x0C0D, 9);
    std::vector<tagItemData*> screens{sim.screen};
    for (int i = 0; i < 2; ++i) {
        tagItemData* s = sim.core.AddItem(IT_SCREEN, u"found", nullptr, screens.back());
        s->Global = sim.screen->Global;
        screens.push_back(s);
    }
    const auto versionsRead = [&] {
        int n = 0;
        for (tagItemData* s : screens)
            n += s->Global.HardwareId == 0x0A0Bu && s->Global.RemoteVersion == 0x0C0Du ? 1 : 0;
        return n;
    };
    ASSERT_EQ(versionsRead(), 0);

    {
        CTaskDlg dlg(sim.core);
        dlg.SetTask(TaskRequest::readHardwareFrom(0));
        // No gap may pass 100 ms, the longest a window may take to answer.
        support::Heartbeat heartbeat;
        dlg.open();
        const QString second = platform::langString(44031).arg(2).arg(3);
        ASSERT_TRUE(QTest::qWaitFor([&] { return status(dlg)->text() == second; }, 8000)) << status(dlg)->text().toStdString();
        EXPECT_TRUE(cancelLink(dlg)->isVisible());
        EXPECT_EQ(bar(dlg)->value(), 33);
        QTest::mouseClick(cancelLink(dlg), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 8000));
        heartbeat.stop();
        EXPECT_EQ(dlg.result(), 2);
        EXPECT_EQ(versionsRead(), 0);
        EXPECT_ANSWERED(heartbeat);
    }
    {
        CTaskDlg dlg(sim.core);
        dlg.SetReadPauseMs(20);
        dlg.SetTask(TaskRequest::readHardwareFrom(1));   // from the second screen on
        EXPECT_EQ(openAndWaitForEnd(dlg, 8000), 1);
        EXPECT_EQ(bar(dlg)->value(), 100);
        EXPECT_EQ(versionsRead(), 2);
        EXPECT_NE(screens[0]->Global.HardwareId, 0x0A0Bu);
    }
    // An unreachable screen: the pass still reads the rest and then stays
    // open with the failure and Close.
    screens[1]->Global.HostPort = 1;
    screens[2]->Global.HardwareId = 0;
    CTaskDlg dlg(sim.core);
    dlg.SetReadPauseMs(0);
    dlg.SetTask(TaskRequest::readHardwareFrom(1));
    dlg.open();
    ASSERT_TRUE(waitForFailureState(dlg, 8000));
    QCoreApplication::processEvents();
    EXPECT_EQ(status(dlg)->text(), platform::langString(48277));
    EXPECT_EQ(screens[2]->Global.HardwareId, 0x0A0Bu);
    dlg.reject();
}
