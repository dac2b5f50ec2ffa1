#include "core/render/ClockPaint.h"

#include "core/api/ItemRecord.h"
#include "platform/Colour.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

QFont ledFont(QFont f)
{
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

void drawParts(QImage& target, const QRect& rect, const QFont& font, QRgb colour, const QString (&texts)[3],
               const bool (&exists)[3], bool multiLine, const std::vector<QRect>& cells)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const QFont f = ledFont(font);
    QImage canvas(rect.size(), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    const PartRects parts = LayoutParts(QRect(QPoint(0, 0), rect.size()), texts, exists, multiLine, ExtentOf(f));
    {
        QPainter p(&canvas);
        p.setFont(f);
        p.setPen(QColor::fromRgb(colour));
        for (int i = 0; i < 3; ++i) {
            if (!parts.Drawn[i])
                continue;
            const int align = Qt::TextSingleLine | Qt::AlignVCenter | (parts.Centred ? Qt::AlignHCenter : Qt::AlignLeft);
            p.drawText(parts.Parts[i], align | (parts.Centred ? Qt::TextDontClip : 0), texts[i]);
        }
        for (const QRect& c : cells)
            if (c.width() > 0)
                p.fillRect(c.translated(-rect.topLeft()), Qt::black);
    }
    CopyNonBlack(target, canvas, rect.topLeft());
}

}

TextExtent ExtentOf(const QFont& font)
{
    const QFontMetrics fm(ledFont(font));
    return [fm](const QString& s) { return QSize(fm.horizontalAdvance(s), fm.height()); };
}

void CopyNonBlack(QImage& target, const QImage& source, QPoint at)
{
    const QImage src = source.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const int ty = at.y() + y;
        if (ty < 0 || ty >= target.height())
            continue;
        const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int tx = at.x() + x;
            if (tx >= 0 && tx < target.width() && (line[x] & 0xFFFFFF) != 0)
                target.setPixel(tx, ty, line[x] | 0xFF000000u);
        }
    }
}

namespace {
struct ClockParts {
    QString texts[3];
    bool exists[3];
};

ClockParts clockParts(const ItemRecord& r, ClockLayout layout, const ClockNow& now, int lang)
{
    const std::uint32_t flags = r.get(clockdigit::ShowFlags);
    const QString title = r.get(clockdigit::Title);
    return {{FormatClockDate(r, layout, now), FormatClockWeekday(r, layout, now), FormatClockTime(r, layout, now, lang)},
            {!title.isEmpty() || (flags & 7) != 0, (flags & 8) != 0, (flags & 0xF0) != 0}};
}

ClockParts counterParts(const ItemRecord& r, std::int64_t span, int lang)
{
    const std::uint32_t units = r.get(counter::Units);
    ClockParts p{{FormatCounterTitle(r), FormatCounterDays(r, span, lang), FormatCounterTime(r, span, lang)}, {}};
    p.exists[0] = !p.texts[0].isEmpty();
    p.exists[1] = (units & counter::Days) != 0;
    p.exists[2] = (units & (counter::Hours | counter::Minutes | counter::Seconds)) != 0;
    return p;
}

std::int64_t spanOf(const ItemRecord& r, const ClockNow& now)
{
    return CounterSpanSeconds(r.get(counter::Target), r.get(counter::CountMode), now);
}
}

void DrawDigitalClock(QImage& target, const QRect& rect, const ItemRecord& r, const QFont& font, const ClockNow& now,
                      int lang, bool device)
{
    const ClockLayout layout = ClockLayoutFor(lang);
    if (layout == ClockLayout::None)
        return;
    const ClockParts parts = clockParts(r, layout, now, lang);
    std::vector<QRect> cells;
    if (device)
        cells = ClockCells(r, layout, now, lang, rect, ExtentOf(font));
    drawParts(target, rect, font, platform::colorRefToRgb(r.get(clockdigit::Colour)), parts.texts, parts.exists,
              r.get(clockdigit::MultiLine) != 0, cells);
}

QSize MeasureDigitalClock(const QRect& rect, const ItemRecord& r, const QFont& font, const ClockNow& now, int lang)
{
    if (r.get(clockdigit::MultiLine) != 0)
        return rect.size();
    const ClockLayout layout = ClockLayoutFor(lang);
    const ClockParts parts = clockParts(r, layout, now, lang);
    return {ExtentOf(font)(parts.texts[0] + parts.texts[1] + parts.texts[2]).width(), rect.height()};
}

std::vector<QRect> CollectClockCells(const QRect& rect, const ItemRecord& r, const QFont& font, const ClockNow& now,
                                     int lang)
{
    std::vector<QRect> cells = ClockCells(r, ClockLayoutFor(lang), now, lang, QRect(QPoint(0, 0), rect.size()),
                                          ExtentOf(font));
    return cells;
}

void DrawCounter(QImage& target, const QRect& rect, const ItemRecord& r, const QFont& font, const ClockNow& now,
                 int lang, bool device)
{
    const std::int64_t span = spanOf(r, now);
    const ClockParts parts = counterParts(r, span, lang);
    std::vector<QRect> cells;
    if (device)
        cells = CounterCells(r, span, lang, rect, ExtentOf(font));
    drawParts(target, rect, font, platform::colorRefToRgb(r.get(counter::Colour)), parts.texts, parts.exists,
              r.get(counter::MultiLine) != 0, cells);
}

QSize MeasureCounter(const QRect& rect, const ItemRecord& r, const QFont& font, const ClockNow& now, int lang)
{
    if (r.get(counter::MultiLine) != 0)
        return rect.size();
    const ClockParts parts = counterParts(r, spanOf(r, now), lang);
    return {ExtentOf(font)(parts.texts[0] + parts.texts[1] + parts.texts[2]).width(), rect.height()};
}

std::vector<QRect> CollectCounterCells(const QRect& rect, const ItemRecord& r, const QFont& font, const ClockNow& now,
                                       int lang)
{
    return CounterCells(r, spanOf(r, now), lang, QRect(QPoint(0, 0), rect.size()), ExtentOf(font));
}

}
