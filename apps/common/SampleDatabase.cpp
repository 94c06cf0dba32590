// Writes the sample through the engine: the small tables with bound values through recordsets,
// never pasted into SQL; the large one by a single statement the database itself expands.
#include "SampleDatabase.h"
#include "SampleDataPrivate.h"

#include "ado/ADOApi.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace vmado::app {

namespace {

void CreateTables(const ConnectionPtr& conn)
{
    conn->Execute("CREATE TABLE Customers (CustomerID VARCHAR(5) PRIMARY KEY, Name VARCHAR(40) NOT NULL, "
                  "City VARCHAR(20), Credit DOUBLE, Active BOOLEAN, Since DATE, Logo BLOB)");
    conn->Execute("CREATE TABLE Orders (OrderID INTEGER PRIMARY KEY AUTOINCREMENT, CustomerID VARCHAR(5) "
                  "NOT NULL REFERENCES Customers, OrderDate DATE, Amount DOUBLE, Note TEXT)");
    conn->Execute("CREATE TABLE \"Order Details\" (OrderID INTEGER NOT NULL REFERENCES Orders, "
                  "Line INTEGER NOT NULL, Product VARCHAR(40) NOT NULL, Quantity INTEGER, UnitPrice DOUBLE, "
                  "ShippedAt DATETIME, PRIMARY KEY (OrderID, Line))");
    conn->Execute("CREATE TABLE Readings (ReadingID INTEGER PRIMARY KEY, CustomerID VARCHAR(5) NOT NULL, "
                  "TakenAt DATETIME, Reading DOUBLE)");
}

RecordsetPtr OpenForAppend(const ConnectionPtr& conn, const char* table)
{
    auto rs = CoRecordset::Create();
    rs->SetCursorLocation(adUseClient);
    rs->Open(table, conn, adOpenStatic, adLockBatchOptimistic, adCmdTable);
    return rs;
}

void FillCustomers(const ConnectionPtr& conn)
{
    auto rs = OpenForAppend(conn, "Customers");
    Word year = 2012;
    for (const auto& c : sample::Customers()) {
        rs->AddNew();
        auto fields = rs->Fields();
        fields->Item("CustomerID")->SetValue(AnsiString(c.Id));
        fields->Item("Name")->SetValue(Utf8ToAnsi(c.Name));
        fields->Item("City")->SetValue(Utf8ToAnsi(c.City));
        fields->Item("Credit")->SetValue(c.Credit);
        fields->Item("Active")->SetValue(c.Active);
        fields->Item("Since")->SetValue(Variant::FromDate(EncodeDate(year, Word(1 + year % 12), 1)));
        ++year;
        if (c.Colour != 0) {
            const std::vector<char> logo = sample::LogoBitmap(c.Colour);
            fields->Item("Logo")->SetValue(VarByteArray(logo.data(), logo.size()));
        } else {
            fields->Item("Logo")->SetValue(Variant::Null());
        }
        rs->Update();
    }
    rs->UpdateBatch();
}

// Three orders per customer, each with one to four lines.
void FillOrders(const ConnectionPtr& conn)
{
    const auto customers = sample::Customers();
    const auto products = sample::Products();
    auto orders = OpenForAppend(conn, "Orders");
    auto lines = OpenForAppend(conn, "Order Details");
    const int orderCount = static_cast<int>(customers.size()) * 3;
    for (int i = 0; i < orderCount; ++i) {
        const int orderId = i + 1;
        const TDateTime orderDate = EncodeDate(2024, 1, 1) + i * 11;
        orders->AddNew();
        auto fields = orders->Fields();
        fields->Item("OrderID")->SetValue(orderId);
        fields->Item("CustomerID")->SetValue(AnsiString(customers[i % customers.size()].Id));
        fields->Item("OrderDate")->SetValue(Variant::FromDate(orderDate));
        fields->Item("Amount")->SetValue(100.0 + (i * 37) % 400 + 0.25 * (i % 4));
        fields->Item("Note")->SetValue(
            i % 5 == 0 ? Variant::Null()
                       : Variant(Utf8ToAnsi("Szállítás, \"sürgős\" č. ") + std::to_string(orderId)));
        orders->Update();
        for (int line = 1; line <= 1 + i % 4; ++line) {
            const auto& product = products[(i * 3 + line) % products.size()];
            lines->AddNew();
            auto lineFields = lines->Fields();
            lineFields->Item("OrderID")->SetValue(orderId);
            lineFields->Item("Line")->SetValue(line);
            lineFields->Item("Product")->SetValue(Utf8ToAnsi(product.Name));
            lineFields->Item("Quantity")->SetValue(1 + (i + line * 7) % 12);
            lineFields->Item("UnitPrice")->SetValue(product.UnitPrice);
            lineFields->Item("ShippedAt")
                ->SetValue(
                    Variant::FromDate(orderDate + 2 + EncodeTime(Word(8 + line), Word(line * 5), 0, 0)));
            lines->Update();
        }
    }
    orders->UpdateBatch();
    lines->UpdateBatch();
}

void FillReadings(const ConnectionPtr& conn)
{
    // Every customer id has five letters, so the ids side by side are picked by position.
    AnsiString ids;
    for (const auto& c : sample::Customers())
        ids += c.Id;
    const auto count = std::to_string(sample::Customers().size());
    conn->Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                  std::to_string(kSampleReadings) +
                  ") INSERT INTO Readings (ReadingID, CustomerID, TakenAt, Reading) SELECT i, substr('" +
                  ids + "', (i % " + count +
                  ") * 5 + 1, 5), "
                  "strftime('%Y-%m-%d %H:%M:%S', '2024-01-01', '+' || (i * 13) || ' minutes'), "
                  "round(20 + (i * 7919 % 1000) / 40.0, 2) FROM n");
}

} // namespace

void CreateSampleDatabase(const AnsiString& path)
{
    const std::filesystem::path target = AnsiToPath(path);
    std::error_code ec;
    if (target.has_parent_path())
        std::filesystem::create_directories(target.parent_path(), ec);
    const std::filesystem::path building = target.string() + ".~" + std::to_string(::getpid()) + ".building";
    std::filesystem::remove(building, ec);
    try {
        auto conn = CoConnection::Create();
        conn->Open("Provider=SQLite;Data Source=" + PathToAnsi(building));
        conn->BeginTrans();
        try {
            CreateTables(conn);
            conn->CommitTrans();
        } catch (...) {
            conn->RollbackTrans();
            throw;
        }
        FillCustomers(conn);
        FillOrders(conn);
        FillReadings(conn);
        conn->Close();
    } catch (...) {
        std::filesystem::remove(building, ec);
        throw;
    }
    std::filesystem::rename(building, target, ec);
    if (ec) {
        std::filesystem::remove(building, ec);
        throw EFCreateError("Cannot create the sample database \"" + path + "\". " +
                            Utf8ToAnsi(ec.message()));
    }
}

bool EnsureSampleDatabase(const AnsiString& path)
{
    std::error_code ec;
    if (std::filesystem::exists(AnsiToPath(path), ec))
        return false;
    CreateSampleDatabase(path);
    return true;
}

} // namespace vmado::app
