// A screen sent again unchanged takes its last compile; anything the compile
// reads that changed in between (the tree, the send's red-green order, the
// threshold, the language, a picture file) compiles afresh, and either way
// the blocks are those of a fresh compile.
#include "RenderTestUtil.h"
#include "core/api/Core.h"
#include "core/api/WorkMode.h"
#include "core/model/ItemData.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "core/render/PaintDispatch.h"
#include "core/render/ProgramSchema.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

using namespace sorvane::render;
using namespace sorvane::model;
using reftest::Bytes;

namespace {

tagItemData* addChild(tagItemData* parent, std::uint16_t type, const char16_t* name)
{
    tagItemData* last = parent->FirstChild;
    while (last && last->NextSibling)
        last = last->NextSibling;
    return CreateNode(last, type, name, parent);
}

tagItemData* section(tagItemData* scene, int x, int y, int w, int h)
{
    tagItemData* s = addChild(scene, IT_WND_TEXT, u"s");
    s->Section.RectX = std::uint16_t(x);
    s->Section.RectY = std::uint16_t(y);
    s->Section.RectW = std::uint16_t(w);
    s->Section.RectH = std::uint16_t(h);
    return s;
}

void writePicture(const QString& path, int shade)
{
    QImage pic(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < pic.height(); ++y)
        for (int x = 0; x < pic.width(); ++x)
            pic.setPixel(x, y, qRgb((x * 29 + shade) & 255, (y * 13) & 255, ((x + y) * 7) & 255));
    ASSERT_TRUE(pic.save(path, "PNG"));
}

using Blocks = std::array<Bytes, 4>;

struct Sent {
    int compiled;
    Blocks blocks;
};

// A send's compile: compiled, read, freed.
Sent send(tagItemData* screen, std::optional<bool> swap = std::nullopt)
{
    Sent s{swap ? CContentCompiler::Compile(screen, *swap) : CContentCompiler::Compile(screen), {}};
    for (std::size_t i = 0; i < 4; ++i) {
        const auto block = program::BlockOrder[i];
        s.blocks[i].resize(CContentCompiler::GetBlockSize(screen, block));
        CContentCompiler::CopyBlock(screen, block, s.blocks[i].data(), s.blocks[i].size());
    }
    CContentCompiler::FreeBuffers(screen);
    return s;
}

class CompileReuse : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        core.SetCurLang(9);
        picture = dir.filePath("p.png");
        writePicture(picture, 0);
        header = CreateHeaderNode();
        screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
        screen->Global.Width = 128;
        screen->Global.Height = 64;
        screen->Global.Type = 0;
        screen->Global.ScanMode = 16;
        scene = addChild(screen, IT_SCENE, u"A");
        std::copy(picture.utf16(), picture.utf16() + picture.size(), scene->Scene.PicturePath);
        scene->Scene.PicturePresent = 1;
        text = addChild(section(scene, 0, 0, 64, 32), IT_SINGLELINE, u"t");
        records::SetItemText(text, QStringLiteral("Sent again unchanged"));
        text->InEffect = 1;
        image = addChild(section(scene, 64, 0, 64, 64), IT_IMAGE, u"p");
        ASSERT_TRUE(image->Item.TypeRecord->set(records::picture::Path, picture));
        PaintItemByKind(text);
        PaintItemByKind(image);
        CContentCompiler::ForgetCompiled(nullptr);
    }
    void TearDown() override
    {
        SetColourThreshold(threshold);
        DestroyNode(header);
    }

    // What a compile that keeps nothing gives now.
    Blocks fresh(std::optional<bool> swap = std::nullopt)
    {
        CContentCompiler::ForgetCompiled(screen);
        return send(screen, swap).blocks;
    }

    CCore core;
    QTemporaryDir dir;
    QString picture;
    std::uint32_t threshold = ColourThreshold();
    tagItemData* header = nullptr;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* text = nullptr;
    tagItemData* image = nullptr;
};

TEST_F(CompileReuse, AnUnchangedScreenTakesItsLastCompileAndAnyChangeCompilesAfresh)
{
    const Sent first = send(screen);
    ASSERT_EQ(first.compiled, 1);
    ASSERT_FALSE(first.blocks[3].empty());
    const unsigned before = CContentCompiler::ReusedCompiles();
    const Sent again = send(screen);
    EXPECT_EQ(again.compiled, 1);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), before + 1);
    EXPECT_EQ(again.blocks, first.blocks);

    const struct {
        const char* what;
        std::function<void()> change;
        std::optional<bool> swap;
    } changes[] = {
        {"a text", [&] { records::SetItemText(text, QStringLiteral("Something else")); PaintItemByKind(text); }, {}},
        {"a section moved", [&] { image->Parent->Section.RectX = 60; }, {}},
        {"an entry effect", [&] { text->InEffect = 2; }, {}},
        {"the work mode", [&] { screen->Global.Type = 17; screen->Global.ScanMode = 4; }, {}},
        {"another link's red-green order", [] {}, true},
        {"the colour threshold", [&] { SetColourThreshold(40); }, {}},
        {"the picture file rewritten", [&] { writePicture(picture, 99); }, {}},
        {"the picture file touched", [&] {
             const struct timeval times[2] = {{1000000000, 0}, {1000000000, 0}};
             ASSERT_EQ(::utimes(QFile::encodeName(picture).constData(), times), 0);
         }, {}},
        {"a scene added", [&] { addChild(screen, IT_SCENE, u"B"); }, {}},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        send(screen);   // what is kept now
        const unsigned kept = CContentCompiler::ReusedCompiles();
        c.change();
        const Sent changed = send(screen, c.swap);
        EXPECT_EQ(changed.compiled, 1);
        EXPECT_EQ(CContentCompiler::ReusedCompiles(), kept);
        EXPECT_EQ(changed.blocks, fresh(c.swap));
        // And unchanged again it is taken.
        EXPECT_EQ(send(screen, c.swap).blocks, changed.blocks);
        EXPECT_EQ(CContentCompiler::ReusedCompiles(), kept + 1);
    }
}

TEST_F(CompileReuse, ClocksAndRefusedCompilesAreNeverKept)
{
    tagItemData* clock = addChild(section(scene, 0, 32, 64, 32), IT_CLOCKDIGIT, u"c");
    PaintItemByKind(clock);
    const unsigned before = CContentCompiler::ReusedCompiles();
    EXPECT_EQ(send(screen).compiled, 1);
    EXPECT_EQ(send(screen).compiled, 1);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), before);

    tagItemData* gone = clock->Parent;
    UnlinkNode(gone);
    DestroyNode(gone);
    screen->Global.ScanMode = 0;   // refused
    EXPECT_EQ(send(screen).compiled, 0);
    EXPECT_EQ(send(screen).compiled, 0);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), before);
}

// The compile's slots are its own: the tree reads the same (every node's
// stored image) before a compile, while its blocks are read and after.
TEST_F(CompileReuse, ACompileWritesNothingIntoTheTree)
{
    const auto images = [&] {
        std::vector<Bytes> out;
        ForEachNode(screen, [&](tagItemData* n) {
            Bytes b(ITEMDATA_SIZE);
            WriteNodeImage(*n, b.data());
            out.push_back(std::move(b));
        });
        return out;
    };
    const std::vector<Bytes> before = images();
    for (int pass = 0; pass < 2; ++pass) {   // compiled, then taken from what was kept
        SCOPED_TRACE(pass);
        ASSERT_EQ(CContentCompiler::Compile(screen), 1);
        EXPECT_GT(CContentCompiler::CompiledSlotSize(text, program::slot::ItemPages), 0u);
        EXPECT_EQ(images(), before);
        CContentCompiler::FreeBuffers(screen);
        EXPECT_EQ(CContentCompiler::CompiledSlotSize(text, program::slot::ItemPages), 0u);
        EXPECT_EQ(images(), before);
    }
}

// A screen forgotten while its blocks are read is read to the end, and its
// compile is not kept.
TEST_F(CompileReuse, ForgottenWhileReadItIsReadToTheEndAndNotKept)
{
    const Blocks want = fresh();
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    CContentCompiler::ForgetCompiled(screen);
    for (std::size_t i = 0; i < 4; ++i) {
        Bytes b(CContentCompiler::GetBlockSize(screen, program::BlockOrder[i]));
        CContentCompiler::CopyBlock(screen, program::BlockOrder[i], b.data(), b.size());
        EXPECT_EQ(b, want[i]) << "block " << i;
    }
    CContentCompiler::FreeBuffers(screen);
    const unsigned before = CContentCompiler::ReusedCompiles();
    EXPECT_EQ(send(screen).blocks, want);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), before);
}

} // namespace
