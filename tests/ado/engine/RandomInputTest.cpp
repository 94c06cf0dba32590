// Random and token-soup inputs to the Filter, Find and Sort texts, the dialect rewriter and the
// connection-string parser: nothing crashes, and every refusal is an EOleException.
#include "ado/ADOApi.h"
#include "ado/engine/Provider.h"
#include "ado/engine/dialect/Dialect.h"

#include <gtest/gtest.h>

#include <random>

namespace vmado {

namespace {

const char* const Tokens[] = {
    "id",         "name",   "qty",     "when",
    "flag",       "[name]", "\"qty\"", "=",
    "<>",         "<",      ">=",      "'",
    "'x'",        "''",     "#",       "#2024-01-05#",
    "#1/2/2024#", "{fn",    "UCASE(",  "{d '2024-01-05'}",
    "{ts '",      "}",      "(",       ")",
    "AND",        "OR",     "NOT",     "LIKE",
    "'a*'",       "'%b%'",  "*",       "%",
    "BETWEEN",    "IS",     "NULL",    "-1",
    "0",          "3.5",    "1e308",   ",",
    " ",          "ASC",    "DESC",    "--",
    "/*",         "*/",     ";",       "=",
    "{",          "\\",     "\x01",    "\xE1",
    "Null",       "TRUE",
};

std::string Soup(std::mt19937& rng)
{
    std::uniform_int_distribution<int> len(0, 12), pick(0, static_cast<int>(std::size(Tokens)) - 1);
    std::string s;
    for (int n = len(rng); n > 0; --n) {
        s += Tokens[pick(rng)];
        if (rng() % 2)
            s += ' ';
    }
    return s;
}

std::string Bytes(std::mt19937& rng)
{
    std::uniform_int_distribution<int> len(0, 40), byte(1, 255);
    std::string s(static_cast<std::size_t>(len(rng)), ' ');
    for (auto& c : s)
        c = static_cast<char>(byte(rng));
    return s;
}

TEST(RandomInput, FilterFindSortNeverCrash)
{
    auto conn = CoConnection::Create();
    conn->Open("Provider=SQLite;Data Source=:memory:");
    conn->Execute(
        "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(10), qty REAL, \"when\" DATE, flag BOOLEAN)");
    conn->Execute(
        "INSERT INTO t VALUES (1, 'a', 1.5, '2024-01-05', 1), (2, NULL, NULL, NULL, NULL), (3, 'b*', -2, "
        "'1999-01-01', 0)");
    auto rs = CoRecordset::Create();
    rs->Open("SELECT * FROM t", conn, adOpenStatic, adLockReadOnly, adCmdText);
    std::mt19937 rng(20261210);
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string text = (i % 3 == 0) ? Bytes(rng) : Soup(rng);
        SCOPED_TRACE(text);
        try {
            rs->SetFilter(Variant(text));
            ++accepted;
            EXPECT_LE(rs->RecordCount(), 3);
        } catch (const EOleException&) {
        }
        try {
            rs->Find(text, 0, adSearchForward, Variant(static_cast<Integer>(adBookmarkFirst)));
        } catch (const EOleException&) {
        }
        try {
            rs->SetSort(text);
        } catch (const EOleException&) {
        }
    }
    rs->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_GT(accepted, 0);
}

TEST(RandomInput, RewriterAndConnectionStringNeverCrash)
{
    std::mt19937 rng(42);
    const std::vector<AnsiString> booleans = {"flag"};
    for (int i = 0; i < 5000; ++i) {
        const std::string text = (i % 2) ? Bytes(rng) : Soup(rng);
        SCOPED_TRACE(text);
        for (auto d :
             {engine::SqlDialect::SQLite, engine::SqlDialect::PostgreSQL, engine::SqlDialect::Generic})
            EXPECT_NO_THROW(engine::RewriteSql(text, d, &booleans));
        try {
            engine::ParseConnectionString(text);
        } catch (const EOleException&) {
        }
    }
}

} // namespace

} // namespace vmado
