#pragma once
// Records the program passes to and gets from CCore: rectangles, times, the
// overlap table, the controller settings record, network adapters and the
// catalogue's board entries.
#include "core/api/UniqueArray.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// A rectangle in LEDs, (0, 0) top left; right and bottom exclusive.
struct RECT {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const RECT&) const = default;
};

// The result table of the overlap check: a 16-byte header and up to six
// rows of two node paths and a kind. Callers allocate the whole type.
struct _tableOverlap {
    struct Row {
        char16_t First[128];    // path of the section
        char16_t Second[128];   // path of the other section or of the scene
        std::uint16_t Kind;     // 0 two sections intersect, 1 a section runs into a scene's border
        std::uint8_t Unused[6];
    };
    std::uint32_t Reserved1;
    std::uint32_t Capacity;     // rows, set by the check
    std::uint32_t Count;        // conflicts found, also those that did not fit
    std::uint32_t Reserved2;
    Row Rows[6];
};
static_assert(sizeof(_tableOverlap::Row) == 520 && sizeof(_tableOverlap) == 16 + 6 * 520);

constexpr std::int32_t OVERLAP_INTERSECT = 0;
constexpr std::int32_t OVERLAP_BORDER = 1;

struct SYSTEMTIME {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

// The controller settings record: the display settings of a screen in the
// fixed 384-byte layout of program-list files and of the hardware block
// sent to controllers (CCore::GlobalInfoToHardwareInfo converts).
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

// One adapter as the search and the raw-Ethernet link see it. The in-memory
// layout is the 600-byte record itself; WritePcapDevInfo gives its bytes.
struct pcapdevinfo {
    std::uint32_t index;        // position in the enumeration, from 0
    std::uint32_t reserved0;    // 0
    char name[260];             // capture device name, NUL-terminated
    char description[260];      // NUL-terminated
    std::uint8_t address[8];    // hardware address; first 6 bytes are the MAC
    std::uint8_t reserved1[64]; // 0
};
static_assert(std::is_trivially_copyable_v<pcapdevinfo>);
static_assert(sizeof(pcapdevinfo) == 600);

// One board of the firmware catalogue (CCore::GetFirmwareInfo).
struct FirmwareInfo {
    int order = 0;          // position in the build order
    int flags = 0;          // bit 0 on one board only
    QString modelName;
    QString secondName;     // always empty
    std::uint32_t version = 0;   // firmware version carried for the board
    int valueA = 0;         // the most sections a screen of the model plays
    int valueB = 0;
    int featureBits = 0;
    // Panel sizes packed as width * 65536 + height; pairs packed the same.
    CUniqueArray<unsigned> sizes1;
    CUniqueArray<unsigned> sizes2;
    CUniqueArray<unsigned> sizes3;
    CUniqueArray<unsigned> sizes4;
    CUniqueArray<unsigned> pairs;

    // The maximum section count; 0 when the catalogue gives none.
    int MaxSectionCount() const { return valueA; }
};

constexpr unsigned PackPanelSize(unsigned width, unsigned height)
{
    return width * 65536u + height;
}
