#pragma once
// What a spreadsheet import takes from each cell of a sheet's used range:
// value, merge, font, horizontal alignment and borders, with the range's row
// heights and column widths. Plain data, filled by a reader and applied to a
// grid by applySheetToGrid.
#include <QDate>
#include <QString>

#include <vector>

namespace panels {

enum class SheetValueKind { Empty, Number, Date, Text, Other };
enum class SheetAlign { General, Left, Centre, Right };
enum class SheetLine { None, Continuous, Double, Other };

struct SheetFont {
    bool bold = false;
    bool italic = false;
    bool underline = false; // single underline; a double one does not count
    bool strikeOut = false;
    double size = 10;       // points
    QString face;
    bool operator==(const SheetFont&) const = default;
};

struct SheetCell {
    SheetValueKind kind = SheetValueKind::Empty;
    double number = 0;
    QDate date;
    QString text;
    SheetFont font;
    SheetAlign align = SheetAlign::General;
    SheetLine left = SheetLine::None;
    SheetLine top = SheetLine::None;
    SheetLine right = SheetLine::None;
    SheetLine bottom = SheetLine::None;
    // On the first cell of a merged area its size; 1 x 1 elsewhere.
    int rowSpan = 1;
    int colSpan = 1;
    bool covered = false; // inside a merged area, not its first cell
};

struct SheetData {
    int rows = 0;
    int columns = 0;
    // Where the used range starts in the sheet (0-based), for messages.
    int firstRow = 0;
    int firstColumn = 0;
    std::vector<double> rowHeights;   // points
    std::vector<double> columnWidths; // characters of the standard font
    std::vector<SheetCell> cells;     // row by row

    const SheetCell& at(int row, int col) const { return cells[std::size_t(row) * std::size_t(columns) + std::size_t(col)]; }
    SheetCell& at(int row, int col) { return cells[std::size_t(row) * std::size_t(columns) + std::size_t(col)]; }
};

// The cell's text as the import shows it: numbers rounded to whole numbers,
// dates as year-month-day, texts unchanged, anything else empty.
QString sheetCellText(const SheetCell& cell);

} // namespace panels
