// What the two PostgreSQL routes (psqlODBC and the native provider) share as test backends: the
// server from scripts/pg (VMADO_PG_*), a schema of its own per test so that tests may run in
// parallel on one database, and PostgreSQL's SQL.
#pragma once

#include "BackendContext.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace vmado::test {

class PostgresBackendBase : public BackendContext {
public:
    static std::string Env(const char* name)
    {
        const char* v = std::getenv(name);
        return v ? v : "";
    }

    std::string Unavailable() const override
    {
        if (Env("VMADO_PG_HOST").empty() || Env("VMADO_PG_PORT").empty())
            return "no PostgreSQL server: VMADO_PG_HOST/VMADO_PG_PORT are not set (run under scripts/pg)";
        return {};
    }
    bool Required() const override { return Env("VMADO_REQUIRE_PG") == "1"; }
    AnsiString ConnectionString() override
    {
        const AnsiString base = BaseConnection();
        schema_ = SchemaPrefix() + std::to_string(getpid()) + "_" + std::to_string(++count_);
        auto admin = CoConnection::Create();
        admin->Open(base);
        // The name is unique among live processes only: a schema left by an earlier process with the
        // same id is stale.
        admin->Execute("DROP SCHEMA IF EXISTS " + schema_ + " CASCADE");
        admin->Execute("CREATE SCHEMA " + schema_);
        admin->Close();
        return base + SearchPath(schema_);
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

protected:
    // The connection string to the test database, without a search path.
    virtual AnsiString BaseConnection() = 0;
    // Distinct per route, so that the two routes' schemas never meet.
    virtual std::string SchemaPrefix() const = 0;
    // What makes the schema the connection's search path, appended to BaseConnection().
    virtual AnsiString SearchPath(const AnsiString& schema) const = 0;

private:
    int count_ = 0;
    AnsiString schema_;
};

} // namespace vmado::test
