#include "core/api/TextCartoon.h"

#include "core/render/RichDrawText.h"
#include "platform/Colour.h"
#include "platform/FontMap.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <iterator>

// The text layout and the font map of the core's painters.
using sorvane::render::CRichDrawText;
using platform::FontFromLogFont;

namespace render {

namespace {

using Points = std::vector<Point3>;

int trunc(double v) { return static_cast<int>(v); }

// Translate by minus half the doubled centre, transform, translate back.
// Transforms are plain callables: one is made for every character of every
// frame, and must cost no allocation.
template <class Transform>
void about(Points& p, int sx, int sy, const Transform& t)
{
    const int dx = trunc(0.5 * sx), dy = trunc(0.5 * sy);
    TranslatePoints(p.data(), p.data(), static_cast<int>(p.size()), -dx, -dy);
    t(p);
    TranslatePoints(p.data(), p.data(), static_cast<int>(p.size()), dx, dy);
}

// A transform of points about the origin that takes a point of a captured
// outline (z = 0) at most `growth` times as far from the origin.
template <class F>
struct Spread {
    F apply;
    double growth;
    void operator()(Points& p) const { apply(p); }
};
template <class F>
Spread(F, double) -> Spread<F>;

// How far a transform can take an outline's points; 0 when not known.
template <class Transform>
double growthOf(const Transform& t)
{
    if constexpr (requires { t.growth; })
        return t.growth;
    else
        return 0;
}

auto rotate(int axis, double degrees)
{
    return Spread{[=](Points& p) {
                      RotatePoints(p.data(), p.data(), static_cast<int>(p.size()), axis, degrees * kEffectDegree);
                  },
                  1.0};
}

auto scale(double sx, double sy, double sz = 1.0)
{
    return Spread{[=](Points& p) { ScalePoints(p.data(), p.data(), static_cast<int>(p.size()), sx, sy, sz); },
                  std::max(std::abs(sx), std::abs(sy))};
}

auto shear(int type, double f)
{
    return Spread{[=](Points& p) { ShearPoints(p.data(), p.data(), static_cast<int>(p.size()), type, f); },
                  1.0 + std::abs(f)};
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

namespace {

// The path of one character with its cell's top-left at the origin. The
// font's outline points are whole 64ths of a pixel, so the same path shifted
// by whole pixels is exactly the path the font gives there.
QPainterPath glyphPath(QChar c, const QFont& noAntialias, int ascent)
{
    QPainterPath path;
    path.addText(QPointF(0, ascent), noAntialias, QString(c));
    return path;
}

// A character's path shifted to `topLeft`, as points truncated toward zero.
void outlineFromPath(const QPainterPath& path, QPoint topLeft, std::vector<Point3>& points,
                     std::vector<std::uint8_t>& types)
{
    points.clear();
    types.clear();
    points.reserve(static_cast<std::size_t>(path.elementCount()));
    types.reserve(static_cast<std::size_t>(path.elementCount()));
    for (int i = 0; i < path.elementCount(); ++i) {
        QPainterPath::Element e = path.elementAt(i);
        e.x += topLeft.x();
        e.y += topLeft.y();
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

// The paths of the characters met so far in one font: a text repeats its
// characters, and a path asks the font for the glyph's outline.
class GlyphPaths {
public:
    const QPainterPath& of(QChar c, const QFont& font)
    {
        if (!m_any || !(font == m_font)) {
            m_any = true;
            m_font = font;
            m_noAntialias = font;
            m_noAntialias.setStyleStrategy(QFont::NoAntialias);
            m_ascent = QFontMetrics(m_noAntialias).ascent();
            m_paths.clear();
        }
        auto it = m_paths.find(c.unicode());
        if (it == m_paths.end())
            it = m_paths.emplace(c.unicode(), glyphPath(c, m_noAntialias, m_ascent)).first;
        return it->second;
    }

private:
    bool m_any = false;
    QFont m_font;
    QFont m_noAntialias;
    int m_ascent = 0;
    std::unordered_map<char16_t, QPainterPath> m_paths;
};

} // namespace

void CaptureOutline(QChar c, const QFont& font, QPoint topLeft, std::vector<Point3>& points,
                    std::vector<std::uint8_t>& types)
{
    QFont f = font;
    f.setStyleStrategy(QFont::NoAntialias);
    outlineFromPath(glyphPath(c, f, QFontMetrics(f).ascent()), topLeft, points, types);
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

namespace {

// Builds an outline's path into `path`, whose memory it reuses.
void buildCharPath(QPainterPath& path, const std::vector<Point3>& pts, const std::vector<std::uint8_t>& types)
{
    path.clear();
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
}

void fillCharPath(QPainter& painter, const QPainterPath& path, std::uint32_t brushColour, std::uint32_t penColour,
                  int flags)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen((flags & 1) ? QPen(platform::toQColor(penColour), 0) : QPen(Qt::NoPen));
    painter.setBrush((flags & 2) ? QBrush(platform::toQColor(brushColour)) : QBrush(Qt::NoBrush));
    painter.drawPath(path);
    painter.restore();
}

// The pen and brush of the outlines drawn in a frame, set on the painter
// only when they change: a new pen or brush costs an allocation, and
// characters mostly share their colour.
struct OutlineStyle {
    bool set = false;
    std::uint32_t brush = 0;
    std::uint32_t pen = 0;
    int flags = 0;

    void draw(QPainter& painter, const QPainterPath& path, std::uint32_t brushColour, std::uint32_t penColour,
              int drawFlags)
    {
        drawFlags &= 3;
        if (!set || brushColour != brush || penColour != pen || drawFlags != flags) {
            painter.setPen((drawFlags & 1) ? QPen(platform::toQColor(penColour), 0) : QPen(Qt::NoPen));
            painter.setBrush((drawFlags & 2) ? QBrush(platform::toQColor(brushColour)) : QBrush(Qt::NoBrush));
            set = true;
            brush = brushColour;
            pen = penColour;
            flags = drawFlags;
        }
        painter.drawPath(path);
    }
};

// The extent of the points a path is built from (control points included,
// so the curves lie inside); empty when there are none.
QRect pointBounds(const std::vector<Point3>& pts, std::size_t count)
{
    const std::size_t n = std::min(pts.size(), count);
    if (n == 0)
        return {};
    int left = pts[0].x, right = pts[0].x, top = pts[0].y, bottom = pts[0].y;
    for (std::size_t i = 1; i < n; ++i) {
        left = std::min(left, pts[i].x);
        right = std::max(right, pts[i].x);
        top = std::min(top, pts[i].y);
        bottom = std::max(bottom, pts[i].y);
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Room around an outline kept as a picture, so that the painter cuts
// nothing of it there either.
constexpr int kPictureMargin = 4;
// The largest picture kept of one character (256 KiB): a text's characters
// on a screen are far smaller; a larger outline is drawn each time.
constexpr std::int64_t kMaxPicturePixels = 256 * 256;

// Whether an outline of this extent can touch a pixel of `area`: a path
// wholly outside it changes nothing there, so it is not even built. The
// margin covers the outline's one-pixel pen.
bool reaches(const QRect& bounds, const QRect& area)
{
    return bounds.isValid() && bounds.adjusted(-2, -2, 2, 2).intersects(area);
}

} // namespace

int DrawCharPath(QPainter& painter, const std::vector<Point3>& pts, const std::vector<std::uint8_t>& types,
                 std::uint32_t brushColour, std::uint32_t penColour, int flags)
{
    if ((flags & 3) == 0)
        return 0;
    QPainterPath path;
    buildCharPath(path, pts, types);
    fillCharPath(painter, path, brushColour, penColour, flags);
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

// A character's outline where it was captured (its extent at once, its
// path once first drawn), and the look it was last drawn with: points,
// colour and pen. Drawn alike a second time, the look is kept as a picture
// and copied from then on, so that a character at rest costs a copy per
// frame instead of a path filled and stroked again.
struct TextCartoon::Outline {
    QRect Bounds;   // of every point, control points included; empty: none
    QPainterPath Path;
    bool Built = false;

    bool HasLast = false;
    bool LastKept = false;   // the last look was the captured outline
    std::vector<Point3> Last;
    std::uint32_t Colour = 0;
    int Flags = 0;
    QSize Device;     // of the image the look was drawn on
    QImage Picture;   // of the last look, once it was drawn twice
    QPoint At;        // where the picture goes

    const QPainterPath& kept(const CharGlyph& c)
    {
        if (!Built) {
            buildCharPath(Path, c.Points, c.Types);
            Built = true;
        }
        return Path;
    }
};

TextCartoon::TextCartoon(int width, int height) : m_width(width), m_height(height)
{
    for (int i = 0; i < 15; ++i)
        m_sparkles[i] = sparkle(i);
}

TextCartoon::~TextCartoon() = default;

void TextCartoon::FreeCharList()
{
    m_chars.clear();
    m_outlines.clear();
}

void TextCartoon::SetChars(const std::vector<LaidOutChar>& chars, int layoutRight, int layoutBottom)
{
    m_chars.clear();
    m_outlines.clear();
    m_layoutRight = layoutRight;
    m_layoutBottom = layoutBottom;
    GlyphPaths paths;
    for (const LaidOutChar& lc : chars) {
        if (lc.Char == QChar(13) || lc.Char == QChar(10))
            continue;
        CharGlyph g;
        outlineFromPath(paths.of(lc.Char, lc.Font), QPoint(lc.Cell.Left, lc.Cell.Top), g.Points, g.Types);
        g.Colour = lc.Colour;
        g.Index = lc.Index;
        g.Position = lc.Position;
        g.Cell = lc.Cell;
        Outline o;
        o.Bounds = pointBounds(g.Points, g.Types.size());
        m_outlines.push_back(std::move(o));
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
    // Neighbours mostly share their font: it is made once for them.
    LOGFONT lastRecord{};
    QFont lastFont;
    bool haveFont = false;
    for (int i = 0; i < length; ++i) {
        LOGFONT lf;
        if (!host.GetCharLogFont(i, lf))
            break;
        const char16_t c = host.GetCharAt(i);
        if (c == 13 || c == 10)
            continue;
        LaidOutChar lc;
        lc.Char = QChar(c);
        if (!haveFont || !(lf == lastRecord)) {
            lastRecord = lf;
            lastFont = platform::FontFromLogFont(lf);
            haveFont = true;
        }
        lc.Font = lastFont;
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
    const std::vector<CharGlyph>& chars;
    std::vector<TextCartoon::Outline>& outlines;   // of `chars`, one each
    QRect area;                                    // of the image drawn on
    Points& scratch;                               // the points being moved
    QPainterPath& path;                            // the moved outline's path
    OutlineStyle& style;

    // A character's points to move, in memory reused from one to the next.
    // What an effect moves is drawn before it asks for the next.
    Points& copy(const CharGlyph& c) const
    {
        scratch.assign(c.Points.begin(), c.Points.end());
        return scratch;
    }
    // Only what can reach the image is drawn; a character drawn where it was
    // captured takes its kept outline instead of a path built anew, and one
    // drawn as in the frame before is copied from its picture.
    void draw(const CharGlyph& c, const Points& pts, std::uint32_t colour, int flags = 3) const
    {
        if ((flags & 3) == 0)
            return;
        const bool kept = &pts == &c.Points;
        TextCartoon::Outline& o = outlines[static_cast<std::size_t>(&c - chars.data())];
        const QRect bounds = kept ? o.Bounds : pointBounds(pts, c.Types.size());
        if (!reaches(bounds, area))
            return;
        drawLook(o, c, pts, kept, bounds, p, style, path, colour, colour, flags);
    }
    static void drawLook(TextCartoon::Outline& o, const CharGlyph& c, const Points& pts, bool kept, const QRect& bounds,
                         QPainter& painter, OutlineStyle& style, QPainterPath& path, std::uint32_t brush,
                         std::uint32_t pen, int flags)
    {
        flags &= 3;
        const QPaintDevice* device = painter.device();
        const QSize size = device ? QSize(device->width(), device->height()) : QSize();
        const bool alike = o.HasLast && o.Colour == brush && o.Colour == pen && o.Flags == flags && o.Device == size &&
                           (kept ? o.LastKept : !o.LastKept && o.Last == pts);
        if (!alike) {
            // A new look: drawn straight, remembered.
            o.HasLast = brush == pen;
            o.LastKept = kept;
            if (!kept)
                o.Last.assign(pts.begin(), pts.end());
            o.Colour = brush;
            o.Flags = flags;
            o.Device = size;
            o.Picture = QImage();
            if (!kept)
                buildCharPath(path, pts, c.Types);
            style.draw(painter, kept ? o.kept(c) : path, brush, pen, flags);
            return;
        }
        const QRect whole(QPoint(0, 0), size);
        const bool inside = whole.contains(bounds);
        const QRect keep = bounds.adjusted(-kPictureMargin, -kPictureMargin, kPictureMargin, kPictureMargin);
        if (std::int64_t(keep.width()) * keep.height() > kMaxPicturePixels ||
            (!inside && std::int64_t(size.width()) * size.height() > kMaxPicturePixels * 16)) {
            // Too large to keep: drawn straight each time.
            if (!kept)
                buildCharPath(path, pts, c.Types);
            style.draw(painter, kept ? o.kept(c) : path, brush, pen, flags);
            return;
        }
        if (o.Picture.isNull()) {
            // Drawn alike twice: kept as a picture, the outline drawn into it
            // the same way. Inside the image, shifted by whole pixels and
            // clear of the picture's edges; across the image's edge, where
            // the painter cuts the outline, on a picture of the image's size
            // so that it is cut alike, and only the part that shows kept.
            QImage picture(inside ? keep.size() : size, QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            {
                QPainter q(&picture);
                q.setRenderHint(QPainter::Antialiasing, false);
                if (inside)
                    q.translate(-keep.topLeft());
                if (!kept)
                    buildCharPath(path, pts, c.Types);
                OutlineStyle own;
                own.draw(q, kept ? o.kept(c) : path, brush, pen, flags);
            }
            o.At = inside ? keep.topLeft() : (keep & whole).topLeft();
            o.Picture = inside ? std::move(picture) : picture.copy(keep & whole);
        }
        painter.drawImage(o.At, o.Picture);
    }
    void plain(const CharGlyph& c) const { draw(c, c.Points, c.Colour); }
    // Whether a transform about `centre` leaves every point of the outline
    // too far from the image to draw anything: then the points need not be
    // moved at all. Known only for the transforms that say how far they go.
    bool outOfReach(const CharGlyph& c, Centre centre, double growth) const
    {
        if (growth <= 0)
            return false;
        const QRect& b = outlines[static_cast<std::size_t>(&c - chars.data())].Bounds;
        if (!b.isValid())
            return true;   // no outline: nothing is drawn either way
        const int px = trunc(0.5 * centre.sx), py = trunc(0.5 * centre.sy);
        double r = 0;
        for (const QPoint q : {b.topLeft(), b.topRight(), b.bottomLeft(), b.bottomRight()})
            r = std::max(r, std::hypot(double(q.x() - px), double(q.y() - py)));
        const double far = r * growth + 2;
        if (far > 1e9)
            return false;
        const int reach = static_cast<int>(std::ceil(far));
        return !reaches(QRect(px - reach, py - reach, 2 * reach + 1, 2 * reach + 1), area);
    }
    template <class Transform>
    void aboutCell(const CharGlyph& c, const Transform& t) const
    {
        const Centre cc = cellCentre(c);
        if (outOfReach(c, cc, growthOf(t)))
            return;
        Points& pts = copy(c);
        about(pts, cc.sx, cc.sy, t);
        draw(c, pts, c.Colour);
    }
    template <class Transform>
    void aboutCentre(const CharGlyph& c, Centre centre, const Transform& t, std::uint32_t colour) const
    {
        if (outOfReach(c, centre, growthOf(t)))
            return;
        Points& pts = copy(c);
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
auto scaleWhich(int which, double f) { return scale(which != 1 ? f : 1.0, which != 0 ? f : 1.0); }

void flipOver(const Frame& f, const Char& ch)   // 0
{
    const CharGlyph& c = ch.c;
    const int y = c.Cell.Top;
    if (f.k > f.F / 4) {
        Points& pts = f.copy(c);
        move(pts, 0, 2 - y);
        rotate(0, trunc(90.0 * (f.F / 4 + f.F - f.k) / f.F))(pts);
        move(pts, 0, y);
        f.draw(c, pts, c.Colour);
    }
    if (f.k < f.F) {
        Points& pts = f.copy(c);
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
        Points& pts = f.copy(ch.c);
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
    Points& pts = f.copy(ch.c);
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
    Points& pts = f.copy(ch.c);
    WavePoints(pts.data(), pts.data(), static_cast<int>(pts.size()), f.id == 33 ? 1 : 2, 3, 0.5 + 3 * f.u);
    f.draw(ch.c, pts, ch.c.Colour);
}

void bob(const Frame& f, const Char& ch)   // 35-37
{
    const double phi = 2 * 3.14 * f.k / f.F;
    const double cx = ch.cc.sx / 2.0, cy = ch.cc.sy / 2.0;
    Points& pts = f.copy(ch.c);
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
    Points& pts = f.copy(c);
    if (f.k <= ch.end) {
        const int cw = std::max(c.Cell.Right - c.Cell.Left, 1);
        const int d = (f.width - ((f.width - c.Cell.Left) % cw + cw) % cw) / 3;
        move(pts, (ch.end - f.k) * d, 0);
    }
    f.draw(c, pts, c.Colour);
}

void slideInFromLeft(const Frame& f, const Char& ch)   // 45
{
    Points& pts = f.copy(ch.c);
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
    Points& pts = f.copy(c);
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
    Points& pts = f.copy(ch.c);
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
    Points& pts = f.copy(ch.c);
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
    Points& pts = f.copy(ch.c);
    if (f.k <= ch.start)
        move(pts, 0, f.height);
    else if (f.k <= ch.end)
        move(pts, 0, f.height + 10 * (ch.end - f.k) - 10 * ch.c.Steps - f.height % 10);
    f.draw(ch.c, pts, ch.c.Colour);
}

void dropInTurn(const Frame& f, const Char& ch)   // 62
{
    Points& pts = f.copy(ch.c);
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
    Points& pts = f.copy(ch.c);
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
            Points& pts = f.copy(c);
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
    Points& pts = f.copy(c);
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
    Points& pts = f.copy(c);
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
void explode(QPainter& p, const QImage& image, const std::vector<CharGlyph>& chars,
             std::vector<TextCartoon::Outline>& outlines, int k)
{
    QImage off(image.size(), QImage::Format_RGB32);
    off.fill(Qt::black);
    {
        QPainter q(&off);
        q.setRenderHint(QPainter::Antialiasing, false);
        OutlineStyle style;
        // The copy is drawn with the inverse of each character's colour.
        for (std::size_t i = 0; i < chars.size(); ++i) {
            const CharGlyph& c = chars[i];
            if (reaches(outlines[i].Bounds, off.rect()))
                style.draw(q, outlines[i].kept(c), c.Colour ^ 0xFFFFFFu, c.Colour ^ 0xFFFFFFu, 3);
        }
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
    std::vector<int>& ends = m_ends;
    ends.resize(static_cast<std::size_t>(n));
    {
        int sum = 0;
        for (int i = 0; i < n; ++i)
            ends[static_cast<std::size_t>(i)] = sum += m_chars[static_cast<std::size_t>(i)].Steps;
    }
    const double half = F / 2.0;
    Points scratch;
    QPainterPath path;
    OutlineStyle style;
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
                      m_sparkles,
                      m_chars,
                      m_outlines,
                      image.rect(),
                      scratch,
                      path,
                      style};
    for (int i = 0; i < n; ++i) {
        CharGlyph& c = m_chars[static_cast<std::size_t>(i)];
        const int end = ends[static_cast<std::size_t>(i)];
        effect(frame, Char{c, i, cellCentre(c), end, end - c.Steps});
    }
    if (id == 69 && k > 10 && k < F)
        explode(p, image, m_chars, m_outlines, k);
}

}
