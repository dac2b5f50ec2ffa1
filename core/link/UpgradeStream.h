#pragma once
// The firmware record stream that follows an upgrade request: records are
// sent one by one and each is answered with accept (0x11) or resend (0x22).
// The rules that differ by link are data; the link itself is a channel.
#include "core/api/Core.h"

#include <cstddef>
#include <cstdint>

namespace sorvane::link {

constexpr std::uint8_t kStreamAccept = 0x11;
constexpr std::uint8_t kStreamResend = 0x22;

// What came back for one record.
enum class StreamAnswerKind {
    Byte,      // an answer byte
    Silence,   // nothing within the read time-out
    NoReply,   // the read failed, or only unrelated frames came
    Lost,      // the connection closed or broke
    Error,     // the capture failed
};

struct StreamAnswer {
    StreamAnswerKind kind = StreamAnswerKind::Silence;
    std::uint8_t byte = 0;
};

// One open-able link for the stream. open() reports its own start and
// open-failed events (with cmd 224) and returns 0 or a negative result.
class UpgradeChannel {
public:
    virtual ~UpgradeChannel() = default;
    virtual int open(CoreCallBack callback) = 0;
    // Sends one whole record; false when it could not go out.
    virtual bool send(const std::uint8_t* record, std::size_t size, bool resend) = 0;
    virtual StreamAnswer answer() = 0;
    virtual void close() = 0;
    // True once the connection closed or broke under the stream.
    virtual bool lost() const { return false; }
};

struct StreamRules {
    int answerResends;    // resends allowed in a row after 0x22
    int silenceResends;   // resends allowed in a row after no answer
    bool acceptAck;       // 'A' accepts too
    bool otherByteEvent;  // an unknown answer reports refused (event 6)
    bool retryEvent;      // event 4 before each resend
    bool doneEvent;       // (224, 3, 8) after the last record
    bool sendFailRefused; // a record that does not go out: refused; else no reply
};

// Serial and TCP: three resends after 0x22, none after silence.
StreamRules SerialStreamRules();
StreamRules TcpStreamRules();
// Raw Ethernet: one resend after 0x22, two after silence.
StreamRules EthernetStreamRules();

// Runs the stream over an image: the image length on success, else
// -2 (resend limit), -3 (no reply), -4 (refused or damaged image),
// -5 (link not opened), -6 (cancelled) or -8 (link lost). A record running past the image
// end refuses the whole image before the link is opened.
int RunUpgradeStream(UpgradeChannel& channel, const StreamRules& rules, const std::uint8_t* image,
                     std::size_t length, CoreCallBack callback);

} // namespace sorvane::link
