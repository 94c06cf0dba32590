// Every kind of filter line, translated to the ADO dialect, set as the filter of a recordset on a
// real temporary SQLite table: the engine must accept the text and select exactly the rows the
// line means.
#include "AdoFilterCases.h"

#include "ado/ADOApi.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

using namespace vmado;
using namespace vmado::test;

namespace {

class AdoFilterTable : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        path_ =
            (std::filesystem::temp_directory_path() / ("vmado_filters_" + std::to_string(::getpid()) + ".db"))
                .string();
        std::filesystem::remove(path_);
        connection_ = CoConnection::Create();
        connection_->Open("Provider=SQLite;Data Source=" + path_);
        connection_->Execute(kPersonCreate);
        for (const char* row : kPersonRows)
            connection_->Execute(AnsiString("INSERT INTO Person VALUES (") + row + ")");
    }

    static void TearDownTestSuite()
    {
        if (connection_)
            connection_->Close();
        connection_.reset();
        std::filesystem::remove(path_);
    }

    // The ids the recordset shows with the filter text set (none: unfiltered), in id order.
    static std::vector<int> Select(const AnsiString& filterText)
    {
        RecordsetPtr rs = CoRecordset::Create();
        rs->Open("SELECT * FROM Person ORDER BY Id", connection_, adOpenStatic, adLockReadOnly, adCmdText);
        if (!filterText.empty())
            rs->SetFilter(Variant(filterText));
        std::vector<int> ids;
        for (; !rs->Eof(); rs->MoveNext())
            ids.push_back(rs->Fields()->Item("Id")->Value().AsInteger());
        rs->Close();
        return ids;
    }

    static inline std::string path_;
    static inline ConnectionPtr connection_;
};

class AdoFilterCase : public AdoFilterTable, public testing::WithParamInterface<AdoCase> {};

TEST_P(AdoFilterCase, SelectsTheRowsTheLineMeans)
{
    const AnsiString text = AdoText(GetParam());
    SCOPED_TRACE("filter text: [" + text + "]");
    std::vector<int> ids;
    ASSERT_NO_THROW(ids = Select(text));
    EXPECT_EQ(ids, GetParam().ids);
}

const auto kName = [](const testing::TestParamInfo<AdoCase>& info) { return CaseName(info.param); };
INSTANTIATE_TEST_SUITE_P(Strings, AdoFilterCase, testing::ValuesIn(kAdoStringCases), kName);
INSTANTIATE_TEST_SUITE_P(Values, AdoFilterCase, testing::ValuesIn(kAdoValueCases), kName);
INSTANTIATE_TEST_SUITE_P(Chains, AdoFilterCase, testing::ValuesIn(kAdoChainCases), kName);

} // namespace

TEST_F(AdoFilterTable, CollectionOfTheWorkedExample)
{
    TVFilters filters(nullptr);
    TVFilter& level1 = *filters.Add();
    AddLine(level1, {"Name", ffString, frJokerRight, "Sm", "", false, flAnd});
    AddLine(level1, {"Age", ffNumeric, frBigger, "29"});
    AddLine(*filters.Add(), {"City", ffString, frEqual, "Paris"});
    EXPECT_EQ(Select(filters.SQLText(fmADO, false)), (std::vector<int>{1}));
    EXPECT_EQ(Select(filters.SQLText(fmADO, true)), (std::vector<int>{1}));
}

TEST_F(AdoFilterTable, NegatedLinesSelectTheComplement)
{
    const std::vector<int> all = Select("");
    ASSERT_EQ(all, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    for (LineSpec line : kComplementLines) {
        SCOPED_TRACE(line.field);
        const std::vector<int> plain = Select(AdoText({"", {line}, false, {}}));
        line.negation = true;
        const std::vector<int> negated = Select(AdoText({"", {line}, false, {}}));
        std::vector<int> both;
        std::set_union(plain.begin(), plain.end(), negated.begin(), negated.end(), std::back_inserter(both));
        std::vector<int> overlap;
        std::set_intersection(plain.begin(), plain.end(), negated.begin(), negated.end(),
                              std::back_inserter(overlap));
        EXPECT_TRUE(overlap.empty());
        // Row 6 holds Null in every tested column but Name and so belongs to neither side.
        std::vector<int> expected = all;
        if (std::string(line.field) != "Name")
            std::erase(expected, 6);
        EXPECT_EQ(both, expected);
    }
}
