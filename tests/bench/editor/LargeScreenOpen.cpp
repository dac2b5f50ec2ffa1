// Opening the largest screen a file may hold (4096 x 512, 16 scenes of 16
// sections) in its window at dot 3: the canvas is made, bound, a section is
// selected and the visible part is painted once. The counter gives what the
// open canvas adds to the resident memory. The first showing of a scene of
// that screen just loaded: its pictures and its sections' are made and the
// visible part is painted.
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/api/TypeRecords.h"
#include "core/model/ItemData.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
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

// The largest screen with a text in each section, as the window bench makes it.
void writeLargeScreenWithTexts(const QString& path)
{
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"large", nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 4096, 512);
    tagItemData* scene = nullptr;
    for (int s = 0; s < 16; ++s) {
        scene = core.AddItem(IT_SCENE, u"scene", screen, scene);
        tagItemData* section = nullptr;
        for (int i = 0; i < 16; ++i) {
            section = core.AddItem(IT_WND_TEXT, u"section", scene, section);
            core.ChangeItemRect(section, (i % 4) * 1024, (i / 4) * 128, 1024, 128);
            const bool single = i % 2 == 0;
            tagItemData* text = core.AddItem(single ? IT_SINGLELINE : IT_TEXT, u"text", section, nullptr);
            records::SetItemText(text, single ? QStringLiteral("Scene %1, window %2: platform 4 now boarding").arg(s).arg(i)
                                              : QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}"
                                                               "\\pard\\f0\\fs24 Scene %1 window %2\\par}").arg(s).arg(i));
            core.Paint(text);
        }
    }
    core.SavePL(screen, reinterpret_cast<const char16_t*>(path.utf16()));
}

void BM_FirstShowingOfScene(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.pl"));
    writeLargeScreenWithTexts(path);
    editor::CLed::setDefaultDotSize(3);
    QImage target(QSize(1800, 900), QImage::Format_RGB32);
    for (auto _ : state) {
        state.PauseTiming();
        CCore core;
        tagItemData* screen = core.AddItem(IT_SCREEN, u"large", nullptr, nullptr);
        core.LoadPL(screen, reinterpret_cast<const char16_t*>(path.utf16()));
        auto canvas = std::make_unique<editor::CScreenLed>(core, nullptr);
        canvas->AttachItem(screen);
        canvas->resize(target.size());
        state.ResumeTiming();
        canvas->SelectItem(screen->FirstChild, false);
        canvas->render(&target);
        benchmark::DoNotOptimize(target.constBits());
        state.PauseTiming();
        canvas.reset();
        core.DeleteItem(screen);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstShowingOfScene)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace
