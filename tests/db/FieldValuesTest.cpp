// Field values: every field type's native buffer format (checked byte for byte in the stored
// row), round trips through posting, nulls, text forms and the conversion errors.
#include "DbFixtures.h"
#include "framework/rtl/CodePage.h"

#include "framework/classes/PropInfo.h"
#include "framework/rtl/DateTime.h"
#include "framework/rtl/Locale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace vmado::test {
namespace {

template <class T> std::vector<char> Bytes(T value)
{
    std::vector<char> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

class FieldValuesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* defs = ds.FieldDefs();
        defs->Add("S", ftString, 10);
        defs->Add("FC", ftFixedChar, 5);
        defs->Add("SI", ftSmallint);
        defs->Add("I", ftInteger);
        defs->Add("W", ftWord);
        defs->Add("AI", ftAutoInc);
        defs->Add("LI", ftLargeint);
        defs->Add("B", ftBoolean);
        defs->Add("F", ftFloat);
        defs->Add("C", ftCurrency);
        defs->Add("BCD", ftBCD, 2);
        defs->Add("D", ftDate);
        defs->Add("T", ftTime);
        defs->Add("DT", ftDateTime);
        defs->Add("BY", ftBytes, 4);
        defs->Add("VB", ftVarBytes, 6);
        defs->Add("BL", ftBlob);
        defs->Add("M", ftMemo);
        defs->Add("G", ftGraphic);
        defs->Add("A", ftADT);
        ds.Open();
    }

    // The native bytes the stored row holds for a field; empty when it has no value.
    std::vector<char> Native(const char* name, Integer row = 0)
    {
        TField* field = ds.FieldByName(name);
        const std::vector<char>& data = ds.RowData(row);
        const Integer slot = ds.FieldSlot(field);
        if (data.at(slot) == 0)
            return {};
        return std::vector<char>(data.begin() + slot + 1, data.begin() + slot + 1 + field->DataSize());
    }

    TMemDataSet ds;
};

TEST_F(FieldValuesTest, DefaultFieldsHaveTheClassOfTheirType)
{
    struct Row {
        const char* name;
        const char* className;
        Integer dataSize;
    };
    // String fields keep room for Size characters of the code page and a terminator.
    const Integer w = AnsiMaxCharSize();
    const Row rows[] = {{"S", "TStringField", 10 * w + 1},
                        {"FC", "TStringField", 5 * w + 1},
                        {"SI", "TSmallintField", 2},
                        {"I", "TIntegerField", 4},
                        {"W", "TWordField", 2},
                        {"AI", "TAutoIncField", 4},
                        {"LI", "TLargeintField", 8},
                        {"B", "TBooleanField", 2},
                        {"F", "TFloatField", 8},
                        {"C", "TCurrencyField", 8},
                        {"BCD", "TBCDField", 8},
                        {"D", "TDateField", 4},
                        {"T", "TTimeField", 4},
                        {"DT", "TDateTimeField", 8},
                        {"BY", "TBytesField", 4},
                        {"VB", "TVarBytesField", 8},
                        {"BL", "TBlobField", 0},
                        {"M", "TMemoField", 0},
                        {"G", "TGraphicField", 0},
                        {"A", "TADTField", 0}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TField* field = ds.FieldByName(r.name);
        EXPECT_EQ(field->ClassName(), r.className);
        EXPECT_EQ(field->DataSize(), r.dataSize);
        EXPECT_EQ(field->DataType(), ds.FieldDefs()->Find(r.name)->DataType());
    }
    EXPECT_TRUE(ds.DefaultFields());
    EXPECT_TRUE(static_cast<TStringField*>(ds.FieldByName("FC"))->FixedChar());
    EXPECT_EQ(ds.FieldByName("I")->Alignment(), taRightJustify);
    EXPECT_EQ(ds.FieldByName("S")->Alignment(), taLeftJustify);
}

TEST_F(FieldValuesTest, NativeFormatsRoundTrip)
{
    const TDateTime date = EncodeDate(2024, 1, 5);
    const TDateTime time = EncodeTime(13, 45, 30, 250);
    const Integer dayNumber = static_cast<Integer>(date) + DateDelta; // the time stamp's day count
    const Integer msecs = ((13 * 60 + 45) * 60 + 30) * 1000 + 250;
    struct Case {
        const char* field;
        std::function<void(TField*)> write;
        std::vector<char> native;
        std::function<void(TField*)> check;
    };
    // A string's native buffer is its text, then zeros up to the field's DataSize.
    auto text = [](const std::string& s, Integer dataSize) {
        std::vector<char> out(s.begin(), s.end());
        out.resize(static_cast<std::size_t>(dataSize), 0);
        return out;
    };
    const Integer w = AnsiMaxCharSize();
    const std::vector<Case> cases = {
        {"S", [](TField* f) { f->SetAsString("a, b \"c\""); }, text("a, b \"c\"", 10 * w + 1),
         [](TField* f) { EXPECT_EQ(f->AsString(), "a, b \"c\""); }},
        {"FC", [](TField* f) { f->SetAsString("xy"); }, text("xy", 5 * w + 1),
         [](TField* f) { EXPECT_EQ(f->AsString(), "xy"); }},
        {"SI", [](TField* f) { f->SetAsInteger(-5); }, Bytes<std::int16_t>(-5),
         [](TField* f) { EXPECT_EQ(f->AsInteger(), -5); }},
        {"I", [](TField* f) { f->SetAsInteger(-2000000000); }, Bytes<std::int32_t>(-2000000000),
         [](TField* f) { EXPECT_EQ(f->AsInteger(), -2000000000); }},
        {"W", [](TField* f) { f->SetAsInteger(65535); }, Bytes<std::uint16_t>(65535),
         [](TField* f) { EXPECT_EQ(f->AsInteger(), 65535); }},
        {"AI", [](TField* f) { f->SetAsInteger(42); }, Bytes<std::int32_t>(42),
         [](TField* f) { EXPECT_EQ(f->AsVariant().VarType(), varInteger); }},
        {"LI", [](TField* f) { f->SetAsLargeInt((Int64{1} << 40) + 3); }, Bytes<Int64>((Int64{1} << 40) + 3),
         [](TField* f) { EXPECT_EQ(f->AsLargeInt(), (Int64{1} << 40) + 3); }},
        {"B", [](TField* f) { f->SetAsBoolean(true); }, Bytes<std::int16_t>(-1),
         [](TField* f) { EXPECT_TRUE(f->AsBoolean()); }},
        {"F", [](TField* f) { f->SetAsFloat(3.25); }, Bytes<double>(3.25),
         [](TField* f) { EXPECT_EQ(f->AsFloat(), 3.25); }},
        {"C", [](TField* f) { f->SetAsCurrency(Currency::FromRaw(123400)); }, Bytes<double>(12.34),
         [](TField* f) { EXPECT_EQ(f->AsCurrency(), Currency::FromRaw(123400)); }},
        {"BCD", [](TField* f) { f->SetAsCurrency(Currency::FromRaw(12345)); }, Bytes<double>(1.23),
         [](TField* f) { EXPECT_EQ(f->AsCurrency(), Currency::FromRaw(12300)); }},
        {"D", [&](TField* f) { f->SetAsDateTime(date + time); }, Bytes<std::int32_t>(dayNumber),
         [&](TField* f) { EXPECT_EQ(f->AsDateTime(), date); }},
        {"T", [&](TField* f) { f->SetAsDateTime(date + time); }, Bytes<std::int32_t>(msecs),
         [&](TField* f) { EXPECT_NEAR(f->AsDateTime(), time, 1e-9); }},
        {"DT", [&](TField* f) { f->SetAsDateTime(date + time); },
         Bytes<double>(static_cast<double>(dayNumber) * MSecsPerDay + msecs),
         [&](TField* f) { EXPECT_NEAR(f->AsDateTime(), date + time, 1e-9); }},
        {"BY", [](TField* f) { f->SetAsString(std::string("\x01\x00\x02", 3)); },
         std::vector<char>{1, 0, 2, 0},
         [](TField* f) { EXPECT_EQ(f->AsString(), std::string("\x01\x00\x02\x00", 4)); }},
        {"VB", [](TField* f) { f->SetAsString(std::string("\x07\x00\x08", 3)); },
         std::vector<char>{3, 0, 7, 0, 8, 0, 0, 0},
         [](TField* f) { EXPECT_EQ(f->AsString(), std::string("\x07\x00\x08", 3)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        ds.EmptyDataSet();
        ds.Append();
        c.write(ds.FieldByName(c.field));
        ds.Post();
        ASSERT_EQ(ds.RowCount(), 1);
        EXPECT_EQ(Native(c.field), c.native);
        ds.Close();
        ds.Open(); // a fresh fetch reads the stored native value back
        c.check(ds.FieldByName(c.field));
        EXPECT_FALSE(ds.FieldByName(c.field)->IsNull());
        ds.Edit();
        ds.FieldByName(c.field)->Clear();
        ds.Post();
        EXPECT_TRUE(Native(c.field).empty());
        EXPECT_TRUE(ds.FieldByName(c.field)->IsNull());
        EXPECT_TRUE(ds.FieldByName(c.field)->AsVariant().IsNull());
    }
}

TEST_F(FieldValuesTest, BlobsRoundTripThroughTheBlobStream)
{
    const std::string binary("\x00\x01\xff\x10", 4);
    ds.Append();
    auto* blob = static_cast<TBlobField*>(ds.FieldByName("BL"));
    EXPECT_TRUE(blob->IsNull());
    blob->SetAsString(binary);
    EXPECT_TRUE(blob->Modified());
    ds.FieldByName("M")->SetAsString("memo text");
    TStringStream picture("GIF89a");
    static_cast<TBlobField*>(ds.FieldByName("G"))->LoadFromStream(picture);
    ds.Post();
    EXPECT_FALSE(blob->Modified()); // forgotten once the record is left
    ds.Close();
    ds.Open();
    EXPECT_EQ(ds.FieldByName("BL")->AsString(), binary);
    EXPECT_EQ(ds.FieldByName("BL")->AsVariant().VarType(), varArray | varByte);
    EXPECT_EQ(VarArrayBytes(ds.FieldByName("BL")->AsVariant()), std::vector<Byte>({0, 1, 0xff, 0x10}));
    EXPECT_EQ(ds.FieldByName("M")->AsVariant().AsString(), "memo text");
    EXPECT_EQ(ds.FieldByName("M")->DisplayText(), "(MEMO)");
    EXPECT_EQ(static_cast<TBlobField*>(ds.FieldByName("G"))->BlobSize(), 6);
    TStringStream out;
    static_cast<TBlobField*>(ds.FieldByName("G"))->SaveToStream(out);
    EXPECT_EQ(out.DataString(), "GIF89a");
    ds.Edit();
    ds.FieldByName("M")->Clear();
    ds.Post();
    EXPECT_TRUE(ds.FieldByName("M")->IsNull());
    EXPECT_EQ(ds.FieldByName("M")->DisplayText(), "(Memo)");
}

TEST_F(FieldValuesTest, AnAdtFieldHoldsNothing)
{
    ds.Append();
    TField* adt = ds.FieldByName("A");
    EXPECT_TRUE(adt->IsNull());
    EXPECT_TRUE(adt->AsVariant().IsNull());
    EXPECT_EQ(adt->AsString(), "(ADT)");
}

TEST_F(FieldValuesTest, TextForms)
{
    ds.Append();
    TField* b = ds.FieldByName("B");
    b->SetAsString("f");
    EXPECT_EQ(b->AsString(), "False");
    static_cast<TBooleanField*>(b)->SetDisplayValues("Yes;No");
    b->SetAsString("y");
    EXPECT_TRUE(b->AsBoolean());
    EXPECT_EQ(b->DisplayText(), "Yes");

    TField* d = ds.FieldByName("D");
    d->SetAsString("1/5/2024");
    EXPECT_EQ(d->AsDateTime(), EncodeDate(2024, 1, 5));
    EXPECT_EQ(d->AsString(), "1/5/2024");
    TField* t = ds.FieldByName("T");
    t->SetAsString("1:45:30 PM");
    EXPECT_EQ(t->AsString(), "1:45:30 PM");
    TField* dt = ds.FieldByName("DT");
    dt->SetAsDateTime(EncodeDate(2024, 1, 5) + EncodeTime(15, 4, 5, 0));
    EXPECT_EQ(dt->AsString(), "1/5/2024 3:04:05 PM");
    static_cast<TDateTimeField*>(dt)->SetDisplayFormat("yyyy-mm-dd");
    EXPECT_EQ(dt->DisplayText(), "2024-01-05");

    TField* f = ds.FieldByName("F");
    f->SetAsString("1234.5");
    static_cast<TFloatField*>(f)->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(f->DisplayText(), "1,234.50");
    EXPECT_EQ(f->Text(), "1,234.50"); // without an edit format the display format serves editing too
    static_cast<TFloatField*>(f)->SetEditFormat("0.##");
    EXPECT_EQ(f->Text(), "1234.5");
    TField* c = ds.FieldByName("C");
    c->SetAsFloat(2.5);
    EXPECT_EQ(c->DisplayText(), "$2.50");
    TField* i = ds.FieldByName("I");
    i->SetAsString("  42");
    EXPECT_EQ(i->AsString(), "42");
    EXPECT_EQ(i->AsFloat(), 42.0);
    EXPECT_EQ(ds.FieldByName("BY")->DisplayText(), "(Bytes)");

    i->OnGetText = [](TField* field, AnsiString& text, bool display) { text = display ? "shown" : "edited"; };
    EXPECT_EQ(i->DisplayText(), "shown");
    EXPECT_EQ(i->Text(), "edited");
    i->OnSetText = [](TField* field, const AnsiString& text) {
        field->SetAsInteger(static_cast<Integer>(text.size()));
    };
    i->SetText("abcd");
    EXPECT_EQ(i->AsInteger(), 4);
}

TEST_F(FieldValuesTest, ConversionErrorsNameTheValueAndTheField)
{
    struct Case {
        const char* field;
        std::function<void(TField*)> act;
        const char* message;
        bool convertError; // EConvertError rather than EDatabaseError
    };
    const std::vector<Case> cases = {
        {"I", [](TField* f) { f->SetAsString("abc"); }, "'abc' is not a valid integer value for field 'I'",
         false},
        {"LI", [](TField* f) { f->SetAsString("1x"); }, "'1x' is not a valid integer value for field 'LI'",
         false},
        {"F", [](TField* f) { f->SetAsString("1.2.3"); },
         "'1.2.3' is not a valid floating point value for field 'F'", false},
        {"BCD", [](TField* f) { f->SetAsString("x"); },
         "'x' is not a valid floating point value for field 'BCD'", false},
        {"B", [](TField* f) { f->SetAsString("maybe"); },
         "'maybe' is not a valid boolean value for field 'B'", false},
        {"SI", [](TField* f) { f->SetAsInteger(40000); },
         "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767", false},
        {"W", [](TField* f) { f->SetAsString("-1"); },
         "-1 is not a valid value for field 'W'. The allowed range is 0 to 65535", false},
        {"S", [](TField* f) { f->SetAsString("eleven char"); }, "Value of field 'S' is too long", false},
        {"BY", [](TField* f) { f->SetAsString("12345"); }, "Value of field 'BY' is too long", false},
        {"B", [](TField* f) { f->AsDateTime(); }, "Cannot access field 'B' as type DateTime", false},
        {"D", [](TField* f) { f->SetAsString("abc"); }, "'abc' is not a valid date", true},
        {"S",
         [](TField* f) {
             f->SetAsString("abc");
             f->AsInteger();
         },
         "'abc' is not a valid integer value", true},
    };
    ds.Append();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            c.act(ds.FieldByName(c.field));
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& e) {
            EXPECT_TRUE(c.convertError);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        } catch (const EDatabaseError& e) {
            EXPECT_FALSE(c.convertError);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    // A refused value leaves the field as it was.
    EXPECT_EQ(ds.FieldByName("S")->AsString(), "abc");
    EXPECT_TRUE(ds.FieldByName("I")->IsNull());
}

TEST_F(FieldValuesTest, RangeLimitsOfTheField)
{
    ds.Append();
    auto* i = static_cast<TIntegerField*>(ds.FieldByName("I"));
    i->SetMinValue(1);
    i->SetMaxValue(10);
    EXPECT_THROW(i->SetAsInteger(11), EDatabaseError);
    i->SetAsInteger(10);
    EXPECT_EQ(i->AsInteger(), 10);
    auto* f = static_cast<TFloatField*>(ds.FieldByName("F"));
    f->SetMaxValue(1.5);
    EXPECT_THROW(f->SetAsFloat(2), EDatabaseError);
    // Rounding to an integer follows the framework: halves go to the even neighbour.
    i->SetMinValue(0);
    i->SetAsFloat(2.5);
    EXPECT_EQ(i->AsInteger(), 2);
}

TEST_F(FieldValuesTest, VariantsConvertIntoTheFieldType)
{
    ds.Append();
    ds.FieldByName("I")->SetValue(Variant("17"));
    EXPECT_EQ(ds.FieldByName("I")->AsInteger(), 17);
    ds.FieldByName("S")->SetValue(Variant(2.5));
    EXPECT_EQ(ds.FieldByName("S")->AsString(), "2.5");
    ds.FieldByName("D")->SetValue(Variant::FromDate(EncodeDate(2020, 2, 29)));
    EXPECT_EQ(ds.FieldByName("D")->AsVariant().VarType(), varDate);
    ds.FieldByName("B")->SetValue(Variant(true));
    EXPECT_EQ(ds.FieldByName("B")->AsVariant().VarType(), varBoolean);
    ds.FieldByName("VB")->SetValue(VarByteArray("\x01\x02", 2));
    EXPECT_EQ(VarArrayBytes(ds.FieldByName("VB")->AsVariant()), std::vector<Byte>({1, 2}));
    ds.FieldByName("I")->SetValue(Variant::Null());
    EXPECT_TRUE(ds.FieldByName("I")->IsNull());
    ds.SetFieldValues("I;S", VarArrayOf({Variant(3), Variant("x")}));
    const Variant both = ds.FieldValues("I;S");
    EXPECT_EQ(both.GetElement(0).AsInteger(), 3);
    EXPECT_EQ(both.GetElement(1).AsString(), "x");
}

} // namespace
} // namespace vmado::test

namespace vmado::test {
namespace {

TEST_F(FieldValuesTest, TextFollowsTheLocaleSettings)
{
    TFormatSettings settings = TFormatSettings::EnglishUS();
    settings.DecimalSeparator = ',';
    settings.ThousandSeparator = ' ';
    settings.DateSeparator = '.';
    settings.ShortDateFormat = "yyyy.MM.dd";
    ScopedFormatSettings scoped(settings);
    ds.Append();
    ds.FieldByName("F")->SetAsString("1,5");
    EXPECT_EQ(ds.FieldByName("F")->AsFloat(), 1.5);
    EXPECT_EQ(ds.FieldByName("F")->AsString(), "1,5");
    ds.FieldByName("D")->SetAsString("2024.01.05");
    EXPECT_EQ(ds.FieldByName("D")->AsDateTime(), EncodeDate(2024, 1, 5));
    EXPECT_EQ(ds.FieldByName("D")->AsString(), "2024.01.05");
    EXPECT_THROW(ds.FieldByName("F")->SetAsString("1.5"), EDatabaseError);
}

TEST_F(FieldValuesTest, OnValidateOfADateSeesTheNewDate)
{
    TField* d = ds.FieldByName("D");
    TDateTime seen = 0;
    d->OnValidate = [&](TField* f) { seen = f->AsDateTime(); };
    ds.Append();
    d->SetAsDateTime(EncodeDate(2021, 3, 4));
    EXPECT_EQ(seen, EncodeDate(2021, 3, 4));
}

TEST(FieldStreamingTest, DatasetClassesAreRegistered)
{
    const TClassInfo* source = GetClass("TDataSource");
    ASSERT_NE(source, nullptr);
    std::vector<std::string> names;
    for (const TPropInfo* p : source->Properties())
        names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Tag", "AutoEdit", "DataSet", "Enabled"}));
    ASSERT_NE(GetClass("TParam"), nullptr);
    EXPECT_NE(GetClass("TParam")->FindProperty("ParamType"), nullptr);
    EXPECT_NE(GetClass("TDataSet"), nullptr);
    EXPECT_FALSE(GetClass("TDataSet")->CanCreate());
}

} // namespace
} // namespace vmado::test
