// SQL the library generates, run on the backend: ODBC escapes, #date# literals, UCASE/LCASE,
// Boolean -1/0 and bracketed names all reach the database in a form it accepts.
#include "BackendContext.h"

namespace vmado::test {

namespace {

class BACKEND_SUITE(DialectBackendTest) : public EngineTest {};

TEST_F(BACKEND_SUITE(DialectBackendTest), GeneratedConditionsSelectTheExpectedRows)
{
    struct Case {
        const char* Where;
        Integer Count;
    } cases[] = {
        {" ({fn UCASE(s)} LIKE 'ALPHA%') ", 1},
        {" (UCASE(s) = 'ALPHA') ", 1},
        {" (LCASE(s) = 'alpha') ", 1},
        {" (dt >= #1999-12-31# AND dt <= #2024-01-05#) ", 2},
        {" (dt = {d '2024-01-05'}) ", 1},
        {" (ts > {ts '2024-01-05 14:00:00'}) ", 1},
        {" (ts >= #2024-01-05 02:05:09 PM#) ", 1},
        {" (ts = {d '2024-01-05 02:05:09 PM' }) ", 1},
        {" (ts > {d '2024-01-05 02:05:08 PM' } AND ts < {d '2024-01-05 02:05:10 PM' }) ", 1},
        {" (b = -1) ", 1},
        {" (b = 0) ", 1},
        {" (b <> -1) ", 1},
        {" ([s] = 'alpha') ", 1},
        {" (s = '#1999-12-31#') ", 0},
        {" (s LIKE 'alpha') -- {fn nonsense} #x#\n", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Where);
        EXPECT_EQ(Scalar(AnsiString("SELECT COUNT(*) FROM wide WHERE") + c.Where).AsInteger(), c.Count);
    }
}

TEST_F(BACKEND_SUITE(DialectBackendTest), BooleanLiteralsInUpdates)
{
    Variant affected;
    conn->Execute("UPDATE wide SET b = -1 WHERE id = 2", affected, adCmdText);
    EXPECT_EQ(affected.AsInteger(), 1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM wide WHERE b = -1").AsInteger(), 2);
}

TEST_F(BACKEND_SUITE(DialectBackendTest), LikeIsCaseSensitive)
{
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM wide WHERE s LIKE 'ALPHA'").AsInteger(), 0);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM wide WHERE s LIKE 'al%'").AsInteger(), 1);
}

TEST_F(BACKEND_SUITE(DialectBackendTest), StringLiteralsAreNeverRewritten)
{
    Exec("INSERT INTO tall (name) VALUES ('{fn UCASE(x)} #2024-01-01# [y] b = -1')");
    EXPECT_EQ(
        Scalar("SELECT COUNT(*) FROM tall WHERE name = '{fn UCASE(x)} #2024-01-01# [y] b = -1'").AsInteger(),
        1);
}

} // namespace

} // namespace vmado::test
