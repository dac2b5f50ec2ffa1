// The search through the core over real transports: pseudo-terminals at two
// speeds, UDP and TCP on 127.0.0.x, and raw Ethernet on a veth pair (root).
#include "core/link/Adapters.h"
#include "core/link/SerialPorts.h"
#include "core/model/CoreAccess.h"
#include "core/model/ItemData.h"
#include "LinkTestUtil.h"
#include "support/SimControllerSearch.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <termios.h>
#include <unistd.h>

#include <cstring>

using namespace sorvane::link;

namespace {

using linktest::Recorder;

void noSerialPorts(std::vector<SSerInfo>& ports) { ports.clear(); }

int vethAdapter(CUniqueArray<pcapdevinfo>& list)
{
    pcapdevinfo a;
    std::memset(&a, 0, sizeof a);
    std::strcpy(a.name, "tvcore");
    list.Add(a);
    return 1;
}


class SearchLinks : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetSerialEnumerator(noSerialPorts);
        SetAdapterEnumerator(vethAdapter);
        core = std::make_unique<CCore>();
        core->SetCommCallBack(Recorder::callback);
        core->DelPort(8080);
        Recorder::clear();
    }
    void TearDown() override
    {
        core.reset();
        SetSerialEnumerator(nullptr);
        SetAdapterEnumerator(nullptr);
    }
    std::vector<tagItemData*> screens()
    {
        std::vector<tagItemData*> out;
        for (tagItemData* s = sorvane::model::CoreAccess::root(*core)->FirstChild; s; s = s->NextSibling)
            out.push_back(s);
        return out;
    }
    void addPort(const std::string& path)
    {
        const QString name = QString::fromStdString(path);
        core->AddUserSerialPort(reinterpret_cast<const char16_t*>(name.utf16()));
    }
    // The number a screen keeps for a port, which names the port again.
    std::uint32_t number(const std::string& path)
    {
        const int n = core->GetSerialPortNumber(QString::fromStdString(path));
        EXPECT_GE(n, 0);
        EXPECT_EQ(core->GetSerialPortName(n), QString::fromStdString(path));
        return static_cast<std::uint32_t>(n);
    }
    static int found(unsigned address)
    {
        int n = 0;
        for (const auto& e : Recorder::events())
            n += e.cmd == 21 && e.event == 3 && e.value == address;
        return n;
    }

    // Sped up for the probes nobody answers; slow enough that a loaded
    // machine still gets a 9600-baud answer in before its time-out.
    platform::ScopedClockScale fast{10};
    std::unique_ptr<CCore> core;
};

CCore* g_cancelling = nullptr;
void cancelOnFirstScreen(unsigned cmd, unsigned event, std::uintptr_t value)
{
    Recorder::callback(cmd, event, value);
    if (cmd == 21 && event == 3 && g_cancelling)
        CCore::TerminateComm();
}

} // namespace

TEST_F(SearchLinks, SerialScopeSearchFindsControllersAtEitherSpeedAndSeveralOnOneLine)
{
    sim::SearchController slow, fast2;
    sim::PtyPeer slowPeer(slow), fastPeer(fast2);
    slow.pty = &slowPeer;
    slow.speed = B9600;
    slow.addresses = {3};
    fast2.pty = &fastPeer;
    fast2.speed = B115200;
    fast2.addresses = {4, 5};
    addPort(slowPeer.slavePath());
    addPort(fastPeer.slavePath());
    core->SetSingleScreen(0);
    core->RemoveAllScreenScope();
    for (int a : {3, 4, 5})
        core->AddScreenScope(a);

    EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 3u);
    const auto made = screens();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[0]->Global.ID, 3);
    EXPECT_EQ(made[0]->Global.BaudRate, 9600u);
    EXPECT_EQ(made[0]->Global.SerialPort, number(slowPeer.slavePath()));
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(made[i]->Global.ID, 3 + i);
        EXPECT_EQ(made[i]->Global.BaudRate, 115200u);
        EXPECT_EQ(made[i]->Global.SerialPort, number(fastPeer.slavePath()));
        EXPECT_EQ(made[i]->Global.CommType, COMM_SERIAL);
    }
    EXPECT_EQ(found(3) + found(4) + found(5), 3);
    // Every probe is command 21 with four zero bytes, to the scope address.
    for (const sim::Block& b : fast2.blocks()) {
        EXPECT_EQ(b.header.command, 21);
        EXPECT_EQ(b.data, (sim::Bytes{0, 0, 0, 0}));
    }
}

TEST_F(SearchLinks, SingleScreenSerialSearchStopsAtTheFirstAnswerAndCancelKeepsScreens)
{
    sim::SearchController controller;
    sim::PtyPeer peer(controller);
    controller.pty = &peer;
    controller.speed = B115200;
    controller.addresses = {7, 8};
    addPort(peer.slavePath());
    core->EnableWan(1);
    core->AddPort(9);

    EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 1u);
    ASSERT_EQ(screens().size(), 1u);
    EXPECT_EQ(screens()[0]->Global.ID, 7);
    EXPECT_EQ(screens()[0]->Global.BaudRate, 115200u);
    EXPECT_EQ(controller.blocks().size(), 1u);   // the first candidate answered

    // The controller now runs at 9600: found again on its kind of link.
    controller.speed = B9600;
    EXPECT_EQ(core->RetrieveConnection(screens()[0]), 1);
    EXPECT_EQ(screens()[0]->Global.BaudRate, 9600u);

    // Scope mode, cancelled when the first screen is made.
    core->SetSingleScreen(0);
    core->AddScreenScope(7);
    core->AddScreenScope(8);
    g_cancelling = core.get();
    core->SetCommCallBack(cancelOnFirstScreen);
    Recorder::clear();
    EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 1u);
    g_cancelling = nullptr;
    EXPECT_EQ(screens().size(), 2u);
    bool cancelled = false;
    for (const auto& e : Recorder::events())
        cancelled = cancelled || (e.cmd == 225 && e.event == 9);
    EXPECT_TRUE(cancelled);
}

TEST_F(SearchLinks, APortPathLongerThanASearchRecordIsProbedWhole)
{
    sim::SearchController controller;
    sim::PtyPeer peer(controller);
    controller.pty = &peer;
    controller.speed = B115200;
    controller.addresses = {6};
    // A device added by its path, as /dev/serial/by-id names adapters.
    QTemporaryDir dir;
    const std::string path = dir.filePath("usb-Maker_Serial_Adapter_0001-if00-port0").toStdString();
    ASSERT_GT(path.size(), 31u);
    ASSERT_EQ(::symlink(peer.slavePath().c_str(), path.c_str()), 0);
    addPort(path);

    EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 1u);
    ASSERT_EQ(screens().size(), 1u);
    EXPECT_EQ(screens()[0]->Global.SerialPort, number(path));
    // Remembered from the first search, it is asked first and still found.
    controller.clearRecords();
    EXPECT_EQ(core->RetrieveConnection(1, 0, 0), 1u);
    EXPECT_EQ(controller.blocks().size(), 1u);
    EXPECT_EQ(screens()[0]->Global.SerialPort, number(path));
}

TEST_F(SearchLinks, NetworkSearchFindsEveryAnsweringControllerAndProbesItOverTcp)
{
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}, {"127.0.0.3", 2}, {"127.0.0.4", 3}}));
    core->SetSingleScreen(0);
    core->EnableSerialPort(0);
    core->EnableWan(1);
    core->AddPort(udp.port());

    EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 3u);
    EXPECT_EQ(udp.tcpProbes(), 3);
    std::set<std::string> seen;
    for (tagItemData* s : screens()) {
        EXPECT_EQ(s->Global.CommType, COMM_NETWORK);
        EXPECT_EQ(s->Global.HostPort, udp.port());
        seen.insert(std::string(s->Global.Host) + "=" + std::to_string(s->Global.ID));
    }
    EXPECT_EQ(seen, (std::set<std::string>{"127.0.0.2=1", "127.0.0.3=2", "127.0.0.4=3"}));
}

// A controller answering from 0 or 255 would become a screen whose sends
// reach every controller: neither search road makes one.
TEST_F(SearchLinks, AnswersFromTheAddressesOfEveryControllerMakeNoScreen)
{
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 255}, {"127.0.0.3", 0}, {"127.0.0.4", 2}}));
    core->SetSingleScreen(0);
    core->EnableSerialPort(0);
    core->EnableWan(1);
    core->AddPort(udp.port());
    EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 1u);
    ASSERT_EQ(screens().size(), 1u);
    EXPECT_EQ(screens()[0]->Global.ID, 2);

    sim::SearchController serial;
    sim::PtyPeer peer(serial);
    serial.pty = &peer;
    serial.speed = B115200;
    serial.addresses = {255};
    addPort(peer.slavePath());
    core->EnableSerialPort(1);
    core->EnableWan(0);
    core->RemoveAllScreenScope();
    core->AddScreenScope(255);
    EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 0u);
    EXPECT_EQ(screens().size(), 1u);
    EXPECT_EQ(found(255), 0);
}

TEST_F(SearchLinks, RawEthernetSearchRemembersTheControllersMac)
{
    const bool ran = sim::RunInNetworkNamespace([&] {
        sim::SearchController controller;
        controller.addresses = {5};
        sim::EthernetPeer peer(controller, "tvsim");
        ASSERT_TRUE(peer.ok());
        core->EnumAdapterList();
        core->EnableSerialPort(0);
        core->EnableLan(1);

        EXPECT_EQ(core->RetrieveConnection(0, 0, 0), 1u);
        ASSERT_EQ(screens().size(), 1u);
        tagItemData* screen = screens()[0];
        EXPECT_EQ(screen->Global.CommType, COMM_ETHERNET);
        EXPECT_EQ(screen->Global.ID, 5);
        EXPECT_EQ(screen->Global.AdapterIndex, 0u);
        EXPECT_EQ(std::memcmp(screen->Global.DstMAC, peer.mac(), 6), 0);

        // A screen sending to every controller learns the MAC of the one that answers.
        std::memset(screen->Global.DstMAC, 0xFF, 6);
        EXPECT_GT(core->RetrieveConnection(screen), 0);
        EXPECT_EQ(std::memcmp(screen->Global.DstMAC, peer.mac(), 6), 0);
    });
    if (!ran)
        GTEST_SKIP() << "needs root for a network namespace";
}
