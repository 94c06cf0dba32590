// The ODBC statement: prepare, bind parameters from typed cells, and fetch in blocks of rows
// into column arrays (SQLBindCol with a row array), the driver manager's fastest path. A long
// column (memo, blob, or a size the driver does not know) is bound with short room, and a value
// that does not fit is read whole with SQLGetData on its row of the block; a driver that cannot
// do that reads such a result one row at a time with SQLGetData, in pieces. No value is ever cut.
#include "ado/engine/providers/odbc/OdbcPrivate.h"

#include "ado/engine/expression/internal/Literals.h"
#include "ado/engine/internal/IsoDate.h"
#include "ado/engine/internal/Text.h"
#include "framework/rtl/Exceptions.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vmado::engine::odbc {

namespace {

constexpr SQLULEN BlockRows = 256;
constexpr SQLLEN kDateWidth = 64;      // a date and time in text, with a time zone and room
constexpr SQLLEN kDecimalWidth = 48;   // the text of a decimal of up to 18 digits, with room
constexpr SQLLEN LongThreshold = 4000; // characters/bytes above which a column is read piecewise
constexpr SQLLEN LongBound = 256;      // characters/bytes of a long column bound in a block

AnsiString Excerpt(std::string_view sql)
{
    return sql.size() > 200 ? AnsiString(sql.substr(0, 200)) + "..." : AnsiString(sql);
}

SQLSMALLINT SqlTypeFor(DataTypeEnum type)
{
    switch (type) {
    case adBoolean:
        return SQL_BIT;
    case adTinyInt:
    case adUnsignedTinyInt:
    case adSmallInt:
        return SQL_SMALLINT;
    case adInteger:
    case adUnsignedSmallInt:
        return SQL_INTEGER;
    case adBigInt:
    case adUnsignedInt:
        return SQL_BIGINT;
    case adSingle:
    case adDouble:
        return SQL_DOUBLE;
    case adCurrency:
    case adNumeric:
    case adDecimal:
        return SQL_NUMERIC;
    case adDBDate:
        return SQL_TYPE_DATE;
    case adDBTime:
        return SQL_TYPE_TIME;
    case adDate:
    case adDBTimeStamp:
        return SQL_TYPE_TIMESTAMP;
    case adBinary:
    case adVarBinary:
        return SQL_VARBINARY;
    case adGUID:
        return SQL_GUID;
    case adLongVarBinary:
        return SQL_LONGVARBINARY;
    default:
        return SQL_WVARCHAR;
    }
}

template <typename T> void Store(std::vector<char>& data, const T& value)
{
    data.resize(sizeof(T));
    std::memcpy(data.data(), &value, sizeof(T));
}

// A GUID in ADO's form, {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}, from the driver's bare text.
void BraceGuid(std::string& text)
{
    if (text.size() != 36)
        return;
    for (char& c : text)
        if (c >= 'a' && c <= 'f')
            c = static_cast<char>(c - 'a' + 'A');
    text = "{" + text + "}";
}

// Most text a result holds is ASCII: copied unit by unit into out's reused buffer, it needs
// neither the code page's conversion nor the check that the conversion lost nothing. False (out
// then unspecified) at the first unit outside ASCII.
bool NarrowAscii(const SQLWCHAR* units, std::size_t count, std::string& out)
{
    out.resize(count);
    char* target = out.data();
    for (std::size_t i = 0; i < count; ++i) {
        if (units[i] >= 0x80)
            return false;
        target[i] = static_cast<char>(units[i]);
    }
    return true;
}

// The bare form drivers take for a GUID parameter.
std::string_view UnbracedGuid(std::string_view text)
{
    if (text.size() == 38 && text.front() == '{' && text.back() == '}')
        return text.substr(1, 36);
    return text;
}

// A decimal's text, read exactly into a Currency amount (the column's scale is at most four).
Int64 ParseAmount(const ColumnMeta& column, std::string_view text)
{
    Int64 raw = 0;
    if (!internal::ParseCurrency(text, raw))
        throw EConvertError("Column '" + column.Name + "' holds '" + AnsiString(text) +
                            "', which is not a decimal amount");
    return raw;
}

// A date the time stamp cannot hold (before the year 1, after 9999, a driver's "infinity") is
// refused, naming the column, rather than read as some other day.
double DayOf(const ColumnMeta& column, int year, int month, int day)
{
    double value = 0;
    if (!DateFromParts(year, month, day, value)) {
        char text[48];
        std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
        throw EConvertError("Column '" + column.Name + "' holds the date " + text +
                            ", which is outside the supported range 0001-01-01 to 9999-12-31");
    }
    return value;
}

// A date, time or time stamp in the server's ISO text. PostgreSQL's driver turns what it cannot
// convert (years beyond 9999 or before Christ, infinity) into some other day, or today, so its
// columns are read as this text; a time zone offset is dropped as the driver's own conversion
// drops it.
double FromServerText(const ColumnMeta& column, std::string_view text)
{
    std::string_view value = text;
    const std::size_t colon = value.find(':');
    if (colon != std::string_view::npos) {
        const std::size_t zone = value.find_first_of("+-", colon);
        if (zone != std::string_view::npos)
            value = value.substr(0, zone);
    }
    double result = 0;
    if (value.size() < 3 || value.substr(value.size() - 3) == " BC" || !ParseIsoDateTime(value, result))
        throw EConvertError("Column '" + column.Name + "' holds the date " + AnsiString(text) +
                            ", which is outside the supported range 0001-01-01 to 9999-12-31");
    return result;
}

double FromTimestamp(const ColumnMeta& column, const SQL_TIMESTAMP_STRUCT& ts)
{
    const double day = DayOf(column, ts.year, ts.month, ts.day);
    const double time = (ts.hour * 3600000.0 + ts.minute * 60000.0 + ts.second * 1000.0 +
                         std::floor(ts.fraction / 1000000.0)) /
                        86400000.0;
    return day < 0 ? day - time : day + time;
}

// Statements that end a transaction or work on savepoints are never put inside a savepoint of
// their own: rolling back to an older savepoint or committing would destroy it under them.
bool ControlsTransaction(std::string_view sql)
{
    std::size_t i = 0;
    while (i < sql.size() && static_cast<unsigned char>(sql[i]) <= ' ')
        ++i;
    std::size_t end = i;
    while (end < sql.size() && std::isalpha(static_cast<unsigned char>(sql[end])))
        ++end;
    const std::string_view word = sql.substr(i, end - i);
    for (const char* keyword :
         {"SAVEPOINT", "RELEASE", "ROLLBACK", "COMMIT", "BEGIN", "START", "END", "ABORT"})
        if (EqualsIgnoreCase(word, keyword))
            return true;
    return false;
}

} // namespace

OdbcStatement::OdbcStatement(OdbcConnection& connection, std::string_view sql)
    : connection_(connection), stmt_(SQL_HANDLE_STMT, connection.Dbc()), sql_(sql)
{
    if (connection_.CommandTimeout() > 0)
        SQLSetStmtAttr(H(), SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connection_.CommandTimeout())), 0);
    std::u16string wide = Wide(sql);
    const SQLRETURN rc =
        SQLPrepareW(H(), reinterpret_cast<SQLWCHAR*>(wide.data()), static_cast<SQLINTEGER>(wide.size()));
    if (!SQL_SUCCEEDED(rc)) {
        if (connection_.LeavesErrorsToUs() && !connection_.InTransaction()) {
            try {
                Raise(SQL_HANDLE_STMT, H(), "Cannot prepare the statement '" + Excerpt(sql) + "'");
            } catch (...) {
                connection_.EndAbortedImplicitTransaction();
                throw;
            }
        }
        Raise(SQL_HANDLE_STMT, H(), "Cannot prepare the statement '" + Excerpt(sql) + "'");
    }
    SQLSMALLINT count = 0;
    if (SQL_SUCCEEDED(SQLNumParams(H(), &count)))
        parameterCount_ = count;
    parameters_.resize(static_cast<std::size_t>(parameterCount_));
}

OdbcStatement::~OdbcStatement() = default;

void OdbcStatement::Bind(int index, const BoundValue& value)
{
    if (index < 1 || index > parameterCount_)
        throw EOleException("Cannot bind parameter " + std::to_string(index) + ": the statement has " +
                                std::to_string(parameterCount_) + " parameters",
                            "vmado.ODBC");
    Parameter& p = parameters_[static_cast<std::size_t>(index - 1)];
    p = Parameter{};
    p.Set = true;
    const CellRef& c = value.Cell;
    switch (c.Kind) {
    case ValueKind::Null:
        p.CType = SQL_C_CHAR;
        p.SqlType = SqlTypeFor(value.Type);
        p.Size = 1;
        p.Data.assign(1, '\0');
        p.Indicator = SQL_NULL_DATA;
        break;
    case ValueKind::Boolean:
        p.CType = SQL_C_BIT;
        p.SqlType = SQL_BIT;
        p.Size = 1;
        Store(p.Data, static_cast<unsigned char>(c.B ? 1 : 0));
        p.Indicator = 1;
        break;
    case ValueKind::Integer:
        p.CType = SQL_C_SBIGINT;
        p.SqlType = SQL_BIGINT;
        p.Size = 19;
        Store(p.Data, static_cast<SQLBIGINT>(c.I));
        p.Indicator = sizeof(SQLBIGINT);
        break;
    case ValueKind::Float:
        p.CType = SQL_C_DOUBLE;
        p.SqlType = SQL_DOUBLE;
        p.Size = 15;
        Store(p.Data, c.F);
        p.Indicator = sizeof(double);
        break;
    case ValueKind::Currency: {
        // Exact digits as text: a double would round the fourth decimal of large amounts.
        const bool negative = c.Cur < 0;
        const unsigned long long m =
            negative ? 0ULL - static_cast<unsigned long long>(c.Cur) : static_cast<unsigned long long>(c.Cur);
        char text[40];
        const int n =
            std::snprintf(text, sizeof text, "%s%llu.%04llu", negative ? "-" : "", m / 10000, m % 10000);
        p.CType = SQL_C_CHAR;
        p.SqlType = SQL_NUMERIC;
        p.Size = 19;
        p.Digits = 4;
        p.Data.assign(text, text + n);
        p.Indicator = n;
        break;
    }
    case ValueKind::Date: {
        int y, m, d, h, n, s, ms;
        DateToParts(c.F, y, m, d, h, n, s, ms);
        if (value.Type == adDBDate) {
            SQL_DATE_STRUCT v{static_cast<SQLSMALLINT>(y), static_cast<SQLUSMALLINT>(m),
                              static_cast<SQLUSMALLINT>(d)};
            p.CType = SQL_C_TYPE_DATE;
            p.SqlType = SQL_TYPE_DATE;
            p.Size = 10;
            Store(p.Data, v);
            p.Indicator = sizeof v;
        } else if (value.Type == adDBTime) {
            SQL_TIME_STRUCT v{static_cast<SQLUSMALLINT>(h), static_cast<SQLUSMALLINT>(n),
                              static_cast<SQLUSMALLINT>(s)};
            p.CType = SQL_C_TYPE_TIME;
            p.SqlType = SQL_TYPE_TIME;
            p.Size = 8;
            Store(p.Data, v);
            p.Indicator = sizeof v;
        } else {
            SQL_TIMESTAMP_STRUCT v{};
            v.year = static_cast<SQLSMALLINT>(y);
            v.month = static_cast<SQLUSMALLINT>(m);
            v.day = static_cast<SQLUSMALLINT>(d);
            v.hour = static_cast<SQLUSMALLINT>(h);
            v.minute = static_cast<SQLUSMALLINT>(n);
            v.second = static_cast<SQLUSMALLINT>(s);
            v.fraction = static_cast<SQLUINTEGER>(ms) * 1000000u;
            p.CType = SQL_C_TYPE_TIMESTAMP;
            p.SqlType = SQL_TYPE_TIMESTAMP;
            p.Size = ms ? 23 : 19;
            p.Digits = ms ? 3 : 0;
            Store(p.Data, v);
            p.Indicator = sizeof v;
        }
        break;
    }
    case ValueKind::Text: {
        if (value.Type == adNumeric || value.Type == adDecimal || value.Type == adVarNumeric) {
            // The exact digits as a numeric parameter: sent as text they would meet a type error
            // on a strictly typed server, and through a double they would lose digits.
            const std::string_view t = c.Text;
            const std::size_t dot = t.find('.');
            p.CType = SQL_C_CHAR;
            p.SqlType = SQL_NUMERIC;
            p.Size = std::max<SQLULEN>(t.size(), 1);
            p.Digits = static_cast<SQLSMALLINT>(dot == std::string_view::npos ? 0 : t.size() - dot - 1);
            p.Data.assign(t.begin(), t.end());
            p.Data.push_back('\0');
            p.Indicator = static_cast<SQLLEN>(t.size());
            break;
        }
        if (value.Type == adGUID) {
            const std::string_view t = UnbracedGuid(c.Text);
            p.CType = SQL_C_CHAR;
            p.SqlType = SQL_GUID;
            p.Size = 36;
            p.Data.assign(t.begin(), t.end());
            p.Data.push_back('\0');
            p.Indicator = static_cast<SQLLEN>(t.size());
            break;
        }
        // The units read, when the code page could not hold them, go back as they were.
        std::u16string wide;
        if (c.Stored.empty()) {
            wide = Wide(c.Text);
        } else {
            wide.resize(c.Stored.size() / 2);
            std::memcpy(wide.data(), c.Stored.data(), wide.size() * 2);
        }
        p.CType = SQL_C_WCHAR;
        p.SqlType = wide.size() > static_cast<std::size_t>(LongThreshold) ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
        p.Size = std::max<SQLULEN>(wide.size(), 1);
        p.Data.resize((wide.size() + 1) * sizeof(char16_t));
        std::memcpy(p.Data.data(), wide.data(), wide.size() * sizeof(char16_t));
        p.Indicator = static_cast<SQLLEN>(wide.size() * sizeof(char16_t));
        break;
    }
    case ValueKind::Bytes:
        p.CType = SQL_C_BINARY;
        p.SqlType =
            c.Text.size() > static_cast<std::size_t>(LongThreshold) ? SQL_LONGVARBINARY : SQL_VARBINARY;
        p.Size = std::max<SQLULEN>(c.Text.size(), 1);
        p.Data.assign(c.Text.begin(), c.Text.end());
        if (p.Data.empty())
            p.Data.push_back('\0');
        p.Indicator = static_cast<SQLLEN>(c.Text.size());
        break;
    }
}

bool OdbcStatement::BlockGetData()
{
    if (blockGetData_ < 0) {
        // Long columns fetch in blocks too when the driver can read the rest of a bound column
        // of any row of the block (SQLSetPos, then SQLGetData).
        SQLUINTEGER extensions = 0;
        const SQLRETURN rc =
            SQLGetInfo(connection_.Dbc(), SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr);
        constexpr SQLUINTEGER needed = SQL_GD_BLOCK | SQL_GD_BOUND;
        blockGetData_ = SQL_SUCCEEDED(rc) && (extensions & needed) == needed ? 1 : 0;
    }
    return blockGetData_ == 1;
}

bool OdbcStatement::DatesAsText() const
{
    return connection_.Caps().Dialect == SqlDialect::PostgreSQL;
}

bool OdbcStatement::Execute()
{
    if (executed_)
        SQLFreeStmt(H(), SQL_CLOSE);
    executed_ = true;
    hasRows_ = done_ = false;
    rowsFetched_ = 0;
    next_ = 0;
    for (std::size_t i = 0; i < parameters_.size(); ++i) {
        Parameter& p = parameters_[i];
        if (!p.Set)
            throw EOleException("Cannot execute the statement: parameter " + std::to_string(i + 1) +
                                    " has no value",
                                "vmado.ODBC");
        const SQLRETURN rc = SQLBindParameter(H(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, p.CType,
                                              p.SqlType, p.Size, p.Digits, p.Data.data(),
                                              static_cast<SQLLEN>(p.Data.size()), &p.Indicator);
        if (!SQL_SUCCEEDED(rc))
            Raise(SQL_HANDLE_STMT, H(), "Cannot bind parameter " + std::to_string(i + 1));
    }
    if (!connection_.LeavesErrorsToUs() || ControlsTransaction(sql_))
        return Run();
    if (!connection_.InTransaction()) {
        try {
            return Run();
        } catch (...) {
            connection_.EndAbortedImplicitTransaction();
            throw;
        }
    }
    // Only this statement's effects are taken back, so the transaction goes on; a savepoint the
    // caller set before stays, being older than this one.
    connection_.Prepare("SAVEPOINT vmado_statement")->Execute();
    bool result = false;
    try {
        result = Run();
    } catch (...) {
        try {
            connection_.Prepare("ROLLBACK TO SAVEPOINT vmado_statement")->Execute();
            connection_.Prepare("RELEASE SAVEPOINT vmado_statement")->Execute();
        } catch (...) {
            // the statement's own failure is what the caller must see
        }
        throw;
    }
    connection_.Prepare("RELEASE SAVEPOINT vmado_statement")->Execute();
    return result;
}

bool OdbcStatement::Run()
{
    const SQLRETURN rc = SQLExecute(H());
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO && rc != SQL_NO_DATA)
        Raise(SQL_HANDLE_STMT, H(), "Cannot execute the statement '" + Excerpt(sql_) + "'");
    SQLSMALLINT columns = 0;
    Check(SQLNumResultCols(H(), &columns), SQL_HANDLE_STMT, H(), "Cannot read the result of the statement");
    hasRows_ = columns > 0;
    rowsAffected_ = -1;
    if (!hasRows_) {
        SQLLEN count = -1;
        if (SQL_SUCCEEDED(SQLRowCount(H(), &count)))
            rowsAffected_ = count;
        if (rc == SQL_NO_DATA)
            rowsAffected_ = 0;
    }
    return hasRows_;
}

void OdbcStatement::Describe()
{
    described_ = true;
    SQLSMALLINT n = 0;
    Check(SQLNumResultCols(H(), &n), SQL_HANDLE_STMT, H(), "Cannot describe the result");
    columns_.assign(static_cast<std::size_t>(n), ColumnMeta{});
    sqlTypes_.assign(static_cast<std::size_t>(n), SQL_VARCHAR);
    convert_.assign(static_cast<std::size_t>(n), std::string());
    stored_.assign(static_cast<std::size_t>(n), std::string());
    auto attributeText = [&](SQLUSMALLINT col, SQLUSMALLINT field) {
        SQLWCHAR buffer[256] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(SQLColAttributeW(H(), col, field, buffer, sizeof buffer, &length, nullptr)))
            return AnsiString();
        return Narrow(buffer,
                      std::min<std::size_t>(static_cast<std::size_t>(length) / sizeof(SQLWCHAR), 255));
    };
    for (SQLSMALLINT i = 0; i < n; ++i) {
        ColumnMeta& m = columns_[static_cast<std::size_t>(i)];
        const auto col = static_cast<SQLUSMALLINT>(i + 1);
        SQLWCHAR name[256] = {};
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        Check(SQLDescribeColW(H(), col, name, static_cast<SQLSMALLINT>(std::size(name)), &nameLength, &type,
                              &size, &digits, &nullable),
              SQL_HANDLE_STMT, H(), "Cannot describe result column " + std::to_string(i + 1));
        m.Name = Narrow(name, std::min<std::size_t>(static_cast<std::size_t>(nameLength), 255));
        sqlTypes_[static_cast<std::size_t>(i)] = type;
        MapSqlType(type, size, digits, m);
        m.Nullable = nullable != SQL_NO_NULLS;
        m.BaseTable = attributeText(col, SQL_DESC_BASE_TABLE_NAME);
        m.BaseColumn = attributeText(col, SQL_DESC_BASE_COLUMN_NAME);
        m.BaseSchema = attributeText(col, SQL_DESC_SCHEMA_NAME);
        if (m.BaseColumn.empty())
            m.BaseTable.clear();
        SQLLEN autoUnique = 0;
        if (SQL_SUCCEEDED(
                SQLColAttributeW(H(), col, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &autoUnique)))
            m.AutoIncrement = autoUnique == SQL_TRUE;
        if (!m.BaseTable.empty()) {
            for (const auto& key : connection_.PrimaryKey(m.BaseSchema, m.BaseTable))
                if (EqualsIgnoreCase(key, m.BaseColumn))
                    m.PrimaryKey = true;
        }
        if ((m.Kind == ValueKind::Text || m.Kind == ValueKind::Bytes) &&
            (m.Long || m.DefinedSize <= 0 || m.DefinedSize > LongThreshold))
            longMode_ = true;
        // A long text column without a size of its own: the longest value decides.
        if (m.Kind == ValueKind::Text && !m.Long && m.DefinedSize <= 0)
            m.DefinedSize = 0;
    }
}

const std::vector<ColumnMeta>& OdbcStatement::Columns()
{
    if (!described_)
        Describe();
    return columns_;
}

void OdbcStatement::BindColumns()
{
    bound_ = true;
    rowArray_ = BlockRows;
    SQLSetStmtAttr(H(), SQL_ATTR_ROW_BIND_TYPE, reinterpret_cast<SQLPOINTER>(SQL_BIND_BY_COLUMN), 0);
    SQLSetStmtAttr(H(), SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(rowArray_), 0);
    SQLULEN actual = 1;
    if (SQL_SUCCEEDED(SQLGetStmtAttr(H(), SQL_ATTR_ROW_ARRAY_SIZE, &actual, 0, nullptr)) && actual >= 1)
        rowArray_ = actual;
    SQLSetStmtAttr(H(), SQL_ATTR_ROWS_FETCHED_PTR, &rowsFetched_, 0);
    buffers_.assign(columns_.size(), ColumnBuffer{});
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const ColumnMeta& m = columns_[i];
        ColumnBuffer& b = buffers_[i];
        switch (m.Kind) {
        case ValueKind::Integer:
            b.CType = SQL_C_SBIGINT, b.Width = sizeof(SQLBIGINT);
            break;
        case ValueKind::Boolean:
            b.CType = SQL_C_BIT, b.Width = 1;
            break;
        case ValueKind::Float:
            b.CType = SQL_C_DOUBLE, b.Width = sizeof(double);
            break;
        case ValueKind::Currency:
            b.CType = SQL_C_CHAR, b.Width = kDecimalWidth;
            break;
        case ValueKind::Date:
            if (DatesAsText())
                b.CType = SQL_C_CHAR, b.Width = kDateWidth;
            else if (m.Type == adDBDate)
                b.CType = SQL_C_TYPE_DATE, b.Width = sizeof(SQL_DATE_STRUCT);
            else if (m.Type == adDBTime)
                b.CType = SQL_C_TYPE_TIME, b.Width = sizeof(SQL_TIME_STRUCT);
            else
                b.CType = SQL_C_TYPE_TIMESTAMP, b.Width = sizeof(SQL_TIMESTAMP_STRUCT);
            break;
        case ValueKind::Text:
            b.Long = m.Long || m.DefinedSize <= 0 || m.DefinedSize > LongThreshold;
            b.CType = SQL_C_WCHAR, b.Width = ((b.Long ? LongBound : m.DefinedSize) * 2 + 1) * 2;
            break;
        default:
            b.Long = m.Long || m.DefinedSize <= 0 || m.DefinedSize > LongThreshold;
            b.CType = SQL_C_BINARY, b.Width = b.Long ? LongBound : std::max<SQLLEN>(m.DefinedSize, 1);
            break;
        }
        b.Data.assign(static_cast<std::size_t>(b.Width) * rowArray_, '\0');
        b.Indicators.assign(rowArray_, 0);
        const SQLRETURN rc = SQLBindCol(H(), static_cast<SQLUSMALLINT>(i + 1), b.CType, b.Data.data(),
                                        b.Width, b.Indicators.data());
        if (!SQL_SUCCEEDED(rc))
            Raise(SQL_HANDLE_STMT, H(), "Cannot bind result column '" + m.Name + "'");
    }
}

bool OdbcStatement::FetchBlock()
{
    rowsFetched_ = 0;
    next_ = 0;
    const SQLRETURN rc = SQLFetch(H());
    if (rc == SQL_NO_DATA) {
        done_ = true;
        return false;
    }
    if (!SQL_SUCCEEDED(rc))
        Raise(SQL_HANDLE_STMT, H(), "Cannot read the next rows");
    if (rowArray_ == 1 && rowsFetched_ == 0)
        rowsFetched_ = 1; // a driver that ignores the fetched-rows pointer
    return rowsFetched_ > 0;
}

std::string_view OdbcStatement::KeepWhenLossy(std::size_t col, const char* units, std::size_t bytes)
{
    const std::u16string back = Wide(convert_[col]);
    if (back.size() * 2 == bytes && std::memcmp(back.data(), units, bytes) == 0)
        return {};
    stored_[col].assign(units, bytes);
    return stored_[col];
}

void OdbcStatement::ReadCell(std::size_t col, std::size_t r, CellRef& cell)
{
    const ColumnBuffer& b = buffers_[col];
    const SQLLEN indicator = b.Indicators[r];
    cell.Stored = {};
    if (indicator == SQL_NULL_DATA) {
        cell.Kind = ValueKind::Null;
        return;
    }
    const char* p = b.Data.data() + static_cast<std::size_t>(b.Width) * r;
    const ColumnMeta& m = columns_[col];
    if (b.Long && (indicator == SQL_NO_TOTAL || indicator > b.Width - (b.CType == SQL_C_WCHAR ? 2 : 0))) {
        // Longer than its bound room: the whole value, from the start, for this row of the block.
        const SQLRETURN rc =
            SQLSetPos(H(), static_cast<SQLSETPOSIROW>(r + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE);
        if (!SQL_SUCCEEDED(rc))
            Raise(SQL_HANDLE_STMT, H(), "Cannot read column '" + m.Name + "'");
        ReadLongCell(col, cell);
        return;
    }
    switch (b.CType) {
    case SQL_C_SBIGINT:
        cell.Kind = ValueKind::Integer;
        std::memcpy(&cell.I, p, sizeof(Int64));
        break;
    case SQL_C_BIT:
        cell.Kind = ValueKind::Boolean;
        cell.B = *p != 0;
        break;
    case SQL_C_DOUBLE: {
        double v;
        std::memcpy(&v, p, sizeof v);
        cell.Kind = ValueKind::Float;
        cell.F = v;
        break;
    }
    case SQL_C_CHAR: {
        const std::string_view text(p, static_cast<std::size_t>(std::min<SQLLEN>(indicator, b.Width - 1)));
        if (m.Kind == ValueKind::Date) {
            cell.Kind = ValueKind::Date;
            cell.F = FromServerText(m, text);
        } else {
            cell.Kind = ValueKind::Currency;
            cell.Cur = ParseAmount(m, text);
        }
        break;
    }
    case SQL_C_TYPE_DATE: {
        SQL_DATE_STRUCT v;
        std::memcpy(&v, p, sizeof v);
        cell.Kind = ValueKind::Date;
        cell.F = DayOf(m, v.year, v.month, v.day);
        break;
    }
    case SQL_C_TYPE_TIME: {
        SQL_TIME_STRUCT v;
        std::memcpy(&v, p, sizeof v);
        cell.Kind = ValueKind::Date;
        cell.F = (v.hour * 3600.0 + v.minute * 60.0 + v.second) / 86400.0;
        break;
    }
    case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT v;
        std::memcpy(&v, p, sizeof v);
        cell.Kind = ValueKind::Date;
        cell.F = FromTimestamp(m, v);
        break;
    }
    case SQL_C_WCHAR: {
        if (indicator == SQL_NO_TOTAL || indicator > b.Width - 2)
            throw EOleException("Cannot read column '" + m.Name +
                                    "': a value is longer than the driver declared",
                                "vmado.ODBC");
        const auto* units = reinterpret_cast<const SQLWCHAR*>(p);
        const auto count = static_cast<std::size_t>(indicator) / 2;
        cell.Kind = ValueKind::Text;
        if (m.Type != adGUID && NarrowAscii(units, count, convert_[col])) {
            cell.Text = convert_[col]; // ASCII reads the same in every code page: nothing is lost
            break;
        }
        convert_[col] = Narrow(units, count);
        if (m.Type == adGUID)
            BraceGuid(convert_[col]);
        cell.Text = convert_[col];
        cell.Stored = KeepWhenLossy(col, p, static_cast<std::size_t>(indicator));
        break;
    }
    default:
        if (indicator == SQL_NO_TOTAL || indicator > b.Width)
            throw EOleException("Cannot read column '" + m.Name +
                                    "': a value is longer than the driver declared",
                                "vmado.ODBC");
        cell.Kind = ValueKind::Bytes;
        cell.Text = std::string_view(p, static_cast<std::size_t>(indicator));
        break;
    }
}

void OdbcStatement::ReadLongCell(std::size_t col, CellRef& cell)
{
    const ColumnMeta& m = columns_[col];
    const auto number = static_cast<SQLUSMALLINT>(col + 1);
    SQLLEN indicator = 0;
    cell.Stored = {};
    auto fixed = [&](SQLSMALLINT cType, void* target, SQLLEN size) {
        const SQLRETURN rc = SQLGetData(H(), number, cType, target, size, &indicator);
        if (!SQL_SUCCEEDED(rc))
            Raise(SQL_HANDLE_STMT, H(), "Cannot read column '" + m.Name + "'");
        return indicator != SQL_NULL_DATA;
    };
    cell.Kind = ValueKind::Null;
    switch (m.Kind) {
    case ValueKind::Integer: {
        SQLBIGINT v = 0;
        if (fixed(SQL_C_SBIGINT, &v, sizeof v))
            cell.Kind = ValueKind::Integer, cell.I = v;
        return;
    }
    case ValueKind::Boolean: {
        unsigned char v = 0;
        if (fixed(SQL_C_BIT, &v, sizeof v))
            cell.Kind = ValueKind::Boolean, cell.B = v != 0;
        return;
    }
    case ValueKind::Float: {
        double v = 0;
        if (fixed(SQL_C_DOUBLE, &v, sizeof v))
            cell.Kind = ValueKind::Float, cell.F = v;
        return;
    }
    case ValueKind::Currency: {
        char text[kDecimalWidth] = {};
        if (fixed(SQL_C_CHAR, text, sizeof text))
            cell.Kind = ValueKind::Currency,
            cell.Cur = ParseAmount(m, std::string_view(text, strnlen(text, sizeof text)));
        return;
    }
    case ValueKind::Date: {
        if (DatesAsText()) {
            char text[kDateWidth] = {};
            if (fixed(SQL_C_CHAR, text, sizeof text))
                cell.Kind = ValueKind::Date,
                cell.F = FromServerText(m, std::string_view(text, strnlen(text, sizeof text)));
        } else if (m.Type == adDBDate) {
            SQL_DATE_STRUCT v{};
            if (fixed(SQL_C_TYPE_DATE, &v, sizeof v)) {
                cell.Kind = ValueKind::Date;
                cell.F = DayOf(m, v.year, v.month, v.day);
            }
        } else if (m.Type == adDBTime) {
            SQL_TIME_STRUCT v{};
            if (fixed(SQL_C_TYPE_TIME, &v, sizeof v))
                cell.Kind = ValueKind::Date,
                cell.F = (v.hour * 3600.0 + v.minute * 60.0 + v.second) / 86400.0;
        } else {
            SQL_TIMESTAMP_STRUCT v{};
            if (fixed(SQL_C_TYPE_TIMESTAMP, &v, sizeof v))
                cell.Kind = ValueKind::Date, cell.F = FromTimestamp(m, v);
        }
        return;
    }
    default:
        break;
    }
    // Text and bytes: in pieces until the driver says the value is complete.
    const bool text = m.Kind == ValueKind::Text;
    const SQLSMALLINT cType = text ? SQL_C_WCHAR : SQL_C_BINARY;
    std::vector<char> piece(8192);
    std::string bytes;
    for (;;) {
        const SQLRETURN rc =
            SQLGetData(H(), number, cType, piece.data(), static_cast<SQLLEN>(piece.size()), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            Raise(SQL_HANDLE_STMT, H(), "Cannot read column '" + m.Name + "'");
        if (indicator == SQL_NULL_DATA)
            return;
        const std::size_t room = piece.size() - (text ? 2 : 0);
        const bool more = rc == SQL_SUCCESS_WITH_INFO &&
                          (indicator == SQL_NO_TOTAL || static_cast<std::size_t>(indicator) > room);
        const std::size_t got = more ? room : static_cast<std::size_t>(indicator);
        bytes.append(piece.data(), got);
        if (!more)
            break;
    }
    cell.Stored = {};
    if (text) {
        convert_[col] = Narrow(reinterpret_cast<const SQLWCHAR*>(bytes.data()), bytes.size() / 2);
        if (m.Type == adGUID)
            BraceGuid(convert_[col]);
        cell.Kind = ValueKind::Text;
        cell.Stored = KeepWhenLossy(col, bytes.data(), bytes.size() & ~std::size_t{1});
    } else {
        convert_[col] = std::move(bytes);
        cell.Kind = ValueKind::Bytes;
    }
    cell.Text = convert_[col];
}

bool OdbcStatement::Step(std::vector<CellRef>& row)
{
    try {
        return Fetch(row);
    } catch (...) {
        if (connection_.LeavesErrorsToUs() && !connection_.InTransaction())
            connection_.EndAbortedImplicitTransaction();
        throw;
    }
}

bool OdbcStatement::Fetch(std::vector<CellRef>& row)
{
    if (!executed_ || !hasRows_ || done_)
        return false;
    if (!described_)
        Describe();
    row.resize(columns_.size());
    if (longMode_ && !BlockGetData()) {
        const SQLRETURN rc = SQLFetch(H());
        if (rc == SQL_NO_DATA) {
            done_ = true;
            return false;
        }
        if (!SQL_SUCCEEDED(rc))
            Raise(SQL_HANDLE_STMT, H(), "Cannot read the next row");
        for (std::size_t c = 0; c < columns_.size(); ++c)
            ReadLongCell(c, row[c]);
        return true;
    }
    if (!bound_)
        BindColumns();
    if (next_ >= rowsFetched_ && !FetchBlock())
        return false;
    for (std::size_t c = 0; c < columns_.size(); ++c)
        ReadCell(c, next_, row[c]);
    ++next_;
    return true;
}

} // namespace vmado::engine::odbc
