// TGuidField: a GUID held as its braced text. Only text of a GUID's shape is taken, so a value
// the database would refuse is caught where it is typed.
#include "framework/db/Fields.h"

#include "framework/db/internal/DbMessages.h"

namespace vmado {

namespace {

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx, with or without the braces around it.
bool IsGuidText(const AnsiString& text)
{
    std::string_view t = text;
    if (t.size() == 38 && t.front() == '{' && t.back() == '}')
        t = t.substr(1, 36);
    if (t.size() != 36)
        return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? t[i] != '-' : !IsHex(t[i]))
            return false;
    }
    return true;
}

} // namespace

TGuidField::TGuidField(TComponent* owner) : TStringField(owner)
{
    SetFieldType(ftGuid);
    SetSizeValue(GuidSize);
}

void TGuidField::CheckTypeSize(Integer value) const
{
    if (value != GuidSize)
        DatabaseError(dbmsg::InvalidFieldSize);
}

void TGuidField::SetAsString(const AnsiString& value)
{
    if (!value.empty() && !IsGuidText(value))
        DatabaseError("'" + value + "' is not a valid GUID value for field '" + DisplayName() + "'");
    TStringField::SetAsString(value);
}

} // namespace vmado
