// The ODBC provider's type table: SQL types (with their sizes) to ADO types and storage kinds.
#include "ado/engine/providers/odbc/OdbcPrivate.h"

#include <climits>

namespace vmado::engine::odbc {

namespace {

constexpr Integer LongSize = INT_MAX;

struct Row {
    SQLSMALLINT SqlType;
    DataTypeEnum Type;
    ValueKind Kind;
    Integer Size; // 0: the driver's column size
    bool Long;
};

const Row TypeTable[] = {
    {SQL_CHAR, adChar, ValueKind::Text, 0, false},
    {SQL_VARCHAR, adVarChar, ValueKind::Text, 0, false},
    {SQL_LONGVARCHAR, adLongVarChar, ValueKind::Text, LongSize, true},
    // Text is held in the ANSI code page whatever the driver's width, so wide types read as the
    // narrow ones.
    {SQL_WCHAR, adChar, ValueKind::Text, 0, false},
    {SQL_WVARCHAR, adVarChar, ValueKind::Text, 0, false},
    {SQL_WLONGVARCHAR, adLongVarChar, ValueKind::Text, LongSize, true},
    {SQL_DECIMAL, adNumeric, ValueKind::Float, 19, false},
    {SQL_NUMERIC, adNumeric, ValueKind::Float, 19, false},
    {SQL_SMALLINT, adSmallInt, ValueKind::Integer, 2, false},
    {SQL_INTEGER, adInteger, ValueKind::Integer, 4, false},
    {SQL_REAL, adSingle, ValueKind::Float, 4, false},
    {SQL_FLOAT, adDouble, ValueKind::Float, 8, false},
    {SQL_DOUBLE, adDouble, ValueKind::Float, 8, false},
    {SQL_BIT, adBoolean, ValueKind::Boolean, 2, false},
    {SQL_TINYINT, adTinyInt, ValueKind::Integer, 1, false},
    {SQL_BIGINT, adBigInt, ValueKind::Integer, 8, false},
    {SQL_BINARY, adBinary, ValueKind::Bytes, 0, false},
    {SQL_VARBINARY, adVarBinary, ValueKind::Bytes, 0, false},
    {SQL_LONGVARBINARY, adLongVarBinary, ValueKind::Bytes, LongSize, true},
    {SQL_TYPE_DATE, adDBDate, ValueKind::Date, 6, false},
    {SQL_TYPE_TIME, adDBTime, ValueKind::Date, 6, false},
    {SQL_TYPE_TIMESTAMP, adDBTimeStamp, ValueKind::Date, 16, false},
    {SQL_DATE, adDBDate, ValueKind::Date, 6, false},
    {SQL_TIME, adDBTime, ValueKind::Date, 6, false},
    {SQL_TIMESTAMP, adDBTimeStamp, ValueKind::Date, 16, false},
    {SQL_GUID, adGUID, ValueKind::Text, 38, false},
};

} // namespace

void MapSqlType(SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits, ColumnMeta& meta)
{
    const Row* found = nullptr;
    for (const Row& row : TypeTable)
        if (row.SqlType == sqlType) {
            found = &row;
            break;
        }
    if (!found) {
        // Driver-specific types arrive as text, which every driver can convert to.
        meta.Type = adVarChar;
        meta.Kind = ValueKind::Text;
        meta.DefinedSize = 0;
        meta.Long = false;
        return;
    }
    meta.Type = found->Type;
    meta.Kind = found->Kind;
    meta.Long = found->Long;
    meta.DefinedSize = found->Size;
    if (found->Size == 0)
        meta.DefinedSize = size > 0 && size < static_cast<SQLULEN>(LongSize) ? static_cast<Integer>(size) : 0;
    if (meta.Type == adNumeric) {
        meta.Precision = static_cast<Byte>(size > 0 && size < 256 ? size : 18);
        meta.Scale = static_cast<Byte>(digits >= 0 && digits < 256 ? digits : 0);
        // Decimals are read as their digits, never through a double: within 18 digits and four
        // decimals they are exact Currency amounts, wider ones stay exact text.
        if (meta.Precision <= 18 && meta.Scale <= 4) {
            meta.Kind = ValueKind::Currency;
        } else {
            meta.Kind = ValueKind::Text;
            meta.DefinedSize = meta.Precision + 2; // sign and point
        }
    }
}

DataTypeEnum AdoTypeOf(SQLSMALLINT sqlType)
{
    ColumnMeta meta;
    MapSqlType(sqlType, 0, 0, meta);
    return meta.Type;
}

} // namespace vmado::engine::odbc
