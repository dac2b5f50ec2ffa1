#include "grid/RealGrid.h"

#include "grid/Parser.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace grid {

namespace {

// Why a typed formula stays text, as the cell's message stores it.
const std::pair<FormulaMessage, const char16_t*> kFormulaMessages[] = {
    {FormulaMessage::Cycle, u"单元格公式存在依赖环。"},
    {FormulaMessage::SelfReference, u"单元格公式引用了其所在的单元格。"},
    {FormulaMessage::CriterionInCriterion, u"条件中不能再含条件。"},
    {FormulaMessage::TooDeep, u"公式嵌套太深。"},
};

const std::u16string kEmpty;

std::uint32_t EditAlignBits(std::uint32_t alignment)
{
    if (alignment == DT_LEFT)
        return ES_LEFT;
    if (alignment == DT_RIGHT)
        return ES_RIGHT;
    return ES_CENTER;
}

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

std::u16string UpperAscii(std::u16string_view s)
{
    std::u16string u(s);
    for (auto& c : u)
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
    return u;
}

CellAttributes DataColumnAttributes()
{
    CellAttributes a;
    a.type = EditType();
    a.editStyle = kChildVisibleStyle;
    a.textColour = 0xFFFFFF;
    a.background = 0;
    a.alignment = DT_CENTER;
    a.attributes = 0;
    a.formatter = SameFormator();
    return a;
}

}   // namespace

std::u16string FormulaMessageText(FormulaMessage m)
{
    for (const auto& [kind, text] : kFormulaMessages)
        if (kind == m)
            return text;
    return {};
}

FormulaMessage FormulaMessageOf(std::u16string_view message)
{
    for (const auto& [kind, text] : kFormulaMessages)
        if (message == text)
            return kind;
    return FormulaMessage::None;
}

CRealGrid::CRealGrid() = default;

CRealGrid::~CRealGrid()
{
    ClearAll();
}

void CRealGrid::Notify(GridMessage m, bool posted)
{
    if (observer_)
        observer_->GridNotify(m, posted);
}

// ---------------------------------------------------------------- set-up

void CRealGrid::ClearAll()
{
    for (auto& row : rows_)
        for (auto& cell : row->cells) {
            cell.editor.reset();
            cell.formula = nullptr;
        }
    rows_.clear();
    columns_.clear();
    fonts_.clear();
    pens_.clear();
    nextFontId_ = 0;
    nextPenId_ = 0;
    formulas_.Clear();
    currentRow_ = currentCol_ = -1;
    selection_ = GridSelection{};
    downRow_ = downCol_ = -1;
}

void CRealGrid::AddDefaultFont()
{
    AddFont(DefaultLogFont());
}

void CRealGrid::AddDefaultPens()
{
    AddPen(PS_NULL, 0, 0);
    AddPen(PS_SOLID, 0, 0xC0C0C0);
    AddPen(PS_SOLID, 0, 0x00FFFF);
}

void CRealGrid::ResetToDefault()
{
    // The defaults must take ids 0 to 2, so whatever is still there goes first.
    if (!rows_.empty() || !columns_.empty() || !fonts_.empty() || !pens_.empty() || formulas_.Size())
        ClearAll();
    AddDefaultFont();
    AddDefaultPens();
    fixedRows_ = fixedCols_ = topRow_ = leftCol_ = 1;
    defaultRowHeight_ = 24;
    defaultColumnWidth_ = 60;
    columns_.resize(6);
    for (int c = 0; c < 6; ++c) {
        Column& col = columns_[c];
        col.attr = DataColumnAttributes();
        col.width = defaultColumnWidth_;
        if (c == 0) {
            col.attr.type = ReadonlyType();
            col.attr.textColour = 0;
            col.attr.background = kButtonFaceColour;
        }
    }
    for (int r = 0; r < 6; ++r) {
        auto row = std::make_unique<Row>();
        row->height = defaultRowHeight_;
        row->cells.resize(6);
        rows_.push_back(std::move(row));
        for (int c = 0; c < 6; ++c)
            InitCell(c, r);
    }
}

void CRealGrid::ApplyDefaultBorders()
{
    ClearAll();
    ResetToDefault();
    for (int r = fixedRows_; r < RowCount(); ++r)
        for (int c = fixedCols_; c < ColumnCount(); ++c) {
            Cell& cell = CellAt(c, r);
            for (int side = 0; side < 4; ++side) {
                ++pens_[2].refCount;
                SetCellPen(cell, side, 2);
            }
        }
}

// ---------------------------------------------------------------- dimensions

int CRealGrid::RowHeight(int row) const
{
    return rows_.at(std::size_t(row))->height;
}

int CRealGrid::ColumnWidth(int col) const
{
    return columns_.at(std::size_t(col)).width;
}

const Column& CRealGrid::GetColumn(int col) const
{
    return columns_.at(std::size_t(col));
}

bool CRealGrid::SetRowHeight(int row, int height)
{
    if (row < 0 || row >= RowCount())
        return false;
    if (row >= fixedRows_ && row < topRow_)
        return false;
    height = std::max(height, 0);
    if (rows_[row]->height == height)
        return false;
    rows_[row]->height = height;
    return true;
}

bool CRealGrid::SetColumnWidth(int col, int width)
{
    if (col < 0 || col >= ColumnCount())
        return false;
    if (col >= fixedCols_ && col < leftCol_)
        return false;
    width = std::max(width, 0);
    if (columns_[col].width == width)
        return false;
    columns_[col].width = width;
    return true;
}

// ---------------------------------------------------------------- cells

bool CRealGrid::IsValidCell(int col, int row) const
{
    return row >= 0 && row < RowCount() && col >= 0 && col < ColumnCount()
           && std::size_t(col) < rows_[row]->cells.size();
}

Cell& CRealGrid::CellAt(int col, int row)
{
    if (!IsValidCell(col, row))
        throw std::out_of_range("grid cell index out of range");
    return rows_[row]->cells[col];
}

const Cell& CRealGrid::GetCell(int col, int row) const
{
    if (!IsValidCell(col, row))
        throw std::out_of_range("grid cell index out of range");
    return rows_[row]->cells[col];
}

void CRealGrid::InitCell(int col, int row)
{
    Cell& c = CellAt(col, row);
    const Column& column = columns_[col];
    c.font = 0;
    if (auto it = fonts_.find(0); it != fonts_.end())
        ++it->second.refCount;
    c.mergeCol = col + 1;
    c.mergeRow = row + 1;
    c.attr.alignment = column.attr.alignment;
    c.attr.attributes = column.attr.attributes;
    c.attr.editStyle = column.attr.editStyle;
    c.editor.reset();
    c.validator = PassAlwaysValidator();
    c.formula = nullptr;
    c.sharedEdges = 1;
    c.pen5 = c.pen6 = 0;
    const bool header = col < fixedCols_ || row < fixedRows_;
    const std::uint32_t pen = header ? 1 : 0;
    c.pens.fill(pen);
    if (auto it = pens_.find(pen); it != pens_.end())
        it->second.refCount += 4;
    if (header) {
        c.attr.type = ReadonlyType();
        c.attr.textColour = 0;
        c.attr.background = kButtonFaceColour;
        c.attr.formatter = SameFormator();
    } else {
        c.attr.type = column.attr.type ? column.attr.type : EditType();
        c.attr.textColour = column.attr.textColour;
        c.attr.background = column.attr.background;
        c.attr.formatter = column.attr.formatter ? column.attr.formatter : SameFormator();
    }
}

void CRealGrid::CopyCell(Cell& target, Cell& source)
{
    if (&target == &source)
        return;
    target.attr = source.attr;
    target.text = source.text;
    if (auto it = fonts_.find(source.font); it != fonts_.end())
        ++it->second.refCount;
    ReleaseFont(target.font);
    target.font = source.font;
    for (int side = 0; side < 4; ++side) {
        if (auto it = pens_.find(source.pens[side]); it != pens_.end())
            ++it->second.refCount;
        ReleasePen(target.pens[side]);
        target.pens[side] = source.pens[side];
    }
    target.mergeCol = source.mergeCol;
    target.mergeRow = source.mergeRow;
    target.message = source.message;
    target.validator = source.validator;
    target.sharedEdges = source.sharedEdges;
    target.editor = std::move(source.editor);
}

void CRealGrid::CopyCell(int targetCol, int targetRow, int sourceCol, int sourceRow)
{
    CopyCell(CellAt(targetCol, targetRow), CellAt(sourceCol, sourceRow));
}

void CRealGrid::SetCellAttributes(int col, int row, const CellAttributes& attr)
{
    CellAt(col, row).attr = attr;
}

void CRealGrid::SetCellValidator(int col, int row, const Validator* validator)
{
    CellAt(col, row).validator = validator;
}

void CRealGrid::SetCellSharedEdges(int col, int row, bool shared)
{
    CellAt(col, row).sharedEdges = shared ? 1 : 0;
}

void CRealGrid::ReleaseCell(Cell& cell)
{
    ReleaseFont(cell.font);
    for (std::uint32_t p : cell.pens)
        ReleasePen(p);
    // The fifth and sixth pens hold a reference only when set.
    if (cell.pen5)
        ReleasePen(cell.pen5);
    if (cell.pen6)
        ReleasePen(cell.pen6);
    cell.editor.reset();
}

// The id already carries the reference the cell takes over.
void CRealGrid::SetCellPen(Cell& cell, int side, std::uint32_t id)
{
    ReleasePen(cell.pens[side]);
    cell.pens[side] = id;
}

void CRealGrid::SetCellFont(Cell& cell, std::uint32_t id)
{
    ReleaseFont(cell.font);
    cell.font = id;
}

bool CRealGrid::IsCovered(int col, int row) const
{
    return CellAt(col, row).IsCovered(col, row);
}

bool CRealGrid::IsMergeAnchor(int col, int row) const
{
    const Cell& c = CellAt(col, row);
    return c.mergeCol > col && c.mergeRow > row && (c.mergeCol - col) * (long long)(c.mergeRow - row) >= 2;
}

void CRealGrid::AnchorOf(int col, int row, int& anchorCol, int& anchorRow) const
{
    const Cell& c = CellAt(col, row);
    if (c.IsCovered(col, row)) {
        anchorCol = c.mergeCol;
        anchorRow = c.mergeRow;
    } else {
        anchorCol = col;
        anchorRow = row;
    }
}

// ---------------------------------------------------------------- fonts and pens

std::uint32_t CRealGrid::AddFont(const LOGFONT& font)
{
    for (auto& [id, rec] : fonts_)
        if (rec.font == font) {
            ++rec.refCount;
            return id;
        }
    std::uint32_t id = nextFontId_;
    while (fonts_.count(id))   // the counter may have wrapped onto a record in use
        ++id;
    nextFontId_ = id + 1;
    fonts_.emplace(id, FontRecord{1, font});
    return id;
}

std::uint32_t CRealGrid::AddPen(std::uint32_t style, std::uint32_t width, std::uint32_t colour)
{
    for (auto& [id, rec] : pens_)
        if (rec.style == style && rec.width == width && rec.colour == colour) {
            ++rec.refCount;
            return id;
        }
    if (style == PS_NULL && !pens_.empty()) {
        // "No line" is the grid-line pen; the caller holds a reference like any other.
        if (auto it = pens_.find(0); it != pens_.end())
            ++it->second.refCount;
        return 0;
    }
    std::uint32_t id = nextPenId_;
    while (pens_.count(id))
        ++id;
    nextPenId_ = id + 1;
    pens_.emplace(id, PenRecord{1, style, width, colour});
    return id;
}

void CRealGrid::ReleaseFont(std::uint32_t id)
{
    auto it = fonts_.find(id);
    if (it == fonts_.end())
        return;
    if (it->second.refCount <= 1)
        fonts_.erase(it);
    else
        --it->second.refCount;
}

void CRealGrid::ReleasePen(std::uint32_t id)
{
    auto it = pens_.find(id);
    if (it == pens_.end())
        return;
    if (it->second.refCount <= 1)
        pens_.erase(it);
    else
        --it->second.refCount;
}

const FontRecord* CRealGrid::FindFont(std::uint32_t id) const
{
    auto it = fonts_.find(id);
    return it == fonts_.end() ? nullptr : &it->second;
}

const PenRecord* CRealGrid::FindPen(std::uint32_t id) const
{
    auto it = pens_.find(id);
    return it == pens_.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------- content

const std::u16string& CRealGrid::CellTextAt(int col, int row) const
{
    if (!IsValidCell(col, row))
        return kEmpty;
    const Cell& c = rows_[row]->cells[col];
    return c.attr.type ? c.text : kEmpty;
}

std::u16string CRealGrid::GetCellText(int col, int row) const
{
    return CellTextAt(col, row);
}

std::u16string CRealGrid::GetDisplayText(int col, int row) const
{
    const Cell& c = CellAt(col, row);
    if (c.formula)
        return u"=" + c.formula->root->ToString();
    return c.text;
}

std::u16string CRealGrid::GetFormattedText(int col, int row) const
{
    const Cell& c = CellAt(col, row);
    return FormatForDisplay(c.attr.formatter, c.text);
}

void CRealGrid::SetCellText(int col, int row, const std::u16string& text, bool notify)
{
    if (!IsValidCell(col, row))
        return;
    Cell& c = CellAt(col, row);
    c.text = text;
    c.message.clear();
    RunValidator(c.validator, c.text, c.message);
    if (notify)
        Notify(GridMessage::CellChanged);
}

int CRealGrid::SetCellInput(int col, int row, const std::u16string& text)
{
    if (!IsValidCell(col, row))
        return 0;
    Cell& c = CellAt(col, row);
    if (c.formula) {
        formulas_.RemoveFormula(c.formula);
        c.formula = nullptr;
    }
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start]))
        ++start;
    if (start < text.size() && text[start] == u'=') {
        // The multi-line editor leaves a line end after a formula ended with
        // Enter; blanks around the formula do not make it text.
        std::size_t begin = start + 1, end = text.size();
        while (begin < end && IsBlank(text[begin]))
            ++begin;
        while (end > begin && IsBlank(text[end - 1]))
            --end;
        FormulaRefusal why = FormulaRefusal::NotAFormula;
        NodePtr root = ParseFormula(UpperAscii(std::u16string_view(text).substr(begin, end - begin)), &why);
        // A formula kept as text says why, where the parser knows a reason
        // beyond "it does not parse".
        if (!root && why != FormulaRefusal::NotAFormula)
            c.message = FormulaMessageText(why == FormulaRefusal::TooDeep ? FormulaMessage::TooDeep
                                                                           : FormulaMessage::CriterionInCriterion);
        if (root) {
            if (root->RefersTo(row, col)) {
                c.text = text;
                c.message = FormulaMessageText(FormulaMessage::SelfReference);
                return 0;
            }
            CellFormula* f = formulas_.AddFormula(std::make_unique<CellFormula>(col, row, std::move(root)));
            if (f) {
                c.formula = f;
                return 1;
            }
            c.text = text;
            c.message = FormulaMessageText(FormulaMessage::Cycle);
            return 0;
        }
    }
    c.text = text;
    return 0;
}

bool CRealGrid::SetCellContent(int col, int row, const std::u16string& text)
{
    if (!IsValidCell(col, row))
        return false;
    Cell& c = CellAt(col, row);
    c.message.clear();
    bool formula = SetCellInput(col, row, text) != 0;
    MarkDependentsDirty(col, row);
    Recalculate();
    if (c.message.empty())
        RunValidator(c.validator, c.text, c.message);
    return formula;
}

void CRealGrid::Recalculate()
{
    for (CellFormula* f : formulas_.TakeDirty()) {
        if (!f->dirty)
            continue;
        std::u16string result = EvaluateFormula(*f, *this);
        SetCellText(f->column, f->row, result, true);
    }
}

// ---------------------------------------------------------------- editors

CellEditor* CRealGrid::CreateCellEditor(int col, int row)
{
    if (!IsValidCell(col, row))
        return nullptr;
    Cell& c = CellAt(col, row);
    if (c.editor)
        return c.editor.get();
    if (!c.attr.type || !c.attr.type->createsEditor || !editorFactory_)
        return nullptr;
    EditorRequest req;
    req.row = row;
    req.column = col;
    req.style = c.attr.editStyle;
    if (c.attr.type == EditType())
        req.style = (req.style & ~3u) | EditAlignBits(c.attr.alignment) | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    req.controlId = col + row * ColumnCount();
    req.fontId = c.font;
    req.text = GetDisplayText(col, row);
    c.editor = editorFactory_->CreateEditor(req);
    return c.editor.get();
}

void CRealGrid::LoadEditorText(int col, int row)
{
    if (!IsValidCell(col, row))
        return;
    Cell& c = CellAt(col, row);
    if (c.editor)
        c.editor->SetText(GetDisplayText(col, row));
}

void CRealGrid::CommitEditorText(int col, int row)
{
    if (!IsValidCell(col, row))
        return;
    Cell& c = CellAt(col, row);
    if (!c.editor)
        return;
    std::u16string typed = c.editor->Text();
    if (typed == GetDisplayText(col, row))
        return;
    SetCellContent(col, row, typed);
}

void CRealGrid::EndEdit(int col, int row)
{
    if (!IsValidCell(col, row))
        return;
    Cell& c = CellAt(col, row);
    if (!c.editor)
        return;
    CommitEditorText(col, row);
    c.editor.reset();
    Notify(GridMessage::CellChanged);
}

void CRealGrid::RenumberEditors()
{
    for (int r = 0; r < RowCount(); ++r)
        for (int c = 0; c < ColumnCount(); ++c)
            if (auto& e = rows_[r]->cells[c].editor)
                e->SetControlId(c + r * ColumnCount());
}

void CRealGrid::ClearSelectionAndEdit()
{
    if (currentRow_ >= 0 && currentCol_ >= 0)
        EndEdit(currentCol_, currentRow_);
    selection_ = GridSelection{};
}

// ---------------------------------------------------------------- merging

bool CRealGrid::ValidRange(const GridRange& r) const
{
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= ColumnCount()
           && r.bottom <= RowCount();
}

bool CRealGrid::MergeRange(const GridRange& range)
{
    if (!ValidRange(range))
        return false;
    // A block that reaches into the range would be cut in two; split it first.
    if (!IsRangeUnmerged(range)) {
        std::set<std::pair<int, int>> anchors;
        for (int r = range.top; r < range.bottom; ++r)
            for (int c = range.left; c < range.right; ++c) {
                int ac, ar;
                AnchorOf(c, r, ac, ar);
                if (IsMergeAnchor(ac, ar))
                    anchors.insert({ar, ac});
            }
        for (auto [ar, ac] : anchors) {
            const Cell& a = CellAt(ac, ar);
            SplitBlock(ac, ar, a.mergeCol, a.mergeRow);
        }
    }
    for (int r = range.top; r < range.bottom; ++r)
        for (int c = range.left; c < range.right; ++c) {
            Cell& cell = CellAt(c, r);
            cell.mergeCol = range.left;
            cell.mergeRow = range.top;
            cell.editor.reset();
        }
    Cell& anchor = CellAt(range.left, range.top);
    anchor.mergeCol = range.right;
    anchor.mergeRow = range.bottom;
    Notify(GridMessage::CellChanged);
    return true;
}

void CRealGrid::SplitBlock(int left, int top, int right, int bottom)
{
    top = std::max(top, 0);
    left = std::max(left, 0);
    bottom = std::min(bottom, RowCount());
    right = std::min(right, ColumnCount());
    for (int r = top; r < bottom; ++r)
        for (int c = left; c < right; ++c) {
            Cell& cell = CellAt(c, r);
            cell.mergeCol = c + 1;
            cell.mergeRow = r + 1;
            cell.editor.reset();
        }
}

bool CRealGrid::SplitRange(const GridRange& range)
{
    if (!ValidRange(range))
        return false;
    std::vector<std::pair<int, int>> anchors;
    for (int r = range.top; r < range.bottom; ++r)
        for (int c = range.left; c < range.right; ++c) {
            int ac, ar;
            AnchorOf(c, r, ac, ar);
            if (IsValidCell(ac, ar) && IsMergeAnchor(ac, ar)
                && std::find(anchors.begin(), anchors.end(), std::pair{ar, ac}) == anchors.end())
                anchors.push_back({ar, ac});
        }
    for (auto [ar, ac] : anchors) {
        const Cell& a = CellAt(ac, ar);
        SplitBlock(ac, ar, a.mergeCol, a.mergeRow);
    }
    Notify(GridMessage::CellChanged);
    return true;
}

bool CRealGrid::IsRangeUnmerged(const GridRange& range) const
{
    for (int r = std::max(range.top, 0); r < std::min(range.bottom, RowCount()); ++r)
        for (int c = std::max(range.left, 0); c < std::min(range.right, ColumnCount()); ++c) {
            const Cell& cell = CellAt(c, r);
            if (cell.mergeCol != c + 1 || cell.mergeRow != r + 1)
                return false;
        }
    return true;
}

bool CRealGrid::ToggleMerge(const GridRange& range)
{
    if (IsRangeUnmerged(range))
        return MergeRange(range);
    return SplitRange(range);
}

// ---------------------------------------------------------------- selection

void CRealGrid::SetSelection(int col1, int row1, int col2, int row2, bool extend)
{
    GridSelection s{std::min(row1, row2), std::min(col1, col2), std::max(row1, row2), std::max(col1, col2)};
    if (extend && s.top >= 0 && s.left >= 0 && s.bottom < RowCount() && s.right < ColumnCount()) {
        bool changed = true;
        while (changed) {
            changed = false;
            for (int r = s.top; r <= s.bottom; ++r) {
                int ac, ar;
                AnchorOf(s.left, r, ac, ar);
                if (ac < s.left) { s.left = ac; changed = true; }
                AnchorOf(s.right, r, ac, ar);
                int end = CellAt(ac, ar).mergeCol - 1;
                if (end > s.right && end < ColumnCount()) { s.right = end; changed = true; }
            }
            for (int c = s.left; c <= s.right; ++c) {
                int ac, ar;
                AnchorOf(c, s.top, ac, ar);
                if (ar < s.top) { s.top = ar; changed = true; }
                AnchorOf(c, s.bottom, ac, ar);
                int end = CellAt(ac, ar).mergeRow - 1;
                if (end > s.bottom && end < RowCount()) { s.bottom = end; changed = true; }
            }
        }
    }
    selection_ = s;
}

GridRange CRealGrid::GetSelectionRect() const
{
    GridRange r;
    r.left = std::max(selection_.left, leftCol_);
    r.top = std::max(selection_.top, topRow_);
    r.right = std::max(std::min(selection_.right + 1, ColumnCount()), leftCol_ + 1);
    r.bottom = std::max(std::min(selection_.bottom + 1, RowCount()), topRow_ + 1);
    return r;
}

bool CRealGrid::GetFocusCell(int& col, int& row) const
{
    row = col = -1;
    if (!IsValidCell(downCol_, downRow_))
        return false;
    const bool headerRow = downRow_ < fixedRows_;
    const bool headerCol = downCol_ < fixedCols_;
    if (headerRow && headerCol) {
        if (RowCount() > fixedRows_ && ColumnCount() > fixedCols_) {
            row = fixedRows_;
            col = fixedCols_;
            return true;
        }
        return false;
    }
    if (headerRow || headerCol) {
        // Walk along the data cells for the first one that is one cell wide
        // (column header) or one cell high (row header).
        int r = headerRow ? topRow_ : downRow_;
        int c = headerRow ? downCol_ : leftCol_;
        while (IsValidCell(c, r)) {
            const Cell& cell = CellAt(c, r);
            int ac, ar;
            AnchorOf(c, r, ac, ar);
            const Cell& anchor = CellAt(ac, ar);
            if (!cell.IsCovered(c, r)) {
                if (headerRow ? cell.mergeCol == c + 1 : cell.mergeRow == r + 1) {
                    row = r;
                    col = c;
                    return true;
                }
            }
            int next = headerRow ? anchor.mergeRow : anchor.mergeCol;
            if (headerRow)
                r = std::max(next, r + 1);
            else
                c = std::max(next, c + 1);
        }
        return false;
    }
    AnchorOf(downCol_, downRow_, col, row);
    return true;
}

std::uint32_t CRealGrid::GetCurrentCellColor() const
{
    int r, c;
    if (!GetFocusCell(c, r) || r < fixedRows_ || c < fixedCols_)
        return 0xFFFFFF;
    return CellAt(c, r).attr.textColour;
}

bool CRealGrid::GetCellFont(int col, int row, LOGFONT& font) const
{
    if (!IsValidCell(col, row))
        return false;
    const FontRecord* f = FindFont(CellAt(col, row).font);
    if (!f)
        return false;
    font = f->font;
    return true;
}

LOGFONT CRealGrid::GetCurrentCellFont() const
{
    LOGFONT font;
    int r, c;
    if (GetFocusCell(c, r) && r >= fixedRows_ && c >= fixedCols_ && GetCellFont(c, r, font))
        return font;
    if (const FontRecord* f = FindFont(0))
        return f->font;
    return font;
}

std::uint32_t CRealGrid::GetCurrentCellAlignment() const
{
    int r, c;
    if (!GetFocusCell(c, r) || r < fixedRows_ || c < fixedCols_)
        return kDefaultAlignment;
    return CellAt(c, r).attr.alignment;
}

bool CRealGrid::SelectionEditable() const
{
    const GridSelection& s = selection_;
    return s.IsSet() && s.left >= leftCol_ && s.top >= topRow_ && s.right < ColumnCount() && s.bottom < RowCount()
           && s.left <= s.right && s.top <= s.bottom;
}

template <typename F>
void CRealGrid::ForSelectedCells(F change)
{
    if (!SelectionEditable())
        return;
    bool any = false;
    for (int r = selection_.top; r <= selection_.bottom; ++r)
        for (int c = selection_.left; c <= selection_.right; ++c) {
            Cell& cell = CellAt(c, r);
            if (!cell.IsCovered(c, r) && change(cell))
                any = true;
        }
    if (any)
        Notify(GridMessage::CellChanged);
}

void CRealGrid::ChangeSelectionFont(void (*edit)(LOGFONT&, const void*), const void* arg)
{
    ForSelectedCells([&](Cell& cell) {
        LOGFONT font = DefaultLogFont();
        if (const FontRecord* f = FindFont(cell.font))
            font = f->font;
        edit(font, arg);
        std::uint32_t id = AddFont(font);
        if (id == cell.font) {
            ReleaseFont(id);
            return false;
        }
        SetCellFont(cell, id);
        return true;
    });
}

void CRealGrid::SetSelectionFontName(std::u16string_view face)
{
    ChangeSelectionFont([](LOGFONT& f, const void* a) { SetLogFontFaceName(f, *static_cast<const std::u16string_view*>(a)); }, &face);
}

void CRealGrid::SetSelectionFontHeight(std::int32_t height)
{
    ChangeSelectionFont([](LOGFONT& f, const void* a) { f.lfHeight = *static_cast<const std::int32_t*>(a); }, &height);
}

void CRealGrid::SetSelectionFontWeight(std::int32_t weight)
{
    ChangeSelectionFont([](LOGFONT& f, const void* a) { f.lfWeight = *static_cast<const std::int32_t*>(a); }, &weight);
}

void CRealGrid::SetSelectionFontItalic(bool italic)
{
    std::uint8_t v = italic ? 1 : 0;
    ChangeSelectionFont([](LOGFONT& f, const void* a) { f.lfItalic = *static_cast<const std::uint8_t*>(a); }, &v);
}

void CRealGrid::SetSelectionFontUnderline(bool underline)
{
    std::uint8_t v = underline ? 1 : 0;
    ChangeSelectionFont([](LOGFONT& f, const void* a) { f.lfUnderline = *static_cast<const std::uint8_t*>(a); }, &v);
}

void CRealGrid::SetSelectionFont(const LOGFONT& font)
{
    ChangeSelectionFont([](LOGFONT& f, const void* a) { f = *static_cast<const LOGFONT*>(a); }, &font);
}

void CRealGrid::SetSelectionColor(std::uint32_t colour)
{
    ForSelectedCells([&](Cell& cell) {
        if (cell.attr.textColour == colour)
            return false;
        cell.attr.textColour = colour;
        return true;
    });
}

void CRealGrid::SetSelectionAlignment(std::uint32_t alignment)
{
    ForSelectedCells([&](Cell& cell) {
        if (cell.attr.alignment == alignment)
            return false;
        cell.attr.alignment = alignment;
        if (cell.attr.type == EditType() && cell.editor)
            cell.editor->SetAlignmentStyle(EditAlignBits(alignment));
        return true;
    });
}

// ---------------------------------------------------------------- lines and borders

bool CRealGrid::GridLinesShown() const
{
    const PenRecord* p = FindPen(0);
    return p && p->style != PS_NULL;
}

void CRealGrid::ShowGridLines(bool show)
{
    if (GridLinesShown() == show)
        return;
    auto it = pens_.find(0);
    if (it == pens_.end()) {
        it = pens_.emplace(0, PenRecord{1, PS_NULL, 0, 0}).first;
        nextPenId_ = std::max(nextPenId_, 1u);
    }
    it->second.style = show ? PS_SOLID : PS_NULL;
    it->second.width = 0;
    it->second.colour = show ? 0xC0C0C0 : 0;
    Notify(GridMessage::CellChanged);
}

void CRealGrid::SetRangeBorders(int left, int top, int right, int bottom, const BorderSpec& spec, bool notify)
{
    if (top < fixedRows_ || bottom < fixedRows_ || left < fixedCols_ || right < fixedCols_)
        return;
    if (top > bottom || left > right || bottom >= RowCount() || right >= ColumnCount())
        return;
    auto penFor = [&](const BorderItem& item) {
        return AddPen(std::uint32_t(item.style), std::uint32_t(item.width), item.colour);
    };
    auto setSide = [&](int col, int row, int side, const BorderItem& item) {
        SetCellPen(CellAt(col, row), side, penFor(item));
    };
    const BorderItem* items = spec.items;
    if (items[0].apply) {
        for (int r = top; r <= bottom; ++r)
            for (int c = left - 1; c <= right - 1; ++c) {
                if (c < 0)
                    continue;
                const Cell& cell = CellAt(c, r);
                if (!cell.IsCovered(c, r))
                    setSide(c, r, PenRight, items[0]);
                else if (cell.mergeCol >= fixedCols_)
                    setSide(cell.mergeCol, r, PenRight, items[0]);
            }
    }
    if (items[1].apply && top - 1 >= 0) {
        const int r = top - 1;
        for (int c = left; c <= right; ++c) {
            const Cell& cell = CellAt(c, r);
            if (!cell.IsCovered(c, r))
                setSide(c, r, PenBottom, items[1]);
            else if (cell.mergeRow >= fixedRows_)
                setSide(c, cell.mergeRow, PenBottom, items[1]);
        }
    }
    for (int side : {PenRight, PenBottom}) {
        const BorderItem& item = items[side == PenRight ? 2 : 3];
        if (!item.apply)
            continue;
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c) {
                const Cell& cell = CellAt(c, r);
                if (!cell.IsCovered(c, r)) {
                    setSide(c, r, side, item);
                    continue;
                }
                const Cell& anchor = CellAt(cell.mergeCol, cell.mergeRow);
                const bool endsAtEdge = side == PenRight ? anchor.mergeCol - 1 == right : anchor.mergeRow - 1 == bottom;
                if (endsAtEdge)
                    setSide(cell.mergeCol, cell.mergeRow, side, item);
            }
    }
    for (int k : {6, 7}) {
        if (!items[k].apply)
            continue;
        for (int r = top; r <= bottom; ++r)
            for (int c = left; c <= right; ++c) {
                Cell& cell = CellAt(c, r);
                if (cell.IsCovered(c, r) || cell.mergeCol - 1 > right || cell.mergeRow - 1 > bottom)
                    continue;
                std::uint32_t id = penFor(items[k]);
                // A fifth or sixth pen holds a reference only when it is not 0.
                if (id == 0)
                    ReleasePen(0);
                std::uint32_t& slot = k == 6 ? cell.pen5 : cell.pen6;
                if (slot)
                    ReleasePen(slot);
                slot = id;
            }
    }
    if (notify)
        Notify(GridMessage::CellChanged);
}

// ---------------------------------------------------------------- model swap

void CRealGrid::SwapModel(CRealGrid& o)
{
    fonts_.swap(o.fonts_);
    std::swap(nextFontId_, o.nextFontId_);
    pens_.swap(o.pens_);
    std::swap(nextPenId_, o.nextPenId_);
    rows_.swap(o.rows_);
    columns_.swap(o.columns_);
    std::swap(fixedRows_, o.fixedRows_);
    std::swap(fixedCols_, o.fixedCols_);
    std::swap(topRow_, o.topRow_);
    std::swap(leftCol_, o.leftCol_);
    std::swap(defaultRowHeight_, o.defaultRowHeight_);
    std::swap(defaultColumnWidth_, o.defaultColumnWidth_);
    formulas_.Swap(o.formulas_);
}

}   // namespace grid
