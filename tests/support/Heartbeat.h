#pragma once
// How well the interface thread answers: a timer asks every 10 ms from the
// construction on, and the widest gap between two of its runs is kept. The
// time the thread stood ready while the machine ran other work is taken out
// of each gap (the kernel counts it per thread), so a loaded machine does
// not pass for a slow window.
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>

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
            const qint64 waited = readyWaitMs();
            m_widest = std::max(m_widest, now - m_last - (waited - m_lastWaited));
            m_widestWall = std::max(m_widestWall, now - m_last);
            m_last = now;
            m_lastWaited = waited;
        });
        m_lastWaited = readyWaitMs();
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    qint64 widestGapMs() const { return m_widest; }
    // The same, with the machine's own delays left in.
    qint64 widestWallGapMs() const { return m_widestWall; }

private:
    // Time this thread has stood ready to run, 0 where the kernel keeps no count.
    static qint64 readyWaitMs()
    {
        std::FILE* f = std::fopen("/proc/thread-self/schedstat", "r");
        if (!f)
            return 0;
        unsigned long long ran = 0, waited = 0;
        const int read = std::fscanf(f, "%llu %llu", &ran, &waited);
        std::fclose(f);
        return read == 2 ? qint64(waited / 1000000) : 0;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_lastWaited = 0;
    qint64 m_widest = 0;
    qint64 m_widestWall = 0;
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
        ::testing::Test::RecordProperty("widest_wall_gap_ms", int((heartbeat).widestWallGapMs()));     \
        if (::support::kAnswerTimesChecked) {                                                          \
            EXPECT_LT((heartbeat).widestGapMs(), ::support::kAnswerBoundMs);                           \
        }                                                                                              \
    } while (0)

} // namespace support
