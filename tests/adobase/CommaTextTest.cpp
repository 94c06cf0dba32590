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
    const std::vector<Integer> budgets(entries.size(), 64);
    adobase::RecordLineWriter writer(budgets, 1024);
    TStringList list;
    for (const std::string& entry : entries) {
        writer.Add("F", entry);
        list.Add(entry);
    }
    EXPECT_EQ(writer.Line(), list.CommaText());
    TStringList back;
    back.SetCommaText(writer.Line());
    EXPECT_EQ(Items(back), entries);
}

} // namespace
} // namespace vmado::test
