// Every row of the kind table through the real core: made by AddItem,
// painted, compiled, saved and loaded back.
#include "core/api/Core.h"
#include "core/model/ItemKinds.h"
#include "core/model/NodePictures.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

using namespace sorvane::model;
using sorvane::render::CContentCompiler;

namespace {

std::vector<std::uint8_t> storeOf(CCore& core, tagItemData* node)
{
    std::vector<std::uint8_t> out(core.GetStoreSize(node), 0xCC);
    EXPECT_EQ(core.Store(node, out.data(), static_cast<unsigned>(out.size())), 0u);
    return out;
}

// The node of the kind in a screen of its own: a scene and a section above
// it as far as its level needs them.
tagItemData* addKind(CCore& core, tagItemData* screen, std::uint16_t type)
{
    switch (LevelOfType(type)) {
    case LEVEL_ROOT: return screen;
    case LEVEL_SCENE: return core.AddItem(type, u"k", screen, nullptr);
    case LEVEL_SECTION: return core.AddItem(type, u"k", core.AddItem(IT_SCENE, u"s", screen, nullptr), nullptr);
    default: {
        tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
        return core.AddItem(type, u"k", core.AddItem(IT_WND_PROGLIST, u"w", scene, nullptr), nullptr);
    }
    }
}

} // namespace

TEST(ItemKinds, EveryKindAddsPaintsCompilesSavesAndLoads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(itemKinds().size(), std::size(kItemTypes));
    for (const ItemKind& k : itemKinds()) {
        SCOPED_TRACE(testing::Message() << "kind 0x" << std::hex << k.type);
        EXPECT_TRUE(knownItemKind(k.type));
        CCore core;
        tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        tagItemData* node = addKind(core, screen, k.type);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->Level, k.level);
        if (k.level == LEVEL_PROGRAM) {
            ASSERT_NE(node->Item.TypeRecord, nullptr);
            EXPECT_EQ(node->Item.TypeRecord->size(), k.recordSize);
            EXPECT_EQ(node->Item.TypeRecord->owned(), k.owned);
            EXPECT_EQ(node->InEffect, k.inEffect);
            EXPECT_EQ(node->InSpeed, k.inSpeed);
            EXPECT_EQ(node->Item.OutSpeed, k.outSpeed);
            EXPECT_EQ(InitialContentSize(node).isEmpty(), !k.contentSized);
            EXPECT_NE(sorvane::render::PainterOfKind(k.type), nullptr);
            EXPECT_NE(k.header, DeviceHeader::None);
            EXPECT_NE(k.pages, PageCount::None);
            EXPECT_EQ(sorvane::render::PaintItemByKind(node), 1);
            EXPECT_FALSE(GetNodePicture(node).isNull());
        }
        EXPECT_EQ(CContentCompiler::Compile(screen), 1);
        if (k.level == LEVEL_PROGRAM)
            EXPECT_GT(CContentCompiler::GetProgramDataSize(screen), 0u);
        CContentCompiler::FreeBuffers(screen);

        const std::u16string path = dir.filePath(QStringLiteral("k.pl")).toStdU16String();
        const std::vector<std::uint8_t> saved = storeOf(core, screen);
        ASSERT_EQ(core.SavePL(screen, path.c_str()), 0);
        ASSERT_EQ(core.LoadPL(screen, path.c_str()), 0);
        if (k.loadsAs) {
            // The kind becomes another on loading; what it holds stays.
            const tagItemData* item = GetItemOf(screen);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->Item.TypeCode, k.loadsAs);
            continue;
        }
        EXPECT_EQ(storeOf(core, screen), saved);
    }
}

TEST(ItemKinds, AKindWithoutARowMakesAnItemThatHoldsNothing)
{
    const std::uint16_t stray = 0x105;
    EXPECT_FALSE(knownItemKind(stray));
    EXPECT_EQ(itemKind(stray).recordSize, 0u);
    EXPECT_EQ(sorvane::render::PainterOfKind(stray), nullptr);
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagItemData* item = addKind(core, screen, stray);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Item.TypeRecord, nullptr);
    EXPECT_EQ(sorvane::render::PaintItemByKind(item), 0);
}
