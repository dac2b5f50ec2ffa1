#include "core/model/CoreState.h"
#include "core/api/Core.h"
#include "core/api/OwnerThread.h"
#include "core/model/CoreAccess.h"
#include "platform/Languages.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace sorvane::model;

namespace {
std::atomic<CCore*> g_current{nullptr};
std::mutex g_liveMutex;
// A live core and the thread that owns its tree.
struct LiveCore {
    CCore* core;
    std::thread::id owner;
};
std::vector<LiveCore> g_live;   // in the order constructed
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
    g_live.push_back({core, std::this_thread::get_id()});
    g_current.store(core);
}

void forget(CCore* core)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    std::erase_if(g_live, [core](const LiveCore& l) { return l.core == core; });
    // While another core lives, the painters keep reading a live one: the
    // most recently constructed of those left.
    if (g_current.load() == core)
        g_current.store(g_live.empty() ? nullptr : g_live.back().core);
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

// The owner-thread check, exported at global scope like the core's interface.
void SorvaneSetOwnerThread(const CCore& core)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    for (LiveCore& l : g_live)
        if (l.core == &core)
            l.owner = std::this_thread::get_id();
}

void SorvaneAssertOwnerThread(const CCore* core, const tagItemData* node, const char* writer)
{
    // A node's core is the one whose root it hangs under.
    const tagItemData* top = node;
    while (top && top->Parent)
        top = top->Parent;
    bool foreign = false;
    {
        std::lock_guard<std::mutex> lock(g_liveMutex);
        for (const LiveCore& l : g_live) {
            const bool ours = core ? l.core == core : top && sorvane::model::CoreAccess::root(*l.core) == top;
            if (ours) {
                foreign = l.owner != std::this_thread::get_id();
                break;
            }
        }
    }
    if (!foreign)
        return;
    // A write off the owner's thread races the interface thread's readers:
    // stopped where it happens, not where the torn field is seen.
    std::fprintf(stderr, "sorvane: %s wrote the tree off its owner thread\n", writer ? writer : "a writer");
    std::fflush(stderr);
    std::abort();
}


