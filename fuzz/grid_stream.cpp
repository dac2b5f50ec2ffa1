// The GRID stream loader. A refused stream leaves the grid as it was; an
// accepted one stores a stream that loads again and stores byte-identical.
// The loaded table is then recalculated and shown, as opening it would, and
// takes row and column insertions and deletions.
#include "fuzz/FuzzCheck.h"
#include "grid/RealGrid.h"

#include <span>
#include <vector>

using namespace grid;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Save(CRealGrid& g)
{
    Bytes out;
    g.SaveTo(out);
    return out;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CRealGrid g;
    g.ResetToDefault();
    g.SetCellContent(1, 1, u"keep");
    const Bytes before = Save(g);

    const GridLoadResult r = g.LoadFrom(std::span<const std::uint8_t>(data, size));
    if (!r) {
        FUZZ_CHECK(!r.message.empty(), "a refused stream says why");
        FUZZ_CHECK(Save(g) == before, "a refused stream leaves the grid as it was");
        return 0;
    }
    const Bytes stored = Save(g);
    CRealGrid again;
    const GridLoadResult r2 = again.LoadFrom(stored);
    FUZZ_CHECK(bool(r2), "a stored grid loads again");
    FUZZ_CHECK(Save(again) == stored, "a stored grid stores again byte-identical");

    g.Recalculate();
    for (int row = 0; row < g.RowCount() && row < 64; ++row)
        for (int col = 0; col < g.ColumnCount() && col < 64; ++col)
            (void)g.GetDisplayText(col, row);

    // An accepted table takes the editor's row and column operations and
    // still stores a stream that loads.
    again.InsertRows(again.RowCount() / 2, 1);
    again.InsertColumns(again.ColumnCount() / 2, 1);
    again.DeleteRows(0, 1, false);
    again.DeleteColumns(again.ColumnCount() - 1, 1, false);
    CRealGrid edited;
    FUZZ_CHECK(bool(edited.LoadFrom(Save(again))), "an edited table stores a stream that loads");
    return 0;
}
