// Comma-text quoting shared by the string list and the record lines.
#include "framework/classes/internal/CommaText.h"

namespace vmado::internal {

bool NeedsQuotes(std::string_view item, char delimiter, char quote, bool strict)
{
    if (item.empty())
        return true;
    for (char c : item)
        if (ForcesQuotes(c, delimiter, quote, strict))
            return true;
    return false;
}

void AppendQuoted(AnsiString& out, std::string_view item, char quote)
{
    out.reserve(out.size() + item.size() + 2);
    out += quote;
    std::size_t from = 0;
    for (std::size_t q; (q = item.find(quote, from)) != std::string_view::npos; from = q + 1) {
        out.append(item.data() + from, q + 1 - from);
        out += quote;
    }
    out.append(item.data() + from, item.size() - from);
    out += quote;
}

void AppendDelimitedItem(AnsiString& out, std::string_view item, char delimiter, char quote, bool strict)
{
    if (NeedsQuotes(item, delimiter, quote, strict))
        AppendQuoted(out, item, quote);
    else
        out += item;
}

} // namespace vmado::internal
