// Behaviour tests on PostgreSQL through psqlODBC. The server comes from scripts/pg (VMADO_PG_*);
// each test gets its own schema, so tests may run in parallel on one database.
#include "BackendContext.h"
#include "OdbcConfig.h"

#include <cstdlib>
#include <unistd.h>

namespace vmado::test {

namespace {

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

class PostgresBackend final : public BackendContext {
public:
    std::string Name() const override { return "postgres"; }
    std::string Unavailable() const override
    {
        if (Env("VMADO_PG_HOST").empty() || Env("VMADO_PG_PORT").empty())
            return "no PostgreSQL server: VMADO_PG_HOST/VMADO_PG_PORT are not set (run under scripts/pg)";
        return {};
    }
    bool Required() const override { return Env("VMADO_REQUIRE_PG") == "1"; }
    AnsiString ConnectionString() override
    {
        PrivateOdbcConfig();
        const AnsiString base =
            "Provider=MSDASQL;DRIVER={PostgreSQL Unicode};Server=" + Env("VMADO_PG_HOST") +
            ";Port=" + Env("VMADO_PG_PORT") + ";Database=" + Env("VMADO_PG_DB") +
            ";UID=" + Env("VMADO_PG_USER") + ";PWD=";
        schema_ = "t_" + std::to_string(getpid()) + "_" + std::to_string(++count_);
        auto admin = CoConnection::Create();
        admin->Open(base);
        admin->Execute("CREATE SCHEMA " + schema_);
        admin->Close();
        return base + ";ConnSettings={SET search_path TO " + schema_ + "}";
    }
    AnsiString AutoKey() const override { return "SERIAL PRIMARY KEY"; }
    AnsiString BlobType() const override { return "BYTEA"; }
    DataTypeEnum TextType() const override { return adLongVarChar; }
    bool Postgres() const override { return true; }
    Variant SchemaRestriction() const override { return Variant(schema_); }
    AnsiString RepeatText(const AnsiString& text, const AnsiString& count) const override
    {
        return "REPEAT(" + text + ", " + count + ")";
    }
    AnsiString StreamingOptions() const override { return "UseDeclareFetch=1;Fetch=3"; }

private:
    int count_ = 0;
    AnsiString schema_;
};

} // namespace

BackendContext& Backend()
{
    static PostgresBackend backend;
    return backend;
}

} // namespace vmado::test
