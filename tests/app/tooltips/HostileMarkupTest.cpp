// Damaged and hostile markup is laid out and drawn without harm.
#include "app/tooltips/HtmlDrawer.h"
#include "FakeCanvas.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <random>

using namespace tooltips;
using testing_tooltips::FakeCanvas;

namespace {

void both(const QString& text)
{
    FakeCanvas fake;
    CHtmlDrawer d;
    QImage strip(64, 16, QImage::Format_RGB32);
    strip.fill(Qt::green);
    d.registerHandle(1, strip);
    d.setImageList(strip);
    for (int maxWidth : {0, 37}) {
        d.setMaxWidth(maxWidth);
        const QSize s = d.Measure(fake, text);
        EXPECT_GE(s.width(), 0);
        EXPECT_GE(s.height(), 0);
        d.Draw(fake, QRect(0, 0, 300, 200));
        d.Draw(fake, QRect(0, 0, 5, 5)); // other rectangles than measured
        d.OnMouseOver({3, 3});
        d.FollowLink(1000);
        d.StepAnimation();
    }
    QImage img(300, 200, QImage::Format_ARGB32);
    img.fill(0xFFFFFFFFu);
    QPainter p(&img);
    QPainterCanvas canvas(p);
    layoutHtml(canvas, text, 120);
}

} // namespace

TEST(HostileMarkup, ListedCasesNeitherCrashNorHang)
{
    const char* const cases[] = {
        "<", "<<", "a<", "<b", "</b></b></i></table></td></tr>", "<table", "<table>", "<table><tr>", "<tr><td>x",
        "<table><tr><td colspan=99999 rowspan=-5>a</td></tr></table>",
        "<table><tr><td rowspan=2000000000>a</td><td>b</td></tr><tr><td>c<td>d</table>",
        "<table cellspacing=2000000000 cellpadding=-2000000000><tr><td width=2000000000 height=2000000000>a</td></tr></table>",
        "<table width=100% bgeffect=metal border=2000000000 borderstyle=double><tr><td bgeffect=15 bgcolor=red>a</td></tr></table>",
        "<table background=\"file:/nonexistent\"><tr><td>a</td></tr></table>",
        "a<br=999999999>b<t=999999999>c<br=-3>d",
        "<font size=99999999px>x</font><font size=-5>y</font><font size=0x7fffffff>z</font>",
        "<bmp handle=1 width=2000000000 height=2000000000 style=s>",
        "<bmp handle=1 width=0><icon handle=1 width=-4><icon><bmp><string idres=-1><string iddll=99999>",
        "<ilst cx=0 cy=5><ilst cx=-16><ilst index=-1><ilst index=99999 speed=-1><ilst cx=1 cy=1 speed=1 index=1023>",
        "<hr width=999999999%><hr size=2000000000><hr width=-5>",
        "<a href=\"x>unterminated<a msg='y>z",
        "<span class=><span class=\".\"><font style=+-+-bbiiuuoo color=#zzzzzz bkgnd=0xffffffff>",
        "&amp;&amp;&amp;lt;&lt;&lt;<<<<<<",
        "<justify>a b c d e f g h i j k l m n o p q r s t u v w x y z</justify>",
        "<table><tr><td><table><tr><td><table><tr><td>deep</td></tr></table></td></tr></table></td></tr></table>",
    };
    for (const char* c : cases) {
        SCOPED_TRACE(c);
        both(QString::fromUtf8(c));
    }
}

TEST(HostileMarkup, RandomTokenSoup)
{
    const char* const tokens[] = {"<table", "<table>", "</table>", "<tr", "<tr>", "</tr>", "<td", "<td>", "</td>",
                                  " colspan=3", " rowspan=2", " width=40", "<b>", "</b>", "<br>", "<t>", "<hr>",
                                  "<a href=x>", "</a>", "<font size=40>", "</font>", "<ilst cx=16 speed=1>",
                                  "<bmp handle=1 style=s>", "<<", "<", ">", "=", "\"", "'", " ", "word", "-", "&lt;",
                                  "\n", "\t", "<justify>", "<center>", "<right>", "</center>"};
    std::mt19937 gen(1234);
    std::uniform_int_distribution<size_t> pick(0, std::size(tokens) - 1);
    for (int round = 0; round < 200; ++round) {
        QString text;
        const int n = 1 + static_cast<int>(gen() % 60);
        for (int i = 0; i < n; ++i)
            text += QString::fromLatin1(tokens[pick(gen)]);
        SCOPED_TRACE(text.toStdString());
        both(text);
    }
}
