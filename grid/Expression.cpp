#include "grid/Expression.h"

#include "grid/Archive.h"
#include "grid/Functions.h"
#include "grid/NumberText.h"

#include <cmath>

namespace grid {

namespace {

[[noreturn]] void Damaged(const char* what)
{
    throw GridStreamError(GridStreamError::BadData, what);
}

// Set while a criterion's comparison loads: a criterion inside a criterion
// is refused, as the parser refuses it.
thread_local bool t_loadingCriterion = false;

// Row and column 0 have no name in formula text, so no reference may hold them.
std::int32_t ReadIndex(ArchiveReader& ar)
{
    std::uint32_t v = ar.U32();
    if (v == 0 || v > 0x7FFFFFFFu)
        Damaged("A cell reference in the grid stream is out of range.");
    return std::int32_t(v);
}

}   // namespace

std::u16string ColumnLetters(int column)
{
    if (column < 1)
        return {};
    std::u16string s;
    long long n = (long long)column - 1;
    while (n >= 26) {
        s.insert(s.begin(), char16_t(u'A' + n % 26));
        n = n / 26 - 1;
    }
    s.insert(s.begin(), char16_t(u'A' + n));
    return s;
}

std::u16string CellName(int row, int column)
{
    if (row < 1 || column < 1)
        return {};
    return ColumnLetters(column) + Ascii16(std::to_string(row));
}

// --- NegExp

std::u16string NegExp::ToString() const
{
    return std::u16string(1, sign) + operand->ToString();
}

bool NegExp::Evaluate(double& value, const CellTextSource& cells) const
{
    if (!operand->Evaluate(value, cells))
        return false;
    if (sign == u'-')
        value = -value;
    return true;
}

void NegExp::Store(ArchiveWriter& ar) const
{
    ar.U16(sign);
    StoreNode(ar, *operand);
}

void NegExp::Load(ArchiveReader& ar, int depth)
{
    sign = char16_t(ar.U16());
    if (sign != u'+' && sign != u'-')
        Damaged("A sign in the grid stream is not + or -.");
    operand = LoadNode(ar, depth + 1);
}

// --- AddExp, MulExp

std::u16string BinaryExp::ToString() const
{
    // Long chains are left-deep: walk down the left side instead of recursing,
    // so the text is built in one pass.
    std::vector<const BinaryExp*> chain{this};
    while (auto* b = dynamic_cast<const BinaryExp*>(chain.back()->left.get()))
        chain.push_back(b);
    std::u16string s = chain.back()->left->ToString();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        s += (*it)->op;
        s += (*it)->right->ToString();
    }
    return s;
}

void BinaryExp::Accept(Visitor& visitor)
{
    left->Accept(visitor);
    right->Accept(visitor);
}

bool BinaryExp::RefersTo(int row, int col) const
{
    return left->RefersTo(row, col) || right->RefersTo(row, col);
}

void BinaryExp::Store(ArchiveWriter& ar) const
{
    // The operator comes first in the stream, unlike in memory.
    ar.U16(op);
    StoreNode(ar, *left);
    StoreNode(ar, *right);
}

void BinaryExp::Load(ArchiveReader& ar, int depth)
{
    op = char16_t(ar.U16());
    if (!ValidOperator(op))
        Damaged("An operator in the grid stream is not valid.");
    left = LoadNode(ar, depth + 1);
    right = LoadNode(ar, depth + 1);
}

bool AddExp::Evaluate(double& value, const CellTextSource& cells) const
{
    double a = 0, b = 0;
    if (!left->Evaluate(a, cells) || !right->Evaluate(b, cells))
        return false;
    value = op == u'-' ? a - b : a + b;
    return std::isfinite(value);
}

bool MulExp::Evaluate(double& value, const CellTextSource& cells) const
{
    double a = 0, b = 0;
    if (!left->Evaluate(a, cells) || !right->Evaluate(b, cells))
        return false;
    if (op == u'/') {
        if (b == 0)
            return false;
        value = a / b;
    } else {
        value = a * b;
    }
    return std::isfinite(value);
}

// --- ConExp

bool ConExp::Evaluate(double& value, const CellTextSource&) const
{
    // A literal too large for a double reads as an infinity: a failure.
    value = 0;
    ReadRealPrefix(text, value);
    return std::isfinite(value);
}

void ConExp::Store(ArchiveWriter& ar) const { ar.String(text); }
void ConExp::Load(ArchiveReader& ar, int) { text = ar.String(); }

// --- CellExp

std::u16string CellExp::ToString() const { return CellName(row, column); }

bool CellExp::Evaluate(double& value, const CellTextSource& cells) const
{
    return CellValue(cells.CellTextAt(column, row), value);
}

void CellExp::Store(ArchiveWriter& ar) const
{
    ar.U32(std::uint32_t(row));
    ar.U32(std::uint32_t(column));
}

void CellExp::Load(ArchiveReader& ar, int)
{
    row = ReadIndex(ar);
    column = ReadIndex(ar);
}

// --- RangeExp

std::u16string RangeExp::ToString() const
{
    return CellName(row1, col1) + u":" + CellName(row2, col2);
}

void RangeExp::Store(ArchiveWriter& ar) const
{
    ar.U32(std::uint32_t(row1));
    ar.U32(std::uint32_t(col1));
    ar.U32(std::uint32_t(row2));
    ar.U32(std::uint32_t(col2));
}

void RangeExp::Load(ArchiveReader& ar, int)
{
    row1 = ReadIndex(ar);
    col1 = ReadIndex(ar);
    row2 = ReadIndex(ar);
    col2 = ReadIndex(ar);
    if (row2 < row1 || col2 < col1)
        Damaged("A range in the grid stream is reversed.");
}

// --- FunExp

std::u16string FunExp::ToString() const
{
    std::u16string s = FunctionName(index);
    s += u'(';
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i)
            s += u',';
        s += args[i]->ToString();
    }
    s += u')';
    return s;
}

bool FunExp::Evaluate(double& value, const CellTextSource& cells) const
{
    // A result that is not finite (an overflowing sum, the sine of a huge
    // value) fails as a failing argument does.
    return CallFunction(index, args, value, cells) && std::isfinite(value);
}

void FunExp::Accept(Visitor& visitor)
{
    for (auto& a : args)
        a->Accept(visitor);
}

bool FunExp::RefersTo(int row, int col) const
{
    for (const auto& a : args)
        if (a->RefersTo(row, col))
            return true;
    return false;
}

void FunExp::Store(ArchiveWriter& ar) const
{
    ar.U32(std::uint32_t(index));
    ar.U32(std::uint32_t(args.size()));
    for (const auto& a : args)
        StoreNode(ar, *a);
}

void FunExp::Load(ArchiveReader& ar, int depth)
{
    std::uint32_t i = ar.U32();
    if (i >= std::uint32_t(kFunctionCount))
        Damaged("A function index in the grid stream is out of range.");
    index = std::int32_t(i);
    std::uint32_t n = ar.U32();
    // Every argument takes at least its 4-byte code.
    if (n > ar.Remaining() / 4)
        Damaged("An argument count in the grid stream runs past its end.");
    args.clear();
    for (std::uint32_t k = 0; k < n; ++k)
        args.push_back(LoadNode(ar, depth + 1));
    if (criterion) {
        if (index > FnGE || args.size() != 1 || args[0]->Code() == RangeCode || args[0]->Code() == PreCode)
            Damaged("A criterion in the grid stream is not a comparison.");
    } else if (!CheckArguments(index, args)) {
        Damaged("A function call in the grid stream breaks its argument rule.");
    }
}

// --- ParExp

void ParExp::Store(ArchiveWriter& ar) const { StoreNode(ar, *operand); }
void ParExp::Load(ArchiveReader& ar, int depth) { operand = LoadNode(ar, depth + 1); }

// --- PreExp

bool PreExp::Evaluate(double& value, const CellTextSource& cells) const
{
    // The tested value goes in as "%.16g" text, as if typed as the first operand.
    double tested = 0;
    ReadRealPrefix(FormatNumber16(value, 16), tested);
    double b = 0;
    if (!call->args[0]->Evaluate(b, cells))
        return false;
    // A value always equals itself: sixteen digits do not hold every double
    // (123456789.123456789 needs seventeen), so an exact match compares as one.
    value = Compare(call->index, value == b ? b : tested, b);
    return true;
}

void PreExp::Store(ArchiveWriter& ar) const { StoreNode(ar, *call); }

void PreExp::Load(ArchiveReader& ar, int depth)
{
    if (depth + 1 > kMaxNodeDepth)
        Damaged("A formula in the grid stream is nested too deeply.");
    if (ar.U32() != FunCode)
        Damaged("A criterion in the grid stream is not a comparison.");
    if (t_loadingCriterion)
        Damaged("A criterion in the grid stream holds another criterion.");
    call = std::make_unique<FunExp>();
    call->criterion = true;
    struct Inside {
        Inside() { t_loadingCriterion = true; }
        ~Inside() { t_loadingCriterion = false; }
    } inside;
    call->Load(ar, depth + 1);
}

// --- factory

NodePtr CreateNode(std::uint32_t code)
{
    switch (code) {
    case NegCode: return std::make_unique<NegExp>();
    case AddCode: return std::make_unique<AddExp>();
    case MulCode: return std::make_unique<MulExp>();
    case ConCode: return std::make_unique<ConExp>();
    case CellCode: return std::make_unique<CellExp>();
    case RangeCode: return std::make_unique<RangeExp>();
    case FunCode: return std::make_unique<FunExp>();
    case ParCode: return std::make_unique<ParExp>();
    case PreCode: return std::make_unique<PreExp>();
    default: return nullptr;
    }
}

NodePtr LoadNode(ArchiveReader& ar, int depth)
{
    if (depth > kMaxNodeDepth)
        Damaged("A formula in the grid stream is nested too deeply.");
    NodePtr n = CreateNode(ar.U32());
    if (!n)
        Damaged("A formula node in the grid stream has an unknown type.");
    n->Load(ar, depth);
    return n;
}

void SkipNode(ArchiveReader& ar)
{
    std::uint64_t pending = 1;
    while (pending) {
        --pending;
        std::uint32_t code = ar.U32();
        if (code == PreCode) {
            if (ar.U32() != FunCode)
                Damaged("A criterion in the grid stream is not a comparison.");
            code = FunCode;
        }
        switch (code) {
        case NegCode: ar.U16(); pending += 1; break;
        case AddCode:
        case MulCode: ar.U16(); pending += 2; break;
        case ConCode: ar.String(); break;
        case CellCode: ar.Bytes(8); break;
        case RangeCode: ar.Bytes(16); break;
        case FunCode: {
            ar.U32();
            const std::uint32_t n = ar.U32();
            if (n > ar.Remaining() / 4)
                Damaged("An argument count in the grid stream runs past its end.");
            pending += n;
            break;
        }
        case ParCode: pending += 1; break;
        default: Damaged("A formula node in the grid stream has an unknown type.");
        }
        // Every pending node takes at least its 4-byte code.
        if (pending > ar.Remaining() / 4)
            Damaged("A formula in the grid stream runs past its end.");
    }
}

void StoreNode(ArchiveWriter& ar, const ExpNode& node)
{
    ar.U32(std::uint32_t(node.Code()));
    node.Store(ar);
}

}   // namespace grid
