#pragma once
// The entry and exit effects of content items: code, string id of the name
// and the item type whose panel offers the row. The effect panel lists the
// rows of type 0x100; clocks and counters choose theirs with buttons.
#include <array>
#include <cstdint>
#include <vector>

namespace panels {

struct EffectRow {
    std::uint8_t code;
    unsigned nameId;
    std::uint16_t itemType;
};

inline constexpr std::uint8_t kRandomEffect = 255;

inline constexpr std::array<EffectRow, 34> kEntryEffects{{
    {255, 47005, 0x100}, {0, 47006, 0x100},  {1, 47007, 0x100},  {2, 47008, 0x100},  {3, 47009, 0x100},
    {4, 47010, 0x100},   {5, 47011, 0x100},  {6, 47012, 0x100},  {7, 47013, 0x100},  {8, 47014, 0x100},
    {9, 47015, 0x100},   {10, 47016, 0x100}, {11, 47017, 0x100}, {12, 47018, 0x100}, {13, 47019, 0x100},
    {14, 47020, 0x100},  {15, 47021, 0x100}, {16, 47022, 0x100}, {17, 47023, 0x100}, {18, 47024, 0x100},
    {19, 47026, 0x100},  {20, 47027, 0x100}, {21, 47028, 0x100}, {22, 47029, 0x100}, {40, 47025, 0x100},
    {44, 47041, 0x201},  {45, 47042, 0x201}, {46, 47043, 0x201}, {66, 47041, 0x300}, {67, 47042, 0x300},
    {68, 47043, 0x300},  {76, 47041, 0x301}, {77, 47042, 0x301}, {78, 47043, 0x301},
}};

// 255, then codes 0 to 19 with strings 48173 + code.
constexpr std::array<EffectRow, 21> makeExitEffects()
{
    std::array<EffectRow, 21> rows{};
    rows[0] = {255, 47005, 0x100};
    for (unsigned i = 0; i < 20; ++i)
        rows[i + 1] = {static_cast<std::uint8_t>(i), 48173 + i, 0x100};
    return rows;
}
inline constexpr std::array<EffectRow, 21> kExitEffects = makeExitEffects();

// The rows of one item type, in table order.
template <std::size_t N>
std::vector<EffectRow> effectRowsOfType(const std::array<EffectRow, N>& table, std::uint16_t itemType)
{
    std::vector<EffectRow> out;
    for (const EffectRow& r : table)
        if (r.itemType == itemType)
            out.push_back(r);
    return out;
}

} // namespace panels
