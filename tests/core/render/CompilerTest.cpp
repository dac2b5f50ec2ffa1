// Compiled pages, masks, records and the four blocks of a screen of
// pictures, a GIF, scenes with schedules and empty sections, against bytes
// built here from the packing and block rules.
#include "RenderTestUtil.h"
#include "core/api/Core.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace sorvane::render;

namespace {

using namespace reftest;

// Behind the parent's last child.
constexpr auto addChild = &support::TreeBuilder::append;

void setPath(char16_t* dst, const QString& path)
{
    for (qsizetype i = 0; i < path.size() && i < 259; ++i)
        dst[i] = path.at(i).unicode();
}

void setRecordPath(ItemRecord* r, const QString& path)
{
    ASSERT_TRUE(r->set(records::picture::Path, path));
}

QImage pattern(int w, int h, int seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = (x * 7 + y * 13 + seed * 5) % 11;
            img.setPixel(x, y, qRgb(v & 1 ? 255 : 0, v & 2 ? 255 : 40, v & 4 ? 255 : 0));
        }
    return img;
}

void setSection(tagItemData* s, int x, int y, int w, int h)
{
    s->Section.RectX = std::uint16_t(x);
    s->Section.RectY = std::uint16_t(y);
    s->Section.RectW = std::uint16_t(w);
    s->Section.RectH = std::uint16_t(h);
}

Bytes blackPage(int W, const Mode& m)
{
    QImage img(W, 32, QImage::Format_RGB32);
    img.fill(Qt::black);
    return page(img, m, false);
}

// Content page of a source picture placed at (x, top) of a work bitmap.
Bytes placed(const QImage& src, int areaW, int x, int top, const Mode& m)
{
    QImage work(int(roundUp16(unsigned(areaW))), 32, QImage::Format_RGB32);
    work.fill(Qt::black);
    QPainter p(&work);
    p.drawImage(x, top, src);
    p.end();
    return page(work, m, false);
}

// Mask runs of a white area (moved to column 0 by origin) with covers in black.
Bytes mask(const QRect& area, const std::vector<QRect>& covers, int origin, const Mode& m)
{
    const int W = int(roundUp16(unsigned(area.width())));
    QImage work(W, 32, QImage::Format_RGB32);
    work.fill(Qt::black);
    const QRect white = area.translated(-origin, 0);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < W; ++x) {
            bool on = white.contains(x, y);
            for (const QRect& c : covers)
                if (c.translated(-origin, 0).contains(x, y))
                    on = false;
            if (on)
                work.setPixel(x, y, qRgb(255, 255, 255));
        }
    return maskRuns(page(work, m, true), W, m);
}

Bytes block(tagItemData* screen, std::size_t (*size)(tagItemData*),
            std::size_t (*copy)(tagItemData*, std::uint8_t*, std::size_t))
{
    Bytes b(size(screen));
    EXPECT_EQ(copy(screen, b.data(), b.size()), b.size());
    return b;
}

class CompilerTest : public ::testing::TestWithParam<Mode> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const Mode m = GetParam();
        screen = tree.screen(support::ScreenSpec{64, 32, std::uint16_t(m.code), std::uint16_t(m.scan), m.swap});

        gPic = pattern(64, 32, 1);
        bPic = pattern(30, 14, 2);
        pgPic = pattern(16, 8, 3);
        paPic = pattern(32, 16, 4);
        ASSERT_TRUE(gPic.save(dir.filePath("g.png")));
        ASSERT_TRUE(bPic.save(dir.filePath("b.png")));
        ASSERT_TRUE(pgPic.save(dir.filePath("pg.png")));
        ASSERT_TRUE(paPic.save(dir.filePath("pa.png")));
        // GIF frames: palette indexes, two different frames.
        std::vector<std::uint8_t> f0(32 * 16), f1(32 * 16);
        for (std::size_t i = 0; i < f0.size(); ++i) {
            f0[i] = std::uint8_t(i % 3);
            f1[i] = std::uint8_t((i / 32) % 4);
        }
        const std::array<QRgb, 4> pal{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0)};
        QFile gif(dir.filePath("a.gif"));
        ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
        gif.write(makeGif(32, 16, {f0, f1}, {10, 20}, pal));
        gif.close();
        gifFrames[0] = QImage(32, 16, QImage::Format_RGB32);
        gifFrames[1] = QImage(32, 16, QImage::Format_RGB32);
        for (int i = 0; i < 32 * 16; ++i) {
            gifFrames[0].setPixel(i % 32, i / 32, pal[f0[std::size_t(i)]]);
            gifFrames[1].setPixel(i % 32, i / 32, pal[f1[std::size_t(i)]]);
        }

        g = addChild(screen, IT_GLOBALSCENE, u"G");
        setPath(g->Scene.PicturePath, dir.filePath("g.png"));
        g->Scene.PictureMode = 0;
        sg1 = addChild(g, IT_WND_PROGLIST, u"g1");
        setSection(sg1, 0, 0, 16, 8);
        pg = addChild(sg1, IT_IMAGE, u"pg");
        setRecordPath(pg->Item.TypeRecord, dir.filePath("pg.png"));

        a = addChild(screen, IT_SCENE, u"A");
        a->PlayTime = 5000;
        a->Scene.Schedule = 7;
        a->Scene.ScheduleDate = 0x12345678;
        a->Scene.ScheduleWeekdays = 0x15;
        a->Scene.StartTime = 0x081E;
        a->Scene.EndTime = 0x112D;
        sa1 = addChild(a, IT_WND_PROGLIST, u"a1");
        setSection(sa1, 8, 8, 32, 16);
        pa = addChild(sa1, IT_IMAGE, u"pa");
        setRecordPath(pa->Item.TypeRecord, dir.filePath("pa.png"));
        pa->InEffect = 79;
        pa->Item.OutEffect = 3;
        pa->Item.OutSpeed = 9;
        sa2 = addChild(a, IT_WND_PROGLIST, u"a2");
        setSection(sa2, 16, 16, 32, 16);
        ga = addChild(sa2, IT_GIF, u"ga");
        setRecordPath(ga->Item.TypeRecord, dir.filePath("a.gif"));
        ga->Item.TypeRecord->set(records::picture::FrameCount, 2);
        ga->Item.TypeRecord->set(records::picture::Delays[0], 100);
        ga->Item.TypeRecord->set(records::picture::Delays[1], 200);
        sa3 = addChild(a, IT_WND_PROGLIST, u"a3");
        setSection(sa3, 0, 24, 8, 8);

        b = addChild(screen, IT_SCENE, u"B");
        b->Scene.DisplayOption = 0;
        setPath(b->Scene.PicturePath, dir.filePath("b.png"));
        b->Scene.PictureMode = 1;
        sb1 = addChild(b, IT_WND_PROGLIST, u"b1");
        setSection(sb1, 40, 0, 24, 32);
        pb = addChild(sb1, IT_IMAGE, u"pb");   // no file: black

        for (tagItemData* n : {g, sg1, pg, a, sa1, pa, sa2, ga, sa3, b, sb1, pb})
            PaintItemByKind(n);
    }
    QTemporaryDir dir;
    support::TreeBuilder tree;
    tagItemData* header = tree.header();
    tagItemData *screen = nullptr, *g = nullptr, *sg1 = nullptr, *pg = nullptr, *a = nullptr, *sa1 = nullptr,
                *pa = nullptr, *sa2 = nullptr, *ga = nullptr, *sa3 = nullptr, *b = nullptr, *sb1 = nullptr,
                *pb = nullptr;
    QImage gPic, bPic, pgPic, paPic, gifFrames[2];
};

TEST_P(CompilerTest, SlotsAndBlocksEqualTheRules)
{
    const Mode m = GetParam();
    ASSERT_EQ(g->Scene.PicturePresent, 1);
    ASSERT_EQ(a->Scene.PicturePresent, 0);
    ASSERT_EQ(b->Scene.PicturePresent, 1);
    ASSERT_EQ(CContentCompiler::Compile(pa), 1);   // any node selects its screen

    const LedWorkMode wm = LookupWorkMode(m.code);
    auto P = [&](int w) { return std::uint32_t(4 * wm.RowFold * m.scan * int(roundUp16(unsigned(w)))); };

    // Pass 1: pages.
    const Bytes gA = placed(gPic, 64, 0, 0, m);
    const Bytes bA = placed(bPic, 64, (64 - 30) / 2, (32 - 14) / 2, m);
    EXPECT_EQ(CContentCompiler::CompiledSlot(g, 0), gA);
    EXPECT_TRUE(CContentCompiler::CompiledSlot(a, 0).empty());
    EXPECT_EQ(CContentCompiler::CompiledSlot(b, 0), bA);
    const Bytes pgA = placed(pgPic, 16, 0, 0, m);
    const Bytes paA = placed(paPic, 32, 0, 8, m);
    Bytes gaA = placed(gifFrames[0], 32, 0, 16, m);
    append(gaA, placed(gifFrames[1], 32, 0, 16, m));
    const Bytes pbA = blackPage(32, m);
    EXPECT_EQ(CContentCompiler::CompiledSlot(pg, 0), pgA);
    EXPECT_EQ(CContentCompiler::CompiledSlot(pa, 0), paA);
    EXPECT_EQ(CContentCompiler::CompiledSlot(ga, 0), gaA);
    EXPECT_EQ(CContentCompiler::CompiledSlot(pb, 0), pbA);

    // Pass 2: records.
    Bytes stmr(36, 0);
    std::memcpy(stmr.data(), "stmr", 4);
    put16(stmr, 4, 3);
    put16(stmr, 6, 36);
    stmr[8] = 7;
    put32(stmr, 12, 0x12345678);
    stmr[16] = 0x15;
    stmr[20] = 0x1E;
    stmr[21] = 0x08;
    stmr[22] = 0x2D;
    stmr[23] = 0x11;
    EXPECT_TRUE(CContentCompiler::CompiledSlot(g, 3).empty());
    EXPECT_EQ(CContentCompiler::CompiledSlot(a, 3), stmr);
    auto pictureHeader = [&](std::uint32_t pageLen, int outFx, int outSpeed) {
        Bytes h(52, 0);
        put32(h, 0, 1);
        put32(h, 4, pageLen);
        std::memcpy(h.data() + 16, "cler", 4);
        h[20] = std::uint8_t(outFx);
        put16(h, 24, unsigned(outSpeed));
        return h;
    };
    const Bytes pgB = pictureHeader(P(16), 0, 20), paB = pictureHeader(P(32), 3, 9), pbB = pictureHeader(P(24), 0, 20);
    Bytes gaB(24, 0);
    put32(gaB, 0, 2);
    put32(gaB, 4, P(32));
    put32(gaB, 8, 1);
    put32(gaB, 12, 1);
    put32(gaB, 16, 100);
    put32(gaB, 20, 200);
    EXPECT_EQ(CContentCompiler::CompiledSlot(pg, 1), pgB);
    EXPECT_EQ(CContentCompiler::CompiledSlot(pa, 1), paB);
    EXPECT_EQ(CContentCompiler::CompiledSlot(ga, 1), gaB);
    EXPECT_EQ(CContentCompiler::CompiledSlot(pb, 1), pbB);

    // Pass 3: masks. Sections of the global scene lie on top of every scene.
    const QRect rg1(0, 0, 16, 8), ra1(8, 8, 32, 16), ra2(16, 16, 32, 16), rb1(40, 0, 24, 32);
    const Bytes gB = mask(QRect(0, 0, 64, 32), {rg1}, 0, m);
    const Bytes aB = mask(QRect(0, 0, 64, 32), {rg1, ra1, ra2}, 0, m);
    const Bytes bB = mask(QRect(0, 0, 64, 32), {rg1, rb1}, 0, m);
    const Bytes sg1A = mask(rg1, {}, 0, m);
    const Bytes sa1A = mask(ra1, {ra2, rg1}, 8, m);
    const Bytes sa2A = mask(ra2, {rg1}, 16, m);
    const Bytes sb1A = mask(rb1, {rg1}, 40, m);
    EXPECT_EQ(CContentCompiler::CompiledSlot(g, 1), gB);
    EXPECT_EQ(CContentCompiler::CompiledSlot(a, 1), aB);
    EXPECT_EQ(CContentCompiler::CompiledSlot(b, 1), bB);
    EXPECT_EQ(CContentCompiler::CompiledSlot(sg1, 0), sg1A);
    EXPECT_EQ(CContentCompiler::CompiledSlot(sa1, 0), sa1A);
    EXPECT_EQ(CContentCompiler::CompiledSlot(sa2, 0), sa2A);
    EXPECT_TRUE(CContentCompiler::CompiledSlot(sa3, 0).empty());   // no items, no mask
    EXPECT_EQ(CContentCompiler::CompiledSlot(sb1, 0), sb1A);

    // Offsets: data = scenes (pages, schedule), section borders (none yet), items (pages, header).
    const std::uint32_t gAt = 0, aDAt = std::uint32_t(gA.size()), bAt = aDAt + 36;
    const std::uint32_t itemsAt = bAt + std::uint32_t(bA.size());
    const std::uint32_t pgAt = itemsAt, paAt = pgAt + std::uint32_t(pgA.size() + 52),
                        gaAt = paAt + std::uint32_t(paA.size() + 52), pbAt = gaAt + std::uint32_t(gaA.size() + 24);
    auto itemDesc = [&](std::int32_t play, int fx, int speed, std::uint32_t at, std::size_t pages, std::size_t hdr) {
        Bytes d(24, 0);
        put32(d, 0, std::uint32_t(play));
        d[4] = std::uint8_t(fx);
        put16(d, 6, unsigned(speed));
        put32(d, 8, at);
        put32(d, 12, std::uint32_t(pages));
        put32(d, 16, at + std::uint32_t(pages));
        put32(d, 20, std::uint32_t(hdr));
        return d;
    };
    EXPECT_EQ(CContentCompiler::CompiledSlot(pg, 2), itemDesc(2000, 0, 20, pgAt, pgA.size(), 52));
    EXPECT_EQ(CContentCompiler::CompiledSlot(pa, 2), itemDesc(2000, 75, 20, paAt, paA.size(), 52));   // 79 goes out as 75
    EXPECT_EQ(CContentCompiler::CompiledSlot(ga, 2), itemDesc(2000, 75, 0, gaAt, gaA.size(), 24));
    EXPECT_EQ(CContentCompiler::CompiledSlot(pb, 2), itemDesc(2000, 0, 20, pbAt, pbA.size(), 52));

    const std::uint32_t masksAt = std::uint32_t(gB.size() + aB.size() + bB.size());
    auto sectionDesc = [&](const QRect& r, std::uint32_t border, std::uint32_t maskAt, std::size_t maskLen,
                           std::uint32_t map, int items) {
        Bytes d(64, 0);
        put16(d, 4, unsigned(r.x()));
        put16(d, 6, unsigned(r.y()));
        put16(d, 8, unsigned(r.width()));
        put16(d, 10, unsigned(r.height()));
        put32(d, 12, border);
        put32(d, 20, maskAt);
        put32(d, 24, std::uint32_t(maskLen));
        put32(d, 28, map);
        d[32] = std::uint8_t(items);
        put16(d, 38, 64);
        return d;
    };
    const std::uint32_t sectionBorders = itemsAt;   // every border record is empty
    const Bytes sg1B = sectionDesc(rg1, sectionBorders, masksAt, sg1A.size(), 0, 1);
    const Bytes sa1B = sectionDesc(ra1, sectionBorders, masksAt + std::uint32_t(sg1A.size()), sa1A.size(), 24, 1);
    const Bytes sa2B =
        sectionDesc(ra2, sectionBorders, masksAt + std::uint32_t(sg1A.size() + sa1A.size()), sa2A.size(), 48, 1);
    const Bytes sb1B = sectionDesc(rb1, sectionBorders,
                                   masksAt + std::uint32_t(sg1A.size() + sa1A.size() + sa2A.size()), sb1A.size(), 72, 1);
    EXPECT_EQ(CContentCompiler::CompiledSlot(sg1, 1), sg1B);
    EXPECT_EQ(CContentCompiler::CompiledSlot(sa1, 1), sa1B);
    EXPECT_EQ(CContentCompiler::CompiledSlot(sa2, 1), sa2B);
    EXPECT_TRUE(CContentCompiler::CompiledSlot(sa3, 1).empty());
    EXPECT_EQ(CContentCompiler::CompiledSlot(sb1, 1), sb1B);

    // Scene records: G (1 entry), A (2 entries), B (1 entry); B links back to A.
    const std::uint32_t aRec = 56 + 64, bRec = aRec + 56 + 128;
    auto sceneRec = [&](tagItemData* s, std::uint32_t next, std::uint32_t bg, std::size_t bgLen, std::uint32_t maskAt,
                        std::size_t maskLen, int global, int option, int shown, std::uint32_t sched,
                        std::size_t schedLen, const std::vector<Bytes>& entries) {
        Bytes r(56 + 64 * std::max<std::size_t>(1, entries.size()), 0);
        put32(r, 0, std::uint32_t(s->PlayTime));
        put16(r, 4, 64);
        put16(r, 6, 32);
        put32(r, 8, next);
        put32(r, 12, bg);
        put32(r, 16, std::uint32_t(bgLen));
        put32(r, 20, maskAt);
        put32(r, 24, std::uint32_t(maskLen));
        r[28] = std::uint8_t(global);
        r[29] = std::uint8_t(option);
        r[30] = std::uint8_t(shown);
        r[31] = 1;
        put32(r, 36, sched);
        put32(r, 40, std::uint32_t(schedLen));
        r[52] = 0x04;
        r[53] = 0xA6;
        r[54] = 64;
        for (std::size_t i = 0; i < entries.size(); ++i)
            std::memcpy(r.data() + 56 + 64 * i, entries[i].data(), 64);
        return r;
    };
    const Bytes gC = sceneRec(g, aRec, gAt, gA.size(), 0, gB.size(), 1, 1, 1, aDAt, 0, {sg1B});
    // A has no picture of its own: it shows the global scene's.
    const Bytes aC = sceneRec(a, bRec, gAt, gA.size(), std::uint32_t(gB.size()), aB.size(), 0, 1 | 32, 3, aDAt, 36,
                              {sa1B, sa2B});
    const Bytes bC = sceneRec(b, aRec, bAt, bA.size(), std::uint32_t(gB.size() + aB.size()), bB.size(), 0, 0, 2,
                              bAt + std::uint32_t(bA.size()), 0, {sb1B});
    EXPECT_EQ(CContentCompiler::CompiledSlot(g, 2), gC);
    EXPECT_EQ(CContentCompiler::CompiledSlot(a, 2), aC);
    EXPECT_EQ(CContentCompiler::CompiledSlot(b, 2), bC);

    // The four blocks.
    Bytes pageMap = gC;
    append(pageMap, aC);
    append(pageMap, bC);
    Bytes programMap = CContentCompiler::CompiledSlot(pg, 2);
    append(programMap, CContentCompiler::CompiledSlot(pa, 2));
    append(programMap, CContentCompiler::CompiledSlot(ga, 2));
    append(programMap, CContentCompiler::CompiledSlot(pb, 2));
    Bytes programMask = gB;
    for (const Bytes* x : std::initializer_list<const Bytes*>{&aB, &bB, &sg1A, &sa1A, &sa2A, &sb1A})
        append(programMask, *x);
    Bytes programData = gA;
    for (const Bytes* x : std::initializer_list<const Bytes*>{&stmr, &bA, &pgA, &pgB, &paA, &paB, &gaA, &gaB, &pbA, &pbB})
        append(programData, *x);
    EXPECT_EQ(block(screen, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap), pageMap);
    EXPECT_EQ(block(screen, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap), programMap);
    EXPECT_EQ(block(screen, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask), programMask);
    EXPECT_EQ(block(screen, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData), programData);

    // A short buffer stops exactly at its length.
    Bytes shortBuf(pageMap.size() - 5, 0xEE);
    EXPECT_EQ(CContentCompiler::CopyPageMap(screen, shortBuf.data(), shortBuf.size()), shortBuf.size());
    EXPECT_TRUE(std::equal(shortBuf.begin(), shortBuf.end(), pageMap.begin()));

    CContentCompiler::FreeBuffers(pg);
    for (tagItemData* n : {screen, g, sg1, pg, a, sa1, pa, sa2, ga, sa3, b, sb1, pb})
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(CContentCompiler::CompiledSlotSize(n, s), 0u);
    EXPECT_EQ(CContentCompiler::GetProgramDataSize(screen), 0u);
}

INSTANTIATE_TEST_SUITE_P(Modes, CompilerTest,
                         ::testing::Values(Mode{17, 4, false, 128}, Mode{0, 16, true, 128}, Mode{9, 4, false, 128},
                                           Mode{64, 8, true, 128}, Mode{35, 4, false, 128}, Mode{33, 5, false, 128},
                                           Mode{2, 8, true, 128}),
                         [](const ::testing::TestParamInfo<Mode>& i) {
                             return "mode" + std::to_string(i.param.code) + "scan" + std::to_string(i.param.scan)
                                 + (i.param.swap ? "swap" : "");
                         });

} // namespace
