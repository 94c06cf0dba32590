// The x87 80-bit extended format of the component stream, converted to and from IEEE doubles in
// portable code (no long double): every double converts exactly; back, values round to nearest even.
#pragma once

#include <array>
#include <cstdint>

namespace vmado::internal {

using ExtendedBytes = std::array<std::uint8_t, 10>; // little-endian: 8 mantissa bytes, then sign+exponent

ExtendedBytes DoubleToExtended(double value);
// Values beyond the double range become infinities; below it, zeros (signed).
double ExtendedToDouble(const ExtendedBytes& bytes);

} // namespace vmado::internal
