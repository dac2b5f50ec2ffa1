#include "platform/Colour.h"
#include <gtest/gtest.h>

using namespace platform;

TEST(Colour, ConvertsBetweenColorRefAndRgb)
{
    EXPECT_EQ(colorRefToRgb(0x0000FFu), 0xFFFF0000u);   // red
    EXPECT_EQ(colorRefToRgb(0x00FFFFu), 0xFFFFFF00u);   // yellow
    EXPECT_EQ(colorRefToRgb(0x123456u), 0xFF563412u);
    EXPECT_EQ(rgbToColorRef(0x80563412u), 0x123456u);
    EXPECT_EQ(makeColorRef(0x12, 0x34, 0x56), 0x563412u);
    EXPECT_EQ(swapRedGreen(0x00123456u), 0x00125634u);
    EXPECT_EQ(swapRedGreen(swapRedGreen(0x00ABCDEFu)), 0x00ABCDEFu);
}
