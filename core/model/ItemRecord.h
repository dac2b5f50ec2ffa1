#pragma once
#include "core/model/Export.h"
// The type record of a content item: a fixed-size little-endian image whose
// fields the painters and panels read by offset, plus the text or memory
// file it owns. Pointer slots inside the image stay 0; the owned parts live
// in the members beside it.
#include "core/model/LogFont.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

// Default text of rich-text and animated-text items.
extern const char16_t DEFAULT_RTF_TEXT[];

constexpr std::size_t SINGLELINE_RECORD_SIZE = 112;
constexpr std::size_t TEXT_RECORD_SIZE = 276;
constexpr std::size_t IMAGE_RECORD_SIZE = 16916;
constexpr std::size_t GRID_RECORD_SIZE = 20;
constexpr std::size_t TEXTGIF_RECORD_SIZE = 20;
constexpr std::size_t CLOCK_RECORD_SIZE = 1200;
constexpr std::size_t COUNT_RECORD_SIZE = 192;

class SORVANE_API ItemRecord {
public:
    enum class Owned { None, Text, MemFile };

    // A record with the defaults of a new item of this type; null for types without one.
    static ItemRecord* Create(std::uint16_t type);

    std::uint16_t type() const { return m_type; }
    Owned owned() const { return m_owned; }
    std::size_t size() const { return m_bytes.size(); }
    const std::uint8_t* data() const { return m_bytes.data(); }

    // Fields by offset. A field that does not lie wholly inside the record
    // reads as 0 (the font: all zero) and is not written (false).
    bool holds(std::size_t off, std::size_t width) const { return off <= size() && width <= size() - off; }
    std::uint8_t u8(std::size_t off) const;
    std::uint16_t u16(std::size_t off) const;
    std::uint32_t u32(std::size_t off) const;
    LOGFONT font(std::size_t off) const;
    bool setU8(std::size_t off, std::uint8_t v);
    bool setU16(std::size_t off, std::uint16_t v);
    bool setU32(std::size_t off, std::uint32_t v);
    bool setFont(std::size_t off, const LOGFONT& f);

    // Lays the first min(n, size()) bytes of a stored record over this one;
    // the slot of the owned part stays 0. Returns the bytes taken.
    std::size_t assignBytes(const std::uint8_t* in, std::size_t n);

    // Owned wide text (single line, rich text, animated text).
    QString Text;
    // Owned memory file (table: the grid stream).
    QByteArray MemFile;

private:
    ItemRecord(std::uint16_t type, std::size_t size, Owned owned, std::size_t slot);
    friend ItemRecord* ReadTypeRecord(std::uint16_t, const std::uint8_t*, std::size_t);
    friend std::vector<std::uint8_t> WriteTypeRecord(const ItemRecord&);

    std::uint16_t m_type;
    Owned m_owned;
    std::size_t m_slot;   // offset of the pointer slot of the owned part
    std::vector<std::uint8_t> m_bytes;
};

// Size of the fixed record of an item type (0 for types without one).
std::size_t TypeRecordSizeOf(std::uint16_t type);

// Stored size: the record and its owned text (2 bytes per unit) or memory file.
std::uint32_t TypeRecordPayloadSize(const ItemRecord& record);

// The record image (pointer slot 0) followed by its owned text or memory file.
std::vector<std::uint8_t> WriteTypeRecord(const ItemRecord& record);
// Reads a stored record of the given type; null for an unknown type, input
// shorter than the record, or a text of an odd number of bytes.
ItemRecord* ReadTypeRecord(std::uint16_t type, const std::uint8_t* in, std::size_t length);
