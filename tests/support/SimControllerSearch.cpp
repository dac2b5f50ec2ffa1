#include "support/SimControllerSearch.h"

#include <chrono>

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

using namespace sorvane::link;

namespace sim {

Reply SearchController::answer(const Block& block)
{
    if (pty && speed && pty->speed() != speed)
        return {};   // at another speed the controller hears only noise
    if (block.header.command == 21) {
        int address = block.header.address;
        if (address == 255 && !addresses.empty())
            address = *addresses.begin();
        else if (!addresses.count(address))
            return {};
        setAddress(static_cast<std::uint8_t>(address));
    }
    return SimController::answer(block);
}

UdpControllers::UdpControllers() = default;

UdpControllers::~UdpControllers() { stop(); }

bool UdpControllers::start(const std::vector<Controller>& controllers)
{
    m_controllers = controllers;
    m_listen = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        return false;
    m_port = ntohs(addr.sin_port);
    for (const Controller& c : m_controllers) {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        m_answerSockets.push_back(fd);
        sockaddr_in own{};
        own.sin_family = AF_INET;
        own.sin_port = htons(m_port);
        ::inet_pton(AF_INET, c.ip.c_str(), &own.sin_addr);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0)
            return false;
        const int tcp = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (tcp < 0)
            return false;
        m_tcpListeners.push_back(tcp);
        ::setsockopt(tcp, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (::bind(tcp, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0 || ::listen(tcp, 4) != 0)
            return false;
    }
    m_thread = std::thread([this] { serve(); });
    return true;
}

void UdpControllers::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    for (int fd : m_answerSockets)
        ::close(fd);
    m_answerSockets.clear();
    for (int fd : m_tcpListeners)
        ::close(fd);
    m_tcpListeners.clear();
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
}

// One probe over TCP: a framed block of command 21 answered with a reply
// frame carrying the controller's address.
void UdpControllers::answerTcp(int listener, std::uint8_t address)
{
    const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    Bytes got;
    std::uint8_t tmp[256];
    while (got.size() < kFrameHeaderSize + 4) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 1000) <= 0)
            break;
        const ssize_t n = ::read(fd, tmp, sizeof tmp);
        if (n <= 0)
            break;
        got.insert(got.end(), tmp, tmp + n);
    }
    FrameHeader request;
    if (got.size() >= kFrameHeaderSize && ReadFrameHeader(got.data(), request) && request.command == 21) {
        ++m_tcpProbes;
        FrameHeader h;
        h.address = address;
        h.sequence = request.sequence;
        h.command = 21;
        h.length = 4;
        Bytes out(kFrameHeaderSize + 4, 0);
        WriteFrameHeader(h, out.data());
        (void)!::write(fd, out.data(), out.size());
    }
    ::close(fd);
}

void UdpControllers::serve()
{
    std::uint8_t buffer[64];
    sockaddr_in prober{};
    bool probed = false;
    std::vector<std::chrono::steady_clock::time_point> nextRepeat(m_controllers.size());
    auto answer = [&](std::size_t i) {
        std::vector<std::uint8_t> bytes(1 + static_cast<std::size_t>(m_controllers[i].extraBytes), 0x5A);
        bytes[0] = m_controllers[i].address;
        ::sendto(m_answerSockets[i], bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&prober),
                 sizeof prober);
        nextRepeat[i] = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_controllers[i].repeatMs);
    };
    while (!m_stop) {
        if (probed)
            for (std::size_t i = 0; i < m_controllers.size(); ++i)
                if (m_controllers[i].repeatMs > 0 && std::chrono::steady_clock::now() >= nextRepeat[i])
                    answer(i);
        std::vector<pollfd> fds{{m_listen, POLLIN, 0}};
        for (int fd : m_tcpListeners)
            fds.push_back({fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 5) <= 0)
            continue;
        for (std::size_t i = 1; i < fds.size(); ++i)
            if (fds[i].revents & POLLIN)
                answerTcp(fds[i].fd, m_controllers[i - 1].address);
        if (!(fds[0].revents & POLLIN))
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(m_listen, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (n != 4 || std::memcmp(buffer, "\0\0\0\0", 4) != 0)
            continue;
        ++m_probes;
        prober = from;
        probed = true;
        for (std::size_t i = 0; i < m_controllers.size(); ++i)
            answer(i);
    }
}

} // namespace sim
