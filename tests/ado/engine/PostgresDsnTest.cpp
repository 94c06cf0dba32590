// PostgreSQL reached through a data source name rather than a driver name: the driver is known
// only once connected.
#include "BackendContext.h"
#include "OdbcConfig.h"

#include <fstream>

namespace vmado::test {

namespace {

class PostgresDsnTest : public EngineTest {};

// Behind a data source name the driver is known only once connected; psqlODBC found there must
// leave the caller's savepoints alone as well.
TEST_F(PostgresDsnTest, PsqlOdbcBehindADataSourceNameKeepsTheCallersSavepoints)
{
    const AnsiString driverKey = "DRIVER={PostgreSQL Unicode}";
    const AnsiString direct = conn->ConnectionString();
    const std::size_t at = direct.find(driverKey);
    ASSERT_NE(at, AnsiString::npos) << direct;
    std::ofstream(PrivateOdbcConfig() + "/odbc.ini", std::ios::app)
        << "\n[vmado_pg_dsn]\nDriver=PostgreSQL Unicode\nCommLog=0\nDebug=0\n";
    AnsiString viaDsn = direct;
    viaDsn.replace(at, driverKey.size(), "DSN=vmado_pg_dsn");
    auto other = CoConnection::Create();
    other->Open(viaDsn);
    other->BeginTrans();
    other->Execute("UPDATE tall SET name = 'kept' WHERE id = 1", adCmdText);
    other->Execute("SAVEPOINT mine", adCmdText);
    other->Execute("UPDATE tall SET name = 'undone' WHERE id = 2", adCmdText);
    auto rs = CoRecordset::Create();
    rs->Open("SELECT id, name FROM tall WHERE id = 3", other, adOpenStatic, adLockOptimistic, adCmdText);
    rs->Fields()->Item("id")->SetValue(Variant(1)); // a key that is taken
    EXPECT_THROW(rs->Update(), EOleException);
    other->Execute("ROLLBACK TO SAVEPOINT mine", adCmdText);
    other->CommitTrans();
    other->Close();
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 1").AsString(), "kept");
    EXPECT_EQ(Scalar("SELECT name FROM tall WHERE id = 2").AsString(), "name-02");
}

} // namespace

} // namespace vmado::test
