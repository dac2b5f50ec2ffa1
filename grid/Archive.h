// Little-endian archive of the grid stream: numbers, archive strings (with the
// FF FEFF prefix for UTF-16 text) and narrow names. The reader checks every
// length against the data left, so it never reads past the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace grid {

class GridStreamError : public std::runtime_error {
public:
    enum Kind { UserAbort, EndOfFile, BadData, NameTooLong };
    GridStreamError(Kind kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

class ArchiveWriter {
public:
    void U8(std::uint8_t v) { data_.push_back(v); }
    void U16(std::uint16_t v);
    void U32(std::uint32_t v);
    void I32(std::int32_t v) { U32(std::uint32_t(v)); }
    void Bytes(const std::uint8_t* p, std::size_t n) { data_.insert(data_.end(), p, p + n); }
    void String(std::u16string_view text);
    void Name(std::string_view name);
    const std::vector<std::uint8_t>& Data() const { return data_; }
    std::vector<std::uint8_t>& Data() { return data_; }

private:
    std::vector<std::uint8_t> data_;
};

class ArchiveReader {
public:
    explicit ArchiveReader(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::int32_t I32() { return std::int32_t(U32()); }
    const std::uint8_t* Bytes(std::size_t n);
    // Prefix-less strings are single bytes of the ANSI code page.
    std::u16string String();
    // Names longer than 128 bytes are refused with tooLongText.
    std::string Name(const char* tooLongText);
    std::size_t Remaining() const { return data_.size() - pos_; }
    std::size_t Position() const { return pos_; }
    // Back to a position read before (never past the end).
    void Seek(std::size_t pos) { pos_ = pos < data_.size() ? pos : data_.size(); }

private:
    void Need(std::size_t n) const;
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

}   // namespace grid
