#include "core/link/FirmwareCatalogue.h"
#include "core/api/Core.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <set>

using namespace sorvane::link;

namespace {

// The boards as the catalogue must hold them, in build order:
// order, id, model, version, value A, value B, feature bits,
// sizes 1 to 4 (width x height) and the pair list.
const char* const kBoards[][12] = {
    {"0", "0x0E020400", "VPA-E", "0x01030205", "3", "1", "0x01", "256x200, 384x200, 640x150", "512x64, 640x32", "512x64, 640x32", "-", "(1, 4), (2, 4)"},
    {"1", "0x0E020200", "VPA-B", "0x01030205", "1", "1", "0x01", "256x400, 512x200, 1024x100", "1024x128", "1024x64", "-", "(1, 4), (2, 4)"},
    {"2", "0x0E020D00", "VQ_2W", "0x01030608", "8", "9", "0x0D", "160x400, 320x200, 512x100", "512x32", "512x32", "512x16", "(1, 4), (2, 4)"},
    {"3", "0x0E030100", "VPA-U", "0x01030205", "3", "1", "0x05", "256x200, 384x200, 640x150", "512x64, 640x32", "512x64, 640x32", "-", "(1, 4), (2, 4)"},
    {"4", "0x0E030300", "VPB-U", "0x01030608", "8", "9", "0x05", "128x400, 256x300, 384x200, 512x150, 640x100", "512x32, 640x16", "512x32, 640x16", "512x32, 640x16", "(1, 1), (2, 2)"},
    {"5", "0x0E030400", "VPB-M", "0x01030901", "8", "9", "0x05", "128x400, 256x300, 384x200, 512x150, 1024x100", "512x48, 1024x16", "256x32, 512x16", "256x16", "(1, 4), (2, 4)"},
    {"6", "0x0E030500", "VPA-U2", "0x01030801", "8", "1", "0x05", "128x400, 256x300, 384x200, 512x150, 640x100", "640x64, 1024x32", "1024x32", "1024x16", "(1, 4), (2, 4)"},
    {"7", "0x0E031100", "VPA-N", "0x0103050A", "3", "1", "0x03", "128x400, 256x300, 384x200, 512x150, 640x100", "512x64, 640x32", "640x32", "640x16", "(1, 4), (2, 4)"},
    {"8", "0x0E031200", "VPA-N2", "0x01030601", "2", "1", "0x12", "80x400, 160x150, 320x100", "320x64", "320x48", "320x48", "(1, 4), (2, 4)"},
    {"9", "0x0E010200", "VPC-B", "0x01030206", "3", "1", "0x01", "256x400, 512x200, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"10", "0x0E010100", "VPC-U", "0x01030200", "3", "1", "0x05", "256x400, 512x200, 960x100", "960x128", "960x64", "-", "(1, 4), (2, 4)"},
    {"11", "0x0E010500", "VPC-U2", "0x01030608", "8", "9", "0x05", "256x400, 384x300, 512x200, 768x150, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"12", "0x0E010600", "VQ-5N", "0x01030801", "8", "9", "0x16", "128x400, 256x300, 384x200, 512x150, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"13", "0x0E011500", "VQ-5U", "0x01030901", "8", "9", "0x05", "256x400, 384x300, 512x200, 768x150, 1600x100", "768x128, 1024x64, 1600x32", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"14", "0x0E010300", "VPC-N", "0x01030206", "3", "1", "0x02", "256x400, 512x200, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"15", "0x0E010800", "VPC-W", "0x01030502", "3", "1", "0x0D", "256x400, 384x300, 512x200, 768x150, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"16", "0x0E010B00", "VPC-W", "0x01030502", "3", "1", "0x0D", "256x400, 384x300, 512x200, 768x150, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"17", "0x0E010C00", "VQ-4W", "0x01030901", "8", "9", "0x0C", "256x400, 384x300, 512x200, 768x150, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 2), (2, 4)"},
    {"18", "0x0E011B00", "VPC-W", "0x01030607", "3", "1", "0x0D", "256x400, 384x300, 512x200, 768x150, 1024x100", "768x128, 1024x64", "768x64, 1024x32", "768x32, 1024x16", "(1, 4), (2, 4)"},
    {"19", "0x0E050200", "VPD-B", "0x01030206", "7", "1", "0x01", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 1600x100", "1024x256, 1600x128", "1024x128", "1024x64", "(1, 0), (2, 0)"},
    {"20", "0x0E050500", "VPD-U", "0x01030701", "7", "1", "0x05", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 1600x100", "1024x256, 1600x128", "1024x128", "1024x64", "(1, 0), (2, 0)"},
    {"21", "0x0E050400", "VQ-6U", "0x01030801", "8", "9", "0x05", "256x400, 384x300, 512x200, 1024x150, 1600x100", "1024x256, 1600x128", "1024x128", "1024x64", "(1, 0), (2, 0)"},
    {"22", "0x0E050300", "VPD-N", "0x01030206", "7", "1", "0x02", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 1600x100", "1024x256, 1600x128", "1024x128", "1024x64", "(1, 0), (2, 0)"},
    {"23", "0x0E050700", "VPD-W2", "0x01030208", "7", "1", "0x18", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 1600x100", "1024x256, 1600x128", "1024x128", "1024x64", "(1, 0), (2, 0)"},
    {"24", "0x0E051300", "VQ-6N", "0x01030601", "7", "1", "0x13", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 1600x100", "1024x256, 1600x128", "1024x128", "1024x64", "(1, 0), (2, 0)"},
    {"25", "0x0E000200", "VPE-B", "0x01020400", "7", "1", "0x01", "1024x200, 2048x100", "2048x256", "2048x128", "-", "(1, 0), (2, 0)"},
    {"26", "0x0E000100", "VPE-U", "0x01020400", "7", "1", "0x05", "1024x200, 2048x100", "2048x256", "2048x128", "-", "(1, 0), (2, 0)"},
    {"27", "0x0E000300", "VPE-N", "0x01020400", "7", "1", "0x03", "1024x200, 2048x100", "2048x256", "2048x128", "-", "(1, 0), (2, 0)"},
    {"28", "0x0E060500", "VPF-U", "0x01030801", "7", "1", "0x05", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 2400x100", "1600x256, 2400x128", "1600x128", "1600x64", "(1, 0), (2, 0)"},
    {"29", "0x0E060600", "VPF-N2", "0x01030601", "7", "1", "0x11", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 2400x100", "1600x256, 2400x128", "1600x128", "1600x64", "(1, 0), (2, 0)"},
    {"30", "0x0E060700", "VPF-W", "0x01030802", "7", "1", "0x1C", "256x400, 384x360, 512x300, 640x250, 768x200, 896x170, 1024x150, 1152x135, 1280x120, 1408x110, 2400x100", "1600x256, 2400x128", "1600x128", "1600x64", "(1, 0), (2, 0)"},
    {"31", "0x0E070700", "VPG-Q", "0x01030603", "7", "1", "0x15", "512x400, 1024x300, 1576x200, 2048x150, 3200x100", "1184x512, 2048x256, 4096x128", "1184x256, 2048x128, 4096x64", "1184x128, 2048x64, 4096x32", "(1, 0), (2, 0)"},
    {"32", "0x0E040000", "VPG-N", "0x01020401", "7", "1", "0x02", "256x400, 512x400, 768x264, 1024x220, 1280x176, 1536x152, 1792x128, 2048x108, 2304x98, 2560x90, 2816x86, 3072x82, 3328x78, 3584x75, 3840x72, 4096x70", "1024x512, 4096x256", "1024x256, 4096x128", "-", "(1, 0), (2, 0)"},
};

std::vector<unsigned> sizesOf(const char* text)
{
    std::vector<unsigned> out;
    if (QString::fromLatin1(text) == QStringLiteral("-"))
        return out;
    for (const QString& part : QString::fromLatin1(text).split(u',')) {
        const QStringList wh = part.trimmed().split(u'x');
        EXPECT_EQ(wh.size(), 2) << text;
        out.push_back(wh[0].toUInt() * 65536u + wh[1].toUInt());
    }
    return out;
}

std::vector<unsigned> pairsOf(const char* text)
{
    std::vector<unsigned> out;
    static const QRegularExpression re(QStringLiteral("\\((\\d+), (\\d+)\\)"));
    auto it = re.globalMatch(QString::fromLatin1(text));
    while (it.hasNext()) {
        const auto m = it.next();
        out.push_back(m.captured(1).toUInt() * 65536u + m.captured(2).toUInt());
    }
    return out;
}

unsigned number(const char* text)
{
    bool ok = false;
    const unsigned v = QString::fromLatin1(text).toUInt(&ok, 0);
    EXPECT_TRUE(ok) << text;
    return v;
}

}  // namespace

TEST(FirmwareCatalogue, EveryBoardAsListed)
{
    ASSERT_EQ(std::size(kBoards), 33u);
    EXPECT_EQ(CCore::GetFirmwareCount(), 33);
    for (const auto& row : kBoards) {
        const unsigned id = number(row[1]);
        SCOPED_TRACE(row[1]);
        const FirmwareInfo* info = CCore::GetFirmwareInfo(id);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->order, static_cast<int>(number(row[0])));
        EXPECT_EQ(info->flags, id == 0x0E010800u ? 1 : 0);
        EXPECT_EQ(info->modelName, QString::fromLatin1(row[2]));
        EXPECT_TRUE(info->secondName.isEmpty());
        EXPECT_EQ(info->version, number(row[3]));
        EXPECT_EQ(info->valueA, static_cast<int>(number(row[4])));
        EXPECT_EQ(info->valueB, static_cast<int>(number(row[5])));
        EXPECT_EQ(info->featureBits, static_cast<int>(number(row[6])));
        EXPECT_EQ(info->sizes1.items(), sizesOf(row[7]));
        EXPECT_EQ(info->sizes2.items(), sizesOf(row[8]));
        EXPECT_EQ(info->sizes3.items(), sizesOf(row[9]));
        EXPECT_EQ(info->sizes4.items(), sizesOf(row[10]));
        EXPECT_EQ(info->pairs.items(), pairsOf(row[11]));
        EXPECT_EQ(CCore::GetUpgradeVersion(id), info->version);
        // Every board but one has an image number of its own.
        EXPECT_EQ(FirmwareResourceId(id, info->version) == 0, id == 0x0E050200u);
    }
}

TEST(FirmwareCatalogue, LowByteIsIgnored)
{
    const FirmwareInfo* exact = CCore::GetFirmwareInfo(0x0E020400);
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(CCore::GetFirmwareInfo(0x0E0204FF), exact);
    EXPECT_EQ(CCore::GetFirmwareInfo(0x0E020401), exact);
    EXPECT_EQ(exact->modelName, QStringLiteral("VPA-E"));
    EXPECT_EQ(exact->sizes1.items(), (std::vector<unsigned>{0x010000C8, 0x018000C8, 0x02800096}));
    EXPECT_EQ(CCore::GetUpgradeVersion(0x0E0311A5), 0x0103050Au);
    EXPECT_EQ(CCore::GetUpgradeVersion(0x0E123400), 0u);
    EXPECT_EQ(CCore::GetFirmwareInfo(0x0E123400), nullptr);
    EXPECT_EQ(CCore::GetFirmwareInfo(0x0E020500), nullptr);
    EXPECT_EQ(CCore::GetFirmwareInfo(0), nullptr);

    // Three ids share one model name.
    int vpcW = 0;
    for (const auto& row : kBoards)
        if (CCore::GetFirmwareInfo(number(row[1]))->modelName == QStringLiteral("VPC-W"))
            ++vpcW;
    EXPECT_EQ(vpcW, 3);
}

TEST(FirmwareCatalogue, IterationFollowsTheBuckets)
{
    // 17 buckets, key >> 4 modulo 17; each chain starts with its newest entry.
    const unsigned expected[] = {
    0x0E000300, 0x0E010200, 0x0E031100, 0x0E000200, 0x0E010100, 0x0E000100,
    0x0E020D00, 0x0E070700, 0x0E060700, 0x0E010C00, 0x0E060600, 0x0E050700,
    0x0E010B00, 0x0E060500, 0x0E011B00, 0x0E050500, 0x0E050400, 0x0E010800,
    0x0E050300, 0x0E030500, 0x0E051300, 0x0E050200, 0x0E010600, 0x0E030400,
    0x0E010500, 0x0E030300, 0x0E020400, 0x0E011500, 0x0E040000, 0x0E010300,
    0x0E031200, 0x0E030100, 0x0E020200,
    };
    std::vector<unsigned> seen;
    CCore::POSITION pos = CCore::GetFirmwareFirstPos();
    while (pos && seen.size() < 100)
        seen.push_back(CCore::GetNextFirmware(pos));
    EXPECT_EQ(seen, std::vector<unsigned>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(std::set<unsigned>(seen.begin(), seen.end()).size(), 33u);

    for (std::size_t i = 1; i < seen.size(); ++i) {
        const unsigned a = (seen[i - 1] >> 4) % 17;
        const unsigned b = (seen[i] >> 4) % 17;
        EXPECT_LE(a, b);
        if (a == b) {
            EXPECT_GT(CCore::GetFirmwareInfo(seen[i - 1])->order, CCore::GetFirmwareInfo(seen[i])->order);
        }
    }

    CCore::POSITION none = nullptr;
    EXPECT_EQ(CCore::GetNextFirmware(none), 0u);
    EXPECT_EQ(none, nullptr);
}

TEST(FirmwareResource, FamilyAndModelRule)
{
    struct Case {
        unsigned id;
        unsigned version;
        unsigned resource;
    };
    const Case cases[] = {
        {0x0E040700, 0, 108},          {0x0E040000, 0xFFFFFFFF, 108},
        {0x0E000100, 0x0100006F, 102}, {0x0E000100, 0x01000070, 101},
        {0x0E00FFFF, 0, 102},          {0x0E000000, 0xFFFFFFFF, 101},
        {0x0E050600, 0, 0},            {0x0E050400, 0, 148},
        {0x0E050200, 0, 0},
        {0x0E0707FF, 0, 133},          {0x0E070600, 0, 0},
        {0x0E07FFFF, 0, 0},            {0x0E080700, 0, 0},
        {0x0DFFFFFF, 0, 0},            {0x0F000100, 0, 0},
        {0x0E010100, 0, 118},          {0x0E010200, 0, 119},
        {0x0E010300, 0, 120},          {0x0E010500, 0, 125},
        {0x0E010600, 0, 144},          {0x0E010800, 0, 132},
        {0x0E010B00, 0, 134},          {0x0E010C00, 0, 145},
        {0x0E011500, 0, 140},          {0x0E011B00, 0, 137},
        {0x0E010400, 0, 0},            {0x0E020200, 0, 122},
        {0x0E020400, 0, 121},          {0x0E020D00, 0, 143},
        {0x0E020100, 0, 0},            {0x0E030100, 0, 123},
        {0x0E030300, 0, 136},          {0x0E030400, 0, 139},
        {0x0E030500, 0, 127},          {0x0E031100, 0, 135},
        {0x0E031200, 0, 142},          {0x0E031300, 0, 0},
        {0x0E050300, 0, 124},          {0x0E050500, 0, 126},
        {0x0E050700, 0, 130},          {0x0E051300, 0, 138},
        {0x0E060500, 0, 128},          {0x0E060600, 0, 129},
        {0x0E060700, 0, 131},          {0x0E060800, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirmwareResourceId(c.id, c.version), c.resource) << std::hex << c.id;
}
