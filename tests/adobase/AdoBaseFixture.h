// Shared fixture of the wrapper tests: a fresh database on the backend this test executable is
// built for (embedded SQLite, SQLite through its ODBC driver, PostgreSQL through psqlODBC) with
// a table of people and an empty table; helpers for temporary files and environment variables.
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
// A writable copy of the shared Northwind database in dir (VMADO_SHARED_DATA names the data folder
// when the build tree is not beside it); empty when there is none to copy.
std::filesystem::path CopyNorthwind(const TempDir& dir);
std::vector<std::string> Items(const TStrings& list);

// The database a behaviour test runs on.
class WrapperBackend {
public:
    virtual ~WrapperBackend() = default;
    virtual std::string Name() const = 0;
    virtual std::string Unavailable() const { return {}; } // non-empty: skip with this reason
    virtual bool Required() const { return false; }        // ...or fail, when it must be there
    // A connection string to a fresh, empty database; dir is the test's temporary folder.
    virtual std::string FreshDatabase(const std::filesystem::path& dir) = 0;
    virtual bool EmbeddedSqlite() const { return false; }
    virtual bool Postgres() const { return false; } // PostgreSQL's SQL, through whichever provider
    virtual std::string BlobType() const { return "BLOB"; }
};

WrapperBackend& Backend(); // one per test executable

class WrapperTest : public ::testing::Test {
protected:
    void SetUp() override;
    const std::string& ConnectionString() const { return connectionString_; }
    // Statements and checks through a connection of their own, so the wrapper under test sees
    // only what the database holds.
    void Exec(const std::string& sql);
    std::string Scalar(const std::string& sql); // first field of the first row as text
    // A connection opened on the fixture database.
    std::unique_ptr<TVConnection> OpenConnection();
    // A recordset opened on source with the library's usual settings.
    std::unique_ptr<TVRecords> OpenRecords(TVConnection& c, const std::string& source,
                                           TLockType lock = ltLockBatchOptimistic);

    TempDir dir_;
    std::string connectionString_;
};

#define VMADO_EMBEDDED_SQLITE_ONLY()                                                                         \
    do {                                                                                                     \
        if (!::vmado::test::Backend().EmbeddedSqlite())                                                      \
            GTEST_SKIP() << "needs the embedded SQLite provider, not " << ::vmado::test::Backend().Name();   \
    } while (0)

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
