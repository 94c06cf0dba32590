// The framework's basic value types. Text is 8-bit in the process's ANSI code page; one byte is
// one character, so every length and position counts bytes.
#pragma once

#include <cstdint>
#include <string>

namespace vmado {

using AnsiString = std::string;
using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using Word = std::uint16_t;
using SmallInt = std::int16_t;
using Byte = std::uint8_t;
using Int64 = std::int64_t;
using LongBool = bool;
using TDateTime = double; // days since 1899-12-30; the fraction is the time of day
using TColor = std::int32_t;

// Fixed-point money: the value times 10,000 in 64 bits. A distinct type so that overloads and
// variants never confuse it with a plain 64-bit integer.
struct Currency {
    Int64 Raw = 0;

    static constexpr Int64 Scale = 10000;
    static constexpr Currency FromRaw(Int64 raw) { return Currency{raw}; }
    static Currency FromDouble(double value); // rounds half away from zero; throws EConvertError on overflow
    double ToDouble() const { return static_cast<double>(Raw) / Scale; }

    friend constexpr bool operator==(Currency a, Currency b) { return a.Raw == b.Raw; }
    friend constexpr auto operator<=>(Currency a, Currency b) { return a.Raw <=> b.Raw; }
};

} // namespace vmado
