#pragma once
// Pixel routines shared by the HTML drawing engine and the tooltip window:
// colour arithmetic, alpha blits, image variants with masks and soft shadows,
// image-list frames, gradient and texture fills, framed rectangles and lines.
// Colours are COLORREF (0x00BBGGRR); pixel work runs on 32-bit QImages, read
// back from the painter's device when that is an image.
#include "app/controls/DibImage.h"
#include "platform/Colour.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>

class QPainter;

namespace tooltips {

using platform::COLORREF;

// Rounding a * b / c (half away from zero); 0 when c is 0.
int MulDiv(int a, int b, int c);

// Image-variant flags.
enum : unsigned {
    kImageGrey = 0x1,
    kImageDarker = 0x2,
    kImageLighter = 0x4,
    kImageFill = 0x8,
    kImageShadow = 0x100,
    kImageBlurShadow = 0x200,
    kImageInvert = 0x8000,
};

// Line and frame styles.
enum : int { kLineDash = 2, kLineDot = 3, kLineDashDot = 4, kLineDashDotDot = 5, kLineDouble = 6 };

// Everything an image draw needs besides the picture and its place.
struct ImageDrawParams {
    unsigned flags = 0;
    bool useMask = false;
    COLORREF maskColour = 0xFF00FF;
    int shadowOffsetX = 0, shadowOffsetY = 0;
    int blurX = 0, blurY = 0;
    COLORREF fillColour = 0;
};

class CDrawHelper {
public:
    CDrawHelper() = default;
    virtual ~CDrawHelper() = default;
    CDrawHelper(const CDrawHelper&) = delete;
    CDrawHelper& operator=(const CDrawHelper&) = delete;

    static QSize GetIconSize(const QImage& icon) { return icon.size(); }
    static QSize GetBitmapSize(const QImage& bitmap) { return bitmap.size(); }

    // src is read from (0, 0), written to the destination at (x, y).
    static void AlphaBitBlt(const QImage& src, QPainter& dst, int x, int y, int width, int height, int percent);
    static void AlphaChannelBitBlt(const QImage& src, QPainter& dst, int x, int y, int width, int height);

    // A 32-bit copy of the bitmap's top-left width x height transformed by the
    // flags; hasAlpha() then tells whether some source pixel was translucent.
    QImage CreateImageVariant(const QImage& bitmap, int width, int height, unsigned flags, bool useTransparent,
                              COLORREF transparent, COLORREF fill);
    bool hasAlpha() const { return m_hasAlpha; }

    static COLORREF Grey(COLORREF c);
    static COLORREF Invert(COLORREF c);
    static COLORREF Darken(COLORREF c, double f);
    static COLORREF Lighten(COLORREF c, double f);
    static COLORREF Mix(COLORREF a, double fa, COLORREF b, double fb);

    static QImage StretchIcon(const QImage& icon, int width, int height);

    static void DrawGradient(COLORREF from, COLORREF to, const QRect& r, QPainter& p, bool horizontal);
    void FillEffect(QPainter& p, const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3, int granularity,
                    int tint);
    static void TileBlt(QPainter& p, const QRect& r, const QImage& tile, int sx, int sy, int tileWidth,
                        int tileHeight);

    void DrawBitmap(QPainter& p, int x, int y, int width, int height, const QImage& bitmap,
                    const ImageDrawParams& params);
    void DrawIcon(QPainter& p, int x, int y, int width, int height, const QImage& icon, const ImageDrawParams& params);
    // Frames lie row by row; an index past the last frame or a zero frame size draws nothing.
    void DrawImageListFrame(QPainter& p, const QImage& strip, int index, int frameWidth, int frameHeight, int x, int y,
                            int width, int height, const ImageDrawParams& params);

    // shape: white where there is no shadow, a grey where there is.
    static void DrawShadow(QPainter& p, int x, int y, int width, int height, const QImage& shape, bool blurred,
                           int blurWidth, int blurHeight);

    static void DrawRectangle(QPainter& p, const QRect& r, COLORREF topLeft, COLORREF bottomRight, int style,
                              int penWidth);
    static void DrawLine(QPainter& p, int x1, int y1, int x2, int y2, COLORREF colour, int style, int penWidth);

    // The texture noise: a 15-bit generator, seedable so that tests see fixed pictures.
    void setNoiseSeed(std::uint32_t seed) { m_noise = controls::ShadeNoise(seed); }

private:
    void paintTexture(QPainter& p, const QRect& r, int effect, COLORREF c1, COLORREF c2, COLORREF c3,
                      int granularity, int tint);

    controls::CDibImage m_texture;
    bool m_hasAlpha = false;
    controls::ShadeNoise m_noise;
};

} // namespace tooltips
