// Search conditions and the closed dataset's neutral answers, on persistent fields of a dataset
// that never opens: the operator and literal follow the field type, and values cannot leave
// their literal.
#include "dataset/VDB.h"

#include "framework/rtl/DateTime.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

class UnitSearchTest : public ::testing::Test {
protected:
    UnitSearchTest()
    {
        Add<TStringField>("Name");
        Add<TMemoField>("Remark");
        Add<TIntegerField>("Qty");
        Add<TFloatField>("Price");
        Add<TBooleanField>("Flag");
        Add<TDateField>("Born");
        Add<TTimeField>("At");
        Add<TDateTimeField>("Seen");
        Add<TBlobField>("Data");
    }
    template <typename F> void Add(const char* name)
    {
        auto* field = new F(&dataSet_);
        field->SetFieldName(name);
        field->SetDataSet(&dataSet_);
    }
    TVADODataSet dataSet_;
};

TEST_F(UnitSearchTest, ConditionFollowsTheFieldType)
{
    struct Row {
        const char* field;
        const char* value;
        bool partial;
        const char* expected;
    };
    const Row rows[] = {
        {"Name", "Smith", false, "Name = 'Smith'"},
        {"Name", "Smith", true, "Name LIKE 'Smith%'"},
        {"name", "Smith", false, "name = 'Smith'"}, // found ignoring case, written as given
        {"Remark", "a b", true, "Remark LIKE 'a b%'"},
        {"Name", "", false, "Name = ''"},
        {"Qty", "5", false, "Qty = 5"},
        {"Qty", "5", true, "Qty >= 5"},
        {"Price", "2.5", true, "Price >= 2.5"},
        {"Flag", "-1", false, "Flag = -1"},
        {"Flag", "0", true, "Flag = 0"},
        {"Flag", "True", false, "Flag = -1"},
        {"Flag", "false", false, "Flag = 0"},
        {"Data", "a'b", false, "Data = 'a''b'"},
        {"Born", "2024-01-05", false, "Born = #2024-01-05#"},
        {"Born", "2024-01-05", true, "Born >= #2024-01-05#"},
        {"At", "02:05:09 PM", false, "At = #02:05:09 PM#"},
        {"Seen", "2024-01-05 02:05:09 PM", false, "Seen = #2024-01-05 02:05:09 PM#"},
        {"Nothing", "x", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.field) + " " + row.value);
        EXPECT_EQ(dataSet_.CreateCriteria(row.field, row.value, row.partial), row.expected);
    }
}

TEST_F(UnitSearchTest, SingleQuotesInsideAStringAreDoubled)
{
    EXPECT_EQ(dataSet_.CreateCriteria("Name", "O'Brien", false), "Name = 'O''Brien'");
    EXPECT_EQ(dataSet_.CreateCriteria("Name", "x' OR 'a'='a", true), "Name LIKE 'x'' OR ''a''=''a%'");
}

TEST_F(UnitSearchTest, AnEmptyValueOfANonTextFieldSearchesForNull)
{
    for (const char* field : {"Qty", "Flag", "Born", "Seen"}) {
        SCOPED_TRACE(field);
        EXPECT_EQ(dataSet_.CreateCriteria(field, "", false), std::string(field) + " IS NULL");
    }
}

TEST_F(UnitSearchTest, AValueThatWouldLeaveItsLiteralIsRefused)
{
    struct Row {
        const char* field;
        const char* value;
        const char* message;
    };
    const Row rows[] = {
        {"Qty", "5 OR Qty < 5", "is not a valid number to search field 'Qty'"},
        {"Qty", "five", "is not a valid number"},
        {"Flag", "1) OR (1=1", "is not a valid Boolean value"},
        {"Born", "2024-01-05# OR Qty > #1", "is not a valid date"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.value);
        try {
            dataSet_.CreateCriteria(row.field, row.value, false);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
    }
}

TEST_F(UnitSearchTest, SearchesOnAClosedDatasetFindNothingAndSendNothing)
{
    int verbose = 0;
    dataSet_.OnVerbose = [&](const AnsiString&, TVerboseMode) { ++verbose; };
    EXPECT_FALSE(dataSet_.Locate("Name", Variant("Smith"), {}));
    EXPECT_TRUE(dataSet_.Lookup("Name", Variant("Smith"), "Qty").IsNull());
    EXPECT_FALSE(dataSet_.Search("Name", "Smith", false, 0));
    EXPECT_FALSE(dataSet_.Search(dataSet_.FindField("Name"), "Smith", false, 0));
    EXPECT_FALSE(dataSet_.Find("Name = 'Smith'"));
    EXPECT_EQ(verbose, 0);
}

} // namespace
} // namespace vmado::test
