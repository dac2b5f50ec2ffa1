// The main frame itself: its layout and ids, the screens of the last
// session and how closing keeps them, notices, the Delete relay, the
// language, the toolbars, the thumbnail and the status panes.
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
#include "app/shell/ShellLang.h"
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
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <gtest/gtest.h>

#include <atomic>

using namespace shell;

using frametest::countRuns;
using frametest::FrameHarness;
using frametest::S;
using frametest::tipText;

TEST(MainFrame, StartsAt876By618WithFixedPanesToolbarsAndLanguageEntries)
{
    FrameHarness h;
    CMainFrame& f = *h.frame;
    EXPECT_EQ(f.size(), QSize(876, 618));
    EXPECT_EQ(f.windowTitle(), GetExeBaseName());
    f.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));

    EXPECT_EQ(f.Status().Pane(0)->width(), 120);
    EXPECT_EQ(f.Status().Pane(1)->width(), 125);
    EXPECT_GT(f.Status().Pane(2)->width(), 300);
    EXPECT_EQ(f.Status().Text(1), S(59150));
    EXPECT_EQ(f.Status().Text(2), S(59151));

    // Fixed panes: the screen panel's width and the property pane's height.
    EXPECT_EQ(f.InnerSplitter()->paneRect(0).width(), CMainFrame::kPanelWidth);
    EXPECT_EQ(f.OuterSplitter()->paneRect(1).height(), CMainFrame::kPropertyHeight);
    // The size the panels are laid out for is the one the pane starts with.
    auto* scroller = f.PropertyPane()->findChild<QScrollArea*>(QStringLiteral("propertyScroller"));
    ASSERT_NE(scroller, nullptr);
    EXPECT_EQ(scroller->size(), panels::kPaneDefaultSize);
    f.resize(1000, 700);
    QTest::qWait(20);
    EXPECT_EQ(f.InnerSplitter()->paneRect(0).width(), CMainFrame::kPanelWidth);
    EXPECT_EQ(f.OuterSplitter()->paneRect(1).height(), CMainFrame::kPropertyHeight);

    // Toolbar buttons show the text after the line feed; find has its drop-down.
    auto* send = support::findByControlId<QToolButton>(f.MainToolBar(), ID_SEND_PROGRAMS);
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->text(), S(ID_SEND_PROGRAMS).section(u'\n', 1));
    auto* find = support::findByControlId<QToolButton>(f.MainToolBar(), ID_FIND_SCREEN);
    ASSERT_NE(find, nullptr);
    ASSERT_NE(find->menu(), nullptr);
    EXPECT_EQ(find->menu()->actions().value(0)->text(), S(57348));
    ASSERT_NE(support::findByControlId<QToolButton>(f.SecondToolBar(), ID_PREVIEW), nullptr);
    for (int id = ID_KIND_FIRST; id <= ID_KIND_DELETE; ++id)
        EXPECT_NE(support::findByControlId<controls::CIconButton>(f.ItemKindBar(), id), nullptr) << id;

    // Language entries carry their codes; the setting's is checked.
    const int codes[] = {255, 4, 0x7C04, 9};
    for (unsigned id = shelltest::kAutoLanguageCommand; id <= shelltest::kEnglishCommand; ++id) {
        QAction* a = f.CommandAction(id);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->data().toInt(), codes[id - shelltest::kAutoLanguageCommand]);
        EXPECT_EQ(a->isChecked(), id == shelltest::kEnglishCommand);
    }
    // A status prompt lands in pane 0, the others keep their texts.
    QStatusTipEvent tip(QStringLiteral("prompt"));
    QCoreApplication::sendEvent(&f, &tip);
    EXPECT_EQ(f.Status().Text(0), QStringLiteral("prompt"));
    EXPECT_EQ(f.Status().Text(2), S(59151));
    // A link text longer than its pane widens the pane rather than being cut.
    QLabel* link = f.Status().Pane(1);
    link->setText(S(44010).arg(QStringLiteral("/dev/serial/by-id/usb-controller-port0")));
    EXPECT_TRUE(QTest::qWaitFor([link] { return link->width() >= link->sizeHint().width(); }, 1000));
    EXPECT_GT(link->width(), 125);
    EXPECT_GT(f.Status().Pane(2)->width(), 100);
}

TEST(MainFrame, WithoutRememberedScreensItStartsWithOneNewScreenWithoutAFile)
{
    FrameHarness h;
    ASSERT_EQ(h.screenCount(), 1);
    tagItemData* screen = h.core.GetScreen(0);
    EXPECT_TRUE(h.list()->ScreenFile(screen).isEmpty());
    EXPECT_NE(h.frame->FindItemWindow(screen), nullptr);
}

TEST(MainFrame, RemembersScreensSkipsAFileThatNoLongerLoadsAndPlacesTheNextAfterTheLastLoaded)
{
    FrameHarness h("UI_EN.rcc", false);
    const QString a = h.writeProgramList(QStringLiteral("A"));
    const QString c = h.writeProgramList(QStringLiteral("C"), 32, 16);
    const QString b = h.folder + QStringLiteral("userdata/B.pl");
    ASSERT_TRUE(shelltest::writeFile(b, "not a program list"));
    OpenScreenLists& lists = h.app->Settings().screens;
    lists.savePath = {QStringLiteral("userdata/A.pl"), b, c};
    lists.port = {8123};
    lists.commMode = {2};
    lists.addr = {QStringLiteral("10.1.2.3")};
    ASSERT_TRUE(h.frame->OnCreate());

    ASSERT_EQ(h.screenCount(), 2);
    tagItemData* first = h.core.GetScreen(0);
    tagItemData* second = h.core.GetScreen(1);
    EXPECT_EQ(QString::fromUtf16(first->Name), QStringLiteral("A"));
    EXPECT_EQ(QString::fromUtf16(second->Name), QStringLiteral("C"));
    EXPECT_EQ(second->Global.Width, 32);
    // Link settings of the first entry only; the others keep a new screen's.
    EXPECT_EQ(first->Global.HostPort, 8123);
    EXPECT_EQ(first->Global.CommType, 2u);
    EXPECT_STREQ(first->Global.Host, "10.1.2.3");
    EXPECT_NE(second->Global.HostPort, 8123);
    EXPECT_EQ(h.list()->ScreenFile(first), a);
    // The failed file named its path in the transfer pane.
    EXPECT_TRUE(h.frame->Status().Text(2).contains(S(44501)) || h.frame->Status().Text(2) == S(44503));
}

TEST(AppHelpers, AScreenFileIsStoredRelativeOnlyInsideTheProgramFolder)
{
    EXPECT_EQ(StoredScreenPath("/opt/tv/userdata/a.pl", "/opt/tv/"), "userdata/a.pl");
    EXPECT_EQ(StoredScreenPath("/opt/tv/userdata/a.pl", "/opt/tv"), "userdata/a.pl");
    // The folder's text elsewhere in the path, or a longer sibling name, is no prefix.
    EXPECT_EQ(StoredScreenPath("/home/u/opt/tv/a.pl", "/opt/tv/"), "/home/u/opt/tv/a.pl");
    EXPECT_EQ(StoredScreenPath("/opt/tvx/a.pl", "/opt/tv/"), "/opt/tvx/a.pl");
    EXPECT_EQ(StoredScreenPath("", "/opt/tv/"), "");
    EXPECT_EQ(ResolveScreenPath("userdata/a.pl", "/opt/tv/"), "/opt/tv/userdata/a.pl");
    EXPECT_EQ(ResolveScreenPath("/x/a.pl", "/opt/tv/"), "/x/a.pl");
}

TEST(MainFrame, ClosingRemembersEachScreensFileAndLink)
{
    FrameHarness h;
    const QString path = h.writeProgramList(QStringLiteral("Shop"));
    tagItemData* screen = h.core.AddItem(IT_SCREEN, u"x", nullptr, nullptr);
    ASSERT_EQ(h.frame->Panel()->LoadScreenFile(screen, path), 0);
    frametest::bindTcp(screen, 9000);
    h.app->Settings().isSaveLED = 0;
    EXPECT_TRUE(h.frame->close());
    const OpenScreenLists& lists = h.app->Settings().screens;
    ASSERT_EQ(lists.savePath.size(), 2);
    EXPECT_TRUE(lists.savePath.contains(QStringLiteral("userdata/Shop.pl")));
    EXPECT_EQ(lists.port.size(), 2u);
    EXPECT_EQ(h.screenCount(), 0);
}

TEST(MainFrame, NoticesAreTipsAtTheCursorAndCommandsWithoutAScreenSayNoScreen)
{
    support::SeamScope rights;
    rights.frame().accessGate = [](int, QWidget*) { return true; };
    FrameHarness h("UI_EN.rcc");
    h.frame->show();
    h.list()->SelectNode(nullptr);
    for (unsigned id : {ID_EXPORT_USB, ID_EXPORT_USB2, ID_SAVE_FILE, ID_SAVE_FILE_AS, ID_SEND_PROGRAMS, ID_ADJUST_TIME,
                        ID_DISPLAY_ON, ID_DISPLAY_OFF, ID_READ_HARDWARE, ID_HARDWARE_SETTINGS}) {
        h.frame->Status().ShowTip(QStringLiteral("-"));
        EXPECT_TRUE(h.frame->OnCommand(id));
        EXPECT_EQ(tipText(*h.frame), S(48170)) << id;
    }
    const unsigned notices[] = {0, 48218, 48219, 48220, 48221, 0, 48222, 48223, 48224};
    for (int code = 1; code <= 8; ++code) {
        h.frame->Status().OnEditorNotice(code, QStringLiteral("given"));
        EXPECT_EQ(tipText(*h.frame), code == 5 ? QStringLiteral("given") : S(notices[code])) << code;
    }
    EXPECT_FALSE(h.frame->OnCommand(12345));
}

TEST(MainFrame, ANoticeGivenWhileTheCursorIsAwayShowsOverTheWindow)
{
    FrameHarness h("UI_EN.rcc");
    h.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
    const QRect frame = h.frame->frameGeometry();
    for (const QPoint cursor : {frame.center(), QPoint(frame.right() + 300, frame.top() - 100)}) {
        QCursor::setPos(cursor);
        if (QCursor::pos() != cursor)
            GTEST_SKIP() << "the platform cannot move the cursor";
        h.frame->OnCommand(ID_CHECK_UPDATE);   // no updater beside the test: a notice
        ASSERT_EQ(tipText(*h.frame), S(48290));
        QWidget* tip = h.frame->Status().ToolTip();
        ASSERT_TRUE(QTest::qWaitFor([tip] { return tip->isVisible(); }, 2000));
        EXPECT_TRUE(frame.intersects(tip->geometry())) << cursor.x() << "," << cursor.y();
        tip->hide();
    }
}

TEST(MainFrame, DeleteInATextFieldEditsTheTextAndElsewhereDeletesTheSelectedScene)
{
    FrameHarness h;
    support::SeamScope seams;
    tagItemData* screen = h.core.GetScreen(0);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", screen, nullptr);
    h.frame->Panel()->InsertItemTree(screen);
    ASSERT_TRUE(h.list()->SelectNode(scene));
    auto* edit = new QLineEdit(QStringLiteral("abc"), h.frame->PropertyPane());
    h.frame->PropertyPane()->layout()->addWidget(edit);
    h.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
    QApplication::setActiveWindow(h.frame.get());

    edit->setFocus();
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(edit->text(), QStringLiteral("bc"));
    EXPECT_EQ(screen->FirstChild, scene);

    h.tree()->setFocus();
    seams.nextAnswer(QMessageBox::No);
    QTest::keyClick(h.tree(), Qt::Key_Delete);
    EXPECT_EQ(controls::MessageBox::lastText(), S(48172).arg(QStringLiteral("scene")));
    EXPECT_EQ(screen->FirstChild, scene);

    // In the tree's label editor: untouched, Delete asks about the scene;
    // once something is typed, it edits the name.
    h.tree()->editItem(h.tree()->itemOf(scene));
    auto* label = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(label, nullptr);
    seams.nextAnswer(QMessageBox::No);
    QTest::keyClick(label, Qt::Key_Delete);
    EXPECT_EQ(controls::MessageBox::lastText(), S(48172).arg(QStringLiteral("scene")));
    EXPECT_EQ(QString::fromUtf16(scene->Name), QStringLiteral("scene"));
    h.tree()->editItem(h.tree()->itemOf(scene));
    label = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(label, nullptr);
    QTest::keyClick(label, Qt::Key_End);
    QTest::keyClicks(label, "2");
    QTest::keyClick(label, Qt::Key_Home);
    QTest::keyClick(label, Qt::Key_Delete);
    EXPECT_EQ(label->text(), QStringLiteral("cene2"));
    QTest::keyClick(label, Qt::Key_Escape);
    h.tree()->setFocus();

    seams.nextAnswer(QMessageBox::Yes);
    QTest::keyClick(h.tree(), Qt::Key_Delete);
    EXPECT_EQ(screen->FirstChild, nullptr);
}

TEST(MainFrame, FindItemWindowFindsTheWindowOfANodesScreen)
{
    FrameHarness h;
    tagItemData* a = h.core.GetScreen(0);
    tagItemData* b = h.core.AddItem(IT_SCREEN, u"B", nullptr, a);
    h.frame->Panel()->InsertItemTree(b);
    tagItemData* scene = h.core.AddItem(IT_SCENE, u"scene", b, nullptr);
    QWidget* wa = h.frame->FindItemWindow(a);
    QWidget* wb = h.frame->FindItemWindow(scene);
    ASSERT_NE(wa, nullptr);
    ASSERT_NE(wb, nullptr);
    EXPECT_NE(wa, wb);
    EXPECT_EQ(h.frame->FindItemWindow(nullptr), nullptr);
    EXPECT_EQ(h.frame->OpenScreenWindow(scene), 0);
    EXPECT_EQ(h.frame->OpenScreenWindow(b), 1);
    EXPECT_EQ(h.frame->MdiArea()->subWindowList().size(), 2);
}

TEST(MainFrame, LanguageChangeRestartsOnlyWhenThePackChangesAndARefusedCloseKeepsTheOld)
{
    {
        FrameHarness h("UI_EN.rcc", true, 0x0804);
        h.app->Settings().language = 4;
        h.frame->show();
        h.frame->OnCommand(shelltest::kAutoLanguageCommand);   // automatic is Simplified Chinese here too
        EXPECT_EQ(h.app->Settings().language, 255);
        EXPECT_FALSE(h.app->Restart());
        EXPECT_TRUE(h.frame->isVisible());

        h.frame->OnCommand(shelltest::kEnglishCommand);
        EXPECT_EQ(h.app->Settings().language, 9);
        EXPECT_TRUE(h.app->Restart());
        EXPECT_FALSE(h.frame->isVisible());
    }
    {
        FrameHarness h;
        h.frame->show();
        // The operator keeps the screens open when asked.
        h.app->Settings().isQuitNote = 1;
        support::ModalRunner keep([](QWidget* m) { static_cast<QDialog*>(m)->reject(); });
        h.frame->OnCommand(shelltest::kSimplifiedCommand);
        EXPECT_TRUE(keep.answered());
        EXPECT_EQ(h.app->Settings().language, 9);
        EXPECT_FALSE(h.app->Restart());
        EXPECT_TRUE(h.frame->isVisible());
        EXPECT_TRUE(h.frame->CommandAction(shelltest::kEnglishCommand)->isChecked());
    }
}

TEST(MainFrame, TheToolbarsCommandHidesAndShowsTheBars)
{
    FrameHarness h;
    h.frame->show();
    h.frame->OnCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(h.frame->MainToolBar()->isVisible());
    EXPECT_FALSE(h.frame->CommandAction(ID_VIEW_TOOLBAR)->isChecked());
    h.frame->OnCommand(ID_VIEW_TOOLBAR);
    EXPECT_TRUE(h.frame->ItemKindBar()->isVisible());
}

TEST(MainFrame, ItemKindButtonsAddScenesAndSectionsToTheSelection)
{
    FrameHarness h;
    h.frame->show();
    tagItemData* screen = h.core.GetScreen(0);
    h.list()->SelectNode(screen);
    QTest::mouseClick(support::findByControlId<QWidget>(h.frame->ItemKindBar(), 6122), Qt::LeftButton);
    ASSERT_NE(screen->FirstChild, nullptr);
    EXPECT_EQ(screen->FirstChild->Scene.TypeCode, IT_SCENE);
    QTest::mouseClick(support::findByControlId<QWidget>(h.frame->ItemKindBar(), 6124), Qt::LeftButton);
    ASSERT_NE(screen->FirstChild->FirstChild, nullptr);
    EXPECT_EQ(screen->FirstChild->FirstChild->Section.WndKind, IT_WND_TEXT);
}

TEST(MainFrame, ScreenshotsWithTwoScreensOpenInEachLanguage)
{
    const char* packs[] = {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"};
    const char* names[] = {"en", "cn", "tw"};
    const QFont interfaceFont = QApplication::font();
    for (int i = 0; i < 3; ++i) {
        FrameHarness h(packs[i], false);
        useInterfaceFace();   // as the program does at start, with the pack's face where it is installed
        const QString a = h.writeProgramList(QStringLiteral("Lobby"));
        const QString b = h.writeProgramList(QStringLiteral("Window"), 96, 16);
        h.app->Settings().screens.savePath = {a, b};
        ASSERT_TRUE(h.frame->OnCreate());
        ASSERT_EQ(h.screenCount(), 2);
        for (tagItemData* s = h.core.GetScreen(0); s; s = s->NextSibling)
            if (s->FirstChild) {
                QImage red(PreviewSizeOf(s->FirstChild), QImage::Format_RGB32);
                red.fill(QColor(200, 40, 40));
                SetNodePicture(s->FirstChild, red);
            }
        h.frame->resize(1000, 700);
        h.frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
        h.frame->MdiArea()->tileSubWindows();
        QTest::qWait(30);
        // Labelled in the pack's language.
        auto* send = support::findByControlId<QToolButton>(h.frame->MainToolBar(), ID_SEND_PROGRAMS);
        ASSERT_NE(send, nullptr);
        EXPECT_EQ(send->text(), S(ID_SEND_PROGRAMS).section(u'\n', 1));
        EXPECT_FALSE(send->text().isEmpty());
        EXPECT_EQ(h.frame->Status().Text(1), S(59150)) << names[i];
        EXPECT_EQ(h.frame->MdiArea()->subWindowList().size(), 2);
        const QString dir = QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + QStringLiteral("/shell");
        QDir().mkpath(dir);
        EXPECT_TRUE(h.frame->grab().save(dir + QStringLiteral("/mainframe_%1.png").arg(QLatin1String(names[i]))));
    }
    QApplication::setFont(interfaceFont);
}

TEST(MainFrame, TheThumbnailKeepsToTheBottomRightCorner)
{
    FrameHarness h;
    h.frame->show();
    auto* thumb = new QWidget;
    thumb->resize(100, 80);
    h.frame->SetThumbnail(thumb);
    for (QSize size : {QSize(900, 650), QSize(1100, 760)}) {
        h.frame->resize(size);
        QTest::qWait(20);
        const QRect area = h.frame->MdiArea()->viewport()->rect();
        EXPECT_EQ(thumb->geometry().bottomRight(), area.bottomRight());
        EXPECT_EQ(thumb->size(), QSize(100, 80));
    }
}

TEST(MainFrame, TheThumbnailSitsHiddenInTheScreenAreaAndIsTheCanvasesThumbnail)
{
    FrameHarness h;
    h.frame->show();
    auto* thumb = h.frame->MdiArea()->viewport()->findChild<shell::CThumbnail*>();
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(h.frame->Port().thumbnailReceiver(), thumb);
    EXPECT_FALSE(thumb->isVisible());
    h.frame->resize(1000, 700);
    QTest::qWait(20);
    EXPECT_EQ(thumb->geometry().bottomRight(), h.frame->MdiArea()->viewport()->rect().bottomRight());
    thumb->showThumbnail(64, 32, nullptr);
    EXPECT_TRUE(thumb->isVisible());
}

TEST(MainFrame, AStatusTextLongerThanItsPaneEndsInAnEllipsisAndShowsWholeAsATip)
{
    FrameHarness h;
    h.frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
    QLabel* pane = h.frame->Status().Pane(1);
    ASSERT_NE(pane, nullptr);
    // Longer than the whole bar: the pane widens as far as the bar allows,
    // and what still does not fit ends in an ellipsis.
    const QString whole = QStringLiteral("Hardware settings sent to the controller at address 12. ").repeated(8);
    pane->setText(whole);
    QCoreApplication::processEvents();
    EXPECT_GE(pane->width(), 125);
    EXPECT_LE(pane->geometry().right(), h.frame->statusBar()->width());
    EXPECT_EQ(h.frame->Status().Text(1), whole);
    const auto tipOver = [pane] {
        QHelpEvent tip(QEvent::ToolTip, pane->rect().center(), pane->mapToGlobal(pane->rect().center()));
        QCoreApplication::sendEvent(pane, &tip);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipOver(), whole);
    // What is drawn is the start of the text with an ellipsis, where a
    // label would put it.
    const QImage drawn = pane->grab().toImage();
    const int indent = pane->fontMetrics().horizontalAdvance(u'x') / 2;
    const int room = pane->contentsRect().width() - 2 * pane->margin() - indent;
    const QString cut = pane->fontMetrics().elidedText(whole, Qt::ElideRight, room);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    pane->setText(cut);
    EXPECT_EQ(pane->grab().toImage(), drawn);
    // A text that fits needs no tip.
    pane->setText(QStringLiteral("Ready"));
    tipOver();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
}

// Moving the keyboard focus selects nothing: Tab and Shift+Tab from the
// communication panel's Port field walk past the other screen's window
// without activating it, so the tree stays on this screen and the next send
// goes to its controller.
TEST(MainFrame, TabFromThePortFieldKeepsTheSelectedScreen)
{
    FrameHarness h;
    h.frame->show();
    h.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(h.frame.get()));
    tagItemData* first = h.core.GetScreen(0);
    tagItemData* second = h.core.AddItem(IT_SCREEN, u"Screen2", nullptr, first);
    frametest::bindTcp(second, 9000);
    h.frame->Panel()->InsertItemTree(second);
    ASSERT_TRUE(h.list()->SelectNode(second));
    QCoreApplication::processEvents();
    auto* comm = h.frame->PropertyPane()->findChild<panels::CPropertyScreenComm*>();
    ASSERT_NE(comm, nullptr);
    auto* port = support::findByControlId<QLineEdit>(comm, panels::CPropertyScreenComm::IdPort);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->isVisible());
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        QTest::mouseClick(port, Qt::LeftButton);
        ASSERT_TRUE(port->hasFocus());
        for (int i = 0; i < 12; ++i) {
            QTest::keyClick(QApplication::focusWidget(), key);
            QCoreApplication::processEvents();
            ASSERT_EQ(h.list()->GetSelectedScreen(), second) << "key " << key << " press " << i;
        }
    }
    EXPECT_EQ(comm->node(), second);
}

TEST(MainFrame, ScreenshotsOfTheToolbarTipsAndTheFindDropDown)
{
    const char* packs[] = {"UI_EN.rcc", "UI_CN.rcc", "UI_TW.rcc"};
    const char* names[] = {"en", "cn", "tw"};
    for (int i = 0; i < 3; ++i) {
        FrameHarness h(packs[i]);
        h.frame->resize(1000, 700);
        h.frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
        QToolBar* bar = h.frame->MainToolBar();
        // One row per button: the bar with the tip a hover shows under it.
        QList<QImage> rows;
        for (unsigned id : {ID_FIND_SCREEN, ID_SEARCH, ID_ADJUST_TIME, ID_DISPLAY_ON, ID_DISPLAY_OFF}) {
            auto* button = support::findByControlId<QToolButton>(bar, int(id));
            ASSERT_NE(button, nullptr) << id;
            const QPoint at = button->rect().center();
            QHelpEvent hover(QEvent::ToolTip, at, button->mapToGlobal(at));
            QCoreApplication::sendEvent(button, &hover);
            ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000)) << id;
            EXPECT_EQ(QToolTip::text(), S(id).section(u'\n', 0, 0)) << names[i] << " " << id;
            QWidget* tip = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits("QTipLabel") && w->isVisible())
                    tip = w;
            ASSERT_NE(tip, nullptr);
            QImage row(bar->width(), bar->height() + tip->height() + 8, QImage::Format_RGB32);
            row.fill(Qt::white);
            {
                QPainter p(&row);
                bar->render(&p);
                p.drawPixmap(QPoint(std::clamp(bar->mapFromGlobal(tip->pos()).x(), 0, row.width() - tip->width()),
                                    bar->height() + 4),
                             tip->grab());
            }
            rows << row;
            QToolTip::hideText();
        }
        // The Find button's drop-down.
        auto* find = support::findByControlId<QToolButton>(bar, ID_FIND_SCREEN);
        ASSERT_TRUE(find && find->menu());
        find->menu()->popup(find->mapToGlobal(QPoint(0, find->height())));
        QTest::qWait(20);
        EXPECT_EQ(find->menu()->actions().value(0)->text(), S(57348));
        QImage drop(bar->width(), bar->height() + find->menu()->height() + 8, QImage::Format_RGB32);
        drop.fill(Qt::white);
        {
            QPainter p(&drop);
            bar->render(&p);
            p.drawPixmap(find->mapTo(bar, QPoint(0, find->height())), find->menu()->grab());
        }
        find->menu()->close();
        rows << drop;
        int height = 0;
        for (const QImage& r : rows)
            height += r.height();
        QImage shot(bar->width(), height, QImage::Format_RGB32);
        shot.fill(Qt::white);
        {
            QPainter p(&shot);
            int y = 0;
            for (const QImage& r : rows) {
                p.drawImage(0, y, r);
                y += r.height();
            }
        }
        const QString dir = QString::fromLocal8Bit(qgetenv("TAVRELO_TEST_OUTPUT")) + QStringLiteral("/shell");
        QDir().mkpath(dir);
        EXPECT_TRUE(shot.save(dir + QStringLiteral("/toolbar_tips_%1.png").arg(QLatin1String(names[i]))));
    }
}
