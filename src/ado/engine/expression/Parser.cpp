// Recursive-descent compiler of Filter and Find criteria: OR binds loosest, then AND, then NOT;
// literals are coerced to the kind of the column they meet, so evaluation never converts them.
#include "ado/engine/expression/Expression.h"
#include "ado/engine/expression/internal/Lexer.h"
#include "ado/engine/expression/internal/Literals.h"
#include "ado/engine/expression/internal/LocaleView.h"
#include "ado/engine/expression/internal/Nodes.h"

#include "framework/rtl/Exceptions.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace vmado::engine {

using namespace internal;

CompiledExpression::CompiledExpression(std::unique_ptr<const internal::Node> root, std::vector<int> columns,
                                       AnsiString text)
    : root_(std::move(root)), columns_(std::move(columns)), text_(std::move(text))
{
}

CompiledExpression::~CompiledExpression() = default;

bool CompiledExpression::Matches(const IRowReader& row) const
{
    return root_->Eval(row) == Tri::True;
}

namespace {

constexpr int kMaxDepth = 600;

enum class LitKind { Null, String, Number, Date, Boolean };

struct Operand {
    bool IsColumn = false;
    int Column = -1;
    std::shared_ptr<const FoldTable> Fold; // column side only; literals are folded when read
    LitKind Lit = LitKind::Null;
    AnsiString Text; // string content, or a number as typed (with its sign)
    double Date = 0;
    bool B = false;
    bool CurrencySign = false;
    const Token* At = nullptr;
};

const char* KindName(ValueKind k)
{
    switch (k) {
    case ValueKind::Null:
        return "untyped";
    case ValueKind::Boolean:
        return "Boolean";
    case ValueKind::Integer:
        return "Integer";
    case ValueKind::Float:
        return "Float";
    case ValueKind::Currency:
        return "Currency";
    case ValueKind::Date:
        return "Date";
    case ValueKind::Text:
        return "Text";
    case ValueKind::Bytes:
        return "Binary";
    }
    return "?";
}

bool EqualsNoCase(std::string_view a, std::string_view b, const FoldTable& up)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (up[static_cast<unsigned char>(a[i])] != up[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

CompareOp Mirror(CompareOp op)
{
    switch (op) {
    case CompareOp::Lt:
        return CompareOp::Gt;
    case CompareOp::Gt:
        return CompareOp::Lt;
    case CompareOp::Le:
        return CompareOp::Ge;
    case CompareOp::Ge:
        return CompareOp::Le;
    default:
        return op;
    }
}

CompareOp NegateOp(CompareOp op)
{
    switch (op) {
    case CompareOp::Eq:
        return CompareOp::Ne;
    case CompareOp::Ne:
        return CompareOp::Eq;
    case CompareOp::Lt:
        return CompareOp::Ge;
    case CompareOp::Gt:
        return CompareOp::Le;
    case CompareOp::Le:
        return CompareOp::Gt;
    case CompareOp::Ge:
        return CompareOp::Lt;
    }
    return op;
}

CompareOp OpFromText(std::string_view s)
{
    if (s == "=" || s == "==")
        return CompareOp::Eq;
    if (s == "<>" || s == "!=")
        return CompareOp::Ne;
    if (s == "<")
        return CompareOp::Lt;
    if (s == ">")
        return CompareOp::Gt;
    if (s == "<=")
        return CompareOp::Le;
    return CompareOp::Ge;
}

void SetNumber(Constant& k, double v)
{
    k.HasNumber = true;
    k.Number = v;
}

class Parser {
public:
    Parser(std::string_view text, const std::vector<ColumnInfo>& columns, bool find)
        : text_(text), columns_(columns), find_(find), what_(find ? "find criteria" : "filter"),
          upper_(MakeUpperFold())
    {
        tokens_ = Tokenize(text, what_);
    }

    std::shared_ptr<const CompiledExpression> Compile()
    {
        NodePtr root;
        if (!find_ && Peek().Kind == TokenKind::End) {
            root = MakeConst(Tri::True); // a blank filter restricts nothing
        } else {
            root = ParseOr(0);
            if (Peek().Kind != TokenKind::End) {
                if (Peek().Kind == TokenKind::RParen)
                    ThrowSyntax(what_, Peek(), "unbalanced ')'");
                ThrowSyntax(what_, Peek(), "expected AND, OR or the end of the text");
            }
        }
        std::vector<int> cols(referenced_.begin(), referenced_.end());
        return std::make_shared<const CompiledExpression>(std::move(root), std::move(cols),
                                                          AnsiString(text_));
    }

private:
    const Token& Peek(size_t ahead = 0) const
    {
        const size_t i = std::min(pos_ + ahead, tokens_.size() - 1);
        return tokens_[i];
    }
    const Token& Next()
    {
        const Token& t = tokens_[pos_];
        if (pos_ + 1 < tokens_.size())
            ++pos_;
        return t;
    }
    bool IsWord(const Token& t, std::string_view word) const
    {
        return t.Kind == TokenKind::Word && EqualsNoCase(t.Value, word, *upper_);
    }
    bool IsKeyword(const Token& t) const
    {
        static const char* const kKeywords[] = {"AND", "OR", "NOT", "LIKE", "IS", "BETWEEN", "IN"};
        for (const char* k : kKeywords)
            if (IsWord(t, k))
                return true;
        return false;
    }
    void Expect(TokenKind kind, const char* detail)
    {
        if (Peek().Kind != kind)
            ThrowSyntax(what_, Peek(), detail);
        Next();
    }
    void Enter(int depth)
    {
        if (depth > kMaxDepth)
            ThrowSyntax(what_, Peek(), "expression nested too deeply");
    }

    [[noreturn]] void Mismatch(const Operand& lit, ValueKind kind, const ColumnInfo& col)
    {
        // Text in '#' marks met a date column: it was meant as a date and is not one.
        if (kind == ValueKind::Date && lit.At->Kind == TokenKind::Date)
            ThrowSyntax(what_, *lit.At, "not a valid date");
        AnsiString msg = AnsiString("Type mismatch in ") + what_ + " at position " +
                         std::to_string(lit.At->Pos) + " near '" + AnsiString(lit.At->Source) +
                         "': not a valid " + KindName(kind) + " value for column " + col.Name;
        throw EOleException(msg, "Expression");
    }

    NodePtr ParseOr(int depth)
    {
        Enter(depth);
        std::vector<NodePtr> items;
        items.push_back(ParseAnd(depth + 1));
        while (IsWord(Peek(), "OR")) {
            if (find_)
                ThrowSyntax(what_, Peek(), "a find takes one condition only");
            Next();
            items.push_back(ParseAnd(depth + 1));
        }
        return MakeOr(std::move(items));
    }

    NodePtr ParseAnd(int depth)
    {
        Enter(depth);
        std::vector<NodePtr> items;
        items.push_back(ParseNot(depth + 1));
        while (IsWord(Peek(), "AND")) {
            if (find_)
                ThrowSyntax(what_, Peek(), "a find takes one condition only");
            Next();
            items.push_back(ParseNot(depth + 1));
        }
        return MakeAnd(std::move(items));
    }

    NodePtr ParseNot(int depth)
    {
        Enter(depth);
        if (IsWord(Peek(), "NOT")) {
            Next();
            return MakeNot(ParseNot(depth + 1));
        }
        if (Peek().Kind == TokenKind::LParen) {
            Next();
            NodePtr inner = ParseOr(depth + 1);
            Expect(TokenKind::RParen, "expected ')'");
            return inner;
        }
        return ParsePredicate(depth + 1);
    }

    NodePtr ParsePredicate(int depth)
    {
        Operand lhs = ParseOperand(depth);
        const Token& t = Peek();
        if (IsWord(t, "IS")) {
            Next();
            bool negate = false;
            if (IsWord(Peek(), "NOT")) {
                Next();
                negate = true;
            }
            if (!IsWord(Peek(), "NULL"))
                ThrowSyntax(what_, Peek(), "expected NULL");
            Next();
            if (!lhs.IsColumn) {
                const bool isNull = lhs.Lit == LitKind::Null;
                return MakeConst((isNull != negate) ? Tri::True : Tri::False);
            }
            return MakeIsNull(lhs.Column, negate);
        }
        bool negate = false;
        if (IsWord(t, "NOT")) {
            Next();
            negate = true;
        }
        NodePtr node;
        const Token& op = Peek();
        if (IsWord(op, "LIKE")) {
            Next();
            node = BuildLike(lhs, ParseOperand(depth));
        } else if (IsWord(op, "BETWEEN")) {
            Next();
            Operand lo = ParseOperand(depth);
            if (!IsWord(Peek(), "AND"))
                ThrowSyntax(what_, Peek(), "expected AND in BETWEEN");
            Next();
            Operand hi = ParseOperand(depth);
            std::vector<NodePtr> both;
            both.push_back(BuildCompare(lhs, CompareOp::Ge, lo));
            both.push_back(BuildCompare(lhs, CompareOp::Le, hi));
            node = MakeAnd(std::move(both));
        } else if (IsWord(op, "IN")) {
            Next();
            node = BuildIn(lhs, depth);
        } else if (op.Kind == TokenKind::Op) {
            Next();
            const CompareOp cop = OpFromText(op.Value);
            node = BuildCompare(lhs, negate ? NegateOp(cop) : cop, ParseOperand(depth));
            negate = false; // "A NOT = 1" reads as A <> 1, so Null stays Unknown either way
        } else if (!negate && lhs.IsColumn &&
                   (columns_[lhs.Column].Kind == ValueKind::Boolean ||
                    columns_[lhs.Column].Kind == ValueKind::Null)) {
            return MakeBoolColumn(lhs.Column); // a Boolean column alone is a condition
        } else if (!negate && !lhs.IsColumn && lhs.Lit == LitKind::Boolean) {
            return MakeConst(lhs.B ? Tri::True : Tri::False);
        } else {
            ThrowSyntax(what_, op, "expected a comparison operator");
        }
        return negate ? MakeNot(std::move(node)) : std::move(node);
    }

    // ---- operands ------------------------------------------------------------------------

    Operand ParseOperand(int depth)
    {
        Enter(depth);
        const Token& t = Peek();
        Operand o;
        o.At = &t;
        switch (t.Kind) {
        case TokenKind::String:
            Next();
            o.Lit = LitKind::String;
            o.Text = t.Value;
            return o;
        case TokenKind::Number:
            Next();
            o.Lit = LitKind::Number;
            o.Text = t.Value;
            o.CurrencySign = t.Currency;
            return o;
        case TokenKind::Minus:
        case TokenKind::Plus: {
            Next();
            const Token& num = Peek();
            if (num.Kind != TokenKind::Number)
                ThrowSyntax(what_, num, "expected a number after the sign");
            Next();
            o.Lit = LitKind::Number;
            o.Text = (t.Kind == TokenKind::Minus ? "-" : "") + num.Value;
            o.CurrencySign = num.Currency;
            return o;
        }
        case TokenKind::Date:
            Next();
            o.Text = t.Value;
            // What is no date between '#' marks is a string, as in State = #WA#; against a date
            // column it still fails as no valid date.
            o.Lit = ParseDateTime(t.Value, o.Date) ? LitKind::Date : LitKind::String;
            return o;
        case TokenKind::Name:
            Next();
            return ColumnOperand(t);
        case TokenKind::LBrace:
            return ParseEscape(depth);
        case TokenKind::Word: {
            if (IsWord(t, "NULL")) {
                Next();
                o.Lit = LitKind::Null;
                return o;
            }
            if (IsWord(t, "TRUE") || IsWord(t, "FALSE")) {
                Next();
                o.Lit = LitKind::Boolean;
                o.B = IsWord(t, "TRUE");
                o.Text = o.B ? "-1" : "0";
                return o;
            }
            if (Peek(1).Kind == TokenKind::LParen && FoldFor(t)) {
                Next();
                auto fold = FoldFor(t);
                Next(); // (
                Operand inner = ParseOperand(depth + 1);
                Expect(TokenKind::RParen, "expected ')' after the function argument");
                return ApplyFold(std::move(inner), fold);
            }
            if (IsKeyword(t))
                ThrowSyntax(what_, t, "expected a column name or a value");
            if (Peek(1).Kind == TokenKind::LParen)
                ThrowSyntax(what_, t, "unknown function");
            Next();
            return ColumnOperand(t);
        }
        default:
            ThrowSyntax(what_, t, "expected a column name or a value");
        }
    }

    std::shared_ptr<const FoldTable> FoldFor(const Token& name)
    {
        if (IsWord(name, "UCASE") || IsWord(name, "UPPER"))
            return upper_;
        if (IsWord(name, "LCASE") || IsWord(name, "LOWER")) {
            if (!lower_)
                lower_ = MakeLowerFold();
            return lower_;
        }
        return nullptr;
    }

    Operand ApplyFold(Operand o, const std::shared_ptr<const FoldTable>& fold)
    {
        if (o.IsColumn) {
            if (!o.Fold) {
                o.Fold = fold;
            } else {
                auto composed = std::make_shared<FoldTable>();
                for (int i = 0; i < 256; ++i)
                    (*composed)[i] = (*fold)[(*o.Fold)[i]];
                o.Fold = composed;
            }
        } else if (o.Lit == LitKind::String) {
            std::string folded;
            o.Text = AnsiString(FoldBeyondAscii(o.Text, *fold, folded));
            for (char& c : o.Text)
                c = static_cast<char>((*fold)[static_cast<unsigned char>(c)]);
        }
        return o;
    }

    Operand ParseEscape(int depth)
    {
        const Token& open = Next(); // {
        const Token& kind = Peek();
        Operand o;
        o.At = &open;
        if (IsWord(kind, "fn")) {
            Next();
            const Token& fn = Peek();
            auto fold = FoldFor(fn);
            if (!fold)
                ThrowSyntax(what_, fn, "unknown function");
            Next();
            Expect(TokenKind::LParen, "expected '(' after the function name");
            Operand inner = ParseOperand(depth + 1);
            Expect(TokenKind::RParen, "expected ')' after the function argument");
            Expect(TokenKind::RBrace, "expected '}'");
            return ApplyFold(std::move(inner), fold);
        }
        const bool isDate = IsWord(kind, "d"), isTime = IsWord(kind, "t"), isStamp = IsWord(kind, "ts");
        if (!isDate && !isTime && !isStamp)
            ThrowSyntax(what_, kind, "expected fn, d, t or ts after '{'");
        Next();
        const Token& lit = Peek();
        if (lit.Kind != TokenKind::String)
            ThrowSyntax(what_, lit, "expected a quoted date or time");
        Next();
        o.At = &lit;
        o.Lit = LitKind::Date;
        o.Text = lit.Value;
        const bool ok = isTime ? (ParseTime(lit.Value, o.Date) || ParseDateTime(lit.Value, o.Date))
                               : ParseDateTime(lit.Value, o.Date);
        if (!ok)
            ThrowSyntax(what_, lit, isTime ? "not a valid time" : "not a valid date");
        Expect(TokenKind::RBrace, "expected '}'");
        return o;
    }

    Operand ColumnOperand(const Token& t)
    {
        Operand o;
        o.At = &t;
        o.IsColumn = true;
        o.Column = FindColumn(t.Value);
        if (o.Column < 0 && t.Kind == TokenKind::Word) {
            // A qualified Table.Field name matches its field.
            const size_t dot = t.Value.rfind('.');
            if (dot != AnsiString::npos)
                o.Column = FindColumn(std::string_view(t.Value).substr(dot + 1));
        }
        if (o.Column < 0 && t.Kind == TokenKind::Word) {
            // Generated criteria write field names as they are, blanks included ("Last Name = 'x'"):
            // take following words while together they name a column.
            const size_t start = static_cast<size_t>(t.Pos - 1);
            for (size_t ahead = 0;
                 ahead < 8 && Peek(ahead).Kind == TokenKind::Word && !IsKeyword(Peek(ahead)); ++ahead) {
                const Token& last = Peek(ahead);
                const size_t end = static_cast<size_t>(last.Pos - 1) + last.Source.size();
                const int column = FindColumn(text_.substr(start, end - start));
                if (column >= 0) {
                    for (size_t i = 0; i <= ahead; ++i)
                        Next();
                    o.Column = column;
                    break;
                }
            }
        }
        if (o.Column < 0) {
            throw EOleException(AnsiString("Unknown column '") + t.Value + "' in " + what_ + " at position " +
                                    std::to_string(t.Pos),
                                "Expression");
        }
        referenced_.insert(o.Column);
        return o;
    }

    int FindColumn(std::string_view name) const
    {
        for (size_t i = 0; i < columns_.size(); ++i)
            if (EqualsNoCase(columns_[i].Name, name, *upper_))
                return static_cast<int>(i);
        return -1;
    }

    // ---- coercion ------------------------------------------------------------------------

    Constant Natural(const Operand& lit)
    {
        Constant k;
        switch (lit.Lit) {
        case LitKind::Null:
            break;
        case LitKind::String:
            k.Kind = ValueKind::Text;
            k.Text = lit.Text;
            k.HasText = true;
            if (double d; ParseNumber(k.Text, d))
                SetNumber(k, d);
            break;
        case LitKind::Number:
            k.Text = lit.Text;
            k.HasText = true;
            if (lit.CurrencySign && ParseCurrency(lit.Text, k.Cur)) {
                k.Kind = ValueKind::Currency;
                SetNumber(k, static_cast<double>(k.Cur) / 10000.0);
            } else if (ParseInteger(lit.Text, k.I)) {
                k.Kind = ValueKind::Integer;
                SetNumber(k, static_cast<double>(k.I));
            } else if (ParseNumber(lit.Text, k.F)) {
                k.Kind = ValueKind::Float;
                SetNumber(k, k.F);
            } else {
                ThrowSyntax(what_, *lit.At, "not a valid number");
            }
            break;
        case LitKind::Date:
            k.Kind = ValueKind::Date;
            k.F = lit.Date;
            k.Text = lit.Text;
            SetNumber(k, lit.Date);
            break;
        case LitKind::Boolean:
            k.Kind = ValueKind::Boolean;
            k.B = lit.B;
            k.Text = lit.Text;
            SetNumber(k, lit.B ? -1.0 : 0.0);
            break;
        }
        return k;
    }

    Constant Coerce(const Operand& lit, const ColumnInfo& col)
    {
        Constant n = Natural(lit);
        const ValueKind target = col.Kind;
        if (n.Kind == ValueKind::Null || target == ValueKind::Null || n.Kind == target)
            return n;
        Constant k;
        k.Text = n.Text;
        k.HasText = true;
        switch (target) {
        case ValueKind::Text:
        case ValueKind::Bytes:
            k.Kind = target;
            k.HasNumber = n.HasNumber && n.Kind != ValueKind::Date && n.Kind != ValueKind::Text;
            k.Number = n.Number;
            if (n.Kind == ValueKind::Text) {
                k.HasNumber = false; // text against text stays text
            }
            return k;
        case ValueKind::Integer:
        case ValueKind::Float:
        case ValueKind::Currency: {
            if (n.Kind == ValueKind::Date)
                Mismatch(lit, target, col);
            if (!n.HasNumber)
                Mismatch(lit, target, col);
            const std::string_view typed = n.Kind == ValueKind::Boolean ? std::string_view() : n.Text;
            if (target == ValueKind::Integer && !typed.empty() && ParseInteger(typed, k.I)) {
                k.Kind = ValueKind::Integer;
                SetNumber(k, static_cast<double>(k.I));
            } else if (target == ValueKind::Currency && !typed.empty() && ParseCurrency(typed, k.Cur)) {
                k.Kind = ValueKind::Currency;
                SetNumber(k, static_cast<double>(k.Cur) / 10000.0);
            } else if (n.Kind == ValueKind::Boolean && target != ValueKind::Float) {
                k.Kind = target;
                k.I = n.B ? -1 : 0;
                k.Cur = k.I * 10000;
                SetNumber(k, static_cast<double>(k.I));
            } else {
                // 2.5 against an Integer column, or an exponent against Currency: compare as Float.
                k.Kind = ValueKind::Float;
                k.F = n.Number;
                SetNumber(k, n.Number);
            }
            return k;
        }
        case ValueKind::Date: {
            double d = 0;
            if (n.Kind == ValueKind::Text) {
                if (!ParseDateTime(n.Text, d) && !ParseTime(n.Text, d))
                    Mismatch(lit, target, col);
            } else if (n.Kind == ValueKind::Integer || n.Kind == ValueKind::Float) {
                d = n.Number;
            } else {
                Mismatch(lit, target, col);
            }
            k.Kind = ValueKind::Date;
            k.F = d;
            SetNumber(k, d);
            return k;
        }
        case ValueKind::Boolean: {
            bool b = false;
            if (n.HasNumber && n.Kind != ValueKind::Date) {
                b = n.Number != 0;
            } else if (n.Kind == ValueKind::Text) {
                static const char* const kTrue[] = {"TRUE", "YES", "ON", "T", "Y"};
                static const char* const kFalse[] = {"FALSE", "NO", "OFF", "F", "N"};
                bool found = false;
                for (const char* w : kTrue)
                    if (EqualsNoCase(n.Text, w, *upper_))
                        found = b = true;
                for (const char* w : kFalse)
                    if (EqualsNoCase(n.Text, w, *upper_))
                        found = true, b = false;
                if (!found)
                    Mismatch(lit, target, col);
            } else {
                Mismatch(lit, target, col);
            }
            k.Kind = ValueKind::Boolean;
            k.B = b;
            SetNumber(k, b ? -1.0 : 0.0);
            return k;
        }
        default:
            return n;
        }
    }

    // ---- node builders -------------------------------------------------------------------

    NodePtr BuildCompare(const Operand& lhsIn, CompareOp op, const Operand& rhsIn)
    {
        const Operand* lhs = &lhsIn;
        const Operand* rhs = &rhsIn;
        if (!lhs->IsColumn && rhs->IsColumn) {
            std::swap(lhs, rhs);
            op = Mirror(op);
        }
        if (lhs->IsColumn && rhs->IsColumn)
            return MakeCompareColumns(lhs->Column, lhs->Fold, op, rhs->Column, rhs->Fold);
        if (!lhs->IsColumn) {
            // Two literals: decide now.
            if (lhs->Lit == LitKind::Null || rhs->Lit == LitKind::Null)
                return MakeConst(Tri::Unknown);
            const Constant a = Natural(*lhs), b = Natural(*rhs);
            int order;
            if (!CompareCellConstant(a.AsCell(), b, IdentityFold(), order))
                return MakeConst(Tri::Unknown);
            return MakeConst(ApplyOp(op, order));
        }
        if (rhs->Lit == LitKind::Null) {
            // Field = NULL and Field <> NULL are the recordset filter's way to ask for nulls.
            if (op == CompareOp::Eq)
                return MakeIsNull(lhs->Column, false);
            if (op == CompareOp::Ne)
                return MakeIsNull(lhs->Column, true);
            return MakeConst(Tri::Unknown);
        }
        return MakeCompareConst(lhs->Column, lhs->Fold, op, Coerce(*rhs, columns_[lhs->Column]));
    }

    NodePtr BuildLike(const Operand& lhs, const Operand& pattern)
    {
        if (!lhs.IsColumn)
            ThrowSyntax(what_, *lhs.At, "LIKE needs a column on its left");
        if (pattern.IsColumn || (pattern.Lit != LitKind::String && pattern.Lit != LitKind::Number &&
                                 pattern.Lit != LitKind::Null))
            ThrowSyntax(what_, *pattern.At, "LIKE needs a quoted pattern");
        if (pattern.Lit == LitKind::Null)
            return MakeConst(Tri::Unknown);
        LikePattern p;
        p.Items.reserve(pattern.Text.size());
        for (char c : pattern.Text) {
            if (c == '%' || c == '*') {
                if (p.Items.empty() || p.Items.back() != LikePattern::kAnyRun)
                    p.Items.push_back(LikePattern::kAnyRun);
            } else if (c == '_') {
                p.Items.push_back(LikePattern::kAnyOne);
            } else {
                p.Items.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(c)));
            }
        }
        return MakeLike(lhs.Column, lhs.Fold, std::move(p));
    }

    NodePtr BuildIn(const Operand& lhs, int depth)
    {
        if (!lhs.IsColumn)
            ThrowSyntax(what_, *lhs.At, "IN needs a column on its left");
        Expect(TokenKind::LParen, "expected '(' after IN");
        std::vector<Constant> items;
        while (true) {
            Operand o = ParseOperand(depth);
            if (o.IsColumn)
                ThrowSyntax(what_, *o.At, "IN lists hold values only");
            items.push_back(Coerce(o, columns_[lhs.Column]));
            if (Peek().Kind == TokenKind::Comma) {
                Next();
                continue;
            }
            Expect(TokenKind::RParen, "expected ',' or ')' in the IN list");
            break;
        }
        return MakeIn(lhs.Column, lhs.Fold, std::move(items));
    }

    std::string_view text_;
    const std::vector<ColumnInfo>& columns_;
    bool find_;
    const char* what_;
    std::shared_ptr<const FoldTable> upper_, lower_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    std::set<int> referenced_;
};

} // namespace

std::shared_ptr<const CompiledExpression> CompileFilter(std::string_view text,
                                                        const std::vector<ColumnInfo>& columns)
{
    RefreshLocale();
    return Parser(text, columns, false).Compile();
}

std::shared_ptr<const CompiledExpression> CompileFind(std::string_view text,
                                                      const std::vector<ColumnInfo>& columns)
{
    RefreshLocale();
    return Parser(text, columns, true).Compile();
}

} // namespace vmado::engine
