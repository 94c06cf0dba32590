// Writes the sample tables through the engine with bound values, in one transaction, so a failed
// run leaves no half-made database behind.
#include "SampleDatabase.h"

#include "ado/ADOApi.h"
#include "framework/rtl/DateTime.h"

#include <cstdio>

namespace vmado::app {

namespace {

struct Customer {
    const char* id;
    const char* name;
    const char* city;
    double credit;
    bool active;
};

// Names in code page 1250: the engine converts them to UTF-8 at the database boundary.
const Customer kCustomers[] = {
    {"ALFKI", "Alfreds Futterkiste", "Berlin", 1500.5, true},
    {"BUDAP",
     "\xC1rp\xE1"
     "d \xC9lelmiszer Kft.",
     "Budapest", 820.0, true},
    {"DEBRE",
     "\xD6reg Kov\xE1"
     "cs \xDCzlet",
     "Debrecen", 0.0, false},
    {"LONDO", "Around the Horn", "London", 310.25, true},
    {"PARIS",
     "Paris sp\xE9"
     "cialit\xE9"
     "s",
     "Paris", 99.9, true},
    {"SZEGE",
     "Szegedi Hal\xE1"
     "szcs\xE1"
     "rda",
     "Szeged", 2750.0, false},
};

} // namespace

void CreateSampleDatabase(const AnsiString& path)
{
    std::remove(path.c_str());
    auto conn = CoConnection::Create();
    conn->Open("Provider=SQLite;Data Source=" + path);
    conn->BeginTrans();
    try {
        conn->Execute("CREATE TABLE Customers (CustomerID VARCHAR(5) PRIMARY KEY, Name VARCHAR(40) NOT NULL, "
                      "City VARCHAR(20), Credit DOUBLE, Active BOOLEAN, Since DATE)");
        conn->Execute("CREATE TABLE Orders (OrderID INTEGER PRIMARY KEY AUTOINCREMENT, CustomerID VARCHAR(5) "
                      "NOT NULL REFERENCES Customers, OrderDate DATE, Amount DOUBLE, Note TEXT)");
        conn->CommitTrans();
    } catch (...) {
        conn->RollbackTrans();
        throw;
    }

    // Rows go in through a recordset so that the values are bound, never pasted into SQL.
    auto customers = CoRecordset::Create();
    customers->SetCursorLocation(adUseClient);
    customers->Open("Customers", conn, adOpenStatic, adLockBatchOptimistic, adCmdTable);
    Word year = 2015;
    for (const auto& c : kCustomers) {
        customers->AddNew();
        auto fields = customers->Fields();
        fields->Item("CustomerID")->SetValue(AnsiString(c.id));
        fields->Item("Name")->SetValue(AnsiString(c.name));
        fields->Item("City")->SetValue(AnsiString(c.city));
        fields->Item("Credit")->SetValue(c.credit);
        fields->Item("Active")->SetValue(c.active);
        fields->Item("Since")->SetValue(Variant::FromDate(EncodeDate(year++, 3, 1)));
        customers->Update();
    }
    customers->UpdateBatch();

    auto orders = CoRecordset::Create();
    orders->SetCursorLocation(adUseClient);
    orders->Open("Orders", conn, adOpenStatic, adLockBatchOptimistic, adCmdTable);
    for (int i = 0; i < 24; ++i) {
        orders->AddNew();
        auto fields = orders->Fields();
        fields->Item("CustomerID")->SetValue(AnsiString(kCustomers[i % 6].id));
        fields->Item("OrderDate")->SetValue(Variant::FromDate(45292.0 + i * 11)); // from 2024-01-01
        fields->Item("Amount")->SetValue(100.0 + (i * 37) % 400 + 0.25 * (i % 4));
        fields->Item("Note")->SetValue(
            i % 5 == 0 ? Variant::Null() : Variant(AnsiString("order, \"note\" ") + std::to_string(i)));
        orders->Update();
    }
    orders->UpdateBatch();
    conn->Close();
}

} // namespace vmado::app
