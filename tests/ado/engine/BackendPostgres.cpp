// Behaviour tests on PostgreSQL through psqlODBC.
#include "OdbcConfig.h"
#include "PostgresBackend.h"

namespace vmado::test {

namespace {

class PostgresBackend final : public PostgresBackendBase {
public:
    std::string Name() const override { return "postgres"; }
    AnsiString StreamingOptions() const override { return "UseDeclareFetch=1;Fetch=3"; }

protected:
    AnsiString BaseConnection() override
    {
        PrivateOdbcConfig();
        return "Provider=MSDASQL;DRIVER={PostgreSQL Unicode};Server=" + Env("VMADO_PG_HOST") +
               ";Port=" + Env("VMADO_PG_PORT") + ";Database=" + Env("VMADO_PG_DB") +
               ";UID=" + Env("VMADO_PG_USER") + ";PWD=";
    }
    std::string SchemaPrefix() const override { return "t_"; }
    AnsiString SearchPath(const AnsiString& schema) const override
    {
        return ";ConnSettings={SET search_path TO " + schema + "}";
    }
};

} // namespace

BackendContext& Backend()
{
    static PostgresBackend backend;
    return backend;
}

} // namespace vmado::test
