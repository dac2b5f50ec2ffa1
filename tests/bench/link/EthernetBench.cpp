// A screen's four program blocks sent over raw Ethernet to the simulated
// controller on a veth pair (root only), next to the bound the link sets:
// the three 200 ms pauses between the blocks plus one round trip per frame
// (each frame waits for its acknowledgement; the round trip is what each
// further frame of a 17-frame block adds, fastest of 20).
// - session: the blocks share one session, as a send does; sends follow
//   one another, each a session of its own, and the adapter's capture is
//   kept from one to the next;
// - session_per_block: each block is a session of its own.
#include "core/link/Adapters.h"
#include "core/link/CommSession.h"
#include "core/link/Commands.h"
#include "core/link/Frame.h"
#include "core/api/Core.h"
#include "platform/Clock.h"
#include "support/SimController.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

using namespace sorvane::link;

namespace {

// Block sizes of a one-scene 1024 x 256 screen: page map, program map,
// program mask, program data.
constexpr std::uint32_t kBlocks[] = {64, 256, 4096, 64 * 1024};
constexpr std::uint8_t kCommands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
constexpr int kPauseMs = 200;

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void bind(CommSession& s, const std::uint8_t* mac)
{
    CreateCommSession(s, 1, kRequestTimeout, nullptr);
    SetCommSessionEthernet(s, QByteArray("tvcore"), mac);
}

bool sendIn(CommSession& s, std::uint8_t command, std::uint32_t n)
{
    s.request.assign(n, 0xA5);
    const std::uint32_t reply = command == TOS_PROGDATA ? std::uint32_t(REPLY_ACK_LAST) : 0u;
    return s.sendRequest(command, reply) == static_cast<int>(n);
}

std::size_t framesOf(std::uint32_t n) { return PlanChunks(LinkKind::Ethernet, n).size(); }

// range(0): 1 = one session for the four blocks, 0 = a session per block.
void BM_ScreenOverRawEthernet(benchmark::State& state)
{
    const bool oneSession = state.range(0) != 0;
    CCore core;   // the cancel event
    for (auto _ : state) {
        double took = 0, roundTrip = 0, first = 0;
        bool ok = true;
        const bool ran = sim::RunInNetworkNamespace([&] {
            sim::SimController controller;
            sim::EthernetPeer peer(controller, "tvsim");
            if (!peer.ok()) {
                ok = false;
                return;
            }
            // The round trip of a frame, in a session whose capture is open.
            CommSession probe;
            bind(probe, peer.mac());
            ok = sendIn(probe, TOS_PROGDATA, 16);
            const auto fastest = [&](std::uint32_t n) {
                double best = 1e9;
                for (int i = 0; i < 20; ++i) {
                    const auto start = std::chrono::steady_clock::now();
                    ok = sendIn(probe, TOS_PROGDATA, n) && ok;
                    best = std::min(best, since(start));
                }
                return best;
            };
            const double one = fastest(16);
            const double many = fastest(16 * 512);
            roundTrip = std::max(0.0, (many - one) / double(framesOf(16 * 512) - framesOf(16)));

            // Sends as the operator makes them, one after another: each a
            // session of its own, its end included; the median of three after
            // a first send.
            const auto sendScreen = [&] {
                const auto start = std::chrono::steady_clock::now();
                {
                    CommSession shared;
                    if (oneSession)
                        bind(shared, peer.mac());
                    for (std::size_t i = 0; i < std::size(kBlocks); ++i) {
                        if (i > 0)
                            platform::sleepFor(kPauseMs);
                        CommSession own;
                        CommSession& s = oneSession ? shared : own;
                        if (!oneSession)
                            bind(own, peer.mac());
                        ok = sendIn(s, kCommands[i], kBlocks[i]) && ok;
                    }
                }
                return since(start);
            };
            first = sendScreen();
            double times[3];
            for (double& t : times)
                t = sendScreen();
            std::sort(std::begin(times), std::end(times));
            took = times[1];
        });
        if (!ran) {
            state.SkipWithError("raw Ethernet needs root to build a network namespace");
            return;
        }
        if (!ok)
            state.SkipWithError("transfer failed");
        std::size_t frames = 0;
        std::uint64_t bytes = 0;
        for (std::uint32_t n : kBlocks) {
            frames += framesOf(n);
            bytes += n;
        }
        const double pauses = 3 * kPauseMs / 1e3;
        const double bound = pauses + double(frames) * roundTrip;
        state.SetIterationTime(took);
        state.counters["round_trip_us"] = roundTrip * 1e6;
        state.counters["first_send_ms"] = first * 1e3;
        state.counters["bound_ms"] = bound * 1e3;
        state.counters["ratio"] = bound > 0 ? took / bound : 0;
        state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    }
}

}  // namespace

BENCHMARK(BM_ScreenOverRawEthernet)
    ->ArgName("session")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
