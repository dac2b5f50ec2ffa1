#pragma once
// The task dialog's rules apart from its widgets: the core call each task
// kind makes, its start text, and how one progress report of the core
// changes the status text, the bar and the cancel link. The relay copies the
// reports on the thread that made the core call; they become changes on the
// GUI thread.
#include "app/spine/CoreRelay.h"
#include "app/spine/TaskRequest.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

class CCore;

namespace dialogs {

using spine::ScreenValues;
using spine::TaskRequest;
using TaskKind = spine::TaskKind;
using enum spine::TaskKind;

// String id of the status text a kind starts with; 0 keeps the text there is.
unsigned StartTextId(int kind);

// The core call of a request, on the calling thread. None when it makes no
// call (unknown kind, or a null screen for the kinds that take one). A send
// or a one-screen request goes over the request's link, or over the
// screen's send link when it has none. The reads and the searches are the
// dialog's own, which keeps what they return.
std::optional<int> RunTaskCall(CCore& core, const TaskRequest& request);

// The pause after each screen's read, for the controller to settle.
inline constexpr int kReadHardwarePauseMs = 350;

// How a read-hardware pass reaches its dialog.
struct ReadPassHooks {
    std::function<std::optional<int>(int index)> read;
    std::function<bool()> cancelled;
    std::function<void(int index, int total)> step;   // before each read
    std::function<void(int ms)> pause;                // returns early on a cancel
};
// Reads `total` screens one after another. 1 when all were read, 0 when a
// read failed (the rest are still read), -1 when cancelled.
int ReadHardwarePass(int total, int pauseMs, const ReadPassHooks& hooks);
// String id of the pass's step text ("%1 of %2").
unsigned ReadStepTextId();

// A progress report with what its value pointed to copied out.
struct CommReport {
    unsigned cmd = 0;
    unsigned event = 0;
    std::uintptr_t number = 0;   // percent, retry count, address (value as a number)
    QString text;                // opening failures and host failures: the wide text
    // Search candidates that did not answer.
    bool hasCandidate = false;
    unsigned form = 0;           // 0 serial, 1 adapter, 2 network
    QString portName;
    unsigned baudRate = 0;
    std::optional<QString> adapterDescription;   // none: the adapter is not listed
    unsigned networkPort = 0;
};

// A send of programs that reaches nothing: no window of the screen holds an
// item, so the core sends nothing and still answers 1.
bool NothingToSend(CCore& core, const TaskRequest& request);

// The report of a relayed comm event (GUI thread). `core` gives the adapter
// list for candidates on raw Ethernet; null leaves their description unknown.
CommReport ReportFrom(const spine::CoreEvent& e, const CCore* core);

// What a report does to the dialog, applied in this order.
struct ProgressAction {
    bool resetBar = false;
    std::optional<int> bar;        // 0..100
    std::optional<QString> status; // never empty
    enum class Link { Keep, Show, Hide } link = Link::Keep;
};

// The change a report makes, given whether the job was cancelled and the
// cancel link is showing. Texts come from the language pack (GUI thread).
ProgressAction ProgressFor(const CommReport& report, bool cancelled, bool linkShown);

// The text shown for a raw-Ethernet adapter by its capture-device name: the
// adapter's description (its name when it has none), or string 48169 when no
// adapter has that name.
QString GetAdapterDescription(const CCore& core, const char* deviceName);
// The same without the fallback text: none when no adapter has that name.
std::optional<QString> FindAdapterDescription(const CCore& core, const char* deviceName);
// An 8-bit text of the system code page as a wide text of at most 260
// characters; the fallback when the text is empty.
QString AnsiToWideOrDefault(const char* text, const char* fallback);

} // namespace dialogs
