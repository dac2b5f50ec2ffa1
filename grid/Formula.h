// Formula records of a grid and their list in dependency order.
#pragma once

#include "grid/Expression.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace grid {

class FormulaList;

struct CellFormula {
    CellFormula(int column, int row, NodePtr root) : column(column), row(row), root(std::move(root)) {}
    CellFormula(const CellFormula&) = delete;
    CellFormula& operator=(const CellFormula&) = delete;

    std::int32_t pending = 0;
    std::int32_t column;
    std::int32_t row;
    NodePtr root;
    std::vector<CellFormula*> dependents;   // formulas that read this formula's cell
    std::int32_t dirty = 1;

private:
    friend class FormulaList;
    std::vector<CellFormula*> reads_;       // formulas whose cells this one reads
    std::vector<std::uint64_t> refKeys_;    // cells this one is indexed as reading
    std::uint64_t cellKey_ = 0;             // the cell it is indexed under
    std::size_t slot_ = 0;                  // position in the list
    std::uint32_t visit_ = 0;
    std::uint32_t target_ = 0;
};

// Owns its records; each formula stands before all formulas that read it.
// Readers of a cell are found through an index, so adding, removing and
// marking cost about the size of the neighbourhood, not of the whole list.
class FormulaList {
public:
    FormulaList() = default;
    FormulaList(const FormulaList&) = delete;
    FormulaList& operator=(const FormulaList&) = delete;

    // Links and orders a new record. On a cycle the record is destroyed and
    // null returned; the list is as it was.
    CellFormula* AddFormula(std::unique_ptr<CellFormula> record);
    // Unlinks and destroys a record of this list; 0 (and nothing destroyed) for
    // a record the list does not own.
    int RemoveFormula(CellFormula* record);
    // Marks the formulas reading the cell, and everything downstream, dirty.
    void MarkDependentsDirty(int column, int row);
    // Marks the formula and everything downstream dirty.
    void MarkWithDependents(CellFormula& formula);
    // The dirty formulas in list order; the list forgets them as candidates.
    std::vector<CellFormula*> TakeDirty();
    // Positions or references changed wholesale (rows or columns inserted or
    // deleted): rebuilds the index and the links.
    void Rebuild();

    std::size_t Size() const { return items_.size() - holes_; }
    const CellFormula* At(std::size_t i) const;
    std::vector<CellFormula*> Snapshot();
    void Clear();
    void Swap(FormulaList& other);

private:
    struct WideRange {
        CellFormula* formula;
        int row1, col1, row2, col2;
    };
    struct Refs {
        std::vector<std::uint64_t> cells;
        std::vector<WideRange> wide;
    };

    void Index(CellFormula* f, Refs& refs);
    void Unindex(CellFormula* f);
    std::vector<CellFormula*> ReadsOf(CellFormula* f, const Refs& refs);
    std::vector<CellFormula*> ReadersOf(int row, int column, const CellFormula* except);
    bool ClosesCycle(const std::vector<CellFormula*>& reads, const std::vector<CellFormula*>& readers);
    void Order() const;
    std::uint32_t NextGeneration();

    mutable std::vector<std::unique_ptr<CellFormula>> items_;
    mutable std::size_t holes_ = 0;
    mutable bool ordered_ = true;
    std::unordered_map<std::uint64_t, std::vector<CellFormula*>> readers_;
    std::unordered_map<std::uint64_t, CellFormula*> byCell_;
    std::vector<WideRange> wide_;
    std::unordered_set<CellFormula*> dirty_;
    std::uint32_t generation_ = 0;
};

// Evaluates a record and clears its dirty flag: "%.12g" of the value, or "#NUM!".
std::u16string EvaluateFormula(CellFormula& record, const CellTextSource& cells);

}   // namespace grid
