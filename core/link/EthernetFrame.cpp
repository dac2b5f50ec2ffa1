#include "core/link/EthernetFrame.h"

#include "core/api/Callbacks.h"
#include "core/link/Frame.h"
#include "platform/ByteIO.h"

#include <algorithm>
#include <cstring>

using namespace sorvane::link;

namespace {

EthernetVerdict finished(int result)
{
    EthernetVerdict v;
    v.done = true;
    v.result = result;
    return v;
}

}  // namespace

namespace sorvane::link {

bool IsBroadcastMac(const std::uint8_t mac[6])
{
    return std::all_of(mac, mac + 6, [](std::uint8_t b) { return b == 0xFF; });
}

bool IsFromController(const std::uint8_t* frame, std::size_t length, const std::uint8_t controllerMac[6])
{
    if (!frame || length <= kEthKind)
        return false;
    return IsBroadcastMac(controllerMac) || std::memcmp(frame + 6, controllerMac, 6) == 0;
}

EthernetVerdict CheckEthernetFrame(EthernetWait wait, const std::uint8_t* frame, std::size_t length,
                                   const EthernetFilter& filter)
{
    if (!IsFromController(frame, length, filter.controllerMac))
        return {};
    const std::uint8_t kind = frame[kEthKind];
    switch (wait) {
    case EthernetWait::Status:
        if (kind == kKindRequest && length > kEthPayload)
            return finished(ClassifyStatusByte(frame[kEthPayload]));
        return {};
    case EthernetWait::Ack:
        if (kind == kKindAck)
            return finished(COMM_OK);
        return {};
    case EthernetWait::AckLast:
        if ((kind == kKindRequest || kind == kKindStream) && length > kEthPayload
            && (frame[kEthPayload] == 0x11 || frame[kEthPayload] == kAckByte))
            return finished(COMM_OK);
        return {};
    case EthernetWait::Reply:
        break;
    }

    if (kind != kKindRequest || length < kEthReplyData || frame[kEthReplyCommand] != filter.command)
        return {};
    if (IsBroadcastMac(filter.controllerMac) && filter.address != 255 && frame[kEthReplyAddress] != filter.address)
        return {};
    // A reply to an earlier request (a late one) is not this one's.
    if (filter.sequence >= 0 && bytes::get32(frame, kEthPayload + 8) != filter.sequence)
        return {};
    // Checked as on the other links: a frame without the magic is no reply,
    // one without data a refusal.
    if (bytes::get32(frame, kEthPayload) != kFrameMagic)
        return {};
    const auto stated = static_cast<std::int32_t>(bytes::get32(frame, kEthReplyLength));
    if (stated <= 0)
        return finished(COMM_E_REFUSED);
    // The data stops where the captured frame stops, whatever the length
    // field claims.
    EthernetVerdict v = finished(COMM_OK);
    v.reply = true;
    v.dataOffset = kEthReplyData;
    v.dataLength = static_cast<std::uint32_t>(std::min<std::size_t>(
        {static_cast<std::size_t>(stated), filter.capacity, length - kEthReplyData}));
    return v;
}

} // namespace sorvane::link
