#include "core/link/Search.h"

#include "core/link/Adapters.h"
#include "core/api/Callbacks.h"
#include "core/api/SettingLimits.h"
#include "core/link/EthernetFrame.h"
#include "core/link/LinkBase.h"
#include "core/model/CoreAccess.h"
#include "core/model/CoreState.h"
#include "platform/Clock.h"
#include "core/model/ItemData.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

constexpr std::uint32_t kSlowBaud = 9600;
constexpr std::uint32_t kFastBaud = 115200;
constexpr int kScopeProbePause = 350;
const std::uint8_t kBroadcastMac[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

unsigned percentOf(std::size_t done, std::size_t total)
{
    return total ? static_cast<unsigned>(done * 100 / total) : 100;
}

// A socket closed when it goes out of scope.
struct Socket {
    int fd = -1;
    ~Socket()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

namespace sorvane::link {

std::uint32_t SerialPortDigits(const QString& portName)
{
    const QByteArray text = portName.toUtf8();
    int number = 0;
    if (std::sscanf(text.constData(), "%*[^0-9]%d", &number) != 1)
        return 0;
    return static_cast<std::uint32_t>(number);
}

QByteArray DottedAddress(std::uint32_t ip)
{
    return QByteArray::number(ip & 0xFF) + '.' + QByteArray::number((ip >> 8) & 0xFF) + '.'
        + QByteArray::number((ip >> 16) & 0xFF) + '.' + QByteArray::number((ip >> 24) & 0xFF);
}

int DiscoverOverUdp(std::uint16_t port, int timeoutMs, const DiscoveryAnswer& answer)
{
    Socket sock;
    sock.fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock.fd < 0)
        return -5;
    const int on = 1;
    ::setsockopt(sock.fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);

    const std::uint8_t probe[4] = {0, 0, 0, 0};
    for (const in_addr_t to : {htonl(INADDR_LOOPBACK), htonl(INADDR_BROADCAST)}) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = to;
        // Without a route the broadcast fails (ENETUNREACH); the other send still counts.
        ::sendto(sock.fd, probe, sizeof probe, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    }

    // Large enough for any datagram, so a long answer is never cut into an error.
    std::vector<std::uint8_t> buffer(65536);
    // One deadline for the probe: a device that keeps answering cannot
    // keep the search going.
    const platform::Deadline deadline = platform::Deadline::after(timeoutMs);
    for (;;) {
        bool received = false;
        while (!received) {
            if (CancelRequested())
                return -6;
            const int left = deadline.remainingMs();
            if (left <= 0)
                return 0;
            // Short slices, so a cancel is seen while waiting.
            pollfd pfd{sock.fd, POLLIN, 0};
            const int ready = ::poll(&pfd, 1, std::min(left, 50));
            if (ready < 0 && errno != EINTR)
                return 0;
            if (ready > 0)
                received = true;
        }
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(sock.fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from),
                                     &fromLength);
        if (n < 0) {
            // A refused earlier send shows up here on a connected path; nothing more will come.
            return 0;
        }
        if (n == 0)
            continue;   // an empty datagram carries no address
        if (!answer(buffer[0], from.sin_addr.s_addr))
            return 0;
    }
}

} // namespace sorvane::link

ControllerSearch::ControllerSearch(CCore& core, SearchLinks& links)
    : m_core(core), m_links(links), m_callback(core.GetCommCallBack())
{
}

int ControllerSearch::probeLoop(std::size_t count, bool pause, const std::function<Probed(std::size_t)>& probe,
                                const std::function<int(std::size_t, int)>& take)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Probed p = probe(i);
        if (!p.counted)
            return p.result;
        report(CBC_SEARCH_PROGRESS, CBE_PROGRESS, percentOf(i + 1, count));
        if (pause)
            m_links.sleep(kScopeProbePause);
        if (p.result == -6)
            return -6;
        if (take(i, p.result))
            return 1;
    }
    return 0;
}

// A controller that answered a serial or adapter pass: the single-screen
// search ends with it, a scope pass takes it at once, a broadcast pass keeps
// it for later. 1 when the pass ends.
int ControllerSearch::answered(std::uint32_t mode, const ProbeLink& link, std::uint8_t address, bool scopeMode)
{
    if (m_single) {
        m_haveFound = true;
        m_found = {mode, link, address};
        return 1;
    }
    if (scopeMode)
        found(link, address, true);
    else
        m_answered.push_back({mode, link, address});
    return 0;
}

void ControllerSearch::report(unsigned cmd, unsigned event, std::uintptr_t value) const
{
    if (m_callback)
        m_callback(cmd, event, value);
}

// The number that names the port again through GetSerialPortName; a name
// the core cannot number keeps the digits it carries.
std::uint32_t ControllerSearch::serialPortNumber(const QString& portName) const
{
    const int number = m_core.GetSerialPortNumber(portName);
    return number >= 0 ? static_cast<std::uint32_t>(number) : SerialPortDigits(portName);
}

// A record holds 31 characters of a port's name; a longer path (a device
// added by hand) is found again by the characters kept.
QString ControllerSearch::serialInfoPort(const CCore::SerialInfo& info) const
{
    const QString kept = SerialInfoPortName(info);
    if (kept.size() < kSerialInfoNameUnits)
        return kept;
    CUniqueArray<QString> ports;
    CoreAccess::serialPorts(m_core, &ports);
    for (const QString& port : ports)
        if (port.startsWith(kept))
            return port;
    return kept;
}

ProbeLink ControllerSearch::serialLink(const CCore::SerialInfo& info) const
{
    ProbeLink link;
    link.mode = COMM_SERIAL;
    link.portName = serialInfoPort(info);
    link.baudRate = info.BaudRate;
    return link;
}

ProbeLink ControllerSearch::adapterLink(const CCore::AdapterInfo& info) const
{
    ProbeLink link;
    link.mode = COMM_ETHERNET;
    link.adapterIndex = info.AdapterIndex;
    link.deviceName = m_core.GetAdapterName(static_cast<int>(info.AdapterIndex));
    std::memcpy(link.mac, info.Mac, 6);
    return link;
}

LinkSettings ControllerSearch::foundLink(const ProbeLink& link, std::uint8_t address) const
{
    LinkSettings f;
    f.Address = address;
    f.Mode = link.mode;
    switch (link.mode) {
    case COMM_SERIAL:
        f.BaudRate = link.baudRate;
        f.SerialPort = serialPortNumber(link.portName);
        break;
    case COMM_ETHERNET:
        f.AdapterIndex = link.adapterIndex;
        std::memcpy(f.DstMAC, link.mac, 6);
        break;
    default:
        f.HostKind = 0;
        std::memcpy(f.Host, link.host.constData(), std::min<std::size_t>(link.host.size(), sizeof f.Host - 1));
        f.HostPort = link.port;
        break;
    }
    return f;
}

void ControllerSearch::found(const ProbeLink& link, std::uint8_t address, bool reportFound)
{
    ++m_count;
    if (m_noNodes)
        return;
    m_made.push_back(foundLink(link, address));
    if (reportFound)
        report(CBC_PROBE, CBE_DONE, address);
}

namespace sorvane::link {

void WriteFoundLink(const LinkSettings& link, tagGlobalInfo& g)
{
    g.ID = link.Address;
    g.CommType = link.Mode;
    switch (link.Mode) {
    case COMM_SERIAL:
        g.BaudRate = link.BaudRate;
        g.SerialPort = link.SerialPort;
        break;
    case COMM_ETHERNET:
        g.AdapterIndex = link.AdapterIndex;
        std::memcpy(g.DstMAC, link.DstMAC, 6);
        break;
    default:
        g.HostKind = link.HostKind;
        static_assert(sizeof g.Host == sizeof link.Host);
        std::memcpy(g.Host, link.Host, sizeof g.Host);
        g.HostPort = link.HostPort;
        break;
    }
}

void PlaceFoundScreens(CCore& core, const FoundControllers& found, int replace, int start,
                       std::vector<tagItemData*>& written)
{
    if (found.links.empty())
        return;
    tagItemData* root = CoreAccess::root(core);
    // Insertion point: the screen at the start index (clamped to the last);
    // replacing begins with that screen itself.
    std::vector<tagItemData*> screens;
    for (tagItemData* s = root ? root->FirstChild : nullptr; s; s = s->NextSibling)
        screens.push_back(s);
    tagItemData* insertAfter = nullptr;
    tagItemData* nextReuse = nullptr;
    if (!screens.empty()) {
        const std::size_t at = start < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(start), screens.size() - 1);
        insertAfter = screens[at];
        if (replace) {
            nextReuse = screens[at];
            insertAfter = screens[at]->PrevSibling;
        }
    }
    for (const LinkSettings& link : found.links) {
        tagItemData* screen = nullptr;
        if (replace && nextReuse) {
            screen = nextReuse;
            nextReuse = nextReuse->NextSibling;
        } else {
            screen = CreateNode(insertAfter, IT_SCREEN, nullptr, root);
        }
        if (!screen)
            continue;
        insertAfter = screen;
        WriteFoundLink(link, screen->Global);
        written.push_back(screen);
    }
}

} // namespace sorvane::link

namespace {

// A probe of a pass, and whether it answered an earlier search.
template <typename Info>
struct Candidate {
    Info info;
    bool remembered;
};

// Forgets the remembered links that are no longer there; the rest are the
// first probes of the pass, the latest first.
template <typename Info, typename StillThere>
std::vector<Candidate<Info>> rememberedFirst(CUniqueArray<Info>& remembered, StillThere stillThere)
{
    for (int i = remembered.GetSize() - 1; i >= 0; --i)
        if (!stillThere(remembered[i]))
            remembered.RemoveAt(i);
    std::vector<Candidate<Info>> probes;
    for (int i = remembered.GetSize() - 1; i >= 0; --i)
        probes.push_back({remembered[i], true});
    return probes;
}

// A remembered link that did not answer is forgotten; 0, nothing taken.
template <typename Info>
int forgetSilent(CUniqueArray<Info>& remembered, const Candidate<Info>& probe)
{
    if (probe.remembered)
        remembered.RemoveAt(remembered.Find(probe.info));
    return 0;
}

} // namespace

ProbeReply ControllerSearch::probeRecord(const CCore::SerialInfo& info, std::uint8_t address, bool replyFrame,
                                         ProbeLink& link)
{
    link = serialLink(info);
    const ProbeReply reply = m_links.probe(link, address, replyFrame);
    const std::u16string name = link.portName.toStdU16String();
    SearchCandidate candidate;
    candidate.Form = 0;
    candidate.PortName = name.c_str();
    candidate.BaudRate = link.baudRate;
    ReportSearchCandidate(m_callback, &candidate, reply.result);
    return reply;
}

ProbeReply ControllerSearch::probeRecord(const CCore::AdapterInfo& info, std::uint8_t address, bool replyFrame,
                                          ProbeLink& link)
{
    link = adapterLink(info);
    const ProbeReply reply = m_links.probe(link, address, replyFrame);
    SearchCandidate candidate;
    candidate.Form = 1;
    candidate.DeviceName = link.deviceName.constData();
    ReportSearchCandidate(m_callback, &candidate, reply.result);
    return reply;
}

template <typename Probes, typename Info, typename Remember>
int ControllerSearch::probePass(const Probes& probes, CUniqueArray<Info>& remembered, std::uint32_t phase,
                                std::uint32_t mode, std::uint8_t address, bool replyFrame, bool scopeMode,
                                Remember remember)
{
    report(CBC_SEARCH_CANDIDATE, CBE_SEARCH_PHASE, phase);
    ProbeLink link;
    ProbeReply reply;
    const auto probe = [&](std::size_t i) {
        reply = probeRecord(probes[i].info, address, replyFrame, link);
        return Probed{reply.result};
    };
    const auto take = [&](std::size_t i, int result) {
        // An answer from address 0 or 255 would make a screen that reaches
        // every controller on the line: it counts as no answer.
        if (result <= 0 || !ControllerAddressAllowed(reply.address))
            return forgetSilent(remembered, probes[i]);
        remember(link, reply, probes[i].info);
        return answered(mode, link, reply.address, scopeMode);
    };
    return probeLoop(probes.size(), scopeMode, probe, take);
}

int ControllerSearch::serialPass(std::uint8_t address, bool replyFrame, bool scopeMode)
{
    CUniqueArray<QString> valid;
    CoreAccess::validSerialPorts(m_core, &valid);
    auto& remembered = CoreAccess::serialRecords(m_core);
    auto probes = rememberedFirst(remembered, [&](const CCore::SerialInfo& info) {
        return valid.Find(serialInfoPort(info)) >= 0;
    });
    for (const QString& port : valid)
        for (const std::uint32_t baud : {kFastBaud, kSlowBaud}) {
            const CCore::SerialInfo info = MakeSerialInfo(port, baud);
            if (remembered.Find(info) < 0)
                probes.push_back({info, false});
        }

    return probePass(probes, remembered, 0, COMM_SERIAL, address, replyFrame, scopeMode,
                     [&](ProbeLink&, const ProbeReply&, const CCore::SerialInfo& info) { remembered.Add(info); });
}

int ControllerSearch::adapterPass(std::uint8_t address, bool replyFrame, bool scopeMode)
{
    CUniqueArray<pcapdevinfo> valid;
    CoreAccess::validAdapters(m_core, &valid);
    auto validIndex = [&](std::uint32_t index) {
        for (const pcapdevinfo& info : valid)
            if (info.index == index)
                return true;
        return false;
    };
    auto& remembered = CoreAccess::adapterRecords(m_core);
    auto probes = rememberedFirst(remembered, [&](const CCore::AdapterInfo& info) {
        return validIndex(info.AdapterIndex);
    });
    for (const pcapdevinfo& adapter : valid)
        probes.push_back({MakeAdapterInfo(adapter.index, kBroadcastMac, 0xFFFF), false});

    return probePass(probes, remembered, 1, COMM_ETHERNET, address, replyFrame, scopeMode,
                     [&](ProbeLink& link, const ProbeReply& reply, const CCore::AdapterInfo& info) {
                         if (IsBroadcastMac(link.mac)) {
                             // The controller is remembered by the MAC it answered from.
                             std::memcpy(link.mac, reply.mac, 6);
                             remembered.Add(MakeAdapterInfo(link.adapterIndex, reply.mac, 0));
                         } else {
                             remembered.Add(info);
                         }
                     });
}

int ControllerSearch::networkPass(int scopeAddress)
{
    CUniqueArray<unsigned short> ports;
    CoreAccess::validPorts(m_core, &ports);
    auto& remembered = CoreAccess::wanRecords(m_core);
    remembered.RemoveAll();

    report(CBC_SEARCH_CANDIDATE, CBE_SEARCH_PHASE, 2);
    const auto probe = [&](std::size_t i) {
        const std::uint16_t port = ports[static_cast<int>(i)];
        int answers = 0;
        const int result = m_links.discover(port, [&](std::uint8_t address, std::uint32_t ip) {
            if (!ControllerAddressAllowed(address))
                return true;
            ++answers;
            remembered.Add(MakeWanInfo(address, ip, port));
            ProbeLink link;
            link.mode = COMM_NETWORK;
            link.host = DottedAddress(ip);
            link.port = port;
            if (m_single) {
                m_haveFound = true;
                m_found = {COMM_NETWORK, link, address};
                return false;
            }
            // A scope pass takes the controllers of its own address, so
            // one answer does not become a screen per scope address.
            if (scopeAddress >= 0 && address == scopeAddress)
                found(link, address, true);
            else if (scopeAddress < 0)
                m_answered.push_back({COMM_NETWORK, link, address});
            return true;
        });
        if (result == -6) {
            ReportSearchCandidate(m_callback, nullptr, -6);
            return Probed{-6, false};
        }
        // A port without a socket is no candidate.
        if (result != -5) {
            SearchCandidate candidate;
            candidate.Form = 2;
            candidate.Port = port;
            ReportSearchCandidate(m_callback, &candidate, answers ? 0 : -3);
        }
        return Probed{result};
    };
    return probeLoop(static_cast<std::size_t>(ports.GetSize()), false, probe,
                     [&](std::size_t, int) { return m_haveFound ? 1 : 0; });
}

int ControllerSearch::rememberedPhase()
{
    CUniqueArray<int> scope;
    CoreAccess::screenScope(m_core, &scope);
    const auto serial = CoreAccess::serialRecords(m_core);
    const auto adapters = CoreAccess::adapterRecords(m_core);
    const auto network = CoreAccess::wanRecords(m_core);
    const std::size_t total = std::size_t(serial.GetSize() + adapters.GetSize()) * scope.GetSize() + network.GetSize();
    std::size_t done = 0;

    auto probeAndPlace = [&](const ProbeLink& link, std::uint8_t address, bool reportFound) {
        const ProbeReply reply = m_links.probe(link, address, false);
        report(CBC_SEARCH_PROGRESS, CBE_PROGRESS, percentOf(++done, total));
        if (reply.result == -6)
            return -6;
        if (reply.result > 0)
            found(link, address, reportFound);
        return 0;
    };

    report(CBC_PROBE, CBE_SEARCH_PHASE, 0);
    for (const CCore::SerialInfo& info : serial)
        for (const int address : scope)
            if (probeAndPlace(serialLink(info), static_cast<std::uint8_t>(address), true) < 0)
                return -6;
    report(CBC_PROBE, CBE_SEARCH_PHASE, 1);
    for (const CCore::AdapterInfo& info : adapters)
        for (const int address : scope)
            if (probeAndPlace(adapterLink(info), static_cast<std::uint8_t>(address), true) < 0)
                return -6;
    report(CBC_PROBE, CBE_SEARCH_PHASE, 2);
    for (const CCore::WanInfo& info : network) {
        ProbeLink link;
        link.mode = COMM_NETWORK;
        link.host = DottedAddress(info.Ip);
        link.port = info.Port;
        if (probeAndPlace(link, info.Address, false) < 0)
            return -6;
    }
    return 0;
}

FoundControllers ControllerSearch::run(int noNodes)
{
    m_single = m_core.IsSingleScreen() != 0;
    m_noNodes = false;
    m_count = 0;
    m_haveFound = false;
    m_answered.clear();
    m_made.clear();
    const auto result = [this](unsigned count) {
        FoundControllers out;
        out.count = count;
        out.links = std::move(m_made);
        m_made.clear();
        return out;
    };

    const bool serialOn = m_core.IsSerialPortEnabled() != 0;
    const bool lanOn = m_core.IsLanEnabled() != 0;
    const bool wanOn = m_core.IsWanEnabled() != 0;

    if (m_single || !serialOn) {
        m_noNodes = noNodes != 0;
        const bool replyFrame = m_single;
        int r = 0;
        if (serialOn)
            r = serialPass(255, replyFrame, false);
        if (r == 0 && lanOn)
            r = adapterPass(255, replyFrame, false);
        if (r == 0 && wanOn)
            r = networkPass(-1);
        if (r == -6) {
            // What answered before the cancel is kept, as the scope search
            // keeps the screens it made.
            if (!m_single)
                for (const Found& f : m_answered)
                    found(f.link, f.address, f.mode != COMM_NETWORK);
            return result(m_count);
        }
        if (m_single) {
            if (m_haveFound)
                found(m_found.link, m_found.address, true);
            return result(m_count);
        }
        if (m_noNodes) {
            // Counted, not made.
            return result(static_cast<unsigned>(CoreAccess::serialRecords(m_core).GetSize()
                                                + CoreAccess::adapterRecords(m_core).GetSize()
                                                + CoreAccess::wanRecords(m_core).GetSize()));
        }
        rememberedPhase();
        return result(m_count);
    }

    CUniqueArray<int> scope;
    CoreAccess::screenScope(m_core, &scope);
    for (const int value : scope) {
        const auto address = static_cast<std::uint8_t>(value);
        int r = serialPass(address, true, true);
        if (r == 0 && lanOn)
            r = adapterPass(address, true, true);
        if (r == 0 && wanOn)
            r = networkPass(address);
        if (r == -6)
            break;
    }
    return result(m_count);
}

FoundConnection ControllerSearch::runForScreen(const LinkSettings& own)
{
    FoundConnection out;
    out.link = own;
    LinkSettings& f = out.link;
    ProbeLink probe;
    probe.mode = own.Mode;
    switch (own.Mode) {
    case COMM_SERIAL:
        probe.portName = m_core.GetSerialPortName(static_cast<int>(own.SerialPort));
        probe.baudRate = own.BaudRate;
        break;
    case COMM_ETHERNET:
        probe.adapterIndex = own.AdapterIndex;
        probe.deviceName = m_core.GetAdapterName(static_cast<int>(own.AdapterIndex));
        std::memcpy(probe.mac, own.DstMAC, 6);
        break;
    default:
        probe.host = QByteArray(own.Host, static_cast<int>(strnlen(own.Host, sizeof own.Host)));
        probe.hostIsName = own.HostKind != 0;
        probe.port = own.HostPort;
        break;
    }

    report(CBC_SEARCH_PROGRESS, CBE_PROGRESS, 0);
    const ProbeReply reply = m_links.probe(probe, own.Address, true);
    if (reply.result > 0) {
        report(CBC_SEARCH_PROGRESS, CBE_PROGRESS, 100);
        report(CBC_PROBE, CBE_DONE, own.Address);
        if (own.Mode == COMM_ETHERNET && IsBroadcastMac(own.DstMAC))
            std::memcpy(f.DstMAC, reply.mac, 6);
        out.result = reply.result;
        return out;
    }
    if (reply.result == -6) {
        out.result = -6;
        return out;
    }
    switch (own.Mode) {
    case COMM_SERIAL:
        out.result = serialScreenSearch(f);
        break;
    case COMM_ETHERNET:
        out.result = adapterScreenSearch(f);
        break;
    default:
        out.result = networkScreenSearch(f);
        break;
    }
    return out;
}

template <typename Info, typename Store>
int ControllerSearch::probeForScreen(const CUniqueArray<Info>& listed, std::uint32_t phase, LinkSettings& f,
                                     Store store)
{
    report(CBC_PROBE, CBE_SEARCH_PHASE, phase);
    const std::size_t count = static_cast<std::size_t>(listed.GetSize());
    ProbeLink link;
    ProbeReply reply;
    const auto probe = [&](std::size_t k) {
        reply = probeRecord(listed[static_cast<int>(count - 1 - k)], f.Address, true, link);
        return Probed{reply.result};
    };
    const auto take = [&](std::size_t, int result) {
        if (result <= 0)
            return 0;
        f.Address = reply.address;
        store(link, reply);
        return 1;
    };
    return probeLoop(count, false, probe, take);
}

int ControllerSearch::serialScreenSearch(LinkSettings& f)
{
    CUniqueArray<CCore::SerialInfo> listed;
    listed.Add(MakeSerialInfo(m_core.GetSerialPortName(static_cast<int>(f.SerialPort)), f.BaudRate));
    CUniqueArray<QString> ports;
    CoreAccess::serialPorts(m_core, &ports);
    for (int i = ports.GetSize() - 1; i >= 0; --i) {
        listed.Add(MakeSerialInfo(ports[i], kSlowBaud));
        listed.Add(MakeSerialInfo(ports[i], kFastBaud));
    }

    return probeForScreen(listed, 0, f, [&](const ProbeLink& link, const ProbeReply&) {
        f.BaudRate = link.baudRate;
        f.SerialPort = serialPortNumber(link.portName);
    });
}

int ControllerSearch::adapterScreenSearch(LinkSettings& f)
{
    CUniqueArray<CCore::AdapterInfo> listed;
    listed.Add(MakeAdapterInfo(f.AdapterIndex, kBroadcastMac, 0xFFFF));
    CUniqueArray<pcapdevinfo> adapters;
    CoreAccess::adapters(m_core, &adapters);
    for (int i = adapters.GetSize() - 1; i >= 0; --i)
        listed.Add(MakeAdapterInfo(static_cast<std::uint32_t>(i), kBroadcastMac, 0xFFFF));

    return probeForScreen(listed, 1, f, [&](const ProbeLink& link, const ProbeReply& reply) {
        f.AdapterIndex = link.adapterIndex;
        std::memcpy(f.DstMAC, reply.mac, 6);
    });
}

int ControllerSearch::networkScreenSearch(LinkSettings& f)
{
    bool answered = false;
    std::uint8_t address = 0;
    std::uint32_t ip = 0;
    const int result = m_links.discover(f.HostPort, [&](std::uint8_t a, std::uint32_t from) {
        answered = true;
        address = a;
        ip = from;
        return false;
    });
    if (result == -6)
        return -6;
    SearchCandidate candidate;
    candidate.Form = 2;
    candidate.Port = f.HostPort;
    ReportSearchCandidate(m_callback, &candidate, answered ? 0 : -3);
    report(CBC_SEARCH_PROGRESS, CBE_PROGRESS, 100);
    if (!answered)
        return 0;
    f.Address = address;
    f.HostKind = 0;
    const QByteArray host = DottedAddress(ip);
    std::memset(f.Host, 0, sizeof f.Host);
    std::memcpy(f.Host, host.constData(), std::min<std::size_t>(host.size(), sizeof f.Host - 1));
    return 1;
}
