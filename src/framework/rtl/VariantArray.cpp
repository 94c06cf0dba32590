// Variant arrays: creation with any number of dimensions, bounds, element access with bounds
// checks and conversion to the element type; byte arrays keep their elements as raw bytes.
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Variant.h"
#include "framework/rtl/internal/VariantPrivate.h"

#include <limits>

namespace vmado {

using internal::VarStorage;

namespace {

bool AllowedElementType(Word t)
{
    switch (t) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
    case varOleStr:
    case varBoolean:
    case varVariant:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
    case varString:
        return true;
    default:
        return false;
    }
}

// The value a fresh element of the type holds: zero, False, the empty text, or Empty.
Variant ZeroOf(Word t)
{
    if (t == varVariant)
        return Variant();
    if (t == varString)
        return Variant(AnsiString());
    if (t == varOleStr)
        return Variant::FromOleStr(AnsiString());
    return VarAsType(Variant(Integer{0}), t);
}

[[noreturn]] void CreateError(const AnsiString& why)
{
    throw EVariantError("Error creating variant or safe array: " + why);
}

// Row-major position of the indices (the last index varies fastest).
std::size_t FlatIndex(const VarArrayData& data, std::initializer_list<Integer> indices)
{
    if (indices.size() != data.Bounds.size())
        throw EVariantError("Variant array has " + std::to_string(data.Bounds.size()) + " dimension(s), " +
                            std::to_string(indices.size()) + " index(es) given");
    std::size_t flat = 0;
    std::size_t d = 0;
    for (Integer index : indices) {
        const auto [low, high] = data.Bounds[d++];
        if (index < low || index > high)
            internal::IndexOutOfBounds(index);
        flat = flat * static_cast<std::size_t>(static_cast<Int64>(high) - low + 1) +
               static_cast<std::size_t>(static_cast<Int64>(index) - low);
    }
    return flat;
}

} // namespace

Variant VarArrayCreate(std::initializer_list<Integer> bounds, Word elementType)
{
    if (bounds.size() == 0 || bounds.size() % 2 != 0)
        CreateError("bounds must come in low, high pairs");
    if (!AllowedElementType(elementType))
        CreateError("element type " + VarTypeName(elementType) + " is not allowed");
    auto data = std::make_shared<VarArrayData>();
    data->ElementType = elementType;
    std::size_t count = 1;
    for (auto it = bounds.begin(); it != bounds.end(); it += 2) {
        const Integer low = it[0];
        const Integer high = it[1];
        const Int64 length = static_cast<Int64>(high) - low + 1;
        if (length < 0)
            CreateError("high bound " + std::to_string(high) + " is below low bound " + std::to_string(low));
        data->Bounds.emplace_back(low, high);
        if (length != 0 && count > static_cast<std::size_t>(std::numeric_limits<Integer>::max()) /
                                       static_cast<std::size_t>(length))
            CreateError("too many elements");
        count *= static_cast<std::size_t>(length);
    }
    if (elementType == varByte)
        data->Bytes.assign(count, 0);
    else
        data->Items.assign(count, ZeroOf(elementType));
    return VarStorage::MakeArray(std::move(data));
}

Variant VarArrayOf(const std::vector<Variant>& values)
{
    auto data = std::make_shared<VarArrayData>();
    data->ElementType = varVariant;
    data->Bounds.emplace_back(0, static_cast<Integer>(values.size()) - 1);
    data->Items = values;
    return VarStorage::MakeArray(std::move(data));
}

Variant VarByteArray(const void* bytes, std::size_t size)
{
    if (size > static_cast<std::size_t>(std::numeric_limits<Integer>::max()))
        CreateError("too many elements");
    auto data = std::make_shared<VarArrayData>();
    data->ElementType = varByte;
    data->Bounds.emplace_back(0, static_cast<Integer>(size) - 1);
    if (size > 0) {
        const auto* p = static_cast<const Byte*>(bytes);
        data->Bytes.assign(p, p + size);
    }
    return VarStorage::MakeArray(std::move(data));
}

Integer VarArrayDimCount(const Variant& v)
{
    return v.IsArray() ? static_cast<Integer>(v.Array().Bounds.size()) : 0;
}

namespace {

const std::pair<Integer, Integer>& BoundsOf(const Variant& v, Integer dim)
{
    const VarArrayData& data = v.Array();
    if (dim < 1 || dim > static_cast<Integer>(data.Bounds.size()))
        throw EVariantError("Variant array has no dimension " + std::to_string(dim));
    return data.Bounds[static_cast<std::size_t>(dim - 1)];
}

} // namespace

Integer VarArrayLowBound(const Variant& v, Integer dim)
{
    return BoundsOf(v, dim).first;
}

Integer VarArrayHighBound(const Variant& v, Integer dim)
{
    return BoundsOf(v, dim).second;
}

const std::vector<Byte>& VarArrayBytes(const Variant& v)
{
    const VarArrayData& data = v.Array();
    if (data.ElementType != varByte)
        internal::CannotConvert(v.VarType(), varArray | varByte);
    return data.Bytes;
}

std::vector<Byte>& VarArrayBytes(Variant& v)
{
    VarArrayData& data = v.Array();
    if (data.ElementType != varByte)
        internal::CannotConvert(v.VarType(), varArray | varByte);
    return data.Bytes;
}

Variant VarArrayGet(const Variant& v, std::initializer_list<Integer> indices)
{
    const VarArrayData& data = v.Array();
    return VarStorage::Element(data, FlatIndex(data, indices));
}

void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<Integer> indices)
{
    VarArrayData& data = v.Array();
    const std::size_t flat = FlatIndex(data, indices);
    if (data.ElementType == varByte) {
        data.Bytes[flat] = static_cast<Byte>(VarAsType(value, varByte).AsInteger());
    } else if (data.ElementType == varVariant) {
        data.Items[flat] = value;
    } else {
        // Converted first, so a failed conversion leaves the element as it was.
        Variant converted = VarAsType(value, data.ElementType);
        data.Items[flat] = std::move(converted);
    }
}

void VarArrayRedim(Variant& v, Integer highBound)
{
    VarArrayData& data = v.Array();
    if (data.Bounds.size() != 1)
        throw EVariantError("Only one-dimensional variant arrays can be resized");
    const Integer low = data.Bounds[0].first;
    const Int64 length = static_cast<Int64>(highBound) - low + 1;
    if (length < 0)
        CreateError("high bound " + std::to_string(highBound) + " is below low bound " + std::to_string(low));
    if (data.ElementType == varByte)
        data.Bytes.resize(static_cast<std::size_t>(length), 0);
    else
        data.Items.resize(static_cast<std::size_t>(length), ZeroOf(data.ElementType));
    data.Bounds[0].second = highBound;
}

} // namespace vmado
