#include "core/model/CoreAccess.h"
#include "ImageBytes.h"
#include "core/api/Core.h"
#include "core/model/HardwareInfo.h"
#include "core/model/NodePictures.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"
#include "support/StoredNodes.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <functional>
#include <map>
#include <string>

using namespace sorvane::model;

namespace {

struct Report {
    unsigned cmd;
    unsigned event;
    std::uintptr_t value;
    std::u16string text;   // the path, for open failures
};
std::vector<Report> g_reports;
void recordReport(unsigned cmd, unsigned event, std::uintptr_t value)
{
    Report r{cmd, event, value, {}};
    const CallbackPayload payload = DecodeCallback(CallbackSource::File, cmd, event, value);
    if (payload.kind == CallbackPayload::Kind::Text && value)
        r.text = payload.text.toStdU16String();
    g_reports.push_back(r);
}

Bytes storeOf(CCore& core, tagItemData* node)
{
    Bytes out(core.GetStoreSize(node), 0xCC);
    EXPECT_EQ(core.Store(node, out.data(), static_cast<unsigned>(out.size())), 0u);
    return out;
}

Bytes readFile(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    return Bytes(b.begin(), b.end());
}

void writeFile(const QString& path, const Bytes& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

class ProgramList : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_reports.clear();
        core.SetFileCallBack(recordReport);
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    }
    std::u16string path(const char* name) const { return dir.filePath(QString::fromLatin1(name)).toStdU16String(); }
    QString qpath(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Scenes (global and normal, with schedules), bordered sections and every item kind.
    void buildRichScreen()
    {
        screen->Global.Width = 96;
        screen->Global.Height = 48;
        screen->Global.ID = 7;
        screen->Global.Type = 21;
        screen->Global.BaudRate = 115200;
        screen->Global.HourSU = 6;
        screen->Global.AutoS = 1;
        screen->Global.WeekSD = 0x41;
        tagItemData* global = core.AddItem(IT_GLOBALSCENE, u"global", screen, nullptr);
        tagItemData* scene = core.AddItem(IT_SCENE, u"morning", screen, global);
        scene->PlayTime = 30000;
        scene->Scene.Schedule = 7;
        scene->Scene.ScheduleDate = 812345678;
        scene->Scene.ScheduleWeekdays = 0x3E;
        scene->Scene.StartTime = 0x0700;
        scene->Scene.EndTime = 0x0B1E;
        scene->Scene.PictureMode = 2;
        std::u16string pic = u"/pictures/back.png";
        std::copy(pic.begin(), pic.end(), scene->Scene.PicturePath);
        core.SetItemFrame(scene, 2);
        DynFrameElement* bar = core.AddFrameElement(0, u"bar", scene->Scene.Frame, nullptr);
        bar->Motion = 3;
        bar->Speed = 77;
        DynFrameElement* custom = core.AddFrameElement(255, u"custom", scene->Scene.Frame, bar);
        SetFrameElementData(custom, {'/', 0, 'x', 0, '.', 0, 'p', 0});
        tagItemData* clockWnd = core.AddItem(IT_WND_CLOCKDIGIT, u"clocks", global, nullptr);
        core.ChangeItemRect(clockWnd, 60, 0, 30, 16);
        core.AddItem(IT_CLOCKDIGIT, u"digital", clockWnd, nullptr);
        tagItemData* analog = core.AddItem(IT_CLOCKSIMUL, u"analog", clockWnd, clockWnd->FirstChild);
        analog->Item.TypeRecord->set(records::clocksimul::SecondColour, 0x123456);

        tagItemData* texts = core.AddItem(IT_WND_TEXT, u"texts", scene, nullptr);
        core.ChangeItemRect(texts, 4, 4, 40, 20);
        core.SetItemFrame(texts, 1);
        core.AddFrameElement(6, u"pattern", texts->Section.Frame, nullptr);
        tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", texts, nullptr);
        records::SetItemText(line, QString::fromUtf16(u"Hello 世界"));
        line->Item.OutEffect = 5;
        line->Item.OutSpeed = 33;
        line->InEffect = 12;
        tagItemData* rich = core.AddItem(IT_TEXT, u"rich", texts, line);
        rich->Item.TypeRecord->set(records::richtext::Wrap, 1);
        // Edited records are painted again, as the panels do.
        core.Paint(line);
        core.Paint(rich);
        tagItemData* pic1 = core.AddItem(IT_IMAGE, u"picture", texts, rich);
        pic1->Item.TypeRecord->set(records::picture::Mode, 1);
        tagItemData* gif = core.AddItem(IT_GIF, u"gif", texts, pic1);
        gif->Item.TypeRecord->set(records::picture::FrameCount, 3);
        tagItemData* grid = core.AddItem(IT_GRID, u"table", texts, gif);
        records::SetItemTableStream(grid, QByteArray("GRID\x01\x00pen", 9));
        core.AddItem(IT_TEXTGIF, u"cool", texts, grid);

        tagItemData* counters = core.AddItem(IT_WND_COUNT, u"counters", scene, texts);
        core.ChangeItemRect(counters, 50, 24, 40, 20);
        core.AddItem(IT_COUNT, u"up", counters, nullptr);
        core.AddItem(3, u"unknown", counters, counters->FirstChild);
        tagItemData* scene2 = core.AddItem(IT_SCENE, u"evening", screen, scene);
        core.AddItem(IT_WND_PROGLIST, u"empty", scene2, nullptr);
    }

    QTemporaryDir dir;
    CCore core;
    tagItemData* screen = nullptr;
};

// The header and settings of a version-1..4 image, node area empty.
Bytes header(std::uint8_t version, std::uint32_t nodeSize = 0, std::uint32_t settingsSize = 384)
{
    Bytes b(440, 0);
    set16(b, 0, 0x4C50);
    b[2] = version;
    b[3] = 56;
    set32(b, 4, nodeSize);
    set16(b, 8, 928);
    set32(b, 12, 440);
    set32(b, 16, settingsSize);
    set32(b, 20, 56);
    if (version >= 3) {   // settings as a new record holds them
        _tagHardwareInfo h;
        InitHardwareInfo(&h);
        WriteHardwareInfo(h, b.data() + 56);
    }
    return b;
}

// A bare node image of the given level with a name and type word.
Bytes nodeImage(std::uint32_t level, std::uint16_t type, const std::u16string& name)
{
    Bytes b(928, 0);
    set32(b, 0, level);
    b[4] = 3;
    set16(b, 6, 928);
    set32(b, 48, 0xFFFF);
    setWide(b, 52, name);
    set32(b, 308, 2000);
    set16(b, 316, level == 1 ? 564 : level == 2 ? 24 : 28);
    if (level == 1 || level == 3)
        set16(b, 320, type);
    if (level == 2)
        b[319] = static_cast<std::uint8_t>(type);
    return b;
}

void append(Bytes& to, const Bytes& what) { to.insert(to.end(), what.begin(), what.end()); }

} // namespace

TEST_F(ProgramList, AScreenWithoutScenesIsHeaderAndSettings)
{
    EXPECT_EQ(core.GetStoreSize(screen), 440u);
    EXPECT_EQ(core.GetStoreSize(nullptr), 440u);
    Bytes want = header(4);
    // Settings: the record's defaults overlaid with the screen's.
    set16(want, 56, 1);
    set16(want, 58, 384);
    want[60] = 1;
    set16(want, 68, 64);
    set16(want, 70, 32);
    set16(want, 72, 200);
    set16(want, 74, 17);
    set16(want, 76, 4);
    set16(want, 82, 100);
    set32(want, 256, 0xFFFFFFFF);
    set32(want, 300, 9600);
    for (int i = 0; i < 8; ++i)
        want[304 + i] = 0xFF;
    EXPECT_EQ(diffOffsets(storeOf(core, screen), want), std::vector<std::size_t>{});
}

TEST_F(ProgramList, StoreNeverWritesPastItsBuffer)
{
    buildRichScreen();
    const unsigned full = core.GetStoreSize(screen);
    Bytes whole = storeOf(core, screen);
    Bytes small(1000 + 16, 0xEE);
    EXPECT_EQ(core.Store(screen, small.data(), 1000), 0u);
    for (std::size_t i = 1000; i < small.size(); ++i)
        ASSERT_EQ(small[i], 0xEE) << i;
    EXPECT_EQ(get32(small, 4), 1000u - 440u);   // the header claims the buffer it was given
    EXPECT_EQ(Bytes(small.begin() + 8, small.begin() + 1000), Bytes(whole.begin() + 8, whole.begin() + 1000));
    Bytes tiny(100, 0xEE);
    core.Store(screen, tiny.data(), 20);
    EXPECT_EQ(get16(tiny, 0), 0x4C50);
    EXPECT_EQ(tiny[20], 0xEE);
    EXPECT_EQ(core.Store(screen, nullptr, full), 0u);
}

TEST_F(ProgramList, StoredImagesOfNodesAndPayloads)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
    core.SetItemFrame(scene, 1);
    DynFrameElement* e = core.AddFrameElement(255, u"pic", scene->Scene.Frame, nullptr);
    SetFrameElementData(e, {'a', 0});
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    tagItemData* line = core.AddItem(IT_SINGLELINE, u"l", section, nullptr);
    records::SetItemText(line, QStringLiteral("ab"));
    const Bytes img = storeOf(core, screen);
    ASSERT_EQ(img.size(), 440u + (928 + 24 + 314) + (928 + 24) + (928 + 116));
    EXPECT_EQ(get32(img, 4), img.size() - 440);
    // Scene: payload reference 928, frame size 24 + 314, then the frame and its element.
    const std::size_t s = 440;
    EXPECT_EQ(get32(img, s + 856), 928u);
    EXPECT_EQ(get32(img, s + 860), 338u);
    EXPECT_EQ(scene->Scene.FrameSize, 338u);
    EXPECT_EQ(get16(img, s + 928 + 4), 1);          // width
    EXPECT_EQ(get16(img, s + 928 + 16), 0);         // element count not stored
    EXPECT_EQ(get32(img, s + 928 + 20), 0u);
    const std::size_t el = s + 928 + 24;
    EXPECT_EQ(get16(img, el + 2), 314);
    EXPECT_EQ(get32(img, el + 4) | get32(img, el + 8), 0u);
    EXPECT_EQ(get16(img, el + 306), 2);
    EXPECT_EQ(get32(img, el + 308), 312u);          // owned data right behind the element
    EXPECT_EQ(img[el + 312], 'a');
    // Section: frame reference and size; compiled buffers are not stored.
    const std::size_t w = el + 314;
    EXPECT_EQ(get32(img, w), 2u);
    EXPECT_EQ(get32(img, w + 328), 928u);
    EXPECT_EQ(get32(img, w + 332), 24u);
    EXPECT_EQ(get32(img, w + 888), 0u);
    // Item: record reference and size, then 112 bytes and the text.
    const std::size_t i = w + 928 + 24;
    EXPECT_EQ(get32(img, i), 3u);
    EXPECT_EQ(get32(img, i + 324), 928u);
    EXPECT_EQ(get32(img, i + 328), 116u);
    EXPECT_EQ(get32(img, i + 928 + 108), 0u);   // text slot
    EXPECT_EQ(img[i + 928 + 112], 'a');
    EXPECT_EQ(img[i + 928 + 114], 'b');
    EXPECT_EQ(get32(img, i + 12) | get32(img, i + 16) | get32(img, i + 20) | get32(img, i + 24), 0u);
}

TEST_F(ProgramList, SaveLoadAndStoreAgainAreByteIdentical)
{
    buildRichScreen();
    const Bytes first = storeOf(core, screen);
    ASSERT_EQ(core.SavePL(screen, path("rich.pl").c_str()), 0);
    EXPECT_EQ(readFile(qpath("rich.pl")), first);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("rich.pl")});

    ASSERT_EQ(core.LoadPL(screen, path("rich.pl").c_str()), 0);
    EXPECT_EQ(diffOffsets(storeOf(core, screen), first), std::vector<std::size_t>{});

    // Into a second core's screen.
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    ASSERT_EQ(other.LoadPL(target, path("rich.pl").c_str()), 0);
    EXPECT_EQ(diffOffsets(storeOf(other, target), first), std::vector<std::size_t>{});
    EXPECT_EQ(target->Global.Width, 96);
    EXPECT_EQ(target->Global.ID, 7);
    EXPECT_EQ(target->Global.WeekSD, 0x41);
    ASSERT_EQ(CountChildren(target), 3);
    tagItemData* global = target->FirstChild;
    EXPECT_EQ(CCore::IsGlobalScene(global), 1);
    tagItemData* scene = global->NextSibling;
    EXPECT_EQ(std::u16string(scene->Name), u"morning");
    EXPECT_EQ(scene->Scene.Schedule, 7);
    EXPECT_EQ(scene->Scene.EndTime, 0x0B1E);
    EXPECT_EQ(CCore::GetFrameWidth(scene), 2);
    EXPECT_EQ(scene->Scene.Frame->Count, 2);
    EXPECT_EQ(std::u16string(scene->Scene.Frame->First->Name), u"bar");
    EXPECT_EQ(scene->Scene.Frame->First->Speed, 77);
    EXPECT_EQ(scene->Scene.Frame->First->Next->Data().size(), 8u);
    tagItemData* texts = scene->FirstChild;
    EXPECT_EQ(texts->Section.WndKind, IT_WND_TEXT);
    EXPECT_EQ(texts->Section.RectX, 4);
    EXPECT_EQ(texts->Section.RectY, 4);
    EXPECT_EQ(texts->Section.RectW, 40);
    EXPECT_EQ(texts->Section.RectH, 20);
    tagItemData* line = texts->FirstChild;
    EXPECT_EQ(line->Item.TypeRecord->text(), QString::fromUtf16(u"Hello 世界"));
    EXPECT_EQ(line->Item.OutSpeed, 33);
    EXPECT_EQ(line->InEffect, 12);
    EXPECT_EQ(line->NextSibling->Item.TypeRecord->get(records::richtext::Wrap), 1);   // rich text marked loaded
    EXPECT_EQ(CountChildren(texts), 6);
}

namespace {
// Every scene, section and item of the subtree, each with its node image.
std::vector<std::pair<tagItemData*, Bytes>> nodeImagesOf(tagItemData* screen)
{
    std::vector<std::pair<tagItemData*, Bytes>> out;
    for (tagItemData* c = screen->FirstChild; c; c = c->NextSibling)
        ForEachNode(c, [&out](tagItemData* n) {
            Bytes b(ITEMDATA_SIZE);
            WriteNodeImage(*n, b.data());
            out.emplace_back(n, std::move(b));
        });
    return out;
}
} // namespace

// Storing only reads the tree (a send's cache key stores the screen on its
// worker); the size words it stores are the node's own, which every writer
// of a border or a record keeps equal to what the payload holds.
TEST_F(ProgramList, StoringWritesNoNodeAndEveryWriterKeepsTheSizeWords)
{
    buildRichScreen();
    tagItemData* scene = screen->FirstChild->NextSibling;
    tagItemData* texts = scene->FirstChild;
    const std::pair<const char*, std::function<tagItemData*()>> writers[] = {
        {"as built", [&] { return screen; }},
        {"AddFrameElement", [&] { core.AddFrameElement(3, u"more", texts->Section.Frame, nullptr); return screen; }},
        {"DeleteFrameElement", [&] { core.DeleteFrameElement(scene->Scene.Frame, scene->Scene.Frame->First); return screen; }},
        {"SetFrameElementPicture",
         [&] { CCore::SetFrameElementPicture(scene->Scene.Frame->First, u"/a/longer/path.png"); return screen; }},
        {"SetItemFrame", [&] { core.SetItemFrame(texts, 0); return screen; }},
        {"SetItemText", [&] { records::SetItemText(texts->FirstChild, QStringLiteral("longer text")); return screen; }},
        {"SetItemTableStream",
         [&] { records::SetItemTableStream(texts->FirstChild->NextSibling->NextSibling->NextSibling->NextSibling,
                                           QByteArray(70, 'g')); return screen; }},
        {"CopyBranch", [&] { core.CopyBranch(scene, screen, nullptr); return screen; }},
        {"LoadPL", [&] {
             EXPECT_EQ(core.SavePL(screen, path("sizes.pl").c_str()), 0);
             tagItemData* target = core.AddItem(IT_SCREEN, u"loaded", nullptr, nullptr);
             EXPECT_EQ(core.LoadPL(target, path("sizes.pl").c_str()), 0);
             return target;
         }},
    };
    for (const auto& [name, write] : writers) {
        SCOPED_TRACE(name);
        tagItemData* s = write();
        const auto before = nodeImagesOf(s);
        const Bytes image = storeOf(core, s);
        std::size_t at = PL_NODES_OFFSET;
        for (const auto& [node, bytes] : before) {
            SCOPED_TRACE(QString::fromUtf16(node->Name).toStdString());
            Bytes now(ITEMDATA_SIZE);
            WriteNodeImage(*node, now.data());
            EXPECT_EQ(diffOffsets(now, bytes), std::vector<std::size_t>{});
            const std::size_t word = node->Level == LEVEL_SCENE ? 860 : node->Level == LEVEL_SECTION ? 332 : 328;
            ASSERT_LE(at + ITEMDATA_SIZE, image.size());
            EXPECT_EQ(get32(image, at + word), get32(bytes, word)) << "level " << node->Level;
            EXPECT_EQ(get32(bytes, word), GetPayloadSize(node));
            at += ITEMDATA_SIZE + GetPayloadSize(node);
        }
        EXPECT_EQ(at, image.size());
    }
}

TEST_F(ProgramList, SecondKindCountersComeBackAsCounters)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_COUNT, u"w", scene, nullptr);
    core.AddItem(IT_COUNT2, u"down", section, nullptr);
    ASSERT_EQ(core.SavePL(screen, path("c.pl").c_str()), 0);
    ASSERT_EQ(core.LoadPL(screen, path("c.pl").c_str()), 0);
    tagItemData* item = GetItemOf(screen);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Item.TypeCode, IT_COUNT);
    EXPECT_EQ(item->Item.TypeRecord->get(records::counter::CountMode), 1u);
    EXPECT_EQ(item->InEffect, 76);
}

TEST_F(ProgramList, ReportsOfSavingAndLoading)
{
    buildRichScreen();
    ASSERT_EQ(core.SavePL(screen, path("a.pl").c_str()), 0);
    ASSERT_EQ(core.LoadPL(screen, path("a.pl").c_str()), 0);
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[0].cmd, CBC_SAVE_PL);
    EXPECT_EQ(g_reports[0].event, 11u);
    EXPECT_EQ(g_reports[0].value, 0u);
    EXPECT_EQ(g_reports[1].cmd, CBC_LOAD_PL);
    EXPECT_EQ(g_reports[1].event, 8u);
    EXPECT_EQ(g_reports[1].value, 0u);

    g_reports.clear();
    const std::u16string missing = path("missing.pl");
    EXPECT_EQ(core.LoadPL(screen, missing.c_str()), 1);
    const std::u16string badDir = path("no/such/dir/x.pl");
    EXPECT_EQ(core.SavePL(screen, badDir.c_str()), 1);
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_EQ(g_reports[0].cmd, CBC_LOAD_PL);
    EXPECT_EQ(g_reports[0].event, 1u);
    EXPECT_EQ(g_reports[0].text, missing);
    EXPECT_EQ(g_reports[1].cmd, CBC_SAVE_PL);
    EXPECT_EQ(g_reports[1].event, 1u);
    EXPECT_EQ(g_reports[1].text, badDir);
    EXPECT_EQ(g_reports[1].value, reinterpret_cast<std::uintptr_t>(badDir.c_str()));
}

// A save over a file that holds the image already writes nothing (no new
// file renamed over it, no disk sync); a file that differs in any way is
// written whole.
TEST_F(ProgramList, SavingOverTheSameBytesWritesNothingAndAnyOtherFileIsReplaced)
{
    buildRichScreen();
    const QString file = qpath("same.pl");
    ASSERT_EQ(core.SavePL(screen, path("same.pl").c_str()), 0);
    const Bytes image = storeOf(core, screen);
    const auto inode = [&] {
        struct stat st {};
        return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : ino_t(0);
    };
    Bytes flipped = image;
    flipped[image.size() / 2] ^= 1;
    Bytes longer = image;
    longer.push_back(0);
    const Bytes shorter(image.begin(), image.end() - 1);
    const struct {
        const char* what;
        const Bytes* onDisk;
    } cases[] = {{"the same bytes", &image}, {"one bit flipped", &flipped}, {"a byte more", &longer},
                 {"a byte less", &shorter}, {"no file", nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(file);
        if (c.onDisk)
            writeFile(file, *c.onDisk);
        const ino_t before = inode();
        g_reports.clear();
        ASSERT_EQ(core.SavePL(screen, path("same.pl").c_str()), 0);
        EXPECT_EQ(readFile(file), image);
        EXPECT_EQ(inode() == before, c.onDisk == &image);
        ASSERT_EQ(g_reports.size(), 1u);
        EXPECT_EQ(g_reports[0].event, 11u);
    }
}

TEST_F(ProgramList, RefusedFilesLeaveTheScreenAsItWas)
{
    buildRichScreen();
    ASSERT_EQ(core.SavePL(screen, path("good.pl").c_str()), 0);
    const Bytes good = readFile(qpath("good.pl"));
    const Bytes before = storeOf(core, screen);

    struct Case {
        const char* name;
        Bytes bytes;
        int result;
        unsigned event;
        std::uintptr_t value;
    };
    Bytes magic = good;
    magic[1] = 'X';
    Bytes newer = good;
    newer[2] = 7;
    Bytes cut(good.begin(), good.end() - 1);
    Bytes settingsOut = header(3, 0, 2000);
    const std::vector<Case> cases = {
        {"magic.pl", magic, 2, 2, 0},
        {"newer.pl", newer, 3, 3, 3},
        {"cut.pl", cut, 4, 4, 0},
        {"short.pl", Bytes(good.begin(), good.begin() + 30), 4, 4, 0},
        {"settings.pl", settingsOut, 4, 4, 0},
        {"empty.pl", Bytes{}, 4, 4, 0},   // caught while another process rewrites it
        {"p.pl", Bytes{'P'}, 4, 4, 0},
        {"x.pl", Bytes{'X'}, 2, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(qpath(c.name), c.bytes);
        g_reports.clear();
        EXPECT_EQ(core.LoadPL(screen, path(c.name).c_str()), c.result);
        ASSERT_EQ(g_reports.size(), 1u);
        EXPECT_EQ(g_reports[0].cmd, CBC_LOAD_PL);
        EXPECT_EQ(g_reports[0].event, c.event);
        EXPECT_EQ(g_reports[0].value, c.value);
        EXPECT_EQ(storeOf(core, screen), before);
    }
    // Every shorter prefix of a good file is refused without touching the screen.
    for (std::size_t n = 0; n < good.size(); n += 97) {
        EXPECT_NE(CheckProgramList(good.data(), n), PL_OK) << n;
    }
}

// The nodes of a screen in pre-order, to show a refused load kept them.
std::vector<const tagItemData*> nodesOf(tagItemData* screen)
{
    std::vector<const tagItemData*> out;
    ForEachNode(screen, [&out](tagItemData* n) { out.push_back(n); });
    return out;
}

TEST_F(ProgramList, DamagedNodeAreasRefuseTheFileAndKeepTheScreen)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"first", screen, nullptr);
    core.SetItemFrame(scene, 1);
    core.AddFrameElement(0, u"one", scene->Scene.Frame, nullptr);
    core.AddFrameElement(0, u"two", scene->Scene.Frame, scene->Scene.Frame->First);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    core.AddItem(IT_SINGLELINE, u"l", section, nullptr);
    core.AddItem(IT_SCENE, u"second", screen, scene);
    const Bytes good = storeOf(core, screen);
    const std::size_t element2 = 440 + 928 + 24 + 312;
    const std::size_t item = 440 + 928 + 24 + 624 + 928 + 24;

    Bytes small = good;   // an element claiming less than its fixed size
    set16(small, element2 + 2, 100);
    Bytes past = good;   // an element running past its owner's frame
    set16(past, element2 + 2, 400);
    Bytes runaway = good;   // a payload running past the node area
    set32(runaway, item + 328, 0x100000);
    Bytes level = good;   // a node of no known level in the middle
    set32(level, item, 9);
    Bytes tail = good;   // a cut node image at the end of the area
    tail.resize(tail.size() + 100, 0);
    set32(tail, 4, static_cast<std::uint32_t>(tail.size() - 440));
    Bytes orphan = header(4);   // an item before any section
    append(orphan, nodeImage(3, IT_COUNT, u"lost"));
    orphan.resize(orphan.size() + 192, 0);
    set32(orphan, 440 + 328, 192);
    set32(orphan, 4, static_cast<std::uint32_t>(orphan.size() - 440));
    Bytes wrongType = header(4);   // a scene image whose type word names an item
    append(wrongType, nodeImage(1, IT_COUNT, u"bad"));
    set32(wrongType, 4, 928);

    // The other screen holds content of its own that a refused file must not touch.
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    target->Global.Width = 80;
    tagItemData* keep = other.AddItem(IT_SCENE, u"keep", target, nullptr);
    other.AddItem(IT_SINGLELINE, u"k", other.AddItem(IT_WND_TEXT, u"kw", keep, nullptr), nullptr);
    const Bytes before = storeOf(other, target);
    const auto nodesBefore = nodesOf(target);
    int n = 0;
    for (const Bytes* damaged : {&small, &past, &runaway, &level, &tail, &orphan, &wrongType}) {
        SCOPED_TRACE(n++);
        EXPECT_EQ(LoadProgramList(target, damaged->data(), damaged->size()), PL_TRUNCATED);
        EXPECT_EQ(storeOf(other, target), before);
        EXPECT_EQ(nodesOf(target), nodesBefore);
        // Through the file as well: result 4 and its event.
        writeFile(qpath("damaged.pl"), *damaged);
        g_reports.clear();
        other.SetFileCallBack(recordReport);
        EXPECT_EQ(other.LoadPL(target, path("damaged.pl").c_str()), 4);
        ASSERT_EQ(g_reports.size(), 1u);
        EXPECT_EQ(g_reports[0].event, unsigned(PLE_TRUNCATED));
        EXPECT_EQ(storeOf(other, target), before);
        EXPECT_EQ(nodesOf(target), nodesBefore);
    }
    // The good image still loads whole.
    EXPECT_EQ(LoadProgramList(target, good.data(), good.size()), PL_OK);
    EXPECT_EQ(storeOf(other, target), good);
}

TEST_F(ProgramList, DamagedHeaderFieldsRefuseTheFileAndKeepTheScreen)
{
    buildRichScreen();
    const Bytes good = storeOf(core, screen);
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    tagItemData* keep = other.AddItem(IT_SCENE, u"keep", target, nullptr);
    other.AddItem(IT_SINGLELINE, u"k", other.AddItem(IT_WND_TEXT, u"kw", keep, nullptr), nullptr);
    const Bytes before = storeOf(other, target);
    const auto nodesBefore = nodesOf(target);

    // The record size at offset 8 set to 0, and every flipped bit of its high byte.
    std::vector<Bytes> damaged;
    Bytes zero = good;
    set16(zero, 8, 0);
    damaged.push_back(zero);
    for (int bit = 0; bit < 8; ++bit) {
        Bytes flipped = good;
        flipped[9] = static_cast<std::uint8_t>(flipped[9] ^ (1u << bit));
        damaged.push_back(flipped);
    }
    other.SetFileCallBack(recordReport);
    for (std::size_t n = 0; n < damaged.size(); ++n) {
        SCOPED_TRACE(n);
        writeFile(qpath("header.pl"), damaged[n]);
        g_reports.clear();
        EXPECT_EQ(other.LoadPL(target, path("header.pl").c_str()), 4);
        ASSERT_EQ(g_reports.size(), 1u);
        EXPECT_EQ(g_reports[0].event, unsigned(PLE_TRUNCATED));
        EXPECT_EQ(storeOf(other, target), before);
        EXPECT_EQ(nodesOf(target), nodesBefore);
    }
    // Any flipped bit in the sizes and offsets of the header (bytes 10 and 11
    // are unused): refused, nothing changed.
    for (std::size_t at = 3; at < 24; ++at)
        for (int bit = 0; bit < 8 && at != 10 && at != 11; ++bit) {
            Bytes flipped = good;
            flipped[at] = static_cast<std::uint8_t>(flipped[at] ^ (1u << bit));
            ASSERT_NE(LoadProgramList(target, flipped.data(), flipped.size()), PL_OK) << at << " bit " << bit;
            ASSERT_EQ(nodesOf(target), nodesBefore) << at << " bit " << bit;
        }
    EXPECT_EQ(storeOf(other, target), before);
    EXPECT_EQ(LoadProgramList(target, good.data(), good.size()), PL_OK);
    EXPECT_EQ(storeOf(other, target), good);
}

TEST_F(ProgramList, OnlyRegularFilesOfBoundedSizeAreRead)
{
    // Devices and pipes have no end: refused at once as files that cannot be opened.
    const Bytes before = storeOf(core, screen);
    EXPECT_EQ(core.LoadPL(screen, u"/dev/zero"), 1);
    EXPECT_EQ(core.LoadPL(screen, dir.path().toStdU16String().c_str()), 1);
    const QByteArray fifo = QFile::encodeName(qpath("pipe.pl"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(core.LoadPL(screen, path("pipe.pl").c_str()), 1);
    EXPECT_EQ(storeOf(core, screen), before);

    // A header announcing more than any program list holds is refused before it is read.
    Bytes huge = header(4, 0x7FFFFFFF);
    writeFile(qpath("huge.pl"), huge);
    ASSERT_TRUE(QFile::resize(qpath("huge.pl"), qint64(0x7FFFFFFF) + 440));
    EXPECT_EQ(core.LoadPL(screen, path("huge.pl").c_str()), 4);
}

// A file holds exactly what its header announces: a node area of 0 with
// nodes after it, an area that ends on a node boundary before the last
// nodes, a junk tail or a second copy appended would load a shortened
// screen that the next save writes over the file.
TEST_F(ProgramList, FilesOfAnotherLengthThanTheirHeaderSaysAreRefused)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"first", screen, nullptr);
    core.AddItem(IT_SINGLELINE, u"l", core.AddItem(IT_WND_TEXT, u"w", scene, nullptr), nullptr);
    const unsigned firstScene = core.GetStoreSize(screen) - 440;
    core.AddItem(IT_SCENE, u"second", screen, scene);
    const Bytes good = storeOf(core, screen);
    Bytes zero = good;
    set32(zero, 4, 0);
    Bytes boundary = good;   // the area ends after the first scene's subtree
    set32(boundary, 4, firstScene);
    Bytes junk = good;
    junk.resize(junk.size() + 1000, 0xEE);
    Bytes twice = good;
    append(twice, good);
    Bytes old = header(3);   // an older version: the same check against what it announces
    append(old, nodeImage(1, IT_SCENE, u"old"));
    set32(old, 4, 928);
    Bytes oldZero = old;
    set32(oldZero, 4, 0);

    CCore other;
    other.SetFileCallBack(recordReport);
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    other.AddItem(IT_SINGLELINE, u"k", other.AddItem(IT_WND_TEXT, u"kw", other.AddItem(IT_SCENE, u"keep", target, nullptr), nullptr), nullptr);
    const Bytes before = storeOf(other, target);
    const auto nodesBefore = nodesOf(target);
    int n = 0;
    for (const Bytes* damaged : {&zero, &boundary, &junk, &twice, &oldZero}) {
        SCOPED_TRACE(n++);
        EXPECT_EQ(CheckProgramList(damaged->data(), damaged->size()), PL_TRUNCATED);
        writeFile(qpath("length.pl"), *damaged);
        g_reports.clear();
        EXPECT_EQ(other.LoadPL(target, path("length.pl").c_str()), 4);
        ASSERT_EQ(g_reports.size(), 1u);
        EXPECT_EQ(g_reports[0].event, unsigned(PLE_TRUNCATED));
        EXPECT_EQ(storeOf(other, target), before);
        EXPECT_EQ(nodesOf(target), nodesBefore);
    }
    for (const Bytes* whole : std::initializer_list<const Bytes*>{&good, &old}) {
        writeFile(qpath("whole.pl"), *whole);
        EXPECT_EQ(other.LoadPL(target, path("whole.pl").c_str()), 0);
    }
    EXPECT_EQ(std::u16string(target->FirstChild->Name), u"old");
}

TEST_F(ProgramList, ScreensAndPreviewsLargerThanAnyPanelAreRefused)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
    core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    screen->Global.Width = 4096;
    screen->Global.Height = 512;
    const Bytes largest = storeOf(core, screen);
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    ASSERT_EQ(LoadProgramList(target, largest.data(), largest.size()), PL_OK);
    EXPECT_EQ(target->Global.Width, 4096);

    Bytes wide = largest;
    set16(wide, 56 + 12, 4097);   // the screen width in the settings
    EXPECT_EQ(LoadProgramList(target, wide.data(), wide.size()), PL_TRUNCATED);
    Bytes tall = largest;
    set16(tall, 56 + 14, 513);
    EXPECT_EQ(LoadProgramList(target, tall.data(), tall.size()), PL_TRUNCATED);
    Bytes section = largest;
    set16(section, 440 + 928 + 24 + 316 + 10, 600);   // the section's height
    EXPECT_EQ(LoadProgramList(target, section.data(), section.size()), PL_TRUNCATED);
    EXPECT_EQ(target->Global.Width, 4096);
}

// Screens the program makes and saves open again, however large their
// previews would be were every one made.
TEST_F(ProgramList, SavedScreensOpenAgainWhatEverTheirPreviewsWouldTake)
{
    const auto texts = [this](tagItemData* section, int count, const QString& text) {
        tagItemData* after = nullptr;
        for (int i = 0; i < count; ++i) {
            after = core.AddItem(IT_SINGLELINE, u"t", section, after);
            records::SetItemText(after, text);
        }
    };
    const auto reopens = [this](const char* name) {
        SCOPED_TRACE(name);
        ASSERT_EQ(core.SavePL(screen, path(name).c_str()), 0);
        const Bytes saved = readFile(qpath(name));
        CCore other;
        tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
        ASSERT_EQ(other.LoadPL(target, path(name).c_str()), 0);
        EXPECT_EQ(storeOf(other, target), saved);
    };
    core.ChangeItemRect(screen, 0, 0, 4096, 512);
    tagItemData* scene = nullptr;
    for (int s = 0; s < 16; ++s) {
        scene = core.AddItem(IT_SCENE, u"s", screen, scene);
        tagItemData* section = core.AddItem(IT_WND_PROGLIST, u"w", scene, nullptr);
        core.ChangeItemRect(section, 0, 0, 4096, 512);
        texts(section, 7, QStringLiteral("text"));
    }
    reopens("wide.pl");

    core.ClearPrograms(screen);
    core.ChangeItemRect(screen, 0, 0, 1024, 128);
    texts(core.AddItem(IT_WND_PROGLIST, u"w", core.AddItem(IT_SCENE, u"s", screen, nullptr), nullptr), 260,
          QString(1000, QLatin1Char('x')));
    reopens("long.pl");

    core.ClearPrograms(screen);
    core.ChangeItemRect(screen, 0, 0, 64, 16);
    scene = nullptr;
    for (int s = 0; s < 129; ++s) {
        scene = core.AddItem(IT_SCENE, u"s", screen, scene);
        core.ChangeItemRect(core.AddItem(IT_WND_PROGLIST, u"w", scene, nullptr), 0, 0, 64, 16);
    }
    core.ChangeItemRect(screen, 0, 0, 4096, 512);   // as a hardware read makes it
    reopens("many.pl");
}

// A current section block keeps no old border in its byte 318: opening and
// saving again neither grows the file nor widens the border.
TEST_F(ProgramList, ACurrentSectionBlockStoresNoOldBorder)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_PROGLIST, u"w", scene, nullptr);
    core.SetItemFrame(section, 1);
    core.AddFrameElement(0, u"e", section->Section.Frame, nullptr);
    Bytes file = storeOf(core, screen);
    const std::size_t sectionAt = 440 + 928 + 24;
    ASSERT_EQ(get32(file, sectionAt), 2u);
    file[sectionAt + 318] = 3;
    writeFile(qpath("border.pl"), file);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        CCore other;
        tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
        ASSERT_EQ(other.LoadPL(target, path("border.pl").c_str()), 0);
        const tagItemData* w = target->FirstChild->FirstChild;
        EXPECT_EQ(CCore::GetFrameWidth(w), 1);
        EXPECT_EQ(w->Section.Frame->Count, 1);
        ASSERT_EQ(other.SavePL(target, path("border.pl").c_str()), 0);
        const Bytes saved = readFile(qpath("border.pl"));
        EXPECT_EQ(saved.size(), file.size());
        EXPECT_EQ(saved[sectionAt + 318], 0);
    }
}

TEST_F(ProgramList, TextsBeginningWithByteOrderMarksLoadAsStored)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    tagItemData* a = core.AddItem(IT_SINGLELINE, u"a", section, nullptr);
    tagItemData* b = core.AddItem(IT_TEXTGIF, u"b", section, a);
    const QString feff = QString::fromUtf16(u"\uFEFFHello");
    const QString fffe = QString(QChar(0xFFFE)) + QStringLiteral("Hello");
    records::SetItemText(a, feff);
    records::SetItemText(b, fffe);
    const Bytes stored = storeOf(core, screen);
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    ASSERT_EQ(LoadProgramList(target, stored.data(), stored.size()), PL_OK);
    const tagItemData* la = GetItemOf(target);
    ASSERT_NE(la, nullptr);
    ASSERT_NE(la->NextSibling, nullptr);
    EXPECT_EQ(la->Item.TypeRecord->text(), feff);
    EXPECT_EQ(la->NextSibling->Item.TypeRecord->text(), fffe);
}

TEST_F(ProgramList, VersionTwoSettingsAreIniText)
{
    const std::string ini = "[Other]\r\nWidth=1\r\n[config]\r\nid = 9\r\nWIDTH=256\r\nHeight=80\r\nType=9\r\n"
                            "Lum=7x\r\nAutoS=1\r\nWeekSD=3\r\nDstMAC=001A2B3C4D5E\r\nWidth=12\r\n";
    Bytes file = header(2, 0, static_cast<std::uint32_t>(ini.size()));
    file.resize(56);
    file.insert(file.end(), ini.begin(), ini.end());
    set32(file, 12, static_cast<std::uint32_t>(file.size()));
    writeFile(qpath("v2.pl"), file);
    ASSERT_EQ(core.LoadPL(screen, path("v2.pl").c_str()), 0);
    const tagGlobalInfo& g = screen->Global;
    EXPECT_EQ(g.ID, 9);
    EXPECT_EQ(g.Width, 256);     // the first of two keys wins, in any case
    EXPECT_EQ(g.Height, 80);
    EXPECT_EQ(g.Type, 13);       // work modes 9 to 13 moved up by 4
    EXPECT_EQ(g.Lum, 7);
    EXPECT_EQ(g.ReFreq, 200);
    EXPECT_EQ(g.HourSU, 8);
    EXPECT_EQ(g.HourSD, 18);
    EXPECT_EQ(g.WeekSD, 3);
    EXPECT_EQ(g.BaudRate, 9600u);   // missing key
    EXPECT_EQ(g.RemoteVersion, 0xFFFFFFFFu);
    EXPECT_EQ(g.DstMAC[0], 0x00);
    EXPECT_EQ(g.DstMAC[3], 0x3C);
    EXPECT_EQ(g.DstMAC[5], 0x5E);
    EXPECT_EQ(g.DstMAC[6], 0x00);

    for (const auto& [type, want] : std::vector<std::pair<int, int>>{{0, 0}, {4, 4}, {5, 7}, {8, 10}, {13, 17}, {14, 20}, {17, 23}}) {
        const std::string text = "[Config]\nType=" + std::to_string(type) + "\n";
        Bytes f = header(2, 0, static_cast<std::uint32_t>(text.size()));
        f.resize(56);
        f.insert(f.end(), text.begin(), text.end());
        set32(f, 12, static_cast<std::uint32_t>(f.size()));
        writeFile(qpath("t.pl"), f);
        ASSERT_EQ(core.LoadPL(screen, path("t.pl").c_str()), 0);
        EXPECT_EQ(screen->Global.Type, want) << type;
        EXPECT_EQ(screen->Global.DstMAC[5], 0xFF);   // missing key: broadcast
        EXPECT_EQ(screen->Global.AutoS, 0);
    }
}

// A version-2 value that does not fit its field is refused, never wrapped
// into it (found by fuzzing: a huge work mode overflowed while moved up).
TEST_F(ProgramList, VersionTwoValuesThatDoNotFitAreRefused)
{
    const Bytes before = storeOf(core, screen);
    for (const char* line : {"Type=2147483647", "Width=65636", "Height=66048", "ID=256", "ID=-1", "Type=99",
                             "Lum=99999999999", "BaudRate=-1"}) {
        SCOPED_TRACE(line);
        const std::string text = std::string("[Config]\n") + line + "\n";
        Bytes f = header(2, 0, static_cast<std::uint32_t>(text.size()));
        f.resize(56);
        f.insert(f.end(), text.begin(), text.end());
        set32(f, 12, static_cast<std::uint32_t>(f.size()));
        writeFile(qpath("huge.pl"), f);
        EXPECT_EQ(core.LoadPL(screen, path("huge.pl").c_str()), 4);
        EXPECT_EQ(storeOf(core, screen), before);
    }
}

TEST_F(ProgramList, VersionsOneAndThreeSettings)
{
    writeFile(qpath("v1.pl"), header(1, 0, 0));
    screen->Global.BaudRate = 115200;
    ASSERT_EQ(core.LoadPL(screen, path("v1.pl").c_str()), 0);
    EXPECT_EQ(screen->Global.Width, 128);
    EXPECT_EQ(screen->Global.Height, 64);
    EXPECT_EQ(screen->Global.BaudRate, 0u);
    EXPECT_EQ(screen->Global.DstMAC[0], 0);

    Bytes v3 = header(3);
    set16(v3, 56 + 12, 200);
    set32(v3, 56 + 244, 57600);
    writeFile(qpath("v3.pl"), v3);
    ASSERT_EQ(core.LoadPL(screen, path("v3.pl").c_str()), 0);
    EXPECT_EQ(screen->Global.Width, 200);
    EXPECT_EQ(screen->Global.BaudRate, 9600u);
    set32(v3, 56 + 244, 115200);
    set32(v3, 16, 250);   // a shorter settings section: the rest keeps the defaults
    writeFile(qpath("v3.pl"), v3);
    ASSERT_EQ(core.LoadPL(screen, path("v3.pl").c_str()), 0);
    EXPECT_EQ(screen->Global.BaudRate, 115200u);
    set32(v3, 16, 240);
    writeFile(qpath("v3.pl"), v3);
    ASSERT_EQ(core.LoadPL(screen, path("v3.pl").c_str()), 0);
    EXPECT_EQ(screen->Global.BaudRate, 9600u);   // 0 from the defaults
}

TEST_F(ProgramList, OlderFilesKeepBordersAsPackedCodes)
{
    Bytes file = header(3);
    Bytes scene = nodeImage(1, IT_SCENE, u"old scene");
    set32(scene, 860, 0x0A050041);   // the border code in the frame-size word
    append(file, scene);
    Bytes section = nodeImage(2, IT_WND_CLOCKDIGIT, u"old section");
    section[318] = 2;                  // border byte
    set16(section, 320, 5);
    append(file, section);
    Bytes item = nodeImage(3, IT_SINGLELINE, u"old text");
    set32(item, 328, 112 + 4);
    set32(item, 341 - 1, 0);
    item[341] = 4;
    append(file, item);
    Bytes record(112, 0);
    set32(record, 100, 0xFF);
    record.push_back('h');
    record.push_back(0);
    record.push_back('i');
    record.push_back(0);
    append(file, record);
    set32(file, 4, static_cast<std::uint32_t>(file.size() - 440));
    writeFile(qpath("old.pl"), file);
    ASSERT_EQ(core.LoadPL(screen, path("old.pl").c_str()), 0);

    tagItemData* s = screen->FirstChild;
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(std::u16string(s->Name), u"old scene");
    EXPECT_EQ(CCore::GetFrameWidth(s), 1);
    ASSERT_NE(s->Scene.Frame->First, nullptr);
    EXPECT_EQ(std::u16string(s->Scene.Frame->First->Name), u"line1");
    EXPECT_EQ(s->Scene.Frame->First->Motion, 2);
    EXPECT_EQ(s->Scene.Frame->First->Period, 15);
    tagItemData* w = s->FirstChild;
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Section.WndKind, IT_WND_PROGLIST);   // old files keep no window kind
    EXPECT_EQ(CCore::GetFrameWidth(w), 2);
    const DynFrameElement* e = w->Section.Frame->First;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->Motion, 0);
    EXPECT_EQ(e->Period, 32);
    EXPECT_EQ(e->MarginRight, 0);
    tagItemData* i = w->FirstChild;
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->Item.TypeRecord->text(), QStringLiteral("hi"));
    EXPECT_EQ(i->Item.TypeRecord->get(records::singleline::Colour), 0xFFu);
    EXPECT_EQ(i->Item.OutEffect, 4);
    EXPECT_EQ(i->Item.TypeRecordSize, 116u);
}

// A record shorter than its fixed part keeps the defaults; one that covers
// it is the item's own, with no text after it.
TEST_F(ProgramList, ShortTextRecordsKeepTheirDefaultsWithoutText)
{
    Bytes file = header(4);
    append(file, nodeImage(1, IT_SCENE, u"s"));
    set32(file, 440 + 860, 24);
    file.resize(file.size() + 24, 0);
    append(file, nodeImage(2, IT_WND_TEXT, u"w"));
    set32(file, file.size() - 928 + 332, 24);
    file.resize(file.size() + 24, 0);
    for (std::uint32_t size : {111u, 112u}) {
        Bytes line = nodeImage(3, IT_SINGLELINE, u"l");
        set32(line, 328, size);
        append(file, line);
        file.resize(file.size() + size, 0xAB);
    }
    Bytes cool = nodeImage(3, IT_TEXTGIF, u"c");
    set32(cool, 328, 20);
    append(file, cool);
    Bytes coolRecord(20, 0);
    set32(coolRecord, 8, 55);
    append(file, coolRecord);
    set32(file, 4, static_cast<std::uint32_t>(file.size() - 440));
    writeFile(qpath("short.pl"), file);
    ASSERT_EQ(core.LoadPL(screen, path("short.pl").c_str()), 0);
    tagItemData* shorter = GetSectionOf(GetItemOf(screen))->FirstChild;
    ASSERT_NE(shorter, nullptr);
    EXPECT_TRUE(shorter->Item.TypeRecord->text().isEmpty());
    EXPECT_EQ(shorter->Item.TypeRecord->get(records::singleline::Colour), 0xFFFFu);   // default colour kept
    tagItemData* fixed = shorter->NextSibling;
    ASSERT_NE(fixed, nullptr);
    EXPECT_TRUE(fixed->Item.TypeRecord->text().isEmpty());
    EXPECT_EQ(fixed->Item.TypeRecord->get(records::singleline::Colour), 0xABABABABu);   // the stored colour
    tagItemData* c = fixed->NextSibling;
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->Item.TypeRecord->text().isEmpty());
    EXPECT_EQ(c->Item.TypeRecord->get(records::textgif::Delay), 55u);
}

// Texts emptied by the operator keep their font, colour and layout.
TEST_F(ProgramList, EmptyTextsWithSettingsOfTheirOwnOpenAgainByteIdentical)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
    tagItemData* texts = core.AddItem(IT_WND_TEXT, u"texts", scene, nullptr);
    tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", texts, nullptr);
    tagItemData* rich = core.AddItem(IT_TEXT, u"rich", texts, line);
    tagItemData* cool = core.AddItem(IT_TEXTGIF, u"cool", texts, rich);
    LOGFONT font = line->Item.TypeRecord->get(records::singleline::TextFont);
    font.lfHeight = -23;
    font.lfWeight = 700;
    font.lfItalic = 1;
    line->Item.TypeRecord->set(records::singleline::TextFont, font);
    line->Item.TypeRecord->set(records::singleline::Colour, 0x00FF00u);
    rich->Item.TypeRecord->set(records::richtext::Wrap, 0);
    rich->Item.TypeRecord->set(records::richtext::SingleRow, 1);
    cool->Item.TypeRecord->set(records::textgif::Delay, 70u);
    for (tagItemData* item : {line, rich, cool})
        records::SetItemText(item, QString());

    const Bytes first = storeOf(core, screen);
    ASSERT_EQ(core.SavePL(screen, path("empty.pl").c_str()), 0);
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    ASSERT_EQ(other.LoadPL(target, path("empty.pl").c_str()), 0);
    const Bytes again = storeOf(other, target);
    EXPECT_TRUE(again == first) << support::describeStoredDifferences(first, again);
    tagItemData* l = GetItemOf(target);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->Item.TypeRecord->get(records::singleline::TextFont).lfHeight, -23);
    EXPECT_EQ(l->Item.TypeRecord->get(records::singleline::Colour), 0x00FF00u);
    ASSERT_NE(l->NextSibling, nullptr);
    EXPECT_EQ(l->NextSibling->Item.TypeRecord->get(records::richtext::Wrap), 0);
    EXPECT_EQ(l->NextSibling->Item.TypeRecord->get(records::richtext::SingleRow), 1);
}

TEST_F(ProgramList, EveryDamagedByteLoadsSafely)
{
    tagItemData* scene = core.AddItem(IT_SCENE, u"s", screen, nullptr);
    core.SetItemFrame(scene, 1);
    DynFrameElement* e = core.AddFrameElement(255, u"p", scene->Scene.Frame, nullptr);
    SetFrameElementData(e, {'a', 0, 'b', 0});
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    core.AddItem(IT_SINGLELINE, u"l", section, nullptr);
    records::SetItemTableStream(core.AddItem(IT_GRID, u"g", section, section->FirstChild), QByteArray("GRID", 4));
    const Bytes good = storeOf(core, screen);

    // Whatever a damaged byte says, loading never reads past the image, and
    // what it loads stores again within its own size.
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    for (std::size_t at = 0; at < good.size(); ++at) {
        Bytes damaged = good;
        damaged[at] = static_cast<std::uint8_t>(~good[at]);
        other.ClearPrograms(target);
        if (CheckProgramList(damaged.data(), damaged.size()) != PL_OK)
            continue;
        LoadProgramList(target, damaged.data(), damaged.size());
        const unsigned size = other.GetStoreSize(target);
        Bytes again(size);
        other.Store(target, again.data(), size);
        ASSERT_EQ(get16(again, 0), 0x4C50) << at;
    }
}

namespace {
std::map<const tagItemData*, int> g_paints;
void countPaint(const tagItemData* node) { ++g_paints[node]; }

// Two previews are the same picture when they agree where both have pixels
// and every pixel only one of them has is black.
bool samePicture(const QImage& a, const QImage& b)
{
    const int w = std::max(a.width(), b.width()), h = std::max(a.height(), b.height());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb pa = a.valid(x, y) ? a.pixel(x, y) : qRgb(0, 0, 0);
            const QRgb pb = b.valid(x, y) ? b.pixel(x, y) : qRgb(0, 0, 0);
            if (pa != pb)
                return false;
        }
    return true;
}
} // namespace

TEST_F(ProgramList, LoadingDrawsNothingAndAFirstReadMakesThePictureOnce)
{
    buildRichScreen();
    tagItemData* texts = GetSectionOf(GetSceneOf(screen)->NextSibling);
    ASSERT_NE(texts, nullptr);
    records::SetItemText(core.AddItem(IT_SINGLELINE, u"blank", texts, nullptr), QString());
    ASSERT_EQ(core.SavePL(screen, path("paint.pl").c_str()), 0);

    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    g_paints.clear();
    const PaintObserver previous = SetPaintObserver(countPaint);
    ASSERT_EQ(other.LoadPL(target, path("paint.pl").c_str()), 0);
    const auto nodes = nodesOf(target);
    ASSERT_GT(nodes.size(), 15u);
    EXPECT_TRUE(g_paints.empty());
    for (const tagItemData* n : nodes) {
        EXPECT_TRUE(NodePictures::peek(n).isNull()) << QString::fromUtf16(n->Name).toStdString();
    }
    // The first read paints a node once; reading again paints no more.
    for (int pass = 0; pass < 2; ++pass)
        for (const tagItemData* n : nodes)
            if (n != target)
                GetNodePicture(const_cast<tagItemData*>(n));
    SetPaintObserver(previous);
    for (const tagItemData* n : nodes) {
        if (n != target) {
            EXPECT_EQ(g_paints[n], 1) << QString::fromUtf16(n->Name).toStdString();
        }
    }

    // The picture shows the loaded state: painting again changes nothing;
    // an item with nothing to show shows what a new item shows.
    for (const tagItemData* n : nodes) {
        if (n == target)
            continue;
        auto* node = const_cast<tagItemData*>(n);
        const QImage loaded = GetNodePicture(node).copy();
        const std::uint32_t contentW = node->Item.ContentW, contentH = node->Item.ContentH;
        const ItemRecord* r = node->Item.TypeRecord;
        const bool empty = node->Level == LEVEL_PROGRAM && r
                           && ((r->owned() == ItemRecord::Owned::Text && r->text().isEmpty())
                               || (r->owned() == ItemRecord::Owned::MemFile && r->memFile().isEmpty()));
        if (empty) {
            tagItemData* fresh = other.AddItem(node->Item.TypeCode, u"fresh", node->Parent, nullptr);
            EXPECT_TRUE(samePicture(loaded, GetNodePicture(fresh))) << QString::fromUtf16(n->Name).toStdString();
            tagItemData* gone = fresh;
            UnlinkNode(gone);
            DestroyNode(gone);
            continue;
        }
        // Clocks and counters show the current time: a second may pass
        // between the first paint and this one.
        const std::uint16_t type = node->Item.TypeCode;
        const bool showsTime = type == IT_CLOCKSIMUL || type == IT_CLOCKDIGIT || type == IT_COUNT
                               || type == IT_COUNT2 || type == IT_WND_CLOCKSIMUL || type == IT_WND_CLOCKDIGIT
                               || type == IT_WND_COUNT;
        other.Paint(node);
        if (!showsTime) {
            EXPECT_TRUE(samePicture(loaded, GetNodePicture(node))) << QString::fromUtf16(n->Name).toStdString();
        }
        EXPECT_EQ(node->Item.ContentW, contentW);
        EXPECT_EQ(node->Item.ContentH, contentH);
    }
}

// A screen written with every item kind at its defaults is read and stored
// again unchanged: opening a file and saving it in place must not rewrite it.
// (A second-kind counter is left out: it loads as a counter on purpose.)
TEST(ProgramListRoundTrip, DefaultItemsOfEveryKindStoreAgainByteIdentical)
{
    support::TreeBuilder tree;
    tagItemData* s = tree.screen();
    tagItemData* global = tree.scene(s, u"global", IT_GLOBALSCENE);
    tagItemData* clocks = tree.section(global, QRect(0, 0, 32, 16), u"clocks", IT_WND_CLOCKDIGIT);
    tree.item(clocks, IT_CLOCKDIGIT, u"digital");
    tree.item(clocks, IT_CLOCKSIMUL, u"analog");
    tagItemData* scene = tree.scene(s, u"scene");
    scene->Scene.Schedule = 1;
    scene->Scene.ScheduleWeekdays = 0x3E;
    scene->Scene.StartTime = 0x0800;
    scene->Scene.EndTime = 0x1200;
    CCore core;
    core.SetItemFrame(scene, 1);
    tagItemData* texts = tree.section(scene, QRect(0, 0, 64, 32), u"texts");
    core.SetItemFrame(texts, 1);
    for (std::uint16_t kind : {IT_SINGLELINE, IT_TEXT, IT_IMAGE, IT_GIF, IT_GRID, IT_TEXTGIF})
        tree.item(texts, kind);
    tree.item(tree.section(scene, std::nullopt, u"counts", IT_WND_COUNT), IT_COUNT);
    tree.item(tree.section(scene, std::nullopt, u"analogs", IT_WND_CLOCKSIMUL), IT_CLOCKSIMUL);
    tree.section(scene, std::nullopt, u"contents", IT_WND_CONTENTLIST);
    tree.section(scene, std::nullopt, u"empty", IT_WND_PROGLIST);

    const Bytes first = storeOf(core, s);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("defaults.pl"));
    writeFile(file, first);
    CCore other;
    tagItemData* target = other.AddItem(IT_SCREEN, u"t", nullptr, nullptr);
    ASSERT_EQ(other.LoadPL(target, file.toStdU16String().c_str()), 0);
    const Bytes again = storeOf(other, target);
    EXPECT_EQ(again.size(), first.size());
    EXPECT_TRUE(again == first) << support::describeStoredDifferences(first, again);
}
