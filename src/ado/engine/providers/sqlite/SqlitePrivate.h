// The SQLite provider's classes: RAII owners of the sqlite3 handles, the connection and the
// statement. Text crosses the boundary as UTF-8 in the database and ANSI code-page bytes here.
#pragma once

#include "ado/engine/Provider.h"

#include <sqlite3.h>

#include <chrono>
#include <map>
#include <memory>
#include <string>

namespace vmado::engine::sqlite {

struct DbCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;

struct StmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

// Raises EOleException: message = what + the database's text; code = extended result code.
[[noreturn]] void Raise(sqlite3* db, int rc, const AnsiString& what);
void Check(sqlite3* db, int rc, const AnsiString& what); // raises unless rc is OK, ROW or DONE

// One row of the type table: what a declared type becomes.
struct TypeInfo {
    DataTypeEnum Type;
    ValueKind Kind;
    Integer Size; // 0: from the declaration's length or the data
    bool Long;
};
// Maps a declared column type ("VARCHAR(20)", "BOOLEAN", "" ...); fills size, precision, scale
// from the declaration's parentheses. KindFromData is set for an empty declaration.
void MapDeclaredType(std::string_view declared, ColumnMeta& meta);

class SqliteConnection;

class SqliteStatement final : public ProviderStatement {
public:
    SqliteStatement(SqliteConnection& connection, std::string_view sql);
    int ParameterCount() const override;
    void Bind(int index, const BoundValue& value) override;
    bool Execute() override;
    const std::vector<ColumnMeta>& Columns() override;
    bool Step(std::vector<CellRef>& row) override;
    Int64 RowsAffected() const override { return rowsAffected_; }

private:
    void Describe();

    SqliteConnection& connection_;
    StmtHandle stmt_;
    std::vector<ColumnMeta> columns_;
    std::vector<std::string> bound_;   // UTF-8 copies of bound text
    std::vector<std::string> convert_; // per column: non-ASCII text converted to ANSI
    bool described_ = false;
    bool executed_ = false;
    bool pendingRow_ = false; // Execute stepped onto the first row already
    bool done_ = false;
    Int64 rowsAffected_ = -1;
};

class SqliteConnection final : public ProviderConnection {
public:
    SqliteConnection(const ConnectionParts& parts, const OpenOptions& options);
    const Capabilities& Caps() const override { return caps_; }
    std::unique_ptr<ProviderStatement> Prepare(std::string_view sql) override;
    void SetCommandTimeout(Integer seconds) override;
    void Begin(IsolationLevelEnum level) override;
    void Commit() override;
    void Rollback() override;
    bool InTransaction() const override;
    std::vector<CatalogTable> Tables() override;
    std::vector<CatalogColumn> Columns(const AnsiString& table) override;
    std::vector<AnsiString> PrimaryKey(const AnsiString& schema, const AnsiString& table) override;
    std::vector<AnsiString> BooleanColumns() override;
    void ForgetSchema() override { keys_.clear(); }
    void SetInterruptCheck(std::function<bool()> check) override { interruptCheck_ = std::move(check); }

    sqlite3* Db() const { return db_.get(); }
    void Exec(const char* sql, const AnsiString& what);
    // Bounds the statement started now by the command timeout: past it SQLite interrupts the
    // statement, which then fails. EndCommand lifts the bound.
    void BeginCommand();
    void EndCommand() { deadline_ = {}; }

private:
    void RegisterFunctions();

    static int Progress(void* self);

    DbHandle db_;
    Capabilities caps_;
    Integer commandTimeout_ = 30;
    std::chrono::steady_clock::time_point deadline_{};
    std::function<bool()> interruptCheck_;
    std::map<AnsiString, std::vector<AnsiString>> keys_; // "schema.table" lower-cased -> key columns
};

} // namespace vmado::engine::sqlite
