// Storing a screen's content (the program compares store buffers to see
// whether a screen changed) and loading it back, for growing trees.
#include "core/model/Core.h"
#include "core/model/ItemData.h"
#include "core/model/ProgramList.h"

#include <benchmark/benchmark.h>
#include <vector>

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
