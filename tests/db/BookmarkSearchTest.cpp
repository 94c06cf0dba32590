// Bookmarks, record numbers, Locate/Lookup and filtering through OnFilterRecord.
#include "DbFixtures.h"

#include "framework/classes/Strings.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

Integer CurrentId(TDataSet& ds)
{
    return ds.FieldByName("ID")->AsInteger();
}

TEST(BookmarkTest, GotoBookmarkReturnsToTheRecord)
{
    auto ds = MakeTallDataSet(20);
    ds->MoveBy(6);
    TBookmark mark = ds->GetBookmark();
    ASSERT_EQ(mark.size(), 4u);
    ds->Last();
    std::vector<std::string> events;
    ds->BeforeScroll = [&](TDataSet*) { events.push_back("BeforeScroll"); };
    ds->AfterScroll = [&](TDataSet*) { events.push_back("AfterScroll"); };
    ds->GotoBookmark(mark);
    EXPECT_EQ(CurrentId(*ds), 7);
    EXPECT_EQ(events, (std::vector<std::string>{"BeforeScroll", "AfterScroll"}));
    EXPECT_TRUE(ds->BookmarkValid(mark));
    ds->FreeBookmark(mark);
    EXPECT_TRUE(mark.empty());
    ds->GotoBookmark(mark); // an empty bookmark goes nowhere
    EXPECT_EQ(CurrentId(*ds), 7);
}

TEST(BookmarkTest, TheBookmarkStringRoundTrips)
{
    auto ds = MakeTallDataSet(5);
    ds->Next();
    const TBookmarkStr mark = ds->Bookmark();
    EXPECT_EQ(mark.size(), 4u);
    ds->Last();
    ds->SetBookmark(mark);
    EXPECT_EQ(CurrentId(*ds), 2);
}

TEST(BookmarkTest, NoBookmarkForAnInsertedOrEmptyRecord)
{
    TMemDataSet ds;
    ds.FieldDefs()->Add("ID", ftInteger);
    ds.Open();
    EXPECT_TRUE(ds.GetBookmark().empty());
    ds.Append();
    EXPECT_TRUE(ds.GetBookmark().empty());
    EXPECT_TRUE(ds.Bookmark().empty());
    ds.Cancel();
}

TEST(BookmarkTest, ADeletedRecordsBookmarkIsNoLongerValid)
{
    auto ds = MakeTallDataSet(5);
    ds->MoveBy(2);
    TBookmark third = ds->GetBookmark();
    ds->First();
    TBookmark first = ds->GetBookmark();
    EXPECT_LT(ds->CompareBookmarks(first, third), 0);
    EXPECT_GT(ds->CompareBookmarks(third, first), 0);
    EXPECT_EQ(ds->CompareBookmarks(first, first), 0);
    EXPECT_LT(ds->CompareBookmarks(TBookmark{}, first), 0);
    ds->GotoBookmark(third);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(third));
    EXPECT_THROW(ds->GotoBookmark(third), EDatabaseError);
}

TEST(BookmarkTest, RecordNumbersAndCounts)
{
    TMemDataSet closed;
    EXPECT_EQ(closed.RecordCount(), -1);
    EXPECT_EQ(closed.RecNo(), -1);
    auto ds = MakeTallDataSet(8);
    EXPECT_EQ(ds->RecordCount(), 8);
    EXPECT_EQ(ds->RecNo(), 1);
    ds->SetRecNo(6);
    EXPECT_EQ(CurrentId(*ds), 6);
    EXPECT_EQ(ds->RecNo(), 6);
    ds->Append();
    EXPECT_EQ(ds->RecNo(), -1);
    ds->Cancel();
}

TEST(LocateTest, FindsByOneOrSeveralFields)
{
    auto ds = MakeTallDataSet(10);
    EXPECT_TRUE(ds->Locate("ID", Variant(7), {}));
    EXPECT_EQ(CurrentId(*ds), 7);
    EXPECT_TRUE(ds->Locate("ID;Name", VarArrayOf({Variant(3), Variant("Name3")}), {}));
    EXPECT_EQ(CurrentId(*ds), 3);
    EXPECT_FALSE(ds->Locate("ID;Name", VarArrayOf({Variant(3), Variant("Name4")}), {}));
    EXPECT_EQ(CurrentId(*ds), 3); // a failed search does not move
    EXPECT_THROW(ds->Locate("Missing", Variant(1), {}), EDatabaseError);
}

TEST(LocateTest, CaseAndPartialKeyOptions)
{
    auto ds = MakeTallDataSet(12);
    EXPECT_FALSE(ds->Locate("Name", Variant("name5"), {}));
    EXPECT_TRUE(ds->Locate("Name", Variant("name5"), {loCaseInsensitive}));
    EXPECT_EQ(CurrentId(*ds), 5);
    EXPECT_TRUE(ds->Locate("Name", Variant("Name1"), {loPartialKey}));
    EXPECT_EQ(CurrentId(*ds), 1);
    ds->Last();
    EXPECT_TRUE(ds->Locate("Name", Variant("NAME1"), TLocateOptions{loPartialKey, loCaseInsensitive}));
    EXPECT_EQ(CurrentId(*ds), 1);
}

TEST(LocateTest, LookupReadsWithoutMoving)
{
    auto ds = MakeTallDataSet(10);
    ds->MoveBy(2);
    EXPECT_EQ(ds->Lookup("ID", Variant(9), "Name").AsString(), "Name9");
    EXPECT_EQ(CurrentId(*ds), 3);
    const Variant both = ds->Lookup("Name", Variant("Name4"), "ID;Name");
    EXPECT_EQ(both.GetElement(0).AsInteger(), 4);
    EXPECT_EQ(both.GetElement(1).AsString(), "Name4");
    EXPECT_TRUE(ds->Lookup("ID", Variant(99), "Name").IsNull());
}

TEST(FilterTest, OnFilterRecordHidesRecords)
{
    auto ds = MakeTallDataSet(10);
    std::vector<TDataSetState> states;
    ds->OnFilterRecord = [&](TDataSet* d, bool& accept) {
        states.push_back(d->State());
        accept = d->FieldByName("ID")->AsInteger() % 2 == 0;
    };
    ds->SetFiltered(true);
    EXPECT_EQ(ds->RecordCount(), 5);
    EXPECT_EQ(CurrentId(*ds), 2);
    std::vector<Integer> ids;
    while (!ds->Eof()) {
        ids.push_back(CurrentId(*ds));
        ds->Next();
    }
    EXPECT_EQ(ids, (std::vector<Integer>{2, 4, 6, 8, 10}));
    ASSERT_FALSE(states.empty());
    for (TDataSetState s : states)
        EXPECT_EQ(s, dsFilter);
    EXPECT_EQ(ds->State(), dsBrowse);
    ds->SetFiltered(false);
    EXPECT_EQ(ds->RecordCount(), 10);
}

TEST(FieldListTest, FieldsByIndexAndOrder)
{
    auto ds = MakeTallDataSet(1);
    TFields* fields = ds->Fields();
    EXPECT_EQ(fields->Count(), 2);
    EXPECT_EQ((*fields)[1]->FieldName(), "Name");
    EXPECT_THROW(fields->Fields(2), EListError);
    TStringList names;
    ds->GetFieldNames(&names);
    EXPECT_EQ(names.CommaText(), "ID,Name");
    ds->FieldByName("Name")->SetIndex(0);
    ds->GetFieldNames(&names);
    EXPECT_EQ(names.CommaText(), "Name,ID");
    EXPECT_EQ(ds->FieldByName("ID")->Index(), 1);
    EXPECT_EQ(ds->FieldByNumber(2), ds->FieldByName("Name"));
    std::vector<TField*> list;
    ds->GetFieldList(list, "ID; Name");
    EXPECT_EQ(list, (std::vector<TField*>{ds->FieldByName("ID"), ds->FieldByName("Name")}));
}

} // namespace
} // namespace vmado::test
