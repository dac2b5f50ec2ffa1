// The software settings dialog: options on Apply and OK only, the user's
// serial ports at once (digits, each once), the colour threshold.
#include "DeviceTestUtil.h"

#include "app/spine/Messages.h"
#include "app/controls/Edits.h"
#include "app/controls/MessageBox.h"
#include "app/dialogs/device/SettingSW.h"
#include "support/MessageSpy.h"
#include "support/SeamScope.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

using namespace dialogs;

namespace {

std::vector<QString> userPorts(CCore& core)
{
    std::vector<QString> out;
    CUniqueArray<QString>* list = core.GetUserSerialPortList();
    if (list)
        out.assign(list->begin(), list->end());
    CCore::ReleaseUserSerialPortList(list);
    return out;
}

// Puts the library-wide threshold back after the test.
struct ThresholdScope {
    unsigned long saved = CCore::GetColorThreshold();
    ~ThresholdScope() { CCore::SetColorThreshold(saved); }
};

class SoftwareSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        devicetest::loadPack("UI_EN.rcc");
        frame.watch(spine::WM_SETTINGS_CHANGED);
        linkPage.watch(spine::WM_SETTINGS_CHANGED);
    }
    void click(QWidget* dlg, int id) { devicetest::click(support::findByControlId<QAbstractButton>(dlg, id)); }
    bool checked(QWidget* dlg, int id) { return support::findByControlId<QAbstractButton>(dlg, id)->isChecked(); }

    devicetest::PackScope packs;
    ThresholdScope threshold;
    CCore core;
    support::MessageSpy frame;
    support::MessageSpy linkPage;
};

} // namespace

TEST_F(SoftwareSettings, OptionsChangeOnApplyOrOkAndDefaultsThenCancelChangesNothing)
{
    const SoftwareOptions given{true, true, true, false};
    {
        CSettingSW dlg(core, given, &frame);
        dlg.show();
        EXPECT_TRUE(checked(&dlg, CSettingSW::IDC_CLOSE_BY_TRAY));
        EXPECT_FALSE(checked(&dlg, CSettingSW::IDC_SAVE_LED));
        QSignalSpy applied(&dlg, &CSettingSW::applied);
        click(&dlg, CSettingSW::IDC_DEFAULTS);
        EXPECT_FALSE(checked(&dlg, CSettingSW::IDC_CLOSE_BY_TRAY));
        EXPECT_FALSE(checked(&dlg, CSettingSW::IDC_QUIT_NOTE));
        EXPECT_TRUE(checked(&dlg, CSettingSW::IDC_SAVE_LED));
        EXPECT_TRUE(checked(&dlg, CSettingSW::IDC_AUTO_RETRIEVE));   // not a default
        click(&dlg, CSettingSW::IDC_CANCEL);
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_EQ(applied.count(), 0);
        EXPECT_EQ(dlg.appliedOptions(), given);
    }
    CSettingSW dlg(core, given, &frame);
    dlg.show();
    QSignalSpy applied(&dlg, &CSettingSW::applied);
    click(&dlg, CSettingSW::IDC_QUIT_NOTE);
    click(&dlg, CSettingSW::IDC_APPLY);
    ASSERT_EQ(applied.count(), 1);
    EXPECT_EQ(dlg.appliedOptions(), (SoftwareOptions{true, true, false, false}));
    EXPECT_TRUE(frame.isEmpty());   // the threshold did not change
    click(&dlg, CSettingSW::IDC_SAVE_LED);
    click(&dlg, CSettingSW::IDC_OK);
    EXPECT_EQ(applied.count(), 2);
    EXPECT_EQ(dlg.appliedOptions(), (SoftwareOptions{true, true, false, true}));
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(SoftwareSettings, AChangedThresholdIsSetAndTheFrameRepaints)
{
    CCore::SetColorThreshold(128);
    CSettingSW dlg(core, SoftwareOptions{}, &frame);
    dlg.show();
    auto* spin = support::findByControlId<QSpinBox>(&dlg, CSettingSW::IDC_THRESHOLD);
    EXPECT_EQ(spin->value(), 128);
    EXPECT_EQ(spin->maximum(), 255);
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    click(&dlg, CSettingSW::IDC_CANCEL);
    EXPECT_EQ(CCore::GetColorThreshold(), 128u);   // only Apply or OK set it

    CSettingSW again(core, SoftwareOptions{}, &frame);
    again.show();
    spin = support::findByControlId<QSpinBox>(&again, CSettingSW::IDC_THRESHOLD);
    spin->selectAll();
    QTest::keyClicks(spin, "200");
    click(&again, CSettingSW::IDC_APPLY);
    EXPECT_EQ(CCore::GetColorThreshold(), 200u);
    ASSERT_EQ(frame.count(spine::WM_SETTINGS_CHANGED), 1);
    EXPECT_EQ(frame.messages()[0].w, 8u);
}

TEST_F(SoftwareSettings, UserSerialPortsAreDigitsListedOnceAndChangeAtOnce)
{
    CSettingSW dlg(core, SoftwareOptions{}, &frame);
    dlg.setLinkPage(&linkPage);
    dlg.show();
    auto* edit = support::findByControlId<controls::CPostFixEdit>(&dlg, CSettingSW::IDC_PORT_EDIT);
    auto* list = support::findByControlId<QListWidget>(&dlg, CSettingSW::IDC_PORT_LIST);
    // Empty, the field shows the device path it takes, not "COM".
    EXPECT_TRUE(edit->suffix().isEmpty());
    EXPECT_EQ(edit->placeholderText(), "/dev/ttyUSB0");
    QTest::keyClicks(edit, "7");
    EXPECT_EQ(edit->suffix(), "COM");
    click(&dlg, CSettingSW::IDC_PORT_ADD);
    EXPECT_EQ(userPorts(core), (std::vector<QString>{"COM7"}));
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "COM7");
    EXPECT_TRUE(edit->text().isEmpty());
    ASSERT_EQ(linkPage.count(spine::WM_SETTINGS_CHANGED), 1);
    EXPECT_EQ(linkPage.messages()[0].w, 2u);

    QTest::keyClicks(edit, "7");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(list->count(), 1);   // the core holds it once, and so does the list
    EXPECT_EQ(userPorts(core).size(), 1u);

    support::SeamScope seams;
    seams.nextAnswer(QMessageBox::Ok);
    edit->setText("12a");   // pasted: the numeric edit takes no letters typed
    click(&dlg, CSettingSW::IDC_PORT_ADD);
    EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(CSettingSW::IDS_BAD_PORT_NUMBER));
    EXPECT_EQ(userPorts(core).size(), 1u);
    EXPECT_EQ(edit->text(), "12a");

    // Remove: nothing selected does nothing; the selected port goes, at once.
    linkPage.clear();
    list->clearSelection();
    click(&dlg, CSettingSW::IDC_PORT_REMOVE);
    EXPECT_TRUE(linkPage.isEmpty());
    list->setCurrentRow(0);
    click(&dlg, CSettingSW::IDC_PORT_REMOVE);
    EXPECT_EQ(list->count(), 0);
    EXPECT_TRUE(userPorts(core).empty());
    EXPECT_EQ(linkPage.count(spine::WM_SETTINGS_CHANGED), 1);
    click(&dlg, CSettingSW::IDC_CANCEL);
    EXPECT_TRUE(userPorts(core).empty());
}

TEST(UserSerialPortName, DigitsNameComAnAbsolutePathItselfAndAnythingElseNothing)
{
    EXPECT_EQ(UserSerialPortName("7"), "COM7");
    EXPECT_EQ(UserSerialPortName(" /dev/ttyUSB0 "), "/dev/ttyUSB0");
    EXPECT_EQ(UserSerialPortName("/dev/serial/by-id/usb-Maker_0001-if00-port0"),
              "/dev/serial/by-id/usb-Maker_0001-if00-port0");
    for (const char* bad : {"", "12a", "ttyUSB0", "dev/ttyS0", "./ttyS0", "/", "/dev/", "/dev/a;b", "COM3"})
        EXPECT_TRUE(UserSerialPortName(QString::fromLatin1(bad)).isEmpty()) << bad;
    EXPECT_TRUE(UserSerialPortName(QStringLiteral("/dev/a\tb")).isEmpty());
}

TEST_F(SoftwareSettings, ADevicePathIsAddedAsTypedByAddEnterOrOkAndOtherTextIsRefused)
{
    CSettingSW dlg(core, SoftwareOptions{}, &frame);
    dlg.setLinkPage(&linkPage);
    dlg.show();
    auto* edit = support::findByControlId<controls::CPostFixEdit>(&dlg, CSettingSW::IDC_PORT_EDIT);
    auto* list = support::findByControlId<QListWidget>(&dlg, CSettingSW::IDC_PORT_LIST);
    edit->setFocus();
    QTest::keyClicks(edit, "/dev/pts/9");
    EXPECT_TRUE(edit->suffix().isEmpty());   // a path is not shown behind "COM"
    click(&dlg, CSettingSW::IDC_PORT_ADD);
    EXPECT_TRUE(edit->suffix().isEmpty());
    // Enter adds too, and leaves the dialog open for the next one.
    QTest::keyClicks(edit, "/dev/serial/by-id/usb-Maker_0001-if00-port0");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    const std::vector<QString> both{"/dev/pts/9", "/dev/serial/by-id/usb-Maker_0001-if00-port0"};
    EXPECT_EQ(userPorts(core), both);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), both[1]);
    EXPECT_EQ(linkPage.count(spine::WM_SETTINGS_CHANGED), 2);

    // OK with a relative name: told, kept in the field, the dialog stays.
    support::SeamScope seams;
    seams.nextAnswer(QMessageBox::Ok);
    QTest::keyClicks(edit, "ttyUSB3");
    QSignalSpy applied(&dlg, &CSettingSW::applied);
    click(&dlg, CSettingSW::IDC_OK);
    EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(CSettingSW::IDS_BAD_PORT_NUMBER));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(applied.count(), 0);
    EXPECT_EQ(edit->text(), "ttyUSB3");
    EXPECT_EQ(userPorts(core), both);

    // OK with a path typed but not added: taken, then applied and closed.
    edit->clear();
    QTest::keyClicks(edit, "/dev/ttyACM0");
    click(&dlg, CSettingSW::IDC_OK);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(applied.count(), 1);
    EXPECT_EQ(userPorts(core).back(), "/dev/ttyACM0");
}
