// PostgreSQL failures as EOleException: our message, then the server's primary text (and its
// detail), with the SQLSTATE kept apart.
#include "ado/engine/providers/postgresql/PgPrivate.h"

#include "ado/engine/internal/Text.h"

namespace vmado::engine::postgresql {

void Raise(PGconn* conn, const PGresult* result, const AnsiString& what)
{
    AnsiString text, state;
    if (result) {
        const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
        const char* detail = PQresultErrorField(result, PG_DIAG_MESSAGE_DETAIL);
        const char* code = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        if (primary)
            text = FromUtf8(primary);
        if (detail)
            text += " (" + FromUtf8(detail) + ")";
        if (code)
            state = code;
    }
    if (text.empty() && conn)
        text = Trim(FromUtf8(PQerrorMessage(conn)));
    if (text.empty())
        text = "the server gave no message";
    throw EOleException(what + ": " + text, "vmado.PostgreSQL", 0, state, text);
}

} // namespace vmado::engine::postgresql
