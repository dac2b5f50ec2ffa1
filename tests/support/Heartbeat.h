#pragma once
// How well the interface thread answers: a timer asks every 10 ms from the
// construction on, and the widest gap between two of its runs is kept.
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace support {

// The longest a window may take to answer. Sanitizer builds run the
// interface several times slower and get more room, still under the 150 ms
// a late controller keeps its caller waiting, so a call made on the
// interface thread fails the bound in every build.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr qint64 kAnswerBoundMs = 140;
#else
inline constexpr qint64 kAnswerBoundMs = 100;
#endif

class Heartbeat {
public:
    Heartbeat()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_widest = std::max(m_widest, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    qint64 widestGapMs() const { return m_widest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_widest = 0;
};

} // namespace support
