// The screen page's panels: what the information panel shows, and how the
// communication panel reads and stores a screen's link.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/panels/PropertyScreenInfo.h"
#include "core/link/Adapters.h"
#include "core/link/SerialPorts.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"
#include "support/LangPackScope.h"
#include "support/TreeBuilder.h"

#include <QCheckBox>
#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QToolTip>
#include <cstring>
#include <gtest/gtest.h>

using namespace sorvane::link;

using namespace panels;
using paneltest::choose;
using paneltest::typeInto;
using support::findByControlId;

namespace {

std::vector<QString> g_ports = {"ttyS0", "ttyUSB0", "ttyUSB1"};

void fakeSerial(std::vector<SSerInfo>& out)
{
    out.clear();
    for (const QString& p : g_ports) {
        SSerInfo s;
        s.devicePath = "/dev/" + p;
        s.portName = p;
        TidySerialRecord(s);
        out.push_back(s);
    }
}

int fakeAdapters(CUniqueArray<pcapdevinfo>& list)
{
    list.RemoveAll();
    const char* names[] = {"eth0", "eth1", "wlan0"};
    const char* descriptions[] = {"First wired", "", "Wireless"};
    for (int i = 0; i < 3; ++i) {
        pcapdevinfo d{};
        d.index = std::uint32_t(i);
        std::strcpy(d.name, names[i]);
        std::strcpy(d.description, descriptions[i]);
        list.Add(d);
    }
    return 3;
}

struct Enumerators {
    Enumerators()
    {
        SetSerialEnumerator(fakeSerial);
        SetAdapterEnumerator(fakeAdapters);
    }
    ~Enumerators()
    {
        SetSerialEnumerator(nullptr);
        SetAdapterEnumerator(nullptr);
    }
};

struct CommFixture : ::testing::Test {
    Enumerators enumerators;
    CCore core;
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen();
    QWidget parent;
    CPropertyScreenComm* comm = new CPropertyScreenComm(PanelContext{core, nullptr}, &parent);

    void SetUp() override
    {
        ASSERT_TRUE(comm->Create(&parent));
        comm->resize(500, 200);
        parent.show();
    }
    void load() { platform::sendMessage(comm, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(screen)); }
    template <typename W>
    W* ctl(int id) { return findByControlId<W>(comm, id); }
};

} // namespace

TEST(ScreenInfo, ShowsModelAddressSizeAndWorkMode)
{
    support::LangPackScope pack;
    pack.setString(48215, "unknown");
    pack.setString(47064, "mode 35");
    pack.setString(47080, "mode 64");
    CCore core;
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen(support::ScreenSpec{96, 48, 35});
    screen->Global.ID = 7;
    screen->Global.HardwareId = 0;
    QWidget parent;
    auto* info = new CPropertyScreenInfo(PanelContext{core, nullptr}, &parent);
    ASSERT_TRUE(info->Create(&parent));
    auto text = [&](int id) { return findByControlId<QLabel>(info, id)->text(); };

    EXPECT_EQ(info->OnNodeLoad(screen), 1);
    EXPECT_EQ(text(CPropertyScreenInfo::IdModel), CCore::GetFirmwareInfo(0) ? text(6189) : QString("unknown"));
    EXPECT_EQ(text(CPropertyScreenInfo::IdAddress), "7");
    EXPECT_EQ(text(CPropertyScreenInfo::IdWidth), "96");
    EXPECT_EQ(text(CPropertyScreenInfo::IdHeight), "48");
    EXPECT_EQ(text(CPropertyScreenInfo::IdWorkMode), "mode 35");
    screen->Global.Type = 64;
    info->OnNodeLoad(screen);
    EXPECT_EQ(text(CPropertyScreenInfo::IdWorkMode), "mode 64");
    screen->Global.Type = 5;
    info->OnNodeLoad(screen);
    EXPECT_EQ(text(CPropertyScreenInfo::IdWorkMode), "unknown");

    // A scene or a section changes nothing.
    tagItemData* scene = tree.scene(screen);
    EXPECT_EQ(info->OnNodeLoad(scene), 0);
    EXPECT_EQ(info->OnNodeLoad(tree.section(scene)), 0);
    EXPECT_EQ(info->OnNodeLoad(nullptr), 0);
    EXPECT_EQ(text(CPropertyScreenInfo::IdWidth), "96");
}

TEST_F(CommFixture, ListsPortsAndAdaptersAndShowsTheLinksGroup)
{
    auto* serial = ctl<QComboBox>(CPropertyScreenComm::IdSerial);
    ASSERT_EQ(serial->count(), 3);
    auto* adapters = ctl<QComboBox>(CPropertyScreenComm::IdAdapter);
    ASSERT_EQ(adapters->count(), 3);
    // An adapter without a description shows its capture name.
    EXPECT_EQ(adapters->itemText(0), "First wired");
    EXPECT_EQ(adapters->itemText(1), "eth1");
    EXPECT_TRUE(serial->isVisible());
    EXPECT_FALSE(adapters->isVisible());

    screen->Global.CommType = COMM_NETWORK;
    screen->Global.HostKind = 1;
    std::strcpy(screen->Global.Host, "sim.example");
    screen->Global.HostPort = 6000;
    load();
    EXPECT_EQ(comm->shownLinkType(), 2);
    EXPECT_FALSE(serial->isVisible());
    EXPECT_TRUE(ctl<QLineEdit>(CPropertyScreenComm::IdHostName)->isVisible());
    EXPECT_TRUE(ctl<QLineEdit>(CPropertyScreenComm::IdHostName)->isEnabled());
    EXPECT_FALSE(ctl<QLineEdit>(CPropertyScreenComm::IdIp)->isEnabled());
    EXPECT_EQ(ctl<QLineEdit>(CPropertyScreenComm::IdHostName)->text(), "sim.example");
    EXPECT_EQ(ctl<QLineEdit>(CPropertyScreenComm::IdPort)->text(), "6000");
}

TEST_F(CommFixture, SerialAndAdapterChoicesStoreTheirNumbers)
{
    // A port the list does not hold loads as entry 0 and changes nothing.
    screen->Global.SerialPort = 4321;
    screen->Global.BaudRate = 9600;
    load();
    auto* serial = ctl<QComboBox>(CPropertyScreenComm::IdSerial);
    EXPECT_EQ(serial->currentIndex(), 0);
    EXPECT_EQ(screen->Global.SerialPort, 4321u);
    EXPECT_EQ(ctl<QComboBox>(CPropertyScreenComm::IdBaud)->currentText(), "9600");

    choose(serial, 2);
    EXPECT_EQ(screen->Global.SerialPort, std::uint32_t(core.GetSerialPortNumber("ttyUSB1")));
    EXPECT_EQ(core.GetSerialPortName(int(screen->Global.SerialPort)), "ttyUSB1");
    // An entry without digits the core cannot name leaves the number as it was.
    const std::uint32_t kept = screen->Global.SerialPort;
    serial->addItem("console");
    choose(serial, serial->count() - 1);
    EXPECT_EQ(screen->Global.SerialPort, kept);

    choose(ctl<QComboBox>(CPropertyScreenComm::IdLinkType), 1);
    choose(ctl<QComboBox>(CPropertyScreenComm::IdAdapter), 2);
    EXPECT_EQ(screen->Global.CommType, 1u);
    EXPECT_EQ(screen->Global.AdapterIndex, 2u);
}

TEST_F(CommFixture, AHalfTypedMacIsNotStored)
{
    const std::uint8_t mac[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(screen->Global.DstMAC, mac, 6);
    screen->Global.CommType = COMM_ETHERNET;
    load();
    auto* edit = ctl<QLineEdit>(CPropertyScreenComm::IdMac);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(std::memcmp(screen->Global.DstMAC, mac, 6), 0);
    QTest::keyClick(edit, Qt::Key_Home);
    QTest::keyClicks(edit, "0102030405");
    EXPECT_EQ(std::memcmp(screen->Global.DstMAC, mac, 6), 0);
    QTest::keyClicks(edit, "cd");
    const std::uint8_t want[6] = {1, 2, 3, 4, 5, 0xcd};
    EXPECT_EQ(std::memcmp(screen->Global.DstMAC, want, 6), 0);
}

TEST_F(CommFixture, PortIsClampedAndHostStaysTerminatedInItsField)
{
    screen->Global.CommType = COMM_NETWORK;
    load();
    auto* port = ctl<QLineEdit>(CPropertyScreenComm::IdPort);
    typeInto(port, "99999");
    EXPECT_EQ(screen->Global.HostPort, 65535);
    port->setText("70000");
    EXPECT_EQ(screen->Global.HostPort, 65535);
    port->setText("8001");
    EXPECT_EQ(screen->Global.HostPort, 8001);

    QTest::mouseClick(ctl<QCheckBox>(CPropertyScreenComm::IdByName), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(screen->Global.HostKind, 1);
    auto* name = ctl<QLineEdit>(CPropertyScreenComm::IdHostName);
    name->setText(QString(200, 'h'));
    EXPECT_EQ(std::strlen(screen->Global.Host), 66u);
    EXPECT_EQ(screen->Global.Host[66], '\0');

    // A cut never splits a character.
    char field[8];
    CPropertyScreenComm::copyHost(field, sizeof field, QString::fromUtf8("abcdé"));
    EXPECT_STREQ(field, "abcd\xc3\xa9");
    CPropertyScreenComm::copyHost(field, sizeof field, QString::fromUtf8("abcdefé"));
    EXPECT_STREQ(field, "abcdef");
}

TEST_F(CommFixture, SettingsChangedRefillsTheSerialList)
{
    load();
    g_ports = {"ttyS0", "ttyS1", "ttyUSB0", "ttyUSB1"};
    core.EnumSerialPortList();
    platform::sendMessage(comm, spine::WM_SETTINGS_CHANGED, 2, 0);
    EXPECT_EQ(ctl<QComboBox>(CPropertyScreenComm::IdSerial)->count(), 4);
    g_ports = {"ttyS0", "ttyUSB0", "ttyUSB1"};
    // Another kind of settings change leaves the list alone.
    core.EnumSerialPortList();
    platform::sendMessage(comm, spine::WM_SETTINGS_CHANGED, 1, 0);
    EXPECT_EQ(ctl<QComboBox>(CPropertyScreenComm::IdSerial)->count(), 4);
}

TEST_F(CommFixture, HostsAndPortsThatReachNothingAreRefusedAndTheStoredOnesComeBack)
{
    support::LangPackScope pack;
    pack.setString(63150, "\"%1\" is not an address.");
    pack.setString(63151, "Type a port from 1 to 65535.");
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "192.168.1.20");
    screen->Global.HostPort = 5005;
    load();
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&parent));
    auto* ip = ctl<QLineEdit>(CPropertyScreenComm::IdIp);
    auto* port = ctl<QLineEdit>(CPropertyScreenComm::IdPort);

    // Half an address is never stored; when the edit ends the stored one is back.
    typeInto(ip, "1.2.3");
    EXPECT_STREQ(screen->Global.Host, "192.168.1.20");
    QTest::keyClick(ip, Qt::Key_Return);
    EXPECT_EQ(ip->text(), "192.168.1.20");
    EXPECT_EQ(QToolTip::text(), "\"1.2.3\" is not an address.");
    // A number above 255 cannot be typed at all.
    typeInto(ip, "999.1.1.1");
    EXPECT_EQ(ip->text(), "99.1.1.1");
    EXPECT_STREQ(screen->Global.Host, "99.1.1.1");

    typeInto(port, "0");
    EXPECT_EQ(screen->Global.HostPort, 5005);
    QTest::keyClick(port, Qt::Key_Return);
    EXPECT_EQ(port->text(), "5005");
    EXPECT_EQ(QToolTip::text(), "Type a port from 1 to 65535.");
    typeInto(port, "");
    ip->setFocus();   // leaving the emptied edit
    EXPECT_EQ(port->text(), "5005");
    EXPECT_EQ(screen->Global.HostPort, 5005);

    // By name, a text of digits and dots must still be a whole address.
    QTest::mouseClick(ctl<QCheckBox>(CPropertyScreenComm::IdByName), Qt::LeftButton, {}, QPoint(5, 5));
    auto* name = ctl<QLineEdit>(CPropertyScreenComm::IdHostName);
    typeInto(name, "ctl.example");
    EXPECT_STREQ(screen->Global.Host, "ctl.example");
    typeInto(name, "999.1.1.1");
    EXPECT_STREQ(screen->Global.Host, "ctl.example");
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(name->text(), "ctl.example");

    for (const char* bad : {"", "1.2.3", "999.1.1.1", "0.0.0.0", "1.2.3.4.5"})
        EXPECT_FALSE(CPropertyScreenComm::acceptableHost(QString::fromLatin1(bad), true)) << bad;
    EXPECT_FALSE(CPropertyScreenComm::acceptableHost("ctl.example", false));
    EXPECT_FALSE(CPropertyScreenComm::acceptableHost(" 1.2.3.4", false));
    for (const char* good : {"10.0.0.1", "255.255.255.255"})
        EXPECT_TRUE(CPropertyScreenComm::acceptableHost(QString::fromLatin1(good), false)) << good;
}

class CommRefusalShots : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { platform::clearLangPack(); }
};

TEST_P(CommRefusalShots, TheRefusedAddressIsNamedBesideItsField)
{
    ASSERT_TRUE(paneltest::loadPack(GetParam()));
    CCore core;
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen();
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "192.168.1.20");
    QWidget parent;
    auto* comm = new CPropertyScreenComm(PanelContext{core, nullptr}, &parent);
    ASSERT_TRUE(comm->Create(&parent));
    comm->resize(700, 150);
    parent.show();
    comm->OnNodeLoad(screen);
    auto* ip = findByControlId<QLineEdit>(comm, CPropertyScreenComm::IdIp);
    typeInto(ip, "1.2.3");
    QTest::keyClick(ip, Qt::Key_Return);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains("1.2.3"));
    EXPECT_NE(QToolTip::text(), platform::langString(63150));   // the typed text filled in
    // The panel with the tip where it stands.
    QWidget* tip = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->inherits("QTipLabel") && w->isVisible())
            tip = w;
    ASSERT_NE(tip, nullptr);
    const QPoint at = comm->mapFromGlobal(tip->pos());
    QImage shot(std::max(comm->width(), at.x() + tip->width()), std::max(comm->height(), at.y() + tip->height()),
                QImage::Format_RGB32);
    shot.fill(Qt::white);
    QPainter p(&shot);
    p.drawPixmap(0, 0, comm->grab());
    p.drawPixmap(at, tip->grab());
    p.end();
    EXPECT_TRUE(shot.save(QStringLiteral("%1/comm-refused_%2.png").arg(paneltest::outputDir(), GetParam())));
    QToolTip::hideText();
}

INSTANTIATE_TEST_SUITE_P(Languages, CommRefusalShots, ::testing::Values("EN", "CN", "TW"));
