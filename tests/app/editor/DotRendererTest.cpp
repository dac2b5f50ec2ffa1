// The dot renderer, pixel by pixel, and the canvas picture sizes built on it.
#include "app/editor/DotRenderer.h"
#include "app/editor/Led.h"

#include "core/api/Core.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace editor;

namespace {

QImage contentOf(int w, int h, QRgb fill)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(fill);
    return img;
}

QImage render(const QImage& content, int dot, const Thresholds& t)
{
    const DotGeometry g = dotGeometry(dot, dot);
    QImage display(displaySize(content.size(), g), QImage::Format_RGB32);
    display.fill(0xFF000000u);
    renderDots(content, display, content.rect(), 0, g, t);
    return display;
}

// Which display pixels are lit: '#' for white, '.' for black, 'o' for the unlit LED.
std::string picture(const QImage& img)
{
    std::string s;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y) | 0xFF000000u;
            s += c == 0xFFFFFFFFu ? '#' : c == 0xFF000000u ? '.' : c == kUnlitLed ? 'o' : '?';
        }
        s += '\n';
    }
    return s;
}

} // namespace

TEST(DotRenderer, DotThreeGivesTwoByTwoBlocksWithBlackGaps)
{
    const QImage display = render(contentOf(2, 1, 0xFFFFFFFFu), 3, {});
    EXPECT_EQ(display.size(), QSize(7, 4));
    EXPECT_EQ(picture(display), std::string(".......\n"
                                               ".##.##.\n"
                                               ".##.##.\n"
                                               ".......\n"));
}

TEST(DotRenderer, DotTwoLightsOneDisplayPixelPerLed)
{
    QImage content = contentOf(3, 2, 0xFF000000u);
    content.setPixel(1, 1, 0xFFFFFFFFu);
    content.setPixel(2, 0, 0xFFFFFFFFu);
    const QImage display = render(content, 2, thresholdsFor(3, 128));
    EXPECT_EQ(display.size(), QSize(7, 5));
    EXPECT_EQ(picture(display), std::string(".......\n"
                                               ".o.o.#.\n"
                                               ".......\n"
                                               ".o.#.o.\n"
                                               ".......\n"));
}

TEST(DotRenderer, DotOneCopiesContentUnchangedIgnoringThresholds)
{
    QImage content = contentOf(3, 2, 0xFF000000u);
    content.setPixel(0, 0, 0xFF123456u);
    content.setPixel(2, 1, 0xFF808080u);
    const QImage display = render(content, 1, thresholdsFor(1, 200));
    EXPECT_EQ(display.size(), QSize(3, 2));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(display.pixel(x, y), content.pixel(x, y)) << x << "," << y;
}

TEST(DotRenderer, ThresholdsFollowTheColourCount)
{
    EXPECT_EQ(thresholdsFor(1, 128), (Thresholds{128, 256, 256}));
    EXPECT_EQ(thresholdsFor(2, 128), (Thresholds{128, 128, 256}));
    EXPECT_EQ(thresholdsFor(3, 100), (Thresholds{100, 100, 100}));
}

TEST(DotRenderer, SingleColourModeShowsRedOrTheUnlitLed)
{
    const Thresholds one = thresholdsFor(1, 128);
    QImage content = contentOf(2, 1, 0);
    content.setPixel(0, 0, qRgb(200, 255, 255));
    content.setPixel(1, 0, qRgb(100, 255, 255));
    const QImage display = render(content, 3, one);
    EXPECT_EQ(display.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(display.pixel(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(display.pixel(4, 1), kUnlitLed);
    EXPECT_EQ(display.pixel(0, 0), qRgb(0, 0, 0));

    const Thresholds two = thresholdsFor(2, 128);
    const Thresholds three = thresholdsFor(3, 128);
    QImage c2 = contentOf(1, 1, qRgb(200, 130, 255));
    EXPECT_EQ(render(c2, 2, two).pixel(1, 1), qRgb(255, 255, 0));
    EXPECT_EQ(render(c2, 2, three).pixel(1, 1), qRgb(255, 255, 255));
    c2.setPixel(0, 0, qRgb(127, 127, 127));
    EXPECT_EQ(render(c2, 2, three).pixel(1, 1), kUnlitLed);
}

TEST(DotRenderer, RingRendersOnlyTheBandInsideTheRectangle)
{
    const QImage content = contentOf(5, 5, 0xFFFFFFFFu);
    const DotGeometry g = dotGeometry(1, 1);
    QImage display(5, 5, QImage::Format_RGB32);
    display.fill(0xFF000000u);
    renderDots(content, display, QRect(0, 0, 5, 5), 1, g, {});
    EXPECT_EQ(picture(display), std::string("#####\n#...#\n#...#\n#...#\n#####\n"));

    const DotGeometry g2 = dotGeometry(2, 2);
    QImage d2(displaySize(content.size(), g2), QImage::Format_RGB32);
    d2.fill(0xFF000000u);
    renderDots(content, d2, QRect(0, 0, 5, 5), 2, g2, {});
    EXPECT_EQ(d2.pixel(2 * 2 + 1, 2 * 2 + 1), qRgb(0, 0, 0));   // the centre LED lies in the hole
    EXPECT_EQ(d2.pixel(1 * 2 + 1, 1 * 2 + 1), qRgb(255, 255, 255));
}

TEST(DotRenderer, ScrollClampStopsAtTheExcess)
{
    EXPECT_EQ(clampScrollAxis(-6, 100, 40, 3), 0);
    EXPECT_EQ(clampScrollAxis(30, 100, 40, 3), 30);
    EXPECT_EQ(clampScrollAxis(57, 101, 40, 3), 57);
    EXPECT_EQ(clampScrollAxis(60, 101, 40, 3), 61);   // the last whole dot before the excess 61
    EXPECT_EQ(clampScrollAxis(90, 101, 40, 3), 61);
    EXPECT_EQ(clampScrollAxis(-3, 30, 40, 3), 0);
}

TEST(LedCanvas, ResizeAndZoomRebuildTheDisplayPicture)
{
    CLed led;
    led.SetDotSize(3, 3, false);
    EXPECT_EQ(led.Resize(0, 0, false), 1);
    EXPECT_EQ(led.contentSize(), QSize(1, 1));
    EXPECT_EQ(led.Resize(10, 4, false), 1);
    EXPECT_EQ(led.GetDisplaySize(), QSize(31, 13));
    EXPECT_EQ(led.SetDotSize(3, 3, false), 0);
    EXPECT_EQ(led.SetDotSize(2, 2, false), 1);
    EXPECT_EQ(led.GetDisplaySize(), QSize(21, 9));
    EXPECT_EQ(led.SetDotSize(1, 1, false), 1);
    EXPECT_EQ(led.GetDisplaySize(), QSize(10, 4));
}

TEST(LedCanvas, WorkModeIsAppliedBeforeDrawing)
{
    CLed led;
    led.SetDotSize(2, 2, false);
    led.Resize(1, 1, false);
    QImage src(1, 1, QImage::Format_RGB32);
    src.setPixel(0, 0, qRgb(255, 255, 255));
    led.SetWorkMode(0, false);   // the default row: one colour
    unsigned short colours = 0, a = 0, b = 0, c = 0;
    CCore::ParseLEDWorkMode(0, colours, a, b, c);
    led.BlitToContent(src, {0, 0}, QRect(0, 0, 1, 1), false);
    const QRgb shown = led.display().pixel(1, 1) | 0xFF000000u;
    EXPECT_EQ(shown, colours == 1 ? qRgb(255, 0, 0) : colours == 2 ? qRgb(255, 255, 0) : qRgb(255, 255, 255));
}

TEST(LedCanvas, ASizeNoPictureCanHoldIsRefusedAndTheOldPictureStays)
{
    CLed led;
    led.SetDotSize(3, 3, false);
    ASSERT_EQ(led.Resize(16, 8, false), 1);
    EXPECT_EQ(led.Resize(70000, 70000, false), 0);
    EXPECT_EQ(led.contentSize(), QSize(16, 8));
    EXPECT_EQ(led.GetDisplaySize(), QSize(49, 25));
}

// A canvas renders only what a paint exposes: each exposed part, at any dot
// size and scroll position, is what the whole display rendered at once holds.
TEST(LedCanvas, ExposedPartsEqualTheWholeRendering)
{
    QImage content(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < content.height(); ++y)
        for (int x = 0; x < content.width(); ++x)
            content.setPixel(x, y, qRgb((x * 37) & 0xFF, (y * 53) & 0xFF, ((x ^ y) * 29) & 0xFF));
    const Thresholds t = thresholdsFor(3, 128);
    const std::pair<int, int> dots[] = {{1, 1}, {2, 2}, {3, 3}, {1, 3}, {3, 2}};
    const QPoint scrolls[] = {{0, 0}, {5, 3}, {30, 20}};
    const QRect clips[] = {{0, 0, 40, 30}, {7, 4, 13, 11}, {35, 25, 20, 20}};
    for (const auto& [dw, dh] : dots) {
        const DotGeometry g = dotGeometry(dw, dh);
        QImage whole(displaySize(content.size(), g), QImage::Format_RGB32);
        whole.fill(0xFF000000u);
        renderDots(content, whole, content.rect(), 0, g, t);

        CLed led;
        led.SetThresholds(t, false);
        led.SetDotSize(dw, dh, false);
        ASSERT_EQ(led.Resize(content.width(), content.height(), false), 1);
        led.BlitToContent(content, {0, 0}, content.rect(), false);
        led.resize(40, 30);
        EXPECT_EQ(led.display(), whole) << dw << "x" << dh;
        for (const QPoint& s : scrolls) {
            led.ScrollTo(s.x(), s.y());
            const QPoint origin = led.scrollOrigin();
            for (const QRect& clip : clips) {
                QImage painted(led.size(), QImage::Format_RGB32);
                painted.fill(0xFF000000u);
                {
                    QPainter p(&painted);
                    led.Draw(p, clip);
                }
                QImage expected(led.size(), QImage::Format_RGB32);
                expected.fill(0xFF000000u);
                {
                    QPainter p(&expected);
                    const QRect src = clip.translated(origin).intersected(whole.rect());
                    if (!src.isEmpty())
                        p.drawImage(src.topLeft() - origin, whole, src);
                }
                EXPECT_EQ(painted, expected) << dw << "x" << dh << " scroll " << s.x() << "," << s.y() << " clip "
                                             << clip.x() << "," << clip.y();
            }
        }
        // A part reaching past the picture is black there.
        const QRect past(whole.width() - 4, whole.height() - 3, 9, 8);
        const QImage part = renderDisplayArea(content, past, g, t);
        for (int y = 0; y < past.height(); ++y)
            for (int x = 0; x < past.width(); ++x) {
                const QPoint d = past.topLeft() + QPoint(x, y);
                const QRgb want = whole.rect().contains(d) ? whole.pixel(d) : 0xFF000000u;
                ASSERT_EQ(part.pixel(x, y), want) << d.x() << "," << d.y();
            }
    }
}
