// Floating and money fields: TFloatField and TCurrencyField keep a double; TBCDField serves an
// exact Currency, kept natively as a double rounded to its Size decimals.
#include "framework/db/Fields.h"

#include "framework/db/internal/DbMessages.h"
#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <cmath>
#include <limits>

namespace vmado {

// ---- TFloatField -------------------------------------------------------------------------------

TFloatField::TFloatField(TComponent* owner) : TFloatField(owner, ftFloat) {}

TFloatField::TFloatField(TComponent* owner, TFieldType type) : TNumericField(owner)
{
    SetDataType(type);
}

TCurrencyField::TCurrencyField(TComponent* owner) : TFloatField(owner, ftCurrency)
{
    SetCurrency(true);
}

void TFloatField::SetPrecision(Integer value)
{
    if (value < 2)
        value = 2;
    if (value > 15)
        value = 15;
    if (value == precision_)
        return;
    precision_ = value;
    PropertyChanged(false);
}

void TFloatField::SetMinValue(double value)
{
    minValue_ = value;
    checkRange_ = minValue_ != 0 || maxValue_ != 0;
}

void TFloatField::SetMaxValue(double value)
{
    maxValue_ = value;
    checkRange_ = minValue_ != 0 || maxValue_ != 0;
}

bool TFloatField::GetValue(double& value)
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
    if (!GetData(buffer.data()))
        return false;
    value = buffer.As<double>();
    return true;
}

AnsiString TFloatField::GetAsString()
{
    double value = 0;
    return GetValue(value) ? FloatToStr(value) : AnsiString();
}

double TFloatField::GetAsFloat()
{
    double value = 0;
    GetValue(value);
    return value;
}

Integer TFloatField::GetAsInteger()
{
    const double rounded = std::nearbyint(GetAsFloat());
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        RangeError(rounded, -2147483648.0, 2147483647.0);
    return static_cast<Integer>(rounded);
}

Int64 TFloatField::GetAsLargeInt()
{
    const double rounded = std::nearbyint(GetAsFloat());
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        RangeError(rounded, -9223372036854775808.0, 9223372036854775807.0);
    return static_cast<Int64>(rounded);
}

Currency TFloatField::GetAsCurrency()
{
    return Currency::FromDouble(GetAsFloat());
}

Variant TFloatField::GetAsVariant()
{
    double value = 0;
    return GetValue(value) ? Variant(value) : Variant::Null();
}

void TFloatField::GetText(AnsiString& text, bool displayText)
{
    double value = 0;
    if (!GetValue(value)) {
        text.clear();
        return;
    }
    const AnsiString& format = (displayText || EditFormat().empty()) ? DisplayFormat() : EditFormat();
    if (!format.empty()) {
        text = FormatFloat(format, value);
    } else if (currency_) {
        text = FloatToStrF(value, displayText ? ffCurrency : ffFixed, precision_,
                           FormatSettings().CurrencyDecimals);
    } else {
        text = FloatToStrF(value, ffGeneral, precision_, 0);
    }
}

void TFloatField::SetAsFloat(double value)
{
    if (!std::isfinite(value))
        DatabaseError(Format(dbmsg::InvalidFloatValue, {FloatToStr(value), DisplayName()}));
    if (checkRange_ && (value < minValue_ || value > maxValue_))
        RangeError(value, minValue_, maxValue_);
    internal::ScratchBuffer buffer(8);
    std::memcpy(buffer.data(), &value, sizeof value);
    SetData(buffer.data());
}

void TFloatField::SetAsString(const AnsiString& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    double number = 0;
    if (!TryStrToFloat(value, number))
        DatabaseError(Format(dbmsg::InvalidFloatValue, {value, DisplayName()}));
    SetAsFloat(number);
}

void TFloatField::SetVarValue(const Variant& value)
{
    SetAsFloat(value.AsFloat());
}

// ---- TBCDField ----------------------------------------------------------------------------------

TBCDField::TBCDField(TComponent* owner) : TNumericField(owner)
{
    SetDataType(ftBCD);
    SetSizeValue(4);
}

void TBCDField::CheckTypeSize(Integer value) const
{
    if (value < 0 || value > 4)
        DatabaseError(dbmsg::InvalidFieldSize);
}

void TBCDField::SetMinValue(Currency value)
{
    minValue_ = value;
    checkRange_ = minValue_.Raw != 0 || maxValue_.Raw != 0;
}

void TBCDField::SetMaxValue(Currency value)
{
    maxValue_ = value;
    checkRange_ = minValue_.Raw != 0 || maxValue_.Raw != 0;
}

bool TBCDField::GetValue(Currency& value)
{
    internal::ScratchBuffer buffer(8);
    if (!GetData(buffer.data(), false))
        return false;
    value = buffer.As<Currency>();
    return true;
}

Currency TBCDField::GetAsCurrency()
{
    Currency value;
    GetValue(value);
    return value;
}

AnsiString TBCDField::GetAsString()
{
    Currency value;
    return GetValue(value) ? CurrToStr(value) : AnsiString();
}

double TBCDField::GetAsFloat()
{
    return GetAsCurrency().ToDouble();
}

Int64 TBCDField::GetAsLargeInt()
{
    const Int64 raw = GetAsCurrency().Raw;
    // Round half away from zero to whole units.
    const Int64 half = Currency::Scale / 2;
    return raw >= 0 ? (raw + half) / Currency::Scale : -((-raw + half) / Currency::Scale);
}

Integer TBCDField::GetAsInteger()
{
    const Int64 value = GetAsLargeInt();
    if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
        RangeError(static_cast<double>(value), std::numeric_limits<Integer>::min(),
                   std::numeric_limits<Integer>::max());
    return static_cast<Integer>(value);
}

Variant TBCDField::GetAsVariant()
{
    Currency value;
    return GetValue(value) ? Variant(value) : Variant::Null();
}

void TBCDField::GetText(AnsiString& text, bool displayText)
{
    Currency value;
    if (!GetValue(value)) {
        text.clear();
        return;
    }
    const AnsiString& format = (displayText || EditFormat().empty()) ? DisplayFormat() : EditFormat();
    if (!format.empty())
        text = FormatFloat(format, value.ToDouble());
    else if (currency_)
        text = CurrToStrF(value, displayText ? ffCurrency : ffFixed, FormatSettings().CurrencyDecimals);
    else
        text = CurrToStr(value);
}

void TBCDField::SetAsCurrency(Currency value)
{
    // Keep Size decimals, rounding half away from zero.
    Int64 unit = 1;
    for (Integer i = Size(); i < 4; ++i)
        unit *= 10;
    if (unit > 1) {
        const Int64 half = unit / 2;
        value.Raw = value.Raw >= 0 ? (value.Raw + half) / unit * unit : -((-value.Raw + half) / unit * unit);
    }
    if (checkRange_ && (value < minValue_ || value > maxValue_))
        RangeError(value.ToDouble(), minValue_.ToDouble(), maxValue_.ToDouble());
    internal::ScratchBuffer buffer(8);
    std::memcpy(buffer.data(), &value, sizeof value);
    SetData(buffer.data(), false);
}

void TBCDField::SetAsLargeInt(Int64 value)
{
    constexpr Int64 limit = std::numeric_limits<Int64>::max() / Currency::Scale;
    if (value > limit || value < -limit)
        RangeError(static_cast<double>(value), static_cast<double>(-limit), static_cast<double>(limit));
    SetAsCurrency(Currency::FromRaw(value * Currency::Scale));
}

void TBCDField::SetAsFloat(double value)
{
    SetAsCurrency(Currency::FromDouble(value));
}

void TBCDField::SetAsString(const AnsiString& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    Currency number;
    if (!TryStrToCurr(value, number))
        DatabaseError(Format(dbmsg::InvalidFloatValue, {value, DisplayName()}));
    SetAsCurrency(number);
}

void TBCDField::SetVarValue(const Variant& value)
{
    SetAsCurrency(value.AsCurrency());
}

} // namespace vmado
