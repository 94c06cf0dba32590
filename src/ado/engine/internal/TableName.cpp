// Table names written into generated SELECTs: quoted part by part, inner quotes doubled.
#include "ado/engine/internal/TableName.h"

#include <cctype>

namespace vmado::engine {

bool LooksLikeTableName(std::string_view s)
{
    if (s.empty())
        return false;
    if ((s.front() == '[' && s.back() == ']') || (s.front() == '"' && s.back() == '"'))
        return true;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (!(std::isalnum(u) || c == '_' || c == '.' || c == '$' || u >= 0x80))
            return false;
    }
    return true;
}

AnsiString QuoteTableName(std::string_view name)
{
    if (name.front() == '"' || name.front() == '[')
        return AnsiString(name);
    // schema.table stays two identifiers
    AnsiString out;
    std::size_t start = 0;
    for (;;) {
        std::size_t dot = name.find('.', start);
        std::string_view part = name.substr(start, dot == std::string_view::npos ? name.npos : dot - start);
        out += '"';
        for (char c : part) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
        if (dot == std::string_view::npos)
            break;
        out += '.';
        start = dot + 1;
    }
    return out;
}

} // namespace vmado::engine
