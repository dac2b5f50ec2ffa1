// A varied screen compiled in several work modes, its four blocks checked
// against lengths and checksums recorded before the compile's hot paths were
// rewritten: every optimisation must leave each output byte as it was.
// Clocks and the counter use a fixed-pitch font and time-invariant settings
// (time-only fields, a counter span at its cap, no date on the dial), so the
// blocks do not depend on when the test runs.
#include "RenderTestUtil.h"
#include "core/api/Core.h"
#include "core/api/ScreenCopy.h"
#include "core/model/DynFrame.h"
#include "core/model/NodePictures.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"
#include "core/render/AnalogClock.h"
#include "core/render/ClockText.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"
#include "platform/FontMap.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

using namespace sorvane::render;

namespace {

using namespace reftest;
using namespace sorvane::model;

tagItemData* addChild(tagItemData* parent, std::uint16_t type, const char16_t* name)
{
    tagItemData* last = parent->FirstChild;
    while (last && last->NextSibling)
        last = last->NextSibling;
    return CreateNode(last, type, name, parent);
}

tagItemData* section(tagItemData* scene, int x, int y, int w, int h)
{
    tagItemData* s = addChild(scene, IT_WND_TEXT, u"s");
    s->Section.RectX = std::uint16_t(x);
    s->Section.RectY = std::uint16_t(y);
    s->Section.RectW = std::uint16_t(w);
    s->Section.RectH = std::uint16_t(h);
    return s;
}

void setRecordPath(ItemRecord* r, const QString& path)
{
    ASSERT_TRUE(r->set(records::picture::Path, path));
}

void setFont(ItemRecord* r, records::Font off, int height, const char16_t* face)
{
    LOGFONT lf{};
    lf.lfHeight = -height;
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    SetLogFontFaceName(lf, face);
    r->set(off, lf);
}

void giveBorder(tagItemData* node, int width, std::uint8_t motion, std::uint8_t type)
{
    CreateFrame(node);
    DynFrame* f = *FrameSlotOf(node);
    f->Width = static_cast<std::uint16_t>(width);
    DynFrameElement* e = CreateFrameElement(0, u"band", f, nullptr);
    e->Motion = motion;
    e->Type = type;
}

std::uint64_t fnv1a(const Bytes& b)
{
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::uint8_t v : b)
        h = (h ^ v) * 0x100000001b3ull;
    return h;
}

Bytes block(tagItemData* screen, std::size_t (*size)(tagItemData*),
            std::size_t (*copy)(tagItemData*, std::uint8_t*, std::size_t))
{
    Bytes b(size(screen));
    EXPECT_EQ(copy(screen, b.data(), b.size()), b.size());
    return b;
}

const QString kRtf = QStringLiteral(
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}{\\colortbl ;\\red255\\green255\\blue0;\\red0\\green255\\blue0;}"
    "\\pard\\cf1\\f0\\fs20 LED \\cf2\\b rich\\b0  text\\par second line\\par}");

struct Golden {
    int code, scan;
    bool swap;
    std::size_t len[4];
    std::uint64_t sum[4];
};

void PrintTo(const Golden& g, std::ostream* os) { *os << "mode " << g.code << " scan " << g.scan << (g.swap ? " swap" : ""); }

// Recorded from the compile before its hot paths were rewritten; the modes
// after the first six before it was written through the program schema.
const Golden kGolden[] = {
#include "data/CompileGolden.inc"
};

class CompileGolden : public ::testing::TestWithParam<Golden> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        core.SetCurLang(9);
        header = CreateHeaderNode();
        screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
        const Golden& g = GetParam();
        screen->Global.Width = 256;
        screen->Global.Height = 128;
        screen->Global.Type = std::uint16_t(g.code);
        screen->Global.ScanMode = std::uint16_t(g.scan);
        screen->Global.SwapRedGreen = g.swap ? 1 : 0;

        QImage pic(96, 48, QImage::Format_RGB32);
        for (int y = 0; y < pic.height(); ++y)
            for (int x = 0; x < pic.width(); ++x)
                pic.setPixel(x, y, qRgb((x * 37) & 255, (y * 11) & 255, ((x ^ y) * 5) & 255));
        ASSERT_TRUE(pic.save(dir.filePath("p.png")));
        std::vector<std::uint8_t> f0(24 * 16), f1(24 * 16), f2(24 * 16);
        for (std::size_t i = 0; i < f0.size(); ++i) {
            f0[i] = std::uint8_t(i % 3);
            f1[i] = std::uint8_t((i / 24) % 4);
            f2[i] = std::uint8_t((i * 7 / 5) % 4);
        }
        const std::array<QRgb, 4> pal{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0)};
        QFile gif(dir.filePath("a.gif"));
        ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
        gif.write(makeGif(24, 16, {f0, f1, f2}, {10, 20, 30}, pal));
        gif.close();

        // Global scene: a picture in a corner that lies over every scene.
        tagItemData* glob = addChild(screen, IT_GLOBALSCENE, u"G");
        tagItemData* gs = section(glob, 224, 96, 32, 32);
        setRecordPath(addChild(gs, IT_IMAGE, u"gp")->Item.TypeRecord, dir.filePath("p.png"));

        // Scene A: texts, a picture, a GIF and a table, overlapping sections, borders.
        tagItemData* a = addChild(screen, IT_SCENE, u"A");
        giveBorder(a, 2, 1, 0);
        tagItemData* s1 = section(a, 0, 0, 128, 32);
        tagItemData* t = addChild(s1, IT_SINGLELINE, u"t");
        records::SetItemText(t, QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"));
        setFont(t->Item.TypeRecord, records::singleline::TextFont, 14, u"DejaVu Sans");
        t->InEffect = 1;
        tagItemData* s2 = section(a, 128, 0, 128, 64);
        giveBorder(s2, 3, 2, 1);
        tagItemData* rt = addChild(s2, IT_TEXT, u"rt");
        records::SetItemText(rt, kRtf);
        tagItemData* s3 = section(a, 0, 32, 100, 64);
        tagItemData* p = addChild(s3, IT_IMAGE, u"p");
        setRecordPath(p->Item.TypeRecord, dir.filePath("p.png"));
        p->InEffect = 5;
        tagItemData* s4 = section(a, 90, 50, 48, 40);   // over s3 and s2
        setRecordPath(addChild(s4, IT_GIF, u"gif")->Item.TypeRecord, dir.filePath("a.gif"));
        tagItemData* s5 = section(a, 0, 96, 200, 32);
        giveBorder(s5, 1, 0, 2);
        addChild(s5, IT_GRID, u"grid");
        section(a, 210, 70, 20, 20);   // empty: covers nothing

        // Scene B: clocks and a counter.
        tagItemData* b = addChild(screen, IT_SCENE, u"B");
        tagItemData* c1 = section(b, 0, 0, 128, 128);
        tagItemData* an = addChild(c1, IT_CLOCKSIMUL, u"an");
        an->Item.TypeRecord->set(sorvane::render::clocksimul::FaceFlags, 4);
        tagItemData* c2 = section(b, 128, 0, 64, 64);
        tagItemData* an2 = addChild(c2, IT_CLOCKSIMUL, u"an2");
        ItemRecord* r2 = an2->Item.TypeRecord;
        r2->set(sorvane::render::clocksimul::FaceFlags, 0);
        r2->set(sorvane::render::clocksimul::SecondWidth, 3);
        r2->set(sorvane::render::clocksimul::MinuteWidth, 7);
        r2->set(sorvane::render::clocksimul::HourWidth, 10);
        r2->set(sorvane::render::clocksimul::SecondLength, 120);
        r2->set(sorvane::render::clocksimul::MinuteLength, 90);
        r2->set(sorvane::render::clocksimul::HourLength, 40);
        tagItemData* c3 = section(b, 128, 64, 128, 32);
        tagItemData* dc = addChild(c3, IT_CLOCKDIGIT, u"dc");
        setFont(dc->Item.TypeRecord, sorvane::render::clockdigit::TextFont, 12, u"DejaVu Sans Mono");
        dc->Item.TypeRecord->set(sorvane::render::clockdigit::ShowFlags, 0x70);
        tagItemData* c4 = section(b, 128, 96, 96, 32);
        tagItemData* cn = addChild(c4, IT_COUNT, u"cn");
        setFont(cn->Item.TypeRecord, sorvane::render::counter::TextFont, 12, u"DejaVu Sans Mono");
        cn->Item.TypeRecord->set(sorvane::render::counter::Target, 0xFFFFFFFFu);
        cn->Item.TypeRecord->set(sorvane::render::counter::Units,
                                    sorvane::render::counter::Days | sorvane::render::counter::Hours | sorvane::render::counter::Minutes
                                        | sorvane::render::counter::Seconds);

        forEach(screen, [](tagItemData* n) { PaintItemByKind(n); });
    }
    void TearDown() override { DestroyNode(header); }

    template <class F> static void forEach(tagItemData* n, F f)
    {
        for (tagItemData* c = n->FirstChild; c; c = c->NextSibling) {
            f(c);
            forEach(c, f);
        }
    }

    CCore core;
    QTemporaryDir dir;
    tagItemData* header = nullptr;
    tagItemData* screen = nullptr;
};

TEST_P(CompileGolden, BlocksKeepTheirRecordedBytes)
{
    const Golden& g = GetParam();
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const Bytes blocks[4] = {
        block(screen, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData),
        block(screen, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask),
        block(screen, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap),
        block(screen, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap)};
    bool same = true;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(blocks[i].size(), g.len[i]) << "block " << i;
        EXPECT_EQ(fnv1a(blocks[i]), g.sum[i]) << "block " << i;
        same = same && blocks[i].size() == g.len[i] && fnv1a(blocks[i]) == g.sum[i];
    }
    if (!same) {
        // The line to record, should the change of bytes be intended.
        std::printf("    {%d, %d, %s, {%zu, %zu, %zu, %zu}, {0x%llxull, 0x%llxull, 0x%llxull, 0x%llxull}},\n", g.code,
                    g.scan, g.swap ? "true" : "false", blocks[0].size(), blocks[1].size(), blocks[2].size(),
                    blocks[3].size(), (unsigned long long)fnv1a(blocks[0]), (unsigned long long)fnv1a(blocks[1]),
                    (unsigned long long)fnv1a(blocks[2]), (unsigned long long)fnv1a(blocks[3]));
    }
    // Compiling again gives the same bytes.
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    EXPECT_EQ(block(screen, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData), blocks[0]);
    EXPECT_EQ(block(screen, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask), blocks[1]);
}

// The screen stored and loaded again: the load paints nothing, the compile
// paints what it needs into pictures of its own, with room in the nodes'
// for less than one scene's picture. The bytes stay the recorded ones, and
// the copy is as loaded: no node painted, no stored byte changed.
TEST_P(CompileGolden, ALoadedCopyDrawnOnDemandKeepsTheRecordedBytes)
{
    const Golden& g = GetParam();
    const std::vector<std::uint8_t> image = BuildStoreImage(screen, StoreSizeOf(screen));
    tagItemData* copy = CreateNode(screen, IT_SCREEN, u"copy", header);
    copy->Global.SwapRedGreen = screen->Global.SwapRedGreen;
    ASSERT_EQ(LoadProgramList(copy, image.data(), image.size()), PL_OK);
    const std::vector<std::uint8_t> loaded = BuildStoreImage(copy, StoreSizeOf(copy));
    const std::int64_t budget = NodePictures::setBudget(64 * 1024);
    ASSERT_EQ(CContentCompiler::Compile(copy), 1);
    NodePictures::setBudget(budget);
    EXPECT_EQ(BuildStoreImage(copy, StoreSizeOf(copy)), loaded);
    for (tagItemData* scene = copy->FirstChild; scene; scene = scene->NextSibling)
        ForEachNode(scene, [](tagItemData* n) {
            EXPECT_EQ(NodePictures::stateOf(n), PictureState::Stale);
            EXPECT_TRUE(NodePictures::peek(n).isNull());
        });
    const Bytes blocks[4] = {
        block(copy, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData),
        block(copy, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask),
        block(copy, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap),
        block(copy, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(blocks[i].size(), g.len[i]) << "block " << i;
        EXPECT_EQ(fnv1a(blocks[i]), g.sum[i]) << "block " << i;
    }
    CContentCompiler::FreeBuffers(copy);
}

// A job's copy of the painted screen: the same stored image, the live
// pictures shared rather than painted again, and the recorded bytes; the
// live screen is left as it was.
TEST_P(CompileGolden, AScreenCopyIsTheScreenAndKeepsTheRecordedBytes)
{
    const Golden& g = GetParam();
    const std::vector<std::uint8_t> image = BuildStoreImage(screen, StoreSizeOf(screen));
    std::vector<qint64> keys;
    ForEachNode(screen, [&](tagItemData* n) { keys.push_back(NodePictures::peek(n).cacheKey()); });
    CScreenCopy copy(screen);
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ(CScreenCopy::OriginOf(copy.screen()), CScreenCopy::OriginOf(screen));
    EXPECT_EQ(BuildStoreImage(copy.screen(), StoreSizeOf(copy.screen())), image);
    std::size_t i = 0;
    ForEachNode(copy.screen(), [&](tagItemData* n) {
        EXPECT_EQ(NodePictures::peek(n).cacheKey(), keys[i++]);
    });
    ASSERT_EQ(CContentCompiler::Compile(copy.screen()), 1);
    const Bytes blocks[4] = {
        block(copy.screen(), CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData),
        block(copy.screen(), CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask),
        block(copy.screen(), CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap),
        block(copy.screen(), CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap)};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(blocks[b].size(), g.len[b]) << "block " << b;
        EXPECT_EQ(fnv1a(blocks[b]), g.sum[b]) << "block " << b;
    }
    CContentCompiler::FreeBuffers(copy.screen());
    EXPECT_EQ(BuildStoreImage(screen, StoreSizeOf(screen)), image);
    i = 0;
    ForEachNode(screen, [&](tagItemData* n) { EXPECT_EQ(NodePictures::peek(n).cacheKey(), keys[i++]); });
}

// The pictures made once and, with room for less than one scene's
// picture, most dropped again: the compile makes them again with the same
// sizes, so it changes no field of a node, and keeps the recorded bytes.
struct Painted {
    std::uint32_t w, h, present, frames;
};
Painted paintedOf(const tagItemData* n)
{
    const ItemRecord* r = n->Item.TypeRecord;
    return {n->Item.ContentW, n->Item.ContentH, n->Scene.PicturePresent,
            r && n->Item.TypeCode == IT_TEXTGIF ? r->get(records::textgif::FrameCount) : 0u};
}

TEST_P(CompileGolden, PicturesDroppedAndMadeAgainChangeNoFieldAndKeepTheRecordedBytes)
{
    const Golden& g = GetParam();
    const std::vector<std::uint8_t> image = BuildStoreImage(screen, StoreSizeOf(screen));
    tagItemData* copy = CreateNode(screen, IT_SCREEN, u"copy", header);
    copy->Global.SwapRedGreen = screen->Global.SwapRedGreen;
    ASSERT_EQ(LoadProgramList(copy, image.data(), image.size()), PL_OK);
    const std::int64_t budget = NodePictures::setBudget(64 * 1024);
    ForEachNode(copy, [](tagItemData* n) { NodePictures::measure(n); });
    std::vector<Painted> before;
    ForEachNode(copy, [&](tagItemData* n) {
        EXPECT_NE(NodePictures::stateOf(n), PictureState::Stale);
        before.push_back(paintedOf(n));
    });
    const int compiled = CContentCompiler::Compile(copy);
    NodePictures::setBudget(budget);
    ASSERT_EQ(compiled, 1);
    std::size_t i = 0;
    ForEachNode(copy, [&](tagItemData* n) {
        const Painted now = paintedOf(n), was = before[i++];
        EXPECT_TRUE(now.w == was.w && now.h == was.h && now.present == was.present && now.frames == was.frames);
    });
    const Bytes blocks[4] = {
        block(copy, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData),
        block(copy, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask),
        block(copy, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap),
        block(copy, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap)};
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(blocks[b].size(), g.len[b]) << "block " << b;
        EXPECT_EQ(fnv1a(blocks[b]), g.sum[b]) << "block " << b;
    }
    CContentCompiler::FreeBuffers(copy);
}

INSTANTIATE_TEST_SUITE_P(Modes, CompileGolden, ::testing::ValuesIn(kGolden),
                         [](const ::testing::TestParamInfo<Golden>& i) {
                             return "mode" + std::to_string(i.param.code) + "scan" + std::to_string(i.param.scan)
                                 + (i.param.swap ? "swap" : "");
                         });

// What the varied screen leaves out: a background picture with a schedule,
// a later normal scene that falls back to the global background, animated
// text, pages right to left and down, an empty section, in the three
// colour counts. Recorded before the compiler was written through the
// program schema.
TEST(CompileGoldenExtras, BackgroundsSchedulesAndAnimatedTextKeepTheirBytes)
{
    struct Extra {
        int code, scan;
        std::size_t len[4];
        std::uint64_t sum[4];
    };
    const Extra extras[] = {
#include "data/CompileGoldenExtras.inc"
    };
    CCore core;
    core.SetCurLang(9);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage pic(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            pic.setPixel(x, y, qRgb((x * 29) & 255, (y * 13) & 255, ((x + y) * 7) & 255));
    ASSERT_TRUE(pic.save(dir.filePath("bg.png")));
    const QString bg = dir.filePath("bg.png");
    bool printed = false;
    for (const Extra& e : extras) {
        tagItemData* header = CreateHeaderNode();
        tagItemData* screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
        screen->Global.Width = 128;
        screen->Global.Height = 64;
        screen->Global.Type = std::uint16_t(e.code);
        screen->Global.ScanMode = std::uint16_t(e.scan);
        tagItemData* glob = addChild(screen, IT_GLOBALSCENE, u"G");
        std::copy(bg.utf16(), bg.utf16() + bg.size(), glob->Scene.PicturePath);
        glob->Scene.PictureMode = 2;
        section(glob, 96, 0, 32, 16);
        tagItemData* a = addChild(screen, IT_SCENE, u"A");
        std::copy(bg.utf16(), bg.utf16() + bg.size(), a->Scene.PicturePath);
        a->Scene.PictureMode = 1;
        a->Scene.Schedule = 7;
        a->Scene.ScheduleDate = 0x12345678;
        a->Scene.ScheduleWeekdays = 0x55;
        a->Scene.StartTime = 0x0815;
        a->Scene.EndTime = 0x1730;
        a->PlayTime = 30;
        tagItemData* s1 = section(a, 0, 0, 48, 32);
        tagItemData* t = addChild(s1, IT_SINGLELINE, u"t");
        records::SetItemText(t, QStringLiteral("Right to left, three pages or more of it"));
        setFont(t->Item.TypeRecord, records::singleline::TextFont, 20, u"DejaVu Sans");
        t->InEffect = 2;
        t->InSpeed = 3;
        tagItemData* s2 = section(a, 48, 0, 40, 64);
        tagItemData* rt = addChild(s2, IT_TEXT, u"rt");
        records::SetItemText(rt, kRtf + kRtf);
        rt->Item.TypeRecord->set(records::richtext::Wrap, 1);
        rt->InEffect = 4;
        tagItemData* s3 = section(a, 0, 32, 48, 32);
        tagItemData* tg = addChild(s3, IT_TEXTGIF, u"tg");
        records::SetItemText(tg, QStringLiteral("Animated"));
        tg->Item.TypeRecord->set(records::textgif::Effect, 3);
        tg->Item.TypeRecord->set(records::textgif::Repeat, 1);
        tg->Item.TypeRecord->set(records::textgif::Delay, 40);
        section(a, 100, 40, 20, 20);   // empty
        tagItemData* b = addChild(screen, IT_SCENE, u"B");   // no background of its own
        tagItemData* s4 = section(b, 0, 0, 128, 64);
        giveBorder(s4, 2, 1, 1);
        records::SetItemText(addChild(s4, IT_SINGLELINE, u"t2"), QStringLiteral("B"));
        const std::function<void(tagItemData*)> paint = [&](tagItemData* n) {
            for (tagItemData* c = n->FirstChild; c; c = c->NextSibling) {
                PaintItemByKind(c);
                paint(c);
            }
        };
        paint(screen);

        ASSERT_EQ(CContentCompiler::Compile(screen), 1) << "mode " << e.code;
        const Bytes blocks[4] = {
            block(screen, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData),
            block(screen, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask),
            block(screen, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap),
            block(screen, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap)};
        bool same = true;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(blocks[i].size(), e.len[i]) << "mode " << e.code << " block " << i;
            EXPECT_EQ(fnv1a(blocks[i]), e.sum[i]) << "mode " << e.code << " block " << i;
            same = same && blocks[i].size() == e.len[i] && fnv1a(blocks[i]) == e.sum[i];
        }
        if (!same) {
            std::printf("        {%d, %d, {%zu, %zu, %zu, %zu}, {0x%llxull, 0x%llxull, 0x%llxull, 0x%llxull}},\n", e.code,
                        e.scan, blocks[0].size(), blocks[1].size(), blocks[2].size(), blocks[3].size(),
                        (unsigned long long)fnv1a(blocks[0]), (unsigned long long)fnv1a(blocks[1]),
                        (unsigned long long)fnv1a(blocks[2]), (unsigned long long)fnv1a(blocks[3]));
            printed = true;
        }
        CContentCompiler::FreeBuffers(screen);
        DestroyNode(header);
    }
    EXPECT_FALSE(printed);
}

} // namespace
