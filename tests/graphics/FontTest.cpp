// TFont: defaults, the size/height relation at 96 dpi, change signals and assignment.
#include "framework/graphics/Graphics.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(Font, DefaultsAreTheFrameworkFont)
{
    TFont font;
    EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(font.Color(), clWindowText);
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Pitch(), fpDefault);
    EXPECT_TRUE(font.Style().Empty());
    EXPECT_EQ(font.ClassName(), "TFont");
}

struct SizeHeight {
    Integer Size;
    Integer Height;
};

TEST(Font, SizeAndHeightAreTiedAt96Dpi)
{
    const SizeHeight rows[] = {{8, -11}, {9, -12}, {10, -13}, {12, -16}, {14, -19}, {72, -96}, {0, 0}};
    for (const SizeHeight& row : rows) {
        SCOPED_TRACE(row.Size);
        TFont font;
        font.SetSize(row.Size);
        EXPECT_EQ(font.Height(), row.Height);
        EXPECT_EQ(font.Size(), row.Size);
    }
    TFont font;
    font.SetHeight(-15); // 11.25 points
    EXPECT_EQ(font.Size(), 11);
    font.SetHeight(20); // a positive height is a cell height; the size comes out negative
    EXPECT_EQ(font.Size(), -15);
}

TEST(Font, MulDivRoundsHalvesAwayFromZero)
{
    EXPECT_EQ(MulDiv(8, 96, 72), 11);
    EXPECT_EQ(MulDiv(-11, 72, 96), -8);
    EXPECT_EQ(MulDiv(1, 3, 2), 2);
    EXPECT_EQ(MulDiv(-1, 3, 2), -2);
    EXPECT_EQ(MulDiv(5, 1, 0), -1);
    EXPECT_EQ(MulDiv(2000000000, 4, 1), -1); // does not fit 32 bits
}

TEST(Font, SettersSignalOnlyRealChanges)
{
    TFont font;
    int changes = 0;
    font.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &font);
        ++changes;
    };
    font.SetName("MS Sans Serif");
    font.SetSize(8);
    font.SetColor(clWindowText);
    EXPECT_EQ(changes, 0);
    font.SetName("Arial");
    font.SetStyle({fsBold, fsItalic});
    font.SetPitch(fpFixed);
    font.SetCharset(EASTEUROPE_CHARSET);
    EXPECT_EQ(changes, 4);
}

TEST(Font, AssignCopiesEverythingWithOneSignal)
{
    TFont source;
    source.SetName("Courier New");
    source.SetSize(10);
    source.SetColor(clRed);
    source.SetStyle({fsUnderline});
    source.SetPitch(fpFixed);
    source.SetCharset(EASTEUROPE_CHARSET);
    TFont target;
    int changes = 0;
    target.OnChange = [&](TObject*) { ++changes; };
    target.Assign(&source);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(target.Name(), "Courier New");
    EXPECT_EQ(target.Height(), -13);
    EXPECT_EQ(target.Color(), clRed);
    EXPECT_TRUE(target.Style() == TFontStyles({fsUnderline}));
    EXPECT_EQ(target.Pitch(), fpFixed);
    EXPECT_EQ(target.Charset(), EASTEUROPE_CHARSET);

    TPersistent other;
    EXPECT_THROW(target.Assign(&other), EConvertError);
}
