#include "core/api/Core.h"
#include "core/model/CoreAccess.h"
#include "core/model/CoreAccess.h"
#include "core/model/Geometry.h"
#include "core/model/Tree.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

using namespace sorvane::model;

namespace {
std::vector<const tagItemData*> g_painted;
void recordPaint(const tagItemData* node) { g_painted.push_back(node); }

class Geometry : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);   // 64 x 32
        scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        previous = SetPaintObserver(recordPaint);
    }
    void TearDown() override { SetPaintObserver(previous); }

    tagItemData* section(int x, int y, int w, int h, tagItemData* in = nullptr, tagItemData* after = nullptr)
    {
        tagItemData* s = core.AddItem(IT_WND_TEXT, u"sec", in ? in : scene, after);
        s->Section.RectX = static_cast<std::uint16_t>(x);
        s->Section.RectY = static_cast<std::uint16_t>(y);
        s->Section.RectW = static_cast<std::uint16_t>(w);
        s->Section.RectH = static_cast<std::uint16_t>(h);
        return s;
    }
    static RECT rectOf(tagItemData* n) { return GetNodeRect(n); }
    bool painted(const tagItemData* n) const
    {
        return std::find(g_painted.begin(), g_painted.end(), n) != g_painted.end();
    }

    CCore core;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    PaintObserver previous = nullptr;
};
}

TEST_F(Geometry, RectanglesOfEachLevel)
{
    tagItemData* s = section(4, 2, 20, 10);
    core.SetItemFrame(s, 2);
    tagItemData* item = core.AddItem(IT_SINGLELINE, u"i", s, nullptr);
    RECT r;
    ASSERT_EQ(core.GetRect(screen, &r), 1);
    EXPECT_EQ(r, (RECT{0, 0, 64, 32}));
    EXPECT_EQ(rectOf(scene), (RECT{0, 0, 64, 32}));
    EXPECT_EQ(rectOf(s), (RECT{4, 2, 24, 12}));
    EXPECT_EQ(rectOf(item), (RECT{6, 4, 22, 10}));
    ASSERT_EQ(core.GetClientRect(s, &r), 1);
    EXPECT_EQ(r, (RECT{6, 4, 22, 10}));
    EXPECT_EQ(GetNodeClientRect(item), rectOf(item));
    EXPECT_EQ(GetLocalClientRect(s), (RECT{2, 2, 18, 8}));
    EXPECT_EQ(GetLocalClientRect(item), (RECT{0, 0, 16, 6}));
    EXPECT_EQ(core.GetRect(nullptr, &r), 0);
    tagItemData* header = core.CreateItemHeader();
    EXPECT_EQ(rectOf(header), RECT{});
    core.DeleteItem(header);
}

TEST_F(Geometry, BordersOfTheGlobalSceneFollowTheOtherScenes)
{
    tagItemData* global = core.AddItem(IT_GLOBALSCENE, u"global", screen, nullptr);
    tagItemData* third = core.AddItem(IT_SCENE, u"third", screen, scene);
    core.SetItemFrame(scene, 2);
    core.SetItemFrame(third, 4);
    core.SetItemFrame(global, 1);
    EXPECT_EQ(GetOwnFrameWidth(global), 1);
    EXPECT_EQ(GetEffectiveFrameWidth(global), 4);
    EXPECT_EQ(GetEffectiveFrameWidth(scene), 2);
    EXPECT_EQ(GetScreenFrameWidth(screen), 4);
    EXPECT_EQ(GetNodeClientRect(global), (RECT{4, 4, 60, 28}));
    EXPECT_EQ(GetNodeClientRect(scene), (RECT{2, 2, 62, 30}));
    EXPECT_EQ(GetEffectiveFrameWidth(screen), 0);
    int w = 0, h = 0;
    GetScreenSize(nullptr, w, h);
    EXPECT_EQ(w + h, 0);
}

TEST_F(Geometry, SectionsAreFittedIntoTheScreen)
{
    tagItemData* s = section(0, 0, 10, 10);
    core.ChangeItemRect(s, 60, 0, 20, 10);
    EXPECT_EQ(rectOf(s), (RECT{44, 0, 64, 10}));
    core.ChangeItemRect(s, 60, 0, 100, 10);
    EXPECT_EQ(rectOf(s), (RECT{0, 0, 64, 10}));
    core.ChangeItemRect(s, 5, 30, 10, 40);
    EXPECT_EQ(rectOf(s), (RECT{5, 0, 15, 32}));
    // Negative positions are fitted as such, not wrapped to the far edge.
    core.ChangeItemRect(s, -3, -2, 10, 8);
    EXPECT_EQ(rectOf(s), (RECT{0, 0, 10, 8}));
    core.ChangeItemRect(s, -30000, 4, 10, 8);
    EXPECT_EQ(rectOf(s), (RECT{0, 4, 10, 12}));

    // Inside a bordered scene the area shrinks by the border.
    core.SetItemFrame(scene, 3);
    EXPECT_EQ(rectOf(s), (RECT{3, 4, 13, 12}));
    EXPECT_TRUE(IsNodeInsideScreen(s));

    // Fitting what is stored: a rectangle set directly is pulled in once.
    s->Section.RectX = 58;
    EXPECT_FALSE(IsNodeInsideScreen(s));
    EXPECT_TRUE(FitSectionToScreen(s));
    EXPECT_EQ(rectOf(s), (RECT{51, 4, 61, 12}));
    EXPECT_FALSE(FitSectionToScreen(s));
    EXPECT_FALSE(FitSectionToScreen(scene));
}

TEST_F(Geometry, AGlobalSectionKeepsClearOfTheWidestOtherBorder)
{
    tagItemData* global = core.AddItem(IT_GLOBALSCENE, u"global", screen, nullptr);
    tagItemData* g1 = section(0, 0, 10, 10, global);
    EXPECT_TRUE(IsNodeInsideScreen(g1));
    // A new border on a normal scene re-applies the global scene's sections too.
    core.SetItemFrame(scene, 2);
    EXPECT_EQ(rectOf(g1), (RECT{2, 2, 12, 12}));
}

TEST_F(Geometry, ResizingRepaintsOnlyWhatChangedSize)
{
    tagItemData* s = section(0, 0, 20, 10);
    tagItemData* item = core.AddItem(IT_GIF, u"gif", s, nullptr);
    g_painted.clear();
    core.ChangeItemRect(s, 5, 5, 20, 10);   // moved, same size
    EXPECT_EQ(rectOf(s), (RECT{5, 5, 25, 15}));
    EXPECT_TRUE(g_painted.empty());
    core.ChangeItemRect(s, 5, 5, 30, 10);
    EXPECT_TRUE(painted(s));
    EXPECT_TRUE(painted(item));
    EXPECT_EQ(GetNodePicture(item).width(), 30);   // content 20 wide in a 30-wide section: one cell
    EXPECT_EQ(GetNodePicture(item).height(), 10);

    // A new screen size goes to every scene and from there to its sections.
    tagItemData* wide = section(0, 0, 64, 32);
    g_painted.clear();
    core.ChangeItemRect(screen, 9, 9, 48, 24);
    EXPECT_EQ(screen->Global.Width, 48);
    EXPECT_EQ(screen->Global.Height, 24);
    EXPECT_TRUE(painted(scene));
    EXPECT_EQ(rectOf(wide), (RECT{0, 0, 48, 24}));
    EXPECT_EQ(rectOf(s), (RECT{5, 5, 35, 15}));
    g_painted.clear();
    core.ChangeItemRect(screen, 0, 0, 48, 24);   // same size: nothing
    EXPECT_TRUE(g_painted.empty());
    core.ChangeItemRect(scene, 1, 2, 3, 4);     // a scene ignores the rectangle
    EXPECT_EQ(rectOf(scene), (RECT{0, 0, 48, 24}));
}

TEST_F(Geometry, FrameWidthChangesAndTheirRepaints)
{
    tagItemData* s = section(0, 0, 20, 10);
    tagItemData* item = core.AddItem(IT_COUNT, u"count", s, nullptr);
    g_painted.clear();
    core.SetItemFrame(s, 0);   // the same width: nothing
    EXPECT_TRUE(g_painted.empty());
    core.SetItemFrame(s, 2);
    EXPECT_EQ(CCore::GetFrameWidth(s), 2);
    EXPECT_TRUE(painted(item));
    EXPECT_FALSE(painted(s));
    EXPECT_EQ(rectOf(item), (RECT{2, 2, 18, 8}));

    g_painted.clear();
    core.SetItemFrame(scene, 1);
    EXPECT_EQ(rectOf(s), (RECT{1, 1, 21, 11}));
    EXPECT_FALSE(painted(item));   // the section moved but kept its size
    core.SetItemFrame(item, 5);   // items have no border
    EXPECT_EQ(CCore::GetFrameWidth(item), 0);
}

TEST_F(Geometry, OverlapTableRows)
{
    // Touching sections do not conflict.
    section(0, 0, 32, 16);
    section(32, 0, 32, 16, scene, scene->FirstChild);
    auto table = std::make_unique<_tableOverlap>();
    *table = _tableOverlap{};
    _tableOverlap* t = table.get();
    core.checkOverlap(screen, t);
    EXPECT_EQ(t->Capacity, 6u);
    EXPECT_EQ(t->Count, 0u);

    tagItemData* a = scene->FirstChild;
    core.ChangeItemName(a, u"left");
    core.ChangeItemRect(a, 0, 0, 33, 16);
    core.checkOverlap(screen, t);
    ASSERT_EQ(t->Count, 1u);
    EXPECT_EQ(std::u16string(t->Rows[0].First), u"scene >> left");
    EXPECT_EQ(std::u16string(t->Rows[0].Second), u"scene >> sec");
    EXPECT_EQ(t->Rows[0].Kind, 0);
}

TEST_F(Geometry, MoreConflictsThanRowsAreCounted)
{
    // Nine sections on top of each other in one scene: 36 pairs, six rows.
    for (int i = 0; i < 9; ++i)
        section(0, 0, 10, 10);
    auto table = std::make_unique<_tableOverlap>();
    std::memset(table.get(), 0xEE, sizeof(_tableOverlap));
    _tableOverlap* t = table.get();
    core.checkOverlap(screen, t);
    EXPECT_EQ(t->Capacity, 6u);
    EXPECT_EQ(t->Count, 36u);
    EXPECT_EQ(t->Reserved1, 0xEEEEEEEEu);
    for (const auto& row : t->Rows) {
        EXPECT_EQ(std::u16string(row.First), u"scene >> sec");
        EXPECT_EQ(row.Kind, 0);
        EXPECT_EQ(row.Unused[0], 0xEE);   // the unused tail is not written
    }
    core.checkOverlap(nullptr, t);
    _tableOverlap* none = nullptr;
    core.checkOverlap(screen, none);
}

TEST_F(Geometry, GlobalSectionsAgainstBordersAndOtherScenes)
{
    tagItemData* global = core.AddItem(IT_GLOBALSCENE, u"G", screen, nullptr);
    core.ChangeItemName(scene, u"N");
    tagItemData* g = section(0, 0, 10, 10, global);
    core.ChangeItemName(g, u"g");
    // The border is set without re-applying, as an old file may bring it.
    scene->Scene.Frame->Width = 2;
    tagItemData* n = section(5, 5, 10, 10);
    core.ChangeItemName(n, u"n");
    auto table = std::make_unique<_tableOverlap>();
    *table = _tableOverlap{};
    _tableOverlap* t = table.get();
    core.checkOverlap(screen, t);
    ASSERT_EQ(t->Count, 2u);
    // The global section runs into the normal scene's border; the global
    // scene has no border of its own, so it is not checked against itself.
    EXPECT_EQ(std::u16string(t->Rows[0].First), u"G >> g");
    EXPECT_EQ(std::u16string(t->Rows[0].Second), u"N");
    EXPECT_EQ(t->Rows[0].Kind, 1);
    EXPECT_EQ(std::u16string(t->Rows[1].First), u"N >> n");
    EXPECT_EQ(std::u16string(t->Rows[1].Second), u"G >> g");
    EXPECT_EQ(t->Rows[1].Kind, 0);
    // Applying its rectangle moves it clear of the border.
    core.ChangeItemRect(g, 0, 0, 10, 10);
    EXPECT_EQ(GetNodeRect(g), (RECT{2, 2, 12, 12}));
}
