// Exact decimals as canonical text: every plain and exponent form read without a double,
// rounding half away from zero, and the count of integer digits.
#include "framework/rtl/DecimalText.h"
#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(DecimalText, ReadsEveryFormIntoTheCanonicalOne)
{
    struct Row {
        const char* text;
        const char* canonical; // nullptr: refused
    } rows[] = {
        {"1234567890123456789012345.678901", "1234567890123456789012345.678901"},
        {"  -007.500 ", "-7.5"},
        {"+.25", "0.25"},
        {"5.", "5"},
        {"-0.000", "0"},
        {"1.5E3", "1500"},
        {"25e-4", "0.0025"},
        {"", nullptr},
        {"-", nullptr},
        {".", nullptr},
        {"1.2.3", nullptr},
        {"12a", nullptr},
        {"1E", nullptr},
        {"1 2", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        AnsiString canonical = "untouched";
        const bool ok = TryDecimalToCanonical(row.text, canonical);
        EXPECT_EQ(ok, row.canonical != nullptr);
        if (ok)
            EXPECT_EQ(canonical, row.canonical);
    }
}

TEST(DecimalText, TakesTheLocaleSeparatorToo)
{
    TFormatSettings settings = TFormatSettings::EnglishUS();
    settings.DecimalSeparator = ',';
    ScopedFormatSettings scoped(settings);
    AnsiString canonical;
    ASSERT_TRUE(TryDecimalToCanonical("-12,50", canonical));
    EXPECT_EQ(canonical, "-12.5");
    ASSERT_TRUE(TryDecimalToCanonical("-12.50", canonical));
    EXPECT_EQ(canonical, "-12.5");
}

TEST(DecimalText, RoundsHalfAwayFromZero)
{
    struct Row {
        const char* canonical;
        Integer decimals;
        const char* rounded;
        Integer integerDigits;
    } rows[] = {
        {"1.005", 2, "1.01", 1},      {"-1.005", 2, "-1.01", 1}, {"9.995", 2, "10", 2},
        {"-0.004", 2, "0", 0},        {"0.5", 0, "1", 1},        {"123.4", 3, "123.4", 3},
        {"99999.99", 1, "100000", 6}, {"12", 2, "12", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.canonical);
        EXPECT_EQ(RoundDecimal(row.canonical, row.decimals), row.rounded);
        EXPECT_EQ(DecimalIntegerDigits(RoundDecimal(row.canonical, row.decimals)), row.integerDigits);
    }
}
