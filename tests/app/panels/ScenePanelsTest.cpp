// The scene panels: the global scene is left alone, the play-mode values,
// and the schedule as the controller stores it.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/panels/PropertyScenePlayMode.h"
#include "app/panels/PropertySceneShow.h"
#include "app/panels/PropertySceneTimer.h"
#include "core/api/Core.h"
#include "core/model/Utilities.h"
#include "platform/LangPack.h"
#include "support/SeamScope.h"
#include "support/TreeBuilder.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>
#include <gtest/gtest.h>

using namespace panels;
using paneltest::typeInto;
using support::findByControlId;

namespace {

struct SceneFixture : ::testing::Test {
    CCore core;
    support::TreeBuilder tree;
    paneltest::FakeHost host;
    tagItemData* screen = tree.screen();
    tagItemData* global = tree.scene(screen, u"global", IT_GLOBALSCENE);
    tagItemData* scene = tree.scene(screen);
    QWidget parent;
    CPropertySceneShow* show = new CPropertySceneShow(PanelContext{core, &host}, &parent);
    CPropertyScenePlayMode* play = new CPropertyScenePlayMode(PanelContext{core, &host}, &parent);
    CPropertySceneTimer* timer = new CPropertySceneTimer(PanelContext{core, &host}, &parent);

    void SetUp() override
    {
        for (CPanelBase* p : {static_cast<CPanelBase*>(show), static_cast<CPanelBase*>(play),
                              static_cast<CPanelBase*>(timer)}) {
            ASSERT_TRUE(p->Create(&parent));
            p->resize(400, 200);
        }
        parent.show();
    }
    void loadAll(tagItemData* n)
    {
        for (QWidget* p : {static_cast<QWidget*>(show), static_cast<QWidget*>(play), static_cast<QWidget*>(timer)})
            platform::sendMessage(p, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(n));
    }
    template <typename W>
    W* ctl(QWidget* p, int id) { return findByControlId<W>(p, id); }
};

} // namespace

TEST_F(SceneFixture, TheGlobalSceneDisablesEveryControlAndIsNeverWritten)
{
    ASSERT_EQ(CCore::IsGlobalScene(global), 1);
    loadAll(scene);
    loadAll(global);
    const auto before = paneltest::snapshot(global);
    for (QWidget* p : {static_cast<QWidget*>(show), static_cast<QWidget*>(play), static_cast<QWidget*>(timer)})
        for (QWidget* w : p->findChildren<QWidget*>())
            if (support::findByControlId(p, controls::controlId(w)) == w && controls::controlId(w)) {
                EXPECT_FALSE(w->isEnabled()) << controls::controlId(w);
            }
    // Even set by hand, the controls write nothing into it.
    ctl<QLineEdit>(show, CPropertySceneShow::IdPath)->setText("/x.png");
    ctl<QRadioButton>(play, CPropertyScenePlayMode::IdTimed)->click();
    ctl<QCheckBox>(timer, CPropertySceneTimer::IdDateOn)->click();
    ctl<QTimeEdit>(timer, CPropertySceneTimer::IdStart)->setTime(QTime(3, 4));
    EXPECT_EQ(paneltest::snapshot(global), before);
    EXPECT_TRUE(host.repainted.empty());
}

TEST_F(SceneFixture, PlayModeShowsTheStoredModeAndTakesOnlyPositiveTimes)
{
    scene->PlayTime = -1;
    loadAll(scene);
    EXPECT_TRUE(ctl<QRadioButton>(play, CPropertyScenePlayMode::IdStay)->isChecked());
    auto* time = ctl<QLineEdit>(play, CPropertyScenePlayMode::IdTime);
    EXPECT_FALSE(time->isEnabled());
    scene->PlayTime = static_cast<std::int32_t>(0xFFFF0000u);
    loadAll(scene);
    EXPECT_TRUE(ctl<QRadioButton>(play, CPropertyScenePlayMode::IdOnce)->isChecked());
    scene->PlayTime = 15000;
    loadAll(scene);
    EXPECT_TRUE(ctl<QRadioButton>(play, CPropertyScenePlayMode::IdTimed)->isChecked());
    EXPECT_TRUE(time->isEnabled());
    EXPECT_EQ(time->text(), "15000");

    // 0 and negative values are not times: the special modes keep their buttons.
    time->setText("0");
    EXPECT_EQ(scene->PlayTime, 1);
    time->setText("-65536");
    EXPECT_GT(scene->PlayTime, 0);
    typeInto(time, "2500");
    EXPECT_EQ(scene->PlayTime, 2500);
    // The timed button always starts from a minute.
    ctl<QRadioButton>(play, CPropertyScenePlayMode::IdStay)->click();
    ctl<QRadioButton>(play, CPropertyScenePlayMode::IdTimed)->click();
    EXPECT_EQ(scene->PlayTime, 60000);
    EXPECT_EQ(time->text(), "60000");
}

TEST_F(SceneFixture, ScheduleLoadsAndStoresDatesWeekdaysAndTimes)
{
    SYSTEMTIME day;
    day.wYear = 2030;
    day.wMonth = 12;
    day.wDay = 24;
    scene->Scene.Schedule = 7;
    scene->Scene.ScheduleDate = core.PCToRemoteTime(day);
    scene->Scene.ScheduleWeekdays = 0x41;   // Sunday and Saturday
    scene->Scene.StartTime = (8 << 8) | 15;
    scene->Scene.EndTime = (17 << 8) | 45;
    loadAll(scene);
    EXPECT_EQ(ctl<QDateEdit>(timer, CPropertySceneTimer::IdDate)->date(), QDate(2030, 12, 24));
    EXPECT_TRUE(ctl<QCheckBox>(timer, 6236)->isChecked());   // Sunday
    EXPECT_TRUE(ctl<QCheckBox>(timer, 6235)->isChecked());   // Saturday
    EXPECT_FALSE(ctl<QCheckBox>(timer, 6230)->isChecked());
    EXPECT_EQ(ctl<QTimeEdit>(timer, CPropertySceneTimer::IdStart)->time(), QTime(8, 15));
    EXPECT_EQ(ctl<QTimeEdit>(timer, CPropertySceneTimer::IdEnd)->time(), QTime(17, 45));

    // Unticking the date stores 0; ticking it again stores the day shown.
    auto* dateOn = ctl<QCheckBox>(timer, CPropertySceneTimer::IdDateOn);
    dateOn->click();
    EXPECT_EQ(scene->Scene.ScheduleDate, 0u);
    EXPECT_EQ(scene->Scene.Schedule, 6);
    EXPECT_FALSE(ctl<QDateEdit>(timer, CPropertySceneTimer::IdDate)->isEnabled());
    dateOn->click();
    EXPECT_EQ(scene->Scene.ScheduleDate, core.PCToRemoteTime(day));
    // Unticking the weekdays keeps the day bits; the flag says they do not apply.
    ctl<QCheckBox>(timer, CPropertySceneTimer::IdWeekOn)->click();
    EXPECT_EQ(scene->Scene.Schedule, 5);
    EXPECT_FALSE(ctl<QCheckBox>(timer, 6230)->isEnabled());
}

TEST_F(SceneFixture, BrowsingPutsThePictureIntoTheSceneAndRepaints)
{
    support::SeamScope seams;
    scene->Scene.PicturePresent = 1;
    loadAll(scene);
    seams.nextFileName("/pictures/back.png");
    QTest::mouseClick(ctl<QPushButton>(show, CPropertySceneShow::IdBrowse), Qt::LeftButton);
    EXPECT_EQ(QString::fromUtf16(scene->Scene.PicturePath), "/pictures/back.png");
    EXPECT_EQ(scene->Scene.PicturePresent, 0);
    EXPECT_FALSE(host.repainted.empty());
    // A cancelled dialog changes nothing.
    host.clear();
    seams.nextFileName(QString());
    QTest::mouseClick(ctl<QPushButton>(show, CPropertySceneShow::IdBrowse), Qt::LeftButton);
    EXPECT_EQ(QString::fromUtf16(scene->Scene.PicturePath), "/pictures/back.png");
    EXPECT_TRUE(host.repainted.empty());
}

TEST_F(SceneFixture, NoPictureIsAChoiceAndAChosenPictureShows)
{
    ASSERT_TRUE(paneltest::loadPack("EN"));
    struct PackScope {
        ~PackScope() { platform::clearLangPack(); }
    } pack;
    auto* own = new CPropertySceneShow(PanelContext{core, &host}, &parent);
    ASSERT_TRUE(own->Create(&parent));
    platform::sendMessage(own, spine::WM_NODE_LOAD, reinterpret_cast<platform::WPARAM>(scene));
    auto* mode = ctl<QComboBox>(own, CPropertySceneShow::IdMode);
    // A new scene stores "no picture", which the list shows as a choice of its own.
    ASSERT_EQ(scene->Scene.PictureMode, LAYOUT_NO_PICTURE);
    ASSERT_EQ(mode->count(), 4);
    EXPECT_EQ(mode->currentIndex(), 3);
    EXPECT_EQ(mode->currentText(), "No picture");

    // Choosing a picture makes it show, stretched.
    support::SeamScope seams;
    seams.nextFileName("/pictures/back.png");
    QTest::mouseClick(ctl<QPushButton>(own, CPropertySceneShow::IdBrowse), Qt::LeftButton);
    EXPECT_EQ(scene->Scene.PictureMode, LAYOUT_STRETCH);
    EXPECT_EQ(mode->currentIndex(), 0);
    // A mode the operator chose is kept when the picture changes.
    paneltest::choose(mode, 2);
    seams.nextFileName("/pictures/other.png");
    QTest::mouseClick(ctl<QPushButton>(own, CPropertySceneShow::IdBrowse), Qt::LeftButton);
    EXPECT_EQ(scene->Scene.PictureMode, LAYOUT_TILE);
    paneltest::choose(mode, 3);
    EXPECT_EQ(scene->Scene.PictureMode, LAYOUT_NO_PICTURE);
}
