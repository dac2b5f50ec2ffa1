#include "core/api/Callbacks.h"
#include "core/link/UpgradeStream.h"
#include "core/model/CoreState.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

using namespace sorvane::link;
using namespace sorvane::model;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Report {
    unsigned cmd;
    unsigned event;
    std::uintptr_t value;
    bool operator==(const Report&) const = default;
};
std::vector<Report> g_reports;
void record(unsigned cmd, unsigned event, std::uintptr_t value) { g_reports.push_back({cmd, event, value}); }

// A channel that answers from a script and records what went out.
class ScriptedChannel : public UpgradeChannel {
public:
    std::deque<StreamAnswer> script;
    std::vector<Bytes> sent;
    std::vector<bool> resendFlags;
    int openResult = 0;
    bool sendOk = true;
    int opens = 0;
    int closes = 0;

    int open(CoreCallBack cb) override
    {
        ++opens;
        if (cb && openResult == 0)
            cb(CBC_UPGRADE_STREAM, CBE_START, 0);
        return openResult;
    }
    bool send(const std::uint8_t* data, std::size_t size, bool resend) override
    {
        sent.emplace_back(data, data + size);
        resendFlags.push_back(resend);
        return sendOk;
    }
    StreamAnswer answer() override
    {
        if (script.empty())
            return {StreamAnswerKind::Silence, 0};
        StreamAnswer a = script.front();
        script.pop_front();
        return a;
    }
    void close() override { ++closes; }
};

StreamAnswer byte(std::uint8_t b) { return {StreamAnswerKind::Byte, b}; }

// Two records: 3 data bytes and 1 data byte (image length 8).
const Bytes kImage{0x00, 0x03, 0xA0, 0xA1, 0xA2, 0x00, 0x01, 0xB0};

class UpgradeStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_reports.clear();
        corestate::acquireCancelEvent();
        CancelEvent()->reset();
    }
    void TearDown() override { corestate::releaseCancelEvent(); }
    int run(const StreamRules& rules) { return RunUpgradeStream(channel, rules, kImage.data(), kImage.size(), record); }
    ScriptedChannel channel;
};

} // namespace

TEST_F(UpgradeStreamTest, SerialSendsEachRecordWithItsPrefixAndEndsWithDone)
{
    channel.script = {byte(0x11), byte(0x11)};
    EXPECT_EQ(run(SerialStreamRules()), 8);
    ASSERT_EQ(channel.sent.size(), 2u);
    EXPECT_EQ(channel.sent[0], (Bytes{0x00, 0x03, 0xA0, 0xA1, 0xA2}));
    EXPECT_EQ(channel.sent[1], (Bytes{0x00, 0x01, 0xB0}));
    EXPECT_EQ(g_reports, (std::vector<Report>{{224, 0, 0}, {224, 2, 0}, {224, 2, 62}, {224, 2, 100}, {224, 3, 8}}));
    EXPECT_EQ(channel.closes, 1);
}

TEST_F(UpgradeStreamTest, SerialAllowsThreeResendsInARowAndFailsOnTheFourth)
{
    channel.script = {byte(0x22), byte(0x22), byte(0x22), byte(0x11), byte(0x22), byte(0x11)};
    EXPECT_EQ(run(SerialStreamRules()), 8);
    ASSERT_EQ(channel.sent.size(), 6u);
    EXPECT_EQ(channel.sent[3], channel.sent[0]);
    EXPECT_EQ(channel.resendFlags, (std::vector<bool>{false, true, true, true, false, true}));

    g_reports.clear();
    ScriptedChannel second;
    second.script = {byte(0x22), byte(0x22), byte(0x22), byte(0x22)};
    EXPECT_EQ(RunUpgradeStream(second, SerialStreamRules(), kImage.data(), kImage.size(), record), -2);
    EXPECT_EQ(second.sent.size(), 4u);
    EXPECT_EQ(g_reports.back(), (Report{224, 5, 0}));
    EXPECT_EQ(second.closes, 1);
}

TEST_F(UpgradeStreamTest, SerialAndTcpFailuresEndWithTheirResults)
{
    channel.script = {byte(0x11), byte(0x41)};
    EXPECT_EQ(run(TcpStreamRules()), -4);   // an unknown byte: refused, no event
    EXPECT_EQ(g_reports.back(), (Report{224, 2, 62}));

    g_reports.clear();
    ScriptedChannel silent;
    EXPECT_EQ(RunUpgradeStream(silent, SerialStreamRules(), kImage.data(), kImage.size(), record), -3);
    EXPECT_EQ(silent.sent.size(), 1u);
    EXPECT_EQ(g_reports.back(), (Report{224, 7, 0}));

    g_reports.clear();
    ScriptedChannel closed;
    closed.script = {{StreamAnswerKind::NoReply, 0}};
    EXPECT_EQ(RunUpgradeStream(closed, TcpStreamRules(), kImage.data(), kImage.size(), record), -3);
    EXPECT_EQ(g_reports.back(), (Report{224, 7, 0}));

    g_reports.clear();
    ScriptedChannel unopened;
    unopened.openResult = -5;
    EXPECT_EQ(RunUpgradeStream(unopened, TcpStreamRules(), kImage.data(), kImage.size(), record), -5);
    EXPECT_TRUE(unopened.sent.empty());
    EXPECT_TRUE(g_reports.empty());
}

TEST_F(UpgradeStreamTest, EthernetResendsOnceAfterResendAndTwiceAfterSilence)
{
    channel.script = {byte(0x22), byte('A'), {StreamAnswerKind::Silence, 0}, {StreamAnswerKind::Silence, 0}, byte(0x11)};
    EXPECT_EQ(run(EthernetStreamRules()), 8);
    EXPECT_EQ(channel.sent.size(), 5u);
    EXPECT_EQ(g_reports, (std::vector<Report>{{224, 0, 0}, {224, 2, 0}, {224, 2, 0}, {224, 4, 1}, {224, 2, 62},
                                              {224, 4, 1}, {224, 4, 2}, {224, 2, 100}}));

    g_reports.clear();
    ScriptedChannel twice;
    twice.script = {byte(0x22), byte(0x22)};
    EXPECT_EQ(RunUpgradeStream(twice, EthernetStreamRules(), kImage.data(), kImage.size(), record), -2);
    EXPECT_EQ(g_reports.back(), (Report{224, 5, 0}));

    g_reports.clear();
    ScriptedChannel silent;
    EXPECT_EQ(RunUpgradeStream(silent, EthernetStreamRules(), kImage.data(), kImage.size(), record), -3);
    EXPECT_EQ(silent.sent.size(), 3u);
    EXPECT_EQ(g_reports.back(), (Report{224, 7, 0}));
}

TEST_F(UpgradeStreamTest, EthernetRefusesUnknownAnswersCaptureErrorsAndLostPackets)
{
    channel.script = {byte(0x33)};
    EXPECT_EQ(run(EthernetStreamRules()), -4);
    EXPECT_EQ(g_reports.back(), (Report{224, 6, 0}));

    ScriptedChannel error;
    error.script = {{StreamAnswerKind::Error, 0}};
    EXPECT_EQ(RunUpgradeStream(error, EthernetStreamRules(), kImage.data(), kImage.size(), record), -4);

    ScriptedChannel lost;
    lost.sendOk = false;
    EXPECT_EQ(RunUpgradeStream(lost, EthernetStreamRules(), kImage.data(), kImage.size(), record), -4);
    EXPECT_EQ(lost.closes, 1);
    EXPECT_EQ(g_reports.back(), (Report{224, 6, 0}));
}

TEST_F(UpgradeStreamTest, CancelStopsBeforeTheNextRecord)
{
    channel.script = {byte(0x11)};
    // The controller's first answer arrives, then the operator cancels.
    struct CancelAfterFirst : ScriptedChannel {
        StreamAnswer answer() override
        {
            CancelEvent()->set();
            return ScriptedChannel::answer();
        }
    } cancelling;
    cancelling.script = {byte(0x11), byte(0x11)};
    EXPECT_EQ(RunUpgradeStream(cancelling, SerialStreamRules(), kImage.data(), kImage.size(), record), -6);
    EXPECT_EQ(cancelling.sent.size(), 1u);
    EXPECT_EQ(g_reports.back(), (Report{224, 9, 0}));
    EXPECT_FALSE(CancelEvent()->isSet());
}

TEST_F(UpgradeStreamTest, ARecordRunningPastTheImageEndIsRefusedBeforeAnythingIsSent)
{
    const Bytes damaged{0x00, 0x01, 0xAA, 0x00, 0x09, 0x01};
    EXPECT_EQ(RunUpgradeStream(channel, SerialStreamRules(), damaged.data(), damaged.size(), record), -4);
    EXPECT_EQ(channel.opens, 0);
    EXPECT_TRUE(channel.sent.empty());
    EXPECT_EQ(g_reports, (std::vector<Report>{{224, 6, 0}}));
}
