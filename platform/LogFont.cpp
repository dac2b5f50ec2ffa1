#include "platform/LogFont.h"
#include "platform/ByteIO.h"

#include <algorithm>
#include <iterator>

void WriteLogFont(const LOGFONT& f, std::uint8_t* out)
{
    bytes::put32(out, 0, static_cast<std::uint32_t>(f.lfHeight));
    bytes::put32(out, 4, static_cast<std::uint32_t>(f.lfWidth));
    bytes::put32(out, 8, static_cast<std::uint32_t>(f.lfEscapement));
    bytes::put32(out, 12, static_cast<std::uint32_t>(f.lfOrientation));
    bytes::put32(out, 16, static_cast<std::uint32_t>(f.lfWeight));
    bytes::put8(out, 20, f.lfItalic);
    bytes::put8(out, 21, f.lfUnderline);
    bytes::put8(out, 22, f.lfStrikeOut);
    bytes::put8(out, 23, f.lfCharSet);
    bytes::put8(out, 24, f.lfOutPrecision);
    bytes::put8(out, 25, f.lfClipPrecision);
    bytes::put8(out, 26, f.lfQuality);
    bytes::put8(out, 27, f.lfPitchAndFamily);
    bytes::putWide(out, 28, f.lfFaceName, 32);
}

LOGFONT ReadLogFont(const std::uint8_t* in)
{
    LOGFONT f;
    f.lfHeight = static_cast<std::int32_t>(bytes::get32(in, 0));
    f.lfWidth = static_cast<std::int32_t>(bytes::get32(in, 4));
    f.lfEscapement = static_cast<std::int32_t>(bytes::get32(in, 8));
    f.lfOrientation = static_cast<std::int32_t>(bytes::get32(in, 12));
    f.lfWeight = static_cast<std::int32_t>(bytes::get32(in, 16));
    f.lfItalic = bytes::get8(in, 20);
    f.lfUnderline = bytes::get8(in, 21);
    f.lfStrikeOut = bytes::get8(in, 22);
    f.lfCharSet = bytes::get8(in, 23);
    f.lfOutPrecision = bytes::get8(in, 24);
    f.lfClipPrecision = bytes::get8(in, 25);
    f.lfQuality = bytes::get8(in, 26);
    f.lfPitchAndFamily = bytes::get8(in, 27);
    bytes::getWide(in, 28, f.lfFaceName, 32);
    return f;
}

std::u16string LogFontFaceName(const LOGFONT& font)
{
    std::u16string s;
    for (char16_t c : font.lfFaceName) {
        if (!c)
            break;
        s.push_back(c);
    }
    return s;
}

void SetLogFontFaceName(LOGFONT& font, std::u16string_view face)
{
    constexpr std::size_t units = sizeof font.lfFaceName / sizeof font.lfFaceName[0];
    std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), u'\0');
    for (std::size_t i = 0; i < face.size() && i < units - 1; ++i)
        font.lfFaceName[i] = face[i];
}
