// The dataset's open through psqlODBC against a raw ODBC block-fetch loop (SQLBindCol with a row
// array of 256) over the same driver, driver options and query, on a table the benchmark fills in
// the PostgreSQL database named by VMADO_PG_HOST/PORT/USER/DB. Both reads are checked against the
// server's own sums before the ratio is printed. bench_odbc_open [rows] [repetitions]
#include "dataset/VDB.h"

#include "../common/Report.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

using namespace vmado;

namespace {

[[noreturn]] void Die(const std::string& what)
{
    std::fprintf(stderr, "bench_odbc_open: %s\n", what.c_str());
    std::exit(1);
}

std::string Env(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
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

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const char* what)
{
    if (SQL_SUCCEEDED(rc))
        return;
    std::string message = what;
    SQLCHAR state[6], text[512];
    SQLINTEGER native;
    SQLSMALLINT length;
    for (SQLSMALLINT i = 1;
         SQLGetDiagRec(type, h, i, state, &native, text, sizeof text, &length) == SQL_SUCCESS; ++i)
        message += std::string(" [") + reinterpret_cast<char*>(state) + "] " + reinterpret_cast<char*>(text);
    throw std::runtime_error(message);
}

class RawConnection {
public:
    explicit RawConnection(const std::string& connection)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        Check(SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)connection.c_str(), SQL_NTS, nullptr, 0, nullptr,
                               SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc_, "connect");
    }
    ~RawConnection()
    {
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }
    void Exec(const std::string& sql)
    {
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
        Check(SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_HANDLE_STMT, st, sql.c_str());
        SQLFreeHandle(SQL_HANDLE_STMT, st);
    }
    Totals ServerTotals(const std::string& table)
    {
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
        const std::string sql = "SELECT COUNT(*), SUM(id), SUM(amount), SUM(LENGTH(code) + LENGTH(city) + "
                                "COALESCE(LENGTH(note), 0)), SUM(CASE WHEN active THEN 1 ELSE 0 END) FROM " +
                                table;
        Check(SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_HANDLE_STMT, st, "sums");
        Check(SQLFetch(st), SQL_HANDLE_STMT, st, "sums");
        Totals t;
        SQLBIGINT rows = 0, bytes = 0, trues = 0;
        double ids = 0, amounts = 0;
        SQLGetData(st, 1, SQL_C_SBIGINT, &rows, 0, nullptr);
        SQLGetData(st, 2, SQL_C_DOUBLE, &ids, 0, nullptr);
        SQLGetData(st, 3, SQL_C_DOUBLE, &amounts, 0, nullptr);
        SQLGetData(st, 4, SQL_C_SBIGINT, &bytes, 0, nullptr);
        SQLGetData(st, 5, SQL_C_SBIGINT, &trues, 0, nullptr);
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        t.Rows = rows, t.Ids = ids, t.Amounts = amounts, t.TextBytes = bytes, t.Trues = trues;
        return t;
    }
    // A generic client's block fetch: C types from SQLDescribeCol, 256 rows per fetch, text bound
    // with room for its declared size (4 KB for text without one; the check catches a cut value).
    Totals BlockFetch(const std::string& table)
    {
        SQLHSTMT st;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
        constexpr SQLULEN block = 256;
        SQLULEN fetched = 0;
        SQLSetStmtAttr(st, SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
        SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(block), 0);
        SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
        const std::string sql = "SELECT * FROM " + table;
        Check(SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS), SQL_HANDLE_STMT, st, "select");
        SQLSMALLINT count = 0;
        SQLNumResultCols(st, &count);
        struct Column {
            SQLSMALLINT SqlType = 0, CType = 0;
            SQLULEN Size = 0;
            SQLLEN Width = 0;
            std::vector<char> Data;
            std::vector<SQLLEN> Indicators;
        };
        std::vector<Column> columns(static_cast<std::size_t>(count));
        for (SQLSMALLINT i = 0; i < count; ++i) {
            Column& c = columns[static_cast<std::size_t>(i)];
            SQLCHAR name[128];
            SQLSMALLINT nameLength, digits, nullable;
            SQLDescribeCol(st, i + 1, name, sizeof name, &nameLength, &c.SqlType, &c.Size, &digits,
                           &nullable);
            switch (c.SqlType) {
            case SQL_BIT:
            case SQL_SMALLINT:
            case SQL_INTEGER:
            case SQL_BIGINT:
                c.CType = SQL_C_SBIGINT, c.Width = sizeof(SQLBIGINT);
                break;
            case SQL_DOUBLE:
            case SQL_FLOAT:
            case SQL_REAL:
                c.CType = SQL_C_DOUBLE, c.Width = sizeof(double);
                break;
            case SQL_TYPE_DATE:
                c.CType = SQL_C_TYPE_DATE, c.Width = sizeof(SQL_DATE_STRUCT);
                break;
            default:
                c.CType = SQL_C_CHAR;
                c.Width = static_cast<SQLLEN>((c.Size > 0 && c.Size < 1024 ? c.Size : 1024) * 4 + 1);
                break;
            }
            c.Data.assign(static_cast<std::size_t>(c.Width) * block, 0);
            c.Indicators.assign(block, 0);
            Check(SQLBindCol(st, static_cast<SQLUSMALLINT>(i + 1), c.CType, c.Data.data(), c.Width,
                             c.Indicators.data()),
                  SQL_HANDLE_STMT, st, "bind");
        }
        Totals t;
        SQLRETURN rc;
        while (SQL_SUCCEEDED(rc = SQLFetch(st))) {
            for (SQLULEN r = 0; r < fetched; ++r) {
                ++t.Rows;
                for (std::size_t i = 0; i < columns.size(); ++i) {
                    const Column& c = columns[i];
                    const SQLLEN indicator = c.Indicators[r];
                    if (indicator == SQL_NULL_DATA)
                        continue;
                    const char* p = c.Data.data() + r * static_cast<std::size_t>(c.Width);
                    if (c.CType == SQL_C_SBIGINT) {
                        SQLBIGINT v;
                        std::memcpy(&v, p, sizeof v);
                        if (i == 0)
                            t.Ids += static_cast<double>(v);
                        else if (i == 5)
                            t.Trues += v != 0;
                    } else if (c.CType == SQL_C_DOUBLE) {
                        double v;
                        std::memcpy(&v, p, sizeof v);
                        t.Amounts += v;
                    } else if (c.CType == SQL_C_CHAR && i != 4) {
                        if (i == 5)
                            t.Trues += p[0] == '1' || p[0] == 't';
                        else
                            t.TextBytes += std::min<SQLLEN>(indicator, c.Width - 1);
                    }
                }
            }
        }
        if (rc != SQL_NO_DATA)
            Check(rc, SQL_HANDLE_STMT, st, "fetch");
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        return t;
    }

private:
    SQLHENV env_ = SQL_NULL_HANDLE;
    SQLHDBC dbc_ = SQL_NULL_HANDLE;
};

// The dataset's open, timed alone; the values it holds are then summed untimed for the check.
Totals DataSetOpen(const std::string& connection, const std::string& table, double& openSeconds)
{
    TVADODataSet d(nullptr);
    d.SetConnection(connection);
    d.SetCommand("SELECT * FROM " + table);
    d.SetLockType(ltLockReadOnly);
    const auto start = std::chrono::steady_clock::now();
    d.Open();
    openSeconds = Seconds(start);
    Totals t;
    TField* fields[7];
    const char* const names[] = {"id", "code", "city", "amount", "day", "active", "note"};
    for (int i = 0; i < 7; ++i)
        fields[i] = d.FieldByName(names[i]);
    for (d.First(); !d.Eof(); d.Next()) {
        ++t.Rows;
        t.Ids += static_cast<double>(fields[0]->AsLargeInt());
        t.Amounts += fields[3]->AsFloat();
        for (int i : {1, 2, 6})
            t.TextBytes += static_cast<long>(fields[i]->AsString().size());
        t.Trues += fields[5]->AsBoolean() ? 1 : 0;
    }
    return t;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Drops the benchmark's table however the run ends, so a failed check leaves nothing behind in a
// database others use.
struct TableDropper {
    RawConnection& Admin;
    std::string Table;
    ~TableDropper()
    {
        try {
            Admin.Exec("DROP TABLE " + Table);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "bench_odbc_open: %s\n", e.what());
        }
    }
};

void Run(long rows, int repetitions)
{
    // The options the library's ODBC provider gives psqlODBC unless told otherwise, so both
    // sides read through the same driver behaviour.
    const std::string driver =
        "DRIVER={PostgreSQL Unicode};Server=" + Env("VMADO_PG_HOST", "127.0.0.1") +
        ";Port=" + Env("VMADO_PG_PORT", "5432") + ";Database=" + Env("VMADO_PG_DB", "postgres") +
        ";UID=" + Env("VMADO_PG_USER", "postgres") + ";PWD=;UseDeclareFetch=1;Fetch=2000;BoolsAsChar=0";
    const std::string table = "bench_odbc_" + std::to_string(getpid());
    RawConnection admin(driver);
    admin.Exec(
        "CREATE TABLE " + table +
        " (id INTEGER PRIMARY KEY, code VARCHAR(8), city VARCHAR(12), amount DOUBLE PRECISION, day DATE, "
        "active BOOLEAN, note TEXT)");
    const TableDropper dropper{admin, table};
    admin.Exec(
        "INSERT INTO " + table +
        " SELECT i, 'C' || LPAD((i % 200000)::text, 6, '0'), 'City' || LPAD((i % 50)::text, 2, '0'), "
        "(i::bigint * 7919 % 100000) / 100.0, DATE '2000-01-01' + (i % 9000), i % 3 = 0, "
        "CASE WHEN i % 11 = 0 THEN NULL ELSE REPEAT('word, ', i % 6 + 1) END FROM generate_series(1, " +
        std::to_string(rows) + ") AS g(i)");
    admin.Exec("ANALYZE " + table);
    const Totals expected = admin.ServerTotals(table);

    std::vector<double> raw, open;
    for (int rep = 0; rep < repetitions; ++rep) {
        auto start = std::chrono::steady_clock::now();
        const Totals r = admin.BlockFetch(table);
        raw.push_back(Seconds(start));
        if (!Same(r, expected))
            throw std::runtime_error("the raw block fetch's totals differ from the server's (" +
                                     std::to_string(r.Rows) + " rows)");
        double seconds = 0;
        const Totals d = DataSetOpen("Provider=MSDASQL;" + driver, table, seconds);
        open.push_back(seconds);
        if (!Same(d, expected))
            throw std::runtime_error("the dataset's totals differ from the server's (" +
                                     std::to_string(d.Rows) + " rows)");
    }
    std::printf("psqlODBC, %ld rows, medians of %d runs; totals checked\n", rows, repetitions);
    std::printf("  raw block fetch (SQLBindCol, 256 rows)   %8.3f s\n", Median(raw));
    std::printf("  dataset open                             %8.3f s\n", Median(open));
    std::printf("  ratio open / raw block fetch             %8.2f   (target <= 1.2)\n",
                Median(open) / Median(raw));
    bench::RecordRatio("odbc", "dataset open through psqlODBC / raw block fetch", Median(open), Median(raw),
                       "s", "<= 1.2");
}

} // namespace

int main(int argc, char** argv)
{
    try {
        if (argc > 3)
            throw std::invalid_argument("usage: bench_odbc_open [rows [repetitions]]");
        const long rows = argc > 1 ? bench::ParseCount(argv[1], "the row count") : 1000000;
        const int repetitions =
            argc > 2 ? static_cast<int>(bench::ParseCount(argv[2], "the repetitions")) : 3;
        Run(rows, repetitions);
    } catch (const std::exception& e) {
        Die(e.what());
    }
    return 0;
}
