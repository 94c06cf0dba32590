// The behaviour fixture: a fresh database per test with the tall and wide tables.
#include "BackendContext.h"

namespace vmado::test {

ConnectionPtr OpenFresh()
{
    auto c = CoConnection::Create();
    c->Open(Backend().ConnectionString());
    return c;
}

void EngineTest::SetUp()
{
    VMADO_REQUIRE_BACKEND();
    conn = OpenFresh();
    Exec("CREATE TABLE tall (id " + Backend().AutoKey() + ", name VARCHAR(40))");
    AnsiString values;
    for (int i = 1; i <= 50; ++i) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s('name-%02d')", i > 1 ? ", " : "", i);
        values += buf;
    }
    Exec("INSERT INTO tall (name) VALUES " + values);
    Exec("CREATE TABLE wide (id INTEGER PRIMARY KEY, i INTEGER, d " + Backend().DoubleType() + ", b " +
         Backend().BooleanType() + ", dt DATE, ts " + Backend().TimestampType() +
         ", s VARCHAR(30), t TEXT, bl " + Backend().BlobType() + ", n NUMERIC(10,2))");
    Exec("INSERT INTO wide (id, i, d, b, dt, ts, s, t, n) VALUES "
         "(1, 10, 1.5, TRUE, '2024-01-05', '2024-01-05 14:05:09', 'alpha', 'short', 12.50), "
         "(2, 20, -2.25, FALSE, '1999-12-31', '2000-02-29 00:00:00', 'Beta, \"quoted\"', 'a longer text "
         "value', 0), "
         "(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
}

void EngineTest::TearDown()
{
    if (conn && conn->State() != adStateClosed)
        conn->Close();
}

void EngineTest::Exec(const AnsiString& sql)
{
    conn->Execute(sql, adCmdText);
}

Variant EngineTest::Scalar(const AnsiString& sql)
{
    auto rs = conn->Execute(sql, adCmdText);
    if (rs->State() == adStateClosed || rs->Eof())
        return Variant();
    return rs->Fields()->Item(0)->Value();
}

RecordsetPtr EngineTest::OpenRs(const AnsiString& sql, LockTypeEnum lock)
{
    auto rs = CoRecordset::Create();
    rs->Open(sql, conn, adOpenStatic, lock, adCmdText);
    return rs;
}

} // namespace vmado::test
