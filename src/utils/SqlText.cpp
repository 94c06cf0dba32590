// Keyword search in SQL text: the first occurrence of a keyword in the upper-cased text counts,
// wherever it stands. Results are cleaned onto one line; nothing here raises.
#include "utils/SqlText.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Strings.h"

namespace vmado {

namespace {

const std::vector<AnsiString>& ClauseKeywordsAfterWhere()
{
    static const std::vector<AnsiString> words = {"GROUP BY", "HAVING", "ORDER BY", "COMPUTE", "FOR BROWSE"};
    return words;
}

// Line breaks become blanks rather than vanishing: deleting them would glue the words on either
// side together ("A = B" + line break + "AND C" must not become "A = BAND C").
AnsiString CleanClause(const AnsiString& S)
{
    return CleanText(S);
}

// The text of SQL after Keyword and the one character that follows it; npos when absent.
std::size_t AfterKeyword(const AnsiString& SQL, const char* keyword)
{
    const std::size_t at = AnsiUpperCase(SQL).find(keyword);
    if (at == AnsiString::npos)
        return at;
    return at + std::char_traits<char>::length(keyword) + 1;
}

AnsiString Tail(const AnsiString& S, std::size_t from)
{
    return from < S.size() ? S.substr(from) : AnsiString();
}

AnsiString QuoteValue(const AnsiString& value)
{
    AnsiString result = "'";
    for (char ch : value) {
        result += ch;
        if (ch == '\'')
            result += '\''; // a quote inside the value must not end the literal
    }
    return result + "'";
}

} // namespace

AnsiString ClearTableName(const AnsiString& S)
{
    const std::size_t at = S.find("dbo.");
    return at == AnsiString::npos ? S : S.substr(at + 4);
}

AnsiString ExtractTable(const AnsiString& S, const AnsiString& Sep)
{
    const AnsiString T = ClearTableName(S);
    if (!T.empty() && T[0] == '"') {
        const std::size_t close = T.find('"', 1);
        return close == AnsiString::npos ? AnsiString() : T.substr(1, close - 1);
    }
    const std::size_t at = Sep.empty() ? AnsiString::npos : T.find(Sep);
    return at == AnsiString::npos ? T : T.substr(0, at);
}

AnsiString ExtractField(const AnsiString& S, const AnsiString& Sep)
{
    const AnsiString T = ClearTableName(S);
    if (Sep.empty())
        return T;
    if (!T.empty() && T[0] == '"') {
        const std::size_t close = T.find('"', 1);
        const AnsiString rest = close == AnsiString::npos ? AnsiString() : T.substr(close + 1);
        const std::size_t at = rest.find(Sep);
        return at == AnsiString::npos ? T : rest.substr(at + Sep.size());
    }
    const std::size_t at = T.find(Sep);
    return at == AnsiString::npos ? T : T.substr(at + Sep.size());
}

AnsiString CreateINCondition(const AnsiString& Field, const AnsiString& Values, bool Quoted)
{
    // "," and ";" separate values; blanks separate them too, but a blank next to a separator is
    // only spacing ("1, 2" is two values, not three with an empty middle one).
    std::vector<AnsiString> items;
    AnsiString current;
    bool pendingBlank = false; // a blank seen since the last value character
    bool empty = true;         // nothing but blanks since the last separator
    auto endItem = [&] {
        items.push_back(current);
        current.clear();
        pendingBlank = false;
        empty = true;
    };
    for (char ch : Values) {
        if (ch == ',' || ch == ';') {
            endItem();
        } else if (ch == ' ') {
            pendingBlank = true;
        } else {
            if (pendingBlank && !empty)
                endItem();
            current += ch;
            pendingBlank = false;
            empty = false;
        }
    }
    if (!empty)
        endItem();

    AnsiString list;
    for (const AnsiString& item : items) {
        // Without quotes an empty item is no value at all and would leave "1, , 2".
        if (!Quoted && item.empty())
            continue;
        if (!list.empty())
            list += ", ";
        list += Quoted ? QuoteValue(item) : item;
    }
    // No value can be in an empty list; "IN ()" is not valid SQL, so say so plainly.
    if (list.empty())
        return "1 = 0";
    return Field + " IN (" + list + ")";
}

AnsiString ExtractWhere(const AnsiString& SQL)
{
    const std::size_t from = AfterKeyword(SQL, "WHERE");
    if (from == AnsiString::npos)
        return {};
    return CleanClause(ExtractText(Tail(SQL, from), ClauseKeywordsAfterWhere()));
}

AnsiString ExtractTableName(const AnsiString& SQL, bool FirstOnly)
{
    const std::size_t from = AfterKeyword(SQL, "FROM");
    if (from == AnsiString::npos)
        return {};
    std::vector<AnsiString> stops;
    if (FirstOnly)
        stops.push_back(",");
    stops.push_back("WHERE");
    for (const AnsiString& word : ClauseKeywordsAfterWhere())
        stops.push_back(word);
    return CleanClause(ExtractText(Tail(SQL, from), stops));
}

void ExtractFieldList(const AnsiString& SQL, TStrings& List)
{
    const std::size_t from = AfterKeyword(SQL, "SELECT");
    if (from == AnsiString::npos)
        return;
    AnsiString fields = Tail(SQL, from);
    const std::size_t fromClause = AnsiUpperCase(fields).find("FROM");
    fields = fromClause == AnsiString::npos ? AnsiString() : fields.substr(0, fromClause);
    for (std::size_t at = fields.find("\"\r\n"); at != AnsiString::npos; at = fields.find("\"\r\n", at))
        fields.erase(at, 3);

    List.Clear();
    if (Trim(fields) == "*")
        return;
    List.SetCommaText(fields);

    // Alias -> table. A table named without an alias is its own alias; "T AS a" and "T a" both
    // give a=T.
    TStringList tables;
    StrToStrings(ExtractTableName(SQL, false), tables, ",");
    for (Integer i = 0; i < tables.Count(); ++i) {
        const AnsiString entry = tables[i];
        const std::size_t blank = entry.find(' ');
        const AnsiString table = entry.substr(0, blank);
        AnsiString alias = blank == AnsiString::npos ? table : entry.substr(blank + 1);
        if (AnsiUpperCase(alias).starts_with("AS "))
            alias.erase(0, 3);
        alias = alias.substr(0, alias.find(' '));
        tables.Put(i, alias + "=" + table);
    }
    if (tables.Count() == 0)
        return; // no table to qualify the fields with

    for (Integer i = 0; i < List.Count(); ++i) {
        const AnsiString field = List[i];
        const std::size_t dot = field.find('.');
        if (dot != AnsiString::npos) {
            const Integer index = tables.IndexOfName(field.substr(0, dot));
            if (index < 0)
                continue;
            const AnsiString name = field.substr(dot + 1);
            List.Put(i, name + "=" + tables.ValueFromIndex(index) + "." + name);
        } else {
            List.Put(i, field + "=" + tables.ValueFromIndex(0) + "." + field);
        }
    }
}

} // namespace vmado
