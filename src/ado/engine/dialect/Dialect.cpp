// The dialect rewriter: one pass over the text, copying literals, quoted names and comments as
// they stand and rewriting escapes, date literals, case functions and Boolean comparisons.
#include "ado/engine/dialect/Dialect.h"

#include "ado/engine/internal/IsoDate.h"
#include "ado/engine/internal/Text.h"

#include <algorithm>
#include <cctype>

namespace vmado::engine {

namespace {

bool IsIdentStart(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalpha(u) || c == '_' || u >= 0x80;
}
bool IsIdentChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '$' || u >= 0x80;
}

class Rewriter {
public:
    Rewriter(std::string_view sql, SqlDialect dialect, const std::vector<AnsiString>* booleans,
             bool caseFunctions)
        : s_(sql), dialect_(dialect), booleans_(booleans),
          renameCase_(dialect == SqlDialect::PostgreSQL || (dialect == SqlDialect::SQLite && !caseFunctions))
    {
    }

    AnsiString Run()
    {
        Copy(0, s_.size(), out_);
        return out_;
    }

private:
    // Index just past the literal or quoted name that starts at i (s_[i] is the opening quote).
    std::size_t SkipQuoted(std::size_t i, char close) const
    {
        ++i;
        while (i < s_.size()) {
            if (s_[i] == close) {
                if (i + 1 < s_.size() && s_[i + 1] == close && close != ']') {
                    i += 2;
                    continue;
                }
                return i + 1;
            }
            ++i;
        }
        return s_.size(); // unterminated: the rest is the literal; the database will complain
    }

    // Index of the "}" closing the escape that opens at i, or npos.
    std::size_t MatchBrace(std::size_t i, std::size_t end) const
    {
        int depth = 0;
        while (i < end) {
            const char c = s_[i];
            if (c == '\'' || c == '"') {
                i = SkipQuoted(i, c);
                continue;
            }
            if (c == '{')
                ++depth;
            else if (c == '}' && --depth == 0)
                return i;
            ++i;
        }
        return std::string_view::npos;
    }

    std::string DateLiteral(double value, bool hasTime, const char* kind) const
    {
        const AnsiString text = FormatIsoDateTime(value, hasTime ? adDBTimeStamp : adDBDate);
        if (dialect_ == SqlDialect::PostgreSQL)
            return std::string(hasTime ? "TIMESTAMP '" : "DATE '") + text + "'";
        if (dialect_ == SqlDialect::Generic)
            return std::string(hasTime ? "{ts '" : "{d '") + text + "'}";
        (void)kind;
        return "'" + text + "'";
    }

    // #...#: an ISO date/time (optionally with AM/PM) or a US m/d/yyyy date.
    bool TryHashDate(std::size_t i, std::size_t end, std::size_t& next, std::string& out) const
    {
        const std::size_t close = s_.find('#', i + 1);
        if (close == std::string_view::npos || close >= end || close - i > 40 || close == i + 1)
            return false;
        std::string_view inner = s_.substr(i + 1, close - i - 1);
        if (inner.find('\n') != std::string_view::npos)
            return false;
        double value = 0;
        if (!ParseIsoDateTime(inner, value)) {
            // m/d/yyyy [time]
            int m = 0, d = 0, y = 0;
            std::size_t p = 0;
            auto number = [&](int& v) {
                std::size_t start = p;
                while (p < inner.size() && std::isdigit(static_cast<unsigned char>(inner[p])))
                    v = v * 10 + (inner[p++] - '0');
                return p > start && p - start <= 4;
            };
            if (!number(m) || p >= inner.size() || inner[p++] != '/' || !number(d) || p >= inner.size() ||
                inner[p++] != '/')
                return false;
            const std::size_t yearStart = p;
            if (!number(y))
                return false;
            if (p - yearStart <= 2)
                y += y < 30 ? 2000 : 1900; // ADO's fixed window, not one that moves with today
            if (!DateFromParts(y, m, d, value))
                return false;
            std::string_view rest = inner.substr(p);
            if (!Trim(rest).empty()) {
                double time = 0;
                if (!ParseIsoDateTime(Trim(rest), time) || time >= 1)
                    return false;
                value += time;
            }
        }
        out = DateLiteral(value, value != static_cast<double>(static_cast<long long>(value)), "");
        next = close + 1;
        return true;
    }

    // {d '...'}, {t '...'}, {ts '...'}, {fn ...}, {oj ...}, {escape '...'}; others stay as written.
    bool TryEscape(std::size_t i, std::size_t end, std::size_t& next, std::string& out)
    {
        const std::size_t close = MatchBrace(i, end);
        if (close == std::string_view::npos)
            return false;
        std::size_t p = i + 1;
        while (p < close && s_[p] == ' ')
            ++p;
        std::size_t wordEnd = p;
        while (wordEnd < close && std::isalpha(static_cast<unsigned char>(s_[wordEnd])))
            ++wordEnd;
        const AnsiString word = LowerAscii(s_.substr(p, wordEnd - p));
        std::size_t body = wordEnd;
        while (body < close && s_[body] == ' ')
            ++body;
        if (word == "d" || word == "t" || word == "ts") {
            if (body >= close || s_[body] != '\'')
                return false;
            const std::size_t litEnd = SkipQuoted(body, '\'');
            const std::string_view literal = s_.substr(body, litEnd - body);
            double value = 0;
            if (dialect_ != SqlDialect::Generic && literal.size() >= 2 && literal.back() == '\'' &&
                ParseIsoDateTime(literal.substr(1, literal.size() - 2), value)) {
                // The text is read, not passed on: a 12-hour time or a date escape with a time of
                // day would otherwise be cut to the date (PostgreSQL) or compared as text (SQLite).
                const bool hasTime = value != static_cast<double>(static_cast<long long>(value));
                if (word == "t")
                    out = (dialect_ == SqlDialect::PostgreSQL ? "TIME '" : "'") +
                          FormatIsoDateTime(value, adDBTime) + "'";
                else
                    out = DateLiteral(value, word == "ts" || hasTime, "");
                next = close + 1;
                return true;
            }
            if (dialect_ == SqlDialect::Generic) {
                out.assign(s_.substr(i, close + 1 - i));
            } else if (dialect_ == SqlDialect::PostgreSQL) {
                out = (word == "d" ? "DATE " : word == "t" ? "TIME " : "TIMESTAMP ") + std::string(literal);
            } else {
                out.assign(literal);
            }
            next = close + 1;
            return true;
        }
        if (dialect_ == SqlDialect::Generic)
            return false; // the driver manager and driver understand the escapes
        if (word == "fn" || word == "oj") {
            out.clear();
            Copy(body, close, out);
            next = close + 1;
            return true;
        }
        if (word == "escape") {
            out = "ESCAPE ";
            Copy(body, close, out);
            next = close + 1;
            return true;
        }
        return false;
    }

    // A Boolean column compared with -1 or 0 just after an identifier ending at i.
    void TryBooleanComparison(std::string_view name, std::size_t& i, std::size_t end, std::string& out)
    {
        if (!booleans_ || dialect_ == SqlDialect::Generic)
            return;
        std::size_t p = i;
        while (p < end && s_[p] == ' ')
            ++p;
        std::size_t opEnd = p;
        if (p < end && s_[p] == '=')
            opEnd = p + 1;
        else if (p + 1 < end && ((s_[p] == '<' && s_[p + 1] == '>') || (s_[p] == '!' && s_[p + 1] == '=')))
            opEnd = p + 2;
        else
            return;
        std::size_t v = opEnd;
        while (v < end && s_[v] == ' ')
            ++v;
        bool minusOne = false;
        std::size_t vEnd = v;
        if (v + 1 < end + 1 && v < end && s_[v] == '-' && v + 1 < end && s_[v + 1] == '1') {
            minusOne = true;
            vEnd = v + 2;
        } else if (v < end && s_[v] == '0') {
            vEnd = v + 1;
        } else {
            return;
        }
        if (vEnd < end && (IsIdentChar(s_[vEnd]) || s_[vEnd] == '.'))
            return;
        if (std::find(booleans_->begin(), booleans_->end(), LowerAscii(name)) == booleans_->end())
            return;
        out.append(s_.substr(i, v - i));
        if (dialect_ == SqlDialect::PostgreSQL)
            out += minusOne ? "TRUE" : "FALSE";
        else
            out += minusOne ? "1" : "0";
        i = vEnd;
    }

    void Copy(std::size_t i, std::size_t end, std::string& out)
    {
        while (i < end) {
            const char c = s_[i];
            if (c == '\'' || c == '"' || c == '`') {
                const std::size_t e = std::min(SkipQuoted(i, c), end);
                out.append(s_.substr(i, e - i));
                if (c == '"' && e - i >= 2) {
                    const std::string_view name = s_.substr(i + 1, e - i - 2);
                    i = e;
                    TryBooleanComparison(name, i, end, out);
                    continue;
                }
                i = e;
                continue;
            }
            if (c == '-' && i + 1 < end && s_[i + 1] == '-') {
                std::size_t e = s_.find('\n', i);
                e = e == std::string_view::npos ? end : std::min(e, end);
                out.append(s_.substr(i, e - i));
                i = e;
                continue;
            }
            if (c == '/' && i + 1 < end && s_[i + 1] == '*') {
                std::size_t e = s_.find("*/", i + 2);
                e = e == std::string_view::npos ? end : std::min(e + 2, end);
                out.append(s_.substr(i, e - i));
                i = e;
                continue;
            }
            if (c == '[') {
                const std::size_t e = std::min(SkipQuoted(i, ']'), end);
                const std::string_view name = s_.substr(i + 1, e > i + 1 ? e - i - 2 : 0);
                if (dialect_ == SqlDialect::PostgreSQL) {
                    out += '"';
                    for (char ch : name) {
                        if (ch == '"')
                            out += '"';
                        out += ch;
                    }
                    out += '"';
                } else {
                    out.append(s_.substr(i, e - i));
                }
                i = e;
                TryBooleanComparison(name, i, end, out);
                continue;
            }
            if (c == '{') {
                std::size_t next = 0;
                std::string piece;
                if (TryEscape(i, end, next, piece)) {
                    out += piece;
                    i = next;
                    continue;
                }
            }
            if (c == '#') {
                std::size_t next = 0;
                std::string piece;
                if (TryHashDate(i, end, next, piece)) {
                    out += piece;
                    i = next;
                    continue;
                }
            }
            if (IsIdentStart(c) && (i == 0 || !IsIdentChar(s_[i - 1]))) {
                std::size_t e = i;
                while (e < end && IsIdentChar(s_[e]))
                    ++e;
                const std::string_view word = s_.substr(i, e - i);
                std::size_t p = e;
                while (p < end && s_[p] == ' ')
                    ++p;
                const bool call = p < end && s_[p] == '(';
                if (call && renameCase_ && EqualsIgnoreCase(word, "UCASE"))
                    out += "UPPER";
                else if (call && renameCase_ && EqualsIgnoreCase(word, "LCASE"))
                    out += "LOWER";
                else
                    out.append(word);
                i = e;
                if (!call)
                    TryBooleanComparison(word, i, end, out);
                continue;
            }
            out += c;
            ++i;
        }
    }

    std::string_view s_;
    SqlDialect dialect_;
    const std::vector<AnsiString>* booleans_;
    bool renameCase_;
    std::string out_;
};

} // namespace

AnsiString RewriteSql(std::string_view sql, SqlDialect dialect, const std::vector<AnsiString>* booleanColumns,
                      bool caseFunctions)
{
    return Rewriter(sql, dialect, booleanColumns, caseFunctions).Run();
}

bool MentionsBooleanLiteral(std::string_view sql)
{
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] != '=' && sql[i] != '>')
            continue;
        std::size_t p = i + 1;
        while (p < sql.size() && sql[p] == ' ')
            ++p;
        if (p < sql.size() && (sql[p] == '0' || (sql[p] == '-' && p + 1 < sql.size() && sql[p + 1] == '1')))
            return true;
    }
    return false;
}

} // namespace vmado::engine
