// Connection-string parsing: keys ignore case, values may be braced or quoted, and a value left
// open is an error naming the key.
#include "ado/engine/Provider.h"

#include <gtest/gtest.h>

namespace vmado::engine {

namespace {

TEST(ConnectionString, PartsAndValues)
{
    const auto parts =
        ParseConnectionString(" Provider = SQLite ; Data Source=/tmp/a b.db;DRIVER={PostgreSQL "
                              "Unicode};PWD={se;cr}}et};X='it''s';;Flag");
    EXPECT_EQ(parts.Value("provider"), "SQLite");
    EXPECT_EQ(parts.Value("DATA SOURCE"), "/tmp/a b.db");
    EXPECT_EQ(parts.Value("Driver"), "PostgreSQL Unicode");
    EXPECT_EQ(parts.Value("pwd"), "se;cr}et");
    EXPECT_EQ(parts.Value("x"), "it's");
    ASSERT_NE(parts.Find("flag"), nullptr);
    EXPECT_EQ(parts.Value("flag"), "");
    EXPECT_EQ(parts.Find("missing"), nullptr);
}

TEST(ConnectionString, UnclosedValueRaisesNamingTheKey)
{
    try {
        ParseConnectionString("DSN=x;PWD={abc");
        FAIL() << "no exception";
    } catch (const EOleException& e) {
        EXPECT_NE(std::string(e.what()).find("PWD"), std::string::npos) << e.what();
    }
}

TEST(ConnectionString, SetAndRemoveKeepOrder)
{
    auto parts = ParseConnectionString("A=1;B=2");
    parts.Set("b", "3");
    parts.Set("C", "4");
    parts.Remove("a");
    ASSERT_EQ(parts.Items.size(), 2u);
    EXPECT_EQ(parts.Items[0].first, "B");
    EXPECT_EQ(parts.Items[0].second, "3");
    EXPECT_EQ(parts.Items[1].first, "C");
}

} // namespace

} // namespace vmado::engine

#if VMADO_WITH_ODBC
#include "ado/engine/providers/odbc/OdbcPrivate.h"

namespace vmado::engine {

namespace {

TEST(ConnectionString, AdoNamesBecomeOdbcNamesForTheDriverManager)
{
    struct Case {
        const char* In;
        const char* Out;
    } cases[] = {
        {"Data Source=Sales;User ID=joe;Password={p;w}", "DSN=Sales;UID=joe;PWD={p;w}"},
        {"DRIVER={SQLite3};Database=/tmp/a b.db", "DRIVER=SQLite3;Database={/tmp/a b.db}"},
        {"DRIVER={SQLite3};Database=x;StepAPI=1", "DRIVER=SQLite3;Database=x;StepAPI=1"},
        {"DRIVER={PostgreSQL Unicode};Server=h;Initial Catalog=db",
         "DRIVER={PostgreSQL Unicode};Server=h;DATABASE=db;UseDeclareFetch=1;Fetch=2000;BoolsAsChar=0;"
         "Protocol=7.4-0"},
        // A rollback level the caller chose is the caller's to keep.
        {"DRIVER={PostgreSQL Unicode};Server=h;Protocol=7.4-2",
         "DRIVER={PostgreSQL Unicode};Server=h;Protocol=7.4-2;UseDeclareFetch=1;Fetch=2000;BoolsAsChar=0"},
        {"DRIVER={PostgreSQL Unicode};A1=7.4-1",
         "DRIVER={PostgreSQL Unicode};A1=7.4-1;UseDeclareFetch=1;Fetch=2000;"
         "BoolsAsChar=0"},
        {"DSN=x;Persist Security Info=False", "DSN=x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.In);
        EXPECT_EQ(odbc::DriverConnectionString(ParseConnectionString(c.In)), c.Out);
    }
}

} // namespace

} // namespace vmado::engine
#endif
