#include "core/link/CapturePool.h"

#include <pcap/pcap.h>

#include <net/if.h>
#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace sorvane::link;

namespace {

using Clock = std::chrono::steady_clock;

class Pool {
public:
    ~Pool()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_closer.joinable())
            m_closer.join();
        for (const Kept& k : m_kept)
            pcap_close(k.handle);
        for (pcap* p : m_toClose)
            pcap_close(p);
    }

    pcap* take(const CapturePlace& place)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
            if (it->place.adapter != place.adapter || it->place.netns != place.netns)
                continue;
            pcap* handle = it->handle;
            const bool same = it->place == place;
            m_kept.erase(it);
            if (same)
                return handle;
            closeLater(handle);   // the adapter went and came back
            return nullptr;
        }
        return nullptr;
    }

    void keep(const CapturePlace& place, pcap* handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Kept& k : m_kept)
            if (k.place.adapter == place.adapter && k.place.netns == place.netns) {
                closeLater(handle);   // two sessions shared the adapter: one is enough
                return;
            }
        m_kept.push_back({place, handle, Clock::now()});
        m_changed = true;   // the closer learns of its idle time
        startCloser();
        m_wake.notify_all();
    }

    void discard(pcap* handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        closeLater(handle);
    }

private:
    struct Kept {
        CapturePlace place;
        pcap* handle;
        Clock::time_point since;
    };

    // With the lock held.
    void closeLater(pcap* handle)
    {
        if (!handle)
            return;
        m_toClose.push_back(handle);
        startCloser();
        m_wake.notify_all();
    }

    void startCloser()
    {
        if (!m_closer.joinable())
            m_closer = std::thread([this] { closeLoop(); });
    }

    void closeLoop()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            std::vector<pcap*> closing;
            closing.swap(m_toClose);
            const Clock::time_point now = Clock::now();
            Clock::time_point next = now + std::chrono::hours(1);
            for (auto it = m_kept.begin(); it != m_kept.end();) {
                const Clock::time_point ends = it->since + std::chrono::milliseconds(kCaptureIdleMs);
                if (ends <= now) {
                    closing.push_back(it->handle);
                    it = m_kept.erase(it);
                } else {
                    next = std::min(next, ends);
                    ++it;
                }
            }
            if (!closing.empty()) {
                lock.unlock();
                for (pcap* p : closing)
                    pcap_close(p);
                lock.lock();
                continue;
            }
            m_wake.wait_until(lock, next, [this] { return m_stop || !m_toClose.empty() || m_changed; });
            m_changed = false;
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Kept> m_kept;
    std::vector<pcap*> m_toClose;
    std::thread m_closer;
    bool m_stop = false;
    bool m_changed = false;
};

Pool& pool()
{
    static Pool p;
    return p;
}

} // namespace

namespace sorvane::link {

CapturePlace CurrentCapturePlace(const QByteArray& adapter)
{
    CapturePlace place;
    place.adapter = adapter;
    struct stat ns {};
    if (::stat("/proc/thread-self/ns/net", &ns) == 0)
        place.netns = static_cast<unsigned long long>(ns.st_ino);
    place.ifindex = adapter.isEmpty() ? 0 : ::if_nametoindex(adapter.constData());
    return place;
}

pcap* TakeKeptCapture(const CapturePlace& place)
{
    return pool().take(place);
}

void KeepCapture(const CapturePlace& place, pcap* handle)
{
    if (handle)
        pool().keep(place, handle);
}

void DiscardCapture(pcap* handle)
{
    if (handle)
        pool().discard(handle);
}

} // namespace sorvane::link
