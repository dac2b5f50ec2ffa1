// Faults of the grid model found by probing: each case failed before its fix.
#include "GridTestUtil.h"

#include "grid/Archive.h"
#include "grid/NumberText.h"
#include "grid/Parser.h"

using namespace grid;
using namespace gridtest;

TEST(NumberWords, OnlyDigitFormsAreNumbers)
{
    auto g = DefaultGrid();
    g->SetCellText(1, 1, u"Information", false);   // A1
    g->SetCellText(1, 2, u"Nancy", false);         // A2
    g->SetCellText(1, 3, u"-nan", false);          // A3
    g->SetCellText(1, 4, u" 2.5x", false);         // A4
    Type(*g, 1, 2, u"=A1+1");
    Type(*g, 2, 2, u"=SUM(A1:A4)");
    EXPECT_EQ(Text(*g, 1, 2), "1");
    EXPECT_EQ(Text(*g, 2, 2), "2.5");

    double v = 7;
    EXPECT_EQ(ReadRealPrefix(u"inf", v), 0u);
    EXPECT_EQ(ReadRealPrefix(u"+Infinity", v), 0u);
    EXPECT_EQ(ReadRealPrefix(u"-.5e1", v), 5u);
    EXPECT_EQ(v, -5.0);
    EXPECT_EQ(ReadRealPrefix(u"0x10", v), 4u);
    EXPECT_EQ(v, 16.0);

    std::u16string message;
    RunValidator(FindValidator("Dbl0_1"), u"nan", message);
    EXPECT_FALSE(message.empty());
    message.clear();
    RunValidator(FindValidator("Dbl0_1"), u"0.5", message);
    EXPECT_TRUE(message.empty());
}

TEST(Round, HalfUpWithoutAddingFirst)
{
    auto g = DefaultGrid();
    auto eval = [&](const char16_t* f) {
        NodePtr n = ParseFormula(f);
        double v = -99;
        EXPECT_TRUE(n && n->Evaluate(v, *g)) << Narrow(f);
        return v;
    };
    EXPECT_EQ(eval(u"ROUND(0.49999999999999994)"), 0.0);
    EXPECT_EQ(eval(u"ROUND(0.5)"), 1.0);
    EXPECT_EQ(eval(u"ROUND(2.5)"), 3.0);
    EXPECT_EQ(eval(u"ROUND(-2.5)"), -2.0);
    EXPECT_EQ(eval(u"ROUND(-2.6)"), -3.0);
    EXPECT_EQ(eval(u"ROUND(4503599627370497)"), 4503599627370497.0);
}

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k)
        b[at + k] = std::uint8_t(v >> (8 * k));
}

// Offsets in a stream of one font record: magic, version, font count, the
// font (id, count, 92 bytes), then the pen count and 20-byte pen records.
constexpr std::size_t kFirstPenId = 4 + 4 + 4 + 100 + 4;

}   // namespace

TEST(FontAndPenIds, ANewIdNeverOverwritesARecordInUse)
{
    auto g = DefaultGrid();
    Bytes s;
    g->SaveTo(s);
    ASSERT_EQ(s[8], 1);        // one font
    PutU32(s, kFirstPenId + 2 * 20, 0xFFFFFFFE);   // pen 2 -> largest but one
    CRealGrid h;
    ASSERT_TRUE(h.LoadFrom(s));
    EXPECT_EQ(h.NextPenId(), 0xFFFFFFFFu);
    EXPECT_EQ(h.AddPen(PS_SOLID, 1, 0x0000FF), 0xFFFFFFFFu);
    const std::uint32_t next = h.AddPen(PS_SOLID, 2, 0x00FF00);
    EXPECT_NE(next, 0u);
    EXPECT_NE(next, 1u);
    ASSERT_NE(h.FindPen(0), nullptr);
    EXPECT_EQ(h.FindPen(0)->style, PS_NULL);
    EXPECT_EQ(h.FindPen(1)->colour, 0xC0C0C0u);
    EXPECT_EQ(h.FindPen(next)->colour, 0x00FF00u);

    // Fonts: font 0 stays the default font.
    g->SetSelection(1, 1, 1, 1, false);
    g->SetSelectionFontWeight(700);
    s.clear();
    g->SaveTo(s);
    ASSERT_EQ(s[8], 2);
    PutU32(s, 12 + 100, 0xFFFFFFFE);   // font 1
    CRealGrid f;
    ASSERT_TRUE(f.LoadFrom(s));
    LOGFONT a = DefaultLogFont();
    a.lfHeight = -30;
    LOGFONT b = DefaultLogFont();
    b.lfHeight = -40;
    EXPECT_EQ(f.AddFont(a), 0xFFFFFFFFu);
    const std::uint32_t nb = f.AddFont(b);
    EXPECT_NE(nb, 0u);
    EXPECT_EQ(f.FindFont(0)->font, DefaultLogFont());
    EXPECT_EQ(f.FindFont(nb)->font, b);
}

TEST(FontAndPenIds, TheLargestIdIsRefusedOnLoad)
{
    auto g = DefaultGrid();
    Bytes good;
    g->SaveTo(good);
    Bytes bad = good;
    PutU32(bad, kFirstPenId + 2 * 20, 0xFFFFFFFF);
    CRealGrid h;
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    bad = good;
    PutU32(bad, 12, 0xFFFFFFFF);
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    EXPECT_EQ(h.RowCount(), 0);
}

TEST(UnnameableReferences, DeletingHeadersDropsThemAndLoadingRefusesThem)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"4");                // A1
    Type(*g, 2, 1, u"5");                // A2
    Type(*g, 3, 2, u"=SUM(A1:A2)");      // B3
    Type(*g, 4, 2, u"=A1*2");            // B4
    Type(*g, 4, 3, u"=A2+1");            // C4
    g->DeleteRows(0, 1, false);          // the header row: A1 moves onto row 0
    // The range keeps the cells that still have a name; the lone A1 is gone.
    EXPECT_EQ(Shown(*g, 2, 2), "=SUM(A1:A1)");
    EXPECT_EQ(Text(*g, 2, 2), "5");
    EXPECT_EQ(g->GetCell(2, 3).formula, nullptr);
    EXPECT_EQ(Shown(*g, 3, 2), "8");
    EXPECT_EQ(Shown(*g, 3, 3), "=A1+1");
    // Whatever the model shows can be typed back unchanged.
    for (int r = 0; r < g->RowCount(); ++r)
        for (int c = 0; c < g->ColumnCount(); ++c)
            if (const std::u16string shown = g->GetDisplayText(c, r); !shown.empty() && shown[0] == u'=') {
                EXPECT_NE(ParseFormula(shown.substr(1)), nullptr) << Narrow(shown);
            }
}

namespace {

Bytes Stored(const char16_t* formula)
{
    ArchiveWriter ar;
    StoreNode(ar, *ParseFormula(formula));
    return ar.Data();
}

void Splice(Bytes& stream, const Bytes& what, const Bytes& with)
{
    auto it = std::search(stream.begin(), stream.end(), what.begin(), what.end());
    ASSERT_NE(it, stream.end());
    it = stream.erase(it, it + std::ptrdiff_t(what.size()));
    stream.insert(it, with.begin(), with.end());
}

// "A1+1+1+...": a left-deep chain of the given number of additions.
Bytes StoredChain(int additions)
{
    ArchiveWriter ar;
    for (int k = 0; k < additions; ++k) {
        ar.U32(AddCode);
        ar.U16(u'+');
    }
    StoreNode(ar, CellExp(1, 1));
    for (int k = 0; k < additions; ++k)
        StoreNode(ar, ConExp(u"1"));
    return ar.Data();
}

}   // namespace

TEST(LongFormulas, AFlatChainOfManyTermsIsAFormula)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"2");
    std::u16string f = u"=A1";
    for (int k = 0; k < 1500; ++k)
        f += u"+1";
    EXPECT_TRUE(g->SetCellContent(2, 1, f));
    EXPECT_EQ(Text(*g, 1, 2), "1502");
    EXPECT_EQ(g->GetDisplayText(2, 1), f);
    Bytes s;
    g->SaveTo(s);
    CRealGrid h;
    ASSERT_TRUE(h.LoadFrom(s));
    EXPECT_EQ(h.GetDisplayText(2, 1), f);
    Type(h, 1, 1, u"3");
    EXPECT_EQ(Text(h, 1, 2), "1503");
}

TEST(LongFormulas, ABadFormulaIsDroppedAloneOnLoad)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"2");
    Type(*g, 1, 2, u"=A1+A2");   // B1: becomes far too deep
    Type(*g, 1, 3, u"=A1*3");    // C1: gets a reference to row 0
    Type(*g, 1, 4, u"=C1-1");    // D1: stays
    Bytes s;
    g->SaveTo(s);
    Splice(s, Stored(u"A1+A2"), StoredChain(kMaxNodeDepth + 10));
    ArchiveWriter row0;
    row0.U32(MulCode);
    row0.U16(u'*');
    row0.U32(CellCode);
    row0.U32(0);
    row0.U32(1);
    StoreNode(row0, ConExp(u"3"));
    Splice(s, Stored(u"A1*3"), row0.Data());

    CRealGrid h;
    GridLoadResult r = h.LoadFrom(s);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(h.GetCell(2, 1).formula, nullptr);
    EXPECT_EQ(Shown(h, 1, 2), "2");   // the stored result stays as text
    EXPECT_EQ(h.GetCell(3, 1).formula, nullptr);
    EXPECT_EQ(Shown(h, 1, 3), "6");
    EXPECT_EQ(Shown(h, 1, 4), "=C1-1");
    EXPECT_EQ(h.Formulas().Size(), 1u);

    // A formula whose structure is broken still refuses the whole stream.
    Bytes bad;
    g->SaveTo(bad);
    Bytes broken = Stored(u"A1+A2");
    broken[0] = 77;   // unknown node code
    Splice(bad, Stored(u"A1+A2"), broken);
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    EXPECT_EQ(Shown(h, 1, 4), "=C1-1");
}
