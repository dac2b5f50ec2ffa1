// The item-list panel over windows of many items: loading the window, and
// adding an item after the first row (which renumbers every row below).
#include "app/spine/Messages.h"
#include "app/panels/PropertyProgList.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"

#include <QListWidget>
#include <benchmark/benchmark.h>

namespace {

struct ListWindow {
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* window = core.AddItem(IT_WND_PROGLIST, u"list", scene, nullptr);
    QWidget page;
    panels::CPropertyProgList* panel = new panels::CPropertyProgList(panels::PanelContext{core, nullptr}, &page);

    explicit ListWindow(int items)
    {
        tagItemData* after = nullptr;
        for (int i = 0; i < items; ++i)
            after = core.AddItem(IT_SINGLELINE, u"item", window, after);
        panel->Create(&page);
    }
    ~ListWindow() { core.DeleteItem(screen); }
};

void BM_LoadListWindow(benchmark::State& state)
{
    ListWindow w(int(state.range(0)));
    for (auto _ : state)
        platform::sendMessage(w.panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(w.window));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadListWindow)->RangeMultiplier(4)->Range(64, 4096)->Complexity();

void BM_AddAfterFirstRow(benchmark::State& state)
{
    ListWindow w(int(state.range(0)));
    platform::sendMessage(w.panel, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(w.window));
    for (auto _ : state) {
        w.panel->list()->setCurrentRow(0);
        tagItemData* item = w.panel->AddItemOfType(IT_SINGLELINE);
        state.PauseTiming();
        w.panel->OnNodeDeleting(item);
        w.core.DeleteItem(item);
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_AddAfterFirstRow)->RangeMultiplier(4)->Range(64, 4096)->Complexity();

} // namespace
