// The raw-Ethernet link: frames of EtherType 0x0888 through a capture
// adapter, each behind the 22-byte link header; replies are whole frames
// from the controller's MAC (or from anyone when sending to every controller).
#include "core/link/Adapters.h"
#include "core/link/CapturePool.h"
#include "core/api/Callbacks.h"
#include "core/link/EthernetFrame.h"
#include "core/link/LinkBase.h"
#include "core/link/Upgrade.h"
#include "platform/Clock.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <cstring>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

class EthernetLink final : public Link {
public:
    using Link::Link;

    LinkKind kind() const override { return LinkKind::Ethernet; }
    bool streams() const override { return true; }
    int stream(const std::uint8_t* data, std::uint32_t length) override
    {
        return EthernetSendUpgradeStream(m_session, m_target, data, length);
    }

    int open(std::uint8_t command) override
    {
        m_capture = SessionCapture(m_session, m_target.adapterName);
        if (!m_capture) {
            m_session.report(command, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(u"Adapter"));
            return COMM_E_OPEN;
        }
        std::uint8_t mac8[8];
        QueryAdapterMac(m_target.adapterName.constData(), mac8);
        std::memcpy(m_ownMac, mac8, 6);
        m_index = 0;
        return COMM_OK;
    }

    // The capture stays with the session for its next block.
    void close() override { m_capture = nullptr; }

    std::size_t writePrefix(std::uint8_t* area, std::size_t payloadLength) override
    {
        WriteLinkHeader(area, m_target.mac.data(), m_ownMac, kKindRequest, static_cast<std::uint16_t>(payloadLength),
                        m_index);
        return kLinkHeaderSize;
    }

    bool write(const std::uint8_t* data, std::size_t length) override
    {
        if (m_capture && pcap_sendpacket(m_capture->handle, data, static_cast<int>(length)) == 0)
            return true;
        // The adapter may have gone: the next block opens it again.
        failed();
        return false;
    }

    int writeFailed(std::uint32_t, const Chunk&) const override { return COMM_E_REFUSED; }

    void accepted() override { ++m_index; }

    int checkReply(std::uint8_t command, std::uint32_t flags, const Chunk& c,
                   const platform::Deadline& deadline) override
    {
        EthernetFilter filter;
        std::memcpy(filter.controllerMac, m_target.mac.data(), 6);
        filter.address = m_session.address;
        filter.command = command;
        filter.sequence = m_sequence;
        filter.capacity = m_session.capacity;

        if ((flags & REPLY_STATUS_FIRST) && c.first) {
            // A controller that sends no status byte has accepted.
            for (;;) {
                if (next(deadline) <= 0)
                    return COMM_OK;
                const EthernetVerdict v = CheckEthernetFrame(EthernetWait::Status, m_frame, m_length, filter);
                if (v.done)
                    return v.result;
            }
        }
        EthernetWait wait;
        if ((flags & REPLY_ONE_BYTE) || !c.last)
            wait = EthernetWait::Ack;
        else if (flags & REPLY_ACK_LAST)
            wait = EthernetWait::AckLast;
        else if (flags & REPLY_FRAME)
            wait = EthernetWait::Reply;
        else
            return COMM_OK;
        for (;;) {
            const int r = next(deadline);
            if (r <= 0)
                return r == 0 ? COMM_E_NO_REPLY : COMM_E_REFUSED;
            const EthernetVerdict v = CheckEthernetFrame(wait, m_frame, m_length, filter);
            if (!v.done)
                continue;
            if (v.reply) {
                if (v.dataLength && m_session.work)
                    std::memcpy(m_session.work.get(), m_frame + v.dataOffset, v.dataLength);
                m_session.replyLength = v.dataLength;
                m_session.replyReceived = 1;
            }
            return v.result;
        }
    }

private:
    // The next frame of the protocol, kept in the session's receive area.
    int next(const platform::Deadline& deadline)
    {
        const std::uint8_t* data = nullptr;
        int length = 0;
        if (!m_capture)
            return -1;
        const int r = NextCapturedFrame(*m_capture, &data, &length, deadline);
        if (r < 0)
            failed();
        if (r != 1)
            return r;
        m_length = std::min<std::size_t>(static_cast<std::size_t>(length < 0 ? 0 : length), kReceiveAreaSize);
        std::memcpy(m_session.receive.data(), data, m_length);
        m_session.receiveLength = static_cast<std::uint32_t>(m_length);
        m_frame = m_session.receive.data();
        return 1;
    }

    void failed()
    {
        DropSessionCapture(m_session);
        m_capture = nullptr;
    }

    CapturePair* m_capture = nullptr;   // the session's
    std::uint8_t m_ownMac[6] = {};
    std::uint32_t m_index = 0;
    const std::uint8_t* m_frame = nullptr;
    std::size_t m_length = 0;
};

}  // namespace

namespace sorvane::link {

CapturePair* SessionCapture(CommSession& session, const QByteArray& adapter)
{
    CapturePair& pair = session.capture;
    const int timeout = static_cast<int>(session.timeout);
    if (pair.handle && session.captureAdapter != adapter)
        ReleaseSessionCapture(session);
    const CapturePlace place = CurrentCapturePlace(CaptureDeviceName(adapter.constData()));
    if (!pair.handle) {
        pair.handle = TakeKeptCapture(place);
        if (!pair.handle) {
            // None kept for the adapter as it is now: open one.
            if (!OpenCapture(pair, adapter.constData(), kCaptureLength, timeout))
                return nullptr;
            session.captureAdapter = adapter;
            session.capturePlace = place;
            return &pair;
        }
        session.captureAdapter = adapter;
        session.capturePlace = place;
    } else if (!(session.capturePlace == place)) {
        // The adapter went and came back under its name.
        DropSessionCapture(session);
        return SessionCapture(session, adapter);
    }
    // The capture reads in non-blocking mode with our own deadlines; the
    // read time-out it was opened with does not matter.
    pair.timeout = timeout;
    // A fresh capture would not hold what came before this block (late
    // answers to the last one, frames that came while it was kept): drop it.
    const platform::Deadline now = platform::Deadline::after(0);
    const std::uint8_t* data = nullptr;
    int length = 0;
    int r = 1;
    for (int i = 0; i < kCaptureFrames && r == 1; ++i)
        r = NextCapturedFrame(pair, &data, &length, now);
    if (r < 0) {
        DropSessionCapture(session);
        if (!OpenCapture(pair, adapter.constData(), kCaptureLength, timeout))
            return nullptr;
        session.captureAdapter = adapter;
        session.capturePlace = place;
    }
    return &pair;
}

void DropSessionCapture(CommSession& session)
{
    DiscardCapture(session.capture.handle);
    session.capture.handle = nullptr;
    session.capture.timeout = 1000;
    session.captureAdapter.clear();
    session.capturePlace = {};
}

void ReleaseSessionCapture(CommSession& session)
{
    KeepCapture(session.capturePlace, session.capture.handle);
    session.capture.handle = nullptr;
    session.capture.timeout = 1000;
    session.captureAdapter.clear();
    session.capturePlace = {};
}

std::unique_ptr<Link> MakeEthernetLink(CommSession& session, const LinkTarget& target)
{
    return std::make_unique<EthernetLink>(session, target);
}

} // namespace sorvane::link
