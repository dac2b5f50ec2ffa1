#pragma once
// The one place where Windows colour values (0x00BBGGRR) meet Qt's QRgb (0xAARRGGBB).
#include <QColor>
#include <QRgb>
#include <cstdint>

namespace platform {

using COLORREF = std::uint32_t;

// 0x00BBGGRR -> opaque QRgb.
inline constexpr QRgb colorRefToRgb(COLORREF c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// QRgb -> 0x00BBGGRR (alpha dropped).
inline constexpr COLORREF rgbToColorRef(QRgb c)
{
    return ((c >> 16) & 0xFFu) | (c & 0xFF00u) | ((c & 0xFFu) << 16);
}

inline QColor toQColor(COLORREF c) { return QColor::fromRgb(colorRefToRgb(c)); }
inline COLORREF fromQColor(const QColor& c) { return rgbToColorRef(c.rgb()); }

inline constexpr COLORREF makeColorRef(unsigned r, unsigned g, unsigned b)
{
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}

// Exchanges the red and green bytes of a colour value (screens wired G/R).
inline constexpr COLORREF swapRedGreen(COLORREF c)
{
    return (c & 0xFFFF0000u) | ((c & 0xFFu) << 8) | ((c >> 8) & 0xFFu);
}

} // namespace platform
