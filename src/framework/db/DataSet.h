// TDataSet: the record-buffer dataset. It owns the state machine, the ring of record buffers
// sized by its data links, the field list and the Before/After events; a descendant supplies
// the cursor and the buffer contents through the protected virtual operations.
#pragma once

#include "framework/classes/Component.h"
#include "framework/db/FieldTypes.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Variant.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace vmado {

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDef;
class TFieldDefs;
class TStream;
class TStrings;

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening
};

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
    deParentScroll
};

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TUpdateMode { upWhereAll, upWhereChanged, upWhereKeyOnly };
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TDataAction { daFail, daAbort, daRetry };
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;
enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;

// States in which field values may be written, and the edit states proper.
bool IsWriteState(TDataSetState state);
bool IsEditState(TDataSetState state); // dsEdit, dsInsert, dsSetKey

// Makes a new field of some class for owner (the factory a field type maps to); null for a type
// the framework has no field class for.
using TFieldClass = TField* (*)(TComponent* owner);

// Record buffers are raw byte blocks the descendant allocates and lays out.
using TRecordBuffer = char*;
// Bookmark data as the framework hands it around; empty means "no bookmark". Holding it by value
// means a bookmark can never leak, so FreeBookmark only empties it.
using TBookmark = std::vector<char>;
// The Bookmark property's string form: by default the raw bookmark bytes.
using TBookmarkStr = AnsiString;

using TDataSetNotifyEvent = std::function<void(TDataSet* dataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* dataSet, EDatabaseError& e, TDataAction& action)>;
using TFilterRecordEvent = std::function<void(TDataSet* dataSet, bool& accept)>;

// Raises EDatabaseError with message; a named component prefixes it with "<Name>: ".
[[noreturn]] void DatabaseError(const AnsiString& message, const TComponent* component = nullptr);

// The silent exception that ends an operation without a message (the framework's Abort).
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};
[[noreturn]] void Abort();

// The next name of a ";"-separated list starting at pos (0-based), trimmed; pos moves past the
// separator. Empty once pos reaches the end.
AnsiString ExtractFieldName(const AnsiString& fields, std::size_t& pos);

// A number, Boolean or date of a record read in place (TDataSet::PeekFieldNumber): Int for the
// integer fields, Real for the float and currency fields and for a date or time as a TDateTime,
// Bool for a Boolean field.
struct TFieldNumber {
    Int64 Int = 0;
    double Real = 0;
    bool Bool = false;
};

class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner);
    // Detaches every data source and frees the fields. A descendant must Close() in its own
    // destructor: by the time this one runs, its buffers and cursor are out of reach.
    ~TDataSet() override;
    AnsiString ClassName() const override { return "TDataSet"; }

    // ---- opening and closing --------------------------------------------------------------
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    bool Active() const { return state_ != dsInactive && state_ != dsOpening; }
    bool GetActive() const { return Active(); }
    void SetActive(bool value);
    TDataSetState State() const { return state_; }
    bool Modified() const { return modified_; }
    bool DefaultFields() const { return defaultFields_; }
    // Raise "Cannot perform this operation on a closed dataset" / "... on an open dataset".
    void CheckActive() const;
    void CheckInactive() const;

    // ---- navigation ------------------------------------------------------------------------
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves distance records (forward when positive); returns how far it really moved.
    Integer MoveBy(Integer distance);
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const { return activeRecord_ >= recordCount_; }
    Integer RecNo() { return GetRecNo(); }
    void SetRecNo(Integer value) { SetRecNoValue(value); }
    Integer RecordCount() { return GetRecordCount(); }
    Integer RecordSize() { return GetRecordSize(); }
    void Refresh();
    // Reloads the buffer ring around the cursor's record. rmExact: that record must still be
    // there ("Record not found" otherwise); rmCenter: put it in the middle of the ring.
    void Resync(TResyncMode mode);
    void CursorPosChanged() { currentRecord_ = -1; }
    // Puts the descendant's cursor on the active record.
    void UpdateCursorPos();
    virtual bool FindRecord(bool restart, bool goForward) { return false; }
    bool FindFirst() { return FindRecord(true, true); }
    bool FindLast() { return FindRecord(true, false); }
    bool FindNext() { return FindRecord(false, true); }
    bool FindPrior() { return FindRecord(false, false); }
    virtual bool Locate(const AnsiString& keyFields, const Variant& keyValues, TLocateOptions options);
    virtual Variant Lookup(const AnsiString& keyFields, const Variant& keyValues,
                           const AnsiString& resultFields);

    // ---- bookmarks -------------------------------------------------------------------------
    TBookmark GetBookmark();
    void GotoBookmark(const TBookmark& bookmark);
    void FreeBookmark(TBookmark& bookmark) { bookmark.clear(); }
    virtual bool BookmarkValid(const TBookmark& bookmark) { return false; }
    // Negative, zero or positive; an empty bookmark sorts before any other.
    virtual Integer CompareBookmarks(const TBookmark& bookmark1, const TBookmark& bookmark2);
    TBookmarkStr Bookmark() { return GetBookmarkStr(); }
    void SetBookmark(const TBookmarkStr& value) { SetBookmarkStr(value); }
    Integer BookmarkSize() const { return bookmarkSize_; }
    void SetBookmarkSize(Integer value) { bookmarkSize_ = value; }

    // ---- editing ---------------------------------------------------------------------------
    void Edit();
    void Insert();
    void Append();
    void Post();
    void Cancel();
    void Delete();
    // Posts a modified record or cancels an unmodified one; raises on a closed dataset.
    void CheckBrowseMode();
    // Fires deUpdateRecord so that controls write their pending values; raises
    // "Dataset not in edit or insert mode" outside the edit states.
    void UpdateRecord();
    void ClearFields();
    // Insert/Append, assign values to the fields in order (Empty skips a field, Null clears it), Post.
    void InsertRecord(const std::vector<Variant>& values);
    void AppendRecord(const std::vector<Variant>& values);
    void SetFields(const std::vector<Variant>& values);
    bool CanModify() { return GetCanModify(); }
    virtual TUpdateStatus UpdateStatus() { return usUnmodified; }

    // ---- controls --------------------------------------------------------------------------
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ != 0; }

    // ---- fields ----------------------------------------------------------------------------
    TFields* Fields() const { return fields_.get(); }
    TFieldDefs* FieldDefs() const { return fieldDefs_.get(); }
    void SetFieldDefs(const TFieldDefs* value);
    Integer FieldCount() const;
    // Case-insensitive; null for an unknown name.
    TField* FindField(const AnsiString& fieldName) const;
    // Raises "Field 'X' not found".
    TField* FieldByName(const AnsiString& fieldName) const;
    TField* FieldByNumber(Integer fieldNo) const;
    // One field's value, or a variant array for a ";"-separated list of names.
    Variant FieldValues(const AnsiString& fieldNames) const;
    void SetFieldValues(const AnsiString& fieldNames, const Variant& value);
    // The fields named in a ";"-separated list, in list order; raises for an unknown name.
    void GetFieldList(std::vector<TField*>& list, const AnsiString& fieldNames) const;
    void GetFieldNames(TStrings* list) const;
    // Makes sure FieldDefs describe the data: from the open cursor, or by opening it for
    // information only.
    void InitFieldDefs();
    virtual TFieldClass GetFieldClass(TFieldType fieldType);
    bool AutoCalcFields() const { return autoCalcFields_; }
    void SetAutoCalcFields(bool value) { autoCalcFields_ = value; }
    Integer CalcFieldsSize() const { return calcFieldsSize_; }
    Integer BlobFieldCount() const { return blobFieldCount_; }

    // Native values of a field in the active buffer. The two-argument forms use the
    // descendant's native layout; nativeFormat false converts date/time values to TDateTime
    // doubles (and BCD to Currency) through DataConvert. A null buffer asks only "has a value".
    // A descendant writes at most the field's DataSize bytes into buffer (fields hand in at
    // least max(DataSize, 16) zeroed bytes, so 32-bit integers for 16-bit types are safe).
    virtual bool GetFieldData(TField* field, void* buffer);
    virtual bool GetFieldData(Integer fieldNo, void* buffer);
    virtual bool GetFieldData(TField* field, void* buffer, bool nativeFormat);
    virtual void DataConvert(TField* field, const void* source, void* dest, bool toNative);
    // A text field's value in place, as GetFieldData would copy it (isNull when that gives no
    // value), valid until the next call on the dataset; false when the descendant cannot lend
    // it, and the field then reads through GetFieldData.
    virtual bool PeekFieldText(TField* field, std::string_view& text, bool& isNull) { return false; }
    // The same for a number, Boolean or date field: the value GetFieldData and the field's own
    // reading of its buffer would give. It spares the buffer round trip on every read of a scan.
    virtual bool PeekFieldNumber(TField* field, TFieldNumber& value, bool& isNull) { return false; }
    // The caller owns the stream; null when the descendant has no blob support.
    virtual std::unique_ptr<TStream> CreateBlobStream(TField* field, TBlobStreamMode mode);
    virtual void CloseBlob(TField* field) {}
    // The whole content of an unmodified blob field of the active record, when the descendant can
    // give it without a stream (a read of every record would otherwise build a stream for each);
    // false sends the field to CreateBlobStream. It must have every effect a read stream has. With
    // isNull given, a null blob sets it and is not read (a field asks IsNull before reading).
    virtual bool ReadBlobContent(TField* field, AnsiString& content, bool* isNull = nullptr) { return false; }
    Integer GetBlobFieldData(Integer fieldNo, std::vector<Byte>& buffer);

    // ---- buffers ---------------------------------------------------------------------------
    TRecordBuffer ActiveBuffer() const;
    TRecordBuffer CalcBuffer() const { return calcBuffer_; }
    Integer BufferCount() const { return bufferCount_; }
    Integer ActiveRecord() const { return activeRecord_; }
    Integer BufferedRecordCount() const { return recordCount_; }
    Integer CurrentRecord() const { return currentRecord_; }
    virtual bool GetCurrentRecord(TRecordBuffer buffer) { return false; }
    // Calls OnCalcFields (and fills lookup fields) for buffer in the dsCalcFields state.
    virtual void GetCalcFields(TRecordBuffer buffer);

    // ---- links -----------------------------------------------------------------------------
    virtual TDataSource* GetDataSource() { return nullptr; }
    TDataSource* DataSource() { return GetDataSource(); }
    // True when dataSource's chain of masters reaches this dataset.
    bool IsLinkedTo(TDataSource* dataSource);
    virtual void GetDetailDataSets(std::vector<TDataSet*>& list);
    virtual void GetDetailLinkFields(std::vector<TField*>& masterFields, std::vector<TField*>& detailFields);
    // Tells data sources and links; also drives Modified, calculated fields and field OnChange.
    virtual void DataEvent(TDataEvent event, std::intptr_t info);
    Integer DataSourceCount() const { return static_cast<Integer>(dataSources_.size()); }
    TDataSource* DataSources(Integer index) const { return dataSources_.at(index); }
    // Grows or shrinks the ring to the largest BufferCount among the data links.
    void UpdateBufferCount();

    // ---- filtering -------------------------------------------------------------------------
    // The descendant applies them; the base only keeps them.
    const AnsiString& Filter() const { return filterText_; }
    void SetFilter(const AnsiString& value) { SetFilterText(value); }
    bool Filtered() const { return filtered_; }
    virtual void SetFiltered(bool value) { filtered_ = value; }
    void SetFilteredValue(bool value) { SetFiltered(value); }
    TFilterOptions FilterOptions() const { return filterOptions_; }
    virtual void SetFilterOptions(TFilterOptions value) { filterOptions_ = value; }
    void SetFilterOptionsValue(TFilterOptions value) { SetFilterOptions(value); }

    // ---- events ----------------------------------------------------------------------------
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent OnNewRecord, OnCalcFields;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;
    TFilterRecordEvent OnFilterRecord;

    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

protected:
    // ---- what a descendant implements -------------------------------------------------------
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer& buffer) = 0;
    virtual void GetBookmarkData(TRecordBuffer buffer, void* data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) = 0;
    virtual TGetResult GetRecord(TRecordBuffer buffer, TGetMode getMode, bool doCheck) = 0;
    virtual Word GetRecordSize() = 0;
    virtual void InternalAddRecord(void* buffer, bool append) = 0;
    virtual void InternalClose() = 0;
    virtual void InternalDelete() = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalGotoBookmark(void* bookmark) = 0;
    virtual void InternalHandleException() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalInitRecord(TRecordBuffer buffer) = 0;
    virtual void InternalLast() = 0;
    virtual void InternalOpen() = 0;
    virtual void InternalPost() = 0;
    virtual void InternalSetToRecord(TRecordBuffer buffer) = 0;
    virtual bool IsCursorOpen() = 0;
    virtual void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag value) = 0;
    virtual void SetBookmarkData(TRecordBuffer buffer, void* data) = 0;
    // Writes a field's native value (null buffer: no value) into the active record, then
    // (outside dsCalcFields/dsFilter) DataEvent(deFieldChange, field). TField has already
    // checked the state, the read-only flag and OnValidate when this is called.
    virtual void SetFieldData(TField* field, void* buffer) = 0;
    virtual void SetFieldData(TField* field, void* buffer, bool nativeFormat);

    // ---- overridable services ---------------------------------------------------------------
    virtual void ClearCalcFields(TRecordBuffer buffer) {}
    virtual void InitRecord(TRecordBuffer buffer);
    virtual void InternalCancel() {}
    virtual void InternalEdit() {}
    virtual void InternalInsert() {}
    virtual void InternalRefresh() {}
    virtual TBookmarkStr GetBookmarkStr();
    virtual void SetBookmarkStr(const TBookmarkStr& value);
    virtual bool GetCanModify() { return true; }
    virtual Integer GetRecordCount() { return -1; }
    virtual Integer GetRecNo() { return -1; }
    virtual void SetRecNoValue(Integer value) {}
    virtual Variant GetStateFieldValue(TDataSetState state, TField* field);
    virtual void SetStateFieldValue(TDataSetState state, TField* field, const Variant& value);
    virtual void OpenCursor(bool infoQuery);
    virtual void CloseCursor();
    // Close() on a dataset that is not open; a dataset whose open can still be under way
    // elsewhere stops it here.
    virtual void CloseInactive() {}
    virtual void SetFilterText(const AnsiString& value) { filterText_ = value; }
    virtual void CalculateFields(TRecordBuffer buffer);
    virtual void RefreshInternalCalcFields(TRecordBuffer buffer) {}
    virtual void CheckRequiredFields();

    virtual void DoAfterCancel();
    virtual void DoAfterClose();
    virtual void DoAfterDelete();
    virtual void DoAfterEdit();
    virtual void DoAfterInsert();
    virtual void DoAfterOpen();
    virtual void DoAfterPost();
    virtual void DoAfterScroll();
    virtual void DoBeforeCancel();
    virtual void DoBeforeClose();
    virtual void DoBeforeDelete();
    virtual void DoBeforeEdit();
    virtual void DoBeforeInsert();
    virtual void DoBeforeOpen();
    virtual void DoBeforePost();
    virtual void DoBeforeScroll();
    virtual void DoOnCalcFields();
    virtual void DoOnNewRecord();

    // ---- field binding ----------------------------------------------------------------------
    // Binding: gives each data field its FieldNo from FieldDefs (raising "Field 'X' not found"
    // for a field without a definition) and each calculated or lookup field its Offset inside
    // the calculated-field area (DataSize + 1 bytes each: a has-value byte, then the value).
    virtual void BindFields(bool binding);
    virtual void CreateFields();
    virtual void DestroyFields();
    void SetDefaultFields(bool value) { defaultFields_ = value; }
    void FreeFieldBuffers();

    // ---- state and buffers for descendants ----------------------------------------------------
    void SetState(TDataSetState value);
    // Switches state without telling anyone (calculation, filtering, old values); returns the
    // state to give back to RestoreState.
    TDataSetState SetTempState(TDataSetState value);
    void RestoreState(TDataSetState value);
    void SetModified(bool value) { modified_ = value; }
    void SetCurrentRecord(Integer index);
    TRecordBuffer Buffers(Integer index) const { return buffers_.at(index); }
    void SetCalcBufferValue(TRecordBuffer value) { calcBuffer_ = value; }
    void ClearBuffers();
    void CheckCanModify();
    void CheckFieldName(const AnsiString& fieldName) const;
    // Runs operation; an EDatabaseError goes to errorEvent, whose action fails (re-raises),
    // aborts (EAbort) or retries.
    void CheckOperation(const std::function<void()>& operation, const TDataSetErrorEvent& errorEvent);
    bool BookmarkAvailable();
    void SetBufferCount(Integer value);
    void SetBufListSize(Integer value);
    bool GetNextRecord();
    bool GetPriorRecord();
    Integer GetNextRecords();
    Integer GetPriorRecords();
    void ActivateBuffers();
    void MoveBuffer(Integer curIndex, Integer newIndex);
    void SetActiveRecordIndex(Integer value) { activeRecord_ = value; }

private:
    friend class TField;
    friend class TFields;
    friend class TFieldDefs;
    friend class TDataSource;
    friend class TDataLink;

    bool FetchInto(TRecordBuffer buffer, TGetMode getMode);
    void BeginInsertAppend();
    void EndInsertAppend();
    void AddDataSource(TDataSource* dataSource);
    void RemoveDataSource(TDataSource* dataSource);
    void AddField(TField* field);
    void RemoveField(TField* field);
    std::vector<TDataLink*> ActiveLinks() const;

    std::unique_ptr<TFields> fields_;
    std::unique_ptr<TFieldDefs> fieldDefs_;
    std::vector<TDataSource*> dataSources_; // not owned; each detaches itself
    std::vector<TRecordBuffer> buffers_; // bufferCount_ + 1 when open; owned through Free/AllocRecordBuffer
    TRecordBuffer calcBuffer_ = nullptr;
    Integer bufferCount_ = 0;
    Integer recordCount_ = 0;
    Integer activeRecord_ = 0;
    Integer currentRecord_ = -1;
    Integer bookmarkSize_ = 0;
    Integer calcFieldsSize_ = 0;
    Integer blobFieldCount_ = 0;
    Integer disableCount_ = 0;
    TDataSetState state_ = dsInactive;
    TDataSetState disableState_ = dsInactive;
    TDataEvent enableEvent_ = deDataSetChange;
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    bool defaultFields_ = false;
    bool autoCalcFields_ = true;
    bool internalCalcFields_ = false;
    bool streamedActive_ = false;
    bool filtered_ = false;
    TFilterOptions filterOptions_;
    AnsiString filterText_;
};

} // namespace vmado
