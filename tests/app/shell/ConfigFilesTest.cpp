#include "ShellTestUtil.h"

#include "app/shell/ConfigFiles.h"
#include "core/api/Core.h"

#include <gtest/gtest.h>

using namespace shell;

using namespace shelltest;

namespace {

const QByteArray kFreshConfig =
    "[Version]\r\nVer=1\r\n"
    "[Config]\r\nSerialPortEnabled=1\r\nLanEnabled=0\r\nWanEnabled=0\r\nSingleScreen=1\r\n"
    "ScreenScope=1;\r\nUserSerial=\r\nIgnoreSerial=\r\nIgnoreAdapter=\r\nRetrievePort=8080;\r\nIgnorePort=\r\n"
    "CloseByTray=0\r\nLanguage=255\r\nAutoRetrieve=1\r\nThreshold=128\r\n"
    "[File]\r\nSavePath=\r\n"
    "[CommInfo]\r\nCommmode=\r\nSerialport=\r\nBaudrate=\r\nAdapter=\r\nMac=\r\nDhcpEnable=\r\nUsedomain=\r\n"
    "Addr=\r\nPort=\r\n";
const QByteArray kFreshUsr = "[usr]\r\nCI=1\r\nDefaultLedSize=3\r\nIsQuitNote=0\r\nIsSaveLED=1\r\n";

class ConfigFiles : public ::testing::Test {
protected:
    void SetUp() override { CCore::SetColorThreshold(128); }
    void TearDown() override { CCore::SetColorThreshold(128); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(ConfigFiles, FirstStartWritesExactlyTheDefaultFiles)
{
    CCore core;
    ShellSettings s;
    LoadConfigIni(core, s, path("config.ini"));
    LoadUsrIni(s, path("usr.ini"));
    EXPECT_EQ(s, ShellSettings{});
    ASSERT_TRUE(SaveConfigIni(core, s, path("config.ini")));
    ASSERT_TRUE(SaveUsrIni(s, path("usr.ini")));
    EXPECT_EQ(readFile(path("config.ini")), kFreshConfig);
    EXPECT_EQ(readFile(path("usr.ini")), kFreshUsr);
}

TEST_F(ConfigFiles, ASecondStartReadsEverythingBackUnchanged)
{
    const QByteArray config =
        "[Version]\r\nVer=1\r\n"
        "[Config]\r\nSerialPortEnabled=0\r\nLanEnabled=1\r\nWanEnabled=1\r\nSingleScreen=0\r\n"
        "ScreenScope=2;7;254;\r\nUserSerial=ttyUSB3;/dev/pts/4;\r\nIgnoreSerial=ttyS0;\r\nIgnoreAdapter=1;3;\r\n"
        "RetrievePort=5005;8080;\r\nIgnorePort=21;\r\nCloseByTray=1\r\nLanguage=31748\r\nAutoRetrieve=0\r\n"
        "Threshold=77\r\n"
        "[File]\r\nSavePath=/home/u/a.pl;/home/u/节目 b.pl;\r\n"
        "[CommInfo]\r\nCommmode=0;2;\r\nSerialport=3;1;\r\nBaudrate=9600;57600;\r\nAdapter=0;1;\r\n"
        "Mac=00-11-22-33-44-55;FFFFFFFFFFFF;\r\nDhcpEnable=1;0;\r\nUsedomain=0;1;\r\nAddr=192.168.1.9;led.example;\r\n"
        "Port=5005;5200;\r\n";
    const QByteArray usr = "[usr]\r\nCI=0\r\nDefaultLedSize=2\r\nIsQuitNote=1\r\nIsSaveLED=0\r\n";
    ASSERT_TRUE(writeFile(path("config.ini"), config));
    ASSERT_TRUE(writeFile(path("usr.ini"), usr));
    CCore core;
    ShellSettings s;
    LoadConfigIni(core, s, path("config.ini"));
    LoadUsrIni(s, path("usr.ini"));
    EXPECT_EQ(s.language, 0x7C04);
    EXPECT_EQ(s.screens.savePath, QStringList({"/home/u/a.pl", QString::fromUtf8("/home/u/节目 b.pl")}));
    EXPECT_EQ(s.screens.port, (std::vector<std::uint16_t>{5005, 5200}));
    EXPECT_EQ(core.IsLanEnabled(), 1);
    EXPECT_EQ(CCore::GetColorThreshold(), 77u);
    ASSERT_TRUE(SaveConfigIni(core, s, path("config.ini")));
    ASSERT_TRUE(SaveUsrIni(s, path("usr.ini")));
    EXPECT_EQ(readFile(path("config.ini")), config);
    EXPECT_EQ(readFile(path("usr.ini")), usr);
}

TEST_F(ConfigFiles, HandEditedFilesReadWithDefaultsAndKeepUnknownKeysOnSave)
{
    // LF lines, odd case, blanks, a comment, unknown keys, missing keys, bad numbers.
    const QByteArray config = "; my notes\n[config]\nlanguage = abc\nLANENABLED=1x\nMine=keep\n"
                              "ScreenScope=1;2;3\n\n[Extra]\nx=1\n";
    ASSERT_TRUE(writeFile(path("config.ini"), config));
    ASSERT_TRUE(writeFile(path("usr.ini"), "[USR]\r\nDefaultLedSize=0\r\nCI=\r\n"));
    CCore core;
    ShellSettings s;
    LoadConfigIni(core, s, path("config.ini"));
    LoadUsrIni(s, path("usr.ini"));
    EXPECT_EQ(s.language, 0);        // malformed: 0
    EXPECT_EQ(core.IsLanEnabled(), 1);
    EXPECT_EQ(s.autoRetrieve, 1);    // missing: default
    EXPECT_EQ(s.defaultLedSize, 1);
    EXPECT_EQ(s.ci, 0);
    CUniqueArray<int>* scope = core.GetScreenScope();
    ASSERT_NE(scope, nullptr);
    EXPECT_EQ(scope->GetSize(), 2);   // text after the last ";" is no entry
    EXPECT_EQ((*scope)[0], 1);
    EXPECT_EQ((*scope)[1], 2);
    CCore::ReleaseScreenScope(scope);

    ASSERT_TRUE(SaveConfigIni(core, s, path("config.ini")));
    const QByteArray out = readFile(path("config.ini"));
    EXPECT_TRUE(out.startsWith("; my notes\n[config]\nlanguage=0\nLANENABLED=1\nMine=keep\nScreenScope=1;2;\n"));
    EXPECT_TRUE(out.contains("\n[Extra]\nx=1\n"));
    EXPECT_TRUE(out.contains("\nThreshold=128\n"));
    EXPECT_FALSE(out.contains('\r'));   // the file's own line endings
}

TEST_F(ConfigFiles, LedSizeIsClampedAndCrlfFilesRead)
{
    ASSERT_TRUE(writeFile(path("usr.ini"), "[usr]\r\nDefaultLedSize=9\r\nIsSaveLED=0\r\n"));
    ShellSettings s;
    LoadUsrIni(s, path("usr.ini"));
    EXPECT_EQ(s.defaultLedSize, 3);
    EXPECT_EQ(s.isSaveLED, 0);
}

TEST_F(ConfigFiles, ValuesOutsideTheirRangeAreReadIntoItAndWrittenBackSo)
{
    ASSERT_TRUE(writeFile(path("usr.ini"), "[usr]\r\nCI=-3\r\nDefaultLedSize=-7\r\nIsQuitNote=99\r\nIsSaveLED=-5\r\n"));
    ASSERT_TRUE(writeFile(path("config.ini"),
                          "[Config]\r\nCloseByTray=-2\r\nAutoRetrieve=40\r\nThreshold=-99999999999\r\n"));
    CCore core;
    ShellSettings s;
    EXPECT_EQ(LoadUsrIni(s, path("usr.ini")), platform::FileRead::Ok);
    EXPECT_EQ(LoadConfigIni(core, s, path("config.ini")), platform::FileRead::Ok);
    // Checks are on or off, as the dialog shows them: any value but 0 was on.
    EXPECT_EQ(s.ci, 1);
    EXPECT_EQ(s.defaultLedSize, 1);
    EXPECT_EQ(s.isQuitNote, 1);
    EXPECT_EQ(s.isSaveLED, 1);
    EXPECT_EQ(s.closeByTray, 1);
    EXPECT_EQ(s.autoRetrieve, 1);
    EXPECT_EQ(CCore::GetColorThreshold(), 0u);
    ASSERT_TRUE(SaveUsrIni(s, path("usr.ini")));
    ASSERT_TRUE(SaveConfigIni(core, s, path("config.ini")));
    EXPECT_EQ(readFile(path("usr.ini")), "[usr]\r\nCI=1\r\nDefaultLedSize=1\r\nIsQuitNote=1\r\nIsSaveLED=1\r\n");
    const QByteArray config = readFile(path("config.ini"));
    EXPECT_TRUE(config.contains("\r\nCloseByTray=1\r\n"));
    EXPECT_TRUE(config.contains("\r\nThreshold=0\r\n"));

    // A file that is there but cannot be read says why and changes nothing.
    ASSERT_TRUE(QDir().mkpath(path("folder.ini")));
    ShellSettings untouched;
    EXPECT_EQ(LoadUsrIni(untouched, path("folder.ini")), platform::FileRead::NotAFile);
    EXPECT_EQ(LoadConfigIni(core, untouched, path("folder.ini")), platform::FileRead::NotAFile);
    EXPECT_EQ(untouched, ShellSettings{});
}

TEST_F(ConfigFiles, ValuesLongerThanTheOldReadBufferLoseNoEntry)
{
    QString paths;
    QStringList expected;
    for (int i = 0; i < 3000; ++i) {
        const QString p = QStringLiteral("/home/operator/screens/a very long folder name/screen %1.pl").arg(i);
        expected << p;
        paths += p + u';';
    }
    ASSERT_GT(paths.toUtf8().size(), 135200);
    ASSERT_TRUE(writeFile(path("config.ini"), "[File]\r\nSavePath=" + paths.toUtf8() + "\r\n"));
    CCore core;
    ShellSettings s;
    LoadConfigIni(core, s, path("config.ini"));
    EXPECT_EQ(s.screens.savePath, expected);
    ASSERT_TRUE(SaveConfigIni(core, s, path("config.ini")));
    ShellSettings again;
    CCore core2;
    LoadConfigIni(core2, again, path("config.ini"));
    EXPECT_EQ(again.screens.savePath, expected);
}

TEST_F(ConfigFiles, ListsOfDifferentLengthsStayAsRead)
{
    ASSERT_TRUE(writeFile(path("config.ini"), "[File]\r\nSavePath=a.pl;b.pl;c.pl;\r\n[CommInfo]\r\nPort=5005;\r\n"));
    CCore core;
    ShellSettings s;
    LoadConfigIni(core, s, path("config.ini"));
    EXPECT_EQ(s.screens.savePath.size(), 3);
    EXPECT_EQ(s.screens.port, (std::vector<std::uint16_t>{5005}));
    EXPECT_TRUE(s.screens.commMode.empty());
}

TEST_F(ConfigFiles, RemovedDefaultSearchEntriesStayRemoved)
{
    ASSERT_TRUE(writeFile(path("config.ini"),
                          "[Config]\r\nScreenScope=5;\r\nRetrievePort=\r\nIgnorePort=70000;21;\r\n"));
    CCore core;
    ShellSettings s;
    LoadConfigIni(core, s, path("config.ini"));
    ASSERT_TRUE(SaveConfigIni(core, s, path("config.ini")));
    const QByteArray out = readFile(path("config.ini"));
    EXPECT_TRUE(out.contains("\r\nScreenScope=5;\r\n"));
    EXPECT_TRUE(out.contains("\r\nRetrievePort=\r\n"));
    EXPECT_TRUE(out.contains("\r\nIgnorePort=21;\r\n"));   // no port number wraps into another
}
