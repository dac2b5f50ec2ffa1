// The largest screen (4096 x 512, 16 scenes of 16 sections) in the real main
// window, each step timed from the event until the window has painted what
// it changed: the open from the toolbar, the first showing of each scene,
// selecting sections of a shown scene, and the preview's start until its
// first frame is on show. Counters: min and median of each.
#include "../../app/shell/FrameTestUtil.h"
#include "../../app/shell/PreviewProbe.h"

#include "app/preview/PreView.h"
#include "app/shell/CommandTables.h"
#include "support/ModalScript.h"
#include "support/SeamScope.h"
#include "support/TreeBuilder.h"
#include "support/Widgets.h"

#include <QAction>
#include <QElapsedTimer>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <benchmark/benchmark.h>

using namespace shell;
using frametest::FrameHarness;

namespace {

// Until nothing is left queued: the posted events and the repaints they ask.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

double ms(const QElapsedTimer& clock) { return double(clock.nsecsElapsed()) / 1e6; }

void report(benchmark::State& state, const char* name, std::vector<double> v)
{
    if (v.empty())
        return;
    std::sort(v.begin(), v.end());
    state.counters[std::string(name) + "_min_ms"] = v.front();
    state.counters[std::string(name) + "_median_ms"] = v[v.size() / 2];
}

void BM_LargestWallInTheWindow(benchmark::State& state)
{
    FrameHarness h;
    h.frame->resize(1600, 1000);
    h.frame->show();
    if (!QTest::qWaitForWindowExposed(h.frame.get())) {
        state.SkipWithError("no window");
        return;
    }
    support::WallSpec spec;
    spec.picture = h.folder + QStringLiteral("poster.png");
    const QString path = h.folder + QStringLiteral("userdata/Wall.pl");
    {
        CCore scratch;
        tagItemData* built = support::writeWallPicture(spec.picture) ? support::buildWallScreen(scratch, spec) : nullptr;
        if (!built || scratch.SavePL(built, reinterpret_cast<const char16_t*>(path.utf16())) != 0) {
            state.SkipWithError("the wall was not saved");
            return;
        }
    }
    QToolButton* open = support::findByControlId<QToolButton>(h.frame->MainToolBar(), int(ID_OPEN_FILE));
    if (!open) {
        state.SkipWithError("no open button");
        return;
    }
    std::vector<double> opens, scenes, selects, previews;
    for (auto _ : state) {
        support::SeamScope seams;
        seams.nextFileName(path);
        h.list()->SelectNode(nullptr);
        settle();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(open, Qt::LeftButton);
        settle();
        opens.push_back(ms(clock));
        state.SetIterationTime(opens.back() / 1e3);
        tagItemData* wall = nullptr;
        for (unsigned n = 0; tagItemData* s = h.core.GetScreen(n); ++n)
            if (QString::fromUtf16(s->Name) == QStringLiteral("Wall"))
                wall = s;
        if (!wall) {
            state.SkipWithError("the wall did not open");
            return;
        }
        state.PauseTiming();
        for (tagItemData* scene = wall->FirstChild; scene; scene = scene->NextSibling) {
            clock.restart();
            h.list()->SelectNode(scene->FirstChild);
            settle();
            scenes.push_back(ms(clock));
        }
        tagItemData* last = wall->FirstChild;
        while (last->NextSibling)
            last = last->NextSibling;
        for (tagItemData* section = last->FirstChild; section; section = section->NextSibling) {
            clock.restart();
            h.list()->SelectNode(section);
            settle();
            selects.push_back(ms(clock));
        }
        {
            support::ModalScript script(60000);
            script.expect(QStringLiteral("preview::CPreView"), [&](QWidget* m) {
                auto* view = qobject_cast<preview::CPreView*>(m);
                while (!frametest::previewLit(view) && clock.elapsed() < 10000)
                    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
                previews.push_back(ms(clock));
                QTest::keyClick(view, Qt::Key_Escape);
            });
            clock.restart();
            h.frame->CommandAction(ID_PREVIEW)->trigger();
            settle();
        }
        h.tree()->OnMenuCommand(32889, wall);   // close the screen
        settle();
        state.ResumeTiming();
    }
    report(state, "open", opens);
    report(state, "first_scene", scenes);
    report(state, "select", selects);
    report(state, "preview", previews);
}
BENCHMARK(BM_LargestWallInTheWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace
