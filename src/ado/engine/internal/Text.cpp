// Text helpers: ASCII folding and code-page conversions at the database boundary.
#include "ado/engine/internal/Text.h"

#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <cstdint>
#include <cstring>

namespace vmado::engine {

namespace {
inline char LowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}
inline bool IsAscii(std::string_view s)
{
    // Whole words, short values included: this runs on every text value read from a database.
    // Loads may overlap; a byte read twice changes nothing.
    const char* p = s.data();
    const std::size_t n = s.size();
    std::uint64_t any = 0;
    if (n >= 8) {
        std::size_t i = 0;
        for (; i + 8 < n; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            any |= word;
        }
        std::uint64_t last;
        std::memcpy(&last, p + n - 8, 8);
        any |= last;
    } else if (n >= 4) {
        std::uint32_t head, tail;
        std::memcpy(&head, p, 4);
        std::memcpy(&tail, p + n - 4, 4);
        any = head | tail;
    } else if (n > 0) {
        any = static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) |
              static_cast<unsigned char>(p[n - 1]);
    }
    return (any & 0x8080808080808080ULL) == 0;
}
} // namespace

AnsiString LowerAscii(std::string_view s)
{
    AnsiString r(s);
    for (auto& c : r)
        c = LowerChar(c);
    return r;
}

AnsiString UpperAscii(std::string_view s)
{
    AnsiString r(s);
    for (auto& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return r;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerChar(a[i]) != LowerChar(b[i]))
            return false;
    return true;
}

AnsiString Trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return AnsiString(s.substr(b, e - b));
}

bool Utf8ToAnsiIfNeeded(std::string_view utf8, std::string& out)
{
    if (IsAscii(utf8))
        return false;
    out = Utf8ToAnsi(utf8);
    return true;
}

std::string ToUtf8(std::string_view ansi)
{
    if (IsAscii(ansi))
        return std::string(ansi);
    return AnsiToUtf8(ansi);
}

std::string_view StoredWhenLossy(std::string_view utf8, std::string_view ansi)
{
    return ToUtf8(ansi) == utf8 ? std::string_view() : utf8;
}

AnsiString FromUtf8(std::string_view utf8)
{
    if (IsAscii(utf8))
        return AnsiString(utf8);
    return Utf8ToAnsi(utf8);
}

std::u16string ToUtf16(std::string_view ansi)
{
    std::u16string r;
    r.reserve(ansi.size());
    if (IsAscii(ansi)) {
        for (char c : ansi)
            r.push_back(static_cast<char16_t>(c));
        return r;
    }
    for (char32_t cp : AnsiToUtf32(ansi)) {
        // Only malformed UTF-8 decodes to a surrogate; a driver would pass it on as some other text.
        if (cp >= 0xD800 && cp <= 0xDFFF)
            throw EConvertError("Cannot pass text that is not valid UTF-8 to the database (byte $" +
                                IntToHex(static_cast<Integer>(cp & 0xFF), 2) + " in '" +
                                AnsiString(ansi.substr(0, 40)) + "')");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            r.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            r.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            r.push_back(static_cast<char16_t>(cp));
        }
    }
    return r;
}

AnsiString FromUtf16(std::u16string_view utf16)
{
    bool ascii = true;
    for (char16_t c : utf16)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        AnsiString r(utf16.size(), '\0');
        for (std::size_t i = 0; i < utf16.size(); ++i)
            r[i] = static_cast<char>(utf16[i]);
        return r;
    }
    std::u32string u32;
    u32.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        u32.push_back(c);
    }
    return Utf32ToAnsi(u32);
}

} // namespace vmado::engine
