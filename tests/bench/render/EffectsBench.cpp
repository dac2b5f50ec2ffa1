// Animated text and clock records: one effect frame for growing texts (cost
// per character), the analog clock's 180 hand lists for growing faces, and
// one border frame for growing rectangles (cost per band pixel).
#include "core/model/DynFrame.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/render/DeviceRecords.h"
#include "core/render/FrameRender.h"
#include "core/api/TextCartoon.h"

#include <QImage>
#include <benchmark/benchmark.h>
#include <memory>

using namespace sorvane::model;

namespace {

void TextEffectFrame(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    QString text;
    for (int i = 0; i < n; ++i)
        text.append(QChar('A' + i % 26));
    render::TextCartoon cartoon(16 * n, 32);
    cartoon.SetText(text);
    cartoon.SetEffect(13);
    QImage img(16 * n, 32, QImage::Format_RGB32);
    int k = 1;
    for (auto _ : state) {
        img.fill(Qt::black);
        cartoon.DrawFrame(img, k);
        k = k % cartoon.FrameCount() + 1;
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(TextEffectFrame)->Arg(8)->Arg(32)->Arg(128);

// A whole run of a stamping effect (4n + 1 frames) for a text far longer
// than its 128 x 64 area shows, as an item compiles it: the cost follows the
// characters drawn, not every character in every frame.
void TextEffectRunInSmallArea(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    QString text;
    for (int i = 0; i < n; ++i)
        text.append(QChar('A' + i % 26));
    render::TextCartoon cartoon(128, 64);
    cartoon.SetText(text);
    cartoon.SetEffect(68);
    QImage img(128, 64, QImage::Format_RGB32);
    for (auto _ : state) {
        for (int k = 1; k <= cartoon.FrameCount(); ++k) {
            img.fill(Qt::black);
            cartoon.DrawFrame(img, k);
        }
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * cartoon.FrameCount());
}
BENCHMARK(TextEffectRunInSmallArea)->Arg(64)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

void AnalogClockRecord(benchmark::State& state)
{
    const int s = static_cast<int>(state.range(0));
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKSIMUL));
    for (auto _ : state)
        benchmark::DoNotOptimize(sorvane::render::BuildAnalogClockRecord(*r, s, s, false, {}));
    state.SetItemsProcessed(state.iterations() * s * s);
}
BENCHMARK(AnalogClockRecord)->Arg(32)->Arg(64)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

void BorderFrame(benchmark::State& state)
{
    const int w = static_cast<int>(state.range(0));
    DynFrame frame;
    frame.Width = 2;
    DynFrameElement* e = CreateFrameElement(0, u"e", &frame, nullptr);
    e->Motion = 2;
    const auto colours = sorvane::render::CollectFrameElementColors(2, e);
    QImage img(w, w / 4, QImage::Format_RGB32);
    sorvane::render::FrameAnimState s = sorvane::render::InitialFrameState(*e, w, w / 4, 2);
    for (auto _ : state) {
        ++s.Phase;
        sorvane::render::PaintDynFrame(img, img.rect(), frame, &s, e, &colours);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * 2 * (w + w / 4));
    RemoveFrameElement(&frame, e);
}
BENCHMARK(BorderFrame)->Arg(128)->Arg(512)->Arg(2048);

// The widest blinking border on a 4096 x 256 panel, frame after frame, the
// painter taking the element's colours itself as the preview does.
void WideBlinkingBorder(benchmark::State& state)
{
    DynFrame frame;
    frame.Width = sorvane::render::kMaxFrameWidth;
    DynFrameElement* e = CreateFrameElement(0, u"e", &frame, nullptr);
    e->Motion = 1;
    QImage img(4096, 256, QImage::Format_RGB32);
    img.fill(Qt::black);
    sorvane::render::FrameAnimState s = sorvane::render::InitialFrameState(*e, 4096, 256, frame.Width);
    for (auto _ : state) {
        ++s.Phase;
        sorvane::render::PaintDynFrame(img, img.rect(), frame, &s, nullptr, nullptr);
        benchmark::DoNotOptimize(img.constBits());
    }
    RemoveFrameElement(&frame, e);
}
BENCHMARK(WideBlinkingBorder)->Unit(benchmark::kMillisecond);

} // namespace
