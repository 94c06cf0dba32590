// Filter and Find texts: each compiles, and then evaluates on rows of every kind of cell, or is
// refused with EOleException; nothing else may escape and nothing may crash.
#include "ado/engine/expression/Expression.h"
#include "framework/rtl/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace vmado;
using namespace vmado::engine;

namespace {

class Row : public IRowReader {
public:
    explicit Row(int variant) : variant_(variant) {}
    CellRef Cell(int column) const override
    {
        CellRef c;
        if ((column + variant_) % 5 == 4)
            return c; // a Null in every row somewhere
        switch (column) {
        case 0:
            c.Kind = ValueKind::Text;
            c.Text = variant_ ? "Nov\xE1k, Jan" : "";
            break;
        case 1:
            c.Kind = ValueKind::Integer;
            c.I = variant_ ? -42 : INT64_MAX;
            break;
        case 2:
            c.Kind = ValueKind::Float;
            c.F = variant_ ? 2.5 : -1e300;
            break;
        case 3:
            c.Kind = ValueKind::Date;
            c.F = variant_ ? 45000.25 : -700000;
            break;
        case 4:
            c.Kind = ValueKind::Boolean;
            c.B = variant_ != 0;
            break;
        case 5:
            c.Kind = ValueKind::Currency;
            c.Cur = variant_ ? 123456 : INT64_MIN;
            break;
        default:
            c.Kind = ValueKind::Text; // a text cell in a numeric column, as SQLite allows
            c.Text = "12abc";
            break;
        }
        return c;
    }

private:
    int variant_;
};

const std::vector<ColumnInfo> kColumns = {
    {"Name", ValueKind::Text},         {"Qty", ValueKind::Integer},    {"Price", ValueKind::Float},
    {"Born", ValueKind::Date},         {"Active", ValueKind::Boolean}, {"Money", ValueKind::Currency},
    {"Last Name", ValueKind::Integer},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks Filter or Find; the rest is the text.
    const bool find = data[0] & 1;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        const auto e = find ? CompileFind(text, kColumns) : CompileFilter(text, kColumns);
        for (int v = 0; v < 3; ++v)
            (void)e->Matches(Row(v));
    } catch (const EOleException&) {
    }
    return 0;
}
