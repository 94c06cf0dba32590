// ODBC failures as EOleException: our message, then the driver's diagnostic records (SQLSTATE,
// native code and text) kept in their own members; and the UTF-16 conversions of the W calls.
#include "ado/engine/providers/odbc/OdbcPrivate.h"

#include "ado/engine/internal/Text.h"

namespace vmado::engine::odbc {

std::u16string Wide(std::string_view ansi)
{
    return ToUtf16(ansi);
}

AnsiString Narrow(const SQLWCHAR* text, std::size_t length)
{
    return FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type)
{
    const SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
    if (!SQL_SUCCEEDED(rc)) {
        handle_ = SQL_NULL_HANDLE;
        if (parent != SQL_NULL_HANDLE)
            Raise(type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV, parent,
                  "Cannot allocate an ODBC handle");
        throw EOleException("Cannot allocate the ODBC environment", "vmado.ODBC");
    }
}

Handle::~Handle()
{
    if (handle_ != SQL_NULL_HANDLE)
        SQLFreeHandle(type_, handle_);
}

void Raise(SQLSMALLINT type, SQLHANDLE handle, const AnsiString& what)
{
    AnsiString state, text;
    SQLINTEGER native = 0;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE && record <= 10; ++record) {
        SQLWCHAR sqlState[6] = {};
        SQLWCHAR message[1024] = {};
        SQLINTEGER code = 0;
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(type, handle, record, sqlState, &code, message,
                                            static_cast<SQLSMALLINT>(std::size(message)), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        if (record == 1) {
            state = Narrow(sqlState, 5);
            native = code;
        }
        if (!text.empty())
            text += "; ";
        text +=
            Narrow(message, std::min<std::size_t>(static_cast<std::size_t>(length), std::size(message) - 1));
    }
    if (text.empty())
        text = "the driver gave no diagnostic";
    throw EOleException(what + ": " + text, "vmado.ODBC", native, state, text);
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const AnsiString& what)
{
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO && rc != SQL_NO_DATA)
        Raise(type, handle, what);
}

} // namespace vmado::engine::odbc
