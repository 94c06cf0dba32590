// What only the native PostgreSQL provider does: its connection-string keys, the numbering of
// placeholders, the server's types read into typed fields, values a field cannot hold, text that
// cannot be sent, and a query left half-read while another statement runs.
#include "BackendContext.h"

#include "ado/engine/Provider.h"
#include "ado/engine/providers/postgresql/PgPrivate.h"
#include "framework/rtl/CodePage.h"

#include <cmath>
#include <cstdlib>

namespace vmado::test {

namespace {

using engine::postgresql::LibpqKeywords;
using engine::postgresql::NumberPlaceholders;

std::string KeywordValue(const std::vector<std::pair<std::string, std::string>>& keywords, const char* key)
{
    for (const auto& [k, v] : keywords)
        if (k == key)
            return v;
    return "<absent>";
}

TEST(PgNativeConnectionString, AdoKeysBecomeLibpqKeywords)
{
    const struct {
        const char* Text;
        const char* Keyword;
        const char* Value;
    } cases[] = {
        {"Data Source=db.example;Port=5433", "host", "db.example"},
        {"Server=db.example", "host", "db.example"},
        {"Port=5433", "port", "5433"},
        {"Initial Catalog=sales", "dbname", "sales"},
        {"Database=sales", "dbname", "sales"},
        {"User ID=ann", "user", "ann"},
        {"UID=ann", "user", "ann"},
        {"Password={a;b}", "password", "a;b"},
        {"Search Path=my schema", "options", "-c search_path=my\\ schema"},
        {"Search Path=s;options=-c work_mem=64MB", "options", "-c search_path=s -c work_mem=64MB"},
        {"sslmode=disable", "sslmode", "disable"},
        {"Provider=PostgreSQL;Persist Security Info=False", "client_encoding", "UTF8"},
        {"Connect Timeout=3", "connect_timeout", "3"},
        {"Port=1", "connect_timeout", "15"}, // the connection's own timeout when none is given
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        engine::OpenOptions options;
        options.ConnectionTimeout = 15;
        const auto keywords = LibpqKeywords(engine::ParseConnectionString(c.Text), options);
        EXPECT_EQ(KeywordValue(keywords, c.Keyword), c.Value);
    }
}

TEST(PgNativeConnectionString, AnUnknownKeyIsRefusedByName)
{
    try {
        LibpqKeywords(engine::ParseConnectionString("Server=x;Colour=blue"), engine::OpenOptions{});
        FAIL() << "an unknown key was accepted";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("'Colour'"), std::string::npos) << e.what();
    }
}

TEST(PgNativeConnectionString, ANonexistentServerFailsWithTheReason)
{
    // Port 1 on the loopback: nothing listens there, so the refusal is immediate.
    try {
        auto c = CoConnection::Create();
        c->Open("Provider=PostgreSQL;Data Source=127.0.0.1;Port=1;User ID=nobody");
        FAIL() << "connected to nothing";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot open the PostgreSQL connection"), std::string::npos)
            << e.what();
        EXPECT_EQ(e.SqlState(), "08001");
    }
}

TEST(PgNativePlaceholders, QuestionMarksAreNumberedOutsideQuotesAndComments)
{
    const struct {
        const char* Sql;
        const char* Expected;
        int Count;
    } cases[] = {
        {"SELECT * FROM t WHERE a = ? AND b = ?", "SELECT * FROM t WHERE a = $1 AND b = $2", 2},
        {"SELECT '?', \"?\" FROM t WHERE a = ?", "SELECT '?', \"?\" FROM t WHERE a = $1", 1},
        {"SELECT 'it''s ?' || ?", "SELECT 'it''s ?' || $1", 1},
        {"SELECT E'\\' ?' || ?", "SELECT E'\\' ?' || $1", 1},
        {"SELECT 1 -- what?\n, ?", "SELECT 1 -- what?\n, $1", 1},
        {"SELECT /* a /* nested? */ ? */ ?", "SELECT /* a /* nested? */ ? */ $1", 1},
        {"SELECT $$ ? $$, $tag$ ? $tag$, ?", "SELECT $$ ? $$, $tag$ ? $tag$, $1", 1},
        {"SELECT $1 + 1", "SELECT $1 + 1", 0},
        {"SELECT 'unterminated ?", "SELECT 'unterminated ?", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Sql);
        int count = -1;
        EXPECT_EQ(NumberPlaceholders(c.Sql, count), c.Expected);
        EXPECT_EQ(count, c.Count);
    }
}

class PgNativeTest : public EngineTest {};

TEST_F(PgNativeTest, ServerTypesReadAsTypedFields)
{
    Exec("CREATE TABLE typed (i2 int2, i4 int4, i8 int8, m numeric(12,4), w numeric(30,10), u numeric, "
         "f4 real, f8 float8, b bool, t text, vc varchar(10), ch char(3), d date, tm time, ts timestamp, "
         "tz timestamptz, by bytea, g uuid, iv interval)");
    Exec(Utf8ToAnsi(
        "INSERT INTO typed VALUES (-32768, 2147483647, -9223372036854775807, 12345678.1234, "
        "'12345678901234567890.0123456789', 0.1, 1.5, 0.1, true, 'long text', 'várható', 'ab', "
        "'2024-02-29', '13:14:15', '2024-02-29 13:14:15.250', '2024-02-29 13:14:15+00', '\\x00ff10', "
        "'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', '1 day')"));
    auto rs = OpenRs("SELECT * FROM typed", adLockReadOnly);
    auto f = rs->Fields();
    const struct {
        const char* Name;
        DataTypeEnum Type;
        const char* Text; // the value's AsString
    } cases[] = {
        {"i2", adSmallInt, "-32768"},
        {"i4", adInteger, "2147483647"},
        {"i8", adBigInt, "-9223372036854775807"},
        {"w", adNumeric, "12345678901234567890.0123456789"},
        {"u", adNumeric, "0.1"},
        {"t", adLongVarChar, "long text"},
        {"vc", adVarChar, "várható"},
        {"ch", adChar, "ab "},
        {"g", adGUID, "{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}"},
        {"iv", adVarChar, "P1D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(f->Item(c.Name)->Type(), c.Type);
        EXPECT_EQ(f->Item(c.Name)->Value().AsString(), Utf8ToAnsi(c.Text));
    }
    EXPECT_EQ(f->Item("b")->Type(), adBoolean);
    EXPECT_TRUE(f->Item("b")->Value().AsBoolean());
    EXPECT_EQ(f->Item("m")->Type(), adNumeric);
    EXPECT_EQ(f->Item("m")->Value().AsCurrency().Raw, 123456781234LL);
    EXPECT_EQ(f->Item("f4")->Type(), adSingle);
    EXPECT_EQ(f->Item("f4")->Value().AsFloat(), 1.5);
    EXPECT_EQ(f->Item("f8")->Type(), adDouble);
    EXPECT_EQ(f->Item("f8")->Value().AsFloat(), 0.1); // to the last bit
    EXPECT_EQ(f->Item("d")->Type(), adDBDate);
    EXPECT_DOUBLE_EQ(f->Item("d")->Value().AsDateTime(), 45351.0);
    EXPECT_EQ(f->Item("tm")->Type(), adDBTime);
    EXPECT_NEAR(f->Item("tm")->Value().AsDateTime(), (13 * 3600 + 14 * 60 + 15) / 86400.0, 1e-9);
    EXPECT_EQ(f->Item("ts")->Type(), adDBTimeStamp);
    EXPECT_NEAR(f->Item("ts")->Value().AsDateTime(), 45351.0 + (13 * 3600 + 14 * 60 + 15.25) / 86400.0, 1e-9);
    EXPECT_EQ(f->Item("tz")->Type(), adDBTimeStamp);
    EXPECT_EQ(f->Item("by")->Type(), adLongVarBinary);
    EXPECT_EQ(VarArrayBytes(f->Item("by")->Value()), (std::vector<Byte>{0x00, 0xFF, 0x10}));
}

TEST_F(PgNativeTest, ValuesAFieldCannotHoldAreRefusedByColumn)
{
    const struct {
        const char* Select;
        const char* Column;
    } cases[] = {
        {"SELECT 'infinity'::date AS far", "'far'"},
        {"SELECT '0044-03-15 BC'::date AS ides", "'ides'"},
        {"SELECT '10000-01-01'::timestamp AS later", "'later'"},
        {"SELECT 'NaN'::numeric(10,2) AS amount", "'amount'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Select);
        try {
            OpenRs(c.Select, adLockReadOnly);
            ADD_FAILURE() << "read without complaint";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.Column), std::string::npos) << e.what();
        }
    }
}

TEST_F(PgNativeTest, TextWithAZeroByteIsRefusedNotCut)
{
    auto rs = OpenRs("SELECT id, s FROM wide ORDER BY id");
    rs->Fields()->Item("s")->SetValue(Variant(AnsiString("ab\0cd", 5)));
    EXPECT_THROW(rs->Update(), EOleException);
    EXPECT_EQ(Scalar("SELECT s FROM wide WHERE id = 1").AsString(), "alpha");
}

TEST_F(PgNativeTest, AHalfReadQueryGoesOnAfterAnotherStatementRuns)
{
    engine::OpenOptions options;
    auto link = engine::FindProvider("PostgreSQL")(
        engine::ParseConnectionString(Backend().ConnectionString()), options);
    link->Prepare("CREATE TABLE counted (n int)")->Execute();
    link->Prepare("INSERT INTO counted SELECT generate_series(1, 1000)")->Execute();
    auto reading = link->Prepare("SELECT n FROM counted ORDER BY n");
    ASSERT_TRUE(reading->Execute());
    std::vector<engine::CellRef> row;
    ASSERT_TRUE(reading->Step(row));
    EXPECT_EQ(row[0].I, 1);
    // The connection is needed while the first query still streams.
    auto other = link->Prepare("UPDATE counted SET n = n + 1000 WHERE n = ?");
    engine::BoundValue v;
    v.Cell.Kind = engine::ValueKind::Integer;
    v.Cell.I = 500;
    other->Bind(1, v);
    other->Execute();
    EXPECT_EQ(other->RowsAffected(), 1);
    Int64 expected = 2, count = 1;
    while (reading->Step(row)) {
        ASSERT_EQ(row[0].I, expected);
        ++expected;
        ++count;
    }
    EXPECT_EQ(count, 1000); // the rows as the query saw them, none lost or doubled
}

} // namespace

} // namespace vmado::test
