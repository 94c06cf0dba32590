// TBooleanField: a 16-bit Boolean (WordBool: zero false, true written as -1) with the display
// texts "True" and "False" or the pair set through DisplayValues.
#include "framework/db/Fields.h"

#include "framework/db/internal/DbMessages.h"
#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/SysUtils.h"

#include <algorithm>
#include <cstdint>

namespace vmado {

TBooleanField::TBooleanField(TComponent* owner) : TField(owner)
{
    SetDataType(ftBoolean);
}

void TBooleanField::SetDisplayValues(const AnsiString& value)
{
    if (value == displayValues_)
        return;
    AnsiString textTrue = "True";
    AnsiString textFalse = "False";
    if (!value.empty()) {
        const auto separator = value.find(';');
        textTrue = value.substr(0, separator);
        textFalse = separator == AnsiString::npos ? AnsiString() : value.substr(separator + 1);
    }
    displayValues_ = value;
    textTrue_ = textTrue;
    textFalse_ = textFalse;
    PropertyChanged(true);
}

bool TBooleanField::GetValue(bool& value)
{
    TFieldNumber peeked;
    bool isNull = false;
    if (PeekDataNumber(peeked, isNull)) {
        if (isNull)
            return false;
        value = peeked.Bool;
        return true;
    }
    internal::ScratchBuffer buffer(2);
    if (!GetData(buffer.data()))
        return false;
    value = buffer.As<std::int16_t>() != 0;
    return true;
}

bool TBooleanField::GetAsBoolean()
{
    bool value = false;
    GetValue(value);
    return value;
}

AnsiString TBooleanField::GetAsString()
{
    bool value = false;
    if (!GetValue(value))
        return {};
    return value ? textTrue_ : textFalse_;
}

Variant TBooleanField::GetAsVariant()
{
    bool value = false;
    return GetValue(value) ? Variant(value) : Variant::Null();
}

Integer TBooleanField::GetDefaultWidth() const
{
    return static_cast<Integer>(std::max(textTrue_.size(), textFalse_.size()));
}

void TBooleanField::SetAsBoolean(bool value)
{
    const std::int16_t native = value ? -1 : 0;
    internal::ScratchBuffer buffer(2);
    std::memcpy(buffer.data(), &native, sizeof native);
    SetData(buffer.data());
}

void TBooleanField::SetAsString(const AnsiString& value)
{
    if (value.empty()) {
        // An empty text means the value whose text is empty, else no value.
        if (textFalse_.empty())
            SetAsBoolean(false);
        else if (textTrue_.empty())
            SetAsBoolean(true);
        else
            Clear();
        return;
    }
    const auto n = static_cast<Integer>(value.size());
    if (AnsiCompareText(value, Copy(textFalse_, 1, n)) == 0)
        SetAsBoolean(false);
    else if (AnsiCompareText(value, Copy(textTrue_, 1, n)) == 0)
        SetAsBoolean(true);
    else
        DatabaseError(Format(dbmsg::InvalidBoolValue, {value, DisplayName()}));
}

void TBooleanField::SetVarValue(const Variant& value)
{
    SetAsBoolean(value.AsBoolean());
}

} // namespace vmado
