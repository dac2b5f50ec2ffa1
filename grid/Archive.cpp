#include "grid/Archive.h"

#include "platform/CodePage.h"

namespace grid {

void ArchiveWriter::U16(std::uint16_t v)
{
    U8(std::uint8_t(v));
    U8(std::uint8_t(v >> 8));
}

void ArchiveWriter::U32(std::uint32_t v)
{
    U16(std::uint16_t(v));
    U16(std::uint16_t(v >> 16));
}

void ArchiveWriter::String(std::u16string_view text)
{
    U8(0xFF);
    U16(0xFFFE);
    const std::size_t n = text.size();
    if (n < 0xFF) {
        U8(std::uint8_t(n));
    } else if (n < 0xFFFE) {
        U8(0xFF);
        U16(std::uint16_t(n));
    } else {
        U8(0xFF);
        U16(0xFFFF);
        U32(std::uint32_t(n));
    }
    for (char16_t c : text)
        U16(c);
}

void ArchiveWriter::Name(std::string_view name)
{
    U32(std::uint32_t(name.size() + 1));
    Bytes(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
    U8(0);
}

void ArchiveReader::Need(std::size_t n) const
{
    if (n > Remaining())
        throw GridStreamError(GridStreamError::EndOfFile, "The grid stream ends early.");
}

std::uint8_t ArchiveReader::U8()
{
    Need(1);
    return data_[pos_++];
}

std::uint16_t ArchiveReader::U16()
{
    Need(2);
    std::uint16_t v = std::uint16_t(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t ArchiveReader::U32()
{
    Need(4);
    std::uint32_t v = std::uint32_t(data_[pos_]) | (std::uint32_t(data_[pos_ + 1]) << 8)
                      | (std::uint32_t(data_[pos_ + 2]) << 16) | (std::uint32_t(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return v;
}

const std::uint8_t* ArchiveReader::Bytes(std::size_t n)
{
    Need(n);
    const std::uint8_t* p = data_.data() + pos_;
    pos_ += n;
    return p;
}

std::u16string ArchiveReader::String()
{
    bool wide = false;
    std::uint32_t n = U8();
    if (n == 0xFF) {
        n = U16();
        if (n == 0xFFFE) {
            wide = true;
            n = U8();
            if (n == 0xFF)
                n = U16();
        }
        if (n == 0xFFFF)
            n = U32();
    }
    if (wide) {
        Need(std::size_t(n) * 2);
        std::u16string s;
        s.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i)
            s.push_back(char16_t(U16()));
        return s;
    }
    const std::uint8_t* p = Bytes(n);
    return platform::decodeBytes(std::string_view(reinterpret_cast<const char*>(p), n), platform::ansiCodePage());
}

std::string ArchiveReader::Name(const char* tooLongText)
{
    std::uint32_t n = U32();
    if (n > 128)
        throw GridStreamError(GridStreamError::NameTooLong, tooLongText);
    const std::uint8_t* p = Bytes(n);
    std::string name(reinterpret_cast<const char*>(p), n);
    std::size_t nul = name.find('\0');
    if (nul != std::string::npos)
        name.resize(nul);
    return name;
}

}   // namespace grid
