#include "core/render/AnalogClock.h"

#include "core/api/ItemRecord.h"
#include "platform/Colour.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace sorvane::render {

namespace {

QColor colourAt(const ItemRecord& r, records::U32 f) { return platform::toQColor(r.get(f)); }

int roundHalfUp(double v) { return static_cast<int>(std::floor(v + 0.5)); }

// Sizes, lengths and widths as stored are unsigned and unchecked; anything
// past this draws off the face anyway, and keeping them below it keeps every
// derived coordinate inside int.
constexpr std::uint32_t kMaxGeometry = 32767;

int geometry(const ItemRecord& r, records::U32 f)
{
    return static_cast<int>(std::min(r.get(f), kMaxGeometry));
}

}

QPointF DialDirection(int i)
{
    i = ((i % 60) + 60) % 60;
    // Exact at the quarters, so the hands of 12, 3, 6 and 9 stand straight.
    switch (i) {
    case 0: return {0.0, -1.0};
    case 15: return {1.0, 0.0};
    case 30: return {0.0, 1.0};
    case 45: return {-1.0, 0.0};
    default: break;
    }
    const double a = i * M_PI / 30.0;
    return {std::sin(a), -std::cos(a)};
}

HandIndices ClockHandIndices(const ClockNow& now)
{
    int hour = (now.Hour % 12) * 5 + now.Minute / 12;
    if (hour >= 60)
        hour = 0;
    return {now.Second, now.Minute, hour};
}

double DialRadius(const ItemRecord& r, int width, int height)
{
    const int marks = std::max(geometry(r, clocksimul::HourMarkSize), geometry(r, clocksimul::MinuteMarkSize));
    return std::min(width / 2, height / 2) - marks;
}

QPolygonF MakeHandPolygon(int index, double length, double halfWidth, QPointF centre)
{
    const double tail = length / 6 > 0 ? length / 6 : 1;
    const QPointF dir = DialDirection(index);
    const QPointF base = centre + dir;
    QPolygonF poly;
    poly << centre + tail * DialDirection(index + 30) << base + halfWidth * DialDirection(index + 45)
         << centre + length * dir << base + halfWidth * DialDirection(index + 15);
    return poly;
}

void DrawHand(Hand hand, int index, QPainter& p, int x, int y, int width, int height, const ItemRecord& r,
              bool clear)
{
    if (clear)
        p.fillRect(QRect(x, y, width, height), Qt::black);
    const double radius = DialRadius(r, width, height);
    const QPointF centre(x + width / 2, y + height / 2);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    if (hand == Hand::Second) {
        const QColor c = colourAt(r, clocksimul::SecondColour);
        const double length = geometry(r, clocksimul::SecondLength) * radius / 100;
        const QPointF tip = centre + length * DialDirection(index);
        const QPoint a(roundHalfUp(centre.x()), roundHalfUp(centre.y()));
        const QPoint b(roundHalfUp(tip.x()), roundHalfUp(tip.y()));
        const int w = std::max(geometry(r, clocksimul::SecondWidth), 1);
        // Wide pens end round, as wide line pens of the preview do.
        p.setPen(w == 1 ? QPen(c, 0) : QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(a, b);
        p.setPen(QPen(c, 0));
        p.drawPoint(b);
    } else {
        const bool minute = hand == Hand::Minute;
        const QColor c = colourAt(r, minute ? clocksimul::MinuteColour : clocksimul::HourColour);
        const double length = geometry(r, minute ? clocksimul::MinuteLength : clocksimul::HourLength) * radius / 100;
        const double half = geometry(r, minute ? clocksimul::MinuteWidth : clocksimul::HourWidth) >> 1;
        const QPolygonF poly = MakeHandPolygon(index, length, half, centre);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(poly, Qt::OddEvenFill);
        p.setPen(QPen(c, 0));
        p.drawLine(poly[2], poly[0]);
    }
    p.restore();
}

QRect HandBounds(Hand hand, int index, int x, int y, int width, int height, const ItemRecord& r)
{
    const double radius = DialRadius(r, width, height);
    const QPointF centre(x + width / 2, y + height / 2);
    QRectF box;
    double margin = 2;
    if (hand == Hand::Second) {
        const double length = geometry(r, clocksimul::SecondLength) * radius / 100;
        const QPointF tip = centre + length * DialDirection(index);
        const QPointF a(roundHalfUp(centre.x()), roundHalfUp(centre.y()));
        const QPointF b(roundHalfUp(tip.x()), roundHalfUp(tip.y()));
        box = QRectF(a, b).normalized();
        // A round cap reaches half the pen width past each end.
        margin += std::max(geometry(r, clocksimul::SecondWidth), 1) / 2.0;
    } else {
        const bool minute = hand == Hand::Minute;
        const double length = geometry(r, minute ? clocksimul::MinuteLength : clocksimul::HourLength) * radius / 100;
        const double half = geometry(r, minute ? clocksimul::MinuteWidth : clocksimul::HourWidth) >> 1;
        box = MakeHandPolygon(index, length, half, centre).boundingRect();
    }
    const int l = static_cast<int>(std::floor(box.left() - margin)), t = static_cast<int>(std::floor(box.top() - margin));
    const int rr = static_cast<int>(std::ceil(box.right() + margin)), b = static_cast<int>(std::ceil(box.bottom() + margin));
    return QRect(QPoint(l, t), QPoint(rr, b));
}

void DrawClockHands(QPainter& p, const ItemRecord& r, int x, int y, int width, int height, const ClockNow& now)
{
    const HandIndices i = ClockHandIndices(now);
    DrawHand(Hand::Minute, i.Minute, p, x, y, width, height, r, false);
    DrawHand(Hand::Hour, i.Hour, p, x, y, width, height, r, false);
    DrawHand(Hand::Second, i.Second, p, x, y, width, height, r, false);
}

std::vector<std::uint8_t> BitmapToPixelList(const QImage& image, bool* ok)
{
    std::vector<std::uint8_t> out;
    if (ok)
        *ok = true;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0)
                continue;
            if (x > 255 || y > 255) {
                if (ok)
                    *ok = false;
                return {};
            }
            out.push_back(static_cast<std::uint8_t>(x));
            out.push_back(static_cast<std::uint8_t>(y));
        }
    }
    return out;
}

bool AppendPixelList(const QImage& image, const QRect& area, std::vector<std::uint8_t>& out)
{
    const QRect a = area.intersected(image.rect());
    if (a.isEmpty())
        return true;
    for (int y = a.top(); y <= a.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = a.left(); x <= a.right(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0)
                continue;
            if (x > 255 || y > 255)
                return false;
            out.push_back(static_cast<std::uint8_t>(x));
            out.push_back(static_cast<std::uint8_t>(y));
        }
    }
    return true;
}

QPointF DialMarkCentre(int k, double cx, double cy, double rx, double ry)
{
    const float pi = 3.1415925f;
    const double t = k * static_cast<double>(pi) / 30.0;
    const double c2 = std::cos(t) * std::cos(t), s2 = std::sin(t) * std::sin(t);
    const double den = ry * ry * c2 + rx * rx * s2;
    const double X = den > 0 ? std::sqrt(rx * rx * ry * ry * c2 / den) : 0;
    const double Y = den > 0 ? std::sqrt(rx * rx * ry * ry * s2 / den) : 0;
    if (k <= 15)
        return {cx + X, cy - Y};
    if (k <= 30)
        return {cx - X, cy - Y};
    if (k <= 45)
        return {cx - X, cy + Y};
    return {cx + X, cy + Y};
}

int DialNumeralHour(int k)
{
    const int n = ((k / 5) % 12 + 12) % 12 + 1;
    return n <= 3 ? 4 - n : n == 4 ? 12 : 16 - n;
}

}

#include "core/render/ClockPaint.h"
#include "core/render/DeviceRecords.h"
#include "core/render/ImageEx.h"
#include "platform/FontMap.h"

#include <QFontMetrics>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

QFont numeralFont(int style)
{
    LOGFONT lf;
    lf.lfHeight = 12;
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    SetLogFontFaceName(lf, style == 3 ? u"Times New Roman" : u"Batang");
    return platform::FontFromLogFont(lf);
}

QString numeralText(int style, int hour)
{
    static const char16_t* const roman[12] = {u"Ⅰ", u"Ⅱ", u"Ⅲ", u"Ⅳ", u"Ⅴ", u"Ⅵ",
                                              u"Ⅶ", u"Ⅷ", u"Ⅸ", u"Ⅹ", u"Ⅺ", u"Ⅻ"};
    if (style == 3)
        return QString::number(hour);
    return QString::fromUtf16(roman[(hour + 11) % 12]);
}

}

void DrawDialMark(QPainter& p, int style, int x, int y, int s, int k)
{
    if (s < 2) {
        p.drawPoint(x, y);
        return;
    }
    const int l = roundHalfUp(x - s / 2.0), t = roundHalfUp(y - s / 2.0);
    const int r = roundHalfUp(x + s / 2.0), b = roundHalfUp(y + s / 2.0);
    switch (style) {
    case 0: p.drawEllipse(QRect(l, t, r - l - 1, b - t - 1)); break;
    case 1: {
        const int mx = (l + r) / 2, my = (t + b) / 2;
        p.save();
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygon({QPoint(mx, t), QPoint(r, my), QPoint(mx, b), QPoint(l, my)}));
        p.restore();
        break;
    }
    case 2: p.drawRect(QRect(l, t, r - l - 1, b - t - 1)); break;
    default: {
        // Numbered from the mark's own position, so every face numbers alike.
        const QFont f = numeralFont(style);
        const QString text = numeralText(style, DialNumeralHour(k));
        const QFontMetrics fm(f);
        p.save();
        p.setFont(f);
        p.setPen(platform::toQColor(0x0000FF));
        p.drawText(QRect(l, t, fm.horizontalAdvance(text), fm.height()), Qt::AlignHCenter | Qt::TextSingleLine, text);
        p.restore();
        break;
    }
    }
}

void DrawAnalogFace(QImage& target, const ItemRecord& r, int x, int y, int W, int H, bool device, const ClockNow& now,
                    int lang)
{
    if (W <= 0 || H <= 0)
        return;
    const int hourSize = geometry(r, clocksimul::HourMarkSize);
    const int minuteSize = geometry(r, clocksimul::MinuteMarkSize);
    const int m = std::max(hourSize, minuteSize);
    const double rx = W / 2.0 - m / 2.0, ry = H / 2.0 - m / 2.0;
    const double cx = x + W / 2, cy = y + H / 2;

    const QString picture = r.get(clocksimul::Picture);
    if (!picture.isEmpty()) {
        const ImageEx image(picture, 0);
        image.DrawInMode(target, QRect(x, y, W, H), static_cast<int>(r.get(clocksimul::PictureMode)), 0);
    }

    const std::unique_ptr<ItemRecord> band = MakeDateBandRecord(r);
    const QRect bandRect(QPoint(x, y + H * 17 / 32), QPoint(x + W - 1, y + H * 30 / 32 - 1));
    DrawDigitalClock(target, bandRect, *band, platform::FontFromLogFont(band->get(clockdigit::TextFont)), now, lang, device);

    QPainter p(&target);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QString title = r.get(clocksimul::Title);
    if (!title.isEmpty()) {
        const int top = W < H ? y + W / 6 + (H - W) / 2 : y + H / 6;
        const int bottom = W < H ? y + W / 3 + (H - W) / 2 : y + H / 3;
        p.setFont(platform::FontFromLogFont(r.get(clocksimul::TitleFont)));
        p.setPen(platform::toQColor(r.get(clocksimul::TitleColour)));
        p.drawText(QRect(QPoint(x, top), QPoint(x + W - 1, bottom - 1)),
                   Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, title);
    }
    auto marks = [&](bool hours, int size, int style, std::uint32_t colour) {
        if (size == 0)
            return;
        const QColor c = platform::toQColor(colour);
        p.setPen(QPen(c, 0));
        p.setBrush(c);
        for (int k = 0; k < 60; ++k) {
            if ((k % 5 == 0) != hours)
                continue;
            const QPointF at = DialMarkCentre(k, cx, cy, rx, ry);
            DrawDialMark(p, style, static_cast<int>(at.x()), static_cast<int>(at.y()), size, k);
        }
    };
    marks(true, hourSize, static_cast<int>(r.get(clocksimul::HourMarkStyle)), r.get(clocksimul::HourMarkColour));
    marks(false, minuteSize, static_cast<int>(r.get(clocksimul::MinuteMarkStyle)), r.get(clocksimul::MinuteMarkColour));

    if (r.get(clocksimul::FaceFlags) & 4) {
        const QFont f = platform::FontFromLogFont(r.get(clocksimul::NumeralFont));
        const QFontMetrics fm(f);
        p.setFont(f);
        p.setPen(platform::toQColor(r.get(clocksimul::NumeralColour)));
        for (int k = 0; k < 60; k += 5) {
            const QPointF d = DialDirection(k);
            const int nx = static_cast<int>(cx + d.x() * static_cast<double>(0.82f) * rx);
            const int ny = static_cast<int>(cy + d.y() * static_cast<double>(0.82f) * ry);
            const QString text = QString::number(k == 0 ? 12 : k / 5);
            const int w = fm.horizontalAdvance(text);
            p.drawText(QPoint(nx - w / 2, ny - w / 2 + fm.ascent()), text);
        }
    }
}

}
