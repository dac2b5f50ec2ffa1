#include "core/render/TextCartoon.h"

#include "core/render/FontMap.h"
#include "core/render/RichDrawText.h"
#include "platform/Colour.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <functional>

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

TextCartoon::Centre TextCartoon::textCentre() const { return {m_layoutRight, std::min(m_height, m_layoutBottom)}; }
TextCartoon::Centre TextCartoon::pictureCentre() const { return {m_width, std::min(m_height, m_layoutBottom)}; }
TextCartoon::Centre TextCartoon::cellCentre(const CharGlyph& c)
{
    return {c.Cell.Left + c.Cell.Right, c.Cell.Top + c.Cell.Bottom};
}

void TextCartoon::DrawFrame(QImage& image, int k)
{
    const int F = std::max(m_frames, 1);
    k = std::clamp(k, 1, F);
    const int id = m_effect;
    if (id > 70 || id < 0 || id == 16)
        return;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int n = static_cast<int>(m_chars.size());
    const double half = F / 2.0;
    const double u = k < half ? k / half : (F - k) / half;
    const Centre tc = textCentre(), pc = pictureCentre();

    // Sequential effects: the cumulative end step of each character.
    std::vector<int> ends(static_cast<std::size_t>(n));
    {
        int sum = 0;
        for (int i = 0; i < n; ++i)
            ends[static_cast<std::size_t>(i)] = sum += m_chars[static_cast<std::size_t>(i)].Steps;
    }

    auto draw = [&](const CharGlyph& c, const Points& pts, std::uint32_t colour, int flags = 3) {
        DrawCharPath(p, pts, c.Types, colour, colour, flags);
    };
    auto plain = [&](const CharGlyph& c) { draw(c, c.Points, c.Colour); };
    auto aboutCell = [&](const CharGlyph& c, const Transform& t) {
        Points pts = c.Points;
        const Centre cc = cellCentre(c);
        about(pts, cc.sx, cc.sy, t);
        draw(c, pts, c.Colour);
    };
    auto aboutCentre = [&](const CharGlyph& c, Centre centre, const Transform& t, std::uint32_t colour) {
        Points pts = c.Points;
        about(pts, centre.sx, centre.sy, t);
        draw(c, pts, colour);
    };
    auto scaleWhich = [](int which, double f) { return scale(which != 1 ? f : 1.0, which != 0 ? f : 1.0); };

    for (int i = 0; i < n; ++i) {
        CharGlyph& c = m_chars[static_cast<std::size_t>(i)];
        const Centre cc = cellCentre(c);
        const int end = ends[static_cast<std::size_t>(i)];
        const int start = end - c.Steps;   // in progress while start < k <= end
        switch (id) {
        case 0: {
            const int y = c.Cell.Top;
            if (k > F / 4) {
                Points pts = c.Points;
                move(pts, 0, 2 - y);
                rotate(0, trunc(90.0 * (F / 4 + F - k) / F))(pts);
                move(pts, 0, y);
                draw(c, pts, c.Colour);
            }
            if (k < F) {
                Points pts = c.Points;
                move(pts, 0, -c.Cell.Bottom);
                rotate(0, trunc((90.0 * k - 90) / F))(pts);
                move(pts, 0, c.Cell.Bottom);
                draw(c, pts, c.Colour);
            }
            break;
        }
        case 1:
        case 43: {
            const double s = k < half ? 2.0 * k / F - 0.5 : 2.0 * (F - k) / F - 0.5;
            if (id == 1) {
                Points pts = c.Points;
                shear(3, s)(pts);
                draw(c, pts, c.Colour);
            } else {
                aboutCell(c, shear(3, s));
            }
            break;
        }
        case 2:
            aboutCentre(c, tc, [&](Points& pts) { rotate(0, 70 * u - 35)(pts); rotate(1, 20)(pts); }, c.Colour);
            break;
        case 3:
            aboutCentre(c, {tc.sx, 0}, [&](Points& pts) { rotate(1, 60 * u - 30)(pts); rotate(2, 1.5 * u)(pts); },
                        channelMix(c.Colour, u, kEffectTarget));
            break;
        case 4: aboutCentre(c, pc, rotate(2, 12 * u - 6), c.Colour); break;
        case 5: {
            Points pts = c.Points;
            about(pts, cc.sx, cc.sy, rotate(0, 70 * u - 35));
            rotate(1, 20)(pts);
            draw(c, pts, c.Colour);
            break;
        }
        case 6: aboutCell(c, [&](Points& pts) { rotate(1, 90 * u - 45)(pts); rotate(2, 2 * u - 1)(pts); }); break;
        case 7: aboutCell(c, rotate(2, 40 * u - 20)); break;
        case 8:
            aboutCentre(c, tc, rotate(0, 360.0 * k / F - 90), channelMix(c.Colour, static_cast<double>(k) / F, kEffectTarget));
            break;
        case 9: aboutCentre(c, tc, rotate(1, 360.0 * k / F), c.Colour); break;
        case 10: aboutCentre(c, {std::min(tc.sx, 2 * (m_width / 2)), tc.sy}, rotate(2, 360.0 * k / F), c.Colour); break;
        case 11: aboutCell(c, [&](Points& pts) { rotate(0, 360.0 * k / F)(pts); rotate(1, 20)(pts); }); break;
        case 12: aboutCell(c, [&](Points& pts) { rotate(1, 360.0 * k / F)(pts); rotate(2, 2.0 / F)(pts); }); break;
        case 13: aboutCell(c, rotate(2, 360.0 * k / F)); break;
        case 14:
        case 15: aboutCentre(c, pc, scaleWhich(id - 14, 0.5 + 0.5 * u), c.Colour); break;
        case 17: aboutCentre(c, pc, scale(0.9 + 0.1 * u, 0.9 + 0.1 * u), c.Colour); break;
        case 18:
        case 19:
        case 20: aboutCentre(c, pc, scaleWhich(id - 18, 1 - 0.2 * k / F), c.Colour); break;
        case 21:
        case 22:
        case 23: aboutCentre(c, pc, scaleWhich(id - 21, 0.6 + 0.4 * k / F), c.Colour); break;
        case 24:
        case 25:
        case 26: aboutCell(c, scaleWhich(id - 24, 0.5 + 0.5 * u)); break;
        case 27:
        case 28:
        case 29: aboutCell(c, scaleWhich(id - 27, 1 - 0.5 * k / F)); break;
        case 30:
        case 31:
        case 32: aboutCell(c, scaleWhich(id - 30, 0.5 + 0.5 * k / F)); break;
        case 33:
        case 34: {
            Points pts = c.Points;
            WavePoints(pts.data(), pts.data(), static_cast<int>(pts.size()), id == 33 ? 1 : 2, 3, 0.5 + 3 * u);
            draw(c, pts, c.Colour);
            break;
        }
        case 35:
        case 36:
        case 37: {
            const double phi = 2 * 3.14 * k / F;
            const double cx = cc.sx / 2.0, cy = cc.sy / 2.0;
            Points pts = c.Points;
            if (id == 35)
                move(pts, 0, trunc(10 * std::sin(cx + phi)));
            else if (id == 36)
                move(pts, trunc(10 * std::sin(cx + phi)), 0);
            else
                move(pts, trunc(10 * std::sin(phi - cx)), trunc(10 * std::sin(phi - cy)));
            draw(c, pts, c.Colour);
            break;
        }
        case 38: draw(c, c.Points, channelScale(c.Colour, static_cast<double>(k) / F)); break;
        case 39: {
            const std::uint32_t fade = channelScale(c.Colour, static_cast<double>(k) / F);
            draw(c, c.Points,
                 platform::makeColorRef((c.Colour & 0xFF) - (fade & 0xFF), ((c.Colour >> 8) & 0xFF) - ((fade >> 8) & 0xFF),
                                        ((c.Colour >> 16) & 0xFF) - ((fade >> 16) & 0xFF)));
            break;
        }
        case 40: draw(c, c.Points, channelScale(c.Colour, u)); break;
        case 41:
            if (i < k)
                plain(c);
            break;
        case 42:
            if (i == k - 1)
                aboutCell(c, scale(1.3, 1.3));
            else
                plain(c);
            break;
        case 44: {
            Points pts = c.Points;
            if (k <= end) {
                const int cw = std::max(c.Cell.Right - c.Cell.Left, 1);
                const int d = (m_width - ((m_width - c.Cell.Left) % cw + cw) % cw) / 3;
                move(pts, (end - k) * d, 0);
            }
            draw(c, pts, c.Colour);
            break;
        }
        case 45: {
            Points pts = c.Points;
            if (k <= end)
                move(pts, (k - end) * (c.Cell.Right / 2), 0);
            draw(c, pts, c.Colour);
            break;
        }
        case 46:
        case 47:
        case 53: {
            const int r = k % 6;
            if (r >= 1) {
                const int group = id == 46 ? 5 : id == 47 ? 0 : 10;
                p.drawImage(QRect(c.Cell.Left, c.Cell.Top, c.Cell.Right - c.Cell.Left, c.Cell.Bottom - c.Cell.Top),
                            m_sparkles[group + r - 1]);
            }
            plain(c);
            break;
        }
        case 48:
        case 54:
        case 55:
        case 56: {
            // 54 runs from the last character to the first.
            const int seqEnd = id == 54 ? ends[static_cast<std::size_t>(n - 1)] - ends[static_cast<std::size_t>(i)] + c.Steps : end;
            const int seqStart = seqEnd - c.Steps;
            if (k <= seqStart)
                break;
            Points pts = c.Points;
            if (k <= seqEnd) {
                const double angle = 45.0 * (k - seqEnd);
                if (id == 55 || id == 56) {
                    const int yAxis = id == 55 ? c.Cell.Bottom : c.Cell.Top;
                    move(pts, 0, -yAxis);
                    rotate(0, angle)(pts);
                    move(pts, 0, yAxis);
                } else {
                    move(pts, -c.Cell.Left, 0);
                    rotate(1, angle)(pts);
                    move(pts, c.Cell.Left, 0);
                }
            }
            draw(c, pts, c.Colour);
            break;
        }
        case 49: {
            static const int s[12] = {-1, -2, -3, -2, -1, 0, 1, 2, 3, 2, 1, 0};
            const int v = s[(k - 1) % 12];
            aboutCell(c, [&](Points& pts) {
                rotate(2, 15.0 * v)(pts);
                scale(1 + 0.2 * std::abs(v), 1 + 0.2 * std::abs(v))(pts);
            });
            break;
        }
        case 50: aboutCell(c, rotate(0, 10.0 * (k - i))); break;
        case 51:
        case 60: {
            const int centre = (n + 1) / 2;
            const int d = std::max(0, F - k - 3);
            Points pts = c.Points;
            if (d > 0) {
                const double radians = 12.0 * (k - 1);
                about(pts, cc.sx, cc.sy, [&](Points& q) {
                    RotatePoints(q.data(), q.data(), static_cast<int>(q.size()), id == 51 ? 1 : 2, radians);
                });
            }
            move(pts, (i - centre) * d, 0);
            draw(c, pts, c.Colour);
            break;
        }
        case 52: {
            const int m = k <= 8 ? k : 16 - k;
            aboutCell(c, scale(1 + 0.05 * m, 1 + 0.05 * m));
            break;
        }
        case 57: {
            Points pts = c.Points;
            if (k < 32)
                move(pts, std::max(0, m_width - k * (m_width / 32)), 0);
            if (k >= 33 && k < F) {
                about(pts, cc.sx, cc.sy, shear(3, k % 2 == 0 ? -0.5 : 0.5));
            }
            draw(c, pts, c.Colour);
            break;
        }
        case 58:
        case 59: {
            if (k <= start)
                break;   // scaled to nothing before its start
            // In tenths, so that a character at rest is drawn at exactly 1.0.
            const int left = std::max(end - k, 0);
            const double f = id == 58 ? (17 - (k <= end ? 7 - left : 7)) / 10.0 : (10 - (k <= end ? left : 0)) / 10.0;
            aboutCell(c, scale(f, f));
            break;
        }
        case 61: {
            Points pts = c.Points;
            if (k <= start)
                move(pts, 0, m_height);
            else if (k <= end)
                move(pts, 0, m_height + 10 * (end - k) - 10 * c.Steps - m_height % 10);
            draw(c, pts, c.Colour);
            break;
        }
        case 62: {
            Points pts = c.Points;
            const int b = c.Cell.Bottom;
            if (k <= start)
                move(pts, 0, -(4 * c.Steps + b % 4));
            else if (k <= end)
                move(pts, 0, b % 4 - 4 * (end - k + 1));
            draw(c, pts, c.Colour);
            break;
        }
        case 63: {
            const int q = std::clamp(k + c.Steps - (n - 1) / 2 - 10, 0, 10);
            if (q > 0)
                aboutCell(c, scale(0.1 * q, 0.1 * q));
            break;
        }
        case 64:
            if (i < k) {
                static const int dx[4] = {-1, -1, 1, 0}, dy[4] = {-1, 1, 1, 0};
                const int r = ((k - i) % 4 + 4) % 4;
                Points pts = c.Points;
                move(pts, dx[r], dy[r]);
                draw(c, pts, c.Colour);
            }
            break;
        case 65: {
            const int base = 3 * i;
            if (k == 1) {
                if (c.Steps == 0)
                    c.Steps = 1 + base;
                plain(c);
            } else if (k >= F) {
                c.Steps = 0;
                plain(c);
            } else if (k == i + 2 || k == i + 3) {
                if (c.Steps == 2 + base) {
                    Points pts = c.Points;
                    move(pts, -c.Cell.Right, -c.Cell.Bottom);
                    rotate(2, 10)(pts);
                    move(pts, c.Cell.Right, c.Cell.Bottom);
                    draw(c, pts, c.Colour);
                    c.Steps = 3 + base;
                } else {
                    plain(c);
                    if (c.Steps == 1 + base)
                        c.Steps = 2 + base;
                    else if (c.Steps == 3 + base)
                        c.Steps = 0;
                }
            } else {
                plain(c);
            }
            break;
        }
        case 66: {
            static const std::uint32_t cycle[6] = {0xFF, 0xFFFF, 0xFF00, 0xFFFF00, 0xFF0000, 0xFF00FF};
            if (c.Steps <= 0)
                c.Steps = i % 5 + 1;
            draw(c, c.Points, cycle[c.Steps % 6]);
            c.Steps = c.Steps % 6 + 1;
            break;
        }
        case 67: {
            const double r = m_width / 2.0;
            const double theta = 360.0 * k / F;
            Points pts = c.Points;
            for (Point3& q : pts) {
                const double dx = q.x - r;
                q.z = trunc(std::sqrt(std::max(0.0, r * r - dx * dx)));
            }
            const double ratio = r > 0 ? std::clamp((r - c.Cell.Right) / r, -1.0, 1.0) : 0.0;
            const double f = 0.75 + 0.35 * std::cos(std::asin(ratio) + theta * kEffectDegree);
            about(pts, cc.sx, cc.sy, scale(f, f));
            about(pts, trunc(2 * r), 0, rotate(1, theta));
            draw(c, pts, c.Colour, !pts.empty() && pts.front().z < 0 ? 1 : 3);
            break;
        }
        case 68: {
            const int newest = (k - 1) / 4;
            if (i > newest)
                break;
            plain(c);
            if (k >= 2 && i == newest) {
                Points pts = c.Points;
                switch ((k - 2) % 4) {
                case 0: move(pts, -(c.Cell.Left / 2), 0); break;
                case 1: move(pts, 3, 0); break;
                case 2:
                    about(pts, cc.sx, cc.sy, scale(1.15, 1.15));
                    move(pts, 3, -2);
                    break;
                default: break;
                }
                draw(c, pts, c.Colour);
            }
            break;
        }
        case 69:
            if (k <= 10)
                plain(c);
            break;   // the explosion is drawn below, over all characters at once
        case 70: {
            plain(c);
            if (k < 0.2 * F) {
                const double f = 1.5 - 1.5 * (k - 1) / (0.2 * F);
                aboutCell(c, shear(5, f));
                aboutCell(c, shear(5, -f));
            }
            break;
        }
        default: plain(c); break;
        }
    }

    if (id == 69 && k > 10 && k < F) {
        // Draw the text off screen, then copy every cell back in 4 × 4 tiles
        // pushed apart: the left half one way, the right half the other.
        QImage off(image.size(), QImage::Format_RGB32);
        off.fill(Qt::black);
        {
            QPainter q(&off);
            q.setRenderHint(QPainter::Antialiasing, false);
            // The copy is drawn with the inverse of each character's colour.
            for (const CharGlyph& c : m_chars)
                DrawCharPath(q, c.Points, c.Types, c.Colour ^ 0xFFFFFFu, c.Colour ^ 0xFFFFFFu, 3);
        }
        const int shift = 4 * (k - 10);
        for (const CharGlyph& c : m_chars) {
            const int mid = (c.Cell.Left + c.Cell.Right) / 2;
            for (int y = c.Cell.Top; y < c.Cell.Bottom; y += 4)
                for (int x = c.Cell.Left; x < c.Cell.Right; x += 4) {
                    const int dx = x < mid ? -shift : shift;
                    p.drawImage(QPoint(x + dx, y), off, QRect(x, y, 4, 4));
                }
        }
    }
}

}
