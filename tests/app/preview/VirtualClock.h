#pragma once
// Runs player loops on a virtual clock: posted messages are delivered in the
// order they were posted, timers fire in time order, and every delivery is
// recorded with its time in ms. Everything runs on the test's thread.
#include "app/preview/PlayLoop.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace previewtest {

struct TraceEntry {
    std::uint64_t time;
    std::string loop;
    const void* client;
    unsigned id;   // 0: the loop started; 1: the timer fired
};

class VirtualClock final : public preview::PlayHost {
public:
    std::unique_ptr<preview::PlayLoop> makeLoop(preview::PlayLoopClient& client, const char* name) override;

    std::uint64_t now() const { return m_now; }
    // Delivers and fires everything due up to `time`, then sets the clock to it.
    void runUntil(std::uint64_t time);
    void runFor(std::uint64_t ms) { runUntil(m_now + ms); }

    const std::vector<TraceEntry>& trace() const { return m_trace; }
    // Times at which `client` got message `id`.
    std::vector<std::uint64_t> times(const void* client, unsigned id) const;
    std::vector<std::uint64_t> times(const std::string& loop, unsigned id) const;
    void clearTrace() { m_trace.clear(); }

private:
    friend class VirtualLoop;
    struct Queued {
        std::uint64_t seq;
        preview::PlayMessage message;
    };
    bool deliverOne();
    class VirtualLoop* m_loops = nullptr;
    std::vector<class VirtualLoop*> m_all;
    std::uint64_t m_now = 0;
    std::uint64_t m_seq = 0;
    std::vector<TraceEntry> m_trace;
};

}
