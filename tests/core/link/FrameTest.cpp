// Frame header, check value, chunk plans and the reply reader, without links.
#include "LinkTestUtil.h"

#include "core/api/Callbacks.h"

#include <deque>

using namespace sorvane::link;

using namespace linktest;

TEST(FrameFormat, CheckValueIsCrc16Xmodem)
{
    const char* text = "123456789";
    EXPECT_EQ(FrameCheckValue(reinterpret_cast<const std::uint8_t*>(text), 9), 0x31C3);
    EXPECT_EQ(FrameCheckValue(nullptr, 0), 0);
}

TEST(FrameFormat, WholeHeadersMatchKnownBytes)
{
    FrameHeader probe;
    probe.address = 1;
    probe.sequence = 1;
    probe.command = 21;
    probe.length = 4;
    Bytes out(36, 0xCC);
    WriteFrameHeader(probe, out.data());
    const Bytes expected = {0xAA, 0xAA, 0x66, 0x99, 0x01, 0x24, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00,
                            0x15, 0x00, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x8C, 0x28, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(out, expected);

    FrameHeader tcp;
    tcp.address = 7;
    tcp.sequence = 0x12345678;
    tcp.command = 1;
    tcp.multiChunk = 1;
    tcp.lastChunk = 0;
    tcp.length = 1200;
    tcp.offset = 512;
    WriteFrameHeader(tcp, out.data());
    const Bytes expected2 = {0xAA, 0xAA, 0x66, 0x99, 0x01, 0x24, 0x07, 0x01, 0x78, 0x56, 0x34, 0x12,
                             0x01, 0x01, 0x00, 0x00, 0xB0, 0x04, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00,
                             0xE6, 0x66, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(out, expected2);

    FrameHeader back;
    ASSERT_TRUE(ReadFrameHeader(out.data(), back));
    EXPECT_EQ(back.sequence, 0x12345678u);
    EXPECT_EQ(back.offset, 512u);
    out[0] = 0xAB;
    EXPECT_FALSE(ReadFrameHeader(out.data(), back));
}

TEST(FrameFormat, SequenceNumbersFollowOneAnother)
{
    const std::uint32_t a = NextSequenceNumber();
    const std::uint32_t b = NextSequenceNumber();
    EXPECT_EQ(b, a + 1);
}

TEST(FrameFormat, LinkHeaderLayout)
{
    const std::uint8_t dst[6] = {1, 2, 3, 4, 5, 6};
    const std::uint8_t src[6] = {0xA, 0xB, 0xC, 0xD, 0xE, 0xF};
    Bytes out(22, 0xCC);
    WriteLinkHeader(out.data(), dst, src, 2, 0x1234, 0x01020304);
    const Bytes expected = {1, 2, 3, 4, 5, 6, 0xA, 0xB, 0xC, 0xD, 0xE, 0xF, 0x08, 0x88, 2, 0, 0x34, 0x12, 4, 3, 2, 1};
    EXPECT_EQ(out, expected);
}

TEST(FrameFormat, ChunkPlansPerLink)
{
    struct Case {
        LinkKind link;
        std::uint32_t n;
        std::vector<std::uint32_t> sizes;
    };
    const Case cases[] = {
        {LinkKind::Serial, 0, {0}},          {LinkKind::Serial, 512, {512}},
        {LinkKind::Serial, 513, {512, 1}},   {LinkKind::Tcp, 1200, {512, 512, 176}},
        {LinkKind::Ethernet, 476, {476}},    {LinkKind::Ethernet, 477, {476, 1}},
        {LinkKind::Ethernet, 1200, {476, 512, 212}}, {LinkKind::File, 1, {1}},
    };
    for (const Case& c : cases) {
        const std::vector<Chunk> plan = PlanChunks(c.link, c.n);
        ASSERT_EQ(plan.size(), c.sizes.size()) << c.n;
        std::uint32_t at = 0;
        for (std::size_t i = 0; i < plan.size(); ++i) {
            EXPECT_EQ(plan[i].size, c.sizes[i]);
            EXPECT_EQ(plan[i].offset, at);
            EXPECT_EQ(plan[i].first, i == 0);
            EXPECT_EQ(plan[i].last, i + 1 == plan.size());
            EXPECT_EQ(plan[i].withHeader, i == 0 || c.link == LinkKind::Tcp);
            at += plan[i].size;
        }
    }
}

TEST(FrameFormat, StatusBytes)
{
    EXPECT_EQ(ClassifyStatusByte(0x41), COMM_OK);
    EXPECT_EQ(ClassifyStatusByte(0x00), COMM_OK);
    EXPECT_EQ(ClassifyStatusByte(0xF0), COMM_OK);
    EXPECT_EQ(ClassifyStatusByte(0xE1), COMM_E_DEVICE);
    EXPECT_EQ(ClassifyStatusByte(0xE5), COMM_E_REFUSED);
    EXPECT_EQ(ClassifyStatusByte(0xE0), COMM_E_REFUSED);
    EXPECT_EQ(ClassifyStatusByte(0xEF), COMM_E_REFUSED);
}

namespace {

// Bytes handed out in the pieces given; then silence.
class Pieces : public ByteSource {
public:
    explicit Pieces(std::vector<Bytes> pieces) : m_pieces(pieces.begin(), pieces.end()) {}
    int read(std::uint8_t* out, int n, const platform::Deadline&) override
    {
        if (m_pieces.empty())
            return 0;
        Bytes& p = m_pieces.front();
        const int k = std::min<int>(n, static_cast<int>(p.size()));
        std::memcpy(out, p.data(), static_cast<std::size_t>(k));
        p.erase(p.begin(), p.begin() + k);
        if (p.empty())
            m_pieces.pop_front();
        return k;
    }
    std::size_t left() const
    {
        std::size_t n = 0;
        for (const Bytes& p : m_pieces)
            n += p.size();
        return n;
    }

private:
    std::deque<Bytes> m_pieces;
};

Bytes reply(std::uint8_t cmd, const Bytes& data) { return cat(header(9, 5, cmd, 0, 1, static_cast<std::uint32_t>(data.size()), 0), data); }

struct ReadResult {
    int rc;
    ReplyFrame frame;
    Bytes data;
};

ReadResult readFrom(std::vector<Bytes> pieces, std::size_t capacity = kWorkBufferSize)
{
    Pieces src(std::move(pieces));
    ReadResult r;
    Bytes work(capacity + 16, 0xEE);
    r.rc = ReadReplyFrame(src, platform::Deadline::after(1000), work.data(), capacity, r.frame);
    EXPECT_TRUE(std::all_of(work.begin() + static_cast<long>(capacity), work.end(), [](std::uint8_t b) { return b == 0xEE; }))
        << "reply written past the work buffer";
    r.data.assign(work.begin(), work.begin() + r.frame.length);
    return r;
}

}  // namespace

TEST(ReplyReader, ReadsAFrameThatArrivesInPieces)
{
    const Bytes data = pattern(100);
    const Bytes all = reply(19, data);
    const ReadResult r = readFrom({slice(all, 0, 3), slice(all, 3, 30), slice(all, 33, 50), slice(all, 83, all.size() - 83)});
    ASSERT_EQ(r.rc, COMM_OK);
    EXPECT_TRUE(r.frame.received);
    EXPECT_EQ(r.data, data);
    EXPECT_EQ(r.frame.header[2], 9);   // the address byte (header offset 6)
    EXPECT_EQ(r.frame.header[8], 19);  // the command (offset 12)
}

TEST(ReplyReader, StrayBytesAndAStrayFirstMagicByteLoseNothing)
{
    const Bytes data = pattern(4);
    for (const Bytes& stray : {Bytes{0x11, 0x22}, Bytes{0xAA}, Bytes{0xAA, 0xAA}, Bytes{0xAA, 0xAA, 0x66}, Bytes{0x99, 0xAA, 0x66}}) {
        const ReadResult r = readFrom({cat(stray, reply(17, data))});
        EXPECT_EQ(r.rc, COMM_OK);
        EXPECT_EQ(r.data, data);
    }
}

TEST(ReplyReader, LongerHeaderIsReadAndDropped)
{
    Bytes all = reply(23, pattern(8));
    all[5] = 40;
    all.insert(all.begin() + 36, {0xAA, 0xAA, 0x66, 0x99});   // header bytes 36-39: dropped, never a magic
    const ReadResult r = readFrom({all});
    ASSERT_EQ(r.rc, COMM_OK);
    EXPECT_EQ(r.data, pattern(8));
}

TEST(ReplyReader, RefusesShortHeadersAndEmptyData)
{
    Bytes bad = reply(17, pattern(4));
    bad[5] = 6;
    EXPECT_EQ(readFrom({bad}).rc, COMM_E_REFUSED);
    EXPECT_EQ(readFrom({header(1, 1, 17, 0, 1, 0, 0)}).rc, COMM_E_REFUSED);
    EXPECT_EQ(readFrom({header(1, 1, 17, 0, 1, 0x80000000u, 0)}).rc, COMM_E_REFUSED);
}

TEST(ReplyReader, SilenceAndCutRepliesAreNoReply)
{
    EXPECT_EQ(readFrom({}).rc, COMM_E_NO_REPLY);
    const Bytes all = reply(17, pattern(52));
    EXPECT_EQ(readFrom({slice(all, 0, 40)}).rc, COMM_E_NO_REPLY);
    EXPECT_EQ(readFrom({slice(all, 0, 3)}).rc, COMM_E_NO_REPLY);
}

TEST(ReplyReader, AReplyLongerThanTheBufferIsSkippedForTheNextOne)
{
    const Bytes data = pattern(20);
    const Bytes big = header(1, 1, 17, 0, 1, 64, 0);
    const ReadResult r = readFrom({big, reply(17, data)}, 32);
    ASSERT_EQ(r.rc, COMM_OK);
    EXPECT_EQ(r.data, data);
    // Alone, it is no reply, and nothing is written past the buffer.
    EXPECT_EQ(readFrom({cat(big, pattern(64))}, 32).rc, COMM_E_NO_REPLY);
}
