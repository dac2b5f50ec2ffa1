// Quitting with 1 and with 20 screens that are saved and unchanged: every
// screen saved on the way out ("Save the screens when quitting" on), the
// screens closed, then config.ini and usr.ini written, as shut-down does.
// The screens are opened again between the runs, outside the time taken.
#include "app/editor/FramePort.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/PanelView.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace shell;

namespace {

// A mid-size screen: 512 x 128, 4 scenes of 4 text sections.
tagItemData* addScreen(CCore& core, int n)
{
    const std::u16string name = u"screen" + QString::number(n).toStdU16String();
    tagItemData* screen = core.AddItem(IT_SCREEN, name.c_str(), nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 512, 128);
    tagItemData* scene = nullptr;
    for (int s = 0; s < 4; ++s) {
        scene = core.AddItem(IT_SCENE, u"scene", screen, scene);
        for (int i = 0; i < 4; ++i) {
            tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
            core.ChangeItemRect(section, (i % 2) * 256, (i / 2) * 64, 256, 64);
            core.AddItem(IT_SINGLELINE, u"text", section, nullptr);
        }
    }
    return screen;
}

void quitWith(benchmark::State& state, int screens)
{
    QTemporaryDir dir;
    CCore core;
    ShellSettings settings;
    settings.isSaveLED = 1;
    const QString folder = dir.path() + u'/';
    editor::FramePort port;
    CEditorScreenPanel screenPanel(core, settings, folder, port);
    CPanelView& panel = *screenPanel.View();
    const QString config = folder + QStringLiteral("config.ini");
    const QString usr = folder + QStringLiteral("usr.ini");
    std::vector<QString> files;
    for (int n = 0; n < screens; ++n) {
        tagItemData* screen = addScreen(core, n);
        if (!panel.SaveScreen(screen, true)) {
            state.SkipWithError("a screen was not saved");
            return;
        }
    }
    if (panel.CloseAllScreens() != 1 || !SaveConfigIni(core, settings, config) || !SaveUsrIni(settings, usr)) {
        state.SkipWithError("the first quit failed");
        return;
    }
    const QStringList saved = settings.screens.savePath;
    for (auto _ : state) {
        for (const QString& path : saved) {
            tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
            if (panel.LoadScreenFile(screen, folder + path) != 0) {
                state.SkipWithError("a screen did not load");
                return;
            }
        }
        QElapsedTimer clock;
        clock.start();
        const bool closed = panel.CloseAllScreens() == 1;
        const bool written = SaveConfigIni(core, settings, config) && SaveUsrIni(settings, usr);
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!closed || !written)
            state.SkipWithError("the quit failed");
    }
}

void BM_QuitWithOneUnchangedScreen(benchmark::State& state) { quitWith(state, 1); }
void BM_QuitWithTwentyUnchangedScreens(benchmark::State& state) { quitWith(state, 20); }
BENCHMARK(BM_QuitWithOneUnchangedScreen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);
BENCHMARK(BM_QuitWithTwentyUnchangedScreens)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace
