#include "core/link/HostLookup.h"

#include "core/link/LinkBase.h"
#include "platform/Clock.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace sorvane::link {

namespace {

// How often a waiting caller looks at the cancel event (real ms).
constexpr int kLookUpPollMs = 10;

std::atomic<HostResolver> g_resolver{nullptr};

int systemResolver(const char* name, in_addr* out)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || !found)
        return -1;
    *out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return 0;
}

// What the look-up thread and the waiting caller share; the last of the
// two to let go frees it.
struct Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool found = false;
    in_addr address{};
};

} // namespace

HostLookup LookUpHost(const QByteArray& host, bool byName, const platform::Deadline& deadline, in_addr& out)
{
    if (host.isEmpty())
        return HostLookup::Failed;
    // A dotted address needs no look-up.
    if (::inet_pton(AF_INET, host.constData(), &out) == 1)
        return out.s_addr != 0 ? HostLookup::Found : HostLookup::Failed;
    if (!byName)
        return HostLookup::Failed;

    auto pending = std::make_shared<Pending>();
    const HostResolver resolver = g_resolver.load();
    try {
        std::thread([pending, resolver, name = host.toStdString()] {
            in_addr address{};
            const bool found = (resolver ? resolver : systemResolver)(name.c_str(), &address) == 0;
            const std::lock_guard<std::mutex> lock(pending->mutex);
            pending->finished = true;
            pending->found = found;
            pending->address = address;
            pending->done.notify_all();
        }).detach();
    } catch (...) {
        return HostLookup::Failed;   // no thread to be had
    }

    std::unique_lock<std::mutex> lock(pending->mutex);
    while (!pending->finished) {
        const int left = deadline.remainingMs();
        if (left <= 0)
            return HostLookup::Failed;
        pending->done.wait_for(lock, std::chrono::milliseconds(std::min(left, kLookUpPollMs)));
        if (pending->finished)
            break;
        if (CancelRequested())
            return HostLookup::Cancelled;
    }
    if (!pending->found || pending->address.s_addr == 0)
        return HostLookup::Failed;
    out = pending->address;
    return HostLookup::Found;
}

void SetHostResolver(HostResolver resolver) { g_resolver.store(resolver); }

} // namespace sorvane::link
