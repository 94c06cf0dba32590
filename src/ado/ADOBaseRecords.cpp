// TVRecords: opening, cursor moves, searches, filter and sort, bookmarks, record status and the
// edit states. While closed every question gets its neutral answer instead of an error.
#include "ado/ADOBase.h"
#include "ado/engine/internal/CellPeek.h"

namespace vmado {

TVRecords::TVRecords(TVConnection* connection)
    : Connection(connection), Recordset(CoRecordset::Create()), FieldNames(std::make_unique<TStringList>()),
      BlobFields(std::make_unique<TStringList>())
{
}

TVRecords::~TVRecords()
{
    try {
        if (Active)
            InternalClose();
    } catch (...) {
        // Nothing can be reported from here; the recordset object is released regardless.
    }
    OldValues = Variant::Null();
}

void TVRecords::Open()
{
    InternalOpen();
}
void TVRecords::Close()
{
    InternalClose();
}

void TVRecords::SetActive(bool value)
{
    if (value == Active)
        return;
    if (value)
        Open();
    else
        Close();
}

Integer TVRecords::GetOpenOption() const
{
    static const Integer options[] = {adCmdUnknown, adCmdText,        adCmdTable,     adCmdStoredProc,
                                      adCmdFile,    adCmdTableDirect, adAsyncExecute, adAsyncFetch};
    return CommandType < std::size(options) ? options[CommandType] : adCmdUnknown;
}

Integer TVRecords::GetCursorType() const
{
    switch (CursorType) {
    case ctOpenForwardOnly:
        return adOpenForwardOnly;
    case ctOpenKeyset:
        return adOpenKeyset;
    case ctOpenDynamic:
        return adOpenDynamic;
    default:
        return adOpenStatic;
    }
}

Integer TVRecords::GetLockType() const
{
    switch (LockType) {
    case ltLockReadOnly:
        return adLockReadOnly;
    case ltLockPessimistic:
        return adLockPessimistic;
    case ltLockOptimistic:
        return adLockOptimistic;
    default:
        return adLockBatchOptimistic;
    }
}

void TVRecords::InternalOpen()
{
    if (!Connection || Source.empty() || Active)
        return;
    Recordset->Open(Source, Connection->Connection, static_cast<CursorTypeEnum>(GetCursorType()),
                    static_cast<LockTypeEnum>(GetLockType()), GetOpenOption());
    Active = Recordset->State() != adStateClosed;
    if (!Active)
        return;
    try {
        // A sort or filter set while closed takes effect now, before the cursor is placed. A
        // sort keeps the cursor on its row, wherever that row now sorts; a filter goes back to the
        // first row.
        if (!sort_.empty()) {
            Recordset->SetSort(sort_);
            if (filter_.empty() && CursorType != ctOpenForwardOnly && !(Recordset->Bof() && Recordset->Eof()))
                Recordset->MoveFirst();
        }
        if (!filter_.empty())
            ApplyFilter(filter_);
        // A streaming recordset does not know its count (-1) until read to the end.
        const Integer rows = GetRecordCount();
        HasRecords = rows > 0 || (rows < 0 && !(Recordset->Bof() && Recordset->Eof()));
        if (HasRecords)
            Recordset->MovePrevious();
        FieldNames->Clear();
        const FieldsPtr fields = Recordset->Fields();
        const Integer count = fields->Count();
        for (Integer i = 0; i < count; ++i)
            FieldNames->Add(fields->Item(i)->Name());
    } catch (...) {
        // A rejected sort or filter text must not leave a half-opened recordset behind.
        Active = false;
        HasRecords = false;
        FieldNames->Clear();
        if (Recordset->State() != adStateClosed)
            Recordset->Close();
        throw;
    }
    State = dsBrowse;
}

void TVRecords::InternalClose()
{
    if (State == dsEdit || State == dsInsert)
        Cancel();
    if (Recordset->State() != adStateClosed)
        Recordset->Close();
    Active = false;
    OldValues = Variant::Null();
    State = dsInactive;
    HasRecords = false;
}

Integer TVRecords::GetRecordCount() const
{
    return Active ? Recordset->RecordCount() : -1;
}

Integer TVRecords::GetMaxRec() const
{
    return Recordset->MaxRecords();
}

void TVRecords::SetMaxRec(Integer value)
{
    if (value < 0)
        return;
    Recordset->SetMaxRecords(value);
}

bool TVRecords::GetEof() const
{
    return !Active || Recordset->Eof();
}
bool TVRecords::GetBof() const
{
    return !Active || Recordset->Bof();
}
bool TVRecords::GetOkRec() const
{
    return Active && Recordset->AbsolutePosition() > 0;
}
bool TVRecords::GetNoRec() const
{
    return GetEof() && GetBof();
}

Integer TVRecords::GetRecNo() const
{
    if (!Active)
        return -1;
    const Integer position = Recordset->AbsolutePosition();
    const bool bof = Recordset->Bof();
    const bool eof = Recordset->Eof();
    if (!eof && State != dsInsert)
        return (position < 1 || bof) ? 1 : position;
    return GetRecordCount() + 1;
}

void TVRecords::First()
{
    if (!HasRecords)
        return;
    Recordset->MoveFirst();
    Recordset->MovePrevious();
}

void TVRecords::Last()
{
    if (!HasRecords)
        return;
    Recordset->MoveLast();
    Recordset->MoveNext();
}

void TVRecords::Next()
{
    if (HasRecords)
        Recordset->MoveNext();
}

void TVRecords::Prior()
{
    if (HasRecords)
        Recordset->MovePrevious();
}

TVRecords::SavedPosition TVRecords::SavePosition() const
{
    SavedPosition saved;
    saved.OnRecord = GetOkRec() && !Recordset->Bof() && !Recordset->Eof();
    saved.AtBof = !saved.OnRecord && Recordset->Bof();
    if (saved.OnRecord)
        saved.Bookmark = Recordset->Bookmark();
    return saved;
}

void TVRecords::RestorePosition(const SavedPosition& saved)
{
    if (Recordset->RecordCount() <= 0)
        return;
    if (saved.OnRecord) {
        Recordset->SetBookmark(saved.Bookmark);
    } else if (saved.AtBof) {
        Recordset->MoveFirst();
        Recordset->MovePrevious();
    } else {
        Recordset->MoveLast();
        Recordset->MoveNext();
    }
}

bool TVRecords::Find(const AnsiString& criteria)
{
    if (!Active || criteria.empty() || !HasRecords)
        return false;
    const SavedPosition saved = SavePosition();
    try {
        Recordset->MoveFirst();
        Recordset->Find(criteria, 0, adSearchForward, Variant());
    } catch (...) {
        RestorePosition(saved);
        throw;
    }
    if (!Recordset->Eof())
        return true;
    RestorePosition(saved);
    return false;
}

Integer TVRecords::FilterFind(const AnsiString& criteria)
{
    if (!Active || criteria.empty() || !HasRecords)
        return 0;
    const AnsiString filter = GetFilter();
    const SavedPosition saved = SavePosition();
    // Each side in parentheses: "A OR B" AND criteria must not regroup as A OR (B AND criteria).
    const AnsiString combined = filter.empty() ? criteria : "(" + filter + ") AND (" + criteria + ")";
    Variant bookmark;
    bool found = false;
    try {
        Recordset->SetFilter(Variant(combined));
        found = Recordset->RecordCount() > 0 && !Recordset->Eof() && !Recordset->Bof();
        if (found)
            bookmark = Recordset->Bookmark();
    } catch (...) {
        ApplyFilter(filter);
        RestorePosition(saved);
        throw;
    }
    ApplyFilter(filter);
    if (!found) {
        RestorePosition(saved);
        return 0;
    }
    Recordset->SetBookmark(bookmark);
    return bookmark.AsInteger();
}

void TVRecords::ApplyFilter(const AnsiString& value)
{
    if (value.empty()) {
        Recordset->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
        return;
    }
    // The engine names the position in the text, not the text: a filter set long before the
    // open that rejects it must still be recognisable in the error.
    try {
        Recordset->SetFilter(Variant(value));
    } catch (const EOleException& e) {
        throw EOleException("Filter '" + value + "': " + e.Message(), e.Source(), e.ErrorCode(), e.SqlState(),
                            e.DatabaseText());
    }
}

AnsiString TVRecords::GetFilter() const
{
    if (!Active)
        return filter_;
    const Variant v = Recordset->Filter();
    if (VarIsNullOrEmpty(v))
        return {};
    if (VarType(v) != varString && VarType(v) != varOleStr)
        return {}; // a filter group, not a text
    const AnsiString text = VarToStr(v);
    return text == "0" ? AnsiString() : text;
}

void TVRecords::SetFilter(const AnsiString& value)
{
    filter_ = value;
    if (Active)
        ApplyFilter(value);
    HasRecords = GetRecordCount() > 0;
}

AnsiString TVRecords::GetSort() const
{
    return Active ? Recordset->Sort() : sort_;
}

void TVRecords::SetSort(const AnsiString& value)
{
    sort_ = value;
    if (Active)
        Recordset->SetSort(value);
}

AnsiString TVRecords::GetMachine() const
{
    return Connection ? Connection->MachineName : AnsiString();
}

void TVRecords::SetMachine(const AnsiString& value)
{
    if (Connection)
        Connection->MachineName = value;
}

Integer TVRecords::GetBookmark() const
{
    if (!Active)
        return 1;
    // Asked for every record a dataset loads: on a record, the engine's cursor answers directly
    // what the general route below would.
    std::uint32_t row = 0;
    if (lineCursor_ && Recordset == lineRecordset_ && lineCursor_->PeekRow(row) && row < 0x7FFFFFFFu)
        return static_cast<Integer>(row) + 1;
    if (!GetOkRec() || GetNoRec())
        return 1;
    return Recordset->Bookmark().AsInteger();
}

void TVRecords::SetBookmark(Integer value)
{
    // A bookmark is followed from BOF and EOF too: the dataset's fetches leave the cursor there,
    // and it must be able to put the cursor back on its active record.
    if (Active && HasRecords && value > 0)
        Recordset->SetBookmark(Variant(static_cast<double>(value)));
}

TRecordStatus TVRecords::GetRecStatus() const
{
    if (!Active || GetNoRec())
        return rsRecInvalid;
    switch (Recordset->Status()) {
    case adRecOK:
        return rsRecOK;
    case adRecNew:
        return rsRecNew;
    case adRecModified:
        return rsRecModified;
    case adRecDeleted:
        return rsRecDeleted;
    case adRecUnmodified:
        return rsRecUnmodified;
    case adRecInvalid:
        return rsRecInvalid;
    case adRecMultipleChanges:
        return rsRecMultipleChanges;
    case adRecPendingChanges:
        return rsRecPendingChanges;
    case adRecCanceled:
        return rsRecCanceled;
    case adRecCantRelease:
        return rsRecCantRelease;
    case adRecConcurrencyViolation:
        return rsRecConcurrencyViolation;
    case adRecIntegrityViolation:
        return rsRecIntegrityViolation;
    case adRecMaxChangesExceeded:
        return rsRecMaxChangesExceeded;
    case adRecObjectOpen:
        return rsRecObjectOpen;
    case adRecOutOfMemory:
        return rsRecOutOfMemory;
    case adRecPermissionDenied:
        return rsRecPermissionDenied;
    case adRecSchemaViolation:
        return rsRecSchemaViolation;
    case adRecDBDeleted:
        return rsRecDBDeleted;
    default:
        return rsRecInvalid;
    }
}

void TVRecords::Insert()
{
    if (!Active)
        return;
    State = dsInsert;
    Recordset->AddNew();
}

void TVRecords::Update()
{
    if (!Active)
        return;
    if (!GetNoRec())
        Recordset->Update();
    State = dsBrowse;
    OldValues = Variant::Null(); // they belonged to the edit that just ended
}

void TVRecords::Cancel()
{
    if (!Active)
        return;
    Recordset->CancelUpdate();
    State = dsBrowse;
    OldValues = Variant::Null();
}

bool TVRecords::Delete()
{
    if (Active && GetOkRec())
        Recordset->Delete(adAffectCurrent);
    HasRecords = GetRecordCount() > 0;
    return HasRecords;
}

void TVRecords::SetState(TDataSetState value)
{
    if (value == State)
        return;
    State = value;
    if (!Active)
        return;
    if (value == dsEdit || value == dsInsert) {
        const FieldsPtr fields = Recordset->Fields();
        const Integer count = fields->Count();
        Variant values = VarArrayCreate({0, count - 1}, varVariant);
        for (Integer i = 0; i < count; ++i)
            values.PutElement(i, value == dsEdit ? fields->Item(i)->Value() : Variant::Null());
        OldValues = std::move(values);
    } else {
        OldValues = Variant::Null();
    }
}

Variant TVRecords::FieldOldValue(const AnsiString& fieldName) const
{
    if (!Active || OldValues.IsNull())
        return Variant::Null();
    const Integer position = FieldPosition(fieldName);
    if (position < 0 || position > VarArrayHighBound(OldValues, 1))
        return Variant::Null();
    return OldValues.GetElement(position);
}

Integer TVRecords::FieldPosition(const AnsiString& name) const
{
    return FieldNames->IndexOf(name);
}

} // namespace vmado
