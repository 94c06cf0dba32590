// Filters written as SQL conditions per backend: the texts for what SQL can say with the same
// meaning, and a refusal naming the reason for what it cannot.
#include "ado/engine/expression/SqlCondition.h"

#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

using engine::SqlColumn;
using engine::SqlDialect;
using engine::ValueKind;

const std::vector<SqlColumn>& Columns()
{
    static const std::vector<SqlColumn> columns = {
        {"\"id\"", "id", ValueKind::Integer, adInteger},
        {"\"name\"", "name", ValueKind::Text, adVarChar},
        {"\"price\"", "price", ValueKind::Currency, adCurrency},
        {"\"ratio\"", "ratio", ValueKind::Float, adDouble},
        {"\"flag\"", "flag", ValueKind::Boolean, adBoolean},
        {"\"born\"", "born", ValueKind::Date, adDBTimeStamp},
        {"\"at\"", "at", ValueKind::Date, adDBTime},
        {"\"raw\"", "raw", ValueKind::Null, adVariant},
        {"", "total", ValueKind::Integer, adInteger},
        {"\"other\"", "other", ValueKind::Text, adVarChar},
    };
    return columns;
}

std::vector<engine::ColumnInfo> Infos()
{
    std::vector<engine::ColumnInfo> infos;
    for (const SqlColumn& c : Columns())
        infos.push_back({c.Label, c.Kind});
    return infos;
}

AnsiString Write(const char* filter, SqlDialect dialect)
{
    return engine::FilterCondition(*engine::CompileFilter(filter, Infos()), Columns(), dialect);
}

struct WriteCase {
    const char* filter;
    const char* sqlite;
    const char* postgres; // nullptr: as for SQLite
};

TEST(ExpressionSql, ConditionsSayWhatTheFilterSays)
{
    const WriteCase cases[] = {
        {"", "", nullptr},
        {"id = 5", "\"id\" = 5", nullptr},
        {"id = 2.5", "\"id\" = 2.5", nullptr},
        {"id = NULL", "\"id\" IS NULL", nullptr},
        {"id <> NULL", "\"id\" IS NOT NULL", nullptr},
        {"price = 12.5", "\"price\" = 12.5000", nullptr},
        {"price = -0.25", "\"price\" = -0.2500", nullptr},
        {"ratio > 0.1", "\"ratio\" > 0.1", nullptr},
        {"name = 'it''s'", "\"name\" = 'it''s'", nullptr},
        {"name < 'M'", "\"name\" < 'M'", "\"name\" < 'M' COLLATE \"C\""},
        {"flag", "(\"flag\" <> 0)", "(\"flag\" = TRUE)"},
        {"flag = False", "(\"flag\" = 0)", "(\"flag\" = FALSE)"},
        {"flag <> True", "(\"flag\" = 0)", "(\"flag\" = FALSE)"},
        {"name LIKE 'a*b?[c%_'", "\"name\" GLOB 'a*b[?][[]c*?'", "\"name\" LIKE 'a%b?[c%_'"},
        {"name LIKE 'a\\b'", "\"name\" GLOB 'a\\b'", "\"name\" LIKE 'a\\\\b'"},
        {"born >= #2024-01-05 10:30:00#", "julianday(\"born\") >= julianday('2024-01-05 10:30:00')",
         "\"born\" >= TIMESTAMP '2024-01-05 10:30:00'"},
        {"id IN (1, 2, NULL)", "\"id\" IN (1, 2, NULL)", nullptr},
        {"(id = 1 OR id = 2) AND NOT name IS NULL", "((\"id\" = 1 OR \"id\" = 2) AND NOT (\"name\" IS NULL))",
         nullptr},
        {"name = other", "\"name\" = \"other\"", nullptr},
        {"id < ratio", "\"id\" < \"ratio\"", nullptr},
        {"1 = 2", "1 = 0", nullptr},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(Write(c.filter, SqlDialect::SQLite), c.sqlite);
        EXPECT_EQ(Write(c.filter, SqlDialect::PostgreSQL), c.postgres ? c.postgres : c.sqlite);
    }
}

struct RefusalCase {
    const char* filter;
    SqlDialect dialect;
    const char* reason; // a substring of the message
};

TEST(ExpressionSql, WhatSqlCannotSayIsRefusedWithTheReason)
{
    const RefusalCase cases[] = {
        {"UCASE(name) = 'X'", SqlDialect::SQLite, "UCASE/LCASE of column name"},
        {"at = #10:00:00#", SqlDialect::PostgreSQL, "column at holds times of day"},
        {"raw = 1", SqlDialect::SQLite, "column raw has no type"},
        {"total = 1", SqlDialect::SQLite, "column total is not a column of a table"},
        {"name > '\xE9'", SqlDialect::SQLite, "beyond ASCII"},
        {"flag > 0", SqlDialect::PostgreSQL, "column flag is Boolean"},
        {"flag IN (1)", SqlDialect::SQLite, "IN on Boolean column flag"},
        {"id LIKE '1*'", SqlDialect::SQLite, "LIKE on column id, which holds no text"},
        {"name < other", SqlDialect::PostgreSQL, "text order of columns name and other"},
        {"name = id", SqlDialect::SQLite, "columns name and id are compared across kinds"},
        {"name LIKE 'a*'", SqlDialect::Generic, "case rules are unknown"},
        {"born = #2024-01-05#", SqlDialect::Generic, "date literals are unknown"},
        {"name < 'M'", SqlDialect::Generic, "collation"},
        {"id = 1 OR flag > 0", SqlDialect::SQLite, "column flag is Boolean"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.filter);
        try {
            const AnsiString text = Write(c.filter, c.dialect);
            ADD_FAILURE() << "written as " << text;
        } catch (const EOleException& e) {
            EXPECT_NE(std::string(e.Message()).find("cannot be written as SQL"), std::string::npos)
                << e.Message();
            EXPECT_NE(std::string(e.Message()).find(c.reason), std::string::npos) << e.Message();
        }
    }
}

} // namespace
} // namespace vmado::test
