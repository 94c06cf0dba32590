// The provider abstraction: a provider connection (open, transactions, capabilities read once at
// connect, catalogue) and a provider statement (prepare, bind, step into a typed row, column
// metadata). The client cursor sees only these; it never knows which provider fed it.
#pragma once

#include "ado/ADOApi.h"
#include "ado/engine/expression/Expression.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace vmado::engine {

enum class SqlDialect { SQLite, PostgreSQL, Generic };

// Read once when the connection opens.
struct Capabilities {
    AnsiString ProviderName; // "SQLite", "MSDASQL"
    AnsiString DbmsName;     // "SQLite", "PostgreSQL", ...
    AnsiString DbmsVersion;
    AnsiString DriverName; // ODBC driver file, empty for embedded providers
    AnsiString DriverVersion;
    SqlDialect Dialect = SqlDialect::Generic;
    bool Transactions = false;  // BeginTrans is possible at all
    Integer TransactionDDL = 0; // 0 none, 1 DML only, 2 DDL commits, 4 DDL ignored, 8 DDL and DML
    bool Returning = false;     // INSERT ... RETURNING gives generated keys
    bool Savepoints = false;    // SAVEPOINT / ROLLBACK TO SAVEPOINT work inside a transaction
    bool ReadOnly = false;
    bool CaseFunctions = true; // UCASE/LCASE exist (else the dialect writes UPPER/LOWER)
    AnsiString IdentifierQuote = "\"";
};

// One result column as the provider describes it.
struct ColumnMeta {
    AnsiString Name;
    DataTypeEnum Type = adVarChar;
    ValueKind Kind = ValueKind::Text; // how the cursor stores it
    Integer DefinedSize = 0;          // 0 for text: the longest value decides after materialising
    Byte Precision = 255;
    Byte Scale = 255;
    bool Nullable = true;
    bool Long = false;         // memo or blob
    bool Unbounded = false;    // text or bytes the database sets no length for
    bool KindFromData = false; // no declared type: the values decide Type and Kind
    AnsiString BaseSchema;
    AnsiString BaseTable; // empty for an expression
    AnsiString BaseColumn;
    bool PrimaryKey = false;
    bool AutoIncrement = false; // the database generates it on INSERT
};

// A value bound to a statement parameter; the text/bytes it borrows must outlive the execution.
// Date values are days since 1899-12-30; DateKind tells the provider how to render them.
struct BoundValue {
    CellRef Cell;
    DataTypeEnum Type = adEmpty; // the column's type when known (adDBDate, adDBTime, ...)
};

class ProviderStatement {
public:
    virtual ~ProviderStatement() = default;
    virtual int ParameterCount() const = 0;
    // index counts from 1. Raises for an index out of range.
    virtual void Bind(int index, const BoundValue& value) = 0;
    // Runs the statement (after binding); returns true when it yields rows.
    virtual bool Execute() = 0;
    // Valid after Execute for a statement that yields rows.
    virtual const std::vector<ColumnMeta>& Columns() = 0;
    // Fills row (one cell per column) with the next row; the text views stay valid until the
    // next call. Returns false after the last row.
    virtual bool Step(std::vector<CellRef>& row) = 0;
    virtual Int64 RowsAffected() const = 0; // -1 when the statement was a query
};

struct CatalogTable {
    AnsiString Catalog, Schema, Name, Type; // Type: "TABLE", "VIEW", "SYSTEM TABLE"
};

struct CatalogColumn {
    AnsiString Catalog, Schema, Table, Name;
    Integer Ordinal = 0; // from 1
    DataTypeEnum Type = adVarChar;
    Integer Size = 0;
    Byte Precision = 255, Scale = 255;
    bool Nullable = true;
    bool HasDefault = false;
    AnsiString Default;
};

// The parts of a connection string: keys as written (compared ignoring case), values unquoted.
struct ConnectionParts {
    std::vector<std::pair<AnsiString, AnsiString>> Items;
    const AnsiString* Find(std::string_view key) const; // nullptr when absent
    AnsiString Value(std::string_view key) const;       // empty when absent
    void Set(const AnsiString& key, const AnsiString& value);
    void Remove(std::string_view key);
};
// Parses "k=v;k2={v;2};k3='v'". Raises EOleException for an unterminated quote or brace.
ConnectionParts ParseConnectionString(std::string_view text);

struct OpenOptions {
    Integer ConnectionTimeout = 15;
    Integer CommandTimeout = 30;
    ConnectModeEnum Mode = adModeUnknown;
    IsolationLevelEnum IsolationLevel = adXactChaos;
};

class ProviderConnection {
public:
    virtual ~ProviderConnection() = default;
    virtual const Capabilities& Caps() const = 0;
    // sql is already in the backend's dialect.
    virtual std::unique_ptr<ProviderStatement> Prepare(std::string_view sql) = 0;
    virtual void SetCommandTimeout(Integer seconds) = 0;
    virtual void Begin(IsolationLevelEnum level) = 0;
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
    virtual bool InTransaction() const = 0;
    virtual std::vector<CatalogTable> Tables() = 0;
    virtual std::vector<CatalogColumn> Columns(const AnsiString& table) = 0; // empty: every table
    // Primary-key columns of a base table in key order; empty when it has none.
    virtual std::vector<AnsiString> PrimaryKey(const AnsiString& schema, const AnsiString& table) = 0;
    // Names, lower-cased, of every Boolean column of the database (the dialect rewrites -1/0
    // compared with them).
    virtual std::vector<AnsiString> BooleanColumns() = 0;
    // Drops what was cached about the schema (keys, Boolean columns) after DDL.
    virtual void ForgetSchema() = 0;
    // While set, a running statement asks check now and then and is abandoned when it answers
    // true; a provider that cannot interrupt its statements ignores it.
    virtual void SetInterruptCheck(std::function<bool()> check) {}
};

using ProviderFactory = std::function<std::unique_ptr<ProviderConnection>(const ConnectionParts& parts,
                                                                          const OpenOptions& options)>;

// The registry keyed by the connection string's Provider value (compared ignoring case).
// Registering a name again replaces the factory.
void RegisterProvider(const AnsiString& name, ProviderFactory factory);
void UnregisterProvider(const AnsiString& name);
// Raises EOleException naming the provider when none is registered under the name.
ProviderFactory FindProvider(const AnsiString& name);

// The built-in providers; FindProvider registers them on first use.
void RegisterSqliteProvider();
void RegisterOdbcProvider();
void RegisterPostgresProvider();

} // namespace vmado::engine
