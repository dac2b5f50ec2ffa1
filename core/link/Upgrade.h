#pragma once
// Firmware upgrade over a transport session: the image loaded into the
// session's request buffer and the record stream over each link.
#include <cstdint>
#include <vector>

struct tagItemData;

namespace sorvane::link {

struct CommSession;

// Fills the session's request buffer with the screen's firmware image;
// the byte count, 0 when there is none.
std::uint32_t LoadFirmwareImage(CommSession& session, const tagItemData* screen);
// True when every record of the image lies inside it (only such images are sent or exported).
bool wholeFirmwareImage(const std::vector<std::uint8_t>& image);

// The record stream over the session's link: the image length, or -2 to -6.
int SerialSendUpgradeStream(CommSession& session, const std::uint8_t* data, std::uint32_t length);
int EthernetSendUpgradeStream(CommSession& session, const std::uint8_t* data, std::uint32_t length);
int TcpSendUpgradeStream(CommSession& session, const std::uint8_t* data, std::uint32_t length);

// Packets the upgrade request leaves behind on raw Ethernet: the stream's
// packet index continues from there.
std::uint32_t UpgradeRequestPackets();

} // namespace sorvane::link
