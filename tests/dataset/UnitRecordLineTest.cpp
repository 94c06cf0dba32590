// Reading single entries of a record line: the entry index gives exactly the entries a full split
// gives, whatever order fields are read in; the plain date form gives the general reader's day.
#include "dataset/DataSetPrivate.h"

#include "framework/classes/Strings.h"
#include "framework/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace vmado::dataset {
namespace {

const std::vector<std::string> Lines = {
    "",
    "1,Smith,2024-01-05,\"a, b\"",
    "1,Smith,2024-01-05,\"a, b\",",        // a separator at the end stands for one more, empty entry
    "  7 , \"say \"\"hi\"\"\" ,,\"\",x  ", // blanks around entries, an empty entry, quotes doubled
    "\"unterminated, quote",
    "a b,c", // an unquoted entry ends at a blank
    "\"\"\"\",\"\"",
    "1,Smith,2024-01-05,\"a, c\"", // same length as the second line, other text
};

TEST(UnitRecordLine, JoinedLinesAreTheStringListsCommaText)
{
    const std::vector<std::vector<AnsiString>> rows = {
        {"plain", "", "a b", "a,b", "say \"hi\"", "\"", "tab\there",
         "P\xE9"
         "cs"},
        {""},
        {"\"\"", " lead", "trail ", "end,"},
    };
    for (const auto& entries : rows) {
        TStringList list;
        for (const AnsiString& e : entries)
            list.Add(e);
        const AnsiString line = JoinLine(entries);
        EXPECT_EQ(line, list.CommaText());
        EXPECT_EQ(SplitLine(line), entries);
    }
}

TEST(UnitRecordLine, ViewsMatchTheSplitEntriesInAnyReadOrder)
{
    std::mt19937 rng(7);
    AnsiString scratch;
    LineIndex index_;
    for (int round = 0; round < 2000; ++round) {
        const std::string& line = Lines[rng() % Lines.size()];
        SCOPED_TRACE(line);
        index_.Forget(); // a new line in the buffer, as the dataset says after every write
        const std::vector<AnsiString> entries = SplitLine(line);
        // Forward, as a record is read, then a few reads at random (backwards, repeated, beyond).
        std::vector<Integer> order;
        for (Integer i = 0; i <= static_cast<Integer>(entries.size()); ++i)
            order.push_back(i);
        for (int k = 0; k < 4; ++k)
            order.push_back(static_cast<Integer>(rng() % (entries.size() + 2)) - 1);
        for (Integer index : order) {
            SCOPED_TRACE(index);
            const AnsiString expected = index >= 0 && index < static_cast<Integer>(entries.size())
                                            ? entries[static_cast<std::size_t>(index)]
                                            : AnsiString();
            EXPECT_EQ(std::string(index_.Entry(line.c_str(), index, scratch)), expected);
        }
    }
}

TEST(UnitRecordLine, AForgottenIndexReadsTheRewrittenBufferAfresh)
{
    // One buffer whose content changes between reads, as a record buffer does.
    char buffer[64] = "1,Smith,2024-01-05,x";
    AnsiString scratch;
    LineIndex index;
    EXPECT_EQ(std::string(index.Entry(buffer, 1, scratch)), "Smith");
    std::snprintf(buffer, sizeof buffer, "%s", "\"3 4\",Brown,2024-02-06,y");
    index.Forget();
    EXPECT_EQ(std::string(index.Entry(buffer, 2, scratch)), "2024-02-06");
    EXPECT_EQ(std::string(index.Entry(buffer, 1, scratch)), "Brown");
    EXPECT_EQ(std::string(index.Entry(buffer, 0, scratch)), "3 4");
    EXPECT_EQ(std::string(index.Entry(buffer, 4, scratch)), "");
}

TEST(UnitRecordLine, PlainDatesGiveTheTimeStampDayOfEveryDayOfYearsOneToNineThousand)
{
    long days = 0;
    for (Word y = 1; y <= 9999; ++y)
        for (Word m = 1; m <= 12; ++m)
            for (Word d = 1; d <= DaysInAMonth(y, m); ++d) {
                char text[16];
                std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
                Integer date = 0;
                const Integer expected = DateTimeToTimeStamp(DateOf(EncodeDate(y, m, d))).Date;
                if (!PlainDateStamp(text, date) || date != expected) {
                    ADD_FAILURE() << text << ": " << date << " instead of " << expected;
                    return;
                }
                ++days;
            }
    EXPECT_EQ(days, 3652059L);
}

TEST(UnitRecordLine, OtherDateTextsAreLeftToTheGeneralReader)
{
    for (const char* text :
         {"", "2024-02-30", "2023-02-29", "2024-13-01", "2024-00-10", "2024-01-00", "0000-01-01", "2024-1-01",
          "2024/01/01", " 2024-01-01", "2024-01-01 10:00:00", "20x4-01-01"}) {
        SCOPED_TRACE(text);
        Integer date = -7;
        EXPECT_FALSE(PlainDateStamp(text, date));
        EXPECT_EQ(date, -7);
    }
    Integer date = 0;
    ASSERT_TRUE(PlainDateStamp("2024-02-29", date));
    EXPECT_EQ(date, DateTimeToTimeStamp(EncodeDate(2024, 2, 29)).Date);
}

} // namespace
} // namespace vmado::dataset
