// The section panel: sizes rounded up to even, the core's fitting shown back,
// the canvas told, and the wrap message only for a width change.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/editor/CanvasGeometry.h"
#include "app/panels/PropertySection.h"
#include "core/api/Core.h"
#include "support/MessageSpy.h"
#include "support/TreeBuilder.h"

#include <QSpinBox>
#include <gtest/gtest.h>

using namespace panels;
using paneltest::typeInto;

namespace {

struct SectionFixture : ::testing::Test {
    CCore core;
    support::TreeBuilder tree;
    paneltest::FakeHost host;
    tagItemData* screen = tree.screen(support::ScreenSpec{128, 64});
    tagItemData* scene = tree.scene(screen);
    tagItemData* section = tree.section(scene, QRect(16, 8, 32, 16));
    support::MessageSpy page;
    CPropertySection* panel = new CPropertySection(PanelContext{core, &host}, &page);

    void SetUp() override
    {
        page.watch(spine::WM_TEXT_WRAPWIDTH);
        ASSERT_TRUE(panel->Create(&page));
        panel->resize(200, 200);
        page.show();
    }
    QSpinBox* spin(int id) { return support::findByControlId<QSpinBox>(panel, id); }
};

} // namespace

TEST_F(SectionFixture, LoadShowsTheRectangleWithoutChangingIt)
{
    EXPECT_EQ(panel->OnNodeLoad(section), 1);
    EXPECT_EQ(spin(CPropertySection::IdX)->value(), 16);
    EXPECT_EQ(spin(CPropertySection::IdY)->value(), 8);
    EXPECT_EQ(spin(CPropertySection::IdWidth)->value(), 32);
    EXPECT_EQ(spin(CPropertySection::IdHeight)->value(), 16);
    EXPECT_TRUE(host.rectUpdated.empty());
    // A null load reloads the section held.
    section->Section.RectX = 20;
    EXPECT_EQ(panel->OnNodeLoad(nullptr), 1);
    EXPECT_EQ(spin(CPropertySection::IdX)->value(), 20);
    EXPECT_TRUE(host.rectUpdated.empty());
}

TEST_F(SectionFixture, OnlyAWidthChangeAsksTheTextToWrapAgain)
{
    panel->OnNodeLoad(section);
    page.clear();
    typeInto(spin(CPropertySection::IdX), "4");
    typeInto(spin(CPropertySection::IdY), "2");
    typeInto(spin(CPropertySection::IdHeight), "20");
    EXPECT_EQ(page.count(spine::WM_TEXT_WRAPWIDTH), 0);
    EXPECT_EQ(section->Section.RectX, 4);
    EXPECT_EQ(section->Section.RectY, 2);
    EXPECT_EQ(section->Section.RectH, 20);
    typeInto(spin(CPropertySection::IdWidth), "40");
    EXPECT_GT(page.count(spine::WM_TEXT_WRAPWIDTH), 0);
    EXPECT_EQ(section->Section.RectW, 40);
    EXPECT_FALSE(host.rectUpdated.empty());
    EXPECT_EQ(host.rectUpdated.back(), section);
}

TEST_F(SectionFixture, SizesRoundUpToEvenAndTheCoresFitIsShown)
{
    panel->OnNodeLoad(section);
    typeInto(spin(CPropertySection::IdWidth), "33");
    EXPECT_EQ(section->Section.RectW, 34);
    EXPECT_EQ(spin(CPropertySection::IdWidth)->value(), 33);   // typed text is left as typed
    // Wider than the screen: the core fits the section and the edit shows its width.
    typeInto(spin(CPropertySection::IdWidth), "400");
    EXPECT_LE(section->Section.RectX + section->Section.RectW, 128);
    EXPECT_EQ(spin(CPropertySection::IdWidth)->value(), section->Section.RectW);
    EXPECT_EQ(spin(CPropertySection::IdX)->value(), section->Section.RectX);
    EXPECT_EQ(CPropertySection::roundUpEven(0), 0);
    EXPECT_EQ(CPropertySection::roundUpEven(7), 8);
    EXPECT_EQ(CPropertySection::roundUpEven(8), 8);
}

TEST_F(SectionFixture, ASizeBelowTheCanvasMinimumIsRefused)
{
    panel->OnNodeLoad(section);
    QSpinBox* width = spin(CPropertySection::IdWidth);
    typeInto(width, "0");
    EXPECT_EQ(section->Section.RectW, 32);
    QTest::keyClick(width, Qt::Key_Return);
    EXPECT_EQ(width->value(), 32);
    EXPECT_EQ(section->Section.RectW, 32);
    QSpinBox* height = spin(CPropertySection::IdHeight);
    typeInto(height, "1");
    QTest::keyClick(height, Qt::Key_Return);
    EXPECT_EQ(section->Section.RectH, 16);
    // Stepping down stops at the canvas's minimum, which sizes the window.
    typeInto(height, "4");
    QTest::keyClick(height, Qt::Key_Down);
    QTest::keyClick(height, Qt::Key_Down);
    EXPECT_EQ(section->Section.RectH, editor::kMinSectionLeds);
    EXPECT_EQ(height->value(), editor::kMinSectionLeds);
}
