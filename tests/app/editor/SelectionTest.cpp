// How a selection travels between the tree, the screen windows, the canvases
// and the panels, and what clearing a screen leaves.
#include "EditorTestUtil.h"

#include "app/editor/Editor.h"
#include "app/editor/LedView.h"

#include "support/Widgets.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace editor;
using namespace editortest;

namespace {
QList<platform::WPARAM> selects(const support::MessageSpy& spy)
{
    QList<platform::WPARAM> out;
    for (const auto& m : spy.messages())
        if (m.id == spine::WM_NODE_SELECT)
            out << m.w;
    return out;
}
template <typename T>
platform::WPARAM wp(T* p)
{
    return reinterpret_cast<platform::WPARAM>(p);
}
} // namespace

TEST(Selection, TreeSelectsOnCanvasAndPaneAndCanvasItemsComeBackThroughTheTree)
{
    ASSERT_TRUE(loadPack("UI_EN.rcc"));
    World w;
    QMdiArea area;
    area.resize(900, 500);
    area.show();
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* scene = w.scene(screen, u"one");
    tagItemData* sec = w.section(scene, QRect(0, 0, 16, 8));
    tagItemData* item = w.item(sec, IT_TEXT, u"t");
    CChildFrame* frame = w.open(area, screen);
    CEditor tree(w.core, &w.port);
    w.port.itemTree = &tree;
    tree.InsertItemTree(screen);
    tree.show();

    w.pane.clear();
    tree.setCurrentItem(tree.itemOf(sec));
    EXPECT_EQ(frame->canvas()->selectedItem(), sec);
    EXPECT_EQ(selects(w.pane), QList<platform::WPARAM>{wp(sec)});

    // A content item chosen on the canvas: the tree shows its section without
    // echoing it back, and the item-list panel gets the item.
    frame->canvas()->SelectItem(item, true);
    tree.setCurrentItem(tree.itemOf(scene));
    w.pane.clear();
    EXPECT_EQ(platform::sendMessage(&tree, spine::WM_NODE_SELECT, wp(item)), 1);
    EXPECT_EQ(tree.selectedNode(), sec);
    EXPECT_EQ(selects(w.pane), QList<platform::WPARAM>{wp(sec)});
    EXPECT_EQ(frame->canvas()->selectedItem(), scene);   // not echoed
    QCoreApplication::processEvents();
    EXPECT_EQ(selects(w.itemList), QList<platform::WPARAM>{wp(item)});
}

TEST(Selection, ActivatingAScreenWindowSelectsItsScreenUnlessTheTreeDidIt)
{
    World w;
    QMdiArea area;
    area.resize(900, 500);
    area.show();
    tagItemData* one = w.screen(32, 16, u"one");
    tagItemData* two = w.screen(32, 16, u"two");
    CChildFrame* f1 = w.open(area, one);
    CChildFrame* f2 = w.open(area, two);
    QCoreApplication::processEvents();
    EXPECT_EQ(f2->widget()->property("screenNode").value<void*>(), static_cast<void*>(two));
    w.tree.clear();
    area.setActiveSubWindow(f1);
    QCoreApplication::processEvents();
    EXPECT_EQ(selects(w.tree), QList<platform::WPARAM>{wp(one)});

    w.tree.clear();
    f2->clearActivationFlag();
    area.setActiveSubWindow(f2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(selects(w.tree).isEmpty());
    EXPECT_TRUE(f2->activationFlag());
}

// Lit pixels of a widget as it shows on screen, its child windows included.
int litPixels(QWidget* w)
{
    const QImage shot = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int lit = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            lit += qRed(shot.pixel(x, y)) > 0x80 ? 1 : 0;
    return lit;
}

TEST(Selection, TheScreensRowClearsTheCanvasAndClearingLeavesNoWindow)
{
    ASSERT_TRUE(loadPack("UI_EN.rcc"));
    World w;
    QMdiArea area;
    area.resize(900, 500);
    area.show();
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* first = w.scene(screen, u"one");
    tagItemData* sec = w.section(first, QRect(0, 0, 32, 16));
    tagItemData* text = w.item(sec, IT_SINGLELINE, u"t");
    support::TreeBuilder::setRecordText(text, QStringLiteral("HELLO"));
    w.core.Paint(text);
    CChildFrame* frame = w.open(area, screen);
    CEditor tree(w.core, &w.port);
    w.port.itemTree = &tree;
    tree.InsertItemTree(screen);
    tree.show();
    CScreenLed* canvas = frame->canvas();

    // The section's row shows its text; the screen's row shows no scene.
    tree.setCurrentItem(tree.itemOf(sec));
    QCoreApplication::processEvents();
    EXPECT_EQ(canvas->openSectionCount(), 1);
    EXPECT_GT(litPixels(canvas), 20);
    tree.setCurrentItem(tree.itemOf(screen));
    QCoreApplication::processEvents();
    EXPECT_EQ(canvas->selectedItem(), screen);
    EXPECT_EQ(canvas->openSectionCount(), 0);
    EXPECT_EQ(litPixels(canvas), 0);

    // Clearing the screen leaves no window on a scene that is gone.
    tree.setCurrentItem(tree.itemOf(first));
    EXPECT_EQ(canvas->openSectionCount(), 1);
    tree.ClearPrograms(screen);
    EXPECT_EQ(canvas->selectedItem(), tree.selectedNode());
    EXPECT_EQ(canvas->openSectionCount(), 0);
}

TEST(Selection, ClearingAScreenDropsItsScenesRowsAndWindows)
{
    World w;
    QMdiArea area;
    area.resize(900, 500);
    area.show();
    tagItemData* screen = w.screen(64, 32, u"Main");
    tagItemData* a = w.scene(screen, u"a");
    w.section(a, QRect(0, 0, 8, 8));
    w.section(w.scene(screen, u"b"), QRect(0, 0, 8, 8));
    CChildFrame* frame = w.open(area, screen);
    CEditor tree(w.core, &w.port);
    tree.InsertItemTree(screen);
    tree.setCurrentItem(tree.itemOf(a->FirstChild));
    EXPECT_EQ(frame->canvas()->openSectionCount(), 1);
    EXPECT_EQ(tree.mappedCount(), 5);
    tree.ClearPrograms(screen);
    EXPECT_EQ(tree.mappedCount(), 1);
    EXPECT_EQ(tree.itemOf(screen)->childCount(), 0);
    EXPECT_EQ(screen->FirstChild, nullptr);
    EXPECT_EQ(frame->canvas()->openSectionCount(), 0);

    w.core.ChangeItemName(screen, u"Renamed");
    EXPECT_EQ(tree.UpdateItemText(screen), 1);
    EXPECT_EQ(tree.itemOf(screen)->text(0), QStringLiteral("Renamed"));
    EXPECT_EQ(tree.UpdateItemText(nullptr), 0);
}

TEST(Selection, ACanvasThatFitsIsCentredInAMaximisedView)
{
    World w;
    QMdiArea area;
    area.resize(900, 500);
    area.show();
    tagItemData* screen = w.screen(40, 20);
    CLed::setDefaultDotSize(3);
    CChildFrame* frame = w.open(area, screen);
    frame->showMaximized();
    QTest::qWait(10);
    CLedView* view = frame->view();
    EXPECT_FALSE(view->isClipped());
    const QSize d = frame->canvas()->GetDisplaySize();
    const int areaW = view->width() - 2 * kViewMargin;
    EXPECT_EQ(frame->canvas()->x(), kViewMargin + (areaW - d.width()) / 2);
    EXPECT_EQ(frame->canvas()->size(), d);
}
