// The database engine's object interface: Connection, Recordset, Fields/Field and
// Properties/Property as abstract handles with ADO's names and numeric constants. Every failure of
// every operation raises EOleException; nothing here returns an error code.
#pragma once

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Types.h"
#include "framework/rtl/Variant.h"

#include <functional>
#include <memory>

namespace vmado {

// ---------------------------------------------------------------------------------------------
// Constants (ADO's numeric values)
// ---------------------------------------------------------------------------------------------

enum DataTypeEnum : Integer {
    adEmpty = 0,
    adSmallInt = 2,
    adInteger = 3,
    adSingle = 4,
    adDouble = 5,
    adCurrency = 6,
    adDate = 7,
    adBSTR = 8,
    adIDispatch = 9,
    adError = 10,
    adBoolean = 11,
    adVariant = 12,
    adIUnknown = 13,
    adDecimal = 14,
    adTinyInt = 16,
    adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18,
    adUnsignedInt = 19,
    adBigInt = 20,
    adUnsignedBigInt = 21,
    adFileTime = 64,
    adGUID = 72,
    adBinary = 128,
    adChar = 129,
    adWChar = 130,
    adNumeric = 131,
    adUserDefined = 132,
    adDBDate = 133,
    adDBTime = 134,
    adDBTimeStamp = 135,
    adChapter = 136,
    adPropVariant = 138,
    adVarNumeric = 139,
    adVarChar = 200,
    adLongVarChar = 201,
    adVarWChar = 202,
    adLongVarWChar = 203,
    adVarBinary = 204,
    adLongVarBinary = 205,
};

enum CommandTypeEnum : Integer {
    adCmdUnspecified = -1,
    adCmdText = 1,
    adCmdTable = 2,
    adCmdStoredProc = 4,
    adCmdUnknown = 8,
    adCmdFile = 256,
    adCmdTableDirect = 512,
};

enum ExecuteOptionEnum : Integer {
    adOptionUnspecified = -1,
    adAsyncExecute = 0x10,
    adAsyncFetch = 0x20,
    adAsyncFetchNonBlocking = 0x40,
    adExecuteNoRecords = 0x80,
};

enum ConnectOptionEnum : Integer {
    adConnectUnspecified = -1,
    adAsyncConnect = 0x10,
};

enum CursorTypeEnum : Integer {
    adOpenUnspecified = -1,
    adOpenForwardOnly = 0,
    adOpenKeyset = 1,
    adOpenDynamic = 2,
    adOpenStatic = 3,
};

enum CursorLocationEnum : Integer {
    adUseNone = 1,
    adUseServer = 2,
    adUseClient = 3,
};

enum LockTypeEnum : Integer {
    adLockUnspecified = -1,
    adLockReadOnly = 1,
    adLockPessimistic = 2,
    adLockOptimistic = 3,
    adLockBatchOptimistic = 4,
};

enum IsolationLevelEnum : Integer {
    adXactUnspecified = -1,
    adXactChaos = 16,
    adXactReadUncommitted = 256,
    adXactBrowse = 256,
    adXactCursorStability = 4096,
    adXactReadCommitted = 4096,
    adXactRepeatableRead = 65536,
    adXactSerializable = 1048576,
    adXactIsolated = 1048576,
};

enum XactAttributeEnum : Integer {
    adXactCommitRetaining = 0x20000,
    adXactAbortRetaining = 0x40000,
};

enum ConnectModeEnum : Integer {
    adModeUnknown = 0,
    adModeRead = 1,
    adModeWrite = 2,
    adModeReadWrite = 3,
    adModeShareDenyRead = 4,
    adModeShareDenyWrite = 8,
    adModeShareExclusive = 12,
    adModeShareDenyNone = 16,
    adModeRecursive = 0x400000,
};

enum ObjectStateEnum : Integer {
    adStateClosed = 0,
    adStateOpen = 1,
    adStateConnecting = 2,
    adStateExecuting = 4,
    adStateFetching = 8,
};

enum RecordStatusEnum : Integer {
    adRecOK = 0,
    adRecNew = 1,
    adRecModified = 2,
    adRecDeleted = 4,
    adRecUnmodified = 8,
    adRecInvalid = 16,
    adRecMultipleChanges = 64,
    adRecPendingChanges = 128,
    adRecCanceled = 256,
    adRecCantRelease = 1024,
    adRecConcurrencyViolation = 2048,
    adRecIntegrityViolation = 4096,
    adRecMaxChangesExceeded = 8192,
    adRecObjectOpen = 16384,
    adRecOutOfMemory = 32768,
    adRecPermissionDenied = 65536,
    adRecSchemaViolation = 131072,
    adRecDBDeleted = 262144,
};

enum SchemaEnum : Integer {
    adSchemaProviderSpecific = -1,
    adSchemaAsserts = 0,
    adSchemaCatalogs = 1,
    adSchemaCharacterSets = 2,
    adSchemaCollations = 3,
    adSchemaColumns = 4,
    adSchemaCheckConstraints = 5,
    adSchemaConstraintColumnUsage = 6,
    adSchemaConstraintTableUsage = 7,
    adSchemaKeyColumnUsage = 8,
    adSchemaReferentialConstraints = 9,
    adSchemaTableConstraints = 10,
    adSchemaColumnsDomainUsage = 11,
    adSchemaIndexes = 12,
    adSchemaColumnPrivileges = 13,
    adSchemaTablePrivileges = 14,
    adSchemaUsagePrivileges = 15,
    adSchemaProcedures = 16,
    adSchemaSchemata = 17,
    adSchemaSQLLanguages = 18,
    adSchemaStatistics = 19,
    adSchemaTables = 20,
    adSchemaTranslations = 21,
    adSchemaProviderTypes = 22,
    adSchemaViews = 23,
    adSchemaViewColumnUsage = 24,
    adSchemaViewTableUsage = 25,
    adSchemaProcedureParameters = 26,
    adSchemaForeignKeys = 27,
    adSchemaPrimaryKeys = 28,
    adSchemaProcedureColumns = 29,
};

enum SearchDirectionEnum : Integer {
    adSearchForward = 1,
    adSearchBackward = -1,
};

enum BookmarkEnum : Integer {
    adBookmarkCurrent = 0,
    adBookmarkFirst = 1,
    adBookmarkLast = 2,
};

enum AffectEnum : Integer {
    adAffectCurrent = 1,
    adAffectGroup = 2,
    adAffectAll = 3,
    adAffectAllChapters = 4,
};

enum FilterGroupEnum : Integer {
    adFilterNone = 0,
    adFilterPendingRecords = 1,
    adFilterAffectedRecords = 2,
    adFilterFetchedRecords = 3,
    adFilterConflictingRecords = 5,
};

enum PositionEnum : Integer {
    adPosUnknown = -1,
    adPosBOF = -2,
    adPosEOF = -3,
};

enum EditModeEnum : Integer {
    adEditNone = 0,
    adEditInProgress = 1,
    adEditAdd = 2,
    adEditDelete = 4,
};

enum CursorOptionEnum : Integer {
    adHoldRecords = 0x100,
    adMovePrevious = 0x200,
    adAddNew = 0x1000400,
    adDelete = 0x1000800,
    adUpdate = 0x1008000,
    adBookmark = 0x2000,
    adApproxPosition = 0x4000,
    adUpdateBatch = 0x10000,
    adResync = 0x20000,
    adNotify = 0x40000,
    adFind = 0x80000,
    adSeek = 0x400000,
    adIndex = 0x800000,
};

enum FieldAttributeEnum : Integer {
    adFldUnspecified = -1,
    adFldMayDefer = 0x2,
    adFldUpdatable = 0x4,
    adFldUnknownUpdatable = 0x8,
    adFldFixed = 0x10,
    adFldIsNullable = 0x20,
    adFldMayBeNull = 0x40,
    adFldLong = 0x80,
    adFldRowID = 0x100,
    adFldRowVersion = 0x200,
    adFldCacheDeferred = 0x1000,
    adFldIsChapter = 0x2000,
    adFldNegativeScale = 0x4000,
    adFldKeyColumn = 0x8000,
};

// The dynamic property "Update Criteria": which original values the WHERE of a client cursor's
// UPDATE compares besides the key.
enum UpdateCriteriaEnum : Integer {
    adCriteriaKey = 0,       // the key only: the last writer wins
    adCriteriaAllCols = 1,   // every column
    adCriteriaUpdCols = 2,   // the columns the update changes (the default)
    adCriteriaTimeStamp = 3, // a row-version column; without one, every column
};

enum PropertyAttributesEnum : Integer {
    adPropNotSupported = 0,
    adPropRequired = 1,
    adPropOptional = 2,
    adPropRead = 0x200,
    adPropWrite = 0x400,
};

// ---------------------------------------------------------------------------------------------
// Objects
// ---------------------------------------------------------------------------------------------

class Connection;
class Recordset;
class Fields;
class Field;
class Properties;
class Property;

using ConnectionPtr = std::shared_ptr<Connection>;
using RecordsetPtr = std::shared_ptr<Recordset>;
using FieldsPtr = std::shared_ptr<Fields>;
using FieldPtr = std::shared_ptr<Field>;
using PropertiesPtr = std::shared_ptr<Properties>;
using PropertyPtr = std::shared_ptr<Property>;

// One named value of a provider, connection or field.
class Property {
public:
    virtual ~Property() = default;
    virtual AnsiString Name() const = 0;
    virtual Variant Value() const = 0;
    virtual void SetValue(const Variant& value) = 0; // raises when the property is read-only
    virtual DataTypeEnum Type() const = 0;
    virtual Integer Attributes() const = 0; // PropertyAttributesEnum bits
};

// An ordered list of properties; the order is the provider's.
class Properties {
public:
    virtual ~Properties() = default;
    virtual Integer Count() const = 0;
    virtual PropertyPtr Item(Integer index) const = 0;          // raises outside 0..Count-1
    virtual PropertyPtr Item(const AnsiString& name) const = 0; // case-insensitive; raises when absent
    virtual void Refresh() = 0;
};

// One column of a recordset, seen at the recordset's current record. Value reads the edited
// value when the record is being edited; OriginalValue the value as fetched or last sent;
// UnderlyingValue re-reads the database.
class Field {
public:
    virtual ~Field() = default;
    virtual AnsiString Name() const = 0;
    virtual DataTypeEnum Type() const = 0;
    // Characters for text, bytes for binary, the value's own size otherwise.
    virtual Integer DefinedSize() const = 0;
    virtual Integer ActualSize() const = 0; // the current value's length; raises off a record
    virtual Integer Attributes() const = 0; // FieldAttributeEnum bits
    virtual Byte Precision() const = 0;
    virtual Byte NumericScale() const = 0;
    virtual Variant Value() const = 0; // Null for NULL; raises at BOF, EOF or on a deleted record
    virtual void SetValue(const Variant& value) = 0; // begins an edit; raises for read-only recordsets
    virtual Variant OriginalValue() const = 0;
    virtual Variant UnderlyingValue() const = 0;
    virtual void AppendChunk(const Variant& data) = 0; // text or byte array appended to the edited value
    virtual Variant GetChunk(Integer length) = 0;      // next piece since the last move or GetChunk
    // "BASETABLENAME", "BASECOLUMNNAME", "KEYCOLUMN", "ISAUTOINCREMENT", ...
    virtual PropertiesPtr Properties() const = 0;
};

class Fields {
public:
    virtual ~Fields() = default;
    virtual Integer Count() const = 0;
    virtual FieldPtr Item(Integer index) const = 0;          // raises outside 0..Count-1
    virtual FieldPtr Item(const AnsiString& name) const = 0; // case-insensitive; raises when absent
    virtual void Refresh() = 0;
};

// A client-side cursor over materialised rows. Bookmarks are numeric variants that stay valid for
// the life of the open recordset (they survive Filter and Sort). The end-of-file test is named
// Eof because the C library owns the name EOF as a macro; Bof matches it.
//
// Streaming: opened forward-only (adOpenForwardOnly) with the server cursor location, the
// recordset reads its rows from the open statement as the cursor moves and holds only a window of
// them (CacheSize rows), so a result larger than memory can be scanned. The location is the
// recordset's own once set, else its connection's. A streaming recordset is read-only (the lock
// type reads back adLockReadOnly) and answers what needs the whole result as ADO's server cursors
// do: RecordCount is -1; AbsolutePosition and bookmarks count rows from the first one read; Sort
// and a criteria Filter raise; a bookmark, AbsolutePosition or a backward move (MovePrevious,
// Move, backward Find) raises once its row has left the window; MoveFirst outside the window runs
// the statement again; MoveLast reads through to the last row. Supports reports adMovePrevious,
// adBookmark and adApproxPosition as unsupported.
class Recordset {
public:
    virtual ~Recordset() = default;

    // Opens source (SQL text or, for adCmdTable/adCmdTableDirect or a bare name with adCmdUnknown,
    // a table) on the connection. options is a CommandTypeEnum value, possibly or-ed with
    // ExecuteOptionEnum bits. Raises when already open, when the connection is closed, or when the
    // database refuses the source.
    virtual void Open(const AnsiString& source, const ConnectionPtr& activeConnection,
                      CursorTypeEnum cursorType = adOpenForwardOnly, LockTypeEnum lockType = adLockReadOnly,
                      Integer options = adCmdUnknown) = 0;
    virtual void Close() = 0; // discards unsent batch changes; raises when closed
    // Watches the fetching of later opens: called on the opening thread with the rows fetched so
    // far, after every block of rows and, where the provider can, while the database works towards
    // the next row. Returning false stops the open, which raises and leaves the recordset closed.
    virtual void SetFetchObserver(std::function<bool(Integer fetched)> observer) = 0;
    virtual void Requery() = 0;        // re-reads the source with the same settings
    virtual Integer State() const = 0; // ObjectStateEnum
    virtual ConnectionPtr ActiveConnection() const = 0;
    virtual AnsiString Source() const = 0;

    virtual CursorTypeEnum CursorType() const = 0;
    virtual void SetCursorType(CursorTypeEnum value) = 0; // before Open only
    virtual LockTypeEnum LockType() const = 0;
    virtual void SetLockType(LockTypeEnum value) = 0; // before Open only
    virtual CursorLocationEnum CursorLocation() const = 0;
    virtual void SetCursorLocation(CursorLocationEnum value) = 0;
    virtual Integer MaxRecords() const = 0;        // 0 = no limit
    virtual void SetMaxRecords(Integer value) = 0; // before Open only; raises for a negative value
    // Rows a streaming recordset holds (its window; a client cursor holds every row and ignores
    // it). The default 1 asks for the engine's window of 4,096 rows; set before Open, raises below 1.
    virtual Integer CacheSize() const = 0;
    virtual void SetCacheSize(Integer value) = 0;
    virtual bool Supports(CursorOptionEnum option) const = 0;

    // Position. At BOF or EOF AbsolutePosition is adPosBOF / adPosEOF; on an empty view both
    // Bof and Eof are true.
    virtual bool Bof() const = 0;
    virtual bool Eof() const = 0;
    virtual Integer AbsolutePosition() const = 0;        // 1-based in the current view
    virtual void SetAbsolutePosition(Integer value) = 0; // raises outside 1..RecordCount
    virtual Integer RecordCount() const = 0;             // rows in the current view
    virtual Variant Bookmark() const = 0;                // raises at BOF or EOF
    virtual void SetBookmark(const Variant& value) = 0;  // raises for an unknown bookmark
    virtual void MoveFirst() = 0;
    virtual void MoveLast() = 0;
    virtual void MoveNext() = 0;     // raises when already at EOF
    virtual void MovePrevious() = 0; // raises when already at BOF
    virtual void Move(Integer numRecords,
                      const Variant& start = Variant()) = 0; // start: a bookmark or BookmarkEnum

    // One criterion "Field op value". Not found: the cursor is at EOF (forward) or BOF (backward).
    virtual void Find(const AnsiString& criteria, Integer skipRecords = 0,
                      SearchDirectionEnum searchDirection = adSearchForward,
                      const Variant& start = Variant()) = 0;
    // A criteria text, or a FilterGroupEnum value; reads back adFilterNone (0) when unfiltered.
    // Setting it moves the cursor to the first record of the new view.
    virtual Variant Filter() const = 0;
    virtual void SetFilter(const Variant& value) = 0;
    virtual AnsiString Sort() const = 0; // "A ASC,B DESC"; empty = fetch order
    virtual void SetSort(const AnsiString& value) = 0;

    virtual Integer Status() const = 0;   // RecordStatusEnum bits of the current record
    virtual Integer EditMode() const = 0; // EditModeEnum

    // Editing. fieldList/values: omitted, one field name and value, or arrays of both.
    virtual void AddNew(const Variant& fieldList = Variant(), const Variant& values = Variant()) = 0;
    virtual void Update(const Variant& fields = Variant(), const Variant& values = Variant()) = 0;
    virtual void CancelUpdate() = 0;
    virtual void Delete(AffectEnum affectRecords = adAffectCurrent) = 0;
    virtual void UpdateBatch(AffectEnum affectRecords = adAffectAll) = 0;
    virtual void CancelBatch(AffectEnum affectRecords = adAffectAll) = 0;
    // For a caller that has written the change to the database its own way: nothing is sent and
    // nothing stays pending for a later Update or UpdateBatch, whatever the lock type.
    // AcceptUpdate ends the edit or AddNew in progress keeping its values on the row (nothing
    // happens without one); AcceptDelete takes the current record out of the recordset as Delete
    // does (raises off a record; an AddNew in progress is cancelled instead).
    virtual void AcceptUpdate() = 0;
    virtual void AcceptDelete() = 0;

    virtual FieldsPtr Fields() const = 0;
    virtual PropertiesPtr Properties() const = 0;
};

// One session with a database. Calls on one connection object are serialised, so several threads
// may share it.
class Connection {
public:
    virtual ~Connection() = default;

    virtual AnsiString ConnectionString() const = 0;
    virtual void SetConnectionString(const AnsiString& value) = 0; // raises while open
    virtual Integer CommandTimeout() const = 0;                    // seconds, 0 = none
    virtual void SetCommandTimeout(Integer value) = 0;
    virtual Integer ConnectionTimeout() const = 0;
    virtual void SetConnectionTimeout(Integer value) = 0;
    virtual CursorLocationEnum CursorLocation() const = 0;
    virtual void SetCursorLocation(CursorLocationEnum value) = 0;
    virtual IsolationLevelEnum IsolationLevel() const = 0;
    virtual void SetIsolationLevel(IsolationLevelEnum value) = 0;
    virtual ConnectModeEnum Mode() const = 0;
    virtual void SetMode(ConnectModeEnum value) = 0; // before Open only
    virtual AnsiString Provider() const = 0;         // "SQLite" or "MSDASQL"
    virtual Integer State() const = 0;               // ObjectStateEnum
    virtual AnsiString Version() const = 0;          // the engine's version text
    virtual PropertiesPtr Properties() const = 0;    // the provider's, incl. "Transaction DDL"

    // connectionString empty = the stored one. userId/password, when given, override the
    // string's "User ID"/"Password" (UID/PWD for ODBC).
    virtual void Open(const AnsiString& connectionString = {}, const AnsiString& userId = {},
                      const AnsiString& password = {}, Integer options = adConnectUnspecified) = 0;
    virtual void Close() = 0; // rolls back an open transaction; raises when closed

    // Runs one statement. Returns an open read-only recordset when the statement yields rows,
    // else a closed one; recordsAffected receives the count of changed rows (-1 for a query).
    virtual RecordsetPtr Execute(const AnsiString& commandText, Variant& recordsAffected,
                                 Integer options = adCmdText) = 0;
    virtual RecordsetPtr Execute(const AnsiString& commandText, Integer options = adCmdText) = 0;

    virtual Integer BeginTrans() = 0; // returns the nesting level (1); raises when one is open
    virtual void CommitTrans() = 0;   // raises without an open transaction
    virtual void RollbackTrans() = 0; // raises without an open transaction

    // Tables: restrictions (catalog, schema, table, type) with "TABLE", "VIEW", "SYSTEM TABLE".
    // Columns: (catalog, schema, table, column). Empty or Null elements do not restrict.
    virtual RecordsetPtr OpenSchema(SchemaEnum schema, const Variant& restrictions = Variant(),
                                    const Variant& schemaId = Variant()) = 0;
};

// ---------------------------------------------------------------------------------------------
// Creators
// ---------------------------------------------------------------------------------------------

struct CoConnection {
    static ConnectionPtr Create();
    // Objects live in this process only: an empty name, "localhost", "127.0.0.1" or this host's
    // name create a local object; any other machine raises EOleException.
    static ConnectionPtr CreateRemote(const AnsiString& machineName);
};

struct CoRecordset {
    static RecordsetPtr Create();
    static RecordsetPtr CreateRemote(const AnsiString& machineName);
};

// A Filter text for the open recordset said as a WHERE condition (without the keyword) that
// selects in its base table exactly the rows the filter lets through, in SQL the recordset's
// connection executes; empty for a filter that restricts nothing. Raises EOleException for a
// malformed filter and for one whose meaning the database's SQL cannot reproduce.
AnsiString FilterAsCondition(const RecordsetPtr& recordset, const AnsiString& filter);

} // namespace vmado
