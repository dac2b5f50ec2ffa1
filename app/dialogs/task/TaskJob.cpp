#include "app/dialogs/task/TaskJob.h"

#include "app/dialogs/task/TaskDlg.h"
#include "core/api/Nodes.h"

#include <QPointer>
#include <optional>

namespace dialogs {

TaskOutcome RunTaskJob(CCore& core, QWidget* owner, TaskJob job)
{
    TaskOutcome out;
    if (!job.call)
        return out;
    std::optional<tagGlobalInfo> before;
    if (job.keep)
        before = job.keep->Global;
    const QPointer<QWidget> watched(owner);
    const bool shown = owner && owner->isVisible();
    // On the heap: an owner destroyed during the run takes the dialog with
    // it, and its destructor waits for the worker.
    QPointer<CTaskDlg> dlg = new CTaskDlg(core, owner);
    dlg->SetJob(std::move(job.call), job.startText, job.endAlways);
    dlg->exec();
    if (dlg) {
        out.result = dlg->Result();
        out.cancelled = dlg->IsCancelled();
        delete dlg.data();
    } else {
        out.cancelled = true;
    }
    out.reached = (!owner || watched) && (!shown || watched->isVisible());
    if (before && (out.cancelled || (job.restoreOnFailure && out.result < 0)))
        job.keep->Global = *before;
    return out;
}

} // namespace dialogs
