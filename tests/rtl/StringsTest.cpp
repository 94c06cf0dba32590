// String helpers: trimming, ASCII and code-page case, comparisons, quoting, searching, replacing.
#include "framework/rtl/CodePage.h"
#include "framework/rtl/SysUtils.h"

#include <gtest/gtest.h>

using namespace vmado;

namespace {
AnsiString A(std::string_view utf8)
{
    return Utf8ToAnsi(utf8);
}
} // namespace

TEST(Trim, RemovesControlCharactersAndBlanks)
{
    const AnsiString s = std::string("\t\r\n \x01"
                                     "a b\x1F \x7F ") +
                         std::string(1, '\0');
    EXPECT_EQ(Trim(s), "a b\x1F \x7F");
    EXPECT_EQ(TrimLeft("  x  "), "x  ");
    EXPECT_EQ(TrimRight("  x  "), "  x");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(A(" ő ")), A("ő")); // bytes above 0x7F are not blanks
}

TEST(Case, AsciiFunctionsLeaveAccentedLettersAlone)
{
    EXPECT_EQ(UpperCase(A("abcőz")), A("ABCőZ"));
    EXPECT_EQ(LowerCase(A("ABCŐZ")), A("abcŐz"));
    EXPECT_EQ(AnsiUpperCase(A("abcőz")), A("ABCŐZ"));
    EXPECT_EQ(AnsiLowerCase(A("ABCŐZ")), A("abcőz"));
    EXPECT_TRUE(SameText("Hello", "hELLO"));
    EXPECT_FALSE(SameText(A("ő"), A("Ő")));
    EXPECT_TRUE(AnsiSameText(A("ő"), A("Ő")));
    EXPECT_FALSE(AnsiSameStr(A("ő"), A("Ő")));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_EQ(CompareText("abc", "ABC"), 0);
    EXPECT_GT(CompareStr("b", "a"), 0);
    EXPECT_LT(CompareStr("A", "a"), 0);
}

TEST(Quoting, DoublesAndUndoublesQuotes)
{
    struct Row {
        const char* plain;
        char quote;
        const char* quoted;
    } rows[] = {
        {"abc", '\'', "'abc'"}, {"it's", '\'', "'it''s'"},
        {"", '\'', "''"},       {"say \"hi\"", '"', "\"say \"\"hi\"\"\""},
        {"''", '\'', "''''''"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.quoted);
        EXPECT_EQ(AnsiQuotedStr(r.plain, r.quote), r.quoted);
        EXPECT_EQ(AnsiDequotedStr(r.quoted, r.quote), r.plain);
    }
    EXPECT_EQ(QuotedStr("O'Neil"), "'O''Neil'");
    EXPECT_EQ(AnsiDequotedStr("abc", '\''), "abc");      // not quoted: unchanged
    EXPECT_EQ(AnsiDequotedStr("'abc'def", '\''), "abc"); // text after the closing quote dropped
    EXPECT_EQ(AnsiDequotedStr("'ab''c", '\''), "ab'c");  // no closing quote: the rest
}

TEST(Search, PositionsCountFromOne)
{
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("x", "abc"), 0);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(PosEx("b", "abcb", 3), 4);
    EXPECT_EQ(PosEx("b", "abcb", 5), 0);
    EXPECT_EQ(PosEx("b", "abcb", 0), 0);
    EXPECT_EQ(Copy("abcdef", 2, 3), "bcd");
    EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
    EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
    EXPECT_EQ(Copy("abcdef", 7, 1), "");
    EXPECT_EQ(Copy("abcdef", 2, -1), "");
    EXPECT_EQ(StringOfChar('-', 3), "---");
    EXPECT_EQ(StringOfChar('-', -3), "");
}

TEST(StringReplace, HonoursTheFlags)
{
    struct Row {
        const char* s;
        const char* from;
        const char* to;
        TReplaceFlags flags;
        const char* result;
    } rows[] = {
        {"a-b-c", "-", "+", 0, "a+b-c"},
        {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
        {"Abc abc ABC", "abc", "x", rfReplaceAll, "Abc x ABC"},
        {"Abc abc ABC", "abc", "x", rfReplaceAll | rfIgnoreCase, "x x x"},
        {"Abc abc", "abc", "x", rfIgnoreCase, "x abc"},
        {"aaa", "aa", "b", rfReplaceAll, "ba"},
        {"abc", "", "x", rfReplaceAll, "abc"},
        {"abc", "abc", "", rfReplaceAll, ""},
        {"xx", "x", "xx", rfReplaceAll, "xxxx"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.s + std::string(" / ") + r.from);
        EXPECT_EQ(StringReplace(r.s, r.from, r.to, r.flags), r.result);
    }
    EXPECT_EQ(StringReplace(A("ŐSZ ősz"), A("ősz"), "x", rfReplaceAll | rfIgnoreCase), "x x");
}

TEST(FileNames, SplitAtSlashes)
{
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(ExtractFileDir("/a/b/c.txt"), "/a/b");
    EXPECT_EQ(ExtractFileDir("/c.txt"), "/");
    EXPECT_EQ(ExtractFileName("/a/b/c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileName("c.txt"), "c.txt");
    EXPECT_EQ(ExtractFileExt("/a/b.d/c.txt"), ".txt");
    EXPECT_EQ(ExtractFileExt("/a/b.d/c"), "");
    EXPECT_EQ(ChangeFileExt("/a/b.d/c.txt", ".drf"), "/a/b.d/c.drf");
    EXPECT_EQ(ChangeFileExt("/a/b.d/c", ".drf"), "/a/b.d/c.drf");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/a/"), "/a");
    EXPECT_EQ(ExcludeTrailingPathDelimiter("/"), "/");
    EXPECT_EQ(ExpandFileName("/a/./b/../c"), "/a/c");
    EXPECT_TRUE(DirectoryExists("/tmp"));
    EXPECT_FALSE(FileExists("/tmp"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(DeleteFile("/nonexistent/vmado/file"));
    EXPECT_FALSE(GetCurrentDir().empty());
}
