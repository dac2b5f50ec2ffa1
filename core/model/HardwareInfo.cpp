#include "core/model/HardwareInfo.h"
#include "core/api/OwnerThread.h"
#include "core/api/Core.h"
#include "core/api/WorkMode.h"
#include "core/model/ItemData.h"
#include "platform/ByteIO.h"

#include <algorithm>
#include <cstring>

using namespace sorvane::model;

using namespace bytes;

namespace {
constexpr std::size_t HW_VERSION = 0, HW_SIZE = 2, HW_ID = 4, HW_WIDTH = 12, HW_HEIGHT = 14, HW_REFREQ = 16,
                      HW_TYPE = 18, HW_SCANMODE = 20, HW_ROWDECODE = 22, HW_OPTION = 23, HW_OPTION2 = 24,
                      HW_LUM = 26, HW_WORD = 28, HW_SCHEDULE = 160, HW_REMOTEVERSION = 200, HW_HARDWAREID = 204,
                      HW_VERSIONWORD = 208, HW_BAUD = 244, HW_MAC = 248;
static_assert(HW_MAC + 8 <= HARDWAREINFO_SIZE);

bool isScreen(const tagItemData* node) { return node && node->Level == LEVEL_ROOT; }

std::uint32_t macWord(const std::uint8_t* mac)
{
    return std::uint32_t(mac[0]) | (std::uint32_t(mac[1]) << 8) | (std::uint32_t(mac[2]) << 16)
        | (std::uint32_t(mac[3]) << 24);
}

void putMacWord(std::uint8_t* mac, std::uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        mac[i] = static_cast<std::uint8_t>(word >> (8 * i));
}
}

namespace sorvane::model {

void InitHardwareInfo(_tagHardwareInfo* info)
{
    if (!info)
        return;
    *info = _tagHardwareInfo{};
    info->Version = 1;
    info->Size = HARDWAREINFO_SIZE;
    info->ID = 1;
    info->Width = 128;
    info->Height = 64;
    info->ReFreq = 200;
    info->Type = 17;
    info->ScanMode = 4;
    info->Lum = 100;
    info->RemoteVersion = 0xFFFFFFFFu;
}

SettingValues SettingValuesOf(const _tagHardwareInfo& h)
{
    SettingValues v{};
    v[SET_ADDRESS] = h.ID;
    v[SET_WIDTH] = h.Width;
    v[SET_HEIGHT] = h.Height;
    v[SET_REFRESH] = h.ReFreq;
    v[SET_WORKMODE] = h.Type;
    v[SET_SCAN] = h.ScanMode;
    v[SET_ROWDECODE] = h.RowDecode;
    v[SET_OPTIONS] = h.OptionBits;
    v[SET_OPTIONS2] = h.OptionBits2;
    v[SET_BRIGHTNESS] = h.Lum;
    v[SET_SETTINGSWORD] = h.SettingsWord;
    v[SET_ON_HOUR] = h.HourSU;
    v[SET_ON_MINUTE] = h.MinSU;
    v[SET_OFF_HOUR] = h.HourSD;
    v[SET_OFF_MINUTE] = h.MinSD;
    v[SET_WEEKDAYS] = h.WeekSD;
    v[SET_AUTOSWITCH] = h.AutoS;
    return v;
}

SettingField FirstSettingOutside(const SettingValues& v)
{
    for (const SettingLimit& limit : kSettingLimits)
        if (!SettingInLimits(limit.field, v[limit.field]))
            return limit.field;
    if (!WorkModeKnown(int(v[SET_WORKMODE])))
        return SET_WORKMODE;
    if (!ScanFitsWorkMode(int(v[SET_WORKMODE]), unsigned(v[SET_SCAN])))
        return SET_SCAN;
    return SET_FIELD_COUNT;
}

bool SettingsAllowed(const SettingValues& v)
{
    return FirstSettingOutside(v) == SET_FIELD_COUNT;
}

void WriteHardwareInfo(const _tagHardwareInfo& h, std::uint8_t* out)
{
    std::memcpy(out, h.Raw.data(), HARDWAREINFO_SIZE);
    put16(out, HW_VERSION, h.Version);
    put16(out, HW_SIZE, h.Size);
    put8(out, HW_ID, h.ID);
    put16(out, HW_WIDTH, h.Width);
    put16(out, HW_HEIGHT, h.Height);
    put16(out, HW_REFREQ, h.ReFreq);
    put16(out, HW_TYPE, h.Type);
    put16(out, HW_SCANMODE, h.ScanMode);
    put8(out, HW_ROWDECODE, h.RowDecode);
    put8(out, HW_OPTION, h.OptionBits);
    put8(out, HW_OPTION2, h.OptionBits2);
    put16(out, HW_LUM, h.Lum);
    put32(out, HW_WORD, h.SettingsWord);
    const std::uint8_t schedule[6] = {h.HourSU, h.MinSU, h.HourSD, h.MinSD, h.WeekSD, h.AutoS};
    std::memcpy(out + HW_SCHEDULE, schedule, 6);
    put32(out, HW_REMOTEVERSION, h.RemoteVersion);
    put32(out, HW_HARDWAREID, h.HardwareId);
    put32(out, HW_VERSIONWORD, h.VersionWord);
    put32(out, HW_BAUD, h.BaudRate);
    std::memcpy(out + HW_MAC, h.DstMAC, 8);
}

bool ReadHardwareInfo(const std::uint8_t* in, std::size_t length, _tagHardwareInfo& h)
{
    if (!in)
        return false;
    std::array<std::uint8_t, HARDWAREINFO_SIZE> img;
    WriteHardwareInfo(h, img.data());
    std::memcpy(img.data(), in, std::min(length, HARDWAREINFO_SIZE));
    const std::uint8_t* p = img.data();
    h.Raw = img;
    h.Version = get16(p, HW_VERSION);
    h.Size = get16(p, HW_SIZE);
    h.ID = get8(p, HW_ID);
    h.Width = get16(p, HW_WIDTH);
    h.Height = get16(p, HW_HEIGHT);
    h.ReFreq = get16(p, HW_REFREQ);
    h.Type = get16(p, HW_TYPE);
    h.ScanMode = get16(p, HW_SCANMODE);
    h.RowDecode = get8(p, HW_ROWDECODE);
    h.OptionBits = get8(p, HW_OPTION);
    h.OptionBits2 = get8(p, HW_OPTION2);
    h.Lum = get16(p, HW_LUM);
    h.SettingsWord = get32(p, HW_WORD);
    h.HourSU = p[HW_SCHEDULE];
    h.MinSU = p[HW_SCHEDULE + 1];
    h.HourSD = p[HW_SCHEDULE + 2];
    h.MinSD = p[HW_SCHEDULE + 3];
    h.WeekSD = p[HW_SCHEDULE + 4];
    h.AutoS = p[HW_SCHEDULE + 5];
    h.RemoteVersion = get32(p, HW_REMOTEVERSION);
    h.HardwareId = get32(p, HW_HARDWAREID);
    h.VersionWord = get32(p, HW_VERSIONWORD);
    h.BaudRate = get32(p, HW_BAUD);
    std::memcpy(h.DstMAC, p + HW_MAC, 8);
    return true;
}

} // namespace sorvane::model

namespace {
// The settings both records hold, in the order they are converted; the
// destination MAC follows as its eight bytes.
template <typename Copy>
void forEachSetting(Copy copy)
{
    copy(&tagGlobalInfo::ID, &_tagHardwareInfo::ID);
    copy(&tagGlobalInfo::Width, &_tagHardwareInfo::Width);
    copy(&tagGlobalInfo::Height, &_tagHardwareInfo::Height);
    copy(&tagGlobalInfo::ReFreq, &_tagHardwareInfo::ReFreq);
    copy(&tagGlobalInfo::Type, &_tagHardwareInfo::Type);
    copy(&tagGlobalInfo::ScanMode, &_tagHardwareInfo::ScanMode);
    copy(&tagGlobalInfo::RowDecode, &_tagHardwareInfo::RowDecode);
    copy(&tagGlobalInfo::OptionBits, &_tagHardwareInfo::OptionBits);
    copy(&tagGlobalInfo::OptionBits2, &_tagHardwareInfo::OptionBits2);
    copy(&tagGlobalInfo::Lum, &_tagHardwareInfo::Lum);
    copy(&tagGlobalInfo::SettingsWord, &_tagHardwareInfo::SettingsWord);
    copy(&tagGlobalInfo::HourSU, &_tagHardwareInfo::HourSU);
    copy(&tagGlobalInfo::MinSU, &_tagHardwareInfo::MinSU);
    copy(&tagGlobalInfo::HourSD, &_tagHardwareInfo::HourSD);
    copy(&tagGlobalInfo::MinSD, &_tagHardwareInfo::MinSD);
    copy(&tagGlobalInfo::WeekSD, &_tagHardwareInfo::WeekSD);
    copy(&tagGlobalInfo::AutoS, &_tagHardwareInfo::AutoS);
    copy(&tagGlobalInfo::RemoteVersion, &_tagHardwareInfo::RemoteVersion);
    copy(&tagGlobalInfo::HardwareId, &_tagHardwareInfo::HardwareId);
    copy(&tagGlobalInfo::VersionWord, &_tagHardwareInfo::VersionWord);
    copy(&tagGlobalInfo::BaudRate, &_tagHardwareInfo::BaudRate);
}
}

int CCore::GlobalInfoToHardwareInfo(const tagGlobalInfo* g, _tagHardwareInfo* h)
{
    if (!g || !h)
        return 0;
    forEachSetting([g, h](auto from, auto to) { h->*to = g->*from; });
    std::memcpy(h->DstMAC, g->DstMAC, 8);
    return 1;
}

int CCore::HardwareInfoToGlobalInfo(const _tagHardwareInfo* h, tagGlobalInfo* g)
{
    if (!g || !h)
        return 0;
    forEachSetting([g, h](auto to, auto from) { g->*to = h->*from; });
    std::memcpy(g->DstMAC, h->DstMAC, 8);
    // Without automatic switching the weekly switch-off has no meaning.
    if (g->AutoS == 0)
        g->WeekSD = 0;
    return 1;
}

int CCore::GetCommInfo(tagItemData* screen, CommInfo* info)
{
    if (!isScreen(screen) || !info)
        return 0;
    const tagGlobalInfo& g = screen->Global;
    *info = CommInfo{};
    info->Address = g.ID;
    info->SwapRedGreen = g.SwapRedGreen;
    info->Mode = g.CommType;
    switch (g.CommType) {
    case COMM_SERIAL:
        info->Port = g.SerialPort;
        info->BaudOrMac = g.BaudRate;
        break;
    case COMM_ETHERNET:
        info->Port = g.AdapterIndex;
        info->BaudOrMac = macWord(g.DstMAC);
        info->MacHigh = macWord(g.DstMAC + 4);
        break;
    default:
        break;
    }
    return 1;
}

int CCore::SetCommInfo(tagItemData* screen, const CommInfo* info)
{
    SORVANE_ASSERT_OWNER(*this);
    if (!isScreen(screen) || !info)
        return 0;
    tagGlobalInfo& g = screen->Global;
    NoteWritten(screen);
    g.ID = static_cast<std::uint8_t>(info->Address);
    g.SwapRedGreen = static_cast<std::uint8_t>(info->SwapRedGreen);
    g.CommType = info->Mode;
    switch (info->Mode) {
    case COMM_SERIAL:
        g.SerialPort = info->Port;
        g.BaudRate = info->BaudOrMac;
        break;
    case COMM_ETHERNET:
        g.AdapterIndex = info->Port;
        putMacWord(g.DstMAC, info->BaudOrMac);
        putMacWord(g.DstMAC + 4, info->MacHigh);
        break;
    default:
        break;
    }
    return 1;
}

tagItemData* CCore::GetSecondaryScreen(tagItemData* screen)
{
    return screen ? LinkScreenOf(screen, screen->Global.TargetScreen) : nullptr;
}

tagItemData* CCore::LinkScreenOf(tagItemData* screen, tagItemData* target) const
{
    if (!target)
        return screen;
    if (target == TARGET_SCREEN_NONE)
        return nullptr;
    for (tagItemData* s = m_root ? m_root->FirstChild : nullptr; s; s = s->NextSibling)
        if (s == target)
            return target;
    return screen;
}

int CCore::GetSecondaryCommInfo(tagItemData* screen, CommInfo* info)
{
    if (!isScreen(screen) || !info)
        return 0;
    if (tagItemData* link = GetSecondaryScreen(screen))
        return GetCommInfo(link, info);
    // No screen to send through: every controller on the screen's own link.
    GetCommInfo(screen, info);
    info->Address = 255;
    if (info->Mode == COMM_ETHERNET)
        info->BaudOrMac = info->MacHigh = 0xFFFFFFFFu;
    return 1;
}

LinkSettings CCore::GetOwnLink(const tagItemData* screen)
{
    LinkSettings link;
    if (!isScreen(screen))
        return link;
    const tagGlobalInfo& g = screen->Global;
    link.Mode = g.CommType;
    link.Address = g.ID;
    link.SwapRedGreen = g.SwapRedGreen;
    link.SerialPort = g.SerialPort;
    link.BaudRate = g.BaudRate;
    link.AdapterIndex = g.AdapterIndex;
    std::memcpy(link.DstMAC, g.DstMAC, sizeof link.DstMAC);
    link.HostKind = g.HostKind;
    std::memcpy(link.Host, g.Host, sizeof link.Host);
    link.HostPort = g.HostPort;
    return link;
}

LinkSettings CCore::GetSendLink(tagItemData* screen)
{
    return GetSendLink(screen, screen ? screen->Global.TargetScreen : nullptr);
}

LinkSettings CCore::GetSendLink(tagItemData* screen, tagItemData* linkScreen)
{
    if (!isScreen(screen))
        return LinkSettings{};
    if (const tagItemData* through = LinkScreenOf(screen, linkScreen))
        return GetOwnLink(through);
    // No screen to send through: every controller on the screen's own link.
    LinkSettings link = GetOwnLink(screen);
    link.Address = 255;
    if (link.Mode == COMM_ETHERNET)
        std::memset(link.DstMAC, 0xFF, sizeof link.DstMAC);
    return link;
}

int CCore::SetSwapRedGreen(tagItemData* screen, int value)
{
    SORVANE_ASSERT_OWNER(*this);
    if (!isScreen(screen))
        return 0;
    const int previous = screen->Global.SwapRedGreen;
    screen->Global.SwapRedGreen = static_cast<std::uint8_t>(value);
    NoteWritten(screen);
    return previous;
}
