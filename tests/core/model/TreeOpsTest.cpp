#include "core/model/CoreAccess.h"
#include "ImageBytes.h"
#include "TreeFixture.h"
#include "core/api/Core.h"
#include "core/model/StoredRecords.h"
#include "core/model/Tree.h"

#include <gtest/gtest.h>

using namespace sorvane::model;

namespace {
class CoreTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        s1 = core.AddItem(IT_WND_TEXT, u"s1", scene, nullptr);
        s2 = core.AddItem(IT_WND_CLOCKDIGIT, u"s2", scene, s1);
        s3 = core.AddItem(IT_WND_COUNT, u"s3", scene, s2);
        ASSERT_TRUE(screen && scene && s1 && s2 && s3);
    }
    std::vector<std::u16string> namesOf(const tagItemData* parent)
    {
        std::vector<std::u16string> out;
        for (tagItemData* c : childrenOf(parent))
            out.emplace_back(c->Name);
        return out;
    }
    CCore core;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* s1 = nullptr;
    tagItemData* s2 = nullptr;
    tagItemData* s3 = nullptr;
};

std::vector<std::uint8_t> recordBytes(const tagItemData* item) { return WriteTypeRecord(*item->Item.TypeRecord); }
}

TEST_F(CoreTree, AddingScreensAndNavigating)
{
    tagItemData* second = core.AddItem(IT_SCREEN, u"second", nullptr, nullptr);
    EXPECT_EQ(core.GetScreen(0), second);
    EXPECT_EQ(core.GetScreen(1), screen);
    EXPECT_EQ(core.GetScreen(2), nullptr);
    EXPECT_EQ(second->Parent, CoreAccess::root(core));
    // Behind a sibling, the parent follows from it.
    tagItemData* third = core.AddItem(IT_SCREEN, u"third", nullptr, second);
    EXPECT_EQ(core.GetScreen(1), third);
    EXPECT_EQ(third->Parent, CoreAccess::root(core));
    EXPECT_EQ(core.AddItem(IT_WND_TEXT, u"x", nullptr, nullptr), nullptr);

    tagItemData* item = core.AddItem(IT_COUNT, u"c", s2, nullptr);
    EXPECT_EQ(CCore::GetCurRoot(item), screen);
    EXPECT_EQ(CCore::GetCurScene(item), scene);
    EXPECT_EQ(CCore::GetCurSection(item), s2);
    EXPECT_EQ(CCore::GetCurProgram(item), item);
    EXPECT_EQ(CCore::GetCurProgram(screen), nullptr);   // the first section holds no item
    EXPECT_EQ(CCore::GetCurSection(screen), s1);
    EXPECT_EQ(CCore::GetCurScene(second), nullptr);
    EXPECT_EQ(CCore::GetCurRoot(CoreAccess::root(core)), nullptr);
    EXPECT_EQ(CCore::GetCurRoot(nullptr), nullptr);
    EXPECT_EQ(CCore::IsRoot(nullptr), -1);
    EXPECT_EQ(CCore::IsRoot(screen), 1);
    EXPECT_EQ(CCore::IsSection(s1), 1);
    EXPECT_EQ(CCore::IsSection(scene), 0);
    EXPECT_EQ(CCore::IsProgram(item), 1);
    EXPECT_EQ(CCore::IsGlobalScene(scene), 0);
    EXPECT_EQ(CCore::IsGlobalScene(nullptr), -1);

    EXPECT_EQ(CCore::GetGlobalScene(item), nullptr);
    tagItemData* global = core.AddItem(IT_GLOBALSCENE, u"g", screen, nullptr);
    EXPECT_EQ(CCore::IsGlobalScene(global), 1);
    EXPECT_EQ(CCore::GetGlobalScene(item), global);
    EXPECT_EQ(CCore::GetChildNum(scene), 3);
    EXPECT_EQ(CCore::GetChildNum(screen), 2);
}

TEST_F(CoreTree, ValidChildrenCountOnlyWhatHoldsItems)
{
    EXPECT_EQ(core.GetValidChildNum(screen), 0);
    core.AddItem(IT_GLOBALSCENE, u"g", screen, nullptr);
    core.AddItem(IT_SINGLELINE, u"i", s3, nullptr);
    core.AddItem(IT_TEXT, u"j", s3, nullptr);
    EXPECT_EQ(core.GetValidChildNum(s3), 2);
    EXPECT_EQ(core.GetValidChildNum(scene), 1);
    EXPECT_EQ(core.GetValidChildNum(screen), 1);
    EXPECT_EQ(core.GetValidChildNum(s3->FirstChild), 0);

    std::vector<tagItemData*> order;
    ForEachNode(screen, [&order](tagItemData* n) { order.push_back(n); });
    ASSERT_EQ(order.size(), 8u);
    EXPECT_EQ(order[0], screen);
    EXPECT_EQ(order[2], scene);
    EXPECT_EQ(order[3], s1);
    EXPECT_EQ(order[5], s3);
    EXPECT_EQ(order[6], s3->FirstChild);
}

TEST_F(CoreTree, DeletingAndClearing)
{
    tagItemData* victim = s1;
    EXPECT_EQ(core.DeleteItem(victim), 1);
    EXPECT_EQ(victim, nullptr);
    EXPECT_EQ(scene->FirstChild, s2);
    EXPECT_EQ(s2->PrevSibling, nullptr);
    EXPECT_EQ(core.DeleteItem(victim), 0);
    victim = s3;
    EXPECT_EQ(core.DeleteItem(victim), 1);
    EXPECT_EQ(namesOf(scene), std::vector<std::u16string>{u"s2"});

    tagItemData* root = CoreAccess::root(core);
    EXPECT_EQ(core.DeleteItem(root), 0);   // the core keeps its root
    EXPECT_NE(root, nullptr);

    screen->Global.Width = 96;
    core.ClearPrograms(screen);
    EXPECT_EQ(screen->FirstChild, nullptr);
    EXPECT_EQ(screen->Global.Width, 96);
    core.ClearPrograms(nullptr);

    tagItemData* header = core.CreateItemHeader();
    EXPECT_EQ(header->Level, LEVEL_HEADER);
    EXPECT_EQ(header->Parent, nullptr);
    EXPECT_EQ(core.DeleteItem(header), 1);
}

TEST_F(CoreTree, ADeletedTargetScreenIsForgotten)
{
    tagItemData* other = core.AddItem(IT_SCREEN, u"other", nullptr, nullptr);
    screen->Global.TargetScreen = other;
    tagItemData* gone = other;
    core.DeleteItem(gone);
    EXPECT_EQ(screen->Global.TargetScreen, nullptr);
    // A new screen at the same address is not taken for the old target.
    tagItemData* fresh = core.AddItem(IT_SCREEN, u"fresh", nullptr, nullptr);
    EXPECT_EQ(core.GetSecondaryScreen(screen), screen);
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    core.DeleteItem(fresh);
    EXPECT_EQ(screen->Global.TargetScreen, TARGET_SCREEN_NONE);
}

TEST_F(CoreTree, CopyNamesAndTheirLimit)
{
    tagItemData* copy = core.CopyItem(scene, screen, scene);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::u16string(copy->Name), u"scene_copy");
    EXPECT_EQ(scene->NextSibling, copy);
    EXPECT_EQ(copy->FirstChild, nullptr);   // a copy of the node alone

    const std::u16string longName(125, u'n');
    core.ChangeItemName(s1, longName.c_str());
    tagItemData* c1 = core.CopyItem(s1, scene, nullptr);
    EXPECT_EQ(std::u16string(c1->Name), longName + u"_c");
    EXPECT_EQ(scene->FirstChild, c1);
    tagItemData* c2 = core.CopyItem(c1, scene, nullptr);
    EXPECT_EQ(std::u16string(c2->Name).size(), 127u);

    const std::u16string tooLong(200, u'x');
    EXPECT_EQ(core.ChangeItemName(s2, tooLong.c_str()), 1);
    EXPECT_EQ(std::u16string(s2->Name), tooLong.substr(0, 127));
    EXPECT_EQ(core.ChangeItemName(nullptr, u"x"), 0);

    EXPECT_EQ(core.CopyItem(nullptr, scene, nullptr), nullptr);
    EXPECT_EQ(core.CopyItem(CoreAccess::root(core), scene, nullptr), nullptr);
    tagItemData* screenCopy = core.CopyItem(screen, nullptr, nullptr);
    ASSERT_NE(screenCopy, nullptr);
    EXPECT_EQ(core.GetScreen(0), screenCopy);
}

TEST_F(CoreTree, CopiesOwnTheirBordersRecordsAndTexts)
{
    screen->Global.Width = 80;
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    scene->PlayTime = 7000;
    scene->KeptWord44 = 0x44;
    scene->Scene.Schedule = 5;
    scene->Scene.ScheduleDate = 123456;
    scene->Scene.OwnedBlock.assign(4, 9);
    DynFrame* frame = scene->Scene.Frame;
    frame->Width = 2;
    frame->CornerStyle = 0;
    DynFrameElement* e1 = core.AddFrameElement(0, u"bar", frame, nullptr);
    DynFrameElement* e2 = core.AddFrameElement(255, u"pic", frame, e1);
    e2->Motion = 4;
    ASSERT_TRUE(SetFrameElementData(e2, {'p', 0}));
    s1->Section.RectX = 3;
    s1->Section.RectW = 20;
    tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", s1, nullptr);
    records::SetItemText(line, QStringLiteral("hello"));
    line->Item.TypeRecord->set(records::singleline::Colour, 0xFF);   // colour
    line->Item.OutEffect = 3;
    line->Item.OutSpeed = 40;
    line->InEffect = 9;
    tagItemData* grid = core.AddItem(IT_GRID, u"grid", s1, line);
    records::SetItemTableStream(grid, QByteArray("GRID\x01rest", 9));
    tagItemData* clock = core.AddItem(IT_CLOCKSIMUL, u"clock", s1, grid);
    clock->Item.TypeRecord->set(records::clocksimul::SecondColour, 0x123456);

    tagItemData* copy = core.CopyBranch(scene, screen, scene);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->PlayTime, 7000);
    EXPECT_EQ(copy->KeptWord44, 0x44u);
    EXPECT_EQ(copy->Scene.Schedule, 5);
    EXPECT_EQ(copy->Scene.ScheduleDate, 123456u);
    EXPECT_EQ(copy->Scene.OwnedBlock, scene->Scene.OwnedBlock);
    ASSERT_NE(copy->Scene.Frame, frame);
    EXPECT_EQ(copy->Scene.Frame->Width, 2);
    EXPECT_EQ(copy->Scene.Frame->CornerStyle, 0);
    EXPECT_EQ(copy->Scene.Frame->Count, 2);
    ASSERT_NE(copy->Scene.Frame->First, nullptr);
    EXPECT_EQ(std::u16string(copy->Scene.Frame->First->Name), u"bar");
    const DynFrameElement* c2 = copy->Scene.Frame->First->Next;
    ASSERT_NE(c2, nullptr);
    EXPECT_EQ(c2->Motion, 4);
    EXPECT_EQ(c2->Data(), (std::vector<std::uint8_t>{'p', 0}));
    EXPECT_EQ(namesOf(copy), (std::vector<std::u16string>{u"s1_copy", u"s2_copy", u"s3_copy"}));
    tagItemData* section = copy->FirstChild;
    EXPECT_EQ(section->Section.RectW, 20);
    EXPECT_EQ(section->Section.WndKind, IT_WND_TEXT);
    EXPECT_EQ(namesOf(section), (std::vector<std::u16string>{u"line_copy", u"grid_copy", u"clock_copy"}));
    tagItemData* lineCopy = section->FirstChild;
    EXPECT_EQ(recordBytes(lineCopy), recordBytes(line));
    EXPECT_EQ(lineCopy->Item.OutEffect, 3);
    EXPECT_EQ(lineCopy->Item.OutSpeed, 40);
    EXPECT_EQ(lineCopy->InEffect, 9);
    EXPECT_EQ(recordBytes(lineCopy->NextSibling), recordBytes(grid));
    EXPECT_EQ(recordBytes(lineCopy->NextSibling->NextSibling), recordBytes(clock));

    // The copy keeps everything once the source is gone.
    tagItemData* source = scene;
    core.DeleteItem(source);
    EXPECT_EQ(lineCopy->Item.TypeRecord->text(), QStringLiteral("hello"));
    EXPECT_EQ(copy->Scene.Frame->First->Next->Data().size(), 2u);

    tagItemData* screenCopy = core.CopyItem(screen, nullptr, nullptr);
    EXPECT_EQ(screenCopy->Global.Width, 80);
    EXPECT_EQ(screenCopy->Global.TargetScreen, TARGET_SCREEN_NONE);
}

TEST_F(CoreTree, BranchesAreNotCopiedIntoThemselves)
{
    EXPECT_EQ(core.CopyBranch(scene, s1, nullptr), nullptr);
    EXPECT_EQ(core.CopyBranch(scene, scene, nullptr), nullptr);
    EXPECT_EQ(CountChildren(scene), 3);
    EXPECT_EQ(CountChildren(s1), 0);
}

TEST_F(CoreTree, MovingWithinAndAcrossParents)
{
    EXPECT_EQ(core.ModifyItemPos(s1, scene, s3), 1);
    EXPECT_EQ(namesOf(scene), (std::vector<std::u16string>{u"s2", u"s3", u"s1"}));
    EXPECT_EQ(core.ModifyItemPos(s1, scene, nullptr), 1);
    EXPECT_EQ(namesOf(scene), (std::vector<std::u16string>{u"s1", u"s2", u"s3"}));
    EXPECT_EQ(core.ModifyItemPos(s2, scene, s2), 0);   // behind itself
    EXPECT_EQ(core.ModifyItemPos(nullptr, scene, nullptr), 0);

    // Into another scene with a border: the section is fitted into its area.
    tagItemData* other = core.AddItem(IT_SCENE, u"other", screen, scene);
    core.SetItemFrame(other, 3);
    s2->Section.RectX = 0;
    s2->Section.RectY = 0;
    EXPECT_EQ(core.ModifyItemPos(s2, other, nullptr), 1);
    EXPECT_EQ(namesOf(scene), (std::vector<std::u16string>{u"s1", u"s3"}));
    EXPECT_EQ(namesOf(other), std::vector<std::u16string>{u"s2"});
    EXPECT_EQ(s2->Parent, other);
    EXPECT_EQ(s2->Section.RectX, 3);
    EXPECT_EQ(s2->Section.RectY, 3);

    // Never into its own subtree, never behind a node of another parent.
    tagItemData* item = core.AddItem(IT_TEXT, u"t", s1, nullptr);
    EXPECT_EQ(core.ModifyItemPos(scene, item, nullptr), 0);
    EXPECT_EQ(core.ModifyItemPos(s3, other, s1), 0);
    EXPECT_EQ(namesOf(scene), (std::vector<std::u16string>{u"s1", u"s3"}));

    // Screens move under the root.
    tagItemData* second = core.AddItem(IT_SCREEN, u"second", nullptr, nullptr);
    EXPECT_EQ(core.ModifyItemPos(second, nullptr, screen), 1);
    EXPECT_EQ(core.GetScreen(1), second);
}
