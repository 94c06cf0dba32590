// TDataSet life cycle: construction, opening and closing, state changes, data events to the
// data sources, and the control-disabling counter that batches those events.
#include "framework/db/DataSet.h"

#include "framework/db/DataSource.h"
#include "framework/db/FieldDefs.h"
#include "framework/db/Fields.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>

namespace vmado {

bool IsWriteState(TDataSetState state)
{
    switch (state) {
    case dsEdit:
    case dsInsert:
    case dsSetKey:
    case dsCalcFields:
    case dsFilter:
    case dsNewValue:
    case dsInternalCalc:
        return true;
    default:
        return false;
    }
}

bool IsEditState(TDataSetState state)
{
    return state == dsEdit || state == dsInsert || state == dsSetKey;
}

void DatabaseError(const AnsiString& message, const TComponent* component)
{
    if (component != nullptr && !component->Name().empty())
        throw EDatabaseError(component->Name() + ": " + message);
    throw EDatabaseError(message);
}

void Abort()
{
    throw EAbort();
}

AnsiString ExtractFieldName(const AnsiString& fields, std::size_t& pos)
{
    std::size_t i = pos;
    while (i < fields.size() && fields[i] != ';')
        ++i;
    AnsiString result =
        Trim(std::string_view(fields).substr(std::min(pos, fields.size()), i - std::min(pos, fields.size())));
    pos = (i < fields.size()) ? i + 1 : i;
    return result;
}

TDataSet::TDataSet(TComponent* owner)
    : TComponent(owner), fields_(std::make_unique<TFields>(this)),
      fieldDefs_(std::make_unique<TFieldDefs>(this))
{
}

TDataSet::~TDataSet()
{
    // The descendant has closed the cursor in its own destructor: its buffers and cursor are
    // out of reach from here.
    Destroying();
    // Detach without RemoveDataSource: resizing the ring would reach the descendant.
    while (!dataSources_.empty()) {
        TDataSource* source = dataSources_.back();
        dataSources_.pop_back();
        source->dataSet_ = nullptr;
        source->UpdateState();
    }
    fields_->Clear();
}

void TDataSet::CheckActive() const
{
    if (state_ == dsInactive)
        DatabaseError(dbmsg::DataSetClosed, this);
}

void TDataSet::CheckInactive() const
{
    if (Active())
        DatabaseError(dbmsg::DataSetOpen, this);
}

void TDataSet::SetActive(bool value)
{
    if (ComponentState().Contains(csReading)) {
        if (value)
            streamedActive_ = true;
        return;
    }
    if (Active() == value) {
        if (!value && state_ == dsInactive)
            CloseInactive();
        return;
    }
    if (value) {
        DoBeforeOpen();
        try {
            OpenCursor(false);
            SetState(dsBrowse);
        } catch (...) {
            // Leave no half-open cursor behind: the buffers and fields go back to closed.
            try {
                state_ = dsInactive;
                CloseCursor();
            } catch (...) {
            }
            throw;
        }
        DoAfterOpen();
    } else {
        const bool destroying = ComponentState().Contains(csDestroying);
        if (!destroying)
            DoBeforeClose();
        SetState(dsInactive);
        CloseCursor();
        if (!destroying)
            DoAfterClose();
    }
}

void TDataSet::OpenCursor(bool infoQuery)
{
    if (infoQuery) {
        InternalInitFieldDefs();
        return;
    }
    defaultFields_ = FieldCount() == 0;
    InternalOpen();
    fieldDefs_->SetUpdated(true);
    UpdateBufferCount();
    bof_ = true;
}

void TDataSet::CloseCursor()
{
    internalCalcFields_ = false;
    FreeFieldBuffers();
    ClearBuffers();
    SetBufListSize(0);
    InternalClose();
    bufferCount_ = 0;
    defaultFields_ = false;
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    try {
        if (streamedActive_)
            SetActive(true);
    } catch (...) {
        if (ComponentState().Contains(csDesigning))
            InternalHandleException();
        else
            throw;
    }
}

void TDataSet::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == opRemove && component != this) {
        for (TField* field : *fields_)
            if (field->LookupDataSet() == component)
                field->lookupDataSet_ = nullptr;
    }
}

void TDataSet::SetState(TDataSetState value)
{
    if (state_ != value) {
        state_ = value;
        modified_ = false;
        DataEvent(deUpdateState, 0);
    }
}

TDataSetState TDataSet::SetTempState(TDataSetState value)
{
    TDataSetState previous = state_;
    state_ = value;
    return previous;
}

void TDataSet::RestoreState(TDataSetState value)
{
    state_ = value;
}

void TDataSet::DataEvent(TDataEvent event, std::intptr_t info)
{
    switch (event) {
    case deFieldChange: {
        auto* field = reinterpret_cast<TField*>(info);
        if (field == nullptr)
            break;
        if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc)
            modified_ = true;
        if (state_ != dsSetKey) {
            if (internalCalcFields_ && field->FieldKind() == fkData)
                RefreshInternalCalcFields(ActiveBuffer());
            else if (calcFieldsSize_ != 0 && autoCalcFields_ && field->FieldKind() == fkData)
                CalculateFields(ActiveBuffer());
            field->Change();
        }
        break;
    }
    case dePropertyChange:
        fieldDefs_->SetUpdated(false);
        break;
    default:
        break;
    }
    if (disableCount_ == 0 && state_ != dsBlockRead) {
        // A handler may detach a source; walk a copy.
        std::vector<TDataSource*> sources = dataSources_;
        for (TDataSource* source : sources)
            if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end())
                source->DataEvent(event, info);
    } else if ((event == deUpdateState && state_ == dsInactive) || event == deLayoutChange) {
        enableEvent_ = deLayoutChange;
    }
}

void TDataSet::DisableControls()
{
    if (disableCount_ == 0) {
        disableState_ = state_;
        enableEvent_ = deDataSetChange;
    }
    ++disableCount_;
}

void TDataSet::EnableControls()
{
    if (disableCount_ == 0)
        return;
    if (--disableCount_ == 0) {
        if (disableState_ != state_)
            DataEvent(deUpdateState, 0);
        if (disableState_ != dsInactive && state_ != dsInactive)
            DataEvent(enableEvent_, 0);
    }
}

// ---- data sources ------------------------------------------------------------------------

void TDataSet::AddDataSource(TDataSource* dataSource)
{
    dataSources_.push_back(dataSource);
    dataSource->dataSet_ = this;
    UpdateBufferCount();
    dataSource->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource* dataSource)
{
    dataSource->dataSet_ = nullptr;
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), dataSource), dataSources_.end());
    dataSource->UpdateState();
    UpdateBufferCount();
}

std::vector<TDataLink*> TDataSet::ActiveLinks() const
{
    std::vector<TDataLink*> links;
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->dataLinks_)
            if (link->Active())
                links.push_back(link);
    return links;
}

bool TDataSet::IsLinkedTo(TDataSource* dataSource)
{
    // Walk up the masters; a chain that loops without reaching us must still end.
    std::vector<TDataSource*> seen;
    while (dataSource != nullptr) {
        if (std::find(seen.begin(), seen.end(), dataSource) != seen.end())
            return false;
        seen.push_back(dataSource);
        TDataSet* dataSet = dataSource->DataSet();
        if (dataSet == nullptr)
            break;
        if (dataSet == this)
            return true;
        dataSource = dataSet->GetDataSource();
    }
    return false;
}

void TDataSet::GetDetailDataSets(std::vector<TDataSet*>& list)
{
    list.clear();
    for (TDataSource* source : dataSources_)
        for (TDataLink* link : source->dataLinks_)
            if (auto* detail = dynamic_cast<TDetailDataLink*>(link))
                if (TDataSet* ds = detail->GetDetailDataSet(); ds != nullptr)
                    list.push_back(ds);
}

void TDataSet::GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields)
{
    masterFields.clear();
    detailFields.clear();
}

// ---- events ------------------------------------------------------------------------------

namespace {

void Fire(const TDataSetNotifyEvent& event, TDataSet* dataSet)
{
    if (event)
        event(dataSet);
}

} // namespace

void TDataSet::DoAfterCancel()
{
    Fire(AfterCancel, this);
}
void TDataSet::DoAfterClose()
{
    Fire(AfterClose, this);
}
void TDataSet::DoAfterDelete()
{
    Fire(AfterDelete, this);
}
void TDataSet::DoAfterEdit()
{
    Fire(AfterEdit, this);
}
void TDataSet::DoAfterInsert()
{
    Fire(AfterInsert, this);
}
void TDataSet::DoAfterOpen()
{
    Fire(AfterOpen, this);
}
void TDataSet::DoAfterPost()
{
    Fire(AfterPost, this);
}
void TDataSet::DoAfterScroll()
{
    Fire(AfterScroll, this);
}
void TDataSet::DoBeforeCancel()
{
    Fire(BeforeCancel, this);
}
void TDataSet::DoBeforeClose()
{
    Fire(BeforeClose, this);
}
void TDataSet::DoBeforeDelete()
{
    Fire(BeforeDelete, this);
}
void TDataSet::DoBeforeEdit()
{
    Fire(BeforeEdit, this);
}
void TDataSet::DoBeforeInsert()
{
    Fire(BeforeInsert, this);
}
void TDataSet::DoBeforeOpen()
{
    Fire(BeforeOpen, this);
}
void TDataSet::DoBeforePost()
{
    Fire(BeforePost, this);
}
void TDataSet::DoBeforeScroll()
{
    Fire(BeforeScroll, this);
}
void TDataSet::DoOnCalcFields()
{
    Fire(OnCalcFields, this);
}
void TDataSet::DoOnNewRecord()
{
    Fire(OnNewRecord, this);
}

} // namespace vmado
