#include "platform/LangPack.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(LangPack, MissingIdsGiveEmptyResults)
{
    clearLangPack();
    EXPECT_TRUE(langString(33800).isEmpty());
    EXPECT_TRUE(langIcon(6044).isNull());
    EXPECT_TRUE(langBitmap(6195).isNull());
    EXPECT_FALSE(langToolBar(6195).has_value());

    setLangString(33800, "Text colour");
    QImage strip(32, 16, QImage::Format_RGB32);
    strip.fill(Qt::red);
    setLangBitmap(6195, strip);
    setLangToolBar(6195, LangToolBar{16, 16, {10, 0, 11}});
    EXPECT_EQ(langString(33800), "Text colour");
    EXPECT_EQ(langBitmap(6195).size(), QSize(32, 16));
    ASSERT_TRUE(langToolBar(6195).has_value());
    EXPECT_EQ(langToolBar(6195)->ids, (QList<unsigned>{10, 0, 11}));

    clearLangPack();
    EXPECT_TRUE(langString(33800).isEmpty());
}
