#pragma once
// Texts and digit cells of digital clocks and counters. The controller draws
// the changing digits itself; the cells say where they stand. Everything here
// takes the time and a text measure as arguments, so it can be checked exactly.
#include "core/api/TypeRecords.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class ItemRecord;

namespace sorvane::render {

// Broken-down local time as the clock shows it; DayOfWeek 0 is Sunday.
struct ClockNow {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    int DayOfWeek = 6;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
};

// The PC's local time now.
ClockNow LocalClockNow();

enum class ClockLayout { None, Chinese, English };
// By the language row's clock texts: Chinese for either script, English for
// English, none for a language without a row.
ClockLayout ClockLayoutFor(int lang);

// The clock and counter records (core/api/TypeRecords.h).
namespace clockdigit = records::clockdigit;
namespace counter = records::counter;

// The three parts of a digital clock's text.
QString FormatClockDate(const ItemRecord& record, ClockLayout layout, const ClockNow& now);
QString FormatClockWeekday(const ItemRecord& record, ClockLayout layout, const ClockNow& now);
QString FormatClockTime(const ItemRecord& record, ClockLayout layout, const ClockNow& now, int lang);

// Measures a text on one line with the record's font: (width, height).
using TextExtent = std::function<QSize(const QString&)>;

// Where each part of a clock or counter stands inside an item rectangle.
struct PartRects {
    QRect Parts[3];   // date / weekday / time, or title / days / time
    bool Drawn[3] = {false, false, false};
    bool Centred = false;
};

// Lays out three part texts as the clock and the counter do: one line, each part
// behind the previous one, or one centred line per part that exists.
PartRects LayoutParts(const QRect& area, const QString (&texts)[3], const bool (&exists)[3], bool multiLine,
                      const TextExtent& extent);

constexpr int ChineseClockCells = 17;
constexpr int EnglishClockCells = 19;

// The digit cells of a digital clock, laid out in `area` (17 or 19, an unused
// cell is an empty rectangle), in the coordinates of `area`'s parent.
std::vector<QRect> ClockCells(const ItemRecord& record, ClockLayout layout, const ClockNow& now, int lang,
                              const QRect& area, const TextExtent& extent);

// Counter arithmetic.
int DigitCount(std::int64_t v);
QString MakeCounterFormat(int n);
// Span in whole seconds between now and the target, clipped as the mode says.
std::int64_t CounterSpanSeconds(std::uint32_t target, std::uint32_t countMode, const ClockNow& now);
// Digit cells per unit, days / hours / minutes / seconds (0 for a unit not shown).
std::array<int, 4> CounterDigitCounts(std::int64_t span, std::uint32_t units);
// The counter's texts for a span (use the digit counts of the maximum span
// when counting up).
QString FormatCounterTitle(const ItemRecord& record);
QString FormatCounterDays(const ItemRecord& record, std::int64_t span, int lang);
QString FormatCounterTime(const ItemRecord& record, std::int64_t span, int lang);
// The span whose digit counts size the cells.
std::int64_t CounterCellSpan(const ItemRecord& record, std::int64_t span);
// Cells in the order seconds, minutes, hours, days (at most 15).
std::vector<QRect> CounterCells(const ItemRecord& record, std::int64_t span, int lang, const QRect& area,
                                const TextExtent& extent);
// Role mask of the counter's device record.
std::uint32_t CounterCellMask(std::uint32_t units, const std::array<int, 4>& counts);

}
