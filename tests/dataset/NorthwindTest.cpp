// The dataset on the real Northwind database (a temporary copy): every record of wide tables read
// through the record line, compared with what SQLite itself answers.
#include "adobase/AdoBaseFixture.h"
#include "dataset/VDB.h"

#include "framework/rtl/SysUtils.h"

#include <cmath>
#include <cstdlib>

namespace vmado::test {
namespace {

class NorthwindDataSet : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = CopyNorthwind(dir_);
        if (db_.empty())
            GTEST_SKIP() << "no Northwind database in the shared data folder";
        data_.SetConnection("Provider=SQLite;Data Source=" + db_.string());
    }

    TempDir dir_;
    std::filesystem::path db_;
    TVADODataSet data_{nullptr};
};

TEST_F(NorthwindDataSet, EveryOrderReadsBackAsSqliteHoldsIt)
{
    data_.SetCommand("SELECT * FROM Orders ORDER BY OrderID");
    data_.Open();
    int records = 0;
    double freight = 0;
    long long ids = 0;
    int shipped = 0;
    for (data_.First(); !data_.Eof(); data_.Next()) {
        ++records;
        for (Integer i = 0; i < data_.FieldCount(); ++i)
            (void)data_.Fields()->Fields(i)->AsString();
        freight += data_.FieldByName("Freight")->AsFloat();
        ids += data_.FieldByName("OrderID")->AsInteger();
        if (!data_.FieldByName("ShippedDate")->IsNull())
            ++shipped;
    }
    EXPECT_EQ(std::to_string(records), SqliteScalar(db_, "SELECT COUNT(*) FROM Orders"));
    EXPECT_EQ(std::to_string(ids), SqliteScalar(db_, "SELECT SUM(OrderID) FROM Orders"));
    EXPECT_EQ(std::to_string(shipped), SqliteScalar(db_, "SELECT COUNT(ShippedDate) FROM Orders"));
    EXPECT_NEAR(freight, std::stod(SqliteScalar(db_, "SELECT SUM(Freight) FROM Orders")), 0.01);
    EXPECT_EQ(data_.RecNo(), records);
}

TEST_F(NorthwindDataSet, ATableNameWithABlankOpensAndFilters)
{
    data_.SetCommand("SELECT * FROM [Order Details]");
    data_.SetFilter("Quantity >= 100");
    data_.Open();
    EXPECT_EQ(IntToStr(data_.RecordCount()),
              SqliteScalar(db_, "SELECT COUNT(*) FROM [Order Details] WHERE Quantity >= 100"));
    data_.SetSortStr("UnitPrice DESC");
    EXPECT_EQ(FloatToStr(data_.FieldByName("UnitPrice")->AsFloat()),
              FloatToStr(std::stod(
                  SqliteScalar(db_, "SELECT MAX(UnitPrice) FROM [Order Details] WHERE Quantity >= 100"))));
}

TEST_F(NorthwindDataSet, EmployeesShowTheirPhotoAsABlobField)
{
    data_.SetCommand(
        "SELECT EmployeeID, LastName, BirthDate, Photo, Notes FROM Employees ORDER BY EmployeeID");
    data_.Open();
    TField* photo = data_.FieldByName("Photo");
    EXPECT_TRUE(photo->IsBlob());
    EXPECT_FALSE(photo->IsNull()); // its line entry is the placeholder
    EXPECT_EQ(data_.BlobValues()->IndexOf("Photo=NONE") >= 0, true);
    EXPECT_EQ(data_.FieldByName("LastName")->AsString(),
              SqliteScalar(db_, "SELECT LastName FROM Employees ORDER BY EmployeeID LIMIT 1"));
}

} // namespace
} // namespace vmado::test
