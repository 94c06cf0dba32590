// The 10-byte extended format of the component stream against hand-computed bytes, rounding
// back to double, and (on x86) the processor's own conversion.
#include "framework/classes/internal/Extended.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace vmado::internal;

namespace {

ExtendedBytes Ext(std::uint64_t significand, std::uint16_t signAndExponent)
{
    ExtendedBytes b{};
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<std::uint8_t>(significand >> (8 * i));
    b[8] = static_cast<std::uint8_t>(signAndExponent);
    b[9] = static_cast<std::uint8_t>(signAndExponent >> 8);
    return b;
}

struct Row {
    double Value;
    std::uint64_t Significand;
    std::uint16_t Exponent;
};

} // namespace

TEST(Extended, DoublesConvertToTheExpectedBytes)
{
    const Row rows[] = {
        {0.0, 0, 0},
        {-0.0, 0, 0x8000},
        {1.0, 0x8000000000000000, 0x3FFF},
        {1.5, 0xC000000000000000, 0x3FFF},
        {-2.0, 0x8000000000000000, 0xC000},
        {0.1, 0xCCCCCCCCCCCCD000, 0x3FFB},
        {std::numeric_limits<double>::infinity(), 0x8000000000000000, 0x7FFF},
        {-std::numeric_limits<double>::infinity(), 0x8000000000000000, 0xFFFF},
        {std::numeric_limits<double>::denorm_min(), 0x8000000000000000, 16383 - 1074},
        {std::numeric_limits<double>::min(), 0x8000000000000000, 16383 - 1022},
        {std::numeric_limits<double>::max(), 0xFFFFFFFFFFFFF800, 16383 + 1023},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Value);
        EXPECT_EQ(DoubleToExtended(row.Value), Ext(row.Significand, row.Exponent));
        const double back = ExtendedToDouble(Ext(row.Significand, row.Exponent));
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(row.Value));
    }
    const ExtendedBytes nan = DoubleToExtended(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(nan[9] & 0x7F, 0x7F);
    EXPECT_TRUE(std::isnan(ExtendedToDouble(nan)));
}

struct RoundRow {
    const char* What;
    std::uint64_t Significand;
    std::uint16_t Exponent;
    double Expected;
};

TEST(Extended, ExtraPrecisionRoundsToNearestEven)
{
    const double ulp = std::ldexp(1.0, -52);
    const RoundRow rows[] = {
        {"halfway, even below", 0x8000000000000400, 0x3FFF, 1.0},
        {"just above halfway", 0x8000000000000401, 0x3FFF, 1.0 + ulp},
        {"halfway, odd below", 0x8000000000000C00, 0x3FFF, 1.0 + 2 * ulp},
        {"carry into the exponent", 0xFFFFFFFFFFFFFFFF, 0x3FFF, 2.0},
        {"too large", 0x8000000000000000, 0x7FFE, std::numeric_limits<double>::infinity()},
        {"too small", 0x8000000000000000, 0x0001, 0.0},
        {"half the least subnormal", 0x8000000000000000, 16383 - 1075, 0.0},
        {"three quarters of the least subnormal", 0xC000000000000000, 16383 - 1075,
         std::numeric_limits<double>::denorm_min()},
        {"unnormal significand", 0x4000000000000000, 0x3FFF, 0.5},
        {"negative", 0xC000000000000000, 0xBFFF, -1.5},
    };
    for (const RoundRow& row : rows) {
        SCOPED_TRACE(row.What);
        EXPECT_EQ(ExtendedToDouble(Ext(row.Significand, row.Exponent)), row.Expected);
    }
}

TEST(Extended, EveryDoubleSurvivesTheRoundTrip)
{
    std::mt19937_64 random(42);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t bits = random();
        if (i % 4 == 0)
            bits &= 0x800FFFFFFFFFFFFF; // subnormals
        const double value = std::bit_cast<double>(bits);
        if (std::isnan(value))
            continue;
        const double back = ExtendedToDouble(DoubleToExtended(value));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(back), bits) << value;
    }
}

#if defined(__x86_64__) || defined(__i386__)
TEST(Extended, AgreesWithTheProcessorsExtendedFormat)
{
    static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended expected");
    std::mt19937_64 random(7);
    for (int i = 0; i < 100000; ++i) {
        const double value = std::bit_cast<double>(random());
        if (std::isnan(value))
            continue;
        const long double wide = value;
        ExtendedBytes fpu{};
        std::memcpy(fpu.data(), &wide, 10);
        ASSERT_EQ(DoubleToExtended(value), fpu) << value;
        // And back: the processor's own rounding of an extended with extra bits.
        ExtendedBytes noisy = fpu;
        noisy[0] = static_cast<std::uint8_t>(random());
        long double noisyWide = 0;
        std::memcpy(&noisyWide, noisy.data(), 10);
        const double expected = static_cast<double>(noisyWide);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(ExtendedToDouble(noisy)),
                  std::bit_cast<std::uint64_t>(expected))
            << value;
    }
}
#endif
