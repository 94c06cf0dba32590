// String lists in the binary component stream: the "Strings" defined property, its exact bytes,
// and reading it back into a list that held other items.
#include "framework/classes/Filer.h"
#include "framework/classes/Streams.h"
#include "framework/classes/Strings.h"

#include <gtest/gtest.h>

#include <string>

using namespace vmado;

namespace {

std::string WriteProps(const TStrings& list)
{
    TStringStream stream;
    {
        TWriter writer(stream);
        writer.WriteProperties(list);
        writer.WriteListEnd(); // the vaNull that closes a property list
    }
    return stream.DataString();
}

TEST(StringsStreaming, WritesTheStringsProperty)
{
    TStringList list;
    list.Add("ab");
    list.Add("");
    const std::string expected = std::string("\x07Strings") + '\x01' +
                                 "\x06\x02"
                                 "ab" +
                                 "\x06" + '\0' + '\0' + '\0';
    EXPECT_EQ(WriteProps(list), expected);
}

TEST(StringsStreaming, EmptyListWritesNothing)
{
    TStringList list;
    EXPECT_EQ(WriteProps(list), std::string(1, '\0'));
}

TEST(StringsStreaming, ReadsBackIntoAnotherList)
{
    TStringList source;
    source.Add("select *");
    source.Add("  from \xC1rv\xEDz");  // code page bytes travel unchanged
    source.Add(std::string(300, 'x')); // a long string
    source.Add("");
    TStringStream stream(WriteProps(source));
    TStringList target;
    target.Add("old");
    int changes = 0;
    target.OnChange = [&](TObject*) { ++changes; };
    {
        TReader reader(stream);
        reader.ReadProperties(target);
    }
    EXPECT_TRUE(target.Equals(source));
    EXPECT_EQ(changes, 1);
}

} // namespace
