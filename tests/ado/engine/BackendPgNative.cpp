// Behaviour tests on PostgreSQL through the native provider (libpq). The server comes from
// scripts/pg (VMADO_PG_*); each test gets its own schema, so tests may run in parallel on one
// database.
#include "BackendContext.h"

#include <cstdlib>
#include <unistd.h>

namespace vmado::test {

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

class PgNativeBackend final : public BackendContext {
public:
    std::string Name() const override { return "postgresql"; }
    std::string Unavailable() const override
    {
        if (Env("VMADO_PG_HOST").empty() || Env("VMADO_PG_PORT").empty())
            return "no PostgreSQL server: VMADO_PG_HOST/VMADO_PG_PORT are not set (run under scripts/pg)";
        return {};
    }
    bool Required() const override { return Env("VMADO_REQUIRE_PG") == "1"; }
    AnsiString ConnectionString() override
    {
        const AnsiString base = "Provider=PostgreSQL;Data Source=" + Env("VMADO_PG_HOST") +
                                ";Port=" + Env("VMADO_PG_PORT") + ";Initial Catalog=" + Env("VMADO_PG_DB") +
                                ";User ID=" + Env("VMADO_PG_USER") + ";Password=";
        schema_ = "n_" + std::to_string(getpid()) + "_" + std::to_string(++count_);
        auto admin = CoConnection::Create();
        admin->Open(base);
        admin->Execute("CREATE SCHEMA " + schema_);
        admin->Close();
        return base + ";Search Path=" + schema_;
    }
    AnsiString AutoKey() const override { return "SERIAL PRIMARY KEY"; }
    AnsiString BlobType() const override { return "BYTEA"; }
    DataTypeEnum TextType() const override { return adLongVarChar; }
    bool Postgres() const override { return true; }
    AnsiString RepeatText(const AnsiString& text, const AnsiString& count) const override
    {
        return "REPEAT(" + text + ", " + count + ")";
    }
    Variant SchemaRestriction() const override { return Variant(schema_); }

private:
    int count_ = 0;
    AnsiString schema_;
};

} // namespace

BackendContext& Backend()
{
    static PgNativeBackend backend;
    return backend;
}

} // namespace vmado::test
