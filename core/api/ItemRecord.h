#pragma once
// The type record of a content item: a fixed-size little-endian image whose
// fields the painters and panels read through the schema, plus the text or memory
// file it owns. Pointer slots inside the image stay 0; the owned parts live
// in the members beside it.
#include "core/api/Export.h"
#include "core/api/TypeRecords.h"
#include "platform/LogFont.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

// Default text of rich-text and animated-text items.
extern const char16_t DEFAULT_RTF_TEXT[];

constexpr std::size_t SINGLELINE_RECORD_SIZE = records::singleline::Size;
constexpr std::size_t TEXT_RECORD_SIZE = records::richtext::Size;
constexpr std::size_t IMAGE_RECORD_SIZE = records::picture::Size;
constexpr std::size_t GRID_RECORD_SIZE = records::table::Size;
constexpr std::size_t TEXTGIF_RECORD_SIZE = records::textgif::Size;
constexpr std::size_t CLOCK_RECORD_SIZE = records::clocksimul::Size;
constexpr std::size_t COUNT_RECORD_SIZE = records::counter::Size;
static_assert(records::clockdigit::Size == records::clocksimul::Size);

class ItemRecord;
// The core's stored-image reader and writer, the record's friends.
namespace sorvane::model {
ItemRecord* ReadTypeRecord(std::uint16_t, const std::uint8_t*, std::size_t);
std::vector<std::uint8_t> WriteTypeRecord(const ItemRecord&);
}

class SORVANE_API ItemRecord {
public:
    enum class Owned { None, Text, MemFile };

    // A record with the defaults of a new item of this type; null for types without one.
    static ItemRecord* Create(std::uint16_t type);

    std::uint16_t type() const { return m_type; }
    Owned owned() const { return m_owned; }
    std::size_t size() const { return m_bytes.size(); }
    const std::uint8_t* data() const { return m_bytes.data(); }

    // Fields of the schema (core/api/TypeRecords.h). A field that does not
    // lie wholly inside the record reads as 0 (a font: all zero, a string:
    // empty) and is not written (false).
    std::uint8_t get(records::U8 f) const;
    std::uint16_t get(records::U16 f) const;
    std::uint32_t get(records::U32 f) const;
    LOGFONT get(records::Font f) const;
    QString get(records::Chars f) const;   // up to its terminator or the field's end
    bool set(records::U8 f, std::uint8_t v);
    bool set(records::U16 f, std::uint16_t v);
    bool set(records::U32 f, std::uint32_t v);
    bool set(records::Font f, const LOGFONT& v);
    // Writes the text and zero-fills the rest of the field; false (nothing
    // written) when it would not leave room for the terminator.
    bool set(records::Chars f, const QString& text);
    // Zero-fills the whole fixed record.
    void clearFields();

    // Lays the first min(n, size()) bytes of a stored record over this one;
    // the slot of the owned part stays 0. Returns the bytes taken.
    std::size_t assignBytes(const std::uint8_t* in, std::size_t n);

    // Owned wide text (single line, rich text, animated text); set through records::SetItemText.
    const QString& text() const { return m_text; }
    // Owned memory file (table: the grid stream); set through records::SetItemTableStream.
    const QByteArray& memFile() const { return m_memFile; }

private:
    ItemRecord(std::uint16_t type, std::size_t size, Owned owned, std::size_t slot);
    friend ItemRecord* sorvane::model::ReadTypeRecord(std::uint16_t, const std::uint8_t*, std::size_t);
    friend std::vector<std::uint8_t> sorvane::model::WriteTypeRecord(const ItemRecord&);
    friend bool records::SetItemText(tagItemData*, const QString&);
    friend bool records::SetItemTableStream(tagItemData*, const QByteArray&);

    bool holds(std::size_t off, std::size_t width) const { return off <= size() && width <= size() - off; }

    std::uint16_t m_type;
    Owned m_owned;
    std::size_t m_slot;   // offset of the pointer slot of the owned part
    std::vector<std::uint8_t> m_bytes;
    QString m_text;
    QByteArray m_memFile;
};

// Size of the fixed record of an item type (0 for types without one).
SORVANE_API std::size_t TypeRecordSizeOf(std::uint16_t type);

// Stored size: the record and its owned text (2 bytes per unit) or memory file.
SORVANE_API std::uint32_t TypeRecordPayloadSize(const ItemRecord& record);
