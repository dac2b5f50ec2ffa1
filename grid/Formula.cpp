#include "grid/Formula.h"

#include "grid/NumberText.h"

#include <algorithm>
#include <queue>
#include <unordered_map>

namespace grid {

CellFormula* FormulaList::AddFormula(std::unique_ptr<CellFormula> record)
{
    CellFormula* f = record.get();
    for (auto& g : items_) {
        if (f->root->RefersTo(g->row, g->column))
            g->dependents.push_back(f);
        if (g->root->RefersTo(f->row, f->column))
            f->dependents.push_back(g.get());
    }
    items_.push_back(std::move(record));
    if (!OrderFormulas()) {
        RemoveFormula(f);
        return nullptr;
    }
    return f;
}

int FormulaList::RemoveFormula(CellFormula* record)
{
    auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& p) { return p.get() == record; });
    if (it == items_.end())
        return 0;
    for (auto& g : items_) {
        auto& d = g->dependents;
        d.erase(std::remove(d.begin(), d.end(), record), d.end());
    }
    items_.erase(it);
    OrderFormulas();
    return 1;
}

bool FormulaList::OrderFormulas()
{
    // Stable topological sort: always the first formula, in the current
    // order, that waits for nobody.
    std::unordered_map<CellFormula*, std::size_t> position;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        items_[i]->pending = 0;
        position[items_[i].get()] = i;
    }
    for (auto& f : items_)
        for (CellFormula* d : f->dependents)
            ++d->pending;
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->pending == 0)
            ready.push(i);
    std::vector<std::size_t> order;
    std::vector<bool> taken(items_.size(), false);
    while (!ready.empty()) {
        std::size_t i = ready.top();
        ready.pop();
        order.push_back(i);
        taken[i] = true;
        for (CellFormula* d : items_[i]->dependents)
            if (--d->pending == 0)
                ready.push(position[d]);
    }
    const bool complete = order.size() == items_.size();
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!taken[i])
            order.push_back(i);
    std::vector<std::unique_ptr<CellFormula>> sorted;
    sorted.reserve(items_.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(items_[i]));
    items_.swap(sorted);
    return complete;
}

void FormulaList::MarkDependentsDirty(int column, int row)
{
    std::vector<CellFormula*> stack;
    for (auto& f : items_) {
        if (f->dirty || !f->root->RefersTo(row, column))
            continue;
        f->dirty = 1;
        stack.assign(f->dependents.begin(), f->dependents.end());
        while (!stack.empty()) {
            CellFormula* d = stack.back();
            stack.pop_back();
            if (d->dirty)
                continue;
            d->dirty = 1;
            stack.insert(stack.end(), d->dependents.begin(), d->dependents.end());
        }
    }
}

std::vector<CellFormula*> FormulaList::Snapshot() const
{
    std::vector<CellFormula*> v;
    for (auto& f : items_)
        v.push_back(f.get());
    return v;
}

std::u16string EvaluateFormula(CellFormula& record, const CellTextSource& cells)
{
    double v = 0;
    bool ok = record.root->Evaluate(v, cells);
    record.dirty = 0;
    return ok ? FormatNumber16(v, 12) : std::u16string(u"#NUM!");
}

}   // namespace grid
