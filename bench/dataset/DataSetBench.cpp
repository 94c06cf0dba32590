// TVADODataSet against raw sqlite3_step loops on the engine benchmark's 1,000,000-row table (or
// VMADO_BENCH_ROWS rows, to see how costs grow): a full scan reading every field, the open, Sort
// on two keys, Filter, Locate on an unindexed text column, a 30-row grid window scrolled screen by
// screen, and the resident memory of the open dataset. Every run checks what it read against the
// database before a ratio is printed; a failed check prints no ratio for that pair.
#include "dataset/VDB.h"
#include "framework/db/DataSource.h"

#include "../common/BenchTable.h"
#include "../common/Report.h"
#include <benchmark/benchmark.h>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vmado;

namespace {

int Rows = 1000000;
std::string DbFile;
// The one row Locate and the WHERE query look for: near the end, with a code no other row has
// (the generated codes repeat every 200,000 rows).
int TargetId = 0;
const char* const TargetCode = "X999990";
constexpr int GridRows = 30;

[[noreturn]] void Die(const std::string& what)
{
    std::fprintf(stderr, "bench_dataset: %s\n", what.c_str());
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

// The engine benchmark's table: same columns, same generator and seed.
void Generate()
{
    DbFile = (std::filesystem::temp_directory_path() / ("vmado-dsbench-" + std::to_string(getpid()) + ".db"))
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
    TargetId = Rows - 10;
    Exec(db,
         ("UPDATE bench SET code = '" + std::string(TargetCode) + "' WHERE id = " + std::to_string(TargetId))
             .c_str());
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

// What a full read must see, summed by SQLite itself.
struct Totals {
    long rows = 0;
    double numbers = 0; // id + amount
    long textBytes = 0; // code, city, note
    long trues = 0;     // active
    double days = 0;    // day as TDateTime (days since 1899-12-30)

    void Add(const Totals& o)
    {
        rows += o.rows, numbers += o.numbers, textBytes += o.textBytes, trues += o.trues, days += o.days;
    }
    bool Matches(const Totals& o) const
    {
        auto close = [](double a, double b) {
            return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b));
        };
        return rows == o.rows && textBytes == o.textBytes && trues == o.trues && close(numbers, o.numbers) &&
               close(days, o.days);
    }
    std::string Text() const
    {
        char buf[200];
        std::snprintf(buf, sizeof buf, "rows %ld, numbers %.2f, text bytes %ld, trues %ld, days %.1f", rows,
                      numbers, textBytes, trues, days);
        return buf;
    }
};
Totals Expected;

Totals ExpectedTotals()
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(DbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(
        db,
        "SELECT COUNT(*), SUM(id) + SUM(amount), SUM(length(code) + length(city) + length(note)), "
        "SUM(active), SUM(julianday(day) - julianday('1899-12-30')) FROM bench",
        -1, &s, nullptr);
    if (sqlite3_step(s) != SQLITE_ROW)
        Die("cannot total the table");
    Totals t;
    t.rows = sqlite3_column_int64(s, 0);
    t.numbers = sqlite3_column_double(s, 1);
    t.textBytes = sqlite3_column_int64(s, 2);
    t.trues = sqlite3_column_int64(s, 3);
    t.days = sqlite3_column_double(s, 4);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return t;
}

// ---- raw SQLite ---------------------------------------------------------------------------------

// Reads every column of every row of sql in its stored form (as the engine benchmark's baseline,
// without SQLite's per-call mutex); returns the totals and, when asked, the last row's id.
Totals RawLoop(const char* sql, long* lastId = nullptr)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(DbFile.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        Die(sqlite3_errmsg(db));
    Totals t;
    while (sqlite3_step(s) == SQLITE_ROW) {
        const long id = static_cast<long>(sqlite3_column_int64(s, 0));
        t.numbers += static_cast<double>(id);
        sqlite3_column_text(s, 1);
        t.textBytes += sqlite3_column_bytes(s, 1);
        sqlite3_column_text(s, 2);
        t.textBytes += sqlite3_column_bytes(s, 2);
        t.numbers += sqlite3_column_double(s, 3);
        const unsigned char* day = sqlite3_column_text(s, 4);
        if (day != nullptr)
            t.days += 1; // counted only; the text is what the loop reads
        t.trues += sqlite3_column_int(s, 5);
        sqlite3_column_text(s, 6);
        t.textBytes += sqlite3_column_bytes(s, 6);
        ++t.rows;
        if (lastId)
            *lastId = id;
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return t;
}

// ---- the dataset ----------------------------------------------------------------------------------

std::unique_ptr<TVADODataSet> OpenDataSet()
{
    auto ds = std::make_unique<TVADODataSet>(nullptr);
    ds->SetConnection("Provider=SQLite;Data Source=" + DbFile);
    ds->SetCommand("SELECT * FROM bench");
    ds->Open();
    return ds;
}

// Reads every field's value of the active record as a variant, as a generic reader does; gives
// the first field's value (the key) to keyValue when asked.
void ReadRecord(TVADODataSet& ds, Totals& t, long* keyValue = nullptr)
{
    TFields* fields = ds.Fields();
    const Integer count = fields->Count();
    for (Integer i = 0; i < count; ++i) {
        const Variant v = fields->Fields(i)->AsVariant();
        if (i == 0 && keyValue)
            *keyValue = v.AsInteger();
        switch (VarType(v)) {
        case varNull:
        case varEmpty:
            break;
        case varString:
        case varOleStr:
            t.textBytes += static_cast<long>(v.AsString().size());
            break;
        case varBoolean:
            t.trues += v.AsBoolean() ? 1 : 0;
            break;
        case varDate:
            t.days += v.AsDateTime();
            break;
        default:
            t.numbers += v.AsFloat();
            break;
        }
    }
    ++t.rows;
}

Totals Scan(TVADODataSet& ds)
{
    Totals t;
    for (ds.First(); !ds.Eof(); ds.Next())
        ReadRecord(ds, t);
    return t;
}

void CheckTotals(benchmark::State& state, const Totals& got, bool withDays)
{
    Totals want = Expected;
    if (!withDays)
        want.days = want.rows; // the raw loop counts the dates it read
    if (!got.Matches(want))
        state.SkipWithError(("read " + got.Text() + "; expected " + want.Text()).c_str());
}

// A grid's data link: it only asks for a window of records.
class GridLink : public TDataLink {
public:
    explicit GridLink(Integer rows) { SetBufferCount(rows); }
};

// ---- benchmarks --------------------------------------------------------------------------------------

void BM_RawScan(benchmark::State& state)
{
    for (auto _ : state)
        CheckTotals(state, RawLoop("SELECT * FROM bench"), false);
}

// Open excluded: the open is the engine materialising the table (bench_engine measures it).
void BM_DataSetScan(benchmark::State& state)
{
    auto ds = OpenDataSet();
    for (auto _ : state)
        CheckTotals(state, Scan(*ds), true);
}

// Open included: a fresh dataset opened, scanned and freed.
void BM_DataSetOpenScan(benchmark::State& state)
{
    for (auto _ : state) {
        auto ds = OpenDataSet();
        CheckTotals(state, Scan(*ds), true);
        state.PauseTiming();
        ds.reset();
        state.ResumeTiming();
    }
}

const std::string WhereSql = std::string("SELECT * FROM bench WHERE code = '") + TargetCode + "'";

void BM_RawWhere(benchmark::State& state)
{
    for (auto _ : state) {
        long id = 0;
        const Totals t = RawLoop(WhereSql.c_str(), &id);
        if (t.rows != 1 || id != TargetId)
            state.SkipWithError("the WHERE query found the wrong row");
    }
}

void BM_DataSetLocate(benchmark::State& state)
{
    auto ds = OpenDataSet();
    TField* id = ds->FieldByName("id");
    for (auto _ : state) {
        state.PauseTiming();
        ds->First();
        state.ResumeTiming();
        try {
            if (!ds->Locate("code", Variant(AnsiString(TargetCode)), {}) || id->AsInteger() != TargetId)
                state.SkipWithError("Locate did not land on the target row");
        } catch (const std::exception& e) {
            state.SkipWithError((std::string("Locate raised: ") + e.what()).c_str());
            break;
        }
    }
}

// A 30-row grid painted screen by screen: every visible row made active and all its fields read,
// then one screen down, until the last record. Rows seen on an earlier screen are read again (the
// grid repaints them) but counted once.
void BM_DataSetGridScroll(benchmark::State& state)
{
    auto ds = OpenDataSet();
    TDataSource source(nullptr);
    source.SetDataSet(ds.get());
    GridLink grid(GridRows);
    grid.SetDataSource(&source);
    if (ds->Fields()->Fields(0) != ds->FieldByName("id")) {
        state.SkipWithError("the first field is not the key");
        return;
    }
    for (auto _ : state) {
        Totals counted, repainted;
        long lastCounted = 0;
        long screens = 0;
        ds->First();
        for (;;) {
            const Integer active = grid.ActiveRecord();
            const Integer visible = grid.RecordCount();
            for (Integer row = 0; row < visible; ++row) {
                grid.SetActiveRecord(row);
                Totals read;
                long id = 0;
                ReadRecord(*ds, read, &id);
                if (id > lastCounted) {
                    counted.Add(read);
                    lastCounted = id;
                } else {
                    repainted.Add(read);
                }
            }
            grid.SetActiveRecord(active);
            ++screens;
            if (ds->Eof())
                break;
            grid.MoveBy(GridRows);
        }
        CheckTotals(state, counted, true);
        state.counters["screens"] = static_cast<double>(screens);
        state.counters["repainted"] = static_cast<double>(repainted.rows);
    }
    grid.SetDataSource(nullptr);
}

const char* const FilterText = "city = 'City07' AND amount >= 250 AND amount < 750";
const char* const FilterWhereSql =
    "SELECT * FROM bench WHERE city = 'City07' AND amount >= 250 AND amount < 750";
const char* const SortText = "city ASC, amount DESC";
const char* const OrderSql = "SELECT * FROM bench ORDER BY city ASC, amount DESC";

// Rows of the table matching where, counted by SQLite.
long CountWhere(const std::string& where)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(DbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, ("SELECT COUNT(*) FROM bench " + where).c_str(), -1, &s, nullptr);
    const long n = sqlite3_step(s) == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(s, 0)) : -1;
    sqlite3_finalize(s);
    sqlite3_close(db);
    return n;
}

void BM_RawFilterWhere(benchmark::State& state)
{
    const long expected = CountWhere("WHERE city = 'City07' AND amount >= 250 AND amount < 750");
    for (auto _ : state)
        if (RawLoop(FilterWhereSql).rows != expected)
            state.SkipWithError("the WHERE query read the wrong number of rows");
}

// The filter set and the dataset on its first record, as a user sees it.
void BM_DataSetFilter(benchmark::State& state)
{
    const long expected = CountWhere("WHERE city = 'City07' AND amount >= 250 AND amount < 750");
    auto ds = OpenDataSet();
    TField* city = ds->FieldByName("city");
    TField* amount = ds->FieldByName("amount");
    for (auto _ : state) {
        ds->SetFilterStr(FilterText);
        state.PauseTiming();
        const double first = amount->AsFloat();
        if (ds->RecordCount() != expected || city->AsString() != "City07" || first < 250 || first >= 750)
            state.SkipWithError("the filter selected the wrong rows");
        ds->SetFilterStr("");
        state.ResumeTiming();
    }
}

void BM_RawOrderBy(benchmark::State& state)
{
    for (auto _ : state)
        if (RawLoop(OrderSql).rows != Rows)
            state.SkipWithError("the ORDER BY query read the wrong number of rows");
}

// The sort set and the dataset on its first record; the order of every record is checked
// outside the time, against the first rows of the same ORDER BY.
void BM_DataSetSort(benchmark::State& state)
{
    auto ds = OpenDataSet();
    TField* id = ds->FieldByName("id");
    std::vector<long> expected;
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(DbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* s = nullptr;
        // The row id last: SQLite's order of equal keys is its own, the dataset keeps fetch order.
        sqlite3_prepare_v2(db, "SELECT id FROM bench ORDER BY city ASC, amount DESC, id ASC", -1, &s,
                           nullptr);
        while (sqlite3_step(s) == SQLITE_ROW)
            expected.push_back(static_cast<long>(sqlite3_column_int64(s, 0)));
        sqlite3_finalize(s);
        sqlite3_close(db);
    }
    for (auto _ : state) {
        ds->SetSortStr(SortText);
        state.PauseTiming();
        std::size_t seen = 0;
        for (; !ds->Eof() && seen < expected.size(); ds->Next(), ++seen)
            if (id->AsInteger() != expected[seen])
                break;
        if (seen != expected.size() || !ds->Eof())
            state.SkipWithError("the sort order is wrong");
        ds->SetSortStr("");
        state.ResumeTiming();
    }
}

// Medians of several repetitions: the machine is shared, and a median shrugs off a busy moment.
BENCHMARK(BM_RawScan)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DataSetScan)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DataSetOpenScan)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawWhere)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DataSetLocate)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DataSetGridScroll)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawFilterWhere)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DataSetFilter)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RawOrderBy)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_DataSetSort)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void Record(const char* label, double library, double raw, const char* unit, const char* goal)
{
    try {
        bench::RecordRatio("dataset", label, library, raw, unit, goal);
    } catch (const std::exception& e) {
        Die(e.what());
    }
}

// Keeps each benchmark's median real and CPU times, and which benchmarks failed their check.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs) {
            if (run.error_occurred)
                failed.insert(run.run_name.function_name);
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }
    std::map<std::string, double> times, cpuTimes;
    std::set<std::string> failed;
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
    Expected = ExpectedTotals();
    if (Expected.rows != Rows)
        Die("the generated table holds the wrong number of rows");

    // Memory first, before other runs leave freed memory for the allocator to reuse: the open
    // dataset scanned once (every record's buffers and caches as a user leaves them), checked.
    const double raw = bench::RawDataBytes(DbFile);
    double resident = 0;
    {
        malloc_trim(0);
        const long before = bench::ResidentBytes();
        auto ds = OpenDataSet();
        const Totals t = Scan(*ds);
        malloc_trim(0);
        resident = static_cast<double>(bench::ResidentBytes() - before);
        if (!t.Matches(Expected))
            Die("the dataset read " + t.Text() + "; expected " + Expected.Text());
    }
    malloc_trim(0);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::filesystem::remove(DbFile);

    bool anyFailed = false;
    // Real time as the engine benchmark reports it, and CPU time, which a busy shared machine
    // disturbs less (every benchmark here runs on one thread and waits for nothing).
    auto ratio = [&](const char* label, const char* a, const char* b, const char* target) {
        const auto ia = reporter.times.find(a), ib = reporter.times.find(b);
        if (reporter.failed.count(a) || reporter.failed.count(b)) {
            std::printf("  %-48s: n/a (a result check failed)\n", label);
            anyFailed = true;
        } else if (ia == reporter.times.end() || ib == reporter.times.end() || ib->second == 0 ||
                   reporter.cpuTimes[b] == 0) {
            std::printf("  %-48s: n/a (not run)\n", label);
        } else {
            std::printf("  %-48s: %5.2f  %5.2f   (target %s)\n", label, ia->second / ib->second,
                        reporter.cpuTimes[a] / reporter.cpuTimes[b], target);
            // The reporter's times are in the benchmarks' unit, milliseconds.
            Record(label, ia->second / 1e3, ib->second / 1e3, "s", target);
        }
    };
    std::printf("\nRatios of medians (%d rows; dataset / raw SQLite, lower is better):\n", Rows);
    std::printf("  %-48s   %5s  %5s\n", "", "real", "CPU");
    ratio("full scan, open excluded / sqlite3_step loop", "BM_DataSetScan", "BM_RawScan", "<= 1.5");
    ratio("full scan, open included / sqlite3_step loop", "BM_DataSetOpenScan", "BM_RawScan", "<= 2.5");
    ratio("Sort on two keys / ORDER BY", "BM_DataSetSort", "BM_RawOrderBy", "<= 0.5");
    ratio("Filter / the same WHERE", "BM_DataSetFilter", "BM_RawFilterWhere", "<= 0.2");
    ratio("Locate on code / SELECT ... WHERE code = ...", "BM_DataSetLocate", "BM_RawWhere", "<= 1");
    // Both read every record once (the grid's repaints included in its time), so per record the
    // ratio of times is the ratio of costs.
    ratio("grid scroll per record / full scan per record", "BM_DataSetGridScroll", "BM_DataSetScan", "<= 1");
    std::printf("  %-48s: %5.2f          (target <= 1.5; %.1f MB / %.1f MB)\n",
                "resident memory of the open dataset / raw data", resident / raw, resident / 1e6, raw / 1e6);
    Record("resident memory of the open dataset / raw data", resident / 1e6, raw / 1e6, "MB", "<= 1.5");
    // Per row, for the growth from one table size to the next.
    auto perRow = [&](const char* label, const char* name) {
        const auto it = reporter.times.find(name);
        if (it != reporter.times.end() && !reporter.failed.count(name))
            std::printf("  %-48s: %7.1f ns\n", label, reporter.cpuTimes[name] * 1e6 / Rows);
    };
    std::printf("\nCPU time per row (%d rows):\n", Rows);
    perRow("sqlite3_step loop", "BM_RawScan");
    perRow("dataset scan, open excluded", "BM_DataSetScan");
    perRow("dataset open and scan", "BM_DataSetOpenScan");
    perRow("dataset Sort on two keys", "BM_DataSetSort");
    return anyFailed ? 1 : 0;
}
