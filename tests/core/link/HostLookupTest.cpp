// The network link's host look-up: a name under a resolver of the test's
// own, which answers at once or never, against the simulated controller.
#include "LinkTestUtil.h"

#include "core/api/Callbacks.h"
#include "core/api/Core.h"
#include "core/link/HostLookup.h"

#include <arpa/inet.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

using namespace sorvane::link;
using namespace linktest;

namespace {

using Pairs = std::vector<std::pair<unsigned, std::uintptr_t>>;

// "controller.test" is the loopback; any other name hangs until the test ends.
struct Resolver {
    static int resolve(const char* name, in_addr* out)
    {
        ++calls;
        if (std::strcmp(name, "controller.test") == 0)
            return ::inet_pton(AF_INET, "127.0.0.1", out) == 1 ? 0 : -1;
        std::unique_lock<std::mutex> lock(mutex);
        wake.wait(lock, [] { return released; });
        return -1;
    }
    static inline std::atomic<int> calls{0};
    static inline std::mutex mutex;
    static inline std::condition_variable wake;
    static inline bool released = false;
};

class HostLookupLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        Recorder::clear();
        Resolver::calls = 0;
        Resolver::released = false;
        SetHostResolver(&Resolver::resolve);
    }
    void TearDown() override
    {
        SetHostResolver(nullptr);
        {
            // The look-ups given up on end now.
            const std::lock_guard<std::mutex> lock(Resolver::mutex);
            Resolver::released = true;
        }
        Resolver::wake.notify_all();
    }
    // A block to `host` by name; the real milliseconds it took.
    int send(const char* host, std::uint16_t port, std::chrono::milliseconds* took)
    {
        const auto start = std::chrono::steady_clock::now();
        const int rc = sendBlock([&](CommSession& s) { SetCommSessionNetwork(s, QByteArray(host), port, 1); }, 1,
                                 pattern(4), 0);
        *took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        return rc;
    }
    CCore core;   // owns the cancel event
    sim::SimController controller;
    sim::TcpPeer peer{controller};
};

} // namespace

TEST_F(HostLookupLink, ANameIsLookedUpAndADottedAddressIsNot)
{
    std::chrono::milliseconds took{};
    EXPECT_EQ(send("controller.test", peer.port(), &took), 4);
    EXPECT_EQ(Resolver::calls, 1);
    EXPECT_EQ(send("127.0.0.1", peer.port(), &took), 4);
    EXPECT_EQ(Resolver::calls, 1);
    ASSERT_TRUE(controller.waitForBlocks(2));
}

TEST_F(HostLookupLink, ALookUpThatNeverAnswersEndsAtItsDeadline)
{
    // The connect's 5000 ms, a hundred times faster.
    platform::ScopedClockScale fast(100);
    std::chrono::milliseconds took{};
    EXPECT_EQ(send("silent.test", peer.port(), &took), COMM_E_OPEN);
    EXPECT_LT(took, std::chrono::milliseconds(1000));
    ASSERT_EQ(Recorder::events().size(), 1u);
    EXPECT_EQ(Recorder::events()[0].event, unsigned(CBE_HOST_FAILED));
    // The report names the port it tried as well.
    EXPECT_EQ(Recorder::events()[0].text, QStringLiteral("silent.test:%1").arg(peer.port()));
}

TEST_F(HostLookupLink, ALookUpThatNeverAnswersEndsOnCancel)
{
    platform::ScopedClockScale real(1);
    std::thread operatorCancels([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        CCore::TerminateComm();
    });
    std::chrono::milliseconds took{};
    const int rc = send("silent.test", peer.port(), &took);
    operatorCancels.join();
    EXPECT_EQ(rc, COMM_E_CANCELLED);
    EXPECT_LT(took, std::chrono::milliseconds(2000));
    EXPECT_EQ(Recorder::pairs(), (Pairs{{CBE_CANCELLED, 0}}));
    EXPECT_TRUE(controller.blocks().empty());
}
