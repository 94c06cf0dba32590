// Every ADO-dialect text of the shared cases compiles with the engine's criteria compiler and,
// evaluated over typed cells holding the Person rows, selects the rows the line means.
#include "AdoFilterCases.h"

#include "ado/engine/expression/Expression.h"
#include "framework/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <optional>

using namespace vmado;
using namespace vmado::test;
using engine::CellRef;
using engine::ColumnInfo;
using engine::ValueKind;

namespace {

struct PersonRow {
    int id = 0;
    std::optional<std::string> name, city, shipCity;
    std::optional<Int64> age;
    std::optional<double> price;
    std::optional<TDateTime> born;
    std::optional<bool> active;
};

struct PersonReader : engine::IRowReader {
    explicit PersonReader(const PersonRow& row) : r(row) {}
    const PersonRow& r;

    CellRef Cell(int column) const override
    {
        CellRef c;
        auto text = [&c](const std::optional<std::string>& s) {
            if (s) {
                c.Kind = ValueKind::Text;
                c.Text = *s;
            }
        };
        switch (column) {
        case 0:
            c.Kind = ValueKind::Integer;
            c.I = r.id;
            break;
        case 1:
            text(r.name);
            break;
        case 2:
            text(r.city);
            break;
        case 3:
            text(r.shipCity);
            break;
        case 4:
            if (r.age) {
                c.Kind = ValueKind::Integer;
                c.I = *r.age;
            }
            break;
        case 5:
            if (r.price) {
                c.Kind = ValueKind::Float;
                c.F = *r.price;
            }
            break;
        case 6:
            if (r.born) {
                c.Kind = ValueKind::Date;
                c.F = *r.born;
            }
            break;
        case 7:
            if (r.active) {
                c.Kind = ValueKind::Boolean;
                c.B = *r.active;
            }
            break;
        }
        return c;
    }
};

const std::vector<ColumnInfo>& PersonColumns()
{
    static const std::vector<ColumnInfo> columns = {
        {"Id", ValueKind::Integer},    {"Name", ValueKind::Text},     {"City", ValueKind::Text},
        {"ShipCity", ValueKind::Text}, {"Age", ValueKind::Integer},   {"Price", ValueKind::Float},
        {"Born", ValueKind::Date},     {"Active", ValueKind::Boolean}};
    return columns;
}

// The same rows as kPersonRows.
const std::vector<PersonRow>& PersonRows()
{
    static const std::vector<PersonRow> rows = [] {
        const TDateTime jan5 = EncodeDate(2024, 1, 5);
        std::vector<PersonRow> r(7);
        r[0] = {1, "Smith", "Paris", "Paris", 30, 10.5, jan5, true};
        r[1] = {2, "smithers", "London", "Paris", 45, 20, EncodeDate(2023, 12, 31), false};
        r[2] = {3, "O'Neil", "Paris", "PARIS", 25, 5, EncodeDate(2024, 3, 1), true};
        r[3] = {4, "Blacksmith", "Berlin", "Berlin", 60, 100, EncodeDate(2024, 2, 10), false};
        r[4] = {5, "Anna", "", "Rome", 18, 0, jan5 + EncodeTime(15, 4, 5, 0), true};
        r[5] = {};
        r[5].id = 6;
        r[5].name = "Zed";
        r[6] = {7, "Ann's", "Paris", "Lyon", 100, 99.99, EncodeDate(2024, 3, 2), false};
        return r;
    }();
    return rows;
}

std::vector<int> Select(const AnsiString& text)
{
    const auto compiled = engine::CompileFilter(text, PersonColumns());
    std::vector<int> ids;
    for (const PersonRow& row : PersonRows())
        if (compiled->Matches(PersonReader(row)))
            ids.push_back(row.id);
    return ids;
}

class AdoCompileCase : public testing::TestWithParam<AdoCase> {};

TEST_P(AdoCompileCase, CompilesAndSelectsTheRows)
{
    const AnsiString text = AdoText(GetParam());
    SCOPED_TRACE("filter text: [" + text + "]");
    std::vector<int> ids;
    ASSERT_NO_THROW(ids = Select(text));
    EXPECT_EQ(ids, GetParam().ids);
}

const auto kName = [](const testing::TestParamInfo<AdoCase>& info) { return CaseName(info.param); };
INSTANTIATE_TEST_SUITE_P(Strings, AdoCompileCase, testing::ValuesIn(kAdoStringCases), kName);
INSTANTIATE_TEST_SUITE_P(Values, AdoCompileCase, testing::ValuesIn(kAdoValueCases), kName);
INSTANTIATE_TEST_SUITE_P(Chains, AdoCompileCase, testing::ValuesIn(kAdoChainCases), kName);

} // namespace

TEST(AdoCompile, NegatedLinesSelectTheComplement)
{
    for (LineSpec line : kComplementLines) {
        SCOPED_TRACE(line.field);
        const std::vector<int> plain = Select(AdoText({"", {line}, false, {}}));
        line.negation = true;
        const std::vector<int> negated = Select(AdoText({"", {line}, false, {}}));
        std::vector<int> both;
        std::set_union(plain.begin(), plain.end(), negated.begin(), negated.end(), std::back_inserter(both));
        std::vector<int> overlap;
        std::set_intersection(plain.begin(), plain.end(), negated.begin(), negated.end(),
                              std::back_inserter(overlap));
        EXPECT_TRUE(overlap.empty());
        // Row 6 holds Null in every tested column but Name and so belongs to neither side.
        const std::vector<int> holding = std::string(line.field) == "Name"
                                             ? std::vector<int>{1, 2, 3, 4, 5, 6, 7}
                                             : std::vector<int>{1, 2, 3, 4, 5, 7};
        EXPECT_EQ(both, holding);
    }
}
