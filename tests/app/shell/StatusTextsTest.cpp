// The status texts of the progress callbacks, from tables.
#include "app/spine/CoreRelay.h"
#include "app/shell/StatusTexts.h"
#include "core/api/Callbacks.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"

#include <gtest/gtest.h>

using namespace shell;

using shell::StatusText;
using spine::CoreEvent;

namespace {

// Every string reads "<id>" or "<id>:%1", so a row names the string it shows.
class NumberedStrings {
public:
    NumberedStrings()
    {
        for (unsigned id : {44000u, 44001u, 44002u, 44003u, 44004u, 44005u, 44007u, 44008u, 44009u, 44011u, 44012u,
                            44013u, 44014u, 44017u, 44018u, 44019u, 44022u, 44026u, 44027u, 44501u, 44502u, 44503u, 44504u,
                            44506u})
            platform::setLangString(id, QString::number(id));
        for (unsigned id : {44006u, 44010u, 44015u, 44016u, 44023u, 44028u, 44500u})
            platform::setLangString(id, QString::number(id) + QStringLiteral(":%1"));
    }
    ~NumberedStrings() { platform::clearLangPack(); }
};

CoreEvent ev(unsigned cmd, unsigned event, std::uintptr_t value = 0, const QString& text = {})
{
    CoreEvent e;
    e.cmd = cmd;
    e.event = event;
    e.value = value;
    e.text = text;
    return e;
}

struct CommRow {
    unsigned cmd, event;
    std::uintptr_t value;
    QString text;
    int pane;
    QString shown;
};

} // namespace

TEST(StatusTexts, CommunicationProgressFollowsTheTableRowByRow)
{
    NumberedStrings strings;
    const CommRow rows[] = {
        // Done texts at progress 100, per command, in pane 1.
        {0, CBE_PROGRESS, 100, {}, 1, "44018"},
        {1, CBE_PROGRESS, 100, {}, 1, "44000"},
        {16, CBE_PROGRESS, 100, {}, 1, "44001"},
        {18, CBE_PROGRESS, 100, {}, 1, "44002"},
        {19, CBE_PROGRESS, 100, {}, 1, "44003"},
        {20, CBE_PROGRESS, 100, {}, 1, "44013"},
        {18, CBE_PROGRESS, 50, {}, 0, ""},
        {21, CBE_PROGRESS, 100, {}, 0, ""},
        // Result texts, in pane 2.
        {0, CBE_DONE, 0, {}, 2, "44017"},
        {1, CBE_DONE, 0, {}, 2, "44019"},
        {16, CBE_DONE, 0, {}, 0, ""},
        {19, CBE_DONE, 0, {}, 2, "44004"},
        {20, CBE_DONE, 0, {}, 2, "44005"},
        {21, CBE_DONE, 7, {}, 2, "44015:7"},
        {224, CBE_DONE, 0, {}, 2, "44012"},
        {225, CBE_DONE, 0, {}, 0, ""},
        // Start shows only for the firmware stream.
        {224, CBE_START, 0, {}, 2, "44011"},
        {1, CBE_START, 0, {}, 0, ""},
        // Link events in pane 1.
        {1, CBE_OPEN_FAILED, 0, QStringLiteral("/dev/ttyUSB0"), 1, "44010:/dev/ttyUSB0"},
        {1, CBE_RETRY, 2, {}, 1, "44006:2"},
        {1, CBE_RESEND_FAILED, 0, {}, 1, "44007"},
        {1, CBE_REFUSED, 0, {}, 1, "44009"},
        {1, CBE_LINK_LOST, 0, {}, 1, "44026"},
        {1, CBE_PORT_LOST, 0, QStringLiteral("/dev/ttyUSB0"), 1, "44028:/dev/ttyUSB0"},
        {17, CBE_ANSWER_REFUSED, 0, {}, 1, "44027"},
        {16, CBE_NO_REPLY, 0, {}, 1, "44008"},
        {1, CBE_NO_REPLY, 0, {}, 0, ""},
        {21, CBE_NO_REPLY, 9, {}, 1, "44016:9"},
        {225, CBE_NO_REPLY, 0, {}, 1, "44014"},
        {1, CBE_SOCKET_FAILED, 0, {}, 1, "44022"},
        {1, CBE_HOST_FAILED, 0, QStringLiteral("example.invalid"), 1, "44023:example.invalid"},
        // Events without a text.
        {1, CBE_CANCELLED, 0, {}, 0, ""},
        {1, CBE_SEARCH_PHASE, 0, {}, 0, ""},
        {1, CBE_DEVICE_ERROR, 0, {}, 0, ""},
    };
    for (const CommRow& r : rows) {
        const StatusText got = shell::commStatusText(ev(r.cmd, r.event, r.value, r.text));
        EXPECT_EQ(got.pane, r.pane) << "cmd " << r.cmd << " event " << r.event;
        EXPECT_EQ(got.text, r.shown) << "cmd " << r.cmd << " event " << r.event;
    }
}

TEST(StatusTexts, FileProgressFollowsTheTableAndAnEmptyPathShowsNothing)
{
    NumberedStrings strings;
    const CommRow rows[] = {
        {227, 1, 0, QStringLiteral("/tmp/a.pl"), 2, "44500:/tmp/a.pl"},
        {227, 1, 0, {}, 0, ""},
        {227, 2, 0, {}, 2, "44501"},
        {227, 3, 1, {}, 2, "44506"},
        {227, 4, 0, {}, 2, "44502"},
        {227, 8, 0, {}, 2, "44503"},
        {226, 8, 0, {}, 0, ""},
        {226, 11, 0, {}, 2, "44504"},
        {1, 11, 0, {}, 2, "44504"},
        {227, 11, 0, {}, 0, ""},
        {1, 10, 0, {}, 0, ""},
        {1, 13, 0, {}, 0, ""},
        {1, 14, 0, {}, 0, ""},
    };
    for (const CommRow& r : rows) {
        const StatusText got = shell::fileStatusText(ev(r.cmd, r.event, r.value, r.text));
        EXPECT_EQ(got.pane, r.pane) << "cmd " << r.cmd << " event " << r.event;
        EXPECT_EQ(got.text, r.shown) << "cmd " << r.cmd << " event " << r.event;
    }
}

TEST(StatusTexts, AMissingStringShowsNothingRatherThanItsId)
{
    platform::clearLangPack();
    EXPECT_EQ(shell::commStatusText(ev(18, CBE_PROGRESS, 100)), StatusText{});
    EXPECT_EQ(shell::commStatusText(ev(1, CBE_RETRY, 3)), StatusText{});
}
