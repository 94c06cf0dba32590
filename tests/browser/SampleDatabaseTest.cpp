// The sample database read back through the library and checked in the file itself: the table
// with a blank in its name, dates and date-times, blobs, and Central European text stored as
// UTF-8 in the file and seen in the library's code page.
#include "common/SampleDatabase.h"
#include "common/SqliteFile.h"

#include "dataset/VDB.h"
#include "framework/db/Fields.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

namespace vmado {
namespace {

class SampleDatabaseTest : public testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.Dir() + "/sample.db";
        app::CreateSampleDatabase(path_);
    }
    // The dataset over sql on the sample, open.
    std::unique_ptr<TVADODataSet> Open(const AnsiString& sql)
    {
        auto dataSet = std::make_unique<TVADODataSet>(nullptr);
        dataSet->SetConnection("Provider=SQLite;Data Source=" + path_);
        dataSet->SetCommand(sql);
        dataSet->Open();
        return dataSet;
    }
    // A value as the file holds it, bypassing the library.
    std::string Raw(const std::string& sql)
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        std::string value;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, 0));
            value.assign(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(st, 0)));
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return value;
    }

    test::SqliteFile dir_;
    std::string path_;
};

TEST_F(SampleDatabaseTest, TableWithABlankInItsNameOpensByNameAndFollowsItsOrders)
{
    auto lines = Open("SELECT * FROM \"Order Details\" ORDER BY OrderID, Line");
    EXPECT_EQ(lines->RecordCount(), 60); // 24 orders of one to four lines
    EXPECT_EQ(lines->FieldByName("OrderID")->AsInteger(), 1);
    EXPECT_EQ(Raw("SELECT COUNT(*) FROM \"Order Details\" d LEFT JOIN Orders o USING (OrderID) "
                  "WHERE o.OrderID IS NULL"),
              "0");
    auto readings = Open("SELECT COUNT(*) AS n FROM Readings");
    EXPECT_EQ(readings->FieldByName("n")->AsInteger(), app::kSampleReadings);
}

TEST_F(SampleDatabaseTest, DatesAndDateTimesReadBackAsTheyWereWritten)
{
    auto orders = Open("SELECT OrderDate FROM Orders WHERE OrderID = 3");
    EXPECT_EQ(orders->FieldByName("OrderDate")->AsDateTime(), EncodeDate(2024, 1, 23));
    auto lines = Open("SELECT ShippedAt FROM \"Order Details\" WHERE OrderID = 3 AND Line = 2");
    EXPECT_DOUBLE_EQ(lines->FieldByName("ShippedAt")->AsDateTime(),
                     EncodeDate(2024, 1, 25) + EncodeTime(10, 10, 0, 0));
    EXPECT_EQ(Raw("SELECT ShippedAt FROM \"Order Details\" WHERE OrderID = 3 AND Line = 2").substr(0, 16),
              "2024-01-25 10:10");
    auto readings = Open("SELECT TakenAt FROM Readings WHERE ReadingID = 100");
    EXPECT_DOUBLE_EQ(readings->FieldByName("TakenAt")->AsDateTime(),
                     EncodeDate(2024, 1, 1) + EncodeTime(21, 40, 0, 0)); // 1300 minutes in
}

TEST_F(SampleDatabaseTest, LogosAreBlobsWithTheirZeroBytesAndOneCustomerHasNone)
{
    auto customers = Open("SELECT CustomerID, Logo FROM Customers ORDER BY CustomerID");
    ASSERT_TRUE(customers->Locate("CustomerID", Variant(AnsiString("HEVIZ")), {}));
    TField* logo = customers->FieldByName("Logo");
    ASSERT_TRUE(logo->IsBlob());
    const AnsiString bytes = logo->AsString();
    ASSERT_EQ(bytes.size(), 54u + 8 * 8 * 3);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes.substr(54, 3), AnsiString("\x00\x00\x00", 3)); // the black diagonal's first pixel
    EXPECT_EQ(bytes.substr(57, 3), AnsiString("\xC0\x65\x15", 3)); // 0x1565C0 stored blue first
    EXPECT_EQ(Raw("SELECT Logo FROM Customers WHERE CustomerID = 'HEVIZ'"), bytes);
    ASSERT_TRUE(customers->Locate("CustomerID", Variant(AnsiString("DEBRE")), {}));
    EXPECT_TRUE(customers->FieldByName("Logo")->IsNull());
}

TEST_F(SampleDatabaseTest, CentralEuropeanTextIsUtf8InTheFileAndTheCodePageInTheLibrary)
{
    struct Case {
        const char* Sql;
        const char* Utf8;
    };
    const Case cases[] = {
        {"SELECT Name FROM Customers WHERE CustomerID = 'HEVIZ'", "Hőforrás Fürdő Zrt."},
        {"SELECT Name FROM Customers WHERE CustomerID = 'BRNO1'", "Řezníkův Čajový dům s.r.o."},
        {"SELECT City FROM Customers WHERE CustomerID = 'PLZEN'", "Plzeň"},
        {"SELECT Name FROM Customers WHERE CustomerID = 'GYORI'", "Győri Sűrítő Bt."},
        {"SELECT Product FROM \"Order Details\" WHERE OrderID = 1 AND Line = 1", "Őszibarack pálinka"},
        {"SELECT Product FROM \"Order Details\" WHERE OrderID = 4 AND Line = 3", "Pražská šunka"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Sql);
        EXPECT_EQ(Raw(c.Sql), c.Utf8);
        auto dataSet = Open(c.Sql);
        const AnsiString text = dataSet->Fields()->Fields(0)->AsString();
        EXPECT_EQ(text, Utf8ToAnsi(c.Utf8));
        EXPECT_EQ(AnsiToUtf8(text), c.Utf8);
    }
    if (!IsUtf8CodePage()) {
        // One byte a letter in Windows-1250: o with double acute is 0xF5, R with caron 0xD8.
        auto hev = Open("SELECT Name FROM Customers WHERE CustomerID = 'HEVIZ'");
        EXPECT_EQ(hev->Fields()->Fields(0)->AsString().substr(0, 3), "H\xF5"
                                                                     "f");
        auto brno = Open("SELECT Name FROM Customers WHERE CustomerID = 'BRNO1'");
        EXPECT_EQ(brno->Fields()->Fields(0)->AsString()[0], '\xD8');
    }
}

TEST_F(SampleDatabaseTest, MadeOnlyWhenMissingAndAFailedMakeLeavesNothingBehind)
{
    EXPECT_FALSE(app::EnsureSampleDatabase(path_));
    const std::string fresh = dir_.Dir() + "/sub/dir/fresh.db";
    EXPECT_TRUE(app::EnsureSampleDatabase(fresh));
    EXPECT_TRUE(std::filesystem::exists(fresh));

    // A folder in the way: the rename over it fails once the whole sample is built.
    const std::string blocked = dir_.Dir() + "/blocked.db";
    std::filesystem::create_directories(blocked + "/keep");
    EXPECT_THROW(app::CreateSampleDatabase(blocked), EFCreateError);
    EXPECT_TRUE(std::filesystem::is_directory(blocked + "/keep"));
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Dir()))
        EXPECT_EQ(entry.path().string().find(".building"), std::string::npos) << entry.path();
}

} // namespace
} // namespace vmado
