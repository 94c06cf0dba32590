// A dataset over a forward-only server cursor: it scans a result through the recordset's sliding
// window, with a grid link keeping several records buffered, and refuses what needs every row.
#include "DataSetFixture.h"

#include <string>
#include <vector>

namespace vmado::test {
namespace {

class StreamingTest : public DataSetTest {
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Exec("CREATE TABLE many (id INTEGER PRIMARY KEY, name VARCHAR(20))");
        std::string values;
        for (int i = 1; i <= Rows; ++i)
            values += (i > 1 ? ", (" : "(") + std::to_string(i) + ", 'n" + std::to_string(i) + "')";
        Exec("INSERT INTO many VALUES " + values);
    }
    TVADODataSet& MakeStreaming(Integer cacheSize)
    {
        TVADODataSet& d = Make("SELECT id, name FROM many ORDER BY id");
        d.SetCursorLocation(clServer);
        d.SetCursorType(ctOpenForwardOnly);
        d.SetCacheSize(cacheSize);
        return d;
    }
    static constexpr int Rows = 100; // several windows, even widened to the grid's ring
};

TEST_F(StreamingTest, ScansEveryRecordOnceInOrder)
{
    for (const Integer cacheSize : {2, 8, 1}) {
        SCOPED_TRACE("CacheSize " + std::to_string(cacheSize));
        TVADODataSet& d = MakeStreaming(cacheSize);
        d.Open();
        EXPECT_EQ(d.Records()->Recordset->RecordCount(), -1);
        std::vector<int> ids;
        for (d.First(); !d.Eof(); d.Next()) {
            const int id = d.FieldByName("id")->AsInteger();
            ASSERT_EQ(d.FieldByName("name")->AsString(), "n" + std::to_string(id));
            ids.push_back(id);
        }
        ASSERT_EQ(ids.size(), static_cast<std::size_t>(Rows));
        for (int i = 0; i < Rows; ++i)
            ASSERT_EQ(ids[static_cast<std::size_t>(i)], i + 1);
        // Back to the start: the statement runs again.
        d.First();
        EXPECT_EQ(d.FieldByName("id")->AsInteger(), 1);
        d.Close();
    }
}

TEST_F(StreamingTest, LocateReadsForward)
{
    TVADODataSet& d = MakeStreaming(4);
    d.Open();
    ASSERT_TRUE(d.Locate("name", Variant("n33"), {}));
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 33);
    d.Next();
    EXPECT_EQ(d.FieldByName("id")->AsInteger(), 34);
}

TEST_F(StreamingTest, EditingAndSortingAreRefused)
{
    TVADODataSet& d = MakeStreaming(4);
    d.Open();
    for (int i = 0; i < 10; ++i)
        d.Next();
    try {
        d.Edit();
        d.FieldByName("name")->SetAsString("changed");
        d.Post();
        ADD_FAILURE() << "a streaming dataset took an edit";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    }
    if (d.State() != dsBrowse)
        d.Cancel();
    try {
        d.SetSortStr("name DESC");
        ADD_FAILURE() << "a streaming dataset took a sort";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("forward-only server cursor"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Scalar("SELECT name FROM many WHERE id = 11"), "n11");
}

TEST_F(StreamingTest, AFilterAtOpenIsRefusedAndLeavesItClosed)
{
    TVADODataSet& d = MakeStreaming(4);
    d.SetFilterStr("id > 5");
    try {
        d.Open();
        ADD_FAILURE() << "a streaming dataset opened with a filter";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Open error!");
        EXPECT_NE(e.Context().find("forward-only server cursor"), std::string::npos) << e.Context();
    }
    EXPECT_FALSE(d.Active());
}

} // namespace
} // namespace vmado::test
