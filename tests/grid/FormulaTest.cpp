#include "GridTestUtil.h"

#include "grid/Functions.h"
#include "grid/NumberText.h"
#include "grid/Parser.h"
#include "grid/Registry.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using namespace grid;
using namespace gridtest;

namespace {

std::string Printed(const char16_t* text)
{
    NodePtr n = ParseFormula(text);
    return n ? Narrow(n->ToString()) : std::string("<rejected>");
}

bool Parses(const char16_t* text) { return ParseFormula(text) != nullptr; }

// Evaluates a formula against a grid; "#NUM!" on failure.
std::string Eval(const CRealGrid& g, const char16_t* text)
{
    NodePtr n = ParseFormula(text);
    if (!n)
        return "<rejected>";
    double v = 0;
    if (!n->Evaluate(v, g))
        return "#NUM!";
    return FormatNumber(v, 12);
}

}   // namespace

TEST(FormulaLexer, NumbersMustBeWholeRealNumbers)
{
    auto g = DefaultGrid();
    EXPECT_EQ(Eval(*g, u"1E5"), "100000");
    EXPECT_EQ(Eval(*g, u"1E+5"), "100000");
    EXPECT_EQ(Eval(*g, u"1E-2"), "0.01");
    EXPECT_EQ(Eval(*g, u".5"), "0.5");
    EXPECT_FALSE(Parses(u"1.2.3"));
    EXPECT_FALSE(Parses(u"12AB"));
    EXPECT_FALSE(Parses(u"1%"));
    EXPECT_FALSE(Parses(u"A1=2"));
    // wcstod rules take hexadecimal numbers as they are.
    EXPECT_EQ(Eval(*g, u"0X1A"), "26");
}

TEST(FormulaLexer, ReferencesAndFunctionWords)
{
    int row = 0, col = 0;
    EXPECT_TRUE(ParseCellReference(u"AB12", row, col));
    EXPECT_EQ(row, 12);
    EXPECT_EQ(col, 28);
    EXPECT_FALSE(ParseCellReference(u"A0", row, col));
    EXPECT_FALSE(ParseCellReference(u"A", row, col));
    EXPECT_FALSE(ParseCellReference(u"12", row, col));
    EXPECT_FALSE(ParseCellReference(u"A1B", row, col));
    EXPECT_FALSE(ParseCellReference(u"ZZZZZZZZ1", row, col));   // column beyond 32 bits
    EXPECT_FALSE(ParseCellReference(u"A99999999999", row, col));
    EXPECT_FALSE(Parses(u"A0"));
    EXPECT_FALSE(Parses(u"A"));
    EXPECT_FALSE(Parses(u"SUM(A1:B0)"));
    EXPECT_FALSE(Parses(u"SUM(B2:A1)"));
    EXPECT_FALSE(Parses(u"SUM(A2:A1)"));
    EXPECT_FALSE(Parses(u"SUM(A1:B2:C3)"));
    EXPECT_EQ(Printed(u"SUM(A1:Z9)"), "SUM(A1:Z9)");

    const char16_t* names[] = {u"EQ", u"NE", u"LT", u"GT", u"LE", u"GE", u"AND", u"OR", u"NOT", u"IF", u"COUNTIF",
                               u"PI", u"SUM", u"AVERAGE", u"PRODUCT", u"MIN", u"MAX", u"ROUND", u"SIN", u"COS", u"LOG"};
    for (int i = 0; i < kFunctionCount; ++i) {
        EXPECT_EQ(FindFunction(names[i]), i);
        EXPECT_EQ(std::u16string(FunctionName(i)), names[i]);
    }
    EXPECT_EQ(FindFunction(u"SUMX"), -1);
    EXPECT_EQ(FunctionName(21), nullptr);
    // A function name is not a reference, and a function word needs its parentheses.
    EXPECT_FALSE(Parses(u"PI"));
    EXPECT_FALSE(Parses(u"PI(1)"));
    EXPECT_TRUE(Parses(u"PI()"));
}

TEST(FormulaParser, PrecedenceSignAndTrailingTokens)
{
    auto g = DefaultGrid();
    g->SetCellText(1, 1, u"4", false);   // A1
    EXPECT_EQ(Eval(*g, u"-A1*2+3"), "-5");
    EXPECT_EQ(Printed(u"-A1*2+3"), "-A1*2+3");
    EXPECT_EQ(Eval(*g, u"2+3*4"), "14");
    EXPECT_EQ(Eval(*g, u"10-4-3"), "3");
    EXPECT_EQ(Eval(*g, u"12/3/2"), "2");
    EXPECT_EQ(Eval(*g, u"+5"), "5");
    EXPECT_FALSE(Parses(u"2*-3"));
    EXPECT_FALSE(Parses(u"2+-3"));
    EXPECT_EQ(Eval(*g, u"2*(-3)"), "-6");
    EXPECT_EQ(Printed(u"1+2)"), "1+2");
    EXPECT_EQ(Printed(u"1 2"), "1");
    EXPECT_FALSE(Parses(u""));
    EXPECT_FALSE(Parses(u"1+"));
    EXPECT_FALSE(Parses(u"(1+2"));
    EXPECT_FALSE(Parses(u"SUM(A1:A3"));
    // The token after a complete formula is read, so it must still lex.
    EXPECT_FALSE(Parses(u"1+2 %"));
}

TEST(FormulaParser, TextFormsAndColumnLetters)
{
    EXPECT_EQ(Printed(u"( 1 + 2 ) * A1"), "(1+2)*A1");
    EXPECT_EQ(Printed(u"IF(A1,\tB2 , 3)"), "IF(A1,B2,3)");
    EXPECT_EQ(Printed(u"COUNTIF(A1:A9,\"GE(5)\")"), "COUNTIF(A1:A9,\"GE(5)\")");
    EXPECT_EQ(Narrow(ColumnLetters(1)), "A");
    EXPECT_EQ(Narrow(ColumnLetters(26)), "Z");
    EXPECT_EQ(Narrow(ColumnLetters(27)), "AA");
    EXPECT_EQ(Narrow(ColumnLetters(52)), "AZ");
    EXPECT_EQ(Narrow(ColumnLetters(702)), "ZZ");
    EXPECT_EQ(Narrow(ColumnLetters(703)), "AAA");
    EXPECT_EQ(Narrow(ColumnLetters(0)), "");
    EXPECT_EQ(Narrow(CellName(0, 3)), "");
    EXPECT_EQ(Narrow(CellName(7, 3)), "C7");
    int row = 0, col = 0;
    for (int c : {1, 26, 27, 702, 703, 18278, 18279}) {
        ASSERT_TRUE(ParseCellReference(ColumnLetters(c) + u"1", row, col));
        EXPECT_EQ(col, c);
    }
}

TEST(FormulaParser, Criteria)
{
    EXPECT_TRUE(Parses(u"COUNTIF(A1:A9,\"GE(5)\")"));
    EXPECT_TRUE(Parses(u"COUNTIF(A1:A9,\"NE(A1+1)\")"));
    EXPECT_FALSE(Parses(u"COUNTIF(A1:A9,\"SUM(5)\")"));
    EXPECT_FALSE(Parses(u"COUNTIF(A1:A9,\"GE(A1:A2)\")"));
    EXPECT_FALSE(Parses(u"COUNTIF(\"GE(5)\",A1:A9)"));
    EXPECT_FALSE(Parses(u"COUNTIF(A1:A9,\"GE(5)\",1)"));
    EXPECT_FALSE(Parses(u"COUNTIF(A1:A9,\"GE(5))"));
    EXPECT_FALSE(Parses(u"COUNTIF(A1,\"GE(5)\")"));       // first argument must be a range
    EXPECT_FALSE(Parses(u"SUM(A1:A9,\"GE(5)\")"));        // lists take no criterion
    EXPECT_FALSE(Parses(u"IF(1,2)"));
    EXPECT_FALSE(Parses(u"IF(1,2,3,4)"));
    EXPECT_FALSE(Parses(u"AND(1)"));
    EXPECT_FALSE(Parses(u"EQ(A1:A2,1)"));
    EXPECT_FALSE(Parses(u"SUM()"));
    EXPECT_TRUE(Parses(u"NOT((A1:A2))"));   // a parenthesised range passes the rule
    // A criterion is evaluated once per cell, so criteria do not nest.
    EXPECT_TRUE(Parses(u"COUNTIF(A1:A9,\"GE(SUM(A1:A9))\")+COUNTIF(A1:A2,\"LT(2)\")"));
    EXPECT_FALSE(Parses(u"COUNTIF(A1:A9,\"GE(COUNTIF(A1:A9,\"GE(1)\"))\")"));
    EXPECT_FALSE(Parses(u"COUNTIF(A1:A9,\"GE(1+SUM(COUNTIF(A1:A9,\"GE(1)\")))\")"));
}

TEST(FormulaParser, DeepNestingIsRefusedNotACrash)
{
    std::u16string deep(100000, u'(');
    deep += u"1";
    EXPECT_FALSE(Parses(deep.c_str()));
    std::u16string fine(50, u'(');
    fine += u"1" + std::u16string(50, u')');
    EXPECT_TRUE(Parses(fine.c_str()));
    // A long chain of operators builds a deep tree too.
    std::u16string chain = u"1";
    for (int i = 0; i < 5000; ++i)
        chain += u"+1";
    EXPECT_FALSE(Parses(chain.c_str()));
    std::u16string shortChain = u"1";
    for (int i = 0; i < 150; ++i)
        shortChain += u"*1";
    EXPECT_TRUE(Parses(shortChain.c_str()));
    // Many arguments are wide, not deep.
    std::u16string wide = u"SUM(1";
    for (int i = 0; i < 1000; ++i)
        wide += u",A1";
    EXPECT_TRUE(Parses((wide + u")").c_str()));
}

TEST(FormulaEvaluation, CellsRangesAndDivision)
{
    auto g = DefaultGrid();
    g->SetCellText(1, 1, u"0", false);      // A1
    g->SetCellText(1, 2, u"abc", false);    // A2
    g->SetCellText(1, 3, u"#NUM!", false);  // A3
    g->SetCellText(1, 4, u" 2.5xyz", false);  // A4: a leading number counts
    EXPECT_EQ(Eval(*g, u"1/0"), "#NUM!");
    EXPECT_EQ(Eval(*g, u"1/A1"), "#NUM!");
    EXPECT_EQ(Eval(*g, u"0/1"), "0");
    EXPECT_EQ(Eval(*g, u"A1:A2"), "#NUM!");
    EXPECT_EQ(Eval(*g, u"A2+A3+B5"), "0");
    EXPECT_EQ(Eval(*g, u"A4*2"), "5");
    // Past the grid's end: empty, never out of range.
    EXPECT_EQ(Eval(*g, u"ZZ999+1"), "1");
    EXPECT_EQ(Eval(*g, u"SUM(A4:ZZZZ99999999)"), "2.5");
    EXPECT_EQ(Eval(*g, u"AVERAGE(E5:F6)"), "0");
    EXPECT_EQ(Eval(*g, u"COUNTIF(A1:XFD1000000,\"EQ(0)\")"), FormatNumber(16384.0 * 1000000 - 1, 12));
}

// A value that is not finite is a failure wherever it arises, and every
// reader of a cell's text takes it so: no cell shows "inf", "nan" or "-0".
TEST(FormulaEvaluation, ValuesThatAreNotFiniteFail)
{
    auto g = DefaultGrid();
    g->InsertRows(1, 15);
    Type(*g, 1, 1, u"=1E308*10");
    Type(*g, 2, 1, u"=-1E308*10");
    Type(*g, 3, 1, u"=SIN(1E308*10)");
    Type(*g, 4, 1, u"=1e400");          // a literal too large for a double
    Type(*g, 5, 1, u"1E200");
    Type(*g, 6, 1, u"=A5*A5");
    Type(*g, 7, 1, u"1e400");           // text: no number fits it
    Type(*g, 8, 1, u"=A7");
    Type(*g, 9, 1, u"=SUM(A5:A7)");
    Type(*g, 10, 1, u"=COUNTIF(A7:A7,\"GE(0)\")");
    Type(*g, 11, 1, u"=IF(1,2,1E308*10)");   // fails as a failing argument does
    Type(*g, 12, 1, u"=SUM(1E308,1E308)");
    Type(*g, 13, 1, u"=0*(-1)");
    Type(*g, 14, 1, u"=-0");
    Type(*g, 15, 1, u"=A1+1");               // a failed cell still reads as 0
    for (int row : {1, 2, 3, 4, 6, 11, 12})
        EXPECT_EQ(Text(*g, row, 1), "#NUM!") << "row " << row;
    EXPECT_EQ(Text(*g, 8, 1), "0");
    EXPECT_EQ(Text(*g, 9, 1), "1e+200");
    EXPECT_EQ(Text(*g, 10, 1), "1");
    EXPECT_EQ(Text(*g, 13, 1), "0");
    EXPECT_EQ(Text(*g, 14, 1), "0");
    EXPECT_EQ(Text(*g, 15, 1), "1");
    EXPECT_EQ(Eval(*g, u"1E308*10-1E308*10"), "#NUM!");
    EXPECT_EQ(Eval(*g, u"1E308+1E308"), "#NUM!");

    // A text of a number too large for a double counts as any text does.
    Type(*g, 1, 2, u"1e999");
    Type(*g, 2, 2, u"abc");
    Type(*g, 3, 2, u"-2");
    for (const char16_t* f : {u"SUM(B1:B3)", u"MIN(B1:B3)", u"MAX(B1:B3)", u"COUNTIF(B1:B3,\"EQ(0)\")"}) {
        const std::string withNumberText = Eval(*g, f);
        Type(*g, 1, 2, u"text");
        EXPECT_EQ(withNumberText, Eval(*g, f));
        EXPECT_NE(withNumberText, "#NUM!");
        Type(*g, 1, 2, u"1e999");
    }

    EXPECT_EQ(FormatForDisplay(FindFormator("Percent"), u"1e307"), u"#NUM!");
    EXPECT_EQ(FormatForDisplay(FindFormator("Percent"), u"-0"), u"0%");
    EXPECT_EQ(FormatForDisplay(FindFormator("RMB"), u"1e400"), u"#NUM!");
    std::u16string msg;
    RunValidator(FindValidator("Dbl0_1"), u"1e400", msg);
    EXPECT_EQ(msg, u"不是一个实数。");
}

TEST(BuiltInFunctions, ComparisonsAndLogic)
{
    auto g = DefaultGrid();
    EXPECT_EQ(Eval(*g, u"EQ(1,1)"), "1");
    EXPECT_EQ(Eval(*g, u"EQ(1,2)"), "0");
    EXPECT_EQ(Eval(*g, u"NE(1,2)"), "1");
    EXPECT_EQ(Eval(*g, u"LT(1,2)"), "1");
    EXPECT_EQ(Eval(*g, u"LT(2,2)"), "0");
    EXPECT_EQ(Eval(*g, u"GT(3,2)"), "1");
    EXPECT_EQ(Eval(*g, u"LE(2,2)"), "1");
    EXPECT_EQ(Eval(*g, u"GE(1,2)"), "0");
    EXPECT_EQ(Eval(*g, u"AND(1,2)"), "1");
    EXPECT_EQ(Eval(*g, u"AND(1,0)"), "0");
    EXPECT_EQ(Eval(*g, u"AND(1,1,0)"), "0");   // every argument counts
    EXPECT_EQ(Eval(*g, u"OR(0,0)"), "0");
    EXPECT_EQ(Eval(*g, u"OR(0,0,3)"), "1");
    EXPECT_EQ(Eval(*g, u"OR(0,1/0)"), "#NUM!");   // every argument is evaluated
    EXPECT_EQ(Eval(*g, u"NOT(0)"), "1");
    EXPECT_EQ(Eval(*g, u"NOT(7)"), "0");
    EXPECT_EQ(Eval(*g, u"NOT((A1:A2))"), "#NUM!");
    EXPECT_EQ(Eval(*g, u"IF(0,1,5)"), "5");
    EXPECT_EQ(Eval(*g, u"IF(2,1,5)"), "1");
    EXPECT_EQ(Eval(*g, u"IF(0,1/0,5)"), "#NUM!");
}

TEST(BuiltInFunctions, ListsAndCountIf)
{
    auto g = DefaultGrid();
    g->SetCellText(1, 1, u"1", false);   // A1
    g->SetCellText(1, 2, u"x", false);   // A2
    g->SetCellText(1, 3, u"", false);    // A3
    g->SetCellText(2, 1, u"4", false);   // B1
    g->SetCellText(2, 2, u"-2", false);  // B2
    EXPECT_EQ(Eval(*g, u"AVERAGE(A1:A3)"), "0.333333333333");
    EXPECT_EQ(Eval(*g, u"SUM(A1:B2)"), "3");
    EXPECT_EQ(Eval(*g, u"SUM(A1:B2,10,B1)"), "17");
    EXPECT_EQ(Eval(*g, u"AVERAGE(A1:B1,7)"), "4");
    EXPECT_EQ(Eval(*g, u"PRODUCT(B1:B2,3)"), "-24");
    EXPECT_EQ(Eval(*g, u"PRODUCT(2)"), "2");
    EXPECT_EQ(Eval(*g, u"MIN(A1:B2)"), "-2");
    EXPECT_EQ(Eval(*g, u"MAX(A1:B2)"), "4");
    EXPECT_EQ(Eval(*g, u"MIN(C1:C3)"), "0");
    EXPECT_EQ(Eval(*g, u"MIN(9,12)"), "9");
    EXPECT_EQ(Eval(*g, u"MAX(-9,-12)"), "-9");
    EXPECT_EQ(Eval(*g, u"SUM(1,1/0)"), "#NUM!");
    EXPECT_EQ(Eval(*g, u"COUNTIF(C1:C3,\"GE(0)\")"), "3");
    EXPECT_EQ(Eval(*g, u"COUNTIF(C1:C3,\"GT(0)\")"), "0");
    EXPECT_EQ(Eval(*g, u"COUNTIF(A1:B2,\"GT(B2)\")"), "3");
    EXPECT_EQ(Eval(*g, u"COUNTIF(A1:B2,\"EQ(1/0)\")"), "#NUM!");
}

TEST(BuiltInFunctions, NumericFunctions)
{
    auto g = DefaultGrid();
    EXPECT_EQ(Eval(*g, u"PI()"), "3.14159265359");
    double pi = 0;
    ASSERT_TRUE(ParseFormula(u"PI()")->Evaluate(pi, *g));
    EXPECT_EQ(pi, 3.141592653589793);
    EXPECT_EQ(Eval(*g, u"ROUND(2.5)"), "3");
    EXPECT_EQ(Eval(*g, u"ROUND(-2.5)"), "-2");
    EXPECT_EQ(Eval(*g, u"ROUND(-2.7)"), "-3");
    EXPECT_EQ(Eval(*g, u"ROUND(2.4)"), "2");
    EXPECT_EQ(Eval(*g, u"ROUND(1E12+0.6)"), "1e+12");   // beyond 32 bits, no overflow
    EXPECT_EQ(Eval(*g, u"SIN(0)"), "0");
    EXPECT_EQ(Eval(*g, u"COS(0)"), "1");
    EXPECT_EQ(Eval(*g, u"SIN(PI()/2)"), "1");
    EXPECT_EQ(Eval(*g, u"LOG(100)"), "2");
    EXPECT_EQ(Eval(*g, u"LOG(0)"), "#NUM!");
    EXPECT_EQ(Eval(*g, u"LOG(-1)"), "#NUM!");
}

TEST(BuiltInFunctions, CriterionTestsTheValueAsSixteenDigitText)
{
    auto g = DefaultGrid();
    // 0.1+0.2 is 0.30000000000000004; as "%.16g" text it is 0.3.
    g->SetCellText(1, 1, u"0.30000000000000004", false);
    EXPECT_EQ(Eval(*g, u"COUNTIF(A1:A1,\"EQ(0.3)\")"), "1");
    EXPECT_EQ(Eval(*g, u"EQ(A1,0.3)"), "0");
    // A value of seventeen digits still equals itself, and is neither above
    // nor below it.
    g->SetCellText(1, 2, u"123456789.123456789", false);
    for (const auto& [criterion, count] : {std::pair{u"EQ", "1"}, {u"LE", "1"}, {u"GE", "1"}, {u"NE", "0"},
                                           {u"LT", "0"}, {u"GT", "0"}}) {
        const std::u16string formula = u"COUNTIF(A2:A2,\"" + std::u16string(criterion) + u"(A2)\")";
        EXPECT_EQ(Eval(*g, formula.c_str()), count) << char(criterion[0]) << char(criterion[1]);
    }
}

// Number text must not follow the user's locale.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* saved = std::setlocale(LC_NUMERIC, nullptr);
        saved_ = saved ? saved : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"})
            if (std::setlocale(LC_NUMERIC, name))
                return;
        // None installed: build one for this test from the system's sources.
        auto dir = std::filesystem::temp_directory_path() / "grid-test-locale";
        std::filesystem::create_directories(dir);
        std::string cmd = "localedef -i de_DE -f UTF-8 '" + (dir / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) {
            setenv("LOCPATH", dir.c_str(), 1);
            if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
                return;
        }
        GTEST_SKIP() << "no locale with a decimal comma is available";
    }
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, saved_.c_str());
        unsetenv("LOCPATH");
    }
    std::string saved_;
};

TEST_F(CommaLocale, FormatsAndReadsWithAPoint)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", 1.5);
    ASSERT_STREQ(buf, "1,5") << "the locale is not in effect";
    EXPECT_EQ(FormatNumber(1.5, 12), "1.5");
    EXPECT_EQ(FormatNumber(1.0 / 3, 12), "0.333333333333");
    double v = 0;
    EXPECT_EQ(ReadRealPrefix(u"1.25", v), 4u);
    EXPECT_EQ(v, 1.25);
    EXPECT_EQ(ReadRealPrefix(u"1,25", v), 1u);
    auto g = DefaultGrid();
    Type(*g, 1, 1, u"2.5");
    Type(*g, 1, 2, u"=A1*1.5");
    EXPECT_EQ(Text(*g, 1, 2), "3.75");
    EXPECT_EQ(Narrow(FormatForDisplay(FindFormator("Percent"), u"0.125")), "12.5%");
}
