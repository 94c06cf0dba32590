// The wrapper tests through the ODBC provider: SQLite's ODBC driver (a temporary file per test)
// or, built with VMADO_WRAPPER_PG, PostgreSQL through psqlODBC (a schema per test, on the
// server scripts/pg starts). The driver files unixODBC has registered go into a private odbcinst.ini
// with CommLog off.
#include "AdoBaseFixture.h"
#include "common/OdbcDrivers.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace vmado::test {
namespace {

[[maybe_unused]] std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// The configuration folder, removed when the test process ends.
struct ConfigFolder {
    std::filesystem::path Path =
        std::filesystem::temp_directory_path() / ("vmado-adobase-odbc-" + std::to_string(getpid()));
    ~ConfigFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
};

// Written once per process and pointed at through ODBCSYSINI and ODBCINI.
void PrivateOdbcConfig()
{
    static ConfigFolder folder;
    static const bool done = [] {
        const auto& dir = folder.Path;
        std::filesystem::create_directories(dir);
        std::ofstream(dir / "odbcinst.ini")
            << "[ODBC]\nTrace=No\n\n[SQLite3]\nDriver=" << InstalledOdbcDriver("SQLite3")
            << "\n\n[PostgreSQL Unicode]\nDriver=" << InstalledOdbcDriver("PostgreSQL Unicode")
            << "\nCommLog=0\nDebug=0\n";
        std::ofstream(dir / "odbc.ini") << "[ODBC Data Sources]\n";
        setenv("ODBCSYSINI", dir.c_str(), 1);
        setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
        return true;
    }();
    (void)done;
}

#ifdef VMADO_WRAPPER_PG
class PostgresBackend final : public WrapperBackend {
public:
    std::string Name() const override { return "postgres"; }
    std::string Unavailable() const override
    {
        if (Env("VMADO_PG_HOST").empty() || Env("VMADO_PG_PORT").empty())
            return "no PostgreSQL server: VMADO_PG_HOST/VMADO_PG_PORT are not set (run under scripts/pg)";
        return {};
    }
    bool Required() const override { return Env("VMADO_REQUIRE_PG") == "1"; }
    std::string BlobType() const override { return "BYTEA"; }
    bool Postgres() const override { return true; }
    std::string FreshDatabase(const std::filesystem::path&) override
    {
        PrivateOdbcConfig();
        const std::string base =
            "Provider=MSDASQL;DRIVER={PostgreSQL Unicode};Server=" + Env("VMADO_PG_HOST") +
            ";Port=" + Env("VMADO_PG_PORT") + ";Database=" + Env("VMADO_PG_DB") +
            ";UID=" + Env("VMADO_PG_USER") + ";PWD=";
        const std::string schema = "adobase_" + std::to_string(getpid()) + "_" + std::to_string(++count_);
        const ConnectionPtr admin = CoConnection::Create();
        admin->Open(base);
        // The name is unique among live processes only: a schema left by an earlier process with the
        // same id is stale.
        admin->Execute("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        admin->Execute("CREATE SCHEMA " + schema);
        admin->Close();
        return base + ";ConnSettings={SET search_path TO " + schema + "}";
    }

private:
    int count_ = 0;
};
using Chosen = PostgresBackend;
#else
class OdbcSqliteBackend final : public WrapperBackend {
public:
    std::string Name() const override { return "odbc-sqlite"; }
    std::string Unavailable() const override
    {
        return OdbcDriverRegistered("SQLite3")
                   ? std::string()
                   : std::string("unixODBC has no driver registered as SQLite3 (odbcinst -q -d)");
    }
    std::string FreshDatabase(const std::filesystem::path& dir) override
    {
        PrivateOdbcConfig();
        return "Provider=MSDASQL;DRIVER={SQLite3};Database=" + (dir / "people.db").string() + ";StepAPI=1";
    }
};
using Chosen = OdbcSqliteBackend;
#endif

} // namespace

WrapperBackend& Backend()
{
    static Chosen backend;
    return backend;
}

} // namespace vmado::test
