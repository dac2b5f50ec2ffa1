// A send of a screen whose pictures were never made, on a worker, while the
// screen's own thread reads its nodes and their pictures as a canvas does,
// making again those dropped for want of room. Painting writes a field only
// where its value changes and the pixels under the pictures' lock, and the
// compile reads its own copy of each picture. Built for the thread
// sanitizer (make tsan), where a write of a node during the send is a
// reported race.
#include "LinkTestUtil.h"

#include "core/api/Core.h"
#include "core/api/TypeRecords.h"
#include "core/model/NodePictures.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"
#include "core/render/ContentCompiler.h"
#include "core/render/ProgramSchema.h"

#include <QTemporaryDir>

#include <atomic>
#include <cstring>
#include <thread>

using namespace linktest;
using sorvane::model::ForEachNode;
using sorvane::model::NodePictures;
using sorvane::render::CContentCompiler;

TEST(SendOfUnmadePictures, WritesNoFieldOfANodeAndSendsWhatTheScreenShows)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    QTemporaryDir dir;
    QImage photo(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(x * 6, y * 12, (x ^ y) * 8));
    const QString path = dir.filePath("photo.png");
    ASSERT_TRUE(photo.save(path));

    CCore core;
    tagItemData* made = core.AddItem(IT_SCREEN, u"made", nullptr, nullptr);
    made->Global.Width = 64;
    made->Global.Height = 32;
    made->Global.Type = 17;
    made->Global.ScanMode = 4;
    for (int n = 0; n < 3; ++n) {
        tagItemData* scene = core.AddItem(IT_SCENE, u"scene", made, nullptr);
        tagItemData* left = core.AddItem(IT_WND_TEXT, u"left", scene, nullptr);
        left->Section.RectW = 32;
        left->Section.RectH = 32;
        tagItemData* right = core.AddItem(IT_WND_TEXT, u"right", scene, left);
        right->Section.RectX = 32;
        right->Section.RectW = 32;
        right->Section.RectH = 32;
        tagItemData* line = core.AddItem(IT_SINGLELINE, u"line", left, nullptr);
        records::SetItemText(line, QStringLiteral("Drawn where it is read %1").arg(n));
        line->InEffect = 1;
        tagItemData* picture = core.AddItem(IT_IMAGE, u"picture", right, nullptr);
        picture->Item.TypeRecord->set(records::picture::Path, path);
        tagItemData* animated = core.AddItem(IT_TEXTGIF, u"animated", left, line);
        records::SetItemText(animated, QStringLiteral("Go"));
    }
    // Stored and loaded again: the load paints nothing.
    const std::vector<std::uint8_t> image = sorvane::model::BuildStoreImage(made, sorvane::model::StoreSizeOf(made));
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, made);
    ASSERT_EQ(sorvane::model::LoadProgramList(screen, image.data(), image.size()), PL_OK);
    tagGlobalInfo& g = screen->Global;
    g.CommType = COMM_NETWORK;
    std::strncpy(g.Host, "127.0.0.1", sizeof g.Host - 1);
    g.HostPort = peer.port();
    ASSERT_NE(screen->FirstChild, nullptr);
    ForEachNode(screen->FirstChild, [](tagItemData* n) {
        EXPECT_EQ(NodePictures::stateOf(n), sorvane::model::PictureState::Stale);
    });
    // Room for a few pictures only: the canvas drops and makes them again
    // while the send reads the same nodes.
    const std::int64_t budget = NodePictures::setBudget(12 * 1024);
    const LinkSettings link = core.GetSendLink(screen);

    std::atomic<bool> started{false}, done{false};
    int programs = 0;
    std::thread worker([&] {
        started = true;
        programs = core.SendPrograms(screen, link);
        done = true;
    });
    while (!started.load())
        std::this_thread::yield();
    long reads = 0;
    std::uint64_t shown = 0;
    while (!done.load()) {
        ForEachNode(screen, [&](tagItemData* n) {
            const QImage picture = GetNodePicture(n);
            shown += std::uint64_t(picture.width()) + n->Item.ContentW + n->Item.ContentH + n->Global.Width;
        });
        ++reads;
    }
    worker.join();
    NodePictures::setBudget(budget);

    EXPECT_GT(reads, 1);
    EXPECT_GT(shown, 0u);
    ASSERT_TRUE(controller.waitForBlocks(std::size(sorvane::render::program::BlockOrder))) << "send returned " << programs;
    // What went out is what the screen's thread compiles with every picture kept.
    CContentCompiler::ForgetCompiled(screen);
    ForEachNode(screen, [](tagItemData* n) { GetNodePicture(n); });
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const std::vector<sim::Block> sent = controller.blocks();
    ASSERT_EQ(sent.size(), std::size(sorvane::render::program::BlockOrder));
    EXPECT_EQ(programs, int(sent.back().data.size()));   // the program data's acknowledgement
    for (std::size_t i = 0; i < sent.size(); ++i) {
        std::vector<std::uint8_t> made(CContentCompiler::GetBlockSize(screen, sorvane::render::program::BlockOrder[i]));
        CContentCompiler::CopyBlock(screen, sorvane::render::program::BlockOrder[i], made.data(), made.size());
        EXPECT_EQ(sent[i].data, made) << "block " << i;
    }
    CContentCompiler::FreeBuffers(screen);
}
