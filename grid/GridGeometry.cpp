#include "grid/GridGeometry.h"

#include <algorithm>
#include <cstdint>

namespace grid {

namespace {

// Widths and heights come from stored streams unchecked; their sums stop at
// a size no screen reaches, so a position derived from them stays an int.
constexpr std::int64_t kMaxExtent = 0x1FFFFFFF;

template <class Size>
int SumSizes(int from, int to, Size size)
{
    std::int64_t sum = 0;
    for (int k = from; k < to && sum < kMaxExtent; ++k)
        sum += size(k);
    return static_cast<int>(std::min(sum, kMaxExtent));
}

}   // namespace

int GridGeometry::FixedRows() const { return std::min(g_.FixedRows(), g_.RowCount()); }
int GridGeometry::FixedCols() const { return std::min(g_.FixedCols(), g_.ColumnCount()); }

int GridGeometry::HeaderHeight() const
{
    return SumSizes(0, FixedRows(), [&](int r) { return g_.RowHeight(r); });
}

int GridGeometry::HeaderWidth() const
{
    return SumSizes(0, FixedCols(), [&](int c) { return g_.ColumnWidth(c); });
}

int GridGeometry::AllColumnsWidth() const
{
    return SumSizes(0, g_.ColumnCount(), [&](int c) { return g_.ColumnWidth(c); });
}

int GridGeometry::AllRowsHeight() const
{
    return SumSizes(0, g_.RowCount(), [&](int r) { return g_.RowHeight(r); });
}

void GridGeometry::HitTest(int x, int y, int& col, int& row) const
{
    auto walk = [](int pos, int fixed, int first, int count, auto size) {
        int edge = 0;
        for (int i = 0; i < fixed; ++i) {
            edge += size(i);
            if (edge > pos)
                return i;
        }
        for (int i = std::max(first, fixed); i < count; ++i) {
            edge += size(i);
            if (edge > pos)
                return i;
        }
        return count;
    };
    col = walk(x, FixedCols(), g_.LeftCol(), g_.ColumnCount(), [&](int c) { return g_.ColumnWidth(c); });
    row = walk(y, FixedRows(), g_.TopRow(), g_.RowCount(), [&](int r) { return g_.RowHeight(r); });
}

bool GridGeometry::HitTestCell(int x, int y, int& col, int& row) const
{
    HitTest(x, y, col, row);
    if (col >= g_.ColumnCount() || row >= g_.RowCount())
        return false;
    g_.AnchorOf(col, row, col, row);
    return true;
}

GridRegion GridGeometry::Region(int col, int row) const
{
    const bool headerRow = row < g_.FixedRows();
    const bool headerCol = col < g_.FixedCols();
    if (headerRow && headerCol)
        return RegionCorner;
    if (headerRow)
        return RegionColumnHeader;
    if (headerCol)
        return RegionRowHeader;
    return RegionBody;
}

PixelRect GridGeometry::CalcCellRect(int col, int row, int x, int y, bool merged) const
{
    int w = 0, h = 0;
    if (!merged) {
        w = g_.ColumnWidth(col);
        h = g_.RowHeight(row);
    } else {
        const Cell& c = g_.GetCell(col, row);
        for (int i = col; i < std::min(int(c.mergeCol), g_.ColumnCount()); ++i)
            w += g_.ColumnWidth(i);
        for (int i = row; i < std::min(int(c.mergeRow), g_.RowCount()); ++i)
            h += g_.RowHeight(i);
    }
    return {x, y, x + w, y + h};
}

PixelRect GridGeometry::CellRect(int col, int row, bool merged) const
{
    auto edge = [](int index, int fixed, int first, int header, auto size) {
        int e = 0;
        if (index < fixed) {
            for (int i = 0; i < index; ++i)
                e += size(i);
            return e;
        }
        e = header;
        if (index >= first) {
            for (int i = first; i < index; ++i)
                e += size(i);
        } else {
            for (int i = index; i < first; ++i)
                e -= size(i);
        }
        return e;
    };
    const int x = edge(col, FixedCols(), g_.LeftCol(), HeaderWidth(), [&](int c) { return g_.ColumnWidth(c); });
    const int y = edge(row, FixedRows(), g_.TopRow(), HeaderHeight(), [&](int r) { return g_.RowHeight(r); });
    return CalcCellRect(col, row, x, y, merged);
}

int GridGeometry::PenWidth(std::uint32_t id) const
{
    const PenRecord* p = g_.FindPen(id);
    if (!p)
        return 1;
    if (p->style == PS_NULL)
        return 0;
    return std::max<int>(int(std::min<std::uint32_t>(p->width, 0x7FFF)), 1);
}

PixelRect GridGeometry::CellInnerRect(int col, int row) const
{
    PixelRect r = CellRect(col, row, true);
    const Cell& c = g_.GetCell(col, row);
    r.right -= PenWidth(c.pens[PenRight]);
    r.bottom -= PenWidth(c.pens[PenBottom]);
    if (!c.sharedEdges) {
        r.left += PenWidth(c.pens[PenLeft]);
        r.top += PenWidth(c.pens[PenTop]);
    }
    if (r.right < r.left)
        r.left = r.right = (r.left + r.right) / 2;
    if (r.bottom < r.top)
        r.top = r.bottom = (r.top + r.bottom) / 2;
    return r;
}

PaneRanges GridGeometry::SplitRangeByPanes(const PixelRect& rect) const
{
    int c0, r0, c1, r1;
    HitTest(rect.left, rect.top, c0, r0);
    HitTest(rect.right, rect.bottom, c1, r1);
    const int cols = g_.ColumnCount(), rows = g_.RowCount();
    const int fc = FixedCols(), fr = FixedRows();
    const int cEnd = c1 >= cols ? cols : c1 + 1;
    const int rEnd = r1 >= rows ? rows : r1 + 1;
    // Header part and data part of each axis, as [begin, end).
    const int hcBegin = c0, hcEnd = std::min(cEnd, fc);
    const int dcBegin = std::max(c0, g_.LeftCol() < fc ? fc : g_.LeftCol()), dcEnd = cEnd;
    const int hrBegin = r0, hrEnd = std::min(rEnd, fr);
    const int drBegin = std::max(r0, g_.TopRow() < fr ? fr : g_.TopRow()), drEnd = rEnd;
    auto range = [](int l, int r, int t, int b) {
        if (l >= r || t >= b)
            return GridRange{};
        return GridRange{l, t, r, b};
    };
    PaneRanges p;
    p.corner = range(hcBegin, hcEnd, hrBegin, hrEnd);
    p.columnHeader = range(dcBegin, dcEnd, hrBegin, hrEnd);
    p.rowHeader = range(hcBegin, hcEnd, drBegin, drEnd);
    p.body = range(dcBegin, dcEnd, drBegin, drEnd);
    return p;
}

int GridGeometry::LastVisibleRow(int clientHeight) const
{
    int edge = HeaderHeight();
    if (edge >= clientHeight)
        return g_.TopRow();
    for (int r = g_.TopRow(); r < g_.RowCount(); ++r) {
        edge += g_.RowHeight(r);
        if (edge >= clientHeight)
            return r;
    }
    return g_.RowCount() - 1;
}

int GridGeometry::LastVisibleColumn(int clientWidth) const
{
    int edge = HeaderWidth();
    if (edge >= clientWidth)
        return g_.LeftCol();
    for (int c = g_.LeftCol(); c < g_.ColumnCount(); ++c) {
        edge += g_.ColumnWidth(c);
        if (edge >= clientWidth)
            return c;
    }
    return g_.ColumnCount() - 1;
}

int GridGeometry::ColumnScrollMax(int totalWidth, int available) const
{
    const int fc = FixedCols();
    int hidden = 0;
    for (int i = fc + 1; i <= g_.ColumnCount(); ++i) {
        hidden += g_.ColumnWidth(i - 1);
        if (totalWidth - hidden <= available)
            return i;
    }
    return fc;
}

int GridGeometry::RowScrollMax(int totalHeight, int available) const
{
    const int fr = FixedRows();
    int hidden = 0;
    for (int i = fr + 1; i <= g_.RowCount(); ++i) {
        hidden += g_.RowHeight(i - 1);
        if (totalHeight - hidden <= available)
            return i;
    }
    return fr;
}

ScrollLayout GridGeometry::Scrolling(int width, int height, int vBarWidth, int hBarHeight) const
{
    ScrollLayout s;
    const int totalW = AllColumnsWidth(), totalH = AllRowsHeight();
    const int fr = g_.FixedRows(), fc = g_.FixedCols();
    if (width < totalW) {
        s.horizontal = true;
        int available = width;
        if (height - hBarHeight < totalH) {
            s.vertical = true;
            s.vMin = fr;
            s.vMax = RowScrollMax(totalH, height - hBarHeight);
            available -= vBarWidth;
        } else {
            s.resetTop = true;
        }
        s.hMin = fc;
        s.hMax = ColumnScrollMax(totalW, available);
    } else if (height < totalH) {
        s.vertical = true;
        s.vMin = fr;
        s.vMax = RowScrollMax(totalH, height);
        if (width - vBarWidth < totalW) {
            s.horizontal = true;
            s.hMin = fc;
            s.hMax = ColumnScrollMax(totalW, width - vBarWidth);
        } else {
            s.resetLeft = true;
        }
    } else {
        s.resetTop = s.resetLeft = true;
    }
    return s;
}

PixelRect GridGeometry::DataExtent() const
{
    const int w = HeaderWidth(), h = HeaderHeight();
    const int dw = SumSizes(FixedCols(), g_.ColumnCount(), [&](int c) { return g_.ColumnWidth(c); });
    const int dh = SumSizes(FixedRows(), g_.RowCount(), [&](int r) { return g_.RowHeight(r); });
    return {w, h, w + dw, h + dh};
}

}   // namespace grid
