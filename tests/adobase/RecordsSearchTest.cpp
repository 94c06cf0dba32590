// TVRecords searches, filters, sorting and bookmarks: a failed search leaves the cursor where
// it was, a combined filter keeps the current filter's grouping.
#include "AdoBaseFixture.h"

#include "framework/rtl/Exceptions.h"

namespace vmado::test {
namespace {

using RecordsSearch = WrapperTest;

Int64 Id(TVRecords& r)
{
    return r.Recordset->Fields()->Item(AnsiString("id"))->Value().AsInt64();
}

TEST_F(RecordsSearch, FindMovesToTheFirstMatch)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->Last();
    r->Prior(); // on id 4
    EXPECT_TRUE(r->Find("city = 'Paris'"));
    EXPECT_EQ(Id(*r), 1);
    EXPECT_TRUE(r->Find("name LIKE 'Br%'"));
    EXPECT_EQ(Id(*r), 3);
}

TEST_F(RecordsSearch, FailedFindReturnsToTheRememberedRecord)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->Next();
    r->Next(); // on id 2
    const Integer before = r->GetBookmark();
    EXPECT_FALSE(r->Find("city = 'Rome'"));
    ASSERT_TRUE(r->GetOkRec());
    EXPECT_EQ(Id(*r), 2);
    EXPECT_EQ(r->GetBookmark(), before);
}

TEST_F(RecordsSearch, FailedFindFromBeforeTheFirstRecordStaysThere)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    EXPECT_FALSE(r->Find("city = 'Rome'"));
    EXPECT_TRUE(r->GetBof());
    r->Next();
    EXPECT_EQ(Id(*r), 1);
}

TEST_F(RecordsSearch, BadCriteriaRaiseAndLeaveTheCursor)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->Next();
    r->Next();
    EXPECT_THROW(r->Find("nosuch = 1"), EOleException);
    EXPECT_EQ(Id(*r), 2);
    EXPECT_THROW(r->FilterFind("city = "), EOleException);
    EXPECT_EQ(Id(*r), 2);
    EXPECT_EQ(r->GetFilter(), "");
}

TEST_F(RecordsSearch, FilterFindFindsUnderTheCurrentFilterAndRestoresIt)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->SetFilter("city = 'Paris'");
    const Integer b = r->FilterFind("qty = 0");
    EXPECT_GT(b, 0);
    EXPECT_EQ(r->GetFilter(), "city = 'Paris'");
    EXPECT_EQ(r->GetRecordCount(), 2);
    EXPECT_EQ(Id(*r), 3);
    EXPECT_EQ(r->GetBookmark(), b);
}

TEST_F(RecordsSearch, FilterFindWithoutMatchReturnsZeroAndStays)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->SetFilter("city = 'Paris'");
    r->First();
    r->Next();
    r->Next(); // id 3, the second Paris record
    EXPECT_EQ(r->FilterFind("qty = 99"), 0);
    EXPECT_EQ(r->GetFilter(), "city = 'Paris'");
    ASSERT_TRUE(r->GetOkRec());
    EXPECT_EQ(Id(*r), 3);
    EXPECT_TRUE(r->HasRecords);
}

TEST_F(RecordsSearch, FilterFindKeepsTheGroupingOfAnOrFilter)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->SetFilter("city = 'London' OR city = 'Pecs'");
    // Run together without parentheses this would find London's record, whose qty is 12.
    const Integer b = r->FilterFind("qty = 7");
    EXPECT_GT(b, 0);
    EXPECT_EQ(Id(*r), 4);
}

TEST_F(RecordsSearch, FilterTextsAndTheNoFilterValue)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    EXPECT_EQ(r->GetFilter(), "");
    r->SetFilter("qty > 100");
    EXPECT_FALSE(r->HasRecords);
    EXPECT_EQ(r->GetFilter(), "qty > 100");
    r->SetFilter("qty >= 5");
    EXPECT_TRUE(r->HasRecords);
    EXPECT_EQ(r->GetRecordCount(), 3);
    r->SetFilter("");
    EXPECT_EQ(r->GetFilter(), "");
    EXPECT_EQ(r->GetRecordCount(), 4);
    EXPECT_THROW(r->SetFilter("qty >>> 1"), EOleException);
}

TEST_F(RecordsSearch, FilterTextsOfEveryGeneratedFormSelectTheRightRows)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    const struct {
        const char* Filter;
        std::vector<Int64> Ids;
    } rows[] = {
        {"name = 'Smith'", {1}},
        {"born > #1/1/1993#", {1, 4}},
        {"born >= #1993-01-01#", {1, 2, 4}},
        {"name LIKE 'S*'", {1}},
        {"name LIKE '%o%'", {2, 3}},
        {"{fn UCASE(name)} LIKE 'SM%'", {1}},
        {"name LIKE 'sm%'", {}},
        {"born = {d '2024-01-05'}", {1}},
        {"born = '2024-01-05'", {1}},
        {"seen = #2024-01-05 02:05:09 PM#", {2}},
        {"seen = {ts '2024-01-05 14:05:09'}", {2}},
        {"seen >= #2024-01-05# AND seen < #2024-01-06#", {1, 2}},
        {"note IS NULL", {3}},
        {"note = ''", {4}},
        {" (city =  'Paris') AND (qty >= 5) ", {1}},
        {"NOT (city = 'Paris')", {2, 4}},
        {"[city] = 'Pecs' OR \"name\" = 'Jones'", {2, 4}},
        {"qty BETWEEN 5 AND 12", {1, 2, 4}},
        {"qty IN (0, 7)", {3, 4}},
        {"city = name", {}},
        {"NOT born > #2000-01-01#", {2}}, // the Null date of 3 is neither
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Filter);
        r->SetFilter(row.Filter);
        std::vector<Int64> ids;
        r->First();
        for (r->Next(); !r->GetEof(); r->Next())
            ids.push_back(Id(*r));
        EXPECT_EQ(ids, row.Ids);
        EXPECT_EQ(r->HasRecords, !row.Ids.empty());
    }
}

TEST_F(RecordsSearch, FilterAndSortSetWhileClosedApplyAtOpen)
{
    auto c = OpenConnection();
    TVRecords r(c.get());
    r.Source = "SELECT * FROM people";
    r.SetFilter("city = 'Paris'");
    r.SetSort("qty DESC");
    EXPECT_EQ(r.GetFilter(), "city = 'Paris'");
    EXPECT_EQ(r.GetSort(), "qty DESC");
    r.Open();
    EXPECT_EQ(r.GetRecordCount(), 2);
    EXPECT_TRUE(r.GetBof());
    r.Next();
    EXPECT_EQ(Id(r), 1);
}

// Without a filter, which places the cursor anew, the sort alone must not leave it on the row
// that came first before sorting.
TEST_F(RecordsSearch, ASortAloneSetWhileClosedStartsAtItsFirstRecord)
{
    auto c = OpenConnection();
    TVRecords r(c.get());
    r.Source = "SELECT * FROM people ORDER BY id";
    r.SetSort("qty DESC");
    r.Open();
    EXPECT_TRUE(r.GetBof());
    r.Next();
    EXPECT_EQ(Id(r), 2);
}

TEST_F(RecordsSearch, ABadFilterSetWhileClosedFailsTheOpenCleanly)
{
    auto c = OpenConnection();
    TVRecords r(c.get());
    r.Source = "SELECT * FROM people";
    r.SetFilter("nosuch = 1");
    EXPECT_THROW(r.Open(), EOleException);
    EXPECT_FALSE(r.Active);
    EXPECT_EQ(r.Recordset->State(), adStateClosed);
    r.SetFilter("");
    r.Open();
    EXPECT_EQ(r.GetRecordCount(), 4);
}

TEST_F(RecordsSearch, SortReordersTheRecords)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people");
    r->SetSort("qty DESC");
    EXPECT_EQ(r->GetSort(), "qty DESC");
    r->First();
    r->Next();
    EXPECT_EQ(Id(*r), 2);
}

TEST_F(RecordsSearch, BookmarksMoveToTheirRecordFromAnywhere)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->Next();
    const Integer first = r->GetBookmark();
    r->Next();
    r->Next();
    const Integer third = r->GetBookmark();
    r->SetBookmark(first);
    EXPECT_EQ(Id(*r), 1);
    r->SetBookmark(0);
    r->SetBookmark(-3);
    EXPECT_EQ(Id(*r), 1);
    r->Last(); // after the last record, as a dataset's backward fetch leaves it
    r->SetBookmark(third);
    EXPECT_FALSE(r->GetEof());
    EXPECT_EQ(Id(*r), 3);
    r->First(); // before the first record
    r->SetBookmark(first);
    EXPECT_EQ(Id(*r), 1);
}

} // namespace
} // namespace vmado::test
