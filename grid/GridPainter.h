// Paints a grid, or part of it, with a QPainter onto any paint device: the
// window paints through it, and table items are rendered by it without any
// window. Needs QtGui only.
#pragma once

#include "grid/GridGeometry.h"

#include <QFont>
#include <QRgb>
#include <map>

class QPainter;

namespace grid {

struct PaintOptions {
    // false: the grid-line pen (id 0) draws nothing, as on the LED screen.
    bool screenPens = true;
    // Draw the table's top and left edges from the last header row's bottom
    // pens and the last header column's right pens (rendering items).
    bool headerEdges = false;
};

class GridPainter {
public:
    GridPainter(const CRealGrid& grid, QPainter& painter) : g_(grid), geo_(grid), p_(painter) {}

    // The whole client area within the clip rectangle: background, cells of
    // the four panes, then the selection. fullWidth/fullHeight: the client
    // area without scroll bars.
    void PaintWindow(const PixelRect& clip, int fullWidth, int fullHeight);
    void PaintRange(const GridRange& range, int dx, int dy, const PaintOptions& options);
    // The rectangle shrinks to the area inside the borders.
    void PaintCellFrame(PixelRect& rect, const Cell& cell, bool fill, bool screenPens);
    void PaintCell(PixelRect rect, int col, int row, bool screenPens);
    void PaintSelection(int fullWidth, int fullHeight);

private:
    struct Pen {
        bool none = true;
        std::uint32_t style = PS_SOLID;
        int width = 1;
        QRgb colour = 0;
    };
    // The pen of a record, or none for an id without one (the caller then
    // keeps the pen it had).
    bool LookUpPen(std::uint32_t id, bool screenPens, Pen& pen) const;
    void VerticalLine(const Pen& pen, int x, int y1, int y2);
    void HorizontalLine(const Pen& pen, int x1, int x2, int y);
    void PaintHeaderEdges(const GridRange& range, int dx, int dy);

    const QFont* FontFor(std::uint32_t id);

    const CRealGrid& g_;
    GridGeometry geo_;
    QPainter& p_;
    std::map<std::uint32_t, QFont> fonts_;   // made once per paint
};

// Renders every data cell of a grid at offset (1 - header width, 1 - header
// height), so that the first data cell lands at (1, 1) and row 0 and column 0
// take the table's top and left edges. Headers, background and selection are
// not drawn. The body starts at the header counts; the scroll position is
// back as it was afterwards.
void RenderData(CRealGrid& grid, QPainter& painter);

}   // namespace grid
