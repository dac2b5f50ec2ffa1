#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"

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
