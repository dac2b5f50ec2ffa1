// Numbered messages: sends are delivered at once on the receiver's own
// thread only, posts are queued for the receiver's thread.
#include "platform/MessageEvent.h"
#include "support/MessageSpy.h"

#include <QThread>
#include <QTest>
#include <gtest/gtest.h>
#include <atomic>

using namespace platform;

TEST(MessageEvent, SendDeliversAtOnceAndPostQueues)
{
    support::MessageSpy r;
    r.watch(0x7E9);
    r.setAnswer(0x7E9, 42);
    EXPECT_EQ(sendMessage(&r, 0x7E9, 0xFF, 7), 42);
    ASSERT_EQ(r.ids(), QList<unsigned>{0x7E9u});
    EXPECT_EQ(r.messages()[0].w, 0xFFu);
    EXPECT_EQ(r.messages()[0].l, 7);
    r.clear();
    EXPECT_TRUE(postMessage(&r, 0x7E9, 1, 2));
    EXPECT_TRUE(r.isEmpty());
    QCoreApplication::sendPostedEvents(&r);
    ASSERT_EQ(r.ids(), QList<unsigned>{0x7E9u});
    EXPECT_EQ(r.messages()[0].w, 1u);
}

namespace {
// Counts messages on the thread it lives on.
class Counter : public QObject {
public:
    std::atomic<int> got{0};
    std::atomic<QThread*> seenOn{nullptr};
    bool event(QEvent* e) override
    {
        if (auto* m = asMessage(e, 0x5F4)) {
            seenOn = QThread::currentThread();
            ++got;
            const_cast<MessageEvent*>(m)->setResult(7);
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

TEST(MessageEvent, SendToAReceiverOnAnotherThreadIsRefusedAndPostIsDelivered)
{
    QThread worker;
    worker.start();
    Counter c;
    c.moveToThread(&worker);

    EXPECT_EQ(sendMessage(&c, 0x5F4, 1, 2), 0);
    EXPECT_EQ(c.got.load(), 0);

    EXPECT_TRUE(postMessage(&c, 0x5F4, 3, 4));
    EXPECT_TRUE(QTest::qWaitFor([&] { return c.got.load() == 1; }, 5000));
    EXPECT_EQ(c.seenOn.load(), &worker);

    // Back on this thread the send goes through again.
    QMetaObject::invokeMethod(&c, [&] { c.moveToThread(QCoreApplication::instance()->thread()); },
                              Qt::BlockingQueuedConnection);
    EXPECT_EQ(sendMessage(&c, 0x5F4), 7);
    EXPECT_EQ(c.got.load(), 2);
    worker.quit();
    worker.wait();
}
