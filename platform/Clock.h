#pragma once
// The one clock of the program: every time-out, pause and deadline of the
// core reads it. The product runs on the steady clock with the specified
// waits; tests install a scaled clock so a 5000 ms time-out passes in 5 ms.
#include <chrono>

namespace platform {

using Millis = std::chrono::milliseconds;
using TimePoint = std::chrono::steady_clock::time_point;

class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint now() const;
    // The wall-clock time (controller time is set from it).
    virtual std::chrono::system_clock::time_point wallNow() const;
    // Sleeps for a specified wait (as the clock measures it).
    virtual void sleep(Millis specified) const;
    // The real duration of a specified wait.
    virtual Millis realDuration(Millis specified) const { return specified; }
};

// Divides every wait by a factor; a non-zero wait never becomes zero.
class ScaledClock : public Clock {
public:
    explicit ScaledClock(int divisor) : m_divisor(divisor < 1 ? 1 : divisor) {}
    Millis realDuration(Millis specified) const override;

private:
    int m_divisor;
};

// The clock in effect.
const Clock& clock();
// Installs a clock (not owned); null restores the steady clock.
void setClock(const Clock* clock);

// A point in time a specified wait from now.
class Deadline {
public:
    Deadline() = default;   // already passed
    static Deadline after(Millis specified);
    static Deadline after(int specifiedMs) { return after(Millis(specifiedMs < 0 ? 0 : specifiedMs)); }
    bool passed() const;
    // Real milliseconds left, 0 once passed (for poll and friends).
    int remainingMs() const;

private:
    TimePoint m_at;
};

inline void sleepFor(int specifiedMs) { clock().sleep(Millis(specifiedMs < 0 ? 0 : specifiedMs)); }

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
