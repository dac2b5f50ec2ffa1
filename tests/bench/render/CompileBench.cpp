// Compiling whole screens of text and pictures: 64 x 32, a full 1024 x 256
// two-colour screen, 4096 x 512 with one scene and with 16 (analog clocks in
// all but the first). Reports the time per page and per output byte. And
// sends again of unchanged screens: the largest without clocks, and with
// clocks a 1024 x 256 screen and the largest (16 scenes of 16 sections),
// where what does not draw the time is taken from the first send.
#include "core/model/ItemData.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"
#include "core/render/ProgramSchema.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>

using namespace sorvane::render;

using namespace sorvane::model;

namespace {

tagItemData* addChild(tagItemData* parent, std::uint16_t type, const char16_t* name)
{
    tagItemData* last = parent->FirstChild;
    while (last && last->NextSibling)
        last = last->NextSibling;
    return CreateNode(last, type, name, parent);
}

struct Screen {
    tagItemData* header = nullptr;
    tagItemData* screen = nullptr;
    QTemporaryDir dir;

    // `grid` sections across and down each scene.
    Screen(int w, int h, int mode, int scan, int scenes = 1, bool clocks = true, int grid = 2)
    {
        header = CreateHeaderNode();
        screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
        screen->Global.Width = std::uint16_t(w);
        screen->Global.Height = std::uint16_t(h);
        screen->Global.Type = std::uint16_t(mode);
        screen->Global.ScanMode = std::uint16_t(scan);
        QImage pic(w / 2, h / 2, QImage::Format_RGB32);
        for (int y = 0; y < pic.height(); ++y)
            for (int x = 0; x < pic.width(); ++x)
                pic.setPixel(x, y, qRgb((x * 5) & 255, (y * 3) & 255, (x ^ y) & 255));
        const QString path = dir.filePath("p.png");
        pic.save(path);
        for (int n = 0; n < scenes; ++n)
            addScene(w, h, path, clocks && n > 0, grid);
    }

    // grid x grid sections: texts in the top half, pictures below; later scenes
    // also an analog clock over the first section.
    void addScene(int w, int h, const QString& path, bool clock, int grid)
    {
        tagItemData* scene = addChild(screen, IT_SCENE, u"scene");
        const int cells = grid * grid;
        for (int i = 0; i < (clock ? cells + 1 : cells); ++i) {
            tagItemData* s = addChild(scene, IT_WND_TEXT, u"s");
            s->Section.RectX = std::uint16_t((i % grid) * w / grid);
            s->Section.RectY = std::uint16_t((i / grid % grid) * h / grid);
            s->Section.RectW = std::uint16_t(w / grid);
            s->Section.RectH = std::uint16_t(h / grid);
            if (i == cells) {
                s->Section.RectW = std::uint16_t(std::min(w / 2, 256));
                s->Section.RectH = std::uint16_t(std::min(h / 2, 256));
                tagItemData* c = addChild(s, IT_CLOCKSIMUL, u"c");
                PaintItemByKind(c);
            } else if (i < cells / 2) {
                tagItemData* t = addChild(s, IT_SINGLELINE, u"t");
                records::SetItemText(t, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"));
                LOGFONT lf = t->Item.TypeRecord->get(records::singleline::TextFont);
                lf.lfHeight = -(h / (2 * grid));
                t->Item.TypeRecord->set(records::singleline::TextFont, lf);
                t->InEffect = 1;
                PaintItemByKind(t);
            } else {
                tagItemData* p = addChild(s, IT_IMAGE, u"p");
                p->Item.TypeRecord->set(records::picture::Path, path);
                PaintItemByKind(p);
            }
        }
    }
    ~Screen() { DestroyNode(header); }

    std::int64_t pages() const
    {
        std::int64_t n = 0;
        for (tagItemData* sc = screen->FirstChild; sc; sc = sc->NextSibling)
            for (tagItemData* s = sc->FirstChild; s; s = s->NextSibling)
                for (tagItemData* it = s->FirstChild; it; it = it->NextSibling) {
                    const auto& h = CContentCompiler::CompiledSlot(it, 1);
                    const std::uint32_t pageLen = h.size() >= 8 ? (h[4] | (h[5] << 8) | (h[6] << 16) | (std::uint32_t(h[7]) << 24)) : 0;
                    if (pageLen)
                        n += std::int64_t(CContentCompiler::CompiledSlotSize(it, 0) / pageLen);
                }
        return n;
    }
};

void compileScreen(benchmark::State& state, int w, int h, int mode, int scan, int scenes = 1, bool clocks = true,
                   int grid = 2)
{
    Screen s(w, h, mode, scan, scenes, clocks, grid);
    std::int64_t pages = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        if (!CContentCompiler::Compile(s.screen))
            state.SkipWithError("refused");
        pages = s.pages();
        bytes = CContentCompiler::GetProgramDataSize(s.screen) + CContentCompiler::GetProgramMaskSize(s.screen)
            + CContentCompiler::GetProgramMapSize(s.screen) + CContentCompiler::GetPageMapSize(s.screen);
        benchmark::DoNotOptimize(bytes);
        CContentCompiler::FreeBuffers(s.screen);
        CContentCompiler::ForgetCompiled(s.screen);   // each run compiles
    }
    state.counters["pages"] = double(pages);
    state.counters["out_bytes"] = double(bytes);
    state.counters["per_byte"] =
        benchmark::Counter(double(bytes) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["per_page"] =
        benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_CompileFull1024x256TwoColour(benchmark::State& state) { compileScreen(state, 1024, 256, 0, 16); }
void BM_Compile64x32(benchmark::State& state) { compileScreen(state, 64, 32, 17, 4); }

void BM_Compile4096x512(benchmark::State& state) { compileScreen(state, 4096, 512, 0, 16); }
// The largest screen the settings accept, with 16 scenes.
void BM_Compile4096x512Scenes16(benchmark::State& state) { compileScreen(state, 4096, 512, 0, 16, 16); }

// The screen of the next benchmark, compiled each time.
void BM_Compile4096x512Scenes16NoClocks(benchmark::State& state) { compileScreen(state, 4096, 512, 0, 16, 16, false); }

// The blocks read as a send reads them, after a first send of the same
// screen. ReusedCompiles counts the sends that took anything kept, and
// reused_parts / compiled_parts what each send took and what it drew again
// (scene backgrounds and items).
void sendAgain(benchmark::State& state, Screen& s, bool wholeScreenKept)
{
    std::vector<std::uint8_t> out;
    const auto read = [&] {
        for (const auto block : program::BlockOrder) {
            out.resize(CContentCompiler::GetBlockSize(s.screen, block));
            CContentCompiler::CopyBlock(s.screen, block, out.data(), out.size());
        }
    };
    CContentCompiler::ForgetCompiled(nullptr);
    if (!CContentCompiler::Compile(s.screen))
        state.SkipWithError("refused");
    read();
    CContentCompiler::FreeBuffers(s.screen);
    const unsigned reused = CContentCompiler::ReusedCompiles();
    const unsigned parts = CContentCompiler::ReusedParts(), drawn = CContentCompiler::CompiledParts();
    for (auto _ : state) {
        if (!CContentCompiler::Compile(s.screen))
            state.SkipWithError("refused");
        read();
        benchmark::DoNotOptimize(out.data());
        CContentCompiler::FreeBuffers(s.screen);
    }
    const double sends = double(state.iterations());
    state.counters["ReusedCompiles"] = double(CContentCompiler::ReusedCompiles() - reused);
    state.counters["reused_parts"] = double(CContentCompiler::ReusedParts() - parts) / sends;
    state.counters["compiled_parts"] = double(CContentCompiler::CompiledParts() - drawn) / sends;
    if (CContentCompiler::ReusedCompiles() - reused != state.iterations())
        state.SkipWithError("a send took nothing kept");
    if (wholeScreenKept && CContentCompiler::CompiledParts() != drawn)
        state.SkipWithError("a send drew something again");
    CContentCompiler::ForgetCompiled(nullptr);
}

// 4096 x 512, 16 scenes of texts and pictures: everything is taken.
void BM_SendAgainUnchanged4096x512Scenes16(benchmark::State& state)
{
    Screen s(4096, 512, 0, 16, 16, false);
    sendAgain(state, s, true);
}

// 1024 x 256, two scenes of texts and pictures, the second with a clock.
void BM_SendAgainUnchanged1024x256WithClock(benchmark::State& state)
{
    Screen s(1024, 256, 0, 16, 2);
    sendAgain(state, s, false);
}

// The largest screen: 4096 x 512, 16 scenes of 16 sections, clocks in all
// but the first.
void BM_SendAgainUnchanged4096x512Scenes16x16WithClocks(benchmark::State& state)
{
    Screen s(4096, 512, 0, 16, 16, true, 4);
    sendAgain(state, s, false);
}

// The same compiled each time.
void BM_Compile4096x512Scenes16x16WithClocks(benchmark::State& state) { compileScreen(state, 4096, 512, 0, 16, 16, true, 4); }

BENCHMARK(BM_CompileFull1024x256TwoColour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile4096x512)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile4096x512Scenes16)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_Compile64x32)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Compile4096x512Scenes16NoClocks)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SendAgainUnchanged4096x512Scenes16)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SendAgainUnchanged1024x256WithClock)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Compile4096x512Scenes16x16WithClocks)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SendAgainUnchanged4096x512Scenes16x16WithClocks)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
