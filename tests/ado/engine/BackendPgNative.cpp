// Behaviour tests on PostgreSQL through the native provider (libpq).
#include "PostgresBackend.h"

namespace vmado::test {

namespace {

class PgNativeBackend final : public PostgresBackendBase {
public:
    std::string Name() const override { return "postgresql"; }

protected:
    AnsiString BaseConnection() override
    {
        return "Provider=PostgreSQL;Data Source=" + Env("VMADO_PG_HOST") + ";Port=" + Env("VMADO_PG_PORT") +
               ";Initial Catalog=" + Env("VMADO_PG_DB") + ";User ID=" + Env("VMADO_PG_USER") + ";Password=";
    }
    std::string SchemaPrefix() const override { return "n_"; }
    AnsiString SearchPath(const AnsiString& schema) const override { return ";Search Path=" + schema; }
};

} // namespace

BackendContext& Backend()
{
    static PgNativeBackend backend;
    return backend;
}

} // namespace vmado::test
