// The exact-value field classes: TFMTBCDField keeps every digit of a wide decimal (AsString exact,
// AsFloat the nearest double), TGuidField takes only a GUID's text in its 38 characters.
#include "DbFixtures.h"

#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vmado::test {
namespace {

class ExactFieldsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* defs = ds.FieldDefs();
        defs->Add("N", ftFMTBcd, 2)->SetPrecision(30);
        defs->Add("G", ftGuid, 38);
        ds.Open();
        ds.Append();
    }
    TField* N() { return ds.FieldByName("N"); }
    TField* G() { return ds.FieldByName("G"); }
    // The field's native value as the dataset holds it: the canonical text.
    std::string Native()
    {
        std::vector<char> buffer(static_cast<std::size_t>(N()->DataSize()), 'z');
        if (!N()->GetData(buffer.data()))
            return "<null>";
        return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
    }

    TMemDataSet ds;
};

TEST_F(ExactFieldsTest, ClassesAndSizes)
{
    EXPECT_EQ(N()->ClassName(), "TFMTBCDField");
    EXPECT_EQ(N()->Size(), 2);
    EXPECT_EQ(dynamic_cast<TFMTBCDField*>(N())->Precision(), 30);
    EXPECT_EQ(N()->DataSize(), TFMTBCDField::MaxDigits + 3);
    EXPECT_EQ(G()->ClassName(), "TGuidField");
    EXPECT_EQ(G()->DataType(), ftGuid);
    EXPECT_EQ(G()->Size(), 38);
    EXPECT_EQ(G()->DataSize(), 39);
}

TEST_F(ExactFieldsTest, DecimalsKeepEveryDigit)
{
    struct Row {
        const char* written;
        const char* native;
        const char* text;
    };
    const Row rows[] = {
        {"1234567890123456789.12", "1234567890123456789.12", "1234567890123456789.12"},
        {"-0001234567890123456789.125", "-1234567890123456789.13", "-1234567890123456789.13"}, // rounded
        {"12.3E2", "1230", "1230"},
        {" 0.50 ", "0.5", "0.5"},
        {"-0.001", "0", "0"},
        {"9999999999999999999999999999.99", "9999999999999999999999999999.99",
         "9999999999999999999999999999.99"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.written);
        N()->SetAsString(row.written);
        EXPECT_EQ(Native(), row.native);
        EXPECT_EQ(N()->AsString(), row.text);
        EXPECT_EQ(N()->AsVariant().AsString(), row.text);
    }
    N()->SetAsString("1234567890123456789.12");
    EXPECT_DOUBLE_EQ(N()->AsFloat(), 1234567890123456789.12);
    N()->SetAsFloat(0.1);
    EXPECT_EQ(N()->AsString(), "0.1");
    N()->SetAsCurrency(Currency::FromRaw(123456789));
    EXPECT_EQ(N()->AsString(), "12345.68");
    EXPECT_EQ(N()->AsCurrency(), Currency::FromRaw(123456800));
    N()->SetAsLargeInt(-42);
    EXPECT_EQ(N()->AsInteger(), -42);
    N()->Clear();
    EXPECT_TRUE(N()->IsNull());
    EXPECT_TRUE(N()->AsVariant().IsNull());
}

TEST_F(ExactFieldsTest, BadDecimalsAreRefusedNamingTheField)
{
    const struct {
        const char* written;
        const char* message;
    } rows[] = {{"12abc", "'12abc' is not a valid floating point value for field 'N'"},
                {"1.2.3", "not a valid floating point value"},
                {"10000000000000000000000000000", "has more than 28 digits before the decimal point"}};
    N()->SetAsString("7");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.written);
        try {
            N()->SetAsString(row.written);
            ADD_FAILURE() << "taken";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << e.what();
        }
        EXPECT_EQ(N()->AsString(), "7");
    }
}

TEST_F(ExactFieldsTest, DecimalTextFollowsTheLocaleButTheNativeFormDoesNot)
{
    TFormatSettings settings = TFormatSettings::EnglishUS();
    settings.DecimalSeparator = ',';
    ScopedFormatSettings scoped(settings);
    N()->SetAsString("-12,5");
    EXPECT_EQ(Native(), "-12.5");
    EXPECT_EQ(N()->AsString(), "-12,5");
    EXPECT_DOUBLE_EQ(N()->AsFloat(), -12.5);
}

TEST_F(ExactFieldsTest, GuidsTakeOnlyAGuidsText)
{
    G()->SetAsString("{6B29FC40-CA47-1067-B31D-00DC010660A7}");
    EXPECT_EQ(G()->AsString(), "{6B29FC40-CA47-1067-B31D-00DC010660A7}");
    G()->SetAsString("6b29fc40-ca47-1067-b31d-00dc010660a7");
    EXPECT_EQ(G()->AsString(), "6b29fc40-ca47-1067-b31d-00dc010660a7");
    for (const char* bad :
         {"6B29FC40", "{6B29FC40-CA47-1067-B31D-00DC010660AZ}", "{6B29FC40CA47-1067-B31D-00DC010660A7-}"}) {
        SCOPED_TRACE(bad);
        try {
            G()->SetAsString(bad);
            ADD_FAILURE() << "taken";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("is not a valid GUID value for field 'G'"),
                      std::string::npos)
                << e.what();
        }
    }
    G()->Clear();
    EXPECT_TRUE(G()->IsNull());
    ds.Cancel();
    ds.Close();
    EXPECT_THROW(G()->SetSize(20), EDatabaseError);
}

} // namespace
} // namespace vmado::test
