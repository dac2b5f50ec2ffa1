#pragma once
// The window-independent part of mouse and keyboard handling of the grid
// window: boundary hit tests and resizing, and the cells the keys move to.
#include "grid/GridGeometry.h"

namespace gridwin {

// A column (or row) boundary under the pointer and the drag it starts.
struct ResizeTracker {
    bool active = false;
    bool column = false;    // true: a column's right edge; false: a row's bottom edge
    int index = -1;         // the column (row) whose edge was grabbed
    int target = -1;        // the one that grows when dragged outwards
    int start = 0;          // pixel position of the edge
    int minimum = 0;        // the line may not go left of (above) this
    int stop = -1;          // shrinking walks back to the column (row) after this one
};

// Grabs an edge within 6 pixels, only in the band of the first shown row
// (column edges) or the first shown column (row edges).
ResizeTracker ResizeHitTest(const grid::CRealGrid& grid, int x, int y);
// Where the drag line may be for a pointer position and client size.
int ClampResizeLine(const ResizeTracker& tracker, int position, int clientSize);
// Applies the drag ending at position: outwards the target grows; inwards the
// columns (rows) passed over get size 0 and the one reached is cut to fit.
// True when a size changed.
bool EndResize(grid::CRealGrid& grid, const ResizeTracker& tracker, int position);

// The cell a key moves the current cell to; false when there is none.
enum class Move { Left, Up, Right, Down };
bool MoveTarget(const grid::CRealGrid& grid, Move move, int& col, int& row);

} // namespace gridwin
