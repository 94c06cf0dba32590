// UTF-8 decoding that keeps malformed bytes, and look-ups in the generated Unicode tables.
#include "framework/rtl/internal/Unicode.h"

#include <algorithm>

namespace vmado::internal {

bool DecodeUtf8(std::string_view s, std::size_t& pos, char32_t& out)
{
    const std::size_t start = pos;
    const auto lead = static_cast<unsigned char>(s[pos++]);
    if (lead < 0x80) {
        out = lead;
        return true;
    }
    int extra = 0;
    char32_t u = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, u = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, u = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, u = lead & 0x07, min = 0x10000;
    }
    bool ok = extra > 0;
    for (int i = 0; ok && i < extra; ++i) {
        if (pos >= s.size() || (static_cast<unsigned char>(s[pos]) & 0xC0) != 0x80) {
            ok = false;
            break;
        }
        u = (u << 6) | (static_cast<unsigned char>(s[pos]) & 0x3F);
        ++pos;
    }
    if (ok && u >= min && u <= 0x10FFFF && !(u >= 0xD800 && u <= 0xDFFF)) {
        out = u;
        return true;
    }
    pos = start + 1;
    out = kEscapeBase + lead;
    return false;
}

void AppendUtf8(std::string& out, char32_t u)
{
    if (IsEscapedByte(u)) {
        out += static_cast<char>(u - kEscapeBase);
        return;
    }
    if ((u >= 0xD800 && u <= 0xDFFF) || u > 0x10FFFF)
        u = 0xFFFD;
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

namespace {

char32_t MapCase(const CaseRun* runs, std::size_t count, char32_t u)
{
    const CaseRun* end = runs + count;
    const CaseRun* it =
        std::upper_bound(runs, end, u, [](char32_t v, const CaseRun& r) { return v < r.First; });
    if (it == runs)
        return u;
    --it;
    if (u > it->Last || (u - it->First) % it->Step != 0)
        return u;
    return static_cast<char32_t>(static_cast<std::int64_t>(u) + it->Delta);
}

} // namespace

char32_t UnicodeUpper(char32_t u)
{
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') ? u - 32 : u;
    return MapCase(kToUpper, kToUpperCount, u);
}

char32_t UnicodeLower(char32_t u)
{
    if (u < 0x80)
        return (u >= 'A' && u <= 'Z') ? u + 32 : u;
    return MapCase(kToLower, kToLowerCount, u);
}

bool IsUnicodeLetter(char32_t u)
{
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    const CodeRange* end = kLetters + kLettersCount;
    const CodeRange* it =
        std::upper_bound(kLetters, end, u, [](char32_t v, const CodeRange& r) { return v < r.First; });
    return it != kLetters && u <= (it - 1)->Last;
}

char32_t UnicodeBaseLetter(char32_t u)
{
    const BaseLetter* end = kBaseLetters + kBaseLettersCount;
    const BaseLetter* it =
        std::lower_bound(kBaseLetters, end, u, [](const BaseLetter& b, char32_t v) { return b.Letter < v; });
    if (it != end && it->Letter == u)
        return it->Base;
    return UnicodeLower(u);
}

} // namespace vmado::internal
