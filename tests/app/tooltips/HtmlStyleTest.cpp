// Lengths, colour values, declarations, style sheets and tag effects.
#include "app/tooltips/HtmlDrawer.h"
#include "FakeCanvas.h"

#include <gtest/gtest.h>

using namespace tooltips;
using testing_tooltips::FakeCanvas;

TEST(HtmlStyle, LengthsByUnitAndBase)
{
    CHtmlDrawer d;
    EXPECT_EQ(d.length("10pt", 0, true), 13);
    EXPECT_EQ(d.length("3", 0, true), 12);
    EXPECT_EQ(d.length("9", 0, true), 9);
    EXPECT_EQ(d.length("010", 0, true), 8);
    EXPECT_EQ(d.length("+2", 0, true), 10);
    EXPECT_EQ(d.length("2", 0, false), 2);
    EXPECT_EQ(d.length("50%", 13, true), 7);
    EXPECT_EQ(d.length("75%", 13, true), 10);
    EXPECT_EQ(d.length("", 21, false), 21);
    EXPECT_EQ(d.length("1in", 0, false), 96);
    EXPECT_EQ(d.length("2cm", 0, false), 75);
    EXPECT_EQ(d.length("10mm", 0, false), 37);
    EXPECT_EQ(d.length("1pc", 0, false), 16);
    EXPECT_EQ(d.length("12px", 0, false), 12);
    EXPECT_EQ(d.length("0x10", 0, false), 16);
    EXPECT_EQ(d.length("-7px", 0, false), 7);
}

TEST(HtmlStyle, EmIsTheCharacterHeightOfTheCurrentFont)
{
    CHtmlDrawer d;
    d.SetStyleSheet("body {font-size: 20px}");
    FakeCanvas c;
    // 2em of a 20-pixel cell: a 40-pixel font, 20 pixels per character.
    EXPECT_EQ(d.Measure(c, "<font size=2em>xy</font>"), QSize(41, 41));
}

TEST(HtmlStyle, ColourValues)
{
    CHtmlDrawer d;
    EXPECT_EQ(d.colourValue("#FF0000", 7), 0x0000FFu);
    EXPECT_EQ(d.colourValue("#abc", 7), 7u);
    EXPECT_EQ(d.colourValue("#12345", 7), 7u);
    EXPECT_EQ(d.colourValue("#12345g", 7), 7u);
    EXPECT_EQ(d.colourValue("255", 7), 0x0000FFu);
    EXPECT_EQ(d.colourValue("0x00FF00", 7), 0x00FF00u);
    EXPECT_EQ(d.colourValue("Red", 7), 7u);
    EXPECT_EQ(d.colourValue("nosuch", 7), 7u);
    EXPECT_EQ(d.colourValue("", 7), 7u);
    EXPECT_EQ(d.colourValue("darkseagreen", 7), 0x8BBC8Fu);
    EXPECT_EQ(d.colourValue("lightgrey", 7), 0xD3D3D3u);
    EXPECT_EQ(d.colourValue("lightgray", 7), 7u);
    EXPECT_EQ(d.colourTable().size(), 168u);
    d.setColoursEnabled(false);
    EXPECT_EQ(d.colourValue("#FF0000", 7), d.disabledColour());
    EXPECT_EQ(d.colourValue("", 7), d.disabledColour());
}

TEST(HtmlStyle, Declarations)
{
    CHtmlDrawer d;
    HtmlStyle s;
    d.applyDeclarations("font-family: Times New; text-align: right", s);
    EXPECT_EQ(s.face, "times");
    EXPECT_EQ(s.align, 2);
    d.applyDeclarations("font-family: \"Times New Roman\"; text-align: justify", s);
    EXPECT_EQ(s.face, "times new roman");
    EXPECT_EQ(s.align, 2);
    for (auto [v, w] : {std::pair{"normal", 400}, {"bold", 700}, {"bolder", 900}, {"lighter", 100}, {"600", 600}}) {
        d.applyDeclarations(QString("font-weight:") + v, s);
        EXPECT_EQ(s.weight, w) << v;
    }
    d.applyDeclarations("font-weight", s); // no colon: empty value, the default keyword
    EXPECT_EQ(s.weight, 400);

    HtmlStyle b;
    d.applyDeclarations("border-style: dashed", b);
    EXPECT_EQ(b.borderStyle, 2);
    EXPECT_EQ(b.borderWidth, 1);
    d.applyDeclarations("border-width: 8px", b);
    d.applyDeclarations("border-width: thin", b);
    EXPECT_EQ(b.borderWidth, 6);
    d.applyDeclarations("border-width: thick", b);
    EXPECT_EQ(b.borderWidth, 8);
    d.applyDeclarations("border-width: 0", b);
    EXPECT_EQ(b.borderStyle, 0);

    HtmlStyle c;
    d.applyDeclarations("background-color: red", c);
    EXPECT_EQ(c.bkmode, 2);
    EXPECT_EQ(c.bkcolor, 0x0000FFu);
    d.applyDeclarations("background-color: transparent", c);
    EXPECT_EQ(c.bkmode, 1);
    d.applyDeclarations("text-decoration: \"underline, overline\"", c);
    EXPECT_TRUE(c.underline && c.overline && !c.strikeout);
    d.applyDeclarations("text-decoration: none; vertical-align: middle; text-transform: capitalize", c);
    EXPECT_FALSE(c.underline || c.overline);
    EXPECT_EQ(c.valign, 1);
    EXPECT_EQ(c.transform, 3);
    d.setColoursEnabled(false);
    d.applyDeclarations("background-color: red", c);
    EXPECT_EQ(c.bkmode, 1);
}

// Every keyword of every keyword property, the empty value (the property's
// default) and an unknown word (no change), each from a style holding 99.
struct KeywordCase {
    const char* declaration;
    int HtmlStyle::*field;
    int expected;
};

const KeywordCase kKeywordCases[] = {
    {"font-style: normal", &HtmlStyle::italic, 0},
    {"font-style: italic", &HtmlStyle::italic, 1},
    {"font-style: oblique", &HtmlStyle::italic, 1},
    {"font-style:", &HtmlStyle::italic, 0},
    {"font-style: slanted", &HtmlStyle::italic, 99},
    {"font-weight: normal", &HtmlStyle::weight, 400},
    {"font-weight: bold", &HtmlStyle::weight, 700},
    {"font-weight: bolder", &HtmlStyle::weight, 900},
    {"font-weight: lighter", &HtmlStyle::weight, 100},
    {"font-weight:", &HtmlStyle::weight, 400},
    {"font-weight: heavy", &HtmlStyle::weight, 0},
    {"font-weight: 5000", &HtmlStyle::weight, 1000},
    {"text-align: left", &HtmlStyle::align, 0},
    {"text-align: center", &HtmlStyle::align, 1},
    {"text-align: right", &HtmlStyle::align, 2},
    {"text-align:", &HtmlStyle::align, 0},
    {"text-align: justify", &HtmlStyle::align, 99},
    {"text-transform: none", &HtmlStyle::transform, 0},
    {"text-transform: uppercase", &HtmlStyle::transform, 1},
    {"text-transform: lowercase", &HtmlStyle::transform, 2},
    {"text-transform: capitalize", &HtmlStyle::transform, 3},
    {"text-transform:", &HtmlStyle::transform, 0},
    {"text-transform: smallcaps", &HtmlStyle::transform, 99},
    {"vertical-align: baseline", &HtmlStyle::valign, 3},
    {"vertical-align: middle", &HtmlStyle::valign, 1},
    {"vertical-align: vcenter", &HtmlStyle::valign, 1},
    {"vertical-align: top", &HtmlStyle::valign, 0},
    {"vertical-align: bottom", &HtmlStyle::valign, 2},
    {"vertical-align:", &HtmlStyle::valign, 3},
    {"vertical-align: sub", &HtmlStyle::valign, 99},
    {"border-style: none", &HtmlStyle::borderStyle, 0},
    {"border-style: solid", &HtmlStyle::borderStyle, 1},
    {"border-style: dashed", &HtmlStyle::borderStyle, 2},
    {"border-style: dotted", &HtmlStyle::borderStyle, 3},
    {"border-style: double", &HtmlStyle::borderStyle, 6},
    {"border-style:", &HtmlStyle::borderStyle, 0},
    {"border-style: groove", &HtmlStyle::borderStyle, 99},
    {"text-decoration: underline", &HtmlStyle::underline, 1},
    {"text-decoration: line-through", &HtmlStyle::strikeout, 1},
    {"text-decoration: overline", &HtmlStyle::overline, 1},
    {"text-decoration: none", &HtmlStyle::underline, 0},
    {"text-decoration: none", &HtmlStyle::strikeout, 0},
    {"text-decoration:", &HtmlStyle::overline, 0},
    {"text-decoration: blink", &HtmlStyle::underline, 99},
    {"border-width: 8px", &HtmlStyle::borderWidth, 8},
    {"size: 8px", &HtmlStyle::borderWidth, 8},
    {"border-width: medium", &HtmlStyle::borderWidth, 99},
    {"border-width: thin", &HtmlStyle::borderWidth, 74},
    {"border-width: thick", &HtmlStyle::borderWidth, 124},
    {"margin: 5px", &HtmlStyle::margin, 5},
    {"padding: 6px", &HtmlStyle::padding, 6},
    {"font-size: 2", &HtmlStyle::size, 10},
    {"no-such-property: 1", &HtmlStyle::size, 99},
};

TEST(HtmlStyle, EveryKeywordSetsItsValue)
{
    CHtmlDrawer d;
    for (const KeywordCase& k : kKeywordCases) {
        HtmlStyle s;
        s.*k.field = 99;
        d.applyDeclarations(k.declaration, s);
        EXPECT_EQ(s.*k.field, k.expected) << k.declaration;
    }
}

TEST(HtmlStyle, EveryUnitOfALength)
{
    CHtmlDrawer d;   // no canvas: 96 dpi, em and ex counted in the current value
    for (auto [text, px] : {std::pair{"3px", 3}, {"3em", 30}, {"3ex", 30}, {"3in", 288}, {"3cm", 113},
                            {"3mm", 11}, {"30pt", 40}, {"3pc", 48}, {"3qq", 3}}) {
        EXPECT_EQ(d.length(text, 10, false), px) << text;
    }
}

TEST(HtmlStyle, StyleSheetReadingAndTheDefault)
{
    CHtmlDrawer d;
    d.SetStyleSheet("/* note */ .X {color: red} y{} .x {color: blue}\r\nz {color: green");
    EXPECT_EQ(d.rule(".x"), "color: blue");
    EXPECT_EQ(d.rule("Y"), "");
    EXPECT_EQ(d.rule("z"), "");
    d.SetStyleSheet(QString());
    HtmlStyle s;
    ASSERT_TRUE(d.applyRule("h2", s));
    EXPECT_EQ(s.color, 0x0099FFu);
    EXPECT_EQ(s.size, 17);
    ASSERT_TRUE(d.applyRule("pre", s));
    EXPECT_EQ(s.bkcolor, 0xBBEDFBu);
    EXPECT_EQ(s.face, "courier");
    HtmlStyle small;
    small.size = 13;
    d.applyRule("small", small);
    EXPECT_EQ(small.size, 10);
    EXPECT_TRUE(CHtmlDrawer::defaultStyleSheet().endsWith("font-style:italic}\r\n"));
}

TEST(HtmlStyle, AttributesReadQuotedAndBareValues)
{
    auto a = CHtmlDrawer::readAttributes("face='Times New' size=3 color=\"red\" flag  x = 5");
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(a[0], (std::pair<QString, QString>{"face", "Times New"}));
    EXPECT_EQ(a[1].second, "3");
    EXPECT_EQ(a[2].second, "red");
    EXPECT_EQ(a[3], (std::pair<QString, QString>{"flag", ""}));
    EXPECT_EQ(a[4], (std::pair<QString, QString>{"x", "5"}));
}

namespace {

std::vector<FakeCanvas::Text> drawn(const QString& text, const QString& sheet = "body {font-size: 20px}")
{
    CHtmlDrawer d;
    d.SetStyleSheet(sheet);
    FakeCanvas c;
    QSize s = d.Measure(c, text);
    d.Draw(c, QRect(0, 0, std::max(100, s.width()), s.height()));
    return c.texts;
}

} // namespace

TEST(HtmlStyle, TagEffectsAndTheStyleStack)
{
    auto t = drawn("<i>x</b>y</i>z");
    ASSERT_EQ(t.size(), 3u);
    EXPECT_TRUE(t[0].font.italic);
    EXPECT_TRUE(t[1].font.italic);
    EXPECT_FALSE(t[2].font.italic);

    t = drawn("<b>a<b>b</b>c</b>d");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].font.weight, 800);
    EXPECT_EQ(t[1].font.weight, 900);
    EXPECT_EQ(t[2].font.weight, 800);
    EXPECT_EQ(t[3].font.weight, 400);

    t = drawn("<i><vcenter>a</middle>b</i><bottom>c</middle>d");
    ASSERT_EQ(t.size(), 4u);
    EXPECT_TRUE(t[1].font.italic);
    EXPECT_EQ(t[1].top, 0);
    EXPECT_FALSE(t[2].font.italic);
    EXPECT_EQ(t[3].top, 5); // still bottom-aligned: the closing tag did not match

    t = drawn("<p>x<font face=Arial size=30px color=red style=\"+bu-i\" bkgnd=yellow>y</font>");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].text, "x");
    EXPECT_EQ(t[1].font.face, "Arial");
    EXPECT_EQ(t[1].font.size, 30);
    EXPECT_EQ(t[1].font.weight, 700);
    EXPECT_TRUE(t[1].font.underline);
    EXPECT_FALSE(t[1].font.italic);
    EXPECT_EQ(t[1].paint.colour, 0x0000FFu);
    EXPECT_TRUE(t[1].paint.opaque);
    EXPECT_EQ(t[1].paint.background, 0x00FFFFu);

    t = drawn("<span class=cap>hello wORLD</span>", "body {font-size: 20px} .cap {text-transform: capitalize}");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, "Hello World");
}

TEST(HtmlStyle, OpenTagStaysInForceForTheNextBlock)
{
    auto t = drawn("<u>a<table></table>b");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_TRUE(t[1].font.underline);
}
