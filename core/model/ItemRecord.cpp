#include "core/api/ItemRecord.h"
#include "core/api/Core.h"
#include "core/api/OwnerThread.h"
#include "core/model/StoredRecords.h"
#include "platform/ByteIO.h"
#include "core/api/ItemTypes.h"
#include "core/model/ItemData.h"
#include "core/model/ItemKinds.h"

#include <algorithm>
#include <cstring>

using namespace sorvane::model;

const char16_t DEFAULT_RTF_TEXT[] =
    uR"({\rtf1\ansi\deff0{\fonttbl{\f0\fnil\fprq12\fcharset134 \'cb\'ce\'cc\'e5;}}{\colortbl ;\red255\green255\blue0;}\viewkind4\uc1\pard\sl-240\slmult0\cf1\lang2052\f0\fs20 123456\par})";

namespace {
constexpr std::size_t NO_SLOT = ~std::size_t(0);

// Longest owned text whose payload the 32-bit size word can still announce.
constexpr qsizetype MAX_TEXT_UNITS = (0xFFFFFFFFu - records::richtext::Size) / 2;
}

ItemRecord::ItemRecord(std::uint16_t type, std::size_t size, Owned owned, std::size_t slot)
    : m_type(type), m_owned(owned), m_slot(slot), m_bytes(size, 0)
{
}

std::size_t TypeRecordSizeOf(std::uint16_t type) { return itemKind(type).recordSize; }

ItemRecord* ItemRecord::Create(std::uint16_t type)
{
    const ItemKind& k = itemKind(type);
    if (k.recordSize == 0)
        return nullptr;
    auto* r = new ItemRecord(type, k.recordSize, k.owned, k.slot);
    if (k.initRecord)
        k.initRecord(*r, DefaultLogFont());
    if (k.defaultText)
        r->m_text = QString::fromUtf16(k.defaultText);
    if (k.owned == Owned::MemFile)
        r->m_memFile.reserve(1024);
    return r;
}

std::uint8_t ItemRecord::get(records::U8 f) const { return holds(f.Offset, 1) ? m_bytes[f.Offset] : 0; }
std::uint16_t ItemRecord::get(records::U16 f) const
{
    return holds(f.Offset, 2) ? bytes::get16(m_bytes.data(), f.Offset) : 0;
}
std::uint32_t ItemRecord::get(records::U32 f) const
{
    return holds(f.Offset, 4) ? bytes::get32(m_bytes.data(), f.Offset) : 0;
}
LOGFONT ItemRecord::get(records::Font f) const
{
    return holds(f.Offset, LOGFONT_SIZE) ? ReadLogFont(m_bytes.data() + f.Offset) : LOGFONT{};
}

QString ItemRecord::get(records::Chars f) const
{
    QString s;
    for (std::size_t i = 0; i < f.Count && holds(f.Offset + 2 * i, 2); ++i) {
        const char16_t c = bytes::get16(m_bytes.data(), f.Offset + 2 * i);
        if (c == 0)
            break;
        s.append(QChar(c));
    }
    return s;
}

bool ItemRecord::set(records::U8 f, std::uint8_t v)
{
    if (!holds(f.Offset, 1))
        return false;
    m_bytes[f.Offset] = v;
    return true;
}

bool ItemRecord::set(records::U16 f, std::uint16_t v)
{
    if (!holds(f.Offset, 2))
        return false;
    bytes::put16(m_bytes.data(), f.Offset, v);
    return true;
}

bool ItemRecord::set(records::U32 f, std::uint32_t v)
{
    if (!holds(f.Offset, 4))
        return false;
    bytes::put32(m_bytes.data(), f.Offset, v);
    return true;
}

bool ItemRecord::set(records::Font f, const LOGFONT& v)
{
    if (!holds(f.Offset, LOGFONT_SIZE))
        return false;
    WriteLogFont(v, m_bytes.data() + f.Offset);
    return true;
}

bool ItemRecord::set(records::Chars f, const QString& text)
{
    const auto n = static_cast<std::size_t>(text.size());
    if (f.Count == 0 || n > f.MaxLength() || !holds(f.Offset, 2 * f.Count))
        return false;
    // A NUL inside would end the text early on every later read.
    if (text.contains(QChar(u'\0')))
        return false;
    bytes::putWide(m_bytes.data(), f.Offset, reinterpret_cast<const char16_t*>(text.utf16()), n);
    std::fill(m_bytes.begin() + static_cast<std::ptrdiff_t>(f.Offset + 2 * n),
              m_bytes.begin() + static_cast<std::ptrdiff_t>(f.Offset + 2 * f.Count), 0);
    return true;
}

void ItemRecord::clearFields() { std::fill(m_bytes.begin(), m_bytes.end(), 0); }

std::size_t ItemRecord::assignBytes(const std::uint8_t* in, std::size_t n)
{
    if (!in)
        return 0;
    n = std::min(n, m_bytes.size());
    std::memcpy(m_bytes.data(), in, n);
    if (m_slot != NO_SLOT)
        bytes::put32(m_bytes.data(), m_slot, 0);
    return n;
}

bool records::SetItemText(tagItemData* item, const QString& text)
{
    SORVANE_ASSERT_NODE_OWNER(item);
    if (!item || item->Level != LEVEL_PROGRAM || !item->Item.TypeRecord)
        return false;
    ItemRecord& r = *item->Item.TypeRecord;
    if (r.m_owned != ItemRecord::Owned::Text || text.size() > MAX_TEXT_UNITS)
        return false;
    r.m_text = text;
    item->Item.TypeRecordSize = TypeRecordPayloadSize(r);
    CCore::NoteWritten(item);
    return true;
}

bool records::SetItemTableStream(tagItemData* item, const QByteArray& stream)
{
    SORVANE_ASSERT_NODE_OWNER(item);
    if (!item || item->Level != LEVEL_PROGRAM || !item->Item.TypeRecord)
        return false;
    ItemRecord& r = *item->Item.TypeRecord;
    if (r.m_owned != ItemRecord::Owned::MemFile
        || static_cast<std::uint64_t>(stream.size()) > 0xFFFFFFFFu - r.size())
        return false;
    r.m_memFile = stream;
    item->Item.TypeRecordSize = TypeRecordPayloadSize(r);
    CCore::NoteWritten(item);
    return true;
}

std::uint32_t TypeRecordPayloadSize(const ItemRecord& r)
{
    std::uint32_t n = static_cast<std::uint32_t>(r.size());
    if (r.owned() == ItemRecord::Owned::Text)
        n += 2u * static_cast<std::uint32_t>(r.text().size());
    else if (r.owned() == ItemRecord::Owned::MemFile)
        n += static_cast<std::uint32_t>(r.memFile().size());
    return n;
}

namespace sorvane::model {

std::vector<std::uint8_t> WriteTypeRecord(const ItemRecord& r)
{
    std::vector<std::uint8_t> out(r.m_bytes);
    if (r.m_slot != NO_SLOT)
        bytes::put32(out.data(), r.m_slot, 0);
    if (r.owned() == ItemRecord::Owned::Text) {
        const std::size_t at = out.size();
        out.resize(at + 2 * static_cast<std::size_t>(r.m_text.size()));
        bytes::putWide(out.data(), at, reinterpret_cast<const char16_t*>(r.m_text.utf16()),
                       static_cast<std::size_t>(r.m_text.size()));
    } else if (r.owned() == ItemRecord::Owned::MemFile) {
        out.insert(out.end(), r.m_memFile.begin(), r.m_memFile.end());
    }
    return out;
}

ItemRecord* ReadTypeRecord(std::uint16_t type, const std::uint8_t* in, std::size_t length)
{
    const ItemKind& s = itemKind(type);
    if (s.recordSize == 0 || !in || length < s.recordSize)
        return nullptr;
    const std::size_t rest = length - s.recordSize;
    if (s.owned == ItemRecord::Owned::Text && rest % 2 != 0)
        return nullptr;
    auto* r = new ItemRecord(type, s.recordSize, s.owned, s.slot);
    std::memcpy(r->m_bytes.data(), in, s.recordSize);
    if (s.slot != NO_SLOT)
        bytes::put32(r->m_bytes.data(), s.slot, 0);
    if (s.owned == ItemRecord::Owned::Text) {
        std::u16string text(rest / 2, u'\0');
        bytes::getWide(in, s.recordSize, text.data(), text.size());
        // Taken unit by unit: a decoder would drop a leading FEFF or replace a
        // lone surrogate, and the record would no longer store at its size.
        r->m_text = QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
    } else if (s.owned == ItemRecord::Owned::MemFile) {
        r->m_memFile = QByteArray(reinterpret_cast<const char*>(in + s.recordSize), static_cast<qsizetype>(rest));
    }
    return r;
}

} // namespace sorvane::model
