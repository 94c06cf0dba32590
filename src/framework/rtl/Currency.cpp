// Currency arithmetic: rounding from floating point and its range.
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Types.h"

#include <cmath>
#include <limits>

namespace vmado {

Currency Currency::FromDouble(double value)
{
    const double scaled = std::round(value * Scale); // half away from zero
    // 2^63 is exactly representable; anything at or beyond it cannot be held.
    if (!std::isfinite(scaled) || scaled >= 9223372036854775808.0 || scaled < -9223372036854775808.0)
        throw EConvertError("Floating point value out of the Currency range");
    return Currency{static_cast<Int64>(scaled)};
}

} // namespace vmado
