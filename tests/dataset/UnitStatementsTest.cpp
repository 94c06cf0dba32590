// Statement pieces that need no database: column references and the bulk WHERE clause built from
// the Filters collection.
#include "dataset/VDB.h"
#include "framework/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace vmado {

namespace {

TEST(UnitStatements, GenerateFieldQuotesOnlyPartsWithABlank)
{
    struct Row {
        const char* table;
        const char* field;
        const char* expected;
    };
    const Row rows[] = {
        {"Cust", "Name", "Cust.Name"},
        {"My Table", "Name", "\"My Table\".Name"},
        {"Cust", "First Name", "Cust.\"First Name\""},
        {"A \"B\"", "C", "\"A \"\"B\"\"\".C"},
        {"", "Name", "Name"}, // no table: the column alone, not ".Name"
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(TVADODataSet::GenerateField(row.table, row.field), row.expected);
    }
}

TEST(UnitStatements, GenerateFieldSplitsAQualifiedName)
{
    struct Row {
        const char* name;
        const char* expected;
    };
    const Row rows[] = {
        {"Cust.Name", "Cust.Name"},
        {"My Table.First Name", "\"My Table\".\"First Name\""},
        {"\"My Table\".Name", "\"My Table\".Name"},
        {"Name", "Name"}, // a bare name is not doubled into Name.Name
        {"Unit Price", "\"Unit Price\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TVADODataSet::GenerateField(row.name), row.expected);
    }
}

TVSubFilter* AddLine(TVFilter* filter, const char* field, TFilterType type, TRelationType relation,
                     const char* value, TLogicalType joiner)
{
    TVSubFilter* line = filter->Levels()->Add();
    line->SetFieldName(field);
    line->SetFilterType(type);
    line->SetRelation(relation);
    line->SetLowerValue(value);
    line->SetLogicalOp(joiner);
    return line;
}

TEST(UnitStatements, GenerateWhereIsEmptyWithoutFilterText)
{
    TVADODataSet ds(nullptr);
    EXPECT_EQ(ds.GenerateWhere("ignored", nullptr), "");
    ds.Filters()->Add(); // a filter without lines has no text
    EXPECT_EQ(ds.GenerateWhere("", nullptr), "");
}

TEST(UnitStatements, GenerateWhereTakesTheFiltersTextTrimmed)
{
    TVADODataSet ds(nullptr);
    AddLine(ds.Filters()->Add(), "City", ffString, frEqual,
            "P\xE9"
            "cs",
            flEnd);
    const AnsiString text = ds.Filters()->SQLText(fmADO, false);
    ASSERT_EQ(text.back(), ' ') << text; // the line's own trailing blank
    EXPECT_EQ(ds.GenerateWhere("", nullptr), " WHERE  (City =  'P\xE9"
                                             "cs')");
}

TEST(UnitStatements, GenerateWhereDropsTheJoinerOfACutChain)
{
    TVADODataSet ds(nullptr);
    TVFilter* filter = ds.Filters()->Add();
    AddLine(filter, "City", ffString, frEqual, "Paris", flAnd);
    AddLine(filter, "Qty", ffNumeric, frBigger, "5", flNone);
    const AnsiString where = ds.GenerateWhere("", nullptr);
    ASSERT_TRUE(Trim(ds.Filters()->SQLText(fmADO, false)).ends_with("AND"));
    EXPECT_EQ(where, " WHERE  (City =  'Paris') "); // the blank before the removed AND stays
}

TEST(UnitStatements, GenerateWhereUpperCasesWhenFiltersIgnoreCase)
{
    TVADODataSet ds(nullptr);
    AddLine(ds.Filters()->Add(), "City", ffString, frEqual, "Paris", flEnd);
    ds.SetFilterOptions(TFilterOptions{foCaseInsensitive});
    const AnsiString where = ds.GenerateWhere("", nullptr);
    EXPECT_EQ(where, " WHERE  ({fn UCASE(City)} =  'PARIS')");
}

} // namespace

} // namespace vmado
