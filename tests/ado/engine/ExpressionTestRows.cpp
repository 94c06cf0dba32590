// The shared people row set: a few rows chosen so that every operator has hits and misses,
// with Null cells in every column kind.
#include "ExpressionTestRows.h"
#include "framework/rtl/CodePage.h"

#include "ado/engine/expression/internal/Literals.h"

namespace vmado::test {

TestCell Null()
{
    return TestCell{};
}
TestCell Int(Int64 v)
{
    TestCell c;
    c.Ref.Kind = ValueKind::Integer;
    c.Ref.I = v;
    return c;
}
TestCell Flt(double v)
{
    TestCell c;
    c.Ref.Kind = ValueKind::Float;
    c.Ref.F = v;
    return c;
}
TestCell Cur(double v)
{
    TestCell c;
    c.Ref.Kind = ValueKind::Currency;
    c.Ref.Cur = static_cast<Int64>(v * 10000 + (v < 0 ? -0.5 : 0.5));
    return c;
}
TestCell Bool(bool v)
{
    TestCell c;
    c.Ref.Kind = ValueKind::Boolean;
    c.Ref.B = v;
    return c;
}
TestCell Txt(std::string v)
{
    TestCell c;
    c.Ref.Kind = ValueKind::Text;
    c.Owned = std::move(v);
    return c;
}

double DateValue(int y, int m, int d, int h, int n, int s)
{
    double v = 0;
    engine::internal::EncodeDateTime(y, m, d, h, n, s, 0, v);
    return v;
}

TestCell Dt(int y, int m, int d, int h, int n, int s)
{
    TestCell c;
    c.Ref.Kind = ValueKind::Date;
    c.Ref.F = DateValue(y, m, d, h, n, s);
    return c;
}

const std::vector<ColumnInfo>& People()
{
    static const std::vector<ColumnInfo> cols = {
        {"Id", ValueKind::Integer},     {"Name", ValueKind::Text},       {"Qty", ValueKind::Integer},
        {"Price", ValueKind::Float},    {"Amount", ValueKind::Currency}, {"Born", ValueKind::Date},
        {"Active", ValueKind::Boolean}, {"Last Name", ValueKind::Text},  {"City", ValueKind::Text},
        {"Note", ValueKind::Null},
    };
    return cols;
}

const std::vector<VectorRow>& PeopleRows()
{
    static const std::vector<VectorRow> rows = {
        VectorRow({Int(1), Txt("Smith"), Int(5), Flt(2.5), Cur(10.25), Dt(2024, 1, 5), Bool(true),
                   Txt("Smith"), Txt("Paris"), Txt("a,b")}),
        VectorRow({Int(2), Txt("smithers"), Int(0), Flt(-1), Cur(0), Dt(2024, 1, 5, 15, 4, 5), Bool(false),
                   Txt("Jones"), Txt(Utf8ToAnsi("Pécs")), Int(7)}),
        VectorRow({Int(3), Txt("ABBA"), Int(12), Flt(100), Cur(-3.5), Dt(1993, 1, 1), Bool(true),
                   Txt("O'Brien"), Txt("London"), Null()}),
        VectorRow({Int(4), Txt(""), Null(), Null(), Null(), Null(), Null(), Null(), Null(), Null()}),
        VectorRow({Int(5), Null(), Int(7), Flt(7), Cur(7), Dt(1899, 12, 30), Bool(false), Txt("Smith"),
                   Txt("Paris"), Txt("x")}),
    };
    return rows;
}

namespace {
std::vector<Int64> Run(const engine::CompiledExpression& e)
{
    std::vector<Int64> ids;
    for (const auto& r : PeopleRows())
        if (e.Matches(r))
            ids.push_back(r.Cell(0).I);
    return ids;
}
} // namespace

std::vector<Int64> Select(const std::string& filter)
{
    return Run(*engine::CompileFilter(filter, People()));
}
std::vector<Int64> SelectFind(const std::string& criteria)
{
    return Run(*engine::CompileFind(criteria, People()));
}

} // namespace vmado::test
