#include "core/link/Upgrade.h"
#include "core/model/Guard.h"

#include "core/link/Adapters.h"
#include "core/api/Callbacks.h"
#include "core/link/CommSession.h"
#include "core/link/EthernetFrame.h"
#include "core/link/FirmwareImage.h"
#include "core/link/LinkBase.h"
#include "core/link/UpgradeStream.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "platform/Clock.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

constexpr int kStreamReadTimeout = 4000;   // serial: per answer byte
constexpr int kUpgradePause = 1000;        // between the request and the stream
constexpr std::uint8_t kUpgradeCommand = 20;
constexpr std::uint8_t kFirmwareCommand = 24;
constexpr std::uint32_t kLoaderBaudRate = 115200;
// Serial and TCP: the session's link, one answer byte per record.
class ByteStreamChannel : public UpgradeChannel {
public:
    ByteStreamChannel(CommSession& session, StreamLink& link, int answerTimeout)
        : m_session(session), m_link(link), m_answerTimeout(answerTimeout)
    {
    }

    bool send(const std::uint8_t* record, std::size_t size, bool) override { return m_link.write(record, size); }

    StreamAnswer answer() override
    {
        std::uint8_t byte = 0;
        const int got = m_link.read(&byte, 1, platform::Deadline::after(m_answerTimeout));
        if (got > 0)
            return {StreamAnswerKind::Byte, byte};
        return {got == 0 ? StreamAnswerKind::Silence : StreamAnswerKind::Lost, 0};
    }

    void close() override { m_link.close(); }
    bool lost() const override { return m_link.lost(); }

protected:
    CommSession& m_session;
    StreamLink& m_link;   // the session's
    int m_answerTimeout;
};

class SerialChannel final : public ByteStreamChannel {
public:
    SerialChannel(CommSession& session, StreamLink& link) : ByteStreamChannel(session, link, kStreamReadTimeout)
    {
    }

    int open(CoreCallBack callback) override
    {
        // The link reports a port that does not open itself (event 1, port name).
        const int r = m_link.openForStream(CBC_UPGRADE_STREAM);
        if (r < 0)
            return r;
        if (callback)
            callback(CBC_UPGRADE_STREAM, CBE_START, 0);
        return 0;
    }
};

class TcpChannel final : public ByteStreamChannel {
public:
    TcpChannel(CommSession& session, StreamLink& link, const QByteArray& host)
        : ByteStreamChannel(session, link, kConnectTimeout), m_host(QString::fromLocal8Bit(host))
    {
    }

    int open(CoreCallBack callback) override
    {
        if (callback)
            callback(CBC_UPGRADE_STREAM, CBE_START, 0);
        // The stream names the host for every kind of open failure.
        const CoreCallBack own = m_session.callback;
        m_session.callback = nullptr;
        const int r = m_link.openForStream(CBC_UPGRADE_STREAM);
        m_session.callback = own;
        if (r == COMM_E_CANCELLED) {
            // Cancelled while the host was looked up.
            if (callback)
                callback(CBC_UPGRADE_STREAM, CBE_CANCELLED, 0);
            return COMM_E_CANCELLED;
        }
        if (r < 0) {
            if (callback)
                callback(CBC_UPGRADE_STREAM, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(m_host.utf16()));
            return COMM_E_OPEN;
        }
        if (callback)
            callback(CBC_UPGRADE_STREAM, CBE_START, 0);
        return 0;
    }

private:
    const QString m_host;   // named in the reports
};

// Raw Ethernet: each record in packets of at most 512 bytes behind a link
// header of kind 3; the answer is a kind-3 frame from the controller.
class EthernetChannel final : public UpgradeChannel {
public:
    EthernetChannel(CommSession& session, const LinkTarget& target)
        : m_session(session), m_target(target), m_next(UpgradeRequestPackets())
    {
    }
    ~EthernetChannel() override { close(); }

    int open(CoreCallBack callback) override
    {
        // The capture the request before the stream opened, when there was one.
        m_capture = SessionCapture(m_session, m_target.adapterName);
        if (!m_capture) {
            const QString name = QString::fromLocal8Bit(m_target.adapterName);
            if (callback)
                callback(CBC_UPGRADE_STREAM, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(name.utf16()));
            return COMM_E_OPEN;
        }
        if (callback)
            callback(CBC_UPGRADE_STREAM, CBE_START, 0);
        std::uint8_t mac8[8];
        QueryAdapterMac(m_target.adapterName.constData(), mac8);
        std::memcpy(m_ownMac, mac8, 6);
        return 0;
    }

    bool send(const std::uint8_t* record, std::size_t size, bool resend) override
    {
        // A record sent again keeps the indexes its packets had.
        if (!resend)
            m_base = m_next;
        std::uint32_t index = m_base;
        std::uint8_t packet[kLinkHeaderSize + kChunkSize];
        for (std::size_t at = 0; at < size; at += kChunkSize, ++index) {
            const std::size_t part = std::min(kChunkSize, size - at);
            WriteLinkHeader(packet, m_target.mac.data(), m_ownMac, kKindStream, static_cast<std::uint16_t>(part), index);
            std::memcpy(packet + kLinkHeaderSize, record + at, part);
            if (!m_capture
                || pcap_sendpacket(m_capture->handle, packet, static_cast<int>(kLinkHeaderSize + part)) != 0) {
                failed();
                return false;
            }
        }
        m_next = index;
        return true;
    }

    StreamAnswer answer() override
    {
        const platform::Deadline deadline = platform::Deadline::after(static_cast<int>(m_session.timeout));
        bool sawFrame = false;
        for (;;) {
            const std::uint8_t* frame = nullptr;
            int length = 0;
            const int got = m_capture ? NextCapturedFrame(*m_capture, &frame, &length, deadline) : -1;
            if (got < 0) {
                failed();
                return {StreamAnswerKind::Error, 0};
            }
            if (got == 0)
                return {sawFrame ? StreamAnswerKind::NoReply : StreamAnswerKind::Silence, 0};
            sawFrame = true;
            if (length <= static_cast<int>(kEthPayload) || !IsFromController(frame, static_cast<std::size_t>(length), m_target.mac.data()) || frame[kEthKind] != kKindStream)
                continue;
            return {StreamAnswerKind::Byte, frame[kEthPayload]};
        }
    }

    // The capture stays with the session.
    void close() override { m_capture = nullptr; }

private:
    void failed()
    {
        DropSessionCapture(m_session);
        m_capture = nullptr;
    }

    CommSession& m_session;
    const LinkTarget& m_target;   // the link's
    CapturePair* m_capture = nullptr;   // the session's
    std::uint8_t m_ownMac[6] = {};
    std::uint32_t m_base = 0;
    std::uint32_t m_next = 0;
};

} // namespace

namespace sorvane::link {

std::uint32_t UpgradeRequestPackets()
{
    return static_cast<std::uint32_t>(PlanChunks(LinkKind::Ethernet, 4).size());
}

std::uint32_t LoadFirmwareImage(CommSession& session, const tagGlobalInfo* board, FirmwareLoad* status)
{
    session.request.clear();
    session.request = LoadFirmwareImageFor(board, status);
    return static_cast<std::uint32_t>(session.request.size());
}

int SerialSendUpgradeStream(CommSession& session, StreamLink& link, const std::uint8_t* data, std::uint32_t length)
{
    SerialChannel channel(session, link);
    return RunUpgradeStream(channel, SerialStreamRules(), data, length, session.callback);
}

int TcpSendUpgradeStream(CommSession& session, StreamLink& link, const QByteArray& host, const std::uint8_t* data,
                         std::uint32_t length)
{
    TcpChannel channel(session, link, host);
    return RunUpgradeStream(channel, TcpStreamRules(), data, length, session.callback);
}

int EthernetSendUpgradeStream(CommSession& session, const LinkTarget& target, const std::uint8_t* data,
                              std::uint32_t length)
{
    EthernetChannel channel(session, target);
    return RunUpgradeStream(channel, EthernetStreamRules(), data, length, session.callback);
}

} // namespace sorvane::link

int CCore::SetFirmwareImageFile(const char16_t* path)
{
    SetChosenFirmwareFile(path ? QString::fromUtf16(path) : QString());
    return 1;
}

namespace sorvane::link {

namespace {
int refuseUnreadableImage(const CommSession& session, unsigned cmd, const QString& path)
{
    // Said as a file that cannot be opened, naming it: the controller never
    // saw anything, so it did not refuse.
    const std::u16string name = path.toStdU16String();
    session.report(cmd, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(name.c_str()));
    return COMM_E_OPEN;
}

int refuseMissingImage(const CommSession& session)
{
    // Without this the upgrade would end as if nothing were wrong: say
    // where the image is looked for.
    const std::u16string where = FirmwareOverridePath(FirmwareFolder()).toStdU16String();
    session.report(CBC_FIRMWARE_IMAGE, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(where.c_str()));
    return COMM_E_OPEN;
}

// The board's firmware image, how its load went and the file it came from.
struct ImageLoad {
    FirmwareLoad status = FirmwareLoad::NoImage;
    QString source;
    std::vector<std::uint8_t> image;
};

ImageLoad loadImageFor(const tagGlobalInfo& board)
{
    ImageLoad load;
    load.image = LoadFirmwareImageFor(&board, &load.status, &load.source);
    return load;
}

// A missing, unreadable or partial image refused, reported under `cmd`;
// 0 when the image may go.
int refuseBadImage(const CommSession& session, const ImageLoad& load, unsigned cmd)
{
    if (load.status == FirmwareLoad::NoImage)
        return refuseMissingImage(session);
    if (load.status == FirmwareLoad::Unreadable)
        return refuseUnreadableImage(session, cmd, load.source);
    if (!wholeFirmwareImage(load.image)) {
        session.report(cmd, CBE_REFUSED, 0);
        return COMM_E_REFUSED;
    }
    return 0;
}
} // namespace

bool wholeFirmwareImage(const std::vector<std::uint8_t>& image)
{
    return !image.empty() && image.size() <= static_cast<std::size_t>(INT_MAX)
        && FirmwareImageHasData(image.data(), image.size());
}

} // namespace sorvane::link

int CCore::SendUpgrade(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    return SendUpgrade(screen->Global, GetOwnLink(screen));
}

int CCore::SendUpgrade(const tagGlobalInfo& block, const LinkSettings& link)
{
    return GuardedResult(0, [&]() -> int {
        CommSession session;
        OpenSession(link, session);
        session.replyReceived = 0;
        // The image is checked before the controller is put into its loader,
        // so a missing or damaged one leaves the controller as it was.
        const ImageLoad load = loadImageFor(block);
        const std::vector<std::uint8_t>& image = load.image;
        if (!session.transport || !session.transport->streams())
            return 0;
        if (const int refused = refuseBadImage(session, load, CBC_UPGRADE_STREAM))
            return refused;
        // The serial line's speed; the other links ask for the loader's own.
        const auto request = UpgradeRequestData(link.Mode == COMM_SERIAL ? link.BaudRate : kLoaderBaudRate);
        session.request.assign(request.begin(), request.end());
        if (session.sendRequest(kUpgradeCommand, REPLY_ACK_LAST) < 0)
            return 0;
        PauseUnlessCancelled(kUpgradePause);   // a cancel shows when the stream begins
        return session.transport->stream(image.data(), static_cast<std::uint32_t>(image.size()));
    });
}

int CCore::SendUpgrade2(tagItemData* screen)
{
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    return SendUpgrade2(screen->Global, GetOwnLink(screen));
}

int CCore::SendUpgrade2(const tagGlobalInfo& block, const LinkSettings& link)
{
    return GuardedResult(0, [&]() -> int {
        CommSession session;
        OpenSession(link, session);
        session.replyReceived = 0;
        ImageLoad load = loadImageFor(block);
        if (const int refused = refuseBadImage(session, load, kFirmwareCommand))
            return refused;
        session.request = std::move(load.image);
        return session.sendRequest(kFirmwareCommand, REPLY_ACK_EACH | REPLY_ACK_LAST);
    });
}
