// The compiled form of a criteria text: a tree of predicate nodes over typed constants. Every
// node is immutable after compilation and evaluates in three-valued logic without allocating.
#pragma once

#include "ado/engine/expression/Expression.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vmado::engine::internal {

// Kleene logic: a comparison involving Null is Unknown, and only True rows match.
enum class Tri : std::uint8_t { False = 0, True = 1, Unknown = 2 };

inline Tri Not(Tri t)
{
    return t == Tri::Unknown ? Tri::Unknown : (t == Tri::True ? Tri::False : Tri::True);
}

enum class CompareOp : std::uint8_t { Eq, Ne, Lt, Gt, Le, Ge };

// A byte-to-byte case mapping of the code page; identity when a side is not folded.
using FoldTable = std::array<unsigned char, 256>;
const FoldTable& IdentityFold();
std::shared_ptr<const FoldTable> MakeUpperFold(); // the code page's AnsiUpperCase, byte by byte
std::shared_ptr<const FoldTable> MakeLowerFold();
// In UTF-8 a byte table folds ASCII only: this folds a text's other characters by code point, the
// way the table folds ASCII letters, into scratch. Returns s itself when nothing needs it.
std::string_view FoldBeyondAscii(std::string_view s, const FoldTable& fold, std::string& scratch);

// A literal after coercion to the kind of the column it meets. The alternate forms serve cells
// whose run-time kind differs from the column's declared one.
struct Constant {
    ValueKind Kind = ValueKind::Null;
    bool B = false;
    Int64 I = 0;
    double F = 0; // Float, Date
    Int64 Cur = 0;
    std::string Text;       // Text, Bytes
    bool HasNumber = false; // a numeric reading exists (Number below)
    double Number = 0;
    bool HasText = false; // a text reading exists (Text for non-text kinds)

    CellRef AsCell() const;
};

struct Node;
using NodePtr = std::unique_ptr<const Node>;
struct LikePattern;

// What a node is, for readers of a compiled tree other than evaluation (the SQL writer); each
// node calls the one method of its kind with its parts.
class NodeVisitor {
public:
    virtual ~NodeVisitor() = default;
    virtual void Fixed(Tri value) = 0;
    virtual void And(const std::vector<NodePtr>& items) = 0;
    virtual void Or(const std::vector<NodePtr>& items) = 0;
    virtual void Not(const Node& item) = 0;
    virtual void IsNull(int column, bool negate) = 0;
    virtual void BoolColumn(int column) = 0;
    virtual void CompareConst(int column, const FoldTable* fold, CompareOp op, const Constant& k) = 0;
    virtual void CompareColumns(int a, const FoldTable* foldA, CompareOp op, int b,
                                const FoldTable* foldB) = 0;
    virtual void Like(int column, const FoldTable* fold, const LikePattern& pattern) = 0;
    virtual void In(int column, const FoldTable* fold, const std::vector<Constant>& items) = 0;
};

struct Node {
    virtual ~Node() = default;
    virtual Tri Eval(const IRowReader& row) const = 0;
    virtual void Accept(NodeVisitor& visitor) const = 0;
};

// Three-way comparison of a cell with a constant; Unknown when the cell is Null or the two
// cannot be compared. Returns -1/0/1 in `order` otherwise.
bool CompareCellConstant(const CellRef& cell, const Constant& k, const FoldTable& fold, int& order);
bool CompareCells(const CellRef& a, const FoldTable& foldA, const CellRef& b, const FoldTable& foldB,
                  int& order);
Tri ApplyOp(CompareOp op, int order);

// LIKE pattern: literal bytes, kAnyRun for % and *, kAnyOne for _.
struct LikePattern {
    static constexpr std::int16_t kAnyRun = -1;
    static constexpr std::int16_t kAnyOne = -2;
    std::vector<std::int16_t> Items;
    bool Match(std::string_view text, const FoldTable& fold) const;
};

// Renders a non-text cell as text into buf (no allocation); returns the view or an empty
// optional-like flag through ok.
std::string_view CellAsText(const CellRef& cell, char (&buf)[64], bool& ok);

NodePtr MakeConst(Tri value);
NodePtr MakeAnd(std::vector<NodePtr> items);
NodePtr MakeOr(std::vector<NodePtr> items);
NodePtr MakeNot(NodePtr item);
NodePtr MakeIsNull(int column, bool negate);
NodePtr MakeBoolColumn(int column);
NodePtr MakeCompareConst(int column, std::shared_ptr<const FoldTable> fold, CompareOp op, Constant k);
NodePtr MakeCompareColumns(int a, std::shared_ptr<const FoldTable> foldA, CompareOp op, int b,
                           std::shared_ptr<const FoldTable> foldB);
NodePtr MakeLike(int column, std::shared_ptr<const FoldTable> fold, LikePattern pattern);
NodePtr MakeIn(int column, std::shared_ptr<const FoldTable> fold, std::vector<Constant> items);

} // namespace vmado::engine::internal
