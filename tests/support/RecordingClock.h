#pragma once
// The link layer's clock for a test: its waits run `divisor` times faster,
// and it keeps every wait asked for at its nominal length (from any thread).
// It is the clock for as long as it lives.
#include "platform/Clock.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace support {

class RecordingClock : public platform::ScaledClock {
public:
    explicit RecordingClock(int divisor = 50) : ScaledClock(divisor) { platform::setClock(this); }
    ~RecordingClock() override { platform::setClock(nullptr); }
    RecordingClock(const RecordingClock&) = delete;
    RecordingClock& operator=(const RecordingClock&) = delete;

    void sleep(platform::Millis nominal) const override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_waits.push_back(int(nominal.count()));
        }
        ScaledClock::sleep(nominal);
    }
    bool sleepUnless(platform::Millis nominal, const platform::AutoResetEvent& stop) const override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_waits.push_back(int(nominal.count()));
        }
        return ScaledClock::sleepUnless(nominal, stop);
    }
    // How many waits of `ms` were asked for.
    int count(int ms) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int(std::count(m_waits.begin(), m_waits.end(), ms));
    }

private:
    mutable std::mutex m_mutex;
    mutable std::vector<int> m_waits;
};

} // namespace support
