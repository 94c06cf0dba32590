// Literal readers: dates in every accepted form, numbers, currency amounts.
#include "ExpressionTestRows.h"

#include "ado/engine/expression/internal/Literals.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

using namespace engine::internal;

TEST(ExpressionLiterals, DateTexts)
{
    struct Row {
        const char* Text;
        double Expected;
    };
    const Row rows[] = {
        {"2024-01-05", DateValue(2024, 1, 5)},
        {"2024-01-05 03:04:05 PM", DateValue(2024, 1, 5, 15, 4, 5)},
        {"2024-01-05 12:00:00 AM", DateValue(2024, 1, 5)},
        {"2024-01-05 12:30:00 PM", DateValue(2024, 1, 5, 12, 30)},
        {"2024-01-05T23:59:59", DateValue(2024, 1, 5, 23, 59, 59)},
        {"2024-01-05 15:04", DateValue(2024, 1, 5, 15, 4)},
        {"1/5/2024", DateValue(2024, 1, 5)},
        {"12/31/99", DateValue(1999, 12, 31)},
        {"8/24/95", DateValue(1995, 8, 24)},
        {"1/1/20", DateValue(2020, 1, 1)},
        {"1/1/29", DateValue(2029, 1, 1)},
        {"1/1/30", DateValue(1930, 1, 1)},
        {"6/15/75", DateValue(1975, 6, 15)},
        {"2/3/00", DateValue(2000, 2, 3)},
        {"1899-12-30", 0.0},
        {" 2000-02-29 ", DateValue(2000, 2, 29)},
        {"15:04:05", (15 * 3600 + 4 * 60 + 5) / 86400.0},
        {"03:04:05 PM", (15 * 3600 + 4 * 60 + 5) / 86400.0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.Text);
        double v = -12345;
        ASSERT_TRUE(ParseDateTime(r.Text, v));
        EXPECT_NEAR(v, r.Expected, 1e-9);
    }
    EXPECT_EQ(DateValue(2024, 1, 5), 45296.0);
}

TEST(ExpressionLiterals, BadDateTexts)
{
    for (const char* t : {"", "2024", "2024-02-30", "2023-02-29", "2024-01-05 25:00", "2024-01-05 13:00 PM",
                          "2024-01-05x", "1/5", "abc", "2024-01-05 03:04:05 XM", "99999-01-01", "-1/2/3"}) {
        SCOPED_TRACE(t);
        double v;
        EXPECT_FALSE(ParseDateTime(t, v));
    }
}

TEST(ExpressionLiterals, StandardDateTextRoundTrips)
{
    char buf[32];
    EXPECT_EQ(FormatDateTime(DateValue(2024, 1, 5), buf), "2024-01-05");
    EXPECT_EQ(FormatDateTime(DateValue(2024, 1, 5, 14, 5, 9), buf), "2024-01-05 02:05:09 PM");
    EXPECT_EQ(FormatDateTime(DateValue(2024, 1, 5, 0, 0, 1), buf), "2024-01-05 12:00:01 AM");
}

TEST(ExpressionLiterals, NumbersAndCurrency)
{
    double d;
    EXPECT_TRUE(ParseNumber("12.5", d));
    EXPECT_EQ(d, 12.5);
    EXPECT_TRUE(ParseNumber("-1e3", d));
    EXPECT_EQ(d, -1000);
    EXPECT_FALSE(ParseNumber("12,5", d));
    EXPECT_FALSE(ParseNumber("1.2.3x", d));
    EXPECT_FALSE(ParseNumber("", d));
    Int64 raw;
    EXPECT_TRUE(ParseCurrency("10.25", raw));
    EXPECT_EQ(raw, 102500);
    EXPECT_TRUE(ParseCurrency("-0.00005", raw));
    EXPECT_EQ(raw, -1);
    EXPECT_TRUE(ParseCurrency("922337203685477.5807", raw));
    EXPECT_EQ(raw, INT64_MAX);
    EXPECT_FALSE(ParseCurrency("922337203685478", raw));
    EXPECT_FALSE(ParseCurrency("922337203685477.58075", raw)); // rounds beyond the largest amount
    EXPECT_FALSE(ParseCurrency("1e5", raw));
    Int64 i;
    EXPECT_TRUE(ParseInteger("-42", i));
    EXPECT_EQ(i, -42);
    EXPECT_FALSE(ParseInteger("99999999999999999999", i));
}

} // namespace
} // namespace vmado::test
