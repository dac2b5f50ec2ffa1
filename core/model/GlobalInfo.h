#pragma once
// The screen block of a screen node: the controller's display settings, its
// network and Wi-Fi settings and the link the PC reaches it through.
#include "core/model/Export.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct tagItemData;

constexpr std::size_t GLOBALINFO_SIZE = 480;

// TargetScreen value meaning "no screen: send to every controller".
inline tagItemData* const TARGET_SCREEN_NONE = reinterpret_cast<tagItemData*>(~std::uintptr_t(0));

struct tagGlobalInfo {
    std::uint16_t BlockSize = 0;
    std::uint16_t TypeCode = 0;
    std::uint8_t ID = 0;              // controller address 1-254
    std::uint16_t Width = 0;          // in LEDs
    std::uint16_t Height = 0;
    std::uint16_t ReFreq = 0;
    std::uint16_t Type = 0;           // LED work-mode code
    std::uint16_t ScanMode = 0;
    std::uint8_t RowDecode = 0;
    std::uint8_t OptionBits = 0;      // hardware option bits 0-3
    std::uint8_t OptionBits2 = 0;     // hardware option bits 0-1
    std::uint16_t Lum = 0;
    std::uint32_t SettingsWord = 0;
    std::uint8_t HourSU = 0;
    std::uint8_t MinSU = 0;
    std::uint8_t HourSD = 0;
    std::uint8_t MinSD = 0;
    std::uint8_t WeekSD = 0;
    std::uint8_t AutoS = 0;
    std::uint32_t RemoteVersion = 0;  // 0xFFFFFFFF unknown
    std::uint32_t HardwareId = 0;
    std::uint32_t VersionWord = 0;
    std::uint32_t BaudRate = 0;
    std::uint8_t DstMAC[8] = {};
    char DeviceName[16] = {};
    std::uint8_t DhcpFlag = 0;
    std::uint16_t DevicePort = 0;
    // Addresses in network order: the stored bytes read as a little-endian word.
    std::uint32_t IpAddr = 0;
    std::uint32_t SubnetMask = 0;
    std::uint32_t Gateway = 0;
    std::uint32_t Address4 = 0;
    std::uint32_t NetWord = 0;
    char WifiSsid[33] = {};
    std::int32_t WifiMode = 0;        // 1 access point, 2 station
    std::int32_t WifiSecurity = 0;
    std::int32_t WifiEncryption = 0;
    std::uint32_t WifiWord = 0;
    std::uint16_t WifiWord2 = 0;
    char WifiKey[65] = {};
    // Screen whose link is used: null this screen, TARGET_SCREEN_NONE none
    // (broadcast), else another screen.
    tagItemData* TargetScreen = nullptr;
    std::uint8_t SwapRedGreen = 0;
    std::uint32_t CommType = 0;       // CommMode
    std::uint32_t SerialPort = 0;     // n of COMn
    std::uint32_t AdapterIndex = 0;
    std::uint8_t HostKind = 0;
    char Host[67] = {};
    std::uint16_t HostPort = 0;
    // The stored image as last read: bytes no field models are written back from here.
    std::array<std::uint8_t, GLOBALINFO_SIZE> Raw{};
};

// The settings of a new screen.
void InitGlobalInfo(tagGlobalInfo& info);

// Dotted-quad address in network order (see IpAddr).
constexpr std::uint32_t Ipv4(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return (a & 0xFFu) | ((b & 0xFFu) << 8) | ((c & 0xFFu) << 16) | ((d & 0xFFu) << 24);
}

// TargetScreen is stored as 0xFFFFFFFF for "none" and 0 otherwise.
SORVANE_API void WriteGlobalInfo(const tagGlobalInfo& info, std::uint8_t* out);
SORVANE_API void ReadGlobalInfo(const std::uint8_t* in, tagGlobalInfo& info);
