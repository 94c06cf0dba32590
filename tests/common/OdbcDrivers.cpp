// The system's ODBC driver registrations, read through the driver manager's SQLDrivers.
#include "common/OdbcDrivers.h"

#include <sql.h>
#include <sqlext.h>

#include <map>
#include <stdexcept>

namespace vmado::test {
namespace {

std::map<std::string, std::string> ReadRegistrations()
{
    std::map<std::string, std::string> drivers;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw std::runtime_error("cannot allocate an ODBC environment to list the installed drivers");
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLCHAR description[512];
    SQLCHAR attributes[4096];
    SQLSMALLINT descriptionLength = 0;
    SQLSMALLINT attributesLength = 0;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;
         SQL_SUCCEEDED(SQLDrivers(env, direction, description, sizeof description, &descriptionLength,
                                  attributes, sizeof attributes, &attributesLength));
         direction = SQL_FETCH_NEXT) {
        // Attributes come as key=value entries, each ended by a zero byte, the list by another.
        const char* entry = reinterpret_cast<const char*>(attributes);
        while (*entry) {
            const std::string text(entry);
            if (text.rfind("Driver=", 0) == 0)
                drivers[reinterpret_cast<const char*>(description)] = text.substr(7);
            entry += text.size() + 1;
        }
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return drivers;
}

const std::map<std::string, std::string>& Registrations()
{
    static const std::map<std::string, std::string> drivers = ReadRegistrations();
    return drivers;
}

} // namespace

bool OdbcDriverRegistered(const std::string& name)
{
    const auto found = Registrations().find(name);
    return found != Registrations().end() && !found->second.empty();
}

std::string InstalledOdbcDriver(const std::string& name)
{
    if (!OdbcDriverRegistered(name))
        throw std::runtime_error("unixODBC has no driver registered as '" + name +
                                 "' (see odbcinst -q -d); scripts/setup installs the drivers the tests use");
    return Registrations().at(name);
}

} // namespace vmado::test
