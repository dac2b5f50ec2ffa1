// The grid window driven with QTest on the offscreen platform: a default
// 6 x 6 table (columns 60 wide, rows 24 high, one header row and column).
#include "app/gridwin/GridWindow.h"

#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QHelpEvent>
#include <QPainter>
#include "platform/LangPack.h"
#include "support/LangPackScope.h"
#include <gtest/gtest.h>
#include <type_traits>

using namespace gridwin;
using grid::GridSelection;

namespace {

std::unique_ptr<GridWindow> Window(int w = 400, int h = 200)
{
    auto win = std::make_unique<GridWindow>();
    win->applyDefaultBorders();
    win->resize(w, h);
    win->show();
    win->layoutChanged();
    return win;
}

void Drag(QWidget* w, QPoint from, QPoint to)
{
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(w, to);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
}

// The shown editor; closed ones are hidden until their deferred deletion.
QPlainTextEdit* OpenEditor(GridWindow& w)
{
    for (QPlainTextEdit* e : w.findChildren<QPlainTextEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}

} // namespace

TEST(GridWindowMouse, ResizingOutwardShowsHiddenColumnsInwardHidesThem)
{
    auto w = Window();
    w->setColumnWidth(2, 0);
    QSignalSpy rect(w.get(), &GridWindow::clientRectChanged);
    Drag(w.get(), {120, 10}, {150, 10});    // column 1's edge, column 2 hidden after it
    EXPECT_EQ(w->grid().ColumnWidth(1), 60);
    EXPECT_EQ(w->grid().ColumnWidth(2), 30);  // the hidden one reappears
    QCoreApplication::processEvents();
    EXPECT_EQ(rect.count(), 1);

    auto v = Window();
    Drag(v.get(), {240, 10}, {130, 10});    // column 3's edge into column 2
    EXPECT_EQ(v->grid().ColumnWidth(3), 0);
    EXPECT_EQ(v->grid().ColumnWidth(2), 10);
    Drag(v.get(), {130, 10}, {-50, 10});    // stops at the header
    for (int c = 1; c < 4; ++c)
        EXPECT_EQ(v->grid().ColumnWidth(c), 0) << c;
    EXPECT_EQ(v->grid().ColumnWidth(0), 60);

    // Rows: the first column's band, the bottom edge of row 2.
    Drag(v.get(), {30, 72}, {30, 90});
    EXPECT_EQ(v->grid().RowHeight(2), 42);
}

TEST(GridWindowMouse, EdgesAreGrabbedOnlyNearbyAndInTheBand)
{
    auto w = Window();
    EXPECT_TRUE(ResizeHitTest(w->grid(), 126, 10).active);
    EXPECT_FALSE(ResizeHitTest(w->grid(), 127, 10).active);
    EXPECT_FALSE(ResizeHitTest(w->grid(), 120, 40).active);   // below the header band
    const ResizeTracker t = ResizeHitTest(w->grid(), 121, 10);
    EXPECT_TRUE(t.column);
    EXPECT_EQ(t.index, 1);
    EXPECT_EQ(t.minimum, 60);
    EXPECT_EQ(ClampResizeLine(t, 10, 400), 60);
    EXPECT_EQ(ClampResizeLine(t, 900, 400), 400);
    // A plain click is a selection, not a resize.
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {150, 60});
    EXPECT_EQ(w->grid().ColumnWidth(2), 60);
}

TEST(GridWindowMouse, CornerHeaderAndBodySelection)
{
    auto w = Window();
    QSignalSpy sel(w.get(), &GridWindow::selChanged);
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {30, 10});
    EXPECT_EQ(w->grid().Selection(), (GridSelection{1, 1, 5, 5}));
    EXPECT_EQ(sel.count(), 1);
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {30, 10});
    EXPECT_EQ(sel.count(), 1);   // unchanged: no notification
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {150, 10});
    EXPECT_EQ(w->grid().Selection(), (GridSelection{1, 2, 5, 2}));
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {30, 80});
    EXPECT_EQ(w->grid().Selection(), (GridSelection{3, 1, 3, 5}));
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {150, 60});
    EXPECT_EQ(w->grid().Selection(), (GridSelection{2, 2, 2, 2}));
    EXPECT_EQ(sel.count(), 4);
    EXPECT_EQ(w->grid().CurrentCol(), 2);
    EXPECT_EQ(w->grid().CurrentRow(), 2);
}

TEST(GridWindowMouse, DraggingIntoABlockTakesTheWholeBlock)
{
    auto w = Window();
    w->mergeRange({2, 2, 4, 4});
    Drag(w.get(), {90, 35}, {150, 60});
    EXPECT_EQ(w->grid().Selection(), (GridSelection{1, 1, 3, 3}));
}

TEST(GridWindowMouse, DraggingPastTheEdgeScrollsOneStepPerMove)
{
    auto w = Window(200, 120);
    ASSERT_TRUE(w->verticalBar()->isVisible());
    const int top = w->grid().TopRow();
    QTest::mousePress(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 35});
    QTest::mouseMove(w.get(), {90, 300});
    EXPECT_EQ(w->grid().TopRow(), top + 1);
    QTest::mouseMove(w.get(), {90, 301});
    EXPECT_EQ(w->grid().TopRow(), top + 2);
    QTest::mouseRelease(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 301});
}

TEST(GridWindowKeys, TabEnterAndArrowsMoveTheCurrentCell)
{
    auto w = Window();
    w->setFocus();
    QTest::keyClick(w.get(), Qt::Key_Tab);   // no current cell: nothing
    EXPECT_EQ(w->grid().CurrentCol(), -1);
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 35});
    QSignalSpy sel(w.get(), &GridWindow::selChanged);
    QTest::keyClick(w.get(), Qt::Key_Tab);
    EXPECT_EQ(w->grid().CurrentCol(), 2);
    QTest::keyClick(w.get(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(w->grid().CurrentCol(), 1);
    QTest::keyClick(w.get(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(w->grid().CurrentRow(), 2);
    QTest::keyClick(w.get(), Qt::Key_Return);   // without an editor: nothing
    EXPECT_EQ(w->grid().CurrentRow(), 2);
    QTest::keyClick(w.get(), Qt::Key_Left);     // into the header: nothing
    EXPECT_EQ(w->grid().CurrentCol(), 1);
    QTest::keyClick(w.get(), Qt::Key_Down);
    EXPECT_EQ(w->grid().CurrentRow(), 3);
    EXPECT_EQ(w->grid().Selection(), (GridSelection{3, 1, 3, 1}));
    EXPECT_EQ(sel.count(), 4);
    // Past a merged block in one step.
    w->mergeRange({2, 3, 4, 4});
    QTest::keyClick(w.get(), Qt::Key_Right);
    EXPECT_EQ(w->grid().CurrentCol(), 2);
    QTest::keyClick(w.get(), Qt::Key_Right);
    EXPECT_EQ(w->grid().CurrentCol(), 4);
}

TEST(GridWindowKeys, WheelStepsOneRowPerNotch)
{
    auto w = Window(300, 120);
    ASSERT_TRUE(w->verticalBar()->isVisible());
    const int top = w->grid().TopRow();
    QWheelEvent down({100, 60}, w->mapToGlobal(QPoint(100, 60)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.get(), &down);
    EXPECT_EQ(w->grid().TopRow(), top + 1);
    QWheelEvent up({100, 60}, w->mapToGlobal(QPoint(100, 60)), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.get(), &up);
    EXPECT_EQ(w->grid().TopRow(), top);
    // Without a vertical range the wheel does nothing.
    auto big = Window();
    QWheelEvent none({100, 60}, big->mapToGlobal(QPoint(100, 60)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(big.get(), &none);
    EXPECT_EQ(big->grid().TopRow(), 1);
}

TEST(GridWindowEditing, EditInPlaceAndCommitThroughTheValidator)
{
    auto w = Window();
    QSignalSpy changed(w.get(), &GridWindow::cellChanged);
    QTest::mouseDClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 35});
    QPlainTextEdit* ed = OpenEditor(*w);
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->geometry(), QRect(60, 24, 59, 23));   // inside the borders
    QTest::keyClicks(ed, "=2+3");
    QTest::keyClick(ed, Qt::Key_Left);                  // the caret moves; the cell stays
    EXPECT_EQ(w->grid().CurrentCol(), 1);
    QTest::keyClick(ed, Qt::Key_Tab);   // closes the editor from inside its own key event
    EXPECT_EQ(w->grid().GetCell(1, 1).editor, nullptr);
    EXPECT_EQ(OpenEditor(*w), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(w->findChildren<QPlainTextEdit*>().isEmpty());
    EXPECT_EQ(w->grid().GetCellText(1, 1), u"5");
    EXPECT_EQ(w->grid().GetDisplayText(1, 1), u"=2+3");
    EXPECT_EQ(w->grid().CurrentCol(), 2);
    QCoreApplication::processEvents();
    EXPECT_GE(changed.count(), 1);

    w->setCellValidator(2, 1, grid::FindValidator("Int0_100"));
    QTest::mouseDClick(w.get(), Qt::LeftButton, Qt::NoModifier, {150, 35});
    ed = OpenEditor(*w);
    ASSERT_NE(ed, nullptr);
    QTest::keyClicks(ed, "abc");
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {270, 100});   // elsewhere: commits
    EXPECT_EQ(w->grid().GetCellText(2, 1), u"abc");
    EXPECT_FALSE(w->grid().GetCell(2, 1).message.empty());

    // Ctrl+Right opens the last editable cell of the row.
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 35});
    QTest::keyClick(w.get(), Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(w->grid().CurrentCol(), 5);
    EXPECT_NE(OpenEditor(*w), nullptr);
}

TEST(GridWindowEditing, AValueEndedWithEnterIsDrawnAsAnyOther)
{
    auto w = Window();
    QTest::mouseDClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 59});   // row 2
    ASSERT_NE(OpenEditor(*w), nullptr);
    QTest::keyClicks(OpenEditor(*w), "42");
    QTest::keyClick(OpenEditor(*w), Qt::Key_Tab);
    QTest::mouseDClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 83});   // row 3
    ASSERT_NE(OpenEditor(*w), nullptr);
    QTest::keyClicks(OpenEditor(*w), "42");
    QTest::keyClick(OpenEditor(*w), Qt::Key_Return);   // stays in the editor
    ASSERT_NE(OpenEditor(*w), nullptr);
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {270, 130});   // elsewhere: commits
    ASSERT_EQ(OpenEditor(*w), nullptr);
    QCoreApplication::processEvents();
    const QImage shot = w->grab().toImage();
    const QImage typed = shot.copy(61, 49, 58, 22), entered = shot.copy(61, 73, 58, 22);
    EXPECT_EQ(entered, typed);
    EXPECT_NE(typed, shot.copy(61, 97, 58, 22));   // the value is drawn at all
}

// Enter starts a new line in the editor: the line typed stays in sight
// instead of scrolling away and leaving an empty white cell.
TEST(GridWindowEditing, AfterEnterTheEditorStillShowsWhatWasTyped)
{
    auto w = Window();
    QTest::mouseDClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 35});   // row 1
    QPlainTextEdit* edit = OpenEditor(*w);
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "=A1+A2");
    // Dark pixels of the editor's first line, where the operator looks.
    const auto inked = [&] {
        const QImage shot = edit->grab().toImage();
        int n = 0;
        for (int y = 0; y < std::min(shot.height(), 20); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += qGray(shot.pixel(x, y)) < 128;
        return n;
    };
    const int typed = inked();
    ASSERT_GT(typed, 10);
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(OpenEditor(*w), edit);
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("=A1+A2\n"));
    EXPECT_GT(inked(), typed / 2);   // the caret has gone to the next line
    EXPECT_GT(edit->height(), 24);   // a second line for the caret below it
    EXPECT_LE(edit->geometry().bottom(), w->height());
    // Ended by a click elsewhere the editor goes and the cell is a cell again.
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {270, 130});
    EXPECT_EQ(OpenEditor(*w), nullptr);

    // In the last row shown it grows upwards, staying in the view.
    auto low = Window(400, 150);
    QTest::mouseDClick(low.get(), Qt::LeftButton, Qt::NoModifier, {90, 132});   // row 5
    edit = OpenEditor(*low);
    ASSERT_NE(edit, nullptr);
    QTest::keyClicks(edit, "=A1+A2");
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_GT(edit->height(), 24);
    EXPECT_LE(edit->geometry().bottom(), low->height() - 1);
    EXPECT_GT(inked(), typed / 2);
}

TEST(GridWindowMenu, InsertAndDeleteWithGreying)
{
    auto w = Window();
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {30, 60});   // row 2 by its header
    std::unique_ptr<QMenu> menu(w->buildContextMenu({30, 60}));
    QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 7);   // insert, delete, separator, cut, copy, paste, clear
    EXPECT_EQ(actions[0]->data().toInt(), int(grid::GridCommand::InsertRows));
    EXPECT_TRUE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isEnabled());
    actions[0]->trigger();
    EXPECT_EQ(w->grid().RowCount(), 7);
    EXPECT_EQ(w->grid().FindPen(w->grid().GetCell(3, 2).pens[grid::PenRight])->colour, 0x00FFFFu);

    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 10});   // column 1 by its header
    menu.reset(w->buildContextMenu({90, 10}));
    actions = menu->actions();
    EXPECT_EQ(actions[1]->data().toInt(), int(grid::GridCommand::DeleteColumns));
    actions[1]->trigger();
    EXPECT_EQ(w->grid().ColumnCount(), 5);

    // Everything selected: delete is greyed.
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {30, 10});
    menu.reset(w->buildContextMenu({30, 60}));
    EXPECT_FALSE(menu->actions()[1]->isEnabled());
    menu.reset(w->buildContextMenu({100, 60}));   // a body cell: only the edit items
    EXPECT_EQ(menu->actions().size(), 4);
}

TEST(GridWindowPicture, ScreenshotForReview)
{
    auto w = Window(460, 220);
    GridWindow& g = *w;
    g.insertRows(6, 2);
    g.setCellContent(1, 1, u"12");
    g.setCellContent(2, 1, u"30");
    g.setCellContent(3, 1, u"=A1+B1");
    g.setCellContent(1, 2, u"=SUM(A1:B1)*2");
    g.mergeRange({4, 1, 6, 3});
    g.setCellText(4, 1, u"merged", false);
    grid::BorderSpec spec{};
    spec.items[2] = {grid::PS_SOLID, 3, 0x0000FF, 1};
    spec.items[3] = {grid::PS_SOLID, 1, 0x00FF00, 1};
    g.setRangeBorders(1, 3, 3, 4, spec, false);
    g.showGridLines(true);
    g.setCellValidator(2, 4, grid::FindValidator("Int0_100"));
    g.setCellText(2, 4, u"x", false);
    w->layoutChanged();
    QTest::mousePress(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 35});
    QTest::mouseMove(w.get(), {200, 85});
    QTest::mouseRelease(w.get(), Qt::LeftButton, Qt::NoModifier, {200, 85});
    const QImage shot = w->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT");
    ASSERT_FALSE(dir.isEmpty());
    QDir().mkpath(dir);
    const QString file = dir + "/grid-window.png";
    ASSERT_TRUE(shot.save(file));
    EXPECT_EQ(QImage(file).size(), shot.size());
}

TEST(GridWindowTips, AMessageShowsAsATooltipAndGoesOnAKey)
{
    auto w = Window();
    w->setCellValidator(2, 2, grid::FindValidator("Int0_100"));
    w->setCellText(2, 2, u"abc", false);
    QHelpEvent over(QEvent::ToolTip, {150, 60}, w->mapToGlobal(QPoint(150, 60)));
    QApplication::sendEvent(w.get(), &over);
    EXPECT_EQ(QToolTip::text(), QString::fromStdU16String(w->grid().GetCell(2, 2).message));
    EXPECT_TRUE(QToolTip::isVisible());
    QTest::keyClick(w.get(), Qt::Key_A);   // the tip fades out shortly after
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    QHelpEvent plain(QEvent::ToolTip, {210, 60}, w->mapToGlobal(QPoint(210, 60)));
    QApplication::sendEvent(w.get(), &plain);
    EXPECT_FALSE(QToolTip::isVisible());
}

// Formulas typed and kept as text say why in the window's language.
TEST(GridWindowTips, AFormulaKeptAsTextSaysWhyInEachLanguage)
{
    support::LangPackScope restore(support::LangPackScope::Start::Empty);
    for (const char* code : {"EN", "CN", "TW"}) {
        QString error;
        ASSERT_TRUE(platform::loadLangPack(QStringLiteral(TAVRELO_SHELL_PACK_DIR "/UI_%1.rcc").arg(code), &error))
            << error.toStdString();
        auto w = Window(420, 200);
        const auto type = [&](QPoint cell, const char* text) {
            QTest::mouseDClick(w.get(), Qt::LeftButton, Qt::NoModifier, cell);
            QPlainTextEdit* ed = OpenEditor(*w);
            ASSERT_NE(ed, nullptr);
            QTest::keyClicks(ed, text);
            QTest::keyClick(ed, Qt::Key_Tab);
        };
        type({150, 60}, "=B2+1");                                      // B2 reads itself
        type({90, 84}, "=COUNTIF(A1:A2,\"EQ(COUNTIF(A1:A2,\"EQ(1)\"))\")"); // A3
        ASSERT_EQ(w->grid().GetCellText(2, 2), u"=B2+1");
        const QStringList expected = {platform::langString(63241), platform::langString(63242)};
        ASSERT_FALSE(expected[0].isEmpty());
        int shown = 0;
        for (const QPoint at : {QPoint(150, 60), QPoint(90, 84)}) {
            QTest::mouseMove(w.get(), at);
            QHelpEvent over(QEvent::ToolTip, at, w->mapToGlobal(at));
            QApplication::sendEvent(w.get(), &over);
            ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 2000));
            EXPECT_EQ(QToolTip::text(), expected[shown]) << code;
            // The window with its tip, as the operator sees it.
            QWidget* tip = nullptr;
            for (QWidget* t : QApplication::topLevelWidgets())
                if (t->inherits("QTipLabel") && t->isVisible())
                    tip = t;
            ASSERT_NE(tip, nullptr);
            const QPoint offset = tip->mapToGlobal(QPoint()) - w->mapToGlobal(QPoint());
            QImage shot(QSize(qMax(w->width(), offset.x() + tip->width()), qMax(w->height(), offset.y() + tip->height())),
                        QImage::Format_RGB32);
            shot.fill(Qt::white);
            QPainter p(&shot);
            p.drawImage(0, 0, w->grab().toImage());
            p.drawImage(offset, tip->grab().toImage());
            p.end();
            const QString dir = qEnvironmentVariable("TAVRELO_TEST_OUTPUT") + QStringLiteral("/gridwin");
            QDir().mkpath(dir);
            EXPECT_TRUE(shot.save(dir + QStringLiteral("/formula_kept_as_text_%1_%2.png").arg(shown).arg(code)));
            ++shown;
            QToolTip::hideText();
            ASSERT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
        }
    }
}

TEST(GridWindowKeys, MovesScrollTheCurrentCellIntoView)
{
    auto w = Window(200, 110);   // header plus about three data rows
    ASSERT_TRUE(w->verticalBar()->isVisible());
    QTest::mouseClick(w.get(), Qt::LeftButton, Qt::NoModifier, {90, 35});
    for (int k = 0; k < 4; ++k)
        QTest::keyClick(w.get(), Qt::Key_Down);
    EXPECT_EQ(w->grid().CurrentRow(), 5);
    EXPECT_GT(w->grid().TopRow(), 1);
    const grid::PixelRect r = grid::GridGeometry(w->grid()).CellRect(1, 5, false);
    EXPECT_LE(r.bottom, 110 - w->horizontalBar()->height() * w->horizontalBar()->isVisible());
    for (int k = 0; k < 4; ++k)
        QTest::keyClick(w.get(), Qt::Key_Up);
    EXPECT_EQ(w->grid().TopRow(), 1);
}

// The model is read-only from outside; edits go through the window.
static_assert(std::is_const_v<std::remove_reference_t<decltype(std::declval<GridWindow&>().grid())>>);

TEST(GridWindowEdits, InsertingRowsThroughTheWindowBringsTheScrollBar)
{
    auto w = Window(400, 200);
    ASSERT_FALSE(w->verticalBar()->isVisible());
    w->insertRows(6, 20);
    EXPECT_EQ(w->grid().RowCount(), 26);
    EXPECT_TRUE(w->verticalBar()->isVisible());
    QSignalSpy cell(w.get(), &GridWindow::cellChanged);
    EXPECT_TRUE(w->mergeRange({1, 1, 3, 3}));
    EXPECT_TRUE(w->grid().IsMergeAnchor(1, 1));
    EXPECT_TRUE(w->splitRange({1, 1, 3, 3}));
    EXPECT_FALSE(w->grid().IsMergeAnchor(1, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return cell.count() == 2; }, 1000));
}

TEST(GridWindowEdits, ADamagedStreamLeavesTheTableAsItWas)
{
    auto w = Window();
    w->setCellText(1, 1, u"kept", false);
    const std::uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};   // longer than a missing stream
    EXPECT_FALSE(w->loadFrom(junk));
    EXPECT_EQ(w->grid().GetCellText(1, 1), u"kept");
}
