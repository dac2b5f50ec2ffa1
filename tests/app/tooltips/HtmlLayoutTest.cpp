// Text preparation, paragraph layout, links, images and animation with the fixed-metric canvas.
#include "app/tooltips/HtmlDrawer.h"
#include "FakeCanvas.h"

#include "app/controls/UrlOpener.h"
#include "platform/LangPack.h"
#include "support/MessageSpy.h"
#include "support/SeamScope.h"

#include <QObject>
#include <QPainter>
#include <gtest/gtest.h>

using namespace tooltips;
using testing_tooltips::FakeCanvas;

namespace {

// 20-pixel cells, 10-pixel characters, ascent 15, descent 5.
struct Engine {
    explicit Engine(int maxWidth = 0)
    {
        d.SetStyleSheet("body {font-size: 20px} a:hover {color: red} a:link {color: blue}");
        d.setMaxWidth(maxWidth);
    }
    QSize measure(const QString& t) { return d.Measure(c, t); }
    void draw(int width, int height = 400)
    {
        c.clear();
        d.Draw(c, QRect(0, 0, width, height));
    }
    CHtmlDrawer d;
    FakeCanvas c;
};

// The wParams of the spied messages, read as signed values.
std::vector<long long> wParams(const support::MessageLog& log)
{
    std::vector<long long> out;
    for (const support::SpiedMessage& m : log.messages())
        out.push_back(static_cast<long long>(m.w));
    return out;
}

std::vector<QString> texts(const support::MessageLog& log)
{
    std::vector<QString> out;
    for (const support::SpiedMessage& m : log.messages())
        out.push_back(support::payloadOf<QString>(m));
    return out;
}

} // namespace

TEST(HtmlLayout, EmptyAndTagOnlyTextsTakeNoRoom)
{
    Engine e;
    EXPECT_EQ(e.measure(QString()), QSize(0, 0));
    EXPECT_EQ(e.measure("<b></b><i>"), QSize(0, 0));
    EXPECT_TRUE(e.d.preparedText().isEmpty());
    e.draw(100);
    EXPECT_TRUE(e.c.texts.empty());
    EXPECT_EQ(e.measure("<br>"), QSize(1, 21));
    EXPECT_EQ(e.measure("hello world"), QSize(111, 21));
}

TEST(HtmlLayout, PreparationReplacesEntitiesInKeyOrderAndNewlines)
{
    Engine e;
    e.measure("a&lt;b &amp;lt; c&nbsp;&euro;\r\nd\te");
    EXPECT_EQ(e.d.preparedText(), QString("a<<b << c ") + QChar(0x20AC) + "<br>d<t>e");
    e.draw(400);
    EXPECT_EQ(e.c.joined(), QString("a<b < c ") + QChar(0x20AC) + "de");
    e.d.setNewlineConversion(false);
    e.measure("x\ny\tz");
    EXPECT_EQ(e.d.preparedText(), "xyz");
}

TEST(HtmlLayout, WrapsAtBreakCharactersKeepingThemOnTheFirstLine)
{
    Engine e(60);
    EXPECT_EQ(e.measure("aaa bbb-ccc dd"), QSize(61, 61));
    ASSERT_EQ(e.d.lines().size(), 3u);
    EXPECT_EQ(e.d.lines()[0].width, 30);
    EXPECT_EQ(e.d.lines()[0].justify, 1);
    EXPECT_EQ(e.d.lines()[2].justify, 0);
    e.draw(60);
    ASSERT_EQ(e.c.texts.size(), 3u);
    EXPECT_EQ(e.c.texts[0].text, "aaa");
    EXPECT_EQ(e.c.texts[1].text, "bbb-");
    EXPECT_EQ(e.c.texts[1].top, 20);
    EXPECT_EQ(e.c.texts[2].text, "ccc dd");
    EXPECT_EQ(e.c.texts[2].top, 40);

    Engine none;
    EXPECT_EQ(none.measure("aaa bbb-ccc dd"), QSize(141, 21));
}

TEST(HtmlLayout, BreaksInsideAWordOnlyAtTheStartOfALine)
{
    Engine e(40);
    e.measure("abcdefghij");
    e.draw(40);
    ASSERT_EQ(e.c.texts.size(), 3u);
    EXPECT_EQ(e.c.texts[0].text, "abcd");
    EXPECT_EQ(e.c.texts[2].text, "ij");

    Engine f(40);
    f.measure("xx<i></i>abcdef");
    f.draw(40);
    ASSERT_EQ(f.c.texts.size(), 3u);
    EXPECT_EQ(f.c.texts[0].text, "xx");
    EXPECT_EQ(f.c.texts[1].text, "abcd");
    EXPECT_EQ(f.c.texts[1].top, 20);
    EXPECT_EQ(f.c.texts[2].text, "ef");

    Engine g(5); // narrower than a character: one character per line
    g.measure("ab");
    EXPECT_EQ(g.d.lines().size(), 2u);
}

TEST(HtmlLayout, JustifiesOnlyWrappedLines)
{
    Engine e(80);
    e.measure("<justify>aaa bb cc dddd<br>ee ff</justify>");
    e.draw(80);
    ASSERT_EQ(e.c.texts.size(), 4u);
    EXPECT_EQ(e.c.texts[0].text, "aaa ");
    EXPECT_EQ(e.c.texts[0].x, 0);
    EXPECT_EQ(e.c.texts[1].text, "bb");
    EXPECT_EQ(e.c.texts[1].x, 60); // 20 extra pixels on the one space
    EXPECT_EQ(e.c.texts[2].text, "cc dddd");
    EXPECT_EQ(e.c.texts[2].x, 0);
    EXPECT_EQ(e.c.texts[3].text, "ee ff");
    EXPECT_EQ(e.c.texts[3].x, 0);
}

TEST(HtmlLayout, AlignmentOfLines)
{
    Engine e;
    e.measure("<center>ab</center><br><right>abcd");
    e.draw(100);
    ASSERT_EQ(e.c.texts.size(), 2u);
    EXPECT_EQ(e.c.texts[0].x, 40);
    EXPECT_EQ(e.c.texts[1].x, 60);
}

TEST(HtmlLayout, RunsOfDifferentSizesShareABaseline)
{
    Engine e;
    EXPECT_EQ(e.measure("<font size=40px>A</font>b"), QSize(31, 41));
    EXPECT_EQ(e.d.lines()[0].height, 40);
    EXPECT_EQ(e.d.lines()[0].descent, 10);
    e.draw(100);
    ASSERT_EQ(e.c.texts.size(), 2u);
    EXPECT_EQ(e.c.texts[0].top + 30, 30);
    EXPECT_EQ(e.c.texts[1].top + 15, 30);

    Engine t;
    t.measure("<font size=40px>A</font><top>b</top><vcenter>c</vcenter><bottom>d</bottom>");
    t.draw(100);
    EXPECT_EQ(t.c.texts[1].top, 0);
    EXPECT_EQ(t.c.texts[2].top, 10);
    EXPECT_EQ(t.c.texts[3].top, 25);
}

TEST(HtmlLayout, TabStopsAndLineBreakCounts)
{
    Engine e;
    e.measure("a<t>b<t=2>c");
    e.draw(400);
    ASSERT_EQ(e.c.texts.size(), 3u);
    EXPECT_EQ(e.c.texts[1].x, 32);
    EXPECT_EQ(e.c.texts[2].x, 96);

    Engine b;
    EXPECT_EQ(b.measure("a<br=3>b"), QSize(11, 81));
    b.draw(100);
    EXPECT_EQ(b.c.texts[1].top, 60);
}

TEST(HtmlLayout, PercentRulesTakeTheirShareOfTheParagraph)
{
    Engine e;
    EXPECT_EQ(e.measure("<hr width=50%><br>abcdefghij"), QSize(101, 30));
    EXPECT_EQ(e.d.lines()[0].width, 51);
    EXPECT_EQ(e.d.lines()[0].height, 9);
    e.draw(100);
    ASSERT_EQ(e.c.lines.size(), 1u);
    EXPECT_EQ(e.c.lines[0].x1, 0);
    EXPECT_EQ(e.c.lines[0].x2, 50);
    EXPECT_EQ(e.c.lines[0].y1, 4);

    Engine f;
    f.measure("<hr width=30 size=3 color=red>");
    EXPECT_EQ(f.d.lines()[0].height, 11);
    f.draw(100);
    ASSERT_EQ(f.c.lines.size(), 1u);
    EXPECT_EQ(f.c.lines[0].x2 - f.c.lines[0].x1, 30);
    EXPECT_EQ(f.c.lines[0].width, 3);
    EXPECT_EQ(f.c.lines[0].colour, 0x0000FFu);
}

TEST(HtmlLayout, LinkAreasHoverAndFollowing)
{
    Engine e;
    support::MessageSpy hover;
    hover.watch(spine::WM_TOOLTIP_REDRAW);
    e.d.setHoverCallback(&hover, spine::WM_TOOLTIP_REDRAW, 0);
    e.measure("<a href=http://x>ab</a> <a msg=m>cd</a> <a>zz</a>");
    e.draw(200);
    ASSERT_EQ(e.d.linkAreas().size(), 3u);
    const LinkArea& a = e.d.linkAreas()[0];
    EXPECT_EQ(std::tuple(a.left, a.top, a.right, a.bottom, a.kind, a.number, a.text),
              std::tuple(0, 0, 19, 19, 1, 0, QString("http://x")));
    EXPECT_EQ(e.d.HitTestLink({19, 19}), 0);
    EXPECT_EQ(e.d.HitTestLink({20, 5}), -1);
    EXPECT_EQ(e.d.HitTestLink({30, 0}), 1);
    EXPECT_EQ(e.c.texts[0].paint.colour, 0xFF0000u); // a:link blue

    EXPECT_TRUE(e.d.OnMouseOver({5, 5}));
    EXPECT_TRUE(e.d.OnMouseOver({6, 6}));
    EXPECT_TRUE(e.d.OnMouseOver({35, 5}));
    EXPECT_FALSE(e.d.OnMouseOver({65, 5})); // link without a target: no hand
    EXPECT_FALSE(e.d.OnMouseOver({100, 100}));
    EXPECT_FALSE(e.d.OnMouseOver({101, 100}));
    EXPECT_EQ(wParams(hover), (std::vector<long long>{0, 1, 2, -2}));

    e.d.OnMouseOver({5, 5});
    e.draw(200);
    EXPECT_EQ(e.c.texts[0].paint.colour, 0x0000FFu); // a:hover red
    EXPECT_EQ(e.d.linkAreas().size(), 3u);           // repaints do not pile areas up

    std::vector<QString> opened;
    support::SeamScope seams;
    seams->openUrl = [&](const QString& t) {
        opened.push_back(t);
        return true;
    };
    support::MessageSpy msg;
    msg.watch(0x7777, &support::copyPointedWParam<QString>);
    e.d.setLinkMessageCallback(&msg, 0x7777, 0);
    e.d.FollowLink(0);
    e.d.FollowLink(1);
    e.d.FollowLink(2);
    e.d.FollowLink(3);
    e.d.FollowLink(-1);
    EXPECT_EQ(opened, std::vector<QString>{"http://x"});
    EXPECT_EQ(texts(msg), std::vector<QString>{"m"});
}

TEST(HtmlLayout, ImageListFramesAndAnimation)
{
    Engine e;
    QImage strip(64, 16, QImage::Format_RGB32);
    strip.fill(Qt::red);
    e.d.registerHandle(1, strip);
    EXPECT_EQ(e.measure("<ilst handle=1 cx=16 index=3>"), QSize(17, 17));
    e.draw(100);
    ASSERT_EQ(e.c.images.size(), 1u);
    EXPECT_EQ(e.c.images[0].kind, HtmlImageKind::Frame);
    EXPECT_EQ(e.c.images[0].frameIndex, 3);
    EXPECT_EQ(e.c.images[0].frameSize, QSize(16, 16));
    EXPECT_EQ(e.c.images[0].r, QRect(0, 0, 16, 16));
    EXPECT_EQ(e.measure("<ilst handle=1 cx=16 index=4>"), QSize(0, 0));
    EXPECT_EQ(e.measure("<ilst handle=1 cx=0>"), QSize(0, 0));
    EXPECT_EQ(e.measure("<ilst handle=9>"), QSize(0, 0));

    e.measure("<ilst handle=1 cx=16 index=2 speed=2 width=200%>");
    ASSERT_EQ(e.d.animations().size(), 1u);
    EXPECT_EQ(e.d.animations()[0].frameCount, 4);
    EXPECT_FALSE(e.d.StepAnimation());
    EXPECT_TRUE(e.d.StepAnimation());
    EXPECT_FALSE(e.d.StepAnimation());
    EXPECT_TRUE(e.d.StepAnimation());
    EXPECT_EQ(e.d.animations()[0].frame, 0);
    e.draw(100);
    ASSERT_EQ(e.c.images.size(), 1u);
    EXPECT_EQ(e.c.images[0].frameIndex, 0);
    EXPECT_EQ(e.c.images[0].r.size(), QSize(32, 16));
}

TEST(HtmlLayout, ImagesWithShadowsGrowTheirBoxAndDisabledColoursFillThem)
{
    Engine e;
    QImage pic(10, 10, QImage::Format_RGB32);
    pic.fill(Qt::blue);
    e.d.registerHandle(2, pic);
    EXPECT_EQ(e.measure("<bmp handle=2 style=gs>x"), QSize(25, 21));
    e.draw(100);
    ASSERT_EQ(e.c.images.size(), 1u);
    EXPECT_EQ(e.c.images[0].params.flags, kImageGrey | kImageBlurShadow);
    EXPECT_EQ(e.c.images[0].params.fillColour, 0x7F7F7Fu);
    EXPECT_EQ(e.c.texts[0].x, 14);
    e.d.setColoursEnabled(false);
    e.measure("<bmp handle=2 style=gs mask=white>");
    e.draw(100);
    EXPECT_EQ(e.c.images[0].params.flags, kImageBlurShadow | kImageFill);
    EXPECT_EQ(e.c.images[0].params.fillColour, e.d.disabledColour());
    EXPECT_TRUE(e.c.images[0].params.useMask);
}

TEST(HtmlLayout, StringsFromTheLanguagePack)
{
    platform::setLangString(7001, "first\nsecond\nthird");
    platform::setLangString(7002, "no line feed");
    EXPECT_EQ(CHtmlDrawer::LoadTipString(7001), "second");
    EXPECT_EQ(CHtmlDrawer::LoadTipString(7002), "");
    EXPECT_EQ(CHtmlDrawer::LoadTipString(0), "");
    Engine e;
    e.measure("<string idres=7002>");
    e.draw(300);
    EXPECT_EQ(e.c.joined(), "no line feed");
    platform::setLangString(7001, QString());
    platform::setLangString(7002, QString());

    QString s = "a-b-c";
    EXPECT_EQ(CHtmlDrawer::Replace(s, "-", "+"), 2);
    EXPECT_EQ(s, "a+b+c");
    EXPECT_EQ(CHtmlDrawer::Replace(s, "", "x"), 0);
}

TEST(HtmlLayout, DrawingWithoutMatchingRecordsReadsNothingPastThem)
{
    Engine e(40);
    e.measure("ab");
    // A wider paragraph than measured: draws what it has, reads no record past the end.
    e.d.setMaxWidth(10);
    e.draw(10);
    EXPECT_LE(e.c.texts.size(), 1u);
}

TEST(HtmlLayout, RealFontsOnAnImageStayInsideTheMeasuredSize)
{
    QImage img(400, 200, QImage::Format_ARGB32);
    img.fill(0xFFFFFFFFu);
    QSize s;
    {
        QPainter p(&img);
        QPainterCanvas canvas(p);
        canvas.selectFont(HtmlFont{"Verdana", 20});
        const HtmlMetrics m = canvas.metrics();
        EXPECT_LE(m.height, 20);
        EXPECT_GE(m.height, 16);
        EXPECT_EQ(m.ascent + m.descent, m.height);
        EXPECT_EQ(canvas.textWidth("abc abc"), 2 * canvas.textWidth("abc") + canvas.textWidth(" "));
        s = layoutHtml(canvas, "<b>Hello</b> <font color=red>world</font><br><u>second line</u>");
    }
    ASSERT_GT(s.width(), 50);
    ASSERT_GT(s.height(), 20);
    int inside = 0, outside = 0, red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = img.pixel(x, y);
            if (px == 0xFFFFFFFFu)
                continue;
            (x < s.width() && y < s.height() ? inside : outside)++;
            if (qRed(px) > 150 && qGreen(px) < 100)
                ++red;
        }
    EXPECT_GT(inside, 100);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(red, 10);
}
