// Every device dialog laid out in each language, left as pictures for
// review in test-output/dialogs; each must show its own title and fit its texts.
#include "DeviceTestUtil.h"

#include "app/dialogs/access/AuthorityDlg.h"
#include "app/dialogs/device/SettingHW.h"
#include "app/dialogs/device/SettingRetrieveDlg.h"
#include "app/dialogs/device/SettingSW.h"
#include "app/dialogs/device/SettingWIFI.h"
#include "app/dialogs/device/SettingWan.h"
#include "app/dialogs/device/WifiScanner.h"

#include "support/SimController.h"
#include "support/Widgets.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTest>

using namespace dialogs;

namespace {

class Networks : public WifiScanner {
public:
    QList<QByteArray> scan() override { return {"Office", "\xE5\x85\xAC\xE5\x8F\xB8-5G"}; }
};

// No label or button of the dialog cuts its text short.
void expectNothingClipped(QWidget& dlg)
{
    for (QAbstractButton* b : dlg.findChildren<QAbstractButton*>()) {
        if (b->isVisible() && !b->text().isEmpty()) {
            EXPECT_GE(b->width(), b->sizeHint().width() - 1) << b->objectName().toStdString();
        }
    }
    for (QLabel* l : dlg.findChildren<QLabel*>()) {
        if (l->isVisible() && !l->wordWrap() && !l->text().isEmpty()) {
            EXPECT_GE(l->width(), l->sizeHint().width() - 1) << l->text().toStdString();
        }
    }
}

// Writes to the controller, then shoots the dialog with its answer.
void shootWritten(QDialog& dlg, tagItemData* screen, int writeId, const QString& name, const char* pack)
{
    sim::SimController controller;
    sim::TcpPeer tcp(controller);
    devicetest::bindTcp(screen, tcp.port());
    devicetest::click(support::findByControlId<QAbstractButton>(&dlg, writeId));
    EXPECT_EQ(devicetest::resultColour(&dlg), devicetest::kSuccessColour) << name.toStdString();
    devicetest::saveShot(dlg, name + u'_' + devicetest::packTag(pack));
}

void shoot(QDialog& dlg, const QString& name, const char* pack)
{
    dlg.show();
    dlg.adjustSize();
    EXPECT_FALSE(dlg.windowTitle().isEmpty()) << name.toStdString();
    expectNothingClipped(dlg);
    devicetest::saveShot(dlg, name + u'_' + devicetest::packTag(pack));
}

// The work-mode list dropped down over the hardware dialog.
void shootWorkModes(CSettingHW& dlg, const char* pack)
{
    auto* modes = support::findByControlId<QComboBox>(&dlg, CSettingHW::IDC_WORKMODE);
    ASSERT_NE(modes, nullptr);
    modes->showPopup();
    QWidget* list = modes->view()->window();
    ASSERT_TRUE(QTest::qWaitFor([list] { return list->isVisible(); }, 2000));
    const QRect dialog = dlg.frameGeometry();
    const QRect popup = list->geometry();
    QImage sheet(dialog.united(popup).size(), QImage::Format_RGB32);
    sheet.fill(Qt::black);
    QPainter p(&sheet);
    const QPoint origin = dialog.united(popup).topLeft();
    p.drawPixmap(dlg.geometry().topLeft() - origin, dlg.grab());
    p.drawPixmap(popup.topLeft() - origin, list->grab());
    p.end();
    modes->hidePopup();
    const QString dir = QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + "/dialogs";
    EXPECT_TRUE(sheet.save(dir + "/hardware_workmodes_" + devicetest::packTag(pack) + ".png"));
    // Every row shows whole.
    for (int row = 0; row < modes->count(); ++row)
        EXPECT_LE(modes->view()->fontMetrics().horizontalAdvance(modes->itemText(row)), modes->view()->width())
            << devicetest::packTag(pack).toStdString() << " " << modes->itemText(row).toStdString();
}

} // namespace

TEST(DeviceShots, EveryDialogInEveryLanguage)
{
    devicetest::PackScope packs;
    devicetest::RightsScope rights(RIGHT_DEVICE_SETTINGS | RIGHT_UPGRADE);
    CCore core;
    tagItemData* screen = devicetest::newScreen(core);
    screen->Global.RemoteVersion = 0x01000000;
    screen->Global.HardwareId = 0x0E010100;
    screen->Global.WifiMode = 2;
    screen->Global.WifiEncryption = 2;
    screen->Global.WifiSecurity = 2;
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        {
            CAuthorityDlg dlg;
            shoot(dlg, "access", pack);
        }
        {
            CSettingHW dlg(core, screen);
            shoot(dlg, "hardware", pack);
            shootWritten(dlg, screen, CSettingHW::IDC_SEND, "hardware_written", pack);
            shootWorkModes(dlg, pack);
        }
        {
            CSettingWan dlg(core, screen);
            shoot(dlg, "network", pack);
            shootWritten(dlg, screen, CSettingWan::IDC_WRITE, "network_written", pack);
        }
        {
            CSettingWIFI dlg(core, screen, nullptr, new Networks);
            shoot(dlg, "wifi", pack);
            shootWritten(dlg, screen, CSettingWIFI::IDC_WRITE, "wifi_written", pack);
        }
        {
            core.SetSingleScreen(0);
            CSettingRetrieveDlg dlg(core);
            shoot(dlg, "search_scope", pack);
        }
        {
            core.SetSingleScreen(1);
            CSettingRetrieveDlg dlg(core);
            shoot(dlg, "search_scope_single", pack);
            core.SetSingleScreen(0);
        }
        {
            // Ports added by number and by path; a path typed is shown without "COM".
            for (const char16_t* port : {u"COM7", u"/dev/pts/3", u"/dev/serial/by-id/usb-Maker_Serial_0001-if00-port0"})
                core.AddUserSerialPort(port);
            CSettingSW dlg(core, SoftwareOptions{true, false, true, true});
            shoot(dlg, "software", pack);
            auto* edit = support::findByControlId<QLineEdit>(&dlg, CSettingSW::IDC_PORT_EDIT);
            ASSERT_NE(edit, nullptr);
            edit->setText(QStringLiteral("/dev/ttyUSB1"));
            shoot(dlg, "software_path", pack);
            core.RemoveAllUserSerialPort();
        }
    }
}
