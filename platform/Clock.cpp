#include "platform/Clock.h"
#include "platform/Event.h"

#include <atomic>
#include <thread>

namespace platform {

namespace {
const Clock g_steady;
std::atomic<const Clock*> g_clock{&g_steady};
}

TimePoint Clock::now() const { return std::chrono::steady_clock::now(); }

std::chrono::system_clock::time_point Clock::wallNow() const { return std::chrono::system_clock::now(); }

void Clock::sleep(Millis nominal) const
{
    const Millis real = realDuration(nominal);
    if (real.count() > 0)
        std::this_thread::sleep_for(real);
}

bool Clock::sleepUnless(Millis nominal, const AutoResetEvent& stop) const
{
    const Millis real = realDuration(nominal);
    return real.count() <= 0 ? !stop.isSet() : !stop.waitUntilSet(real);
}

Millis ScaledClock::realDuration(Millis nominal) const
{
    if (nominal.count() <= 0)
        return Millis(0);
    const auto scaled = nominal.count() / m_divisor;
    return Millis(scaled < 1 ? 1 : scaled);
}

const Clock& clock() { return *g_clock.load(); }

void setClock(const Clock* c) { g_clock.store(c ? c : &g_steady); }

Deadline Deadline::after(Millis nominal)
{
    const Clock& c = clock();
    Deadline d;
    d.m_at = c.now() + c.realDuration(nominal);
    return d;
}

bool Deadline::passed() const { return clock().now() >= m_at; }

int Deadline::remainingMs() const
{
    const auto left = std::chrono::duration_cast<Millis>(m_at - clock().now()).count();
    if (left <= 0)
        return 0;
    return left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
}

ScopedClockScale::ScopedClockScale(int divisor) : m_clock(divisor), m_previous(&clock())
{
    setClock(&m_clock);
}

ScopedClockScale::~ScopedClockScale() { setClock(m_previous); }

} // namespace platform
