#include "app/shell/StatusTexts.h"

#include "app/spine/ProgressStrings.h"

#include "core/api/Callbacks.h"
#include "platform/LangPack.h"

namespace shell {
namespace {

// File-callback events of the program-list files (the USB-file writer uses 1 and 11 alike).
enum : unsigned { kFileOpenFailed = 1, kFileBadMagic = 2, kFileNewer = 3, kFileTruncated = 4, kFileLoaded = 8, kFileWritten = 11 };

QString S(unsigned id)
{
    return platform::langString(id);
}

QString F(unsigned id, const QString& value)
{
    const QString s = S(id);
    return s.isEmpty() ? s : s.arg(value);
}

QString F(unsigned id, const QString& a, const QString& b)
{
    const QString s = S(id);
    return s.isEmpty() ? s : s.arg(a, b);
}

QString F(unsigned id, std::uintptr_t value)
{
    return F(id, QString::number(static_cast<qulonglong>(value)));
}

// Commands of the controller the frame sends itself (clear programs, display on and off).
enum : unsigned { kCmdClearPrograms = 193, kCmdSwitch = 240 };

// Done text (progress 100) and result text (done) by command.
struct CmdTexts {
    unsigned cmd;
    unsigned done;
    unsigned result;
};
constexpr CmdTexts kCmdTexts[] = {
    {0, 44018, 44017}, {1, 44000, 44019}, {16, 44001, 0}, {18, 44002, 0}, {19, 44003, 44004},
    {20, 44013, 44005}, {CBC_UPGRADE_STREAM, 0, 44012},
    // Clearing the programs and switching the display would otherwise end without a word.
    {kCmdClearPrograms, 44018, 0}, {kCmdSwitch, 44018, 0},
};

const CmdTexts* textsFor(unsigned cmd)
{
    for (const CmdTexts& t : kCmdTexts)
        if (t.cmd == cmd)
            return &t;
    return nullptr;
}

StatusText at(int pane, const QString& text)
{
    return text.isEmpty() ? StatusText{} : StatusText{pane, text};
}

} // namespace

StatusText commStatusText(const spine::CoreEvent& e)
{
    const CmdTexts* t = textsFor(e.cmd);
    QString doneText, resultText;
    if (e.event == CBE_PROGRESS && e.value == 100 && t && t->done)
        doneText = S(t->done);
    if (e.event == CBE_DONE) {
        if (e.cmd == CBC_PROBE)
            resultText = F(44015, e.value);
        else if (t && t->result)
            resultText = S(t->result);
    }

    switch (e.event) {
    case CBE_START:
        return e.cmd == CBC_UPGRADE_STREAM ? at(kPaneTransfer, S(spine::kStrFirmwareSending)) : StatusText{};
    case CBE_OPEN_FAILED:
        return at(kPaneLink, F(spine::openFailedText(e.cmd), e.text));
    case CBE_PROGRESS:
        return at(kPaneLink, doneText);
    case CBE_DONE:
        return at(kPaneTransfer, resultText);
    case CBE_RETRY:
        return at(kPaneLink, F(spine::kStrRetry, e.value));
    case CBE_RESEND_FAILED:
        return at(kPaneLink, S(spine::kStrResendFailed));
    case CBE_REFUSED:
        return at(kPaneLink, S(spine::kStrRefused));
    case CBE_LINK_LOST:
        return at(kPaneLink, S(spine::kStrLinkLost));
    case CBE_PORT_LOST:
        return at(kPaneLink, F(spine::kStrPortLost, e.text));
    case CBE_ANSWER_REFUSED:
        return at(kPaneLink, S(spine::kStrAnswerRefused));
    case CBE_NO_REPLY:
        if (e.cmd == 1)
            return {};
        if (e.cmd == CBC_PROBE)
            return at(kPaneLink, F(spine::kStrNoControllerAt, e.value));
        if (e.cmd == CBC_SEARCH_CANDIDATE)
            return at(kPaneLink, S(44014));
        return at(kPaneLink, S(spine::kStrNoReply));
    case CBE_SOCKET_FAILED:
        return at(kPaneLink, S(spine::kStrSocketFailed));
    case CBE_HOST_FAILED:
    {
        const auto [host, port] = spine::hostAndPort(e.text);
        return at(kPaneLink, F(spine::kStrHostFailed, host, port));
    }
    default:
        return {};
    }
}

StatusText fileStatusText(const spine::CoreEvent& e)
{
    switch (e.event) {
    case kFileOpenFailed:
        return e.text.isEmpty() ? StatusText{} : at(kPaneTransfer, F(44500, e.text));
    case kFileBadMagic:
        return at(kPaneTransfer, S(kStrNotAProgramList));
    case kFileNewer:
        return at(kPaneTransfer, S(kStrNewerVersion));
    case kFileTruncated:
        return at(kPaneTransfer, S(kStrIncomplete));
    case kFileLoaded:
        return e.cmd == CBC_LOAD_PL ? at(kPaneTransfer, S(44503)) : StatusText{};
    case kFileWritten:
        return e.cmd == 1 || e.cmd == CBC_SAVE_PL ? at(kPaneTransfer, S(44504)) : StatusText{};
    default:
        return {};
    }
}

bool beginsTransfer(const spine::CoreEvent& e)
{
    switch (e.event) {
    case CBE_START:
    case CBE_OPEN_FAILED:
    case CBE_SOCKET_FAILED:
    case CBE_HOST_FAILED: return true;
    case CBE_PROGRESS: return e.value == 0;
    default: return false;
    }
}

bool sameJob(const PaneNews& shown, const PaneNews& incoming)
{
    return shown.comm && incoming.comm && shown.transfer == incoming.transfer;
}

} // namespace shell
