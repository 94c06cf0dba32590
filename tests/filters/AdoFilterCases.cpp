// The shared Person table and the filter-line cases checked against it.
#include "AdoFilterCases.h"

namespace vmado::test {

void AddLine(TVFilter& filter, const LineSpec& spec)
{
    TVSubFilter* line = filter.Levels()->Add();
    line->SetFieldName(spec.field);
    line->SetFilterType(spec.type);
    line->SetRelation(spec.relation);
    line->SetLowerValue(spec.lower);
    line->SetUpperValue(spec.upper);
    line->SetNegation(spec.negation);
    line->SetLogicalOp(spec.op);
}

AnsiString AdoText(const AdoCase& c)
{
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    for (const LineSpec& line : c.lines)
        AddLine(filter, line);
    return filters.SQLText(fmADO, c.upper);
}

const char* const kPersonCreate =
    "CREATE TABLE Person (Id INTEGER PRIMARY KEY, Name VARCHAR(40), City VARCHAR(40), "
    "ShipCity VARCHAR(40), Age INTEGER, Price NUMERIC(10,2), Born DATETIME, Active BOOLEAN)";

// Row 6 holds Null in every column but Id and Name.
const std::vector<const char*> kPersonRows = {
    "1, 'Smith', 'Paris', 'Paris', 30, 10.5, '2024-01-05 00:00:00', 1",
    "2, 'smithers', 'London', 'Paris', 45, 20, '2023-12-31 00:00:00', 0",
    "3, 'O''Neil', 'Paris', 'PARIS', 25, 5, '2024-03-01 00:00:00', 1",
    "4, 'Blacksmith', 'Berlin', 'Berlin', 60, 100, '2024-02-10 00:00:00', 0",
    "5, 'Anna', '', 'Rome', 18, 0, '2024-01-05 15:04:05', 1",
    "6, 'Zed', NULL, NULL, NULL, NULL, NULL, NULL",
    "7, 'Ann''s', 'Paris', 'Lyon', 100, 99.99, '2024-03-02 00:00:00', 0",
};

const std::vector<AdoCase> kAdoStringCases = {
    {"Equal", {{"City", ffString, frEqual, "Paris"}}, false, {1, 3, 7}},
    {"EqualUpper", {{"ShipCity", ffString, frEqual, "paris"}}, true, {1, 2, 3}},
    {"NotEqual", {{"City", ffString, frNotEqual, "Paris"}}, false, {2, 4, 5}},
    {"NegatedEqual", {{"City", ffString, frEqual, "Paris", "", true}}, false, {2, 4, 5}},
    // Text compares byte by byte: lower case sorts after upper case, and a quote before letters.
    {"Bigger", {{"Name", ffString, frBigger, "Smith"}}, false, {2, 6}},
    {"SmallerEqual", {{"Name", ffString, frSmallerEqual, "Anna"}}, false, {5, 7}},
    {"Smaller", {{"Name", ffString, frSmaller, "B"}}, false, {5, 7}},
    {"StartsWithUpper", {{"Name", ffString, frJokerRight, "sm"}}, true, {1, 2}},
    {"StartsWithNegated", {{"Name", ffString, frJokerRight, "Sm", "", true}}, false, {2, 3, 4, 5, 6, 7}},
    {"EndsWithBecomesContains", {{"Name", ffString, frJokerLeft, "ith"}}, false, {1, 2, 4}},
    {"Contains", {{"Name", ffString, frJokerSub, "mit"}}, false, {1, 2, 4}},
    {"ContainsNegatedUpper", {{"Name", ffString, frJokerSub, "MIT", "", true}}, true, {3, 5, 6, 7}},
    {"QuoteInValue", {{"Name", ffString, frEqual, "O'Neil"}}, false, {3}},
    {"QuoteInPattern", {{"Name", ffString, frJokerSub, "'"}}, false, {3, 7}},
    {"QuoteInPatternUpper", {{"Name", ffString, frJokerRight, "ann'"}}, true, {7}},
    {"FieldEqualsField", {{"City", ffString, frSpecEqual, "ShipCity"}}, false, {1, 4}},
    // Only the tested field is upper-cased; the other field is compared as stored.
    {"FieldEqualsFieldUpper", {{"City", ffString, frSpecEqual, "ShipCity"}}, true, {3}},
    {"FieldNotEqualsField", {{"City", ffString, frSpecEqual, "ShipCity", "", true}}, false, {2, 3, 5, 7}},
    {"Empty", {{"City", ffString, frEmpty, ""}}, false, {5}},
    {"NotEmpty", {{"City", ffString, frEmpty, "", "", true}}, true, {1, 2, 3, 4, 7}},
    {"Range", {{"Name", ffString, frEqual, "B", "Sn"}}, false, {1, 3, 4}},
    {"RangeUpper", {{"Name", ffString, frEqual, "b", "sn"}}, true, {1, 2, 3, 4}},
    {"RangeNegated", {{"Name", ffString, frEqual, "B", "Sn", true}}, false, {2, 5, 6, 7}},
};

const std::vector<AdoCase> kAdoValueCases = {
    {"NumberBigger", {{"Age", ffNumeric, frBigger, "30"}}, false, {2, 4, 7}},
    {"NumberNegated", {{"Age", ffNumeric, frBigger, "30", "", true}}, false, {3, 5}},
    {"NumberRangeSwapped", {{"Age", ffNumeric, frEqual, "60", "25"}}, false, {1, 2, 3, 4}},
    {"NumberRangeNegated", {{"Age", ffNumeric, frEqual, "25", "60", true}}, false, {5, 7}},
    {"NumberRangeEqualEnds", {{"Age", ffNumeric, frSmallerEqual, "25", "25.0"}}, false, {3, 5}},
    {"DecimalBiggerEqual", {{"Price", ffNumeric, frBiggerEqual, "10.5"}}, false, {1, 2, 4, 7}},
    {"DecimalRange", {{"Price", ffNumeric, frEqual, "0.5", "20"}}, false, {1, 2, 3}},
    {"NumberFieldEqualsField", {{"Age", ffNumeric, frSpecEqual, "Id"}}, false, {}},
    {"DateEqual", {{"Born", ffDate, frEqual, "2024-01-05"}}, false, {1}},
    {"DateBigger", {{"Born", ffDate, frBigger, "2024-02-10"}}, false, {3, 7}},
    {"DateRange", {{"Born", ffDate, frEqual, "2024-03-01", "2024-01-05"}}, false, {1, 3, 4, 5}},
    {"DateRangeWithTime", {{"Born", ffDate, frEqual, "2024-01-05 03:04:05 PM", "2024-02-10"}}, false, {4, 5}},
    {"DateRangeNegated", {{"Born", ffDate, frEqual, "2024-01-05", "2024-03-01", true}}, false, {2, 7}},
    {"DateRangeEqualEnds", {{"Born", ffDate, frBiggerEqual, "2024-03-01", "20240301"}}, false, {3, 7}},
    {"LogicalTrue", {{"Active", ffLogical, frEqual, "True"}}, false, {1, 3, 5}},
    {"LogicalFalse", {{"Active", ffLogical, frEqual, "no"}}, false, {2, 4, 7}},
    {"LogicalNegated", {{"Active", ffLogical, frEqual, "1", "", true}}, false, {2, 4, 7}},
    {"Custom", {{"City", ffCustom, frEqual, "'Paris' OR City = 'Berlin'"}}, false, {1, 3, 4, 7}},
};

const std::vector<AdoCase> kAdoChainCases = {
    {"And",
     {{"City", ffString, frEqual, "Paris", "", false, flAnd}, {"Age", ffNumeric, frBigger, "26"}},
     false,
     {1, 7}},
    {"AndNot",
     {{"City", ffString, frEqual, "Paris", "", false, flAndNot}, {"Age", ffNumeric, frBigger, "26"}},
     false,
     {3}},
    {"Or",
     {{"City", ffString, frEqual, "Berlin", "", false, flOr}, {"Age", ffNumeric, frSmaller, "20"}},
     false,
     {4, 5}},
    {"OrNot",
     {{"Active", ffLogical, frEqual, "1", "", false, flOrNot}, {"Age", ffNumeric, frSmaller, "50"}},
     false,
     {1, 3, 4, 5, 7}},
    {"RangeThenAnd",
     {{"Age", ffNumeric, frEqual, "20", "50", true, flAnd}, {"City", ffString, frEqual, "Paris"}},
     false,
     {7}},
    {"StopsAtEnd",
     {{"City", ffString, frEqual, "Paris", "", false, flEnd}, {"Age", ffNumeric, frBigger, "99"}},
     false,
     {1, 3, 7}},
};

const std::vector<LineSpec> kComplementLines = {
    {"City", ffString, frEmpty, ""},
    {"City", ffString, frSpecEqual, "ShipCity"},
    {"Name", ffString, frEqual, "B", "Sn"},
    {"Age", ffNumeric, frEqual, "25", "60"},
    {"Born", ffDate, frEqual, "2024-01-05", "2024-03-01"},
};

} // namespace vmado::test
