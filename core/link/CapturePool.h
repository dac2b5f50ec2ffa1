#pragma once
// Captures kept open per adapter across sessions. Opening a capture costs
// tens of milliseconds in the kernel and closing one more, each waiting for
// the kernel's grace period: a session takes its adapter's capture from the
// pool for its life and gives it back, and captures are closed on a thread
// of their own, never on a send's road. One left unused for a while is
// closed there too.
#include <QByteArray>

struct pcap;

namespace sorvane::link {

// Where a capture was opened: the adapter's name, the network namespace and
// the interface's index then. A capture is taken again only where all three
// still hold (an adapter removed and made anew gets another index).
struct CapturePlace {
    QByteArray adapter;
    unsigned long long netns = 0;
    unsigned ifindex = 0;
    bool operator==(const CapturePlace& o) const
    {
        return adapter == o.adapter && netns == o.netns && ifindex == o.ifindex;
    }
};

// The place of `adapter` as it is now; ifindex 0 when there is no such interface.
CapturePlace CurrentCapturePlace(const QByteArray& adapter);

// The capture kept for `place`, taken out of the pool; null when none.
pcap* TakeKeptCapture(const CapturePlace& place);
// Gives a working capture back for the next session (one is kept per
// place; another is closed off the road).
void KeepCapture(const CapturePlace& place, pcap* handle);
// Closes a capture off the road (one that failed, or of a place gone).
void DiscardCapture(pcap* handle);

// Unused captures are closed after this long (ms).
constexpr int kCaptureIdleMs = 60000;

} // namespace sorvane::link
