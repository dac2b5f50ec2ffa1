#pragma once
// Helpers that build expected stored images by hand.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

inline void set16(Bytes& b, std::size_t off, std::uint16_t v)
{
    b.at(off) = v & 0xFF;
    b.at(off + 1) = v >> 8;
}
inline void set32(Bytes& b, std::size_t off, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(off + i) = (v >> (8 * i)) & 0xFF;
}
inline std::uint16_t get16(const Bytes& b, std::size_t off) { return static_cast<std::uint16_t>(b.at(off) | (b.at(off + 1) << 8)); }
inline std::uint32_t get32(const Bytes& b, std::size_t off)
{
    return std::uint32_t(get16(b, off)) | (std::uint32_t(get16(b, off + 2)) << 16);
}
inline void setWide(Bytes& b, std::size_t off, const std::u16string& s)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        set16(b, off + 2 * i, s[i]);
}
inline void setText(Bytes& b, std::size_t off, const std::string& s)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        b.at(off + i) = static_cast<std::uint8_t>(s[i]);
}
// The default font as stored: height 12, weight 400, charset 1, pitch and family 16, "宋体".
inline void setDefaultFont(Bytes& b, std::size_t off)
{
    set32(b, off, 12);
    set32(b, off + 16, 400);
    b.at(off + 23) = 1;
    b.at(off + 27) = 16;
    b.at(off + 28) = 0x8B;
    b.at(off + 29) = 0x5B;
    b.at(off + 30) = 0x53;
    b.at(off + 31) = 0x4F;
}
// Offsets where two images differ (empty when equal).
inline std::vector<std::size_t> diffOffsets(const Bytes& a, const Bytes& b)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < a.size() || i < b.size(); ++i)
        if (i >= a.size() || i >= b.size() || a[i] != b[i])
            out.push_back(i);
    return out;
}
