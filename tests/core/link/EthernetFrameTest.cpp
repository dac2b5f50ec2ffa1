// The decision on one captured raw-Ethernet frame, without a capture adapter:
// frames are built byte for byte with the link and frame header writers.
#include "core/api/Callbacks.h"
#include "core/link/EthernetFrame.h"
#include "core/link/Frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace sorvane::link;

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::uint8_t kController[6] = {0x02, 0x10, 0x20, 0x30, 0x40, 0x50};
const std::uint8_t kStranger[6] = {0x02, 0x10, 0x20, 0x30, 0x40, 0x51};
const std::uint8_t kUs[6] = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
const std::uint8_t kEveryone[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

Bytes linkFrame(const std::uint8_t src[6], std::uint8_t kind, const Bytes& payload)
{
    Bytes b(kLinkHeaderSize);
    WriteLinkHeader(b.data(), kUs, src, kind, static_cast<std::uint16_t>(payload.size()), 0);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

// A reply frame of `dataBytes` data bytes whose length field says `stated`.
Bytes replyFrame(const std::uint8_t src[6], std::uint8_t command, std::uint8_t address, std::uint32_t stated,
                 std::size_t dataBytes, std::uint8_t kind = kKindRequest)
{
    FrameHeader h;
    h.address = address;
    h.command = command;
    h.sequence = 9;
    h.length = stated;
    Bytes payload(kFrameHeaderSize);
    WriteFrameHeader(h, payload.data());
    for (std::size_t i = 0; i < dataBytes; ++i)
        payload.push_back(static_cast<std::uint8_t>(0x30 + i));
    return linkFrame(src, kind, payload);
}

EthernetFilter filterFor(const std::uint8_t mac[6], std::uint8_t address = 255, std::uint8_t command = 0x2A,
                         std::uint32_t capacity = kWorkBufferSize)
{
    EthernetFilter f;
    std::memcpy(f.controllerMac, mac, 6);
    f.address = address;
    f.command = command;
    f.capacity = capacity;
    return f;
}

// Judges the first `length` bytes of `frame` from a buffer of exactly that
// size, so a read past them is a heap overflow under the sanitizers.
EthernetVerdict judge(EthernetWait wait, const Bytes& frame, const EthernetFilter& filter,
                      std::size_t length = SIZE_MAX)
{
    length = std::min(length, frame.size());
    const auto exact = std::make_unique<std::uint8_t[]>(length);
    std::memcpy(exact.get(), frame.data(), length);
    return CheckEthernetFrame(wait, exact.get(), length, filter);
}

void expectDone(const EthernetVerdict& v, int result)
{
    EXPECT_TRUE(v.done);
    EXPECT_EQ(v.result, result);
    EXPECT_FALSE(v.reply);
    EXPECT_EQ(v.dataLength, 0u);
}

void expectReply(const EthernetVerdict& v, std::uint32_t dataLength)
{
    EXPECT_TRUE(v.done);
    EXPECT_EQ(v.result, COMM_OK);
    EXPECT_TRUE(v.reply);
    EXPECT_EQ(v.dataOffset, kEthReplyData);
    EXPECT_EQ(v.dataLength, dataLength);
}

}  // namespace

TEST(EthernetFrame, EachWaitAcceptsItsFrame)
{
    const EthernetFilter f = filterFor(kController);

    expectDone(judge(EthernetWait::Status, linkFrame(kController, kKindRequest, {0x00}), f), COMM_OK);
    expectDone(judge(EthernetWait::Status, linkFrame(kController, kKindRequest, {0xE1, 0}), f), COMM_E_DEVICE);
    expectDone(judge(EthernetWait::Status, linkFrame(kController, kKindRequest, {0xE7}), f), COMM_E_REFUSED);
    expectDone(judge(EthernetWait::Status, linkFrame(kController, kKindRequest, {0xF0}), f), COMM_OK);

    expectDone(judge(EthernetWait::Ack, linkFrame(kController, kKindAck, {}), f), COMM_OK);
    expectDone(judge(EthernetWait::Ack, linkFrame(kController, kKindAck, {0xE1}), f), COMM_OK);

    for (std::uint8_t kind : {kKindRequest, kKindStream})
        for (std::uint8_t byte : {std::uint8_t(0x11), kAckByte})
            expectDone(judge(EthernetWait::AckLast, linkFrame(kController, kind, {byte}), f), COMM_OK);

    const Bytes reply = replyFrame(kController, 0x2A, 3, 5, 5);
    const EthernetVerdict v = judge(EthernetWait::Reply, reply, f);
    expectReply(v, 5);
    EXPECT_EQ(Bytes(reply.begin() + std::ptrdiff_t(v.dataOffset), reply.end()),
              (Bytes{0x30, 0x31, 0x32, 0x33, 0x34}));
}

TEST(EthernetFrame, FramesOfAnotherSenderKindCommandOrScreenAreSkipped)
{
    const EthernetFilter f = filterFor(kController);

    // Another sender, whatever it says.
    EXPECT_FALSE(judge(EthernetWait::Status, linkFrame(kStranger, kKindRequest, {0xE1}), f).done);
    EXPECT_FALSE(judge(EthernetWait::Ack, linkFrame(kStranger, kKindAck, {}), f).done);
    EXPECT_FALSE(judge(EthernetWait::AckLast, linkFrame(kStranger, kKindRequest, {kAckByte}), f).done);
    EXPECT_FALSE(judge(EthernetWait::Reply, replyFrame(kStranger, 0x2A, 3, 5, 5), f).done);

    // Another kind.
    for (std::uint8_t kind : {kKindAck, kKindStream, std::uint8_t(0)})
        EXPECT_FALSE(judge(EthernetWait::Status, linkFrame(kController, kind, {0xE1}), f).done) << int(kind);
    for (std::uint8_t kind : {kKindRequest, kKindStream, std::uint8_t(4)})
        EXPECT_FALSE(judge(EthernetWait::Ack, linkFrame(kController, kind, {kAckByte}), f).done) << int(kind);
    EXPECT_FALSE(judge(EthernetWait::AckLast, linkFrame(kController, kKindAck, {kAckByte}), f).done);
    EXPECT_FALSE(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 3, 5, 5, kKindStream), f).done);
    EXPECT_FALSE(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 3, 5, 5, kKindAck), f).done);

    // The last ack is 0x11 or the ack byte and nothing else.
    for (std::uint8_t byte : {std::uint8_t(0x00), std::uint8_t(0x10), std::uint8_t(0x42), std::uint8_t(0xE1)})
        EXPECT_FALSE(judge(EthernetWait::AckLast, linkFrame(kController, kKindRequest, {byte}), f).done);

    // A reply to another command, and a frame without the magic.
    EXPECT_FALSE(judge(EthernetWait::Reply, replyFrame(kController, 0x2B, 3, 5, 5), f).done);
    Bytes noMagic = replyFrame(kController, 0x2A, 3, 5, 5);
    noMagic[kEthPayload + 3] ^= 1;
    EXPECT_FALSE(judge(EthernetWait::Reply, noMagic, f).done);

    // The screen address sorts replies only when every controller is asked;
    // a controller asked by its MAC answers whatever its address.
    expectReply(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 6, 5, 5), filterFor(kController, 5)), 5);
    EXPECT_FALSE(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 6, 5, 5), filterFor(kEveryone, 5)).done);
    expectReply(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 5, 5, 5), filterFor(kEveryone, 5)), 5);
    expectReply(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 6, 5, 5), filterFor(kEveryone, 255)), 5);
}

TEST(EthernetFrame, BroadcastAcceptsAnySender)
{
    const EthernetFilter f = filterFor(kEveryone);
    for (const std::uint8_t* src : {kController, kStranger, kUs}) {
        expectDone(judge(EthernetWait::Status, linkFrame(src, kKindRequest, {0xE1}), f), COMM_E_DEVICE);
        expectDone(judge(EthernetWait::Ack, linkFrame(src, kKindAck, {}), f), COMM_OK);
        expectDone(judge(EthernetWait::AckLast, linkFrame(src, kKindStream, {0x11}), f), COMM_OK);
        expectReply(judge(EthernetWait::Reply, replyFrame(src, 0x2A, 1, 3, 3), f), 3);
    }
    // Only the filter's MAC means everyone: a sender of all ones is a stranger.
    EXPECT_FALSE(judge(EthernetWait::Ack, linkFrame(kEveryone, kKindAck, {}), filterFor(kController)).done);
}

TEST(EthernetFrame, FramesTooShortForTheirFieldsAreSkippedUnread)
{
    const EthernetFilter f = filterFor(kController);
    const Bytes status = linkFrame(kController, kKindRequest, {0xE1});
    const Bytes ack = linkFrame(kController, kKindAck, {});
    const Bytes last = linkFrame(kController, kKindRequest, {kAckByte});
    const Bytes reply = replyFrame(kController, 0x2A, 3, 5, 5);

    // Without its kind byte no frame is anyone's.
    for (std::size_t n = 0; n <= kEthKind; ++n) {
        EXPECT_FALSE(judge(EthernetWait::Status, status, f, n).done) << n;
        EXPECT_FALSE(judge(EthernetWait::Ack, ack, f, n).done) << n;
        EXPECT_FALSE(judge(EthernetWait::AckLast, last, f, n).done) << n;
        EXPECT_FALSE(judge(EthernetWait::Reply, reply, f, n).done) << n;
    }
    EXPECT_FALSE(CheckEthernetFrame(EthernetWait::Ack, nullptr, 0, f).done);
    expectDone(judge(EthernetWait::Ack, ack, f, kEthKind + 1), COMM_OK);

    // Status and last ack need the byte after the link header.
    EXPECT_FALSE(judge(EthernetWait::Status, status, f, kEthPayload).done);
    EXPECT_FALSE(judge(EthernetWait::AckLast, last, f, kEthPayload).done);
    expectDone(judge(EthernetWait::Status, status, f, kEthPayload + 1), COMM_E_DEVICE);
    expectDone(judge(EthernetWait::AckLast, last, f, kEthPayload + 1), COMM_OK);

    // A reply needs its whole frame header; with nothing after it, it holds no data.
    for (std::size_t n = kEthKind + 1; n < kEthReplyData; ++n)
        EXPECT_FALSE(judge(EthernetWait::Reply, reply, f, n).done) << n;
    expectReply(judge(EthernetWait::Reply, reply, f, kEthReplyData), 0);
}

TEST(EthernetFrame, AReplyWithoutDataIsARefusal)
{
    const EthernetFilter f = filterFor(kController);
    for (std::uint32_t stated : {0u, 0xFFFFFFFFu, 0x80000000u})
        expectDone(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 3, stated, 8), f), COMM_E_REFUSED);
    // The largest positive length is data, clipped to what came.
    expectReply(judge(EthernetWait::Reply, replyFrame(kController, 0x2A, 3, 0x7FFFFFFF, 8), f), 8);
}

TEST(EthernetFrame, ReplyDataIsClippedToTheFrameAndTheCapacity)
{
    // Length field, data bytes captured, capacity: data given.
    struct Case {
        std::uint32_t stated;
        std::size_t captured;
        std::uint32_t capacity;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {10, 40, kWorkBufferSize, 10},   // the field, when the frame carries more
        {100, 40, kWorkBufferSize, 40},  // the frame, when the field claims more
        {100, 40, 16, 16},               // the capacity, when both say more
        {12, 12, 12, 12},
        {5, 5, 0, 0},                    // no work buffer: received, but empty
        {514, 514, kWorkBufferSize, 514},// a full receive area
    };
    for (const Case& c : cases) {
        const Bytes frame = replyFrame(kController, 0x2A, 3, c.stated, c.captured);
        const EthernetVerdict v = judge(EthernetWait::Reply, frame, filterFor(kController, 255, 0x2A, c.capacity));
        expectReply(v, c.expected);
        EXPECT_LE(v.dataOffset + v.dataLength, frame.size());
    }
}
