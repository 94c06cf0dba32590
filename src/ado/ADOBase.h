// The connection wrapper (TVConnection) and the recordset cursor (TVRecords) that datasets use:
// one engine Connection or Recordset each, with neutral answers while closed and the current
// record rendered as one comma-text line into a dataset record buffer.
#pragma once

#include "ado/ADOApi.h"
#include "framework/classes/Persistent.h"
#include "framework/classes/Strings.h"
#include "framework/db/DataSet.h"
#include "framework/db/Fields.h"
#include "framework/rtl/Variant.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vmado {

namespace engine {
class CellPeekView;
struct CellPeek;
} // namespace engine

enum TIsolationLevel : Byte {
    ilXactChaos,
    ilXactUnspecified,
    ilXactBrowse,
    ilXactReadUncommitted,
    ilXactCursorStability,
    ilXactReadCommitted,
    ilXactRepeatableRead,
    ilXactIsolated,
    ilXactSerializable
};

enum TConnectionMode : Byte {
    cmModeUnknown,
    cmModeRead,
    cmModeWrite,
    cmModeReadWrite,
    cmModeShareDenyRead,
    cmModeShareDenyWrite,
    cmModeShareExclusive,
    cmModeShareDenyNone
};

enum TCursorLocation : Byte { clClient, clServer };

enum TCommandOption : Byte {
    coUnknown,
    coText,
    coTable,
    coStoredProc,
    coFile,
    coTableDirect,
    coAsyncExecute,
    coAsyncFetch
};

enum TCursorType : Byte { ctOpenForwardOnly, ctOpenKeyset, ctOpenDynamic, ctOpenStatic };

enum TLockType : Byte { ltLockReadOnly, ltLockPessimistic, ltLockOptimistic, ltLockBatchOptimistic };

enum TRecordStatus : Byte {
    rsRecOK,
    rsRecNew,
    rsRecModified,
    rsRecDeleted,
    rsRecUnmodified,
    rsRecInvalid,
    rsRecMultipleChanges,
    rsRecPendingChanges,
    rsRecCanceled,
    rsRecCantRelease,
    rsRecConcurrencyViolation,
    rsRecIntegrityViolation,
    rsRecMaxChangesExceeded,
    rsRecObjectOpen,
    rsRecOutOfMemory,
    rsRecPermissionDenied,
    rsRecSchemaViolation,
    rsRecDBDeleted
};

// One engine connection. Engine failures propagate as EOleException; nothing here catches them.
class TVConnection : public TObject {
public:
    explicit TVConnection(bool autoClose);
    ~TVConnection() override; // closes an active connection first

    ConnectionPtr Connection; // absent until the first open, released on close
    AnsiString ConnectionString;
    Integer CommandTimeout = 30;    // seconds
    Integer ConnectionTimeout = 15; // seconds
    TIsolationLevel IsolationLevel = ilXactChaos;
    TConnectionMode ConnectMode = cmModeUnknown;
    TCursorLocation CursorLocation = clClient;
    bool AutoClose;              // owned by one dataset, which closes and frees it
    bool TransactionDDL = false; // the provider's "Transaction DDL" is not "0"
    bool Active = false;
    std::unique_ptr<TStringList> Properties; // "Name=Value" per provider property, in its order
    AnsiString MachineName;                  // create the engine object there when not empty

    void Open();  // only when not active
    void Close(); // only when active
    void SetActive(bool value);
    void SetConnect(const AnsiString& value); // reconnects at once when active and changed
    AnsiString GetVersion() const;            // "Unknown" before the first open
    Integer ExecSQL(const AnsiString& sql);   // records affected; 0 while no engine object exists

    void StartTransaction(); // these three act only when TransactionDDL
    void Commit();
    void Rollback();

    static Integer GetIsolationLevel(TIsolationLevel value);
    static Integer GetConnectMode(TConnectionMode value);

    // unixODBC's configuration stands in for the registry: odbcinst.ini (ODBCSYSINI,
    // ODBCINSTINI) for drivers, odbc.ini of the system then of the user (ODBCINI) for DSNs.
    static void GetOdbcDriverList(TStrings& list); // list untouched when the file is missing
    static AnsiString GetOdbcDriverExt(const AnsiString& driverName);
    static AnsiString GetOdbcDriverFilter(const AnsiString& driverName);
    static void GetOdbcDSNList(TStrings& list);

    static void GetADOProviderList(TStrings& list);
    static void GetADOProviderList(TStrings& descriptions, TStrings& names);

    void GetADOTableNames(TStrings& list);
    void GetADOFieldNames(const AnsiString& tableName, TStrings& list); // empty name: Table.Column

    // The connection line of a data-link file, with the user and password put in; empty when
    // the file cannot be read.
    static AnsiString LoadUDLFile(const AnsiString& fileName, const AnsiString& userName,
                                  const AnsiString& password);
    // Opens an existing data-link file in the desktop's default editor; returns at once.
    static void UDLEditor(const AnsiString& fileName);

protected:
    virtual void InternalOpen();
    virtual void InternalClose();
};

// One engine recordset on a TVConnection (not owned). While closed, every question has a
// neutral answer: -1 counts, True BOF/EOF, bookmark 1, rsRecInvalid, Null old values.
class TVRecords : public TObject {
public:
    explicit TVRecords(TVConnection* connection);
    ~TVRecords() override;

    TVConnection* Connection; // not owned
    RecordsetPtr Recordset;   // created once, reused by every open
    TCommandOption CommandType = coUnknown;
    TCursorType CursorType = ctOpenStatic;
    TLockType LockType = ltLockBatchOptimistic;
    AnsiString Source;
    std::unique_ptr<TStringList> FieldNames; // recordset field names, in field order
    std::unique_ptr<TStringList> BlobFields; // fields the dataset shows as blobs
    bool HasRecords = false;
    bool Active = false;
    TDataSetState State = dsInactive;
    Variant OldValues = Variant::Null();
    Integer RecSize = 0; // bytes of the text area, terminator included

    void Open();
    void Close();
    void SetActive(bool value);

    Integer GetRecNo() const;
    Integer GetRecordCount() const;
    Integer GetMaxRec() const;
    void SetMaxRec(Integer value); // negative values are ignored
    bool GetEof() const;
    bool GetBof() const;
    bool GetOkRec() const; // the cursor stands on a record
    bool GetNoRec() const; // BOF and EOF together: the view is empty

    void First(); // before the first record
    void Last();  // after the last record
    void Next();
    void Prior();
    bool Find(const AnsiString& criteria);          // not found: back on the remembered record
    Integer FilterFind(const AnsiString& criteria); // 0 when nothing matches; cursor unmoved

    AnsiString GetFilter() const;
    void SetFilter(const AnsiString& value);
    AnsiString GetSort() const;
    void SetSort(const AnsiString& value);
    AnsiString GetMachine() const;
    void SetMachine(const AnsiString& value);

    Integer GetOpenOption() const;
    Integer GetCursorType() const;
    Integer GetLockType() const;
    TRecordStatus GetRecStatus() const;

    void Insert();
    void Update();
    void Cancel();
    bool Delete(); // returns HasRecords
    void SetState(TDataSetState value);
    Variant FieldOldValue(const AnsiString& fieldName) const;

    // Text area size: every entry's worst case in comma-text form (quotes doubled) plus its
    // separator; the last separator's byte holds the terminator.
    Integer CalcRecSize(const TFields& fields);
    // Writes the current record's line into the first RecSize bytes of buffer, zero-terminated.
    // A line that cannot fit raises EDatabaseError; the buffer is then left untouched.
    void LoadRecord(char* buffer, bool blank);
    Integer GetBookmark() const;
    void SetBookmark(Integer value);
    Integer FieldPosition(const AnsiString& name) const; // -1 when absent

    // A record buffer may keep the engine row it was loaded from instead of its line, and have its
    // fields read from the engine's column store. store is the number of the rows the engine
    // held then (engine::CellPeekView::PeekStore); reading a row of another store raises.
    //
    // The current record's row and store, when its line can be left unwritten: an engine
    // cursor on a record with no edit in progress, and a line that LoadRecord would write
    // without complaint (a value too long or with a zero byte is left to LoadRecord to refuse
    // at once, not later at a field read).
    bool DirectRow(std::uint32_t& row, std::uint32_t& store);
    // Cell col (the field's position) of row. False when col is out of range or the entry's text
    // is not the cell's plain rendering (its type narrows or converts it, or it is a blob): the
    // reader then takes EntryTextAt.
    bool PeekCell(Integer col, std::uint32_t row, std::uint32_t store, engine::CellPeek& out) const;
    // The text of col's entry in row's line, as LoadRecord writes it; empty for col out of range.
    // text may point into buf (40 bytes), scratch or the store.
    void EntryTextAt(Integer col, std::uint32_t row, std::uint32_t store, char* buf, AnsiString& scratch,
                     std::string_view& text) const;
    // The stored text of blob col of row, when the cell holds text or is null (isNull, empty
    // text); false for any other cell, whose bytes only the field's Value gives.
    bool PeekBlobText(Integer col, std::uint32_t row, std::uint32_t store, std::string_view& text,
                      bool& isNull) const;
    // Writes row's line as LoadRecord wrote it while row was current; same checks, same errors.
    void LoadRecordAt(char* buffer, std::uint32_t row, std::uint32_t store);
    // Whether the engine cursor stands on row of store with no edit in progress: moving it there
    // again would change nothing.
    bool IsOnRow(std::uint32_t row, std::uint32_t store) const;

protected:
    virtual void InternalOpen();
    virtual void InternalClose();

private:
    struct SavedPosition {
        bool OnRecord = false;
        bool AtBof = false;
        Variant Bookmark;
    };
    SavedPosition SavePosition() const;
    void RestorePosition(const SavedPosition& saved);
    void ApplyFilter(const AnsiString& value);

    AnsiString filter_; // kept while closed, handed over at open
    AnsiString sort_;
    std::vector<Integer> budgets_;    // text-area bytes of each field, from CalcRecSize
    std::vector<Integer> rowBudgets_; // budgets_ with blobs as -1, for DirectRow's one check per row
    // What LoadRecord needs of each engine field, looked up once per fields collection.
    struct LineField {
        FieldPtr Field;
        AnsiString Name;
        DataTypeEnum Type = adEmpty;
        bool Blob = false;
    };
    void PrepareLineFields(const FieldsPtr& adoFields);
    // Prepares lineFields_ for the open recordset when they describe another; the field count.
    Integer LineFieldCount();
    void WriteLine(char* buffer, bool onRecord, bool direct, std::uint32_t row);
    void CheckStore(std::uint32_t store) const; // raises unless store is the open one
    // Whether the current record's blob in column col is Null; row is PeekRow's when direct.
    bool BlobIsNull(const LineField& field, int col, bool direct, std::uint32_t row) const;
    FieldsPtr lineSource_;                             // the collection lineFields_ describes
    RecordsetPtr lineRecordset_;                       // the recordset lineCursor_ was taken from
    const engine::CellPeekView* lineCursor_ = nullptr; // the engine cursor's cells, for direct reads
    std::vector<LineField> lineFields_;
    Integer lineBlobCount_ = 0;
};

} // namespace vmado
