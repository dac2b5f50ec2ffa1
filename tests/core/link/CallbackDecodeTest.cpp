#include "core/api/Callbacks.h"
#include "core/link/SearchRecords.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace sorvane::link;

namespace {

std::vector<CallbackPayload> g_decoded;
void decodeComm(unsigned cmd, unsigned event, std::uintptr_t value)
{
    g_decoded.push_back(DecodeCallback(CallbackSource::Comm, cmd, event, value));
}

} // namespace

// Candidate reports point at a record on the search's stack; the decoded
// copy must outlive it (a relay posts it to the window thread).
TEST(CallbackDecode, CandidatesAreCopiedOutOfTheReport)
{
    g_decoded.clear();
    {
        auto port = std::make_unique<std::u16string>(u"ttyS3");
        auto device = std::make_unique<std::string>("enp0s1");
        SearchCandidate serial;
        serial.Form = 0;
        serial.PortName = port->c_str();
        serial.BaudRate = 57600;
        EXPECT_EQ(ReportSearchCandidate(decodeComm, &serial, 12), 12);
        SearchCandidate adapter;
        adapter.Form = 1;
        adapter.DeviceName = device->c_str();
        EXPECT_EQ(ReportSearchCandidate(decodeComm, &adapter, COMM_E_OPEN), COMM_E_OPEN);
        SearchCandidate network;
        network.Form = 2;
        network.Port = 5005;
        EXPECT_EQ(ReportSearchCandidate(decodeComm, &network, COMM_E_CANCELLED), COMM_E_CANCELLED);
        // Overwrite what the reports pointed at before the copies are read.
        port->assign(u"xxxxx");
        device->assign("xxxxxx");
    }
    ASSERT_EQ(g_decoded.size(), 3u);
    EXPECT_EQ(g_decoded[0].kind, CallbackPayload::Kind::Candidate);
    EXPECT_EQ(g_decoded[0].candidate.Form, 0u);
    EXPECT_EQ(g_decoded[0].candidate.PortName, QStringLiteral("ttyS3"));
    EXPECT_EQ(g_decoded[0].candidate.BaudRate, 57600u);
    // An open failure of a candidate carries the candidate, not a text.
    EXPECT_EQ(g_decoded[1].kind, CallbackPayload::Kind::Candidate);
    EXPECT_EQ(g_decoded[1].candidate.DeviceName, QByteArray("enp0s1"));
    EXPECT_TRUE(g_decoded[1].candidate.PortName.isNull());
    // A cancelled search reports no candidate at all.
    EXPECT_EQ(g_decoded[2].kind, CallbackPayload::Kind::None);
}

TEST(CallbackDecode, TextsAndNumbersByCallback)
{
    const char16_t host[] = u"192.0.2.7";
    const auto ptr = reinterpret_cast<std::uintptr_t>(host);

    CallbackPayload p = DecodeCallback(CallbackSource::Comm, 1, CBE_HOST_FAILED, ptr);
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Text);
    EXPECT_EQ(p.text, QStringLiteral("192.0.2.7"));
    p = DecodeCallback(CallbackSource::Comm, CBC_UPGRADE_STREAM, CBE_OPEN_FAILED, ptr);
    EXPECT_EQ(p.text, QStringLiteral("192.0.2.7"));
    p = DecodeCallback(CallbackSource::Comm, 1, CBE_OPEN_FAILED, 0);   // no text given
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Text);
    EXPECT_TRUE(p.text.isEmpty());

    p = DecodeCallback(CallbackSource::Comm, 1, CBE_PROGRESS, 73);
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Number);
    EXPECT_EQ(p.number, 73u);

    // The file callback's event 13 is a close failure with a number: never read as a text.
    p = DecodeCallback(CallbackSource::File, 1, UFE_CLOSE_FAILED, 13);
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Number);
    EXPECT_EQ(p.number, 13u);
    p = DecodeCallback(CallbackSource::File, CBC_LOAD_PL, PLE_NEWER_VERSION, 2);
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Number);
    p = DecodeCallback(CallbackSource::File, CBC_SAVE_PL, PLE_OPEN_FAILED, ptr);
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Text);
    EXPECT_EQ(p.text, QStringLiteral("192.0.2.7"));
    // The search's phases share the candidates' command and carry a number.
    p = DecodeCallback(CallbackSource::Comm, CBC_SEARCH_CANDIDATE, CBE_SEARCH_PHASE, 2);
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Number);
    EXPECT_EQ(p.number, 2u);
    // Search candidates come only through the communication callback.
    p = DecodeCallback(CallbackSource::File, CBC_SEARCH_CANDIDATE, UFE_WRITTEN, 5);
    EXPECT_EQ(p.kind, CallbackPayload::Kind::Number);
}
