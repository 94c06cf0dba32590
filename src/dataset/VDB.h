// TVADODataSet: a TDataSet over one TVRecords per open. Every buffered record is one comma-text
// line in the buffer's text area (bookmark, flag and calculated fields behind it); field values
// are converted between that text and the framework's native formats on each access.
#pragma once

#include "ado/ADOBase.h"
#include "dataset/SubList.h"
#include "filters/VFilters.h"
#include "framework/classes/Component.h"
#include "framework/classes/Streams.h"
#include "framework/classes/Strings.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/db/GridColumns.h"
#include "framework/graphics/Graphics.h"

#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace vmado {

class TVADODataSet;
namespace dataset {
class LineIndex;
struct PreparedOpen;
} // namespace dataset

enum TVOption { opDialog, opFilter, opSubList, opConnection };
using TVOptions = TSet<TVOption>;

enum TVerboseMode { vmCommand, vmExecute, vmFilter, vmSearch };
// The dataset's only trace of what it sends: the command at open, each executed statement, each
// applied filter text and each search criteria.
using TVerboseEvent = std::function<void(const AnsiString& text, TVerboseMode mode)>;

enum TSortMode { smNONE, smASC, smDESC };

// The fill-up editor's answer. Scoped: the filter mode already names an unscoped fmSQL.
enum class TVFillUpMode { fmNone, fmConst, fmLower, fmUpper, fmSQL };

// Takes over posting from the recordset: the dataset writes the values into the engine record and
// calls Apply instead of sending them itself.
class TVUpdateObject : public TComponent {
public:
    explicit TVUpdateObject(TComponent* owner) : TComponent(owner) {}
    AnsiString ClassName() const override { return "TVUpdateObject"; }
    virtual TVADODataSet* GetDataSet() = 0;
    virtual void SetDataSet(TVADODataSet* value) = 0;
    virtual void Apply(TUpdateKind updateKind) = 0;
};

// What a dataset needs of the connection master that lends it a shared connection; the master
// component implements it.
class TVCustomMaster : public TComponent {
public:
    explicit TVCustomMaster(TComponent* owner) : TComponent(owner) {}
    AnsiString ClassName() const override { return "TVCustomMaster"; }
    virtual AnsiString Connection() const = 0;
    // The shared connection, given the master's connection string first; never null.
    virtual TVConnection* GetData() = 0;
    virtual void InsertDataSet(TVADODataSet* dataSet) = 0;
    virtual void RemoveDataSet(TVADODataSet* dataSet) = 0;
};

// Saved grid columns. The collection answers the component given at construction (a dataset or
// a wrapper) as its owner, so its columns stream as part of that component.
class TColumnData : public TCollection {
public:
    explicit TColumnData(TComponent* owner);
    AnsiString ClassName() const override { return "TColumnData"; }
    TPersistent* GetOwner() const override { return owner_; }
    // Nothing for null; column data is copied column by column, other collections as the
    // framework's collection copies them.
    void Assign(const TPersistent* source) override;
    TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
    TColumn* GetItem(Integer index) const { return static_cast<TColumn*>(TCollection::Items(index)); }
    TColumn* Items(Integer index) const { return GetItem(index); }
    void SetItem(Integer index, const TColumn* value) { TCollection::SetItem(index, value); }

private:
    TComponent* owner_;
};

class TVADODataSet : public TDataSet {
public:
    explicit TVADODataSet(TComponent* owner = nullptr);
    ~TVADODataSet() override;
    AnsiString ClassName() const override { return "TVADODataSet"; }
    void Notification(TComponent* component, TOperation operation) override;

    // ---- connection and command (Open.cpp) ---------------------------------------------------
    virtual AnsiString GetConnection() const { return connection_; }
    // An own connection in use is closed and given the new string; it reopens at the next open.
    void SetConnection(const AnsiString& value);
    // Takes or creates the connection and opens it; true when one is in use and active.
    bool ConnectionOpen();
    // Closes and frees an own connection; a master's is only forgotten by SetMaster.
    void ConnectionClose();
    TVConnection* GetData() const { return connectionObject_; } // the connection in use, or null
    TVCustomMaster* Master() const { return master_; }
    void SetMaster(TVCustomMaster* value);
    TVOptions Options() const { return options_; }
    void SetOptions(TVOptions value);
    AnsiString GetVersion(); // "Unknown" without a connection
    TStrings* GetConnInfo(); // the provider's properties, or an empty list; owned here
    const AnsiString& CommandText() const { return commandText_; }
    void SetCommand(const AnsiString& text); // stores the cleaned text
    AnsiString CleanSQL(const AnsiString& sql) const;
    virtual AnsiString InternalTable(const AnsiString& sql);
    // Runs one statement in a transaction of the connection; -1 when there is nothing to run.
    virtual Integer InternalSQL(const AnsiString& sql);
    // InternalSQL for a statement that must change exactly one record (verb: "changed",
    // "deleted"): any other count is rolled back with the statement and raised as "Update Failed!".
    Integer ExecuteOne(const AnsiString& sql, const char* verb);
    virtual void ReOpen();
    // "record/count", with " (n)" when n filters are defined; empty while closed.
    AnsiString GetPosition();

    TVRecords* Records() const { return records_.get(); } // the recordset of the last open
    TCommandOption CommandType() const { return commandType_; }
    void SetCommandType(TCommandOption value) { commandType_ = value; }
    TCursorType CursorType() const { return cursorType_; }
    void SetCursorType(TCursorType value) { cursorType_ = value; }
    TCursorLocation CursorLocation() const { return cursorLocation_; }
    void SetCursorLocation(TCursorLocation value) { cursorLocation_ = value; }
    TLockType LockType() const { return lockType_; }
    void SetLockType(TLockType value) { lockType_ = value; }
    // Rows a forward-only server cursor (ctOpenForwardOnly with clServer) holds while it streams;
    // 1 leaves the engine's window. Applies at the next open; values below 1 are refused there.
    Integer CacheSize() const { return cacheSize_; }
    void SetCacheSize(Integer value) { cacheSize_ = value; }

    // ---- published properties ------------------------------------------------------------------
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value); // takes effect at the next open
    Integer GetMaxRecords() const;
    void SetMaxRecords(Integer value);
    TUpdateMode UpdateMode() const { return updateMode_; }
    void SetUpdateMode(TUpdateMode value) { updateMode_ = value; }
    TVUpdateObject* UpdateObject() const { return updateObject_; }
    void SetUpdateObject(TVUpdateObject* value);
    virtual AnsiString GetMarkerField() const { return markerField_; }
    void SetMarkerField(const AnsiString& value);
    virtual AnsiString GetPrimaryKey() const { return primaryKey_; }
    void SetPrimaryKey(const AnsiString& value);
    const AnsiString& FileName() const { return fileName_; }
    void SetFileName(const AnsiString& value) { fileName_ = value; }
    bool StoreDefs() const { return storeDefs_; }
    void SetStoreDefs(bool value) { storeDefs_ = value; }
    TVFilters* Filters() const { return filters_.get(); }
    void SetFilters(const TVFilters* value); // copies; does not re-filter
    TVFilters* Colors() const { return colors_.get(); }
    void SetColors(const TVFilters* value); // copies
    TColumnData* Columns() const { return columns_.get(); }
    void SetColumns(const TColumnData* value); // copies
    TStrings* BlobValues() const { return blobValues_.get(); }
    TVSubList* SubList() const { return subList_.get(); }
    void SetSubList(const TVSubList* value) { subList_->Assign(value); } // copies

    // ---- background opening (SubList.cpp) ------------------------------------------------------
    // Stops this dataset's open, which leaves it closed: a background one is cancelled and waited
    // for, raising nothing; a foreground one (asked from OnFetchProgress) stops at once and its
    // Open raises "Open error!" saying it was cancelled.
    void CancelOpen();
    bool OpeningInBackground() const { return backgroundOpen_ != nullptr; }
    // Rows fetched so far by an open under way, on the main thread: during a foreground open
    // directly, during a background one through the main thread's queue.
    std::function<void(TDataSet* sender, Integer fetched)> OnFetchProgress;

    TDataSetNotifyEvent OnMarkStart, OnMarkEnd, OnFillStart, OnFillEnd, OnDialog, OnScroll;
    TVerboseEvent OnVerbose;

    // ---- field definitions (Open.cpp) ------------------------------------------------------------
    virtual TFieldType AdoToBdt(Integer adoType);
    virtual Integer BdtToAdo(TFieldType fieldType);
    // precision and scale (255: unknown) choose an exact decimal field for a numeric column whose
    // declaration gives them: BCD (Currency) when it fits four decimals and 18 digits, else FMTBcd.
    void InitOneField(const AnsiString& name, Integer adoType, Integer size, bool required, Integer fieldNo,
                      Integer precision = 255, Integer scale = 255);
    virtual void InternalFields();

    // ---- record buffers (Buffers.cpp) --------------------------------------------------------------
    Integer RecSize() const { return recSize_; }
    Integer BufferSize() const { return bufferSize_; }
    Integer BookmarkOffset() const { return bookmarkOffset_; }
    Integer CalcOffset() const { return calcOffset_; }
    // The buffer that field access reads and writes in the current state, with its record line
    // written; null when none.
    TRecordBuffer GetActiveRecordBuffer();
    // The active buffer with its record line written (a buffer loaded from an unchanged engine
    // row keeps only the row until something asks for its line).
    TRecordBuffer ActiveBuffer() const;
    void LoadRecordBuffer(TRecordBuffer buffer, bool blank);
    // Whether buffer keeps an engine row in place of its line.
    bool HoldsEngineRow(const char* buffer) const
    {
        return recSize_ >= kEngineRowBytes && buffer[bookmarkOffset_ + kEngineRowMark] == 1;
    }
    // Whether buffer holds a record at all: a line, or an engine row.
    bool HoldsRecord(const char* buffer) const { return buffer[0] != '\0' || HoldsEngineRow(buffer); }
    bool GetFieldData(TField* field, void* buffer) override;
    using TDataSet::GetFieldData;
    bool PeekFieldText(TField* field, std::string_view& text, bool& isNull) override;
    bool PeekFieldNumber(TField* field, TFieldNumber& value, bool& isNull) override;
    // BCD values are native here as Currency, which holds every digit the field keeps.
    void DataConvert(TField* field, const void* source, void* dest, bool toNative) override;
    void DataEvent(TDataEvent event, std::intptr_t info) override;

    // Converters between a field's text entry and its native value; true when the text held one.
    static bool IntegerToBuffer(void* buffer, const AnsiString& text);
    static bool FloatToBuffer(void* buffer, const AnsiString& text);
    static bool DateToBuffer(void* buffer, const AnsiString& text);
    static bool TimeToBuffer(void* buffer, const AnsiString& text);
    static bool DateTimeToBuffer(void* buffer, const AnsiString& text);
    static bool BooleanToBuffer(void* buffer, const AnsiString& text);
    static AnsiString BufferToDate(const void* buffer);
    static AnsiString BufferToTime(const void* buffer);
    static AnsiString BufferToDateTime(const void* buffer);

    // ---- navigation and searching (Navigation.cpp) ---------------------------------------------------
    bool Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options) override;
    Variant Lookup(const AnsiString& keyFields, const Variant& keyValues,
                   const AnsiString& resultFields) override;
    // One "name op literal" condition; empty for an unknown field. The value goes in as given,
    // with embedded single quotes doubled.
    AnsiString CreateCriteria(const AnsiString& fieldName, const AnsiString& value, bool partial);
    bool Search(const AnsiString& fieldName, const AnsiString& value, bool partial, Byte length);
    bool Search(TField* field, const AnsiString& value, bool partial, Byte length);
    // Single conditions go to the engine's Find, compound ones through a temporary filter.
    bool Find(const AnsiString& criteria);
    void InternalBookmark(TBookmarkFlag flag);

    // ---- blobs (Blobs.cpp) -------------------------------------------------------------------------------
    std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override;
    bool ReadBlobContent(TField* field, AnsiString& content, bool* isNull = nullptr) override;
    virtual AnsiString GetBlobData(TField* field);
    virtual void SetBlobData(TField* field, const AnsiString& value);
    Variant BlobToVariant(TField* field);

    // ---- statement generation (Posting.cpp) ------------------------------------------------------------
    virtual AnsiString InsertSQL();
    virtual AnsiString ModifySQL();
    virtual AnsiString DeleteSQL();
    virtual AnsiString GenerateUpdate();
    // " WHERE " and the Filters collection's text; empty without filters.
    virtual AnsiString GenerateWhere(const AnsiString& sql, TStrings* list);
    static AnsiString GenerateField(const AnsiString& table, const AnsiString& field);
    static AnsiString GenerateField(const AnsiString& name);

    // ---- sorting, filtering, colouring (SortFilter.cpp) -------------------------------------------------
    const AnsiString& Sort() const { return sort_; }
    void SetSortStr(const AnsiString& value);
    void SortAdd(const AnsiString& fieldName, TSortMode mode, bool add);
    void SortAdd(TField* field, bool add);
    void SortDelete(const AnsiString& fieldName);
    void SortDelete(TField* field);
    bool IsSorted(const AnsiString& fieldName) const;
    bool IsSorted(TField* field) const;
    TSortMode SortMode(const AnsiString& fieldName) const;
    TSortMode SortMode(TField* field) const;
    Integer SortField(TField* field) const; // 0 unsorted, 1 ascending, 2 descending
    void SetFilterStr(const AnsiString& value);
    virtual void ExecFilter();
    void FieldColors(const AnsiString& fieldName, TColor& backColor, TColor& foreColor);

    // ---- fill-up and markers (FillUp.cpp, Markers.cpp) ---------------------------------------------------
    // One UPDATE of one column over the rows the dataset shows, then a re-open on the first record.
    // Nothing happens without a table; an edit in progress is posted first; rows the statement
    // could not select exactly as the dataset does raise EDatabaseError and nothing runs.
    void FillUpper(const AnsiString& fieldName);
    void FillLower(const AnsiString& fieldName);
    // Unquoted, value must be a number (the locale's separator or a point), else EConvertError.
    void FillConst(const AnsiString& fieldName, const AnsiString& value, bool quoted);
    void FillExchange(const AnsiString& fieldName, const AnsiString& oldText, const AnsiString& newText);
    void FillSQL(const AnsiString& fieldName, TStrings* lines); // nothing without lines
    void FillExec(const AnsiString& sql);
    // The marker column set on an open dataset with a MarkerField.
    virtual void Markers(const AnsiString& value);
    // The rows a fill-up would change now (SELECT COUNT(*) with its WHERE); -1 without a table.
    Integer FillCount();

    // ---- the editor shortcuts (Editors.cpp) --------------------------------------------------------------
    // Each runs its dialog through the UI module's hooks; without the module they show nothing and
    // report false. A confirmed filter is appended to Filters and applied; a confirmed colour edit
    // moves to the first record; a confirmed fill-up runs on the field.
    bool FilterEditor(TField* field);
    bool FilterEditor(const AnsiString& fieldName);
    bool FilterEditor();
    bool ColorEditor();
    void ExportEditor();
    void FillUpEditor(TField* field);
    void FillUpEditor(const AnsiString& fieldName);
    // Runs the connection editor on the connection string; the result is the (possibly new) string.
    AnsiString ConnectionEditor();

protected:
    // ---- framework overrides: open and close (Open.cpp) ----------------------------------------------
    void InternalOpen() override;
    void InternalClose() override;
    void InternalInitFieldDefs() override;
    bool IsCursorOpen() override { return cursorOpen_; }
    bool GetCanModify() override { return !readOnly_; }
    void InternalHandleException() override;
    void SetFilterText(const AnsiString& value) override { SetFilterStr(value); }
    void DoAfterOpen() override;
    void DoAfterClose() override;
    void DoAfterScroll() override;
    void DoBeforeEdit() override;
    void DoBeforeInsert() override;
    virtual void DoDialog();
    // The settings file (Settings.cpp). Load replaces colours, filters, columns and sort text
    // from an existing file and changes nothing when the file cannot be read; Save replaces the
    // file whole or leaves the old one as it was.
    virtual void InternalLoad(const AnsiString& fileName);
    virtual void InternalSave(const AnsiString& fileName);
    // Dependent datasets (SubList.cpp).
    virtual void SubListOpen();
    virtual void SubListClose();
    void CloseInactive() override;

    // ---- buffers (Buffers.cpp) -------------------------------------------------------------------------
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& buffer) override;
    Word GetRecordSize() override;
    void InternalInitRecord(TRecordBuffer buffer) override;
    TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) override;
    void ClearCalcFields(TRecordBuffer buffer) override;
    void SetFieldData(TField* field, void* buffer) override;
    using TDataSet::SetFieldData;
    Variant GetStateFieldValue(TDataSetState state, TField* field) override;

    // ---- navigation (Navigation.cpp)
    // -----------------------------------------------------------------------
    void InternalFirst() override;
    void InternalLast() override;
    Integer GetRecordCount() override;
    Integer GetRecNo() override;
    void SetRecNoValue(Integer value) override {}
    void GetBookmarkData(TRecordBuffer buffer, void* data) override;
    void SetBookmarkData(TRecordBuffer buffer, void* data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) override;
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) override;
    void InternalGotoBookmark(void* bookmark) override;
    void InternalSetToRecord(TRecordBuffer buffer) override;
    TBookmarkStr GetBookmarkStr() override;
    void SetBookmarkStr(const TBookmarkStr& value) override;
    void InternalRefresh() override;

    // ---- editing (Posting.cpp) ----------------------------------------------------------------------------
    void InternalEdit() override;
    void InternalInsert() override;
    void InternalCancel() override;
    void InternalPost() override;
    void InternalDelete() override;
    void InternalAddRecord(void* buffer, bool append) override;

    bool UpdateBySQL = false; // post and delete through generated statements

    // The exact-and-centre mode every refresh and search resyncs with.
    TResyncMode ResyncMode{rmExact, rmCenter};

private:
    friend class TVBlobStream;
    friend class TVADOThread;
    // A background open: the main-thread part before the worker starts; whether what it fetched
    // still fits the dataset's settings at the hand-back; the fetch observer of a foreground open.
    void BeginBackgroundOpen(dataset::PreparedOpen& prepared);
    bool PreparedFits(const dataset::PreparedOpen& prepared) const;
    void AdoptPrepared(dataset::PreparedOpen& prepared);
    void WatchFetch(TVRecords& records);
    AnsiString FilterText() const; // the recordset filter ExecFilter applies

    void TakeMasterConnection();
    void FreeOwnConnection();
    // Sends what the recordset holds back for a batch (its default lock type) at once, so a
    // posted record is in the database when Post or Delete returns.
    void SendPending();
    // The field's entry in the record line; cached per open, -1 when the recordset lacks it.
    Integer FieldPositionOf(const TField* field);
    // A buffer that keeps an engine row has 0 as its first byte (an empty line to anything that
    // reads it blindly), the row and the store's number behind it, and a mark in the spare byte
    // after the bookmark flag.
    static constexpr Integer kEngineRowBytes = 9;
    static constexpr Integer kEngineRowMark = 5;
    // GetActiveRecordBuffer without writing the line: field reads answer from the engine row.
    TRecordBuffer FieldBuffer();
    // Writes the line of a buffer that keeps an engine row; nothing for any other buffer.
    void RenderLine(TRecordBuffer buffer) const;
    // A data field's value from the engine row a buffer keeps; false when the field's type and
    // the cell's kind take the text route, which then reads entryText.
    // The engine row and store of the active record when it is an unchanged engine row read in
    // browse state: the one case where fields may be read from the stored cells in place.
    bool BrowsedEngineRow(std::uint32_t& row, std::uint32_t& store);
    bool EngineFieldData(TField* field, const char* record, void* buffer, bool& result, char* buf,
                         AnsiString& scratch, std::string_view& entryText);

    TVConnection* connectionObject_ = nullptr; // own (AutoClose) or the master's
    const char* expectOne_ = nullptr;          // set by ExecuteOne for the InternalSQL it calls
    std::unique_ptr<TVConnection> ownConnection_;
    std::unique_ptr<TVRecords> records_;
    AnsiString connection_;
    AnsiString commandText_;
    TVCustomMaster* master_ = nullptr;
    bool cursorOpen_ = false;
    std::unique_ptr<TStringList> blobValues_;
    Integer recSize_ = 0;
    Integer bufferSize_ = 0;
    Integer bookmarkOffset_ = 0;
    Integer calcOffset_ = 0;
    bool readOnly_ = false;
    AnsiString sort_;
    TUpdateMode updateMode_ = upWhereAll;
    TVUpdateObject* updateObject_ = nullptr;
    AnsiString primaryKey_;
    AnsiString markerField_;
    std::unique_ptr<TVFilters> filters_;
    std::unique_ptr<TVFilters> colors_;
    std::unique_ptr<TColumnData> columns_;
    AnsiString fileName_;
    std::exception_ptr saveError_; // a failed save at close, raised once the close has finished
    TVOptions options_{opDialog, opFilter, opConnection};
    bool storeDefs_ = false;
    std::unique_ptr<TStringList> connInfo_;
    std::vector<std::pair<const TField*, Integer>> fieldPositions_; // by field number
    std::unique_ptr<dataset::LineIndex> lineIndex_;                 // entries of the buffer last read
    TCommandOption commandType_ = coUnknown;
    TCursorType cursorType_ = ctOpenStatic;
    TCursorLocation cursorLocation_ = clClient;
    TLockType lockType_ = ltLockBatchOptimistic;
    std::unique_ptr<TVSubList> subList_;
    TVADOThread* backgroundOpen_ = nullptr;           // the worker opening this dataset now
    std::unique_ptr<dataset::PreparedOpen> prepared_; // its result, for the next InternalOpen
    bool cancelOpen_ = false;                         // a foreground open is asked to stop
    Integer cacheSize_ = 1;
    Integer maxRecords_ = 0; // 0: no limit
};

// A blob field's content as a stream: read from the engine record when the stream is made (unless
// the field was already modified), cached in the dataset's BlobValues, and sent at post.
class TVBlobStream : public TStream {
public:
    // Raises EInvalidCast unless field belongs to a TVADODataSet.
    TVBlobStream(TBlobField* field, TBlobStreamMode mode);
    // When something was written: hands the content to the dataset's cache, marks the field
    // modified and tells the controls.
    ~TVBlobStream() override;

    Int64 Read(void* buffer, Int64 count) override;
    Int64 Write(const void* buffer, Int64 count) override;
    Int64 Seek(Int64 offset, Word origin) override;
    Int64 Size() override { return GetBlobSize(); }
    void SetSize(Int64 size) override;
    // Cuts the content at the current position.
    void Truncate();
    Integer GetBlobSize();
    // The field's content as the engine record holds it.
    AnsiString GetBlobData();

private:
    void CheckWritable(); // EWriteError on a stream opened for reading

    TBlobField* field_;
    TVADODataSet* dataSet_;
    TRecordBuffer buffer_ = nullptr;
    TBlobStreamMode mode_;
    bool opened_ = false;
    bool modified_ = false;
    Int64 position_ = 0;
    // The content read and written, taken from the dataset's cache at creation; a copy here keeps
    // a blob written in many chunks from being copied whole into the cache at every chunk.
    AnsiString content_;
};

// The carrier of a dataset's settings file: a component whose stream holds the colour rules,
// filter conditions, saved columns, sort text and filter text.
class TVADOWrapper : public TComponent {
public:
    explicit TVADOWrapper(TComponent* owner);
    ~TVADOWrapper() override;
    AnsiString ClassName() const override { return "TVADOWrapper"; }

    TVFilters* Colors() const { return colors_.get(); }
    void SetColors(const TVFilters* value); // copies
    TVFilters* Filters() const { return filters_.get(); }
    void SetFilters(const TVFilters* value); // copies
    TColumnData* Columns() const { return columns_.get(); }
    void SetColumns(const TColumnData* value); // copies
    const AnsiString& Sort() const { return sort_; }
    void SetSort(const AnsiString& value) { sort_ = value; }
    const AnsiString& Filter() const { return filter_; }
    void SetFilter(const AnsiString& value) { filter_ = value; }

private:
    std::unique_ptr<TVFilters> colors_;
    std::unique_ptr<TVFilters> filters_;
    AnsiString sort_;
    AnsiString filter_;
    std::unique_ptr<TColumnData> columns_;
};

// Registers TVADODataSet's published properties with the streaming system (idempotent).
void RegisterDataSetClasses();

} // namespace vmado
