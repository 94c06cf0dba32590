// The wrappers on the real Northwind database (a temporary copy): schema lookups, a table whose
// name holds a blank, and every record of two tables rendered into lines that read back whole.
#include "AdoBaseFixture.h"

#include <algorithm>
#include <cstdlib>

namespace vmado::test {
namespace {

class Northwind : public ::testing::Test {
protected:
    void SetUp() override
    {
        db_ = CopyNorthwind(dir_);
        if (db_.empty())
            GTEST_SKIP() << "no Northwind database in the shared data folder";
        connection_.SetConnect("Provider=SQLite;Data Source=" + db_.string());
    }

    std::unique_ptr<TFields> StringFields(TVRecords& r, const std::vector<std::string>& blobs)
    {
        auto fields = std::make_unique<TFields>(nullptr);
        for (Integer i = 0; i < r.FieldNames->Count(); ++i) {
            const AnsiString name = r.FieldNames->Strings(i);
            const bool blob = std::find(blobs.begin(), blobs.end(), name) != blobs.end();
            TField* f = blob ? static_cast<TField*>(new TBlobField(nullptr)) : new TStringField(nullptr);
            f->SetFieldName(name);
            fields->Add(f);
        }
        return fields;
    }

    // Loads every record and checks each entry against the engine's own value.
    void CheckEveryLine(const char* sql, const std::vector<std::string>& blobs,
                        const std::vector<std::string>& dates, int expectedRecords)
    {
        connection_.Open();
        TVRecords r(&connection_);
        r.Source = sql;
        r.Open();
        ASSERT_TRUE(r.Active);
        auto fields = StringFields(r, blobs);
        std::vector<char> buffer(static_cast<size_t>(r.CalcRecSize(*fields)) + 8, '\x5A');
        int records = 0;
        for (r.Next(); !r.GetEof(); r.Next()) {
            ++records;
            r.LoadRecord(buffer.data(), false);
            ASSERT_EQ(std::string(buffer.end() - 8, buffer.end()), std::string(8, '\x5A'));
            TStringList entries;
            entries.SetCommaText(buffer.data());
            ASSERT_EQ(entries.Count(), r.FieldNames->Count()) << buffer.data();
            for (Integer i = 0; i < entries.Count(); ++i) {
                const AnsiString name = r.FieldNames->Strings(i);
                const Variant v = r.Recordset->Fields()->Item(i)->Value();
                if (std::find(blobs.begin(), blobs.end(), name) != blobs.end()) {
                    EXPECT_EQ(entries.Strings(i), "(Blob)");
                } else if (std::find(dates.begin(), dates.end(), name) != dates.end()) {
                    EXPECT_EQ(entries.Strings(i).size(), VarIsNull(v) ? 0u : 10u) << name;
                } else {
                    EXPECT_EQ(entries.Strings(i), VarToStr(v)) << name << " of record " << records;
                }
            }
        }
        EXPECT_EQ(records, expectedRecords);
    }

    TempDir dir_;
    std::filesystem::path db_;
    TVConnection connection_{true};
};

TEST_F(Northwind, TablesAndColumnsAreListed)
{
    TStringList tables;
    connection_.GetADOTableNames(tables);
    const auto names = Items(tables);
    for (const char* t : {"Customers", "Employees", "Order Details", "Orders", "Products"})
        EXPECT_NE(std::find(names.begin(), names.end(), t), names.end()) << t;
    EXPECT_EQ(std::find(names.begin(), names.end(), "Invoices"), names.end()); // a view, not a table
    TStringList columns;
    connection_.GetADOFieldNames("Order Details", columns);
    EXPECT_EQ(Items(columns),
              (std::vector<std::string>{"OrderID", "ProductID", "UnitPrice", "Quantity", "Discount"}));
    EXPECT_FALSE(connection_.Active);
}

TEST_F(Northwind, EveryCustomerLineReadsBackWhole)
{
    CheckEveryLine("SELECT * FROM Customers", {}, {}, 93);
}

TEST_F(Northwind, EmployeesShowTheirPhotoAsABlob)
{
    CheckEveryLine("SELECT * FROM Employees", {"Photo", "Notes"}, {"BirthDate", "HireDate"}, 9);
}

TEST_F(Northwind, ATableWhoseNameHoldsABlankOpensAsATable)
{
    TVRecords r(&connection_);
    connection_.Open();
    r.Source = "\"Order Details\"";
    r.CommandType = coTable;
    r.Open();
    ASSERT_TRUE(r.Active);
    EXPECT_GT(r.GetRecordCount(), 2000);
    EXPECT_TRUE(r.Find("OrderID = 10248"));
    EXPECT_GT(r.FilterFind("ProductID = 42"), 0);
    EXPECT_EQ(r.Recordset->Fields()->Item(AnsiString("OrderID"))->Value().AsInteger(), 10248);
}

} // namespace
} // namespace vmado::test
