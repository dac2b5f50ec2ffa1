// The context-menu commands of the grid: what the menu offers and what each does.
#include "grid/RealGrid.h"

#include <algorithm>

namespace grid {

CRealGrid::MenuState CRealGrid::ContextMenuState(int col, int row) const
{
    MenuState m;
    const bool selected = selection_.IsSet();
    m.cutCopyEnabled = selected;
    if (!IsValidCell(col, row))
        return m;
    m.rowItems = row >= fixedRows_ && col < fixedCols_;
    m.columnItems = row < fixedRows_ && col >= fixedCols_;
    if (!m.rowItems && !m.columnItems)
        return m;
    m.insertEnabled = selected;
    m.deleteEnabled = CanDeleteSelected(m.rowItems);
    return m;
}

// The last data row or column can never be deleted.
bool CRealGrid::CanDeleteSelected(bool rows) const
{
    if (!selection_.IsSet())
        return false;
    const int first = rows ? fixedRows_ : fixedCols_;
    const int start = rows ? selection_.top : selection_.left;
    const int end = rows ? selection_.bottom : selection_.right;
    const int all = (rows ? RowCount() : ColumnCount()) - first;
    const int chosen = std::max(end, first) - std::max(start, first) + 1;
    return chosen < all;
}

bool CRealGrid::RunCommand(GridCommand command, GridClipboard* clipboard)
{
    const GridSelection s = selection_;
    switch (command) {
    case GridCommand::Copy:
    case GridCommand::Cut:
        if (!s.IsSet() || !clipboard)
            return false;
        CopyRangeAsText(s.left, s.top, s.right + 1, s.bottom + 1, *clipboard);
        if (command == GridCommand::Cut)
            ClearRange(s.left, s.top, s.right + 1, s.bottom + 1);
        return true;
    case GridCommand::Paste:
        if (currentRow_ < 0 || currentCol_ < 0 || !clipboard)
            return false;
        PasteText(currentCol_, currentRow_, *clipboard);
        return true;
    case GridCommand::Clear:
        if (!s.IsSet())
            return false;
        ClearRange(s.left, s.top, s.right + 1, s.bottom + 1);
        return true;
    case GridCommand::InsertRows:
    case GridCommand::InsertColumns: {
        if (!s.IsSet())
            return false;
        const bool rows = command == GridCommand::InsertRows;
        const int at = rows ? s.top : s.left;
        const int count = rows ? s.bottom - s.top + 1 : s.right - s.left + 1;
        if (rows)
            InsertRows(at, count);
        else
            InsertColumns(at, count);
        // New rows and columns get the yellow borders of a new table.
        BorderSpec pattern;
        InitBorderSpec(pattern);
        if (rows)
            SetRangeBorders(fixedCols_, at, ColumnCount() - 1, at + count - 1, pattern, false);
        else
            SetRangeBorders(at, fixedRows_, at + count - 1, RowCount() - 1, pattern, false);
        Notify(GridMessage::DimChanged);
        return true;
    }
    case GridCommand::DeleteRows:
    case GridCommand::DeleteColumns: {
        const bool rows = command == GridCommand::DeleteRows;
        if (!CanDeleteSelected(rows))
            return false;
        if (rows)
            DeleteRows(s.top, s.bottom - s.top + 1, true);
        else
            DeleteColumns(s.left, s.right - s.left + 1, true);
        return true;
    }
    }
    return false;
}

}   // namespace grid
