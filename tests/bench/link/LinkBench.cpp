// Program-data blocks sent to the simulated controller over TCP and over a
// pseudo-terminal, next to the bound the link sets:
// - TCP: one connect plus one round trip per frame (each frame waits for
//   its acknowledgement); the connect is the fastest of 20, the round trip
//   what each further frame of a 16-frame block adds (fastest of 20).
// - serial: the wire time of the bytes at the baud rate (ten bits a byte),
//   the peer reading no faster than the line allows. 115200 runs on the
//   real clock; 9600 on a clock scaled by 20 (time-outs and the peer's pace
//   alike), as its wire time is 17 s for 16 KiB.
#include "core/link/CommSession.h"
#include "core/link/Commands.h"
#include "core/link/Frame.h"
#include "core/api/Core.h"
#include "platform/Clock.h"
#include "support/SimController.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>
#include <chrono>
#include <memory>

using namespace sorvane::link;

namespace {

constexpr std::uint32_t kTcpBlock = 256 * 1024;

double since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <typename Bind>
bool sendOnce(Bind bind, std::uint32_t n)
{
    CommSession s;
    CreateCommSession(s, 1, kRequestTimeout, nullptr);
    bind(s);
    s.request.assign(n, 0xA5);
    return s.sendRequest(TOS_PROGDATA, REPLY_ACK_LAST) == static_cast<int>(n);
}

// The fastest of 20 plain connects to the peer.
double connectSeconds(std::uint16_t port)
{
    double best = 1e9;
    for (int i = 0; i < 20; ++i) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const auto start = std::chrono::steady_clock::now();
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0;
        const double t = since(start);
        if (fd >= 0)
            ::close(fd);
        if (ok)
            best = std::min(best, t);
    }
    return best;
}

void BM_ProgramBlockOverTcp(benchmark::State& state)
{
    CCore core;   // the cancel event
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    const std::uint16_t port = peer.port();
    const auto bind = [port](CommSession& s) { SetCommSessionNetwork(s, "127.0.0.1", port, 0); };
    const double connect = connectSeconds(port);
    // A frame's round trip: what each further frame of a block adds.
    const auto fastest = [&](std::uint32_t n) {
        double best = 1e9;
        for (int i = 0; i < 20; ++i) {
            const auto start = std::chrono::steady_clock::now();
            if (!sendOnce(bind, n))
                state.SkipWithError("transfer failed");
            best = std::min(best, since(start));
        }
        return best;
    };
    const double one = fastest(512);
    const double roundTrip = std::max(0.0, (fastest(16 * 512) - one) / 15);
    const double frames = kTcpBlock / 512.0;
    double took = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!sendOnce(bind, kTcpBlock))
            state.SkipWithError("transfer failed");
        took = since(start);
    }
    const double bound = connect + frames * roundTrip;   // the connect, then each frame's round trip
    state.counters["connect_ms"] = connect * 1e3;
    state.counters["round_trip_ms"] = roundTrip * 1e3;
    state.counters["bound_ms"] = bound * 1e3;
    state.counters["ratio"] = bound > 0 ? took / bound : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kTcpBlock);
}

// The same frames sent by the least a client can do: one blocking send and
// one blocking receive of the 'A' per frame, the frames built beforehand.
double minimalTcpClient(std::uint16_t port, const std::vector<std::uint8_t>& wire,
                        const std::vector<std::size_t>& frameEnds)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::size_t at = 0;
    bool ok = true;
    for (std::size_t end : frameEnds) {
        ok = ::send(fd, wire.data() + at, end - at, MSG_NOSIGNAL) == ssize_t(end - at);
        char a = 0;
        while (ok && a != 'A')
            ok = ::recv(fd, &a, 1, 0) == 1;
        if (!ok)
            break;
        at = end;
    }
    ::close(fd);
    return ok ? since(start) : -1;
}

// A callback as the program's: every report wakes a receiver on another thread.
struct WakingReceiver {
    std::mutex mutex;
    std::condition_variable wake;
    std::uint64_t reports = 0, seen = 0;
    bool stop = false;
    std::thread thread{[this] {
        std::unique_lock<std::mutex> lock(mutex);
        while (!stop) {
            wake.wait(lock, [this] { return stop || seen != reports; });
            seen = reports;
        }
    }};
    ~WakingReceiver()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        wake.notify_one();
        thread.join();
    }
    static WakingReceiver*& current()
    {
        static WakingReceiver* r = nullptr;
        return r;
    }
    static void callback(unsigned, unsigned, std::uintptr_t)
    {
        WakingReceiver* r = current();
        {
            std::lock_guard<std::mutex> lock(r->mutex);
            ++r->reports;
        }
        r->wake.notify_one();
    }
};

// The program data of the largest screen (21.7 MB) over TCP, with a
// receiver of the reports as the program has, against the minimal client
// sending the same frames to the same peer in the same run.
void BM_LargeBlockOverTcpAgainstMinimalClient(benchmark::State& state)
{
    const auto n = static_cast<std::uint32_t>(state.range(0));
    CCore core;
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    const std::uint16_t port = peer.port();
    // The bytes the link puts on the wire for this block.
    std::vector<std::uint8_t> data(n, 0xA5), wire;
    std::vector<std::size_t> ends;
    for (const Chunk& c : PlanChunks(LinkKind::Tcp, n)) {
        std::uint8_t header[kFrameHeaderSize];
        WriteFrameHeader(ChunkHeader(LinkKind::Tcp, 1, 1, TOS_PROGDATA, n, c), header);
        wire.insert(wire.end(), header, header + kFrameHeaderSize);
        wire.insert(wire.end(), data.begin() + c.offset, data.begin() + c.offset + c.size);
        ends.push_back(wire.size());
    }
    WakingReceiver receiver;
    WakingReceiver::current() = &receiver;
    double took = 0, minimal = 0;
    std::uint64_t reports = 0;
    for (auto _ : state) {
        controller.clearRecords();
        peer.clearReceived();
        minimal = minimalTcpClient(port, wire, ends);
        controller.clearRecords();
        peer.clearReceived();
        const std::uint64_t before = receiver.reports;
        CommSession s;
        CreateCommSession(s, 1, kRequestTimeout, &WakingReceiver::callback);
        SetCommSessionNetwork(s, "127.0.0.1", port, 0);
        s.request = data;
        const auto start = std::chrono::steady_clock::now();
        if (s.sendRequest(TOS_PROGDATA, REPLY_ACK_LAST) != static_cast<int>(n) || minimal < 0)
            state.SkipWithError("transfer failed");
        took = since(start);
        reports = receiver.reports - before;
        state.SetIterationTime(took);
    }
    WakingReceiver::current() = nullptr;
    state.counters["minimal_ms"] = minimal * 1e3;
    state.counters["ratio"] = minimal > 0 ? took / minimal : 0;
    state.counters["reports"] = double(reports);
    state.counters["frames"] = double(ends.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}

// range(0): baud, range(1): block bytes, range(2): clock divisor.
void BM_ProgramBlockOverSerial(benchmark::State& state)
{
    const auto baud = static_cast<std::uint32_t>(state.range(0));
    const auto n = static_cast<std::uint32_t>(state.range(1));
    std::unique_ptr<platform::ScopedClockScale> scale;
    if (state.range(2) > 1)
        scale = std::make_unique<platform::ScopedClockScale>(static_cast<int>(state.range(2)));
    CCore core;
    sim::SimController controller;
    sim::PtyPeer peer(controller);
    peer.setLineRate(baud);
    const QString path = QString::fromStdString(peer.slavePath());
    const auto bind = [path, baud](CommSession& s) { SetCommSessionSerial(s, path, baud); };
    std::uint64_t wireBytes = 0;
    for (const Chunk& c : PlanChunks(LinkKind::Serial, n))
        wireBytes += (c.withHeader ? kFrameHeaderSize : 0) + c.size;
    const double wire = platform::clock().realDuration(platform::Millis(SerialLineTimeMs(wireBytes, baud))).count() / 1e3;
    double took = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!sendOnce(bind, n))
            state.SkipWithError("transfer failed");
        took = since(start);
    }
    state.counters["wire_ms"] = wire * 1e3;
    state.counters["ratio"] = wire > 0 ? took / wire : 0;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}

}  // namespace

BENCHMARK(BM_ProgramBlockOverTcp)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LargeBlockOverTcpAgainstMinimalClient)
    ->Arg(21'700'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_ProgramBlockOverSerial)
    ->Args({115200, 32 * 1024, 1})
    ->Args({9600, 16 * 1024, 20})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
