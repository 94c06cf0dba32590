// SQLite failures as EOleException: our message, the database's own text, the extended code and
// an SQLSTATE class derived from the primary code.
#include "ado/engine/providers/sqlite/SqlitePrivate.h"

#include "ado/engine/internal/Text.h"

namespace vmado::engine::sqlite {

namespace {
const char* StateOf(int rc)
{
    switch (rc & 0xFF) {
    case SQLITE_CONSTRAINT:
        return "23000";
    case SQLITE_READONLY:
        return "25006";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "40001";
    case SQLITE_CANTOPEN:
        return "08001";
    case SQLITE_NOMEM:
        return "HY001";
    case SQLITE_INTERRUPT:
        return "HY008";
    case SQLITE_TOOBIG:
        return "22001";
    case SQLITE_MISMATCH:
        return "22018";
    case SQLITE_RANGE:
        return "07009";
    default:
        return "HY000";
    }
}
} // namespace

void Raise(sqlite3* db, int rc, const AnsiString& what)
{
    AnsiString text = db ? FromUtf8(sqlite3_errmsg(db)) : AnsiString(sqlite3_errstr(rc));
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    throw EOleException(what + ": " + text, "vmado.SQLite", code, StateOf(code), text);
}

void Check(sqlite3* db, int rc, const AnsiString& what)
{
    if (rc != SQLITE_OK && rc != SQLITE_ROW && rc != SQLITE_DONE)
        Raise(db, rc, what);
}

} // namespace vmado::engine::sqlite
