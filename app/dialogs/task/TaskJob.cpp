#include "app/dialogs/task/TaskJob.h"

#include "app/dialogs/task/TaskDlg.h"
#include "app/spine/NodeNotice.h"
#include "core/api/Nodes.h"

#include <QPointer>
#include <memory>

namespace dialogs {

TaskJob WriteJob(std::function<int(CCore&)> call)
{
    TaskJob job;
    job.call = std::move(call);
    job.startText = kSendingText;
    job.endAlways = true;
    return job;
}

TaskOutcome RunTaskJob(CCore& core, QWidget* owner, TaskJob job)
{
    TaskOutcome out;
    if (!job.call)
        return out;
    const QPointer<QWidget> watched(owner);
    const bool shown = owner && owner->isVisible();
    const bool active = owner && owner->isActiveWindow();
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
    // The operator goes on where the job was started.
    if (out.reached && active)
        watched->window()->activateWindow();
    return out;
}

TaskOutcome RunReadJob(CCore& core, QWidget* owner, tagItemData* screen, ControllerRead read)
{
    if (CCore::IsRoot(screen) != 1 || !read)
        return {};
    // Shared: a worker that outlives a destroyed owner still has somewhere to put it.
    const auto answer = std::make_shared<ControllerAnswer>();
    TaskJob job;
    job.endAlways = true;
    job.call = [answer, read, link = CCore::GetOwnLink(screen)](CCore& c) {
        *answer = (c.*read)(link);
        return answer->result();
    };
    const TaskOutcome out = RunTaskJob(core, owner, std::move(job));
    if (!out.cancelled && answer->ok())
        spine::writeScreenBlock(core, screen, [&] { CCore::StoreAnswer(*answer, screen->Global); });
    return out;
}

} // namespace dialogs
