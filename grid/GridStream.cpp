// The "GRID" stream: storing and loading a whole grid.
#include "grid/Archive.h"
#include "grid/RealGrid.h"

#include <array>
#include <set>

namespace grid {

namespace {

constexpr std::uint32_t kMagic = 0x44495247;   // "GRID"
constexpr std::uint32_t kVersion = 1;
// The next id is the largest stored one plus one, so the largest value cannot be stored.
constexpr std::uint32_t kNoFreeId = 0xFFFFFFFF;
constexpr std::size_t kMinColumnRecord = 4 + 1 + 20 + 4 + 4 + 4;
constexpr std::size_t kMinCellRecord = (4 + 1 + 20 + 4) + 4 + 1 + 4 + 24 + 8 + 1 + 1 + 1 + 4;

[[noreturn]] void Damaged(const char* what)
{
    throw GridStreamError(GridStreamError::BadData, what);
}

void ExpectTag(ArchiveReader& ar, const char16_t* tag)
{
    if (ar.String() != tag)
        throw GridStreamError(GridStreamError::UserAbort, "A section tag of the grid stream is missing.");
}

void StoreAttributes(ArchiveWriter& ar, const CellAttributes& a, bool typeNames)
{
    ar.U32(1);
    ar.U8(typeNames ? 1 : 0);
    if (typeNames)
        ar.Name(a.type ? a.type->name : "");
    ar.U32(a.editStyle);
    ar.U32(a.textColour);
    ar.U32(a.background);
    ar.U32(a.alignment);
    ar.U32(a.attributes);
    ar.Name(a.formatter ? a.formatter->name : "Same");
}

// Reads an attribute block; an unknown or missing type name gives fallbackType.
void LoadAttributes(ArchiveReader& ar, CellAttributes& a, const CellType* fallbackType)
{
    ar.U32();
    a.type = nullptr;
    if (ar.U8()) {
        std::string name = ar.Name("CellType name too long.");
        a.type = FindCellType(name);
    }
    if (!a.type)
        a.type = fallbackType;
    a.editStyle = ar.U32();
    a.textColour = ar.U32();
    a.background = ar.U32();
    a.alignment = ar.U32();
    a.attributes = ar.U32();
    a.formatter = FindFormator(ar.Name("Formator name too long."));
    if (!a.formatter)
        a.formatter = SameFormator();
}

}   // namespace

void CRealGrid::Serialize(ArchiveWriter& ar) const
{
    ar.U32(kMagic);
    ar.U32(kVersion);
    ar.U32(std::uint32_t(fonts_.size()));
    for (const auto& [id, rec] : fonts_) {
        ar.U32(id);
        ar.U32(rec.refCount);
        std::array<std::uint8_t, LOGFONT_SIZE> bytes{};
        WriteLogFont(rec.font, bytes.data());
        ar.Bytes(bytes.data(), bytes.size());
    }
    ar.U32(std::uint32_t(pens_.size()));
    for (const auto& [id, rec] : pens_) {
        ar.U32(id);
        ar.U32(rec.refCount);
        ar.U32(rec.style);
        ar.U32(rec.width);
        ar.U32(rec.colour);
    }
    ar.String(u"pen");
    ar.I32(fixedRows_);
    ar.I32(fixedCols_);
    ar.I32(topRow_);
    ar.I32(leftCol_);
    ar.I32(defaultRowHeight_);
    ar.I32(defaultColumnWidth_);
    ar.U32(std::uint32_t(columns_.size()));
    for (const Column& col : columns_) {
        StoreAttributes(ar, col.attr, storeTypeNames);
        ar.U32(1);
        ar.I32(col.width);
    }
    ar.String(u"col");
    ar.U32(std::uint32_t(rows_.size()));
    for (const auto& row : rows_)
        ar.I32(row->height);
    ar.U32(1);
    for (const auto& row : rows_)
        for (const Cell& cell : row->cells) {
            StoreAttributes(ar, cell.attr, storeTypeNames);
            ar.U32(1);
            ar.String(cell.text);
            ar.U32(cell.font);
            for (std::uint32_t p : cell.pens)
                ar.U32(p);
            ar.U32(cell.pen5);
            ar.U32(cell.pen6);
            ar.I32(cell.mergeCol);
            ar.I32(cell.mergeRow);
            ar.U8(storeEditors ? 1 : 0);
            if (storeEditors)
                ar.U32(cell.editor ? 1 : 0);
            ar.U8(storeValidation ? 1 : 0);
            if (storeValidation) {
                ar.String(cell.message);
                ar.Name(cell.validator ? cell.validator->name : "PassAlways");
            }
            ar.U8(cell.formula ? 1 : 0);
            if (cell.formula) {
                ar.U32(std::uint32_t(cell.formula->column));
                ar.U32(std::uint32_t(cell.formula->row));
                StoreNode(ar, *cell.formula->root);
                ar.U32(std::uint32_t(cell.formula->dirty));
            }
            ar.U32(cell.sharedEdges);
        }
    ar.String(u"cel");
}

// Reads a stream into an empty grid; throws GridStreamError on any damage.
class GridLoader {
public:
    static void Load(CRealGrid& g, ArchiveReader& ar, std::vector<std::pair<int, int>>& openEditors)
    {
        if (ar.U32() != kMagic)
            throw GridStreamError(GridStreamError::UserAbort, "This is not a grid stream.");
        ar.U32();   // version: any value loads like 1

        std::uint32_t n = ar.U32();
        if (n > ar.Remaining() / 100)
            Damaged("The font count of the grid stream runs past its end.");
        std::uint32_t maxId = 0;
        for (std::uint32_t k = 0; k < n; ++k) {
            std::uint32_t id = ar.U32();
            FontRecord rec;
            rec.refCount = ar.U32();
            rec.font = ReadLogFont(ar.Bytes(LOGFONT_SIZE));
            if (id == kNoFreeId)
                Damaged("A font id of the grid stream leaves no id for new fonts.");
            if (!g.fonts_.emplace(id, rec).second)
                Damaged("A font id appears twice in the grid stream.");
            maxId = std::max(maxId, id);
        }
        g.nextFontId_ = n ? maxId + 1 : 1;

        n = ar.U32();
        if (n > ar.Remaining() / 20)
            Damaged("The pen count of the grid stream runs past its end.");
        maxId = 0;
        for (std::uint32_t k = 0; k < n; ++k) {
            std::uint32_t id = ar.U32();
            PenRecord rec;
            rec.refCount = ar.U32();
            rec.style = ar.U32();
            rec.width = ar.U32();
            rec.colour = ar.U32();
            if (id == kNoFreeId)
                Damaged("A pen id of the grid stream leaves no id for new pens.");
            if (!g.pens_.emplace(id, rec).second)
                Damaged("A pen id appears twice in the grid stream.");
            maxId = std::max(maxId, id);
        }
        g.nextPenId_ = n ? maxId + 1 : 1;
        ExpectTag(ar, u"pen");

        g.fixedRows_ = ar.I32();
        g.fixedCols_ = ar.I32();
        g.topRow_ = ar.I32();
        g.leftCol_ = ar.I32();
        g.defaultRowHeight_ = ar.I32();
        g.defaultColumnWidth_ = ar.I32();
        if (g.fixedRows_ < 0 || g.fixedCols_ < 0 || g.topRow_ < 0 || g.leftCol_ < 0 || g.defaultRowHeight_ < 0
            || g.defaultColumnWidth_ < 0)
            Damaged("A size of the grid stream is negative.");

        const std::uint32_t cols = ar.U32();
        if (cols > ar.Remaining() / kMinColumnRecord)
            Damaged("The column count of the grid stream runs past its end.");
        g.columns_.resize(cols);
        for (Column& col : g.columns_) {
            LoadAttributes(ar, col.attr, EditType());
            ar.U32();
            col.width = ar.I32();
            if (col.width < 0)
                Damaged("A column width of the grid stream is negative.");
        }
        ExpectTag(ar, u"col");

        const std::uint32_t rows = ar.U32();
        if (rows > ar.Remaining() / 4)
            Damaged("The row count of the grid stream runs past its end.");
        for (std::uint32_t r = 0; r < rows; ++r) {
            auto row = std::make_unique<Row>();
            row->height = ar.I32();
            if (row->height < 0)
                Damaged("A row height of the grid stream is negative.");
            g.rows_.push_back(std::move(row));
        }
        if ((unsigned long long)rows * cols > ar.Remaining() / kMinCellRecord)
            Damaged("The cells of the grid stream run past its end.");
        if (g.fixedRows_ > int(rows) || g.fixedCols_ > int(cols))
            Damaged("The header counts of the grid stream exceed its size.");
        for (auto& row : g.rows_)
            row->cells.resize(cols);
        ar.U32();   // cells marker

        for (int r = 0; r < int(rows); ++r)
            for (int c = 0; c < int(cols); ++c)
                LoadCell(g, ar, c, r, openEditors);
        ExpectTag(ar, u"cel");
        CheckMerges(g);
    }

private:
    static void LoadCell(CRealGrid& g, ArchiveReader& ar, int c, int r, std::vector<std::pair<int, int>>& openEditors)
    {
        Cell& cell = g.rows_[r]->cells[c];
        const bool header = r < g.fixedRows_ || c < g.fixedCols_;
        LoadAttributes(ar, cell.attr, header ? ReadonlyType() : EditType());
        ar.U32();
        cell.text = ar.String();
        cell.font = ar.U32();
        for (auto& p : cell.pens)
            p = ar.U32();
        cell.pen5 = ar.U32();
        cell.pen6 = ar.U32();
        cell.mergeCol = ar.I32();
        cell.mergeRow = ar.I32();
        if (ar.U8()) {
            if (ar.U32())
                openEditors.push_back({r, c});
        }
        cell.validator = PassAlwaysValidator();
        if (ar.U8()) {
            cell.message = ar.String();
            const Validator* v = FindValidator(ar.Name("Validator name too long."));
            if (v)
                cell.validator = v;
        }
        if (ar.U8()) {
            const std::uint32_t fc = ar.U32();
            const std::uint32_t fr = ar.U32();
            if (fc != std::uint32_t(c) || fr != std::uint32_t(r))
                Damaged("A formula of the grid stream is not at its cell.");
            // A formula that cannot be read (too deep, a reference without a
            // name, a broken argument rule) is dropped alone when its
            // structure still shows where it ends: the cell keeps its text.
            const std::size_t start = ar.Position();
            NodePtr root;
            try {
                root = LoadNode(ar, 0);
            } catch (const GridStreamError& e) {
                if (e.kind() != GridStreamError::BadData)
                    throw;
                ar.Seek(start);
                SkipNode(ar);
            }
            const std::uint32_t dirty = ar.U32();
            // A formula that reads its own cell or closes a cycle is not kept;
            // the cell keeps its stored text.
            if (root && !root->RefersTo(r, c)) {
                auto rec = std::make_unique<CellFormula>(c, r, std::move(root));
                rec->dirty = dirty ? 1 : 0;
                cell.formula = g.formulas_.AddFormula(std::move(rec));
            }
        }
        cell.sharedEdges = ar.U32();
    }

    // Every block must lie inside the grid and cover exactly the cells that
    // point at its top-left cell.
    static void CheckMerges(CRealGrid& g)
    {
        const int rows = g.RowCount(), cols = g.ColumnCount();
        std::vector<int> owner(std::size_t(rows) * std::size_t(cols), -1);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                const Cell& cell = g.rows_[r]->cells[c];
                if (cell.IsCovered(c, r))
                    continue;
                if (cell.mergeCol <= c || cell.mergeRow <= r || cell.mergeCol > cols || cell.mergeRow > rows)
                    Damaged("A merged block of the grid stream lies outside the grid.");
                for (int rr = r; rr < cell.mergeRow; ++rr)
                    for (int cc = c; cc < cell.mergeCol; ++cc) {
                        int& o = owner[std::size_t(rr) * cols + cc];
                        if (o != -1)
                            Damaged("Merged blocks of the grid stream overlap.");
                        o = r * cols + c;
                        const Cell& inner = g.rows_[rr]->cells[cc];
                        if ((rr != r || cc != c) && !(inner.mergeCol == c && inner.mergeRow == r))
                            Damaged("A merged block of the grid stream is inconsistent.");
                    }
            }
        for (int v : owner)
            if (v == -1)
                Damaged("A cell of the grid stream belongs to no block.");
    }
};

GridLoadResult CRealGrid::Serialize(ArchiveReader& ar)
{
    GridLoadResult result;
    auto staged = std::make_unique<CRealGrid>();
    std::vector<std::pair<int, int>> openEditors;
    try {
        GridLoader::Load(*staged, ar, openEditors);
    } catch (const GridStreamError& e) {
        switch (e.kind()) {
        case GridStreamError::UserAbort:
            result.error = ar.Position() <= 4 ? GridLoadError::NotAGridStream : GridLoadError::BadTag;
            break;
        case GridStreamError::EndOfFile: result.error = GridLoadError::Truncated; break;
        case GridStreamError::NameTooLong: result.error = GridLoadError::NameTooLong; break;
        case GridStreamError::BadData: result.error = GridLoadError::Damaged; break;
        }
        result.message = e.what();
        return result;
    } catch (const std::exception& e) {
        result.error = GridLoadError::Damaged;
        result.message = e.what();
        return result;
    }
    ClearAll();
    SwapModel(*staged);
    for (auto [r, c] : openEditors)
        CreateCellEditor(c, r);
    return result;
}

}   // namespace grid
