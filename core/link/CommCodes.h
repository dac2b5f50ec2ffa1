#pragma once
// Codes of the progress callback and the results of transfers.

// Pseudo command codes of reports that belong to no single block.
enum CallbackCommand : unsigned {
    CBC_PROBE = 21,               // search phases and found controllers
    CBC_UPGRADE_STREAM = 224,
    CBC_SEARCH_CANDIDATE = 225,
    CBC_SAVE_PL = 226,
    CBC_LOAD_PL = 227,
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
    CBE_HOST_FAILED = 13,     // value: wide host text
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
};
