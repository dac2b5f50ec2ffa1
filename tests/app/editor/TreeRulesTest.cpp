// The tree's rules without the widget: names, the section limit, drops,
// auto-scroll and the context menu by node kind.
#include "app/editor/ScreenLed.h"
#include "app/editor/TreeRules.h"

#include "support/LangPackScope.h"
#include "support/TreeBuilder.h"

#include "core/model/ItemData.h"

#include <gtest/gtest.h>

using namespace editor;
using support::TreeBuilder;

namespace {
tagItemData* sections(TreeBuilder& b, tagItemData* scene, int n)
{
    tagItemData* last = nullptr;
    for (int i = 0; i < n; ++i)
        last = b.section(scene, QRect(i, 0, 1, 1));
    return last;
}
} // namespace

TEST(TreeRules, DefaultNameTakesTheSmallestFreeNumber)
{
    EXPECT_EQ(numberedName(QStringLiteral("Scene"), {QStringLiteral("Scene1"), QStringLiteral("Scene3")}),
              QStringLiteral("Scene2"));
    EXPECT_EQ(numberedName(QStringLiteral("Scene"), {QStringLiteral("scene1")}), QStringLiteral("Scene1"));

    support::LangPackScope pack;
    pack.setString(41001, QStringLiteral("Scene"));
    pack.setString(41000, QStringLiteral("Global"));
    TreeBuilder b;
    tagItemData* screen = b.screen();
    tagItemData* global = b.scene(screen, u"", IT_GLOBALSCENE);
    b.scene(screen, u"Scene1");
    tagItemData* fresh = b.scene(screen, u"");
    b.scene(screen, u"Scene3");
    EXPECT_EQ(defaultNameFor(fresh), QStringLiteral("Scene2"));
    EXPECT_EQ(defaultNameFor(global), QStringLiteral("Global"));
}

TEST(TreeRules, ImagesAndKindTextsFollowTheKindCode)
{
    EXPECT_EQ(treeIconOf(IT_SCREEN), 6238u);
    EXPECT_EQ(treeIconOf(IT_GLOBALSCENE), 6062u);
    EXPECT_EQ(treeIconOf(IT_WND_CONTENTLIST), 6054u);
    EXPECT_EQ(treeIconOf(IT_WND_CLOCKDIGIT), 6049u);
    EXPECT_EQ(treeIconOf(IT_COUNT2), 6103u);
    EXPECT_EQ(treeIconOf(0x7777), 6238u);
    EXPECT_EQ(kindStringId(IT_WND_TEXT), 41015u);
    EXPECT_EQ(kindStringId(IT_CLOCKSIMUL), 41005u);
    EXPECT_EQ(kindStringId(0x7777), 41003u);
}

TEST(TreeRules, SectionLimitCountsTheGlobalScene)
{
    TreeBuilder b;
    tagItemData* screen = b.screen();
    tagItemData* global = b.scene(screen, u"g", IT_GLOBALSCENE);
    tagItemData* scene = b.scene(screen, u"s");
    tagItemData* small = b.scene(screen, u"t");
    sections(b, global, 4);
    tagItemData* sec = sections(b, scene, 12);
    sections(b, small, 3);

    const LimitCheck refused = checkSectionLimit(sec, 16);
    EXPECT_FALSE(refused.allowed);
    EXPECT_EQ(refused.limit, 16);
    EXPECT_EQ(refused.total, 16);
    EXPECT_EQ(refused.global, 4);
    EXPECT_EQ(refused.scene, 12);
    EXPECT_TRUE(checkSectionLimit(small, 16).allowed);
    // A section of the global scene counts against the fullest scene after it.
    EXPECT_EQ(checkSectionLimit(global, 16).scene, 12);
    // The screen itself: the first scene after the global one receives.
    EXPECT_EQ(checkSectionLimit(screen, 17).scene, 12);
    EXPECT_TRUE(checkSectionLimit(screen, 17).allowed);

    EXPECT_EQ(sectionLimitOf(screen, [](unsigned) { return 0; }), 16);
    EXPECT_EQ(sectionLimitOf(screen, {}), 16);
    EXPECT_EQ(sectionLimitOf(screen, [](unsigned) { return 8; }), 8);
}

TEST(TreeRules, DropPlacementByDepth)
{
    TreeBuilder b;
    tagItemData* screen = b.screen();
    tagItemData* other = b.screen();
    tagItemData* global = b.scene(screen, u"g", IT_GLOBALSCENE);
    tagItemData* s1 = b.scene(screen, u"s1");
    tagItemData* s2 = b.scene(screen, u"s2");
    tagItemData* a = b.section(s1, QRect(0, 0, 4, 4), u"a");
    tagItemData* c = b.section(s1, QRect(0, 0, 4, 4), u"c");
    tagItemData* d = b.section(s2, QRect(0, 0, 4, 4), u"d");

    DropPlan p = planDrop(a, c, 16);   // same depth: after the target
    EXPECT_EQ(p.result, DropPlan::Move);
    EXPECT_EQ(p.parent, s1);
    EXPECT_EQ(p.after, c);
    p = planDrop(a, s2, 16);           // one deeper: after the scene's last child
    EXPECT_EQ(p.result, DropPlan::Move);
    EXPECT_EQ(p.parent, s2);
    EXPECT_EQ(p.after, d);
    EXPECT_EQ(planDrop(a, s1, 16).result, DropPlan::Nothing);   // already its parent
    EXPECT_EQ(planDrop(a, screen, 16).result, DropPlan::Nothing);
    EXPECT_EQ(planDrop(a, a, 16).result, DropPlan::Nothing);
    EXPECT_EQ(planDrop(a, other, 16).result, DropPlan::OtherScreen);
    EXPECT_EQ(planDrop(a, nullptr, 16).result, DropPlan::OtherScreen);
    p = planDrop(s2, s1, 16);
    EXPECT_EQ(p.result, DropPlan::Move);
    EXPECT_EQ(p.parent, screen);
    EXPECT_EQ(p.after, s1);
    EXPECT_FALSE(canDrag(screen));
    EXPECT_FALSE(canDrag(global));
    EXPECT_TRUE(canDrag(s1));
    EXPECT_TRUE(canDrag(a));
}

TEST(TreeRules, DropRefusedWhenTheTargetSceneWouldPassTheLimit)
{
    TreeBuilder b;
    tagItemData* screen = b.screen();
    tagItemData* global = b.scene(screen, u"g", IT_GLOBALSCENE);
    tagItemData* s1 = b.scene(screen, u"s1");
    tagItemData* s2 = b.scene(screen, u"s2");
    sections(b, global, 2);
    tagItemData* moving = sections(b, s1, 2);
    tagItemData* full = sections(b, s2, 6);
    EXPECT_EQ(planDrop(moving, full, 8).result, DropPlan::OverLimit);
    EXPECT_EQ(planDrop(moving, full, 9).result, DropPlan::Move);
    // Into the global scene: every normal scene gets one more.
    EXPECT_EQ(planDrop(moving, global, 8).result, DropPlan::OverLimit);
    EXPECT_EQ(planDrop(moving, global, 9).result, DropPlan::Move);
}

TEST(TreeRules, AutoScrollPaceGrowsPastTheEdges)
{
    EXPECT_EQ(autoScrollFor(100, 0, 200).direction, 0);
    EXPECT_EQ(autoScrollFor(5, 0, 200).direction, -1);
    EXPECT_EQ(autoScrollFor(5, 0, 200).period, 6);
    EXPECT_EQ(autoScrollFor(-10, 0, 200).period, 5);
    EXPECT_EQ(autoScrollFor(-200, 0, 200).period, 1);
    EXPECT_EQ(autoScrollFor(195, 0, 200).direction, 1);
    EXPECT_EQ(autoScrollFor(230, 0, 200).period, 4);
}

TEST(TreeRules, ContextMenuByNodeKind)
{
    TreeBuilder b;
    tagItemData* screen = b.screen();
    tagItemData* global = b.scene(screen, u"g", IT_GLOBALSCENE);
    tagItemData* scene = b.scene(screen, u"s");
    EXPECT_EQ(contextPopupIndex(screen), 0);
    EXPECT_EQ(contextPopupIndex(global), 1);
    EXPECT_EQ(contextPopupIndex(scene), 2);
    EXPECT_EQ(contextPopupIndex(b.section(scene, std::nullopt, u"t", IT_WND_TEXT)), 3);
    EXPECT_EQ(contextPopupIndex(b.section(scene, std::nullopt, u"p", IT_WND_PROGLIST)), 4);
    EXPECT_EQ(contextPopupIndex(b.section(scene, std::nullopt, u"c", IT_WND_CONTENTLIST)), 5);
    EXPECT_EQ(contextPopupIndex(nullptr), -1);
}
