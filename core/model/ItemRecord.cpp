#include "core/model/ItemRecord.h"
#include "platform/ByteIO.h"
#include "core/model/ItemTypes.h"

#include <algorithm>
#include <cstring>

const char16_t DEFAULT_RTF_TEXT[] =
    uR"({\rtf1\ansi\deff0{\fonttbl{\f0\fnil\fprq12\fcharset134 \'cb\'ce\'cc\'e5;}}{\colortbl ;\red255\green255\blue0;}\viewkind4\uc1\pard\sl-240\slmult0\cf1\lang2052\f0\fs20 123456\par})";

namespace {
constexpr std::size_t NO_SLOT = ~std::size_t(0);

struct Shape {
    std::size_t size;
    ItemRecord::Owned owned;
    std::size_t slot;
};

Shape shapeOf(std::uint16_t type)
{
    switch (type) {
    case IT_SINGLELINE: return {SINGLELINE_RECORD_SIZE, ItemRecord::Owned::Text, 108};
    case IT_TEXT: return {TEXT_RECORD_SIZE, ItemRecord::Owned::Text, 272};
    case IT_IMAGE:
    case IT_GIF: return {IMAGE_RECORD_SIZE, ItemRecord::Owned::None, NO_SLOT};
    case IT_GRID: return {GRID_RECORD_SIZE, ItemRecord::Owned::MemFile, 16};
    case IT_TEXTGIF: return {TEXTGIF_RECORD_SIZE, ItemRecord::Owned::Text, 16};
    case IT_CLOCKSIMUL:
    case IT_CLOCKDIGIT: return {CLOCK_RECORD_SIZE, ItemRecord::Owned::None, NO_SLOT};
    case IT_COUNT:
    case IT_COUNT2: return {COUNT_RECORD_SIZE, ItemRecord::Owned::None, NO_SLOT};
    default: return {0, ItemRecord::Owned::None, NO_SLOT};
    }
}
}

ItemRecord::ItemRecord(std::uint16_t type, std::size_t size, Owned owned, std::size_t slot)
    : m_type(type), m_owned(owned), m_slot(slot), m_bytes(size, 0)
{
}

std::size_t TypeRecordSizeOf(std::uint16_t type) { return shapeOf(type).size; }

ItemRecord* ItemRecord::Create(std::uint16_t type)
{
    const Shape s = shapeOf(type);
    if (s.size == 0)
        return nullptr;
    auto* r = new ItemRecord(type, s.size, s.owned, s.slot);
    const LOGFONT font = DefaultLogFont();
    switch (type) {
    case IT_SINGLELINE:
        r->setU8(3, 1);
        r->setFont(8, font);
        r->setU32(100, 0xFFFF);
        r->Text = QStringLiteral("Singleline");
        break;
    case IT_TEXT:
        r->setU8(9, 0);
        r->Text = QString::fromUtf16(DEFAULT_RTF_TEXT);
        break;
    case IT_IMAGE:
    case IT_GIF:
        r->setU32(0, type == IT_GIF ? 1 : 0);
        r->setU8(4, 0);
        break;
    case IT_GRID:
        r->MemFile.reserve(1024);
        break;
    case IT_TEXTGIF:
        r->setU16(0, 0);
        r->setU16(2, 0);
        r->setU32(4, 0);
        r->setU32(8, 100);
        r->Text = QString::fromUtf16(DEFAULT_RTF_TEXT);
        break;
    case IT_CLOCKSIMUL: {
        static const std::pair<std::size_t, std::uint32_t> words[] = {
            {20, 0xFFFFFF}, {24, 0xFFFF}, {28, 0x8080}, {40, 0xFFFF}, {44, 0xFFFFFF}, {52, 0xFFFF},
            {56, 0xFF},     {60, 0xFF},   {64, 0xFF},   {132, 0},    {136, 1},        {140, 0},
            {144, 4},       {148, 0},     {1040, 3},    {1044, 92},  {1048, 86},      {1052, 72},
            {1056, 1},      {1060, 4},    {1064, 6},
        };
        for (const auto& [off, v] : words)
            r->setU32(off, v);
        r->setFont(152, font);
        r->setFont(244, font);
        r->setFont(336, font);
        break;
    }
    case IT_CLOCKDIGIT:
        r->setU32(20, 0);
        r->setU32(24, 127);
        r->setFont(28, font);
        r->setU32(120, 0xFFFF);
        break;
    case IT_COUNT:
    case IT_COUNT2:
        r->setU32(0, type == IT_COUNT2 ? 1 : 0);
        r->setU32(4, 0);
        r->setU32(8, 255);
        r->setFont(12, font);
        r->setU32(104, 0xFFFF);
        break;
    default:
        break;
    }
    return r;
}

std::uint8_t ItemRecord::u8(std::size_t off) const { return holds(off, 1) ? m_bytes[off] : 0; }
std::uint16_t ItemRecord::u16(std::size_t off) const { return holds(off, 2) ? bytes::get16(m_bytes.data(), off) : 0; }
std::uint32_t ItemRecord::u32(std::size_t off) const { return holds(off, 4) ? bytes::get32(m_bytes.data(), off) : 0; }
LOGFONT ItemRecord::font(std::size_t off) const
{
    return holds(off, LOGFONT_SIZE) ? ReadLogFont(m_bytes.data() + off) : LOGFONT{};
}

bool ItemRecord::setU8(std::size_t off, std::uint8_t v)
{
    if (!holds(off, 1))
        return false;
    m_bytes[off] = v;
    return true;
}

bool ItemRecord::setU16(std::size_t off, std::uint16_t v)
{
    if (!holds(off, 2))
        return false;
    bytes::put16(m_bytes.data(), off, v);
    return true;
}

bool ItemRecord::setU32(std::size_t off, std::uint32_t v)
{
    if (!holds(off, 4))
        return false;
    bytes::put32(m_bytes.data(), off, v);
    return true;
}

bool ItemRecord::setFont(std::size_t off, const LOGFONT& f)
{
    if (!holds(off, LOGFONT_SIZE))
        return false;
    WriteLogFont(f, m_bytes.data() + off);
    return true;
}

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

std::uint32_t TypeRecordPayloadSize(const ItemRecord& r)
{
    std::uint32_t n = static_cast<std::uint32_t>(r.size());
    if (r.owned() == ItemRecord::Owned::Text)
        n += 2u * static_cast<std::uint32_t>(r.Text.size());
    else if (r.owned() == ItemRecord::Owned::MemFile)
        n += static_cast<std::uint32_t>(r.MemFile.size());
    return n;
}

std::vector<std::uint8_t> WriteTypeRecord(const ItemRecord& r)
{
    std::vector<std::uint8_t> out(r.m_bytes);
    if (r.m_slot != NO_SLOT)
        bytes::put32(out.data(), r.m_slot, 0);
    if (r.owned() == ItemRecord::Owned::Text) {
        const std::size_t at = out.size();
        out.resize(at + 2 * static_cast<std::size_t>(r.Text.size()));
        bytes::putWide(out.data(), at, reinterpret_cast<const char16_t*>(r.Text.utf16()),
                       static_cast<std::size_t>(r.Text.size()));
    } else if (r.owned() == ItemRecord::Owned::MemFile) {
        out.insert(out.end(), r.MemFile.begin(), r.MemFile.end());
    }
    return out;
}

ItemRecord* ReadTypeRecord(std::uint16_t type, const std::uint8_t* in, std::size_t length)
{
    const Shape s = shapeOf(type);
    if (s.size == 0 || !in || length < s.size)
        return nullptr;
    const std::size_t rest = length - s.size;
    if (s.owned == ItemRecord::Owned::Text && rest % 2 != 0)
        return nullptr;
    auto* r = new ItemRecord(type, s.size, s.owned, s.slot);
    std::memcpy(r->m_bytes.data(), in, s.size);
    if (s.slot != NO_SLOT)
        bytes::put32(r->m_bytes.data(), s.slot, 0);
    if (s.owned == ItemRecord::Owned::Text) {
        std::u16string text(rest / 2, u'\0');
        bytes::getWide(in, s.size, text.data(), text.size());
        r->Text = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    } else if (s.owned == ItemRecord::Owned::MemFile) {
        r->MemFile = QByteArray(reinterpret_cast<const char*>(in + s.size), static_cast<qsizetype>(rest));
    }
    return r;
}
