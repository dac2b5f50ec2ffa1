#include "ImageBytes.h"
#include "TreeFixture.h"
#include "core/model/ItemData.h"
#include "core/model/StoredRecords.h"
#include "core/api/TypeRecords.h"

#include <gtest/gtest.h>
#include <memory>

using namespace sorvane::model;

// The stored bytes of every record kind, and the schema's fields over them.
// Offsets are written out here on purpose: this is the one test that holds
// the schema to the stored format.

namespace {
Bytes recordImage(std::uint16_t type)
{
    ItemRecord* r = ItemRecord::Create(type);
    EXPECT_NE(r, nullptr);
    Bytes out = WriteTypeRecord(*r);
    delete r;
    return out;
}
}

TEST(TypeRecords, SingleLineAndTextBytes)
{
    Bytes want(112, 0);
    want[3] = 1;
    setDefaultFont(want, 8);
    set32(want, 100, 0xFFFF);
    Bytes text(20, 0);
    setWide(text, 0, u"Singleline");
    want.insert(want.end(), text.begin(), text.end());
    EXPECT_EQ(diffOffsets(recordImage(IT_SINGLELINE), want), std::vector<std::size_t>{});

    Bytes rich = recordImage(IT_TEXT);
    ASSERT_EQ(rich.size(), 276u + 354u);
    EXPECT_EQ(diffOffsets(Bytes(rich.begin(), rich.begin() + 276), Bytes(276, 0)), std::vector<std::size_t>{});
    EXPECT_EQ(rich[276], '{');
    EXPECT_EQ(rich[277], 0);
    EXPECT_EQ(rich[276 + 2 * 176], '}');

    Bytes anim = recordImage(IT_TEXTGIF);
    Bytes wantAnim(20, 0);
    set32(wantAnim, 8, 100);
    EXPECT_EQ(diffOffsets(Bytes(anim.begin(), anim.begin() + 20), wantAnim), std::vector<std::size_t>{});
    EXPECT_EQ(anim.size(), 20u + 354u);
}

TEST(TypeRecords, PictureClockAndCounterBytes)
{
    Bytes gif(16916, 0);
    set32(gif, 0, 1);
    EXPECT_EQ(diffOffsets(recordImage(IT_GIF), gif), std::vector<std::size_t>{});
    EXPECT_EQ(diffOffsets(recordImage(IT_IMAGE), Bytes(16916, 0)), std::vector<std::size_t>{});
    EXPECT_EQ(diffOffsets(recordImage(IT_GRID), Bytes(20, 0)), std::vector<std::size_t>{});

    Bytes analog(1200, 0);
    const std::pair<std::size_t, std::uint32_t> words[] = {
        {20, 0xFFFFFF}, {24, 0xFFFF}, {28, 0x8080}, {40, 0xFFFF}, {44, 0xFFFFFF}, {52, 0xFFFF}, {56, 0xFF},
        {60, 0xFF},     {64, 0xFF},   {136, 1},     {144, 4},    {1040, 3},      {1044, 92},   {1048, 86},
        {1052, 72},     {1056, 1},    {1060, 4},    {1064, 6}};
    for (const auto& [off, v] : words)
        set32(analog, off, v);
    for (std::size_t off : {152, 244, 336})
        setDefaultFont(analog, off);
    EXPECT_EQ(diffOffsets(recordImage(IT_CLOCKSIMUL), analog), std::vector<std::size_t>{});

    Bytes digital(1200, 0);
    set32(digital, 24, 127);
    setDefaultFont(digital, 28);
    set32(digital, 120, 0xFFFF);
    EXPECT_EQ(diffOffsets(recordImage(IT_CLOCKDIGIT), digital), std::vector<std::size_t>{});

    Bytes counter(192, 0);
    set32(counter, 8, 255);
    setDefaultFont(counter, 12);
    set32(counter, 104, 0xFFFF);
    EXPECT_EQ(diffOffsets(recordImage(IT_COUNT), counter), std::vector<std::size_t>{});
    set32(counter, 0, 1);
    EXPECT_EQ(diffOffsets(recordImage(IT_COUNT2), counter), std::vector<std::size_t>{});
    EXPECT_EQ(ItemRecord::Create(3), nullptr);
    EXPECT_EQ(TypeRecordSizeOf(0x105), 0u);
}

TEST(TypeRecords, FontFieldsAtTheirOffsets)
{
    LOGFONT f;
    f.lfHeight = -12;
    f.lfWidth = 0x01020304;
    f.lfEscapement = 0x05060708;
    f.lfOrientation = 0x090A0B0C;
    f.lfWeight = 700;
    f.lfItalic = 0x11;
    f.lfUnderline = 0x12;
    f.lfStrikeOut = 0x13;
    f.lfCharSet = 0x14;
    f.lfOutPrecision = 0x15;
    f.lfClipPrecision = 0x16;
    f.lfQuality = 0x17;
    f.lfPitchAndFamily = 0x18;
    for (int i = 0; i < 32; ++i)
        f.lfFaceName[i] = static_cast<char16_t>(0x4E00 + i);

    // The counter record holds its font at 12.
    ItemRecord* r = ItemRecord::Create(IT_COUNT);
    ASSERT_NE(r, nullptr);
    Bytes want(r->data(), r->data() + r->size());
    r->set(records::counter::TextFont, f);
    std::fill(want.begin() + 12, want.begin() + 12 + 92, 0);
    set32(want, 12, 0xFFFFFFF4);
    set32(want, 16, 0x01020304);
    set32(want, 20, 0x05060708);
    set32(want, 24, 0x090A0B0C);
    set32(want, 28, 700);
    for (int i = 0; i < 8; ++i)
        want[32 + i] = static_cast<std::uint8_t>(0x11 + i);
    for (int i = 0; i < 32; ++i)
        set16(want, 40 + 2 * i, static_cast<std::uint16_t>(0x4E00 + i));
    EXPECT_EQ(want[104], 0xFF);   // the colour behind the font stays
    EXPECT_EQ(diffOffsets(Bytes(r->data(), r->data() + r->size()), want), std::vector<std::size_t>{});
    EXPECT_EQ(r->get(records::counter::TextFont), f);
    delete r;
}

TEST(TypeRecords, ReadBackWithOwnedParts)
{
    Bytes line(112, 0xA5);
    set32(line, 108, 0x12345678);        // a stale pointer in the file
    Bytes text(6, 0);
    setWide(text, 0, u"xyz");
    line.insert(line.end(), text.begin(), text.end());
    ItemRecord* r = ReadTypeRecord(IT_SINGLELINE, line.data(), line.size());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->text(), QStringLiteral("xyz"));
    EXPECT_EQ(r->get(records::U32{records::singleline::TextSlot}), 0u);
    EXPECT_EQ(TypeRecordPayloadSize(*r), 118u);
    Bytes again = WriteTypeRecord(*r);
    set32(line, 108, 0);
    EXPECT_EQ(diffOffsets(again, line), std::vector<std::size_t>{});
    delete r;

    Bytes grid(25, 0);
    const char stream[] = "GRID\x01";
    std::copy(stream, stream + 5, grid.begin() + 20);
    r = ReadTypeRecord(IT_GRID, grid.data(), grid.size());
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->memFile(), QByteArray("GRID\x01", 5));
    EXPECT_EQ(WriteTypeRecord(*r), grid);
    delete r;

    EXPECT_EQ(ReadTypeRecord(IT_SINGLELINE, line.data(), 111), nullptr);   // too short
    EXPECT_EQ(ReadTypeRecord(IT_SINGLELINE, line.data(), 113), nullptr);   // half a character
    EXPECT_EQ(ReadTypeRecord(3, line.data(), line.size()), nullptr);       // no such record
}

TEST(TypeRecords, FieldsOutsideTheRecordFailWithoutThrowing)
{
    // Fields laid over a record too short for them, as a damaged file or a
    // field of the wrong kind would ask.
    using records::U32;
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT));
    ASSERT_NE(r, nullptr);
    const Bytes before = WriteTypeRecord(*r);
    EXPECT_EQ(r->get(records::counter::Colour), 0xFFFFu);
    EXPECT_EQ(r->get(U32{189}), 0u);    // runs one byte past the end
    EXPECT_EQ(r->get(U32{191}), 0u);
    EXPECT_EQ(r->get(U32{192}), 0u);
    EXPECT_EQ(r->get(U32{~std::size_t(0)}), 0u);
    EXPECT_EQ(r->get(records::Font{101}), LOGFONT{});
    EXPECT_FALSE(r->set(U32{189}, 1));
    EXPECT_FALSE(r->set(U32{191}, 1));
    EXPECT_FALSE(r->set(U32{192}, 1));
    EXPECT_FALSE(r->set(records::Font{101}, DefaultLogFont()));
    EXPECT_FALSE(r->set(U32{~std::size_t(0) - 1}, 1));
    EXPECT_FALSE(r->set(records::clocksimul::Picture, QStringLiteral("p.png")));   // a field of another kind
    EXPECT_EQ(r->get(records::clocksimul::Picture), QString());
    EXPECT_EQ(WriteTypeRecord(*r), before);
    EXPECT_TRUE(r->set(U32{188}, 0xA1B2C3D4));
    EXPECT_EQ(r->get(U32{188}), 0xA1B2C3D4u);
}

// Found by fuzzing: the owned text went through a UTF-16 decoder, which
// dropped a leading FEFF and replaced lone surrogates, so the record read
// back shorter or different from what was stored.
TEST(TypeRecords, OwnedTextIsKeptUnitByUnit)
{
    Bytes line(112, 0);
    Bytes text(8, 0);
    set16(text, 0, 0xFEFF);
    set16(text, 2, 0xD800);   // lone high surrogate
    set16(text, 4, u'a');
    set16(text, 6, 0xDC00);   // lone low surrogate
    line.insert(line.end(), text.begin(), text.end());
    ItemRecord* r = ReadTypeRecord(IT_SINGLELINE, line.data(), line.size());
    ASSERT_NE(r, nullptr);
    ASSERT_EQ(r->text().size(), 4);
    EXPECT_EQ(r->text()[0].unicode(), 0xFEFF);
    EXPECT_EQ(r->text()[1].unicode(), 0xD800);
    EXPECT_EQ(r->text()[3].unicode(), 0xDC00);
    EXPECT_EQ(TypeRecordPayloadSize(*r), line.size());
    EXPECT_EQ(WriteTypeRecord(*r), line);
    delete r;
}

TEST(TypeRecords, PicturePathIsWrittenWhole)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_IMAGE));
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(r->set(records::picture::Path, QStringLiteral("/a/much/longer/path/to/a/picture.gif")));
    ASSERT_TRUE(r->set(records::picture::Path, QString::fromUtf16(u"/p/图.png")));
    Bytes want(16916, 0);
    setWide(want, 8, u"/p/图.png");
    EXPECT_EQ(diffOffsets(WriteTypeRecord(*r), want), std::vector<std::size_t>{});   // no tail of the longer path
    EXPECT_EQ(r->get(records::picture::Path), QString::fromUtf16(u"/p/图.png"));

    // 259 units and the terminator fill the field; one more does not fit.
    const QString longest(259, QChar(u'x'));
    ASSERT_TRUE(r->set(records::picture::Path, longest));
    EXPECT_EQ(r->get(records::picture::Path), longest);
    const Bytes before = WriteTypeRecord(*r);
    EXPECT_FALSE(r->set(records::picture::Path, longest + u'x'));
    EXPECT_FALSE(r->set(records::picture::Path, QStringLiteral("a\0b")));   // would read back as "a"
    EXPECT_EQ(WriteTypeRecord(*r), before);
    EXPECT_EQ(get32(before, 528), 0u);   // the frame count behind the path is untouched
}

TEST(TypeRecords, DelaysRunToTheRecordsEnd)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_GIF));
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(r->set(records::picture::Delays[0], 40));
    EXPECT_TRUE(r->set(records::picture::Delays[records::picture::Delays.Count - 1], 70));
    EXPECT_FALSE(r->set(records::picture::Delays[records::picture::Delays.Count], 90));
    const Bytes b = WriteTypeRecord(*r);
    EXPECT_EQ(get32(b, 532), 40u);
    EXPECT_EQ(get32(b, 16912), 70u);
}

TEST_F(TreeTest, OwnedTextKeepsTheRecordSize)
{
    struct Case {
        std::uint16_t type;
        std::uint32_t fixed;
    };
    for (const Case c : {Case{IT_SINGLELINE, 112}, Case{IT_TEXT, 276}, Case{IT_TEXTGIF, 20}}) {
        tagItemData* item = tree.item(section, c.type);
        ASSERT_NE(item, nullptr);
        ASSERT_TRUE(records::SetItemText(item, QString::fromUtf16(u"ab中")));
        EXPECT_EQ(item->Item.TypeRecordSize, c.fixed + 6) << c.type;
        EXPECT_EQ(item->Item.TypeRecordSize, GetPayloadSize(item)) << c.type;
        ASSERT_TRUE(records::SetItemText(item, QString()));
        EXPECT_EQ(item->Item.TypeRecordSize, c.fixed) << c.type;
        EXPECT_EQ(WriteTypeRecord(*item->Item.TypeRecord).size(), c.fixed) << c.type;
    }

    // Kinds without an owned text, and no item at all, refuse it and keep what they hold.
    tagItemData* picture = tree.item(section, IT_IMAGE);
    const std::uint32_t pictureSize = picture->Item.TypeRecordSize;
    EXPECT_FALSE(records::SetItemText(picture, QStringLiteral("x")));
    EXPECT_EQ(picture->Item.TypeRecordSize, pictureSize);
    EXPECT_FALSE(records::SetItemText(section, QStringLiteral("x")));
    EXPECT_FALSE(records::SetItemText(nullptr, QStringLiteral("x")));

    tagItemData* table = tree.item(section, IT_GRID);
    EXPECT_FALSE(records::SetItemText(table, QStringLiteral("x")));
    ASSERT_TRUE(records::SetItemTableStream(table, QByteArray("GRID\x01", 5)));
    EXPECT_EQ(table->Item.TypeRecordSize, 25u);
    EXPECT_EQ(table->Item.TypeRecord->memFile(), QByteArray("GRID\x01", 5));
    tagItemData* line = tree.item(section, IT_SINGLELINE);
    EXPECT_FALSE(records::SetItemTableStream(line, QByteArray("GRID", 4)));
    EXPECT_EQ(line->Item.TypeRecord->text(), QStringLiteral("Singleline"));
}
