// Record-line entries are written exactly as the framework's string list writes comma text, so
// the dataset's reading of a line gives every value back whole.
#include "AdoBaseFixture.h"

#include "ado/ADOBasePrivate.h"

namespace vmado::test {
namespace {

TEST(CommaText, EntriesAreQuotedExactlyAsTheStringListQuotesThem)
{
    const std::vector<std::string> entries = {"plain",
                                              "",
                                              "a b",
                                              "a,b",
                                              "say \"hi\"",
                                              "\"",
                                              "tab\there",
                                              "P\xE9"
                                              "cs",
                                              "-1",
                                              "(Blob)",
                                              "end,"};
    std::string line;
    TStringList list;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0)
            line += ',';
        adobase::AppendCommaTextItem(line, entries[i]);
        list.Add(entries[i]);
    }
    EXPECT_EQ(line, list.CommaText());
    TStringList back;
    back.SetCommaText(line);
    EXPECT_EQ(Items(back), entries);
}

} // namespace
} // namespace vmado::test
