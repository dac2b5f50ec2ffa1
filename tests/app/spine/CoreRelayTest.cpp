// The one relay of the core's callbacks: what a callback points at is copied
// while the call runs, a worker's report arrives queued on the interface
// thread, and the relay puts back the callbacks it found.
#include "app/spine/CoreRelay.h"
#include "core/api/Callbacks.h"
#include "core/api/Core.h"
#include "core/link/SearchRecords.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <memory>
#include <string>

using spine::CoreEvent;
using spine::CoreRelay;
using spine::CoreSubscription;

TEST(CoreRelay, CopiesTextsAndCandidatesWhileTheCallRuns)
{
    {
        auto text = std::make_unique<std::u16string>(u"COM7");
        const CoreEvent e = CoreRelay::copyEvent(CoreRelay::Comm, 1, CBE_OPEN_FAILED,
                                                 reinterpret_cast<std::uintptr_t>(text->c_str()));
        text.reset();
        EXPECT_EQ(e.text, QStringLiteral("COM7"));
        EXPECT_EQ(e.value, 0u);
    }
    {
        const std::u16string port = u"/dev/ttyS3";
        SearchCandidate c;
        c.Form = 0;
        c.PortName = port.c_str();
        c.BaudRate = 57600;
        const CoreEvent e = CoreRelay::copyEvent(CoreRelay::Comm, CBC_SEARCH_CANDIDATE, CBE_NO_REPLY,
                                                 reinterpret_cast<std::uintptr_t>(&c));
        ASSERT_TRUE(e.candidate.has_value());
        EXPECT_EQ(e.candidate->portName, QStringLiteral("/dev/ttyS3"));
        EXPECT_EQ(e.candidate->baudRate, 57600u);
        EXPECT_EQ(e.value, 0u);
    }
    // Numbers stay numbers; a null text pointer is an empty text.
    EXPECT_EQ(CoreRelay::copyEvent(CoreRelay::Comm, 1, CBE_RETRY, 3).value, 3u);
    EXPECT_TRUE(CoreRelay::copyEvent(CoreRelay::File, 227, 1, 0).text.isEmpty());
    EXPECT_FALSE(CoreRelay::copyEvent(CoreRelay::Comm, CBC_SEARCH_CANDIDATE, CBE_CANCELLED, 0).candidate);
    // A search phase under cmd 225 carries a number, never a record to read.
    const CoreEvent phase = CoreRelay::copyEvent(CoreRelay::Comm, CBC_SEARCH_CANDIDATE, CBE_SEARCH_PHASE, 2);
    EXPECT_FALSE(phase.candidate);
    EXPECT_EQ(phase.value, 2u);
}

TEST(CoreRelay, AWorkerThreadsCallbackArrivesQueuedOnTheGuiThreadWithItsTextCopied)
{
    CCore core;
    CoreRelay relay(core);
    EXPECT_EQ(core.GetCommCallBack(), &CoreRelay::commTrampoline);
    QList<CoreEvent> got;
    QList<bool> onGui;
    QObject receiver;
    const CoreSubscription subscription(core, &receiver, [&](const std::vector<spine::CoreReport>& reports) {
        for (const spine::CoreReport& r : reports) {
            got << r.event;
            if (r.channel == spine::CoreChannel::Comm)
                onGui << (QThread::currentThread() == qApp->thread());
        }
    });

    std::unique_ptr<QThread> worker(QThread::create([&core] {
        CoreCallBack cb = core.GetCommCallBack();
        {
            // The text lives only during the call, as the core's does.
            std::u16string host(u"host.example");
            cb(1, CBE_HOST_FAILED, reinterpret_cast<std::uintptr_t>(host.c_str()));
            host.assign(host.size(), u'x');
        }
        cb(18, CBE_PROGRESS, 100);
        CoreRelay::fileTrampoline(227, 1, reinterpret_cast<std::uintptr_t>(u"/x/y.pl"));
    }));
    worker->start();
    ASSERT_TRUE(worker->wait(3000));
    EXPECT_TRUE(got.isEmpty());   // nothing delivered on the worker
    ASSERT_TRUE(QTest::qWaitFor([&] { return got.size() == 3; }, 2000));
    EXPECT_EQ(got[0].text, QStringLiteral("host.example"));
    EXPECT_EQ(got[1].value, 100u);
    EXPECT_EQ(got[2].text, QStringLiteral("/x/y.pl"));
    EXPECT_TRUE(onGui.value(0) && onGui.value(1));
}

TEST(CoreRelay, PutsBackTheCallbacksItFound)
{
    CCore core;
    auto other = +[](unsigned, unsigned, std::uintptr_t) {};
    core.SetCommCallBack(other);
    core.SetFileCallBack(other);
    {
        CoreRelay relay(core);
        EXPECT_EQ(core.GetCommCallBack(), &CoreRelay::commTrampoline);
    }
    EXPECT_EQ(core.GetCommCallBack(), other);
    // A trampoline left behind by someone reaches no relay and does nothing.
    CoreRelay::commTrampoline(1, CBE_RETRY, 1);
}
