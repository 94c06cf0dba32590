// Shared fixture of the table, query and update-SQL behaviour tests: the wrapper tests' fresh
// database (people, empty_table) plus a master table of customers and a detail table of their
// orders, with values made to trip naive substitution (a quote, a colon, a question mark, Null).
#pragma once

#include "adobase/AdoBaseFixture.h"
#include "tables/VTables.h"

#include <memory>
#include <string>

namespace vmado::test {

class TablesTest : public WrapperTest {
protected:
    void SetUp() override
    {
        WrapperTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Exec("CREATE TABLE cust (id INTEGER PRIMARY KEY, cust VARCHAR(10), cust_no INTEGER, name VARCHAR(30),"
             " region VARCHAR(20), opened DATE)");
        Exec("INSERT INTO cust VALUES (1, 'C1', 101, 'O''Brien', 'North', '2024-01-05')");
        Exec("INSERT INTO cust VALUES (2, 'C2', 102, 'Time 10:30 who?', 'South', '2023-02-01')");
        Exec("INSERT INTO cust VALUES (3, 'C3', 103, 'Plain', NULL, NULL)");
        Exec("INSERT INTO cust VALUES (4, 'C4', 104, 'Nobody', 'East', '2020-01-01')");
        Exec("CREATE TABLE orders (id INTEGER PRIMARY KEY, cust_no INTEGER, code VARCHAR(10), name "
             "VARCHAR(30),"
             " region VARCHAR(20), opened DATE, item VARCHAR(20))");
        Exec("INSERT INTO orders VALUES (1, 101, 'C1', 'O''Brien', 'North', '2024-01-05', 'a')");
        Exec("INSERT INTO orders VALUES (2, 101, 'C1', 'O''Brien', 'North', '2024-01-05', 'b')");
        Exec("INSERT INTO orders VALUES (3, 101, 'C1', 'O''Brien', 'North', '2024-01-05', 'c')");
        Exec("INSERT INTO orders VALUES (4, 102, 'C2', 'Time 10:30 who?', 'South', '2023-02-01', 'who?')");
        Exec("INSERT INTO orders VALUES (5, 102, 'C2', 'Time 10:30 who?', 'South', '2023-02-01', 'd')");
        Exec("INSERT INTO orders VALUES (6, 103, 'C3', 'Plain', NULL, NULL, 'e')");
    }

    // The customers in id order, closed, with a data source for details to link to.
    TVADODataSet& MakeMaster()
    {
        master_ = std::make_unique<TVADODataSet>(nullptr);
        master_->SetName("Customers");
        master_->SetConnection(ConnectionString());
        master_->SetCommand("SELECT * FROM cust ORDER BY id");
        masterSource_ = std::make_unique<TDataSource>(nullptr);
        masterSource_->SetDataSet(master_.get());
        return *master_;
    }

    void TearDown() override
    {
        // Details first: they hold links to the master's source.
        details_.clear();
        masterSource_.reset();
        master_.reset();
    }

    template <class T> T& MakeDetail()
    {
        auto detail = std::make_unique<T>(nullptr);
        T& result = *detail;
        detail->SetConnection(ConnectionString());
        details_.push_back(std::move(detail));
        return result;
    }

    // Opens d; a failure is reported with the engine's cause, which "Open error!" keeps apart.
    static void OpenOrReport(TDataSet& d)
    {
        try {
            d.Open();
        } catch (const EDatabaseError& e) {
            FAIL() << e.what() << " " << e.Context();
        }
    }

    static Integer Count(TDataSet& d)
    {
        Integer n = 0;
        d.First();
        while (!d.Eof()) {
            ++n;
            d.Next();
        }
        return n;
    }

    std::unique_ptr<TVADODataSet> master_;
    std::unique_ptr<TDataSource> masterSource_;
    std::vector<std::unique_ptr<TDataSet>> details_;
};

} // namespace vmado::test
