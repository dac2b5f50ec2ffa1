#include "core/model/CoreAccess.h"
#include "ImageBytes.h"
#include "core/api/Core.h"
#include "core/model/HardwareInfo.h"
#include "core/model/ItemData.h"

#include <gtest/gtest.h>
#include <cstring>

using namespace sorvane::model;

namespace {
Bytes imageOf(const _tagHardwareInfo& h)
{
    Bytes out(HARDWAREINFO_SIZE, 0xCC);
    WriteHardwareInfo(h, out.data());
    return out;
}

class LinkTest : public ::testing::Test {
protected:
    tagItemData* addScreen(const char16_t* name)
    {
        return CreateNode(nullptr, IT_SCREEN, name, CoreAccess::root(core));
    }
    CCore core;
};
}

TEST(HardwareInfo, DefaultsAndEveryFieldAtItsOffset)
{
    _tagHardwareInfo h;
    std::memset(h.Raw.data(), 0x5A, h.Raw.size());
    h.Width = 7;
    InitHardwareInfo(&h);
    Bytes want(HARDWAREINFO_SIZE, 0);
    set16(want, 0, 1);
    set16(want, 2, 384);
    want[4] = 1;
    set16(want, 12, 128);
    set16(want, 14, 64);
    set16(want, 16, 200);
    set16(want, 18, 17);
    set16(want, 20, 4);
    set16(want, 26, 100);
    set32(want, 200, 0xFFFFFFFF);
    EXPECT_EQ(diffOffsets(imageOf(h), want), std::vector<std::size_t>{});

    h.ID = 0x21;
    h.Width = 0x0102;
    h.Height = 0x0304;
    h.ReFreq = 0x0506;
    h.Type = 0x0708;
    h.ScanMode = 0x090A;
    h.RowDecode = 0x22;
    h.OptionBits = 0x23;
    h.OptionBits2 = 0x24;
    h.Lum = 0x0B0C;
    h.SettingsWord = 0x31323334;
    h.HourSU = 0x41;
    h.MinSU = 0x42;
    h.HourSD = 0x43;
    h.MinSD = 0x44;
    h.WeekSD = 0x45;
    h.AutoS = 0x46;
    h.RemoteVersion = 0x51525354;
    h.HardwareId = 0x0E010800;
    h.VersionWord = 0x61626364;
    h.BaudRate = 115200;
    for (int i = 0; i < 8; ++i)
        h.DstMAC[i] = static_cast<std::uint8_t>(0xA0 + i);
    want[4] = 0x21;
    set16(want, 12, 0x0102);
    set16(want, 14, 0x0304);
    set16(want, 16, 0x0506);
    set16(want, 18, 0x0708);
    set16(want, 20, 0x090A);
    want[22] = 0x22;
    want[23] = 0x23;
    want[24] = 0x24;
    set16(want, 26, 0x0B0C);
    set32(want, 28, 0x31323334);
    for (int i = 0; i < 6; ++i)
        want[160 + i] = static_cast<std::uint8_t>(0x41 + i);
    set32(want, 200, 0x51525354);
    set32(want, 204, 0x0E010800);
    set32(want, 208, 0x61626364);
    set32(want, 244, 115200);
    for (int i = 0; i < 8; ++i)
        want[248 + i] = static_cast<std::uint8_t>(0xA0 + i);
    EXPECT_EQ(diffOffsets(imageOf(h), want), std::vector<std::size_t>{});
}

TEST(HardwareInfo, ReadingKeepsReservedBytesAndOverlaysShortInput)
{
    Bytes img(HARDWAREINFO_SIZE);
    for (std::size_t i = 0; i < img.size(); ++i)
        img[i] = static_cast<std::uint8_t>(i * 13 + 5);
    _tagHardwareInfo h;
    EXPECT_FALSE(ReadHardwareInfo(nullptr, 10, h));
    ASSERT_TRUE(ReadHardwareInfo(img.data(), img.size(), h));
    EXPECT_EQ(imageOf(h), img);
    EXPECT_EQ(h.Width, get16(img, 12));

    // Fewer bytes than the record: the rest keeps the defaults.
    _tagHardwareInfo d;
    InitHardwareInfo(&d);
    ASSERT_TRUE(ReadHardwareInfo(img.data(), 13, d));
    EXPECT_EQ(d.ID, img[4]);
    EXPECT_EQ(d.Width, (img[12] | (128 & 0xFF00)));
    EXPECT_EQ(d.Height, 64);
    EXPECT_EQ(d.RemoteVersion, 0xFFFFFFFFu);
}

TEST(HardwareInfo, ConversionsCopyTheSettingsBothWays)
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    g.ID = 9;
    g.Width = 320;
    g.Height = 96;
    g.Type = 21;
    g.OptionBits = 5;
    g.OptionBits2 = 2;
    g.SettingsWord = 0xABCD;
    g.HourSU = 7;
    g.MinSD = 30;
    g.WeekSD = 0x7F;
    g.AutoS = 1;
    g.HardwareId = 0x0E020400;
    g.BaudRate = 115200;
    const std::uint8_t mac[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    std::memcpy(g.DstMAC, mac, 8);

    _tagHardwareInfo h;
    InitHardwareInfo(&h);
    h.Raw[100] = 0x77;   // a reserved byte stays as it was
    ASSERT_EQ(CCore::GlobalInfoToHardwareInfo(&g, &h), 1);
    Bytes img = imageOf(h);
    EXPECT_EQ(img[4], 9);
    EXPECT_EQ(get16(img, 12), 320);
    EXPECT_EQ(get16(img, 18), 21);
    EXPECT_EQ(img[23], 5);
    EXPECT_EQ(img[24], 2);
    EXPECT_EQ(get32(img, 28), 0xABCDu);
    EXPECT_EQ(img[160], 7);
    EXPECT_EQ(img[163], 30);
    EXPECT_EQ(img[164], 0x7F);
    EXPECT_EQ(img[165], 1);
    EXPECT_EQ(get32(img, 204), 0x0E020400u);
    EXPECT_EQ(get32(img, 244), 115200u);
    EXPECT_EQ(Bytes(img.begin() + 248, img.begin() + 256), Bytes(mac, mac + 8));
    EXPECT_EQ(img[100], 0x77);
    EXPECT_EQ(get16(img, 0), 1);   // version and size are the record's own

    tagGlobalInfo back;
    InitGlobalInfo(back);
    std::strcpy(back.DeviceName, "kept");
    ASSERT_EQ(CCore::HardwareInfoToGlobalInfo(&h, &back), 1);
    Bytes a(GLOBALINFO_SIZE), b(GLOBALINFO_SIZE);
    std::strcpy(g.DeviceName, "kept");
    WriteGlobalInfo(g, a.data());
    WriteGlobalInfo(back, b.data());
    EXPECT_EQ(diffOffsets(a, b), std::vector<std::size_t>{});

    // Without automatic switching the weekday of switching off is dropped.
    h.AutoS = 0;
    ASSERT_EQ(CCore::HardwareInfoToGlobalInfo(&h, &back), 1);
    EXPECT_EQ(back.WeekSD, 0);
    EXPECT_EQ(CCore::HardwareInfoToGlobalInfo(nullptr, &back), 0);
    EXPECT_EQ(CCore::GlobalInfoToHardwareInfo(&g, nullptr), 0);
}

TEST_F(LinkTest, CommInfoOfEachLinkMode)
{
    tagItemData* screen = addScreen(u"s");
    tagItemData* scene = CreateNode(nullptr, IT_SCENE, u"scene", screen);
    CCore::CommInfo info;
    std::memset(&info, 0xAB, sizeof info);
    EXPECT_EQ(core.GetCommInfo(scene, &info), 0);
    EXPECT_EQ(core.GetCommInfo(nullptr, &info), 0);
    EXPECT_EQ(core.GetCommInfo(screen, nullptr), 0);
    EXPECT_EQ(info.Address, 0xABABABABu);

    // A new screen: address 1, serial on port 1 at 9600 baud.
    ASSERT_EQ(core.GetCommInfo(screen, &info), 1);
    EXPECT_EQ(info.Address, 1u);
    EXPECT_EQ(info.SwapRedGreen, 0u);
    EXPECT_EQ(info.Mode, 0u);
    EXPECT_EQ(info.Port, 1u);
    EXPECT_EQ(info.BaudOrMac, 9600u);
    EXPECT_EQ(info.MacHigh, 0u);

    screen->Global.CommType = COMM_ETHERNET;
    screen->Global.AdapterIndex = 3;
    const std::uint8_t mac[8] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0, 0};
    std::memcpy(screen->Global.DstMAC, mac, 8);
    ASSERT_EQ(core.GetCommInfo(screen, &info), 1);
    EXPECT_EQ(info.Port, 3u);
    EXPECT_EQ(info.BaudOrMac, 0x3C2B1A00u);
    EXPECT_EQ(info.MacHigh, 0x00005E4Du);

    screen->Global.CommType = COMM_NETWORK;
    ASSERT_EQ(core.GetCommInfo(screen, &info), 1);
    EXPECT_EQ(info.Mode, 2u);
    EXPECT_EQ(info.Port | info.BaudOrMac | info.MacHigh, 0u);

    // Setting writes the same fields back; the low bytes of address and flag.
    tagItemData* other = addScreen(u"o");
    CCore::CommInfo set{0x1207, 0x101, COMM_ETHERNET, 2, 0x44332211, 0x88776655};
    ASSERT_EQ(core.SetCommInfo(other, &set), 1);
    EXPECT_EQ(other->Global.ID, 7);
    EXPECT_EQ(other->Global.SwapRedGreen, 1);
    EXPECT_EQ(other->Global.AdapterIndex, 2u);
    const std::uint8_t want[8] = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
    EXPECT_EQ(std::memcmp(other->Global.DstMAC, want, 8), 0);
    EXPECT_EQ(other->Global.BaudRate, 9600u);
    CCore::CommInfo serial{4, 0, COMM_SERIAL, 5, 115200, 0};
    ASSERT_EQ(core.SetCommInfo(other, &serial), 1);
    EXPECT_EQ(other->Global.SerialPort, 5u);
    EXPECT_EQ(other->Global.BaudRate, 115200u);
    EXPECT_EQ(other->Global.AdapterIndex, 2u);
    EXPECT_EQ(core.SetCommInfo(scene, &serial), 0);
}

TEST_F(LinkTest, SendingThroughAnotherScreen)
{
    tagItemData* a = addScreen(u"a");
    tagItemData* b = addScreen(u"b");
    b->Global.ID = 5;
    b->Global.SerialPort = 4;
    CCore::CommInfo info;

    EXPECT_EQ(core.GetSecondaryScreen(nullptr), nullptr);
    EXPECT_EQ(core.GetSecondaryScreen(a), a);
    a->Global.TargetScreen = b;
    EXPECT_EQ(core.GetSecondaryScreen(a), b);
    ASSERT_EQ(core.GetSecondaryCommInfo(a, &info), 1);
    EXPECT_EQ(info.Address, 5u);
    EXPECT_EQ(info.Port, 4u);

    // No screen: every controller on the screen's own link.
    a->Global.TargetScreen = TARGET_SCREEN_NONE;
    a->Global.CommType = COMM_ETHERNET;
    a->Global.AdapterIndex = 1;
    EXPECT_EQ(core.GetSecondaryScreen(a), nullptr);
    ASSERT_EQ(core.GetSecondaryCommInfo(a, &info), 1);
    EXPECT_EQ(info.Address, 255u);
    EXPECT_EQ(info.Mode, 1u);
    EXPECT_EQ(info.Port, 1u);
    EXPECT_EQ(info.BaudOrMac, 0xFFFFFFFFu);
    EXPECT_EQ(info.MacHigh, 0xFFFFFFFFu);
    a->Global.CommType = COMM_SERIAL;
    ASSERT_EQ(core.GetSecondaryCommInfo(a, &info), 1);
    EXPECT_EQ(info.Address, 255u);
    EXPECT_EQ(info.BaudOrMac, 9600u);

    // A target that is no screen under the root: the screen's own link.
    a->Global.TargetScreen = reinterpret_cast<tagItemData*>(0x1000);
    EXPECT_EQ(core.GetSecondaryScreen(a), a);
    ASSERT_EQ(core.GetSecondaryCommInfo(a, &info), 1);
    EXPECT_EQ(info.Address, 1u);
    EXPECT_EQ(core.GetSecondaryCommInfo(nullptr, &info), 0);
}

TEST_F(LinkTest, TheSendLinkIsAValueAndTheScreenIsNotWritten)
{
    tagItemData* a = addScreen(u"a");
    tagItemData* b = addScreen(u"b");
    a->Global.ID = 3;
    a->Global.CommType = COMM_ETHERNET;
    a->Global.AdapterIndex = 2;
    std::memset(a->Global.DstMAC, 0x11, sizeof a->Global.DstMAC);
    b->Global.ID = 5;
    b->Global.SwapRedGreen = 1;
    b->Global.CommType = COMM_NETWORK;
    b->Global.HostKind = 1;
    std::strcpy(b->Global.Host, "relay.example");
    b->Global.HostPort = 4001;
    a->Global.TargetScreen = b;
    const tagGlobalInfo before = a->Global;

    // Through b: b's link, address and colour order.
    LinkSettings link = core.GetSendLink(a);
    EXPECT_EQ(link.Mode, std::uint32_t(COMM_NETWORK));
    EXPECT_EQ(link.Address, 5);
    EXPECT_EQ(link.SwapRedGreen, 1);
    EXPECT_STREQ(link.Host, "relay.example");
    EXPECT_EQ(link.HostKind, 1);
    EXPECT_EQ(link.HostPort, 4001);
    // Its own, as if it sent through itself.
    link = core.GetSendLink(a, nullptr);
    EXPECT_EQ(link.Mode, std::uint32_t(COMM_ETHERNET));
    EXPECT_EQ(link.Address, 3);
    EXPECT_EQ(link.AdapterIndex, 2u);
    EXPECT_EQ(link.DstMAC[7], 0x11);
    // Every controller on its own link.
    link = core.GetSendLink(a, TARGET_SCREEN_NONE);
    EXPECT_EQ(link.Address, 255);
    EXPECT_EQ(link.AdapterIndex, 2u);
    EXPECT_EQ(std::vector<std::uint8_t>(link.DstMAC, link.DstMAC + 8), std::vector<std::uint8_t>(8, 0xFF));
    // A stale target is no screen: its own link.
    EXPECT_EQ(core.GetSendLink(a, reinterpret_cast<tagItemData*>(0x1000)).Address, 3);
    EXPECT_EQ(std::memcmp(&a->Global.DstMAC, &before.DstMAC, sizeof before.DstMAC), 0);
    EXPECT_EQ(a->Global.TargetScreen, b);
    EXPECT_EQ(a->Global.ID, 3);
    EXPECT_EQ(core.GetSendLink(nullptr).Address, LinkSettings{}.Address);
}

TEST_F(LinkTest, SwapRedGreenReturnsThePreviousFlag)
{
    tagItemData* s = addScreen(u"s");
    EXPECT_EQ(core.SetSwapRedGreen(s, 0x101), 0);
    EXPECT_EQ(s->Global.SwapRedGreen, 1);
    EXPECT_EQ(core.SetSwapRedGreen(s, 0), 1);
    EXPECT_EQ(core.SetSwapRedGreen(nullptr, 1), 0);
    EXPECT_EQ(core.SetSwapRedGreen(CreateNode(nullptr, IT_SCENE, u"x", s), 1), 0);
}
