// The road a new user takes, through the real program: first start in an
// empty folder, a screen set up by the wizard against the simulated
// controller over the network, a scene with a text, a picture and a clock
// made with the item-kind bar and the panels, the preview, the send, the
// save, quitting, and a second start that finds everything again. Every
// modal dialog on the way is answered by a script with a time-out; a
// question nobody expected fails the road.
#include "ShellTestUtil.h"
#include "PreviewProbe.h"

#include "app/controls/IconButton.h"
#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/access/AuthorityDlg.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/dialogs/wizard/Wizard.h"
#include "app/dialogs/wizard/WizardPages.h"
#include "app/editor/Editor.h"
#include "app/editor/ScreenLed.h"
#include "app/editor/SectionLed.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyEffectText.h"
#include "app/panels/PropertyImg.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertySceneTimer.h"
#include "app/panels/PropertySection.h"
#include "app/panels/PropertyText.h"
#include "app/preview/PreView.h"
#include "app/shell/CommandTables.h"
#include "app/shell/EditorPanel.h"
#include "app/shell/MainApp.h"
#include "app/shell/MainFrame.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "core/api/TypeRecords.h"
#include "core/link/Commands.h"
#include "core/render/ContentCompiler.h"
#include "platform/Clock.h"
#include "support/ModalScript.h"
#include "support/Screenshots.h"
#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QCheckBox>
#include <QComboBox>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>

using namespace sorvane::render;

using namespace shell;

using namespace sorvane::link;

namespace dialogs {
// Tests only: the rights mask has no setter, it only grows in the program.
struct AccessRightsTestReset {
    static void set(std::uint32_t v) { AccessRights::s_value = v; }
};
} // namespace dialogs

using namespace shelltest;

using support::findByControlId;

namespace {

struct Language {
    const char* tag;
    int userLangId;
    // Written to an otherwise empty "config.ini" (0: no file): Traditional
    // Chinese is never chosen automatically.
    int setting;
};

const Language kLanguages[] = {{"en", 0x0409, 0}, {"cn", 0x0804, 0}, {"tw", 0x0409, 0x7C04}};

void PrintTo(const Language& lang, std::ostream* os)
{
    *os << lang.tag;
}

CMainApp::Environment roadEnv(const QString& folder, const Language& lang)
{
    CMainApp::Environment env;
    env.appFolder = folder;
    env.instanceName = uniqueName("road");
    env.userLangId = lang.userLangId;
    env.minimumSplashMs = 0;
    env.hasRawCapability = [] { return true; };
    env.startProcess = [](const QString&, const QStringList&) { return true; };
    return env;
}

// A control by its id; the road fails when it is missing or disabled.
template <typename W>
W* control(QObject* in, int id)
{
    W* w = findByControlId<W>(in, id);
    EXPECT_NE(w, nullptr) << "control " << id;
    if (w) {
        EXPECT_TRUE(w->isEnabled()) << "control " << id;
    }
    return w;
}

using support::click;

void typeInto(QLineEdit* edit, const QString& text)
{
    if (!edit)
        return;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
}

// Picks a row of a list with the keyboard, as a user without the mouse does.
void pick(QComboBox* combo, int row)
{
    ASSERT_NE(combo, nullptr);
    ASSERT_GE(row, 0);
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < row; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(combo->currentIndex(), row);
}

editor::CEditor* treeOf(CMainFrame& frame)
{
    return static_cast<CEditorScreenPanel*>(frame.Panel())->Editor();
}

// Clicks the node's row in the item tree.
bool clickInTree(CMainFrame& frame, tagItemData* node)
{
    editor::CEditor* tree = treeOf(frame);
    QTreeWidgetItem* item = tree->itemOf(node);
    if (!item)
        return false;
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    // What the click set going (a screen window opening, activating) runs
    // before the user's next step, as in the program's own event loop.
    QCoreApplication::processEvents();
    return tree->selectedNode() == node;
}

void command(CMainFrame& frame, unsigned id)
{
    QAction* a = frame.CommandAction(id);
    ASSERT_NE(a, nullptr) << id;
    ASSERT_TRUE(a->isEnabled()) << id;
    a->trigger();
}

void toolButton(CMainFrame& frame, unsigned id)
{
    click(control<QToolButton>(frame.MainToolBar(), int(id)));
}

void kindButton(CMainFrame& frame, unsigned id)
{
    click(control<controls::CIconButton>(frame.ItemKindBar(), int(id)));
    QCoreApplication::processEvents();
}

panels::CPanelProperty* paneOf(CMainFrame& frame)
{
    return frame.PropertyPane()->findChild<panels::CPanelProperty*>();
}

void typeInto(QSpinBox* spin, int value)
{
    if (!spin)
        return;
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));
    QTest::keyClick(spin, Qt::Key_Return);
}

// Places the selected section through the section panel's four fields,
// the size first so that the place is never out of the screen.
void placeSection(CMainFrame& frame, int x, int y, int w, int h)
{
    QWidget* panel = paneOf(frame)->windowPage()->section();
    typeInto(control<QSpinBox>(panel, panels::CPropertySection::IdWidth), w);
    typeInto(control<QSpinBox>(panel, panels::CPropertySection::IdHeight), h);
    typeInto(control<QSpinBox>(panel, panels::CPropertySection::IdX), x);
    typeInto(control<QSpinBox>(panel, panels::CPropertySection::IdY), y);
}

// LEDs of the section's canvas that are not dark.
int litLeds(editor::CScreenLed* canvas, tagItemData* section)
{
    editor::CSectionLed* led = canvas ? canvas->sectionCanvas(section) : nullptr;
    if (!led)
        return -1;
    const QImage content = led->content().convertToFormat(QImage::Format_RGB32);
    int lit = 0;
    for (int y = 0; y < content.height(); ++y)
        for (int x = 0; x < content.width(); ++x) {
            const QRgb c = content.pixel(x, y);
            lit += std::max({qRed(c), qGreen(c), qBlue(c)}) > 96;
        }
    return lit;
}

std::vector<std::uint8_t> bytesOf(const sim::Bytes& b)
{
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

int childCount(const tagItemData* node)
{
    int n = 0;
    for (const tagItemData* c = node ? node->FirstChild : nullptr; c; c = c->NextSibling)
        ++n;
    return n;
}

tagItemData* screenNamed(CCore& core, const QString& name)
{
    for (tagItemData* s = core.GetScreen(0); s; s = s->NextSibling)
        if (QString::fromUtf16(s->Name) == name)
            return s;
    return nullptr;
}

// The wizard, page by page: model, network link to the controller's port,
// the search that finds it, the hardware page that writes its settings, and
// no starter program.
void walkWizard(QWidget* modal, std::uint16_t port, sim::SimController& controller)
{
    auto* w = qobject_cast<dialogs::CWizard*>(modal);
    ASSERT_NE(w, nullptr);
    using dialogs::CWizard;
    ASSERT_EQ(w->GetCurrentPage(), 1);
    // A model with a network link, walked to with the keys: the link page
    // offers only the links the model has.
    auto* model = control<QComboBox>(w->page(1), dialogs::CWizardSelModel::IDC_MODEL);
    ASSERT_NE(model, nullptr);
    int networked = -1;
    for (int i = 0; i < model->count() && networked < 0; ++i)
        if (const FirmwareInfo* info = CCore::GetFirmwareInfo(model->itemData(i).toUInt()); info && (info->featureBits & 0x18))
            networked = i;
    ASSERT_GE(networked, 0);
    model->setFocus();
    QTest::keyClick(model, Qt::Key_Home);
    for (int i = 0; i < networked; ++i)
        QTest::keyClick(model, Qt::Key_Down);
    ASSERT_EQ(model->currentIndex(), networked);
    click(control<QPushButton>(w, CWizard::IDC_NEXT));
    ASSERT_EQ(w->GetCurrentPage(), 2);
    click(control<QRadioButton>(w->page(2), dialogs::CWizardSelComm::IDC_NETWORK));
    auto* portEdit = control<QLineEdit>(w->page(2), dialogs::CWizardSelComm::IDC_PORT);
    ASSERT_NE(portEdit, nullptr);
    EXPECT_EQ(portEdit->text(), "8080");
    typeInto(portEdit, QString::number(port));
    click(control<QPushButton>(w, CWizard::IDC_NEXT));   // searches in the task dialog
    ASSERT_EQ(w->GetCurrentPage(), 3);
    auto* search = static_cast<dialogs::CWizardRetrieve*>(w->page(3));
    EXPECT_FALSE(search->resultPanel()->isHidden());
    EXPECT_TRUE(search->failurePanel()->isHidden());
    EXPECT_EQ(findByControlId<QLabel>(search, dialogs::CWizardRetrieve::IDC_STATUS)->text(), platform::langString(48163));
    click(control<QPushButton>(w, CWizard::IDC_NEXT));
    ASSERT_EQ(w->GetCurrentPage(), 4);
    // The controller's own full-colour mode, its scan brought within the
    // mode's range (it reports 8, which the mode cannot take).
    EXPECT_EQ(control<QComboBox>(w->page(4), dialogs::CWizardHwForm::IDC_WORKMODE)->currentIndex(), 13);
    EXPECT_EQ(control<QLineEdit>(w->page(4), dialogs::CWizardHwForm::IDC_SCAN)->text(), "4");
    controller.clearRecords();
    click(control<QPushButton>(w, CWizard::IDC_NEXT));   // writes the hardware settings
    ASSERT_EQ(w->GetCurrentPage(), 5);
    EXPECT_FALSE(controller.hardware().empty());
    EXPECT_EQ(w->screen()->Global.Type, 17);
    EXPECT_EQ(w->screen()->Global.ScanMode, 4);
    EXPECT_FALSE(control<QCheckBox>(w->page(5), dialogs::CWizardEditProgram::IDC_STARTER)->isChecked());
    EXPECT_FALSE(control<QCheckBox>(w->page(5), dialogs::CWizardEditProgram::IDC_SEND)->isChecked());
    click(control<QPushButton>(w, CWizard::IDC_FINISH));
}

class NewUserRoad : public ::testing::TestWithParam<Language> {
protected:
    void SetUp() override { dialogs::AccessRightsTestReset::set(0); }
    void TearDown() override { dialogs::AccessRightsTestReset::set(0); }
};

} // namespace

TEST_P(NewUserRoad, FromTheFirstStartToTheSecond)
{
    const Language& lang = GetParam();
    const QString shot = QString::fromLatin1(lang.tag);
    QTemporaryDir dir;
    const QString folder = folderWithPacks(dir);
    if (lang.setting) {
        ASSERT_TRUE(writeFile(dir.filePath("config.ini"), "[Config]\r\nLanguage=" + QByteArray::number(lang.setting) + "\r\n"));
    }
    // The shell's own boxes come at start-up: answered, and a failure. Later
    // boxes are the script's.
    QStringList startMessages;
    const auto startUp = [&startMessages](CMainApp& app) {
        MessageRecorder messages(QMessageBox::Cancel);
        const int started = app.InitInstance();
        startMessages += messages.texts;
        return started;
    };
    platform::ScopedClockScale faster(20);
    sim::SimController controller;
    sim::TcpPeer tcp(controller);
    sim::UdpPeer udp(controller, "127.0.0.1", tcp.port());   // the search asks on the same port
    QString pictureFile;
    const QString typed = QStringLiteral("Hello road");

    {
        // 1. First start: the real start-up in an empty folder.
        CCore core;
        CMainApp app(core, roadEnv(folder, lang));
        app.SetMainFrameFactory(&CreateMainFrame);
        ASSERT_EQ(startUp(app), 1);
        auto* frame = qobject_cast<CMainFrame*>(app.MainWindow());
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
        EXPECT_EQ(core.GetCurLang(), lang.setting ? lang.setting : (lang.userLangId == 0x0804 ? 4 : 9));
        ASSERT_NE(core.GetScreen(0), nullptr);   // a new, empty screen to start with
        EXPECT_EQ(core.GetScreen(1), nullptr);
        EXPECT_EQ(frame->size(), QSize(CMainFrame::kInitialWidth, CMainFrame::kInitialHeight));
        support::ModalScript script;
        script.allow(QStringLiteral("dialogs::CTaskDlg"));

        // 2. A new screen by the wizard, found over the network.
        script.expect(QStringLiteral("dialogs::CAuthorityDlg"), [](QWidget* m) {
            auto* code = findByControlId<QLineEdit>(m, dialogs::CAuthorityDlg::IDC_CODE);
            ASSERT_NE(code, nullptr);
            QTest::keyClicks(code, "418");
            click(control<QPushButton>(m, 1));
        });
        script.expect(QStringLiteral("dialogs::CWizard"),
                      [&](QWidget* m) { walkWizard(m, tcp.port(), controller); });
        command(*frame, shell::ID_WIZARD);
        ASSERT_EQ(script.pending(), 0);
        // The search, then the wizard's own requests (reading the found
        // controller, writing its settings), each a task-dialog job.
        EXPECT_EQ(script.seen(), QStringList({"dialogs::CAuthorityDlg", "dialogs::CWizard", "dialogs::CTaskDlg", "dialogs::CTaskDlg",
                                              "dialogs::CTaskDlg", "dialogs::CTaskDlg"}));
        tagItemData* screen = core.GetScreen(1);
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen->FirstChild, nullptr);   // no starter program asked for
        EXPECT_NE(treeOf(*frame)->itemOf(screen), nullptr);
        EXPECT_EQ(screen->Global.CommType, std::uint32_t(COMM_NETWORK));
        EXPECT_EQ(screen->Global.HostPort, tcp.port());
        EXPECT_STREQ(screen->Global.Host, "127.0.0.1");
        EXPECT_EQ(screen->Global.ID, controller.address());
        ASSERT_TRUE(clickInTree(*frame, screen));
        EXPECT_NE(frame->FindItemWindow(screen), nullptr);
        EXPECT_TRUE(support::saveScreenshot(*frame, QStringLiteral("shell"), QStringLiteral("road_wizard_") + shot));

        // 3. A scene with a text, a picture and a clock, from the item-kind bar.
        const int W = screen->Global.Width, H = screen->Global.Height;
        ASSERT_GE(W, 32);
        ASSERT_GE(H, 16);
        kindButton(*frame, shell::ID_KIND_FIRST + 1);
        tagItemData* scene = treeOf(*frame)->selectedNode();
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(scene->Parent, screen);

        kindButton(*frame, shell::ID_KIND_FIRST + 3);   // text window
        tagItemData* textWindow = treeOf(*frame)->selectedNode();
        ASSERT_NE(textWindow, nullptr);
        ASSERT_EQ(textWindow->Parent, scene);
        placeSection(*frame, 0, 0, W / 2, H / 2);
        panels::CPropertySubwnd* page = paneOf(*frame)->windowPage();
        ASSERT_NE(page->currentMain(), nullptr);
        auto* edit = control<QTextEdit>(page->currentMain(), panels::CPropertyText::IdEdit);
        ASSERT_NE(edit, nullptr);
        click(edit);
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, typed);
        tagItemData* text = textWindow->FirstChild;
        ASSERT_NE(text, nullptr);
        EXPECT_TRUE(text->Item.TypeRecord->text().contains(typed));
        // It comes in from the right and stays half a second.
        {
            QWidget* effect = page->effect();
            auto* entry = control<QComboBox>(effect, panels::CPropertyEffectText::IdEntry);
            ASSERT_NE(entry, nullptr);
            pick(entry, entry->findData(3));
            typeInto(control<QLineEdit>(effect, panels::CPropertyEffectText::IdStay), QStringLiteral("500"));
            EXPECT_EQ(text->InEffect, 3);
            EXPECT_EQ(text->PlayTime, 500);
        }
        QCoreApplication::processEvents();
        EXPECT_GE(page->currentMain()->width(), page->currentMain()->minimumSizeHint().width());
        EXPECT_TRUE(support::saveScreenshot(*frame, QStringLiteral("shell"), QStringLiteral("road_text_") + shot));

        kindButton(*frame, shell::ID_KIND_FIRST + 4);   // content-list window
        tagItemData* pictureWindow = treeOf(*frame)->selectedNode();
        ASSERT_NE(pictureWindow, nullptr);
        ASSERT_EQ(pictureWindow->Parent, scene);
        placeSection(*frame, W / 2, 0, W - W / 2, H / 2);
        panels::CPropertyProgList* list = page->progList();
        ASSERT_TRUE(list->isVisible());
        ASSERT_EQ(list->list()->count(), 1);   // the window's first item, a text
        // The add menu offers the kinds; the user picks the picture.
        {
            support::SeamScope menus;
            menus->popupMenu = [](QMenu* menu, const QPoint&) -> QAction* {
                for (QAction* a : menu->actions())
                    if (a->data().toInt() == IT_IMAGE)
                        return a;
                return nullptr;
            };
            click(control<QWidget>(list, panels::CPropertyProgList::IdAdd));
        }
        ASSERT_EQ(list->list()->count(), 2);
        tagItemData* picture = list->itemAt(1);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->Item.TypeCode, IT_IMAGE);
        {
            QImage art(64, 32, QImage::Format_RGB32);
            art.fill(QColor(255, 200, 0));
            pictureFile = dir.filePath("art.png");
            ASSERT_TRUE(art.save(pictureFile));
            support::SeamScope seams;
            seams.nextFileName(pictureFile);
            ASSERT_NE(page->currentMain(), nullptr);
            click(control<QWidget>(page->currentMain(), panels::CPropertyImg::IdBrowse));
        }
        EXPECT_EQ(picture->Item.TypeRecord->get(records::picture::Path), pictureFile);
        QCoreApplication::processEvents();
        EXPECT_GE(page->currentMain()->width(), page->currentMain()->minimumSizeHint().width());
        EXPECT_TRUE(support::saveScreenshot(*frame, QStringLiteral("shell"), QStringLiteral("road_picture_") + shot));
        // The text the window came with goes: select it, delete, confirm.
        list->list()->setCurrentRow(0);
        script.expect(QStringLiteral("QMessageBox"), [](QWidget* m) {
            auto* box = qobject_cast<QMessageBox*>(m);
            ASSERT_NE(box, nullptr);
            click(box->button(QMessageBox::Ok));
        });
        click(control<QWidget>(list, panels::CPropertyProgList::IdDelete));
        EXPECT_EQ(script.pending(), 0);
        EXPECT_EQ(pictureWindow->FirstChild, picture);
        EXPECT_EQ(picture->NextSibling, nullptr);

        kindButton(*frame, shell::ID_KIND_FIRST + 6);   // digital clock window
        tagItemData* clockWindow = treeOf(*frame)->selectedNode();
        ASSERT_NE(clockWindow, nullptr);
        ASSERT_EQ(clockWindow->Parent, scene);
        placeSection(*frame, 0, H / 2, W, H - H / 2);
        ASSERT_NE(clockWindow->FirstChild, nullptr);
        EXPECT_EQ(clockWindow->FirstChild->Item.TypeCode, IT_CLOCKDIGIT);
        EXPECT_EQ(clockWindow->FirstChild->Item.TypeRecordSize, records::clockdigit::Size);

        // The canvas shows each of them.
        editor::CScreenLed* canvas = frame->FindItemWindow(screen);
        ASSERT_NE(canvas, nullptr);
        for (tagItemData* section : {textWindow, pictureWindow, clockWindow}) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return litLeds(canvas, section) > 0; }, 2000))
                << QString::fromUtf16(section->Name).toStdString();
            const QRect r(section->Section.RectX, section->Section.RectY, section->Section.RectW, section->Section.RectH);
            EXPECT_TRUE(QRect(0, 0, W, H).contains(r));
        }
        // A section resized on the canvas by its right edge: the pane shows
        // the new size at once, and what is typed there next keeps it.
        {
            editor::CSectionLed* led = canvas->sectionCanvas(clockWindow);
            ASSERT_NE(led, nullptr);
            QWidget* panel = paneOf(*frame)->windowPage()->section();
            auto* width = control<QSpinBox>(panel, panels::CPropertySection::IdWidth);
            auto* height = control<QSpinBox>(panel, panels::CPropertySection::IdHeight);
            ASSERT_EQ(width->value(), W);
            const QPoint edge(led->width() - 1, led->height() / 2);
            const QPoint to = edge - QPoint(8 * led->dotWidth(), 0);
            QTest::mousePress(led, Qt::LeftButton, {}, edge);
            QTest::mouseMove(led, edge - QPoint(4 * led->dotWidth(), 0));
            QTest::mouseMove(led, to);
            QTest::mouseRelease(led, Qt::LeftButton, {}, to);
            QCoreApplication::processEvents();
            const SectionBlock& b = clockWindow->Section;
            EXPECT_LT(b.RectW, W);
            EXPECT_EQ(width->value(), b.RectW);
            EXPECT_EQ(height->value(), b.RectH);
            EXPECT_EQ(control<QSpinBox>(panel, panels::CPropertySection::IdX)->value(), b.RectX);
            EXPECT_EQ(control<QSpinBox>(panel, panels::CPropertySection::IdY)->value(), b.RectY);
            const int dragged = b.RectW;
            typeInto(height, H - H / 2 - 2);
            EXPECT_EQ(b.RectH, H - H / 2 - 2);
            EXPECT_EQ(b.RectW, dragged);
            EXPECT_EQ(led->width(), dragged * led->dotWidth());
            EXPECT_TRUE(support::saveScreenshot(*frame, QStringLiteral("shell"), QStringLiteral("road_dragged_") + shot));
            placeSection(*frame, 0, H / 2, W, H - H / 2);
            EXPECT_EQ(b.RectW, W);
        }
        ASSERT_TRUE(clickInTree(*frame, scene));
        // At the frame's first size the scene page scrolls sideways rather
        // than squeeze its schedule.
        QWidget* schedule = paneOf(*frame)->scenePage()->timer();
        QCoreApplication::processEvents();
        EXPECT_GE(schedule->width(), schedule->minimumSizeHint().width());
        EXPECT_TRUE(support::saveScreenshot(*frame, QStringLiteral("shell"), QStringLiteral("road_scene_") + shot));
        frame->resize(1100, 760);
        QCoreApplication::processEvents();
        EXPECT_TRUE(support::saveScreenshot(*frame, QStringLiteral("shell"), QStringLiteral("road_scene_wide_") + shot));

        // A fourth window, clicked in the tree and taken away with Delete
        // there: the same question as from the canvas; "no" keeps it.
        {
            kindButton(*frame, shell::ID_KIND_FIRST + 3);
            tagItemData* extra = treeOf(*frame)->selectedNode();
            ASSERT_NE(extra, nullptr);
            ASSERT_EQ(extra->Parent, scene);
            const QString name = QString::fromUtf16(extra->Name);
            frame->activateWindow();   // as the user's click does
            ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
            ASSERT_TRUE(clickInTree(*frame, extra));
            // The row was selected already, so after a pause its label
            // editor opens, as it does for a user who then presses Delete.
            QTest::qWait(QApplication::doubleClickInterval() + 100);
            ASSERT_NE(QApplication::focusWidget(), nullptr);
            EXPECT_TRUE(treeOf(*frame)->isAncestorOf(QApplication::focusWidget()));
            const auto answer = [name](QMessageBox::StandardButton button) {
                return [name, button](QWidget* m) {
                    auto* box = qobject_cast<QMessageBox*>(m);
                    ASSERT_NE(box, nullptr);
                    EXPECT_TRUE(box->text().contains(name)) << box->text().toStdString();
                    click(box->button(button));
                };
            };
            script.expect(QStringLiteral("QMessageBox"), answer(QMessageBox::No));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
            EXPECT_EQ(script.pending(), 0);
            EXPECT_EQ(childCount(scene), 4);
            // The box gave the focus back to the tree (offscreen, the window is activated again).
            frame->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
            ASSERT_EQ(QApplication::focusWidget(), treeOf(*frame));
            script.expect(QStringLiteral("QMessageBox"), answer(QMessageBox::Yes));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
            EXPECT_EQ(script.pending(), 0);
            EXPECT_EQ(childCount(scene), 3);
            EXPECT_EQ(treeOf(*frame)->itemOf(extra), nullptr);
            ASSERT_TRUE(clickInTree(*frame, scene));
        }

        // 4. The preview plays the scene and closes with Escape.
        script.expect(QStringLiteral("preview::CPreView"), [](QWidget* m) {
            auto* view = qobject_cast<preview::CPreView*>(m);
            ASSERT_NE(view, nullptr);
            EXPECT_TRUE(frametest::waitUntilPreviewLit(view, 3000, 1));
            // Frames advance: the text moves in, stays, and comes again.
            QList<QImage> frames{view->Canvas().DisplayCopy()};
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    const QImage now = view->Canvas().DisplayCopy();
                    if (!frames.contains(now))
                        frames << now;
                    return frames.size() >= 3;
                },
                3000));
            QTest::keyClick(view, Qt::Key_Escape);
        });
        command(*frame, shell::ID_PREVIEW);
        EXPECT_EQ(script.pending(), 0);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

        // 5. Send: the task dialog carries the programs and closes by itself.
        controller.clearRecords();
        const int dialogsBefore = int(script.seen().count(QStringLiteral("dialogs::CTaskDlg")));
        toolButton(*frame, shell::ID_SEND_PROGRAMS);
        EXPECT_EQ(script.seen().count(QStringLiteral("dialogs::CTaskDlg")), dialogsBefore + 1);
        EXPECT_EQ(dialogs::CTaskDlg::LiveTaskDialog(), nullptr);
        const std::vector<sim::Block> got = controller.blocks();
        ASSERT_EQ(got.size(), 4u);
        // What arrived is the scene as the compiler makes it, byte for byte.
        ASSERT_EQ(CContentCompiler::Compile(screen), 1);
        const struct {
            std::uint8_t command;
            std::size_t (*size)(tagItemData*);
            std::size_t (*copy)(tagItemData*, std::uint8_t*, std::size_t);
        } blocks[] = {{TOS_PAGEMAP, CContentCompiler::GetPageMapSize, CContentCompiler::CopyPageMap},
                      {TOS_PROGMAP, CContentCompiler::GetProgramMapSize, CContentCompiler::CopyProgramMap},
                      {TOS_PROGMASK, CContentCompiler::GetProgramMaskSize, CContentCompiler::CopyProgramMask},
                      {TOS_PROGDATA, CContentCompiler::GetProgramDataSize, CContentCompiler::CopyProgramData}};
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(got[i].header.command, blocks[i].command);
            std::vector<std::uint8_t> want(blocks[i].size(screen));
            blocks[i].copy(screen, want.data(), want.size());
            EXPECT_EQ(bytesOf(got[i].data), want) << "block " << i;
        }
        // Each item's pixels and records are in the program data.
        for (tagItemData* item : {text, picture, clockWindow->FirstChild}) {
            std::size_t compiled = 0;
            for (int slot = 0; slot < 4; ++slot)
                compiled += CContentCompiler::CompiledSlotSize(item, slot);
            EXPECT_GT(compiled, 0u);
        }
        CContentCompiler::FreeBuffers(screen);

        // 6. Save: the file name is asked for, the screen takes it.
        const QString saved = dir.filePath("userdata/Road.pl");
        {
            support::SeamScope seams;
            seams.nextFileName(saved);
            toolButton(*frame, shell::ID_SAVE_FILE);
        }
        ASSERT_TRUE(QFile::exists(saved));
        EXPECT_EQ(QString::fromUtf16(screen->Name), QStringLiteral("Road"));
        std::vector<unsigned char> image(core.GetStoreSize(screen));
        core.Store(screen, image.data(), unsigned(image.size()));
        const QByteArray file = readFile(saved);
        EXPECT_EQ(file, QByteArray(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));

        // 7. Quit as a user does; nothing is left to ask.
        command(*frame, shell::ID_APP_EXIT);
        EXPECT_FALSE(frame->isVisible());
        EXPECT_EQ(app.m_closeAccepted, 1);
        EXPECT_EQ(script.pending(), 0);
        app.ExitInstance();
        EXPECT_TRUE(readFile(dir.filePath("config.ini")).contains("Road.pl"));
    }
    EXPECT_TRUE(startMessages.isEmpty()) << startMessages.join(u'|').toStdString();

    // 8. Second start: the screen is back with its link, scene and three items.
    CCore core;
    CMainApp app(core, roadEnv(folder, lang));
    app.SetMainFrameFactory(&CreateMainFrame);
    ASSERT_EQ(startUp(app), 1);
    auto* frame = qobject_cast<CMainFrame*>(app.MainWindow());
    ASSERT_NE(frame, nullptr);
    tagItemData* screen = screenNamed(core, QStringLiteral("Road"));
    ASSERT_NE(screen, nullptr);
    EXPECT_NE(treeOf(*frame)->itemOf(screen), nullptr);
    EXPECT_EQ(screen->Global.CommType, std::uint32_t(COMM_NETWORK));
    EXPECT_EQ(screen->Global.HostPort, tcp.port());
    ASSERT_EQ(childCount(screen), 1);
    tagItemData* scene = screen->FirstChild;
    EXPECT_NE(treeOf(*frame)->itemOf(scene), nullptr);
    ASSERT_EQ(childCount(scene), 3);
    const tagItemData* sections[3] = {scene->FirstChild, scene->FirstChild->NextSibling,
                                      scene->FirstChild->NextSibling->NextSibling};
    const std::uint16_t kinds[3] = {IT_TEXT, IT_IMAGE, IT_CLOCKDIGIT};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(childCount(sections[i]), 1) << i;
        EXPECT_EQ(sections[i]->FirstChild->Item.TypeCode, kinds[i]) << i;
    }
    EXPECT_TRUE(sections[0]->FirstChild->Item.TypeRecord->text().contains(typed));
    EXPECT_EQ(sections[1]->FirstChild->Item.TypeRecord->get(records::picture::Path), pictureFile);
    EXPECT_STREQ(screen->Global.Host, "127.0.0.1");
    // Drawn again from what was stored.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
    ASSERT_TRUE(clickInTree(*frame, scene));
    editor::CScreenLed* canvas = frame->FindItemWindow(screen);
    ASSERT_NE(canvas, nullptr);
    for (const tagItemData* section : sections)
        EXPECT_TRUE(QTest::qWaitFor([&] { return litLeds(canvas, const_cast<tagItemData*>(section)) > 0; }, 2000));
    frame->close();
    app.ExitInstance();
    EXPECT_TRUE(startMessages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(EachLanguage, NewUserRoad, ::testing::ValuesIn(kLanguages),
                         [](const ::testing::TestParamInfo<Language>& info) { return std::string(info.param.tag); });

// The script that keeps the road from hanging: a question nobody expected
// fails the test and is closed; a dialog an answer leaves open is closed
// after the time-out.
TEST(ModalScript, AQuestionNobodyExpectedFailsTheRoadAndIsClosed)
{
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    EXPECT_NONFATAL_FAILURE(
        {
            support::ModalScript script(2000);
            answer = controls::MessageBox::question(nullptr, QStringLiteral("Road"), QStringLiteral("Really quit?"));
        },
        "unexpected modal dialog QMessageBox \"Really quit?\"");
    EXPECT_NE(answer, QMessageBox::Yes);

    int result = QDialog::Accepted;
    EXPECT_NONFATAL_FAILURE(
        {
            support::ModalScript script(200);
            script.expect(QStringLiteral("QDialog"), [](QWidget*) {});
            QDialog stuck;
            result = stuck.exec();
        },
        "was still open after 200 ms");
    EXPECT_EQ(result, QDialog::Rejected);
}
