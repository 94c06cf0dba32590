// The PostgreSQL connection: ADO's connection-string keys become libpq's, the session is set up
// so every value reads back in one known text form (UTF-8, ISO dates, floats to the last
// digit), and transactions are plain BEGIN/COMMIT/ROLLBACK whose state libpq reports.
#include "ado/engine/providers/postgresql/PgPrivate.h"

#include "ado/engine/internal/Text.h"

#include <climits>

namespace vmado::engine::postgresql {

namespace {

struct KeyName {
    const char* Ado;
    const char* Libpq;
};

// ADO's names (and the ODBC ones people carry over) for libpq's keywords.
const KeyName KeyNames[] = {
    {"Data Source", "host"},
    {"Server", "host"},
    {"Host", "host"},
    {"Address", "hostaddr"},
    {"Port", "port"},
    {"Initial Catalog", "dbname"},
    {"Database", "dbname"},
    {"User ID", "user"},
    {"UID", "user"},
    {"User", "user"},
    {"Password", "password"},
    {"PWD", "password"},
    {"SSL Mode", "sslmode"},
    {"SSLMode", "sslmode"},
    {"Application Name", "application_name"},
    {"Connect Timeout", "connect_timeout"},
};

// Keys of the ADO connection string that say nothing to the server.
const char* const IgnoredKeys[] = {"Provider", "Persist Security Info", "Extended Properties", "Mode"};

bool IsLibpqKeyword(std::string_view key)
{
    static const std::vector<std::string> known = [] {
        std::vector<std::string> names;
        PQconninfoOption* options = PQconndefaults();
        for (PQconninfoOption* o = options; o && o->keyword; ++o)
            names.emplace_back(o->keyword);
        PQconninfoFree(options);
        return names;
    }();
    for (const auto& name : known)
        if (name == key)
            return true;
    return false;
}

std::string QuoteSetting(const AnsiString& value)
{
    // A setting passed through "options" has its blanks and backslashes escaped with a backslash.
    std::string out;
    for (char c : ToUtf8(value)) {
        if (c == ' ' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

} // namespace

std::vector<std::pair<std::string, std::string>> LibpqKeywords(const ConnectionParts& parts,
                                                               const OpenOptions& options)
{
    std::vector<std::pair<std::string, std::string>> out;
    auto set = [&](const std::string& key, const std::string& value) {
        for (auto& [k, v] : out)
            if (k == key) {
                v = value;
                return;
            }
        out.emplace_back(key, value);
    };
    std::string settings;
    for (const auto& [key, value] : parts.Items) {
        bool done = false;
        for (const char* ignored : IgnoredKeys)
            if (EqualsIgnoreCase(key, ignored))
                done = true;
        for (const KeyName& k : KeyNames)
            if (!done && EqualsIgnoreCase(key, k.Ado)) {
                set(k.Libpq, ToUtf8(value));
                done = true;
            }
        if (done)
            continue;
        if (EqualsIgnoreCase(key, "Search Path")) {
            settings += " -c search_path=" + QuoteSetting(value);
        } else if (IsLibpqKeyword(LowerAscii(key))) {
            // libpq's own spelling passes through, so anything it can do is reachable.
            if (LowerAscii(key) == "options")
                settings += " " + ToUtf8(value);
            else
                set(LowerAscii(key), ToUtf8(value));
        } else {
            throw EOleException("Cannot open the PostgreSQL connection: the connection string key '" + key +
                                    "' is not one this provider knows",
                                "vmado.PostgreSQL");
        }
    }
    bool hasTimeout = false;
    for (const auto& [k, v] : out)
        hasTimeout = hasTimeout || k == "connect_timeout";
    if (!hasTimeout && options.ConnectionTimeout > 0)
        set("connect_timeout", std::to_string(options.ConnectionTimeout));
    if (!settings.empty())
        set("options", settings.substr(1));
    // Text in one known encoding whatever the server's, so conversion happens here only.
    set("client_encoding", "UTF8");
    return out;
}

PgConnection::PgConnection(const ConnectionParts& parts, const OpenOptions& options)
{
    const auto keywords = LibpqKeywords(parts, options);
    std::vector<const char*> keys, values;
    for (const auto& [k, v] : keywords) {
        keys.push_back(k.c_str());
        values.push_back(v.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    conn_ = PQconnectdbParams(keys.data(), values.data(), 0);
    if (!conn_)
        throw EOleException("Cannot open the PostgreSQL connection: out of memory", "vmado.PostgreSQL");
    if (PQstatus(conn_) != CONNECTION_OK) {
        const AnsiString text = Trim(FromUtf8(PQerrorMessage(conn_)));
        PQfinish(conn_);
        conn_ = nullptr;
        throw EOleException("Cannot open the PostgreSQL connection: " + text, "vmado.PostgreSQL", 0, "08001",
                            text);
    }
    try {
        // ISO dates and times, floats that read back to the same double, and an interval
        // style that parses: the forms the reader expects.
        Run("SET DateStyle TO ISO, YMD; SET extra_float_digits TO 3; SET IntervalStyle TO iso_8601",
            "Cannot set up the PostgreSQL session");
        SetCommandTimeout(options.CommandTimeout);
        if (options.Mode == adModeRead)
            Run("SET default_transaction_read_only TO on", "Cannot make the PostgreSQL session read-only");
        caps_.ProviderName = "PostgreSQL";
        caps_.DbmsName = "PostgreSQL";
        const int version = PQserverVersion(conn_);
        caps_.DbmsVersion = std::to_string(version / 10000) + "." + std::to_string(version % 10000);
        caps_.Dialect = SqlDialect::PostgreSQL;
        caps_.Transactions = true;
        caps_.TransactionDDL = 8; // DDL and DML both roll back
        caps_.Savepoints = true;
        caps_.Returning = true;
        caps_.ReadOnly = options.Mode == adModeRead;
        caps_.IdentifierQuote = "\"";
    } catch (...) {
        PQfinish(conn_);
        conn_ = nullptr;
        throw;
    }
}

PgConnection::~PgConnection()
{
    // An open transaction ends with the session, rolled back by the server.
    if (conn_)
        PQfinish(conn_);
}

std::unique_ptr<ProviderStatement> PgConnection::Prepare(std::string_view sql)
{
    return std::make_unique<PgStatement>(*this, sql);
}

void PgConnection::ParkStreaming()
{
    if (streaming_)
        streaming_->Park();
    DropForgotten();
}

void PgConnection::Forget(const std::string& name)
{
    forgotten_.push_back(name);
    if (!streaming_)
        DropForgotten();
}

void PgConnection::DropForgotten()
{
    // Freed after the fact: a failure here must not hide the work that was done.
    while (!forgotten_.empty()) {
        const std::string sql = "DEALLOCATE " + forgotten_.back();
        forgotten_.pop_back();
        Result r(PQexec(conn_, sql.c_str()));
    }
}

Result PgConnection::Run(const std::string& sql, const AnsiString& what, bool rows)
{
    ParkStreaming();
    Result r(PQexec(conn_, sql.c_str()));
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && !(rows && status == PGRES_TUPLES_OK))
        Raise(conn_, r.get(), what);
    return r;
}

std::vector<std::vector<std::string>>
PgConnection::Query(const std::string& sql, const std::vector<std::string>& params, const AnsiString& what)
{
    ParkStreaming();
    std::vector<const char*> values;
    for (const auto& p : params)
        values.push_back(p.c_str());
    Result r(PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                          nullptr, nullptr, 0));
    if (!r || PQresultStatus(r.get()) != PGRES_TUPLES_OK)
        Raise(conn_, r.get(), what);
    std::vector<std::vector<std::string>> rows(static_cast<std::size_t>(PQntuples(r.get())));
    const int columns = PQnfields(r.get());
    for (int i = 0; i < PQntuples(r.get()); ++i)
        for (int c = 0; c < columns; ++c)
            rows[static_cast<std::size_t>(i)].emplace_back(
                PQgetvalue(r.get(), i, c), static_cast<std::size_t>(PQgetlength(r.get(), i, c)));
    return rows;
}

void PgConnection::SetCommandTimeout(Integer seconds)
{
    const long long ms =
        seconds > 0 ? std::min<long long>(static_cast<long long>(seconds) * 1000, INT_MAX) : 0;
    Run("SET statement_timeout TO " + std::to_string(ms), "Cannot set the command timeout");
}

bool PgConnection::InTransaction() const
{
    PGTransactionStatusType status = PQtransactionStatus(conn_);
    if (status == PQTRANS_ACTIVE) {
        // A query still streaming hides the state; reading it to the end shows it, and changes
        // nothing the caller can see.
        const_cast<PgConnection*>(this)->ParkStreaming();
        status = PQtransactionStatus(conn_);
    }
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
}

void PgConnection::Begin(IsolationLevelEnum level)
{
    if (InTransaction())
        throw EOleException("Cannot begin a transaction: one is already open", "vmado.PostgreSQL");
    const char* isolation = "";
    switch (level) {
    case adXactReadUncommitted:
        isolation = " ISOLATION LEVEL READ UNCOMMITTED";
        break;
    case adXactReadCommitted:
        isolation = " ISOLATION LEVEL READ COMMITTED";
        break;
    case adXactRepeatableRead:
        isolation = " ISOLATION LEVEL REPEATABLE READ";
        break;
    case adXactSerializable:
        isolation = " ISOLATION LEVEL SERIALIZABLE";
        break;
    default:
        break;
    }
    Run(std::string("BEGIN") + isolation, "Cannot begin a transaction");
}

void PgConnection::Commit()
{
    if (!InTransaction())
        throw EOleException("Cannot commit the transaction: no transaction is open", "vmado.PostgreSQL");
    // COMMIT of a transaction a failure has aborted rolls it back and says nothing: say it.
    const bool failed = PQtransactionStatus(conn_) == PQTRANS_INERROR;
    Run("COMMIT", "Cannot commit the transaction");
    if (failed)
        throw EOleException("Cannot commit the transaction: a statement in it failed, so the database "
                            "rolled it back",
                            "vmado.PostgreSQL", 0, "25P02");
}

void PgConnection::Rollback()
{
    if (!InTransaction())
        throw EOleException("Cannot roll back the transaction: no transaction is open", "vmado.PostgreSQL");
    Run("ROLLBACK", "Cannot roll back the transaction");
}

void PgConnection::ForgetSchema()
{
    keys_.clear();
    origins_.clear();
}

} // namespace vmado::engine::postgresql
