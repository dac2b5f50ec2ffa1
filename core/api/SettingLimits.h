#pragma once
// What a screen's controller settings may hold. The settings dialogs, the
// program-list loader and the reads of a controller's answers all ask here,
// so a value one of them refuses is refused by every other.
#include <cstdint>

// The largest panel a controller drives, in LEDs.
inline constexpr unsigned MAX_PANEL_WIDTH = 4096;
inline constexpr unsigned MAX_PANEL_HEIGHT = 512;

// Addresses of one controller; 0 and 255 reach every controller.
inline constexpr unsigned MIN_CONTROLLER_ADDRESS = 1;
inline constexpr unsigned MAX_CONTROLLER_ADDRESS = 254;

// No larger than any panel: what program-list files may store.
constexpr bool PanelSizeFits(unsigned width, unsigned height)
{
    return width <= MAX_PANEL_WIDTH && height <= MAX_PANEL_HEIGHT;
}

// A panel a controller can drive: at least one LED each way.
constexpr bool PanelSizeAllowed(unsigned width, unsigned height)
{
    return width >= 1 && height >= 1 && PanelSizeFits(width, height);
}

constexpr bool ControllerAddressAllowed(unsigned address)
{
    return address >= MIN_CONTROLLER_ADDRESS && address <= MAX_CONTROLLER_ADDRESS;
}

// A switch-on or switch-off time of the day.
constexpr bool SwitchTimeAllowed(unsigned hour, unsigned minute)
{
    return hour <= 23 && minute <= 59;
}

// The switch-off week: one bit per day, bits 0 to 6.
constexpr bool WeekDaysAllowed(unsigned days)
{
    return days <= 0x7F;
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
