// The change notice: what a write road tells, that nothing goes out for a
// change no window shows or from a worker thread, and how a rewritten screen
// block is told and passed on to its scenes and sections.
#include "app/spine/NodeNotice.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/OwnerThread.h"
#include "support/NoticeSpy.h"

#include <QThread>
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <thread>

using spine::NodeChange;
using spine::NodeChanges;

TEST(NodeNotice, TheWriteRoadWritesThenTellsAndAnEmptyChangeTellsNothing)
{
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    support::NoticeSpy spy;
    const QObject origin;
    int seenWidth = -1;
    QObject::connect(&spine::notices(), &spine::NodeNotices::nodeChanged, &origin,
                     [&](tagItemData* n) { seenWidth = n->Global.Width; });
    spine::writeNode(core, screen, NodeChange::Geometry, [&] { core.ChangeItemRect(screen, 0, 0, 96, 32); }, &origin);
    ASSERT_EQ(spy.changes().size(), 1u);
    EXPECT_EQ(spy.changes()[0].node, screen);
    EXPECT_EQ(spy.changes()[0].what, NodeChanges(NodeChange::Geometry));
    EXPECT_EQ(spy.changes()[0].origin, &origin);
    EXPECT_EQ(seenWidth, 96);   // told after the write

    spine::writeNode(core, screen, {}, [&] { screen->PlayTime = 5; });
    spine::writeNode(core, nullptr, NodeChange::Name, [] { ADD_FAILURE() << "no node, no write"; });
    EXPECT_EQ(screen->PlayTime, 5);
    EXPECT_EQ(spy.changes().size(), 1u);

    spine::notices().deleting(screen);
    EXPECT_EQ(spy.deleted(), std::vector<tagItemData*>{screen});
    core.DeleteItem(screen);
}

TEST(NodeNotice, ANoticeAskedForOnAWorkerThreadIsRefused)
{
    tagItemData node{};
    support::NoticeSpy spy;
    QThread* worker = QThread::create([&node] {
        spine::notices().changed(&node, NodeChange::Content);
        spine::notices().deleting(&node);
    });
    worker->start();
    ASSERT_TRUE(worker->wait(5000));
    delete worker;
    EXPECT_TRUE(spy.changes().empty());
    EXPECT_TRUE(spy.deleted().empty());
}

// The write road is the interface thread's: a worker that takes it would
// race the windows that read the node. Compiled out of release builds.
TEST(NodeNotice, TheWriteRoadTakenOnAWorkerThreadStops)
{
#if !SORVANE_THREAD_CHECKS
    GTEST_SKIP() << "the owner-thread check is compiled out of release builds";
#else
    // Each road, and the step that stops it.
    const struct {
        const char* stop;
        std::function<void(CCore&, tagItemData*)> take;
    } roads[] = {
        {"announce", [](CCore& c, tagItemData* s) { spine::writeNode(c, s, NodeChange::Name, [s] { s->Name[0] = u'x'; }); }},
        {"announce", [](CCore& c, tagItemData* s) { spine::writeNode(c, s, {}, [s] { s->PlayTime = 3; }); }},
        {"announce", [](CCore& c, tagItemData* s) { spine::announce(c, s, NodeChange::Name); }},
        {"announceScreenBlock", [](CCore& c, tagItemData* s) { spine::writeScreenBlock(c, s, [s] { s->Global.Lum = 3; }); }},
        {"announceScreenBlock", [](CCore& c, tagItemData* s) { spine::announceScreenBlock(c, s, s->Global); }},
    };
    for (const auto& r : roads) {
        CCore core;
        tagItemData* screen = core.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
        r.take(core, screen);   // the owner takes it freely
        EXPECT_DEATH(std::thread([&] { r.take(core, screen); }).join(),
                     std::string(r.stop) + " wrote the tree off its owner thread");
    }
#endif
}

TEST(NodeNotice, EachPartOfAScreenBlockIsToldAsItsKind)
{
    tagGlobalInfo a;
    EXPECT_EQ(spine::screenBlockChanges(a, a), NodeChanges());
    tagGlobalInfo b = a;
    b.Lum = 3;
    EXPECT_EQ(spine::screenBlockChanges(a, b), NodeChanges(NodeChange::Hardware));
    b = a;
    b.Type = 33;
    EXPECT_EQ(spine::screenBlockChanges(a, b), NodeChange::WorkMode | NodeChange::Hardware);
    b = a;
    b.Height = 48;
    EXPECT_EQ(spine::screenBlockChanges(a, b), NodeChange::Geometry | NodeChange::Hardware);
    b = a;
    std::strcpy(b.Host, "10.0.0.9");
    EXPECT_EQ(spine::screenBlockChanges(a, b), NodeChange::Link | NodeChange::Hardware);
    b = a;
    b.HostPort = 5005;
    EXPECT_TRUE(spine::screenBlockChanges(a, b) & NodeChange::Link);
    b = a;
    b.DstMAC[5] = 0x0A;
    EXPECT_TRUE(spine::screenBlockChanges(a, b) & NodeChange::Link);
}

// A block rewritten whole (a dialog, a controller's read) with a smaller
// size: the sections are fitted into it, as for a screen the core resizes.
TEST(NodeNotice, ARewrittenBlockFitsTheSectionsToItsNewSize)
{
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    core.ChangeItemRect(screen, 0, 0, 64, 32);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    core.ChangeItemRect(section, 32, 16, 32, 16);
    const tagGlobalInfo before = screen->Global;
    screen->Global.Width = 32;
    screen->Global.Height = 16;
    screen->Global.Type = 33;
    support::NoticeSpy spy;
    spine::announceScreenBlock(core, screen, before);
    EXPECT_EQ(screen->Global.Width, 32);
    EXPECT_LE(section->Section.RectX + section->Section.RectW, 32);
    EXPECT_LE(section->Section.RectY + section->Section.RectH, 16);
    ASSERT_EQ(spy.changes().size(), 1u);
    EXPECT_EQ(spy.told(screen), NodeChange::Geometry | NodeChange::WorkMode | NodeChange::Hardware);

    // Read again unchanged: nothing to tell.
    spine::announceScreenBlock(core, screen, screen->Global);
    EXPECT_EQ(spy.changes().size(), 1u);
    core.DeleteItem(screen);
}
