#include "support/SimController.h"

#include "core/api/OwnerThread.h"
#include "core/api/WorkMode.h"
#include "core/model/CoreState.h"
#include "platform/Clock.h"

#include "platform/ByteIO.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

using namespace sorvane::link;

namespace sim {

namespace {

Bytes defaultHardware()
{
    Bytes b(52, 0);
    bytes::put16(b.data(), 0, 0x55AA);
    b[2] = 1;
    bytes::put16(b.data(), 8, 128);
    bytes::put16(b.data(), 10, 32);
    bytes::put16(b.data(), 12, 200);
    bytes::put16(b.data(), 14, 17);
    bytes::put16(b.data(), 16, 4);   // the most work mode 17 scans
    b[18] = 1;
    bytes::put16(b.data(), 22, 80);
    return b;
}

Bytes ipcf(std::size_t size)
{
    Bytes b(size, 0);
    std::memcpy(b.data(), "ipcf", 4);
    bytes::put16(b.data(), 4, 3);
    bytes::put16(b.data(), 6, static_cast<std::uint16_t>(size));
    return b;
}

bool writeAll(int fd, const Bytes& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t r = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (r < 0 && errno == ENOTSOCK) {
            const ssize_t w = ::write(fd, data.data() + done, data.size() - done);
            if (w <= 0)
                return false;
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (r <= 0) {
            if (r < 0 && errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(r);
    }
    return true;
}

// Waits for fd to be readable or the wake pipe to fire; false to stop.
bool waitReadable(int fd, int wakeFd)
{
    pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        const int r = ::poll(p, 2, -1);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0 || (p[1].revents & POLLIN))
            return false;
        return true;
    }
}

// Settings a controller can run with: a work mode it knows and a scan that
// mode takes. Others it refuses, keeping what it had.
bool runnableHardware(const Bytes& b)
{
    if (b.size() < 18)
        return false;
    const int mode = bytes::get16(b.data(), 14);
    return WorkModeKnown(mode) && ScanFitsWorkMode(mode, bytes::get16(b.data(), 16));
}

// Bytes at the front of `b` that cannot start a frame: up to the first
// magic, or all but the last three (a magic may be coming) when none is there.
std::size_t notAFrameStart(const Bytes& b)
{
    for (std::size_t at = 0; at + 4 <= b.size(); ++at)
        if (bytes::get32(b.data(), at) == kFrameMagic)
            return at;
    return b.size() >= 4 ? b.size() - 3 : 0;
}

// A frame header with a correct check value at the start of these bytes.
bool startsBlock(const std::uint8_t* p, std::size_t n)
{
    FrameHeader h;
    return n >= kFrameHeaderSize && ReadFrameHeader(p, h) && bytes::get16(p, 24) == FrameCheckValue(p, 24);
}

}  // namespace

// ---- the controller ----

SimController::SimController()
    : m_hardware(defaultHardware()), m_ip(ipcf(60)), m_wifi(ipcf(128)), m_version(12, 0)
{
    std::memcpy(m_ip.data() + 8, "simctl", 6);
    bytes::put16(m_ip.data(), 48, 5005);
    bytes::put16(m_ip.data(), 50, 5005);
    std::memcpy(m_wifi.data() + 8, "simnet", 6);
    bytes::put32(m_wifi.data(), 44, 2);
    bytes::put32(m_wifi.data(), 48, 1);
    bytes::put32(m_wifi.data(), 52, 1);
    setVersion(0x0101, 0x0203, 7);
}

void SimController::setFaults(const Faults& f)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults = f;
}

Faults SimController::faults() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_faults;
}

void SimController::setAnswer(std::uint8_t command, const Bytes& data)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers[command] = data;
}

#define SIM_GETTER(type, name, member)                 \
    type SimController::name() const                   \
    {                                                  \
        std::lock_guard<std::mutex> lock(m_mutex);     \
        return member;                                 \
    }
SIM_GETTER(Bytes, hardware, m_hardware)
SIM_GETTER(Bytes, ipSettings, m_ip)
SIM_GETTER(Bytes, wifiSettings, m_wifi)
SIM_GETTER(std::uint32_t, time, m_time)
SIM_GETTER(std::uint32_t, switchValue, m_switch)
SIM_GETTER(int, resets, m_resets)
SIM_GETTER(int, clears, m_clears)
#undef SIM_GETTER

std::vector<Block> SimController::blocks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return {m_blocks.begin(), m_blocks.end()};
}

void SimController::setVersion(std::uint32_t hardwareId, std::uint32_t firmware, std::uint32_t word)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    bytes::put32(m_version.data(), 0, hardwareId);
    bytes::put32(m_version.data(), 4, firmware);
    bytes::put32(m_version.data(), 8, word);
}

void SimController::setHardware(const Bytes& block)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_hardware = block;
    m_hardware.resize(52);
}

bool SimController::waitForBlocks(std::size_t n, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_taken >= n; });
}

void SimController::clearRecords()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_blocks.clear();
    m_blockBytes = 0;
    m_taken = 0;
}

void SimController::onBlock(std::function<void(const Block&)> seen)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_seen = std::move(seen);
}

Reply SimController::receive(const Block& block)
{
    Reply reply;
    std::function<void(const Block&)> seen;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_blocks.push_back(block);
        m_blockBytes += block.data.size();
        ++m_taken;
        while (m_blocks.size() > 1 && m_blockBytes > kKeptBytes) {
            m_blockBytes -= m_blocks.front().data.size();
            m_blocks.pop_front();
        }
        reply = answer(block);
        seen = m_seen;
    }
    m_arrived.notify_all();
    if (seen)
        seen(block);
    return reply;
}

// Called with m_mutex held.
Reply SimController::answer(const Block& block)
{
    const std::uint8_t cmd = block.header.command;
    auto frame = [&](const Bytes& data) {
        const auto it = m_answers.find(cmd);
        return Reply{Reply::Frame, it != m_answers.end() ? it->second : data};
    };
    auto word = [&] { return block.data.size() >= 4 ? bytes::get32(block.data.data(), 0) : 0u; };
    switch (cmd) {
    case 0: ++m_resets; return frame(Bytes(4, 0));
    case 16:
        if (runnableHardware(block.data)) {
            m_hardware = block.data;
            m_hardware.resize(52);
        }
        return {};
    case 17: return frame(m_hardware);
    case 18: m_time = word(); return {};
    case 19: return frame(m_version);
    case 21: return frame(Bytes(4, 0));
    case 22: m_ip = block.data; m_ip.resize(60); return {};
    case 23: return frame(m_ip);
    case 25: m_wifi = block.data; m_wifi.resize(128); return {};
    case 26: return frame(m_wifi);
    case 193: ++m_clears; return {};
    case 240: m_switch = word(); return {};
    case 2: case 3: case 4: return {};
    default: return {Reply::Ack, {}};
    }
}

Bytes SimController::frameBytes(const Block& request, const Reply& reply) const
{
    const Faults f = faults();
    Bytes data = f.refuseFrames ? Bytes() : reply.data;
    FrameHeader h;
    h.address = address();
    h.sequence = request.header.sequence;
    h.command = request.header.command;
    h.length = f.claimLength ? f.claimLength : static_cast<std::uint32_t>(data.size());
    Bytes out(kFrameHeaderSize);
    WriteFrameHeader(h, out.data());
    if (f.garble)
        out[3] = 0x98;
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// ---- peers ----

Peer::~Peer() = default;

void Peer::start()
{
    if (::pipe2(m_wakeFd, O_CLOEXEC) != 0)
        return;
    m_thread = std::thread([this] { serve(); });
}

void Peer::stop()
{
    m_stop = true;
    if (m_wakeFd[1] >= 0) {
        const char c = 1;
        [[maybe_unused]] ssize_t r = ::write(m_wakeFd[1], &c, 1);
    }
    if (m_thread.joinable())
        m_thread.join();
    for (int& fd : m_wakeFd)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
}

std::vector<Bytes> Peer::received() const
{
    std::lock_guard<std::mutex> lock(m_recordMutex);
    return {m_received.begin(), m_received.end()};
}

void Peer::clearReceived()
{
    std::lock_guard<std::mutex> lock(m_recordMutex);
    m_received.clear();
    m_receivedBytes = 0;
}

void Peer::record(const Bytes& bytes, bool append)
{
    std::lock_guard<std::mutex> lock(m_recordMutex);
    if (append && !m_received.empty())
        m_received.back().insert(m_received.back().end(), bytes.begin(), bytes.end());
    else
        m_received.push_back(bytes);
    m_receivedBytes += bytes.size();
    while (m_received.size() > 1 && m_receivedBytes > kKeptBytes) {
        m_receivedBytes -= m_received.front().size();
        m_received.pop_front();
    }
    // One stream (serial) loses its older half at a time, so dropping costs
    // a byte no more than once.
    if (Bytes& stream = m_received.back(); m_received.size() == 1 && stream.size() > 2 * kKeptBytes) {
        stream.erase(stream.begin(), stream.end() - std::ptrdiff_t(kKeptBytes));
        m_receivedBytes = stream.size();
    }
}

Bytes Peer::streamReply(const Block& block, const Reply& reply) const
{
    const Faults f = m_controller.faults();
    if (f.silent || reply.kind == Reply::None)
        return {};
    if (f.lateMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(f.lateMs));
    Bytes out = f.strayBefore;
    if (reply.kind == Reply::Ack) {
        out.push_back(f.garble ? 'B' : kAckByte);
        return out;
    }
    if (f.oversizedFirst) {
        FrameHeader big;
        big.address = m_controller.address();
        big.command = block.header.command;
        big.length = 0x10000;
        Bytes header(kFrameHeaderSize);
        WriteFrameHeader(big, header.data());
        out.insert(out.end(), header.begin(), header.end());
    }
    if (f.otherCommandFirst >= 0) {
        FrameHeader other;
        other.address = m_controller.address();
        other.sequence = block.header.sequence;
        other.command = static_cast<std::uint8_t>(f.otherCommandFirst);
        const Bytes data(reply.data.empty() ? 8 : reply.data.size(), 0xEE);
        other.length = static_cast<std::uint32_t>(data.size());
        Bytes header(kFrameHeaderSize);
        WriteFrameHeader(other, header.data());
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), data.begin(), data.end());
    }
    if (f.staleFirst) {
        FrameHeader stale;
        stale.address = m_controller.address();
        stale.sequence = block.header.sequence - 1;
        stale.command = block.header.command;
        const Bytes data(reply.data.empty() ? 8 : reply.data.size(), 0xEE);
        stale.length = static_cast<std::uint32_t>(data.size());
        Bytes header(kFrameHeaderSize);
        WriteFrameHeader(stale, header.data());
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), data.begin(), data.end());
    }
    const Bytes frame = m_controller.frameBytes(block, reply);
    out.insert(out.end(), frame.begin(), frame.end());
    return out;
}

// ---- TCP ----

TcpPeer::TcpPeer(SimController& controller, std::uint16_t port) : Peer(controller)
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    socklen_t len = sizeof a;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::listen(m_listen, 4) == 0
        && ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        m_port = ntohs(a.sin_port);
    start();
}

TcpPeer::~TcpPeer()
{
    stop();
    ::close(m_listen);
}

void TcpPeer::serve()
{
    while (!m_stop && waitReadable(m_listen, m_wakeFd[0])) {
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        session(fd);
        ::close(fd);
    }
}

void TcpPeer::session(int fd)
{
    if (m_controller.faults().neverRead) {
        pollfd wake{m_wakeFd[0], POLLIN, 0};
        while (!m_stop && ::poll(&wake, 1, 50) == 0) {
        }
        return;
    }
    Bytes buffer;
    Block block;
    auto fill = [&](std::size_t n) {
        while (buffer.size() < n) {
            if (!waitReadable(fd, m_wakeFd[0]))
                return false;
            std::uint8_t tmp[4096];
            const ssize_t r = ::recv(fd, tmp, sizeof tmp, 0);
            if (r <= 0)
                return false;
            buffer.insert(buffer.end(), tmp, tmp + r);
        }
        return true;
    };
    for (;;) {
        if (!fill(kFrameHeaderSize))
            return;
        FrameHeader h;
        if (!ReadFrameHeader(buffer.data(), h)) {
            // Not a frame start: look further, all skipped bytes at once.
            const std::size_t skip = std::max<std::size_t>(1, notAFrameStart(buffer));
            buffer.erase(buffer.begin(), buffer.begin() + std::ptrdiff_t(skip));
            continue;
        }
        if (!fill(kFrameHeaderSize + h.length))
            return;
        const Bytes frame(buffer.begin(), buffer.begin() + kFrameHeaderSize + h.length);
        buffer.erase(buffer.begin(), buffer.begin() + frame.size());
        record(frame, false);
        const Faults f = m_controller.faults();
        if (h.offset == 0) {
            if (f.resetOnBlock) {
                const linger abort{1, 0};   // the close sends a reset
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                return;
            }
            if (f.closeOnBlock)
                return;
            block = Block{h, {}};
        }
        block.data.insert(block.data.end(), frame.begin() + kFrameHeaderSize, frame.end());
        if (!h.lastChunk) {
            if (f.silent)
                continue;
            if (h.offset == 0 && f.statusAfterFirst >= 0)
                writeAll(fd, Bytes{static_cast<std::uint8_t>(f.statusAfterFirst)});
            else
                writeAll(fd, Bytes{static_cast<std::uint8_t>(f.garble ? 'B' : kAckByte)});
            continue;
        }
        if (h.offset == 0 && f.statusAfterFirst >= 0 && !f.silent)
            writeAll(fd, Bytes{static_cast<std::uint8_t>(f.statusAfterFirst)});
        const Reply reply = m_controller.receive(block);
        writeAll(fd, streamReply(block, reply));
    }
}

// ---- UDP ----

UdpPeer::UdpPeer(SimController& controller, const char* bindAddress, std::uint16_t port) : Peer(controller)
{
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, bindAddress, &a.sin_addr);
    socklen_t len = sizeof a;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
        && ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        m_port = ntohs(a.sin_port);
    start();
}

UdpPeer::~UdpPeer()
{
    stop();
    ::close(m_fd);
}

void UdpPeer::serve()
{
    while (!m_stop && waitReadable(m_fd, m_wakeFd[0])) {
        std::uint8_t buf[2048];
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t r = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (r <= 0)
            continue;
        record(Bytes(buf, buf + r), false);
        const Faults f = m_controller.faults();
        if (r == 4 && bytes::get32(buf, 0) == 0 && !f.silent) {
            const std::uint8_t a = m_controller.address();
            ::sendto(m_fd, &a, 1, 0, reinterpret_cast<sockaddr*>(&from), len);
        }
    }
}

// ---- pseudo-terminal ----

PtyPeer::PtyPeer(SimController& controller) : Peer(controller)
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) == 0) {
        m_slavePath = name;
        ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
        ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    }
    start();
}

PtyPeer::~PtyPeer()
{
    stop();
    ::close(m_master);
    ::close(m_slave);
}

unsigned PtyPeer::speed() const { return m_speed; }

void PtyPeer::serve()
{
    Bytes buffer;
    record({}, false);
    bool statusSent = false;
    // Paced reading: the time the line is free to deliver the next byte.
    std::chrono::steady_clock::time_point due = std::chrono::steady_clock::now();
    while (!m_stop && waitReadable(m_master, m_wakeFd[0])) {
        std::uint8_t tmp[4096];
        const unsigned rate = m_lineRate;
        if (rate) {
            const auto now = std::chrono::steady_clock::now();
            if (due > now)
                std::this_thread::sleep_until(due);
            else
                due = now;
        }
        const ssize_t r = ::read(m_master, tmp, rate ? std::min<std::size_t>(64, sizeof tmp) : sizeof tmp);
        if (r <= 0)
            continue;
        if (rate) {
            // Paced on the clock in effect, so a scaled clock shortens the
            // line time as it shortens the core's time-outs.
            const double share = platform::clock().realDuration(platform::Millis(1000000)).count() / 1e6;
            due += std::chrono::microseconds(static_cast<long long>(double(r) * 10 * 1e6 / rate * share));
        }
        const Bytes got(tmp, tmp + r);
        record(got, true);
        m_came += std::size_t(r);
        if (const std::size_t pull = m_controller.faults().pullAfter; pull && m_came >= pull) {
            ::close(m_master);
            m_master = -1;
            return;
        }
        termios t{};
        if (::tcgetattr(m_slave, &t) == 0 && cfgetospeed(&t) != B0)
            m_speed = static_cast<unsigned>(cfgetospeed(&t));
        // A block left unfinished (the sender gave up) ends when a new one begins.
        if (startsBlock(got.data(), got.size()))
            buffer.clear();
        buffer.insert(buffer.end(), got.begin(), got.end());
        for (;;) {
            // Drop what cannot start a frame.
            buffer.erase(buffer.begin(), buffer.begin() + std::ptrdiff_t(notAFrameStart(buffer)));
            if (buffer.size() < kFrameHeaderSize)
                break;
            FrameHeader h;
            ReadFrameHeader(buffer.data(), h);
            const Faults f = m_controller.faults();
            const std::size_t firstChunk = kFrameHeaderSize + std::min<std::size_t>(h.length, kChunkSize);
            if (!statusSent && buffer.size() >= firstChunk && f.statusAfterFirst >= 0 && !f.silent) {
                writeAll(m_master, Bytes{static_cast<std::uint8_t>(f.statusAfterFirst)});
                statusSent = true;
            }
            if (buffer.size() < kFrameHeaderSize + h.length)
                break;
            Block block{h, Bytes(buffer.begin() + kFrameHeaderSize, buffer.begin() + kFrameHeaderSize + h.length)};
            buffer.erase(buffer.begin(), buffer.begin() + kFrameHeaderSize + h.length);
            statusSent = false;
            const Reply reply = m_controller.receive(block);
            writeAll(m_master, streamReply(block, reply));
        }
    }
}

// ---- raw Ethernet ----

EthernetPeer::EthernetPeer(SimController& controller, const char* interfaceName) : Peer(controller)
{
    m_fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(kEtherType));
    ifreq req{};
    std::strncpy(req.ifr_name, interfaceName, IFNAMSIZ - 1);
    if (m_fd >= 0 && ::ioctl(m_fd, SIOCGIFINDEX, &req) == 0) {
        m_ifindex = req.ifr_ifindex;
        if (::ioctl(m_fd, SIOCGIFHWADDR, &req) == 0)
            std::memcpy(m_mac, req.ifr_hwaddr.sa_data, 6);
        sockaddr_ll at{};
        at.sll_family = AF_PACKET;
        at.sll_protocol = htons(kEtherType);
        at.sll_ifindex = m_ifindex;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    } else if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (m_fd >= 0)
        start();
}

EthernetPeer::~EthernetPeer()
{
    stop();
    if (m_fd >= 0)
        ::close(m_fd);
}

void EthernetPeer::sendFrame(const std::uint8_t* to, std::uint8_t kind, const Bytes& payload, std::uint32_t index)
{
    Bytes frame(kLinkHeaderSize);
    WriteLinkHeader(frame.data(), to, m_mac, kind, static_cast<std::uint16_t>(payload.size()), index);
    frame.insert(frame.end(), payload.begin(), payload.end());
    // Ethernet frames are at least 60 bytes on the wire.
    if (frame.size() < 60)
        frame.resize(60, 0);
    sockaddr_ll at{};
    at.sll_family = AF_PACKET;
    at.sll_ifindex = m_ifindex;
    at.sll_halen = 6;
    std::memcpy(at.sll_addr, to, 6);
    ::sendto(m_fd, frame.data(), frame.size(), 0, reinterpret_cast<sockaddr*>(&at), sizeof at);
}

void EthernetPeer::serve()
{
    Block block;
    std::size_t expected = 0;
    bool inBlock = false;
    while (!m_stop && waitReadable(m_fd, m_wakeFd[0])) {
        std::uint8_t buf[2048];
        sockaddr_ll from{};
        socklen_t len = sizeof from;
        const ssize_t r = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (r < static_cast<ssize_t>(kLinkHeaderSize) || from.sll_pkttype == PACKET_OUTGOING)
            continue;
        if (buf[kEthKind] != kKindRequest)
            continue;
        const std::size_t payloadLength = std::min<std::size_t>(bytes::get16(buf, 16), r - kLinkHeaderSize);
        const Bytes packet(buf, buf + kLinkHeaderSize + payloadLength);
        record(packet, false);
        const std::uint8_t* payload = buf + kLinkHeaderSize;
        const std::uint32_t index = bytes::get32(buf, 18);
        std::uint8_t sender[6];
        std::memcpy(sender, buf + 6, 6);
        bool first = false;
        if (inBlock && startsBlock(payload, payloadLength))
            inBlock = false;   // the sender gave the last block up
        if (!inBlock) {
            FrameHeader h;
            if (payloadLength < kFrameHeaderSize || !ReadFrameHeader(payload, h))
                continue;
            block = Block{h, Bytes(payload + kFrameHeaderSize, payload + payloadLength)};
            expected = h.length;
            inBlock = true;
            first = true;
        } else {
            block.data.insert(block.data.end(), payload, payload + payloadLength);
        }
        const Faults f = m_controller.faults();
        const bool last = block.data.size() >= expected;
        if (first && f.statusAfterFirst >= 0 && !f.silent)
            sendFrame(sender, kKindRequest, Bytes{static_cast<std::uint8_t>(f.statusAfterFirst)}, index);
        if (!last) {
            if (!f.silent && !(first && f.statusAfterFirst >= 0))
                sendFrame(sender, kKindAck, Bytes{}, index);
            continue;
        }
        inBlock = false;
        block.data.resize(expected);
        const Reply reply = m_controller.receive(block);
        if (f.silent || reply.kind == Reply::None)
            continue;
        if (f.lateMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(f.lateMs));
        for (int i = 0; i <= f.repeatLast; ++i) {
            if (reply.kind == Reply::Ack)
                sendFrame(sender, kKindRequest, Bytes{static_cast<std::uint8_t>(f.garble ? 'B' : kAckByte)}, index);
            else
                sendFrame(sender, kKindRequest, m_controller.frameBytes(block, reply), index);
        }
    }
}

// ---- network namespace ----

bool RunInNetworkNamespace(const std::function<void()>& body)
{
    if (::geteuid() != 0)
        return false;
    bool ran = false;
    std::thread t([&] {
        // Only this thread (and what it starts) moves into the namespace.
        if (::unshare(CLONE_NEWNET) != 0)
            return;
        if (std::system("ip link add tvcore type veth peer name tvsim && ip link set tvcore up"
                        " && ip link set tvsim up && ip link set lo up") != 0)
            return;
        // Wait for the carrier, or the first frames are lost.
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        for (int i = 0; i < 200; ++i) {
            ifreq a{}, b{};
            std::strncpy(a.ifr_name, "tvcore", IFNAMSIZ - 1);
            std::strncpy(b.ifr_name, "tvsim", IFNAMSIZ - 1);
            if (::ioctl(fd, SIOCGIFFLAGS, &a) == 0 && ::ioctl(fd, SIOCGIFFLAGS, &b) == 0
                && (a.ifr_flags & IFF_RUNNING) && (b.ifr_flags & IFF_RUNNING))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::close(fd);
        ran = true;
        // The body writes the test's core from here: this thread owns it meanwhile.
        if (CCore* core = sorvane::model::CurrentCore())
            SorvaneSetOwnerThread(*core);
        body();
    });
    t.join();
    if (CCore* core = sorvane::model::CurrentCore())
        SorvaneSetOwnerThread(*core);
    return ran;
}

} // namespace sim
