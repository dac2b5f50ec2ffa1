// The screen window through QTest: dragging a section's edge and body at dot
// 3, zoom, moving to the nearest obstacle, paging, the frame's size rule,
// and screenshots at dots 1, 2 and 3.
#include "EditorTestUtil.h"

#include "app/controls/ToolBarCtrlEx.h"
#include "app/editor/LedView.h"

#include "support/Screenshots.h"
#include "support/TreeBuilder.h"
#include "support/Widgets.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace editor;
using namespace editortest;

namespace {

void clickTool(CLedView* view, int id)
{
    QAction* a = view->toolBar()->actionForCommand(id);
    ASSERT_NE(a, nullptr) << id;
    QWidget* button = view->toolBar()->widgetForAction(a);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

// Presses at `from` in the section window, drags by `by` and releases. The
// mouse moves on the screen, so each point is taken from where the window is now.
void dragSection(QWidget* w, QPoint from, QPoint by)
{
    const QPoint start = w->mapToGlobal(from);
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, w->mapFromGlobal(start + by / 2));
    QTest::mouseMove(w, w->mapFromGlobal(start + by));
    QTest::mouseRelease(w, Qt::LeftButton, {}, w->mapFromGlobal(start + by));
}

} // namespace

class ScreenWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loadPack("UI_EN.rcc"));
        CLed::setDefaultDotSize(3);
        area.resize(1000, 640);
        area.show();
    }
    World w;
    QMdiArea area;
};

TEST_F(ScreenWindow, DraggingAnEdgeAndTheBodyChangesTheSectionInWholeLeds)
{
    tagItemData* screen = w.screen(96, 48);
    tagItemData* scene = w.scene(screen);
    tagItemData* sec = w.section(scene, QRect(10, 8, 20, 12));
    CChildFrame* frame = w.open(area, screen);
    frame->canvas()->SelectItem(sec, true);
    CSectionLed* sc = frame->canvas()->sectionCanvas(sec);
    ASSERT_NE(sc, nullptr);
    ASSERT_EQ(sc->size(), QSize(60, 36));

    // The right edge, 16 pixels (5 LEDs and a third) to the right.
    dragSection(sc, QPoint(58, 18), QPoint(16, 0));
    EXPECT_EQ(rectOf(sec), QRect(10, 8, 24, 12));   // 25 LEDs rounded down to an even 24
    EXPECT_EQ(sc->size(), QSize(72, 36));

    // The bottom edge dragged far up: never lower than 2 LEDs.
    dragSection(sc, QPoint(36, 34), QPoint(0, -60));
    EXPECT_EQ(rectOf(sec).height(), 2);

    // The body, 10 and 7 pixels: whole LEDs, the size kept.
    dragSection(sc, QPoint(30, 3), QPoint(10, 7));
    EXPECT_EQ(rectOf(sec), QRect(13, 10, 24, 2));
    EXPECT_EQ(sc->pos(), QPoint(39, 30));

    // Dragged past the scene's edge it stops there.
    dragSection(sc, QPoint(30, 3), QPoint(-400, -400));
    EXPECT_EQ(rectOf(sec).topLeft(), QPoint(0, 0));

    QCoreApplication::processEvents();
    // The section panel learns each new rectangle from the change notice.
    EXPECT_GE(w.told.count(spine::NodeChange::Geometry, sec), 4);
    EXPECT_EQ(w.told.changes().back().node, sec);
    EXPECT_GE(w.tree.count(spine::WM_NODE_SELECT), 1);   // a click on the body selects it in the tree
}

TEST_F(ScreenWindow, TheFrameFitsItsViewAndIgnoresItsBorder)
{
    tagItemData* screen = w.screen(64, 32);
    CChildFrame* frame = w.open(area, screen);
    QTest::qWait(10);
    const QSize required = frame->view()->GetRequiredSize();
    EXPECT_EQ(required.width(), std::max(64 * 3 + 1 + 10, frame->view()->toolBar()->sizeHint().width()));
    EXPECT_EQ(frame->view()->size(), required);
    QAction* align = frame->view()->toolBar()->actionForCommand(kCmdAlign);
    ASSERT_NE(align, nullptr);
    EXPECT_FALSE(align->isVisible());
    EXPECT_EQ(frame->view()->toolBar()->actionForCommand(kCmdZoomIn)->toolTip(),
              controls::CToolBarCtrlEx::tipText(platform::langString(kCmdZoomIn)));
    const QSize before = frame->size();
    // A press on the bottom-right border does not start sizing.
    const QPoint corner(frame->width() - 2, frame->height() - 2);
    QTest::mousePress(frame, Qt::LeftButton, {}, corner);
    QTest::mouseMove(frame, corner + QPoint(40, 40));
    QTest::mouseRelease(frame, Qt::LeftButton, {}, corner + QPoint(40, 40));
    EXPECT_EQ(frame->size(), before);
    // The title bar shows no close box: nothing is drawn or hit where the
    // plain style puts one, and a click there leaves the window open.
    QStyleOptionTitleBar bar;
    bar.initFrom(frame);
    bar.rect = QRect(0, 0, frame->width(), frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, frame));
    bar.subControls = QStyle::SC_All;
    bar.titleBarFlags = frame->windowFlags();
    bar.titleBarState = frame->windowState();
    QStyle* plain = QApplication::style();
    const QRect closeBox = plain->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, frame);
    ASSERT_FALSE(closeBox.isEmpty());
    EXPECT_TRUE(frame->style()->subControlRect(QStyle::CC_TitleBar, &bar, QStyle::SC_TitleBarCloseButton, frame).isEmpty());
    for (int x = 0; x < bar.rect.width(); ++x)
        ASSERT_NE(frame->style()->hitTestComplexControl(QStyle::CC_TitleBar, &bar, QPoint(x, closeBox.center().y()), frame),
                  QStyle::SC_TitleBarCloseButton) << x;
    // The maximise button takes the close box's place.
    EXPECT_EQ(frame->style()->hitTestComplexControl(QStyle::CC_TitleBar, &bar, closeBox.center(), frame),
              QStyle::SC_TitleBarMaxButton);
    QTest::mouseClick(frame, Qt::LeftButton, {}, closeBox.center());
    support::flushDeletes();
    ASSERT_EQ(area.subWindowList().size(), 1);
    EXPECT_TRUE(frame->isVisible());
    if (frame->isMaximized())
        frame->showNormal();
    // The frame's menu keeps no Close.
    for (QAction* a : frame->systemMenu()->actions())
        EXPECT_NE(a->text(), QCoreApplication::translate("QMdiSubWindow", "&Close"));
    // Only the program closes a screen window.
    frame->close();
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->OnCommand(kCmdFileClose), true);
    support::flushDeletes();
    EXPECT_TRUE(area.subWindowList().isEmpty());
    frame = w.open(area, screen);
    QTest::qWait(10);

    // Zoom out: the frame follows its view.
    clickTool(frame->view(), kCmdZoomOut);
    QTRY_COMPARE(frame->view()->size(), frame->view()->GetRequiredSize());
    EXPECT_EQ(frame->canvas()->dotWidth(), 2);
    EXPECT_LT(frame->size().height(), before.height());
}

// A screen's new size reaches its window by one road: the canvas takes it
// from the change notice, then has the frame fit itself to it once (a
// maximised frame keeps its size and lays its view out again).
TEST_F(ScreenWindow, ANewScreenSizeFitsTheWindowOnce)
{
    struct Case {
        QSize from, to;
        bool maximised;
    };
    for (const Case& c : {Case{{64, 32}, {128, 48}, false}, Case{{128, 48}, {32, 16}, false},
                          Case{{64, 32}, {400, 300}, true}, Case{{400, 300}, {64, 32}, true}}) {
        SCOPED_TRACE(testing::Message() << c.to.width() << "x" << c.to.height() << (c.maximised ? " maximised" : ""));
        tagItemData* screen = w.screen(c.from.width(), c.from.height());
        CChildFrame* frame = w.open(area, screen);
        if (c.maximised)
            frame->showMaximized();
        QTest::qWait(10);
        const QSize before = frame->size();
        support::EventCount relayouts(frame, QEvent::Type(spine::WM_VIEW_RELAYOUT));
        spine::writeNode(w.core, screen, spine::NodeChange::Geometry,
                         [&] { w.core.ChangeItemRect(screen, 0, 0, c.to.width(), c.to.height()); });
        EXPECT_EQ(frame->canvas()->contentSize(), c.to);
        QTest::qWait(10);
        EXPECT_EQ(relayouts.count(), c.maximised ? 0 : 1);
        if (c.maximised) {
            EXPECT_EQ(frame->size(), before);
            EXPECT_EQ(frame->view()->isClipped(), c.to.width() > c.from.width());
        } else {
            EXPECT_EQ(frame->view()->size(), frame->view()->GetRequiredSize());
            EXPECT_EQ(frame->size().width() > before.width(), c.to.width() > c.from.width());
        }
        EXPECT_TRUE(frame->OnCommand(kCmdFileClose));
        support::flushDeletes();
    }
}

TEST_F(ScreenWindow, ZoomKeepsTheLedPositionAndStopsAtOneAndThree)
{
    tagItemData* screen = w.screen(400, 400);
    CChildFrame* frame = w.open(area, screen);
    frame->showMaximized();
    QTest::qWait(10);
    CScreenLed* canvas = frame->canvas();
    ASSERT_TRUE(frame->view()->isClipped());
    canvas->ScrollTo(50, 20);
    ASSERT_EQ(canvas->scrollOrigin(), QPoint(150, 60));
    clickTool(frame->view(), kCmdZoomIn);
    EXPECT_EQ(canvas->dotWidth(), 3);
    clickTool(frame->view(), kCmdZoomOut);
    EXPECT_EQ(canvas->dotWidth(), 2);
    EXPECT_EQ(canvas->scrollOrigin(), QPoint(100, 40));
    clickTool(frame->view(), kCmdZoomOut);
    clickTool(frame->view(), kCmdZoomOut);
    EXPECT_EQ(canvas->dotWidth(), 1);
    clickTool(frame->view(), kCmdZoomIn);
    EXPECT_EQ(canvas->dotWidth(), 2);
}

TEST_F(ScreenWindow, MovesTheSelectedSectionToTheNearestObstacle)
{
    tagItemData* screen = w.screen(96, 48);
    tagItemData* global = w.scene(screen, u"g", IT_GLOBALSCENE);
    tagItemData* scene = w.scene(screen);
    w.section(global, QRect(60, 0, 20, 6));
    tagItemData* inside = w.section(scene, QRect(14, 2, 4, 4));
    tagItemData* sec = w.section(scene, QRect(10, 20, 20, 8));
    (void)inside;
    CChildFrame* frame = w.open(area, screen);
    frame->canvas()->SelectItem(sec, true);

    // Up: the small section lying inside the span stops it.
    clickTool(frame->view(), kCmdMoveUp);
    EXPECT_EQ(rectOf(sec), QRect(10, 6, 20, 8));
    clickTool(frame->view(), kCmdMoveUp);
    EXPECT_EQ(rectOf(sec), QRect(10, 6, 20, 8));
    // Right: the global scene's section does not overlap rows 6..13; the screen edge does.
    clickTool(frame->view(), kCmdMoveRight);
    EXPECT_EQ(rectOf(sec), QRect(76, 6, 20, 8));
    // Up again, now under the global scene's section.
    clickTool(frame->view(), kCmdMoveUp);
    EXPECT_EQ(rectOf(sec).top(), 6);
    clickTool(frame->view(), kCmdMoveDown);
    EXPECT_EQ(rectOf(sec), QRect(76, 40, 20, 8));
    EXPECT_EQ(frame->canvas()->sectionCanvas(sec)->pos(), QPoint(76 * 3, 40 * 3) - frame->canvas()->scrollOrigin());
    EXPECT_GE(w.told.count(spine::NodeChange::Geometry, sec), 3);
}

TEST_F(ScreenWindow, PagesThroughAWideItem)
{
    tagItemData* screen = w.screen(96, 32);
    tagItemData* sec = w.section(w.scene(screen), QRect(0, 0, 32, 16));
    tagItemData* line = w.item(sec, IT_SINGLELINE, u"line");
    support::TreeBuilder::setRecordText(line, QStringLiteral("A line far wider than its section on the screen"));
    w.core.Paint(line);
    CChildFrame* frame = w.open(area, screen);
    frame->canvas()->SelectItem(line, true);
    CSectionLed* sc = frame->canvas()->sectionCanvas(sec);
    ASSERT_NE(sc, nullptr);
    const int columns = sc->pages().columns;
    ASSERT_GE(columns, 3);
    EXPECT_EQ(columns, (int(line->Item.ContentW) + 31) / 32);
    clickTool(frame->view(), kCmdNextPage);
    clickTool(frame->view(), kCmdNextPage);
    EXPECT_EQ(sc->pages().column, 2);
    for (int i = 0; i < columns; ++i)
        clickTool(frame->view(), kCmdNextPage);
    EXPECT_EQ(sc->pages().column, columns - 1);
    clickTool(frame->view(), kCmdPrevPage);
    EXPECT_EQ(sc->pages().column, columns - 2);
    EXPECT_EQ(frame->canvas()->NextPage(), columns - 1);
    // The page shown is the item's picture from that column on.
    const QImage& shown = sc->content();
    const QImage expected = GetNodePicture(line).copy(32 * (columns - 1), 0, 32, 16);
    EXPECT_EQ(shown.pixel(5, 5), expected.pixel(5, 5));
}

TEST_F(ScreenWindow, ScreenshotsAtEachDotSize)
{
    QTemporaryDir dir;
    QImage picture(40, 24, QImage::Format_RGB32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 40; ++x)
            picture.setPixel(x, y, qRgb(x * 6, y * 10, 255 - x * 6));
    const QString path = dir.filePath(QStringLiteral("p.png"));
    ASSERT_TRUE(picture.save(path));

    for (int lang = 0; lang < 3; ++lang) {
        ASSERT_TRUE(loadPack(kPacks[lang]));
        World world;
        tagItemData* screen = world.screen(128, 48);
        screen->Global.Type = 34;   // three colours
        tagItemData* scene = world.scene(screen);
        tagItemData* text = world.section(scene, QRect(2, 2, 60, 20), IT_WND_TEXT, u"text");
        tagItemData* line = world.item(text, IT_SINGLELINE, u"line");
        support::TreeBuilder::setRecordText(line, QStringLiteral("Hello"));
        world.core.Paint(line);
        tagItemData* pic = world.section(scene, QRect(66, 2, 40, 24), IT_WND_CONTENTLIST, u"pic");
        tagItemData* image = world.item(pic, IT_IMAGE, u"image");
        support::TreeBuilder::setRecord(image, records::picture::Path, QString(path));
        world.core.Paint(image);
        tagItemData* clock = world.section(scene, QRect(2, 24, 40, 22), IT_WND_CLOCKDIGIT, u"clock");
        world.item(clock, IT_CLOCKDIGIT, u"clock");
        QMdiArea mdi;
        mdi.resize(1000, 560);
        mdi.show();
        for (int dot = 1; dot <= 3; ++dot) {
            CLed::setDefaultDotSize(dot);
            CChildFrame* frame = world.open(mdi, screen);
            frame->canvas()->SelectItem(scene, true);
            frame->canvas()->SelectItem(text, true);
            QTest::qWait(10);
            EXPECT_EQ(frame->canvas()->dotWidth(), dot);
            EXPECT_EQ(frame->canvas()->openSectionCount(), 3);
            const QString file = outputDir() + QStringLiteral("/screen_dot%1_%2.png").arg(dot).arg(QLatin1String(kPackTags[lang]));
            EXPECT_TRUE(frame->grab().save(file));
            frame->closeFrame();
            support::flushDeletes();
        }
    }
    CLed::setDefaultDotSize(3);
    ASSERT_TRUE(loadPack("UI_EN.rcc"));
}

// The selected window's handles come first. Where the selected section's
// corner handle lies under a later section's window, the handle is drawn
// over that window, the cursor there is the sizing one, and a drag from it
// (through the real window, as the mouse goes) sizes the selected section
// and leaves the other where it was; the other's body still moves it.
TEST_F(ScreenWindow, TheSelectedSectionsHandleOverAnotherSectionSizesIt)
{
    tagItemData* screen = w.screen(96, 48);
    tagItemData* scene = w.scene(screen);
    tagItemData* a = w.section(scene, QRect(4, 4, 30, 20), IT_WND_TEXT, u"a");
    tagItemData* b = w.section(scene, QRect(30, 20, 30, 20), IT_WND_TEXT, u"b");
    CChildFrame* frame = w.open(area, screen);
    frame->canvas()->SelectItem(a, true);
    CSectionLed* sa = frame->canvas()->sectionCanvas(a);
    CSectionLed* sb = frame->canvas()->sectionCanvas(b);
    ASSERT_TRUE(sa && sb);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&area));

    const QPoint onHandle = sa->mapTo(&area, QPoint(sa->width() - 3, sa->height() - 3));
    ASSERT_EQ(frame->canvas()->childAt(frame->canvas()->mapFrom(&area, onHandle)), sb);   // b lies over it
    const QImage drawn = sb->grab().toImage();
    // The handle's top-left corner: 5 pixels square, inside a's frame of one pixel.
    const QPoint corner = sb->mapFromParent(sa->mapToParent(QPoint(sa->width() - 1 - 5, sa->height() - 1 - 5)));
    EXPECT_EQ(drawn.pixel(corner) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_TRUE(support::saveScreenshot(*frame, QStringLiteral("editor"), QStringLiteral("handle_over_section")));

    QWindow* window = area.windowHandle();
    QTest::mouseMove(window, onHandle);
    EXPECT_EQ(sb->cursor().shape(), Qt::SizeFDiagCursor);
    QTest::mousePress(window, Qt::LeftButton, {}, onHandle);
    QTest::mouseMove(window, onHandle + QPoint(5, 5));
    QTest::mouseMove(window, onHandle + QPoint(9, 9));
    QTest::mouseRelease(window, Qt::LeftButton, {}, onHandle + QPoint(9, 9));
    EXPECT_EQ(rectOf(a), QRect(4, 4, 32, 22));   // 99 x 69 pixels at dot 3, rounded down to even LEDs
    EXPECT_EQ(rectOf(b), QRect(30, 20, 30, 20));

    const QPoint onBody = sb->mapTo(&area, QPoint(sb->width() - 20, sb->height() - 20));
    QTest::mousePress(window, Qt::LeftButton, {}, onBody);
    QTest::mouseMove(window, onBody + QPoint(6, 0));
    QTest::mouseRelease(window, Qt::LeftButton, {}, onBody + QPoint(6, 0));
    EXPECT_EQ(rectOf(b), QRect(32, 20, 30, 20));
}
