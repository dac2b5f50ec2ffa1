// A send through another screen's link while a second thread reads the
// screen, as a window does: the reader sees the screen's own link from the
// first read to the last. Built on its own for the thread sanitizer (make
// tsan), where any write of the screen's link fields during the send is a
// reported race.
#include "LinkTestUtil.h"

#include "core/api/Core.h"
#include "core/api/Records.h"

#include <atomic>
#include <cstring>
#include <thread>

using namespace linktest;

namespace {

void setText(char* field, std::size_t size, const char* text)
{
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

bool sameLink(const tagGlobalInfo& a, const tagGlobalInfo& b)
{
    return a.CommType == b.CommType && a.ID == b.ID && a.SwapRedGreen == b.SwapRedGreen
        && a.SerialPort == b.SerialPort && a.BaudRate == b.BaudRate && a.AdapterIndex == b.AdapterIndex
        && std::memcmp(a.DstMAC, b.DstMAC, sizeof a.DstMAC) == 0 && a.HostKind == b.HostKind
        && std::memcmp(a.Host, b.Host, sizeof a.Host) == 0 && a.HostPort == b.HostPort
        && a.TargetScreen == b.TargetScreen;
}

} // namespace

TEST(SendThroughAnotherLink, AReaderOfTheScreenSeesItsOwnLinkThroughout)
{
    FastClock fast;
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    CCore core;
    // The screen's own link is serial, to address 4, red and green as they are.
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagGlobalInfo& g = screen->Global;
    g.Type = 17;
    g.ScanMode = 4;
    g.CommType = COMM_SERIAL;
    g.SerialPort = 3;
    g.BaudRate = 19200;
    g.ID = 4;
    setText(g.Host, sizeof g.Host, "192.0.2.1");
    g.HostPort = 9;
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
    tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", section, nullptr);
    records::SetItemText(line, QStringLiteral("Through the relay"));
    core.Paint(line);
    // It sends through the relay: TCP, address 9, red and green swapped.
    tagItemData* relay = core.AddItem(IT_SCREEN, u"relay", nullptr, screen);
    relay->Global.CommType = COMM_NETWORK;
    setText(relay->Global.Host, sizeof relay->Global.Host, "127.0.0.1");
    relay->Global.HostPort = peer.port();
    relay->Global.ID = 9;
    relay->Global.SwapRedGreen = 1;
    g.TargetScreen = relay;
    const tagGlobalInfo own = g;

    std::atomic<bool> done{false};
    std::atomic<long> reads{0}, changed{0};
    std::thread window([&] {
        while (!done.load()) {
            if (!sameLink(screen->Global, own))
                ++changed;
            ++reads;
        }
    });
    while (reads.load() == 0)
        std::this_thread::yield();
    const int programs = core.SendPrograms(screen);
    const int requests[] = {core.SendReset(screen), core.SendClearProg(screen), core.SendSwitch(screen, 1),
                            core.SendAdjustTime(screen, 5)};
    done = true;
    window.join();

    EXPECT_GT(programs, 0);
    for (const int rc : requests)
        EXPECT_EQ(rc, 4);
    EXPECT_EQ(changed.load(), 0);
    ASSERT_TRUE(controller.waitForBlocks(8));
    for (const sim::Block& b : controller.blocks())
        EXPECT_EQ(b.header.address, 9);
    EXPECT_TRUE(sameLink(screen->Global, own));
}
