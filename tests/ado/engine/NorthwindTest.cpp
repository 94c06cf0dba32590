// The real Northwind database (read from a temporary copy): bracketed names, a table name with a
// blank, a two-column key, DATETIME text read as dates, and Filter agreeing with SQL WHERE.
#include "ado/ADOApi.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace vmado {

namespace {

class Northwind : public ::testing::Test {
protected:
    void SetUp() override
    {
        // VMADO_SHARED_DATA points elsewhere when the build tree is not beside the shared data.
        const char* dir = std::getenv("VMADO_SHARED_DATA");
        const std::filesystem::path source =
            std::filesystem::path(dir && *dir ? dir : VMADO_SHARED_DATA_DIR) / "northwind.db";
        if (!std::filesystem::exists(source))
            GTEST_SKIP() << "no Northwind database at " << source;
        copy_ = std::filesystem::temp_directory_path() / ("vmado-nw-" + std::to_string(getpid()) + ".db");
        std::filesystem::copy_file(source, copy_, std::filesystem::copy_options::overwrite_existing);
        conn = CoConnection::Create();
        conn->Open("Provider=SQLite;Data Source=" + copy_.string());
    }
    void TearDown() override
    {
        if (conn)
            conn->Close();
        if (!copy_.empty())
            std::filesystem::remove(copy_);
    }
    RecordsetPtr Open(const AnsiString& source, LockTypeEnum lock = adLockReadOnly,
                      Integer options = adCmdText)
    {
        auto rs = CoRecordset::Create();
        rs->Open(source, conn, adOpenStatic, lock, options);
        return rs;
    }

    ConnectionPtr conn;
    std::filesystem::path copy_;
};

TEST_F(Northwind, OrdersReadDatesAndCounts)
{
    auto rs = Open("SELECT * FROM [Orders] ORDER BY OrderID");
    EXPECT_EQ(rs->RecordCount(), 830);
    auto date = rs->Fields()->Item("OrderDate");
    EXPECT_EQ(date->Type(), adDBTimeStamp);
    EXPECT_EQ(date->Value().VarType(), varDate);
    EXPECT_DOUBLE_EQ(date->Value().AsDateTime(), 35250.0); // 1996-07-04
    EXPECT_TRUE(rs->Fields()->Item("OrderID")->Properties()->Item("ISAUTOINCREMENT")->Value().AsBoolean());
}

TEST_F(Northwind, FilterAgreesWithWhere)
{
    auto rs = Open("Customers", adLockReadOnly, adCmdTable);
    rs->SetFilter(Variant("Country = 'Germany' AND City <> 'Berlin'"));
    auto db = Open("SELECT * FROM Customers WHERE Country = 'Germany' AND City <> 'Berlin'");
    EXPECT_EQ(rs->RecordCount(), db->RecordCount());
    EXPECT_EQ(rs->RecordCount(), 10);
}

TEST_F(Northwind, TwoColumnKeyWithABlankInTheTableName)
{
    auto rs =
        Open("SELECT * FROM [Order Details] WHERE OrderID = 10248 ORDER BY ProductID", adLockOptimistic);
    ASSERT_EQ(rs->RecordCount(), 3);
    rs->Fields()->Item("Quantity")->SetValue(Variant(99));
    rs->Update();
    auto check = conn->Execute("SELECT COUNT(*) FROM [Order Details] WHERE Quantity = 99");
    EXPECT_EQ(check->Fields()->Item(0)->Value().AsInteger(), 1);
}

TEST_F(Northwind, SchemaListsTablesAndViewsApart)
{
    auto tables = conn->OpenSchema(
        adSchemaTables, VarArrayOf({Variant::Null(), Variant::Null(), Variant::Null(), Variant("TABLE")}));
    auto views = conn->OpenSchema(
        adSchemaTables, VarArrayOf({Variant::Null(), Variant::Null(), Variant::Null(), Variant("VIEW")}));
    EXPECT_GE(tables->RecordCount(), 13);
    EXPECT_GE(views->RecordCount(), 10);
    EXPECT_EQ(tables->RecordCount() + views->RecordCount(), 29);
}

} // namespace

} // namespace vmado
