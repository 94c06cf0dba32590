// Text helpers: searching, cutting, padding, case mapping, numerals, splitting and joining.
#include "utils/Strings.h"
#include "framework/rtl/CodePage.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

#include <functional>

namespace vmado {
namespace {

struct TextCase {
    const char* Name;
    std::function<AnsiString()> Call;
    AnsiString Expected;
};

void CheckTexts(const std::vector<TextCase>& cases)
{
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Call(), c.Expected);
    }
}

struct IntCase {
    const char* Name;
    std::function<Integer()> Call;
    Integer Expected;
};

void CheckInts(const std::vector<IntCase>& cases)
{
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(c.Call(), c.Expected);
    }
}

TEST(StrTran, ReplacesIgnoringCaseAndTreatsEmptyInputAsNothing)
{
    CheckTexts({
        {"empty Old", [] { return StrTran("abc", "", "x"); }, ""},
        {"empty S", [] { return StrTran("", "a", "x"); }, ""},
        {"ignores case", [] { return StrTran("Abca", "a", "-"); }, "-bc-"},
        {"deletion", [] { return StrTran("a-b-c", "-", ""); }, "abc"},
        {"no rescan of the replacement", [] { return StrTran("aaa", "a", "aa"); }, "aaaaaa"},
        {"non-overlapping", [] { return StrTran("aaaa", "aa", "b"); }, "bb"},
        {"longer pattern", [] { return StrTran("Select x FROM t", "from", "IN"); }, "Select x IN t"},
        {"code-page letters ignore case", [] { return StrTran(Utf8ToAnsi("Éva éva"), Utf8ToAnsi("é"), "e"); },
         "eva eva"},
        {"not found", [] { return StrTran("abc", "x", "y"); }, "abc"},
    });
}

TEST(CharacterSearch, CountsAndFindsOnlyOneCharacterArguments)
{
    CheckInts({
        {"StrCount", [] { return StrCount("a.b.c", "."); }, 2},
        {"StrCount empty S", [] { return StrCount("", "."); }, 0},
        {"StrCount two-char C", [] { return StrCount("a..b", ".."); }, 0},
        {"StrCount empty C", [] { return StrCount("abc", ""); }, 0},
        {"StrPos second", [] { return StrPos("a.b.c", ".", 2); }, 4},
        {"StrPos N<=1 is first", [] { return StrPos("a.b.c", ".", -3); }, 2},
        {"StrPos too few", [] { return StrPos("a.b.c", ".", 3); }, 0},
        {"StrPos empty", [] { return StrPos("", ".", 1); }, 0},
        {"RPos last", [] { return RPos("/dir/file.txt", "/", 1); }, 6},
        {"RPos second from right", [] { return RPos("/dir/file.txt", "/", 2); }, 2},
        {"RPos N<1 is last", [] { return RPos("a.b.c", ".", 0); }, 5},
        {"RPos not found", [] { return RPos("abc", "x", 1); }, 0},
        {"RPos too few", [] { return RPos("a.b", ".", 2); }, 0},
        {"RPos empty", [] { return RPos("", "x", 1); }, 0},
        {"LPos substring", [] { return LPos("abcabc", "bc", 0); }, 2},
        {"LPos substring missing", [] { return LPos("abcabc", "cb", 0); }, 0},
        {"LPos N-th char", [] { return LPos("abcabc", "c", 2); }, 6},
        {"LPos negative N is first", [] { return LPos("abcabc", "c", -1); }, 3},
        {"LPos N-th of a long C", [] { return LPos("abcabc", "bc", 1); }, 0},
        {"LPos empty C", [] { return LPos("abc", "", 0); }, 0},
    });
}

TEST(GetSubStr, TakesTheNthFieldAndEmptyPastTheLast)
{
    CheckTexts({
        {"second", [] { return GetSubStr("a;b;c", 2, ";"); }, "b"},
        {"third is the tail", [] { return GetSubStr("a;b;c", 3, ";"); }, "c"},
        {"first", [] { return GetSubStr("a;b;c", 1, ";"); }, "a"},
        {"no separator at all", [] { return GetSubStr("abc", 1, ";"); }, ""},
        {"N zero", [] { return GetSubStr("a;b", 0, ";"); }, ""},
        {"N negative", [] { return GetSubStr("a;b", -1, ";"); }, ""},
        {"past the last field", [] { return GetSubStr("a;b;c", 4, ";"); }, ""},
        {"far past the last field", [] { return GetSubStr("a;b", 9, ";"); }, ""},
        {"empty field", [] { return GetSubStr("a;;c", 2, ";"); }, ""},
        {"trailing empty field", [] { return GetSubStr("a;b;", 3, ";"); }, ""},
        {"two-character separator", [] { return GetSubStr("a;;b", 2, ";;"); }, ""},
    });
}

TEST(Cutting, LeftRightAndSubStrClipToTheText)
{
    CheckTexts({
        {"LeftStr shorter", [] { return LeftStr("ab", 5); }, "ab"},
        {"LeftStr cut", [] { return LeftStr("abcdef", 3); }, "abc"},
        {"LeftStr zero", [] { return LeftStr("abc", 0); }, ""},
        {"LeftStr negative", [] { return LeftStr("abc", -2); }, ""},
        {"RightStr shorter", [] { return RightStr("ab", 5); }, "ab"},
        {"RightStr cut", [] { return RightStr("abcdef", 2); }, "ef"},
        {"RightStr equal", [] { return RightStr("abc", 3); }, "abc"},
        {"RightStr negative", [] { return RightStr("abc", -1); }, ""},
        {"SubStr middle", [] { return SubStr("abcdef", 2, 3); }, "bcd"},
        {"SubStr start below 1", [] { return SubStr("abcdef", -4, 2); }, "ab"},
        {"SubStr beyond end", [] { return SubStr("abc", 4, 1); }, ""},
        {"SubStr count zero", [] { return SubStr("abc", 1, 0); }, ""},
        {"SubStr runs past end", [] { return SubStr("abc", 2, 100); }, "bc"},
    });
}

TEST(Cutting, NeverSplitsAUtf8Character)
{
    ScopedCodePage utf8(CP_UTF8);
    // "ã" is two bytes and "😀" four: a cut inside one leaves the whole character out.
    CheckTexts({
        {"LeftStr inside", [] { return LeftStr("Joãx", 3); }, "Jo"},
        {"LeftStr after", [] { return LeftStr("Joãx", 4); }, "Joã"},
        {"RightStr inside", [] { return RightStr("x😀", 3); }, ""},
        {"RightStr whole", [] { return RightStr("x😀", 4); }, "😀"},
        {"SubStr inside both ends", [] { return SubStr("aãb😀c", 3, 4); }, "b"},
        {"PadR cut", [] { return PadR("日本語", 7, ' '); }, "日本"},
        {"PadL pads bytes", [] { return PadL("ã", 4, '.'); }, "..ã"},
        {"malformed bytes are cut as bytes", [] { return LeftStr(std::string("a\x80\x80\x80\x80b"), 3); },
         "a\x80\x80"},
    });
}

TEST(Equalize, CollapsesBlankRunsWithoutTrimming)
{
    CheckTexts({
        {"runs", [] { return Equalize("  a   b  "); }, " a b "},
        {"tabs untouched", [] { return Equalize("a\t\tb"); }, "a\t\tb"},
        {"empty", [] { return Equalize(""); }, ""},
        {"only blanks", [] { return Equalize("    "); }, " "},
    });
}

TEST(Predicates, ClassifyTexts)
{
    struct Row {
        const char* Name;
        bool Actual;
        bool Expected;
    };
    const Row rows[] = {
        {"IsSub found", IsSub("bc", "abcd"), true},   {"IsSub case differs", IsSub("BC", "abcd"), false},
        {"IsSub empty Sub", IsSub("", "abc"), false}, {"IsSub empty S", IsSub("a", ""), false},
        {"IsEmptyStr empty", IsEmptyStr(""), true},   {"IsEmptyStr blanks", IsEmptyStr("   "), true},
        {"IsEmptyStr tab", IsEmptyStr(" \t"), false}, {"IsEmptyStr text", IsEmptyStr(" a "), false},
        {"IsDigits dotted", IsDigits("1.2.3"), true}, {"IsDigits comma", IsDigits(","), true},
        {"IsDigits minus", IsDigits("-1"), false},    {"IsDigits blank", IsDigits(" 1"), false},
        {"IsDigits empty", IsDigits(""), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(row.Actual, row.Expected);
    }
}

TEST(Padding, PadsOrCutsOnTheRight)
{
    CheckTexts({
        {"PadR pads", [] { return PadR("ab", 4, '.'); }, "ab.."},
        {"PadR cuts", [] { return PadR("abcdef", 3, ' '); }, "abc"},
        {"PadR zero", [] { return PadR("abc", 0, ' '); }, ""},
        {"PadL pads", [] { return PadL("ab", 4, '0'); }, "00ab"},
        {"PadL cuts on the right", [] { return PadL("abcdef", 3, ' '); }, "abc"},
        {"PadL equal", [] { return PadL("abc", 3, ' '); }, "abc"},
        {"PadC odd extra goes right", [] { return PadC("ab", 5, '*'); }, "*ab**"},
        {"PadC one in four", [] { return PadC("a", 4, '-'); }, "-a--"},
        {"PadC even", [] { return PadC("ab", 4, '*'); }, "*ab*"},
        {"PadC cuts", [] { return PadC("abcdef", 2, '*'); }, "ab"},
        {"PadC empty", [] { return PadC("", 3, '*'); }, "***"},
    });
}

TEST(Zeros, FillAndClear)
{
    CheckTexts({
        {"FillZero text cut", [] { return FillZero(AnsiString("123"), 2); }, "12"},
        {"FillZero text pad", [] { return FillZero(AnsiString("12"), 4); }, "0012"},
        {"FillZero text equal", [] { return FillZero(AnsiString("12"), 2); }, "12"},
        {"FillZero number", [] { return FillZero(7, 3); }, "007"},
        {"FillZero negative number", [] { return FillZero(-5, 4); }, "00-5"},
        {"FillZero number cut", [] { return FillZero(12345, 3); }, "123"},
        {"ClearZero single zero", [] { return ClearZero("0"); }, "0"},
        {"ClearZero all zeros", [] { return ClearZero("000"); }, "000"},
        {"ClearZero leading", [] { return ClearZero("0100"); }, "100"},
        {"ClearZero empty", [] { return ClearZero(""); }, ""},
        {"ClearZero none", [] { return ClearZero("12"); }, "12"},
    });
}

// The Hungarian helpers work on single bytes of Windows-1250.
TEST(HungarianLetters, CaseTablesMapExactlyTheNineVowelPairsAndPlainLetters)
{
    ScopedCodePage singleByte(CP_1250);
    const unsigned char lower[] = {0xE1, 0xE9, 0xED, 0xF3, 0xF5, 0xF6, 0xFA, 0xFB, 0xFC};
    const unsigned char upper[] = {0xC1, 0xC9, 0xCD, 0xD3, 0xD5, 0xD6, 0xDA, 0xDB, 0xDC};
    for (std::size_t i = 0; i < sizeof lower; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<unsigned char>(HunUpperCase(static_cast<char>(lower[i]))), upper[i]);
        EXPECT_EQ(static_cast<unsigned char>(HunLowerCase(static_cast<char>(upper[i]))), lower[i]);
    }
    EXPECT_EQ(HunUpperCase('q'), 'Q');
    EXPECT_EQ(HunLowerCase('Q'), 'q');
    EXPECT_EQ(HunUpperCase('1'), '1');
    // Other accented letters of the code page stay as they are: c with caron, a with ogonek.
    EXPECT_EQ(HunUpperCase('\xE8'), '\xE8');
    EXPECT_EQ(HunLowerCase('\xA5'), '\xA5');
    // An upper-case vowel is not upper-cased again, nor a lower-case one lowered.
    EXPECT_EQ(HunUpperCase('\xC1'), '\xC1');
    EXPECT_EQ(HunLowerCase('\xE1'), '\xE1');
}

TEST(HungarianLetters, StrConvertStripsOnlyUpperCaseAccents)
{
    ScopedCodePage singleByte(CP_1250);
    EXPECT_EQ(StrConvert("\xC1\xC9\xD3\xD6\xD5\xCD\xDA\xDC\xDB"), "AEOOOIUUU");
    EXPECT_EQ(StrConvert("\xE1rv\xEDzt\xFBr\xF5"), "\xE1rv\xEDzt\xFBr\xF5");
    EXPECT_EQ(StrConvert("T\xDCK\xD6R"), "TUKOR");
    EXPECT_EQ(StrConvert(""), "");
}

TEST(Capitals, UpperFirstAndInitCap)
{
    ScopedCodePage singleByte(CP_1250);
    CheckTexts({
        {"UpperFirst accented", [] { return UpperFirst("\xE9VA"); }, "\xC9va"},
        {"UpperFirst empty", [] { return UpperFirst(""); }, ""},
        {"UpperFirst lowers the rest", [] { return UpperFirst("hELLO wORLD"); }, "Hello world"},
        {"InitCap empty", [] { return InitCap(""); }, ""},
        {"InitCap single", [] { return InitCap("x"); }, "X"},
        {"InitCap nothing lowered", [] { return InitCap("hELLO wORLD"); }, "HELLO WORLD"},
        {"InitCap several blanks", [] { return InitCap("a  b"); }, "A  B"},
        {"InitCap only blank separates", [] { return InitCap("a-b c.d"); }, "A-b C.d"},
        {"InitCap accented",
         [] {
             return InitCap("\xE1rp\xE1"
                            "d \xFCl");
         },
         "\xC1rp\xE1"
         "d \xDCl"},
    });
}

TEST(Hex, RoundTripsAndRejectsNonHexPairs)
{
    CheckTexts({
        {"StrToHex", [] { return StrToHex("A"); }, "41"},
        {"StrToHex high bytes", [] { return StrToHex(AnsiString("\x00\xFF\x0a", 3)); }, "00FF0A"},
        {"StrToHex empty", [] { return StrToHex(""); }, ""},
        {"HexToStr odd digit ignored", [] { return HexToStr("414"); }, "A"},
        {"HexToStr lower case", [] { return HexToStr("6a6B"); }, "jk"},
        {"HexToStr empty", [] { return HexToStr(""); }, ""},
    });
    const AnsiString all = [] {
        AnsiString s;
        for (int i = 0; i < 256; ++i)
            s += static_cast<char>(i);
        return s;
    }();
    EXPECT_EQ(HexToStr(StrToHex(all)), all);
    for (const char* bad : {"4G", "ZZ", "41 1", "-1", "x1"}) {
        SCOPED_TRACE(bad);
        try {
            HexToStr(bad);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find("is not a valid integer value"), std::string::npos);
        }
    }
}

TEST(Roman, TwentyNumeralsBothWays)
{
    const char* numerals[] = {"I",  "II",  "III",  "IV",  "V",  "VI",  "VII",  "VIII",  "IX",  "X",
                              "XI", "XII", "XIII", "XIV", "XV", "XVI", "XVII", "XVIII", "XIX", "XX"};
    for (Word n = 1; n <= 20; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(DecToRoman(n), numerals[n - 1]);
        EXPECT_EQ(RomanToDec(numerals[n - 1]), n);
    }
    EXPECT_EQ(DecToRoman(0), "");
    EXPECT_EQ(DecToRoman(21), "");
    EXPECT_EQ(DecToRoman(65535), "");
    EXPECT_EQ(RomanToDec("iv"), 0);
    EXPECT_EQ(RomanToDec(" IV"), 0);
    EXPECT_EQ(RomanToDec("XXI"), 0);
    EXPECT_EQ(RomanToDec(""), 0);
}

TEST(Extraction, DigitsAndTextBeforeStopWords)
{
    CheckTexts({
        {"no digits gives default", [] { return ExtractDigits("abc", "0"); }, "0"},
        {"digits in order", [] { return ExtractDigits("a1-2", ""); }, "12"},
        {"empty S", [] { return ExtractDigits("", "x"); }, "x"},
        {"stop words",
         [] {
             return ExtractText("x = 1 GROUP BY a ORDER BY b", {"GROUP BY", "ORDER BY"});
         },
         "x = 1 "},
        {"stop words reversed",
         [] {
             return ExtractText("x = 1 GROUP BY a ORDER BY b", {"ORDER BY", "GROUP BY"});
         },
         "x = 1 "},
        {"ignores case", [] { return ExtractText("a order by b", {"ORDER BY"}); }, "a "},
        {"inside a longer word", [] { return ExtractText("xhavingy", {"having"}); }, "x"},
        {"none found",
         [] {
             return ExtractText("abc", {"x", "y"});
         },
         "abc"},
        {"empty list", [] { return ExtractText("abc", {}); }, "abc"},
        {"empty stop word ignored",
         [] {
             return ExtractText("abc", {"", "c"});
         },
         "ab"},
    });
}

TEST(Cleaning, CleanTextAndCleanNumber)
{
    CheckTexts({
        {"CleanText", [] { return CleanText("  a\r\n  b "); }, "a b"},
        {"CleanText control chars trimmed", [] { return CleanText("\t a  b \x01"); }, "a b"},
        {"CleanText empty", [] { return CleanText(""); }, ""},
        {"CleanText lone line feeds", [] { return CleanText("a\nb\rc"); }, "a b c"},
        {"CleanText break without blanks", [] { return CleanText("a\r\nb"); }, "a b"},
        {"CleanNumber empty", [] { return CleanNumber(""); }, "0"},
        {"CleanNumber currency and thousands", [] { return CleanNumber("$1,234,567.89"); }, "1234567.89"},
        {"CleanNumber only currency", [] { return CleanNumber("$"); }, "0"},
    });
    TFormatSettings hungarian;
    hungarian.CurrencyString = "Ft";
    hungarian.ThousandSeparator = ' ';
    hungarian.DecimalSeparator = ',';
    ScopedFormatSettings scope(hungarian);
    EXPECT_EQ(CleanNumber("1 234,5 ft"), "1234,5");
    EXPECT_EQ(CleanNumber("FT"), "0");
}

TEST(Cleaning, CleanNumberWithoutCurrencyTextKeepsTheNumber)
{
    TFormatSettings settings;
    settings.CurrencyString = "";
    ScopedFormatSettings scope(settings);
    EXPECT_EQ(CleanNumber("1,234"), "1234");
}

TEST(Lists, StrToStringsAppendsTrimmedItems)
{
    struct Row {
        const char* S;
        const char* Sep;
        std::vector<AnsiString> Items;
    };
    const Row rows[] = {
        {"a,,b", ",", {"a", "", "b"}},
        {" a , b ", ",", {"a", "b"}},
        {"a,b,", ",", {"a", "b"}},
        {"", ",", {}},
        {" ", ",", {}},
        {"a, ", ",", {"a", ""}},
        {"abc", ",", {"abc"}},
        {",", ",", {""}},
        {"a;b", ";;", {"a;b"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.S);
        TStringList list;
        list.Add("kept");
        StrToStrings(row.S, list, row.Sep);
        ASSERT_EQ(list.Count(), static_cast<Integer>(row.Items.size() + 1));
        EXPECT_EQ(list[0], "kept");
        for (std::size_t i = 0; i < row.Items.size(); ++i)
            EXPECT_EQ(list[static_cast<Integer>(i + 1)], row.Items[i]);
    }
}

TEST(Lists, StringsToStrPrefixesEveryItem)
{
    TStringList list;
    EXPECT_EQ(StringsToStr(list, ",", true), "");
    list.Add("a");
    list.Add("");
    list.Add("b");
    EXPECT_EQ(StringsToStr(list, ",", false), ",a,b");
    EXPECT_EQ(StringsToStr(list, ",", true), ",a,,b");
    EXPECT_EQ(StringsToStr(list, "; ", false), "; a; b");
}

} // namespace
} // namespace vmado
