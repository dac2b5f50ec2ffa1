// The grid model: rows, columns and cells, the shared font and pen records,
// merged blocks, formulas, selection state and the operations of the table
// editor. It has no window: a widget and a renderer sit on top of it and are
// told about changes through GridObserver.
#pragma once

#include "grid/Formula.h"
#include "grid/GridTypes.h"
#include "grid/Registry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace grid {

// Why a typed formula is kept as text: its cell's message says so (a cycle
// it would close, a reference to its own cell, a criterion inside a
// criterion, nesting deeper than the parser takes). The message is stored
// as its text; windows show it in their language by its kind.
enum class FormulaMessage { None, Cycle, SelfReference, CriterionInCriterion, TooDeep };
std::u16string FormulaMessageText(FormulaMessage m);
FormulaMessage FormulaMessageOf(std::u16string_view message);

class ArchiveReader;
class ArchiveWriter;

// Commands of the grid's context menu, with their command ids.
enum class GridCommand {
    Cut = 0xE123,
    Copy = 0xE122,
    Clear = 0xE120,
    Paste = 0xE125,
    InsertRows = 64033,
    InsertColumns = 64034,
    DeleteRows = 64035,
    DeleteColumns = 64036,
};

// The four notifications the grid gives its parent; they carry no data.
enum class GridMessage { SelChanged, CellChanged, DimChanged, ClientRectChanged };

class GridObserver {
public:
    virtual ~GridObserver() = default;
    // posted: deliver later (queued); otherwise at once.
    virtual void GridNotify(GridMessage message, bool posted) = 0;
};

struct EditorRequest {
    int row = 0;
    int column = 0;
    std::uint32_t style = 0;
    int controlId = 0;
    std::uint32_t fontId = 0;
    std::u16string text;
};

// Makes in-place editors; the widget layer supplies it.
class EditorFactory {
public:
    virtual ~EditorFactory() = default;
    virtual std::unique_ptr<CellEditor> CreateEditor(const EditorRequest& request) = 0;
};

// The system clipboard as the grid sees it.
class GridClipboard {
public:
    virtual ~GridClipboard() = default;
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool HasUnicodeText() const = 0;
    virtual std::u16string UnicodeText() const = 0;
    virtual bool HasAnsiText() const = 0;
    virtual std::string AnsiText() const = 0;   // bytes of the ANSI code page
    // Empties the clipboard and puts the text on it.
    virtual void SetText(const std::u16string& text) = 0;
};

enum class GridLoadError { None, NotAGridStream, BadTag, Truncated, Damaged, NameTooLong };

struct GridLoadResult {
    GridLoadError error = GridLoadError::None;
    std::string message;
    explicit operator bool() const { return error == GridLoadError::None; }
};

class CRealGrid : public CellTextSource {
public:
    CRealGrid();
    ~CRealGrid() override;
    CRealGrid(const CRealGrid&) = delete;
    CRealGrid& operator=(const CRealGrid&) = delete;

    void SetObserver(GridObserver* observer) { observer_ = observer; }
    void SetEditorFactory(EditorFactory* factory) { editorFactory_ = factory; }

    // --- table set-up
    void ClearAll();
    void AddDefaultFont();
    void AddDefaultPens();
    void ResetToDefault();
    void ApplyDefaultBorders();

    // --- dimensions
    int RowCount() const override { return int(rows_.size()); }
    int ColumnCount() const override { return int(columns_.size()); }
    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }
    int TopRow() const { return topRow_; }
    int LeftCol() const { return leftCol_; }
    void SetTopRow(int row) { topRow_ = row; }
    void SetLeftCol(int col) { leftCol_ = col; }
    int DefaultRowHeight() const { return defaultRowHeight_; }
    int DefaultColumnWidth() const { return defaultColumnWidth_; }
    // Sizes that rows and columns inserted from now on take.
    void SetDefaultSizes(int rowHeight, int columnWidth)
    {
        defaultRowHeight_ = rowHeight;
        defaultColumnWidth_ = columnWidth;
    }
    int RowHeight(int row) const;
    int ColumnWidth(int col) const;
    bool SetRowHeight(int row, int height);
    bool SetColumnWidth(int col, int width);
    const Column& GetColumn(int col) const;

    // --- cells. Indices out of range throw std::out_of_range. Cells are
    // handed out read-only: their font, pen and formula links are counted.
    const Cell& GetCell(int col, int row) const;
    bool IsValidCell(int col, int row) const;
    void InitCell(int col, int row);
    // Copies a cell's look, text and merge bounds (not its formula).
    void CopyCell(int targetCol, int targetRow, int sourceCol, int sourceRow);
    void SetCellAttributes(int col, int row, const CellAttributes& attr);
    void SetCellValidator(int col, int row, const Validator* validator);
    void SetCellSharedEdges(int col, int row, bool shared);
    bool IsCovered(int col, int row) const;
    bool IsMergeAnchor(int col, int row) const;
    // The top-left cell of the block holding (col, row).
    void AnchorOf(int col, int row, int& anchorCol, int& anchorRow) const;

    // --- fonts and pens
    std::uint32_t AddFont(const LOGFONT& font);
    std::uint32_t AddPen(std::uint32_t style, std::uint32_t width, std::uint32_t colour);
    void ReleaseFont(std::uint32_t id);
    void ReleasePen(std::uint32_t id);
    const FontRecord* FindFont(std::uint32_t id) const;
    const PenRecord* FindPen(std::uint32_t id) const;
    const std::map<std::uint32_t, FontRecord>& Fonts() const { return fonts_; }
    const std::map<std::uint32_t, PenRecord>& Pens() const { return pens_; }
    std::uint32_t NextFontId() const { return nextFontId_; }
    std::uint32_t NextPenId() const { return nextPenId_; }

    // --- content
    const std::u16string& CellTextAt(int col, int row) const override;
    std::u16string GetCellText(int col, int row) const;
    std::u16string GetDisplayText(int col, int row) const;
    std::u16string GetFormattedText(int col, int row) const;
    void SetCellText(int col, int row, const std::u16string& text, bool notify);
    int SetCellInput(int col, int row, const std::u16string& text);
    bool SetCellContent(int col, int row, const std::u16string& text);

    // --- formulas
    const FormulaList& Formulas() const { return formulas_; }
    void MarkDependentsDirty(int col, int row) { formulas_.MarkDependentsDirty(col, row); }
    void Recalculate();

    // --- in-place editors
    CellEditor* CreateCellEditor(int col, int row);
    void LoadEditorText(int col, int row);
    void CommitEditorText(int col, int row);
    void EndEdit(int col, int row);
    void SetCurrentCell(int col, int row) { currentRow_ = row; currentCol_ = col; }
    int CurrentRow() const { return currentRow_; }
    int CurrentCol() const { return currentCol_; }

    // --- merging (right and bottom exclusive)
    bool MergeRange(const GridRange& range);
    void SplitBlock(int left, int top, int right, int bottom);
    bool SplitRange(const GridRange& range);
    bool IsRangeUnmerged(const GridRange& range) const;
    bool ToggleMerge(const GridRange& range);

    // --- selection
    void SetSelection(int col1, int row1, int col2, int row2, bool extend);
    void ClearSelection() { selection_ = GridSelection{}; }
    const GridSelection& Selection() const { return selection_; }
    GridRange GetSelectionRect() const;
    void SetDownCell(int col, int row) { downRow_ = row; downCol_ = col; }
    int DownCol() const { return downCol_; }
    int DownRow() const { return downRow_; }
    bool GetFocusCell(int& col, int& row) const;
    std::uint32_t GetCurrentCellColor() const;
    bool GetCellFont(int col, int row, LOGFONT& font) const;
    LOGFONT GetCurrentCellFont() const;
    std::uint32_t GetCurrentCellAlignment() const;

    void SetSelectionFontName(std::u16string_view face);
    void SetSelectionFontHeight(std::int32_t height);
    void SetSelectionFontWeight(std::int32_t weight);
    void SetSelectionFontItalic(bool italic);
    void SetSelectionFontUnderline(bool underline);
    // The whole font at once (an imported cell brings every attribute).
    void SetSelectionFont(const LOGFONT& font);
    void SetSelectionColor(std::uint32_t colour);
    void SetSelectionAlignment(std::uint32_t alignment);

    // --- lines and borders (inclusive range)
    bool GridLinesShown() const;
    void ShowGridLines(bool show);
    void SetRangeBorders(int left, int top, int right, int bottom, const BorderSpec& spec, bool notify);

    // --- insertion and deletion
    void InsertRows(int start, int count);
    void InsertColumns(int start, int count);
    void DeleteRows(int start, int count, bool notify);
    void DeleteColumns(int start, int count, bool notify);

    // --- context-menu commands. Which block of the menu a cell offers and
    // which items are enabled is decided here, so the window only shows it.
    struct MenuState {
        bool rowItems = false;      // insert and delete rows (a row-header cell)
        bool columnItems = false;   // insert and delete columns (a column-header cell)
        bool insertEnabled = false;
        bool deleteEnabled = false;
        bool cutCopyEnabled = false;
    };
    MenuState ContextMenuState(int col, int row) const;
    // Runs a menu command on the selection; false when it did nothing.
    bool RunCommand(GridCommand command, GridClipboard* clipboard);

    // --- stream
    void Serialize(ArchiveWriter& ar) const;
    // Loads a whole stream or nothing: on any error the grid stays as it was.
    GridLoadResult Serialize(ArchiveReader& ar);
    bool storeTypeNames = false;
    bool storeEditors = false;
    bool storeValidation = false;

    // --- files, clipboard, bulk content
    void SaveTo(std::vector<std::uint8_t>& file);
    GridLoadResult LoadFrom(std::span<const std::uint8_t> file);
    std::u16string RangeAsText(int firstCol, int firstRow, int endCol, int endRow) const;
    void CopyRangeAsText(int firstCol, int firstRow, int endCol, int endRow, GridClipboard& clipboard) const;
    void PasteText(int col, int row, GridClipboard& clipboard);
    void PasteFromText(int col, int row, std::u16string_view text);
    void ClearRange(int firstCol, int firstRow, int endCol, int endRow);

private:
    friend class GridLoader;

    Cell& CellAt(int col, int row);
    const Cell& CellAt(int col, int row) const { return GetCell(col, row); }
    void CopyCell(Cell& target, Cell& source);
    bool CanDeleteSelected(bool rows) const;

    void Notify(GridMessage m, bool posted = true);
    void ReleaseCell(Cell& cell);
    void SetCellPen(Cell& cell, int side, std::uint32_t id);
    void SetCellFont(Cell& cell, std::uint32_t id);
    void RenumberEditors();
    void ClearSelectionAndEdit();
    bool SelectionEditable() const;
    template <typename F> void ForSelectedCells(F change);
    void ChangeSelectionFont(void (*edit)(LOGFONT&, const void*), const void* arg);
    bool ValidRange(const GridRange& r) const;
    void SwapModel(CRealGrid& other);
    bool CanTake(const Cell& cell) const;

    // One insertion or deletion along rows (cols false) or columns (cols true).
    void InsertAlong(bool cols, int start, int count);
    void DeleteAlong(bool cols, int start, int count, bool notify);

    std::map<std::uint32_t, FontRecord> fonts_;
    std::uint32_t nextFontId_ = 0;
    std::map<std::uint32_t, PenRecord> pens_;
    std::uint32_t nextPenId_ = 0;
    std::vector<std::unique_ptr<Row>> rows_;
    std::vector<Column> columns_;
    int fixedRows_ = 0;
    int fixedCols_ = 0;
    int topRow_ = 0;
    int leftCol_ = 0;
    int currentRow_ = -1;
    int currentCol_ = -1;
    int defaultColumnWidth_ = 60;
    int defaultRowHeight_ = 24;
    FormulaList formulas_;
    GridSelection selection_;
    int downRow_ = -1;
    int downCol_ = -1;

    GridObserver* observer_ = nullptr;
    EditorFactory* editorFactory_ = nullptr;
};

}   // namespace grid
