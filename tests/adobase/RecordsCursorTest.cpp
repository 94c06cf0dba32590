// TVRecords cursor: opening before the first record, moves, counts, record numbers, neutral
// answers while closed, and the fixed mappings to the engine's numbers.
#include "AdoBaseFixture.h"

namespace vmado::test {
namespace {

using RecordsCursor = WrapperTest;

Int64 Id(TVRecords& r)
{
    return r.Recordset->Fields()->Item(AnsiString("id"))->Value().AsInt64();
}

TEST_F(RecordsCursor, OpenLeavesTheCursorBeforeTheFirstRecord)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    ASSERT_TRUE(r->Active);
    EXPECT_TRUE(r->HasRecords);
    EXPECT_EQ(r->State, dsBrowse);
    EXPECT_TRUE(r->GetBof());
    EXPECT_FALSE(r->GetOkRec());
    EXPECT_EQ(r->GetRecordCount(), 4);
    EXPECT_EQ(Items(*r->FieldNames),
              (std::vector<std::string>{"id", "name", "city", "qty", "born", "seen", "note"}));
    r->Next();
    ASSERT_TRUE(r->GetOkRec());
    EXPECT_EQ(Id(*r), 1);
    EXPECT_EQ(r->GetRecNo(), 1);
    EXPECT_GT(r->GetBookmark(), 0);
}

TEST_F(RecordsCursor, FirstAndLastStandOutsideTheRecords)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people ORDER BY id");
    r->Last();
    EXPECT_TRUE(r->GetEof());
    EXPECT_EQ(r->GetRecNo(), 5);
    r->Prior();
    EXPECT_EQ(Id(*r), 4);
    EXPECT_EQ(r->GetRecNo(), 4);
    r->First();
    EXPECT_TRUE(r->GetBof());
    EXPECT_EQ(r->GetRecNo(), 1);
    r->Next();
    EXPECT_EQ(Id(*r), 1);
}

TEST_F(RecordsCursor, EmptyRecordsetMovesNowhere)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM empty_table");
    ASSERT_TRUE(r->Active);
    EXPECT_FALSE(r->HasRecords);
    EXPECT_TRUE(r->GetNoRec());
    r->First();
    r->Last();
    r->Next();
    r->Prior();
    EXPECT_TRUE(r->GetNoRec());
    EXPECT_EQ(r->GetRecStatus(), rsRecInvalid);
    EXPECT_EQ(r->GetBookmark(), 1);
    EXPECT_FALSE(r->Find("id = 1"));
    EXPECT_EQ(r->FilterFind("id = 1"), 0);
}

TEST_F(RecordsCursor, ClosedRecordsetAnswersNeutrally)
{
    auto c = OpenConnection();
    TVRecords r(c.get());
    EXPECT_FALSE(r.Active);
    EXPECT_EQ(r.GetRecordCount(), -1);
    EXPECT_EQ(r.GetRecNo(), -1);
    EXPECT_TRUE(r.GetEof());
    EXPECT_TRUE(r.GetBof());
    EXPECT_FALSE(r.GetOkRec());
    EXPECT_EQ(r.GetBookmark(), 1);
    EXPECT_EQ(r.GetRecStatus(), rsRecInvalid);
    EXPECT_TRUE(r.FieldOldValue("id").IsNull());
    EXPECT_FALSE(r.Find("id = 1"));
    EXPECT_EQ(r.FilterFind("id = 1"), 0);
    r.Open(); // no source: nothing happens
    EXPECT_FALSE(r.Active);
    TVRecords orphan(nullptr);
    orphan.Source = "SELECT 1";
    orphan.Open();
    EXPECT_FALSE(orphan.Active);
    EXPECT_EQ(orphan.GetMachine(), "");
}

TEST_F(RecordsCursor, CloseResetsTheState)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people");
    r->Next();
    r->SetState(dsEdit);
    r->Close();
    EXPECT_FALSE(r->Active);
    EXPECT_EQ(r->State, dsInactive);
    EXPECT_FALSE(r->HasRecords);
    EXPECT_TRUE(r->OldValues.IsNull());
    r->SetActive(true);
    EXPECT_TRUE(r->Active);
    EXPECT_EQ(r->GetRecordCount(), 4);
}

TEST_F(RecordsCursor, MaxRecordsLimitsTheRowsAndIgnoresNegatives)
{
    auto c = OpenConnection();
    TVRecords r(c.get());
    r.Source = "SELECT * FROM people";
    r.SetMaxRec(-5);
    EXPECT_EQ(r.GetMaxRec(), 0);
    r.SetMaxRec(1);
    r.Open();
    EXPECT_EQ(r.GetRecordCount(), 1);
}

TEST_F(RecordsCursor, RecordNumberWhileInsertingIsOnePastTheCount)
{
    auto c = OpenConnection();
    auto r = OpenRecords(*c, "SELECT * FROM people");
    r->Last();
    r->Insert();
    EXPECT_EQ(r->State, dsInsert);
    EXPECT_EQ(r->GetRecNo(), r->GetRecordCount() + 1);
    r->Cancel();
}

TEST_F(RecordsCursor, EnumerationsMapToEngineNumbers)
{
    TVRecords r(nullptr);
    const std::pair<TCommandOption, Integer> options[] = {
        {coUnknown, 8}, {coText, 1},          {coTable, 2},         {coStoredProc, 4},
        {coFile, 256},  {coTableDirect, 512}, {coAsyncExecute, 16}, {coAsyncFetch, 32}};
    for (auto [o, v] : options) {
        r.CommandType = o;
        EXPECT_EQ(r.GetOpenOption(), v) << int(o);
    }
    const std::pair<TCursorType, Integer> cursors[] = {{ctOpenForwardOnly, 0},
                                                       {ctOpenKeyset, 1},
                                                       {ctOpenDynamic, 2},
                                                       {ctOpenStatic, 3},
                                                       {TCursorType(9), 3}};
    for (auto [t, v] : cursors) {
        r.CursorType = t;
        EXPECT_EQ(r.GetCursorType(), v) << int(t);
    }
    const std::pair<TLockType, Integer> locks[] = {{ltLockReadOnly, 1},
                                                   {ltLockPessimistic, 2},
                                                   {ltLockOptimistic, 3},
                                                   {ltLockBatchOptimistic, 4},
                                                   {TLockType(9), 4}};
    for (auto [l, v] : locks) {
        r.LockType = l;
        EXPECT_EQ(r.GetLockType(), v) << int(l);
    }
}

TEST_F(RecordsCursor, MachineNameIsTheConnections)
{
    auto c = OpenConnection();
    TVRecords r(c.get());
    r.SetMachine("localhost");
    EXPECT_EQ(c->MachineName, "localhost");
    EXPECT_EQ(r.GetMachine(), "localhost");
}

} // namespace
} // namespace vmado::test
