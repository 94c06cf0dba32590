// Code page tables: every byte survives UTF-8, the accented letters of both code pages map case
// both ways, unmappable and malformed text becomes '?', and the collation orders accents.
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace vmado;

namespace {

// UTF-8 literals turned into the code page's bytes, so tests read naturally.
AnsiString A(std::string_view utf8, Integer cp = 0)
{
    return Utf8ToAnsi(utf8, cp);
}

class EveryCodePage : public ::testing::TestWithParam<Integer> {};

} // namespace

TEST_P(EveryCodePage, EveryByteRoundTripsThroughUtf8)
{
    const Integer cp = GetParam();
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const AnsiString one(1, static_cast<char>(b));
        const std::string utf8 = AnsiToUtf8(one, cp);
        EXPECT_EQ(Utf8ToAnsi(utf8, cp), one);
        EXPECT_TRUE(Utf8FitsCodePage(utf8, cp));
        char back = 0;
        ASSERT_TRUE(UnicodeToAnsiChar(AnsiCharToUnicode(static_cast<unsigned char>(b), cp), back, cp));
        EXPECT_EQ(static_cast<unsigned char>(back), b);
    }
}

TEST_P(EveryCodePage, CaseMappingIsConsistentForEveryByte)
{
    const Integer cp = GetParam();
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const char c = static_cast<char>(b);
        const char up = AnsiUpperChar(c, cp);
        const char low = AnsiLowerChar(c, cp);
        // A letter that changes case comes back unchanged through the opposite mapping.
        if (up != c) {
            EXPECT_EQ(AnsiLowerChar(up, cp), c);
        }
        if (low != c) {
            EXPECT_EQ(AnsiUpperChar(low, cp), c);
        }
        // Case-insensitive equality and the collation agree on every byte.
        EXPECT_EQ(AnsiCharSortKey(up, cp).Primary, AnsiCharSortKey(c, cp).Primary);
        EXPECT_EQ(AnsiCharSortKey(up, cp).Secondary, AnsiCharSortKey(c, cp).Secondary);
    }
}

TEST_P(EveryCodePage, ComparisonsAreConsistentOrdersForEveryPairOfBytes)
{
    ScopedCodePage scope(GetParam());
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 256; ++y) {
            const AnsiString a{static_cast<char>(x)}, b{static_cast<char>(y)};
            const int text = AnsiCompareText(a, b);
            const int str = AnsiCompareStr(a, b);
            ASSERT_EQ(text == 0, AnsiSameText(a, b)) << x << " " << y;
            ASSERT_EQ(str == 0, x == y) << x << " " << y;
            ASSERT_EQ(sign(AnsiCompareText(b, a)), -sign(text)) << x << " " << y;
            ASSERT_EQ(sign(AnsiCompareStr(b, a)), -sign(str)) << x << " " << y;
            // Case only refines the case-blind order, never contradicts it.
            if (text != 0) {
                ASSERT_EQ(sign(str), sign(text)) << x << " " << y;
            }
        }
}

INSTANTIATE_TEST_SUITE_P(CodePages, EveryCodePage, ::testing::Values(CP_1250, CP_1252));

TEST(CodePage, CaseMapsEveryAccentedLetterOf1250)
{
    ScopedCodePage cp(CP_1250);
    const char* upper = "ÁÂĂÄĄĆÇČĎĐÉĘËĚÍÎĹĽŁŃŇÓÔŐÖŔŘŚŠŞŤŢÚŮŰÜÝŹŻŽ";
    const char* lower = "áâăäąćçčďđéęëěíîĺľłńňóôőöŕřśšşťţúůűüýźżž";
    EXPECT_EQ(AnsiUpperCase(A(lower)), A(upper));
    EXPECT_EQ(AnsiLowerCase(A(upper)), A(lower));
    EXPECT_EQ(A(upper).size(), 40u);
    // Sharp s has no capital in the code page and stays; ASCII maps as usual.
    EXPECT_EQ(AnsiToUtf8(AnsiUpperCase(A("straße ÁRVÍZTŰRŐ tükörfúrógép"))), "STRAßE ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP");
}

TEST(CodePage, CaseMapsEveryAccentedLetterOf1252)
{
    ScopedCodePage cp(CP_1252);
    const char* upper = "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞŠŒŽŸ";
    const char* lower = "àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþšœžÿ";
    EXPECT_EQ(AnsiUpperCase(A(lower)), A(upper));
    EXPECT_EQ(AnsiLowerCase(A(upper)), A(lower));
    EXPECT_EQ(A(upper).size(), 34u);
    EXPECT_EQ(AnsiUpperChar(A("ß")[0]), A("ß")[0]); // no capital in the code page
    EXPECT_TRUE(IsAnsiLower(A("ß")[0]));
    EXPECT_TRUE(IsAnsiUpper(A("Ÿ")[0]));
}

TEST(CodePage, SameBytesMeanDifferentLettersPerCodePage)
{
    // 0xF5 is o with double acute in 1250 and o with tilde in 1252.
    EXPECT_EQ(AnsiToUtf8("\xF5", CP_1250), "ő");
    EXPECT_EQ(AnsiToUtf8("\xF5", CP_1252), "õ");
    EXPECT_EQ(AnsiToUtf8("\x80", CP_1250), "€");
    EXPECT_EQ(AnsiToUtf8("\x8A", CP_1252), "Š");
    EXPECT_EQ(AnsiToUtf8("\x81", CP_1252), "\xC2\x81"); // unassigned: the C1 control of the same number
}

TEST(CodePage, UnmappableAndMalformedTextBecomesQuestionMarks)
{
    struct Row {
        const char* utf8;
        Integer cp;
        const char* ansi;
    } rows[] = {
        {"ő", CP_1252, "?"},     // not in Western European
        {"õ", CP_1250, "?"},     // not in Central European
        {"日本", CP_1250, "??"}, // one replacement per character
        {"😀x", CP_1250, "?x"},   // four-byte character
        {"a\xFF"
         "b",
         CP_1250, "a?b"},                 // invalid lead byte
        {"a\xC3", CP_1250, "a?"},         // truncated sequence
        {"\xC0\xAF", CP_1250, "??"},      // overlong form
        {"\xED\xA0\x80!", CP_1250, "?!"}, // encoded surrogate
        {"\xC3"
         "A",
         CP_1250, "?A"}, // continuation missing, the next character kept
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.utf8);
        EXPECT_EQ(Utf8ToAnsi(r.utf8, r.cp), r.ansi);
        EXPECT_FALSE(Utf8FitsCodePage(r.utf8, r.cp));
    }
}

TEST(CodePage, CurrentCodePageIsSettableAndRestored)
{
    const Integer start = GetACP();
    for (Integer cp : {CP_1250, CP_1252, CP_UTF8}) {
        SCOPED_TRACE(cp);
        ScopedCodePage scope(cp);
        EXPECT_EQ(GetACP(), cp);
        EXPECT_EQ(IsUtf8CodePage(), cp == CP_UTF8);
    }
    EXPECT_EQ(GetACP(), start);
    {
        ScopedCodePage cp(CP_1252);
        EXPECT_EQ(AnsiToUtf8("\xF5"), "õ");
    }
    try {
        SetACP(1251);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("1251"), std::string::npos);
    }
    EXPECT_EQ(GetACP(), start);
}

TEST(CodePage, StartsInTheCodePageTheEnvironmentNames)
{
    const char* named = std::getenv("VMADO_CODEPAGE");
    EXPECT_EQ(GetACP(), named && *named ? std::atoi(named) : CP_1250);
}

TEST(CodePage, CannotChangeWhileTextOfTheCurrentOneIsHeld)
{
    const Integer start = GetACP();
    const Integer other = start == CP_UTF8 ? CP_1250 : CP_UTF8;
    {
        CodePageLock lock;
        try {
            SetACP(other);
            FAIL() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find("while 1 database connection"), std::string::npos)
                << e.what();
        }
        EXPECT_EQ(GetACP(), start);
        SetACP(start); // choosing the code page in force changes nothing
    }
    ScopedCodePage free(other);
    EXPECT_EQ(GetACP(), other);
}

TEST(CodePage, CollationPutsAccentsBetweenBaseLetters)
{
    ScopedCodePage cp(CP_1250);
    struct Row {
        const char* a;
        const char* b;
        int textSign; // AnsiCompareText
        int strSign;  // AnsiCompareStr
    } rows[] = {
        {"a", "á", -1, -1},
        {"á", "b", -1, -1},
        {"ő", "p", -1, -1},
        {"Ő", "ő", 0, 1},
        {"a", "A", 0, -1},
        {"Árvíz", "arviz", 1, 1},
        {"abc", "abd", -1, -1},
        {"ab", "abc", -1, -1},
        {"1", "a", -1, -1},
        {"-", "0", -1, -1},
        {"ÁRVÍZTŰRŐ", "árvíztűrő", 0, 1},
        {"z", "ž", -1, -1},
        {"co-op", "coop", -1, -1},
        {"co-op", "cop", -1, -1},
        {"coo", "co-op", -1, -1},
        {"it's", "its", -1, -1},
        {"Co-Op", "co-op", 0, 1},
        {"a b", "ab", -1, -1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.a) + " vs " + r.b);
        const AnsiString a = A(r.a), b = A(r.b);
        auto sign = [](int v) { return (v > 0) - (v < 0); };
        EXPECT_EQ(sign(AnsiCompareText(a, b)), r.textSign);
        EXPECT_EQ(sign(AnsiCompareText(b, a)), -r.textSign);
        EXPECT_EQ(sign(AnsiCompareStr(a, b)), r.strSign);
        EXPECT_EQ(AnsiSameText(a, b), r.textSign == 0);
    }
}

TEST(CodePage, FileNamesAndTerminalTextAreUtf8)
{
    ScopedCodePage cp(CP_1250);
    const AnsiString name = A("/tmp/árvíz ő.txt");
    EXPECT_EQ(AnsiToPath(name).native(), "/tmp/árvíz ő.txt");
    EXPECT_EQ(PathToAnsi(AnsiToPath(name)), name);
    std::ostringstream out;
    WriteAnsi(out, A("Tükör"));
    EXPECT_EQ(out.str(), "Tükör");
    EXPECT_EQ(AnsiToConsole(A("ű")), "ű");
}
