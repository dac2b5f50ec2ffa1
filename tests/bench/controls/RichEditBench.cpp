// Loading RTF with many colour runs into a rich edit that is on screen: the
// editor's layout and view must follow once per load, not once per run.
#include "app/controls/RichEdit.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

QString colourRuns(int runs)
{
    QString rtf = "{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green128\\blue0;}";
    rtf.reserve(rtf.size() + runs * 10);
    for (int i = 0; i < runs; ++i) {
        rtf += (i % 2) ? "\\cf1 ab " : "\\cf2 cd ";
        if (i % 50 == 49)
            rtf += "\\par ";
    }
    rtf += "}";
    return rtf;
}

void BM_RichEditSetRtfShown(benchmark::State& state)
{
    const int runs = static_cast<int>(state.range(0));
    const QString rtf = colourRuns(runs);
    controls::CRichEditCtrlEx edit;
    edit.resize(400, 300);
    edit.show();
    for (auto _ : state) {
        if (!controls::RichEditSetRtf(rtf, &edit))
            state.SkipWithError("the RTF was not read");
        QCoreApplication::processEvents();
    }
    state.SetComplexityN(runs);
    state.SetItemsProcessed(state.iterations() * runs);
}

} // namespace

BENCHMARK(BM_RichEditSetRtfShown)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
