// Variant values: construction with the platform's type codes, conversions through the locale
// (text) and with range checks (numbers), equality for change detection, and VarAsType.
#include "framework/rtl/Variant.h"

#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"
#include "framework/rtl/internal/VariantPrivate.h"

#include <cfenv>
#include <cmath>
#include <limits>

namespace vmado {

using internal::VarStorage;

// ---- Names and errors --------------------------------------------------------------------------

AnsiString VarTypeName(Word varType)
{
    if (varType & varByRef)
        return "ByRef " + VarTypeName(static_cast<Word>(varType & ~varByRef));
    if (varType & varArray)
        return "Array " + VarTypeName(static_cast<Word>(varType & ~varArray));
    switch (varType) {
    case varEmpty:
        return "Empty";
    case varNull:
        return "Null";
    case varSmallint:
        return "Smallint";
    case varInteger:
        return "Integer";
    case varSingle:
        return "Single";
    case varDouble:
        return "Double";
    case varCurrency:
        return "Currency";
    case varDate:
        return "Date";
    case varOleStr:
        return "OleStr";
    case varDispatch:
        return "Dispatch";
    case varError:
        return "Error";
    case varBoolean:
        return "Boolean";
    case varVariant:
        return "Variant";
    case varUnknown:
        return "Unknown";
    case varShortInt:
        return "ShortInt";
    case varByte:
        return "Byte";
    case varWord:
        return "Word";
    case varLongWord:
        return "LongWord";
    case varInt64:
        return "Int64";
    case varString:
        return "String";
    default:
        return "$" + IntToHex(static_cast<Integer>(varType), 4);
    }
}

namespace internal {

[[noreturn]] void CannotConvert(Word from, Word to)
{
    throw EVariantError("Could not convert variant of type (" + VarTypeName(from) + ") into type (" +
                        VarTypeName(to) + ")");
}

[[noreturn]] void Overflow(Word from, Word to)
{
    throw EVariantError("Overflow while converting variant of type (" + VarTypeName(from) + ") into type (" +
                        VarTypeName(to) + ")");
}

[[noreturn]] void NotAnArray()
{
    throw EVariantError("Variant is not an array");
}

[[noreturn]] void IndexOutOfBounds(Integer index)
{
    throw EVariantError("Variant or safe array index out of bounds (" + std::to_string(index) + ")");
}

bool IsIntegral(Word t)
{
    switch (t) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        return true;
    default:
        return false;
    }
}

bool IsReal(Word t)
{
    return t == varSingle || t == varDouble || t == varDate;
}

bool IsText(Word t)
{
    return t == varString || t == varOleStr;
}

} // namespace internal

namespace {

using namespace internal;

// The framework rounds floating-point values to integers half to even.
double RoundHalfEven(double v)
{
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(v);
    std::fesetround(saved);
    return r;
}

Int64 RoundCurrencyHalfEven(Currency c)
{
    const Int64 q = c.Raw / Currency::Scale;
    const Int64 r = c.Raw % Currency::Scale;
    const Int64 half = Currency::Scale / 2;
    if (r > half || (r == half && (q & 1)))
        return q + 1;
    if (r < -half || (r == -half && (q & 1)))
        return q - 1;
    return q;
}

} // namespace

// ---- Construction ------------------------------------------------------------------------------

Variant::Variant(const Variant& other) : type_(other.type_), value_(other.value_)
{
    if (auto* arr = std::get_if<std::shared_ptr<VarArrayData>>(&value_))
        *arr = std::make_shared<VarArrayData>(**arr);
}

Variant& Variant::operator=(const Variant& other)
{
    if (this != &other) {
        Variant copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Variant::Variant(bool value) : type_(varBoolean), value_(value) {}
Variant::Variant(Integer value) : type_(varInteger), value_(static_cast<Int64>(value)) {}
Variant::Variant(Int64 value) : type_(varInt64), value_(value) {}
Variant::Variant(double value) : type_(varDouble), value_(value) {}
Variant::Variant(Currency value) : type_(varCurrency), value_(value) {}
Variant::Variant(const AnsiString& value) : type_(varString), value_(value) {}
Variant::Variant(AnsiString&& value) : type_(varString), value_(std::move(value)) {}
Variant::Variant(const char* value) : type_(varString), value_(AnsiString(value ? value : "")) {}

Variant Variant::Null()
{
    Variant v;
    v.type_ = varNull;
    return v;
}

Variant Variant::FromSmallint(SmallInt value)
{
    return VarStorage::Make(varSmallint, Int64{value});
}
Variant Variant::FromShortInt(std::int8_t value)
{
    return VarStorage::Make(varShortInt, Int64{value});
}
Variant Variant::FromByte(Byte value)
{
    return VarStorage::Make(varByte, Int64{value});
}
Variant Variant::FromWord(Word value)
{
    return VarStorage::Make(varWord, Int64{value});
}
Variant Variant::FromLongWord(Cardinal value)
{
    return VarStorage::Make(varLongWord, Int64{value});
}
Variant Variant::FromSingle(float value)
{
    return VarStorage::Make(varSingle, static_cast<double>(value));
}
Variant Variant::FromDate(TDateTime value)
{
    return VarStorage::Make(varDate, value);
}

Variant Variant::FromOleStr(const AnsiString& value)
{
    Variant v(value);
    v.type_ = varOleStr;
    return v;
}

// ---- Conversions -------------------------------------------------------------------------------

AnsiString Variant::AsString() const
{
    switch (type_) {
    case varEmpty:
        return {};
    case varBoolean:
        // The platform's own conversion, which the record texts rely on ("-1" and "0").
        return std::get<bool>(value_) ? "-1" : "0";
    case varCurrency:
        return CurrToStr(std::get<Currency>(value_));
    case varSingle:
        return FloatToStrF(std::get<double>(value_), ffGeneral, 7, 0);
    case varDouble:
        return FloatToStr(std::get<double>(value_));
    case varDate:
        return DateTimeToStr(std::get<double>(value_));
    case varString:
    case varOleStr:
        return std::get<AnsiString>(value_);
    default:
        if (IsIntegral(type_))
            return std::to_string(std::get<Int64>(value_));
        CannotConvert(type_, varString);
    }
}

Int64 Variant::AsInt64() const
{
    switch (type_) {
    case varEmpty:
        return 0;
    case varBoolean:
        return std::get<bool>(value_) ? -1 : 0;
    case varCurrency:
        return RoundCurrencyHalfEven(std::get<Currency>(value_));
    case varSingle:
    case varDouble:
    case varDate: {
        const double r = RoundHalfEven(std::get<double>(value_));
        if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
            Overflow(type_, varInt64);
        return static_cast<Int64>(r);
    }
    case varString:
    case varOleStr: {
        const AnsiString& s = std::get<AnsiString>(value_);
        Int64 v;
        if (TryStrToInt64(s, v))
            return v;
        double d;
        if (TryStrToFloat(s, d)) {
            const double r = RoundHalfEven(d);
            if (!(r >= -9223372036854775808.0 && r < 9223372036854775808.0))
                Overflow(type_, varInt64);
            return static_cast<Int64>(r);
        }
        throw EConvertError("'" + s + "' is not a valid integer value");
    }
    default:
        if (IsIntegral(type_))
            return std::get<Int64>(value_);
        CannotConvert(type_, varInt64);
    }
}

Integer Variant::AsInteger() const
{
    if (type_ == varNull || IsArray())
        CannotConvert(type_, varInteger);
    const Int64 v = AsInt64();
    if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max())
        Overflow(type_, varInteger);
    return static_cast<Integer>(v);
}

double Variant::AsFloat() const
{
    switch (type_) {
    case varEmpty:
        return 0;
    case varBoolean:
        return std::get<bool>(value_) ? -1 : 0;
    case varCurrency:
        return std::get<Currency>(value_).ToDouble();
    case varSingle:
    case varDouble:
    case varDate:
        return std::get<double>(value_);
    case varString:
    case varOleStr:
        return StrToFloat(std::get<AnsiString>(value_));
    default:
        if (IsIntegral(type_))
            return static_cast<double>(std::get<Int64>(value_));
        CannotConvert(type_, varDouble);
    }
}

Currency Variant::AsCurrency() const
{
    switch (type_) {
    case varEmpty:
        return {};
    case varCurrency:
        return std::get<Currency>(value_);
    case varString:
    case varOleStr:
        return StrToCurr(std::get<AnsiString>(value_));
    case varBoolean:
        return Currency::FromRaw(std::get<bool>(value_) ? -Currency::Scale : 0);
    case varSingle:
    case varDouble:
    case varDate: {
        const double d = std::get<double>(value_);
        const double scaled = d * Currency::Scale;
        if (!std::isfinite(scaled) || scaled >= 9223372036854775808.0 || scaled < -9223372036854775808.0)
            Overflow(type_, varCurrency);
        return Currency::FromDouble(d);
    }
    default:
        if (IsIntegral(type_)) {
            const Int64 v = std::get<Int64>(value_);
            if (v > std::numeric_limits<Int64>::max() / Currency::Scale ||
                v < std::numeric_limits<Int64>::min() / Currency::Scale)
                Overflow(type_, varCurrency);
            return Currency::FromRaw(v * Currency::Scale);
        }
        CannotConvert(type_, varCurrency);
    }
}

bool Variant::AsBoolean() const
{
    switch (type_) {
    case varEmpty:
        return false;
    case varBoolean:
        return std::get<bool>(value_);
    case varCurrency:
        return std::get<Currency>(value_).Raw != 0;
    case varSingle:
    case varDouble:
    case varDate:
        return std::get<double>(value_) != 0;
    case varString:
    case varOleStr:
        return StrToBool(std::get<AnsiString>(value_));
    default:
        if (IsIntegral(type_))
            return std::get<Int64>(value_) != 0;
        CannotConvert(type_, varBoolean);
    }
}

TDateTime Variant::AsDateTime() const
{
    switch (type_) {
    case varEmpty:
        return 0;
    case varString:
    case varOleStr:
        return StrToDateTime(std::get<AnsiString>(value_));
    default:
        if (type_ == varNull || IsArray())
            CannotConvert(type_, varDate);
        return AsFloat();
    }
}

// ---- Arrays ------------------------------------------------------------------------------------

const VarArrayData& Variant::Array() const
{
    if (!IsArray())
        NotAnArray();
    return *std::get<std::shared_ptr<VarArrayData>>(value_);
}

VarArrayData& Variant::Array()
{
    if (!IsArray())
        NotAnArray();
    return *std::get<std::shared_ptr<VarArrayData>>(value_);
}

Variant Variant::GetElement(Integer index) const
{
    return VarArrayGet(*this, {index});
}

void Variant::PutElement(Integer index, const Variant& value)
{
    VarArrayPut(*this, value, {index});
}

// ---- Free functions ----------------------------------------------------------------------------

bool VarIsNullOrEmpty(const Variant& v)
{
    return v.IsNull() || v.IsEmpty();
}

AnsiString VarToStr(const Variant& v)
{
    return VarIsNullOrEmpty(v) ? AnsiString() : v.AsString();
}

Variant VarAsType(const Variant& v, Word varType)
{
    const Word from = v.VarType();
    if (from == varType)
        return v;
    if (v.IsArray() || (varType & (varArray | varByRef)))
        CannotConvert(from, varType);
    if (varType == varEmpty)
        return Variant();
    if (varType == varNull)
        return Variant::Null();
    if (from == varNull)
        CannotConvert(from, varType);
    auto ranged = [&](Int64 lo, Int64 hi) {
        const Int64 x = v.AsInt64();
        if (x < lo || x > hi)
            Overflow(from, varType);
        return VarStorage::Make(varType, x);
    };
    switch (varType) {
    case varSmallint:
        return ranged(-32768, 32767);
    case varInteger:
        return ranged(std::numeric_limits<Integer>::min(), std::numeric_limits<Integer>::max());
    case varShortInt:
        return ranged(-128, 127);
    case varByte:
        return ranged(0, 255);
    case varWord:
        return ranged(0, 65535);
    case varLongWord:
        return ranged(0, 4294967295LL);
    case varInt64:
        return Variant(v.AsInt64());
    case varSingle: {
        const double d = v.AsFloat();
        if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
            Overflow(from, varType);
        return Variant::FromSingle(static_cast<float>(d));
    }
    case varDouble:
        return Variant(v.AsFloat());
    case varCurrency:
        return Variant(v.AsCurrency());
    case varDate:
        return Variant::FromDate(v.AsDateTime());
    case varBoolean:
        return Variant(v.AsBoolean());
    case varString:
        return Variant(v.AsString());
    case varOleStr:
        return Variant::FromOleStr(v.AsString());
    default:
        CannotConvert(from, varType);
    }
}

bool operator==(const Variant& a, const Variant& b)
{
    const Word ta = a.VarType();
    const Word tb = b.VarType();
    if (ta == varEmpty || tb == varEmpty || ta == varNull || tb == varNull)
        return ta == tb;
    if (a.IsArray() || b.IsArray()) {
        if (!a.IsArray() || !b.IsArray())
            return false;
        const VarArrayData& x = a.Array();
        const VarArrayData& y = b.Array();
        if (x.Bounds != y.Bounds)
            return false;
        if (x.ElementType == varByte && y.ElementType == varByte)
            return x.Bytes == y.Bytes;
        const std::size_t n = VarStorage::ElementCount(x);
        for (std::size_t i = 0; i < n; ++i)
            if (!(VarStorage::Element(x, i) == VarStorage::Element(y, i)))
                return false;
        return true;
    }
    if (IsText(ta) || IsText(tb))
        return IsText(ta) && IsText(tb) && a.AsString() == b.AsString();
    if (ta == varBoolean || tb == varBoolean)
        return ta == tb && a.AsBoolean() == b.AsBoolean();
    if (IsIntegral(ta) && IsIntegral(tb))
        return a.AsInt64() == b.AsInt64();
    if ((ta == varCurrency || IsIntegral(ta)) && (tb == varCurrency || IsIntegral(tb))) {
        // Both exact: compare in ten-thousandths without going through floating point.
        const auto raw = [](const Variant& v) -> __int128 {
            return v.VarType() == varCurrency ? static_cast<__int128>(v.AsCurrency().Raw)
                                              : static_cast<__int128>(v.AsInt64()) * Currency::Scale;
        };
        return raw(a) == raw(b);
    }
    return a.AsFloat() == b.AsFloat();
}

} // namespace vmado
