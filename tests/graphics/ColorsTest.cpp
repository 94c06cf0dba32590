// Colour constants, names and text forms, and the fixed RGB values of the system colours.
#include "framework/graphics/Graphics.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(Colors, SystemColoursAreNegativeWithTheIndexInTheLowByte)
{
    EXPECT_EQ(static_cast<std::uint32_t>(clWindow), 0x80000005u);
    EXPECT_EQ(static_cast<std::uint32_t>(clWindowText), 0x80000008u);
    EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0x8000000Fu);
    EXPECT_EQ(static_cast<std::uint32_t>(clInfoText), 0x80000017u);
    EXPECT_EQ(static_cast<std::uint32_t>(clInfoBk), 0x80000018u);
    EXPECT_LT(clWindowText, 0);
    EXPECT_EQ(clWindowText, -2147483640); // the signed value the font text stores
}

struct ColorName {
    TColor Color;
    const char* Text;
};

TEST(Colors, ColorToStringAndBack)
{
    const ColorName rows[] = {
        {clBlack, "clBlack"},
        {clRed, "clRed"},
        {clBlue, "clBlue"},
        {clWhite, "clWhite"},
        {clMoneyGreen, "clMoneyGreen"},
        {clMedGray, "clMedGray"},
        {clWindow, "clWindow"},
        {clWindowText, "clWindowText"},
        {clInfoBk, "clInfoBk"},
        {clNone, "clNone"},
        {clDefault, "clDefault"},
        {0x123456, "$00123456"},
        {SystemColor(25), "$80000019"},
    };
    for (const ColorName& row : rows) {
        SCOPED_TRACE(row.Text);
        EXPECT_EQ(ColorToString(row.Color), row.Text);
        EXPECT_EQ(StringToColor(row.Text), row.Color);
    }
    EXPECT_EQ(StringToColor("CLRED"), clRed); // names ignore case
    EXPECT_EQ(StringToColor("255"), clRed);
    EXPECT_EQ(StringToColor("-2147483640"), clWindowText);
    // Silver and light grey share a value; the value's name is the first one.
    EXPECT_EQ(ColorToString(clLtGray), "clSilver");
}

TEST(Colors, StringToColorRejectsOtherText)
{
    for (const char* bad : {"", "clPink", "$", "$123456789", "12x", "1e3"}) {
        SCOPED_TRACE(bad);
        try {
            StringToColor(bad);
            ADD_FAILURE() << "accepted";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find("is not a valid integer value"), std::string::npos)
                << e.what();
        }
    }
}

TEST(Colors, ColorToRgbResolvesSystemColours)
{
    EXPECT_EQ(ColorToRGB(clRed), clRed);
    EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFF);
    EXPECT_EQ(ColorToRGB(clWindowText), 0x000000);
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC8D0D4); // R 212, G 208, B 200 as $00BBGGRR
    EXPECT_EQ(ColorToRGB(clInfoBk), 0xE1FFFF);  // R 255, G 255, B 225
    EXPECT_EQ(ColorToRGB(SystemColor(200)), 0); // no such system colour
}

TEST(Colors, CharsetNames)
{
    AnsiString name;
    ASSERT_TRUE(CharsetToIdent(DEFAULT_CHARSET, name));
    EXPECT_EQ(name, "DEFAULT_CHARSET");
    Integer value = 0;
    ASSERT_TRUE(IdentToCharset("easteurope_charset", value));
    EXPECT_EQ(value, 238);
    EXPECT_FALSE(CharsetToIdent(3, name));
}
