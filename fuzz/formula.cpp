// The formula parser, fed text one byte per character. A parsed formula prints
// a text that parses back to the same text, stores a node stream that loads
// back to the same formula, and evaluates without fault.
#include "fuzz/FuzzCheck.h"
#include "grid/Archive.h"
#include "grid/Parser.h"
#include "grid/RealGrid.h"

#include <cmath>
#include <string>

using namespace grid;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 4096)
        return 0;
    std::u16string text(data, data + size);
    NodePtr n = ParseFormula(text);
    if (!n)
        return 0;
    const std::u16string printed = n->ToString();
    NodePtr back = ParseFormula(printed);
    FUZZ_CHECK(back != nullptr, "a printed formula parses");
    FUZZ_CHECK(back->ToString() == printed, "a printed formula parses back to the same text");

    ArchiveWriter w;
    StoreNode(w, *n);
    ArchiveReader r(w.Data());
    NodePtr loaded;
    try {
        loaded = LoadNode(r, 0);
    } catch (const GridStreamError& e) {
        FUZZ_CHECK(false, "a stored formula loads again");
    }
    FUZZ_CHECK(r.Remaining() == 0, "a stored formula is read to its end");
    FUZZ_CHECK(loaded->ToString() == printed, "a loaded formula prints as stored");
    ArchiveWriter w2;
    StoreNode(w2, *loaded);
    FUZZ_CHECK(w2.Data() == w.Data(), "a loaded formula stores again byte-identical");

    static CRealGrid* cells = [] {
        auto* g = new CRealGrid;
        g->ResetToDefault();
        g->SetCellText(1, 1, u"4", false);
        g->SetCellText(2, 1, u"-2.5", false);
        g->SetCellText(1, 2, u"abc", false);
        return g;
    }();
    double value = 0;
    if (n->Evaluate(value, *cells))
        FUZZ_CHECK(std::isfinite(value), "a value that is not finite is a failure");
    (void)n->RefersTo(1, 1);
    return 0;
}
