// Integer text: the framework's grammar (leading blanks, "$"/"0x" hexadecimal, range limits)
// and its error text.
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(StrToInt, AcceptsTheFrameworkGrammar)
{
    struct Row {
        const char* text;
        Integer value;
    } rows[] = {
        {"0", 0},
        {"42", 42},
        {"-42", -42},
        {"+7", 7},
        {"   12", 12},
        {"$FF", 255},
        {"$ff", 255},
        {"0x1A", 26},
        {"0X1a", 26},
        {"x10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$80000000", -2147483647 - 1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"007", 7},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(StrToInt(r.text), r.value);
        Integer v = 0;
        EXPECT_TRUE(TryStrToInt(r.text, v));
        EXPECT_EQ(v, r.value);
    }
}

TEST(StrToInt, RejectsWithTheFrameworkMessage)
{
    const char* bad[] = {"",  " ",  "abc",        "12 ", "1.5",   "1e3", "2147483648", "-2147483649",
                         "$", "0x", "$100000000", "--1", "1,000", "12a", "\t12"};
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        try {
            StrToInt(text);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' is not a valid integer value");
        }
        EXPECT_EQ(StrToIntDef(text, -5), -5);
    }
}

TEST(StrToInt64, CoversTheFullRange)
{
    EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(StrToInt64("$FFFFFFFFFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("$FFFFFFFF"), 4294967295LL);
    EXPECT_EQ(StrToInt64("3000000000"), 3000000000LL);
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
    EXPECT_EQ(StrToInt64Def("x", 9), 9);
}

TEST(IntToStr, WritesDecimalAndHex)
{
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(IntToStr(Int64{-9000000000}), "-9000000000");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(255, 1), "FF");
    EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(Int64{-1}, 2), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(Int64{0x1234}, 0), "1234");
    // Hex text reads back through StrToInt's "$" form.
    for (Integer v : {0, 1, 255, 65535, -1, 2147483647, -2147483647 - 1}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(StrToInt("$" + IntToHex(v, 8)), v);
    }
}

TEST(StrToBool, ReadsWordsAndNumbers)
{
    EXPECT_TRUE(StrToBool("True"));
    EXPECT_TRUE(StrToBool("TRUE"));
    EXPECT_FALSE(StrToBool("false"));
    EXPECT_TRUE(StrToBool("-1"));
    EXPECT_TRUE(StrToBool("2"));
    EXPECT_FALSE(StrToBool("0"));
    EXPECT_EQ(BoolToStr(true), "-1");
    EXPECT_EQ(BoolToStr(false), "0");
    EXPECT_EQ(BoolToStr(true, true), "True");
    try {
        StrToBool("yes");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'yes' is not a valid boolean value");
    }
}
