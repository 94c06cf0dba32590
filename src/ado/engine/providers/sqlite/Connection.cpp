// The SQLite connection: opens the file, makes LIKE case-sensitive (so the database and the
// client cursor select the same rows), registers the ODBC scalar functions SQLite lacks, and
// brackets transactions.
#include "ado/engine/providers/sqlite/SqlitePrivate.h"

#include "ado/engine/internal/Text.h"
#include "framework/rtl/SysUtils.h"

#include <climits>

namespace vmado::engine::sqlite {

namespace {

// UCASE/LCASE through the code page's case tables: SQLite's own upper() only folds ASCII.
template <bool Upper> void CaseFunction(sqlite3_context* context, int argc, sqlite3_value** argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(context, argv[0]);
        return;
    }
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const AnsiString text =
        FromUtf8(std::string_view(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(argv[0]))));
    const std::string out = ToUtf8(Upper ? AnsiUpperCase(text) : AnsiLowerCase(text));
    sqlite3_result_text64(context, out.data(), out.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// Without a command timeout a locked database is waited for as long as it takes, checking
// again after sleeps that grow to a tenth of a second.
int WaitWhileBusy(void*, int count)
{
    sqlite3_sleep(count < 7 ? 1 << count : 100);
    return 1;
}

} // namespace

SqliteConnection::SqliteConnection(const ConnectionParts& parts, const OpenOptions& options)
{
    const AnsiString* source = parts.Find("Data Source");
    if (!source)
        source = parts.Find("DataSource");
    if (!source)
        source = parts.Find("Database");
    if (!source || source->empty())
        throw EOleException("Cannot open the SQLite database: the connection string names no 'Data Source'",
                            "vmado.SQLite");
    // The connection object serialises every call on its own mutex, so SQLite's per-call
    // locking would only add cost to each column read.
    int flags = SQLITE_OPEN_NOMUTEX;
    flags |= options.Mode == adModeRead ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const std::string file = *source == ":memory:" ? std::string(":memory:") : ToUtf8(*source);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, flags, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK)
        Raise(db_.get(), rc, "Cannot open the SQLite database '" + *source + "'");
    sqlite3_extended_result_codes(db_.get(), 1);
    SetCommandTimeout(options.CommandTimeout);
    // Reading the schema here turns a file that is not a database into an error at open.
    Exec("PRAGMA case_sensitive_like = ON", "Cannot open the SQLite database '" + *source + "'");
    Exec("SELECT count(*) FROM sqlite_master", "Cannot open the SQLite database '" + *source + "'");
    RegisterFunctions();
    sqlite3_progress_handler(db_.get(), 20000, &SqliteConnection::Progress, this);

    caps_.ProviderName = "SQLite";
    caps_.DbmsName = "SQLite";
    caps_.DbmsVersion = sqlite3_libversion();
    caps_.Dialect = SqlDialect::SQLite;
    caps_.Transactions = true;
    caps_.TransactionDDL = 8; // DDL and DML both roll back
    caps_.Savepoints = true;
    caps_.Returning = sqlite3_libversion_number() >= 3035000;
    caps_.ReadOnly = sqlite3_db_readonly(db_.get(), "main") == 1;
}

void SqliteConnection::RegisterFunctions()
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = sqlite3_create_function_v2(db_.get(), "UCASE", 1, flags, nullptr, &CaseFunction<true>, nullptr,
                                        nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db_.get(), "LCASE", 1, flags, nullptr, &CaseFunction<false>, nullptr,
                                        nullptr, nullptr);
    Check(db_.get(), rc, "Cannot register the SQL functions UCASE and LCASE");
}

void SqliteConnection::Exec(const char* sql, const AnsiString& what)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        Raise(db_.get(), rc, what);
}

std::unique_ptr<ProviderStatement> SqliteConnection::Prepare(std::string_view sql)
{
    return std::make_unique<SqliteStatement>(*this, sql);
}

void SqliteConnection::SetCommandTimeout(Integer seconds)
{
    // Waiting for another connection's lock counts against the timeout, as does running.
    commandTimeout_ = seconds;
    if (seconds > 0)
        sqlite3_busy_timeout(db_.get(), seconds > INT_MAX / 1000 ? INT_MAX : seconds * 1000);
    else
        sqlite3_busy_handler(db_.get(), &WaitWhileBusy, nullptr);
}

void SqliteConnection::BeginCommand()
{
    deadline_ = commandTimeout_ > 0 ? std::chrono::steady_clock::now() + std::chrono::seconds(commandTimeout_)
                                    : std::chrono::steady_clock::time_point{};
}

int SqliteConnection::Progress(void* self)
{
    const auto* connection = static_cast<SqliteConnection*>(self);
    if (connection->interruptCheck_ && connection->interruptCheck_())
        return 1;
    const auto& deadline = connection->deadline_;
    return deadline != std::chrono::steady_clock::time_point{} && std::chrono::steady_clock::now() > deadline;
}

void SqliteConnection::Begin(IsolationLevelEnum)
{
    // SQLite is serializable whatever the level asked for.
    Exec("BEGIN", "Cannot begin a transaction");
}

void SqliteConnection::Commit()
{
    Exec("COMMIT", "Cannot commit the transaction");
}

void SqliteConnection::Rollback()
{
    Exec("ROLLBACK", "Cannot roll back the transaction");
}

bool SqliteConnection::InTransaction() const
{
    return sqlite3_get_autocommit(db_.get()) == 0;
}

} // namespace vmado::engine::sqlite
