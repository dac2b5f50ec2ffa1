#include "core/link/Adapters.h"
#include "core/link/Search.h"
#include "core/link/SerialPorts.h"
#include "core/model/CoreState.h"
#include "core/model/ItemData.h"
#include "core/model/CoreAccess.h"
#include "support/SimControllerSearch.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>
#include <set>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

struct Report {
    unsigned cmd;
    unsigned event;
    std::uintptr_t value;
};
std::vector<Report> g_reports;
std::vector<SearchCandidate> g_candidates;   // copies taken during the call
std::vector<std::u16string> g_candidateNames;
void record(unsigned cmd, unsigned event, std::uintptr_t value)
{
    g_reports.push_back({cmd, event, value});
    if (cmd == 225 && event != 10 && value) {
        const auto* c = reinterpret_cast<const SearchCandidate*>(value);
        g_candidates.push_back(*c);
        g_candidateNames.push_back(c->PortName ? std::u16string(c->PortName) : std::u16string());
    }
}

// Reports without the pointer values, as (cmd, event, value) with value 0
// for candidate events, so sequences read plainly.
std::vector<std::array<unsigned, 3>> plainReports()
{
    std::vector<std::array<unsigned, 3>> out;
    for (const Report& r : g_reports)
        out.push_back({r.cmd, r.event, r.cmd == 225 && r.event != 10 ? 0u : static_cast<unsigned>(r.value)});
    return out;
}

void noSerialPorts(std::vector<SSerInfo>& ports) { ports.clear(); }

std::vector<pcapdevinfo> g_adapters;
int fakeAdapters(CUniqueArray<pcapdevinfo>& list)
{
    for (const pcapdevinfo& a : g_adapters)
        list.Add(a);
    return list.GetSize();
}

pcapdevinfo adapter(std::uint32_t index, const char* name)
{
    pcapdevinfo a;
    std::memset(&a, 0, sizeof a);
    a.index = index;
    std::strcpy(a.name, name);
    return a;
}

const std::uint8_t kMacA[6] = {0x02, 0, 0, 0, 0, 0x0A};

// Links whose probes answer from a table of controllers; discovery goes to
// the real UDP path.
class FakeLinks : public SearchLinks {
public:
    struct SerialController {
        std::uint32_t baud;
        std::set<int> addresses;
    };
    std::map<QString, SerialController> serial;
    struct AdapterController {
        std::uint8_t mac[6];
        std::set<int> addresses;
    };
    std::map<std::uint32_t, AdapterController> adapters;
    std::set<std::string> tcpHosts;   // "host:port:address"
    std::vector<std::string> probes;
    std::vector<int> sleeps;
    int cancelAtProbe = -1;
    int udpTimeout = 300;

    ProbeReply probe(const ProbeLink& link, std::uint8_t address, bool replyFrame) override
    {
        std::string line;
        ProbeReply reply;
        reply.result = -3;
        if (link.mode == COMM_SERIAL) {
            line = "S " + link.portName.toStdString() + " " + std::to_string(link.baudRate);
            auto it = serial.find(link.portName);
            if (it != serial.end() && it->second.baud == link.baudRate && !it->second.addresses.empty()
                && (address == 255 || it->second.addresses.count(address))) {
                reply.result = replyFrame ? 4 : 4;
                reply.address = address == 255 ? static_cast<std::uint8_t>(*it->second.addresses.begin()) : address;
            }
        } else if (link.mode == COMM_ETHERNET) {
            line = "E " + std::to_string(link.adapterIndex) + (link.mac[0] == 0xFF ? " any" : " mac");
            auto it = adapters.find(link.adapterIndex);
            if (it != adapters.end() && (link.mac[0] == 0xFF || std::memcmp(link.mac, it->second.mac, 6) == 0)
                && (address == 255 || it->second.addresses.count(address))) {
                reply.result = 4;
                reply.address = address == 255 ? static_cast<std::uint8_t>(*it->second.addresses.begin()) : address;
                std::memcpy(reply.mac, it->second.mac, 6);
            }
        } else {
            line = "N " + link.host.toStdString() + ":" + std::to_string(link.port) + ":" + std::to_string(address);
            if (tcpHosts.count(line.substr(2)))
                reply.result = 4;
            reply.address = address;
        }
        line += " @" + std::to_string(address) + (replyFrame ? " frame" : " byte");
        if (static_cast<int>(probes.size()) == cancelAtProbe)
            reply.result = -6;
        probes.push_back(line);
        return reply;
    }
    int discover(std::uint16_t port, const DiscoveryAnswer& answer) override
    {
        if (!cancelAfterAnswers)
            return DiscoverOverUdp(port, udpTimeout, answer);
        int answers = 0;
        return DiscoverOverUdp(port, udpTimeout, [&](std::uint8_t address, std::uint32_t ip) {
            if (++answers == cancelAfterAnswers)
                CancelEvent()->set();
            return answer(address, ip);
        });
    }
    int cancelAfterAnswers = 0;
    void sleep(int ms) override { sleeps.push_back(ms); }
};

class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_reports.clear();
        g_candidates.clear();
        g_candidateNames.clear();
        SetSerialEnumerator(noSerialPorts);
        SetAdapterEnumerator(fakeAdapters);
        core = std::make_unique<CCore>();
        core->SetCommCallBack(record);
        core->DelPort(8080);
    }
    void TearDown() override
    {
        core.reset();
        SetSerialEnumerator(nullptr);
        SetAdapterEnumerator(nullptr);
        g_adapters.clear();
    }
    std::vector<tagItemData*> screens()
    {
        std::vector<tagItemData*> out;
        for (tagItemData* s = CoreAccess::root(*core)->FirstChild; s; s = s->NextSibling)
            out.push_back(s);
        return out;
    }
    // The search finds, the tree's owner places what it found.
    unsigned run(int replace = 0, int start = 0, int noNodes = 0)
    {
        ControllerSearch search(*core, links);
        const FoundControllers found = search.run(noNodes);
        std::vector<tagItemData*> written;
        PlaceFoundScreens(*core, found, replace, start, written);
        EXPECT_EQ(written.size(), found.links.size());
        return found.count;
    }
    int findAgain(ControllerSearch& search, tagItemData* screen)
    {
        if (!screen)
            return 0;
        const FoundConnection found = search.runForScreen(CCore::GetOwnLink(screen));
        CCore::StoreConnection(found, screen->Global);
        return found.result;
    }
    std::unique_ptr<CCore> core;
    FakeLinks links;
};

} // namespace

TEST_F(Search, SingleScreenStopsAtTheFirstAnswerAndRemembersTheLink)
{
    core->AddUserSerialPort(u"COM1");
    core->AddUserSerialPort(u"COM3");
    core->EnableWan(1);
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 9}}));
    core->AddPort(udp.port());
    links.serial[QStringLiteral("COM3")] = {115200, {5}};

    EXPECT_EQ(run(), 1u);
    EXPECT_EQ(links.probes, (std::vector<std::string>{"S COM1 115200 @255 frame", "S COM1 9600 @255 frame",
                                                      "S COM3 115200 @255 frame"}));
    EXPECT_EQ(udp.probes(), 0);   // the network pass did not run
    const auto made = screens();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0]->Global.CommType, COMM_SERIAL);
    EXPECT_EQ(made[0]->Global.SerialPort, 3u);
    EXPECT_EQ(made[0]->Global.BaudRate, 115200u);
    EXPECT_EQ(made[0]->Global.ID, 5);
    EXPECT_EQ(plainReports(), (std::vector<std::array<unsigned, 3>>{
                                  {225, 10, 0}, {225, 7, 0}, {255, 2, 25}, {225, 7, 0}, {255, 2, 50},
                                  {225, 3, 0}, {255, 2, 75}, {21, 3, 5}}));
    ASSERT_EQ(g_candidates.size(), 3u);
    EXPECT_EQ(g_candidateNames[2], u"COM3");
    EXPECT_EQ(g_candidates[2].BaudRate, 115200u);

    // Searched again: the remembered link comes first.
    links.probes.clear();
    EXPECT_EQ(run(), 1u);
    EXPECT_EQ(links.probes, (std::vector<std::string>{"S COM3 115200 @255 frame"}));
    EXPECT_EQ(screens().size(), 2u);
}

TEST_F(Search, RememberedLinksOfUnpluggedPortsAreDroppedAndSilentOnesForgotten)
{
    core->AddUserSerialPort(u"COM1");
    core->AddUserSerialPort(u"COM3");
    links.serial[QStringLiteral("COM3")] = {9600, {2}};
    ASSERT_EQ(run(), 1u);
    // COM3 is unplugged; COM1 now carries a controller that COM3's record cannot reach.
    core->RemoveUserSerialPort(u"COM3");
    links.serial.clear();
    links.probes.clear();
    EXPECT_EQ(run(), 0u);
    EXPECT_EQ(links.probes, (std::vector<std::string>{"S COM1 115200 @255 frame", "S COM1 9600 @255 frame"}));

    // A remembered link that stays silent is forgotten.
    core->AddUserSerialPort(u"COM3");
    links.serial[QStringLiteral("COM3")] = {9600, {2}};
    ASSERT_EQ(run(), 1u);
    links.serial.clear();
    EXPECT_EQ(run(), 0u);
    links.probes.clear();
    EXPECT_EQ(run(), 0u);
    EXPECT_EQ(links.probes.front(), "S COM1 115200 @255 frame");
}

TEST_F(Search, NetworkBroadcastFindsSeveralControllersAndMakesAScreenEach)
{
    core->SetSingleScreen(0);
    core->EnableSerialPort(0);
    core->EnableWan(1);
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}, {"127.0.0.3", 2, 40}, {"127.0.0.4", 3}}));
    const std::uint16_t port = udp.port();
    core->AddPort(port);
    for (const char* host : {"127.0.0.2:%d:1", "127.0.0.3:%d:2", "127.0.0.4:%d:3"})
        links.tcpHosts.insert(QString::asprintf(host, port).toStdString());

    EXPECT_EQ(run(), 3u);
    EXPECT_GE(udp.probes(), 1);
    const auto made = screens();
    ASSERT_EQ(made.size(), 3u);
    std::set<std::string> hosts;
    for (tagItemData* s : made) {
        EXPECT_EQ(s->Global.CommType, COMM_NETWORK);
        EXPECT_EQ(s->Global.HostPort, port);
        EXPECT_EQ(s->Global.HostKind, 0);
        hosts.insert(std::string(s->Global.Host) + "=" + std::to_string(s->Global.ID));
    }
    EXPECT_EQ(hosts, (std::set<std::string>{"127.0.0.2=1", "127.0.0.3=2", "127.0.0.4=3"}));
    EXPECT_EQ(links.probes.size(), 3u);
    EXPECT_EQ(links.probes[0].substr(0, 2), "N ");
    EXPECT_NE(links.probes[0].find(" byte"), std::string::npos);
    EXPECT_EQ(plainReports(), (std::vector<std::array<unsigned, 3>>{
                                  {225, 10, 2}, {225, 3, 0}, {255, 2, 100}, {21, 10, 0}, {21, 10, 1},
                                  {21, 10, 2}, {255, 2, 33}, {255, 2, 66}, {255, 2, 100}}));
    EXPECT_EQ(g_candidates.back().Form, 2u);
    EXPECT_EQ(g_candidates.back().Port, port);
}

TEST_F(Search, BroadcastModeProbesRememberedAdaptersForEveryScopeAddress)
{
    g_adapters = {adapter(0, "va")};
    core->EnumAdapterList();
    core->SetSingleScreen(0);
    core->EnableSerialPort(0);
    core->EnableLan(1);
    core->AddScreenScope(2);
    core->AddScreenScope(7);
    links.adapters[0] = {{0x02, 0, 0, 0, 0, 0x0A}, {1, 2}};

    EXPECT_EQ(run(), 2u);
    EXPECT_EQ(links.probes, (std::vector<std::string>{"E 0 any @255 byte", "E 0 mac @1 byte", "E 0 mac @2 byte",
                                                      "E 0 mac @7 byte"}));
    const auto made = screens();
    ASSERT_EQ(made.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(made[i]->Global.CommType, COMM_ETHERNET);
        EXPECT_EQ(made[i]->Global.ID, i + 1);
        EXPECT_EQ(std::memcmp(made[i]->Global.DstMAC, kMacA, 6), 0);
    }
    // With the no-nodes flag nothing is made, the links are only counted.
    EXPECT_EQ(run(0, 0, 1), 1u);
    EXPECT_EQ(screens().size(), 2u);
}

TEST_F(Search, ScopeModeProbesEveryScopeAddressOnEveryLinkAndWaitsAfterEachProbe)
{
    core->SetSingleScreen(0);
    core->AddUserSerialPort(u"COM1");
    core->AddScreenScope(2);
    core->AddScreenScope(3);
    links.serial[QStringLiteral("COM1")] = {115200, {1, 3}};

    EXPECT_EQ(run(), 2u);
    EXPECT_EQ(links.probes, (std::vector<std::string>{"S COM1 115200 @1 frame", "S COM1 9600 @1 frame",
                                                      "S COM1 115200 @2 frame", "S COM1 9600 @2 frame",
                                                      "S COM1 115200 @3 frame", "S COM1 9600 @3 frame"}));
    EXPECT_EQ(links.sleeps, (std::vector<int>(6, 350)));
    const auto made = screens();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0]->Global.ID, 1);
    EXPECT_EQ(made[1]->Global.ID, 3);
    int found = 0;
    for (const Report& r : g_reports)
        found += r.cmd == 21 && r.event == 3;
    EXPECT_EQ(found, 2);
}

TEST_F(Search, CancelEndsEveryPassAndKeepsTheScreensMadeSoFar)
{
    core->SetSingleScreen(0);
    core->EnableWan(1);
    core->AddPort(9);
    core->AddUserSerialPort(u"COM1");
    core->AddScreenScope(2);
    links.serial[QStringLiteral("COM1")] = {115200, {1, 2}};
    links.cancelAtProbe = 2;
    EXPECT_EQ(run(), 1u);
    EXPECT_EQ(links.probes.size(), 3u);
    EXPECT_EQ(screens().size(), 1u);
    EXPECT_EQ(g_reports[g_reports.size() - 2].event, 9u);
}

TEST_F(Search, ScreensAreReusedFromTheStartIndexOrInsertedAfterIt)
{
    tagItemData* root = CoreAccess::root(*core);
    tagItemData* a = CreateNode(nullptr, IT_SCREEN, u"a", root);
    tagItemData* b = CreateNode(a, IT_SCREEN, u"b", root);
    tagItemData* c = CreateNode(b, IT_SCREEN, u"c", root);
    core->AddUserSerialPort(u"COM4");
    links.serial[QStringLiteral("COM4")] = {9600, {6}};

    EXPECT_EQ(run(1, 1), 1u);
    EXPECT_EQ(screens(), (std::vector<tagItemData*>{a, b, c}));
    EXPECT_EQ(b->Global.ID, 6);
    EXPECT_EQ(b->Global.SerialPort, 4u);
    EXPECT_EQ(b->Global.BaudRate, 9600u);

    EXPECT_EQ(run(0, 1), 1u);
    auto now = screens();
    ASSERT_EQ(now.size(), 4u);
    EXPECT_EQ(now[2]->Name[0], 0);   // a new screen with no name after b
    EXPECT_EQ(now[3], c);

    EXPECT_EQ(run(0, 99), 1u);
    now = screens();
    ASSERT_EQ(now.size(), 5u);
    EXPECT_EQ(now[3], c);
    EXPECT_EQ(now[4]->Global.ID, 6);
}

TEST_F(Search, AScreenWhoseControllerMovedIsFoundAgainOnItsKindOfLink)
{
    core->AddUserSerialPort(u"COM1");
    core->AddUserSerialPort(u"COM3");
    tagItemData* screen = CreateNode(nullptr, IT_SCREEN, u"s", CoreAccess::root(*core));
    screen->Global.SerialPort = 3;
    screen->Global.BaudRate = 9600;
    screen->Global.ID = 4;
    links.serial[QStringLiteral("COM3")] = {115200, {4}};

    ControllerSearch search(*core, links);
    EXPECT_EQ(findAgain(search, screen), 1);
    EXPECT_EQ(screen->Global.BaudRate, 115200u);
    EXPECT_EQ(screen->Global.SerialPort, 3u);
    EXPECT_EQ(links.probes, (std::vector<std::string>{"S COM3 9600 @4 frame", "S COM1 115200 @4 frame",
                                                      "S COM1 9600 @4 frame", "S COM3 115200 @4 frame"}));
    EXPECT_EQ(plainReports().front(), (std::array<unsigned, 3>{255, 2, 0}));
    EXPECT_EQ(plainReports()[1], (std::array<unsigned, 3>{21, 10, 0}));

    // Found on its own link at once.
    g_reports.clear();
    EXPECT_EQ(findAgain(search, screen), 4);
    EXPECT_EQ(plainReports(), (std::vector<std::array<unsigned, 3>>{{255, 2, 0}, {255, 2, 100}, {21, 3, 4}}));
    EXPECT_EQ(findAgain(search, nullptr), 0);
    links.cancelAtProbe = static_cast<int>(links.probes.size());
    links.serial.clear();
    EXPECT_EQ(findAgain(search, screen), -6);
}

TEST_F(Search, AScreenOnTheNetworkTakesTheAddressOfTheFirstUdpAnswer)
{
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.5", 12, 3}}));
    tagItemData* screen = CreateNode(nullptr, IT_SCREEN, u"s", CoreAccess::root(*core));
    screen->Global.CommType = COMM_NETWORK;
    screen->Global.HostKind = 1;
    std::strcpy(screen->Global.Host, "controller.invalid");
    screen->Global.HostPort = udp.port();
    ControllerSearch search(*core, links);
    EXPECT_EQ(findAgain(search, screen), 1);
    EXPECT_STREQ(screen->Global.Host, "127.0.0.5");
    EXPECT_EQ(screen->Global.HostKind, 0);
    EXPECT_EQ(screen->Global.ID, 12);
    const auto reports = plainReports();
    EXPECT_EQ(reports[reports.size() - 2], (std::array<unsigned, 3>{225, 3, 0}));
    EXPECT_EQ(reports.back(), (std::array<unsigned, 3>{255, 2, 100}));
}

TEST(UdpDiscovery, EndsAfterTheReceiveTimeOutOrWhenCancelled)
{
    corestate::acquireCancelEvent();
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({}));
    const auto begin = std::chrono::steady_clock::now();
    int answers = 0;
    EXPECT_EQ(DiscoverOverUdp(udp.port(), 150, [&](std::uint8_t, std::uint32_t) { return ++answers, true; }), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(140));
    EXPECT_EQ(answers, 0);
    EXPECT_EQ(udp.probes(), 1);
    CancelEvent()->set();
    EXPECT_EQ(DiscoverOverUdp(udp.port(), 5000, [&](std::uint8_t, std::uint32_t) { return true; }), -6);
    corestate::releaseCancelEvent();
}

TEST(UdpDiscovery, ABroadcastWithoutARouteDoesNotStopTheLoopbackProbe)
{
    bool ran = false;
    const bool made = sim::RunInNetworkNamespace([&] {
        ran = true;
        // The namespace has only loopback: a broadcast has no route.
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int on = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(9);
        to.sin_addr.s_addr = htonl(INADDR_BROADCAST);
        EXPECT_LT(::sendto(fd, "x", 1, 0, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        ::close(fd);

        sim::UdpControllers udp;
        ASSERT_TRUE(udp.start({{"127.0.0.2", 1}, {"127.0.0.3", 2}}));
        std::vector<std::pair<int, std::uint32_t>> answers;
        EXPECT_EQ(DiscoverOverUdp(udp.port(), 200, [&](std::uint8_t a, std::uint32_t ip) {
                      answers.emplace_back(a, ip);
                      return true;
                  }),
                  0);
        ASSERT_EQ(answers.size(), 2u);
        std::set<std::string> seen;
        for (auto& [a, ip] : answers)
            seen.insert(DottedAddress(ip).toStdString() + "=" + std::to_string(a));
        EXPECT_EQ(seen, (std::set<std::string>{"127.0.0.2=1", "127.0.0.3=2"}));
    });
    if (!made)
        GTEST_SKIP() << "needs root to make a network namespace";
    EXPECT_TRUE(ran);
}

TEST(SearchHelpers, PortNumbersAndDottedAddresses)
{
    EXPECT_EQ(SerialPortDigits(QStringLiteral("COM12")), 12u);
    EXPECT_EQ(SerialPortDigits(QStringLiteral("/dev/pts/5")), 5u);
    EXPECT_EQ(SerialPortDigits(QStringLiteral("ttyUSB0")), 0u);
    EXPECT_EQ(SerialPortDigits(QStringLiteral("7")), 0u);   // nothing before the digits
    EXPECT_EQ(SerialPortDigits(QStringLiteral("console")), 0u);
    EXPECT_EQ(DottedAddress(Ipv4(10, 0, 255, 1)), QByteArray("10.0.255.1"));
}

TEST_F(Search, ScopeModeMakesANetworkScreenOnlyForTheScopeAddressItSearches)
{
    core->SetSingleScreen(0);
    core->EnableWan(1);
    core->AddScreenScope(2);
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}, {"127.0.0.3", 2}, {"127.0.0.4", 9}}));
    core->AddPort(udp.port());

    EXPECT_EQ(run(), 2u);
    EXPECT_EQ(udp.probes(), 2);   // one discovery per scope address
    const auto made = screens();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_STREQ(made[0]->Global.Host, "127.0.0.2");
    EXPECT_EQ(made[0]->Global.ID, 1);
    EXPECT_STREQ(made[1]->Global.Host, "127.0.0.3");
    EXPECT_EQ(made[1]->Global.ID, 2);
}

TEST_F(Search, ACancelledBroadcastSearchKeepsTheControllersThatAnswered)
{
    core->SetSingleScreen(0);
    core->EnableSerialPort(0);
    core->EnableWan(1);
    sim::UdpControllers udp;
    ASSERT_TRUE(udp.start({{"127.0.0.2", 1}, {"127.0.0.3", 2}}));
    core->AddPort(udp.port());
    links.cancelAfterAnswers = 2;
    EXPECT_EQ(run(), 2u);
    const auto made = screens();
    ASSERT_EQ(made.size(), 2u);
    std::set<std::string> hosts;
    for (tagItemData* s : made)
        hosts.insert(std::string(s->Global.Host) + "=" + std::to_string(s->Global.ID));
    EXPECT_EQ(hosts, (std::set<std::string>{"127.0.0.2=1", "127.0.0.3=2"}));
    EXPECT_TRUE(links.probes.empty());   // nothing probed after the cancel
}

TEST(UdpDiscovery, ADeviceThatKeepsAnsweringCannotMakeItEndless)
{
    corestate::acquireCancelEvent();
    sim::UdpControllers udp;
    sim::UdpControllers::Controller chatty{"127.0.0.2", 7};
    chatty.repeatMs = 10;
    ASSERT_TRUE(udp.start({chatty}));
    const auto begin = std::chrono::steady_clock::now();
    int answers = 0;
    // Bounded, so that a loop that never ends fails instead of hanging.
    EXPECT_EQ(DiscoverOverUdp(udp.port(), 200, [&](std::uint8_t, std::uint32_t) { return ++answers < 300; }), 0);
    const auto took = std::chrono::steady_clock::now() - begin;
    EXPECT_GE(answers, 3);
    EXPECT_LT(answers, 300);
    EXPECT_LT(took, std::chrono::milliseconds(1000));
    corestate::releaseCancelEvent();
}
