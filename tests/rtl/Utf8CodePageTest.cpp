// The UTF-8 code page: every boundary passes bytes through unchanged (malformed ones too), case
// maps by code point without the process locale, the collation orders Latin, Greek and Cyrillic
// letters like the single-byte code pages order theirs, and lengths count characters.
#include "framework/rtl/CodePage.h"
#include "framework/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <clocale>
#include <sstream>
#include <vector>

using namespace vmado;

namespace {

class Utf8Mode : public ::testing::Test {
protected:
    ScopedCodePage cp_{CP_UTF8};
};

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

} // namespace

TEST_F(Utf8Mode, EveryBoundaryKeepsTheBytes)
{
    const std::string texts[] = {
        "João",
        "日本語",
        "😀 emoji",
        "Ωμέγα",
        "Москва",
        "bad \xFF\xC3 bytes \xED\xA0\x80 stay", // invalid lead, truncated sequence, encoded surrogate
    };
    for (const std::string& t : texts) {
        SCOPED_TRACE(t);
        EXPECT_EQ(Utf8ToAnsi(t), t);
        EXPECT_EQ(AnsiToUtf8(t), t);
        EXPECT_TRUE(Utf8FitsCodePage(t));
        EXPECT_EQ(Utf32ToAnsi(AnsiToUtf32(t)), t);
        EXPECT_EQ(PathToAnsi(AnsiToPath(t)), t);
        EXPECT_EQ(AnsiToConsole(t), t);
    }
    EXPECT_EQ(AnsiToUtf32("a\xC3\xA3😀"), (std::u32string{U'a', 0xE3, 0x1F600}));
    EXPECT_EQ(AnsiToUtf32("a\xFF"), (std::u32string{U'a', 0xDCFF})); // a malformed byte's escape
}

TEST_F(Utf8Mode, CaseMapsEveryScriptWithoutTheProcessLocale)
{
    // The C locale knows no letter beyond ASCII; the mapping must not depend on it.
    std::setlocale(LC_ALL, "C");
    struct Row {
        const char* lower;
        const char* upper;
    } rows[] = {
        {"joão são paulo", "JOÃO SÃO PAULO"},
        {"árvíztűrő tükörfúrógép", "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP"},
        {"žluťoučký kůň", "ŽLUŤOUČKÝ KŮŇ"},
        {"ÿ œ æ ø å þ", "Ÿ Œ Æ Ø Å Þ"},
        {"αθήνα ωμέγα", "ΑΘΉΝΑ ΩΜΈΓΑ"},
        {"москва ёлка ґанок", "МОСКВА ЁЛКА ҐАНОК"},
        {"ǆ ạ ễ", "Ǆ Ạ Ễ"},
        {"日本語 😀 123", "日本語 😀 123"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.lower);
        EXPECT_EQ(AnsiUpperCase(r.lower), r.upper);
        EXPECT_EQ(AnsiLowerCase(r.upper), r.lower);
        EXPECT_TRUE(AnsiSameText(r.lower, r.upper));
        EXPECT_EQ(AnsiCompareText(r.lower, r.upper), 0);
    }
    // Mappings that would change the byte length are not made, so positions found in a mapped
    // copy hold in the original; sharp s has no one-character capital.
    EXPECT_EQ(AnsiUpperCase("ıſß"), "ıſß");
    EXPECT_EQ(AnsiLowerCase("İK"), "İk");
    EXPECT_EQ(AnsiUpperCase("a\xFF\xC3z"), "A\xFF\xC3Z");
    EXPECT_EQ(UnicodeUpperChar(U'ω'), U'Ω');
    EXPECT_EQ(UnicodeLowerChar(U'Ж'), U'ж');
    EXPECT_TRUE(IsUnicodeLetter(U'ã'));
    EXPECT_TRUE(IsUnicodeLetter(U'日'));
    EXPECT_FALSE(IsUnicodeLetter(U'😀'));
    EXPECT_FALSE(IsUnicodeLetter(U'7'));
    // The byte functions see only ASCII: a byte from 0x80 on is part of a character.
    EXPECT_EQ(AnsiUpperChar('q'), 'Q');
    EXPECT_EQ(AnsiUpperChar('\xC3'), '\xC3');
    EXPECT_FALSE(IsAnsiLetter('\xC3'));
}

TEST_F(Utf8Mode, CaseInsensitiveReplaceFindsNonAsciiLetters)
{
    EXPECT_EQ(StringReplace("João e JOÃO", "joão", "Ana", rfReplaceAll | rfIgnoreCase), "Ana e Ana");
    EXPECT_EQ(StringReplace("Ωμέγα ΩΜΈΓΑ", "ωμέγα", "x", rfIgnoreCase), "x ΩΜΈΓΑ");
}

TEST_F(Utf8Mode, CollationOrdersLettersLikeTheSingleBytePages)
{
    struct Row {
        const char* a;
        const char* b;
        int textSign; // AnsiCompareText
        int strSign;  // AnsiCompareStr
    } rows[] = {
        {"Joao", "João", -1, -1}, // the plain letter first, the accent breaks the tie
        {"João", "Jose", -1, -1}, // accents sort with their base letter, not after z
        {"João", "JOÃO", 0, -1},  // lower case first
        {"a", "á", -1, -1},         {"á", "b", -1, -1},
        {"ő", "p", -1, -1},         {"z", "ž", -1, -1},
        {"łódź", "lodz", 1, 1},     {"łódź", "m", -1, -1},
        {"co-op", "coop", -1, -1},  {"Co-Op", "co-op", 0, 1},
        {"1", "a", -1, -1},         {"-", "0", -1, -1},
        {"€", "0", -1, -1},         {"z", "α", -1, -1}, // Latin before Greek before Cyrillic
        {"ω", "а", -1, -1},         {"α", "β", -1, -1},
        {"Ω", "ω", 0, 1},           {"ее", "ёа", 1, 1},   // ё sorts under е
        {"я", "日", -1, -1},        {"日", "本", -1, -1}, // other letters by code point
        {"abc", "abc\xFF", -1, -1},                       // a malformed byte sorts after every character
        {"\xFF", "\xFE", 1, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
        EXPECT_EQ(Sign(AnsiCompareText(r.a, r.b)), r.textSign);
        EXPECT_EQ(Sign(AnsiCompareText(r.b, r.a)), -r.textSign);
        EXPECT_EQ(Sign(AnsiCompareStr(r.a, r.b)), r.strSign);
        EXPECT_EQ(AnsiSameText(r.a, r.b), r.textSign == 0);
    }
}

TEST_F(Utf8Mode, ComparisonsAreConsistentOrders)
{
    const std::vector<std::string> chars = {"a", "A", "á", "Á", "b", "ß", "ł", "Ł", "-",  "'", "0",    "9",
                                            " ", "€", "α", "Α", "ά", "я", "Я", "ё", "日", "😀", "\xFF", "ı"};
    for (const std::string& x : chars)
        for (const std::string& y : chars) {
            const int text = AnsiCompareText(x, y);
            const int str = AnsiCompareStr(x, y);
            ASSERT_EQ(text == 0, AnsiSameText(x, y)) << x << " " << y;
            ASSERT_EQ(str == 0, x == y) << x << " " << y;
            ASSERT_EQ(Sign(AnsiCompareText(y, x)), -Sign(text)) << x << " " << y;
            ASSERT_EQ(Sign(AnsiCompareStr(y, x)), -Sign(str)) << x << " " << y;
            if (text != 0) {
                ASSERT_EQ(Sign(str), Sign(text)) << x << " " << y;
            }
        }
}

TEST_F(Utf8Mode, LengthsCountCharactersAndBuffersRoomForTheLongest)
{
    struct Row {
        const char* text;
        Integer characters;
    } rows[] = {{"", 0}, {"abc", 3}, {"João", 4}, {"日本語", 3}, {"😀😀", 2}, {"a\xFF\xC3", 3}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(AnsiCharCount(r.text), r.characters);
    }
    EXPECT_EQ(AnsiMaxCharSize(), 4);
    EXPECT_EQ(AnsiMaxCharSize(CP_1250), 1);
    ScopedCodePage single(CP_1250);
    EXPECT_EQ(AnsiCharCount("João"), 5); // one byte is one character there
}
