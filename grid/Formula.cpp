#include "grid/Formula.h"

#include "grid/NumberText.h"

#include <algorithm>
#include <queue>

namespace grid {

namespace {

std::uint64_t Key(int row, int column)
{
    return (std::uint64_t(std::uint32_t(row)) << 32) | std::uint32_t(column);
}

// Ranges up to this many cells are indexed cell by cell; larger ones are
// kept in a short list and tested one by one.
constexpr long long kSmallRange = 64;

class RefCollector : public Visitor {
public:
    RefCollector() : Visitor(0, 0) {}
    void VisitCell(CellExp& c) override { cells.push_back(Key(c.row, c.column)); }
    void VisitRange(RangeExp& r) override { ranges.push_back(&r); }
    std::vector<std::uint64_t> cells;
    std::vector<const RangeExp*> ranges;
};

void Erase(std::vector<CellFormula*>& v, const CellFormula* f)
{
    v.erase(std::remove(v.begin(), v.end(), f), v.end());
}

}   // namespace

std::uint32_t FormulaList::NextGeneration()
{
    if (++generation_ == 0) {   // wrapped: old marks could match again
        for (auto& f : items_)
            if (f)
                f->visit_ = f->target_ = 0;
        generation_ = 1;
    }
    return generation_;
}

void FormulaList::Index(CellFormula* f, Refs& refs)
{
    std::sort(refs.cells.begin(), refs.cells.end());
    refs.cells.erase(std::unique(refs.cells.begin(), refs.cells.end()), refs.cells.end());
    f->refKeys_ = refs.cells;
    for (std::uint64_t k : f->refKeys_)
        readers_[k].push_back(f);
    wide_.insert(wide_.end(), refs.wide.begin(), refs.wide.end());
    f->cellKey_ = Key(f->row, f->column);
    byCell_[f->cellKey_] = f;
}

void FormulaList::Unindex(CellFormula* f)
{
    for (std::uint64_t k : f->refKeys_) {
        auto it = readers_.find(k);
        if (it == readers_.end())
            continue;
        Erase(it->second, f);
        if (it->second.empty())
            readers_.erase(it);
    }
    f->refKeys_.clear();
    wide_.erase(std::remove_if(wide_.begin(), wide_.end(), [&](const WideRange& w) { return w.formula == f; }),
                wide_.end());
    if (auto it = byCell_.find(f->cellKey_); it != byCell_.end() && it->second == f)
        byCell_.erase(it);
}

namespace {

void CollectRefs(CellFormula* f, std::vector<std::uint64_t>& cells, std::vector<const RangeExp*>& ranges)
{
    RefCollector rc;
    f->root->Accept(rc);
    cells = std::move(rc.cells);
    ranges = std::move(rc.ranges);
}

}   // namespace

std::vector<CellFormula*> FormulaList::ReadsOf(CellFormula* f, const Refs& refs)
{
    const std::uint32_t gen = NextGeneration();
    std::vector<CellFormula*> reads;
    auto take = [&](CellFormula* g) {
        if (g != f && g->visit_ != gen) {
            g->visit_ = gen;
            reads.push_back(g);
        }
    };
    for (std::uint64_t k : refs.cells)
        if (auto it = byCell_.find(k); it != byCell_.end())
            take(it->second);
    for (const WideRange& w : refs.wide) {
        const long long area = ((long long)w.row2 - w.row1 + 1) * ((long long)w.col2 - w.col1 + 1);
        if (area <= (long long)byCell_.size()) {
            for (int r = w.row1; r <= w.row2; ++r)
                for (int c = w.col1; c <= w.col2; ++c)
                    if (auto it = byCell_.find(Key(r, c)); it != byCell_.end())
                        take(it->second);
        } else {
            for (auto& [k, g] : byCell_)
                if (g->row >= w.row1 && g->row <= w.row2 && g->column >= w.col1 && g->column <= w.col2)
                    take(g);
        }
    }
    return reads;
}

std::vector<CellFormula*> FormulaList::ReadersOf(int row, int column, const CellFormula* except)
{
    const std::uint32_t gen = NextGeneration();
    std::vector<CellFormula*> readers;
    auto take = [&](CellFormula* g) {
        if (g != except && g->visit_ != gen) {
            g->visit_ = gen;
            readers.push_back(g);
        }
    };
    if (auto it = readers_.find(Key(row, column)); it != readers_.end())
        for (CellFormula* g : it->second)
            take(g);
    for (const WideRange& w : wide_)
        if (row >= w.row1 && row <= w.row2 && column >= w.col1 && column <= w.col2)
            take(w.formula);
    return readers;
}

bool FormulaList::ClosesCycle(const std::vector<CellFormula*>& reads, const std::vector<CellFormula*>& readers)
{
    if (reads.empty() || readers.empty())
        return false;
    const std::uint32_t target = NextGeneration();
    for (CellFormula* g : reads)
        g->target_ = target;
    const std::uint32_t seen = NextGeneration();
    std::vector<CellFormula*> stack(readers.begin(), readers.end());
    while (!stack.empty()) {
        CellFormula* g = stack.back();
        stack.pop_back();
        if (g->target_ == target)
            return true;
        if (g->visit_ == seen)
            continue;
        g->visit_ = seen;
        stack.insert(stack.end(), g->dependents.begin(), g->dependents.end());
    }
    return false;
}

CellFormula* FormulaList::AddFormula(std::unique_ptr<CellFormula> record)
{
    CellFormula* f = record.get();
    if (!f || !f->root || byCell_.count(Key(f->row, f->column)))
        return nullptr;
    Refs refs;
    std::vector<const RangeExp*> ranges;
    CollectRefs(f, refs.cells, ranges);
    for (const RangeExp* r : ranges) {
        const long long area = ((long long)r->row2 - r->row1 + 1) * ((long long)r->col2 - r->col1 + 1);
        if (area <= 0)
            continue;
        if (area <= kSmallRange) {
            for (int rr = r->row1; rr <= r->row2; ++rr)
                for (int cc = r->col1; cc <= r->col2; ++cc)
                    refs.cells.push_back(Key(rr, cc));
        } else {
            refs.wide.push_back({f, r->row1, r->col1, r->row2, r->col2});
        }
    }
    std::vector<CellFormula*> reads = ReadsOf(f, refs);
    std::vector<CellFormula*> readers = ReadersOf(f->row, f->column, f);
    if (ClosesCycle(reads, readers))
        return nullptr;

    for (CellFormula* g : reads)
        g->dependents.push_back(f);
    for (CellFormula* h : readers)
        h->reads_.push_back(f);
    f->reads_ = std::move(reads);
    f->dependents = std::move(readers);
    Index(f, refs);
    // Appending keeps the order when nothing reads the new formula yet, which
    // is the common case of typing or loading from top to bottom.
    if (!f->dependents.empty())
        ordered_ = false;
    f->slot_ = items_.size();
    items_.push_back(std::move(record));
    if (f->dirty)
        dirty_.insert(f);
    return f;
}

int FormulaList::RemoveFormula(CellFormula* record)
{
    if (!record || record->slot_ >= items_.size() || items_[record->slot_].get() != record)
        return 0;
    for (CellFormula* g : record->reads_)
        Erase(g->dependents, record);
    for (CellFormula* h : record->dependents)
        Erase(h->reads_, record);
    Unindex(record);
    dirty_.erase(record);
    items_[record->slot_].reset();
    ++holes_;
    return 1;
}

void FormulaList::Order() const
{
    if (holes_) {
        items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
        holes_ = 0;
        for (std::size_t i = 0; i < items_.size(); ++i)
            items_[i]->slot_ = i;
    }
    if (ordered_)
        return;
    // Stable topological sort: always the first formula, in the current
    // order, that waits for nobody.
    for (auto& f : items_)
        f->pending = 0;
    for (auto& f : items_)
        for (CellFormula* d : f->dependents)
            ++d->pending;
    std::priority_queue<std::size_t, std::vector<std::size_t>, std::greater<>> ready;
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->pending == 0)
            ready.push(i);
    std::vector<std::size_t> order;
    order.reserve(items_.size());
    std::vector<bool> taken(items_.size(), false);
    while (!ready.empty()) {
        std::size_t i = ready.top();
        ready.pop();
        order.push_back(i);
        taken[i] = true;
        for (CellFormula* d : items_[i]->dependents)
            if (--d->pending == 0)
                ready.push(d->slot_);
    }
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (!taken[i])
            order.push_back(i);
    std::vector<std::unique_ptr<CellFormula>> sorted;
    sorted.reserve(items_.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(items_[i]));
    items_.swap(sorted);
    for (std::size_t i = 0; i < items_.size(); ++i)
        items_[i]->slot_ = i;
    ordered_ = true;
}

const CellFormula* FormulaList::At(std::size_t i) const
{
    Order();
    return items_.at(i).get();
}

std::vector<CellFormula*> FormulaList::Snapshot()
{
    Order();
    std::vector<CellFormula*> v;
    v.reserve(items_.size());
    for (auto& f : items_)
        v.push_back(f.get());
    return v;
}

void FormulaList::MarkWithDependents(CellFormula& formula)
{
    std::vector<CellFormula*> stack{&formula};
    while (!stack.empty()) {
        CellFormula* d = stack.back();
        stack.pop_back();
        if (d->dirty && d != &formula)
            continue;
        d->dirty = 1;
        dirty_.insert(d);
        stack.insert(stack.end(), d->dependents.begin(), d->dependents.end());
    }
}

void FormulaList::MarkDependentsDirty(int column, int row)
{
    for (CellFormula* f : ReadersOf(row, column, nullptr)) {
        if (f->dirty)
            continue;
        MarkWithDependents(*f);
    }
}

std::vector<CellFormula*> FormulaList::TakeDirty()
{
    Order();
    std::vector<CellFormula*> v;
    v.reserve(dirty_.size());
    for (CellFormula* f : dirty_)
        if (f->dirty)
            v.push_back(f);
    dirty_.clear();
    std::sort(v.begin(), v.end(), [](const CellFormula* a, const CellFormula* b) { return a->slot_ < b->slot_; });
    return v;
}

void FormulaList::Rebuild()
{
    Order();
    readers_.clear();
    byCell_.clear();
    wide_.clear();
    for (auto& f : items_) {
        f->reads_.clear();
        f->dependents.clear();
    }
    std::vector<Refs> all(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CellFormula* f = items_[i].get();
        std::vector<const RangeExp*> ranges;
        CollectRefs(f, all[i].cells, ranges);
        for (const RangeExp* r : ranges) {
            const long long area = ((long long)r->row2 - r->row1 + 1) * ((long long)r->col2 - r->col1 + 1);
            if (area <= 0)
                continue;
            if (area <= kSmallRange) {
                for (int rr = r->row1; rr <= r->row2; ++rr)
                    for (int cc = r->col1; cc <= r->col2; ++cc)
                        all[i].cells.push_back(Key(rr, cc));
            } else {
                all[i].wide.push_back({f, r->row1, r->col1, r->row2, r->col2});
            }
        }
        Index(f, all[i]);
    }
    for (std::size_t i = 0; i < items_.size(); ++i) {
        CellFormula* f = items_[i].get();
        f->reads_ = ReadsOf(f, all[i]);
        for (CellFormula* g : f->reads_)
            g->dependents.push_back(f);
    }
    ordered_ = false;
}

void FormulaList::Clear()
{
    items_.clear();
    holes_ = 0;
    ordered_ = true;
    readers_.clear();
    byCell_.clear();
    wide_.clear();
    dirty_.clear();
}

void FormulaList::Swap(FormulaList& o)
{
    items_.swap(o.items_);
    std::swap(holes_, o.holes_);
    std::swap(ordered_, o.ordered_);
    readers_.swap(o.readers_);
    byCell_.swap(o.byCell_);
    wide_.swap(o.wide_);
    dirty_.swap(o.dirty_);
    std::swap(generation_, o.generation_);
}

std::u16string EvaluateFormula(CellFormula& record, const CellTextSource& cells)
{
    double v = 0;
    bool ok = record.root->Evaluate(v, cells);
    record.dirty = 0;
    return ok ? FormatResult(v) : std::u16string(u"#NUM!");
}

}   // namespace grid
