// The ODBC provider's classes: RAII owners of environment, connection and statement handles, the
// connection (capabilities from SQLGetInfo) and the statement (block fetch into column arrays).
// Text crosses the boundary as UTF-16 (the W functions) and is held here in the ANSI code page.
#pragma once

#include "ado/engine/Provider.h"

#include <sql.h>
#include <sqlext.h>

#include <map>
#include <optional>
#include <string>

namespace vmado::engine::odbc {

// One ODBC handle, freed with its owner.
class Handle {
public:
    Handle() = default;
    Handle(SQLSMALLINT type, SQLHANDLE parent); // raises when the allocation fails
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_)
    {
        other.handle_ = SQL_NULL_HANDLE;
    }
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            if (handle_ != SQL_NULL_HANDLE)
                SQLFreeHandle(type_, handle_);
            type_ = other.type_;
            handle_ = other.handle_;
            other.handle_ = SQL_NULL_HANDLE;
        }
        return *this;
    }
    SQLHANDLE Get() const { return handle_; }
    SQLSMALLINT Type() const { return type_; }

private:
    SQLSMALLINT type_ = 0;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// Raises EOleException with the driver's diagnostics (SQLSTATE, native code, text).
[[noreturn]] void Raise(SQLSMALLINT type, SQLHANDLE handle, const AnsiString& what);
// Raises unless rc is SQL_SUCCESS, SQL_SUCCESS_WITH_INFO or SQL_NO_DATA.
void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const AnsiString& what);

std::u16string Wide(std::string_view ansi);
AnsiString Narrow(const SQLWCHAR* text, std::size_t length); // length in characters

// The type table: an ODBC SQL type with its size to ADO type and storage kind.
void MapSqlType(SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits, ColumnMeta& meta);
DataTypeEnum AdoTypeOf(SQLSMALLINT sqlType);

class OdbcConnection;

class OdbcStatement final : public ProviderStatement {
public:
    OdbcStatement(OdbcConnection& connection, std::string_view sql);
    ~OdbcStatement() override;
    int ParameterCount() const override { return parameterCount_; }
    void Bind(int index, const BoundValue& value) override;
    bool Execute() override;
    const std::vector<ColumnMeta>& Columns() override;
    bool Step(std::vector<CellRef>& row) override;
    Int64 RowsAffected() const override { return rowsAffected_; }

private:
    struct Parameter {
        SQLSMALLINT CType = SQL_C_CHAR;
        SQLSMALLINT SqlType = SQL_VARCHAR;
        SQLULEN Size = 0;
        SQLSMALLINT Digits = 0;
        std::vector<char> Data;
        SQLLEN Indicator = SQL_NULL_DATA;
        bool Set = false;
    };
    struct ColumnBuffer {
        SQLSMALLINT CType = SQL_C_CHAR;
        SQLLEN Width = 0;       // bytes per row
        bool Long = false;      // bound with LongBound room; a longer value is read with SQLGetData
        std::vector<char> Data; // RowArray rows
        std::vector<SQLLEN> Indicators;
    };
    bool Run();                            // SQLExecute and the result's shape
    bool Fetch(std::vector<CellRef>& row); // Step without the clean-up after a failure
    void Describe();
    void BindColumns();
    bool FetchBlock();
    bool DatesAsText() const; // dates, times and time stamps are read as the server's text
    bool BlockGetData();      // the driver reads a bound column of a block's row with SQLGetData
    void ReadCell(std::size_t col, std::size_t rowInBlock, CellRef& cell);
    void ReadLongCell(std::size_t col, CellRef& cell);
    // The text's UTF-16 units (kept in stored_) when convert_[col] could not hold them; else empty.
    std::string_view KeepWhenLossy(std::size_t col, const char* units, std::size_t bytes);
    SQLHSTMT H() const { return static_cast<SQLHSTMT>(stmt_.Get()); }

    OdbcConnection& connection_;
    Handle stmt_;
    AnsiString sql_;
    int parameterCount_ = 0;
    std::vector<Parameter> parameters_;
    std::vector<ColumnMeta> columns_;
    std::vector<SQLSMALLINT> sqlTypes_;
    std::vector<ColumnBuffer> buffers_;
    std::vector<std::string> convert_; // per column: the current cell's text
    std::vector<std::string> stored_;  // per column: its UTF-16 units when convert_ lost some
    bool described_ = false;
    bool executed_ = false;
    bool hasRows_ = false;
    bool longMode_ = false; // a long column: one row at a time with SQLGetData, unless BlockGetData
    int blockGetData_ = -1; // BlockGetData's answer once asked
    bool bound_ = false;
    bool done_ = false;
    SQLULEN rowsFetched_ = 0;
    SQLULEN rowArray_ = 1;
    std::size_t next_ = 0; // next row of the block
    Int64 rowsAffected_ = -1;
};

class OdbcConnection final : public ProviderConnection {
public:
    OdbcConnection(const ConnectionParts& parts, const OpenOptions& options);
    ~OdbcConnection() override;
    const Capabilities& Caps() const override { return caps_; }
    std::unique_ptr<ProviderStatement> Prepare(std::string_view sql) override;
    void SetCommandTimeout(Integer seconds) override { commandTimeout_ = seconds; }
    void Begin(IsolationLevelEnum level) override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override { return inTransaction_; }
    std::vector<CatalogTable> Tables() override;
    std::vector<CatalogColumn> Columns(const AnsiString& table) override;
    std::vector<AnsiString> PrimaryKey(const AnsiString& schema, const AnsiString& table) override;
    std::vector<AnsiString> BooleanColumns() override;
    void ForgetSchema() override { keys_.clear(); }

    SQLHDBC Dbc() const { return static_cast<SQLHDBC>(dbc_.Get()); }
    Integer CommandTimeout() const { return commandTimeout_; }
    // The driver was told not to step in after an error, so the failed statement is undone here:
    // PostgreSQL would otherwise refuse everything up to the rollback.
    bool LeavesErrorsToUs() const { return leavesErrorsToUs_; }
    // Outside our transactions the driver may have opened one of its own (for a cursor); a
    // failure leaves it aborted, so it is rolled back. Never throws.
    void EndAbortedImplicitTransaction() noexcept;

private:
    void EndTransaction(SQLSMALLINT completion, const char* what);
    AnsiString InfoText(SQLUSMALLINT info);
    bool ProbeSavepoints(); // at connect, outside any transaction

    Handle env_;
    Handle dbc_;
    bool connected_ = false;
    Capabilities caps_;
    Integer commandTimeout_ = 30;
    bool inTransaction_ = false;
    bool leavesErrorsToUs_ = false;
    std::map<AnsiString, std::vector<AnsiString>> keys_;
};

// Builds the string handed to the driver manager: ADO's names become ODBC's (User ID -> UID,
// Password -> PWD, Data Source -> DSN, Initial Catalog -> DATABASE); values that need it are braced.
// For psqlODBC the level of rollback on errors is set to none unless the caller gives one.
AnsiString DriverConnectionString(const ConnectionParts& parts);
bool IsPsqlOdbc(const ConnectionParts& parts);
bool TakesOwnRollbackLevel(const ConnectionParts& parts); // the caller chose psqlODBC's Protocol

} // namespace vmado::engine::odbc
