// Scheduling of the players on the virtual clock, to the millisecond.
#include "PlayTestUtil.h"

#include <gtest/gtest.h>

using namespace preview;
using namespace previewtest;

namespace {

std::vector<std::uint64_t> range(std::uint64_t from, std::uint64_t step, int n)
{
    std::vector<std::uint64_t> v;
    for (int i = 0; i < n; ++i)
        v.push_back(from + step * static_cast<std::uint64_t>(i));
    return v;
}

// A section player on its own, looping.
struct SectionRun {
    explicit SectionRun(PlayFixture& f, tagItemData* section, VirtualClock& clock)
        : player(f.core, clock, f.random)
    {
        player.SetCanvas(&f.canvas);
        player.Attach(section);
        player.SetLoop(true);
        player.Start();
    }
    CPlayProgram player;
};

// Exposes the timer callback, to drive it as the timer thread would.
struct ProbeProgram : CPlayProgram {
    using CPlayProgram::CPlayProgram;
    using CPlayElement::OnTimer;
};

} // namespace

TEST(PlayEngine, EntryStayExitPhasesToTheMillisecond)
{
    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 64, 32));
    f.item(sec, {.in = 5, .inSpeed = 10, .stay = 2000, .out = 6, .outSpeed = 10});
    f.item(sec, {.in = 5, .inSpeed = 10, .stay = 2000, .out = 0});
    VirtualClock clock;
    SectionRun run(f, sec, clock);
    clock.runUntil(3280 + 640 + 2000 + 1);
    const void* p = clientOf(run.player);
    const auto ticks = clock.times(p, preview::TM_PLAY_TICK);
    ASSERT_GE(ticks.size(), 64u + 64u + 64u);
    // Entry: 64 steps at 10 ms; stay 2000; exit: 64 steps at 10 ms.
    EXPECT_EQ(std::vector<std::uint64_t>(ticks.begin(), ticks.begin() + 64), range(10, 10, 64));
    EXPECT_EQ(std::vector<std::uint64_t>(ticks.begin() + 64, ticks.begin() + 128), range(2650, 10, 64));
    const auto begins = clock.times(p, preview::TM_PLAY_BEGIN);
    ASSERT_GE(begins.size(), 4u);
    EXPECT_EQ(begins[0], 0u);
    EXPECT_EQ(begins[1], 2640u);   // exit phase
    EXPECT_EQ(begins[2], 3280u);   // next item
    // Without an exit the next item begins when the stay ends.
    EXPECT_EQ(begins[3], 3280u + 640u + 2000u);
}

TEST(PlayEngine, PagesRepeatEntryAndStayByEffectCode)
{
    EXPECT_EQ(pageCountFor(1, 3, 2), 2);
    EXPECT_EQ(pageCountFor(2, 3, 2), 2);
    EXPECT_EQ(pageCountFor(3, 3, 2), 3);
    EXPECT_EQ(pageCountFor(4, 3, 2), 3);
    EXPECT_EQ(pageCountFor(5, 3, 2), 6);
    EXPECT_EQ(pageCountFor(43, 3, 2), 6);
    EXPECT_EQ(pageCountFor(44, 3, 2), 1);
    EXPECT_EQ(pageCountFor(79, 3, 2), 1);
    EXPECT_EQ(pageOrigin(5, 4, 3, 64, 32), QPoint(64, 32));
    EXPECT_EQ(pageOrigin(1, 1, 3, 64, 32), QPoint(0, 32));
    EXPECT_EQ(pageOrigin(3, 2, 3, 64, 32), QPoint(128, 0));

    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 64, 32));
    f.item(sec, {.in = 5, .inSpeed = 1, .stay = 100, .contentW = 3 * 64 - 10});
    VirtualClock clock;
    SectionRun run(f, sec, clock);
    clock.runUntil(3 * (64 + 100));
    // Three pages of entry and stay, then the (only) item starts again.
    EXPECT_EQ(clock.times(clientOf(run.player), preview::TM_PLAY_BEGIN), (std::vector<std::uint64_t>{0, 164, 328, 492}));
}

TEST(PlayEngine, LiveCodesAndBlinkTiming)
{
    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 64, 32));
    f.item(sec, {.in = 44, .inSpeed = 25, .stay = 2000});
    f.item(sec, {.in = 40, .inSpeed = 300, .stay = 2000});
    f.item(sec, {.in = 40, .inSpeed = 300, .stay = 250});   // shorter than a period: not drawn
    f.item(sec, {.in = 46, .inSpeed = 300, .stay = 250});   // live: one step
    VirtualClock clock;
    SectionRun run(f, sec, clock);
    clock.runUntil(2001 + 1800 + 1 + 300 + 1);
    const void* p = clientOf(run.player);
    const auto ticks = clock.times(p, preview::TM_PLAY_TICK);
    const auto begins = clock.times(p, preview::TM_PLAY_BEGIN);
    ASSERT_GE(begins.size(), 4u);
    EXPECT_EQ(std::vector<std::uint64_t>(ticks.begin(), ticks.begin() + 10), range(200, 200, 10));
    EXPECT_EQ(begins[1], 2001u);   // the clock's phase stay is 1 ms
    EXPECT_EQ(std::vector<std::uint64_t>(ticks.begin() + 10, ticks.begin() + 16), range(2301, 300, 6));
    EXPECT_EQ(begins[2], 2001u + 1800u + 1u);
    EXPECT_EQ(begins[3], begins[2]);   // blink without a step passes at once
    ASSERT_EQ(ticks.size(), 17u);
    EXPECT_EQ(ticks[16], begins[3] + 300);
}

TEST(PlayEngine, TimerLimitsAndDroppedTicks)
{
    EXPECT_EQ(CMultimediaTimer::EffectiveDelay(0), 1u);
    EXPECT_EQ(CMultimediaTimer::EffectiveDelay(5'000'000), 1'000'000u);
    unsigned v = 40;
    CMultimediaTimer::HalveValue(v);
    EXPECT_EQ(v, 20u);
    CMultimediaTimer::DoubleValue(v);
    EXPECT_EQ(v, 40u);

    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 64, 32));
    f.item(sec, {.in = 5, .inSpeed = 0, .stay = 10});
    VirtualClock clock;
    ProbeProgram player(f.core, clock, f.random);
    player.SetCanvas(&f.canvas);
    player.Attach(sec);
    player.Start();
    clock.runUntil(0);
    // Speed 0 steps at the timer's resolution.
    clock.runUntil(3);
    EXPECT_EQ(clock.times(clientOf(player), preview::TM_PLAY_TICK), (std::vector<std::uint64_t>{1, 2, 3}));
    // A tick while one is still queued is dropped.
    player.OnTimer();
    player.OnTimer();
    EXPECT_EQ(player.DroppedTicks(), 1u);
}

TEST(PlayEngine, PauseInStayRestartsTheStayInFull)
{
    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 64, 32));
    f.item(sec, {.in = 0, .inSpeed = 10, .stay = 2000});
    VirtualClock clock;
    SectionRun run(f, sec, clock);
    clock.runUntil(1000);   // entry at 10, stay until 2010
    EXPECT_TRUE(run.player.Pause());
    EXPECT_TRUE(run.player.Pause());   // already paused
    clock.runUntil(5000);
    EXPECT_TRUE(run.player.IsPaused());
    EXPECT_TRUE(clock.times(clientOf(run.player), preview::TM_PLAY_DONE).empty());
    EXPECT_TRUE(run.player.Resume());
    EXPECT_FALSE(run.player.Resume());   // not paused
    clock.runUntil(8000);
    EXPECT_EQ(clock.times(clientOf(run.player), preview::TM_PLAY_DONE).front(), 7000u);
}

TEST(PlayEngine, BorderStepCountsPerMotionMode)
{
    // A 64 x 32 rectangle with a frame 1 wide has a perimeter of 184.
    int band = 0;
    EXPECT_EQ(CPlayBorder::StepsFor(0, 184, 10, &band), 1u);
    EXPECT_EQ(CPlayBorder::StepsFor(1, 184, 10, &band), 16u);
    EXPECT_EQ(CPlayBorder::StepsFor(2, 184, 10, &band), 190u);
    EXPECT_EQ(CPlayBorder::StepsFor(3, 184, 10, &band), 190u);
    EXPECT_EQ(CPlayBorder::StepsFor(4, 184, 10, &band), 442u);
    EXPECT_EQ(band, 15);
    EXPECT_EQ(CPlayBorder::StepsFor(5, 184, 10, &band), 442u);
    // A pattern of no length stands still rather than dividing by zero.
    EXPECT_EQ(CPlayBorder::StepsFor(2, 184, 0, &band), 1u);
}

namespace {

// A screen with a global scene and normal scenes, played by the controller.
struct ControlRun {
    explicit ControlRun(PlayFixture& f, tagItemData* first)
        : control(f.core, clock, f.random)
    {
        control.SetCanvas(&f.canvas);
        control.SetScene(first, first);
    }
    void start()
    {
        control.Start();
        clock.runUntil(0);
    }
    std::vector<std::uint64_t> sceneChanges() const
    {
        return clock.times(clientOf(control), preview::TM_PLAY_NEXTSCENE);
    }
    VirtualClock clock;
    CPlayControl control;
};

} // namespace

TEST(PlayControl, PlayOnceEndsWhenAllSectionsFinished)
{
    PlayFixture f;
    tagItemData* a = f.scene(static_cast<std::int32_t>(0xFFFF0000u));
    tagItemData* s1 = f.section(a, QRect(0, 0, 32, 32));
    for (int i = 0; i < 3; ++i)
        f.item(s1, {.in = 0, .inSpeed = 10, .stay = 1000});
    tagItemData* s2 = f.section(a, QRect(32, 0, 32, 32));
    f.item(s2, {.in = 0, .inSpeed = 10, .stay = 500});
    tagItemData* b = f.scene(-1);
    f.item(f.section(b, QRect(0, 0, 64, 32)), {.stay = 100});
    ControlRun run(f, a);
    run.start();
    EXPECT_EQ(run.control.CurrentScene(), a);
    run.clock.runUntil(5000);
    // Three items of 1010 ms each; the shorter section does not end the scene.
    ASSERT_EQ(run.sceneChanges().size(), 1u);
    EXPECT_EQ(run.sceneChanges()[0], 3030u);
    EXPECT_EQ(run.control.CurrentScene(), b);
    run.control.Stop();
}

TEST(PlayControl, ForeverSceneStaysAndWrapsToItself)
{
    PlayFixture f;
    tagItemData* g = f.scene(-1, IT_GLOBALSCENE);
    f.item(f.section(g, QRect(0, 0, 16, 8)), {.stay = 50});
    tagItemData* a = f.scene(-1);
    tagItemData* s = f.section(a, QRect(16, 0, 48, 32));
    f.item(s, {.stay = 100});
    ControlRun run(f, a);
    run.start();
    const std::uint32_t globalGeneration = run.control.Player(0).Generation();
    run.clock.runUntil(60'000);
    EXPECT_TRUE(run.sceneChanges().empty());
    EXPECT_GT(run.clock.times(clientOf(run.control.Player(1)), preview::TM_PLAY_BEGIN).size(), 100u);
    EXPECT_EQ(run.control.GlobalPlayers(), 1);
    EXPECT_EQ(run.control.PlayersInUse(), 2);

    // Timed: the scene ends on its timer and, being the only normal scene,
    // begins again; the global player plays on untouched.
    a->PlayTime = 5000;
    ControlRun timed(f, a);
    timed.start();
    const std::uint32_t g0 = timed.control.Player(0).Generation();
    timed.clock.runUntil(12'000);
    EXPECT_EQ(timed.sceneChanges(), (std::vector<std::uint64_t>{5000, 10000}));
    EXPECT_EQ(timed.control.CurrentScene(), a);
    EXPECT_EQ(timed.control.Player(0).Generation(), g0);
    EXPECT_NE(globalGeneration, 0u);
    timed.control.Stop();
    run.control.Stop();
}

TEST(PlayControl, StaleSceneTimerNeverCutsTheNextSceneShort)
{
    PlayFixture f;
    tagItemData* a = f.scene(5000);   // timed, but nothing to play: ends at once
    tagItemData* b = f.scene(static_cast<std::int32_t>(0xFFFF0000u));
    f.item(f.section(b, QRect(0, 0, 64, 32)), {.in = 0, .inSpeed = 10, .stay = 8000});
    ControlRun run(f, a);
    run.start();
    run.clock.runUntil(7000);
    ASSERT_EQ(run.sceneChanges().size(), 1u);
    EXPECT_EQ(run.sceneChanges()[0], 1u);
    EXPECT_EQ(run.control.CurrentScene(), b);
    run.clock.runUntil(8011);
    EXPECT_EQ(run.sceneChanges().size(), 2u);
    EXPECT_EQ(run.sceneChanges()[1], 8011u);
    run.control.Stop();
}

TEST(PlayControl, DoneFromADetachedPlayerIsIgnored)
{
    PlayFixture f;
    tagItemData* a = f.scene(static_cast<std::int32_t>(0xFFFF0000u));
    f.item(f.section(a, QRect(0, 0, 64, 32)), {.in = 0, .inSpeed = 10, .stay = 100});
    tagItemData* b = f.scene(static_cast<std::int32_t>(0xFFFF0000u));
    f.item(f.section(b, QRect(0, 0, 64, 32)), {.in = 0, .inSpeed = 10, .stay = 5000});
    ControlRun run(f, a);
    run.start();
    const std::uint32_t old = run.control.Player(0).Generation();
    run.clock.runUntil(200);
    ASSERT_EQ(run.control.CurrentScene(), b);
    // A finished notice of scene a's attachment arrives late.
    run.control.Post(preview::PlayDone::make(old, &run.control.Player(0)));
    run.clock.runUntil(1000);
    EXPECT_EQ(run.control.CurrentScene(), b);
    EXPECT_EQ(run.sceneChanges().size(), 1u);
    run.control.Stop();
}

TEST(PlayControl, PlayersInUseCountsGlobalsWithoutSceneSections)
{
    PlayFixture f;
    tagItemData* g = f.scene(-1, IT_GLOBALSCENE);
    f.item(f.section(g, QRect(0, 0, 32, 8)), {.stay = 50});
    f.section(g, QRect(32, 0, 32, 8));   // no items: not played
    f.item(f.section(g, QRect(0, 8, 32, 8)), {.stay = 50});
    tagItemData* a = f.scene(-1);
    ControlRun run(f, g);
    // Opening from the global scene plays the first normal scene.
    run.control.SetScene(g, g->NextSibling);
    run.start();
    EXPECT_EQ(run.control.CurrentScene(), a);
    EXPECT_EQ(run.control.GlobalPlayers(), 2);
    EXPECT_EQ(run.control.PlayersInUse(), 2);
    run.control.Stop();
}

TEST(PlayControl, OnlyOneBorderMovesAndPauseReachesEveryPlayer)
{
    PlayFixture f;
    auto movingBorder = [&](tagItemData* node) {
        f.core.SetItemFrame(node, 1);
        DynFrame* frame = *FrameSlotOf(node);
        DynFrameElement* e = f.core.AddFrameElement(0, u"run", frame, nullptr);
        e->Motion = 2;
        e->Period = 10;
        e->Speed = 20;
    };
    tagItemData* g = f.scene(-1, IT_GLOBALSCENE);
    tagItemData* gs = f.section(g, QRect(0, 0, 32, 16));
    f.item(gs, {.stay = 500});
    movingBorder(gs);
    tagItemData* a = f.scene(-1);
    tagItemData* s = f.section(a, QRect(32, 0, 32, 16));
    f.item(s, {.stay = 500});
    movingBorder(s);
    ASSERT_EQ(f.core.HasMotiveBorder(gs), 1);
    ControlRun run(f, a);
    run.start();
    EXPECT_TRUE(run.control.Player(0).HasMovingBorder());
    EXPECT_FALSE(run.control.Player(1).HasMovingBorder());
    EXPECT_EQ(run.control.BordersInUse(), 1);
    // The border that does not move is drawn once, at its item's start.
    const QImage content = f.canvas.contentCopy();
    int lit = 0;
    for (int x = 32; x < 64; ++x)
        lit += content.pixel(x, 0) != 0xFF000000u;
    EXPECT_GT(lit, 0);
    EXPECT_EQ(content.pixel(40, 8), 0xFF000000u);   // the item has not entered yet
    run.clock.runUntil(1000);
    EXPECT_GE(run.clock.times(clientOf(run.control.Player(0).Border()), preview::TM_PLAY_TICK).size(), 40u);

    // Pausing the controller pauses every player in use; resuming resumes them.
    run.control.Pause();
    run.clock.runUntil(1001);
    EXPECT_TRUE(run.control.Player(0).IsPaused());
    EXPECT_TRUE(run.control.Player(1).IsPaused());
    const auto before = run.clock.trace().size();
    run.clock.runUntil(3000);
    EXPECT_EQ(run.clock.trace().size(), before);
    run.control.Resume();
    EXPECT_FALSE(run.control.Player(1).IsPaused());
    run.control.Stop();
    EXPECT_FALSE(run.control.Player(0).IsActive());
    EXPECT_FALSE(run.control.Player(0).Border().IsActive());
}

TEST(PlayControl, ImpossibleValuesPlayWithoutHarm)
{
    PlayFixture f;
    tagItemData* a = f.scene(static_cast<std::int32_t>(0xFFFF0000u));
    tagItemData* outside = f.section(a, QRect(60000, 60000, 500, 500));
    f.item(outside, {.in = 200, .inSpeed = 0, .stay = -7, .out = 255, .outSpeed = 0});
    tagItemData* empty = f.section(a, QRect(0, 0, 0, 0));
    f.item(empty, {.in = 5, .stay = 1});
    tagItemData* huge = f.section(a, QRect(0, 0, 8, 4));
    tagItemData* big = f.item(huge, {.in = 19, .inSpeed = 0, .stay = 1, .out = 13});
    big->Item.ContentW = 0xFFFFFFFFu;
    big->Item.ContentH = 0xFFFFFFFFu;
    f.core.SetItemFrame(huge, 1);
    DynFrameElement* e = f.core.AddFrameElement(0, u"still", *FrameSlotOf(huge), nullptr);
    e->Motion = 255;
    e->Period = 0;
    e->Speed = 0;
    tagItemData* b = f.scene(-1);
    f.item(f.section(b, QRect(0, 0, 64, 32)), {.stay = 10});
    ControlRun run(f, a);
    run.start();
    run.clock.runUntil(3000);
    EXPECT_GT(run.clock.trace().size(), 100u);
    run.control.Stop();
    EXPECT_FALSE(run.control.IsActive());
}
