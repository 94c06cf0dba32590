// Random texts never crash the compiler: each either compiles (and then evaluates on every
// row) or fails with EOleException. Bounded and seeded, so a failure reproduces.
#include "ExpressionTestRows.h"

#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <random>

namespace vmado::test {
namespace {

std::string RandomText(std::mt19937& rng)
{
    static const char* const pieces[] = {
        "Name",        "Qty",         "Born",
        "Active",      "[Last Name]", "\"City\"",
        "Note",        "AND",         "OR",
        "NOT",         "LIKE",        "BETWEEN",
        "IN",          "IS",          "NULL",
        "(",           ")",           "{fn UCASE(",
        "{d '",        "{t '",        "{ts '",
        "}",           "'",           "''",
        "#",           "#1/1/1993#",  "=",
        "<>",          "<",           ">=",
        ",",           "-",           "$",
        "5",           "2.5",         "1e309",
        "'abc'",       "'S%'",        "*",
        "_",           "%",           " ",
        "\x01",        "\xE9",        "2024-01-05",
        "03:04:05 PM", "TRUE",        "[",
        "]",           "\"",          "9999999999999999999999",
        "UPPER(",      "LOWER(",      "!=",
        "==",          "..",          ".5",
        "{",           "fn",
    };
    std::uniform_int_distribution<int> count(0, 14);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> coin(0, 9);
    std::string s;
    for (int i = count(rng); i > 0; --i) {
        if (coin(rng) == 0)
            s += static_cast<char>(byte(rng));
        else
            s += pieces[pick(rng)];
        if (coin(rng) < 6)
            s += ' ';
    }
    return s;
}

TEST(ExpressionFuzz, RandomTextsCompileOrFailCleanly)
{
    std::mt19937 rng(20240105);
    int compiled = 0, refused = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = RandomText(rng);
        for (bool find : {false, true}) {
            try {
                auto e = find ? engine::CompileFind(text, People()) : engine::CompileFilter(text, People());
                for (const auto& row : PeopleRows())
                    (void)e->Matches(row);
                ++compiled;
            } catch (const EOleException& e) {
                ASSERT_GT(std::string(e.what()).size(), 10u) << text;
                ++refused;
            }
        }
    }
    // Both outcomes must occur, or the generator tests nothing.
    EXPECT_GT(compiled, 100);
    EXPECT_GT(refused, 100);
}

} // namespace
} // namespace vmado::test
