// The spine's typed messages: what is sent arrives with its type and meaning,
// a handler's value is the sender's answer, and a read refuses what is not the
// message it names.
#include "app/spine/Messages.h"
#include "core/api/Nodes.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>
#include <functional>

namespace {

// Hands every event to a test's function.
class Receiver : public QObject {
public:
    std::function<bool(QEvent*)> handle;
    bool event(QEvent* e) override { return (handle && handle(e)) || QObject::event(e); }
};

} // namespace

TEST(SpineMessages, ParametersArriveTypedAndHandlersAnswer)
{
    Receiver r;
    tagItemData screen{};
    tagItemData* seenNode = nullptr;
    tagItemData* seenLink = &screen;
    platform::COLORREF seenColour = 0;
    int seenId = 0;
    long seenValue = 0;
    r.handle = [&](QEvent* e) {
        return spine::NodeSelect::dispatch(e, [&](tagItemData* n) {
                   seenNode = n;
                   return n ? 7 : 3;
               })
            || spine::SendPrograms::dispatch(e, [&](tagItemData*, tagItemData* link) { seenLink = link; })
            || spine::ColourSelEndOk::dispatch(e, [&](platform::COLORREF c, int id) {
                   seenColour = c;
                   seenId = id;
                   return true;
               })
            || spine::GifNavCommand::dispatch(e, [&](int id, long value) {
                   seenId = id;
                   seenValue = value;
               });
    };

    EXPECT_EQ(spine::NodeSelect::send(&r, &screen), 7);
    EXPECT_EQ(seenNode, &screen);
    EXPECT_EQ(spine::NodeSelect::send(&r, nullptr), 3);
    EXPECT_EQ(seenNode, nullptr);

    // "No link" travels as all bits set and comes back as the same pointer.
    EXPECT_EQ(spine::SendPrograms::send(&r, &screen, TARGET_SCREEN_NONE), 0);
    EXPECT_EQ(seenLink, TARGET_SCREEN_NONE);
    spine::SendPrograms::send(&r, &screen, nullptr);
    EXPECT_EQ(seenLink, nullptr);

    EXPECT_EQ(spine::ColourSelEndOk::send(&r, 0x00FFEEDDu, 1234), 1);
    EXPECT_EQ(seenColour, 0x00FFEEDDu);
    EXPECT_EQ(seenId, 1234);

    // Negative values keep their sign; a handler returning nothing answers 0.
    EXPECT_EQ(spine::GifNavCommand::send(&r, -5, -70000L), 0);
    EXPECT_EQ(seenId, -5);
    EXPECT_EQ(seenValue, -70000L);

    // A post arrives later, through the same read.
    seenNode = nullptr;
    EXPECT_TRUE(spine::NodeSelect::post(&r, &screen));
    EXPECT_EQ(seenNode, nullptr);
    QCoreApplication::sendPostedEvents(&r);
    EXPECT_EQ(seenNode, &screen);
}

TEST(SpineMessages, ReadRefusesOtherIdsAndOtherEventClasses)
{
    tagItemData node{};
    platform::MessageEvent select(spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(&node), 0);
    EXPECT_FALSE(spine::NodeLoad::read(&select));
    ASSERT_TRUE(spine::NodeSelect::read(&select));
    EXPECT_EQ(spine::NodeSelect::read(&select)->w, &node);
    spine::NodeSelect::read(&select)->answer(9);
    EXPECT_EQ(select.result(), 9);

    // A plain event that happens to carry the number is not read as a message.
    QEvent plain(static_cast<QEvent::Type>(spine::WM_NODE_SELECT));
    EXPECT_FALSE(spine::NodeSelect::read(&plain));
    bool called = false;
    EXPECT_FALSE(spine::NodeSelect::dispatch(&plain, [&](tagItemData*) { called = true; }));
    EXPECT_FALSE(called);
    EXPECT_FALSE(spine::NodeSelect::read(nullptr));
}
