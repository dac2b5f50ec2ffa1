#pragma once
// The transport session of one controller request: it owns its link
// (serial port, capture adapter, TCP connection or USB-stick file), made
// once when it is bound, on settings it keeps for itself, and opened for one
// transfer at a time; it sends a block in frames, checks the replies and
// reports progress. Only raw Ethernet keeps something between the blocks of
// one session: its capture, a local matter the controller never sees.
// Sessions live on the stack of the thread that makes the request and are
// not copyable.
#include "core/link/Adapters.h"
#include "core/link/CapturePool.h"
#include "core/link/Frame.h"
#include "core/api/Core.h"
#include "core/api/ItemTypes.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace sorvane::link {

struct CommSession;

// Where a session's link goes: built once when the session is bound and
// kept by the link made for it, which never reads its settings back from
// the session.
struct LinkTarget {
    std::uint32_t mode = COMM_SERIAL;   // CommMode
    QString portName;                   // serial
    std::uint32_t baudRate = 115200;    // serial; also what an upgrade request carries
    QByteArray adapterName;             // raw Ethernet: the capture device
    std::array<std::uint8_t, 6> mac{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};   // raw Ethernet: the controller
    QByteArray host;                    // network: a dotted address or a name
    std::uint16_t port = 0;
    bool hostIsName = false;
};

// What a session sends over, chosen once when the session is bound to its
// link: a serial port, a capture adapter, a TCP host or a USB-stick file.
class Transport {
public:
    virtual ~Transport() = default;
    // Sends one framed block: bytes sent or a negative transfer result.
    virtual int transfer(std::uint8_t command, const std::uint8_t* data, std::uint32_t length, std::uint32_t flags,
                         std::uint32_t timeoutMs) = 0;
    // The firmware record stream, where the link carries one: the image
    // length or a negative result.
    virtual bool streams() const { return false; }
    virtual int stream(const std::uint8_t*, std::uint32_t) { return COMM_E_OPEN; }
};

struct CommSession {
    CommSession() = default;
    ~CommSession();
    CommSession(const CommSession&) = delete;
    CommSession& operator=(const CommSession&) = delete;

    std::uint8_t address = 255;
    std::vector<std::uint8_t> request;      // the block a command builder fills
    std::uint32_t capacity = 0;             // of the work buffer
    std::uint32_t timeout = 0;              // ms: reply and serial read time-out
    std::unique_ptr<std::uint8_t[]> work;   // data of a received reply frame
    std::uint32_t replyLength = 0;
    std::uint32_t replyReceived = 0;
    std::array<std::uint8_t, kFrameAreaSize> frame{};   // what goes out, per chunk
    // Serial and TCP: bytes 4..35 of the last reply header; raw Ethernet:
    // the last received frame (at most 572 bytes).
    std::array<std::uint8_t, kReceiveAreaSize> receive{};
    std::uint32_t receiveLength = 0;
    // Raw Ethernet: the capture the session's blocks share, taken (or
    // opened) by the first block on `captureAdapter` and kept for the next
    // session when this one ends.
    CapturePair capture;
    QByteArray captureAdapter;
    CapturePlace capturePlace;
    QString filePath;
    QString fileMode = QStringLiteral("wb+");
    // Made by binding the session (BindCommSession) or by CreateFileSession;
    // none before, and a request of an unbound session does not open.
    std::unique_ptr<Transport> transport;
    CoreCallBack callback = nullptr;

    void report(unsigned cmd, unsigned event, std::uintptr_t value = 0) const
    {
        if (callback)
            callback(cmd, event, value);
    }
    // Sends the request buffer with the session's time-out.
    int sendRequest(std::uint8_t command, std::uint32_t flags);
};

// A request session: the address put in every frame, the reply time-out and
// the receiver of its reports. Clears the cancel event.
void CreateCommSession(CommSession& session, std::uint8_t address, std::uint32_t timeoutMs, CoreCallBack callback);
// A USB-stick file session writing to `path`.
void CreateFileSession(CommSession& session, const QString& path, CoreCallBack callback);
// Frees the request and work buffers and gives the session's capture back.
void DestroyCommSession(CommSession& session);

// The session's capture on `adapter`, opened on first use; frames that
// came before this call are dropped, so a block sees only what answers it.
// Null when the adapter cannot be opened.
CapturePair* SessionCapture(CommSession& session, const QByteArray& adapter);
// Closes the session's capture (after it failed), so the next block opens anew.
void DropSessionCapture(CommSession& session);
// Gives the session's capture back to be kept for the next session.
void ReleaseSessionCapture(CommSession& session);

// Binds the session to a link on `target`: frees the request, clears the
// reply and makes the link of the target's mode (none for another mode).
void BindCommSession(CommSession& session, const LinkTarget& target);
// The same for each mode. A null MAC means every controller (FF FF FF FF FF FF).
void SetCommSessionSerial(CommSession& session, const QString& portName, std::uint32_t baudRate);
void SetCommSessionEthernet(CommSession& session, const QByteArray& adapterName, const std::uint8_t* mac);
void SetCommSessionNetwork(CommSession& session, const QByteArray& host, std::uint16_t port, std::uint32_t hostIsName);


// Time (ms) `bytes` take on a serial line at `baudRate`, ten bits a byte.
std::uint32_t SerialLineTimeMs(std::uint64_t bytes, std::uint32_t baudRate);

// The device a serial port name opens: names without a slash live in /dev.
QString SerialDevicePath(const QString& portName);

// The protocol's time-outs and pauses (ms).
constexpr std::uint32_t kRequestTimeout = 5000;
constexpr int kConnectTimeout = 5000;
constexpr int kConnectAttempts = 4;
constexpr int kSerialSettle = 20;
constexpr int kSerialDrain = 1;
constexpr int kCaptureLength = 1024;

} // namespace sorvane::link
