#include "platform/ProfileIni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace platform;

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

TEST(ProfileIni, FirstWriteCreatesTheFileWithCrlfLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    ASSERT_TRUE(WritePrivateProfileString("Config", "Key", "1;2;", path));
    ASSERT_TRUE(WritePrivateProfileString("Config", "Other", "", path));
    ASSERT_TRUE(WritePrivateProfileString("File", "Path", "x", path));
    ASSERT_TRUE(WritePrivateProfileString("Config", "Late", "7", path));
    EXPECT_EQ(readAll(path), QByteArray("[Config]\r\nKey=1;2;\r\nOther=\r\nLate=7\r\n[File]\r\nPath=x\r\n"));
}

TEST(ProfileIni, SectionsAndKeysMatchWithoutCaseAndValuesAreTrimmedAndUnquoted)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeAll(path, "; comment\n[CONFIG]\n  language = 4  \nQuoted=\"a b\"\nHalf=\"a\n[config]\nlanguage=9\n");
    EXPECT_EQ(GetPrivateProfileInt("Config", "Language", 255, path), 4);   // the first wins
    EXPECT_EQ(GetPrivateProfileString("config", "QUOTED", "", path), "a b");
    EXPECT_EQ(GetPrivateProfileString("config", "Half", "", path), "\"a");
    EXPECT_EQ(GetPrivateProfileString("config", "missing", "dflt", path), "dflt");
    EXPECT_EQ(GetPrivateProfileInt("Nope", "Language", 255, path), 255);
}

TEST(ProfileIni, EditsKeepEveryOtherLineAndEachLineEnding)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeAll(path, "; mine\r\n[Config]\r\nlanguage=4\r\nUnknown=keep me\r\n\r\n[Other]\nx=1");
    ASSERT_TRUE(WritePrivateProfileString("config", "Language", "9", path));
    ASSERT_TRUE(WritePrivateProfileString("Config", "New", "n", path));
    ASSERT_TRUE(WritePrivateProfileString("Other", "y", "2", path));
    EXPECT_EQ(readAll(path),
              QByteArray("; mine\r\n[Config]\r\nlanguage=9\r\nUnknown=keep me\r\nNew=n\r\n\r\n[Other]\nx=1\r\ny=2\r\n"));
}

TEST(ProfileIni, RefusesNamesAndValuesThatCannotBeStoredAndLeavesTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", path));
    const QByteArray before = readAll(path);
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "two\nlines", path));
    EXPECT_FALSE(WritePrivateProfileString("S", "a=b", "v", path));
    EXPECT_FALSE(WritePrivateProfileString("S]", "k", "v", path));
    EXPECT_FALSE(WritePrivateProfileString("", "k", "v", path));
    EXPECT_EQ(readAll(path), before);
}

TEST(ProfileIni, VeryLongValuesAreReadAndWrittenWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    QStringList entries;
    for (int i = 0; i < 40000; ++i)
        entries << QString::number(100000 + i);   // 280,000 characters
    ASSERT_TRUE(WritePrivateProfileString("Config", "ScreenScope", JoinProfileList(entries), path));
    const QString back = GetPrivateProfileString("Config", "ScreenScope", "", path);
    EXPECT_GT(back.size(), 135200);
    EXPECT_EQ(SplitProfileList(back), entries);
}

TEST(ProfileIni, Utf8AndUtf16TextsRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    const QString name = QString::fromUtf8("/home/用户/节目.pl;");
    ASSERT_TRUE(WritePrivateProfileString("File", "SavePath", name, path));
    EXPECT_EQ(GetPrivateProfileString("File", "SavePath", "", path), name);

    const QString wide = dir.filePath("w.ini");
    const QString text = QStringLiteral("[usr]\r\nCI=0\r\n");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    writeAll(wide, bytes);
    EXPECT_EQ(GetPrivateProfileInt("usr", "CI", 1, wide), 0);
    ASSERT_TRUE(WritePrivateProfileString("usr", "CI", "1", wide));
    EXPECT_TRUE(readAll(wide).startsWith(QByteArray("\xFF\xFE[\0u\0", 6)));
    EXPECT_EQ(GetPrivateProfileInt("usr", "CI", 5, wide), 1);
}

// Marks and lone surrogates inside a UTF-16 file are text like any other:
// they neither flip the byte order nor change on the way back.
TEST(ProfileIni, Utf16TextKeepsEveryUnitAsItIs)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (char16_t u : {char16_t(0xFFFE), char16_t(0xFEFF), char16_t(0xD8FF)})
        bytes.append(char(u & 0xFF)).append(char(u >> 8));
    bytes.append(QByteArray("\r\0\n\0", 4));
    bytes.append(QByteArray("[\0u\0s\0r\0]\0\r\0\n\0C\0I\0=\0" "0\0\r\0\n\0", 26));
    ProfileFile f;
    f.loadData(bytes);
    EXPECT_EQ(f.bytes(), bytes);
    EXPECT_EQ(f.value("usr", "CI"), "0");
    ASSERT_TRUE(f.setValue("Config", "Fuzz", "1;2;"));
    ProfileFile again;
    again.loadData(f.bytes());
    EXPECT_EQ(again.value("config", "FUZZ"), "1;2;");
    EXPECT_TRUE(again.bytes().startsWith(bytes));
}

TEST(ProfileIni, NumbersConvertFromLeadingDecimalDigits)
{
    EXPECT_EQ(ProfileTextToInt("12"), 12);
    EXPECT_EQ(ProfileTextToInt("  -7x"), -7);
    EXPECT_EQ(ProfileTextToInt("+3"), 3);
    EXPECT_EQ(ProfileTextToInt("abc"), 0);
    EXPECT_EQ(ProfileTextToInt(""), 0);
    EXPECT_EQ(ProfileTextToInt("0x10"), 0);
    EXPECT_EQ(ProfileTextToInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ProfileTextToInt("-99999999999999999999"), INT_MIN);
}

TEST(ProfileIni, ListsEndAtTheLastSemicolon)
{
    EXPECT_EQ(SplitProfileList("1;2;3;"), QStringList({"1", "2", "3"}));
    EXPECT_EQ(SplitProfileList("1;2;3"), QStringList({"1", "2"}));
    EXPECT_EQ(SplitProfileList(""), QStringList());
    EXPECT_EQ(SplitProfileList(";;"), QStringList({"", ""}));
    EXPECT_EQ(JoinProfileList({}), "");
    EXPECT_EQ(JoinProfileList({"a", "b"}), "a;b;");
}

TEST(ProfileIni, AnUnreadableFileIsNotReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub");   // a folder where the file should be
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", path));
}

TEST(ProfileIni, AFileThatHoldsTheTextAlreadyIsNotWrittenAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    const auto inode = [&] {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    ASSERT_TRUE(WritePrivateProfileString("Config", "Language", "9", path));
    const ino_t first = inode();
    ASSERT_TRUE(WritePrivateProfileString("Config", "Language", "9", path));
    EXPECT_EQ(inode(), first);
    ASSERT_TRUE(WritePrivateProfileString("Config", "Language", "4", path));
    EXPECT_NE(inode(), first);
    EXPECT_EQ(readAll(path), QByteArray("[Config]\r\nLanguage=4\r\n"));
}
