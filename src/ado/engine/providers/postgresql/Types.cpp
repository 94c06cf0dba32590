// The PostgreSQL provider's type table (type OIDs and modifiers to ADO types and storage kinds),
// the reader of the server's text forms, and the placeholder numbering of statement text.
#include "ado/engine/providers/postgresql/PgPrivate.h"

#include "ado/engine/expression/internal/Literals.h"
#include "ado/engine/internal/IsoDate.h"
#include "ado/engine/internal/Text.h"
#include "framework/rtl/Exceptions.h"

#include <cctype>
#include <charconv>
#include <climits>

namespace vmado::engine::postgresql {

namespace {

constexpr Integer LongSize = INT_MAX;

// The built-in type OIDs, fixed since the catalogue began.
enum : Oid {
    BoolOid = 16,
    ByteaOid = 17,
    CharOid = 18,
    NameOid = 19,
    Int8Oid = 20,
    Int2Oid = 21,
    Int4Oid = 23,
    TextOid = 25,
    OidOid = 26,
    JsonOid = 114,
    XmlOid = 142,
    Float4Oid = 700,
    Float8Oid = 701,
    BpcharOid = 1042,
    VarcharOid = 1043,
    DateOid = 1082,
    TimeOid = 1083,
    TimestampOid = 1114,
    TimestampTzOid = 1184,
    TimeTzOid = 1266,
    NumericOid = 1700,
    UuidOid = 2950,
    JsonbOid = 3802,
};

struct Row {
    Oid Type;
    DataTypeEnum Ado;
    ValueKind Kind;
    Integer Size; // 0: from the modifier, or none
    bool Long;
};

const Row TypeTable[] = {
    {BoolOid, adBoolean, ValueKind::Boolean, 2, false},
    {ByteaOid, adLongVarBinary, ValueKind::Bytes, LongSize, true},
    {CharOid, adChar, ValueKind::Text, 1, false},
    {NameOid, adVarChar, ValueKind::Text, 63, false},
    {Int8Oid, adBigInt, ValueKind::Integer, 8, false},
    {Int2Oid, adSmallInt, ValueKind::Integer, 2, false},
    {Int4Oid, adInteger, ValueKind::Integer, 4, false},
    {TextOid, adLongVarChar, ValueKind::Text, LongSize, true},
    {OidOid, adBigInt, ValueKind::Integer, 8, false},
    {JsonOid, adLongVarChar, ValueKind::Text, LongSize, true},
    {XmlOid, adLongVarChar, ValueKind::Text, LongSize, true},
    {JsonbOid, adLongVarChar, ValueKind::Text, LongSize, true},
    {Float4Oid, adSingle, ValueKind::Float, 4, false},
    {Float8Oid, adDouble, ValueKind::Float, 8, false},
    {BpcharOid, adChar, ValueKind::Text, 0, false},
    {VarcharOid, adVarChar, ValueKind::Text, 0, false},
    {DateOid, adDBDate, ValueKind::Date, 6, false},
    {TimeOid, adDBTime, ValueKind::Date, 6, false},
    {TimeTzOid, adDBTime, ValueKind::Date, 6, false},
    {TimestampOid, adDBTimeStamp, ValueKind::Date, 16, false},
    {TimestampTzOid, adDBTimeStamp, ValueKind::Date, 16, false},
    {NumericOid, adNumeric, ValueKind::Currency, 19, false},
    {UuidOid, adGUID, ValueKind::Text, 38, false},
};

[[noreturn]] void Refuse(const ColumnMeta& meta, std::string_view text, const char* what)
{
    throw EConvertError("Column '" + meta.Name + "' holds " + AnsiString(text) + ", which " + what);
}

// A date, time or time stamp in ISO form. Beyond what a day number holds (infinity, years
// before Christ or after 9999) the value is refused, naming the column, rather than read as
// some other day. A time zone offset is dropped: the value reads as the session's wall clock.
double ReadDate(const ColumnMeta& meta, std::string_view text)
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
        Refuse(meta, "the date " + AnsiString(text),
               "is outside the supported range 0001-01-01 to 9999-12-31");
    return result;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void MapPgType(Oid type, int typmod, ColumnMeta& meta)
{
    const Row* found = nullptr;
    for (const Row& row : TypeTable)
        if (row.Type == type) {
            found = &row;
            break;
        }
    if (!found) {
        // Types of their own (intervals, arrays, ranges, enums, geometry...) read as their text.
        meta.Type = adVarChar;
        meta.Kind = ValueKind::Text;
        meta.DefinedSize = 0;
        meta.Long = false;
        return;
    }
    meta.Type = found->Ado;
    meta.Kind = found->Kind;
    meta.Long = found->Long;
    meta.DefinedSize = found->Size;
    if (type == BpcharOid || type == VarcharOid) {
        // A length in characters, or none: then the longest value decides.
        meta.DefinedSize = typmod > 4 ? typmod - 4 : 0;
    } else if (type == NumericOid) {
        if (typmod >= 4) {
            meta.Precision = static_cast<Byte>(std::min(((typmod - 4) >> 16) & 0xFFFF, 255));
            meta.Scale = static_cast<Byte>(std::min((typmod - 4) & 0xFFFF, 255));
        } else {
            // NUMERIC without a precision holds any number of digits: it stays exact as text.
            meta.Precision = 28;
            meta.Scale = 6;
            meta.Kind = ValueKind::Text;
        }
        // Within 18 digits and four decimals a decimal is an exact Currency amount; wider ones
        // stay exact text.
        if (meta.Precision > 18 || meta.Scale > 4)
            meta.Kind = ValueKind::Text;
        if (meta.Kind == ValueKind::Text)
            meta.DefinedSize = meta.Precision + 2; // sign and point
    }
}

void ReadText(const ColumnMeta& meta, Oid type, const char* text, std::size_t length, CellRef& cell,
              std::string& scratch)
{
    const std::string_view value(text, length);
    cell.Stored = {};
    switch (meta.Kind) {
    case ValueKind::Integer: {
        Int64 v = 0;
        const auto [end, ec] = std::from_chars(text, text + length, v);
        if (ec != std::errc() || end != text + length)
            Refuse(meta, "'" + AnsiString(value) + "'", "is not an integer");
        cell.Kind = ValueKind::Integer;
        cell.I = v;
        return;
    }
    case ValueKind::Boolean:
        cell.Kind = ValueKind::Boolean;
        cell.B = length > 0 && (text[0] == 't' || text[0] == 'T' || text[0] == '1');
        return;
    case ValueKind::Float: {
        double v = 0;
        const auto [end, ec] = std::from_chars(text, text + length, v);
        if ((ec != std::errc() && ec != std::errc::result_out_of_range) || end != text + length)
            Refuse(meta, "'" + AnsiString(value) + "'", "is not a number");
        cell.Kind = ValueKind::Float;
        cell.F = v;
        return;
    }
    case ValueKind::Currency: {
        Int64 raw = 0;
        if (!internal::ParseCurrency(value, raw))
            Refuse(meta, "'" + AnsiString(value) + "'", "is not a decimal amount");
        cell.Kind = ValueKind::Currency;
        cell.Cur = raw;
        return;
    }
    case ValueKind::Date:
        cell.Kind = ValueKind::Date;
        cell.F = ReadDate(meta, value);
        return;
    case ValueKind::Bytes: {
        // bytea in hex form: \x then two digits a byte.
        if (length < 2 || text[0] != '\\' || text[1] != 'x' || length % 2 != 0)
            Refuse(meta, "a value", "is not in the server's hex form of bytes");
        scratch.resize((length - 2) / 2);
        for (std::size_t i = 2, o = 0; i < length; i += 2, ++o) {
            const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
            if (hi < 0 || lo < 0)
                Refuse(meta, "a value", "is not in the server's hex form of bytes");
            scratch[o] = static_cast<char>(hi * 16 + lo);
        }
        cell.Kind = ValueKind::Bytes;
        cell.Text = scratch;
        return;
    }
    default:
        break;
    }
    cell.Kind = ValueKind::Text;
    if (type == UuidOid) {
        // ADO's form of a GUID: braced, upper case.
        scratch.assign(1, '{');
        for (char c : value)
            scratch += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        scratch += '}';
        cell.Text = scratch;
        return;
    }
    cell.Text = value;
    if (Utf8ToAnsiIfNeeded(value, scratch)) {
        cell.Text = scratch;
        cell.Stored = StoredWhenLossy(value, cell.Text);
    }
}

std::string NumberPlaceholders(std::string_view sql, int& count)
{
    count = 0;
    std::string out;
    out.reserve(sql.size() + 8);
    const std::size_t n = sql.size();
    auto identChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    std::size_t i = 0;
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"') {
            // Quoted text or name: to the closing quote (a doubled one is a literal quote). E'...'
            // takes backslash escapes.
            const bool escapes = c == '\'' && i > 0 && (sql[i - 1] == 'E' || sql[i - 1] == 'e') &&
                                 (i < 2 || !identChar(sql[i - 2]));
            std::size_t j = i + 1;
            while (j < n) {
                if (escapes && sql[j] == '\\') {
                    j += 2;
                    continue;
                }
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, n);
            out.append(sql.substr(i, j - i));
            i = j;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const std::size_t end = sql.find('\n', i);
            const std::size_t j = end == std::string_view::npos ? n : end;
            out.append(sql.substr(i, j - i));
            i = j;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            int depth = 0;
            std::size_t j = i;
            while (j < n) {
                if (sql[j] == '/' && j + 1 < n && sql[j + 1] == '*') {
                    ++depth;
                    j += 2;
                } else if (sql[j] == '*' && j + 1 < n && sql[j + 1] == '/') {
                    j += 2;
                    if (--depth == 0)
                        break;
                } else {
                    ++j;
                }
            }
            out.append(sql.substr(i, j - i));
            i = j;
        } else if (c == '$' && (i == 0 || !identChar(sql[i - 1]))) {
            // A dollar quote ($$...$$ or $tag$...$tag$); $1 and the like are left as they are.
            std::size_t j = i + 1;
            while (j < n && identChar(sql[j]) &&
                   !(j == i + 1 && std::isdigit(static_cast<unsigned char>(sql[j]))))
                ++j;
            if (j < n && sql[j] == '$') {
                const std::string_view tag = sql.substr(i, j - i + 1);
                const std::size_t close = sql.find(tag, j + 1);
                const std::size_t end = close == std::string_view::npos ? n : close + tag.size();
                out.append(sql.substr(i, end - i));
                i = end;
            } else {
                out += c;
                ++i;
            }
        } else if (c == '?') {
            out += '$';
            out += std::to_string(++count);
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

} // namespace vmado::engine::postgresql
