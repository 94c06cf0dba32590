// The record line's quick renderings of floating-point numbers and whole days give exactly the
// texts of the general formatters (FloatToStr, the engine's date text) whenever they answer, and
// answer for the values a table usually holds.
#include "AdoBaseFixture.h"

#include "ado/ADOBasePrivate.h"
#include "ado/engine/expression/internal/Literals.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace vmado::test {
namespace {

// Checks one value: a quick text, when given, is FloatToStr's; returns whether it was given.
bool SameAsFloatToStr(double value)
{
    AnsiString quick = "untouched";
    const bool given = adobase::ShortFloatText(value, quick);
    if (given)
        EXPECT_EQ(quick, FloatToStr(value)) << "value " << value;
    else
        EXPECT_EQ(quick, "untouched");
    return given;
}

TEST(RecordText, FloatEdgeValues)
{
    struct Row {
        double value;
        bool quick; // the fixed-notation, at most 15 digit cases
    };
    const Row rows[] = {
        {0.0, true},
        {-0.0, true},
        {0.1, true},
        {0.3, true},
        {-2.5, true},
        {2.25, true},
        {123.456, true},
        {99999.99, true},
        {123456789012345.0, true}, // 15 integer digits: still fixed
        {1e13 + 0.5, true},        // 15 digits with a fraction
        {1e14 + 0.5, false},       // 16 digits
        {0.0001, true},            // the smallest exponent FloatToStr writes fixed
        {0.00012345, true},
        {1e15, false}, // 16 integer digits: scientific
        {1e-5, false},
        {1.0 / 3.0, false}, // 16-17 significant digits
        {0.1 + 0.2, false},
        {5e-324, false},
        {std::numeric_limits<double>::max(), false},
        {std::numeric_limits<double>::infinity(), false},
        {-std::numeric_limits<double>::infinity(), false},
        {std::numeric_limits<double>::quiet_NaN(), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(SameAsFloatToStr(row.value), row.quick);
    }
}

TEST(RecordText, FloatRandomValuesMatchFloatToStr)
{
    std::mt19937_64 rng(20240601);
    std::uniform_int_distribution<long long> cents(-10000000000LL, 10000000000LL);
    std::uniform_int_distribution<int> scale(0, 18);
    std::uniform_int_distribution<std::uint64_t> bits;
    int quick = 0;
    for (int i = 0; i < 20000; ++i) {
        // Decimal amounts with up to 18 decimals: the usual content of a numeric column.
        const double amount = static_cast<double>(cents(rng)) / std::pow(10.0, scale(rng));
        if (SameAsFloatToStr(amount))
            ++quick;
        // Arbitrary bit patterns: mostly scientific or 17-digit values, which must be declined.
        double any;
        const std::uint64_t b = bits(rng);
        std::memcpy(&any, &b, sizeof any);
        SameAsFloatToStr(any);
    }
    EXPECT_GT(quick, 10000);
}

TEST(RecordText, FloatUsesTheLocaleDecimalSeparator)
{
    TFormatSettings settings = FormatSettings();
    settings.DecimalSeparator = ',';
    ScopedFormatSettings scoped(settings);
    for (double v : {0.5, -1234.75, 0.0001, 42.0}) {
        SCOPED_TRACE(v);
        EXPECT_TRUE(SameAsFloatToStr(v));
    }
    AnsiString text;
    ASSERT_TRUE(adobase::ShortFloatText(-1234.75, text));
    EXPECT_EQ(text, "-1234,75");
}

TEST(RecordText, EveryDayOfYearsOneToNineThousandMatchesTheEngineText)
{
    char quick[16];
    char general[32];
    long answered = 0;
    for (long day = -700000; day <= 3000000; ++day) {
        const bool given = adobase::DayText(static_cast<double>(day), quick);
        const std::string_view expected = engine::internal::FormatDateTime(static_cast<double>(day), general);
        if (given) {
            ++answered;
            if (std::string_view(quick) != expected) {
                ADD_FAILURE() << "day " << day << ": " << quick << " instead of " << expected;
                break;
            }
        } else if (day >= -693593 && day <= 2958465) {
            ADD_FAILURE() << "day " << day << " (" << expected << ") was declined";
            break;
        }
    }
    EXPECT_EQ(answered, 2958465L + 693593L + 1L);
}

TEST(RecordText, DaysWithATimeOrOutOfRangeAreDeclined)
{
    char buf[16];
    for (double v : {0.5, -0.25, 45000.000001, -693594.0, 2958466.0, 1e12,
                     std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(v);
        EXPECT_FALSE(adobase::DayText(v, buf));
    }
    ASSERT_TRUE(adobase::DayText(0.0, buf));
    EXPECT_STREQ(buf, "1899-12-30");
    ASSERT_TRUE(adobase::DayText(-693593.0, buf));
    EXPECT_STREQ(buf, "0001-01-01");
    ASSERT_TRUE(adobase::DayText(2958465.0, buf));
    EXPECT_STREQ(buf, "9999-12-31");
}

} // namespace
} // namespace vmado::test
