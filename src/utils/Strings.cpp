// Text helpers. Every function is total except HexToStr; out-of-range counts and positions give
// the empty text or 0. Counts and positions are bytes; in UTF-8 a cut never splits a character.
#include "utils/Strings.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <array>
#include <cstddef>

namespace vmado {

namespace {

// The character boundary nearest byte at: at itself unless at falls inside a well-formed UTF-8
// sequence, then the sequence's start (forward false) or end (forward true). Stray continuation
// bytes are characters of their own.
std::size_t Boundary(const AnsiString& s, std::size_t at, bool forward)
{
    if (at == 0 || at >= s.size() || !IsUtf8CodePage())
        return at;
    auto byte = [&s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    std::size_t lead = at;
    while (at - lead < 3 && lead > 0 && (byte(lead) & 0xC0) == 0x80)
        --lead;
    const unsigned char b = byte(lead);
    const std::size_t length = b >= 0xF0 && b <= 0xF4   ? 4
                               : b >= 0xE0 && b <= 0xEF ? 3
                               : b >= 0xC2 && b <= 0xDF ? 2
                                                        : 1;
    if (lead == at || lead + length <= at)
        return at;
    return forward ? lead + length : lead;
}

// A character argument is usable only when it holds exactly one character.
bool OneChar(const AnsiString& C)
{
    return C.size() == 1;
}

bool IsBlank(char ch)
{
    return ch == ' ';
}

AnsiString Repeat(char ch, Integer count)
{
    return count > 0 ? AnsiString(count, ch) : AnsiString();
}

constexpr std::array<const char*, 20> RomanNumerals = {"I",    "II",  "III",  "IV",    "V",   "VI",   "VII",
                                                       "VIII", "IX",  "X",    "XI",    "XII", "XIII", "XIV",
                                                       "XV",   "XVI", "XVII", "XVIII", "XIX", "XX"};

// The nine Hungarian vowel pairs of code page 1250: lower-case byte, upper-case byte.
constexpr std::array<std::pair<unsigned char, unsigned char>, 9> HungarianVowels = {{
    {0xE1, 0xC1},
    {0xE9, 0xC9},
    {0xED, 0xCD},
    {0xF3, 0xD3},
    {0xF5, 0xD5},
    {0xF6, 0xD6},
    {0xFA, 0xDA},
    {0xFB, 0xDB},
    {0xFC, 0xDC},
}};

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

} // namespace

AnsiString StrTran(const AnsiString& S, const AnsiString& Old, const AnsiString& New)
{
    if (S.empty() || Old.empty())
        return {};
    // Case mapping keeps every byte in place, so positions in the upper-cased copy are
    // positions in S.
    const AnsiString upperS = AnsiUpperCase(S);
    const AnsiString upperOld = AnsiUpperCase(Old);
    AnsiString result;
    result.reserve(S.size());
    std::size_t from = 0;
    for (std::size_t at = upperS.find(upperOld); at != AnsiString::npos; at = upperS.find(upperOld, from)) {
        result.append(S, from, at - from);
        result += New;
        from = at + Old.size();
    }
    result.append(S, from, AnsiString::npos);
    return result;
}

Integer StrCount(const AnsiString& S, const AnsiString& C)
{
    if (!OneChar(C))
        return 0;
    Integer count = 0;
    for (char ch : S)
        if (ch == C[0])
            ++count;
    return count;
}

Integer StrPos(const AnsiString& S, const AnsiString& C, Integer N)
{
    if (!OneChar(C))
        return 0;
    const Integer wanted = N < 1 ? 1 : N;
    Integer seen = 0;
    for (std::size_t i = 0; i < S.size(); ++i)
        if (S[i] == C[0] && ++seen == wanted)
            return static_cast<Integer>(i + 1);
    return 0;
}

AnsiString GetSubStr(const AnsiString& S, Integer N, const AnsiString& Sep)
{
    if (N <= 0 || !OneChar(Sep) || S.find(Sep[0]) == AnsiString::npos)
        return {};
    std::size_t start = 0;
    for (Integer field = 1; field < N; ++field) {
        const std::size_t sep = S.find(Sep[0], start);
        if (sep == AnsiString::npos)
            return {}; // past the last field
        start = sep + 1;
    }
    const std::size_t end = S.find(Sep[0], start);
    return S.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
}

AnsiString Equalize(const AnsiString& S)
{
    AnsiString result;
    result.reserve(S.size());
    bool lastWasBlank = false;
    for (char ch : S) {
        if (!IsBlank(ch)) {
            result += ch;
            lastWasBlank = false;
        } else if (!lastWasBlank) {
            result += ch;
            lastWasBlank = true;
        }
    }
    return result;
}

AnsiString LeftStr(const AnsiString& S, Integer N)
{
    if (N <= 0)
        return {};
    return S.substr(0, Boundary(S, static_cast<std::size_t>(N), false));
}

AnsiString RightStr(const AnsiString& S, Integer N)
{
    if (N <= 0)
        return {};
    const auto n = static_cast<std::size_t>(N);
    return n >= S.size() ? S : S.substr(Boundary(S, S.size() - n, true));
}

AnsiString SubStr(const AnsiString& S, Integer Start, Integer Count)
{
    const Integer first = Start < 1 ? 1 : Start;
    if (Count <= 0 || static_cast<std::size_t>(first) > S.size())
        return {};
    const std::size_t from = Boundary(S, static_cast<std::size_t>(first) - 1, true);
    const std::size_t to =
        Boundary(S, static_cast<std::size_t>(first) - 1 + static_cast<std::size_t>(Count), false);
    return to > from ? S.substr(from, to - from) : AnsiString();
}

bool IsSub(const AnsiString& Sub, const AnsiString& S)
{
    return !Sub.empty() && !S.empty() && S.find(Sub) != AnsiString::npos;
}

bool IsEmptyStr(const AnsiString& S)
{
    for (char ch : S)
        if (!IsBlank(ch))
            return false;
    return true;
}

bool IsDigits(const AnsiString& S)
{
    if (S.empty())
        return false;
    return S.find_first_not_of("0123456789.,") == AnsiString::npos;
}

AnsiString PadR(const AnsiString& S, Integer N, char Ch)
{
    const Integer length = static_cast<Integer>(S.size());
    if (length >= N)
        return LeftStr(S, N);
    return S + Repeat(Ch, N - length);
}

AnsiString PadL(const AnsiString& S, Integer N, char Ch)
{
    const Integer length = static_cast<Integer>(S.size());
    if (length >= N)
        return LeftStr(S, N);
    return Repeat(Ch, N - length) + S;
}

AnsiString PadC(const AnsiString& S, Integer N, char Ch)
{
    const Integer length = static_cast<Integer>(S.size());
    if (length >= N)
        return LeftStr(S, N);
    const Integer padding = N - length;
    return Repeat(Ch, padding / 2) + S + Repeat(Ch, padding - padding / 2);
}

Integer RPos(const AnsiString& S, const AnsiString& C, Integer N)
{
    if (!OneChar(C))
        return 0;
    const Integer wanted = N < 1 ? 1 : N;
    Integer seen = 0;
    for (std::size_t i = S.size(); i > 0; --i)
        if (S[i - 1] == C[0] && ++seen == wanted)
            return static_cast<Integer>(i + 1);
    return 0;
}

Integer LPos(const AnsiString& S, const AnsiString& C, Integer N)
{
    if (N == 0) {
        if (C.empty())
            return 0;
        const std::size_t at = S.find(C);
        return at == AnsiString::npos ? 0 : static_cast<Integer>(at + 1);
    }
    return StrPos(S, C, N);
}

AnsiString FillZero(const AnsiString& S, Integer N)
{
    const Integer length = static_cast<Integer>(S.size());
    if (length < N)
        return Repeat('0', N - length) + S;
    if (length > N)
        return LeftStr(S, N);
    return S;
}

AnsiString FillZero(Integer Value, Integer N)
{
    return FillZero(IntToStr(Value), N);
}

AnsiString ClearZero(const AnsiString& S)
{
    const std::size_t first = S.find_first_not_of('0');
    return first == AnsiString::npos ? S : S.substr(first);
}

AnsiString StrConvert(const AnsiString& S)
{
    static constexpr unsigned char accented[] = {0xC1, 0xC9, 0xD3, 0xD6, 0xD5, 0xCD, 0xDA, 0xDC, 0xDB};
    static constexpr char plain[] = "AEOOOIUUU";
    AnsiString result = S;
    for (char& ch : result) {
        for (std::size_t k = 0; k < sizeof accented; ++k) {
            if (static_cast<unsigned char>(ch) == accented[k]) {
                ch = plain[k];
                break;
            }
        }
    }
    return result;
}

char HunUpperCase(char Ch)
{
    const auto byte = static_cast<unsigned char>(Ch);
    if (byte >= 'a' && byte <= 'z')
        return static_cast<char>(byte - 'a' + 'A');
    for (const auto& [lower, upper] : HungarianVowels)
        if (byte == lower)
            return static_cast<char>(upper);
    return Ch;
}

char HunLowerCase(char Ch)
{
    const auto byte = static_cast<unsigned char>(Ch);
    if (byte >= 'A' && byte <= 'Z')
        return static_cast<char>(byte - 'A' + 'a');
    for (const auto& [lower, upper] : HungarianVowels)
        if (byte == upper)
            return static_cast<char>(lower);
    return Ch;
}

AnsiString UpperFirst(const AnsiString& S)
{
    if (S.empty())
        return {};
    AnsiString result = AnsiLowerCase(S);
    result[0] = HunUpperCase(result[0]);
    return result;
}

AnsiString InitCap(const AnsiString& S)
{
    if (S.empty())
        return {};
    AnsiString result;
    result.reserve(S.size());
    result += HunUpperCase(S[0]);
    bool afterBlank = false;
    for (std::size_t i = 1; i < S.size(); ++i) {
        const char ch = S[i];
        if (IsBlank(ch)) {
            result += ch;
            afterBlank = true;
        } else if (afterBlank) {
            result += HunUpperCase(ch);
            afterBlank = false;
        } else {
            result += ch;
        }
    }
    return result;
}

AnsiString StrToHex(const AnsiString& S)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    AnsiString result;
    result.reserve(S.size() * 2);
    for (char ch : S) {
        const auto byte = static_cast<unsigned char>(ch);
        result += digits[byte >> 4];
        result += digits[byte & 0x0F];
    }
    return result;
}

AnsiString HexToStr(const AnsiString& S)
{
    AnsiString result;
    result.reserve(S.size() / 2);
    for (std::size_t i = 0; i + 1 < S.size(); i += 2) {
        const int high = HexDigit(S[i]);
        const int low = HexDigit(S[i + 1]);
        if (high < 0 || low < 0)
            throw EConvertError("'$" + S.substr(i, 2) + "' is not a valid integer value");
        result += static_cast<char>(high * 16 + low);
    }
    return result;
}

AnsiString DecToRoman(Word N)
{
    if (N < 1 || N > RomanNumerals.size())
        return {};
    return RomanNumerals[N - 1];
}

Integer RomanToDec(const AnsiString& S)
{
    for (std::size_t i = 0; i < RomanNumerals.size(); ++i)
        if (S == RomanNumerals[i])
            return static_cast<Integer>(i + 1);
    return 0;
}

AnsiString ExtractDigits(const AnsiString& S, const AnsiString& Default)
{
    AnsiString result;
    for (char ch : S)
        if (ch >= '0' && ch <= '9')
            result += ch;
    return result.empty() ? Default : result;
}

AnsiString ExtractText(const AnsiString& S, const std::vector<AnsiString>& Stops)
{
    const AnsiString upperS = AnsiUpperCase(S);
    std::size_t cut = AnsiString::npos;
    for (const AnsiString& stop : Stops) {
        if (stop.empty())
            continue; // an empty stop word would cut everything away
        const std::size_t at = upperS.find(AnsiUpperCase(stop));
        if (at < cut)
            cut = at;
    }
    return cut == AnsiString::npos ? S : S.substr(0, cut);
}

AnsiString CleanText(const AnsiString& S)
{
    // CR LF is the line break of the framework's texts; a lone LF or CR (text from a Linux
    // file or terminal) breaks the line just the same.
    AnsiString joined;
    joined.reserve(S.size());
    for (std::size_t i = 0; i < S.size(); ++i) {
        const char ch = S[i];
        if (ch == '\r' || ch == '\n') {
            if (ch == '\r' && i + 1 < S.size() && S[i + 1] == '\n')
                ++i;
            joined += ' ';
        } else {
            joined += ch;
        }
    }
    return Trim(Equalize(joined));
}

AnsiString CleanNumber(const AnsiString& S)
{
    const auto& settings = FormatSettings();
    AnsiString result = S;
    // Without a currency text there is nothing to remove; StrTran would wipe the whole number.
    if (!settings.CurrencyString.empty() && !result.empty())
        result = StrTran(result, settings.CurrencyString, "");
    const char thousands = settings.ThousandSeparator;
    if (thousands != '\0')
        std::erase(result, thousands);
    return result.empty() ? AnsiString("0") : result;
}

void StrToStrings(const AnsiString& S, TStrings& List, const AnsiString& Sep)
{
    if (S == " ")
        return;
    const bool haveSep = OneChar(Sep);
    AnsiString item;
    for (char ch : S) {
        if (haveSep && ch == Sep[0]) {
            List.Add(Trim(item));
            item.clear();
        } else {
            item += ch;
        }
    }
    if (!item.empty())
        List.Add(Trim(item));
}

AnsiString StringsToStr(const TStrings& List, const AnsiString& Sep, bool All)
{
    AnsiString result;
    for (Integer i = 0; i < List.Count(); ++i) {
        const AnsiString& item = List[i];
        if (All || !item.empty())
            result += Sep + item;
    }
    return result;
}

} // namespace vmado
