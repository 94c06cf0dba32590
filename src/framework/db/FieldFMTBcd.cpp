// TFMTBCDField: an exact decimal of up to 64 digits kept as canonical text, so that values wider
// than a Currency or a double read and write back digit for digit.
#include "framework/db/Fields.h"

#include "framework/db/internal/DbMessages.h"
#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/DecimalText.h"
#include "framework/rtl/FloatRoundTrip.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <charconv>
#include <cstring>
#include <limits>

namespace vmado {

namespace {

AnsiString LocaleText(AnsiString canonical)
{
    const std::size_t dot = canonical.find('.');
    if (dot != AnsiString::npos)
        canonical[dot] = FormatSettings().DecimalSeparator;
    return canonical;
}

} // namespace

TFMTBCDField::TFMTBCDField(TComponent* owner) : TNumericField(owner)
{
    SetDataType(ftFMTBcd);
    SetSizeValue(8);
}

void TFMTBCDField::CheckTypeSize(Integer value) const
{
    if (value < 0 || value > MaxDigits)
        DatabaseError(dbmsg::InvalidFieldSize);
}

void TFMTBCDField::SetPrecision(Integer value)
{
    if (value < 1 || value > MaxDigits)
        DatabaseError("Invalid precision " + IntToStr(value) + " for field '" + DisplayName() + "'");
    precision_ = value;
}

bool TFMTBCDField::GetValue(AnsiString& value)
{
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    if (!GetData(buffer.data()))
        return false;
    value.assign(buffer.chars(), strnlen(buffer.chars(), static_cast<std::size_t>(DataSize())));
    return true;
}

AnsiString TFMTBCDField::GetAsString()
{
    AnsiString value;
    return GetValue(value) ? LocaleText(value) : AnsiString();
}

double TFMTBCDField::GetAsFloat()
{
    AnsiString value;
    if (!GetValue(value))
        return 0;
    double result = 0;
    std::from_chars(value.data(), value.data() + value.size(), result);
    return result;
}

Currency TFMTBCDField::GetAsCurrency()
{
    AnsiString value;
    if (!GetValue(value))
        return Currency{};
    Currency result;
    if (!TryStrToCurr(LocaleText(value), result))
        RangeError(GetAsFloat(), -922337203685477.5807, 922337203685477.5807);
    return result;
}

Int64 TFMTBCDField::GetAsLargeInt()
{
    AnsiString value;
    if (!GetValue(value))
        return 0;
    const AnsiString whole = RoundDecimal(value, 0);
    Int64 result = 0;
    const auto r = std::from_chars(whole.data(), whole.data() + whole.size(), result);
    if (r.ec != std::errc())
        RangeError(GetAsFloat(), static_cast<double>(std::numeric_limits<Int64>::min()),
                   static_cast<double>(std::numeric_limits<Int64>::max()));
    return result;
}

Integer TFMTBCDField::GetAsInteger()
{
    const Int64 value = GetAsLargeInt();
    if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
        RangeError(static_cast<double>(value), std::numeric_limits<Integer>::min(),
                   std::numeric_limits<Integer>::max());
    return static_cast<Integer>(value);
}

Variant TFMTBCDField::GetAsVariant()
{
    AnsiString value;
    return GetValue(value) ? Variant(LocaleText(value)) : Variant::Null();
}

void TFMTBCDField::GetText(AnsiString& text, bool displayText)
{
    AnsiString value;
    if (!GetValue(value)) {
        text.clear();
        return;
    }
    const AnsiString& format = (displayText || EditFormat().empty()) ? DisplayFormat() : EditFormat();
    if (!format.empty())
        text = FormatFloat(format, GetAsFloat());
    else if (currency_)
        text = FloatToStrF(GetAsFloat(), displayText ? ffCurrency : ffFixed, precision_,
                           FormatSettings().CurrencyDecimals);
    else
        text = LocaleText(value);
}

void TFMTBCDField::SetAsString(const AnsiString& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    AnsiString canonical;
    if (!TryDecimalToCanonical(value, canonical))
        DatabaseError(Format(dbmsg::InvalidFloatValue, {value, DisplayName()}));
    canonical = RoundDecimal(canonical, Size());
    const Integer room = precision_ - Size();
    if (DecimalIntegerDigits(canonical) > (room > 0 ? room : 0))
        DatabaseError("Value " + value + " of field '" + DisplayName() + "' has more than " +
                      IntToStr(room > 0 ? room : 0) + " digits before the decimal point");
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    std::memcpy(buffer.data(), canonical.data(), canonical.size());
    SetData(buffer.data());
}

void TFMTBCDField::SetAsLargeInt(Int64 value)
{
    SetAsString(IntToStr(value));
}

void TFMTBCDField::SetAsFloat(double value)
{
    SetAsString(FloatToStrRoundTrip(value));
}

void TFMTBCDField::SetAsCurrency(Currency value)
{
    SetAsString(CurrToStr(value));
}

void TFMTBCDField::SetVarValue(const Variant& value)
{
    switch (value.VarType() & varTypeMask) {
    case varString:
    case varOleStr:
        SetAsString(value.AsString());
        break;
    case varCurrency:
        SetAsCurrency(value.AsCurrency());
        break;
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        SetAsLargeInt(value.AsInt64());
        break;
    default:
        SetAsFloat(value.AsFloat());
        break;
    }
}

} // namespace vmado
