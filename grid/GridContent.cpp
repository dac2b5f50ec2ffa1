// Grid files, clipboard text and bulk content changes.
#include "grid/Archive.h"
#include "grid/RealGrid.h"
#include "platform/CodePage.h"

namespace grid {

void CRealGrid::SaveTo(std::vector<std::uint8_t>& file)
{
    storeTypeNames = storeEditors = storeValidation = true;
    ArchiveWriter ar;
    Serialize(ar);
    // The file holds exactly the new stream: no tail of an older one stays.
    file = std::move(ar.Data());
}

GridLoadResult CRealGrid::LoadFrom(std::span<const std::uint8_t> file)
{
    if (file.size() > 4) {
        ArchiveReader ar(file);
        GridLoadResult r = Serialize(ar);
        if (!r)
            return r;
    } else {
        ApplyDefaultBorders();
    }
    Notify(GridMessage::DimChanged);
    Notify(GridMessage::SelChanged);
    return {};
}

bool CRealGrid::CanTake(const Cell& cell) const
{
    return !cell.formula && cell.attr.type == EditType();
}

std::u16string CRealGrid::RangeAsText(int firstCol, int firstRow, int endCol, int endRow) const
{
    std::u16string out;
    if (firstRow > endRow || firstCol > endCol || firstRow < 0 || firstCol < 0 || endRow > RowCount()
        || endCol > ColumnCount())
        return out;
    for (int r = firstRow; r < endRow; ++r) {
        std::u16string line;
        for (int c = firstCol; c < endCol; ++c) {
            const Cell& cell = CellAt(c, r);
            if (!cell.IsCovered(c, r))
                line += CellTextAt(c, r);
            line += u'\t';
        }
        while (!line.empty() && line.back() == u'\t')
            line.pop_back();
        out += line;
        out += u"\r\n";
    }
    return out;
}

void CRealGrid::CopyRangeAsText(int firstCol, int firstRow, int endCol, int endRow, GridClipboard& clipboard) const
{
    if (firstRow > endRow || firstCol > endCol || firstRow < 0 || firstCol < 0 || endRow > RowCount()
        || endCol > ColumnCount())
        return;
    std::u16string text = RangeAsText(firstCol, firstRow, endCol, endRow);
    if (!clipboard.Open())
        return;
    clipboard.SetText(text);
    clipboard.Close();
}

void CRealGrid::PasteText(int col, int row, GridClipboard& clipboard)
{
    if (!IsValidCell(col, row))
        return;
    if (currentRow_ >= 0 && currentCol_ >= 0)
        EndEdit(currentCol_, currentRow_);
    if (!clipboard.HasUnicodeText() && !clipboard.HasAnsiText())
        return;
    if (!clipboard.Open())
        return;
    std::u16string text = clipboard.HasUnicodeText() ? clipboard.UnicodeText()
                                                      : platform::decodeBytes(clipboard.AnsiText(), platform::ansiCodePage());
    clipboard.Close();
    PasteFromText(col, row, text);
}

void CRealGrid::PasteFromText(int col, int row, std::u16string_view text)
{
    if (!IsValidCell(col, row))
        return;
    int r = row, c = col;
    std::size_t pos = 0;
    while (pos < text.size() && r < RowCount()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != u'\t' && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        if (c < ColumnCount()) {
            const Cell& cell = CellAt(c, r);
            if (!cell.IsCovered(c, r) && CanTake(cell)) {
                // Plain text, never a formula; the cell's validator judges it.
                SetCellText(c, r, std::u16string(text.substr(pos, end - pos)), false);
                MarkDependentsDirty(c, r);
            }
        }
        if (end >= text.size())
            break;
        if (text[end] == u'\t') {
            ++c;
            pos = end + 1;
        } else {
            // A line ends with CR LF, a lone CR or a lone LF.
            pos = end + 1;
            if (text[end] == u'\r' && pos < text.size() && text[pos] == u'\n')
                ++pos;
            ++r;
            c = col;
        }
    }
    Recalculate();
    Notify(GridMessage::CellChanged);
}

void CRealGrid::ClearRange(int firstCol, int firstRow, int endCol, int endRow)
{
    if (firstRow > endRow || firstCol > endCol || firstRow < 0 || firstCol < 0 || endRow > RowCount()
        || endCol > ColumnCount())
        return;
    for (int r = firstRow; r < endRow; ++r)
        for (int c = firstCol; c < endCol; ++c) {
            const Cell& cell = CellAt(c, r);
            if (!cell.IsCovered(c, r) && CanTake(cell)) {
                SetCellText(c, r, std::u16string(), false);
                MarkDependentsDirty(c, r);
            }
        }
    Recalculate();
    Notify(GridMessage::CellChanged);
}

}   // namespace grid
