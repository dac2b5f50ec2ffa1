// Access codes, the rights they raise and the gate of the settings commands.
#include "app/dialogs/device/DeviceTestUtil.h"
#include "app/spine/CommandIds.h"

#include "app/controls/MessageBox.h"
#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/access/AuthorityDlg.h"
#include "support/ModalRunner.h"
#include "support/SeamScope.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace dialogs;
using devicetest::RightsScope;

namespace {

// Types a code into the open dialog and presses OK.
void enterCode(QWidget* dlg, const QString& code)
{
    auto* edit = support::findByControlId<QLineEdit>(dlg, CAuthorityDlg::IDC_CODE);
    ASSERT_NE(edit, nullptr);
    edit->clear();
    QTest::keyClicks(edit, code);
    QTest::mouseClick(support::findByControlId<QPushButton>(dlg, 1), Qt::LeftButton);
}

} // namespace

TEST(AccessCodes, MatchWholeCodesExactlyInTableOrder)
{
    EXPECT_EQ(MatchAccessCode("418"), 1u);
    EXPECT_EQ(MatchAccessCode("593"), 3u);
    EXPECT_EQ(MatchAccessCode("RV#"), 7u);
    for (const char* wrong : {"", "418 ", " 418", "rv#", "RV", "4189", "593\n"})
        EXPECT_EQ(MatchAccessCode(QString::fromLatin1(wrong)), 0u) << wrong;
}

TEST(AccessCodes, GateCoversTheSettingsAndWizardCommandsOnly)
{
    for (int id : {spine::ID_HARDWARE_SETTINGS, spine::ID_NETWORK_SETTINGS, spine::ID_WIFI_SETTINGS, spine::ID_WIZARD})
        EXPECT_TRUE(CommandNeedsDeviceRights(id));
    EXPECT_FALSE(CommandNeedsDeviceRights(32877));
    RightsScope none;
    // A command that needs no rights passes without a dialog.
    EXPECT_TRUE(PassAccessGate(32877, nullptr));
    EXPECT_EQ(AccessRights::value(), 0u);
}

TEST(AccessDialog, WrongCodesWarnAndKeepTheTextThenCodesRaiseRightsCumulatively)
{
    RightsScope none;
    support::SeamScope seams;
    CAuthorityDlg dlg;
    dlg.show();
    for (const char* wrong : {"", "rv#", "418 "}) {
        seams.nextAnswer(QMessageBox::Ok);
        enterCode(&dlg, QString::fromLatin1(wrong));
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(CAuthorityDlg::IDS_WRONG_CODE));
        EXPECT_EQ(support::findByControlId<QLineEdit>(&dlg, CAuthorityDlg::IDC_CODE)->text(), QLatin1String(wrong));
        EXPECT_EQ(AccessRights::value(), 0u);
    }
    enterCode(&dlg, "RV#");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(AccessRights::value(), 7u);

    // A lower code later takes nothing away.
    CAuthorityDlg again;
    again.show();
    enterCode(&again, "418");
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(AccessRights::value(), 7u);
}

TEST(AccessGate, WithoutRightsTheCommandsAskForACodeFirst)
{
    RightsScope none;
    {
        // Cancelled: the command does not go on.
        support::ModalRunner runner([](QWidget* modal) {
            QTest::mouseClick(support::findByControlId<QPushButton>(modal, 2), Qt::LeftButton);
        });
        EXPECT_FALSE(PassAccessGate(spine::ID_WIFI_SETTINGS, nullptr));
        EXPECT_TRUE(runner.answered());
        EXPECT_EQ(runner.answeredClass(), QStringLiteral("dialogs::CAuthorityDlg"));
        EXPECT_EQ(AccessRights::value(), 0u);
    }
    {
        support::ModalRunner runner([](QWidget* modal) { enterCode(modal, "418"); });
        EXPECT_TRUE(PassAccessGate(spine::ID_HARDWARE_SETTINGS, nullptr));
        EXPECT_TRUE(runner.answered());
        EXPECT_EQ(AccessRights::value(), RIGHT_DEVICE_SETTINGS);
    }
    // Held now: the other gated commands open without asking.
    for (int id : {spine::ID_NETWORK_SETTINGS, spine::ID_WIFI_SETTINGS, spine::ID_WIZARD})
        EXPECT_TRUE(PassAccessGate(id, nullptr));
}
