#pragma once
// What every link of a transport session does, and the one transfer loop
// that sends a block over any of them.
#include "core/link/CommSession.h"
#include "core/link/Frame.h"

#include <memory>
#include <utility>

namespace platform { class Deadline; }

namespace sorvane::link {

// A link is opened and closed again for every block of its session. It
// goes where its target says; the session gives it the address, the
// time-out, the buffers and the receiver of its reports.
class Link : public Transport {
public:
    Link(CommSession& session, LinkTarget target) : m_session(session), m_target(std::move(target)) {}
    Link(const Link&) = delete;
    Link& operator=(const Link&) = delete;

    int transfer(std::uint8_t command, const std::uint8_t* data, std::uint32_t length, std::uint32_t flags,
                 std::uint32_t timeoutMs) override;

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
    const LinkTarget m_target;
    std::uint32_t m_sequence = 0;
};

// A link that delivers a byte stream (serial port, TCP connection): the
// reply checks read from it.
class StreamLink : public Link, public ByteSource {
public:
    using Link::Link;
    int checkReply(std::uint8_t command, std::uint32_t flags, const Chunk& chunk,
                   const platform::Deadline& deadline) override;
    // Opens the link for the firmware record stream.
    virtual int openForStream(std::uint8_t command) { return open(command); }
};

// Opens, sends every chunk with its reply check, reports and closes.
int RunTransfer(CommSession& session, Link& link, std::uint8_t command, const std::uint8_t* data,
                std::uint32_t length, std::uint32_t flags, std::uint32_t timeoutMs);

// True (and the event consumed) when the cancel event was set.
bool CancelRequested();

// The links of a session, each on its own copy of the target; not yet open.
std::unique_ptr<Link> MakeSerialLink(CommSession& session, const LinkTarget& target);
std::unique_ptr<Link> MakeEthernetLink(CommSession& session, const LinkTarget& target);
std::unique_ptr<Link> MakeTcpLink(CommSession& session, const LinkTarget& target);

} // namespace sorvane::link
