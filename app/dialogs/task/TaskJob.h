#pragma once
// One road for a single controller request: the call runs on the task
// dialog's worker, modal over its owner, with progress and a cancel link, so
// the window keeps answering while a silent controller is waited for.
#include "app/spine/JobOutcome.h"
#include "core/api/Core.h"

#include <functional>

class QWidget;
struct tagItemData;

namespace dialogs {

struct TaskJob {
    // Runs on the worker and touches no widget. It writes no node: what it
    // brings back is stored by the caller on the interface thread. It reads
    // no live screen's programs either (a send compiles a CScreenCopy the
    // task dialog made for it); what it needs of a screen it is given as
    // values (a link), or, for the settings writes, the screen's block.
    std::function<int(CCore&)> call;
    // String id of the text the dialog starts with; 0: "Please wait...".
    unsigned startText = 0;
    // Ends by itself on any outcome, for an owner that shows the answer in
    // its own label; otherwise a failure stays open with its text.
    bool endAlways = false;
};

using TaskOutcome = spine::JobOutcome;

// String id of "Sending...", the start text of a write.
inline constexpr unsigned kSendingText = 44020;

// A job for an owner that shows the answer in a label of its own, so the
// dialog ends by itself on any outcome.
TaskJob WriteJob(std::function<int(CCore&)> call);

// Runs the job modally over `owner` (GUI thread) and waits for its end. The
// call writes no node: what it brings back is stored by the caller, here.
TaskOutcome RunTaskJob(CCore& core, QWidget* owner, TaskJob job);

// A read of the controller of `screen` over its own link, as a job that
// ends by itself. The worker only reads; what it accepted is stored into the
// screen here, on the interface thread, through the write road, unless the
// job was cancelled or failed.
using ControllerRead = ControllerAnswer (CCore::*)(const LinkSettings&);
TaskOutcome RunReadJob(CCore& core, QWidget* owner, tagItemData* screen, ControllerRead read);

} // namespace dialogs
