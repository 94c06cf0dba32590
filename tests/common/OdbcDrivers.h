// Where the ODBC drivers the tests use are installed, as unixODBC's own registration says, so the
// tests' private odbcinst.ini loads the same driver files as the system's on any architecture.
#pragma once

#include <string>

namespace vmado::test {

// The Driver entry of the driver registered under name (odbcinst -q -d lists them), as the
// driver manager reports it; raises std::runtime_error naming the driver when it is not registered.
// The registrations are read once, at the first call: call it before pointing ODBCSYSINI elsewhere.
std::string InstalledOdbcDriver(const std::string& name);
bool OdbcDriverRegistered(const std::string& name);

} // namespace vmado::test
