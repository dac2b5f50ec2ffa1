#pragma once
// CTaskDlg: the modal dialog that runs one long controller job (sending
// programs, a firmware upgrade, a search) on a worker thread, with a status
// text, a progress bar and a cancel link fed by the core's communication
// callback. Its modal run returns 1 on success and 2 otherwise.
//
// Set the task between construction and the run (SetTask). While the job
// runs the dialog cannot be closed by the user: Enter never ends it, Escape
// and the close box do nothing, and the cancel link is the one way to stop
// it (a close the program asks for, when it is told to end, cancels it too).
// Success and a cancel end the run by themselves; any other failure leaves
// the dialog open with its last text and the Close button.
#include "app/dialogs/task/TaskProgress.h"
#include "app/spine/CoreRelay.h"
#include "core/api/Core.h"
#include "core/api/ScreenCopy.h"

#include <QDialog>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class QLabel;
class QProgressBar;
class QCheckBox;
class QPushButton;
class QThread;
namespace controls {
class CStaticLink;
}

namespace dialogs {

class CTaskDlg : public QDialog {
    Q_OBJECT
public:
    enum {
        IDD = 6129,
        IDC_CHECK = 6151,
        IDC_PROGRESS = 6148,
        IDC_STATUS = 6152,
        IDC_CANCEL_TASK = 6163,
        IDC_CLOSE = 2,
    };
    // The call the worker makes for a request; none when it makes none.
    // Tests give their own; the default is the core's (RunTaskCall).
    using CoreCall = std::function<std::optional<int>(CCore&, const TaskRequest& request)>;

    explicit CTaskDlg(CCore& core, QWidget* parent = nullptr);
    // Waits for a worker that still runs.
    ~CTaskDlg() override;

    // Stores the task; 0 (and nothing changed) while a job runs.
    int SetTask(const TaskRequest& request);
    int SetTask(int kind, tagItemData* screen) { return SetTask(TaskRequest{kind, screen, {}}); }
    // A call of the test's own also makes the reads (TASK_READ_SCREEN and
    // TASK_READ_HARDWARE) and the searches (TASK_SEARCH, TASK_FIND_SCREEN,
    // TASK_WIZARD_FIND), which then store nothing.
    void SetCoreCall(CoreCall call)
    {
        m_call = std::move(call);
        m_ownReads = false;
    }
    // A job of the caller's (TASK_CALL): `call` runs on the worker and must
    // touch no widget; the run starts with the text `startText` (a string id,
    // 0 keeps the dialog's). With `endAlways` the run ends by itself on any
    // outcome and the caller shows it; otherwise a failure stays open.
    using Job = std::function<int(CCore&)>;
    int SetJob(Job call, unsigned startText, bool endAlways);
    // How long a firmware-image upgrade keeps the dialog open after the transfer.
    void SetUpgradeSettleMs(int ms) { m_settleMs = ms; }
    // The pause after each screen of a read-hardware pass.
    void SetReadPauseMs(int ms) { m_readPauseMs = ms; }

    bool IsBusy() const { return m_busy.load() != 0; }
    bool IsCancelled() const { return m_cancelled.load() != 0; }
    // What the core call returned (0 before any call).
    int Result() const { return m_result.load(); }
    int Kind() const { return m_kind.load(); }
    // The upgrade found no firmware image to send (GUI thread).
    bool MissedFirmwareImage() const { return m_missedImage; }

    void retranslate();

    // The task dialog whose window is up, or null (GUI thread).
    static CTaskDlg* LiveTaskDialog();

    // Starts the worker; 1 when it started, 0 when a job runs or there is no task.
    int StartTask();
    // The cancel link: stops the transfer before its next chunk.
    void OnCancelTask();
    // WM_TASK_DONE: ends the modal run with `result`.
    void OnTaskDone(int result);
    // Applies one report (GUI thread).
    void OnCommProgress(const CommReport& report);

public slots:
    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void OnInitDialog();
    void OnDestroy();
    void RunTask();
    void JobEnded(int done);
    int RunReadPass();
    std::optional<int> readScreen(int index);
    void storeAnswers();
    std::optional<int> search();
    std::optional<int> findAgain();
    void storeFound();
    void OnReadStep(int index, int total);
    void setStatusText(const QString& text);
    void setLinkShown(bool shown);
    void endReports();
    void waitForWorker();
    void applyReports(const std::vector<CommReport>& reports);

    CCore& m_core;
    QCheckBox* m_check = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    controls::CStaticLink* m_cancelLink = nullptr;
    QPushButton* m_close = nullptr;

    // The core's comm reports, taken from the window's showing until it is
    // hidden and no job runs (the worker reads the callback during its call).
    std::unique_ptr<spine::CoreSubscription> m_reportsIn;
    bool m_up = false;
    bool m_linkShown = false;
    std::atomic<int> m_kind{0};
    std::atomic<int> m_busy{0};
    std::atomic<int> m_result{0};
    std::atomic<int> m_cancelled{0};
    std::atomic<bool> m_closePending{false};
    bool m_missedImage = false;
    QString m_screenName;   // of a send, for the title and its texts
    // Written on the GUI thread only while no job runs; the worker reads it.
    TaskRequest m_request;
    // What the worker is given: the request with, for a send, the screen's
    // copy in place of the live screen. The copy is made when the job starts
    // and freed when it ended, both on the GUI thread.
    TaskRequest m_work;
    std::unique_ptr<CScreenCopy> m_copy;
    bool m_nothingToSend = false;
    std::unique_ptr<QThread> m_thread;
    CoreCall m_call;
    bool m_ownReads = true;
    // The screens a read kind reads and their links, taken on the GUI thread
    // before the worker starts; the answers the worker brought, stored into
    // the screens on the GUI thread once it ended.
    std::vector<std::pair<tagItemData*, LinkSettings>> m_reads;
    std::vector<std::pair<tagItemData*, ControllerAnswer>> m_answers;
    // The same for the searches: the screen found again and its own link,
    // taken before the worker starts; what the worker found, stored into
    // the tree on the GUI thread once it ended.
    tagItemData* m_findScreen = nullptr;
    LinkSettings m_findOwn;
    std::optional<FoundConnection> m_foundAgain;
    std::optional<FoundControllers> m_found;
    spine::SearchRange m_foundInto;
    Job m_job;
    unsigned m_jobText = 0;
    bool m_jobEndsAlways = false;
    int m_settleMs = 20000;
    int m_readPauseMs = kReadHardwarePauseMs;
    bool m_passRunning = false;   // GUI thread

    // Lets the destructor cut the wait after a firmware-image upgrade short.
    std::mutex m_stopMutex;
    std::condition_variable m_stopWake;
    bool m_stop = false;
};

} // namespace dialogs
