#include "app/shell/FrameJobs.h"

#include "app/dialogs/task/TaskDlg.h"

#include <QCoreApplication>
#include <QMainWindow>

namespace shell {

int FrameJobs::RunTask(const spine::TaskRequest& request)
{
    dialogs::CTaskDlg dlg(m_core, &m_frame);
    dlg.SetTask(request);
    return counted([&dlg] { return dlg.exec(); });
}

int FrameJobs::runTask(const spine::TaskRequest& request)
{
    if (const auto& run = spine::seams().frame.runTask)
        return run(&m_frame, request);
    return RunTask(request);
}

dialogs::TaskOutcome FrameJobs::runJob(std::function<int(CCore&)> call, bool endsAlways)
{
    dialogs::TaskJob job;
    job.call = std::move(call);
    job.startText = dialogs::kSendingText;
    job.endAlways = endsAlways;
    return counted([&] { return dialogs::RunTaskJob(m_core, &m_frame, std::move(job)); });
}

void FrameJobs::deferClose(bool quit)
{
    (quit ? m_quitPending : m_closePending) = true;
    m_ending = true;
    // The running transfer stops first, as its cancel link would stop it,
    // and the close follows when it has ended.
    if (dialogs::CTaskDlg* task = dialogs::CTaskDlg::LiveTaskDialog(); task && task->IsBusy() && !task->IsCancelled())
        task->OnCancelTask();
}

void FrameJobs::actOnDeferredClose()
{
    const bool quit = m_quitPending;
    const bool closeIt = m_closePending;
    m_quitPending = m_closePending = false;
    if (closeIt || quit)
        QMetaObject::invokeMethod(&m_frame, [frame = &m_frame, quit] {
            if (frame->close() && quit)
                QCoreApplication::quit();
        }, Qt::QueuedConnection);
}

} // namespace shell
