// Pixel geometry of a grid: header sizes, hit tests, cell rectangles, pane
// ranges and scroll ranges. Pure arithmetic over the model, shared by the
// window and by the painter of table items.
#pragma once

#include "grid/RealGrid.h"

#include <array>

namespace grid {

// A rectangle with exclusive right and bottom edges, in grid client pixels.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    PixelRect Moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const PixelRect&) const = default;
};

enum GridRegion { RegionCorner = 0, RegionColumnHeader = 1, RegionRowHeader = 2, RegionBody = 3 };

// What the scroll bars show for a client size (ranges are topRow / leftCol values).
struct ScrollLayout {
    bool horizontal = false;
    bool vertical = false;
    int hMin = 0, hMax = 0;
    int vMin = 0, vMax = 0;
    bool resetLeft = false;   // leftCol goes back to the header count
    bool resetTop = false;
    bool operator==(const ScrollLayout&) const = default;
};

// A pane's cell range, right and bottom exclusive.
struct PaneRanges {
    GridRange corner, columnHeader, rowHeader, body;
};

class GridGeometry {
public:
    explicit GridGeometry(const CRealGrid& grid) : g_(grid) {}

    int HeaderHeight() const;
    int HeaderWidth() const;
    int AllColumnsWidth() const;
    int AllRowsHeight() const;

    // The column and row under a point, ignoring merges; the counts when past the end.
    void HitTest(int x, int y, int& col, int& row) const;
    // The cell under a point, or the anchor of its block; false past the end.
    bool HitTestCell(int x, int y, int& col, int& row) const;
    GridRegion Region(int col, int row) const;

    PixelRect CalcCellRect(int col, int row, int x, int y, bool merged) const;
    // In client pixels; scrolled-off cells get negative coordinates.
    PixelRect CellRect(int col, int row, bool merged) const;
    // The merged rectangle inside the cell's borders: where its editor sits.
    PixelRect CellInnerRect(int col, int row) const;
    // The effective width of a pen: 0 for no line, at least 1 otherwise; an
    // id without record reads as a solid pen of width 1.
    int PenWidth(std::uint32_t id) const;

    PaneRanges SplitRangeByPanes(const PixelRect& rect) const;
    int LastVisibleRow(int clientHeight) const;
    int LastVisibleColumn(int clientWidth) const;
    int ColumnScrollMax(int totalWidth, int available) const;
    int RowScrollMax(int totalHeight, int available) const;
    // Which bars a full client size (without bars) needs and their ranges.
    ScrollLayout Scrolling(int fullWidth, int fullHeight, int vBarWidth, int hBarHeight) const;
    // The data part without scrolling: header size to header size plus all data.
    PixelRect DataExtent() const;

private:
    int FixedRows() const;
    int FixedCols() const;
    const CRealGrid& g_;
};

}   // namespace grid
