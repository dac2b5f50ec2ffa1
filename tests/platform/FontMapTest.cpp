// Stored fonts on this system: face names mapped onto installed families and
// heights taken as pixel sizes, within what a screen can show.
#include "platform/FontMap.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <climits>

using namespace platform;

namespace {

LOGFONT fontOf(const char16_t* face, std::int32_t height)
{
    LOGFONT lf;
    lf.lfHeight = height;
    lf.lfWeight = 400;
    SetLogFontFaceName(lf, face);
    return lf;
}

} // namespace

TEST(FontMap, HeightsArePixelSizesUpToTheTallestScreen)
{
    EXPECT_EQ(FontFromLogFont(fontOf(u"Arial", -16)).pixelSize(), 16);
    EXPECT_EQ(FontFromLogFont(fontOf(u"Arial", 16)).pixelSize(), 16);
    EXPECT_EQ(FontFromLogFont(fontOf(u"Arial", 0)).pixelSize(), 12);
    EXPECT_EQ(FontFromLogFont(fontOf(u"Arial", kMaxFontPixels)).pixelSize(), kMaxFontPixels);
    // Heights from a damaged record: drawn at the largest size, never negated past int.
    for (const std::int32_t h : {kMaxFontPixels + 1, 1000000, INT_MAX, INT_MIN, -1000000})
        EXPECT_EQ(FontFromLogFont(fontOf(u"Arial", h)).pixelSize(), kMaxFontPixels) << h;
}

TEST(FontMap, FacesMapOntoInstalledFamilies)
{
    EXPECT_EQ(SubstituteFace(QStringLiteral("arial")), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(SubstituteFace(QStringLiteral("Times New Roman")), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(SubstituteFace(QStringLiteral("Courier New")), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(SubstituteFace(QString::fromUtf16(u"宋体")), QStringLiteral("WenQuanYi Micro Hei"));
    EXPECT_EQ(SubstituteFace(QString()), QStringLiteral("WenQuanYi Micro Hei"));
    EXPECT_EQ(SubstituteFace(QStringLiteral("Some Face")), QStringLiteral("Some Face"));
    const QFont f = FontFromLogFont(fontOf(u"Tahoma", -12));
    EXPECT_EQ(f.families().value(0), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(f.families().value(1), QStringLiteral("WenQuanYi Micro Hei"));
}
