// Progress reports of a transfer reaching the task dialog: copied on the
// worker, queued, and applied on the GUI thread. A program-data block gives
// one report per chunk, so the cost per report bounds a transfer's overhead.
#include "app/dialogs/task/TaskDlg.h"
#include "core/api/Callbacks.h"
#include "core/api/Core.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <thread>

namespace {

void BM_TaskDialogReports(benchmark::State& state)
{
    const int reports = static_cast<int>(state.range(0));
    CCore core;
    dialogs::CTaskDlg dlg(core);
    dlg.show();   // no task: the window is up and takes reports
    QCoreApplication::processEvents();
    for (auto _ : state) {
        std::thread worker([reports] {
            for (int i = 0; i < reports; ++i)
                spine::CoreRelay::commTrampoline(1, CBE_PROGRESS, static_cast<std::uintptr_t>(i % 100));
        });
        worker.join();
        QCoreApplication::processEvents();
    }
    state.SetComplexityN(reports);
    state.SetItemsProcessed(state.iterations() * reports);
}
BENCHMARK(BM_TaskDialogReports)->RangeMultiplier(4)->Range(256, 16384)->Complexity(benchmark::oN);

} // namespace
