// Date and time fields. Their values travel as TDateTime; the dataset converts them to the native
// forms (day number, milliseconds since midnight, millisecond count of the time stamp) and back.
#include "framework/db/Fields.h"

#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Locale.h"

namespace vmado {

TDateTimeField::TDateTimeField(TComponent* owner) : TDateTimeField(owner, ftDateTime) {}

TDateTimeField::TDateTimeField(TComponent* owner, TFieldType type) : TField(owner)
{
    SetDataType(type);
}

TDateField::TDateField(TComponent* owner) : TDateTimeField(owner, ftDate) {}

TTimeField::TTimeField(TComponent* owner) : TDateTimeField(owner, ftTime) {}

bool TDateTimeField::GetValue(TDateTime& value)
{
    TFieldNumber peeked;
    bool isNull = false;
    if (PeekDataNumber(peeked, isNull)) {
        if (isNull)
            return false;
        value = peeked.Real;
        return true;
    }
    internal::ScratchBuffer buffer(8);
    if (!GetData(buffer.data(), false))
        return false;
    value = buffer.As<TDateTime>();
    return true;
}

TDateTime TDateTimeField::GetAsDateTime()
{
    TDateTime value = 0;
    GetValue(value);
    return value;
}

double TDateTimeField::GetAsFloat()
{
    return GetAsDateTime();
}

AnsiString TDateTimeField::GetAsString()
{
    AnsiString text;
    GetText(text, false);
    return text;
}

Variant TDateTimeField::GetAsVariant()
{
    TDateTime value = 0;
    return GetValue(value) ? Variant::FromDate(value) : Variant::Null();
}

void TDateTimeField::GetText(AnsiString& text, bool displayText)
{
    TDateTime value = 0;
    if (!GetValue(value)) {
        text.clear();
        return;
    }
    AnsiString format;
    if (displayText && !displayFormat_.empty())
        format = displayFormat_;
    else if (DataType() == ftDate)
        format = FormatSettings().ShortDateFormat;
    else if (DataType() == ftTime)
        format = FormatSettings().LongTimeFormat;
    text = FormatDateTime(format, value);
}

void TDateTimeField::SetAsDateTime(TDateTime value)
{
    internal::ScratchBuffer buffer(8);
    std::memcpy(buffer.data(), &value, sizeof value);
    SetData(buffer.data(), false);
}

void TDateTimeField::SetAsString(const AnsiString& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    switch (DataType()) {
    case ftDate:
        SetAsDateTime(StrToDate(value));
        break;
    case ftTime:
        SetAsDateTime(StrToTime(value));
        break;
    default:
        SetAsDateTime(StrToDateTime(value));
        break;
    }
}

void TDateTimeField::SetVarValue(const Variant& value)
{
    SetAsDateTime(value.AsDateTime());
}

} // namespace vmado
