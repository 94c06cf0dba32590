// Shared fixture of the wrapper tests: a real temporary SQLite database with a tall table of
// people, a wide table of every kind, an empty table, and private unixODBC configuration files.
#pragma once

#include "ado/ADOBase.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vmado::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Runs SQL on a database file directly through libsqlite3 (setup and checks only).
void SqliteExec(const std::filesystem::path& db, const std::string& sql);
std::string SqliteScalar(const std::filesystem::path& db, const std::string& sql);

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::vector<std::string> Items(const TStrings& list);

class SqliteFixture : public ::testing::Test {
protected:
    void SetUp() override;
    std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + db_.string(); }
    // A connection opened on the fixture database.
    std::unique_ptr<TVConnection> OpenConnection();
    // A recordset opened on source with the library's usual settings.
    std::unique_ptr<TVRecords> OpenRecords(TVConnection& c, const std::string& source,
                                           TLockType lock = ltLockBatchOptimistic);

    TempDir dir_;
    std::filesystem::path db_;
};

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();

private:
    std::string name_;
    bool had_ = false;
    std::string old_;
};

} // namespace vmado::test
