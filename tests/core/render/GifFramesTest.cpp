// GIF items: the compile takes the frame count from the file, refuses a
// screen too large to hold before rendering it and stops on cancel; paints
// and the player decode only the frames they draw.
#include "RenderTestUtil.h"
#include "core/api/Core.h"
#include "core/model/CoreState.h"
#include "core/model/Utilities.h"
#include "core/render/ContentCompiler.h"
#include "core/render/ImageEx.h"
#include "core/render/PaintDispatch.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include "support/HostilePaths.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace sorvane::render;

using namespace sorvane::model;

namespace {

using namespace reftest;

const std::array<QRgb, 4> kPalette{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0)};

// n frames of w x h, frame k lit differently from its neighbours.
QByteArray gifOf(int w, int h, int n)
{
    std::vector<std::vector<std::uint8_t>> frames(std::size_t(n), std::vector<std::uint8_t>(std::size_t(w * h)));
    for (int k = 0; k < n; ++k)
        for (int i = 0; i < w * h; ++i)
            frames[std::size_t(k)][std::size_t(i)] = std::uint8_t((i + k) % 4);
    return makeGif(w, h, frames, std::vector<int>(std::size_t(n), 5), kPalette);
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& data)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
    return path;
}

class GifFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        screen = tree.screen(support::ScreenSpec{64, 32});
        scene = tree.scene(screen);
    }

    tagItemData* gifItem(const QString& path, int x, int y, int w, int h)
    {
        tagItemData* s = tree.section(scene, QRect(x, y, w, h), u"s");
        tagItemData* g = tree.item(s, IT_GIF, u"g");
        EXPECT_TRUE(g->Item.TypeRecord->set(records::picture::Path, path));
        ReadGifFrameDelays(g->Item.TypeRecord, path);
        return g;
    }

    QTemporaryDir dir;
    support::TreeBuilder tree;
    tagItemData* header = tree.header();
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
};

TEST_F(GifFrames, CompileTakesTheFrameCountFromTheFile)
{
    const QString path = writeFile(dir, "three.gif", gifOf(8, 8, 3));
    tagItemData* g = gifItem(path, 0, 0, 16, 16);
    ASSERT_EQ(g->Item.TypeRecord->get(records::picture::FrameCount), 3u);
    // A damaged or stale record claiming far more frames than the file holds.
    g->Item.TypeRecord->set(records::picture::FrameCount, 200000);
    QElapsedTimer t;
    t.start();
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    EXPECT_LT(t.elapsed(), 2000);
    const Bytes& h = CContentCompiler::CompiledSlot(g, 1);
    ASSERT_GE(h.size(), 16u);
    const std::size_t page = get32(h, 4);
    ASSERT_GT(page, 0u);
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(g, 0), 3 * page);
    EXPECT_EQ(get32(h, 0), 3u);
    EXPECT_EQ(h.size(), 16u + 4 * 3);
    CContentCompiler::FreeBuffers(screen);
}

TEST_F(GifFrames, AScreenTooLargeToHoldIsRefusedBeforeItsPagesAreBuilt)
{
    // Three full-width GIFs of 3000 real frames: each fits the 32-bit offsets
    // on its own (768 MB), together they do not.
    screen->Global.Width = 4096;
    screen->Global.Height = 512;
    screen->Global.ScanMode = 16;
    screen->Global.Type = 0;
    const QString path = writeFile(dir, "many.gif", gifOf(8, 8, 3000));
    for (int i = 0; i < 3; ++i)
        gifItem(path, 0, 0, 4096, 512);
    QElapsedTimer t;
    t.start();
    EXPECT_EQ(CContentCompiler::Compile(screen), 0);
    EXPECT_LT(t.elapsed(), 3000) << "pages were rendered before the total was checked";
    for (tagItemData* s = scene->FirstChild; s; s = s->NextSibling)
        EXPECT_TRUE(CContentCompiler::CompiledSlot(s->FirstChild, 0).empty());
}

TEST_F(GifFrames, ACancelledTransferStopsTheCompileAndKeepsTheCancel)
{
    CCore core;
    const QString path = writeFile(dir, "two.gif", gifOf(8, 8, 2));
    tagItemData* g = gifItem(path, 0, 0, 16, 16);
    ASSERT_NE(CancelEvent(), nullptr);
    CancelEvent()->set();
    EXPECT_EQ(CContentCompiler::Compile(screen), 0);
    EXPECT_TRUE(CContentCompiler::CompiledSlot(g, 0).empty());
    // The transfer still sees the cancel and reports it.
    EXPECT_TRUE(CancelEvent()->isSet());
    CancelEvent()->reset();
    EXPECT_EQ(CContentCompiler::Compile(screen), 1);
    CContentCompiler::FreeBuffers(screen);
}

// Frames as a full decode gives them.
std::vector<QImage> allFrames(const QString& path)
{
    const ImageEx all(path);
    std::vector<QImage> out;
    for (std::uint32_t i = 0; i < all.FrameCount(); ++i)
        out.push_back(all.Frame(i).convertToFormat(QImage::Format_RGB32));
    return out;
}

QImage playerDraw(const QString& path, int frame)
{
    QImage dc(64, 64, QImage::Format_RGB32);
    dc.fill(Qt::black);
    const std::u16string p = path.toStdU16String();
    CCore::ReadImageToDCEx(&dc, QRect(0, 0, 64, 64), p.c_str(), 0, frame);
    return dc;
}

TEST_F(GifFrames, PlayerDrawsEachFrameInLinearTimeAndTheRightFrame)
{
    const QString path = writeFile(dir, "play.gif", gifOf(64, 64, 200));
    const std::vector<QImage> frames = allFrames(path);
    ASSERT_EQ(frames.size(), 200u);
    QElapsedTimer once;
    once.start();
    allFrames(path);
    const qint64 decodeAll = std::max<qint64>(1, once.elapsed());

    QElapsedTimer t;
    t.start();
    for (int k = 0; k < 200; ++k)
        playerDraw(path, k);
    // Every frame decoded once, not the whole file per frame.
    EXPECT_LT(t.elapsed(), 10 * decodeAll + 200);

    for (int k : {0, 1, 57, 57, 3, 199, 250}) {
        const QImage want = frames[k < 200 ? std::size_t(k) : 0];
        EXPECT_EQ(playerDraw(path, k), want) << "frame " << k;
    }
    // Another file under the same name starts again.
    QFile::remove(path);
    writeFile(dir, "play.gif", gifOf(64, 64, 5));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    f.close();
    EXPECT_EQ(playerDraw(path, 7), allFrames(path)[0]);
    EXPECT_EQ(playerDraw(path, 4), allFrames(path)[4]);
}

TEST_F(GifFrames, PaintingAGifDecodesOnlyTheFrameItShows)
{
    const QString path = writeFile(dir, "paint.gif", gifOf(64, 64, 200));
    tagItemData* g = gifItem(path, 0, 0, 64, 32);
    QElapsedTimer once;
    once.start();
    const std::vector<QImage> frames = allFrames(path);
    const qint64 decodeAll = std::max<qint64>(1, once.elapsed());
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(PaintItemByKind(g), 1);
    EXPECT_LT(t.elapsed(), decodeAll * 5 / 4 + 20) << "each paint decoded every frame";
    QImage want(64, 32, QImage::Format_RGB32);
    want.fill(Qt::black);
    ImageEx(path).DrawInMode(want, QRect(0, 0, 64, 32), 0, 0);
    EXPECT_EQ(GetNodePicture(g).copy(0, 0, 64, 32).convertToFormat(QImage::Format_RGB32), want);
}

TEST_F(GifFrames, APictureThatIsNoFileDrawsNothingWithinASecond)
{
    support::HostilePaths hostile(dir.path(), QStringLiteral("chosen.gif"));
    ASSERT_TRUE(hostile.ready());
    const int threads = support::processThreadCount();
    for (const auto& c : hostile.cases()) {
        SCOPED_TRACE(c.what);
        tagItemData* g = nullptr;
        tagItemData* picture = nullptr;
        QImage frame(1, 1, QImage::Format_RGB32);
        EXPECT_TRUE(support::finishesWithin(
            support::kRefusalBound,
            [&] {
                g = gifItem(c.path, 0, 0, 16, 16);
                picture = tree.item(tree.section(scene, QRect(16, 0, 16, 16), u"p"), IT_IMAGE, u"p");
                picture->Item.TypeRecord->set(records::picture::Path, c.path);
                PaintItemByKind(g);
                PaintItemByKind(picture);
                frame = PlayerFrame(c.path, 0);
                CContentCompiler::Compile(screen);
            },
            [&] { hostile.release(); }));
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(g->Item.TypeRecord->get(records::picture::FrameCount), 0u);
        EXPECT_TRUE(frame.isNull());
        EXPECT_EQ(PictureFileFrameCount(c.path), 0u);
        EXPECT_EQ(ImageEx(c.path).FrameCount(), 0u);
        CContentCompiler::FreeBuffers(screen);
    }
    EXPECT_TRUE(support::threadsFallTo(threads));
}

} // namespace
