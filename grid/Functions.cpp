#include "grid/Functions.h"

#include "grid/NumberText.h"

#include <cfloat>
#include <cmath>

namespace grid {

namespace {

using Evaluator = bool (*)(const NodeList&, double&, const CellTextSource&);

bool IsRange(const NodePtr& n) { return n->Code() == RangeCode; }
bool IsCriterion(const NodePtr& n) { return n->Code() == PreCode; }

// Evaluates every argument in order, stopping at the first failure.
bool EvalAll(const NodeList& args, std::vector<double>& values, const CellTextSource& cells)
{
    values.clear();
    for (const auto& a : args) {
        double v = 0;
        if (!a->Evaluate(v, cells))
            return false;
        values.push_back(v);
    }
    return true;
}

template <int Index>
bool Comparison(const NodeList& args, double& out, const CellTextSource& cells)
{
    std::vector<double> v;
    if (!EvalAll(args, v, cells))
        return false;
    out = Compare(Index, v[0], v[1]);
    return true;
}

// AND and OR take every argument into account; all are evaluated in any case.
bool And(const NodeList& args, double& out, const CellTextSource& cells)
{
    std::vector<double> v;
    if (!EvalAll(args, v, cells))
        return false;
    out = 1.0;
    for (double x : v)
        if (x == 0)
            out = 0.0;
    return true;
}

bool Or(const NodeList& args, double& out, const CellTextSource& cells)
{
    std::vector<double> v;
    if (!EvalAll(args, v, cells))
        return false;
    out = 0.0;
    for (double x : v)
        if (x != 0)
            out = 1.0;
    return true;
}

bool Not(const NodeList& args, double& out, const CellTextSource& cells)
{
    double a = 0;
    if (!args[0]->Evaluate(a, cells))
        return false;
    out = a == 0 ? 1.0 : 0.0;
    return true;
}

bool If(const NodeList& args, double& out, const CellTextSource& cells)
{
    std::vector<double> v;
    if (!EvalAll(args, v, cells))
        return false;
    out = v[0] == 0 ? v[2] : v[1];
    return true;
}

bool CountIf(const NodeList& args, double& out, const CellTextSource& cells)
{
    const auto& range = static_cast<const RangeExp&>(*args[0]);
    const ExpNode& criterion = *args[1];
    double count = 0;
    bool ok = range.ForEachCell(
        cells,
        [&](const std::u16string& text) {
            double v = 0;
            if (!CellValue(text, v) || !criterion.Evaluate(v, cells))
                return false;
            count += v;
            return true;
        },
        [&](long long empties) {
            double v = 0;
            if (!criterion.Evaluate(v, cells))
                return false;
            count += v * double(empties);
            return true;
        });
    if (!ok)
        return false;
    out = count;
    return true;
}

bool Pi(const NodeList&, double& out, const CellTextSource&)
{
    out = 3.141592653589793;
    return true;
}

enum class ListKind { Sum, Average, Product, Min, Max };

template <ListKind Kind>
bool ValueList(const NodeList& args, double& out, const CellTextSource& cells)
{
    double acc = Kind == ListKind::Product ? 1.0 : Kind == ListKind::Min ? DBL_MAX : Kind == ListKind::Max ? -DBL_MAX : 0.0;
    double n = 0;
    auto take = [&](double v) {
        switch (Kind) {
        case ListKind::Sum:
        case ListKind::Average: acc += v; break;
        case ListKind::Product: acc *= v; break;
        case ListKind::Min: if (v < acc) acc = v; break;
        case ListKind::Max: if (v > acc) acc = v; break;
        }
        n += 1;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto& a = args[i];
        if (IsRange(a)) {
            const bool ok = static_cast<const RangeExp&>(*a).ForEachCell(
                cells,
                [&](const std::u16string& text) {
                    double v = 0;
                    if (!CellValue(text, v))
                        return false;
                    take(v);
                    return true;
                },
                [&](long long empties) {
                    // Empty cells all read 0: one take, plus the rest of the count.
                    take(0.0);
                    n += double(empties - 1);
                    return true;
                });
            if (!ok)
                return false;
        } else {
            double v = 0;
            if (!a->Evaluate(v, cells))
                return false;
            if (i == 0 && (Kind == ListKind::Min || Kind == ListKind::Max)) {
                acc = v;
                n += 1;
            } else {
                take(v);
            }
        }
    }
    if (Kind == ListKind::Average) {
        out = acc / n;
        return true;
    }
    out = acc;
    return true;
}

template <double (*F)(double)>
bool Unary(const NodeList& args, double& out, const CellTextSource& cells)
{
    double a = 0;
    if (!args[0]->Evaluate(a, cells))
        return false;
    out = F(a);
    return true;
}

// Half away from minus infinity: 2.5 -> 3, -2.5 -> -2, -2.7 -> -3.
// Adding 0.5 first would round 0.49999999999999994 up through the addition.
double RoundHalfUp(double a)
{
    const double down = std::floor(a);
    return a - down >= 0.5 ? down + 1 : down;
}
double Sine(double a) { return std::sin(a); }
double Cosine(double a) { return std::cos(a); }

bool Log(const NodeList& args, double& out, const CellTextSource& cells)
{
    double a = 0;
    if (!args[0]->Evaluate(a, cells))
        return false;
    if (!(a > 0))
        return false;
    out = std::log10(a);
    return true;
}

struct FunctionRow {
    const char16_t* name;
    ArgRule rule;
    Evaluator eval;
};

const FunctionRow kFunctions[kFunctionCount] = {
    {u"EQ", ArgRule::Two, &Comparison<0>},
    {u"NE", ArgRule::Two, &Comparison<1>},
    {u"LT", ArgRule::Two, &Comparison<2>},
    {u"GT", ArgRule::Two, &Comparison<3>},
    {u"LE", ArgRule::Two, &Comparison<4>},
    {u"GE", ArgRule::Two, &Comparison<5>},
    {u"AND", ArgRule::Several, &And},
    {u"OR", ArgRule::Several, &Or},
    {u"NOT", ArgRule::One, &Not},
    {u"IF", ArgRule::Three, &If},
    {u"COUNTIF", ArgRule::Counted, &CountIf},
    {u"PI", ArgRule::None, &Pi},
    {u"SUM", ArgRule::List, &ValueList<ListKind::Sum>},
    {u"AVERAGE", ArgRule::List, &ValueList<ListKind::Average>},
    {u"PRODUCT", ArgRule::List, &ValueList<ListKind::Product>},
    {u"MIN", ArgRule::List, &ValueList<ListKind::Min>},
    {u"MAX", ArgRule::List, &ValueList<ListKind::Max>},
    {u"ROUND", ArgRule::One, &Unary<&RoundHalfUp>},
    {u"SIN", ArgRule::One, &Unary<&Sine>},
    {u"COS", ArgRule::One, &Unary<&Cosine>},
    {u"LOG", ArgRule::One, &Log},
};

bool NonePlain(const NodeList& args)
{
    for (const auto& a : args)
        if (IsRange(a) || IsCriterion(a))
            return false;
    return true;
}

}   // namespace

double Compare(int index, double a, double b)
{
    bool r = false;
    switch (index) {
    case FnEQ: r = a == b; break;
    case FnNE: r = a != b; break;
    case FnLT: r = a < b; break;
    case FnGT: r = a > b; break;
    case FnLE: r = a <= b; break;
    case FnGE: r = a >= b; break;
    default: break;
    }
    return r ? 1.0 : 0.0;
}

int FindFunction(std::u16string_view name)
{
    for (int i = 0; i < kFunctionCount; ++i)
        if (name == kFunctions[i].name)
            return i;
    return -1;
}

const char16_t* FunctionName(int index)
{
    return index >= 0 && index < kFunctionCount ? kFunctions[index].name : nullptr;
}

ArgRule FunctionRule(int index) { return kFunctions[index].rule; }

bool CheckArguments(int index, const NodeList& args)
{
    if (index < 0 || index >= kFunctionCount)
        return false;
    switch (kFunctions[index].rule) {
    case ArgRule::Two: return args.size() == 2 && NonePlain(args);
    case ArgRule::Several: return args.size() > 1 && NonePlain(args);
    case ArgRule::One: return args.size() == 1 && NonePlain(args);
    case ArgRule::Three: return args.size() == 3 && NonePlain(args);
    case ArgRule::Counted: return args.size() == 2 && IsRange(args[0]) && IsCriterion(args[1]);
    case ArgRule::None: return args.empty();
    case ArgRule::List:
        if (args.empty())
            return false;
        for (const auto& a : args)
            if (IsCriterion(a))
                return false;
        return true;
    }
    return false;
}

bool CallFunction(int index, const NodeList& args, double& value, const CellTextSource& cells)
{
    if (!CheckArguments(index, args))
        return false;
    return kFunctions[index].eval(args, value, cells);
}

}   // namespace grid
