// The program's central road through the real main window: a program list
// opened, its programs sent to the simulated controller over TCP through the
// communication task dialog; a refusing and a silent controller, and a
// cancel in the middle.
#include "FrameTestUtil.h"

#include "app/controls/StaticLink.h"
#include "app/dialogs/groups/SettingBulkProgram.h"
#include "app/dialogs/device/SettingSW.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/shell/TerminationSignal.h"
#include "app/dialogs/task/TaskDlg.h"
#include "core/api/ItemRecord.h"
#include "core/api/ItemTypes.h"
#include "core/link/Commands.h"
#include "core/link/SerialPorts.h"
#include "core/render/ContentCompiler.h"
#include "platform/Clock.h"
#include "support/RecordingClock.h"
#include "support/ModalScript.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <mutex>
#include <optional>

using namespace sorvane::render;

using namespace shell;

using namespace sorvane::link;

using dialogs::CTaskDlg;
using frametest::FrameHarness;
using support::RecordingClock;

namespace {

// Records every nominal wait and sleeps a fraction of it.
QString S(unsigned id)
{
    return platform::langString(id);
}

// Watches the task dialog while the frame runs it modally: what its status
// and bar showed, and an action to take on it.
class TaskWatch : public QObject {
public:
    using Action = std::function<void(CTaskDlg&)>;
    // Looks at the dialog before every event the application delivers, so
    // no state between two reports goes unseen.
    explicit TaskWatch(Action action = {}) : m_action(std::move(action))
    {
        m_bound.allow(QStringLiteral("dialogs::CTaskDlg"));
        qApp->installEventFilter(this);
    }
    ~TaskWatch() override { qApp->removeEventFilter(this); }
    QStringList texts;
    QList<int> values;
    bool seen = false;

    static QLabel* status(CTaskDlg& d) { return support::findByControlId<QLabel>(&d, CTaskDlg::IDC_STATUS); }
    static QProgressBar* bar(CTaskDlg& d) { return support::findByControlId<QProgressBar>(&d, CTaskDlg::IDC_PROGRESS); }
    static QPushButton* close(CTaskDlg& d) { return support::findByControlId<QPushButton>(&d, CTaskDlg::IDC_CLOSE); }
    static controls::CStaticLink* cancel(CTaskDlg& d)
    {
        return support::findByControlId<controls::CStaticLink>(&d, CTaskDlg::IDC_CANCEL_TASK);
    }

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        if (!m_polling) {
            m_polling = true;
            poll();
            m_polling = false;
        }
        return false;
    }

private:
    void poll()
    {
        CTaskDlg* d = CTaskDlg::LiveTaskDialog();
        if (!d || !d->isVisible())
            return;
        seen = true;
        if (texts.isEmpty() || texts.last() != status(*d)->text())
            texts << status(*d)->text();
        if (values.isEmpty() || values.last() != bar(*d)->value())
            values << bar(*d)->value();
        if (m_action)
            m_action(*d);
    }
    Action m_action;
    bool m_polling = false;
    // A task dialog that neither closes itself nor offers Close fails the
    // test with its text rather than holding it for ever.
    support::ModalScript m_bound{30000};
};

// Opens the program list as a new screen through the open command.
tagItemData* openList(FrameHarness& h, int width = 64, int height = 32)
{
    support::SeamScope seams;
    const QString path = h.writeProgramList(QStringLiteral("Lobby"), width, height);
    h.list()->SelectNode(nullptr);
    seams.nextFileName(path);
    QTest::mouseClick(support::findByControlId<QToolButton>(h.frame->MainToolBar(), ID_OPEN_FILE), Qt::LeftButton);
    tagItemData* screen = h.core.GetScreen(0);
    if (!screen || QString::fromUtf16(screen->Name) != QStringLiteral("Lobby"))
        return nullptr;
    return screen;
}

// The same, pointed at the controller over TCP.
tagItemData* openProgramList(FrameHarness& h, std::uint16_t port, int width = 64, int height = 32)
{
    tagItemData* screen = openList(h, width, height);
    if (!screen)
        return nullptr;
    frametest::bindTcp(screen, port);
    h.list()->SelectNode(screen);
    return screen;
}

// Two serial ports the machine seems to have.
void twoSystemPorts(std::vector<SSerInfo>& out)
{
    out.clear();
    for (const char* name : {"ttyS0", "ttyUSB0"}) {
        SSerInfo s;
        s.portName = QString::fromLatin1(name);
        s.devicePath = QStringLiteral("/dev/") + s.portName;
        out.push_back(s);
    }
}

struct SystemPortsScope {
    SystemPortsScope() { SetSerialEnumerator(twoSystemPorts); }
    ~SystemPortsScope() { SetSerialEnumerator(nullptr); }
};

// Chooses an entry of a drop list with the arrow keys, as a user would.
bool chooseByKeys(QComboBox* box, const QString& text)
{
    const int want = box ? box->findText(text) : -1;
    if (want < 0)
        return false;
    box->setFocus();
    while (box->currentIndex() != want)
        QTest::keyClick(box, box->currentIndex() < want ? Qt::Key_Down : Qt::Key_Up);
    return true;
}

void clickSend(FrameHarness& h)
{
    QTest::mouseClick(support::findByControlId<QToolButton>(h.frame->MainToolBar(), ID_SEND_PROGRAMS), Qt::LeftButton);
}

// The bulk dialog comes next: Send is clicked (and then Close) from the
// dialog's own loop, so the script answers the task dialogs the send opens.
void expectBulkSend(support::ModalScript& script, bool thenClose)
{
    script.expect(QStringLiteral("dialogs::CSettingBulkProgram"), [thenClose](QWidget* bulk) {
        QTimer::singleShot(0, bulk, [bulk, thenClose] {
            using Bulk = dialogs::CSettingBulkProgram;
            QTest::mouseClick(support::findByControlId<QPushButton>(bulk, Bulk::IDC_SEND), Qt::LeftButton);
            if (thenClose)
                QTest::mouseClick(support::findByControlId<QPushButton>(bulk, Bulk::IDC_CLOSE), Qt::LeftButton);
        });
    });
}

// Clicks Close once the job has ended in a failure.
TaskWatch::Action closeAfterFailure(QString& finalText)
{
    return [&finalText](CTaskDlg& d) {
        if (!d.IsBusy() && TaskWatch::close(d)->isVisible()) {
            finalText = TaskWatch::status(d)->text();
            QTest::mouseClick(TaskWatch::close(d), Qt::LeftButton);
        }
    };
}

} // namespace

TEST(SendRoad, AnOpenedProgramListReachesTheControllerInFourBlocksAndTheDialogClosesItself)
{
    RecordingClock clock;
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    tagItemData* screen = openProgramList(h, peer.port());
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(h.frame->Status().Text(2), S(44503));

    TaskWatch watch;
    clickSend(h);   // returns once the dialog has closed itself
    EXPECT_TRUE(watch.seen);
    EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);
    const std::vector<sim::Block> got = controller.blocks();
    ASSERT_EQ(got.size(), 4u);
    const std::uint8_t commands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(got[std::size_t(i)].header.command, commands[i]);
    EXPECT_EQ(clock.count(200), 3);
    // The bar rose to 100 and the last text was the program data's.
    EXPECT_EQ(watch.values.value(watch.values.size() - 1), 100);
    EXPECT_GE(watch.values.size(), 2);
    EXPECT_EQ(watch.texts.value(watch.texts.size() - 1), S(44000));
    // The frame's own callback is back.
    EXPECT_EQ(h.core.GetCommCallBack(), &spine::CoreRelay::commTrampoline);
    EXPECT_TRUE(h.frame->isVisible());
    // The dialog is gone; the status bar still says how it went.
    EXPECT_TRUE(QTest::qWaitFor([&] { return h.frame->Status().Text(1) == S(44000); }, 2000)) << h.frame->Status().Text(1).toStdString();
    EXPECT_NE(h.frame->Status().Text(2), S(59151));
}

TEST(SendRoad, AControllerThatHangsUpLeavesTheDialogOpenSayingTheLinkWasLost)
{
    platform::ScopedClockScale faster(50);
    sim::SimController controller;
    sim::Faults hangUp;
    hangUp.closeOnBlock = true;   // hangs up on the program data
    controller.setFaults(hangUp);
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    ASSERT_NE(openProgramList(h, peer.port()), nullptr);
    QString finalText;
    TaskWatch watch(closeAfterFailure(finalText));
    clickSend(h);
    EXPECT_EQ(finalText, S(44026));
    EXPECT_EQ(h.core.GetCommCallBack(), &spine::CoreRelay::commTrampoline);
}

TEST(SendRoad, ASilentControllerLeavesTheNoReplyText)
{
    platform::ScopedClockScale faster(50);
    sim::SimController controller;
    sim::Faults silent;
    silent.silent = true;
    controller.setFaults(silent);
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    ASSERT_NE(openProgramList(h, peer.port()), nullptr);
    QString finalText;
    TaskWatch watch(closeAfterFailure(finalText));
    clickSend(h);
    EXPECT_EQ(finalText, S(44008));
    EXPECT_FALSE(controller.blocks().empty());
}

TEST(SendRoad, ACancelInTheMiddleClosesTheDialogAndStopsTheTransfer)
{
    RecordingClock clock(4);   // 50 ms pauses between blocks
    sim::SimController controller;
    sim::Faults late;
    late.lateMs = 600;   // the program data's acknowledgement is slow to come
    controller.setFaults(late);
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    // Program data of many chunks, so that the cancel link is offered.
    ASSERT_NE(openProgramList(h, peer.port(), 512, 256), nullptr);
    bool clicked = false;
    // As soon as the dialog offers it.
    TaskWatch watch([&clicked](CTaskDlg& d) {
        if (!clicked && TaskWatch::cancel(d)->isVisible()) {
            clicked = true;
            QTest::mouseClick(TaskWatch::cancel(d), Qt::LeftButton);
        }
    });
    clickSend(h);
    EXPECT_TRUE(clicked);
    // The dialog closed by itself. The program data is the last of the four
    // blocks: a cancel that lands while it goes out leaves it unfinished and
    // the success text unshown; one that lands while its slow acknowledgement
    // is awaited finds every block already with the controller.
    EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);
    if (controller.blocks().size() < 4u) {
        EXPECT_NE(watch.texts.value(watch.texts.size() - 1), S(44000));
    }
    EXPECT_TRUE(h.frame->isVisible());
    EXPECT_TRUE(h.frame->isVisible());
}

// A send that reaches nothing, through the bulk send, which runs the task
// dialog on each ticked screen: the core counts it as done (1), but the
// dialog says that nothing went out and stays until the operator closes it.
TEST(SendRoad, ASendWithNothingInAnyWindowSaysSoInsteadOfClosingAsSent)
{
    platform::ScopedClockScale faster(50);
    for (const char* pack : {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"}) {
        sim::SimController controller;
        sim::TcpPeer peer(controller);
        FrameHarness h(pack);
        h.frame->show();
        tagItemData* start = h.core.GetScreen(0);   // the new screen of the first start
        tagItemData* screen = openProgramList(h, peer.port());
        ASSERT_NE(screen, nullptr);
        static_cast<CEditorScreenPanel*>(h.list())->View()->RemoveScreen(start);
        // One scene, one window, no item in it.
        tagItemData* window = screen->FirstChild->FirstChild;
        // A copy: DeleteItem clears the pointer it is given, and the tree's own link would leave the item unfreed.
        tagItemData* item = window->FirstChild;
        ASSERT_NE(item, nullptr);
        h.core.DeleteItem(item);
        ASSERT_EQ(window->FirstChild, nullptr);

        support::ModalScript script;
        QString shown, title;
        expectBulkSend(script, true);
        script.expect(QStringLiteral("dialogs::CTaskDlg"), [&](QWidget* m) {
            auto* d = qobject_cast<CTaskDlg*>(m);
            ASSERT_NE(d, nullptr);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !d->IsBusy() && TaskWatch::close(*d)->isVisible(); }, 3000));
            QCoreApplication::processEvents();
            shown = TaskWatch::status(*d)->text();
            title = d->windowTitle();
            EXPECT_TRUE(d->isVisible());
            EXPECT_TRUE(support::saveScreenshot(*d, QStringLiteral("shell"),
                                                QStringLiteral("task_nothing_to_send_") + QString::fromLatin1(pack).mid(3, 2).toLower()));
            QTest::mouseClick(TaskWatch::close(*d), Qt::LeftButton);
        });
        h.frame->OnCommand(shell::ID_BULK_SEND);
        EXPECT_EQ(script.pending(), 0);
        // Which screen it was, in the text and the title.
        const QString name = QString::fromUtf16(screen->Name);
        EXPECT_EQ(shown, S(46009).arg(name));
        EXPECT_TRUE(shown.contains(name));
        EXPECT_EQ(title, S(46044).arg(platform::langDialogText(CTaskDlg::IDD, 0), name));
        EXPECT_TRUE(controller.blocks().empty());
    }
}

// A picture item whose file is a device would go out black as a success:
// the send names the item and sends nothing, alone and in a bulk send.
TEST(SendRoad, APictureItemThatCannotBeDrawnFromItsFileIsNamedAndNothingIsSent)
{
    platform::ScopedClockScale faster(50);
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.frame->show();
    tagItemData* start = h.core.GetScreen(0);
    tagItemData* screen = openProgramList(h, peer.port());
    ASSERT_NE(screen, nullptr);
    static_cast<CEditorScreenPanel*>(h.list())->View()->RemoveScreen(start);
    tagItemData* picture = h.core.AddItem(IT_IMAGE, u"photo", screen->FirstChild->FirstChild, nullptr);
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(picture->Item.TypeRecord->set(records::picture::Path, QStringLiteral("/dev/zero")));
    const QString named = S(63031).arg(QStringLiteral("photo"));
    {
        support::SeamScope seams;
        seams.nextAnswer(QMessageBox::Ok);
        clickSend(h);
        EXPECT_EQ(controls::MessageBox::lastText(), named);
    }
    EXPECT_EQ(CCore::GetUndrawableItem(screen), picture);

    support::ModalScript script;
    QString shown, title;
    expectBulkSend(script, true);
    script.expect(QStringLiteral("dialogs::CTaskDlg"), [&](QWidget* m) {
        auto* d = qobject_cast<CTaskDlg*>(m);
        ASSERT_NE(d, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !d->IsBusy() && TaskWatch::close(*d)->isVisible(); }, 3000));
        QCoreApplication::processEvents();
        shown = TaskWatch::status(*d)->text();
        title = d->windowTitle();
        QTest::mouseClick(TaskWatch::close(*d), Qt::LeftButton);
    });
    h.frame->OnCommand(shell::ID_BULK_SEND);
    EXPECT_EQ(script.pending(), 0);
    EXPECT_EQ(shown, named);
    EXPECT_TRUE(title.contains(QString::fromUtf16(screen->Name)));
    EXPECT_TRUE(controller.blocks().empty());
}

TEST(SendRoad, AProgramListReachesAPseudoTerminalAddedByItsPathInTheSoftwareSettings)
{
    RecordingClock clock;
    SystemPortsScope systemPorts;
    sim::SimController controller;
    sim::PtyPeer peer(controller);
    const QString pty = QString::fromStdString(peer.slavePath());
    FrameHarness h;
    h.frame->show();
    tagItemData* screen = openList(h);
    ASSERT_NE(screen, nullptr);
    h.list()->SelectNode(screen);
    auto* comm = h.frame->PropertyPane()->findChild<panels::CPropertyScreenComm*>();
    ASSERT_NE(comm, nullptr);
    ASSERT_TRUE(comm->isVisible());
    auto* ports = support::findByControlId<QComboBox>(comm, panels::CPropertyScreenComm::IdSerial);
    ASSERT_NE(ports, nullptr);
    EXPECT_EQ(ports->findText(pty), -1);

    {
        // Software settings: the path typed, then OK.
        support::ModalScript script;
        script.expect(QStringLiteral("dialogs::CSettingSW"), [&pty](QWidget* m) {
            auto* edit = support::findByControlId<QLineEdit>(m, dialogs::CSettingSW::IDC_PORT_EDIT);
            ASSERT_NE(edit, nullptr);
            edit->setFocus();
            QTest::keyClicks(edit, pty);
            QTest::mouseClick(support::findByControlId<QPushButton>(m, dialogs::CSettingSW::IDC_OK), Qt::LeftButton);
        });
        h.frame->OnCommand(ID_SOFTWARE_SETTINGS);
        ASSERT_EQ(script.pending(), 0);
    }
    // The screen's link panel offers it at once; the user picks it.
    EXPECT_EQ(ports->count(), 3);
    auto* linkType = support::findByControlId<QComboBox>(comm, panels::CPropertyScreenComm::IdLinkType);
    ASSERT_NE(linkType, nullptr);
    ASSERT_TRUE(chooseByKeys(linkType, linkType->itemText(COMM_SERIAL)));
    EXPECT_EQ(screen->Global.CommType, std::uint32_t(COMM_SERIAL));
    ASSERT_TRUE(chooseByKeys(ports, pty));
    EXPECT_EQ(h.core.GetSerialPortName(int(screen->Global.SerialPort)), pty);

    clickSend(h);
    EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);
    ASSERT_TRUE(controller.waitForBlocks(4));
    // The four program blocks as the compiler makes them, byte for byte, and
    // on the line nothing but each block's header and data.
    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    using Size = std::size_t (*)(tagItemData*);
    using Copy = std::size_t (*)(tagItemData*, std::uint8_t*, std::size_t);
    const std::pair<Size, Copy> parts[] = {
        {CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap},
        {CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap},
        {CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask},
        {CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData},
    };
    const std::uint8_t commands[] = {TOS_PAGEMAP, TOS_PROGMAP, TOS_PROGMASK, TOS_PROGDATA};
    const std::vector<sim::Block> got = controller.blocks();
    ASSERT_EQ(got.size(), 4u);
    std::size_t onTheLine = 0;
    for (int i = 0; i < 4; ++i) {
        sim::Bytes want(parts[i].first(screen));
        parts[i].second(screen, want.data(), want.size());
        EXPECT_EQ(got[std::size_t(i)].header.command, commands[i]);
        EXPECT_EQ(got[std::size_t(i)].header.address, screen->Global.ID);
        EXPECT_EQ(got[std::size_t(i)].data, want) << "block " << i;
        onTheLine += kFrameHeaderSize + want.size();
    }
    CContentCompiler::FreeBuffers(screen);
    const std::vector<sim::Bytes> line = peer.received();
    ASSERT_EQ(line.size(), 1u);
    EXPECT_EQ(line[0].size(), onTheLine);
}

// The program told to end (SIGTERM, as a log-out or a plain kill sends it)
// while a send waits on a controller that takes nothing: the send is
// cancelled and the program gone within a second, whether the screens are
// saved on quitting or not.
TEST(SendRoad, QuittingDuringAHangingSendCancelsItAndEndsWithinASecond)
{
    for (int saveOnQuit : {1, 0}) {
        sim::SimController controller;
        sim::Faults deaf;
        deaf.neverRead = true;
        controller.setFaults(deaf);
        sim::TcpPeer peer(controller);
        FrameHarness h;
        h.app->Settings().isSaveLED = saveOnQuit;
        h.frame->show();
        shell::CloseWindowsOnTermination(h.frame.get());
        ASSERT_NE(openProgramList(h, peer.port(), 512, 256), nullptr);
        using Clock = std::chrono::steady_clock;
        std::optional<Clock::time_point> busySince, quitAt;
        TaskWatch watch([&](CTaskDlg& d) {
            if (!d.IsBusy() || quitAt)
                return;
            if (!busySince)
                busySince = Clock::now();
            else if (Clock::now() - *busySince > std::chrono::milliseconds(700)) {
                quitAt = Clock::now();
                ::raise(SIGTERM);
            }
        });
        QTimer tick;   // the watch looks at the dialog while the link is quiet too
        tick.start(20);
        clickSend(h);
        ASSERT_TRUE(quitAt) << saveOnQuit;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !h.frame->isVisible(); }, 3000)) << saveOnQuit;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *quitAt).count();
        EXPECT_LT(ms, 1000) << saveOnQuit;
        EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);
    }
}

// A quit during a bulk send ends the walk: no screen after the one being
// sent starts a send of its own, so the program ends within a second.
TEST(SendRoad, QuittingDuringABulkSendEndsTheWalkWithinASecond)
{
    sim::SimController controller;
    sim::Faults deaf;
    deaf.neverRead = true;
    controller.setFaults(deaf);
    sim::TcpPeer peer(controller);
    FrameHarness h;
    h.app->Settings().isSaveLED = 0;
    h.frame->show();
    shell::CloseWindowsOnTermination(h.frame.get());
    tagItemData* second = h.core.GetScreen(0);   // the new screen of the first start
    ASSERT_NE(openProgramList(h, peer.port(), 512, 256), nullptr);
    frametest::bindTcp(second, peer.port());

    support::ModalScript script(10000);
    expectBulkSend(script, false);
    script.allow(QStringLiteral("dialogs::CTaskDlg"));
    using Clock = std::chrono::steady_clock;
    std::optional<Clock::time_point> busySince, quitAt;
    QTimer tick;
    tick.start(20);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        CTaskDlg* d = CTaskDlg::LiveTaskDialog();
        if (quitAt || !d || !d->IsBusy())
            return;
        if (!busySince)
            busySince = Clock::now();
        else if (Clock::now() - *busySince > std::chrono::milliseconds(500)) {
            quitAt = Clock::now();
            ::raise(SIGTERM);
        }
    });
    h.frame->OnCommand(shell::ID_BULK_SEND);
    ASSERT_TRUE(quitAt);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !h.frame->isVisible(); }, 3000));
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *quitAt).count(), 1000);
    EXPECT_EQ(script.seen().count(QStringLiteral("dialogs::CTaskDlg")), 1) << script.seen().join(u' ').toStdString();
    EXPECT_EQ(CTaskDlg::LiveTaskDialog(), nullptr);
}
