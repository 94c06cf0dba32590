// The engine's client cursor against raw sqlite3_step loops on one generated 1,000,000-row table
// of seven mixed columns: opening (materialising), Filter, Sort, and the memory the open
// recordset holds. Every measured result is checked against the database before a ratio is printed.
#include "ado/ADOApi.h"

#include "../common/BenchTable.h"
#include "../common/Report.h"
#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

using namespace vmado;

namespace {

int Rows = 1000000;
std::string DbFile;
const char* const FilterText = "city = 'City07' AND amount >= 250 AND amount < 750";
const char* const WhereSql = "SELECT * FROM bench WHERE city = 'City07' AND amount >= 250 AND amount < 750";
const char* const SortText = "city ASC, amount DESC";
const char* const OrderSql = "SELECT * FROM bench ORDER BY city ASC, amount DESC";

[[noreturn]] void Die(const std::string& what)
{
    std::fprintf(stderr, "bench_engine: %s\n", what.c_str());
    // The generated table is some 65 MB at a million rows; a failed run must not leave it behind.
    if (!DbFile.empty())
        std::filesystem::remove(DbFile);
    std::exit(1);
}

void Exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK)
        Die(std::string(sql) + ": " + (error ? error : "?"));
}

void Generate()
{
    DbFile = (std::filesystem::temp_directory_path() / ("vmado-bench-" + std::to_string(getpid()) + ".db"))
                 .string();
    std::filesystem::remove(DbFile);
    sqlite3* db = nullptr;
    if (sqlite3_open(DbFile.c_str(), &db) != SQLITE_OK)
        Die("cannot create " + DbFile);
    try {
        bench::FillBenchTable(db, Rows);
    } catch (const std::exception& e) {
        Die(e.what());
    }
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

// Reads every column of every row of sql; returns the row count.
// By default without SQLite's per-call mutex, as the engine's provider runs: the strictest
// baseline. serialized: the library's default threading mode, as a plain sqlite3_open gives.
long RawLoop(const char* sql, bool serialized = false)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(DbFile.c_str(), &db, SQLITE_OPEN_READONLY | (serialized ? 0 : SQLITE_OPEN_NOMUTEX),
                    nullptr);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        Die(sqlite3_errmsg(db));
    long rows = 0;
    std::size_t bytes = 0;
    double sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
        sum += static_cast<double>(sqlite3_column_int64(s, 0));
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(s, 1)) + (sqlite3_column_text(s, 1) ? 1 : 0);
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(s, 2)) + (sqlite3_column_text(s, 2) ? 1 : 0);
        sum += sqlite3_column_double(s, 3);
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(s, 4)) + (sqlite3_column_text(s, 4) ? 1 : 0);
        sum += sqlite3_column_int(s, 5);
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(s, 6)) + (sqlite3_column_text(s, 6) ? 1 : 0);
        ++rows;
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(bytes);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return rows;
}

ConnectionPtr Connect()
{
    auto c = CoConnection::Create();
    c->Open("Provider=SQLite;Data Source=" + DbFile);
    return c;
}

RecordsetPtr OpenAll(const ConnectionPtr& c)
{
    auto rs = CoRecordset::Create();
    rs->Open("SELECT * FROM bench", c, adOpenStatic, adLockReadOnly, adCmdText);
    return rs;
}

long Count(const char* where)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(DbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, (std::string("SELECT COUNT(*) FROM bench ") + where).c_str(), -1, &s, nullptr);
    sqlite3_step(s);
    const long n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return n;
}

void BM_RawStepAll(benchmark::State& state)
{
    for (auto _ : state)
        if (RawLoop("SELECT * FROM bench") != Rows)
            state.SkipWithError("raw loop read the wrong number of rows");
}

void BM_RawStepAllDefaultMode(benchmark::State& state)
{
    for (auto _ : state)
        if (RawLoop("SELECT * FROM bench", true) != Rows)
            state.SkipWithError("raw loop read the wrong number of rows");
}

void BM_EngineOpen(benchmark::State& state)
{
    auto c = Connect();
    for (auto _ : state) {
        auto rs = OpenAll(c);
        if (rs->RecordCount() != Rows)
            state.SkipWithError("the recordset holds the wrong number of rows");
        state.PauseTiming();
        rs->Close();
        state.ResumeTiming();
    }
}

void BM_RawWhere(benchmark::State& state)
{
    const long expected = Count("WHERE city = 'City07' AND amount >= 250 AND amount < 750");
    for (auto _ : state)
        if (RawLoop(WhereSql) != expected)
            state.SkipWithError("raw WHERE read the wrong number of rows");
}

void BM_EngineFilter(benchmark::State& state)
{
    const long expected = Count("WHERE city = 'City07' AND amount >= 250 AND amount < 750");
    auto c = Connect();
    auto rs = OpenAll(c);
    for (auto _ : state) {
        rs->SetFilter(Variant(FilterText));
        if (rs->RecordCount() != expected)
            state.SkipWithError("the filter selected the wrong rows");
        state.PauseTiming();
        rs->SetFilter(Variant(static_cast<Integer>(adFilterNone)));
        state.ResumeTiming();
    }
}

void BM_RawOrderBy(benchmark::State& state)
{
    for (auto _ : state)
        if (RawLoop(OrderSql) != Rows)
            state.SkipWithError("raw ORDER BY read the wrong number of rows");
}

void BM_EngineSort(benchmark::State& state)
{
    auto c = Connect();
    auto rs = OpenAll(c);
    for (auto _ : state) {
        rs->SetSort(SortText);
        state.PauseTiming();
        // Check the order: city ascending, amount descending within a city.
        rs->MoveFirst();
        AnsiString lastCity;
        double lastAmount = 0;
        long seen = 0;
        auto city = rs->Fields()->Item("city");
        auto amount = rs->Fields()->Item("amount");
        for (; !rs->Eof() && seen < 200000; rs->MoveNext(), ++seen) {
            const AnsiString cty = city->Value().AsString();
            const double amt = amount->Value().AsFloat();
            if (seen && (cty < lastCity || (cty == lastCity && amt > lastAmount))) {
                state.SkipWithError("the sort order is wrong");
                break;
            }
            lastCity = cty;
            lastAmount = amt;
        }
        rs->SetSort("");
        state.ResumeTiming();
    }
}

// Medians of several repetitions: the machine is shared, and a median shrugs off a busy moment.
BENCHMARK(BM_RawStepAll)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawStepAllDefaultMode)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EngineOpen)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawWhere)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EngineFilter)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawOrderBy)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_EngineSort)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Remembers each benchmark's median real time for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred)
                failed = true;
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
    bool failed = false;
};

} // namespace

int main(int argc, char** argv)
{
    try {
        Rows = static_cast<int>(bench::RowsFromEnvironment(Rows));
    } catch (const std::exception& e) {
        Die(e.what());
    }
    benchmark::Initialize(&argc, argv);
    std::printf("Generating %d rows...\n", Rows);
    Generate();

    // Memory first, before other runs leave freed memory for the allocator to reuse.
    const double raw = bench::RawDataBytes(DbFile);
    double resident = 0, held = 0;
    {
        auto c = Connect();
        malloc_trim(0);
        const long before = bench::ResidentBytes();
        auto rs = OpenAll(c);
        malloc_trim(0);
        resident = static_cast<double>(bench::ResidentBytes() - before);
        if (rs->RecordCount() != Rows)
            Die("the recordset holds the wrong number of rows");
        held = resident;
    }
    malloc_trim(0);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::filesystem::remove(DbFile);
    if (reporter.failed)
        Die("a benchmark's result check failed; no ratios reported");
    std::printf("\nRatios of medians (%d rows; engine / raw SQLite, lower is better):\n", Rows);
    // A pair left out by --benchmark_filter prints n/a rather than a ratio of nothing.
    auto ratio = [&](const char* label, const char* a, const char* b, const char* goal) {
        const auto ia = reporter.times.find(a), ib = reporter.times.find(b);
        if (ia == reporter.times.end() || ib == reporter.times.end() || ib->second <= 0) {
            std::printf("  %-62s: n/a (not run)\n", label);
            return;
        }
        std::printf("  %-62s: %.2f   %s\n", label, ia->second / ib->second,
                    *goal ? ("(target " + std::string(goal) + ")").c_str() : "");
        // The reporter's times are in the benchmarks' unit, milliseconds.
        bench::RecordRatio("engine", label, ia->second / 1e3, ib->second / 1e3, "s", goal);
    };
    try {
        ratio("open (materialise) / sqlite3_step loop", "BM_EngineOpen", "BM_RawStepAll", "<= 1.5");
        ratio("open / sqlite3_step loop in SQLite's default (serialized) mode", "BM_EngineOpen",
              "BM_RawStepAllDefaultMode", "");
        ratio("Filter / same WHERE query", "BM_EngineFilter", "BM_RawWhere", "<= 0.3");
        ratio("Sort on two keys / ORDER BY", "BM_EngineSort", "BM_RawOrderBy", "<= 1.0");
        std::printf("  %-62s: %.2f   (target <= 2.0; %.1f MB / %.1f MB)\n", "resident memory / raw data size",
                    held / raw, held / 1e6, raw / 1e6);
        bench::RecordRatio("engine", "resident memory of the open recordset / raw data", held / 1e6,
                           raw / 1e6, "MB", "<= 2.0");
    } catch (const std::exception& e) {
        Die(e.what());
    }
    return 0;
}
