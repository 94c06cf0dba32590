// Integer conversions, trimming, case, comparison, quoting and searching. Case-aware functions
// go through the current code page's tables; the ASCII-only ones never touch bytes above 0x7F.
#include "framework/rtl/SysUtils.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/internal/CodePageTables.h"
#include "framework/rtl/internal/Utf8Text.h"

#include <algorithm>
#include <limits>

namespace vmado {

namespace {

// The integer grammar shared by the 32- and 64-bit parsers; bits is the target width.
bool ParseInteger(std::string_view s, int bits, Int64& result)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= s.size())
        return false;
    std::uint64_t value = 0;
    if (hex) {
        const std::uint64_t limit =
            bits == 64 ? std::numeric_limits<std::uint64_t>::max() : std::uint64_t{0xFFFFFFFFu};
        for (; i < s.size(); ++i) {
            const char c = s[i];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                return false;
            if (value > (limit >> 4))
                return false;
            value = (value << 4) | static_cast<unsigned>(digit);
        }
        // Hexadecimal covers the full width: the top bit is the sign.
        Int64 signedValue = bits == 64
                                ? static_cast<Int64>(value)
                                : static_cast<Int64>(static_cast<Integer>(static_cast<Cardinal>(value)));
        if (negative)
            signedValue = static_cast<Int64>(0 - static_cast<std::uint64_t>(signedValue));
        if (bits == 32)
            signedValue =
                static_cast<Integer>(static_cast<Cardinal>(static_cast<std::uint64_t>(signedValue)));
        result = signedValue;
        return true;
    }
    const std::uint64_t limit =
        (bits == 64 ? std::uint64_t{1} << 63 : std::uint64_t{1} << 31) - (negative ? 0 : 1);
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c < '0' || c > '9')
            return false;
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (limit - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    result = negative ? static_cast<Int64>(0 - value) : static_cast<Int64>(value);
    return true;
}

[[noreturn]] void InvalidInteger(std::string_view s)
{
    throw EConvertError("'" + AnsiString(s) + "' is not a valid integer value");
}

AnsiString ToHex(std::uint64_t value, Integer digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    AnsiString out;
    do {
        out += kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    if (digits > 32)
        digits = 32;
    while (static_cast<Integer>(out.size()) < digits)
        out += '0';
    std::reverse(out.begin(), out.end());
    return out;
}

const internal::CodePageTables& Current()
{
    return internal::TablesFor(0);
}

// Word-sort comparison: base letters and symbols, then accents, then (optionally) case, each
// level over the characters that carry weight; when all agree, the bytes themselves decide
// (upper-cased when case is ignored), so only equal texts compare equal.
Integer Collate(std::string_view a, std::string_view b, bool withCase)
{
    if (IsUtf8CodePage())
        return internal::Utf8Collate(a, b, withCase);
    const auto& t = Current();
    auto weighted = [&t](std::string_view s) {
        std::string out;
        out.reserve(s.size());
        for (char c : s)
            if (t.Sort[static_cast<unsigned char>(c)].Primary != 0)
                out += c;
        return out;
    };
    const std::string wa = weighted(a);
    const std::string wb = weighted(b);
    const std::size_t n = std::min(wa.size(), wb.size());
    auto key = [&t](const std::string& s, std::size_t i) { return t.Sort[static_cast<unsigned char>(s[i])]; };
    for (std::size_t i = 0; i < n; ++i) {
        const Word pa = key(wa, i).Primary;
        const Word pb = key(wb, i).Primary;
        if (pa != pb)
            return pa < pb ? -1 : 1;
    }
    if (wa.size() != wb.size())
        return wa.size() < wb.size() ? -1 : 1;
    for (std::size_t i = 0; i < n; ++i) {
        const Byte sa = key(wa, i).Secondary;
        const Byte sb = key(wb, i).Secondary;
        if (sa != sb)
            return sa < sb ? -1 : 1;
    }
    if (withCase) {
        for (std::size_t i = 0; i < n; ++i) {
            const Byte ta = key(wa, i).Tertiary;
            const Byte tb = key(wb, i).Tertiary;
            if (ta != tb)
                return ta < tb ? -1 : 1;
        }
        return CompareStr(a, b);
    }
    return CompareStr(AnsiUpperCase(a), AnsiUpperCase(b));
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

} // namespace

// ---- Integers ----------------------------------------------------------------------------------

bool TryStrToInt(std::string_view s, Integer& value)
{
    Int64 v;
    if (!ParseInteger(s, 32, v))
        return false;
    value = static_cast<Integer>(v);
    return true;
}

bool TryStrToInt64(std::string_view s, Int64& value)
{
    return ParseInteger(s, 64, value);
}

Integer StrToInt(std::string_view s)
{
    Integer v;
    if (!TryStrToInt(s, v))
        InvalidInteger(s);
    return v;
}

Int64 StrToInt64(std::string_view s)
{
    Int64 v;
    if (!TryStrToInt64(s, v))
        InvalidInteger(s);
    return v;
}

Integer StrToIntDef(std::string_view s, Integer defaultValue)
{
    Integer v;
    return TryStrToInt(s, v) ? v : defaultValue;
}

Int64 StrToInt64Def(std::string_view s, Int64 defaultValue)
{
    Int64 v;
    return TryStrToInt64(s, v) ? v : defaultValue;
}

AnsiString IntToStr(Integer value)
{
    return std::to_string(value);
}

AnsiString IntToStr(Int64 value)
{
    return std::to_string(value);
}

AnsiString IntToHex(Integer value, Integer digits)
{
    return ToHex(static_cast<Cardinal>(value), digits);
}

AnsiString IntToHex(Int64 value, Integer digits)
{
    return ToHex(static_cast<std::uint64_t>(value), digits);
}

// ---- Booleans ----------------------------------------------------------------------------------

AnsiString BoolToStr(bool value, bool useBoolStrs)
{
    if (useBoolStrs)
        return value ? "True" : "False";
    return value ? "-1" : "0";
}

bool TryStrToBool(std::string_view s, bool& value)
{
    if (AnsiSameText(s, "True")) {
        value = true;
        return true;
    }
    if (AnsiSameText(s, "False")) {
        value = false;
        return true;
    }
    double number;
    if (TryStrToFloat(s, number)) {
        value = number != 0;
        return true;
    }
    return false;
}

bool StrToBool(std::string_view s)
{
    bool value;
    if (!TryStrToBool(s, value))
        throw EConvertError("'" + AnsiString(s) + "' is not a valid boolean value");
    return value;
}

// ---- Trimming and case -------------------------------------------------------------------------

AnsiString Trim(std::string_view s)
{
    return TrimRight(TrimLeft(s));
}

AnsiString TrimLeft(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ')
        ++i;
    return AnsiString(s.substr(i));
}

AnsiString TrimRight(std::string_view s)
{
    std::size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ')
        --n;
    return AnsiString(s.substr(0, n));
}

AnsiString UpperCase(std::string_view s)
{
    AnsiString out(s);
    for (char& c : out)
        c = AsciiUpper(c);
    return out;
}

AnsiString LowerCase(std::string_view s)
{
    AnsiString out(s);
    for (char& c : out)
        c = AsciiLower(c);
    return out;
}

Integer CompareStr(std::string_view a, std::string_view b)
{
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

Integer CompareText(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(AsciiUpper(a[i]));
        const auto cb = static_cast<unsigned char>(AsciiUpper(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

AnsiString AnsiUpperCase(std::string_view s)
{
    if (IsUtf8CodePage())
        return internal::Utf8UpperCase(s);
    const auto& t = Current();
    AnsiString out(s);
    for (char& c : out)
        c = static_cast<char>(t.Upper[static_cast<unsigned char>(c)]);
    return out;
}

AnsiString AnsiLowerCase(std::string_view s)
{
    if (IsUtf8CodePage())
        return internal::Utf8LowerCase(s);
    const auto& t = Current();
    AnsiString out(s);
    for (char& c : out)
        c = static_cast<char>(t.Lower[static_cast<unsigned char>(c)]);
    return out;
}

Integer AnsiCompareStr(std::string_view a, std::string_view b)
{
    return Collate(a, b, true);
}

Integer AnsiCompareText(std::string_view a, std::string_view b)
{
    return Collate(a, b, false);
}

bool AnsiSameStr(std::string_view a, std::string_view b)
{
    return a == b;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (IsUtf8CodePage())
        return internal::Utf8UpperCase(a) == internal::Utf8UpperCase(b);
    const auto& t = Current();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (t.Upper[static_cast<unsigned char>(a[i])] != t.Upper[static_cast<unsigned char>(b[i])])
            return false;
    return true;
}

// ---- Quoting -----------------------------------------------------------------------------------

AnsiString QuotedStr(std::string_view s)
{
    return AnsiQuotedStr(s, '\'');
}

AnsiString AnsiQuotedStr(std::string_view s, char quote)
{
    AnsiString out;
    out.reserve(s.size() + 2);
    out += quote;
    for (char c : s) {
        out += c;
        if (c == quote)
            out += quote;
    }
    out += quote;
    return out;
}

AnsiString AnsiDequotedStr(std::string_view s, char quote)
{
    if (s.empty() || s.front() != quote)
        return AnsiString(s);
    AnsiString out;
    for (std::size_t i = 1; i < s.size(); ++i) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                out += quote;
                ++i;
            } else {
                break; // the closing quote; whatever follows it is not part of the value
            }
        } else {
            out += s[i];
        }
    }
    return out;
}

// ---- Searching and replacing -------------------------------------------------------------------

Integer Pos(std::string_view substr, std::string_view s)
{
    return PosEx(substr, s, 1);
}

Integer PosEx(std::string_view substr, std::string_view s, Integer offset)
{
    if (substr.empty() || offset < 1 || static_cast<std::size_t>(offset) > s.size())
        return 0;
    const std::size_t at = s.find(substr, static_cast<std::size_t>(offset - 1));
    return at == std::string_view::npos ? 0 : static_cast<Integer>(at + 1);
}

Integer AnsiPos(std::string_view substr, std::string_view s)
{
    return Pos(substr, s);
}

AnsiString Copy(std::string_view s, Integer index, Integer count)
{
    if (index < 1)
        index = 1;
    if (count <= 0 || static_cast<std::size_t>(index) > s.size())
        return {};
    return AnsiString(s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

AnsiString StringOfChar(char c, Integer count)
{
    return count > 0 ? AnsiString(static_cast<std::size_t>(count), c) : AnsiString();
}

AnsiString StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                         TReplaceFlags flags)
{
    if (oldPattern.empty())
        return AnsiString(s);
    const bool ignoreCase = (flags & rfIgnoreCase) != 0;
    // Case mapping keeps every character's byte length, so positions found in the upper-cased copy
    // hold in the original.
    const AnsiString hay = ignoreCase ? AnsiUpperCase(s) : AnsiString();
    const AnsiString needle = ignoreCase ? AnsiUpperCase(oldPattern) : AnsiString();
    const std::string_view searchIn = ignoreCase ? std::string_view(hay) : s;
    const std::string_view searchFor = ignoreCase ? std::string_view(needle) : oldPattern;

    AnsiString out;
    std::size_t from = 0;
    while (true) {
        const std::size_t at = searchIn.find(searchFor, from);
        if (at == std::string_view::npos)
            break;
        out.append(s.substr(from, at - from));
        out.append(newPattern);
        from = at + searchFor.size();
        if ((flags & rfReplaceAll) == 0)
            break;
    }
    out.append(s.substr(from));
    return out;
}

} // namespace vmado
