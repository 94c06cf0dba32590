// The sort list edited on a closed dataset: entries keep their place, the direction words, and
// the substring rule of IsSorted.
#include "dataset/VDB.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

TEST(SortListTest, EditsKeepPositionsAndDirections)
{
    TVADODataSet d(nullptr);
    d.SortAdd("Name", smASC, false);
    EXPECT_EQ(d.Sort(), "Name ASC");
    d.SortAdd("Age", smDESC, true);
    EXPECT_EQ(d.Sort(), "Name ASC,Age DESC");
    d.SortAdd("Name", smDESC, true);
    EXPECT_EQ(d.Sort(), "Name DESC,Age DESC");
    d.SortAdd("City", smNONE, true);
    EXPECT_EQ(d.Sort(), "Name DESC,Age DESC,City ASC");
    d.SortDelete("Name");
    EXPECT_EQ(d.Sort(), "Age DESC,City ASC");
    d.SortDelete("Nobody");
    EXPECT_EQ(d.Sort(), "Age DESC,City ASC");
    d.SortAdd("Zip", smDESC, false);
    EXPECT_EQ(d.Sort(), "Zip DESC");
}

TEST(SortListTest, SortedIsASubstringTestAndModeNeedsAnEntry)
{
    TVADODataSet d(nullptr);
    d.SetSortStr("LastName ASC,Age desc");
    struct Row {
        const char* name;
        bool sorted;
        TSortMode mode;
    };
    const Row rows[] = {{"LastName", true, smASC},
                        {"Name", true, smNONE},
                        {"Age", true, smNONE},
                        {"City", false, smNONE},
                        {"lastname", false, smASC}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(d.IsSorted(row.name), row.sorted);
        EXPECT_EQ(d.SortMode(row.name), row.mode);
    }
    EXPECT_FALSE(d.IsSorted(static_cast<TField*>(nullptr)));
    d.SortAdd(static_cast<TField*>(nullptr), true);
    EXPECT_EQ(d.Sort(), "LastName ASC,Age desc");
}

TEST(SortListTest, ClosedDatasetAnswersNeutrally)
{
    TVADODataSet d(nullptr);
    EXPECT_EQ(d.GetPosition(), "");
    EXPECT_EQ(d.GetMaxRecords(), 0);
    EXPECT_EQ(d.Bookmark(), "");
    EXPECT_EQ(d.InternalSQL("UPDATE t SET a = 1"), -1);
    EXPECT_EQ(d.Options(), (TVOptions{opDialog, opFilter, opConnection}));
    EXPECT_EQ(d.AdoToBdt(10), ftUnknown);
    EXPECT_EQ(d.AdoToBdt(136), ftUnknown);
    EXPECT_EQ(d.AdoToBdt(72), ftGuid);
    EXPECT_EQ(d.BdtToAdo(ftGuid), 72);
    EXPECT_EQ(d.BdtToAdo(ftDateTime), 10);
    EXPECT_EQ(d.BdtToAdo(ftDate), 135);
}

} // namespace
} // namespace vmado::test
