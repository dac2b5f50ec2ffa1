// A screen sent again takes what its last compile made of every scene and
// item that is unchanged; what the compile reads that changed in between
// (a node, the send's red-green order, the threshold, the language, a
// picture file) is drawn afresh, clocks and counters always are, and either
// way the blocks are those of a fresh compile.
#include "RenderTestUtil.h"
#include "core/api/Core.h"
#include "core/api/ScreenCopy.h"
#include "core/api/WorkMode.h"
#include "core/model/DynFrame.h"
#include "core/model/ItemData.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"
#include "core/render/AnalogClock.h"
#include "core/render/ClockText.h"
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

// What a send took from what was kept and what it drew again (scenes and
// items), from one call to the next.
struct Parts {
    unsigned taken = CContentCompiler::ReusedParts(), drawn = CContentCompiler::CompiledParts();
    Parts since() const { return Parts{CContentCompiler::ReusedParts() - taken, CContentCompiler::CompiledParts() - drawn}; }
};

TEST_F(CompileReuse, AnUnchangedScreenIsTakenWholeAndAChangeDrawsOnlyWhatItTouches)
{
    const Sent first = send(screen);
    ASSERT_EQ(first.compiled, 1);
    ASSERT_FALSE(first.blocks[3].empty());
    const unsigned before = CContentCompiler::ReusedCompiles();
    const Parts count;
    const Sent again = send(screen);
    EXPECT_EQ(again.compiled, 1);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), before + 1);
    EXPECT_EQ(count.since().taken, 3u);   // the scene, the text and the picture
    EXPECT_EQ(count.since().drawn, 0u);
    EXPECT_EQ(again.blocks, first.blocks);

    const struct {
        const char* what;
        std::function<void()> change;
        std::optional<bool> swap;
        unsigned drawn;   // of the scene, the text and the picture
    } changes[] = {
        {"a text", [&] { records::SetItemText(text, QStringLiteral("Something else")); PaintItemByKind(text); }, {}, 1},
        {"a section moved", [&] { image->Parent->Section.RectX = 60; }, {}, 1},
        {"an entry effect", [&] { text->InEffect = 2; }, {}, 1},
        {"the work mode", [&] { screen->Global.Type = 17; screen->Global.ScanMode = 4; }, {}, 3},
        {"another link's red-green order", [] {}, true, 3},
        {"the colour threshold", [&] { SetColourThreshold(40); }, {}, 3},
        {"the language", [&] { core.SetCurLang(4); }, {}, 3},
        {"the picture file rewritten", [&] { writePicture(picture, 99); }, {}, 2},
        {"the picture file touched", [&] {
             const struct timeval times[2] = {{1000000000, 0}, {1000000000, 0}};
             ASSERT_EQ(::utimes(QFile::encodeName(picture).constData(), times), 0);
         }, {}, 2},
        {"a scene added", [&] { addChild(screen, IT_SCENE, u"B"); }, {}, 1},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        send(screen);   // what is kept now
        const unsigned kept = CContentCompiler::ReusedCompiles();
        c.change();
        const Parts changing;
        const Sent changed = send(screen, c.swap);
        EXPECT_EQ(changed.compiled, 1);
        EXPECT_EQ(changing.since().drawn, c.drawn);
        EXPECT_EQ(CContentCompiler::ReusedCompiles(), kept + (c.drawn < 3 ? 1 : 0));
        EXPECT_EQ(changed.blocks, fresh(c.swap));
        // And unchanged again it is taken whole.
        const Parts unchanged;
        EXPECT_EQ(send(screen, c.swap).blocks, changed.blocks);
        EXPECT_EQ(unchanged.since().drawn, 0u);
        EXPECT_GT(unchanged.since().taken, 0u);
    }
}

// Clocks and counters draw the time of the compile: they are drawn on every
// send, what else the screen holds is taken.
TEST_F(CompileReuse, ClocksAreDrawnOnEverySendAndRefusedCompilesKeepNothing)
{
    tagItemData* clock = addChild(section(scene, 0, 32, 64, 32), IT_CLOCKDIGIT, u"c");
    tagItemData* counter = addChild(section(scene, 64, 32, 64, 32), IT_COUNT, u"n");
    PaintItemByKind(clock);
    PaintItemByKind(counter);
    EXPECT_EQ(send(screen).compiled, 1);
    const unsigned before = CContentCompiler::ReusedCompiles();
    const Parts count;
    EXPECT_EQ(send(screen).compiled, 1);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), before + 1);
    EXPECT_EQ(count.since().taken, 3u);
    EXPECT_EQ(count.since().drawn, 2u);

    // Of a screen of clocks alone its scene is taken.
    tagItemData* gone = image->Parent;
    UnlinkNode(gone);
    DestroyNode(gone);
    gone = text->Parent;
    UnlinkNode(gone);
    DestroyNode(gone);
    scene->Scene.PicturePresent = 0;
    scene->Scene.PicturePath[0] = 0;
    EXPECT_EQ(send(screen).compiled, 1);
    const unsigned clocksOnly = CContentCompiler::ReusedCompiles();
    const Parts onlyClocks;
    EXPECT_EQ(send(screen).compiled, 1);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), clocksOnly + 1);   // the scene
    EXPECT_EQ(onlyClocks.since().taken, 1u);
    EXPECT_EQ(onlyClocks.since().drawn, 2u);

    screen->Global.ScanMode = 0;   // refused
    const Parts refused;
    EXPECT_EQ(send(screen).compiled, 0);
    EXPECT_EQ(send(screen).compiled, 0);
    EXPECT_EQ(CContentCompiler::ReusedCompiles(), clocksOnly + 1);
    EXPECT_EQ(refused.since().taken, 0u);
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

namespace {

void setFont(ItemRecord* r, records::Font off, int height, const char16_t* face)
{
    LOGFONT lf{};
    lf.lfHeight = -height;
    lf.lfWeight = 400;
    lf.lfCharSet = 1;
    SetLogFontFaceName(lf, face);
    r->set(off, lf);
}

void giveBorder(tagItemData* node, int width)
{
    CreateFrame(node);
    DynFrame* f = *FrameSlotOf(node);
    f->Width = static_cast<std::uint16_t>(width);
    CreateFrameElement(0, u"band", f, nullptr);
}

void setPath(tagItemData* scene, const QString& path)
{
    std::fill(std::begin(scene->Scene.PicturePath), std::end(scene->Scene.PicturePath), u'\0');
    std::copy(path.utf16(), path.utf16() + path.size(), scene->Scene.PicturePath);
}

void writeGif(const QString& path, int shift)
{
    std::vector<std::uint8_t> f0(24 * 16), f1(24 * 16);
    for (std::size_t i = 0; i < f0.size(); ++i) {
        f0[i] = std::uint8_t((i + std::size_t(shift)) % 3);
        f1[i] = std::uint8_t((i / 24 + std::size_t(shift)) % 4);
    }
    const std::array<QRgb, 4> pal{qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0)};
    QFile gif(path);
    ASSERT_TRUE(gif.open(QIODevice::WriteOnly));
    gif.write(reftest::makeGif(24, 16, {f0, f1}, {10, 20}, pal));
}

// A screen of every kind of part: a global scene, backgrounds, borders,
// texts, rich text, a picture, an animation, a table, animated text, two
// items in one section, and clocks and a counter with settings that do not
// depend on when the test runs.
struct Varied {
    QTemporaryDir dir;
    tagItemData* header = CreateHeaderNode();
    tagItemData* screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
    tagItemData *glob, *a, *b, *text, *second, *rich, *picture, *gif, *table, *anim, *digital, *analog;

    Varied()
    {
        screen->Global.Width = 256;
        screen->Global.Height = 128;
        screen->Global.Type = 0;
        screen->Global.ScanMode = 16;
        writePicture(path("p.png"), 0);
        writePicture(path("q.png"), 50);
        writeGif(path("a.gif"), 0);
        glob = addChild(screen, IT_GLOBALSCENE, u"G");
        tagItemData* gs = section(glob, 224, 96, 32, 32);
        records::SetItemText(addChild(gs, IT_SINGLELINE, u"g"), QStringLiteral("G"));
        a = addChild(screen, IT_SCENE, u"A");
        setPath(a, path("q.png"));
        giveBorder(a, 2);
        tagItemData* s1 = section(a, 0, 0, 128, 32);
        giveBorder(s1, 1);
        text = addChild(s1, IT_SINGLELINE, u"t");
        records::SetItemText(text, QStringLiteral("The quick brown fox jumps over the lazy dog"));
        setFont(text->Item.TypeRecord, records::singleline::TextFont, 14, u"DejaVu Sans");
        text->InEffect = 1;
        second = addChild(s1, IT_SINGLELINE, u"t2");
        records::SetItemText(second, QStringLiteral("Second in turn"));
        tagItemData* s2 = section(a, 128, 0, 128, 64);
        giveBorder(s2, 3);
        rich = addChild(s2, IT_TEXT, u"rt");
        records::SetItemText(rich, QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil DejaVu Sans;}}"
                                                  "\\pard\\f0\\fs20 LED \\b rich\\b0  text\\par second line\\par}"));
        picture = addChild(section(a, 0, 32, 100, 64), IT_IMAGE, u"p");
        EXPECT_TRUE(picture->Item.TypeRecord->set(records::picture::Path, path("p.png")));
        gif = addChild(section(a, 90, 50, 48, 40), IT_GIF, u"gif");
        EXPECT_TRUE(gif->Item.TypeRecord->set(records::picture::Path, path("a.gif")));
        table = addChild(section(a, 0, 96, 200, 32), IT_GRID, u"grid");
        anim = addChild(section(a, 200, 96, 56, 32), IT_TEXTGIF, u"tg");
        records::SetItemText(anim, QStringLiteral("Animated"));
        anim->Item.TypeRecord->set(records::textgif::Effect, 3);
        anim->Item.TypeRecord->set(records::textgif::Repeat, 1);
        b = addChild(screen, IT_SCENE, u"B");
        analog = addChild(section(b, 0, 0, 128, 128), IT_CLOCKSIMUL, u"an");
        analog->Item.TypeRecord->set(sorvane::render::clocksimul::FaceFlags, 4);
        digital = addChild(section(b, 128, 64, 128, 32), IT_CLOCKDIGIT, u"dc");
        setFont(digital->Item.TypeRecord, sorvane::render::clockdigit::TextFont, 12, u"DejaVu Sans Mono");
        digital->Item.TypeRecord->set(sorvane::render::clockdigit::ShowFlags, 0x70);
        tagItemData* cn = addChild(section(b, 128, 96, 96, 32), IT_COUNT, u"cn");
        setFont(cn->Item.TypeRecord, sorvane::render::counter::TextFont, 12, u"DejaVu Sans Mono");
        cn->Item.TypeRecord->set(sorvane::render::counter::Target, 0xFFFFFFFFu);
        cn->Item.TypeRecord->set(sorvane::render::counter::Units,
                                 sorvane::render::counter::Days | sorvane::render::counter::Hours
                                     | sorvane::render::counter::Minutes | sorvane::render::counter::Seconds);
        records::SetItemText(addChild(section(b, 0, 0, 64, 32), IT_SINGLELINE, u"over"), QStringLiteral("Over"));
        ForEachNode(screen, [](tagItemData* n) { PaintItemByKind(n); });
    }
    ~Varied() { DestroyNode(header); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// Every compile that takes kept parts gives the bytes of a fresh compile,
// whatever changed since the parts were kept, and takes what it may.
TEST(CompileReuseProperty, ReusedPartsGiveTheBytesOfAFreshCompile)
{
    CCore core;
    core.SetCurLang(9);
    const std::uint32_t threshold = ColourThreshold();
    const struct {
        const char* what;
        std::function<void(Varied&)> change;
        bool takesSome;   // something unchanged is left to take
    } edits[] = {
        {"nothing", [](Varied&) {}, true},
        {"a text", [](Varied& v) { records::SetItemText(v.text, QStringLiteral("Changed")); PaintItemByKind(v.text); }, true},
        {"a text not painted again", [](Varied& v) { records::SetItemText(v.second, QStringLiteral("Unpainted")); }, true},
        {"rich text", [](Varied& v) {
             records::SetItemText(v.rich, QStringLiteral("{\\rtf1\\ansi\\pard\\fs28 other\\par}"));
             PaintItemByKind(v.rich);
         }, true},
        {"a section moved", [](Varied& v) { v.picture->Parent->Section.RectX = 20; }, true},
        {"a section resized", [](Varied& v) { v.rich->Parent->Section.RectH = 40; PaintItemByKind(v.rich); }, true},
        {"a section's border widened", [](Varied& v) { (*FrameSlotOf(v.text->Parent))->Width = 3; }, true},
        {"a scene's border widened", [](Varied& v) { (*FrameSlotOf(v.a))->Width = 4; }, true},
        {"the global scene's section moved", [](Varied& v) { v.glob->FirstChild->Section.RectX = 0; }, true},
        {"two items swapped in turn", [](Varied& v) { MoveNode(v.text, v.second, v.text->Parent); }, true},
        {"an item removed", [](Varied& v) {
             tagItemData* t = v.second;
             UnlinkNode(t);
             DestroyNode(t);
         }, true},
        {"an item copied into another section", [](Varied& v) {
             PaintItemByKind(CopyNode(v.gif->Parent, v.text, v.gif));
         }, true},
        {"an item renamed", [](Varied& v) { v.text->Name[0] = u'X'; }, true},
        {"an entry effect and speed", [](Varied& v) { v.text->InEffect = 2; v.picture->InSpeed = 9; }, true},
        {"the picture file rewritten", [](Varied& v) { writePicture(v.path("p.png"), 77); }, true},
        {"the animation file rewritten", [](Varied& v) { writeGif(v.path("a.gif"), 1); }, true},
        {"the background changed", [](Varied& v) { setPath(v.a, v.path("p.png")); PaintItemByKind(v.a); }, true},
        {"a background on the global scene", [](Varied& v) { setPath(v.glob, v.path("q.png")); PaintItemByKind(v.glob); }, true},
        {"a picture given by a caller", [](Varied& v) {
             // Of the text's own size: the node reads as before.
             QImage given(int(v.text->Item.ContentW), int(v.text->Item.ContentH), QImage::Format_RGB32);
             given.fill(qRgb(200, 30, 90));
             SetNodePicture(v.text, given);
         }, true},
        {"a clock's format", [](Varied& v) { v.digital->Item.TypeRecord->set(sorvane::render::clockdigit::ShowFlags, 0x30); }, true},
        {"the work mode", [](Varied& v) { v.screen->Global.Type = 17; v.screen->Global.ScanMode = 4; }, false},
        {"the screen's red-green order", [](Varied& v) { v.screen->Global.SwapRedGreen = 1; }, false},
        {"the colour threshold", [](Varied&) { SetColourThreshold(60); }, false},
        {"the language", [&core](Varied&) { core.SetCurLang(4); }, false},
        {"a scan the work mode refuses", [](Varied& v) { v.screen->Global.ScanMode = 0; }, false},
    };
    for (const auto& e : edits) {
        SCOPED_TRACE(e.what);
        CContentCompiler::ForgetCompiled(nullptr);
        core.SetCurLang(9);
        SetColourThreshold(threshold);
        Varied v;
        ASSERT_EQ(send(v.screen).compiled, 1);
        e.change(v);
        const Parts count;
        const Sent reused = send(v.screen);
        const Parts taken = count.since();
        CContentCompiler::ForgetCompiled(nullptr);
        const Sent fresh = send(v.screen);
        EXPECT_EQ(reused.compiled, fresh.compiled);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_TRUE(reused.blocks[i] == fresh.blocks[i]) << "block " << i;
        EXPECT_EQ(taken.taken > 0, e.takesSome);
    }
    CContentCompiler::ForgetCompiled(nullptr);
    SetColourThreshold(threshold);
}

// Parts are matched by what they are made of, not by the screen they came
// from: a copy of a screen (another screen object of the same content)
// takes what the screen's send kept, and a screen going away drops only
// what it last used.
TEST(CompileReuseProperty, AnotherScreenOfTheSameContentTakesWhatWasKept)
{
    CCore core;
    core.SetCurLang(9);
    CContentCompiler::ForgetCompiled(nullptr);
    Varied v;
    const Sent first = send(v.screen);
    ASSERT_EQ(first.compiled, 1);
    const std::vector<std::uint8_t> image = BuildStoreImage(v.screen, StoreSizeOf(v.screen));
    tagItemData* copy = CreateNode(v.screen, IT_SCREEN, u"copy", v.header);
    ASSERT_EQ(LoadProgramList(copy, image.data(), image.size()), PL_OK);
    const Parts count;
    const Sent copied = send(copy);
    const Parts taken = count.since();
    EXPECT_EQ(copied.blocks, first.blocks);
    EXPECT_GT(taken.taken, 0u);
    EXPECT_GE(taken.drawn, 3u);   // two clocks and the counter at least

    // The copy used the parts last, and kept what it drew: the screen going
    // away leaves them.
    CContentCompiler::ForgetCompiled(v.screen);
    const Parts again;
    EXPECT_EQ(send(copy).blocks, first.blocks);
    EXPECT_EQ(again.since().taken, taken.taken + taken.drawn - 3);
    EXPECT_EQ(again.since().drawn, 3u);
    UnlinkNode(copy);
    DestroyNode(copy);
    const Parts gone;
    send(v.screen);
    EXPECT_EQ(gone.since().taken, 0u);
    CContentCompiler::ForgetCompiled(nullptr);
}

// A job compiles a copy of the screen, made for it and gone after it: what
// one copy's send keeps, the next copy's send takes, and the screen going
// away drops it.
TEST(CompileReuseProperty, EachSendOfACopyTakesWhatTheLastCopyKept)
{
    CCore core;
    core.SetCurLang(9);
    CContentCompiler::ForgetCompiled(nullptr);
    Varied v;
    Sent first;
    {
        CScreenCopy copy(v.screen);
        ASSERT_TRUE(copy.ok());
        first = send(copy.screen());
        ASSERT_EQ(first.compiled, 1);
    }
    const Parts count;
    {
        CScreenCopy copy(v.screen);
        EXPECT_EQ(send(copy.screen()).blocks, first.blocks);
    }
    EXPECT_EQ(count.since().taken, 12u);
    EXPECT_EQ(count.since().drawn, 3u);   // two clocks and the counter
    CContentCompiler::ForgetCompiled(v.screen);
    const Parts forgotten;
    {
        CScreenCopy copy(v.screen);
        send(copy.screen());
    }
    EXPECT_EQ(forgotten.since().taken, 0u);
    CContentCompiler::ForgetCompiled(nullptr);
}

} // namespace
