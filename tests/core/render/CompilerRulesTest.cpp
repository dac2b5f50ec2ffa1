// Compiler rules beyond the golden screen: refusals, paging of text items,
// frame headers, links between scene records and bordered sections.
#include "RenderTestUtil.h"
#include "core/model/ProgramList.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"
#include "core/render/PixelConvert.h"
#include "platform/FontMap.h"

#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <algorithm>
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace sorvane::render;

using namespace sorvane::model;

namespace {

using namespace reftest;

// Behind the parent's last child.
constexpr auto addChild = &support::TreeBuilder::append;

class RulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = tree.screen(support::ScreenSpec{64, 32});
        scene = tree.scene(screen);
        section = tree.section(scene, QRect(0, 8, 24, 16));
    }
    support::TreeBuilder tree;
    tagItemData* header = tree.header();
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* section = nullptr;
};

TEST_F(RulesTest, ScanProductRefusalWithoutWrapAround)
{
    addChild(section, IT_IMAGE, u"p");
    EXPECT_EQ(CContentCompiler::Compile(screen), 1);
    screen->Global.ScanMode = 5;   // 5 x 4 > 16
    EXPECT_EQ(CContentCompiler::Compile(screen), 0);
    // Nothing is left behind by a refusal.
    EXPECT_EQ(CContentCompiler::GetProgramDataSize(screen), 0u);
    EXPECT_EQ(CContentCompiler::GetPageMapSize(screen), 0u);
    screen->Global.ScanMode = 0;
    EXPECT_EQ(CContentCompiler::Compile(screen), 0);
    // 16385 x 4 wraps to 4 in 16 bits; it is refused all the same.
    screen->Global.ScanMode = 16385;
    EXPECT_EQ(CContentCompiler::Compile(screen), 0);
    EXPECT_EQ(CContentCompiler::Compile(nullptr), 0);
    EXPECT_EQ(CContentCompiler::Compile(header), 0);
}

TEST_F(RulesTest, ADamagedStoredFrameCountIsNotTrusted)
{
    tagItemData* gif = addChild(section, IT_GIF, u"g");
    gif->Item.TypeRecord->set(records::picture::FrameCount, 0xFFFFFFF0u);   // a damaged frame count
    // The file decides: with no file there is one black page.
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const Bytes& h = CContentCompiler::CompiledSlot(gif, 1);
    ASSERT_GE(h.size(), 16u);
    EXPECT_EQ(get32(h, 0), 1u);
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(gif, 0), get32(h, 4));
    CContentCompiler::FreeBuffers(screen);
}

TEST_F(RulesTest, EmptyScreenAndSingleSceneLinksToItself)
{
    EXPECT_EQ(CContentCompiler::Compile(screen), 1);
    Bytes map(CContentCompiler::GetPageMapSize(screen));
    ASSERT_EQ(map.size(), 120u);   // one zeroed section entry
    CContentCompiler::CopyPageMap(screen, map.data(), map.size());
    EXPECT_EQ(get32(map, 8), 0u);
    EXPECT_EQ(map[30], 0);
    EXPECT_EQ(CContentCompiler::GetProgramMapSize(screen), 0u);
    EXPECT_EQ(CContentCompiler::GetProgramDataSize(screen), 0u);
    // The scene mask is still there: the whole screen lit.
    EXPECT_EQ(CContentCompiler::GetProgramMaskSize(screen), 72u);
}

TEST_F(RulesTest, TextPagesFollowTheFontAndTheEntryEffect)
{
    tagItemData* line = addChild(section, IT_SINGLELINE, u"line");
    ItemRecord* rec = line->Item.TypeRecord;
    records::SetItemText(line, QStringLiteral("Text three areas wide!!"));
    LOGFONT lf = rec->get(records::singleline::TextFont);
    lf.lfHeight = -12;
    rec->set(records::singleline::TextFont, lf);
    ASSERT_EQ(PaintItemByKind(line), 1);
    const int width = QFontMetrics(platform::FontFromLogFont(lf)).horizontalAdvance(rec->text());
    ASSERT_EQ(line->Item.ContentW, std::uint32_t(width));
    const unsigned across = unsigned((width + 23) / 24);
    ASSERT_GE(across, 3u);
    const std::size_t P = 4 * 4 * 4 * 32;

    for (int effect : {1, 2, 0}) {
        line->InEffect = std::uint8_t(effect);
        ASSERT_EQ(CContentCompiler::Compile(screen), 1);
        const Bytes& pages = CContentCompiler::CompiledSlot(line, 0);
        ASSERT_EQ(pages.size(), across * P) << effect;
        const Mode m{17, 4, false, 128};
        for (unsigned k = 0; k < across; ++k) {
            const unsigned px = effect == 2 ? across - 1 - k : k;
            QImage work(32, 32, QImage::Format_RGB32);
            work.fill(Qt::black);
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 24; ++x) {
                    const int sx = int(px) * 24 + x;
                    if (sx < GetNodePicture(line).width())
                        work.setPixel(x, 8 + y, GetNodePicture(line).pixel(sx, y));
                }
            EXPECT_TRUE(std::equal(pages.begin() + std::ptrdiff_t(k * P), pages.begin() + std::ptrdiff_t((k + 1) * P),
                                   page(work, m, false).begin()))
                << "effect " << effect << " page " << k;
        }
        // Paged header: counts, page length, scroll extent, content size.
        const Bytes& h = CContentCompiler::CompiledSlot(line, 1);
        ASSERT_EQ(h.size(), 52u);
        EXPECT_EQ(get32(h, 0), effect ? across : 1u);
        EXPECT_EQ(get32(h, 4), P);
        EXPECT_EQ(get32(h, 8), effect ? 24u : 0u);
        EXPECT_EQ(get16(h, 12), across);
        EXPECT_EQ(get16(h, 14), 1);
        EXPECT_EQ(std::memcmp(h.data() + 16, "cler", 4), 0);
        EXPECT_EQ(std::memcmp(h.data() + 40, "posn", 4), 0);
        EXPECT_EQ(get16(h, 48), width);
        EXPECT_EQ(get16(h, 50), 16);
    }
    // The text's lit pixels lie inside its content, and some reach the pages.
    QRect lit;
    for (int y = 0; y < GetNodePicture(line).height(); ++y)
        for (int x = 0; x < GetNodePicture(line).width(); ++x)
            if (GetNodePicture(line).pixel(x, y) & 0xFFFFFF)
                lit = lit.united(QRect(x, y, 1, 1));
    ASSERT_FALSE(lit.isEmpty());
    EXPECT_TRUE(QRect(0, 0, width, 16).contains(lit));
    const Bytes& pages = CContentCompiler::CompiledSlot(line, 0);
    EXPECT_NE(std::count_if(pages.begin(), pages.end(), [](std::uint8_t v) { return v != 0xFF; }), 0);
}

TEST(PagingOrder, ByEntryEffect)
{
    using V = std::vector<std::pair<unsigned, unsigned>>;
    EXPECT_EQ(PageOrder(3, 1, 2), (V{{2, 0}, {1, 0}, {0, 0}}));
    EXPECT_EQ(PageOrder(3, 1, 1), (V{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(PageOrder(2, 2, 3), (V{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    EXPECT_EQ(PageOrder(2, 2, 4), (V{{0, 1}, {0, 0}, {1, 1}, {1, 0}}));
    EXPECT_EQ(PageOrder(2, 2, 9), (V{{0, 0}, {1, 0}, {0, 1}, {1, 1}}));
}

TEST_F(RulesTest, PagedHeaderKeepsSixteenBitPageCounts)
{
    tagItemData* line = addChild(section, IT_SINGLELINE, u"line");
    line->Item.ContentW = 65535;   // (24 + 65535 - 1) mod 65536 = 22: 0 pages across
    line->Item.ContentH = 0;
    line->InEffect = 1;
    const Bytes h = BuildPagedHeader(line, 24, 16, 512);
    EXPECT_EQ(get16(h, 12), 0);
    EXPECT_EQ(get16(h, 14), 1);
    EXPECT_EQ(get32(h, 0), 0u);
}

TEST_F(RulesTest, GifWithoutFramesAndBeyondTheDelayTable)
{
    tagItemData* gif = addChild(section, IT_GIF, u"g");
    gif->Item.TypeRecord->set(records::picture::FrameCount, 0);
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const std::size_t P = 4 * 4 * 4 * 32;
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(gif, 0), P);
    const Bytes& h = CContentCompiler::CompiledSlot(gif, 1);
    ASSERT_EQ(h.size(), 20u);
    EXPECT_EQ(get32(h, 0), 1u);

    // More frames than the record holds delays for: the rest get 0.
    for (std::uint32_t i = 0; i < 4096; ++i)
        gif->Item.TypeRecord->set(records::picture::Delays[i], i + 1);
    const Bytes big = BuildFrameDelayHeader(gif, 4100 * 64, 64);
    ASSERT_EQ(big.size(), 16u + 4 * 4100);
    EXPECT_EQ(get32(big, 0), 4100u);
    EXPECT_EQ(get32(big, 16 + 4 * 4095), 4096u);
    EXPECT_EQ(get32(big, 16 + 4 * 4096), 0u);
    EXPECT_EQ(get32(big, 16 + 4 * 4099), 0u);
}

TEST_F(RulesTest, GlobalLinksAndBorderedSectionMask)
{
    // Global, A, B: G -> A, A -> B, B -> A.
    tagItemData* g = CreateNode(nullptr, IT_GLOBALSCENE, u"G", screen);   // at the head
    tagItemData* b = addChild(screen, IT_SCENE, u"B");
    addChild(section, IT_IMAGE, u"p");
    section->Section.Frame->Width = 2;
    section->Section.RectX = 4;
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const std::uint32_t gRec = 120, aRec = 120;
    EXPECT_EQ(get32(CContentCompiler::CompiledSlot(g, 2), 8), gRec);
    EXPECT_EQ(get32(CContentCompiler::CompiledSlot(scene, 2), 8), gRec + aRec);
    EXPECT_EQ(get32(CContentCompiler::CompiledSlot(b, 2), 8), gRec);
    EXPECT_EQ(CContentCompiler::CompiledSlot(b, 2)[31], 0);
    // A frame without elements does not count as a border.
    EXPECT_EQ(CContentCompiler::CompiledSlot(section, 1)[34], 0);
    // The section descriptor and its mask start at the client area: (6, 10) 20 x 12.
    const Bytes& d = CContentCompiler::CompiledSlot(section, 1);
    EXPECT_EQ(get16(d, 4), 6);
    EXPECT_EQ(get16(d, 6), 10);
    EXPECT_EQ(get16(d, 8), 20);
    EXPECT_EQ(get16(d, 10), 12);
    const Mode m{17, 4, false, 128};
    QImage work(32, 32, QImage::Format_RGB32);
    work.fill(Qt::black);
    for (int y = 10; y < 22; ++y)
        for (int x = 0; x < 20; ++x)
            work.setPixel(x, y, qRgb(255, 255, 255));
    EXPECT_EQ(CContentCompiler::CompiledSlot(section, 0), maskRuns(page(work, m, true), 32, m));
}

} // namespace

namespace {

TEST(CompilerLinks, OnlyAGlobalSceneLinksToItself)
{
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen(support::ScreenSpec{32, 16});
    tagItemData* g = tree.scene(screen, u"G", IT_GLOBALSCENE);
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    // No normal scene to return to: the record points at itself, not past the block.
    EXPECT_EQ(reftest::get32(CContentCompiler::CompiledSlot(g, 2), 8), 0u);
    EXPECT_EQ(CContentCompiler::CompiledSlot(g, 2)[28], 1);
}

} // namespace

// A stored program list says what painting found when it was saved; the
// load paints nothing, so the compile paints what it reads first, for
// itself: the node still says what was stored. A scene picture gone since
// then, and a text that grew, count as they are now.
TEST_F(RulesTest, WhatTheLoadLeftUnpaintedIsMeasuredBeforeTheCompileReadsIt)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("bg.png"));
    QImage bg(16, 8, QImage::Format_RGB32);
    bg.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(bg.save(picture));
    std::copy(picture.utf16(), picture.utf16() + picture.size(), scene->Scene.PicturePath);
    scene->Scene.PictureMode = 0;
    tagItemData* line = addChild(section, IT_SINGLELINE, u"t");
    records::SetItemText(line, QStringLiteral("short"));
    PaintItemByKind(scene);
    PaintItemByKind(line);
    ASSERT_EQ(scene->Scene.PicturePresent, 1);
    const std::vector<std::uint8_t> image = BuildStoreImage(screen, StoreSizeOf(screen));

    ASSERT_TRUE(QFile::remove(picture));
    tagItemData* copy = tree.screen(support::ScreenSpec{64, 32});
    ASSERT_EQ(LoadProgramList(copy, image.data(), image.size()), PL_OK);
    tagItemData* copiedLine = copy->FirstChild->FirstChild->FirstChild;
    records::SetItemText(copiedLine, QStringLiteral("a text that runs on past its window"));
    ASSERT_EQ(CContentCompiler::Compile(copy), 1);
    EXPECT_EQ(copy->FirstChild->Scene.PicturePresent, 1);
    EXPECT_TRUE(CContentCompiler::CompiledSlot(copy->FirstChild, 0).empty());
    const std::size_t pages = CContentCompiler::CompiledSlotSize(copiedLine, 0);
    CContentCompiler::FreeBuffers(copy);

    // The same as the screen it was made from, painted now.
    records::SetItemText(line, QStringLiteral("a text that runs on past its window"));
    PaintItemByKind(scene);
    PaintItemByKind(line);
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    EXPECT_TRUE(CContentCompiler::CompiledSlot(scene, 0).empty());
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(line, 0), pages);
    CContentCompiler::FreeBuffers(screen);
}
