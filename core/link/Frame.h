#pragma once
// Controller frames: the 36-byte header and its check value, the
// process-wide sequence counter, the 22-byte raw-Ethernet link header, how a
// block is cut into chunks on each link, and the serial/TCP reply reader.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform { class Deadline; }

namespace sorvane::link {

constexpr std::uint32_t kFrameMagic = 0x9966AAAA;
constexpr std::size_t kFrameHeaderSize = 36;
constexpr std::size_t kChunkSize = 512;
constexpr std::size_t kFrameAreaSize = kFrameHeaderSize + kChunkSize;   // 548
constexpr std::size_t kLinkHeaderSize = 22;
constexpr std::size_t kEthernetFirstData = kChunkSize - kFrameHeaderSize;   // 476
constexpr std::size_t kWorkBufferSize = 2048;
constexpr std::size_t kReceiveAreaSize = 572;
constexpr std::uint16_t kEtherType = 0x0888;

// Offsets inside a received raw-Ethernet frame.
constexpr std::size_t kEthKind = 14;
constexpr std::size_t kEthPayload = kLinkHeaderSize;                 // 22
constexpr std::size_t kEthReplyAddress = kEthPayload + 6;            // 28
constexpr std::size_t kEthReplyCommand = kEthPayload + 12;           // 34
constexpr std::size_t kEthReplyLength = kEthPayload + 16;            // 38
constexpr std::size_t kEthReplyData = kEthPayload + kFrameHeaderSize; // 58

// Raw-Ethernet frame kinds.
constexpr std::uint8_t kKindAck = 1;
constexpr std::uint8_t kKindRequest = 2;   // sent: framed request; received: status or reply
constexpr std::uint8_t kKindStream = 3;

constexpr std::uint8_t kAckByte = 0x41;    // 'A'

enum ReplyFlags : std::uint32_t {
    REPLY_ONE_BYTE = 0x01,
    REPLY_STATUS_FIRST = 0x02,
    REPLY_ACK_EACH = 0x04,
    REPLY_ACK_LAST = 0x08,
    REPLY_FRAME = 0x10,
};

struct FrameHeader {
    std::uint8_t version = 1;
    std::uint8_t headerLength = kFrameHeaderSize;
    std::uint8_t address = 0;
    std::uint8_t constant = 1;
    std::uint32_t sequence = 0;
    std::uint8_t command = 0;
    std::uint8_t multiChunk = 0;
    std::uint8_t lastChunk = 1;
    std::uint32_t length = 0;
    std::uint32_t offset = 0;
};

// CRC-16/XMODEM (polynomial 0x1021, initial 0, no reflection, no final XOR).
std::uint16_t FrameCheckValue(const std::uint8_t* data, std::size_t length);

// Writes the 36 header bytes with the check value over bytes 0-23.
void WriteFrameHeader(const FrameHeader& header, std::uint8_t* out);
// Reads a header from 36 bytes; false when the magic is not there.
bool ReadFrameHeader(const std::uint8_t* in, FrameHeader& header);

// The next number of the process-wide sequence counter (the first is 1).
std::uint32_t NextSequenceNumber();

enum class LinkKind { Serial, Ethernet, Tcp, File };

// One write (serial, file), frame (TCP) or packet (raw Ethernet).
struct Chunk {
    std::uint32_t offset = 0;   // of its data in the block
    std::uint32_t size = 0;     // data bytes
    bool withHeader = false;
    bool first = false;
    bool last = false;
};

// How a block of n bytes travels on a link. An empty block is one chunk: the
// header alone.
std::vector<Chunk> PlanChunks(LinkKind link, std::uint32_t n);

// The header of chunk `c` of a block of n bytes on `link`.
FrameHeader ChunkHeader(LinkKind link, std::uint8_t address, std::uint32_t sequence, std::uint8_t command,
                        std::uint32_t n, const Chunk& c);

void WriteLinkHeader(std::uint8_t* out, const std::uint8_t dst[6], const std::uint8_t src[6], std::uint8_t kind,
                     std::uint16_t payloadLength, std::uint32_t packetIndex);

// A status byte: 0 accepted, -7 device error (0xE1), -4 refused (other 0xE0-0xEF).
int ClassifyStatusByte(std::uint8_t status);

// A stream of reply bytes (serial port or TCP connection).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes, waiting until the deadline for the first one.
    // Bytes read, 0 when the deadline passed, -1 when the link failed or closed.
    virtual int read(std::uint8_t* buffer, int n, const platform::Deadline& deadline) = 0;
};

// What a reply frame left in the session.
struct ReplyFrame {
    std::uint8_t header[kFrameHeaderSize - 4] = {};   // header bytes 4..35
    std::uint32_t length = 0;                         // data bytes in the work buffer
    bool received = false;
};

// Reads a reply frame from `source` before the deadline: finds the magic,
// reads the header and the data into `work` (capacity bytes). 0 accepted,
// -4 refused (bad header length or empty data), -3 no reply, -8 the link
// closed or failed on the way. Stray bytes before the magic, including a
// lone first magic byte, are skipped; a frame whose data would not fit the
// work buffer is skipped as not a reply, and so is one carrying another
// command than `command` or another sequence number than `sequence` (each
// when not negative).
int ReadReplyFrame(ByteSource& source, const platform::Deadline& deadline, std::uint8_t* work,
                   std::size_t capacity, ReplyFrame& reply, int command = -1, std::int64_t sequence = -1);

} // namespace sorvane::link
