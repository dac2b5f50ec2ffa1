// Painting tables: the window's client area and a whole table item.
#include "grid/GridPainter.h"

#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace grid;

namespace {

void Fill(CRealGrid& g, int rows, int cols)
{
    g.ApplyDefaultBorders();
    g.InsertRows(g.RowCount(), rows + 1 - g.RowCount());
    g.InsertColumns(g.ColumnCount(), cols + 1 - g.ColumnCount());
    for (int r = 1; r <= rows; ++r)
        for (int c = 1; c <= cols; ++c)
            g.SetCellText(c, r, std::u16string(u"v") + char16_t(u'0' + (r + c) % 10), false);
    for (int r = 1; r + 1 <= rows; r += 7)
        g.MergeRange({1, r, 3, r + 2});
}

void BM_RenderTableItem(benchmark::State& state)
{
    const int rows = int(state.range(0));
    CRealGrid g;
    Fill(g, rows, 20);
    const PixelRect extent = GridGeometry(g).DataExtent();
    QImage img(extent.Width(), extent.Height(), QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::black);
        QPainter p(&img);
        RenderData(g, p);
    }
    state.SetItemsProcessed(state.iterations() * rows * 20);
}
BENCHMARK(BM_RenderTableItem)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_PaintWindowScrolledFar(benchmark::State& state)
{
    const int rows = int(state.range(0));
    CRealGrid g;
    Fill(g, rows, 50);
    g.SetTopRow(rows - 10);
    g.SetLeftCol(40);
    QImage img(800, 400, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        GridPainter(g, p).PaintWindow({0, 0, 800, 400}, 800, 400);
    }
}
BENCHMARK(BM_PaintWindowScrolledFar)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

}   // namespace
