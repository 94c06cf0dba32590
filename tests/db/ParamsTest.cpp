// TParams/TParam: lookups by name, typed values, assignment from fields and other lists, and
// streaming as a collection (DataType, Name, ParamType, then the value as "Data").
#include "DbFixtures.h"

#include "framework/classes/Filer.h"
#include "framework/db/Params.h"
#include "framework/rtl/DateTime.h"

#include <gtest/gtest.h>

namespace vmado::test {
namespace {

TEST(ParamsTest, ParamByNameRaisesForAnUnknownName)
{
    TParams params;
    params.CreateParam(ftInteger, "CustNo", ptInput);
    EXPECT_EQ(params.FindParam("custno"), params[0]);
    EXPECT_EQ(params.ParamByName("CUSTNO"), params[0]);
    EXPECT_EQ(params.FindParam("Other"), nullptr);
    try {
        params.ParamByName("Other");
        FAIL() << "no exception";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Parameter 'Other' not found");
    }
}

TEST(ParamsTest, TypedSettersSetTheType)
{
    struct Case {
        std::function<void(TParam*)> set;
        TFieldType type;
        std::function<void(TParam*)> check;
    };
    const std::vector<Case> cases = {
        {[](TParam* p) { p->SetAsString("abc"); }, ftString,
         [](TParam* p) { EXPECT_EQ(p->AsString(), "abc"); }},
        {[](TParam* p) { p->SetAsInteger(42); }, ftInteger, [](TParam* p) { EXPECT_EQ(p->AsInteger(), 42); }},
        {[](TParam* p) { p->SetAsSmallInt(-3); }, ftSmallint,
         [](TParam* p) { EXPECT_EQ(p->AsSmallInt(), -3); }},
        {[](TParam* p) { p->SetAsWord(60000); }, ftWord, [](TParam* p) { EXPECT_EQ(p->AsWord(), 60000); }},
        {[](TParam* p) { p->SetAsFloat(1.5); }, ftFloat, [](TParam* p) { EXPECT_EQ(p->AsFloat(), 1.5); }},
        {[](TParam* p) { p->SetAsCurrency(Currency::FromRaw(25000)); }, ftCurrency,
         [](TParam* p) { EXPECT_EQ(p->AsCurrency(), Currency::FromRaw(25000)); }},
        {[](TParam* p) { p->SetAsBCD(Currency::FromRaw(12345)); }, ftBCD,
         [](TParam* p) { EXPECT_EQ(p->Value().VarType(), varCurrency); }},
        {[](TParam* p) { p->SetAsBoolean(true); }, ftBoolean,
         [](TParam* p) { EXPECT_EQ(p->AsString(), "True"); }},
        {[](TParam* p) { p->SetAsDate(EncodeDate(2024, 1, 5)); }, ftDate,
         [](TParam* p) { EXPECT_EQ(p->AsDate(), EncodeDate(2024, 1, 5)); }},
        {[](TParam* p) { p->SetAsTime(0.5); }, ftTime, [](TParam* p) { EXPECT_EQ(p->AsTime(), 0.5); }},
        {[](TParam* p) { p->SetAsDateTime(45296.25); }, ftDateTime,
         [](TParam* p) { EXPECT_EQ(p->Value().VarType(), varDate); }},
        {[](TParam* p) { p->SetAsMemo("long"); }, ftMemo, [](TParam* p) { EXPECT_EQ(p->AsMemo(), "long"); }},
        {[](TParam* p) { p->SetAsBlob(std::string("\0\1", 2)); }, ftBlob,
         [](TParam* p) { EXPECT_EQ(p->AsBlob().size(), 2u); }},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        TParams params;
        TParam* p = params.CreateParam(ftUnknown, "P", ptInput);
        EXPECT_FALSE(p->Bound());
        cases[i].set(p);
        EXPECT_EQ(p->DataType(), cases[i].type);
        EXPECT_TRUE(p->Bound());
        EXPECT_FALSE(p->IsNull());
        cases[i].check(p);
    }
}

TEST(ParamsTest, AnUntypedParameterTakesItsTypeFromTheValue)
{
    struct Case {
        Variant value;
        TFieldType type;
    };
    const Case cases[] = {{Variant(5), ftInteger},
                          {Variant::FromSmallint(5), ftSmallint},
                          {Variant(2.5), ftFloat},
                          {Variant(Currency::FromRaw(1)), ftBCD},
                          {Variant::FromDate(1.0), ftDateTime},
                          {Variant(true), ftBoolean},
                          {Variant("s"), ftString},
                          {Variant(Int64{1} << 40), ftLargeint}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        TParams params;
        TParam* p = params.CreateParam(ftUnknown, "P", ptInput);
        p->SetValue(c.value);
        EXPECT_EQ(p->DataType(), c.type);
        // A typed parameter keeps its type whatever value comes.
        p->SetValue(Variant("text"));
        EXPECT_EQ(p->DataType(), c.type);
    }
}

TEST(ParamsTest, NullParametersReadAsNeutralValues)
{
    TParams params;
    TParam* p = params.CreateParam(ftInteger, "P", ptInput);
    p->SetAsInteger(3);
    p->Clear();
    EXPECT_TRUE(p->IsNull());
    EXPECT_EQ(p->AsInteger(), 0);
    EXPECT_EQ(p->AsString(), "");
    EXPECT_FALSE(p->AsBoolean());
    EXPECT_EQ(p->AsDateTime(), 0.0);
    p->SetValue(Variant::Null());
    EXPECT_TRUE(p->IsNull());
    EXPECT_TRUE(p->Bound());
    p->SetValue(Variant());
    EXPECT_FALSE(p->Bound());
}

TEST(ParamsTest, ChangingTheTypeConvertsTheValueOrClearsIt)
{
    TParams params;
    TParam* p = params.CreateParam(ftString, "P", ptInput);
    p->SetAsString("12");
    p->SetDataType(ftInteger);
    EXPECT_EQ(p->Value().VarType(), varInteger);
    EXPECT_EQ(p->AsInteger(), 12);
    p->SetAsString("not a number");
    p->SetDataType(ftInteger);
    EXPECT_TRUE(p->IsNull());
}

TEST(ParamsTest, AssignFieldCopiesNameTypeAndValue)
{
    auto ds = MakeTallDataSet(2);
    TParams params;
    TParam* p = params.CreateParam(ftUnknown, "X", ptInput);
    p->AssignField(ds->FieldByName("Name"));
    EXPECT_EQ(p->Name(), "Name");
    EXPECT_EQ(p->DataType(), ftString);
    EXPECT_EQ(p->AsString(), "Name1");
    EXPECT_TRUE(p->Bound());
    ds->Edit();
    ds->FieldByName("ID")->Clear();
    p->AssignField(ds->FieldByName("ID"));
    EXPECT_EQ(p->DataType(), ftInteger);
    EXPECT_TRUE(p->IsNull());
    ds->Cancel();
    static_cast<TStringField*>(ds->FieldByName("Name"))->SetFixedChar(true);
    ds->Close();
    ds->FieldDefs()->Clear();
    ds->FieldDefs()->Add("ID", ftInteger);
    ds->FieldDefs()->Add("Code", ftFixedChar, 3);
    ds->Open();
    ds->AppendRecord({Variant(1), Variant("AB")});
    p->AssignField(ds->FieldByName("Code"));
    EXPECT_EQ(p->DataType(), ftFixedChar);
}

TEST(ParamsTest, AssignValuesCopiesByName)
{
    TParams target;
    target.CreateParam(ftInteger, "A", ptInput);
    target.CreateParam(ftString, "B", ptInput);
    TParams source;
    source.CreateParam(ftString, "b", ptOutput)->SetAsString("copied");
    source.CreateParam(ftInteger, "Z", ptInput)->SetAsInteger(1);
    target.AssignValues(&source);
    EXPECT_EQ(target.Count(), 2);
    EXPECT_EQ(target[1]->AsString(), "copied");
    EXPECT_EQ(target[1]->ParamType(), ptInput); // a parameter type already set stays
    EXPECT_TRUE(target[0]->IsNull());
}

TEST(ParamsTest, IsEqualComparesEveryPart)
{
    TParams a, b;
    a.CreateParam(ftInteger, "P", ptInput)->SetAsInteger(1);
    b.CreateParam(ftInteger, "P", ptInput)->SetAsInteger(1);
    EXPECT_TRUE(a.IsEqual(&b));
    b[0]->SetAsInteger(2);
    EXPECT_FALSE(a.IsEqual(&b));
    b[0]->SetAsInteger(1);
    b[0]->SetParamType(ptOutput);
    EXPECT_FALSE(a.IsEqual(&b));
    b[0]->SetParamType(ptInput);
    b[0]->SetName("Q");
    EXPECT_FALSE(a.IsEqual(&b));
    b.CreateParam(ftInteger, "R", ptInput);
    EXPECT_FALSE(a.IsEqual(&b));
}

TEST(ParamsTest, ParamValuesReadAndWriteSeveralAtOnce)
{
    TParams params;
    params.CreateParam(ftInteger, "A", ptInput)->SetAsInteger(1);
    params.CreateParam(ftString, "B", ptInput)->SetAsString("x");
    const Variant both = params.ParamValues("A;B");
    EXPECT_EQ(both.GetElement(0).AsInteger(), 1);
    EXPECT_EQ(both.GetElement(1).AsString(), "x");
    params.SetParamValues("A;B", VarArrayOf({Variant(7), Variant("y")}));
    EXPECT_EQ(params[0]->AsInteger(), 7);
    EXPECT_EQ(params[1]->AsString(), "y");
    EXPECT_THROW(params.ParamValues("A;Missing"), EDatabaseError);
}

TEST(ParamsTest, StreamsAsACollectionInTheFrameworkFormat)
{
    TParams params;
    TParam* p = params.CreateParam(ftInteger, "X", ptInput);
    p->SetAsInteger(5);
    params.CreateParam(ftString, "Empty", ptUnknown); // no value: no "Data"
    TMemoryStream stream;
    {
        TWriter writer(stream);
        writer.WriteCollection(&params);
    }
    const std::string expected = std::string("\x0e\x01", 2) +
                                 "\x08"
                                 "DataType"
                                 "\x07\x09"
                                 "ftInteger" +
                                 "\x04"
                                 "Name"
                                 "\x06\x01"
                                 "X" +
                                 "\x09"
                                 "ParamType"
                                 "\x07\x07"
                                 "ptInput" +
                                 "\x04"
                                 "Data"
                                 "\x02\x05" +
                                 std::string("\x00\x01", 2) +
                                 "\x08"
                                 "DataType"
                                 "\x07\x08"
                                 "ftString" +
                                 "\x04"
                                 "Name"
                                 "\x06\x05"
                                 "Empty" +
                                 "\x09"
                                 "ParamType"
                                 "\x07\x09"
                                 "ptUnknown" +
                                 std::string("\x00\x00", 2);
    const std::string written(static_cast<const char*>(stream.Memory()),
                              static_cast<std::size_t>(stream.Size()));
    EXPECT_EQ(written, expected);

    stream.SetPosition(0);
    TParams read;
    read.CreateParam(ftFloat, "Old", ptOutput);
    {
        TReader reader(stream);
        ASSERT_EQ(reader.ReadValue(), vaCollection);
        reader.ReadCollection(read);
    }
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read[0]->Name(), "X");
    EXPECT_EQ(read[0]->DataType(), ftInteger);
    EXPECT_EQ(read[0]->ParamType(), ptInput);
    EXPECT_EQ(read[0]->AsInteger(), 5);
    EXPECT_TRUE(read[1]->IsNull());
    EXPECT_EQ(read[1]->DataType(), ftString);
    EXPECT_EQ(read[0]->Value().VarType(), varInteger);
    EXPECT_EQ(read[0]->Bound(), params[0]->Bound());
    EXPECT_EQ(read[1]->Bound(), params[1]->Bound());
    EXPECT_TRUE(params.IsEqual(&read));
}

} // namespace
} // namespace vmado::test
