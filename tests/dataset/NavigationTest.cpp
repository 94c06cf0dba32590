// Moving through a dataset watched by a grid-like link: moves in both directions, record numbers,
// bookmarks and the bookmark string, and the engine cursor following the active record.
#include "DataSetFixture.h"

#include <algorithm>
#include <vector>

namespace vmado::test {
namespace {

using NavigationTest = DataSetTest;

AnsiString Name(TVADODataSet& d)
{
    return d.FieldByName("name")->AsString();
}

TEST_F(NavigationTest, MovesBothWaysAndCountsRecords)
{
    TVADODataSet& d = Open("SELECT id, name FROM people ORDER BY id");
    EXPECT_EQ(d.RecNo(), 1);
    EXPECT_TRUE(d.Bof());
    d.Last();
    EXPECT_EQ(Name(d), "Green");
    EXPECT_EQ(d.RecNo(), 4);
    EXPECT_TRUE(d.Eof());
    std::vector<std::string> backwards;
    for (; !d.Bof(); d.Prior())
        backwards.push_back(Name(d));
    EXPECT_EQ(backwards, (std::vector<std::string>{"Green", "Brown", "Jones", "Smith"}));
    EXPECT_EQ(d.MoveBy(2), 2);
    EXPECT_EQ(Name(d), "Brown");
    EXPECT_EQ(d.MoveBy(10), 1);
    EXPECT_TRUE(d.Eof());
    EXPECT_EQ(d.RecordCount(), 4);
}

TEST_F(NavigationTest, CountsAreNegativeBeforeTheFirstOpen)
{
    TVADODataSet& d = Make("SELECT * FROM people");
    EXPECT_EQ(d.RecordCount(), -1);
    EXPECT_EQ(d.RecNo(), -1);
    EXPECT_EQ(d.Bookmark(), "");
}

TEST_F(NavigationTest, AnEmptyResultIsBothBofAndEof)
{
    TVADODataSet& d = Open("SELECT id, name FROM empty_table");
    EXPECT_TRUE(d.Bof());
    EXPECT_TRUE(d.Eof());
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_TRUE(d.FieldByName("name")->IsNull());
    d.Next();
    d.Last();
    EXPECT_TRUE(d.IsEmpty());
}

TEST_F(NavigationTest, TheGridWindowShowsConsecutiveRecords)
{
    Exec("DELETE FROM people");
    for (int i = 1; i <= 12; ++i)
        Exec("INSERT INTO people (id, name, qty) VALUES (" + std::to_string(i) + ", 'p" + std::to_string(i) +
             "', " + std::to_string(i) + ")");
    TVADODataSet& d = Open("SELECT id, name, qty FROM people ORDER BY id");
    auto window = [&] {
        std::vector<int> ids;
        const Integer saved = grid_->ActiveRecord();
        for (Integer row = 0; row < grid_->RecordCount(); ++row) {
            grid_->SetActiveRecord(row);
            ids.push_back(d.FieldByName("qty")->AsInteger());
        }
        grid_->SetActiveRecord(saved);
        return ids;
    };
    EXPECT_EQ(window(), (std::vector<int>{1, 2, 3, 4, 5}));
    d.MoveBy(7);
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 8);
    EXPECT_EQ(window(), (std::vector<int>{4, 5, 6, 7, 8}));
    d.Last();
    EXPECT_EQ(window(), (std::vector<int>{8, 9, 10, 11, 12}));
    // Reading other rows of the window never moves the dataset's own record.
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 12);
    d.Prior();
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 11);
    EXPECT_EQ(d.RecNo(), 11);
}

TEST_F(NavigationTest, BookmarksReturnToTheirRecord)
{
    TVADODataSet& d = Open("SELECT id, name FROM people ORDER BY id");
    d.Next();
    const TBookmark mark = d.GetBookmark();
    const AnsiString markText = d.Bookmark();
    EXPECT_FALSE(markText.empty());
    d.Last();
    d.GotoBookmark(mark);
    EXPECT_EQ(Name(d), "Jones");

    d.First();
    d.SetBookmark(markText);
    EXPECT_EQ(Name(d), "Jones");
    // The current bookmark or an empty text changes nothing.
    d.SetBookmark(markText);
    d.SetBookmark("");
    EXPECT_EQ(Name(d), "Jones");
    EXPECT_THROW(d.SetBookmark("not a number"), EConvertError);
}

TEST_F(NavigationTest, TheEngineCursorFollowsTheActiveRecord)
{
    TVADODataSet& d = Open("SELECT id, name FROM people ORDER BY id");
    d.Next();
    d.Next();
    // A grid reading its other rows moves the active buffer; the dataset's scroll puts the
    // recordset back on the dataset's record.
    for (Integer row = 0; row < grid_->RecordCount(); ++row)
        grid_->SetActiveRecord(row);
    d.Next();
    EXPECT_EQ(Name(d), "Green");
    EXPECT_EQ(d.Records()->Recordset->Fields()->Item("name")->Value().AsString(), "Green");
}

TEST_F(NavigationTest, RefreshKeepsThePositionAndReadsTheBuffersAgain)
{
    TVADODataSet& d = Open("SELECT id, name FROM people ORDER BY id");
    d.Next();
    d.Refresh();
    EXPECT_EQ(Name(d), "Jones");
    EXPECT_EQ(d.RecNo(), 2);
}

// MoveBy through a grid window of one row, of five, and of more rows than the table holds: the
// record reached, the rows the window shows and the row an edit or delete reaches must all be the
// one that many records away.
class MoveByTest : public DataSetTest, public ::testing::WithParamInterface<Integer> {
protected:
    static constexpr Integer kRows = 20;

    TVADODataSet& OpenTwenty()
    {
        Exec("CREATE TABLE twenty (id INTEGER PRIMARY KEY, name VARCHAR(10))");
        std::string values;
        for (Integer i = 1; i <= kRows; ++i)
            values += (i > 1 ? ", (" : "(") + std::to_string(i) + ", 'n" + std::to_string(i) + "')";
        Exec("INSERT INTO twenty VALUES " + values);
        TVADODataSet& d = Make("SELECT id, name FROM twenty ORDER BY id");
        d.SetLockType(ltLockOptimistic);
        grid_->SetBufferCount(GetParam());
        d.Open();
        return d;
    }
    static Integer Id(TVADODataSet& d) { return d.FieldByName("id")->AsInteger(); }
    // The dataset's record, its number and the engine cursor must agree.
    static void ExpectOn(TVADODataSet& d, Integer id)
    {
        EXPECT_EQ(Id(d), id);
        EXPECT_EQ(d.RecNo(), id);
        EXPECT_EQ(d.Records()->Recordset->Fields()->Item("id")->Value().AsInteger(), id);
    }
    // The ids the grid shows: consecutive, and holding the active record.
    void ExpectWindowAround(TVADODataSet& d, Integer id)
    {
        const Integer saved = grid_->ActiveRecord();
        std::vector<Integer> ids;
        for (Integer row = 0; row < grid_->RecordCount(); ++row) {
            grid_->SetActiveRecord(row);
            ids.push_back(Id(d));
        }
        grid_->SetActiveRecord(saved);
        ASSERT_FALSE(ids.empty());
        EXPECT_EQ(static_cast<Integer>(ids.size()), std::min(GetParam(), kRows));
        for (std::size_t i = 1; i < ids.size(); ++i)
            EXPECT_EQ(ids[i], ids[i - 1] + 1) << "row " << i;
        EXPECT_EQ(ids[static_cast<std::size_t>(saved)], id);
    }
};

TEST_P(MoveByTest, LandsThatManyRecordsAwayInBothDirections)
{
    TVADODataSet& d = OpenTwenty();
    struct Row {
        bool fromLast;
        std::vector<Integer> moves;
        std::vector<Integer> ids; // where each move lands
    };
    const Row rows[] = {
        {false, {5}, {6}},
        {false, {9, 1, 1}, {10, 11, 12}},
        {false, {5, 5, -7, 12, -1}, {6, 11, 4, 16, 15}},
        {true, {-5}, {15}},
        {true, {-5, -5, 7, -16}, {15, 10, 17, 1}},
        {true, {-19, 19}, {1, 20}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << (row.fromLast ? "Last" : "First") << ", first move " << row.moves.front());
        if (row.fromLast)
            d.Last();
        else
            d.First();
        for (std::size_t i = 0; i < row.moves.size(); ++i) {
            EXPECT_EQ(d.MoveBy(row.moves[i]), row.moves[i]);
            ExpectOn(d, row.ids[i]);
            ExpectWindowAround(d, row.ids[i]);
        }
        // Single steps carry on from there.
        const Integer here = row.ids.back();
        d.Prior();
        if (here > 1)
            ExpectOn(d, here - 1);
        d.Next();
        ExpectOn(d, here == 1 ? 2 : here);
    }
}

TEST_P(MoveByTest, EditAndDeleteReachTheRecordMovedTo)
{
    TVADODataSet& d = OpenTwenty();
    d.First();
    d.MoveBy(9);
    d.Edit();
    d.FieldByName("name")->SetAsString("edited");
    d.Post();
    ExpectOn(d, 10);
    EXPECT_EQ(Scalar("SELECT id FROM twenty WHERE name = 'edited'"), "10");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM twenty WHERE name LIKE 'n%'"), "19");

    d.Last();
    d.MoveBy(-5);
    d.Edit();
    d.FieldByName("name")->SetAsString("back");
    d.Post();
    ExpectOn(d, 15);
    EXPECT_EQ(Scalar("SELECT id FROM twenty WHERE name = 'back'"), "15");

    d.First();
    d.MoveBy(12);
    d.Delete();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM twenty WHERE id = 13"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM twenty"), "19");
    EXPECT_EQ(Id(d), 14);

    d.Last();
    d.MoveBy(-3);
    d.Delete();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM twenty WHERE id = 17"), "0");
    EXPECT_EQ(Id(d), 18);
    d.Prior();
    EXPECT_EQ(Id(d), 16);
}

INSTANTIATE_TEST_SUITE_P(GridRows, MoveByTest, ::testing::Values(1, 5, 25));

} // namespace
} // namespace vmado::test
