#include "ShellTestUtil.h"

#include "app/shell/ShellLang.h"
#include "app/shell/SplashWnd.h"

#include <nettle/des.h>

#include <QBuffer>
#include <gtest/gtest.h>

using namespace shell;

using namespace shelltest;

namespace {

QByteArray pngOf(const QImage& image)
{
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    image.save(&buf, "PNG");
    return png;
}

// Enciphers as the splash file is stored: whole blocks with the program key;
// a short last block keeps only as many bytes as it had.
QByteArray encipher(const QByteArray& plain)
{
    des_ctx ctx;
    des_set_key(&ctx, reinterpret_cast<const std::uint8_t*>("KPVRNTQB"));
    QByteArray out;
    for (qsizetype at = 0; at < plain.size(); at += 8) {
        std::uint8_t block[8] = {}, cipher[8];
        const qsizetype n = std::min<qsizetype>(8, plain.size() - at);
        std::memcpy(block, plain.constData() + at, size_t(n));
        des_encrypt(&ctx, 8, cipher, block);
        out.append(reinterpret_cast<const char*>(cipher), n);
    }
    return out;
}

QImage testPicture()
{
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(QColor(30, 60, 120));
    for (int x = 0; x < 200; x += 10)
        image.setPixel(x, 40, qRgb(255, 200, 0));
    return image;
}

struct PackDataScope {
    ~PackDataScope() { shell::clearPackOverrides(); }
};

} // namespace

TEST(Splash, AnEncipheredPictureOfOddLengthIsShown)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("CADV"));
    QByteArray plain = pngOf(testPicture());
    plain.append(QByteArray((8 - plain.size() % 8) % 8, '\0'));
    plain.append("tail!");   // past the picture's end: the file is not a multiple of 8
    const QByteArray file = encipher(plain);
    ASSERT_NE(file.size() % 8, 0);
    ASSERT_TRUE(writeFile(dir.filePath("CADV/PNDATA1"), file));

    const QByteArray back = DecipherSplashData(file);
    EXPECT_EQ(back.size(), file.size());
    EXPECT_EQ(back.left(plain.size() - 5), plain.left(plain.size() - 5));

    ASSERT_EQ(ShowSplash(dir.path() + u'/', 0), 1);
    CSplashWnd* w = CurrentSplash();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ShowSplash(dir.path() + u'/', 0), 0);   // one per process
    EXPECT_EQ(w->size(), QSize(200, 80));
    EXPECT_EQ(w->picture().convertToFormat(QImage::Format_RGB32), testPicture());
    QImage shown = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown.pixel(0, 0), testPicture().pixel(0, 0));
    EXPECT_EQ(shown.pixel(0, 40), qRgb(255, 200, 0));
    shown.save(QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + "/shell/splash.png");
    HideSplash();
    EXPECT_EQ(CurrentSplash(), nullptr);
}

TEST(Splash, PictureChoiceFollowsTheFolderAndTheOption)
{
    PackDataScope scope;
    QImage resource(40, 20, QImage::Format_RGB32);
    resource.fill(Qt::red);
    shell::setPackData(6268, pngOf(resource));
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';

    EXPECT_EQ(LoadSplashPicture(folder, 1).size(), QSize(40, 20));   // no CADV
    EXPECT_TRUE(LoadSplashPicture(folder, 0).isNull());
    ASSERT_EQ(ShowSplash(folder, 0), 0);                             // no picture, no window
    EXPECT_EQ(CurrentSplash(), nullptr);

    ASSERT_TRUE(QDir(dir.path()).mkdir("CADV"));
    EXPECT_EQ(LoadSplashPicture(folder, 1).size(), QSize(40, 20));   // empty CADV
    EXPECT_TRUE(LoadSplashPicture(folder, 0).isNull());
    ASSERT_TRUE(writeFile(dir.filePath("CADV/PNDATA1"), "garbage that deciphers to no picture"));
    EXPECT_EQ(LoadSplashPicture(folder, 1).size(), QSize(40, 20));
    EXPECT_TRUE(LoadSplashPicture(folder, 0).isNull());

    shell::clearPackOverrides();
    EXPECT_TRUE(LoadSplashPicture(folder, 1).isNull());   // the pack has none
}
