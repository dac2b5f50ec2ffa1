// Formula expression tree: nine node classes with their text form, evaluation,
// reference visiting, self-reference test and stream form.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace grid {

class ArchiveReader;
class ArchiveWriter;

// What formulas read: cell texts by grid index. Cells past the end read as empty.
class CellTextSource {
public:
    virtual ~CellTextSource() = default;
    virtual const std::u16string& CellTextAt(int col, int row) const = 0;
    virtual int RowCount() const = 0;
    virtual int ColumnCount() const = 0;
};

enum NodeCode : std::int32_t {
    NegCode = 0, AddCode = 1, MulCode = 2, ConCode = 3, CellCode = 4,
    RangeCode = 5, FunCode = 6, ParCode = 7, PreCode = 8,
};

class CellExp;
class RangeExp;

// Rewrites references when rows or columns are inserted or deleted.
class Visitor {
public:
    Visitor(int first, int count) : first(first), count(count) {}
    virtual void VisitCell(CellExp& cell) = 0;
    virtual void VisitRange(RangeExp& range) = 0;

    std::int32_t first;
    std::int32_t count;
    std::int32_t refDeleted = 0;
    std::int32_t changed = 0;

protected:
    ~Visitor() = default;
};

class ExpNode {
public:
    explicit ExpNode(std::int32_t code) : code_(code) {}
    virtual ~ExpNode() = default;
    ExpNode(const ExpNode&) = delete;
    ExpNode& operator=(const ExpNode&) = delete;

    std::int32_t Code() const { return code_; }
    virtual std::u16string ToString() const = 0;
    virtual bool Evaluate(double& value, const CellTextSource& cells) const = 0;
    virtual void Accept(Visitor& visitor) = 0;
    virtual bool RefersTo(int row, int col) const = 0;
    virtual void Store(ArchiveWriter& ar) const = 0;
    virtual void Load(ArchiveReader& ar, int depth) = 0;

private:
    std::int32_t code_;
};

using NodePtr = std::unique_ptr<ExpNode>;
using NodeList = std::vector<NodePtr>;

class NegExp : public ExpNode {
public:
    NegExp() : ExpNode(NegCode) {}
    NegExp(char16_t sign, NodePtr operand) : ExpNode(NegCode), sign(sign), operand(std::move(operand)) {}
    std::u16string ToString() const override;
    bool Evaluate(double& value, const CellTextSource& cells) const override;
    void Accept(Visitor& visitor) override { operand->Accept(visitor); }
    bool RefersTo(int row, int col) const override { return operand->RefersTo(row, col); }
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    char16_t sign = u'-';
    NodePtr operand;
};

// AddExp and MulExp: left, right, operator.
class BinaryExp : public ExpNode {
public:
    using ExpNode::ExpNode;
    std::u16string ToString() const override;
    void Accept(Visitor& visitor) override;
    bool RefersTo(int row, int col) const override;
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    NodePtr left;
    NodePtr right;
    char16_t op = 0;

protected:
    virtual bool ValidOperator(char16_t c) const = 0;
};

class AddExp : public BinaryExp {
public:
    AddExp() : BinaryExp(AddCode) { op = u'+'; }
    AddExp(NodePtr l, NodePtr r, char16_t o) : BinaryExp(AddCode) { left = std::move(l); right = std::move(r); op = o; }
    bool Evaluate(double& value, const CellTextSource& cells) const override;

protected:
    bool ValidOperator(char16_t c) const override { return c == u'+' || c == u'-'; }
};

class MulExp : public BinaryExp {
public:
    MulExp() : BinaryExp(MulCode) { op = u'*'; }
    MulExp(NodePtr l, NodePtr r, char16_t o) : BinaryExp(MulCode) { left = std::move(l); right = std::move(r); op = o; }
    bool Evaluate(double& value, const CellTextSource& cells) const override;

protected:
    bool ValidOperator(char16_t c) const override { return c == u'*' || c == u'/'; }
};

class ConExp : public ExpNode {
public:
    ConExp() : ExpNode(ConCode) {}
    explicit ConExp(std::u16string text) : ExpNode(ConCode), text(std::move(text)) {}
    std::u16string ToString() const override { return text; }
    bool Evaluate(double& value, const CellTextSource& cells) const override;
    void Accept(Visitor&) override {}
    bool RefersTo(int, int) const override { return false; }
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    std::u16string text;
};

class CellExp : public ExpNode {
public:
    CellExp() : ExpNode(CellCode) {}
    CellExp(int row, int col) : ExpNode(CellCode), row(row), column(col) {}
    std::u16string ToString() const override;
    bool Evaluate(double& value, const CellTextSource& cells) const override;
    void Accept(Visitor& visitor) override { visitor.VisitCell(*this); }
    bool RefersTo(int r, int c) const override { return r == row && c == column; }
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    std::int32_t row = 0;
    std::int32_t column = 0;
};

class RangeExp : public ExpNode {
public:
    RangeExp() : ExpNode(RangeCode) {}
    RangeExp(int r1, int c1, int r2, int c2) : ExpNode(RangeCode), row1(r1), col1(c1), row2(r2), col2(c2) {}
    std::u16string ToString() const override;
    bool Evaluate(double&, const CellTextSource&) const override { return false; }
    void Accept(Visitor& visitor) override { visitor.VisitRange(*this); }
    bool RefersTo(int r, int c) const override { return r >= row1 && r <= row2 && c >= col1 && c <= col2; }
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    // Calls f(text) for every cell, rows outer and columns inner; cells past
    // the grid's end are reported in one call of g(count) with their number,
    // since they all read as empty.
    template <typename F, typename G>
    bool ForEachCell(const CellTextSource& cells, F f, G g) const;

    std::int32_t row1 = 0, col1 = 0, row2 = 0, col2 = 0;
};

class FunExp : public ExpNode {
public:
    FunExp() : ExpNode(FunCode) {}
    FunExp(int index, NodeList args) : ExpNode(FunCode), index(index), args(std::move(args)) {}
    std::u16string ToString() const override;
    bool Evaluate(double& value, const CellTextSource& cells) const override;
    void Accept(Visitor& visitor) override;
    bool RefersTo(int row, int col) const override;
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    std::int32_t index = 0;
    NodeList args;
    bool criterion = false;   // the comparison inside a criterion: one operand
};

class ParExp : public ExpNode {
public:
    ParExp() : ExpNode(ParCode) {}
    explicit ParExp(NodePtr operand) : ExpNode(ParCode), operand(std::move(operand)) {}
    std::u16string ToString() const override { return u"(" + operand->ToString() + u")"; }
    bool Evaluate(double& value, const CellTextSource& cells) const override { return operand->Evaluate(value, cells); }
    void Accept(Visitor& visitor) override { operand->Accept(visitor); }
    bool RefersTo(int row, int col) const override { return operand->RefersTo(row, col); }
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    NodePtr operand;
};

// A criterion: a comparison call whose first operand is the tested value.
class PreExp : public ExpNode {
public:
    PreExp() : ExpNode(PreCode) {}
    explicit PreExp(std::unique_ptr<FunExp> call) : ExpNode(PreCode), call(std::move(call)) {}
    std::u16string ToString() const override { return u"\"" + call->ToString() + u"\""; }
    // value holds the tested value on entry and the comparison's result on return.
    bool Evaluate(double& value, const CellTextSource& cells) const override;
    void Accept(Visitor& visitor) override { call->Accept(visitor); }
    bool RefersTo(int row, int col) const override { return call->RefersTo(row, col); }
    void Store(ArchiveWriter& ar) const override;
    void Load(ArchiveReader& ar, int depth) override;

    std::unique_ptr<FunExp> call;
};

// Bijective base 26: 1 -> "A", 27 -> "AA"; empty below 1.
std::u16string ColumnLetters(int column);
std::u16string CellName(int row, int column);

// The node factory (codes 0 to 8) and the stream form of a child: its code, then its body.
NodePtr CreateNode(std::uint32_t code);
NodePtr LoadNode(ArchiveReader& ar, int depth);
void StoreNode(ArchiveWriter& ar, const ExpNode& node);

// Reads past one stored node and its children without building them (and
// without recursion), checking only the structure; throws on damage.
void SkipNode(ArchiveReader& ar);

// A flat chain such as A1+A2+...+An is a tree n levels deep, so the limit
// leaves room for chains far longer than anyone types.
inline constexpr int kMaxNodeDepth = 4096;

template <typename F, typename G>
bool RangeExp::ForEachCell(const CellTextSource& cells, F f, G g) const
{
    const long long rows = (long long)row2 - row1 + 1;
    const long long cols = (long long)col2 - col1 + 1;
    if (rows <= 0 || cols <= 0)
        return true;
    const int lastRow = std::min<long long>(row2, cells.RowCount() - 1LL);
    const int lastCol = std::min<long long>(col2, cells.ColumnCount() - 1LL);
    long long inside = 0;
    for (int r = row1; r <= lastRow; ++r)
        for (int c = col1; c <= lastCol; ++c) {
            if (!f(cells.CellTextAt(c, r)))
                return false;
            ++inside;
        }
    const long long outside = rows * cols - inside;
    if (outside > 0)
        return g(outside);
    return true;
}

}   // namespace grid
