#include "CaptureCount.h"

#include <pcap/pcap.h>

#include <atomic>
#include <dlfcn.h>

namespace {
std::atomic<int> g_opened{0};
}

extern "C" int pcap_activate(pcap_t* p)
{
    using Activate = int (*)(pcap_t*);
    static const auto real = reinterpret_cast<Activate>(::dlsym(RTLD_NEXT, "pcap_activate"));
    ++g_opened;
    return real ? real(p) : PCAP_ERROR;
}

namespace linktest {
int capturesOpened() { return g_opened.load(); }
}
