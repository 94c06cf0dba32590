// The native PostgreSQL provider's open (every row materialised into the client cursor) against a
// raw libpq single-row loop that reads every value of the same query, on a generated table of
// the benchmarks' shape in a schema of its own. Runs alternate; the medians' ratio is printed only
// after the recordset has been checked against the database.
// Needs VMADO_PG_HOST, VMADO_PG_PORT, VMADO_PG_USER and VMADO_PG_DB; the row count is the first
// argument (1,000,000 by default).
#include "ado/ADOApi.h"

#include "../common/Report.h"

#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vmado;

namespace {

[[noreturn]] void Die(const std::string& what)
{
    std::fprintf(stderr, "bench_postgresql: %s\n", what.c_str());
    std::exit(1);
}

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        Die(std::string(name) + " is not set");
    return v;
}

void Exec(PGconn* conn, const std::string& sql)
{
    PGresult* r = PQexec(conn, sql.c_str());
    const ExecStatusType status = PQresultStatus(r);
    const std::string error = PQresultErrorMessage(r);
    PQclear(r);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(sql + ": " + error);
}

std::string Scalar(PGconn* conn, const std::string& sql)
{
    PGresult* r = PQexec(conn, sql.c_str());
    if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1) {
        const std::string error = PQresultErrorMessage(r);
        PQclear(r);
        throw std::runtime_error(sql + ": " + error);
    }
    std::string value = PQgetvalue(r, 0, 0);
    PQclear(r);
    return value;
}

const char* const Query = "SELECT id, code, city, amount, day, active, note FROM bench ORDER BY id";

// The raw loop: every value of every row touched, as a reader of the rows would.
double RawLoop(PGconn* conn, long long& rows)
{
    const auto start = std::chrono::steady_clock::now();
    if (!PQsendQuery(conn, Query) || !PQsetSingleRowMode(conn))
        throw std::runtime_error(PQerrorMessage(conn));
    rows = 0;
    std::size_t bytes = 0;
    while (PGresult* r = PQgetResult(conn)) {
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_SINGLE_TUPLE) {
            ++rows;
            for (int c = 0; c < PQnfields(r); ++c)
                bytes += PQgetisnull(r, 0, c)
                             ? 0
                             : static_cast<std::size_t>(PQgetlength(r, 0, c)) + *PQgetvalue(r, 0, c);
        } else if (status != PGRES_TUPLES_OK) {
            const std::string error = PQresultErrorMessage(r);
            PQclear(r);
            // The rest of the results must be read before the connection takes another query.
            while (PGresult* rest = PQgetResult(conn))
                PQclear(rest);
            throw std::runtime_error(error);
        }
        PQclear(r);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (bytes == 0)
        throw std::runtime_error("the raw loop read nothing");
    return seconds;
}

double EngineOpen(const ConnectionPtr& connection, RecordsetPtr& kept)
{
    const auto start = std::chrono::steady_clock::now();
    auto rs = CoRecordset::Create();
    rs->SetCursorLocation(adUseClient);
    rs->Open(Query, connection, adOpenStatic, adLockReadOnly, adCmdText);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kept = rs;
    return seconds;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    long long rows = 1000000;
    int runs = 5;
    try {
        if (argc > 3)
            throw std::invalid_argument("usage: bench_postgresql [rows [runs]]");
        if (argc > 1)
            rows = bench::ParseCount(argv[1], "the row count");
        if (argc > 2)
            runs = static_cast<int>(bench::ParseCount(argv[2], "the number of runs", 1));
    } catch (const std::exception& e) {
        Die(e.what());
    }
    const std::string host = Env("VMADO_PG_HOST"), port = Env("VMADO_PG_PORT"), user = Env("VMADO_PG_USER"),
                      db = Env("VMADO_PG_DB");
    const std::string schema = "bench_" + std::to_string(getpid());
    const std::string conninfo = "host=" + host + " port=" + port + " user=" + user + " dbname=" + db +
                                 " options='-c search_path=" + schema + " -c client_min_messages=warning'";
    PGconn* conn = PQconnectdb(conninfo.c_str());
    if (PQstatus(conn) != CONNECTION_OK) {
        const std::string error = PQerrorMessage(conn);
        PQfinish(conn);
        Die(error);
    }
    std::vector<double> raw, engine;
    RecordsetPtr rs;
    long long rawRows = 0;
    int status = 0;
    bool created = false;
    try {
        std::printf("Generating %lld rows in schema %s...\n", rows, schema.c_str());
        Exec(conn, "CREATE SCHEMA " + schema);
        created = true;
        Exec(conn, "CREATE TABLE bench (id integer PRIMARY KEY, code varchar(8), city varchar(12), amount "
                   "double precision, day date, active boolean, note text)");
        Exec(conn, "INSERT INTO bench SELECT i, 'C' || lpad((i % 200000)::text, 6, '0'), "
                   "'City' || lpad(((i * 7919) % 50)::text, 2, '0'), ((i * 104729) % 100000) / 100.0, "
                   "date '2000-01-01' + ((i * 31) % 9000)::int, i % 2 = 0, "
                   "repeat('alpha beta, gamma ', (1 + i % 4)::int) FROM generate_series(1::bigint, " +
                       std::to_string(rows) + ") AS i");
        Exec(conn, "ANALYZE bench");
        const std::string connectionString = "Provider=PostgreSQL;Data Source=" + host + ";Port=" + port +
                                             ";User ID=" + user + ";Initial Catalog=" + db +
                                             ";Search Path=" + schema;
        const ConnectionPtr connection = CoConnection::Create();
        connection->Open(connectionString);
        for (int i = 0; i < runs; ++i) {
            raw.push_back(RawLoop(conn, rawRows));
            rs = nullptr;
            engine.push_back(EngineOpen(connection, rs));
        }
        // The recordset must hold what the database holds, or the ratio means nothing.
        if (rawRows != rows || rs->RecordCount() != rows)
            throw std::runtime_error("row counts differ: raw " + std::to_string(rawRows) + ", recordset " +
                                     std::to_string(rs->RecordCount()) + ", table " + std::to_string(rows));
        double amount = 0;
        long long ids = 0;
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            ids += rs->Fields()->Item("id")->Value().AsInt64();
            amount += rs->Fields()->Item("amount")->Value().AsFloat();
        }
        const long long dbIds = std::atoll(Scalar(conn, "SELECT sum(id) FROM bench").c_str());
        const double dbAmount = std::atof(Scalar(conn, "SELECT sum(amount) FROM bench").c_str());
        if (ids != dbIds || std::abs(amount - dbAmount) > 1e-6 * std::max(1.0, std::abs(dbAmount)))
            throw std::runtime_error("the recordset's sums differ from the database's");
        rs->MoveLast();
        if (rs->Fields()->Item("note")->Value().AsString() !=
            Scalar(conn, "SELECT note FROM bench ORDER BY id DESC LIMIT 1"))
            throw std::runtime_error("the last row's note differs from the database's");
        std::printf("raw libpq single-row loop: median %.3f s\n", Median(raw));
        std::printf("Provider=PostgreSQL open : median %.3f s\n", Median(engine));
        std::printf("open / libpq single-row loop: %.2f   (target <= 1.5; %lld rows, %d runs each)\n",
                    Median(engine) / Median(raw), rows, runs);
        bench::RecordRatio("postgresql", "Provider=PostgreSQL open / libpq single-row loop", Median(engine),
                           Median(raw), "s", "<= 1.5");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_postgresql: %s\n", e.what());
        status = 1;
    }
    rs = nullptr;
    // A failed run must not leave its schema behind in a database others use.
    if (created) {
        try {
            Exec(conn, "DROP SCHEMA " + schema + " CASCADE");
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_postgresql: %s\n", e.what());
            status = 1;
        }
    }
    PQfinish(conn);
    return status;
}
