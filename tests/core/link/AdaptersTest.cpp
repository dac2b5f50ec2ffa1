#include "core/link/Adapters.h"
#include "core/api/Core.h"

#include <gtest/gtest.h>

#include <pcap/pcap.h>
#include <unistd.h>

#include <cstring>

using namespace sorvane::link;

namespace {

pcapdevinfo sampleAdapter()
{
    pcapdevinfo a;
    std::memset(&a, 0, sizeof a);
    a.index = 0x04030201;
    std::strcpy(a.name, "eth0");
    std::strcpy(a.description, "Wired");
    const std::uint8_t mac[8] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e, 0, 0};
    std::memcpy(a.address, mac, 8);
    a.reserved1[0] = 0x77;
    a.reserved1[63] = 0x88;
    return a;
}

std::u16string text(const char16_t* t) { return std::u16string(t); }

}  // namespace

TEST(AdapterRecord, BytesAtTheirOffsets)
{
    const pcapdevinfo a = sampleAdapter();
    const QByteArray bytes = WritePcapDevInfo(a);
    ASSERT_EQ(bytes.size(), 600);
    QByteArray expected(600, '\0');
    expected[0] = 0x01;
    expected[1] = 0x02;
    expected[2] = 0x03;
    expected[3] = 0x04;
    expected.replace(8, 4, "eth0");
    expected.replace(268, 5, "Wired");
    const char mac[] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    expected.replace(528, 6, QByteArray(mac, 6));
    expected[536] = 0x77;
    expected[599] = static_cast<char>(0x88);
    EXPECT_EQ(bytes.toHex(), expected.toHex());

    pcapdevinfo back;
    std::memset(&back, 0xEE, sizeof back);
    ASSERT_TRUE(ReadPcapDevInfo(bytes, back));
    EXPECT_EQ(std::memcmp(&back, &a, sizeof a), 0);

    pcapdevinfo untouched = a;
    EXPECT_FALSE(ReadPcapDevInfo(bytes.left(599), untouched));
    EXPECT_EQ(std::memcmp(&untouched, &a, sizeof a), 0);
}

TEST(MacText, FormatsTwelveLowerCaseDigits)
{
    const std::uint8_t mac[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    char16_t out[16];
    std::fill(std::begin(out), std::end(out), u'X');
    EXPECT_EQ(CCore::ConvertMACToStr(mac, out), 1);
    EXPECT_EQ(text(out), u"001a2b3c4d5e");
    EXPECT_EQ(out[13], u'X');

    const std::uint8_t broadcast[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    FormatMacText(broadcast, out);
    EXPECT_EQ(text(out), u"ffffffffffff");

    EXPECT_EQ(CCore::ConvertMACToStr(mac, nullptr), 0);
    EXPECT_EQ(CCore::ConvertMACToStr(nullptr, out), 0);
}

TEST(MacText, ParsesDigitsInEitherCase)
{
    std::uint8_t mac[6] = {};
    EXPECT_EQ(CCore::ConvertStrToMAC(u"001A2B3C4D5E", mac), 1);
    const std::uint8_t expected[6] = {0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
    EXPECT_EQ(std::memcmp(mac, expected, 6), 0);

    EXPECT_NE(ParseMacText(u"ffffffffffff", mac), 0);
    for (std::uint8_t b : mac)
        EXPECT_EQ(b, 0xFF);
}

TEST(MacText, SkipsSeparatorsAndKeepsBytesWithoutDigits)
{
    std::uint8_t mac[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_NE(ParseMacText(u"0a-1b", mac), 0);
    const std::uint8_t expected[6] = {0x0A, 0x1B, 3, 4, 5, 6};
    EXPECT_EQ(std::memcmp(mac, expected, 6), 0);

    // An odd digit fills the high nibble of its byte.
    std::uint8_t odd[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_NE(ParseMacText(u"0a1", odd), 0);
    EXPECT_EQ(odd[0], 0x0A);
    EXPECT_EQ(odd[1], 0x10);
    EXPECT_EQ(odd[2], 9);

    // Twelve characters are the limit, separators included.
    std::uint8_t cut[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_NE(ParseMacText(u"00-1a-2b-3c-", cut), 0);
    const std::uint8_t expectedCut[6] = {0x00, 0x1a, 0x2b, 0x3c, 5, 6};
    EXPECT_EQ(std::memcmp(cut, expectedCut, 6), 0);

    // Non-hex text still counts as given.
    std::uint8_t none[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_NE(ParseMacText(u"zz", none), 0);
    const std::uint8_t same[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(std::memcmp(none, same, 6), 0);
}

TEST(MacText, EmptyNullAndOverLongTextsChangeNothing)
{
    const std::uint8_t original[6] = {1, 2, 3, 4, 5, 6};
    std::uint8_t mac[6];
    std::memcpy(mac, original, 6);

    EXPECT_EQ(ParseMacText(u"", mac), 0);
    EXPECT_EQ(ParseMacText(nullptr, mac), 0);
    EXPECT_EQ(ParseMacText(u"00-1a-2b-3c-4d-5e", mac), 0);
    EXPECT_EQ(ParseMacText(u"001a2b3c4d5e0", mac), 0);
    EXPECT_EQ(std::memcmp(mac, original, 6), 0);

    EXPECT_EQ(CCore::ConvertStrToMAC(u"00-1a-2b-3c-4d-5e", mac), 0);
    EXPECT_EQ(CCore::ConvertStrToMAC(nullptr, mac), 0);
    EXPECT_EQ(CCore::ConvertStrToMAC(u"001a2b3c4d5e", nullptr), 0);
    EXPECT_EQ(CCore::ConvertStrToMAC(u"", mac), 1);
    EXPECT_EQ(std::memcmp(mac, original, 6), 0);
}

TEST(Adapters, SystemEnumerationListsEthernetDevicesInOrder)
{
    CUniqueArray<pcapdevinfo> list;
    list.Add(sampleAdapter());
    const int n = EnumNetworkAdapters(list);
    ASSERT_EQ(n, list.GetSize());
    for (int i = 0; i < n; ++i) {
        const pcapdevinfo& a = list[i];
        EXPECT_EQ(a.index, static_cast<std::uint32_t>(i));
        EXPECT_NE(a.name[0], '\0');
        EXPECT_STRNE(a.name, "lo");
        EXPECT_STRNE(a.name, "any");
        std::uint8_t mac[8];
        EXPECT_EQ(QueryAdapterMac(a.name, mac), 1);
        EXPECT_EQ(std::memcmp(mac, a.address, 8), 0) << a.name;
    }
}

TEST(Adapters, MacQueryOfUnknownDevicesFails)
{
    std::uint8_t mac[8];
    std::memset(mac, 0xAA, sizeof mac);
    EXPECT_EQ(QueryAdapterMac("rpcap://", mac), 0);
    for (std::uint8_t b : mac)
        EXPECT_EQ(b, 0);
    std::memset(mac, 0xAA, sizeof mac);
    EXPECT_EQ(QueryAdapterMac("nosuchdev0", mac), 0);
    EXPECT_EQ(mac[0], 0);
    EXPECT_EQ(QueryAdapterMac(nullptr, mac), 0);
}

TEST(Adapters, NoDriverImageToWrite)
{
    EXPECT_EQ(CCore::ExtractNpf(u"/tmp/npf.sys"), 0);
    EXPECT_EQ(CCore::ExtractNpf(nullptr), 0);
}

TEST(Capture, FailedOpenLeavesNullHandleAndDefaultTimeout)
{
    CapturePair pair;
    pair.timeout = 500;
    EXPECT_EQ(OpenCapture(pair, "nosuchdev0", 1024, 300), 0);
    EXPECT_EQ(pair.handle, nullptr);
    EXPECT_EQ(pair.timeout, 1000);
    EXPECT_EQ(OpenCapture(pair, "rpcap://", 1024, 300), 0);
    EXPECT_EQ(pair.handle, nullptr);
    const std::uint8_t* data = nullptr;
    int length = 0;
    EXPECT_EQ(NextCapturedFrame(pair, &data, &length, 10), -1);
    CloseCapture(pair);   // nothing open: no effect
}

TEST(Capture, LoopbackDeliversOnlyControllerFrames)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "opening a capture needs raw-socket rights";
    CapturePair sender;
    CapturePair receiver;
    ASSERT_EQ(OpenCapture(sender, "lo", 1024, 200), 1);
    ASSERT_EQ(OpenCapture(receiver, "lo", 1024, 200), 1);
    EXPECT_EQ(receiver.timeout, 200);

    std::uint8_t frame[60] = {};
    // Another protocol first: the filter must drop it.
    frame[12] = 0x08;
    frame[13] = 0x00;
    ASSERT_EQ(pcap_sendpacket(sender.handle, frame, sizeof frame), 0);
    frame[12] = 0x08;
    frame[13] = 0x88;
    frame[14] = 0x5A;
    frame[15] = 0xC3;
    ASSERT_EQ(pcap_sendpacket(sender.handle, frame, sizeof frame), 0);

    const std::uint8_t* data = nullptr;
    int length = 0;
    ASSERT_EQ(NextCapturedFrame(receiver, &data, &length, 2000), 1);
    ASSERT_GE(length, 16);
    EXPECT_EQ(data[12], 0x08);
    EXPECT_EQ(data[13], 0x88);
    EXPECT_EQ(data[14], 0x5A);
    EXPECT_EQ(data[15], 0xC3);

    // Nothing more of ours arrives: the read ends at its own deadline.
    int more = 1;
    while ((more = NextCapturedFrame(receiver, &data, &length, 100)) == 1)
        EXPECT_FALSE(data[14] == 0x5A && data[15] == 0xC3) << "frame delivered twice";
    EXPECT_EQ(more, 0);

    CloseCapture(sender);
    CloseCapture(receiver);
    EXPECT_EQ(receiver.handle, nullptr);
}
