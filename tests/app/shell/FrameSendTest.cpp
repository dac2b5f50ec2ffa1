// The send road from the frame: the questions before a send (overlaps,
// nothing to send, an item too large), the link a send goes over, and the
// wizard's starter program sent at once.
#include "FrameTestUtil.h"
#include "OperatorRoad.h"

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
#include "core/api/UsbFile.h"
#include "core/model/Geometry.h"
#include "app/dialogs/task/TaskDlg.h"
#include "support/Heartbeat.h"
#include "support/ModalRunner.h"
#include "support/ModalScript.h"
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
#include <sys/stat.h>
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
using operatorroad::press;

namespace {

// Clicks Send with the screen selected in the tree, the message box it
// brings answered by `answer`; none may come without one.
void clickSend(FrameHarness& h, tagItemData* screen, std::function<void(QWidget*)> answer = {})
{
    ASSERT_TRUE(operatorroad::clickInTree(*h.frame, screen));
    if (answer) {
        support::ModalRunner box(std::move(answer));
        ASSERT_TRUE(operatorroad::toolButton(*h.frame, ID_SEND_PROGRAMS));
    } else {
        support::ModalScript none;
        ASSERT_TRUE(operatorroad::toolButton(*h.frame, ID_SEND_PROGRAMS));
    }
}

// Chooses the screen's context-menu entry of `command`, or with `other` the
// entry naming that screen in the `index`-th link submenu.
void chooseInTree(FrameHarness& h, tagItemData* screen, unsigned command, const tagItemData* other = nullptr,
                  int index = 0)
{
    QMenu* menu = operatorroad::treeMenu(*h.frame, screen);
    QAction* entry = other ? operatorroad::linkEntry(menu, index, QString::fromUtf16(other->Name))
                           : operatorroad::menuEntry(menu, command);
    ASSERT_NE(entry, nullptr) << command;
    ASSERT_TRUE(operatorroad::clickInMenu(menu, entry));
}

} // namespace

TEST(SendPrograms, TheOverlapQuestionListsAtMostTheTablesRowsAndNamesBothCounts)
{
    FrameHarness h;
    _tableOverlap table{};
    table.Capacity = 6;
    table.Count = 7;
    for (int i = 0; i < 6; ++i) {
        const std::u16string a = u"scene/a" + std::u16string(1, char16_t(u'0' + i));
        std::copy(a.begin(), a.end(), table.Rows[i].First);
        std::copy(a.begin(), a.end(), table.Rows[i].Second);
        table.Rows[i].Kind = std::uint16_t(i % 2);
    }
    const QString text = shell::FrameCommands::overlapMessage(table);
    QString want = S(32854);
    for (int i = 0; i < 6; ++i) {
        const QString p = QStringLiteral("scene/a%1").arg(i);
        want += S(32857) + p + S(32858) + p + S(32859) + S(i % 2 ? 32856 : 32855) + u'\n';
    }
    want += S(32860).arg(7).arg(6) + S(32861);
    EXPECT_EQ(text, want);
    EXPECT_TRUE(text.contains(u'7') && text.contains(u'6'));
}

TEST(SendPrograms, OverlappingSectionsAskAndCancelStopsWhileOkGoesOn)
{
    int runs = 0;
    support::SeamScope seams;
    countRuns(seams.frame(), runs);
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* s1 = h.core.AddItem(IT_WND_TEXT, u"one", scene, nullptr);
    tagItemData* s2 = h.core.AddItem(IT_WND_TEXT, u"two", scene, s1);
    h.core.ChangeItemRect(s1, 0, 0, 32, 16);
    h.core.ChangeItemRect(s2, 8, 8, 32, 16);
    h.core.AddItem(IT_TEXT, u"t", s1, nullptr);
    h.frame->Panel()->InsertItemTree(screen);
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));

    clickSend(h, screen, press(QMessageBox::Cancel));
    EXPECT_TRUE(controls::MessageBox::lastText().startsWith(S(32854)));
    EXPECT_EQ(runs, 0);
    clickSend(h, screen, press(QMessageBox::Ok));
    EXPECT_EQ(runs, 1);
    // Without overlap no question is asked.
    h.core.ChangeItemRect(s2, 40, 0, 16, 16);
    clickSend(h, screen);
    EXPECT_EQ(runs, 2);
}

TEST(SendPrograms, AScreenWithoutProgramsAsksToClearAndNoSendsNothing)
{
    int runs = 0;
    support::SeamScope seams;
    countRuns(seams.frame(), runs);
    FrameHarness h("UI_EN.rcc");
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    tagItemData* screen = h.core.GetScreen(0);
    frametest::bindTcp(screen, peer.port());
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));

    clickSend(h, screen, press(QMessageBox::No));
    EXPECT_EQ(controls::MessageBox::lastText(), S(57356));
    QTest::qWait(50);
    EXPECT_TRUE(peer.received().empty());

    clickSend(h, screen, press(QMessageBox::Yes));
    ASSERT_TRUE(controller.waitForBlocks(1));
    EXPECT_EQ(controller.clears(), 1);
    EXPECT_EQ(runs, 0);
}

TEST(SendPrograms, AnItemTooLargeForAControllerIsNamedAndNothingGoesOut)
{
    int runs = 0;
    int exports = 0;
    QTemporaryDir dir;
    support::SeamScope seams;
    countRuns(seams.frame(), runs);
    seams.frame().usbExport = [&](QWidget*, tagItemData*, spine::UsbExportChoice& choice) {
        ++exports;
        choice.folder = dir.path();
        choice.options = 1;
        return 1;
    };
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* section = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    h.core.ChangeItemRect(section, 0, 0, 64, 32);
    tagItemData* ticker = h.core.AddItem(IT_SINGLELINE, u"Long ticker", section, nullptr);
    // Far more than the 65,535 columns a controller can be told of.
    records::SetItemText(ticker, QString(12000, u'W'));
    h.core.Paint(ticker);
    h.frame->Panel()->InsertItemTree(screen);
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));

    clickSend(h, screen, press(QMessageBox::Ok));
    EXPECT_EQ(controls::MessageBox::lastText(), S(63030).arg(QStringLiteral("Long ticker")));
    EXPECT_EQ(runs, 0);

    {
        support::ModalRunner box(press(QMessageBox::Ok));
        ASSERT_TRUE(operatorroad::chooseFromMenuBar(*h.frame, ID_EXPORT_USB2));
    }
    EXPECT_EQ(exports, 1);
    EXPECT_EQ(controls::MessageBox::lastText(), S(63030).arg(QStringLiteral("Long ticker")));
    EXPECT_FALSE(QFile::exists(dir.filePath("program.dat")));

    // Once it fits, the send goes on.
    records::SetItemText(ticker, QStringLiteral("short"));
    h.core.Paint(ticker);
    clickSend(h, screen);
    EXPECT_EQ(runs, 1);
}

// A pipe where the USB-stick file goes is refused, named and left as it is.
TEST(SendPrograms, AUsbFileOverAPipeIsRefusedWithItsReason)
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath("program.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    support::SeamScope seams;
    seams.frame().usbExport = [&](QWidget*, tagItemData*, spine::UsbExportChoice& choice) {
        choice.folder = dir.path();
        choice.options = 2;
        return 1;
    };
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = h.core.GetScreen(0);
    h.frame->Panel()->InsertItemTree(screen);
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    {
        // The file is written as a job; its dialog ends by itself, then the refusal is named.
        support::ModalScript script;
        script.allow(QStringLiteral("dialogs::CTaskDlg"));
        script.expect(QStringLiteral("QMessageBox"), press(QMessageBox::Ok));
        ASSERT_TRUE(operatorroad::chooseFromMenuBar(*h.frame, ID_EXPORT_USB2));
        EXPECT_EQ(script.pending(), 0);
    }
    EXPECT_EQ(controls::MessageBox::lastText(), S(48348).arg(pipe));
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// The file is for the model chosen in the export dialog when its firmware
// is asked for, else for the screen's own; the screen keeps its model.
namespace {

// What each send run is handed: the link, and the screen's own send-through
// setting while the run goes on.
struct SendWatch {
    explicit SendWatch(support::SeamScope& seams)
    {
        countRuns(seams.frame(), runs, [this](tagItemData* s, const LinkSettings* link) {
            during = s->Global.TargetScreen;
            if (link)
                seen = *link;
        });
    }
    std::optional<LinkSettings> seen;
    tagItemData* during = nullptr;
    int runs = 0;
};

// The harness's first screen, given a scene with a text window and a text.
tagItemData* screenWithText(FrameHarness& h)
{
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    tagItemData* wnd = h.core.AddItem(IT_WND_TEXT, u"w", scene, nullptr);
    h.core.AddItem(IT_TEXT, u"t", wnd, nullptr);
    return screen;
}

} // namespace

TEST(SendPrograms, ToEveryControllerTheScreenKeepsItsOwnSetting)
{
    support::SeamScope seams;
    SendWatch watch(seams);
    watch.during = reinterpret_cast<tagItemData*>(1);
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = screenWithText(h);
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    chooseInTree(h, screen, 32954);   // send scenes, to all
    EXPECT_TRUE(QTest::qWaitFor([&] { return watch.runs == 1; }, 2000));
    EXPECT_EQ(watch.runs, 1);
    ASSERT_TRUE(watch.seen);
    EXPECT_EQ(watch.seen->Address, 255);
    EXPECT_EQ(watch.seen->Mode, screen->Global.CommType);
    EXPECT_EQ(watch.during, nullptr);
    EXPECT_EQ(screen->Global.TargetScreen, nullptr);
}

TEST(SendPrograms, ThroughAnotherScreenTheScreenKeepsItsOwnSetting)
{
    support::SeamScope seams;
    SendWatch watch(seams);
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = screenWithText(h);
    tagItemData* other = h.core.AddItem(IT_SCREEN, u"Other", nullptr, screen);
    other->Global.CommType = COMM_NETWORK;
    other->Global.ID = 7;
    other->Global.HostPort = 4321;
    h.list()->InsertItemTree(other);
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    // Stored with broadcast, and saved so.
    screen->Global.TargetScreen = TARGET_SCREEN_NONE;
    CPanelView* panel = static_cast<CEditorScreenPanel*>(h.list())->View();
    ASSERT_TRUE(panel->SaveScreen(screen, true));
    ASSERT_EQ(panel->IsScreenModified(screen), 0);
    chooseInTree(h, screen, 0, other);   // send scenes, through the other screen
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch.runs == 1; }, 2000));
    ASSERT_TRUE(watch.seen);
    EXPECT_EQ(watch.seen->Mode, std::uint32_t(COMM_NETWORK));
    EXPECT_EQ(watch.seen->Address, 7);
    EXPECT_EQ(watch.seen->HostPort, 4321);
    EXPECT_EQ(watch.during, TARGET_SCREEN_NONE);
    EXPECT_EQ(screen->Global.TargetScreen, TARGET_SCREEN_NONE);
    EXPECT_EQ(panel->IsScreenModified(screen), 0);
}

// A runner that keeps its requests (a queue, a log) still holds each lent
// link after the command that lent it has returned and the next one ran.
TEST(SendPrograms, AKeptRequestHoldsItsLinkAfterTheCommandReturned)
{
    support::SeamScope seams;
    std::vector<spine::TaskRequest> kept;
    seams.frame().runTask = [&kept](QWidget*, const spine::TaskRequest& request) {
        kept.push_back(request);
        return 1;
    };
    FrameHarness h("UI_EN.rcc");
    tagItemData* screen = screenWithText(h);
    screen->Global.ID = 3;
    tagItemData* other = h.core.AddItem(IT_SCREEN, u"Other", nullptr, screen);
    other->Global.CommType = COMM_NETWORK;
    other->Global.ID = 7;
    other->Global.HostPort = 4321;
    h.list()->InsertItemTree(other);
    ASSERT_TRUE(operatorroad::showFrame(*h.frame));
    chooseInTree(h, screen, 0, other);   // send scenes, through the other screen
    ASSERT_TRUE(QTest::qWaitFor([&] { return kept.size() == 1; }, 2000));
    chooseInTree(h, screen, 32953);   // then through its own link
    ASSERT_TRUE(QTest::qWaitFor([&] { return kept.size() == 2; }, 2000));
    ASSERT_EQ(kept.size(), 2u);
    ASSERT_NE(kept[0].link(), nullptr);
    ASSERT_NE(kept[1].link(), nullptr);
    EXPECT_EQ(kept[0].screen, screen);
    EXPECT_EQ(kept[0].link()->Address, 7);
    EXPECT_EQ(kept[0].link()->HostPort, 4321);
    EXPECT_EQ(kept[1].link()->Address, 3);
    EXPECT_EQ(kept[1].link()->Mode, screen->Global.CommType);
}

TEST(MainFrame, TheWizardsStarterProgramSplitsTheScreenIntoTwoTextWindows)
{
    FrameHarness h;
    tagItemData* header = h.core.CreateItemHeader();
    tagItemData* screen = h.core.AddItem(IT_SCREEN, u"new", header, nullptr);
    screen->Global.Width = 64;
    screen->Global.Height = 32;
    EXPECT_EQ(platform::sendMessage(h.frame.get(), spine::WM_WIZARD_FINISH, reinterpret_cast<platform::WPARAM>(screen), 1), 0);
    EXPECT_EQ(h.screenCount(), 2);
    ASSERT_NE(screen->FirstChild, nullptr);
    tagItemData* scene = screen->FirstChild;
    EXPECT_EQ(scene->Scene.TypeCode, IT_SCENE);
    tagItemData* a = scene->FirstChild;
    ASSERT_TRUE(a && a->NextSibling);
    tagItemData* b = a->NextSibling;
    EXPECT_EQ(a->Section.WndKind, IT_WND_TEXT);
    EXPECT_EQ(QRect(a->Section.RectX, a->Section.RectY, a->Section.RectW, a->Section.RectH), QRect(0, 0, 48, 32));
    EXPECT_EQ(QRect(b->Section.RectX, b->Section.RectY, b->Section.RectW, b->Section.RectH), QRect(48, 0, 16, 32));
    ASSERT_TRUE(a->FirstChild && b->FirstChild);
    EXPECT_EQ(a->FirstChild->Item.TypeCode, IT_TEXT);
    EXPECT_EQ(a->FirstChild->InEffect, 3);
    EXPECT_EQ(b->FirstChild->InEffect, 1);
    EXPECT_NE(h.frame->FindItemWindow(screen), nullptr);
    h.core.DeleteItem(header);
}
