// The task dialog's progress table: which report shows which text, moves the
// bar and shows or hides the cancel link; and the copying of report payloads.
#include "app/dialogs/task/TaskProgress.h"
#include "core/api/Callbacks.h"
#include "core/link/SearchRecords.h"
#include "core/api/Core.h"
#include "support/LangPackScope.h"

#include <gtest/gtest.h>

using dialogs::CommReport;
using dialogs::ProgressAction;
using dialogs::ProgressFor;
using Link = ProgressAction::Link;

namespace {
// A report as the task dialog gets it: copied by the relay during the call.
CommReport copyReport(const CCore* core, unsigned cmd, unsigned event, std::uintptr_t value)
{
    return dialogs::ReportFrom(spine::CoreRelay::copyEvent(spine::CoreRelay::Comm, cmd, event, value), core);
}
} // namespace

namespace {

// Every text the table may show, as "<id>" or "<id>:%1..." so a test sees
// which one was picked and what was filled in.
struct MarkedPack {
    support::LangPackScope scope{support::LangPackScope::Start::Empty};
    MarkedPack()
    {
        for (unsigned id = 44000; id <= 44027; ++id)
            scope.setString(id, QString::number(id));
        for (unsigned id : {44006u, 44010u, 44016u, 44023u, 44028u, 48168u, 48273u})
            scope.setString(id, QStringLiteral("%1:%2").arg(id).arg(QStringLiteral("%1")));
        scope.setString(48167, QStringLiteral("48167:%1@%2"));
        for (unsigned id : {48169u, 57357u, 63000u})
            scope.setString(id, QString::number(id));
    }
};

CommReport report(unsigned cmd, unsigned event, std::uintptr_t number = 0, const QString& text = {})
{
    CommReport r;
    r.cmd = cmd;
    r.event = event;
    r.number = number;
    r.text = text;
    return r;
}

QString statusOf(const ProgressAction& a)
{
    return a.status.value_or(QStringLiteral("<none>"));
}

} // namespace

TEST(TaskProgress, EventsShowTheirTexts)
{
    MarkedPack pack;
    for (unsigned cmd : {1u, 2u, 3u, 4u})
        EXPECT_EQ(statusOf(ProgressFor(report(cmd, CBE_START), false, false)), "44020") << cmd;
    EXPECT_EQ(statusOf(ProgressFor(report(CBC_UPGRADE_STREAM, CBE_START), false, false)), "44011");
    EXPECT_EQ(statusOf(ProgressFor(report(16, CBE_START), false, false)), "<none>");
    EXPECT_EQ(statusOf(ProgressFor(report(16, CBE_OPEN_FAILED, 0, "/dev/ttyS3"), false, false)), "44010:/dev/ttyS3");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_RETRY, 3), false, false)), "44006:3");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_RESEND_FAILED), false, false)), "44007");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_REFUSED), false, false)), "44009");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_LINK_LOST), false, false)), "44026");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_PORT_LOST, 0, "/dev/ttyUSB0"), false, false)), "44028:/dev/ttyUSB0");
    EXPECT_EQ(statusOf(ProgressFor(report(17, CBE_ANSWER_REFUSED), false, false)), "44027");
    EXPECT_EQ(statusOf(ProgressFor(report(16, CBE_NO_REPLY), false, false)), "44008");
    // The program data is the last block: its silence must not leave "Sending..." up.
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_NO_REPLY), false, false)), "44008");
    // A probe names the address.
    EXPECT_EQ(statusOf(ProgressFor(report(CBC_PROBE, CBE_NO_REPLY, 7), false, false)), "44016:7");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_DEVICE_ERROR), false, false)), "57357");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_SOCKET_FAILED), false, false)), "44022");
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_HOST_FAILED, 0, "ctl.local"), false, false)), "44023:ctl.local");
    // The core names the port it tried too.
    pack.scope.setString(44023, QStringLiteral("%1 on %2"));
    EXPECT_EQ(statusOf(ProgressFor(report(1, CBE_HOST_FAILED, 0, "127.0.0.1:5000"), false, false)),
              "127.0.0.1 on 5000");
    pack.scope.setString(44023, QStringLiteral("44023:%1"));
    for (unsigned quiet : {unsigned(CBE_DONE), 8u, unsigned(CBE_CANCELLED), unsigned(CBE_SEARCH_PHASE), 99u}) {
        const ProgressAction a = ProgressFor(report(1, quiet, 50), false, false);
        EXPECT_FALSE(a.status || a.bar || a.resetBar) << quiet;
        EXPECT_EQ(a.link, Link::Keep) << quiet;
    }
}

TEST(TaskProgress, AnEmptyPackTextChangesNothing)
{
    support::LangPackScope empty(support::LangPackScope::Start::Empty);
    EXPECT_FALSE(ProgressFor(report(1, CBE_START), false, false).status);
    EXPECT_FALSE(ProgressFor(report(1, CBE_OPEN_FAILED, 0, "x"), false, false).status);
    EXPECT_FALSE(ProgressFor(report(0, CBE_PROGRESS, 100), false, false).status);
}

TEST(TaskProgress, ProgressMovesTheBarAndTheCancelLink)
{
    MarkedPack pack;
    ProgressAction a = ProgressFor(report(1, CBE_PROGRESS, 40), false, false);
    EXPECT_EQ(a.bar, 40);
    EXPECT_EQ(a.link, Link::Show);
    EXPECT_FALSE(a.status);
    // Shown already, cancelled, or the firmware stream: the link stays as it is.
    EXPECT_EQ(ProgressFor(report(1, CBE_PROGRESS, 50), false, true).link, Link::Keep);
    EXPECT_EQ(ProgressFor(report(1, CBE_PROGRESS, 50), true, false).link, Link::Keep);
    EXPECT_EQ(ProgressFor(report(CBC_UPGRADE_STREAM, CBE_PROGRESS, 50), false, false).link, Link::Keep);
    EXPECT_EQ(ProgressFor(report(CBC_UPGRADE_STREAM, CBE_PROGRESS, 50), false, false).bar, 50);
    // The search's own progress takes the same row.
    EXPECT_EQ(ProgressFor(report(CBC_SEARCH_PROGRESS, CBE_PROGRESS, 30), false, false).link, Link::Show);

    // At 100 the link goes and the command's completion text comes, only at exactly 100.
    const std::pair<unsigned, const char*> done[] = {{0, "44018"},  {1, "44000"},  {16, "44001"}, {18, "44002"},
                                                    {19, "44003"}, {20, "44013"}, {24, "44024"}, {2, "<none>"},
                                                    {CBC_UPGRADE_STREAM, "<none>"}};
    for (const auto& [cmd, text] : done) {
        a = ProgressFor(report(cmd, CBE_PROGRESS, 100), false, true);
        EXPECT_EQ(a.link, Link::Hide) << cmd;
        EXPECT_EQ(a.bar, 100) << cmd;
        EXPECT_EQ(statusOf(a), text) << cmd;
    }
    a = ProgressFor(report(1, CBE_PROGRESS, 250), false, true);
    EXPECT_EQ(a.link, Link::Hide);
    EXPECT_EQ(a.bar, 100);   // the bar's range holds it
    EXPECT_FALSE(a.status);

    // The mask and map blocks start the bar again, whatever the event.
    for (unsigned cmd : {2u, 3u, 4u}) {
        EXPECT_TRUE(ProgressFor(report(cmd, CBE_DONE), false, false).resetBar) << cmd;
        EXPECT_TRUE(ProgressFor(report(cmd, CBE_PROGRESS, 10), false, false).resetBar) << cmd;
    }
    EXPECT_FALSE(ProgressFor(report(1, CBE_PROGRESS, 10), false, false).resetBar);
}

TEST(TaskProgress, SearchCandidatesAreNamedByTheirForm)
{
    MarkedPack pack;
    CCore core;
    const char16_t port[] = u"/dev/ttyUSB0";
    SearchCandidate serial;
    serial.Form = 0;
    serial.PortName = port;
    serial.BaudRate = 57600;
    SearchCandidate adapter;
    adapter.Form = 1;
    adapter.DeviceName = "no-such-capture-device";
    SearchCandidate network;
    network.Form = 2;
    network.Port = 5005;
    SearchCandidate other;
    other.Form = 7;
    const auto text = [&](const SearchCandidate* c, unsigned event = CBE_NO_REPLY) {
        return statusOf(ProgressFor(
            copyReport(&core, CBC_SEARCH_CANDIDATE, event, reinterpret_cast<std::uintptr_t>(c)), false,
            false));
    };
    EXPECT_EQ(text(&serial), "48167:/dev/ttyUSB0@57600");
    EXPECT_EQ(text(&adapter), "48168:48169");
    EXPECT_EQ(text(&network), "48273:5005");
    EXPECT_EQ(text(&other), "<none>");
    EXPECT_EQ(text(nullptr), "<none>");
    // Every candidate event carries the record, never a text: an opening
    // failure of a candidate shows nothing and reads no text from it.
    for (unsigned event : {unsigned(CBE_OPEN_FAILED), unsigned(CBE_REFUSED), unsigned(CBE_DONE)}) {
        const CommReport r =
            copyReport(&core, CBC_SEARCH_CANDIDATE, event, reinterpret_cast<std::uintptr_t>(&serial));
        EXPECT_TRUE(r.text.isEmpty()) << event;
        EXPECT_EQ(text(&serial, event), "<none>") << event;
    }
}

TEST(TaskProgress, ReportTextsAreCopiedBoundedAndAdaptersFallBack)
{
    support::LangPackScope pack;
    pack.setString(48169, QStringLiteral("unknown"));
    const char16_t host[] = u"controller.example";
    CommReport r = copyReport(nullptr, 1, CBE_HOST_FAILED, reinterpret_cast<std::uintptr_t>(host));
    EXPECT_EQ(r.text, "controller.example");
    EXPECT_EQ(r.number, 0u);
    EXPECT_TRUE(copyReport(nullptr, 1, CBE_OPEN_FAILED, 0).text.isEmpty());
    // An unterminated text is cut, not read past its end.
    std::u16string longText(600, u'x');
    longText.push_back(u'\0');
    EXPECT_EQ(copyReport(nullptr, 1, CBE_OPEN_FAILED, reinterpret_cast<std::uintptr_t>(longText.data()))
                  .text.size(),
              260);
    r = copyReport(nullptr, 1, CBE_RETRY, 4);
    EXPECT_EQ(r.number, 4u);

    CCore core;
    EXPECT_EQ(dialogs::GetAdapterDescription(core, "no-such-capture-device"), "unknown");
    EXPECT_EQ(dialogs::GetAdapterDescription(core, nullptr), "unknown");
    EXPECT_EQ(dialogs::AnsiToWideOrDefault("", "eth0"), "eth0");
    EXPECT_EQ(dialogs::AnsiToWideOrDefault("Wired adapter", "eth0"), "Wired adapter");
    EXPECT_EQ(dialogs::AnsiToWideOrDefault(std::string(400, 'a').c_str(), "x").size(), 260);
}

TEST(TaskProgress, KindsStartTextsAndCallsWithoutAScreen)
{
    EXPECT_EQ(dialogs::StartTextId(dialogs::TASK_SEND_PROGRAMS), 44020u);
    EXPECT_EQ(dialogs::StartTextId(dialogs::TASK_UPGRADE), 44011u);
    EXPECT_EQ(dialogs::StartTextId(dialogs::TASK_UPGRADE_IMAGE), 44011u);
    EXPECT_EQ(dialogs::StartTextId(dialogs::TASK_FIND_SCREEN), 44021u);
    EXPECT_EQ(dialogs::StartTextId(dialogs::TASK_SEARCH), 44021u);
    EXPECT_EQ(dialogs::StartTextId(dialogs::TASK_WIZARD_FIND), 0u);
    // Kinds that take a screen make no call without one, a link given or not.
    CCore core;
    for (int kind : {1, 2, 3, 5, 7, 10, 11, 12}) {
        EXPECT_FALSE(dialogs::RunTaskCall(core, {kind, nullptr, {}}).has_value()) << kind;
        EXPECT_FALSE(dialogs::RunTaskCall(core, {kind, nullptr, LinkSettings{}}).has_value()) << kind;
    }
    EXPECT_FALSE(dialogs::RunTaskCall(core, {4, nullptr, {}}).has_value());
}
