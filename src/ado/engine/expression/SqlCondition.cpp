// The filter's evaluation rules decide what may be written: text compares byte by byte in the
// code page and LIKE is case-sensitive, dates compare by their day numbers, a Boolean column
// counts any non-zero value as true, and Null makes a comparison unknown. Each piece below says
// the same in the backend's SQL, or the whole condition is refused.
#include "ado/engine/expression/SqlCondition.h"

#include "ado/engine/expression/internal/Nodes.h"
#include "ado/engine/internal/IsoDate.h"

#include "framework/rtl/Exceptions.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace vmado::engine {

using namespace internal;

namespace {

const char* OpText(CompareOp op)
{
    switch (op) {
    case CompareOp::Eq:
        return " = ";
    case CompareOp::Ne:
        return " <> ";
    case CompareOp::Lt:
        return " < ";
    case CompareOp::Gt:
        return " > ";
    case CompareOp::Le:
        return " <= ";
    case CompareOp::Ge:
        return " >= ";
    }
    return " = ";
}

bool IsOrdering(CompareOp op)
{
    return op != CompareOp::Eq && op != CompareOp::Ne;
}

bool IsNumber(ValueKind kind)
{
    return kind == ValueKind::Integer || kind == ValueKind::Float || kind == ValueKind::Currency;
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

AnsiString Quoted(std::string_view text)
{
    AnsiString out = "'";
    for (char c : text) {
        if (c == '\'')
            out += '\'';
        out += c;
    }
    return out + "'";
}

class Writer final : public NodeVisitor {
public:
    Writer(const std::vector<SqlColumn>& columns, SqlDialect dialect) : columns_(columns), dialect_(dialect)
    {
    }

    AnsiString Write(const Node& node)
    {
        AnsiString saved = std::move(out_);
        out_.clear();
        node.Accept(*this);
        return std::exchange(out_, std::move(saved));
    }

    void Fixed(Tri value) override
    {
        out_ = value == Tri::True ? "1 = 1" : value == Tri::False ? "1 = 0" : "NULL = 1";
    }

    void And(const std::vector<NodePtr>& items) override { Join(items, " AND "); }
    void Or(const std::vector<NodePtr>& items) override { Join(items, " OR "); }

    void Not(const Node& item) override { out_ = "NOT (" + Write(item) + ")"; }

    void IsNull(int column, bool negate) override
    {
        out_ = Name(column) + (negate ? " IS NOT NULL" : " IS NULL");
    }

    void BoolColumn(int column) override
    {
        const SqlColumn& c = Column(column);
        if (c.Kind != ValueKind::Boolean)
            Refuse("column " + c.Label + " has no declared type to read it as a condition");
        out_ = "(" + BooleanTest(Name(column), true) + ")";
    }

    void CompareConst(int column, const FoldTable* fold, CompareOp op, const Constant& k) override
    {
        const SqlColumn& c = Checked(column, fold);
        if (c.Kind == ValueKind::Boolean) {
            if (IsOrdering(op) || k.Kind != ValueKind::Boolean)
                Refuse("column " + c.Label + " is Boolean; only = and <> with True or False can be written");
            out_ = "(" + BooleanTest(Name(column), k.B == (op == CompareOp::Eq)) + ")";
            return;
        }
        if (c.Kind == ValueKind::Text && IsOrdering(op) && !IsAscii(k.Text))
            Refuse("text order of column " + c.Label +
                   " against a value beyond ASCII depends on the "
                   "database's collation");
        out_ = Operand(column) + OpText(op) + Literal(c, k) + Collation(c, op);
    }

    void CompareColumns(int a, const FoldTable* foldA, CompareOp op, int b, const FoldTable* foldB) override
    {
        const SqlColumn& ca = Checked(a, foldA);
        const SqlColumn& cb = Checked(b, foldB);
        const bool numbers = IsNumber(ca.Kind) && IsNumber(cb.Kind);
        const bool same = ca.Kind == cb.Kind && (ca.Kind == ValueKind::Date || ca.Kind == ValueKind::Text);
        if (!numbers && !same)
            Refuse("columns " + ca.Label + " and " + cb.Label + " are compared across kinds");
        if (ca.Kind == ValueKind::Text && IsOrdering(op))
            Refuse("text order of columns " + ca.Label + " and " + cb.Label +
                   " depends on the database's collation");
        out_ = Operand(a) + OpText(op) + Operand(b);
    }

    void Like(int column, const FoldTable* fold, const LikePattern& pattern) override
    {
        const SqlColumn& c = Checked(column, fold);
        if (c.Kind != ValueKind::Text)
            Refuse("LIKE on column " + c.Label + ", which holds no text");
        AnsiString text;
        for (const std::int16_t item : pattern.Items) {
            if (item == LikePattern::kAnyRun) {
                text += dialect_ == SqlDialect::SQLite ? '*' : '%';
            } else if (item == LikePattern::kAnyOne) {
                text += dialect_ == SqlDialect::SQLite ? '?' : '_';
            } else {
                const char ch = static_cast<char>(item);
                // GLOB is SQLite's case-sensitive match; its own wildcards stand for themselves
                // in brackets. PostgreSQL's LIKE takes the backslash as its escape.
                if (dialect_ == SqlDialect::SQLite && (ch == '*' || ch == '?' || ch == '['))
                    text += AnsiString("[") + ch + "]";
                else if (dialect_ != SqlDialect::SQLite && ch == '\\')
                    text += "\\\\";
                else
                    text += ch;
            }
        }
        if (dialect_ == SqlDialect::Generic)
            Refuse("LIKE on column " + c.Label + ": the database's case rules are unknown");
        out_ = Name(column) + (dialect_ == SqlDialect::SQLite ? " GLOB " : " LIKE ") + Quoted(text);
    }

    void In(int column, const FoldTable* fold, const std::vector<Constant>& items) override
    {
        const SqlColumn& c = Checked(column, fold);
        if (c.Kind == ValueKind::Boolean)
            Refuse("IN on Boolean column " + c.Label);
        AnsiString list;
        for (const Constant& k : items)
            list +=
                (list.empty() ? "" : ", ") + (k.Kind == ValueKind::Null ? AnsiString("NULL") : Literal(c, k));
        out_ = Operand(column) + " IN (" + list + ")";
    }

private:
    [[noreturn]] static void Refuse(const AnsiString& why)
    {
        throw EOleException("The filter cannot be written as SQL with the same meaning: " + why,
                            "Expression");
    }

    const SqlColumn& Column(int index) const { return columns_.at(static_cast<std::size_t>(index)); }

    const SqlColumn& Checked(int index, const FoldTable* fold) const
    {
        const SqlColumn& c = Column(index);
        if (fold)
            Refuse("UCASE/LCASE of column " + c.Label +
                   " folds letters by the code page, not as the database does");
        if (c.Kind == ValueKind::Null || c.Kind == ValueKind::Bytes)
            Refuse("column " + c.Label + " has no type its values compare by in SQL");
        if (c.Kind == ValueKind::Date) {
            if (c.Type == adDBTime)
                Refuse("column " + c.Label + " holds times of day");
            if (dialect_ == SqlDialect::Generic)
                Refuse("dates of column " + c.Label + ": the database's date literals are unknown");
        }
        return c;
    }

    AnsiString Name(int index) const
    {
        const SqlColumn& c = Column(index);
        if (c.Name.empty())
            Refuse("column " + c.Label + " is not a column of a table");
        return c.Name;
    }

    // SQLite keeps dates as text in more than one layout; julianday reads them all as one number.
    AnsiString Operand(int index) const
    {
        if (Column(index).Kind == ValueKind::Date && dialect_ == SqlDialect::SQLite)
            return "julianday(" + Name(index) + ")";
        return Name(index);
    }

    // Ordering of ASCII text is byte order only under the C collation in PostgreSQL.
    AnsiString Collation(const SqlColumn& c, CompareOp op) const
    {
        if (c.Kind == ValueKind::Text && IsOrdering(op) && dialect_ != SqlDialect::SQLite) {
            if (dialect_ == SqlDialect::Generic)
                Refuse("text order of column " + c.Label + " depends on the database's collation");
            return " COLLATE \"C\"";
        }
        return {};
    }

    AnsiString BooleanTest(const AnsiString& name, bool truth) const
    {
        if (dialect_ == SqlDialect::PostgreSQL)
            return name + (truth ? " = TRUE" : " = FALSE");
        return name + (truth ? " <> 0" : " = 0");
    }

    AnsiString Literal(const SqlColumn& c, const Constant& k) const
    {
        switch (k.Kind) {
        case ValueKind::Text:
            if (c.Kind != ValueKind::Text)
                Refuse("a text value for column " + c.Label);
            return Quoted(k.Text);
        case ValueKind::Integer:
            return std::to_string(k.I);
        case ValueKind::Currency: {
            const Int64 whole = k.Cur / 10000;
            const Int64 part = std::llabs(k.Cur % 10000);
            AnsiString text = (k.Cur < 0 && whole == 0 ? "-" : "") + std::to_string(whole) + ".";
            const AnsiString digits = std::to_string(part);
            return text + AnsiString(4 - digits.size(), '0') + digits;
        }
        case ValueKind::Float: {
            if (!std::isfinite(k.F))
                Refuse("a value for column " + c.Label + " that is no finite number");
            char buf[64];
            const auto result = std::to_chars(buf, buf + sizeof buf, k.F);
            return AnsiString(buf, result.ptr);
        }
        case ValueKind::Date: {
            const AnsiString text = Quoted(FormatIsoDateTime(k.F, adDBTimeStamp));
            if (dialect_ == SqlDialect::SQLite)
                return "julianday(" + text + ")";
            return "TIMESTAMP " + text;
        }
        default:
            break;
        }
        Refuse("a value of another kind for column " + c.Label);
    }

    void Join(const std::vector<NodePtr>& items, const char* joiner)
    {
        AnsiString text = "(";
        for (std::size_t i = 0; i < items.size(); ++i)
            text += (i ? joiner : "") + Write(*items[i]);
        out_ = text + ")";
    }

    const std::vector<SqlColumn>& columns_;
    SqlDialect dialect_;
    AnsiString out_;
};

} // namespace

AnsiString FilterCondition(const CompiledExpression& filter, const std::vector<SqlColumn>& columns,
                           SqlDialect dialect)
{
    Writer writer(columns, dialect);
    const AnsiString text = writer.Write(filter.Root());
    // A filter that lets every row through (a blank one) restricts nothing.
    return text == "1 = 1" ? AnsiString() : text;
}

} // namespace vmado::engine
