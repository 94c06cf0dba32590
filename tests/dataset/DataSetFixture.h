// Shared fixture of the dataset tests: the wrapper tests' fresh database (people: id, name, city,
// qty, born, seen, note; empty_table) on the backend this executable is built for, and a dataset
// on it watched by a grid-like data link that keeps several records buffered.
#pragma once

#include "adobase/AdoBaseFixture.h"
#include "dataset/VDB.h"
#include "framework/db/DataSource.h"

#include <memory>
#include <string>

namespace vmado::test {

// A data link that only asks for a window of records, as a grid does.
class GridLink : public TDataLink {
public:
    explicit GridLink(Integer rows) { SetBufferCount(rows); }
};

class DataSetTest : public WrapperTest {
protected:
    // A closed dataset of class T on the fixture database with sql as its command, attached to
    // Source and to a grid link of five rows.
    template <class T> T& MakeAs(const std::string& sql)
    {
        auto dataSet = std::make_unique<T>(nullptr);
        T& result = *dataSet;
        dataSet_ = std::move(dataSet);
        dataSet_->SetConnection(ConnectionString());
        dataSet_->SetCommand(sql);
        source_ = std::make_unique<TDataSource>(nullptr);
        source_->SetDataSet(dataSet_.get());
        grid_ = std::make_unique<GridLink>(5);
        grid_->SetDataSource(source_.get());
        return result;
    }
    TVADODataSet& Make(const std::string& sql) { return MakeAs<TVADODataSet>(sql); }
    TVADODataSet& Open(const std::string& sql)
    {
        Make(sql).Open();
        return *dataSet_;
    }
    void TearDown() override
    {
        grid_.reset();
        source_.reset();
        dataSet_.reset();
    }

    std::unique_ptr<TVADODataSet> dataSet_;
    std::unique_ptr<TDataSource> source_;
    std::unique_ptr<GridLink> grid_;
};

} // namespace vmado::test
