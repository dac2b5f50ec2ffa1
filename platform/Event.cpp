#include "platform/Event.h"

namespace platform {

void AutoResetEvent::set()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_set = true;
    }
    m_cond.notify_all();
}

void AutoResetEvent::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_set = false;
}

bool AutoResetEvent::wait(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_cond.wait_for(lock, timeout, [this] { return m_set; }))
        return false;
    m_set = false;
    return true;
}

bool AutoResetEvent::tryWait()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const bool was = m_set;
    m_set = false;
    return was;
}

bool AutoResetEvent::waitUntilSet(std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cond.wait_for(lock, timeout, [this] { return m_set; });
}

bool AutoResetEvent::isSet() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_set;
}

} // namespace platform
