#include "support/SimControllerUpgrade.h"

#include "core/link/Frame.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <utility>

using namespace sorvane::link;

namespace sim {

namespace {

constexpr std::uint8_t kMagic[4] = {0xAA, 0xAA, 0x66, 0x99};
constexpr std::size_t kHeader = 36;
constexpr std::uint16_t kProto = 0x0888;
constexpr int kReadVersion = 19;

std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }

} // namespace

UpgradeController::UpgradeController() = default;

UpgradeController::~UpgradeController() { stop(); }

void UpgradeController::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    for (int* fd : {&m_listen, &m_master, &m_slave, &m_packet})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void UpgradeController::setVersion(std::uint32_t hardwareId, std::uint32_t firmware, std::uint32_t word)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_version.clear();
    for (std::uint32_t v : {hardwareId, firmware, word})
        for (int i = 0; i < 4; ++i)
            m_version.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void UpgradeController::script(const Bytes& answers)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_script.assign(answers.begin(), answers.end());
}

std::vector<std::pair<int, UpgradeController::Bytes>> UpgradeController::blocks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_blocks;
}

std::vector<UpgradeController::Bytes> UpgradeController::records() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_records;
}

std::vector<std::uint32_t> UpgradeController::packetIndexes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_indexes;
}

std::uint8_t UpgradeController::nextAnswer()
{
    if (m_script.empty())
        return 0x11;
    const std::uint8_t a = m_script.front();
    m_script.pop_front();
    return a;
}

bool UpgradeController::startTcp()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listen, 4) != 0
        || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        return false;
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { serveTcp(); });
    return true;
}

bool UpgradeController::startPty()
{
    char name[128] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
        return false;
    termios raw{};
    ::tcgetattr(m_master, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_master, TCSANOW, &raw);
    m_slavePath = name;
    m_thread = std::thread([this] { serveStream(m_master); });
    return true;
}

bool UpgradeController::startEthernet(const char* interfaceName)
{
    m_packet = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(kProto));
    if (m_packet < 0)
        return false;
    ifreq ifr{};
    std::strncpy(ifr.ifr_name, interfaceName, IFNAMSIZ - 1);
    if (::ioctl(m_packet, SIOCGIFINDEX, &ifr) != 0)
        return false;
    m_ifindex = ifr.ifr_ifindex;
    if (::ioctl(m_packet, SIOCGIFHWADDR, &ifr) != 0)
        return false;
    std::memcpy(m_mac, ifr.ifr_hwaddr.sa_data, 6);
    sockaddr_ll addr{};
    addr.sll_family = AF_PACKET;
    addr.sll_protocol = htons(kProto);
    addr.sll_ifindex = m_ifindex;
    if (::bind(m_packet, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        return false;
    m_thread = std::thread([this] { serveEthernet(); });
    return true;
}

void UpgradeController::serveTcp()
{
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_pending.clear();
        }
        serveStream(fd);
        ::close(fd);
    }
}

// Serves one byte stream until it closes or the controller stops.
void UpgradeController::serveStream(int fd)
{
    const bool tcp = fd != m_master;
    std::uint8_t buffer[4096];
    while (!m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            if (tcp)
                return;
            continue;   // the core closed its side of the terminal
        }
        const Bytes answer = feed(buffer, static_cast<std::size_t>(n), tcp);
        if (!answer.empty() && ::write(fd, answer.data(), answer.size()) < 0)
            return;
        if (tcp) {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (std::exchange(m_hangUp, false))
                return;
        }
    }
}

UpgradeController::Bytes UpgradeController::feed(const std::uint8_t* data, std::size_t n, bool tcp)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.insert(m_pending.end(), data, data + n);
    Bytes out;
    for (;;) {
        if (m_pending.size() >= 4 && std::memcmp(m_pending.data(), kMagic, 4) == 0) {
            if (m_pending.size() < kHeader)
                break;
            const int command = m_pending[12];
            const std::uint8_t requestAddress = m_pending[6];
            const std::uint32_t requestSequence = le32(&m_pending[8]);
            const std::size_t length = le32(&m_pending[16]);
            const bool last = m_pending[14] != 0;
            if (m_pending.size() < kHeader + length)
                break;
            const Bytes chunk(m_pending.begin() + kHeader, m_pending.begin() + static_cast<long>(kHeader + length));
            m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(kHeader + length));
            if (m_partialCommand != command)
                m_partialBlock.clear();
            m_partialCommand = command;
            m_partialBlock.insert(m_partialBlock.end(), chunk.begin(), chunk.end());
            if (!tcp || last) {
                m_blocks.emplace_back(command, m_partialBlock);
                m_partialBlock.clear();
                m_partialCommand = -1;
            }
            if (command == kReadVersion && !m_version.empty()) {
                FrameHeader h;
                h.address = requestAddress;
                h.sequence = requestSequence;
                h.command = kReadVersion;
                h.length = static_cast<std::uint32_t>(m_version.size());
                Bytes reply(kHeader);
                WriteFrameHeader(h, reply.data());
                out.insert(out.end(), reply.begin(), reply.end());
                out.insert(out.end(), m_version.begin(), m_version.end());
                continue;
            }
            out.push_back('A');
            continue;
        }
        if (m_pending.size() < 2)
            break;
        const std::size_t size = 2 + ((std::size_t(m_pending[0]) << 8) | m_pending[1]);
        if (m_pending.size() < size)
            break;
        m_records.emplace_back(m_pending.begin(), m_pending.begin() + static_cast<long>(size));
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<long>(size));
        const std::uint8_t answer = nextAnswer();
        if (answer == kHangUp) {
            m_hangUp = true;
            break;
        }
        if (answer)
            out.push_back(answer);
    }
    return out;
}

void UpgradeController::serveEthernet()
{
    std::uint8_t frame[2048];
    Bytes record;
    auto reply = [&](const std::uint8_t* to, std::uint8_t kind, std::uint8_t byte) {
        std::uint8_t out[60] = {};
        std::memcpy(out, to, 6);
        std::memcpy(out + 6, m_mac, 6);
        out[12] = 0x08;
        out[13] = 0x88;
        out[14] = kind;
        out[16] = 1;
        out[22] = byte;
        sockaddr_ll addr{};
        addr.sll_family = AF_PACKET;
        addr.sll_ifindex = m_ifindex;
        addr.sll_halen = 6;
        std::memcpy(addr.sll_addr, to, 6);
        ::sendto(m_packet, out, sizeof out, 0, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    };
    while (!m_stop) {
        pollfd p{m_packet, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        const ssize_t n = ::recv(m_packet, frame, sizeof frame, 0);
        if (n < 22 || std::memcmp(frame + 6, m_mac, 6) == 0)
            continue;
        const std::uint8_t kind = frame[14];
        const std::size_t payload = frame[16] | (frame[17] << 8);
        if (22 + payload > static_cast<std::size_t>(n))
            continue;
        const std::uint8_t* data = frame + 22;
        std::unique_lock<std::mutex> lock(m_mutex);
        if (kind == 2) {
            std::size_t offset = 0;
            if (payload >= kHeader && std::memcmp(data, kMagic, 4) == 0) {
                m_partialCommand = data[12];
                m_partialTotal = le32(data + 16);
                m_partialBlock.clear();
                offset = kHeader;
            }
            m_partialBlock.insert(m_partialBlock.end(), data + offset, data + payload);
            const bool complete = m_partialBlock.size() >= m_partialTotal;
            if (complete)
                m_blocks.emplace_back(m_partialCommand, m_partialBlock);
            lock.unlock();
            // Non-last packets get an acknowledgement frame, the block an 'A'.
            reply(frame + 6, complete ? 2 : 1, complete ? 'A' : 0);
        } else if (kind == 3) {
            m_indexes.push_back(le32(frame + 18));
            record.insert(record.end(), data, data + payload);
            if (record.size() < 2 || record.size() < 2 + ((std::size_t(record[0]) << 8) | record[1]))
                continue;
            m_records.push_back(record);
            record.clear();
            const std::uint8_t answer = nextAnswer();
            lock.unlock();
            if (answer)
                reply(frame + 6, 3, answer);
        }
    }
}

} // namespace sim
