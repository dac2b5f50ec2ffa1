// Controller reads on a worker while the interface thread reads the screen
// as a canvas does. The reads by link store nothing, so under the thread
// sanitizer (make tsan) any write of the screen during them is a reported
// race; the answers are stored afterwards, on the screen's own thread.
#include "LinkTestUtil.h"

#include "core/api/Core.h"
#include "support/SimControllerSearch.h"

#include <atomic>
#include <cstring>
#include <set>
#include <string>
#include <thread>

using namespace linktest;

TEST(ReadsOnAWorker, ReturnTheirAnswersAndLeaveTheScreenToItsOwnThread)
{
    FastClock fast;
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    controller.setVersion(0x5150, 0x0304, 9);
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    std::strncpy(g.Host, "127.0.0.1", sizeof g.Host - 1);
    g.HostPort = peer.port();
    // The controller holds these settings; the screen then drifts from them.
    g.Width = 96;
    g.Height = 48;
    g.ReFreq = 180;
    g.Type = 33;
    g.ScanMode = 5;
    g.Lum = 77;
    g.DevicePort = 6001;
    std::strncpy(g.WifiSsid, "stage-net", sizeof g.WifiSsid - 1);
    g.WifiMode = 2;
    ASSERT_EQ(core.SendHardwareInfo(screen, 0), 52);
    ASSERT_EQ(core.SendIpInfo(screen, 0), 60);
    ASSERT_EQ(core.SendWifiInfo(screen, 0), 128);
    g.Width = 32;
    g.Height = 16;
    g.DevicePort = 5005;
    g.WifiSsid[0] = 0;
    const LinkSettings link = CCore::GetOwnLink(screen);

    std::atomic<bool> done{false};
    std::atomic<long> reads{0};
    ControllerAnswer hardware, version, ip, wifi;
    std::thread worker([&] {
        while (reads.load() == 0)   // the reads overlap the canvas's
            std::this_thread::yield();
        hardware = core.RetrieveHardwareInfo(link);
        version = core.RetrieveRemoteVer(link);
        ip = core.RetrieveIpInfo(link);
        wifi = core.RetrieveWifiInfo(link);
        done = true;
    });
    long drifted = 0;
    while (!done.load()) {
        if (g.Width != 32 || g.Height != 16 || g.DevicePort != 5005 || g.WifiSsid[0] != 0 || g.HardwareId != 0)
            ++drifted;
        ++reads;
    }
    worker.join();

    EXPECT_GT(reads.load(), 1);
    EXPECT_EQ(drifted, 0);
    for (const ControllerAnswer* a : {&hardware, &version, &ip, &wifi}) {
        EXPECT_EQ(a->result(), 4);
        EXPECT_FALSE(a->blocks().empty());
        CCore::StoreAnswer(*a, g);
    }
    EXPECT_EQ(g.Width, 96);
    EXPECT_EQ(g.Height, 48);
    EXPECT_EQ(g.HardwareId, 0x5150u);
    EXPECT_EQ(g.DevicePort, 6001);
    EXPECT_STREQ(g.WifiSsid, "stage-net");
}

// A search on a worker while the interface thread walks the screens as the
// tree and the canvases do: the search makes no screen and links no node in;
// the screens are made from what it returns, on the tree's own thread.
TEST(SearchOnAWorker, ReturnsWhatItFoundAndLeavesTheTreeToItsOwnThread)
{
    FastClock fast;
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}, {"127.0.0.3", 2}}));
    CCore core;
    ASSERT_NE(core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr), nullptr);
    core.SetSingleScreen(0);
    core.EnableSerialPort(0);
    core.EnableWan(1);
    core.AddPort(udp.port());

    std::atomic<bool> done{false};
    std::atomic<long> walks{0};
    FoundControllers found;
    std::thread worker([&] {
        while (walks.load() == 0)
            std::this_thread::yield();
        found = core.SearchConnections(0);
        done = true;
    });
    long screens = 0;
    volatile long widths = 0;   // what a canvas reads, read
    while (!done.load()) {
        screens = 0;
        for (unsigned n = 0; tagItemData* s = core.GetScreen(n); ++n) {
            ++screens;
            widths = widths + s->Global.Width + s->Global.ID + s->Global.Host[0];
        }
        ++walks;
    }
    worker.join();

    EXPECT_GT(walks.load(), 1);
    EXPECT_EQ(screens, 1);
    ASSERT_EQ(found.count, 2u);
    const std::vector<tagItemData*> made = core.StoreConnections(found, 0, 0);
    ASSERT_EQ(made.size(), 2u);
    std::set<std::string> seen;
    for (tagItemData* s : made)
        seen.insert(std::string(s->Global.Host) + "=" + std::to_string(s->Global.ID));
    EXPECT_EQ(seen, (std::set<std::string>{"127.0.0.2=1", "127.0.0.3=2"}));
    EXPECT_NE(core.GetScreen(2), nullptr);
}
