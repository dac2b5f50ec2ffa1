// The hardware settings: values to and from the screen block, the unit
// spins, version texts and task kinds, and the dialog against the simulated
// controller over TCP and a pseudo-terminal.
#include "DeviceTestUtil.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/ComboBoxes.h"
#include "app/dialogs/device/HwSettings.h"
#include "app/dialogs/task/TaskProgress.h"
#include "app/spine/WorkModeCaptions.h"
#include "app/dialogs/device/SettingHW.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "core/link/Commands.h"
#include "app/controls/StaticLink.h"
#include "app/dialogs/task/TaskDlg.h"
#include "support/Heartbeat.h"
#include "support/MessageSpy.h"
#include "support/ModalRunner.h"
#include "support/NoticeSpy.h"
#include "support/Screenshots.h"
#include "support/SimController.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>
#include <memory>
#include <optional>

using namespace sorvane::link;
using namespace sorvane::model;

using namespace dialogs;
using devicetest::kSuccessColour;
using devicetest::resultColour;
using devicetest::image;
using devicetest::RightsScope;

namespace {

tagGlobalInfo newBlock()
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    return g;
}

HwSettingsValues someValues()
{
    HwSettingsValues v;
    v.address = 9;
    v.width = 64;
    v.height = 32;
    v.type = 33;
    v.scan = 4;
    v.rowDecode = 2;
    v.refresh = 120;
    v.lum = 500;
    v.option[0] = v.option[2] = true;
    v.fastSerial = true;
    v.linkBit1 = true;
    v.autoSwitch = true;
    v.onHour = 7;
    v.onMinute = 5;
    v.offHour = 23;
    v.offMinute = 45;
    v.weekDays = 0x41;
    return v;
}

} // namespace

TEST(HwValues, StoredFieldByFieldWithOtherBytesKept)
{
    tagGlobalInfo g = newBlock();
    g.CommType = COMM_SERIAL;
    g.BaudRate = 57600;   // the speed check follows the baud rate on load
    g.OptionBits2 = 0xF0;
    tagGlobalInfo expected = g;
    StoreHwValues(someValues(), 16, g);
    expected.ID = 9;
    expected.Width = 64;
    expected.Height = 32;
    expected.Type = 33;
    expected.ScanMode = 4;
    expected.RowDecode = 2;
    expected.ReFreq = 120;
    expected.Lum = 500;
    expected.OptionBits = 0x05;
    expected.OptionBits2 = 0xF3;
    expected.AutoS = 1;
    expected.HourSU = 7;
    expected.MinSU = 5;
    expected.HourSD = 23;
    expected.MinSD = 45;
    expected.WeekSD = 0x41;
    EXPECT_EQ(image(g), image(expected));

    // Read back and stored again: not a byte moves.
    const auto before = image(g);
    StoreHwValues(HwValuesFromScreen(g), 16, g);
    EXPECT_EQ(image(g), before);
}

TEST(HwValues, EveryNumberIsClampedToItsControlsRangeBeforeItIsStored)
{
    tagGlobalInfo g = newBlock();
    g.Type = 17;
    HwSettingsValues v = someValues();
    v.address = 300;      // a byte would wrap it to 44
    v.width = 100000;     // beyond the 16-bit field
    v.height = 5;
    v.type = -1;          // no row selected
    v.scan = 9;
    v.refresh = -3;
    v.lum = 5000;
    StoreHwValues(v, 4, g);
    EXPECT_EQ(g.ID, 254);
    EXPECT_EQ(g.Width, 4096);
    EXPECT_EQ(g.Height, 8);
    EXPECT_EQ(g.Type, 17);
    EXPECT_EQ(g.ScanMode, 4);
    EXPECT_EQ(g.ReFreq, 0);
    EXPECT_EQ(g.Lum, 990);
    v.address = 0;
    v.width = 1;
    v.height = 513;
    StoreHwValues(v, 4, g);
    EXPECT_EQ(g.ID, 1);
    EXPECT_EQ(g.Width, 8);
    EXPECT_EQ(g.Height, 512);
    v.width = 70;
    StoreHwValues(v, 4, g);
    EXPECT_EQ(g.Width, 72);
}

TEST(HwValues, SerialSpeedBitIsTakenOnlyForSerialLinks)
{
    tagGlobalInfo g = newBlock();
    g.CommType = COMM_NETWORK;
    g.OptionBits2 = 0x01;
    HwSettingsValues v = someValues();
    v.fastSerial = false;
    v.linkBit1 = false;
    StoreHwValues(v, 16, g);
    EXPECT_EQ(g.OptionBits2, 0x01);
    g.CommType = COMM_SERIAL;
    StoreHwValues(v, 16, g);
    EXPECT_EQ(g.OptionBits2, 0x00);
    g.BaudRate = 9600;
    EXPECT_FALSE(HwValuesFromScreen(g).fastSerial);
    g.BaudRate = 57600;
    EXPECT_TRUE(HwValuesFromScreen(g).fastSerial);
}

TEST(HwValues, ReconnectOnlyForANewAddressOrSerialSpeed)
{
    tagGlobalInfo a = newBlock();
    tagGlobalInfo b = a;
    b.Lum = 3;
    b.OptionBits2 ^= 2;
    EXPECT_FALSE(HwNeedsReconnect(a, b));
    b.ID = static_cast<std::uint8_t>(a.ID + 1);
    EXPECT_TRUE(HwNeedsReconnect(a, b));
    b = a;
    b.OptionBits2 ^= 1;
    EXPECT_TRUE(HwNeedsReconnect(a, b));
}

TEST(HwVersion, StatusTextsByComparison)
{
    devicetest::PackScope packs;
    platform::setLangString(43000, "older");
    platform::setLangString(43001, "newer");
    VersionTexts t = MakeVersionTexts(0xFFFFFFFF, 0x0E010100, 5, 0x01020304);
    EXPECT_TRUE(t.version.isEmpty() && t.hardwareId.isEmpty() && t.word.isEmpty() && t.status.isEmpty());
    EXPECT_FALSE(t.statusShown);
    t = MakeVersionTexts(0x01000000, 0x0E010100, 0, 0x01020304);
    EXPECT_EQ(t.version, "01000000");
    EXPECT_EQ(t.hardwareId, "0e010100");
    EXPECT_TRUE(t.word.isEmpty());
    EXPECT_EQ(t.status, "older< 01020304 >");
    EXPECT_TRUE(t.statusShown);
    t = MakeVersionTexts(0x01020304, 0x0E010100, 0xAB, 0x01020304);
    EXPECT_EQ(t.word, "000000ab");
    EXPECT_FALSE(t.statusShown);
    EXPECT_TRUE(t.status.isEmpty());
    t = MakeVersionTexts(0x80000000, 1, 0, 0x01020304);   // compared unsigned
    EXPECT_EQ(t.status, "newer");
}

TEST(HwUpgrade, TaskKindAndPermission)
{
    EXPECT_EQ(UpgradeTaskKind(0x0E0101FF, 0x02000000, COMM_NETWORK), TASK_UPGRADE);
    EXPECT_EQ(UpgradeTaskKind(0x0E050712, 0, COMM_SERIAL), TASK_UPGRADE);
    EXPECT_EQ(UpgradeTaskKind(0x0E060512, 0x01030400, COMM_SERIAL), TASK_UPGRADE);
    EXPECT_EQ(UpgradeTaskKind(0x0E060512, 0x01030500, COMM_SERIAL), TASK_UPGRADE_IMAGE);
    EXPECT_EQ(UpgradeTaskKind(0x0E070700, 0x01000000, COMM_ETHERNET), TASK_UPGRADE_IMAGE);
    EXPECT_EQ(UpgradeTaskKind(0x0E070700, 0x01000000, COMM_NETWORK), TASK_UPGRADE_IMAGE);
    EXPECT_EQ(UpgradeTaskKind(0x0E990000, 0x01030001, COMM_SERIAL), TASK_UPGRADE_IMAGE);
    EXPECT_EQ(UpgradeTaskKind(0x0E990000, 0x01030000, COMM_NETWORK), TASK_UPGRADE);
    EXPECT_TRUE(UpgradeAllowed(1, 2, 0));
    EXPECT_FALSE(UpgradeAllowed(2, 2, RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE));
    EXPECT_FALSE(UpgradeAllowed(3, 2, 0));
    EXPECT_TRUE(UpgradeAllowed(3, 2, RIGHT_ANY_VERSION));
}

TEST(UnitSpin, TypedSizesMoveTheSpinAndStepsWriteWholeUnits)
{
    EXPECT_EQ(unitPositionFor(70, 8, 1, 512), 9);
    EXPECT_EQ(unitPositionFor(0, 8, 1, 512), 1);
    EXPECT_EQ(unitPositionFor(4100, 8, 1, 512), 512);
    EXPECT_EQ(unitPositionFor(2147483647, 8, 1, 512), 512);
    EXPECT_EQ(roundUpTo(5, 4), 8);
    EXPECT_EQ(roundUpTo(4096, 8), 4096);

    CUnitSpinEdit w(6019, 6036, 8);
    w.setRange(1, 512);
    w.show();
    QTest::keyClicks(w.edit(), "4100");
    EXPECT_EQ(w.edit()->text(), "4100");   // the text stays as typed
    EXPECT_EQ(w.position(), 512);
    EXPECT_EQ(w.clampedValue(), 4096);
    w.edit()->clear();
    QTest::keyClicks(w.edit(), "70");
    EXPECT_EQ(w.position(), 9);
    QTest::keyClick(w.edit(), Qt::Key_Up);
    EXPECT_EQ(w.edit()->text(), "80");
    QTest::mouseClick(w.spin()->downButton(), Qt::LeftButton);
    QTest::mouseClick(w.spin()->downButton(), Qt::LeftButton);
    EXPECT_EQ(w.edit()->text(), "64");
    w.setPosition(1);
    QTest::keyClick(w.edit(), Qt::Key_Down);   // at the minimum already
    EXPECT_EQ(w.edit()->text(), "8");
}

// ---- the dialog against the simulated controller ----

namespace {

enum class Link { Tcp, Pty };

class HwDialog : public ::testing::TestWithParam<Link> {
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
        frame.watch(spine::WM_STATUS_IDLE).watch(spine::WM_SCREEN_RECONNECT);
    }

    // What the controller answers a read with: a known block.
    tagGlobalInfo seedController()
    {
        tagGlobalInfo g = screen->Global;
        g.Width = 96;
        g.Height = 48;
        g.Type = 17;
        g.ScanMode = 4;
        g.RowDecode = 1;
        g.ReFreq = 180;
        g.Lum = 77;
        g.OptionBits = 0x02;
        g.OptionBits2 = 0x02;
        g.HourSU = 6;
        g.MinSU = 30;
        g.HourSD = 22;
        g.MinSD = 15;
        g.WeekSD = 0x3E;
        g.AutoS = 1;
        std::vector<std::uint8_t> block(kHardwareBlockSize);
        BuildHardwareBlock(g, block.data());
        controller.setAnswer(TOS_HWREADCFG, block);
        controller.setVersion(0x0E010100, 0x01000000, 0);
        return g;
    }

    template <typename T = QWidget>
    T* control(QWidget* dlg, int id)
    {
        T* w = support::findByControlId<T>(dlg, id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    void type(QWidget* dlg, int id, const char* text)
    {
        auto* e = control<QLineEdit>(dlg, id);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    void click(QWidget* dlg, int id) { devicetest::click(control<QAbstractButton>(dlg, id)); }

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

TEST_P(HwDialog, ReadChangeAndSendReachTheControllerByteForByte)
{
    RightsScope rights(RIGHT_DEVICE_SETTINGS);
    const tagGlobalInfo seeded = seedController();
    CSettingHW dlg(core, screen, &frame);
    dlg.show();
    EXPECT_FALSE(control(&dlg, CSettingHW::IDC_UPGRADE)->isVisible());   // no upgrade right

    QSignalSpy told(&spine::notices(), &spine::NodeNotices::nodeChanged);
    click(&dlg, CSettingHW::IDC_READ);
    // The read is stored and announced here; the frame takes the block as told.
    ASSERT_EQ(told.count(), 1);
    EXPECT_EQ(told[0][0].value<tagItemData*>(), screen);
    ASSERT_EQ(frame.ids(), (QList<unsigned>{spine::WM_STATUS_IDLE}));
    EXPECT_EQ(control<QLineEdit>(&dlg, CSettingHW::IDC_WIDTH)->text(), "96");
    EXPECT_EQ(control<QLineEdit>(&dlg, CSettingHW::IDC_LUM)->text(), "77");
    EXPECT_EQ(control<QComboBox>(&dlg, CSettingHW::IDC_WORKMODE)->currentData().toInt(), 17);
    EXPECT_EQ(control<QTimeEdit>(&dlg, CSettingHW::IDC_TIME_OFF)->time(), QTime(22, 15));
    EXPECT_TRUE(control<controls::CCheckComboBox>(&dlg, CSettingHW::IDC_WEEKDAYS)->GetCheck(1));
    EXPECT_FALSE(control<controls::CCheckComboBox>(&dlg, CSettingHW::IDC_WEEKDAYS)->GetCheck(0));
    EXPECT_EQ(control<QLabel>(&dlg, CSettingHW::IDC_VERSION)->text(), "01000000");
    EXPECT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_READ_DONE));
    EXPECT_EQ(resultColour(&dlg), kSuccessColour);
    frame.clear();

    // Change: address, width typed off the unit, work mode 33 by keyboard, one option.
    type(&dlg, CSettingHW::IDC_ADDRESS, "300");
    type(&dlg, CSettingHW::IDC_WIDTH, "70");
    auto* modes = control<QComboBox>(&dlg, CSettingHW::IDC_WORKMODE);
    modes->setCurrentIndex(spine::workModeCaptionRow(33) - 1);
    modes->setFocus();
    QTest::keyClick(modes, Qt::Key_Down);
    ASSERT_EQ(modes->currentData().toInt(), 33);
    click(&dlg, CSettingHW::IDC_OPTION2);
    click(&dlg, CSettingHW::IDC_AUTOSWITCH);   // off
    EXPECT_FALSE(control(&dlg, CSettingHW::IDC_TIME_ON)->isEnabled());
    const std::size_t blocksBefore = controller.blocks().size();
    support::NoticeSpy sendTold;
    click(&dlg, CSettingHW::IDC_SEND);

    unsigned short maxScan = 0, defaultScan = 0;
    int firstOption = 0;
    CCore::ParseLEDWorkMode(33, maxScan, defaultScan, firstOption);
    tagGlobalInfo expected = seeded;
    expected.ID = 254;
    expected.Width = 72;
    expected.Type = 33;
    expected.ScanMode = defaultScan;
    expected.OptionBits = static_cast<std::uint8_t>((firstOption ? 1 : 0) | 0x04 | 0x08);
    expected.AutoS = 0;
    if (GetParam() == Link::Pty)
        expected.OptionBits2 = 0x03;   // 57600 baud: the speed bit comes from the check
    ASSERT_TRUE(controller.waitForBlocks(blocksBefore + 1));
    const sim::Block sent = controller.blocks().back();
    EXPECT_EQ(sent.header.command, TOS_HWCONFIG);
    EXPECT_EQ(sent.header.address, seeded.ID);   // the address it had before
    std::vector<std::uint8_t> want(kHardwareBlockSize);
    BuildHardwareBlock(expected, want.data());
    EXPECT_EQ(sent.data, want);
    EXPECT_EQ(controller.hardware(), want);
    // Written and told by the write road, then the controller found again.
    EXPECT_TRUE(sendTold.told(screen) & spine::NodeChange::Geometry);
    EXPECT_EQ(frame.ids(), (QList<unsigned>{spine::WM_SCREEN_RECONNECT}));
    EXPECT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_WRITE_DONE));
    EXPECT_EQ(resultColour(&dlg), kSuccessColour);

    // Sent again unchanged: no reconnect.
    frame.clear();
    click(&dlg, CSettingHW::IDC_SEND);
    EXPECT_TRUE(frame.ids().isEmpty());

    click(&dlg, CSettingHW::IDC_RESET);
    EXPECT_EQ(controller.resets(), 1);
}

TEST_P(HwDialog, TheControllerKeepsWhatItIsSentAndRefusesAScanItsModeCannotTake)
{
    CSettingHW dlg(core, screen, &frame);
    dlg.show();
    auto* modes = control<QComboBox>(&dlg, CSettingHW::IDC_WORKMODE);
    modes->setCurrentIndex(spine::workModeCaptionRow(0) + 1);
    modes->setFocus();
    QTest::keyClick(modes, Qt::Key_Up);   // code 0, which takes 16 scans
    ASSERT_EQ(modes->currentData().toInt(), 0);
    type(&dlg, CSettingHW::IDC_SCAN, "8");
    click(&dlg, CSettingHW::IDC_SEND);
    ASSERT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_WRITE_DONE));
    type(&dlg, CSettingHW::IDC_SCAN, "2");
    click(&dlg, CSettingHW::IDC_READ);
    ASSERT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_READ_DONE));
    EXPECT_EQ(control<QLineEdit>(&dlg, CSettingHW::IDC_SCAN)->text(), "8");
    EXPECT_EQ(modes->currentData().toInt(), 0);

    // Scan 8 in a mode that takes 4 (sent as a damaged file might hold it):
    // the controller keeps what it had, and a read says so.
    const std::vector<std::uint8_t> kept = controller.hardware();
    screen->Global.Type = 17;
    screen->Global.ScanMode = 8;
    ASSERT_GE(core.SendHardwareInfo(screen, 0), 0);
    ASSERT_TRUE(controller.waitForBlocks(4));
    EXPECT_EQ(controller.hardware(), kept);
    click(&dlg, CSettingHW::IDC_READ);
    EXPECT_EQ(modes->currentData().toInt(), 0);
    EXPECT_EQ(control<QLineEdit>(&dlg, CSettingHW::IDC_SCAN)->text(), "8");
}

TEST_P(HwDialog, ASilentControllerChangesNothingAndAsksForNoReconnect)
{
    seedController();
    CSettingHW dlg(core, screen, &frame);
    dlg.show();
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    const auto before = image(screen->Global);
    const QString width = control<QLineEdit>(&dlg, CSettingHW::IDC_WIDTH)->text();
    click(&dlg, CSettingHW::IDC_READ);
    EXPECT_EQ(frame.ids(), (QList<unsigned>{spine::WM_STATUS_IDLE}));
    EXPECT_EQ(image(screen->Global), before);
    EXPECT_EQ(control<QLineEdit>(&dlg, CSettingHW::IDC_WIDTH)->text(), width);
    EXPECT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_READ_FAILED));
    EXPECT_EQ(resultColour(&dlg), QColor(Qt::red));

    // A write is not answered; with no controller on the link at all it fails.
    frame.clear();
    tcp.reset();
    if (pty) {
        pty.reset();
        devicetest::bindNoDevice(core, screen);
    }
    const auto unsent = image(screen->Global);
    type(&dlg, CSettingHW::IDC_ADDRESS, "5");
    support::NoticeSpy told;
    click(&dlg, CSettingHW::IDC_SEND);
    // Not taken: the screen goes back to what it was (told both ways by the
    // write road); the dialog keeps the edit for another try.
    EXPECT_EQ(told.count(spine::NodeChange::Hardware, screen), 2);
    EXPECT_TRUE(frame.ids().isEmpty());
    EXPECT_EQ(image(screen->Global), unsent);
    EXPECT_EQ(control<QLineEdit>(&dlg, CSettingHW::IDC_ADDRESS)->text(), "5");
    EXPECT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_WRITE_FAILED));
}

INSTANTIATE_TEST_SUITE_P(Links, HwDialog, ::testing::Values(Link::Tcp, Link::Pty),
                         [](const auto& info) { return info.param == Link::Tcp ? "Tcp" : "Pty"; });

namespace {

// A screen on a controller whose every reply comes 150 ms late, waited for
// at the real pace.
struct LateController {
    CCore core;
    sim::SimController controller;
    sim::TcpPeer tcp{controller};
    tagItemData* screen = devicetest::newScreen(core);
    support::MessageSpy frame;

    LateController()
    {
        devicetest::bindTcp(screen, tcp.port());
        sim::Faults late;
        late.lateMs = 150;
        controller.setFaults(late);
        controller.setVersion(0x0E010100, 0x01000000, 0);
        answerWidth(96);
    }
    void answerWidth(int width)
    {
        tagGlobalInfo g = screen->Global;
        g.Width = std::uint16_t(width);
        std::vector<std::uint8_t> block(kHardwareBlockSize);
        BuildHardwareBlock(g, block.data());
        controller.setAnswer(TOS_HWREADCFG, block);
    }
};

CTaskDlg* taskDialog(QWidget* modal)
{
    auto* task = qobject_cast<CTaskDlg*>(modal);
    EXPECT_NE(task, nullptr);
    return task;
}

// The task dialog drawn over the middle of the dialog that runs it.
bool saveTaskOver(QWidget& under, QWidget& task, const QString& name)
{
    QPixmap picture = under.grab();
    const QPixmap top = task.grab();
    QPainter p(&picture);
    const QRect at(QPoint((picture.width() - top.width()) / 2, (picture.height() - top.height()) / 2), top.size());
    p.drawPixmap(at.topLeft(), top);
    p.setPen(Qt::darkGray);
    p.drawRect(at.adjusted(-1, -1, 0, 0));   // the window's edge, which grab() leaves out
    p.end();
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/dialogs");
    QDir().mkpath(dir);
    return picture.save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace

// Read runs as a job: the window keeps answering while the late replies are
// waited for, the answer shows in the dialog's label, and a cancel puts the
// screen's block back as it was before the read.
TEST(HwDialogJob, AReadKeepsTheWindowAnsweringAndACancelPutsTheScreenBack)
{
    devicetest::PackScope packs;
    devicetest::loadPack("UI_EN.rcc");
    LateController late;
    CSettingHW dlg(late.core, late.screen, &late.frame);
    dlg.show();
    auto* read = support::findByControlId<QAbstractButton>(&dlg, CSettingHW::IDC_READ);
    {
        // Measured while the request runs, from the task dialog's showing to its end.
        std::optional<support::Heartbeat> heartbeat;
        support::ModalRunner watch([&](QWidget* modal) {
            if (CTaskDlg* task = taskDialog(modal)) {
                heartbeat.emplace();
                QObject::connect(task, &QDialog::finished, [&] { heartbeat->stop(); });
            }
        });
        devicetest::click(read);
        ASSERT_TRUE(heartbeat.has_value());
        EXPECT_ANSWERED(*heartbeat);
    }
    EXPECT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_READ_DONE));
    EXPECT_EQ(late.screen->Global.Width, 96);
    EXPECT_EQ(late.screen->Global.HardwareId, 0x0E010100u);
    EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);

    late.answerWidth(128);
    late.controller.setVersion(0x0E020200, 0x02000000, 0);
    const auto before = image(late.screen->Global);
    support::ModalRunner cancel([](QWidget* modal) {
        if (CTaskDlg* task = taskDialog(modal)) {
            auto* link = support::findByControlId<controls::CStaticLink>(task, CTaskDlg::IDC_CANCEL_TASK);
            ASSERT_TRUE(link && link->isVisible());
            QTest::mouseClick(link, Qt::LeftButton);
        }
    });
    devicetest::click(read);
    EXPECT_TRUE(cancel.answered());
    EXPECT_EQ(image(late.screen->Global), before);
    EXPECT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_READ_FAILED));
    EXPECT_EQ(support::findByControlId<QLineEdit>(&dlg, CSettingHW::IDC_WIDTH)->text(), "96");
}

TEST(HwDialogJob, ScreenshotsOfTheReadInEachLanguage)
{
    devicetest::PackScope packs;
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        LateController late;
        CSettingHW dlg(late.core, late.screen, &late.frame);
        dlg.show();
        bool saved = false;
        support::ModalRunner shoot([&](QWidget* modal) {
            if (CTaskDlg* task = taskDialog(modal))
                saved = saveTaskOver(dlg, *task, QStringLiteral("hardware_reading_%1").arg(QLatin1String(pack, 5)));
        });
        devicetest::click(support::findByControlId<QAbstractButton>(&dlg, CSettingHW::IDC_READ));
        EXPECT_TRUE(saved) << pack;
        EXPECT_EQ(dlg.resultText(), platform::langString(CSettingHW::IDS_READ_DONE)) << pack;
    }
}

TEST(HwDialogLoad, AWorkModeOutsideTheTableShowsNoRowAndKeepsItsCode)
{
    CCore core;
    tagItemData* screen = devicetest::newScreen(core);
    screen->Global.Type = 5;
    screen->Global.ScanMode = 2;
    screen->Global.RowDecode = 9;   // beyond the row-decoding entries
    CSettingHW dlg(core, screen);
    EXPECT_EQ(support::findByControlId<QComboBox>(&dlg, CSettingHW::IDC_WORKMODE)->currentIndex(), -1);
    EXPECT_EQ(dlg.values().type, -1);
    tagGlobalInfo g = screen->Global;
    StoreHwValues(dlg.values(), 2, g);
    EXPECT_EQ(g.Type, 5);
    EXPECT_EQ(g.RowDecode, 9);
}
