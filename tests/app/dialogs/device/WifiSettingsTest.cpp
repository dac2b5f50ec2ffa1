// The Wi-Fi settings: storing both modes, byte limits, the networks from a
// NetworkManager stand-in on a private bus, and the dialog against the
// simulated controller over TCP and a pseudo-terminal.
#include "DeviceTestUtil.h"

#include "app/spine/Messages.h"
#include "app/dialogs/device/SettingWIFI.h"
#include "app/dialogs/device/WifiScanner.h"
#include "app/dialogs/device/WifiSettings.h"
#include "core/link/Commands.h"
#include "support/ModalScript.h"
#include "support/MessageSpy.h"
#include "support/SimController.h"

#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <future>
#include <memory>

using namespace sorvane::link;
using namespace sorvane::model;

using namespace dialogs;
using devicetest::kSuccessColour;
using devicetest::resultColour;
using devicetest::image;

namespace {

const QByteArray kOffice("Office");
const QByteArray kCompany("\xE5\x85\xAC\xE5\x8F\xB8-5G");   // 公司-5G in UTF-8
const QByteArray kLobby("Lobby");

class FakeScanner : public WifiScanner {
public:
    explicit FakeScanner(QList<QByteArray> names) : m_names(std::move(names)) {}
    QList<QByteArray> scan() override { return m_names; }

private:
    QList<QByteArray> m_names;
};

} // namespace

TEST(WifiValues, JoinModeStoresBytesAndAnEmptyKeyMeansAnOpenNetwork)
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    g.WifiEncryption = 2;
    g.WifiSecurity = 2;
    tagGlobalInfo expected = g;
    StoreWifiJoin(g, kCompany, "secret-key");
    expected.WifiMode = 1;
    std::memcpy(expected.WifiSsid, kCompany.constData(), kCompany.size());
    devicetest::setText(expected.WifiKey, sizeof expected.WifiKey, "secret-key");
    EXPECT_EQ(image(g), image(expected));

    StoreWifiJoin(g, kOffice, QByteArray());
    EXPECT_STREQ(g.WifiSsid, "Office");
    EXPECT_STREQ(g.WifiKey, "");
    EXPECT_EQ(g.WifiEncryption, 1);
    EXPECT_EQ(g.WifiSecurity, 1);
    EXPECT_EQ(StoredSsid(g), kOffice);
}

TEST(WifiValues, OwnNetworkTakesTheDefaultKeyAndFirstSecurityWhenNoneIsGiven)
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    StoreWifiOwn(g, "LED-01", 1, -1, QByteArray());
    EXPECT_EQ(g.WifiMode, 2);
    EXPECT_STREQ(g.WifiSsid, "LED-01");
    EXPECT_EQ(g.WifiEncryption, 1);
    EXPECT_EQ(g.WifiSecurity, 1);
    EXPECT_STREQ(g.WifiKey, "7305918264");
    StoreWifiOwn(g, "LED-01", 2, 2, "pass phrase");
    EXPECT_EQ(g.WifiSecurity, 2);
    EXPECT_STREQ(g.WifiKey, "pass phrase");
    // Fields never run past their ends, and the rest of the block stays.
    const QByteArray longName(40, 'n');
    const auto before = image(g);
    StoreWifiOwn(g, longName, 2, 2, QByteArray(80, 'k'));
    EXPECT_EQ(StoredSsid(g), QByteArray(32, 'n'));
    EXPECT_EQ(StoredWifiKey(g), QByteArray(64, 'k'));
    EXPECT_EQ(g.WifiWord, tagGlobalInfo().WifiWord);
    EXPECT_EQ(image(g).size(), before.size());
}

TEST(WifiValues, TextIsLimitedByItsBytes)
{
    ByteLengthValidator v(32, nullptr);
    int pos = 0;
    QString ascii(32, u'a');
    EXPECT_EQ(v.validate(ascii, pos), QValidator::Acceptable);
    QString longer(33, u'a');
    EXPECT_EQ(v.validate(longer, pos), QValidator::Invalid);
    QString chinese = QString::fromUtf8(kCompany).left(2).repeated(5) + QString::fromUtf8("公");   // 11 × 3 bytes
    EXPECT_EQ(v.validate(chinese, pos), QValidator::Invalid);
    chinese.chop(1);
    EXPECT_EQ(v.validate(chinese, pos), QValidator::Acceptable);
    EXPECT_EQ(DecodeWifiText(kCompany), QString::fromUtf8("公司-5G"));
    EXPECT_EQ(EncodeWifiText(QString::fromUtf8("公司-5G")), kCompany);
}

// ---- NetworkManager stand-in on a private bus ----

namespace {

// Answers the few calls the scanner makes, for two Wi-Fi devices and one wired.
class NetworkManagerStandIn : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override
    {
        const QString path = m.path();
        const QString base = QStringLiteral("/org/freedesktop/NetworkManager");
        auto paths = [&](std::initializer_list<const char*> list) {
            QList<QDBusObjectPath> out;
            for (const char* p : list)
                out.append(QDBusObjectPath(base + QLatin1String(p)));
            return QVariant::fromValue(out);
        };
        QVariantList reply;
        if (m.member() == "GetDevices" && path == base) {
            reply << paths({"/Devices/1", "/Devices/2", "/Devices/3"});
        } else if (m.member() == "GetAllAccessPoints" && path.endsWith("/Devices/1")) {
            reply << paths({"/AccessPoint/1", "/AccessPoint/2", "/AccessPoint/3"});
        } else if (m.member() == "GetAllAccessPoints" && path.endsWith("/Devices/3")) {
            reply << paths({"/AccessPoint/4", "/AccessPoint/5"});
        } else if (m.member() == "Get" && m.arguments().value(1).toString() == "DeviceType") {
            reply << QVariant::fromValue(QDBusVariant(QVariant(path.endsWith("/Devices/2") ? 1u : 2u)));
        } else if (m.member() == "Get" && m.arguments().value(1).toString() == "Ssid") {
            static const QMap<QString, QByteArray> ssids{{"1", kOffice},  {"2", QByteArray()}, {"3", kCompany},
                                                         {"4", kLobby},   {"5", kOffice}};
            reply << QVariant::fromValue(QDBusVariant(QVariant(ssids.value(path.section(u'/', -1)))));
        } else {
            bus.send(m.createErrorReply(QDBusError::UnknownMethod, m.member()));
            return true;
        }
        bus.send(m.createReply(reply));
        return true;
    }
};

// A dbus-daemon of the test's own, and the stand-in served from a thread of
// its own so that blocking calls from the test's thread are answered.
class PrivateBus {
public:
    explicit PrivateBus(bool withService)
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=/usr/share/dbus-1/session.conf"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(3000) || !m_daemon.waitForReadyRead(3000))
            return;
        m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (!withService)
            return;
        std::promise<bool> ready;
        m_thread.reset(QThread::create([this, &ready] {
            QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("nm-standin-service"));
            NetworkManagerStandIn standIn;
            const bool ok = bus.registerService(QStringLiteral("org.freedesktop.NetworkManager"))
                && bus.registerVirtualObject(QStringLiteral("/org/freedesktop/NetworkManager"), &standIn,
                                             QDBusConnection::SubPath);
            ready.set_value(ok);
            QEventLoop loop;   // ended by quit()
            loop.exec();
            bus.unregisterObject(QStringLiteral("/org/freedesktop/NetworkManager"), QDBusConnection::UnregisterTree);
        }));
        m_thread->start();
        m_serving = ready.get_future().get();
    }
    ~PrivateBus()
    {
        if (m_thread) {
            m_thread->quit();
            m_thread->wait();
            QDBusConnection::disconnectFromBus(QStringLiteral("nm-standin-service"));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("nm-standin-client"));
        m_daemon.kill();
        m_daemon.waitForFinished(3000);
    }
    bool up() const { return !m_address.isEmpty(); }
    bool serving() const { return m_serving; }
    QDBusConnection client() const { return QDBusConnection::connectToBus(m_address, QStringLiteral("nm-standin-client")); }

private:
    QProcess m_daemon;
    QString m_address;
    std::unique_ptr<QThread> m_thread;
    bool m_serving = false;
};

} // namespace

TEST(WifiScan, NetworkManagerDevicesAreListedOnceEachInOrderWithTheirBytes)
{
    PrivateBus bus(true);
    ASSERT_TRUE(bus.up());
    ASSERT_TRUE(bus.serving());
    NetworkManagerWifiScanner scanner(bus.client());
    EXPECT_EQ(scanner.scan(), (QList<QByteArray>{kOffice, kCompany, kLobby}));
}

TEST(WifiScan, NoServiceOnTheBusOrNoBusGivesAnEmptyList)
{
    PrivateBus bus(false);
    ASSERT_TRUE(bus.up());
    EXPECT_TRUE(NetworkManagerWifiScanner(bus.client(), 500).scan().isEmpty());
    EXPECT_TRUE(NetworkManagerWifiScanner(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"),
                                                                        QStringLiteral("nm-nowhere")))
                    .scan()
                    .isEmpty());
    QDBusConnection::disconnectFromBus(QStringLiteral("nm-nowhere"));
}

// ---- the dialog ----

namespace {

enum class Link { Tcp, Pty };

class WifiDialog : public ::testing::TestWithParam<Link> {
protected:
    void SetUp() override
    {
        devicetest::loadPack("UI_EN.rcc");
        screen = devicetest::newScreen(core);
        if (GetParam() == Link::Tcp) {
            tcp = std::make_unique<sim::TcpPeer>(controller);
            devicetest::bindTcp(screen, tcp->port());
        } else {
            pty = std::make_unique<sim::PtyPeer>(controller);
            devicetest::bindPty(core, screen, pty->slavePath());
        }
        frame.watch(spine::WM_STATUS_IDLE);
    }
    std::unique_ptr<CSettingWIFI> open()
    {
        auto dlg = std::make_unique<CSettingWIFI>(core, screen, &frame,
                                                  new FakeScanner({kOffice, kCompany, kLobby}));
        dlg->show();
        return dlg;
    }
    template <typename T = QWidget>
    T* control(QWidget* dlg, int id)
    {
        return support::findByControlId<T>(dlg, id);
    }
    void click(QWidget* dlg, int id) { devicetest::click(control<QAbstractButton>(dlg, id)); }
    QString result(QWidget* dlg) { return control<QLabel>(dlg, CSettingWIFI::IDC_RESULT)->text(); }
    std::vector<std::uint8_t> sentBlock()
    {
        std::vector<std::uint8_t> want(kWifiBlockSize);
        BuildWifiBlock(screen->Global, want.data());
        return want;
    }

    devicetest::PackScope packs;
    platform::ScopedClockScale fast{100};
    CCore core;
    sim::SimController controller;
    std::unique_ptr<sim::TcpPeer> tcp;
    std::unique_ptr<sim::PtyPeer> pty;
    tagItemData* screen = nullptr;
    support::MessageSpy frame;
};

} // namespace

TEST_P(WifiDialog, JoinANetworkSeenByThisComputerKeepsItsBytes)
{
    auto dlg = open();
    EXPECT_TRUE(control<QAbstractButton>(dlg.get(), CSettingWIFI::IDC_MODE_JOIN)->isChecked());   // stored mode 0
    auto* networks = control<QComboBox>(dlg.get(), CSettingWIFI::IDC_NETWORK);
    ASSERT_EQ(networks->count(), 3);
    EXPECT_EQ(networks->itemText(1), QString::fromUtf8("公司-5G"));
    EXPECT_FALSE(control(dlg.get(), CSettingWIFI::IDC_OWN_NAME)->isEnabled());

    networks->setFocus();
    networks->setCurrentIndex(0);
    QTest::keyClick(networks, Qt::Key_Down);
    EXPECT_EQ(networks->currentText(), QString::fromUtf8("公司-5G"));
    QTest::keyClicks(control<QLineEdit>(dlg.get(), CSettingWIFI::IDC_JOIN_KEY), "k3y");
    click(dlg.get(), CSettingWIFI::IDC_WRITE);
    EXPECT_EQ(frame.ids(), (QList<unsigned>{spine::WM_STATUS_IDLE}));
    EXPECT_EQ(result(dlg.get()), platform::langString(48278));
    EXPECT_EQ(resultColour(dlg.get()), kSuccessColour);
    EXPECT_EQ(StoredSsid(screen->Global), kCompany);
    EXPECT_STREQ(screen->Global.WifiKey, "k3y");
    EXPECT_EQ(screen->Global.WifiMode, 1);
    ASSERT_TRUE(controller.waitForBlocks(1));
    EXPECT_EQ(controller.wifiSettings(), sentBlock());
}

TEST_P(WifiDialog, OwnNetworkWithoutEncryptionWritesTheDefaultKeyAndReadSwitchesMode)
{
    auto dlg = open();
    click(dlg.get(), CSettingWIFI::IDC_MODE_OWN);
    auto* name = control<QLineEdit>(dlg.get(), CSettingWIFI::IDC_OWN_NAME);
    ASSERT_TRUE(name->isEnabled());
    QTest::keyClicks(name, QString(40, u'x'));
    EXPECT_EQ(name->text().size(), 32);   // the field's bytes
    auto* encryption = control<QComboBox>(dlg.get(), CSettingWIFI::IDC_ENCRYPTION);
    encryption->setFocus();
    encryption->setCurrentIndex(0);
    QTest::keyClick(encryption, Qt::Key_Down);   // data 2: secured
    EXPECT_TRUE(control(dlg.get(), CSettingWIFI::IDC_SECURITY)->isEnabled());
    QTest::keyClick(encryption, Qt::Key_Up);     // data 1: open
    EXPECT_FALSE(control(dlg.get(), CSettingWIFI::IDC_SECURITY)->isEnabled());
    EXPECT_FALSE(control(dlg.get(), CSettingWIFI::IDC_OWN_KEY)->isEnabled());
    EXPECT_EQ(control<QComboBox>(dlg.get(), CSettingWIFI::IDC_SECURITY)->currentIndex(), -1);
    click(dlg.get(), CSettingWIFI::IDC_WRITE);
    EXPECT_EQ(result(dlg.get()), platform::langString(48278));
    EXPECT_EQ(screen->Global.WifiMode, 2);
    EXPECT_EQ(screen->Global.WifiEncryption, 1);
    EXPECT_EQ(screen->Global.WifiSecurity, 1);
    EXPECT_STREQ(screen->Global.WifiKey, "7305918264");
    EXPECT_EQ(StoredSsid(screen->Global), QByteArray(32, 'x'));
    ASSERT_TRUE(controller.waitForBlocks(1));
    EXPECT_EQ(controller.wifiSettings(), sentBlock());

    // The controller reports mode 1 with a network: the dialog follows.
    tagGlobalInfo g = screen->Global;
    StoreWifiJoin(g, kLobby, "abc");
    std::vector<std::uint8_t> block(kWifiBlockSize);
    BuildWifiBlock(g, block.data());
    controller.setAnswer(TOS_WIFIREADCFG, block);
    click(dlg.get(), CSettingWIFI::IDC_READ);
    EXPECT_EQ(result(dlg.get()), platform::langString(48276));
    EXPECT_EQ(resultColour(dlg.get()), kSuccessColour);
    EXPECT_TRUE(control<QAbstractButton>(dlg.get(), CSettingWIFI::IDC_MODE_JOIN)->isChecked());
    EXPECT_EQ(control<QComboBox>(dlg.get(), CSettingWIFI::IDC_NETWORK)->currentText(), "Lobby");
    EXPECT_EQ(control<QLineEdit>(dlg.get(), CSettingWIFI::IDC_JOIN_KEY)->text(), "abc");
    EXPECT_TRUE(control<QLineEdit>(dlg.get(), CSettingWIFI::IDC_OWN_NAME)->text().isEmpty());
}

TEST_P(WifiDialog, TheEncryptionBoxShowsWhatWasReadOrWhatAWriteSends)
{
    auto dlg = open();
    auto* encryption = control<QComboBox>(dlg.get(), CSettingWIFI::IDC_ENCRYPTION);
    auto* security = control<QComboBox>(dlg.get(), CSettingWIFI::IDC_SECURITY);
    // A screen never read holds no kind: its own network shows the first,
    // which is what a write then sends.
    click(dlg.get(), CSettingWIFI::IDC_MODE_OWN);
    EXPECT_EQ(encryption->currentIndex(), 0);
    EXPECT_FALSE(encryption->currentText().isEmpty());

    // The controller's own network, open; then secured.
    click(dlg.get(), CSettingWIFI::IDC_READ);
    ASSERT_EQ(result(dlg.get()), platform::langString(48276));
    EXPECT_TRUE(control<QAbstractButton>(dlg.get(), CSettingWIFI::IDC_MODE_OWN)->isChecked());
    EXPECT_EQ(encryption->currentData().toInt(), 1);
    EXPECT_FALSE(security->isEnabled());
    tagGlobalInfo g = screen->Global;
    StoreWifiOwn(g, "simnet", 2, 2, "k3y-k3y-k3y");
    std::vector<std::uint8_t> block(kWifiBlockSize);
    BuildWifiBlock(g, block.data());
    controller.setAnswer(TOS_WIFIREADCFG, block);
    click(dlg.get(), CSettingWIFI::IDC_READ);
    ASSERT_EQ(result(dlg.get()), platform::langString(48276));
    EXPECT_EQ(encryption->currentData().toInt(), 2);
    EXPECT_EQ(security->currentData().toInt(), 2);
    EXPECT_EQ(control<QLineEdit>(dlg.get(), CSettingWIFI::IDC_OWN_KEY)->text(), "k3y-k3y-k3y");
}

TEST_P(WifiDialog, AControllerThatDoesNotAnswerGivesTheRedFailureTexts)
{
    auto dlg = open();
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    const auto before = image(screen->Global);
    click(dlg.get(), CSettingWIFI::IDC_READ);
    EXPECT_EQ(result(dlg.get()), platform::langString(48277));
    EXPECT_EQ(image(screen->Global), before);
    tcp.reset();
    if (pty) {
        pty.reset();
        devicetest::bindNoDevice(core, screen);
    }
    click(dlg.get(), CSettingWIFI::IDC_WRITE);
    EXPECT_EQ(result(dlg.get()), platform::langString(48279));
    EXPECT_EQ(control<QLabel>(dlg.get(), CSettingWIFI::IDC_RESULT)->palette().color(QPalette::WindowText),
              QColor(Qt::red));
}

INSTANTIATE_TEST_SUITE_P(Links, WifiDialog, ::testing::Values(Link::Tcp, Link::Pty),
                         [](const auto& info) { return info.param == Link::Tcp ? "Tcp" : "Pty"; });

TEST(WifiDialogNoScreen, ClosesItselfInsteadOfEndingTheProgram)
{
    CCore core;
    CSettingWIFI dlg(core, nullptr, nullptr, new FakeScanner({}));
    support::ModalScript bound(5000);   // a dialog that stays up fails instead of hanging
    bound.allow(QString::fromLatin1(CSettingWIFI::staticMetaObject.className()));
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    dlg.OnBnClickedWrite();   // nothing to write to
    dlg.OnBnClickedRead();
    EXPECT_TRUE(dlg.resultText().isEmpty());
    dlg.show();
    QTRY_VERIFY(!dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(WifiDialogScan, ListsTheStandInsNetworksAndScansAgainOnTheButton)
{
    PrivateBus bus(true);
    ASSERT_TRUE(bus.serving());
    CCore core;
    tagItemData* screen = devicetest::newScreen(core);
    CSettingWIFI dlg(core, screen, nullptr, new NetworkManagerWifiScanner(bus.client()));
    dlg.show();
    auto* networks = support::findByControlId<QComboBox>(&dlg, CSettingWIFI::IDC_NETWORK);
    ASSERT_EQ(networks->count(), 3);
    EXPECT_EQ(networks->itemData(1).toByteArray(), kCompany);
    networks->setEditText("typed");
    QTest::mouseClick(support::findByControlId<QAbstractButton>(&dlg, CSettingWIFI::IDC_RESCAN), Qt::LeftButton);
    EXPECT_EQ(networks->count(), 3);
    EXPECT_EQ(networks->currentText(), "typed");
}
