// A 256 KiB program-data block sent to the simulated controller over TCP and
// over a pseudo-terminal, next to the protocol's own bound: a one-chunk
// block (opening, the specified pauses, one round trip; the fastest of 20),
// plus for every further chunk what the protocol makes it wait (TCP: a round
// trip for its acknowledgement, taken as the one-chunk time; serial: the
// specified 1 ms drain before the write).
#include "core/link/CommSession.h"
#include "core/link/Commands.h"
#include "core/model/Core.h"
#include "support/SimController.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr std::uint32_t kBlock = 256 * 1024;
constexpr double kChunks = kBlock / 512.0;

// The fastest of `rounds` sends (the least disturbed by other load).
template <typename Bind>
double secondsPerSend(Bind bind, std::uint8_t cmd, std::uint32_t n, std::uint32_t flags, int rounds)
{
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        CommSession s;
        CreateCommSession(s, 1, kRequestTimeout, nullptr);
        bind(s);
        s.request.assign(n, 0x5A);
        if (s.sendRequest(cmd, flags) < 0)
            return -1;
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

template <typename Bind>
void run(benchmark::State& state, Bind bind, bool everyChunkWaits)
{
    CCore core;   // the cancel event
    const double one = secondsPerSend(bind, TOS_PROGDATA, 512, REPLY_ACK_LAST, 20);
    const double perChunk = everyChunkWaits ? one : kSerialDrain / 1e3;
    for (auto _ : state) {
        CommSession s;
        CreateCommSession(s, 1, kRequestTimeout, nullptr);
        bind(s);
        s.request.assign(kBlock, 0xA5);
        if (s.sendRequest(TOS_PROGDATA, REPLY_ACK_LAST) != static_cast<int>(kBlock))
            state.SkipWithError("transfer failed");
    }
    state.counters["chunks"] = kChunks;
    state.counters["first_chunk_ms"] = one * 1e3;
    state.counters["per_chunk_ms"] = perChunk * 1e3;
    state.counters["bound_ms"] = (one + (kChunks - 1) * perChunk) * 1e3;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBlock);
}

void BM_ProgramBlockOverTcp(benchmark::State& state)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    const std::uint16_t port = peer.port();
    run(state, [port](CommSession& s) { SetCommSessionNetwork(s, "127.0.0.1", port, 0); }, true);
}

void BM_ProgramBlockOverPseudoTerminal(benchmark::State& state)
{
    sim::SimController controller;
    sim::PtyPeer peer(controller);
    const QString path = QString::fromStdString(peer.slavePath());
    run(state, [path](CommSession& s) { SetCommSessionSerial(s, path, 115200); }, false);
}

}  // namespace

BENCHMARK(BM_ProgramBlockOverTcp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramBlockOverPseudoTerminal)->Unit(benchmark::kMillisecond);
