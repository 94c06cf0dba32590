// A dataset over a forward-only server cursor scanning and exporting the benchmark table (any row
// count and number of runs: bench_streaming 10000000 3) against the raw sqlite3_step loop, with
// the peak resident memory of each phase. The totals the dataset read and the lines it exported are checked
// against SQLite's own sums before any figure is printed.
#include "dataset/VDB.h"

#include "../common/BenchTable.h"
#include "../common/Report.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vmado;

namespace {

// The database and the export, removed however the run ends: a failed run at ten million rows
// would otherwise leave a gigabyte behind in the temporary folder.
std::vector<std::string> TemporaryFiles;

[[noreturn]] void Die(const std::string& what)
{
    std::fprintf(stderr, "bench_streaming: %s\n", what.c_str());
    for (const auto& file : TemporaryFiles)
        std::filesystem::remove(file);
    std::exit(1);
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The process's resident peak (VmHWM) in MiB; ResetPeak starts a new phase's peak from what is
// resident now.
double PeakMiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Totals {
    long Rows = 0;
    double Ids = 0;
    double Amounts = 0;
    long TextBytes = 0; // code, city, note
    long Trues = 0;
};

bool Same(const Totals& a, const Totals& b)
{
    return a.Rows == b.Rows && a.Ids == b.Ids && std::fabs(a.Amounts - b.Amounts) < 0.005 * a.Rows + 1e-6 &&
           a.TextBytes == b.TextBytes && a.Trues == b.Trues;
}

Totals DatabaseTotals(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT COUNT(*), SUM(id), SUM(amount), SUM(LENGTH(code) + LENGTH(city) + "
                           "COALESCE(LENGTH(note), 0)), SUM(active) FROM bench",
                           -1, &st, nullptr) != SQLITE_OK ||
        sqlite3_step(st) != SQLITE_ROW)
        Die("cannot sum the table");
    Totals t;
    t.Rows = sqlite3_column_int64(st, 0);
    t.Ids = static_cast<double>(sqlite3_column_int64(st, 1));
    t.Amounts = sqlite3_column_double(st, 2);
    t.TextBytes = sqlite3_column_int64(st, 3);
    t.Trues = sqlite3_column_int64(st, 4);
    sqlite3_finalize(st);
    return t;
}

Totals RawScan(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM bench", -1, &st, nullptr) != SQLITE_OK)
        Die("cannot prepare the raw scan");
    Totals t;
    while (sqlite3_step(st) == SQLITE_ROW) {
        ++t.Rows;
        t.Ids += static_cast<double>(sqlite3_column_int64(st, 0));
        t.Amounts += sqlite3_column_double(st, 3);
        for (int c : {1, 2, 6}) {
            sqlite3_column_text(st, c);
            t.TextBytes += sqlite3_column_bytes(st, c);
        }
        sqlite3_column_text(st, 4);
        t.Trues += sqlite3_column_int(st, 5);
    }
    sqlite3_finalize(st);
    return t;
}

// Scans the streaming dataset reading every field, and writes each record as one line of
// comma-separated values to out.
Totals DataSetScanExport(const std::string& dbFile, std::FILE* out, double& openSeconds)
{
    const auto start = std::chrono::steady_clock::now();
    TVADODataSet d(nullptr);
    d.SetConnection("Provider=SQLite;Data Source=" + dbFile);
    d.SetCommand("SELECT * FROM bench");
    d.SetCursorLocation(clServer);
    d.SetCursorType(ctOpenForwardOnly);
    d.SetLockType(ltLockReadOnly);
    d.Open();
    openSeconds = Seconds(start);
    TField* id = d.FieldByName("id");
    TField* code = d.FieldByName("code");
    TField* city = d.FieldByName("city");
    TField* amount = d.FieldByName("amount");
    TField* day = d.FieldByName("day");
    TField* active = d.FieldByName("active");
    TField* note = d.FieldByName("note");
    Totals t;
    for (d.First(); !d.Eof(); d.Next()) {
        ++t.Rows;
        const Int64 idValue = id->AsLargeInt();
        const AnsiString codeText = code->AsString(), cityText = city->AsString(),
                         noteText = note->AsString();
        const double amountValue = amount->AsFloat();
        const AnsiString dayText = day->AsString();
        const bool flag = active->AsBoolean();
        t.Ids += static_cast<double>(idValue);
        t.Amounts += amountValue;
        t.TextBytes += static_cast<long>(codeText.size() + cityText.size() + noteText.size());
        t.Trues += flag ? 1 : 0;
        std::fprintf(out, "%lld,%s,%s,%.2f,%s,%d,\"%s\"\n", static_cast<long long>(idValue), codeText.c_str(),
                     cityText.c_str(), amountValue, dayText.c_str(), flag ? 1 : 0, noteText.c_str());
    }
    d.Close();
    return t;
}

long CountLines(const std::string& file)
{
    std::FILE* in = std::fopen(file.c_str(), "rb");
    if (!in)
        Die("cannot read back " + file);
    long lines = 0;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        for (std::size_t i = 0; i < n; ++i)
            lines += buffer[i] == '\n';
    std::fclose(in);
    return lines;
}

} // namespace

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A phase's highest peak over the runs, with what was resident when that run began.
struct Peak {
    double Top = 0, Before = 0;
    void Take(double top, double before)
    {
        if (top > Top)
            Top = top, Before = before;
    }
};

int main(int argc, char** argv)
{
    long rows = 1000000;
    int runs = 3;
    try {
        if (argc > 3)
            throw std::invalid_argument("usage: bench_streaming [rows [runs]]");
        if (argc > 1)
            rows = bench::ParseCount(argv[1], "the row count");
        if (argc > 2)
            runs = static_cast<int>(bench::ParseCount(argv[2], "the number of runs"));
    } catch (const std::exception& e) {
        Die(e.what());
    }
    const auto dir = std::filesystem::temp_directory_path();
    const std::string dbFile = (dir / ("vmado-stream-" + std::to_string(getpid()) + ".db")).string();
    const std::string csvFile = (dir / ("vmado-stream-" + std::to_string(getpid()) + ".csv")).string();
    TemporaryFiles = {dbFile, csvFile};
    std::filesystem::remove(dbFile);
    sqlite3* db = nullptr;
    if (sqlite3_open(dbFile.c_str(), &db) != SQLITE_OK)
        Die("cannot create " + dbFile);
    try {
        bench::FillBenchTable(db, static_cast<int>(rows));
        bench::ExecSql(db, "COMMIT");
    } catch (const std::exception& e) {
        Die(e.what());
    }
    const Totals expected = DatabaseTotals(db);
    sqlite3_close(db);
    const double dataMiB = static_cast<double>(std::filesystem::file_size(dbFile)) / (1024.0 * 1024.0);

    // The two reads alternate, so a busy moment on a shared machine falls on one run of either
    // rather than on all of one side; medians are reported.
    std::vector<double> rawTimes, dataSetTimes, openTimes;
    Peak rawPeak, dataSetPeak;
    for (int run = 0; run < runs; ++run) {
        // The raw loop without SQLite's per-call mutex, as the engine's provider runs.
        if (sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
            SQLITE_OK)
            Die("cannot open " + dbFile);
        ResetPeak();
        double before = PeakMiB();
        auto start = std::chrono::steady_clock::now();
        const Totals raw = RawScan(db);
        rawTimes.push_back(Seconds(start));
        rawPeak.Take(PeakMiB(), before);
        sqlite3_close(db);
        if (!Same(raw, expected))
            Die("the raw scan's totals differ from the database's");

        std::FILE* out = std::fopen(csvFile.c_str(), "wb");
        if (!out)
            Die("cannot create " + csvFile);
        ResetPeak();
        before = PeakMiB();
        double openSeconds = 0;
        start = std::chrono::steady_clock::now();
        Totals streamed;
        try {
            streamed = DataSetScanExport(dbFile, out, openSeconds);
        } catch (const std::exception& e) {
            std::fclose(out);
            Die(std::string("dataset: ") + e.what());
        }
        dataSetTimes.push_back(Seconds(start));
        openTimes.push_back(openSeconds);
        dataSetPeak.Take(PeakMiB(), before);
        if (std::fclose(out) != 0)
            Die("cannot write " + csvFile);
        const long exported = CountLines(csvFile);
        if (!Same(streamed, expected))
            Die("the streaming dataset's totals differ from the database's (" +
                std::to_string(streamed.Rows) + " rows read of " + std::to_string(expected.Rows) + ")");
        if (exported != expected.Rows)
            Die("the export holds " + std::to_string(exported) + " lines for " +
                std::to_string(expected.Rows) + " rows");
    }
    for (const auto& file : TemporaryFiles)
        std::filesystem::remove(file);

    const double rawSeconds = Median(rawTimes), dataSetSeconds = Median(dataSetTimes);
    std::printf("Streaming scan and export, %ld rows (database file %.1f MiB), medians of %d runs; totals "
                "checked\n",
                rows, dataMiB, runs);
    std::printf("  raw sqlite3_step loop          %8.3f s   peak RSS %8.1f MiB (%.1f before)\n", rawSeconds,
                rawPeak.Top, rawPeak.Before);
    std::printf("  dataset open + scan + export   %8.3f s   peak RSS %8.1f MiB (%.1f before), open %.3f s\n",
                dataSetSeconds, dataSetPeak.Top, dataSetPeak.Before, Median(openTimes));
    std::printf("  ratio dataset / raw            %8.2f\n", dataSetSeconds / rawSeconds);
    std::printf("  per row: raw %.0f ns, dataset %.0f ns\n", rawSeconds * 1e9 / rows,
                dataSetSeconds * 1e9 / rows);
    try {
        bench::RecordRatio("streaming", "forward-only dataset open, scan and CSV export / sqlite3_step loop",
                           dataSetSeconds, rawSeconds, "s", "");
    } catch (const std::exception& e) {
        Die(e.what());
    }
    return 0;
}
