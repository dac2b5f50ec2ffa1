#pragma once
// The geometry of the screen canvases, apart from any widget: where a mouse
// press lands on a section window, how a move or an edge drag snaps to whole
// dots and even LED sizes, the page walk of a wide item, and moving a section
// to its nearest obstacle.
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace editor {

// Hit codes of a section window (the system's numbering).
enum HitCode {
    HitNone = 0,
    HitClient = 1,
    HitCaption = 2,
    HitLeft = 10,
    HitRight = 11,
    HitTop = 12,
    HitTopLeft = 13,
    HitTopRight = 14,
    HitBottom = 15,
    HitBottomLeft = 16,
    HitBottomRight = 17,
};

inline constexpr int kHitMargin = 6;
// The smallest width and height of a section in LEDs; below it a window
// could not be seen or taken hold of.
inline constexpr int kMinSectionLeds = 2;

// Where `p` (window coordinates) lies on a window of `size`.
HitCode sectionHitTest(QPoint p, QSize size);
bool hitMovesLeft(HitCode h);
bool hitMovesTop(HitCode h);
bool hitMovesRight(HitCode h);
bool hitMovesBottom(HitCode h);

// Snaps a proposed window rectangle (display pixels, scroll origin already
// added) for the operation `hit` (HitCaption: a move) inside the scene's
// client area `s`. Moves keep the size and land on whole dots; an edge keeps
// the opposite edge and leaves an even LED size of at least 2 LEDs.
QRect snapSectionRect(HitCode hit, const QRect& proposed, const QRect& s, int dotW, int dotH);

// A rectangle in display pixels back to LEDs.
QRect displayToLeds(const QRect& r, int dotW, int dotH);

// Pages of an item larger than its section: column and row shown, counts.
struct PageState {
    int column = 0;
    int row = 0;
    int columns = 1;
    int rows = 1;
    int index() const { return column + columns * row; }
};
PageState pageCounts(QSize section, QSize content, bool itemVisible);
// The page steps; they return what the canvas returns (-1 is decided by the caller).
int nextPage(PageState& s, bool& changed);
int prevPage(PageState& s, bool& changed);

// Moving a section to its nearest obstacle (rectangles in LEDs, right and
// bottom exclusive). The offset to move by; (0, 0) when it stays.
enum class Direction { Up, Down, Left, Right };
QPoint obstacleMove(const QRect& section, const QRect& client, const std::vector<QRect>& obstacles, Direction d);

} // namespace editor
