// Filter and Find criteria compiled once into an immutable predicate over typed cells.
// Evaluation never allocates and never throws; every text error is raised at compile time.
#pragma once

#include "framework/rtl/Types.h"

#include <memory>
#include <string_view>
#include <vector>

namespace vmado::engine {

enum class ValueKind { Null, Boolean, Integer, Float, Currency, Date, Text, Bytes };

struct ColumnInfo {
    AnsiString Name;
    ValueKind Kind; // the column's declared kind; literals compared with it are coerced to it
};

// A borrowed view of one cell; Kind is Null for a NULL cell. A cell may carry a kind other
// than its column's declared one (SQLite's dynamic typing): comparison then converts.
struct CellRef {
    ValueKind Kind = ValueKind::Null;
    bool B = false;
    Int64 I = 0;
    double F = 0;          // Float, and Date as days since 1899-12-30
    Int64 Cur = 0;         // Currency raw (value x 10000)
    std::string_view Text; // Text (8-bit code-page bytes) and Bytes
    // Text only, and only when the code page could not hold the database's value exactly: the
    // value as the provider read it (SQLite's bytes, ODBC's UTF-16 units). The provider binds it
    // instead of Text, so a row is found, and an unchanged value kept, by what is stored.
    std::string_view Stored;
};

class IRowReader {
public:
    virtual ~IRowReader() = default;
    virtual CellRef Cell(int column) const = 0; // column: index into the compile-time columns
};

namespace internal {
struct Node;
}

class CompiledExpression {
public:
    CompiledExpression(std::unique_ptr<const internal::Node> root, std::vector<int> columns, AnsiString text);
    ~CompiledExpression();
    CompiledExpression(const CompiledExpression&) = delete;
    CompiledExpression& operator=(const CompiledExpression&) = delete;

    // True when the row satisfies the expression; a comparison involving Null is false.
    bool Matches(const IRowReader& row) const;
    // The column indexes the expression reads, ascending, each once.
    std::vector<int> ReferencedColumns() const { return columns_; }
    const AnsiString& Text() const noexcept { return text_; } // the source text as given
    const internal::Node& Root() const noexcept { return *root_; }

private:
    std::unique_ptr<const internal::Node> root_;
    std::vector<int> columns_;
    AnsiString text_;
};

// Compiles a Filter text (a full boolean expression) against the columns; column names match
// ignoring case. Throws EOleException naming the 1-based position and the offending token for
// a malformed text, or naming an unknown column.
std::shared_ptr<const CompiledExpression> CompileFilter(std::string_view text,
                                                        const std::vector<ColumnInfo>& columns);

// Compiles a Find criterion: one comparison ("Field op value", LIKE with wildcards,
// IS [NOT] NULL, BETWEEN). Several conditions joined by AND/OR are refused with EOleException,
// as a Find takes one condition only.
std::shared_ptr<const CompiledExpression> CompileFind(std::string_view text,
                                                      const std::vector<ColumnInfo>& columns);

} // namespace vmado::engine
