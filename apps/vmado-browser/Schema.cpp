// Catalogue questions through a connection of their own, closed again before returning, so they
// never disturb a dataset's open or its transactions.
#include "Schema.h"

#include "ado/ADOBase.h"
#include "framework/classes/Strings.h"
#include "framework/rtl/SysUtils.h"

namespace vmado::browser {

namespace {

std::vector<AnsiString> ToVector(const TStrings& list)
{
    std::vector<AnsiString> out;
    for (Integer i = 0; i < list.Count(); ++i)
        out.push_back(list.Strings(i));
    return out;
}

// A relation's placeholder is ":" and identifier characters.
bool IsIdentifier(const AnsiString& name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (const char c : name) {
        const bool ok =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

std::vector<AnsiString> ListTables(const AnsiString& connection)
{
    TVConnection conn(true);
    conn.SetConnect(connection);
    conn.Open();
    TStringList list;
    conn.GetADOTableNames(list);
    conn.Close();
    return ToVector(list);
}

std::vector<AnsiString> ListFields(const AnsiString& connection, const AnsiString& table)
{
    TVConnection conn(true);
    conn.SetConnect(connection);
    conn.Open();
    TStringList list;
    conn.GetADOFieldNames(table, list);
    conn.Close();
    return ToVector(list);
}

AnsiString RelationFor(const std::vector<AnsiString>& masterFields,
                       const std::vector<AnsiString>& detailFields)
{
    auto detailName = [&](const AnsiString& masterName) -> AnsiString {
        if (!IsIdentifier(masterName))
            return {};
        for (const AnsiString& d : detailFields)
            if (SameText(d, masterName))
                return d;
        return {};
    };
    for (const AnsiString& m : masterFields) {
        const AnsiString d = detailName(m);
        if (!d.empty())
            return d + " = :" + m;
    }
    return {};
}

} // namespace vmado::browser
