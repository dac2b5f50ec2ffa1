// The search over real links: probes are transport sessions of 750 ms with
// no callback; discovery is UDP.
#include "core/api/Callbacks.h"
#include "core/api/OwnerThread.h"
#include "core/model/Guard.h"
#include "core/link/CommSession.h"
#include "core/link/LinkBase.h"
#include "core/link/Search.h"
#include "core/model/ItemData.h"
#include "platform/Clock.h"

#include <cstring>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

constexpr std::uint32_t kProbeTimeout = 750;
constexpr int kDiscoveryTimeout = 5000;
constexpr std::uint8_t kProbeCommand = 21;

class SessionSearchLinks final : public SearchLinks {
public:
    ProbeReply probe(const ProbeLink& link, std::uint8_t address, bool replyFrame) override
    {
        ProbeReply reply;
        // A session clears the cancel event when it is made: look first, so a
        // cancel that came between two probes still ends the search.
        if (CancelRequested()) {
            reply.result = COMM_E_CANCELLED;
            return reply;
        }
        CommSession session;
        CreateCommSession(session, address, kProbeTimeout, nullptr);
        LinkTarget target;
        target.mode = link.mode == COMM_SERIAL || link.mode == COMM_ETHERNET ? link.mode : std::uint32_t(COMM_NETWORK);
        target.portName = link.portName;
        target.baudRate = link.baudRate;
        target.adapterName = link.deviceName;
        std::memcpy(target.mac.data(), link.mac, target.mac.size());
        target.host = link.host;
        target.port = link.port;
        target.hostIsName = link.hostIsName;
        BindCommSession(session, target);
        session.request.assign(4, 0);
        reply.result = session.sendRequest(kProbeCommand, replyFrame ? REPLY_FRAME : REPLY_ONE_BYTE);
        if (reply.result <= 0)
            return reply;
        if (link.mode == COMM_ETHERNET) {
            // The last frame received: its source, and the reply header's address.
            if (session.receiveLength >= 12)
                std::memcpy(reply.mac, session.receive.data() + 6, 6);
            if (session.receiveLength > kEthReplyAddress)
                reply.address = session.receive[kEthReplyAddress];
        } else {
            // Bytes 4..35 of the reply header are kept: the address is header byte 6.
            reply.address = session.receive[2];
        }
        return reply;
    }

    int discover(std::uint16_t port, const DiscoveryAnswer& answer) override
    {
        return DiscoverOverUdp(port, kDiscoveryTimeout, answer);
    }

    void sleep(int milliseconds) override { platform::sleepFor(milliseconds); }
};

} // namespace

FoundControllers CCore::SearchConnections(int noNodes)
{
    return GuardedResult(FoundControllers{}, [&] {
        SessionSearchLinks links;
        ControllerSearch search(*this, links);
        return search.run(noNodes);
    });
}

FoundConnection CCore::SearchConnection(const LinkSettings& own)
{
    return GuardedResult(FoundConnection{}, [&] {
        SessionSearchLinks links;
        ControllerSearch search(*this, links);
        return search.runForScreen(own);
    });
}

std::vector<tagItemData*> CCore::StoreConnections(const FoundControllers& found, int replace, int start)
{
    SORVANE_ASSERT_OWNER(*this);
    // Screens made before a failure stay.
    std::vector<tagItemData*> written;
    GuardedCall(
        [&] {
            written.reserve(found.links.size());
            PlaceFoundScreens(*this, found, replace, start, written);
        },
        [] {});
    return written;
}

void CCore::StoreConnection(const FoundConnection& found, tagGlobalInfo& block)
{
    if (found.result > 0)
        WriteFoundLink(found.link, block);
}

unsigned CCore::RetrieveConnection(int replace, int start, int noNodes)
{
    const FoundControllers found = SearchConnections(noNodes);
    StoreConnections(found, replace, start);
    return found.count;
}

int CCore::RetrieveConnection(tagItemData* screen)
{
    SORVANE_ASSERT_OWNER(*this);
    if (!screen || screen->Level != LEVEL_ROOT)
        return 0;
    const FoundConnection found = SearchConnection(GetOwnLink(screen));
    StoreConnection(found, screen->Global);
    return found.result;
}
