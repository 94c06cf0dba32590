// Behaviour tests through the ODBC provider on SQLite's ODBC driver, one temporary file per test.
#include "BackendContext.h"
#include "OdbcConfig.h"
#include "common/OdbcDrivers.h"

#include <filesystem>
#include <unistd.h>

namespace vmado::test {

namespace {

class OdbcSqliteBackend final : public BackendContext {
public:
    ~OdbcSqliteBackend() override
    {
        for (const auto& f : files_) {
            std::error_code ec;
            std::filesystem::remove(f, ec);
        }
    }
    std::string Name() const override { return "odbc-sqlite"; }
    std::string Unavailable() const override
    {
        return OdbcDriverRegistered("SQLite3")
                   ? std::string()
                   : std::string("unixODBC has no driver registered as SQLite3 (odbcinst -q -d)");
    }
    AnsiString ConnectionString() override
    {
        PrivateOdbcConfig();
        const auto file = std::filesystem::temp_directory_path() /
                          ("vmado-odbc-" + std::to_string(getpid()) + "-" + std::to_string(++count_) + ".db");
        std::filesystem::remove(file);
        files_.push_back(file);
        return "Provider=MSDASQL;DRIVER={SQLite3};Database=" + file.string();
    }
    AnsiString AutoKey() const override { return "INTEGER PRIMARY KEY"; }
    DataTypeEnum TextType() const override { return adLongVarChar; }
    // The driver reports BLOB as SQL_BINARY and NUMERIC as SQL_DOUBLE.
    DataTypeEnum BlobAdoType() const override { return adBinary; }
    DataTypeEnum NumericAdoType() const override { return adDouble; }

private:
    int count_ = 0;
    std::vector<std::filesystem::path> files_;
};

} // namespace

BackendContext& Backend()
{
    static OdbcSqliteBackend backend;
    return backend;
}

} // namespace vmado::test
