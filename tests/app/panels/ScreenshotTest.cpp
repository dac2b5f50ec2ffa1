// Pictures of each page with its panels in each language, for review under
// $TAVRELO_TEST_OUTPUT/panels.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertyScreenComm.h"
#include "core/api/Core.h"
#include "platform/LangPack.h"
#include "support/TreeBuilder.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <gtest/gtest.h>

using namespace panels;

namespace {

class PageShots : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { platform::clearLangPack(); }
};

} // namespace

TEST_P(PageShots, EveryPageIsLaidOutAndLabelledInTheLanguage)
{
    ASSERT_TRUE(paneltest::loadPack(GetParam()));
    CCore core;
    const QString byPath = QStringLiteral("/dev/serial/by-id/usb-Maker_Serial_0001-if00-port0");
    core.AddUserSerialPort(reinterpret_cast<const char16_t*>(byPath.utf16()));
    support::TreeBuilder tree;
    tagItemData* screen = tree.screen(support::ScreenSpec{128, 64});
    screen->Global.ID = 3;
    screen->Global.CommType = COMM_NETWORK;
    std::strcpy(screen->Global.Host, "192.168.1.20");
    screen->Global.HostPort = 5005;
    tagItemData* scene = tree.scene(screen);
    scene->Scene.Schedule = 6;
    scene->Scene.ScheduleWeekdays = 0x3E;
    scene->Scene.StartTime = 8 << 8;
    scene->Scene.EndTime = 20 << 8;
    tagItemData* textWnd = tree.section(scene, QRect(0, 0, 64, 32), u"text", IT_WND_TEXT);
    tree.item(textWnd, IT_TEXT);
    tagItemData* listWnd = tree.section(scene, QRect(64, 0, 64, 32), u"list", IT_WND_PROGLIST);
    tree.item(listWnd, IT_IMAGE, u"Picture1");
    tree.item(listWnd, IT_SINGLELINE, u"Single line1");
    tree.item(listWnd, IT_GRID, u"Table1");

    CPanelProperty pane{PanelContext{core, nullptr}};
    pane.resize(1320, 250);
    pane.show();
    const struct {
        const char* name;
        tagItemData* node;
    } shots[] = {{"screen", screen}, {"scene", scene}, {"window-text", textWnd}, {"window-list", listWnd}};
    for (const auto& s : shots) {
        platform::sendMessage(&pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(s.node));
        QCoreApplication::processEvents();
        ASSERT_NE(pane.currentPage(), nullptr);
        // Every label with an id carries its pack text, and every panel its title.
        for (QLabel* l : pane.currentPage()->findChildren<QLabel*>())
            if (controls::controlId(l) && l->isVisible()) {
                EXPECT_FALSE(l->text().isEmpty()) << s.name << " label " << controls::controlId(l);
            }
        for (CPanelBase* p : pane.currentPage()->panels())
            if (p->isVisible() && !qobject_cast<CEmptyPanel*>(p)) {
                EXPECT_FALSE(p->title().isEmpty()) << s.name << " panel " << p->templateId();
            }
        const QString file = QStringLiteral("%1/%2_%3.png").arg(paneltest::outputDir(), s.name, GetParam());
        EXPECT_TRUE(pane.grab().save(file)) << file.toStdString();
    }
    // A serial screen on a device added by its path.
    screen->Global.CommType = COMM_SERIAL;
    screen->Global.SerialPort = std::uint32_t(core.GetSerialPortNumber(byPath));
    platform::sendMessage(&pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(scene));
    platform::sendMessage(&pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(screen));
    QCoreApplication::processEvents();
    auto* port = pane.findChild<CPropertyScreenComm*>();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(support::findByControlId<QComboBox>(port, CPropertyScreenComm::IdSerial)->currentText(), byPath);
    const QString file = QStringLiteral("%1/screen-serial_%2.png").arg(paneltest::outputDir(), GetParam());
    EXPECT_TRUE(pane.grab().save(file)) << file.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Languages, PageShots, ::testing::Values("EN", "CN", "TW"));
