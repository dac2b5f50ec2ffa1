#include "GridTestUtil.h"

#include "grid/Archive.h"
#include "grid/Parser.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <cstring>

using namespace grid;
using namespace gridtest;

namespace {

using Bytes = std::vector<std::uint8_t>;

// Builds expected stream bytes independently of the archive code.
struct B {
    Bytes b;
    B& u8(std::uint8_t v) { b.push_back(v); return *this; }
    B& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    B& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    B& raw(std::initializer_list<std::uint8_t> l) { b.insert(b.end(), l); return *this; }
    B& str(std::u16string_view s)   // short archive string
    {
        raw({0xFF, 0xFE, 0xFF, std::uint8_t(s.size())});
        for (char16_t c : s)
            u16(c);
        return *this;
    }
    B& name(const char* s)
    {
        u32(std::uint32_t(std::strlen(s) + 1));
        for (const char* p = s; *p; ++p)
            u8(std::uint8_t(*p));
        return u8(0);
    }
    B& attrs(const char* type, std::uint32_t text, std::uint32_t bg)
    {
        u32(1).u8(1).name(type).u32(0x50000000).u32(text).u32(bg).u32(1).u32(0).name("Same");
        return *this;
    }
};

Bytes Save(CRealGrid& g)
{
    Bytes out;
    g.SaveTo(out);
    return out;
}

Bytes StoreFormula(const char16_t* text)
{
    ArchiveWriter ar;
    StoreNode(ar, *ParseFormula(text));
    return ar.Data();
}

// A 1 x 1 grid holding one header cell.
std::unique_ptr<CRealGrid> TinyGrid()
{
    auto g = std::make_unique<CRealGrid>();
    g->ResetToDefault();
    g->DeleteColumns(1, 5, false);
    g->DeleteRows(1, 5, false);
    g->SetCellText(0, 0, u"hi", false);
    return g;
}

// A grid with something of every kind in it.
std::unique_ptr<CRealGrid> RichGrid()
{
    auto g = DefaultGrid();
    g->InsertRows(3, 2);
    g->MergeRange({2, 4, 4, 6});
    Type(*g, 1, 1, u"3");
    Type(*g, 1, 2, u"=A1*2");
    Type(*g, 2, 2, u"=COUNTIF(A1:C1,\"GE(B1)\")+-1");
    Type(*g, 3, 3, u"=-(ROUND(B1/4)+PI())");
    g->SetCellValidator(4, 1, FindValidator("Int0_100"));
    Type(*g, 1, 4, u"abc");
    g->SetSelection(1, 1, 5, 2, false);
    g->SetSelectionFontWeight(700);
    g->SetSelectionFontName(u"DejaVu Sans");
    BorderSpec spec;
    InitBorderSpec(spec);
    spec.items[2] = {PS_SOLID, 3, 0x0000FF, 1};
    spec.items[7] = {PS_SOLID, 2, 0x00FF00, 1};
    g->SetRangeBorders(2, 2, 4, 3, spec, false);
    g->SetCellSharedEdges(5, 5, false);
    CellAttributes a = g->GetCell(5, 5).attr;
    a.attributes = 0xDEADBEEF;
    a.formatter = FindFormator("RMB");
    g->SetCellAttributes(5, 5, a);
    g->SetCellText(5, 5, std::u16string(300, u'x') + u"中文", false);
    g->SetColumnWidth(3, 0);
    g->SetRowHeight(2, 40);
    g->SetCellInput(3, 2, u"=B1+1");   // stays dirty
    return g;
}

GridLoadResult Load(CRealGrid& g, const Bytes& b)
{
    ArchiveReader ar(b);
    return g.Serialize(ar);
}

}   // namespace

TEST(GridArchive, StringsAndNames)
{
    ArchiveWriter w;
    w.String(u"pen");
    EXPECT_EQ(w.Data(), (Bytes{0xFF, 0xFE, 0xFF, 0x03, 0x70, 0x00, 0x65, 0x00, 0x6E, 0x00}));
    ArchiveWriter w2;
    w2.String(std::u16string(300, u'a'));
    ASSERT_EQ(w2.Data().size(), 6u + 600u);
    EXPECT_EQ(Bytes(w2.Data().begin(), w2.Data().begin() + 8), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01, 0x61, 0x00}));
    ArchiveWriter w3;
    w3.String(std::u16string(0x10000, u'a'));
    EXPECT_EQ(Bytes(w3.Data().begin(), w3.Data().begin() + 10),
              (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}));
    ArchiveWriter w4;
    w4.String(std::u16string(254, u'a'));
    EXPECT_EQ(w4.Data()[3], 254);
    ArchiveWriter w5;
    w5.String(std::u16string(255, u'a'));
    EXPECT_EQ(Bytes(w5.Data().begin(), w5.Data().begin() + 6), (Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00}));
    ArchiveWriter w6;
    w6.Name("Same");
    EXPECT_EQ(w6.Data(), (Bytes{0x05, 0, 0, 0, 'S', 'a', 'm', 'e', 0}));

    for (const ArchiveWriter* wr : {&w, &w2, &w3, &w4, &w5}) {
        ArchiveReader r(wr->Data());
        std::u16string s = r.String();
        EXPECT_EQ(r.Remaining(), 0u);
        EXPECT_EQ(s.size() * 2 + 6 <= wr->Data().size() + 4, true);
    }
    // Without the prefix: single bytes of the ANSI code page.
    platform::setAnsiCodePage(1252);
    Bytes ansi{0x03, 'c', 'a', 0xE9};
    ArchiveReader r(ansi);
    EXPECT_EQ(r.String(), u"caé");
    Bytes longName{0x81, 0, 0, 0};
    ArchiveReader rn(longName);
    EXPECT_THROW(rn.Name("CellType name too long."), GridStreamError);
    Bytes shortStr{0xFF, 0xFE, 0xFF, 0x05, 'a', 0};
    ArchiveReader rs(shortStr);
    EXPECT_THROW(rs.String(), GridStreamError);
}

TEST(GridStream, TinyGridByteForByte)
{
    auto g = TinyGrid();
    B e;
    e.raw({'G', 'R', 'I', 'D'}).u32(1);
    e.u32(1).u32(0).u32(2);   // font 0, two references (its creation and the cell)
    e.u32(0xFFFFFFF3).u32(0).u32(0).u32(0).u32(400).raw({0, 0, 0, 134, 0, 0, 0, 0});
    e.u16(0x5B8B).u16(0x4F53);
    for (int i = 0; i < 30; ++i)
        e.u16(0);
    e.u32(3);
    e.u32(0).u32(1).u32(5).u32(0).u32(0);
    e.u32(1).u32(5).u32(0).u32(0).u32(0xC0C0C0);
    e.u32(2).u32(1).u32(0).u32(0).u32(0x00FFFF);
    e.str(u"pen");
    e.u32(1).u32(1).u32(1).u32(1).u32(24).u32(60);
    e.u32(1).attrs("Readonly", 0, 0xF0F0F0).u32(1).u32(60);
    e.str(u"col");
    e.u32(1).u32(24).u32(1);
    e.attrs("Readonly", 0, 0xF0F0F0).u32(1).str(u"hi").u32(0);
    e.u32(1).u32(1).u32(1).u32(1).u32(0).u32(0);   // pens
    e.u32(1).u32(1);                                // merge end column and row
    e.u8(1).u32(0);                                 // no editor
    e.u8(1).str(u"").name("PassAlways");
    e.u8(0);                                        // no formula
    e.u32(1);                                       // shared edges
    e.str(u"cel");
    EXPECT_EQ(Save(*g), e.b);
    EXPECT_EQ(e.b.size(), 8u + 4 + 100 + 4 + 60 + 10 + 24 + 4 + 55 + 10 + 12 + 125 + 10);
}

TEST(GridStream, WithoutStoreFlagsTheOptionalPartsAreLeftOut)
{
    auto g = TinyGrid();
    ArchiveWriter w;
    g->Serialize(w);   // a fresh grid has all three store flags clear
    const Bytes& d = w.Data();
    B cell;
    cell.u32(1).u8(0).u32(0x50000000).u32(0).u32(0xF0F0F0).u32(1).u32(0).name("Same").u32(1).str(u"hi").u32(0);
    cell.u32(1).u32(1).u32(1).u32(1).u32(0).u32(0).u32(1).u32(1).u8(0).u8(0).u8(0).u32(1);
    cell.str(u"cel");
    ASSERT_GE(d.size(), cell.b.size());
    EXPECT_EQ(Bytes(d.end() - std::ptrdiff_t(cell.b.size()), d.end()), cell.b);
    // Loaded back, a header cell without a type name is "Readonly".
    CRealGrid h;
    ASSERT_TRUE(Load(h, d));
    EXPECT_EQ(h.GetCell(0, 0).attr.type, ReadonlyType());
    EXPECT_EQ(h.GetCell(0, 0).validator, PassAlwaysValidator());

    // In a larger table: data cells are "Edit", header cells "Readonly", and
    // every column "Edit", the header column included.
    auto big = DefaultGrid();
    ArchiveWriter wb;
    big->Serialize(wb);
    CRealGrid k;
    ASSERT_TRUE(Load(k, wb.Data()));
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
            EXPECT_EQ(k.GetCell(c, r).attr.type, r == 0 || c == 0 ? ReadonlyType() : EditType()) << r << "," << c;
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(k.GetColumn(c).attr.type, EditType()) << c;
}

TEST(GridStream, FormulaNodesFieldOrder)
{
    B sub;
    sub.u32(1).u16(u'-').u32(3).str(u"2").u32(4).u32(3).u32(2);   // 2-B3: operator first, row before column
    EXPECT_EQ(StoreFormula(u"2-B3"), sub.b);
    B count;
    count.u32(6).u32(10).u32(2);
    count.u32(5).u32(1).u32(1).u32(2).u32(2);            // A1:B2
    count.u32(8).u32(6).u32(5).u32(1).u32(3).str(u"5");  // "GE(5)"
    EXPECT_EQ(StoreFormula(u"COUNTIF(A1:B2,\"GE(5)\")"), count.b);
    B neg;
    neg.u32(0).u16(u'-').u32(2).u16(u'*').u32(7).u32(3).str(u"1").u32(6).u32(11).u32(0);
    EXPECT_EQ(StoreFormula(u"-(1)*PI()"), neg.b);

    // The formula position in a cell record is column first.
    auto g = TinyGrid();
    g->InsertColumns(1, 1);
    g->InsertRows(1, 1);
    Type(*g, 1, 1, u"=7");
    g->SetCellInput(1, 1, u"=7");   // dirty again
    Bytes s = Save(*g);
    B tail;
    tail.u8(1).u32(1).u32(1).u32(3).str(u"7").u32(1).u32(1);   // column, row, code, body, dirty, shared edges
    tail.str(u"cel");
    EXPECT_EQ(Bytes(s.end() - std::ptrdiff_t(tail.b.size()), s.end()), tail.b);
}

TEST(GridStream, RoundTripKeepsEverything)
{
    auto g = RichGrid();
    Bytes first = Save(*g);
    CRealGrid h;
    GridSpy rec;
    h.SetObserver(&rec);
    ASSERT_TRUE(h.LoadFrom(first));
    EXPECT_EQ(Save(h), first);
    EXPECT_EQ(rec.log(), (std::vector<std::pair<GridMessage, bool>>{{GridMessage::DimChanged, true},
                                                                 {GridMessage::SelChanged, true}}));
    EXPECT_EQ(h.RowCount(), 8);
    EXPECT_EQ(Shown(h, 1, 2), "=A1*2");
    EXPECT_EQ(Shown(h, 2, 2), "=COUNTIF(A1:C1,\"GE(B1)\")+-1");
    EXPECT_EQ(Shown(h, 3, 3), "=-(ROUND(B1/4)+PI())");
    EXPECT_EQ(Text(h, 1, 2), "6");
    EXPECT_EQ(h.GetCell(3, 2).formula->dirty, 1);
    EXPECT_EQ(h.GetCell(2, 1).formula->dirty, 0);
    EXPECT_EQ(h.GetCell(4, 1).message, u"不是一个整数。");
    EXPECT_EQ(h.GetCell(4, 1).validator, FindValidator("Int0_100"));
    EXPECT_EQ(h.GetCell(5, 5).attr.formatter, FindFormator("RMB"));
    EXPECT_EQ(h.GetCell(5, 5).text, g->GetCell(5, 5).text);
    EXPECT_TRUE(h.IsMergeAnchor(2, 4));
    EXPECT_EQ(h.NextFontId(), g->Fonts().rbegin()->first + 1);
    EXPECT_EQ(h.NextPenId(), g->Pens().rbegin()->first + 1);
    EXPECT_EQ(h.ColumnWidth(3), 0);
    EXPECT_EQ(h.RowHeight(2), 40);
    // Loaded formulas are linked: changing A1 recomputes in order.
    Type(h, 1, 1, u"5");
    EXPECT_EQ(Text(h, 1, 2), "10");
    EXPECT_EQ(Text(h, 2, 3), "11");
}

TEST(GridStream, EditorStateIsRestored)
{
    auto g = DefaultGrid();
    FakeFactory factory;
    g->SetEditorFactory(&factory);
    g->CreateCellEditor(2, 2);
    Bytes s = Save(*g);
    CRealGrid h;
    FakeFactory factory2;
    h.SetEditorFactory(&factory2);
    ASSERT_TRUE(h.LoadFrom(s));
    ASSERT_EQ(factory2.requests.size(), 1u);
    EXPECT_EQ(factory2.requests[0].row, 2);
    EXPECT_NE(h.GetCell(2, 2).editor, nullptr);
}

TEST(GridStream, VersionIsIgnoredAndNextIdsFollowTheLargest)
{
    auto g = TinyGrid();
    Bytes s = Save(*g);
    s[4] = 7;
    CRealGrid h;
    ASSERT_TRUE(h.LoadFrom(s));
    EXPECT_EQ(h.GetCellText(0, 0), u"hi");
    EXPECT_EQ(h.NextFontId(), 1u);
    EXPECT_EQ(h.NextPenId(), 3u);
}

TEST(GridStream, DamageIsRefusedAndLeavesTheGridAsItWas)
{
    auto g = RichGrid();
    const Bytes good = Save(*g);
    auto target = DefaultGrid();
    Type(*target, 1, 1, u"keep me");
    const Bytes before = Save(*target);
    GridSpy rec;
    target->SetObserver(&rec);

    auto refused = [&](Bytes bad, GridLoadError expected) {
        GridLoadResult r = target->LoadFrom(bad);
        EXPECT_EQ(r.error, expected) << r.message;
        EXPECT_FALSE(r.message.empty());
        EXPECT_EQ(Save(*target), before);
    };
    Bytes bad = good;
    bad[0] = 'X';
    refused(bad, GridLoadError::NotAGridStream);
    bad = good;
    bad[8 + 4 + 100 * good[8] + 4 + 20 * good[8 + 4 + 100 * good[8]] + 4] = 'q';   // "pen" -> "qen"
    refused(bad, GridLoadError::BadTag);
    bad.assign(good.begin(), good.end() - 5);
    refused(bad, GridLoadError::Truncated);
    bad.assign(good.begin(), good.begin() + 13);   // the font count promises more than there is
    refused(bad, GridLoadError::Damaged);
    // Every shorter prefix is refused, none reads past its end.
    for (std::size_t n = 5; n < good.size(); n += (n < 400 ? 1 : 37)) {
        Bytes cut(good.begin(), good.begin() + std::ptrdiff_t(n));
        GridLoadResult r = target->LoadFrom(cut);
        EXPECT_FALSE(r) << "prefix of " << n << " bytes loaded";
    }
    EXPECT_EQ(Save(*target), before);
    EXPECT_EQ(rec.log().size(), 0u);   // no notification for a refused load
}

TEST(GridStream, HostileCountsAndValues)
{
    auto g = TinyGrid();
    const Bytes good = Save(*g);
    CRealGrid h;
    h.ResetToDefault();
    const Bytes before = Save(h);

    Bytes bad = good;
    bad[8] = 0xFF; bad[9] = 0xFF; bad[10] = 0xFF; bad[11] = 0x7F;   // font count
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);

    // Offsets in the tiny stream.
    const std::size_t grid = 8 + 4 + 100 + 4 + 60 + 10;
    const std::size_t colCount = grid + 24;
    bad = good;
    bad[colCount + 3] = 0x40;   // a billion columns
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    bad = good;
    bad[grid] = 0xFF;   // fixedRows -> negative
    bad[grid + 3] = 0xFF;
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    bad = good;
    bad[grid] = 5;   // more header rows than rows
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    const std::size_t cell = colCount + 4 + 55 + 10 + 12;
    const std::size_t merge = cell + 47 + 4 + 8 + 4 + 24;
    bad = good;
    bad[merge] = 2;   // block end column past the grid
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    bad = good;
    bad[merge] = 0;   // covered by a cell that does not exist... points at itself
    bad[merge + 4] = 0;
    EXPECT_EQ(h.LoadFrom(bad).error, GridLoadError::Damaged);
    // Over-long names are reported as such.
    bad = good;
    bad[cell + 5] = 129;
    GridLoadResult r = h.LoadFrom(bad);
    EXPECT_EQ(r.error, GridLoadError::NameTooLong);
    EXPECT_EQ(r.message, "CellType name too long.");
    bad = good;
    bad[cell + 38] = 129;   // the formatter name count
    r = h.LoadFrom(bad);
    EXPECT_EQ(r.message, "Formator name too long.");
    EXPECT_EQ(Save(h), before);
}

TEST(GridStream, BadFormulaNodesAreRefused)
{
    auto g = TinyGrid();
    g->InsertColumns(1, 1);
    g->InsertRows(1, 1);
    Type(*g, 1, 1, u"=SUM(7)");
    const Bytes good = Save(*g);
    // Locate the formula body: flag 1, column 1, row 1, code 6.
    const Bytes marker{1, 1, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0};
    auto at = std::search(good.begin(), good.end(), marker.begin(), marker.end());
    ASSERT_NE(at, good.end());
    const std::size_t code = std::size_t(at - good.begin()) + 9;
    CRealGrid h;
    auto patched = [&](std::size_t offset, std::uint8_t value) {
        Bytes b = good;
        b[offset] = value;
        return h.LoadFrom(b).error;
    };
    EXPECT_EQ(patched(code, 9), GridLoadError::Damaged);        // unknown node type
    EXPECT_NE(patched(code + 8, 0), GridLoadError::None);       // the argument count no longer fits
    EXPECT_EQ(patched(code + 8, 200), GridLoadError::Damaged);  // more arguments than data
    EXPECT_EQ(patched(code - 8, 2), GridLoadError::Damaged);    // formula not at its cell
    // A formula that is well formed but means nothing is dropped alone.
    EXPECT_EQ(patched(code + 4, 21), GridLoadError::None);      // function index
    EXPECT_EQ(h.GetCell(1, 1).formula, nullptr);
    EXPECT_EQ(Shown(h, 1, 1), "7");
    EXPECT_TRUE(h.LoadFrom(good));
    EXPECT_EQ(Shown(h, 1, 1), "=SUM(7)");
}

// Found by fuzzing: COUNTIF evaluates its criterion once per cell, so a stream
// with criteria nested inside criteria made loading and recalculating a table
// hang. Such a criterion is refused, as the parser refuses it.
TEST(GridStream, CriterionInsideACriterionIsRefused)
{
    // COUNTIF(A1:B2,"GE(...)") up to the comparison's operand.
    auto countIf = [](B& b) -> B& {
        return b.u32(6).u32(10).u32(2).u32(5).u32(1).u32(1).u32(2).u32(2).u32(8).u32(6).u32(5).u32(1);
    };
    B single;
    countIf(single).u32(3).str(u"5");
    ArchiveReader ok(single.b);
    EXPECT_EQ(Narrow(LoadNode(ok, 0)->ToString()), "COUNTIF(A1:B2,\"GE(5)\")");
    B nested;
    countIf(countIf(nested)).u32(3).str(u"5");
    ArchiveReader bad(nested.b);
    try {
        LoadNode(bad, 0);
        ADD_FAILURE() << "a nested criterion loaded";
    } catch (const GridStreamError& e) {
        EXPECT_EQ(e.kind(), GridStreamError::BadData);
    }
    // The refusal leaves no state behind: a plain criterion loads afterwards.
    ArchiveReader again(single.b);
    EXPECT_NE(LoadNode(again, 0), nullptr);
}

TEST(GridStream, UnknownNamesFallBack)
{
    auto g = TinyGrid();
    g->InsertColumns(1, 1);
    g->InsertRows(1, 1);
    g->SetCellValidator(1, 1, FindValidator("Dbl0_1"));
    CellAttributes a = g->GetCell(1, 1).attr;
    a.formatter = FindFormator("RMB");
    g->SetCellAttributes(1, 1, a);
    Bytes s = Save(*g);
    auto rename = [&](const char* from, const char* to) {
        Bytes f(from, from + std::strlen(from));
        auto it = std::search(s.begin(), s.end(), f.begin(), f.end());
        ASSERT_NE(it, s.end()) << from;
        std::copy(to, to + std::strlen(to), it);
    };
    rename("Dbl0_1", "Dbl9_9");
    rename("RMB", "XYZ");
    for (int k = 0; k < 2; ++k)
        rename("Edit", "Tide");   // the data column and the data cell
    CRealGrid h;
    ASSERT_TRUE(h.LoadFrom(s));
    EXPECT_EQ(h.GetCell(1, 1).validator, PassAlwaysValidator());
    EXPECT_EQ(h.GetCell(1, 1).attr.formatter, SameFormator());
    EXPECT_EQ(h.GetCell(1, 1).attr.type, EditType());
    EXPECT_EQ(h.GetColumn(1).attr.type, EditType());
}

TEST(GridStream, StoredCycleLeavesTheCellWithoutAFormula)
{
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"=B1");   // A1
    Type(*g, 1, 2, u"=C1");   // B1
    Bytes s = Save(*g);
    // Point B1's reference at A1 to close a cycle inside the stream.
    const Bytes c1{4, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0};
    auto it = std::search(s.begin(), s.end(), c1.begin(), c1.end());
    ASSERT_NE(it, s.end());
    it[8] = 1;
    CRealGrid h;
    ASSERT_TRUE(h.LoadFrom(s));
    EXPECT_NE(h.GetCell(1, 1).formula, nullptr);
    EXPECT_EQ(h.GetCell(2, 1).formula, nullptr);
    EXPECT_EQ(h.Formulas().Size(), 1u);
    EXPECT_EQ(Text(h, 1, 2), "0");   // its stored text stays
    // A formula reading its own cell is not kept either.
    it[8] = 2;
    ASSERT_TRUE(h.LoadFrom(s));
    EXPECT_EQ(h.GetCell(2, 1).formula, nullptr);
}

TEST(GridStream, SurvivesEveryByteFlip)
{
    auto g = RichGrid();
    const Bytes good = Save(*g);
    CRealGrid h;
    int loaded = 0;
    for (std::size_t i = 0; i < good.size(); i += (i < 600 ? 1 : 7)) {
        const Bytes kept = Save(h);
        Bytes b = good;
        b[i] ^= 0xA5;
        if (!h.LoadFrom(b)) {
            EXPECT_EQ(Save(h), kept) << "refused flip at " << i << " changed the grid";
            continue;
        }
        ++loaded;
        // Whatever was accepted stores and loads again unchanged.
        const Bytes once = Save(h);
        CRealGrid again;
        ASSERT_TRUE(again.LoadFrom(once)) << "flip at " << i;
        EXPECT_EQ(Save(again), once) << "flip at " << i;
    }
    EXPECT_GT(loaded, 0);
}
