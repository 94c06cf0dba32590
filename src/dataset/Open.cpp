// Opening and closing: the connection in use (own or a master's), a fresh recordset per open,
// field definitions from the engine's column types, and the buffer sizes the open fixes.
// Every failure during an open surfaces as "Open error!" with the cause kept as its context.
#include "dataset/DataSetPrivate.h"
#include "dataset/SubListPrivate.h"
#include "dataset/VDB.h"

#include "framework/classes/Application.h"
#include "framework/db/FieldDefs.h"
#include "framework/rtl/SysUtils.h"
#include "utils/VUtils.h"

#include <utility>

namespace vmado {

TVADODataSet::TVADODataSet(TComponent* owner)
    : TDataSet(owner), blobValues_(std::make_unique<dataset::BlobValueList>()),
      filters_(std::make_unique<TVFilters>(this)), colors_(std::make_unique<TVFilters>(this)),
      columns_(std::make_unique<TColumnData>(this)), connInfo_(std::make_unique<TStringList>()),
      lineIndex_(std::make_unique<dataset::LineIndex>()), subList_(std::make_unique<TVSubList>(this))
{
    RegisterDataSetClasses();
    filters_->SetPropName("Filters");
    colors_->SetPropName("Colors");
    columns_->SetPropName("Columns");
    SetFilterOptions(TFilterOptions{});
    subList_->SetPropName("SubList");
}

TVADODataSet::~TVADODataSet()
{
    Destroying();
    // No worker may go on opening this dataset, nor one of its sub-list, once it starts to go.
    CancelOpen();
    subList_->CancelOpens();
    // The framework's close runs InternalClose while this object is still whole.
    try {
        Close();
    } catch (...) {
    }
    // No close event runs while destroying, so a failed save is shown here rather than lost.
    if (saveError_) {
        try {
            std::rethrow_exception(std::exchange(saveError_, nullptr));
        } catch (...) {
            Application()->HandleException(this);
        }
    }
    if (updateObject_ != nullptr && updateObject_->GetDataSet() == this)
        updateObject_->SetDataSet(nullptr);
    if (master_ != nullptr) {
        master_->RemoveDataSet(this);
        master_->RemoveFreeNotification(this);
    }
    try {
        ConnectionClose();
    } catch (...) {
    }
    records_.reset();
}

void TVADODataSet::Notification(TComponent* component, TOperation operation)
{
    TDataSet::Notification(component, operation);
    if (operation != opRemove)
        return;
    // The departing component is already partly destroyed: forget it without calling into it.
    if (component == master_) {
        if (ownConnection_ == nullptr)
            connectionObject_ = nullptr;
        master_ = nullptr;
    }
    if (component == updateObject_)
        updateObject_ = nullptr;
}

// ---- connection ------------------------------------------------------------------------------------

bool TVADODataSet::ConnectionOpen()
{
    if (!connection_.empty()) {
        if (connectionObject_ == nullptr) {
            if (options_.Contains(opConnection) && master_ != nullptr) {
                TakeMasterConnection();
            } else {
                ownConnection_ = std::make_unique<TVConnection>(true);
                ownConnection_->CursorLocation = cursorLocation_;
                ownConnection_->SetConnect(connection_);
                connectionObject_ = ownConnection_.get();
            }
        }
        // A borrowed connection follows the master's text, never this dataset's: switching it here
        // would move every other dataset on it as well.
        if (connectionObject_ != ownConnection_.get() && master_ != nullptr)
            TakeMasterConnection();
        else if (connectionObject_->ConnectionString != connection_)
            connectionObject_->SetConnect(connection_);
        if (!connectionObject_->Active)
            connectionObject_->Open();
    }
    return connectionObject_ != nullptr && connectionObject_->Active;
}

void TVADODataSet::ConnectionClose()
{
    if (ownConnection_ == nullptr)
        return;
    if (ownConnection_->Active)
        ownConnection_->Close();
    FreeOwnConnection();
}

void TVADODataSet::FreeOwnConnection()
{
    if (connectionObject_ == ownConnection_.get())
        connectionObject_ = nullptr;
    ownConnection_.reset();
}

void TVADODataSet::TakeMasterConnection()
{
    connectionObject_ = master_->GetData();
}

void TVADODataSet::SetConnection(const AnsiString& value)
{
    if (value == connection_)
        return;
    connection_ = value;
    if (ownConnection_ != nullptr) {
        if (ownConnection_->Active)
            ownConnection_->Close();
        ownConnection_->SetConnect(value);
    }
}

void TVADODataSet::SetMaster(TVCustomMaster* value)
{
    if (value == master_)
        return;
    if (value == nullptr) {
        master_->RemoveDataSet(this);
        master_->RemoveFreeNotification(this);
        if (options_.Contains(opConnection) && ownConnection_ == nullptr)
            connectionObject_ = nullptr;
        master_ = nullptr;
        return;
    }
    // Leaving a previous master for a new one unregisters from the old, so the old master does
    // not keep passing its connection string to a dataset that no longer follows it.
    if (master_ != nullptr) {
        master_->RemoveDataSet(this);
        master_->RemoveFreeNotification(this);
        if (ownConnection_ == nullptr)
            connectionObject_ = nullptr;
    }
    master_ = value;
    master_->FreeNotification(this);
    SetConnection(master_->Connection());
    master_->InsertDataSet(this);
    if (options_.Contains(opConnection) && ownConnection_ != nullptr) {
        ConnectionClose();
        TakeMasterConnection();
    }
}

void TVADODataSet::SetOptions(TVOptions value)
{
    if (value == options_)
        return;
    options_ = value;
    if (options_.Contains(opConnection) && master_ != nullptr && ownConnection_ != nullptr) {
        ConnectionClose();
        TakeMasterConnection();
    }
}

AnsiString TVADODataSet::GetVersion()
{
    if (ConnectionOpen())
        return connectionObject_->GetVersion();
    return "Unknown";
}

TStrings* TVADODataSet::GetConnInfo()
{
    if (ConnectionOpen() && connectionObject_->Properties != nullptr)
        return connectionObject_->Properties.get();
    return connInfo_.get();
}

// ---- command -----------------------------------------------------------------------------------------

void TVADODataSet::SetCommand(const AnsiString& text)
{
    const AnsiString cleaned = CleanSQL(text);
    if (cleaned != commandText_)
        commandText_ = cleaned;
}

AnsiString TVADODataSet::CleanSQL(const AnsiString& sql) const
{
    // Only the statement's own layout is tidied: a quoted literal or name is data, and squeezing
    // the blanks or line breaks inside one would store or name something else.
    AnsiString out;
    out.reserve(sql.size());
    char quote = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (quote) {
            out += c;
            if (c == quote)
                quote = 0; // a doubled quote reopens at once on the next character
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '\r' && i + 1 < sql.size() && sql[i + 1] == '\n') {
            ++i;
            if (out.empty() || out.back() != ' ')
                out += ' ';
        } else if (c != ' ' || out.empty() || out.back() != ' ') {
            out += c;
        }
    }
    return Trim(out);
}

AnsiString TVADODataSet::InternalTable(const AnsiString& sql)
{
    if (commandType_ == coTable || commandType_ == coTableDirect)
        return sql;
    return ExtractTableName(sql, true);
}

Integer TVADODataSet::InternalSQL(const AnsiString& sql)
{
    const char* const expectOne = std::exchange(expectOne_, nullptr);
    if (sql.empty() || !ConnectionOpen()) {
        if (expectOne)
            throw EDatabaseError("Update Failed!", "the statement could not be run: " + sql);
        return -1;
    }
    const AnsiString statement = CleanSQL(sql);
    if (OnVerbose)
        OnVerbose(statement, vmExecute);
    connectionObject_->StartTransaction();
    Integer affected = 0;
    try {
        affected = connectionObject_->ExecSQL(statement);
        // Checked before the commit: a statement that matched two identical rows must not stay.
        if (expectOne && affected != 1)
            throw EDatabaseError("Update Failed!", AnsiString("the statement ") + expectOne + " " +
                                                       std::to_string(affected) +
                                                       " records instead of one: " + statement);
        connectionObject_->Commit();
    } catch (...) {
        try {
            connectionObject_->Rollback();
        } catch (...) {
            // The statement's own error says more than a failed rollback after it.
        }
        throw;
    }
    return affected;
}

Integer TVADODataSet::ExecuteOne(const AnsiString& sql, const char* verb)
{
    expectOne_ = verb;
    Integer affected = 0;
    try {
        affected = InternalSQL(sql);
    } catch (...) {
        expectOne_ = nullptr;
        throw;
    }
    // Still set: an InternalSQL of a descendant ran the statement without the check inside.
    if (std::exchange(expectOne_, nullptr) && affected != 1)
        throw EDatabaseError("Update Failed!", AnsiString("the statement ") + verb + " " +
                                                   std::to_string(affected) +
                                                   " records instead of one: " + sql);
    return affected;
}

void TVADODataSet::ReOpen()
{
    DisableControls();
    try {
        Close();
        Open();
    } catch (...) {
        EnableControls();
        throw;
    }
    EnableControls();
}

AnsiString TVADODataSet::GetPosition()
{
    if (!cursorOpen_)
        return {};
    AnsiString text = IntToStr(GetRecNo()) + "/" + IntToStr(GetRecordCount());
    if (filters_->Count() > 0)
        text += " (" + IntToStr(filters_->Count()) + ")";
    return text;
}

// ---- properties -----------------------------------------------------------------------------------------

void TVADODataSet::SetReadOnly(bool value)
{
    if (value == readOnly_)
        return;
    readOnly_ = value;
    lockType_ = value ? ltLockReadOnly : ltLockBatchOptimistic;
}

Integer TVADODataSet::GetMaxRecords() const
{
    return maxRecords_;
}

// Kept here rather than only in the recordset, which every open replaces: a limit set while
// closed, or read from a form, must still hold at the next open.
void TVADODataSet::SetMaxRecords(Integer value)
{
    if (value < 0)
        return;
    if (records_)
        records_->SetMaxRec(value);
    maxRecords_ = value;
}

void TVADODataSet::SetMarkerField(const AnsiString& value)
{
    if (value != markerField_)
        markerField_ = value;
}

void TVADODataSet::SetPrimaryKey(const AnsiString& value)
{
    if (value != primaryKey_)
        primaryKey_ = value;
}

void TVADODataSet::SetFilters(const TVFilters* value)
{
    filters_->Assign(value);
}

void TVADODataSet::SetColors(const TVFilters* value)
{
    colors_->Assign(value);
}

// ---- opening and closing ------------------------------------------------------------------------------

void TVADODataSet::InternalOpen()
{
    std::unique_ptr<dataset::PreparedOpen> prepared = std::move(prepared_);
    if (prepared == nullptr && backgroundOpen_ != nullptr)
        throw EDatabaseError("Cannot open " + (Name().empty() ? ClassName() : Name()) +
                             ": it is being opened in the background");
    // Settings changed since the worker started (in BeforeOpen, say) make what it fetched stale.
    if (prepared != nullptr && !prepared->Error && !PreparedFits(*prepared))
        prepared.reset();
    if (connection_.empty() || commandText_.empty())
        return;
    try {
        if (prepared != nullptr) {
            AdoptPrepared(*prepared);
        } else {
            if (!ConnectionOpen())
                return;
            InternalLoad(fileName_);

            records_.reset(); // the old recordset goes before the new one takes the connection
            records_ = std::make_unique<TVRecords>(connectionObject_);
            records_->SetSort(sort_);
            records_->CursorType = cursorType_;
            records_->LockType = lockType_;
            records_->CommandType = commandType_;
            records_->Source = commandText_;
            records_->Recordset->SetCacheSize(cacheSize_);
            records_->SetMaxRec(maxRecords_);
            ExecFilter();
            if (OnVerbose)
                OnVerbose(commandText_, vmCommand);
            WatchFetch(*records_);
            records_->Open();
            records_->Recordset->SetFetchObserver(nullptr);
        }
        cursorOpen_ = records_->Active;
        SetBookmarkSize(10);

        fieldPositions_.clear();
        InternalInitFieldDefs();
        if (DefaultFields())
            CreateFields();
        BindFields(true);
        InternalFields();

        recSize_ = records_->CalcRecSize(*Fields());
        bookmarkOffset_ = recSize_;
        calcOffset_ = recSize_ + 8;
        bufferSize_ = recSize_ + 8 + CalcFieldsSize();

        blobValues_->Clear();
        for (Integer i = 0; i < Fields()->Count(); ++i) {
            TField* field = Fields()->Fields(i);
            if (field->IsBlob())
                blobValues_->Add(field->FieldName() + "=NONE");
        }
        if (options_.Contains(opSubList))
            SubListOpen();
    } catch (const std::exception& e) {
        // Leave nothing half-open behind the error: the framework closes the buffers, this
        // closes the recordset.
        cursorOpen_ = false;
        if (records_) {
            try {
                records_->Close();
            } catch (...) {
            }
        }
        throw EDatabaseError("Open error!", e.what());
    }
}

void TVADODataSet::InternalClose()
{
    saveError_ = nullptr;
    if (cursorOpen_) {
        if (options_.Contains(opSubList))
            SubListClose();
        // A settings file that cannot be written must not keep the dataset open: the close
        // goes on and the error is raised once it is done (DoAfterClose).
        try {
            InternalSave(fileName_);
        } catch (...) {
            saveError_ = std::current_exception();
        }
        if (records_ && records_->Active)
            records_->Close();
        if (ownConnection_ != nullptr && ownConnection_->Active)
            ownConnection_->Close();
    }
    cursorOpen_ = false;
    fieldPositions_.clear();
    BindFields(false);
    if (DefaultFields()) {
        DestroyFields();
        if (!storeDefs_)
            FieldDefs()->Clear();
    }
}

void TVADODataSet::InternalInitFieldDefs()
{
    if (storeDefs_ && FieldDefs()->Count() > 0)
        return;
    auto define = [this](TVRecords& records) {
        FieldDefs()->Clear();
        const FieldsPtr fields = records.Recordset->Fields();
        for (Integer i = 0; i < fields->Count(); ++i) {
            const FieldPtr f = fields->Item(i);
            InitOneField(f->Name(), f->Type(), f->DefinedSize(), false, i, f->Precision(), f->NumericScale());
        }
    };
    if (cursorOpen_) {
        define(*records_);
        return;
    }
    if (commandText_.empty() || !ConnectionOpen())
        return;
    TVRecords probe(connectionObject_);
    probe.SetMaxRec(1);
    probe.CursorType = cursorType_;
    probe.LockType = lockType_;
    probe.CommandType = commandType_;
    probe.Source = commandText_;
    probe.Open();
    define(probe);
    probe.Close();
}

TFieldType TVADODataSet::AdoToBdt(Integer adoType)
{
    switch (adoType) {
    case adSmallInt:
    case adTinyInt:
        return ftSmallint;
    case adInteger:
    case adUnsignedInt:
        return ftInteger;
    case adUnsignedTinyInt:
    case adUnsignedSmallInt:
        return ftWord;
    case adSingle:
    case adDouble:
    case adDecimal:
    case adNumeric:
    case adVarNumeric:
        return ftFloat;
    case adCurrency:
        return ftCurrency;
    case adDate:
    case adDBDate:
        return ftDate;
    case adDBTime:
    case adFileTime:
    case 137:
        return ftTime; // database file time
    case adDBTimeStamp:
        return ftDateTime;
    case adBSTR:
    case adChar:
    case adWChar:
    case adVarChar:
    case adVarWChar:
        return ftString;
    case adLongVarChar:
    case adLongVarWChar:
        return ftMemo;
    case adBinary:
    case adVarBinary:
    case adLongVarBinary:
        return ftBlob;
    case adIDispatch:
    case adVariant:
    case adIUnknown:
        return ftADT;
    case adBoolean:
        return ftBoolean;
    case adBigInt:
    case adUnsignedBigInt:
        return ftLargeint;
    case adGUID:
        return ftGuid;
    default:
        return ftUnknown;
    }
}

Integer TVADODataSet::BdtToAdo(TFieldType fieldType)
{
    switch (fieldType) {
    case ftString:
        return adChar;
    case ftSmallint:
        return adSmallInt;
    case ftInteger:
        return adInteger;
    case ftWord:
        return adUnsignedSmallInt;
    case ftBoolean:
        return adBoolean;
    case ftFloat:
        return adDouble;
    case ftCurrency:
        return adCurrency;
    case ftDate:
        return adDBTimeStamp;
    case ftTime:
        return adDBTime;
    case ftBytes:
    case ftBlob:
    case ftGraphic:
    case ftTypedBinary:
        return adLongVarBinary;
    case ftAutoInc:
        return adGUID;
    case ftMemo:
        return adLongVarChar;
    case ftLargeint:
        return adBigInt;
    case ftADT:
        return adVariant;
    case ftGuid:
        return adGUID;
    case ftFMTBcd:
        return adNumeric;
    default:
        return adError;
    }
}

void TVADODataSet::InitOneField(const AnsiString& name, Integer adoType, Integer size, bool required,
                                Integer fieldNo, Integer precision, Integer scale)
{
    TFieldType dataType = AdoToBdt(adoType);
    // A key the database generates is an auto-increment field even where its column could hold 64
    // bits (SQLite's row id); a generated value beyond 32 bits then fails to read, loudly.
    if (name == primaryKey_ && (dataType == ftInteger || dataType == ftLargeint))
        dataType = ftAutoInc;
    if (dataType == ftUnknown)
        return;
    const bool exactDecimal =
        dataType == ftFloat && (adoType == adNumeric || adoType == adDecimal || adoType == adVarNumeric) &&
        precision > 0 && precision <= TFMTBCDField::MaxDigits && scale >= 0 && scale <= precision;
    if (exactDecimal)
        dataType = precision <= 18 && scale <= 4 ? ftBCD : ftFMTBcd;
    Integer defSize = 0;
    if (dataType == ftBCD || dataType == ftFMTBcd) {
        defSize = scale;
    } else if (dataType == ftGuid) {
        defSize = TGuidField::GuidSize;
    } else if (dataType == ftString) {
        defSize = size == 0 ? 1 : size;
        if (size > 65536) {
            dataType = ftMemo;
            defSize = 0;
        }
    } else if (dataType == ftBytes) {
        defSize = size;
    }
    // Engine positions count from 0, the framework's field numbers from 1.
    auto* def = new TFieldDef(FieldDefs(), Trim(name), dataType, defSize, required, fieldNo + 1);
    if (exactDecimal)
        def->SetPrecision(precision);
}

void TVADODataSet::InternalFields()
{
    const AnsiString table = InternalTable(commandText_);
    const AnsiString marker = GetMarkerField();
    for (Integer i = 0; i < Fields()->Count(); ++i) {
        TField* field = Fields()->Fields(i);
        field->SetOrigin(table.empty() ? field->FieldName() : table + "." + field->FieldName());
        field->SetDisplayLabel(field->FieldName() == marker ? AnsiString(" + ")
                                                            : Trim(field->DisplayLabel()));
        field->SetTag(SortField(field));
    }
}

// ---- hooks -----------------------------------------------------------------------------------------------

void TVADODataSet::InternalHandleException()
{
    Application()->HandleException(this);
}

void TVADODataSet::DoAfterOpen()
{
    TDataSet::DoAfterOpen();
    SetCurrentRecord(0);
    if (OnScroll)
        OnScroll(this);
}

void TVADODataSet::DoAfterClose()
{
    TDataSet::DoAfterClose();
    if (OnScroll)
        OnScroll(this);
    if (saveError_)
        std::rethrow_exception(std::exchange(saveError_, nullptr));
}

void TVADODataSet::DoAfterScroll()
{
    TDataSet::DoAfterScroll();
    if (OnScroll)
        OnScroll(this);
}

void TVADODataSet::DoBeforeEdit()
{
    TDataSet::DoBeforeEdit();
    DoDialog();
}

void TVADODataSet::DoBeforeInsert()
{
    TDataSet::DoBeforeInsert();
    DoDialog();
}

void TVADODataSet::DoDialog()
{
    if (options_.Contains(opDialog) && OnDialog)
        OnDialog(this);
}

} // namespace vmado
