// CommaText and DelimitedText: the framework's splitting (commas, and blanks or control
// characters outside quotes) and quoting (empty items and items with separators or quotes).
#include "framework/classes/Strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vmado;

namespace {

std::vector<std::string> Items(const TStrings& list)
{
    std::vector<std::string> items;
    for (Integer i = 0; i < list.Count(); ++i)
        items.push_back(list.Strings(i));
    return items;
}

void Fill(TStringList& list, const std::vector<std::string>& items)
{
    for (const auto& s : items)
        list.Add(s);
}

struct ReadCase {
    const char* Text;
    std::vector<std::string> Expected;
};

const ReadCase kReadCases[] = {
    {R"(a b,"c d",,"e""f")", {"a", "b", "c d", "", "e\"f"}},
    {"", {}},
    {"   ", {}},
    {"a", {"a"}},
    {"a,", {"a", ""}},
    {",", {"", ""}},
    {",a", {"", "a"}},
    {"a,,", {"a", "", ""}},
    {"  a  ,  b  ", {"a", "b"}},
    {"a, ,b", {"a", "", "b"}},
    {"a\tb\nc\r\nd", {"a", "b", "c", "d"}},
    {"\"a b\"", {"a b"}},
    {"\"\"", {""}},
    {"\"a,b\",c", {"a,b", "c"}},
    {"\"ab\"cd,e", {"abcd", "e"}},
    {"\"a\"b c", {"ab", "c"}},
    {"\"a\" , \"b\"", {"a", "b"}},
    {"\"unterminated, still", {"unterminated, still"}},
    {"a\"b,c", {"a\"b", "c"}},
    {"\"\"\"\"", {"\""}},
    // Bytes above 0x7F are letters of the code page, never separators.
    {"\xE1rv\xEDz,t\xFBr\xF5 \xDC", {"\xE1rv\xEDz", "t\xFBr\xF5", "\xDC"}},
};

TEST(CommaText, ReadsLikeTheFramework)
{
    for (const auto& c : kReadCases) {
        SCOPED_TRACE(c.Text);
        TStringList list;
        list.Add("old item");
        list.SetCommaText(c.Text);
        EXPECT_EQ(Items(list), c.Expected);
    }
}

TEST(CommaText, EmbeddedZeroByteSeparatesOutsideQuotes)
{
    TStringList list;
    list.SetCommaText(std::string("a\0b,\"c\0d\"", 9));
    EXPECT_EQ(Items(list), (std::vector<std::string>{"a", "b", std::string("c\0d", 3)}));
}

struct WriteCase {
    std::vector<std::string> Items;
    const char* Expected;
};

const WriteCase kWriteCases[] = {
    {{}, ""},
    {{""}, "\"\""},
    {{"a", "b"}, "a,b"},
    {{"a b"}, "\"a b\""},
    {{"a,b"}, "\"a,b\""},
    {{"e\"f"}, "\"e\"\"f\""},
    {{"a", "", "b"}, "a,\"\",b"},
    {{"a", ""}, "a,\"\""},
    {{"tab\there"}, "\"tab\there\""},
    {{"x=1", "y=2"}, "x=1,y=2"},
    {{"'single'"}, "'single'"},
    {{"\xE1rv\xEDz"}, "\xE1rv\xEDz"},
};

TEST(CommaText, WritesLikeTheFramework)
{
    for (const auto& c : kWriteCases) {
        SCOPED_TRACE(c.Expected);
        TStringList list;
        Fill(list, c.Items);
        EXPECT_EQ(list.CommaText(), c.Expected);
    }
}

TEST(CommaText, WhatIsWrittenReadsBackUnchanged)
{
    for (const auto& c : kWriteCases) {
        SCOPED_TRACE(c.Expected);
        TStringList written;
        Fill(written, c.Items);
        TStringList read;
        read.SetCommaText(written.CommaText());
        EXPECT_EQ(Items(read), c.Items);
    }
}

TEST(CommaText, IgnoresTheListsOwnDelimiterSettings)
{
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    list.SetCommaText("a;b,'c d'");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"a;b", "'c", "d'"}));
    EXPECT_EQ(list.CommaText(), "a;b,'c,d'");
    EXPECT_EQ(list.Delimiter(), ';');
    EXPECT_EQ(list.QuoteChar(), '\'');
}

TEST(DelimitedText, UsesDelimiterAndQuoteChar)
{
    TStringList list;
    list.SetDelimiter(';');
    list.SetQuoteChar('\'');
    list.SetDelimitedText("x;'y z';w v;;'it''s'");
    EXPECT_EQ(Items(list), (std::vector<std::string>{"x", "y z", "w", "v", "", "it's"}));
    EXPECT_EQ(list.DelimitedText(), "x;'y z';w;v;'';'it''s'");
}

TEST(DelimitedText, StrictDelimiterKeepsBlanks)
{
    TStringList list;
    list.SetDelimiter('|');
    list.SetStrictDelimiter(true);
    list.SetDelimitedText(" a b |c,d|\"e|f\"");
    EXPECT_EQ(Items(list), (std::vector<std::string>{" a b ", "c,d", "e|f"}));
    EXPECT_EQ(list.DelimitedText(), " a b |c,d|\"e|f\"");
}

TEST(CommaText, ReadingFiresOneChangeForTheWholeText)
{
    TStringList list;
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.SetCommaText("a,b,c,d");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(list.Count(), 4);
}

} // namespace
