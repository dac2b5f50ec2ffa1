#include "core/model/CoreState.h"
#include "core/api/Core.h"
#include "platform/Languages.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

using namespace sorvane::model;

namespace {
std::atomic<CCore*> g_current{nullptr};
std::mutex g_liveMutex;
std::vector<CCore*> g_live;   // in the order constructed
std::mutex g_eventMutex;
std::unique_ptr<platform::AutoResetEvent> g_cancelEvent;
std::atomic<platform::AutoResetEvent*> g_cancelEventPtr{nullptr};
int g_eventUsers = 0;
}

namespace sorvane::model {

CCore* CurrentCore() { return g_current.load(); }

int CurrentLanguage()
{
    const CCore* core = g_current.load();
    return core ? core->GetCurLang() : platform::startLanguage().id;
}

platform::AutoResetEvent* CancelEvent() { return g_cancelEventPtr.load(); }

namespace corestate {

void setCurrent(CCore* core)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    g_live.push_back(core);
    g_current.store(core);
}

void forget(CCore* core)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    g_live.erase(std::remove(g_live.begin(), g_live.end(), core), g_live.end());
    // While another core lives, the painters keep reading a live one: the
    // most recently constructed of those left.
    if (g_current.load() == core)
        g_current.store(g_live.empty() ? nullptr : g_live.back());
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

} // namespace sorvane::model
