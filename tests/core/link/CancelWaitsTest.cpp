// A cancel heard in the waits of a transfer, on the real clock: a serial
// port whose far end takes every byte and never answers, and a TCP peer
// that never reads; and the rate at which a long transfer reports progress.
#include "LinkTestUtil.h"

#include "core/api/Callbacks.h"
#include "core/api/Core.h"
#include "core/link/LinkBase.h"

#include <QThread>

#include <chrono>
#include <memory>
#include <future>
#include <mutex>
#include <thread>

using namespace sorvane::link;
using namespace linktest;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint8_t kProgramData = 1;

struct Stamped {
    unsigned event;
    std::uintptr_t value;
    Clock::time_point at;
};

std::mutex g_mutex;
std::vector<Stamped> g_events;

void stamp(unsigned, unsigned event, std::uintptr_t value)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_events.push_back({event, value, Clock::now()});
}

std::vector<Stamped> stamped()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_events;
}

// Sends `n` bytes on a worker; once `ready` says the transfer waits, cancels
// it and gives the time from the cancel to the transfer's end (ms), or -1
// when it did not end within two seconds.
template <typename Bind, typename Ready>
double cancelWhenWaiting(Bind bind, std::uint32_t n, Ready ready, int& result)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_events.clear();
    }
    std::promise<int> done;
    std::future<int> ended = done.get_future();
    // A QThread: the serial port's waits want one.
    std::unique_ptr<QThread> worker(QThread::create([&] {
        CommSession s;
        CreateCommSession(s, 1, kRequestTimeout, &stamp);
        bind(s);
        s.request = pattern(n);
        done.set_value(s.sendRequest(kProgramData, REPLY_ACK_LAST));
    }));
    worker->start();
    const Clock::time_point give = Clock::now() + std::chrono::seconds(5);
    while (!ready() && Clock::now() < give)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    // Well inside the wait, so that the cancel is not seen between chunks.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    const Clock::time_point cancelled = Clock::now();
    CCore::TerminateComm();
    const bool ends = ended.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - cancelled).count();
    worker->wait();   // a deaf wait still ends by its own time-out
    result = ended.get();
    return ends ? ms : -1;
}

}  // namespace

TEST(CancelWaits, ASerialSendWaitingForAnAnswerThatNeverComesEndsWithinAFifthOfASecond)
{
    CCore core;   // the cancel event
    sim::SimController controller;
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    sim::PtyPeer peer(controller);
    ASSERT_FALSE(peer.slavePath().empty());
    // 16 KiB at 9600 baud: the line time of every byte would be 17 s.
    const std::uint32_t n = 16 * 1024;
    const auto at9600 = [&](CommSession& s) { SetCommSessionSerial(s, QString::fromStdString(peer.slavePath()), 9600); };
    const auto allTaken = [&] {
        const auto got = peer.received();
        return !got.empty() && got[0].size() == kFrameHeaderSize + n;
    };
    int result = 0;
    const double ms = cancelWhenWaiting(at9600, n, allTaken, result);
    EXPECT_GE(ms, 0) << "the cancel was not heard";
    EXPECT_LT(ms, 200);
    EXPECT_EQ(result, COMM_E_CANCELLED);
    const std::vector<Stamped> events = stamped();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().event, unsigned(CBE_CANCELLED));
}

TEST(CancelWaits, ATcpSendToAPeerThatNeverReadsEndsWithinAFifthOfASecond)
{
    CCore core;
    sim::SimController controller;
    sim::Faults deaf;
    deaf.neverRead = true;
    controller.setFaults(deaf);
    sim::TcpPeer peer(controller);
    const auto tcp = [&](CommSession& s) { SetCommSessionNetwork(s, "127.0.0.1", peer.port(), 0); };
    // Connected: the transfer reported its start of progress.
    const auto connected = [] {
        const auto e = stamped();
        return !e.empty() && e.front().event == unsigned(CBE_PROGRESS);
    };
    int result = 0;
    const double ms = cancelWhenWaiting(tcp, 64 * 1024, connected, result);
    EXPECT_GE(ms, 0) << "the cancel was not heard";
    EXPECT_LT(ms, 200);
    EXPECT_EQ(result, COMM_E_CANCELLED);
    const std::vector<Stamped> events = stamped();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().event, unsigned(CBE_CANCELLED));
}

// A block of thousands of frames reports its start, its end and, between
// them, progress at most every 20 ms, not once a frame.
TEST(CancelWaits, ALongTransferReportsProgressAtABoundedRate)
{
    CCore core;
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_events.clear();
    }
    const std::uint32_t n = 2 * 1024 * 1024;   // 4096 frames
    CommSession s;
    CreateCommSession(s, 1, kRequestTimeout, &stamp);
    SetCommSessionNetwork(s, "127.0.0.1", peer.port(), 0);
    s.request = pattern(n);
    const Clock::time_point start = Clock::now();
    ASSERT_EQ(s.sendRequest(kProgramData, REPLY_ACK_LAST), int(n));
    const double took = std::chrono::duration<double, std::milli>(Clock::now() - start).count();

    std::vector<Stamped> progress;
    for (const Stamped& e : stamped())
        if (e.event == unsigned(CBE_PROGRESS))
            progress.push_back(e);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front().value, 0u);
    EXPECT_EQ(progress.back().value, 100u);
    int tooSoon = 0, backwards = 0;
    for (std::size_t i = 1; i + 1 < progress.size(); ++i) {
        tooSoon += progress[i].at - progress[i - 1].at < std::chrono::milliseconds(20);
        backwards += progress[i].value < progress[i - 1].value;
    }
    EXPECT_EQ(tooSoon, 0);
    EXPECT_EQ(backwards, 0);
    EXPECT_LE(double(progress.size()), took / 20 + 3);
    // The acknowledgement of the last frame comes just before the end.
    const std::vector<Stamped> all = stamped();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2].event, unsigned(CBE_DONE));
    EXPECT_EQ(all[all.size() - 2].value, std::uintptr_t(REPLY_ACK_LAST));
}
