// A fresh SQLite database file in a temporary folder of its own, removed with the object, for
// tests that need a real table behind a dataset.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace vmado::test {

class SqliteFile {
public:
    SqliteFile()
    {
        char pattern[] = "/tmp/vmado-ui-XXXXXX";
        if (!mkdtemp(pattern))
            throw std::runtime_error("cannot make a temporary folder");
        dir_ = pattern;
        path_ = dir_ + "/test.db";
        if (sqlite3_open(path_.c_str(), &db_) != SQLITE_OK)
            throw std::runtime_error("cannot create " + path_);
    }
    ~SqliteFile()
    {
        sqlite3_close(db_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    void Exec(const std::string& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "unknown error";
            sqlite3_free(error);
            throw std::runtime_error(sql + ": " + message);
        }
    }
    // The first column of the first row, as text ("" for none or Null).
    std::string Scalar(const std::string& sql)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db_));
        std::string value;
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
            value = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
        return value;
    }
    const std::string& Path() const { return path_; }
    const std::string& Dir() const { return dir_; }
    std::string ConnectionString() const { return "Provider=SQLite;Data Source=" + path_; }

private:
    std::string dir_, path_;
    sqlite3* db_ = nullptr;
};

} // namespace vmado::test
