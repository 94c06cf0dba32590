// Binary fields of fixed (ftBytes: Size bytes) and variable (ftVarBytes: a 16-bit length, then up
// to Size bytes) length. Their variant form is a zero-based byte array.
#include "framework/db/Fields.h"

#include "framework/db/internal/DbMessages.h"
#include "framework/db/internal/FieldPrivate.h"
#include "framework/rtl/Format.h"

#include <cstdint>
#include <cstring>

namespace vmado {

namespace {

// The bytes a variant carries: a byte array as is, anything else as its text.
std::vector<Byte> VariantBytes(const Variant& value)
{
    if (value.IsArray()) {
        if ((value.VarType() & varTypeMask) == varByte)
            return VarArrayBytes(value);
        std::vector<Byte> bytes;
        const VarArrayData& data = value.Array();
        bytes.reserve(data.Items.size());
        for (const Variant& item : data.Items)
            bytes.push_back(static_cast<Byte>(item.AsInteger()));
        return bytes;
    }
    const AnsiString text = value.AsString();
    return std::vector<Byte>(text.begin(), text.end());
}

} // namespace

TBinaryField::TBinaryField(TComponent* owner) : TField(owner)
{
    SetSizeValue(16);
}

void TBinaryField::CheckTypeSize(Integer value) const
{
    if (value <= 0 || value > 65535)
        DatabaseError(dbmsg::InvalidFieldSize);
}

AnsiString TBinaryField::GetAsString()
{
    std::vector<Byte> bytes;
    if (!GetBytes(bytes))
        return {};
    return AnsiString(bytes.begin(), bytes.end());
}

void TBinaryField::SetAsString(const AnsiString& value)
{
    SetBytes(reinterpret_cast<const Byte*>(value.data()), value.size());
}

void TBinaryField::GetText(AnsiString& text, bool displayText)
{
    text = GetClassDesc();
}

Variant TBinaryField::GetAsVariant()
{
    std::vector<Byte> bytes;
    if (!GetBytes(bytes))
        return Variant::Null();
    return VarByteArray(bytes.data(), bytes.size());
}

void TBinaryField::SetVarValue(const Variant& value)
{
    const std::vector<Byte> bytes = VariantBytes(value);
    SetBytes(bytes.data(), bytes.size());
}

TBytesField::TBytesField(TComponent* owner) : TBinaryField(owner)
{
    SetDataType(ftBytes);
}

bool TBytesField::GetBytes(std::vector<Byte>& bytes)
{
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    if (!GetData(buffer.data()))
        return false;
    const auto* first = reinterpret_cast<const Byte*>(buffer.chars());
    bytes.assign(first, first + Size());
    return true;
}

void TBytesField::SetBytes(const Byte* data, std::size_t size)
{
    if (size > static_cast<std::size_t>(Size()))
        DatabaseError(Format(dbmsg::BytesTooLong, {DisplayName(), static_cast<Integer>(size), Size()}));
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    if (size > 0)
        std::memcpy(buffer.data(), data, size);
    SetData(buffer.data());
}

TVarBytesField::TVarBytesField(TComponent* owner) : TBinaryField(owner)
{
    SetDataType(ftVarBytes);
}

bool TVarBytesField::GetBytes(std::vector<Byte>& bytes)
{
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    if (!GetData(buffer.data()))
        return false;
    std::uint16_t length = buffer.As<std::uint16_t>();
    if (length > Size())
        length = static_cast<std::uint16_t>(Size()); // a damaged length must not read past the value
    const auto* first = reinterpret_cast<const Byte*>(buffer.chars()) + 2;
    bytes.assign(first, first + length);
    return true;
}

void TVarBytesField::SetBytes(const Byte* data, std::size_t size)
{
    if (size > static_cast<std::size_t>(Size()))
        DatabaseError(Format(dbmsg::BytesTooLong, {DisplayName(), static_cast<Integer>(size), Size()}));
    internal::ScratchBuffer buffer(static_cast<std::size_t>(DataSize()));
    const auto length = static_cast<std::uint16_t>(size);
    std::memcpy(buffer.data(), &length, sizeof length);
    if (size > 0)
        std::memcpy(static_cast<char*>(buffer.data()) + 2, data, size);
    SetData(buffer.data());
}

} // namespace vmado
