// The benchmarks' shared table: 1,000,000 rows (or any count) of an id, two short texts, an amount,
// a date, a flag and a note that needs comma-text quoting, generated the same way for every
// benchmark so their ratios speak of the same data.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

namespace vmado::bench {

inline void ExecSql(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = sql + ": " + (error ? error : "?");
        sqlite3_free(error);
        throw std::runtime_error(message);
    }
}

// Creates table bench in db and fills it with rows rows from a fixed seed, in one transaction
// that the caller commits (so it can add its own changes first).
inline void FillBenchTable(sqlite3* db, int rows)
{
    ExecSql(db, "PRAGMA journal_mode = OFF");
    ExecSql(db, "PRAGMA synchronous = OFF");
    ExecSql(db,
            "CREATE TABLE bench (id INTEGER PRIMARY KEY, code VARCHAR(8), city VARCHAR(12), amount DOUBLE, "
            "day DATE, active BOOLEAN, note TEXT)");
    ExecSql(db, "BEGIN");
    sqlite3_stmt* insert = nullptr;
    if (sqlite3_prepare_v2(db, "INSERT INTO bench VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr) !=
        SQLITE_OK)
        throw std::runtime_error("cannot prepare the insert");
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> city(0, 49), amount(0, 99999), day(0, 9000), words(1, 6);
    const char* const vocabulary[] = {"alpha", "beta, gamma", "\"quoted\"", "a b", "delta", "x,y", "it's"};
    for (int i = 1; i <= rows; ++i) {
        char code[16], cityName[16], date[24];
        std::snprintf(code, sizeof code, "C%06d", i % 200000);
        std::snprintf(cityName, sizeof cityName, "City%02d", city(rng));
        const int d = day(rng);
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", 2000 + d / 365, 1 + (d % 365) / 31,
                      1 + (d % 365) % 28);
        std::string note;
        for (int w = words(rng); w > 0; --w)
            note += std::string(note.empty() ? "" : " ") + vocabulary[rng() % 7];
        sqlite3_bind_int64(insert, 1, i);
        sqlite3_bind_text(insert, 2, code, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, cityName, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 4, amount(rng) / 100.0);
        sqlite3_bind_text(insert, 5, date, -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 6, static_cast<int>(rng() % 2));
        sqlite3_bind_text(insert, 7, note.c_str(), static_cast<int>(note.size()), SQLITE_TRANSIENT);
        const int rc = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (rc != SQLITE_DONE) {
            sqlite3_finalize(insert);
            throw std::runtime_error("insert failed");
        }
    }
    sqlite3_finalize(insert);
}

// This process's resident memory in bytes.
inline long ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

// The bench table's values at their own sizes: 8 bytes per number or date, 1 per Boolean, the bytes
// of every text; what a memory ratio is taken against.
inline double RawDataBytes(const std::string& dbFile)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT SUM(8 + length(code) + length(city) + 8 + 8 + 1 + length(CAST(note AS BLOB))) "
                       "FROM bench",
                       -1, &s, nullptr);
    sqlite3_step(s);
    const double bytes = sqlite3_column_double(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return bytes;
}

} // namespace vmado::bench
