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
