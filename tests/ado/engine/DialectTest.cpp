// The dialect rewriter as text: what each backend receives for the forms this library writes,
// and what it must leave alone (literals, quoted names, comments).
#include "ado/engine/dialect/Dialect.h"

#include <gtest/gtest.h>

namespace vmado::engine {

namespace {

struct Row {
    const char* In;
    const char* Sqlite;
    const char* Postgres;
};

const std::vector<AnsiString> Booleans = {"flag", "active"};

TEST(Dialect, RewritesForEachBackend)
{
    const Row rows[] = {
        {"SELECT * FROM t WHERE {fn UCASE(a)} LIKE 'X%'", "SELECT * FROM t WHERE UCASE(a) LIKE 'X%'",
         "SELECT * FROM t WHERE UPPER(a) LIKE 'X%'"},
        {"WHERE {fn LCASE({fn UCASE(a)})} = 'x'", "WHERE LCASE(UCASE(a)) = 'x'",
         "WHERE LOWER(UPPER(a)) = 'x'"},
        {"WHERE d >= #2024-01-05# AND d <= #2024-01-06 03:04:05 PM#",
         "WHERE d >= '2024-01-05' AND d <= '2024-01-06 15:04:05'",
         "WHERE d >= DATE '2024-01-05' AND d <= TIMESTAMP '2024-01-06 15:04:05'"},
        {"WHERE d = #1/31/2024#", "WHERE d = '2024-01-31'", "WHERE d = DATE '2024-01-31'"},
        {"WHERE d = #1/31/29# OR d = #12/31/30# OR d = #2/3/00#",
         "WHERE d = '2029-01-31' OR d = '1930-12-31' OR d = '2000-02-03'",
         "WHERE d = DATE '2029-01-31' OR d = DATE '1930-12-31' OR d = DATE '2000-02-03'"},
        {"WHERE d = {d '2024-01-05'} OR t = {t '10:00:00'} OR s = {ts '2024-01-05 10:00:00'}",
         "WHERE d = '2024-01-05' OR t = '10:00:00' OR s = '2024-01-05 10:00:00'",
         "WHERE d = DATE '2024-01-05' OR t = TIME '10:00:00' OR s = TIMESTAMP '2024-01-05 10:00:00'"},
        {"WHERE s = {d '2024-01-05 03:04:05 PM' } OR t = {t '03:04:05 PM' } OR d = {d '2024-01-05' }",
         "WHERE s = '2024-01-05 15:04:05' OR t = '15:04:05' OR d = '2024-01-05'",
         "WHERE s = TIMESTAMP '2024-01-05 15:04:05' OR t = TIME '15:04:05' OR d = DATE '2024-01-05'"},
        {"WHERE t = {t '12:00:00.250 AM' } OR x = {d 'not a date' }",
         "WHERE t = '00:00:00.250' OR x = 'not a date'",
         "WHERE t = TIME '00:00:00.250' OR x = DATE 'not a date'"},
        {"WHERE (flag = -1) AND (Active <> 0) AND (other = -1)",
         "WHERE (flag = 1) AND (Active <> 0) AND (other = -1)",
         "WHERE (flag = TRUE) AND (Active <> FALSE) AND (other = -1)"},
        {"WHERE t.flag=-1", "WHERE t.flag=1", "WHERE t.flag=TRUE"},
        {"WHERE flag = -10 OR flag = 0.5", "WHERE flag = -10 OR flag = 0.5",
         "WHERE flag = -10 OR flag = 0.5"},
        {"SELECT [Order Details].[Unit Price] FROM [Order Details]",
         "SELECT [Order Details].[Unit Price] FROM [Order Details]",
         "SELECT \"Order Details\".\"Unit Price\" FROM \"Order Details\""},
        {"SELECT 'it''s {fn UCASE(x)} #2024-01-01# flag = -1' FROM t",
         "SELECT 'it''s {fn UCASE(x)} #2024-01-01# flag = -1' FROM t",
         "SELECT 'it''s {fn UCASE(x)} #2024-01-01# flag = -1' FROM t"},
        {"SELECT \"UCASE\"(x) -- {fn UCASE(y)} #2024-01-01#\nFROM t /* flag = -1 */",
         "SELECT \"UCASE\"(x) -- {fn UCASE(y)} #2024-01-01#\nFROM t /* flag = -1 */",
         "SELECT \"UCASE\"(x) -- {fn UCASE(y)} #2024-01-01#\nFROM t /* flag = -1 */"},
        {"SELECT ucase (a), MyUCASE(b) FROM t", "SELECT ucase (a), MyUCASE(b) FROM t",
         "SELECT UPPER (a), MyUCASE(b) FROM t"},
        {"SELECT a # b FROM t", "SELECT a # b FROM t", "SELECT a # b FROM t"},
        {"SELECT '{fn unterminated", "SELECT '{fn unterminated", "SELECT '{fn unterminated"},
        {"SELECT * FROM {oj a LEFT OUTER JOIN b ON a.id = b.id}",
         "SELECT * FROM a LEFT OUTER JOIN b ON a.id = b.id",
         "SELECT * FROM a LEFT OUTER JOIN b ON a.id = b.id"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.In);
        EXPECT_EQ(RewriteSql(r.In, SqlDialect::SQLite, &Booleans), r.Sqlite);
        EXPECT_EQ(RewriteSql(r.In, SqlDialect::PostgreSQL, &Booleans), r.Postgres);
    }
}

TEST(Dialect, GenericOdbcKeepsEscapesForTheDriver)
{
    EXPECT_EQ(RewriteSql("WHERE {fn UCASE(a)} = 'X' AND d = #2024-01-05#", SqlDialect::Generic, &Booleans),
              "WHERE {fn UCASE(a)} = 'X' AND d = {d '2024-01-05'}");
}

TEST(Dialect, BooleanColumnsAreAskedForOnlyWhenNeeded)
{
    EXPECT_TRUE(MentionsBooleanLiteral("a = -1"));
    EXPECT_TRUE(MentionsBooleanLiteral("a <>0"));
    EXPECT_FALSE(MentionsBooleanLiteral("SELECT a FROM t WHERE b = 'x'"));
}

} // namespace

} // namespace vmado::engine
