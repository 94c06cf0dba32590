// Editing and posting: edits live in the record line until post writes the changed values into
// the engine record and hands them over (recordset send, update object or generated statement).
// A change is either in the database when Post or Delete returns, or taken back from the engine
// row with the dataset still editing; it never stays queued for some later send.
#include "dataset/DataSetPrivate.h"
#include "dataset/PostingPrivate.h"

#include "framework/db/Fields.h"

#include <vector>

namespace vmado {

namespace dataset {

TField* PostedField(const TVADODataSet& dataSet, const AnsiString& name)
{
    TField* field = dataSet.FindField(name);
    if (!field || (field->FieldKind() != fkData && field->FieldKind() != fkInternalCalc))
        return nullptr;
    return field;
}

RecordChanges::RecordChanges(TVADODataSet& dataSet)
{
    if (TRecordBuffer active = dataSet.GetActiveRecordBuffer())
        active_ = SplitLine(TextArea(active));
    TVRecords* records = dataSet.Records();
    if (!records || !records->Active || records->State == dsInsert || !records->GetOkRec())
        return;
    std::vector<char> line(static_cast<std::size_t>(records->RecSize) + 1, '\0');
    records->LoadRecord(line.data(), false);
    original_ = SplitLine(TextArea(line.data()));
}

bool RecordChanges::Changed(TField* field, Integer position) const
{
    if (auto* blob = dynamic_cast<TBlobField*>(field))
        return blob->Modified();
    auto entry = [position](const std::vector<AnsiString>& line) {
        return position >= 0 && static_cast<std::size_t>(position) < line.size() ? line[position]
                                                                                 : AnsiString();
    };
    return entry(active_) != entry(original_);
}

} // namespace dataset

namespace {

// Undoes what a failed post or delete left on the engine row: an edit in progress, or a change
// queued for the batch (queued), after which the cursor goes back to bookmark when one is given.
void TakeBackFromEngine(TVRecords& records, bool queued, const Variant& bookmark)
{
    const RecordsetPtr& rs = records.Recordset;
    if (!records.Active || rs->State() == adStateClosed)
        return;
    try {
        if (rs->EditMode() != adEditNone)
            rs->CancelUpdate();
        if (queued && rs->LockType() == adLockBatchOptimistic) {
            rs->CancelBatch(adAffectCurrent);
            if (!bookmark.IsEmpty())
                rs->SetBookmark(bookmark);
        }
    } catch (const Exception&) {
        // The failure being reported is the one the caller needs; this one would hide it.
    }
    records.HasRecords = records.GetRecordCount() > 0;
}

// After an insert that the dataset did not send through the recordset (a generated statement, an
// update object): the database's new auto-increment key goes into the engine row, so the record
// can be edited and deleted at once. Only a key left empty is read; a failed read leaves it so.
void ReadBackGeneratedKey(TVADODataSet& dataSet, TVRecords& records)
{
    TVConnection* connection = dataSet.GetData();
    if (!connection || !connection->Connection)
        return;
    const FieldsPtr adoFields = records.Recordset->Fields();
    const Integer count = records.FieldNames->Count();
    Integer keyIndex = -1;
    for (Integer i = 0; i < count; ++i) {
        TField* field = dataset::PostedField(dataSet, records.FieldNames->Strings(i));
        if (!field || field->DataType() != ftAutoInc || !adoFields->Item(i)->Value().IsNull())
            continue;
        if (keyIndex >= 0)
            return; // two generated columns: one identity value cannot say which is which
        keyIndex = i;
    }
    if (keyIndex < 0)
        return;
    try {
        const AnsiString dbms = VarToStr(connection->Connection->Properties()->Item("DBMS Name")->Value());
        const char* query = "SELECT @@IDENTITY";
        if (dbms.find("SQLite") != AnsiString::npos)
            query = "SELECT last_insert_rowid()";
        else if (dbms.find("PostgreSQL") != AnsiString::npos)
            query = "SELECT lastval()";
        const RecordsetPtr answer = connection->Connection->Execute(query, adCmdText);
        if (answer->State() == adStateOpen && !answer->Eof()) {
            const Variant key = answer->Fields()->Item(0)->Value();
            if (!key.IsNull())
                adoFields->Item(keyIndex)->SetValue(key);
        }
    } catch (const Exception&) {
        // The record is in the database; without its key it is shown as before, never reported
        // as a failed insert.
    }
}

Variant CurrentBookmark(const TVRecords& records)
{
    if (!records.Active || !records.GetOkRec())
        return Variant();
    return records.Recordset->Bookmark();
}

} // namespace

void TVADODataSet::InternalEdit()
{
    TDataSet::InternalEdit();
    if (cursorOpen_ && records_)
        records_->SetState(dsEdit);
}

void TVADODataSet::InternalInsert()
{
    TDataSet::InternalInsert();
    if (!cursorOpen_ || !records_)
        return;
    records_->SetState(dsInsert);
    // The active buffer, not GetActiveRecordBuffer: the state is still browse here, and an empty
    // dataset has no browse record.
    LoadRecordBuffer(TDataSet::ActiveBuffer(), true);
}

void TVADODataSet::InternalCancel()
{
    if (!cursorOpen_ || !records_)
        return;
    const TDataSetState was = records_->State;
    records_->Cancel();
    // To the last record by the cursor, not the framework's Last, which would check browse mode
    // and post or cancel this very record again. The active buffer takes the last record's
    // bookmark, because the state change that follows puts the cursor back on that buffer.
    if (was == dsInsert && records_->HasRecords) {
        records_->Recordset->MoveLast();
        InternalBookmark(bfCurrent);
    }
}

void TVADODataSet::SendPending()
{
    if (!records_ || !records_->Active)
        return;
    const RecordsetPtr& rs = records_->Recordset;
    if (rs->LockType() == adLockBatchOptimistic)
        rs->UpdateBatch(adAffectCurrent);
}

void TVADODataSet::InternalPost()
{
    if (!cursorOpen_ || !records_)
        return;
    const TDataSetState state = records_->State;
    if (state != dsEdit && state != dsInsert)
        return;
    const bool bySQL = UpdateBySQL && !updateObject_;
    const Variant oldValues = records_->OldValues;
    const Variant bookmark = state == dsEdit ? CurrentBookmark(*records_) : Variant();
    bool queued = false;
    try {
        const dataset::RecordChanges changes(*this);
        const Integer count = records_->FieldNames->Count();
        std::vector<TField*> changed(static_cast<std::size_t>(count), nullptr);
        bool anyChange = false;
        for (Integer i = 0; i < count; ++i) {
            TField* field = dataset::PostedField(*this, records_->FieldNames->Strings(i));
            if (!field || field->DataType() == ftAutoInc || !changes.Changed(field, i))
                continue;
            changed[static_cast<std::size_t>(i)] = field;
            anyChange = true;
        }
        if (state == dsInsert)
            records_->Insert();
        // An edit without a change has no statement: "UPDATE t SET  WHERE ..." is no SQL.
        const bool runStatement = bySQL && (state == dsInsert || anyChange);
        AnsiString sql;
        if (runStatement)
            sql = state == dsEdit ? ModifySQL() : InsertSQL();

        const FieldsPtr adoFields = records_->Recordset->Fields();
        for (Integer i = 0; i < count; ++i) {
            TField* field = changed[static_cast<std::size_t>(i)];
            if (!field)
                continue;
            Variant value;
            if (dynamic_cast<TBlobField*>(field))
                value = BlobToVariant(field);
            else if (field->IsNull())
                value = Variant::Null();
            else if (field->DataType() == ftBoolean)
                value = Variant(AnsiString(field->AsBoolean() ? "-1" : "0"));
            else
                value = field->AsVariant();
            adoFields->Item(i)->SetValue(value);
        }

        if (updateObject_) {
            updateObject_->Apply(state == dsEdit ? ukModify : ukInsert);
            if (state == dsInsert)
                ReadBackGeneratedKey(*this, *records_);
            records_->Recordset->AcceptUpdate();
        } else if (bySQL) {
            if (runStatement)
                ExecuteOne(sql, "changed");
            if (state == dsInsert)
                ReadBackGeneratedKey(*this, *records_);
            records_->Recordset->AcceptUpdate();
        } else {
            queued = true;
            records_->Update();
            SendPending();
        }
    } catch (...) {
        TakeBackFromEngine(*records_, queued, bookmark);
        // Still editing: the user may correct the values and post again, or cancel.
        records_->State = state;
        records_->OldValues = oldValues;
        throw;
    }

    if (state == dsInsert) {
        if (records_->GetRecordCount() == 1) {
            ReOpen(); // a fresh recordset: the one posted into is gone
        } else {
            InternalBookmark(bfCurrent);
            CursorPosChanged();
        }
        if (records_)
            records_->SetState(dsBrowse);
        DoAfterScroll();
    } else {
        records_->SetState(dsBrowse);
    }
}

void TVADODataSet::InternalDelete()
{
    if (!cursorOpen_ || !records_)
        return;
    TVRecords& records = *records_;
    const RecordsetPtr rs = records.Recordset;
    const bool atEnd = records.GetEof();
    const bool bySQL = UpdateBySQL && !updateObject_;
    const AnsiString sql = bySQL ? DeleteSQL() : AnsiString();
    const Variant bookmark = CurrentBookmark(records);
    bool queued = false;
    try {
        if (updateObject_ || bySQL) {
            // The record goes from the database first, while it is still there to be read; the
            // recordset then only forgets it, so no send of its own can delete it again.
            if (updateObject_) {
                updateObject_->Apply(ukDelete);
            } else {
                ExecuteOne(sql, "deleted");
            }
            if (records.GetOkRec())
                rs->AcceptDelete();
            records.HasRecords = records.GetRecordCount() > 0;
        } else {
            queued = true;
            records.Delete();
            records.Update();
            // Also for the last remaining record, where Update has nothing to do.
            SendPending();
        }
    } catch (...) {
        TakeBackFromEngine(records, queued, bookmark);
        throw;
    }

    // A delete in the middle of an edit drops the edit; the next edit must take fresh old values.
    records.SetState(dsBrowse);
    bool moved = false;
    if (atEnd) {
        if (!records.GetBof()) {
            records.Prior();
            moved = true;
        }
    } else if (!records.GetEof()) {
        records.Next();
        moved = true;
    }
    // Nothing left to move to: the cursor must not stay on the deleted record.
    if (!records.HasRecords && rs->State() != adStateClosed)
        rs->MoveFirst();
    if (moved) {
        InternalBookmark(bfCurrent);
        CursorPosChanged();
    }
}

void TVADODataSet::InternalAddRecord(void* buffer, bool append)
{
    if (!cursorOpen_ || !records_ || !buffer)
        return;
    TVRecords& records = *records_;
    RenderLine(static_cast<TRecordBuffer>(buffer));
    std::vector<AnsiString> entries = dataset::SplitLine(dataset::TextArea(static_cast<const char*>(buffer)));
    const Integer count = records.FieldNames->Count();
    while (static_cast<Integer>(entries.size()) <= count)
        entries.emplace_back();
    const TDataSetState state = records.State;
    const Variant oldValues = records.OldValues;
    try {
        records.Insert();
        const FieldsPtr adoFields = records.Recordset->Fields();
        for (Integer i = 0; i < count; ++i) {
            // A blob's entry is its placeholder, and an empty entry is no value: neither is data.
            if (records.BlobFields->IndexOf(records.FieldNames->Strings(i)) >= 0 || entries[i].empty())
                continue;
            adoFields->Item(i)->SetValue(Variant(entries[i]));
        }
        records.Update();
        SendPending();
    } catch (...) {
        TakeBackFromEngine(records, true, Variant());
        records.State = state;
        records.OldValues = oldValues;
        throw;
    }
    records.SetState(dsBrowse);
    if (append)
        records.Last();
}

void TVADODataSet::SetUpdateObject(TVUpdateObject* value)
{
    if (value == updateObject_)
        return;
    if (updateObject_) {
        if (updateObject_->GetDataSet() == this)
            updateObject_->SetDataSet(nullptr);
        updateObject_->RemoveFreeNotification(this);
    }
    updateObject_ = value;
    if (!value)
        return;
    if (TVADODataSet* other = value->GetDataSet(); other && other != this)
        other->SetUpdateObject(nullptr);
    value->FreeNotification(this);
    value->SetDataSet(this);
}

} // namespace vmado
