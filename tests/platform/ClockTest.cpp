// The one clock: scaling, deadlines, and putting the previous clock back.
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <thread>

using platform::Millis;

TEST(Clock, ScaledWaitsShrinkButNeverVanish)
{
    const platform::ScaledClock clock(100);
    EXPECT_EQ(clock.realDuration(Millis(5000)), Millis(50));
    EXPECT_EQ(clock.realDuration(Millis(20)), Millis(1));
    EXPECT_EQ(clock.realDuration(Millis(1)), Millis(1));
    EXPECT_EQ(clock.realDuration(Millis(0)), Millis(0));
    EXPECT_EQ(platform::ScaledClock(0).realDuration(Millis(7)), Millis(7));
}

TEST(Clock, DeadlinesFollowTheInstalledClock)
{
    const platform::Clock* before = &platform::clock();
    {
        platform::ScopedClockScale fast(1000);
        EXPECT_NE(&platform::clock(), before);
        const platform::Deadline d = platform::Deadline::after(5000);   // 5 ms real
        EXPECT_FALSE(d.passed());
        EXPECT_LE(d.remainingMs(), 5);
        std::this_thread::sleep_for(Millis(10));
        EXPECT_TRUE(d.passed());
        EXPECT_EQ(d.remainingMs(), 0);
        const auto start = std::chrono::steady_clock::now();
        platform::sleepFor(3000);   // 3 ms real
        EXPECT_LT(std::chrono::steady_clock::now() - start, Millis(500));
    }
    EXPECT_EQ(&platform::clock(), before);
    const platform::Deadline unscaled = platform::Deadline::after(5000);
    EXPECT_GT(unscaled.remainingMs(), 4000);
    EXPECT_TRUE(platform::Deadline().passed());
}
