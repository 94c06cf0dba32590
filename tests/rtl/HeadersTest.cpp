// Every public rtl header compiles on its own and the locale defaults are the en-US ones.
#include "framework/rtl/CodePage.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Format.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"
#include "framework/rtl/Variant.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(Locale, DefaultsAreEnglishUnitedStates)
{
    const TFormatSettings& fs = FormatSettings();
    EXPECT_EQ(fs.DecimalSeparator, '.');
    EXPECT_EQ(fs.ThousandSeparator, ',');
    EXPECT_EQ(fs.DateSeparator, '/');
    EXPECT_EQ(fs.TimeSeparator, ':');
    EXPECT_EQ(fs.ShortDateFormat, "M/d/yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "h:mm:ss AMPM");
    EXPECT_EQ(fs.LongMonthNames[0], "January");
    EXPECT_EQ(fs.LongDayNames[5], "Friday");
}

TEST(Locale, ScopedSettingsAreRestored)
{
    {
        ScopedFormatSettings scope;
        FormatSettings().DecimalSeparator = ',';
        EXPECT_EQ(FormatSettings().DecimalSeparator, ',');
    }
    EXPECT_EQ(FormatSettings().DecimalSeparator, '.');
}
