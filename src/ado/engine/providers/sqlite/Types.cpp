// The SQLite provider's type table: declared column types to ADO types, storage kinds and sizes.
// Names not in the table fall back to SQLite's own affinity rules.
#include "ado/engine/providers/sqlite/SqlitePrivate.h"

#include "ado/engine/internal/Text.h"

#include <climits>
#include <cstdlib>

namespace vmado::engine::sqlite {

namespace {

constexpr Integer LongSize = INT_MAX;

struct Row {
    const char* Name;
    DataTypeEnum Type;
    ValueKind Kind;
    Integer Size; // 0: the declaration's length
    bool Long;
};

// Size 0 on a text or bytes type: the length in parentheses; without one the column is long.
const Row TypeTable[] = {
    {"BOOLEAN", adBoolean, ValueKind::Boolean, 2, false},
    {"BOOL", adBoolean, ValueKind::Boolean, 2, false},
    {"BIT", adBoolean, ValueKind::Boolean, 2, false},
    {"LOGICAL", adBoolean, ValueKind::Boolean, 2, false},
    {"TINYINT", adTinyInt, ValueKind::Integer, 1, false},
    {"SMALLINT", adSmallInt, ValueKind::Integer, 2, false},
    {"INT2", adSmallInt, ValueKind::Integer, 2, false},
    {"MEDIUMINT", adInteger, ValueKind::Integer, 4, false},
    {"INT4", adInteger, ValueKind::Integer, 4, false},
    // SQLite's integer affinity stores 64 bits whatever the name says; only the names above
    // promise less.
    {"INT", adBigInt, ValueKind::Integer, 8, false},
    {"INTEGER", adBigInt, ValueKind::Integer, 8, false},
    {"BIGINT", adBigInt, ValueKind::Integer, 8, false},
    {"INT8", adBigInt, ValueKind::Integer, 8, false},
    {"UNSIGNED BIG INT", adBigInt, ValueKind::Integer, 8, false},
    {"COUNTER", adBigInt, ValueKind::Integer, 8, false},
    {"AUTOINCREMENT", adBigInt, ValueKind::Integer, 8, false},
    {"REAL", adDouble, ValueKind::Float, 8, false},
    {"FLOAT", adDouble, ValueKind::Float, 8, false},
    {"DOUBLE", adDouble, ValueKind::Float, 8, false},
    {"DOUBLE PRECISION", adDouble, ValueKind::Float, 8, false},
    {"NUMERIC", adNumeric, ValueKind::Float, 19, false},
    {"DECIMAL", adNumeric, ValueKind::Float, 19, false},
    {"MONEY", adCurrency, ValueKind::Currency, 8, false},
    {"SMALLMONEY", adCurrency, ValueKind::Currency, 8, false},
    {"CURRENCY", adCurrency, ValueKind::Currency, 8, false},
    {"DATE", adDBDate, ValueKind::Date, 6, false},
    {"TIME", adDBTime, ValueKind::Date, 6, false},
    {"DATETIME", adDBTimeStamp, ValueKind::Date, 16, false},
    {"TIMESTAMP", adDBTimeStamp, ValueKind::Date, 16, false},
    {"SMALLDATETIME", adDBTimeStamp, ValueKind::Date, 16, false},
    {"CHAR", adChar, ValueKind::Text, 0, false},
    {"CHARACTER", adChar, ValueKind::Text, 0, false},
    {"NCHAR", adChar, ValueKind::Text, 0, false},
    {"NATIVE CHARACTER", adChar, ValueKind::Text, 0, false},
    {"VARCHAR", adVarChar, ValueKind::Text, 0, false},
    {"NVARCHAR", adVarChar, ValueKind::Text, 0, false},
    {"VARYING CHARACTER", adVarChar, ValueKind::Text, 0, false},
    {"CHARACTER VARYING", adVarChar, ValueKind::Text, 0, false},
    {"NATIONAL VARYING CHARACTER", adVarChar, ValueKind::Text, 0, false},
    {"TEXT", adVarChar, ValueKind::Text, 0, false},
    {"STRING", adVarChar, ValueKind::Text, 0, false},
    {"CLOB", adLongVarChar, ValueKind::Text, LongSize, true},
    {"MEMO", adLongVarChar, ValueKind::Text, LongSize, true},
    {"NTEXT", adLongVarChar, ValueKind::Text, LongSize, true},
    {"LONGTEXT", adLongVarChar, ValueKind::Text, LongSize, true},
    {"MEDIUMTEXT", adLongVarChar, ValueKind::Text, LongSize, true},
    {"GUID", adGUID, ValueKind::Text, 38, false},
    {"UNIQUEIDENTIFIER", adGUID, ValueKind::Text, 38, false},
    {"UUID", adGUID, ValueKind::Text, 38, false},
    {"BINARY", adBinary, ValueKind::Bytes, 0, false},
    {"VARBINARY", adVarBinary, ValueKind::Bytes, 0, false},
    {"BLOB", adLongVarBinary, ValueKind::Bytes, LongSize, true},
    {"IMAGE", adLongVarBinary, ValueKind::Bytes, LongSize, true},
    {"LONGBLOB", adLongVarBinary, ValueKind::Bytes, LongSize, true},
    {"GRAPHIC", adLongVarBinary, ValueKind::Bytes, LongSize, true},
};

void Apply(const Row& row, ColumnMeta& meta)
{
    meta.Type = row.Type;
    meta.Kind = row.Kind;
    meta.DefinedSize = row.Size;
    meta.Long = row.Long;
}

} // namespace

void MapDeclaredType(std::string_view declared, ColumnMeta& meta)
{
    AnsiString base;
    std::vector<int> args;
    {
        std::size_t paren = declared.find('(');
        std::string_view name = declared.substr(0, paren);
        bool blank = false;
        for (char c : Trim(name)) {
            if (c == ' ' || c == '\t') {
                blank = true;
                continue;
            }
            if (blank && !base.empty())
                base += ' ';
            blank = false;
            base += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        }
        if (paren != std::string_view::npos) {
            std::string inner(declared.substr(paren + 1));
            const char* p = inner.c_str();
            while (*p) {
                char* end = nullptr;
                long v = std::strtol(p, &end, 10);
                if (end == p) {
                    ++p;
                    continue;
                }
                args.push_back(static_cast<int>(v));
                p = end;
            }
        }
    }
    meta.KindFromData = false;
    if (base.empty()) {
        meta.Type = adVarChar;
        meta.Kind = ValueKind::Text;
        meta.DefinedSize = 0;
        meta.KindFromData = true;
        return;
    }
    const Row* found = nullptr;
    for (const Row& row : TypeTable)
        if (base == row.Name) {
            found = &row;
            break;
        }
    if (found) {
        Apply(*found, meta);
    } else if (base.find("INT") != AnsiString::npos) {
        meta.Type = adBigInt, meta.Kind = ValueKind::Integer, meta.DefinedSize = 8, meta.Long = false;
    } else if (base.find("CHAR") != AnsiString::npos || base.find("CLOB") != AnsiString::npos ||
               base.find("TEXT") != AnsiString::npos) {
        meta.Type = adVarChar, meta.Kind = ValueKind::Text, meta.DefinedSize = 0, meta.Long = false;
    } else if (base.find("BLOB") != AnsiString::npos) {
        meta.Type = adLongVarBinary, meta.Kind = ValueKind::Bytes, meta.DefinedSize = LongSize;
        meta.Long = true;
    } else if (base.find("REAL") != AnsiString::npos || base.find("FLOA") != AnsiString::npos ||
               base.find("DOUB") != AnsiString::npos) {
        meta.Type = adDouble, meta.Kind = ValueKind::Float, meta.DefinedSize = 8, meta.Long = false;
    } else {
        meta.Type = adNumeric, meta.Kind = ValueKind::Float, meta.DefinedSize = 19, meta.Long = false;
    }
    if ((meta.Kind == ValueKind::Text || meta.Kind == ValueKind::Bytes) && !meta.Long &&
        meta.DefinedSize == 0) {
        if (!args.empty() && args[0] > 0) {
            meta.DefinedSize = args[0];
        } else {
            // SQLite sets no length of its own, so a column declared without one takes values of
            // any length: it is a memo or a blob, as SQLite's ODBC driver reports it too.
            meta.Type = meta.Kind == ValueKind::Text ? adLongVarChar : adLongVarBinary;
            meta.DefinedSize = LongSize;
            meta.Long = true;
        }
    }
    // Precision and scale only as declared: without them (255, unknown) the values are plain
    // floating-point numbers, which is all SQLite keeps of them anyway.
    if (meta.Type == adNumeric && !args.empty() && args[0] > 0 && args[0] < 256) {
        meta.Precision = static_cast<Byte>(args[0]);
        meta.Scale = static_cast<Byte>(args.size() > 1 && args[1] >= 0 && args[1] < 256 ? args[1] : 0);
    }
}

} // namespace vmado::engine::sqlite
