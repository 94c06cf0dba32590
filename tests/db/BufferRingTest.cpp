// The record-buffer ring: sized by the largest link, scrolled by MoveBy across its edges with
// the links' windows following, rebuilt by Resync around the cursor (exact and centred).
#include "DbFixtures.h"
#include "LinkProbe.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

class BufferRingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ds = MakeTallDataSet(25);
        source.SetDataSet(ds.get());
        link.SetDataSource(&source);
        link.SetBufferCount(10);
        ds->First();
        link.Take();
    }

    std::unique_ptr<TMemDataSet> ds;
    TDataSource source{nullptr};
    LinkProbe link;
};

TEST_F(BufferRingTest, ALinkWithBufferCountTenSeesTenRecords)
{
    EXPECT_EQ(ds->BufferCount(), 10);
    EXPECT_EQ(link.RecordCount(), 10);
    EXPECT_EQ(WindowIds(link, *ds), Range(1, 10));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 1);
}

TEST_F(BufferRingTest, MovesInsideTheRingFetchNothing)
{
    const Integer fetched = ds->FetchCount();
    EXPECT_EQ(ds->MoveBy(9), 9);
    EXPECT_EQ(ds->FetchCount(), fetched);
    EXPECT_EQ(ds->ActiveRecord(), 9);
    EXPECT_EQ(link.ActiveRecord(), 9);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 10);
    EXPECT_EQ(ds->MoveBy(-9), -9);
    EXPECT_EQ(ds->FetchCount(), fetched);
    EXPECT_EQ(link.ActiveRecord(), 0);
}

TEST_F(BufferRingTest, MovingPastTheEndOfTheRingScrollsIt)
{
    ds->MoveBy(9); // last buffer of the ring
    link.Take();
    link.scrollDistances.clear();
    EXPECT_EQ(ds->MoveBy(1), 1);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 11);
    EXPECT_EQ(link.scrollDistances, (std::vector<Integer>{-1}));
    EXPECT_EQ(link.ActiveRecord(), 9);
    EXPECT_EQ(WindowIds(link, *ds), Range(2, 11));

    EXPECT_EQ(ds->MoveBy(15), 14); // stops at the last record
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 25);
    EXPECT_EQ(WindowIds(link, *ds), Range(16, 25));
    EXPECT_EQ(link.ActiveRecord(), 9);
}

TEST_F(BufferRingTest, MovingBeforeTheStartOfTheRingScrollsItBack)
{
    ds->Last();
    EXPECT_EQ(WindowIds(link, *ds), Range(16, 25));
    link.scrollDistances.clear();
    EXPECT_EQ(ds->MoveBy(-12), -12);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 13);
    EXPECT_EQ(link.scrollDistances, (std::vector<Integer>{3}));
    EXPECT_EQ(link.ActiveRecord(), 0);
    EXPECT_EQ(WindowIds(link, *ds), Range(13, 22));
    EXPECT_EQ(ds->MoveBy(-100), -12);
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(WindowIds(link, *ds), Range(1, 10));
}

TEST_F(BufferRingTest, ResyncExactAndCentrePutsTheRecordInTheMiddle)
{
    ASSERT_TRUE(ds->Locate("ID", Variant(15), {}));
    EXPECT_EQ(ds->ActiveRecord(), 4); // (10 - 1) / 2
    EXPECT_EQ(link.ActiveRecord(), 4);
    EXPECT_EQ(WindowIds(link, *ds), Range(11, 20));
    EXPECT_EQ(link.Take(), (std::vector<std::string>{"CheckBrowseMode", "DataSetChanged"}));
}

TEST_F(BufferRingTest, CentringNearTheEndsFillsTheRingFromTheOtherSide)
{
    ASSERT_TRUE(ds->Locate("ID", Variant(2), {}));
    EXPECT_EQ(ds->ActiveRecord(), 1);
    EXPECT_EQ(WindowIds(link, *ds), Range(1, 10));
    ASSERT_TRUE(ds->Locate("ID", Variant(24), {}));
    EXPECT_EQ(ds->ActiveRecord(), 8);
    EXPECT_EQ(WindowIds(link, *ds), Range(16, 25));
}

TEST_F(BufferRingTest, ResyncWithoutCentreKeepsTheActiveRow)
{
    ASSERT_TRUE(ds->Locate("ID", Variant(15), {}));
    ds->MoveBy(2); // ID 17 in buffer 6
    ds->Refresh();
    EXPECT_EQ(ds->ActiveRecord(), 6);
    EXPECT_EQ(WindowIds(link, *ds), Range(11, 20));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 17);
}

TEST_F(BufferRingTest, ResyncExactRaisesWhenTheRecordIsGone)
{
    TBookmark bogus(sizeof(std::int32_t), 0);
    const std::int32_t id = 9999;
    std::memcpy(bogus.data(), &id, sizeof id);
    try {
        ds->GotoBookmark(bogus);
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Record not found");
    }
}

TEST_F(BufferRingTest, ResyncWithoutExactFallsBackToTheNextRecord)
{
    ASSERT_TRUE(ds->Locate("ID", Variant(5), {}));
    ds->Delete(); // Resync([]) after the delete
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 6);
    ds->Last();
    ds->Delete();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 24);
    EXPECT_EQ(ds->RecordCount(), 23);
}

TEST_F(BufferRingTest, ShrinkingTheLinkShrinksTheRingAroundTheActiveRecord)
{
    ds->MoveBy(7); // ID 8
    link.SetBufferCount(3);
    EXPECT_EQ(ds->BufferCount(), 3);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 8);
    EXPECT_EQ(link.RecordCount(), 3);
    const std::vector<Integer> ids = WindowIds(link, *ds);
    EXPECT_NE(std::find(ids.begin(), ids.end(), 8), ids.end());
    link.SetBufferCount(10);
    EXPECT_EQ(ds->BufferCount(), 10);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 8);
    EXPECT_EQ(link.RecordCount(), 10);
}

TEST_F(BufferRingTest, TheRingIsAsLongAsTheLargestLink)
{
    LinkProbe big;
    big.SetDataSource(&source);
    big.SetBufferCount(15);
    EXPECT_EQ(ds->BufferCount(), 15);
    big.SetDataSource(nullptr);
    EXPECT_EQ(ds->BufferCount(), 10);
    link.SetDataSource(nullptr);
    EXPECT_EQ(ds->BufferCount(), 1);
}

TEST_F(BufferRingTest, AppendShowsTheLastRecordsAboveTheNewOne)
{
    ds->Append();
    EXPECT_EQ(ds->ActiveRecord(), 9);
    EXPECT_TRUE(ds->FieldByName("ID")->IsNull());
    ds->FieldByName("ID")->SetAsInteger(26);
    ds->Post();
    EXPECT_EQ(WindowIds(link, *ds), Range(17, 26));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 26);
}

TEST_F(BufferRingTest, InsertOpensAGapAtTheActiveRecord)
{
    ds->MoveBy(3); // ID 4 in buffer 3
    ds->Insert();
    EXPECT_EQ(ds->ActiveRecord(), 3);
    ds->FieldByName("ID")->SetAsInteger(100);
    // The window shows the new record between 3 and 4; the last one fell off the ring.
    std::vector<Integer> ids;
    for (Integer i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        ids.push_back(ds->FieldByName("ID")->AsInteger());
    }
    link.SetActiveRecord(3);
    EXPECT_EQ(ids, (std::vector<Integer>{1, 2, 3, 100, 4, 5, 6, 7, 8, 9}));
    ds->Post();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 100);
    EXPECT_EQ(WindowIds(link, *ds), (std::vector<Integer>{1, 2, 3, 100, 4, 5, 6, 7, 8, 9}));
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
}

TEST_F(BufferRingTest, CancellingAnInsertRestoresTheWindow)
{
    ds->MoveBy(3);
    ds->Insert();
    ds->Cancel();
    EXPECT_EQ(WindowIds(link, *ds), Range(1, 10));
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 4);
    EXPECT_EQ(ds->RecordCount(), 25);
}

TEST_F(BufferRingTest, LinkWindowRefusesRowsWithoutRecords)
{
    TMemDataSet small;
    small.FieldDefs()->Add("ID", ftInteger);
    small.Open();
    small.AppendRecord({Variant(1)});
    small.AppendRecord({Variant(2)});
    source.SetDataSet(&small);
    small.First();
    EXPECT_EQ(link.RecordCount(), 2);
    EXPECT_THROW(link.SetActiveRecord(5), EListError);
    source.SetDataSet(nullptr);
}

} // namespace
} // namespace vmado::test
