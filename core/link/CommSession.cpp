#include "core/link/CommSession.h"

#include "core/api/Callbacks.h"
#include "core/link/LinkBase.h"
#include "core/link/Upgrade.h"
#include "core/model/CoreState.h"
#include "platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstring>

using namespace sorvane::link;
using namespace sorvane::model;

// ---- session ----

CommSession::~CommSession() { DestroyCommSession(*this); }

int CommSession::sendRequest(std::uint8_t command, std::uint32_t flags)
{
    if (!transport)
        return COMM_E_OPEN;
    return transport->transfer(command, request.data(), static_cast<std::uint32_t>(request.size()), flags, timeout);
}

namespace {

int writeFileFrames(CommSession& s, std::uint8_t command, const std::uint8_t* data, std::uint32_t n);

// The USB-stick file: the blocks framed as on a serial line, no replies.
class FileTransport final : public Transport {
public:
    explicit FileTransport(CommSession& session) : m_session(session) {}
    int transfer(std::uint8_t command, const std::uint8_t* data, std::uint32_t length, std::uint32_t,
                 std::uint32_t) override
    {
        return writeFileFrames(m_session, command, data, length);
    }

private:
    CommSession& m_session;
};

}  // namespace

int Link::transfer(std::uint8_t command, const std::uint8_t* data, std::uint32_t length, std::uint32_t flags,
                   std::uint32_t timeoutMs)
{
    return RunTransfer(m_session, *this, command, data, length, flags, timeoutMs);
}

namespace sorvane::link {

void CreateCommSession(CommSession& s, std::uint8_t address, std::uint32_t timeoutMs, CoreCallBack callback)
{
    DestroyCommSession(s);
    s.address = address;
    s.capacity = kWorkBufferSize;
    s.timeout = timeoutMs;
    s.work = std::make_unique<std::uint8_t[]>(kWorkBufferSize);
    s.replyLength = 0;
    s.replyReceived = 0;
    // No link until the session is bound to one.
    s.transport.reset();
    s.callback = callback;
    if (platform::AutoResetEvent* cancel = CancelEvent())
        cancel->reset();
}

void CreateFileSession(CommSession& s, const QString& path, CoreCallBack callback)
{
    DestroyCommSession(s);
    s.address = 255;
    s.capacity = 0;
    s.timeout = 0;
    s.filePath = path;
    s.fileMode = QStringLiteral("wb+");
    s.transport = std::make_unique<FileTransport>(s);
    s.callback = callback;
    if (platform::AutoResetEvent* cancel = CancelEvent())
        cancel->reset();
}

void DestroyCommSession(CommSession& s)
{
    s.request.clear();
    s.request.shrink_to_fit();
    s.work.reset();
    s.capacity = 0;
    ReleaseSessionCapture(s);
}

} // namespace sorvane::link

namespace {
void resetForLink(CommSession& s)
{
    ReleaseSessionCapture(s);
    s.request.clear();
    if (s.work)
        std::memset(s.work.get(), 0, s.capacity);
    s.replyLength = 0;
    s.replyReceived = 0;
}
}  // namespace

namespace sorvane::link {

void BindCommSession(CommSession& s, const LinkTarget& target)
{
    resetForLink(s);
    // A mode without a link leaves the session unbound: its requests do not open.
    s.transport.reset();
    switch (target.mode) {
    case COMM_SERIAL: s.transport = MakeSerialLink(s, target); break;
    case COMM_ETHERNET: s.transport = MakeEthernetLink(s, target); break;
    case COMM_NETWORK: s.transport = MakeTcpLink(s, target); break;
    default: break;
    }
}

void SetCommSessionSerial(CommSession& s, const QString& portName, std::uint32_t baudRate)
{
    LinkTarget t;
    t.mode = COMM_SERIAL;
    t.portName = portName;
    t.baudRate = baudRate;
    BindCommSession(s, t);
}

void SetCommSessionEthernet(CommSession& s, const QByteArray& adapterName, const std::uint8_t* mac)
{
    LinkTarget t;
    t.mode = COMM_ETHERNET;
    t.adapterName = adapterName;
    if (mac)
        std::memcpy(t.mac.data(), mac, t.mac.size());
    BindCommSession(s, t);
}

void SetCommSessionNetwork(CommSession& s, const QByteArray& host, std::uint16_t port, std::uint32_t hostIsName)
{
    LinkTarget t;
    t.mode = COMM_NETWORK;
    t.host = host;
    t.port = port;
    t.hostIsName = hostIsName != 0;
    BindCommSession(s, t);
}

} // namespace sorvane::link

int CCore::TerminateComm()
{
    if (platform::AutoResetEvent* cancel = CancelEvent())
        cancel->set();
    return 0;
}

// ---- the transfer loop ----

namespace sorvane::link {

bool CancelRequested()
{
    platform::AutoResetEvent* cancel = CancelEvent();
    return cancel && cancel->tryWait();
}

bool CancelPending()
{
    platform::AutoResetEvent* cancel = CancelEvent();
    return cancel && cancel->isSet();
}

int CancelSliceMs(const platform::Deadline& deadline)
{
    return std::min(deadline.remainingMs(), kCancelPollMs);
}

bool PauseUnlessCancelled(int nominalMs)
{
    const platform::AutoResetEvent* cancel = CancelEvent();
    if (!cancel) {
        platform::sleepFor(nominalMs);
        return true;
    }
    return platform::clock().sleepUnless(platform::Millis(nominalMs < 0 ? 0 : nominalMs), *cancel);
}

} // namespace sorvane::link

void Link::reportLost(std::uint8_t command) { m_session.report(command, CBE_LINK_LOST, 0); }

int Link::writeFailed(std::uint32_t flags, const Chunk& c) const
{
    // The controller never saw the chunk, so it stays silent: give what the
    // reply check gives on silence, except that a silence which would count
    // as accepted counts as not sent.
    if ((flags & REPLY_STATUS_FIRST) && c.first)
        return COMM_E_REFUSED;
    if (flags & REPLY_ONE_BYTE)
        return COMM_E_NO_REPLY;
    if ((flags & REPLY_ACK_LAST) && c.last)
        return COMM_E_REFUSED;
    if ((flags & REPLY_FRAME) && c.last)
        return COMM_E_NO_REPLY;
    return COMM_E_REFUSED;
}

namespace sorvane::link {

namespace {
std::atomic<int> g_progressInterval{kProgressIntervalMs};
}

void SetProgressInterval(int ms)
{
    g_progressInterval = ms < 0 ? kProgressIntervalMs : ms;
}

ProgressPace::ProgressPace() : m_interval(g_progressInterval.load()) {}

bool ProgressPace::due()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - m_last < m_interval)
        return false;
    m_last = now;
    return true;
}

int RunTransfer(CommSession& s, Link& link, std::uint8_t command, const std::uint8_t* data, std::uint32_t n,
                std::uint32_t flags, std::uint32_t timeoutMs)
{
    const int opened = link.open(command);
    if (opened != 0)
        return opened;
    if (link.reportsStart())
        s.report(command, CBE_START, 0);
    link.afterOpen();
    const std::uint32_t sequence = NextSequenceNumber();
    link.setSequence(sequence);
    s.report(command, CBE_PROGRESS, 0);

    const LinkKind kind = link.kind();
    std::uint32_t sent = 0;
    ProgressPace pace;
    for (const Chunk& c : PlanChunks(kind, n)) {
        if (CancelRequested()) {
            link.close();
            s.report(command, CBE_CANCELLED, 0);
            return COMM_E_CANCELLED;
        }
        std::uint8_t* area = s.frame.data();
        const std::size_t payload = (c.withHeader ? kFrameHeaderSize : 0) + c.size;
        std::size_t at = link.writePrefix(area, payload);
        if (c.withHeader) {
            WriteFrameHeader(ChunkHeader(kind, s.address, sequence, command, n, c), area + at);
            at += kFrameHeaderSize;
        }
        if (c.size)
            std::memcpy(area + at, data + c.offset, c.size);
        at += c.size;

        int rc;
        if (!link.write(area, at))
            rc = link.lost() ? int(COMM_E_LINK_LOST) : link.writeFailed(flags, c);
        else {
            // The time-out counts from when the bytes can have left.
            const bool waits = ((flags & REPLY_STATUS_FIRST) && c.first) || (flags & REPLY_ONE_BYTE)
                || ((flags & REPLY_ACK_EACH) && !c.last) || ((flags & (REPLY_ACK_LAST | REPLY_FRAME)) && c.last);
            const std::uint64_t wait = std::uint64_t(timeoutMs) + (waits ? link.replyAllowance() : 0);
            rc = link.checkReply(command, flags, c,
                                 platform::Deadline::after(static_cast<int>(std::min<std::uint64_t>(wait, INT_MAX))));
        }
        if (rc != COMM_OK) {
            link.close();
            // A wait the cancel cut short ends the block as cancelled.
            if (CancelRequested()) {
                s.report(command, CBE_CANCELLED, 0);
                return COMM_E_CANCELLED;
            }
            if (rc == COMM_E_DEVICE)
                s.report(command, CBE_DEVICE_ERROR, 0);
            else if (rc == COMM_E_LINK_LOST)
                link.reportLost(command);
            else if (rc == COMM_E_REFUSED)
                s.report(command, CBE_REFUSED, 0);
            else {
                rc = COMM_E_NO_REPLY;
                s.report(command, CBE_NO_REPLY, 0);
            }
            return rc;
        }
        link.accepted();
        sent += c.size;
        // A receiver on another thread wakes for every report: a chunk's
        // reports go out only when they are due, the last chunk's always.
        if (!c.last && !pace.due())
            continue;
        const bool doneEvent = (flags & REPLY_ONE_BYTE) || (!c.last && (flags & REPLY_ACK_EACH))
            || (c.last && (flags & (REPLY_ACK_LAST | REPLY_FRAME)));
        if (doneEvent) {
            const std::uint32_t value = c.last ? (flags & ~std::uint32_t(REPLY_ACK_EACH))
                                               : (flags & ~std::uint32_t(REPLY_ACK_LAST | REPLY_FRAME));
            s.report(command, CBE_DONE, value);
        }
        // An empty block is all sent at once.
        const std::uint32_t percent = n == 0 ? 100 : static_cast<std::uint32_t>(std::uint64_t(sent) * 100 / n);
        s.report(command, CBE_PROGRESS, percent);
    }
    link.close();
    return static_cast<int>(n);
}

} // namespace sorvane::link

int StreamLink::checkReply(std::uint8_t command, std::uint32_t flags, const Chunk& c, const platform::Deadline& deadline)
{
    // A read of -1: the connection closed or broke under the block.
    std::uint8_t b = 0;
    if ((flags & REPLY_STATUS_FIRST) && c.first) {
        const int r = read(&b, 1, deadline);
        return r == 1 ? ClassifyStatusByte(b) : r < 0 ? COMM_E_LINK_LOST : COMM_OK;
    }
    if (flags & REPLY_ONE_BYTE) {
        const int r = read(&b, 1, deadline);
        return r == 1 ? COMM_OK : r < 0 ? COMM_E_LINK_LOST : COMM_E_NO_REPLY;
    }
    if (kind() == LinkKind::Tcp && (flags & REPLY_ACK_EACH) && !c.last) {
        for (;;) {
            const int r = read(&b, 1, deadline);
            if (r == 0)
                return COMM_E_NO_REPLY;
            if (r < 0)
                return COMM_E_LINK_LOST;
            if (b == kAckByte)
                return COMM_OK;
            if (b == 0xE3)
                return COMM_E_NO_REPLY;
        }
    }
    if ((flags & REPLY_ACK_LAST) && c.last) {
        bool other = false;
        for (;;) {
            const int r = read(&b, 1, deadline);
            if (r == 1 && b == kAckByte)
                return COMM_OK;
            if (r == 1) {
                other = true;
                continue;
            }
            if (r < 0)
                return COMM_E_LINK_LOST;
            // Silence is a refusal; a stream of other bytes ran out of time.
            return other ? COMM_E_NO_REPLY : COMM_E_REFUSED;
        }
    }
    if ((flags & REPLY_FRAME) && c.last) {
        ReplyFrame reply;
        const int rc = ReadReplyFrame(*this, deadline, m_session.work.get(), m_session.capacity, reply, command,
                                      m_sequence);
        if (rc == COMM_OK) {
            m_session.replyLength = reply.length;
            m_session.replyReceived = 1;
            std::memcpy(m_session.receive.data(), reply.header, sizeof reply.header);
            m_session.receiveLength = sizeof reply.header;
        }
        return rc;
    }
    return COMM_OK;
}

// ---- the USB-stick file ----

namespace {

int writeFileFrames(CommSession& s, std::uint8_t command, const std::uint8_t* data, std::uint32_t n)
{
    const QByteArray path = s.filePath.toLocal8Bit();
    const QByteArray mode = s.fileMode.toLatin1();
    std::FILE* f = std::fopen(path.constData(), mode.constData());
    if (!f) {
        s.report(command, UFE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(s.filePath.utf16()));
        return 1;
    }
    const std::uint32_t sequence = NextSequenceNumber();
    for (const Chunk& c : PlanChunks(LinkKind::File, n)) {
        if (CancelRequested()) {
            std::fclose(f);
            s.report(command, UFE_CANCELLED, 0);
            return COMM_E_CANCELLED;
        }
        std::uint8_t* area = s.frame.data();
        std::size_t at = 0;
        if (c.withHeader) {
            WriteFrameHeader(ChunkHeader(LinkKind::File, s.address, sequence, command, n, c), area);
            at = kFrameHeaderSize;
        }
        if (c.size)
            std::memcpy(area + at, data + c.offset, c.size);
        at += c.size;
        if (std::fwrite(area, 1, at, f) != at) {
            std::fclose(f);
            s.report(command, UFE_WRITE_FAILED, 0);
            return UFE_WRITE_FAILED;
        }
    }
    // A write that only fails when buffered data reaches the disk shows here.
    if (std::fclose(f) != 0) {
        s.report(command, UFE_CLOSE_FAILED, 0);
        return UFE_CLOSE_FAILED;
    }
    s.report(command, UFE_WRITTEN, 0);
    return 0;
}

}  // namespace
