#include "platform/CodePage.h"
#include "platform/FontMap.h"
#include "platform/RtfCodePage.h"
#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

#include <QRawFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QStringEncoder>
#include <QTextList>
#include <gtest/gtest.h>
#include <algorithm>
#include <ctime>
#include <iconv.h>

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
    EXPECT_EQ(codePageForCharset(1, 1251), 1251);
    EXPECT_EQ(codePageForCharset(0, 1251), 1252); // ANSI is Western under any \ansicpg
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

// Reading four times the text may cost about four times as much; a cost that
// grows with the square would be sixteen times.
void expectNearLinearReads(const QByteArray& small, const QByteArray& large)
{
    const double tSmall = bestCpuMs([&] {
        QTextDocument doc;
        readRtf(small, &doc);
    });
    const double tLarge = bestCpuMs([&] {
        QTextDocument doc;
        readRtf(large, &doc);
    });
    EXPECT_LT(tLarge, 8 * tSmall + 50) << tSmall << " ms for the small text, " << tLarge << " ms for four times it";
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
    const QByteArray large = formattingRuns(8000);
    expectNearLinearReads(formattingRuns(2000), large);
    // A paragraph of characters without a script (digits) finds the script
    // they follow once, not once per character.
    expectNearLinearReads("{\\rtf1 " + QByteArray(50000, '7') + "}", "{\\rtf1 " + QByteArray(200000, '7') + "}");

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
                            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil X;}}\\f0 \\'cb\\'ce\\par}",
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

namespace {

// The format of the character at a position.
QTextCharFormat formatAt(QTextDocument& doc, int at)
{
    QTextCursor c(&doc);
    c.setPosition(at);
    c.setPosition(at + 1, QTextCursor::KeepAnchor);
    return c.charFormat();
}

QString faceAt(QTextDocument& doc, int at) { return formatAt(doc, at).fontFamilies().toStringList().value(0); }

const char* kFonts = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Serif;}"
                     "{\\f1\\fnil\\fcharset134 SimSun;}{\\f2\\fswiss\\fcharset0 Arial;}}";

} // namespace

// Each character takes the settings of its script: \dbch names the East
// Asian face and sets the size, bold and italic Latin and East Asian text
// share; \rtlch sets those of complex text; weak characters follow the
// first script of their paragraph or cell.
TEST(RtfReader, AssociatedControlsGiveEachScriptItsSettings)
{
    QTextDocument doc;
    const QByteArray rtf = QByteArray(kFonts)
        // as the office program writes a bold 28-point Chinese heading
        + "\\pard\\plain \\rtlch\\afs44\\ab \\ltrch\\hich\\af2\\loch\\f2\\fs48\\b"
          "{\\dbch\\afs56\\ab\\dbch \\u20013?\\u25991? }{\\loch\\fs56\\b\\loch Title}\\par"
        // East Asian face and shared settings in one run of two scripts
        + "\\pard\\plain \\f0\\fs24 {\\dbch\\af1\\afs40\\i \\u20013?\\u25991? abc}\\par"
        // a word processor's run: the last \\loch leaves Chinese in its \\dbch face
        + "\\pard\\plain {\\rtlch\\af0\\afs28 \\ltrch\\b\\fs28\\hich\\af0\\dbch\\af1\\loch\\f0 \\u20013? abc}\\par"
        // complex text: its own size and bold, Latin text in the run keeps its own
        + "\\pard\\plain \\f0\\fs24 {\\rtlch\\b\\fs40\\af2 \\u1513?\\u1500? ab}\\par"
        // a leading digit before Chinese in another run, and a cell of digits
        + "\\pard\\plain \\f0\\dbch\\af1 {\\loch 6 }{\\dbch \\u20845?}\\par"
        + "\\pard\\plain \\f0\\dbch\\af1 \\intbl{\\dbch \\u21271?}\\cell 120\\cell\\row}";
    ASSERT_TRUE(readRtf(rtf, &doc));
    ASSERT_EQ(doc.blockCount(), 6);
    const QTextBlock b0 = doc.begin(), b1 = b0.next(), b2 = b1.next(), b3 = b2.next(), b4 = b3.next(),
                     b5 = b4.next();
    for (int i : {0, 1, 3, 4}) {
        EXPECT_DOUBLE_EQ(formatAt(doc, b0.position() + i).fontPointSize(), 28) << i;
        EXPECT_EQ(formatAt(doc, b0.position() + i).fontWeight(), QFont::Bold) << i;
    }
    EXPECT_EQ(faceAt(doc, b0.position() + 3), "Arial");

    EXPECT_EQ(faceAt(doc, b1.position()), "SimSun");
    EXPECT_EQ(faceAt(doc, b1.position() + 2), "SimSun"); // the space follows the Chinese before it
    EXPECT_EQ(faceAt(doc, b1.position() + 3), "Serif");
    for (int i : {0, 3}) {
        EXPECT_DOUBLE_EQ(formatAt(doc, b1.position() + i).fontPointSize(), 20);
        EXPECT_TRUE(formatAt(doc, b1.position() + i).fontItalic());
    }
    EXPECT_EQ(faceAt(doc, b2.position()), "SimSun");
    EXPECT_EQ(faceAt(doc, b2.position() + 2), "Serif");
    EXPECT_EQ(formatAt(doc, b2.position()).fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(formatAt(doc, b2.position()).fontPointSize(), 14);

    EXPECT_EQ(faceAt(doc, b3.position()), "Arial");
    EXPECT_DOUBLE_EQ(formatAt(doc, b3.position()).fontPointSize(), 20);
    EXPECT_EQ(formatAt(doc, b3.position()).fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(formatAt(doc, b3.position() + 3).fontPointSize(), 12);
    EXPECT_EQ(formatAt(doc, b3.position() + 3).fontWeight(), QFont::Normal);

    EXPECT_EQ(b4.text(), QString::fromUtf8("6 六"));
    EXPECT_EQ(faceAt(doc, b4.position()), "SimSun");
    EXPECT_EQ(b5.text(), QString::fromUtf8("北\t120"));
    EXPECT_EQ(faceAt(doc, b5.position() + 2), "Serif"); // a cell's digits start without a script
}

// Cells are apart by tabs at their row's cell edges, a row is a paragraph,
// and nothing after a table joins it; nested tables the same.
TEST(RtfReader, TableCellsAndRowsStayApart)
{
    QTextDocument doc;
    const char* rtf =
        "{\\rtf1\\ansi Before\\par"
        "\\trowd\\trgaph108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl A1\\cell A2\\cell A3\\cell\\row"
        "\\trowd\\trgaph108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl B1\\cell\\cell B3\\cell\\row"
        "\\trowd\\trgaph108\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl C1\\cell C2\\cell\\cell\\row"
        "\\pard After table\\par"
        "\\trowd\\cellx3000\\cellx6000\\pard\\intbl Outer\\cell\\pard\\intbl\\itap2 n1\\nestcell n2\\nestcell"
        "{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}{\\nonesttables\\par}"
        "\\pard\\intbl\\itap2 n3\\nestcell n4\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\cellx2000\\nestrow}"
        "{\\nonesttables\\par}\\pard\\intbl\\cell\\row\\pard Last\\par}";
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    EXPECT_EQ(blocks, (QStringList{"Before", "A1\tA2\tA3", "B1\t\tB3", "C1\tC2\t", "After table", "Outer\tn1\tn2",
                                   "n3\tn4", "", "Last"}));
    const QList<QTextOption::Tab> tabs = doc.findBlockByNumber(1).blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_DOUBLE_EQ(tabs[0].position, (2000 + 108) / kTwipsPerPixel);
    EXPECT_TRUE(doc.findBlockByNumber(4).blockFormat().tabPositions().isEmpty());
}

TEST(RtfReader, BackgroundsListTextRaisedTextAndSoftHyphens)
{
    QTextDocument doc;
    const char* rtf =
        "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;\\red0\\green255\\blue0;\\red0\\green0\\blue255;}"
        "{\\chcbpat1 a}{\\highlight2 b}{\\cb3 c}{\\chcbpat1\\chcbpat0 d}\\par"
        "{\\listtext\\pard\\plain  \\u8226?\\tab}\\fi-360\\li720 item\\par"
        "\\pard{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}numbered\\par"
        "\\pard\\fs24 x{\\super 2}{\\sub 3}{\\super\\nosupersub 4}{\\up6 5}{\\dn 6}{\\up6\\up0 7}\\par "
        "Elec\\-tro{\\v hidden}\\par}";
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    EXPECT_EQ(formatAt(doc, 0).background().color().rgb(), qRgb(255, 0, 0));
    EXPECT_EQ(formatAt(doc, 1).background().color().rgb(), qRgb(0, 255, 0));
    EXPECT_EQ(formatAt(doc, 2).background().color().rgb(), qRgb(0, 0, 255));
    EXPECT_EQ(formatAt(doc, 3).background().style(), Qt::NoBrush);

    const QTextBlock item = doc.begin().next(), numbered = item.next(), raised = numbered.next();
    EXPECT_EQ(item.text(), QString::fromUtf8("•\titem")); // the space after \plain's delimiter is no label
    EXPECT_EQ(numbered.text(), "1.\tnumbered");
    const auto at = [&](int i) { return formatAt(doc, raised.position() + i); };
    EXPECT_EQ(at(1).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(at(2).verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(at(3).verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_DOUBLE_EQ(at(4).baselineOffset(), 25.0); // 3 points of 12
    EXPECT_DOUBLE_EQ(at(5).baselineOffset(), -25.0); // 6 half points by default
    EXPECT_DOUBLE_EQ(at(6).baselineOffset(), 0.0);
    EXPECT_EQ(doc.lastBlock().text(), QString("Elec") + QChar(0xAD) + "tro");
}

// A style's settings apply where a paragraph names it: writers leave out
// what a style inherits, such as the normal style's East Asian face.
TEST(RtfReader, AParagraphTakesItsStyleSettings)
{
    QTextDocument doc;
    const QByteArray rtf = QByteArray(kFonts)
        + "{\\stylesheet{\\s0\\f0\\fs24\\dbch\\af1 Normal;}{\\s1\\sbasedon0\\b\\fs56\\qc Heading 1;}"
          "{\\*\\cs15\\i Emphasis;}}"
          "\\pard\\plain\\s1\\loch \\u20013? Head\\par\\pard\\plain\\s0 plain\\par}";
    ASSERT_TRUE(readRtf(rtf, &doc));
    ASSERT_EQ(doc.blockCount(), 2);
    EXPECT_EQ(faceAt(doc, 0), "SimSun");
    EXPECT_EQ(faceAt(doc, 2), "Serif");
    EXPECT_EQ(formatAt(doc, 0).fontWeight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(formatAt(doc, 2).fontPointSize(), 28);
    EXPECT_EQ(doc.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const int plain = doc.lastBlock().position();
    EXPECT_EQ(formatAt(doc, plain).fontWeight(), QFont::Normal);
    EXPECT_FALSE(formatAt(doc, plain).fontItalic());
    EXPECT_EQ(doc.lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

// The rich edit's bullets are a list model: its paragraphs become items of a
// bullet list and their list text goes.
TEST(RtfReader, RichEditBulletsBecomeAList)
{
    QTextDocument doc;
    const char* rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}"
                      "{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li360\\f0 one\\par"
                      "{\\pntext\\f1\\'B7\\tab}two\\par\\pard three\\par}";
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    ASSERT_EQ(doc.blockCount(), 3);
    const QTextBlock one = doc.begin(), two = one.next(), three = two.next();
    EXPECT_EQ(one.text(), "one");
    EXPECT_EQ(two.text(), "two");
    ASSERT_NE(one.textList(), nullptr);
    EXPECT_EQ(one.textList(), two.textList());
    EXPECT_EQ(one.textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(three.textList(), nullptr);

    // Read in the smallest pieces, the list text cut apart goes all the same.
    ReadOptions pieces;
    pieces.blockChars = 1;
    QTextDocument pieced;
    ASSERT_EQ(readRtf(QByteArray(rtf), &pieced, pieces), ReadResult::Ok);
    QTextDocument joined;
    ASSERT_TRUE(readRtf(writeRtf(pieced), &joined));
    EXPECT_EQ(joined.toPlainText(), doc.toPlainText());

    // The labels taken out count against no bound, even for the moment
    // they stand in the text.
    for (const QByteArray text : {QByteArray(rtf), QByteArray("{\\rtf1 first\\par{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt}x\\par}"),
                                 // a box in the label's group: its text flows elsewhere meanwhile
                                 QByteArray("{\\rtf1 {\\pntext 1234567890\\shp{\\shptxt B}}\\pn\\pnlvlblt x}")}) {
        QTextDocument whole;
        ASSERT_TRUE(readRtf(text, &whole));
        ReadOptions bound;
        bound.maxChars = whole.characterCount() - 1;
        QTextDocument bounded;
        EXPECT_EQ(readRtf(text, &bounded, bound), ReadResult::Ok) << text.constData();
        --bound.maxChars;
        EXPECT_EQ(readRtf(text, &bounded, bound), ReadResult::TooLong) << text.constData();
    }
}

// A style named again and again costs in proportion to the text, however
// long its definition: a text twice as long may not cost four times as much.
TEST(RtfReader, ReplayedStylesCostNoMoreThanTheText)
{
    const auto text = [](int n) {
        QByteArray rtf = "{\\rtf1{\\stylesheet{\\s1";
        for (int i = 0; i < n; ++i)
            rtf += "\\b\\i0";
        rtf += " Long;}}";
        for (int i = 0; i < n; ++i)
            rtf += "\\pard\\s1 x\\par";
        return rtf + "}";
    };
    const QByteArray small = text(1000);
    expectNearLinearReads(small, text(4000));
    QTextDocument doc;
    ASSERT_TRUE(readRtf(small, &doc));
    EXPECT_EQ(doc.blockCount(), 1000);
    EXPECT_EQ(doc.begin().begin().fragment().charFormat().fontWeight(), QFont::Bold);
}

TEST(RtfCodePage, PlainTextTakesTheFormItsMarkNames)
{
    const QString text = QString::fromUtf16(u"Grüße 中文 שלום 😀\r\nend");
    const auto with = [&](const char* mark, int size, QStringConverter::Encoding e) {
        return QByteArray(mark, size) + QStringEncoder(e)(text);
    };
    EXPECT_EQ(decodePlainText(with("\xEF\xBB\xBF", 3, QStringConverter::Utf8)), text);
    EXPECT_EQ(decodePlainText(with("\xFF\xFE", 2, QStringConverter::Utf16LE)), text);
    EXPECT_EQ(decodePlainText(with("\xFE\xFF", 2, QStringConverter::Utf16BE)), text);
    EXPECT_EQ(decodePlainText(with("\xFF\xFE\0\0", 4, QStringConverter::Utf32LE)), text);
    EXPECT_EQ(decodePlainText(with("\0\0\xFE\xFF", 4, QStringConverter::Utf32BE)), text);
    EXPECT_EQ(decodePlainText(QStringEncoder(QStringConverter::Utf8)(text)), text);
    const CodePageGuard latin(1252);
    EXPECT_EQ(decodePlainText(QByteArray("caf\xE9")), QString::fromUtf8("café"));
    // A mark and no more is an empty text; a cut-off last unit is no letter.
    EXPECT_EQ(decodePlainText(QByteArray("\xFF\xFE")), QString());
    EXPECT_EQ(decodePlainText(QByteArray("\xFF\xFE" "a\0b", 5)), QString("a") + QChar(QChar::ReplacementCharacter));
}

TEST(RtfReader, HebrewAndVietnameseRunsKeepTheirLastLetter)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1\\ansi\\ansicpg1255{\\fonttbl{\\f0\\fcharset177 Arial;}}\\f0 "
                                   "\\'f9\\'ec\\'e5\\'ed {\\b \\'f2\\'e5\\'ec\\'ed}\\par}"),
                        &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf16(u"שלום עולם"));
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1\\ansi\\ansicpg1258{\\fonttbl{\\f0\\fcharset163 Arial;}}\\f0 "
                                   "Ti\\'ea\\'ecng Vi\\'ea\\'f2t\\par}"),
                        &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf16(u"Tiếng Việt"));
}

// What a document shows beyond its running text: shaded cells and each
// cell's alignment, the symbol fonts' bullets, text boxes, notes, capitals.
TEST(RtfReader, CellsBulletsBoxesNotesAndCapitalsShowAsTheDocumentShowsThem)
{
    QTextDocument doc;
    const char* rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}"
        "{\\colortbl;\\red0\\green0\\blue128;\\red255\\green255\\blue255;}"
        "\\trowd\\trgaph100\\clcbpat1\\cellx2000\\cellx4000\\cellx6000"
        "\\pard\\intbl\\cf2 Navy\\cell\\pard\\intbl\\qc mid\\cell\\pard\\intbl\\qr right\\cell\\row"
        "\\pard{\\listtext\\pard\\plain \\u61623\\'3f\\tab}first\\par"
        "{\\listtext\\pard\\plain\\f2 \\'a7\\tab}second\\par{\\listtext\\pard\\plain \\u61607?\\tab}third\\par"
        "{\\listtext\\pard\\plain\\f1 \\u61607?\\tab}fourth\\par"
        "\\pard Anchor {\\shp{\\*\\shpinst{\\sp{\\sn wzName}{\\sv Box}}{\\shptxt\\pard Box text\\par}}"
        "{\\shprslt Box text again\\par}} ends\\par "
        "Note{\\super\\chftn}{\\*\\footnote\\pard{\\super\\chftn} The note.} after\\par"
        "{\\caps all caps} {\\scaps Small Caps}\\par}";
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    EXPECT_EQ(blocks, (QStringList{"Navy\tmid\tright", QString::fromUtf8("•\tfirst"), QString::fromUtf8("▪\tsecond"),
                                   QString::fromUtf8("▪\tthird"), QString::fromUtf8("♣\tfourth"),
                                   "Anchor  ends", "Box text", "Note1 after", "ALL CAPS SMALL CAPS", "1 The note."}));

    const QTextBlock row = doc.begin();
    EXPECT_EQ(formatAt(doc, 0).background().color().rgb(), qRgb(0, 0, 128));
    EXPECT_EQ(formatAt(doc, 0).foreground().color().rgb(), qRgb(255, 255, 255));
    EXPECT_EQ(formatAt(doc, 6).background().style(), Qt::NoBrush); // "mid": no shade of its own
    EXPECT_EQ(row.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    const QList<QTextOption::Tab> tabs = row.blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_EQ(tabs[0].type, QTextOption::CenterTab);
    EXPECT_DOUBLE_EQ(tabs[0].position, 3000 / kTwipsPerPixel);
    EXPECT_EQ(tabs[1].type, QTextOption::RightTab);
    EXPECT_DOUBLE_EQ(tabs[1].position, 5900 / kTwipsPerPixel);

    const QTextBlock caps = doc.findBlockByNumber(8);
    const auto sizeAt = [&](int i) { return formatAt(doc, caps.position() + i).fontPointSize(); };
    EXPECT_DOUBLE_EQ(sizeAt(1), 12.0);  // "L" of all caps
    EXPECT_DOUBLE_EQ(sizeAt(9), 12.0);  // "S" of Small
    EXPECT_DOUBLE_EQ(sizeAt(10), 9.5);  // "M", a small capital: 9.6 points to the half point
    const QTextBlock note = doc.lastBlock();
    EXPECT_EQ(formatAt(doc, note.position()).verticalAlignment(), QTextCharFormat::AlignSuperScript);

    // In the font a glyph's letter, byte and private character are one.
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1{\\fonttbl{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}"
                                   "{\\f2 l\\'6c\\u61548?}{\\f1 \\'b7\\u183?\\u61623?}\\par}"),
                        &doc));
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("●●●•••"));
}

// A bullet list takes the place of the label just before its numbering,
// never of the paragraph's own text between an earlier label and it.
TEST(RtfReader, ABulletReplacesOnlyTheLabelBeforeIt)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1{\\listtext 1.\\tab}own{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}"
                                   "item\\par}"),
                        &doc));
    EXPECT_EQ(doc.toPlainText(), "1.\townitem");
}

TEST(RtfReader, ShowsWhatTheAuthorLastSaw)
{
    const auto text = [](const char* rtf) {
        QTextDocument doc;
        EXPECT_TRUE(readRtf(QByteArray(rtf), &doc)) << rtf;
        return doc.toPlainText();
    };
    // A tracked deletion is gone, an insertion stays, a comment is not shown.
    EXPECT_EQ(text("{\\rtf1\\ansi{\\*\\revtbl{Unknown;}{A;}}Kept {\\revised\\revauth1 inserted }and "
                   "{\\deleted\\revauthdel1 removed }end{\\*\\atnid A}{\\*\\atnauthor A}\\chatn"
                   "{\\*\\annotation\\pard a note}.\\par}"),
              "Kept inserted and end.");
    EXPECT_EQ(text("{\\rtf1 a\\deleted b\\deleted0 c\\deleted d\\plain e}"), "ace");
    // ANSI faces are Western under any document code page; the default one takes it.
    EXPECT_EQ(text("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset1 B;}}"
                   "\\f0 caf\\'e9 \\f1 \\'e9}"),
              QString::fromUtf8("café й"));
    // \upr: the Unicode form is the one shown, the bytes' form is not.
    EXPECT_EQ(text("{\\rtf1 A{\\upr{?}{\\*\\ud{\\u54620 ?}}}B}"), QString::fromUtf8("A한B"));
    EXPECT_EQ(text("{\\rtf1 A{\\upr{\\'3f}{\\*\\ud{C}}}{D}}"), "ACD");
}

TEST(RtfCodePage, UnmarkedUtf16AndGb18030ReadAsTheirForms)
{
    const QString text = QString::fromUtf16(u"Grüße aus Köln\r\n中文\r\nend 😀");
    EXPECT_EQ(decodePlainText(QStringEncoder(QStringConverter::Utf16LE)(text)), text);
    EXPECT_EQ(decodePlainText(QStringEncoder(QStringConverter::Utf16BE)(text)), text);
    // Chinese alone in UTF-8, and bytes whose NULs have no pattern, stay as they were.
    const QString chinese = QString::fromUtf8("中文的一行");
    EXPECT_EQ(decodePlainText(chinese.toUtf8()), chinese);
    EXPECT_EQ(decodePlainText(QByteArray("a\0\0b", 4)), QString::fromUtf16(u"a\0\0b", 4));
    // 936's four-byte characters, and nothing of GBK changed: every one- and
    // two-byte sequence reads as GBK reads it.
    EXPECT_EQ(decodeCodePage(QByteArray("\x81\x39\xEE\x39\x82\x35\x87\x38\x94\x39\xFC\x36\xD6\xD0"), 936),
              QString::fromUtf8("㐀䶵😀中"));
    QByteArray all;
    std::u16string gbk;
    iconv_t cd = iconv_open("UTF-16LE", "GBK");
    ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
    for (int lead = 0x80; lead <= 0xFE; ++lead) {
        for (int trail = 0x3F; trail <= 0xFE; ++trail) {
            // 0x3F stands for the lead byte alone
            char in[2] = {char(lead), char(trail)};
            char16_t out[4] = {};
            char *ip = in, *op = reinterpret_cast<char*>(out);
            std::size_t il = trail == 0x3F ? 1 : 2, ol = sizeof out;
            const std::size_t size = il;
            const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1) && il == 0;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (!ok)
                continue;
            all += QByteArray(in, qsizetype(size)) + ' ';
            gbk += std::u16string(out, (sizeof out - ol) / 2) + u' ';
        }
    }
    iconv_close(cd);
    EXPECT_GT(gbk.size(), 40000u);
    EXPECT_EQ(decodeCodePage(all, 936), QString::fromStdU16String(gbk));
}

TEST(RtfReader, AMappedBulletTakesAFaceThatDrawsIt)
{
    const QByteArray rtf("{\\rtf1\\deff0{\\fonttbl{\\f0\\fswiss DejaVu Sans;}{\\f1\\fcharset2 Symbol;}"
                         "{\\f2 Arial;}}{\\listtext\\f1 \\'b7\\tab}Item {\\f1 a}\\par}");
    const auto faces = [&](const std::function<bool(const QString&, char16_t)>& draws) {
        QTextDocument doc;
        ReadOptions options;
        options.faceDraws = draws;
        EXPECT_EQ(readRtf(rtf, &doc, options), ReadResult::Ok);
        EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("•\tItem a"));
        QStringList out;
        for (int at : {0, 1, 7}) {
            QTextCursor c(&doc);
            c.setPosition(at + 1);
            out << c.charFormat().fontFamilies().toStringList().value(0);
        }
        return out;
    };
    // The symbol face's stand-in has no U+2022: the paragraph's face draws it;
    // the font's own glyphs (the tab, its "a") stay in it.
    const auto symbolLacksBullet = [](const QString& face, char16_t c) { return face != u"Symbol" || c != 0x2022; };
    EXPECT_EQ(faces(symbolLacksBullet), QStringList({"DejaVu Sans", "Symbol", "Symbol"}));
    // Not the paragraph's either: the first face of the document that has it.
    EXPECT_EQ(faces([](const QString& face, char16_t c) { return face == u"Arial" || c != 0x2022; }),
              QStringList({"Arial", "Symbol", "Symbol"}));
    // A stand-in that has it keeps the bullet in its face.
    EXPECT_EQ(faces([](const QString&, char16_t) { return true; }), QStringList({"Symbol", "Symbol", "Symbol"}));
    // A face is a symbol font by the name it shows and is written with.
    QTextDocument named;
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1{\\fonttbl{\\f0 Wing\x01" "dings;}}\\f0 \\'a7}"), &named));
    EXPECT_EQ(named.toPlainText(), QString::fromUtf8("▪"));
    // Without a probe the installed fonts answer: whichever face is taken draws it.
    const QString installed = faces({}).value(0);
    EXPECT_TRUE(QRawFont::fromFont(QFont(SubstituteFace(installed))).supportsCharacter(QChar(0x2022))) << installed.toStdString();
}
