// Painters: what each kind draws into its node's preview and the content
// sizes it records.
#include "RenderTestUtil.h"
#include "core/api/Core.h"
#include "core/model/NodePictures.h"
#include "core/render/ImageEx.h"
#include "core/render/PaintDispatch.h"
#include "core/render/Painters.h"
#include "platform/FontMap.h"

#include <QFile>
#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextDocument>
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

using namespace sorvane::render;

namespace {

// Behind the parent's last child.
constexpr auto addChild = &support::TreeBuilder::append;

QRect litBounds(const QImage& img)
{
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) & 0xFFFFFF)
                r = r.united(QRect(x, y, 1, 1));
    return r;
}

class PaintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = tree.screen(support::ScreenSpec{64, 32, std::nullopt, std::nullopt});
        scene = tree.scene(screen);
        section = tree.section(scene, QRect(0, 0, 32, 16));
    }
    support::TreeBuilder tree;
    tagItemData* header = tree.header();
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* section = nullptr;
};

TEST_F(PaintTest, DispatchResultsByLevelAndKind)
{
    EXPECT_EQ(PaintItemByKind(nullptr), 0);
    EXPECT_EQ(PaintItemByKind(screen), 0);
    EXPECT_EQ(PaintItemByKind(header), 0);
    EXPECT_EQ(PaintItemByKind(scene), 1);
    EXPECT_EQ(PaintItemByKind(section), 1);
    tagItemData* odd = addChild(section, 0x105, u"odd");
    EXPECT_EQ(PaintItemByKind(odd), 0);
    tagItemData* line = addChild(section, IT_SINGLELINE, u"line");
    EXPECT_EQ(PaintItemByKind(line), 1);
    // Without a record nothing is drawn and the picture stays as it was.
    QImage marked = sorvane::model::NodePictures::peek(line).copy();
    marked.fill(qRgb(1, 2, 3));
    sorvane::model::NodePictures::swap(line, marked);
    delete line->Item.TypeRecord;
    line->Item.TypeRecord = nullptr;
    EXPECT_EQ(PaintItemByKind(line), 0);
    EXPECT_EQ(GetNodePicture(line).pixel(0, 0), qRgb(1, 2, 3));
    CCore core;
    EXPECT_EQ(core.Paint(section), 1);
}

TEST_F(PaintTest, SingleLineWiderThanItsSectionGrowsInSectionWidths)
{
    tagItemData* line = addChild(section, IT_SINGLELINE, u"line");
    ItemRecord* rec = line->Item.TypeRecord;
    records::SetItemText(line, QStringLiteral("A fairly long line of text 中文"));
    LOGFONT lf = rec->get(records::singleline::TextFont);
    lf.lfHeight = -14;
    rec->set(records::singleline::TextFont, lf);
    rec->set(records::singleline::Colour, 0x0000FF);   // red
    ASSERT_EQ(PaintItemByKind(line), 1);
    const QFontMetrics fm(platform::FontFromLogFont(lf));
    const int width = fm.horizontalAdvance(rec->text());
    EXPECT_GT(width, 32);
    EXPECT_EQ(line->Item.ContentW, std::uint32_t(width));
    EXPECT_EQ(line->Item.ContentH, 16u);
    EXPECT_EQ(GetNodePicture(line).width() % 32, 0);
    EXPECT_GE(GetNodePicture(line).width(), width);
    const QRect lit = litBounds(GetNodePicture(line));
    ASSERT_FALSE(lit.isEmpty());
    EXPECT_GT(lit.right(), 32);            // not clipped at the section
    EXPECT_LE(lit.right(), width);
    EXPECT_LT(lit.bottom(), 16);
    // Drawn in its own colour, without shades.
    for (int y = 0; y < GetNodePicture(line).height(); ++y)
        for (int x = 0; x < GetNodePicture(line).width(); ++x) {
            const QRgb c = GetNodePicture(line).pixel(x, y) & 0xFFFFFF;
            EXPECT_TRUE(c == 0 || c == 0xFF0000) << x << "," << y;
        }
    const QImage first = GetNodePicture(line).copy();
    ASSERT_EQ(PaintItemByKind(line), 1);
    EXPECT_EQ(GetNodePicture(line), first);   // the same on every run
}

TEST_F(PaintTest, RichTextWrapsAtTheItemWidthAndKeepsEveryCharacter)
{
    tagItemData* text = addChild(section, IT_TEXT, u"text");
    ItemRecord* rec = text->Item.TypeRecord;
    records::SetItemText(text, QStringLiteral(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green255\\blue0;}\\cf1\\f0\\fs20 "
        "one two three four five six seven eight nine ten\\par}"));
    rec->set(records::richtext::Wrap, 1);
    ASSERT_EQ(PaintItemByKind(text), 1);
    EXPECT_EQ(text->Item.ContentW, 32u);
    EXPECT_GT(text->Item.ContentH, 16u);
    const QRect lit = litBounds(GetNodePicture(text));
    ASSERT_FALSE(lit.isEmpty());
    EXPECT_LT(lit.right(), 32);
    EXPECT_LE(std::uint32_t(lit.bottom() + 1), text->Item.ContentH);
    EXPECT_EQ(std::uint32_t(lit.bottom() + 1), text->Item.ContentH);   // trimmed to the last lit row

    // Plain text keeps characters outside every 8-bit code page.
    QTextDocument doc;
    SetRichEditText(QStringLiteral("中文 ✓ ök"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("中文 ✓ ök"));
    SetRichEditText(QStringLiteral("{\\rtf"), doc);   // five characters: plain
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("{\\rtf"));
    SetRichEditText(QStringLiteral("{\\RTF1 hi}"), doc);
    EXPECT_EQ(doc.toPlainText(), QStringLiteral("hi"));
}

// What an imported document keeps is drawn on the canvas and in the
// compiled pages alike: a background, raised text, cells apart.
TEST_F(PaintTest, RichTextDrawsBackgroundsRaisedTextAndCells)
{
    // How far the top of the last glyph stands above the top of the first.
    const auto lastAboveFirst = [](const QImage& img) {
        QList<int> tops;          // per run of lit columns
        bool inGlyph = false;
        for (int x = 0; x < img.width(); ++x) {
            int top = -1;
            for (int y = 0; y < img.height() && top < 0; ++y)
                if (img.pixel(x, y) & 0xFFFFFF)
                    top = y;
            if (top >= 0 && !inGlyph)
                tops.append(top);
            else if (top >= 0)
                tops.last() = std::min(tops.last(), top);
            inGlyph = top >= 0;
        }
        return tops.size() < 2 ? 0 : tops.first() - tops.last();
    };
    const auto paint = [&](const char* body) {
        tagItemData* text = addChild(section, IT_TEXT, u"text");
        records::SetItemText(text, QString::fromLatin1(
            "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}{\\colortbl ;\\red0\\green255\\blue0;\\red0\\green0\\blue255;}"
            "\\cf1\\f0\\fs20 ") + QString::fromLatin1(body) + QStringLiteral("\\par}"));
        EXPECT_EQ(PaintItemByKind(text), 1);
        return text;
    };
    tagItemData* ground = paint("{\\chcbpat2 ab}");
    bool blue = false;
    for (int y = 0; y < GetNodePicture(ground).height(); ++y)
        blue = blue || (GetNodePicture(ground).pixel(2, y) & 0xFFFFFF) == 0x0000FF;
    EXPECT_TRUE(blue) << "the background is drawn";
    sorvane::render::PagedContent page(ground);
    QImage compiled(32, 16, QImage::Format_RGB32);
    compiled.fill(Qt::black);
    page.draw(compiled, QRect(0, 0, 32, 16));
    bool compiledBlue = false;
    for (int y = 0; y < compiled.height(); ++y)
        compiledBlue = compiledBlue || (compiled.pixel(2, y) & 0xFFFFFF) == 0x0000FF;
    EXPECT_TRUE(compiledBlue) << "and compiled";

    // "2" raised by six points stands higher over the "x" than a "2" on the
    // line (a line of 24 points leaves it room).
    const int level = lastAboveFirst(GetNodePicture(paint("\\sl-480\\slmult0 x2")));
    const int raised = lastAboveFirst(GetNodePicture(paint("\\sl-480\\slmult0 x{\\up12 2}")));
    EXPECT_GT(raised, level + 4);

    // Cells stand at their row's edges, apart however short their text.
    tagItemData* table = paint("\\trowd\\cellx600\\cellx1200\\pard\\intbl a\\cell b\\cell\\row");
    int litAt40 = 0;
    for (int y = 0; y < GetNodePicture(table).height(); ++y)
        for (int x = 40; x < 48 && x < GetNodePicture(table).width(); ++x)
            litAt40 += (GetNodePicture(table).pixel(x, y) & 0xFFFFFF) != 0;
    EXPECT_GT(litAt40, 0) << "the second cell starts at 600 twips (40 pixels)";
    EXPECT_GE(table->Item.ContentW, 40u);
}

TEST_F(PaintTest, PicturesScenesAndFrames)
{
    QTemporaryDir dir;
    QImage pic(20, 10, QImage::Format_RGB32);
    pic.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(pic.save(dir.filePath("p.png")));
    tagItemData* item = addChild(section, IT_IMAGE, u"pic");
    const QString path = dir.filePath("p.png");
    ASSERT_TRUE(item->Item.TypeRecord->set(records::picture::Path, path));
    item->Item.TypeRecord->set(records::picture::Mode, 1);   // centred
    ASSERT_EQ(PaintItemByKind(item), 1);
    EXPECT_EQ(item->Item.ContentW, 32u);
    EXPECT_EQ(item->Item.ContentH, 16u);
    EXPECT_EQ(litBounds(GetNodePicture(item)), QRect(6, 3, 20, 10));
    item->Item.TypeRecord->set(records::picture::Mode, 2);   // tiled from the corner
    PaintItemByKind(item);
    EXPECT_EQ(litBounds(GetNodePicture(item)), QRect(0, 0, 32, 16));
    item->Item.TypeRecord->set(records::picture::Path, QStringLiteral("x"));   // a file that does not load: black, still drawn
    EXPECT_EQ(PaintItemByKind(item), 1);
    EXPECT_TRUE(litBounds(GetNodePicture(item)).isEmpty());

    // A scene's picture sits inside its border and sets the picture-present word.
    scene->Scene.Frame->Width = 2;
    for (qsizetype i = 0; i < path.size(); ++i)
        scene->Scene.PicturePath[i] = path.at(i).unicode();
    scene->Scene.PictureMode = LAYOUT_STRETCH;
    ASSERT_EQ(PaintItemByKind(scene), 1);
    EXPECT_EQ(scene->Scene.PicturePresent, 1);
    EXPECT_EQ(litBounds(GetNodePicture(scene)), QRect(2, 2, 60, 28));
    scene->Scene.PicturePath[0] = u'#';
    PaintItemByKind(scene);
    EXPECT_EQ(scene->Scene.PicturePresent, 0);
    EXPECT_TRUE(litBounds(GetNodePicture(scene)).isEmpty());
}

// Many items showing one picture file share one decoded first frame; a file
// that changed is decoded again, and one that does not load counts no frame.
TEST(ImageExTest, APictureFileIsDecodedOnceForEveryItemUntilItChanges)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("shared.png");
    QImage pic(20, 10, QImage::Format_RGB32);
    pic.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(pic.save(path));
    const auto first = SharedFirstFrame(path);
    EXPECT_EQ(first->count, 1u);
    EXPECT_EQ(first->frame.convertToFormat(QImage::Format_RGB32), pic);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(SharedFirstFrame(path).get(), first.get());

    QImage other(30, 10, QImage::Format_RGB32);
    other.fill(qRgb(0, 255, 0));
    ASSERT_TRUE(other.save(path));
    const auto changed = SharedFirstFrame(path);
    EXPECT_NE(changed.get(), first.get());
    EXPECT_EQ(changed->frame.convertToFormat(QImage::Format_RGB32), other);
    EXPECT_EQ(first->frame.convertToFormat(QImage::Format_RGB32), pic);   // a holder keeps what it had

    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(SharedFirstFrame(path)->count, 0u);
    EXPECT_EQ(SharedFirstFrame(QString())->count, 0u);
}

TEST(ImageExTest, GifFramesDelaysAndOutOfRangeFrames)
{
    QTemporaryDir dir;
    const std::array<QRgb, 4> pal{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    std::vector<std::vector<std::uint8_t>> frames;
    for (int f = 0; f < 3; ++f)
        frames.push_back(std::vector<std::uint8_t>(4 * 2, std::uint8_t(f + 1)));
    QFile file(dir.filePath("a.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reftest::makeGif(4, 2, frames, {10, 20, 30}, pal));
    file.close();
    const ImageEx img(dir.filePath("a.gif"));
    ASSERT_EQ(img.FrameCount(), 3u);
    EXPECT_EQ(img.FrameDelays(), (std::vector<std::uint32_t>{100, 200, 300}));
    EXPECT_EQ(img.Frame(1).pixel(0, 0), pal[2]);
    // An index equal to the count is out of range: frame 0.
    EXPECT_EQ(img.Frame(3).pixel(0, 0), pal[1]);
    QImage out(4, 2, QImage::Format_RGB32);
    out.fill(Qt::black);
    EXPECT_EQ(img.DrawInMode(out, QRect(0, 0, 4, 2), 0, 2), 3u);
    EXPECT_EQ(out.pixel(0, 0), pal[3]);
    EXPECT_EQ(img.DrawInMode(out, QRect(0, 0, 4, 2), 0, 3), 0u);
    EXPECT_EQ(out.pixel(0, 0), pal[1]);
    const ImageEx missing(dir.filePath("none.gif"));
    EXPECT_EQ(missing.FrameCount(), 0u);
    EXPECT_TRUE(missing.FrameDelays().empty());

    QImage target(8, 8, QImage::Format_RGB32);
    target.fill(Qt::black);
    const QString path = dir.filePath("a.gif");
    const auto* wpath = reinterpret_cast<const char16_t*>(path.utf16());
    // Centred in a rectangle away from the origin: (3, 4) to (7, 6).
    CCore::ReadImageToDCEx(&target, QRect(2, 3, 6, 4), wpath, 1, 1);
    EXPECT_EQ(target.pixel(3, 4), pal[2]);
    EXPECT_EQ(target.pixel(6, 5), pal[2]);
    EXPECT_EQ(target.pixel(2, 4), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(3, 3), qRgb(0, 0, 0));

    // The GIF item reads its own file; other nodes are left alone.
    support::TreeBuilder tree;
    tagItemData* section = tree.section(tree.scene(tree.screen(std::nullopt, u"s"), u"sc"), std::nullopt, u"se");
    tagItemData* gif = tree.item(section, IT_GIF, u"g");
    tagItemData* still = tree.item(section, IT_IMAGE, u"i");
    for (tagItemData* n : {gif, still})
        ASSERT_TRUE(n->Item.TypeRecord->set(records::picture::Path, path));
    CCore::ReadGifImageFile(u"ignored", gif);
    CCore::ReadGifImageFile(wpath, still);
    CCore::ReadGifImageFile(wpath, nullptr);
    EXPECT_EQ(gif->Item.TypeRecord->get(records::picture::FrameCount), 3u);
    EXPECT_EQ(gif->Item.TypeRecord->get(records::picture::Delays[1]), 200u);
    EXPECT_EQ(still->Item.TypeRecord->get(records::picture::FrameCount), 0u);
}

} // namespace
