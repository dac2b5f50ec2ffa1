#pragma once
// The decision on one captured raw-Ethernet frame: is it what the link waits
// for, and if so what does it say. Pure over the frame's bytes, so it can be
// tested and fuzzed without a capture adapter.
#include <cstddef>
#include <cstdint>

namespace sorvane::link {

// What the link waits for after sending a chunk.
enum class EthernetWait {
    Status,    // a status byte in a frame of kind request
    Ack,       // a frame of kind ack
    AckLast,   // 0x11 or the ack byte in a frame of kind request or stream
    Reply,     // a reply frame of kind request for our command
};

// Which frames are ours.
struct EthernetFilter {
    std::uint8_t controllerMac[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};   // all 0xFF: any controller
    std::uint8_t address = 255;     // with a broadcast MAC, only replies from this screen (255: any)
    std::uint8_t command = 0;       // a reply answers this command
    std::int64_t sequence = -1;     // and carries this sequence number back (-1: any)
    std::uint32_t capacity = 0;     // of the work buffer the reply data goes to
};

struct EthernetVerdict {
    bool done = false;            // false: not the awaited frame, wait for the next
    int result = 0;               // when done: a COMM_ result code
    bool reply = false;           // a reply frame was accepted (its data may be empty)
    std::size_t dataOffset = 0;   // of the reply data in the frame
    std::uint32_t dataLength = 0; // reply data bytes, clipped to the frame and the capacity
};

bool IsBroadcastMac(const std::uint8_t mac[6]);

// Long enough to carry a kind, and sent by the controller we talk to (any
// sender when we talk to every controller).
bool IsFromController(const std::uint8_t* frame, std::size_t length, const std::uint8_t controllerMac[6]);

// Judges `length` bytes of a captured frame; never reads past them.
EthernetVerdict CheckEthernetFrame(EthernetWait wait, const std::uint8_t* frame, std::size_t length,
                                   const EthernetFilter& filter);

} // namespace sorvane::link
