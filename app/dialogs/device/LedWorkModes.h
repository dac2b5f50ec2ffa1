#pragma once
// The LED work modes a screen can be set to: code of the screen's Type
// field and the string id of its name, in the order every list shows them.
#include <array>
#include <cstdint>

namespace dialogs {

struct LedWorkModeRow {
    std::uint32_t code;
    unsigned nameId;
};

inline constexpr std::array<LedWorkModeRow, 22> LedWorkModeTable{{
    {0, 47044},  {1, 47045},  {2, 47046},  {3, 47047},  {4, 47048},  {7, 47049},  {8, 47050},  {9, 47051},
    {10, 47052}, {13, 47053}, {14, 47054}, {15, 47055}, {16, 47056}, {17, 47057}, {35, 47064}, {20, 47058},
    {21, 47059}, {22, 47060}, {23, 47061}, {33, 47062}, {34, 47063}, {64, 47080},
}};

// The row of a code, or -1 when it has none.
constexpr int FindLedWorkModeRow(std::uint32_t code)
{
    for (std::size_t i = 0; i < LedWorkModeTable.size(); ++i) {
        if (LedWorkModeTable[i].code == code)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace dialogs
