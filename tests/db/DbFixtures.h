// Shared fixtures for the dataset tests: a "tall" in-memory table (ID, Name over N rows) and a
// recorder that logs the dataset's events in the order they fire.
#pragma once

#include "db/MemDataSet.h"

#include <memory>
#include <string>
#include <vector>

namespace vmado::test {

// ID integer 1..rows, Name "Name<ID>"; open, positioned on the first record.
inline std::unique_ptr<TMemDataSet> MakeTallDataSet(Integer rows)
{
    auto ds = std::make_unique<TMemDataSet>();
    ds->FieldDefs()->Add("ID", ftInteger, 0, true);
    ds->FieldDefs()->Add("Name", ftString, 20);
    ds->Open();
    for (Integer i = 1; i <= rows; ++i)
        ds->AppendRecord({Variant(i), Variant("Name" + std::to_string(i))});
    ds->First();
    return ds;
}

// Collects "BeforeX"/"AfterX"/"OnX" names as the events fire.
struct EventLog {
    std::vector<std::string> entries;

    void Attach(TDataSet& ds)
    {
        auto hook = [this](const char* name) { return [this, name](TDataSet*) { entries.push_back(name); }; };
        ds.BeforeOpen = hook("BeforeOpen");
        ds.AfterOpen = hook("AfterOpen");
        ds.BeforeClose = hook("BeforeClose");
        ds.AfterClose = hook("AfterClose");
        ds.BeforeInsert = hook("BeforeInsert");
        ds.AfterInsert = hook("AfterInsert");
        ds.BeforeEdit = hook("BeforeEdit");
        ds.AfterEdit = hook("AfterEdit");
        ds.BeforePost = hook("BeforePost");
        ds.AfterPost = hook("AfterPost");
        ds.BeforeCancel = hook("BeforeCancel");
        ds.AfterCancel = hook("AfterCancel");
        ds.BeforeDelete = hook("BeforeDelete");
        ds.AfterDelete = hook("AfterDelete");
        ds.BeforeScroll = hook("BeforeScroll");
        ds.AfterScroll = hook("AfterScroll");
        ds.OnNewRecord = hook("OnNewRecord");
    }

    std::vector<std::string> Take()
    {
        std::vector<std::string> result;
        result.swap(entries);
        return result;
    }
};

} // namespace vmado::test
