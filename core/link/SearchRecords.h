#pragma once
// Records of the controller search: the remembered links kept in the core
// object (stored as fixed little-endian images) and the candidate a probe
// report points at.
#include "core/api/Core.h"

#include <cstddef>
#include <cstdint>

namespace sorvane::link {

constexpr std::size_t kSerialInfoSize = 68;
// Characters of a port name a record keeps.
constexpr qsizetype kSerialInfoNameUnits = 31;
constexpr std::size_t kAdapterInfoSize = 12;
constexpr std::size_t kWanInfoSize = 12;

// Serial link: u32 baud rate, then the port name as 32 UTF-16 units,
// zero-padded (a longer name is cut to 31 units and a terminator).
CCore::SerialInfo MakeSerialInfo(const QString& portName, std::uint32_t baudRate);
QString SerialInfoPortName(const CCore::SerialInfo& info);
// Adapter link: u32 adapter index, 6 MAC bytes, 2 further bytes.
CCore::AdapterInfo MakeAdapterInfo(std::uint32_t adapterIndex, const std::uint8_t mac[6], std::uint16_t extra);
// Network link: address byte, 3 zero bytes, IPv4 (network order), port, 2 zero bytes.
CCore::WanInfo MakeWanInfo(std::uint8_t address, std::uint32_t ipNetworkOrder, std::uint16_t port);

void WriteSerialInfo(const CCore::SerialInfo& info, std::uint8_t* out);
void WriteAdapterInfo(const CCore::AdapterInfo& info, std::uint8_t* out);
void WriteWanInfo(const CCore::WanInfo& info, std::uint8_t* out);
// Readers refuse a wrong length and leave the record as it was.
bool ReadSerialInfo(const std::uint8_t* in, std::size_t length, CCore::SerialInfo& info);
bool ReadAdapterInfo(const std::uint8_t* in, std::size_t length, CCore::AdapterInfo& info);
bool ReadWanInfo(const std::uint8_t* in, std::size_t length, CCore::WanInfo& info);

// Reports a probe's outcome as a candidate event (cmd 225) and returns the
// result unchanged. The retry result -1 reports nothing.
int ReportSearchCandidate(CoreCallBack callback, const SearchCandidate* candidate, int result);

} // namespace sorvane::link
