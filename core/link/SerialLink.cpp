// The serial link: the port opened exclusively at the session's speed, 8N1,
// no flow control, DTR and RTS held off; stale input drained before every
// write so a late byte of an earlier chunk is not taken as this one's reply.
#include "core/api/Callbacks.h"
#include "core/link/LinkBase.h"
#include "core/link/Upgrade.h"
#include "platform/Clock.h"

#include <QSerialPort>

#include <poll.h>
#include <sys/ioctl.h>

#include <algorithm>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

// Bytes a pseudo-terminal or a USB adapter may keep beyond the output queue
// it shows (a pseudo-terminal keeps about 20 KiB and shows none).
constexpr std::uint64_t kHiddenHoldBytes = 32 * 1024;

class SerialLink final : public StreamLink {
public:
    using StreamLink::StreamLink;
    ~SerialLink() override { close(); }

    LinkKind kind() const override { return LinkKind::Serial; }
    bool streams() const override { return true; }
    int stream(const std::uint8_t* data, std::uint32_t length) override
    {
        return SerialSendUpgradeStream(m_session, *this, data, length);
    }

    int open(std::uint8_t command) override
    {
        m_unanswered = 0;
        m_lost = false;
        m_port.setPortName(SerialDevicePath(m_target.portName));
        const bool ok = m_port.open(QIODevice::ReadWrite)
            && m_port.setBaudRate(static_cast<qint32>(m_target.baudRate))
            && m_port.setDataBits(QSerialPort::Data8) && m_port.setParity(QSerialPort::NoParity)
            && m_port.setStopBits(QSerialPort::OneStop) && m_port.setFlowControl(QSerialPort::NoFlowControl);
        if (!ok) {
            m_port.close();
            m_session.report(command, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(m_target.portName.utf16()));
            return COMM_E_OPEN;
        }
        // Modem lines are held off where the device has them (a
        // pseudo-terminal has none, which is no failure).
        m_port.setDataTerminalReady(false);
        m_port.setRequestToSend(false);
        m_port.clearError();
        return COMM_OK;
    }

    void afterOpen() override { platform::sleepFor(kSerialSettle); }

    void close() override
    {
        if (m_port.isOpen())
            m_port.close();
    }

    bool lost() const override { return m_lost; }

    // The port went away (an adapter pulled): the report names it.
    void reportLost(std::uint8_t command) override
    {
        m_session.report(command, CBE_PORT_LOST, reinterpret_cast<std::uintptr_t>(m_target.portName.utf16()));
    }

    bool write(const std::uint8_t* data, std::size_t length) override
    {
        drain();
        if (m_port.write(reinterpret_cast<const char*>(data), static_cast<qint64>(length)) != qint64(length)) {
            m_lost = portGone();
            return false;
        }
        m_unanswered += length;
        const platform::Deadline deadline = platform::Deadline::after(static_cast<int>(m_session.timeout));
        while (m_port.bytesToWrite() > 0) {
            if (m_port.flush())
                continue;
            if (CancelPending() || deadline.passed())
                return false;
            if (!m_port.waitForBytesWritten(CancelSliceMs(deadline)) && !timedOut()) {
                m_lost = portGone();
                return false;
            }
        }
        return true;
    }

    int read(std::uint8_t* buffer, int n, const platform::Deadline& deadline) override
    {
        while (m_port.bytesAvailable() <= 0) {
            // Nothing came yet: a cancel ends the wait as silence.
            if (CancelPending() || deadline.passed())
                return 0;
            if (!m_port.waitForReadyRead(CancelSliceMs(deadline)) && !timedOut()) {
                m_lost = true;
                return -1;
            }
        }
        const qint64 got = m_port.read(reinterpret_cast<char*>(buffer), n);
        if (got > 0)
            m_unanswered = 0;
        if (got < 0)
            m_lost = true;
        return got < 0 ? -1 : static_cast<int>(got);
    }

    std::uint32_t replyAllowance() override
    {
        // What the driver still holds has to leave before an answer can
        // come: wait for its output queue to empty, as long as the queue's
        // line time and the time-out allow. A pseudo-terminal or an adapter
        // may keep more than its queue shows (a pseudo-terminal shows none):
        // the line time of what went out since the last answer, up to what
        // such buffers hold, is given on top of the time-out.
        const int fd = static_cast<int>(m_port.handle());
        int queued = 0;
        if (fd >= 0 && ::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
            const std::uint32_t line = SerialLineTimeMs(static_cast<std::uint64_t>(queued), m_target.baudRate);
            const platform::Deadline limit = platform::Deadline::after(static_cast<int>(m_session.timeout + line));
            while (!CancelPending() && !limit.passed() && ::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
                const int wait = static_cast<int>(std::max<std::uint32_t>(1, SerialLineTimeMs(queued, m_target.baudRate)));
                platform::sleepFor(std::min(wait, kCancelPollMs));
            }
        }
        return SerialLineTimeMs(std::min<std::uint64_t>(m_unanswered, kHiddenHoldBytes), m_target.baudRate);
    }

private:
    // A failed write's cause was the port itself, not a time-out or a cancel.
    bool portGone() const
    {
        const QSerialPort::SerialPortError e = m_port.error();
        return e != QSerialPort::NoError && e != QSerialPort::TimeoutError;
    }

    // A wait that ended without bytes: its error is cleared and only a
    // real failure counts.
    bool timedOut()
    {
        const QSerialPort::SerialPortError e = m_port.error();
        if (e != QSerialPort::TimeoutError && e != QSerialPort::NoError)
            return false;
        m_port.clearError();
        return true;
    }

    void drain()
    {
        m_port.clear(QSerialPort::Input);
        m_port.readAll();
        // Bytes still on their way are read and dropped until the line has
        // been quiet for the drain time.
        const int wait = static_cast<int>(platform::clock().realDuration(platform::Millis(kSerialDrain)).count());
        pollfd p{static_cast<int>(m_port.handle()), POLLIN, 0};
        while (p.fd >= 0 && !CancelPending() && ::poll(&p, 1, wait) > 0 && (p.revents & POLLIN)) {
            if (!m_port.waitForReadyRead(0) && m_port.bytesAvailable() == 0)
                break;
            m_port.readAll();
        }
        m_port.clearError();
    }

    QSerialPort m_port;
    std::uint64_t m_unanswered = 0;   // bytes written since the last byte read
    bool m_lost = false;
};

}  // namespace

namespace sorvane::link {

std::uint32_t SerialLineTimeMs(std::uint64_t bytes, std::uint32_t baudRate)
{
    if (baudRate == 0)
        baudRate = 1;
    // Ten bits a byte (start, eight data, stop), rounded up.
    const std::uint64_t ms = (bytes * 10 * 1000 + baudRate - 1) / baudRate;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(ms, 0x7FFFFFFF / 2));
}

QString SerialDevicePath(const QString& portName)
{
    if (portName.contains(u'/'))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

std::unique_ptr<Link> MakeSerialLink(CommSession& session, const LinkTarget& target)
{
    return std::make_unique<SerialLink>(session, target);
}

} // namespace sorvane::link
