// The browser on PostgreSQL through its ODBC driver, in a schema of the test's own: the tables
// listed by the driver's catalogue, a table name with a blank, the detail following the master,
// and Central European text through the driver's Unicode route.
#include "BrowserFixture.h"

#include "OdbcConfig.h"

#include "ado/ADOApi.h"
#include "framework/db/Fields.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/DateTime.h"
#include "tables/VTables.h"

#include <cstdlib>

namespace vmado::test {
namespace {

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

class BrowserPgTest : public BrowserTest {
protected:
    void SetUp() override
    {
        if (Env("VMADO_PG_HOST").empty() || Env("VMADO_PG_PORT").empty()) {
            if (Env("VMADO_REQUIRE_PG") == "1")
                FAIL() << "VMADO_REQUIRE_PG=1 but VMADO_PG_HOST/VMADO_PG_PORT are not set";
            GTEST_SKIP() << "no PostgreSQL server: VMADO_PG_HOST/VMADO_PG_PORT are not set";
        }
        BrowserTest::SetUp();
        PrivateOdbcConfig();
        base_ = "Provider=MSDASQL;DRIVER={PostgreSQL Unicode};Server=" + Env("VMADO_PG_HOST") +
                ";Port=" + Env("VMADO_PG_PORT") + ";Database=" + Env("VMADO_PG_DB") +
                ";UID=" + Env("VMADO_PG_USER") + ";PWD=";
        schema_ = "browser_" + std::to_string(getpid());
        Run({"DROP SCHEMA IF EXISTS " + schema_ + " CASCADE", "CREATE SCHEMA " + schema_,
             "CREATE TABLE " + schema_ + ".clients (client_id VARCHAR(5) PRIMARY KEY, name VARCHAR(40))",
             "CREATE TABLE " + schema_ +
                 ".\"order lines\" (line_id INTEGER PRIMARY KEY, client_id VARCHAR(5), product VARCHAR(40), "
                 "shipped TIMESTAMP)",
             "INSERT INTO " + schema_ + ".clients VALUES ('A', " + Literal("Hőforrás Fürdő") + "), ('B', " +
                 Literal("Řezník") + ")",
             "INSERT INTO " + schema_ + ".\"order lines\" VALUES (1, 'A', " + Literal("Pražská šunka") +
                 ", '2024-03-01 10:15:00'), (2, 'A', 'Tokaji', NULL), (3, 'B', " + Literal("Lángos") +
                 ", NULL)"});
        connection_ = base_ + ";ConnSettings={SET search_path TO " + schema_ + "}";
    }
    void TearDown() override
    {
        BrowserTest::TearDown();
        if (!schema_.empty())
            Run({"DROP SCHEMA IF EXISTS " + schema_ + " CASCADE"});
    }
    void Run(const std::vector<std::string>& statements)
    {
        auto admin = CoConnection::Create();
        admin->Open(base_);
        for (const std::string& sql : statements)
            admin->Execute(sql);
        admin->Close();
    }
    static std::string Literal(const char* utf8) { return "'" + Utf8ToAnsi(utf8) + "'"; }

    AnsiString base_;
    std::string schema_;
    AnsiString connection_;
};

TEST_F(BrowserPgTest, MasterAndDetailOnTheServerThroughOdbc)
{
    window_ = std::make_unique<browser::MainWindow>(SettingsDir());
    window_->show();
    ASSERT_TRUE(window_->OpenConnection(connection_, "clients", "order lines")) << errors_.front();
    ASSERT_TRUE(window_->WaitForOpen(120000));
    auto& w = *window_;
    ASSERT_TRUE(errors_.empty()) << errors_.front();
    EXPECT_EQ(w.Detail()->Relation(), "client_id = :client_id");
    EXPECT_EQ(w.MasterGrid()->StatusText(), "record 1 of 2");
    EXPECT_EQ(w.DetailGrid()->StatusText(), "record 1 of 2");
    EXPECT_EQ(Cell(w, false, 0, 1), QString::fromUtf8("Hőforrás Fürdő"));
    EXPECT_EQ(Cell(w, true, 0, 2), QString::fromUtf8("Pražská šunka"));
    EXPECT_DOUBLE_EQ(w.Detail()->FieldByName("shipped")->AsDateTime(),
                     EncodeDate(2024, 3, 1) + EncodeTime(10, 15, 0, 0));
    w.Master()->Next();
    QApplication::processEvents();
    EXPECT_EQ(w.DetailGrid()->StatusText(), "record 1 of 1");
    EXPECT_EQ(Cell(w, true, 0, 2), QString::fromUtf8("Lángos"));

    w.Master()->SetSortStr("name DESC");
    window_.reset();
    window_ = std::make_unique<browser::MainWindow>(SettingsDir());
    window_->show();
    ASSERT_TRUE(window_->OpenConnection(connection_, "clients", "order lines"));
    ASSERT_TRUE(window_->WaitForOpen(120000));
    EXPECT_EQ(window_->Master()->Sort(), "name DESC");
    EXPECT_EQ(window_->Master()->FieldByName("client_id")->AsString(), "B");
    EXPECT_EQ(window_->DetailGrid()->StatusText(), "record 1 of 1");
    EXPECT_TRUE(errors_.empty()) << errors_.front();
}

} // namespace
} // namespace vmado::test
