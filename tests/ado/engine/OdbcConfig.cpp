// The tests' private unixODBC configuration files.
#include "OdbcConfig.h"

#include "common/OdbcDrivers.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vmado::test {

std::string PrivateOdbcConfig()
{
    static const std::string folder = [] {
        const auto dir = std::filesystem::temp_directory_path() / ("vmado-odbc-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        {
            std::ofstream inst(dir / "odbcinst.ini");
            inst << "[ODBC]\nTrace=No\n\n"
                 << "[SQLite3]\nDescription=SQLite3 ODBC Driver\nDriver=" << InstalledOdbcDriver("SQLite3")
                 << "\nFileExtns=*.db,*.sqlite\n\n"
                 << "[PostgreSQL Unicode]\nDescription=PostgreSQL ODBC driver (Unicode)\nDriver="
                 << InstalledOdbcDriver("PostgreSQL Unicode") << "\nCommLog=0\nDebug=0\n";
        }
        {
            std::ofstream(dir / "odbc.ini") << "[ODBC Data Sources]\n";
        }
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(
                std::filesystem::temp_directory_path() / ("vmado-odbc-" + std::to_string(getpid())), ec);
        });
        setenv("ODBCSYSINI", dir.c_str(), 1);
        setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
        return dir.string();
    }();
    return folder;
}

} // namespace vmado::test
