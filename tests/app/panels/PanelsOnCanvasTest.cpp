// The panels against a real screen canvas: a typed rectangle moves the
// section's window, a row chosen in the item list shows its item, and a
// deleted item leaves the canvas before the core frees it.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/editor/FramePort.h"
#include "app/editor/ScreenLed.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyEffectText.h"
#include "app/panels/PropertyPages.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertySection.h"
#include "core/api/Core.h"
#include "support/SeamScope.h"

#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <gtest/gtest.h>

using namespace panels;

namespace {

// The frame's port over one canvas.
struct OneCanvas : editor::FramePort {
    editor::CScreenLed* canvas = nullptr;
    editor::CScreenLed* FindItemWindow(tagItemData* node) override
    {
        return canvas && node && canvas->boundItem() == CCore::GetCurRoot(node) ? canvas : nullptr;
    }
};

struct CanvasFixture : ::testing::Test {
    CCore core;
    OneCanvas port;
    tagItemData* screen = nullptr;
    tagItemData* scene = nullptr;
    tagItemData* section = nullptr;
    std::unique_ptr<editor::CScreenLed> canvas;
    std::unique_ptr<CPanelProperty> pane;

    void SetUp() override
    {
        screen = core.AddItem(IT_SCREEN, u"screen", nullptr, nullptr);
        screen->Global.Width = 64;
        screen->Global.Height = 32;
        screen->Global.Type = 17;
        screen->Global.ScanMode = 4;
        scene = core.AddItem(IT_SCENE, u"scene", screen, nullptr);
        section = core.AddItem(IT_WND_PROGLIST, u"list", scene, nullptr);
        core.ChangeItemRect(section, 0, 0, 32, 16);
        canvas = std::make_unique<editor::CScreenLed>(core, &port);
        port.canvas = canvas.get();
        canvas->AttachItem(screen);
        canvas->resize(400, 200);
        canvas->show();
        pane = std::make_unique<CPanelProperty>(PanelContext{core, &port});
        pane->resize(1200, 250);
        pane->show();
    }
    void TearDown() override
    {
        pane.reset();
        canvas.reset();
        core.DeleteItem(screen);
    }
};

} // namespace

TEST_F(CanvasFixture, ATypedRectangleMovesTheSectionsWindow)
{
    canvas->SelectItem(section, true);
    editor::CSectionLed* window = canvas->sectionCanvas(section);
    ASSERT_NE(window, nullptr);
    const QRect before = window->geometry();
    platform::sendMessage(pane.get(), spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(section));
    auto* x = support::findByControlId<QSpinBox>(pane->windowPage()->section(), CPropertySection::IdX);
    paneltest::typeInto(x, "16");
    EXPECT_EQ(section->Section.RectX, 16);
    const QRect after = canvas->sectionCanvas(section)->geometry();
    EXPECT_GT(after.x(), before.x());
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.y(), before.y());
}

TEST_F(CanvasFixture, ItemsChosenAddedAndDeletedInTheListReachTheCanvas)
{
    support::SeamScope seams;
    tagItemData* a = core.AddItem(IT_TEXT, u"a", section, nullptr);
    platform::sendMessage(pane.get(), spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(section));
    // The first row is chosen on load and the canvas shows it.
    EXPECT_EQ(canvas->selectedItem(), a);
    CPropertyProgList* list = pane->windowPage()->progList();
    tagItemData* b = list->AddItemOfType(IT_IMAGE);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(canvas->selectedItem(), b);

    seams.nextAnswer(QMessageBox::Ok);
    QTest::mouseClick(support::findByControlId<QPushButton>(list, CPropertyProgList::IdDelete), Qt::LeftButton, {},
                      QPoint(5, 5));
    QCoreApplication::processEvents();
    EXPECT_EQ(CCore::GetChildNum(section), 1);
    EXPECT_EQ(canvas->selectedItem(), a);
    EXPECT_EQ(pane->windowPage()->effect()->node(), a);
}
