// Comparing a screen with its program-list file: the store image against
// the file, byte for byte. Asked before every close and open of a screen.
#include "app/editor/FramePort.h"
#include "app/shell/ConfigFiles.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/PanelView.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace shell;

namespace {

void BM_PanelIsScreenModified(benchmark::State& state)
{
    const int scenes = static_cast<int>(state.range(0));
    QTemporaryDir dir;
    CCore core;
    ShellSettings settings;
    editor::FramePort port;
    CEditorScreenPanel screens(core, settings, dir.path() + u'/', port);
    CPanelView& panel = *screens.View();
    tagItemData* screen = core.AddItem(IT_SCREEN, u"bench", nullptr, nullptr);
    screen->Global.Width = 64;
    screen->Global.Height = 32;
    tagItemData* after = nullptr;
    for (int i = 0; i < scenes; ++i) {
        after = core.AddItem(IT_SCENE, u"scene", screen, after);
        tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", after, nullptr);
        core.AddItem(IT_SINGLELINE, u"text", section, nullptr);
    }
    if (!panel.SaveScreen(screen, true))
        state.SkipWithError("the screen was not saved");
    for (auto _ : state) {
        if (panel.IsScreenModified(screen) != 0)
            state.SkipWithError("the saved screen compares as changed");
    }
    state.SetComplexityN(scenes);
    state.SetBytesProcessed(state.iterations() * core.GetStoreSize(screen));
}
BENCHMARK(BM_PanelIsScreenModified)->RangeMultiplier(4)->Range(4, 256)->Complexity(benchmark::oN);

} // namespace
