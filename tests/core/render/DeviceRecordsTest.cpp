// Clock and counter device records byte for byte, with glyph bitmaps of known size.
#include "core/render/DeviceRecords.h"

#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/render/AnalogClock.h"
#include "platform/ByteIO.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

using namespace sorvane::render;

namespace {

// Each glyph: as many bytes as its code unit's low nibble + 2, filled with that unit's low byte.
std::vector<std::uint8_t> fakeGlyph(const QString& s)
{
    const char16_t c = s.at(0).unicode();
    return std::vector<std::uint8_t>(static_cast<std::size_t>((c & 0xF) + 2), static_cast<std::uint8_t>(c));
}

std::unique_ptr<ItemRecord> clock(std::uint32_t flags)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKDIGIT));
    r->set(clockdigit::ShowFlags, flags);
    return r;
}

QString order(const std::vector<GlyphCode>& set)
{
    QString s;
    for (const GlyphCode& g : set)
        s += g.Char;
    return s;
}

}

TEST(DeviceRecords, GlyphSetsInCodeOrder)
{
    auto r = clock(0x70);
    EXPECT_EQ(order(ClockGlyphSet(*r, ClockLayout::Chinese)), QStringLiteral(u"0123456789AP一四日五六三二"));
    r->set(clockdigit::TimeFormat, 1);
    EXPECT_EQ(order(ClockGlyphSet(*r, ClockLayout::Chinese)), QStringLiteral(u"0123456789一下四上日五六三二"));
    EXPECT_EQ(order(ClockGlyphSet(*r, ClockLayout::English)), QStringLiteral("0123456789ADFJMNOPSTWabcdeghilnoprtuvy"));
    EXPECT_EQ(CounterGlyphSet().size(), 10u);
    const auto cn = ClockGlyphSet(*r, ClockLayout::Chinese);
    EXPECT_EQ(cn[10].Code[0], 0xD2);   // 一 lead byte first
    EXPECT_EQ(cn[10].Code[1], 0xBB);
    EXPECT_EQ(cn[0].Code[0], '0');
    EXPECT_EQ(cn[0].Code[1], 0);
}

TEST(DeviceRecords, RoleMasks)
{
    EXPECT_EQ(ClockRoleMask(*clock(0x70), ClockLayout::Chinese), 0x3CC00u);
    auto two = clock(0x01);
    two->set(clockdigit::TwoDigitYear, 1);
    EXPECT_EQ(ClockRoleMask(*two, ClockLayout::Chinese), 0xCu);
    auto all = clock(0xFF);
    EXPECT_EQ(ClockRoleMask(*all, ClockLayout::Chinese), 0x7CDFFu);   // AM/PM letter, not the character; 24 hours
    all->set(clockdigit::TimeFormat, 1);
    all->set(clockdigit::Hour12, 1);
    EXPECT_EQ(ClockRoleMask(*all, ClockLayout::Chinese), 0xF000u | 0x30000u | 0x3FFu);
    all->set(clockdigit::DateFormat, 2);
    EXPECT_EQ(ClockRoleMask(*all, ClockLayout::English), 0xFu | 0x1C0u | 0x600u | 0x3800u | 0x30000u | 0xC0000u |
                                                             0x300000u | 0x400000u);
    EXPECT_EQ(ClockRoleMask(*all, ClockLayout::None), 0u);
}

TEST(DeviceRecords, TimeOnlyClockRecordBytes)
{
    auto r = clock(0x70);
    r->set(clockdigit::Colour, 0x00112233);
    std::vector<QRect> cells(17, QRect(0, 0, 0, 0));
    for (int i = 0; i < 6; ++i)
        cells[static_cast<std::size_t>(10 + i)] = QRect(5 + 7 * i, 2, 7, 12);
    const auto rec = BuildDigitalClockRecord(*r, ClockLayout::Chinese, cells, 3, 90, true, fakeGlyph);
    const std::uint8_t* p = rec.data();
    EXPECT_EQ(bytes::get32(p, 4), 0u);
    EXPECT_EQ(bytes::get32(p, 12), 0x00113322u);   // red and green exchanged
    EXPECT_EQ(bytes::get32(p, 16), 0x3CC00u);
    EXPECT_EQ(bytes::get32(p, 20), 76u);
    EXPECT_EQ(bytes::get16(p, 24), 90);
    EXPECT_EQ(bytes::get16(p, 26), 6);
    EXPECT_EQ(bytes::get16(p, 28), 5);
    EXPECT_EQ(bytes::get16(p, 30), 5);    // moved down by 3
    EXPECT_EQ(bytes::get16(p, 32), 12);
    EXPECT_EQ(bytes::get16(p, 34), 17);
    EXPECT_EQ(bytes::get16(p, 36 + 8 * 4), 5 + 35);
    const std::uint8_t* t = p + 76;
    EXPECT_EQ(t[9], 8);
    EXPECT_EQ(bytes::get16(t, 10), 19);
    // Bitmaps follow the 19 entries at 164, back to back in entry order.
    std::size_t expect = 164;
    const auto set = ClockGlyphSet(*r, ClockLayout::Chinese);
    for (std::size_t i = 0; i < set.size(); ++i) {
        EXPECT_EQ(t[12 + 8 * i], set[i].Code[0]);
        EXPECT_EQ(bytes::get32(t, 16 + 8 * i), expect) << i;
        const auto g = fakeGlyph(QString(set[i].Char));
        EXPECT_EQ(t[expect], g[0]);
        expect += g.size();
    }
    EXPECT_EQ(rec.size(), 76 + expect);
    // English: glyph set 1, the colour unchanged.
    const auto en = BuildDigitalClockRecord(*r, ClockLayout::English, std::vector<QRect>(19), 0, 0, true, fakeGlyph);
    EXPECT_EQ(bytes::get32(en.data(), 4), 1u);
    EXPECT_EQ(bytes::get32(en.data(), 12), 0x00112233u);
    EXPECT_EQ(bytes::get16(en.data() + 36, 10), 38);
    EXPECT_TRUE(BuildDigitalClockRecord(*r, ClockLayout::None, cells, 0, 0, false, fakeGlyph).empty());
}

TEST(DeviceRecords, CounterRecords)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT));
    r->set(counter::Target, 123456);
    const auto none = BuildCounterRecord(*r, {}, 0, 0, false, fakeGlyph);
    EXPECT_EQ(bytes::get32(none.data(), 8), 123456u);
    EXPECT_EQ(bytes::get32(none.data(), 20), 36u);
    EXPECT_EQ(bytes::get16(none.data(), 26), 0);
    for (int i = 28; i < 36; ++i)
        EXPECT_EQ(none[static_cast<std::size_t>(i)], 0);
    EXPECT_EQ(bytes::get16(none.data() + 36, 10), 10);
    EXPECT_EQ(bytes::get32(none.data() + 36, 16), 92u);
    std::vector<QRect> nine;
    for (int i = 0; i < 9; ++i)
        nine.emplace_back(i * 6, 0, 6, 10);
    const auto up = BuildCounterRecord(*r, nine, CounterCellMask(0x40, {0, 0, 0, 9}), 54, false, fakeGlyph);
    EXPECT_EQ(bytes::get32(up.data(), 16), 0x1FFu);
    EXPECT_EQ(bytes::get32(up.data(), 20), 36u + 64u);
    EXPECT_EQ(bytes::get16(up.data(), 26), 9);
}

TEST(DeviceRecords, WideGlyphsGrowTheRecord)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT));
    auto wide = [](const QString&) { return std::vector<std::uint8_t>(500, 0xAB); };
    const auto rec = BuildCounterRecord(*r, {}, 0, 0, false, wide);
    EXPECT_EQ(rec.size(), 36u + 92u + 5000u);
    EXPECT_EQ(rec.back(), 0xAB);
}

TEST(DeviceRecords, AnalogRecordListsEveryHandPosition)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKSIMUL));
    r->set(clocksimul::HourMarkSize, 0);
    const std::vector<std::uint8_t> date{1, 2, 3};
    const auto rec = BuildAnalogClockRecord(*r, 40, 30, true, date);
    const std::uint8_t* p = rec.data();
    EXPECT_EQ(bytes::get32(p, 0), 724u);
    const std::uint32_t trailer = bytes::get32(p, 720);
    for (int i = 1; i < 180; ++i)
        EXPECT_LE(bytes::get32(p, 4 * static_cast<std::size_t>(i - 1)), bytes::get32(p, 4 * static_cast<std::size_t>(i)));
    EXPECT_EQ(rec.size(), trailer + 52u + 3u);
    // Second hand at 0 on a 30 × 30 face: pixels straight up from (15, 15).
    const std::uint32_t s0 = bytes::get32(p, 0), s1 = bytes::get32(p, 4);
    ASSERT_GT(s1, s0);
    for (std::uint32_t at = s0; at < s1; at += 2)
        EXPECT_EQ(p[at], 15);
    EXPECT_EQ(bytes::get16(p + trailer, 2), 52);
    EXPECT_EQ(bytes::get32(p + trailer, 4), 0xFFFFFFu);
    EXPECT_EQ(bytes::get32(p + trailer, 12), 0x00FFFFu);   // yellow stays yellow when swapped
    EXPECT_EQ(bytes::get32(p + trailer, 20), 0x008080u);
    EXPECT_EQ(rec[trailer + 52], 1);
    // Faces beyond byte coordinates are built at the largest size that fits.
    const auto big = BuildAnalogClockRecord(*r, 400, 400, false, {});
    EXPECT_GT(big.size(), 724u + 52u);
}

// The hand lists as drawn on a whole cleared face and scanned whole.
std::vector<std::uint8_t> wholeFaceLists(const ItemRecord& r, int size)
{
    const int S = std::min(size, MaxAnalogFace);
    QImage face(S, S, QImage::Format_RGB32);
    std::vector<std::uint8_t> out;
    for (Hand h : {Hand::Second, Hand::Minute, Hand::Hour})
        for (int i = 0; i < 60; ++i) {
            face.fill(Qt::black);
            {
                QPainter p(&face);
                DrawHand(h, i, p, 0, 0, S, S, r, true);
            }
            const auto list = BitmapToPixelList(face);
            out.insert(out.end(), list.begin(), list.end());
        }
    return out;
}

TEST(DeviceRecords, AnalogHandListsEqualWholeFaceScans)
{
    struct Case {
        int size, secondW, minuteW, hourW, secondL, minuteL, hourL, mark;
    };
    const Case cases[] = {
        {30, 1, 4, 6, 90, 80, 50, 0},      {64, 3, 7, 10, 120, 90, 40, 2},  {100, 5, 2, 3, 100, 100, 100, 8},
        {256, 16, 30, 40, 300, 250, 200, 4}, {400, 2, 9, 13, 95, 85, 60, 0}, {17, 8, 1, 0, 0, 1000, 5, 30},
        {128, 1, 0, 1, 40000, 20, 7, 200},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKSIMUL));
        r->set(clocksimul::SecondWidth, std::uint32_t(c.secondW));
        r->set(clocksimul::MinuteWidth, std::uint32_t(c.minuteW));
        r->set(clocksimul::HourWidth, std::uint32_t(c.hourW));
        r->set(clocksimul::SecondLength, std::uint32_t(c.secondL));
        r->set(clocksimul::MinuteLength, std::uint32_t(c.minuteL));
        r->set(clocksimul::HourLength, std::uint32_t(c.hourL));
        r->set(clocksimul::HourMarkSize, std::uint32_t(c.mark));
        const auto rec = BuildAnalogClockRecord(*r, c.size, c.size + 3, false, {});
        ASSERT_GE(rec.size(), 724u + 52u);
        const std::uint32_t trailer = bytes::get32(rec.data(), 720);
        const std::vector<std::uint8_t> lists(rec.begin() + 724, rec.begin() + trailer);
        EXPECT_EQ(lists, wholeFaceLists(*r, c.size)) << "face " << c.size;
    }
}

TEST(DeviceRecords, DateBandRecordOfAFace)
{
    std::unique_ptr<ItemRecord> face(ItemRecord::Create(IT_CLOCKSIMUL));
    face->set(clocksimul::FaceFlags, 3);
    const auto band = MakeDateBandRecord(*face);
    EXPECT_EQ(band->get(clockdigit::ShowFlags), 14u);
    EXPECT_EQ(band->get(clockdigit::DateFormat), 2u);
    EXPECT_EQ(band->get(clockdigit::MultiLine), 1u);
    EXPECT_EQ(band->get(clockdigit::Colour), 0xFFu);
    EXPECT_EQ(band->get(clockdigit::TimeFormat), 0u);
}
