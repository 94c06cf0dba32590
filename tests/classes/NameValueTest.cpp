// Name=value lookups of string lists: the name is the text before the first "=", compared
// ignoring case through the code page.
#include "framework/classes/Strings.h"
#include "framework/rtl/CodePage.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

using namespace vmado;

namespace {

class NameValue : public ::testing::Test {
protected:
    void SetUp() override
    {
        list.Add("Name=Value");
        list.Add("KEY=x=y");
        list.Add("novalue");
        list.Add("=nameless");
        list.Add("Empty=");
        list.Add(Utf8ToAnsi("Árvíz=flood"));
    }
    TStringList list;
};

TEST_F(NameValue, LooksUpValuesIgnoringCase)
{
    const struct {
        const char* Name;
        const char* Value;
    } cases[] = {
        {"Name", "Value"}, {"NAME", "Value"}, {"key", "x=y"},  {"Empty", ""},
        {"", "nameless"},  {"missing", ""},   {"novalue", ""}, {"árvÍz", "flood"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(list.Values(Utf8ToAnsi(c.Name)), c.Value); // names written in UTF-8
    }
}

TEST_F(NameValue, IndexOfNameFindsTheFirstMatchingName)
{
    EXPECT_EQ(list.IndexOfName("name"), 0);
    EXPECT_EQ(list.IndexOfName("Key"), 1);
    EXPECT_EQ(list.IndexOfName("novalue"), -1); // no "=" at all: no name
    EXPECT_EQ(list.IndexOfName(""), 3);
    list.Add("name=second");
    EXPECT_EQ(list.IndexOfName("NAME"), 0);
}

TEST_F(NameValue, NamesAndValueFromIndex)
{
    EXPECT_EQ(list.Names(0), "Name");
    EXPECT_EQ(list.Names(1), "KEY");
    EXPECT_EQ(list.Names(2), "");
    EXPECT_EQ(list.ValueFromIndex(1), "x=y");
    EXPECT_EQ(list.ValueFromIndex(2), ""); // an item without "=" has no value
    EXPECT_EQ(list.ValueFromIndex(-1), "");
    EXPECT_THROW(list.Names(17), EListError);
}

TEST_F(NameValue, SettingAValueReplacesAddsOrDeletes)
{
    list.SetValues("name", "changed");
    EXPECT_EQ(list.Strings(0), "name=changed");
    list.SetValues("New", "1");
    EXPECT_EQ(list.Strings(list.Count() - 1), "New=1");
    const Integer before = list.Count();
    list.SetValues("KEY", "");
    EXPECT_EQ(list.Count(), before - 1);
    EXPECT_EQ(list.IndexOfName("key"), -1);
    list.SetValues("absent", ""); // deleting what is not there does nothing
    EXPECT_EQ(list.Count(), before - 1);
}

TEST_F(NameValue, SetValueFromIndexKeepsTheName)
{
    list.SetValueFromIndex(1, "z");
    EXPECT_EQ(list.Strings(1), "KEY=z");
    list.SetValueFromIndex(1, "");
    EXPECT_EQ(list.IndexOfName("KEY"), -1);
}

TEST_F(NameValue, OtherSeparator)
{
    TStringList pairs;
    pairs.SetNameValueSeparator(':');
    pairs.Add("host:example");
    pairs.Add("a=b:c");
    EXPECT_EQ(pairs.Values("HOST"), "example");
    EXPECT_EQ(pairs.Values("a=b"), "c");
    pairs.SetValues("port", "80");
    EXPECT_EQ(pairs.Strings(2), "port:80");
}

TEST_F(NameValue, CaseSensitiveListComparesNamesExactly)
{
    list.SetCaseSensitive(true);
    EXPECT_EQ(list.Values("Name"), "Value");
    EXPECT_EQ(list.Values("NAME"), "");
}

} // namespace
