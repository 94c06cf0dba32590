// Evaluation of compiled criteria: comparisons of typed cells with coerced constants or other
// cells, LIKE matching and the boolean connectives. Nothing here allocates or throws.
#include "ado/engine/expression/internal/Literals.h"
#include "ado/engine/expression/internal/Nodes.h"
#include "framework/rtl/CodePage.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vmado::engine::internal {
namespace {

template <typename T> int Order3(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int CompareText(std::string_view a, const FoldTable& fa, std::string_view b, const FoldTable& fb)
{
    std::string foldedA, foldedB;
    a = FoldBeyondAscii(a, fa, foldedA);
    b = FoldBeyondAscii(b, fb, foldedB);
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = fa[static_cast<unsigned char>(a[i])];
        const unsigned char y = fb[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return Order3(a.size(), b.size());
}

bool IsNumericKind(ValueKind k)
{
    return k == ValueKind::Boolean || k == ValueKind::Integer || k == ValueKind::Float ||
           k == ValueKind::Currency || k == ValueKind::Date;
}

// The numeric reading of a cell; text is read as a number, then as a date.
bool CellNumber(const CellRef& c, double& out)
{
    switch (c.Kind) {
    case ValueKind::Boolean:
        out = c.B ? -1.0 : 0.0;
        return true;
    case ValueKind::Integer:
        out = static_cast<double>(c.I);
        return true;
    case ValueKind::Float:
    case ValueKind::Date:
        out = c.F;
        return true;
    case ValueKind::Currency:
        out = static_cast<double>(c.Cur) / 10000.0;
        return true;
    case ValueKind::Text:
        return ParseNumber(c.Text, out) || ParseDateTime(c.Text, out);
    default:
        return false;
    }
}

bool CellDate(const CellRef& c, double& out)
{
    if (c.Kind == ValueKind::Text)
        return ParseDateTime(c.Text, out) || ParseNumber(c.Text, out);
    return CellNumber(c, out);
}

bool Truthy(const CellRef& c, bool& out)
{
    switch (c.Kind) {
    case ValueKind::Boolean:
        out = c.B;
        return true;
    case ValueKind::Integer:
        out = c.I != 0;
        return true;
    case ValueKind::Float:
        out = c.F != 0;
        return true;
    case ValueKind::Currency:
        out = c.Cur != 0;
        return true;
    case ValueKind::Text: {
        double d;
        if (ParseNumber(c.Text, d)) {
            out = d != 0;
            return true;
        }
        if (c.Text.size() == 4 && (c.Text[0] | 32) == 't' && (c.Text[1] | 32) == 'r' &&
            (c.Text[2] | 32) == 'u' && (c.Text[3] | 32) == 'e') {
            out = true;
            return true;
        }
        if (c.Text.size() == 5 && (c.Text[0] | 32) == 'f' && (c.Text[1] | 32) == 'a' &&
            (c.Text[2] | 32) == 'l' && (c.Text[3] | 32) == 's' && (c.Text[4] | 32) == 'e') {
            out = false;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

} // namespace

CellRef Constant::AsCell() const
{
    CellRef c;
    c.Kind = Kind;
    c.B = B;
    c.I = I;
    c.F = F;
    c.Cur = Cur;
    c.Text = Text;
    return c;
}

Tri ApplyOp(CompareOp op, int order)
{
    bool r = false;
    switch (op) {
    case CompareOp::Eq:
        r = order == 0;
        break;
    case CompareOp::Ne:
        r = order != 0;
        break;
    case CompareOp::Lt:
        r = order < 0;
        break;
    case CompareOp::Gt:
        r = order > 0;
        break;
    case CompareOp::Le:
        r = order <= 0;
        break;
    case CompareOp::Ge:
        r = order >= 0;
        break;
    }
    return r ? Tri::True : Tri::False;
}

std::string_view CellAsText(const CellRef& c, char (&buf)[64], bool& ok)
{
    ok = true;
    switch (c.Kind) {
    case ValueKind::Text:
    case ValueKind::Bytes:
        return c.Text;
    case ValueKind::Boolean:
        return c.B ? std::string_view("-1") : std::string_view("0");
    case ValueKind::Integer: {
        auto r = std::to_chars(buf, buf + sizeof buf, c.I);
        return std::string_view(buf, static_cast<size_t>(r.ptr - buf));
    }
    case ValueKind::Float: {
        auto r = std::to_chars(buf, buf + sizeof buf, c.F);
        if (r.ec != std::errc())
            break;
        return std::string_view(buf, static_cast<size_t>(r.ptr - buf));
    }
    case ValueKind::Currency: {
        const Int64 whole = c.Cur / 10000;
        Int64 frac = c.Cur % 10000;
        if (frac < 0)
            frac = -frac;
        int n = std::snprintf(buf, sizeof buf, "%s%lld", (c.Cur < 0 && whole == 0) ? "-" : "",
                              static_cast<long long>(whole));
        if (frac != 0) {
            n += std::snprintf(buf + n, sizeof buf - n, ".%04lld", static_cast<long long>(frac));
            while (buf[n - 1] == '0')
                --n;
        }
        return std::string_view(buf, static_cast<size_t>(n));
    }
    case ValueKind::Date:
        return FormatDateTime(c.F, buf);
    default:
        break;
    }
    ok = false;
    return {};
}

bool CompareCellConstant(const CellRef& c, const Constant& k, const FoldTable& fold, int& order)
{
    if (c.Kind == ValueKind::Null || k.Kind == ValueKind::Null)
        return false;
    switch (k.Kind) {
    case ValueKind::Text:
    case ValueKind::Bytes: {
        if (c.Kind == ValueKind::Text || c.Kind == ValueKind::Bytes) {
            order = CompareText(c.Text, fold, k.Text, IdentityFold());
            return true;
        }
        double d;
        if (k.HasNumber && CellNumber(c, d)) {
            order = Order3(d, k.Number);
            return true;
        }
        char buf[64];
        bool ok;
        const std::string_view t = CellAsText(c, buf, ok);
        if (!ok)
            return false;
        order = CompareText(t, fold, k.Text, IdentityFold());
        return true;
    }
    case ValueKind::Boolean: {
        bool b;
        if (!Truthy(c, b))
            return false;
        // Booleans order as their numeric forms -1 and 0.
        order = Order3(b ? -1 : 0, k.B ? -1 : 0);
        return true;
    }
    case ValueKind::Integer:
        if (c.Kind == ValueKind::Integer) {
            order = Order3(c.I, k.I);
            return true;
        }
        break;
    case ValueKind::Currency:
        if (c.Kind == ValueKind::Currency) {
            order = Order3(c.Cur, k.Cur);
            return true;
        }
        break;
    case ValueKind::Date: {
        double d;
        if (!CellDate(c, d))
            return false;
        order = Order3(DateToMilliseconds(d), DateToMilliseconds(k.F));
        return true;
    }
    default:
        break;
    }
    double d;
    if (!CellNumber(c, d))
        return false;
    if (c.Kind == ValueKind::Date) {
        order = Order3(DateToMilliseconds(d), DateToMilliseconds(k.Number));
        return true;
    }
    order = Order3(d, k.Number);
    return true;
}

bool CompareCells(const CellRef& a, const FoldTable& fa, const CellRef& b, const FoldTable& fb, int& order)
{
    if (a.Kind == ValueKind::Null || b.Kind == ValueKind::Null)
        return false;
    const bool ta = a.Kind == ValueKind::Text || a.Kind == ValueKind::Bytes;
    const bool tb = b.Kind == ValueKind::Text || b.Kind == ValueKind::Bytes;
    if (ta && tb) {
        order = CompareText(a.Text, fa, b.Text, fb);
        return true;
    }
    if (a.Kind == b.Kind) {
        switch (a.Kind) {
        case ValueKind::Integer:
            order = Order3(a.I, b.I);
            return true;
        case ValueKind::Currency:
            order = Order3(a.Cur, b.Cur);
            return true;
        case ValueKind::Boolean:
            order = Order3(a.B ? -1 : 0, b.B ? -1 : 0);
            return true;
        case ValueKind::Date:
            order = Order3(DateToMilliseconds(a.F), DateToMilliseconds(b.F));
            return true;
        default:
            break;
        }
    }
    if (a.Kind == ValueKind::Date || b.Kind == ValueKind::Date) {
        double x, y;
        if (!CellDate(a, x) || !CellDate(b, y))
            return false;
        order = Order3(DateToMilliseconds(x), DateToMilliseconds(y));
        return true;
    }
    double x, y;
    if (CellNumber(a, x) && CellNumber(b, y)) {
        order = Order3(x, y);
        return true;
    }
    if (!IsNumericKind(a.Kind) && !IsNumericKind(b.Kind))
        return false;
    char ba[64], bb[64];
    bool oka, okb;
    const std::string_view sa = CellAsText(a, ba, oka), sb = CellAsText(b, bb, okb);
    if (!oka || !okb)
        return false;
    order = CompareText(sa, fa, sb, fb);
    return true;
}

bool LikePattern::Match(std::string_view s, const FoldTable& fold) const
{
    std::string folded;
    s = FoldBeyondAscii(s, fold, folded);
    // In UTF-8 one character may be several bytes: '_' takes all of them, and a '%' never gives
    // back part of one.
    const bool utf8 = IsUtf8CodePage();
    auto charEnd = [&s, utf8](size_t i) {
        ++i;
        while (utf8 && i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
            ++i;
        return i;
    };
    const size_t m = Items.size(), n = s.size();
    size_t p = 0, i = 0;
    size_t starP = SIZE_MAX, starI = 0;
    while (i < n) {
        if (p < m && Items[p] == kAnyOne) {
            ++p;
            i = charEnd(i);
        } else if (p < m && Items[p] >= 0 && fold[static_cast<unsigned char>(s[i])] == Items[p]) {
            ++p;
            ++i;
        } else if (p < m && Items[p] == kAnyRun) {
            starP = p++;
            starI = i;
        } else if (starP != SIZE_MAX) {
            p = starP + 1;
            i = starI = charEnd(starI);
        } else {
            return false;
        }
    }
    while (p < m && Items[p] == kAnyRun)
        ++p;
    return p == m;
}

namespace {

struct ConstNode final : Node {
    Tri Value;
    explicit ConstNode(Tri v) : Value(v) {}
    Tri Eval(const IRowReader&) const override { return Value; }
    void Accept(NodeVisitor& v) const override { v.Fixed(Value); }
};

struct AndNode final : Node {
    std::vector<NodePtr> Items;
    void Accept(NodeVisitor& v) const override { v.And(Items); }
    Tri Eval(const IRowReader& row) const override
    {
        Tri result = Tri::True;
        for (const auto& n : Items) {
            const Tri t = n->Eval(row);
            if (t == Tri::False)
                return Tri::False;
            if (t == Tri::Unknown)
                result = Tri::Unknown;
        }
        return result;
    }
};

struct OrNode final : Node {
    std::vector<NodePtr> Items;
    void Accept(NodeVisitor& v) const override { v.Or(Items); }
    Tri Eval(const IRowReader& row) const override
    {
        Tri result = Tri::False;
        for (const auto& n : Items) {
            const Tri t = n->Eval(row);
            if (t == Tri::True)
                return Tri::True;
            if (t == Tri::Unknown)
                result = Tri::Unknown;
        }
        return result;
    }
};

struct NotNode final : Node {
    NodePtr Item;
    Tri Eval(const IRowReader& row) const override { return Not(Item->Eval(row)); }
    void Accept(NodeVisitor& v) const override { v.Not(*Item); }
};

struct IsNullNode final : Node {
    int Column;
    bool Negate;
    void Accept(NodeVisitor& v) const override { v.IsNull(Column, Negate); }
    Tri Eval(const IRowReader& row) const override
    {
        const bool isNull = row.Cell(Column).Kind == ValueKind::Null;
        return (isNull != Negate) ? Tri::True : Tri::False;
    }
};

struct BoolColumnNode final : Node {
    int Column;
    void Accept(NodeVisitor& v) const override { v.BoolColumn(Column); }
    Tri Eval(const IRowReader& row) const override
    {
        bool b;
        if (!Truthy(row.Cell(Column), b))
            return Tri::Unknown;
        return b ? Tri::True : Tri::False;
    }
};

struct CompareConstNode final : Node {
    int Column;
    std::shared_ptr<const FoldTable> Fold;
    CompareOp Op;
    Constant K;
    void Accept(NodeVisitor& v) const override { v.CompareConst(Column, Fold.get(), Op, K); }
    Tri Eval(const IRowReader& row) const override
    {
        const CellRef c = row.Cell(Column);
        // The common case, a cell of the constant's own kind, takes the short road.
        if (c.Kind == K.Kind) {
            switch (c.Kind) {
            case ValueKind::Integer:
                return ApplyOp(Op, Order3(c.I, K.I));
            case ValueKind::Float:
                return ApplyOp(Op, Order3(c.F, K.F));
            case ValueKind::Currency:
                return ApplyOp(Op, Order3(c.Cur, K.Cur));
            case ValueKind::Text:
                if (!Fold && (Op == CompareOp::Eq || Op == CompareOp::Ne)) {
                    const bool eq = c.Text.size() == K.Text.size() &&
                                    std::memcmp(c.Text.data(), K.Text.data(), K.Text.size()) == 0;
                    return (eq == (Op == CompareOp::Eq)) ? Tri::True : Tri::False;
                }
                break;
            default:
                break;
            }
        }
        int order;
        if (!CompareCellConstant(c, K, Fold ? *Fold : IdentityFold(), order))
            return Tri::Unknown;
        return ApplyOp(Op, order);
    }
};

struct CompareColumnsNode final : Node {
    int A, B;
    std::shared_ptr<const FoldTable> FoldA, FoldB;
    CompareOp Op;
    void Accept(NodeVisitor& v) const override { v.CompareColumns(A, FoldA.get(), Op, B, FoldB.get()); }
    Tri Eval(const IRowReader& row) const override
    {
        int order;
        if (!CompareCells(row.Cell(A), FoldA ? *FoldA : IdentityFold(), row.Cell(B),
                          FoldB ? *FoldB : IdentityFold(), order))
            return Tri::Unknown;
        return ApplyOp(Op, order);
    }
};

struct LikeNode final : Node {
    int Column;
    std::shared_ptr<const FoldTable> Fold;
    LikePattern Pattern;
    void Accept(NodeVisitor& v) const override { v.Like(Column, Fold.get(), Pattern); }
    Tri Eval(const IRowReader& row) const override
    {
        const CellRef c = row.Cell(Column);
        if (c.Kind == ValueKind::Null)
            return Tri::Unknown;
        char buf[64];
        bool ok;
        const std::string_view t = CellAsText(c, buf, ok);
        if (!ok)
            return Tri::Unknown;
        return Pattern.Match(t, Fold ? *Fold : IdentityFold()) ? Tri::True : Tri::False;
    }
};

struct InNode final : Node {
    int Column;
    std::shared_ptr<const FoldTable> Fold;
    std::vector<Constant> Items;
    void Accept(NodeVisitor& v) const override { v.In(Column, Fold.get(), Items); }
    Tri Eval(const IRowReader& row) const override
    {
        const CellRef c = row.Cell(Column);
        if (c.Kind == ValueKind::Null)
            return Tri::Unknown;
        Tri result = Tri::False;
        for (const Constant& k : Items) {
            int order;
            if (!CompareCellConstant(c, k, Fold ? *Fold : IdentityFold(), order)) {
                result = Tri::Unknown;
                continue;
            }
            if (order == 0)
                return Tri::True;
        }
        return result;
    }
};

} // namespace

NodePtr MakeConst(Tri value)
{
    return std::make_unique<ConstNode>(value);
}

NodePtr MakeAnd(std::vector<NodePtr> items)
{
    if (items.size() == 1)
        return std::move(items.front());
    auto n = std::make_unique<AndNode>();
    n->Items = std::move(items);
    return n;
}

NodePtr MakeOr(std::vector<NodePtr> items)
{
    if (items.size() == 1)
        return std::move(items.front());
    auto n = std::make_unique<OrNode>();
    n->Items = std::move(items);
    return n;
}

NodePtr MakeNot(NodePtr item)
{
    auto n = std::make_unique<NotNode>();
    n->Item = std::move(item);
    return n;
}

NodePtr MakeIsNull(int column, bool negate)
{
    auto n = std::make_unique<IsNullNode>();
    n->Column = column;
    n->Negate = negate;
    return n;
}

NodePtr MakeBoolColumn(int column)
{
    auto n = std::make_unique<BoolColumnNode>();
    n->Column = column;
    return n;
}

NodePtr MakeCompareConst(int column, std::shared_ptr<const FoldTable> fold, CompareOp op, Constant k)
{
    auto n = std::make_unique<CompareConstNode>();
    n->Column = column;
    n->Fold = std::move(fold);
    n->Op = op;
    n->K = std::move(k);
    return n;
}

NodePtr MakeCompareColumns(int a, std::shared_ptr<const FoldTable> foldA, CompareOp op, int b,
                           std::shared_ptr<const FoldTable> foldB)
{
    auto n = std::make_unique<CompareColumnsNode>();
    n->A = a;
    n->B = b;
    n->FoldA = std::move(foldA);
    n->FoldB = std::move(foldB);
    n->Op = op;
    return n;
}

NodePtr MakeLike(int column, std::shared_ptr<const FoldTable> fold, LikePattern pattern)
{
    auto n = std::make_unique<LikeNode>();
    n->Column = column;
    n->Fold = std::move(fold);
    n->Pattern = std::move(pattern);
    return n;
}

NodePtr MakeIn(int column, std::shared_ptr<const FoldTable> fold, std::vector<Constant> items)
{
    auto n = std::make_unique<InNode>();
    n->Column = column;
    n->Fold = std::move(fold);
    n->Items = std::move(items);
    return n;
}

} // namespace vmado::engine::internal
