// Storing a screen's content (the program compares store buffers to see
// whether a screen changed) and loading it back, for growing trees.
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/ProgramList.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace sorvane::model;

namespace {
// A screen with `scenes` scenes of 8 bordered sections holding 5 items each.
tagItemData* buildScreen(CCore& core, int scenes)
{
    tagItemData* screen = core.AddItem(IT_SCREEN, u"bench", nullptr, nullptr);
    screen->Global.Width = 256;
    screen->Global.Height = 128;
    tagItemData* lastScene = nullptr;
    for (int s = 0; s < scenes; ++s) {
        lastScene = core.AddItem(IT_SCENE, u"scene", screen, lastScene);
        tagItemData* lastSection = nullptr;
        for (int w = 0; w < 8; ++w) {
            lastSection = core.AddItem(IT_WND_TEXT, u"section", lastScene, lastSection);
            core.SetItemFrame(lastSection, 1);
            core.AddFrameElement(0, u"bar", lastSection->Section.Frame, nullptr);
            tagItemData* lastItem = nullptr;
            for (std::uint16_t type : {std::uint16_t(IT_SINGLELINE), std::uint16_t(IT_TEXT), std::uint16_t(IT_IMAGE), std::uint16_t(IT_CLOCKDIGIT), std::uint16_t(IT_COUNT)})
                lastItem = core.AddItem(type, u"item", lastSection, lastItem);
        }
    }
    return screen;
}

void storeScreen(benchmark::State& state)
{
    CCore core;
    tagItemData* screen = buildScreen(core, static_cast<int>(state.range(0)));
    std::vector<unsigned char> buffer(core.GetStoreSize(screen));
    for (auto _ : state) {
        core.Store(screen, buffer.data(), static_cast<unsigned>(buffer.size()));
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(buffer.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(storeScreen)->RangeMultiplier(4)->Range(1, 64)->Complexity();

void loadScreen(benchmark::State& state)
{
    CCore core;
    tagItemData* screen = buildScreen(core, static_cast<int>(state.range(0)));
    std::vector<unsigned char> buffer(core.GetStoreSize(screen));
    core.Store(screen, buffer.data(), static_cast<unsigned>(buffer.size()));
    tagItemData* target = core.AddItem(IT_SCREEN, u"target", nullptr, nullptr);
    for (auto _ : state) {
        LoadProgramList(target, buffer.data(), buffer.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(buffer.size()));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(loadScreen)->RangeMultiplier(4)->Range(1, 64)->Complexity();
}

namespace {
// The largest screen the settings accept: 4096 x 512, 16 scenes of 16
// sections (a 4 x 4 grid of 1024 x 128), each holding one text.
tagItemData* buildLargestScreen(CCore& core)
{
    tagItemData* screen = core.AddItem(IT_SCREEN, u"largest", nullptr, nullptr);
    screen->Global.Width = 4096;
    screen->Global.Height = 512;
    tagItemData* lastScene = nullptr;
    for (int s = 0; s < 16; ++s) {
        lastScene = core.AddItem(IT_SCENE, u"scene", screen, lastScene);
        tagItemData* lastSection = nullptr;
        for (int w = 0; w < 16; ++w) {
            lastSection = core.AddItem(IT_WND_TEXT, u"section", lastScene, lastSection);
            core.ChangeItemRect(lastSection, (w % 4) * 1024, (w / 4) * 128, 1024, 128);
            tagItemData* text = core.AddItem(IT_SINGLELINE, u"text", lastSection, nullptr);
            records::SetItemText(text, QStringLiteral("Section text"));
            core.Paint(text);
        }
    }
    return screen;
}

long peakRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void loadLargestScreen(benchmark::State& state)
{
    // Built in a child process, so this process's peak is the loading's alone.
    std::vector<unsigned char> buffer;
    int fds[2];
    if (pipe(fds) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        CCore source;
        tagItemData* screen = buildLargestScreen(source);
        std::vector<unsigned char> image(source.GetStoreSize(screen));
        source.Store(screen, image.data(), static_cast<unsigned>(image.size()));
        for (std::size_t at = 0; at < image.size();) {
            const ssize_t n = write(fds[1], image.data() + at, image.size() - at);
            if (n <= 0)
                _exit(1);
            at += std::size_t(n);
        }
        _exit(0);
    }
    close(fds[1]);
    unsigned char chunk[65536];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) > 0;)
        buffer.insert(buffer.end(), chunk, chunk + n);
    close(fds[0]);
    waitpid(child, nullptr, 0);
    CCore core;
    tagItemData* target = core.AddItem(IT_SCREEN, u"target", nullptr, nullptr);
    const long before = peakRssKb();
    for (auto _ : state) {
        core.ClearPrograms(target);   // the old content is not part of what is measured
        if (LoadProgramList(target, buffer.data(), buffer.size()) != PL_OK)
            state.SkipWithError("the largest screen was refused");
    }
    state.counters["file_KB"] = double(buffer.size()) / 1024.0;
    state.counters["peak_rss_MB"] = double(peakRssKb()) / 1024.0;
    state.counters["rss_growth_MB"] = double(peakRssKb() - before) / 1024.0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(buffer.size()));
}
BENCHMARK(loadLargestScreen)->Unit(benchmark::kMillisecond)->Iterations(2);
} // namespace
