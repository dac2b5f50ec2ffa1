// The send of the largest screen (4096 x 512, 16 scenes of 16 sections)
// through the task dialog, as the window runs it, against the core's own
// send of the same screen on the same link by a client that does nothing
// else, and from the send button of the main window with the screen open
// in it, to the simulated controller run as a program of its own. Each is
// compiled afresh. Counters: the wall time of each and the ratios.
#include "../../app/shell/FrameTestUtil.h"

#include "app/dialogs/task/TaskDlg.h"
#include "app/spine/CommandIds.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/render/ContentCompiler.h"
#include "Screens.h"
#include "support/Widgets.h"

#include <QDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstring>

namespace {

void BM_LargestScreenSentFromTheWindowAgainstTheCore(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Largest.pl"));
    if (!windowbench::writeLargestScreen(path)) {
        state.SkipWithError("the screen was not written");
        return;
    }
    QProcess sim;
    const quint16 port = windowbench::startSimController(sim, QStringLiteral(TAVRELO_SIM_CONTROLLER));
    if (!port) {
        state.SkipWithError("the simulated controller did not listen");
        return;
    }
    frametest::FrameHarness h;
    h.frame->resize(1600, 1000);
    h.frame->show();
    CCore& core = h.core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    if (!QTest::qWaitForWindowExposed(h.frame.get()) || !screen || h.list()->LoadScreenFile(screen, path) != 0) {
        state.SkipWithError("the screen did not open");
        return;
    }
    h.list()->SelectNode(screen);
    auto* send = support::findByControlId<QToolButton>(h.frame->MainToolBar(), int(spine::ID_SEND_PROGRAMS));
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    std::memset(g.Host, 0, sizeof g.Host);
    std::memcpy(g.Host, "127.0.0.1", 9);
    g.HostKind = 0;
    g.HostPort = port;
    g.ID = 1;
    const LinkSettings link = core.GetSendLink(screen);
    double fromCore = 0, fromDialog = 0, fromFrame = 0;
    for (auto _ : state) {
        sorvane::render::CContentCompiler::ForgetCompiled(nullptr);
        QElapsedTimer clock;
        clock.start();
        const int sent = core.SendPrograms(screen, link);
        fromCore = double(clock.nsecsElapsed()) / 1e6;
        sorvane::render::CContentCompiler::ForgetCompiled(nullptr);
        dialogs::CTaskDlg task(core);
        task.SetTask(dialogs::TaskRequest::send(screen, link));
        clock.restart();
        task.exec();
        fromDialog = double(clock.nsecsElapsed()) / 1e6;
        sorvane::render::CContentCompiler::ForgetCompiled(nullptr);
        QCoreApplication::processEvents();
        clock.restart();
        QTest::mouseClick(send, Qt::LeftButton);   // returns once the dialog has closed itself
        fromFrame = double(clock.nsecsElapsed()) / 1e6;
        if (sent <= 0 || task.Result() <= 0 || !send)
            state.SkipWithError("a send failed");
        state.SetIterationTime(fromFrame / 1e3);
    }
    sim.terminate();
    sim.waitForFinished(5000);
    state.counters["core_ms"] = fromCore;
    state.counters["dialog_ms"] = fromDialog;
    state.counters["frame_ms"] = fromFrame;
    state.counters["dialog_ratio"] = fromCore > 0 ? fromDialog / fromCore : 0;
    state.counters["frame_ratio"] = fromCore > 0 ? fromFrame / fromCore : 0;
}
BENCHMARK(BM_LargestScreenSentFromTheWindowAgainstTheCore)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

} // namespace
