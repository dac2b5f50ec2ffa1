#include "app/gridwin/GridInteraction.h"

#include <algorithm>
#include <cstdlib>

namespace gridwin {

namespace {

constexpr int kGrab = 6;

// Right (bottom) edges of the header columns (rows), then of the data ones
// from the first shown; the nearest within kGrab wins, the first on ties.
int NearestEdge(int pos, int fixed, int first, int count, auto size, int& edgePos)
{
    int best = -1, bestDist = kGrab + 1, edge = 0;
    auto visit = [&](int i) {
        edge += size(i);
        if (edge > pos + kGrab)
            return false;
        const int d = std::abs(edge - pos);
        if (d < bestDist) {
            bestDist = d;
            best = i;
            edgePos = edge;
        }
        return true;
    };
    for (int i = 0; i < fixed; ++i)
        if (!visit(i))
            return best;
    for (int i = std::max(first, fixed); i < count; ++i)
        if (!visit(i))
            return best;
    return best;
}

} // namespace

ResizeTracker ResizeHitTest(const grid::CRealGrid& g, int x, int y)
{
    ResizeTracker t;
    if (g.RowCount() == 0 || g.ColumnCount() == 0)
        return t;
    const grid::GridGeometry geo(g);
    auto width = [&](int c) { return g.ColumnWidth(c); };
    auto height = [&](int r) { return g.RowHeight(r); };
    const int firstRow = g.FixedRows() > 0 ? 0 : std::min(g.TopRow(), g.RowCount() - 1);
    const int firstCol = g.FixedCols() > 0 ? 0 : std::min(g.LeftCol(), g.ColumnCount() - 1);
    int edge = 0;
    if (y < g.RowHeight(firstRow) + kGrab) {
        const int i = NearestEdge(x, g.FixedCols(), g.LeftCol(), g.ColumnCount(), width, edge);
        if (i >= 0) {
            t.column = true;
            t.index = i;
        }
    }
    if (t.index < 0 && x < g.ColumnWidth(firstCol) + kGrab) {
        const int i = NearestEdge(y, g.FixedRows(), g.TopRow(), g.RowCount(), height, edge);
        if (i >= 0) {
            t.column = false;
            t.index = i;
        }
    }
    if (t.index < 0)
        return t;
    t.active = true;
    t.start = edge;
    const int count = t.column ? g.ColumnCount() : g.RowCount();
    auto size = [&](int i) { return t.column ? g.ColumnWidth(i) : g.RowHeight(i); };
    t.target = t.index;
    while (t.target + 1 < count && size(t.target + 1) == 0)
        ++t.target;
    const bool data = t.index >= (t.column ? g.FixedCols() : g.FixedRows());
    t.minimum = data ? (t.column ? geo.HeaderWidth() : geo.HeaderHeight()) : 0;
    t.stop = data ? (t.column ? g.LeftCol() : g.TopRow()) - 1 : -1;
    return t;
}

int ClampResizeLine(const ResizeTracker& t, int position, int clientSize)
{
    return std::clamp(position, t.minimum, std::max(t.minimum, clientSize));
}

bool EndResize(grid::CRealGrid& g, const ResizeTracker& t, int b)
{
    if (!t.active || b == t.start)
        return false;
    auto size = [&](int i) { return t.column ? g.ColumnWidth(i) : g.RowHeight(i); };
    auto set = [&](int i, int v) { return t.column ? g.SetColumnWidth(i, v) : g.SetRowHeight(i, v); };
    if (b > t.start)
        return set(t.target, size(t.target) + (b - t.start));
    bool changed = false;
    int edge = t.start;
    for (int i = t.index; i > t.stop; --i) {
        const int left = edge - size(i);
        if (b >= left || i == t.stop + 1) {
            changed |= set(i, std::max(b - left, 0));
            for (int k = i + 1; k <= t.index; ++k)
                changed |= set(k, 0);
            break;
        }
        edge = left;
    }
    return changed;
}

bool MoveTarget(const grid::CRealGrid& g, Move move, int& col, int& row)
{
    const int cc = g.CurrentCol(), cr = g.CurrentRow();
    if (!g.IsValidCell(cc, cr))
        return false;
    int ac, ar;
    g.AnchorOf(cc, cr, ac, ar);
    const grid::Cell& anchor = g.GetCell(ac, ar);
    switch (move) {
    case Move::Left: col = ac - 1; row = ar; break;
    case Move::Up: col = ac; row = ar - 1; break;
    case Move::Right: col = anchor.mergeCol; row = ar; break;   // the first column past the block
    case Move::Down: col = ac; row = anchor.mergeRow; break;
    }
    return col >= g.FixedCols() && row >= g.FixedRows() && col < g.ColumnCount() && row < g.RowCount();
}

} // namespace gridwin
