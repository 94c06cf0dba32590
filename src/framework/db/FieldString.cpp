// TStringField: text of at most Size characters, native as a zero-terminated string with room for
// Size characters of the code page. Conversions to numbers and dates read the text with the
// locale's rules.
#include "framework/db/Fields.h"

#include "framework/db/internal/DbMessages.h"
#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

#include <cstring>

namespace vmado {

TStringField::TStringField(TComponent* owner) : TField(owner)
{
    SetDataType(ftString);
    SetSizeValue(20);
}

Integer TStringField::DataSize() const
{
    return Size() * AnsiMaxCharSize() + 1;
}

void TStringField::CheckTypeSize(Integer value) const
{
    if (value < 0)
        DatabaseError(dbmsg::InvalidFieldSize);
}

void TStringField::SetFieldType(TFieldType value)
{
    if (value == ftString || value == ftFixedChar || value == ftWideString || value == ftGuid) {
        SetDataType(value);
        fixedChar_ = value == ftFixedChar;
    }
}

void TStringField::SetFixedChar(bool value)
{
    if (value == fixedChar_)
        return;
    fixedChar_ = value;
    if (DataType() == ftString || DataType() == ftFixedChar)
        SetDataType(value ? ftFixedChar : ftString);
}

bool TStringField::GetValue(AnsiString& value)
{
    std::string_view text;
    bool isNull = false;
    if (PeekDataText(text, isNull)) {
        if (isNull)
            return false;
        value.assign(text);
        return true;
    }
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    if (!GetData(buffer.data()))
        return false;
    // Never read past the field's size, even from a buffer whose terminator went missing.
    value.assign(buffer.chars(), strnlen(buffer.chars(), static_cast<std::size_t>(DataSize() - 1)));
    return true;
}

AnsiString TStringField::GetAsString()
{
    AnsiString value;
    GetValue(value);
    return value;
}

Integer TStringField::GetAsInteger()
{
    return StrToInt(GetAsString());
}

Int64 TStringField::GetAsLargeInt()
{
    return StrToInt64(GetAsString());
}

double TStringField::GetAsFloat()
{
    return StrToFloat(GetAsString());
}

bool TStringField::GetAsBoolean()
{
    const AnsiString s = GetAsString();
    return !s.empty() && (s[0] == 'T' || s[0] == 't' || s[0] == 'Y' || s[0] == 'y');
}

TDateTime TStringField::GetAsDateTime()
{
    return StrToDateTime(GetAsString());
}

Variant TStringField::GetAsVariant()
{
    AnsiString value;
    if (!GetValue(value))
        return Variant::Null();
    return Variant(std::move(value));
}

void TStringField::SetAsString(const AnsiString& value)
{
    if (static_cast<Integer>(value.size()) > Size()) {
        const Integer length = AnsiCharCount(value);
        if (length > Size())
            DatabaseError(Format(dbmsg::StringTooLong, {DisplayName(), length, Size()}));
    }
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    // Bytes after an embedded zero are not part of a zero-terminated value.
    std::memcpy(buffer.data(), value.data(), value.size());
    SetData(buffer.data());
}

void TStringField::SetAsInteger(Integer value)
{
    SetAsString(IntToStr(value));
}

void TStringField::SetAsLargeInt(Int64 value)
{
    SetAsString(IntToStr(value));
}

void TStringField::SetAsFloat(double value)
{
    SetAsString(FloatToStr(value));
}

void TStringField::SetAsBoolean(bool value)
{
    SetAsString(value ? "T" : "F");
}

void TStringField::SetAsDateTime(TDateTime value)
{
    SetAsString(DateTimeToStr(value));
}

void TStringField::SetVarValue(const Variant& value)
{
    SetAsString(value.AsString());
}

} // namespace vmado
