// Loading RTF with many formatting runs: the cost must grow with the number
// of runs, not with its square.
#include "platform/RtfReader.h"

#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

// Runs that alternate colour and weight, the way a coloured text comes out
// of the rich edit.
QByteArray manyRuns(int runs)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}"
                     "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\\pard\\f0\\fs20 ";
    rtf.reserve(rtf.size() + runs * 16);
    for (int i = 0; i < runs; ++i) {
        rtf += (i % 2) ? "\\cf1\\b " : "\\cf2\\b0 ";
        rtf += "run";
        if (i % 50 == 49)
            rtf += "\\par ";
    }
    rtf += "\\par}";
    return rtf;
}

void BM_ReadRtfRuns(benchmark::State& state)
{
    const int runs = static_cast<int>(state.range(0));
    const QByteArray rtf = manyRuns(runs);
    for (auto _ : state) {
        QTextDocument doc;
        if (!platform::readRtf(rtf, &doc))
            state.SkipWithError("the RTF was not read");
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetComplexityN(runs);
    state.SetItemsProcessed(state.iterations() * runs);
}

} // namespace

BENCHMARK(BM_ReadRtfRuns)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
