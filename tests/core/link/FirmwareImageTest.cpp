#include "core/link/FirmwareImage.h"
#include "core/model/ItemData.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <unistd.h>

using namespace sorvane::link;

namespace {

std::vector<std::uint8_t> decode(const std::string& text)
{
    return DecodeFirmwareText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

using Bytes = std::vector<std::uint8_t>;

} // namespace

TEST(FirmwareText, DecodesPairsHighNibbleFirstAndRefusesAnOddDigitCount)
{
    EXPECT_EQ(decode("0A0b1C"), (Bytes{0x0A, 0x0B, 0x1C}));
    EXPECT_EQ(decode("ffFFaAbC"), (Bytes{0xFF, 0xFF, 0xAA, 0xBC}));
    EXPECT_EQ(decode("0A0b1C9"), Bytes{});
    EXPECT_EQ(decode("9"), Bytes{});
    EXPECT_EQ(decode(""), Bytes{});
}

TEST(FirmwareText, WhiteSpaceIsSkippedAndAnyOtherCharacterRefusesTheText)
{
    for (int c = 0; c < 256; ++c) {
        const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        const bool space = c == '\r' || c == '\n' || c == ' ' || c == '\t';
        // Past the tag's four characters.
        const std::string text = std::string("0000") + static_cast<char>(c) + static_cast<char>(c);
        const Bytes got = decode(text);
        ASSERT_EQ(got.size(), hex ? 3u : space ? 2u : 0u) << c;
    }
    EXPECT_EQ(decode("\r\n7F00 g0"), Bytes{});
    EXPECT_EQ(decode("0000\x80\xff"), Bytes{});
    // The same digits with any line ends give the same bytes.
    const Bytes plain = decode("0102A0B0C0D0");
    EXPECT_EQ(decode("0102\r\nA0B0\r\nC0D0\r\n"), plain);
    EXPECT_EQ(decode("0102\nA0B0\nC0D0\n"), plain);
    EXPECT_EQ(decode("0 1 0 2\tA0B0\rC0D0"), plain);
}

TEST(FirmwareText, ATagAndHeaderDecodeAsBefore)
{
    // A 4-character tag and a 32-digit header are not interpreted: the tag's
    // letters outside A-F give zero nibbles, as they always did.
    const Bytes got = decode("VPCB" "00112233445566778899AABBCCDDEEFF");
    ASSERT_EQ(got.size(), 18u);
    EXPECT_EQ(got[0], 0x00);   // "VP"
    EXPECT_EQ(got[1], 0xCB);   // "CB"
    EXPECT_EQ(got[2], 0x00);
    EXPECT_EQ(got[3], 0x11);
    EXPECT_EQ(got[17], 0xFF);
    // Only letters and digits make a tag, and only the first four characters.
    EXPECT_EQ(decode("VP-B00"), Bytes{});
    EXPECT_EQ(decode("VPCBG0"), Bytes{});
}

TEST(FirmwareText, PlainDecoderWritesOnlyHalfTheLength)
{
    const std::string text = "1234";
    std::uint8_t out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(DecodeFirmwareText(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), out), 2u);
    EXPECT_EQ(out[0], 0x12);
    EXPECT_EQ(out[1], 0x34);
    EXPECT_EQ(out[2], 0xEE);
    EXPECT_EQ(DecodeFirmwareText(nullptr, 10, out), kNotFirmwareText);
}

TEST(FirmwareRecords, AnImageWithoutDataHasNoneToSend)
{
    const Bytes empties{0x00, 0x00, 0x00, 0x00};
    EXPECT_FALSE(FirmwareImageHasData(empties.data(), empties.size()));
    EXPECT_FALSE(FirmwareImageHasData(nullptr, 0));
    const Bytes one{0x00, 0x00, 0x00, 0x01, 0x7E};
    EXPECT_TRUE(FirmwareImageHasData(one.data(), one.size()));
    const Bytes cut{0x00, 0x02, 0x7E};
    EXPECT_FALSE(FirmwareImageHasData(cut.data(), cut.size()));
}

TEST(FirmwareRecords, SplitsBigEndianLengthPrefixedRecords)
{
    const Bytes image{0x00, 0x03, 1, 2, 3, 0x00, 0x00, 0x00, 0x01, 0x02};
    std::vector<FirmwareRecord> records;
    ASSERT_TRUE(SplitFirmwareRecords(image.data(), image.size(), records));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].offset, 0u);
    EXPECT_EQ(records[0].size, 5u);
    EXPECT_EQ(records[1].offset, 5u);
    EXPECT_EQ(records[1].size, 2u);   // an empty record is still sent as its prefix
    EXPECT_EQ(records[2].offset, 7u);
    EXPECT_EQ(records[2].size, 3u);
    // 0x0102 = 258 bytes would run past the end.
    const Bytes tail{0x00, 0x01, 0xAA, 0x01, 0x02};
    EXPECT_FALSE(SplitFirmwareRecords(tail.data(), tail.size(), records));
    EXPECT_TRUE(records.empty());
}

TEST(FirmwareRecords, RefusesARecordRunningPastTheEndOrAHalfPrefix)
{
    FirmwareRecord record;
    const Bytes exact{0x01, 0x00};   // 256 bytes announced, none present
    EXPECT_EQ(NextFirmwareRecord(exact.data(), exact.size(), 0, record), RecordWalk::Damaged);
    const Bytes half{0x00, 0x00, 0x00};
    EXPECT_EQ(NextFirmwareRecord(half.data(), half.size(), 0, record), RecordWalk::Record);
    EXPECT_EQ(NextFirmwareRecord(half.data(), half.size(), 2, record), RecordWalk::Damaged);
    EXPECT_EQ(NextFirmwareRecord(half.data(), half.size(), 3, record), RecordWalk::End);
    const Bytes full{0xFF, 0xFF};
    Bytes big(0xFFFF + 2, 0);
    big[0] = 0xFF;
    big[1] = 0xFF;
    EXPECT_EQ(NextFirmwareRecord(big.data(), big.size(), 0, record), RecordWalk::Record);
    EXPECT_EQ(record.size, 0x10001u);
    EXPECT_EQ(NextFirmwareRecord(full.data(), full.size(), 0, record), RecordWalk::Damaged);
    std::vector<FirmwareRecord> none;
    EXPECT_TRUE(SplitFirmwareRecords(nullptr, 0, none));
    EXPECT_TRUE(none.empty());
}

TEST(FirmwareRecords, UpgradeRequestCarriesTheBaudRateLittleEndian)
{
    EXPECT_EQ(UpgradeRequestData(9600), (std::array<std::uint8_t, 4>{0x80, 0x25, 0x00, 0x00}));
    EXPECT_EQ(UpgradeRequestData(115200), (std::array<std::uint8_t, 4>{0x00, 0xC2, 0x01, 0x00}));
}

TEST(FirmwareFile, LoadsDecodesAndReportsMissingOrUnreadableFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = FirmwareOverridePath(dir.path());
    EXPECT_TRUE(path.endsWith(QStringLiteral("/update.dat")));
    Bytes image{9, 9};
    EXPECT_EQ(LoadFirmwareFile(path, image), FirmwareLoad::NoImage);
    EXPECT_EQ(image, (Bytes{9, 9}));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0003a1B2c3");
    file.close();
    ASSERT_EQ(LoadFirmwareFile(path, image), FirmwareLoad::Loaded);
    EXPECT_EQ(image, (Bytes{0x00, 0x03, 0xA1, 0xB2, 0xC3}));
    // An odd last digit: damaged, nothing kept.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append));
    file.write("F");
    file.close();
    Bytes damaged{1};
    EXPECT_EQ(LoadFirmwareFile(path, damaged), FirmwareLoad::Damaged);
    EXPECT_TRUE(damaged.empty());

    // A folder where the file should be cannot be read.
    const QString folder = FirmwareOverridePath(dir.filePath(QStringLiteral("sub")));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(LoadFirmwareFile(folder, image), FirmwareLoad::Unreadable);
    EXPECT_EQ(image, (Bytes{0x00, 0x03, 0xA1, 0xB2, 0xC3}));
}

TEST(FirmwareFile, ImagesLargerThanAnyControllerTakesAreRefused)
{
    QTemporaryDir dir;
    const QString path = FirmwareOverridePath(dir.path());
    // The largest image, one record after another, with a line end each.
    QByteArray text;
    const QByteArray record = "FFFF" + QByteArray(0xFFFF * 2, 'a') + "\r\n";
    const std::size_t perRecord = 0xFFFF + 2;
    const std::size_t records = kMaxFirmwareImageBytes / perRecord;
    for (std::size_t i = 0; i < records; ++i)
        text += record;
    const std::size_t rest = kMaxFirmwareImageBytes - records * perRecord - 2;
    text += QByteArray::number(qulonglong(rest), 16).rightJustified(4, '0') + QByteArray(qsizetype(rest) * 2, 'b');
    auto write = [&](const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    };
    write(text);
    Bytes image;
    ASSERT_EQ(LoadFirmwareFile(path, image), FirmwareLoad::Loaded);
    EXPECT_EQ(image.size(), kMaxFirmwareImageBytes);
    // One byte more is larger than any controller's memory.
    write("0001CC" + text);
    EXPECT_EQ(LoadFirmwareFile(path, image), FirmwareLoad::Damaged);
    EXPECT_TRUE(image.empty());
    // A file past the text bound is not even read.
    image = {7};
    write(QByteArray(kMaxFirmwareTextBytes + 1, '\n'));
    EXPECT_EQ(LoadFirmwareFile(path, image), FirmwareLoad::Unreadable);
    EXPECT_EQ(image, Bytes{7});
}

TEST(FirmwareFile, ScreenImageComesFromUpdateDatThenTheChosenFileElseNothing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    SetFirmwareFolder(dir.path());
    tagItemData screen;
    screen.Level = LEVEL_ROOT;
    screen.Global.HardwareId = 0x0E010200;   // a board with a resource id but no shipped image
    screen.Global.RemoteVersion = 0x01030206;
    EXPECT_TRUE(LoadFirmwareImageFor(&screen).empty());

    const QString chosen = dir.filePath(QStringLiteral("chosen.txt"));
    QFile c(chosen);
    ASSERT_TRUE(c.open(QIODevice::WriteOnly));
    c.write("000155");
    c.close();
    SetChosenFirmwareFile(chosen);
    EXPECT_EQ(LoadFirmwareImageFor(&screen), (Bytes{0x00, 0x01, 0x55}));

    QFile over(FirmwareOverridePath(dir.path()));
    ASSERT_TRUE(over.open(QIODevice::WriteOnly));
    over.write("0001AA");
    over.close();
    EXPECT_EQ(LoadFirmwareImageFor(&screen), (Bytes{0x00, 0x01, 0xAA}));

    // An unreadable update.dat gives no image; the chosen file is not used instead.
    ASSERT_TRUE(over.setPermissions(QFileDevice::Permissions()));
    if (::geteuid() == 0) {
        // root reads anything: make it unreadable by putting a folder there.
        ASSERT_TRUE(over.remove());
        ASSERT_TRUE(QDir().mkpath(FirmwareOverridePath(dir.path())));
    }
    EXPECT_TRUE(LoadFirmwareImageFor(&screen).empty());

    SetChosenFirmwareFile(QString());
    SetFirmwareFolder(QString());
}
