// TVConnection on a real temporary SQLite database: open and close, reconnecting, statements,
// transactions, the fixed mapping and provider tables, and the schema lookups.
#include "AdoBaseFixture.h"

#include "framework/rtl/Exceptions.h"

#include <algorithm>

namespace vmado::test {
namespace {

using ConnectionTest = WrapperTest;

TEST_F(ConnectionTest, EmptyConnectionStringOpensNothing)
{
    TVConnection c(true);
    c.Open();
    EXPECT_FALSE(c.Active);
    EXPECT_EQ(c.Connection, nullptr);
    EXPECT_EQ(c.GetVersion(), "Unknown");
    EXPECT_EQ(c.ExecSQL("DELETE FROM people"), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people"), "4");
}

TEST_F(ConnectionTest, DefaultsAreTheDocumentedOnes)
{
    TVConnection c(false);
    EXPECT_EQ(c.CommandTimeout, 30);
    EXPECT_EQ(c.ConnectionTimeout, 15);
    EXPECT_EQ(c.IsolationLevel, ilXactChaos);
    EXPECT_EQ(c.ConnectMode, cmModeUnknown);
    EXPECT_EQ(c.CursorLocation, clClient);
    EXPECT_FALSE(c.AutoClose);
    EXPECT_FALSE(c.TransactionDDL);
    EXPECT_EQ(c.Properties->Count(), 0);
}

TEST_F(ConnectionTest, OpenRecordsTheProviderPropertiesAndSettings)
{
    auto c = OpenConnection();
    ASSERT_TRUE(c->Active);
    ASSERT_NE(c->Connection, nullptr);
    EXPECT_EQ(c->Connection->CommandTimeout(), 30);
    EXPECT_EQ(c->Connection->ConnectionTimeout(), 15);
    EXPECT_EQ(c->Connection->CursorLocation(), adUseClient);
    EXPECT_NE(c->GetVersion(), "Unknown");
    EXPECT_GT(c->Properties->Count(), 0);
    EXPECT_GE(c->Properties->IndexOfName("Transaction DDL"), 0);
    EXPECT_EQ(c->TransactionDDL, c->Properties->Values("Transaction DDL") != "0");
    EXPECT_TRUE(c->TransactionDDL); // SQLite runs DDL inside transactions
}

TEST_F(ConnectionTest, CloseReleasesTheEngineObject)
{
    auto c = OpenConnection();
    c->Close();
    EXPECT_FALSE(c->Active);
    EXPECT_FALSE(c->TransactionDDL);
    EXPECT_EQ(c->Connection, nullptr);
    c->Close(); // closing twice is harmless
    c->SetActive(true);
    EXPECT_TRUE(c->Active);
    c->SetActive(false);
    EXPECT_FALSE(c->Active);
}

TEST_F(ConnectionTest, SameStringDoesNotReconnectButANewOneDoesAtOnce)
{
    VMADO_EMBEDDED_SQLITE_ONLY();
    auto c = OpenConnection();
    const ConnectionPtr first = c->Connection;
    c->SetConnect(ConnectionString());
    EXPECT_EQ(c->Connection, first);

    const auto other = dir_ / "other.db";
    SqliteExec(other, "CREATE TABLE only_here (x INTEGER);");
    c->SetConnect("Provider=SQLite;Data Source=" + other.string());
    EXPECT_TRUE(c->Active);
    EXPECT_NE(c->Connection, first);
    TStringList tables;
    c->GetADOTableNames(tables);
    EXPECT_EQ(Items(tables), (std::vector<std::string>{"only_here"}));
}

TEST_F(ConnectionTest, NewStringWhileClosedWaitsForTheNextOpen)
{
    TVConnection c(true);
    c.SetConnect(ConnectionString());
    EXPECT_FALSE(c.Active);
    EXPECT_EQ(c.ConnectionString, ConnectionString());
}

TEST_F(ConnectionTest, FailedOpenRaisesAndStaysInactive)
{
    TVConnection c(true);
    c.SetConnect(Backend().EmbeddedSqlite()
                     ? "Provider=SQLite;Data Source=" + (dir_ / "no" / "such" / "dir.db").string()
                     : std::string("Provider=MSDASQL;DRIVER={No Such Driver};Database=x"));
    EXPECT_THROW(c.Open(), EOleException);
    EXPECT_FALSE(c.Active);
}

TEST_F(ConnectionTest, ExecSQLReturnsRecordsAffected)
{
    auto c = OpenConnection();
    EXPECT_EQ(c->ExecSQL("UPDATE people SET qty = qty + 1 WHERE city = 'Paris'"), 2);
    EXPECT_EQ(Scalar("SELECT qty FROM people WHERE id = 1"), "6");
    EXPECT_THROW(c->ExecSQL("UPDATE nowhere SET x = 1"), EOleException);
}

TEST_F(ConnectionTest, TransactionsCommitAndRollBack)
{
    auto c = OpenConnection();
    c->StartTransaction();
    c->ExecSQL("DELETE FROM people WHERE id = 1");
    c->Rollback();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people"), "4");
    c->StartTransaction();
    c->ExecSQL("DELETE FROM people WHERE id = 1");
    c->Commit();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people"), "3");
}

TEST_F(ConnectionTest, WithoutTransactionDDLNothingIsSentForTransactions)
{
    auto c = OpenConnection();
    c->TransactionDDL = false;
    c->StartTransaction();
    c->ExecSQL("DELETE FROM people WHERE id = 1");
    c->Rollback(); // nothing to roll back: the delete was committed on its own
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM people"), "3");
    c->Commit();
}

TEST_F(ConnectionTest, IsolationLevelAndModeMapToEngineValues)
{
    const std::pair<TIsolationLevel, Integer> levels[] = {{ilXactChaos, 16},
                                                          {ilXactUnspecified, 16},
                                                          {ilXactBrowse, 256},
                                                          {ilXactReadUncommitted, 256},
                                                          {ilXactCursorStability, 4096},
                                                          {ilXactReadCommitted, 4096},
                                                          {ilXactRepeatableRead, 65536},
                                                          {ilXactIsolated, 1048576},
                                                          {ilXactSerializable, 1048576}};
    for (auto [level, value] : levels)
        EXPECT_EQ(TVConnection::GetIsolationLevel(level), value) << int(level);
    const std::pair<TConnectionMode, Integer> modes[] = {
        {cmModeUnknown, 0},         {cmModeRead, 1},          {cmModeWrite, 2},
        {cmModeReadWrite, 3},       {cmModeShareDenyRead, 4}, {cmModeShareDenyWrite, 8},
        {cmModeShareExclusive, 12}, {cmModeShareDenyNone, 16}};
    for (auto [mode, value] : modes)
        EXPECT_EQ(TVConnection::GetConnectMode(mode), value) << int(mode);
}

TEST_F(ConnectionTest, ProviderTableInBothForms)
{
    TStringList list;
    list.Add("stale");
    TVConnection::GetADOProviderList(list);
    EXPECT_EQ(Items(list),
              (std::vector<std::string>{
                  "MSDASQL=ODBC databases (default)", "SQLOLEDB=Microsoft SQL Server 7. OLE DB",
                  "MSDAORA=Oracle databases", "Microsoft.Jet.OLEDB.4.0=Microsoft Jet databases",
                  "MSIDXS=Microsoft Index Server", "ADSDSOObject=Microsoft Active Directory Service"}));
    TStringList descriptions, names;
    descriptions.Add("stale");
    TVConnection::GetADOProviderList(descriptions, names);
    EXPECT_EQ(Items(names), (std::vector<std::string>{"MSDASQL", "SQLOLEDB", "MSDAORA",
                                                      "Microsoft.Jet.OLEDB.4.0", "MSIDXS", "ADSDSOObject"}));
    EXPECT_EQ(descriptions.Count(), 6);
    EXPECT_EQ(descriptions.Strings(3), "Microsoft Jet databases");
}

TEST_F(ConnectionTest, SchemaLookupsOpenAndCloseAClosedConnection)
{
    TVConnection c(true);
    c.SetConnect(ConnectionString());
    TStringList tables;
    c.GetADOTableNames(tables);
    auto names = Items(tables);
    std::sort(names.begin(), names.end());
    // A server database lists the same tables of the other tests' schemas too, and of any other
    // test program running against the same server at the same time.
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (Backend().Postgres()) {
        for (const char* own : {"empty_table", "people"})
            EXPECT_NE(std::find(names.begin(), names.end(), own), names.end()) << own;
    } else {
        EXPECT_EQ(names, (std::vector<std::string>{"empty_table", "people"}));
    }
    EXPECT_FALSE(c.Active);

    TStringList columns;
    c.GetADOFieldNames("people", columns);
    EXPECT_EQ(Items(columns),
              (std::vector<std::string>{"id", "name", "city", "qty", "born", "seen", "note"}));
    EXPECT_FALSE(c.Active);
}

TEST_F(ConnectionTest, FieldNamesWithoutATableCoverEveryTable)
{
    auto c = OpenConnection();
    TStringList columns;
    c->GetADOFieldNames("", columns);
    auto names = Items(columns);
    std::sort(names.begin(), names.end());
    const std::vector<std::string> ours = {"empty_table.id", "empty_table.name", "people.born",
                                           "people.city",    "people.id",        "people.name",
                                           "people.note",    "people.qty",       "people.seen"};
    if (Backend().EmbeddedSqlite()) {
        EXPECT_EQ(names, ours);
    } else {
        // A server also reports the columns of its catalogue views and of other schemas.
        for (const auto& n : ours)
            EXPECT_TRUE(std::binary_search(names.begin(), names.end(), n)) << n;
    }
    EXPECT_TRUE(c->Active); // it was open before, so it stays open
}

} // namespace
} // namespace vmado::test
