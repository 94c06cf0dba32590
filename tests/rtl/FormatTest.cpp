// Format: each conversion, index/width/precision/'*', and the framework's error texts.
#include "framework/rtl/Format.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

using namespace vmado;

TEST(Format, Conversions)
{
    const AnsiString city = "City";
    struct Row {
        AnsiString got;
        const char* expected;
    } rows[] = {
        {Format("x=%d", {12}), "x=12"},
        {Format("x=%3d|", {12}), "x= 12|"},
        {Format("x=%-4d|", {12}), "x=12  |"},
        {Format("x=%.5d", {12}), "x=00012"},
        {Format("x=%.3d", {-5}), "x=-005"},
        {Format("%d", {Int64{-9000000000}}), "-9000000000"},
        {Format("%u", {-1}), "4294967295"},
        {Format("%x", {255}), "FF"},
        {Format("%.4x", {255}), "00FF"},
        {Format("%x", {-1}), "FFFFFFFF"},
        {Format("%X", {Int64{-1}}), "FFFFFFFFFFFFFFFF"},
        {Format("x=%f", {12.0}), "x=12.00"},
        {Format("x=%.3f", {12.0}), "x=12.000"},
        {Format("x=%.*f", {5, 12.0}), "x=12.00000"},
        {Format("%*d|", {4, 7}), "   7|"},
        {Format("x=%9.3e|", {12.0}), "x=1.20E+001|"},
        {Format("%e", {-1234.5}), "-1.23450000000000E+003"},
        {Format("%g", {123.456}), "123.456"},
        {Format("%g", {0.000001}), "1E-6"},
        {Format("%n", {1234567.891}), "1,234,567.89"},
        {Format("%m", {-1234.5}), "($1,234.50)"},
        {Format("%m", {Currency::FromRaw(12345)}), "$1.23"},
        {Format("%.4f", {Currency::FromRaw(12345)}), "1.2345"},
        {Format("%s!", {"abc"}), "abc!"},
        {Format("[%5s][%-5s]", {"ab", "cd"}), "[   ab][cd   ]"},
        {Format("%.2s", {"abcdef"}), "ab"},
        {Format("%s", {city}), "City"},
        {Format("%s", {'c'}), "c"},
        {Format("%2:s %1:s %0:s", {"1st", "2nd", "3rd"}), "3rd 2nd 1st"},
        {Format("%1:s %s %0:s %s", {"a", "b", "c"}), "b c a b"},
        {Format("100%%", {}), "100%"},
        {Format("Conversion or fill up the \"%s\" field", {"CITY"}),
         "Conversion or fill up the \"CITY\" field"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.expected);
        EXPECT_EQ(r.got, r.expected);
    }
}

TEST(Format, TakesAnArgumentListBuiltAtRunTime)
{
    std::vector<TVarRec> args;
    const AnsiString name = "x";
    args.emplace_back(name);
    args.emplace_back('!');
    args.emplace_back(3);
    args.push_back(TVarRec('?')); // a copied character still points at its own byte
    EXPECT_EQ(Format("%s%s%d%s", args), "x!3?");
    EXPECT_THROW(Format("%s%s%d%s%s", args), EConvertError);
}

TEST(Format, UsesTheLocaleSeparators)
{
    ScopedFormatSettings scope;
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().ThousandSeparator = '.';
    EXPECT_EQ(Format("%.1f", {2.25}), "2,3");
    EXPECT_EQ(Format("%n", {1234.5}), "1.234,50");
}

TEST(Format, RejectsMismatchesWithTheFrameworkTexts)
{
    struct Row {
        const char* format;
        std::initializer_list<TVarRec> args;
        const char* message;
    };
    const Row rows[] = {
        {"%d", {1.5}, "Format '%d' invalid or incompatible with argument"},
        {"%f", {1}, "Format '%f' invalid or incompatible with argument"},
        {"%s", {1}, "Format '%s' invalid or incompatible with argument"},
        {"%d", {"x"}, "Format '%d' invalid or incompatible with argument"},
        {"%q", {1}, "Format '%q' invalid or incompatible with argument"},
        {"abc%", {1}, "Format 'abc%' invalid or incompatible with argument"},
        {"%*d", {"x", 1}, "Format '%*d' invalid or incompatible with argument"},
        {"%d %d", {1}, "No argument for format '%d %d'"},
        {"%3:d", {1}, "No argument for format '%3:d'"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.format);
        try {
            Format(r.format, r.args);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), r.message);
        }
    }
}
