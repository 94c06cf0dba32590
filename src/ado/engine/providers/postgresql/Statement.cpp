// The PostgreSQL statement: prepared and described on the server when created (so the column
// metadata, keys and origins are known before any row arrives), parameters sent as text in the
// form each one's type reads, and rows streamed one at a time (libpq's single-row mode) and
// converted straight into typed cells. Inside a transaction each statement runs under a
// savepoint of its own, so a failure undoes that statement alone and leaves the caller's
// transaction usable, as it is on the other databases.
#include "ado/engine/providers/postgresql/PgPrivate.h"

#include "ado/engine/internal/IsoDate.h"
#include "ado/engine/internal/Text.h"
#include "framework/rtl/Exceptions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vmado::engine::postgresql {

namespace {

constexpr const char* GuardSavepoint = "vmado_guard";

enum : Oid {
    BoolOid = 16,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    Float4Oid = 700,
    Float8Oid = 701,
    DateOid = 1082,
    TimeOid = 1083,
    TimestampOid = 1114,
    TimestampTzOid = 1184,
    TimeTzOid = 1266,
    NumericOid = 1700,
};

AnsiString Excerpt(std::string_view sql)
{
    return sql.size() > 200 ? AnsiString(sql.substr(0, 200)) + "..." : AnsiString(sql);
}

// Statements that manage the transaction themselves must not run under a savepoint: releasing
// it would release theirs too.
bool ManagesTransaction(std::string_view sql)
{
    std::size_t i = 0;
    while (i < sql.size() &&
           (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\r' || sql[i] == '\n' || sql[i] == '('))
        ++i;
    std::size_t j = i;
    while (j < sql.size() && std::isalpha(static_cast<unsigned char>(sql[j])))
        ++j;
    const std::string_view word = sql.substr(i, j - i);
    for (const char* w :
         {"BEGIN", "START", "COMMIT", "END", "ROLLBACK", "ABORT", "SAVEPOINT", "RELEASE", "PREPARE"})
        if (EqualsIgnoreCase(word, w))
            return true;
    return false;
}

bool IsNumericType(Oid type)
{
    return type == Int2Oid || type == Int4Oid || type == Int8Oid || type == Float4Oid || type == Float8Oid ||
           type == NumericOid;
}

std::string TruthText(bool value, Oid type)
{
    if (IsNumericType(type))
        return value ? "1" : "0";
    return value ? "true" : "false";
}

std::string DoubleText(double v)
{
    if (std::isnan(v))
        return "NaN";
    if (std::isinf(v))
        return v < 0 ? "-Infinity" : "Infinity";
    char buf[40];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, end);
}

} // namespace

PgStatement::PgStatement(PgConnection& connection, std::string_view sql) : connection_(connection), sql_(sql)
{
    int placeholders = 0;
    const std::string text = NumberPlaceholders(ToUtf8(sql), placeholders);
    connection_.ParkStreaming();
    PGconn* conn = connection_.Conn();
    const bool guard = PQtransactionStatus(conn) == PQTRANS_INTRANS && !ManagesTransaction(sql);
    if (guard)
        connection_.Run(std::string("SAVEPOINT ") + GuardSavepoint, "Cannot prepare the statement");
    name_ = connection_.NextStatementName();
    try {
        Result prepared(PQprepare(conn, name_.c_str(), text.c_str(), 0, nullptr));
        if (!prepared || PQresultStatus(prepared.get()) != PGRES_COMMAND_OK)
            Raise(conn, prepared.get(), "Cannot prepare the statement '" + Excerpt(sql) + "'");
        Result description(PQdescribePrepared(conn, name_.c_str()));
        if (!description || PQresultStatus(description.get()) != PGRES_COMMAND_OK) {
            connection_.Forget(name_);
            Raise(conn, description.get(), "Cannot prepare the statement '" + Excerpt(sql) + "'");
        }
        parameterCount_ = PQnparams(description.get());
        for (int i = 0; i < parameterCount_; ++i)
            parameterTypes_.push_back(PQparamtype(description.get(), i));
        parameters_.resize(static_cast<std::size_t>(parameterCount_));
        Describe(description.get());
    } catch (...) {
        if (guard) {
            try {
                connection_.Run(std::string("ROLLBACK TO SAVEPOINT ") + GuardSavepoint +
                                    "; RELEASE SAVEPOINT " + GuardSavepoint,
                                "Cannot undo the failed statement");
            } catch (...) {
                // the failure to prepare is what the caller must see
            }
        }
        throw;
    }
    if (guard)
        connection_.Run(std::string("RELEASE SAVEPOINT ") + GuardSavepoint, "Cannot prepare the statement");
}

PgStatement::~PgStatement()
{
    try {
        if (running_) {
            Park();
            parked_.clear();
        }
        if (!name_.empty())
            connection_.Forget(name_);
    } catch (...) {
        // a statement going away has nobody left to tell
    }
}

void PgStatement::Describe(const PGresult* description)
{
    const int n = PQnfields(description);
    columns_.assign(static_cast<std::size_t>(n), ColumnMeta{});
    columnTypes_.assign(static_cast<std::size_t>(n), 0);
    scratch_.assign(static_cast<std::size_t>(n), std::string());
    for (int i = 0; i < n; ++i) {
        ColumnMeta& m = columns_[static_cast<std::size_t>(i)];
        const Oid type = PQftype(description, i);
        columnTypes_[static_cast<std::size_t>(i)] = type;
        m.Name = FromUtf8(PQfname(description, i));
        MapPgType(type, PQfmod(description, i), m);
        const Oid table = PQftable(description, i);
        const int column = PQftablecol(description, i);
        if (table == InvalidOid || column <= 0)
            continue;
        const PgConnection::Origin* origin = connection_.OriginOf(table, column);
        if (!origin)
            continue;
        m.BaseSchema = origin->Schema;
        m.BaseTable = origin->Table;
        m.BaseColumn = origin->Column;
        m.Nullable = !origin->NotNull;
        m.AutoIncrement = origin->Generated;
        for (const auto& key : connection_.PrimaryKey(m.BaseSchema, m.BaseTable))
            if (key == m.BaseColumn)
                m.PrimaryKey = true;
    }
}

void PgStatement::Bind(int index, const BoundValue& value)
{
    if (index < 1 || index > parameterCount_)
        throw EOleException("Cannot bind parameter " + std::to_string(index) + ": the statement has " +
                                std::to_string(parameterCount_) + " parameters",
                            "vmado.PostgreSQL");
    const Oid type = parameterTypes_[static_cast<std::size_t>(index - 1)];
    Parameter& p = parameters_[static_cast<std::size_t>(index - 1)];
    p = Parameter{};
    p.Set = true;
    const CellRef& c = value.Cell;
    switch (c.Kind) {
    case ValueKind::Null:
        break;
    case ValueKind::Boolean:
        p.Value = TruthText(c.B, type);
        break;
    case ValueKind::Integer:
        p.Value = type == BoolOid ? TruthText(c.I != 0, type) : std::to_string(c.I);
        break;
    case ValueKind::Float:
        p.Value = type == BoolOid ? TruthText(c.F != 0, type) : DoubleText(c.F);
        break;
    case ValueKind::Currency: {
        if (type == BoolOid) {
            p.Value = TruthText(c.Cur != 0, type);
            break;
        }
        // The exact digits: a double would round the fourth decimal of large amounts.
        const bool negative = c.Cur < 0;
        const unsigned long long m =
            negative ? 0ULL - static_cast<unsigned long long>(c.Cur) : static_cast<unsigned long long>(c.Cur);
        char text[40];
        const int n =
            std::snprintf(text, sizeof text, "%s%llu.%04llu", negative ? "-" : "", m / 10000, m % 10000);
        p.Value = std::string(text, static_cast<std::size_t>(n));
        break;
    }
    case ValueKind::Date: {
        // The form the parameter's type reads; a date column takes the day alone.
        DataTypeEnum form = value.Type;
        if (type == DateOid)
            form = adDBDate;
        else if (type == TimeOid || type == TimeTzOid)
            form = adDBTime;
        else if (type == TimestampOid || type == TimestampTzOid)
            form = adDBTimeStamp;
        else if (form != adDBDate && form != adDBTime)
            form = adDBTimeStamp;
        p.Value = FormatIsoDateTime(c.F, form);
        break;
    }
    case ValueKind::Text: {
        // Text the code page could not hold goes back as the database gave it.
        std::string text = c.Stored.empty() ? ToUtf8(c.Text) : std::string(c.Stored);
        if (text.find('\0') != std::string::npos)
            throw EOleException("Cannot bind parameter " + std::to_string(index) +
                                    ": the text holds a zero byte, which PostgreSQL text cannot hold",
                                "vmado.PostgreSQL");
        p.Value = std::move(text);
        break;
    }
    case ValueKind::Bytes:
        p.Value = std::string(c.Text);
        p.Binary = true;
        break;
    }
}

bool PgStatement::Execute()
{
    if (running_) {
        Park();
    }
    parked_.clear();
    current_.reset();
    failure_ = nullptr;
    rowsAffected_ = -1;
    std::vector<const char*> values(parameters_.size());
    std::vector<int> lengths(parameters_.size()), formats(parameters_.size());
    for (std::size_t i = 0; i < parameters_.size(); ++i) {
        const Parameter& p = parameters_[i];
        if (!p.Set)
            throw EOleException("Cannot execute the statement: parameter " + std::to_string(i + 1) +
                                    " has no value",
                                "vmado.PostgreSQL");
        values[i] = p.Value ? p.Value->c_str() : nullptr;
        lengths[i] = p.Value ? static_cast<int>(p.Value->size()) : 0;
        formats[i] = p.Binary ? 1 : 0;
    }
    connection_.ParkStreaming();
    PGconn* conn = connection_.Conn();
    if (PQtransactionStatus(conn) == PQTRANS_INTRANS && !ManagesTransaction(sql_)) {
        connection_.Run(std::string("SAVEPOINT ") + GuardSavepoint, "Cannot execute the statement");
        guarded_ = true;
    }
    const AnsiString what = "Cannot execute the statement '" + Excerpt(sql_) + "'";
    if (columns_.empty()) {
        Result r(PQexecPrepared(conn, name_.c_str(), parameterCount_, values.data(), lengths.data(),
                                formats.data(), 0));
        const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            Finish(true);
            Raise(conn, r.get(), what);
        }
        const char* count = PQcmdTuples(r.get());
        rowsAffected_ = count && *count ? std::atoll(count) : 0;
        Finish(false);
        return false;
    }
    if (!PQsendQueryPrepared(conn, name_.c_str(), parameterCount_, values.data(), lengths.data(),
                             formats.data(), 0)) {
        Finish(true);
        Raise(conn, nullptr, what);
    }
    PQsetSingleRowMode(conn);
    running_ = true;
    connection_.SetStreaming(this);
    // The first row, or the failure, now: a statement that cannot run fails here, not at a read.
    if (Result first = Pull(what))
        parked_.push_back(std::move(first));
    return true;
}

Result PgStatement::Pull(const AnsiString& what)
{
    PGconn* conn = connection_.Conn();
    Result r(PQgetResult(conn));
    const ExecStatusType status = r ? PQresultStatus(r.get()) : PGRES_TUPLES_OK;
    if (status == PGRES_SINGLE_TUPLE)
        return r;
    // The end, or a failure: read what libpq still holds so the connection is free again.
    while (Result more{PQgetResult(conn)}) {
    }
    running_ = false;
    connection_.SetStreaming(nullptr);
    if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
        Finish(false);
        return nullptr;
    }
    Finish(true);
    Raise(conn, r.get(), what);
}

void PgStatement::Park()
{
    try {
        while (running_)
            if (Result r = Pull("Cannot read the next row"))
                parked_.push_back(std::move(r));
    } catch (...) {
        // Told to the reader when it reaches the failed row, not to whoever needed the connection.
        failure_ = std::current_exception();
    }
}

void PgStatement::Finish(bool failed)
{
    if (!guarded_)
        return;
    guarded_ = false;
    const std::string name = GuardSavepoint;
    if (!failed) {
        connection_.Run("RELEASE SAVEPOINT " + name, "Cannot end the statement");
        return;
    }
    try {
        connection_.Run("ROLLBACK TO SAVEPOINT " + name + "; RELEASE SAVEPOINT " + name,
                        "Cannot undo the failed statement");
    } catch (...) {
        // the statement's own failure is what the caller must see
    }
}

bool PgStatement::Step(std::vector<CellRef>& row)
{
    current_.reset();
    Result r;
    if (!parked_.empty()) {
        r = std::move(parked_.front());
        parked_.pop_front();
    } else if (failure_) {
        std::exception_ptr failure = failure_;
        failure_ = nullptr;
        std::rethrow_exception(failure);
    } else if (running_) {
        r = Pull("Cannot read the next row");
    }
    if (!r)
        return false;
    current_ = std::move(r);
    const PGresult* res = current_.get();
    const std::size_t n = columns_.size();
    row.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        CellRef& c = row[i];
        const int col = static_cast<int>(i);
        if (PQgetisnull(res, 0, col)) {
            c.Kind = ValueKind::Null;
            c.Stored = {};
            continue;
        }
        ReadText(columns_[i], columnTypes_[i], PQgetvalue(res, 0, col),
                 static_cast<std::size_t>(PQgetlength(res, 0, col)), c, scratch_[i]);
    }
    return true;
}

} // namespace vmado::engine::postgresql
