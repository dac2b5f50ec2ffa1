#include "core/render/ClockText.h"

#include "core/api/ItemRecord.h"
#include "core/model/Utilities.h"
#include "platform/Languages.h"

#include <QDateTime>

#include <cstdio>
#include <cstdlib>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

QString num(const char* format, int v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return QString::fromLatin1(buf);
}

// A number in a wide format such as "%02d年".
QString num(const char* format, int v, const QString& unit) { return num(format, v) + unit; }

void dropLast(QString& s)
{
    if (!s.isEmpty())
        s.chop(1);
}

int displayHour(const ItemRecord& r, int hour)
{
    if (r.get(clockdigit::Hour12) != 0 && hour > 12)
        return hour - 12;
    return hour;
}

constexpr const char16_t* kWeekdayChars = u"日一二三四五六";
constexpr const char* kWeekdayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}

ClockNow LocalClockNow()
{
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    const QTime tm = t.time();
    return {d.year(), d.month(), d.day(), d.dayOfWeek() % 7, tm.hour(), tm.minute(), tm.second()};
}

ClockLayout ClockLayoutFor(int lang)
{
    switch (platform::language(lang).clockTexts) {
    case platform::ClockTexts::Simplified:
    case platform::ClockTexts::Traditional: return ClockLayout::Chinese;
    case platform::ClockTexts::English: return ClockLayout::English;
    case platform::ClockTexts::None: break;
    }
    return ClockLayout::None;
}

QString FormatClockDate(const ItemRecord& r, ClockLayout layout, const ClockNow& now)
{
    if (layout == ClockLayout::None)
        return {};
    const std::uint32_t flags = r.get(clockdigit::ShowFlags);
    const std::uint32_t format = r.get(clockdigit::DateFormat);
    const bool twoDigit = r.get(clockdigit::TwoDigitYear) != 0;
    const int year = twoDigit ? now.Year % 100 : now.Year;
    const bool y = flags & 1, m = flags & 2, d = flags & 4;
    QString s = r.get(clockdigit::Title);
    if (format == 0 || format == 1) {
        const char sep = format == 0 ? '-' : '/';
        const QString ss(QLatin1Char{sep});
        if (y)
            s += num(twoDigit ? "%2d" : "%4d", year) + ss;
        if (m)
            s += num("%02d", now.Month) + ss;
        if (d)
            s += num("%02d", now.Day);
        else if (y || m)
            dropLast(s);
    } else if (format == 2) {
        if (layout == ClockLayout::Chinese) {
            if (y)
                s += num(twoDigit ? "%2d" : "%4d", year, QStringLiteral(u"年"));
            if (m)
                s += num("%02d", now.Month, QStringLiteral(u"月"));
            if (d)
                s += num("%02d", now.Day, QStringLiteral(u"日"));
        } else {
            if (m)
                s += QLatin1String(kMonthNames[(now.Month + 11) % 12]) + QLatin1Char('.');
            if (d)
                s += num("%02d", now.Day);
            if (y)
                s += num(twoDigit ? ",%2d" : ",%4d", year);
        }
    } else {
        if (d)
            s += num("%02d/", now.Day);
        if (m)
            s += num("%02d/", now.Month);
        if (y)
            s += num(twoDigit ? "%2d" : "%4d", year);
        else if (m || d)
            dropLast(s);
    }
    return s;
}

QString FormatClockWeekday(const ItemRecord& r, ClockLayout layout, const ClockNow& now)
{
    if (layout == ClockLayout::None)
        return {};
    if (!(r.get(clockdigit::ShowFlags) & 8))
        return QStringLiteral(" ");
    const int wd = ((now.DayOfWeek % 7) + 7) % 7;
    if (layout == ClockLayout::Chinese)
        return QStringLiteral(u" 星期") + QChar(kWeekdayChars[wd]) + QLatin1Char(' ');
    return QLatin1Char(' ') + QLatin1String(kWeekdayNames[wd]) + QStringLiteral(". ");
}

QString FormatClockTime(const ItemRecord& r, ClockLayout layout, const ClockNow& now, int lang)
{
    if (layout == ClockLayout::None)
        return {};
    const std::uint32_t flags = r.get(clockdigit::ShowFlags);
    const bool h = flags & 0x10, m = flags & 0x20, s = flags & 0x40, ampm = flags & 0x80;
    const bool pm = now.Hour > 11;
    const int hour = displayHour(r, now.Hour);
    QString t;
    if (r.get(clockdigit::TimeFormat) == 0) {
        if (h)
            t += num("%02d:", hour);
        if (m)
            t += num("%02d:", now.Minute);
        if (s)
            t += num("%02d", now.Second);
        else if (h || m)
            dropLast(t);
        if (ampm)
            t += pm ? QStringLiteral(" PM") : QStringLiteral(" AM");
    } else if (layout == ClockLayout::Chinese) {
        if (ampm)
            t += pm ? QStringLiteral(u"下午") : QStringLiteral(u"上午");
        if (h)
            t += num("%02d", hour, GetLangText(1, lang));
        if (m)
            t += num("%02d", now.Minute, QStringLiteral(u"分"));
        if (s)
            t += num("%02d", now.Second, QStringLiteral(u"秒"));
    } else {
        if (h)
            t += num("%02dH", hour);
        if (m)
            t += num("%02dM", now.Minute);
        if (s)
            t += num("%02dS", now.Second);
        if (ampm)
            t += pm ? QStringLiteral(" PM") : QStringLiteral(" AM");
    }
    return t;
}

PartRects LayoutParts(const QRect& area, const QString (&texts)[3], const bool (&exists)[3], bool multiLine,
                      const TextExtent& extent)
{
    PartRects out;
    const int left = area.left(), top = area.top(), w = area.width(), h = area.height();
    if (!multiLine) {
        int x = left;
        for (int i = 0; i < 3; ++i) {
            const int tw = extent(texts[i]).width();
            out.Parts[i] = QRect(x, top, tw, h);
            out.Drawn[i] = true;
            x += tw;
        }
        return out;
    }
    out.Centred = true;
    int lines[3];
    int n = 0;
    for (int i = 0; i < 3; ++i)
        if (exists[i])
            lines[n++] = i;
    for (int k = 0; k < n; ++k) {
        const int y0 = top + h * k / n;
        const int y1 = k + 1 == n ? top + h : top + h * (k + 1) / n;
        out.Parts[lines[k]] = QRect(QPoint(left, y0), QPoint(left + w - 1, y1 - 1));
        out.Drawn[lines[k]] = true;
    }
    return out;
}

namespace {

// Running layout of cells along one part of a clock.
struct CellRun {
    std::vector<QRect>& cells;
    QSize digit;
    int x;
    int top;
    void put(int index, bool shown, QSize size)
    {
        if (shown) {
            cells[index] = QRect(x, top, size.width(), size.height());
            x += size.width();
        }
    }
};

int partStart(const PartRects& parts, int i, int textWidth)
{
    const QRect& r = parts.Parts[i];
    return parts.Centred ? r.left() + (r.width() - textWidth) / 2 : r.left();
}

int textTop(const QRect& r, int textHeight) { return r.top() + (r.height() - textHeight) / 2; }

}

std::vector<QRect> ClockCells(const ItemRecord& r, ClockLayout layout, const ClockNow& now, int lang,
                              const QRect& area, const TextExtent& extent)
{
    if (layout == ClockLayout::None)
        return {};
    const bool chinese = layout == ClockLayout::Chinese;
    std::vector<QRect> cells(chinese ? ChineseClockCells : EnglishClockCells, QRect(0, 0, 0, 0));
    const std::uint32_t flags = r.get(clockdigit::ShowFlags);
    const std::uint32_t dateFormat = r.get(clockdigit::DateFormat);
    const std::uint32_t timeFormat = r.get(clockdigit::TimeFormat);
    const bool twoDigit = r.get(clockdigit::TwoDigitYear) != 0;
    const QString texts[3] = {FormatClockDate(r, layout, now), FormatClockWeekday(r, layout, now),
                              FormatClockTime(r, layout, now, lang)};
    const QString title = r.get(clockdigit::Title);
    const bool exists[3] = {!title.isEmpty() || (flags & 7) != 0, (flags & 8) != 0, (flags & 0xF0) != 0};
    const PartRects parts = LayoutParts(area, texts, exists, r.get(clockdigit::MultiLine) != 0, extent);
    const QSize digit = extent(QStringLiteral("0"));
    const QSize letter = extent(QStringLiteral("A"));
    const QSize nian = extent(QStringLiteral(u"年"));
    const int wDash = extent(QStringLiteral("-")).width();
    const int wSlash = extent(QStringLiteral("/")).width();
    const int wColon = extent(QStringLiteral(":")).width();
    const int wSpace = extent(QStringLiteral(" ")).width();

    // Date part.
    if (parts.Drawn[0]) {
        const QSize t = extent(texts[0]);
        CellRun run{cells, digit, partStart(parts, 0, t.width()) + extent(title).width(),
                    textTop(parts.Parts[0], t.height())};
        const bool y = flags & 1, m = flags & 2, d = flags & 4;
        if (!chinese && dateFormat == 2) {
            for (int i = 4; i <= 6; ++i)
                run.put(i, m, letter);
            if (m)
                run.x += wDash;
            run.put(7, d, digit);
            run.put(8, d, digit);
            if (m || d)
                run.x += wDash;
            for (int i = 0; i < 4; ++i)
                run.put(i, y && !(twoDigit && i >= 2), digit);
        } else {
            const int sep = dateFormat == 0 ? wDash : dateFormat == 2 ? nian.width() : wSlash;
            const int dayCell = 6;
            auto year = [&] {
                for (int i = 0; i < 4; ++i)
                    run.put(i, y && !(twoDigit && i < 2), digit);
            };
            if (dateFormat <= 2) {
                year();
                if (y)
                    run.x += sep;
                run.put(4, m, digit);
                run.put(5, m, digit);
                if (m)
                    run.x += sep;
                run.put(dayCell, d, digit);
                run.put(dayCell + 1, d, digit);
            } else {
                run.put(dayCell, d, digit);
                run.put(dayCell + 1, d, digit);
                if (d)
                    run.x += sep;
                run.put(4, m, digit);
                run.put(5, m, digit);
                if (m)
                    run.x += sep;
                year();
            }
        }
    }

    // Weekday part.
    if (parts.Drawn[1] && (flags & 8)) {
        const QSize t = extent(texts[1]);
        const int x = partStart(parts, 1, t.width());
        const int top = textTop(parts.Parts[1], t.height());
        if (chinese) {
            cells[8] = QRect(x + wSpace + 2 * nian.width(), top, nian.width(), nian.height());
        } else {
            for (int i = 0; i < 3; ++i)
                cells[9 + i] = QRect(x + wSpace + i * letter.width(), top, letter.width(), letter.height());
        }
    }

    // Time part.
    if (parts.Drawn[2]) {
        const QSize t = extent(texts[2]);
        const bool h = flags & 0x10, m = flags & 0x20, s = flags & 0x40, ampm = flags & 0x80;
        CellRun run{cells, digit, partStart(parts, 2, t.width()), textTop(parts.Parts[2], t.height())};
        const int first = chinese ? 10 : 12;
        int sep = wColon;
        if (chinese) {
            sep = timeFormat == 0 ? wColon : nian.width();
            const bool cnMark = ampm && timeFormat != 0;
            run.put(9, cnMark, nian);
            if (cnMark)
                run.x += nian.width();
        }
        run.put(first, h, digit);
        run.put(first + 1, h, digit);
        if (h)
            run.x += sep;
        run.put(first + 2, m, digit);
        run.put(first + 3, m, digit);
        if (m)
            run.x += sep;
        run.put(first + 4, s, digit);
        run.put(first + 5, s, digit);
        if (chinese) {
            if (ampm && timeFormat == 0) {
                if (s || !(h || m || s))
                    run.x += wColon;
                run.put(16, true, letter);
            }
        } else if (ampm) {
            if (s)
                run.x += timeFormat == 0 ? wColon : letter.width() + wColon;
            else if (timeFormat != 0)
                run.x += wColon;
            run.put(18, true, letter);
        }
    }
    return cells;
}

int DigitCount(std::int64_t v)
{
    std::int64_t a = v < 0 ? -v : v;
    int n = 1;
    while (a >= 10) {
        a /= 10;
        ++n;
    }
    return n;
}

QString MakeCounterFormat(int n) { return QStringLiteral("%0") + QString::number(n) + QLatin1Char('d'); }

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, int m, int d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr std::int64_t kEpoch2000 = 946684800;   // 2000-01-01 in seconds since 1970

QString counterNumber(int digits, std::int64_t v, const QString& unit)
{
    char buf[48];
    std::snprintf(buf, sizeof buf, "%0*lld", digits, static_cast<long long>(v));
    return QString::fromLatin1(buf) + unit;
}

}

std::int64_t CounterSpanSeconds(std::uint32_t target, std::uint32_t countMode, const ClockNow& now)
{
    const std::int64_t nowSeconds =
        daysFromCivil(now.Year, now.Month, now.Day) * 86400 + now.Hour * 3600 + now.Minute * 60 + now.Second;
    const std::int64_t span = kEpoch2000 + static_cast<std::int64_t>(target) - nowSeconds;
    if (countMode == 0)
        return span <= 0 ? 0 : span;
    return span >= 0 ? 0 : -span;
}

std::array<int, 4> CounterDigitCounts(std::int64_t s, std::uint32_t units)
{
    // Below a shown unit the amount is capped by that unit, so smaller units
    // get two digits even when a unit between them is hidden.
    std::array<int, 4> c{0, 0, 0, 0};
    bool capped = false;
    if (units & counter::Days) {
        c[0] = DigitCount(s / 86400);
        s = 86399;
        capped = true;
    }
    if (units & counter::Hours)
        c[1] = DigitCount(s / 3600);
    if (capped || (units & counter::Hours)) {
        s = 3599;
        capped = true;
    }
    if (units & counter::Minutes)
        c[2] = DigitCount(s / 60);
    if (capped || (units & counter::Minutes))
        s = 59;
    if (units & counter::Seconds)
        c[3] = DigitCount(s);
    return c;
}

std::int64_t CounterCellSpan(const ItemRecord& r, std::int64_t span)
{
    return r.get(counter::CountMode) == 1 ? counter::MaxSpanSeconds : span;
}

QString FormatCounterTitle(const ItemRecord& r) { return r.get(counter::Title); }

QString FormatCounterDays(const ItemRecord& r, std::int64_t span, int lang)
{
    const std::uint32_t units = r.get(counter::Units);
    if (!(units & counter::Days))
        return {};
    const auto counts = CounterDigitCounts(CounterCellSpan(r, span), units);
    return counterNumber(counts[0], span / 86400, GetLangText(0, lang));
}

QString FormatCounterTime(const ItemRecord& r, std::int64_t span, int lang)
{
    const std::uint32_t units = r.get(counter::Units);
    const auto counts = CounterDigitCounts(CounterCellSpan(r, span), units);
    std::int64_t rest = units & counter::Days ? span % 86400 : span;
    QString t;
    if (units & counter::Hours) {
        t += counterNumber(counts[1], rest / 3600, GetLangText(1, lang));
        rest %= 3600;
    }
    if (units & counter::Minutes) {
        t += counterNumber(counts[2], rest / 60, GetLangText(2, lang));
        rest %= 60;
    }
    if (units & counter::Seconds)
        t += counterNumber(counts[3], rest, GetLangText(3, lang));
    return t;
}

std::vector<QRect> CounterCells(const ItemRecord& r, std::int64_t span, int lang, const QRect& area,
                                const TextExtent& extent)
{
    const std::uint32_t units = r.get(counter::Units);
    const auto counts = CounterDigitCounts(CounterCellSpan(r, span), units);
    const QString texts[3] = {FormatCounterTitle(r), FormatCounterDays(r, span, lang), FormatCounterTime(r, span, lang)};
    const bool exists[3] = {!texts[0].isEmpty(), (units & counter::Days) != 0,
                            (units & (counter::Hours | counter::Minutes | counter::Seconds)) != 0};
    const PartRects parts = LayoutParts(area, texts, exists, r.get(counter::MultiLine) != 0, extent);
    const QSize digit = extent(QStringLiteral("0"));
    auto row = [&](int count, int x, int top) {
        std::vector<QRect> v;
        for (int i = 0; i < count; ++i)
            v.emplace_back(x + i * digit.width(), top, digit.width(), digit.height());
        return v;
    };
    std::vector<QRect> days, hours, minutes, seconds;
    if (parts.Drawn[1] && counts[0] > 0) {
        const QSize t = extent(texts[1]);
        days = row(counts[0], partStart(parts, 1, t.width()), textTop(parts.Parts[1], t.height()));
    }
    if (parts.Drawn[2]) {
        const QSize t = extent(texts[2]);
        int x = partStart(parts, 2, t.width());
        const int top = textTop(parts.Parts[2], t.height());
        if (counts[1] > 0) {
            hours = row(counts[1], x, top);
            x += counts[1] * digit.width() + extent(GetLangText(1, lang)).width();
        }
        if (counts[2] > 0) {
            minutes = row(counts[2], x, top);
            x += counts[2] * digit.width() + extent(GetLangText(2, lang)).width();
        }
        if (counts[3] > 0)
            seconds = row(counts[3], x, top);
    }
    std::vector<QRect> cells;
    for (auto* unit : {&seconds, &minutes, &hours, &days})
        cells.insert(cells.end(), unit->begin(), unit->end());
    if (cells.size() > 15)
        cells.resize(15);
    return cells;
}

std::uint32_t CounterCellMask(std::uint32_t units, const std::array<int, 4>& counts)
{
    // Each unit's run ends at its fixed top bit and grows downward.
    struct Run {
        std::uint32_t unit;
        int top;
        int count;
    };
    const Run runs[] = {{counter::Seconds, 8, counts[3]},
                        {counter::Minutes, 16, counts[2]},
                        {counter::Hours, 22, counts[1]},
                        {counter::Days, 27, counts[0]}};
    std::uint32_t mask = 0;
    for (const Run& run : runs) {
        if (!(units & run.unit))
            continue;
        for (int i = 0; i < run.count && run.top - i >= 0; ++i)
            mask |= 1u << (run.top - i);
    }
    return mask;
}

}
