// Section hit testing and snapping, page walks, the nearest-obstacle move and
// the tracker's handles, without any widget.
#include "app/editor/CanvasGeometry.h"
#include "app/editor/RectTrackerEx.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace editor;

TEST(SectionHitTest, CornersEdgesAndClient)
{
    const QSize s(60, 30);
    EXPECT_EQ(sectionHitTest({0, 0}, s), HitTopLeft);
    EXPECT_EQ(sectionHitTest({59, 29}, s), HitBottomRight);
    EXPECT_EQ(sectionHitTest({2, 28}, s), HitBottomLeft);
    EXPECT_EQ(sectionHitTest({58, 1}, s), HitTopRight);
    EXPECT_EQ(sectionHitTest({58, 14}, s), HitRight);
    EXPECT_EQ(sectionHitTest({1, 14}, s), HitLeft);
    EXPECT_EQ(sectionHitTest({30, 2}, s), HitTop);
    EXPECT_EQ(sectionHitTest({30, 28}, s), HitBottom);
    // On the left edge but outside the middle band: plain client area.
    EXPECT_EQ(sectionHitTest({1, 8}, s), HitClient);
    EXPECT_EQ(sectionHitTest({30, 14}, s), HitClient);
}

TEST(SectionSnap, RightEdgeDragGivesAnEvenLedWidth)
{
    const QRect scene(0, 0, 64 * 3, 32 * 3);
    // A 10-LED section dragged 5 LEDs wider from its right edge.
    const QRect proposed(3 * 4, 3 * 2, 3 * 15, 3 * 8);
    const QRect r = snapSectionRect(HitRight, proposed, scene, 3, 3);
    EXPECT_EQ(r.left(), 12);
    EXPECT_EQ(r.width(), 3 * 14);
    EXPECT_EQ(r.height(), proposed.height());
}

TEST(SectionSnap, EdgeDragNeverGoesBelowTwoLeds)
{
    const QRect scene(0, 0, 64 * 3, 32 * 3);
    const QRect right = snapSectionRect(HitRight, QRect(30, 30, 2, 24), scene, 3, 3);
    EXPECT_EQ(right.width(), 6);
    EXPECT_EQ(right.left(), 30);
    const QRect left = snapSectionRect(HitLeft, QRect(60, 30, -9, 24), scene, 3, 3);
    EXPECT_EQ(left.width(), 6);
    EXPECT_EQ(left.left() + left.width(), 51);   // the right edge stays
    const QRect corner = snapSectionRect(HitTopLeft, QRect(60, 30, 1, 1), scene, 2, 2);
    EXPECT_EQ(corner.size(), QSize(4, 4));
}

TEST(SectionSnap, MovesLandOnWholeDotsInsideTheScene)
{
    const QRect scene(3, 3, 60 * 3, 30 * 3);   // a border of one LED
    EXPECT_EQ(snapSectionRect(HitCaption, QRect(17, 25, 30, 12), scene, 3, 3), QRect(15, 24, 30, 12));
    EXPECT_EQ(snapSectionRect(HitCaption, QRect(-20, -7, 30, 12), scene, 3, 3), QRect(3, 3, 30, 12));
    EXPECT_EQ(snapSectionRect(HitCaption, QRect(500, 500, 30, 12), scene, 3, 3), QRect(183 - 30, 93 - 12, 30, 12));
}

TEST(Pages, WideItemWalksAndStopsAtTheEnds)
{
    PageState p = pageCounts({64, 32}, {200, 32}, true);
    EXPECT_EQ(p.columns, 4);
    EXPECT_EQ(p.rows, 1);
    bool changed = false;
    EXPECT_EQ(prevPage(p, changed), 0);
    EXPECT_FALSE(changed);
    EXPECT_EQ(nextPage(p, changed), 1);
    EXPECT_EQ(nextPage(p, changed), 2);
    EXPECT_EQ(nextPage(p, changed), 3);
    EXPECT_EQ(nextPage(p, changed), 3);
    EXPECT_FALSE(changed);
    EXPECT_EQ(prevPage(p, changed), 2);

    PageState grid = pageCounts({10, 10}, {20, 25}, true);
    EXPECT_EQ(grid.columns, 2);
    EXPECT_EQ(grid.rows, 3);
    nextPage(grid, changed);
    EXPECT_EQ(nextPage(grid, changed), 2);   // past the last column: next row
    EXPECT_EQ(grid.column, 0);
    EXPECT_EQ(grid.row, 1);
    EXPECT_EQ(prevPage(grid, changed), 1);
    EXPECT_EQ(grid.column, 1);
    EXPECT_EQ(grid.row, 0);

    PageState out = grid;
    out.column = 7;
    EXPECT_EQ(nextPage(out, changed), out.row * out.columns);   // brought back, not advanced
    EXPECT_EQ(out.column, 0);

    EXPECT_EQ(pageCounts({64, 32}, {200, 32}, false).columns, 1);
    EXPECT_EQ(pageCounts({64, 32}, {64, 32}, true).columns, 1);
}

TEST(ObstacleMove, StopsAtTheScenesEdgeThenStays)
{
    const QRect client(1, 1, 62, 30);
    const QRect sec(10, 10, 8, 4);
    EXPECT_EQ(obstacleMove(sec, client, {}, Direction::Up), QPoint(0, -9));
    EXPECT_EQ(obstacleMove(sec.translated(0, -9), client, {}, Direction::Up), QPoint(0, 0));
    EXPECT_EQ(obstacleMove(sec, client, {}, Direction::Right), QPoint(63 - 18, 0));
    EXPECT_EQ(obstacleMove(sec, client, {}, Direction::Down), QPoint(0, 31 - 14));
    EXPECT_EQ(obstacleMove(sec, client, {}, Direction::Left), QPoint(-9, 0));
}

TEST(ObstacleMove, StopsAtOverlappingObstaclesIncludingOnesInsideTheSpan)
{
    const QRect client(0, 0, 64, 32);
    const QRect sec(10, 20, 20, 4);
    // Partly overlapping above, ending at row 5.
    EXPECT_EQ(obstacleMove(sec, client, {QRect(25, 2, 10, 3)}, Direction::Up), QPoint(0, 5 - 20));
    // Strictly inside the section's span (columns 14..17): it stops the move too.
    EXPECT_EQ(obstacleMove(sec, client, {QRect(14, 4, 4, 8)}, Direction::Up), QPoint(0, 12 - 20));
    // Beside the span: no obstacle.
    EXPECT_EQ(obstacleMove(sec, client, {QRect(30, 4, 4, 8)}, Direction::Up), QPoint(0, -20));
    // The nearest of two wins.
    EXPECT_EQ(obstacleMove(sec, client, {QRect(0, 0, 64, 2), QRect(12, 0, 4, 6)}, Direction::Up), QPoint(0, 6 - 20));
    EXPECT_EQ(obstacleMove(sec, client, {QRect(40, 21, 2, 2)}, Direction::Right), QPoint(40 - 30, 0));
}

TEST(Tracker, MiddleHandlesNeedRoom)
{
    CRectTrackerEx t;
    t.m_nHandleSize = 5;
    t.m_nStyle = CRectTrackerEx::ResizeInside;
    t.m_rect = QRect(0, 0, 20, 19);
    EXPECT_EQ(t.GetHandleMask(), 0x0Fu | 0x50u);
    t.m_rect = QRect(0, 0, 19, 20);
    EXPECT_EQ(t.GetHandleMask(), 0x0Fu | 0xA0u);
    t.m_rect = QRect(20, 20, -20, -20);   // inverted: normalised first
    EXPECT_EQ(t.GetHandleMask(), 0xFFu);
}

TEST(Tracker, HandleSizeShrinksOnSmallRectanglesUnlessOutside)
{
    CRectTrackerEx t;
    t.m_nHandleSize = 5;
    t.m_nStyle = CRectTrackerEx::ResizeInside;
    const QRect small(0, 0, 8, 30);
    EXPECT_EQ(t.GetHandleSize(&small), 4);
    t.m_nStyle = CRectTrackerEx::ResizeOutside;
    EXPECT_EQ(t.GetHandleSize(&small), 5);
    t.m_rect = QRect(10, 10, 30, 30);
    EXPECT_EQ(t.handleRect(0), QRect(6, 6, 5, 5));   // enlarged by handle size - 1 first
}

TEST(Tracker, WhiteHandlesWithTheSharedFrameColour)
{
    CRectTrackerEx t;
    t.m_nHandleSize = 5;
    t.m_nStyle = CRectTrackerEx::SolidLine | CRectTrackerEx::ResizeInside;
    t.m_handleColor = 0xFFFFFFu;
    t.m_rect = QRect(10, 10, 40, 30);
    QImage img(70, 60, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        t.Draw(p);
    }
    // The frame lies one pixel outside: COLORREF 0xFF0000 is pure blue.
    EXPECT_EQ(img.pixel(30, 9), qRgb(0, 0, 255));
    EXPECT_EQ(img.pixel(9, 25), qRgb(0, 0, 255));
    // The top-left handle's outline inside the rectangle is white, its inside untouched.
    EXPECT_EQ(img.pixel(10, 10), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(14, 12), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(12, 12), qRgb(0, 0, 0));
    EXPECT_EQ(CRectTrackerEx::framePenColor(), QColor(0, 0, 255));
}

TEST(Tracker, HatchingFillsDiagonalsInsideAndAroundTheBand)
{
    CRectTrackerEx t;
    t.m_nHandleSize = 5;
    t.m_nStyle = CRectTrackerEx::HatchInside;
    t.m_rect = QRect(10, 10, 16, 16);
    QImage img(40, 40, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        t.Draw(p);
    }
    int inside = 0;
    for (int y = 11; y < 25; ++y)
        for (int x = 11; x < 25; ++x)
            inside += img.pixel(x, y) == qRgb(0, 0, 0) ? 1 : 0;
    EXPECT_GT(inside, 14 * 14 / 5);   // about one pixel in four
    EXPECT_LT(inside, 14 * 14 / 3);
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));   // nothing outside

    t.m_nStyle = CRectTrackerEx::HatchedBorder;
    img.fill(Qt::white);
    {
        QPainter p(&img);
        t.Draw(p);
    }
    int band = 0, centre = 0;
    for (int y = 6; y < 30; ++y)
        for (int x = 6; x < 30; ++x) {
            const bool dark = img.pixel(x, y) == qRgb(0, 0, 0);
            const bool inRect = x >= 10 && x < 26 && y >= 10 && y < 26;
            (inRect ? centre : band) += dark ? 1 : 0;
        }
    EXPECT_GT(band, 0);
    EXPECT_EQ(centre, 0);
}
