#pragma once
// A small auto-reset event: set() wakes one waiter (or the next one to
// come) and a successful wait resets it again.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform {

class AutoResetEvent {
public:
    explicit AutoResetEvent(bool initiallySet = false) : m_set(initiallySet) {}
    AutoResetEvent(const AutoResetEvent&) = delete;
    AutoResetEvent& operator=(const AutoResetEvent&) = delete;

    void set();
    void reset();
    // True when the event was signalled within the time-out; the signal is consumed.
    bool wait(std::chrono::milliseconds timeout);
    // Zero-wait poll: true (and reset) when signalled.
    bool tryWait();
    bool isSet() const;
    // Waits until signalled or the time-out passed, leaving the signal for
    // whoever consumes it; true when signalled.
    bool waitUntilSet(std::chrono::milliseconds timeout) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cond;
    bool m_set;
};

} // namespace platform
