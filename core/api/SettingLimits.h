#pragma once
// What a screen's controller settings may hold. The settings dialogs, the
// program-list loader (files of every version) and the reads of a
// controller's answers all ask here, so a value one of them refuses is
// refused by every other.
#include <array>
#include <cstdint>

// The fields of the controller settings, in the order of the hardware block.
enum SettingField : unsigned {
    SET_ADDRESS,
    SET_WIDTH,
    SET_HEIGHT,
    SET_REFRESH,
    SET_WORKMODE,
    SET_SCAN,
    SET_ROWDECODE,
    SET_OPTIONS,
    SET_OPTIONS2,
    SET_BRIGHTNESS,
    SET_SETTINGSWORD,
    SET_ON_HOUR,
    SET_ON_MINUTE,
    SET_OFF_HOUR,
    SET_OFF_MINUTE,
    SET_WEEKDAYS,
    SET_AUTOSWITCH,
    SET_FIELD_COUNT
};

// The range of one field; `key` is its name in version-2 settings text.
struct SettingLimit {
    SettingField field;
    const char* key;
    std::uint32_t least, most;
};

// The largest panel a controller drives, in LEDs.
inline constexpr unsigned MAX_PANEL_WIDTH = 4096;
inline constexpr unsigned MAX_PANEL_HEIGHT = 512;

// Addresses of one controller; 0 and 255 reach every controller.
inline constexpr unsigned MIN_CONTROLLER_ADDRESS = 1;
inline constexpr unsigned MAX_CONTROLLER_ADDRESS = 254;

// The work-mode code must also name a mode, and the scan fit it (scan x the
// mode's folded rows, 1 to 16): CCore's SettingsAllowed asks both. Row
// decoding, the option bytes and the settings word are the controller's:
// they are kept as it gives them.
inline constexpr std::array<SettingLimit, SET_FIELD_COUNT> kSettingLimits{{
    {SET_ADDRESS, "ID", MIN_CONTROLLER_ADDRESS, MAX_CONTROLLER_ADDRESS},
    {SET_WIDTH, "Width", 1, MAX_PANEL_WIDTH},
    {SET_HEIGHT, "Height", 1, MAX_PANEL_HEIGHT},
    {SET_REFRESH, "ReFreq", 0, 400},
    {SET_WORKMODE, "Type", 0, 64},
    {SET_SCAN, "ScanMode", 1, 16},
    {SET_ROWDECODE, "RowDecode", 0, 0xFF},
    {SET_OPTIONS, "Options", 0, 0xFF},
    {SET_OPTIONS2, "Options2", 0, 0xFF},
    {SET_BRIGHTNESS, "Lum", 0, 990},
    {SET_SETTINGSWORD, "SettingsWord", 0, 0xFFFFFFFFu},
    {SET_ON_HOUR, "HourSU", 0, 23},
    {SET_ON_MINUTE, "MinSU", 0, 59},
    {SET_OFF_HOUR, "HourSD", 0, 23},
    {SET_OFF_MINUTE, "MinSD", 0, 59},
    {SET_WEEKDAYS, "WeekSD", 0, 0x7F},   // one bit per day
    {SET_AUTOSWITCH, "AutoS", 0, 1},
}};

constexpr const SettingLimit& LimitOf(SettingField field)
{
    return kSettingLimits[field];
}

constexpr bool SettingInLimits(SettingField field, std::int64_t value)
{
    return value >= std::int64_t(LimitOf(field).least) && value <= std::int64_t(LimitOf(field).most);
}

// One value for every field, as a record or an answer holds them.
using SettingValues = std::array<std::int64_t, SET_FIELD_COUNT>;

// A panel a controller can drive: at least one LED each way.
constexpr bool PanelSizeAllowed(unsigned width, unsigned height)
{
    return SettingInLimits(SET_WIDTH, width) && SettingInLimits(SET_HEIGHT, height);
}

constexpr bool ControllerAddressAllowed(unsigned address)
{
    return SettingInLimits(SET_ADDRESS, address);
}

// A switch-on or switch-off time of the day.
constexpr bool SwitchTimeAllowed(unsigned hour, unsigned minute)
{
    return SettingInLimits(SET_ON_HOUR, hour) && SettingInLimits(SET_ON_MINUTE, minute);
}

// The switch-off week: one bit per day, bits 0 to 6.
constexpr bool WeekDaysAllowed(unsigned days)
{
    return SettingInLimits(SET_WEEKDAYS, days);
}

// The controller's own TCP port.
constexpr bool DevicePortAllowed(unsigned port)
{
    return port >= 1 && port <= 65535;
}

// The address-source flag of the network settings: 0 fixed, 1 from a server.
constexpr bool AddressSourceAllowed(unsigned flag)
{
    return flag <= 1;
}

// Wi-Fi mode, encryption and security each take the values 1 and 2.
constexpr bool WifiChoiceAllowed(std::int64_t value)
{
    return value == 1 || value == 2;
}
