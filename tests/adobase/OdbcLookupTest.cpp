// ODBC lookups against private unixODBC configuration files named by ODBCSYSINI, ODBCINSTINI
// and ODBCINI, never the machine's own.
#include "AdoBaseFixture.h"

namespace vmado::test {
namespace {

class OdbcLookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(dir_ / "odbcinst.ini",
                  "[ODBC]\nTrace = No\n\n"
                  "[PostgreSQL Unicode]\nDescription=PostgreSQL ODBC driver\n"
                  "Driver=psqlodbcw.so\nCommLog = 0\n\n"
                  "; a comment\n# another\n"
                  "[Microsoft Text Driver (*.txt; *.csv)]\nDriver = text.so\nFileExtns = *.txt,*.csv\n\n"
                  "[dBase Driver (*.dbf)]\nfileextns=*.dbf\n");
        WriteFile(dir_ / "odbc.ini", "[ODBC Data Sources]\nsysdsn = PostgreSQL Unicode\n\n"
                                     "[sysdsn]\nDriver = PostgreSQL Unicode\n\n[shared]\nDriver=SQLite3\n");
        WriteFile(dir_ / "user.ini",
                  "[userdsn]\nDriver = SQLite3\nDatabase=/tmp/x.db\n[shared]\nDriver=SQLite3\n");
    }

    TempDir dir_;
    ScopedEnv sys_{"ODBCSYSINI", dir_.Path().string()};
    ScopedEnv inst_{"ODBCINSTINI", "odbcinst.ini"};
    ScopedEnv user_{"ODBCINI", (dir_ / "user.ini").string()};
};

TEST_F(OdbcLookup, DriverListHoldsTheInstalledDrivers)
{
    TStringList list;
    list.Add("stale");
    TVConnection::GetOdbcDriverList(list);
    EXPECT_EQ(Items(list),
              (std::vector<std::string>{"PostgreSQL Unicode", "Microsoft Text Driver (*.txt; *.csv)",
                                        "dBase Driver (*.dbf)"}));
}

TEST_F(OdbcLookup, DriverListIsLeftAloneWithoutAConfigurationFile)
{
    ScopedEnv missing("ODBCINSTINI", "no-such-file.ini");
    TStringList list;
    list.Add("kept");
    TVConnection::GetOdbcDriverList(list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"kept"}));
}

TEST_F(OdbcLookup, OdbcInstIniMayBeNamedAbsolutely)
{
    WriteFile(dir_ / "other.ini", "[Only Driver]\nDriver=x.so\n");
    ScopedEnv other("ODBCINSTINI", (dir_ / "other.ini").string());
    TStringList list;
    TVConnection::GetOdbcDriverList(list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"Only Driver"}));
}

TEST_F(OdbcLookup, DriverExtensionsComeFromFileExtns)
{
    EXPECT_EQ(TVConnection::GetOdbcDriverExt("Microsoft Text Driver (*.txt; *.csv)"), "*.txt,*.csv");
    EXPECT_EQ(TVConnection::GetOdbcDriverExt("dbase driver (*.dbf)"), "*.dbf");
    EXPECT_EQ(TVConnection::GetOdbcDriverExt("PostgreSQL Unicode"), "");
    EXPECT_EQ(TVConnection::GetOdbcDriverExt("No Such Driver"), "");
}

TEST_F(OdbcLookup, DriverFilterBuildsOpenDialogFilters)
{
    struct Row {
        const char* Driver;
        const char* Filter;
    };
    const Row rows[] = {
        {"dBase Driver (*.dbf)", "dBase Driver (*.dbf)|*.dbf| All Files (*.*)  |*.*"},
        {"Microsoft Text Driver (*.txt; *.csv)", "Microsoft Text Driver (*.txt; *.csv)|*.txt|Microsoft Text "
                                                 "Driver (*.csv; *.csv)|*.csv| All Files (*.*)  |*.*"},
        {"PostgreSQL Unicode", " All Files (*.*)  |*.*"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Driver);
        EXPECT_EQ(TVConnection::GetOdbcDriverFilter(r.Driver), r.Filter);
    }
}

TEST_F(OdbcLookup, DataSourcesListSystemThenUserWithDuplicates)
{
    TStringList list;
    list.Add("stale");
    TVConnection::GetOdbcDSNList(list);
    EXPECT_EQ(Items(list), (std::vector<std::string>{"sysdsn", "shared", "userdsn", "shared"}));
}

TEST_F(OdbcLookup, DataSourcesWithoutFilesGiveAnEmptyList)
{
    ScopedEnv sys("ODBCSYSINI", (dir_ / "nowhere").string());
    ScopedEnv user("ODBCINI", (dir_ / "nowhere.ini").string());
    TStringList list;
    list.Add("stale");
    TVConnection::GetOdbcDSNList(list);
    EXPECT_EQ(list.Count(), 0);
}

} // namespace
} // namespace vmado::test
