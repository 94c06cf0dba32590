// A data link that records every notification it gets, for the ring and link tests.
#pragma once

#include "framework/db/DataSource.h"
#include "framework/db/Fields.h"

#include <string>
#include <vector>

namespace vmado::test {

class LinkProbe : public TDataLink {
public:
    explicit LinkProbe(std::vector<std::string>* log = nullptr, std::string tag = {})
        : sharedLog_(log), tag_(std::move(tag))
    {
    }

    std::vector<std::string> calls;
    std::vector<Integer> scrollDistances;
    TField* lastRecordField = nullptr;
    TField* focusRequest = nullptr;
    std::function<void()> onUpdateData;

    std::vector<std::string> Take()
    {
        std::vector<std::string> result;
        result.swap(calls);
        return result;
    }

protected:
    void ActiveChanged() override { Note("ActiveChanged"); }
    void CheckBrowseMode() override { Note("CheckBrowseMode"); }
    void DataSetChanged() override { Note("DataSetChanged"); }
    void DataSetScrolled(Integer distance) override
    {
        scrollDistances.push_back(distance);
        Note("DataSetScrolled");
    }
    void EditingChanged() override { Note("EditingChanged"); }
    void FocusControl(TField** field) override
    {
        focusRequest = *field;
        Note("FocusControl");
    }
    void LayoutChanged() override { Note("LayoutChanged"); }
    void RecordChanged(TField* field) override
    {
        lastRecordField = field;
        Note(field != nullptr ? "RecordChanged(" + field->FieldName() + ")" : "RecordChanged");
    }
    void UpdateData() override
    {
        Note("UpdateData");
        if (onUpdateData)
            onUpdateData();
    }

private:
    void Note(const std::string& what)
    {
        calls.push_back(what);
        if (sharedLog_ != nullptr)
            sharedLog_->push_back(tag_ + what);
    }

    std::vector<std::string>* sharedLog_;
    std::string tag_;
};

// The IDs the link's window shows, top to bottom, read through the link's ActiveRecord.
inline std::vector<Integer> WindowIds(TDataLink& link, TDataSet& ds)
{
    std::vector<Integer> ids;
    const Integer saved = link.ActiveRecord();
    for (Integer i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        ids.push_back(ds.FieldByName("ID")->AsInteger());
    }
    link.SetActiveRecord(saved);
    return ids;
}

inline std::vector<Integer> Range(Integer first, Integer last)
{
    std::vector<Integer> ids;
    for (Integer i = first; i <= last; ++i)
        ids.push_back(i);
    return ids;
}

} // namespace vmado::test
