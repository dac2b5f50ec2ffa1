#include "app/dialogs/task/TaskProgress.h"

#include "app/spine/ProgressStrings.h"

#include "core/api/Records.h"
#include "core/api/Callbacks.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "platform/CodePage.h"
#include "platform/LangPack.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <string_view>

namespace dialogs {
namespace {

constexpr unsigned kSending = 44020;
// Not "Upgrade request accepted.": nothing has been accepted when it starts.
constexpr unsigned kUpgrading = 44011;
constexpr unsigned kSearching = 44021;
constexpr unsigned kReadingHardware = 44031;
constexpr unsigned kDeviceError = 57357;
constexpr unsigned kSerialSilent = 48167;
constexpr unsigned kAdapterSilent = 48168;
constexpr unsigned kUnknownAdapter = 48169;
constexpr unsigned kNetworkSilent = 48273;
constexpr int kMaxWide = 260;

QString copyNarrow(const char* text, std::size_t limit)
{
    if (!text)
        return {};
    const std::size_t n = strnlen(text, limit);
    return QString::fromStdU16String(platform::decodeBytes(std::string_view(text, n), platform::ansiCodePage()));
}

// The text a command shows when its transfer reached exactly 100 %.
unsigned completionText(unsigned cmd)
{
    switch (cmd) {
    case 0: return 44018;
    case 1: return 44000;
    case 16: return 44001;
    case 18: return 44002;
    case 19: return 44003;
    case 20: return 44013;
    case 24: return 44024;
    default: return 0;
    }
}

void setStatus(ProgressAction& a, const QString& text)
{
    if (!text.isEmpty())
        a.status = text;
}

void setStatus(ProgressAction& a, unsigned id)
{
    setStatus(a, platform::langString(id));
}

// Formats a pack text; an empty pack text stays empty (and changes nothing).
QString format(unsigned id, const QString& a)
{
    const QString t = platform::langString(id);
    return t.isEmpty() ? t : t.arg(a);
}

QString format(unsigned id, const QString& a, const QString& b)
{
    const QString t = platform::langString(id);
    return t.isEmpty() ? t : t.arg(a, b);
}

void candidateText(ProgressAction& a, const CommReport& r)
{
    switch (r.form) {
    case 0:
        setStatus(a, format(kSerialSilent, r.portName, QString::number(r.baudRate)));
        break;
    case 1:
        setStatus(a, format(kAdapterSilent, r.adapterDescription ? *r.adapterDescription
                                                                  : platform::langString(kUnknownAdapter)));
        break;
    case 2:
        setStatus(a, format(kNetworkSilent, QString::number(r.networkPort)));
        break;
    default:
        break;
    }
}

} // namespace

unsigned StartTextId(int kind)
{
    switch (kind) {
    case TASK_SEND_PROGRAMS: return kSending;
    case TASK_UPGRADE:
    case TASK_UPGRADE_IMAGE: return kUpgrading;
    case TASK_FIND_SCREEN:
    case TASK_SEARCH: return kSearching;
    case TASK_ADJUST_TIME:
    case TASK_DISPLAY_ON:
    case TASK_DISPLAY_OFF: return kSending;
    default: return 0;
    }
}

unsigned ReadStepTextId()
{
    return kReadingHardware;
}

int ReadHardwarePass(int total, int pauseMs, const ReadPassHooks& hooks)
{
    const auto cancelled = [&] { return hooks.cancelled && hooks.cancelled(); };
    bool failed = false;
    for (int i = 0; i < total && !cancelled(); ++i) {
        if (hooks.step)
            hooks.step(i, total);
        const std::optional<int> rc = hooks.read ? hooks.read(i) : std::nullopt;
        if (!rc || *rc < 0)
            failed = true;
        if (hooks.pause && !cancelled())
            hooks.pause(pauseMs);
    }
    if (cancelled())
        return -1;
    if (hooks.step)
        hooks.step(total, total);
    return failed ? 0 : 1;
}

std::optional<int> RunTaskCall(CCore& core, const TaskRequest& request)
{
    tagItemData* screen = request.screen;
    if (!screen)
        return std::nullopt;
    const LinkSettings* link = request.link();
    const ScreenValues* values = request.values();
    switch (request.kind) {
    case TASK_SEND_PROGRAMS:
        return link ? core.SendPrograms(screen, *link) : core.SendPrograms(screen);
    // The requests below go by the values the dialog took from a screen; a
    // node that is not one has none and sends nothing.
    case TASK_UPGRADE:
        return values ? core.SendUpgrade(values->block, values->link) : 0;
    case TASK_UPGRADE_IMAGE:
        return values ? core.SendUpgrade2(values->block, values->link) : 0;
    case TASK_ADJUST_TIME:
        return link ? core.SendAdjustTime(*link) : 0;
    case TASK_DISPLAY_ON:
    case TASK_DISPLAY_OFF: {
        const unsigned on = request.kind == TASK_DISPLAY_ON ? 1 : 0;
        return link ? core.SendSwitch(on, *link) : 0;
    }
    default:
        return std::nullopt;
    }
}

bool NothingToSend(CCore& core, const TaskRequest& request)
{
    return request.kind == TASK_SEND_PROGRAMS && request.screen && CCore::IsRoot(request.screen) == 1
        && core.GetValidChildNum(request.screen) == 0;
}

CommReport ReportFrom(const spine::CoreEvent& e, const CCore* core)
{
    CommReport r;
    r.cmd = e.cmd;
    r.event = e.event;
    if (e.cmd == CBC_SEARCH_CANDIDATE) {
        // Only a candidate that did not answer is shown.
        if (e.event != CBE_NO_REPLY || !e.candidate)
            return r;
        const spine::CandidateCopy& c = *e.candidate;
        r.hasCandidate = true;
        r.form = c.form;
        r.portName = c.portName.left(kMaxWide);
        r.baudRate = c.baudRate;
        if (c.form == 1 && core)
            r.adapterDescription = FindAdapterDescription(*core, c.deviceId.isNull() ? nullptr : c.deviceId.constData());
        r.networkPort = c.port;
        return r;
    }
    if (e.event == CBE_OPEN_FAILED || e.event == CBE_HOST_FAILED || e.event == CBE_PORT_LOST)
        r.text = e.text.left(kMaxWide);
    else
        r.number = e.value;
    return r;
}

ProgressAction ProgressFor(const CommReport& r, bool cancelled, bool linkShown)
{
    ProgressAction a;
    if (r.cmd == 2 || r.cmd == 3 || r.cmd == 4)
        a.resetBar = true;
    if (r.cmd == CBC_SEARCH_CANDIDATE) {
        if (r.event == CBE_NO_REPLY && r.hasCandidate)
            candidateText(a, r);
        return a;
    }
    switch (r.event) {
    case CBE_START:
        if (r.cmd >= 1 && r.cmd <= 4)
            setStatus(a, kSending);
        else if (r.cmd == CBC_UPGRADE_STREAM)
            setStatus(a, spine::kStrFirmwareSending);
        break;
    case CBE_OPEN_FAILED:
        setStatus(a, format(spine::openFailedText(r.cmd), r.text));
        break;
    case CBE_PROGRESS: {
        const std::uintptr_t percent = r.number;
        a.bar = percent > 100 ? 100 : static_cast<int>(percent);
        if (percent >= 100)
            a.link = ProgressAction::Link::Hide;
        else if (!cancelled && r.cmd != CBC_UPGRADE_STREAM && !linkShown)
            a.link = ProgressAction::Link::Show;
        if (percent == 100)
            if (const unsigned id = completionText(r.cmd))
                setStatus(a, id);
        break;
    }
    case CBE_RETRY:
        setStatus(a, format(spine::kStrRetry, QString::number(r.number)));
        break;
    case CBE_RESEND_FAILED:
        setStatus(a, spine::kStrResendFailed);
        break;
    case CBE_REFUSED:
        setStatus(a, spine::kStrRefused);
        break;
    case CBE_LINK_LOST:
        setStatus(a, spine::kStrLinkLost);
        break;
    case CBE_PORT_LOST:
        setStatus(a, format(spine::kStrPortLost, r.text));
        break;
    case CBE_ANSWER_REFUSED:
        setStatus(a, spine::kStrAnswerRefused);
        break;
    case CBE_NO_REPLY:
        // The program data, the last block sent, says so too: nothing after
        // it would replace "Sending..." on a dialog that stays open.
        if (r.cmd == CBC_PROBE)
            setStatus(a, format(spine::kStrNoControllerAt, QString::number(r.number)));
        else
            setStatus(a, spine::kStrNoReply);
        break;
    case CBE_DEVICE_ERROR:
        setStatus(a, kDeviceError);
        break;
    case CBE_SOCKET_FAILED:
        setStatus(a, spine::kStrSocketFailed);
        break;
    case CBE_HOST_FAILED:
    {
        const auto [host, port] = spine::hostAndPort(r.text);
        setStatus(a, format(spine::kStrHostFailed, host, port));
        break;
    }
    default:
        break;
    }
    return a;
}

std::optional<QString> FindAdapterDescription(const CCore& core, const char* deviceName)
{
    if (!deviceName)
        return std::nullopt;
    CUniqueArray<pcapdevinfo>* list = core.GetAdapterList();
    if (!list)
        return std::nullopt;
    std::optional<QString> found;
    for (const pcapdevinfo& d : list->items()) {
        if (strncmp(d.name, deviceName, sizeof d.name) == 0) {
            char name[sizeof d.name + 1] = {};
            char description[sizeof d.description + 1] = {};
            std::memcpy(name, d.name, sizeof d.name);
            std::memcpy(description, d.description, sizeof d.description);
            found = AnsiToWideOrDefault(description, name);
            break;
        }
    }
    CCore::ReleaseAdapterList(list);
    return found;
}

QString GetAdapterDescription(const CCore& core, const char* deviceName)
{
    if (std::optional<QString> d = FindAdapterDescription(core, deviceName))
        return *d;
    return platform::langString(kUnknownAdapter);
}

QString AnsiToWideOrDefault(const char* text, const char* fallback)
{
    const char* from = text && *text ? text : fallback;
    return copyNarrow(from, 4096).left(kMaxWide);
}

} // namespace dialogs
