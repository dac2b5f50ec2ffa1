// Controller commands against the simulated controller over TCP, a
// pseudo-terminal and raw Ethernet: what is sent, and what reads store.
#include "LinkTestUtil.h"

#include "core/link/Adapters.h"
#include "core/api/Callbacks.h"
#include "core/link/Commands.h"
#include "core/link/SerialPorts.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/Utilities.h"
#include "platform/ByteIO.h"

#include <QTemporaryDir>
#include <chrono>
#include <functional>
#include <map>
#include <tuple>
#include <ctime>
#include <thread>
#include <termios.h>

using namespace sorvane::link;
using namespace sorvane::model;

using namespace linktest;

namespace {

Bytes globalImage(const tagItemData* screen)
{
    Bytes out(GLOBALINFO_SIZE);
    WriteGlobalInfo(screen->Global, out.data());
    return out;
}

void setText(char* field, std::size_t size, const char* text)
{
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

void bindTcp(tagItemData* screen, std::uint16_t port)
{
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    setText(g.Host, sizeof g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = port;
}

void bindPty(CCore& core, tagItemData* screen, const std::string& path)
{
    const QString name = QString::fromStdString(path);
    core.AddUserSerialPort(reinterpret_cast<const char16_t*>(name.utf16()));
    screen->Global.CommType = COMM_SERIAL;
    screen->Global.SerialPort = static_cast<std::uint32_t>(core.GetSerialPortNumber(name));
    screen->Global.BaudRate = 57600;
    ASSERT_EQ(core.GetSerialPortName(static_cast<int>(screen->Global.SerialPort)), name);
}

// Every command of a screen's controller, sent and read back over the
// screen's current link.
void exerciseCommands(CCore& core, tagItemData* screen, sim::SimController& controller)
{
    tagGlobalInfo& g = screen->Global;
    std::vector<sim::Block> keep;
    std::size_t count = controller.blocks().size();
    auto next = [&] {
        ++count;
        EXPECT_TRUE(controller.waitForBlocks(count));
        keep = controller.blocks();
        return keep.size() >= count ? keep[count - 1] : sim::Block{};
    };

    // Hardware settings out, changed locally, read back.
    g.Width = 96;
    g.Height = 48;
    g.ReFreq = 180;
    g.Type = 33;
    g.ScanMode = 5;
    g.RowDecode = 2;
    g.OptionBits = 0x0B;
    g.OptionBits2 = 0x03;
    g.Lum = 77;
    g.HourSU = 6;
    g.MinSU = 30;
    g.HourSD = 22;
    g.MinSD = 15;
    g.WeekSD = 0x3E;
    g.AutoS = 1;
    ASSERT_EQ(core.SendHardwareInfo(screen, 0), 52);
    const sim::Block hw = next();
    EXPECT_EQ(hw.header.command, TOS_HWCONFIG);
    EXPECT_EQ(hw.header.address, g.ID);
    const Bytes expectHw = {0xAA, 0x55, g.ID, 0, 0, 0, 0, 0, 96, 0, 48, 0, 180, 0, 33, 0, 5, 0, 2, 0x0B, 0x03, 0, 77, 0,
                            0, 0, 0, 0, 6, 30, 22, 15, 0x3E, 1};
    EXPECT_EQ(slice(hw.data, 0, expectHw.size()), expectHw);
    EXPECT_EQ(slice(hw.data, 34, 18), Bytes(18, 0));
    ASSERT_EQ(core.SendHardwareInfo(screen, 7), 52);
    EXPECT_EQ(next().header.address, 7);

    const Bytes sent = globalImage(screen);
    g.Width = 1;
    g.Lum = 2;
    g.WeekSD = 0;
    controller.setVersion(0x5150, 0x0304, 9);
    ASSERT_EQ(core.RetrieveHardwareInfo(screen), 4);
    EXPECT_EQ(next().header.command, TOS_READVER);
    EXPECT_EQ(next().header.command, TOS_HWREADCFG);
    EXPECT_EQ(g.Width, 96);
    EXPECT_EQ(g.Lum, 77);
    EXPECT_EQ(g.WeekSD, 0x3E);
    EXPECT_EQ(g.HardwareId, 0x5150u);
    EXPECT_EQ(g.RemoteVersion, 0x0304u);
    EXPECT_EQ(g.VersionWord, 9u);
    g.HardwareId = 0;
    g.RemoteVersion = 0xFFFFFFFF;
    g.VersionWord = 0;
    EXPECT_EQ(globalImage(screen), sent);

    // Network settings.
    setText(g.DeviceName, sizeof g.DeviceName, "hall-left");
    g.DhcpFlag = 0;
    g.IpAddr = Ipv4(10, 1, 2, 3);
    g.Gateway = Ipv4(10, 1, 2, 254);
    g.SubnetMask = Ipv4(255, 255, 0, 0);
    g.Address4 = Ipv4(8, 8, 8, 8);
    g.NetWord = 0x01020304;
    g.DevicePort = 6001;
    ASSERT_EQ(core.SendIpInfo(screen, 0), 60);
    const sim::Block ip = next();
    EXPECT_EQ(ip.header.command, TOS_IPCONFIG);
    EXPECT_EQ(slice(ip.data, 0, 8), Bytes({'i', 'p', 'c', 'f', 3, 0, 60, 0}));
    EXPECT_EQ(slice(ip.data, 8, 16), Bytes({'h', 'a', 'l', 'l', '-', 'l', 'e', 'f', 't', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(slice(ip.data, 28, 4), Bytes({10, 1, 2, 3}));
    EXPECT_EQ(slice(ip.data, 32, 4), Bytes({10, 1, 2, 254}));
    EXPECT_EQ(slice(ip.data, 36, 4), Bytes({255, 255, 0, 0}));
    EXPECT_EQ(slice(ip.data, 48, 4), Bytes({0x71, 0x17, 0x71, 0x17}));
    const Bytes ipSent = globalImage(screen);
    setText(g.DeviceName, sizeof g.DeviceName, "x");
    g.IpAddr = 0;
    g.DevicePort = 1;
    ASSERT_EQ(core.RetrieveIpInfo(screen), 4);
    next();
    EXPECT_EQ(globalImage(screen), ipSent);

    // Wi-Fi settings.
    setText(g.WifiSsid, sizeof g.WifiSsid, "stage-net");
    setText(g.WifiKey, sizeof g.WifiKey, "correct horse");
    g.WifiMode = 2;
    g.WifiSecurity = 1;
    g.WifiEncryption = 2;
    ASSERT_EQ(core.SendWifiInfo(screen, 0), 128);
    const sim::Block wifi = next();
    EXPECT_EQ(wifi.header.command, TOS_WIFICONFIG);
    EXPECT_EQ(slice(wifi.data, 0, 8), Bytes({'i', 'p', 'c', 'f', 3, 0, 128, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(wifi.data.data() + 8)), "stage-net");
    EXPECT_EQ(slice(wifi.data, 44, 12), Bytes({2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0}));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(wifi.data.data() + 62)), "correct horse");
    const Bytes wifiSent = globalImage(screen);
    setText(g.WifiSsid, sizeof g.WifiSsid, "");
    g.WifiMode = 1;
    ASSERT_EQ(core.RetrieveWifiInfo(screen), 4);
    next();
    EXPECT_EQ(globalImage(screen), wifiSent);

    // Time, display switch, reset, clear, any data.
    ASSERT_EQ(core.SendAdjustTime(screen, 0x12345678u), 4);
    EXPECT_EQ(next().header.command, TOS_SETTIME);
    EXPECT_EQ(controller.time(), 0x12345678u);
    ASSERT_EQ(core.SendSwitch(screen, 1), 4);
    EXPECT_EQ(next().header.command, TOS_SWITCH);
    EXPECT_EQ(controller.switchValue(), 1u);
    const int resets = controller.resets();
    ASSERT_EQ(core.SendReset(screen), 4);
    EXPECT_EQ(next().data, Bytes(4, 0));
    EXPECT_EQ(controller.resets(), resets + 1);
    const int clears = controller.clears();
    ASSERT_EQ(core.SendClearProg(screen), 4);
    EXPECT_EQ(next().header.command, TOS_CLEARPROG);
    EXPECT_EQ(controller.clears(), clears + 1);
    const Bytes data = pattern(700);
    ASSERT_EQ(core.SendData(screen, 0x55, data.data(), 700), 700);
    const sim::Block any = next();
    EXPECT_EQ(any.header.command, 0x55);
    EXPECT_EQ(any.data, data);
    const std::uint32_t before = ControllerTimeNow();
    ASSERT_EQ(core.SendAdjustTime(screen), 4);
    next();
    EXPECT_GE(controller.time(), before);
    EXPECT_LE(controller.time(), before + 3);
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override
    {
        Recorder::clear();
        core.SetCommCallBack(&Recorder::callback);
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        ASSERT_NE(screen, nullptr);
    }
    platform::ScopedClockScale fast{20};
    CCore core;
    tagItemData* screen = nullptr;
};

}  // namespace

TEST_F(Commands, EveryCommandOverTcp)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    exerciseCommands(core, screen, controller);
}

TEST_F(Commands, EveryCommandOverAPseudoTerminal)
{
    sim::SimController controller;
    sim::PtyPeer peer(controller);
    bindPty(core, screen, peer.slavePath());
    exerciseCommands(core, screen, controller);
    EXPECT_EQ(peer.speed(), static_cast<unsigned>(B57600));
}

TEST_F(Commands, EveryCommandOverRawEthernet)
{
    const bool ran = sim::RunInNetworkNamespace([&] {
        sim::SimController controller;
        sim::EthernetPeer peer(controller, "tvsim");
        ASSERT_TRUE(peer.ok());
        // The adapter list is read where the interfaces are.
        core.EnumAdapterList();
        CUniqueArray<pcapdevinfo>* list = core.GetAdapterList();
        int index = -1;
        for (int i = 0; i < list->GetSize(); ++i)
            if (std::strcmp((*list)[i].name, "tvcore") == 0)
                index = i;
        CCore::ReleaseAdapterList(list);
        ASSERT_GE(index, 0);
        screen->Global.CommType = COMM_ETHERNET;
        screen->Global.AdapterIndex = static_cast<std::uint32_t>(index);
        std::memcpy(screen->Global.DstMAC, peer.mac(), 6);
        exerciseCommands(core, screen, controller);

        // To every controller: broadcast MAC and address, own link kept.
        const Bytes own = globalImage(screen);
        screen->Global.TargetScreen = TARGET_SCREEN_NONE;
        peer.clearReceived();
        // A send to every controller waits for no answer: wait for the block.
        const std::size_t before = controller.blocks().size();
        ASSERT_EQ(core.SendSwitch(screen, 0), 4);
        ASSERT_TRUE(controller.waitForBlocks(before + 1));
        const std::vector<Bytes> packets = peer.received();
        ASSERT_EQ(packets.size(), 1u);
        EXPECT_EQ(slice(packets[0], 0, 6), Bytes(6, 0xFF));
        EXPECT_EQ(packets[0][22 + 6], 255);
        screen->Global.TargetScreen = nullptr;
        EXPECT_EQ(globalImage(screen), own);
    });
    if (!ran)
        GTEST_SKIP() << "raw Ethernet needs root to build a network namespace";
}

TEST_F(Commands, SendsThroughTheLinkScreenAndKeepsItsOwnLink)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    // This screen's own link is serial, with settings of every mode filled in.
    screen->Global.CommType = COMM_SERIAL;
    screen->Global.SerialPort = 3;
    screen->Global.BaudRate = 19200;
    screen->Global.AdapterIndex = 2;
    screen->Global.ID = 4;
    setText(screen->Global.Host, sizeof screen->Global.Host, "192.0.2.1");
    screen->Global.HostPort = 9;
    tagItemData* other = core.AddItem(IT_SCREEN, u"other", nullptr, nullptr);
    bindTcp(other, peer.port());
    other->Global.ID = 9;
    screen->Global.TargetScreen = other;
    const Bytes own = globalImage(screen);

    ASSERT_EQ(core.SendAdjustTime(screen, 5), 4);
    ASSERT_EQ(core.SendSwitch(screen, 1), 4);
    ASSERT_EQ(core.SendReset(screen), 4);
    ASSERT_EQ(core.SendClearProg(screen), 4);
    ASSERT_TRUE(controller.waitForBlocks(4));
    for (const sim::Block& b : controller.blocks())
        EXPECT_EQ(b.header.address, 9);
    EXPECT_EQ(globalImage(screen), own);

    // Link screen "none": every controller, on this screen's link.
    controller.clearRecords();
    bindTcp(screen, peer.port());
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    const Bytes own2 = globalImage(screen);
    ASSERT_EQ(core.SendSwitch(screen, 0), 4);
    ASSERT_TRUE(controller.waitForBlocks(1));
    EXPECT_EQ(controller.blocks()[0].header.address, 255);
    EXPECT_EQ(globalImage(screen), own2);

    // After a failure too.
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    EXPECT_EQ(core.SendReset(screen), COMM_E_NO_REPLY);
    EXPECT_EQ(globalImage(screen), own2);
}

// The value forms a worker calls send what the screen forms send: the same
// command, address and bytes, over the link the owner took beforehand.
TEST_F(Commands, ValueFormsSendWhatTheScreenFormsSend)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    tagGlobalInfo& g = screen->Global;
    g.ID = 4;
    g.Width = 96;
    g.Lum = 77;
    g.AutoS = 1;
    g.WeekSD = 0x3E;
    setText(g.DeviceName, sizeof g.DeviceName, "hall-left");
    g.IpAddr = Ipv4(10, 1, 2, 3);
    setText(g.WifiSsid, sizeof g.WifiSsid, "stage-net");
    setText(g.WifiKey, sizeof g.WifiKey, "correct horse");
    // The sends go through another screen, the settings over the screen's own link.
    tagItemData* other = core.AddItem(IT_SCREEN, u"other", nullptr, nullptr);
    bindTcp(other, peer.port());
    other->Global.ID = 9;
    g.TargetScreen = other;
    const LinkSettings over = core.GetSendLink(screen);
    const LinkSettings own = CCore::GetOwnLink(screen);
    ASSERT_NE(over.Address, own.Address);

    using Call = std::function<int(CCore&)>;
    tagItemData* s = screen;
    const std::tuple<const char*, Call, Call> rows[] = {
        {"reset", [s](CCore& c) { return c.SendReset(s); }, [over](CCore& c) { return c.SendReset(over); }},
        {"clear", [s](CCore& c) { return c.SendClearProg(s); }, [over](CCore& c) { return c.SendClearProg(over); }},
        {"switch", [s](CCore& c) { return c.SendSwitch(s, 1); }, [over](CCore& c) { return c.SendSwitch(1, over); }},
        {"time", [s](CCore& c) { return c.SendAdjustTime(s, 0x12345678u); },
         [over](CCore& c) { return c.SendAdjustTime(0x12345678u, over); }},
        {"hardware", [s](CCore& c) { return c.SendHardwareInfo(s, 0); },
         [g, own](CCore& c) { return c.SendHardwareInfo(g, own); }},
        {"hardware to 7", [s](CCore& c) { return c.SendHardwareInfo(s, 7); },
         [g, to = CCore::GetOwnLinkTo(screen, 7)](CCore& c) { return c.SendHardwareInfo(g, to); }},
        {"ip", [s](CCore& c) { return c.SendIpInfo(s, 0); }, [g, own](CCore& c) { return c.SendIpInfo(g, own); }},
        {"wifi", [s](CCore& c) { return c.SendWifiInfo(s, 0); },
         [g, own](CCore& c) { return c.SendWifiInfo(g, own); }},
    };
    for (const auto& [name, byScreen, byValue] : rows) {
        controller.clearRecords();
        const int first = byScreen(core);
        const int second = byValue(core);
        EXPECT_GT(first, 0) << name;
        EXPECT_EQ(second, first) << name;
        ASSERT_TRUE(controller.waitForBlocks(2)) << name;
        const std::vector<sim::Block> blocks = controller.blocks();
        EXPECT_EQ(blocks[1].header.command, blocks[0].header.command) << name;
        EXPECT_EQ(blocks[1].header.address, blocks[0].header.address) << name;
        EXPECT_EQ(blocks[1].data, blocks[0].data) << name;
    }
    EXPECT_EQ(CCore::GetOwnLinkTo(screen, 0).Address, own.Address);
}

TEST_F(Commands, FailedReadsLeaveTheScreenAlone)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    const Bytes before = globalImage(screen);
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    EXPECT_EQ(core.RetrieveHardwareInfo(screen), COMM_E_NO_REPLY);
    ASSERT_TRUE(controller.waitForBlocks(1));
    EXPECT_EQ(controller.blocks().size(), 1u);   // no hardware read after a failed version read
    EXPECT_EQ(controller.blocks()[0].header.command, TOS_READVER);
    EXPECT_EQ(core.RetrieveIpInfo(screen), COMM_E_NO_REPLY);
    EXPECT_EQ(core.RetrieveWifiInfo(screen), COMM_E_NO_REPLY);
    sim::Faults refuse;
    refuse.refuseFrames = true;
    controller.setFaults(refuse);
    EXPECT_EQ(core.RetrieveRemoteVer(screen), COMM_E_REFUSED);
    EXPECT_EQ(globalImage(screen), before);
    EXPECT_EQ(Recorder::pairs().back(), std::make_pair(unsigned(CBE_REFUSED), std::uintptr_t(0)));

    // Every request refuses a node that is not a screen.
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    const std::uint8_t b[4] = {};
    for (tagItemData* node : {scene, static_cast<tagItemData*>(nullptr)}) {
        EXPECT_EQ(core.SendReset(node), 0);
        EXPECT_EQ(core.SendClearProg(node), 0);
        EXPECT_EQ(core.SendSwitch(node, 1), 0);
        EXPECT_EQ(core.SendAdjustTime(node), 0);
        EXPECT_EQ(core.SendAdjustTime(node, 1), 0);
        EXPECT_EQ(core.SendHardwareInfo(node, 0), 0);
        EXPECT_EQ(core.SendIpInfo(node, 0), 0);
        EXPECT_EQ(core.SendWifiInfo(node, 0), 0);
        EXPECT_EQ(core.RetrieveRemoteVer(node), 0);
        EXPECT_EQ(core.RetrieveHardwareInfo(node), 0);
        EXPECT_EQ(core.RetrieveIpInfo(node), 0);
        EXPECT_EQ(core.RetrieveWifiInfo(node), 0);
        EXPECT_EQ(core.SendData(node, 1, b, 4), 0);
    }
}

TEST_F(Commands, AReplyOfAnotherCommandIsSkippedOnTcpAndSerial)
{
    sim::SimController controller;
    sim::TcpPeer tcp(controller);
    sim::PtyPeer pty(controller);
    for (int link = 0; link < 2; ++link) {
        SCOPED_TRACE(link == 0 ? "tcp" : "serial");
        if (link == 0)
            bindTcp(screen, tcp.port());
        else
            bindPty(core, screen, pty.slavePath());
        controller.setFaults({});
        tagGlobalInfo& g = screen->Global;
        setText(g.DeviceName, sizeof g.DeviceName, "door");
        g.IpAddr = Ipv4(10, 0, 0, 9);
        ASSERT_EQ(core.SendIpInfo(screen, 0), 60);
        const Bytes sent = globalImage(screen);
        // A late answer to a Wi-Fi read comes before the answer to this one.
        sim::Faults other;
        other.otherCommandFirst = TOS_WIFIREADCFG;
        controller.setFaults(other);
        EXPECT_EQ(core.RetrieveIpInfo(screen), 4);
        EXPECT_EQ(globalImage(screen), sent);
    }
}

TEST_F(Commands, ACancelDuringTheVersionReadStopsTheHardwareRead)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    sim::Faults late;
    late.lateMs = 150;   // real ms, within the scaled reply time-out
    controller.setFaults(late);
    std::thread cancel([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        core.TerminateComm();
    });
    const int rc = core.RetrieveHardwareInfo(screen);
    cancel.join();
    EXPECT_EQ(rc, COMM_E_CANCELLED);
    ASSERT_TRUE(controller.waitForBlocks(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(controller.blocks().size(), 1u);
    EXPECT_EQ(controller.blocks()[0].header.command, TOS_READVER);
}

TEST_F(Commands, UntidyAnswers)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    // The schedule is the last the hardware read stores: an answer that ends there is whole.
    Bytes hw = controller.hardware();
    const std::uint8_t schedule[6] = {7, 8, 21, 22, 0x7F, 1};
    std::memcpy(hw.data() + 28, schedule, 6);
    hw.resize(kHardwareAnswerLeast);
    controller.setAnswer(TOS_HWREADCFG, hw);
    ASSERT_EQ(core.RetrieveHardwareInfo(screen), 4);
    EXPECT_EQ(Bytes({screen->Global.HourSU, screen->Global.MinSU, screen->Global.HourSD, screen->Global.MinSD,
                     screen->Global.WeekSD, screen->Global.AutoS}),
              Bytes(schedule, schedule + 6));

    // Texts that fill their fields are cut and terminated.
    Bytes ip = controller.ipSettings();
    std::memset(ip.data() + 8, 'n', 16);
    ip[24] = 1;   // the flag follows the name
    controller.setAnswer(TOS_IPREADCFG, ip);
    ASSERT_EQ(core.RetrieveIpInfo(screen), 4);
    EXPECT_EQ(std::string(screen->Global.DeviceName), std::string(15, 'n'));
    Bytes wifi(128, 'w');
    for (const std::size_t at : {44, 48, 52})
        bytes::put32(wifi.data(), at, 1);
    controller.setAnswer(TOS_WIFIREADCFG, wifi);
    ASSERT_EQ(core.RetrieveWifiInfo(screen), 4);
    EXPECT_EQ(std::string(screen->Global.WifiSsid), std::string(32, 'w'));
    EXPECT_EQ(std::string(screen->Global.WifiKey), std::string(64, 'w'));
}

namespace {
// A hardware block answered by a controller, its fields at their offsets.
Bytes hardwareAnswer(std::initializer_list<std::pair<std::size_t, unsigned>> fields16, std::size_t length = 52)
{
    Bytes b(length, 0);
    const std::pair<std::size_t, unsigned> good[] = {{8, 64}, {10, 32}, {12, 200}, {14, 17}, {16, 4}, {22, 100}};
    bytes::put16(b.data(), 0, 0x55AA);
    b[2] = 1;
    for (const auto& [at, v] : good)
        bytes::put16(b.data(), at, std::uint16_t(v));
    for (const auto& [at, v] : fields16)
        if (at < 8 || at >= 28)
            b[at] = std::uint8_t(v);
        else
            bytes::put16(b.data(), at, std::uint16_t(v));
    return b;
}

Bytes withWord(Bytes b, std::size_t at, std::uint32_t v)
{
    bytes::put32(b.data(), at, v);
    return b;
}
}  // namespace

// Answers no controller could give: all 0xFF, one byte short of what the
// read stores, and each value just outside what the settings take. None is
// stored: the read reports no usable reply and the screen block stays byte
// for byte, version words included.
TEST_F(Commands, AnswersNoControllerCouldGiveChangeNothing)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    controller.setVersion(0x0E010200, 0x01030206, 5);
    ASSERT_EQ(core.RetrieveHardwareInfo(screen), 4);
    ASSERT_EQ(core.RetrieveIpInfo(screen), 4);
    ASSERT_EQ(core.RetrieveWifiInfo(screen), 4);
    const Bytes before = globalImage(screen);
    // A version the screen does not hold yet: a refused hardware answer must not leave it behind.
    controller.setVersion(0x0E050200, 0x01030701, 6);
    const Bytes version = withWord(withWord(withWord(Bytes(24, 0), 0, 0x0E050200), 4, 0x01030701), 8, 6);
    const Bytes ip = controller.ipSettings(), wifi = controller.wifiSettings();

    const std::vector<std::pair<std::uint8_t, Bytes>> answers = {
        {TOS_HWREADCFG, Bytes(52, 0xFF)},
        {TOS_HWREADCFG, hardwareAnswer({}, 33)},   // without the last schedule byte
        {TOS_HWREADCFG, hardwareAnswer({{2, 0}})},
        {TOS_HWREADCFG, hardwareAnswer({{2, 255}})},
        {TOS_HWREADCFG, hardwareAnswer({{8, 0}})},
        {TOS_HWREADCFG, hardwareAnswer({{8, 4097}})},
        {TOS_HWREADCFG, hardwareAnswer({{10, 0}})},
        {TOS_HWREADCFG, hardwareAnswer({{10, 513}})},
        {TOS_HWREADCFG, hardwareAnswer({{14, 26}})},   // work modes between and after the table's
        {TOS_HWREADCFG, hardwareAnswer({{14, 32}})},
        {TOS_HWREADCFG, hardwareAnswer({{14, 36}})},
        {TOS_HWREADCFG, hardwareAnswer({{14, 63}})},
        {TOS_HWREADCFG, hardwareAnswer({{14, 65}})},
        {TOS_HWREADCFG, hardwareAnswer({{16, 0}})},
        {TOS_HWREADCFG, hardwareAnswer({{16, 5}})},   // mode 17 folds 4 rows: 5 x 4 > 16
        {TOS_HWREADCFG, hardwareAnswer({{14, 13}, {16, 17}})},
        {TOS_HWREADCFG, hardwareAnswer({{14, 33}, {16, 6}})},
        {TOS_HWREADCFG, hardwareAnswer({{28, 24}})},
        {TOS_HWREADCFG, hardwareAnswer({{29, 60}})},
        {TOS_HWREADCFG, hardwareAnswer({{30, 24}})},
        {TOS_HWREADCFG, hardwareAnswer({{31, 60}})},
        {TOS_HWREADCFG, hardwareAnswer({{32, 0x80}, {33, 1}})},
        {TOS_HWREADCFG, hardwareAnswer({{12, 401}})},   // beyond what the settings dialog allows
        {TOS_HWREADCFG, hardwareAnswer({{22, 991}})},
        {TOS_HWREADCFG, hardwareAnswer({{22, 65535}})},
        {TOS_HWREADCFG, hardwareAnswer({{33, 7}})},
        {TOS_READVER, Bytes(24, 0xFF)},
        {TOS_READVER, Bytes(version.begin(), version.begin() + 11)},
        {TOS_READVER, withWord(version, 0, 0)},
        {TOS_READVER, withWord(version, 0, 0xFFFFFFFF)},
        {TOS_READVER, withWord(version, 4, 0xFFFFFFFF)},
        {TOS_IPREADCFG, Bytes(60, 0xFF)},
        {TOS_IPREADCFG, Bytes(ip.begin(), ip.begin() + 49)},
        {TOS_IPREADCFG, [&] { Bytes b = ip; b[24] = 2; return b; }()},
        {TOS_IPREADCFG, [&] { Bytes b = ip; b[48] = b[49] = 0; return b; }()},
        {TOS_WIFIREADCFG, Bytes(128, 0xFF)},
        {TOS_WIFIREADCFG, Bytes(wifi.begin(), wifi.begin() + 126)},
        {TOS_WIFIREADCFG, withWord(wifi, 44, 0)},
        {TOS_WIFIREADCFG, withWord(wifi, 44, 3)},
        {TOS_WIFIREADCFG, withWord(wifi, 48, 0)},
        {TOS_WIFIREADCFG, withWord(wifi, 48, 3)},
        {TOS_WIFIREADCFG, withWord(wifi, 52, 0)},
        {TOS_WIFIREADCFG, withWord(wifi, 52, 3)},
    };
    const std::map<std::uint8_t, Bytes> good = {
        {TOS_HWREADCFG, controller.hardware()}, {TOS_READVER, version}, {TOS_IPREADCFG, ip}, {TOS_WIFIREADCFG, wifi}};
    const auto read = [&](std::uint8_t command) {
        switch (command) {
        case TOS_HWREADCFG: return core.RetrieveHardwareInfo(screen);
        case TOS_READVER: return core.RetrieveRemoteVer(screen);
        case TOS_IPREADCFG: return core.RetrieveIpInfo(screen);
        default: return core.RetrieveWifiInfo(screen);
        }
    };
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const auto& [command, answer] = answers[i];
        SCOPED_TRACE(testing::Message() << "answer " << i << " to command " << int(command));
        controller.setAnswer(command, answer);
        Recorder::clear();
        EXPECT_EQ(read(command), COMM_E_NO_REPLY);
        // The controller did answer: told apart from no answer, with the same result.
        EXPECT_EQ(Recorder::pairs().back(), std::make_pair(unsigned(CBE_ANSWER_REFUSED), std::uintptr_t(0)));
        if (command == TOS_READVER) {   // the hardware read asks for the version first
            EXPECT_EQ(core.RetrieveHardwareInfo(screen), COMM_E_NO_REPLY);
        }
        EXPECT_EQ(globalImage(screen), before);
        controller.setAnswer(command, good.at(command));
    }

    // The edges of each range are taken.
    controller.setAnswer(TOS_HWREADCFG, hardwareAnswer({{2, 254}, {8, 4096}, {10, 512}, {14, 13}, {16, 16}, {28, 23},
                                                        {29, 59}, {30, 0}, {31, 0}, {32, 0x7F}, {33, 1}}));
    ASSERT_EQ(core.RetrieveHardwareInfo(screen), 4);
    const tagGlobalInfo& g = screen->Global;
    EXPECT_EQ(std::make_tuple(g.ID, g.Width, g.Height, g.Type, g.ScanMode, g.HourSU, g.MinSU, g.WeekSD),
              std::make_tuple(std::uint8_t(254), std::uint16_t(4096), std::uint16_t(512), std::uint16_t(13),
                              std::uint16_t(16), std::uint8_t(23), std::uint8_t(59), std::uint8_t(0x7F)));
    EXPECT_EQ(g.HardwareId, 0x0E050200u);
}

TEST_F(Commands, AnAnswerToAnEarlierRequestIsSkipped)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    const Bytes full = controller.hardware();
    // A reply to an earlier request (same command, another sequence number) comes first: skipped.
    controller.setAnswer(TOS_HWREADCFG, full);
    Bytes twelve(12, 0);
    bytes::put32(twelve.data(), 0, 0x0E010200);
    bytes::put32(twelve.data(), 4, 0x01030206);
    bytes::put32(twelve.data(), 8, 5);
    controller.setAnswer(TOS_READVER, twelve);
    sim::Faults stale;
    stale.staleFirst = true;
    controller.setFaults(stale);
    ASSERT_EQ(core.RetrieveHardwareInfo(screen), 4);
    EXPECT_EQ(screen->Global.HardwareId, 0x0E010200u);
    EXPECT_EQ(screen->Global.Width, 128);
    EXPECT_EQ(screen->Global.Height, 32);
    EXPECT_EQ(screen->Global.ScanMode, 4);
    EXPECT_EQ(screen->Global.ID, 1);
}

TEST_F(Commands, WhatIsReadSurvivesSaveAndLoadByteForByte)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    bindTcp(screen, peer.port());
    tagGlobalInfo g = screen->Global;
    g.ID = 3;
    g.Width = 192;
    g.Height = 64;
    g.ReFreq = 150;
    g.Type = 33;
    g.ScanMode = 5;
    g.RowDecode = 2;
    g.OptionBits = 0x09;
    g.OptionBits2 = 0x02;
    g.Lum = 60;
    g.HourSU = 7;
    g.MinSU = 5;
    g.HourSD = 23;
    g.MinSD = 40;
    g.WeekSD = 0x41;
    g.AutoS = 1;
    Bytes hw(kHardwareBlockSize);
    BuildHardwareBlock(g, hw.data());
    bytes::put32(hw.data(), 24, 0xA1B2C3D4);   // the settings word the controller keeps
    controller.setAnswer(TOS_HWREADCFG, hw);
    controller.setVersion(0x0E010200, 0x01030206, 9);
    ASSERT_EQ(core.RetrieveHardwareInfo(screen), 4);
    ASSERT_EQ(screen->Global.ScanMode, 5);
    ASSERT_NE(CCore::GetFirmwareInfo(screen->Global.HardwareId), nullptr);

    // Saved, and loaded by a program started again.
    QTemporaryDir dir;
    const std::u16string file = dir.filePath(QStringLiteral("read.pl")).toStdU16String();
    ASSERT_EQ(core.SavePL(screen, file.c_str()), 0);
    CCore again;
    tagItemData* loaded = again.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    ASSERT_EQ(again.LoadPL(loaded, file.c_str()), 0);
    Bytes block(kHardwareBlockSize), reloaded(kHardwareBlockSize);
    BuildHardwareBlock(screen->Global, block.data());
    BuildHardwareBlock(loaded->Global, reloaded.data());
    EXPECT_EQ(reloaded, block);
    EXPECT_EQ(reloaded, [&] {
        Bytes sent = hw;
        bytes::put32(sent.data(), 24, 0);   // sent as 0
        return sent;
    }());
    EXPECT_EQ(loaded->Global.SettingsWord, 0xA1B2C3D4u);
    EXPECT_EQ(loaded->Global.HardwareId, 0x0E010200u);
    EXPECT_EQ(loaded->Global.RemoteVersion, 0x01030206u);
    EXPECT_EQ(loaded->Global.VersionWord, 9u);
    Bytes first(core.GetStoreSize(screen)), second(again.GetStoreSize(loaded));
    core.Store(screen, first.data(), static_cast<unsigned>(first.size()));
    again.Store(loaded, second.data(), static_cast<unsigned>(second.size()));
    EXPECT_EQ(second, first);
}

TEST(CommandBlocks, AddressesFromTheServerAreLeftOutAndPortsKept)
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    g.DhcpFlag = 1;
    g.DevicePort = 0x1F90;
    Bytes block(60, 0xCC);
    BuildIpBlock(g, block.data());
    EXPECT_EQ(block[24], 1);
    EXPECT_EQ(slice(block, 25, 23), Bytes(23, 0));
    EXPECT_EQ(slice(block, 48, 12), Bytes({0x90, 0x1F, 0x90, 0x1F, 0, 0, 0, 0, 0, 0, 0, 0}));
    g.DhcpFlag = 0;
    BuildIpBlock(g, block.data());
    EXPECT_EQ(slice(block, 28, 4), Bytes({192, 168, 1, 3}));
    EXPECT_EQ(slice(block, 36, 4), Bytes({255, 255, 255, 0}));
}

TEST(CommandBlocks, NamesOfCommands)
{
    const std::pair<unsigned, const char*> names[] = {{1, "TOS_PROGDATA"}, {2, "TOS_PROGMASK"}, {3, "TOS_PROGMAP"},
                                                       {4, "TOS_PAGEMAP"},  {16, "TOS_HWCONFIG"}, {17, "TOS_HWREADCFG"},
                                                       {19, "TOS_READVER"}, {0, "TOS_UNKNOWN"},   {240, "TOS_UNKNOWN"}};
    for (const auto& [code, name] : names)
        EXPECT_STREQ(GetCommandName(code), name);
}

namespace {
class FixedWallClock : public platform::Clock {
public:
    explicit FixedWallClock(std::time_t t) : m_t(t) {}
    std::chrono::system_clock::time_point wallNow() const override { return std::chrono::system_clock::from_time_t(m_t); }

private:
    std::time_t m_t;
};
}  // namespace

TEST(CommandBlocks, TimeOneSecondBeforeMidnightIsSentAsMidnight)
{
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 1;
    local.tm_mday = 28;
    local.tm_hour = 23;
    local.tm_min = 59;
    local.tm_sec = 59;
    local.tm_isdst = -1;
    FixedWallClock wall(std::mktime(&local));
    platform::setClock(&wall);
    const std::uint32_t word = ControllerTimeNow();
    platform::setClock(nullptr);
    EXPECT_EQ(word, SecondsSince2000(2024, 2, 29, 0, 0, 0));

    CCore core;
    SYSTEMTIME t;
    t.wYear = 2031;
    t.wMonth = 12;
    t.wDay = 31;
    t.wHour = 13;
    t.wMinute = 14;
    t.wSecond = 15;
    t.wMilliseconds = 999;
    const unsigned remote = core.PCToRemoteTime(t);
    EXPECT_EQ(remote, SecondsSince2000(2031, 12, 31, 13, 14, 15));
    const SYSTEMTIME back = core.RemoteToPCTime(remote);
    EXPECT_EQ(back.wYear, 2031);
    EXPECT_EQ(back.wDay, 31);
    EXPECT_EQ(back.wSecond, 15);
}

TEST(SerialPortNames, NumbersNameTheSameDeviceAgain)
{
    const std::vector<QString> enumerated = {QStringLiteral("ttyUSB1"), QStringLiteral("ttyS0"),
                                             QStringLiteral("ttyACM0"), QStringLiteral("rfcomm0")};
    const std::vector<QString> user = {QStringLiteral("/dev/pts/7"), QStringLiteral("COM3")};
    const std::pair<const char*, int> rules[] = {{"ttyS0", 1}, {"ttyS3", 4},       {"ttyUSB1", 1001},
                                                 {"ttyACM0", 2000}, {"ttyAMA2", 3002}, {"COM3", 3},
                                                 {"/dev/pts/7", 10000}, {"rfcomm0", 20003}};
    for (const auto& [name, n] : rules) {
        EXPECT_EQ(SerialPortNumber(QString::fromLatin1(name), enumerated, user), n) << name;
        if (std::strncmp(name, "COM", 3) != 0) {
            EXPECT_EQ(SerialPortNameOf(n, enumerated, user), QString::fromLatin1(name)) << n;
        }
    }
    EXPECT_EQ(SerialPortNumber(QString(), enumerated, user), -1);
    EXPECT_EQ(SerialPortNumber(QStringLiteral("unknown"), enumerated, user), -1);

    // Through the core: the number finds its device among those present,
    // whatever their order.
    CCore core;
    core.AddUserSerialPort(u"ttyUSB3");
    core.AddUserSerialPort(u"ttyS1");
    EXPECT_EQ(core.GetSerialPortName(2), QStringLiteral("ttyS1"));
    EXPECT_EQ(core.GetSerialPortName(1003), QStringLiteral("ttyUSB3"));
    EXPECT_EQ(core.GetSerialPortName(10001), QStringLiteral("ttyS1"));
    EXPECT_EQ(core.GetSerialPortNumber(QStringLiteral("ttyUSB3")), 1003);
    EXPECT_EQ(core.GetSerialPortNumber(QStringLiteral("/dev/pts/9")), -1);
}

// An answer that went through holds a block to store; one built with none,
// or from a failed transfer, is a failure whatever its byte count says.
TEST(ControllerAnswers, NothingToStoreIsNeverASuccess)
{
    const std::vector<AnswerBlock> one = {{AnswerKind::Ip, Bytes(60, 0)}};
    const std::vector<std::pair<ControllerAnswer, bool>> cases = {
        {ControllerAnswer(), false},
        {ControllerAnswer::taken(4, {}), false},
        {ControllerAnswer::taken(COMM_E_CANCELLED, one), false},
        {ControllerAnswer::failed(0), false},
        {ControllerAnswer::failed(4), false},
        {ControllerAnswer::taken(4, one), true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& [a, ok] = cases[i];
        EXPECT_EQ(a.ok(), ok) << i;
        EXPECT_EQ(a.result() >= 0, ok) << i;
        EXPECT_EQ(a.blocks().empty(), !ok) << i;
    }
}
