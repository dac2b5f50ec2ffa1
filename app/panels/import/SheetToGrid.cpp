#include "app/panels/import/SheetToGrid.h"

#include "app/editor/GridEditor.h"
#include "grid/RealGrid.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace panels {

namespace {

// Grid alignment codes: 0 left, 1 centre, 2 right.
std::uint32_t gridAlignment(SheetAlign a)
{
    switch (a) {
    case SheetAlign::Left: return 0;
    case SheetAlign::Right: return 2;
    default: return 1; // centred unless the sheet says otherwise
    }
}

// The border preset a cell takes from its marked sides.
int borderPresetFor(bool left, bool top, bool right, bool bottom)
{
    const int mask = (left ? 1 : 0) | (top ? 2 : 0) | (right ? 4 : 0) | (bottom ? 8 : 0);
    switch (mask) {
    case 0: return 0;
    case 8: return 1;
    case 1: return 2;
    case 2: return 3;
    case 4: return 4;
    case 2 | 8: return 6;
    case 1 | 4: return 7;
    case 15: return 10;
    default: return -1; // other combinations are built side by side
    }
}

void applyBorders(grid::CRealGrid& g, int col, int row, const SheetCell& cell, bool firstRow, bool firstColumn)
{
    // The top edge counts only in the first row and the left edge only in
    // the first column: elsewhere the neighbour's bottom or right draws it.
    const bool left = firstColumn && cell.left == SheetLine::Continuous;
    const bool top = firstRow && cell.top == SheetLine::Continuous;
    const bool right = cell.right == SheetLine::Continuous;
    const bool bottom = cell.bottom == SheetLine::Continuous;
    const bool doubleBottom = cell.bottom == SheetLine::Double;
    const int preset = borderPresetFor(left, top, right, bottom);
    if (preset >= 0) {
        g.SetRangeBorders(col, row, col, row, editor::gridBorderPreset(preset), false);
    } else {
        grid::BorderSpec spec = editor::gridBorderPreset(-1);
        const grid::BorderSpec solid = editor::gridBorderPreset(8);
        const bool sides[4] = {left, top, right, bottom};
        for (int i = 0; i < 4; ++i) {
            spec.items[i] = solid.items[i];
            spec.items[i].apply = 1;
            if (!sides[i]) {
                spec.items[i].style = 5;
                spec.items[i].apply = 0;
            }
        }
        g.SetRangeBorders(col, row, col, row, spec, false);
    }
    if (doubleBottom)
        g.SetRangeBorders(col, row, col, row, editor::gridBorderPreset(5), false);
}

LOGFONT cellFont(const LOGFONT& base, const SheetFont& f)
{
    LOGFONT font = base;
    font.lfWeight = f.bold ? 700 : 400;
    font.lfItalic = f.italic ? 1 : 0;
    font.lfUnderline = f.underline ? 1 : 0;
    font.lfStrikeOut = f.strikeOut ? 1 : 0;
    font.lfHeight = -static_cast<std::int32_t>(std::clamp(std::trunc(f.size), 0.0, 4096.0));
    if (!f.face.isEmpty())
        SetLogFontFaceName(font, f.face.toStdU16String());
    return font;
}

} // namespace

bool applySheetToGrid(const SheetData& sheet, grid::CRealGrid& g)
{
    const std::size_t rows = std::size_t(std::max(sheet.rows, 0)), cols = std::size_t(std::max(sheet.columns, 0));
    if (rows < 1 || cols < 1 || sheet.cells.size() != rows * cols || sheet.rowHeights.size() != rows
        || sheet.columnWidths.size() != cols)
        return false;
    for (int r = 0; r < sheet.rows; ++r)
        for (int c = 0; c < sheet.columns; ++c) {
            const SheetCell& cell = sheet.at(r, c);
            if (cell.rowSpan < 1 || cell.colSpan < 1 || r + cell.rowSpan > sheet.rows || c + cell.colSpan > sheet.columns)
                return false;
        }
    if (g.RowCount() < 1 || g.ColumnCount() < 1)
        g.ResetToDefault();
    g.SetDefaultSizes(g.RowHeight(0), g.ColumnWidth(0));
    LOGFONT base;
    if (g.RowCount() < 2 || g.ColumnCount() < 2 || !g.GetCellFont(1, 1, base))
        base = grid::DefaultLogFont();
    base.lfUnderline = 0;

    if (g.RowCount() > 1)
        g.DeleteRows(1, g.RowCount() - 1, false);
    if (g.ColumnCount() > 1)
        g.DeleteColumns(1, g.ColumnCount() - 1, false);
    g.InsertRows(1, sheet.rows);
    g.InsertColumns(1, sheet.columns);

    for (int r = 0; r < sheet.rows; ++r)
        // Heights come through the flat file in hundredths of a millimetre,
        // so 30 points may arrive as 29.99: a whole point within that stays whole.
        g.SetRowHeight(r + 1, int(std::clamp(std::trunc(sheet.rowHeights[std::size_t(r)] + 0.05), 0.0, 32767.0)));
    for (int c = 0; c < sheet.columns; ++c)
        g.SetColumnWidth(c + 1, int(std::clamp(std::trunc(sheet.columnWidths[std::size_t(c)]), 0.0, 3276.0)) * 10);

    for (int r = 0; r < sheet.rows; ++r)
        for (int c = 0; c < sheet.columns; ++c) {
            const SheetCell& cell = sheet.at(r, c);
            const int gr = r + 1, gc = c + 1;
            // Each merged area once, from its first cell.
            if (!cell.covered && (cell.rowSpan > 1 || cell.colSpan > 1))
                g.ToggleMerge(grid::GridRange{gc, gr, gc + cell.colSpan, gr + cell.rowSpan});
            g.SetSelection(gc, gr, gc, gr, false);
            g.SetSelectionFont(cellFont(base, cell.font));
            g.SetSelectionAlignment(gridAlignment(cell.align));
            g.SetCellText(gc, gr, sheetCellText(cell).toStdU16String(), false);
            applyBorders(g, gc, gr, cell, r == 0, c == 0);
        }
    g.ClearSelection();
    editor::writeHeaderLabels(g);
    return true;
}

std::vector<std::uint8_t> applySheetToStream(const SheetData& sheet, std::span<const std::uint8_t> stream)
{
    grid::CRealGrid g;
    if (stream.empty())
        g.ResetToDefault();
    else if (!g.LoadFrom(stream))
        return {};
    if (!applySheetToGrid(sheet, g))
        return {};
    std::vector<std::uint8_t> out;
    g.SaveTo(out);
    return out;
}

} // namespace panels
