// The steps of the screen_roundtrip fuzz target: each one an operator's
// edit through the core's interface, read from the fuzz input. The seeds
// (fuzz/MakeSeeds.cpp) write them with ScreenScript.
#pragma once

#include <cstdint>
#include <vector>

namespace screenscript {

enum Op : std::uint8_t {
    OP_SCENE,      // u8 kind (odd: the global scene), u8 scene to follow (beyond: the last)
    OP_SECTION,    // u8 scene, u8 window kind
    OP_ITEM,       // u8 section, u8 item kind
    OP_DELETE,     // u16 node
    OP_RECT,       // u16 section, u16 x, y, w, h
    OP_FRAME,      // u16 node, u8 width, u8 element type
    OP_SETTING,    // u8 field, u32 value
    OP_ANSWER,     // 52 bytes: a hardware answer, applied when it is allowed
    OP_SIZE,       // u16 width, u16 height of the screen
    OP_TEXT,       // u16 item, u16 length, u8 fill (odd: the characters follow)
    OP_NAME,       // u16 node, u8 length, the characters
    OP_TABLE,      // u16 item, u16 length, the stream
    OP_RECORD,     // u16 item, u16 offset, u8 value: a byte of a text item's record (its slot excepted)
    OP_COUNT
};

// Item kinds, by the index OP_ITEM names.
inline constexpr std::uint16_t kItemKinds[] = {0x10, 0x100, 0x101, 0x102, 0x103, 0x104, 0x200, 0x201, 0x300, 0x301};

class Writer {
public:
    Writer& op(Op o) { return u8(o); }
    Writer& u8(unsigned v)
    {
        m_bytes.push_back(std::uint8_t(v));
        return *this;
    }
    Writer& u16(unsigned v) { return u8(v & 0xFF).u8(v >> 8); }
    Writer& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace screenscript
