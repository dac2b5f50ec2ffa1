// Compiling a single-line text far past the preview bound, its pages drawn
// again tile by tile: the widest text a controller can be told of (65,536
// LEDs less one window width) on a 256 x 128 window at font height 100 and
// on a 4096 x 512 window at font height 400.
#include "core/model/ItemData.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"
#include "platform/LogFont.h"

#include <QString>
#include <benchmark/benchmark.h>

using namespace sorvane::render;

using namespace sorvane::model;

namespace {

struct Ticker {
    tagItemData* header = nullptr;
    tagItemData* screen = nullptr;
    tagItemData* item = nullptr;

    Ticker(int w, int h, int fontHeight)
    {
        header = CreateHeaderNode();
        screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
        screen->Global.Width = std::uint16_t(w);
        screen->Global.Height = std::uint16_t(h);
        screen->Global.Type = 0;
        screen->Global.ScanMode = 16;
        tagItemData* scene = CreateNode(nullptr, IT_SCENE, u"scene", screen);
        tagItemData* section = CreateNode(nullptr, IT_WND_TEXT, u"s", scene);
        section->Section.RectW = std::uint16_t(w);
        section->Section.RectH = std::uint16_t(h);
        item = CreateNode(nullptr, IT_SINGLELINE, u"ticker", section);
        LOGFONT lf = item->Item.TypeRecord->get(records::singleline::TextFont);
        lf.lfHeight = -fontHeight;
        SetLogFontFaceName(lf, u"DejaVu Sans");
        item->Item.TypeRecord->set(records::singleline::TextFont, lf);
        // The longest text whose width still fits the records.
        const std::uint32_t limit = 0x10000u - std::uint32_t(w);
        int lo = 1, hi = 1;
        while (setText(hi) <= limit)
            hi *= 2;
        while (hi - lo > 1) {
            const int mid = (lo + hi) / 2;
            (setText(mid) <= limit ? lo : hi) = mid;
        }
        setText(lo);
    }
    ~Ticker() { DestroyNode(header); }

    std::uint32_t setText(int chars)
    {
        QString text;
        while (text.size() < chars)
            text += QStringLiteral("News ticker %1 +++ ").arg(text.size());
        text.truncate(chars);
        records::SetItemText(item, text);
        PaintItemByKind(item);
        return item->Item.ContentW;
    }
};

void compileTicker(benchmark::State& state, int w, int h, int fontHeight)
{
    Ticker t(w, h, fontHeight);
    std::size_t pages = 0;
    for (auto _ : state) {
        if (!CContentCompiler::Compile(t.screen))
            state.SkipWithError("refused");
        pages = CContentCompiler::CompiledSlotSize(t.item, 0);
        CContentCompiler::FreeBuffers(t.screen);
    }
    state.counters["chars"] = double(t.item->Item.TypeRecord->text().size());
    state.counters["width"] = double(t.item->Item.ContentW);
    state.counters["page_bytes"] = double(pages);
}

void BM_CompileWidestTicker256x128(benchmark::State& state) { compileTicker(state, 256, 128, 100); }
void BM_CompileWidestTicker4096x512(benchmark::State& state) { compileTicker(state, 4096, 512, 400); }

BENCHMARK(BM_CompileWidestTicker256x128)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CompileWidestTicker4096x512)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
