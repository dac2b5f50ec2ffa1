#pragma once
// The core's progress reports. CCore calls the communication and the file
// callback on the thread that made the core call, with a command, an event
// and a pointer-wide value. A value that points to a text or a record is
// valid only during the call: DecodeCallback copies it into a value that
// may be kept or posted to another thread.
#include "core/api/Export.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

// Progress callback: value carries numbers or pointers, so it is pointer-wide.
using CoreCallBack = void (*)(unsigned cmd, unsigned event, std::uintptr_t value);

// Pseudo command codes of reports that belong to no single block.
enum CallbackCommand : unsigned {
    CBC_PROBE = 21,               // search phases and found controllers
    CBC_UPGRADE_STREAM = 224,
    CBC_SEARCH_CANDIDATE = 225,
    CBC_SAVE_PL = 226,            // file callback: saving a program list
    CBC_LOAD_PL = 227,            // file callback: loading one
    CBC_FIRMWARE_IMAGE = 228,     // no image to upgrade with: CBE_OPEN_FAILED with where it is looked for
    CBC_PICTURE_FILE = 229,       // a picture item whose file cannot be drawn: CBE_OPEN_FAILED with its name
    CBC_SEARCH_PROGRESS = 255,
};

// Events of the communication callback.
enum CallbackEvent : unsigned {
    CBE_START = 0,
    CBE_OPEN_FAILED = 1,      // value: wide text naming what failed to open
    CBE_PROGRESS = 2,         // value: percent
    CBE_DONE = 3,             // value: the reply flags that applied
    CBE_RETRY = 4,
    CBE_RESEND_FAILED = 5,
    CBE_REFUSED = 6,
    CBE_NO_REPLY = 7,
    CBE_CANCELLED = 9,
    CBE_SEARCH_PHASE = 10,
    CBE_DEVICE_ERROR = 11,
    CBE_SOCKET_FAILED = 12,
    CBE_HOST_FAILED = 13,     // value: wide "host:port" text
    CBE_LINK_LOST = 14,       // the connection closed or broke in the middle of a transfer
    CBE_ANSWER_REFUSED = 15,  // the answer holds settings outside their limits; nothing was stored
    CBE_PORT_LOST = 16,       // value: wide port name; the serial port went away in the middle of a transfer
};

// Events of the file callback (USB-stick file writer); the same numbers as
// some communication events, with their own meanings.
enum FileEvent : unsigned {
    UFE_OPEN_FAILED = 1,      // value: wide path; writer result 1
    UFE_WRITE_FAILED = 10,    // writer result 10
    UFE_WRITTEN = 11,         // writer result 0
    UFE_CLOSE_FAILED = 13,    // writer result 13
    UFE_CANCELLED = 14,       // writer result -6
};

// Transfer results: 0 or more is the number of data bytes sent.
enum CommResult : int {
    COMM_OK = 0,
    COMM_E_RESEND = -2,
    COMM_E_NO_REPLY = -3,
    COMM_E_REFUSED = -4,
    COMM_E_OPEN = -5,
    COMM_E_CANCELLED = -6,
    COMM_E_DEVICE = -7,
    COMM_E_LINK_LOST = -8,   // the connection closed or broke in the middle of a transfer
};

// Events of the file callback while saving (CBC_SAVE_PL) or loading (CBC_LOAD_PL) a program list.
enum ProgramListEvent : unsigned {
    PLE_OPEN_FAILED = 1,     // value: the path (NUL-terminated UTF-16)
    PLE_BAD_MAGIC = 2,
    PLE_NEWER_VERSION = 3,   // value: version - 4
    PLE_TRUNCATED = 4,
    PLE_LOADED = 8,
    PLE_SAVED = 11,
};

// Results of loading.
enum ProgramListResult : int {
    PL_OK = 0,
    PL_OPEN_FAILED = 1,
    PL_BAD_MAGIC = 2,
    PL_NEWER_VERSION = 3,
    PL_TRUNCATED = 4,
};

// One candidate link a search probed (cmd CBC_SEARCH_CANDIDATE); valid only during the report.
// One candidate link a search probed; valid only during the report.
struct SearchCandidate {
    std::uint32_t Form = 0;                // 0 serial, 1 adapter, 2 network
    const char16_t* PortName = nullptr;    // form 0
    std::uint32_t BaudRate = 0;            // form 0
    const char* DeviceName = nullptr;      // form 1: capture device name
    std::uint16_t Port = 0;                // form 2
};

// A callback's value copied out of the call.
struct CallbackPayload {
    enum class Kind {
        Number,      // the value itself: percent, retry count, address, result
        Text,        // a wide text: a port, path or host that failed
        Candidate,   // a probed search candidate
        None,        // a candidate report without a candidate (the search was cancelled)
    };
    Kind kind = Kind::Number;
    std::uintptr_t number = 0;
    QString text;
    struct {
        std::uint32_t Form = 0;   // 0 serial, 1 adapter, 2 network
        QString PortName;
        std::uint32_t BaudRate = 0;
        QByteArray DeviceName;
        std::uint16_t Port = 0;
    } candidate;
};

enum class CallbackSource { Comm, File };
// Copies what a report's value points at. Call it inside the callback, with
// the callback it came through; the result owns everything it holds.
SORVANE_API CallbackPayload DecodeCallback(CallbackSource source, unsigned cmd, unsigned event, std::uintptr_t value);
