#include "ShellTestUtil.h"

#include "app/controls/ControlMessages.h"
#include "app/shell/AboutDlg.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/SmallDialogs.h"
#include "app/shell/UiHelpers.h"
#include "platform/LangPack.h"
#include "support/ModalRunner.h"
#include "support/Screenshots.h"
#include "support/Widgets.h"
#include "support/SeamScope.h"

#include <memory>
#include <vector>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace shell;

using namespace shelltest;

namespace {

// On the indicator, which is the whole target when the pack gives no text.
void clickRadio(QRadioButton* r)
{
    QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(6, r->height() / 2));
}

} // namespace

TEST(QuerySaveDlg, ShowsQuitAndCancelOnlyQuitEndsWith1105OthersWith1106EscapeWith2)
{
    for (int id = CQuerySaveDlg::IDC_FIRST; id <= CQuerySaveDlg::IDC_LAST; ++id)
        EXPECT_EQ(CQuerySaveDlg::ResultForButton(id), id == 6529 ? 1105 : 1106);
    CQuerySaveDlg dlg;
    for (int id : {6529, 6531}) {
        const int r = support::execAnswered(dlg, [&](QWidget*) {
            // All seven commands are there; the operator sees Quit and Cancel only.
            for (int other = CQuerySaveDlg::IDC_FIRST; other <= CQuerySaveDlg::IDC_LAST; ++other) {
                auto* b = support::findByControlId<QPushButton>(&dlg, other);
                EXPECT_TRUE(b && b->isVisible() == (other == 6529 || other == 6531)) << other;
            }
            QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, id), Qt::LeftButton);
        });
        EXPECT_EQ(r, id == 6529 ? 1105 : 1106);
    }
    EXPECT_EQ(support::execAnswered(dlg, [&](QWidget*) { QTest::keyClick(&dlg, Qt::Key_Escape); }), 2);
}

TEST(TestDialogs, ValuesShowStoreOnOkAndSurviveTheDialog)
{
    TestScanSettings() = {};
    TestGridSettings() = {};
    {
        CTestScan dlg;
        EXPECT_TRUE(support::findByControlId<QRadioButton>(&dlg, 6264)->isChecked());
        EXPECT_TRUE(support::findByControlId<QRadioButton>(&dlg, 6260)->isChecked());
        EXPECT_EQ(support::findByControlId<QLineEdit>(&dlg, 6255)->text(), "120");
        const int r = support::execAnswered(dlg, [&](QWidget*) {
            clickRadio(support::findByControlId<QRadioButton>(&dlg, 6266));
            clickRadio(support::findByControlId<QRadioButton>(&dlg, 6263));
            QLineEdit* e = support::findByControlId<QLineEdit>(&dlg, 6255);
            e->selectAll();
            QTest::keyClicks(e, "250");
            QTest::keyClick(e, Qt::Key_Return);
        });
        EXPECT_EQ(r, QDialog::Accepted);
    }
    EXPECT_EQ(TestScanSettings().colour, 2);
    EXPECT_EQ(TestScanSettings().direction, 3);
    EXPECT_EQ(TestScanSettings().speed, 250);
    {
        CTestScan dlg;   // the next run shows what was stored; Cancel keeps it
        EXPECT_TRUE(support::findByControlId<QRadioButton>(&dlg, 6266)->isChecked());
        EXPECT_EQ(support::findByControlId<QLineEdit>(&dlg, 6255)->text(), "250");
        const int r = support::execAnswered(dlg, [&](QWidget*) {
            clickRadio(support::findByControlId<QRadioButton>(&dlg, 6264));
            QTest::keyClick(&dlg, Qt::Key_Escape);
        });
        EXPECT_EQ(r, QDialog::Rejected);
        EXPECT_EQ(TestScanSettings().colour, 2);
    }
    {
        CTestGrid dlg;
        EXPECT_EQ(support::findByControlId<QLineEdit>(&dlg, 6263)->text(), "300");
        EXPECT_TRUE(support::findByControlId<QRadioButton>(&dlg, 6260)->isChecked());
        MessageRecorder messages;
        const int r = support::execAnswered(dlg, [&](QWidget*) {
            QLineEdit* e = support::findByControlId<QLineEdit>(&dlg, 6263);
            e->clear();
            dlg.accept();   // an empty number keeps the dialog open
            EXPECT_EQ(messages.texts.size(), 1);
            EXPECT_TRUE(dlg.isVisible());
            clickRadio(support::findByControlId<QRadioButton>(&dlg, 6261));
            QTest::keyClicks(e, "1000");
            QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, 1), Qt::LeftButton);
        });
        EXPECT_EQ(r, QDialog::Accepted);
    }
    EXPECT_EQ(TestGridSettings().colour, 1);
    EXPECT_EQ(TestGridSettings().stay, 1000);
}

TEST(AboutDlg, ShowsTheVersionAndHidesProductLinksInOtherBuilds)
{
    CAboutDlg dlg;
    EXPECT_EQ(support::findByControlId<QLabel>(&dlg, 6370)->text(), GetFileVersionText());
    dlg.show();
    for (int id = 6371; id <= 6374; ++id)
        EXPECT_FALSE(support::findByControlId<QLabel>(&dlg, id)->isVisible()) << id;   // this binary is not "Tavrelo"
    EXPECT_TRUE(CAboutDlg::LinkShown(true, "https://a.example/"));
    EXPECT_FALSE(CAboutDlg::LinkShown(false, "https://a.example/"));
    EXPECT_FALSE(CAboutDlg::LinkShown(true, ""));   // no address, no dead link
    dlg.hide();   // shown modeless above; the modal run shows it again
    EXPECT_EQ(support::execAnswered(dlg, [&](QWidget*) { QTest::keyClick(&dlg, Qt::Key_Return); }), QDialog::Accepted);
}

TEST(UiHelpers, CombosFileTitlesAndRemovableDrives)
{
    platform::setLangString(47001, "a;b;c");
    platform::setLangString(47002, "a;b;c;");
    QComboBox combo;
    combo.addItem("keep");
    EXPECT_EQ(FillComboFromResource(47000, &combo), nullptr);
    EXPECT_EQ(combo.count(), 1);
    EXPECT_EQ(FillComboFromResource(47001, &combo), &combo);
    EXPECT_EQ(combo.count(), 2);
    FillComboFromResource(47002, &combo);
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(2), "c");

    combo.setItemData(0, 5);
    combo.setItemData(1, 7);
    combo.setItemData(2, 5);
    EXPECT_EQ(FindComboItemByData(&combo, 5), 0);
    EXPECT_EQ(FindComboItemByData(&combo, 7), 1);
    EXPECT_EQ(FindComboItemByData(&combo, 9), -1);

    EXPECT_EQ(GetFileTitlePart(GetAppFolder() + "userdata/Screen1.pl"), "Screen1");
    EXPECT_EQ(GetFileTitlePart("C:\\a\\b\\a.b.pl"), "a.b");
    EXPECT_EQ(GetFileTitlePart("noext"), "noext");

    {
        support::SeamScope seams;
        seams->removableVolumes = [] { return QStringList{"/media/op/G", "/media/op/E/"}; };
        EXPECT_EQ(GetRemovableDrives(), "/media/op/E/;/media/op/G/;");
        seams->removableVolumes = [] { return QStringList(); };
        EXPECT_EQ(GetRemovableDrives(), "");
    }
    EXPECT_NO_FATAL_FAILURE(GetRemovableDrives());   // the machine's, whatever it holds
}

TEST(ShellScreens, AboutBoxAndSmallDialogsInEachLanguage)
{
    for (const char* pack : {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"}) {
        QString error;
        ASSERT_TRUE(platform::loadLangPack(builtPack(pack), &error)) << error.toStdString();
        const QString lang = QString::fromLatin1(pack).mid(3, 2).toLower();
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.emplace_back(new CAboutDlg);
        dialogs.emplace_back(new CQuerySaveDlg);
        dialogs.emplace_back(new CTestScan);
        dialogs.emplace_back(new CTestGrid);
        const char* names[] = {"about", "querysave", "testscan", "testgrid"};
        for (size_t i = 0; i < dialogs.size(); ++i) {
            QDialog& d = *dialogs[i];
            d.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
            // Nothing is cut: every label and button gets at least its size hint.
            for (QWidget* w : d.findChildren<QWidget*>()) {
                if (w->isVisible() && (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w))) {
                    EXPECT_GE(w->width(), w->minimumSizeHint().width()) << names[i] << " " << controls::controlId(w);
                }
            }
            EXPECT_TRUE(support::saveScreenshot(d, "shell", QStringLiteral("%1_%2").arg(QString::fromLatin1(names[i]), lang)));
        }
    }
    platform::clearLangPack();
}
