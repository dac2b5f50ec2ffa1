// A job's copy of a screen: what it carries over from the live screen, what
// it leaves behind, and that any thread may paint and store it.
#include "TreeFixture.h"
#include "core/api/Core.h"
#include "core/api/ScreenCopy.h"
#include "core/model/NodePictures.h"
#include "core/model/ProgramList.h"
#include "core/model/Tree.h"

#include <thread>

using namespace sorvane::model;

namespace {

class ScreenCopyTest : public TreeTest {
protected:
    void SetUp() override
    {
        TreeTest::SetUp();
        text = tree.item(section, IT_SINGLELINE, u"t");
        ASSERT_TRUE(support::TreeBuilder::setRecordText(text, QStringLiteral("copied")));
        given = tree.item(section, IT_IMAGE, u"g");
        QImage pattern(section->Section.RectW, section->Section.RectH, QImage::Format_RGB32);
        pattern.fill(Qt::red);
        SetNodePicture(given, pattern);
        second = tree.section(tree.scene(screen, u"second"), QRect(2, 2, 20, 10), u"s2");
        GetNodePicture(text);
        other = tree.screen(std::nullopt, u"other");
    }

    CCore core;
    tagItemData* text = nullptr;
    tagItemData* given = nullptr;
    tagItemData* second = nullptr;
    tagItemData* other = nullptr;
};

TEST_F(ScreenCopyTest, CarriesNodesAndPicturesAndReachesNoLiveScreen)
{
    // Each link kind: another screen is not followed, "none" stays.
    const struct {
        tagItemData* target;
        tagItemData* copied;
    } links[] = {{nullptr, nullptr}, {other, nullptr}, {TARGET_SCREEN_NONE, TARGET_SCREEN_NONE}};
    for (const auto& l : links) {
        screen->Global.TargetScreen = l.target;
        CScreenCopy copy(screen);
        ASSERT_TRUE(copy.ok());
        EXPECT_EQ(copy.screen()->Global.TargetScreen, l.copied);
        EXPECT_EQ(copy.screen()->Parent, nullptr);
        EXPECT_EQ(copy.origin(), CScreenCopy::OriginOf(screen));
        EXPECT_EQ(copy.revision(), screen->Revision);
        EXPECT_TRUE(CScreenCopy::IsCopy(copy.NodeFor(text)));
        EXPECT_FALSE(CScreenCopy::IsCopy(text));
        // Every node has its counterpart in the same place, with its picture
        // state and pixels; the given test pattern included.
        ForEachNode(screen, [&](tagItemData* n) {
            tagItemData* c = copy.NodeFor(n);
            ASSERT_NE(c, nullptr);
            EXPECT_NE(c, n);
            EXPECT_EQ(std::u16string(c->Name), std::u16string(n->Name));
            EXPECT_EQ(NodePictures::stateOf(c), NodePictures::stateOf(n));
            EXPECT_EQ(NodePictures::peek(c).cacheKey(), NodePictures::peek(n).cacheKey());
            if (n->Item.TypeRecord)
                EXPECT_NE(c->Item.TypeRecord, n->Item.TypeRecord);
            if (DynFrame** f = FrameSlotOf(n); f && *f)
                EXPECT_NE(*FrameSlotOf(c), *f);
        });
        EXPECT_EQ(NodePictures::stateOf(copy.NodeFor(given)), PictureState::Given);
        EXPECT_EQ(copy.NodeFor(other), nullptr);
        screen->Global.TargetScreen = nullptr;
    }
    // Nothing to copy.
    EXPECT_FALSE(CScreenCopy(scene).ok());
    EXPECT_FALSE(CScreenCopy(nullptr).ok());
    EXPECT_EQ(CScreenCopy::OriginOf(screen), reinterpret_cast<std::uintptr_t>(screen));
}

// Shared pixels are the live node's until the copy paints: the copy's own
// painting, store and given picture on another thread change no live node.
TEST_F(ScreenCopyTest, AnyThreadPaintsAndStoresTheCopyAndTheLiveScreenStays)
{
    const std::vector<std::uint8_t> image = BuildStoreImage(screen, StoreSizeOf(screen));
    std::vector<qint64> keys;
    ForEachNode(screen, [&](tagItemData* n) { keys.push_back(NodePictures::peek(n).cacheKey()); });
    const std::int64_t held = NodePictures::bytesHeld();
    {
        CScreenCopy copy(screen);
        ASSERT_TRUE(copy.ok());
        // Shared pixels are not counted twice.
        EXPECT_EQ(NodePictures::bytesHeld(), held);
        std::vector<std::uint8_t> copied;
        std::thread worker([&] {
            ForEachNode(copy.screen(), [&](tagItemData* n) { core.Paint(n); });
            SetNodePicture(copy.NodeFor(given), QImage(4, 4, QImage::Format_RGB32));
            copied = BuildStoreImage(copy.screen(), StoreSizeOf(copy.screen()));
        });
        worker.join();
        EXPECT_EQ(copied.size(), image.size());
    }
    EXPECT_EQ(BuildStoreImage(screen, StoreSizeOf(screen)), image);
    std::size_t i = 0;
    ForEachNode(screen, [&](tagItemData* n) { EXPECT_EQ(NodePictures::peek(n).cacheKey(), keys[i++]); });
    EXPECT_EQ(NodePictures::bytesHeld(), held);
}

} // namespace
