// One-pass substitution of ":name" placeholders and "?" markers: quoted parts are skipped, names
// are whole tokens, and inserted text is never read again.
#include "framework/rtl/Exceptions.h"
#include "tables/internal/Substitute.h"

#include <gtest/gtest.h>

#include <map>

namespace vmado::tables {
namespace {

TEST(SubstituteNames, ReplacesWholeTokensOutsideQuotes)
{
    const std::map<AnsiString, AnsiString> values = {
        {"Cust", "'C'"}, {"CustNo", "1001"}, {"Region", "'10:30 :CustNo'"}, {"Város", "'Pécs'"}};
    auto value = [&](const AnsiString& name) {
        auto it = values.find(name);
        return it == values.end() ? "<" + name + ">" : it->second;
    };
    struct Case {
        const char* In;
        const char* Out;
    } cases[] = {
        {"CustNo = :CustNo and Region = :Region", "CustNo = 1001 and Region = '10:30 :CustNo'"},
        {"Code = :Cust AND No = :CustNo", "Code = 'C' AND No = 1001"},
        {"No = :CustNo AND Code = :Cust", "No = 1001 AND Code = 'C'"},
        {"(No = (:CustNo))", "(No = (1001))"},
        {"Note <> 'at :Cust' AND No = :CustNo", "Note <> 'at :Cust' AND No = 1001"},
        {"\"odd:Cust\" = :Cust", "\"odd:Cust\" = 'C'"},
        {"Note = 'it''s :Cust' AND C = :Cust", "Note = 'it''s :Cust' AND C = 'C'"},
        {"At = 10:30 AND x = :1 AND y = :", "At = 10:30 AND x = :1 AND y = :"},
        {"City = :Város", "City = 'Pécs'"},
        {"C = :Cust,:CustNo", "C = 'C',1001"},
        {"unterminated 'x :Cust", "unterminated 'x :Cust"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.In);
        EXPECT_EQ(SubstituteNames(c.In, value), c.Out);
    }
}

TEST(SubstituteMarkers, OnePassSkippingLiterals)
{
    const std::vector<AnsiString> values = {"'who?'", "2", "'a''?'"};
    auto value = [&](Integer i) { return values.at(static_cast<std::size_t>(i)); };
    struct Case {
        const char* In;
        Integer Count;
        const char* Out;
    } cases[] = {
        {"A = ? AND B = ?", 2, "A =  'who?'  AND B =  2 "},
        {"A LIKE 'who?' AND B = ? AND C = ? AND D = ?", 3,
         "A LIKE 'who?' AND B =  'who?'  AND C =  2  AND D =  'a''?' "},
        {"\"col?\" = ?", 1, "\"col?\" =  'who?' "},
        {"SELECT 1", 0, "SELECT 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.In);
        EXPECT_EQ(CountMarkers(c.In), c.Count);
        EXPECT_EQ(SubstituteMarkers(c.In, c.Count, value), c.Out);
    }
}

TEST(SubstituteMarkers, CountMismatchRaisesBeforeAnyValueIsFormatted)
{
    for (Integer given : {0, 1, 3}) {
        SCOPED_TRACE(given);
        bool called = false;
        auto value = [&](Integer) {
            called = true;
            return AnsiString("1");
        };
        try {
            SubstituteMarkers("A = ? AND B = ? AND C = 'x?'", given, value);
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("2 parameter marker(s)"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(called);
    }
}

} // namespace
} // namespace vmado::tables
