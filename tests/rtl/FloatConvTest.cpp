// Floating-point and currency text: the general format's switch to exponents, the locale
// decimal separator, the fixed/number/currency forms, FormatFloat sections and currency rounding.
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "framework/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace vmado;

TEST(FloatToStr, GeneralFormatWithFifteenDigits)
{
    struct Row {
        double value;
        const char* text;
    } rows[] = {
        {0, "0"},
        {1, "1"},
        {-1.5, "-1.5"},
        {0.1, "0.1"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1e15, "1E15"},
        {1e20, "1E20"},
        {0.0001, "0.0001"},
        {0.00001, "1E-5"},
        {0.000015, "1.5E-5"},
        {-2.5e-10, "-2.5E-10"},
        {100, "100"},
        {0.30000000000000004, "0.3"},
        {1.7976931348623157e308, "1.79769313486232E308"},
        {-0.0, "0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(FloatToStr(r.value), r.text);
    }
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity()), "-INF");
    EXPECT_EQ(FloatToStr(std::nan("")), "NAN");
}

TEST(FloatToStr, UsesTheLocaleDecimalSeparator)
{
    ScopedFormatSettings scope;
    FormatSettings().DecimalSeparator = ',';
    EXPECT_EQ(FloatToStr(1.5), "1,5");
    EXPECT_EQ(FloatToStr(1.5e-7), "1,5E-7");
    EXPECT_DOUBLE_EQ(StrToFloat("1,25"), 1.25);
    EXPECT_THROW(StrToFloat("1.25"), EConvertError);
}

TEST(StrToFloat, ReadsTheFrameworkGrammar)
{
    struct Row {
        const char* text;
        double value;
    } rows[] = {
        {"0", 0},           {"1.5", 1.5},    {"-1.5", -1.5},  {"+2", 2},
        {" 3.25 ", 3.25},   {"1.", 1},       {".5", 0.5},     {"1e3", 1000},
        {"1.5E-3", 0.0015}, {"-2E+2", -200}, {"007.50", 7.5}, {"123456789012345678", 123456789012345678.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_DOUBLE_EQ(StrToFloat(r.text), r.value);
    }
    const char* bad[] = {"", "abc", ".", "1.2.3", "1e", "1e+", "1,5", "--1", "1 2", "1e400", "INF", "$10"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        try {
            StrToFloat(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
        EXPECT_EQ(StrToFloatDef(text, 7.0), 7.0);
    }
}

TEST(FloatToStr, RoundTripsThroughStrToFloatAtFifteenDigits)
{
    for (double v : {3.14159265358979, -2.71828182845905e-12, 6.02214076e23, 1234.5678, 0.001}) {
        SCOPED_TRACE(v);
        const double back = StrToFloat(FloatToStr(v));
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14);
    }
}

TEST(FloatToStrF, FixedNumberExponentAndCurrencyForms)
{
    struct Row {
        double value;
        TFloatFormat format;
        int precision, digits;
        const char* text;
    } rows[] = {
        {1234.5678, ffFixed, 15, 2, "1234.57"},
        {-1234.5678, ffFixed, 15, 0, "-1235"},
        {0.005, ffFixed, 15, 2, "0.01"},
        {0.004, ffFixed, 15, 2, "0.00"},
        {-0.001, ffFixed, 15, 2, "0.00"},
        {1.23456789, ffFixed, 3, 5, "1.23000"},
        {1234567.891, ffNumber, 15, 2, "1,234,567.89"},
        {-999.5, ffNumber, 15, 0, "-1,000"},
        {1234.5, ffExponent, 4, 2, "1.235E+03"},
        {0.00012, ffExponent, 3, 3, "1.20E-004"},
        {1234.5, ffCurrency, 15, 2, "$1,234.50"},
        {-1234.5, ffCurrency, 15, 2, "($1,234.50)"},
        {1e20, ffFixed, 15, 2, "1E+20"},
        {123456789.0, ffGeneral, 2, 3, "1.2E008"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(FloatToStrF(r.value, r.format, r.precision, r.digits), r.text);
    }
}

TEST(FormatFloat, SectionsAndPlaceholders)
{
    struct Row {
        const char* format;
        double value;
        const char* text;
    } rows[] = {
        {"0.00", 1.005, "1.00"}, // 1.005 is just below in binary
        {"0.00", 2.5, "2.50"},
        {"#.##", 0.5, ".5"},
        {"0.##", 1, "1"},
        {"0.##", 1.256, "1.26"},
        {"#,##0.00", 1234567.891, "1,234,567.89"},
        {"#,##0", 999, "999"},
        {"000", 7, "007"},
        {"0", -0.4, "0"},
        {"0", -2.6, "-3"},
        {"0.00;(0.00)", -3.5, "(3.50)"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"'Total: '0.0", 42, "Total: 42.0"},
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.0E-0", 0.00012, "1.2E-4"},
        {"", 2.5, "2.5"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format);
        EXPECT_EQ(FormatFloat(r.format, r.value), r.text);
    }
}

TEST(Currency, ParsesToFourDecimalsAndWritesBack)
{
    struct Row {
        const char* text;
        Int64 raw;
        const char* back;
    } rows[] = {
        {"0", 0, "0"},
        {"1.5", 15000, "1.5"},
        {"-1.5", -15000, "-1.5"},
        {"12.3456", 123456, "12.3456"},
        {"0.00005", 1, "0.0001"}, // half away from zero at the fifth decimal
        {"0.00004", 0, "0"},
        {"-0.00005", -1, "-0.0001"},
        {"1e2", 1000000, "100"},
        {"922337203685477.5807", INT64_MAX, "922337203685477.5807"},
        {"-922337203685477.5808", INT64_MIN, "-922337203685477.5808"},
        {" 5 ", 50000, "5"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        const Currency c = StrToCurr(r.text);
        EXPECT_EQ(c.Raw, r.raw);
        EXPECT_EQ(CurrToStr(c), r.back);
    }
    const char* bad[] = {"abc", "", "922337203685477.5808", "1e20", "1,5"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        try {
            StrToCurr(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "'" + std::string(text) + "' is not a valid floating point value");
        }
    }
    EXPECT_EQ(CurrToStrF(Currency::FromRaw(12345678), ffNumber, 2), "1,234.57");
    EXPECT_EQ(CurrToStrF(Currency::FromRaw(-12345), ffCurrency, 2), "($1.23)");
    EXPECT_EQ(CurrToStrF(Currency::FromRaw(15000), ffFixed, 0), "2");
}

TEST(Currency, FollowsTheLocale)
{
    ScopedFormatSettings scope;
    TFormatSettings& fs = FormatSettings();
    fs.DecimalSeparator = ',';
    fs.ThousandSeparator = ' ';
    fs.CurrencyString = "Ft";
    fs.CurrencyFormat = 3;
    fs.NegCurrFormat = 8;
    EXPECT_EQ(StrToCurr("5,0").Raw, 50000);
    EXPECT_EQ(CurrToStr(Currency::FromRaw(12500)), "1,25");
    EXPECT_EQ(CurrToStrF(Currency::FromRaw(12345678), ffCurrency, 2), "1 234,57 Ft");
    EXPECT_EQ(CurrToStrF(Currency::FromRaw(-12345678), ffCurrency, 2), "-1 234,57 Ft");
}
