#include "TreeFixture.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"

#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>

using namespace sorvane::model;

namespace {
const char16_t* kRtf =
    uR"({\rtf1\ansi\deff0{\fonttbl{\f0\fnil\fprq12\fcharset134 \'cb\'ce\'cc\'e5;}}{\colortbl ;\red255\green255\blue0;}\viewkind4\uc1\pard\sl-240\slmult0\cf1\lang2052\f0\fs20 123456\par})";

std::u16string nameOf(const tagItemData* n) { return std::u16string(n->Name); }
}

TEST_F(TreeTest, CommonHeaderDefaults)
{
    for (tagItemData* n : {screen, scene, section}) {
        EXPECT_EQ(n->RecordVersion, 3);
        EXPECT_EQ(n->RecordSize, 928);
        EXPECT_EQ(n->KeptWord44, 0u);
        EXPECT_EQ(n->KeptWord48, 0xFFFFu);
    }
    EXPECT_EQ(section->FirstChild, nullptr);
    EXPECT_EQ(screen->Level, LEVEL_ROOT);
    EXPECT_EQ(screen->PlayTime, 2000);
    EXPECT_EQ(screen->BlockSize, 480);
    EXPECT_EQ(screen->Global.BlockSize, 480);
    EXPECT_EQ(screen->Global.TypeCode, IT_SCREEN);
    EXPECT_TRUE(NodePictures::peek(screen).isNull());
    EXPECT_EQ(nameOf(screen), u"screen");
    EXPECT_EQ(screen->Parent, header);
    EXPECT_EQ(header->FirstChild, screen);
}

TEST_F(TreeTest, NameIsCutTo127Characters)
{
    std::u16string longName(200, u'n');
    longName[126] = u'x';
    longName[127] = u'y';
    tagItemData* s = CreateNode(nullptr, IT_SCENE, longName.c_str(), screen);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(nameOf(s).size(), 127u);
    EXPECT_EQ(s->Name[126], u'x');
    EXPECT_EQ(s->Name[127], u'\0');
    tagItemData* unnamed = CreateNode(nullptr, IT_SCENE, nullptr, screen);
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->Name[0], u'\0');
}

TEST_F(TreeTest, LevelFollowsTheTypeCode)
{
    EXPECT_EQ(LevelOfType(0), LEVEL_ROOT);
    EXPECT_EQ(LevelOfType(1), LEVEL_SCENE);
    EXPECT_EQ(LevelOfType(2), LEVEL_SCENE);
    EXPECT_EQ(LevelOfType(3), LEVEL_PROGRAM);
    for (unsigned t = 4; t <= 9; ++t)
        EXPECT_EQ(LevelOfType(static_cast<std::uint16_t>(t)), LEVEL_SECTION) << t;
    EXPECT_EQ(LevelOfType(10), LEVEL_PROGRAM);
    EXPECT_EQ(LevelOfType(0x105), LEVEL_PROGRAM);
    EXPECT_EQ(LevelOfType(0xFFFF), LEVEL_PROGRAM);
}

TEST_F(TreeTest, SceneDefaults)
{
    EXPECT_EQ(scene->Level, LEVEL_SCENE);
    EXPECT_EQ(scene->Scene.TypeCode, IT_SCENE);
    EXPECT_EQ(scene->PlayTime, -1);
    EXPECT_EQ(scene->BlockSize, 564);
    EXPECT_EQ(scene->Scene.PicturePresent, 0);
    EXPECT_EQ(scene->Scene.PictureMode, LAYOUT_NO_PICTURE);   // the stored format's default
    EXPECT_EQ(scene->Scene.DisplayOption, 1);
    EXPECT_EQ(scene->Scene.PicturePath[0], u'\0');
    ASSERT_NE(scene->Scene.Frame, nullptr);
    EXPECT_EQ(scene->Scene.Frame->Width, 0);
    EXPECT_EQ(scene->Scene.FrameSize, 24u);
    EXPECT_EQ(scene->Scene.Schedule, 0);
    EXPECT_EQ(NodePictures::peek(scene).size(), QSize(64, 32));
    EXPECT_EQ(NodePictures::peek(scene).format(), QImage::Format_RGB32);
    EXPECT_EQ(NodePictures::peek(scene).pixel(63, 31), 0xFF000000u);
    tagItemData* global = CreateNode(nullptr, IT_GLOBALSCENE, u"g", screen);
    ASSERT_NE(global, nullptr);
    EXPECT_EQ(global->Scene.TypeCode, IT_GLOBALSCENE);
    EXPECT_EQ(global->Level, LEVEL_SCENE);
}

TEST_F(TreeTest, SectionPositionFollowsTheSceneBorder)
{
    EXPECT_EQ(section->Level, LEVEL_SECTION);
    EXPECT_EQ(section->Section.WndKind, IT_WND_TEXT);
    EXPECT_EQ(section->BlockSize, 24);
    EXPECT_EQ(section->Section.RectX, 0);
    EXPECT_EQ(section->Section.RectY, 0);
    EXPECT_EQ(section->Section.RectW, 32);
    EXPECT_EQ(section->Section.RectH, 16);
    ASSERT_NE(section->Section.Frame, nullptr);
    EXPECT_EQ(section->Section.FrameSize, 24u);
    EXPECT_EQ(NodePictures::peek(section).size(), QSize(32, 16));

    scene->Scene.Frame->Width = 3;
    screen->Global.Width = 101;
    screen->Global.Height = 51;
    tagItemData* inside = CreateNode(nullptr, IT_WND_COUNT, u"c", scene);
    ASSERT_NE(inside, nullptr);
    EXPECT_EQ(inside->Section.WndKind, IT_WND_COUNT);
    EXPECT_EQ(inside->Section.RectX, 3);
    EXPECT_EQ(inside->Section.RectY, 3);
    EXPECT_EQ(inside->Section.RectW, 50);
    EXPECT_EQ(inside->Section.RectH, 25);
}

struct ItemCase {
    std::uint16_t type;
    std::uint8_t inEffect;
    std::uint16_t inSpeed;
    std::uint16_t outSpeed;
    bool keepsContentSize;
    std::size_t recordSize;
    std::uint32_t payload;
    std::uint32_t storedSize;   // TypeRecordSize right after creation
};

TEST_F(TreeTest, EveryItemTypeGetsItsDefaults)
{
    const ItemCase cases[] = {
        {IT_SINGLELINE, 0, 20, 20, false, 112, 112 + 2 * 10, 132},
        {IT_TEXT, 0, 20, 20, false, 276, 276 + 2 * 177, 630},
        {IT_IMAGE, 0, 20, 20, false, 16916, 16916, 16916},
        {IT_GIF, 75, 0, 0, true, 16916, 16916, 16916},
        {IT_GRID, 0, 20, 20, false, 20, 20, 0},
        {IT_TEXTGIF, 79, 0, 0, true, 20, 20 + 2 * 177, 374},
        {IT_CLOCKSIMUL, 64, 25, 0, true, 1200, 1200, 1200},
        {IT_CLOCKDIGIT, 44, 25, 0, false, 1200, 1200, 1200},
        {IT_COUNT, 66, 25, 0, false, 192, 192, 192},
        {IT_COUNT2, 76, 25, 0, false, 192, 192, 192},
        {3, 0, 0, 0, true, 0, 0, 0},
        {0x105, 0, 0, 0, true, 0, 0, 0},
    };
    for (const ItemCase& c : cases) {
        SCOPED_TRACE(c.type);
        tagItemData* item = CreateNode(nullptr, c.type, u"item", section);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->Level, LEVEL_PROGRAM);
        EXPECT_EQ(item->BlockSize, 28);
        EXPECT_EQ(item->Item.TypeCode, c.type);
        EXPECT_EQ(item->PlayTime, 2000);
        EXPECT_EQ(item->InEffect, c.inEffect);
        EXPECT_EQ(item->InSpeed, c.inSpeed);
        EXPECT_EQ(item->Item.OutEffect, 0);
        EXPECT_EQ(item->Item.OutSpeed, c.outSpeed);
        if (c.type == IT_SINGLELINE || c.type == IT_TEXT) {
            // Painted at creation: the painter measures the text.
            EXPECT_GT(item->Item.ContentW, 0u);
            EXPECT_GT(item->Item.ContentH, 0u);
        } else if (c.type == IT_CLOCKDIGIT || c.type == IT_COUNT || c.type == IT_COUNT2) {
            // Painted at creation: the clock's or counter's texts are measured.
            EXPECT_GT(item->Item.ContentW, 0u);
            EXPECT_EQ(item->Item.ContentH, 16u);
        } else if (c.type == IT_GRID) {
            // Painted at creation: an empty stream shows the default table, whole.
            EXPECT_EQ(item->Item.ContentW, 300u);
            EXPECT_EQ(item->Item.ContentH, 120u);
        } else if (c.type == IT_IMAGE) {
            // Painted at creation: a picture fills its item.
            EXPECT_EQ(item->Item.ContentW, 32u);
            EXPECT_EQ(item->Item.ContentH, 16u);
        } else {
            EXPECT_EQ(item->Item.ContentW, c.keepsContentSize ? 32u : 0u);
            EXPECT_EQ(item->Item.ContentH, c.keepsContentSize ? 16u : 0u);
        }
        if (c.recordSize == 0) {
            EXPECT_EQ(item->Item.TypeRecord, nullptr);
        } else {
            ASSERT_NE(item->Item.TypeRecord, nullptr);
            EXPECT_EQ(item->Item.TypeRecord->size(), c.recordSize);
        }
        EXPECT_EQ(GetPayloadSize(item), c.payload);
        EXPECT_EQ(item->Item.TypeRecordSize, c.storedSize);
        // Whole section widths and heights, enough for the content.
        EXPECT_EQ(NodePictures::peek(item).width() % 32, 0);
        EXPECT_EQ(NodePictures::peek(item).height() % 16, 0);
        EXPECT_GE(std::uint32_t(NodePictures::peek(item).width()), std::max(32u, item->Item.ContentW));
        EXPECT_GE(std::uint32_t(NodePictures::peek(item).height()), std::max(16u, item->Item.ContentH));
        EXPECT_EQ(section->FirstChild, item);
    }
}

TEST_F(TreeTest, OwnedTextsOfNewItems)
{
    const std::u16string rtf(kRtf);
    ASSERT_EQ(rtf.size(), 177u);
    EXPECT_EQ(std::u16string(DEFAULT_RTF_TEXT), rtf);

    tagItemData* line = CreateNode(nullptr, IT_SINGLELINE, u"l", section);
    tagItemData* text = CreateNode(nullptr, IT_TEXT, u"t", section);
    tagItemData* anim = CreateNode(nullptr, IT_TEXTGIF, u"a", section);
    tagItemData* grid = CreateNode(nullptr, IT_GRID, u"g", section);
    EXPECT_EQ(line->Item.TypeRecord->text(), QStringLiteral("Singleline"));
    EXPECT_EQ(text->Item.TypeRecord->text(), QString::fromUtf16(kRtf));
    EXPECT_EQ(anim->Item.TypeRecord->text(), QString::fromUtf16(kRtf));
    EXPECT_TRUE(grid->Item.TypeRecord->memFile().isEmpty());
    EXPECT_EQ(grid->Item.TypeRecord->owned(), ItemRecord::Owned::MemFile);
    records::SetItemTableStream(grid, QByteArray("GRID\x01\x00\x00\x00", 8));
    EXPECT_EQ(GetPayloadSize(grid), 28u);
    records::SetItemText(line, QStringLiteral("ab"));
    EXPECT_EQ(GetPayloadSize(line), 116u);
}

TEST_F(TreeTest, DefaultFontInTypeRecords)
{
    tagItemData* counter = CreateNode(nullptr, IT_COUNT, u"c", section);
    const LOGFONT f = counter->Item.TypeRecord->get(records::counter::TextFont);
    EXPECT_EQ(f.lfHeight, 12);
    EXPECT_EQ(f.lfWeight, 400);
    EXPECT_EQ(f.lfCharSet, 1);
    EXPECT_EQ(f.lfPitchAndFamily, 16);
    EXPECT_EQ(f.lfWidth, 0);
    EXPECT_EQ(f.lfItalic, 0);
    EXPECT_EQ(std::u16string(f.lfFaceName), u"宋体");
}

TEST_F(TreeTest, LinkingAtTheHeadOrBehindAnother)
{
    tagItemData* a = CreateNode(nullptr, IT_SCENE, u"a", screen);
    tagItemData* b = CreateNode(nullptr, IT_SCENE, u"b", screen);
    tagItemData* c = CreateNode(b, IT_SCENE, u"c", screen);
    tagItemData* d = CreateNode(scene, IT_SCENE, u"d", screen);
    EXPECT_EQ(childrenOf(screen), (std::vector<tagItemData*>{b, c, a, scene, d}));
    for (tagItemData* n : {a, b, c, d})
        EXPECT_EQ(n->Parent, screen);
}

TEST_F(TreeTest, MissingParentGivesNoNode)
{
    EXPECT_EQ(CreateNode(nullptr, IT_SCREEN, u"s", nullptr), nullptr);
    EXPECT_EQ(CreateNode(nullptr, IT_SCENE, u"s", nullptr), nullptr);
    EXPECT_EQ(CreateNode(section, IT_WND_TEXT, u"s", nullptr), nullptr);
    EXPECT_EQ(CreateNode(nullptr, IT_SINGLELINE, u"i", nullptr), nullptr);
    EXPECT_EQ(CreateNode(section, IT_CLOCKSIMUL, u"i", nullptr), nullptr);
    EXPECT_EQ(section->NextSibling, nullptr);
    // A scene placed behind a sibling needs no parent.
    tagItemData* loose = CreateNode(scene, IT_SCENE, u"x", nullptr);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(scene->NextSibling, loose);
    EXPECT_EQ(loose->Parent, nullptr);
    EXPECT_TRUE(NodePictures::peek(loose).isNull());
}

TEST_F(TreeTest, ItemUnderANodeWithoutSectionHasNoSize)
{
    tagItemData* item = CreateNode(nullptr, IT_CLOCKSIMUL, u"i", scene);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Item.ContentW, 0u);
    EXPECT_TRUE(NodePictures::peek(item).isNull());
}

TEST_F(TreeTest, PreviewGrowsWithTheContent)
{
    tagItemData* gif = CreateNode(nullptr, IT_GIF, u"g", section);
    EXPECT_EQ(NodePictures::peek(gif).size(), QSize(32, 16));
    EXPECT_FALSE(UpdateNodeBitmap(gif));
    gif->Item.ContentW = 100;   // 4 section widths
    gif->Item.ContentH = 16;
    EXPECT_EQ(PreviewSizeOf(gif), QSize(128, 16));
    EXPECT_TRUE(UpdateNodeBitmap(gif));
    EXPECT_EQ(NodePictures::peek(gif).size(), QSize(128, 16));
    EXPECT_EQ(NodePictures::peek(gif).pixel(127, 15), 0xFF000000u);
    EXPECT_FALSE(UpdateNodeBitmap(gif));
    // Never shrinks.
    gif->Item.ContentW = 1;
    ResizeNodeBitmap(gif);
    EXPECT_EQ(NodePictures::peek(gif).size(), QSize(128, 16));
    CreateNodeBitmap(gif, 10, 40);
    EXPECT_EQ(NodePictures::peek(gif).size(), QSize(10, 40));
    EXPECT_EQ(NodePictures::peek(gif).pixel(9, 39), 0xFF000000u);
    // A section of width 0 gives no picture rather than a division by zero.
    section->Section.RectW = 0;
    EXPECT_EQ(PreviewSizeOf(gif).width(), 0);
}

// Found by fuzzing: a program list with a huge screen or content size made
// the loader allocate a preview of gigabytes for each of its nodes.
TEST_F(TreeTest, PreviewsOfHugeSizesAreNotMade)
{
    tagItemData* gif = CreateNode(nullptr, IT_GIF, u"g", section);
    EXPECT_FALSE(CreateNodeBitmap(gif, 65535, 12000));
    EXPECT_EQ(NodePictures::peek(gif).size(), QSize(32, 16));
    gif->Item.ContentW = 0xFFFFFFFFu;
    EXPECT_FALSE(ResizeNodeBitmap(gif));
    EXPECT_EQ(NodePictures::peek(gif).size(), QSize(32, 16));
    EXPECT_FALSE(CreateNodeBitmap(gif, 2049, 2048));
    EXPECT_TRUE(CreateNodeBitmap(gif, 2048, 2048));
}

TEST_F(TreeTest, NoPictureMadeIsNoResize)
{
    section->Section.RectW = 0;
    tagItemData* item = CreateNode(nullptr, IT_CLOCKSIMUL, u"i", section);
    EXPECT_TRUE(NodePictures::peek(item).isNull());
    EXPECT_FALSE(UpdateNodeBitmap(item));
    EXPECT_FALSE(UpdateNodeBitmap(section));
    section->Section.RectW = 8;
    EXPECT_TRUE(UpdateNodeBitmap(item));
    EXPECT_EQ(NodePictures::peek(item).size(), QSize(8, 16));

    // A content size no screen has (as a damaged file may bring) makes no
    // picture of gigabytes; the old one stays.
    item->Item.ContentW = 0x40000000;
    EXPECT_FALSE(UpdateNodeBitmap(item));
    EXPECT_EQ(NodePictures::peek(item).size(), QSize(8, 16));
    EXPECT_FALSE(CreateNodeBitmap(item, 2048, 2049));
    EXPECT_TRUE(CreateNodeBitmap(item, 2048, 2048));
}

// Records that own memory through pointers are never copied by accident.
static_assert(!std::is_copy_constructible_v<DynFrame> && !std::is_copy_assignable_v<DynFrame>);
static_assert(!std::is_copy_constructible_v<DynFrameElement> && !std::is_copy_assignable_v<DynFrameElement>);
static_assert(!std::is_copy_constructible_v<SceneBlock> && !std::is_copy_assignable_v<SceneBlock>);
static_assert(!std::is_copy_constructible_v<SectionBlock> && !std::is_copy_assignable_v<SectionBlock>);
static_assert(!std::is_copy_constructible_v<ItemBlock> && !std::is_copy_assignable_v<ItemBlock>);
static_assert(!std::is_copy_constructible_v<tagItemData> && !std::is_copy_assignable_v<tagItemData>);

TEST_F(TreeTest, DestroyingFreesTheSubtreeAndClearsThePointer)
{
    CCore core;
    tagItemData* s2 = CreateNode(nullptr, IT_WND_CLOCKDIGIT, u"s2", scene);
    core.AddFrameElement(255, u"pic", s2->Section.Frame, nullptr);
    SetFrameElementData(s2->Section.Frame->First, {1, 0, 2, 0});
    core.AddFrameElement(1, u"tri", scene->Scene.Frame, nullptr);
    scene->Scene.OwnedBlock.assign(16, 0xAB);
    for (std::uint16_t t : std::initializer_list<std::uint16_t>{IT_SINGLELINE, IT_TEXT, IT_IMAGE, IT_GIF, IT_GRID, IT_TEXTGIF, IT_CLOCKSIMUL,
                            IT_CLOCKDIGIT, IT_COUNT, IT_COUNT2, std::uint16_t(3)}) {
        CreateNode(nullptr, t, u"i", section);
        CreateNode(nullptr, t, u"j", s2);
    }
    tagItemData* victim = scene;
    screen->FirstChild = nullptr;   // detach, as deleting from the tree does
    DestroyNode(victim);
    EXPECT_EQ(victim, nullptr);
    scene = section = nullptr;
    tagItemData* none = nullptr;
    DestroyNode(none);   // nothing to do
    EXPECT_EQ(screen->FirstChild, nullptr);
}
