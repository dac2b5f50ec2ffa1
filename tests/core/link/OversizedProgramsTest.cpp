// Content larger than the preview bound: the compile draws the pages the
// picture cannot hold, and the controller and the USB-stick file get every
// page of the text, not black ones.
#include "LinkTestUtil.h"

#include "core/api/Core.h"
#include "core/link/Commands.h"
#include "core/link/Frame.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "core/render/ContentCompiler.h"
#include "core/render/TableItem.h"
#include "grid/RealGrid.h"
#include "platform/FontMap.h"
#include "platform/LogFont.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <cstring>

using namespace sorvane::render;

using namespace sorvane::link;
using sorvane::model::NodePictures;
using linktest::Bytes;

namespace {

class OversizedPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        tagGlobalInfo& g = screen->Global;
        g.Width = 256;
        g.Height = 128;
        g.Type = 0;
        g.ScanMode = 16;
        g.ID = 1;
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
        core.ChangeItemRect(section, 0, 0, 256, 128);
    }

    // A single line of `chars` characters at font height `height`, painted.
    tagItemData* addTicker(int chars, int height, std::uint8_t effect = 1)
    {
        tagItemData* t = core.AddItem(IT_SINGLELINE, u"ticker", section, nullptr);
        QString text;
        while (text.size() < chars)
            text += QStringLiteral("WIDE TICKER %1 ").arg(text.size());
        text.truncate(chars);
        records::SetItemText(t, text);
        LOGFONT lf = t->Item.TypeRecord->get(records::singleline::TextFont);
        lf.lfHeight = -height;
        SetLogFontFaceName(lf, u"DejaVu Sans");
        t->Item.TypeRecord->set(records::singleline::TextFont, lf);
        t->InEffect = effect;
        core.Paint(t);
        return t;
    }

    // The item's pages as the compiler gives them.
    static Bytes pagesOf(tagItemData* screen, tagItemData* item)
    {
        EXPECT_EQ(CContentCompiler::Compile(screen), 1);
        Bytes out = CContentCompiler::CompiledSlot(item, 0);
        CContentCompiler::FreeBuffers(screen);
        return out;
    }

    // The same pages from a picture that holds the whole content: one made
    // large enough beforehand is painted into as any preview.
    Bytes pagesFromWholePicture(tagItemData* item)
    {
        const QSize whole = PreviewSizeOf(item);
        NodePictures::swap(item, QImage(whole, QImage::Format_RGB32));
        EXPECT_FALSE(NodePictures::peek(item).isNull());
        EXPECT_EQ(core.Paint(item), 1);
        Bytes out = pagesOf(screen, item);
        NodePictures::swap(item, QImage());
        core.Paint(item);
        return out;
    }

    static Bytes block(tagItemData* screen, std::size_t (*size)(tagItemData*),
                       std::size_t (*copy)(tagItemData*, std::uint8_t*, std::size_t))
    {
        Bytes b(size(screen));
        EXPECT_EQ(copy(screen, b.data(), b.size()), b.size());
        return b;
    }

    CCore core;
    tagItemData* screen = nullptr;
    tagItemData* section = nullptr;
};

// Pages that are wholly black (content pages start at 0xFF bytes).
std::size_t blackPages(const Bytes& pages, std::size_t pageLength)
{
    std::size_t black = 0;
    for (std::size_t at = 0; at + pageLength <= pages.size(); at += pageLength) {
        bool lit = false;
        for (std::size_t i = at; i < at + pageLength && !lit; ++i)
            lit = pages[i] != 0xFF;
        black += lit ? 0 : 1;
    }
    return black;
}

} // namespace

TEST_F(OversizedPrograms, EveryPageOfATextPastThePreviewBoundIsDrawn)
{
    tagItemData* t = addTicker(600, 100);
    const std::uint32_t width = t->Item.ContentW;
    // The case of the fault: far wider than any preview picture may be.
    ASSERT_GT(std::int64_t(width) * 128, MAX_PREVIEW_PIXELS);
    ASSERT_LT(std::uint32_t(GetNodePicture(t).width()), width);
    const std::size_t pageLength = 4 * 16 * 256;
    const std::size_t pages = (width + 255) / 256;

    const Bytes drawn = pagesOf(screen, t);
    ASSERT_EQ(drawn.size(), pages * pageLength);
    EXPECT_EQ(blackPages(drawn, pageLength), 0u);
    EXPECT_EQ(drawn, pagesFromWholePicture(t));

    // Right to left and column by column: the same pages, in their orders.
    for (std::uint8_t effect : {2, 3}) {
        t->InEffect = effect;
        const Bytes other = pagesOf(screen, t);
        ASSERT_EQ(other.size(), drawn.size());
        for (std::size_t p = 0; p < pages; ++p) {
            const std::size_t from = effect == 2 ? pages - 1 - p : p;
            ASSERT_TRUE(std::equal(other.begin() + std::ptrdiff_t(p * pageLength),
                                   other.begin() + std::ptrdiff_t((p + 1) * pageLength),
                                   drawn.begin() + std::ptrdiff_t(from * pageLength)))
                << "effect " << int(effect) << " page " << p;
        }
    }
}

TEST_F(OversizedPrograms, ARichTextLinePastThePreviewBoundIsDrawn)
{
    tagItemData* rt = core.AddItem(IT_TEXT, u"rich", section, nullptr);
    QString text = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil DejaVu Sans;}}{\\colortbl ;\\red255\\green255\\blue0;}"
                                  "\\cf1\\f0\\fs80 ");
    for (int i = 0; i < 230; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    text += u'}';
    records::SetItemText(rt, text);
    rt->Item.TypeRecord->set(records::richtext::Wrap, 0);
    core.Paint(rt);
    ASSERT_GT(std::int64_t(rt->Item.ContentW) * std::max<std::uint32_t>(rt->Item.ContentH, 128), MAX_PREVIEW_PIXELS);
    const Bytes drawn = pagesOf(screen, rt);
    EXPECT_EQ(blackPages(drawn, 4 * 16 * 256), 0u);
    EXPECT_EQ(drawn, pagesFromWholePicture(rt));
}

TEST_F(OversizedPrograms, ATablePastThePreviewBoundIsDrawnInRowsAndInColumns)
{
    grid::CRealGrid g;
    g.ApplyDefaultBorders();
    for (int k = 1; k <= 5; ++k) {
        g.SetColumnWidth(k, 1000);
        g.SetRowHeight(k, 1000);
    }
    std::vector<std::uint8_t> stream;
    g.SaveTo(stream);
    const QByteArray bytes(reinterpret_cast<const char*>(stream.data()), qsizetype(stream.size()));
    tagItemData* table = core.AddItem(IT_GRID, u"table", section, nullptr);
    ASSERT_TRUE(records::SetItemTableStream(table, bytes));
    core.Paint(table);
    ASSERT_EQ(table->Item.ContentW, 5000u);
    ASSERT_LT(GetNodePicture(table).width(), 5000);
    for (std::uint8_t effect : {1, 3}) {
        table->InEffect = effect;
        const Bytes drawn = pagesOf(screen, table);
        ASSERT_EQ(drawn.size(), std::size_t(20 * 40) * 4 * 16 * 256);
        // The same table drawn whole into a picture large enough.
        const QSize whole = PreviewSizeOf(table);
        QImage picture(whole, QImage::Format_RGB32);
        picture.fill(Qt::black);
        {
            QPainter p(&picture);
            sorvane::render::TableItemDrawer(stream).draw(p);
        }
        SetNodePicture(table, picture);
        EXPECT_EQ(drawn, pagesOf(screen, table)) << "effect " << int(effect);
        // Lines of the far cells are there, not only the first tile's.
        EXPECT_LT(blackPages(drawn, 4 * 16 * 256), 20u * 40u - 40u);
        NodePictures::swap(table, QImage());
        core.Paint(table);
    }
}

TEST_F(OversizedPrograms, TheControllerAndTheStickGetWhatTheCompilerGives)
{
    // Two megabytes go on the real clock: at a hundredth of the reply
    // time-out, a busy machine misses an answer and the send reports none.
    tagItemData* t = addTicker(600, 100);
    EXPECT_EQ(CContentCompiler::OversizedItem(screen), nullptr);
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const Bytes want[4] = {
        block(screen, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap),
        block(screen, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap),
        block(screen, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask),
        block(screen, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData)};
    const Bytes pages = CContentCompiler::CompiledSlot(t, 0);
    CContentCompiler::FreeBuffers(screen);
    ASSERT_EQ(blackPages(pages, 4 * 16 * 256), 0u);
    // The item's pages lie in the program data whole.
    ASSERT_NE(std::search(want[3].begin(), want[3].end(), pages.begin(), pages.end()), want[3].end());

    sim::SimController controller;
    sim::TcpPeer peer(controller);
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    std::memset(g.Host, 0, sizeof g.Host);
    std::strcpy(g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = peer.port();
    EXPECT_EQ(core.SendPrograms(screen), int(want[3].size()));
    ASSERT_TRUE(controller.waitForBlocks(4));
    const std::vector<sim::Block> got = controller.blocks();
    ASSERT_EQ(got.size(), 4u);
    const std::uint8_t commands[4] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(got[i].header.command, commands[i]);
        EXPECT_EQ(got[i].data, want[i]) << "block " << i;
    }

    QTemporaryDir dir;
    const QString path = dir.filePath("program.dat");
    ASSERT_EQ(core.SaveAsUSBFile(screen, reinterpret_cast<const char16_t*>(path.utf16()), 0x01, 0), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray file = f.readAll();
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        FrameHeader h;
        ASSERT_LE(at + kFrameHeaderSize, std::size_t(file.size()));
        ASSERT_TRUE(ReadFrameHeader(reinterpret_cast<const std::uint8_t*>(file.constData()) + at, h));
        EXPECT_EQ(h.command, commands[i]);
        ASSERT_EQ(h.length, want[i].size());
        ASSERT_LE(at + kFrameHeaderSize + h.length, std::size_t(file.size()));
        EXPECT_EQ(0, std::memcmp(file.constData() + at + kFrameHeaderSize, want[i].data(), h.length)) << "block " << i;
        at += kFrameHeaderSize + h.length;
    }
    EXPECT_EQ(at, std::size_t(file.size()));
}

TEST_F(OversizedPrograms, ATextWiderThanTheRecordsCanTellIsRefusedByName)
{
    const linktest::FastClock fast;
    // The page count and the width go out in 16-bit fields.
    tagItemData* t = addTicker(1400, 100);
    ASSERT_GT(t->Item.ContentW + 255, 0xFFFFu);
    EXPECT_EQ(CContentCompiler::OversizedItem(screen), t);
    EXPECT_EQ(CContentCompiler::Compile(screen), 0);
    EXPECT_EQ(CContentCompiler::CompiledSlotSize(t, 0), 0u);

    sim::SimController controller;
    sim::TcpPeer peer(controller);
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    std::memset(g.Host, 0, sizeof g.Host);
    std::strcpy(g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = peer.port();
    EXPECT_EQ(core.SendPrograms(screen), 0);
    EXPECT_TRUE(controller.blocks().empty());
    QTemporaryDir dir;
    const QString path = dir.filePath("program.dat");
    EXPECT_NE(core.SaveAsUSBFile(screen, reinterpret_cast<const char16_t*>(path.utf16()), 0x01, 0), 0);
    EXPECT_FALSE(QFile::exists(path));

    // One that fits is sent again.
    records::SetItemText(t, QStringLiteral("short"));
    core.Paint(t);
    EXPECT_EQ(CContentCompiler::OversizedItem(screen), nullptr);
    EXPECT_EQ(CContentCompiler::Compile(screen), 1);
    CContentCompiler::FreeBuffers(screen);
}
