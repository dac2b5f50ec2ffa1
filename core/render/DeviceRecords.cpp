#include "core/render/DeviceRecords.h"

#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/render/AnalogClock.h"
#include "core/render/ProgramSchema.h"
#include "platform/ByteIO.h"
#include "platform/Colour.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

// GB2312 codes of the clock's Chinese characters, whatever the code page.
GlyphCode codeOf(QChar c)
{
    static const struct {
        char16_t ch;
        std::uint8_t lead, trail;
    } cjk[] = {{u'一', 0xD2, 0xBB}, {u'二', 0xB6, 0xFE}, {u'三', 0xC8, 0xFD}, {u'四', 0xCB, 0xC4}, {u'五', 0xCE, 0xE5},
               {u'六', 0xC1, 0xF9}, {u'日', 0xC8, 0xD5}, {u'上', 0xC9, 0xCF}, {u'下', 0xCF, 0xC2}};
    for (const auto& e : cjk)
        if (c.unicode() == e.ch)
            return {c, {e.lead, e.trail}};
    return {c, {static_cast<std::uint8_t>(c.unicode() & 0xFF), 0}};
}

// Ascending by the little-endian value of the two code bytes; equal codes keep their order.
std::vector<GlyphCode> sortedSet(const QString& chars)
{
    std::vector<GlyphCode> set;
    for (QChar c : chars)
        set.push_back(codeOf(c));
    std::stable_sort(set.begin(), set.end(), [](const GlyphCode& a, const GlyphCode& b) {
        return (a.Code[0] | a.Code[1] << 8) < (b.Code[0] | b.Code[1] << 8);
    });
    return set;
}

// Header, cells and glyph table shared by the clock and counter records.
std::vector<std::uint8_t> buildCellRecord(std::uint32_t glyphSet, std::uint32_t target, std::uint32_t colour,
                                          std::uint32_t mask, std::uint16_t contentWidth,
                                          const std::vector<QRect>& cells, const std::vector<GlyphCode>& glyphs,
                                          const GlyphBitmap& render)
{
    namespace rec = program::cells;
    using program::put;
    const std::size_t n = cells.size();
    const std::size_t table = std::max(rec::Cells + rec::CellSize * n, rec::MinSize);
    std::vector<std::vector<std::uint8_t>> bitmaps;
    std::size_t bitmapBytes = 0;
    for (const GlyphCode& g : glyphs) {
        bitmaps.push_back(render ? render(QString(g.Char)) : std::vector<std::uint8_t>{});
        bitmapBytes += bitmaps.back().size();
    }
    // Sized from the bitmaps actually drawn, so a wide glyph never overflows.
    const std::size_t head = rec::GlyphHead + rec::GlyphSize * glyphs.size();
    std::vector<std::uint8_t> out(table + head + bitmapBytes, 0);
    if (out.size() < rec::MinSize + head)
        return {};
    std::uint8_t* p = out.data();
    put(p, rec::GlyphSet, glyphSet);
    put(p, rec::Target, target);
    put(p, rec::Colour, colour);
    put(p, rec::RoleMask, mask);
    put(p, rec::GlyphsAt, static_cast<std::uint32_t>(table));
    put(p, rec::ContentWidth, contentWidth);
    put(p, rec::CellCount, static_cast<std::uint16_t>(n));
    for (std::size_t i = 0; i < n; ++i) {
        const QRect& c = cells[i];
        std::uint8_t* cell = p + rec::Cells + rec::CellSize * i;
        put(cell, rec::CellLeft, static_cast<std::uint16_t>(c.left()));
        put(cell, rec::CellTop, static_cast<std::uint16_t>(c.top()));
        put(cell, rec::CellRight, static_cast<std::uint16_t>(c.left() + c.width()));
        put(cell, rec::CellBottom, static_cast<std::uint16_t>(c.top() + c.height()));
    }
    std::uint8_t* t = p + table;
    put(t, rec::GlyphBits, rec::GlyphBitsValue);
    put(t, rec::GlyphCount, static_cast<std::uint16_t>(glyphs.size()));
    std::size_t offset = head;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        std::uint8_t* glyph = t + rec::GlyphHead + rec::GlyphSize * i;
        put(glyph, rec::CodeLead, glyphs[i].Code[0]);
        put(glyph, rec::CodeTrail, glyphs[i].Code[1]);
        put(glyph, rec::BitmapAt, static_cast<std::uint32_t>(offset));
        std::copy(bitmaps[i].begin(), bitmaps[i].end(), t + offset);
        offset += bitmaps[i].size();
    }
    return out;
}

}

std::uint32_t ClockRoleMask(const ItemRecord& r, ClockLayout layout)
{
    const std::uint32_t f = r.get(clockdigit::ShowFlags);
    const bool twoDigit = r.get(clockdigit::TwoDigitYear) != 0;
    const bool hour12 = r.get(clockdigit::Hour12) != 0;
    const std::uint32_t timeFormat = r.get(clockdigit::TimeFormat);
    std::uint32_t m = 0;
    if (f & 1)
        m |= twoDigit ? 0xC : 0xF;
    if (layout == ClockLayout::Chinese) {
        if (f & 2)
            m |= 0x30;
        if (f & 4)
            m |= 0xC0;
        if (f & 8)
            m |= 0x100;
        if ((f & 0x80) && timeFormat != 0)
            m |= 0x200;
        if (f & 0x10)
            m |= hour12 ? 0x3000 : 0xC00;
        if (f & 0x20)
            m |= 0xC000;
        if (f & 0x40)
            m |= 0x30000;
        if ((f & 0x80) && timeFormat == 0)
            m |= 0x40000;
    } else if (layout == ClockLayout::English) {
        if (f & 2)
            m |= r.get(clockdigit::DateFormat) == 2 ? 0x1C0 : 0x30;
        if (f & 4)
            m |= 0x600;
        if (f & 8)
            m |= 0x3800;
        if (f & 0x10)
            m |= hour12 ? 0x30000 : 0xC000;
        if (f & 0x20)
            m |= 0xC0000;
        if (f & 0x40)
            m |= 0x300000;
        if (f & 0x80)
            m |= 0x400000;
    } else {
        return 0;
    }
    return m;
}

std::vector<GlyphCode> ClockGlyphSet(const ItemRecord& r, ClockLayout layout)
{
    if (layout == ClockLayout::Chinese)
        return sortedSet(r.get(clockdigit::TimeFormat) == 0 ? QStringLiteral(u"0123456789日一二三四五六AP")
                                                            : QStringLiteral(u"0123456789日一二三四五六上下"));
    if (layout == ClockLayout::English)
        return sortedSet(QStringLiteral("0123456789APMTWFSJONDonuedhriatgbpylcv"));
    return {};
}

std::vector<GlyphCode> CounterGlyphSet() { return sortedSet(QStringLiteral("0123456789")); }

std::vector<std::uint8_t> BuildDigitalClockRecord(const ItemRecord& r, ClockLayout layout,
                                                  const std::vector<QRect>& cells, int verticalOffset,
                                                  std::uint16_t contentWidth, bool swapColour,
                                                  const GlyphBitmap& glyph)
{
    if (layout == ClockLayout::None)
        return {};
    std::vector<QRect> used;
    for (const QRect& c : cells)
        if (c.width() != 0)
            used.push_back(c.translated(0, verticalOffset));
    std::uint32_t colour = r.get(clockdigit::Colour);
    if (swapColour && layout == ClockLayout::Chinese)
        colour = platform::swapRedGreen(colour);
    return buildCellRecord(layout == ClockLayout::English ? 1 : 0, 0, colour, ClockRoleMask(r, layout), contentWidth,
                           used, ClockGlyphSet(r, layout), glyph);
}

std::vector<std::uint8_t> BuildCounterRecord(const ItemRecord& r, const std::vector<QRect>& cells, std::uint32_t mask,
                                             std::uint16_t contentWidth, bool swapColour, const GlyphBitmap& glyph)
{
    std::uint32_t colour = r.get(counter::Colour);
    if (swapColour)
        colour = platform::swapRedGreen(colour);
    const std::vector<QRect> stored(cells.begin(), cells.begin() + std::min<std::size_t>(cells.size(), 15));
    return buildCellRecord(0, r.get(counter::Target), colour, mask, contentWidth, stored, CounterGlyphSet(), glyph);
}

std::unique_ptr<ItemRecord> MakeDateBandRecord(const ItemRecord& face)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKDIGIT));
    r->clearFields();
    r->set(clockdigit::TextFont, face.get(clocksimul::DateFont));
    r->set(clockdigit::Colour, face.get(clocksimul::DateColour));
    r->set(clockdigit::MultiLine, 1);
    r->set(clockdigit::DateFormat, 2);
    const std::uint8_t flags = face.get(clocksimul::FaceFlags);
    r->set(clockdigit::ShowFlags, ((flags & 2) ? 6u : 0u) + ((flags & 1) ? 8u : 0u));
    return r;
}

std::vector<std::uint8_t> BuildAnalogClockRecord(const ItemRecord& r, int width, int height, bool swapColour,
                                                 const std::vector<std::uint8_t>& dateRecord)
{
    const int S = std::clamp(std::min(width, height), 0, MaxAnalogFace);
    QImage face(std::max(S, 1), std::max(S, 1), QImage::Format_RGB32);
    face.fill(Qt::black);
    std::vector<std::uint8_t> lists;
    std::uint32_t offsets[180];
    std::uint32_t at = 724;
    const Hand order[3] = {Hand::Second, Hand::Minute, Hand::Hour};
    // Each hand touches only its bounding box: clear the last hand's box and
    // scan this one's, instead of the whole face per position.
    const QRect faceRect = face.rect();
    QRect drawn;
    QPainter painter;
    if (S > 0)
        painter.begin(&face);
    for (int h = 0; h < 3; ++h)
        for (int i = 0; i < 60; ++i) {
            offsets[h * 60 + i] = at;
            if (S == 0)
                continue;
            if (!drawn.isEmpty())
                painter.fillRect(drawn, Qt::black);
            drawn = HandBounds(order[h], i, 0, 0, S, S, r).intersected(faceRect);
            DrawHand(order[h], i, painter, 0, 0, S, S, r, false);
            const std::size_t before = lists.size();
            if (!AppendPixelList(face, drawn, lists))
                lists.resize(before);
            at += static_cast<std::uint32_t>(lists.size() - before);
        }
    namespace trailerRec = program::analogtrailer;
    using program::put;
    const std::uint32_t trailer = at;
    std::vector<std::uint8_t> out(trailer + trailerRec::Size + dateRecord.size(), 0);
    if (out.size() < program::analog::Lists + trailerRec::Size)
        return {};
    std::uint8_t* p = out.data();
    for (std::size_t i = 0; i + 1 < program::analog::Offsets; ++i)
        put(p, program::analog::Offset(i), offsets[i]);
    put(p, program::analog::TrailerAt, trailer);
    std::copy(lists.begin(), lists.end(), p + program::analog::Lists);
    auto colour = [&](records::U32 f) {
        const std::uint32_t c = r.get(f);
        return swapColour ? platform::swapRedGreen(c) : c;
    };
    std::uint8_t* t = p + trailer;
    put(t, trailerRec::RecordSize, static_cast<std::uint16_t>(trailerRec::Size));
    put(t, trailerRec::SecondColour, colour(clocksimul::SecondColour));
    put(t, trailerRec::MinuteColour, colour(clocksimul::MinuteColour));
    put(t, trailerRec::HourColour, colour(clocksimul::HourColour));
    std::copy(dateRecord.begin(), dateRecord.end(), t + trailerRec::Size);
    return out;
}

}
