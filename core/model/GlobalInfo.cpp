#include "core/model/GlobalInfo.h"
#include "platform/ByteIO.h"
#include "core/api/ItemTypes.h"

#include <cstring>

using namespace sorvane::model;

namespace {
template <std::size_t N>
void setText(char (&field)[N], const char* text)
{
    std::memset(field, 0, N);
    std::strncpy(field, text, N - 1);
}

// A stored text may fill its whole field: the last byte is always the
// terminator, so readers of the field never run past it.
template <std::size_t N>
void getText(const std::uint8_t* in, std::size_t off, char (&field)[N])
{
    bytes::getChars(in, off, field, N - 1);
    field[N - 1] = '\0';
}
}

namespace sorvane::model {

void InitGlobalInfo(tagGlobalInfo& g)
{
    g = tagGlobalInfo{};
    g.BlockSize = GLOBALINFO_SIZE;
    g.TypeCode = IT_SCREEN;
    g.ID = 1;
    g.Width = 64;
    g.Height = 32;
    g.ReFreq = 200;
    g.Type = 17;
    g.ScanMode = 4;
    g.Lum = 100;
    g.RemoteVersion = 0xFFFFFFFFu;
    g.BaudRate = 9600;
    std::memset(g.DstMAC, 0xFF, sizeof g.DstMAC);
    setText(g.DeviceName, "movrek_led");
    g.DevicePort = 8080;
    g.IpAddr = Ipv4(192, 168, 1, 3);
    g.SubnetMask = Ipv4(255, 255, 255, 0);
    g.Gateway = Ipv4(192, 168, 1, 1);
    g.Address4 = Ipv4(192, 168, 1, 1);
    g.WifiMode = 1;
    g.WifiSecurity = 1;
    g.WifiEncryption = 1;
    g.TargetScreen = nullptr;
    g.CommType = COMM_SERIAL;
    g.SerialPort = 1;
    g.HostPort = 8080;
}

} // namespace sorvane::model

void WriteGlobalInfo(const tagGlobalInfo& g, std::uint8_t* out)
{
    using namespace bytes;
    std::memcpy(out, g.Raw.data(), GLOBALINFO_SIZE);
    put16(out, 0, g.BlockSize);
    put16(out, 4, g.TypeCode);
    put8(out, 8, g.ID);
    put16(out, 16, g.Width);
    put16(out, 18, g.Height);
    put16(out, 20, g.ReFreq);
    put16(out, 22, g.Type);
    put16(out, 24, g.ScanMode);
    put8(out, 26, g.RowDecode);
    put8(out, 27, g.OptionBits);
    put8(out, 28, g.OptionBits2);
    put16(out, 30, g.Lum);
    put32(out, 32, g.SettingsWord);
    put8(out, 100, g.HourSU);
    put8(out, 101, g.MinSU);
    put8(out, 102, g.HourSD);
    put8(out, 103, g.MinSD);
    put8(out, 104, g.WeekSD);
    put8(out, 105, g.AutoS);
    put32(out, 140, g.RemoteVersion);
    put32(out, 144, g.HardwareId);
    put32(out, 148, g.VersionWord);
    put32(out, 184, g.BaudRate);
    std::memcpy(out + 188, g.DstMAC, 8);
    putChars(out, 196, g.DeviceName, sizeof g.DeviceName);
    put8(out, 212, g.DhcpFlag);
    put16(out, 214, g.DevicePort);
    put32(out, 216, g.IpAddr);
    put32(out, 220, g.SubnetMask);
    put32(out, 224, g.Gateway);
    put32(out, 228, g.Address4);
    put32(out, 232, g.NetWord);
    putChars(out, 236, g.WifiSsid, sizeof g.WifiSsid);
    put32(out, 272, static_cast<std::uint32_t>(g.WifiMode));
    put32(out, 276, static_cast<std::uint32_t>(g.WifiSecurity));
    put32(out, 280, static_cast<std::uint32_t>(g.WifiEncryption));
    put32(out, 284, g.WifiWord);
    put16(out, 288, g.WifiWord2);
    putChars(out, 290, g.WifiKey, sizeof g.WifiKey);
    put32(out, 388, g.TargetScreen == TARGET_SCREEN_NONE ? 0xFFFFFFFFu : 0u);
    put8(out, 392, g.SwapRedGreen);
    put32(out, 396, g.CommType);
    put32(out, 400, g.SerialPort);
    put32(out, 404, g.AdapterIndex);
    put8(out, 408, g.HostKind);
    putChars(out, 409, g.Host, sizeof g.Host);
    put16(out, 476, g.HostPort);
}

void ReadGlobalInfo(const std::uint8_t* in, tagGlobalInfo& g)
{
    using namespace bytes;
    std::memcpy(g.Raw.data(), in, GLOBALINFO_SIZE);
    g.BlockSize = get16(in, 0);
    g.TypeCode = get16(in, 4);
    g.ID = get8(in, 8);
    g.Width = get16(in, 16);
    g.Height = get16(in, 18);
    g.ReFreq = get16(in, 20);
    g.Type = get16(in, 22);
    g.ScanMode = get16(in, 24);
    g.RowDecode = get8(in, 26);
    g.OptionBits = get8(in, 27);
    g.OptionBits2 = get8(in, 28);
    g.Lum = get16(in, 30);
    g.SettingsWord = get32(in, 32);
    g.HourSU = get8(in, 100);
    g.MinSU = get8(in, 101);
    g.HourSD = get8(in, 102);
    g.MinSD = get8(in, 103);
    g.WeekSD = get8(in, 104);
    g.AutoS = get8(in, 105);
    g.RemoteVersion = get32(in, 140);
    g.HardwareId = get32(in, 144);
    g.VersionWord = get32(in, 148);
    g.BaudRate = get32(in, 184);
    std::memcpy(g.DstMAC, in + 188, 8);
    getText(in, 196, g.DeviceName);
    g.DhcpFlag = get8(in, 212);
    g.DevicePort = get16(in, 214);
    g.IpAddr = get32(in, 216);
    g.SubnetMask = get32(in, 220);
    g.Gateway = get32(in, 224);
    g.Address4 = get32(in, 228);
    g.NetWord = get32(in, 232);
    getText(in, 236, g.WifiSsid);
    g.WifiMode = static_cast<std::int32_t>(get32(in, 272));
    g.WifiSecurity = static_cast<std::int32_t>(get32(in, 276));
    g.WifiEncryption = static_cast<std::int32_t>(get32(in, 280));
    g.WifiWord = get32(in, 284);
    g.WifiWord2 = get16(in, 288);
    getText(in, 290, g.WifiKey);
    g.TargetScreen = get32(in, 388) == 0xFFFFFFFFu ? TARGET_SCREEN_NONE : nullptr;
    g.SwapRedGreen = get8(in, 392);
    g.CommType = get32(in, 396);
    g.SerialPort = get32(in, 400);
    g.AdapterIndex = get32(in, 404);
    g.HostKind = get8(in, 408);
    getText(in, 409, g.Host);
    g.HostPort = get16(in, 476);
}
