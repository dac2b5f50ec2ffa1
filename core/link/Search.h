#pragma once
// The controller search: finds controllers over serial ports, adapters
// (raw Ethernet) and the network (UDP) and remembers the links that answered
// in the core object. It returns what it found and writes no screen: the
// tree's owner makes or updates the screens from it (PlaceFoundScreens,
// WriteFoundLink), so the search may run on a worker.
#include "core/api/FoundControllers.h"
#include "core/link/SearchRecords.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

struct tagItemData;

namespace sorvane::link {

// The link one probe goes over.
struct ProbeLink {
    std::uint32_t mode = 0;          // CommMode
    QString portName;                // serial
    std::uint32_t baudRate = 0;
    std::uint32_t adapterIndex = 0;  // raw Ethernet: position in the adapter list
    QByteArray deviceName;
    std::uint8_t mac[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    QByteArray host;                 // network: dotted address or a name
    bool hostIsName = false;
    std::uint16_t port = 0;
};

struct ProbeReply {
    int result = -3;                 // transfer result; positive = answered
    std::uint8_t address = 0;        // address byte of the reply header
    std::uint8_t mac[6] = {};        // raw Ethernet: the reply's source
};

// Answer of one UDP discovery datagram: the controller's address byte and
// the sender's IPv4 address in network order. Return false to stop.
using DiscoveryAnswer = std::function<bool(std::uint8_t address, std::uint32_t ip)>;

// What the search needs of the links.
class SearchLinks {
public:
    virtual ~SearchLinks() = default;
    // Command 21 with 4 zero bytes to `address`; a reply frame when
    // `replyFrame`, else any one byte.
    virtual ProbeReply probe(const ProbeLink& link, std::uint8_t address, bool replyFrame) = 0;
    // UDP discovery on one port. 0 when done, -5 when no socket could be
    // made (the port is skipped), -6 when cancelled.
    virtual int discover(std::uint16_t port, const DiscoveryAnswer& answer) = 0;
    virtual void sleep(int milliseconds) = 0;
};

// The digits a serial port name carries ("%*[^0-9]%d"); 0 when none.
std::uint32_t SerialPortDigits(const QString& portName);

// Dotted text of an address in network order.
QByteArray DottedAddress(std::uint32_t ip);

// UDP discovery on 127.0.0.1 and the broadcast address: sends the 4-byte
// zero probe to both (a send that fails is skipped), then reads datagrams
// until `answer` returns false or timeoutMs have passed since the probe. The
// cancel event ends it with -6.
int DiscoverOverUdp(std::uint16_t port, int timeoutMs, const DiscoveryAnswer& answer);

// Screens for the controllers found: from the screen at `start` on when
// `replace`, new ones after it otherwise (CCore::StoreConnections). Each
// screen written is added to `written` as it is.
void PlaceFoundScreens(CCore& core, const FoundControllers& found, int replace, int start,
                       std::vector<tagItemData*>& written);
// A found link into a screen's block: its address, link mode and the fields
// of that mode.
void WriteFoundLink(const LinkSettings& link, tagGlobalInfo& g);

class ControllerSearch {
public:
    ControllerSearch(CCore& core, SearchLinks& links);
    ControllerSearch(const ControllerSearch&) = delete;
    ControllerSearch& operator=(const ControllerSearch&) = delete;

    // The controllers found; see CCore::RetrieveConnection.
    FoundControllers run(int noNodes);
    // The controller of the screen whose own link is `own`, found again.
    FoundConnection runForScreen(const LinkSettings& own);

private:
    struct Found {
        std::uint32_t mode = 0;
        ProbeLink link;
        std::uint8_t address = 0;
    };

    // One probe of a pass: its result, and whether it counts in the
    // progress (a cancelled discovery does not).
    struct Probed {
        int result = 0;
        bool counted = true;
    };
    // The loop of every pass: candidate i is probed (the probe reports it as
    // a candidate), the progress follows, then the scope pause when `pause`;
    // a cancel ends the pass with -6; else `take` judges the result: 1 ends
    // the pass (found), 0 goes on to the next candidate.
    int probeLoop(std::size_t count, bool pause, const std::function<Probed(std::size_t)>& probe,
                  const std::function<int(std::size_t, int)>& take);
    int answered(std::uint32_t mode, const ProbeLink& link, std::uint8_t address, bool scopeMode);
    void report(unsigned cmd, unsigned event, std::uintptr_t value) const;
    int serialPass(std::uint8_t address, bool replyFrame, bool scopeMode);
    int adapterPass(std::uint8_t address, bool replyFrame, bool scopeMode);
    int networkPass(int scopeAddress);
    int rememberedPhase();
    LinkSettings foundLink(const ProbeLink& link, std::uint8_t address) const;
    void found(const ProbeLink& link, std::uint8_t address, bool reportFound);
    QString serialInfoPort(const CCore::SerialInfo& info) const;
    ProbeLink serialLink(const CCore::SerialInfo& info) const;
    std::uint32_t serialPortNumber(const QString& portName) const;
    ProbeLink adapterLink(const CCore::AdapterInfo& info) const;
    // Probes the link of a serial or adapter record (into `link`) and
    // reports it as a candidate.
    ProbeReply probeRecord(const CCore::SerialInfo& info, std::uint8_t address, bool replyFrame, ProbeLink& link);
    ProbeReply probeRecord(const CCore::AdapterInfo& info, std::uint8_t address, bool replyFrame, ProbeLink& link);
    // Probes the records from the list's end; the first that answers gives
    // the found link its address and, through `store`, the rest.
    template <typename Info, typename Store>
    int probeForScreen(const CUniqueArray<Info>& listed, std::uint32_t phase, LinkSettings& f, Store store);
    // A pass over candidate records: one that answers is remembered (through
    // `remember`) and taken, a remembered one that does not is forgotten.
    template <typename Probes, typename Info, typename Remember>
    int probePass(const Probes& probes, CUniqueArray<Info>& remembered, std::uint32_t phase, std::uint32_t mode,
                  std::uint8_t address, bool replyFrame, bool scopeMode, Remember remember);
    int serialScreenSearch(LinkSettings& f);
    int adapterScreenSearch(LinkSettings& f);
    int networkScreenSearch(LinkSettings& f);

    CCore& m_core;
    SearchLinks& m_links;
    CoreCallBack m_callback = nullptr;
    bool m_single = true;
    bool m_stop = false;
    bool m_noNodes = false;
    bool m_haveFound = false;
    Found m_found;
    // Broadcast mode: what answered in the passes, found when
    // the search is cancelled before the remembered links are probed again.
    std::vector<Found> m_answered;
    unsigned m_count = 0;
    std::vector<LinkSettings> m_made;
};

} // namespace sorvane::link
