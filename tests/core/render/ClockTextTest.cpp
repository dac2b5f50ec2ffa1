// Digital clock and counter texts and digit cells, with a fixed text measure.
#include "core/render/ClockText.h"

#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"

#include <gtest/gtest.h>
#include <memory>

using namespace sorvane::render;

namespace {

std::unique_ptr<ItemRecord> clockRecord(std::uint32_t flags, std::uint32_t dateFormat = 0, std::uint32_t timeFormat = 0)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_CLOCKDIGIT));
    r->set(clockdigit::ShowFlags, flags);
    r->set(clockdigit::DateFormat, dateFormat);
    r->set(clockdigit::TimeFormat, timeFormat);
    return r;
}

void setTitle(ItemRecord& r, records::Chars field, const char16_t* text)
{
    ASSERT_TRUE(r.set(field, QString::fromUtf16(text)));
}

// Latin characters 6 × 12, others 12 × 12.
QSize fixedExtent(const QString& s)
{
    int w = 0;
    for (QChar c : s)
        w += c.unicode() < 0x100 ? 6 : 12;
    return {w, 12};
}

const ClockNow kMay2024{2024, 5, 17, 5, 13, 5, 9};   // a Friday

}

TEST(ClockText, DateFormatsDropTheHangingSeparator)
{
    EXPECT_EQ(FormatClockDate(*clockRecord(0x03, 0), ClockLayout::Chinese, kMay2024), "2024-05");
    EXPECT_EQ(FormatClockDate(*clockRecord(0x03, 2), ClockLayout::Chinese, kMay2024), QStringLiteral(u"2024年05月"));
    EXPECT_EQ(FormatClockDate(*clockRecord(0x07, 1), ClockLayout::Chinese, kMay2024), "2024/05/17");
    EXPECT_EQ(FormatClockDate(*clockRecord(0x06, 3), ClockLayout::English, kMay2024), "17/05");
    EXPECT_EQ(FormatClockDate(*clockRecord(0x07, 3), ClockLayout::English, kMay2024), "17/05/2024");
    EXPECT_EQ(FormatClockDate(*clockRecord(0x07, 2), ClockLayout::English, kMay2024), "May.17,2024");
    auto two = clockRecord(0x07, 0);
    two->set(clockdigit::TwoDigitYear, 1);
    EXPECT_EQ(FormatClockDate(*two, ClockLayout::Chinese, kMay2024), "24-05-17");
    auto titled = clockRecord(0x04, 0);
    setTitle(*titled, clockdigit::Title, u"Today ");
    EXPECT_EQ(FormatClockDate(*titled, ClockLayout::English, kMay2024), "Today 17");
    EXPECT_EQ(FormatClockDate(*titled, ClockLayout::None, kMay2024), "");
}

TEST(ClockText, WeekdayIsOneSpaceWhenHidden)
{
    EXPECT_EQ(FormatClockWeekday(*clockRecord(0), ClockLayout::Chinese, kMay2024), " ");
    EXPECT_EQ(FormatClockWeekday(*clockRecord(8), ClockLayout::Chinese, kMay2024), QStringLiteral(u" 星期五 "));
    EXPECT_EQ(FormatClockWeekday(*clockRecord(8), ClockLayout::English, kMay2024), " Fri. ");
}

TEST(ClockText, TimeFormatsAndTwelveHourClock)
{
    auto r = clockRecord(0x70);
    r->set(clockdigit::Hour12, 1);
    EXPECT_EQ(FormatClockTime(*r, ClockLayout::Chinese, {2024, 1, 1, 1, 0, 5, 9}, 4), "00:05:09");
    EXPECT_EQ(FormatClockTime(*r, ClockLayout::Chinese, kMay2024, 4), "01:05:09");
    r->set(clockdigit::ShowFlags, 0xF0);
    EXPECT_EQ(FormatClockTime(*r, ClockLayout::Chinese, kMay2024, 4), "01:05:09 PM");
    r->set(clockdigit::ShowFlags, 0x30);
    EXPECT_EQ(FormatClockTime(*r, ClockLayout::English, kMay2024, 9), "01:05");

    auto cn = clockRecord(0xB0, 0, 1);
    const ClockNow halfPastNine{2024, 5, 17, 5, 9, 30, 0};
    EXPECT_EQ(FormatClockTime(*cn, ClockLayout::Chinese, halfPastNine, 4), QStringLiteral(u"上午09时30分"));
    EXPECT_EQ(FormatClockTime(*cn, ClockLayout::Chinese, halfPastNine, 0x7C04), QStringLiteral(u"上午09時30分"));
    cn->set(clockdigit::ShowFlags, 0xF0);
    EXPECT_EQ(FormatClockTime(*cn, ClockLayout::English, kMay2024, 9), "13H05M09S PM");
}

TEST(ClockText, OneLineCellsFollowTheTexts)
{
    // Time only, 24 hours: "13:05:09" behind the date "" and the weekday " ".
    auto r = clockRecord(0x70);
    const auto cells = ClockCells(*r, ClockLayout::Chinese, kMay2024, 4, QRect(0, 0, 200, 20), fixedExtent);
    ASSERT_EQ(cells.size(), 17u);
    const int x0 = 6;   // behind the weekday's one space
    EXPECT_EQ(cells[10], QRect(x0, 4, 6, 12));
    EXPECT_EQ(cells[11], QRect(x0 + 6, 4, 6, 12));
    EXPECT_EQ(cells[12], QRect(x0 + 18, 4, 6, 12));
    EXPECT_EQ(cells[15], QRect(x0 + 42, 4, 6, 12));
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 16})
        EXPECT_EQ(cells[i].width(), 0) << i;
}

TEST(ClockText, ChineseCellsOfDateWeekdayAndMarks)
{
    auto r = clockRecord(0xFF, 2, 1);
    r->set(clockdigit::TwoDigitYear, 1);
    const auto cells = ClockCells(*r, ClockLayout::Chinese, kMay2024, 4, QRect(10, 0, 400, 12), fixedExtent);
    // "24年05月17日": year cells 2 and 3 only.
    EXPECT_EQ(cells[0].width(), 0);
    EXPECT_EQ(cells[1].width(), 0);
    EXPECT_EQ(cells[2], QRect(10, 0, 6, 12));
    EXPECT_EQ(cells[4], QRect(10 + 12 + 12, 0, 6, 12));
    EXPECT_EQ(cells[6], QRect(10 + 12 + 12 + 12 + 12, 0, 6, 12));
    // The date text is 2×6 + 12 + 2×6 + 12 + 2×6 + 12 = 72 wide; weekday " 星期五 ".
    EXPECT_EQ(cells[8], QRect(10 + 72 + 6 + 24, 0, 12, 12));
    // Time "下午01时05分09秒" (12-hour off: 13): mark cell then hour digits behind "午".
    const int t0 = 10 + 72 + 6 + 36 + 6;
    EXPECT_EQ(cells[9], QRect(t0, 0, 12, 12));
    EXPECT_EQ(cells[10], QRect(t0 + 24, 0, 6, 12));
    EXPECT_EQ(cells[12], QRect(t0 + 24 + 12 + 12, 0, 6, 12));
    EXPECT_EQ(cells[16].width(), 0);
}

TEST(ClockText, EnglishMonthNameCells)
{
    auto r = clockRecord(0x07, 2);
    r->set(clockdigit::TwoDigitYear, 1);
    EXPECT_EQ(FormatClockDate(*r, ClockLayout::English, kMay2024), "May.17,24");
    const auto cells = ClockCells(*r, ClockLayout::English, kMay2024, 9, QRect(0, 0, 300, 12), fixedExtent);
    ASSERT_EQ(cells.size(), 19u);
    EXPECT_EQ(cells[4], QRect(0, 0, 6, 12));
    EXPECT_EQ(cells[6], QRect(12, 0, 6, 12));
    EXPECT_EQ(cells[7], QRect(24, 0, 6, 12));
    EXPECT_EQ(cells[0], QRect(42, 0, 6, 12));
    EXPECT_EQ(cells[1], QRect(48, 0, 6, 12));
    EXPECT_EQ(cells[2].width(), 0);
    EXPECT_EQ(cells[3].width(), 0);
}

TEST(ClockText, MultiLinePartsSplitTheRectangle)
{
    auto r = clockRecord(0x70);
    r->set(clockdigit::MultiLine, 1);
    auto cells = ClockCells(*r, ClockLayout::Chinese, kMay2024, 4, QRect(0, 0, 100, 40), fixedExtent);
    // "13:05:09" (48 wide) centred in the whole rectangle.
    EXPECT_EQ(cells[10], QRect(26, 14, 6, 12));
    r->set(clockdigit::ShowFlags, 0x71);
    cells = ClockCells(*r, ClockLayout::Chinese, kMay2024, 4, QRect(0, 0, 100, 40), fixedExtent);
    EXPECT_EQ(cells[0], QRect(38, 4, 6, 12));    // "2024" in the upper half
    EXPECT_EQ(cells[10], QRect(26, 24, 6, 12));  // time in the lower half
}

TEST(Counter, SpanDigitsAndTexts)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT));
    r->set(counter::Units, 0x74);
    const ClockNow now{2024, 5, 17, 5, 12, 0, 0};
    // Target: 1 day, 2 hours, 3 minutes and 5 seconds ahead.
    const std::uint32_t target = 769262400u + 86400 + 2 * 3600 + 3 * 60 + 5;
    const std::int64_t span = CounterSpanSeconds(target, 0, now);
    EXPECT_EQ(span, 86400 + 7385);
    EXPECT_EQ(FormatCounterDays(*r, span, 4), QStringLiteral(u"1天"));
    EXPECT_EQ(FormatCounterTime(*r, span, 4), QStringLiteral(u"02时03分05秒"));
    EXPECT_EQ(FormatCounterTime(*r, span, 9), "02hours03minutes05seconds");
    // After the target: zeros, the largest unit one digit.
    EXPECT_EQ(CounterSpanSeconds(target, 0, {2030, 1, 1, 2, 0, 0, 0}), 0);
    EXPECT_EQ(FormatCounterDays(*r, 0, 4), QStringLiteral(u"0天"));
    // Counting up before the target: nothing counted.
    EXPECT_EQ(CounterSpanSeconds(target, 1, now), 0);
    EXPECT_EQ(CounterSpanSeconds(target - 100000, 1, now), 100000 - 86400 - 7385);
    // Days and minutes: minutes run to 1,439 but keep two cells.
    r->set(counter::Units, 0x24);
    EXPECT_EQ(FormatCounterTime(*r, span, 9), "123minutes");
}

TEST(Counter, DigitCountsAndMasks)
{
    EXPECT_EQ(DigitCount(0), 1);
    EXPECT_EQ(DigitCount(-4166), 4);
    EXPECT_EQ(MakeCounterFormat(2), "%02d");
    EXPECT_EQ(CounterDigitCounts(counter::MaxSpanSeconds, 0x74), (std::array<int, 4>{4, 2, 2, 2}));
    EXPECT_EQ(CounterDigitCounts(counter::MaxSpanSeconds, 0x70), (std::array<int, 4>{0, 5, 2, 2}));
    EXPECT_EQ(CounterDigitCounts(counter::MaxSpanSeconds, 0x40), (std::array<int, 4>{0, 0, 0, 9}));
    EXPECT_EQ(CounterDigitCounts(counter::MaxSpanSeconds, 0x24), (std::array<int, 4>{4, 0, 2, 0}));
    EXPECT_EQ(CounterCellMask(0x40, {0, 0, 0, 9}), 0x1FFu);
    EXPECT_EQ(CounterCellMask(0x74, {1, 2, 2, 2}), (1u << 27) | (3u << 21) | (3u << 15) | (3u << 7));
    EXPECT_EQ(CounterCellMask(0x00, {0, 0, 0, 0}), 0u);
}

TEST(Counter, CountingUpSizesCellsForTheMaximumSpan)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT2));
    r->set(counter::Units, 0x40);
    EXPECT_EQ(FormatCounterTime(*r, 42, 9), "000000042seconds");
    const auto cells = CounterCells(*r, 42, 9, QRect(0, 0, 200, 12), fixedExtent);
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(cells[0], QRect(0, 0, 6, 12));
    EXPECT_EQ(cells[8], QRect(48, 0, 6, 12));
}

TEST(Counter, CellsComeSecondsFirst)
{
    std::unique_ptr<ItemRecord> r(ItemRecord::Create(IT_COUNT));
    r->set(counter::Units, 0x74);
    setTitle(*r, counter::Title, u"T");
    const std::int64_t span = 86400 + 7385;
    const auto cells = CounterCells(*r, span, 9, QRect(0, 0, 400, 12), fixedExtent);
    ASSERT_EQ(cells.size(), 7u);
    // "T" | "1days" | "02hours03minutes05seconds"
    const int days = 6, time = 6 + 30;
    EXPECT_EQ(cells[6], QRect(days, 0, 6, 12));
    EXPECT_EQ(cells[4], QRect(time, 0, 6, 12));                      // hours
    EXPECT_EQ(cells[2], QRect(time + 12 + 30, 0, 6, 12));            // minutes behind "hours"
    EXPECT_EQ(cells[0], QRect(time + 12 + 30 + 12 + 42, 0, 6, 12));  // seconds behind "minutes"
    // Nothing shown: only the title, no cells.
    r->set(counter::Units, 0x100);
    EXPECT_TRUE(CounterCells(*r, span, 9, QRect(0, 0, 400, 12), fixedExtent).empty());
}
