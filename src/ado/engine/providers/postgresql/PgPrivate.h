// The native PostgreSQL provider's classes, over libpq: the connection (ADO's connection-string
// keys turned into libpq's, the session set up for ISO dates and exact floats, transactions that
// survive a failed statement) and the statement (prepared on the server, described before it
// runs, rows streamed one at a time in text form and converted straight into typed cells).
// Text crosses the boundary as UTF-8 and is held here in the ANSI code page.
#pragma once

#include "ado/engine/Provider.h"

#include <libpq-fe.h>

#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace vmado::engine::postgresql {

struct ResultClear {
    void operator()(PGresult* r) const noexcept { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultClear>;

// Raises EOleException: what, then the server's message; SQLSTATE kept apart.
[[noreturn]] void Raise(PGconn* conn, const PGresult* result, const AnsiString& what);

// The libpq keywords and values for an ADO-style connection string. Raises for a key neither
// ADO nor libpq knows, naming it.
std::vector<std::pair<std::string, std::string>> LibpqKeywords(const ConnectionParts& parts,
                                                               const OpenOptions& options);

// The statement text with the engine's ? placeholders numbered as the server wants them ($1,
// $2, ...); quoted text, quoted names and comments are left alone. count receives how many.
std::string NumberPlaceholders(std::string_view sql, int& count);

// What a column of the given type (and type modifier) becomes.
void MapPgType(Oid type, int typmod, ColumnMeta& meta);

// The server's text of a value, converted into cell for a column of meta's kind. scratch holds
// converted text or bytes the cell points into. Raises EConvertError naming the column for a
// value the kind cannot hold (an infinite date, a decimal beyond an amount's range).
void ReadText(const ColumnMeta& meta, Oid type, const char* text, std::size_t length, CellRef& cell,
              std::string& scratch);

class PgConnection;

class PgStatement final : public ProviderStatement {
public:
    PgStatement(PgConnection& connection, std::string_view sql);
    ~PgStatement() override;
    int ParameterCount() const override { return parameterCount_; }
    void Bind(int index, const BoundValue& value) override;
    bool Execute() override;
    const std::vector<ColumnMeta>& Columns() override { return columns_; }
    bool Step(std::vector<CellRef>& row) override;
    Int64 RowsAffected() const override { return rowsAffected_; }

    // Reads what is left of the running query into memory, so the connection can run another
    // command; Step goes on from there.
    void Park();

private:
    struct Parameter {
        std::optional<std::string> Value; // nullopt: NULL
        bool Binary = false;
        bool Set = false;
    };
    void Describe(const PGresult* description);
    // The next row of the running query; nullptr when it has ended. Raises what the server said
    // when it failed.
    Result Pull(const AnsiString& what);
    void Finish(bool failed); // the query ended: end its guard savepoint

    PgConnection& connection_;
    std::string name_;
    AnsiString sql_; // as given, for messages
    int parameterCount_ = 0;
    std::vector<Oid> parameterTypes_;
    std::vector<Parameter> parameters_;
    std::vector<ColumnMeta> columns_;
    std::vector<Oid> columnTypes_;
    std::vector<std::string> scratch_; // per column: converted text of the current row
    Result current_;                   // the row the cells point into
    std::deque<Result> parked_;        // rows read ahead by Park
    std::exception_ptr failure_;       // how the query failed while parked
    bool running_ = false;             // the connection is streaming this statement's rows
    bool guarded_ = false;             // a savepoint guards the running query
    Int64 rowsAffected_ = -1;
};

class PgConnection final : public ProviderConnection {
public:
    PgConnection(const ConnectionParts& parts, const OpenOptions& options);
    ~PgConnection() override;
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
    void ForgetSchema() override;

    PGconn* Conn() const { return conn_; }
    // Runs a command without parameters after parking any streaming statement; raises on failure.
    Result Run(const std::string& sql, const AnsiString& what, bool rows = false);
    // Runs a catalogue query with text parameters; every value as text ("" for NULL).
    std::vector<std::vector<std::string>>
    Query(const std::string& sql, const std::vector<std::string>& params, const AnsiString& what);
    // The streaming statement (one at a time per connection).
    void SetStreaming(PgStatement* statement) { streaming_ = statement; }
    PgStatement* Streaming() const { return streaming_; }
    void ParkStreaming();
    std::string NextStatementName() { return "vmado_" + std::to_string(++statements_); }
    // Deallocates a prepared statement now, or with the next command while another streams.
    void Forget(const std::string& name);

    // Where a result column comes from: schema, table and column names, and what the catalogue
    // says of the column. Cached per table.
    struct Origin {
        AnsiString Schema, Table, Column;
        bool NotNull = false;
        bool Generated = false; // identity or serial: the database fills it
    };
    const Origin* OriginOf(Oid table, int column);

private:
    void LoadOrigins(Oid table);
    void DropForgotten();

    PGconn* conn_ = nullptr;
    Capabilities caps_;
    PgStatement* streaming_ = nullptr;
    unsigned long statements_ = 0;
    std::vector<std::string> forgotten_; // prepared statements to deallocate
    std::map<Oid, std::map<int, Origin>> origins_;
    std::map<AnsiString, std::vector<AnsiString>> keys_; // "schema.table" lower-cased
};

} // namespace vmado::engine::postgresql
