// Loading RTF with many formatting runs: the cost must grow with the number
// of runs, not with its square. A megabyte of text, as an import reads it.
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

// A megabyte of text as the rich edit writes it: a colour run every 200
// characters, in lines of `line` characters (0: one paragraph).
QByteArray megabyte(int line)
{
    constexpr int kChars = 1 << 20;
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\\f0\\fs20 ";
    rtf.reserve(kChars * 11 / 10);
    for (int i = 0; i < kChars; ++i) {
        if (i % 200 == 0)
            rtf += (i / 200) % 2 ? "\\cf1 " : "\\cf0 ";
        if (line > 0 && i % line == line - 1)
            rtf += "\\par\r\n";
        else
            rtf += (i % 7 == 6) ? ' ' : char('a' + i % 26);
    }
    return rtf + "\\par}";
}

// Reading for the editor: pieces of long paragraphs, the import's bound.
void BM_ReadRtfMegabyte(benchmark::State& state)
{
    const QByteArray rtf = megabyte(static_cast<int>(state.range(0)));
    platform::ReadOptions options;
    options.blockChars = 2048;
    options.maxChars = qsizetype(4) << 20;
    for (auto _ : state) {
        QTextDocument doc;
        if (platform::readRtf(rtf, &doc, options) != platform::ReadResult::Ok)
            state.SkipWithError("the RTF was not read");
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void BM_ReadPlainMegabyte(benchmark::State& state)
{
    const QString text = QString(1 << 20, u'a');
    platform::ReadOptions options;
    options.blockChars = 2048;
    for (auto _ : state) {
        QTextDocument doc;
        if (platform::readPlainText(text, &doc, options) != platform::ReadResult::Ok)
            state.SkipWithError("the text was not read");
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}

// Rows of shaded cells of their own alignment, each with a text box and a
// footnote, and Hebrew bytes: what a word processor's document holds.
QByteArray documentRows(int rows)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1255{\\fonttbl{\\f0\\fcharset177 Arial;}}"
                     "{\\colortbl;\\red0\\green0\\blue128;}\\f0 ";
    rtf.reserve(rtf.size() + rows * 260);
    for (int i = 0; i < rows; ++i) {
        rtf += "\\trowd\\trgaph100\\clcbpat1\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl \\'f9\\'ec\\'e5\\'ed\\cell"
               "\\pard\\intbl\\qc {\\scaps mid}\\cell\\pard\\intbl\\qr right\\cell\\row"
               "\\pard Anchor {\\shp{\\*\\shpinst{\\sp{\\sn n}{\\sv v}}{\\shptxt\\pard box\\par}}} note{\\super\\chftn}"
               "{\\*\\footnote\\pard{\\super\\chftn} The note.}\\par ";
    }
    return rtf + "}";
}

void BM_ReadRtfDocumentRows(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    const QByteArray rtf = documentRows(rows);
    for (auto _ : state) {
        QTextDocument doc;
        if (!platform::readRtf(rtf, &doc))
            state.SkipWithError("the RTF was not read");
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetComplexityN(rows);
    state.SetItemsProcessed(state.iterations() * rows);
}

} // namespace

BENCHMARK(BM_ReadRtfDocumentRows)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_ReadRtfMegabyte)->Arg(0)->Arg(70)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlainMegabyte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRtfRuns)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();
