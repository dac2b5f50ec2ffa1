#pragma once
// The transport session of one controller request: it owns its link
// (serial port, capture adapter, TCP connection or USB-stick file), chosen
// once when it is bound and opened for one transfer at a time; it sends a
// block in frames, checks the replies and reports progress. Only raw Ethernet keeps something between the blocks of one
// session: its capture, a local matter the controller never sees. Sessions
// live on the stack of the thread that makes the request and are not copyable.
#include "core/link/Adapters.h"
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

    std::uint32_t mode = COMM_SERIAL;
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
    QString portName = QStringLiteral("COM1");
    std::uint32_t baudRate = 115200;
    QByteArray adapterName;
    std::uint8_t dstMac[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    int captureLength = 1024;
    // Raw Ethernet: the capture the session's blocks share, opened by the
    // first block on `captureAdapter` and closed with the session.
    CapturePair capture;
    QByteArray captureAdapter;
    std::uint32_t hostIsName = 0;
    QByteArray host;
    std::uint16_t port = 0;
    QString filePath;
    QString fileMode = QStringLiteral("wb+");
    std::unique_ptr<Transport> transport;   // made by the Set... and Create... calls below
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
// Frees the request and work buffers and closes the session's capture.
void DestroyCommSession(CommSession& session);

// The session's capture on its adapter, opened on first use; frames that
// came before this call are dropped, so a block sees only what answers it.
// Null when the adapter cannot be opened.
CapturePair* SessionCapture(CommSession& session);
// Closes the session's capture (after it failed), so the next block opens anew.
void DropSessionCapture(CommSession& session);

void SetCommSessionSerial(CommSession& session, const QString& portName, std::uint32_t baudRate);
// A null MAC means every controller (FF FF FF FF FF FF).
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

} // namespace sorvane::link
