// The set-up wizard: navigation and button states, each page's store, the
// work-mode classes, and a walk of all five pages against the simulated
// controller, with the failure panel and a retry.
#include "WizardTestUtil.h"

#include "app/spine/Messages.h"
#include "app/dialogs/device/UnitSpinEdit.h"
#include "app/dialogs/wizard/ModelCatalogue.h"
#include "app/dialogs/wizard/Wizard.h"
#include "app/dialogs/wizard/WizardPages.h"
#include "app/dialogs/wizard/WorkModeClass.h"
#include "platform/Clock.h"
#include "support/ModalScript.h"
#include "support/MessageSpy.h"
#include "support/SimController.h"
#include "support/SeamScope.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

using namespace dialogs;

namespace {

// Stands in for the frame: takes the screen into the tree, builds a starter
// program and sends settings and programs as the flags ask.
class Frame : public support::MessageSpy {
public:
    explicit Frame(CCore& core) : m_core(core) {}
    tagItemData* taken = nullptr;
    std::uint32_t hardwareAtFinish = 0;
    int programsResult = -100;

protected:
    bool event(QEvent* e) override
    {
        auto* m = platform::asMessage(e, spine::WM_WIZARD_FINISH);
        if (!m)
            return QWidget::event(e);
        record(spine::WM_WIZARD_FINISH, m->wParam(), m->lParam());
        taken = reinterpret_cast<tagItemData*>(m->wParam());
        hardwareAtFinish = taken->Global.HardwareId;
        m_core.ModifyItemPos(taken, nullptr, m_core.GetScreen(0));
        if (m->lParam() & 0xFFFF) {
            tagItemData* scene = m_core.AddItem(IT_SCENE, u"scene", taken, nullptr);
            tagItemData* section = m_core.AddItem(IT_WND_TEXT, u"section", scene, nullptr);
            m_core.ChangeItemRect(section, 0, 0, taken->Global.Width, taken->Global.Height);
            m_core.AddItem(IT_GRID, u"table", section, nullptr);
        }
        if ((m->lParam() >> 16) & 0xFFFF) {
            if (m_core.SendHardwareInfo(taken, 0) > 0)
                programsResult = m_core.SendPrograms(taken);
        }
        return true;
    }

private:
    CCore& m_core;
};

template <typename T>
T* byId(QWidget* w, int id)
{
    return support::findByControlId<T>(w, id);
}

void press(CWizard& w, int id)
{
    auto* b = byId<QPushButton>(&w, id);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(b->isEnabled()) << id;
    QTest::mouseClick(b, Qt::LeftButton);
}

// Page 1 on the first model with a serial and a network link, so the link
// page offers each kind; its place in the list.
int chooseModelWithEveryLink(CWizard& w)
{
    auto* model = byId<QComboBox>(w.page(1), CWizardSelModel::IDC_MODEL);
    for (int i = 0; i < model->count(); ++i) {
        const FirmwareInfo* info = CCore::GetFirmwareInfo(model->itemData(i).toUInt());
        if (info && (info->featureBits & 0x01) && (info->featureBits & 0x04) && (info->featureBits & 0x18)) {
            model->setCurrentIndex(i);
            return i;
        }
    }
    ADD_FAILURE() << "no model with every link";
    return 0;
}

struct Buttons {
    bool back, next, finish;
    bool operator==(const Buttons&) const = default;
};

Buttons buttons(CWizard& w)
{
    return {byId<QPushButton>(&w, CWizard::IDC_BACK)->isEnabled(), byId<QPushButton>(&w, CWizard::IDC_NEXT)->isEnabled(),
            byId<QPushButton>(&w, CWizard::IDC_FINISH)->isEnabled()};
}

class BrokenPage : public CPage {
public:
    bool Create(CWizard*) override { return false; }
};

class RunnerScope {
public:
    explicit RunnerScope(std::function<int(QWidget*, CCore&, tagItemData*)> r) { m_seams->wizardSearch = std::move(r); }

private:
    support::SeamScope m_seams;
};

} // namespace

TEST(WizardWorkModes, ClassesByCodeAndByPosition)
{
    EXPECT_EQ(WorkModeClassOf(0).maxScan, 16);
    EXPECT_EQ(WorkModeClassOf(13).maxScan, 16);   // row 13 read as a position
    const WorkModeClass byCode17 = WorkModeClassOf(17);
    EXPECT_EQ(byCode17.maxScan, 4);
    EXPECT_EQ(byCode17.presetScan, 4);
    EXPECT_TRUE(byCode17.firstOption);
    EXPECT_EQ(WorkModeClassOf(22).maxScan, 4);    // no row
    EXPECT_EQ(WorkModeClassOf(8).presetScan, 4);
    EXPECT_EQ(WorkModeClassOf(8).maxScan, 8);
    EXPECT_EQ(WorkModeClassOf(64).maxScan, 2);
}

TEST(Wizard, APageThatCannotBeMadeEndsTheWizard)
{
    CCore core;
    CWizard w(core);
    w.AddPage(new CWizardSelModel);
    w.AddPage(new BrokenPage);
    support::ModalScript bound(5000);   // a wizard that stays up fails instead of hanging
    bound.allow(QString::fromLatin1(CWizard::staticMetaObject.className()));
    EXPECT_EQ(w.exec(), QDialog::Rejected);
    EXPECT_FALSE(w.isVisible());
}

TEST(Wizard, NavigationButtonsAndCancelLeaveTheTreeAsItWas)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    RunnerScope search([](QWidget*, CCore&, tagItemData*) { return 2; });
    CCore core;
    tagItemData* old = wiztest::addScreen(core, u"old");
    Frame frame(core);
    frame.watch(spine::WM_WIZARD_FINISH);
    {
        CWizard w(core, &frame);
        w.AddStandardPages();
        ASSERT_TRUE(w.InitDialog());
        w.show();
        EXPECT_EQ(w.GetCurrentPage(), 1);
        EXPECT_EQ(buttons(w), (Buttons{false, true, true}));
        // Enter in a page's edit neither finishes nor closes.
        w.GoToPage(2);
        auto* port = byId<QLineEdit>(w.page(2), CWizardSelComm::IDC_PORT);
        devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_NETWORK));
        port->setFocus();
        QTest::keyClick(port, Qt::Key_Return);
        QTest::keyClick(port, Qt::Key_Escape);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.GetCurrentPage(), 2);
        EXPECT_EQ(buttons(w), (Buttons{true, true, true}));
        // The frame keeps one size and its buttons one place on every page.
        const QSize size = w.size();
        const QPoint nextAt = byId<QPushButton>(&w, CWizard::IDC_NEXT)->pos();
        for (int page = 1; page <= 5; ++page) {
            w.GoToPage(page);
            QCoreApplication::processEvents();
            EXPECT_EQ(w.size(), size) << page;
            EXPECT_EQ(byId<QPushButton>(&w, CWizard::IDC_NEXT)->pos(), nextAt) << page;
        }
        EXPECT_EQ(buttons(w), (Buttons{true, false, true}));
        w.OnNext();   // nothing past the last page
        EXPECT_EQ(w.GetCurrentPage(), 5);
        w.GoToPage(1);
        w.OnBack();
        EXPECT_EQ(w.GetCurrentPage(), 1);
        EXPECT_EQ(w.GoToPage(9), 0);
        QTest::mouseClick(byId<QPushButton>(&w, CWizard::IDC_CANCEL), Qt::LeftButton);
        EXPECT_EQ(w.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(frame.isEmpty());
    EXPECT_EQ(core.GetScreen(0), old);
    EXPECT_EQ(core.GetScreen(1), nullptr);
    EXPECT_EQ(wiztest::nodeCount(core.GetScreen(0)), 1);

    // OK closes as accepted on any page, without finishing.
    {
        CWizard w(core, &frame);
        w.AddStandardPages();
        ASSERT_TRUE(w.InitDialog());
        w.show();
        w.GoToPage(3);
        auto* ok = byId<QPushButton>(&w, CWizard::IDC_OK);
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(ok->isVisible());
        EXPECT_EQ(ok->text(), platform::langDialogText(CWizard::IDD, CWizard::IDC_OK));
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(w.result(), QDialog::Accepted);
    }
    EXPECT_TRUE(frame.isEmpty());
    EXPECT_EQ(core.GetScreen(1), nullptr);
}

TEST(Wizard, ModelAndLinkPagesStoreWhatWasChosen)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    const QList<ModelEntry> models = OfferedModels();
    ASSERT_GE(models.size(), 2);
    RunnerScope search([](QWidget*, CCore&, tagItemData*) { return 2; });
    CCore core;
    Frame frame(core);
    frame.watch(spine::WM_WIZARD_FINISH);
    {
        // An unknown id opens with the first model; keeping the id stores nothing.
        CWizard w(core, &frame);
        w.AddStandardPages();
        ASSERT_TRUE(w.InitDialog());
        w.screen()->Global.HardwareId = 0;
        w.page(1)->ShowPage();
        auto* model = byId<QComboBox>(w.page(1), CWizardSelModel::IDC_MODEL);
        EXPECT_EQ(model->currentIndex(), 0);
        EXPECT_FALSE(byId<QTextEdit>(w.page(1), CWizardSelModel::IDC_DESCRIPTION)->toPlainText().isEmpty());
        devicetest::click(byId<QCheckBox>(w.page(1), CWizardSelModel::IDC_KEEP));
        EXPECT_FALSE(model->isEnabled());
        w.OnNext();
        EXPECT_EQ(w.screen()->Global.HardwareId, 0u);
        // Network with port 9000 through Next; Finish from the link page stores the kind only.
        devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_NETWORK));
        auto* port = byId<QLineEdit>(w.page(2), CWizardSelComm::IDC_PORT);
        EXPECT_TRUE(port->isEnabled());
        port->setText("9000");
        w.OnNext();   // on to the search page, which finds nothing here
        EXPECT_EQ(w.screen()->Global.HostPort, 9000);
        EXPECT_EQ(w.screen()->Global.CommType, std::uint32_t(COMM_NETWORK));
    }
    {
        CWizard w(core, &frame);
        w.AddStandardPages();
        ASSERT_TRUE(w.InitDialog());
        const std::uint16_t portBefore = w.screen()->Global.HostPort;
        const int chosen = chooseModelWithEveryLink(w);
        w.OnNext();
        EXPECT_EQ(w.screen()->Global.HardwareId, models[chosen].id);
        devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_SERIAL));
        EXPECT_FALSE(byId<QLineEdit>(w.page(2), CWizardSelComm::IDC_PORT)->isEnabled());
        EXPECT_EQ(byId<QLabel>(w.page(2), CWizardSelComm::IDC_HINT)->text(), platform::langString(48165));
        devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_NETWORK));
        byId<QLineEdit>(w.page(2), CWizardSelComm::IDC_PORT)->setText("7000");
        tagItemData* made = w.screen();
        w.OnFinish();
        ASSERT_EQ(frame.count(spine::WM_WIZARD_FINISH), 1);
        EXPECT_EQ(frame.taken, made);
        EXPECT_EQ(frame.messages()[0].l, 0);
        EXPECT_EQ(made->Global.CommType, std::uint32_t(COMM_NETWORK));
        EXPECT_EQ(made->Global.HostPort, portBefore);
    }
    EXPECT_EQ(core.GetScreen(0), frame.taken);   // the frame's screen outlives the wizard
}

TEST(Wizard, SearchResultPanelPresetsAndClasses)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    CCore core;
    CWizard w(core);
    w.AddStandardPages();
    ASSERT_TRUE(w.InitDialog());
    auto* panel = static_cast<CWizardRetrieve*>(w.page(3))->resultPanel();
    // A controller reporting full colour with a scan its mode cannot take:
    // the scan comes within the mode's range, so the programs still compile.
    w.screen()->Global.Type = 17;
    w.screen()->Global.ScanMode = 8;
    panel->LoadFromScreen(w.screen());
    auto* scanSpin = byId<CSpinButtons>(panel, CWizardHwForm::IDC_SCAN_SPIN);
    auto* mode = byId<QComboBox>(panel, CWizardHwForm::IDC_WORKMODE);
    EXPECT_TRUE(byId<QRadioButton>(panel, CWizardRetrieveSuccess::IDC_PRESET_COLOUR)->isChecked());
    EXPECT_FALSE(mode->isEnabled());
    EXPECT_EQ(scanSpin->maximum(), 4);    // class of code 17
    EXPECT_EQ(scanSpin->position(), 4);
    // A mode of a wider class keeps a scan within its range.
    w.screen()->Global.Type = 0;
    w.screen()->Global.ScanMode = 8;
    panel->LoadFromScreen(w.screen());
    EXPECT_EQ(scanSpin->maximum(), 16);
    EXPECT_EQ(scanSpin->position(), 8);
    w.screen()->Global.Type = 17;
    panel->LoadFromScreen(w.screen());
    devicetest::click(byId<QRadioButton>(panel, CWizardRetrieveSuccess::IDC_OWN));
    ASSERT_TRUE(mode->isEnabled());
    mode->setCurrentIndex(13);
    emit mode->activated(13);
    EXPECT_EQ(scanSpin->maximum(), 4);    // class of code 17
    EXPECT_EQ(scanSpin->position(), 4);
    EXPECT_TRUE(byId<QCheckBox>(panel, CWizardHwForm::IDC_OPTION0)->isChecked());
    w.screen()->Global.Type = 99;
    panel->LoadFromScreen(w.screen());
    EXPECT_EQ(mode->currentIndex(), -1);
    EXPECT_EQ(scanSpin->maximum(), 4);    // position 22
    EXPECT_TRUE(byId<QRadioButton>(panel, CWizardRetrieveSuccess::IDC_OWN)->isChecked());
}

namespace {

struct SimWizard {
    // Waits pass ten times faster: short enough for a silent controller,
    // long enough for a busy machine.
    platform::ScaledClock clock{10};
    sim::SimController controller;
    sim::TcpPeer peer{controller};
    CCore core;
    Frame frame{core};

    SimWizard()
    {
        platform::setClock(&clock);
        frame.watch(spine::WM_WIZARD_FINISH);
        controller.setAddress(1);
    }
    ~SimWizard() { platform::setClock(nullptr); }
};

} // namespace

TEST(WizardSim, AllFivePagesAgainstTheSimulatedController)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    SimWizard sim;
    CWizard w(sim.core, &sim.frame);
    w.AddStandardPages();
    ASSERT_TRUE(w.InitDialog());
    w.show();
    tagItemData* screen = w.screen();
    devicetest::setText(screen->Global.Host, sizeof screen->Global.Host, "127.0.0.1");

    chooseModelWithEveryLink(w);
    press(w, CWizard::IDC_NEXT);
    devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_NETWORK));
    byId<QLineEdit>(w.page(2), CWizardSelComm::IDC_PORT)->setText(QString::number(sim.peer.port()));
    QCoreApplication::processEvents();
    const QSize size = w.size();
    press(w, CWizard::IDC_NEXT);   // searches through the task dialog
    ASSERT_EQ(w.GetCurrentPage(), 3);
    auto* search = static_cast<CWizardRetrieve*>(w.page(3));
    EXPECT_TRUE(search->failurePanel()->isHidden());
    ASSERT_FALSE(search->resultPanel()->isHidden());
    QCoreApplication::processEvents();
    EXPECT_EQ(w.size(), size);   // the result panel had its room already
    EXPECT_EQ(byId<QLabel>(search, CWizardRetrieve::IDC_STATUS)->text(), platform::langString(48163));

    // Write on the result panel: settings sent, then the display off and on.
    sim.controller.clearRecords();
    auto* width = byId<QLineEdit>(search->resultPanel(), CWizardHwForm::IDC_WIDTH);
    width->selectAll();
    QTest::keyClicks(width, "90");
    QTest::mouseClick(byId<QPushButton>(search->resultPanel(), CWizardRetrieveSuccess::IDC_WRITE), Qt::LeftButton);
    EXPECT_EQ(screen->Global.Width, 96);
    EXPECT_EQ(screen->Global.Lum, 500);
    EXPECT_FALSE(sim.controller.hardware().empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return sim.controller.switchValue() == 1u; }, 2000));

    press(w, CWizard::IDC_NEXT);
    ASSERT_EQ(w.GetCurrentPage(), 4);
    auto* lum = byId<QLineEdit>(w.page(4), CWizardHwForm::IDC_LUM);
    EXPECT_EQ(lum->text(), "500");
    auto* address = byId<QLineEdit>(w.page(4), CWizardHwForm::IDC_ADDRESS);
    address->selectAll();
    QTest::keyClicks(address, "0");
    EXPECT_EQ(byId<CSpinButtons>(w.page(4), CWizardHwForm::IDC_ADDRESS_SPIN)->position(), 1);
    address->selectAll();
    QTest::keyClicks(address, "1");
    lum->selectAll();
    QTest::keyClicks(lum, "300");
    // Full colour: the work mode sets its own scan range and preset.
    auto* mode = byId<QComboBox>(w.page(4), CWizardHwForm::IDC_WORKMODE);
    mode->setCurrentIndex(13);
    emit mode->activated(13);
    EXPECT_EQ(byId<QLineEdit>(w.page(4), CWizardHwForm::IDC_SCAN)->text(), "4");
    sim.controller.clearRecords();
    press(w, CWizard::IDC_NEXT);
    ASSERT_EQ(w.GetCurrentPage(), 5);
    EXPECT_EQ(screen->Global.Lum, 300);
    EXPECT_EQ(screen->Global.Type, 17);
    EXPECT_EQ(screen->Global.ScanMode, 4);
    EXPECT_FALSE(sim.controller.hardware().empty());

    devicetest::click(byId<QCheckBox>(w.page(5), CWizardEditProgram::IDC_STARTER));
    devicetest::click(byId<QCheckBox>(w.page(5), CWizardEditProgram::IDC_SEND));
    sim.controller.clearRecords();
    press(w, CWizard::IDC_FINISH);
    EXPECT_EQ(w.result(), QDialog::Accepted);
    ASSERT_EQ(sim.frame.count(spine::WM_WIZARD_FINISH), 1);
    EXPECT_EQ(sim.frame.messages()[0].l, platform::LPARAM(0x10001));
    EXPECT_EQ(sim.frame.taken, screen);
    EXPECT_EQ(sim.core.GetScreen(0), screen);
    // Settings, then the four program blocks.
    EXPECT_GT(sim.frame.programsResult, 0);
    EXPECT_TRUE(sim.controller.waitForBlocks(5));
}

TEST(WizardSim, TheLinkPageOffersAPortAddedByItsPathAndTheSearchFindsTheControllerThere)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    platform::ScopedClockScale fast(20);
    sim::SimController controller;
    sim::PtyPeer peer(controller);
    const QString pty = QString::fromStdString(peer.slavePath());
    CCore core;
    core.AddUserSerialPort(reinterpret_cast<const char16_t*>(pty.utf16()));
    Frame frame(core);
    CWizard w(core, &frame);
    w.AddStandardPages();
    ASSERT_TRUE(w.InitDialog());
    w.show();
    chooseModelWithEveryLink(w);
    press(w, CWizard::IDC_NEXT);
    auto* ports = byId<QComboBox>(w.page(2), CWizardSelComm::IDC_SERIAL_PORT);
    ASSERT_NE(ports, nullptr);
    devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_NETWORK));
    EXPECT_FALSE(ports->isEnabled());
    devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_SERIAL));
    EXPECT_TRUE(ports->isEnabled());
    const int at = ports->findText(pty);
    ASSERT_GE(at, 0);
    ports->setFocus();
    while (ports->currentIndex() != at)
        QTest::keyClick(ports, ports->currentIndex() < at ? Qt::Key_Down : Qt::Key_Up);
    press(w, CWizard::IDC_NEXT);   // searches, the chosen port first
    ASSERT_EQ(w.GetCurrentPage(), 3);
    auto* search = static_cast<CWizardRetrieve*>(w.page(3));
    EXPECT_FALSE(search->resultPanel()->isHidden());
    tagItemData* screen = w.screen();
    EXPECT_EQ(screen->Global.CommType, std::uint32_t(COMM_SERIAL));
    EXPECT_EQ(core.GetSerialPortName(int(screen->Global.SerialPort)), pty);
    ASSERT_FALSE(controller.blocks().empty());
    EXPECT_EQ(controller.blocks()[0].header.command, 21);
}

TEST(WizardSim, TheFailurePanelAndARetry)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    SimWizard sim;
    int searches = 0;
    bool reachable = false;
    RunnerScope runner([&](QWidget*, CCore& core, tagItemData* s) {
        ++searches;
        return reachable && core.RetrieveConnection(s) > 0 ? 1 : 2;
    });
    CWizard w(sim.core, &sim.frame);
    w.AddStandardPages();
    ASSERT_TRUE(w.InitDialog());
    w.show();
    tagItemData* screen = w.screen();
    devicetest::bindTcp(screen, sim.peer.port());
    w.GoToPage(3);
    auto* search = static_cast<CWizardRetrieve*>(w.page(3));
    EXPECT_EQ(searches, 1);
    ASSERT_FALSE(search->failurePanel()->isHidden());
    EXPECT_TRUE(search->resultPanel()->isHidden());
    EXPECT_EQ(byId<QLabel>(search, CWizardRetrieve::IDC_STATUS)->text(), platform::langString(48164));
    const auto statusColour = [&] {
        return byId<QLabel>(search, CWizardRetrieve::IDC_STATUS)->palette().color(QPalette::WindowText);
    };
    const QColor failure = statusColour();
    EXPECT_EQ(failure, QColor(0xFF, 0, 0));

    reachable = true;
    QTest::mouseClick(byId<QPushButton>(search, CWizardRetrieve::IDC_RETRY), Qt::LeftButton);
    EXPECT_EQ(searches, 2);
    EXPECT_FALSE(search->resultPanel()->isHidden());
    EXPECT_TRUE(search->failurePanel()->isHidden());
    // A found controller is not reported in the failure colour.
    EXPECT_EQ(byId<QLabel>(search, CWizardRetrieve::IDC_STATUS)->text(), platform::langString(48163));
    EXPECT_NE(statusColour(), failure);

    // Back from the hardware page searches again.
    press(w, CWizard::IDC_NEXT);
    ASSERT_EQ(w.GetCurrentPage(), 4);
    press(w, CWizard::IDC_BACK);
    EXPECT_EQ(w.GetCurrentPage(), 3);
    EXPECT_EQ(searches, 3);
}

TEST(WizardSim, TheDisplayRestartsOnlyAfterATakenHardwareSend)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    SimWizard sim;
    CWizard w(sim.core, &sim.frame);
    w.AddStandardPages();
    ASSERT_TRUE(w.InitDialog());
    RunnerScope runner([](QWidget*, CCore&, tagItemData*) { return 2; });
    w.GoToPage(4);
    auto* page = static_cast<CWizardHwConfig*>(w.page(4));
    // Nobody listens: the send fails and no switch follows.
    std::uint16_t closed = 0;
    {
        sim::SimController gone;
        sim::TcpPeer peer(gone);
        closed = peer.port();
    }
    devicetest::bindTcp(w.screen(), closed);
    EXPECT_FALSE(page->OnWrite());
    auto* panel = static_cast<CWizardRetrieve*>(w.page(3))->resultPanel();
    EXPECT_FALSE(panel->OnWrite());
    EXPECT_EQ(sim.controller.switchValue(), 0u);
    // Taken: off, then on again.
    devicetest::bindTcp(w.screen(), sim.peer.port());
    QTest::mouseClick(byId<QPushButton>(page, CWizardHwConfig::IDC_WRITE), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sim.peer.received().size() == 3u; }, 2000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return sim.controller.switchValue() == 1u; }, 2000));
    EXPECT_TRUE(panel->OnWrite());
}

TEST(WizardSim, AControllerGoneAfterTheSearchIsSaidOnThePageAndThePageStays)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    SimWizard sim;
    auto pty = std::make_unique<sim::PtyPeer>(sim.controller);
    RunnerScope runner([](QWidget*, CCore& core, tagItemData* s) { return core.RetrieveConnection(s) > 0 ? 1 : 2; });
    CWizard w(sim.core, &sim.frame);
    w.AddStandardPages();
    ASSERT_TRUE(w.InitDialog());
    w.show();
    devicetest::bindPty(sim.core, w.screen(), pty->slavePath());
    w.GoToPage(3);
    auto* search = static_cast<CWizardRetrieve*>(w.page(3));
    ASSERT_FALSE(search->resultPanel()->isHidden());
    auto* found = byId<QLabel>(search->resultPanel(), CWizardRetrieveSuccess::IDC_RESULT);
    EXPECT_EQ(found->text(), platform::langString(48276));

    // Unplugged: its pseudo-terminal is gone.
    pty.reset();
    devicetest::bindNoDevice(sim.core, w.screen());
    const QString readFailed = platform::langString(48277), writeFailed = platform::langString(48279);
    QTest::mouseClick(byId<QPushButton>(search->resultPanel(), CWizardRetrieveSuccess::IDC_WRITE), Qt::LeftButton);
    EXPECT_EQ(found->text(), writeFailed);
    EXPECT_EQ(found->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));
    QTest::mouseClick(byId<QPushButton>(search->resultPanel(), CWizardRetrieveSuccess::IDC_READ), Qt::LeftButton);
    EXPECT_EQ(found->text(), readFailed);
    found->clear();
    press(w, CWizard::IDC_NEXT);
    EXPECT_EQ(w.GetCurrentPage(), 3);
    EXPECT_EQ(found->text(), writeFailed);
    devicetest::saveShot(w, QStringLiteral("wizard3_write_failed_en"));
    press(w, CWizard::IDC_FINISH);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(sim.frame.count(spine::WM_WIZARD_FINISH), 0);

    // The hardware page the same: its answer shown, Next keeps it.
    w.GoToPage(4);
    auto* page = w.page(4);
    auto* answer = byId<QLabel>(page, CWizardHwConfig::IDC_RESULT);
    QTest::mouseClick(byId<QPushButton>(page, CWizardHwConfig::IDC_READ), Qt::LeftButton);
    EXPECT_EQ(answer->text(), readFailed);
    QTest::mouseClick(byId<QPushButton>(page, CWizardHwConfig::IDC_WRITE), Qt::LeftButton);
    EXPECT_EQ(answer->text(), writeFailed);
    answer->clear();
    press(w, CWizard::IDC_NEXT);
    EXPECT_EQ(w.GetCurrentPage(), 4);
    EXPECT_EQ(answer->text(), writeFailed);
    devicetest::saveShot(w, QStringLiteral("wizard4_write_failed_en"));
    EXPECT_EQ(sim.controller.switchValue(), 0u);

    // Back on the controller: the page goes on.
    devicetest::bindTcp(w.screen(), sim.peer.port());
    press(w, CWizard::IDC_NEXT);
    EXPECT_EQ(w.GetCurrentPage(), 5);
    EXPECT_EQ(answer->text(), platform::langString(48278));
}

TEST(Wizard, ScreenshotsOfEveryPage)
{
    devicetest::PackScope packs;
    RunnerScope runner([](QWidget*, CCore&, tagItemData*) { return 1; });
    platform::ScaledClock clock(1000);
    platform::setClock(&clock);
    CCore core;
    core.AddUserSerialPort(u"/dev/serial/by-id/usb-Maker_Serial_0001-if00-port0");
    for (const char* pack : devicetest::kPacks) {
        ASSERT_TRUE(devicetest::loadPack(pack));
        CWizard w(core);
        w.AddStandardPages();
        ASSERT_TRUE(w.InitDialog());
        w.show();
        for (int p = 1; p <= 5; ++p) {
            w.GoToPage(p);
            EXPECT_EQ(w.GetCurrentPage(), p);
            devicetest::saveShot(w, QStringLiteral("wizard%1_").arg(p) + devicetest::packTag(pack));
        }
        auto* search = static_cast<CWizardRetrieve*>(w.page(3));
        RunnerScope failing([](QWidget*, CCore&, tagItemData*) { return 2; });
        search->OnRetry();
        w.GoToPage(3);
        devicetest::saveShot(w, QStringLiteral("wizard3fail_") + devicetest::packTag(pack));
    }
    platform::setClock(nullptr);
}

TEST(Wizard, AModelWithSerialOnlyOffersSerialOnlyAndNamesNoPanelsItLacks)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    RunnerScope search([](QWidget*, CCore&, tagItemData*) { return 2; });
    CCore core;
    Frame frame(core);
    CWizard w(core, &frame);
    w.AddStandardPages();
    ASSERT_TRUE(w.InitDialog());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* model = byId<QComboBox>(w.page(1), CWizardSelModel::IDC_MODEL);
    const int serialOnly = model->findText(QStringLiteral("VPA-E"));
    ASSERT_GE(serialOnly, 0);
    model->setFocus();
    QTest::keyClick(model, Qt::Key_Home);
    for (int i = 0; i < serialOnly; ++i)
        QTest::keyClick(model, Qt::Key_Down);
    ASSERT_EQ(model->currentIndex(), serialOnly);
    // No full-colour panels: no line for them, empty or not.
    const QString text = byId<QTextEdit>(w.page(1), CWizardSelModel::IDC_DESCRIPTION)->toPlainText();
    EXPECT_TRUE(text.startsWith(platform::langString(48252).trimmed())) << text.toStdString();
    EXPECT_FALSE(text.contains(platform::langString(48254).trimmed())) << text.toStdString();
    press(w, CWizard::IDC_NEXT);
    auto* serial = byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_SERIAL);
    auto* network = byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_NETWORK);
    auto* ethernet = byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_SERIAL + 1);
    EXPECT_TRUE(serial->isChecked());
    EXPECT_TRUE(serial->isEnabled());
    EXPECT_FALSE(network->isEnabled());
    EXPECT_FALSE(ethernet->isEnabled());
    QTest::mouseClick(network, Qt::LeftButton);
    EXPECT_TRUE(serial->isChecked());
    press(w, CWizard::IDC_FINISH);
    ASSERT_NE(frame.taken, nullptr);
    EXPECT_EQ(frame.hardwareAtFinish, model->itemData(serialOnly).toUInt());
    EXPECT_EQ(frame.taken->Global.CommType, std::uint32_t(COMM_SERIAL));
}

// Over the network, a model unlike the controller's: the searches and reads
// of pages 3 and 4 bring the controller's model back, and the chosen one
// stands unless "Keep the model read from the controller" is ticked.
TEST(WizardSim, TheChosenModelStandsOverTheNetworkUnlessTheReadOneIsKept)
{
    devicetest::PackScope packs;
    ASSERT_TRUE(devicetest::loadPack("UI_EN.rcc"));
    for (const bool keep : {false, true}) {
        SimWizard sim;
        CWizard w(sim.core, &sim.frame);
        w.AddStandardPages();
        ASSERT_TRUE(w.InitDialog());
        w.show();
        devicetest::setText(w.screen()->Global.Host, sizeof w.screen()->Global.Host, "127.0.0.1");
        auto* model = byId<QComboBox>(w.page(1), CWizardSelModel::IDC_MODEL);
        const int chosen = model->findText(QStringLiteral("VQ-6N"));
        const int other = model->findText(QStringLiteral("VPC-B"));
        ASSERT_GE(chosen, 0);
        ASSERT_GE(other, 0);
        const std::uint32_t controllers = model->itemData(other).toUInt();
        sim.controller.setVersion(controllers, 0x01000000, 0);
        model->setFocus();
        QTest::keyClick(model, Qt::Key_Home);
        for (int i = 0; i < chosen; ++i)
            QTest::keyClick(model, Qt::Key_Down);
        ASSERT_EQ(model->currentIndex(), chosen);
        if (keep)
            devicetest::click(byId<QCheckBox>(w.page(1), CWizardSelModel::IDC_KEEP));
        press(w, CWizard::IDC_NEXT);
        devicetest::click(byId<QRadioButton>(w.page(2), CWizardSelComm::IDC_NETWORK));
        auto* port = byId<QLineEdit>(w.page(2), CWizardSelComm::IDC_PORT);
        port->selectAll();
        QTest::keyClicks(port, QString::number(sim.peer.port()));
        press(w, CWizard::IDC_NEXT);   // searches, then reads
        ASSERT_EQ(w.GetCurrentPage(), 3);
        auto* search = static_cast<CWizardRetrieve*>(w.page(3));
        ASSERT_FALSE(search->resultPanel()->isHidden());
        QTest::mouseClick(byId<QPushButton>(search->resultPanel(), CWizardRetrieveSuccess::IDC_READ), Qt::LeftButton);
        press(w, CWizard::IDC_NEXT);
        ASSERT_EQ(w.GetCurrentPage(), 4);
        QTest::mouseClick(byId<QPushButton>(w.page(4), CWizardHwConfig::IDC_READ), Qt::LeftButton);
        press(w, CWizard::IDC_FINISH);
        ASSERT_NE(sim.frame.taken, nullptr) << keep;
        EXPECT_EQ(sim.frame.hardwareAtFinish, keep ? controllers : model->itemData(chosen).toUInt()) << keep;
    }
}
