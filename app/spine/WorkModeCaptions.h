#pragma once
// The LED work modes a controller knows: the code stored in a screen's "Type"
// field and the string id of its name. Every list that offers a work mode
// shows these rows in this order; lookups take the first row with the code.
#include "platform/LangPack.h"

#include <array>
#include <cstdint>

namespace spine {

struct WorkModeCaption {
    std::uint16_t code;
    unsigned nameId;
};

inline constexpr std::array<WorkModeCaption, 22> kWorkModeCaptions{{
    {0, 47044},  {1, 47045},  {2, 47046},  {3, 47047},  {4, 47048},  {7, 47049},
    {8, 47050},  {9, 47051},  {10, 47052}, {13, 47053}, {14, 47054}, {15, 47055},
    {16, 47056}, {17, 47057}, {35, 47064}, {20, 47058}, {21, 47059}, {22, 47060},
    {23, 47061}, {33, 47062}, {34, 47063}, {64, 47080},
}};

// The text shown for a model or a work mode without an entry.
inline constexpr unsigned kUnknownCaptionId = 48215;

// Row of the first entry with this code; -1 when none has it.
constexpr int workModeCaptionRow(int code)
{
    for (std::size_t i = 0; i < kWorkModeCaptions.size(); ++i)
        if (kWorkModeCaptions[i].code == code)
            return static_cast<int>(i);
    return -1;
}

// String id of the code's name, or of the "unknown" text.
constexpr unsigned workModeCaptionId(int code)
{
    const int row = workModeCaptionRow(code);
    return row < 0 ? kUnknownCaptionId : kWorkModeCaptions[static_cast<std::size_t>(row)].nameId;
}

inline QString workModeCaption(int code)
{
    return platform::langString(workModeCaptionId(code));
}

} // namespace spine
