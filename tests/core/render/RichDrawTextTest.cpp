#include "core/render/RichDrawText.h"

#include <gtest/gtest.h>

using namespace sorvane::render;

namespace {

const char* kRtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset134 SimSun;}}"
                   "{\\colortbl ;\\red255\\green0\\blue0;}"
                   "\\f0\\fs24 a{\\b b}{\\i\\cf1 c}\\f1\\fs48 D\\u20013?\\par"
                   "\\sb200\\f0\\fs24 xy\\par}";

TEST(RichDrawText, TextKindAndCharacters)
{
    CRichDrawText host;
    ASSERT_TRUE(host.SetText(QStringLiteral("{\\rtf")));   // five characters: plain
    EXPECT_EQ(host.GetTextLength(), 5);
    EXPECT_EQ(host.GetCharAt(0), u'{');
    ASSERT_TRUE(host.SetText(QString::fromLatin1(kRtf)));
    // a b c D 中 CR x y
    EXPECT_EQ(host.GetTextLength(), 8);
    EXPECT_EQ(host.GetCharAt(4), u'中');
    EXPECT_EQ(host.GetCharAt(5), u'\r');
    EXPECT_EQ(host.GetCharAt(6), u'x');
    EXPECT_EQ(host.GetCharAt(8), 0);
    EXPECT_EQ(host.GetCharAt(-1), 0);
}

TEST(RichDrawText, FontsOfCharacters)
{
    CRichDrawText host;
    host.SetText(QString::fromLatin1(kRtf));
    LOGFONT lf;
    ASSERT_TRUE(host.GetCharLogFont(0, lf));
    EXPECT_EQ(lf.lfHeight, -16);   // 12 points at 96 dpi
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(QString::fromStdU16String(LogFontFaceName(lf)), QStringLiteral("Arial"));
    EXPECT_EQ(lf.lfCharSet, 0);
    ASSERT_TRUE(host.GetCharLogFont(1, lf));
    EXPECT_EQ(lf.lfWeight, 700);
    ASSERT_TRUE(host.GetCharLogFont(2, lf));
    EXPECT_EQ(lf.lfItalic, 1);
    QTextCharFormat fmt;
    ASSERT_TRUE(host.GetCharFormatAt(2, fmt));
    EXPECT_EQ(fmt.foreground().color(), QColor(255, 0, 0));
    ASSERT_TRUE(host.GetCharLogFont(3, lf));
    EXPECT_EQ(lf.lfHeight, -32);
    EXPECT_EQ(lf.lfCharSet, 134);
    EXPECT_FALSE(host.GetCharLogFont(99, lf));
}

TEST(RichDrawText, CellsShareTheBaselineOfTheLargestFont)
{
    CRichDrawText host;
    host.SetText(QString::fromLatin1(kRtf));
    const QRect a = host.GetCharCellRect(0), b = host.GetCharCellRect(1), d = host.GetCharCellRect(3);
    ASSERT_FALSE(a.isEmpty());
    EXPECT_LT(a.left(), b.left());
    EXPECT_LT(b.left(), d.left());
    EXPECT_EQ(a.height(), 16);
    EXPECT_EQ(d.height(), 32);
    // Smaller characters sit lower: their tops are below the large one's.
    EXPECT_GT(a.top(), d.top());
    // The second paragraph lies below, lowered by its space before.
    const QRect x = host.GetCharCellRect(6), y = host.GetCharCellRect(7);
    EXPECT_GT(x.top(), a.bottom());
    EXPECT_EQ(x.top(), y.top());
    // Space before of 10 points lowers the paragraph's cells by 13 pixels.
    CRichDrawText with, without;
    with.SetText(QString::fromLatin1("{\\rtf1\\ansi\\fs24 ab\\par\\sb200 xy\\par}"));
    without.SetText(QString::fromLatin1("{\\rtf1\\ansi\\fs24 ab\\par xy\\par}"));
    EXPECT_EQ(with.GetCharCellRect(3).top() - without.GetCharCellRect(3).top(), 13);
    EXPECT_EQ(with.GetCharCellRect(0), without.GetCharCellRect(0));
    // Exact line spacing: the line's offset is the spacing less twice the descent.
    CRichDrawText exact, exactWider;
    exact.SetText(QString::fromLatin1("{\\rtf1\\ansi\\fs24\\sl-480\\slmult0 ab\\par}"));
    exactWider.SetText(QString::fromLatin1("{\\rtf1\\ansi\\fs24\\sl-720\\slmult0 ab\\par}"));
    EXPECT_EQ(exactWider.GetCharCellRect(0).top() - exact.GetCharCellRect(0).top(), 16);
    EXPECT_TRUE(host.GetCharCellRect(99).isNull() || host.GetCharCellRect(99).isEmpty());
}

TEST(RichDrawText, FitLayoutWrapsAtTheGivenWidth)
{
    CRichDrawText host;
    host.SetText(QStringLiteral("one two three four five six seven eight nine ten eleven twelve"));
    QRect wide(0, 0, 4000, 10);
    host.FitLayout(wide);
    QRect narrow(0, 0, 60, 10);
    host.FitLayout(narrow);
    EXPECT_LE(narrow.width(), 60);
    EXPECT_GT(narrow.height(), wide.height());
    EXPECT_GT(wide.width(), 60);
}

} // namespace
