// Fixture implementation: temporary directories, direct SQLite access for setup and checks.
#include "AdoBaseFixture.h"

#include <sqlite3.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace vmado::test {

TempDir::TempDir()
{
    std::string tmpl = (std::filesystem::temp_directory_path() / "vmado-adobase-XXXXXX").string();
    if (!mkdtemp(tmpl.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void SqliteExec(const std::filesystem::path& db, const std::string& sql)
{
    sqlite3* h = nullptr;
    if (sqlite3_open(db.c_str(), &h) != SQLITE_OK)
        throw std::runtime_error("cannot open " + db.string());
    char* err = nullptr;
    const int rc = sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err);
    std::string msg = err ? err : "";
    sqlite3_free(err);
    sqlite3_close(h);
    if (rc != SQLITE_OK)
        throw std::runtime_error("SQL failed: " + msg + " in " + sql);
}

std::string SqliteScalar(const std::filesystem::path& db, const std::string& sql)
{
    sqlite3* h = nullptr;
    sqlite3_open(db.c_str(), &h);
    sqlite3_stmt* st = nullptr;
    std::string out = "<error>";
    if (sqlite3_prepare_v2(h, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
        if (sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* t = sqlite3_column_text(st, 0);
            out = t ? reinterpret_cast<const char*>(t) : "<null>";
        } else {
            out = "<none>";
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(h);
    return out;
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::filesystem::path CopyNorthwind(const TempDir& dir)
{
    const char* data = std::getenv("VMADO_SHARED_DATA");
    const auto source = std::filesystem::path(data && *data ? data : VMADO_SHARED_DATA_DIR) / "northwind.db";
    if (!std::filesystem::exists(source))
        return {};
    const auto copy = dir / "northwind.db";
    std::filesystem::copy_file(source, copy);
    std::filesystem::permissions(copy,
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    return copy;
}

void WrapperTest::SetUp()
{
    WrapperBackend& backend = Backend();
    const std::string reason = backend.Unavailable();
    if (!reason.empty()) {
        if (backend.Required())
            FAIL() << "backend " << backend.Name() << " required: " << reason;
        GTEST_SKIP() << reason;
    }
    connectionString_ = backend.FreshDatabase(dir_.Path());
    Exec("CREATE TABLE people (id INTEGER PRIMARY KEY, name VARCHAR(20), city VARCHAR(30), qty INTEGER,"
         " born DATE, seen TIMESTAMP, note VARCHAR(40))");
    Exec("INSERT INTO people VALUES (1, 'Smith', 'Paris', 5, '2024-01-05', '2024-01-05 00:00:00', 'a, b')");
    Exec("INSERT INTO people VALUES (2, 'Jones', 'London', 12, '1993-01-01', '2024-01-05 14:05:09', 'say "
         "\"hi\"')");
    Exec("INSERT INTO people VALUES (3, 'Brown', 'Paris', 0, NULL, NULL, NULL)");
    Exec("INSERT INTO people VALUES (4, 'Green', 'Pecs', 7, '2000-02-29', '2000-02-29 23:59:59', '')");
    Exec("CREATE TABLE empty_table (id INTEGER PRIMARY KEY, name VARCHAR(10))");
}

void WrapperTest::Exec(const std::string& sql)
{
    const ConnectionPtr c = CoConnection::Create();
    c->Open(connectionString_);
    c->Execute(sql);
    c->Close();
}

std::string WrapperTest::Scalar(const std::string& sql)
{
    const ConnectionPtr c = CoConnection::Create();
    c->Open(connectionString_);
    const RecordsetPtr rs = c->Execute(sql);
    std::string out = "<none>";
    if (rs->State() != adStateClosed && !rs->Eof()) {
        const Variant v = rs->Fields()->Item(0)->Value();
        out = v.IsNull() ? "<null>" : VarToStr(v);
    }
    if (rs->State() != adStateClosed)
        rs->Close();
    c->Close();
    return out;
}

std::unique_ptr<TVConnection> WrapperTest::OpenConnection()
{
    auto c = std::make_unique<TVConnection>(true);
    c->SetConnect(connectionString_);
    c->Open();
    return c;
}

std::unique_ptr<TVRecords> WrapperTest::OpenRecords(TVConnection& c, const std::string& source,
                                                    TLockType lock)
{
    auto r = std::make_unique<TVRecords>(&c);
    r->Source = source;
    r->CommandType = coText;
    r->LockType = lock;
    r->Open();
    return r;
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name)
{
    if (const char* old = std::getenv(name)) {
        had_ = true;
        old_ = old;
    }
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv()
{
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

} // namespace vmado::test

namespace vmado::test {

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> out;
    for (Integer i = 0; i < list.Count(); ++i)
        out.push_back(list.Strings(i));
    return out;
}

} // namespace vmado::test
