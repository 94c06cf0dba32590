// The wrapper tests on PostgreSQL through the native provider (libpq): a schema per test, on the
// server scripts/pg starts (VMADO_PG_*).
#include "AdoBaseFixture.h"

#include <cstdlib>
#include <unistd.h>

namespace vmado::test {
namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

class PgNativeBackend final : public WrapperBackend {
public:
    std::string Name() const override { return "postgresql"; }
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
        const std::string base = "Provider=PostgreSQL;Data Source=" + Env("VMADO_PG_HOST") +
                                 ";Port=" + Env("VMADO_PG_PORT") + ";Initial Catalog=" + Env("VMADO_PG_DB") +
                                 ";User ID=" + Env("VMADO_PG_USER") + ";Password=";
        const std::string schema = "nadobase_" + std::to_string(getpid()) + "_" + std::to_string(++count_);
        const ConnectionPtr admin = CoConnection::Create();
        admin->Open(base);
        // The name is unique among live processes only: a schema left by an earlier process with the
        // same id is stale.
        admin->Execute("DROP SCHEMA IF EXISTS " + schema + " CASCADE");
        admin->Execute("CREATE SCHEMA " + schema);
        admin->Close();
        return base + ";Search Path=" + schema;
    }

private:
    int count_ = 0;
};

} // namespace

WrapperBackend& Backend()
{
    static PgNativeBackend backend;
    return backend;
}

} // namespace vmado::test
