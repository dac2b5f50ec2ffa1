// Row and column insertion and deletion.
#include "grid/RealGrid.h"
#include "grid/Expression.h"
#include "grid/Formula.h"

#include <algorithm>
#include <climits>
#include <set>

namespace grid {

namespace {

int Shifted(int index, long long by)
{
    return int(std::clamp<long long>(index + by, 0, INT_MAX));
}

// Reference rewriting for an insertion along rows (columns false) or columns.
class InsertVisitor : public Visitor {
public:
    InsertVisitor(bool columns, int first, int count) : Visitor(first, count), columns_(columns) {}
    void VisitCell(CellExp& cell) override;
    void VisitRange(RangeExp& range) override;

private:
    bool columns_;
};

// Reference rewriting for a deletion; flags references into the deleted band.
class DeleteVisitor : public Visitor {
public:
    DeleteVisitor(bool columns, int first, int count) : Visitor(first, count), columns_(columns) {}
    void VisitCell(CellExp& cell) override;
    void VisitRange(RangeExp& range) override;

private:
    bool columns_;
};

void InsertVisitor::VisitCell(CellExp& cell)
{
    std::int32_t& i = columns_ ? cell.column : cell.row;
    if (i >= first) {
        i = Shifted(i, count);
        changed = 1;
    }
}

void InsertVisitor::VisitRange(RangeExp& range)
{
    std::int32_t& a = columns_ ? range.col1 : range.row1;
    std::int32_t& b = columns_ ? range.col2 : range.row2;
    if (a < first) {
        if (b >= first) {
            b = Shifted(b, count);
            changed = 1;
        }
        return;
    }
    a = Shifted(a, count);
    b = Shifted(b, count);
    changed = 1;
}

void DeleteVisitor::VisitCell(CellExp& cell)
{
    std::int32_t& i = columns_ ? cell.column : cell.row;
    if (i >= first && i < first + count) {
        refDeleted = 1;
    } else if (i >= first + count) {
        i -= count;
        changed = 1;
        // Row and column 0 have no name in formula text ("A1" is row 1, column 1).
        if (i < 1)
            refDeleted = 1;
    }
}

void DeleteVisitor::VisitRange(RangeExp& range)
{
    std::int32_t& a = columns_ ? range.col1 : range.row1;
    std::int32_t& b = columns_ ? range.col2 : range.row2;
    const int end = first + count;
    if (b < first)
        return;
    if (a < first) {
        b = b < end ? first - 1 : b - count;
        changed = 1;
    } else if (a >= end) {
        a -= count;
        b -= count;
        changed = 1;
    } else if (b >= end) {
        a = first;
        b -= count;
        changed = 1;
    } else {
        refDeleted = 1;
        changed = 1;
    }
    // What moved onto row or column 0 can no longer be named; the rest stays.
    if (b < 1)
        refDeleted = 1;
    else if (a < 1)
        a = 1;
}

// Moves a formula's position and references; returns 1 when the formula lost
// a reference (or its own cell) and was removed from the list.
int ApplyVisitor(Visitor& visitor, CellFormula& formula, FormulaList& list)
{
    visitor.refDeleted = 0;
    CellExp position(formula.row, formula.column);
    position.Accept(visitor);
    formula.row = position.row;
    formula.column = position.column;
    visitor.changed = 0;   // moving the formula itself does not change its value
    visitor.refDeleted = 0;   // nor may its own cell's new place drop it
    formula.root->Accept(visitor);
    if (visitor.refDeleted) {
        list.RemoveFormula(&formula);
        return 1;
    }
    if (visitor.changed)
        list.MarkWithDependents(formula);
    return 0;
}

}   // namespace

// ---------------------------------------------------------------- grid side

void CRealGrid::InsertRows(int start, int count) { InsertAlong(false, start, count); }
void CRealGrid::InsertColumns(int start, int count) { InsertAlong(true, start, count); }
void CRealGrid::DeleteRows(int start, int count, bool notify) { DeleteAlong(false, start, count, notify); }
void CRealGrid::DeleteColumns(int start, int count, bool notify) { DeleteAlong(true, start, count, notify); }

// The code below works on an axis: i along it (rows, or columns when cols is
// set), j across it.
void CRealGrid::InsertAlong(bool cols, int start, int count)
{
    if (count <= 0 || start < 0)
        return;
    ClearSelectionAndEdit();
    for (CellFormula* f : formulas_.Snapshot()) {
        InsertVisitor v(cols, start, count);
        ApplyVisitor(v, *f, formulas_);
    }
    const int n = cols ? ColumnCount() : RowCount();
    const int m = cols ? RowCount() : ColumnCount();
    start = std::min(start, n);
    auto at = [&](int i, int j) -> Cell& { return cols ? CellAt(i, j) : CellAt(j, i); };
    auto axis = [&](Cell& c) -> std::int32_t& { return cols ? c.mergeCol : c.mergeRow; };
    auto across = [&](Cell& c) -> std::int32_t& { return cols ? c.mergeRow : c.mergeCol; };
    auto covered = [&](Cell& c, int i, int j) { return axis(c) <= i && across(c) <= j; };

    // Blocks that straddle the insertion point will also cover the new cells.
    std::vector<std::pair<int, int>> noted(std::size_t(m), {-1, -1});
    if (start < n)
        for (int j = 0; j < m; ++j) {
            Cell& c = at(start, j);
            if (covered(c, start, j) && axis(c) < start && axis(at(axis(c), across(c))) > start)
                noted[j] = {axis(c), across(c)};
        }
    std::set<std::pair<int, int>> extended;
    for (int i = start; i < n; ++i)
        for (int j = 0; j < m; ++j) {
            Cell& c = at(i, j);
            if (!covered(c, i, j) || axis(c) >= start) {
                axis(c) += count;
            } else if (extended.insert({axis(c), across(c)}).second) {
                axis(at(axis(c), across(c))) += count;
            }
        }
    int& fixed = cols ? fixedCols_ : fixedRows_;
    int& first = cols ? leftCol_ : topRow_;
    if (start < fixed) {
        fixed += count;
        first = std::max(first, fixed);
    }
    if (cols) {
        Column column;
        column.attr = CellAttributes{EditType(), kChildVisibleStyle, 0xFFFFFF, 0, DT_CENTER, 0, SameFormator()};
        column.width = defaultColumnWidth_;
        columns_.insert(columns_.begin() + start, std::size_t(count), column);
        for (auto& row : rows_)
        {
            std::vector<Cell> fresh(static_cast<std::size_t>(count));
            row->cells.insert(row->cells.begin() + start, std::make_move_iterator(fresh.begin()),
                              std::make_move_iterator(fresh.end()));
        }
        for (int r = 0; r < RowCount(); ++r)
            for (int c = start; c < start + count; ++c) {
                InitCell(c, r);
                if (r < fixedRows_) {
                    Cell& cell = CellAt(c, r);
                    cell.attr.type = ReadonlyType();
                    cell.attr.textColour = 0;
                    cell.attr.background = kButtonFaceColour;
                    cell.attr.alignment = DT_CENTER;
                    cell.attr.attributes = 0;
                    cell.attr.formatter = SameFormator();
                }
            }
    } else {
        for (int k = 0; k < count; ++k) {
            auto row = std::make_unique<Row>();
            row->height = defaultRowHeight_;
            row->cells.resize(columns_.size());
            rows_.insert(rows_.begin() + start + k, std::move(row));
        }
        for (int r = start; r < start + count; ++r)
            for (int c = 0; c < ColumnCount(); ++c)
                InitCell(c, r);
    }
    for (int j = 0; j < m; ++j) {
        if (noted[j].first < 0)
            continue;
        for (int i = start; i < start + count; ++i) {
            Cell& c = at(i, j);
            axis(c) = noted[j].first;
            across(c) = noted[j].second;
        }
    }
    formulas_.Rebuild();
    Recalculate();
    RenumberEditors();
}

void CRealGrid::DeleteAlong(bool cols, int start, int count, bool notify)
{
    const int n = cols ? ColumnCount() : RowCount();
    const int m = cols ? RowCount() : ColumnCount();
    if (start < 0 || start >= n)
        return;
    count = std::min(count, n - start);
    if (count <= 0)
        return;
    const int end = start + count;
    ClearSelectionAndEdit();
    auto at = [&](int i, int j) -> Cell& { return cols ? CellAt(i, j) : CellAt(j, i); };
    auto axis = [&](Cell& c) -> std::int32_t& { return cols ? c.mergeCol : c.mergeRow; };
    auto across = [&](Cell& c) -> std::int32_t& { return cols ? c.mergeRow : c.mergeCol; };
    auto covered = [&](Cell& c, int i, int j) { return axis(c) <= i && across(c) <= j; };
    auto inBand = [&](const CellFormula* f) {
        int i = cols ? f->column : f->row;
        return i >= start && i < end;
    };

    // Which formulas sit in the band is decided before any of them moves.
    std::vector<CellFormula*> doomed;
    for (CellFormula* f : formulas_.Snapshot()) {
        if (inBand(f)) {
            doomed.push_back(f);
            continue;
        }
        const int col = f->column, row = f->row;
        DeleteVisitor v(cols, start, count);
        if (ApplyVisitor(v, *f, formulas_) && IsValidCell(col, row))
            CellAt(col, row).formula = nullptr;   // the cell keeps its last result as text
    }
    for (CellFormula* f : doomed) {
        if (IsValidCell(f->column, f->row))
            CellAt(f->column, f->row).formula = nullptr;
        formulas_.RemoveFormula(f);
    }

    // Merged blocks, all indices written as they will be after the deletion.
    struct Block { int i, j, endA, endO; };
    std::vector<Block> blocks;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < m; ++j) {
            Cell& c = at(i, j);
            if (!covered(c, i, j))
                blocks.push_back({i, j, axis(c), across(c)});
        }
    auto pointsAt = [&](Cell& c, int ii, int jj, const Block& b) {
        return covered(c, ii, jj) && axis(c) == b.i && across(c) == b.j;
    };
    for (const Block& b : blocks) {
        const int endA = std::min(b.endA, n);
        const int endO = std::min(b.endO, m);
        if (b.i >= end) {
            for (int ii = b.i; ii < endA; ++ii)
                for (int jj = b.j; jj < endO; ++jj) {
                    Cell& c = at(ii, jj);
                    if ((ii != b.i || jj != b.j) && pointsAt(c, ii, jj, b))
                        axis(c) -= count;
                }
            axis(at(b.i, b.j)) -= count;
        } else if (b.i >= start) {
            if (b.endA > end) {
                for (int ii = end; ii < endA; ++ii)
                    for (int jj = b.j; jj < endO; ++jj) {
                        Cell& c = at(ii, jj);
                        if ((ii != end || jj != b.j) && pointsAt(c, ii, jj, b)) {
                            axis(c) = start;
                            across(c) = b.j;
                        }
                    }
                Cell& anchor = at(end, b.j);
                CopyCell(anchor, at(b.i, b.j));
                axis(anchor) = b.endA - count;
                across(anchor) = b.endO;
            }
        } else if (b.endA > start) {
            axis(at(b.i, b.j)) = b.endA <= end ? start : b.endA - count;
        }
    }

    if (cols) {
        for (auto& row : rows_) {
            for (int c = start; c < end; ++c)
                ReleaseCell(row->cells[c]);
            row->cells.erase(row->cells.begin() + start, row->cells.begin() + end);
        }
        columns_.erase(columns_.begin() + start, columns_.begin() + end);
    } else {
        for (int r = start; r < end; ++r)
            for (Cell& c : rows_[r]->cells)
                ReleaseCell(c);
        rows_.erase(rows_.begin() + start, rows_.begin() + end);
    }
    int& fixed = cols ? fixedCols_ : fixedRows_;
    if (start < fixed)
        fixed -= std::min(count, fixed - start);
    if (!IsValidCell(currentCol_, currentRow_))
        currentRow_ = currentCol_ = -1;
    formulas_.Rebuild();
    Recalculate();
    RenumberEditors();
    if (notify)
        Notify(GridMessage::DimChanged);
}

}   // namespace grid
