#pragma once
// The link one request to a controller goes over, with the address its
// frames carry and the colour order its programs are built in. It is a value
// built once, before the request, from the screen and from the screen whose
// link it borrows (CCore::GetSendLink); the request reads it alone, so no
// screen is written to borrow a link and a window that reads a screen during
// a send sees the screen's own link throughout.
#include "core/api/ItemTypes.h"

#include <cstdint>

struct LinkSettings {
    std::uint32_t Mode = COMM_SERIAL;   // CommMode
    std::uint8_t Address = 1;           // 255: every controller on the link
    std::uint8_t SwapRedGreen = 0;
    std::uint32_t SerialPort = 1;       // n of COMn
    std::uint32_t BaudRate = 115200;
    std::uint32_t AdapterIndex = 0;
    std::uint8_t DstMAC[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    std::uint8_t HostKind = 0;          // 1: the host is a name to look up
    char Host[67] = {};
    std::uint16_t HostPort = 0;
};
