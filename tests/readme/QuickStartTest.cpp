// The quick start of the README, word for word between the markers, run on a real SQLite file.
#include "../common/SqliteFile.h"

#include <gtest/gtest.h>

// quick start begins
#include "dataset/VDB.h"
#include "framework/db/DataSource.h"
#include "tables/VTables.h"

#include <iostream>

using namespace vmado;

void QuickStart(const AnsiString& file)
{
    // A query opened as a dataset through the embedded SQLite provider.
    TVADODataSet customers;
    customers.SetConnection("Provider=SQLite;Data Source=" + file);
    customers.SetCommand("SELECT * FROM Customers");
    customers.SetPrimaryKey("CustomerID");
    customers.Open();

    // Filter and sort on the client, then find, edit and post a record.
    customers.SetFilterStr("City = 'Budapest' OR Credit > 1000");
    customers.SetSortStr("Name DESC");
    if (customers.Locate("Name", Variant("Kovacs Peter"), {})) {
        customers.Edit();
        customers.FieldByName("Credit")->SetAsFloat(2500);
        customers.Post(); // an UPDATE ... WHERE CustomerID = ... on the database
    }

    // Master-detail: the table follows the current customer.
    TDataSource source(nullptr);
    source.SetDataSet(&customers);
    TVTable orders;
    orders.SetConnection(customers.GetConnection());
    orders.SetTableName("Orders");
    orders.SetDataSource(&source);
    orders.SetRelation("CustomerID = :CustomerID");
    orders.Open();
    for (customers.First(); !customers.Eof(); customers.Next()) {
        std::cout << customers.FieldByName("Name")->AsString() << ": " << orders.RecordCount() << " orders\n";
    }
}
// quick start ends

namespace {

TEST(QuickStartTest, TheReadmeCodeFiltersEditsPostsAndFollowsTheMaster)
{
    test::SqliteFile db;
    db.Exec(
        "CREATE TABLE Customers (CustomerID INTEGER PRIMARY KEY, Name VARCHAR(40), City VARCHAR(30), "
        "Credit NUMERIC(12,2));"
        "INSERT INTO Customers VALUES (1, 'Kovacs Peter', 'Budapest', 100), (2, 'Novak Jan', 'Praha', 1500),"
        " (3, 'Szabo Anna', 'Debrecen', 50);"
        "CREATE TABLE Orders (OrderID INTEGER PRIMARY KEY, CustomerID INTEGER, Amount NUMERIC(12,2));"
        "INSERT INTO Orders VALUES (10, 1, 5), (11, 1, 7), (12, 2, 9);");

    testing::internal::CaptureStdout();
    QuickStart(AnsiString(db.Path()));
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_EQ(db.Scalar("SELECT Credit FROM Customers WHERE CustomerID = 1"), "2500");
    EXPECT_EQ(db.Scalar("SELECT count(*) FROM Customers WHERE Credit = 2500"), "1");
    // Sorted by name descending, the Debrecen customer filtered out, each with its own orders.
    EXPECT_EQ(out, "Novak Jan: 1 orders\nKovacs Peter: 2 orders\n");
}

} // namespace
