// A player loop on a thread of its own, paced by a steady-clock timer that is
// checked between messages, so the timer and the loop never race.
#include "app/preview/PlayLoop.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace preview {
namespace {

using Clock = std::chrono::steady_clock;

class ThreadLoop final : public PlayLoop {
public:
    explicit ThreadLoop(PlayLoopClient& client) : m_client(client) {}
    ~ThreadLoop() override { stop(); }

    bool start() override
    {
        if (m_active.load())
            return true;
        if (m_thread.joinable())
            m_thread.join();   // a loop that left by itself
        {
            std::lock_guard lock(m_mutex);
            m_running = true;
            m_quit = false;
            m_ready = false;
            m_queue.clear();
        }
        m_armed = false;
        m_active.store(true);
        try {
            m_thread = std::thread([this] { run(); });
        } catch (const std::system_error&) {
            m_active.store(false);
            return false;
        }
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_ready; });
        return true;
    }

    bool isActive() const override { return m_active.load(); }

    bool isPaused() const override
    {
        std::lock_guard lock(m_mutex);
        return m_active.load() && !m_running;
    }

    bool pause() override
    {
        {
            std::lock_guard lock(m_mutex);
            if (!m_active.load())
                return false;
            if (!m_running)
                return true;
            m_running = false;
        }
        post(preview::PlayPause::make());
        return true;
    }

    bool resume() override
    {
        std::lock_guard lock(m_mutex);
        if (!m_active.load() || m_running)
            return false;
        m_running = true;
        m_cv.notify_all();
        return true;
    }

    bool stop() override
    {
        if (!m_thread.joinable())
            return true;
        {
            std::lock_guard lock(m_mutex);
            m_running = true;
            m_quit = true;
            m_cv.notify_all();
        }
        m_thread.join();
        return true;
    }

    void post(const preview::PlayMessage& message) override
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(message);
        m_cv.notify_all();
    }

    void setTimer(unsigned delay, bool periodic) override
    {
        m_period = std::chrono::milliseconds(delay);
        m_periodic = periodic;
        m_deadline = Clock::now() + m_period;
        m_armed = true;
    }

    void killTimer() override { m_armed = false; }

private:
    void run()
    {
        {
            std::lock_guard lock(m_mutex);
            m_ready = true;
            m_cv.notify_all();
        }
        m_client.loopStarted();
        for (;;) {
            preview::PlayMessage message;
            bool fire = false;
            {
                std::unique_lock lock(m_mutex);
                for (;;) {
                    if (m_quit)
                        break;
                    if (m_armed && Clock::now() >= m_deadline) {
                        fire = true;
                        break;
                    }
                    if (!m_queue.empty())
                        break;
                    if (m_armed)
                        m_cv.wait_until(lock, m_deadline);
                    else
                        m_cv.wait(lock);
                }
                if (m_quit)
                    break;
                if (!fire) {
                    message = m_queue.front();
                    m_queue.pop_front();
                }
            }
            if (fire) {
                fireTimer();
                continue;
            }
            if (message.id == preview::TM_PLAY_PAUSE) {
                m_client.loopPauseBegin();
                {
                    std::unique_lock lock(m_mutex);
                    m_cv.wait(lock, [this] { return m_running || m_quit; });
                }
                m_client.loopPauseEnd();
                continue;
            }
            if (!m_client.loopMessage(message))
                break;
        }
        m_armed = false;
        m_client.loopEnded();
        m_active.store(false);
    }

    // Every period that passed counts as one firing; the client drops those
    // that find a tick still pending.
    void fireTimer()
    {
        const Clock::time_point now = Clock::now();
        if (!m_periodic) {
            m_armed = false;
            m_client.loopTimer();
            return;
        }
        int missed = 0;
        while (m_armed && m_deadline <= now && missed < 1000) {
            m_deadline += m_period.count() > 0 ? m_period : std::chrono::milliseconds(1);
            m_client.loopTimer();
            ++missed;
        }
        if (m_armed && m_deadline <= now)
            m_deadline = now + m_period;
    }

    PlayLoopClient& m_client;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<preview::PlayMessage> m_queue;   // guarded by m_mutex
    bool m_running = true;             // guarded by m_mutex
    bool m_quit = false;               // guarded by m_mutex
    bool m_ready = false;              // guarded by m_mutex
    std::atomic<bool> m_active{false};
    // The timer: the loop's thread only.
    bool m_armed = false;
    bool m_periodic = false;
    std::chrono::milliseconds m_period{0};
    Clock::time_point m_deadline;
};

class ThreadHost final : public PlayHost {
public:
    std::unique_ptr<PlayLoop> makeLoop(PlayLoopClient& client, const char*) override
    {
        return std::make_unique<ThreadLoop>(client);
    }
};

}

PlayHost& threadHost()
{
    static ThreadHost host;
    return host;
}

}
