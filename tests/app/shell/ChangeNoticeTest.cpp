// Each kind of change to a node, made through the road an operator takes (a
// panel, the canvas, a command, a dialog, a controller's read), reaches every
// window that shows the node: the property pane, the canvas, the tree, the
// screen window's title and the thumbnail.
#include "FrameTestUtil.h"

#include "app/controls/MessageBox.h"
#include "app/controls/ToolBarCtrlEx.h"
#include "app/dialogs/access/AccessRights.h"
#include "app/dialogs/device/SettingHW.h"
#include "app/dialogs/device/SettingWan.h"
#include "app/dialogs/task/TaskProgress.h"
#include "app/editor/ChildFrame.h"
#include "app/editor/CustomGif.h"
#include "app/editor/Editor.h"
#include "app/editor/LedView.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyBorder.h"
#include "app/panels/PropertyCoolText.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/panels/PropertyScreenInfo.h"
#include "app/panels/PropertySection.h"
#include "app/panels/PropertyTextSingleLine.h"
#include "app/shell/CommandTables.h"
#include "app/shell/Thumbnail.h"
#include "app/spine/NodeNotice.h"
#include "app/spine/WorkModeCaptions.h"
#include "core/api/ItemRecord.h"
#include "core/api/TypeRecords.h"
#include "core/link/Commands.h"
#include "platform/Clock.h"
#include "support/ModalRunner.h"
#include "support/NoticeSpy.h"
#include "support/SeamScope.h"
#include "support/SimController.h"
#include "support/Widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace shell;
using namespace sorvane::link;
using frametest::FrameHarness;

namespace dialogs {
// Tests only: the rights mask has no setter, it only grows in the program.
struct AccessRightsTestReset {
    static void set(std::uint32_t v) { AccessRights::s_value = v; }
};
} // namespace dialogs

namespace {

QString nameOf(const tagItemData* n)
{
    return QString::fromUtf16(n->Name);
}

// A screen wider than the frame's screen area, so that its maximised window
// clips the canvas and shows the thumbnail: a list window with a line of
// text and an animated text, and a text window beside it.
QString writeWideScreen(const QString& folder, const QString& name, int width = 512)
{
    CCore scratch;
    tagItemData* screen = scratch.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    scratch.ChangeItemRect(screen, 0, 0, width, 128);
    tagItemData* scene = scratch.AddItem(IT_SCENE, u"Morning", screen, nullptr);
    tagItemData* list = scratch.AddItem(IT_WND_PROGLIST, u"List", scene, nullptr);
    scratch.ChangeItemRect(list, 0, 0, 128, 32);
    tagItemData* line = scratch.AddItem(IT_SINGLELINE, u"Line", list, nullptr);
    records::SetItemText(line, QStringLiteral("Hello"));
    scratch.AddItem(IT_TEXTGIF, u"Cartoon", list, line);
    tagItemData* text = scratch.AddItem(IT_WND_TEXT, u"Notes", scene, list);
    scratch.ChangeItemRect(text, 256, 0, 128, 32);
    const QString path = folder + QStringLiteral("userdata/") + name + QStringLiteral(".pl");
    scratch.SavePL(screen, reinterpret_cast<const char16_t*>(path.utf16()));
    return path;
}

// The screen on a simulated controller over TCP, waited for a hundred times faster.
struct OnController {
    explicit OnController(tagItemData* screen)
    {
        frametest::bindTcp(screen, peer.port());
        screen->Global.ID = controller.address();
    }
    sim::SimController controller;
    sim::TcpPeer peer{controller};
    platform::ScopedClockScale fast{100};
};

class Shown : public ::testing::Test {
protected:
    void SetUp() override
    {
        h.app->Settings().screens.savePath = {writeWideScreen(h.folder, QStringLiteral("Wall"))};
        ASSERT_TRUE(h.frame->OnCreate());
        screen = h.core.GetScreen(0);
        ASSERT_NE(screen, nullptr);
        scene = screen->FirstChild;
        list = scene->FirstChild;
        line = list->FirstChild;
        cartoon = line->NextSibling;
        notes = list->NextSibling;
        h.frame->resize(1000, 700);
        h.frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
        ASSERT_EQ(h.frame->OpenScreenWindow(screen), 1);
        canvas = h.frame->FindItemWindow(screen);
        ASSERT_NE(canvas, nullptr);
        child = editor::CChildFrame::ofCanvas(canvas);
        ASSERT_TRUE(h.list()->SelectNode(list));
        settle();
        child->showMaximized();
        thumb = h.frame->MdiArea()->viewport()->findChild<CThumbnail*>();
        ASSERT_NE(thumb, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return thumb->isVisible(); }, 3000));
        settle();
    }

    // Lets posted work (the thumbnail's copy among it) run.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    panels::CPanelProperty* pane() const { return static_cast<panels::CPanelProperty*>(h.frame->Port().propertyPane.data()); }
    QString rowText(tagItemData* n) const
    {
        QTreeWidgetItem* row = h.tree()->itemOf(n);
        return row ? row->text(0) : QString();
    }
    QImage thumbPicture() const
    {
        settle();
        return thumb->picture();
    }
    QImage sectionPicture(tagItemData* section) const
    {
        editor::CSectionLed* c = canvas->sectionCanvas(section);
        return c ? c->content() : QImage();
    }
    template <class T = QWidget>
    static T* byId(QWidget* in, int id)
    {
        T* w = support::findByControlId<T>(in, id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }

    FrameHarness h{"UI_EN.rcc", false};
    support::SeamScope seams;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* list = nullptr;
    tagItemData* line = nullptr;
    tagItemData* cartoon = nullptr;
    tagItemData* notes = nullptr;
    editor::CScreenLed* canvas = nullptr;
    editor::CChildFrame* child = nullptr;
    CThumbnail* thumb = nullptr;
};

} // namespace

// Name: typed into the tree's label editor, then given by Save As.
TEST_F(Shown, ANewNameReachesTheTreeAndTheWindowTitle)
{
    ASSERT_EQ(child->windowTitle(), QStringLiteral("Wall"));
    editor::CEditor* tree = h.tree();
    tree->setCurrentItem(tree->itemOf(screen));
    tree->editItem(tree->itemOf(screen), 0);
    auto* label = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(label, nullptr);
    label->selectAll();
    QTest::keyClicks(label, QStringLiteral("Lobby"));
    QTest::keyClick(label, Qt::Key_Return);
    settle();
    EXPECT_EQ(nameOf(screen), QStringLiteral("Lobby"));
    EXPECT_EQ(rowText(screen), QStringLiteral("Lobby"));
    EXPECT_EQ(child->windowTitle(), QStringLiteral("Lobby"));

    seams.nextFileName(h.folder + QStringLiteral("userdata/Hall.pl"));
    h.frame->OnCommand(ID_SAVE_FILE_AS);
    EXPECT_EQ(nameOf(screen), QStringLiteral("Hall"));
    EXPECT_EQ(rowText(screen), QStringLiteral("Hall"));
    EXPECT_EQ(child->windowTitle(), QStringLiteral("Hall"));
}

// Geometry: a section moved on the canvas, then sized in the section panel.
TEST_F(Shown, ANewRectangleReachesThePaneTheCanvasAndTheThumbnail)
{
    auto* section = pane()->windowPage()->section();
    auto* x = byId<QSpinBox>(section, panels::CPropertySection::IdX);
    ASSERT_EQ(section->node(), list);
    ASSERT_EQ(x->value(), 0);
    const QImage before = thumbPicture();
    // The view's "move to the next obstacle" stops at the text window.
    QAction* right = child->view()->toolBar()->actionForCommand(editor::kCmdMoveRight);
    ASSERT_NE(right, nullptr);
    QTest::mouseClick(child->view()->toolBar()->widgetForAction(right), Qt::LeftButton);
    EXPECT_EQ(list->Section.RectX, 128);
    EXPECT_EQ(x->value(), 128);
    EXPECT_EQ(canvas->sectionCanvas(list)->pos(), QPoint(128 * canvas->dotWidth(), 0) - canvas->scrollOrigin());
    EXPECT_NE(thumbPicture(), before);

    auto* width = byId<QSpinBox>(section, panels::CPropertySection::IdWidth);
    width->setFocus();
    width->selectAll();
    QTest::keyClicks(width, QStringLiteral("64"));
    EXPECT_EQ(list->Section.RectW, 64);
    EXPECT_EQ(canvas->sectionCanvas(list)->contentSize(), QSize(64, 32));
}

// Link: the network settings dialog moves the controller to another port;
// the screen's link follows it and the pane's link panel shows it.
TEST_F(Shown, ALinkADialogMovedReachesTheLinkPanel)
{
    OnController sim(screen);
    sim::TcpPeer& peer = sim.peer;
    seams.frame().accessGate = [](int, QWidget*) { return true; };
    seams.frame().runTask = [](QWidget*, const spine::TaskRequest& request) {
        return request.kind == dialogs::TASK_FIND_SCREEN ? 1 : 2;   // the controller is found at its new port
    };
    ASSERT_TRUE(h.list()->SelectNode(screen));
    auto* comm = pane()->screenPage()->comm();
    auto* port = byId<QLineEdit>(comm, panels::CPropertyScreenComm::IdPort);
    ASSERT_EQ(port->text(), QString::number(peer.port()));
    const std::uint16_t moved = peer.port() == 5005 ? 5006 : 5005;
    QString written;
    support::ModalRunner runner([&](QWidget* modal) {
        auto* dlg = qobject_cast<dialogs::CSettingWan*>(modal);
        ASSERT_NE(dlg, nullptr);
        auto* fixed = byId<QAbstractButton>(dlg, dialogs::CSettingWan::IDC_FIXED);
        fixed->setChecked(true);
        const auto type = [&](int id, const QString& text) {
            auto* e = byId<QLineEdit>(dlg, id);
            e->selectAll();
            QTest::keyClicks(e, text);
        };
        type(dialogs::CSettingWan::IDC_IP, QStringLiteral("127.0.0.1"));
        type(dialogs::CSettingWan::IDC_MASK, QStringLiteral("255.0.0.0"));
        type(dialogs::CSettingWan::IDC_GATEWAY, QStringLiteral("127.0.0.254"));
        type(dialogs::CSettingWan::IDC_PORT, QString::number(moved));
        support::click(byId(dlg, dialogs::CSettingWan::IDC_WRITE));
        written = byId<QLabel>(dlg, dialogs::CSettingWan::IDC_RESULT)->text();
        dlg->reject();
    }, 20000);
    h.frame->OnCommand(ID_NETWORK_SETTINGS);
    ASSERT_TRUE(runner.answered()) << runner.failure().toStdString();
    EXPECT_EQ(written, platform::langString(dialogs::CSettingWan::IDS_WRITE_DONE));
    EXPECT_EQ(screen->Global.HostPort, moved);
    EXPECT_EQ(port->text(), QString::number(moved));
}

// Hardware: a controller's read, made on the task dialog's worker, is told
// when the job has ended: the pane names the model it found.
TEST_F(Shown, AControllersReadReachesThePaneOnceTheJobHasEnded)
{
    OnController sim(screen);
    sim::SimController& controller = sim.controller;
    tagGlobalInfo g = screen->Global;
    g.Lum = 77;
    std::vector<std::uint8_t> block(kHardwareBlockSize);
    BuildHardwareBlock(g, block.data());
    controller.setAnswer(TOS_HWREADCFG, block);
    controller.setVersion(0x0E010100, 0x01000000, 0);
    const FirmwareInfo* model = CCore::GetFirmwareInfo(0x0E010100);
    ASSERT_NE(model, nullptr);
    ASSERT_TRUE(h.list()->SelectNode(screen));
    auto* info = pane()->screenPage()->info();
    auto* modelLabel = byId<QLabel>(info, panels::CPropertyScreenInfo::IdModel);
    ASSERT_NE(modelLabel->text(), model->modelName);
    support::NoticeSpy told;
    h.frame->OnCommand(ID_READ_HARDWARE);
    ASSERT_EQ(screen->Global.HardwareId, 0x0E010100u);
    EXPECT_EQ(screen->Global.Lum, 77);
    EXPECT_EQ(modelLabel->text(), model->modelName);
    EXPECT_TRUE(told.told(screen) & spine::NodeChange::Hardware);
    EXPECT_EQ(child->windowTitle(), QStringLiteral("Wall"));
}

// Work mode: chosen in the hardware settings dialog and sent. (The thumbnail
// shows the content one pixel a LED, whatever the LEDs can light.)
TEST_F(Shown, AWorkModeTheHardwareDialogSentReachesThePaneAndTheCanvas)
{
    OnController sim(screen);
    seams.frame().accessGate = [](int, QWidget*) { return true; };
    ASSERT_TRUE(h.list()->SelectNode(screen));
    auto* info = pane()->screenPage()->info();
    auto* mode = byId<QLabel>(info, panels::CPropertyScreenInfo::IdWorkMode);
    ASSERT_EQ(mode->text(), spine::workModeCaption(screen->Global.Type));
    // The screen page keeps its screen while the window page shows the list.
    ASSERT_TRUE(h.list()->SelectNode(list));
    const int other = screen->Global.Type == 0 ? 1 : 0;   // single colour: the yellow line turns red
    const QImage display = canvas->sectionCanvas(list)->display();
    bool sent = false;
    support::ModalRunner runner([&](QWidget* modal) {
        auto* dlg = qobject_cast<dialogs::CSettingHW*>(modal);
        ASSERT_NE(dlg, nullptr);
        auto* modes = byId<QComboBox>(dlg, dialogs::CSettingHW::IDC_WORKMODE);
        modes->setCurrentIndex(modes->findData(other));
        support::click(byId(dlg, dialogs::CSettingHW::IDC_SEND));
        sent = byId<QLabel>(dlg, 6309)->text() == platform::langString(dialogs::CSettingHW::IDS_WRITE_DONE);
        dlg->reject();
    }, 20000);
    h.frame->OnCommand(ID_HARDWARE_SETTINGS);
    ASSERT_TRUE(runner.answered()) << runner.failure().toStdString();
    EXPECT_TRUE(sent);
    ASSERT_EQ(screen->Global.Type, other);
    EXPECT_EQ(mode->text(), spine::workModeCaption(other));
    EXPECT_NE(canvas->sectionCanvas(list)->display(), display);
}

// Content: a line typed in the text panel, then an effect chosen in the
// animated-text dialog, which the pane showed stale until the item was chosen again.
TEST_F(Shown, AContentChangeReachesTheCanvasTheThumbnailAndThePane)
{
    auto* page = pane()->windowPage();
    auto* single = page->mainPanel(panels::MainSlot::SingleLine);
    ASSERT_EQ(single->node(), line);
    const QImage shown = sectionPicture(list);
    const QImage before = thumbPicture();
    auto* text = byId<QLineEdit>(single, panels::CPropertyTextSingleLine::IdText);
    text->setFocus();
    text->selectAll();
    QTest::keyClicks(text, QStringLiteral("WWWWWWWWWWWWWWWW"));
    EXPECT_NE(sectionPicture(list), shown);
    EXPECT_NE(thumbPicture(), before);

    // The animated text, chosen in the item list.
    auto* rows = byId<QListWidget>(page->findChild<panels::CPropertyProgList*>(), panels::CPropertyProgList::IdList);
    rows->setCurrentRow(1);
    auto* cool = static_cast<panels::CPropertyCoolText*>(page->effectPanel(panels::EffectSlot::CoolText));
    ASSERT_EQ(cool->node(), cartoon);
    auto* effect = byId<QComboBox>(cool, panels::CPropertyCoolText::IdEffect);
    auto* interval = byId<QLineEdit>(cool, panels::CPropertyCoolText::IdInterval);
    ASSERT_NE(effect->currentData().toInt(), 13);
    support::NoticeSpy told;
    support::ModalRunner runner([&](QWidget* modal) {
        auto* dlg = qobject_cast<editor::CCustomGif*>(modal);
        ASSERT_NE(dlg, nullptr);
        auto* chooser = modal->findChild<panels::CPropertyGifEffect*>();
        ASSERT_NE(chooser, nullptr);
        auto* combo = byId<QComboBox>(chooser, panels::CPropertyGifEffect::IdEffect);
        combo->setCurrentIndex(combo->findData(13));
        emit combo->activated(combo->currentIndex());
        auto* delay = byId<QLineEdit>(chooser, panels::CPropertyGifEffect::IdInterval);
        delay->selectAll();
        QTest::keyClicks(delay, QStringLiteral("60"));
        dlg->accept();
    });
    support::click(byId(cool, panels::CPropertyCoolText::IdEffectDialog));
    ASSERT_TRUE(runner.answered()) << runner.failure().toStdString();
    ASSERT_EQ(cartoon->Item.TypeRecord->get(records::textgif::Effect), 13);
    EXPECT_EQ(effect->currentData().toInt(), 13);
    EXPECT_EQ(interval->text(), QStringLiteral("60"));
    EXPECT_TRUE(told.told(cartoon) & spine::NodeChange::Content);   // the canvas draws it again
}

// Programs: a file opened into the screen brings other scenes and another size.
TEST_F(Shown, AFileOpenedIntoTheScreenReachesTheTreeTheTitleTheCanvasAndThePane)
{
    const QString path = writeWideScreen(h.folder, QStringLiteral("Evening"), 640);
    ASSERT_TRUE(h.list()->SelectNode(screen));
    auto* info = pane()->screenPage()->info();
    auto* width = byId<QLabel>(info, panels::CPropertyScreenInfo::IdWidth);
    ASSERT_EQ(width->text(), QStringLiteral("512"));
    const QImage before = thumbPicture();
    seams.nextFileName(path);
    seams.nextAnswer(QMessageBox::No);   // no save of the screen first
    h.frame->OnCommand(ID_OPEN_FILE);
    ASSERT_EQ(screen->Global.Width, 640);
    EXPECT_EQ(width->text(), QStringLiteral("640"));
    EXPECT_EQ(child->windowTitle(), QStringLiteral("Evening"));
    ASSERT_NE(screen->FirstChild, nullptr);
    EXPECT_NE(screen->FirstChild, scene);
    EXPECT_EQ(rowText(screen), QStringLiteral("Evening"));
    EXPECT_EQ(rowText(screen->FirstChild), QStringLiteral("Morning"));
    EXPECT_EQ(canvas->contentSize(), QSize(640, 128));
    EXPECT_EQ(thumbPicture().size(), QSize(640, 128));
    EXPECT_NE(thumbPicture(), before);
}

// Deletion: the list window deleted with the Delete key in the tree.
TEST_F(Shown, ADeletedSectionLeavesThePaneTheCanvasTheTreeAndTheThumbnail)
{
    auto* page = pane()->windowPage();
    ASSERT_EQ(page->section()->node(), list);
    ASSERT_EQ(page->mainPanel(panels::MainSlot::SingleLine)->node(), line);
    ASSERT_NE(canvas->sectionCanvas(list), nullptr);
    const QImage before = thumbPicture();
    ASSERT_NE(before.copy(0, 0, 128, 32), QImage(128, 32, before.format()).copy());
    support::NoticeSpy told;
    seams.nextAnswer(QMessageBox::Yes);
    h.tree()->setFocus();
    QTest::keyClick(h.tree(), Qt::Key_Delete);
    ASSERT_EQ(told.deleted(), std::vector<tagItemData*>{list});
    EXPECT_EQ(scene->FirstChild, notes);
    // No panel holds the window or its items any longer.
    for (panels::CPanelBase* p : page->panels())
        EXPECT_TRUE(p->node() != list && p->node() != line && p->node() != cartoon);
    EXPECT_EQ(h.tree()->itemOf(list), nullptr);
    EXPECT_EQ(canvas->sectionCanvas(list), nullptr);
    // The line of text is gone from the thumbnail.
    const QImage after = thumbPicture();
    bool lit = false;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 128; ++x)
            lit = lit || (after.pixel(x, y) & 0xFFFFFF) != 0;
    EXPECT_FALSE(lit);
}

namespace {

// A 104 x 32 two-colour screen whose one section has a border 2 LEDs wide.
QString writeBorderedScreen(const QString& folder)
{
    CCore scratch;
    tagItemData* screen = scratch.AddItem(IT_SCREEN, u"s", nullptr, nullptr);
    scratch.ChangeItemRect(screen, 0, 0, 104, 32);
    screen->Global.Type = 1;
    tagItemData* scene = scratch.AddItem(IT_SCENE, u"Morning", screen, nullptr);
    tagItemData* text = scratch.AddItem(IT_WND_TEXT, u"Notes", scene, nullptr);
    scratch.ChangeItemRect(text, 0, 0, 104, 32);
    scratch.SetItemFrame(text, 2);
    scratch.AddFrameElement(0, u"bar", text->Section.Frame, nullptr);
    const QString path = folder + QStringLiteral("userdata/Framed.pl");
    scratch.SavePL(screen, reinterpret_cast<const char16_t*>(path.utf16()));
    return path;
}

} // namespace

// Read in the hardware settings turns the screen into the controller's
// 128 x 32 one-colour one at once; Cancel puts it back, and the canvas (the
// section's border among it) and the pane follow. OK keeps what was read.
TEST(HardwareDialogCancel, PutsBackWhatAReadChangedAndEveryViewFollows)
{
    for (const bool cancel : {true, false}) {
        FrameHarness h{"UI_EN.rcc", false};
        support::SeamScope seams;
        seams.frame().accessGate = [](int, QWidget*) { return true; };
        h.app->Settings().screens.savePath = {writeBorderedScreen(h.folder)};
        ASSERT_TRUE(h.frame->OnCreate());
        tagItemData* screen = h.core.GetScreen(0);
        ASSERT_NE(screen, nullptr);
        tagItemData* section = screen->FirstChild->FirstChild;
        h.frame->resize(1000, 700);
        h.frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(h.frame.get()));
        ASSERT_EQ(h.frame->OpenScreenWindow(screen), 1);
        editor::CScreenLed* canvas = h.frame->FindItemWindow(screen);
        ASSERT_NE(canvas, nullptr);
        OnController sim(screen);
        tagGlobalInfo g = screen->Global;
        g.Width = 128;
        g.Height = 32;
        g.Type = 13;   // one colour
        std::vector<std::uint8_t> block(kHardwareBlockSize);
        BuildHardwareBlock(g, block.data());
        sim.controller.setAnswer(TOS_HWREADCFG, block);
        sim.controller.setVersion(0x0E010100, 0x01000000, 0);

        auto* pane = static_cast<panels::CPanelProperty*>(h.frame->Port().propertyPane.data());
        ASSERT_TRUE(h.list()->SelectNode(section));
        QCoreApplication::processEvents();
        auto* border = pane->windowPage()->border();
        auto* bandWidth = support::findByControlId<QComboBox>(border, panels::CPropertyBorder::IdWidth);
        ASSERT_NE(bandWidth, nullptr);
        auto* info = pane->screenPage()->info();
        auto* width = support::findByControlId<QLabel>(info, panels::CPropertyScreenInfo::IdWidth);
        auto* mode = support::findByControlId<QLabel>(info, panels::CPropertyScreenInfo::IdWorkMode);
        ASSERT_TRUE(width && mode);
        const auto blockBefore = [&] {
            std::array<std::uint8_t, GLOBALINFO_SIZE> b{};
            WriteGlobalInfo(screen->Global, b.data());
            return b;
        };
        const auto before = blockBefore();
        const QImage shown = canvas->sectionCanvas(section)->display();
        const QString widthText = width->text(), modeText = mode->text(), band = bandWidth->currentText();
        ASSERT_FALSE(shown.isNull());
        // The border lights the section's edge; its inside is empty.
        const auto borderDrawn = [&] {
            const QImage c = canvas->sectionCanvas(section)->content();
            const QRgb inside = c.pixel(c.width() / 2, c.height() / 2);
            int top = 0, left = 0;
            for (int x = 0; x < c.width(); ++x)
                top += c.pixel(x, 0) != inside;
            for (int y = 0; y < c.height(); ++y)
                left += c.pixel(1, y) != inside;
            return top > 0 && left > 0;
        };
        ASSERT_TRUE(borderDrawn());

        bool read = false;
        support::ModalRunner runner([&](QWidget* modal) {
            auto* dlg = qobject_cast<dialogs::CSettingHW*>(modal);
            ASSERT_NE(dlg, nullptr);
            QTest::mouseClick(support::findByControlId<QPushButton>(dlg, dialogs::CSettingHW::IDC_READ),
                              Qt::LeftButton);
            read = dlg->resultText() == platform::langString(dialogs::CSettingHW::IDS_READ_DONE);
            // Shown at once, while the dialog is up.
            EXPECT_EQ(screen->Global.Width, 128);
            EXPECT_EQ(width->text(), QStringLiteral("128"));
            QTest::mouseClick(support::findByControlId<QPushButton>(dlg, cancel ? 2 : 1), Qt::LeftButton);
        }, 20000);
        h.frame->OnCommand(ID_HARDWARE_SETTINGS);
        ASSERT_TRUE(runner.answered()) << runner.failure().toStdString();
        ASSERT_TRUE(read);
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        if (cancel) {
            EXPECT_EQ(blockBefore(), before);
            EXPECT_EQ(section->Section.RectW, 104);
            EXPECT_EQ(canvas->sectionCanvas(section)->display(), shown);
            EXPECT_EQ(width->text(), widthText);
            EXPECT_EQ(mode->text(), modeText);
        } else {
            EXPECT_EQ(screen->Global.Width, 128);
            EXPECT_EQ(screen->Global.Type, 13);
            EXPECT_EQ(width->text(), QStringLiteral("128"));
            EXPECT_EQ(mode->text(), spine::workModeCaption(13));
        }
        // Whichever button closed it, the canvas draws the border the pane names.
        EXPECT_EQ(bandWidth->currentText(), band);
        const QImage now = canvas->sectionCanvas(section)->display();
        const QImage fresh = [&] {
            h.core.Paint(section);
            canvas->RefreshItem(section);
            return canvas->sectionCanvas(section)->display();
        }();
        EXPECT_EQ(now, fresh) << "cancel " << cancel;
        EXPECT_TRUE(borderDrawn()) << "cancel " << cancel;
    }
}
