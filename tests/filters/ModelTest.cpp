// The filter classes: lines and their wildcard-free values, chain re-termination, filters and
// their naming, copying and lookups in a collection.
#include "filters/VFilters.h"
#include "framework/rtl/CodePage.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

using namespace vmado;

namespace {

TVSubFilter* AddLine(TVSubFilters& lines, const AnsiString& field, TLogicalType op)
{
    TVSubFilter* line = lines.Add();
    line->SetFieldName(field);
    line->SetFilterType(ffString);
    line->SetRelation(frEqual);
    line->SetLowerValue("v");
    line->SetLogicalOp(op);
    return line;
}

} // namespace

TEST(FilterModel, NewLineIsEmpty)
{
    TVSubFilters lines(nullptr);
    TVSubFilter* line = lines.Add();
    EXPECT_EQ(line->FieldName(), "");
    EXPECT_EQ(line->FilterType(), ffNone);
    EXPECT_FALSE(line->Negation());
    EXPECT_EQ(line->Relation(), frNone);
    EXPECT_EQ(line->LowerValue(), "");
    EXPECT_EQ(line->UpperValue(), "");
    EXPECT_EQ(line->LogicalOp(), flNone);
}

TEST(FilterModel, ValuesLoseTheirWildcards)
{
    TVSubFilters lines(nullptr);
    TVSubFilter* line = lines.Add();
    const std::pair<const char*, const char*> rows[] = {
        {"50%", "50"}, {"a_b%", "ab"}, {"%%_", ""}, {"plain", "plain"}, {"", ""}, {"O'Neil%", "O'Neil"}};
    for (const auto& [typed, stored] : rows) {
        SCOPED_TRACE(typed);
        line->SetLowerValue(typed);
        line->SetUpperValue(typed);
        EXPECT_EQ(line->LowerValue(), stored);
        EXPECT_EQ(line->UpperValue(), stored);
    }
}

TEST(FilterModel, ClearAndAssignOfALine)
{
    TVSubFilters lines(nullptr);
    TVSubFilter* source = lines.Add();
    source->SetFieldName("Age");
    source->SetFilterType(ffNumeric);
    source->SetNegation(true);
    source->SetRelation(frBigger);
    source->SetLowerValue("10");
    source->SetUpperValue("20");
    source->SetLogicalOp(flOrNot);

    TVSubFilter* copy = lines.Add(source);
    EXPECT_EQ(copy->FieldName(), "Age");
    EXPECT_EQ(copy->FilterType(), ffNumeric);
    EXPECT_TRUE(copy->Negation());
    EXPECT_EQ(copy->Relation(), frBigger);
    EXPECT_EQ(copy->LowerValue(), "10");
    EXPECT_EQ(copy->UpperValue(), "20");
    EXPECT_EQ(copy->LogicalOp(), flOrNot);

    copy->Clear();
    EXPECT_EQ(copy->FieldName(), "");
    EXPECT_EQ(copy->LogicalOp(), flNone);
    EXPECT_EQ(lines.Count(), 2);
}

TEST(FilterModel, AssignFromAnotherClassRaises)
{
    TVSubFilters lines(nullptr);
    TStringList strings;
    try {
        lines.Add()->Assign(&strings);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot assign"), std::string::npos) << e.what();
    }
    TVFilters filters(nullptr);
    EXPECT_THROW(filters.Add()->Assign(lines.GetItem(0)), EConvertError);
    EXPECT_THROW(filters.Assign(&lines), EConvertError);
}

TEST(FilterModel, DeletingTheLastLineReterminatesTheChain)
{
    TVSubFilters lines(nullptr);
    AddLine(lines, "A", flAnd);
    AddLine(lines, "B", flAnd);
    AddLine(lines, "C", flEnd);
    lines.Delete();
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.GetItem(0)->LogicalOp(), flAnd);
    EXPECT_EQ(lines.GetItem(1)->FieldName(), "B");
    EXPECT_EQ(lines.GetItem(1)->LogicalOp(), flEnd);
}

TEST(FilterModel, DeleteByIndexAndByLine)
{
    TVSubFilters lines(nullptr);
    AddLine(lines, "A", flAnd);
    AddLine(lines, "B", flOr);
    TVSubFilter* c = AddLine(lines, "C", flEnd);
    lines.Delete(7); // out of range: nothing
    lines.Delete(-1);
    EXPECT_EQ(lines.Count(), 3);
    lines.Delete(c);
    ASSERT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.GetItem(1)->LogicalOp(), flEnd);
    lines.Delete(0);
    ASSERT_EQ(lines.Count(), 1);
    EXPECT_EQ(lines.GetItem(0)->FieldName(), "B");
    // A remaining line without a field keeps its operator.
    lines.GetItem(0)->SetFieldName("");
    lines.GetItem(0)->SetLogicalOp(flOr);
    AddLine(lines, "D", flEnd);
    lines.Delete();
    EXPECT_EQ(lines.GetItem(0)->LogicalOp(), flOr);
    lines.Delete();
    lines.Delete(); // empty: nothing
    EXPECT_EQ(lines.Count(), 0);
}

TEST(FilterModel, LineAccessOutOfRangeRaises)
{
    TVSubFilters lines(nullptr);
    AddLine(lines, "A", flEnd);
    EXPECT_THROW(lines.GetItem(1), EListError);
    EXPECT_THROW(lines.SetItem(-1, lines.GetItem(0)), EListError);
    TVFilters filters(nullptr);
    EXPECT_THROW(filters.GetItem(0), EListError);
}

TEST(FilterModel, LinesRememberTheirOwner)
{
    TVFilters filters(nullptr);
    TVFilter* filter = filters.Add();
    EXPECT_EQ(filter->Levels()->GetOwner(), filter);
    EXPECT_EQ(filters.GetOwner(), nullptr);
}

TEST(FilterModel, NewFilterDefaults)
{
    TVFilters filters(nullptr);
    TVFilter* filter = filters.Add();
    EXPECT_EQ(filter->GetSelected(), "<all>");
    filter->SetSelected("");
    EXPECT_EQ(filter->GetSelected(), "<all>");
    filter->SetSelected("Name,City");
    EXPECT_EQ(filter->GetSelected(), "Name,City");
    EXPECT_EQ(filter->BackGround(), 0);
    EXPECT_EQ(filter->ForeGround(), 0);
    EXPECT_EQ(filter->Caption(), "");
    EXPECT_EQ(filter->Levels()->Count(), 0);
}

TEST(FilterModel, CaptionNamesAnUnnamedFilter)
{
    TVFilters filters(nullptr);
    TVFilter* filter = filters.Add();
    filter->SetCaption("Red rows");
    EXPECT_EQ(filter->Name(), "Level1");
    filter->SetName("");
    EXPECT_EQ(filter->GetDisplayName(), "TVFilter");
    filter->SetCaption("Blue rows");
    EXPECT_EQ(filter->Name(), "Blue rows");
    EXPECT_EQ(filter->DisplayName(), "Blue rows");
}

TEST(FilterModel, ClearKeepsTheName)
{
    TVFilters filters(nullptr);
    TVFilter* filter = filters.Add();
    filter->SetCaption("Rule");
    filter->SetBackGround(0xFF);
    filter->SetForeGround(0xFF00);
    filter->SetSelected("A");
    AddLine(*filter->Levels(), "A", flEnd);
    filter->Clear();
    EXPECT_EQ(filter->Name(), "Level1");
    EXPECT_EQ(filter->Caption(), "");
    EXPECT_EQ(filter->BackGround(), 0);
    EXPECT_EQ(filter->ForeGround(), 0);
    EXPECT_EQ(filter->GetSelected(), "<all>");
    EXPECT_EQ(filter->Levels()->Count(), 0);
}

TEST(FilterModel, AddNamesByTheNewCount)
{
    TVFilters filters(nullptr);
    EXPECT_EQ(filters.Add()->Name(), "Level1");
    EXPECT_EQ(filters.Add()->Name(), "Level2");
    EXPECT_EQ(filters.Add()->Name(), "Level3");
    filters.Delete("Level1");
    ASSERT_EQ(filters.Count(), 2);
    EXPECT_EQ(filters.Add()->Name(), "Level3");
}

TEST(FilterModel, AddFromLineLinesAndFilter)
{
    TVFilters filters(nullptr);
    TVSubFilters lines(nullptr);
    AddLine(lines, "A", flAnd);
    AddLine(lines, "B", flEnd);

    TVFilter* one = filters.Add(lines.GetItem(1));
    ASSERT_EQ(one->Levels()->Count(), 1);
    EXPECT_EQ(one->Levels()->GetItem(0)->FieldName(), "B");

    TVFilter* two = filters.Add(&lines);
    ASSERT_EQ(two->Levels()->Count(), 2);
    EXPECT_EQ(two->Levels()->GetItem(0)->FieldName(), "A");

    two->SetCaption("Pair");
    two->SetBackGround(12);
    TVFilter* three = filters.Add(two);
    EXPECT_EQ(three->Name(), "Level3");
    EXPECT_EQ(three->Caption(), "Pair");
    EXPECT_EQ(three->BackGround(), 12);
    EXPECT_EQ(three->Levels()->Count(), 2);
    EXPECT_NE(three->Levels(), two->Levels());

    // Nothing to copy: a plain new filter.
    EXPECT_EQ(filters.Add(static_cast<const TVFilter*>(nullptr))->Name(), "Level4");
    EXPECT_EQ(filters.Add(static_cast<const TVSubFilters*>(nullptr))->Levels()->Count(), 0);
    EXPECT_EQ(filters.Add(static_cast<const TVSubFilter*>(nullptr))->Levels()->Count(), 0);
    EXPECT_EQ(filters.Count(), 6);
}

TEST(FilterModel, CopyingACollectionKeepsNames)
{
    TVFilters source(nullptr);
    TVFilter* a = source.Add();
    a->SetName("Mine");
    a->SetCaption("Red rows");
    a->SetForeGround(255);
    AddLine(*a->Levels(), "City", flEnd);
    source.Add()->SetCaption("Other");

    TVFilters copy(nullptr);
    copy.Add();
    copy.Assign(&source);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.GetItem(0)->Name(), "Mine");
    EXPECT_EQ(copy.GetItem(0)->Caption(), "Red rows");
    EXPECT_EQ(copy.GetItem(0)->ForeGround(), 255);
    ASSERT_EQ(copy.GetItem(0)->Levels()->Count(), 1);
    EXPECT_EQ(copy.GetItem(0)->Levels()->GetItem(0)->FieldName(), "City");
    EXPECT_EQ(copy.GetItem(1)->Name(), "Level2");

    // A single filter copied into another item keeps that item's own name.
    TVFilter* target = copy.Add();
    target->Assign(a);
    EXPECT_EQ(target->Name(), "Level3");
    EXPECT_EQ(target->Caption(), "Red rows");
}

TEST(FilterModel, FindItemByNameThenCaption)
{
    TVFilters filters(nullptr);
    filters.Add();
    TVFilter* second = filters.Add();
    TVFilter* third = filters.Add();
    third->SetCaption("Red rows");
    EXPECT_EQ(filters.FindItem("level2"), second);
    EXPECT_EQ(filters.FindItem("RED ROWS"), third);
    EXPECT_EQ(filters.FindItem(""), nullptr);
    EXPECT_EQ(filters.FindItem("Level9"), nullptr);
    // Code page letters compare through the locale's upper-casing.
    third->SetCaption(Utf8ToAnsi("árvíztűrő"));
    EXPECT_EQ(filters.FindItem(Utf8ToAnsi("ÁRVÍZTŰRŐ")), third);
}

TEST(FilterModel, DeleteAndClearByNameAndIndex)
{
    TVFilters filters(nullptr);
    TVFilter* a = filters.Add();
    AddLine(*a->Levels(), "A", flAnd);
    AddLine(*a->Levels(), "B", flAnd);
    AddLine(*a->Levels(), "C", flEnd);
    filters.Add()->SetCaption("Two");

    filters.DeleteLevel("LEVEL1", 2);
    ASSERT_EQ(a->Levels()->Count(), 2);
    EXPECT_EQ(a->Levels()->GetItem(1)->LogicalOp(), flEnd);
    filters.DeleteLevel("nobody", 0);
    filters.ClearLevel(5);
    filters.ClearLevel("nobody");
    filters.Delete("nobody");
    filters.Delete(9);
    EXPECT_EQ(filters.Count(), 2);

    filters.ClearLevel("two");
    EXPECT_EQ(filters.GetItem(1)->Caption(), "");
    filters.ClearLevel(0);
    EXPECT_EQ(a->Levels()->Count(), 0);

    filters.Delete(a);
    ASSERT_EQ(filters.Count(), 1);
    filters.Delete();
    EXPECT_EQ(filters.Count(), 0);
    filters.Delete(static_cast<TVFilter*>(nullptr));
    filters.Delete();
}

TEST(FilterModel, LastItemCaptionsAndMenu)
{
    TVFilters filters(nullptr);
    EXPECT_EQ(filters.GetLastItem(), nullptr);
    TVFilter source(nullptr);
    source.SetCaption("From");
    filters.SetLastItem(&source); // empty: nothing
    EXPECT_EQ(filters.Count(), 0);

    filters.Add()->SetCaption("One");
    filters.Add()->SetCaption("Two");
    EXPECT_EQ(filters.GetLastItem(), filters.GetItem(1));
    filters.SetLastItem(&source);
    EXPECT_EQ(filters.GetCaptions(1), "From");
    EXPECT_EQ(filters.GetItem(1)->Name(), "Level2");
    EXPECT_EQ(filters.GetCaptions(2), "");
    EXPECT_EQ(filters.GetCaptions(-1), "");
    filters.SetCaptions(0, "First");
    filters.SetCaptions(4, "Nowhere");

    TStringList menu;
    menu.Add("stale");
    filters.SetMenuItems(&menu);
    ASSERT_EQ(menu.Count(), 2);
    EXPECT_EQ(menu.Get(0), "First");
    EXPECT_EQ(menu.Get(1), "From");
}

TEST(FilterModel, CountsStopAtTheTerminator)
{
    TVFilters filters(nullptr);
    TVSubFilters& lines = *filters.Add()->Levels();
    AddLine(lines, "A", flAnd);
    AddLine(lines, "B", flOrNot);
    AddLine(lines, "C", flAndNot);
    AddLine(lines, "D", flEnd);
    AddLine(lines, "E", flOr); // after the terminator: not counted
    const TVFilter* filter = filters.GetItem(0);
    EXPECT_EQ(filter->CountAND(), 2);
    EXPECT_EQ(filter->CountOR(), 1);
    lines.GetItem(1)->SetLogicalOp(flNone);
    EXPECT_EQ(filter->CountAND(), 1);
    EXPECT_EQ(filter->CountOR(), 0);
}
