// The filter vocabulary: relation and operator texts both ways, negations, the offered choice
// lists, wildcard analysis and the stored value names of the enumerations.
#include "filters/VFilters.h"

#include "db/MemDataSet.h"
#include "framework/classes/Strings.h"

#include <gtest/gtest.h>

using namespace vmado;

namespace {

std::vector<AnsiString> Items(const TStrings& list)
{
    std::vector<AnsiString> out;
    for (Integer i = 0; i < list.Count(); ++i)
        out.push_back(list.Get(i));
    return out;
}

} // namespace

TEST(FilterVocabulary, RelationTextsAndNegations)
{
    struct Row {
        TRelationType relation;
        const char* text;
        TRelationType negation;
    };
    const Row rows[] = {
        {frNone, "  ", frNone},
        {frEqual, "= ", frNotEqual},
        {frNotEqual, "<>", frEqual},
        {frBigger, "> ", frSmaller},
        {frBiggerEqual, ">=", frSmallerEqual},
        {frSmaller, "< ", frBigger},
        {frSmallerEqual, "<=", frBiggerEqual},
        {frJokerRight, "A*", frJokerRight},
        {frJokerLeft, "*A", frJokerLeft},
        {frJokerSub, "**", frJokerSub},
        {frSpecEqual, "==", frSpecEqual},
        {frEmpty, "", frEmpty},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(RelationTypeNames()[row.relation]);
        EXPECT_EQ(RelationToString(row.relation), row.text);
        EXPECT_EQ(RelationNegation(row.relation), row.negation);
        if (row.relation != frEmpty) {
            EXPECT_EQ(RelationToString(row.relation).size(), 2u);
            EXPECT_EQ(StringToRelation(row.text), row.relation);
        }
    }
}

TEST(FilterVocabulary, StringToRelationIsExact)
{
    EXPECT_EQ(StringToRelation("="), frNone);
    EXPECT_EQ(StringToRelation("= "), frEqual);
    EXPECT_EQ(StringToRelation(">"), frNone);
    EXPECT_EQ(StringToRelation("a*"), frNone);
    EXPECT_EQ(StringToRelation(""), frNone); // frEmpty has no text to match
    EXPECT_EQ(StringToRelation("  "), frNone);
}

TEST(FilterVocabulary, LogicalTextsAndNegations)
{
    struct Row {
        TLogicalType logical;
        const char* text;
        TLogicalType parsed;
        TLogicalType negation;
    };
    const Row rows[] = {
        {flNone, "NONE", flNone, flNone}, {flEnd, "END", flEnd, flEnd},
        {flAnd, "AND", flAnd, flAndNot},  {flAndNot, "AND NOT", flAndNot, flAnd},
        {flOr, "OR", flOr, flOrNot},      {flOrNot, "OR NOT", flOrNot, flOr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(LogicalToString(row.logical), row.text);
        EXPECT_EQ(StringToLogical(row.text), row.parsed);
        EXPECT_EQ(LogicalNegation(row.logical), row.negation);
    }
    EXPECT_EQ(StringToLogical("and"), flNone);
    EXPECT_EQ(StringToLogical("AND  NOT"), flNone);
}

TEST(FilterVocabulary, RelationChoicesDependOnTheKind)
{
    TStringList list;
    list.Add("stale");
    RelationStrings(&list, ffNumeric);
    EXPECT_EQ(Items(list), (std::vector<AnsiString>{"= ", "<>", "> ", ">=", "< ", "<=", "=="}));
    RelationStrings(&list, ffString);
    EXPECT_EQ(Items(list),
              (std::vector<AnsiString>{"= ", "<>", "> ", ">=", "< ", "<=", "==", "A*", "*A", "**"}));
    RelationStrings(&list, static_cast<const TField*>(nullptr));
    EXPECT_EQ(list.Count(), 7);
}

TEST(FilterVocabulary, OperatorChoicesInOfferedOrder)
{
    TStringList list;
    list.Add("stale");
    LogicalOpStrings(&list);
    EXPECT_EQ(Items(list), (std::vector<AnsiString>{"END", "AND", "OR", "AND NOT", "OR NOT"}));
}

TEST(FilterVocabulary, AnalyseRelationReadsWildcards)
{
    struct Row {
        const char* lower;
        const char* upper;
        TRelationType expected;
    };
    const Row rows[] = {
        {"%", "", frEmpty},      {"%x", "", frJokerLeft}, {"x%", "", frJokerRight}, {"x%y", "", frEqual},
        {"%x%", "", frJokerSub}, {"x_y", "", frJokerSub}, {"x%", "y", frEqual},     {"abc", "", frEqual},
        {"", "", frEqual},       {"%%", "", frJokerSub},  {"x%_", "", frJokerSub},  {"_", "", frJokerSub},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.lower) + " / " + row.upper);
        EXPECT_EQ(AnalyseRelation(row.lower, row.upper), row.expected);
    }
}

TEST(FilterVocabulary, StoredValueNamesFollowTheOrdinals)
{
    EXPECT_EQ(FilterTypeNames(), (std::vector<AnsiString>{"ffNone", "ffString", "ffNumeric", "ffDate",
                                                          "ffLogical", "ffCustom", "ffMarker"}));
    ASSERT_EQ(RelationTypeNames().size(), 12u);
    EXPECT_EQ(RelationTypeNames()[frJokerRight], "frJokerRight");
    EXPECT_EQ(RelationTypeNames()[frEmpty], "frEmpty");
    EXPECT_EQ(LogicalTypeNames(),
              (std::vector<AnsiString>{"flNone", "flEnd", "flAnd", "flAndNot", "flOr", "flOrNot"}));
    EXPECT_EQ(FilterModeNames(), (std::vector<AnsiString>{"fmSQL", "fmADO"}));
}

TEST(FilterVocabulary, FieldKindsFromTheFieldType)
{
    struct Row {
        TFieldType type;
        Integer size;
        TFilterType expected;
    };
    const Row rows[] = {
        {ftString, 10, ffString},   {ftMemo, 0, ffString},        {ftFmtMemo, 0, ffString},
        {ftFixedChar, 4, ffString}, {ftWideString, 10, ffString}, {ftSmallint, 0, ffNumeric},
        {ftInteger, 0, ffNumeric},  {ftWord, 0, ffNumeric},       {ftFloat, 0, ffNumeric},
        {ftCurrency, 0, ffNumeric}, {ftBCD, 2, ffNumeric},        {ftAutoInc, 0, ffNumeric},
        {ftLargeint, 0, ffNumeric}, {ftDate, 0, ffDate},          {ftDateTime, 0, ffDate},
        {ftTime, 0, ffNone},        {ftBoolean, 0, ffLogical},    {ftBlob, 0, ffNone},
        {ftBytes, 4, ffNone},       {ftGraphic, 0, ffNone},
    };
    vmado::test::TMemDataSet ds;
    for (std::size_t i = 0; i < std::size(rows); ++i)
        ds.FieldDefs()->Add("F" + std::to_string(i), rows[i].type, rows[i].size);
    ds.Open();
    TStringList list;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const TField* field = ds.FieldByName("F" + std::to_string(i));
        ASSERT_EQ(field->DataType(), rows[i].type);
        EXPECT_EQ(FieldToFilterType(field), rows[i].expected);
        RelationStrings(&list, field);
        EXPECT_EQ(list.Count(), rows[i].expected == ffString ? 10 : 7);
    }
    EXPECT_EQ(FieldToFilterType(nullptr), ffNone);
}
