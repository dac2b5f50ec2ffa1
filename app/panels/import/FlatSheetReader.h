#pragma once
// Reads the active sheet of a flat OpenDocument spreadsheet (".fods", one XML
// file) into SheetData: its used range only, with what an import needs of
// each cell. A damaged or foreign file is refused with a reason.
#include "app/panels/import/SheetData.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace panels {

// Refuses used ranges larger than this many cells (a damaged file may repeat
// a styled row a million times).
inline constexpr long long kMaxSheetCells = 1'000'000;

std::optional<SheetData> readFlatSpreadsheet(const QByteArray& xml, QString* error = nullptr);

// Lengths as the format writes them ("2.258cm", "0.5in", "12pt", "4mm", "1pc")
// in points; -1 for anything else.
double lengthInPoints(QStringView text);
// Column width in characters of the standard font (7-pixel digits with a
// 5-pixel margin at 96 pixels per inch), as spreadsheets count it.
double pointsToCharacters(double points);

} // namespace panels
