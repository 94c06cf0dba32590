// Variants in the component stream: each variant type maps to one value type, arrays to lists.
#include "framework/classes/Filer.h"

#include "framework/classes/internal/FilerPrivate.h"

namespace vmado {

namespace {
constexpr int kMaxVariantDepth = 200;
}

void TWriter::WriteVariant(const Variant& value)
{
    if (value.IsArray()) {
        if (VarArrayDimCount(value) != 1)
            throw EWriteError("Cannot write a multi-dimensional variant array to the component stream");
        WriteListBegin();
        for (Integer i = VarArrayLowBound(value, 1); i <= VarArrayHighBound(value, 1); ++i)
            WriteVariant(value.GetElement(i));
        WriteListEnd();
        return;
    }
    switch (value.VarType() & varTypeMask) {
    case varEmpty:
        WriteValue(vaNil);
        break;
    case varNull:
        WriteValue(vaNull);
        break;
    case varOleStr:
        WriteWideString(internal::AnsiToUtf16(value.AsString()));
        break;
    case varString:
        WriteString(value.AsString());
        break;
    case varShortInt:
    case varByte:
    case varSmallint:
    case varWord:
    case varInteger:
    case varLongWord:
    case varInt64:
        WriteInteger(value.AsInt64());
        break;
    case varSingle:
        WriteSingle(static_cast<float>(value.AsFloat()));
        break;
    case varDouble:
        WriteFloat(value.AsFloat());
        break;
    case varDate:
        WriteDate(value.AsDateTime());
        break;
    case varCurrency:
        WriteCurrency(value.AsCurrency());
        break;
    case varBoolean:
        WriteBoolean(value.AsBoolean());
        break;
    default:
        throw EWriteError("Cannot write a variant of type " + VarTypeName(value.VarType()) +
                          " to the component stream");
    }
}

Variant TReader::ReadVariant()
{
    switch (NextValue()) {
    case vaNil:
        ReadValue();
        return Variant();
    case vaNull:
        ReadValue();
        return Variant::Null();
    case vaInt8:
        return Variant::FromShortInt(static_cast<std::int8_t>(ReadInteger()));
    case vaInt16:
        return Variant::FromSmallint(static_cast<SmallInt>(ReadInteger()));
    case vaInt32:
        return Variant(ReadInteger());
    case vaInt64:
        return Variant(ReadInt64());
    case vaExtended:
        return Variant(ReadFloat());
    case vaSingle:
        return Variant::FromSingle(ReadSingle());
    case vaCurrency:
        return Variant(ReadCurrency());
    case vaDate:
        return Variant::FromDate(ReadDate());
    case vaString:
    case vaLString:
        return Variant(ReadString());
    case vaWString:
    case vaUTF8String:
        return Variant::FromOleStr(ReadString());
    case vaFalse:
    case vaTrue:
        return Variant(ReadBoolean());
    case vaList: {
        if (++depth_ > kMaxVariantDepth)
            internal::InvalidStreamFormat();
        ReadValue();
        std::vector<Variant> items;
        while (!EndOfList())
            items.push_back(ReadVariant());
        ReadListEnd();
        --depth_;
        return VarArrayOf(items);
    }
    default:
        PropValueError();
    }
}

} // namespace vmado
