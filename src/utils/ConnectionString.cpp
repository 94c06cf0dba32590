// Connection-string keys. Reading is a plain case-sensitive search (the first occurrence wins);
// writing goes through the name=value lookup, which ignores case.
#include "utils/ConnectionString.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Strings.h"

namespace vmado {

AnsiString GetADOPart(const AnsiString& CS, const AnsiString& Key)
{
    if (Key.empty())
        return {};
    const std::size_t at = CS.find(Key);
    if (at == AnsiString::npos)
        return {};
    const std::size_t from = at + Key.size() + 1; // the "=" after the key is skipped
    if (from >= CS.size())
        return {};
    const AnsiString rest = CS.substr(from);
    const std::size_t end = rest.find(';');
    // The last part is returned as it stands; only a part followed by ";" is trimmed.
    return end == AnsiString::npos ? rest : Trim(rest.substr(0, end));
}

AnsiString SetADOPart(const AnsiString& CS, const AnsiString& Key, const AnsiString& Value, bool Add)
{
    TStringList parts;
    StrToStrings(Trim(CS), parts, ";");
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
