// Edits by lock type: read-only refuses, optimistic/pessimistic send at once, batch keeps the
// change on the row until UpdateBatch. Sends are keyed by primary key or by every original value,
// must touch exactly one row, and bind their values.
#include "BackendContext.h"

namespace vmado::test {

namespace {

class BACKEND_SUITE(UpdateTest) : public EngineTest {};

TEST_F(BACKEND_SUITE(UpdateTest), ReadOnlyRefusesEveryEdit)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", adLockReadOnly);
    try {
        rs->Fields()->Item("name")->SetValue(Variant("x"));
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("read-only"), std::string::npos) << e.what();
    }
    EXPECT_THROW(rs->AddNew(), EOleException);
    EXPECT_THROW(rs->Delete(), EOleException);
    EXPECT_FALSE(rs->Supports(adUpdate));
}

TEST_F(BACKEND_SUITE(UpdateTest), OptimisticUpdateIsSentAtOnce)
{
    for (LockTypeEnum lock : {adLockOptimistic, adLockPessimistic}) {
        SCOPED_TRACE(lock);
        auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", lock);
        rs->SetAbsolutePosition(3);
        rs->Fields()->Item("name")->SetValue(Variant("it's \"quoted\"; --"));
        EXPECT_EQ(rs->EditMode(), adEditInProgress);
        EXPECT_EQ(rs->Fields()->Item("name")->OriginalValue().AsString(), "name-03");
        rs->Update();
        EXPECT_EQ(rs->EditMode(), adEditNone);
        EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 3").AsString(), "it's \"quoted\"; --");
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 50);
        Exec("UPDATE tall SET name = 'name-03' WHERE id = 3");
    }
}

TEST_F(BACKEND_SUITE(UpdateTest), AddNewReceivesTheGeneratedKey)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    rs->AddNew();
    EXPECT_EQ(rs->EditMode(), adEditAdd);
    EXPECT_EQ(rs->RecordCount(), 51);
    rs->Fields()->Item("name")->SetValue(Variant("fresh"));
    rs->Update();
    const Integer id = rs->Fields()->Item("id")->Value().AsInteger();
    EXPECT_GT(id, 50);
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = " + std::to_string(id)).AsString(), "fresh");
    // The new row is an ordinary record now: it can be changed through its key.
    rs->Fields()->Item("name")->SetValue(Variant("fresher"));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = " + std::to_string(id)).AsString(), "fresher");
}

TEST_F(BACKEND_SUITE(UpdateTest), AddNewWithFieldListAndValues)
{
    auto rs = OpenRs("SELECT id, i, s FROM wide ORDER BY id");
    rs->AddNew(VarArrayOf({Variant("id"), Variant("s")}), VarArrayOf({Variant(9), Variant("nine")}));
    EXPECT_EQ(rs->EditMode(), adEditNone);
    EXPECT_EQ(Scalar("SELECT s FROM wide WHERE id = 9").AsString(), "nine");
}

TEST_F(BACKEND_SUITE(UpdateTest), CancelUpdateDropsTheNewRecordAndReturns)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    rs->SetAbsolutePosition(5);
    rs->AddNew();
    rs->Fields()->Item("name")->SetValue(Variant("never"));
    rs->CancelUpdate();
    EXPECT_EQ(rs->RecordCount(), 50);
    EXPECT_EQ(rs->AbsolutePosition(), 5);
    rs->Fields()->Item("name")->SetValue(Variant("never either"));
    rs->CancelUpdate();
    EXPECT_EQ(rs->Fields()->Item("name")->Value().AsString(), "name-05");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall WHERE name LIKE 'never%'").AsInteger(), 0);
}

TEST_F(BACKEND_SUITE(UpdateTest), DeleteIsSentAtOnceAndTheCursorMovesOn)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    rs->SetAbsolutePosition(10);
    rs->Delete(adAffectCurrent);
    EXPECT_EQ(rs->Status(), adRecDeleted);
    EXPECT_EQ(rs->RecordCount(), 49);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall WHERE id = 10").AsInteger(), 0);
    rs->MoveNext();
    EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 11);
}

TEST_F(BACKEND_SUITE(UpdateTest), BatchKeepsChangesUntilUpdateBatch)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", adLockBatchOptimistic);
    rs->SetAbsolutePosition(1);
    rs->Fields()->Item("name")->SetValue(Variant("batched"));
    rs->Update();
    EXPECT_EQ(rs->Status(), adRecModified);
    EXPECT_EQ(rs->Fields()->Item("name")->OriginalValue().AsString(), "name-01");
    rs->SetAbsolutePosition(2);
    rs->Delete();
    rs->AddNew();
    rs->Fields()->Item("name")->SetValue(Variant("added"));
    rs->Update();
    EXPECT_EQ(rs->Status(), adRecNew);
    // Nothing reached the database yet.
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 1").AsString(), "name-01");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 50);
    rs->SetFilter(Variant(static_cast<Integer>(adFilterPendingRecords)));
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
    rs->UpdateBatch();
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 1").AsString(), "batched");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall WHERE id = 2").AsInteger(), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall WHERE name = 'added'").AsInteger(), 1);
    rs->MoveLast();
    EXPECT_GT(rs->Fields()->Item("id")->Value().AsInteger(), 50);
    EXPECT_EQ(rs->Status(), adRecUnmodified);
}

TEST_F(BACKEND_SUITE(UpdateTest), CancelBatchRestoresTheOriginals)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", adLockBatchOptimistic);
    rs->Fields()->Item("name")->SetValue(Variant("changed"));
    rs->Update();
    rs->MoveNext();
    rs->Delete();
    rs->CancelBatch();
    EXPECT_EQ(rs->RecordCount(), 50);
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields()->Item("name")->Value().AsString(), "name-01");
    rs->UpdateBatch(); // nothing left to send
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 50);
}

TEST_F(BACKEND_SUITE(UpdateTest), TableWithoutKeyIsKeyedByEveryOriginalValueIncludingNull)
{
    Exec("CREATE TABLE nokey (a INTEGER, b VARCHAR(10))");
    Exec("INSERT INTO nokey VALUES (1, NULL), (1, 'x'), (2, NULL)");
    auto rs = OpenRs("SELECT a, b FROM nokey ORDER BY a");
    rs->Find("b IS NULL");
    ASSERT_EQ(rs->Fields()->Item("a")->Value().AsInteger(), 1);
    ASSERT_TRUE(rs->Fields()->Item("b")->Value().IsNull());
    rs->Fields()->Item("b")->SetValue(Variant("was null"));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM nokey WHERE b IS NULL").AsInteger(), 1);
    EXPECT_EQ(Scalar("SELECT a FROM nokey WHERE b = 'was null'").AsInteger(), 1);
    rs->Find("a = 2", 0, adSearchForward, Variant(static_cast<Integer>(adBookmarkFirst)));
    rs->Delete();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM nokey").AsInteger(), 2);
}

TEST_F(BACKEND_SUITE(UpdateTest), TableWithoutKeyOfLongTextIsKeyedByTheText)
{
    // TEXT is a memo on SQLite and PostgreSQL alike; without a key it is all that finds the row.
    Exec("CREATE TABLE notes (title TEXT, body TEXT)");
    Exec("INSERT INTO notes VALUES ('one', 'first'), ('two', 'second')");
    auto rs = OpenRs("SELECT title, body FROM notes ORDER BY title");
    rs->MoveLast();
    rs->Fields()->Item("body")->SetValue(Variant("changed"));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT body FROM notes WHERE title = 'two'").AsString(), "changed");
    EXPECT_EQ(Scalar("SELECT body FROM notes WHERE title = 'one'").AsString(), "first");
    rs->MoveFirst();
    rs->Delete();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM notes").AsInteger(), 1);
}

TEST_F(BACKEND_SUITE(UpdateTest), DatesWrittenInAnotherTextFormStillLocateTheRow)
{
    // SQLite keeps whatever text was written; the key must match the instant, not the spelling.
    Exec("CREATE TABLE stamps (ts " + Backend().TimestampType() + ", s VARCHAR(10))");
    Exec("INSERT INTO stamps VALUES ('2024-01-05 10:00:00.000', 'a')");
    auto rs = OpenRs("SELECT ts, s FROM stamps");
    rs->Fields()->Item("s")->SetValue(Variant("b"));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM stamps WHERE s = 'b'").AsInteger(), 1);
    rs->Delete();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM stamps").AsInteger(), 0);
}

TEST_F(BACKEND_SUITE(UpdateTest), DuplicateRowsWithoutKeyAreNotBothChanged)
{
    Exec("CREATE TABLE twins (a INTEGER, b VARCHAR(10))");
    Exec("INSERT INTO twins VALUES (1, 'same'), (1, 'same')");
    auto rs = OpenRs("SELECT a, b FROM twins");
    rs->Fields()->Item("b")->SetValue(Variant("one"));
    try {
        rs->Update();
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("could not be located"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM twins WHERE b = 'same'").AsInteger(), 2);
    EXPECT_EQ(rs->EditMode(), adEditInProgress); // the edit is still there to cancel or retry
    rs->CancelUpdate();
}

TEST_F(BACKEND_SUITE(UpdateTest), RowChangedBehindTheCursorCannotBeLocated)
{
    Exec("CREATE TABLE nokey (a INTEGER, b VARCHAR(10))");
    Exec("INSERT INTO nokey VALUES (1, 'x')");
    auto rs = OpenRs("SELECT a, b FROM nokey");
    Exec("UPDATE nokey SET b = 'y'");
    rs->Fields()->Item("a")->SetValue(Variant(5));
    try {
        rs->Update();
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("could not be located"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Scalar("SELECT a FROM nokey").AsInteger(), 1);
}

TEST_F(BACKEND_SUITE(UpdateTest), UnderlyingValueRereadsTheDatabase)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id");
    Exec("UPDATE tall SET name = 'changed elsewhere' WHERE id = 1");
    EXPECT_EQ(rs->Fields()->Item("name")->Value().AsString(), "name-01");
    EXPECT_EQ(rs->Fields()->Item("name")->UnderlyingValue().AsString(), "changed elsewhere");
}

TEST_F(BACKEND_SUITE(UpdateTest), DeletedRowBehindTheCursorFailsTheWholeBatch)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", adLockBatchOptimistic);
    rs->Fields()->Item("name")->SetValue(Variant("first"));
    rs->Update();
    rs->MoveNext();
    rs->Fields()->Item("name")->SetValue(Variant("second"));
    rs->Update();
    Exec("DELETE FROM tall WHERE id = 2");
    EXPECT_THROW(rs->UpdateBatch(), EOleException);
    // Nothing of the batch was written, and the changes are still pending.
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 1").AsString(), "name-01");
    rs->SetFilter(Variant(static_cast<Integer>(adFilterPendingRecords)));
    EXPECT_EQ(rs->RecordCount(), 2);
}

TEST_F(BACKEND_SUITE(UpdateTest), JoinedFieldsFromTwoTablesCannotBeUpdatedTogether)
{
    auto rs = OpenRs("SELECT t.id, t.name, w.s FROM tall t JOIN wide w ON w.id = t.id ORDER BY t.id");
    rs->Fields()->Item("name")->SetValue(Variant("a"));
    rs->Fields()->Item("s")->SetValue(Variant("b"));
    EXPECT_THROW(rs->Update(), EOleException);
    rs->CancelUpdate();
    rs->Fields()->Item("s")->SetValue(Variant("only wide"));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT s FROM wide WHERE id = 1").AsString(), "only wide");
}

TEST_F(BACKEND_SUITE(UpdateTest), BadValuesAreRefusedBeforeAnythingChanges)
{
    auto rs = OpenRs("SELECT id, i, s, dt FROM wide ORDER BY id");
    EXPECT_THROW(rs->Fields()->Item("i")->SetValue(Variant("not a number")), EOleException);
    EXPECT_THROW(rs->Fields()->Item("s")->SetValue(Variant(AnsiString(31, 'x'))), EOleException);
    // Beyond the column's integer width: 32 bits, or SQLite's 64.
    const Variant tooWide = Backend().IntegerAdoType() == adInteger ? Variant(Int64{1} << 40) : Variant(1e30);
    EXPECT_THROW(rs->Fields()->Item("i")->SetValue(tooWide), EOleException);
    EXPECT_EQ(rs->EditMode(), adEditNone);
}

TEST_F(BACKEND_SUITE(UpdateTest), ExpressionColumnsAreNotUpdatable)
{
    auto rs = OpenRs("SELECT id, name || '!' AS shout FROM tall ORDER BY id");
    rs->Fields()->Item("shout")->SetValue(Variant("x"));
    EXPECT_THROW(rs->Update(), EOleException);
}

// A caller that writes its own SQL keeps the change on the row but must never see it sent again.
TEST_F(BACKEND_SUITE(UpdateTest), AcceptedChangesStayLocalAndAreNeverSent)
{
    for (LockTypeEnum lock : {adLockBatchOptimistic, adLockOptimistic}) {
        SCOPED_TRACE(lock);
        auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", lock);
        rs->SetAbsolutePosition(2);
        rs->Fields()->Item("name")->SetValue(Variant("edited"));
        rs->AcceptUpdate();
        EXPECT_EQ(rs->EditMode(), adEditNone);
        rs->AddNew();
        rs->Fields()->Item("name")->SetValue(Variant("added"));
        rs->AcceptUpdate();
        EXPECT_EQ(rs->RecordCount(), 51);
        rs->SetAbsolutePosition(3);
        rs->AcceptDelete();
        EXPECT_EQ(rs->RecordCount(), 50);
        rs->MoveNext();
        EXPECT_EQ(rs->Fields()->Item("id")->Value().AsInteger(), 4);
        rs->UpdateBatch();
        rs->SetFilter(Variant(static_cast<Integer>(adFilterPendingRecords)));
        EXPECT_EQ(rs->RecordCount(), 0);
        rs->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
        // The recordset shows the accepted values; the database was never touched.
        rs->SetAbsolutePosition(2);
        EXPECT_EQ(rs->Fields()->Item("name")->Value().AsString(), "edited");
        rs->MoveLast();
        EXPECT_EQ(rs->Fields()->Item("name")->Value().AsString(), "added");
        EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 2").AsString(), "name-02");
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 50);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall WHERE id = 3").AsInteger(), 1);
    }
}

TEST_F(BACKEND_SUITE(UpdateTest), AcceptingLeavesEarlierPendingChangesAndRefusesWhatItCannot)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", adLockBatchOptimistic);
    rs->AcceptUpdate(); // no edit in progress: nothing happens
    rs->Fields()->Item("name")->SetValue(Variant("queued"));
    rs->Update();
    rs->Fields()->Item("name")->SetValue(Variant("accepted"));
    rs->AcceptUpdate();
    rs->UpdateBatch(); // the earlier, queued change is still sent, now with the row's values
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 1").AsString(), "accepted");
    rs->AddNew();
    rs->AcceptDelete(); // an AddNew in progress is dropped, not removed twice
    EXPECT_EQ(rs->RecordCount(), 50);
    rs->MoveLast();
    rs->MoveNext();
    try {
        rs->AcceptDelete();
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("no current record"), std::string::npos) << e.what();
    }
    auto ro = OpenRs("SELECT id, name FROM tall ORDER BY id", adLockReadOnly);
    ro->MoveFirst();
    EXPECT_THROW(ro->AcceptDelete(), EOleException);
    EXPECT_THROW(ro->AcceptUpdate(), EOleException);
}

} // namespace

} // namespace vmado::test
