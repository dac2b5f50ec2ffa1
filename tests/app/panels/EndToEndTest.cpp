// What the panels store reaches the controller: a link set in the
// communication panel carries the task dialog's transfer to the simulated
// controller,
// a schedule set in the schedule panel becomes the scene's "stmr" record, and
// the effects chosen in the effect panel appear in the item's descriptors.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/dialogs/task/TaskDlg.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyEffectText.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/panels/PropertyScenePlayMode.h"
#include "app/panels/PropertySceneShow.h"
#include "app/panels/PropertySceneTimer.h"
#include "core/api/Core.h"
#include "core/model/Utilities.h"
#include "core/render/ContentCompiler.h"
#include "support/SimController.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QTimeEdit>
#include <cstring>
#include <gtest/gtest.h>

using namespace sorvane::render;

using namespace panels;
using paneltest::choose;
using paneltest::typeInto;
using support::findByControlId;

namespace {

struct EndToEnd : ::testing::Test {
    CCore core;
    paneltest::FakeHost host;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* window = nullptr;
    tagItemData* text = nullptr;
    std::unique_ptr<CPanelProperty> pane;

    void SetUp() override
    {
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        tagGlobalInfo& g = screen->Global;
        g.Width = 64;
        g.Height = 32;
        g.Type = 17;
        g.ScanMode = 4;
        g.ID = 1;
        scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        window = core.AddItem(IT_WND_TEXT, u"window", scene, nullptr);
        core.ChangeItemRect(window, 0, 0, 64, 32);
        text = core.AddItem(IT_TEXT, u"text", window, nullptr);
        pane = std::make_unique<CPanelProperty>(PanelContext{core, &host});
        pane->resize(1300, 260);
        pane->show();
    }
    void TearDown() override
    {
        pane.reset();
        core.DeleteItem(screen);
    }
    void select(tagItemData* n)
    {
        platform::sendMessage(pane.get(), spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(n));
        QCoreApplication::processEvents();
    }
    template <typename W>
    W* ctl(QWidget* in, int id)
    {
        W* w = findByControlId<W>(in, id);
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    static std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at)
    {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
    }
    static std::uint16_t u16(const std::vector<std::uint8_t>& b, std::size_t at)
    {
        return std::uint16_t(b[at] | b[at + 1] << 8);
    }
};

} // namespace

TEST_F(EndToEnd, ALinkSetInThePanelCarriesTheProgramsToTheController)
{
    sim::SimController controller;
    sim::TcpPeer peer(controller);
    select(screen);
    QWidget* comm = pane->screenPage()->comm();
    choose(ctl<QComboBox>(comm, CPropertyScreenComm::IdLinkType), COMM_NETWORK);
    typeInto(ctl<QLineEdit>(comm, CPropertyScreenComm::IdIp), "127.0.0.1");
    typeInto(ctl<QLineEdit>(comm, CPropertyScreenComm::IdPort), QString::number(peer.port()));

    const tagGlobalInfo& g = screen->Global;
    EXPECT_EQ(g.CommType, std::uint32_t(COMM_NETWORK));
    EXPECT_EQ(g.HostKind, 0);
    EXPECT_STREQ(g.Host, "127.0.0.1");
    EXPECT_EQ(g.HostPort, peer.port());

    // Sent as the program sends: through the task dialog, which closes by
    // itself on success.
    dialogs::CTaskDlg dlg(core);
    ASSERT_EQ(dlg.SetTask(dialogs::TASK_SEND_PROGRAMS, screen), 1);
    dlg.open();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg.isVisible(); }, 5000));
    EXPECT_EQ(dlg.result(), 1);
    EXPECT_GT(dlg.Result(), 0);
    ASSERT_TRUE(controller.waitForBlocks(4));
    EXPECT_EQ(controller.blocks().size(), 4u);
}

TEST_F(EndToEnd, AScheduleSetInThePanelIsCompiledIntoTheScenesRecord)
{
    select(scene);
    QWidget* timer = pane->scenePage()->timer();
    ctl<QCheckBox>(timer, CPropertySceneTimer::IdDateOn)->click();
    ctl<QDateEdit>(timer, CPropertySceneTimer::IdDate)->setDate(QDate(2031, 5, 17));
    ctl<QCheckBox>(timer, CPropertySceneTimer::IdWeekOn)->click();
    ctl<QCheckBox>(timer, 6230)->click();   // Monday
    ctl<QCheckBox>(timer, 6234)->click();   // Friday
    ctl<QCheckBox>(timer, CPropertySceneTimer::IdTimeOn)->click();
    ctl<QTimeEdit>(timer, CPropertySceneTimer::IdStart)->setTime(QTime(9, 5));
    ctl<QTimeEdit>(timer, CPropertySceneTimer::IdEnd)->setTime(QTime(18, 30));

    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const std::vector<std::uint8_t>& d = CContentCompiler::CompiledSlot(scene, 3);
    ASSERT_GE(d.size(), 36u);
    SYSTEMTIME day;
    day.wYear = 2031;
    day.wMonth = 5;
    day.wDay = 17;
    std::vector<std::uint8_t> want(36, 0);
    std::memcpy(want.data(), "stmr", 4);
    want[4] = 3;
    want[6] = 36;
    want[8] = 7;
    const std::uint32_t date = core.PCToRemoteTime(day);
    for (int i = 0; i < 4; ++i)
        want[std::size_t(12 + i)] = std::uint8_t(date >> (8 * i));
    want[16] = (1 << 1) | (1 << 5);
    want[20] = 5;
    want[21] = 9;
    want[22] = 30;
    want[23] = 18;
    EXPECT_EQ(std::vector<std::uint8_t>(d.begin(), d.begin() + 36), want);
    CContentCompiler::FreeBuffers(screen);
}

TEST_F(EndToEnd, EffectsChosenInThePanelAreCompiledIntoTheItem)
{
    select(window);
    QWidget* effect = pane->windowPage()->effect();
    ASSERT_EQ(pane->windowPage()->effect()->node(), text);
    auto* entry = ctl<QComboBox>(effect, CPropertyEffectText::IdEntry);
    choose(entry, entry->findData(5));
    auto* exit = ctl<QComboBox>(effect, CPropertyEffectText::IdExit);
    choose(exit, exit->findData(7));
    typeInto(ctl<QLineEdit>(effect, CPropertyEffectText::IdEntrySpeed), "30");
    typeInto(ctl<QLineEdit>(effect, CPropertyEffectText::IdExitSpeed), "45");
    typeInto(ctl<QLineEdit>(effect, CPropertyEffectText::IdStay), "3000");

    ASSERT_EQ(CContentCompiler::Compile(screen), 1);
    const std::vector<std::uint8_t>& desc = CContentCompiler::CompiledSlot(text, 2);
    ASSERT_EQ(desc.size(), 24u);
    EXPECT_EQ(u32(desc, 0), 3000u);
    EXPECT_EQ(desc[4], 5);
    EXPECT_EQ(u16(desc, 6), 30);
    const std::vector<std::uint8_t>& header = CContentCompiler::CompiledSlot(text, 1);
    ASSERT_GE(header.size(), 52u);
    EXPECT_EQ(std::memcmp(header.data() + 16, "cler", 4), 0);
    EXPECT_EQ(header[20], 7);
    EXPECT_EQ(u16(header, 24), 45);
    CContentCompiler::FreeBuffers(screen);
}
