// The ODBC connection: driver-manager connect with ADO's key names translated, capabilities read
// once from SQLGetInfo, and transactions by switching auto-commit off until SQLEndTran.
#include "ado/engine/providers/odbc/OdbcPrivate.h"

#include "ado/engine/internal/Text.h"

#include <cstdlib>

namespace vmado::engine::odbc {

namespace {

bool NeedsBraces(const AnsiString& v)
{
    return v.find_first_of(";{}= ") != AnsiString::npos ||
           (!v.empty() && (v.front() == ' ' || v.back() == ' '));
}

AnsiString Braced(const AnsiString& v)
{
    AnsiString out = "{";
    for (char c : v) {
        out += c;
        if (c == '}')
            out += '}';
    }
    return out + "}";
}

} // namespace

bool IsPsqlOdbc(const ConnectionParts& parts)
{
    const AnsiString driver = LowerAscii(parts.Value("DRIVER"));
    return driver.find("postgres") != AnsiString::npos || driver.find("psqlodbc") != AnsiString::npos;
}

bool TakesOwnRollbackLevel(const ConnectionParts& parts)
{
    // "A1" is psqlODBC's short name for Protocol.
    return parts.Find("Protocol") != nullptr || parts.Find("A1") != nullptr;
}

AnsiString DriverConnectionString(const ConnectionParts& parts)
{
    ConnectionParts odbc;
    const bool hasTarget = parts.Find("DSN") || parts.Find("DRIVER") || parts.Find("FILEDSN");
    for (const auto& [key, value] : parts.Items) {
        AnsiString k = key;
        if (EqualsIgnoreCase(key, "User ID"))
            k = "UID";
        else if (EqualsIgnoreCase(key, "Password"))
            k = "PWD";
        else if (EqualsIgnoreCase(key, "Data Source") && !hasTarget)
            k = "DSN";
        else if (EqualsIgnoreCase(key, "Initial Catalog"))
            k = "DATABASE";
        else if (EqualsIgnoreCase(key, "Persist Security Info") ||
                 EqualsIgnoreCase(key, "Extended Properties"))
            continue;
        odbc.Set(k, value);
    }
    // psqlODBC reads a whole result at execute and reports Booleans as text unless told otherwise;
    // the options a caller gives win.
    if (IsPsqlOdbc(odbc)) {
        if (!odbc.Find("UseDeclareFetch"))
            odbc.Set("UseDeclareFetch", "1");
        if (!odbc.Find("Fetch"))
            odbc.Set("Fetch", "2000");
        if (!odbc.Find("BoolsAsChar"))
            odbc.Set("BoolsAsChar", "0");
        // Left to itself psqlODBC undoes a failed statement through savepoints of its own, and
        // with them it loses ours: a failed send then finds its savepoint gone. It is told to
        // leave errors alone, and the connection undoes failed statements itself.
        if (!TakesOwnRollbackLevel(parts))
            odbc.Set("Protocol", "7.4-0");
    }
    // The SQLite driver's StepAPI=1 would spare memory the same way, but in that mode it takes a
    // statement starting with WITH for a query and never runs a WITH ... INSERT: it stays off
    // unless the caller asks for it.
    AnsiString out;
    for (const auto& [key, value] : odbc.Items) {
        if (!out.empty())
            out += ';';
        out += key + "=" + (NeedsBraces(value) ? Braced(value) : value);
    }
    return out;
}

OdbcConnection::OdbcConnection(const ConnectionParts& parts, const OpenOptions& options)
    : env_(SQL_HANDLE_ENV, SQL_NULL_HANDLE)
{
    SQLRETURN rc =
        SQLSetEnvAttr(env_.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    Check(rc, SQL_HANDLE_ENV, env_.Get(), "Cannot prepare the ODBC environment");
    dbc_ = Handle(SQL_HANDLE_DBC, env_.Get());
    if (options.ConnectionTimeout > 0)
        SQLSetConnectAttr(Dbc(), SQL_ATTR_LOGIN_TIMEOUT,
                          reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(options.ConnectionTimeout)), 0);
    if (options.Mode == adModeRead)
        SQLSetConnectAttr(Dbc(), SQL_ATTR_ACCESS_MODE, reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
    commandTimeout_ = options.CommandTimeout;
    const AnsiString text = DriverConnectionString(parts);
    if (text.empty())
        throw EOleException(
            "Cannot open the ODBC connection: the connection string names no data source or driver",
            "vmado.ODBC");
    const auto connect = [&](const AnsiString& line) {
        std::u16string wide = Wide(line);
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        const SQLRETURN connected = SQLDriverConnectW(
            Dbc(), nullptr, reinterpret_cast<SQLWCHAR*>(wide.data()), static_cast<SQLSMALLINT>(wide.size()),
            out, static_cast<SQLSMALLINT>(std::size(out)), &outLength, SQL_DRIVER_NOPROMPT);
        if (!SQL_SUCCEEDED(connected))
            Raise(SQL_HANDLE_DBC, Dbc(), "Cannot open the ODBC connection");
        connected_ = true;
    };
    connect(text);
    bool ownRollbackLevel = IsPsqlOdbc(parts) && !TakesOwnRollbackLevel(parts);
    // A data source name shows which driver serves it only once connected: psqlODBC behind one
    // is connected again, told to leave failed statements to us.
    if (!IsPsqlOdbc(parts) && !TakesOwnRollbackLevel(parts) &&
        LowerAscii(InfoText(SQL_DRIVER_NAME)).find("psqlodbc") != AnsiString::npos) {
        SQLDisconnect(Dbc());
        connected_ = false;
        connect(text + ";Protocol=7.4-0");
        ownRollbackLevel = true;
    }
    // A failure from here on must not leave the driver connected: the destructor will not run.
    try {

        caps_.ProviderName = "MSDASQL";
        caps_.DbmsName = InfoText(SQL_DBMS_NAME);
        caps_.DbmsVersion = InfoText(SQL_DBMS_VER);
        caps_.DriverName = InfoText(SQL_DRIVER_NAME);
        caps_.DriverVersion = InfoText(SQL_DRIVER_VER);
        caps_.IdentifierQuote = InfoText(SQL_IDENTIFIER_QUOTE_CHAR);
        caps_.ReadOnly = InfoText(SQL_DATA_SOURCE_READ_ONLY) == "Y";
        const AnsiString dbms = LowerAscii(caps_.DbmsName);
        if (dbms.find("postgres") != AnsiString::npos) {
            caps_.Dialect = SqlDialect::PostgreSQL;
            caps_.Returning = true;
            leavesErrorsToUs_ = ownRollbackLevel;
        } else if (dbms.find("sqlite") != AnsiString::npos) {
            caps_.Dialect = SqlDialect::SQLite;
            // The SQLite driver runs INSERT ... RETURNING but hands back no rows; keys come from
            // last_insert_rowid() instead. Its connection has no UCASE/LCASE of ours either.
            caps_.Returning = false;
            caps_.CaseFunctions = false;
        }
        SQLUSMALLINT txn = SQL_TC_NONE;
        if (SQL_SUCCEEDED(SQLGetInfo(Dbc(), SQL_TXN_CAPABLE, &txn, sizeof txn, nullptr))) {
            caps_.Transactions = txn != SQL_TC_NONE;
            switch (txn) {
            case SQL_TC_DML:
                caps_.TransactionDDL = 1;
                break;
            case SQL_TC_DDL_COMMIT:
                caps_.TransactionDDL = 2;
                break;
            case SQL_TC_DDL_IGNORE:
                caps_.TransactionDDL = 4;
                break;
            case SQL_TC_ALL:
                caps_.TransactionDDL = 8;
                break;
            default:
                caps_.TransactionDDL = 0;
                break;
            }
        }
        if (caps_.Transactions)
            caps_.Savepoints = ProbeSavepoints();
        if (caps_.Dialect == SqlDialect::SQLite) {
            // The SQLite driver's LIKE would otherwise ignore case, unlike the client cursor's.
            auto s = Prepare("PRAGMA case_sensitive_like = ON");
            s->Execute();
        }
    } catch (...) {
        SQLDisconnect(Dbc());
        throw;
    }
}

bool OdbcConnection::ProbeSavepoints()
{
    // ODBC has no information type for savepoints, so they are tried once, in a transaction of
    // our own that nothing else shares: a DBMS that lacks them refuses the statement. (A driver
    // that sets savepoints of its own may still lose ours later; a send then rolls the whole
    // transaction back, see Sending.cpp.)
    bool works = true;
    try {
        Begin(adXactReadCommitted);
    } catch (const EOleException&) {
        return false;
    }
    try {
        for (const char* sql :
             {"SAVEPOINT vmado_probe", "ROLLBACK TO SAVEPOINT vmado_probe", "RELEASE SAVEPOINT vmado_probe"})
            Prepare(sql)->Execute();
    } catch (const EOleException&) {
        works = false;
    }
    Rollback();
    return works;
}

OdbcConnection::~OdbcConnection()
{
    if (connected_) {
        if (inTransaction_)
            SQLEndTran(SQL_HANDLE_DBC, Dbc(), SQL_ROLLBACK);
        SQLDisconnect(Dbc());
    }
}

AnsiString OdbcConnection::InfoText(SQLUSMALLINT info)
{
    SQLWCHAR buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(Dbc(), info, buffer, sizeof buffer, &length)))
        return {};
    return Narrow(buffer, std::min<std::size_t>(static_cast<std::size_t>(length) / sizeof(SQLWCHAR), 255));
}

std::unique_ptr<ProviderStatement> OdbcConnection::Prepare(std::string_view sql)
{
    return std::make_unique<OdbcStatement>(*this, sql);
}

void OdbcConnection::Begin(IsolationLevelEnum level)
{
    if (inTransaction_)
        throw EOleException("Cannot begin a transaction: one is already open", "vmado.ODBC");
    SQLULEN isolation = 0;
    switch (level) {
    case adXactReadUncommitted:
        isolation = SQL_TXN_READ_UNCOMMITTED;
        break;
    case adXactReadCommitted:
        isolation = SQL_TXN_READ_COMMITTED;
        break;
    case adXactRepeatableRead:
        isolation = SQL_TXN_REPEATABLE_READ;
        break;
    case adXactSerializable:
        isolation = SQL_TXN_SERIALIZABLE;
        break;
    default:
        break;
    }
    // A driver that cannot honour the level keeps its own (SQLite's is always serializable).
    if (isolation)
        SQLSetConnectAttr(Dbc(), SQL_ATTR_TXN_ISOLATION, reinterpret_cast<SQLPOINTER>(isolation), 0);
    const SQLRETURN rc =
        SQLSetConnectAttr(Dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
    Check(rc, SQL_HANDLE_DBC, Dbc(), "Cannot begin a transaction");
    inTransaction_ = true;
}

void OdbcConnection::EndTransaction(SQLSMALLINT completion, const char* what)
{
    if (!inTransaction_)
        throw EOleException(AnsiString("Cannot ") + what + ": no transaction is open", "vmado.ODBC");
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, Dbc(), completion);
    if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
        Raise(SQL_HANDLE_DBC, Dbc(), AnsiString("Cannot ") + what);
    inTransaction_ = false;
    SQLSetConnectAttr(Dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
}

void OdbcConnection::EndAbortedImplicitTransaction() noexcept
{
    // SQLEndTran does nothing while auto-commit is on, so the statement itself is sent; with no
    // transaction open the server only warns.
    try {
        Handle statement(SQL_HANDLE_STMT, Dbc());
        std::u16string text = Wide("ROLLBACK");
        SQLExecDirectW(static_cast<SQLHSTMT>(statement.Get()), reinterpret_cast<SQLWCHAR*>(text.data()),
                       static_cast<SQLINTEGER>(text.size()));
    } catch (...) {
        // the failure that brought us here is what the caller must see
    }
}

void OdbcConnection::Commit()
{
    EndTransaction(SQL_COMMIT, "commit the transaction");
}

void OdbcConnection::Rollback()
{
    EndTransaction(SQL_ROLLBACK, "roll back the transaction");
}

} // namespace vmado::engine::odbc
