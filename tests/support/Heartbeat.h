#pragma once
// How well the interface thread answers: a timer asks every 10 ms from the
// construction on, and the widest gap between two of its runs is kept.
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

namespace support {

// The longest a window may take to answer.
inline constexpr qint64 kAnswerBoundMs = 100;

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

// Answer times are checked in the normal build. Sanitizer builds run the
// interface several times slower and share the machine with the whole
// suite, so there a gap is only recorded: the normal build measures, the
// sanitizer build checks memory.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAnswerTimesChecked = false;
#else
inline constexpr bool kAnswerTimesChecked = true;
#endif

#define EXPECT_ANSWERED(heartbeat)                                                                     \
    do {                                                                                               \
        ::testing::Test::RecordProperty("widest_gap_ms", int((heartbeat).widestGapMs()));              \
        if (::support::kAnswerTimesChecked) {                                                          \
            EXPECT_LT((heartbeat).widestGapMs(), ::support::kAnswerBoundMs);                           \
        }                                                                                              \
    } while (0)

} // namespace support
