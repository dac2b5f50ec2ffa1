// The flat-spreadsheet reader of the table import: any bytes are read or
// refused without a crash, and a sheet that is read is well formed.
#include "app/panels/import/FlatSheetReader.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QString error;
    const auto sheet = panels::readFlatSpreadsheet(bytes, &error);
    if (!sheet) {
        FUZZ_CHECK(!error.isEmpty(), "a refusal says why");
        return 0;
    }
    FUZZ_CHECK(sheet->rows >= 1 && sheet->columns >= 1, "a sheet has a cell");
    FUZZ_CHECK(sheet->cells.size() == std::size_t(sheet->rows) * std::size_t(sheet->columns), "every cell is there");
    FUZZ_CHECK(sheet->rowHeights.size() == std::size_t(sheet->rows), "a height per row");
    FUZZ_CHECK(sheet->columnWidths.size() == std::size_t(sheet->columns), "a width per column");
    for (int r = 0; r < sheet->rows; ++r)
        for (int c = 0; c < sheet->columns; ++c) {
            const panels::SheetCell& cell = sheet->at(r, c);
            FUZZ_CHECK(cell.rowSpan >= 1 && r + cell.rowSpan <= sheet->rows, "merges stay in the sheet");
            FUZZ_CHECK(cell.colSpan >= 1 && c + cell.colSpan <= sheet->columns, "merges stay in the sheet");
        }
    return 0;
}
