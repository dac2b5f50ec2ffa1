#pragma once
// The controller settings record: the display settings of a screen in the
// fixed 384-byte layout of program-list files and of the hardware block
// sent to controllers. CCore::GlobalInfoToHardwareInfo and
// CCore::HardwareInfoToGlobalInfo convert between it and the screen block.
#include <array>
#include <cstddef>
#include <cstdint>

constexpr std::size_t HARDWAREINFO_SIZE = 384;

struct _tagHardwareInfo {
    std::uint16_t Version = 0;
    std::uint16_t Size = 0;
    std::uint8_t ID = 0;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint16_t ReFreq = 0;
    std::uint16_t Type = 0;
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
    std::uint32_t RemoteVersion = 0;
    std::uint32_t HardwareId = 0;
    std::uint32_t VersionWord = 0;
    std::uint32_t BaudRate = 0;
    std::uint8_t DstMAC[8] = {};
    // The stored image as last read: bytes no field models are written back from here.
    std::array<std::uint8_t, HARDWAREINFO_SIZE> Raw{};
};

// Zero-fills the record and sets its defaults (version 1, 128 x 64, ...).
void InitHardwareInfo(_tagHardwareInfo* info);

// The 384-byte little-endian image.
void WriteHardwareInfo(const _tagHardwareInfo& info, std::uint8_t* out);
// Lays min(length, 384) bytes over the record's current image (a short
// input keeps the rest as it was); false for null input.
bool ReadHardwareInfo(const std::uint8_t* in, std::size_t length, _tagHardwareInfo& info);
