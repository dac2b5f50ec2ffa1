// The network link: a TCP connection to the controller's host and port,
// connected with a time-out and up to four attempts; one write per frame.
#include "core/api/Callbacks.h"
#include "core/link/HostLookup.h"
#include "core/link/LinkBase.h"
#include "core/link/Upgrade.h"
#include "platform/Clock.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

class TcpLink final : public StreamLink {
public:
    TcpLink(CommSession& session, const LinkTarget& target)
        : StreamLink(session, target), m_hostText(QStringLiteral("%1:%2").arg(QString::fromLocal8Bit(target.host)).arg(target.port))
    {
    }
    ~TcpLink() override { close(); }

    LinkKind kind() const override { return LinkKind::Tcp; }
    bool reportsStart() const override { return false; }

    int transfer(std::uint8_t command, const std::uint8_t* data, std::uint32_t length, std::uint32_t flags,
                 std::uint32_t timeoutMs) override
    {
        // A block of several frames is answered frame by frame.
        if (length > kChunkSize)
            flags |= REPLY_ACK_EACH;
        return Link::transfer(command, data, length, flags, timeoutMs);
    }
    bool streams() const override { return true; }
    int stream(const std::uint8_t* data, std::uint32_t length) override
    {
        return TcpSendUpgradeStream(m_session, *this, m_target.host, data, length);
    }

    int open(std::uint8_t command) override { return openWith(command, kConnectAttempts); }
    // The stream has one attempt: the controller waits for it in its loader.
    int openForStream(std::uint8_t command) override { return openWith(command, 1); }

    int openWith(std::uint8_t command, int attempts)
    {
        if (!newSocket()) {
            m_session.report(command, CBE_SOCKET_FAILED, 0);
            return COMM_E_OPEN;
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(m_target.port);
        // The look-up has the connect's time and the transfer's cancel.
        const platform::Deadline lookUpEnds = platform::Deadline::after(kConnectTimeout);
        switch (LookUpHost(m_target.host, m_target.hostIsName, lookUpEnds, to.sin_addr)) {
        case HostLookup::Found: break;
        case HostLookup::Cancelled:
            close();
            m_session.report(command, CBE_CANCELLED, 0);
            return COMM_E_CANCELLED;
        case HostLookup::Failed:
            close();
            return hostFailed(command);
        }
        for (int attempt = 0; attempt < attempts; ++attempt) {
            if (attempt > 0 && !newSocket()) {
                // A socket whose connect failed cannot be connected again.
                m_session.report(command, CBE_SOCKET_FAILED, 0);
                return COMM_E_OPEN;
            }
            if (connectWithTimeout(to))
                return COMM_OK;
            if (CancelRequested()) {
                close();
                m_session.report(command, CBE_CANCELLED, 0);
                return COMM_E_CANCELLED;
            }
        }
        close();
        return hostFailed(command);
    }

    bool lost() const override { return m_lost; }

    void close() override
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

    bool write(const std::uint8_t* data, std::size_t length) override
    {
        const platform::Deadline deadline = platform::Deadline::after(kConnectTimeout);
        std::size_t done = 0;
        while (done < length) {
            const ssize_t r = ::send(m_fd, data + done, length - done, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (r > 0) {
                done += static_cast<std::size_t>(r);
                continue;
            }
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                // The controller takes nothing: not gone, just silent.
                if (CancelPending() || deadline.passed())
                    return false;
                pollfd p{m_fd, POLLOUT, 0};
                ::poll(&p, 1, CancelSliceMs(deadline));
                continue;
            }
            m_lost = true;   // reset or closed by the controller
            return false;
        }
        return true;
    }

    int read(std::uint8_t* buffer, int n, const platform::Deadline& deadline) override
    {
        // One blocking receive per answer, as the least client does, woken
        // at least every kCancelPollMs to ask for the cancel.
        for (;;) {
            const int slice = CancelSliceMs(deadline);
            if (slice > 0)
                receiveWait(slice);
            const ssize_t r = ::recv(m_fd, buffer, static_cast<std::size_t>(n), slice > 0 ? 0 : MSG_DONTWAIT);
            if (r > 0)
                return static_cast<int>(r);
            if (r == 0) {
                m_lost = true;   // closed by the controller
                return -1;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                m_lost = true;
                return -1;
            }
            // Nothing came yet: a cancel ends the wait as silence.
            if (CancelPending() || deadline.passed())
                return 0;
        }
    }

private:
    // How long a blocking receive waits (real ms); set only when it changes.
    void receiveWait(int ms)
    {
        if (ms == m_receiveWait)
            return;
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        m_receiveWait = ms;
    }

    bool newSocket()
    {
        close();
        m_lost = false;
        m_receiveWait = -1;
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        return m_fd >= 0;
    }

    bool connectWithTimeout(const sockaddr_in& to)
    {
        const int flags = ::fcntl(m_fd, F_GETFL, 0);
        ::fcntl(m_fd, F_SETFL, flags | O_NONBLOCK);
        const platform::Deadline deadline = platform::Deadline::after(kConnectTimeout);
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0) {
            if (errno != EINPROGRESS)
                return false;
            pollfd p{m_fd, POLLOUT, 0};
            int r = 0;
            while (r == 0 || (r < 0 && errno == EINTR)) {
                if (CancelPending() || deadline.passed())
                    return false;
                r = ::poll(&p, 1, CancelSliceMs(deadline));
            }
            if (r < 0)
                return false;
            int error = 0;
            socklen_t len = sizeof error;
            if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0)
                return false;
        }
        ::fcntl(m_fd, F_SETFL, flags);
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        return true;
    }

    int hostFailed(std::uint8_t command)
    {
        m_session.report(command, CBE_HOST_FAILED, reinterpret_cast<std::uintptr_t>(m_hostText.utf16()));
        return COMM_E_OPEN;
    }

    int m_fd = -1;
    int m_receiveWait = -1;   // SO_RCVTIMEO in effect (ms), -1 none set
    bool m_lost = false;
    const QString m_hostText;   // "host:port", named in the reports
};

}  // namespace

namespace sorvane::link {

std::unique_ptr<Link> MakeTcpLink(CommSession& session, const LinkTarget& target)
{
    return std::make_unique<TcpLink>(session, target);
}

} // namespace sorvane::link
