// The preview opening on the largest screen (4096 x 512, 16 scenes of 16
// sections) whose first scene the canvas shows: from the window's making to
// that scene drawn into the preview's canvas, the screen's copy included.
#include "app/preview/PreView.h"
#include "core/api/Core.h"
#include "support/TreeBuilder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <mutex>

namespace {

bool drawn(preview::CPreView& dlg)
{
    std::lock_guard lock(dlg.Canvas().mutex());
    const QImage& b = dlg.Canvas().backBuffer();
    for (int y = 0; y < b.height(); y += 7)
        for (int x = 0; x < b.width(); x += 7)
            if ((b.pixel(x, y) & 0xFFFFFF) != 0)
                return true;
    return false;
}

void BM_PreviewOpensWall(benchmark::State& state)
{
    QTemporaryDir dir;
    CCore core;
    core.SetCurLang(9);
    support::WallSpec spec;
    spec.picture = dir.filePath(QStringLiteral("poster.png"));
    tagItemData* screen = support::writeWallPicture(spec.picture) ? support::buildWallScreen(core, spec) : nullptr;
    if (!screen) {
        state.SkipWithError("no wall");
        return;
    }
    // The canvas shows the first scene: its nodes' pictures are current.
    const auto show = [&] {
        GetNodePicture(screen->FirstChild);
        for (tagItemData* s = screen->FirstChild->FirstChild; s; s = s->NextSibling) {
            GetNodePicture(s);
            for (tagItemData* i = s->FirstChild; i; i = i->NextSibling)
                GetNodePicture(i);
        }
    };
    for (auto _ : state) {
        state.PauseTiming();
        show();
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        preview::CPreView dlg(core, screen->FirstChild);
        dlg.show();
        while (!drawn(dlg) && clock.elapsed() < 5000)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!drawn(dlg))
            state.SkipWithError("nothing drawn");
        state.counters["first_scene_ms"] = double(clock.nsecsElapsed()) / 1e6;
        state.PauseTiming();
        dlg.close();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_PreviewOpensWall)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
