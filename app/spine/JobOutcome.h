#pragma once
// How a job of the task dialog ended, as the windows that start one through
// the main frame see it (the frame's commands, the tree, the device dialogs).

namespace spine {

struct JobOutcome {
    int result = 0;           // what the call returned
    bool cancelled = false;
    // False when the owner was closed or destroyed while the job ran: the
    // caller then touches nothing of it.
    bool reached = false;
};

} // namespace spine
