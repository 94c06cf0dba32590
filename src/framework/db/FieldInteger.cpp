// The integer fields. Smallint, word, integer and auto-increment values are written as a 32-bit
// integer into a zeroed slot of at least 4 bytes (its low half is the 16-bit native value), so
// that a descendant may keep either width; large integers are 64-bit.
#include "framework/db/Fields.h"

#include "framework/db/internal/DbMessages.h"
#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace vmado {

TNumericField::TNumericField(TComponent* owner) : TField(owner)
{
    SetAlignment(taRightJustify);
}

// ---- TIntegerField and its 16-bit and auto-increment forms ---------------------------------------

TIntegerField::TIntegerField(TComponent* owner)
    : TIntegerField(owner, ftInteger, std::numeric_limits<Integer>::min(),
                    std::numeric_limits<Integer>::max())
{
}

TIntegerField::TIntegerField(TComponent* owner, TFieldType type, Integer minRange, Integer maxRange)
    : TNumericField(owner), minRange_(minRange), maxRange_(maxRange)
{
    SetDataType(type);
}

TSmallintField::TSmallintField(TComponent* owner) : TIntegerField(owner, ftSmallint, -32768, 32767) {}

TWordField::TWordField(TComponent* owner) : TIntegerField(owner, ftWord, 0, 65535) {}

TAutoIncField::TAutoIncField(TComponent* owner)
    : TIntegerField(owner, ftAutoInc, std::numeric_limits<Integer>::min(),
                    std::numeric_limits<Integer>::max())
{
}

bool TIntegerField::GetValue(Integer& value)
{
    TFieldNumber peeked;
    bool isNull = false;
    if (PeekDataNumber(peeked, isNull)) {
        if (isNull)
            return false;
        // The dataset gives only what fits the field's width.
        value = static_cast<Integer>(peeked.Int);
        return true;
    }
    internal::ScratchBuffer buffer(4);
    if (!GetData(buffer.data()))
        return false;
    switch (DataType()) {
    case ftSmallint:
        value = buffer.As<std::int16_t>();
        break;
    case ftWord:
        value = buffer.As<std::uint16_t>();
        break;
    default:
        value = buffer.As<std::int32_t>();
        break;
    }
    return true;
}

void TIntegerField::CheckRange(Int64 value) const
{
    if (minValue_ != 0 || maxValue_ != 0) {
        if (value < minValue_ || value > maxValue_)
            RangeError(static_cast<double>(value), minValue_, maxValue_);
    } else if (value < minRange_ || value > maxRange_) {
        RangeError(static_cast<double>(value), minRange_, maxRange_);
    }
}

AnsiString TIntegerField::GetAsString()
{
    Integer value = 0;
    return GetValue(value) ? IntToStr(value) : AnsiString();
}

Integer TIntegerField::GetAsInteger()
{
    Integer value = 0;
    GetValue(value);
    return value;
}

Int64 TIntegerField::GetAsLargeInt()
{
    return GetAsInteger();
}

double TIntegerField::GetAsFloat()
{
    return GetAsInteger();
}

Variant TIntegerField::GetAsVariant()
{
    Integer value = 0;
    return GetValue(value) ? Variant(value) : Variant::Null();
}

void TIntegerField::GetText(AnsiString& text, bool displayText)
{
    Integer value = 0;
    if (!GetValue(value)) {
        text.clear();
        return;
    }
    const AnsiString& format = (displayText || EditFormat().empty()) ? DisplayFormat() : EditFormat();
    text = format.empty() ? IntToStr(value) : FormatFloat(format, value);
}

void TIntegerField::SetAsInteger(Integer value)
{
    CheckRange(value);
    internal::ScratchBuffer buffer(4);
    std::memcpy(buffer.data(), &value, sizeof value);
    SetData(buffer.data());
}

void TIntegerField::SetAsLargeInt(Int64 value)
{
    CheckRange(value);
    SetAsInteger(static_cast<Integer>(value));
}

void TIntegerField::SetAsFloat(double value)
{
    const double rounded = std::nearbyint(value); // the framework rounds halves to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        RangeError(value, minRange_, maxRange_);
    SetAsInteger(static_cast<Integer>(rounded));
}

void TIntegerField::SetAsString(const AnsiString& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    Integer number = 0;
    if (!TryStrToInt(value, number))
        DatabaseError(Format(dbmsg::InvalidIntegerValue, {value, DisplayName()}));
    SetAsInteger(number);
}

void TIntegerField::SetVarValue(const Variant& value)
{
    SetAsLargeInt(value.AsInt64());
}

// ---- TLargeintField ------------------------------------------------------------------------------

TLargeintField::TLargeintField(TComponent* owner) : TNumericField(owner)
{
    SetDataType(ftLargeint);
}

bool TLargeintField::GetValue(Int64& value)
{
    TFieldNumber peeked;
    bool isNull = false;
    if (PeekDataNumber(peeked, isNull)) {
        if (isNull)
            return false;
        value = peeked.Int;
        return true;
    }
    internal::ScratchBuffer buffer(8);
    if (!GetData(buffer.data()))
        return false;
    value = buffer.As<Int64>();
    return true;
}

AnsiString TLargeintField::GetAsString()
{
    Int64 value = 0;
    return GetValue(value) ? IntToStr(value) : AnsiString();
}

Integer TLargeintField::GetAsInteger()
{
    const Int64 value = GetAsLargeInt();
    if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
        RangeError(static_cast<double>(value), std::numeric_limits<Integer>::min(),
                   std::numeric_limits<Integer>::max());
    return static_cast<Integer>(value);
}

Int64 TLargeintField::GetAsLargeInt()
{
    Int64 value = 0;
    GetValue(value);
    return value;
}

double TLargeintField::GetAsFloat()
{
    return static_cast<double>(GetAsLargeInt());
}

Variant TLargeintField::GetAsVariant()
{
    Int64 value = 0;
    return GetValue(value) ? Variant(value) : Variant::Null();
}

void TLargeintField::GetText(AnsiString& text, bool displayText)
{
    Int64 value = 0;
    if (!GetValue(value)) {
        text.clear();
        return;
    }
    const AnsiString& format = (displayText || EditFormat().empty()) ? DisplayFormat() : EditFormat();
    text = format.empty() ? IntToStr(value) : FormatFloat(format, static_cast<double>(value));
}

void TLargeintField::SetAsLargeInt(Int64 value)
{
    if ((minValue_ != 0 || maxValue_ != 0) && (value < minValue_ || value > maxValue_))
        RangeError(static_cast<double>(value), static_cast<double>(minValue_),
                   static_cast<double>(maxValue_));
    internal::ScratchBuffer buffer(8);
    std::memcpy(buffer.data(), &value, sizeof value);
    SetData(buffer.data());
}

void TLargeintField::SetAsInteger(Integer value)
{
    SetAsLargeInt(value);
}

void TLargeintField::SetAsFloat(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        RangeError(value, -9223372036854775808.0, 9223372036854775807.0);
    SetAsLargeInt(static_cast<Int64>(rounded));
}

void TLargeintField::SetAsString(const AnsiString& value)
{
    if (value.empty()) {
        Clear();
        return;
    }
    Int64 number = 0;
    if (!TryStrToInt64(value, number))
        DatabaseError(Format(dbmsg::InvalidIntegerValue, {value, DisplayName()}));
    SetAsLargeInt(number);
}

void TLargeintField::SetVarValue(const Variant& value)
{
    SetAsLargeInt(value.AsInt64());
}

} // namespace vmado
