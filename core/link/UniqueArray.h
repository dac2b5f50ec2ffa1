#pragma once
// A dynamic array that holds no two equal elements. Text elements compare as
// exact text; every other element compares byte for byte.
#include <QString>
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
    const T& GetAt(int i) const { return m_items.at(static_cast<std::size_t>(i)); }
    T& ElementAt(int i) { return m_items.at(static_cast<std::size_t>(i)); }
    const T& operator[](int i) const { return GetAt(i); }
    T& operator[](int i) { return ElementAt(i); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    std::vector<T>& items() { return m_items; }
    const std::vector<T>& items() const { return m_items; }

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

    std::vector<T> m_items;
};
