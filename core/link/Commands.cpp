#include "core/link/Commands.h"
#include "core/api/OwnerThread.h"
#include "core/model/Guard.h"

#include "core/api/Callbacks.h"
#include "core/link/CommSession.h"
#include "core/api/Core.h"
#include "core/api/SettingLimits.h"
#include "core/api/WorkMode.h"
#include "core/model/HardwareInfo.h"
#include "core/model/ItemData.h"
#include "core/model/Utilities.h"
#include "platform/ByteIO.h"
#include "platform/Clock.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

bool isScreen(const tagItemData* node) { return node && node->Level == LEVEL_ROOT; }

// Copies a text into a field of `size` bytes, cut so a terminator always fits.
void putText(std::uint8_t* out, const char* text, std::size_t size)
{
    const std::size_t n = strnlen(text, size - 1);
    std::memcpy(out, text, n);
    std::memset(out + n, 0, size - n);
}

void getText(char* field, const std::uint8_t* in, std::size_t size)
{
    const std::size_t n = strnlen(reinterpret_cast<const char*>(in), size - 1);
    std::memcpy(field, in, n);
    std::memset(field + n, 0, size - n);
}

// The answer laid over a zeroed block of its full size.
template <std::size_t N>
std::array<std::uint8_t, N> padded(const std::uint8_t* answer, std::size_t length)
{
    std::array<std::uint8_t, N> block{};
    if (answer)
        std::memcpy(block.data(), answer, std::min(length, N));
    return block;
}

}  // namespace

namespace sorvane::link {

const char* GetCommandName(unsigned code)
{
    switch (code) {
    case TOS_PROGDATA: return "TOS_PROGDATA";
    case TOS_PROGMASK: return "TOS_PROGMASK";
    case TOS_PROGMAP: return "TOS_PROGMAP";
    case TOS_PAGEMAP: return "TOS_PAGEMAP";
    case TOS_HWCONFIG: return "TOS_HWCONFIG";
    case TOS_HWREADCFG: return "TOS_HWREADCFG";
    case TOS_READVER: return "TOS_READVER";
    default: return "TOS_UNKNOWN";
    }
}

void BuildHardwareBlock(const tagGlobalInfo& g, std::uint8_t* out)
{
    std::memset(out, 0, kHardwareBlockSize);
    bytes::put16(out, 0, 0x55AA);
    out[2] = g.ID;
    bytes::put16(out, 8, g.Width);
    bytes::put16(out, 10, g.Height);
    bytes::put16(out, 12, g.ReFreq);
    bytes::put16(out, 14, g.Type);
    bytes::put16(out, 16, g.ScanMode);
    out[18] = g.RowDecode;
    out[19] = g.OptionBits;
    out[20] = g.OptionBits2;
    bytes::put16(out, 22, g.Lum);
    const std::uint8_t schedule[6] = {g.HourSU, g.MinSU, g.HourSD, g.MinSD, g.WeekSD, g.AutoS};
    std::memcpy(out + 28, schedule, 6);
}

void BuildIpBlock(const tagGlobalInfo& g, std::uint8_t* out)
{
    std::memset(out, 0, kIpBlockSize);
    std::memcpy(out, "ipcf", 4);
    bytes::put16(out, 4, 3);
    bytes::put16(out, 6, kIpBlockSize);
    putText(out + 8, g.DeviceName, 16);
    out[24] = g.DhcpFlag;
    if (g.DhcpFlag == 0) {
        bytes::put32(out, 28, g.IpAddr);
        bytes::put32(out, 32, g.Gateway);
        bytes::put32(out, 36, g.SubnetMask);
        bytes::put32(out, 40, g.Address4);
        bytes::put32(out, 44, g.NetWord);
    }
    bytes::put16(out, 48, g.DevicePort);
    bytes::put16(out, 50, g.DevicePort);
}

void BuildWifiBlock(const tagGlobalInfo& g, std::uint8_t* out)
{
    std::memset(out, 0, kWifiBlockSize);
    std::memcpy(out, "ipcf", 4);
    bytes::put16(out, 4, 3);
    bytes::put16(out, 6, kWifiBlockSize);
    putText(out + 8, g.WifiSsid, 33);
    bytes::put32(out, 44, static_cast<std::uint32_t>(g.WifiMode));
    bytes::put32(out, 48, static_cast<std::uint32_t>(g.WifiSecurity));
    bytes::put32(out, 52, static_cast<std::uint32_t>(g.WifiEncryption));
    putText(out + 62, g.WifiKey, 65);
}

void ApplyHardwareAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& g)
{
    const auto b = padded<kHardwareBlockSize>(answer, length);
    g.ID = b[2];
    g.Width = bytes::get16(b.data(), 8);
    g.Height = bytes::get16(b.data(), 10);
    g.ReFreq = bytes::get16(b.data(), 12);
    g.Type = bytes::get16(b.data(), 14);
    g.ScanMode = bytes::get16(b.data(), 16);
    g.RowDecode = b[18];
    g.OptionBits = b[19];
    g.OptionBits2 = b[20];
    g.Lum = bytes::get16(b.data(), 22);
    g.SettingsWord = bytes::get32(b.data(), 24);
    g.HourSU = b[28];
    g.MinSU = b[29];
    g.HourSD = b[30];
    g.MinSD = b[31];
    g.WeekSD = b[32];
    g.AutoS = b[33];
    if (g.AutoS == 0)
        g.WeekSD = 0;
}

void ApplyIpAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& g)
{
    const auto b = padded<kIpBlockSize>(answer, length);
    getText(g.DeviceName, b.data() + 8, 16);
    g.DhcpFlag = b[24];
    g.IpAddr = bytes::get32(b.data(), 28);
    g.Gateway = bytes::get32(b.data(), 32);
    g.SubnetMask = bytes::get32(b.data(), 36);
    g.Address4 = bytes::get32(b.data(), 40);
    g.NetWord = bytes::get32(b.data(), 44);
    g.DevicePort = bytes::get16(b.data(), 48);
}

void ApplyWifiAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& g)
{
    const auto b = padded<kWifiBlockSize>(answer, length);
    getText(g.WifiSsid, b.data() + 8, 33);
    g.WifiMode = static_cast<std::int32_t>(bytes::get32(b.data(), 44));
    g.WifiSecurity = static_cast<std::int32_t>(bytes::get32(b.data(), 48));
    g.WifiEncryption = static_cast<std::int32_t>(bytes::get32(b.data(), 52));
    getText(g.WifiKey, b.data() + 62, 65);
}

void ApplyVersionAnswer(const std::uint8_t* answer, std::size_t length, tagGlobalInfo& g)
{
    const auto b = padded<kVersionBlockSize>(answer, length);
    g.HardwareId = bytes::get32(b.data(), 0);
    g.RemoteVersion = bytes::get32(b.data(), 4);
    g.VersionWord = bytes::get32(b.data(), 8);
}

bool HardwareAnswerAllowed(const std::uint8_t* b, std::size_t length)
{
    if (!b || length < kHardwareAnswerLeast)
        return false;
    // Every field ApplyHardwareAnswer stores, asked as a file's settings are.
    SettingValues v{};
    v[SET_ADDRESS] = b[2];
    v[SET_WIDTH] = bytes::get16(b, 8);
    v[SET_HEIGHT] = bytes::get16(b, 10);
    v[SET_REFRESH] = bytes::get16(b, 12);
    v[SET_WORKMODE] = bytes::get16(b, 14);
    v[SET_SCAN] = bytes::get16(b, 16);
    v[SET_ROWDECODE] = b[18];
    v[SET_OPTIONS] = b[19];
    v[SET_OPTIONS2] = b[20];
    v[SET_BRIGHTNESS] = bytes::get16(b, 22);
    v[SET_SETTINGSWORD] = bytes::get32(b, 24);
    v[SET_ON_HOUR] = b[28];
    v[SET_ON_MINUTE] = b[29];
    v[SET_OFF_HOUR] = b[30];
    v[SET_OFF_MINUTE] = b[31];
    v[SET_WEEKDAYS] = b[32];
    v[SET_AUTOSWITCH] = b[33];
    return SettingsAllowed(v);
}

bool VersionAnswerAllowed(const std::uint8_t* b, std::size_t length)
{
    if (!b || length < kVersionAnswerLeast)
        return false;
    // Id 0 and version 0xFFFFFFFF are what a screen holds before any read;
    // an erased board reads all ones.
    const std::uint32_t id = bytes::get32(b, 0);
    return id != 0 && id != 0xFFFFFFFFu && bytes::get32(b, 4) != 0xFFFFFFFFu;
}

bool IpAnswerAllowed(const std::uint8_t* b, std::size_t length)
{
    return b && length >= kIpAnswerLeast && AddressSourceAllowed(b[24]) && DevicePortAllowed(bytes::get16(b, 48));
}

bool WifiAnswerAllowed(const std::uint8_t* b, std::size_t length)
{
    return b && length >= kWifiAnswerLeast && WifiChoiceAllowed(std::int32_t(bytes::get32(b, 44)))
        && WifiChoiceAllowed(std::int32_t(bytes::get32(b, 48))) && WifiChoiceAllowed(std::int32_t(bytes::get32(b, 52)));
}

std::uint32_t ControllerTimeNow()
{
    const std::time_t now = std::chrono::system_clock::to_time_t(platform::clock().wallNow()) + 1;
    std::tm local{};
    localtime_r(&now, &local);
    return SecondsSince2000(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                            local.tm_sec);
}

} // namespace sorvane::link

// ---- CCore requests ----

void CCore::SetCommInterface(const LinkSettings& link, CommSession* session)
{
    if (!session)
        return;
    LinkTarget target;
    target.mode = link.Mode;
    switch (link.Mode) {
    case COMM_SERIAL:
        target.portName = GetSerialPortName(static_cast<int>(link.SerialPort));
        target.baudRate = link.BaudRate;
        break;
    case COMM_ETHERNET:
        target.adapterName = GetAdapterName(static_cast<int>(link.AdapterIndex));
        std::memcpy(target.mac.data(), link.DstMAC, target.mac.size());
        break;
    case COMM_NETWORK:
        target.host = QByteArray(link.Host, static_cast<int>(strnlen(link.Host, sizeof link.Host)));
        target.port = link.HostPort;
        target.hostIsName = link.HostKind != 0;
        break;
    default:
        break;
    }
    BindCommSession(*session, target);
}

int CCore::Request(const LinkSettings& link, std::uint8_t command, const std::uint8_t* data, std::uint32_t length,
                   std::uint32_t flags, CommSession& session)
{
    // Nothing thrown leaves the library: memory that cannot be had ends the
    // request as a link that could not be opened.
    try {
        // A session that carried an earlier read of the same request goes on
        // as it is: making it again would clear a cancel given meanwhile.
        if (!session.work)
            CreateCommSession(session, link.Address, kRequestTimeout, m_commCallBack);
        SetCommInterface(link, &session);
        session.request.assign(data, data + length);
        return session.sendRequest(command, flags);
    } catch (...) {
        return COMM_E_OPEN;
    }
}

void CCore::OpenSession(const LinkSettings& link, CommSession& session)
{
    CreateCommSession(session, link.Address, kRequestTimeout, m_commCallBack);
    SetCommInterface(link, &session);
}

int CCore::RequestOver(const LinkSettings& link, std::uint8_t command, const std::uint8_t* data,
                       std::uint32_t length, std::uint32_t flags)
{
    CommSession session;
    return Request(link, command, data, length, flags, session);
}

namespace {
const std::uint8_t kZeros[4] = {0, 0, 0, 0};
std::array<std::uint8_t, 4> word(std::uint32_t v)
{
    std::array<std::uint8_t, 4> w{};
    bytes::put32(w.data(), 0, v);
    return w;
}
}  // namespace

LinkSettings CCore::GetOwnLinkTo(const tagItemData* screen, int address)
{
    LinkSettings link = GetOwnLink(screen);
    if (address != 0)
        link.Address = static_cast<std::uint8_t>(address);
    return link;
}

int CCore::SendReset(const LinkSettings& link) { return RequestOver(link, TOS_RESET, kZeros, 4, REPLY_FRAME); }

int CCore::SendClearProg(const LinkSettings& link) { return RequestOver(link, TOS_CLEARPROG, kZeros, 4, 0); }

int CCore::SendSwitch(unsigned value, const LinkSettings& link)
{
    return RequestOver(link, TOS_SWITCH, word(value).data(), 4, 0);
}

int CCore::SendAdjustTime(const LinkSettings& link) { return SendAdjustTime(ControllerTimeNow(), link); }

int CCore::SendAdjustTime(unsigned time, const LinkSettings& link)
{
    return RequestOver(link, TOS_SETTIME, word(time).data(), 4, 0);
}

int CCore::SendHardwareInfo(const tagGlobalInfo& g, const LinkSettings& link)
{
    std::uint8_t block[kHardwareBlockSize];
    BuildHardwareBlock(g, block);
    return RequestOver(link, TOS_HWCONFIG, block, sizeof block, 0);
}

int CCore::SendIpInfo(const tagGlobalInfo& g, const LinkSettings& link)
{
    std::uint8_t block[kIpBlockSize];
    BuildIpBlock(g, block);
    return RequestOver(link, TOS_IPCONFIG, block, sizeof block, 0);
}

int CCore::SendWifiInfo(const tagGlobalInfo& g, const LinkSettings& link)
{
    std::uint8_t block[kWifiBlockSize];
    BuildWifiBlock(g, block);
    return RequestOver(link, TOS_WIFICONFIG, block, sizeof block, 0);
}

// The screen forms: 0 for a node that is not a screen, else the value form
// over the screen's link.
int CCore::SendReset(tagItemData* screen)
{
    return isScreen(screen) ? SendReset(GetSendLink(screen)) : 0;
}

int CCore::SendReset(tagItemData* screen, const LinkSettings& link)
{
    return isScreen(screen) ? SendReset(link) : 0;
}

int CCore::SendClearProg(tagItemData* screen)
{
    return isScreen(screen) ? SendClearProg(GetSendLink(screen)) : 0;
}

int CCore::SendClearProg(tagItemData* screen, const LinkSettings& link)
{
    return isScreen(screen) ? SendClearProg(link) : 0;
}

int CCore::SendSwitch(tagItemData* screen, unsigned value)
{
    return isScreen(screen) ? SendSwitch(value, GetSendLink(screen)) : 0;
}

int CCore::SendSwitch(tagItemData* screen, unsigned value, const LinkSettings& link)
{
    return isScreen(screen) ? SendSwitch(value, link) : 0;
}

int CCore::SendAdjustTime(tagItemData* screen)
{
    return isScreen(screen) ? SendAdjustTime(GetSendLink(screen)) : 0;
}

int CCore::SendAdjustTime(tagItemData* screen, const LinkSettings& link)
{
    return isScreen(screen) ? SendAdjustTime(link) : 0;
}

int CCore::SendAdjustTime(tagItemData* screen, unsigned time)
{
    return isScreen(screen) ? SendAdjustTime(time, GetSendLink(screen)) : 0;
}

int CCore::SendHardwareInfo(tagItemData* screen, int address)
{
    return isScreen(screen) ? SendHardwareInfo(screen->Global, GetOwnLinkTo(screen, address)) : 0;
}

int CCore::SendIpInfo(tagItemData* screen, int address)
{
    return isScreen(screen) ? SendIpInfo(screen->Global, GetOwnLinkTo(screen, address)) : 0;
}

int CCore::SendWifiInfo(tagItemData* screen, int address)
{
    return isScreen(screen) ? SendWifiInfo(screen->Global, GetOwnLinkTo(screen, address)) : 0;
}

namespace {
using Allowed = bool (*)(const std::uint8_t*, std::size_t);

// A read stores an answer only when one with data came and it is allowed:
// every byte the read stores is there and every value is one the settings
// take. Any other is refused with the no-reply result the callers know, but
// reported as an answer refused (it did come), and the screen stays as it
// was. The block taken goes into `blocks`; none is taken on a failure.
int takeAnswer(int rc, CommSession& s, std::uint8_t command, AnswerKind kind, Allowed allowed,
               std::vector<AnswerBlock>& blocks)
{
    if (rc < 0)
        return rc;
    // Nothing to store is no answer, and is said as the failure it is.
    if (!s.replyReceived) {
        s.report(command, CBE_NO_REPLY, 0);
        return COMM_E_NO_REPLY;
    }
    if (s.replyLength == 0 || !allowed(s.work.get(), s.replyLength)) {
        s.report(command, CBE_ANSWER_REFUSED, 0);
        return COMM_E_NO_REPLY;
    }
    blocks.push_back({kind, std::vector<std::uint8_t>(s.work.get(), s.work.get() + s.replyLength)});
    return rc;
}

using Apply = void (*)(const std::uint8_t*, std::size_t, tagGlobalInfo&);

// Each kind of block is stored by its own writer.
Apply applyOf(AnswerKind kind)
{
    switch (kind) {
    case AnswerKind::Version: return ApplyVersionAnswer;
    case AnswerKind::Hardware: return ApplyHardwareAnswer;
    case AnswerKind::Ip: return ApplyIpAnswer;
    case AnswerKind::Wifi: return ApplyWifiAnswer;
    }
    return nullptr;
}

// One request (`send` makes it in the session given) and its one block, as a whole answer.
template <typename Send>
ControllerAnswer readOne(const Send& send, std::uint8_t command, AnswerKind kind, Allowed allowed)
{
    CommSession session;
    std::vector<AnswerBlock> blocks;
    const int rc = takeAnswer(send(command, session), session, command, kind, allowed, blocks);
    return ControllerAnswer::taken(rc, std::move(blocks));
}

// Fails a read whose reply buffer cannot be had like a broken device.
template <typename Read>
ControllerAnswer guardedRead(const Read& read)
{
    return GuardedCall(read, [] { return ControllerAnswer::failed(COMM_E_DEVICE); });
}

// The by-screen form: the read over the screen's own link, then its answer stored.
template <typename Read>
int readInto(tagItemData* screen, const Read& read)
{
    if (!isScreen(screen))
        return 0;
    const ControllerAnswer answer = read(CCore::GetOwnLink(screen));
    CCore::StoreAnswer(answer, screen->Global);
    return answer.result();
}
}  // namespace

void CCore::StoreAnswer(const ControllerAnswer& answer, tagGlobalInfo& block)
{
    if (!answer.ok())
        return;
    for (const AnswerBlock& b : answer.blocks())
        if (const Apply apply = applyOf(b.kind); apply && !b.bytes.empty())
            apply(b.bytes.data(), b.bytes.size(), block);
}

ControllerAnswer CCore::RetrieveRemoteVer(const LinkSettings& link)
{
    const auto ask = [&](std::uint8_t c, CommSession& s) { return Request(link, c, kZeros, 4, REPLY_FRAME, s); };
    return guardedRead([&] { return readOne(ask, TOS_READVER, AnswerKind::Version, VersionAnswerAllowed); });
}

ControllerAnswer CCore::RetrieveHardwareInfo(const LinkSettings& link)
{
    return guardedRead([&] {
        // Both reads share one session, so a cancel during the first one stops
        // the second. The answer holds both blocks, or is a failure.
        CommSession session;
        std::vector<AnswerBlock> blocks;
        int rc = takeAnswer(Request(link, TOS_READVER, kZeros, 4, REPLY_FRAME, session), session, TOS_READVER,
                            AnswerKind::Version, VersionAnswerAllowed, blocks);
        if (rc >= 0)
            rc = takeAnswer(Request(link, TOS_HWREADCFG, kZeros, 4, REPLY_FRAME, session), session, TOS_HWREADCFG,
                            AnswerKind::Hardware, HardwareAnswerAllowed, blocks);
        return rc < 0 ? ControllerAnswer::failed(rc) : ControllerAnswer::taken(rc, std::move(blocks));
    });
}

ControllerAnswer CCore::RetrieveIpInfo(const LinkSettings& link)
{
    const auto ask = [&](std::uint8_t c, CommSession& s) { return Request(link, c, kZeros, 4, REPLY_FRAME, s); };
    return guardedRead([&] { return readOne(ask, TOS_IPREADCFG, AnswerKind::Ip, IpAnswerAllowed); });
}

ControllerAnswer CCore::RetrieveWifiInfo(const LinkSettings& link)
{
    const auto ask = [&](std::uint8_t c, CommSession& s) { return Request(link, c, kZeros, 4, REPLY_FRAME, s); };
    return guardedRead([&] { return readOne(ask, TOS_WIFIREADCFG, AnswerKind::Wifi, WifiAnswerAllowed); });
}

int CCore::RetrieveRemoteVer(tagItemData* screen)
{
    SORVANE_ASSERT_OWNER(*this);
    return readInto(screen, [this](const LinkSettings& l) { return RetrieveRemoteVer(l); });
}

int CCore::RetrieveHardwareInfo(tagItemData* screen)
{
    SORVANE_ASSERT_OWNER(*this);
    return readInto(screen, [this](const LinkSettings& l) { return RetrieveHardwareInfo(l); });
}

int CCore::RetrieveIpInfo(tagItemData* screen)
{
    SORVANE_ASSERT_OWNER(*this);
    return readInto(screen, [this](const LinkSettings& l) { return RetrieveIpInfo(l); });
}

int CCore::RetrieveWifiInfo(tagItemData* screen)
{
    SORVANE_ASSERT_OWNER(*this);
    return readInto(screen, [this](const LinkSettings& l) { return RetrieveWifiInfo(l); });
}

int CCore::SendData(tagItemData* screen, unsigned char code, const unsigned char* data, unsigned length)
{
    if (!isScreen(screen) || (!data && length))
        return 0;
    return RequestOver(GetOwnLink(screen), code, data, length, REPLY_ACK_LAST);
}

unsigned CCore::PCToRemoteTime(const SYSTEMTIME& t) const
{
    return SecondsSince2000(t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
}

SYSTEMTIME CCore::RemoteToPCTime(unsigned time) const
{
    return RemoteTimeToDate(time);
}
