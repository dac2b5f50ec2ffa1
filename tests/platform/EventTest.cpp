#include "platform/Event.h"
#include <gtest/gtest.h>
#include <thread>

using namespace platform;
using namespace std::chrono_literals;

TEST(AutoResetEvent, ResetsAfterOneWait)
{
    AutoResetEvent ev;
    EXPECT_FALSE(ev.tryWait());
    ev.set();
    EXPECT_TRUE(ev.isSet());
    EXPECT_TRUE(ev.tryWait());
    EXPECT_FALSE(ev.tryWait());
    ev.set();
    ev.reset();
    EXPECT_FALSE(ev.wait(5ms));
    AutoResetEvent initially(true);
    EXPECT_TRUE(initially.wait(0ms));
    EXPECT_FALSE(initially.isSet());
}

TEST(AutoResetEvent, WakesAWaiterOnAnotherThread)
{
    AutoResetEvent ev;
    std::thread t([&] {
        std::this_thread::sleep_for(20ms);
        ev.set();
    });
    EXPECT_TRUE(ev.wait(5000ms));
    t.join();
    EXPECT_FALSE(ev.isSet());
}
