#include "core/link/Frame.h"

#include "core/api/Callbacks.h"
#include "platform/ByteIO.h"
#include "platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <cstring>

using namespace sorvane::link;

namespace {

std::atomic<std::uint32_t> g_sequence{0};

// Reads exactly n bytes before the deadline: 1 read, 0 the deadline passed,
// -1 the link closed or failed.
int readExact(ByteSource& source, std::uint8_t* out, std::size_t n, const platform::Deadline& deadline)
{
    std::size_t got = 0;
    while (got < n) {
        const int want = static_cast<int>(std::min<std::size_t>(n - got, 0x10000));
        const int r = source.read(out + got, want, deadline);
        if (r <= 0)
            return r < 0 ? -1 : 0;
        got += static_cast<std::size_t>(r);
    }
    return 1;
}

int skipExact(ByteSource& source, std::size_t n, const platform::Deadline& deadline)
{
    std::uint8_t sink[256];
    while (n > 0) {
        const std::size_t step = std::min(n, sizeof sink);
        const int r = readExact(source, sink, step, deadline);
        if (r <= 0)
            return r;
        n -= step;
    }
    return 1;
}

// A read that stopped short: a closed link is lost, a quiet one did not answer.
int shortRead(int r) { return r < 0 ? COMM_E_LINK_LOST : COMM_E_NO_REPLY; }

}  // namespace

namespace sorvane::link {

std::uint16_t FrameCheckValue(const std::uint8_t* data, std::size_t length)
{
    std::uint16_t v = 0;
    for (std::size_t i = 0; i < length; ++i) {
        for (unsigned bit = 0x80; bit != 0; bit >>= 1) {
            const bool out = (v & 0x8000) != 0;
            v = static_cast<std::uint16_t>(v << 1);
            if (out)
                v ^= 0x1021;
            if (data[i] & bit)
                v ^= 0x1021;
        }
    }
    return v;
}

void WriteFrameHeader(const FrameHeader& h, std::uint8_t* out)
{
    std::memset(out, 0, kFrameHeaderSize);
    bytes::put32(out, 0, kFrameMagic);
    bytes::put8(out, 4, h.version);
    bytes::put8(out, 5, h.headerLength);
    bytes::put8(out, 6, h.address);
    bytes::put8(out, 7, h.constant);
    bytes::put32(out, 8, h.sequence);
    bytes::put8(out, 12, h.command);
    bytes::put8(out, 13, h.multiChunk);
    bytes::put8(out, 14, h.lastChunk);
    bytes::put32(out, 16, h.length);
    bytes::put32(out, 20, h.offset);
    bytes::put32(out, 24, FrameCheckValue(out, 24));
}

bool ReadFrameHeader(const std::uint8_t* in, FrameHeader& h)
{
    if (bytes::get32(in, 0) != kFrameMagic)
        return false;
    h.version = in[4];
    h.headerLength = in[5];
    h.address = in[6];
    h.constant = in[7];
    h.sequence = bytes::get32(in, 8);
    h.command = in[12];
    h.multiChunk = in[13];
    h.lastChunk = in[14];
    h.length = bytes::get32(in, 16);
    h.offset = bytes::get32(in, 20);
    return true;
}

std::uint32_t NextSequenceNumber()
{
    return g_sequence.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::vector<Chunk> PlanChunks(LinkKind link, std::uint32_t n)
{
    std::vector<Chunk> chunks;
    chunks.reserve(n / kChunkSize + 2);
    std::uint32_t at = 0;
    do {
        Chunk c;
        c.offset = at;
        c.first = at == 0;
        c.withHeader = link == LinkKind::Tcp || c.first;
        std::size_t room = kChunkSize;
        if (link == LinkKind::Ethernet && c.first)
            room = kEthernetFirstData;
        c.size = static_cast<std::uint32_t>(std::min<std::size_t>(n - at, room));
        at += c.size;
        c.last = at == n;
        chunks.push_back(c);
    } while (at < n);
    return chunks;
}

FrameHeader ChunkHeader(LinkKind link, std::uint8_t address, std::uint32_t sequence, std::uint8_t command,
                        std::uint32_t n, const Chunk& c)
{
    FrameHeader h;
    h.address = address;
    h.sequence = sequence;
    h.command = command;
    if (link == LinkKind::Tcp) {
        h.multiChunk = n > kChunkSize ? 1 : 0;
        h.lastChunk = c.last ? 1 : 0;
        h.length = c.size;
        h.offset = c.offset;
    } else {
        h.multiChunk = 0;
        h.lastChunk = 1;
        h.length = n;
        h.offset = 0;
    }
    return h;
}

void WriteLinkHeader(std::uint8_t* out, const std::uint8_t dst[6], const std::uint8_t src[6], std::uint8_t kind,
                     std::uint16_t payloadLength, std::uint32_t packetIndex)
{
    std::memcpy(out, dst, 6);
    std::memcpy(out + 6, src, 6);
    out[12] = static_cast<std::uint8_t>(kEtherType >> 8);
    out[13] = static_cast<std::uint8_t>(kEtherType & 0xFF);
    out[14] = kind;
    out[15] = 0;
    bytes::put16(out, 16, payloadLength);
    bytes::put32(out, 18, packetIndex);
}

int ClassifyStatusByte(std::uint8_t status)
{
    if (status == 0xE1)
        return COMM_E_DEVICE;
    if (status >= 0xE0 && status <= 0xEF)
        return COMM_E_REFUSED;
    return COMM_OK;
}

int ReadReplyFrame(ByteSource& source, const platform::Deadline& deadline, std::uint8_t* work, std::size_t capacity,
                   ReplyFrame& reply, int command, std::int64_t sequence)
{
    for (;;) {
        // Slide a four-byte window over the input until it holds the magic,
        // so stray bytes (even a stray first magic byte) lose nothing.
        std::uint32_t window = 0;
        for (int seen = 0;; ++seen) {
            std::uint8_t b;
            const int r = source.read(&b, 1, deadline);
            if (r <= 0)
                return shortRead(r);
            window = (window >> 8) | (std::uint32_t(b) << 24);
            if (seen >= 3 && window == kFrameMagic)
                break;
        }
        std::uint8_t header[kFrameHeaderSize] = {};
        bytes::put32(header, 0, kFrameMagic);
        int r = readExact(source, header + 4, 2, deadline);
        if (r <= 0)
            return shortRead(r);
        const std::size_t stated = header[5];
        const std::size_t used = std::min<std::size_t>(stated, kFrameHeaderSize);
        if (used <= 6)
            return COMM_E_REFUSED;
        r = readExact(source, header + 6, used - 6, deadline);
        if (r > 0)
            r = skipExact(source, stated - used, deadline);
        if (r <= 0)
            return shortRead(r);
        const auto length = static_cast<std::int32_t>(bytes::get32(header, 16));
        const bool otherCommand = command >= 0 && (used <= 12 || header[12] != command);
        const bool otherRequest = sequence >= 0 && (used < 12 || bytes::get32(header, 8) != sequence);
        if (otherCommand || otherRequest) {
            // The answer to another request (a late one, or another
            // program's): not ours, whatever it carries.
            if (length > 0 && static_cast<std::size_t>(length) <= capacity) {
                r = skipExact(source, static_cast<std::size_t>(length), deadline);
                if (r <= 0)
                    return shortRead(r);
            }
            continue;
        }
        if (length <= 0)
            return COMM_E_REFUSED;
        if (static_cast<std::size_t>(length) > capacity)
            continue;   // no reply of ours is this long: look for the next frame
        r = readExact(source, work, static_cast<std::size_t>(length), deadline);
        if (r <= 0)
            return shortRead(r);
        std::memcpy(reply.header, header + 4, sizeof reply.header);
        reply.length = static_cast<std::uint32_t>(length);
        reply.received = true;
        return COMM_OK;
    }
}

} // namespace sorvane::link
