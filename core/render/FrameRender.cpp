#include "core/render/FrameRender.h"
#include "core/render/ProgramSchema.h"

#include "core/api/Core.h"
#include "core/model/DynFrame.h"
#include "platform/ByteIO.h"
#include "platform/Colour.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <limits>
#include <memory>
#include <cmath>
#include <cstdlib>

using namespace sorvane::model;

namespace sorvane::render {

namespace {

// One cross-section of the band: the pixel of each lane (invalid ones are skipped).
struct Slot {
    std::vector<QPoint> Pixels;   // W entries
    std::vector<bool> Valid;
};

// Left, top, right, bottom with right and bottom exclusive.
struct Box {
    int l, t, r, b;
};

Box boxOf(const QRect& q) { return {q.x(), q.y(), q.x() + q.width(), q.y() + q.height()}; }

// The band unrolled clockwise: bottom edge leftwards from the bottom-right
// corner, the bottom-left corner, the left edge upwards, and so on round to
// the bottom-right corner.
std::vector<Slot> clockwisePath(const Box& k, int W, const std::vector<CornerEntry>& corner)
{
    std::vector<Slot> path;
    auto edge = [&](auto pixel) {
        Slot s;
        for (int c = 0; c < W; ++c) {
            s.Pixels.push_back(pixel(c));
            s.Valid.push_back(true);
        }
        path.push_back(std::move(s));
    };
    auto corn = [&](int pos, auto place) {
        Slot s;
        for (int c = 0; c < W; ++c) {
            const CornerEntry& e = corner[static_cast<std::size_t>(W * pos + c)];
            s.Pixels.push_back(place(e));
            s.Valid.push_back(e.Lane >= 0);
        }
        path.push_back(std::move(s));
    };
    for (int x = k.r - W - 1; x >= k.l + W; --x)
        edge([&](int c) { return QPoint(x, k.b - c - 1); });
    for (int x = k.l + W - 1; x >= k.l; --x)
        corn(k.l + W - x - 1, [&](const CornerEntry& e) { return QPoint(k.l + W - e.X - 1, k.b - W + e.Y); });
    for (int y = k.b - W - 1; y >= k.t + W; --y)
        edge([&](int c) { return QPoint(k.l + c, y); });
    for (int y = k.t + W - 1; y >= k.t; --y)
        corn(k.t + W - y - 1, [&](const CornerEntry& e) { return QPoint(k.l + W - e.Y - 1, k.t + W - e.X - 1); });
    for (int x = k.l + W; x < k.r - W; ++x)
        edge([&](int c) { return QPoint(x, k.t + c); });
    for (int x = k.r - W; x < k.r; ++x)
        corn(x + W - k.r, [&](const CornerEntry& e) { return QPoint(k.r - W + e.X, k.t + W - e.Y - 1); });
    for (int y = k.t + W; y < k.b - W; ++y)
        edge([&](int c) { return QPoint(k.r - c - 1, y); });
    for (int y = k.b - W; y < k.b; ++y)
        corn(y + W - k.b, [&](const CornerEntry& e) { return QPoint(k.r - W + e.Y, k.b - W + e.X); });
    return path;
}

// The other way round, starting on the right edge from the bottom upwards.
std::vector<Slot> counterClockwisePath(const Box& k, int W, const std::vector<CornerEntry>& corner)
{
    std::vector<Slot> path = clockwisePath(k, W, corner);
    std::reverse(path.begin(), path.end());
    // The reversed walk begins with the bottom-right corner: move it to the end.
    const std::size_t cornerSlots = std::min<std::size_t>(static_cast<std::size_t>(W), path.size());
    std::rotate(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(cornerSlots), path.end());
    return path;
}

// The band's path flattened: W lanes per slot, each the pixel it sets, or
// x = kSkip for a lane the corner table leaves out or one outside the band.
constexpr int kSkip = std::numeric_limits<int>::min();

struct BandPath {
    QRect Rect;
    int W = 0;
    bool Rounded = false;
    bool Counter = false;
    std::size_t Slots = 0;
    std::vector<QPoint> Pixels;
};

// Inside the band: in the rectangle and not in the inner one (as QRect::contains
// sees it, which takes a too-narrow inner rectangle as its normalised self).
bool inBand(const QRect& outer, const QRect& inner, QPoint p) { return outer.contains(p) && !inner.contains(p); }

std::shared_ptr<const BandPath> buildPath(const QRect& rect, int W, bool rounded, bool counter)
{
    auto out = std::make_shared<BandPath>();
    out->Rect = rect;
    out->W = W;
    out->Rounded = rounded;
    out->Counter = counter;
    const Box k = boxOf(rect);
    const std::vector<CornerEntry> corner = BuildCornerTable(W, rounded);
    const std::vector<Slot> path = counter ? counterClockwisePath(k, W, corner) : clockwisePath(k, W, corner);
    const QRect inner = rect.adjusted(W, W, -W, -W);
    out->Slots = path.size();
    out->Pixels.reserve(path.size() * static_cast<std::size_t>(W));
    for (const Slot& slot : path)
        for (int c = 0; c < W; ++c) {
            const QPoint q = slot.Pixels[static_cast<std::size_t>(c)];
            out->Pixels.push_back(slot.Valid[static_cast<std::size_t>(c)] && inBand(rect, inner, q) ? q
                                                                                                 : QPoint(kSkip, 0));
        }
    return out;
}

// Paths stay the same from frame to frame of one border: keep the last few
// per thread (compiles and previews may run on different threads).
std::shared_ptr<const BandPath> cachedPath(const QRect& rect, int W, bool rounded, bool counter)
{
    thread_local std::vector<std::shared_ptr<const BandPath>> cache;
    for (std::size_t i = 0; i < cache.size(); ++i) {
        const auto& c = cache[i];
        if (c->Rect == rect && c->W == W && c->Rounded == rounded && c->Counter == counter) {
            std::rotate(cache.begin(), cache.begin() + static_cast<std::ptrdiff_t>(i),
                        cache.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return cache.front();
        }
    }
    auto p = buildPath(rect, W, rounded, counter);
    constexpr std::size_t kPaths = 4;
    if (cache.size() >= kPaths)
        cache.pop_back();
    cache.insert(cache.begin(), p);
    return p;
}

// The element's cell colours, kept per band width and cell shape.
const std::vector<std::uint32_t>& cachedColours(int W, const DynFrameElement& e)
{
    struct Entry {
        int W;
        std::uint8_t Type;
        std::uint16_t Period, L, T, R, B;
        std::vector<std::uint32_t> Colours;
    };
    thread_local std::vector<Entry> cache;
    auto same = [&](const Entry& c) {
        return c.W == W && c.Type == e.Type && c.Period == e.Period && c.L == e.MarginLeft && c.T == e.MarginTop
            && c.R == e.MarginRight && c.B == e.MarginBottom;
    };
    for (std::size_t i = 0; i < cache.size(); ++i)
        if (same(cache[i])) {
            std::rotate(cache.begin(), cache.begin() + static_cast<std::ptrdiff_t>(i),
                        cache.begin() + static_cast<std::ptrdiff_t>(i) + 1);
            return cache.front().Colours;
        }
    constexpr std::size_t kCells = 8;
    if (cache.size() >= kCells)
        cache.pop_back();
    cache.insert(cache.begin(), Entry{W, e.Type, e.Period, e.MarginLeft, e.MarginTop, e.MarginRight, e.MarginBottom,
                                      CollectFrameElementColors(W, &e)});
    return cache.front().Colours;
}

// Sets pixels of the band through scan lines, as setPixel would store them.
class BandPainter {
public:
    BandPainter(QImage& image, const QRect& outer, int W) : m_image(image), m_outer(outer), m_inner(outer.adjusted(W, W, -W, -W))
    {
        const QImage::Format f = image.format();
        m_opaque = f == QImage::Format_RGB32;
        m_direct = m_opaque || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
    }
    void set(QPoint p, std::uint32_t colour)
    {
        if (p.x() < 0 || p.y() < 0 || p.x() >= m_image.width() || p.y() >= m_image.height())
            return;   // also every skipped lane
        const QRgb v = platform::colorRefToRgb(colour);
        if (!m_direct) {
            m_image.setPixel(p, v);
            return;
        }
        line(p.y())[p.x()] = m_opaque ? 0xFF000000u | v : v;
    }
    // Black over the band only: the outer rectangle less the inner one.
    void clear()
    {
        const int top = std::max(m_outer.top(), 0), bottom = std::min(m_outer.bottom(), m_image.height() - 1);
        const int left = std::max(m_outer.left(), 0), right = std::min(m_outer.right(), m_image.width() - 1);
        if (top > bottom || left > right)
            return;
        // The inner rectangle's span as QRect::contains normalises it.
        const QRect& in = m_inner;
        const bool flipX = in.right() < in.left() - 1, flipY = in.bottom() < in.top() - 1;
        const int il = flipX ? in.right() + 1 : in.left(), ir = flipX ? in.left() - 1 : in.right();
        const int it = flipY ? in.bottom() + 1 : in.top(), ib = flipY ? in.top() - 1 : in.bottom();
        for (int y = top; y <= bottom; ++y) {
            if (y < it || y > ib || il > ir) {
                blacken(y, left, right);
            } else {
                blacken(y, left, std::min(right, il - 1));
                blacken(y, std::max(left, ir + 1), right);
            }
        }
    }

private:
    std::uint32_t* line(int y)
    {
        if (!m_bits) {   // detaches once, on the first pixel written
            m_bits = m_image.bits();
            m_stride = static_cast<std::size_t>(m_image.bytesPerLine());
        }
        return reinterpret_cast<std::uint32_t*>(m_bits + m_stride * static_cast<std::size_t>(y));
    }
    void blacken(int y, int from, int to)
    {
        if (from > to)
            return;
        if (m_direct) {
            std::uint32_t* l = line(y);
            std::fill(l + from, l + to + 1, 0xFF000000u);
        } else {
            for (int x = from; x <= to; ++x)
                m_image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }

    QImage& m_image;
    QRect m_outer, m_inner;
    bool m_direct = false, m_opaque = false;
    std::uint8_t* m_bits = nullptr;
    std::size_t m_stride = 0;
};

void stamp(BandPainter& bp, const BandPath& path, int W, int P, int phase, const std::vector<std::uint32_t>& colours)
{
    const QPoint* px = path.Pixels.data();
    for (std::size_t j = 0; j < path.Slots; ++j) {
        const int i = static_cast<int>(((static_cast<long long>(j) - phase) % P + P) % P);
        const std::uint32_t* cell = colours.data() + static_cast<std::size_t>(i * W);
        for (int c = 0; c < W; ++c)
            bp.set(px[j * static_cast<std::size_t>(W) + static_cast<std::size_t>(c)], cell[c]);
    }
}

void travel(BandPainter& bp, const BandPath& path, int W, int P, FrameAnimState& s,
            const std::vector<std::uint32_t>& colours)
{
    if (s.Phase == 0)
        bp.clear();
    if (s.PathLength < P) {
        // Every cell has arrived: start over with the whole band.
        s.PathLength = static_cast<int>(path.Slots);
        s.SegmentOffset = s.Phase;
        bp.clear();
    }
    const int head = s.Phase - s.SegmentOffset;
    const int spacing = P + std::max(s.SegmentLength, 0);
    for (int q = std::min(head, static_cast<int>(path.Slots) - 1); q >= 0; --q) {
        const int r = (head - q) % spacing;
        for (int c = 0; c < W; ++c) {
            const std::uint32_t colour = r < P ? colours[static_cast<std::size_t>((P - 1 - r) * W + c)] : 0;
            bp.set(path.Pixels[static_cast<std::size_t>(q) * static_cast<std::size_t>(W) + static_cast<std::size_t>(c)],
                   colour);
        }
    }
    if (head >= s.PathLength) {
        s.PathLength -= P;
        const int rest = s.PathLength - s.SegmentLength;
        s.SegmentOffset = s.Phase - (rest > 0 ? rest : 0);
    }
}

// The line pixels from (0, 0) towards (x1, y1), the end point itself left out.
std::vector<QPoint> linePixels(int x1, int y1)
{
    std::vector<QPoint> out;
    int x = 0, y = 0;
    const int dx = std::abs(x1), dy = -std::abs(y1);
    const int sx = x1 >= 0 ? 1 : -1, sy = y1 >= 0 ? 1 : -1;
    int err = dx + dy;
    while (!(x == x1 && y == y1)) {
        out.emplace_back(x, y);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return out;
}

// Our own motifs for the built-in pattern pictures, one per type.
void drawBuiltInPattern(QPainter& p, int type, const QRect& r)
{
    struct Motif {
        int shape;   // 0 bar, 1 circle, 2 diamond, 3 arrow, 4 checker, 5 two-tone bar
        QRgb colour;
    };
    static const Motif motifs[24] = {
        {}, {}, {}, {}, {1, 0xFFFF0000}, {2, 0xFF00FF00}, {3, 0xFFFFFF00}, {1, 0xFF00FF00}, {2, 0xFFFF0000},
        {}, {3, 0xFFFF00FF}, {0, 0xFFFF0000}, {0, 0xFF00FF00}, {4, 0xFFFFFF00}, {4, 0xFFFF0000},
        {5, 0xFFFFFF00}, {3, 0xFF00FFFF}, {1, 0xFFFFFF00}, {2, 0xFF00FFFF}, {5, 0xFFFF0000}, {4, 0xFF00FF00},
        {0, 0xFFFFFF00}, {5, 0xFF00FF00}, {1, 0xFFFF00FF},
    };
    if (type < 0 || type >= 24 || r.isEmpty())
        return;
    const Motif m = motifs[type];
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(m.colour));
    switch (m.shape) {
    case 0: p.drawRect(r); break;
    case 1: p.drawEllipse(r); break;
    case 2: {
        const QPoint c = r.center();
        p.drawPolygon(QPolygon({QPoint(c.x(), r.top()), QPoint(r.right() + 1, c.y()), QPoint(c.x(), r.bottom() + 1),
                                QPoint(r.left(), c.y())}));
        break;
    }
    case 3:
        p.drawPolygon(QPolygon({r.topLeft(), QPoint(r.right() + 1, r.center().y()), QPoint(r.left(), r.bottom() + 1)}));
        break;
    case 4:
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if ((x + y) % 2 == 0)
                    p.fillRect(x, y, 1, 1, QColor::fromRgb(m.colour));
        break;
    default:
        p.drawRect(QRect(r.left(), r.top(), (r.width() + 1) / 2, r.height()));
        p.setBrush(Qt::white);
        p.drawRect(QRect(r.left() + (r.width() + 1) / 2, r.top(), r.width() / 2, r.height()));
        break;
    }
}

}

FrameAnimState InitialFrameState(const DynFrameElement& element, int width, int height, int band)
{
    FrameAnimState s;
    s.Motion = element.Motion == 255 ? 0 : element.Motion;
    if (s.Motion == 4 || s.Motion == 5) {
        s.PathLength = 2 * (width + height - 2 * band);
        s.SegmentLength = element.Period * 3 / 2;
    }
    return s;
}

std::vector<CornerEntry> BuildCornerTable(int W, bool rounded)
{
    if (W <= 0 || W > kMaxFrameWidth)
        return {};
    std::vector<CornerEntry> t(static_cast<std::size_t>(W * W));
    if (W == 1) {
        t[0] = {0, 0, 0};
        return t;
    }
    if (!rounded) {
        for (int i = 0; i < W; ++i)
            for (int n = 0; n < W; ++n)
                t[static_cast<std::size_t>(i * W + (W - 1 - n))] = {static_cast<std::int16_t>(i),
                                                                     static_cast<std::int16_t>(n),
                                                                     static_cast<std::int16_t>(n)};
        return t;
    }
    for (int k = 0; k < W; ++k) {
        const double theta = k * (M_PI / 2) / (W - 1);
        std::vector<QPoint> px = linePixels(static_cast<int>(std::floor(W * std::sin(theta) + 0.5)),
                                            static_cast<int>(std::floor(W * std::cos(theta) + 0.5)));
        px.erase(std::remove_if(px.begin(), px.end(),
                                [W](const QPoint& q) { return q.x() < 0 || q.y() < 0 || q.x() >= W || q.y() >= W; }),
                 px.end());
        // Column by column from the left, each column from the top.
        std::sort(px.begin(), px.end(),
                  [](const QPoint& a, const QPoint& b) { return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y(); });
        int entry = k * W + W - 1;
        for (const QPoint& q : px) {
            if (entry < k * W)
                break;
            t[static_cast<std::size_t>(entry--)] = {static_cast<std::int16_t>(q.x()), static_cast<std::int16_t>(q.y()),
                                                    static_cast<std::int16_t>(W - q.y() - 1)};
        }
        for (; entry >= k * W; --entry)
            t[static_cast<std::size_t>(entry)] = {0, 0, -1};
    }
    // Each pixel is drawn once.
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].Lane < 0)
            continue;
        for (std::size_t j = 0; j < i; ++j)
            if (t[j].Lane >= 0 && t[j].X == t[i].X && t[j].Y == t[i].Y) {
                t[i].Lane = -1;
                break;
            }
    }
    return t;
}

QImage DrawElementPattern(int W, const DynFrameElement& e)
{
    const int P = e.Period;
    QImage img(std::max(P, 1), std::max(W, 1), QImage::Format_RGB32);
    img.fill(Qt::black);
    if (P <= 0 || W <= 0)
        return img;
    // Margins wider than the cell leave nothing to draw.
    const int left = e.MarginLeft, top = e.MarginTop;
    const int right = std::max(left, P - e.MarginRight), bottom = std::max(top, W - e.MarginBottom);
    const QRect r(left, top, right - left, bottom - top);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    switch (e.Type) {
    case 0:
        if (!r.isEmpty())
            p.fillRect(r, Qt::white);
        break;
    case 1: {
        if (r.isEmpty())
            break;
        const QColor yellow = platform::toQColor(0x00FFFF);
        p.setPen(Qt::NoPen);
        p.setBrush(yellow);
        p.drawPolygon(QPolygon({QPoint(left, bottom), QPoint(right, bottom), QPoint((left + right) / 2, top)}));
        p.setPen(QPen(yellow, 0));
        p.drawPoint(left, bottom - 1);
        p.drawPoint(left + 1, bottom - 2);
        p.drawPoint(left + 2, bottom - 3);
        break;
    }
    case 2: {
        if (r.isEmpty())
            break;
        const int mx = (left + right) / 2, my = (top + bottom) / 2;
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPolygon(QPolygon({QPoint(mx, top), QPoint(right, my), QPoint(mx, bottom), QPoint(left, my)}));
        break;
    }
    case 3: {
        if (r.isEmpty())
            break;
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(std::max(r.height(), 1));
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, QStringLiteral(u"╰☆╮"));
        break;
    }
    case 255:
    case 9: break;   // a custom picture's cell stays black
    default:
        if ((e.Type >= 4 && e.Type <= 8) || (e.Type >= 10 && e.Type <= 23))
            drawBuiltInPattern(p, e.Type, r);
        break;
    }
    return img;
}

std::vector<std::uint32_t> CollectFrameElementColors(int W, const DynFrameElement* e)
{
    if (W <= 0 || W > kMaxFrameWidth || !e || e->Period == 0)
        return {};
    const QImage img = DrawElementPattern(W, *e);
    const int P = e->Period;
    std::vector<std::uint32_t> colours(static_cast<std::size_t>(P * W));
    for (int x = 0; x < P; ++x)
        for (int y = 0; y < W; ++y)
            colours[static_cast<std::size_t>(x * W + y)] = platform::rgbToColorRef(img.pixel(x, y));
    return colours;
}

const DynFrameElement* DefaultFrameElement(const DynFrame& frame)
{
    const DynFrameElement* e = frame.First;
    for (int i = 0; e && i < frame.DefaultIndex; ++i)
        e = e->Next;
    return e;
}

int PaintDynFrame(QImage& image, const QRect& rect, const DynFrame& frame, FrameAnimState* state,
                  const DynFrameElement* element, const std::vector<std::uint32_t>* colours)
{
    const int W = frame.Width;
    if (!element)
        element = DefaultFrameElement(frame);
    if (!element || element->Period == 0 || W <= 0 || W > kMaxFrameWidth || rect.isEmpty())
        return 1;
    const int P = element->Period;
    if (!colours || colours->size() < static_cast<std::size_t>(P * W))
        colours = &cachedColours(W, *element);
    if (colours->size() < static_cast<std::size_t>(P * W))
        return 1;
    FrameAnimState temp;
    if (!state) {
        temp = InitialFrameState(*element, rect.width(), rect.height(), W);
        state = &temp;
    }
    const bool rounded = frame.CornerStyle != 0;
    const bool counter = state->Motion == 3 || state->Motion == 5;
    // Blinking's dark frames clear the band and need no path.
    if (state->Motion == 1 && state->Phase % 2 != 0) {
        BandPainter bp(image, rect, W);
        bp.clear();
        return 1;
    }
    const std::shared_ptr<const BandPath> path = cachedPath(rect, W, rounded, counter);
    BandPainter bp(image, rect, W);
    switch (state->Motion) {
    case 1: stamp(bp, *path, W, P, 0, *colours); break;
    case 3: stamp(bp, *path, W, P, state->Phase, *colours); break;
    case 4:
    case 5: travel(bp, *path, W, P, *state, *colours); break;
    default: stamp(bp, *path, W, P, state->Phase, *colours); break;
    }
    return 1;
}

std::uint32_t LedQuantiser::operator()(std::uint32_t c) const
{
    const int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
    std::uint32_t out = platform::makeColorRef(r >= Red ? 255 : 0, g >= Green ? 255 : 0, b >= Blue ? 255 : 0);
    return SwapRedGreen ? platform::swapRedGreen(out) : out;
}

std::vector<std::uint8_t> BuildFrameRecord(const DynFrame& frame, const QRect& rect, const LedQuantiser& leds)
{
    const int W = frame.Width;
    if (W <= 0 || W > kMaxFrameWidth || !frame.First)
        return {};
    namespace rec = program::border;
    using program::put;
    const std::size_t first = rec::Size + rec::cornerTableSize(W);
    std::size_t size = first;
    int count = 0;
    for (const DynFrameElement* e = frame.First; e; e = e->Next, ++count)
        size += rec::ElementSize + 4 * static_cast<std::size_t>(W) * e->Period;
    std::vector<std::uint8_t> out(size, 0);
    std::uint8_t* p = out.data();
    const Box k = boxOf(rect);
    put(p, rec::Marker, "fram");
    put(p, rec::Version, rec::VersionValue);
    put(p, rec::ElementsAt, static_cast<std::uint16_t>(first));
    put(p, rec::Left, static_cast<std::uint16_t>(k.l));
    put(p, rec::Top, static_cast<std::uint16_t>(k.t));
    put(p, rec::Right, static_cast<std::uint16_t>(k.r));
    put(p, rec::Bottom, static_cast<std::uint16_t>(k.b));
    put(p, rec::Width, static_cast<std::uint16_t>(W));
    put(p, rec::ElementCount, static_cast<std::uint16_t>(count));
    put(p, rec::FirstElementAt, static_cast<std::uint32_t>(first));
    // Non-zero corner style means rounded here as in the preview.
    const std::vector<CornerEntry> corner = BuildCornerTable(W, frame.CornerStyle != 0);
    std::size_t at = rec::Size;
    auto corners = [&](int x, int y, int lane) {
        put(p + at, rec::CornerX, static_cast<std::uint16_t>(x));
        put(p + at, rec::CornerY, static_cast<std::uint16_t>(y));
        put(p + at, rec::CornerLane, static_cast<std::uint16_t>(lane));
        at += rec::CornerSize;
    };
    for (const CornerEntry& e : corner)
        corners(k.r - W + e.Y, k.b - W + e.X, e.Lane);
    for (const CornerEntry& e : corner)
        corners(k.l + W - e.X - 1, k.b - W + e.Y, e.Lane);
    for (const CornerEntry& e : corner)
        corners(k.l + W - e.Y - 1, k.t + W - e.X - 1, e.Lane);
    for (const CornerEntry& e : corner)
        corners(k.r - W + e.X, k.t + W - e.Y - 1, e.Lane);
    for (const DynFrameElement* e = frame.First; e; e = e->Next) {
        const int P = e->Period;
        std::uint8_t* element = p + at;
        put(element, rec::ElementVersion, e->Version);
        put(element, rec::ElementRecordSize, static_cast<std::uint16_t>(rec::ElementSize + 4 * W * P));
        put(element, rec::Motion, e->Motion);
        put(element, rec::Speed, e->Speed);
        put(element, rec::Duration, e->Duration);
        put(element, rec::Period, static_cast<std::uint16_t>(P));
        at += rec::ElementSize;
        const std::vector<std::uint32_t> colours = CollectFrameElementColors(W, e);
        // Lane by lane on the wire; column by column in memory.
        for (int y = 0; y < W && !colours.empty(); ++y)
            for (int x = 0; x < P; ++x) {
                bytes::put32(p, at, leds(colours[static_cast<std::size_t>(x * W + y)]));
                at += 4;
            }
        if (colours.empty())
            at += 4 * static_cast<std::size_t>(W) * P;
    }
    return out;
}

}

int CCore::PaintDynFrame(QImage* dc, const QRect* rect, DynFrame* frame, void* state, DynFrameElement* element,
                         const std::uint32_t* colours)
{
    if (!dc || !rect || !frame)
        return 1;
    try {
        const DynFrameElement* e = element ? element : sorvane::render::DefaultFrameElement(*frame);
        std::vector<std::uint32_t> given;
        if (colours && e && e->Period != 0)
            given.assign(colours, colours + std::size_t(e->Period) * frame->Width);
        return sorvane::render::PaintDynFrame(*dc, *rect, *frame, static_cast<sorvane::render::FrameAnimState*>(state), e,
                                     given.empty() ? nullptr : &given);
    } catch (...) {
        return 1;   // out of memory: the picture stays as it was
    }
}

int CCore::GetFrameElementColors(std::uint32_t*& colours, unsigned short width, DynFrameElement* element)
{
    if (width == 0 || !element || element->Period == 0)
        return 0;
    ReleaseFrameElementColors(colours);
    try {
        const std::vector<std::uint32_t> c = sorvane::render::CollectFrameElementColors(width, element);
        if (c.empty())
            return 0;
        colours = new std::uint32_t[c.size()];
        std::copy(c.begin(), c.end(), colours);
        return 1;
    } catch (...) {
        return 0;
    }
}

int CCore::ReleaseFrameElementColors(std::uint32_t*& colours)
{
    delete[] colours;
    colours = nullptr;
    return 1;
}
