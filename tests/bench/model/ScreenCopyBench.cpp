// The copy a job or a player takes of the largest screen (4096 x 512, 16
// scenes of 16 sections: texts, rich texts, pictures and clocks), painted as
// the canvas leaves it. Counters: the time and the memory of making the
// copy; a send's compile made from a copy against one of the live screen
// (copy_percent: the copy against the compile); and the preview's start,
// its first scene painted from a copy (the copy included) against from the
// live screen.
#include "core/api/Core.h"
#include "core/api/ScreenCopy.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "core/render/ProgramSchema.h"
#include "support/TreeBuilder.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <string>

using sorvane::model::ForEachNode;
using sorvane::render::CContentCompiler;

namespace {

long rssKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

struct Wall {
    QTemporaryDir dir;
    CCore core;
    tagItemData* screen = nullptr;
    int nodes = 0;
    Wall()
    {
        core.SetCurLang(9);
        support::WallSpec spec;
        spec.picture = dir.filePath(QStringLiteral("poster.png"));
        if (!support::writeWallPicture(spec.picture))
            return;
        screen = support::buildWallScreen(core, spec);
        ForEachNode(screen, [this](tagItemData* n) {
            GetNodePicture(n);
            ++nodes;
        });
    }
};

Wall& wall()
{
    static Wall w;
    return w;
}

// A send's compile: compiled, its blocks read, freed.
bool compileAndRead(tagItemData* screen, std::vector<std::uint8_t>& out)
{
    if (!CContentCompiler::Compile(screen))
        return false;
    for (const auto block : sorvane::render::program::BlockOrder) {
        out.resize(CContentCompiler::GetBlockSize(screen, block));
        CContentCompiler::CopyBlock(screen, block, out.data(), out.size());
    }
    CContentCompiler::FreeBuffers(screen);
    return true;
}

void BM_CopyWall(benchmark::State& state)
{
    Wall& w = wall();
    if (!w.screen) {
        state.SkipWithError("no wall");
        return;
    }
    sorvane::model::ReturnFreedMemory();
    const long before = rssKb();
    long held = 0;
    for (auto _ : state) {
        auto copy = std::make_unique<CScreenCopy>(w.screen);
        if (!copy->ok())
            state.SkipWithError("no copy");
        state.PauseTiming();
        held = std::max(held, rssKb() - before);
        copy.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = w.nodes;
    state.counters["copy_MB"] = double(held) / 1024.0;
}

void BM_SendWallFromACopy(benchmark::State& state)
{
    Wall& w = wall();
    if (!w.screen) {
        state.SkipWithError("no wall");
        return;
    }
    std::vector<std::uint8_t> out;
    double copyNs = 0, copySendNs = 0, liveNs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (!compileAndRead(w.screen, out))
            state.SkipWithError("refused");
        liveNs += double(clock.nsecsElapsed());
        clock.restart();
        {
            CScreenCopy copy(w.screen);
            copyNs += double(clock.nsecsElapsed());
            if (!compileAndRead(copy.screen(), out))
                state.SkipWithError("refused");
        }
        copySendNs += double(clock.nsecsElapsed());
        benchmark::DoNotOptimize(out.data());
    }
    const double n = double(state.iterations());
    state.counters["live_compile_ms"] = liveNs / n / 1e6;
    state.counters["copy_ms"] = copyNs / n / 1e6;
    state.counters["copied_compile_ms"] = copySendNs / n / 1e6;
    // The copied screen's compile is the live one's work: what a send pays
    // more is the copy, against the compile alone (the transfer comes on top).
    state.counters["copy_percent"] = 100.0 * copyNs / liveNs;
}

// What the players draw when the preview starts: the scene painted again,
// each section's first item read (made when it is not current).
void paintFirstScene(CCore& core, tagItemData* screen)
{
    tagItemData* scene = screen->FirstChild;
    core.Paint(scene);
    benchmark::DoNotOptimize(GetNodePicture(scene).constBits());
    for (tagItemData* s = scene->FirstChild; s; s = s->NextSibling)
        if (s->FirstChild)
            benchmark::DoNotOptimize(GetNodePicture(s->FirstChild).constBits());
}

void BM_PreviewStartWall(benchmark::State& state)
{
    Wall& w = wall();
    if (!w.screen) {
        state.SkipWithError("no wall");
        return;
    }
    double liveNs = 0, copyNs = 0, madeNs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        paintFirstScene(w.core, w.screen);
        liveNs += double(clock.nsecsElapsed());
        clock.restart();
        auto copy = std::make_unique<CScreenCopy>(w.screen);
        madeNs += double(clock.nsecsElapsed());
        paintFirstScene(w.core, copy->screen());
        copyNs += double(clock.nsecsElapsed());
        // The preview frees its copy when it closes, not when it starts.
        state.PauseTiming();
        copy.reset();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["live_ms"] = liveNs / n / 1e6;
    state.counters["from_copy_ms"] = copyNs / n / 1e6;
    state.counters["of_which_copy_ms"] = madeNs / n / 1e6;
}

BENCHMARK(BM_CopyWall)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendWallFromACopy)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PreviewStartWall)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
