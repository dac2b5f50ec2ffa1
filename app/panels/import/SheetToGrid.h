#pragma once
// Applies an imported sheet to a table's grid in one pass: the grid takes
// the sheet's size, row heights, column widths, merges, texts, fonts,
// alignment and borders, and its headers are relabelled. The caller saves
// the grid and repaints once afterwards.
#include "app/panels/import/SheetData.h"

#include <cstdint>
#include <span>
#include <vector>

namespace grid {
class CRealGrid;
}

namespace panels {

// False, with the grid untouched, for a sheet whose parts do not agree in
// size (a source other than the reader may hand one in).
bool applySheetToGrid(const SheetData& sheet, grid::CRealGrid& grid);

// The same on a grid stream (a table record's memory file): the stream is
// loaded, the sheet applied and the result written. Empty when the stream
// cannot be loaded or the sheet is malformed (the caller keeps its table).
std::vector<std::uint8_t> applySheetToStream(const SheetData& sheet, std::span<const std::uint8_t> stream);

} // namespace panels
