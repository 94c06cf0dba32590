// The SQLite statement: prepare, bind, step into typed cells, column metadata from the
// declared types and the column-origin functions (base table, base column, key, autoincrement).
#include "ado/engine/providers/sqlite/SqlitePrivate.h"

#include "ado/engine/internal/IsoDate.h"
#include "ado/engine/internal/Text.h"

#include <cmath>

namespace vmado::engine::sqlite {

namespace {
AnsiString Excerpt(std::string_view sql)
{
    return sql.size() > 200 ? AnsiString(sql.substr(0, 200)) + "..." : AnsiString(sql);
}
} // namespace

SqliteStatement::SqliteStatement(SqliteConnection& connection, std::string_view sql) : connection_(connection)
{
    const std::string text = ToUtf8(sql);
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    int rc = sqlite3_prepare_v2(connection_.Db(), text.c_str(), static_cast<int>(text.size()), &raw, &tail);
    stmt_.reset(raw);
    if (rc != SQLITE_OK)
        Raise(connection_.Db(), rc, "Cannot prepare the statement '" + Excerpt(sql) + "'");
    if (!stmt_)
        throw EOleException("Cannot prepare the statement: the command text is empty", "vmado.SQLite");
    // A second statement after the first would be silently ignored by SQLite; refuse it.
    if (tail) {
        std::string_view rest(tail);
        for (char c : rest)
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != ';')
                throw EOleException("Cannot prepare the statement '" + Excerpt(sql) +
                                        "': only one statement may be given at a time",
                                    "vmado.SQLite");
    }
}

int SqliteStatement::ParameterCount() const
{
    return sqlite3_bind_parameter_count(stmt_.get());
}

void SqliteStatement::Bind(int index, const BoundValue& value)
{
    if (index < 1 || index > ParameterCount())
        throw EOleException("Cannot bind parameter " + std::to_string(index) + ": the statement has " +
                                std::to_string(ParameterCount()) + " parameters",
                            "vmado.SQLite");
    if (executed_) {
        sqlite3_reset(stmt_.get());
        executed_ = false;
    }
    sqlite3_stmt* s = stmt_.get();
    const CellRef& c = value.Cell;
    int rc = SQLITE_OK;
    switch (c.Kind) {
    case ValueKind::Null:
        rc = sqlite3_bind_null(s, index);
        break;
    case ValueKind::Boolean:
        rc = sqlite3_bind_int(s, index, c.B ? 1 : 0);
        break;
    case ValueKind::Integer:
        rc = sqlite3_bind_int64(s, index, c.I);
        break;
    case ValueKind::Float:
        rc = sqlite3_bind_double(s, index, c.F);
        break;
    case ValueKind::Currency:
        rc = sqlite3_bind_double(s, index, static_cast<double>(c.Cur) / 10000.0);
        break;
    case ValueKind::Date: {
        DataTypeEnum type = value.Type;
        if (type != adDBDate && type != adDBTime && type != adDBTimeStamp && type != adDate)
            type = std::trunc(c.F) == c.F ? adDBDate : adDBTimeStamp;
        if (type == adDate)
            type = adDBTimeStamp;
        const std::string text = FormatIsoDateTime(c.F, type);
        rc = sqlite3_bind_text(s, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        break;
    }
    case ValueKind::Text: {
        // The stored bytes go back as they are, valid UTF-8 or not: SQLite compares bytes.
        const std::string text = c.Stored.empty() ? ToUtf8(c.Text) : std::string(c.Stored);
        rc = sqlite3_bind_text64(s, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    case ValueKind::Bytes:
        rc = sqlite3_bind_blob64(s, index, c.Text.data(), c.Text.size(), SQLITE_TRANSIENT);
        break;
    }
    if (rc != SQLITE_OK)
        Raise(connection_.Db(), rc, "Cannot bind parameter " + std::to_string(index));
}

bool SqliteStatement::Execute()
{
    if (executed_)
        sqlite3_reset(stmt_.get());
    executed_ = true;
    pendingRow_ = done_ = false;
    connection_.BeginCommand();
    const int rc = sqlite3_step(stmt_.get());
    connection_.EndCommand();
    if (rc == SQLITE_ROW) {
        pendingRow_ = true;
    } else if (rc == SQLITE_DONE) {
        done_ = true;
    } else {
        const char* sql = sqlite3_sql(stmt_.get());
        const AnsiString what = "Cannot execute the statement '" + Excerpt(FromUtf8(sql ? sql : "")) + "'";
        if (rc == SQLITE_INTERRUPT)
            Raise(connection_.Db(), rc, what + " within the command timeout");
        Raise(connection_.Db(), rc, what);
    }
    const bool rows = sqlite3_column_count(stmt_.get()) > 0;
    rowsAffected_ = rows ? -1 : static_cast<Int64>(sqlite3_changes64(connection_.Db()));
    return rows;
}

void SqliteStatement::Describe()
{
    described_ = true;
    sqlite3_stmt* s = stmt_.get();
    const int n = sqlite3_column_count(s);
    columns_.assign(static_cast<std::size_t>(n), ColumnMeta{});
    convert_.assign(static_cast<std::size_t>(n), std::string());
    for (int i = 0; i < n; ++i) {
        ColumnMeta& m = columns_[static_cast<std::size_t>(i)];
        const char* name = sqlite3_column_name(s, i);
        m.Name = FromUtf8(name ? name : "");
        const char* decl = sqlite3_column_decltype(s, i);
        MapDeclaredType(decl ? decl : "", m);
        const char* table = sqlite3_column_table_name(s, i);
        const char* origin = sqlite3_column_origin_name(s, i);
        const char* dbName = sqlite3_column_database_name(s, i);
        if (table && origin) {
            m.BaseTable = FromUtf8(table);
            m.BaseColumn = FromUtf8(origin);
            m.BaseSchema = dbName ? FromUtf8(dbName) : AnsiString("main");
            const char* declared = nullptr;
            const char* collation = nullptr;
            int notNull = 0, primaryKey = 0, autoInc = 0;
            if (sqlite3_table_column_metadata(connection_.Db(), dbName, table, origin, &declared, &collation,
                                              &notNull, &primaryKey, &autoInc) == SQLITE_OK) {
                m.Nullable = notNull == 0;
                m.PrimaryKey = primaryKey != 0;
                // An INTEGER PRIMARY KEY is the rowid: the database fills it on INSERT.
                m.AutoIncrement =
                    autoInc != 0 || (m.PrimaryKey && declared && EqualsIgnoreCase(declared, "INTEGER") &&
                                     connection_.PrimaryKey(m.BaseSchema, m.BaseTable).size() == 1);
            }
        }
    }
}

const std::vector<ColumnMeta>& SqliteStatement::Columns()
{
    if (!described_)
        Describe();
    return columns_;
}

bool SqliteStatement::Step(std::vector<CellRef>& row)
{
    if (!described_)
        Describe();
    if (done_ || !executed_)
        return false;
    sqlite3_stmt* s = stmt_.get();
    if (!pendingRow_) {
        const int rc = sqlite3_step(s);
        if (rc == SQLITE_DONE) {
            done_ = true;
            return false;
        }
        if (rc != SQLITE_ROW)
            Raise(connection_.Db(), rc, "Cannot read the next row");
    }
    pendingRow_ = false;
    const std::size_t n = columns_.size();
    row.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        const ValueKind kind = columns_[i].Kind;
        CellRef& c = row[i];
        c.Stored = {};
        // One value handle per cell: the sqlite3_value_* calls skip the per-call checks of
        // the sqlite3_column_* family.
        sqlite3_value* v = sqlite3_column_value(s, static_cast<int>(i));
        const int type = sqlite3_value_type(v);
        if (kind == ValueKind::Text && !columns_[i].KindFromData) {
            // A text column takes every value as text (SQLite converts numbers and passes blob
            // bytes, an empty blob as ""): only a NULL has no text, unless memory ran out.
            if (type == SQLITE_NULL) {
                c.Kind = ValueKind::Null;
                continue;
            }
            const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            if (!p) // the value calls leave the connection's error alone: name the cause here
                Raise(nullptr, SQLITE_NOMEM, "Cannot read the next row");
            const std::string_view utf8(p, static_cast<std::size_t>(sqlite3_value_bytes(v)));
            c.Kind = ValueKind::Text;
            c.Text = utf8;
            if (Utf8ToAnsiIfNeeded(utf8, convert_[i])) {
                c.Text = convert_[i];
                c.Stored = StoredWhenLossy(utf8, c.Text);
            }
            continue;
        }
        switch (type) {
        case SQLITE_NULL:
            c.Kind = ValueKind::Null;
            break;
        case SQLITE_INTEGER: {
            const Int64 x = sqlite3_value_int64(v);
            if (kind == ValueKind::Boolean) {
                c.Kind = ValueKind::Boolean;
                c.B = x != 0;
            } else if (kind == ValueKind::Date) {
                c.Kind = ValueKind::Date;
                c.F = static_cast<double>(x);
            } else if (kind == ValueKind::Currency) {
                c.Kind = ValueKind::Currency;
                c.Cur = x * 10000;
            } else {
                c.Kind = ValueKind::Integer;
                c.I = x;
            }
            break;
        }
        case SQLITE_FLOAT: {
            const double x = sqlite3_value_double(v);
            if (kind == ValueKind::Boolean) {
                c.Kind = ValueKind::Boolean;
                c.B = x != 0;
            } else if (kind == ValueKind::Date) {
                c.Kind = ValueKind::Date;
                c.F = x;
            } else if (kind == ValueKind::Currency && std::fabs(x) < 9.2e14) {
                c.Kind = ValueKind::Currency;
                c.Cur = std::llround(x * 10000.0);
            } else {
                c.Kind = ValueKind::Float;
                c.F = x;
            }
            break;
        }
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
            const std::string_view utf8(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
            if (kind == ValueKind::Date && ParseIsoDateTime(utf8, c.F)) {
                c.Kind = ValueKind::Date;
                break;
            }
            c.Kind = ValueKind::Text;
            c.Text = utf8;
            if (Utf8ToAnsiIfNeeded(utf8, convert_[i])) {
                c.Text = convert_[i];
                c.Stored = StoredWhenLossy(utf8, c.Text);
            }
            break;
        }
        default: { // BLOB
            const auto* p = static_cast<const char*>(sqlite3_value_blob(v));
            c.Kind = ValueKind::Bytes;
            c.Text = std::string_view(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
            break;
        }
        }
    }
    return true;
}

} // namespace vmado::engine::sqlite
