// The frame's commands that open dialogs: the rights check, the settings,
// wizard, new-screen, bulk-send, USB and software dialogs, the updater, and
// a file opened into a screen.
#include "FrameTestUtil.h"

#include "app/spine/Messages.h"
#include "app/spine/NodeNotice.h"
#include "app/controls/IconButton.h"
#include "app/controls/StaticSplitter.h"
#include "app/editor/ChildFrame.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/shell/AppHelpers.h"
#include "app/shell/Thumbnail.h"
#include "app/tooltips/HtmlToolTip.h"
#include "core/api/Callbacks.h"
#include "core/model/Geometry.h"
#include "app/dialogs/task/TaskDlg.h"
#include "support/Heartbeat.h"
#include "support/ModalRunner.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QFile>
#include <QScrollArea>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <atomic>

using namespace shell;

using frametest::countRuns;
using frametest::FrameHarness;
using frametest::S;
using frametest::tipText;

TEST(MainFrame, TheUpdaterGetsVersionTitleAndTheCheckOnlyFlag)
{
    QStringList started;
    support::SeamScope s;
    s.frame().startDetached = [&started](const QString& program, const QStringList& args) {
        started << program + u'|' + args.join(u'|');
        return true;
    };
    FrameHarness h("UI_EN.rcc");
    h.frame->OnCommand(ID_CHECK_UPDATE);
    h.frame->OnCommand(ID_UPDATE);
    ASSERT_EQ(started.size(), 2);
    const QString prefix = QCoreApplication::applicationDirPath() + QStringLiteral("/upgrade|") + GetFileVersionText()
                         + u';' + h.frame->windowTitle();
    EXPECT_EQ(started[0], prefix + QStringLiteral(";-ONLYCHECK"));
    EXPECT_EQ(started[1], prefix);
}

TEST(MainFrame, SettingsCommandsPassTheRightsCheckFirst)
{
    bool allow = false;
    QList<int> asked, opened;
    support::SeamScope s;
    s.frame().accessGate = [&](int id, QWidget*) {
        asked << id;
        return allow;
    };
    s.frame().hardwareSettings = [&](QWidget*, tagItemData*) { opened << ID_HARDWARE_SETTINGS; return 1; };
    s.frame().wizard = [&](QWidget*) { opened << ID_WIZARD; return 1; };
    s.frame().softwareSettings = [&](QWidget*) { opened << ID_SOFTWARE_SETTINGS; return 1; };
    FrameHarness h("UI_EN.rcc");
    h.list()->SelectNode(h.core.GetScreen(0));
    h.frame->OnCommand(ID_HARDWARE_SETTINGS);
    h.frame->OnCommand(ID_WIZARD);
    EXPECT_EQ(asked, (QList<int>{ID_HARDWARE_SETTINGS, ID_WIZARD}));
    EXPECT_TRUE(opened.isEmpty());
    allow = true;
    h.frame->OnCommand(ID_HARDWARE_SETTINGS);
    h.frame->OnCommand(ID_WIZARD);
    EXPECT_EQ(opened, (QList<int>{ID_HARDWARE_SETTINGS, ID_WIZARD}));
    // The software settings need no rights.
    h.frame->OnCommand(ID_SOFTWARE_SETTINGS);
    EXPECT_EQ(asked.size(), 4);
    EXPECT_EQ(opened.value(2), ID_SOFTWARE_SETTINGS);
}

TEST(MainFrame, ThePaneFollowsALinkThatADialogOfTheFrameChanged)
{
    support::SeamScope s;
    s.frame().accessGate = [](int, QWidget*) { return true; };
    s.frame().networkSettings = [](QWidget*, tagItemData* screen) {
        frametest::bindTcp(screen, 9000);
        return 1;
    };
    tagItemData* target = nullptr;
    s.frame().wizard = [&target](QWidget*) {
        target->Global.CommType = COMM_SERIAL;
        return 1;
    };
    FrameHarness h("UI_EN.rcc");
    target = h.core.GetScreen(0);
    ASSERT_TRUE(h.list()->SelectNode(target));
    auto* comm = h.frame->PropertyPane()->findChild<panels::CPropertyScreenComm*>();
    ASSERT_NE(comm, nullptr);
    auto* linkType = support::findByControlId<QComboBox>(comm, panels::CPropertyScreenComm::IdLinkType);
    ASSERT_NE(linkType, nullptr);
    ASSERT_EQ(comm->shownLinkType(), COMM_SERIAL);
    h.frame->OnCommand(ID_NETWORK_SETTINGS);
    EXPECT_EQ(comm->shownLinkType(), COMM_NETWORK);
    EXPECT_EQ(linkType->currentIndex(), COMM_NETWORK);
    auto* port = support::findByControlId<QLineEdit>(comm, panels::CPropertyScreenComm::IdPort);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->text(), QStringLiteral("9000"));
    h.frame->OnCommand(ID_WIZARD);
    EXPECT_EQ(comm->shownLinkType(), COMM_SERIAL);
    EXPECT_EQ(linkType->currentIndex(), COMM_SERIAL);
}

TEST(MainFrame, TheSoftwareSettingsDialogOpensFromItsCommandAndAppliesItsOptions)
{
    FrameHarness h;
    h.app->Settings().isQuitNote = 0;
    support::ModalRunner runner([](QWidget* m) {
        // Tick "ask before quitting", then OK.
        auto* quitNote = support::findByControlId<QCheckBox>(m, 6313);
        ASSERT_NE(quitNote, nullptr);
        quitNote->setChecked(true);
        QTest::mouseClick(support::findByControlId<QPushButton>(m, 6276), Qt::LeftButton);
    });
    h.frame->OnCommand(ID_SOFTWARE_SETTINGS);
    EXPECT_TRUE(runner.answered());
    EXPECT_EQ(h.app->Settings().isQuitNote, 1);
}

TEST(MainFrame, TheWizardNewScreenBulkSendAndUsbCommandsOpenTheirDialogs)
{
    support::SeamScope rights;
    rights.frame().accessGate = [](int, QWidget*) { return true; };
    FrameHarness h("UI_EN.rcc");
    h.frame->show();
    ASSERT_TRUE(h.list()->SelectNode(h.core.GetScreen(0)));
    const struct {
        unsigned command;
        const char* dialog;
    } cases[] = {{ID_NEW_SCREEN, "dialogs::CNewScreenDlg"},
                 {ID_WIZARD, "dialogs::CWizard"},
                 {ID_BULK_SEND, "dialogs::CSettingBulkProgram"},
                 {ID_EXPORT_USB, "dialogs::CUFileConfigDlg"},
                 {ID_EXPORT_USB2, "dialogs::CUFileConfigDlg"}};
    for (const auto& c : cases) {
        h.frame->Status().ShowTip(QStringLiteral("-"));
        support::ModalRunner runner([](QWidget* m) { m->close(); });
        EXPECT_TRUE(h.frame->OnCommand(c.command));
        EXPECT_TRUE(runner.answered()) << c.command;
        EXPECT_EQ(runner.answeredClass(), QLatin1String(c.dialog)) << c.command;
        EXPECT_NE(tipText(*h.frame), S(48290)) << c.command;
    }
    // The new-screen dialog was cancelled: no screen was added.
    EXPECT_EQ(h.screenCount(), 1);
}

TEST(MainFrame, OpeningAFileIntoAScreenRetitlesItsWindowAndFitsItToTheNewSize)
{
    FrameHarness h;
    support::SeamScope seams;
    tagItemData* first = h.core.GetScreen(0);
    tagItemData* second = h.core.AddItem(IT_SCREEN, u"Screen2", nullptr, first);
    h.frame->Panel()->InsertItemTree(second);
    ASSERT_EQ(h.frame->OpenScreenWindow(second), 1);
    const QString path = h.writeProgramList(QStringLiteral("Lobby"), 128, 16);
    ASSERT_TRUE(h.list()->SelectNode(second));
    auto* child = editor::CChildFrame::ofCanvas(h.frame->FindItemWindow(second));
    ASSERT_NE(child, nullptr);
    QTest::qWait(10);
    const QSize before = child->size();
    support::EventCount relayouts(child, QEvent::Type(spine::WM_VIEW_RELAYOUT));

    seams.nextFileName(path);
    seams.nextAnswer(QMessageBox::No);   // the new screen was never saved
    h.frame->OnCommand(ID_OPEN_FILE);
    ASSERT_EQ(QString::fromUtf16(second->Name), QStringLiteral("Lobby"));
    EXPECT_EQ(child->windowTitle(), QStringLiteral("Lobby"));
    EXPECT_NE(editor::CChildFrame::ofCanvas(h.frame->FindItemWindow(first))->windowTitle(), QStringLiteral("Lobby"));
    EXPECT_EQ(h.frame->FindItemWindow(second)->contentSize(), QSize(128, 16));
    // The window is laid out once, from the change notice the load sends.
    QTRY_VERIFY(child->size() != before);
    QTest::qWait(10);
    EXPECT_EQ(relayouts.count(), 1);
}
