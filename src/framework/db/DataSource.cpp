// TDataSource passes the dataset's data events to its links (single-record links first, as the
// framework does) and keeps its State in step; links keep their window of the buffer ring.
#include "framework/db/DataSource.h"

#include "framework/db/Fields.h"
#include "framework/db/internal/DbMessages.h"

#include <algorithm>

namespace vmado {

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource()
{
    Destroying();
    if (dataSet_ != nullptr)
        dataSet_->RemoveDataSource(this);
    while (!dataLinks_.empty())
        RemoveDataLink(dataLinks_.back());
}

void TDataSource::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == dataSet_)
        SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* value)
{
    if (value == dataSet_)
        return;
    if (IsLinkedTo(value))
        DatabaseError(dbmsg::CircularDataLink, this);
    if (dataSet_ != nullptr) {
        RemoveFreeNotification(dataSet_);
        dataSet_->RemoveDataSource(this);
    }
    if (value != nullptr) {
        value->AddDataSource(this);
        FreeNotification(value);
    }
}

void TDataSource::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    UpdateState();
}

bool TDataSource::IsLinkedTo(TDataSet* dataSet)
{
    std::vector<TDataSet*> seen;
    while (dataSet != nullptr) {
        if (std::find(seen.begin(), seen.end(), dataSet) != seen.end())
            return false;
        seen.push_back(dataSet);
        TDataSource* source = dataSet->GetDataSource();
        if (source == nullptr)
            break;
        if (source == this)
            return true;
        dataSet = source->DataSet();
    }
    return false;
}

void TDataSource::Edit()
{
    if (autoEdit_ && state_ == dsBrowse && dataSet_ != nullptr)
        dataSet_->Edit();
}

void TDataSource::AddDataLink(TDataLink* dataLink)
{
    dataLinks_.push_back(dataLink);
    dataLink->dataSource_ = this;
    if (dataSet_ != nullptr)
        dataSet_->UpdateBufferCount();
    dataLink->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* dataLink)
{
    dataLink->dataSource_ = nullptr;
    dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), dataLink), dataLinks_.end());
    dataLink->UpdateState();
    if (dataSet_ != nullptr)
        dataSet_->UpdateBufferCount();
}

void TDataSource::NotifyDataLinks(TDataEvent event, std::intptr_t info)
{
    // Links may leave while being told; notify from a copy and skip those that left.
    const std::vector<TDataLink*> links = dataLinks_;
    auto stillHere = [this](TDataLink* link) {
        return std::find(dataLinks_.begin(), dataLinks_.end(), link) != dataLinks_.end();
    };
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        if (stillHere(*it) && (*it)->BufferCount() == 1)
            (*it)->DataEvent(event, info);
    for (auto it = links.rbegin(); it != links.rend(); ++it)
        if (stillHere(*it) && (*it)->BufferCount() > 1)
            (*it)->DataEvent(event, info);
}

void TDataSource::DataEvent(TDataEvent event, std::intptr_t info)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (state_ == dsInactive)
        return;
    NotifyDataLinks(event, info);
    switch (event) {
    case deFieldChange:
        if (OnDataChange)
            OnDataChange(this, reinterpret_cast<TField*>(info));
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange)
            OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData)
            OnUpdateData(this);
        break;
    default:
        break;
    }
}

void TDataSource::UpdateState()
{
    SetState(enabled_ && dataSet_ != nullptr ? dataSet_->State() : dsInactive);
}

void TDataSource::SetState(TDataSetState value)
{
    if (value == state_)
        return;
    const TDataSetState prior = state_;
    state_ = value;
    NotifyDataLinks(deUpdateState, 0);
    if (!ComponentState().Contains(csDestroying)) {
        if (OnStateChange)
            OnStateChange(this);
        if (prior == dsInactive && OnDataChange)
            OnDataChange(this, nullptr);
    }
}

// ---- TDataLink -------------------------------------------------------------------------------

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    active_ = false;
    editing_ = false;
    dataSourceFixed_ = false;
    if (dataSource_ != nullptr)
        dataSource_->RemoveDataLink(this);
}

TDataSet* TDataLink::DataSet() const
{
    return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetDataSource(TDataSource* value)
{
    if (value == dataSource_)
        return;
    if (dataSourceFixed_)
        DatabaseError(dbmsg::DataSourceChange);
    if (dataSource_ != nullptr)
        dataSource_->RemoveDataLink(this);
    if (value != nullptr)
        value->AddDataLink(this);
}

void TDataLink::SetReadOnly(bool value)
{
    if (value == readOnly_)
        return;
    readOnly_ = value;
    UpdateState();
}

void TDataLink::UpdateState()
{
    SetActive(dataSource_ != nullptr && dataSource_->State() != dsInactive);
    SetEditing(dataSource_ != nullptr && IsEditState(dataSource_->State()) && !readOnly_);
}

void TDataLink::SetActive(bool value)
{
    if (value == active_)
        return;
    active_ = value;
    if (value)
        UpdateRange();
    else
        firstRecord_ = 0;
    ActiveChanged();
}

void TDataLink::SetEditing(bool value)
{
    if (value == editing_)
        return;
    editing_ = value;
    EditingChanged();
}

void TDataLink::UpdateRange()
{
    TDataSet* dataSet = DataSet();
    if (dataSet == nullptr)
        return;
    // Keep the active record inside the window [firstRecord_, firstRecord_ + BufferCount).
    Integer min = dataSet->ActiveRecord() - bufferCount_ + 1;
    if (min < 0)
        min = 0;
    Integer max = dataSet->BufferCount() - bufferCount_;
    if (max < 0)
        max = 0;
    if (max > dataSet->ActiveRecord())
        max = dataSet->ActiveRecord();
    if (firstRecord_ < min)
        firstRecord_ = min;
    if (firstRecord_ > max)
        firstRecord_ = max;
}

Integer TDataLink::ActiveRecord() const
{
    TDataSet* dataSet = DataSet();
    if (!active_ || dataSet == nullptr)
        return 0;
    return dataSet->ActiveRecord() - firstRecord_;
}

void TDataLink::SetActiveRecord(Integer value)
{
    TDataSet* dataSet = DataSet();
    if (!active_ || dataSet == nullptr)
        return;
    const Integer index = value + firstRecord_;
    // Only buffers that hold records may become active.
    if (index < 0 || index >= dataSet->BufferedRecordCount())
        throw EListError("Record index out of range (" + std::to_string(value) + ")");
    dataSet->SetActiveRecordIndex(index);
}

void TDataLink::SetBufferCount(Integer value)
{
    if (value < 1)
        value = 1;
    if (value == bufferCount_)
        return;
    bufferCount_ = value;
    if (active_) {
        UpdateRange();
        DataSet()->UpdateBufferCount();
        UpdateRange();
    }
}

Integer TDataLink::RecordCount() const
{
    TDataSet* dataSet = DataSet();
    if (!active_ || dataSet == nullptr)
        return 0;
    return std::min(dataSet->BufferedRecordCount(), bufferCount_);
}

bool TDataLink::Bof() const
{
    TDataSet* dataSet = DataSet();
    return active_ && dataSet != nullptr ? dataSet->Bof() : true;
}

bool TDataLink::Eof() const
{
    TDataSet* dataSet = DataSet();
    return active_ && dataSet != nullptr ? dataSet->Eof() : true;
}

Integer TDataLink::MoveBy(Integer distance)
{
    TDataSet* dataSet = DataSet();
    return active_ && dataSet != nullptr ? dataSet->MoveBy(distance) : 0;
}

bool TDataLink::Edit()
{
    if (!readOnly_ && dataSource_ != nullptr)
        dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord()
{
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

void TDataLink::DataEvent(TDataEvent event, std::intptr_t info)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_)
        return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_)
            RecordChanged(reinterpret_cast<TField*>(info));
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        // A scroll passes how far the ring moved under the link's window.
        Integer count = 0;
        if (event == deDataSetScroll)
            count = static_cast<Integer>(info);
        firstRecord_ += count;
        UpdateRange();
        if (event == deDataSetChange)
            DataSetChanged();
        else if (event == deDataSetScroll)
            DataSetScrolled(count);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(reinterpret_cast<TField**>(info));
        break;
    default:
        break;
    }
}

// ---- TMasterDataLink ------------------------------------------------------------------------

TMasterDataLink::TMasterDataLink(TDataSet* dataSet) : dataSet_(dataSet) {}

void TMasterDataLink::SetFieldNames(const AnsiString& value)
{
    if (value == fieldNames_)
        return;
    fieldNames_ = value;
    ActiveChanged();
}

void TMasterDataLink::ActiveChanged()
{
    fields_.clear();
    if (Active()) {
        try {
            DataSet()->GetFieldList(fields_, fieldNames_);
        } catch (...) {
            fields_.clear();
            throw;
        }
    }
    if (dataSet_->Active() && !dataSet_->ComponentState().Contains(csDestroying)) {
        if (Active() && !fields_.empty()) {
            if (OnMasterChange)
                OnMasterChange(this);
        } else if (OnMasterDisable) {
            OnMasterDisable(this);
        }
    }
}

void TMasterDataLink::CheckBrowseMode()
{
    if (dataSet_->Active())
        dataSet_->CheckBrowseMode();
}

void TMasterDataLink::LayoutChanged()
{
    ActiveChanged();
}

void TMasterDataLink::RecordChanged(TField* field)
{
    if (DataSource()->State() != dsSetKey && dataSet_->Active() && !fields_.empty() &&
        (field == nullptr || std::find(fields_.begin(), fields_.end(), field) != fields_.end()) &&
        OnMasterChange)
        OnMasterChange(this);
}

} // namespace vmado
