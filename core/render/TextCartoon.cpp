#include "core/api/TextCartoon.h"

#include "core/render/FontMap.h"
#include "core/render/RichDrawText.h"
#include "platform/Colour.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

namespace render {

namespace {

using Points = std::vector<Point3>;
using Transform = std::function<void(Points&)>;

int trunc(double v) { return static_cast<int>(v); }

// Translate by minus half the doubled centre, transform, translate back.
void about(Points& p, int sx, int sy, const Transform& t)
{
    const int dx = trunc(0.5 * sx), dy = trunc(0.5 * sy);
    TranslatePoints(p.data(), p.data(), static_cast<int>(p.size()), -dx, -dy);
    t(p);
    TranslatePoints(p.data(), p.data(), static_cast<int>(p.size()), dx, dy);
}

Transform rotate(int axis, double degrees)
{
    return [=](Points& p) { RotatePoints(p.data(), p.data(), static_cast<int>(p.size()), axis, degrees * kEffectDegree); };
}

Transform scale(double sx, double sy, double sz = 1.0)
{
    return [=](Points& p) { ScalePoints(p.data(), p.data(), static_cast<int>(p.size()), sx, sy, sz); };
}

Transform shear(int type, double f)
{
    return [=](Points& p) { ShearPoints(p.data(), p.data(), static_cast<int>(p.size()), type, f); };
}

void move(Points& p, double dx, double dy) { TranslatePoints(p.data(), p.data(), static_cast<int>(p.size()), dx, dy); }

std::uint32_t channelMix(std::uint32_t c, double t, std::uint32_t target)
{
    auto mix = [t](int from, int to) { return trunc(from + t * (to - from)); };
    return platform::makeColorRef(mix(c & 0xFF, target & 0xFF), mix((c >> 8) & 0xFF, (target >> 8) & 0xFF),
                                  mix((c >> 16) & 0xFF, (target >> 16) & 0xFF));
}

std::uint32_t channelScale(std::uint32_t c, double f)
{
    return platform::makeColorRef(trunc((c & 0xFF) * f), trunc(((c >> 8) & 0xFF) * f), trunc(((c >> 16) & 0xFF) * f));
}

constexpr std::uint32_t kEffectTarget = 0x250000 | 0xE1;   // red 225, green 0, blue 37

// Our own sparkle pictures: stars of growing size in three colour groups.
QImage sparkle(int index)
{
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::black);
    static const QRgb groups[3] = {0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
    const QRgb colour = groups[index / 5];
    const int r = 1 + 1.5 * (index % 5);
    QPainter p(&img);
    p.setPen(QColor::fromRgb(colour));
    p.drawLine(8 - r, 8, 8 + r, 8);
    p.drawLine(8, 8 - r, 8, 8 + r);
    p.drawLine(8 - r / 2, 8 - r / 2, 8 + r / 2, 8 + r / 2);
    p.drawLine(8 - r / 2, 8 + r / 2, 8 + r / 2, 8 - r / 2);
    return img;
}

}

void CaptureOutline(QChar c, const QFont& font, QPoint topLeft, std::vector<Point3>& points,
                    std::vector<std::uint8_t>& types)
{
    points.clear();
    types.clear();
    QFont f = font;
    f.setStyleStrategy(QFont::NoAntialias);
    QPainterPath path;
    path.addText(QPointF(topLeft.x(), topLeft.y() + QFontMetrics(f).ascent()), f, QString(c));
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        std::uint8_t t = PT_LINETO;
        if (e.type == QPainterPath::MoveToElement) {
            t = PT_MOVETO;
            if (!types.empty())
                types.back() |= PT_CLOSE;
        } else if (e.type != QPainterPath::LineToElement) {
            t = PT_BEZIER;
        }
        points.push_back({trunc(e.x), trunc(e.y), 0});
        types.push_back(t);
    }
    if (!types.empty())
        types.back() |= PT_CLOSE;
}

int TranslatePoints(const Point3* src, Point3* dst, int count, double dx, double dy)
{
    if (!src || !dst)
        return 0;
    for (int i = 0; i < count; ++i)
        dst[i] = {trunc(src[i].x + dx), trunc(src[i].y + dy), src[i].z};
    return 1;
}

int RotatePoints(const Point3* src, Point3* dst, int count, int axis, double angle)
{
    if (!src || !dst)
        return 0;
    const double c = std::cos(angle), s = std::sin(angle);
    for (int i = 0; i < count; ++i) {
        const double x = src[i].x, y = src[i].y, z = src[i].z;
        switch (axis) {
        case 0: dst[i] = {src[i].x, trunc(c * y - s * z), trunc(c * z + s * y)}; break;
        case 1: dst[i] = {trunc(c * x - s * z), src[i].y, trunc(c * z + s * x)}; break;
        case 2: dst[i] = {trunc(c * x - s * y), trunc(c * y + s * x), src[i].z}; break;
        default: dst[i] = src[i]; break;
        }
    }
    return 1;
}

int ScalePoints(const Point3* src, Point3* dst, int count, double sx, double sy, double sz)
{
    if (!src || !dst)
        return 0;
    for (int i = 0; i < count; ++i)
        dst[i] = {trunc(sx * src[i].x), trunc(sy * src[i].y), trunc(sz * src[i].z)};
    return 1;
}

int ShearPoints(const Point3* src, Point3* dst, int count, int type, double f)
{
    if (!src || !dst)
        return 0;
    for (int i = 0; i < count; ++i) {
        Point3 p = src[i];
        switch (type) {
        case 3: p.x = trunc(p.x + f * p.y); break;
        case 4: p.x = trunc(p.x + f * p.z); break;
        case 5: p.y = trunc(p.y + f * p.x); break;
        case 6: p.y = trunc(p.y + f * p.z); break;
        case 7: p.z = trunc(p.z + f * p.x); break;
        case 8: p.z = trunc(p.z + f * p.y); break;
        default: break;
        }
        dst[i] = p;
    }
    return 1;
}

int WavePoints(const Point3* src, Point3* dst, int count, int type, double amplitude, double phase)
{
    if (!src || !dst)
        return 0;
    for (int i = 0; i < count; ++i) {
        Point3 p = src[i];
        const int d = trunc(amplitude * std::sin(phase + p.x));
        if (type == 1)
            p.y += d;
        else if (type == 2)
            p.x += d;
        dst[i] = p;
    }
    return 1;
}

int DrawCharPath(QPainter& painter, const std::vector<Point3>& pts, const std::vector<std::uint8_t>& types,
                 std::uint32_t brushColour, std::uint32_t penColour, int flags)
{
    if ((flags & 3) == 0)
        return 0;
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    const std::size_t n = std::min(pts.size(), types.size());
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF p(pts[i].x, pts[i].y);
        switch (types[i] & ~PT_CLOSE) {
        case PT_BEZIER:
            if (i + 2 < n) {
                path.cubicTo(p, QPointF(pts[i + 1].x, pts[i + 1].y), QPointF(pts[i + 2].x, pts[i + 2].y));
                i += 2;
            }
            break;
        case PT_MOVETO: path.moveTo(p); break;
        case PT_LINETO: path.lineTo(p); break;
        default: break;
        }
    }
    path.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen((flags & 1) ? QPen(platform::toQColor(penColour), 0) : QPen(Qt::NoPen));
    painter.setBrush((flags & 2) ? QBrush(platform::toQColor(brushColour)) : QBrush(Qt::NoBrush));
    painter.drawPath(path);
    painter.restore();
    return 1;
}

int EffectFrameCount(int id, std::vector<CharGlyph>& chars, int height)
{
    const int n = static_cast<int>(chars.size());
    auto steps = [&](auto perChar) {
        int sum = 0;
        for (int i = 0; i < n; ++i) {
            chars[static_cast<std::size_t>(i)].Steps = perChar(i);
            sum += chars[static_cast<std::size_t>(i)].Steps;
        }
        return sum;
    };
    switch (id) {
    case 0: return 34;
    case 41:
    case 42: return n;
    case 44:
    case 48:
    case 54:
    case 55:
    case 56: return steps([](int) { return 3; });
    case 45: return steps([](int) { return 2; });
    case 46:
    case 47:
    case 53: return 6;
    case 49:
    case 66: return 12;
    case 50: steps([](int) { return 36; }); return 36;
    case 51:
    case 60: return 33;
    case 52: return 16;
    case 57: return 43;
    case 58:
    case 59: return steps([](int) { return 7; });
    case 61: return steps([&](int) { return std::max(1, height / 10); });
    case 62: return steps([&](int i) { return chars[static_cast<std::size_t>(i)].Cell.Bottom / 4; });
    case 63: {
        const int m = (n - 1) / 2;
        steps([m](int i) { return std::abs(m - i) + 10; });
        return (n - 1) / 2 + 10;
    }
    case 64:
    case 69:
    case 70: return 20;
    case 65: return n + 5;
    case 67: return 50;
    case 68: return 4 * n + 1;
    default: return 24;
    }
}

TextCartoon::TextCartoon(int width, int height) : m_width(width), m_height(height)
{
    for (int i = 0; i < 15; ++i)
        m_sparkles[i] = sparkle(i);
}

void TextCartoon::SetChars(const std::vector<LaidOutChar>& chars, int layoutRight, int layoutBottom)
{
    m_chars.clear();
    m_layoutRight = layoutRight;
    m_layoutBottom = layoutBottom;
    for (const LaidOutChar& lc : chars) {
        if (lc.Char == QChar(13) || lc.Char == QChar(10))
            continue;
        CharGlyph g;
        CaptureOutline(lc.Char, lc.Font, QPoint(lc.Cell.Left, lc.Cell.Top), g.Points, g.Types);
        g.Colour = lc.Colour;
        g.Index = lc.Index;
        g.Position = lc.Position;
        g.Cell = lc.Cell;
        m_chars.push_back(std::move(g));
    }
    m_frames = 24;
    Speed = 30;
}

bool TextCartoon::SetText(const QString& text)
{
    CRichDrawText host;
    host.SetText(text);
    const int length = host.GetTextLength();
    if (length < 1) {
        SetChars({}, 0, 0);
        return false;
    }
    QRect layout(0, 0, m_width, m_height);
    host.FitLayout(layout);
    std::vector<LaidOutChar> chars;
    chars.reserve(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) {
        LOGFONT lf;
        if (!host.GetCharLogFont(i, lf))
            break;
        const char16_t c = host.GetCharAt(i);
        if (c == 13 || c == 10)
            continue;
        LaidOutChar lc;
        lc.Char = QChar(c);
        lc.Font = FontFromLogFont(lf);
        const QRect cell = host.GetCharCellRect(i);
        lc.Cell = {cell.left(), cell.top(), cell.left() + cell.width(), cell.top() + cell.height()};
        QTextCharFormat format;
        if (host.GetCharFormatAt(i, format) && format.foreground().style() != Qt::NoBrush)
            lc.Colour = platform::fromQColor(format.foreground().color());
        lc.Position = cell.topLeft();
        lc.Index = i;
        chars.push_back(std::move(lc));
    }
    SetChars(chars, layout.left() + layout.width(), layout.top() + layout.height());
    return true;
}

void TextCartoon::SetEffect(int id)
{
    m_effect = id;
    m_frames = EffectFrameCount(id, m_chars, m_height);
}

namespace {

// Centres are kept doubled: the coordinate sum, halved when used.
struct Centre {
    int sx;
    int sy;
};

Centre cellCentre(const CharGlyph& c) { return {c.Cell.Left + c.Cell.Right, c.Cell.Top + c.Cell.Bottom}; }

// What every effect sees of the frame being drawn.
struct Frame {
    QPainter& p;
    int id;
    int k;            // frame, 1..F
    int F;            // frame count
    int n;            // characters
    double half;
    double u;         // rises from 0 to 1 at the middle frame, then falls back
    Centre text;      // of the fitted text
    Centre picture;   // of the whole picture
    int width;
    int height;
    const std::vector<int>& ends;   // cumulative end step of each character
    const QImage* sparkles;

    void draw(const CharGlyph& c, const Points& pts, std::uint32_t colour, int flags = 3) const
    {
        DrawCharPath(p, pts, c.Types, colour, colour, flags);
    }
    void plain(const CharGlyph& c) const { draw(c, c.Points, c.Colour); }
    void aboutCell(const CharGlyph& c, const Transform& t) const
    {
        Points pts = c.Points;
        const Centre cc = cellCentre(c);
        about(pts, cc.sx, cc.sy, t);
        draw(c, pts, c.Colour);
    }
    void aboutCentre(const CharGlyph& c, Centre centre, const Transform& t, std::uint32_t colour) const
    {
        Points pts = c.Points;
        about(pts, centre.sx, centre.sy, t);
        draw(c, pts, colour);
    }
};

// One character of the frame.
struct Char {
    CharGlyph& c;
    int i;
    Centre cc;
    int end;     // in progress while start < k <= end
    int start;
};

using EffectFn = void (*)(const Frame& f, const Char& ch);

// Scales x (0), y (1) or both (2).
Transform scaleWhich(int which, double f) { return scale(which != 1 ? f : 1.0, which != 0 ? f : 1.0); }

void flipOver(const Frame& f, const Char& ch)   // 0
{
    const CharGlyph& c = ch.c;
    const int y = c.Cell.Top;
    if (f.k > f.F / 4) {
        Points pts = c.Points;
        move(pts, 0, 2 - y);
        rotate(0, trunc(90.0 * (f.F / 4 + f.F - f.k) / f.F))(pts);
        move(pts, 0, y);
        f.draw(c, pts, c.Colour);
    }
    if (f.k < f.F) {
        Points pts = c.Points;
        move(pts, 0, -c.Cell.Bottom);
        rotate(0, trunc((90.0 * f.k - 90) / f.F))(pts);
        move(pts, 0, c.Cell.Bottom);
        f.draw(c, pts, c.Colour);
    }
}

void sway(const Frame& f, const Char& ch)   // 1, 43
{
    const double s = f.k < f.half ? 2.0 * f.k / f.F - 0.5 : 2.0 * (f.F - f.k) / f.F - 0.5;
    if (f.id == 1) {
        Points pts = ch.c.Points;
        shear(3, s)(pts);
        f.draw(ch.c, pts, ch.c.Colour);
    } else {
        f.aboutCell(ch.c, shear(3, s));
    }
}

void tiltText(const Frame& f, const Char& ch)   // 2
{
    f.aboutCentre(ch.c, f.text, [&](Points& pts) { rotate(0, 70 * f.u - 35)(pts); rotate(1, 20)(pts); }, ch.c.Colour);
}

void turnTextTinted(const Frame& f, const Char& ch)   // 3
{
    f.aboutCentre(ch.c, {f.text.sx, 0}, [&](Points& pts) { rotate(1, 60 * f.u - 30)(pts); rotate(2, 1.5 * f.u)(pts); },
                  channelMix(ch.c.Colour, f.u, kEffectTarget));
}

void rockPicture(const Frame& f, const Char& ch)   // 4
{
    f.aboutCentre(ch.c, f.picture, rotate(2, 12 * f.u - 6), ch.c.Colour);
}

void tiltCells(const Frame& f, const Char& ch)   // 5
{
    Points pts = ch.c.Points;
    about(pts, ch.cc.sx, ch.cc.sy, rotate(0, 70 * f.u - 35));
    rotate(1, 20)(pts);
    f.draw(ch.c, pts, ch.c.Colour);
}

void turnCells(const Frame& f, const Char& ch)   // 6
{
    f.aboutCell(ch.c, [&](Points& pts) { rotate(1, 90 * f.u - 45)(pts); rotate(2, 2 * f.u - 1)(pts); });
}

void rockCells(const Frame& f, const Char& ch) { f.aboutCell(ch.c, rotate(2, 40 * f.u - 20)); }   // 7

void tumbleText(const Frame& f, const Char& ch)   // 8
{
    f.aboutCentre(ch.c, f.text, rotate(0, 360.0 * f.k / f.F - 90),
                  channelMix(ch.c.Colour, static_cast<double>(f.k) / f.F, kEffectTarget));
}

void spinTextY(const Frame& f, const Char& ch) { f.aboutCentre(ch.c, f.text, rotate(1, 360.0 * f.k / f.F), ch.c.Colour); }   // 9

void spinTextZ(const Frame& f, const Char& ch)   // 10
{
    f.aboutCentre(ch.c, {std::min(f.text.sx, 2 * (f.width / 2)), f.text.sy}, rotate(2, 360.0 * f.k / f.F), ch.c.Colour);
}

void tumbleCells(const Frame& f, const Char& ch)   // 11
{
    f.aboutCell(ch.c, [&](Points& pts) { rotate(0, 360.0 * f.k / f.F)(pts); rotate(1, 20)(pts); });
}

void spinCellsY(const Frame& f, const Char& ch)   // 12
{
    f.aboutCell(ch.c, [&](Points& pts) { rotate(1, 360.0 * f.k / f.F)(pts); rotate(2, 2.0 / f.F)(pts); });
}

void spinCellsZ(const Frame& f, const Char& ch) { f.aboutCell(ch.c, rotate(2, 360.0 * f.k / f.F)); }   // 13

void pulsePicture(const Frame& f, const Char& ch)   // 14, 15
{
    f.aboutCentre(ch.c, f.picture, scaleWhich(f.id - 14, 0.5 + 0.5 * f.u), ch.c.Colour);
}

void breathePicture(const Frame& f, const Char& ch)   // 17
{
    f.aboutCentre(ch.c, f.picture, scale(0.9 + 0.1 * f.u, 0.9 + 0.1 * f.u), ch.c.Colour);
}

void shrinkPicture(const Frame& f, const Char& ch)   // 18-20
{
    f.aboutCentre(ch.c, f.picture, scaleWhich(f.id - 18, 1 - 0.2 * f.k / f.F), ch.c.Colour);
}

void growPicture(const Frame& f, const Char& ch)   // 21-23
{
    f.aboutCentre(ch.c, f.picture, scaleWhich(f.id - 21, 0.6 + 0.4 * f.k / f.F), ch.c.Colour);
}

void pulseCells(const Frame& f, const Char& ch) { f.aboutCell(ch.c, scaleWhich(f.id - 24, 0.5 + 0.5 * f.u)); }   // 24-26
void shrinkCells(const Frame& f, const Char& ch) { f.aboutCell(ch.c, scaleWhich(f.id - 27, 1 - 0.5 * f.k / f.F)); }   // 27-29
void growCells(const Frame& f, const Char& ch) { f.aboutCell(ch.c, scaleWhich(f.id - 30, 0.5 + 0.5 * f.k / f.F)); }   // 30-32

void wave(const Frame& f, const Char& ch)   // 33, 34
{
    Points pts = ch.c.Points;
    WavePoints(pts.data(), pts.data(), static_cast<int>(pts.size()), f.id == 33 ? 1 : 2, 3, 0.5 + 3 * f.u);
    f.draw(ch.c, pts, ch.c.Colour);
}

void bob(const Frame& f, const Char& ch)   // 35-37
{
    const double phi = 2 * 3.14 * f.k / f.F;
    const double cx = ch.cc.sx / 2.0, cy = ch.cc.sy / 2.0;
    Points pts = ch.c.Points;
    if (f.id == 35)
        move(pts, 0, trunc(10 * std::sin(cx + phi)));
    else if (f.id == 36)
        move(pts, trunc(10 * std::sin(cx + phi)), 0);
    else
        move(pts, trunc(10 * std::sin(phi - cx)), trunc(10 * std::sin(phi - cy)));
    f.draw(ch.c, pts, ch.c.Colour);
}

void fadeIn(const Frame& f, const Char& ch)   // 38
{
    f.draw(ch.c, ch.c.Points, channelScale(ch.c.Colour, static_cast<double>(f.k) / f.F));
}

void fadeOut(const Frame& f, const Char& ch)   // 39
{
    const std::uint32_t c = ch.c.Colour;
    const std::uint32_t fade = channelScale(c, static_cast<double>(f.k) / f.F);
    f.draw(ch.c, ch.c.Points,
           platform::makeColorRef((c & 0xFF) - (fade & 0xFF), ((c >> 8) & 0xFF) - ((fade >> 8) & 0xFF),
                                  ((c >> 16) & 0xFF) - ((fade >> 16) & 0xFF)));
}

void glow(const Frame& f, const Char& ch) { f.draw(ch.c, ch.c.Points, channelScale(ch.c.Colour, f.u)); }   // 40

void typeOut(const Frame& f, const Char& ch)   // 41
{
    if (ch.i < f.k)
        f.plain(ch.c);
}

void magnifyInTurn(const Frame& f, const Char& ch)   // 42
{
    if (ch.i == f.k - 1)
        f.aboutCell(ch.c, scale(1.3, 1.3));
    else
        f.plain(ch.c);
}

void slideInFromRight(const Frame& f, const Char& ch)   // 44
{
    const CharGlyph& c = ch.c;
    Points pts = c.Points;
    if (f.k <= ch.end) {
        const int cw = std::max(c.Cell.Right - c.Cell.Left, 1);
        const int d = (f.width - ((f.width - c.Cell.Left) % cw + cw) % cw) / 3;
        move(pts, (ch.end - f.k) * d, 0);
    }
    f.draw(c, pts, c.Colour);
}

void slideInFromLeft(const Frame& f, const Char& ch)   // 45
{
    Points pts = ch.c.Points;
    if (f.k <= ch.end)
        move(pts, (f.k - ch.end) * (ch.c.Cell.Right / 2), 0);
    f.draw(ch.c, pts, ch.c.Colour);
}

void sparkleBehind(const Frame& f, const Char& ch)   // 46, 47, 53
{
    const CharGlyph& c = ch.c;
    const int r = f.k % 6;
    if (r >= 1) {
        const int group = f.id == 46 ? 5 : f.id == 47 ? 0 : 10;
        f.p.drawImage(QRect(c.Cell.Left, c.Cell.Top, c.Cell.Right - c.Cell.Left, c.Cell.Bottom - c.Cell.Top),
                      f.sparkles[group + r - 1]);
    }
    f.plain(c);
}

void unfoldInTurn(const Frame& f, const Char& ch)   // 48, 54, 55, 56
{
    const CharGlyph& c = ch.c;
    // 54 runs from the last character to the first.
    const int seqEnd = f.id == 54 ? f.ends[static_cast<std::size_t>(f.n - 1)] - ch.end + c.Steps : ch.end;
    const int seqStart = seqEnd - c.Steps;
    if (f.k <= seqStart)
        return;
    Points pts = c.Points;
    if (f.k <= seqEnd) {
        const double angle = 45.0 * (f.k - seqEnd);
        if (f.id == 55 || f.id == 56) {
            const int yAxis = f.id == 55 ? c.Cell.Bottom : c.Cell.Top;
            move(pts, 0, -yAxis);
            rotate(0, angle)(pts);
            move(pts, 0, yAxis);
        } else {
            move(pts, -c.Cell.Left, 0);
            rotate(1, angle)(pts);
            move(pts, c.Cell.Left, 0);
        }
    }
    f.draw(c, pts, c.Colour);
}

void wobble(const Frame& f, const Char& ch)   // 49
{
    static const int s[12] = {-1, -2, -3, -2, -1, 0, 1, 2, 3, 2, 1, 0};
    const int v = s[(f.k - 1) % 12];
    f.aboutCell(ch.c, [&](Points& pts) {
        rotate(2, 15.0 * v)(pts);
        scale(1 + 0.2 * std::abs(v), 1 + 0.2 * std::abs(v))(pts);
    });
}

void rollInTurn(const Frame& f, const Char& ch) { f.aboutCell(ch.c, rotate(0, 10.0 * (f.k - ch.i))); }   // 50

void gatherSpinning(const Frame& f, const Char& ch)   // 51, 60
{
    const int centre = (f.n + 1) / 2;
    const int d = std::max(0, f.F - f.k - 3);
    Points pts = ch.c.Points;
    if (d > 0) {
        const double radians = 12.0 * (f.k - 1);
        about(pts, ch.cc.sx, ch.cc.sy, [&](Points& q) {
            RotatePoints(q.data(), q.data(), static_cast<int>(q.size()), f.id == 51 ? 1 : 2, radians);
        });
    }
    move(pts, (ch.i - centre) * d, 0);
    f.draw(ch.c, pts, ch.c.Colour);
}

void swell(const Frame& f, const Char& ch)   // 52
{
    const int m = f.k <= 8 ? f.k : 16 - f.k;
    f.aboutCell(ch.c, scale(1 + 0.05 * m, 1 + 0.05 * m));
}

void enterAndShake(const Frame& f, const Char& ch)   // 57
{
    Points pts = ch.c.Points;
    if (f.k < 32)
        move(pts, std::max(0, f.width - f.k * (f.width / 32)), 0);
    if (f.k >= 33 && f.k < f.F)
        about(pts, ch.cc.sx, ch.cc.sy, shear(3, f.k % 2 == 0 ? -0.5 : 0.5));
    f.draw(ch.c, pts, ch.c.Colour);
}

void settleInTurn(const Frame& f, const Char& ch)   // 58, 59
{
    if (f.k <= ch.start)
        return;   // scaled to nothing before its start
    // In tenths, so that a character at rest is drawn at exactly 1.0.
    const int left = std::max(ch.end - f.k, 0);
    const double s = f.id == 58 ? (17 - (f.k <= ch.end ? 7 - left : 7)) / 10.0 : (10 - (f.k <= ch.end ? left : 0)) / 10.0;
    f.aboutCell(ch.c, scale(s, s));
}

void riseInTurn(const Frame& f, const Char& ch)   // 61
{
    Points pts = ch.c.Points;
    if (f.k <= ch.start)
        move(pts, 0, f.height);
    else if (f.k <= ch.end)
        move(pts, 0, f.height + 10 * (ch.end - f.k) - 10 * ch.c.Steps - f.height % 10);
    f.draw(ch.c, pts, ch.c.Colour);
}

void dropInTurn(const Frame& f, const Char& ch)   // 62
{
    Points pts = ch.c.Points;
    const int b = ch.c.Cell.Bottom;
    if (f.k <= ch.start)
        move(pts, 0, -(4 * ch.c.Steps + b % 4));
    else if (f.k <= ch.end)
        move(pts, 0, b % 4 - 4 * (ch.end - f.k + 1));
    f.draw(ch.c, pts, ch.c.Colour);
}

void growFromCentre(const Frame& f, const Char& ch)   // 63
{
    const int q = std::clamp(f.k + ch.c.Steps - (f.n - 1) / 2 - 10, 0, 10);
    if (q > 0)
        f.aboutCell(ch.c, scale(0.1 * q, 0.1 * q));
}

void jitter(const Frame& f, const Char& ch)   // 64
{
    if (ch.i >= f.k)
        return;
    static const int dx[4] = {-1, -1, 1, 0}, dy[4] = {-1, 1, 1, 0};
    const int r = ((f.k - ch.i) % 4 + 4) % 4;
    Points pts = ch.c.Points;
    move(pts, dx[r], dy[r]);
    f.draw(ch.c, pts, ch.c.Colour);
}

void nodInTurn(const Frame& f, const Char& ch)   // 65: the step word keeps each character's state
{
    CharGlyph& c = ch.c;
    const int base = 3 * ch.i;
    if (f.k == 1) {
        if (c.Steps == 0)
            c.Steps = 1 + base;
        f.plain(c);
    } else if (f.k >= f.F) {
        c.Steps = 0;
        f.plain(c);
    } else if (f.k == ch.i + 2 || f.k == ch.i + 3) {
        if (c.Steps == 2 + base) {
            Points pts = c.Points;
            move(pts, -c.Cell.Right, -c.Cell.Bottom);
            rotate(2, 10)(pts);
            move(pts, c.Cell.Right, c.Cell.Bottom);
            f.draw(c, pts, c.Colour);
            c.Steps = 3 + base;
        } else {
            f.plain(c);
            if (c.Steps == 1 + base)
                c.Steps = 2 + base;
            else if (c.Steps == 3 + base)
                c.Steps = 0;
        }
    } else {
        f.plain(c);
    }
}

void colourCycle(const Frame& f, const Char& ch)   // 66: the step word keeps each character's colour
{
    static const std::uint32_t cycle[6] = {0xFF, 0xFFFF, 0xFF00, 0xFFFF00, 0xFF0000, 0xFF00FF};
    CharGlyph& c = ch.c;
    if (c.Steps <= 0)
        c.Steps = ch.i % 5 + 1;
    f.draw(c, c.Points, cycle[c.Steps % 6]);
    c.Steps = c.Steps % 6 + 1;
}

void carousel(const Frame& f, const Char& ch)   // 67
{
    const CharGlyph& c = ch.c;
    const double r = f.width / 2.0;
    const double theta = 360.0 * f.k / f.F;
    Points pts = c.Points;
    for (Point3& q : pts) {
        const double dx = q.x - r;
        q.z = trunc(std::sqrt(std::max(0.0, r * r - dx * dx)));
    }
    const double ratio = r > 0 ? std::clamp((r - c.Cell.Right) / r, -1.0, 1.0) : 0.0;
    const double s = 0.75 + 0.35 * std::cos(std::asin(ratio) + theta * kEffectDegree);
    about(pts, ch.cc.sx, ch.cc.sy, scale(s, s));
    about(pts, trunc(2 * r), 0, rotate(1, theta));
    f.draw(c, pts, c.Colour, !pts.empty() && pts.front().z < 0 ? 1 : 3);
}

void stampInTurn(const Frame& f, const Char& ch)   // 68
{
    const CharGlyph& c = ch.c;
    const int newest = (f.k - 1) / 4;
    if (ch.i > newest)
        return;
    f.plain(c);
    if (f.k < 2 || ch.i != newest)
        return;
    Points pts = c.Points;
    switch ((f.k - 2) % 4) {
    case 0: move(pts, -(c.Cell.Left / 2), 0); break;
    case 1: move(pts, 3, 0); break;
    case 2:
        about(pts, ch.cc.sx, ch.cc.sy, scale(1.15, 1.15));
        move(pts, 3, -2);
        break;
    default: break;
    }
    f.draw(c, pts, c.Colour);
}

void beforeExplosion(const Frame& f, const Char& ch)   // 69: the explosion itself is drawn once, after all
{
    if (f.k <= 10)
        f.plain(ch.c);
}

void snapIn(const Frame& f, const Char& ch)   // 70
{
    f.plain(ch.c);
    if (f.k < 0.2 * f.F) {
        const double s = 1.5 - 1.5 * (f.k - 1) / (0.2 * f.F);
        f.aboutCell(ch.c, shear(5, s));
        f.aboutCell(ch.c, shear(5, -s));
    }
}

// By effect id; 16 draws nothing.
const EffectFn kEffects[] = {
    flipOver,       sway,           tiltText,       turnTextTinted, rockPicture,    tiltCells,      // 0-5
    turnCells,      rockCells,      tumbleText,     spinTextY,      spinTextZ,      tumbleCells,    // 6-11
    spinCellsY,     spinCellsZ,     pulsePicture,   pulsePicture,   nullptr,        breathePicture, // 12-17
    shrinkPicture,  shrinkPicture,  shrinkPicture,  growPicture,    growPicture,    growPicture,    // 18-23
    pulseCells,     pulseCells,     pulseCells,     shrinkCells,    shrinkCells,    shrinkCells,    // 24-29
    growCells,      growCells,      growCells,      wave,           wave,           bob,            // 30-35
    bob,            bob,            fadeIn,         fadeOut,        glow,           typeOut,        // 36-41
    magnifyInTurn,  sway,           slideInFromRight, slideInFromLeft, sparkleBehind, sparkleBehind, // 42-47
    unfoldInTurn,   wobble,         rollInTurn,     gatherSpinning, swell,          sparkleBehind,  // 48-53
    unfoldInTurn,   unfoldInTurn,   unfoldInTurn,   enterAndShake,  settleInTurn,   settleInTurn,   // 54-59
    gatherSpinning, riseInTurn,     dropInTurn,     growFromCentre, jitter,         nodInTurn,      // 60-65
    colourCycle,    carousel,       stampInTurn,    beforeExplosion, snapIn,                        // 66-70
};
static_assert(std::size(kEffects) == kEffectCount);

// Effect 69 past its tenth frame: the text drawn off screen, then every
// cell copied back in 4 x 4 tiles pushed apart, the left half one way and
// the right half the other.
void explode(QPainter& p, const QImage& image, const std::vector<CharGlyph>& chars, int k)
{
    QImage off(image.size(), QImage::Format_RGB32);
    off.fill(Qt::black);
    {
        QPainter q(&off);
        q.setRenderHint(QPainter::Antialiasing, false);
        // The copy is drawn with the inverse of each character's colour.
        for (const CharGlyph& c : chars)
            DrawCharPath(q, c.Points, c.Types, c.Colour ^ 0xFFFFFFu, c.Colour ^ 0xFFFFFFu, 3);
    }
    const int shift = 4 * (k - 10);
    for (const CharGlyph& c : chars) {
        const int mid = (c.Cell.Left + c.Cell.Right) / 2;
        for (int y = c.Cell.Top; y < c.Cell.Bottom; y += 4)
            for (int x = c.Cell.Left; x < c.Cell.Right; x += 4) {
                const int dx = x < mid ? -shift : shift;
                p.drawImage(QPoint(x + dx, y), off, QRect(x, y, 4, 4));
            }
    }
}

} // namespace

void TextCartoon::DrawFrame(QImage& image, int k)
{
    const int F = std::max(m_frames, 1);
    k = std::clamp(k, 1, F);
    const int id = m_effect;
    const EffectFn effect = id >= 0 && id < kEffectCount ? kEffects[id] : nullptr;
    if (!effect)
        return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int n = static_cast<int>(m_chars.size());

    // Sequential effects: the cumulative end step of each character.
    std::vector<int> ends(static_cast<std::size_t>(n));
    {
        int sum = 0;
        for (int i = 0; i < n; ++i)
            ends[static_cast<std::size_t>(i)] = sum += m_chars[static_cast<std::size_t>(i)].Steps;
    }
    const double half = F / 2.0;
    const Frame frame{p,
                      id,
                      k,
                      F,
                      n,
                      half,
                      k < half ? k / half : (F - k) / half,
                      {m_layoutRight, std::min(m_height, m_layoutBottom)},
                      {m_width, std::min(m_height, m_layoutBottom)},
                      m_width,
                      m_height,
                      ends,
                      m_sparkles};
    for (int i = 0; i < n; ++i) {
        CharGlyph& c = m_chars[static_cast<std::size_t>(i)];
        const int end = ends[static_cast<std::size_t>(i)];
        effect(frame, Char{c, i, cellCentre(c), end, end - c.Steps});
    }
    if (id == 69 && k > 10 && k < F)
        explode(p, image, m_chars, k);
}

}
