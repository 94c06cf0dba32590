// Access to a Variant's tag and storage for the rtl's own variant code (construction with a
// given type code, array element addressing); not part of the public API.
#pragma once

#include "framework/rtl/Variant.h"

namespace vmado::internal {

[[noreturn]] void CannotConvert(Word from, Word to);
[[noreturn]] void Overflow(Word from, Word to);
[[noreturn]] void NotAnArray();
[[noreturn]] void IndexOutOfBounds(Integer index);
bool IsIntegral(Word varType);
bool IsReal(Word varType);
bool IsText(Word varType);

struct VarStorage {
    static Variant Make(Word type, Int64 value)
    {
        Variant v;
        v.type_ = type;
        v.value_ = value;
        return v;
    }
    static Variant Make(Word type, double value)
    {
        Variant v;
        v.type_ = type;
        v.value_ = value;
        return v;
    }
    static Variant MakeArray(std::shared_ptr<VarArrayData> data)
    {
        Variant v;
        v.type_ = static_cast<Word>(varArray | data->ElementType);
        v.value_ = std::move(data);
        return v;
    }
    static std::size_t ElementCount(const VarArrayData& data)
    {
        std::size_t n = 1;
        for (const auto& [low, high] : data.Bounds)
            n *= static_cast<std::size_t>(static_cast<Int64>(high) - low + 1);
        return data.Bounds.empty() ? 0 : n;
    }
    static Variant Element(const VarArrayData& data, std::size_t flat)
    {
        if (data.ElementType == varByte)
            return Variant::FromByte(data.Bytes[flat]);
        return data.Items[flat];
    }
};

} // namespace vmado::internal
