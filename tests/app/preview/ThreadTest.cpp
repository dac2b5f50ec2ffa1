// The players on real threads: start, pause, resume, stop, and closing in
// the middle of an effect or a scene change, with no worker left behind.
#include "PlayTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace preview;
using namespace previewtest;

namespace {

bool allStopped(CPlayControl& c)
{
    if (c.IsActive() || c.ScenePlayer().IsActive())
        return false;
    for (int i = 0; i < CPlayControl::kPlayers; ++i)
        if (c.Player(i).IsActive() || c.Player(i).Border().IsActive())
            return false;
    return true;
}

template <typename F>
bool waitFor(F f, int ms = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (f())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return f();
}

void busyScreen(PlayFixture& f, std::int32_t playMode)
{
    tagItemData* g = f.scene(-1, IT_GLOBALSCENE);
    f.item(f.section(g, QRect(0, 0, 16, 8)), {.in = 1, .inSpeed = 1, .stay = 5});
    tagItemData* a = f.scene(playMode);
    tagItemData* s = f.section(a, QRect(16, 0, 48, 32));
    f.item(s, {.in = 21, .inSpeed = 1, .stay = 3, .out = 2, .outSpeed = 1});
    f.item(s, {.in = 13, .inSpeed = 2, .stay = 3, .out = 14, .outSpeed = 1});
    tagItemData* b = f.scene(playMode);
    f.item(f.section(b, QRect(0, 8, 16, 24)), {.in = 5, .inSpeed = 1, .stay = 2});
}

} // namespace

TEST(PlayThreads, StartPauseResumeStop)
{
    PlayFixture f;
    busyScreen(f, -1);
    CPlayControl control(f.core, threadHost(), f.random);
    control.SetCanvas(&f.canvas);
    tagItemData* first = f.screen->FirstChild->NextSibling;
    control.SetScene(first, first);
    ASSERT_TRUE(control.Start());
    EXPECT_TRUE(control.Start());   // running: nothing happens
    ASSERT_TRUE(waitFor([&] { return control.Player(1).IsActive() && control.Player(1).FiredTicks() > 20; }));
    EXPECT_TRUE(control.Pause());
    ASSERT_TRUE(waitFor([&] { return control.Player(1).IsPaused(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const QImage still = f.canvas.contentCopy();
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_EQ(f.canvas.contentCopy(), still);
    EXPECT_TRUE(control.Resume());
    const auto fired = control.Player(1).FiredTicks();
    EXPECT_TRUE(waitFor([&] { return control.Player(1).FiredTicks() > fired + 10; }));
    EXPECT_TRUE(control.Stop());
    EXPECT_TRUE(allStopped(control));
}

TEST(PlayThreads, StopInTheMiddleOfEffectsAndSceneChanges)
{
    for (int round = 0; round < 20; ++round) {
        PlayFixture f;
        busyScreen(f, 3);   // a new scene every 3 ms
        CPlayControl control(f.core, threadHost(), f.random);
        control.SetCanvas(&f.canvas);
        tagItemData* first = f.screen->FirstChild->NextSibling;
        control.SetScene(first, first);
        ASSERT_TRUE(control.Start());
        std::this_thread::sleep_for(std::chrono::milliseconds(round % 7));
        if (round % 3 == 0)
            control.Pause();
        EXPECT_TRUE(control.Stop());
        EXPECT_TRUE(allStopped(control)) << round;
    }
}

TEST(PlayThreads, ScenesAdvanceOnRealTimers)
{
    PlayFixture f;
    busyScreen(f, 30);
    CPlayControl control(f.core, threadHost(), f.random);
    control.SetCanvas(&f.canvas);
    tagItemData* first = f.screen->FirstChild->NextSibling;
    control.SetScene(first, first);
    ASSERT_TRUE(control.Start());
    EXPECT_TRUE(waitFor([&] { return control.Player(0).FiredTicks() > 50; }));
    control.Stop();
    // The destructor of a stopped controller has nothing left to wait for.
    EXPECT_TRUE(allStopped(control));
}
