// A table item is painted through the dispatcher from its GRID stream and
// reaches the simulated controller in the program blocks like any other item.
#include "LinkTestUtil.h"

#include "core/link/Commands.h"
#include "core/api/Core.h"
#include "core/model/ItemData.h"
#include "core/render/ContentCompiler.h"
#include "core/render/TableItem.h"

#include <cstring>

using namespace sorvane::render;

using namespace sorvane::link;

TEST(TablePrograms, ATableItemPaintsAndReachesTheController)
{
    const linktest::FastClock fast;
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagGlobalInfo& g = screen->Global;
    g.Width = 128;
    g.Height = 64;
    g.Type = 17;
    g.ScanMode = 4;
    g.ID = 1;
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
    core.ChangeItemRect(section, 0, 0, 128, 64);
    tagItemData* table = core.AddItem(IT_GRID, u"table", section, nullptr);
    ASSERT_NE(table, nullptr);

    // An empty stream shows the default table, whole: no trim.
    ASSERT_EQ(core.Paint(table), 1);
    EXPECT_EQ(table->Item.ContentW, 300u);
    EXPECT_EQ(table->Item.ContentH, 120u);
    const sorvane::render::TableItemPicture expected = sorvane::render::RenderTableItem({});
    ASSERT_FALSE(GetNodePicture(table).isNull());
    EXPECT_EQ(GetNodePicture(table).copy(0, 0, 300, 120), expected.image.convertToFormat(GetNodePicture(table).format()));
    // Without a record nothing is drawn.
    ItemRecord* rec = table->Item.TypeRecord;
    table->Item.TypeRecord = nullptr;
    EXPECT_EQ(core.Paint(table), 0);
    table->Item.TypeRecord = rec;

    sim::SimController controller;
    sim::TcpPeer peer(controller);
    g.CommType = COMM_NETWORK;
    std::memset(g.Host, 0, sizeof g.Host);
    std::strcpy(g.Host, "127.0.0.1");
    g.HostKind = 0;
    g.HostPort = peer.port();
    const int rc = core.SendPrograms(screen);
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    linktest::Bytes data(CContentCompiler::GetProgramDataSize(screen));
    CContentCompiler::CopyProgramData(screen, data.data(), data.size());
    CContentCompiler::FreeBuffers(screen);
    ASSERT_TRUE(controller.waitForBlocks(4));
    const std::vector<sim::Block> got = controller.blocks();
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[3].header.command, TOS_PROGDATA);
    EXPECT_EQ(got[3].data, data);
    EXPECT_EQ(rc, int(data.size()));
    // The table's lit cells reach the program data: it is not all black.
    std::size_t lit = 0;
    for (std::uint8_t b : data)
        lit += b != 0;
    EXPECT_GT(lit, data.size() / 20);
}
