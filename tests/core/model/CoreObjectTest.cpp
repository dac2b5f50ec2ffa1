#include "core/model/CoreAccess.h"
#include "core/api/Core.h"
#include "core/api/OwnerThread.h"
#include "core/model/CoreState.h"
#include "core/model/ItemData.h"
#include "core/model/NodePictures.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace sorvane::model;

namespace {
void cbA(unsigned, unsigned, std::uintptr_t) {}
void cbB(unsigned, unsigned, std::uintptr_t) {}

std::vector<int> valuesOf(const CUniqueArray<int>& list) { return list.items(); }
std::vector<unsigned short> valuesOf(const CUniqueArray<unsigned short>& list) { return list.items(); }
}

TEST(CoreObject, FreshObjectDefaults)
{
    CCore core;
    tagItemData* root = CoreAccess::root(core);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Level, LEVEL_HEADER);
    EXPECT_EQ(root->FirstChild, nullptr);
    EXPECT_EQ(root->RecordSize, 0);
    EXPECT_EQ(root->Name[0], u'\0');
    EXPECT_TRUE(NodePictures::peek(root).isNull());
    EXPECT_EQ(valuesOf(CoreAccess::ports(core)), std::vector<unsigned short>{8080});
    EXPECT_EQ(valuesOf(CoreAccess::scope(core)), std::vector<int>{1});
    EXPECT_EQ(core.GetCurLang(), 4);
    EXPECT_EQ(core.GetCommCallBack(), nullptr);
    EXPECT_EQ(core.SetFileCallBack(nullptr), nullptr);
    EXPECT_EQ(core.IsSingleScreen(), 1);
    EXPECT_EQ(core.IsSerialPortEnabled(), 1);
    EXPECT_EQ(core.IsLanEnabled(), 0);
    EXPECT_EQ(core.IsWanEnabled(), 0);
    core.SetCurLang(0x7C04);
    EXPECT_EQ(core.GetCurLang(), 0x7C04);
    EXPECT_EQ(CurrentLanguage(), 0x7C04);
}

TEST(CoreObject, CallbackSettersReturnPrevious)
{
    CCore core;
    EXPECT_EQ(core.SetCommCallBack(cbA), nullptr);
    EXPECT_EQ(core.SetCommCallBack(cbB), cbA);
    EXPECT_EQ(core.GetCommCallBack(), cbB);
    EXPECT_EQ(core.SetCommCallBack(nullptr), cbB);
    EXPECT_EQ(core.GetCommCallBack(), nullptr);
    EXPECT_EQ(core.SetFileCallBack(cbA), nullptr);
    EXPECT_EQ(core.SetFileCallBack(cbB), cbA);
    EXPECT_EQ(core.SetFileCallBack(nullptr), cbB);
}

TEST(CoreObject, SecondObjectBecomesCurrentAndLastClosesTheCancelEvent)
{
    ASSERT_EQ(CancelEvent(), nullptr);
    {
        CCore first;
        EXPECT_EQ(CurrentCore(), &first);
        platform::AutoResetEvent* ev = CancelEvent();
        ASSERT_NE(ev, nullptr);
        EXPECT_FALSE(ev->isSet());
        {
            CCore second;
            second.SetCurLang(9);
            EXPECT_EQ(CurrentCore(), &second);
            EXPECT_EQ(CurrentLanguage(), 9);
            EXPECT_EQ(CancelEvent(), ev);
            ev->set();
        }
        // The event outlives the second object, signal included.
        EXPECT_EQ(CancelEvent(), ev);
        EXPECT_TRUE(ev->tryWait());
        // The destroyed object is no longer reachable; the live one takes its place.
        EXPECT_EQ(CurrentCore(), &first);
        first.SetCurLang(0x7C04);
        EXPECT_EQ(CurrentLanguage(), 0x7C04);
    }
    EXPECT_EQ(CurrentCore(), nullptr);
    EXPECT_EQ(CurrentLanguage(), 4);
    {
        // Destroying an older core keeps the newer one current.
        auto* a = new CCore;
        CCore b;
        delete a;
        EXPECT_EQ(CurrentCore(), &b);
    }
    EXPECT_EQ(CancelEvent(), nullptr);
    CCore again;
    EXPECT_NE(CancelEvent(), nullptr);
}

TEST(CoreObject, DestroysItsWholeTree)
{
    auto core = std::make_unique<CCore>();
    tagItemData* root = CoreAccess::root(*core);
    tagItemData* screen = CreateNode(nullptr, IT_SCREEN, u"s", root);
    tagItemData* scene = CreateNode(nullptr, IT_SCENE, u"a", screen);
    tagItemData* section = CreateNode(nullptr, IT_WND_PROGLIST, u"b", scene);
    core->AddFrameElement(3, u"e", section->Section.Frame, nullptr);
    CreateNode(nullptr, IT_TEXT, u"t", section);
    CreateNode(nullptr, IT_GRID, u"g", section);
    EXPECT_EQ(root->FirstChild, screen);
    support::LiveNodeProbe probe;
    EXPECT_EQ(probe.mark(root), 6);
    EXPECT_TRUE(probe.anyAlive());
    core.reset();   // the sanitizer build also reports anything left behind
    EXPECT_FALSE(probe.anyAlive());
}

TEST(CoreObject, AssignmentCopiesSettingsAndKeepsEachTree)
{
    CCore a;
    tagItemData* rootA = CoreAccess::root(a);
    tagItemData* screenA = CreateNode(nullptr, IT_SCREEN, u"A", rootA);
    {
        CCore b;
        tagItemData* rootB = CoreAccess::root(b);
        CreateNode(nullptr, IT_SCREEN, u"B", rootB);
        b.SetCurLang(9);
        b.SetCommCallBack(cbA);
        b.SetFileCallBack(cbB);
        CoreAccess::ports(b).Add(9000);
        CoreAccess::scope(b).Add(7);

        a = b;
        EXPECT_EQ(a.GetCurLang(), 9);
        EXPECT_EQ(a.GetCommCallBack(), cbA);
        EXPECT_EQ(a.SetFileCallBack(nullptr), cbB);
        EXPECT_EQ(valuesOf(CoreAccess::ports(a)), (std::vector<unsigned short>{8080, 9000}));
        EXPECT_EQ(valuesOf(CoreAccess::scope(a)), (std::vector<int>{1, 7}));
        EXPECT_EQ(CoreAccess::root(a), rootA);
        EXPECT_EQ(rootA->FirstChild, screenA);
        EXPECT_NE(CoreAccess::root(b), rootA);

        // The copies are the object's own.
        CoreAccess::ports(a).Add(1234);
        EXPECT_EQ(CoreAccess::ports(b).GetSize(), 2);
        a = a;
        EXPECT_EQ(CoreAccess::ports(a).GetSize(), 3);
    }
    // b is gone; a's tree is intact and freed once by a's destructor.
    EXPECT_EQ(CoreAccess::root(a)->FirstChild, screenA);
    EXPECT_EQ(screenA->Name[0], u'A');
}

TEST(CoreObject, HeaderNodesAndPaint)
{
    CCore core;
    tagItemData* header = core.CreateItemHeader();
    ASSERT_NE(header, nullptr);
    EXPECT_NE(header, CoreAccess::root(core));
    EXPECT_EQ(header->Level, LEVEL_HEADER);
    EXPECT_EQ(header->Parent, nullptr);
    EXPECT_EQ(header->RecordVersion, 0);
    EXPECT_EQ(header->BlockSize, 0);
    EXPECT_TRUE(NodePictures::peek(header).isNull());
    // Nothing can be painted yet, least of all a header.
    EXPECT_EQ(core.Paint(header), 0);
    EXPECT_EQ(core.Paint(nullptr), 0);
    DestroyNode(header);
    EXPECT_EQ(header, nullptr);
}

TEST(CoreObject, SetCommModeOnScreensOnly)
{
    CCore core;
    tagItemData* screen = CreateNode(nullptr, IT_SCREEN, u"s", CoreAccess::root(core));
    tagItemData* scene = CreateNode(nullptr, IT_SCENE, u"a", screen);
    EXPECT_EQ(core.SetCommMode(screen, COMM_NETWORK), 0);
    EXPECT_EQ(screen->Global.CommType, 2u);
    EXPECT_EQ(core.SetCommMode(screen, COMM_ETHERNET), 2);
    EXPECT_EQ(screen->Global.CommType, 1u);
    EXPECT_EQ(core.SetCommMode(scene, COMM_NETWORK), 0);
    EXPECT_EQ(core.SetCommMode(nullptr, COMM_NETWORK), 0);
    EXPECT_EQ(screen->Global.CommType, 1u);
    std::uint8_t image[ITEMDATA_SIZE];
    WriteNodeImage(*screen, image);
    EXPECT_EQ(image[712], 1);
    EXPECT_EQ(image[713], 0);
}

namespace {

// A tree of one screen down to a single line, and every writer of it that
// only the owner thread may call.
struct OwnedTree {
    CCore core;
    tagItemData* screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
    tagItemData* scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = core.AddItem(IT_WND_PROGLIST, u"section", scene, nullptr);
    tagItemData* item = core.AddItem(IT_SINGLELINE, u"item", section, nullptr);
    tagItemData* grid = core.AddItem(IT_GRID, u"grid", section, item);
    DynFrameElement* border = [this] {
        core.SetItemFrame(section, 1);
        return core.AddFrameElement(0, u"e", section->Section.Frame, nullptr);
    }();
};

struct TreeWriter {
    const char* name;
    std::function<void(OwnedTree&)> write;
};

const TreeWriter kTreeWriters[] = {
    {"AddItem", [](OwnedTree& t) { t.core.AddItem(IT_SCREEN, u"s", nullptr, nullptr); }},
    {"DeleteItem", [](OwnedTree& t) { t.core.DeleteItem(t.item); }},
    {"ClearPrograms", [](OwnedTree& t) { t.core.ClearPrograms(t.section); }},
    {"CopyItem", [](OwnedTree& t) { t.core.CopyItem(t.item, t.section, nullptr); }},
    {"CopyBranch", [](OwnedTree& t) { t.core.CopyBranch(t.scene, t.screen, nullptr); }},
    {"ModifyItemPos", [](OwnedTree& t) { t.core.ModifyItemPos(t.grid, t.section, nullptr); }},
    {"ChangeItemName", [](OwnedTree& t) { t.core.ChangeItemName(t.item, u"x"); }},
    {"ChangeItemRect", [](OwnedTree& t) { t.core.ChangeItemRect(t.section, 0, 0, 8, 8); }},
    {"SetItemFrame", [](OwnedTree& t) { t.core.SetItemFrame(t.section, 1); }},
    {"SetCommMode", [](OwnedTree& t) { t.core.SetCommMode(t.screen, COMM_NETWORK); }},
    {"SetCommInfo", [](OwnedTree& t) { CCore::CommInfo i{}; t.core.SetCommInfo(t.screen, &i); }},
    {"SetSwapRedGreen", [](OwnedTree& t) { t.core.SetSwapRedGreen(t.screen, 1); }},
    {"AddFrameElement", [](OwnedTree& t) { t.core.AddFrameElement(0, u"e", nullptr, nullptr); }},
    {"DeleteFrameElement", [](OwnedTree& t) { t.core.DeleteFrameElement(nullptr, nullptr); }},
    {"ModifyFrameElmentPos", [](OwnedTree& t) { t.core.ModifyFrameElmentPos(nullptr, nullptr, nullptr); }},
    {"LoadPL", [](OwnedTree& t) { t.core.LoadPL(t.screen, u"/nonexistent/screen.pl"); }},
    {"StoreConnections", [](OwnedTree& t) { t.core.StoreConnections(FoundControllers{}, 0, 0); }},
    {"RetrieveConnection", [](OwnedTree& t) { t.core.RetrieveConnection(t.screen); }},
    {"RetrieveHardwareInfo", [](OwnedTree& t) { t.core.RetrieveHardwareInfo(t.screen); }},
    {"SetItemText", [](OwnedTree& t) { records::SetItemText(t.item, QStringLiteral("x")); }},
    {"SetItemTableStream", [](OwnedTree& t) { records::SetItemTableStream(t.grid, QByteArray("x")); }},
    {"ReadGifImageFile", [](OwnedTree& t) { CCore::ReadGifImageFile(nullptr, t.item); }},
    // Painting stores the content size it measured into the node.
    {"Paint", [](OwnedTree& t) { t.core.Paint(t.item); }},
    {"GetNodePicture", [](OwnedTree& t) {
         NodePictures::setBudget(0);   // the picture is dropped: reading makes it again
         GetNodePicture(t.item);
     }},
    {"SetNodePicture", [](OwnedTree& t) { SetNodePicture(t.scene, QImage(8, 8, QImage::Format_RGB32)); }},
    {"SetFrameElementPicture", [](OwnedTree& t) {
         CCore::SetFrameElementPicture(t.border, u"/pictures/border.png");
     }},
};

void onAnotherThread(const std::function<void()>& f)
{
    std::thread worker(f);
    worker.join();
}

} // namespace

// A write off the owner thread would race the interface thread's readers:
// each writer stops there, naming itself. Compiled out of release builds.
TEST(OwnerThread, EveryTreeWriterStopsOffTheOwnerThread)
{
#if !SORVANE_THREAD_CHECKS
    GTEST_SKIP() << "the owner-thread check is compiled out of release builds";
#else
    {
        const OwnedTree probe;
        ASSERT_TRUE(probe.item && probe.grid && probe.border);
    }
    for (const TreeWriter& w : kTreeWriters) {
        SCOPED_TRACE(w.name);
        OwnedTree t;
        EXPECT_DEATH(onAnotherThread([&] { w.write(t); }), std::string(w.name) + " wrote the tree off its owner thread");
    }
#endif
}

// The thread that made the core writes; a core handed on to a worker is
// the worker's, and no longer the maker's.
TEST(OwnerThread, TheOwnerWritesAndMayHandTheTreeOn)
{
#if !SORVANE_THREAD_CHECKS
    GTEST_SKIP() << "the owner-thread check is compiled out of release builds";
#else
    OwnedTree t;
    // A picture that is there is only read: any thread may take it.
    onAnotherThread([&] { EXPECT_FALSE(GetNodePicture(t.item).isNull()); });
    EXPECT_NE(t.core.CopyBranch(t.scene, t.screen, nullptr), nullptr);
    EXPECT_TRUE(records::SetItemText(t.item, QStringLiteral("owner's")));
    tagItemData* made = nullptr;
    onAnotherThread([&] {
        SorvaneSetOwnerThread(t.core);
        made = t.core.AddItem(IT_SCREEN, u"worker's", nullptr, nullptr);
        records::SetItemText(t.item, QStringLiteral("worker's"));
    });
    EXPECT_NE(made, nullptr);
    EXPECT_DEATH(t.core.ChangeItemName(t.item, u"x"), "ChangeItemName wrote the tree off its owner thread");
    SorvaneSetOwnerThread(t.core);
    // A core made on a worker is that worker's.
    onAnotherThread([] {
        CCore own;
        EXPECT_NE(own.AddItem(IT_SCREEN, u"s", nullptr, nullptr), nullptr);
    });
#endif
}
