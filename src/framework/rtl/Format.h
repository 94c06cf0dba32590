// The framework's Format: "%" [index ":"] ["-"] [width] ["." precision] type, with the types
// d u x e f g n m s and "%%". Width and precision may be "*" (taken from the next argument).
#pragma once

#include "framework/rtl/Types.h"

#include <initializer_list>
#include <string_view>
#include <vector>

namespace vmado {

// One argument of Format; the kind decides which conversions accept it (d u x: integers;
// e f g n m: double and Currency; s: text and characters).
class TVarRec {
public:
    enum class Kind { Integer, Int64, Double, Currency, String, Char };

    TVarRec(int value) : kind_(Kind::Integer), int_(value) {}
    TVarRec(unsigned value) : kind_(Kind::Int64), int_(static_cast<Int64>(value)) {}
    TVarRec(long value) : kind_(Kind::Int64), int_(value) {}
    TVarRec(long long value) : kind_(Kind::Int64), int_(value) {}
    TVarRec(unsigned long value) : kind_(Kind::Int64), int_(static_cast<Int64>(value)) {}
    TVarRec(unsigned long long value) : kind_(Kind::Int64), int_(static_cast<Int64>(value)) {}
    TVarRec(double value) : kind_(Kind::Double), double_(value) {}
    TVarRec(Currency value) : kind_(Kind::Currency), int_(value.Raw) {}
    TVarRec(char value) : kind_(Kind::Char), text_(&char_, 1), char_(value) {}
    TVarRec(const char* value) : kind_(Kind::String), text_(value ? value : "") {}
    TVarRec(std::string_view value) : kind_(Kind::String), text_(value) {}
    TVarRec(const AnsiString& value) : kind_(Kind::String), text_(value) {}

    TVarRec(const TVarRec& other)
        : kind_(other.kind_), int_(other.int_), double_(other.double_), text_(other.text_), char_(other.char_)
    {
        if (kind_ == Kind::Char)
            text_ = std::string_view(&char_, 1);
    }
    TVarRec& operator=(const TVarRec&) = delete;

    Kind GetKind() const noexcept { return kind_; }
    Int64 IntValue() const noexcept { return int_; } // Integer, Int64; Currency raw
    double DoubleValue() const noexcept { return double_; }
    std::string_view Text() const noexcept { return text_; } // String, Char

private:
    Kind kind_;
    Int64 int_ = 0;
    double double_ = 0;
    std::string_view text_; // borrowed; the argument outlives the Format call
    char char_ = 0;
};

// Raises EConvertError "Format '<fmt>' invalid or incompatible with argument" for a malformed
// specifier or an argument of the wrong kind, and "No argument for format '<fmt>'" when the
// arguments run out.
AnsiString Format(std::string_view format, std::initializer_list<TVarRec> args);
// The same with an argument list built at run time.
AnsiString Format(std::string_view format, const std::vector<TVarRec>& args);

} // namespace vmado
