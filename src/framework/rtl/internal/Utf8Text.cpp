// Case mapping and collation of UTF-8 text. The weights follow the single-byte code pages' order
// (symbols, then digits, then letters; hyphens and apostrophes only break ties) and extend it to
// every code point, so switching the code page does not reorder ASCII text.
#include "framework/rtl/internal/Utf8Text.h"

#include "framework/rtl/internal/Unicode.h"

#include <cstdint>
#include <vector>

namespace vmado::internal {

namespace {

template <char32_t (*Map)(char32_t)> std::string MapCase(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t u;
        DecodeUtf8(s, pos, u);
        AppendUtf8(out, Map(u));
    }
    return out;
}

struct Weight {
    std::uint32_t Primary;   // 0: passed over until everything else is equal
    std::uint32_t Secondary; // accent: 0 for the plain letter, else the accented letter's lower case
    std::uint8_t Tertiary;   // 1 for upper case
};

constexpr std::uint32_t kSymbolWeight = 0x100;       // + code point, for symbols beyond ASCII
constexpr std::uint32_t kDigitWeight = 0x200000;     // above every symbol
constexpr std::uint32_t kLetterWeight = 0x300000;    // + base letter; Latin a-z first
constexpr std::uint32_t kMalformedWeight = 0x500000; // + byte; after every character

Weight WeightOf(char32_t u)
{
    if (IsEscapedByte(u))
        return {kMalformedWeight + (u - kEscapeBase), 0, 0};
    if (u == '-' || u == '\'' || u == 0xAD)
        return {0, 0, 0};
    if (u >= '0' && u <= '9')
        return {kDigitWeight + (u - '0'), 0, 0};
    if (!IsUnicodeLetter(u))
        return {u < 0x80 ? static_cast<std::uint32_t>(u) : kSymbolWeight + u, 0, 0};
    const char32_t lower = UnicodeLower(u);
    const char32_t base = UnicodeBaseLetter(u);
    // Latin a-z come first so that ASCII keeps the single-byte order; other letters follow by code
    // point, which is alphabetical order for Greek and Cyrillic.
    const std::uint32_t primary =
        kLetterWeight + (base >= 'a' && base <= 'z' ? base - 'a' : 26 + static_cast<std::uint32_t>(base));
    const std::uint32_t secondary = lower == base ? 0 : static_cast<std::uint32_t>(lower);
    return {primary, secondary, static_cast<std::uint8_t>(lower != u ? 1 : 0)};
}

std::vector<Weight> Weights(std::string_view s)
{
    std::vector<Weight> out;
    out.reserve(s.size());
    for (std::size_t pos = 0; pos < s.size();) {
        char32_t u;
        DecodeUtf8(s, pos, u);
        const Weight w = WeightOf(u);
        if (w.Primary != 0)
            out.push_back(w);
    }
    return out;
}

template <typename T> int Order(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

std::string Utf8UpperCase(std::string_view s)
{
    return MapCase<UnicodeUpper>(s);
}

std::string Utf8LowerCase(std::string_view s)
{
    return MapCase<UnicodeLower>(s);
}

int Utf8Collate(std::string_view a, std::string_view b, bool withCase)
{
    const std::vector<Weight> wa = Weights(a);
    const std::vector<Weight> wb = Weights(b);
    const std::size_t n = std::min(wa.size(), wb.size());
    for (std::size_t i = 0; i < n; ++i)
        if (int o = Order(wa[i].Primary, wb[i].Primary))
            return o;
    if (int o = Order(wa.size(), wb.size()))
        return o;
    for (std::size_t i = 0; i < n; ++i)
        if (int o = Order(wa[i].Secondary, wb[i].Secondary))
            return o;
    if (withCase) {
        for (std::size_t i = 0; i < n; ++i)
            if (int o = Order(wa[i].Tertiary, wb[i].Tertiary))
                return o;
        return Order(std::string_view(a), std::string_view(b));
    }
    return Order(Utf8UpperCase(a), Utf8UpperCase(b));
}

} // namespace vmado::internal
