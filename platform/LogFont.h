#pragma once
// The font description stored in item records and grid streams: 92 bytes,
// five 32-bit values, eight bytes and a face name of 32 UTF-16 units.
// No Qt here, so the grid model can use it too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct LOGFONT {
    std::int32_t lfHeight = 0;
    std::int32_t lfWidth = 0;
    std::int32_t lfEscapement = 0;
    std::int32_t lfOrientation = 0;
    std::int32_t lfWeight = 0;
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;
    std::uint8_t lfOutPrecision = 0;
    std::uint8_t lfClipPrecision = 0;
    std::uint8_t lfQuality = 0;
    std::uint8_t lfPitchAndFamily = 0;
    char16_t lfFaceName[32] = {};

    bool operator==(const LOGFONT&) const = default;
};

inline constexpr std::size_t LOGFONT_SIZE = 92;
// No padding: member-wise equality is byte equality.
static_assert(sizeof(LOGFONT) == LOGFONT_SIZE);

void WriteLogFont(const LOGFONT& font, std::uint8_t* out);
LOGFONT ReadLogFont(const std::uint8_t* in);

std::u16string LogFontFaceName(const LOGFONT& font);
// Cut to 31 units and a terminator.
void SetLogFontFaceName(LOGFONT& font, std::u16string_view face);
