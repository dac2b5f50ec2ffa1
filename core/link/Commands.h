#pragma once
// Controller commands: their codes and names, and the settings blocks built
// from a screen and read back into it.
#include <cstddef>
#include <cstdint>

struct tagGlobalInfo;

namespace sorvane::link {

enum CommandCode : std::uint8_t {
    TOS_RESET = 0,
    TOS_PROGDATA = 1,
    TOS_PROGMASK = 2,
    TOS_PROGMAP = 3,
    TOS_PAGEMAP = 4,
    TOS_HWCONFIG = 16,
    TOS_HWREADCFG = 17,
    TOS_SETTIME = 18,
    TOS_READVER = 19,
    TOS_UPGRADE = 20,
    TOS_PROBE = 21,
    TOS_IPCONFIG = 22,
    TOS_IPREADCFG = 23,
    TOS_FIRMWARE = 24,
    TOS_WIFICONFIG = 25,
    TOS_WIFIREADCFG = 26,
    TOS_CLEARPROG = 193,
    TOS_SWITCH = 240,
};

constexpr std::size_t kHardwareBlockSize = 52;
constexpr std::size_t kIpBlockSize = 60;
constexpr std::size_t kWifiBlockSize = 128;
constexpr std::size_t kVersionBlockSize = 24;

// The shortest answer each read takes: every byte it stores. Anything
// shorter is refused, and the screen keeps its settings.
constexpr std::size_t kHardwareAnswerLeast = 34;   // up to the last schedule byte
constexpr std::size_t kVersionAnswerLeast = 12;    // hardware id, firmware version, version word
constexpr std::size_t kIpAnswerLeast = 50;         // up to the port
constexpr std::size_t kWifiAnswerLeast = 127;      // up to the end of the pass phrase

// The name traces use for a command: "TOS_PROGDATA" and the like for the
// program blocks and the hardware and version commands, else "TOS_UNKNOWN".
const char* GetCommandName(unsigned code);

// Blocks sent to a controller, built from the screen's fields.
void BuildHardwareBlock(const tagGlobalInfo& screen, std::uint8_t* out);
void BuildIpBlock(const tagGlobalInfo& screen, std::uint8_t* out);
void BuildWifiBlock(const tagGlobalInfo& screen, std::uint8_t* out);

// Whether an answer may be stored: it holds every byte its read stores, and
// every value is one the settings take (SettingLimits.h, the work-mode
// table). A version answer must name a board and a firmware version.
bool HardwareAnswerAllowed(const std::uint8_t* answer, std::size_t length);
bool VersionAnswerAllowed(const std::uint8_t* answer, std::size_t length);
bool IpAnswerAllowed(const std::uint8_t* answer, std::size_t length);
bool WifiAnswerAllowed(const std::uint8_t* answer, std::size_t length);

// Answers stored into the screen as they are (the reads store only answers
// allowed above): at most the block's size is read, and texts are cut to
// their fields and terminated.
void ApplyHardwareAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& screen);
void ApplyIpAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& screen);
void ApplyWifiAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& screen);
void ApplyVersionAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& screen);

// The controller time word of the local wall-clock time now, plus one second.
std::uint32_t ControllerTimeNow();

} // namespace sorvane::link
