#include "Progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vmado::app {
namespace {

using std::chrono::milliseconds;

TEST(ProgressTest, RedrawsOnlyAChangedLineAndClearsItAtTheEnd)
{
    std::ostringstream out;
    {
        Progress progress("exporting", &out, milliseconds(0), milliseconds(0));
        progress.Update(1, 4);
        progress.Update(1, 4);
        EXPECT_EQ(out.str(), "\rexporting: 25% (1 of 4)");
        progress.Update(12, 0); // an unknown total shows the count; blanks cover the longer line
        EXPECT_EQ(out.str(), "\rexporting: 25% (1 of 4)\rexporting: 12 records  ");
        out.str("");
    }
    EXPECT_EQ(out.str(), "\r" + std::string(21, ' ') + "\r");
}

TEST(ProgressTest, StaysQuietWithoutATerminalAndForQuickWork)
{
    std::ostringstream out;
    Progress quick("opening", &out, milliseconds(60000), milliseconds(0));
    quick.Update(1, 2);
    quick.Done();
    Progress silent("opening", nullptr, milliseconds(0), milliseconds(0));
    silent.Update(1, 2);
    EXPECT_FALSE(silent.Active());
    EXPECT_EQ(out.str(), "");
}

TEST(ProgressTest, RedrawsAtMostOncePerInterval)
{
    std::ostringstream out;
    Progress progress("exporting", &out, milliseconds(0), milliseconds(60000));
    progress.Update(1, 100);
    progress.Update(50, 100);
    EXPECT_EQ(out.str(), "\rexporting: 1% (1 of 100)");
}

} // namespace
} // namespace vmado::app
