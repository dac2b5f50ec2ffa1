// The raw-Ethernet link's judgement of one captured frame. The first byte
// picks what is awaited and whether the controller is asked by its MAC or
// every controller is; the next three the screen address, the command and
// the work buffer's size; the rest is the frame. The verdict is one the wait
// allows, only for a frame of the right sender and kind, and a reply's data
// lies inside the frame and the work buffer.
#include "core/api/Callbacks.h"
#include "core/link/EthernetFrame.h"
#include "core/link/Frame.h"
#include "fuzz/FuzzCheck.h"
#include "platform/ByteIO.h"

#include <algorithm>
#include <cstring>
#include <memory>

using namespace sorvane::link;

namespace {

const std::uint8_t kController[6] = {0x02, 0x10, 0x20, 0x30, 0x40, 0x50};

bool sameVerdict(const EthernetVerdict& a, const EthernetVerdict& b)
{
    return a.done == b.done && a.result == b.result && a.reply == b.reply && a.dataOffset == b.dataOffset
        && a.dataLength == b.dataLength;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    static const EthernetWait kWaits[] = {EthernetWait::Status, EthernetWait::Ack, EthernetWait::AckLast,
                                          EthernetWait::Reply};
    static const std::uint32_t kCapacities[] = {0, 1, 7, 64, 512, kWorkBufferSize};
    const EthernetWait wait = kWaits[data[0] & 3];
    const bool broadcast = data[0] & 4;
    EthernetFilter filter;
    if (!broadcast)
        std::memcpy(filter.controllerMac, kController, 6);
    filter.address = data[1];
    filter.command = data[2];
    filter.capacity = kCapacities[data[3] % 6];

    // The frame in a buffer of its own size, so a read past it is caught.
    const std::size_t length = size - 4;
    const auto frame = std::make_unique<std::uint8_t[]>(length ? length : 1);
    std::memcpy(frame.get(), data + 4, length);
    const EthernetVerdict v = CheckEthernetFrame(wait, frame.get(), length, filter);
    FUZZ_CHECK(sameVerdict(v, CheckEthernetFrame(wait, frame.get(), length, filter)), "the verdict is deterministic");

    if (!v.done) {
        FUZZ_CHECK(!v.reply && v.dataLength == 0, "a skipped frame gives no data");
        return 0;
    }
    FUZZ_CHECK(length > kEthKind, "an accepted frame carries its kind");
    FUZZ_CHECK(broadcast || std::equal(kController, kController + 6, frame.get() + 6),
               "only the controller's frames are accepted");
    const std::uint8_t kind = frame[kEthKind];
    switch (wait) {
    case EthernetWait::Status:
        FUZZ_CHECK(kind == kKindRequest && length > kEthPayload, "a status byte comes in a request frame");
        FUZZ_CHECK(v.result == ClassifyStatusByte(frame[kEthPayload]), "the status byte is classified");
        FUZZ_CHECK(!v.reply, "a status byte is no reply");
        break;
    case EthernetWait::Ack:
        FUZZ_CHECK(kind == kKindAck, "an ack comes in an ack frame");
        FUZZ_CHECK(v.result == COMM_OK && !v.reply, "an ack accepts");
        break;
    case EthernetWait::AckLast:
        FUZZ_CHECK((kind == kKindRequest || kind == kKindStream) && length > kEthPayload,
                   "the last ack comes in a request or stream frame");
        FUZZ_CHECK(frame[kEthPayload] == 0x11 || frame[kEthPayload] == kAckByte, "the last ack is an ack byte");
        FUZZ_CHECK(v.result == COMM_OK && !v.reply, "the last ack accepts");
        break;
    case EthernetWait::Reply: {
        FUZZ_CHECK(kind == kKindRequest && length >= kEthReplyData, "a reply comes in a whole request frame");
        FUZZ_CHECK(frame[kEthReplyCommand] == filter.command, "a reply answers our command");
        FUZZ_CHECK(!broadcast || filter.address == 255 || frame[kEthReplyAddress] == filter.address,
                   "a broadcast reply comes from our screen");
        FUZZ_CHECK(bytes::get32(frame.get(), kEthPayload) == kFrameMagic, "a reply carries the magic");
        const auto stated = static_cast<std::int32_t>(bytes::get32(frame.get(), kEthReplyLength));
        if (stated <= 0) {
            FUZZ_CHECK(v.result == COMM_E_REFUSED && !v.reply && v.dataLength == 0,
                       "a reply without data is a refusal");
            break;
        }
        FUZZ_CHECK(v.result == COMM_OK && v.reply, "a reply with data is received");
        FUZZ_CHECK(v.dataOffset == kEthReplyData, "the data follows the frame header");
        FUZZ_CHECK(v.dataOffset + v.dataLength <= length, "the data lies inside the frame");
        FUZZ_CHECK(v.dataLength <= filter.capacity, "the data fits the work buffer");
        FUZZ_CHECK(v.dataLength <= std::uint32_t(stated), "the data is no longer than its field says");
        FUZZ_CHECK(v.dataLength == filter.capacity || v.dataLength == std::uint32_t(stated)
                       || v.dataOffset + v.dataLength == length,
                   "the data is clipped only by the frame or the work buffer");
        break;
    }
    }
    return 0;
}
