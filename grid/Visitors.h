// Reference rewriting for row and column insertion and deletion.
#pragma once

#include "grid/Expression.h"
#include "grid/Formula.h"

namespace grid {

class InsertVisitor : public Visitor {
public:
    InsertVisitor(bool columns, int first, int count) : Visitor(first, count), columns_(columns) {}
    void VisitCell(CellExp& cell) override;
    void VisitRange(RangeExp& range) override;

private:
    bool columns_;
};

class DeleteVisitor : public Visitor {
public:
    DeleteVisitor(bool columns, int first, int count) : Visitor(first, count), columns_(columns) {}
    void VisitCell(CellExp& cell) override;
    void VisitRange(RangeExp& range) override;

private:
    bool columns_;
};

struct AddRowsVisitor : InsertVisitor { AddRowsVisitor(int first, int count) : InsertVisitor(false, first, count) {} };
struct AddColsVisitor : InsertVisitor { AddColsVisitor(int first, int count) : InsertVisitor(true, first, count) {} };
struct DeleteRowsVisitor : DeleteVisitor { DeleteRowsVisitor(int first, int count) : DeleteVisitor(false, first, count) {} };
struct DeleteColsVisitor : DeleteVisitor { DeleteColsVisitor(int first, int count) : DeleteVisitor(true, first, count) {} };

// Moves a formula's position and references; returns 1 when the formula lost
// a reference (or its own cell) and was removed from the list.
int ApplyVisitor(Visitor& visitor, CellFormula& formula, FormulaList& list);

}   // namespace grid
