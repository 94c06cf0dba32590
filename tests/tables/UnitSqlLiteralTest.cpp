// The shared SQL literal formatter: each data type's literal, Null, locale independence of
// numbers, and the values it refuses with a message naming them.
#include "framework/db/Fields.h"
#include "framework/db/Params.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Exceptions.h"
#include "framework/rtl/Locale.h"
#include "tables/SqlLiteral.h"

#include <gtest/gtest.h>

#include <limits>

namespace vmado {
namespace {

struct LiteralCase {
    const char* Name;
    TFieldType Type;
    Variant Value;
    const char* Expected;
};

std::vector<LiteralCase> Cases()
{
    const TDateTime day = EncodeDate(2024, 1, 5);
    const TDateTime afternoon = day + EncodeTime(15, 4, 5, 0);
    return {
        {"plain string", ftString, Variant(AnsiString("North")), "'North'"},
        {"embedded quote doubled", ftString, Variant(AnsiString("O'Brien")), "'O''Brien'"},
        {"quote at the end cannot close the literal", ftMemo, Variant(AnsiString("x' OR 1=1 --'")),
         "'x'' OR 1=1 --'''"},
        {"colon and question mark stay in the text", ftFixedChar, Variant(AnsiString("10:30 who?")),
         "'10:30 who?'"},
        {"wide string", ftWideString, Variant(AnsiString("a")), "'a'"},
        {"guid is a string", ftGuid, Variant(AnsiString("{0A}")), "'{0A}'"},
        {"empty string", ftString, Variant(AnsiString()), "''"},
        {"null string", ftString, Variant::Null(), "NULL"},
        {"unassigned number", ftInteger, Variant(), "NULL"},
        {"null date", ftDate, Variant::Null(), "NULL"},
        {"integer", ftInteger, Variant(1001), "1001"},
        {"negative small integer", ftSmallint, Variant::FromSmallint(-7), "-7"},
        {"large integer", ftLargeint, Variant(static_cast<Int64>(9007199254740993LL)), "9007199254740993"},
        {"whole double in an integer field", ftInteger, Variant(42.0), "42"},
        {"float", ftFloat, Variant(1.5), "1.5"},
        {"float keeps every digit", ftFloat, Variant(0.1), "0.1"},
        {"currency", ftCurrency, Variant(Currency::FromRaw(-12345)), "-1.2345"},
        {"currency whole", ftBCD, Variant(Currency::FromRaw(1230000)), "123"},
        {"exact decimal as text", ftFMTBcd, Variant(AnsiString("12345678901234567890.12")),
         "12345678901234567890.12"},
        {"boolean true", ftBoolean, Variant(true), "-1"},
        {"boolean false", ftBoolean, Variant(false), "0"},
        {"date", ftDate, Variant::FromDate(day), "{d '2024-01-05' }"},
        {"date time", ftDateTime, Variant::FromDate(afternoon), "{d '2024-01-05 03:04:05 PM' }"},
        {"time", ftTime, Variant::FromDate(EncodeTime(15, 4, 5, 0)), "{t '03:04:05 PM' }"},
        {"midnight time", ftTime, Variant::FromDate(0.0), "{t '12:00:00 AM' }"},
        {"time with milliseconds", ftTime, Variant::FromDate(EncodeTime(9, 0, 0, 5)),
         "{t '09:00:00.005 AM' }"},
        {"untyped string", ftUnknown, Variant(AnsiString("it's")), "'it''s'"},
        {"untyped integer", ftUnknown, Variant(7), "7"},
        {"untyped boolean", ftUnknown, Variant(true), "-1"},
        {"untyped date", ftUnknown, Variant::FromDate(day), "{d '2024-01-05' }"},
    };
}

TEST(SqlLiteral, EachTypeHasItsLiteral)
{
    for (const LiteralCase& c : Cases()) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(SqlLiteral(c.Type, c.Value), c.Expected);
    }
}

TEST(SqlLiteral, NumbersUseAPointWhateverTheLocale)
{
    TFormatSettings settings = TFormatSettings::EnglishUS();
    settings.DecimalSeparator = ',';
    settings.ThousandSeparator = ' ';
    ScopedFormatSettings scope(settings);
    EXPECT_EQ(SqlLiteral(ftFloat, Variant(-2.25)), "-2.25");
    EXPECT_EQ(SqlLiteral(ftCurrency, Variant(Currency::FromRaw(15000))), "1.5");
    EXPECT_EQ(SqlLiteral(ftFMTBcd, Variant(AnsiString("3,75"))), "3.75");
    EXPECT_EQ(SqlLiteral(ftInteger, Variant(1234567)), "1234567");
}

TEST(SqlLiteral, RefusesWhatHasNoLiteral)
{
    struct Refused {
        const char* Name;
        TFieldType Type;
        Variant Value;
        const char* Message;
    } cases[] = {
        {"blob", ftBlob, Variant(AnsiString("\x01\x02")), "binary"},
        {"bytes", ftBytes, Variant(AnsiString("ab")), "binary"},
        {"graphic", ftGraphic, Variant(AnsiString("ab")), "binary"},
        {"text that is no number", ftInteger, Variant(AnsiString("12; DROP TABLE t")), "is not a number"},
        {"fraction in an integer field", ftInteger, Variant(AnsiString("1.5")), "whole number"},
        {"infinity", ftFloat, Variant(std::numeric_limits<double>::infinity()), "not finite"},
        {"not a number", ftFloat, Variant(std::numeric_limits<double>::quiet_NaN()), "not finite"},
        {"text that is no date", ftDate, Variant(AnsiString("someday")), "is not a date"},
    };
    for (const Refused& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            SqlLiteral(c.Type, c.Value, "Parameter 'p'");
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("Parameter 'p'"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.Message), std::string::npos) << e.what();
        }
    }
}

TEST(SqlLiteral, ParameterAndFieldFormsNameTheirValue)
{
    TParams params;
    TParam* p = params.CreateParam(ftString, "Region", ptInput);
    p->SetAsString("it's");
    EXPECT_EQ(SqlLiteral(p), "'it''s'");
    TParam* blob = params.CreateParam(ftBlob, "Picture", ptInput);
    blob->SetAsBlob("xx");
    EXPECT_THROW(
        {
            try {
                SqlLiteral(blob);
            } catch (const EDatabaseError& e) {
                EXPECT_NE(std::string(e.what()).find("Parameter 'Picture'"), std::string::npos) << e.what();
                throw;
            }
        },
        EDatabaseError);
}

} // namespace
} // namespace vmado
