#pragma once
// The main frame's modal jobs in the communication task dialog. A close or
// quit asked for while one runs waits for it: the running transfer is asked
// to stop and the close is carried out after the last job. Once the program
// is ending no job starts, so a walk of jobs (a bulk send) ends at once.
#include "app/dialogs/task/TaskJob.h"
#include "app/spine/Seams.h"

#include <functional>

class CCore;
class QMainWindow;

namespace shell {

class FrameJobs {
public:
    FrameJobs(CCore& core, QMainWindow& frame) : m_core(core), m_frame(frame) {}

    // Runs a job in the communication task dialog, modally: 1 success, 2 otherwise.
    int RunTask(const spine::TaskRequest& request);
    // A test's task run from the registry, else RunTask.
    int runTask(const spine::TaskRequest& request);
    // One controller request as a job of the task dialog; a failure stays
    // open with its text, unless the dialog `endsAlways`.
    dialogs::TaskOutcome runJob(std::function<int(CCore&)> call, bool endsAlways = false);

    bool running() const { return m_depth > 0; }
    // A close (or, with `quit`, the program's end) asked for during a job:
    // kept for when the last job has ended.
    void deferClose(bool quit);
    // The operator kept the program at the close's question.
    void closeRefused() { m_ending = false; }

private:
    template <class Run>
    auto counted(Run run)
    {
        if (m_ending)
            return decltype(run()){};
        ++m_depth;
        auto result = run();
        if (--m_depth == 0)
            actOnDeferredClose();
        return result;
    }
    void actOnDeferredClose();

    CCore& m_core;
    QMainWindow& m_frame;
    int m_depth = 0;
    bool m_closePending = false;
    bool m_quitPending = false;
    bool m_ending = false;   // a close or quit waits for a job, or is being carried out
};

} // namespace shell
