// The pane and its pages through real windows: which page and which panels
// show for which node, the window page's columns, and the deletion notice.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyEffectText.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/panels/PropertyScreenInfo.h"
#include "app/panels/PropertySection.h"
#include "app/panels/PropertyScenePlayMode.h"
#include "app/panels/PropertySceneShow.h"
#include "app/panels/PropertySceneTimer.h"
#include "app/panels/PropertyText.h"
#include "app/controls/RichEdit.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "support/TreeBuilder.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <gtest/gtest.h>

using namespace panels;

namespace {

// Counts how often a widget is shown and hidden, and which messages reach it.
struct ShowCounter : QObject {
    int shows = 0, hides = 0, wraps = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        shows += e->type() == QEvent::Show;
        hides += e->type() == QEvent::Hide;
        wraps += unsigned(e->type()) == spine::WM_TEXT_WRAPWIDTH;
        return false;
    }
};

struct PaneFixture : ::testing::Test {
    CCore core;
    support::TreeBuilder tree;
    paneltest::FakeHost host;
    tagItemData* screen = tree.screen(support::ScreenSpec{128, 64});
    tagItemData* scene = tree.scene(screen);
    tagItemData* textWnd = tree.section(scene, QRect(0, 0, 64, 32), u"text", IT_WND_TEXT);
    tagItemData* text = tree.item(textWnd, IT_TEXT, u"rich");
    tagItemData* listWnd = tree.section(scene, QRect(64, 0, 64, 32), u"list", IT_WND_PROGLIST);
    tagItemData* picture = tree.item(listWnd, IT_IMAGE, u"picture");
    tagItemData* gif = tree.item(listWnd, IT_GIF, u"gif");
    tagItemData* emptyList = tree.section(scene, QRect(0, 32, 64, 32), u"empty", IT_WND_CONTENTLIST);
    CPanelProperty pane{PanelContext{core, &host}};

    void SetUp() override
    {
        pane.resize(1300, 260);
        pane.show();
    }
    void select(tagItemData* n)
    {
        EXPECT_EQ(platform::sendMessage(&pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(n)), 1);
        QCoreApplication::processEvents();
    }
    CPropertySubwnd* wp() { return pane.windowPage(); }
};

} // namespace

TEST_F(PaneFixture, EachLevelShowsItsPageAndHidesThePrevious)
{
    // Pages and panels are found by their template ids.
    EXPECT_EQ(pane.screenPage()->objectName(), "6153");
    EXPECT_EQ(pane.findChild<QWidget*>("6160"), static_cast<QWidget*>(pane.screenPage()->info()));
    EXPECT_EQ(pane.findChild<QWidget*>("6190"), static_cast<QWidget*>(pane.screenPage()->comm()));
    select(screen);
    EXPECT_EQ(pane.currentPage(), pane.screenPage());
    EXPECT_TRUE(pane.screenPage()->isVisible());
    EXPECT_EQ(support::findByControlId<QLabel>(pane.screenPage(), CPropertyScreenInfo::IdWidth)->text(), "128");
    select(scene);
    EXPECT_EQ(pane.currentPage(), pane.scenePage());
    EXPECT_FALSE(pane.screenPage()->isVisible());
    EXPECT_TRUE(pane.scenePage()->show()->isVisible());
    EXPECT_TRUE(pane.scenePage()->timer()->isVisible());
    select(textWnd);
    EXPECT_EQ(pane.currentPage(), pane.windowPage());
    EXPECT_FALSE(pane.scenePage()->isVisible());
    EXPECT_EQ(wp()->section()->node(), textWnd);
    // An item never reaches the pane as a page of its own; nor does nothing.
    select(text);
    EXPECT_EQ(pane.currentPage(), nullptr);
    EXPECT_FALSE(wp()->isVisible());
    select(textWnd);
    select(nullptr);
    EXPECT_EQ(pane.currentPage(), nullptr);
    EXPECT_FALSE(wp()->isVisible());
}

TEST_F(PaneFixture, TheSameLevelAgainReloadsWithoutHidingThePage)
{
    tagItemData* other = tree.screen(support::ScreenSpec{256, 32});
    select(screen);
    ShowCounter counter;
    pane.screenPage()->installEventFilter(&counter);
    select(other);
    EXPECT_EQ(counter.shows + counter.hides, 0);
    EXPECT_EQ(support::findByControlId<QLabel>(pane.screenPage(), CPropertyScreenInfo::IdWidth)->text(), "256");
}

TEST_F(PaneFixture, ATextWindowShowsItsEffectAndTextPanelsForItsItem)
{
    select(textWnd);
    EXPECT_FALSE(wp()->progList()->isVisible());
    EXPECT_EQ(wp()->currentEffect(), wp()->effect());
    EXPECT_EQ(wp()->currentMain(), wp()->mainPanel(MainSlot::RichText));
    EXPECT_EQ(wp()->effect()->node(), text);
    EXPECT_TRUE(wp()->effect()->isVisible());
    // The columns run on from the border column when there is no list.
    const SubwndColumns cols = layoutSubwnd(wp()->size(), false, true);
    EXPECT_EQ(wp()->effect()->geometry(), cols.effect);
    EXPECT_EQ(wp()->columnOrigin(), cols.origin);
}

TEST_F(PaneFixture, AListWindowListsItsItemsAndTheFirstDrivesThePanels)
{
    select(listWnd);
    QListWidget* list = wp()->progList()->list();
    ASSERT_TRUE(wp()->progList()->isVisible());
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "picture");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(wp()->currentMain(), wp()->mainPanel(MainSlot::Img));
    EXPECT_EQ(wp()->effect()->node(), picture);
    ASSERT_FALSE(host.selected.empty());
    EXPECT_EQ(host.selected.back(), picture);

    // A GIF has no effect column: the picture panel takes its place.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(wp()->currentEffect(), nullptr);
    EXPECT_FALSE(wp()->effect()->isVisible());
    EXPECT_EQ(wp()->mainPanel(MainSlot::Img)->geometry().topLeft(), wp()->columnOrigin());
    EXPECT_EQ(wp()->columnOrigin().x(), wp()->progList()->geometry().right() + 1 + 2);

    // A text window after the list window hides the list; the columns move left.
    const int listLeft = wp()->progList()->x();
    select(textWnd);
    EXPECT_FALSE(wp()->progList()->isVisible());
    EXPECT_EQ(wp()->columnOrigin().x(), listLeft);
    EXPECT_EQ(wp()->effect()->x(), listLeft);
}

TEST_F(PaneFixture, AnEmptyListWindowEndsWithNoItemPanels)
{
    select(textWnd);
    ASSERT_NE(wp()->currentMain(), nullptr);
    select(emptyList);
    QCoreApplication::processEvents();
    EXPECT_EQ(wp()->currentEffect(), nullptr);
    EXPECT_EQ(wp()->currentMain(), nullptr);
    EXPECT_FALSE(wp()->effect()->isVisible());
    EXPECT_EQ(wp()->progList()->list()->count(), 0);
}

TEST_F(PaneFixture, TheWrapMessageReachesOnlyACurrentTextPanel)
{
    ShowCounter rich;
    wp()->mainPanel(MainSlot::RichText)->installEventFilter(&rich);
    select(listWnd);   // a picture is the main panel
    EXPECT_EQ(platform::sendMessage(wp(), spine::WM_TEXT_WRAPWIDTH), 0);
    EXPECT_EQ(rich.wraps, 0);
    select(textWnd);
    platform::sendMessage(wp(), spine::WM_TEXT_WRAPWIDTH);
    EXPECT_EQ(rich.wraps, 1);
}

TEST_F(PaneFixture, TheRichTextWrapsAtTheWidthOfTheWindowItLoads)
{
    tagItemData* narrow = tree.section(scene, QRect(64, 32, 16, 32), u"narrow", IT_WND_TEXT);
    tagItemData* wide = tree.section(scene, QRect(0, 48, 112, 16), u"wide", IT_WND_TEXT);
    for (tagItemData* w : {narrow, wide}) {
        tagItemData* item = tree.item(w, IT_TEXT, u"words");
        ASSERT_TRUE(support::TreeBuilder::setRecord(item, records::richtext::Wrap, std::uint8_t(1)));
    }
    select(narrow);
    auto* rich = static_cast<CPropertyText*>(wp()->currentMain());
    ASSERT_EQ(rich, wp()->mainPanel(MainSlot::RichText));
    EXPECT_EQ(rich->edit()->lineWrapColumnOrWidth(), 16);
    select(wide);
    EXPECT_EQ(rich->edit()->lineWrapMode(), QTextEdit::FixedPixelWidth);
    EXPECT_EQ(rich->edit()->lineWrapColumnOrWidth(), 112);
    // Typed text lies out on one line, as on the LEDs.
    rich->edit()->selectAll();
    QTest::keyClicks(rich->edit(), QStringLiteral("Hello LED"));
    QCoreApplication::processEvents();
    const QTextLayout* layout = rich->edit()->document()->firstBlock().layout();
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->lineCount(), 1);
}

TEST_F(PaneFixture, AWindowWithoutItsItemLoadsNothingIntoItsPanels)
{
    tagItemData* bare = tree.section(scene, QRect(0, 0, 16, 16), u"bare", IT_WND_CLOCKDIGIT);
    tagItemData* item = bare->FirstChild;
    if (item) {
        tagItemData* doomed = item;
        core.DeleteItem(doomed);
    }
    select(bare);
    EXPECT_EQ(wp()->currentMain(), wp()->mainPanel(MainSlot::ClockDigit));
    EXPECT_EQ(wp()->currentEffect(), nullptr);
    EXPECT_EQ(wp()->mainPanel(MainSlot::ClockDigit)->node(), nullptr);
}

TEST_F(PaneFixture, ADeletionNoticeReachesEveryPanelThatHoldsTheNode)
{
    select(textWnd);
    select(scene);
    select(screen);
    ASSERT_EQ(wp()->effect()->node(), text);
    ASSERT_EQ(wp()->section()->node(), textWnd);
    ASSERT_EQ(pane.scenePage()->playMode()->node(), scene);
    pane.OnNodeDeleting(textWnd);
    EXPECT_EQ(wp()->effect()->node(), nullptr);
    EXPECT_EQ(wp()->section()->node(), nullptr);
    EXPECT_EQ(pane.scenePage()->playMode()->node(), scene);
    pane.OnNodeDeleting(screen);
    EXPECT_EQ(pane.scenePage()->playMode()->node(), nullptr);
    EXPECT_EQ(pane.screenPage()->comm()->node(), nullptr);
    // What the hidden panels are then made to do writes nothing.
    const auto before = paneltest::snapshot(text);
    wp()->effect()->findChild<QLineEdit*>("6114")->setText("777");
    EXPECT_EQ(paneltest::snapshot(text), before);
}

TEST(PanelChoice, EveryItemTypeGetsItsPanels)
{
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen();
    tagItemData* section = tree.section(tree.scene(screen), std::nullopt, u"s", IT_WND_PROGLIST);
    struct Row {
        std::uint16_t type;
        EffectSlot effect;
        MainSlot main;
    };
    const Row rows[] = {
        {IT_SINGLELINE, EffectSlot::Effect, MainSlot::SingleLine}, {IT_TEXT, EffectSlot::Effect, MainSlot::RichText},
        {IT_IMAGE, EffectSlot::Effect, MainSlot::Img},             {IT_GIF, EffectSlot::None, MainSlot::Img},
        {IT_GRID, EffectSlot::Effect, MainSlot::Grid},             {IT_TEXTGIF, EffectSlot::CoolText, MainSlot::TextGif},
        {IT_CLOCKSIMUL, EffectSlot::None, MainSlot::ClockSimul},   {IT_CLOCKDIGIT, EffectSlot::None, MainSlot::ClockDigit},
        {IT_COUNT, EffectSlot::None, MainSlot::Count},             {IT_COUNT2, EffectSlot::None, MainSlot::Count},
    };
    for (const Row& r : rows) {
        tagItemData* item = tree.item(section, r.type);
        const PanelChoice c = choosePanels(item);
        EXPECT_EQ(c.effect, r.effect) << r.type;
        EXPECT_EQ(c.main, r.main) << r.type;
        EXPECT_EQ(c.load, item);
        EXPECT_FALSE(c.loadSection);
    }
    const PanelChoice list = choosePanels(section);
    EXPECT_TRUE(list.listWindow);
    EXPECT_TRUE(list.loadSection);
    EXPECT_EQ(choosePanels(screen).main, MainSlot::None);
    EXPECT_EQ(choosePanels(nullptr).effect, EffectSlot::None);
}

TEST(PanelChoice, ColumnsLeaveNoGapAndNoOverlap)
{
    const SubwndColumns c = layoutSubwnd(QSize(1200, 240), true, true);
    EXPECT_EQ(c.border.left(), c.section.right() + 1 + 2);
    EXPECT_EQ(c.list.left(), c.border.right() + 1 + 2);
    EXPECT_EQ(c.effect.left(), c.list.right() + 1 + 2);
    EXPECT_EQ(c.main.left(), c.effect.right() + 1 + 2);
    EXPECT_EQ(c.main.right(), 1200 - 2);
    EXPECT_EQ(c.main.height(), 239);
    const SubwndColumns none = layoutSubwnd(QSize(1200, 240), false, false);
    EXPECT_EQ(none.list.width(), 0);
    EXPECT_EQ(none.effect.width(), 0);
    EXPECT_EQ(none.main.left(), none.list.left());
    // A page narrower than its fixed columns gives the main column no width, never a negative one.
    EXPECT_EQ(layoutSubwnd(QSize(100, 50), true, true).main.width(), 0);
}
