// Malformed criteria: every one raises EOleException naming the position and the token.
#include "ExpressionTestRows.h"

#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

struct BadCase {
    const char* Text;
    const char* Message; // a substring of the message
};

void ExpectFailure(const BadCase& c, bool find)
{
    SCOPED_TRACE(c.Text);
    try {
        if (find)
            engine::CompileFind(c.Text, People());
        else
            engine::CompileFilter(c.Text, People());
        ADD_FAILURE() << "compiled without error";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
    }
}

TEST(ExpressionSyntax, MalformedFiltersNamePositionAndToken)
{
    const BadCase cases[] = {
        {"Name = 'x' AND AND Qty = 1", "Syntax error in filter at position 16 near 'AND'"},
        {"Name = 'x' AND", "Syntax error in filter at position 15: unexpected end of text"},
        {"Name = 'abc", "Syntax error in filter at position 8 near ''abc': unterminated string"},
        {"(Name = 'x'", "position 12: unexpected end of text, expected ')'"},
        {"Name = 'x')", "position 11 near ')': unbalanced ')'"},
        {"Name 'x'", "position 6 near ''x'': expected a comparison operator"},
        {"Name    'Paris'", "expected a comparison operator"},
        {"Name A* x", "position 7 near '*'"},
        {"Qty = 12abc", "near '12a': malformed number"},
        {"Qty = @", "position 7 near '@': unexpected character"},
        {"Born = #2024-13-45#", "position 8 near '#2024-13-45#': not a valid date"},
        {"Born = #2024-01-05", "unterminated date literal"},
        {"Born = {d 'tomorrow'}", "not a valid date"},
        {"Born = {x '2024-01-01'}", "expected fn, d, t or ts after '{'"},
        {"{fn FOO(Name)} = 'x'", "near 'FOO': unknown function"},
        {"LEN(Name) > 3", "position 1 near 'LEN': unknown function"},
        {"Name LIKE Qty", "LIKE needs a quoted pattern"},
        {"Qty BETWEEN 1 OR 2", "expected AND in BETWEEN"},
        {"Id IN (1, Qty)", "IN lists hold values only"},
        {"Name IS 5", "expected NULL"},
        {"Qty = -", "expected a number after the sign"},
        {"= 5", "position 1 near '=': expected a column name or a value"},
        {"[Last Name = 'x'", "unterminated name"},
    };
    for (const auto& c : cases)
        ExpectFailure(c, false);
}

TEST(ExpressionSyntax, UnknownColumnIsNamed)
{
    ExpectFailure({"Nmae = 'x'", "Unknown column 'Nmae' in filter at position 1"}, false);
    ExpectFailure({"Qty > 1 AND [No Such] = 2", "Unknown column 'No Such' in filter at position 13"}, false);
    ExpectFailure({"Nmae = 'x'", "Unknown column 'Nmae' in find criteria"}, true);
    ExpectFailure({"Last Nmae = 'x'", "Unknown column 'Last' in filter at position 1"}, false);
}

TEST(ExpressionSyntax, LiteralsThatDoNotFitTheColumnAreMismatches)
{
    const BadCase cases[] = {
        {"Qty = 'abc'",
         "Type mismatch in filter at position 7 near ''abc'': not a valid Integer value for column Qty"},
        {"Born = 'someday'", "not a valid Date value for column Born"},
        {"Active = 'maybe'", "not a valid Boolean value for column Active"},
        {"Amount = #2024-01-01#", "not a valid Currency value for column Amount"},
    };
    for (const auto& c : cases)
        ExpectFailure(c, false);
}

TEST(ExpressionSyntax, FindTakesOneConditionOnly)
{
    ExpectFailure(
        {"Name = 'x' AND Qty = 1",
         "Syntax error in find criteria at position 12 near 'AND': a find takes one condition only"},
        true);
    ExpectFailure({"Name = 'x' OR Qty = 1", "a find takes one condition only"}, true);
    ExpectFailure({"", "find criteria at position 1: unexpected end of text"}, true);
}

TEST(ExpressionSyntax, DeepNestingIsRefusedNotOverflowed)
{
    std::string deep(5000, '(');
    deep += "Id = 1";
    deep += std::string(5000, ')');
    ExpectFailure({deep.c_str(), "nested too deeply"}, false);
    std::string nots;
    for (int i = 0; i < 5000; ++i)
        nots += "NOT ";
    nots += "Active";
    ExpectFailure({nots.c_str(), "nested too deeply"}, false);
}

} // namespace
} // namespace vmado::test
