#pragma once
// Firmware upgrade over a transport session: the image loaded into the
// session's request buffer and the record stream over each link.
#include "core/link/FirmwareImage.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

struct tagGlobalInfo;
struct tagItemData;

namespace sorvane::link {

struct CommSession;
struct LinkTarget;
class StreamLink;

// Fills the session's request buffer with the firmware image of the board
// a screen block names; the byte count, 0 when there is none or it could
// not be read (`status` says which).
std::uint32_t LoadFirmwareImage(CommSession& session, const tagGlobalInfo* board, FirmwareLoad* status = nullptr);
// True when the records of the image tile it and one carries data (only such images are sent or exported).
bool wholeFirmwareImage(const std::vector<std::uint8_t>& image);

// The record stream over the session's link: the image length, or -2 to -6 or -8.
// Serial and TCP: over the session's link; TCP names `host` in its reports.
// Raw Ethernet: on the session's capture of the target's adapter.
int SerialSendUpgradeStream(CommSession& session, StreamLink& link, const std::uint8_t* data, std::uint32_t length);
int EthernetSendUpgradeStream(CommSession& session, const LinkTarget& target, const std::uint8_t* data,
                              std::uint32_t length);
int TcpSendUpgradeStream(CommSession& session, StreamLink& link, const QByteArray& host, const std::uint8_t* data,
                         std::uint32_t length);

// Packets the upgrade request leaves behind on raw Ethernet: the stream's
// packet index continues from there.
std::uint32_t UpgradeRequestPackets();

} // namespace sorvane::link
