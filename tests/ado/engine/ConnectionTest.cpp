// Connection services: open/close, properties with "Transaction DDL", Execute's affected count,
// transactions, catalogue recordsets, and failures carrying the database's own text.
#include "BackendContext.h"

#include <chrono>
#include <functional>
#include <thread>

namespace vmado::test {

namespace {

class BACKEND_SUITE(ConnectionTest) : public EngineTest {};

TEST_F(BACKEND_SUITE(ConnectionTest), OpenSetsStateAndCloseClearsIt)
{
    EXPECT_EQ(conn->State(), adStateOpen);
    conn->Close();
    EXPECT_EQ(conn->State(), adStateClosed);
    EXPECT_THROW(conn->Close(), EOleException);
}

TEST_F(BACKEND_SUITE(ConnectionTest), PropertiesReportTransactionDdlFromTheProvider)
{
    auto props = conn->Properties();
    ASSERT_GT(props->Count(), 0);
    bool found = false;
    for (Integer i = 0; i < props->Count(); ++i) {
        auto p = props->Item(i);
        if (p->Name() == "Transaction DDL") {
            found = true;
            EXPECT_NE(VarToStr(p->Value()), "0");
        }
    }
    EXPECT_TRUE(found);
    EXPECT_FALSE(conn->Version().empty());
}

TEST_F(BACKEND_SUITE(ConnectionTest), ExecuteReturnsRecordsAffected)
{
    Variant affected;
    conn->Execute("UPDATE tall SET name = name WHERE id <= 7", affected, adCmdText);
    EXPECT_EQ(affected.AsInteger(), 7);
    auto rs = conn->Execute("DELETE FROM tall WHERE id > 45", affected, adCmdText);
    EXPECT_EQ(affected.AsInteger(), 5);
    EXPECT_EQ(rs->State(), adStateClosed);
}

TEST_F(BACKEND_SUITE(ConnectionTest), ExecuteOfAQueryGivesAnOpenRecordset)
{
    auto rs = conn->Execute("SELECT id, name FROM tall WHERE id < 4 ORDER BY id", adCmdText);
    ASSERT_EQ(rs->State(), adStateOpen);
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(rs->Fields()->Item("name")->Value().AsString(), "name-01");
}

TEST_F(BACKEND_SUITE(ConnectionTest), ExecuteOfATableReadsItWhateverItsName)
{
    Exec("CREATE TABLE \"Order Details\" (id INTEGER PRIMARY KEY, qty INTEGER)");
    Exec("INSERT INTO \"Order Details\" VALUES (1, 5)");
    Exec("INSERT INTO \"Order Details\" VALUES (2, 7)");
    struct Row {
        const char* name;
        Integer options;
        Integer count;
    };
    const Row rows[] = {
        {"Order Details", adCmdTable, 2},
        {" Order Details ", adCmdTableDirect, 2},
        {"\"Order Details\"", adCmdTable, 2},
        {"tall", adCmdTable, 50},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto rs = conn->Execute(row.name, row.options);
        ASSERT_EQ(rs->State(), adStateOpen);
        EXPECT_EQ(rs->RecordCount(), row.count);
    }
}

TEST_F(BACKEND_SUITE(ConnectionTest), RollbackUndoesAndCommitKeeps)
{
    EXPECT_EQ(conn->BeginTrans(), 1);
    Exec("DELETE FROM tall");
    conn->RollbackTrans();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 50);
    conn->BeginTrans();
    Exec("DELETE FROM tall WHERE id = 1");
    conn->CommitTrans();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 49);
}

TEST_F(BACKEND_SUITE(ConnectionTest), AFailedStatementLeavesTheTransactionUsable)
{
    // Whatever fails - bad SQL, a broken constraint, a query that fails while it runs - only
    // that statement is undone; the work before and after it commits.
    std::vector<const char*> failing = {"DELETE FROM no_such_table", "INSERT INTO wide (id) VALUES (1)"};
    if (Backend().Postgres()) // elsewhere a division by zero gives NULL
        failing.push_back("SELECT 1 / (id - 2) FROM wide ORDER BY id");
    for (const char* sql : failing) {
        SCOPED_TRACE(sql);
        conn->BeginTrans();
        Exec("DELETE FROM tall WHERE id = 1");
        EXPECT_THROW(conn->Execute(sql, adCmdText), EOleException);
        Exec("DELETE FROM tall WHERE id = 2");
        conn->CommitTrans();
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall WHERE id <= 2").AsInteger(), 0);
        Exec("INSERT INTO tall (id, name) VALUES (1, 'name-01')");
        Exec("INSERT INTO tall (id, name) VALUES (2, 'name-02')");
    }
}

TEST_F(BACKEND_SUITE(ConnectionTest), TransactionMisuseRaises)
{
    EXPECT_THROW(conn->CommitTrans(), EOleException);
    EXPECT_THROW(conn->RollbackTrans(), EOleException);
    conn->BeginTrans();
    EXPECT_THROW(conn->BeginTrans(), EOleException);
    conn->RollbackTrans();
}

// A failure inside the caller's transaction takes back that statement alone: the writes before
// and after it commit, and a savepoint the caller set before it can still be rolled back to.
TEST_F(BACKEND_SUITE(ConnectionTest), AFailedStatementInsideTheCallersTransactionTakesBackOnlyItself)
{
    const struct {
        const char* What;
        std::function<void()> Fail;
    } cases[] = {
        {"statement", [this] { Exec("UPDATE tall SET nosuchcolumn = 1 WHERE id = 2"); }},
        {"send",
         [this] {
             auto rs = OpenRs("SELECT id, name FROM tall WHERE id = 2", adLockOptimistic);
             rs->Fields()->Item("id")->SetValue(Variant(1)); // a key that is taken
             rs->Update();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        conn->BeginTrans();
        Exec("UPDATE tall SET name = 'before' WHERE id = 1");
        Exec("SAVEPOINT mine");
        Exec("UPDATE tall SET name = 'kept until rolled back' WHERE id = 3");
        EXPECT_THROW(c.Fail(), EOleException);
        Exec("UPDATE tall SET name = 'after' WHERE id = 4");
        EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 3").AsString(), "kept until rolled back");
        Exec("ROLLBACK TO SAVEPOINT mine");
        conn->CommitTrans();
        EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 1").AsString(), "before");
        EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 2").AsString(), "name-02");
        EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 3").AsString(), "name-03");
        EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 4").AsString(), "name-04");
        Exec("UPDATE tall SET name = 'name-01' WHERE id = 1");
    }
}

TEST_F(BACKEND_SUITE(ConnectionTest), FailingSqlCarriesTheDatabaseText)
{
    try {
        Exec("SELECT nosuchcolumn FROM tall");
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_FALSE(e.DatabaseText().empty());
        EXPECT_NE(std::string(e.what()).find("nosuchcolumn"), std::string::npos) << e.what();
        EXPECT_FALSE(e.Source().empty());
    }
}

TEST_F(BACKEND_SUITE(ConnectionTest), SchemaTablesListsUserTables)
{
    auto rs = conn->OpenSchema(
        adSchemaTables, VarArrayOf({Variant::Null(), Variant::Null(), Variant::Null(), Variant("TABLE")}));
    std::vector<AnsiString> names;
    for (; !rs->Eof(); rs->MoveNext())
        names.push_back(rs->Fields()->Item("TABLE_NAME")->Value().AsString());
    EXPECT_NE(std::find(names.begin(), names.end(), "tall"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "wide"), names.end());
    for (const auto& n : names)
        EXPECT_NE(n.rfind("sqlite_", 0), 0u) << n;
}

TEST_F(BACKEND_SUITE(ConnectionTest), SchemaColumnsOfOneTableInOrder)
{
    auto rs = conn->OpenSchema(adSchemaColumns, VarArrayOf({Variant::Null(), Backend().SchemaRestriction(),
                                                            Variant("tall"), Variant::Null()}));
    std::vector<AnsiString> names;
    for (; !rs->Eof(); rs->MoveNext()) {
        EXPECT_EQ(rs->Fields()->Item("TABLE_NAME")->Value().AsString(), "tall");
        names.push_back(rs->Fields()->Item("COLUMN_NAME")->Value().AsString());
    }
    EXPECT_EQ(names, (std::vector<AnsiString>{"id", "name"}));
}

TEST_F(BACKEND_SUITE(ConnectionTest), SchemaColumnsOfEveryTable)
{
    auto rs = conn->OpenSchema(adSchemaColumns, VarArrayOf({Variant::Null(), Backend().SchemaRestriction(),
                                                            Variant::Null(), Variant::Null()}));
    int wide = 0;
    for (; !rs->Eof(); rs->MoveNext())
        if (rs->Fields()->Item("TABLE_NAME")->Value().AsString() == "wide")
            ++wide;
    EXPECT_EQ(wide, 10);
}

TEST_F(BACKEND_SUITE(ConnectionTest), CommandTimeoutEndsARunawayStatement)
{
    if (!Backend().EmbeddedSqlite())
        GTEST_SKIP() << "the driver enforces " << Backend().Name() << "'s own query timeout";
    conn->SetCommandTimeout(1);
    const auto start = std::chrono::steady_clock::now();
    try {
        Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT COUNT(*) FROM n");
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("command timeout"), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    conn->SetCommandTimeout(30);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall").AsInteger(), 50); // the connection carries on
}

TEST_F(BACKEND_SUITE(ConnectionTest), CommandTimeoutZeroWaitsForALockedDatabase)
{
    if (!Backend().EmbeddedSqlite())
        GTEST_SKIP() << "the driver enforces " << Backend().Name() << "'s own locking";
    auto holder = CoConnection::Create();
    holder->Open(conn->ConnectionString());
    holder->Execute("BEGIN IMMEDIATE", adCmdText);
    holder->Execute("UPDATE tall SET name = 'held' WHERE id = 2", adCmdText);
    conn->SetCommandTimeout(0);
    const auto hold = std::chrono::milliseconds(1500);
    const auto start = std::chrono::steady_clock::now();
    std::thread release([&] {
        std::this_thread::sleep_for(hold);
        holder->Execute("COMMIT", adCmdText);
    });
    Variant affected;
    try {
        conn->Execute("UPDATE tall SET name = 'waited' WHERE id <= 2", affected, adCmdText);
    } catch (...) {
        release.join();
        throw;
    }
    release.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, hold);
    EXPECT_EQ(affected.AsInteger(), 2);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM tall WHERE name = 'waited'").AsInteger(), 2);
}

TEST(BACKEND_SUITE(ConnectionOpen), UnknownProviderRaisesNamingIt)
{
    auto c = CoConnection::Create();
    try {
        c->Open("Provider=NoSuchThing;Data Source=x");
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("NoSuchThing"), std::string::npos) << e.what();
    }
    EXPECT_EQ(c->State(), adStateClosed);
}

#if VMADO_WITH_ODBC
TEST(BACKEND_SUITE(ConnectionOpen), MissingOdbcDataSourceRaisesWithTheDriverManagersState)
{
    auto c = CoConnection::Create();
    try {
        c->Open("DSN=vmado_no_such_data_source"); // no Provider: ODBC
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_EQ(e.SqlState(), "IM002") << e.what();
        EXPECT_NE(std::string(e.what()).find("Cannot open the ODBC connection"), std::string::npos)
            << e.what();
        EXPECT_FALSE(e.DatabaseText().empty());
    }
    EXPECT_EQ(c->State(), adStateClosed);
}
#endif

TEST(BACKEND_SUITE(ConnectionOpen), RemoteCreationOnAnotherMachineRaises)
{
    EXPECT_NO_THROW(CoConnection::CreateRemote("localhost"));
    EXPECT_THROW(CoConnection::CreateRemote("far-away-host.invalid"), EOleException);
}

} // namespace

} // namespace vmado::test
