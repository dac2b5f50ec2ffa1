#include "TestHelpers.h"

#include <QTest>
#include "app/controls/StaticSplitter.h"

#include <QVBoxLayout>
#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;

TEST(SplitterModel, FirstPaneFixedSnapsOrCollapses)
{
    SplitterModel m;
    m.extent = 800;
    m.fixedPane = 0;
    m.fixedSize = 200;
    m.setPosition(140);
    EXPECT_EQ(m.position, 0);
    m.setPosition(160);
    EXPECT_EQ(m.position, 200);
    m.setPosition(300);
    EXPECT_EQ(m.position, 300);
    EXPECT_EQ(m.doubleClickPosition(), 200);
}

TEST(SplitterModel, SecondPaneFixedSnapsOrCollapses)
{
    SplitterModel m;
    m.extent = 800;
    m.barWidth = 4;
    m.fixedPane = 1;
    m.fixedSize = 200;
    // e = 800 - 200 - 4 = 596; collapse beyond 800 - 150 - 4 = 646
    m.setPosition(620);
    EXPECT_EQ(m.position, 596);
    m.setPosition(700);
    EXPECT_EQ(m.position, 796);
    EXPECT_EQ(m.doubleClickPosition(), 600);
}

TEST(SplitterModel, ProportionKeptWithoutDrift)
{
    SplitterModel m;
    m.extent = 400;
    m.barWidth = 4;
    m.setPosition(-1);
    EXPECT_EQ(m.position, 198);
    EXPECT_EQ(m.kept, 5000);
    for (int e : {800, 437, 1001, 800}) {
        m.resize(e);
        EXPECT_EQ(m.position, (e - 4) / 2) << e;
        EXPECT_EQ(m.kept, 5000);
    }
}

TEST(SplitterModel, SecondPaneSizeKept)
{
    SplitterModel m;
    m.resizeMode = SplitterModel::KeepSecond;
    m.extent = 500;
    m.barWidth = 4;
    m.setPosition(300); // second pane 500 - 4 - 300 = 196
    m.resize(900);
    EXPECT_EQ(m.position, 700);
    m.resize(600);
    EXPECT_EQ(m.position, 400);
    EXPECT_EQ(m.kept, 196);
}

TEST(SplitterModel, ClampsAndKeepsUnsetUntilPainted)
{
    SplitterModel m;
    m.extent = 300;
    m.barWidth = 4;
    m.minimum = 20;
    m.resize(600);
    EXPECT_EQ(m.position, -1);
    m.setPosition(5);
    EXPECT_EQ(m.position, 20);
    m.setPosition(590);
    EXPECT_EQ(m.position, 600 - 4 - 20);
}

TEST(SplitterModel, PositionWaitsForTheFirstExtent)
{
    SplitterModel m;
    m.barWidth = 4;
    EXPECT_TRUE(m.setPosition(150));
    EXPECT_EQ(m.position, -1); // nothing to clamp against yet
    m.resize(0);
    EXPECT_EQ(m.position, -1);
    m.resize(604);
    EXPECT_EQ(m.position, 150);
    EXPECT_EQ(m.kept, 2500);
    EXPECT_EQ(m.pending, SplitterModel::kNoPending);
}

TEST(StaticSplitter, ShowingCentresAndPanesFollowTheBar)
{
    CStaticSplitterWnd s(nullptr, true);
    auto* a = new QWidget;
    auto* b = new QWidget;
    s.SetPanes(a, b);
    s.resize(404, 100);
    EXPECT_EQ(s.GetSplitterPos(), -1);
    s.show(); // showing centres the bar
    s.grab();
    EXPECT_EQ(s.GetSplitterPos(), 200);
    EXPECT_EQ(a->geometry(), QRect(0, 0, 200, 100));
    EXPECT_EQ(b->geometry(), QRect(204, 0, 200, 100));
    s.resize(804, 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.GetSplitterPos(), 400);
    EXPECT_EQ(b->geometry(), QRect(404, 0, 400, 100));
}

TEST(StaticSplitter, DragAndDoubleClickTheBar)
{
    CStaticSplitterWnd s(nullptr, false); // panes stacked
    auto* top = new QWidget;
    auto* bottom = new QWidget;
    s.SetPanes(top, bottom);
    EXPECT_TRUE(s.SetFixedPane(bottom, 100));
    EXPECT_FALSE(s.SetFixedPane(nullptr, 5));
    s.SetResizeFlags(SplitterModel::KeepSecond);
    s.resize(200, 504);
    s.show();
    s.SetSplitterPos(300);
    // drag the bar (tracker mode: the panes move on release)
    QTest::mousePress(&s, Qt::LeftButton, {}, QPoint{50, 302});
    support::mouseMove(&s, QPoint{50, 252});
    EXPECT_EQ(top->height(), 300);
    QTest::mouseRelease(&s, Qt::LeftButton, {}, QPoint{50, 252});
    EXPECT_EQ(s.GetSplitterPos(), 250);
    EXPECT_EQ(top->height(), 250);
    EXPECT_EQ(bottom->height(), 250);
    // the second pane keeps its size when the window grows
    s.resize(200, 704);
    QCoreApplication::processEvents();
    EXPECT_EQ(bottom->height(), 250);
    // double click: the fixed second pane gets its size back
    QTest::mouseDClick(&s, Qt::LeftButton, {}, QPoint{50, s.GetSplitterPos() + 1});
    EXPECT_EQ(s.GetSplitterPos(), 704 - 100 - 4); // snapped to leave it exactly its size
    EXPECT_EQ(bottom->height(), 100);
}

TEST(StaticSplitter, SinglePaneTakesEverything)
{
    CStaticSplitterWnd s;
    auto* a = new QWidget;
    auto* b = new QWidget;
    s.SetPanes(a, b);
    s.resize(300, 100);
    s.SetSinglePane(1);
    s.show();
    EXPECT_EQ(b->geometry(), QRect(0, 0, 300, 100));
    EXPECT_FALSE(a->isVisible());
    EXPECT_TRUE(s.barRect().isNull());
}

TEST(StaticSplitter, PositionSetBeforeTheFirstResizeIsKept)
{
    // The natural order: panes, fixed pane, position, then size and show
    // (directly, or through the layout of the window that holds it).
    for (bool viaLayout : {false, true}) {
        QWidget top;
        auto* s = new CStaticSplitterWnd(&top, true);
        auto* a = new QWidget;
        auto* b = new QWidget;
        s->SetPanes(a, b);
        s->SetFixedPane(a, 100);
        s->SetSplitterPos(150);
        if (viaLayout) {
            auto* layout = new QVBoxLayout(&top);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(s);
            top.resize(604, 100);
        } else {
            s->setGeometry(0, 0, 604, 100);
        }
        top.show();
        QCoreApplication::processEvents();
        ASSERT_EQ(s->width(), 604);
        EXPECT_EQ(s->GetSplitterPos(), 150) << viaLayout;
        EXPECT_EQ(a->geometry(), QRect(0, 0, 150, 100)) << viaLayout;
        EXPECT_EQ(b->geometry(), QRect(154, 0, 450, 100)) << viaLayout;
        // the proportion recorded is that of 150 in 600
        if (viaLayout)
            top.resize(1204, 100);
        else
            s->resize(1204, 100);
        QCoreApplication::processEvents();
        EXPECT_EQ(s->GetSplitterPos(), 300) << viaLayout;
    }
}

TEST(StaticSplitter, PanesAreLaidOutWithoutAPaint)
{
    CStaticSplitterWnd s(nullptr, true);
    auto* a = new QWidget;
    auto* b = new QWidget;
    s.SetPanes(a, b);
    s.resize(404, 100);
    EXPECT_EQ(s.GetSplitterPos(), -1); // nothing is placed before the splitter is shown
    s.setAttribute(Qt::WA_UpdatesDisabled); // no paint event can come
    s.show();
    EXPECT_EQ(s.GetSplitterPos(), 200);
    EXPECT_EQ(a->geometry(), QRect(0, 0, 200, 100));
    EXPECT_EQ(b->geometry(), QRect(204, 0, 200, 100));
}
