// Moving through a dataset watched by a grid-like link: moves in both directions, record numbers,
// bookmarks and the bookmark string, and the engine cursor following the active record.
#include "DataSetFixture.h"

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

} // namespace
} // namespace vmado::test
