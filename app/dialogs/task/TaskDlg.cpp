#include "app/dialogs/task/TaskDlg.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/StaticLink.h"
#include "core/api/Nodes.h"
#include "platform/LangPack.h"
#include "platform/MessageEvent.h"

#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

namespace dialogs {
namespace {

constexpr unsigned kNotDone = 63000;
constexpr unsigned kReadFailed = 48277;
constexpr unsigned kNothingToSend = 46009;   // %1 the screen's name
constexpr unsigned kTitleWithScreen = 46044;   // %1 the dialog's title, %2 the screen's name

using controls::withId;

} // namespace

CTaskDlg::CTaskDlg(CCore& core, QWidget* parent) : QDialog(parent), m_core(core), m_call(RunTaskCall)
{
    setObjectName(QString::number(IDD));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_status = withId(new QLabel(this), IDC_STATUS);
    m_status->setWordWrap(true);
    m_status->setMinimumWidth(360);
    m_status->setMinimumHeight(2 * fontMetrics().lineSpacing());
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_progress = withId(new QProgressBar(this), IDC_PROGRESS);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    m_check = withId(new QCheckBox(this), IDC_CHECK);
    m_check->hide();

    m_cancelLink = withId(new controls::CStaticLink(this), IDC_CANCEL_TASK);
    m_cancelLink->m_bLink = false;   // a click is a command to this dialog
    m_cancelLink->setFocusPolicy(Qt::StrongFocus);   // Space cancels too
    m_cancelLink->hide();

    m_close = withId(new QPushButton(this), IDC_CLOSE);
    // Enter must never end the dialog, so no button takes it.
    m_close->setAutoDefault(false);
    m_close->setDefault(false);
    m_close->hide();
    connect(m_close, &QPushButton::clicked, this, &CTaskDlg::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(m_check);
    row->addStretch(1);
    row->addWidget(m_cancelLink);
    row->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addLayout(row);
    retranslate();
    // Showing and hiding the Close button and the link must not move the rest.
    row->setContentsMargins(0, 0, 0, 0);
    const int rowHeight = std::max(m_close->sizeHint().height(), m_cancelLink->sizeHint().height());
    auto* strut = new QWidget(this);
    strut->setFixedSize(0, rowHeight);
    row->addWidget(strut);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

CTaskDlg::~CTaskDlg()
{
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_stop = true;
    }
    m_stopWake.notify_all();
    waitForWorker();
    endReports();
}

void CTaskDlg::retranslate()
{
    // A send names its screen: one of a bulk send's dialogs tells which.
    const QString title = platform::langDialogText(IDD, 0);
    const QString named = platform::langString(kTitleWithScreen);
    setWindowTitle(m_screenName.isEmpty() || named.isEmpty() ? title : named.arg(title, m_screenName));
    if (!IsBusy() && m_status->text().isEmpty())
        m_status->setText(platform::langDialogText(IDD, IDC_STATUS));
    m_close->setText(platform::langDialogText(IDD, IDC_CLOSE));
    m_cancelLink->setText(platform::langDialogText(IDD, IDC_CANCEL_TASK));
}

CTaskDlg* CTaskDlg::LiveTaskDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dlg = qobject_cast<CTaskDlg*>(w); dlg && dlg->m_up)
            return dlg;
    return nullptr;
}

int CTaskDlg::SetTask(const TaskRequest& request)
{
    if (IsBusy())
        return 0;
    m_kind = request.kind;
    m_request = request;
    m_screenName.clear();
    if (request.kind == TASK_SEND_PROGRAMS && request.screen) {
        const tagItemData* screen = request.screen;
        const char16_t* end = std::find(std::begin(screen->Name), std::end(screen->Name), u'\0');
        m_screenName = QString::fromUtf16(screen->Name, end - screen->Name);
    }
    retranslate();
    return 1;
}

int CTaskDlg::SetJob(Job call, unsigned startText, bool endAlways)
{
    if (IsBusy() || !call)
        return 0;
    m_job = std::move(call);
    m_jobText = startText;
    m_jobEndsAlways = endAlways;
    return SetTask(TaskRequest{TASK_CALL, nullptr, {}});
}

void CTaskDlg::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!m_up)
        OnInitDialog();
}

void CTaskDlg::hideEvent(QHideEvent* e)
{
    if (m_up && !e->spontaneous())
        OnDestroy();
    QDialog::hideEvent(e);
}

void CTaskDlg::OnInitDialog()
{
    m_up = true;
    m_cancelLink->hide();
    m_linkShown = false;
    if (!m_reportsIn)
        m_reportsIn = std::make_unique<spine::CoreSubscription>(
            m_core, this,
            [this](const std::vector<spine::CoreReport>& in) {
                // Reports after the window went reach nothing.
                if (!m_up)
                    return;
                std::vector<CommReport> reports;
                reports.reserve(in.size());
                for (const spine::CoreReport& r : in)
                    if (r.channel == spine::CoreChannel::Comm)
                        reports.push_back(ReportFrom(r.event, &m_core));
                applyReports(reports);
            });
    StartTask();
}

void CTaskDlg::OnDestroy()
{
    m_up = false;
    // The worker reads the callback during its call; it is put back when the
    // job has ended.
    if (!IsBusy())
        endReports();
}

void CTaskDlg::endReports()
{
    m_reportsIn.reset();
}

void CTaskDlg::waitForWorker()
{
    if (m_thread) {
        m_thread->wait();
        m_thread.reset();
    }
}

int CTaskDlg::StartTask()
{
    if (IsBusy() || m_kind.load() == TASK_NONE)
        return 0;
    m_close->hide();
    m_check->hide();
    const bool job = m_kind.load() == TASK_CALL;
    if (const unsigned id = job ? m_jobText : StartTextId(m_kind.load()))
        setStatusText(platform::langString(id));
    // A request may wait seconds for a connection before any report comes:
    // it can be cancelled from its start.
    if (job && m_up)
        setLinkShown(true);
    waitForWorker();
    m_reads.clear();
    m_answers.clear();
    m_findScreen = nullptr;
    m_foundAgain.reset();
    m_found.reset();
    // What the worker reads of the tree is taken here, as values.
    const int kind = m_kind.load();
    tagItemData* screen = m_request.screen;
    if (kind == TASK_FIND_SCREEN || kind == TASK_WIZARD_FIND) {
        if (CCore::IsRoot(screen) == 1) {
            m_findScreen = screen;
            m_findOwn = CCore::GetOwnLink(screen);
        }
    } else if (kind == TASK_READ_SCREEN) {
        if (screen)
            m_reads.emplace_back(screen, CCore::GetOwnLink(screen));
    } else if (kind == TASK_READ_HARDWARE) {
        for (tagItemData* s = m_core.GetScreen(unsigned(std::max(m_request.firstScreen(), 0))); s; s = s->NextSibling)
            m_reads.emplace_back(s, CCore::GetOwnLink(s));
    } else if (kind == TASK_SEARCH) {
        m_foundInto = m_request.range();
    } else if ((kind == TASK_SEND_PROGRAMS || kind == TASK_ADJUST_TIME || kind == TASK_DISPLAY_ON
                || kind == TASK_DISPLAY_OFF)
               && !m_request.link() && CCore::IsRoot(screen) == 1) {
        m_request.with = m_core.GetSendLink(screen);
    } else if ((kind == TASK_UPGRADE || kind == TASK_UPGRADE_IMAGE) && CCore::IsRoot(screen) == 1) {
        m_request.with = ScreenValues{screen->Global, CCore::GetOwnLink(screen)};
    }
    // A send compiles a copy of its own, so that no timer, paint or store on
    // this thread can race the worker; the live tree is not reached from it.
    m_copy.reset();
    m_work = m_request;
    m_nothingToSend = NothingToSend(m_core, m_request);
    if (kind == TASK_SEND_PROGRAMS && CCore::IsRoot(screen) == 1) {
        m_copy = std::make_unique<CScreenCopy>(screen);
        m_work.screen = m_copy->ok() ? m_copy->screen() : nullptr;
    }
    // Busy from here, so an Escape before the worker's first step is ignored too.
    m_busy = 1;
    m_cancelled = 0;
    m_closePending = false;
    m_thread.reset(QThread::create([this] { RunTask(); }));
    m_thread->start();
    if (!m_thread->isRunning() && !m_thread->isFinished()) {
        m_thread.reset();
        m_busy = 0;
        return 0;
    }
    return 1;
}

void CTaskDlg::RunTask()
{
    const int kind = m_kind.load();
    // The core counts such a send as done; the operator must not take it
    // for one that reached the controller.
    const bool nothing = m_nothingToSend;
    // No room for the copy: the send is not done.
    const bool noCopy = kind == TASK_SEND_PROGRAMS && m_request.screen && !m_work.screen;
    const bool finds = kind == TASK_FIND_SCREEN || kind == TASK_WIZARD_FIND;
    const std::optional<int> result = kind == TASK_READ_HARDWARE ? std::optional<int>(RunReadPass())
                                      : kind == TASK_READ_SCREEN && m_ownReads ? readScreen(0)
                                      : kind == TASK_SEARCH && m_ownReads      ? search()
                                      : finds && m_ownReads                    ? findAgain()
                                      : kind == TASK_CALL        ? std::optional<int>(m_job(m_core))
                                      : noCopy                   ? std::optional<int>(0)
                                      : m_call                   ? m_call(m_core, m_work)
                                                                 : std::nullopt;
    if (result)
        m_result = *result;
    if (kind == TASK_SEND_PROGRAMS && result && *result == 0)
        QMetaObject::invokeMethod(this, [this] { setStatusText(platform::langString(kNotDone)); },
                                  Qt::QueuedConnection);
    else if (nothing && result)
        QMetaObject::invokeMethod(
            this, [this] { setStatusText(platform::langString(kNothingToSend).arg(m_screenName)); },
            Qt::QueuedConnection);
    if (kind == TASK_UPGRADE_IMAGE) {
        // The controller restarts with the new image meanwhile.
        std::unique_lock<std::mutex> lock(m_stopMutex);
        m_stopWake.wait_for(lock, std::chrono::milliseconds(m_settleMs),
                            [this] { return m_stop || m_cancelled.load(); });
    }
    int done = 0;
    if (nothing && result)
        done = 0;   // stays open with its text until the operator closes it
    else if (kind == TASK_CALL && m_cancelled.load())
        done = 2;   // a request may still have gone through: the caller takes the cancel
    else if (m_result.load() > 0)
        done = 1;
    else if (kind == TASK_WIZARD_FIND || m_cancelled.load() || (kind == TASK_CALL && m_jobEndsAlways))
        done = 2;
    m_kind = TASK_NONE;
    // Not busy before the Close button shows, so its first click counts.
    m_busy = 0;
    QMetaObject::invokeMethod(this, [this, done] { JobEnded(done); }, Qt::QueuedConnection);
    if (done)
        spine::TaskDone::post(this, done);
}

int CTaskDlg::RunReadPass()
{
    ReadPassHooks hooks;
    hooks.read = [this](int index) -> std::optional<int> {
        if (m_ownReads)
            return readScreen(index);
        const TaskRequest one{TASK_READ_HARDWARE, m_reads[std::size_t(index)].first, {}};
        return m_call ? m_call(m_core, one) : std::nullopt;
    };
    hooks.cancelled = [this] { return m_cancelled.load() != 0; };
    hooks.step = [this](int index, int total) {
        QMetaObject::invokeMethod(this, [this, index, total] { OnReadStep(index, total); }, Qt::QueuedConnection);
    };
    hooks.pause = [this](int ms) {
        std::unique_lock<std::mutex> lock(m_stopMutex);
        m_stopWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop || m_cancelled.load(); });
    };
    const int rc = ReadHardwarePass(int(m_reads.size()), m_readPauseMs, hooks);
    if (rc == 0)
        QMetaObject::invokeMethod(this, [this] { setStatusText(platform::langString(kReadFailed)); },
                                  Qt::QueuedConnection);
    // A failure keeps the dialog open with its text; a cancel ends it.
    return rc > 0 ? 1 : 0;
}

// On the worker: the read stores nothing, its answer waits for the GUI thread.
std::optional<int> CTaskDlg::readScreen(int index)
{
    if (index < 0 || std::size_t(index) >= m_reads.size())
        return std::nullopt;
    const auto& [screen, link] = m_reads[std::size_t(index)];
    if (CCore::IsRoot(screen) != 1)
        return 0;
    ControllerAnswer answer = m_core.RetrieveHardwareInfo(link);
    const int rc = answer.result();
    m_answers.emplace_back(screen, std::move(answer));
    return rc;
}

// A cancelled read stores nothing, so no screen is left half read.
void CTaskDlg::storeAnswers()
{
    std::vector<std::pair<tagItemData*, ControllerAnswer>> answers;
    answers.swap(m_answers);
    if (IsCancelled())
        return;
    for (const auto& [screen, answer] : answers)
        if (answer.ok())
            spine::writeScreenBlock(m_core, screen, [&] { CCore::StoreAnswer(answer, screen->Global); });
}

// On the worker: the search writes no screen; what it found waits for the GUI thread.
std::optional<int> CTaskDlg::search()
{
    FoundControllers found = m_core.SearchConnections(0);
    const int rc = static_cast<int>(found.count);
    m_found = std::move(found);
    return rc;
}

std::optional<int> CTaskDlg::findAgain()
{
    if (!m_request.screen)
        return std::nullopt;
    if (!m_findScreen)
        return 0;
    FoundConnection found = m_core.SearchConnection(m_findOwn);
    const int rc = found.result;
    m_foundAgain = std::move(found);
    return rc;
}

// Screens for what a search found, also when it was cancelled: what was
// found before the cancel is kept. The command that started the search
// names them and puts them in the tree; one found again is announced by its
// command too (the wizard's screen is no screen of the tree yet).
void CTaskDlg::storeFound()
{
    if (m_found) {
        m_core.StoreConnections(*m_found, m_foundInto.replace, m_foundInto.start);
        m_found.reset();
    }
    if (m_foundAgain && m_findScreen)
        CCore::StoreConnection(*m_foundAgain, m_findScreen->Global);
    m_foundAgain.reset();
}

void CTaskDlg::OnReadStep(int index, int total)
{
    m_passRunning = index < total;
    m_progress->setValue(total > 0 ? index * 100 / total : 100);
    if (index < total)
        setStatusText(platform::langString(ReadStepTextId()).arg(index + 1).arg(total));
    setLinkShown(m_passRunning && !IsCancelled());
}

void CTaskDlg::JobEnded(int done)
{
    // The worker is past its last read of the copy: it goes with the thread.
    waitForWorker();
    m_copy.reset();
    storeAnswers();
    storeFound();
    m_passRunning = false;
    // A failed transfer reports no 100 %: the link would stay up with nothing to cancel.
    setLinkShown(false);
    m_close->show();
    if (!m_up) {
        // Hidden while the job ran: the callback can go back now.
        endReports();
        return;
    }
    if (!done && m_closePending.exchange(false))
        QDialog::done(2);
}

void CTaskDlg::OnCommProgress(const CommReport& report)
{
    applyReports({report});
}

void CTaskDlg::applyReports(const std::vector<CommReport>& reports)
{
    std::optional<int> bar;
    std::optional<QString> status;
    const bool linkBefore = m_linkShown;
    for (const CommReport& r : reports) {
        if (r.cmd == CBC_FIRMWARE_IMAGE)
            m_missedImage = true;
        const ProgressAction a = ProgressFor(r, IsCancelled(), m_linkShown);
        if (a.resetBar)
            bar = 0;
        if (a.link == ProgressAction::Link::Show)
            m_linkShown = true;
        if (a.bar)
            bar = a.bar;
        if (a.link == ProgressAction::Link::Hide)
            m_linkShown = false;
        if (a.status)
            status = a.status;
    }
    if (m_passRunning) {
        // The pass's steps own the bar and the link; the core's reports
        // give only their texts.
        bar.reset();
        m_linkShown = linkBefore;
    }
    if (bar)
        m_progress->setValue(*bar);
    if (m_linkShown != linkBefore || m_cancelLink->isVisible() != m_linkShown)
        setLinkShown(m_linkShown);
    if (status)
        setStatusText(*status);
}

void CTaskDlg::setStatusText(const QString& text)
{
    if (!text.isEmpty())
        m_status->setText(text);
}

void CTaskDlg::setLinkShown(bool shown)
{
    m_linkShown = shown;
    m_cancelLink->setVisible(shown);
    if (shown)
        m_cancelLink->setFocus();
}

void CTaskDlg::OnCancelTask()
{
    // Marked before the core hears it: the worker may end at once and must
    // then see its job as cancelled.
    {
        std::lock_guard<std::mutex> lock(m_stopMutex);
        m_cancelled = 1;
    }
    CCore::TerminateComm();
    m_stopWake.notify_all();
    setLinkShown(false);
}

void CTaskDlg::OnTaskDone(int result)
{
    QDialog::done(result);
}

void CTaskDlg::accept()
{
    // The OK command never ends this dialog.
}

void CTaskDlg::reject()
{
    if (IsBusy())
        return;
    QDialog::done(2);
}

void CTaskDlg::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Space && m_cancelLink->isVisible() && m_cancelLink->hasFocus()) {
        OnCancelTask();
        return;
    }
    QDialog::keyPressEvent(e);
}

void CTaskDlg::closeEvent(QCloseEvent* e)
{
    if (IsBusy()) {
        // The user's close box does nothing while a job runs; a close asked
        // for by the program (it is told to end) cancels the job and is
        // carried out when the job has ended.
        if (!e->spontaneous()) {
            m_closePending = true;
            if (!IsCancelled())
                OnCancelTask();
        }
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

bool CTaskDlg::event(QEvent* e)
{
    if (spine::TaskDone::dispatch(e, [this](int done) { OnTaskDone(done); }))
        return true;
    if (spine::Command::dispatch(e, [this](spine::CommandWord c, QObject*) {
            if (c.id == IDC_CANCEL_TASK)
                OnCancelTask();
        }))
        return true;
    return QDialog::event(e);
}

} // namespace dialogs
