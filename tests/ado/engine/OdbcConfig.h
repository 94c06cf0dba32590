// A private unixODBC configuration for the tests: odbcinst.ini with the SQLite and PostgreSQL
// drivers (CommLog off) in a temporary folder, reached through ODBCSYSINI and ODBCINI.
#pragma once

#include <string>

namespace vmado::test {

// Writes the files once per process and points the driver manager at them; returns the folder.
std::string PrivateOdbcConfig();

constexpr const char* SqliteOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* PostgresOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";

} // namespace vmado::test
