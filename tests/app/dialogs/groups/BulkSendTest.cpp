// Bulk sending: the walk in both modes, the link each transfer is lent with
// no screen written, and two simulated controllers reached through the real
// task dialog.
#include "app/dialogs/wizard/WizardTestUtil.h"

#include "app/dialogs/groups/BulkSend.h"
#include "app/dialogs/groups/GroupInfo.h"
#include "app/dialogs/groups/ScreenList.h"
#include "app/dialogs/groups/SettingBulkProgram.h"
#include "platform/Clock.h"
#include "app/dialogs/groups/AddGroupDlg.h"
#include "support/ModalRunner.h"
#include "support/SeamScope.h"
#include "support/SimController.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

using namespace dialogs;

namespace {

struct Seen {
    tagItemData* screen;
    std::uint32_t comm;
    std::uint8_t id;
    std::uint16_t port;
    QString name;
};

void fillLink(tagItemData* s, std::uint8_t id, std::uint16_t port)
{
    devicetest::bindTcp(s, port);
    s->Global.ID = id;
    s->Global.IpAddr = Ipv4(10, 0, 0, id);
    s->Global.DhcpFlag = 1;
    devicetest::setText(s->Global.DeviceName, sizeof s->Global.DeviceName, "dev");
}

} // namespace

TEST(BulkSend, ModeZeroSendsEveryTickedScreenInOrder)
{
    CCore core;
    QList<tagItemData*> screens;
    for (const char16_t* n : {u"a", u"b", u"c", u"d"})
        screens.append(wiztest::addScreen(core, n));
    QList<tagItemData*> sent;
    const auto none = [](tagItemData*, const LinkSettings&) {};
    const BulkResult r = RunBulkSend(core, screens, {0, 2, 3}, 0, 1,
                                     [&](tagItemData* s, const LinkSettings&) { sent.append(s); });
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(sent, (QList<tagItemData*>{screens[0], screens[2], screens[3]}));
    EXPECT_FALSE(RunBulkSend(core, screens, {}, 0, -1, none).sent);
    EXPECT_TRUE(RunBulkSend(core, screens, {0}, 1, -1, none).noSource);
}

TEST(BulkSend, ModeOneLendsTheSourceEachLinkAndWritesNoScreen)
{
    CCore core;
    tagItemData* s = wiztest::addScreen(core, u"source");
    tagItemData* c1 = wiztest::addScreen(core, u"first");
    tagItemData* c2 = wiztest::addScreen(core, u"serial");
    tagItemData* odd = wiztest::addScreen(core, u"tall", 64, 48);
    fillLink(s, 1, 4001);
    fillLink(c1, 7, 4007);
    c1->Global.TargetScreen = s;   // sends through the source: the source then takes c1's own link
    c2->Global.CommType = COMM_SERIAL;
    c2->Global.ID = 9;
    c2->Global.BaudRate = 115200;
    c2->Global.SerialPort = 3;
    s->Global.TargetScreen = c2;
    const std::vector<std::uint8_t> before = devicetest::image(s->Global);
    const QList<tagItemData*> screens{s, c1, c2, odd};

    QList<Seen> seen;
    const auto record = [&](tagItemData* x, const LinkSettings& link) {
        seen.append({x, link.Mode, link.Address, link.HostPort, ScreenName(x)});
        EXPECT_EQ(devicetest::image(x->Global), before);
    };
    BulkResult r = RunBulkSend(core, screens, {0, 1, 2}, 1, 0, record);
    EXPECT_TRUE(r.sent);
    EXPECT_EQ(r.mismatch, nullptr);
    ASSERT_EQ(seen.size(), 3);
    // The source ticked itself: its own send, through c2.
    EXPECT_EQ(seen[0].comm, std::uint32_t(COMM_SERIAL));
    EXPECT_EQ(seen[0].id, 9);
    EXPECT_EQ(seen[1].screen, s);
    EXPECT_EQ(seen[1].comm, std::uint32_t(COMM_NETWORK));
    EXPECT_EQ(seen[1].id, 7);
    EXPECT_EQ(seen[1].port, 4007);
    EXPECT_EQ(seen[1].name, "source");
    EXPECT_EQ(seen[2].comm, std::uint32_t(COMM_SERIAL));
    EXPECT_EQ(seen[2].id, 9);
    EXPECT_EQ(devicetest::image(s->Global), before);
    EXPECT_EQ(s->Global.TargetScreen, c2);

    // Another size stops the run after the ones before it.
    seen.clear();
    r = RunBulkSend(core, screens + QList<tagItemData*>{c1}, {1, 3, 4}, 1, 0, record);
    EXPECT_EQ(r.mismatch, odd);
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0].id, 7);
    EXPECT_EQ(devicetest::image(s->Global), before);
    EXPECT_EQ(ScreenName(s), "source");
}

namespace {

struct TwoControllers {
    platform::ScaledClock clock{100};
    sim::SimController ctrlA, ctrlB;
    sim::TcpPeer peerA{ctrlA}, peerB{ctrlB};
    CCore core;
    tagItemData* a;
    tagItemData* b;

    TwoControllers()
    {
        platform::setClock(&clock);
        ctrlB.setAddress(2);
        a = make(u"alpha", 1, peerA.port(), 1);
        b = make(u"beta", 2, peerB.port(), 2);
    }
    ~TwoControllers() { platform::setClock(nullptr); }

    tagItemData* make(const char16_t* name, std::uint8_t id, std::uint16_t port, int sections)
    {
        tagItemData* s = wiztest::addScreen(core, name);
        s->Global.Type = 17;
        s->Global.ScanMode = 4;
        fillLink(s, id, port);
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", s, nullptr);
        tagItemData* after = nullptr;
        for (int i = 0; i < sections; ++i) {
            tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, after);
            core.ChangeItemRect(section, i * 32, 0, 32, 32);
            core.AddItem(IT_GRID, u"table", section, nullptr);
            after = section;
        }
        return s;
    }
};

QList<sim::Bytes> data(const sim::SimController& c)
{
    QList<sim::Bytes> out;
    for (const sim::Block& b : c.blocks())
        out.append(b.data);
    return out;
}

} // namespace

TEST(SettingBulkProgram, BothModesReachTwoSimulatedControllers)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    support::SeamScope seams;
    QTemporaryDir dir;
    TwoControllers sim;
    const std::vector<std::uint8_t> beforeA = devicetest::image(sim.a->Global);

    CSettingBulkProgram dlg(sim.core, nullptr, dir.filePath("groupinfo.ini"));
    dlg.show();
    ASSERT_EQ(TickedRows(dlg.targetList()), (QList<int>{0, 1}));
    QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingBulkProgram::IDC_SEND), Qt::LeftButton);
    ASSERT_EQ(sim.ctrlA.blocks().size(), 4u);
    ASSERT_EQ(sim.ctrlB.blocks().size(), 4u);
    const QList<sim::Bytes> ownA = data(sim.ctrlA), ownB = data(sim.ctrlB);
    EXPECT_NE(ownA, ownB);   // the two screens hold different programs
    sim.ctrlA.clearRecords();
    sim.ctrlB.clearRecords();

    // Mode 1 without a source says so.
    devicetest::click(support::findByControlId<QRadioButton>(&dlg, CSettingBulkProgram::IDC_MODE1));
    EXPECT_TRUE(dlg.sourceList()->isEnabled());
    seams.nextAnswer(QMessageBox::Ok);
    QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingBulkProgram::IDC_SEND), Qt::LeftButton);
    EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(63019));

    // Alpha's programs go to both controllers.
    devicetest::click(support::findByControlId<QRadioButton>(&dlg, CSettingBulkProgram::IDC_FIRST_SOURCE));
    QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingBulkProgram::IDC_SEND), Qt::LeftButton);
    EXPECT_EQ(data(sim.ctrlA), ownA);
    EXPECT_EQ(data(sim.ctrlB), ownA);
    ASSERT_FALSE(sim.ctrlB.blocks().empty());
    EXPECT_EQ(devicetest::image(sim.a->Global), beforeA);
    EXPECT_EQ(ScreenName(sim.a), "alpha");
    devicetest::saveShot(dlg, "bulksend_en");

    // Nothing ticked.
    devicetest::click(support::findByControlId<QCheckBox>(&dlg, CSettingBulkProgram::IDC_ALL));
    EXPECT_TRUE(TickedRows(dlg.targetList()).isEmpty());
    seams.nextAnswer(QMessageBox::Ok);
    QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingBulkProgram::IDC_SEND), Qt::LeftButton);
    EXPECT_EQ(controls::MessageBox::lastText(), platform::langString(63021));
}

TEST(SettingBulkProgram, ASizeMismatchStopsAndTheSourceStaysWhole)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    support::SeamScope seams;
    QTemporaryDir dir;
    TwoControllers sim;
    sim.b->Global.Height = 64;
    const std::vector<std::uint8_t> beforeA = devicetest::image(sim.a->Global);
    CSettingBulkProgram dlg(sim.core, nullptr, dir.filePath("groupinfo.ini"));
    dlg.show();
    devicetest::click(support::findByControlId<QRadioButton>(&dlg, CSettingBulkProgram::IDC_MODE1));
    devicetest::click(support::findByControlId<QRadioButton>(&dlg, CSettingBulkProgram::IDC_FIRST_SOURCE));
    seams.nextAnswer(QMessageBox::Ok);
    QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingBulkProgram::IDC_SEND), Qt::LeftButton);
    EXPECT_EQ(controls::MessageBox::lastText(), "alpha" + platform::langString(63020));
    EXPECT_EQ(sim.ctrlA.blocks().size(), 4u);
    EXPECT_TRUE(sim.ctrlB.blocks().empty());
    EXPECT_EQ(devicetest::image(sim.a->Global), beforeA);
    EXPECT_EQ(ScreenName(sim.a), "alpha");
}

TEST(SettingBulkProgram, AGroupTicksItsRowsAndTheGroupDialogReloadsTheNames)
{
    devicetest::PackScope packs;
    QTemporaryDir dir;
    const QString path = dir.filePath("groupinfo.ini");
    CCore core;
    QList<tagItemData*> screens;
    for (const char16_t* n : {u"a", u"b", u"c"})
        screens.append(wiztest::addScreen(core, n));
    GroupInfoFile file(path);
    ASSERT_EQ(file.add("Ends", {0, 2}, {"a", "b", "c"}, {}), GroupInfoFile::Ok);
    int seenRuns = 0;
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        CSettingBulkProgram dlg(core, nullptr, path, [&](QWidget*, tagItemData*, const LinkSettings&) { ++seenRuns; });
        dlg.show();
        auto* group = support::findByControlId<QComboBox>(&dlg, CSettingBulkProgram::IDC_GROUP);
        ASSERT_EQ(group->count(), 1);
        group->setCurrentIndex(0);
        emit group->activated(0);
        EXPECT_EQ(TickedRows(dlg.targetList()), (QList<int>{0, 2}));
        devicetest::saveShot(dlg, "bulksend_" + devicetest::packTag(pack));
        // The tick-all box overrides the group.
        auto* all = support::findByControlId<QCheckBox>(&dlg, CSettingBulkProgram::IDC_ALL);
        devicetest::click(all);
        devicetest::click(all);
        EXPECT_EQ(TickedRows(dlg.targetList()), (QList<int>{0, 1, 2}));
        QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingBulkProgram::IDC_SEND), Qt::LeftButton);
    }
    EXPECT_EQ(seenRuns, 9);
    // A second group added in the group dialog shows up after it closes.
    CSettingBulkProgram dlg(core, nullptr, path, [](QWidget*, tagItemData*, const LinkSettings&) {});
    dlg.show();
    support::ModalRunner answer([&](QWidget* modal) {
        auto* groups = qobject_cast<QDialog*>(modal);
        ASSERT_NE(groups, nullptr);
        ASSERT_EQ(GroupInfoFile(path).add("Mid", {1}, {"a", "b", "c"}, {"Ends"}), GroupInfoFile::Ok);
        QTest::mouseClick(support::findByControlId<QPushButton>(groups, CAddGroupDlg::IDC_CLOSE), Qt::LeftButton);
    });
    QTest::mouseClick(support::findByControlId<QPushButton>(&dlg, CSettingBulkProgram::IDC_GROUPS), Qt::LeftButton);
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(support::findByControlId<QComboBox>(&dlg, CSettingBulkProgram::IDC_GROUP)->count(), 2);
}

// A group count no file can hold: the window opens at once, names the file
// as damaged, shows no group and leaves the file as it was.
TEST(SettingBulkProgram, AnImpossibleGroupCountIsNamedAndNotLoopedOver)
{
    devicetest::PackScope packs;
    QTemporaryDir dir;
    const QString path = dir.filePath("groupinfo.ini");
    const QByteArray damaged = "[GroupInfo]\r\nnum=2147483647\r\n[Group1]\r\nGroupName1=Ends\r\nid1=0\r\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    CCore core;
    for (const char16_t* n : {u"a", u"b"})
        wiztest::addScreen(core, n);
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        QElapsedTimer clock;
        clock.start();
        QString told;
        qint64 toldAfter = -1;
        CSettingBulkProgram dlg(core, nullptr, path, [](QWidget*, tagItemData*, const LinkSettings&) {});
        support::ModalRunner answer([&](QWidget* modal) {
            toldAfter = clock.elapsed();
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            told = box->text();
            devicetest::saveShot(*box, "bulksend_damaged_groups_" + devicetest::packTag(pack));
            QTest::keyClick(box, Qt::Key_Return);
        });
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(answer.answered(), 5000);
        EXPECT_LT(toldAfter, 1000);
        EXPECT_TRUE(told.contains(path)) << told.toStdString();
        EXPECT_TRUE(told.contains(platform::langString(63022).section(u'\n', 1))) << told.toStdString();
        EXPECT_EQ(support::findByControlId<QComboBox>(&dlg, CSettingBulkProgram::IDC_GROUP)->count(), 0);
        // The group dialog refuses to change it.
        EXPECT_EQ(GroupInfoFile(path).add("New", {1}, {"a", "b"}, {}), GroupInfoFile::Damaged);
        EXPECT_EQ(GroupInfoFile(path).remove(1), GroupInfoFile::Damaged);
        EXPECT_EQ(wiztest::fileBytes(path), damaged);
    }
}
