// Firmware upgrades through the core over real transports: a pseudo-terminal,
// TCP on 127.0.0.1 and raw Ethernet on a veth pair (as root).
#include "core/link/Adapters.h"
#include "core/api/Callbacks.h"
#include "core/link/FirmwareImage.h"
#include "core/link/SerialPorts.h"
#include "core/link/Upgrade.h"
#include "core/model/CoreAccess.h"
#include "core/model/ItemData.h"
#include "LinkTestUtil.h"
#include "support/HostilePaths.h"
#include "support/SimControllerUpgrade.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

using linktest::Recorder;
using Bytes = std::vector<std::uint8_t>;
using Pairs = std::vector<std::pair<unsigned, std::uintptr_t>>;

void noSerialPorts(std::vector<SSerInfo>& ports) { ports.clear(); }

int vethAdapter(CUniqueArray<pcapdevinfo>& list)
{
    pcapdevinfo a;
    std::memset(&a, 0, sizeof a);
    std::strcpy(a.name, "tvcore");
    list.Add(a);
    return 1;
}

// Two records: 600 data bytes (two raw-Ethernet packets) and 3 data bytes.
Bytes image()
{
    Bytes out{0x02, 0x58};
    for (int i = 0; i < 600; ++i)
        out.push_back(static_cast<std::uint8_t>(i * 13 + 1));
    const Bytes tail{0x00, 0x03, 0xC1, 0xC2, 0xC3};
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

QByteArray hexText(const Bytes& bytes)
{
    // Mixed case, as the decoder takes both.
    QByteArray hex = QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size())).toHex();
    for (int i = 0; i < hex.size(); i += 4)
        hex[i] = static_cast<char>(QChar::fromLatin1(hex[i]).toUpper().toLatin1());
    return hex;
}

class Upgrade : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        SetFirmwareFolder(folder.path());
        SetSerialEnumerator(noSerialPorts);
        SetAdapterEnumerator(vethAdapter);
        core = std::make_unique<CCore>();
        core->SetCommCallBack(Recorder::callback);
        screen = CreateNode(nullptr, IT_SCREEN, u"s", CoreAccess::root(*core));
        Recorder::clear();
    }
    void TearDown() override
    {
        core.reset();
        SetFirmwareFolder(QString());
        SetSerialEnumerator(nullptr);
        SetAdapterEnumerator(nullptr);
    }
    void writeImage(const QByteArray& text)
    {
        QFile f(FirmwareOverridePath(folder.path()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    // Reports of the record stream only.
    static Pairs streamEvents()
    {
        Pairs out;
        for (const auto& e : Recorder::events())
            if (e.cmd == 224)
                out.emplace_back(e.event, e.text.isNull() ? e.value : 0);
        return out;
    }

    platform::ScopedClockScale fast{50};
    QTemporaryDir folder;
    std::unique_ptr<CCore> core;
    tagItemData* screen = nullptr;
};

} // namespace

TEST_F(Upgrade, SerialRequestCarriesTheBaudRateAndRecordsAreResentUpToThreeTimes)
{
    sim::UpgradeController controller;
    ASSERT_TRUE(controller.startPty());
    const QString port = QString::fromStdString(controller.slavePath());
    core->AddUserSerialPort(reinterpret_cast<const char16_t*>(port.utf16()));
    screen->Global.BaudRate = 9600;
    const Bytes img = image();
    writeImage(hexText(img));
    controller.script({0x22, 0x22, 0x22, 0x11, 0x11});

    EXPECT_EQ(core->SendUpgrade(screen), static_cast<int>(img.size()));
    const auto blocks = controller.blocks();
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].first, 20);
    EXPECT_EQ(blocks[0].second, (Bytes{0x80, 0x25, 0x00, 0x00}));
    const auto records = controller.records();
    ASSERT_EQ(records.size(), 5u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(records[i], Bytes(img.begin(), img.begin() + 602));
    EXPECT_EQ(records[4], Bytes(img.begin() + 602, img.end()));
    EXPECT_EQ(streamEvents(), (Pairs{{0, 0}, {2, 0}, {2, 0}, {2, 0}, {2, 0}, {2, 99}, {2, 100}, {3, 8}}));

    // A fourth resend in a row ends the upgrade.
    Recorder::clear();
    controller.script({0x22, 0x22, 0x22, 0x22});
    EXPECT_EQ(core->SendUpgrade(screen), -2);
    EXPECT_EQ(streamEvents().back(), (std::pair<unsigned, std::uintptr_t>{5, 0}));
}

TEST_F(Upgrade, TcpStreamReportsTheStartTwiceAndRefusesUnknownAnswersWithoutAnEvent)
{
    sim::UpgradeController controller;
    ASSERT_TRUE(controller.startTcp());
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "127.0.0.1");
    screen->Global.HostPort = controller.port();
    const Bytes img = image();
    writeImage(hexText(img));

    EXPECT_EQ(core->SendUpgrade(screen), static_cast<int>(img.size()));
    ASSERT_EQ(controller.blocks().size(), 1u);
    EXPECT_EQ(controller.blocks()[0].second, (Bytes{0x00, 0xC2, 0x01, 0x00}));
    EXPECT_EQ(controller.records().size(), 2u);
    EXPECT_EQ(streamEvents(), (Pairs{{0, 0}, {0, 0}, {2, 0}, {2, 99}, {2, 100}, {3, 8}}));

    Recorder::clear();
    controller.script({0x11, 0x33});
    EXPECT_EQ(core->SendUpgrade(screen), -4);
    EXPECT_EQ(streamEvents().back(), (std::pair<unsigned, std::uintptr_t>{2, 99}));

    // The controller hangs up in the middle of the stream: the link was lost.
    Recorder::clear();
    controller.script({0x11, sim::UpgradeController::kHangUp});
    EXPECT_EQ(core->SendUpgrade(screen), COMM_E_LINK_LOST);
    EXPECT_EQ(streamEvents().back(), (std::pair<unsigned, std::uintptr_t>{CBE_LINK_LOST, 0}));

    // The whole image as one block, acknowledged frame by frame.
    EXPECT_EQ(core->SendUpgrade2(screen), static_cast<int>(img.size()));
    ASSERT_GE(controller.blocks().size(), 3u);
    EXPECT_EQ(controller.blocks().back().first, 24);
    EXPECT_EQ(controller.blocks().back().second, img);
}

// The value forms a worker calls send what the screen forms send.
TEST_F(Upgrade, ValueFormsSendWhatTheScreenFormsSend)
{
    sim::UpgradeController controller;
    ASSERT_TRUE(controller.startTcp());
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "127.0.0.1");
    screen->Global.HostPort = controller.port();
    const Bytes img = image();
    writeImage(hexText(img));
    const tagGlobalInfo block = screen->Global;
    const LinkSettings link = CCore::GetOwnLink(screen);

    ASSERT_EQ(core->SendUpgrade(screen), static_cast<int>(img.size()));
    ASSERT_EQ(core->SendUpgrade(block, link), static_cast<int>(img.size()));
    ASSERT_EQ(controller.blocks().size(), 2u);
    EXPECT_EQ(controller.blocks()[1], controller.blocks()[0]);
    const std::vector<Bytes> records = controller.records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[2], records[0]);
    EXPECT_EQ(records[3], records[1]);

    ASSERT_EQ(core->SendUpgrade2(screen), static_cast<int>(img.size()));
    ASSERT_EQ(core->SendUpgrade2(block, link), static_cast<int>(img.size()));
    ASSERT_EQ(controller.blocks().size(), 4u);
    EXPECT_EQ(controller.blocks()[3], controller.blocks()[2]);
    EXPECT_EQ(controller.blocks()[3].second, img);
}

TEST_F(Upgrade, NoImageOrADamagedImageSendsNothingAtAll)
{
    sim::UpgradeController controller;
    ASSERT_TRUE(controller.startTcp());
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "127.0.0.1");
    screen->Global.HostPort = controller.port();

    // The controller is never put into its loader without an image to load,
    // and the upgrade says where the image was looked for. An update.dat that
    // is a link to itself is there but cannot be read: each command says it
    // could not open that path.
    const QString expected = FirmwareOverridePath(folder.path());
    for (bool loop : {false, true}) {
        SCOPED_TRACE(loop);
        if (loop)
            ASSERT_TRUE(QFile::link(expected, expected));
        Recorder::clear();
        EXPECT_EQ(core->SendUpgrade(screen), COMM_E_OPEN);
        EXPECT_EQ(core->SendUpgrade2(screen), COMM_E_OPEN);
        const auto events = Recorder::events();
        ASSERT_EQ(events.size(), 2u);
        const unsigned commands[2] = {loop ? 224u : unsigned(CBC_FIRMWARE_IMAGE),
                                      loop ? 24u : unsigned(CBC_FIRMWARE_IMAGE)};
        for (std::size_t i = 0; i < events.size(); ++i) {
            EXPECT_EQ(events[i].cmd, commands[i]);
            EXPECT_EQ(events[i].event, unsigned(CBE_OPEN_FAILED));
            EXPECT_EQ(events[i].text, expected);
        }
        EXPECT_TRUE(controller.blocks().empty());
    }
    QFile::remove(expected);
    Recorder::clear();

    // The second record claims 9 bytes where 2 remain.
    writeImage("0001AA0009BBCC");
    EXPECT_EQ(core->SendUpgrade(screen), -4);
    EXPECT_TRUE(controller.records().empty());
    EXPECT_EQ(streamEvents(), (Pairs{{6, 0}}));
    // As one block it is refused too, not sent and reported as sent.
    Recorder::clear();
    EXPECT_EQ(core->SendUpgrade2(screen), -4);
    EXPECT_EQ(Recorder::pairs().back(), std::make_pair(unsigned(CBE_REFUSED), std::uintptr_t(0)));
    // A last record cut short is as damaged as one in the middle.
    writeImage("0001AA0003BBCC");
    EXPECT_EQ(core->SendUpgrade(screen), -4);
    EXPECT_EQ(core->SendUpgrade2(screen), -4);
    EXPECT_TRUE(controller.blocks().empty());
    EXPECT_TRUE(controller.records().empty());

    // Texts that are not firmware text, and images without data: refused
    // before anything goes out, so the controller never enters its loader.
    for (const char* text : {"ZZZZ", "ZZZZ0000", "00000000", "0001A", "0001AG", "0001AA\r\n0001X9", "\r\n", ""}) {
        SCOPED_TRACE(text);
        writeImage(text);
        Recorder::clear();
        EXPECT_EQ(core->SendUpgrade(screen), -4);
        EXPECT_EQ(streamEvents(), (Pairs{{6, 0}}));
        EXPECT_EQ(core->SendUpgrade2(screen), -4);
        EXPECT_TRUE(controller.blocks().empty());
        EXPECT_TRUE(controller.records().empty());
    }

    EXPECT_EQ(core->SendUpgrade(nullptr), 0);
    EXPECT_EQ(core->SendUpgrade2(nullptr), 0);
}

TEST_F(Upgrade, AnUpdateDatThatIsNoFileIsNamedAsNotOpenedWithinASecond)
{
    sim::UpgradeController controller;
    ASSERT_TRUE(controller.startTcp());
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "127.0.0.1");
    screen->Global.HostPort = controller.port();
    QTemporaryDir places;
    support::HostilePaths hostile(places.path(), QStringLiteral("update.dat"));
    ASSERT_TRUE(hostile.ready());
    const QString target = FirmwareOverridePath(folder.path());
    const int threads = support::processThreadCount();
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(support::HostilePaths::placeAt(c, target));
        Recorder::clear();
        int streamed = 0, block = 0;
        EXPECT_TRUE(support::finishesWithin(
            support::kRefusalBound,
            [&] {
                streamed = core->SendUpgrade(screen);
                block = core->SendUpgrade2(screen);
            },
            [&] { hostile.release(); }));
        // Said, and naming the file: the controller is never put into its loader.
        EXPECT_EQ(streamed, -5);
        EXPECT_EQ(block, -5);
        const auto events = Recorder::events();
        ASSERT_EQ(events.size(), 2u);
        EXPECT_EQ(events[0].cmd, 224u);
        EXPECT_EQ(events[1].cmd, 24u);
        for (const auto& e : events) {
            EXPECT_EQ(e.event, unsigned(CBE_OPEN_FAILED));
            EXPECT_EQ(e.text, target);
        }
        EXPECT_TRUE(controller.blocks().empty());
        EXPECT_TRUE(controller.records().empty());
    }
    EXPECT_EQ(support::processThreadCount(), threads);
}

TEST_F(Upgrade, AnImageSavedWithOtherLineEndsSendsTheSameBytes)
{
    sim::UpgradeController controller;
    ASSERT_TRUE(controller.startTcp());
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "127.0.0.1");
    screen->Global.HostPort = controller.port();
    const Bytes img = image();
    QByteArray text = hexText(img);
    for (int at = 32; at < text.size(); at += 34)
        text.insert(at, "\r\n");
    text.insert(10, " \t");
    text.append("\r\n");
    writeImage(text);
    EXPECT_EQ(core->SendUpgrade(screen), static_cast<int>(img.size()));
    ASSERT_EQ(controller.records().size(), 2u);
    EXPECT_EQ(controller.records()[0], Bytes(img.begin(), img.begin() + 602));
    EXPECT_EQ(controller.records()[1], Bytes(img.begin() + 602, img.end()));
}

TEST_F(Upgrade, AControllerThatIsNotThereEndsWithoutSuccess)
{
    writeImage(hexText(image()));
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "127.0.0.1");
    screen->Global.HostPort = 1;   // nothing listens
    EXPECT_EQ(core->SendUpgrade(screen), 0);
    EXPECT_LT(core->SendUpgrade2(screen), 0);

    screen->Global.CommType = COMM_SERIAL;
    core->AddUserSerialPort(u"/nonexistent/tty");
    EXPECT_EQ(core->SendUpgrade(screen), 0);
}

TEST_F(Upgrade, RawEthernetStreamsRecordsInPacketsOfKindThreeAndKeepsIndexesOnResend)
{
    const Bytes img = image();
    writeImage(hexText(img));
    bool ran = sim::RunInNetworkNamespace([&] {
        sim::UpgradeController controller;
        ASSERT_TRUE(controller.startEthernet("tvsim"));
        screen->Global.CommType = COMM_ETHERNET;
        screen->Global.AdapterIndex = 0;
        std::memcpy(screen->Global.DstMAC, controller.mac(), 6);
        controller.script({0x22, 'A', 0x11});

        EXPECT_EQ(core->SendUpgrade(screen), static_cast<int>(img.size()));
        ASSERT_EQ(controller.blocks().size(), 1u);
        EXPECT_EQ(controller.blocks()[0].second, (Bytes{0x00, 0xC2, 0x01, 0x00}));
        const auto records = controller.records();
        ASSERT_EQ(records.size(), 3u);
        EXPECT_EQ(records[0], records[1]);
        EXPECT_EQ(records[2], Bytes(img.begin() + 602, img.end()));
        // The index goes on from the request's one packet; a resent record
        // keeps the indexes of its packets.
        EXPECT_EQ(controller.packetIndexes(), (std::vector<std::uint32_t>{1, 2, 1, 2, 3}));
        EXPECT_EQ(streamEvents(), (Pairs{{0, 0}, {2, 0}, {2, 0}, {4, 1}, {2, 99}, {2, 100}}));

        // Silence: two resends, then no reply.
        Recorder::clear();
        controller.script({0, 0, 0});
        EXPECT_EQ(core->SendUpgrade(screen), -3);
        EXPECT_EQ(streamEvents(), (Pairs{{0, 0}, {2, 0}, {4, 1}, {4, 2}, {7, 0}}));
    });
    if (!ran)
        GTEST_SKIP() << "needs root for a network namespace";
}
