#include "app/tooltips/DrawHelper.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tooltips {

using platform::colorRefToRgb;
using platform::rgbToColorRef;

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    long long n = static_cast<long long>(a) * b;
    long long q = (std::llabs(n) + std::llabs(static_cast<long long>(c)) / 2) / std::llabs(static_cast<long long>(c));
    return static_cast<int>(((n < 0) != (c < 0)) ? -q : q);
}

namespace {

QColor qc(COLORREF c) { return platform::toQColor(c); }

// The area of the painter's image under a logical rectangle, as a 32-bit copy;
// null when the painter does not paint on an image.
QImage readBack(QPainter& p, const QRect& r)
{
    QPaintDevice* d = p.device();
    if (!d || d->devType() != QInternal::Image)
        return {};
    auto* img = static_cast<QImage*>(d);
    QRect dev = p.transform().mapRect(r);
    QImage out(r.size(), QImage::Format_ARGB32);
    if (out.isNull())
        return {};
    out.fill(0xFFFFFFFFu);
    QImage src = img->format() == QImage::Format_ARGB32 || img->format() == QImage::Format_RGB32
                     ? *img
                     : img->convertToFormat(QImage::Format_ARGB32);
    QRect inside = dev.intersected(src.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y - dev.top()));
        for (int x = inside.left(); x <= inside.right(); ++x)
            o[x - dev.left()] = s[x];
    }
    return out;
}

void writeBack(QPainter& p, int x, int y, const QImage& img)
{
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(x, y, img);
    p.restore();
}

// The part of a logical rectangle that lands on the painter's device.
QRect visiblePart(QPainter& p, const QRect& r)
{
    QPaintDevice* d = p.device();
    if (!d)
        return r;
    bool invertible = false;
    const QTransform inv = p.transform().inverted(&invertible);
    if (!invertible)
        return r;
    return r.intersected(inv.mapRect(QRect(0, 0, d->width(), d->height())));
}

inline int ch(QRgb c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

// Mixes s into what the painter shows at (x, y), each pixel weighing what
// `weight` gives for it, out of `scale`.
template <class Weight>
void mixOver(const QImage& s, QPainter& dst, int x, int y, int width, int height, int scale, Weight weight)
{
    QImage d = readBack(dst, QRect(x, y, width, height));
    if (d.isNull())
        return;
    for (int j = 0; j < height; ++j) {
        const QRgb* sp = reinterpret_cast<const QRgb*>(s.constScanLine(j));
        QRgb* dp = reinterpret_cast<QRgb*>(d.scanLine(j));
        for (int i = 0; i < width; ++i) {
            const int w = weight(sp[i]);
            QRgb o = 0xFF000000u;
            for (int sh : {0, 8, 16})
                o |= static_cast<QRgb>((ch(sp[i], sh) * w + ch(dp[i], sh) * (scale - w)) / scale) << sh;
            dp[i] = o;
        }
    }
    writeBack(dst, x, y, d);
}

} // namespace

void CDrawHelper::AlphaBitBlt(const QImage& src, QPainter& dst, int x, int y, int width, int height, int percent)
{
    if (width <= 0 || height <= 0 || src.isNull())
        return;
    QImage s = src.copy(0, 0, width, height).convertToFormat(QImage::Format_ARGB32);
    if (percent >= 100) {
        writeBack(dst, x, y, s);
        return;
    }
    if (percent <= 0)
        return;
    mixOver(s, dst, x, y, width, height, 100, [percent](QRgb) { return percent; });
}

void CDrawHelper::AlphaChannelBitBlt(const QImage& src, QPainter& dst, int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0 || src.isNull())
        return;
    const QImage s = src.copy(0, 0, width, height).convertToFormat(QImage::Format_ARGB32);
    mixOver(s, dst, x, y, width, height, 255, [](QRgb p) { return ch(p, 24); });
}

QImage CDrawHelper::CreateImageVariant(const QImage& bitmap, int width, int height, unsigned flags,
                                       bool useTransparent, COLORREF transparent, COLORREF fill)
{
    m_hasAlpha = false;
    if (bitmap.isNull() || width <= 0 || height <= 0)
        return {};
    QImage src = bitmap.format() == QImage::Format_ARGB32 ? bitmap : bitmap.convertToFormat(QImage::Format_ARGB32);
    QImage out(width, height, QImage::Format_ARGB32);
    if (out.isNull())
        return {};
    out.fill(0);
    const QRgb key = colorRefToRgb(transparent) & 0xFFFFFFu;
    const QRgb fillPx = colorRefToRgb(fill) & 0xFFFFFFu;
    const int w = std::min(width, src.width()), h = std::min(height, src.height());
    // Opaque pixels carry alpha 255 here, so only a translucent one means "has alpha".
    const bool translucent = bitmap.hasAlphaChannel();
    for (int y = 0; y < h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x) {
            QRgb px = s[x];
            if (translucent && (px >> 24) != 0xFFu)
                m_hasAlpha = true;
            QRgb alpha = px & 0xFF000000u;
            int r = ch(px, 16), g = ch(px, 8), b = ch(px, 0);
            QRgb rgb;
            if (useTransparent && (px & 0xFFFFFFu) == key) {
                rgb = 0;
            } else {
                if (flags & kImageGrey) {
                    int l = static_cast<int>(0.299 * r + 0.587 * g + 0.114 * b);
                    r = g = b = l;
                }
                if (flags & kImageDarker) {
                    r = static_cast<int>(r * 0.75);
                    g = static_cast<int>(g * 0.75);
                    b = static_cast<int>(b * 0.75);
                }
                if (flags & kImageLighter) {
                    r = std::min(255, static_cast<int>(r * 1.25));
                    g = std::min(255, static_cast<int>(g * 1.25));
                    b = std::min(255, static_cast<int>(b * 1.25));
                }
                rgb = (flags & kImageFill) ? fillPx : (static_cast<QRgb>(r) << 16 | static_cast<QRgb>(g) << 8 | b);
            }
            if (flags & kImageInvert)
                rgb = ~rgb & 0xFFFFFFu;
            o[x] = alpha | rgb;
        }
    }
    return out;
}

COLORREF CDrawHelper::Grey(COLORREF c)
{
    int l = static_cast<int>(0.299 * (c & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * ((c >> 16) & 0xFF));
    return platform::makeColorRef(l, l, l);
}

COLORREF CDrawHelper::Invert(COLORREF c) { return ~c & 0xFFFFFFu; }

COLORREF CDrawHelper::Darken(COLORREF c, double f)
{
    if (f >= 1.0)
        return c;
    return platform::makeColorRef(static_cast<unsigned>((c & 0xFF) * f), static_cast<unsigned>(((c >> 8) & 0xFF) * f),
                                  static_cast<unsigned>(((c >> 16) & 0xFF) * f));
}

COLORREF CDrawHelper::Lighten(COLORREF c, double f)
{
    if (f > 1.0)
        return c;
    auto up = [f](unsigned v) { return std::min(255u, static_cast<unsigned>(v * (1.0 + f))); };
    return platform::makeColorRef(up(c & 0xFF), up((c >> 8) & 0xFF), up((c >> 16) & 0xFF));
}

COLORREF CDrawHelper::Mix(COLORREF a, double fa, COLORREF b, double fb)
{
    auto m = [&](int sh) {
        return std::clamp(static_cast<unsigned>(fb * ((b >> sh) & 0xFF) + fa * ((a >> sh) & 0xFF)), 0u, 255u);
    };
    return platform::makeColorRef(m(0), m(8), m(16));
}

QImage CDrawHelper::StretchIcon(const QImage& icon, int width, int height)
{
    if (icon.isNull() || width <= 0 || height <= 0)
        return {};
    if (icon.width() == width && icon.height() == height)
        return icon;
    return icon.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void CDrawHelper::DrawGradient(COLORREF from, COLORREF to, const QRect& r, QPainter& p, bool horizontal)
{
    const int size = horizontal ? r.width() : r.height();
    if (size <= 0)
        return;
    for (int i = 0; i < 64; ++i) {
        int a = i * size / 64, b = (i + 1) * size / 64;
        if (b <= a)
            continue;
        auto m = [&](int sh) { return (((64 - i) * ((from >> sh) & 0xFF)) + i * ((to >> sh) & 0xFF)) / 64; };
        QColor c(m(0), m(8), m(16));
        if (horizontal)
            p.fillRect(QRect(r.left() + a, r.top(), b - a, r.height()), c);
        else
            p.fillRect(QRect(r.left(), r.top() + a, r.width(), b - a), c);
    }
}

void CDrawHelper::FillEffect(QPainter& p, const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3,
                             int granularity, int tint)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    switch (effect) {
    case 1: DrawGradient(c1, c3, r, p, true); break;
    case 2: DrawGradient(c1, c3, r, p, false); break;
    case 3:
    case 5: {
        int half = r.width() / 2;
        DrawGradient(c1, effect == 3 ? c3 : c2, QRect(r.left(), r.top(), half, r.height()), p, true);
        DrawGradient(effect == 3 ? c3 : c2, effect == 3 ? c1 : c3,
                     QRect(r.left() + half, r.top(), r.width() - half, r.height()), p, true);
        break;
    }
    case 4:
    case 6: {
        int half = r.height() / 2;
        DrawGradient(c1, effect == 4 ? c3 : c2, QRect(r.left(), r.top(), r.width(), half), p, false);
        DrawGradient(effect == 4 ? c3 : c2, effect == 4 ? c1 : c3,
                     QRect(r.left(), r.top() + half, r.width(), r.height() - half), p, false);
        break;
    }
    default:
        if (effect >= 7 && effect <= 15)
            paintTexture(p, r, effect, c1, c2, c3, granularity, tint);
        else
            p.fillRect(r, qc(c1));
        break;
    }
}

void CDrawHelper::paintTexture(QPainter& p, const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3,
                               int granularity, int tint)
{
    // The pattern follows the whole rectangle; only the part on the device is built.
    const int w = r.width(), h = r.height();
    const QRect vis = visiblePart(p, r);
    if (vis.isEmpty() || !m_texture.CreateBitmap(vis.width(), vis.height(), 8))
        return;
    const int ox = vis.left() - r.left(), oy = vis.top() - r.top();
    QList<QRgb>& pal = m_texture.palette();
    auto mix = [](COLORREF a, COLORREF b, int wa, int wb) {
        auto m = [&](int sh) { return static_cast<int>((wa * ((a >> sh) & 0xFF) + wb * ((b >> sh) & 0xFF)) / 128); };
        return qRgb(m(0), m(8), m(16)) & 0xFFFFFFu;
    };
    for (int i = 0; i < 128; ++i) {
        pal[i] = mix(c2, c3, i, 128 - i);
        pal[128 + i] = mix(c1, c2, i, 128 - i);
    }
    m_texture.TintPalette(tint, c1);

    const int g = std::clamp(granularity, 0, 127);
    const int m = g == 0 ? 1 : 2 * g;
    auto noise = [&] { return m_noise.next() / (32767 / m) - g; };
    auto put = [&](int x, int y, int idx) {
        const int tx = x - ox, ty = y - oy;
        const int value = std::clamp(idx + noise(), 0, 255);
        if (tx >= 0 && ty >= 0 && tx < vis.width() && ty < vis.height())
            m_texture.row(ty)[tx] = static_cast<std::uint8_t>(value);
    };
    const int span = 255 - 2 * g;
    auto bump = [&](int i, int n) {
        // A parabola over the range: the middle bright, both ends dark.
        const double t = 2.0 * i - (n - 1);
        const double d = std::max(1, n - 1);
        return g + static_cast<int>(span - span * t * t / (d * d));
    };
    const long long W = w, H = h;
    for (int y = oy; y < oy + vis.height(); ++y) {
        for (int x = ox; x < ox + vis.width(); ++x) {
            const long long X = x, Y = y;
            long long idx = 0;
            switch (effect) {
            case 7: idx = 0; break;
            case 8: idx = g + (span / 2) * Y / H + (span / 2) * (W - 1 - X) / W; break;
            case 9: idx = g + span * Y / H; break;
            case 10: idx = (255 - g) - span * X / W; break;
            case 11: idx = bump(y, h); break;
            case 12: idx = bump(x, w); break;
            case 13: {
                const long long yy = -127 + 254 * Y / std::max(1LL, H - 1), xx = 127 - 254 * X / std::max(1LL, W - 1);
                idx = 128 + ((yy * yy * yy / 0x4000) + (xx * xx * xx / 0x4000)) * (128 - g) / 128;
                idx = std::clamp<long long>(idx, g, 255 - g);
                break;
            }
            case 14: {
                const long long yy = -127 + 254 * Y / std::max(1LL, H - 1);
                idx = 128 + (yy * yy * yy / 0x4000) * (64 - g) * 2 / 128;
                const int bevel = std::max(1, std::min(w / 6, 16));
                const int edge = std::min(x, w - 1 - x);
                if (edge < bevel) {
                    const int t = bevel - edge;
                    const int shade = 96 * t * t / (bevel * bevel);
                    idx += x < w / 2 ? shade : -shade;
                }
                break;
            }
            case 15: idx = 128; break;
            }
            put(x, y, static_cast<int>(std::clamp<long long>(idx, -1024, 1024)));
        }
    }
    if (effect == 15) {
        for (int k = 0; k < 200; ++k) {
            const int mx = m_noise.next() % w, my = m_noise.next() % h;
            const int len = 1 + m_noise.next() % std::max(1, w / 3);
            const int idx = 64 + m_noise.next() % 128;
            const int end = std::min({w, mx + len, ox + vis.width()});
            for (int x = std::max(mx, ox); x < end; ++x)
                put(x, my, idx);
        }
    }
    m_texture.DrawAt(p, vis.left(), vis.top());
}

void CDrawHelper::TileBlt(QPainter& p, const QRect& r, const QImage& tile, int sx, int sy, int tileWidth,
                          int tileHeight)
{
    if (tile.isNull() || tileWidth <= 0 || tileHeight <= 0 || r.isEmpty())
        return;
    // Only the tiles that reach the device, in the rectangle's own phase.
    const QRect vis = visiblePart(p, r);
    if (vis.isEmpty())
        return;
    const int y0 = r.top() + (vis.top() - r.top()) / tileHeight * tileHeight;
    const int x0 = r.left() + (vis.left() - r.left()) / tileWidth * tileWidth;
    for (int y = y0; y <= vis.bottom(); y += tileHeight) {
        int hh = std::min(tileHeight, r.bottom() + 1 - y);
        for (int x = x0; x <= vis.right(); x += tileWidth) {
            int ww = std::min(tileWidth, r.right() + 1 - x);
            p.drawImage(QPoint(x, y), tile, QRect(sx, sy, ww, hh));
        }
    }
}

void CDrawHelper::DrawShadow(QPainter& p, int x, int y, int width, int height, const QImage& shape, bool blurred,
                             int blurWidth, int blurHeight)
{
    if (width <= 0 || height <= 0 || shape.isNull())
        return;
    QImage d = readBack(p, QRect(x, y, width, height));
    if (d.isNull())
        return;
    QImage s = shape.convertToFormat(QImage::Format_ARGB32);
    if (s.isNull())
        return;
    std::vector<double> factor(static_cast<size_t>(width) * height, 1.0);
    if (!blurred) {
        for (int j = 0; j < std::min(height, s.height()); ++j) {
            const QRgb* sp = reinterpret_cast<const QRgb*>(s.constScanLine(j));
            for (int i = 0; i < std::min(width, s.width()); ++i)
                factor[static_cast<size_t>(j) * width + i] = (sp[i] & 0xFF) / 255.0;
        }
    } else {
        int bw = std::max(1, blurWidth), bh = std::max(1, blurHeight);
        if (bw % 2 == 0)
            ++bw;
        if (bh % 2 == 0)
            ++bh;
        // The shape shrunk by the blur size, centred on white, then box-blurred.
        std::vector<int> v(static_cast<size_t>(width) * height, 255);
        int sw = width - bw, shh = height - bh;
        if (sw > 0 && shh > 0) {
            QImage small = s.scaled(sw, shh, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            for (int j = 0; j < shh; ++j) {
                const QRgb* sp = reinterpret_cast<const QRgb*>(small.constScanLine(j));
                for (int i = 0; i < sw; ++i)
                    v[static_cast<size_t>(j + bh / 2) * width + i + bw / 2] = static_cast<int>(sp[i] & 0xFF);
            }
        }
        auto at = [&](int i, int j) {
            return (i < 0 || j < 0 || i >= width || j >= height) ? 255 : v[static_cast<size_t>(j) * width + i];
        };
        // Horizontal sums, then vertical sums of those.
        std::vector<long long> hs(static_cast<size_t>(width) * height);
        for (int j = 0; j < height; ++j) {
            long long sum = 0;
            for (int i = -bw / 2; i <= bw / 2; ++i)
                sum += at(i, j);
            for (int i = 0; i < width; ++i) {
                hs[static_cast<size_t>(j) * width + i] = sum;
                sum += at(i + bw / 2 + 1, j) - at(i - bw / 2, j);
            }
        }
        auto hat = [&](int i, int j) {
            return (j < 0 || j >= height) ? 255LL * bw : hs[static_cast<size_t>(j) * width + i];
        };
        const double div = static_cast<double>(bw) * bh * 255.0;
        for (int i = 0; i < width; ++i) {
            long long sum = 0;
            for (int j = -bh / 2; j <= bh / 2; ++j)
                sum += hat(i, j);
            for (int j = 0; j < height; ++j) {
                factor[static_cast<size_t>(j) * width + i] = sum / div;
                sum += hat(i, j + bh / 2 + 1) - hat(i, j - bh / 2);
            }
        }
    }
    for (int j = 0; j < height; ++j) {
        QRgb* dp = reinterpret_cast<QRgb*>(d.scanLine(j));
        for (int i = 0; i < width; ++i) {
            double f = factor[static_cast<size_t>(j) * width + i];
            if (f < 0.0 || f >= 1.0)
                continue;
            QRgb px = dp[i];
            dp[i] = (px & 0xFF000000u) | static_cast<QRgb>(ch(px, 16) * f) << 16 |
                    static_cast<QRgb>(ch(px, 8) * f) << 8 | static_cast<QRgb>(ch(px, 0) * f);
        }
    }
    writeBack(p, x, y, d);
}

void CDrawHelper::DrawBitmap(QPainter& p, int x, int y, int width, int height, const QImage& bitmap,
                             const ImageDrawParams& ip)
{
    if (bitmap.isNull() || width <= 0 || height <= 0)
        return;
    QImage src = bitmap.size() == QSize(width, height)
                     ? bitmap
                     : bitmap.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (src.isNull())
        return; // too large to hold
    QImage mask = CreateImageVariant(src, width, height, kImageFill | kImageInvert, ip.useMask, ip.maskColour, 0xFFFFFF);
    QImage image = CreateImageVariant(src, width, height, ip.flags, ip.useMask, ip.maskColour, ip.fillColour);
    const bool alpha = m_hasAlpha;

    int ix = x, iy = y;
    if (ip.flags & (kImageShadow | kImageBlurShadow)) {
        // The shadow's shape: the fill colour where the image is, white elsewhere.
        QImage shape(width, height, QImage::Format_ARGB32);
        const QRgb fillPx = colorRefToRgb(ip.fillColour);
        for (int j = 0; j < height; ++j) {
            const QRgb* mp = reinterpret_cast<const QRgb*>(mask.constScanLine(j));
            const QRgb* sp = reinterpret_cast<const QRgb*>(src.constScanLine(j));
            QRgb* op = reinterpret_cast<QRgb*>(shape.scanLine(j));
            for (int i = 0; i < width; ++i) {
                bool inside = alpha ? (sp[i] >> 24) >= 128 : (mp[i] & 0xFFFFFFu) == 0;
                op[i] = inside ? fillPx : 0xFFFFFFFFu;
            }
        }
        DrawShadow(p, x + ip.shadowOffsetX, y + ip.shadowOffsetY, width, height, shape,
                   (ip.flags & kImageBlurShadow) != 0, ip.blurX, ip.blurY);
    } else {
        ix += ip.shadowOffsetX;
        iy += ip.shadowOffsetY;
    }

    if (alpha) {
        AlphaChannelBitBlt(image, p, ix, iy, width, height);
        return;
    }
    QImage d = readBack(p, QRect(ix, iy, width, height));
    if (d.isNull()) {
        // Not an image: composite the variant through its mask.
        QImage shown = image;
        for (int j = 0; j < height; ++j) {
            const QRgb* mp = reinterpret_cast<const QRgb*>(mask.constScanLine(j));
            QRgb* op = reinterpret_cast<QRgb*>(shown.scanLine(j));
            for (int i = 0; i < width; ++i)
                op[i] = (mp[i] & 0xFFFFFFu) ? 0 : (op[i] | 0xFF000000u);
        }
        p.drawImage(ix, iy, shown);
        return;
    }
    // Mask ANDed in, then the variant ORed over it.
    for (int j = 0; j < height; ++j) {
        const QRgb* mp = reinterpret_cast<const QRgb*>(mask.constScanLine(j));
        const QRgb* vp = reinterpret_cast<const QRgb*>(image.constScanLine(j));
        QRgb* dp = reinterpret_cast<QRgb*>(d.scanLine(j));
        for (int i = 0; i < width; ++i)
            dp[i] = (dp[i] & 0xFF000000u) | (((dp[i] & mp[i]) | vp[i]) & 0xFFFFFFu);
    }
    writeBack(p, ix, iy, d);
}

void CDrawHelper::DrawIcon(QPainter& p, int x, int y, int width, int height, const QImage& icon,
                           const ImageDrawParams& params)
{
    DrawBitmap(p, x, y, width, height, StretchIcon(icon, width, height), params);
}

void CDrawHelper::DrawImageListFrame(QPainter& p, const QImage& strip, int index, int frameWidth, int frameHeight,
                                     int x, int y, int width, int height, const ImageDrawParams& params)
{
    if (strip.isNull() || frameWidth <= 0 || frameHeight <= 0 || index < 0)
        return;
    const int cols = strip.width() / frameWidth, rows = strip.height() / frameHeight;
    if (index >= cols * rows)
        return;
    QImage frame = strip.copy((index % cols) * frameWidth, (index / cols) * frameHeight, frameWidth, frameHeight);
    DrawBitmap(p, x, y, width, height, frame, params);
}

namespace {

Qt::PenStyle penStyle(int style)
{
    switch (style) {
    case kLineDash: return Qt::DashLine;
    case kLineDot: return Qt::DotLine;
    case kLineDashDot: return Qt::DashDotLine;
    case kLineDashDotDot: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
    }
}

bool solid(int style) { return penStyle(style) == Qt::SolidLine; }

// One frame: top and left in the first colour, bottom and right in the second,
// each side a band of the pen width inside the rectangle.
void frame(QPainter& p, const QRect& r, COLORREF tl, COLORREF br, int style, int w)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (solid(style)) {
        p.fillRect(QRect(r.left(), r.top(), r.width(), w), qc(tl));
        p.fillRect(QRect(r.left(), r.top(), w, r.height()), qc(tl));
        p.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), qc(br));
        p.fillRect(QRect(r.right() - w + 1, r.top(), w, r.height()), qc(br));
        return;
    }
    p.save();
    int h = w / 2;
    QRect in = r.adjusted(h, h, -(w - 1 - h), -(w - 1 - h));
    p.setPen(QPen(qc(tl), w, penStyle(style), Qt::FlatCap));
    p.drawLine(in.topLeft(), in.topRight());
    p.drawLine(in.topLeft(), in.bottomLeft());
    if (br != tl)
        p.setPen(QPen(qc(br), w, penStyle(style), Qt::FlatCap));
    p.drawLine(in.bottomLeft(), in.bottomRight());
    p.drawLine(in.topRight(), in.bottomRight());
    p.restore();
}

} // namespace

void CDrawHelper::DrawRectangle(QPainter& p, const QRect& r, COLORREF topLeft, COLORREF bottomRight, int style,
                                int penWidth)
{
    if (penWidth <= 0)
        return;
    frame(p, r, topLeft, bottomRight, style, penWidth);
    if (style == kLineDouble) {
        int d = 2 * penWidth;
        frame(p, r.adjusted(d, d, -d, -d), topLeft, bottomRight, style, penWidth);
    }
}

void CDrawHelper::DrawLine(QPainter& p, int x1, int y1, int x2, int y2, COLORREF colour, int style, int penWidth)
{
    if (penWidth <= 0)
        return;
    auto one = [&](int ax, int ay, int bx, int by) {
        if (solid(style) && (ay == by || ax == bx)) {
            // Axis lines as bands, end point excluded.
            if (ay == by)
                p.fillRect(QRect(std::min(ax, bx), ay - penWidth / 2, std::abs(bx - ax), penWidth), qc(colour));
            else
                p.fillRect(QRect(ax - penWidth / 2, std::min(ay, by), penWidth, std::abs(by - ay)), qc(colour));
            return;
        }
        p.save();
        p.setPen(QPen(qc(colour), penWidth, penStyle(style), Qt::FlatCap));
        p.drawLine(ax, ay, bx, by);
        p.restore();
    };
    one(x1, y1, x2, y2);
    if (style == kLineDouble) {
        int d = 2 * penWidth;
        if (y1 == y2)
            one(x1, y1 + d, x2, y2 + d);
        else
            one(x1 + d, y1, x2 + d, y2);
    }
}

} // namespace tooltips
