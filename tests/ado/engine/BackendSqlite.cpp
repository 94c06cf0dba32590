// Behaviour tests on the embedded SQLite provider, one temporary database file per test.
#include "BackendContext.h"

#include <filesystem>
#include <unistd.h>

namespace vmado::test {

namespace {

class SqliteBackend final : public BackendContext {
public:
    ~SqliteBackend() override
    {
        for (const auto& f : files_) {
            std::error_code ec;
            std::filesystem::remove(f, ec);
        }
    }
    std::string Name() const override { return "sqlite"; }
    AnsiString ConnectionString() override
    {
        const auto file =
            std::filesystem::temp_directory_path() /
            ("vmado-engine-" + std::to_string(getpid()) + "-" + std::to_string(++count_) + ".db");
        std::filesystem::remove(file);
        files_.push_back(file);
        return "Provider=SQLite;Data Source=" + file.string();
    }
    AnsiString AutoKey() const override { return "INTEGER PRIMARY KEY"; }
    bool TextSizeFromData() const override { return true; }
    DataTypeEnum TextType() const override { return adLongVarChar; }
    DataTypeEnum IntegerAdoType() const override { return adBigInt; }
    bool EmbeddedSqlite() const override { return true; }

private:
    int count_ = 0;
    std::vector<std::filesystem::path> files_;
};

} // namespace

BackendContext& Backend()
{
    static SqliteBackend backend;
    return backend;
}

} // namespace vmado::test
