// What compiled criteria select: each row is a text and the ids it must select from the
// people rows, covering the forms the library generates and those of ADO's documentation.
#include "ExpressionTestRows.h"
#include "framework/rtl/CodePage.h"

#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

struct Case {
    std::string Text;
    std::vector<Int64> Ids;
};

void RunCases(const std::vector<Case>& cases)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        EXPECT_EQ(Select(c.Text), c.Ids);
    }
}

TEST(ExpressionEval, ComparisonsOnEachKind)
{
    RunCases({
        {"Id = 3", {3}},           {"Id <> 3", {1, 2, 4, 5}}, {"Qty > 5", {3, 5}},
        {"Qty >= 5", {1, 3, 5}},   {"Qty < 5", {2}},          {"Qty <= 5", {1, 2}},
        {"Qty != 0", {1, 3, 5}},   {"Qty == 12", {3}},        {"Price > 2.4", {1, 3, 5}},
        {"Price = 2.5", {1}},      {"Qty > 2.5", {1, 3, 5}},  {"Amount = 10.25", {1}},
        {"Amount < 0", {3}},       {"Amount = $7", {5}},      {"Price = -1", {2}},
        {"Name = 'Smith'", {1}},   {"Name > 'S'", {1, 2}},    {"Name = ''", {4}},
        {"Name <> ''", {1, 2, 3}}, {"Active = -1", {1, 3}},   {"Active = 0", {2, 5}},
        {"Active <> 0", {1, 3}},   {"Active = True", {1, 3}}, {"Active", {1, 3}},
        {"NOT Active", {2, 5}},    {"Id = '3'", {3}},
    });
}

TEST(ExpressionEval, TextIsCaseSensitiveUnlessFolded)
{
    RunCases({
        {"Name = 'smith'", {}},
        {"Name LIKE 'S%'", {1}},
        {"{fn UCASE(Name)} = 'SMITH'", {1}},
        {"{fn UCASE(Name)} LIKE 'SMITH%'", {1, 2}},
        {"{fn LCASE(Name)} LIKE 'smith%'", {1, 2}},
        {"UPPER(Name) LIKE 'AB%'", {3}},
        {"LOWER(Name) = 'abba'", {3}},
        {"UCASE(Name) = UCASE('smith')", {1}},
        {"{fn UCASE(Name)} = 'smith'", {}},
        {Utf8ToAnsi("{fn UCASE(City)} = 'PÉCS'"), {2}},
        {Utf8ToAnsi("{fn LCASE(City)} LIKE 'pécs'"), {2}},
        {Utf8ToAnsi("City = 'PÉCS'"), {}},
    });
}

TEST(ExpressionEval, LikeWildcardsAnywhere)
{
    RunCases({
        {"Name LIKE 'Smith'", {1}},
        {"Name LIKE 'S*'", {1}},
        {"Name LIKE '%mith%'", {1, 2}},
        {"Name LIKE '*s'", {2}},
        {"Name LIKE 'A_BA'", {3}},
        {"Name LIKE '_'", {}},
        {"Name LIKE '%'", {1, 2, 3, 4}},
        {"Name LIKE 's%th%s'", {2}},
        {"Name NOT LIKE 'S%'", {2, 3, 4}},
        {"Qty LIKE '1%'", {3}},
        {"Born LIKE '2024-01-05%'", {1, 2}},
    });
}

TEST(ExpressionEval, NullEqualsNothing)
{
    RunCases({
        {"Qty = 0 OR Qty <> 0", {1, 2, 3, 5}},
        {"NOT (Qty = 5)", {2, 3, 5}},
        {"Name IS NULL", {5}},
        {"Name IS NOT NULL", {1, 2, 3, 4}},
        {"Qty = NULL", {4}},
        {"Qty <> NULL", {1, 2, 3, 5}},
        {"Qty > NULL", {}},
        {"Note IS NULL", {3, 4}},
        {"Name NOT IN ('Smith')", {2, 3, 4}},
        {"Name IN ('Smith', NULL)", {1}},
    });
}

TEST(ExpressionEval, PrecedenceAndGrouping)
{
    RunCases({
        {"Id = 1 OR Id = 2 AND Qty = 5", {1}},
        {"(Id = 1 OR Id = 2) AND Qty = 0", {2}},
        {"NOT Id = 1 AND Qty > 0", {3, 5}},
        {"NOT (Id = 1 AND Qty > 0)", {2, 3, 4, 5}},
        {"Id = 1 or Id = 5 and City = 'Paris'", {1, 5}},
        {"(Name = 'Smith') AND (Qty >= 5)", {1}},
        {" (Name LIKE 'Sm%') AND (Qty >  5) ", {}},
        {" (Name LIKE 'Sm%') AND (Qty >  4)  AND  (City =  'Paris') ", {1}},
        {"(City =  'Paris') AND NOT (Qty >  5) ", {1}},
        {"(City =  'Paris') OR NOT (Qty >  5) ", {1, 2, 5}},
        {"((((Id = 3))))", {3}},
    });
}

TEST(ExpressionEval, BetweenAndInLists)
{
    RunCases({
        {"Qty BETWEEN 5 AND 12", {1, 3, 5}},
        {"Qty NOT BETWEEN 5 AND 7", {2, 3}},
        {"Qty BETWEEN 5 AND 7 AND Id > 1", {5}},
        {"Name BETWEEN 'A' AND 'T'", {1, 3}},
        {"Born BETWEEN #2024-01-01# AND #2024-12-31#", {1, 2}},
        {"Id IN (1, 3, 5)", {1, 3, 5}},
        {"City IN ('Paris','London')", {1, 3, 5}},
        {" (Qty >= 5 AND Qty <= 7) ", {1, 5}},
        {" (Qty < 5 OR Qty > 7) ", {2, 3}},
    });
}

TEST(ExpressionEval, DateLiteralForms)
{
    RunCases({
        {"Born = #2024-01-05#", {1}},
        {"Born = #1/5/2024#", {1}},
        {"Born = #01/05/2024#", {1}},
        {"Born = '2024-01-05'", {1}},
        {"Born =  '2024-01-05'", {1}},
        {"Born = {d '2024-01-05'}", {1}},
        {"Born = {d '2024-01-05' }", {1}},
        {"Born = {ts '2024-01-05 15:04:05'}", {2}},
        {"Born = {d '2024-01-05 03:04:05 PM' }", {2}},
        {"Born = #2024-01-05 03:04:05 PM#", {2}},
        {"Born = #2024-01-05T15:04:05#", {2}},
        {"Born = #1/5/2024 3:04:05 PM#", {2}},
        {"Born > #1/1/1993#", {1, 2}},
        {"Born >= #1/1/1993#", {1, 2, 3}},
        {"Born > #8/24/95#", {1, 2}},
        {"Born < {d '1900-01-01'}", {5}},
        {"Born >= #2024-01-05# AND Born <= #2024-01-06#", {1, 2}},
    });
}

// Two-digit years read as 2000-2029 and 1930-1999 whatever the date today.
TEST(ExpressionEval, TwoDigitYearsFollowAFixedWindow)
{
    RunCases({
        {"Born > #1/1/50#", {1, 2, 3}},
        {"Born < #1/1/30#", {5}},
        {"Born < #1/1/29#", {1, 2, 3, 5}},
        {"Born > #12/31/75# AND Born < #1/1/00#", {3}},
        {"Born < #1/5/24#", {3, 5}},
    });
}

TEST(ExpressionEval, TextBetweenHashMarksThatIsNoDateIsAString)
{
    RunCases({
        {"City = #Paris#", {1, 5}},
        {"City <> #Paris#", {2, 3}},
        {"Name = #Smith# OR City = #London#", {1, 3}},
        {"City IN (#London#, #x#)", {3}},
        {"Qty = #12#", {3}},
    });
    EXPECT_EQ(SelectFind("City = #London#"), (std::vector<Int64>{3}));
}

TEST(ExpressionEval, NamesAndFieldToField)
{
    RunCases({
        {"[Last Name] = 'Smith'", {1, 5}},
        {"\"Last Name\" = 'Smith'", {1, 5}},
        {"[Last Name] = 'O''Brien'", {3}},
        {"Name = [Last Name]", {1}},
        {"Name <> [Last Name]", {2, 3}},
        {"Qty = Price", {5}},
        {"Qty > Price", {1, 2}},
        {"{fn UCASE(Name)} = {fn UCASE([Last Name])}", {1}},
        {"people.Qty = 12", {3}},
        {"Last Name = 'Smith'", {1, 5}},
        {" (Last Name  LIKE 'Sm%') AND (Name = Last Name) ", {1}},
        {"Last Name IS NULL", {4}},
        {"ID = 2", {2}},
        {"5 < Qty", {3, 5}},
        {"1 = 1", {1, 2, 3, 4, 5}},
        {"1 = 0", {}},
    });
}

TEST(ExpressionEval, UntypedColumnComparesByCellKind)
{
    RunCases({
        {"Note = 'a,b'", {1}},
        {"Note = 7", {2}},
        {"Note > 5", {2}},
        {"Note LIKE 'x'", {5}},
    });
}

TEST(ExpressionEval, AdoDocumentationFilters)
{
    RunCases({
        {"Name = 'Smith'", {1}},
        {"Born > #1/1/1993#", {1, 2}},
        {"Name LIKE 'S*'", {1}},
        {"City = 'Paris' AND Qty > 5", {5}},
        {"(City = 'Paris' OR City = 'London') AND Qty > 5", {3, 5}},
        {"Amount > $10.00", {1}},
        {"Price > 12.345", {3}},
    });
}

TEST(ExpressionEval, FindCriteriaSingleCondition)
{
    EXPECT_EQ(SelectFind("Name = 'Smith'"), (std::vector<Int64>{1}));
    EXPECT_EQ(SelectFind("Name LIKE 'sm%'"), (std::vector<Int64>{2}));
    EXPECT_EQ(SelectFind("Qty >= 5"), (std::vector<Int64>{1, 3, 5}));
    EXPECT_EQ(SelectFind("Born = #2024-01-05#"), (std::vector<Int64>{1}));
    EXPECT_EQ(SelectFind("Qty BETWEEN 1 AND 6"), (std::vector<Int64>{1}));
}

TEST(ExpressionEval, ReferencedColumnsAreSortedAndUnique)
{
    auto e = engine::CompileFilter("City = 'x' OR Id = 1 OR city = Name", People());
    EXPECT_EQ(e->ReferencedColumns(), (std::vector<int>{0, 1, 8}));
    EXPECT_EQ(e->Text(), "City = 'x' OR Id = 1 OR city = Name");
}

TEST(ExpressionEval, BlankFilterSelectsEverything)
{
    EXPECT_EQ(Select("   "), (std::vector<Int64>{1, 2, 3, 4, 5}));
}

} // namespace
} // namespace vmado::test

namespace vmado::test {
namespace {

TEST(ExpressionLocale, ShortDatesAndDecimalsFollowTheSettings)
{
    TFormatSettings hu = TFormatSettings::EnglishUS();
    hu.ShortDateFormat = "yyyy.MM.dd.";
    hu.DateSeparator = '.';
    hu.DecimalSeparator = ',';
    hu.TimeAMString = "de.";
    hu.TimePMString = "du.";
    {
        ScopedFormatSettings scoped(hu);
        EXPECT_EQ(Select("Born = #2024.01.05.#"), (std::vector<Int64>{1}));
        EXPECT_EQ(Select("Born = '2024-01-05 03:04:05 du.'"), (std::vector<Int64>{2}));
        EXPECT_EQ(Select("Price = '2,5'"), (std::vector<Int64>{1}));
        EXPECT_EQ(Select(" (Price >  2,4) "), (std::vector<Int64>{1, 3, 5}));
        EXPECT_EQ(Select("Amount = 10,25"), (std::vector<Int64>{1}));
        EXPECT_EQ(Select("Id IN (1, 3)"), (std::vector<Int64>{1, 3}));
        EXPECT_EQ(Select("Born = #2024-01-05#"), (std::vector<Int64>{1})); // ISO is read everywhere
    }
    TFormatSettings de = TFormatSettings::EnglishUS();
    de.ShortDateFormat = "dd.MM.yyyy";
    de.DateSeparator = '.';
    {
        ScopedFormatSettings scoped(de);
        EXPECT_EQ(Select("Born = #05.01.2024#"), (std::vector<Int64>{1}));
        EXPECT_EQ(Select("Born = #5/1/2024#"), (std::vector<Int64>{1})); // day first: 5 January
    }
    // Back to the defaults: month first again.
    EXPECT_EQ(Select("Born = #1/5/2024#"), (std::vector<Int64>{1}));
}

} // namespace
} // namespace vmado::test

namespace vmado::test {
namespace {

TEST(ExpressionEval, MasterRelationForms)
{
    const std::vector<ColumnInfo> cols = {{"CustNo", ValueKind::Integer},
                                          {"Region", ValueKind::Text},
                                          {"At", ValueKind::Date},
                                          {"Flag", ValueKind::Boolean}};
    TestCell at = Dt(1899, 12, 30, 15, 4, 5); // a time of day alone
    const std::vector<VectorRow> rows = {
        VectorRow({Int(1001), Txt("North"), at, Bool(true)}),
        VectorRow({Int(1002), Txt("North"), Dt(1899, 12, 30, 9, 0, 0), Bool(false)}),
    };
    const struct {
        const char* Text;
        std::vector<bool> Matches;
    } cases[] = {
        {"CustNo = 1001 and Region = 'North'", {true, false}},
        {"At = {t '03:04:05 PM' }", {true, false}},
        {"At = {t '15:04:05'}", {true, false}},
        {"At < {t '12:00:00'}", {false, true}},
        {"Flag = -1 and Region = 'North'", {true, false}},
        {"CustNo = 1002 or Flag = -1", {true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        auto e = engine::CompileFilter(c.Text, cols);
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(e->Matches(rows[i]), c.Matches[i]) << "row " << i;
    }
}

} // namespace
} // namespace vmado::test
