// Sorting and filtering through the recordset, and colour rules evaluated against the current
// record, on an open dataset.
#include "DataSetFixture.h"

#include "framework/graphics/Graphics.h"

#include <vector>

namespace vmado::test {
namespace {

using SortFilterTest = DataSetTest;

std::vector<std::string> Names(TVADODataSet& d)
{
    std::vector<std::string> out;
    for (d.First(); !d.Eof(); d.Next())
        out.push_back(d.FieldByName("name")->AsString());
    return out;
}

TVSubFilter* AddLine(TVADODataSet& d, const char* field, TFilterType type, TRelationType relation,
                     const char* value)
{
    TVFilter* filter = d.Filters()->Add();
    TVSubFilter* line = filter->Levels()->Add();
    line->SetFieldName(field);
    line->SetFilterType(type);
    line->SetRelation(relation);
    line->SetLowerValue(value);
    line->SetLogicalOp(flEnd);
    return line;
}

TEST_F(SortFilterTest, SortReachesTheRecordsetAndMarksTheFields)
{
    TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
    d.SetMarkerField("qty");
    d.SetSortStr("city DESC");
    d.Open();
    EXPECT_EQ(Names(d), (std::vector<std::string>{"Green", "Smith", "Brown", "Jones"}));
    EXPECT_EQ(d.FieldByName("city")->Tag(), 2);
    EXPECT_EQ(d.FieldByName("qty")->DisplayLabel(), " + ");

    d.SortAdd("name", smASC, false);
    EXPECT_EQ(d.Sort(), "name ASC");
    EXPECT_EQ(Names(d), (std::vector<std::string>{"Brown", "Green", "Jones", "Smith"}));
    EXPECT_EQ(d.FieldByName("name")->Tag(), 1);
    EXPECT_EQ(d.FieldByName("city")->Tag(), 0);
    EXPECT_EQ(d.FieldByName("name")->DisplayLabel(), "name     ");
    EXPECT_EQ(d.FieldByName("qty")->DisplayLabel(), " + ");

    // Toggling a field sorted ascending sorts it descending.
    d.SortAdd(d.FieldByName("name"), false);
    EXPECT_EQ(d.Sort(), "name DESC");
    EXPECT_EQ(Names(d).front(), "Smith");
    EXPECT_THROW(d.SetSortStr("nosuchfield ASC"), EOleException);
    EXPECT_EQ(d.Sort(), "nosuchfield ASC");
}

TEST_F(SortFilterTest, FilterTextAndFiltersCollectionAreCombined)
{
    TVADODataSet& d = Make("SELECT id, name, city, qty FROM people");
    std::vector<std::string> filters;
    d.OnVerbose = [&](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmFilter)
            filters.push_back(text);
    };
    d.Open();
    d.SetFilter("qty > 1");
    EXPECT_EQ(Names(d), (std::vector<std::string>{"Smith", "Jones", "Green"}));
    AddLine(d, "city", ffString, frEqual, "Paris");
    d.ExecFilter();
    EXPECT_EQ(Names(d), (std::vector<std::string>{"Smith"}));
    EXPECT_EQ(filters.back(), "qty > 1 AND " + d.Filters()->SQLText(fmADO, false));

    // Without opFilter only the free text is sent.
    d.SetOptions(TVOptions{opDialog, opConnection});
    d.ExecFilter();
    EXPECT_EQ(filters.back(), "qty > 1");
    EXPECT_EQ(Names(d).size(), 3u);

    // Setting the text it already has applies nothing.
    const std::size_t before = filters.size();
    d.SetFilter("qty > 1");
    EXPECT_EQ(filters.size(), before);
    d.SetFilter("");
    EXPECT_EQ(Names(d).size(), 4u);
}

TEST_F(SortFilterTest, FiltersAloneAreSentWithoutAJoiningAnd)
{
    TVADODataSet& d = Make("SELECT id, name, city FROM people");
    AddLine(d, "city", ffString, frEqual, "Paris");
    AnsiString sent;
    d.OnVerbose = [&](const AnsiString& text, TVerboseMode mode) {
        if (mode == vmFilter)
            sent = text;
    };
    d.Open();
    EXPECT_EQ(sent, d.Filters()->SQLText(fmADO, false));
    EXPECT_EQ(Names(d), (std::vector<std::string>{"Smith", "Brown"}));
    EXPECT_EQ(d.GetPosition(), "2/2 (1)");
    d.First();
    EXPECT_EQ(d.GetPosition(), "1/2 (1)");
}

TEST_F(SortFilterTest, ARejectedFilterTextRaisesTheEngineError)
{
    TVADODataSet& d = Open("SELECT id, name FROM people");
    EXPECT_THROW(d.SetFilter("nosuchfield = 1"), EOleException);
    EXPECT_EQ(d.Filter(), "nosuchfield = 1");
}

TEST_F(SortFilterTest, TheLastHoldingColourRuleDecidesBothColours)
{
    TVADODataSet& d = Open("SELECT id, name, city, qty FROM people ORDER BY id");
    auto rule = [&](const char* field, TRelationType relation, const char* value, TColor back, TColor fore,
                    const char* selected) {
        TVFilter* f = d.Colors()->Add();
        TVSubFilter* line = f->Levels()->Add();
        line->SetFieldName(field);
        line->SetFilterType(FieldToFilterType(d.FieldByName(field)));
        line->SetRelation(relation);
        line->SetLowerValue(value);
        line->SetLogicalOp(flEnd);
        f->SetBackGround(back);
        f->SetForeGround(fore);
        f->SetSelected(selected);
    };
    rule("city", frEqual, "Paris", clRed, clWhite, "name,city");
    rule("qty", frBigger, "3", clYellow, clBlack, "<all>");

    // Record id and field, and the colours the rules give starting from grey.
    struct Row {
        int id;
        const char* field;
        TColor back;
        TColor fore;
    };
    const Row rows[] = {{1, "name", clYellow, clBlack},
                        {1, "city", clYellow, clBlack},
                        {1, "id", clYellow, clBlack},
                        // Brown, Paris, qty 0: only the first rule, and only on its fields
                        {3, "name", clRed, clWhite},
                        {3, "nam", clRed, clWhite},
                        {3, "qty", clGray, clGray}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.id) + " " + row.field);
        for (d.First(); d.FieldByName("id")->AsInteger() != row.id; d.Next()) {
        }
        TColor back = clGray, fore = clGray;
        d.FieldColors(row.field, back, fore);
        EXPECT_EQ(back, row.back);
        EXPECT_EQ(fore, row.fore);
    }
}

} // namespace
} // namespace vmado::test
