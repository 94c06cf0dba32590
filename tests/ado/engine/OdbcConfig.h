// A private unixODBC configuration for the tests: odbcinst.ini naming the files unixODBC has
// registered for the SQLite and PostgreSQL drivers (CommLog off) in a temporary folder, reached
// through ODBCSYSINI and ODBCINI.
#pragma once

#include <string>

namespace vmado::test {

// Writes the files once per process and points the driver manager at them; returns the folder.
std::string PrivateOdbcConfig();

} // namespace vmado::test
