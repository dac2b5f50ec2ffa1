#include "grid/Parser.h"

#include "grid/Functions.h"
#include "grid/NumberText.h"

#include <algorithm>
#include <climits>

namespace grid {

namespace {

bool IsDelimiter(char16_t c)
{
    switch (c) {
    case u' ': case u'\t': case u'(': case u')': case u',': case u'*':
    case u'/': case u'"': case u'+': case u'-':
        return true;
    default:
        return false;
    }
}

struct Token {
    enum Kind { Number, Function, Range, Cell, Punct, End } kind = End;
    std::u16string text;
    char16_t ch = 0;
    int fn = -1;
    int r1 = 0, c1 = 0, r2 = 0, c2 = 0;

    bool Is(char16_t c) const { return kind == Punct && ch == c; }
};

class Lexer {
public:
    explicit Lexer(std::u16string_view text) : s_(text) {}

    // False when the text does not lex.
    bool Next(Token& t)
    {
        while (pos_ < s_.size() && (s_[pos_] == u' ' || s_[pos_] == u'\t'))
            ++pos_;
        t = Token{};
        if (pos_ >= s_.size()) {
            t.kind = Token::End;
            return true;
        }
        const char16_t c = s_[pos_];
        if ((c >= u'0' && c <= u'9') || c == u'.')
            return Number(t);
        if (c >= u'A' && c <= u'Z')
            return Word(t);
        if (!IsDelimiter(c))
            return false;
        t.kind = Token::Punct;
        t.ch = c;
        ++pos_;
        return true;
    }

private:
    bool Number(Token& t)
    {
        const std::size_t start = pos_;
        while (pos_ < s_.size()) {
            char16_t c = s_[pos_];
            bool signAfterExponent = (c == u'+' || c == u'-') && pos_ > start
                                     && (s_[pos_ - 1] == u'e' || s_[pos_ - 1] == u'E');
            if (IsDelimiter(c) && !signAfterExponent)
                break;
            ++pos_;
        }
        t.kind = Token::Number;
        t.text = std::u16string(s_.substr(start, pos_ - start));
        double v = 0;
        return ReadRealPrefix(t.text, v) == t.text.size();
    }

    bool Word(Token& t)
    {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && !IsDelimiter(s_[pos_]))
            ++pos_;
        std::u16string_view w = s_.substr(start, pos_ - start);
        t.text = std::u16string(w);
        int fn = FindFunction(w);
        if (fn >= 0) {
            t.kind = Token::Function;
            t.fn = fn;
            return true;
        }
        std::size_t colon = w.find(u':');
        if (colon != std::u16string_view::npos) {
            t.kind = Token::Range;
            return ParseCellReference(w.substr(0, colon), t.r1, t.c1)
                   && ParseCellReference(w.substr(colon + 1), t.r2, t.c2)
                   && t.c2 >= t.c1 && t.r2 >= t.r1;
        }
        t.kind = Token::Cell;
        return ParseCellReference(w, t.r1, t.c1);
    }

    std::u16string_view s_;
    std::size_t pos_ = 0;
};

class Parser {
public:
    explicit Parser(std::u16string_view text) : lex_(text) {}

    NodePtr Parse()
    {
        if (!Advance())
            return nullptr;
        int depth = 0;
        return Formula(depth);
    }

private:
    bool Advance() { return lex_.Next(tok_); }

    // Every routine reports the depth of the tree it built; trees deeper than
    // kMaxNodeDepth are refused so that walking them cannot exhaust the stack.
    bool Deeper(int& depth, int child)
    {
        depth = std::max(depth, child + 1);
        return depth <= kMaxNodeDepth || Refuse(FormulaRefusal::TooDeep);
    }

    // Keeps the first reason a parse fails for; always false.
    bool Refuse(FormulaRefusal why)
    {
        if (why_ == FormulaRefusal::NotAFormula)
            why_ = why;
        return false;
    }

    NodePtr Formula(int& depth)
    {
        if (++nesting_ > kMaxNodeDepth) {
            Refuse(FormulaRefusal::TooDeep);
            return nullptr;
        }
        NodePtr node;
        depth = 0;
        if (tok_.Is(u'+') || tok_.Is(u'-')) {
            char16_t sign = tok_.ch;
            if (!Advance())
                return nullptr;
            int d = 0;
            NodePtr t = Term(d);
            if (!t || !Deeper(depth, d))
                return nullptr;
            node = std::make_unique<NegExp>(sign, std::move(t));
        } else {
            node = Term(depth);
            if (!node)
                return nullptr;
        }
        while (tok_.Is(u'+') || tok_.Is(u'-')) {
            char16_t op = tok_.ch;
            if (!Advance())
                return nullptr;
            int d = 0;
            NodePtr r = Term(d);
            if (!r || !Deeper(depth, std::max(depth, d)))
                return nullptr;
            node = std::make_unique<AddExp>(std::move(node), std::move(r), op);
        }
        --nesting_;
        return node;
    }

    NodePtr Term(int& depth)
    {
        NodePtr node = Factor(depth);
        if (!node)
            return nullptr;
        while (tok_.Is(u'*') || tok_.Is(u'/')) {
            char16_t op = tok_.ch;
            if (!Advance())
                return nullptr;
            int d = 0;
            NodePtr r = Factor(d);
            if (!r || !Deeper(depth, std::max(depth, d)))
                return nullptr;
            node = std::make_unique<MulExp>(std::move(node), std::move(r), op);
        }
        return node;
    }

    NodePtr Factor(int& depth)
    {
        depth = 1;
        NodePtr node;
        switch (tok_.kind) {
        case Token::Number:
            node = std::make_unique<ConExp>(tok_.text);
            break;
        case Token::Cell:
            node = std::make_unique<CellExp>(tok_.r1, tok_.c1);
            break;
        case Token::Range:
            node = std::make_unique<RangeExp>(tok_.r1, tok_.c1, tok_.r2, tok_.c2);
            break;
        case Token::Function:
            return Call(tok_.fn, depth);
        case Token::Punct:
            if (tok_.ch == u'(') {
                if (!Advance())
                    return nullptr;
                int d = 0;
                NodePtr inner = Formula(d);
                if (!inner || !tok_.Is(u')') || !Deeper(depth, d))
                    return nullptr;
                node = std::make_unique<ParExp>(std::move(inner));
                break;
            }
            return nullptr;
        case Token::End:
            return nullptr;
        }
        if (!Advance())
            return nullptr;
        return node;
    }

    NodePtr Call(int fn, int& depth)
    {
        depth = 1;
        if (!Advance() || !tok_.Is(u'('))
            return nullptr;
        if (!Advance())
            return nullptr;
        NodeList args;
        if (tok_.Is(u')')) {
            if (!Advance())
                return nullptr;
        } else {
            for (;;) {
                if (tok_.Is(u'"')) {
                    // A criterion is never first and always last.
                    if (args.empty())
                        return nullptr;
                    int d = 0;
                    NodePtr crit = Criterion(d);
                    if (!crit || !tok_.Is(u')') || !Deeper(depth, d))
                        return nullptr;
                    args.push_back(std::move(crit));
                    if (!Advance())
                        return nullptr;
                    break;
                }
                int d = 0;
                NodePtr arg = Formula(d);
                if (!arg || !Deeper(depth, d))
                    return nullptr;
                args.push_back(std::move(arg));
                if (tok_.Is(u',')) {
                    if (!Advance())
                        return nullptr;
                    continue;
                }
                if (!tok_.Is(u')') || !Advance())
                    return nullptr;
                break;
            }
        }
        if (!CheckArguments(fn, args))
            return nullptr;
        return std::make_unique<FunExp>(fn, std::move(args));
    }

    // "CMP(formula)" with CMP one of the six comparisons.
    NodePtr Criterion(int& depth)
    {
        // COUNTIF evaluates its criterion once per cell: criteria inside
        // criteria would multiply that without bound.
        if (inCriterion_) {
            Refuse(FormulaRefusal::CriterionInCriterion);
            return nullptr;
        }
        if (!Advance() || tok_.kind != Token::Function || tok_.fn > FnGE)
            return nullptr;
        const int cmp = tok_.fn;
        if (!Advance() || !tok_.Is(u'(') || !Advance())
            return nullptr;
        int d = 0;
        inCriterion_ = true;
        NodePtr operand = Formula(d);
        inCriterion_ = false;
        if (!operand || operand->Code() == RangeCode || !tok_.Is(u')'))
            return nullptr;
        depth = d + 2;   // the criterion and its comparison call
        if (depth > kMaxNodeDepth) {
            Refuse(FormulaRefusal::TooDeep);
            return nullptr;
        }
        if (!Advance() || !tok_.Is(u'"') || !Advance())
            return nullptr;
        NodeList one;
        one.push_back(std::move(operand));
        auto call = std::make_unique<FunExp>(cmp, std::move(one));
        call->criterion = true;
        return std::make_unique<PreExp>(std::move(call));
    }

    Lexer lex_;
    Token tok_;
    int nesting_ = 0;
    bool inCriterion_ = false;

public:
    FormulaRefusal why_ = FormulaRefusal::NotAFormula;
};

}   // namespace

bool ParseCellReference(std::u16string_view w, int& row, int& column)
{
    std::size_t i = 0;
    long long col = 0;
    while (i < w.size() && w[i] >= u'A' && w[i] <= u'Z') {
        col = col * 26 + (w[i] - u'A' + 1);
        if (col > INT_MAX)
            return false;
        ++i;
    }
    if (i == 0 || i == w.size())
        return false;
    long long r = 0;
    for (; i < w.size(); ++i) {
        if (w[i] < u'0' || w[i] > u'9')
            return false;
        r = r * 10 + (w[i] - u'0');
        if (r > INT_MAX)
            return false;
    }
    if (r <= 0)
        return false;
    row = int(r);
    column = int(col);
    return true;
}

NodePtr ParseFormula(std::u16string_view text, FormulaRefusal* why)
{
    Parser parser(text);
    NodePtr root = parser.Parse();
    if (!root && why)
        *why = parser.why_;
    return root;
}

}   // namespace grid
