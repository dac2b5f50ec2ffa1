#include "app/panels/LedWorkModes.h"

#include <gtest/gtest.h>

#include <set>

using namespace panels;

TEST(LedWorkModes, RowsKeepTheirOrderAndCodesAreUnique)
{
    ASSERT_EQ(LedWorkModeTable.size(), 22u);
    EXPECT_EQ(LedWorkModeTable[5].code, 7);
    EXPECT_EQ(LedWorkModeTable[14].code, 35);
    EXPECT_EQ(LedWorkModeTable[14].nameId, 47064u);
    EXPECT_EQ(LedWorkModeTable[15].code, 20);
    EXPECT_EQ(LedWorkModeTable[15].nameId, 47058u);
    EXPECT_EQ(LedWorkModeTable[21].code, 64);
    std::set<int> codes;
    for (const auto& row : LedWorkModeTable)
        EXPECT_TRUE(codes.insert(row.code).second) << row.code;
}

TEST(LedWorkModes, CodesWithoutARowNameTheUnknownText)
{
    EXPECT_EQ(ledWorkModeNameId(35), 47064u);
    EXPECT_EQ(ledWorkModeNameId(64), 47080u);
    EXPECT_EQ(ledWorkModeNameId(0), 47044u);
    for (int code : {5, 6, 11, 12, 18, 19, 24, 32, 36, 63, 65, 0xFFFF, -1})
        EXPECT_EQ(ledWorkModeNameId(code), kUnknownNameId) << code;
    EXPECT_EQ(ledWorkModeRow(5), -1);
    EXPECT_EQ(ledWorkModeRow(23), 18);
}
