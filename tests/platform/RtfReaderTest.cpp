#include "platform/CodePage.h"
#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>
#include <algorithm>
#include <ctime>

using namespace platform;

namespace {

QList<QTextFragment> fragments(const QTextBlock& b)
{
    QList<QTextFragment> out;
    for (auto it = b.begin(); !it.atEnd(); ++it)
        out.append(it.fragment());
    return out;
}

const char* kCoreDefault =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fprq12\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
    "{\\colortbl ;\\red255\\green255\\blue0;}\\viewkind4\\uc1\\pard\\sl-240\\slmult0\\cf1"
    "\\lang2052\\f0\\fs20 123456\\par}";

} // namespace

TEST(RtfReader, ReadsTheCoreDefaultText)
{
    QTextDocument doc;
    QString err;
    ASSERT_TRUE(readRtf(QByteArray(kCoreDefault), &doc, &err)) << err.toStdString();
    EXPECT_EQ(doc.toPlainText(), "123456");
    ASSERT_EQ(doc.blockCount(), 1);
    auto frags = fragments(doc.begin());
    ASSERT_EQ(frags.size(), 1);
    QTextCharFormat f = frags[0].charFormat();
    EXPECT_EQ(f.fontFamilies().toStringList(), QStringList{QString::fromUtf8("宋体")});
    EXPECT_EQ(f.intProperty(RtfFontCharset), 134);
    EXPECT_EQ(f.foreground().color().rgb(), qRgb(255, 255, 0));
    EXPECT_DOUBLE_EQ(f.fontPointSize(), 10.0);
    QTextBlockFormat b = doc.begin().blockFormat();
    EXPECT_EQ(b.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(b.lineHeight(), 16.0); // 240 twips = 12 pt = 16 px
    EXPECT_EQ(b.intProperty(RtfLineSpacing), -240);
}

TEST(RtfReader, SameTextAsUnicodeString)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QString::fromLatin1(kCoreDefault), &doc));
    EXPECT_EQ(fragments(doc.begin())[0].charFormat().fontFamilies().toStringList().value(0),
              QString::fromUtf8("宋体"));
}

TEST(RtfReader, StylesParagraphsAndAlignment)
{
    QTextDocument doc;
    const char* rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\pard\\qc\\f0\\fs24 plain \\b bold\\b0  \\i it\\i0  \\ul under\\ulnone\\par\r\n"
        "\\pard\\qr\\cf2\\f1\\fs36 right {\\cf1 red} back\\par\r\n"
        "\\pard\\qj\\li720\\fi-360 just\\line next\\tab x\\par}";
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    ASSERT_EQ(doc.blockCount(), 3);
    QTextBlock b0 = doc.begin(), b1 = b0.next(), b2 = b1.next();
    EXPECT_EQ(b0.text(), "plain bold it under");
    EXPECT_EQ(b0.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    auto f0 = fragments(b0);
    ASSERT_EQ(f0.size(), 6);
    EXPECT_EQ(f0[1].text(), "bold");
    EXPECT_EQ(f0[1].charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(f0[2].charFormat().fontWeight(), QFont::Normal);
    EXPECT_TRUE(f0[3].charFormat().fontItalic());
    EXPECT_TRUE(f0[5].charFormat().fontUnderline());
    EXPECT_EQ(f0[0].charFormat().fontFamilies().toStringList().value(0), "Arial");

    EXPECT_EQ(b1.text(), "right red back");
    EXPECT_EQ(b1.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    auto f1 = fragments(b1);
    ASSERT_EQ(f1.size(), 3);
    EXPECT_EQ(f1[0].charFormat().foreground().color().rgb(), qRgb(0, 0, 255));
    EXPECT_EQ(f1[1].charFormat().foreground().color().rgb(), qRgb(255, 0, 0));
    EXPECT_EQ(f1[2].charFormat().foreground().color().rgb(), qRgb(0, 0, 255)); // group restored
    EXPECT_DOUBLE_EQ(f1[0].charFormat().fontPointSize(), 18.0);
    EXPECT_EQ(f1[0].charFormat().fontFamilies().toStringList().value(0), "Times New Roman");

    EXPECT_EQ(b2.text(), QString("just") + QChar(QChar::LineSeparator) + "next\tx");
    EXPECT_EQ(b2.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_DOUBLE_EQ(b2.blockFormat().leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(b2.blockFormat().textIndent(), -24.0);
}

TEST(RtfReader, UnicodeEscapesSkipTheirFallback)
{
    QTextDocument doc;
    // \uc1: one fallback byte; \uc2: two (a double-byte fallback)
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1 a\\u23435?b{\\uc2\\u20307\\'cc\\'e5}c\\u-10179?\\u-8692?\\par}"), &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("a宋b体c") + QString::fromUtf16(u"\U0001F60C"));
}

TEST(RtfReader, BytesFollowTheFontCharset)
{
    QTextDocument doc;
    const char* rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil Arial;}"
                      "{\\f1\\fnil\\fcharset136 MingLiU;}{\\f2\\fnil\\fcharset204 Cyr;}}"
                      "\\f0 caf\\'e9 \\f1\\'a4\\'a4 \\f2\\'c4\\'e0\\par}";
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("café 中 Да"));
}

TEST(RtfReader, RawHighBytesDecodeLikeHexEscapes)
{
    QTextDocument doc;
    QByteArray rtf("{\\rtf1{\\fonttbl{\\f0\\fcharset134 X;}}\\f0 ");
    rtf += "\xcb\xce";
    rtf += "\\par}";
    ASSERT_TRUE(readRtf(rtf, &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("宋"));
}

TEST(RtfReader, SkipsIgnorableAndKnownDestinations)
{
    QTextDocument doc;
    const char* rtf = "{\\rtf1{\\fonttbl{\\f0 A{\\*\\panose 02020603050405020304};}}"
                      "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}{\\*\\generator Gen;}"
                      "{\\*\\unknownthing junk}\\f0{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}}"
                      " text{\\pict\\pngblip 89504e47}\\bin3 {}|end\\par}";
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    EXPECT_EQ(doc.toPlainText(), "link textend");
    EXPECT_EQ(fragments(doc.begin())[0].charFormat().fontFamilies().toStringList().value(0), "A");
}

TEST(RtfReader, EscapedSymbolsAndEmptyParagraphs)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1 \\{a\\}\\\\\\~b\\par\\par c\\par}"), &doc));
    ASSERT_EQ(doc.blockCount(), 3);
    EXPECT_EQ(doc.begin().text(), QString("{a}\\") + QChar(0xA0) + "b");
    EXPECT_EQ(doc.begin().next().text(), "");
    EXPECT_EQ(doc.lastBlock().text(), "c");
}

TEST(RtfReader, RefusesTextThatIsNotRtf)
{
    QTextDocument doc;
    doc.setPlainText("keep");
    QString err;
    EXPECT_FALSE(readRtf(QByteArray("{\\rt"), &doc, &err));
    EXPECT_FALSE(err.isEmpty());
    EXPECT_EQ(doc.toPlainText(), "keep");
    EXPECT_TRUE(looksLikeRtf(QString("{\\RTF1 x}")));
    EXPECT_FALSE(looksLikeRtf(QByteArray("{\\rt")));
}

TEST(RtfReader, TruncatedTextKeepsWhatWasRead)
{
    QTextDocument doc;
    QString err;
    EXPECT_FALSE(readRtf(QByteArray("{\\rtf1 first\\par second"), &doc, &err));
    EXPECT_FALSE(err.isEmpty());
    EXPECT_EQ(doc.toPlainText(), "first\nsecond");
    // nothing after the closing brace counts
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1 done}trailing"), &doc));
    EXPECT_EQ(doc.toPlainText(), "done");
}

TEST(RtfReader, DeepNestingIsRefused)
{
    QTextDocument doc;
    QByteArray rtf = "{\\rtf1 " + QByteArray(10000, '{') + "x" + QByteArray(10000, '}') + "}";
    QString err;
    EXPECT_FALSE(readRtf(rtf, &doc, &err));
    EXPECT_FALSE(err.isEmpty());
}

// Found by fuzzing: \u with no number read as a NUL character, and \u-4 as
// the document's object mark; the writer then dropped them, so a document
// changed on its way through a file.
// Control characters and object marks are kept and survive a round trip;
// NUL, line breaks and the document's frame marks never enter as text.
TEST(RtfReader, ControlCharactersKeptFrameMarksRefused)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1 a\\u0?b\\'01c\\u7?\\'7f\td\\u10?x\\u-4?\\u-560?y\\par}"), &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf16(u"ab\x01" u"c\x07\x7f\td" u"x\xFFFC" u"y"));
    EXPECT_EQ(doc.blockCount(), 1);   // \u10 made no paragraph
    QTextDocument back;
    ASSERT_TRUE(readRtf(writeRtf(doc), &back));
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
}

// Found by fuzzing: a font entry closed without ';' kept trailing blanks in
// its name, and control characters and object marks stayed in names; a write
// and read then changed the name.
TEST(RtfReader, FontNamesAreTrimmedAndWithoutControlCharacters)
{
    for (const char* rtf : {"{\\rtf1{\\fonttbl{\\f0 Arial}   }\\f0 x\\par}",
                            "{\\rtf1{\\fonttbl{\\f0\x03 Ar\\'01ial;}}\\f0 x\\par}",
                            "{\\rtf1{\\fonttbl{\\f0\\fcharset134 Ari\\u-4?al;}}\\f0 x\\par}"}) {
        QTextDocument doc;
        ASSERT_TRUE(readRtf(QByteArray(rtf), &doc)) << rtf;
        EXPECT_EQ(fragments(doc.begin())[0].charFormat().fontFamilies().toStringList(), QStringList{"Arial"});
        const QByteArray written = writeRtf(doc);
        QTextDocument back;
        ASSERT_TRUE(readRtf(written, &back));
        EXPECT_EQ(writeRtf(back), written);
    }
}

TEST(RtfCodePage, CharsetsAndConversions)
{
    EXPECT_EQ(codePageForCharset(134, 1252), 936);
    EXPECT_EQ(codePageForCharset(136, 1252), 950);
    EXPECT_EQ(codePageForCharset(0, 1251), 1251);
    EXPECT_EQ(charsetForCodePage(936), 134);
    QByteArray b;
    ASSERT_TRUE(encodeCodePage(QString::fromUtf8("宋体"), 936, &b));
    EXPECT_EQ(b, QByteArray("\xcb\xce\xcc\xe5"));
    EXPECT_FALSE(encodeCodePage(QString::fromUtf8("宋"), 1252, &b));
    // a cut-off double-byte character becomes a replacement, nothing is dropped silently
    EXPECT_EQ(decodeCodePage(QByteArray("a\xcb"), 936), QString("a") + QChar(QChar::ReplacementCharacter));
}

namespace {

struct CodePageGuard {
    int saved = ansiCodePage();
    explicit CodePageGuard(int cp) { setAnsiCodePage(cp); }
    ~CodePageGuard() { setAnsiCodePage(saved); }
};

} // namespace

namespace {

// Processor time of a call in milliseconds, the best of three, so that a
// busy machine does not make a linear cost look quadratic.
template <class F>
double bestCpuMs(F&& f)
{
    double best = 1e300;
    for (int i = 0; i < 3; ++i) {
        const std::clock_t start = std::clock();
        f();
        best = std::min(best, double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC);
    }
    return best;
}

QByteArray formattingRuns(int runs)
{
    QByteArray rtf = "{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    for (int i = 0; i < runs; ++i)
        rtf += (i % 2) ? "\\cf1\\b x" : "\\cf2\\b0 y";
    rtf += "}";
    return rtf;
}

} // namespace

TEST(RtfReader, LoadingTimeGrowsWithTheRunsNotTheirSquare)
{
    // Four times the runs may cost about four times as much; a cost that
    // grows with the square would be sixteen times.
    const QByteArray small = formattingRuns(2000), large = formattingRuns(8000);
    const double tSmall = bestCpuMs([&] {
        QTextDocument doc;
        readRtf(small, &doc);
    });
    const double tLarge = bestCpuMs([&] {
        QTextDocument doc;
        readRtf(large, &doc);
    });
    EXPECT_LT(tLarge, 8 * tSmall + 50) << tSmall << " ms for 2000 runs, " << tLarge << " ms for 8000";

    QTextDocument doc;
    ASSERT_TRUE(readRtf(large, &doc));
    EXPECT_EQ(doc.characterCount(), 8000 + 1);
    int fragmentCount = 0;
    for (auto it = doc.begin().begin(); !it.atEnd(); ++it)
        ++fragmentCount;
    EXPECT_EQ(fragmentCount, 8000);
}

TEST(RtfReader, ALoadCannotBeUndoneIntoPieces)
{
    QTextDocument doc;
    QTextCursor(&doc).insertText("before");
    ASSERT_TRUE(doc.isUndoAvailable());
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1 one {\\b two} three\\par four}"), &doc));
    const QString loaded = doc.toPlainText();
    EXPECT_EQ(loaded, "one two three\nfour");
    for (int i = 0; i < 20 && doc.isUndoAvailable(); ++i)
        doc.undo();
    EXPECT_EQ(doc.toPlainText(), loaded);
    EXPECT_TRUE(doc.isUndoRedoEnabled());
    // editing after the load is undoable again
    QTextCursor c(&doc);
    c.insertText("x");
    EXPECT_TRUE(doc.isUndoAvailable());
}

TEST(RtfReader, DefaultCharsetsFollowTheProgramCodePage)
{
    CodePageGuard chinese(936);
    for (const char* rtf : {"{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset1 X;}}\\f0 \\'cb\\'ce\\par}",
                            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 X;}}\\f0 \\'cb\\'ce\\par}",
                            "{\\rtf1 \\'cb\\'ce\\par}"}) {
        QTextDocument doc;
        ASSERT_TRUE(readRtf(QByteArray(rtf), &doc)) << rtf;
        EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("宋")) << rtf;
    }
    // a document that names its code page keeps it
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset1 X;}}\\f0 \\'cb\\'ce\\par}"),
                        &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("ËÎ"));
}

TEST(RtfReader, ExtremeNumbersGiveASaneLayout)
{
    for (const char* rtf : {"{\\rtf1\\sl-2147483647\\slmult0 a\\par b\\par}",
                            "{\\rtf1\\sl-2147483647\\slmult1 a\\par b\\par}",
                            "{\\rtf1\\sl2147483647\\slmult1 a\\par b\\par}",
                            "{\\rtf1\\sb-2147483647\\sa-2147483647 a\\par b\\par}",
                            "{\\rtf1\\sb2147483647\\sa2147483647 a\\par b\\par}",
                            "{\\rtf1\\fs2147483647 a\\par b\\par}",
                            "{\\rtf1\\li2147483647\\ri2147483647\\fi-2147483647 a\\par b\\par}",
                            "{\\rtf1\\li-2147483647\\fi2147483647 a\\par b\\par}"}) {
        QTextDocument doc;
        doc.setTextWidth(400);
        ASSERT_TRUE(readRtf(QByteArray(rtf), &doc)) << rtf;
        EXPECT_EQ(doc.toPlainText(), "a\nb") << rtf;
        const QSizeF size = doc.size();
        EXPECT_GT(size.height(), 0) << rtf;
        EXPECT_LT(size.height(), 20000) << rtf;
        EXPECT_LT(size.width(), 20000) << rtf;
        const QTextBlockFormat b = doc.begin().blockFormat();
        EXPECT_GE(b.lineHeight(), 0) << rtf;
        EXPECT_GE(b.topMargin(), 0) << rtf;
        EXPECT_GE(b.bottomMargin(), 0) << rtf;
    }
}

// Found by fuzzing: a font name whose characters encode in the font's code
// page but do not read back from those bytes changed on every round trip.
TEST(RtfReader, FontNamesThatDoNotRoundTripTheirCodePageTravelAsEscapes)
{
    const QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\f\x92\x96l\\fcharset134 \\'cb\\'ce;}}\\f0 x\\par}";
    QTextDocument doc;
    ASSERT_TRUE(readRtf(rtf, &doc));
    const QByteArray written = writeRtf(doc);
    QTextDocument back;
    ASSERT_TRUE(readRtf(written, &back));
    EXPECT_EQ(writeRtf(back), written);
}

// An editor holds a huge paragraph in pieces; the RTF written from them is
// still one paragraph, and the core's reading (no pieces) sees one block.
TEST(RtfReader, ALongParagraphIsHeldInPiecesAndWrittenWhole)
{
    QString words;
    for (int i = 0; i < 3000; ++i)
        words += QStringLiteral("word%1 ").arg(i % 10);
    words += QString::fromUtf16(u"\U0001F600 end");
    const QString rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 " + words + "\\par second\\par}";
    ReadOptions pieces;
    pieces.blockChars = 4096;
    for (const bool plain : {false, true}) {
        QTextDocument doc;
        const ReadResult r = plain ? readPlainText(words + "\r\nsecond", &doc, pieces) : readRtf(rtf, &doc, pieces);
        ASSERT_EQ(r, ReadResult::Ok);
        const int n = doc.blockCount();
        ASSERT_GE(n, 6);   // 18,006 characters in pieces of at most 4,096, then "second"
        for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
            EXPECT_LE(b.length(), 4097);
            EXPECT_EQ(b.blockFormat().boolProperty(RtfContinues), b.blockNumber() > 0 && b.blockNumber() < n - 1);
            EXPECT_FALSE(b.text().endsWith(QChar::fromUcs2(0xD83D)));   // no pair is cut
        }
        QTextDocument whole;
        ASSERT_TRUE(readRtf(writeRtf(doc), &whole));
        ASSERT_EQ(whole.blockCount(), 2) << plain;
        EXPECT_EQ(whole.begin().text(), words);
        EXPECT_EQ(whole.lastBlock().text(), "second");
    }
}

TEST(RtfReader, ABoundRefusesTooMuchTextAndProgressCanCancel)
{
    const QString text(5000, u'x');
    const QString rtf = "{\\rtf1 " + text + "\\par}";
    ReadOptions bound;
    bound.maxChars = 4999;
    QTextDocument doc;
    EXPECT_EQ(readRtf(rtf, &doc, bound), ReadResult::TooLong);
    EXPECT_EQ(readPlainText(text, &doc, bound), ReadResult::TooLong);
    bound.maxChars = 5001;   // the text and its paragraph mark
    EXPECT_EQ(readRtf(rtf, &doc, bound), ReadResult::Ok);
    EXPECT_EQ(readPlainText(text, &doc, bound), ReadResult::Ok);

    ReadOptions cancel;
    int calls = 0;
    cancel.progress = [&](qsizetype done, qsizetype total) {
        EXPECT_LE(done, total);
        return ++calls < 2;
    };
    const QString big(300000, u'y');
    EXPECT_EQ(readRtf("{\\rtf1 " + big + "}", &doc, cancel), ReadResult::Cancelled);
    EXPECT_EQ(calls, 2);
    calls = 0;
    EXPECT_EQ(readPlainText(big, &doc, cancel), ReadResult::Cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(readRtf(QStringLiteral("plain"), &doc, cancel), ReadResult::NotRtf);
}
