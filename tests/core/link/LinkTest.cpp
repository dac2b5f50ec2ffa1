// Blocks sent over real links to the simulated controller: TCP on
// 127.0.0.1, a pseudo-terminal, raw Ethernet on a veth pair in a network
// namespace (root only), and the USB-stick file.
#include "CaptureCount.h"
#include "LinkTestUtil.h"

#include "core/link/Adapters.h"
#include "core/link/Commands.h"
#include "core/api/Callbacks.h"
#include "core/link/LinkBase.h"
#include "core/api/Core.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <cstdlib>
#include <memory>
#include <thread>
#include <termios.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace sorvane::link;

using namespace linktest;

namespace {

const std::uint32_t kSizes[] = {0, 1, 476, 477, 512, 513, 1200};

class Links : public ::testing::Test {
protected:
    // Every chunk's reports, so that their order shows.
    void SetUp() override
    {
        Recorder::clear();
        SetProgressInterval(0);
    }
    void TearDown() override { SetProgressInterval(-1); }
    CCore core;   // owns the cancel event
    platform::ScopedClockScale fast{20};
};

auto tcpTo(std::uint16_t port, const char* host = "127.0.0.1", std::uint32_t byName = 0)
{
    return [=](CommSession& s) { SetCommSessionNetwork(s, QByteArray(host), port, byName); };
}

auto serialTo(const std::string& path)
{
    return [=](CommSession& s) { SetCommSessionSerial(s, QString::fromStdString(path), 115200); };
}

using Pairs = std::vector<std::pair<unsigned, std::uintptr_t>>;

}  // namespace

TEST_F(Links, TcpCarriesEveryBlockSizeByteForByte)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    for (std::uint32_t n : kSizes) {
        peer.clearReceived();
        const Bytes data = pattern(n, n);
        ASSERT_EQ(sendBlock(tcpTo(peer.port()), 1, data, REPLY_ACK_LAST), static_cast<int>(n)) << n;
        const std::vector<Bytes> got = peer.received();
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got, tcpFrames(1, sequenceOf(got[0]), 1, data)) << n;
    }
}

TEST_F(Links, PseudoTerminalCarriesEveryBlockSizeByteForByte)
{
    sim::SimController controller;
    sim::PtyPeer peer(controller);
    ASSERT_FALSE(peer.slavePath().empty());
    for (std::uint32_t n : kSizes) {
        peer.clearReceived();
        const Bytes data = pattern(n, n);
        ASSERT_EQ(sendBlock(serialTo(peer.slavePath()), 1, data, REPLY_ACK_LAST), static_cast<int>(n)) << n;
        const std::vector<Bytes> got = peer.received();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0], serialStream(1, sequenceOf(got[0]), 1, data)) << n;
    }
    EXPECT_EQ(peer.speed(), static_cast<unsigned>(B115200));
}

TEST_F(Links, SerialAt9600CarriesLargeBlocksToAPeerReadingAtLineSpeed)
{
    // Ten bits a byte: what the reply time-out is extended by.
    EXPECT_EQ(SerialLineTimeMs(960, 9600), 1000u);
    EXPECT_EQ(SerialLineTimeMs(1, 115200), 1u);
    EXPECT_EQ(SerialLineTimeMs(0, 9600), 0u);

    sim::SimController controller;
    sim::PtyPeer peer(controller);
    ASSERT_FALSE(peer.slavePath().empty());
    peer.setLineRate(9600);   // on the test's clock: 64 KiB take 68 s / 20
    for (std::uint32_t n : {8u * 1024, 64u * 1024}) {
        peer.clearReceived();
        const Bytes data = pattern(n, n);
        const auto at9600 = [&](CommSession& s) {
            SetCommSessionSerial(s, QString::fromStdString(peer.slavePath()), 9600);
        };
        ASSERT_EQ(sendBlock(at9600, 1, data, REPLY_ACK_LAST), static_cast<int>(n)) << n;
        const std::vector<Bytes> got = peer.received();
        ASSERT_EQ(got.size(), 1u);
        EXPECT_EQ(got[0], serialStream(1, sequenceOf(got[0]), 1, data)) << n;
    }
    EXPECT_EQ(peer.speed(), static_cast<unsigned>(B9600));
}

TEST_F(Links, RawEthernetCarriesEveryBlockSizeByteForByte)
{
    const bool ran = sim::RunInNetworkNamespace([&] {
        sim::SimController controller;
        sim::EthernetPeer peer(controller, "tvsim");
        ASSERT_TRUE(peer.ok());
        std::uint8_t own[8];
        ASSERT_EQ(QueryAdapterMac("tvcore", own), 1);
        for (std::uint32_t n : kSizes) {
            peer.clearReceived();
            const Bytes data = pattern(n, n);
            auto bind = [&](CommSession& s) { SetCommSessionEthernet(s, QByteArray("tvcore"), peer.mac()); };
            ASSERT_EQ(sendBlock(bind, 1, data, REPLY_ACK_LAST), static_cast<int>(n)) << n;
            const std::vector<Bytes> got = peer.received();
            ASSERT_FALSE(got.empty());
            EXPECT_EQ(got, ethernetPackets(peer.mac(), own, 1, sequenceOf(got[0], 22), 1, data)) << n;
        }
        // A reply frame comes back through the capture into the work buffer.
        CommSession s;
        auto broadcast = [&](CommSession& x) { SetCommSessionEthernet(x, QByteArray("tvcore"), nullptr); };
        ASSERT_EQ(sendBlock(broadcast, 19, Bytes(4, 0), REPLY_FRAME, 1, &s), 4);
        ASSERT_EQ(s.replyLength, 12u);
        EXPECT_EQ(Bytes(s.work.get(), s.work.get() + 12), Bytes({1, 1, 0, 0, 3, 2, 0, 0, 7, 0, 0, 0}));
    });
    if (!ran)
        GTEST_SKIP() << "raw Ethernet needs root to build a network namespace";
}

TEST_F(Links, RawEthernetKeepsOneCaptureForTheBlocksOfASession)
{
    const bool ran = sim::RunInNetworkNamespace([&] {
        sim::SimController controller;
        sim::EthernetPeer peer(controller, "tvsim");
        ASSERT_TRUE(peer.ok());
        std::uint8_t own[8];
        ASSERT_EQ(QueryAdapterMac("tvcore", own), 1);
        CommSession s;
        CreateCommSession(s, 1, kRequestTimeout, &Recorder::callback);
        SetCommSessionEthernet(s, QByteArray("tvcore"), peer.mac());
        const int before = capturesOpened();
        for (std::uint32_t n : kSizes) {
            peer.clearReceived();
            s.request = pattern(n, n + 3);
            ASSERT_EQ(s.sendRequest(1, REPLY_ACK_LAST), static_cast<int>(n)) << n;
            const std::vector<Bytes> got = peer.received();
            ASSERT_FALSE(got.empty());
            // Each block as before: its own sequence number, indexes from 0.
            EXPECT_EQ(got, ethernetPackets(peer.mac(), own, 1, sequenceOf(got[0], 22), 1, s.request)) << n;
        }
        EXPECT_EQ(capturesOpened() - before, 1);

        // Answers that came after a block was done (a controller repeating
        // its acknowledgement) are not taken as the next block's.
        sim::Faults f;
        f.repeatLast = 3;
        controller.setFaults(f);
        s.request = pattern(100, 1);
        ASSERT_EQ(s.sendRequest(1, REPLY_ACK_LAST), 100);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        f = {};
        f.silent = true;
        controller.setFaults(f);
        EXPECT_EQ(s.sendRequest(1, REPLY_ACK_LAST), COMM_E_NO_REPLY);

        // Bound anew, the session gives its capture back and takes it again.
        const int kept = capturesOpened();
        controller.setFaults({});
        SetCommSessionEthernet(s, QByteArray("tvcore"), peer.mac());
        s.request = pattern(600, 2);
        ASSERT_EQ(s.sendRequest(1, REPLY_ACK_LAST), 600);
        EXPECT_EQ(capturesOpened() - kept, 0);
        DestroyCommSession(s);
        EXPECT_EQ(s.capture.handle, nullptr);
    });
    if (!ran)
        GTEST_SKIP() << "raw Ethernet needs root to build a network namespace";
}

// A capture outlives its session for the next one, so a send opens none;
// an adapter that went away fails the send cleanly, and one made anew under
// the same name gets a capture of its own.
TEST_F(Links, RawEthernetKeepsItsCaptureAcrossSessionsAndNoticesTheAdapterGoing)
{
    const bool ran = sim::RunInNetworkNamespace([&] {
        const auto sendOnce = [](const std::uint8_t* mac) {
            CommSession s;
            CreateCommSession(s, 1, kRequestTimeout, &Recorder::callback);
            SetCommSessionEthernet(s, QByteArray("tvcore"), mac);
            s.request = pattern(1200, 5);
            return s.sendRequest(1, REPLY_ACK_LAST);
        };
        {
            sim::SimController controller;
            sim::EthernetPeer peer(controller, "tvsim");
            ASSERT_TRUE(peer.ok());
            ASSERT_EQ(sendOnce(peer.mac()), 1200);
            const int before = capturesOpened();
            for (int i = 0; i < 3; ++i)
                ASSERT_EQ(sendOnce(peer.mac()), 1200) << i;
            EXPECT_EQ(capturesOpened() - before, 0);
        }
        ASSERT_EQ(std::system("ip link del tvcore"), 0);
        Recorder::clear();
        const std::uint8_t any[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        EXPECT_EQ(sendOnce(any), COMM_E_OPEN);
        ASSERT_FALSE(Recorder::events().empty());
        EXPECT_EQ(Recorder::events().back().event, unsigned(CBE_OPEN_FAILED));
        EXPECT_EQ(Recorder::events().back().text, QStringLiteral("Adapter"));

        ASSERT_EQ(std::system("ip link add tvcore type veth peer name tvsim && ip link set tvcore up"
                              " && ip link set tvsim up"), 0);
        // The carrier, or the first frames are lost.
        const auto carrier = [] {
            const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            ifreq a{}, b{};
            std::strncpy(a.ifr_name, "tvcore", IFNAMSIZ - 1);
            std::strncpy(b.ifr_name, "tvsim", IFNAMSIZ - 1);
            const bool up = ::ioctl(fd, SIOCGIFFLAGS, &a) == 0 && ::ioctl(fd, SIOCGIFFLAGS, &b) == 0
                && (a.ifr_flags & IFF_RUNNING) && (b.ifr_flags & IFF_RUNNING);
            ::close(fd);
            return up;
        };
        for (int i = 0; i < 200 && !carrier(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        sim::SimController controller;
        sim::EthernetPeer peer(controller, "tvsim");
        ASSERT_TRUE(peer.ok());
        const int before = capturesOpened();
        EXPECT_EQ(sendOnce(peer.mac()), 1200);
        EXPECT_EQ(capturesOpened() - before, 1);
    });
    if (!ran)
        GTEST_SKIP() << "raw Ethernet needs root to build a network namespace";
}

TEST_F(Links, FileSinkWritesTheSerialFormAndReportsWritten)
{
    QTemporaryDir dir;
    for (std::uint32_t n : kSizes) {
        Recorder::clear();
        const QString path = dir.filePath(QStringLiteral("program.dat"));
        CommSession s;
        CreateFileSession(s, path, &Recorder::callback);
        const Bytes data = pattern(n, n);
        s.request = data;
        ASSERT_EQ(s.sendRequest(1, REPLY_ACK_LAST), 0);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray written = f.readAll();
        const Bytes got(written.begin(), written.end());
        ASSERT_GE(got.size(), 36u);
        EXPECT_EQ(got, serialStream(255, sequenceOf(got), 1, data));
        EXPECT_EQ(Recorder::pairs(), (Pairs{{UFE_WRITTEN, 0}}));
    }
    // A file that cannot be made: result 1 and the path.
    Recorder::clear();
    CommSession s;
    const QString bad = dir.filePath(QStringLiteral("missing/program.dat"));
    CreateFileSession(s, bad, &Recorder::callback);
    s.request = pattern(10);
    EXPECT_EQ(s.sendRequest(1, 0), 1);
    ASSERT_EQ(Recorder::events().size(), 1u);
    EXPECT_EQ(Recorder::events()[0].event, unsigned(UFE_OPEN_FAILED));
    EXPECT_EQ(Recorder::events()[0].text, bad);
}

TEST_F(Links, ProgressOfAMultiChunkBlockComesInOrder)
{
    sim::SimController controller;
    sim::PtyPeer pty(controller);
    sim::TcpPeer tcp(controller);
    EXPECT_EQ(sendBlock(serialTo(pty.slavePath()), 1, pattern(1200), REPLY_ACK_LAST), 1200);
    EXPECT_EQ(Recorder::pairs(), (Pairs{{0, 0}, {2, 0}, {2, 42}, {2, 85}, {3, 8}, {2, 100}}));
    for (const Event& e : Recorder::events())
        EXPECT_EQ(e.cmd, 1u);

    Recorder::clear();
    EXPECT_EQ(sendBlock(tcpTo(tcp.port()), 1, pattern(1200), REPLY_ACK_LAST), 1200);
    EXPECT_EQ(Recorder::pairs(), (Pairs{{2, 0}, {3, 4}, {2, 42}, {3, 4}, {2, 85}, {3, 8}, {2, 100}}));

    Recorder::clear();
    EXPECT_EQ(sendBlock(serialTo(pty.slavePath()), 1, pattern(512), REPLY_ACK_LAST), 512);
    EXPECT_EQ(Recorder::pairs(), (Pairs{{0, 0}, {2, 0}, {3, 8}, {2, 100}}));

    // An empty block is all sent at once.
    Recorder::clear();
    EXPECT_EQ(sendBlock(serialTo(pty.slavePath()), 1, Bytes(), REPLY_ACK_LAST), 0);
    EXPECT_EQ(Recorder::pairs(), (Pairs{{0, 0}, {2, 0}, {3, 8}, {2, 100}}));

    // Without a callback the results are the same.
    CommSession s;
    CreateCommSession(s, 1, kRequestTimeout, nullptr);
    SetCommSessionNetwork(s, "127.0.0.1", tcp.port(), 0);
    s.request = pattern(1200);
    EXPECT_EQ(s.sendRequest(1, REPLY_ACK_LAST), 1200);
}

TEST_F(Links, SequenceNumbersRunOnAcrossLinks)
{
    sim::SimController controller;
    sim::PtyPeer pty(controller);
    sim::TcpPeer tcp(controller);
    ASSERT_EQ(sendBlock(tcpTo(tcp.port()), 1, pattern(3), REPLY_ACK_LAST), 3);
    ASSERT_EQ(sendBlock(serialTo(pty.slavePath()), 1, pattern(3), REPLY_ACK_LAST), 3);
    const std::vector<sim::Block> blocks = controller.blocks();
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[1].header.sequence, blocks[0].header.sequence + 1);
}

namespace {

struct FaultCase {
    const char* name;
    sim::Faults faults;
    std::uint8_t cmd;
    std::uint32_t flags;
    int result;
    unsigned event;
};

std::vector<FaultCase> faultCases()
{
    sim::Faults silent;
    silent.silent = true;
    sim::Faults refuse;
    refuse.refuseFrames = true;
    refuse.statusAfterFirst = 0xE5;
    sim::Faults device;
    device.statusAfterFirst = 0xE1;
    sim::Faults garble;
    garble.garble = true;
    return {
        {"silent frame", silent, 19, REPLY_FRAME, COMM_E_NO_REPLY, CBE_NO_REPLY},
        {"silent ack", silent, 1, REPLY_ACK_LAST, COMM_E_REFUSED, CBE_REFUSED},
        {"refused frame", refuse, 19, REPLY_FRAME, COMM_E_REFUSED, CBE_REFUSED},
        {"refused status", refuse, 1, REPLY_STATUS_FIRST, COMM_E_REFUSED, CBE_REFUSED},
        {"device error", device, 1, REPLY_STATUS_FIRST, COMM_E_DEVICE, CBE_DEVICE_ERROR},
        {"garbled frame", garble, 19, REPLY_FRAME, COMM_E_NO_REPLY, CBE_NO_REPLY},
    };
}

// Only a case that ends in silence waits its time-out out, so only there is
// the clock sped up; a reply that does come gets the full time-out, or a
// loaded machine turns a slow answer into a failure.
int waitDivisor(const FaultCase& c) { return c.faults.silent || c.faults.garble ? 50 : 1; }

}  // namespace

TEST_F(Links, FailuresEndWithTheirResultAndEventOnSerialAndTcp)
{
    sim::SimController controller;
    sim::PtyPeer pty(controller);
    sim::TcpPeer tcp(controller);
    for (const FaultCase& c : faultCases()) {
        const platform::ScopedClockScale scale(waitDivisor(c));
        controller.setFaults(c.faults);
        for (int link = 0; link < 2; ++link) {
            Recorder::clear();
            const int rc = link == 0 ? sendBlock(serialTo(pty.slavePath()), c.cmd, pattern(4), c.flags)
                                     : sendBlock(tcpTo(tcp.port()), c.cmd, pattern(4), c.flags);
            EXPECT_EQ(rc, c.result) << c.name << (link ? " tcp" : " serial");
            const Pairs events = Recorder::pairs();
            ASSERT_FALSE(events.empty());
            EXPECT_EQ(events.back(), std::make_pair(c.event, std::uintptr_t(0))) << c.name;
            EXPECT_EQ(std::count_if(events.begin(), events.end(), [](auto& e) { return e.first == CBE_DONE; }), 0);
        }
    }
    // Stray bytes, a lone first magic byte and an over-long frame in front of
    // the reply lose nothing.
    auto roomier = std::make_unique<platform::ScopedClockScale>(1);
    sim::Faults stray;
    stray.strayBefore = {0x00, 0xAA, 0x41, 0xAA, 0xAA, 0x66};
    stray.oversizedFirst = true;
    controller.setFaults(stray);
    CommSession s;
    EXPECT_EQ(sendBlock(tcpTo(tcp.port()), 19, Bytes(4, 0), REPLY_FRAME, 1, &s), 4);
    EXPECT_EQ(s.replyLength, 12u);
    EXPECT_EQ(sendBlock(serialTo(pty.slavePath()), 19, Bytes(4, 0), REPLY_FRAME, 1, &s), 4);
    EXPECT_EQ(s.replyLength, 12u);
    // A late reply inside the time-out is taken; past it, it is no reply.
    sim::Faults late;
    late.lateMs = 20;
    controller.setFaults(late);
    EXPECT_EQ(sendBlock(tcpTo(tcp.port()), 19, Bytes(4, 0), REPLY_FRAME), 4);
    roomier.reset();
    const platform::ScopedClockScale faster(50);
    late.lateMs = 200;   // past the scaled 100 ms
    controller.setFaults(late);
    EXPECT_EQ(sendBlock(serialTo(pty.slavePath()), 19, Bytes(4, 0), REPLY_FRAME), COMM_E_NO_REPLY);
    EXPECT_EQ(sendBlock(tcpTo(tcp.port()), 19, Bytes(4, 0), REPLY_FRAME), COMM_E_NO_REPLY);
    EXPECT_EQ(Recorder::pairs().back(), std::make_pair(unsigned(CBE_NO_REPLY), std::uintptr_t(0)));
}

// A serial port that goes away under a block (an adapter pulled): the send
// ends within seconds, as a lost port named, not as a refusal.
TEST_F(Links, ASerialPortLostInTheMiddleOfABlockIsNamed)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string path = ::ptsname(master);
    std::atomic<std::size_t> seen{0};
    std::thread pull([&] {
        char buffer[512];
        // The adapter goes once a few chunks have come.
        while (seen < 2048) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            seen += std::size_t(n);
        }
        ::close(master);
    });
    Recorder::clear();
    const auto started = std::chrono::steady_clock::now();
    const int rc = sendBlock(serialTo(path), 1, pattern(256 * 1024), REPLY_ACK_LAST);
    const auto took = std::chrono::steady_clock::now() - started;
    pull.join();
    EXPECT_GE(seen.load(), 2048u);
    EXPECT_EQ(rc, COMM_E_LINK_LOST);
    EXPECT_LT(took, std::chrono::seconds(5));
    ASSERT_FALSE(Recorder::events().empty());
    EXPECT_EQ(Recorder::events().back().event, unsigned(CBE_PORT_LOST));
    EXPECT_EQ(Recorder::events().back().text, QString::fromStdString(path));
}

TEST_F(Links, TcpConnectionClosedOrUnreachable)
{
    sim::SimController controller;
    sim::TcpPeer tcp(controller);
    // Closed or reset under a block: the link was lost, which is no refusal.
    for (const bool reset : {false, true}) {
        SCOPED_TRACE(reset ? "reset" : "closed");
        sim::Faults close;
        close.closeOnBlock = !reset;
        close.resetOnBlock = reset;
        controller.setFaults(close);
        for (const std::uint32_t flags : {std::uint32_t(REPLY_ACK_LAST), std::uint32_t(REPLY_FRAME)}) {
            Recorder::clear();
            EXPECT_EQ(sendBlock(tcpTo(tcp.port()), flags == REPLY_FRAME ? 17 : 1, pattern(1200), flags),
                      COMM_E_LINK_LOST);
            EXPECT_EQ(Recorder::pairs().back(), std::make_pair(unsigned(CBE_LINK_LOST), std::uintptr_t(0)));
        }
    }
    controller.setFaults({});

    // Bad hosts fail before any connect.
    for (const char* host : {"0.0.0.0", "not.an.address", ""}) {
        Recorder::clear();
        EXPECT_EQ(sendBlock(tcpTo(tcp.port(), host), 1, pattern(4), 0), COMM_E_OPEN);
        ASSERT_EQ(Recorder::events().size(), 1u) << host;
        EXPECT_EQ(Recorder::events()[0].event, unsigned(CBE_HOST_FAILED));
        EXPECT_EQ(Recorder::events()[0].text, QStringLiteral("%1:%2").arg(QString::fromLatin1(host)).arg(tcp.port()));
    }
    Recorder::clear();
    EXPECT_EQ(sendBlock(tcpTo(tcp.port(), "", 1), 1, pattern(4), 0), COMM_E_OPEN);
    EXPECT_EQ(Recorder::pairs().size(), 1u);

    // A port nobody listens on: four attempts, then the host is reported.
    std::uint16_t closedPort;
    {
        sim::TcpPeer gone(controller);
        closedPort = gone.port();
    }
    Recorder::clear();
    EXPECT_EQ(sendBlock(tcpTo(closedPort), 1, pattern(4), 0), COMM_E_OPEN);
    ASSERT_EQ(Recorder::events().size(), 1u);
    EXPECT_EQ(Recorder::events()[0].event, unsigned(CBE_HOST_FAILED));
    EXPECT_EQ(Recorder::events()[0].text, QStringLiteral("127.0.0.1:%1").arg(closedPort));   // the port it tried

    // Cancelled between the attempts.
    Recorder::clear();
    auto cancelAfterBind = [&](CommSession& s) {
        SetCommSessionNetwork(s, "127.0.0.1", closedPort, 0);
        CCore::TerminateComm();
    };
    EXPECT_EQ(sendBlock(cancelAfterBind, 1, pattern(4), 0), COMM_E_CANCELLED);
    EXPECT_EQ(Recorder::pairs(), (Pairs{{CBE_CANCELLED, 0}}));
}

TEST_F(Links, MissingDevicesAreOpenFailures)
{
    EXPECT_EQ(sendBlock(serialTo("ttyTavreloMissing"), 1, pattern(4), 0), COMM_E_OPEN);
    ASSERT_EQ(Recorder::events().size(), 1u);
    EXPECT_EQ(Recorder::events()[0].event, unsigned(CBE_OPEN_FAILED));
    EXPECT_EQ(Recorder::events()[0].text, QStringLiteral("ttyTavreloMissing"));

    Recorder::clear();
    auto adapter = [](CommSession& s) { SetCommSessionEthernet(s, QByteArray("tavrelo-none0"), nullptr); };
    EXPECT_EQ(sendBlock(adapter, 1, pattern(4), 0), COMM_E_OPEN);
    ASSERT_EQ(Recorder::events().size(), 1u);
    EXPECT_EQ(Recorder::events()[0].event, unsigned(CBE_OPEN_FAILED));
    EXPECT_EQ(Recorder::events()[0].text, QStringLiteral("Adapter"));
}

namespace {
void cancelOnFirstProgress(unsigned cmd, unsigned event, std::uintptr_t value)
{
    Recorder::callback(cmd, event, value);
    if (event == CBE_PROGRESS && value > 0)
        CCore::TerminateComm();
}
}  // namespace

TEST_F(Links, CancelBetweenChunksStopsTheTransfer)
{
    sim::SimController controller;
    sim::PtyPeer pty(controller);
    CommSession s;
    CreateCommSession(s, 1, kRequestTimeout, &cancelOnFirstProgress);
    SetCommSessionSerial(s, QString::fromStdString(pty.slavePath()), 9600);
    s.request = pattern(1200);
    EXPECT_EQ(s.sendRequest(1, REPLY_ACK_LAST), COMM_E_CANCELLED);
    EXPECT_EQ(Recorder::pairs(), (Pairs{{0, 0}, {2, 0}, {2, 42}, {CBE_CANCELLED, 0}}));

    // The controller saw the first chunk only.
    // The peer may not have read anything yet when the sender returns.
    auto firstFrame = [&] {
        const auto got = pty.received();
        return got.empty() ? std::size_t(0) : got[0].size();
    };
    for (int i = 0; i < 300 && firstFrame() < 36 + 512; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(firstFrame(), 36u + 512u);

    // A cancel left over from before is cleared by the next session.
    CCore::TerminateComm();
    Recorder::clear();
    EXPECT_EQ(sendBlock(serialTo(pty.slavePath()), 1, pattern(1200), REPLY_ACK_LAST), 1200);
}

namespace {

// A link whose writes all fail, to time the failure.
class DeadLink : public Link {
public:
    using Link::Link;
    LinkKind kind() const override { return LinkKind::Serial; }
    int open(std::uint8_t) override { return 0; }
    void close() override {}
    bool write(const std::uint8_t*, std::size_t) override { return false; }
    int checkReply(std::uint8_t, std::uint32_t, const Chunk&, const platform::Deadline& d) override
    {
        while (!d.passed()) {
        }
        return COMM_OK;
    }
};

}  // namespace

TEST_F(Links, AFailedWriteEndsAtOnceAndNeverAsSuccess)
{
    platform::ScopedClockScale real(1);
    const std::pair<std::uint32_t, int> cases[] = {
        {0, COMM_E_REFUSED}, {REPLY_STATUS_FIRST, COMM_E_REFUSED}, {REPLY_ACK_LAST, COMM_E_REFUSED},
        {REPLY_FRAME, COMM_E_NO_REPLY}, {REPLY_ONE_BYTE, COMM_E_NO_REPLY}};
    for (const auto& [flags, expected] : cases) {
        CommSession s;
        CreateCommSession(s, 1, kRequestTimeout, &Recorder::callback);
        DeadLink link(s, LinkTarget{});
        const auto start = std::chrono::steady_clock::now();
        const Bytes data = pattern(8);
        EXPECT_EQ(RunTransfer(s, link, 1, data.data(), 8, flags, kRequestTimeout), expected) << flags;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
}

TEST(SimulatedController, AnswersAProbeDatagramWithItsAddress)
{
    sim::SimController controller;
    controller.setAddress(42);
    sim::UdpPeer peer(controller);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(peer.port());
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::uint8_t probe[4] = {};
    ASSERT_EQ(::sendto(fd, probe, 4, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 4);
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 3000), 1);
    std::uint8_t answer[8];
    EXPECT_EQ(::recv(fd, answer, sizeof answer, 0), 1);
    EXPECT_EQ(answer[0], 42);
    ::close(fd);
    EXPECT_EQ(peer.received(), std::vector<Bytes>({Bytes(4, 0)}));
}

TEST_F(Links, RawEthernetFailuresEndWithTheirResultAndEvent)
{
    const bool ran = sim::RunInNetworkNamespace([&] {
        sim::SimController controller;
        sim::EthernetPeer peer(controller, "tvsim");
        ASSERT_TRUE(peer.ok());
        auto bind = [&](CommSession& s) { SetCommSessionEthernet(s, QByteArray("tvcore"), peer.mac()); };
        for (const FaultCase& c : faultCases()) {
            const platform::ScopedClockScale scale(waitDivisor(c));
            controller.setFaults(c.faults);
            Recorder::clear();
            const int expected = std::string(c.name) == "silent ack" ? COMM_E_NO_REPLY : c.result;
            EXPECT_EQ(sendBlock(bind, c.cmd, pattern(4), c.flags), expected) << c.name;
            ASSERT_FALSE(Recorder::pairs().empty());
            EXPECT_NE(Recorder::pairs().back().first, unsigned(CBE_DONE)) << c.name;
            // The simulated controller answers a block it refused by its
            // status byte as well; that answer must reach the kept capture
            // before the next block drops what it holds, or the next
            // block's status wait takes it.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        // A reply frame claiming more data than it carries gives what it carries.
        {
            const platform::ScopedClockScale roomier(1);
            sim::Faults claim;
            claim.claimLength = 2000;
            controller.setFaults(claim);
            CommSession s;
            auto broadcast = [&](CommSession& x) { SetCommSessionEthernet(x, QByteArray("tvcore"), nullptr); };
            ASSERT_EQ(sendBlock(broadcast, 19, Bytes(4, 0), REPLY_FRAME, 1, &s), 4);
            EXPECT_EQ(s.replyLength, 12u);
            EXPECT_EQ(Bytes(s.work.get(), s.work.get() + 12), Bytes({1, 1, 0, 0, 3, 2, 0, 0, 7, 0, 0, 0}));
        }
        // A multi-packet block waits for an acknowledgement after every packet
        // but the last: silence there is no reply.
        const platform::ScopedClockScale faster(50);
        sim::Faults silent;
        silent.silent = true;
        controller.setFaults(silent);
        EXPECT_EQ(sendBlock(bind, 2, pattern(1200), 0), COMM_E_NO_REPLY);
    });
    if (!ran)
        GTEST_SKIP() << "raw Ethernet needs root to build a network namespace";
}

// The simulated controller keeps the newest blocks within its bound, each
// whole, and still counts every block it took, so tests that wait for blocks
// and read them keep working however long it runs.
TEST(SimControllerKeeps, TheNewestBlocksWithinItsBoundAndCountsEveryOne)
{
    sim::SimController controller;
    const std::size_t third = sim::kKeptBytes / 3 + 1;
    for (std::uint8_t i = 0; i < 4; ++i) {
        sim::Block b;
        b.header.command = TOS_PROGDATA;
        b.header.sequence = i;
        b.data.assign(third, i);
        controller.receive(b);
    }
    EXPECT_TRUE(controller.waitForBlocks(4, 0));
    std::vector<sim::Block> kept = controller.blocks();
    ASSERT_EQ(kept.size(), 2u);
    for (std::size_t k = 0; k < kept.size(); ++k) {
        EXPECT_EQ(kept[k].header.sequence, k + 2);
        EXPECT_EQ(kept[k].data, Bytes(third, std::uint8_t(k + 2)));
    }
    // A block larger than the bound is kept whole, alone.
    sim::Block big;
    big.data.assign(sim::kKeptBytes + 1, 0x5A);
    controller.receive(big);
    kept = controller.blocks();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].data.size(), sim::kKeptBytes + 1);
    EXPECT_TRUE(controller.waitForBlocks(5, 0));
    EXPECT_FALSE(controller.waitForBlocks(6, 0));
    controller.clearRecords();
    EXPECT_TRUE(controller.blocks().empty());
    EXPECT_FALSE(controller.waitForBlocks(1, 0));
}
