#pragma once
// Network adapters for raw Ethernet: the adapter record, enumeration, the
// adapter's own hardware address, capture handles and MAC text.
#include "core/api/Records.h"
#include "core/api/UniqueArray.h"

#include <QByteArray>
#include <cstdint>
#include <type_traits>

struct pcap;
namespace platform { class Deadline; }

namespace sorvane::link {

constexpr int kPcapDevInfoSize = 600;

// The record's stored bytes, little-endian, at its fixed offsets.
QByteArray WritePcapDevInfo(const pcapdevinfo& info);
// Reads a record from exactly 600 bytes; false (record untouched) otherwise.
bool ReadPcapDevInfo(const QByteArray& bytes, pcapdevinfo& info);

// Text that names "no adapter" when the list is empty.
inline constexpr const char* kNoAdapterName = "rpcap://";

// Fills `list` with the machine's Ethernet-like capture devices; returns how
// many were listed. Never throws; failures leave the list empty.
int EnumNetworkAdapters(CUniqueArray<pcapdevinfo>& list);

// Tests replace the enumeration; null restores the system one.
using AdapterEnumerator = int (*)(CUniqueArray<pcapdevinfo>& list);
void SetAdapterEnumerator(AdapterEnumerator fn);

// The device name libpcap opens for a capture name (a leading "rpcap://" is
// dropped, so the empty-list text names no device).
QByteArray CaptureDeviceName(const char* captureName);

// Reads the adapter's current hardware address into mac8 (6 bytes and 2
// zero bytes); 0 and 8 zero bytes when the adapter has none.
int QueryAdapterMac(const char* captureName, std::uint8_t mac8[8]);

// An open capture and the read time-out in effect.
struct CapturePair {
    pcap* handle = nullptr;
    int timeout = 1000;
};

// Frames a capture's buffer holds: the answers of every address to a
// broadcast, with room to spare.
constexpr int kCaptureFrames = 512;

// Opens a capture that sees only incoming frames of the controller protocol,
// delivered at once, in non-blocking mode, with room for kCaptureFrames. 1 on success, 0 on failure (the
// handle is then null and the time-out 1000).
int OpenCapture(CapturePair& pair, const char* captureName, int snapshotLength, int timeout);
void CloseCapture(CapturePair& pair);

// Waits up to timeoutMs for one frame. 1: *data and *length describe it
// (valid until the next read); 0: time-out; -1: the capture failed.
int NextCapturedFrame(CapturePair& pair, const std::uint8_t** data, int* length, int timeoutMs);
int NextCapturedFrame(CapturePair& pair, const std::uint8_t** data, int* length, const platform::Deadline& deadline);

// 12 lower-case hexadecimal digits and a terminator (13 characters).
void FormatMacText(const std::uint8_t mac6[6], char16_t* text);
// Parses up to 12 hexadecimal digits, skipping other characters; bytes
// without digits keep their value. 0 for an empty, null or over-long text
// (more than 12 characters; then nothing changes), non-zero otherwise.
int ParseMacText(const char16_t* text, std::uint8_t mac6[6]);

} // namespace sorvane::link
