// Node pictures made on first read and kept within the process's budget:
// dropped least recently read first, made again the same, never beyond the
// budget, safe when several threads ask for them at once.
#include "core/api/Core.h"
#include "core/model/CoreAccess.h"
#include "core/model/NodePictures.h"
#include "core/model/ProgramList.h"
#include "support/TreeBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

using namespace sorvane::model;

namespace {

struct BudgetScope {
    explicit BudgetScope(std::int64_t bytes) : previous(NodePictures::setBudget(bytes)) {}
    ~BudgetScope() { NodePictures::setBudget(previous); }
    std::int64_t previous;
};

std::map<const tagItemData*, int> g_paints;
void countPaint(const tagItemData* node) { ++g_paints[node]; }

// A 64 x 32 screen of one scene with `sections` full-screen sections of
// `items` texts each, every text its own.
tagItemData* buildTexts(support::TreeBuilder& tree, int sections, int items, std::vector<tagItemData*>& texts)
{
    tagItemData* screen = tree.screen();
    tagItemData* scene = tree.scene(screen);
    for (int s = 0; s < sections; ++s) {
        tagItemData* section = tree.section(scene, QRect(0, 0, 64, 32));
        for (int i = 0; i < items; ++i) {
            tagItemData* text = tree.item(section, IT_SINGLELINE);
            support::TreeBuilder::setRecordText(text, QStringLiteral("%1.%2 text").arg(s).arg(i));
            PaintNode(text);
            texts.push_back(text);
        }
    }
    return screen;
}

// The screen stored and loaded into a new screen under the same header:
// nothing of it is painted yet.
tagItemData* loadedCopy(support::TreeBuilder& tree, tagItemData* screen)
{
    const std::vector<std::uint8_t> image = BuildStoreImage(screen, StoreSizeOf(screen));
    tagItemData* target = tree.screen();
    EXPECT_EQ(LoadProgramList(target, image.data(), image.size()), PL_OK);
    return target;
}

std::vector<tagItemData*> itemsOf(tagItemData* screen)
{
    std::vector<tagItemData*> out;
    for (tagItemData* scene = screen->FirstChild; scene; scene = scene->NextSibling)
        for (tagItemData* s = scene->FirstChild; s; s = s->NextSibling)
            for (tagItemData* i = s->FirstChild; i; i = i->NextSibling)
                out.push_back(i);
    return out;
}

} // namespace

TEST(NodePictures, PicturesPastTheBudgetGoLeastRecentlyReadFirstAndComeBackTheSame)
{
    // Nothing else holds pictures, so the budget below is this test's alone.
    ASSERT_EQ(NodePictures::bytesHeld(), 0);
    {
        support::TreeBuilder tree;
        std::vector<tagItemData*> texts;
        buildTexts(tree, 1, 6, texts);
        std::vector<QImage> shown;
        for (tagItemData* t : texts)
            shown.push_back(GetNodePicture(t).copy());
        const std::int64_t one = shown.front().sizeInBytes();
        ASSERT_GT(one, 0);

        BudgetScope budget(3 * one);
        EXPECT_EQ(NodePictures::bytesHeld(), 3 * one);
        // The three read first went; the three read last stayed.
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(NodePictures::stateOf(texts[i]), i < 3 ? PictureState::Dropped : PictureState::Current) << i;
            EXPECT_EQ(NodePictures::peek(texts[i]).isNull(), i < 3) << i;
        }
        // Read again, a dropped picture is painted once more and is the same.
        g_paints.clear();
        const PaintObserver previous = SetPaintObserver(countPaint);
        EXPECT_EQ(GetNodePicture(texts[0]), shown[0]);
        EXPECT_EQ(GetNodePicture(texts[0]), shown[0]);
        SetPaintObserver(previous);
        EXPECT_EQ(g_paints[texts[0]], 1);
        EXPECT_EQ(g_paints.size(), 1u);
        EXPECT_EQ(NodePictures::stateOf(texts[3]), PictureState::Dropped);

        // A picture given by the caller is never dropped, however small the budget.
        QImage pattern(64, 32, QImage::Format_RGB32);
        pattern.fill(qRgb(255, 0, 0));
        SetNodePicture(texts[5], pattern);
        NodePictures::setBudget(0);
        for (int i = 0; i < 5; ++i)
            GetNodePicture(texts[i]);
        EXPECT_EQ(GetNodePicture(texts[5]), pattern);
        EXPECT_EQ(NodePictures::stateOf(texts[5]), PictureState::Given);
        EXPECT_EQ(NodePictures::bytesHeld(), pattern.sizeInBytes() + one);
    }
    // Freed nodes give back what their pictures held.
    EXPECT_EQ(NodePictures::bytesHeld(), 0);
}

TEST(NodePictures, ThreadsAskingForTheSamePicturesAtOnceGetThemWholeAndPaintEachOnce)
{
    support::TreeBuilder tree;
    std::vector<tagItemData*> built;
    tagItemData* source = buildTexts(tree, 4, 4, built);
    std::vector<QImage> shown;
    for (tagItemData* t : built)
        shown.push_back(GetNodePicture(t).copy());
    const std::vector<tagItemData*> loaded = itemsOf(loadedCopy(tree, source));
    ASSERT_EQ(loaded.size(), built.size());

    // Four threads, each reading every loaded text once, all at the same time.
    g_paints.clear();
    const PaintObserver previous = SetPaintObserver(countPaint);
    std::atomic<int> wrong{0};
    std::atomic<bool> go{false};
    const auto readAll = [&](std::size_t offset) {
        while (!go)
            std::this_thread::yield();
        for (std::size_t k = 0; k < loaded.size(); ++k) {
            const std::size_t i = (k + offset) % loaded.size();
            if (GetNodePicture(loaded[i]) != shown[i])
                ++wrong;
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back(readAll, t * 3);
    go = true;
    for (std::thread& t : threads)
        t.join();
    SetPaintObserver(previous);
    EXPECT_EQ(wrong, 0);
    for (const tagItemData* n : loaded) {
        EXPECT_EQ(g_paints[n], 1);
    }

    // With room for two pictures, pictures come and go under the readers.
    BudgetScope budget(2 * shown.front().sizeInBytes());
    threads.clear();
    go = false;
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round)
                readAll(t * 5 + std::size_t(round));
        });
    go = true;
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(wrong, 0);
}
