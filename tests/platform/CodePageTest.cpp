#include "platform/CodePage.h"
#include <gtest/gtest.h>

using namespace platform;

TEST(CodePage, LanguagesAndConversions)
{
    EXPECT_EQ(codePageForLanguage(4), 936);
    EXPECT_EQ(codePageForLanguage(0x7C04), 950);
    EXPECT_EQ(codePageForLanguage(9), 1252);

    bool exact = false;
    EXPECT_EQ(encodeText(u"中文", 936, &exact), "\xD6\xD0\xCE\xC4");
    EXPECT_TRUE(exact);
    EXPECT_EQ(encodeText(u"a中", 1252, &exact), "a?");
    EXPECT_FALSE(exact);
    EXPECT_EQ(decodeBytes("\xA4\xA4", 950), u"中");
    EXPECT_EQ(decodeBytes("a\x81", 936), u"a\uFFFD");
    EXPECT_EQ(decodeBytes("caf\xE9", 1252), u"café");
}

TEST(CodePage, AnsiCodePageIsOneProgramWideSetting)
{
    const int saved = ansiCodePage();
    setAnsiCodePage(936);
    EXPECT_EQ(ansiCodePage(), 936);
    setAnsiCodePage(0);
    EXPECT_EQ(ansiCodePage(), 1252);
    setAnsiCodePage(saved);
}

// Hebrew and Vietnamese letters may take a combining mark after them: the
// converter holds each back until it sees the next byte, and gives up the
// last one only when flushed, at the end and before a byte it cannot read.
TEST(CodePage, TheLastLetterOfEveryCodePageIsKept)
{
    EXPECT_EQ(decodeBytes("\xF9\xEC\xE5\xED", 1255), u"שלום");
    EXPECT_EQ(decodeBytes("\xF9\xEC\xE5\xED\xFF\xE0", 1255), u"שלום\uFFFDא");
    EXPECT_EQ(decodeBytes("Ti\xEA\xECng Vi\xEA\xF2t Nam", 1258), u"Tiếng Việt Nam");
    EXPECT_EQ(decodeBytes("Vi\xEA", 1258), u"Viê");
    EXPECT_EQ(encodeText(u"שלום", 1255), "\xF9\xEC\xE5\xED");
    EXPECT_EQ(encodeText(u"Viê", 1258), "Vi\xEA");
    // Every code page the RTF charsets name gives back the last letter of a
    // text it encodes.
    for (int cp : {437, 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 1361,
                   10000}) {
        for (int b = 0xC0; b <= 0xFF; ++b) {
            const std::string one(1, char(b));
            const std::u16string text = decodeBytes(one, cp);
            if (text.size() != 1 || text[0] == u'\uFFFD' || (text[0] >= 0x300 && text[0] < 0x370))
                continue; // a lead byte, no letter there, or a mark that joins the letter before
            EXPECT_EQ(decodeBytes("a" + one, cp), u"a" + text) << cp << " byte " << b;
        }
    }
}
