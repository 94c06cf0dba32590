// x87 extended <-> double. The extended value is sign, 15-bit exponent (bias 16383) and a 64-bit
// significand with an explicit integer bit; the double keeps 52 bits with the integer bit implied.
#include "framework/classes/internal/Extended.h"

#include <bit>

namespace vmado::internal {

namespace {

constexpr int kDoubleBias = 1023;
constexpr int kExtendedBias = 16383;

ExtendedBytes Pack(bool negative, std::uint16_t exponent, std::uint64_t significand)
{
    ExtendedBytes out{};
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<std::uint8_t>(significand >> (8 * i));
    const std::uint16_t top = static_cast<std::uint16_t>((negative ? 0x8000 : 0) | (exponent & 0x7FFF));
    out[8] = static_cast<std::uint8_t>(top);
    out[9] = static_cast<std::uint8_t>(top >> 8);
    return out;
}

} // namespace

ExtendedBytes DoubleToExtended(double value)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);

    if (exponent == 0x7FF) {
        // Infinity keeps only the integer bit; a NaN is made quiet and keeps its payload.
        if (fraction == 0)
            return Pack(negative, 0x7FFF, std::uint64_t{1} << 63);
        return Pack(negative, 0x7FFF, (std::uint64_t{3} << 62) | (fraction << 11));
    }
    if (exponent == 0) {
        if (fraction == 0)
            return Pack(negative, 0, 0);
        // A subnormal double is a normal extended: shift its highest set bit to the integer bit.
        const int highest = 63 - std::countl_zero(fraction); // 0..51
        const std::uint64_t significand = fraction << (63 - highest);
        const int unbiased = highest - 1074;
        return Pack(negative, static_cast<std::uint16_t>(unbiased + kExtendedBias), significand);
    }
    const std::uint64_t significand = (std::uint64_t{1} << 63) | (fraction << 11);
    return Pack(negative, static_cast<std::uint16_t>(exponent - kDoubleBias + kExtendedBias), significand);
}

double ExtendedToDouble(const ExtendedBytes& bytes)
{
    std::uint64_t significand = 0;
    for (int i = 0; i < 8; ++i)
        significand |= static_cast<std::uint64_t>(bytes[i]) << (8 * i);
    const std::uint16_t top = static_cast<std::uint16_t>(bytes[8] | (bytes[9] << 8));
    const bool negative = (top & 0x8000) != 0;
    const int exponent = top & 0x7FFF;
    const std::uint64_t sign = negative ? (std::uint64_t{1} << 63) : 0;

    if (exponent == 0x7FFF) {
        const std::uint64_t fraction = significand & ~(std::uint64_t{1} << 63);
        if (fraction == 0)
            return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52));
        const std::uint64_t payload = (fraction >> 11) | (std::uint64_t{1} << 51);
        return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52) | payload);
    }
    if (significand == 0)
        return std::bit_cast<double>(sign);

    // value = significand * 2^(exponent - bias - 63); an exponent field of 0 (denormal) counts as 1.
    const int effective = exponent == 0 ? 1 : exponent;
    const int shift = std::countl_zero(significand); // normalise unnormals and denormals
    significand <<= shift;
    const int unbiased = effective - kExtendedBias - shift; // value = 1.xxx * 2^unbiased

    auto roundShift = [](std::uint64_t v, int by) -> std::uint64_t {
        if (by >= 65)
            return 0;
        if (by == 64) // only the rounding bit can survive
            return v > (std::uint64_t{1} << 63) ? 1 : 0;
        const std::uint64_t kept = v >> by;
        const std::uint64_t rest = v & ((std::uint64_t{1} << by) - 1);
        const std::uint64_t half = std::uint64_t{1} << (by - 1);
        return (rest > half || (rest == half && (kept & 1))) ? kept + 1 : kept;
    };

    if (unbiased > kDoubleBias)
        return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52));
    if (unbiased >= -1022) {
        std::uint64_t kept = roundShift(significand, 11); // 53 bits, or 2^53 after a carry
        int e = unbiased;
        if (kept == (std::uint64_t{1} << 53)) {
            kept >>= 1;
            ++e;
        }
        if (e > kDoubleBias)
            return std::bit_cast<double>(sign | (std::uint64_t{0x7FF} << 52));
        const std::uint64_t field = static_cast<std::uint64_t>(e + kDoubleBias) << 52;
        return std::bit_cast<double>(sign | field | (kept & ((std::uint64_t{1} << 52) - 1)));
    }
    // Subnormal result: count units of 2^-1074. A carry into bit 52 is the smallest normal,
    // which the same bit pattern encodes.
    const int by = 11 + (-1022 - unbiased);
    return std::bit_cast<double>(sign | roundShift(significand, by));
}

} // namespace vmado::internal
