#include "grid/GridTypes.h"

#include <cstring>

namespace grid {

std::array<std::uint8_t, LogFont::kSize> LogFont::ToBytes() const
{
    std::array<std::uint8_t, kSize> b{};
    auto put32 = [&](std::size_t at, std::int32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = std::uint8_t(std::uint32_t(v) >> (8 * i));
    };
    put32(0, height);
    put32(4, width);
    put32(8, escapement);
    put32(12, orientation);
    put32(16, weight);
    const std::uint8_t small[8] = {italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily};
    std::memcpy(&b[20], small, 8);
    for (int i = 0; i < 32; ++i) {
        b[28 + 2 * i] = std::uint8_t(faceName[i]);
        b[29 + 2 * i] = std::uint8_t(faceName[i] >> 8);
    }
    return b;
}

LogFont LogFont::FromBytes(const std::uint8_t* b)
{
    auto get32 = [&](std::size_t at) {
        return std::int32_t(std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16)
                            | (std::uint32_t(b[at + 3]) << 24));
    };
    LogFont f;
    f.height = get32(0);
    f.width = get32(4);
    f.escapement = get32(8);
    f.orientation = get32(12);
    f.weight = get32(16);
    f.italic = b[20];
    f.underline = b[21];
    f.strikeOut = b[22];
    f.charSet = b[23];
    f.outPrecision = b[24];
    f.clipPrecision = b[25];
    f.quality = b[26];
    f.pitchAndFamily = b[27];
    for (int i = 0; i < 32; ++i)
        f.faceName[i] = char16_t(b[28 + 2 * i] | (b[29 + 2 * i] << 8));
    return f;
}

std::u16string LogFont::FaceName() const
{
    std::u16string s;
    for (char16_t c : faceName) {
        if (!c)
            break;
        s.push_back(c);
    }
    return s;
}

void LogFont::SetFaceName(std::u16string_view face)
{
    faceName.fill(0);
    for (std::size_t i = 0; i < face.size() && i < faceName.size() - 1; ++i)
        faceName[i] = face[i];
}

LogFont DefaultLogFont()
{
    LogFont f;
    f.height = -13;
    f.weight = 400;
    f.charSet = 134;
    f.SetFaceName(u"宋体");
    return f;
}

void InitBorderSpec(BorderSpec& spec)
{
    spec.lead = 0;
    for (int i = 0; i < 8; ++i) {
        spec.items[i].style = i < 6 ? std::int32_t(PS_SOLID) : std::int32_t(PS_NULL);
        spec.items[i].width = 0;
        spec.items[i].colour = 0x00FFFF;
        spec.items[i].apply = i < 6 ? 1 : 0;
    }
}

}   // namespace grid
