// Screen groups: "groupinfo.ini" after every add, change and delete, and
// the group dialog driven through its widgets.
#include "app/dialogs/wizard/WizardTestUtil.h"

#include "app/controls/MessageBox.h"
#include "app/dialogs/groups/AddGroupDlg.h"
#include "app/dialogs/groups/GroupInfo.h"
#include "app/dialogs/groups/ScreenList.h"
#include "platform/ProfileIni.h"
#include "support/SeamScope.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace dialogs;

namespace {

struct GroupFixture {
    QTemporaryDir dir;
    QString path = dir.filePath("groupinfo.ini");
    GroupInfoFile file{path};
    QStringList names{"s0", "s1", "s2", "s3"};
    QByteArray bytes() const { return wiztest::fileBytes(path); }
};

} // namespace

TEST(GroupInfo, AddWritesTheFirstGroupWithItsMembers)
{
    GroupFixture f;
    EXPECT_EQ(f.file.count(-1), -1);
    EXPECT_EQ(f.file.add("Hall", {0, 2}, f.names, {}), GroupInfoFile::Ok);
    EXPECT_EQ(f.bytes(), QByteArray("[GroupInfo]\r\nnum=1\r\n[Group1]\r\nGroupName1=Hall\r\n"
                                    "id1=0\r\nname1=s0\r\nid2=2\r\nname2=s2\r\n"));
    EXPECT_EQ(f.file.listedNames(), QStringList{"Hall"});
    EXPECT_EQ(f.file.membersNamed("Hall", 4), (QList<int>{0, 2}));
    // Positions past the screens open now are ignored.
    EXPECT_EQ(f.file.membersNamed("Hall", 2), (QList<int>{0}));
}

TEST(GroupInfo, RefusalsChangeNothing)
{
    GroupFixture f;
    ASSERT_EQ(f.file.add("Hall", {1}, f.names, {}), GroupInfoFile::Ok);
    const QByteArray before = f.bytes();
    EXPECT_EQ(f.file.add("", {1}, f.names, {"Hall"}), GroupInfoFile::EmptyName);
    EXPECT_EQ(f.file.add("Door", {}, f.names, {"Hall"}), GroupInfoFile::NoScreen);
    EXPECT_EQ(f.file.add("Hall", {2}, f.names, {"Hall"}), GroupInfoFile::NameTaken);
    EXPECT_EQ(f.file.add("two\nlines", {2}, f.names, {"Hall"}), GroupInfoFile::EmptyName);
    EXPECT_EQ(f.file.change(1, "", {1}, f.names), GroupInfoFile::EmptyName);
    EXPECT_EQ(f.file.change(1, "x", {}, f.names), GroupInfoFile::NoScreen);
    EXPECT_EQ(f.file.remove(0), GroupInfoFile::NoSelection);
    EXPECT_EQ(f.file.remove(2), GroupInfoFile::NoSelection);
    EXPECT_EQ(f.bytes(), before);
}

TEST(GroupInfo, ChangeKeepsExactlyTheTickedMembersEvenPastTheScreenCount)
{
    GroupFixture f;
    ASSERT_EQ(f.file.add("Hall", {0, 1, 2, 3}, f.names, {}), GroupInfoFile::Ok);
    // Only two screens are open now: keys 3 and 4 must still go.
    EXPECT_EQ(f.file.change(1, "Lobby", {1, 3}, {"s0", "s1", "s2", "s3"}), GroupInfoFile::Ok);
    EXPECT_EQ(f.bytes(), QByteArray("[GroupInfo]\r\nnum=1\r\n[Group1]\r\nGroupName1=Lobby\r\n"
                                    "id1=1\r\nname1=s1\r\nid2=3\r\nname2=s3\r\n"));
    // A group file written elsewhere with more members than screens.
    platform::ProfileFile extra;
    extra.load(f.path);
    extra.setValue("Group1", "id9", "7");
    extra.setValue("Group1", "name9", "far");
    ASSERT_TRUE(extra.save(f.path));
    EXPECT_EQ(f.file.change(1, "Lobby", {0}, {"s0", "s1"}), GroupInfoFile::Ok);
    EXPECT_EQ(f.bytes(), QByteArray("[GroupInfo]\r\nnum=1\r\n[Group1]\r\nGroupName1=Lobby\r\n"
                                    "id1=0\r\nname1=s0\r\n"));
}

TEST(GroupInfo, DeleteMovesLaterGroupsDownWithAllTheirKeys)
{
    GroupFixture f;
    ASSERT_EQ(f.file.add("A", {0}, f.names, {}), GroupInfoFile::Ok);
    ASSERT_EQ(f.file.add("B", {1, 3}, f.names, {"A"}), GroupInfoFile::Ok);
    ASSERT_EQ(f.file.add("C", {2}, f.names, {"A", "B"}), GroupInfoFile::Ok);
    EXPECT_EQ(f.file.remove(1), GroupInfoFile::Ok);
    EXPECT_EQ(f.bytes(), QByteArray("[GroupInfo]\r\nnum=2\r\n"
                                    "[Group1]\r\nGroupName1=B\r\nid1=1\r\nname1=s1\r\nid2=3\r\nname2=s3\r\n"
                                    "[Group2]\r\nGroupName2=C\r\nid1=2\r\nname1=s2\r\n"));
    // Members recorded past the screens open now move too.
    EXPECT_EQ(f.file.remove(1), GroupInfoFile::Ok);
    EXPECT_EQ(f.bytes(), QByteArray("[GroupInfo]\r\nnum=1\r\n[Group1]\r\nGroupName1=C\r\nid1=2\r\nname1=s2\r\n"));
    EXPECT_EQ(f.file.allNames(), QStringList{"C"});
}

TEST(GroupInfo, TwoGroupsOfOneNameTickTheMembersOfBoth)
{
    GroupFixture f;
    ASSERT_EQ(f.file.add("A", {0}, f.names, {}), GroupInfoFile::Ok);
    ASSERT_EQ(f.file.add("B", {3}, f.names, {"A"}), GroupInfoFile::Ok);
    ASSERT_EQ(f.file.change(2, "A", {2}, f.names), GroupInfoFile::Ok);
    EXPECT_EQ(f.file.membersNamed("A", 4), (QList<int>{0, 2}));
}

TEST(GroupInfo, RowTextsByLinkKind)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    CCore core;
    tagItemData* s = wiztest::addScreen(core, u"Gate", 128, 48);
    s->Global.CommType = COMM_SERIAL;
    s->Global.BaudRate = 57600;
    EXPECT_EQ(ScreenRowTexts(s),
              (QStringList{"Gate", "128", "48", platform::langString(48258), "57600,n,8,1"}));
    s->Global.CommType = COMM_ETHERNET;
    EXPECT_EQ(ScreenRowTexts(s).mid(3), (QStringList{platform::langString(48280), "mac:ff-ff-ff-ff-ff-ff"}));
    devicetest::bindTcp(s, 5005);
    EXPECT_EQ(ScreenRowTexts(s).mid(3), (QStringList{platform::langString(48271), "IP:127.0.0.1, 5005"}));
}

TEST(AddGroupDlg, AddChangeAndDeleteThroughTheWidgets)
{
    devicetest::PackScope packs;
    support::SeamScope seams;
    QTemporaryDir dir;
    const QString path = dir.filePath("groupinfo.ini");
    CCore core;
    for (const char16_t* n : {u"s0", u"s1", u"s2"})
        wiztest::addScreen(core, n);
    for (const char* pack : devicetest::kPacks) {
        QFile::remove(path);
        ASSERT_TRUE(devicetest::loadPack(pack));
        CAddGroupDlg dlg(core, nullptr, path);
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        auto* screens = dlg.screenList();
        auto* groups = dlg.groupList();
        auto* name = support::findByControlId<QLineEdit>(&dlg, CAddGroupDlg::IDC_NAME);
        auto* add = support::findByControlId<QPushButton>(&dlg, CAddGroupDlg::IDC_ADD);
        ASSERT_EQ(screens->topLevelItemCount(), 3);
        EXPECT_EQ(screens->topLevelItem(1)->text(1), "s1");

        // No ticks: refused with its message.
        QTest::keyClicks(name, "North");
        seams.nextAnswer(QMessageBox::Ok);
        QTest::mouseClick(add, Qt::LeftButton);
        EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(63016));
        EXPECT_EQ(groups->topLevelItemCount(), 0);

        screens->topLevelItem(0)->setCheckState(0, Qt::Checked);
        screens->topLevelItem(2)->setCheckState(0, Qt::Checked);
        QTest::mouseClick(add, Qt::LeftButton);
        ASSERT_EQ(groups->topLevelItemCount(), 1);
        EXPECT_EQ(wiztest::fileBytes(path).toStdString(), std::string("[GroupInfo]\r\nnum=1\r\n[Group1]\r\nGroupName1=North\r\n"
                                                       "id1=0\r\nname1=s0\r\nid2=2\r\nname2=s2\r\n"));
        // The same name again is refused.
        seams.nextAnswer(QMessageBox::Ok);
        QTest::mouseClick(add, Qt::LeftButton);
        EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(63017));

        // Clicking the group ticks its members; change it to s1 alone.
        SetAllTicked(screens, false);
        name->clear();
        const QRect r = groups->visualItemRect(groups->topLevelItem(0));
        QTest::mouseClick(groups->viewport(), Qt::LeftButton, {}, r.center());
        EXPECT_EQ(name->text(), "North");
        EXPECT_EQ(TickedRows(screens), (QList<int>{0, 2}));
        devicetest::saveShot(dlg, "groups_" + devicetest::packTag(pack));
        SetAllTicked(screens, false);
        screens->topLevelItem(1)->setCheckState(0, Qt::Checked);
        name->setText("South");
        QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CAddGroupDlg::IDC_CHANGE), Qt::LeftButton);
        EXPECT_EQ(groups->topLevelItem(0)->text(0), "South");
        EXPECT_EQ(wiztest::fileBytes(path), QByteArray("[GroupInfo]\r\nnum=1\r\n[Group1]\r\nGroupName1=South\r\n"
                                                       "id1=1\r\nname1=s1\r\n"));

        QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CAddGroupDlg::IDC_DELETE), Qt::LeftButton);
        EXPECT_EQ(groups->topLevelItemCount(), 0);
        EXPECT_TRUE(TickedRows(screens).isEmpty());
        EXPECT_EQ(wiztest::fileBytes(path), QByteArray("[GroupInfo]\r\nnum=0\r\n"));
        // Nothing selected now: delete says so.
        seams.nextAnswer(QMessageBox::Ok);
        QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CAddGroupDlg::IDC_DELETE), Qt::LeftButton);
        EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(63018));

        QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CAddGroupDlg::IDC_CLOSE), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
    }
}
