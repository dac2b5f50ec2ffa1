#include "support/SimControllerSearch.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace sim {

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
    if (m_listen >= 0)
        ::close(m_listen);
    m_listen = -1;
}

void UdpControllers::serve()
{
    std::uint8_t buffer[64];
    while (!m_stop) {
        pollfd pfd{m_listen, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t length = sizeof from;
        const ssize_t n = ::recvfrom(m_listen, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        if (n != 4 || std::memcmp(buffer, "\0\0\0\0", 4) != 0)
            continue;
        ++m_probes;
        for (std::size_t i = 0; i < m_controllers.size(); ++i) {
            std::vector<std::uint8_t> answer(1 + static_cast<std::size_t>(m_controllers[i].extraBytes), 0x5A);
            answer[0] = m_controllers[i].address;
            ::sendto(m_answerSockets[i], answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from),
                     sizeof from);
        }
    }
}

bool RunInNewNetworkNamespace(const std::function<void()>& body)
{
    bool made = false;
    std::thread worker([&] {
        // A network namespace belongs to the thread that made it.
        if (::unshare(CLONE_NEWNET) != 0)
            return;
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return;
        ifreq ifr{};
        std::strncpy(ifr.ifr_name, "lo", IFNAMSIZ - 1);
        const bool up = ::ioctl(fd, SIOCGIFFLAGS, &ifr) == 0
            && (ifr.ifr_flags |= IFF_UP, ::ioctl(fd, SIOCSIFFLAGS, &ifr) == 0);
        ::close(fd);
        if (!up)
            return;
        made = true;
        body();
    });
    worker.join();
    return made;
}

} // namespace sim
