// Windows-1250, Windows-1252 and UTF-8: byte tables, case and sort tables derived from them, and
// the UTF-8 conversions. Bytes the code pages leave unassigned map to the C1 control of the same
// number (as the platform does), so every byte survives a round trip through UTF-8; in UTF-8
// itself every conversion keeps the bytes it is given.
#include "framework/rtl/CodePage.h"

#include "framework/rtl/Exceptions.h"
#include "framework/rtl/internal/CodePageTables.h"
#include "framework/rtl/internal/Unicode.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace vmado {

namespace {

// Unicode code points of the bytes 0x80-0xFF.
constexpr char16_t kHigh1250[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

constexpr char16_t kHigh1252[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF, // A8
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF, // B8
    0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7, // C0
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, // C8
    0x00D0, 0x00D1, 0x00D2, 0x00D3, 0x00D4, 0x00D5, 0x00D6, 0x00D7, // D0
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF, // D8
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, // E0
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x00EC, 0x00ED, 0x00EE, 0x00EF, // E8
    0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7, // F0
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF, // F8
};

// The base letter each byte 0x80-0xFF sorts under (blank: not a letter). Ligatures and letters
// with strokes sort under their first letter; accents then break ties.
constexpr char kBase1250[129] = "          s stzz          s stzz"  // 80
                                "   l a    s    z   l     as l lz"  // A0
                                "raaaalccceeeeiiddnnoooo ruuuuyts"  // C0
                                "raaaalccceeeeiiddnnoooo ruuuuyt "; // E0
constexpr char kBase1252[129] = "   f      s o z           s o zy"  // 80
                                "          a               o     "  // A0
                                "aaaaaaaceeeeiiiidnooooo ouuuuyts"  // C0
                                "aaaaaaaceeeeiiiidnooooo ouuuuyty"; // E0

// In UTF-8 a byte from 0x80 on is only part of a character: the byte tables hold its escape and
// treat it as a symbol, so they serve ASCII exactly and leave everything else to the code-point
// functions.
constexpr auto kHighUtf8 = [] {
    std::array<char16_t, 128> t{};
    for (int i = 0; i < 128; ++i)
        t[i] = static_cast<char16_t>(internal::kEscapeBase + 0x80 + i);
    return t;
}();
constexpr char kBaseUtf8[129] = "                                "
                                "                                "
                                "                                "
                                "                                ";

constexpr Word kLetterWeight = 0x1000; // letters sort after digits, digits after symbols
constexpr Word kDigitWeight = 0x0800;
constexpr Word kHighSymbolWeight = 0x0100;

internal::CodePageTables Build(const char16_t* high, const char (&base)[129])
{
    internal::CodePageTables t;
    for (int b = 0; b < 256; ++b)
        t.ToUnicode[b] = b < 0x80 ? static_cast<char32_t>(b) : static_cast<char32_t>(high[b - 0x80]);
    for (int b = 0x80; b < 256; ++b)
        t.FromUnicode.emplace_back(t.ToUnicode[b], static_cast<unsigned char>(b));
    std::sort(t.FromUnicode.begin(), t.FromUnicode.end());

    auto byteOf = [&t](char32_t u, unsigned char fallback) {
        if (u < 0x80)
            return static_cast<unsigned char>(u);
        auto it = std::lower_bound(t.FromUnicode.begin(), t.FromUnicode.end(),
                                   std::make_pair(u, static_cast<unsigned char>(0)));
        return (it != t.FromUnicode.end() && it->first == u) ? it->second : fallback;
    };
    auto baseOf = [&base](int b) -> char {
        if (b < 0x80)
            return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ? static_cast<char>(b | 0x20) : ' ';
        return base[b - 0x80];
    };

    for (int b = 0; b < 256; ++b) {
        const auto self = static_cast<unsigned char>(b);
        t.Upper[b] = byteOf(internal::UnicodeUpper(t.ToUnicode[b]), self);
        t.Lower[b] = byteOf(internal::UnicodeLower(t.ToUnicode[b]), self);
        t.Letter[b] = baseOf(b) != ' ';
    }

    // Accent rank: among the letters sharing a base letter, the plain ASCII one first, then the
    // accented ones in code-point order of their lower-case form.
    for (int b = 0; b < 256; ++b) {
        AnsiSortKey key{};
        const char32_t u = t.ToUnicode[b];
        if (t.Letter[b]) {
            const char32_t folded = t.ToUnicode[t.Lower[b]];
            Byte rank = 0;
            if (folded >= 0x80) {
                rank = 1;
                std::vector<char32_t> seen;
                for (int o = 0x80; o < 256; ++o) {
                    const char32_t of = t.ToUnicode[t.Lower[o]];
                    if (baseOf(o) == baseOf(b) && of < folded &&
                        std::find(seen.begin(), seen.end(), of) == seen.end()) {
                        seen.push_back(of);
                        ++rank;
                    }
                }
            }
            key.Primary = static_cast<Word>(kLetterWeight + (baseOf(b) - 'a'));
            key.Secondary = rank;
            key.Tertiary = (t.Lower[b] != b) ? 1 : 0;
        } else if (u >= '0' && u <= '9') {
            key.Primary = static_cast<Word>(kDigitWeight + (u - '0'));
        } else if (b == '-' || b == '\'' || u == 0xAD) {
            key.Primary = 0; // hyphens and apostrophes only break ties, as in a word sort
        } else {
            key.Primary = b < 0x80 ? static_cast<Word>(b) : static_cast<Word>(kHighSymbolWeight + b);
        }
        t.Sort[b] = key;
    }
    return t;
}

// The code page named by VMADO_CODEPAGE, else 1250. Read once, at the first use of text; a
// value the library cannot run in must not go unnoticed, nor turn into some other code page.
Integer StartupCodePage()
{
    const char* value = std::getenv("VMADO_CODEPAGE");
    if (value == nullptr || *value == '\0')
        return CP_1250;
    char* end = nullptr;
    const long number = std::strtol(value, &end, 10);
    if (*end != '\0' || !IsSupportedCodePage(static_cast<Integer>(number))) {
        std::fprintf(stderr,
                     "vmado: VMADO_CODEPAGE='%s' is not a supported code page (use 1250, 1252 or 65001)\n",
                     value);
        std::abort();
    }
    return static_cast<Integer>(number);
}

std::atomic<Integer>& CodePageVar()
{
    static std::atomic<Integer> codePage{StartupCodePage()};
    return codePage;
}

std::atomic<int> g_locks{0};

// Decodes one UTF-8 character at pos and advances past it. A malformed sequence (bad lead byte,
// missing or bad continuation, overlong form, surrogate, beyond U+10FFFF) consumes its lead
// byte and the continuation bytes that were valid, and yields nothing (returns false).
bool NextUtf8(std::string_view s, std::size_t& pos, char32_t& out)
{
    const auto lead = static_cast<unsigned char>(s[pos++]);
    if (lead < 0x80) {
        out = lead;
        return true;
    }
    int extra;
    char32_t u;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, u = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, u = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, u = lead & 0x07, min = 0x10000;
    } else {
        return false;
    }
    for (int i = 0; i < extra; ++i) {
        if (pos >= s.size())
            return false;
        const auto c = static_cast<unsigned char>(s[pos]);
        if ((c & 0xC0) != 0x80)
            return false;
        u = (u << 6) | (c & 0x3F);
        ++pos;
    }
    if (u < min || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF))
        return false;
    out = u;
    return true;
}

} // namespace

namespace internal {

const CodePageTables& TablesFor(Integer codePage)
{
    static const CodePageTables t1250 = Build(kHigh1250, kBase1250);
    static const CodePageTables t1252 = Build(kHigh1252, kBase1252);
    static const CodePageTables tUtf8 = Build(kHighUtf8.data(), kBaseUtf8);
    if (codePage == 0)
        codePage = GetACP();
    switch (codePage) {
    case CP_1250:
        return t1250;
    case CP_1252:
        return t1252;
    case CP_UTF8:
        return tUtf8;
    default:
        throw EConvertError("Code page " + std::to_string(codePage) +
                            " is not supported (use 1250, 1252 or 65001)");
    }
}

} // namespace internal

Integer GetACP() noexcept
{
    return CodePageVar().load(std::memory_order_relaxed);
}

bool IsSupportedCodePage(Integer codePage) noexcept
{
    return codePage == CP_1250 || codePage == CP_1252 || codePage == CP_UTF8;
}

bool IsUtf8CodePage(Integer codePage)
{
    return (codePage == 0 ? GetACP() : codePage) == CP_UTF8;
}

void SetACP(Integer codePage)
{
    if (!IsSupportedCodePage(codePage))
        throw EConvertError("Code page " + std::to_string(codePage) +
                            " is not supported (use 1250, 1252 or 65001)");
    if (codePage == GetACP())
        return;
    if (const int held = g_locks.load(); held > 0)
        throw EConvertError("Cannot change the code page to " + std::to_string(codePage) + " while " +
                            std::to_string(held) + " database connection(s) hold text in code page " +
                            std::to_string(GetACP()) + "; choose the code page before opening any");
    CodePageVar().store(codePage, std::memory_order_relaxed);
}

CodePageLock::CodePageLock() noexcept
{
    g_locks.fetch_add(1);
}

CodePageLock::~CodePageLock()
{
    g_locks.fetch_sub(1);
}

Integer AnsiCharCount(std::string_view s)
{
    if (!IsUtf8CodePage())
        return static_cast<Integer>(s.size());
    Integer count = 0;
    for (std::size_t pos = 0; pos < s.size(); ++count) {
        char32_t u;
        internal::DecodeUtf8(s, pos, u);
    }
    return count;
}

Integer AnsiMaxCharSize(Integer codePage)
{
    return IsUtf8CodePage(codePage) ? 4 : 1;
}

char32_t UnicodeUpperChar(char32_t codePoint)
{
    return internal::UnicodeUpper(codePoint);
}

char32_t UnicodeLowerChar(char32_t codePoint)
{
    return internal::UnicodeLower(codePoint);
}

bool IsUnicodeLetter(char32_t codePoint)
{
    return internal::IsUnicodeLetter(codePoint);
}

char32_t AnsiCharToUnicode(unsigned char c, Integer codePage)
{
    return internal::TablesFor(codePage).ToUnicode[c];
}

bool UnicodeToAnsiChar(char32_t codePoint, char& out, Integer codePage)
{
    if (codePoint < 0x80) {
        out = static_cast<char>(codePoint);
        return true;
    }
    const auto& table = internal::TablesFor(codePage).FromUnicode;
    auto it = std::lower_bound(table.begin(), table.end(),
                               std::make_pair(codePoint, static_cast<unsigned char>(0)));
    if (it == table.end() || it->first != codePoint)
        return false;
    out = static_cast<char>(it->second);
    return true;
}

char AnsiUpperChar(char c, Integer codePage)
{
    return static_cast<char>(internal::TablesFor(codePage).Upper[static_cast<unsigned char>(c)]);
}

char AnsiLowerChar(char c, Integer codePage)
{
    return static_cast<char>(internal::TablesFor(codePage).Lower[static_cast<unsigned char>(c)]);
}

bool IsAnsiLetter(char c, Integer codePage)
{
    return internal::TablesFor(codePage).Letter[static_cast<unsigned char>(c)];
}

bool IsAnsiUpper(char c, Integer codePage)
{
    const auto& t = internal::TablesFor(codePage);
    const auto b = static_cast<unsigned char>(c);
    return t.Lower[b] != b;
}

bool IsAnsiLower(char c, Integer codePage)
{
    const auto& t = internal::TablesFor(codePage);
    const auto b = static_cast<unsigned char>(c);
    return t.Letter[b] && t.Lower[b] == b; // sharp s is lower case without a capital
}

AnsiSortKey AnsiCharSortKey(char c, Integer codePage)
{
    return internal::TablesFor(codePage).Sort[static_cast<unsigned char>(c)];
}

std::string AnsiToUtf8(std::string_view ansi, Integer codePage)
{
    const auto& t = internal::TablesFor(codePage);
    if (&t == &internal::TablesFor(CP_UTF8))
        return std::string(ansi);
    std::string out;
    out.reserve(ansi.size() + ansi.size() / 4);
    for (char c : ansi)
        internal::AppendUtf8(out, t.ToUnicode[static_cast<unsigned char>(c)]);
    return out;
}

namespace {

// The code page a call works in: the current one for 0; unsupported numbers raise.
Integer Resolve(Integer codePage)
{
    const Integer cp = codePage == 0 ? GetACP() : codePage;
    internal::TablesFor(cp);
    return cp;
}

} // namespace

AnsiString Utf8ToAnsi(std::string_view utf8, Integer codePage)
{
    const Integer cp = Resolve(codePage);
    if (cp == CP_UTF8)
        return AnsiString(utf8);
    AnsiString out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t u;
        char c;
        if (NextUtf8(utf8, pos, u) && UnicodeToAnsiChar(u, c, cp))
            out += c;
        else
            out += AnsiReplacementChar;
    }
    return out;
}

std::u32string AnsiToUtf32(std::string_view ansi, Integer codePage)
{
    const auto& t = internal::TablesFor(codePage);
    std::u32string out;
    out.reserve(ansi.size());
    if (&t == &internal::TablesFor(CP_UTF8)) {
        for (std::size_t pos = 0; pos < ansi.size();) {
            char32_t u;
            internal::DecodeUtf8(ansi, pos, u);
            out += u;
        }
        return out;
    }
    for (char c : ansi)
        out += t.ToUnicode[static_cast<unsigned char>(c)];
    return out;
}

AnsiString Utf32ToAnsi(std::u32string_view text, Integer codePage)
{
    const Integer cp = Resolve(codePage);
    AnsiString out;
    out.reserve(text.size());
    if (cp == CP_UTF8) {
        for (char32_t u : text)
            internal::AppendUtf8(out, u);
        return out;
    }
    for (char32_t u : text) {
        char c;
        out += UnicodeToAnsiChar(u, c, cp) ? c : AnsiReplacementChar;
    }
    return out;
}

bool Utf8FitsCodePage(std::string_view utf8, Integer codePage)
{
    const Integer cp = Resolve(codePage);
    if (cp == CP_UTF8)
        return true;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t u;
        char c;
        if (!NextUtf8(utf8, pos, u) || !UnicodeToAnsiChar(u, c, cp))
            return false;
    }
    return true;
}

std::filesystem::path AnsiToPath(std::string_view ansiName)
{
    return std::filesystem::path(AnsiToUtf8(ansiName));
}

AnsiString PathToAnsi(const std::filesystem::path& path)
{
    return Utf8ToAnsi(path.native());
}

std::string AnsiToConsole(std::string_view ansi)
{
    return AnsiToUtf8(ansi);
}

void WriteAnsi(std::ostream& out, std::string_view ansi)
{
    out << AnsiToUtf8(ansi);
}

} // namespace vmado
