#include "core/link/SearchRecords.h"
#include "core/model/GlobalInfo.h"

#include <gtest/gtest.h>

#include <vector>

using namespace sorvane::link;

namespace {

struct Report {
    unsigned cmd;
    unsigned event;
    std::uintptr_t value;
};
std::vector<Report> g_reports;
void record(unsigned cmd, unsigned event, std::uintptr_t value) { g_reports.push_back({cmd, event, value}); }

} // namespace

TEST(SearchRecords, SerialLinkIsBaudThenThirtyTwoWideUnits)
{
    const CCore::SerialInfo info = MakeSerialInfo(QStringLiteral("COM3"), 115200);
    std::uint8_t out[kSerialInfoSize];
    std::memset(out, 0xCC, sizeof out);
    WriteSerialInfo(info, out);
    const std::uint8_t head[] = {0x00, 0xC2, 0x01, 0x00, 'C', 0, 'O', 0, 'M', 0, '3', 0};
    EXPECT_EQ(std::memcmp(out, head, sizeof head), 0);
    for (std::size_t i = sizeof head; i < kSerialInfoSize; ++i)
        EXPECT_EQ(out[i], 0) << i;
    EXPECT_EQ(SerialInfoPortName(info), QStringLiteral("COM3"));

    CCore::SerialInfo back = MakeSerialInfo(QStringLiteral("x"), 1);
    EXPECT_FALSE(ReadSerialInfo(out, kSerialInfoSize - 1, back));
    EXPECT_EQ(back.BaudRate, 1u);
    ASSERT_TRUE(ReadSerialInfo(out, kSerialInfoSize, back));
    EXPECT_EQ(std::memcmp(&back, &info, sizeof info), 0);

    // A long name keeps a terminator inside the field.
    const CCore::SerialInfo longName = MakeSerialInfo(QString(40, u'a'), 9600);
    EXPECT_EQ(SerialInfoPortName(longName).size(), 31);
    EXPECT_EQ(longName.PortName[31], 0);
}

TEST(SearchRecords, AdapterAndNetworkLinksAreTwelveBytes)
{
    const std::uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::uint8_t out[kAdapterInfoSize];
    WriteAdapterInfo(MakeAdapterInfo(2, mac, 0xFFFF), out);
    const std::uint8_t adapter[] = {2, 0, 0, 0, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(out, adapter, sizeof adapter), 0);

    std::uint8_t wan[kWanInfoSize];
    std::memset(wan, 0xCC, sizeof wan);
    WriteWanInfo(MakeWanInfo(7, Ipv4(192, 168, 1, 20), 8080), wan);
    const std::uint8_t expected[] = {7, 0, 0, 0, 192, 168, 1, 20, 0x90, 0x1F, 0, 0};
    EXPECT_EQ(std::memcmp(wan, expected, sizeof expected), 0);

    CCore::WanInfo back = MakeWanInfo(1, 1, 1);
    EXPECT_FALSE(ReadWanInfo(wan, 11, back));
    EXPECT_EQ(back.Address, 1);
    ASSERT_TRUE(ReadWanInfo(wan, 12, back));
    EXPECT_EQ(back.Address, 7);
    EXPECT_EQ(back.Ip, Ipv4(192, 168, 1, 20));
    EXPECT_EQ(back.Port, 8080);
    CCore::AdapterInfo a = MakeAdapterInfo(9, mac, 0);
    ASSERT_TRUE(ReadAdapterInfo(adapter, 12, a));
    EXPECT_EQ(a.AdapterIndex, 2u);
    EXPECT_EQ(a.Extra[0], 0xFF);
}

TEST(SearchRecords, RememberedLinksCompareWholeRecords)
{
    const std::uint8_t mac[6] = {1, 2, 3, 4, 5, 6};
    CUniqueArray<CCore::AdapterInfo> adapters;
    EXPECT_EQ(adapters.Add(MakeAdapterInfo(0, mac, 0xFFFF)), 0);
    EXPECT_EQ(adapters.Add(MakeAdapterInfo(0, mac, 0)), 1);   // the further bytes count too
    EXPECT_EQ(adapters.Add(MakeAdapterInfo(0, mac, 0xFFFF)), 0);
    CUniqueArray<CCore::SerialInfo> serial;
    EXPECT_EQ(serial.Add(MakeSerialInfo(QStringLiteral("COM3"), 9600)), 0);
    EXPECT_EQ(serial.Add(MakeSerialInfo(QStringLiteral("COM3"), 115200)), 1);
    EXPECT_EQ(serial.Add(MakeSerialInfo(QStringLiteral("COM3"), 9600)), 0);
}

TEST(SearchRecords, CandidateOutcomesMapToEvents)
{
    g_reports.clear();
    const char16_t name[] = u"COM3";
    SearchCandidate candidate;
    candidate.Form = 0;
    candidate.PortName = name;
    candidate.BaudRate = 115200;
    const int results[] = {0, 40, -1, -2, -3, -4, -5, -6};
    for (int r : results)
        EXPECT_EQ(ReportSearchCandidate(record, &candidate, r), r);
    const auto value = reinterpret_cast<std::uintptr_t>(&candidate);
    const std::vector<std::pair<unsigned, std::uintptr_t>> expected = {
        {3, value}, {3, value}, {5, value}, {7, value}, {6, value}, {1, value}, {9, 0}};
    ASSERT_EQ(g_reports.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(g_reports[i].cmd, 225u);
        EXPECT_EQ(g_reports[i].event, expected[i].first) << i;
        EXPECT_EQ(g_reports[i].value, expected[i].second) << i;
    }
    EXPECT_EQ(ReportSearchCandidate(nullptr, &candidate, -3), -3);
}
