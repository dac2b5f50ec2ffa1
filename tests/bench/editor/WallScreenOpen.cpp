// Opening a saved screen as the operator does: its program list loaded into
// a screen, one scene shown on the canvas, then the screen closed again. The
// wall of the largest panel (4096 x 512, 16 scenes of 16 sections) and a
// common one (1024 x 256, 4 scenes of 8 sections), each built through the
// core and saved once. Counters: the load, the first scene, the close, the
// resident memory with the screen open, the peak, and what ten opens and
// closes leave behind.
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "support/TreeBuilder.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long statusKb(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string k(key);
    while (std::getline(status, line)) {
        if (line.rfind(k, 0) == 0)
            return std::stol(line.substr(k.size()));
    }
    return 0;
}

// Built and saved in a child process, so that this process's memory is the
// opening's alone.
bool saveWall(const support::WallSpec& spec, const QString& path)
{
    const pid_t child = fork();
    if (child == 0) {
        CCore core;
        core.SetCurLang(9);
        tagItemData* screen = support::buildWallScreen(core, spec);
        const bool saved = screen && core.SavePL(screen, reinterpret_cast<const char16_t*>(path.utf16())) == 0;
        _exit(saved ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void openWall(benchmark::State& state, support::WallSpec spec)
{
    QTemporaryDir dir;
    spec.picture = dir.filePath(QStringLiteral("poster.png"));
    const QString path = dir.filePath(QStringLiteral("wall.pl"));
    if (!support::writeWallPicture(spec.picture) || !saveWall(spec, path)) {
        state.SkipWithError("the wall could not be built and saved");
        return;
    }
    CCore core;
    core.SetCurLang(9);
    editor::CLed::setDefaultDotSize(3);
    // What a maximised screen window shows of the canvas.
    const QSize shown(1800, 900);
    QImage target(shown, QImage::Format_RGB32);
    double loadMs = 0, sceneMs = 0, closeMs = 0;
    long openKb = 0, firstClosedKb = 0, lastClosedKb = 0;
    int opened = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        tagItemData* screen = core.AddItem(IT_SCREEN, u"wall", nullptr, nullptr);
        if (core.LoadPL(screen, reinterpret_cast<const char16_t*>(path.utf16())) != 0) {
            state.SkipWithError("the wall was refused");
            return;
        }
        const qint64 loaded = clock.nsecsElapsed();
        auto canvas = std::make_unique<editor::CScreenLed>(core, nullptr);
        canvas->AttachItem(screen);
        canvas->resize(shown);
        canvas->SelectItem(screen->FirstChild->FirstChild, false);
        canvas->render(&target);
        benchmark::DoNotOptimize(target.constBits());
        const qint64 shownAt = clock.nsecsElapsed();
        state.SetIterationTime(double(shownAt) / 1e9);
        openKb = statusKb("VmRSS:");
        clock.restart();
        canvas.reset();
        core.DeleteItem(screen);
        closeMs += double(clock.nsecsElapsed()) / 1e6;
        loadMs += double(loaded) / 1e6;
        sceneMs += double(shownAt - loaded) / 1e6;
        lastClosedKb = statusKb("VmRSS:");
        if (++opened == 1)
            firstClosedKb = lastClosedKb;
    }
    if (opened == 0)
        return;
    state.counters["load_ms"] = loadMs / opened;
    state.counters["scene_ms"] = sceneMs / opened;
    state.counters["close_ms"] = closeMs / opened;
    state.counters["open_rss_MB"] = double(openKb) / 1024.0;
    state.counters["peak_rss_MB"] = double(statusKb("VmHWM:")) / 1024.0;
    state.counters["growth_MB"] = double(lastClosedKb - firstClosedKb) / 1024.0;
}

void BM_OpenLargestWall(benchmark::State& state)
{
    openWall(state, support::WallSpec{4096, 512, 16, 4, 4, {}});
}
BENCHMARK(BM_OpenLargestWall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

void BM_OpenCommonWall(benchmark::State& state)
{
    openWall(state, support::WallSpec{1024, 256, 4, 4, 2, {}});
}
BENCHMARK(BM_OpenCommonWall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace
