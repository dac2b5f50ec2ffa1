#include "VirtualClock.h"

#include <algorithm>
#include <limits>

namespace previewtest {

using preview::PlayMessage;

class VirtualLoop final : public preview::PlayLoop {
public:
    VirtualLoop(VirtualClock& clock, preview::PlayLoopClient& client, const char* name)
        : m_clock(clock), m_client(client), m_name(name)
    {
    }
    ~VirtualLoop() override
    {
        stop();
        auto& all = m_clock.m_all;
        all.erase(std::remove(all.begin(), all.end(), this), all.end());
    }

    bool start() override
    {
        if (m_active)
            return true;
        m_active = true;
        m_running = true;
        m_blocked = false;
        m_armed = false;
        m_queue.clear();
        m_queue.push_back({m_clock.m_seq++, {kStart, 0, 0}});
        return true;
    }
    bool isActive() const override { return m_active; }
    bool isPaused() const override { return m_active && !m_running; }
    bool pause() override
    {
        if (!m_active)
            return false;
        if (!m_running)
            return true;
        m_running = false;
        post(preview::PlayPause::make());
        return true;
    }
    bool resume() override
    {
        if (!m_active || m_running)
            return false;
        m_running = true;
        if (m_blocked) {
            m_blocked = false;
            m_client.loopPauseEnd();
        }
        return true;
    }
    bool stop() override
    {
        if (!m_active)
            return true;
        m_running = true;
        if (m_blocked) {
            m_blocked = false;
            m_client.loopPauseEnd();
        }
        end();
        return true;
    }
    void post(const preview::PlayMessage& m) override
    {
        if (m_active)
            m_queue.push_back({m_clock.m_seq++, m});
    }
    void setTimer(unsigned delay, bool periodic) override
    {
        m_armed = true;
        m_periodic = periodic;
        m_period = delay;
        m_deadline = m_clock.m_now + delay;
    }
    void killTimer() override { m_armed = false; }

    // Scheduler side.
    bool ready() const { return m_active && !m_blocked && !m_queue.empty(); }
    std::uint64_t frontSeq() const { return m_queue.front().seq; }
    bool timerDue(std::uint64_t& when) const
    {
        if (!m_active || m_blocked || !m_armed)
            return false;
        when = m_deadline;
        return true;
    }
    void deliver()
    {
        const preview::PlayMessage m = m_queue.front().message;
        m_queue.pop_front();
        m_clock.m_trace.push_back({m_clock.m_now, m_name, &m_client, m.id == kStart ? 0u : m.id});
        if (m.id == kStart) {
            m_client.loopStarted();
            return;
        }
        if (m.id == preview::TM_PLAY_PAUSE) {
            m_client.loopPauseBegin();
            if (m_running)
                m_client.loopPauseEnd();
            else
                m_blocked = true;
            return;
        }
        if (!m_client.loopMessage(m))
            end();
    }
    void fire()
    {
        m_clock.m_trace.push_back({m_clock.m_now, m_name, &m_client, 1});
        if (m_periodic)
            m_deadline += std::max(1u, m_period);
        else
            m_armed = false;
        m_client.loopTimer();
    }

private:
    static constexpr unsigned kStart = 0xFFFFFFFFu;
    void end()
    {
        m_armed = false;
        m_queue.clear();
        m_active = false;   // before the client ends, so a stop from within returns
        m_client.loopEnded();
        m_queue.clear();
    }

    VirtualClock& m_clock;
    preview::PlayLoopClient& m_client;
    std::string m_name;
    struct Item {
        std::uint64_t seq;
        preview::PlayMessage message;
    };
    std::deque<Item> m_queue;
    bool m_active = false;
    bool m_running = true;
    bool m_blocked = false;
    bool m_armed = false;
    bool m_periodic = false;
    unsigned m_period = 0;
    std::uint64_t m_deadline = 0;
};

std::unique_ptr<preview::PlayLoop> VirtualClock::makeLoop(preview::PlayLoopClient& client, const char* name)
{
    auto loop = std::make_unique<VirtualLoop>(*this, client, name);
    m_all.push_back(loop.get());
    return loop;
}

bool VirtualClock::deliverOne()
{
    VirtualLoop* best = nullptr;
    for (VirtualLoop* l : m_all)
        if (l->ready() && (!best || l->frontSeq() < best->frontSeq()))
            best = l;
    if (!best)
        return false;
    best->deliver();
    return true;
}

void VirtualClock::runUntil(std::uint64_t time)
{
    for (int guard = 0; guard < 50'000'000; ++guard) {
        if (deliverOne())
            continue;
        VirtualLoop* next = nullptr;
        std::uint64_t when = std::numeric_limits<std::uint64_t>::max();
        for (VirtualLoop* l : m_all) {
            std::uint64_t t;
            if (l->timerDue(t) && t < when)
                when = t, next = l;
        }
        if (!next || when > time)
            break;
        m_now = std::max(m_now, when);
        next->fire();
    }
    m_now = std::max(m_now, time);
}

std::vector<std::uint64_t> VirtualClock::times(const void* client, unsigned id) const
{
    std::vector<std::uint64_t> out;
    for (const TraceEntry& e : m_trace)
        if (e.client == client && e.id == id)
            out.push_back(e.time);
    return out;
}

std::vector<std::uint64_t> VirtualClock::times(const std::string& loop, unsigned id) const
{
    std::vector<std::uint64_t> out;
    for (const TraceEntry& e : m_trace)
        if (e.loop == loop && e.id == id)
            out.push_back(e.time);
    return out;
}

}
