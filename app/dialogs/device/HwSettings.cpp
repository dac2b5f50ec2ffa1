#include "app/dialogs/device/HwSettings.h"

#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "app/dialogs/task/TaskProgress.h"
#include "core/api/ItemTypes.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"

#include <algorithm>

namespace dialogs {

namespace {
constexpr unsigned IDS_VERSION_OLDER = 43000;
constexpr unsigned IDS_VERSION_NEWER = 43001;

QString hex8(std::uint32_t v)
{
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0'));
}
} // namespace

HwSettingsValues HwValuesFromScreen(const tagGlobalInfo& g)
{
    HwSettingsValues v;
    v.address = g.ID;
    v.width = g.Width;
    v.height = g.Height;
    v.type = g.Type;
    v.scan = g.ScanMode;
    v.rowDecode = g.RowDecode;
    v.refresh = g.ReFreq;
    v.lum = g.Lum;
    for (int i = 0; i < 4; ++i)
        v.option[i] = (g.OptionBits >> i) & 1;
    v.fastSerial = g.BaudRate != 9600;
    v.linkBit1 = (g.OptionBits2 >> 1) & 1;
    v.autoSwitch = g.AutoS != 0;
    v.onHour = g.HourSU;
    v.onMinute = g.MinSU;
    v.offHour = g.HourSD;
    v.offMinute = g.MinSD;
    v.weekDays = g.WeekSD;
    return v;
}

void StoreHwValues(const HwSettingsValues& v, int maxScan, tagGlobalInfo& g)
{
    g.ID = static_cast<std::uint8_t>(std::clamp(v.address, kAddressMin, kAddressMax));
    g.Width = static_cast<std::uint16_t>(
        roundUpTo(std::clamp(v.width, kWidthUnitsMin, kWidthUnitsMax * kWidthUnit), kWidthUnit));
    g.Height = static_cast<std::uint16_t>(
        roundUpTo(std::clamp(v.height, kHeightUnitsMin, kHeightUnitsMax * kHeightUnit), kHeightUnit));
    if (v.type >= 0)
        g.Type = static_cast<std::uint16_t>(v.type);
    g.ScanMode = static_cast<std::uint16_t>(std::clamp(v.scan, 1, std::max(1, maxScan)));
    if (v.rowDecode >= 0)
        g.RowDecode = static_cast<std::uint8_t>(std::min(v.rowDecode, 255));
    g.ReFreq = static_cast<std::uint16_t>(std::clamp(v.refresh, kRefreshMin, kRefreshMax));
    g.Lum = static_cast<std::uint16_t>(std::clamp(v.lum, kLumMin, kLumMax));
    g.OptionBits = static_cast<std::uint8_t>(v.option[0] | v.option[1] << 1 | v.option[2] << 2 | v.option[3] << 3);
    std::uint8_t link = g.OptionBits2;
    if (g.CommType == COMM_SERIAL)
        link = static_cast<std::uint8_t>((link & ~1u) | (v.fastSerial ? 1u : 0u));
    link = static_cast<std::uint8_t>((link & ~2u) | (v.linkBit1 ? 2u : 0u));
    g.OptionBits2 = link;
    g.AutoS = v.autoSwitch ? 1 : 0;
    g.HourSU = static_cast<std::uint8_t>(std::clamp(v.onHour, 0, kHourMax));
    g.MinSU = static_cast<std::uint8_t>(std::clamp(v.onMinute, 0, kMinuteMax));
    g.HourSD = static_cast<std::uint8_t>(std::clamp(v.offHour, 0, kHourMax));
    g.MinSD = static_cast<std::uint8_t>(std::clamp(v.offMinute, 0, kMinuteMax));
    g.WeekSD = static_cast<std::uint8_t>(v.weekDays & LimitOf(SET_WEEKDAYS).most);
}

bool HwNeedsReconnect(const tagGlobalInfo& before, const tagGlobalInfo& after)
{
    return before.ID != after.ID || ((before.OptionBits2 ^ after.OptionBits2) & 1u);
}

VersionTexts MakeVersionTexts(std::uint32_t remoteVersion, std::uint32_t hardwareId, std::uint32_t word,
                              std::uint32_t catalogueVersion)
{
    VersionTexts t;
    if (remoteVersion == 0xFFFFFFFFu)
        return t;
    t.version = hex8(remoteVersion);
    t.hardwareId = hex8(hardwareId);
    if (word)
        t.word = hex8(word);
    if (remoteVersion < catalogueVersion) {
        t.status = platform::langString(IDS_VERSION_OLDER) + QStringLiteral("< ") + hex8(catalogueVersion)
            + QStringLiteral(" >");
        t.statusShown = true;
    } else if (remoteVersion > catalogueVersion) {
        t.status = platform::langString(IDS_VERSION_NEWER);
        t.statusShown = true;
    }
    return t;
}

int UpgradeTaskKind(std::uint32_t hardwareId, std::uint32_t remoteVersion, std::uint32_t commMode)
{
    static constexpr std::uint32_t kStream[] = {
        0x0E000100, 0x0E000200, 0x0E000300, 0x0E010100, 0x0E010200, 0x0E010300, 0x0E010500, 0x0E020200,
        0x0E020400, 0x0E030100, 0x0E030500, 0x0E040000, 0x0E050200, 0x0E050300, 0x0E050500, 0x0E050700,
    };
    static constexpr std::uint32_t kEither[] = {0x0E060500, 0x0E060600, 0x0E060700, 0x0E070700};
    const std::uint32_t family = hardwareId & 0xFFFFFF00u;
    if (std::find(std::begin(kStream), std::end(kStream), family) != std::end(kStream))
        return TASK_UPGRADE;
    if (std::find(std::begin(kEither), std::end(kEither), family) != std::end(kEither)) {
        const bool network = commMode == COMM_ETHERNET || commMode == COMM_NETWORK;
        return remoteVersion < 0x01030500u && !network ? TASK_UPGRADE : TASK_UPGRADE_IMAGE;
    }
    return remoteVersion > 0x01030000u ? TASK_UPGRADE_IMAGE : TASK_UPGRADE;
}

bool UpgradeAllowed(std::uint32_t remoteVersion, std::uint32_t catalogueVersion, std::uint32_t rights)
{
    return (rights & RIGHT_ANY_VERSION) || remoteVersion < catalogueVersion;
}

} // namespace dialogs
