// Entry and exit effects drawn on a small page with a distinct colour per pixel.
#include "PlayTestUtil.h"

#include "app/preview/Effects.h"
#include "core/model/StoredRecords.h"

#include <gtest/gtest.h>
#include <set>

using namespace sorvane::model;

using namespace preview;
using namespace previewtest;

namespace {

constexpr QRgb kBlack = 0xFF000000u;
const QRect kArea(3, 2, 16, 8);   // inside a 24 x 12 back buffer

QImage distinctPage(int w, int h)
{
    QImage page(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            page.setPixel(x, y, qRgb(1 + x, 1 + y, 200));
    return page;
}

QImage sentinelBack()
{
    QImage back(24, 12, QImage::Format_RGB32);
    back.fill(qRgb(9, 9, 9));
    return back;
}

QImage areaOf(const QImage& back) { return back.copy(kArea); }

// Runs all steps of an entry code and returns the back buffer.
QImage playEntry(int code, const QImage& page, ItemFacts facts = {})
{
    facts.width = kArea.width();
    facts.height = kArea.height();
    if (!facts.contentWidth)
        facts.contentWidth = page.width();
    if (!facts.contentHeight)
        facts.contentHeight = page.height();
    if (!facts.stay)
        facts.stay = 2000;
    const PhasePlan plan = planEntry(code, facts);
    QImage back = sentinelBack();
    EffectState state;
    StepTarget t;
    t.back = &back;
    t.page = &page;
    t.area = kArea;
    t.n = static_cast<int>(plan.steps);
    t.state = &state;
    for (int k = 0; k < t.n; ++k) {
        t.k = k;
        entryStepFunction(code)(t);
    }
    return back;
}

bool outsideUntouched(const QImage& back)
{
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x)
            if (!kArea.contains(x, y) && back.pixel(x, y) != qRgb(9, 9, 9))
                return false;
    return true;
}

} // namespace

TEST(EntryEffects, EveryCodeEndsEqualToThePageOrAsItsRuleSays)
{
    const QImage page = distinctPage(16, 8);
    const QImage expected = page;
    // Codes whose last step shows the whole page.
    const std::set<int> whole = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 21, 22,
                                 23, 24, 25, 26, 27, 28, 33, 36, 37, 38, 41, 42, 43};
    std::set<QRgb> pageColours;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            pageColours.insert(page.pixel(x, y));
    for (int code = 0; code <= 43; ++code) {
        SCOPED_TRACE(code);
        const QImage back = playEntry(code, page);
        EXPECT_TRUE(outsideUntouched(back));
        const QImage area = areaOf(back);
        if (whole.count(code)) {
            EXPECT_EQ(area, expected);
            continue;
        }
        // The others show only page pixels (at their own place) or black.
        int shown = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb c = area.pixel(x, y);
                if (c == kBlack)
                    continue;
                ++shown;
                if (code != 19 && code != 20) {
                    EXPECT_EQ(c, page.pixel(x, y)) << x << "," << y;
                } else {
                    EXPECT_TRUE(pageColours.count(c));
                }
            }
        if (code != 40) {
            EXPECT_GT(shown, 0);
        }
    }
}

TEST(EntryEffects, OddSizesStayInsideTheAreaAndPairedWipesAreSymmetric)
{
    // A 15 x 7 area: the centre line is shown, nothing outside is touched.
    const QImage page = distinctPage(15, 7);
    for (int code : {9, 10, 11, 12, 17, 18}) {
        SCOPED_TRACE(code);
        ItemFacts f;
        f.width = 15;
        f.height = 7;
        const PhasePlan plan = planEntry(code, f);
        QImage back = sentinelBack();
        EffectState st;
        StepTarget t{&back, &page, QRect(3, 2, 15, 7), 0, 0, 0, static_cast<int>(plan.steps), &st};
        for (int k = 0; k < t.n; ++k) {
            t.k = k;
            entryStepFunction(code)(t);
            if (code == 9 && k == 0) {
                // The first pair: the outermost columns, mirror images of each other.
                EXPECT_EQ(back.pixel(3, 2), page.pixel(0, 0));
                EXPECT_EQ(back.pixel(17, 2), page.pixel(14, 0));
                EXPECT_EQ(back.pixel(18, 2), qRgb(9, 9, 9));
            }
        }
        EXPECT_EQ(back.copy(3, 2, 15, 7), page);
        EXPECT_EQ(back.pixel(2, 2), qRgb(9, 9, 9));
        EXPECT_EQ(back.pixel(18, 8), qRgb(9, 9, 9));
    }
}

TEST(EntryEffects, IntermediateStepsAndContentWiderThanTheArea)
{
    const QImage page = distinctPage(16, 8);
    QImage back = sentinelBack();
    EffectState st;
    StepTarget t{&back, &page, kArea, 0, 0, 0, 16, &st};
    for (int k = 0; k < 4; ++k) {
        t.k = k;
        entryStepFunction(5)(t);
    }
    for (int x = 0; x < 16; ++x)
        EXPECT_EQ(back.pixel(kArea.x() + x, kArea.y()), x < 4 ? page.pixel(x, 0) : qRgb(9, 9, 9)) << x;

    // Blinds from the left: the first step shows every eighth column.
    QImage blinds = sentinelBack();
    StepTarget b{&blinds, &page, kArea, 0, 0, 0, 8, &st};
    entryStepFunction(13)(b);
    EXPECT_EQ(blinds.pixel(kArea.x(), kArea.y()), page.pixel(0, 0));
    EXPECT_EQ(blinds.pixel(kArea.x() + 8, kArea.y()), page.pixel(8, 0));
    EXPECT_EQ(blinds.pixel(kArea.x() + 1, kArea.y()), qRgb(9, 9, 9));

    // Moving left through a content 40 wide ends on its last 16 columns.
    const QImage wide = distinctPage(40, 8);
    ItemFacts f;
    f.contentWidth = 40;
    const QImage moved = areaOf(playEntry(1, wide, f));
    EXPECT_EQ(moved, wide.copy(24, 0, 16, 8));
    // Moving right ends on the first 16.
    EXPECT_EQ(areaOf(playEntry(2, wide, f)), wide.copy(0, 0, 16, 8));
    // A content narrower than the area: what lies past the picture reads black.
    const QImage narrow = distinctPage(10, 8);
    const QImage part = areaOf(playEntry(1, narrow));
    EXPECT_EQ(part.pixel(15, 3), kBlack);
    EXPECT_EQ(part.pixel(0, 3), narrow.pixel(0, 3));
}

TEST(EntryEffects, BlinkShowsThePageOnEvenSteps)
{
    const QImage page = distinctPage(16, 8);
    QImage back = sentinelBack();
    StepTarget t{&back, &page, kArea, 0, 0, 0, 6, nullptr};
    for (int k = 0; k < 6; ++k) {
        t.k = k;
        entryStepFunction(40)(t);
        EXPECT_EQ(areaOf(back).pixel(5, 5), k % 2 ? kBlack : page.pixel(5, 5)) << k;
    }
}

TEST(EntryEffects, PhasePlans)
{
    ItemFacts f;
    f.width = 64;
    f.height = 32;
    f.contentWidth = 200;
    f.inSpeed = 25;
    f.stay = 2000;
    f.outCode = 3;
    PhasePlan p = planEntry(5, f);
    EXPECT_EQ(p.steps, 64u);
    EXPECT_EQ(p.period, 25u);
    EXPECT_TRUE(p.periodic);
    EXPECT_EQ(p.stay, 2000u);
    EXPECT_TRUE(p.exitPending);
    EXPECT_EQ(planEntry(1, f).steps, 200u);
    p = planEntry(44, f);
    EXPECT_EQ(p.period, 200u);
    EXPECT_EQ(p.steps, 10u);
    EXPECT_EQ(p.stay, 1u);
    EXPECT_EQ(planEntry(45, f).steps, 200u);
    EXPECT_EQ(planEntry(99, f).steps, 1u);
    // A negative stay is no stay at all, never a huge delay.
    f.stay = -5;
    EXPECT_EQ(planEntry(5, f).stay, 0u);
    EXPECT_EQ(planEntry(40, f).steps, 0u);
    EXPECT_EQ(planEntry(44, f).steps, 1u);
    // Animations and animated text are one-shot at their own delays.
    f.frameCount = 3;
    f.firstDelay = 100;
    p = planEntry(75, f);
    EXPECT_EQ(p.steps, 3u);
    EXPECT_EQ(p.period, 100u);
    EXPECT_FALSE(p.periodic);
    f.repeat = 2;
    f.frameInterval = 80;
    p = planEntry(79, f);
    EXPECT_EQ(p.steps, 9u);
    EXPECT_EQ(p.period, 80u);
    EXPECT_FALSE(p.periodic);
}

TEST(ExitEffects, EveryCodeEndsBlackInItsSteps)
{
    const QImage page = distinctPage(16, 8);
    ItemFacts f;
    f.width = 16;
    f.height = 8;
    f.outSpeed = 30;
    const std::map<int, unsigned> steps = {{0, 1},  {1, 1},  {2, 16}, {3, 16}, {4, 8},  {5, 8},  {6, 16},
                                           {7, 16}, {8, 8},  {9, 8},  {10, 8}, {11, 8}, {12, 4}, {13, 4},
                                           {14, 8}, {15, 8}, {16, 8}, {17, 8}, {18, 8}, {19, 8}};
    for (int code = 0; code <= 19; ++code) {
        SCOPED_TRACE(code);
        const PhasePlan plan = planExit(code, f);
        EXPECT_EQ(plan.steps, steps.at(code));
        EXPECT_EQ(plan.period, code == 1 ? 0u : 30u);
        QImage back = sentinelBack();
        QImage full(16, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x)
                back.setPixel(kArea.x() + x, kArea.y() + y, page.pixel(x, y));
        StepTarget t{&back, &page, kArea, 0, 0, 0, static_cast<int>(plan.steps), nullptr};
        for (int k = 0; k < t.n; ++k) {
            t.k = k;
            // Not black before the last step (but for the one-step codes).
            if (t.n > 1 && k == t.n - 1) {
                QImage a = areaOf(back);
                bool anyLit = false;
                for (int y = 0; y < 8; ++y)
                    for (int x = 0; x < 16; ++x)
                        anyLit |= a.pixel(x, y) != kBlack;
                EXPECT_TRUE(anyLit);
            }
            exitStepFunction(code)(t);
        }
        full.fill(Qt::black);
        EXPECT_EQ(areaOf(back), full);
        EXPECT_TRUE(outsideUntouched(back));
    }
}

TEST(RandomEffects, ChoicesStayInTheirSetsAndDiffer)
{
    RandomSource r(1);
    int v = 0;
    r.setGenerator([&v] { return (v += 1000) % 32768; });
    std::set<int> entries, exits, modes;
    for (int i = 0; i < 2000; ++i) {
        entries.insert(randomEntryCode(r));
        exits.insert(randomExitCode(r));
        modes.insert(randomBorderMode(r));
    }
    std::set<int> expected;
    for (int c = 0; c <= 22; ++c)
        expected.insert(c);
    expected.insert(40);
    EXPECT_EQ(entries, expected);
    EXPECT_EQ(*exits.begin(), 0);
    EXPECT_EQ(*exits.rbegin(), 18);
    EXPECT_EQ(exits.size(), 19u);
    EXPECT_EQ(modes, (std::set<int>{0, 1, 2, 3, 4}));
    // One seeded source: items starting together do not all get one effect.
    RandomSource seeded;
    std::set<int> drawn;
    for (int i = 0; i < 8; ++i)
        drawn.insert(randomEntryCode(seeded));
    EXPECT_GT(drawn.size(), 1u);
}

TEST(EntryEffects, FallingPixelsKeepTheirCounterOutOfTheStoredNode)
{
    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 16, 8));
    tagItemData* item = f.item(sec, {.in = 19, .inSpeed = 1, .stay = 10});
    std::vector<std::uint8_t> before(ITEMDATA_SIZE), after(ITEMDATA_SIZE);
    WriteNodeImage(*item, before.data());
    const auto record = WriteTypeRecord(*item->Item.TypeRecord);
    VirtualClock clock;
    CPlayProgram player(f.core, clock, f.random);
    player.SetCanvas(&f.canvas);
    player.Attach(sec);
    player.Start();
    clock.runUntil(200);
    EXPECT_GE(clock.times(clientOf(player), preview::TM_PLAY_TICK).size(), 32u);
    WriteNodeImage(*item, after.data());
    EXPECT_EQ(before, after);
    EXPECT_EQ(WriteTypeRecord(*item->Item.TypeRecord), record);
    player.Stop();
}

TEST(EntryEffects, AnimationFramesFollowTheirDelaysAndNeverReadPastTheLast)
{
    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 16, 8));
    tagItemData* gif = f.item(sec, {.in = 75, .inSpeed = 0, .stay = 500}, IT_GIF);
    ASSERT_TRUE(support::TreeBuilder::setRecord(gif, records::picture::FrameCount, std::uint32_t(3)));
    support::TreeBuilder::setRecord(gif, records::picture::Delays[0], std::uint32_t(100));
    support::TreeBuilder::setRecord(gif, records::picture::Delays[1], std::uint32_t(200));
    support::TreeBuilder::setRecord(gif, records::picture::Delays[2], std::uint32_t(300));
    support::TreeBuilder::setRecord(gif, records::picture::Delays[3], std::uint32_t(99999));   // past the last frame: never used
    VirtualClock clock;
    CPlayProgram player(f.core, clock, f.random);
    player.SetCanvas(&f.canvas);
    player.Attach(sec);
    player.SetLoop(true);
    player.Start();
    clock.runUntil(1500);
    const auto ticks = clock.times(clientOf(player), preview::TM_PLAY_TICK);
    ASSERT_GE(ticks.size(), 4u);
    EXPECT_EQ(std::vector<std::uint64_t>(ticks.begin(), ticks.begin() + 3), (std::vector<std::uint64_t>{100, 300, 600}));
    // Stay 500, then the item starts again: frame 0 comes 100 ms later.
    EXPECT_EQ(ticks[3], 1200u);
    player.Stop();
}

TEST(EntryEffects, AnimatedTextWithoutAFrameCountTakesTheEngines)
{
    PlayFixture f;
    tagItemData* sec = f.section(f.scene(), QRect(0, 0, 32, 16));
    tagItemData* text = f.item(sec, {.in = 79, .inSpeed = 0, .stay = 0}, IT_TEXTGIF);
    ASSERT_TRUE(support::TreeBuilder::setRecordText(text, QStringLiteral("Hi")));
    support::TreeBuilder::setRecord(text, records::textgif::FrameCount, std::uint32_t(0));   // no frame count stored
    support::TreeBuilder::setRecord(text, records::textgif::Delay, std::uint32_t(10));
    VirtualClock clock;
    CPlayProgram player(f.core, clock, f.random);
    player.SetCanvas(&f.canvas);
    player.Attach(sec);
    player.Start();
    clock.runUntil(2000);
    const auto ticks = clock.times(clientOf(player), preview::TM_PLAY_TICK);
    ASSERT_GT(ticks.size(), 1u);
    EXPECT_EQ(ticks[1] - ticks[0], 10u);
    player.Stop();
}

TEST(SceneBackground, LeavesSectionsAloneAndOptionBlacksOutTheScene)
{
    PlayFixture f(32, 16);
    tagItemData* g = f.scene(-1, IT_GLOBALSCENE);
    f.item(f.section(g, QRect(0, 0, 8, 8)), {.stay = 100000});
    tagItemData* a = f.scene(-1);
    a->Scene.DisplayOption = 1;
    f.item(f.section(a, QRect(16, 0, 16, 16)), {.in = 0, .inSpeed = 10, .stay = 100000});
    {
        std::lock_guard lock(f.canvas.mutex());
        f.canvas.backBuffer().fill(qRgb(50, 60, 70));
    }
    VirtualClock clock;
    CPlayControl control(f.core, clock, f.random);
    control.SetCanvas(&f.canvas);
    control.SetScene(a, a);
    control.Start();
    clock.runUntil(0);
    QImage content = f.canvas.contentCopy();
    // Blacked out except where the global section stands.
    EXPECT_EQ(content.pixel(20, 10), kBlack);
    EXPECT_EQ(content.pixel(3, 3), qRgb(50, 60, 70));
    {
        std::lock_guard lock(f.canvas.mutex());
        f.canvas.backBuffer().fill(qRgb(50, 60, 70));
    }
    // The background step: drawn outside the sections only.
    clock.runUntil(1);
    content = f.canvas.contentCopy();
    EXPECT_EQ(content.pixel(3, 3), qRgb(50, 60, 70));
    EXPECT_EQ(content.pixel(20, 10), qRgb(50, 60, 70));
    EXPECT_NE(content.pixel(10, 12), qRgb(50, 60, 70));
    control.Stop();
}
