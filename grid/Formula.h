// Formula records of a grid and their list in dependency order.
#pragma once

#include "grid/Expression.h"

#include <memory>
#include <string>
#include <vector>

namespace grid {

struct CellFormula {
    CellFormula(int column, int row, NodePtr root) : column(column), row(row), root(std::move(root)) {}

    std::int32_t pending = 0;
    std::int32_t column;
    std::int32_t row;
    NodePtr root;
    std::vector<CellFormula*> dependents;   // formulas that read this formula's cell
    std::int32_t dirty = 1;
};

// Owns its records; each formula stands before all formulas that read it.
class FormulaList {
public:
    // Links and orders a new record. On a cycle the record is destroyed and
    // null returned; the list is as it was.
    CellFormula* AddFormula(std::unique_ptr<CellFormula> record);
    // Unlinks and destroys a record of this list; 0 (and nothing destroyed) for
    // a record the list does not own.
    int RemoveFormula(CellFormula* record);
    bool OrderFormulas();
    void MarkDependentsDirty(int column, int row);

    std::size_t Size() const { return items_.size(); }
    CellFormula* At(std::size_t i) const { return items_[i].get(); }
    std::vector<CellFormula*> Snapshot() const;
    void Clear() { items_.clear(); }
    void Swap(FormulaList& other) { items_.swap(other.items_); }

private:
    std::vector<std::unique_ptr<CellFormula>> items_;
};

// Evaluates a record and clears its dirty flag: "%.12g" of the value, or "#NUM!".
std::u16string EvaluateFormula(CellFormula& record, const CellTextSource& cells);

}   // namespace grid
