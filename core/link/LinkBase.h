#pragma once
// What every link of a transport session does, and the one transfer loop
// that sends a block over any of them.
#include "core/link/CommSession.h"
#include "core/link/Frame.h"

#include <memory>

namespace platform { class Deadline; }

namespace sorvane::link {

class Link {
public:
    explicit Link(CommSession& session) : m_session(session) {}
    virtual ~Link() = default;
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    virtual LinkKind kind() const = 0;
    // Opens the link; on failure reports the event and returns the result.
    virtual int open(std::uint8_t command) = 0;
    virtual void close() = 0;
    virtual bool reportsStart() const { return true; }
    virtual void afterOpen() {}
    // Bytes in front of the payload (raw Ethernet's link header).
    virtual std::size_t writePrefix(std::uint8_t*, std::size_t /*payloadLength*/) { return 0; }
    // Sends one chunk; false when it did not go out.
    virtual bool write(const std::uint8_t* data, std::size_t length) = 0;
    // The result of a chunk that did not go out: what the reply check would
    // give on a silent link, never success.
    virtual int writeFailed(std::uint32_t flags, const Chunk& chunk) const;
    // Time (nominal ms) the bytes written may still need to leave, added
    // to the reply time-out of a chunk; may wait for the output to drain.
    virtual std::uint32_t replyAllowance() { return 0; }
    // 0 accepted, -7 device error, -4 refused, -3 no reply, -8 link lost.
    virtual int checkReply(std::uint8_t command, std::uint32_t flags, const Chunk& chunk,
                           const platform::Deadline& deadline) = 0;
    virtual void accepted() {}
    // True once the connection closed or broke (a write or read found it gone).
    virtual bool lost() const { return false; }
    // The sequence number of the block under way: replies carry it back.
    void setSequence(std::uint32_t sequence) { m_sequence = sequence; }

protected:
    CommSession& m_session;
    std::uint32_t m_sequence = 0;
};

// A link that delivers a byte stream (serial port, TCP connection): the
// reply checks read from it.
class StreamLink : public Link, public ByteSource {
public:
    using Link::Link;
    int checkReply(std::uint8_t command, std::uint32_t flags, const Chunk& chunk,
                   const platform::Deadline& deadline) override;
};

// Opens, sends every chunk with its reply check, reports and closes.
int RunTransfer(CommSession& session, Link& link, std::uint8_t command, const std::uint8_t* data,
                std::uint32_t length, std::uint32_t flags, std::uint32_t timeoutMs);

// True (and the event consumed) when the cancel event was set.
bool CancelRequested();

// Stream links of the session, not yet open, for the firmware record stream.
std::unique_ptr<StreamLink> MakeSerialLink(CommSession& session);
std::unique_ptr<StreamLink> MakeTcpLink(CommSession& session, int connectAttempts);

} // namespace sorvane::link
