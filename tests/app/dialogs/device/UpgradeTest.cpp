// The firmware upgrade from the hardware settings dialog: the rights bits,
// the version check, the task kind, and an image made here reaching a
// simulated controller.
#include "DeviceTestUtil.h"

#include "app/dialogs/device/HwSettings.h"
#include "app/dialogs/device/SettingHW.h"
#include "app/dialogs/task/TaskDlg.h"
#include "core/link/FirmwareImage.h"
#include "app/controls/MessageBox.h"
#include "support/ModalScript.h"
#include "support/SimController.h"
#include "support/SimControllerUpgrade.h"
#include "support/SeamScope.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QPointer>
#include <QTimer>

using namespace sorvane::link;

using namespace dialogs;
using devicetest::RightsScope;

namespace {

constexpr std::uint32_t kBoard = 0x0E010100;   // a board of the catalogue, upgraded as a stream

struct RunnerScope {
    explicit RunnerScope(std::function<void(CCore&, tagItemData*, int, QWidget*)> r)
    {
        seams->firmwareUpgrade = std::move(r);
    }
    support::SeamScope seams;
};

class HwUpgradeDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        devicetest::loadPack("UI_EN.rcc");
        screen = devicetest::newScreen(core);
        devicetest::bindTcp(screen, versions.port());
    }
    void clickUpgrade(CSettingHW& dlg)
    {
        QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingHW::IDC_UPGRADE), Qt::LeftButton);
    }

    devicetest::PackScope packs;
    platform::ScopedClockScale fast{100};
    CCore core;
    sim::SimController controller;
    sim::TcpPeer versions{controller};
    tagItemData* screen = nullptr;
    std::vector<int> kinds;
};

} // namespace

TEST_F(HwUpgradeDialog, TheButtonAndANotNewerUpgradeFollowTheRights)
{
    RunnerScope runner([this](CCore&, tagItemData*, int kind, QWidget*) { kinds.push_back(kind); });
    const std::uint32_t catalogue = CCore::GetUpgradeVersion(kBoard);
    ASSERT_NE(catalogue, 0u);
    controller.setVersion(kBoard, catalogue, 0);
    {
        RightsScope rights(RIGHT_DEVICE_SETTINGS);
        CSettingHW dlg(core, screen);
        dlg.show();
        EXPECT_FALSE(support::findByControlId<QPushButton>(&dlg, CSettingHW::IDC_UPGRADE)->isVisible());
    }
    {
        RightsScope rights(RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE);
        CSettingHW dlg(core, screen);
        dlg.show();
        clickUpgrade(dlg);   // equal versions: refused silently
        EXPECT_TRUE(kinds.empty());
        EXPECT_EQ(support::findByControlId<QLabel>(&dlg, CSettingHW::IDC_VERSION)->text(),
                  QStringLiteral("%1").arg(catalogue, 8, 16, QLatin1Char('0')));
        EXPECT_FALSE(support::findByControlId<QLabel>(&dlg, CSettingHW::IDC_VERSION_STATUS)->isVisible());
    }
    {
        RightsScope rights(RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE | RIGHT_ANY_VERSION);
        CSettingHW dlg(core, screen);
        dlg.show();
        clickUpgrade(dlg);
        EXPECT_EQ(kinds, (std::vector<int>{TASK_UPGRADE}));
    }
    // No answer to the version read: no upgrade whatever the rights.
    kinds.clear();
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    RightsScope rights(RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE | RIGHT_ANY_VERSION);
    CSettingHW dlg(core, screen);
    dlg.show();
    clickUpgrade(dlg);
    EXPECT_TRUE(kinds.empty());
}

TEST_F(HwUpgradeDialog, AnOlderControllerTakesAnImageMadeHere)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SetFirmwareFolder(folder.path());
    // Two records: 300 data bytes, then 3.
    std::vector<std::uint8_t> image{0x01, 0x2C};
    for (int i = 0; i < 300; ++i)
        image.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    for (std::uint8_t b : {0x00, 0x03, 0xC1, 0xC2, 0xC3})
        image.push_back(b);
    QFile f(FirmwareOverridePath(folder.path()));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(reinterpret_cast<const char*>(image.data()), static_cast<int>(image.size())).toHex());
    f.close();

    // The answer waits at a tenth, not a hundredth: a loaded machine may take
    // longer than 10 ms to hand the controller's answer over.
    platform::ScopedClockScale gentler(10);
    for (bool overPty : {false, true}) {
        SCOPED_TRACE(overPty ? "pty" : "tcp");
        sim::UpgradeController target;
        if (overPty) {
            ASSERT_TRUE(target.startPty());
            devicetest::bindPty(core, screen, target.slavePath());
        } else {
            ASSERT_TRUE(target.startTcp());
            devicetest::bindTcp(screen, target.port());
        }
        target.setVersion(kBoard, 0x01000000, 0);
        // Watches the task dialog while it runs: its progress and its text.
        int progress = -1;
        QStringList statuses;
        QPointer<CTaskDlg> seen;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            CTaskDlg* task = CTaskDlg::LiveTaskDialog();
            if (!task || task == seen)
                return;
            seen = task;
            auto* bar = support::findByControlId<QProgressBar>(task, CTaskDlg::IDC_PROGRESS);
            progress = bar->value();
            QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) { progress = std::max(progress, v); });
            auto* label = support::findByControlId<QLabel>(task, CTaskDlg::IDC_STATUS);
            statuses << label->text();
            QObject::connect(task, &QObject::destroyed, [&, label] { statuses << label->text(); });
        });
        watch.start(0);
        RightsScope rights(RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE);
        CSettingHW dlg(core, screen);
        dlg.show();
        {
            // The task dialog closes itself on success; one left open by a
            // failed job fails the test with its text instead of waiting.
            support::ModalScript bound(30000);
            bound.allow(QStringLiteral("dialogs::CTaskDlg"));
            clickUpgrade(dlg);
        }
        watch.stop();
        EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);   // it closed itself on success
        EXPECT_EQ(seen, nullptr);
        EXPECT_GT(progress, 0);
        ASSERT_FALSE(statuses.isEmpty());
        EXPECT_FALSE(statuses.first().isEmpty());
        const auto records = target.records();
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0], std::vector<std::uint8_t>(image.begin(), image.begin() + 302));
        EXPECT_EQ(records[1], std::vector<std::uint8_t>(image.begin() + 302, image.end()));
        // The version texts after the run: the controller's older version and the status.
        EXPECT_EQ(support::findByControlId<QLabel>(&dlg, CSettingHW::IDC_VERSION)->text(), "01000000");
        EXPECT_TRUE(support::findByControlId<QLabel>(&dlg, CSettingHW::IDC_VERSION_STATUS)->isVisible());
    }
    SetFirmwareFolder(QString());
}

TEST_F(HwUpgradeDialog, NoImageSaysWhereItIsLookedForAndAChosenFileIsSent)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SetFirmwareFolder(folder.path());
    const QString chosen = folder.filePath(QStringLiteral("chosen.hex"));
    const std::vector<std::uint8_t> image{0x00, 0x03, 0xC1, 0xC2, 0xC3};
    QFile f(chosen);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(reinterpret_cast<const char*>(image.data()), int(image.size())).toHex());
    f.close();
    platform::ScopedClockScale gentler(10);
    sim::UpgradeController target;
    ASSERT_TRUE(target.startTcp());
    devicetest::bindTcp(screen, target.port());
    target.setVersion(kBoard, 0x01000000, 0);

    // The dialog that stays open is read and closed as the operator would.
    // One that ended well shows its Close for the moment before it closes
    // itself: only a dialog still waiting after a while is one that stays.
    QStringList shown;
    QTimer watch;
    QPointer<CTaskDlg> waiting;
    QString waitingText;
    QElapsedTimer waited;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        CTaskDlg* task = CTaskDlg::LiveTaskDialog();
        auto* close = task ? support::findByControlId<QPushButton>(task, CTaskDlg::IDC_CLOSE) : nullptr;
        if (!close || task->IsBusy() || !close->isVisible()) {
            waiting = nullptr;
            return;
        }
        const QString text = support::findByControlId<QLabel>(task, CTaskDlg::IDC_STATUS)->text();
        if (waiting != task || waitingText != text) {
            waiting = task;
            waitingText = text;
            waited.start();
            return;
        }
        if (waited.elapsed() < 300)
            return;
        waiting = nullptr;
        shown << text;
        QTest::mouseClick(close, Qt::LeftButton);
    });
    watch.start(5);
    support::SeamScope seams;
    seams.nextFileName(chosen);
    RightsScope rights(RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE);
    CSettingHW dlg(core, screen);
    dlg.show();
    {
        support::ModalScript bound(30000);
        bound.allow(QStringLiteral("dialogs::CTaskDlg"));
        clickUpgrade(dlg);
    }
    watch.stop();
    CCore::SetFirmwareImageFile(nullptr);
    SetFirmwareFolder(QString());
    // Once, with the place the image is looked for; never the start text.
    ASSERT_EQ(shown.size(), 1) << shown.join(QStringLiteral(" | ")).toStdString();
    EXPECT_EQ(shown[0], platform::langString(44035).arg(FirmwareOverridePath(folder.path())));
    EXPECT_NE(shown[0], platform::langString(44005));
    // Then the chosen file went to the controller.
    ASSERT_EQ(target.records().size(), 1u);
    EXPECT_EQ(target.records()[0], image);
}

// The window that asks for the firmware image: titled and filtered in the
// pack's language, whichever language it is.
TEST_F(HwUpgradeDialog, TheFirmwareFileWindowSpeaksThePacksLanguage)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    SetFirmwareFolder(folder.path());
    platform::ScopedClockScale gentler(10);
    sim::UpgradeController target;
    ASSERT_TRUE(target.startTcp());
    devicetest::bindTcp(screen, target.port());
    target.setVersion(kBoard, 0x01000000, 0);
    RightsScope rights(RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE);
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        QString title;
        QStringList filters;
        // The task window that stays open is closed; the file window is looked at and cancelled.
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                title = files->windowTitle();
                filters = files->nameFilters();
                devicetest::saveShot(*files, "firmware_file_" + devicetest::packTag(pack));
                QTest::keyClick(files, Qt::Key_Escape);
                return;
            }
            CTaskDlg* task = CTaskDlg::LiveTaskDialog();
            auto* close = task ? support::findByControlId<QPushButton>(task, CTaskDlg::IDC_CLOSE) : nullptr;
            if (close && !task->IsBusy() && close->isVisible())
                QTest::mouseClick(close, Qt::LeftButton);
        });
        watch.start(20);
        CSettingHW dlg(core, screen);
        dlg.show();
        {
            support::ModalScript bound(30000);
            bound.allow(QStringLiteral("dialogs::CTaskDlg"));
            bound.allow(QStringLiteral("QFileDialog"));
            clickUpgrade(dlg);
        }
        watch.stop();
        EXPECT_EQ(title, platform::langString(44036)) << pack;
        EXPECT_EQ(filters.join(";;"), controls::FileDialog::firmwareFilter()) << pack;
        ASSERT_EQ(filters.size(), 2) << pack;
        EXPECT_TRUE(filters[0].endsWith("(*.dat)")) << pack;
        EXPECT_TRUE(filters[1].endsWith("(*)")) << pack;
    }
    SetFirmwareFolder(QString());
}
