#pragma once
// What every link of a transport session does, and the one transfer loop
// that sends a block over any of them.
#include "core/link/CommSession.h"
#include "core/link/Frame.h"

#include <chrono>
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
    // Tells that the link went away under a block (the default: "link lost").
    virtual void reportLost(std::uint8_t command);
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

// Progress of a transfer goes out at most this often (real ms), besides its
// start, its end and its failures.
constexpr int kProgressIntervalMs = 25;

// The interval in effect; tests that follow every chunk set 0 (a negative
// value restores kProgressIntervalMs).
void SetProgressInterval(int ms);

// When the next progress report of a transfer is due.
class ProgressPace {
public:
    ProgressPace();
    // True (and the interval starts again) once the interval passed since
    // the start or the last report that was due.
    bool due();

private:
    std::chrono::milliseconds m_interval;
    std::chrono::steady_clock::time_point m_last = std::chrono::steady_clock::now();
};

// Opens, sends every chunk with its reply check, reports and closes.
int RunTransfer(CommSession& session, Link& link, std::uint8_t command, const std::uint8_t* data,
                std::uint32_t length, std::uint32_t flags, std::uint32_t timeoutMs);

// True (and the event consumed) when the cancel event was set.
bool CancelRequested();
// True while the cancel event is set; it stays set for the loop that ends
// the transfer with the cancelled result.
bool CancelPending();
// Every wait of a transfer blocks at most this long (real ms) before it
// asks for the cancel again.
constexpr int kCancelPollMs = 50;
// Real ms a wait may block now: the rest of the deadline, at most kCancelPollMs.
int CancelSliceMs(const platform::Deadline& deadline);
// A pause of the protocol, cut short by a cancel; false when it was (the
// event stays set).
bool PauseUnlessCancelled(int nominalMs);

// The links of a session, each on its own copy of the target; not yet open.
std::unique_ptr<Link> MakeSerialLink(CommSession& session, const LinkTarget& target);
std::unique_ptr<Link> MakeEthernetLink(CommSession& session, const LinkTarget& target);
std::unique_ptr<Link> MakeTcpLink(CommSession& session, const LinkTarget& target);

} // namespace sorvane::link
