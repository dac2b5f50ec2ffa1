// The screen canvas and its pool of section windows on a real widget.
#include "EditorTestUtil.h"

#include "app/editor/DotRenderer.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace editor;
using namespace editortest;

TEST(ScreenCanvas, NinthSectionGetsNoWindowAndTheOperatorIsTold)
{
    World w;
    tagItemData* screen = w.screen(128, 32);
    tagItemData* scene = w.scene(screen);
    std::vector<tagItemData*> secs;
    for (int i = 0; i < 9; ++i)
        secs.push_back(w.section(scene, QRect(i * 12, 0, 10, 8)));
    CScreenLed canvas(w.core, &w.port);
    canvas.resize(400, 120);
    ASSERT_EQ(canvas.AttachItem(screen), 1);
    canvas.SelectItem(scene, true);
    EXPECT_EQ(canvas.openSectionCount(), 8);
    EXPECT_NE(canvas.sectionCanvas(secs[7]), nullptr);
    EXPECT_EQ(canvas.sectionCanvas(secs[8]), nullptr);
    ASSERT_EQ(w.port.notices.size(), 1);
    // Once the eighth goes, the ninth can be shown.
    canvas.RemoveItem(secs[0]);
    EXPECT_EQ(canvas.ShowItem(secs[8]), 1);
    EXPECT_NE(canvas.sectionCanvas(secs[8]), nullptr);
}

TEST(ScreenCanvas, SelectingAnotherSceneKeepsTheGlobalScenesWindows)
{
    World w;
    tagItemData* screen = w.screen(64, 32);
    tagItemData* global = w.scene(screen, u"g", IT_GLOBALSCENE);
    tagItemData* a = w.scene(screen, u"a");
    tagItemData* b = w.scene(screen, u"b");
    tagItemData* g1 = w.section(global, QRect(0, 0, 8, 8));
    tagItemData* a1 = w.section(a, QRect(10, 0, 8, 8));
    tagItemData* a2 = w.section(a, QRect(20, 0, 8, 8));
    tagItemData* b1 = w.section(b, QRect(30, 0, 8, 8));
    CScreenLed canvas(w.core, &w.port);
    canvas.AttachItem(screen);

    canvas.SelectItem(a1, true);
    EXPECT_EQ(canvas.openSectionCount(), 3);
    ASSERT_NE(canvas.sectionCanvas(a1), nullptr);
    EXPECT_TRUE(canvas.sectionCanvas(a1)->isSelected());

    EXPECT_EQ(canvas.SelectItem(b1, true), a1);
    EXPECT_EQ(canvas.openSectionCount(), 2);
    EXPECT_NE(canvas.sectionCanvas(g1), nullptr);
    EXPECT_EQ(canvas.sectionCanvas(a2), nullptr);
    EXPECT_TRUE(canvas.sectionCanvas(b1)->isSelected());

    canvas.SelectItem(screen, true);
    EXPECT_EQ(canvas.openSectionCount(), 0);
    // Nodes of another screen are ignored.
    tagItemData* other = w.screen(16, 16);
    EXPECT_EQ(canvas.ShowItem(w.scene(other)), 0);
    EXPECT_EQ(canvas.SelectItem(other, true), screen);
}

TEST(ScreenCanvas, RemovingTheSelectedItemSelectsANeighbour)
{
    World w;
    tagItemData* screen = w.screen(64, 32);
    tagItemData* sec = w.section(w.scene(screen), QRect(0, 0, 32, 16));
    tagItemData* i1 = w.item(sec, IT_TEXT, u"one");
    tagItemData* i2 = w.item(sec, IT_TEXT, u"two");
    tagItemData* i3 = w.item(sec, IT_TEXT, u"three");
    CScreenLed canvas(w.core, &w.port);
    canvas.AttachItem(screen);
    canvas.SelectItem(i2, true);
    ASSERT_EQ(canvas.sectionCanvas(sec)->currentItem(), i2);
    canvas.RemoveItem(i2);
    w.core.DeleteItem(i2);
    EXPECT_EQ(canvas.selectedItem(), i1);
    EXPECT_EQ(canvas.sectionCanvas(sec)->currentItem(), i1);
    canvas.RemoveItem(i1);
    w.core.DeleteItem(i1);
    EXPECT_EQ(canvas.selectedItem(), i3);
    canvas.RemoveItem(i3);
    w.core.DeleteItem(i3);
    EXPECT_EQ(canvas.selectedItem(), sec);
    EXPECT_EQ(canvas.sectionCanvas(sec)->currentItem(), nullptr);
}

TEST(ScreenCanvas, EveryCanvasTakesItsScreensWorkModeBeforeDrawing)
{
    World w;
    tagItemData* screen = w.screen(32, 16);
    screen->Global.Type = 0;   // the default row
    tagItemData* sec = w.section(w.scene(screen), QRect(0, 0, 8, 8));
    CScreenLed canvas(w.core, &w.port);
    canvas.AttachItem(screen);
    canvas.SelectItem(sec, true);
    const Thresholds expected = thresholdsForWorkMode(0);
    EXPECT_EQ(canvas.thresholds(), expected);
    ASSERT_NE(canvas.sectionCanvas(sec), nullptr);
    EXPECT_EQ(canvas.sectionCanvas(sec)->thresholds(), expected);
    // A black content shows unlit LEDs, not lit ones.
    EXPECT_EQ(canvas.display().pixel(canvas.dotWidth() + 1, canvas.dotHeight() + 1) | 0xFF000000u,
              canvas.dotWidth() == 1 ? 0xFF000000u : kUnlitLed);
}

TEST(ScreenCanvas, DotSizeChangeKeepsTheScrollPositionInLeds)
{
    World w;
    tagItemData* screen = w.screen(200, 100);
    CScreenLed canvas(w.core, &w.port);
    canvas.AttachItem(screen);
    canvas.SetDotSize(3, 3);
    canvas.resize(120, 60);
    canvas.ScrollTo(10, 5);
    EXPECT_EQ(canvas.scrollOrigin(), QPoint(30, 15));
    EXPECT_EQ(canvas.SetDotSize(2, 2), 1);
    EXPECT_EQ(canvas.scrollOrigin(), QPoint(20, 10));
    EXPECT_EQ(canvas.SetDotSize(2, 2), 0);
}

TEST(ScreenCanvas, PaintsItselfAtOnePixelPerLedWithSectionsInPlace)
{
    World w;
    tagItemData* screen = w.screen(40, 20);
    tagItemData* sec = w.section(w.scene(screen), QRect(6, 4, 10, 8));
    CScreenLed canvas(w.core, &w.port);
    canvas.AttachItem(screen);
    canvas.SelectItem(sec, true);
    CSectionLed* sc = canvas.sectionCanvas(sec);
    ASSERT_NE(sc, nullptr);
    QImage marker(10, 8, QImage::Format_RGB32);
    marker.fill(qRgb(0, 200, 0));
    sc->BlitToContent(marker, {0, 0}, QRect(0, 0, 10, 8), false);

    QImage thumb(40, 20, QImage::Format_RGB32);
    thumb.fill(Qt::white);
    {
        QPainter p(&thumb);
        EXPECT_EQ(platform::sendMessage(&canvas, spine::WM_CANVAS_PAINTTO, reinterpret_cast<platform::WPARAM>(&p)), 1);
    }
    EXPECT_EQ(thumb.pixel(6, 4), qRgb(0, 200, 0));
    EXPECT_EQ(thumb.pixel(15, 11), qRgb(0, 200, 0));
    EXPECT_NE(thumb.pixel(5, 4), qRgb(0, 200, 0));
    EXPECT_NE(thumb.pixel(16, 11), qRgb(0, 200, 0));
}

TEST(SectionCanvas, NextAndPreviousItemGoThroughTheTree)
{
    World w;
    tagItemData* screen = w.screen(64, 32);
    tagItemData* sec = w.section(w.scene(screen), QRect(0, 0, 32, 16));
    tagItemData* i1 = w.item(sec, IT_TEXT, u"one");
    tagItemData* i2 = w.item(sec, IT_CLOCKSIMUL, u"two");
    CScreenLed canvas(w.core, &w.port);
    canvas.AttachItem(screen);
    EXPECT_EQ(canvas.NextItem(), -1);   // nothing selected
    canvas.SelectItem(i1, true);
    EXPECT_EQ(canvas.PrevItem(), 0);
    EXPECT_EQ(canvas.NextItem(), 1);
    EXPECT_EQ(canvas.sectionCanvas(sec)->currentItem(), i2);
    EXPECT_EQ(canvas.NextItem(), 0);
    EXPECT_EQ(canvas.NextPage(), -1);   // a clock has no pages
    EXPECT_EQ(canvas.PrevItem(), 1);
    QCoreApplication::processEvents();
    QList<platform::WPARAM> selected;
    for (const auto& m : w.tree.messages())
        if (m.id == spine::WM_NODE_SELECT)
            selected << m.w;
    EXPECT_EQ(selected, (QList<platform::WPARAM>{reinterpret_cast<platform::WPARAM>(i2),
                                                 reinterpret_cast<platform::WPARAM>(i1)}));
    EXPECT_TRUE(w.itemList.isEmpty());
}

TEST(ScreenCanvas, TheSelectedScenesPictureIsTheBackground)
{
    World w;
    tagItemData* screen = w.screen(32, 16);
    tagItemData* a = w.scene(screen, u"a");
    tagItemData* b = w.scene(screen, u"b");
    tagItemData* sec = w.section(a, QRect(20, 8, 8, 4));
    QImage red(32, 16, QImage::Format_RGB32), blue(32, 16, QImage::Format_RGB32);
    red.fill(qRgb(200, 0, 0));
    blue.fill(qRgb(0, 0, 200));
    SetNodePicture(a, red);
    SetNodePicture(b, blue);
    CScreenLed canvas(w.core, &w.port);
    canvas.AttachItem(screen);
    canvas.SelectItem(sec, true);
    EXPECT_EQ(canvas.content().pixel(0, 0), qRgb(200, 0, 0));
    canvas.SelectItem(b, true);
    EXPECT_EQ(canvas.content().pixel(31, 15), qRgb(0, 0, 200));
    canvas.SelectItem(nullptr, true);
    EXPECT_EQ(canvas.content().pixel(0, 0), qRgb(0, 0, 0));
}
