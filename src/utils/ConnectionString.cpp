// Connection-string keys. Reading is a plain case-sensitive search (the first occurrence outside
// quoted values wins); writing goes through the name=value lookup, which ignores case. A quoted
// value is never split, trimmed or searched.
#include "utils/ConnectionString.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Strings.h"

namespace vmado {

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// The ranges [first, second) of CS that quoted values take, quotes included, in order.
std::vector<std::pair<std::size_t, std::size_t>> QuotedValues(std::string_view cs)
{
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    const std::size_t n = cs.size();
    std::size_t i = 0;
    while (i < n) {
        while (i < n && cs[i] != '=' && cs[i] != ';')
            ++i;
        if (i < n && cs[i] == '=') {
            ++i;
            while (i < n && IsBlank(cs[i]))
                ++i;
            if (i < n && (cs[i] == '"' || cs[i] == '\'')) {
                const char quote = cs[i];
                const std::size_t start = i++;
                while (i < n) {
                    if (cs[i] == quote) {
                        if (i + 1 < n && cs[i + 1] == quote) {
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    ++i;
                }
                ranges.emplace_back(start, i);
            }
            while (i < n && cs[i] != ';')
                ++i;
        }
        if (i < n)
            ++i; // the ";"
    }
    return ranges;
}

// The first ";" at or after from that is outside every quoted value.
std::size_t NextSeparator(std::string_view cs, std::size_t from,
                          const std::vector<std::pair<std::size_t, std::size_t>>& quoted)
{
    for (std::size_t i = from; i < cs.size(); ++i) {
        for (const auto& [start, end] : quoted)
            if (i >= start && i < end)
                i = end;
        if (i < cs.size() && cs[i] == ';')
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::vector<AnsiString> SplitADOParts(std::string_view CS)
{
    std::vector<AnsiString> parts;
    const auto quoted = QuotedValues(CS);
    std::size_t start = 0;
    while (start < CS.size()) {
        const std::size_t semi = NextSeparator(CS, start, quoted);
        const std::size_t end = semi == std::string_view::npos ? CS.size() : semi;
        parts.push_back(Trim(AnsiString(CS.substr(start, end - start))));
        if (semi == std::string_view::npos)
            break;
        start = semi + 1;
    }
    return parts;
}

AnsiString GetADOPart(const AnsiString& CS, const AnsiString& Key)
{
    if (Key.empty())
        return {};
    const auto quoted = QuotedValues(CS);
    const auto inQuotes = [&](std::size_t at) {
        for (const auto& [start, end] : quoted)
            if (at >= start && at < end)
                return true;
        return false;
    };
    std::size_t at = CS.find(Key);
    while (at != AnsiString::npos && inQuotes(at))
        at = CS.find(Key, at + 1);
    if (at == AnsiString::npos)
        return {};
    const std::size_t from = at + Key.size() + 1; // the "=" after the key is skipped
    if (from >= CS.size())
        return {};
    const std::size_t end = NextSeparator(CS, from, quoted);
    // The last part is returned as it stands; only a part followed by ";" is trimmed.
    return end == AnsiString::npos ? CS.substr(from) : Trim(CS.substr(from, end - from));
}

AnsiString SetADOPart(const AnsiString& CS, const AnsiString& Key, const AnsiString& Value, bool Add)
{
    TStringList parts;
    for (AnsiString& part : SplitADOParts(Trim(CS)))
        parts.Add(part);
    const AnsiString part = Key + "=" + Trim(Value);
    const Integer index = parts.IndexOfName(Key);
    if (index >= 0)
        parts.Put(index, part);
    else if (Add)
        parts.Add(part);
    AnsiString result = StringsToStr(parts, ";", false);
    if (!result.empty() && result[0] == ';')
        result.erase(0, 1);
    return result;
}

} // namespace vmado
