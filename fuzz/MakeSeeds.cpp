// Writes the seed corpora of the fuzz targets: valid inputs built with the
// libraries' own builders (grids of every kind of content, formulas of every
// node kind, RTF of every construct the reader knows, node images of every
// level and item type, frames with elements, type records of every type).
// Usage: fuzz_seeds <corpus folder>
#include "core/link/Commands.h"
#include "core/link/Frame.h"
#include "core/api/Core.h"
#include "core/model/DynFrame.h"
#include "core/model/GlobalInfo.h"
#include "core/model/ItemData.h"
#include "core/model/StoredRecords.h"
#include "core/api/ItemRecord.h"
#include "core/model/ProgramList.h"
#include "fuzz/ScreenScript.h"
#include "platform/ByteIO.h"
#include "grid/Archive.h"
#include "grid/Parser.h"
#include "grid/RealGrid.h"
#include "platform/RtfReader.h"
#include "platform/RtfWriter.h"
#include "app/tooltips/HtmlDrawer.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace sorvane::link;
using namespace sorvane::model;

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path g_root;

void Put(const char* target, const std::string& name, const Bytes& bytes)
{
    const fs::path dir = g_root / target;
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      std::streamsize(bytes.size()));
}

void Put(const char* target, const std::string& name, const QByteArray& bytes)
{
    Put(target, name, Bytes(bytes.begin(), bytes.end()));
}

// ---- grids

Bytes Saved(grid::CRealGrid& g)
{
    Bytes out;
    g.SaveTo(out);
    return out;
}

Bytes Plain(const grid::CRealGrid& g)
{
    grid::ArchiveWriter w;
    g.Serialize(w);
    return w.Data();
}

std::unique_ptr<grid::CRealGrid> RichGrid()
{
    using namespace grid;
    auto g = std::make_unique<CRealGrid>();
    g->ApplyDefaultBorders();
    g->InsertRows(3, 2);
    g->MergeRange({2, 4, 4, 6});
    g->SetCellContent(1, 1, u"3");
    g->SetCellContent(1, 2, u"=A1*2");
    g->SetCellContent(2, 2, u"=COUNTIF(A1:C1,\"GE(B1)\")+-1");
    g->SetCellContent(3, 3, u"=-(ROUND(B1/4)+PI())");
    g->SetCellContent(3, 4, u"=IF(AND(A1,NOT(B2)),SUM(A1:B2,3),MAX(1,2))");
    g->SetCellValidator(1, 4, FindValidator("Int0_100"));
    g->SetCellValidator(2, 4, FindValidator("Dbl0_1"));
    g->SetCellContent(1, 4, u"abc");
    g->SetSelection(1, 1, 2, 5, false);
    g->SetSelectionFontWeight(700);
    g->SetSelectionFontName(u"DejaVu Sans");
    BorderSpec spec;
    InitBorderSpec(spec);
    spec.items[2] = {PS_SOLID, 3, 0x0000FF, 1};
    spec.items[7] = {PS_SOLID, 2, 0x00FF00, 1};
    g->SetRangeBorders(2, 2, 3, 4, spec, false);
    auto withFormatter = [&](int col, int row, const char* name) {
        CellAttributes attr = g->GetCell(col, row).attr;
        attr.formatter = FindFormator(name);
        g->SetCellAttributes(col, row, attr);
    };
    withFormatter(5, 5, "RMB");
    withFormatter(4, 5, "Percent");
    g->SetCellText(5, 5, std::u16string(300, u'x') + u"中文", false);
    g->SetColumnWidth(3, 0);
    g->SetRowHeight(40, 2);
    g->SetCellInput(2, 3, u"=B1+1");   // stays dirty
    return g;
}

void Grids()
{
    using namespace grid;
    auto tiny = std::make_unique<CRealGrid>();
    tiny->ResetToDefault();
    tiny->DeleteColumns(1, 5, false);
    tiny->DeleteRows(1, 5, false);
    tiny->SetCellText(0, 0, u"hi", false);
    Put("grid_stream", "tiny", Saved(*tiny));
    Put("grid_stream", "tiny-plain", Plain(*tiny));

    CRealGrid def;
    def.ApplyDefaultBorders();
    Put("grid_stream", "default", Saved(def));
    Put("grid_stream", "default-plain", Plain(def));

    auto rich = RichGrid();
    Put("grid_stream", "rich", Saved(*rich));
    Put("grid_stream", "rich-plain", Plain(*rich));
    Put("type_record", "grid-rich", [&] {
        Bytes b{0};
        b[0] = 4;   // IT_GRID in the target's type table
        Bytes rec(GRID_RECORD_SIZE, 0);
        b.insert(b.end(), rec.begin(), rec.end());
        Bytes s = Saved(*rich);
        b.insert(b.end(), s.begin(), s.end());
        return b;
    }());
}

// ---- formulas

const char16_t* const kFormulas[] = {
    u"1",
    u"-A1*2+3",
    u"(1+2)*A1",
    u"2*(-3)",
    u"12/3/2-1",
    u"A1:B2",
    u"SUM(A1:A3,B1,2.5)",
    u"AVERAGE(A1:C3)",
    u"PRODUCT(1,2,3)",
    u"MIN(A1,B1)+MAX(A1:B9)",
    u"ROUND(SIN(PI()/2)+COS(0))",
    u"LOG(100)",
    u"IF(EQ(A1,1),NE(B1,2),LT(1,2))",
    u"AND(GT(A1,0),LE(A1,9),GE(B2,1))",
    u"OR(NOT(A1),0)",
    u"COUNTIF(A1:A9,\"GE(5)\")",
    u"COUNTIF(A1:A9,\"NE(A1+1)\")",
    u"NOT((A1:A2))",
    u"AB12+ZZ1",
};

void Formulas()
{
    int k = 0;
    for (const char16_t* f : kFormulas) {
        const std::u16string text(f);
        Put("formula", "f" + std::to_string(k), Bytes(text.begin(), text.end()));
        grid::NodePtr n = grid::ParseFormula(text);
        if (!n) {
            std::fprintf(stderr, "seed formula %d does not parse\n", k);
            std::exit(1);
        }
        grid::ArchiveWriter w;
        grid::StoreNode(w, *n);
        Put("formula_nodes", "f" + std::to_string(k), w.Data());
        ++k;
    }
}

// ---- RTF

const char* const kRtf[] = {
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fprq12\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
    "{\\colortbl ;\\red255\\green255\\blue0;}\\viewkind4\\uc1\\pard\\sl-240\\slmult0\\cf1"
    "\\lang2052\\f0\\fs20 123456\\par}",
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
    "\\pard\\qc\\f0\\fs24 plain \\b bold\\b0  \\i it\\i0  \\ul under\\ulnone \\strike s\\strike0\\par\r\n"
    "\\pard\\qr\\cf2\\f1\\fs36 right {\\cf1 red} back\\par\r\n"
    "\\pard\\qj\\li720\\ri360\\fi-360\\sl360\\slmult1 just\\line next\\tab x\\par}",
    "{\\rtf1 a\\u23435?b{\\uc2\\u20307\\'cc\\'e5}c\\u-10179?\\u-8692?\\par}",
    "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset136 x;}{\\f1\\fcharset0 y;}}\\f0 \\'a4\\'a4\\f1 \\'e9\xe9\\par}",
    "{\\rtf1{\\*\\generator g;}{\\info{\\title t}}{\\stylesheet{\\s0 Normal;}}{\\*\\unknown skip}x\\par}",
    "{\\rtf1 \\{a\\}\\\\\\~b\\par\\par c\\par}",
    // the associated-character controls, a style sheet and complex text
    "{\\rtf1\\ansi\\ansicpg936\\deff0\\stshfdbch1{\\fonttbl{\\f0 Serif;}{\\f1\\fcharset134 SimSun;}}"
    "{\\stylesheet{\\s0\\f0\\dbch\\af1 Normal;}{\\s1\\sbasedon0\\b\\fs56 H;}}\\pard\\plain\\s1\\rtlch\\afs44\\ab"
    "\\ltrch\\hich\\af0\\loch\\f0\\fs48\\b{\\dbch\\afs56\\ab\\dbch \\u20013?\\u25991? }{\\loch Title}\\par"
    "\\pard\\plain{\\rtlch\\b\\fs40\\af0 \\u1513? ab}{\\dbch\\af1\\'d6\\'d0}\\par}",
    // tables, nested tables and what follows them
    "{\\rtf1 \\trowd\\trgaph108\\cellx2000\\cellx4000\\pard\\intbl A\\cell\\cell B\\cell\\row\\pard\\intbl\\itap2 n"
    "\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}{\\nonesttables\\par}\\cell\\row after\\par}",
    // backgrounds, raised text, soft hyphens, hidden text, list text and bullets, tab stops
    "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}{\\chcbpat1 a}{\\highlight1 b}{\\cb1 c} x{\\super 2}{\\sub 3}"
    "{\\nosupersub 4}{\\up6 5}{\\dn 6} a\\-b{\\v hidden}{\\listtext\\pard\\plain  \\u8226?\\tab}item\\par"
    "{\\pntext\\'B7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'B7}}bullet\\par\\pard\\rtlpar\\tqr\\tx3000 x\\tab y\\par}",
    // Hebrew and Vietnamese bytes, symbol fonts' bullets, capitals
    "{\\rtf1\\ansi\\ansicpg1255{\\fonttbl{\\f0\\fcharset177 Arial;}{\\f1\\fcharset163 Arial;}{\\f2\\fcharset2 Symbol;}"
    "{\\f3\\fcharset2 Wingdings;}}\\f0 \\'f9\\'ec\\'e5\\'ed\\f1 Vi\\'ea\\'f2t\\par{\\listtext\\pard\\plain \\u61623?\\tab}a\\par"
    "{\\listtext\\f3 \\'a7\\tab}b\\par\\f2\\'b7 {\\caps caps} {\\scaps Small}\\par}",
    // shaded cells of their own alignment, a text box, footnotes
    "{\\rtf1{\\colortbl;\\red0\\green0\\blue128;}\\trowd\\trgaph100\\clcbpat1\\cellx2000\\cellx4000\\cellx6000"
    "\\pard\\intbl A\\cell\\pard\\intbl\\qc B\\cell\\pard\\intbl\\qr C\\cell\\row\\pard Anchor {\\shp{\\*\\shpinst"
    "{\\sp{\\sn n}{\\sv v}}{\\shptxt\\pard Box\\par}}{\\shprslt Box\\par}} end\\par Note{\\super\\chftn}"
    "{\\*\\footnote\\pard{\\super\\chftn} First.}{\\footnote{\\shptxt in note}\\chftn Second.\\par more}\\par}",
};

void Rtf()
{
    int k = 0;
    for (const char* r : kRtf)
        Put("rtf", "r" + std::to_string(k++), QByteArray(r));

    QTextDocument doc;
    QTextCursor c(&doc);
    QTextCharFormat f;
    f.setFontFamilies(QStringList{QString::fromUtf8("宋体")});
    f.setFontPointSize(14);
    f.setFontItalic(true);
    f.setFontUnderline(true);
    f.setFontStrikeOut(true);
    f.setForeground(QColor(0, 128, 0));
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    right.setLeftMargin(24);
    right.setTextIndent(-12);
    c.setBlockFormat(right);
    c.insertText(QString::fromUtf8("中文 a{b}\\ x\ty"), f);
    QTextCharFormat bold;
    bold.setFontFamilies(QStringList{"Arial"});
    bold.setFontWeight(QFont::Bold);
    bold.setFontPointSize(9);
    c.insertBlock(QTextBlockFormat(), bold);
    c.insertText("bold line");
    Put("rtf", "written", platform::writeRtf(doc));
}

// ---- node images, frames and type records

Bytes Image(const tagItemData* node)
{
    Bytes out(ITEMDATA_SIZE);
    WriteNodeImage(*node, out.data());
    return out;
}

const std::uint16_t kItemTypes[] = {IT_SINGLELINE, IT_TEXT,       IT_IMAGE,      IT_GIF,   IT_GRID,
                                    IT_TEXTGIF,    IT_CLOCKSIMUL, IT_CLOCKDIGIT, IT_COUNT, IT_COUNT2};

void Nodes()
{
    tagItemData* header = CreateHeaderNode();
    tagItemData* screen = CreateNode(nullptr, IT_SCREEN, u"screen", header);
    tagItemData* global = CreateNode(nullptr, IT_GLOBALSCENE, u"global", screen);
    tagItemData* scene = CreateNode(global, IT_SCENE, u"scene", screen);
    Put("node_image", "header", Image(header));
    Put("node_image", "screen", Image(screen));
    Put("node_image", "global-scene", Image(global));
    Put("node_image", "scene", Image(scene));
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    Put("node_image", "screen-broadcast", Image(screen));

    tagItemData* section = nullptr;
    for (std::uint16_t kind = IT_WND_PROGLIST; kind <= IT_WND_COUNT; ++kind) {
        section = CreateNode(section, kind, u"section", scene);
        Put("node_image", "section-" + std::to_string(kind), Image(section));
    }
    tagItemData* item = nullptr;
    for (std::uint16_t type : kItemTypes) {
        item = CreateNode(item, type, u"item", section);
        Put("node_image", "item-" + std::to_string(type), Image(item));
    }

    // Frames: the header and its elements as they follow each other.
    DynFrame* frame = section->Section.Frame;
    DynFrameElement* last = nullptr;
    for (std::uint16_t type : {0, 1, 2, 5})
        last = CreateFrameElement(type, u"pattern", frame, last);
    last = CreateFrameElement(255, u"picture", frame, last);
    const std::u16string path = u"/pictures/border.png";
    SetFrameElementData(last, Bytes(reinterpret_cast<const std::uint8_t*>(path.data()),
                                    reinterpret_cast<const std::uint8_t*>(path.data() + path.size())));
    Bytes stream(DYNFRAME_SIZE);
    WriteDynFrame(*frame, stream.data());
    Put("frame", "empty", stream);
    for (DynFrameElement* e = frame->First; e; e = e->Next) {
        const Bytes el = WriteDynFrameElement(*e);
        stream.insert(stream.end(), el.begin(), el.end());
    }
    Put("frame", "elements", stream);
    if (!scene->Scene.Frame)
        CreateFrame(scene);
    DynFrame& legacy = *scene->Scene.Frame;
    ConvertLegacyBorder(&legacy, 0x01020304);
    Bytes legacyStream(DYNFRAME_SIZE);
    WriteDynFrame(legacy, legacyStream.data());
    for (DynFrameElement* e = legacy.First; e; e = e->Next) {
        const Bytes el = WriteDynFrameElement(*e);
        legacyStream.insert(legacyStream.end(), el.begin(), el.end());
    }
    Put("frame", "legacy", legacyStream);

    // Type records, each behind the index of its type in the target's table.
    std::uint8_t index = 0;
    for (std::uint16_t type : kItemTypes) {
        ItemRecord* r = ItemRecord::Create(type);
        Bytes b{index++};
        const Bytes rec = WriteTypeRecord(*r);
        b.insert(b.end(), rec.begin(), rec.end());
        Put("type_record", "type-" + std::to_string(type), b);
        delete r;
    }
    DestroyNode(header);
}

// ---- program lists

void put16(Bytes& b, std::size_t off, std::uint16_t v) { bytes::put16(b.data(), off, v); }
void put32(Bytes& b, std::size_t off, std::uint32_t v) { bytes::put32(b.data(), off, v); }

// Header and settings of an older image; the node area follows.
Bytes OldHeader(std::uint8_t version, std::uint32_t settingsSize)
{
    Bytes b(440, 0);
    put16(b, 0, PL_MAGIC);
    b[2] = version;
    b[3] = 56;
    put16(b, 8, 928);
    put32(b, 12, 440);
    put32(b, 16, settingsSize);
    put32(b, 20, 56);
    return b;
}

Bytes OldNode(std::uint32_t level, std::uint16_t type, const std::u16string& name)
{
    Bytes b(928, 0);
    put32(b, 0, level);
    b[4] = 3;
    put16(b, 6, 928);
    for (std::size_t i = 0; i < name.size(); ++i)
        put16(b, 52 + 2 * i, name[i]);
    put32(b, 308, 2000);
    put16(b, 316, level == 1 ? 564 : level == 2 ? 24 : 28);
    if (level == 1 || level == 3)
        put16(b, 320, type);
    if (level == 2)
        b[319] = std::uint8_t(type);
    return b;
}

void ProgramLists()
{
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    screen->Global.Width = 96;
    screen->Global.Height = 48;
    Put("program_list", "empty", BuildStoreImage(screen, StoreSizeOf(screen)));
    tagItemData* global = core.AddItem(IT_GLOBALSCENE, u"global", screen, nullptr);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, global);
    scene->Scene.Schedule = 7;
    core.SetItemFrame(scene, 2);
    DynFrameElement* bar = core.AddFrameElement(0, u"bar", scene->Scene.Frame, nullptr);
    DynFrameElement* custom = core.AddFrameElement(255, u"custom", scene->Scene.Frame, bar);
    SetFrameElementData(custom, {'/', 0, 'x', 0, '.', 0, 'p', 0});
    tagItemData* clocks = core.AddItem(IT_WND_CLOCKDIGIT, u"clocks", global, nullptr);
    core.AddItem(IT_CLOCKDIGIT, u"digital", clocks, nullptr);
    core.AddItem(IT_CLOCKSIMUL, u"analog", clocks, clocks->FirstChild);
    tagItemData* texts = core.AddItem(IT_WND_TEXT, u"texts", scene, nullptr);
    core.SetItemFrame(texts, 1);
    core.AddFrameElement(6, u"pattern", texts->Section.Frame, nullptr);
    tagItemData* after = nullptr;
    for (std::uint16_t type : {IT_SINGLELINE, IT_TEXT, IT_IMAGE, IT_GIF, IT_GRID, IT_TEXTGIF})
        after = core.AddItem(type, u"item", texts, after);
    tagItemData* counters = core.AddItem(IT_WND_COUNT, u"counters", scene, texts);
    core.AddItem(IT_COUNT2, u"down", counters, core.AddItem(IT_COUNT, u"up", counters, nullptr));
    const Bytes rich = BuildStoreImage(screen, StoreSizeOf(screen));
    Put("program_list", "rich", rich);
    // Damaged record sizes: a flipped bit in the high byte, and none at all.
    Bytes flipped = rich;
    flipped[9] ^= 0x80;
    Put("program_list", "record-size-flipped", flipped);
    Bytes noRecord = rich;
    put16(noRecord, 8, 0);
    Put("program_list", "record-size-zero", noRecord);

    // Version 3: packed borders and no window kinds.
    Bytes v3 = OldHeader(3, 384);
    Bytes oldScene = OldNode(1, IT_SCENE, u"old scene");
    put32(oldScene, 860, 0x0A050041);
    v3.insert(v3.end(), oldScene.begin(), oldScene.end());
    Bytes oldSection = OldNode(2, IT_WND_CLOCKDIGIT, u"old section");
    oldSection[318] = 2;
    v3.insert(v3.end(), oldSection.begin(), oldSection.end());
    Bytes oldItem = OldNode(3, IT_SINGLELINE, u"old text");
    put32(oldItem, 328, 112 + 4);
    v3.insert(v3.end(), oldItem.begin(), oldItem.end());
    Bytes record(112, 0);
    record.insert(record.end(), {'h', 0, 'i', 0});
    v3.insert(v3.end(), record.begin(), record.end());
    put32(v3, 4, std::uint32_t(v3.size() - 440));
    Put("program_list", "v3", v3);
    // Version 2: the settings are INI text.
    const std::string ini = "[config]\r\nid = 9\r\nWIDTH=256\r\nHeight=80\r\nType=9\r\nDstMAC=001A2B3C4D5E\r\n";
    Bytes v2 = OldHeader(2, std::uint32_t(ini.size()));
    v2.resize(56);
    v2.insert(v2.end(), ini.begin(), ini.end());
    put32(v2, 12, std::uint32_t(v2.size()));
    Put("program_list", "v2", v2);
    Put("program_list", "v1", OldHeader(1, 0));
    Bytes v0 = OldHeader(0, 0);
    v0.insert(v0.end(), oldScene.begin(), oldScene.end());
    put32(v0, 4, 928);
    Put("program_list", "v0", v0);
}

// ---- controller replies: work-buffer choice, read size, then the stream

void Replies()
{
    auto frame = [](std::uint32_t length, std::uint8_t headerLength) {
        FrameHeader h;
        h.address = 1;
        h.command = 0x2A;
        h.length = length;
        h.sequence = 7;
        Bytes b(kFrameHeaderSize);
        WriteFrameHeader(h, b.data());
        b[5] = headerLength;
        for (std::uint32_t i = 0; i < length; ++i)
            b.push_back(std::uint8_t(i * 13));
        return b;
    };
    auto put = [](const std::string& name, std::uint8_t capacity, std::uint8_t perRead, const Bytes& stream) {
        Bytes b{capacity, perRead};
        b.insert(b.end(), stream.begin(), stream.end());
        Put("reply_frame", name, b);
    };
    put("plain", 4, 0x7F, frame(16, 36));
    put("byte-by-byte", 3, 0, frame(40, 36));
    Bytes stray{0xAA, 0x11, 0xAA, 0xAA};
    Bytes f = frame(8, 36);
    stray.insert(stray.end(), f.begin(), f.end());
    put("stray-bytes", 2, 5, stray);
    put("short-header", 4, 0x7F, frame(4, 20));
    put("too-long-then-next", 1, 0x7F, [&] {
        Bytes b = frame(30, 36);
        Bytes n = frame(3, 36);
        b.insert(b.end(), n.begin(), n.end());
        return b;
    }());
    put("closed", 4, 0x83, Bytes(f.begin(), f.begin() + 20));
}

// ---- answers of a controller's reads: the read, then the answer

void Answers()
{
    tagGlobalInfo g;
    InitGlobalInfo(g);
    g.WifiMode = 2;
    g.AutoS = 1;
    g.WeekSD = 0x41;
    auto put = [](const std::string& name, std::uint8_t read, std::size_t size, auto build, const tagGlobalInfo& g) {
        Bytes b(1 + size);
        b[0] = read;
        build(g, b.data() + 1);
        Put("controller_answer", name, b);
    };
    put("hardware", 0, kHardwareBlockSize, BuildHardwareBlock, g);
    put("network", 2, kIpBlockSize, BuildIpBlock, g);
    put("wifi", 3, kWifiBlockSize, BuildWifiBlock, g);
    Bytes version(1 + kVersionBlockSize, 0);
    version[0] = 1;
    put32(version, 1, 0x0E010200);
    put32(version, 5, 0x01030206);
    Put("controller_answer", "version", version);
}

// ---- raw-Ethernet frames: wait and filter choice, address, command,
// capacity choice, then the frame (sent by the target's controller MAC)

void EthernetFrames()
{
    const std::uint8_t controller[6] = {0x02, 0x10, 0x20, 0x30, 0x40, 0x50};
    const std::uint8_t us[6] = {0x02, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
    auto frame = [&](std::uint8_t kind, const Bytes& payload) {
        Bytes b(kLinkHeaderSize);
        WriteLinkHeader(b.data(), us, controller, kind, std::uint16_t(payload.size()), 0);
        b.insert(b.end(), payload.begin(), payload.end());
        return b;
    };
    auto reply = [&](std::uint8_t address, std::uint32_t stated, std::size_t dataBytes) {
        FrameHeader h;
        h.address = address;
        h.command = 0x2A;
        h.length = stated;
        h.sequence = 7;
        Bytes payload(kFrameHeaderSize);
        WriteFrameHeader(h, payload.data());
        for (std::size_t i = 0; i < dataBytes; ++i)
            payload.push_back(std::uint8_t(i * 13));
        return frame(kKindRequest, payload);
    };
    auto put = [](const std::string& name, std::uint8_t wait, std::uint8_t address, std::uint8_t capacity,
                  const Bytes& f) {
        Bytes b{wait, address, 0x2A, capacity};
        b.insert(b.end(), f.begin(), f.end());
        Put("ethernet_frame", name, b);
    };
    // wait: 0 status, 1 ack, 2 last ack, 3 reply; +4 every controller
    put("status", 0, 255, 5, frame(kKindRequest, {0xE1}));
    put("ack", 1, 255, 5, frame(kKindAck, {}));
    put("last-ack-broadcast", 2 + 4, 255, 5, frame(kKindStream, {kAckByte}));
    put("reply", 3, 255, 5, reply(1, 16, 16));
    put("reply-clipped-broadcast", 3 + 4, 5, 3, reply(5, 100, 80));
    put("reply-refused", 3, 255, 5, reply(1, 0xFFFFFFFF, 4));
}

// ---- items to paint and compile: the type's index in kItemTypes, the
// section's size, then the stored record with its text or memory file.

void ItemPaints()
{
    for (std::size_t k = 0; k < std::size(kItemTypes); ++k) {
        const std::uint16_t type = kItemTypes[k];
        std::unique_ptr<ItemRecord> r(ItemRecord::Create(type));
        if (!r)
            continue;
        // The fixed record, then the text or the stream as a stored record carries them.
        Bytes record = WriteTypeRecord(*r);
        record.resize(r->size());
        if (r->owned() == ItemRecord::Owned::Text) {
            const QString text = type == IT_SINGLELINE ? QStringLiteral("LED 12:30") : QString::fromLatin1(kRtf[0]);
            for (const QChar c : text) {
                record.push_back(static_cast<std::uint8_t>(c.unicode()));
                record.push_back(static_cast<std::uint8_t>(c.unicode() >> 8));
            }
        }
        if (type == IT_GRID) {
            grid::CRealGrid g;
            g.ApplyDefaultBorders();
            const Bytes stream = Saved(g);
            record.insert(record.end(), stream.begin(), stream.end());
        }
        Bytes b{std::uint8_t(k), 63, 31};
        b.insert(b.end(), record.begin(), record.end());
        Put("item_paint", "item-" + std::to_string(type), b);
    }
}

// ---- HTML tooltip markup: an options byte, then the text (or a style
// sheet, a NUL and the text).

const char* const kMarkup[] = {
    "<b>Hello</b> <font color=red>world</font><br><u>second line</u>",
    "a &lt;&amp;&gt; b &nbsp;&copy;\nnext\tcolumn",
    "<center>mid</center><right>end</right><justify>a b c d e f g h i j</justify>",
    ("<table border=1 cellspacing=2 cellpadding=3 width=100% bgeffect=metal><tr><td colspan=2>a</td></tr>"
     "<tr><td rowspan=2 width=30%>b</td><td bgcolor=#00ff00>c</td></tr><tr><td>d</td></tr></table>"),
    "<a href=\"http://x\">link</a> <a msg=\"7\">message</a><hr width=50% size=2><br=2><t=3>x",
    "<span class=title>T</span><font face=Arial size=12pt style=+b-i+u bkgnd=blue>f</font>",
    "<bmp handle=1 width=20 height=10 style=sg><icon handle=1><ilst cx=16 cy=16 index=1 speed=2>",
    "<h1>head</h1><p>para</p><i><s>struck</s></i><sub>low</sub><sup>high</sup>",
};

void Html()
{
    int k = 0;
    for (const char* m : kMarkup) {
        QByteArray b(1, char(k & 7));
        Put("html_layout", "m" + std::to_string(k++), b + m);
    }
    QByteArray sheet(1, char(0x20 | 4));
    sheet += tooltips::CHtmlDrawer::defaultStyleSheet().toUtf8();
    sheet += '\0';
    sheet += "<span class=title>x</span> <h2>y</h2>";
    Put("html_layout", "sheet", sheet);
}

// ---- screens built step by step, for the round trip

void ScreenScripts()
{
    using namespace screenscript;
    constexpr unsigned kSingleLine = 0;   // index in kItemKinds
    const auto fullSection = [](Writer& w, unsigned scene, unsigned width, unsigned height) {
        w.op(OP_SECTION).u8(scene).u8(0);
        w.op(OP_RECT).u16(scene).u16(0).u16(0).u16(width).u16(height);
    };
    // 4096 x 512, 16 scenes of one full-screen section with 7 single-line texts.
    Writer wide;
    wide.op(OP_SIZE).u16(4095).u16(511);
    for (unsigned s = 0; s < 16; ++s) {
        wide.op(OP_SCENE).u8(0).u8(255);
        fullSection(wide, s, 4095, 511);
        for (unsigned i = 0; i < 7; ++i)
            wide.op(OP_ITEM).u8(s).u8(kSingleLine);
    }
    Put("screen_roundtrip", "wide", wide.bytes());
    // 1024 x 128, one section of 260 single-line texts of 1,000 characters.
    Writer texts;
    texts.op(OP_SIZE).u16(1023).u16(127).op(OP_SCENE).u8(0).u8(255);
    fullSection(texts, 0, 1023, 127);
    for (unsigned i = 0; i < 260; ++i)
        texts.op(OP_ITEM).u8(0).u8(kSingleLine).op(OP_TEXT).u16(i).u16(1000).u8(2 * ('a' - ' '));
    Put("screen_roundtrip", "long_texts", texts.bytes());
    // 129 scenes of one 64 x 16 section, then a hardware answer making the screen 4096 x 512.
    Writer many;
    many.op(OP_SIZE).u16(63).u16(15);
    for (unsigned s = 0; s < 129; ++s) {
        many.op(OP_SCENE).u8(0).u8(255);
        fullSection(many, s, 63, 15);
    }
    std::uint8_t answer[kHardwareBlockSize];
    tagGlobalInfo g;
    InitGlobalInfo(g);
    g.Width = 4096;
    g.Height = 512;
    BuildHardwareBlock(g, answer);
    many.op(OP_ANSWER);
    for (std::uint8_t b : answer)
        many.u8(b);
    Put("screen_roundtrip", "many_scenes", many.bytes());
    // Every step once: items of every kind, borders, settings, names, tables.
    Writer all;
    all.op(OP_SCENE).u8(1).u8(0).op(OP_SCENE).u8(0).u8(0);
    for (unsigned k = 0; k < 6; ++k)
        all.op(OP_SECTION).u8(1).u8(k);
    for (unsigned k = 0; k < std::size(kItemKinds); ++k)
        all.op(OP_ITEM).u8(k).u8(k);
    all.op(OP_FRAME).u16(0).u8(2).u8(1).op(OP_FRAME).u16(2).u8(1).u8(255);
    all.op(OP_RECT).u16(1).u16(3).u16(2).u16(20).u16(10);
    for (unsigned f = 0; f < SET_FIELD_COUNT; ++f)
        all.op(OP_SETTING).u8(f).u32(0x12345678u * (f + 1));
    all.op(OP_TEXT).u16(0).u16(5).u8(1).u16('h').u16(0xFEFF).u16('l').u16('l').u16('o');
    all.op(OP_NAME).u16(3).u8(2).u16('n').u16('m').op(OP_TABLE).u16(4).u16(3).u8(1).u8(2).u8(3);
    all.op(OP_DELETE).u16(5).op(OP_SIZE).u16(200).u16(40);
    Put("screen_roundtrip", "every_step", all.bytes());
    // Texts of every kind emptied, each with a font, colour or layout of its own.
    Writer empty;
    empty.op(OP_SCENE).u8(0).u8(0).op(OP_SECTION).u8(0).u8(1);
    const unsigned textKinds[] = {kSingleLine, 1, 5};   // single line, rich text, animated text
    for (unsigned i = 0; i < std::size(textKinds); ++i)
        empty.op(OP_ITEM).u8(0).u8(textKinds[i]).op(OP_TEXT).u16(i).u16(0).u8(0);
    empty.op(OP_RECORD).u16(0).u16(8).u8(0xE9).op(OP_RECORD).u16(0).u16(100).u8(0x1F);   // font height, colour
    empty.op(OP_RECORD).u16(1).u16(9).u8(0).op(OP_RECORD).u16(1).u16(8).u8(1);         // no wrap, one row
    empty.op(OP_RECORD).u16(2).u16(8).u8(90);                                          // frame delay
    Put("screen_roundtrip", "empty_texts", empty.bytes());
}

}   // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    g_root = argv[1];
    Grids();
    Formulas();
    Rtf();
    Nodes();
    ProgramLists();
    Replies();
    Answers();
    EthernetFrames();
    Html();
    ItemPaints();
    ScreenScripts();
    return 0;
}
