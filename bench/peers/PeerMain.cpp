// The peer comparison's own side: generates the shared table once, then reads it through the raw
// sqlite3_step loop (the baseline every peer is divided by) or through the library's dataset,
// printing the seconds and checksum of one read for scripts/bench.
//   bench_peers generate FILE ROWS | bench_peers raw FILE | bench_peers dataset FILE
#include "dataset/VDB.h"

#include "../common/BenchTable.h"
#include "../common/Report.h"
#include "Checksum.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

using namespace vmado;

namespace {

void Generate(const std::string& file, long rows)
{
    if (std::filesystem::exists(file))
        throw std::invalid_argument(file + " exists already; the peers' table is always generated afresh");
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        const std::string error = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + file + ": " + error);
    }
    try {
        bench::FillBenchTable(db, static_cast<int>(rows));
        bench::ExecSql(db, "COMMIT");
    } catch (...) {
        sqlite3_close(db);
        std::filesystem::remove(file);
        throw;
    }
    sqlite3_close(db);
}

// Every column read through the getter of its stored type, without SQLite's per-call mutex, as the
// engine's own provider reads.
void RawRead(const std::string& file)
{
    const auto start = std::chrono::steady_clock::now();
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open " + file);
    }
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT * FROM bench", -1, &s, nullptr) != SQLITE_OK) {
        const std::string error = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error(file + ": " + error);
    }
    bench::PeerChecksum sum;
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        ++sum.Rows;
        sum.Ids += sqlite3_column_int64(s, 0);
        for (int text : {1, 2, 6})
            if (sqlite3_column_text(s, text) != nullptr)
                sum.Chars += sqlite3_column_bytes(s, text);
        sum.AddAmount(sqlite3_column_double(s, 3));
        sum.Days += sqlite3_column_text(s, 4) != nullptr;
        sum.Trues += sqlite3_column_int(s, 5) != 0;
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    if (rc != SQLITE_DONE)
        throw std::runtime_error(file + ": the read stopped early");
    bench::PrintPeerResult(start, sum);
}

// The library's client dataset opened on the table and scanned, every field read as its own type.
void DataSetRead(const std::string& file)
{
    const auto start = std::chrono::steady_clock::now();
    auto ds = std::make_unique<TVADODataSet>(nullptr);
    ds->SetConnection("Provider=SQLite;Data Source=" + file);
    ds->SetCommand("SELECT * FROM bench");
    ds->SetLockType(ltLockReadOnly);
    ds->Open();
    TField* id = ds->FieldByName("id");
    TField* texts[] = {ds->FieldByName("code"), ds->FieldByName("city"), ds->FieldByName("note")};
    TField* amount = ds->FieldByName("amount");
    TField* day = ds->FieldByName("day");
    TField* active = ds->FieldByName("active");
    bench::PeerChecksum sum;
    for (ds->First(); !ds->Eof(); ds->Next()) {
        ++sum.Rows;
        sum.Ids += id->AsLargeInt();
        for (TField* text : texts)
            sum.Chars += static_cast<long long>(text->AsString().size());
        sum.AddAmount(amount->AsFloat());
        sum.Days += day->AsDateTime() > 0; // a null date reads as 0, and the generator's are from 2000 on
        sum.Trues += active->AsBoolean() ? 1 : 0;
    }
    ds.reset();
    bench::PrintPeerResult(start, sum);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string usage = "usage: bench_peers generate FILE ROWS | raw FILE | dataset FILE";
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if (mode == "generate" && argc == 4)
            Generate(argv[2], bench::ParseCount(argv[3], "the row count", bench::MinRows));
        else if (mode == "raw" && argc == 3)
            RawRead(argv[2]);
        else if (mode == "dataset" && argc == 3)
            DataSetRead(argv[2]);
        else
            throw std::invalid_argument(usage);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_peers: %s\n", e.what());
        return 1;
    }
    return 0;
}
