// Tables full of formulas: loading, typing in and deleting rows.
#include "grid/Expression.h"
#include "grid/RealGrid.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace grid;

namespace {

constexpr int kColumns = 50;

std::u16string U(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string Letters(int col)
{
    const std::u16string l = ColumnLetters(col);
    return std::string(l.begin(), l.end());
}

// A data cell's input: column A holds numbers, every other cell adds its left
// neighbour and the cell above, so each formula reads two others.
std::u16string Input(int row, int col)
{
    if (col == 1)
        return U(std::to_string(row));
    const std::string left = "=" + Letters(col - 1);
    const std::string above = Letters(col);
    if (row == 1)
        return U(left + "1*2");
    return U(left + std::to_string(row) + "+" + above + std::to_string(row - 1));
}

void Shape(CRealGrid& g, int rows)
{
    g.ApplyDefaultBorders();
    g.InsertRows(g.RowCount(), rows + 1 - g.RowCount());
    g.InsertColumns(g.ColumnCount(), kColumns + 1 - g.ColumnCount());
}

void TypeAll(CRealGrid& g, int rows)
{
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= kColumns; ++c)
            g.SetCellContent(c, r, Input(r, c));
}

std::vector<std::uint8_t> TableStream(int rows)
{
    CRealGrid g;
    Shape(g, rows);
    TypeAll(g, rows);
    std::vector<std::uint8_t> file;
    g.SaveTo(file);
    return file;
}

void BM_LoadFormulaTable(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const std::vector<std::uint8_t> file = TableStream(rows);
    for (auto _ : state) {
        CRealGrid g;
        if (!g.LoadFrom(file))
            state.SkipWithError("the table did not load");
        benchmark::DoNotOptimize(g.Formulas().Size());
    }
    state.SetItemsProcessed(state.iterations() * rows * (kColumns - 1));
}
BENCHMARK(BM_LoadFormulaTable)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_TypeFormulaTable(benchmark::State& state)
{
    const int rows = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        CRealGrid g;
        Shape(g, rows);
        state.ResumeTiming();
        TypeAll(g, rows);
        benchmark::DoNotOptimize(g.GetCellText(kColumns, rows));
    }
    state.SetItemsProcessed(state.iterations() * rows * kColumns);
}
BENCHMARK(BM_TypeFormulaTable)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_DeleteRowsOfFormulaTable(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const std::vector<std::uint8_t> file = TableStream(rows);
    for (auto _ : state) {
        state.PauseTiming();
        CRealGrid g;
        g.LoadFrom(file);
        state.ResumeTiming();
        // Ten single-row deletions from the middle, as a user would make them.
        for (int k = 0; k < 10; ++k)
            g.DeleteRows(rows / 2, 1, false);
        benchmark::DoNotOptimize(g.Formulas().Size());
    }
}
BENCHMARK(BM_DeleteRowsOfFormulaTable)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

}   // namespace
