// Redrawing LED canvases: the whole 1024 x 256 screen at dot 3, and what one
// section's change costs (its window re-rendered and painted).
#include "app/editor/DotRenderer.h"
#include "app/editor/ScreenLed.h"

#include "core/api/Core.h"
#include "core/model/ItemData.h"

#include <QPainter>
#include <benchmark/benchmark.h>

namespace {

void BM_RenderWholeScreenDot3(benchmark::State& state)
{
    QImage content(1024, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 1024; ++x)
            content.setPixel(x, y, qRgb(x & 0xFF, y, (x ^ y) & 0xFF));
    const editor::DotGeometry g = editor::dotGeometry(3, 3);
    QImage display(editor::displaySize(content.size(), g), QImage::Format_RGB32);
    display.fill(0);
    const editor::Thresholds t = editor::thresholdsFor(3, 128);
    for (auto _ : state) {
        editor::renderDots(content, display, content.rect(), 0, g, t);
        benchmark::DoNotOptimize(display.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 256);
}
BENCHMARK(BM_RenderWholeScreenDot3)->Unit(benchmark::kMillisecond);

void BM_SectionChangeOnScreen1024x256(benchmark::State& state)
{
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"bench", nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 1024, 256);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
    core.ChangeItemRect(section, 100, 40, 256, 128);
    editor::CLed::setDefaultDotSize(3);
    editor::CScreenLed canvas(core, nullptr);
    canvas.AttachItem(screen);
    canvas.resize(canvas.GetDisplaySize());
    canvas.SelectItem(section, false);
    editor::CSectionLed* sc = canvas.sectionCanvas(section);
    QImage target(sc->size(), QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        // The section moves by one LED: the core repaints, the window is
        // re-placed, re-rendered and painted.
        core.ChangeItemRect(section, 100 + (step++ & 1), 40, 256, 128);
        canvas.UpdateItemRect(section);
        QPainter p(&target);
        sc->Draw(p, sc->rect());
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_SectionChangeOnScreen1024x256)->Unit(benchmark::kMillisecond);

} // namespace
