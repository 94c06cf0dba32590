// The SQL literal formatter: every value reaches SQL text as a complete literal of its type, or
// not at all (binary data, a value that does not convert), so a value can never change the
// statement around it.
#include "tables/SqlLiteral.h"

#include "framework/db/Fields.h"
#include "framework/db/Params.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/DecimalText.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/FloatRoundTrip.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"
#include "utils/Conversions.h"

#include <cmath>
#include <cstdlib>

namespace vmado {

namespace {

enum class Kind { Text, Boolean, Date, Time, Integer, Decimal, Binary, ByValue };

Kind KindOf(TFieldType type)
{
    switch (type) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftGuid:
        return Kind::Text;
    case ftBoolean:
        return Kind::Boolean;
    case ftDate:
    case ftDateTime:
    case ftTimeStamp:
        return Kind::Date;
    case ftTime:
        return Kind::Time;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftAutoInc:
    case ftLargeint:
        return Kind::Integer;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd:
        return Kind::Decimal;
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
        return Kind::Binary;
    default:
        return Kind::ByValue;
    }
}

Kind KindOfValue(const Variant& value)
{
    switch (value.VarType()) {
    case varBoolean:
        return Kind::Boolean;
    case varDate:
        return Kind::Date;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        return Kind::Integer;
    case varSingle:
    case varDouble:
    case varCurrency:
        return Kind::Decimal;
    case varString:
    case varOleStr:
        return Kind::Text;
    default:
        return value.IsArray() ? Kind::Binary : Kind::ByValue;
    }
}

[[noreturn]] void Refuse(const AnsiString& what, const AnsiString& reason)
{
    throw EDatabaseError((what.empty() ? AnsiString("A value") : what) +
                         " cannot be written into SQL text: " + reason);
}

AnsiString TwoDigits(Word value)
{
    return AnsiString(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

// hh:nn:ss AM/PM, milliseconds only when there are some: the time part of the standard date text,
// readable by every backend whatever the locale's time format.
AnsiString StdTime(TDateTime value)
{
    Word hour, minute, second, msec;
    DecodeTime(value, hour, minute, second, msec);
    const Word hour12 = hour % 12 == 0 ? 12 : hour % 12;
    AnsiString text = TwoDigits(hour12) + ":" + TwoDigits(minute) + ":" + TwoDigits(second);
    if (msec != 0) {
        text += "." + TwoDigits(msec / 10);
        text += static_cast<char>('0' + msec % 10);
    }
    return text + (hour < 12 ? " AM" : " PM");
}

AnsiString CurrencyText(Currency value)
{
    const bool negative = value.Raw < 0;
    // Through unsigned arithmetic so the most negative amount has a magnitude too.
    const unsigned long long magnitude = negative ? 0ULL - static_cast<unsigned long long>(value.Raw)
                                                  : static_cast<unsigned long long>(value.Raw);
    AnsiString text = std::to_string(magnitude / 10000);
    AnsiString fraction = std::to_string(magnitude % 10000 + 10000).substr(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (!fraction.empty())
        text += "." + fraction;
    return negative ? "-" + text : text;
}

AnsiString FloatText(double value, const AnsiString& what)
{
    if (!std::isfinite(value))
        Refuse(what, "the number " + FloatToStr(value) + " is not finite");
    AnsiString text = FloatToStrRoundTrip(value);
    const char separator = FormatSettings().DecimalSeparator;
    if (separator != '.')
        for (char& c : text)
            if (c == separator)
                c = '.';
    return text;
}

AnsiString NumberText(const Variant& value, Kind kind, const AnsiString& what)
{
    switch (value.VarType()) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        return std::to_string(value.AsInt64());
    case varBoolean:
        return value.AsBoolean() ? "-1" : "0";
    case varCurrency:
        return CurrencyText(value.AsCurrency());
    case varSingle:
    case varDouble:
    case varDate:
        if (kind == Kind::Integer) {
            const double d = value.AsFloat();
            if (std::trunc(d) == d && std::fabs(d) < 9.2e18)
                return std::to_string(static_cast<long long>(d));
        }
        return FloatText(value.AsFloat(), what);
    default:
        break;
    }
    // Text: an exact decimal keeps every digit it has.
    const AnsiString text = VarToStr(value);
    AnsiString canonical;
    if (!TryDecimalToCanonical(text, canonical))
        Refuse(what, "'" + text + "' is not a number");
    if (kind == Kind::Integer && canonical.find('.') != AnsiString::npos)
        Refuse(what, "'" + text + "' is not a whole number");
    return canonical;
}

TDateTime DateValue(const Variant& value, const AnsiString& what)
{
    try {
        return VarAsType(value, varDate).AsFloat();
    } catch (const Exception& e) {
        Refuse(what, "'" + VarToStr(value) + "' is not a date or time (" + e.what() + ")");
    }
}

} // namespace

AnsiString SqlLiteral(TFieldType dataType, const Variant& value, const AnsiString& what)
{
    if (value.IsNull() || value.IsEmpty())
        return "NULL";
    Kind kind = KindOf(dataType);
    if (kind == Kind::ByValue)
        kind = KindOfValue(value);
    switch (kind) {
    case Kind::Text:
        if (value.IsArray())
            Refuse(what, "binary data has no text form");
        return QuotedStr(VarToStr(value));
    case Kind::Boolean:
        try {
            return value.AsBoolean() ? "-1" : "0";
        } catch (const Exception& e) {
            Refuse(what, "'" + VarToStr(value) + "' is not a Boolean (" + e.what() + ")");
        }
    case Kind::Date:
        return "{d '" + DateToStd(DateValue(value, what)) + "' }";
    case Kind::Time:
        return "{t '" + StdTime(DateValue(value, what)) + "' }";
    case Kind::Integer:
    case Kind::Decimal:
        return NumberText(value, kind, what);
    case Kind::Binary:
        Refuse(what, "binary values (" + FieldTypeName(dataType) + ") are not written as literals");
    case Kind::ByValue:
        break;
    }
    Refuse(what, "a value of type " + VarTypeName(value.VarType()) + " has no SQL literal");
}

AnsiString SqlLiteral(TField* field)
{
    return SqlLiteral(field->DataType(), field->AsVariant(), "Field '" + field->FieldName() + "'");
}

AnsiString SqlLiteral(const TParam* param)
{
    return SqlLiteral(param->DataType(), param->Value(), "Parameter '" + param->Name() + "'");
}

} // namespace vmado
