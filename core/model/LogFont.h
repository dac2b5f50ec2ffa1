#pragma once
// The font description kept inside item type records (stored as 92 bytes:
// five 32-bit values, eight bytes and a face name of 32 UTF-16 units).
#include <cstddef>
#include <cstdint>

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
};

constexpr std::size_t LOGFONT_SIZE = 92;

void WriteLogFont(const LOGFONT& font, std::uint8_t* out);
LOGFONT ReadLogFont(const std::uint8_t* in);

// The font new items start with: "宋体", height 12, weight 400.
LOGFONT DefaultLogFont();
