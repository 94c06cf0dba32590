// Edits by lock type: read-only refuses, optimistic/pessimistic send at once, batch keeps the
// change on the row until UpdateBatch. Sends are keyed by primary key or by every original value,
// must touch exactly one row, and bind their values.
#include "BackendContext.h"
#include "framework/rtl/CodePage.h"

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

TEST_F(BACKEND_SUITE(UpdateTest), ExplicitNullOnInsertIsSentAndAnUnsetColumnTakesItsDefault)
{
    Exec("CREATE TABLE defaults (id INTEGER PRIMARY KEY, a VARCHAR(10) DEFAULT 'dflt', "
         "b VARCHAR(10) DEFAULT 'dflt')");
    Integer id = 0;
    for (LockTypeEnum lock : {adLockOptimistic, adLockBatchOptimistic}) {
        SCOPED_TRACE(lock);
        auto rs = OpenRs("SELECT id, a, b FROM defaults", lock);
        rs->AddNew();
        rs->Fields()->Item("id")->SetValue(Variant(++id));
        rs->Fields()->Item("a")->SetValue(Variant::Null());
        rs->Update();
        rs->UpdateBatch();
        const AnsiString where = " FROM defaults WHERE id = " + std::to_string(id);
        EXPECT_EQ(Scalar("SELECT COUNT(*)" + where + " AND a IS NULL").AsInteger(), 1);
        EXPECT_EQ(Scalar("SELECT b" + where).AsString(), "dflt");
    }
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
        EXPECT_NE(std::string(e.what()).find("Too many rows were affected"), std::string::npos) << e.what();
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
        EXPECT_NE(std::string(e.what()).find("Row cannot be located for updating"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(Scalar("SELECT a FROM nokey").AsInteger(), 1);
}

TEST_F(BACKEND_SUITE(UpdateTest), FailedBatchInsideTheCallersTransactionTakesBackOnlyItsOwnWrites)
{
    auto rs = OpenRs("SELECT id, name FROM tall ORDER BY id", adLockBatchOptimistic);
    rs->SetAbsolutePosition(2);
    rs->Fields()->Item("name")->SetValue(Variant("sent"));
    rs->Update();
    rs->MoveNext();
    rs->Fields()->Item("name")->SetValue(Variant("lost"));
    rs->Update();
    conn->BeginTrans();
    Exec("UPDATE tall SET name = 'mine' WHERE id = 1");
    Exec("DELETE FROM tall WHERE id = 3"); // the batch's second row is gone: it fails there
    try {
        rs->UpdateBatch();
        ADD_FAILURE() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("Row cannot be located"), std::string::npos) << e.what();
    }
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 2").AsString(), "name-02");
    conn->CommitTrans();
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 1").AsString(), "mine");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 49);
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 2").AsString(), "name-02");
}

// Two users edit the same row through their own connections; the second post was read before
// the first was written.
TEST_F(BACKEND_SUITE(UpdateTest), UpdateCriteriaDecideWhetherAStaleUpdateIsRefused)
{
    Exec("CREATE TABLE shared (id INTEGER PRIMARY KEY, a VARCHAR(10), b VARCHAR(10))");
    Exec("INSERT INTO shared VALUES (1, 'a0', 'b0')");
    enum Where { Default, ConnectionString, ConnectionProperty, RecordsetProperty };
    const struct {
        Where How;
        Integer Criteria;
        const char* Column; // the stale user's change; the first user changed a
        bool Refused;
    } cases[] = {
        {Default, 0, "a", true},
        {Default, 0, "b", false},
        {ConnectionString, adCriteriaKey, "a", false},
        {ConnectionString, adCriteriaAllCols, "b", true},
        {ConnectionProperty, adCriteriaKey, "a", false},
        {ConnectionProperty, adCriteriaUpdCols, "a", true},
        {RecordsetProperty, adCriteriaAllCols, "b", true},
        {RecordsetProperty, adCriteriaKey, "a", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.How) + "/" + std::to_string(c.Criteria) + "/" + c.Column);
        Exec("UPDATE shared SET a = 'a0', b = 'b0'");
        auto other = CoConnection::Create();
        other->Open(conn->ConnectionString() +
                    (c.How == ConnectionString ? ";Update Criteria=" + std::to_string(c.Criteria) : ""));
        if (c.How == ConnectionProperty)
            other->Properties()->Item("Update Criteria")->SetValue(Variant(c.Criteria));
        auto stale = CoRecordset::Create();
        stale->Open("SELECT id, a, b FROM shared", other, adOpenStatic, adLockOptimistic, adCmdText);
        if (c.How == RecordsetProperty)
            stale->Properties()->Item("Update Criteria")->SetValue(Variant(c.Criteria));
        auto first = OpenRs("SELECT id, a, b FROM shared");
        first->Fields()->Item("a")->SetValue(Variant("first"));
        first->Update();
        stale->Fields()->Item(c.Column)->SetValue(Variant("second"));
        if (c.Refused) {
            try {
                stale->Update();
                ADD_FAILURE() << "no exception";
            } catch (const EOleException& e) {
                EXPECT_EQ(std::string(e.what()), "Row cannot be located for updating. Some values may have "
                                                 "been changed since it was last read.");
            }
            EXPECT_EQ(stale->EditMode(), adEditInProgress);
            stale->CancelUpdate();
            EXPECT_EQ(Scalar("SELECT a FROM shared").AsString(), "first");
            EXPECT_EQ(Scalar("SELECT b FROM shared").AsString(), "b0");
        } else {
            stale->Update();
            EXPECT_EQ(Scalar("SELECT " + AnsiString(c.Column) + " FROM shared").AsString(), "second");
        }
        stale->Close();
        other->Close();
    }
}

TEST_F(BACKEND_SUITE(UpdateTest), UpdateCriteriaRefuseWhatIsNoChoice)
{
    auto other = CoConnection::Create();
    try {
        other->Open(conn->ConnectionString() + ";Update Criteria=7");
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("Update Criteria to '7'"), std::string::npos) << e.what();
    }
    auto rs = OpenRs("SELECT id, name FROM tall");
    EXPECT_EQ(rs->Properties()->Item("Update Criteria")->Value().AsInteger(), adCriteriaUpdCols);
    EXPECT_THROW(rs->Properties()->Item("Update Criteria")->SetValue(Variant("all")), EOleException);
    EXPECT_THROW(conn->Properties()->Item("Update Criteria")->SetValue(Variant(-1)), EOleException);
    EXPECT_EQ(rs->Properties()->Item("Update Criteria")->Value().AsInteger(), adCriteriaUpdCols);
}

// "Jo\xe3o" has a letter the code page lacks and reads as "Jo?o"; another row holds "Jo?o" itself.
// Every send must find the row by what the database holds and never write the replaced form back.
TEST_F(BACKEND_SUITE(UpdateTest), TextTheCodePageCannotHoldIsMatchedAndKeptAsStored)
{
    if (GetACP() == CP_UTF8)
        GTEST_SKIP() << "in UTF-8 the code page holds every character: nothing is replaced (Utf8TextTest)";
    const AnsiString joao = Backend().Postgres() ? "'Jo' || chr(227) || 'o'" : "'Jo' || char(227) || 'o'";
    const struct {
        const char* Key; // the table's key, or none
        LockTypeEnum Lock;
    } cases[] = {
        {"PRIMARY KEY", adLockOptimistic},
        {"PRIMARY KEY", adLockBatchOptimistic},
        {"", adLockOptimistic},
        {"", adLockBatchOptimistic},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Key) + "/" + std::to_string(c.Lock));
        Exec("CREATE TABLE names (name VARCHAR(20) " + AnsiString(c.Key) + ", note VARCHAR(20))");
        Exec("INSERT INTO names VALUES (" + joao + ", 'x')");
        Exec("INSERT INTO names VALUES ('Jo?o', 'y')");
        auto rs = OpenRs("SELECT name, note FROM names ORDER BY note", c.Lock);
        ASSERT_EQ(rs->Fields()->Item("name")->Value().AsString(), "Jo?o");
        rs->Fields()->Item("note")->SetValue(Variant("edited"));
        // Set to the text it shows: no change for the database.
        rs->Fields()->Item("name")->SetValue(Variant("Jo?o"));
        rs->Update();
        rs->UpdateBatch();
        EXPECT_EQ(Scalar("SELECT note FROM names WHERE name = 'Jo?o'").AsString(), "y");
        EXPECT_EQ(Scalar("SELECT note FROM names WHERE name = " + joao).AsString(), "edited");
        // The row is found again by its stored value, now with its new note.
        rs->Fields()->Item("note")->SetValue(Variant("again"));
        rs->Update();
        rs->UpdateBatch();
        EXPECT_EQ(Scalar("SELECT note FROM names WHERE name = " + joao).AsString(), "again");
        rs->Delete();
        rs->UpdateBatch();
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM names WHERE name = " + joao).AsInteger(), 0);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM names WHERE name = 'Jo?o'").AsInteger(), 1);
        rs->Close();
        Exec("DROP TABLE names");
    }
}

TEST_F(BACKEND_SUITE(UpdateTest), TextThatIsNotUtf8IsMatchedAsStored)
{
    if (!Backend().EmbeddedSqlite())
        GTEST_SKIP() << "only SQLite keeps bytes that are not UTF-8 in a text value";
    Exec("CREATE TABLE names (name VARCHAR(20), note VARCHAR(20))");
    Exec("INSERT INTO names VALUES (CAST(X'4AFF6F' AS TEXT), 'x')");
    auto rs = OpenRs("SELECT name, note FROM names");
    rs->Fields()->Item("note")->SetValue(Variant("edited"));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT note FROM names WHERE name = CAST(X'4AFF6F' AS TEXT)").AsString(), "edited");
    rs->Delete();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM names").AsInteger(), 0);
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
