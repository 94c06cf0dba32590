// One-pass placeholder substitution shared by the table relation and the query parameters.
#include "tables/internal/Substitute.h"

#include "framework/rtl/Exceptions.h"

namespace vmado::tables {

namespace {

bool IsQuote(char c)
{
    return c == '\'' || c == '"' || c == '`';
}

bool IsNameChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' ||
           u >= 0x80;
}

bool IsNameStart(char c)
{
    return IsNameChar(c) && !(c >= '0' && c <= '9');
}

// Index just past the quoted part opening at i; an unterminated one runs to the end.
std::size_t SkipQuoted(const AnsiString& text, std::size_t i)
{
    const char quote = text[i++];
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return text.size();
}

// Calls visit(i) for each "?" outside quotes; copies everything else through copy(from, to).
template <class Copy, class Visit> void ScanMarkers(const AnsiString& text, Copy copy, Visit visit)
{
    std::size_t i = 0;
    std::size_t start = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsQuote(c)) {
            i = SkipQuoted(text, i);
        } else if (c == '?') {
            copy(start, i);
            visit(i);
            start = ++i;
        } else {
            ++i;
        }
    }
    copy(start, text.size());
}

} // namespace

AnsiString SubstituteNames(const AnsiString& text, const std::function<AnsiString(const AnsiString&)>& value)
{
    AnsiString result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsQuote(c)) {
            const std::size_t end = SkipQuoted(text, i);
            result.append(text, i, end - i);
            i = end;
        } else if (c == ':' && i + 1 < text.size() && IsNameStart(text[i + 1])) {
            std::size_t end = i + 1;
            while (end < text.size() && IsNameChar(text[end]))
                ++end;
            result += value(text.substr(i + 1, end - i - 1));
            i = end;
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

Integer CountMarkers(const AnsiString& text)
{
    Integer count = 0;
    ScanMarkers(
        text, [](std::size_t, std::size_t) {}, [&count](std::size_t) { ++count; });
    return count;
}

AnsiString SubstituteMarkers(const AnsiString& text, Integer count,
                             const std::function<AnsiString(Integer)>& value)
{
    const Integer found = CountMarkers(text);
    if (found != count)
        throw EDatabaseError("The statement has " + std::to_string(found) + " parameter marker(s) for " +
                             std::to_string(count) + " parameter(s): " + text);
    AnsiString result;
    result.reserve(text.size() + 16 * static_cast<std::size_t>(count));
    Integer index = 0;
    ScanMarkers(
        text, [&](std::size_t from, std::size_t to) { result.append(text, from, to - from); },
        [&](std::size_t) { result += " " + value(index++) + " "; });
    return result;
}

} // namespace vmado::tables
