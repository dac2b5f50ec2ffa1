// The program's central road through the real main window: a program list
// opened, its programs sent to the simulated controller over TCP, the
// status bar following the callbacks; a refusing, a silent controller and a
// cancel in the middle.
#include "FrameTestUtil.h"

#include "core/link/Commands.h"
#include "platform/Clock.h"
#include "support/Seams.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <mutex>

using frametest::FrameHarness;

namespace {

// Records every specified wait and sleeps a fiftieth of it.
class RecordingClock : public platform::ScaledClock {
public:
    RecordingClock() : ScaledClock(50) { platform::setClock(this); }
    ~RecordingClock() override { platform::setClock(nullptr); }
    void sleep(platform::Millis specified) const override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_waits.push_back(int(specified.count()));
        }
        ScaledClock::sleep(specified);
    }
    int count(int ms) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int(std::count(m_waits.begin(), m_waits.end(), ms));
    }

private:
    mutable std::mutex m_mutex;
    mutable std::vector<int> m_waits;
};

QString S(unsigned id)
{
    return platform::langString(id);
}

// Opens the program list as a new screen through the open command and points
// the screen at the controller.
tagItemData* openProgramList(FrameHarness& h, std::uint16_t port)
{
    support::SeamScope seams;
    const QString path = h.writeProgramList(QStringLiteral("Lobby"));
    h.list()->tree()->setCurrentItem(nullptr);
    seams.nextFileName(path);
    QTest::mouseClick(support::findByControlId<QToolButton>(h.frame->MainToolBar(), 32774), Qt::LeftButton);
    tagItemData* screen = h.core.GetScreen(0);
    if (!screen || QString::fromUtf16(screen->Name) != QStringLiteral("Lobby"))
        return nullptr;
    frametest::bindTcp(screen, port);
    h.list()->Select(screen);
    return screen;
}

void clickSend(FrameHarness& h)
{
    QTest::mouseClick(support::findByControlId<QToolButton>(h.frame->MainToolBar(), 32771), Qt::LeftButton);
}

} // namespace

TEST(SendRoad, AnOpenedProgramListReachesTheControllerInFourBlocks)
{
    RecordingClock clock;
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    tagItemData* screen = openProgramList(h, peer.port());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(h.frame->StatusText(2), S(44503));

    clickSend(h);
    ASSERT_TRUE(controller.waitForBlocks(4));
    const std::vector<sim::Block> got = controller.blocks();
    ASSERT_EQ(got.size(), 4u);
    const std::uint8_t commands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(got[std::size_t(i)].header.command, commands[i]);
    EXPECT_EQ(clock.count(200), 3);
    QTest::qWaitFor([&] { return h.frame->StatusText(1) == S(44000); }, 2000);
    EXPECT_EQ(h.frame->StatusText(1), S(44000));
    EXPECT_EQ(h.frame->StatusText(2), S(44019));
    EXPECT_TRUE(h.frame->isEnabled());
}

TEST(SendRoad, ARefusingControllerLeavesNoSuccessText)
{
    platform::ScopedClockScale faster(50);
    sim::SimController controller;
    sim::Faults refuse;
    refuse.refuseFrames = true;
    refuse.statusAfterFirst = 0xE5;
    controller.setFaults(refuse);
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    ASSERT_NE(openProgramList(h, peer.port()), nullptr);
    clickSend(h);
    QTest::qWait(20);
    EXPECT_FALSE(controller.blocks().empty());
    // The earlier blocks were taken; the program data's missing answer
    // shows nothing in the frame's own status bar (the task dialog says it).
    EXPECT_EQ(h.frame->StatusText(1), S(59150));
    EXPECT_EQ(h.frame->StatusText(2), S(59151));
    EXPECT_TRUE(h.frame->isEnabled());
}

TEST(SendRoad, ASilentControllerNeverAcknowledges)
{
    platform::ScopedClockScale faster(50);
    sim::SimController controller;
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    ASSERT_NE(openProgramList(h, peer.port()), nullptr);
    clickSend(h);
    QTest::qWait(20);
    EXPECT_FALSE(controller.blocks().empty());
    EXPECT_NE(h.frame->StatusText(2), S(44019));
    EXPECT_TRUE(h.frame->isEnabled());
}

TEST(SendRoad, ACancelInTheMiddleStopsTheTransfer)
{
    platform::ScopedClockScale slower(1);
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    ASSERT_NE(openProgramList(h, peer.port()), nullptr);
    // After the first block, during the first 200 ms pause.
    QTimer::singleShot(100, [] { CCore::TerminateComm(); });
    clickSend(h);
    QTest::qWait(100);
    EXPECT_LT(controller.blocks().size(), 4u);
    EXPECT_NE(h.frame->StatusText(2), S(44019));
    EXPECT_TRUE(h.frame->isEnabled());
}
