// A start that reopens many small screens of the last session (one in eight
// damaged, set aside and told), until the shown window has painted, and the
// quit that closes them all, with 200 and
// with 800 screens. The interface thread's CPU time is taken, so other work
// on the machine does not count; four times the screens must cost well under
// sixteen times the time, or some step grows with the square of the screens.
#include "../../app/shell/FrameTestUtil.h"
#include "support/SeamScope.h"

#include <QFile>
#include <QTest>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

using namespace shell;
using frametest::FrameHarness;

namespace {

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

struct Costs {
    double start = 0, quit = 0;
    bool ok = false;
};

Costs startAndQuit(int screens)
{
    Costs c;
    FrameHarness h("UI_EN.rcc", false);
    OpenScreenLists& lists = h.app->Settings().screens;
    const QString first = h.writeProgramList(QStringLiteral("S0000"));
    int damaged = 0;
    for (int n = 0; n < screens; ++n) {
        const QString name = QStringLiteral("userdata/S%1.pl").arg(n, 4, 10, QChar(u'0'));
        lists.savePath << name;
        if (n > 0 && n % 8 == 0) {
            // One in eight no longer loads: set aside and told, as at a real start.
            QFile bad(h.folder + name);
            if (!bad.open(QIODevice::WriteOnly) || bad.write("not a program list") < 0)
                return c;
            ++damaged;
        } else if (first.isEmpty() || (n > 0 && !QFile::copy(first, h.folder + name))) {
            return c;
        }
    }
    support::SeamScope seams;
    seams.nextAnswer(QMessageBox::Ok);
    h.frame->resize(1600, 1000);
    double t0 = cpuMs();
    if (!h.frame->OnCreate())
        return c;
    h.frame->show();
    if (!QTest::qWaitForWindowExposed(h.frame.get()))
        return c;
    settle();
    c.start = cpuMs() - t0;
    if (h.screenCount() != screens - damaged || spine::seams().lastMessage.isEmpty())
        return c;
    t0 = cpuMs();
    h.frame->close();
    settle();
    c.quit = cpuMs() - t0;
    c.ok = h.screenCount() == 0;
    return c;
}

void BM_StartAndQuitWithManyScreens(benchmark::State& state)
{
    for (auto _ : state) {
        const Costs few = startAndQuit(200);
        const Costs many = startAndQuit(800);
        if (!few.ok || !many.ok) {
            state.SkipWithError("the screens did not all open and close");
            return;
        }
        state.SetIterationTime((many.start + many.quit) / 1e3);
        state.counters["start_200_ms"] = few.start;
        state.counters["start_800_ms"] = many.start;
        state.counters["quit_200_ms"] = few.quit;
        state.counters["quit_800_ms"] = many.quit;
        std::fprintf(stderr, "start: %.0f / %.0f ms, quit: %.0f / %.0f ms (CPU, 200 / 800 screens)\n", few.start,
                     many.start, few.quit, many.quit);
        if (many.start > 8 * few.start + 200)
            state.SkipWithError("the start grows with the square of the screens");
        if (many.quit > 8 * few.quit + 200)
            state.SkipWithError("the quit grows with the square of the screens");
    }
}
BENCHMARK(BM_StartAndQuitWithManyScreens)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
