// The core's progress reports on the transfer path: one per 512-byte chunk,
// copied on the worker and shown on the GUI thread.
#include "app/spine/CoreRelay.h"
#include "app/shell/StatusTexts.h"
#include "core/api/Callbacks.h"
#include "core/api/Core.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <benchmark/benchmark.h>

#include <memory>

// Reports from a worker thread, delivered queued and turned into status texts.
static void BM_RelayFromWorker(benchmark::State& state)
{
    CCore core;
    spine::CoreRelay relay(core);
    QObject receiver;
    std::size_t shown = 0;
    const spine::CoreSubscription subscription(
        core, &receiver,
        [&](const std::vector<spine::CoreReport>& reports) {
            for (const spine::CoreReport& r : reports)
                shown += shell::commStatusText(r.event).text.size();
        });
    const int reports = int(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<QThread> worker(QThread::create([&] {
            const std::u16string host(u"controller.example");
            for (int i = 0; i < reports; ++i)
                spine::CoreRelay::commTrampoline(1, i % 7 ? CBE_PROGRESS : CBE_HOST_FAILED,
                                          i % 7 ? std::uintptr_t(i % 101) : reinterpret_cast<std::uintptr_t>(host.c_str()));
        }));
        worker->start();
        worker->wait();
        QCoreApplication::processEvents();
    }
    benchmark::DoNotOptimize(shown);
    state.SetItemsProcessed(state.iterations() * reports);
}
BENCHMARK(BM_RelayFromWorker)->Arg(256)->Arg(4096);
