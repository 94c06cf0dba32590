// Editing: the edit, insert, post, cancel and delete protocols with their Before/After events
// in the framework's order, the error events with their retry/abort/fail actions, and the
// required-field check that every post passes.
#include "framework/db/DataSet.h"

#include "framework/db/Fields.h"
#include "framework/db/internal/DbMessages.h"
#include "framework/rtl/Format.h"

namespace vmado {

void TDataSet::CheckCanModify()
{
    if (!GetCanModify())
        DatabaseError(dbmsg::DataSetReadOnly, this);
}

void TDataSet::CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent)
{
    for (;;) {
        try {
            UpdateCursorPos();
            operation();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (errorEvent)
                errorEvent(this, e, action);
            if (action == daFail)
                throw;
            if (action == daAbort)
                Abort();
            // daRetry: run the operation again.
        }
    }
}

void TDataSet::Edit()
{
    if (state_ == dsEdit || state_ == dsInsert)
        return;
    if (recordCount_ == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    DoBeforeEdit();
    CheckOperation([this] { InternalEdit(); }, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    DoAfterEdit();
}

void TDataSet::BeginInsertAppend()
{
    CheckBrowseMode();
    if (buffers_.empty())
        DatabaseError(dbmsg::DataSetClosed, this); // opened without a cursor: nowhere to put a record
    CheckCanModify();
    DoBeforeInsert();
    DoBeforeScroll();
}

void TDataSet::EndInsertAppend()
{
    SetState(dsInsert);
    try {
        DoOnNewRecord();
    } catch (...) {
        // A failing OnNewRecord leaves no half-made record: back to browsing the old ones.
        UpdateCursorPos();
        FreeFieldBuffers();
        SetState(dsBrowse);
        Resync(TResyncMode{});
        throw;
    }
    modified_ = false;
    DataEvent(deDataSetChange, 0);
    DoAfterInsert();
    DoAfterScroll();
}

void TDataSet::Insert()
{
    BeginInsertAppend();
    TBookmark oldCurrent;
    if (BookmarkAvailable() && bookmarkSize_ > 0) {
        oldCurrent.assign(bookmarkSize_, 0);
        GetBookmarkData(ActiveBuffer(), oldCurrent.data());
    }
    MoveBuffer(recordCount_, activeRecord_);
    TRecordBuffer buffer = ActiveBuffer();
    InitRecord(buffer);
    // The new record stands before the one that was active; its bookmark data names that one.
    if (recordCount_ == 0)
        SetBookmarkFlag(buffer, bfBOF);
    else if (!oldCurrent.empty())
        SetBookmarkData(buffer, oldCurrent.data());
    if (recordCount_ < bufferCount_)
        ++recordCount_;
    try {
        InternalInsert();
    } catch (...) {
        Resync(TResyncMode{});
        throw;
    }
    EndInsertAppend();
}

void TDataSet::Append()
{
    BeginInsertAppend();
    ClearBuffers();
    TRecordBuffer buffer = buffers_.at(0);
    InitRecord(buffer);
    SetBookmarkFlag(buffer, bfEOF);
    recordCount_ = 1;
    bof_ = false;
    GetPriorRecords();
    try {
        InternalInsert();
    } catch (...) {
        Resync(TResyncMode{});
        throw;
    }
    EndInsertAppend();
}

void TDataSet::UpdateRecord()
{
    if (!IsEditState(state_))
        DatabaseError(dbmsg::NotEditing, this);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckRequiredFields()
{
    for (TField* field : *fields_) {
        if (field->Required() && !field->ReadOnly() && field->FieldKind() == fkData && field->IsNull()) {
            field->FocusControl();
            DatabaseError(Format(dbmsg::FieldRequired, {field->DisplayName()}), this);
        }
    }
}

void TDataSet::Post()
{
    UpdateRecord();
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforePost();
    CheckOperation(
        [this] {
            CheckRequiredFields();
            InternalPost();
        },
        OnPostError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(TResyncMode{});
    DoAfterPost();
}

void TDataSet::Cancel()
{
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeCancel();
    const bool scrollEvents = state_ == dsInsert;
    if (scrollEvents)
        DoBeforeScroll();
    UpdateCursorPos();
    InternalCancel();
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(TResyncMode{});
    DoAfterCancel();
    if (scrollEvents)
        DoAfterScroll();
}

void TDataSet::Delete()
{
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (recordCount_ == 0)
        DatabaseError(dbmsg::DataSetEmpty, this);
    DataEvent(deCheckBrowseMode, 0);
    DoBeforeDelete();
    DoBeforeScroll();
    CheckOperation([this] { InternalDelete(); }, OnDeleteError);
    FreeFieldBuffers();
    SetState(dsBrowse);
    Resync(TResyncMode{});
    DoAfterDelete();
    DoAfterScroll();
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    switch (state_) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

void TDataSet::ClearFields()
{
    if (!IsEditState(state_))
        DatabaseError(dbmsg::NotEditing, this);
    DataEvent(deCheckBrowseMode, 0);
    FreeFieldBuffers();
    InternalInitRecord(ActiveBuffer());
    if (state_ != dsSetKey)
        GetCalcFields(ActiveBuffer());
    DataEvent(deRecordChange, 0);
}

void TDataSet::SetFields(const std::vector<Variant>& values)
{
    const auto count = std::min<std::size_t>(values.size(), static_cast<std::size_t>(FieldCount()));
    for (std::size_t i = 0; i < count; ++i) {
        if (values[i].IsEmpty())
            continue;
        fields_->Fields(static_cast<Integer>(i))->SetAsVariant(values[i]);
    }
}

void TDataSet::InsertRecord(const std::vector<Variant>& values)
{
    Insert();
    try {
        SetFields(values);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

void TDataSet::AppendRecord(const std::vector<Variant>& values)
{
    Append();
    try {
        SetFields(values);
        Post();
    } catch (...) {
        Cancel();
        throw;
    }
}

} // namespace vmado
