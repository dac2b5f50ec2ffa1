#pragma once
// The hardware settings dialog's values apart from its widgets: reading them
// from the screen block, storing them back (clamped to each control's range),
// the reconnect rule, the version texts and the upgrade's task kind.
#include "core/api/SettingLimits.h"

#include <QString>
#include <cstdint>

struct tagGlobalInfo;

namespace dialogs {

// Ranges of the controls (sizes in spin units of 8 and 4 LEDs), those of
// the settings themselves.
inline constexpr int kAddressMin = int(LimitOf(SET_ADDRESS).least), kAddressMax = int(LimitOf(SET_ADDRESS).most);
inline constexpr int kWidthUnit = 8, kWidthUnitsMin = 1, kWidthUnitsMax = int(LimitOf(SET_WIDTH).most) / kWidthUnit;
inline constexpr int kHeightUnit = 4, kHeightUnitsMin = 1,
                     kHeightUnitsMax = int(LimitOf(SET_HEIGHT).most) / kHeightUnit;
inline constexpr int kRefreshMin = int(LimitOf(SET_REFRESH).least), kRefreshMax = int(LimitOf(SET_REFRESH).most);
inline constexpr int kLumMin = int(LimitOf(SET_BRIGHTNESS).least), kLumMax = int(LimitOf(SET_BRIGHTNESS).most);
inline constexpr int kHourMax = int(LimitOf(SET_ON_HOUR).most), kMinuteMax = int(LimitOf(SET_ON_MINUTE).most);
inline constexpr int kScanMaxBeforeMode = 2;

struct HwSettingsValues {
    int address = 1;
    int width = 8;        // in LEDs, as typed
    int height = 4;
    int type = -1;        // work-mode code of the selected row; -1 none selected
    int scan = 1;
    int rowDecode = 0;    // list index; -1 none selected
    int refresh = 0;
    int lum = 0;
    bool option[4] = {};  // option byte bits 0-3
    bool fastSerial = false;  // link option bit 0 (serial links only)
    bool linkBit1 = false;
    bool autoSwitch = false;
    int onHour = 0, onMinute = 0, offHour = 0, offMinute = 0;
    std::uint8_t weekDays = 0;
};

// The values as the dialog shows a screen block; type is the block's code
// (the dialog selects no row when the table lacks it).
HwSettingsValues HwValuesFromScreen(const tagGlobalInfo& g);

// Writes the values into the block: every number clamped to its control's
// range (scan to 1..maxScan), sizes rounded up to whole units, no row keeps
// the old Type (and no row-decoding entry the old RowDecode), link option bit 0 only for a serial link, other bits kept.
void StoreHwValues(const HwSettingsValues& v, int maxScan, tagGlobalInfo& g);

// Whether a sent block moved the controller: a new address or serial speed.
bool HwNeedsReconnect(const tagGlobalInfo& before, const tagGlobalInfo& after);

// The version statics and the red status text.
struct VersionTexts {
    QString version, hardwareId, word;
    QString status;
    bool statusShown = false;
};
VersionTexts MakeVersionTexts(std::uint32_t remoteVersion, std::uint32_t hardwareId, std::uint32_t word,
                              std::uint32_t catalogueVersion);

// The task kind (TASK_UPGRADE or TASK_UPGRADE_IMAGE) that upgrades a board.
int UpgradeTaskKind(std::uint32_t hardwareId, std::uint32_t remoteVersion, std::uint32_t commMode);

// Whether an upgrade goes ahead: the controller is older, or any version is allowed.
bool UpgradeAllowed(std::uint32_t remoteVersion, std::uint32_t catalogueVersion, std::uint32_t rights);

} // namespace dialogs
