#pragma once
// Little-endian field access inside stored record images.
#include <cstddef>
#include <cstdint>

namespace bytes {

inline void put8(std::uint8_t* p, std::size_t off, std::uint8_t v) { p[off] = v; }

inline void put16(std::uint8_t* p, std::size_t off, std::uint16_t v)
{
    p[off] = static_cast<std::uint8_t>(v);
    p[off + 1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put32(std::uint8_t* p, std::size_t off, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline std::uint8_t get8(const std::uint8_t* p, std::size_t off) { return p[off]; }

inline std::uint16_t get16(const std::uint8_t* p, std::size_t off)
{
    return static_cast<std::uint16_t>(p[off] | (p[off + 1] << 8));
}

inline std::uint32_t get32(const std::uint8_t* p, std::size_t off)
{
    return std::uint32_t(p[off]) | (std::uint32_t(p[off + 1]) << 8) | (std::uint32_t(p[off + 2]) << 16)
        | (std::uint32_t(p[off + 3]) << 24);
}

// Wide text fields: UTF-16 units, little-endian.
inline void putWide(std::uint8_t* p, std::size_t off, const char16_t* text, std::size_t units)
{
    for (std::size_t i = 0; i < units; ++i)
        put16(p, off + 2 * i, static_cast<std::uint16_t>(text[i]));
}

inline void getWide(const std::uint8_t* p, std::size_t off, char16_t* text, std::size_t units)
{
    for (std::size_t i = 0; i < units; ++i)
        text[i] = static_cast<char16_t>(get16(p, off + 2 * i));
}

inline void putChars(std::uint8_t* p, std::size_t off, const char* text, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        p[off + i] = static_cast<std::uint8_t>(text[i]);
}

inline void getChars(const std::uint8_t* p, std::size_t off, char* text, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        text[i] = static_cast<char>(p[off + i]);
}

} // namespace bytes
