#include "core/link/Adapters.h"
#include "core/api/UniqueArray.h"
#include "core/api/Core.h"

#include <gtest/gtest.h>
#include <cstring>

TEST(UniqueArray, TextsCompareExactCase)
{
    CUniqueArray<QString> list;
    EXPECT_EQ(list.Add(QStringLiteral("COM3")), 0);
    EXPECT_EQ(list.Add(QStringLiteral("com3")), 1);
    EXPECT_EQ(list.Add(QStringLiteral("COM3")), 0);
    EXPECT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list.Find(QStringLiteral("Com3")), -1);
    EXPECT_EQ(list.Find(QStringLiteral("com3")), 1);
}

TEST(UniqueArray, RecordsCompareByteForByte)
{
    CCore::WanInfo a;
    std::memset(&a, 0, sizeof a);
    a.Address = 3;
    a.Ip = 0x0100007F;
    a.Port = 8080;
    CCore::WanInfo b = a;
    b.Reserved[1] = 1;   // differs only in a reserved byte
    CUniqueArray<CCore::WanInfo> list;
    EXPECT_EQ(list.Add(a), 0);
    EXPECT_EQ(list.Add(b), 1);
    EXPECT_EQ(list.Add(a), 0);
    EXPECT_EQ(list.Find(b), 1);

    pcapdevinfo x;
    std::memset(&x, 0, sizeof x);
    std::strcpy(x.name, "eth0");
    pcapdevinfo y = x;
    y.reserved1[63] = 9;
    CUniqueArray<pcapdevinfo> adapters;
    EXPECT_EQ(adapters.Add(x), 0);
    EXPECT_EQ(adapters.Add(y), 1);
    EXPECT_EQ(adapters.Add(y), 1);
    EXPECT_EQ(adapters.GetSize(), 2);
}

TEST(UniqueArray, RemoveAtMovesTheRestDownAndCopyReplaces)
{
    CUniqueArray<int> list;
    for (int v : {5, 6, 7})
        list.Add(v);
    list.RemoveAt(0);
    list.RemoveAt(7);   // out of range: nothing
    ASSERT_EQ(list.GetSize(), 2);
    EXPECT_EQ(list[0], 6);
    EXPECT_EQ(list[1], 7);
    EXPECT_EQ(list.Find(5), -1);

    CUniqueArray<int> other;
    other.Add(1);
    other.Copy(list);
    EXPECT_EQ(other.items(), (std::vector<int>{6, 7}));
    other.Copy(other);
    EXPECT_EQ(other.GetSize(), 2);
}

TEST(UniqueArray, IndexesOutsideTheListFailWithoutThrowing)
{
    CUniqueArray<QString> names;
    names.Add(QStringLiteral("ttyS0"));
    QString out = QStringLiteral("kept");
    EXPECT_FALSE(names.GetAt(1, out));
    EXPECT_FALSE(names.GetAt(-1, out));
    EXPECT_EQ(out, QStringLiteral("kept"));
    ASSERT_TRUE(names.GetAt(0, out));
    EXPECT_EQ(out, QStringLiteral("ttyS0"));
    EXPECT_TRUE(names[5].isEmpty());
    EXPECT_EQ(names[0], QStringLiteral("ttyS0"));

    CUniqueArray<int> ints;
    EXPECT_EQ(ints[0], 0);
    // Callers see the elements read-only: only the list's own operations
    // change them, so no two can become equal.
    static_assert(std::is_const_v<std::remove_reference_t<decltype(ints.items())>>);
    static_assert(std::is_const_v<std::remove_reference_t<decltype(ints[0])>>);
}

TEST(UniqueArray, StoredFormIsTheCountThenTheElements)
{
    CUniqueArray<unsigned short> ports;
    ports.Add(8080);
    ports.Add(0x1234);
    std::vector<std::uint8_t> out;
    ports.Store(out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{2, 0, 0, 0, 0x90, 0x1F, 0x34, 0x12}));

    CUniqueArray<QString> names;
    names.Add(QStringLiteral("ab"));
    names.Add(QString());
    names.Add(QString::fromUtf16(u"\u4E2D"));
    out.clear();
    names.Store(out);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{3, 0, 0, 0, 2, 0, 0, 0, 'a', 0, 'b', 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x2D, 0x4E}));
    CUniqueArray<QString> back;
    std::size_t used = 0;
    out.push_back(0xEE);   // bytes after the list are not read
    ASSERT_TRUE(back.Load(out.data(), out.size(), &used));
    EXPECT_EQ(used, out.size() - 1);
    EXPECT_EQ(back.items(), names.items());

    CCore::WanInfo w;
    std::memset(&w, 0, sizeof w);
    w.Address = 7;
    w.Ip = 0x0100007F;
    w.Port = 9000;
    CUniqueArray<CCore::WanInfo> records;
    records.Add(w);
    out.clear();
    records.Store(out);
    ASSERT_EQ(out.size(), 4u + sizeof w);
    EXPECT_EQ(out[4], 7);
    EXPECT_EQ(out[8], 0x7F);
    CUniqueArray<CCore::WanInfo> recordsBack;
    ASSERT_TRUE(recordsBack.Load(out.data(), out.size()));
    EXPECT_EQ(recordsBack.Find(w), 0);
}

TEST(UniqueArray, DamagedStoredListsAreRefusedAndChangeNothing)
{
    CUniqueArray<QString> names;
    names.Add(QStringLiteral("one"));
    names.Add(QStringLiteral("two"));
    std::vector<std::uint8_t> good;
    names.Store(good);

    CUniqueArray<QString> target;
    target.Add(QStringLiteral("before"));
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(target.Load(good.data(), n)) << n;
    EXPECT_FALSE(target.Load(nullptr, 10));
    // A count far beyond the bytes, and a list holding one name twice.
    std::vector<std::uint8_t> huge{0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    EXPECT_FALSE(target.Load(huge.data(), huge.size()));
    std::vector<std::uint8_t> twice{2, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 1, 0, 0, 0, 'x', 0};
    EXPECT_FALSE(target.Load(twice.data(), twice.size()));
    EXPECT_EQ(target.items(), std::vector<QString>{QStringLiteral("before")});

    CUniqueArray<int> ints;
    std::vector<std::uint8_t> dup{2, 0, 0, 0, 5, 0, 0, 0, 5, 0, 0, 0};
    EXPECT_FALSE(ints.Load(dup.data(), dup.size()));
    dup[8] = 6;
    ASSERT_TRUE(ints.Load(dup.data(), dup.size()));
    EXPECT_EQ(ints.items(), (std::vector<int>{5, 6}));
}
