// Every kind of filter line, translated to the ADO dialect, set as the filter of a recordset on a
// real temporary SQLite table: the engine must accept the text and select exactly the rows the
// line means.
#include "filters/VFilters.h"

#include "ado/ADOApi.h"
#include "framework/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

using namespace vmado;

namespace {

struct LineSpec {
    const char* field;
    TFilterType type;
    TRelationType relation;
    const char* lower;
    const char* upper = "";
    bool negation = false;
    TLogicalType op = flEnd;
};

void AddLine(TVFilter& filter, const LineSpec& spec) {
    TVSubFilter* line = filter.Levels()->Add();
    line->SetFieldName(spec.field);
    line->SetFilterType(spec.type);
    line->SetRelation(spec.relation);
    line->SetLowerValue(spec.lower);
    line->SetUpperValue(spec.upper);
    line->SetNegation(spec.negation);
    line->SetLogicalOp(spec.op);
}

class AdoFilterTable : public testing::Test {
protected:
    static void SetUpTestSuite() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("vmado_filters_" + std::to_string(::getpid()) + ".db")).string();
        std::filesystem::remove(path_);
        connection_ = CoConnection::Create();
        connection_->Open("Provider=SQLite;Data Source=" + path_);
        connection_->Execute("CREATE TABLE Person (Id INTEGER PRIMARY KEY, Name VARCHAR(40), "
                             "City VARCHAR(40), ShipCity VARCHAR(40), Age INTEGER, "
                             "Price NUMERIC(10,2), Born DATETIME, Active BOOLEAN)");
        const char* rows[] = {
            "1, 'Smith', 'Paris', 'Paris', 30, 10.5, '2024-01-05 00:00:00', 1",
            "2, 'smithers', 'London', 'Paris', 45, 20, '2023-12-31 00:00:00', 0",
            "3, 'O''Neil', 'Paris', 'PARIS', 25, 5, '2024-03-01 00:00:00', 1",
            "4, 'Blacksmith', 'Berlin', 'Berlin', 60, 100, '2024-02-10 00:00:00', 0",
            "5, 'Anna', '', 'Rome', 18, 0, '2024-01-05 15:04:05', 1",
            "6, 'Zed', NULL, NULL, NULL, NULL, NULL, NULL",
            "7, 'Ann''s', 'Paris', 'Lyon', 100, 99.99, '2024-03-02 00:00:00', 0",
        };
        for (const char* row : rows) connection_->Execute(AnsiString("INSERT INTO Person VALUES (") + row + ")");
    }

    static void TearDownTestSuite() {
        connection_->Close();
        connection_.reset();
        std::filesystem::remove(path_);
    }

    // The ids the recordset shows with the filter text set, in id order.
    static std::vector<int> Select(const AnsiString& filterText) {
        RecordsetPtr rs = CoRecordset::Create();
        rs->Open("SELECT Id FROM Person ORDER BY Id", connection_, adOpenStatic, adLockReadOnly, adCmdText);
        if (!filterText.empty()) rs->SetFilter(Variant(filterText));
        std::vector<int> ids;
        for (; !rs->Eof(); rs->MoveNext()) ids.push_back(rs->Fields()->Item(0)->Value().AsInteger());
        rs->Close();
        return ids;
    }

    static inline std::string path_;
    static inline ConnectionPtr connection_;
};

struct Case {
    const char* name;
    std::vector<LineSpec> lines;
    bool upper;
    std::vector<int> ids;
};

class AdoFilterCase : public AdoFilterTable, public testing::WithParamInterface<Case> {};

TEST_P(AdoFilterCase, SelectsTheRowsTheLineMeans) {
    const Case& c = GetParam();
    TVFilters filters(nullptr);
    TVFilter& filter = *filters.Add();
    for (const LineSpec& line : c.lines) AddLine(filter, line);
    const AnsiString text = filters.SQLText(fmADO, c.upper);
    SCOPED_TRACE("filter text: [" + text + "]");
    std::vector<int> ids;
    ASSERT_NO_THROW(ids = Select(text));
    EXPECT_EQ(ids, c.ids);
}

const Case kStringCases[] = {
    {"Equal", {{"City", ffString, frEqual, "Paris"}}, false, {1, 3, 7}},
    {"EqualUpper", {{"ShipCity", ffString, frEqual, "paris"}}, true, {1, 2, 3}},
    {"NotEqual", {{"City", ffString, frNotEqual, "Paris"}}, false, {2, 4, 5}},
    {"NegatedEqual", {{"City", ffString, frEqual, "Paris", "", true}}, false, {2, 4, 5}},
    // Text compares byte by byte: lower case sorts after upper case, and a quote before letters.
    {"Bigger", {{"Name", ffString, frBigger, "Smith"}}, false, {2, 6}},
    {"SmallerEqual", {{"Name", ffString, frSmallerEqual, "Anna"}}, false, {5, 7}},
    {"Smaller", {{"Name", ffString, frSmaller, "B"}}, false, {5, 7}},
    {"StartsWithUpper", {{"Name", ffString, frJokerRight, "sm"}}, true, {1, 2}},
    {"StartsWithNegated", {{"Name", ffString, frJokerRight, "Sm", "", true}}, false, {2, 3, 4, 5, 6, 7}},
    {"EndsWithBecomesContains", {{"Name", ffString, frJokerLeft, "ith"}}, false, {1, 2, 4}},
    {"Contains", {{"Name", ffString, frJokerSub, "mit"}}, false, {1, 2, 4}},
    {"ContainsNegatedUpper", {{"Name", ffString, frJokerSub, "MIT", "", true}}, true, {3, 5, 6, 7}},
    {"QuoteInValue", {{"Name", ffString, frEqual, "O'Neil"}}, false, {3}},
    {"QuoteInPattern", {{"Name", ffString, frJokerSub, "'"}}, false, {3, 7}},
    {"QuoteInPatternUpper", {{"Name", ffString, frJokerRight, "ann'"}}, true, {7}},
    {"FieldEqualsField", {{"City", ffString, frSpecEqual, "ShipCity"}}, false, {1, 4}},
    // Only the tested field is upper-cased; the other field is compared as stored.
    {"FieldEqualsFieldUpper", {{"City", ffString, frSpecEqual, "ShipCity"}}, true, {3}},
    {"FieldNotEqualsField", {{"City", ffString, frSpecEqual, "ShipCity", "", true}}, false, {2, 3, 5, 7}},
    {"Empty", {{"City", ffString, frEmpty, ""}}, false, {5}},
    {"NotEmpty", {{"City", ffString, frEmpty, "", "", true}}, true, {1, 2, 3, 4, 7}},
    {"Range", {{"Name", ffString, frEqual, "B", "Sn"}}, false, {1, 3, 4}},
    {"RangeUpper", {{"Name", ffString, frEqual, "b", "sn"}}, true, {1, 2, 3, 4}},
    {"RangeNegated", {{"Name", ffString, frEqual, "B", "Sn", true}}, false, {2, 5, 6, 7}},
};

INSTANTIATE_TEST_SUITE_P(Strings, AdoFilterCase, testing::ValuesIn(kStringCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

const Case kOtherCases[] = {
    {"NumberBigger", {{"Age", ffNumeric, frBigger, "30"}}, false, {2, 4, 7}},
    {"NumberNegated", {{"Age", ffNumeric, frBigger, "30", "", true}}, false, {3, 5}},
    {"NumberRangeSwapped", {{"Age", ffNumeric, frEqual, "60", "25"}}, false, {1, 2, 3, 4}},
    {"NumberRangeNegated", {{"Age", ffNumeric, frEqual, "25", "60", true}}, false, {5, 7}},
    {"NumberRangeEqualEnds", {{"Age", ffNumeric, frSmallerEqual, "25", "25.0"}}, false, {3, 5}},
    {"DecimalBiggerEqual", {{"Price", ffNumeric, frBiggerEqual, "10.5"}}, false, {1, 2, 4, 7}},
    {"DecimalRange", {{"Price", ffNumeric, frEqual, "0.5", "20"}}, false, {1, 2, 3}},
    {"NumberFieldEqualsField", {{"Age", ffNumeric, frSpecEqual, "Id"}}, false, {}},
    {"DateEqual", {{"Born", ffDate, frEqual, "2024-01-05"}}, false, {1}},
    {"DateBigger", {{"Born", ffDate, frBigger, "2024-02-10"}}, false, {3, 7}},
    {"DateRange", {{"Born", ffDate, frEqual, "2024-03-01", "2024-01-05"}}, false, {1, 3, 4, 5}},
    {"DateRangeWithTime", {{"Born", ffDate, frEqual, "2024-01-05 03:04:05 PM", "2024-02-10"}}, false, {4, 5}},
    {"DateRangeNegated", {{"Born", ffDate, frEqual, "2024-01-05", "2024-03-01", true}}, false, {2, 7}},
    {"DateRangeEqualEnds", {{"Born", ffDate, frBiggerEqual, "2024-03-01", "20240301"}}, false, {3, 7}},
    {"LogicalTrue", {{"Active", ffLogical, frEqual, "True"}}, false, {1, 3, 5}},
    {"LogicalFalse", {{"Active", ffLogical, frEqual, "no"}}, false, {2, 4, 7}},
    {"LogicalNegated", {{"Active", ffLogical, frEqual, "1", "", true}}, false, {2, 4, 7}},
    {"Custom", {{"City", ffCustom, frEqual, "'Paris' OR City = 'Berlin'"}}, false, {1, 3, 4, 7}},
};

INSTANTIATE_TEST_SUITE_P(Values, AdoFilterCase, testing::ValuesIn(kOtherCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

const Case kChainCases[] = {
    {"And", {{"City", ffString, frEqual, "Paris", "", false, flAnd}, {"Age", ffNumeric, frBigger, "26"}}, false, {1, 7}},
    {"AndNot", {{"City", ffString, frEqual, "Paris", "", false, flAndNot}, {"Age", ffNumeric, frBigger, "26"}},
     false, {3}},
    {"Or", {{"City", ffString, frEqual, "Berlin", "", false, flOr}, {"Age", ffNumeric, frSmaller, "20"}}, false, {4, 5}},
    {"OrNot", {{"Active", ffLogical, frEqual, "1", "", false, flOrNot}, {"Age", ffNumeric, frSmaller, "50"}},
     false, {1, 3, 4, 5, 7}},
    {"RangeThenAnd", {{"Age", ffNumeric, frEqual, "20", "50", true, flAnd}, {"City", ffString, frEqual, "Paris"}},
     false, {7}},
    {"StopsAtEnd", {{"City", ffString, frEqual, "Paris", "", false, flEnd}, {"Age", ffNumeric, frBigger, "99"}},
     false, {1, 3, 7}},
};

INSTANTIATE_TEST_SUITE_P(Chains, AdoFilterCase, testing::ValuesIn(kChainCases),
                         [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace

TEST_F(AdoFilterTable, CollectionOfTheWorkedExample) {
    TVFilters filters(nullptr);
    TVFilter& level1 = *filters.Add();
    AddLine(level1, {"Name", ffString, frJokerRight, "Sm", "", false, flAnd});
    AddLine(level1, {"Age", ffNumeric, frBigger, "29"});
    AddLine(*filters.Add(), {"City", ffString, frEqual, "Paris"});
    EXPECT_EQ(Select(filters.SQLText(fmADO, false)), (std::vector<int>{1}));
    EXPECT_EQ(Select(filters.SQLText(fmADO, true)), (std::vector<int>{1}));
}

TEST_F(AdoFilterTable, NegatedLinesSelectTheComplement) {
    // A line and its negation split the rows that hold a value between them.
    const LineSpec lines[] = {
        {"City", ffString, frEmpty, ""},
        {"City", ffString, frSpecEqual, "ShipCity"},
        {"Name", ffString, frEqual, "B", "Sn"},
        {"Age", ffNumeric, frEqual, "25", "60"},
        {"Born", ffDate, frEqual, "2024-01-05", "2024-03-01"},
    };
    const std::vector<int> all = Select("");
    for (LineSpec line : lines) {
        SCOPED_TRACE(line.field);
        TVFilters plain(nullptr);
        AddLine(*plain.Add(), line);
        line.negation = true;
        TVFilters negated(nullptr);
        AddLine(*negated.Add(), line);
        const std::vector<int> a = Select(plain.SQLText(fmADO, false));
        const std::vector<int> b = Select(negated.SQLText(fmADO, false));
        std::vector<int> both;
        std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
        std::vector<int> overlap;
        std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(overlap));
        EXPECT_TRUE(overlap.empty());
        // Row 6 holds Null in every tested column and so belongs to neither side.
        std::vector<int> expected = all;
        if (std::string(line.field) != "Name") std::erase(expected, 6);
        EXPECT_EQ(both, expected);
    }
}
