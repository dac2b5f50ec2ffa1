#include "app/tooltips/DrawHelper.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace tooltips;

namespace {

QImage solidImage(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

} // namespace

TEST(DrawHelper, MulDivRoundsHalfAwayFromZero)
{
    EXPECT_EQ(MulDiv(13, 75, 100), 10);
    EXPECT_EQ(MulDiv(255, 50, 100), 128);
    EXPECT_EQ(MulDiv(-255, 50, 100), -128);
    EXPECT_EQ(MulDiv(10, 10, 0), 0);
}

TEST(DrawHelper, AlphaBitBltCopiesKeepsOrMixes)
{
    QImage src = solidImage(4, 2, 0xFF204080);
    for (int percent : {100, 0, 50}) {
        QImage dst = solidImage(6, 4, 0xFF000000 | 0x6080A0);
        {
            QPainter p(&dst);
            CDrawHelper::AlphaBitBlt(src, p, 1, 1, 4, 2, percent);
        }
        QRgb in = dst.pixel(2, 2) & 0xFFFFFF, out = dst.pixel(0, 0) & 0xFFFFFF;
        EXPECT_EQ(out, 0x6080A0u);
        if (percent == 100)
            EXPECT_EQ(in, 0x204080u);
        else if (percent == 0)
            EXPECT_EQ(in, 0x6080A0u);
        else
            EXPECT_EQ(in, static_cast<QRgb>(((0x20 + 0x60) / 2) << 16 | ((0x40 + 0x80) / 2) << 8 | (0x80 + 0xA0) / 2));
    }
}

TEST(DrawHelper, AlphaChannelBitBltUsesTheSourceAlpha)
{
    QImage src(1, 1, QImage::Format_ARGB32);
    src.setPixel(0, 0, 0x80FF0000); // not premultiplied: red at alpha 128
    QImage dst = solidImage(1, 1, 0xFF0000FF);
    {
        QPainter p(&dst);
        CDrawHelper::AlphaChannelBitBlt(src, p, 0, 0, 1, 1);
    }
    EXPECT_EQ(dst.pixel(0, 0) & 0xFFFFFF, static_cast<QRgb>((255 * 128 / 255) << 16 | (255 * 127 / 255)));
}

TEST(DrawHelper, GradientFillsSixtyFourBandsOrFewerWhenNarrow)
{
    QImage dst = solidImage(32, 2, 0xFFFFFFFF);
    {
        QPainter p(&dst);
        CDrawHelper::DrawGradient(0x000000, 0x0000FF, QRect(0, 0, 32, 2), p, true);
    }
    // 32 pixels: bands 1, 3, 5 ... are drawn, one pixel each; pixel k shows band 2k + 1.
    for (int x = 0; x < 32; ++x) {
        int band = 2 * x + 1;
        EXPECT_EQ(qRed(dst.pixel(x, 1)), band * 255 / 64) << x;
        EXPECT_EQ(qBlue(dst.pixel(x, 1)), 0);
    }
    QImage tall = solidImage(1, 128, 0xFFFFFFFF);
    {
        QPainter p(&tall);
        CDrawHelper::DrawGradient(0xFF0000, 0x000000, QRect(0, 0, 1, 128), p, false);
    }
    EXPECT_EQ(qBlue(tall.pixel(0, 0)), 255);
    EXPECT_EQ(qBlue(tall.pixel(0, 1)), 255);
    EXPECT_EQ(qBlue(tall.pixel(0, 2)), 63 * 255 / 64);
}

TEST(DrawHelper, ImageVariantsTransformEachPixel)
{
    QImage src(4, 1, QImage::Format_ARGB32);
    src.setPixel(0, 0, 0xFF6496C8);
    src.setPixel(1, 0, 0xFFFF00FF); // the transparent colour
    src.setPixel(2, 0, 0x40C8C8C8); // carries alpha
    src.setPixel(3, 0, 0xFFF0F0F0);
    CDrawHelper h;
    QImage grey = h.CreateImageVariant(src, 4, 1, kImageGrey, true, 0xFF00FF, 0);
    int l = static_cast<int>(0.299 * 0x64 + 0.587 * 0x96 + 0.114 * 0xC8);
    EXPECT_EQ(grey.pixel(0, 0), qRgb(l, l, l));
    EXPECT_EQ(grey.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(grey.pixel(2, 0) >> 24, 0x40u);
    EXPECT_TRUE(h.hasAlpha());

    QImage dark = h.CreateImageVariant(src, 4, 1, kImageDarker, false, 0, 0);
    EXPECT_EQ(dark.pixel(0, 0), qRgb(0x64 * 3 / 4, 0x96 * 3 / 4, 0xC8 * 3 / 4));
    QImage light = h.CreateImageVariant(src, 4, 1, kImageLighter, false, 0, 0);
    EXPECT_EQ(light.pixel(0, 0), qRgb(125, 187, 250));
    EXPECT_EQ(light.pixel(3, 0), qRgb(255, 255, 255));
    QImage mask = h.CreateImageVariant(src.copy(0, 0, 2, 1), 2, 1, kImageFill | kImageInvert, true, 0xFF00FF, 0xFFFFFF);
    EXPECT_EQ(mask.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(mask.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_FALSE(h.hasAlpha());
}

TEST(DrawHelper, ColourArithmetic)
{
    EXPECT_EQ(CDrawHelper::Invert(0x123456), 0xEDCBA9u);
    EXPECT_EQ(CDrawHelper::Darken(0x808080, 0.5), 0x404040u);
    EXPECT_EQ(CDrawHelper::Darken(0x808080, 1.0), 0x808080u);
    EXPECT_EQ(CDrawHelper::Lighten(0x80C020, 0.5), platform::makeColorRef(0x30, 0xFF, 0xC0));
    EXPECT_EQ(CDrawHelper::Mix(0x0000FF, 0.5, 0xFF0000, 0.5), platform::makeColorRef(127, 0, 127));
    EXPECT_EQ(CDrawHelper::Grey(0x0000FF), platform::makeColorRef(76, 76, 76));
}

TEST(DrawHelper, BitmapLeavesTransparentPixelsAndDrawsTheRest)
{
    QImage bmp(2, 1, QImage::Format_RGB32);
    bmp.setPixel(0, 0, 0xFFFF00FF);
    bmp.setPixel(1, 0, 0xFF112233);
    QImage dst = solidImage(4, 4, 0xFF445566);
    CDrawHelper h;
    ImageDrawParams ip;
    ip.useMask = true;
    {
        QPainter p(&dst);
        h.DrawBitmap(p, 1, 1, 2, 1, bmp, ip);
    }
    EXPECT_EQ(dst.pixel(1, 1), 0xFF445566u);
    EXPECT_EQ(dst.pixel(2, 1), 0xFF112233u);
    // Offsets without a shadow move the image itself.
    QImage moved = solidImage(4, 4, 0xFF445566);
    ip.shadowOffsetX = 1;
    ip.shadowOffsetY = 2;
    {
        QPainter p(&moved);
        h.DrawBitmap(p, 0, 0, 2, 1, bmp, ip);
    }
    EXPECT_EQ(moved.pixel(2, 2), 0xFF112233u);
    EXPECT_EQ(moved.pixel(1, 0), 0xFF445566u);
}

TEST(DrawHelper, ShadowDarkensByTheShapeGrey)
{
    QImage bmp = solidImage(2, 2, 0xFF0000FF);
    QImage dst = solidImage(6, 6, 0xFFC8C8C8);
    CDrawHelper h;
    ImageDrawParams ip;
    ip.flags = kImageShadow;
    ip.shadowOffsetX = 2;
    ip.shadowOffsetY = 2;
    ip.fillColour = 0x7F7F7F;
    {
        QPainter p(&dst);
        h.DrawBitmap(p, 0, 0, 2, 2, bmp, ip);
    }
    EXPECT_EQ(dst.pixel(0, 0), 0xFF0000FFu);
    const int dark = static_cast<int>(200 * (127 / 255.0));
    EXPECT_EQ(dst.pixel(3, 3), qRgb(dark, dark, dark));
    EXPECT_EQ(dst.pixel(5, 5), 0xFFC8C8C8u);
    // Blurred: the edge is softer than the middle, the far corner untouched.
    QImage big = solidImage(30, 30, 0xFFFFFFFF);
    QImage shape = solidImage(20, 20, 0xFF000000);
    {
        QPainter p(&big);
        CDrawHelper::DrawShadow(p, 0, 0, 20, 20, shape, true, 6, 6);
    }
    EXPECT_LT(qRed(big.pixel(10, 10)), qRed(big.pixel(1, 10)));
    // Blur 6 becomes 7: the corner's window holds one shape pixel of 49.
    EXPECT_EQ(qRed(big.pixel(0, 0)), 249);
    EXPECT_EQ(big.pixel(25, 25), 0xFFFFFFFFu);
}

TEST(DrawHelper, ImageListFramesRowByRowAndNothingPastTheEnd)
{
    QImage strip(3 * 4, 4 * 4, QImage::Format_RGB32);
    for (int k = 0; k < 12; ++k) {
        QPainter p(&strip);
        p.fillRect((k % 3) * 4, (k / 3) * 4, 4, 4, QColor(k * 10, 0, 0));
    }
    CDrawHelper h;
    for (int k : {0, 4, 11}) {
        QImage dst = solidImage(4, 4, 0xFFFFFFFF);
        QPainter p(&dst);
        h.DrawImageListFrame(p, strip, k, 4, 4, 0, 0, 4, 4, {});
        p.end();
        EXPECT_EQ(qRed(dst.pixel(2, 2)), k * 10) << k;
    }
    for (auto [index, fw] : {std::pair{12, 4}, std::pair{-1, 4}, std::pair{0, 0}}) {
        QImage dst = solidImage(4, 4, 0xFFFFFFFF);
        QPainter p(&dst);
        h.DrawImageListFrame(p, strip, index, fw, 4, 0, 0, 4, 4, {});
        p.end();
        EXPECT_EQ(dst.pixel(2, 2), 0xFFFFFFFFu);
    }
}

TEST(DrawHelper, RectangleSidesTakeTheirColoursAndDoubleAddsAnInnerFrame)
{
    QImage dst = solidImage(20, 20, 0xFFFFFFFF);
    {
        QPainter p(&dst);
        CDrawHelper::DrawRectangle(p, QRect(0, 0, 20, 20), 0x0000FF, 0xFF0000, 6, 1);
        CDrawHelper::DrawRectangle(p, QRect(0, 0, 20, 20), 0x00FF00, 0x00FF00, 1, 0);
    }
    EXPECT_EQ(dst.pixel(5, 0), 0xFFFF0000u);  // top: first colour (red)
    EXPECT_EQ(dst.pixel(0, 5), 0xFFFF0000u);  // left
    EXPECT_EQ(dst.pixel(19, 5), 0xFF0000FFu); // right: second colour (blue)
    EXPECT_EQ(dst.pixel(5, 19), 0xFF0000FFu); // bottom
    EXPECT_EQ(dst.pixel(5, 2), 0xFFFF0000u);  // inner frame 2 pixels in
    EXPECT_EQ(dst.pixel(5, 1), 0xFFFFFFFFu);
    EXPECT_EQ(dst.pixel(17, 5), 0xFF0000FFu);
}

TEST(DrawHelper, LinesByWidthAndDouble)
{
    QImage dst = solidImage(20, 20, 0xFFFFFFFF);
    {
        QPainter p(&dst);
        CDrawHelper::DrawLine(p, 2, 5, 12, 5, 0x000000, 6, 1);
        CDrawHelper::DrawLine(p, 15, 0, 15, 10, 0x0000FF, 0, 3);
    }
    EXPECT_EQ(dst.pixel(2, 5), 0xFF000000u);
    EXPECT_EQ(dst.pixel(11, 5), 0xFF000000u);
    EXPECT_EQ(dst.pixel(12, 5), 0xFFFFFFFFu);
    EXPECT_EQ(dst.pixel(5, 7), 0xFF000000u); // second line two pen widths below
    EXPECT_EQ(dst.pixel(5, 6), 0xFFFFFFFFu);
    for (int x : {14, 15, 16})
        EXPECT_EQ(dst.pixel(x, 3), 0xFFFF0000u);
    EXPECT_EQ(dst.pixel(13, 3), 0xFFFFFFFFu);
}

TEST(DrawHelper, FillEffectsSplitAndTexturesAreRepeatable)
{
    QImage dst = solidImage(128, 4, 0xFFFFFFFF);
    CDrawHelper h;
    {
        QPainter p(&dst);
        h.FillEffect(p, QRect(0, 0, 128, 4), 3, 0x000000, 0x808080, 0xFFFFFF, 0, 0);
    }
    EXPECT_EQ(dst.pixel(0, 0), 0xFF000000u);
    EXPECT_GT(qRed(dst.pixel(63, 0)), 240);
    EXPECT_EQ(dst.pixel(64, 0), 0xFFFFFFFFu);
    {
        QPainter p(&dst);
        h.FillEffect(p, QRect(0, 0, 128, 4), 0, 0x0000FF, 0, 0, 0, 0);
    }
    EXPECT_EQ(dst.pixel(100, 2), 0xFFFF0000u);

    for (int effect = 7; effect <= 15; ++effect) {
        QImage a = solidImage(40, 30, 0xFFFFFFFF), b = a;
        CDrawHelper h1, h2;
        h1.setNoiseSeed(7);
        h2.setNoiseSeed(7);
        {
            QPainter p(&a);
            h1.FillEffect(p, QRect(0, 0, 40, 30), effect, 0xFFFFFF, 0x808080, 0x000000, 5, 5);
        }
        {
            QPainter p(&b);
            h2.FillEffect(p, QRect(0, 0, 40, 30), effect, 0xFFFFFF, 0x808080, 0x000000, 5, 5);
        }
        EXPECT_EQ(a, b) << effect;
        EXPECT_NE(a, solidImage(40, 30, 0xFFFFFFFF)) << effect;
    }
}
