#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"
#include "support/ShownText.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>

using namespace platform;

TEST(RtfWriter, CoreDefaultTextRoundTripsByteForByte)
{
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fprq12\\fcharset134 "
                                   "\\'cb\\'ce\\'cc\\'e5;}}{\\colortbl ;\\red255\\green255\\blue0;}"
                                   "\\viewkind4\\uc1\\pard\\sl-240\\slmult0\\cf1\\lang2052\\f0\\fs20 123456\\par}"),
                        &doc));
    EXPECT_EQ(writeRtf(doc),
              QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
                         "{\\colortbl ;\\red255\\green255\\blue0;}\r\n"
                         "\\viewkind4\\uc1\\pard\\sl-240\\slmult0\\cf1\\f0\\fs20 123456\\par\r\n}\r\n"));
}

TEST(RtfWriter, WritesStylesAndEscapes)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat plain;
    plain.setFontFamilies(QStringList{"Arial"});
    plain.setFontPointSize(12);
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);
    bold.setForeground(QColor(255, 0, 0));
    QTextBlockFormat centre;
    centre.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centre);
    c.insertText("a{b}\\", plain);
    c.insertText(QString::fromUtf8("中"), bold);
    c.insertBlock(QTextBlockFormat(), plain);
    c.insertText("x\ty");
    EXPECT_EQ(writeRtf(doc),
              QByteArray("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}\r\n"
                         "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
                         "\\viewkind4\\uc1\\pard\\qc\\f0\\fs24 a\\{b\\}\\\\\\cf1\\b \\u20013?\\par\r\n"
                         "\\pard\\cf0\\b0 x\\tab y\\par\r\n}\r\n"));
}

TEST(RtfWriter, StyledParagraphsSurviveARoundTrip)
{
    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat f;
    f.setFontFamilies(QStringList{QString::fromUtf8("宋体")});
    f.setFontPointSize(14);
    f.setFontItalic(true);
    f.setFontUnderline(true);
    f.setForeground(QColor(0, 128, 0));
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    right.setLineHeight(20, QTextBlockFormat::FixedHeight);
    c.setBlockFormat(right);
    c.insertText(QString::fromUtf8("红色 text"), f);

    QTextDocument back;
    ASSERT_TRUE(readRtf(writeRtf(doc), &back));
    EXPECT_EQ(back.toPlainText(), doc.toPlainText());
    QTextCharFormat g = back.begin().begin().fragment().charFormat();
    EXPECT_EQ(g.fontFamilies().toStringList().value(0), QString::fromUtf8("宋体"));
    EXPECT_DOUBLE_EQ(g.fontPointSize(), 14);
    EXPECT_TRUE(g.fontItalic());
    EXPECT_TRUE(g.fontUnderline());
    EXPECT_EQ(g.foreground().color().rgb(), qRgb(0, 128, 0));
    EXPECT_EQ(back.begin().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(back.begin().blockFormat().lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(back.begin().blockFormat().lineHeight(), 20);
    // written again it is the same text
    EXPECT_EQ(writeRtf(back), writeRtf(doc));
}

TEST(RtfWriter, ControlCharactersAndObjectMarksSurviveARoundTrip)
{
    QString text;
    for (char16_t c = 0x01; c < 0x20; ++c)
        if (c != u'\n' && c != u'\r' && c != u'\t')
            text += QChar(c);
    text += QChar(0x7F);
    text += QChar(0xFFFC);
    text += u"end";
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QString("{\\rtf1 ") + text + "\\par}", &doc));
    ASSERT_EQ(doc.begin().text(), text); // the reader keeps them
    QTextDocument back;
    ASSERT_TRUE(readRtf(writeRtf(doc), &back));
    EXPECT_EQ(back.begin().text(), text);
}

// What the reader keeps of an imported document (faces per script, table
// rows with their cell stops, backgrounds, raised and lowered text, soft
// hyphens, right-to-left paragraphs, bullets) survives save and reload.
TEST(RtfWriter, WhatTheReaderKeepsSurvivesSaveAndReload)
{
    const char* rtf =
        "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Serif;}{\\f1\\fnil\\fcharset134 SimSun;}}"
        "{\\colortbl;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}"
        "\\pard\\plain\\f0{\\dbch\\af1\\afs56\\ab \\u38144?\\u21806? Sales}\\par"
        "\\trowd\\trgaph108\\cellx2000\\cellx4000\\pard\\intbl A\\cell\\u21271?\\cell\\row"
        "\\pard{\\chcbpat1 ground} x{\\super 2} y{\\sub 3} z{\\up6 up}{\\dn4 down} Elec\\-tro\\par"
        "\\pard\\rtlpar\\qr{\\rtlch\\fs32 \\u1513?\\u1500?}\\par"
        "\\pard{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}\\fi-360\\li360 bullet\\par"
        "\\pard\\li720{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}next\\par"
        "\\pard\\tqr\\tx3000 a\\tab b\\par}";
    QTextDocument doc;
    ASSERT_TRUE(readRtf(QByteArray(rtf), &doc));
    const QByteArray written = writeRtf(doc);
    for (const char* word : {"\\tx2108\\tx4108", "\\highlight1", "\\super", "\\sub", "\\up6", "\\dn4", "\\-", "\\rtlpar",
                             "\\pnlvlblt", "\\tqr\\tx3000"})
        EXPECT_TRUE(written.contains(word)) << word << " in " << written.constData();
    QTextDocument back;
    ASSERT_TRUE(readRtf(written, &back));
    const QList<support::ShownDifference> diffs =
        support::compareShown(support::shownByDocument(back), support::shownByDocument(doc));
    for (const support::ShownDifference& d : diffs)
        ADD_FAILURE() << support::describe(d).toStdString();
    ASSERT_EQ(back.blockCount(), doc.blockCount());
    for (QTextBlock a = doc.begin(), b = back.begin(); a.isValid(); a = a.next(), b = b.next()) {
        EXPECT_EQ(b.blockFormat().tabPositions(), a.blockFormat().tabPositions()) << a.blockNumber();
        EXPECT_EQ(b.blockFormat().layoutDirection(), a.blockFormat().layoutDirection()) << a.blockNumber();
        EXPECT_EQ(b.textList() != nullptr, a.textList() != nullptr) << a.blockNumber();
    }
    EXPECT_NE(back.findBlockByNumber(4).textList(), nullptr);
    EXPECT_EQ(writeRtf(back), written);
}
