// The wrapper tests on the embedded SQLite provider: one temporary database file per test.
#include "AdoBaseFixture.h"

namespace vmado::test {
namespace {

class SqliteBackend final : public WrapperBackend {
public:
    std::string Name() const override { return "sqlite"; }
    std::string FreshDatabase(const std::filesystem::path& dir) override
    {
        return "Provider=SQLite;Data Source=" + (dir / "people.db").string();
    }
    bool EmbeddedSqlite() const override { return true; }
};

} // namespace

WrapperBackend& Backend()
{
    static SqliteBackend backend;
    return backend;
}

} // namespace vmado::test
