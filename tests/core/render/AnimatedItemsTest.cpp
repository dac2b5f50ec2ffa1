// Animated text, clocks, counters and borders through the painters, the
// core's border exports and the compiler; galleries of every clock layout
// and border motion for a reviewer.
#include "RenderTestUtil.h"
#include "core/api/Core.h"
#include "core/api/TextCartoon.h"
#include "core/api/WorkMode.h"
#include "core/model/DynFrame.h"
#include "core/render/AnalogClock.h"
#include "core/render/ClockPaint.h"
#include "core/render/ContentCompiler.h"
#include "core/render/DeviceRecords.h"
#include "core/render/FrameRender.h"
#include "core/render/NodeArea.h"
#include "core/render/PaintDispatch.h"
#include "platform/FontMap.h"
#include "platform/LogFont.h"

#include <QDir>
#include <QPainter>
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>
#include <memory>

using namespace sorvane::render;

using namespace sorvane::model;

namespace {

using namespace reftest;

const QString kRtf = QStringLiteral(
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}{\\colortbl ;\\red255\\green255\\blue0;}"
    "\\pard\\cf1\\f0\\fs16 LED\\par}");

// Behind the parent's last child.
constexpr auto addChild = &support::TreeBuilder::append;

int litIn(const QImage& img, const QRect& r)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.rect().contains(x, y) && (img.pixel(x, y) & 0xFFFFFF) != 0)
                ++n;
    return n;
}

void setFont(ItemRecord* r, records::Font off, int height)
{
    LOGFONT lf{};
    lf.lfHeight = -height;
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    SetLogFontFaceName(lf, u"DejaVu Sans");
    r->set(off, lf);
}

void giveBorder(tagItemData* node, int width, std::uint8_t motion)
{
    CreateFrame(node);
    DynFrame* f = *FrameSlotOf(node);
    f->Width = static_cast<std::uint16_t>(width);
    DynFrameElement* e = CreateFrameElement(0, u"line", f, nullptr);
    e->Motion = motion;
}

QString outputDir(const char* sub)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + QLatin1Char('/') + QLatin1String(sub);
    QDir().mkpath(dir);
    return dir;
}

class AnimatedItems : public ::testing::Test {
protected:
    void SetUp() override
    {
        core.SetCurLang(9);
        screen = tree.screen(support::ScreenSpec{128, 32});
        scene = tree.scene(screen);
        section = tree.section(scene);
        section->Section.RectW = 64;   // the new section's corner kept
        section->Section.RectH = 32;
    }
    CCore core;
    support::TreeBuilder tree;
    tagItemData* header = tree.header();
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* section = nullptr;
};

} // namespace

TEST_F(AnimatedItems, AnimatedTextStoresItsFrameCountAndShowsTheLastFrame)
{
    tagItemData* item = addChild(section, IT_TEXTGIF, u"anim");
    ItemRecord* rec = item->Item.TypeRecord;
    ASSERT_NE(rec, nullptr);
    records::SetItemText(item, kRtf);
    for (int effect : {0, 13, 44, 70}) {
        rec->set(records::textgif::Effect, static_cast<std::uint16_t>(effect));
        ASSERT_EQ(PaintItemByKind(item), 1);
        render::TextCartoon ref(64, 32);
        ref.SetText(kRtf);
        ref.SetEffect(effect);
        EXPECT_EQ(rec->get(records::textgif::FrameCount), static_cast<std::uint32_t>(ref.FrameCount())) << effect;
        QImage expected(64, 32, QImage::Format_RGB32);
        expected.fill(Qt::black);
        ref.DrawFrame(expected, ref.FrameCount());
        EXPECT_EQ(GetNodePicture(item).copy(0, 0, 64, 32).convertToFormat(QImage::Format_RGB32), expected) << effect;
        EXPECT_GT(litIn(expected, expected.rect()), 20) << effect;
    }
    EXPECT_EQ(item->Item.ContentW, 64u);
    EXPECT_EQ(item->Item.ContentH, 32u);
}

TEST_F(AnimatedItems, ClocksAndCountersPaintInTheCoreLanguage)
{
    tagItemData* clock = addChild(section, IT_CLOCKDIGIT, u"clock");
    setFont(clock->Item.TypeRecord, sorvane::render::clockdigit::TextFont, 12);
    clock->Item.TypeRecord->set(sorvane::render::clockdigit::ShowFlags, 0x70);
    ASSERT_EQ(PaintItemByKind(clock), 1);
    EXPECT_GT(clock->Item.ContentW, 20u);
    EXPECT_EQ(clock->Item.ContentH, 32u);
    EXPECT_GT(litIn(GetNodePicture(clock), GetNodePicture(clock).rect()), 20);

    // A language without a layout: a black picture of the measured size.
    core.SetCurLang(7);
    ASSERT_EQ(PaintItemByKind(clock), 1);
    EXPECT_EQ(litIn(GetNodePicture(clock), GetNodePicture(clock).rect()), 0);
    core.SetCurLang(4);
    ASSERT_EQ(PaintItemByKind(clock), 1);
    EXPECT_GT(litIn(GetNodePicture(clock), GetNodePicture(clock).rect()), 20);

    tagItemData* count = addChild(section, IT_COUNT, u"count");
    setFont(count->Item.TypeRecord, sorvane::render::counter::TextFont, 12);
    ASSERT_EQ(PaintItemByKind(count), 1);
    EXPECT_GT(litIn(GetNodePicture(count), GetNodePicture(count).rect()), 10);

    tagItemData* analog = addChild(section, IT_CLOCKSIMUL, u"analog");
    ASSERT_EQ(PaintItemByKind(analog), 1);
    EXPECT_EQ(analog->Item.ContentW, 64u);
    EXPECT_GT(litIn(GetNodePicture(analog), GetNodePicture(analog).rect()), 10);

    for (tagItemData* n : {clock, count, analog}) {
        ItemRecord* keep = n->Item.TypeRecord;
        n->Item.TypeRecord = nullptr;
        EXPECT_EQ(PaintItemByKind(n), 0);
        n->Item.TypeRecord = keep;
    }
}

TEST_F(AnimatedItems, SceneAndSectionBordersArePaintedInTheirBand)
{
    giveBorder(section, 2, 0);
    ASSERT_EQ(PaintItemByKind(section), 1);
    const QImage& img = GetNodePicture(section);
    EXPECT_GT(litIn(img, QRect(0, 0, 64, 2)), 0);
    EXPECT_EQ(litIn(img, QRect(2, 2, 60, 28)), 0);

    giveBorder(scene, 1, 0);
    ASSERT_EQ(PaintItemByKind(scene), 1);
    EXPECT_GT(litIn(GetNodePicture(scene), QRect(0, 0, 128, 1)), 0);
    EXPECT_EQ(litIn(GetNodePicture(scene), QRect(1, 1, 126, 30)), 0);
}

TEST(CoreBorderExports, ColoursAndPaintingThroughTheCore)
{
    DynFrame frame;
    frame.Width = 2;
    DynFrameElement* e = CreateFrameElement(0, u"e", &frame, nullptr);
    std::uint32_t* colours = nullptr;
    EXPECT_EQ(CCore::GetFrameElementColors(colours, 0, e), 0);
    EXPECT_EQ(colours, nullptr);
    EXPECT_EQ(CCore::GetFrameElementColors(colours, 2, nullptr), 0);
    ASSERT_EQ(CCore::GetFrameElementColors(colours, 2, e), 1);
    ASSERT_NE(colours, nullptr);
    const auto expected = sorvane::render::CollectFrameElementColors(2, e);
    ASSERT_EQ(expected.size(), std::size_t(e->Period) * 2);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), colours));
    // A second call replaces the array it is given.
    ASSERT_EQ(CCore::GetFrameElementColors(colours, 2, e), 1);

    QImage viaCore(40, 20, QImage::Format_RGB32), direct(40, 20, QImage::Format_RGB32);
    viaCore.fill(Qt::black);
    direct.fill(Qt::black);
    const QRect r(0, 0, 40, 20);
    sorvane::render::FrameAnimState s1 = sorvane::render::InitialFrameState(*e, 40, 20, 2), s2 = s1;
    s1.Phase = s2.Phase = 3;
    EXPECT_EQ(CCore::PaintDynFrame(&viaCore, &r, &frame, &s1, nullptr, colours), 1);
    sorvane::render::PaintDynFrame(direct, r, frame, &s2, nullptr, nullptr);
    EXPECT_EQ(viaCore, direct);
    EXPECT_GT(litIn(viaCore, r), 0);
    EXPECT_EQ(CCore::PaintDynFrame(nullptr, &r, &frame, nullptr, nullptr, nullptr), 1);

    EXPECT_EQ(CCore::ReleaseFrameElementColors(colours), 1);
    EXPECT_EQ(colours, nullptr);
    RemoveFrameElement(&frame, e);
}

TEST_F(AnimatedItems, EveryKindCompilesIntoTheBlocksWithItsRecords)
{
    screen->Global.Width = 128;
    scene->Scene.Schedule = 1;
    giveBorder(scene, 1, 2);
    giveBorder(section, 1, 0);
    section->Section.RectW = 64;
    tagItemData* second = addChild(scene, IT_WND_TEXT, u"right");
    second->Section.RectX = 64;
    second->Section.RectW = 64;
    second->Section.RectH = 32;

    tagItemData* anim = addChild(section, IT_TEXTGIF, u"anim");
    records::SetItemText(anim, kRtf);
    anim->Item.TypeRecord->set(records::textgif::Effect, 13);
    anim->Item.TypeRecord->set(records::textgif::Repeat, 1);   // played twice
    tagItemData* clock = addChild(section, IT_CLOCKDIGIT, u"clock");
    setFont(clock->Item.TypeRecord, sorvane::render::clockdigit::TextFont, 12);
    clock->Item.TypeRecord->set(sorvane::render::clockdigit::ShowFlags, 0x70);
    tagItemData* count = addChild(second, IT_COUNT, u"count");
    setFont(count->Item.TypeRecord, sorvane::render::counter::TextFont, 12);
    count->Item.TypeRecord->set(sorvane::render::counter::Target, 0x7FFFFFFF);
    tagItemData* analog = addChild(second, IT_CLOCKSIMUL, u"analog");
    for (tagItemData* n : {scene, section, second, anim, clock, count, analog})
        ASSERT_EQ(PaintItemByKind(n), 1);

    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const Mode mode;
    const std::size_t P = 4 * 4 * 4 * 64;   // RowFold 4, scan 4, 64 columns

    // Animated text: every frame of the effect, the whole run twice.
    const std::uint32_t frames = anim->Item.TypeRecord->get(records::textgif::FrameCount);
    ASSERT_GT(frames, 1u);
    const auto& pages = CContentCompiler::CompiledSlot(anim, 0);
    ASSERT_EQ(pages.size(), 2 * frames * P);
    EXPECT_TRUE(std::equal(pages.begin(), pages.begin() + std::ptrdiff_t(frames * P), pages.begin() + std::ptrdiff_t(frames * P)));
    // The section's border leaves the items 62 × 30 at row 1.
    render::TextCartoon ref(62, 30);
    ref.SetText(kRtf);
    ref.SetEffect(13);
    QImage content(62, 30, QImage::Format_RGB32);
    content.fill(Qt::black);
    ref.DrawFrame(content, 1);
    QImage work(64, 32, QImage::Format_RGB32);
    work.fill(Qt::black);
    QPainter(&work).drawImage(0, 1, content);
    EXPECT_EQ(Bytes(pages.begin(), pages.begin() + std::ptrdiff_t(P)), page(work, mode, false));
    const auto& header = CContentCompiler::CompiledSlot(anim, 1);
    ASSERT_EQ(header.size(), 16 + 4 * 2 * std::size_t(frames));
    EXPECT_EQ(get32(header, 0), 2 * frames);
    EXPECT_EQ(get32(header, 4), P);
    for (std::size_t i = 0; i < 2 * frames; ++i)
        EXPECT_EQ(get32(header, 16 + 4 * i), 100u) << i;

    // Clocks and counters: one page each and their device records.
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(clock, 0), P);
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(count, 0), P);
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(analog, 0), P);
    const QRect clockArea = sorvane::render::NodeClientRect(clock);
    EXPECT_EQ(CContentCompiler::CompiledSlot(clock, 1), BuildClockDeviceRecord(clock, clockArea, false));
    EXPECT_EQ(get32(CContentCompiler::CompiledSlot(clock, 1), 4), 1u);   // English glyph set
    EXPECT_EQ(get32(CContentCompiler::CompiledSlot(clock, 1), 16),
              sorvane::render::ClockRoleMask(*clock->Item.TypeRecord, sorvane::render::ClockLayout::English));
    EXPECT_EQ(CContentCompiler::CompiledSlot(count, 1), BuildClockDeviceRecord(count, sorvane::render::NodeClientRect(count), false));
    EXPECT_EQ(get32(CContentCompiler::CompiledSlot(count, 1), 8), 0x7FFFFFFFu);

    // The analog record's offsets count from the start of the program data.
    const auto& analogRecord = CContentCompiler::CompiledSlot(analog, 1);
    const std::uint32_t at = get32(CContentCompiler::CompiledSlot(analog, 2), 16);
    ASSERT_GT(analogRecord.size(), 724u);
    EXPECT_EQ(get32(analogRecord, 0), at + 724);
    Bytes unplaced = BuildClockDeviceRecord(analog, sorvane::render::NodeClientRect(analog), false);
    ASSERT_EQ(unplaced.size(), analogRecord.size());
    for (std::size_t i = 0; i < 181; ++i)
        EXPECT_EQ(get32(analogRecord, 4 * i), get32(unplaced, 4 * i) + at) << i;
    EXPECT_TRUE(std::equal(analogRecord.begin() + 724, analogRecord.end(), unplaced.begin() + 724));

    // Borders: the schedule then the scene's "fram"; the section's "fram".
    const ChannelThresholds t = ThresholdsFor(LookupWorkMode(17).ColourCount, ColourThreshold());
    sorvane::render::LedQuantiser leds;
    leds.Red = int(t.Red);
    leds.Green = int(t.Green);
    leds.Blue = int(t.Blue);
    const auto& d = CContentCompiler::CompiledSlot(scene, 3);
    ASSERT_GT(d.size(), 40u);
    EXPECT_EQ(std::string(d.begin(), d.begin() + 4), "stmr");
    EXPECT_EQ(Bytes(d.begin() + 36, d.end()), sorvane::render::BuildFrameRecord(**FrameSlotOf(scene), sorvane::render::NodeRect(scene), leds));
    EXPECT_EQ(std::string(d.begin() + 36, d.begin() + 40), "fram");
    EXPECT_EQ(CContentCompiler::CompiledSlot(section, 2),
              sorvane::render::BuildFrameRecord(**FrameSlotOf(section), sorvane::render::NodeRect(section), leds));
    EXPECT_FALSE(CContentCompiler::CompiledSlot(section, 2).empty());

    // The program data block holds each record where the descriptors say.
    Bytes data(CContentCompiler::GetProgramDataSize(screen));
    ASSERT_EQ(CContentCompiler::CopyProgramData(screen, data.data(), data.size()), data.size());
    for (tagItemData* item : {anim, clock, count, analog}) {
        const auto& desc = CContentCompiler::CompiledSlot(item, 2);
        const auto& rec = CContentCompiler::CompiledSlot(item, 1);
        ASSERT_EQ(get32(desc, 20), rec.size());
        EXPECT_TRUE(std::equal(rec.begin(), rec.end(), data.begin() + get32(desc, 16)));
    }
    EXPECT_GT(CContentCompiler::GetPageMapSize(screen), 0u);
    EXPECT_GT(CContentCompiler::GetProgramMapSize(screen), 0u);
    EXPECT_GT(CContentCompiler::GetProgramMaskSize(screen), 0u);
    CContentCompiler::FreeBuffers(screen);
}

TEST(Galleries, EveryClockLayout)
{
    const QString dir = outputDir("clocks");
    const sorvane::render::ClockNow now{2024, 5, 17, 5, 13, 5, 9};
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    const std::uint32_t shows[] = {0x70, 0x0F, 0x7F, 0xFF};
    for (int lang : {4, 9})
        for (int multi : {0, 1})
            for (std::uint32_t timeFormat : {0u, 1u}) {
                QImage sheet(260, 4 * 48, QImage::Format_RGB32);
                sheet.fill(Qt::black);
                for (int i = 0; i < 4; ++i) {
                    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKDIGIT));
                    r->set(sorvane::render::clockdigit::ShowFlags, shows[i]);
                    r->set(sorvane::render::clockdigit::MultiLine, std::uint32_t(multi));
                    r->set(sorvane::render::clockdigit::TimeFormat, timeFormat);
                    r->set(sorvane::render::clockdigit::Colour, 0x00FFFF);
                    sorvane::render::DrawDigitalClock(sheet, QRect(2, 48 * i + 2, 256, 44), *r, font, now, lang, false);
                }
                EXPECT_GT(litIn(sheet, sheet.rect()), 100);
                EXPECT_TRUE(sheet.save(QStringLiteral("%1/digital-%2-%3-%4.png")
                                           .arg(dir, lang == 9 ? QStringLiteral("en") : QStringLiteral("zh"),
                                                multi ? QStringLiteral("lines") : QStringLiteral("line"))
                                           .arg(timeFormat)));
            }
    QImage counters(260, 2 * 48, QImage::Format_RGB32);
    counters.fill(Qt::black);
    for (int mode = 0; mode < 2; ++mode) {
        std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT));
        r->set(sorvane::render::counter::CountMode, std::uint32_t(mode));
        r->set(sorvane::render::counter::Target, 800000000);
        sorvane::render::DrawCounter(counters, QRect(2, 48 * mode + 2, 256, 44), *r, font, now, 9, false);
    }
    EXPECT_TRUE(counters.save(dir + QStringLiteral("/counters.png")));
    QImage faces(4 * 100, 100, QImage::Format_RGB32);
    faces.fill(Qt::black);
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKSIMUL));
        r->set(sorvane::render::clocksimul::HourMarkStyle, std::uint32_t(i + 1));
        r->set(sorvane::render::clocksimul::FaceFlags, std::uint8_t(i));
        sorvane::render::DrawAnalogFace(faces, *r, 100 * i, 0, 100, 100, false, now, i % 2 ? 9 : 4);
        QPainter p(&faces);
        sorvane::render::DrawClockHands(p, *r, 100 * i, 0, 100, 100, now);
    }
    EXPECT_GT(litIn(faces, faces.rect()), 200);
    EXPECT_TRUE(faces.save(dir + QStringLiteral("/analog-faces.png")));
}

TEST(Galleries, EveryBorderMotion)
{
    const QString dir = outputDir("borders");
    for (int corner : {0, 1})
        for (std::uint16_t type : {0, 3, 6})
            for (std::uint8_t motion = 0; motion <= 5; ++motion) {
                DynFrame frame;
                frame.Width = 3;
                frame.CornerStyle = static_cast<std::uint8_t>(corner);
                DynFrameElement* e = CreateFrameElement(type, u"e", &frame, nullptr);
                ASSERT_NE(e, nullptr);
                e->Motion = motion;
                const QRect r(0, 0, 48, 24);
                sorvane::render::FrameAnimState s = sorvane::render::InitialFrameState(*e, 48, 24, 3);
                QImage canvas(48, 24, QImage::Format_RGB32);
                canvas.fill(Qt::black);
                QImage strip(4 * 52, 24, QImage::Format_RGB32);
                strip.fill(Qt::black);
                int shot = 0;
                for (int phase = 0; phase <= 60 && shot < 4; ++phase) {
                    s.Phase = phase;
                    sorvane::render::PaintDynFrame(canvas, r, frame, &s, nullptr, nullptr);
                    if (phase % 20 == 0 || phase == 3) {
                        QPainter p(&strip);
                        p.drawImage(52 * shot++, 0, canvas);
                    }
                }
                EXPECT_GT(litIn(strip, strip.rect()), 0) << type << ' ' << int(motion);
                EXPECT_TRUE(strip.save(QStringLiteral("%1/border-c%2-t%3-m%4.png").arg(dir).arg(corner).arg(type).arg(motion)));
                RemoveFrameElement(&frame, e);
            }
}

TEST_F(AnimatedItems, AnimatedTextWithoutAStoredCountCompilesEveryFrameOfItsEffect)
{
    tagItemData* anim = addChild(section, IT_TEXTGIF, u"anim");
    records::SetItemText(anim, kRtf);
    anim->Item.TypeRecord->set(records::textgif::Effect, 13);
    anim->Item.TypeRecord->set(records::textgif::FrameCount, 0);   // as stored by a file that was never previewed
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    render::TextCartoon ref(64, 32);
    ref.SetText(kRtf);
    ref.SetEffect(13);
    const std::size_t P = 4 * 4 * 4 * 64;
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(anim, 0), std::size_t(ref.FrameCount()) * P);
    EXPECT_EQ(get32(CContentCompiler::CompiledSlot(anim, 1), 0), std::uint32_t(ref.FrameCount()));
    CContentCompiler::FreeBuffers(screen);
}
