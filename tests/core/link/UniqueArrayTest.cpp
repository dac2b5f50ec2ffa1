#include "core/link/Adapters.h"
#include "core/link/UniqueArray.h"
#include "core/model/Core.h"

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
