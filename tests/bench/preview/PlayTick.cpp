// The preview's hot path: one tick of every player of a busy screen (seven
// sections of scrolling text, a clock and a picture, a moving border) on the
// largest panel, and the share of ticks dropped on real threads.
#include "app/preview/Players.h"
#include "app/preview/PreviewCanvas.h"
#include "app/preview/RandomSource.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "support/TreeBuilder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

using namespace preview;

namespace {

constexpr int kWidth = 2048;   // the largest panel a screen may have
constexpr int kHeight = 2048;

struct BusyScreen {
    BusyScreen(int stepMs)
    {
        support::ScreenSpec spec;
        spec.width = kWidth;
        spec.height = kHeight;
        spec.type = 34;
        screen = tb.screen(spec, u"bench");
        scene = tb.scene(screen);
        scene->PlayTime = -1;
        const int h = kHeight / 7;
        for (int i = 0; i < 7; ++i) {
            tagItemData* s = tb.section(scene, QRect(0, i * h, kWidth, h));
            std::uint16_t type = IT_TEXT;
            int code = 1;   // moving left
            if (i == 5)
                type = IT_CLOCKDIGIT, code = 44;
            if (i == 6)
                type = IT_IMAGE, code = 5;
            tagItemData* item = tb.item(s, type);
            item->InEffect = static_cast<std::uint8_t>(code);
            item->InSpeed = static_cast<std::uint16_t>(stepMs);
            item->PlayTime = 1000;
            item->Item.ContentW = kWidth;
            item->Item.ContentH = static_cast<std::uint32_t>(h);
            if (i == 0) {
                core.SetItemFrame(s, 2);
                DynFrameElement* e = core.AddFrameElement(0, u"run", *FrameSlotOf(s), nullptr);
                e->Motion = 2;
                e->Period = 8;
                e->Speed = static_cast<std::uint16_t>(stepMs);
            }
        }
        canvas.resize(kWidth, kHeight, 1);
    }
    CCore core;
    support::TreeBuilder tb;
    tagItemData* screen;
    tagItemData* scene;
    ImageCanvas canvas;
    RandomSource random{11};
};

// Loops without threads or timers: the benchmark fires each player's timer
// itself and then hands the player what it posted, as its loop would.
class QueueLoop final : public PlayLoop {
public:
    explicit QueueLoop(PlayLoopClient& client) : m_client(client) {}
    bool start() override { return true; }
    bool isActive() const override { return false; }
    bool isPaused() const override { return false; }
    bool pause() override { return false; }
    bool resume() override { return false; }
    bool stop() override { return true; }
    void post(const preview::PlayMessage& m) override { m_queue.push_back(m); }
    void setTimer(unsigned, bool) override {}
    void killTimer() override {}
    void tick()
    {
        m_client.loopTimer();
        while (!m_queue.empty()) {
            const preview::PlayMessage m = m_queue.front();
            m_queue.erase(m_queue.begin());
            m_client.loopMessage(m);
        }
    }
    PlayLoopClient& m_client;
    std::vector<preview::PlayMessage> m_queue;
};
class QueueHost final : public PlayHost {
public:
    std::unique_ptr<PlayLoop> makeLoop(PlayLoopClient& client, const char*) override
    {
        auto loop = std::make_unique<QueueLoop>(client);
        loops.push_back(loop.get());
        return loop;
    }
    std::vector<QueueLoop*> loops;
};

void BM_OneTickOfAllPlayers(benchmark::State& state)
{
    BusyScreen b(1);
    QueueHost host;
    std::vector<std::unique_ptr<CPlayProgram>> players;
    for (tagItemData* s = b.scene->FirstChild; s; s = s->NextSibling) {
        auto p = std::make_unique<CPlayProgram>(b.core, host, b.random);
        p->SetCanvas(&b.canvas);
        p->SetMovingBorder(s == b.scene->FirstChild);
        p->Attach(s);
        p->SetLoop(true);
        players.push_back(std::move(p));
    }
    for (QueueLoop* l : host.loops) {
        l->m_client.loopStarted();
        l->tick();
    }
    for (auto _ : state) {
        for (QueueLoop* l : host.loops)
            l->tick();
    }
    for (QueueLoop* l : host.loops)
        l->m_client.loopEnded();
}
BENCHMARK(BM_OneTickOfAllPlayers)->Unit(benchmark::kMicrosecond);

// Real threads at a step of `range(0)` ms for a while: the share of ticks
// dropped (per cent) is reported as a counter.
void BM_DroppedTicks(benchmark::State& state)
{
    const int step = static_cast<int>(state.range(0));
    double share = 0;
    for (auto _ : state) {
        BusyScreen b(step);
        CPlayControl control(b.core, threadHost(), b.random);
        control.SetCanvas(&b.canvas);
        control.SetScene(b.scene, b.scene);
        control.Start();
        const char* env = std::getenv("PREVIEW_BENCH_SECONDS");
        std::this_thread::sleep_for(std::chrono::milliseconds(env ? std::atoi(env) * 1000 : 500));
        control.Pause();
        std::uint64_t fired = 0, dropped = 0;
        for (int i = 0; i < CPlayControl::kPlayers; ++i) {
            fired += control.Player(i).FiredTicks() + control.Player(i).Border().FiredTicks();
            dropped += control.Player(i).DroppedTicks() + control.Player(i).Border().DroppedTicks();
        }
        control.Stop();
        share = fired ? 100.0 * static_cast<double>(dropped) / static_cast<double>(fired) : 0;
    }
    state.counters["dropped_pct"] = share;
}
BENCHMARK(BM_DroppedTicks)->Arg(25)->Arg(10)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}
