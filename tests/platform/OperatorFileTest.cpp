// The one reader of paths the operator names: regular files within a bound,
// nothing else, and never a wait.
#include "platform/LangPack.h"
#include "platform/OperatorFile.h"
#include "platform/ProfileIni.h"
#include "support/HostilePaths.h"

#include <QFile>
#include <QImage>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using platform::FileRead;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(OperatorFile, ReadsRegularFilesAndLinksToThemWithinTheBound)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    writeFile(path, QByteArray(3000000, 'x'));
    QByteArray out("old");
    EXPECT_EQ(platform::readOperatorFile(path, 3000000, out), FileRead::Ok);
    EXPECT_EQ(out, QByteArray(3000000, 'x'));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_EQ(platform::readOperatorFile(link, 3000000, out), FileRead::Ok);
    EXPECT_EQ(out.size(), 3000000);

    // One byte over is refused unread, with nothing kept.
    EXPECT_EQ(platform::readOperatorFile(path, 2999999, out), FileRead::TooLarge);
    EXPECT_TRUE(out.isEmpty());
    const QString empty = dir.filePath(QStringLiteral("empty"));
    writeFile(empty, {});
    EXPECT_EQ(platform::readOperatorFile(empty, 0, out), FileRead::Ok);
    EXPECT_EQ(platform::readOperatorFile(dir.filePath(QStringLiteral("none")), 10, out), FileRead::Missing);
    EXPECT_EQ(platform::readOperatorFile(path + QStringLiteral("/below"), 10, out), FileRead::Missing);
    EXPECT_EQ(platform::readOperatorFile(QString(), 10, out), FileRead::Missing);
    // A cancel between pieces stops the read.
    EXPECT_EQ(platform::readOperatorFile(path, 3000000, out, [] { return true; }), FileRead::Cancelled);
    EXPECT_TRUE(out.isEmpty());
    if (::geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
        EXPECT_EQ(platform::readOperatorFile(path, 3000000, out), FileRead::Unreadable);
    }
}

TEST(OperatorFile, RefusesDevicesPipesAndFoldersAtOnce)
{
    QTemporaryDir dir;
    support::HostilePaths hostile(dir.path(), QStringLiteral("a.txt"));
    ASSERT_TRUE(hostile.ready());
    const int threads = support::processThreadCount();
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        FileRead got = FileRead::Ok;
        QByteArray out;
        EXPECT_TRUE(support::finishesWithin(
            support::kRefusalBound, [&] { got = platform::readOperatorFile(c.path, 1 << 20, out); },
            [&] { hostile.release(); }));
        EXPECT_EQ(got, FileRead::NotAFile);
        EXPECT_TRUE(out.isEmpty());
        platform::ImageFileSource image(c.path);
        EXPECT_EQ(image.status(), FileRead::NotAFile);
        EXPECT_TRUE(image.reader().read().isNull());
    }
    EXPECT_TRUE(support::threadsFallTo(threads));
}

TEST(OperatorFile, PicturesAreReadFromTheirBytesByContent)
{
    QTemporaryDir dir;
    QImage red(3, 2, QImage::Format_RGB32);
    red.fill(Qt::red);
    // A PNG under the name of another kind still reads, as from the path.
    const QString path = dir.filePath(QStringLiteral("red.jpg"));
    ASSERT_TRUE(red.save(path, "PNG"));
    platform::ImageFileSource source(path);
    ASSERT_EQ(source.status(), FileRead::Ok);
    EXPECT_EQ(source.reader().read(), red);
    platform::ImageFileSource small(path, 10);
    EXPECT_EQ(small.status(), FileRead::TooLarge);
    EXPECT_TRUE(small.reader().read().isNull());
}

TEST(OperatorFile, MessagesNameThePathAndTheBound)
{
    const QString path = QStringLiteral("/tmp/a%2b");
    EXPECT_TRUE(platform::operatorFileMessage(FileRead::TooLarge, path, qint64(64) << 20).contains(u"/tmp/a%2b"));
    EXPECT_TRUE(platform::operatorFileMessage(FileRead::TooLarge, path, qint64(64) << 20).contains(u"64"));
    EXPECT_TRUE(platform::operatorFileMessage(FileRead::NotAFile, path, 1).startsWith(path));
    EXPECT_TRUE(platform::operatorFileMessage(FileRead::Ok, path, 1).isEmpty());
    EXPECT_TRUE(platform::operatorFileMessage(FileRead::Cancelled, path, 1).isEmpty());
}

TEST(OperatorFile, ProfilesAndPacksThatAreNoFilesAreRefusedAndLeftAsTheyAre)
{
    QTemporaryDir dir;
    support::HostilePaths hostile(dir.path(), QStringLiteral("config.ini"));
    ASSERT_TRUE(hostile.ready());
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(c.path).constData(), &before), 0);
        bool loaded = true, written = true, pack = true;
        QString why;
        EXPECT_TRUE(support::finishesWithin(
            support::kRefusalBound,
            [&] {
                platform::ProfileFile f;
                loaded = f.load(c.path);
                written = platform::WritePrivateProfileString(QStringLiteral("Config"), QStringLiteral("Language"),
                                                              QStringLiteral("9"), c.path);
                pack = platform::loadLangPack(c.path, &why);
            },
            [&] { hostile.release(); }));
        EXPECT_FALSE(loaded);
        EXPECT_FALSE(written);
        EXPECT_FALSE(pack);
        EXPECT_EQ(why, c.path + QStringLiteral(": not a file"));
        // Nothing was put in its place.
        struct stat after {};
        ASSERT_EQ(::stat(QFile::encodeName(c.path).constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
    }
    // A profile larger than any of ours is refused too.
    const QString huge = dir.filePath(QStringLiteral("huge.ini"));
    QFile f(huge);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(platform::kMaxProfileBytes + 1));
    f.close();
    platform::ProfileFile profile;
    EXPECT_FALSE(profile.load(huge));
    EXPECT_EQ(QFileInfo(huge).size(), platform::kMaxProfileBytes + 1);
}

// A copy never empties its own source (by the same path or a hard link) and
// never waits on a pipe; a loop of links is unreadable, not missing.
TEST(OperatorFile, CopiesRefuseTheirOwnSourceAndPipesAndLoopsAreNoMissingFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    writeFile(path, QByteArray("content"));
    const QString hard = dir.filePath(QStringLiteral("hard.txt"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(hard).constData()), 0);
    for (const QString& target : {path, hard}) {
        SCOPED_TRACE(target.toStdString());
        EXPECT_EQ(platform::copyOperatorFile(path, 100, target), FileRead::Unreadable);
        QByteArray held;
        EXPECT_EQ(platform::readOperatorFile(path, 100, held), FileRead::Ok);
        EXPECT_EQ(held, QByteArray("content"));
    }
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    FileRead got = FileRead::Ok;
    EXPECT_TRUE(support::finishesWithin(
        support::kRefusalBound, [&] { got = platform::copyOperatorFile(path, 100, fifo); }, [&] {
            QFile reader(fifo);   // lets a blocked open go on
            reader.open(QIODevice::ReadOnly);
        }));
    EXPECT_EQ(got, FileRead::Unreadable);
    EXPECT_TRUE(QFileInfo(fifo).exists());
    const QString copy = dir.filePath(QStringLiteral("copy.txt"));
    writeFile(copy, QByteArray("a longer old content"));
    EXPECT_EQ(platform::copyOperatorFile(path, 100, copy), FileRead::Ok);
    QByteArray copied;
    EXPECT_EQ(platform::readOperatorFile(copy, 100, copied), FileRead::Ok);
    EXPECT_EQ(copied, QByteArray("content"));

    const QString loop = dir.filePath(QStringLiteral("loop"));
    ASSERT_TRUE(QFile::link(loop, loop));
    QByteArray out;
    EXPECT_EQ(platform::readOperatorFile(loop, 100, out), FileRead::LinkLoop);
    EXPECT_EQ(platform::copyOperatorFile(loop, 100, copy), FileRead::LinkLoop);
    EXPECT_NE(platform::operatorFileMessage(FileRead::LinkLoop, loop, 100),
              platform::operatorFileMessage(FileRead::Unreadable, loop, 100));
}
