// The formula node stream inside a GRID stream. A damaged stream is refused
// with GridStreamError and nothing else; an accepted formula stores a stream
// that loads and stores again byte-identical, and prints and evaluates.
#include "fuzz/FuzzCheck.h"
#include "grid/Archive.h"
#include "grid/Parser.h"
#include "grid/RealGrid.h"

#include <cmath>
#include <vector>

using namespace grid;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ArchiveReader r(std::span<const std::uint8_t>(data, size));
    NodePtr n;
    try {
        n = LoadNode(r, 0);
    } catch (const GridStreamError&) {
        return 0;
    }
    ArchiveWriter w;
    StoreNode(w, *n);
    ArchiveReader r2(w.Data());
    NodePtr again;
    try {
        again = LoadNode(r2, 0);
    } catch (const GridStreamError&) {
        FUZZ_CHECK(false, "a stored formula loads again");
    }
    ArchiveWriter w2;
    StoreNode(w2, *again);
    FUZZ_CHECK(w2.Data() == w.Data(), "a loaded formula stores again byte-identical");

    static CRealGrid* cells = [] {
        auto* g = new CRealGrid;
        g->ResetToDefault();
        g->SetCellText(1, 1, u"4", false);
        return g;
    }();
    double value = 0;
    if (n->Evaluate(value, *cells))
        FUZZ_CHECK(std::isfinite(value), "a value that is not finite is a failure");
    (void)n->ToString();
    return 0;
}
