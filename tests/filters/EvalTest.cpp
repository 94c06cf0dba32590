// Filters evaluated in memory against a dataset's current record: every comparison kind, the
// three chain methods, and the field and conversion errors that reach the caller.
#include "filters/VFilters.h"
#include "framework/rtl/CodePage.h"

#include "db/MemDataSet.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

using namespace vmado;
using vmado::test::TMemDataSet;

namespace {

// One record holding a value of every kind the evaluation knows, plus kinds it ignores.
class FilterEvalTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto* defs = ds.FieldDefs();
        defs->Add("Name", ftString, 20);
        defs->Add("Shout", ftString, 20);
        defs->Add("Twin", ftString, 20);
        defs->Add("Letter", ftString, 5);
        defs->Add("Code", ftFixedChar, 5);
        defs->Add("Qty", ftInteger);
        defs->Add("Small", ftSmallint);
        defs->Add("Big", ftLargeint);
        defs->Add("Price", ftCurrency);
        defs->Add("Ratio", ftFloat);
        defs->Add("Born", ftDate);
        defs->Add("Stamp", ftDateTime);
        defs->Add("Clock", ftTime);
        defs->Add("Active", ftBoolean);
        defs->Add("Raw", ftBytes, 2);
        ds.Open();
        ds.AppendRecord({Variant("Smith"), Variant("SMITH"), Variant("Smith"), Variant(Utf8ToAnsi("ä")),
                         Variant("AB"), Variant(Integer(10)), Variant(Integer(5)), Variant(Int64(10)),
                         Variant(Currency::FromRaw(125000)), Variant(0.25),
                         Variant::FromDate(EncodeDate(2024, 1, 5)),
                         Variant::FromDate(EncodeDate(2024, 1, 5) + EncodeTime(15, 0, 0, 0)),
                         Variant::FromDate(EncodeTime(10, 0, 0, 0)), Variant(true), Variant()});
        ds.First();
    }

    TVSubFilter* Line(const AnsiString& field, TRelationType relation, const AnsiString& lower,
                      TLogicalType op = flEnd)
    {
        TVSubFilter* line = lines.Add();
        line->SetFieldName(field);
        line->SetRelation(relation);
        line->SetLowerValue(lower);
        line->SetLogicalOp(op);
        return line;
    }

    TMemDataSet ds;
    TVSubFilters lines{nullptr};
    TVFilters filters{nullptr};
};

struct EvalCase {
    const char* field;
    TRelationType relation;
    const char* lower;
    bool expected;
};

TEST_F(FilterEvalTest, OneLineByFieldKind)
{
    const EvalCase cases[] = {
        // Text: upper-cased on both sides, compared byte by byte.
        {"Name", frEqual, "smith", true},
        {"Name", frNotEqual, "smith", false},
        {"Name", frBigger, "SMITA", true},
        {"Name", frBiggerEqual, "sMiTh", true},
        {"Name", frSmaller, "SMITI", true},
        {"Name", frSmallerEqual, "SMITG", false},
        {"Name", frJokerRight, "sm", true},
        {"Name", frJokerRight, "mi", false},
        {"Name", frJokerRight, "", true},
        {"Name", frJokerLeft, "TH", true},
        {"Name", frJokerLeft, "smi", false},
        {"Name", frJokerSub, "mit", true},
        {"Name", frJokerSub, "", false},
        {"Name", frJokerSub, "xyz", false},
        {"Name", frJokerRight, "smithers", false},
        {"Name", frSpecEqual, "Shout", true},
        {"Name", frNone, "smith", false},
        {"Name", frEmpty, "", false},
        {"Letter", frEqual, "Ä", true},
        {"Code", frEqual, "ab", true},
        // Integers.
        {"Qty", frEqual, "10", true},
        {"Qty", frNotEqual, "10", false},
        {"Qty", frBigger, "9", true},
        {"Qty", frBiggerEqual, "10", true},
        {"Qty", frSmaller, "10", false},
        {"Qty", frSmallerEqual, "10", true},
        {"Qty", frSpecEqual, "Big", true},
        {"Qty", frSpecEqual, "Small", false},
        {"Qty", frJokerRight, "1", false},
        {"Qty", frEmpty, "", false},
        {"Qty", frNone, "", false},
        {"Small", frEqual, "5", true},
        {"Big", frBigger, "3", true},
        // Currency, also for floating-point fields.
        {"Price", frEqual, "12.5", true},
        {"Price", frBigger, "12.4999", true},
        {"Price", frSmaller, "12.5001", true},
        {"Price", frSmallerEqual, "12.4999", false},
        {"Ratio", frEqual, "0.25", true},
        {"Ratio", frNotEqual, "0.25", false},
        {"Price", frSpecEqual, "Ratio", false},
        {"Price", frJokerSub, "12", false},
        // Dates, typed in the locale's short date format.
        {"Born", frEqual, "1/5/2024", true},
        {"Born", frBigger, "1/4/2024", true},
        {"Stamp", frEqual, "1/5/2024", false},
        {"Stamp", frBigger, "1/5/2024", true},
        {"Stamp", frSmaller, "1/6/2024", true},
        {"Born", frSpecEqual, "Stamp", false},
        {"Born", frJokerRight, "1", false},
        {"Born", frEmpty, "", false},
        {"Price", frEmpty, "", false},
        // Booleans.
        {"Active", frEqual, "True", true},
        {"Active", frEqual, "yes", false},
        {"Active", frNotEqual, "yes", true},
        {"Active", frEqual, "1", true},
        {"Active", frBigger, "0", false},
        {"Active", frSpecEqual, "Active", true},
        // Kinds the evaluation does not compare.
        {"Clock", frEqual, "10:00", false},
        {"Raw", frEqual, "x", false},
    };
    for (const EvalCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + RelationToString(c.relation) + " [" + c.lower + "]");
        EXPECT_EQ(filters.EvalOne(Line(c.field, c.relation, Utf8ToAnsi(c.lower)), &ds), c.expected);
    }
}

TEST_F(FilterEvalTest, FieldEqualsFieldIgnoresCaseOnBothSides)
{
    // Two fields holding the same mixed-case text are equal.
    EXPECT_TRUE(filters.EvalOne(Line("Name", frSpecEqual, "Twin"), &ds));
    EXPECT_TRUE(filters.EvalOne(Line("Shout", frSpecEqual, "Twin"), &ds));
}

TEST_F(FilterEvalTest, OnlyFieldRelationAndLowerValueTakePart)
{
    TVSubFilter* line = Line("Qty", frEqual, "10");
    line->SetNegation(true);     // evaluated as if not negated
    line->SetUpperValue("20");   // a range tests its lower value alone
    line->SetFilterType(ffDate); // the field's type decides the comparison
    EXPECT_TRUE(filters.EvalOne(line, &ds));
    line->SetLowerValue("15");
    EXPECT_FALSE(filters.EvalOne(line, &ds));
}

TEST_F(FilterEvalTest, EmptyFieldNameNeverHolds)
{
    EXPECT_FALSE(filters.EvalOne(Line("", frJokerRight, ""), &ds));
    EXPECT_FALSE(filters.EvalOne(Line("   ", frJokerRight, ""), &ds));
    EXPECT_FALSE(filters.EvalOne(Line("Qty", frEqual, "10"), nullptr));
    EXPECT_FALSE(filters.EvalOne(nullptr, &ds));
}

TEST_F(FilterEvalTest, UnknownFieldRaisesTheFieldError)
{
    try {
        filters.EvalOne(Line("Missing", frEqual, "1"), &ds);
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("Missing"), std::string::npos) << e.what();
    }
    try {
        filters.EvalOne(Line("Name", frSpecEqual, "Nowhere"), &ds);
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("Nowhere"), std::string::npos) << e.what();
    }
}

TEST_F(FilterEvalTest, ValueOfTheWrongKindRaisesTheConversionError)
{
    const EvalCase cases[] = {
        {"Qty", frEqual, "ten", false},           {"Qty", frBigger, "1.5", false},
        {"Price", frEqual, "abc", false},         {"Born", frEqual, "2024-13-45", false},
        {"Stamp", frSmaller, "yesterday", false},
    };
    for (const EvalCase& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " [" + c.lower + "]");
        try {
            filters.EvalOne(Line(c.field, c.relation, c.lower), &ds);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find(c.lower), std::string::npos) << e.what();
        }
    }
}

// Lines on Qty (10 in the record): "T" holds, "F" does not.
struct ChainLine {
    char truth;
    TLogicalType op;
};

struct ChainCase {
    const char* name;
    std::vector<ChainLine> lines;
    bool expected;
};

void PrintTo(const ChainCase& c, std::ostream* os)
{
    *os << c.name;
}

class FilterChainTest : public FilterEvalTest, public testing::WithParamInterface<ChainCase> {};

TEST_P(FilterChainTest, Evaluate)
{
    TVFilter& filter = *filters.Add();
    for (const ChainLine& l : GetParam().lines) {
        TVSubFilter* line = filter.Levels()->Add();
        line->SetFieldName("Qty");
        line->SetRelation(frEqual);
        line->SetLowerValue(l.truth == 'T' ? "10" : "11");
        line->SetLogicalOp(l.op);
    }
    EXPECT_EQ(filters.Evaluate(0, &ds), GetParam().expected);
}

const ChainCase kChains[] = {
    {"NoLines", {}, false},
    {"SingleTrue", {{'T', flEnd}}, true},
    {"SingleFalse", {{'F', flEnd}}, false},
    {"SingleNoneLineStillEvaluated", {{'T', flNone}}, true},
    {"SingleBeforeLaterLines", {{'T', flEnd}, {'F', flAnd}}, true},
    // AND chains.
    {"AndBothTrue", {{'T', flAnd}, {'T', flEnd}}, true},
    {"AndSecondFalse", {{'T', flAnd}, {'F', flEnd}}, false},
    {"AndFirstFalse", {{'F', flAnd}, {'T', flEnd}}, false},
    {"AndNotSecondFails", {{'T', flAndNot}, {'F', flEnd}}, true},
    {"AndNotSecondHolds", {{'T', flAndNot}, {'T', flEnd}}, false},
    {"AndLongTrue", {{'T', flAnd}, {'T', flAndNot}, {'F', flAnd}, {'T', flEnd}}, true},
    {"AndStopsAtTerminator", {{'T', flAnd}, {'T', flEnd}, {'F', flEnd}}, true},
    {"AndCutByNoneLine", {{'T', flAnd}, {'F', flNone}}, true},
    {"AndWithoutTerminator", {{'T', flAnd}, {'F', flAnd}}, false},
    // At most ten lines of an AND chain are visited.
    {"AndTenLinesVisited",
     {{'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'F', flEnd}},
     true},
    {"AndTenthLineDecides",
     {{'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'T', flAnd},
      {'F', flEnd}},
     false},
    // OR chains.
    {"OrFirstTrue", {{'T', flOr}, {'F', flEnd}}, true},
    {"OrSecondTrue", {{'F', flOr}, {'T', flEnd}}, true},
    {"OrNoneTrue", {{'F', flOr}, {'F', flEnd}}, false},
    {"OrNotSecondFails", {{'F', flOrNot}, {'F', flEnd}}, true},
    {"OrNotSecondHolds", {{'F', flOrNot}, {'T', flEnd}}, false},
    {"OrCutByNoneLine", {{'F', flOr}, {'T', flNone}}, false},
    {"OrTenLinesVisited",
     {{'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'F', flOr},
      {'T', flEnd}},
     false},
    // Mixed chains read left to right; each line's result replaces the last.
    {"MixedMiddleTrue", {{'F', flAnd}, {'T', flOr}, {'F', flEnd}}, true},
    {"MixedMiddleFalseLastTrue", {{'F', flAnd}, {'F', flOr}, {'T', flEnd}}, true},
    {"MixedMiddleFalseLastFalse", {{'T', flAnd}, {'F', flOr}, {'F', flEnd}}, false},
    {"MixedFirstNeverDecides", {{'T', flAnd}, {'F', flOr}, {'T', flEnd}}, true},
    {"MixedTrueBeforeOrDecides", {{'T', flOr}, {'T', flAnd}, {'F', flEnd}}, true},
    {"MixedTrueBeforeAndDoesNotDecide", {{'F', flOr}, {'T', flAnd}, {'F', flEnd}}, false},
    {"MixedAndNotInverts", {{'F', flOr}, {'T', flAndNot}, {'T', flEnd}}, false},
    {"MixedOrNotInverts", {{'T', flAnd}, {'F', flOrNot}, {'F', flEnd}}, true},
    {"MixedLongChain",
     {{'F', flAnd},
      {'F', flOr},
      {'F', flAnd},
      {'F', flOr},
      {'F', flAnd},
      {'F', flOr},
      {'F', flAnd},
      {'F', flOr},
      {'F', flAnd},
      {'F', flOr},
      {'F', flAnd},
      {'T', flEnd}},
     true},
};

INSTANTIATE_TEST_SUITE_P(Chains, FilterChainTest, testing::ValuesIn(kChains),
                         [](const testing::TestParamInfo<ChainCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace

TEST_F(FilterEvalTest, EvaluateWithoutDataSetOrOutOfRange)
{
    TVFilter& filter = *filters.Add();
    filter.Levels()->Add(Line("Qty", frEqual, "10"));
    EXPECT_TRUE(filters.Evaluate(0, &ds));
    EXPECT_FALSE(filters.Evaluate(0, nullptr));
    EXPECT_FALSE(filters.Evaluate(1, &ds));
    EXPECT_FALSE(filters.Evaluate(-1, &ds));
}

TEST_F(FilterEvalTest, EvaluateFollowsTheCurrentRecord)
{
    ds.AppendRecord({Variant("Jones"), Variant(), Variant(), Variant(), Variant(), Variant(Integer(3))});
    TVFilter& filter = *filters.Add();
    filter.Levels()->Add(Line("Name", frJokerRight, "sm", flOr));
    filter.Levels()->Add(Line("Qty", frSmaller, "5"));
    std::vector<bool> seen;
    for (ds.First(); !ds.Eof(); ds.Next())
        seen.push_back(filters.Evaluate(0, &ds));
    EXPECT_EQ(seen, (std::vector<bool>{true, true}));
    filter.Levels()->GetItem(0)->SetLogicalOp(flAnd);
    seen.clear();
    for (ds.First(); !ds.Eof(); ds.Next())
        seen.push_back(filters.Evaluate(0, &ds));
    EXPECT_EQ(seen, (std::vector<bool>{false, false}));
}

TEST_F(FilterEvalTest, ErrorsReachTheCallerOfEvaluate)
{
    TVFilter& filter = *filters.Add();
    filter.Levels()->Add(Line("Qty", frEqual, "10", flAnd));
    filter.Levels()->Add(Line("Gone", frEqual, "1"));
    EXPECT_THROW(filters.Evaluate(0, &ds), EDatabaseError);
}
