// The framework's Variant: a tagged value with the platform's type codes, Null and Empty, and
// arrays (byte arrays carry bookmarks and blobs). Conversions that cannot be made raise.
#pragma once

#include "framework/rtl/Types.h"

#include <initializer_list>
#include <memory>
#include <type_traits>
#include <variant>
#include <vector>

namespace vmado {

// Type codes as the platform's variant type function returns them.
enum : Word {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varSmallint = 0x0002,
    varInteger = 0x0003,
    varSingle = 0x0004,
    varDouble = 0x0005,
    varCurrency = 0x0006,
    varDate = 0x0007,
    varOleStr = 0x0008,
    varDispatch = 0x0009,
    varError = 0x000A,
    varBoolean = 0x000B,
    varVariant = 0x000C,
    varUnknown = 0x000D,
    varShortInt = 0x0010,
    varByte = 0x0011,
    varWord = 0x0012,
    varLongWord = 0x0013,
    varInt64 = 0x0014,
    varString = 0x0100,
    varTypeMask = 0x0FFF,
    varArray = 0x2000,
    varByRef = 0x4000,
};

class Variant;
namespace internal {
struct VarStorage;
}

// The body of an array variant: bounds per dimension and the elements in row-major order.
// Byte arrays (element type varByte) keep their elements as raw bytes.
struct VarArrayData {
    Word ElementType = varVariant;
    std::vector<std::pair<Integer, Integer>> Bounds; // (low, high) per dimension
    std::vector<Variant> Items;                      // every element type but varByte
    std::vector<Byte> Bytes;                         // varByte elements
};

class Variant {
public:
    Variant() = default; // Empty
    // Copies are independent: an array is copied element by element, as the framework does.
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    Variant(Variant&& other) noexcept = default;
    Variant& operator=(Variant&& other) noexcept = default;
    ~Variant() = default;
    Variant(bool value);
    Variant(Integer value);
    Variant(Int64 value);
    // 64-bit integers spelled `long long` (SQLite's, ODBC's) are Int64 too.
    template <typename T,
              std::enable_if_t<std::is_same_v<T, long long> && !std::is_same_v<T, Int64>, int> = 0>
    Variant(T value) : Variant(static_cast<Int64>(value))
    {
    }
    Variant(double value);
    Variant(Currency value);
    Variant(const AnsiString& value);
    Variant(AnsiString&& value);
    Variant(const char* value);

    static Variant Null();
    static Variant FromSmallint(SmallInt value);
    static Variant FromShortInt(std::int8_t value);
    static Variant FromByte(Byte value);
    static Variant FromWord(Word value);
    static Variant FromLongWord(Cardinal value);
    static Variant FromSingle(float value);
    static Variant FromDate(TDateTime value);
    static Variant FromOleStr(const AnsiString& value); // a string with the OleStr code

    Word VarType() const noexcept { return type_; }
    bool IsEmpty() const noexcept { return type_ == varEmpty; }
    bool IsNull() const noexcept { return type_ == varNull; }
    bool IsArray() const noexcept { return (type_ & varArray) != 0; }

    // Conversions. Empty reads as 0, "", False or 0.0; Null and arrays raise EVariantError
    // "Could not convert variant of type (Null) into type (Integer)", a value outside the target
    // range "Overflow while converting variant of type (Int64) into type (Integer)". Text reads
    // through the locale (StrToInt/StrToFloat/StrToCurr/StrToDateTime; "True"/"False" or a number
    // for Booleans) and raises their EConvertError. Floating point rounds to integers half to
    // even; True is -1 as a number and "-1" as text; dates write as DateTimeToStr.
    AnsiString AsString() const; // Null gives an error; see VarToStr for the lenient form
    Integer AsInteger() const;
    Int64 AsInt64() const;
    double AsFloat() const;
    Currency AsCurrency() const;
    bool AsBoolean() const;
    TDateTime AsDateTime() const;

    // Array access; raise EVariantError when this is not an array or the index is out of bounds.
    const VarArrayData& Array() const;
    VarArrayData& Array();
    Variant GetElement(Integer index) const; // one-dimensional arrays
    void PutElement(Integer index, const Variant& value);

private:
    friend Variant VarArrayCreate(std::initializer_list<Integer> bounds, Word elementType);
    friend struct internal::VarStorage;
    using Storage = std::variant<std::monostate, bool, Int64, double, Currency, AnsiString,
                                 std::shared_ptr<VarArrayData>>;
    Word type_ = varEmpty;
    Storage value_;
};

// Equality used to decide whether a value differs: same kind of content and equal value;
// Null equals Null, Empty equals Empty, numbers compare by value across numeric codes,
// strings byte by byte, arrays element by element.
bool operator==(const Variant& a, const Variant& b);

inline Word VarType(const Variant& v)
{
    return v.VarType();
}
inline bool VarIsNull(const Variant& v)
{
    return v.IsNull();
}
inline bool VarIsEmpty(const Variant& v)
{
    return v.IsEmpty();
}
inline bool VarIsArray(const Variant& v)
{
    return v.IsArray();
}
bool VarIsNullOrEmpty(const Variant& v);

// bounds: low, high pairs, one pair per dimension (so {0, 9} makes ten elements).
Variant VarArrayCreate(std::initializer_list<Integer> bounds, Word elementType);
Variant VarArrayOf(const std::vector<Variant>& values);   // zero-based array of varVariant
Variant VarByteArray(const void* data, std::size_t size); // zero-based varByte array
Integer VarArrayDimCount(const Variant& v);
Integer VarArrayLowBound(const Variant& v, Integer dim); // dim counts from 1
Integer VarArrayHighBound(const Variant& v, Integer dim);
// Raw bytes of a varByte array; raises EVariantError for any other variant.
const std::vector<Byte>& VarArrayBytes(const Variant& v);
std::vector<Byte>& VarArrayBytes(Variant& v);

// Multi-dimensional access, one index per dimension; raise EVariantError when this is not an
// array, the index count differs from the dimension count, or an index is out of bounds.
Variant VarArrayGet(const Variant& v, std::initializer_list<Integer> indices);
void VarArrayPut(Variant& v, const Variant& value, std::initializer_list<Integer> indices);
// Changes the high bound of a one-dimensional array, keeping the elements that remain.
void VarArrayRedim(Variant& v, Integer highBound);

AnsiString VarToStr(const Variant& v); // Null and Empty give ""
Variant VarAsType(const Variant& v, Word varType);
AnsiString VarTypeName(Word varType); // for messages: "Null", "String", "Integer", ...

} // namespace vmado
