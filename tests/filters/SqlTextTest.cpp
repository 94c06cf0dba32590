// Filter lines to SQL WHERE and ADO filter text: the exact texts of every line kind, chains and
// collections, quote doubling in literals, negated ranges and conversion failures.
#include "filters/VFilters.h"
#include "framework/rtl/CodePage.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

using namespace vmado;

namespace {

struct LineSpec {
    const char* field;
    TFilterType type;
    TRelationType relation;
    const char* lower;
    const char* upper = "";
    bool negation = false;
    TLogicalType op = flEnd;
};

TVSubFilter* AddLine(TVFilter& filter, const LineSpec& spec)
{
    TVSubFilter* line = filter.Levels()->Add();
    line->SetFieldName(spec.field);
    line->SetFilterType(spec.type);
    line->SetRelation(spec.relation);
    line->SetLowerValue(Utf8ToAnsi(spec.lower)); // the tables are written in UTF-8
    line->SetUpperValue(Utf8ToAnsi(spec.upper));
    line->SetNegation(spec.negation);
    line->SetLogicalOp(spec.op);
    return line;
}

// The collection of the worked example: Level1 = Name starts with 'Sm' AND Age > 30,
// Level2 = City = 'Paris'.
void BuildExample(TVFilters& filters)
{
    TVFilter& level1 = *filters.Add();
    AddLine(level1, {"Name", ffString, frJokerRight, "Sm", "", false, flAnd});
    AddLine(level1, {"Age", ffNumeric, frBigger, "30"});
    AddLine(*filters.Add(), {"City", ffString, frEqual, "Paris"});
}

struct Case {
    const char* name;
    LineSpec line;
    TFilterMode mode;
    bool upper;
    const char* expected;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class FltToSqlCase : public testing::TestWithParam<Case> {};

TEST_P(FltToSqlCase, ProducesExactText)
{
    const Case& c = GetParam();
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    TVSubFilter* line = AddLine(filter, c.line);
    EXPECT_EQ(filter.FltToSQL(line, c.mode, c.upper), Utf8ToAnsi(c.expected));
}

const Case kCases[] = {
    // Strings.
    {"StartsWith",
     {"Name", ffString, frJokerRight, "Sm", "", false, flAnd},
     fmSQL,
     false,
     " (Name LIKE 'Sm%') AND"},
    {"StartsWithNegated",
     {"Name", ffString, frJokerRight, "Sm", "", true, flOr},
     fmSQL,
     false,
     " (Name NOT LIKE 'Sm%') OR"},
    {"EndsWithSql", {"Name", ffString, frJokerLeft, "th"}, fmSQL, false, " (Name LIKE '%th') "},
    {"EndsWithAdoBecomesContains",
     {"Name", ffString, frJokerLeft, "th"},
     fmADO,
     false,
     " (Name LIKE '%th%') "},
    {"Contains",
     {"Name", ffString, frJokerSub, "mi", "", false, flAndNot},
     fmADO,
     true,
     " ({fn UCASE(Name)} LIKE '%MI%') AND NOT"},
    {"EqualUpper", {"City", ffString, frEqual, "Paris"}, fmSQL, true, " ({fn UCASE(City)} =  'PARIS') "},
    {"NotEqualNegatedIsEqual",
     {"City", ffString, frNotEqual, "Paris", "", true},
     fmSQL,
     false,
     " (City =  'Paris') "},
    {"BiggerNegatedIsSmaller", {"City", ffString, frBigger, "M", "", true}, fmADO, false, " (City <  'M') "},
    {"NoRelation", {"City", ffString, frNone, "x"}, fmSQL, false, " (City    'x') "},
    {"SpecEqual",
     {"City", ffString, frSpecEqual, "ShipCity"},
     fmSQL,
     true,
     " ({fn UCASE(City)} = ShipCity) "},
    {"Empty", {"City", ffString, frEmpty, ""}, fmSQL, true, " (City = '') "},
    {"EmptyAdo", {"City", ffString, frEmpty, ""}, fmADO, false, " (City = '') "},
    {"UpperCasesOnlyStrings",
     {"Name", ffString, frEqual, "árvíz"},
     fmSQL,
     true,
     " ({fn UCASE(Name)} =  'ÁRVÍZ') "},
    // String ranges are never swapped.
    {"StringRangeSql", {"Name", ffString, frEqual, "M", "C"}, fmSQL, false, " (Name BETWEEN 'M' AND 'C') "},
    {"StringRangeSqlNegated",
     {"Name", ffString, frEqual, "A", "C", true, flOr},
     fmSQL,
     true,
     " ({fn UCASE(Name)} NOT BETWEEN 'A' AND 'C') OR"},
    {"StringRangeAdo",
     {"Name", ffString, frEqual, "a", "c"},
     fmADO,
     true,
     " ({fn UCASE(Name)} >= 'A' AND {fn UCASE(Name)} <= 'C') "},
    // Numbers.
    {"Numeric", {"Age", ffNumeric, frBigger, "30"}, fmSQL, true, " (Age >  30) "},
    {"NumericNegated", {"Age", ffNumeric, frBiggerEqual, "30", "", true}, fmSQL, false, " (Age <= 30) "},
    {"NumericSpecEqualIgnoresNegation",
     {"Age", ffNumeric, frSpecEqual, "MinAge", "", true},
     fmADO,
     false,
     " (Age = MinAge) "},
    {"NumericRangeSwapped",
     {"Age", ffNumeric, frEqual, "100", "20"},
     fmSQL,
     false,
     " (Age BETWEEN 20 AND 100) "},
    {"NumericRangeNegatedSql",
     {"Age", ffNumeric, frEqual, "20", "100", true},
     fmSQL,
     false,
     " (Age NOT BETWEEN 20 AND 100) "},
    {"NumericRangeAdo",
     {"Age", ffNumeric, frEqual, "100", "20", false, flAnd},
     fmADO,
     false,
     " (Age >= 20 AND Age <= 100) AND"},
    {"NumericRangeEqualEnds", {"Age", ffNumeric, frBigger, "5", "5.0"}, fmADO, false, " (Age >  5) "},
    // Dates.
    {"Date", {"Born", ffDate, frSmaller, "2024-01-05"}, fmADO, true, " (Born <  '2024-01-05') "},
    {"DateRangeSql",
     {"Born", ffDate, frEqual, "2024-03-01", "2024-01-05 03:04:05 PM"},
     fmSQL,
     false,
     " (Born BETWEEN #2024-01-05 03:04:05 PM# AND #2024-03-01#) "},
    {"DateRangeSqlNegated",
     {"Born", ffDate, frEqual, "2024-01-05", "2024-03-01", true},
     fmSQL,
     false,
     " (Born NOT BETWEEN #2024-01-05# AND #2024-03-01#) "},
    {"DateRangeAdo",
     {"Born", ffDate, frEqual, "2024-01-05", "2024-03-01"},
     fmADO,
     false,
     " (Born >= #2024-01-05# AND Born <= #2024-03-01#) "},
    {"DateRangeEqualEnds",
     {"Born", ffDate, frEqual, "2024-01-05", "20240105"},
     fmSQL,
     false,
     " (Born =  #2024-01-05#) "},
    // Booleans, custom text and lines without SQL.
    {"LogicalTrue", {"Active", ffLogical, frBigger, "y", "x"}, fmSQL, false, " (Active = -1) "},
    {"LogicalYesIsFalse", {"Active", ffLogical, frEqual, "yes"}, fmSQL, false, " (Active = 0) "},
    {"LogicalNegated", {"Active", ffLogical, frEqual, "True", "", true}, fmADO, false, " (Active <> -1) "},
    {"Custom", {"Qty*Price", ffCustom, frBigger, "100 OR 1=1"}, fmADO, true, " (Qty*Price >  100 OR 1=1) "},
    {"Marker", {"Mark", ffMarker, frEqual, "x"}, fmSQL, false, ""},
    {"None", {"Mark", ffNone, frEqual, "x"}, fmADO, false, ""},
    // An empty field name still produces its text.
    {"EmptyField", {"", ffNumeric, frEqual, "1"}, fmSQL, false, " ( =  1) "},
};

INSTANTIATE_TEST_SUITE_P(Lines, FltToSqlCase, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

// Mended: a quote in a value must not end the literal early.
const Case kQuoteCases[] = {
    {"Equal", {"Name", ffString, frEqual, "O'Neil"}, fmSQL, false, " (Name =  'O''Neil') "},
    {"Like", {"Name", ffString, frJokerSub, "'"}, fmADO, false, " (Name LIKE '%''%') "},
    {"StartsUpper",
     {"Name", ffString, frJokerRight, "d'a"},
     fmADO,
     true,
     " ({fn UCASE(Name)} LIKE 'D''A%') "},
    {"RangeBothEnds",
     {"Name", ffString, frEqual, "a'b", "c'd"},
     fmSQL,
     false,
     " (Name BETWEEN 'a''b' AND 'c''d') "},
    {"RangeAdo",
     {"Name", ffString, frEqual, "a'", "b'"},
     fmADO,
     false,
     " (Name >= 'a''' AND Name <= 'b''') "},
    {"Date", {"Born", ffDate, frEqual, "x') OR (1=1"}, fmSQL, false, " (Born =  'x'') OR (1=1') "},
    {"CustomStaysAsTyped", {"Name", ffCustom, frEqual, "'O''Neil'"}, fmSQL, false, " (Name =  'O''Neil') "},
};

INSTANTIATE_TEST_SUITE_P(Quotes, FltToSqlCase, testing::ValuesIn(kQuoteCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

// Mended: in the ADO dialect a negated range selects the values outside it, and a negated
// empty or field-equal string line is a "<>" comparison rather than the malformed "NOT =".
const Case kNegationCases[] = {
    {"StringRangeAdo",
     {"Name", ffString, frEqual, "B", "D", true, flAnd},
     fmADO,
     false,
     " (Name < 'B' OR Name > 'D') AND"},
    {"StringRangeAdoUpper",
     {"Name", ffString, frEqual, "b", "d", true},
     fmADO,
     true,
     " ({fn UCASE(Name)} < 'B' OR {fn UCASE(Name)} > 'D') "},
    {"NumericRangeAdo",
     {"Age", ffNumeric, frEqual, "100", "20", true},
     fmADO,
     false,
     " (Age < 20 OR Age > 100) "},
    {"DateRangeAdo",
     {"Born", ffDate, frEqual, "2024-03-01", "2024-01-05", true},
     fmADO,
     false,
     " (Born < #2024-01-05# OR Born > #2024-03-01#) "},
    {"EmptySql", {"City", ffString, frEmpty, "", "", true}, fmSQL, false, " (City <> '') "},
    {"EmptyAdo", {"City", ffString, frEmpty, "", "", true, flOr}, fmADO, true, " (City <> '') OR"},
    {"SpecEqualSql",
     {"City", ffString, frSpecEqual, "ShipCity", "", true},
     fmSQL,
     false,
     " (City <> ShipCity) "},
    {"SpecEqualAdoUpper",
     {"City", ffString, frSpecEqual, "ShipCity", "", true},
     fmADO,
     true,
     " ({fn UCASE(City)} <> ShipCity) "},
};

INSTANTIATE_TEST_SUITE_P(Negations, FltToSqlCase, testing::ValuesIn(kNegationCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

TEST(FilterSqlText, WorkedExampleInBothDialects)
{
    TVFilters filters(nullptr);
    BuildExample(filters);
    const AnsiString plain = " (Name LIKE 'Sm%') AND (Age >  30)  AND  (City =  'Paris') ";
    EXPECT_EQ(filters.SQLText(fmSQL, false), plain);
    EXPECT_EQ(filters.SQLText(fmADO, false), plain);
}

TEST(FilterSqlText, WorkedExampleWithUpper)
{
    TVFilters filters(nullptr);
    BuildExample(filters);
    const AnsiString upper =
        " ({fn UCASE(Name)} LIKE 'SM%') AND (Age >  30)  AND  ({fn UCASE(City)} =  'PARIS') ";
    EXPECT_EQ(filters.SQLText(fmSQL, true), upper);
    EXPECT_EQ(filters.SQLText(fmADO, true), upper);
    EXPECT_EQ(filters.SQLText(0, fmSQL, true), " ({fn UCASE(Name)} LIKE 'SM%') AND (Age >  30) ");
}

TEST(FilterSqlText, IndexOutOfRangeGivesNothing)
{
    TVFilters filters(nullptr);
    BuildExample(filters);
    EXPECT_EQ(filters.SQLText(2, fmSQL, false), "");
    EXPECT_EQ(filters.SQLText(-1, fmADO, false), "");
    EXPECT_EQ(filters.SQLText(1, fmADO, false), " (City =  'Paris') ");
}

TEST(FilterSqlText, FiltersWithoutTextAddNoJoiner)
{
    TVFilters filters(nullptr);
    filters.Add();                                                             // no lines
    AddLine(*filters.Add(), {"A", ffString, frEqual, "x", "", false, flNone}); // line 0 outside the chain
    EXPECT_EQ(filters.SQLText(fmSQL, false), "");
    AddLine(*filters.Add(), {"City", ffString, frEqual, "Paris"});
    filters.Add();
    EXPECT_EQ(filters.SQLText(fmSQL, false), " (City =  'Paris') ");
    EXPECT_EQ(TVFilters(nullptr).SQLText(fmADO, true), "");
}

TEST(FilterSqlText, ChainStopsAtItsTerminator)
{
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    AddLine(filter, {"A", ffNumeric, frEqual, "1", "", false, flAnd});
    AddLine(filter, {"B", ffNumeric, frEqual, "2", "", false, flEnd});
    AddLine(filter, {"C", ffNumeric, frEqual, "3", "", false, flAnd});
    EXPECT_EQ(filter.SQLText(fmSQL, false), " (A =  1) AND (B =  2) ");
}

TEST(FilterSqlText, ChainCutByANoneLineKeepsItsJoiner)
{
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    AddLine(filter, {"A", ffNumeric, frEqual, "1", "", false, flOr});
    AddLine(filter, {"B", ffNumeric, frEqual, "2", "", false, flNone});
    AddLine(filter, {"C", ffNumeric, frEqual, "3", "", false, flEnd});
    EXPECT_EQ(filter.SQLText(fmADO, false), " (A =  1) OR");
}

TEST(FilterSqlText, ChainWithoutTerminatorRunsToTheLastLine)
{
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    AddLine(filter, {"A", ffNumeric, frEqual, "1", "", false, flAnd});
    AddLine(filter, {"B", ffNumeric, frEqual, "2", "", false, flOrNot});
    EXPECT_EQ(filter.SQLText(fmSQL, false), " (A =  1) AND (B =  2) OR NOT");
}

TEST(FilterSqlText, EndsWithStaysContainsAfterAnAdoTranslation)
{
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    AddLine(filter, {"Name", ffString, frJokerLeft, "th"});
    EXPECT_EQ(filter.SQLText(fmSQL, false), " (Name LIKE '%th') ");
    EXPECT_EQ(filter.SQLText(fmADO, false), " (Name LIKE '%th%') ");
    EXPECT_EQ(filter.Levels()->GetItem(0)->Relation(), frJokerSub);
    EXPECT_EQ(filter.SQLText(fmSQL, false), " (Name LIKE '%th%') ");
}

TEST(FilterSqlText, RangeLineWithEndsWithIsNotChanged)
{
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    AddLine(filter, {"Name", ffString, frJokerLeft, "a", "c"});
    EXPECT_EQ(filter.SQLText(fmADO, false), " (Name >= 'a' AND Name <= 'c') ");
    EXPECT_EQ(filter.Levels()->GetItem(0)->Relation(), frJokerLeft);
}

TEST(FilterSqlText, NumericRangeThatIsNoNumberRaises)
{
    TVFilters filters(nullptr);
    AddLine(*filters.Add(), {"Age", ffNumeric, frEqual, "ten", "20"});
    try {
        filters.SQLText(fmADO, false);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("ten"), std::string::npos) << e.what();
    }
}

// An unquoted value must be a number, and the other field of a field-to-field comparison a name:
// anything else would become part of the condition.
TEST(FilterSqlText, UnquotedValuesThatAreNoNumberOrNameRaise)
{
    struct Row {
        LineSpec line;
        bool convertError; // else a database error
    };
    const Row rows[] = {
        {{"Age", ffNumeric, frEqual, "0) OR (1=1"}, true},
        {{"Age", ffNumeric, frBigger, "ten"}, true},
        {{"Age", ffNumeric, frSmaller, "1; DROP TABLE t"}, true},
        {{"Age", ffNumeric, frEqual, ""}, true},
        {{"Age", ffNumeric, frSpecEqual, "MinAge) OR (1=1"}, false},
        {{"Age", ffNumeric, frSpecEqual, "MinAge OR Age"}, false},
        {{"City", ffString, frSpecEqual, "ShipCity OR 1=1"}, false},
        {{"City", ffString, frSpecEqual, "[Ship]City]", "", true}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line.lower);
        for (TFilterMode mode : {fmSQL, fmADO}) {
            TVFilters filters(nullptr);
            AddLine(*filters.Add(), row.line);
            try {
                filters.SQLText(mode, false);
                ADD_FAILURE() << "no exception";
            } catch (const EConvertError& e) {
                EXPECT_TRUE(row.convertError) << e.what();
                EXPECT_NE(std::string(e.what()).find(std::string("'") + row.line.lower + "'"),
                          std::string::npos)
                    << e.what();
            } catch (const EDatabaseError& e) {
                EXPECT_FALSE(row.convertError) << e.what();
                EXPECT_NE(std::string(e.what()).find(std::string("'") + row.line.lower + "'"),
                          std::string::npos)
                    << e.what();
            }
        }
    }
}

TEST(FilterSqlText, UnquotedNumbersAndNamesInTheirUsualFormsPass)
{
    const Case rows[] = {
        {"Negative", {"Age", ffNumeric, frBigger, "-12.5"}, fmSQL, false, " (Age >  -12.5) "},
        {"Exponent", {"Age", ffNumeric, frSmaller, "1E6"}, fmADO, false, " (Age <  1E6) "},
        {"Blanks", {"Age", ffNumeric, frEqual, " 30 "}, fmSQL, false, " (Age =   30 ) "},
        {"Bracketed", {"Age", ffNumeric, frSpecEqual, "[Min Age]"}, fmADO, false, " (Age = [Min Age]) "},
        {"Qualified", {"Age", ffNumeric, frSpecEqual, "t.MinAge"}, fmSQL, false, " (Age = t.MinAge) "},
        {"NameWithBlank", {"City", ffString, frSpecEqual, "Ship City"}, fmADO, false, " (City = Ship City) "},
    };
    for (const Case& row : rows) {
        SCOPED_TRACE(row.name);
        TVFilters filters(nullptr);
        AddLine(*filters.Add(), row.line);
        EXPECT_EQ(filters.SQLText(row.mode, row.upper), row.expected);
    }
}

TEST(FilterSqlText, DateRangeThatIsNoStandardDateRaises)
{
    TVFilters filters(nullptr);
    AddLine(*filters.Add(), {"Born", ffDate, frEqual, "2024-01-05", "20240105153000"});
    EXPECT_THROW(filters.SQLText(fmSQL, false), EConvertError);
    TVFilters other(nullptr);
    AddLine(*other.Add(), {"Born", ffDate, frEqual, "yesterday", "2024-01-05"});
    EXPECT_THROW(other.SQLText(fmADO, false), EConvertError);
}

TEST(FilterSqlText, NumericRangeReadsTheLocaleDecimalSeparator)
{
    TFormatSettings hungarian;
    hungarian.DecimalSeparator = ',';
    hungarian.ThousandSeparator = ' ';
    ScopedFormatSettings scope(hungarian);
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    AddLine(filter, {"Price", ffNumeric, frEqual, "5", "5,0", false, flAnd});
    AddLine(filter, {"Price", ffNumeric, frEqual, "10", "9,5"});
    // The values are compared as numbers and written as typed.
    EXPECT_EQ(filters.SQLText(fmSQL, false), " (Price =  5) AND (Price BETWEEN 9,5 AND 10) ");
    TVFilters dotted(nullptr);
    AddLine(*dotted.Add(), {"Price", ffNumeric, frEqual, "1.5", "2"});
    EXPECT_THROW(dotted.SQLText(fmSQL, false), EConvertError);
}
