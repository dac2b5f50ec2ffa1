// Opening the largest screen a file may hold (4096 x 512, 16 scenes of 16
// sections) in its window at dot 3: the canvas is made, bound, a section is
// selected and the visible part is painted once. The counter gives what the
// open canvas adds to the resident memory.
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/model/ItemData.h"

#include <QPainter>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <string>

namespace {

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

tagItemData* buildLargeScreen(CCore& core, tagItemData** firstSection)
{
    tagItemData* screen = core.AddItem(IT_SCREEN, u"large", nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 4096, 512);
    for (int s = 0; s < 16; ++s) {
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        for (int i = 0; i < 16; ++i) {
            tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
            core.ChangeItemRect(section, (i % 4) * 1024, (i / 4) * 128, 1024, 128);
            if (s == 0 && i == 0)
                *firstSection = section;
        }
    }
    return screen;
}

void BM_OpenLargeScreenCanvas(benchmark::State& state)
{
    CCore core;
    tagItemData* section = nullptr;
    tagItemData* screen = buildLargeScreen(core, &section);
    editor::CLed::setDefaultDotSize(3);
    // What a maximised screen window shows of the canvas.
    const QSize shown(1800, 900);
    QImage target(shown, QImage::Format_RGB32);
    long added = 0;
    for (auto _ : state) {
        const long before = residentKb();
        auto canvas = std::make_unique<editor::CScreenLed>(core, nullptr);
        canvas->AttachItem(screen);
        canvas->resize(shown);
        canvas->SelectItem(section, false);
        canvas->render(&target);
        benchmark::DoNotOptimize(target.constBits());
        added = residentKb() - before;
        state.PauseTiming();
        canvas.reset();
        state.ResumeTiming();
    }
    state.counters["canvas_MB"] = double(added) / 1024.0;
}
BENCHMARK(BM_OpenLargeScreenCanvas)->Unit(benchmark::kMillisecond)->Iterations(5);

// A scroll across the large screen: the newly exposed part is painted.
void BM_ScrollLargeScreenCanvas(benchmark::State& state)
{
    CCore core;
    tagItemData* section = nullptr;
    tagItemData* screen = buildLargeScreen(core, &section);
    editor::CLed::setDefaultDotSize(3);
    editor::CScreenLed canvas(core, nullptr);
    canvas.AttachItem(screen);
    canvas.resize(1800, 900);
    canvas.SelectItem(section, false);
    QImage target(canvas.size(), QImage::Format_RGB32);
    int x = 0;
    for (auto _ : state) {
        x = (x + 200) % 3500;
        canvas.ScrollTo(x, 0);
        QPainter p(&target);
        canvas.Draw(p, canvas.rect());
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_ScrollLargeScreenCanvas)->Unit(benchmark::kMillisecond);

} // namespace
