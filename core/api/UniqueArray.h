#pragma once
// A dynamic array that holds no two equal elements. Text elements compare as
// exact text; every other element compares byte for byte. Nothing here
// throws: an index outside the list is a failure result, and elements
// change only through Add, RemoveAt, Copy and Load, which keep them unique.
#include <QString>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

template <typename T>
class CUniqueArray {
public:
    int Add(const T& value)
    {
        const int at = Find(value);
        if (at >= 0)
            return at;
        m_items.push_back(value);
        return static_cast<int>(m_items.size()) - 1;
    }

    int Find(const T& value) const
    {
        for (std::size_t i = 0; i < m_items.size(); ++i)
            if (equal(m_items[i], value))
                return static_cast<int>(i);
        return -1;
    }

    void RemoveAt(int index)
    {
        if (index >= 0 && index < GetSize())
            m_items.erase(m_items.begin() + index);
    }

    void Copy(const CUniqueArray& other)
    {
        if (this != &other)
            m_items = other.m_items;
    }

    void RemoveAll() { m_items.clear(); }
    int GetSize() const { return static_cast<int>(m_items.size()); }
    bool IsEmpty() const { return m_items.empty(); }

    // The element at an index: false (out untouched) outside the list.
    bool GetAt(int i, T& out) const
    {
        if (i < 0 || i >= GetSize())
            return false;
        out = m_items[static_cast<std::size_t>(i)];
        return true;
    }
    // Outside the list: a zero element.
    const T& operator[](int i) const
    {
        static const T none{};
        return i >= 0 && i < GetSize() ? m_items[static_cast<std::size_t>(i)] : none;
    }

    // Reordering keeps the elements as they are, so they stay unique.
    template <typename Less>
    void StableSort(Less less)
    {
        std::stable_sort(m_items.begin(), m_items.end(), less);
    }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    const std::vector<T>& items() const { return m_items; }

    // Stored form: the element count (32-bit), then the elements; a text as
    // its length in UTF-16 units (32-bit) and the units, any other element
    // as its bytes. Little-endian.
    void Store(std::vector<std::uint8_t>& out) const
    {
        putWord(out, static_cast<std::uint32_t>(m_items.size()));
        for (const T& item : m_items) {
            if constexpr (std::is_same_v<T, QString>) {
                putWord(out, static_cast<std::uint32_t>(item.size()));
                for (QChar c : item) {
                    out.push_back(static_cast<std::uint8_t>(c.unicode()));
                    out.push_back(static_cast<std::uint8_t>(c.unicode() >> 8));
                }
            } else {
                std::uint8_t raw[sizeof(T)];
                std::memcpy(raw, &item, sizeof(T));
                if constexpr (std::is_integral_v<T>)
                    toLittleEndian(raw);
                out.insert(out.end(), raw, raw + sizeof(T));
            }
        }
    }

    // Replaces the content with a stored list. False, with the list
    // unchanged, when the input is cut short or holds two equal elements.
    // *used receives the bytes read.
    bool Load(const std::uint8_t* in, std::size_t length, std::size_t* used = nullptr)
    {
        std::size_t at = 0;
        std::uint32_t count = 0;
        if (!in || !getWord(in, length, at, count))
            return false;
        const std::size_t least = std::is_same_v<T, QString> ? 4 : sizeof(T);
        if (count > (length - at) / least)
            return false;
        CUniqueArray loaded;
        loaded.m_items.reserve(count);
        for (std::uint32_t n = 0; n < count; ++n) {
            T item{};
            if constexpr (std::is_same_v<T, QString>) {
                std::uint32_t units = 0;
                if (!getWord(in, length, at, units) || units > (length - at) / 2)
                    return false;
                item.resize(static_cast<qsizetype>(units));
                for (std::uint32_t i = 0; i < units; ++i, at += 2)
                    item[static_cast<qsizetype>(i)] = QChar(static_cast<char16_t>(in[at] | (in[at + 1] << 8)));
            } else {
                std::uint8_t raw[sizeof(T)];
                std::memcpy(raw, in + at, sizeof(T));
                if constexpr (std::is_integral_v<T>)
                    toLittleEndian(raw);
                std::memcpy(&item, raw, sizeof(T));
                at += sizeof(T);
            }
            if (loaded.Find(item) >= 0)
                return false;
            loaded.m_items.push_back(std::move(item));
        }
        m_items.swap(loaded.m_items);
        if (used)
            *used = at;
        return true;
    }

private:
    static bool equal(const T& a, const T& b)
    {
        if constexpr (std::is_same_v<T, QString>) {
            return a == b;
        } else {
            static_assert(std::is_trivially_copyable_v<T>, "byte comparison needs plain records");
            return std::memcmp(&a, &b, sizeof(T)) == 0;
        }
    }

    // Integers are kept in machine order; the stored form is little-endian
    // (the same swap converts either way).
    static void toLittleEndian(std::uint8_t* raw)
    {
        if constexpr (std::endian::native == std::endian::big)
            std::reverse(raw, raw + sizeof(T));
    }

    static void putWord(std::vector<std::uint8_t>& out, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }

    static bool getWord(const std::uint8_t* in, std::size_t length, std::size_t& at, std::uint32_t& v)
    {
        if (length - at < 4)
            return false;
        v = std::uint32_t(in[at]) | (std::uint32_t(in[at + 1]) << 8) | (std::uint32_t(in[at + 2]) << 16)
            | (std::uint32_t(in[at + 3]) << 24);
        at += 4;
        return true;
    }

    std::vector<T> m_items;
};
