// The network settings: addresses, the suggested mask, storing and the
// reconnect rules, and the dialog against the simulated controller.
#include "DeviceTestUtil.h"

#include "app/spine/Messages.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/device/SettingWan.h"
#include "app/dialogs/device/WanSettings.h"
#include "core/link/Commands.h"
#include "support/MessageSpy.h"
#include "support/NoticeSpy.h"
#include "support/SeamScope.h"
#include "support/SimController.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

using namespace sorvane::link;
using namespace sorvane::model;

using namespace dialogs;
using devicetest::kSuccessColour;
using devicetest::resultColour;
using devicetest::image;

TEST(WanValues, SuggestedMaskFollowsTheAddressClass)
{
    EXPECT_EQ(SuggestMask("10.1.2.3", "1.1.1.1"), "255.0.0.0");
    EXPECT_EQ(SuggestMask("172.16.0.9", ""), "255.255.0.0");
    EXPECT_EQ(SuggestMask("192.168.1.3", "255.0.0.0"), "255.255.255.0");
    for (const char* kept : {"127.0.0.1", "224.0.0.1", "0.1.2.3", "255.1.1.1", "not an address", "", "300.1.1.1"})
        EXPECT_EQ(SuggestMask(QString::fromLatin1(kept), "9.9.9.9"), "9.9.9.9") << kept;
}

TEST(WanValues, OnlyStrictDottedQuadsAreAddresses)
{
    EXPECT_EQ(ParseIpv4("192.168.1.3"), Ipv4(192, 168, 1, 3));
    EXPECT_EQ(ParseIpv4(" 0.0.0.0 "), 0u);
    EXPECT_EQ(FormatIpv4(Ipv4(10, 0, 0, 254)), "10.0.0.254");
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "1.2.3.256", "1..3.4", "a.b.c.d", "1.2.3.-4", "1.2.3.0004"})
        EXPECT_FALSE(ParseIpv4(QString::fromLatin1(bad)).has_value()) << bad;
    EXPECT_NE(LocalIpv4Address(), QString());
    EXPECT_TRUE(ParseIpv4(LocalIpv4Address()).has_value());
}

TEST(WanValues, AFixedAddressThatDoesNotParseLeavesTheBlockAsItWas)
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    const auto before = image(g);
    WanValues v;
    v.address[0] = "10.0.0.5";
    v.address[1] = "255.0.0.0";
    v.address[2] = "10.0.0.1";
    v.address[3] = "8.8.8.8";
    v.address[4] = "10.0.0.300";
    v.port = 5005;
    int bad = -1;
    EXPECT_FALSE(StoreWanValues(v, g, &bad));
    EXPECT_EQ(bad, 4);
    EXPECT_EQ(image(g), before);

    v.address[4] = "1.2.3.4";
    v.port = 70000;
    ASSERT_TRUE(StoreWanValues(v, g));
    tagGlobalInfo expected;
    InitGlobalInfo(expected);
    expected.DhcpFlag = 0;
    expected.IpAddr = Ipv4(10, 0, 0, 5);
    expected.SubnetMask = Ipv4(255, 0, 0, 0);
    expected.Gateway = Ipv4(10, 0, 0, 1);
    expected.Address4 = Ipv4(8, 8, 8, 8);
    expected.NetWord = Ipv4(1, 2, 3, 4);
    expected.DevicePort = 65535;
    EXPECT_EQ(image(g), image(expected));

    // Automatic: the flag and port change, the addresses stay whatever the texts say.
    v.dhcp = true;
    v.address[0] = "garbage";
    v.port = 8080;
    ASSERT_TRUE(StoreWanValues(v, g));
    expected.DhcpFlag = 1;
    expected.DevicePort = 8080;
    EXPECT_EQ(image(g), image(expected));
}

TEST(WanValues, ReconnectRules)
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    devicetest::setText(g.Host, sizeof g.Host, "controller.local");
    g.HostKind = 1;
    g.DevicePort = g.HostPort = 5200;
    tagGlobalInfo before = g;
    EXPECT_FALSE(ApplyWanReconnect(before, g));
    EXPECT_EQ(image(g), image(before));

    g.DevicePort = 5300;   // the port alone
    EXPECT_TRUE(ApplyWanReconnect(before, g));
    EXPECT_EQ(g.HostPort, 5300);
    EXPECT_STREQ(g.Host, "controller.local");

    before = g;
    g.IpAddr = Ipv4(10, 9, 8, 7);
    EXPECT_TRUE(ApplyWanReconnect(before, g));
    EXPECT_STREQ(g.Host, "10.9.8.7");
    EXPECT_EQ(g.HostKind, 0);

    before = g;
    g.Gateway = Ipv4(10, 9, 8, 1);
    EXPECT_TRUE(ApplyWanReconnect(before, g));
    EXPECT_STREQ(g.Host, "10.9.8.7");
}

namespace {

class WanDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        devicetest::loadPack("UI_EN.rcc");
        screen = devicetest::newScreen(core);
        devicetest::bindTcp(screen, tcp->port());
        frame.watch(spine::WM_STATUS_IDLE).watch(spine::WM_SCREEN_RECONNECT);
    }
    void seed(const tagGlobalInfo& g)
    {
        std::vector<std::uint8_t> block(kIpBlockSize);
        BuildIpBlock(g, block.data());
        controller.setAnswer(TOS_IPREADCFG, block);
    }
    QLineEdit* edit(QWidget* dlg, int id) { return support::findByControlId<QLineEdit>(dlg, id); }
    void type(QWidget* dlg, int id, const QString& text)
    {
        edit(dlg, id)->selectAll();
        QTest::keyClicks(edit(dlg, id), text);
    }
    void click(QWidget* dlg, int id) { devicetest::click(support::findByControlId<QAbstractButton>(dlg, id)); }
    QString result(QWidget* dlg) { return support::findByControlId<QLabel>(dlg, CSettingWan::IDC_RESULT)->text(); }

    devicetest::PackScope packs;
    platform::ScopedClockScale fast{10};   // replies still come in time on a busy machine
    CCore core;
    sim::SimController controller;
    std::unique_ptr<sim::TcpPeer> tcp = std::make_unique<sim::TcpPeer>(controller);
    tagItemData* screen = nullptr;
    support::MessageSpy frame;
};

} // namespace

TEST_F(WanDialog, ReadShowsTheControllersAddressesAndWriteSendsTheBlock)
{
    tagGlobalInfo g = screen->Global;
    g.DhcpFlag = 0;
    g.IpAddr = Ipv4(192, 168, 1, 50);
    g.SubnetMask = Ipv4(255, 255, 255, 0);
    g.Gateway = Ipv4(192, 168, 1, 1);
    g.DevicePort = tcp->port();
    seed(g);
    screen->Global.HostPort = tcp->port();
    CSettingWan dlg(core, screen, &frame);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    EXPECT_FALSE(edit(&dlg, CSettingWan::IDC_LOCAL_IP)->isEnabled());
    EXPECT_TRUE(ParseIpv4(edit(&dlg, CSettingWan::IDC_LOCAL_IP)->text()).has_value());

    click(&dlg, CSettingWan::IDC_READ);
    EXPECT_EQ(frame.ids(), (QList<unsigned>{spine::WM_STATUS_IDLE}));
    EXPECT_EQ(result(&dlg), platform::langString(48276));
    EXPECT_EQ(resultColour(&dlg), kSuccessColour);
    EXPECT_EQ(edit(&dlg, CSettingWan::IDC_IP)->text(), "192.168.1.50");
    EXPECT_TRUE(support::findByControlId<QRadioButton>(&dlg, CSettingWan::IDC_FIXED)->isChecked());
    EXPECT_TRUE(edit(&dlg, CSettingWan::IDC_MASK)->isEnabled());

    // The mask follows the address when it gets the focus (the window is
    // active again once the read's task dialog has gone).
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dlg));
    type(&dlg, CSettingWan::IDC_IP, "10.1.2.3");
    edit(&dlg, CSettingWan::IDC_MASK)->setFocus();
    EXPECT_EQ(edit(&dlg, CSettingWan::IDC_MASK)->text(), "255.0.0.0");

    // Same IP, port and addresses as the link uses: written without a reconnect.
    type(&dlg, CSettingWan::IDC_IP, "192.168.1.50");
    type(&dlg, CSettingWan::IDC_MASK, "255.255.255.0");
    frame.clear();
    click(&dlg, CSettingWan::IDC_WRITE);
    EXPECT_EQ(result(&dlg), platform::langString(48278));
    EXPECT_EQ(resultColour(&dlg), kSuccessColour);
    std::vector<std::uint8_t> want(kIpBlockSize);
    BuildIpBlock(screen->Global, want.data());
    ASSERT_TRUE(controller.waitForBlocks(2));
    EXPECT_EQ(controller.ipSettings(), want);
    EXPECT_EQ(screen->Global.IpAddr, Ipv4(192, 168, 1, 50));
    EXPECT_TRUE(frame.isEmpty());

    // A new address moves the link there.
    type(&dlg, CSettingWan::IDC_IP, "127.0.0.1");
    click(&dlg, CSettingWan::IDC_WRITE);
    EXPECT_EQ(frame.ids(), (QList<unsigned>{spine::WM_SCREEN_RECONNECT}));
    EXPECT_STREQ(screen->Global.Host, "127.0.0.1");
    BuildIpBlock(screen->Global, want.data());
    ASSERT_TRUE(controller.waitForBlocks(3));
    EXPECT_EQ(controller.ipSettings(), want);
}

TEST_F(WanDialog, AutomaticAddressSendsTheOldAddressesWithTheFlag)
{
    screen->Global.IpAddr = Ipv4(10, 0, 0, 7);
    screen->Global.DevicePort = screen->Global.HostPort;
    CSettingWan dlg(core, screen, &frame);
    dlg.show();
    click(&dlg, CSettingWan::IDC_DHCP);
    EXPECT_FALSE(edit(&dlg, CSettingWan::IDC_IP)->isEnabled());
    click(&dlg, CSettingWan::IDC_WRITE);
    ASSERT_TRUE(controller.waitForBlocks(1));
    EXPECT_EQ(screen->Global.DhcpFlag, 1);
    EXPECT_EQ(screen->Global.IpAddr, Ipv4(10, 0, 0, 7));
    std::vector<std::uint8_t> want(kIpBlockSize);
    BuildIpBlock(screen->Global, want.data());
    EXPECT_EQ(controller.ipSettings(), want);
    EXPECT_TRUE(frame.isEmpty());
}

TEST_F(WanDialog, ABadAddressRefusesTheWriteAndNoControllerGivesTheRedFailure)
{
    support::SeamScope seams;
    CSettingWan dlg(core, screen, &frame);
    dlg.show();
    click(&dlg, CSettingWan::IDC_FIXED);
    const auto before = image(screen->Global);
    type(&dlg, CSettingWan::IDC_GATEWAY, "10.0.0.256");
    seams.nextAnswer(QMessageBox::Ok);
    click(&dlg, CSettingWan::IDC_WRITE);
    EXPECT_TRUE(controls::MessageBox::lastText().contains("10.0.0.256"));
    EXPECT_EQ(image(screen->Global), before);
    EXPECT_TRUE(controller.blocks().empty());
    EXPECT_TRUE(result(&dlg).isEmpty());

    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    click(&dlg, CSettingWan::IDC_READ);
    EXPECT_EQ(result(&dlg), platform::langString(48277));
    EXPECT_EQ(image(screen->Global), before);

    tcp.reset();
    type(&dlg, CSettingWan::IDC_GATEWAY, "10.0.0.1");
    type(&dlg, CSettingWan::IDC_PORT, "6000");
    frame.clear();
    click(&dlg, CSettingWan::IDC_WRITE);
    EXPECT_EQ(result(&dlg), platform::langString(48279));
    EXPECT_NE(result(&dlg), platform::langString(48278));
    EXPECT_EQ(image(screen->Global), before);   // not taken: as it was
    EXPECT_EQ(edit(&dlg, CSettingWan::IDC_PORT)->text(), "6000");
    EXPECT_EQ(frame.count(spine::WM_SCREEN_RECONNECT), 0);
}

TEST(WanDialogSerial, ReadAndWriteOverAPseudoTerminalWithThePortRule)
{
    devicetest::PackScope packs;
    devicetest::loadPack("UI_EN.rcc");
    platform::ScopedClockScale fast(10);
    CCore core;
    sim::SimController controller;
    sim::PtyPeer pty(controller);
    tagItemData* screen = devicetest::newScreen(core);
    devicetest::bindPty(core, screen, pty.slavePath());
    tagGlobalInfo g = screen->Global;
    g.DhcpFlag = 0;
    g.IpAddr = Ipv4(172, 16, 0, 9);
    g.SubnetMask = Ipv4(255, 255, 0, 0);
    g.DevicePort = 5200;
    std::vector<std::uint8_t> block(kIpBlockSize);
    BuildIpBlock(g, block.data());
    controller.setAnswer(TOS_IPREADCFG, block);
    screen->Global.HostPort = 5200;
    support::MessageSpy frame;
    frame.watch(spine::WM_SCREEN_RECONNECT);

    CSettingWan dlg(core, screen, &frame);
    dlg.show();
    devicetest::click(support::findByControlId<QAbstractButton>(&dlg, CSettingWan::IDC_READ));
    EXPECT_EQ(dlg.resultText(), platform::langString(48276));
    EXPECT_TRUE(support::findByControlId<QRadioButton>(&dlg, CSettingWan::IDC_FIXED)->isChecked());
    EXPECT_TRUE(support::findByControlId<QLineEdit>(&dlg, CSettingWan::IDC_IP)->isEnabled());
    EXPECT_EQ(support::findByControlId<QLineEdit>(&dlg, CSettingWan::IDC_IP)->text(), "172.16.0.9");

    // A changed port alone: the link's port follows, the host text stays.
    auto* port = support::findByControlId<QLineEdit>(&dlg, CSettingWan::IDC_PORT);
    port->selectAll();
    QTest::keyClicks(port, "5300");
    const std::string host = screen->Global.Host;
    devicetest::click(support::findByControlId<QAbstractButton>(&dlg, CSettingWan::IDC_WRITE));
    EXPECT_EQ(dlg.resultText(), platform::langString(48278));
    EXPECT_EQ(frame.count(spine::WM_SCREEN_RECONNECT), 1);
    EXPECT_EQ(screen->Global.HostPort, 5300);
    EXPECT_EQ(std::string(screen->Global.Host), host);
    BuildIpBlock(screen->Global, block.data());
    ASSERT_TRUE(controller.waitForBlocks(2));
    EXPECT_EQ(controller.ipSettings(), block);
}

// Cancel puts back what a read changed, by the write road, and keeps what
// the controller took.
TEST_F(WanDialog, CancelPutsBackWhatAReadChangedAndKeepsAWriteTaken)
{
    tagGlobalInfo g = screen->Global;
    g.DhcpFlag = 0;
    g.IpAddr = Ipv4(192, 168, 1, 50);
    g.SubnetMask = Ipv4(255, 255, 255, 0);
    g.DevicePort = tcp->port();
    seed(g);
    const auto opened = devicetest::image(screen->Global);
    {
        CSettingWan dlg(core, screen, &frame);
        dlg.show();
        click(&dlg, CSettingWan::IDC_READ);
        ASSERT_EQ(screen->Global.IpAddr, Ipv4(192, 168, 1, 50));
        support::NoticeSpy told;
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_EQ(devicetest::image(screen->Global), opened);
        EXPECT_TRUE(told.told(screen) & spine::NodeChange::Hardware);
    }
    CSettingWan dlg(core, screen, &frame);
    dlg.show();
    click(&dlg, CSettingWan::IDC_READ);
    click(&dlg, CSettingWan::IDC_WRITE);
    ASSERT_EQ(result(&dlg), platform::langString(48278));
    const auto written = devicetest::image(screen->Global);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_EQ(devicetest::image(screen->Global), written);
}
