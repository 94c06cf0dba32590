// Record buffers: the text line behind each buffered record, its bookmark stamp, and calculated
// fields kept in their own area beside the line.
#include "DataSetFixture.h"

#include "framework/rtl/SysUtils.h"

#include <cstring>

namespace vmado::test {
namespace {

using BufferTest = DataSetTest;

template <class F> F* AddField(TVADODataSet& d, const char* name, TFieldKind kind = fkData, Integer size = 0)
{
    auto* f = new F(&d);
    f->SetFieldName(name);
    f->SetFieldKind(kind);
    if (size > 0)
        f->SetSize(size);
    f->SetDataSet(&d);
    return f;
}

TEST_F(BufferTest, EachBufferHoldsItsRecordAsOneCommaTextLine)
{
    TVADODataSet& d = Open("SELECT id, name, note, born FROM people ORDER BY id");
    const char* line = d.ActiveBuffer();
    EXPECT_STREQ(line, "1,Smith,\"a, b\",2024-01-05");
    EXPECT_GT(d.RecSize(), static_cast<Integer>(std::strlen(line)));
    EXPECT_EQ(d.BookmarkOffset(), d.RecSize());
    EXPECT_EQ(d.CalcOffset(), d.RecSize() + 8);
    EXPECT_EQ(d.BufferSize(), d.RecSize() + 8);
    // The bookmark stamp behind the text area is the recordset's own.
    Integer stamp;
    std::memcpy(&stamp, line + d.BookmarkOffset(), sizeof stamp);
    EXPECT_EQ(AnsiString(d.Bookmark()), IntToStr(stamp));
    EXPECT_EQ(line[d.BookmarkOffset() + 4], static_cast<char>(bfCurrent));
    d.Next();
    EXPECT_STREQ(d.ActiveBuffer(), "2,Jones,\"say \"\"hi\"\"\",1993-01-01");
    d.Next();
    EXPECT_STREQ(d.ActiveBuffer(), "3,Brown,\"\",\"\"");
}

TEST_F(BufferTest, CalculatedFieldsLiveBehindTheLine)
{
    TVADODataSet& d = Make("SELECT id, name, qty FROM people ORDER BY id");
    AddField<TIntegerField>(d, "id");
    AddField<TStringField>(d, "name", fkData, 20);
    AddField<TIntegerField>(d, "qty");
    auto* label = AddField<TStringField>(d, "label", fkCalculated, 30);
    auto* doubled = AddField<TIntegerField>(d, "doubled", fkCalculated);
    d.OnCalcFields = [&](TDataSet*) {
        label->SetAsString(d.FieldByName("name")->AsString() + " of " + d.FieldByName("id")->AsString());
        if (d.FieldByName("qty")->AsInteger() > 0)
            doubled->SetAsInteger(2 * d.FieldByName("qty")->AsInteger());
    };
    d.Open();
    EXPECT_EQ(d.BufferSize(), d.RecSize() + 8 + d.CalcFieldsSize());
    EXPECT_GT(d.CalcFieldsSize(), 0);
    EXPECT_EQ(label->AsString(), "Smith of 1");
    EXPECT_EQ(doubled->AsInteger(), 10);
    d.Next();
    d.Next();
    EXPECT_EQ(label->AsString(), "Brown of 3");
    EXPECT_TRUE(doubled->IsNull()); // qty 0: the calculation left it without a value
    // The grid's other rows keep their own calculated values.
    grid_->SetActiveRecord(0);
    EXPECT_EQ(label->AsString(), "Smith of 1");
}

TEST_F(BufferTest, ConvertersKeepTheTextForms)
{
    char buffer[16] = {};
    struct IntRow {
        const char* text;
        Integer value;
        bool has;
    };
    const IntRow ints[] = {{"42", 42, true}, {"-7", -7, true}, {"", 0, false}};
    for (const IntRow& row : ints) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(TVADODataSet::IntegerToBuffer(buffer, row.text), row.has);
        Integer v;
        std::memcpy(&v, buffer, sizeof v);
        EXPECT_EQ(v, row.value);
    }
    EXPECT_TRUE(TVADODataSet::BooleanToBuffer(buffer, "-1"));
    std::int16_t b;
    std::memcpy(&b, buffer, sizeof b);
    EXPECT_NE(b, 0);
    EXPECT_FALSE(TVADODataSet::BooleanToBuffer(buffer, ""));
    std::memcpy(&b, buffer, sizeof b);
    EXPECT_EQ(b, 0);

    // Times go out as "hh:nn:ss AM/PM", with ".zzz" only when there are milliseconds, and come
    // back to the millisecond.
    const Integer afternoon = (14 * 3600 + 5 * 60 + 9) * 1000 + 456;
    const Integer whole = (14 * 3600 + 5 * 60 + 9) * 1000;
    EXPECT_EQ(TVADODataSet::BufferToTime(&afternoon), "02:05:09.456 PM");
    EXPECT_EQ(TVADODataSet::BufferToTime(&whole), "02:05:09 PM");
    Integer msecs;
    EXPECT_TRUE(TVADODataSet::TimeToBuffer(buffer, "02:05:09.456 PM"));
    std::memcpy(&msecs, buffer, sizeof msecs);
    EXPECT_EQ(msecs, afternoon);
    EXPECT_TRUE(TVADODataSet::TimeToBuffer(buffer, "02:05:09 PM"));
    std::memcpy(&msecs, buffer, sizeof msecs);
    EXPECT_EQ(msecs, whole);

    EXPECT_TRUE(TVADODataSet::DateTimeToBuffer(buffer, "2024-01-05 02:05:09 PM"));
    EXPECT_EQ(TVADODataSet::BufferToDateTime(buffer), "2024-01-05 02:05:09 PM");
    EXPECT_TRUE(TVADODataSet::DateTimeToBuffer(buffer, "2024-01-05 02:05:09.007 PM"));
    EXPECT_EQ(TVADODataSet::BufferToDateTime(buffer), "2024-01-05 02:05:09.007 PM");
    EXPECT_TRUE(TVADODataSet::DateToBuffer(buffer, "2000-02-29"));
    EXPECT_EQ(TVADODataSet::BufferToDate(buffer), "2000-02-29");
    EXPECT_THROW(TVADODataSet::IntegerToBuffer(buffer, "12x"), EConvertError);
    EXPECT_THROW(TVADODataSet::DateToBuffer(buffer, "2000-02-30"), EConvertError);
}

TEST_F(BufferTest, AValueLongerThanItsDeclaredSizeReadsWhole)
{
    VMADO_EMBEDDED_SQLITE_ONLY(); // only SQLite stores more than a VARCHAR's declared size
    Exec("UPDATE people SET name = 'A name far longer than twenty' WHERE id = 1");
    TVADODataSet& d = Open("SELECT id, name FROM people ORDER BY id");
    EXPECT_EQ(d.FieldByName("name")->AsString(), "A name far longer than twenty");
    EXPECT_GE(d.FieldByName("name")->Size(), 29);
    d.Next();
    EXPECT_EQ(d.FieldByName("name")->AsString(), "Jones");
}

} // namespace
} // namespace vmado::test
