// Every job the operator can start, run through the real windows against
// each kind of failure that can reach it: what the operator is shown is a
// failure text and never a success text, and the screen and its file are as
// they were. One table drives it: a job or a failure kind has its row or
// the table test fails.
#include "FrameTestUtil.h"

#include "app/dialogs/device/SettingHW.h"
#include "app/dialogs/device/SettingWIFI.h"
#include "app/dialogs/device/SettingWan.h"
#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/groups/SettingBulkProgram.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/dialogs/wizard/Wizard.h"
#include "app/dialogs/wizard/WizardPages.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyText.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/link/Commands.h"
#include "core/link/FirmwareImage.h"
#include "core/model/ProgramList.h"
#include "platform/Clock.h"
#include "support/ModalText.h"
#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace dialogs {
// Tests only: the rights mask has no setter, it only grows in the program.
struct AccessRightsTestReset {
    static void set(std::uint32_t v) { AccessRights::s_value = v; }
};
} // namespace dialogs

using namespace shell;
using dialogs::CTaskDlg;
using frametest::FrameHarness;
using frametest::S;

namespace {

enum class Failure {
    ClosedPort,       // no controller: nothing listens on the network port
    GonePty,          // no controller: its pseudo-terminal is gone
    Refuses,          // the controller refuses the request
    RefusedValues,    // its answer is refused for the values in it
    MissingInput,     // the job's input file is missing or cannot be read
    ReadOnlyTarget,   // the file the job writes cannot be written
    Count
};

enum class Job {
    Send, BulkSend, Clear, Reset, Switch, AdjustTime, ReadScreen, HwRead, HwWrite, IpRead, IpWrite, WifiRead,
    WifiWrite, WizardRead, WizardWrite, Search, Upgrade, UsbFile, Open, Save, Import, Count
};

const char* failureName(Failure f)
{
    static const char* const names[] = {"ClosedPort", "GonePty", "Refuses", "RefusedValues", "MissingInput",
                                        "ReadOnlyTarget"};
    return names[int(f)];
}

struct PairRun;
using Start = void (*)(PairRun&);

struct Row {
    Job job;
    const char* name;
    std::vector<Failure> failures;   // every kind that can reach the job
    std::uint8_t readCommand;        // the command whose answer RefusedValues spoils
    Start start;
    std::vector<unsigned> steps{};   // success texts of a step before the job's own, truthful
};

// Texts that say a job went through, and texts that say it did not.
const std::vector<unsigned> kSuccessIds{44000, 44001, 44002, 44003, 44005, 44012, 44013, 44015, 44017, 44018,
                                        44019, 44024, 44503, 44504, 48163, 48276, 48278};
const std::vector<unsigned> kFailureIds{44007, 44008, 44009, 44010, 44014, 44016, 44022, 44023, 44026, 44027, 44035,
                                        44500, 44501, 44502, 46007, 46008, 46009, 48164, 48277, 48279, 48340,
                                        48341, 48342, 57357, 63000, 63031};

// The document import's own refusals, which no pack holds yet.
const char* const kFailureLiterals[] = {"The file name is not valid.", "The document cannot be opened."};

// A pack text as a pattern: its values may be anything. A success is one of
// the lines shown whole; a failure may stand within a longer text.
bool matchesAny(const QString& text, const std::vector<unsigned>& ids, bool whole)
{
    for (unsigned id : ids) {
        const QString t = S(id);
        if (t.isEmpty())
            continue;
        QStringList pieces;
        for (const QString& piece : t.split(QRegularExpression(QStringLiteral("%\\d"))))
            pieces << QRegularExpression::escape(piece);
        const QString pattern = pieces.join(QStringLiteral(".*"));
        const QRegularExpression re(whole ? QStringLiteral("\\A(?:") + pattern + QStringLiteral(")\\z") : pattern,
                                    QRegularExpression::DotMatchesEverythingOption);
        for (const QString& line : whole ? text.split(u'\n') : QStringList{text})
            if (re.match(line).hasMatch())
                return true;
    }
    return false;
}

// Answers every modal window a job opens as the operator would and keeps
// each text shown: a task dialog's status (closed with Close once its job
// ended there), a message box's text (answered Yes, else its default).
// Anything still open after the bound is closed and fails the test.
class Operator : public QObject {
public:
    explicit Operator(std::function<bool(QWidget*)> own = {}) : m_own(std::move(own))
    {
        qApp->installEventFilter(this);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(2);
        m_since.start();
    }
    ~Operator() override { qApp->removeEventFilter(this); }
    QStringList shown;

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        if (!m_polling)
            look();
        return false;
    }

private:
    void keep(const QString& text)
    {
        if (!text.isEmpty() && !shown.contains(text))
            shown << text;
    }
    void look()
    {
        if (CTaskDlg* task = CTaskDlg::LiveTaskDialog())
            keep(support::findByControlId<QLabel>(task, CTaskDlg::IDC_STATUS)->text());
    }
    void poll()
    {
        m_polling = true;
        look();
        if (m_since.elapsed() > 30000) {
            if (QWidget* m = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "still open: " << support::describeModal(m).toStdString();
                support::closeModal(m);
            }
        }
        CTaskDlg* task = CTaskDlg::LiveTaskDialog();
        auto* close = task ? support::findByControlId<QPushButton>(task, CTaskDlg::IDC_CLOSE) : nullptr;
        if (close && !task->IsBusy() && close->isVisible()) {
            QTest::mouseClick(close, Qt::LeftButton);
        } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            keep(box->text());
            QAbstractButton* yes = box->button(QMessageBox::Yes);
            QAbstractButton* answer = yes ? yes : box->defaultButton() ? box->defaultButton() : box->buttons().value(0);
            if (answer)
                QTest::mouseClick(answer, Qt::LeftButton);
            else
                support::closeModal(box);
        } else if (QWidget* modal = QApplication::activeModalWidget(); modal && m_own && !m_handled.contains(modal)) {
            if (m_own(modal))
                m_handled << modal;
        }
        m_polling = false;
    }
    std::function<bool(QWidget*)> m_own;
    QList<QPointer<QWidget>> m_handled;
    QTimer m_timer;
    QElapsedTimer m_since;
    bool m_polling = false;
};

std::uint16_t closedPort()
{
    sim::SimController gone;
    sim::TcpPeer peer(gone);
    return peer.port();
}

void bindTcp(tagItemData* screen, std::uint16_t port)
{
    frametest::bindTcp(screen, port);
}

// The screen's serial link on its pseudo-terminal, which then goes: a port
// of that name no longer exists (the number itself is soon another's).
void bindGonePty(CCore& core, tagItemData* screen)
{
    QString path;
    {
        sim::SimController controller;
        sim::PtyPeer pty(controller);
        path = QStringLiteral("/nonexistent") + QString::fromStdString(pty.slavePath());
    }
    core.AddUserSerialPort(reinterpret_cast<const char16_t*>(path.utf16()));
    screen->Global.CommType = COMM_SERIAL;
    screen->Global.SerialPort = static_cast<std::uint32_t>(core.GetSerialPortNumber(path));
    screen->Global.BaudRate = 57600;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One pair's world: the main window with one screen opened from its file,
// a simulated controller, and the failure put in place.
struct PairRun {
    Failure failure;
    const Row& row;
    platform::ScopedClockScale faster{50};
    support::SeamScope seams;
    sim::SimController controller;
    sim::TcpPeer peer{controller};
    FrameHarness h{"UI_EN.rcc"};
    QTemporaryDir scratch;
    QString file;
    tagItemData* screen = nullptr;
    QStringList shown;
    QStringList statusBefore;

    PairRun(Failure f, const Row& r) : failure(f), row(r) {}

    bool open()
    {
        controller.setVersion(0x0E010100, 0x01000000, 0);
        h.frame->show();
        CCore scratchCore;
        tagItemData* s = scratchCore.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
        s->Global.Width = 64;
        s->Global.Height = 32;
        tagItemData* scene = scratchCore.AddItem(IT_SCENE, u"scene", s, nullptr);
        tagItemData* wnd = scratchCore.AddItem(IT_WND_TEXT, u"window", scene, nullptr);
        scratchCore.ChangeItemRect(wnd, 0, 0, 64, 32);
        scratchCore.AddItem(IT_TEXT, u"text", wnd, nullptr);
        file = h.folder + QStringLiteral("userdata/Lobby.pl");
        scratchCore.SavePL(s, reinterpret_cast<const char16_t*>(file.utf16()));
        tagItemData* start = h.core.GetScreen(0);
        h.list()->SelectNode(nullptr);
        seams.nextFileName(file);
        QTest::mouseClick(support::findByControlId<QToolButton>(h.frame->MainToolBar(), spine::ID_OPEN_FILE),
                          Qt::LeftButton);
        screen = h.core.GetScreen(0);
        if (!screen || QString::fromUtf16(screen->Name) != QStringLiteral("Lobby"))
            return false;
        static_cast<CEditorScreenPanel*>(h.list())->View()->RemoveScreen(start);
        h.list()->SelectNode(screen);
        return true;
    }

    void placeFailure(tagItemData* target)
    {
        switch (failure) {
        case Failure::ClosedPort: bindTcp(target, closedPort()); break;
        case Failure::GonePty: bindGonePty(h.core, target); break;
        case Failure::Refuses: {
            bindTcp(target, peer.port());
            sim::Faults refuse;
            refuse.refuseFrames = true;
            refuse.statusAfterFirst = 0xE5;
            controller.setFaults(refuse);
            break;
        }
        case Failure::RefusedValues:
            bindTcp(target, peer.port());
            controller.setAnswer(row.readCommand, sim::Bytes{0xFF, 0xFF, 0xFF});
            break;
        default: bindTcp(target, peer.port()); break;
        }
    }

    std::vector<std::uint8_t> image() const
    {
        return sorvane::model::BuildStoreImage(screen, sorvane::model::StoreSizeOf(screen));
    }

    void watchStatus()
    {
        statusBefore.clear();
        for (int pane = 0; pane < 3; ++pane)
            statusBefore << h.frame->Status().Text(pane);
    }
    void keepStatus()
    {
        for (int pane = 0; pane < 3; ++pane)
            if (const QString t = h.frame->Status().Text(pane); t != statusBefore.value(pane) && !t.isEmpty())
                shown << t;
    }
    void keepLabel(QWidget* owner, int id)
    {
        if (auto* l = support::findByControlId<QLabel>(owner, id); l && !l->text().isEmpty())
            shown << l->text();
    }
    void command(unsigned id, std::function<bool(QWidget*)> own = {})
    {
        Operator op(std::move(own));
        h.frame->OnCommand(id);
        QTest::qWait(20);
        shown << op.shown;
    }
    void click(QWidget* owner, int id)
    {
        Operator op;
        QTest::mouseClick(support::findByControlId<QAbstractButton>(owner, id), Qt::LeftButton);
        QTest::qWait(20);
        shown << op.shown;
    }
};

// A picture item whose file is a device: the send's or export's input.
void undrawablePicture(PairRun& r)
{
    tagItemData* wnd = r.screen->FirstChild->FirstChild;
    tagItemData* picture = r.h.core.AddItem(IT_IMAGE, u"photo", wnd, nullptr);
    picture->Item.TypeRecord->set(records::picture::Path, QStringLiteral("/dev/zero"));
}

void startSend(PairRun& r)
{
    if (r.failure == Failure::MissingInput)
        undrawablePicture(r);
    r.command(spine::ID_SEND_PROGRAMS);
}

void startBulk(PairRun& r)
{
    if (r.failure == Failure::MissingInput)
        undrawablePicture(r);
    r.command(spine::ID_BULK_SEND, [](QWidget* modal) {
        if (!qobject_cast<dialogs::CSettingBulkProgram*>(modal))
            return false;
        QTimer::singleShot(0, modal, [modal] {
            using Bulk = dialogs::CSettingBulkProgram;
            QTest::mouseClick(support::findByControlId<QPushButton>(modal, Bulk::IDC_SEND), Qt::LeftButton);
            QTest::mouseClick(support::findByControlId<QPushButton>(modal, Bulk::IDC_CLOSE), Qt::LeftButton);
        });
        return true;
    });
}

void startClear(PairRun& r)
{
    // A screen with nothing to send asks to clear the controller's programs.
    tagItemData* wnd = r.screen->FirstChild->FirstChild;
    tagItemData* text = wnd->FirstChild;
    r.h.core.DeleteItem(text);
    r.command(spine::ID_SEND_PROGRAMS);
}

template <unsigned Id>
void startCommand(PairRun& r)
{
    r.command(Id);
}

template <typename Dialog, int Button>
void startDialog(PairRun& r)
{
    Dialog dlg(r.h.core, r.screen, r.h.frame.get());
    dlg.show();
    r.click(&dlg, Button);
    r.keepLabel(&dlg, Dialog::IDC_RESULT);
}

template <bool Write>
void startWizard(PairRun& r)
{
    dialogs::CWizard w(r.h.core, r.h.frame.get());
    w.AddStandardPages();
    if (!w.InitDialog())
        return;
    w.show();
    w.GoToPage(4);
    r.placeFailure(w.screen());
    const tagGlobalInfo before = w.screen()->Global;
    QWidget* page = w.page(4);
    r.click(page, Write ? dialogs::CWizardHwConfig::IDC_WRITE : dialogs::CWizardHwConfig::IDC_READ);
    r.keepLabel(page, dialogs::CWizardHwConfig::IDC_RESULT);
    if (!Write)
        EXPECT_EQ(std::memcmp(&before, &w.screen()->Global, sizeof before), 0) << "the wizard's screen changed";
}

void startUpgrade(PairRun& r)
{
    QTemporaryDir empty;   // no update.dat beside the program
    sorvane::link::SetFirmwareFolder(empty.path());
    dialogs::AccessRightsTestReset::set(dialogs::RIGHT_DEVICE_SETTINGS | dialogs::RIGHT_UPGRADE);
    r.seams.nextFileName(QString());   // the image file asked for next: none chosen
    {
        dialogs::CSettingHW dlg(r.h.core, r.screen, r.h.frame.get());
        dlg.show();
        r.click(&dlg, dialogs::CSettingHW::IDC_UPGRADE);
        r.keepLabel(&dlg, dialogs::CSettingHW::IDC_RESULT);
    }
    dialogs::AccessRightsTestReset::set(0);
    sorvane::link::SetFirmwareFolder(QString());
}

void startUsb(PairRun& r)
{
    if (r.failure == Failure::MissingInput)
        undrawablePicture(r);
    QString folder = r.scratch.path();
    if (r.failure == Failure::ReadOnlyTarget) {
        // A file stands where the folder should be.
        folder = r.scratch.filePath(QStringLiteral("stick"));
        QFile f(folder);
        f.open(QIODevice::WriteOnly);
    }
    r.seams.frame().usbExport = [folder](QWidget*, tagItemData*, spine::UsbExportChoice& choice) {
        choice.folder = folder;
        choice.options = 1 | 2;
        return 1;
    };
    r.command(spine::ID_EXPORT_USB);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/program.dat")));
}

void startOpen(PairRun& r)
{
    r.h.list()->SelectNode(nullptr);
    const QString missing = r.scratch.filePath(QStringLiteral("gone.pl"));
    r.seams.nextFileName(missing);
    r.command(spine::ID_OPEN_FILE);
}

void startSave(PairRun& r)
{
    // Under a file, where no file can be made.
    const QString blocker = r.scratch.filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    f.open(QIODevice::WriteOnly);
    f.close();
    r.seams.nextFileName(blocker + QStringLiteral("/Lobby.pl"));
    r.command(spine::ID_SAVE_FILE_AS);
}

void startImport(PairRun& r)
{
    tagItemData* wnd = r.screen->FirstChild->FirstChild;
    r.h.list()->SelectNode(wnd);
    QCoreApplication::processEvents();
    auto* pane = r.h.frame->PropertyPane()->findChild<panels::CPanelProperty*>();
    auto* panel = pane ? qobject_cast<panels::CPropertyText*>(pane->windowPage()->currentMain()) : nullptr;
    ASSERT_NE(panel, nullptr);
    r.seams.nextFileName(r.scratch.filePath(QStringLiteral("gone.rtf")));
    QSignalSpy done(panel, &panels::CPropertyText::importFinished);
    // The failure is said when the read on its worker ends, which on a busy
    // machine is after the click's own wait: the operator stays until then.
    Operator op;
    QTest::mouseClick(support::findByControlId<QAbstractButton>(panel, panels::CPropertyText::IdImport),
                      Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.count() > 0; }, 20000));
    r.shown << op.shown << controls::MessageBox::lastText();
}

using F = Failure;
const std::vector<Failure> kNoController{F::ClosedPort, F::GonePty, F::Refuses};
// Writes the controller answers nothing to: no refusal can reach them.
const std::vector<Failure> kUnanswered{F::ClosedPort, F::GonePty};
const std::vector<Failure> kRead{F::ClosedPort, F::GonePty, F::Refuses, F::RefusedValues};

std::vector<Failure> with(std::vector<Failure> v, std::initializer_list<Failure> more)
{
    v.insert(v.end(), more);
    return v;
}

using namespace dialogs;
using namespace sorvane::link;

const std::array<Row, std::size_t(Job::Count)> kTable{{
    {Job::Send, "Send", with(kNoController, {F::MissingInput}), 0, startSend},
    {Job::BulkSend, "BulkSend", with(kNoController, {F::MissingInput}), 0, startBulk},
    {Job::Clear, "Clear", kUnanswered, 0, startClear},
    {Job::Reset, "Reset", kNoController, 0, startDialog<CSettingHW, CSettingHW::IDC_RESET>},
    {Job::Switch, "Switch", kUnanswered, 0, startCommand<spine::ID_DISPLAY_ON>},
    {Job::AdjustTime, "AdjustTime", kUnanswered, 0, startCommand<spine::ID_ADJUST_TIME>},
    {Job::ReadScreen, "ReadScreen", kRead, TOS_HWREADCFG, startCommand<spine::ID_READ_HARDWARE>},
    {Job::HwRead, "HwRead", kRead, TOS_HWREADCFG, startDialog<CSettingHW, CSettingHW::IDC_READ>},
    {Job::HwWrite, "HwWrite", kUnanswered, 0, startDialog<CSettingHW, CSettingHW::IDC_SEND>},
    {Job::IpRead, "IpRead", kRead, TOS_IPREADCFG, startDialog<CSettingWan, CSettingWan::IDC_READ>},
    {Job::IpWrite, "IpWrite", kUnanswered, 0, startDialog<CSettingWan, CSettingWan::IDC_WRITE>},
    {Job::WifiRead, "WifiRead", kRead, TOS_WIFIREADCFG, startDialog<CSettingWIFI, CSettingWIFI::IDC_READ>},
    {Job::WifiWrite, "WifiWrite", kUnanswered, 0, startDialog<CSettingWIFI, CSettingWIFI::IDC_WRITE>},
    {Job::WizardRead, "WizardRead", kRead, TOS_HWREADCFG, startWizard<false>},
    {Job::WizardWrite, "WizardWrite", kUnanswered, 0, startWizard<true>},
    {Job::Search, "Search", kNoController, 0, startCommand<spine::ID_FIND_SCREEN>},
    {Job::Upgrade, "Upgrade", with(kRead, {F::MissingInput}), TOS_READVER, startUpgrade, {44003}},
    {Job::UsbFile, "UsbFile", {F::MissingInput, F::ReadOnlyTarget}, 0, startUsb},
    {Job::Open, "Open", {F::MissingInput}, 0, startOpen},
    {Job::Save, "Save", {F::ReadOnlyTarget}, 0, startSave},
    {Job::Import, "Import", {F::MissingInput}, 0, startImport},
}};

struct Pair {
    Job job;
    Failure failure;
};

std::vector<Pair> allPairs()
{
    std::vector<Pair> out;
    for (const Row& row : kTable)
        for (Failure f : row.failures)
            out.push_back({row.job, f});
    return out;
}

class JobOutcome : public ::testing::TestWithParam<Pair> {};

} // namespace

TEST(JobOutcomeTable, EveryJobHasItsRowAndEveryFailureKindReachesAJob)
{
    for (std::size_t i = 0; i < kTable.size(); ++i)
        EXPECT_EQ(kTable[i].job, Job(i)) << kTable[i].name;
    for (int f = 0; f < int(Failure::Count); ++f) {
        bool used = false;
        for (const Row& row : kTable)
            used = used || std::find(row.failures.begin(), row.failures.end(), Failure(f)) != row.failures.end();
        EXPECT_TRUE(used) << failureName(Failure(f));
    }
    for (const Row& row : kTable) {
        const bool readsValues = std::find(row.failures.begin(), row.failures.end(), F::RefusedValues) != row.failures.end();
        EXPECT_EQ(readsValues, row.readCommand != 0) << row.name;
    }
    std::printf("[ figures ] %zu jobs x %d failure kinds: %zu pairs\n", kTable.size(), int(Failure::Count),
                allPairs().size());
}

TEST_P(JobOutcome, ShowsAFailureNeverASuccessAndLeavesTheScreenAndItsFile)
{
    const Row& row = kTable[std::size_t(GetParam().job)];
    PairRun r(GetParam().failure, row);
    ASSERT_TRUE(r.open());
    r.placeFailure(r.screen);
    if (r.failure == Failure::ReadOnlyTarget || r.failure == Failure::MissingInput)
        bindTcp(r.screen, r.peer.port());
    const QByteArray fileBefore = fileBytes(r.file);
    r.watchStatus();
    const tagGlobalInfo globalBefore = r.screen->Global;
    std::vector<std::uint8_t> before;
    // What the job may change is measured after its input is in place.
    const bool changesInput = row.job == Job::Clear
                              || (r.failure == Failure::MissingInput
                                  && (row.job == Job::Send || row.job == Job::BulkSend || row.job == Job::UsbFile));
    if (!changesInput)
        before = r.image();
    r.controller.clearRecords();
    const int blocksBefore = int(r.controller.blocks().size());
    row.start(r);
    r.keepStatus();

    SCOPED_TRACE(r.shown.join(QStringLiteral(" | ")).toStdString());
    bool failureShown = false;
    for (const QString& text : r.shown) {
        if (!matchesAny(text, row.steps, true))
            EXPECT_FALSE(matchesAny(text, kSuccessIds, true)) << "a success text: " << text.toStdString();
        failureShown = failureShown || matchesAny(text, kFailureIds, false)
                       || std::any_of(std::begin(kFailureLiterals), std::end(kFailureLiterals),
                                      [&](const char* l) { return text.contains(QLatin1String(l)); });
    }
    EXPECT_TRUE(failureShown) << "no failure text shown";
    EXPECT_EQ(fileBytes(r.file), fileBefore) << "the screen's file changed";
    if (row.job == Job::Upgrade) {
        // The version read before it went through: what it read is the controller's.
        tagGlobalInfo& g = r.screen->Global;
        g.HardwareId = globalBefore.HardwareId;
        g.RemoteVersion = globalBefore.RemoteVersion;
        g.VersionWord = globalBefore.VersionWord;
    }
    if (!changesInput) {
        EXPECT_EQ(r.image(), before) << "the screen changed";
        EXPECT_EQ(std::memcmp(&globalBefore, &r.screen->Global, sizeof globalBefore), 0) << "its settings changed";
    }
    if (r.failure == Failure::MissingInput && row.job != Job::Upgrade)
        EXPECT_EQ(int(r.controller.blocks().size()), blocksBefore) << "something was sent";
}

INSTANTIATE_TEST_SUITE_P(AllPairs, JobOutcome, ::testing::ValuesIn(allPairs()), [](const auto& info) {
    return std::string(kTable[std::size_t(info.param.job)].name) + "_" + failureName(info.param.failure);
});
