#include "core/model/CoreState.h"
#include "core/model/Core.h"

#include <atomic>
#include <memory>
#include <mutex>

namespace {
std::atomic<CCore*> g_current{nullptr};
std::mutex g_eventMutex;
std::unique_ptr<platform::AutoResetEvent> g_cancelEvent;
std::atomic<platform::AutoResetEvent*> g_cancelEventPtr{nullptr};
int g_eventUsers = 0;
}

CCore* CurrentCore() { return g_current.load(); }

int CurrentLanguage()
{
    const CCore* core = g_current.load();
    return core ? core->GetCurLang() : 4;
}

platform::AutoResetEvent* CancelEvent() { return g_cancelEventPtr.load(); }

namespace corestate {

void setCurrent(CCore* core) { g_current.store(core); }

void forget(CCore* core)
{
    CCore* expected = core;
    g_current.compare_exchange_strong(expected, nullptr);
}

void acquireCancelEvent()
{
    std::lock_guard<std::mutex> lock(g_eventMutex);
    if (!g_cancelEvent) {
        g_cancelEvent = std::make_unique<platform::AutoResetEvent>(false);
        g_cancelEventPtr.store(g_cancelEvent.get());
    }
    ++g_eventUsers;
}

void releaseCancelEvent()
{
    std::lock_guard<std::mutex> lock(g_eventMutex);
    if (g_eventUsers > 0 && --g_eventUsers == 0) {
        g_cancelEventPtr.store(nullptr);
        g_cancelEvent.reset();
    }
}

} // namespace corestate
