#include "core/link/FirmwareCatalogue.h"

#include "core/api/Core.h"

#include <initializer_list>

using namespace sorvane::link;
using namespace sorvane::model;

struct FirmwarePosition {
    unsigned key;
    FirmwareInfo info;
    FirmwarePosition* next;
};

namespace {

struct Row {
    unsigned id;
    const char* model;
    std::uint32_t version;
    int valueA;
    int valueB;
    int featureBits;
    std::initializer_list<unsigned> lists[5];   // sizes 1 to 4, pairs
};

// Build order; an entry's order field is its position here.
const Row kRows[] = {
    {0x0E020400, "VPA-E", 0x01030205, 3, 1, 0x01, {{0x010000C8, 0x018000C8, 0x02800096}, {0x02000040, 0x02800020}, {0x02000040, 0x02800020}, {}, {0x00010004, 0x00020004}}},
    {0x0E020200, "VPA-B", 0x01030205, 1, 1, 0x01, {{0x01000190, 0x020000C8, 0x04000064}, {0x04000080}, {0x04000040}, {}, {0x00010004, 0x00020004}}},
    {0x0E020D00, "VQ_2W", 0x01030608, 8, 9, 0x0D, {{0x00A00190, 0x014000C8, 0x02000064}, {0x02000020}, {0x02000020}, {0x02000010}, {0x00010004, 0x00020004}}},
    {0x0E030100, "VPA-U", 0x01030205, 3, 1, 0x05, {{0x010000C8, 0x018000C8, 0x02800096}, {0x02000040, 0x02800020}, {0x02000040, 0x02800020}, {}, {0x00010004, 0x00020004}}},
    {0x0E030300, "VPB-U", 0x01030608, 8, 9, 0x05, {{0x00800190, 0x0100012C, 0x018000C8, 0x02000096, 0x02800064}, {0x02000020, 0x02800010}, {0x02000020, 0x02800010}, {0x02000020, 0x02800010}, {0x00010001, 0x00020002}}},
    {0x0E030400, "VPB-M", 0x01030901, 8, 9, 0x05, {{0x00800190, 0x0100012C, 0x018000C8, 0x02000096, 0x04000064}, {0x02000030, 0x04000010}, {0x01000020, 0x02000010}, {0x01000010}, {0x00010004, 0x00020004}}},
    {0x0E030500, "VPA-U2", 0x01030801, 8, 1, 0x05, {{0x00800190, 0x0100012C, 0x018000C8, 0x02000096, 0x02800064}, {0x02800040, 0x04000020}, {0x04000020}, {0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E031100, "VPA-N", 0x0103050A, 3, 1, 0x03, {{0x00800190, 0x0100012C, 0x018000C8, 0x02000096, 0x02800064}, {0x02000040, 0x02800020}, {0x02800020}, {0x02800010}, {0x00010004, 0x00020004}}},
    {0x0E031200, "VPA-N2", 0x01030601, 2, 1, 0x12, {{0x00500190, 0x00A00096, 0x01400064}, {0x01400040}, {0x01400030}, {0x01400030}, {0x00010004, 0x00020004}}},
    {0x0E010200, "VPC-B", 0x01030206, 3, 1, 0x01, {{0x01000190, 0x020000C8, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E010100, "VPC-U", 0x01030200, 3, 1, 0x05, {{0x01000190, 0x020000C8, 0x03C00064}, {0x03C00080}, {0x03C00040}, {}, {0x00010004, 0x00020004}}},
    {0x0E010500, "VPC-U2", 0x01030608, 8, 9, 0x05, {{0x01000190, 0x0180012C, 0x020000C8, 0x03000096, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E010600, "VQ-5N", 0x01030801, 8, 9, 0x16, {{0x00800190, 0x0100012C, 0x018000C8, 0x02000096, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E011500, "VQ-5U", 0x01030901, 8, 9, 0x05, {{0x01000190, 0x0180012C, 0x020000C8, 0x03000096, 0x06400064}, {0x03000080, 0x04000040, 0x06400020}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E010300, "VPC-N", 0x01030206, 3, 1, 0x02, {{0x01000190, 0x020000C8, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E010800, "VPC-W", 0x01030502, 3, 1, 0x0D, {{0x01000190, 0x0180012C, 0x020000C8, 0x03000096, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E010B00, "VPC-W", 0x01030502, 3, 1, 0x0D, {{0x01000190, 0x0180012C, 0x020000C8, 0x03000096, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E010C00, "VQ-4W", 0x01030901, 8, 9, 0x0C, {{0x01000190, 0x0180012C, 0x020000C8, 0x03000096, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010002, 0x00020004}}},
    {0x0E011B00, "VPC-W", 0x01030607, 3, 1, 0x0D, {{0x01000190, 0x0180012C, 0x020000C8, 0x03000096, 0x04000064}, {0x03000080, 0x04000040}, {0x03000040, 0x04000020}, {0x03000020, 0x04000010}, {0x00010004, 0x00020004}}},
    {0x0E050200, "VPD-B", 0x01030206, 7, 1, 0x01, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x06400064}, {0x04000100, 0x06400080}, {0x04000080}, {0x04000040}, {0x00010000, 0x00020000}}},
    {0x0E050500, "VPD-U", 0x01030701, 7, 1, 0x05, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x06400064}, {0x04000100, 0x06400080}, {0x04000080}, {0x04000040}, {0x00010000, 0x00020000}}},
    {0x0E050400, "VQ-6U", 0x01030801, 8, 9, 0x05, {{0x01000190, 0x0180012C, 0x020000C8, 0x04000096, 0x06400064}, {0x04000100, 0x06400080}, {0x04000080}, {0x04000040}, {0x00010000, 0x00020000}}},
    {0x0E050300, "VPD-N", 0x01030206, 7, 1, 0x02, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x06400064}, {0x04000100, 0x06400080}, {0x04000080}, {0x04000040}, {0x00010000, 0x00020000}}},
    {0x0E050700, "VPD-W2", 0x01030208, 7, 1, 0x18, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x06400064}, {0x04000100, 0x06400080}, {0x04000080}, {0x04000040}, {0x00010000, 0x00020000}}},
    {0x0E051300, "VQ-6N", 0x01030601, 7, 1, 0x13, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x06400064}, {0x04000100, 0x06400080}, {0x04000080}, {0x04000040}, {0x00010000, 0x00020000}}},
    {0x0E000200, "VPE-B", 0x01020400, 7, 1, 0x01, {{0x040000C8, 0x08000064}, {0x08000100}, {0x08000080}, {}, {0x00010000, 0x00020000}}},
    {0x0E000100, "VPE-U", 0x01020400, 7, 1, 0x05, {{0x040000C8, 0x08000064}, {0x08000100}, {0x08000080}, {}, {0x00010000, 0x00020000}}},
    {0x0E000300, "VPE-N", 0x01020400, 7, 1, 0x03, {{0x040000C8, 0x08000064}, {0x08000100}, {0x08000080}, {}, {0x00010000, 0x00020000}}},
    {0x0E060500, "VPF-U", 0x01030801, 7, 1, 0x05, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x09600064}, {0x06400100, 0x09600080}, {0x06400080}, {0x06400040}, {0x00010000, 0x00020000}}},
    {0x0E060600, "VPF-N2", 0x01030601, 7, 1, 0x11, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x09600064}, {0x06400100, 0x09600080}, {0x06400080}, {0x06400040}, {0x00010000, 0x00020000}}},
    {0x0E060700, "VPF-W", 0x01030802, 7, 1, 0x1C, {{0x01000190, 0x01800168, 0x0200012C, 0x028000FA, 0x030000C8, 0x038000AA, 0x04000096, 0x04800087, 0x05000078, 0x0580006E, 0x09600064}, {0x06400100, 0x09600080}, {0x06400080}, {0x06400040}, {0x00010000, 0x00020000}}},
    {0x0E070700, "VPG-Q", 0x01030603, 7, 1, 0x15, {{0x02000190, 0x0400012C, 0x062800C8, 0x08000096, 0x0C800064}, {0x04A00200, 0x08000100, 0x10000080}, {0x04A00100, 0x08000080, 0x10000040}, {0x04A00080, 0x08000040, 0x10000020}, {0x00010000, 0x00020000}}},
    {0x0E040000, "VPG-N", 0x01020401, 7, 1, 0x02, {{0x01000190, 0x02000190, 0x03000108, 0x040000DC, 0x050000B0, 0x06000098, 0x07000080, 0x0800006C, 0x09000062, 0x0A00005A, 0x0B000056, 0x0C000052, 0x0D00004E, 0x0E00004B, 0x0F000048, 0x10000046}, {0x04000200, 0x10000100}, {0x04000100, 0x10000080}, {}, {0x00010000, 0x00020000}}},
};

void fill(CUniqueArray<unsigned>& list, std::initializer_list<unsigned> values)
{
    list.RemoveAll();
    for (unsigned v : values)
        list.Add(v);
}

}  // namespace

FirmwareCatalogue::FirmwareCatalogue()
{
    // One working record, filled per board and copied into the map.
    FirmwareInfo work;
    int order = 0;
    for (const Row& row : kRows) {
        work.order = order++;
        work.flags = row.id == 0x0E010800u ? 1 : 0;
        work.modelName = QString::fromLatin1(row.model);
        work.secondName.clear();
        work.version = row.version;
        work.valueA = row.valueA;
        work.valueB = row.valueB;
        work.featureBits = row.featureBits;
        fill(work.sizes1, row.lists[0]);
        fill(work.sizes2, row.lists[1]);
        fill(work.sizes3, row.lists[2]);
        fill(work.sizes4, row.lists[3]);
        fill(work.pairs, row.lists[4]);
        insert(row.id & 0xFFFFFF00u, work);
    }
}

FirmwareCatalogue::~FirmwareCatalogue()
{
    for (FirmwarePosition*& head : m_buckets) {
        while (head) {
            FirmwarePosition* next = head->next;
            delete head;
            head = next;
        }
    }
}

void FirmwareCatalogue::insert(unsigned key, const FirmwareInfo& info)
{
    const unsigned b = BucketOf(key);
    for (FirmwarePosition* p = m_buckets[b]; p; p = p->next) {
        if (p->key == key) {
            p->info = info;
            return;
        }
    }
    m_buckets[b] = new FirmwarePosition{key, info, m_buckets[b]};
    ++m_count;
}

const FirmwareCatalogue& FirmwareCatalogue::Instance()
{
    static const FirmwareCatalogue catalogue;
    return catalogue;
}

FirmwarePosition* FirmwareCatalogue::First() const
{
    for (FirmwarePosition* head : m_buckets)
        if (head)
            return head;
    return nullptr;
}

unsigned FirmwareCatalogue::Next(FirmwarePosition*& pos) const
{
    if (!pos)
        return 0;
    const unsigned key = pos->key;
    FirmwarePosition* next = pos->next;
    for (unsigned b = BucketOf(key) + 1; !next && b < kBucketCount; ++b)
        next = m_buckets[b];
    pos = next;
    return key;
}

const FirmwareInfo* FirmwareCatalogue::Find(unsigned id) const
{
    const unsigned key = id & 0xFFFFFF00u;
    for (FirmwarePosition* p = m_buckets[BucketOf(key)]; p; p = p->next)
        if (p->key == key)
            return &p->info;
    return nullptr;
}

namespace {
// Built while the library loads, before any export can be called.
[[maybe_unused]] const FirmwareCatalogue& g_loadedCatalogue = FirmwareCatalogue::Instance();
}

namespace sorvane::link {

unsigned FirmwareResourceId(unsigned id, unsigned version)
{
    if (id < 0x0E000000u || id > 0x0E07FFFFu)
        return 0;
    const unsigned family = id >> 16;
    const unsigned model = (id >> 8) & 0xFF;
    struct Entry {
        unsigned model;
        unsigned resource;
    };
    auto pick = [model](std::initializer_list<Entry> table) -> unsigned {
        for (const Entry& e : table)
            if (e.model == model)
                return e.resource;
        return 0;
    };
    switch (family) {
    case 0x0E00:
        return version < 0x01000070u ? 102 : 101;
    case 0x0E01:
        return pick({{0x01, 118}, {0x02, 119}, {0x03, 120}, {0x05, 125}, {0x06, 144},
                     {0x08, 132}, {0x0B, 134}, {0x0C, 145}, {0x15, 140}, {0x1B, 137}});
    case 0x0E02:
        return pick({{0x02, 122}, {0x04, 121}, {0x0D, 143}});
    case 0x0E03:
        return pick({{0x01, 123}, {0x03, 136}, {0x04, 139}, {0x05, 127}, {0x11, 135}, {0x12, 142}});
    case 0x0E04:
        return 108;
    case 0x0E05:
        return pick({{0x03, 124}, {0x04, 148}, {0x05, 126}, {0x07, 130}, {0x13, 138}});
    case 0x0E06:
        return pick({{0x05, 128}, {0x06, 129}, {0x07, 131}});
    case 0x0E07:
        return pick({{0x07, 133}});
    default:
        return 0;
    }
}

} // namespace sorvane::link

// ---- CCore exports ----

int CCore::GetFirmwareCount()
{
    return FirmwareCatalogue::Instance().Count();
}

CCore::POSITION CCore::GetFirmwareFirstPos()
{
    return FirmwareCatalogue::Instance().First();
}

unsigned CCore::GetNextFirmware(POSITION& pos)
{
    return FirmwareCatalogue::Instance().Next(pos);
}

const FirmwareInfo* CCore::GetFirmwareInfo(unsigned id)
{
    return FirmwareCatalogue::Instance().Find(id);
}

unsigned CCore::GetUpgradeVersion(unsigned id)
{
    const FirmwareInfo* info = FirmwareCatalogue::Instance().Find(id);
    return info ? info->version : 0;
}
