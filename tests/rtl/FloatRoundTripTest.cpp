// Texts that store a double without loss: FloatToStr's text whenever it reads back, else the
// fewest digits that do, in the locale's decimal separator.
#include "framework/rtl/FloatRoundTrip.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vmado;

TEST(FloatToStrRoundTrip, ShortestTextThatReadsBack)
{
    struct Row {
        double value;
        const char* text;
    } rows[] = {
        {0.1 + 0.2, "0.30000000000000004"},
        {1.0 / 3, "0.3333333333333333"},
        {0.3, "0.3"}, // 15 digits or fewer: FloatToStr's own text
        {-2.5, "-2.5"},
        {1e20, "1E20"},
        {9007199254740993.0, "9007199254740992"},
        {123456789012345.67, "123456789012345.67"},
        {std::numeric_limits<double>::max(), "1.7976931348623157E308"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(FloatToStrRoundTrip(row.value), row.text);
        EXPECT_EQ(StrToFloat(FloatToStrRoundTrip(row.value)), row.value);
    }
}

TEST(FloatToStrRoundTrip, UsesTheLocaleDecimalSeparator)
{
    TFormatSettings settings = TFormatSettings::EnglishUS();
    settings.DecimalSeparator = ',';
    ScopedFormatSettings scoped(settings);
    EXPECT_EQ(FloatToStrRoundTrip(0.1 + 0.2), "0,30000000000000004");
    EXPECT_EQ(FloatToStrRoundTrip(1.5), "1,5");
    EXPECT_EQ(FloatToStrRoundTrip(std::nan("")), FloatToStr(std::nan("")));
}
