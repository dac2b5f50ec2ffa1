#pragma once
// The one clock of the program: every time-out, pause and deadline of the
// core reads it. The product runs on the steady clock with their nominal
// waits; tests install a scaled clock so a 5000 ms time-out passes in 5 ms.
#include <chrono>

namespace platform {

class AutoResetEvent;

using Millis = std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint now() const;
    // The wall-clock time (controller time is set from it).
    virtual std::chrono::system_clock::time_point wallNow() const;
    // Sleeps for a nominal wait (as the clock measures it).
    virtual void sleep(Millis nominal) const;
    // Sleeps for a nominal wait unless `stop` is signalled first (the
    // signal is left set); false when it was.
    virtual bool sleepUnless(Millis nominal, const AutoResetEvent& stop) const;
    // The real duration of a nominal wait.
    virtual Millis realDuration(Millis nominal) const { return nominal; }
};

// Divides every wait by a factor; a non-zero wait never becomes zero.
class ScaledClock : public Clock {
public:
    explicit ScaledClock(int divisor) : m_divisor(divisor < 1 ? 1 : divisor) {}
    Millis realDuration(Millis nominal) const override;

private:
    int m_divisor;
};

// The clock in effect.
const Clock& clock();
// Installs a clock (not owned); null restores the steady clock.
void setClock(const Clock* clock);

// A point in time a nominal wait from now.
class Deadline {
public:
    Deadline() = default;   // already passed
    static Deadline after(Millis nominal);
    static Deadline after(int nominalMs) { return after(Millis(nominalMs < 0 ? 0 : nominalMs)); }
    bool passed() const;
    // Real milliseconds left, 0 once passed (for poll and friends).
    int remainingMs() const;

private:
    TimePoint m_at;
};

inline void sleepFor(int nominalMs) { clock().sleep(Millis(nominalMs < 0 ? 0 : nominalMs)); }

// Installs a scaled clock for the life of the object (tests).
class ScopedClockScale {
public:
    explicit ScopedClockScale(int divisor);
    ~ScopedClockScale();
    ScopedClockScale(const ScopedClockScale&) = delete;
    ScopedClockScale& operator=(const ScopedClockScale&) = delete;

private:
    ScaledClock m_clock;
    const Clock* m_previous;
};

} // namespace platform
