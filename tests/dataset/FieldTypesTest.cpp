// A wide table with one column of each common type: each reaches its field class and reads back
// its value, Nulls included, through the record line's text forms.
#include "DataSetFixture.h"

#include "framework/rtl/DateTime.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vmado::test {
namespace {

class FieldTypesTest : public DataSetTest {
protected:
    void SetUp() override
    {
        DataSetTest::SetUp();
        if (IsSkipped() || HasFailure())
            return;
        Exec(
            "CREATE TABLE wide (k INTEGER PRIMARY KEY, b BOOLEAN, si SMALLINT, bi BIGINT, f DOUBLE PRECISION,"
            " n NUMERIC(10,2), d DATE, t TIME, ts TIMESTAMP, s VARCHAR(10))");
        Exec("INSERT INTO wide VALUES (1, TRUE, -12, 9000000000, 2.5, 1234.56, '1999-12-31', '14:05:09',"
             " '2024-02-29 09:30:00', 'x, \"y\"')");
        Exec("INSERT INTO wide (k) VALUES (2)");
    }
};

TEST_F(FieldTypesTest, EveryTypeReadsItsValueAndItsNull)
{
    TVADODataSet& d = Open("SELECT * FROM wide ORDER BY k");
    struct Row {
        const char* name;
        TFieldType type;
    };
    const Row types[] = {{"b", ftBoolean}, {"si", ftSmallint}, {"bi", ftLargeint},
                         {"f", ftFloat},   {"n", ftBCD},       {"d", ftDate},
                         {"t", ftTime},    {"ts", ftDateTime}, {"s", ftString}};
    for (const Row& row : types) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(d.FieldByName(row.name)->DataType(), row.type);
        EXPECT_FALSE(d.FieldByName(row.name)->IsNull());
    }
    EXPECT_TRUE(d.FieldByName("b")->AsBoolean());
    EXPECT_EQ(d.FieldByName("si")->AsInteger(), -12);
    EXPECT_EQ(d.FieldByName("bi")->AsLargeInt(), 9000000000LL);
    EXPECT_DOUBLE_EQ(d.FieldByName("f")->AsFloat(), 2.5);
    EXPECT_DOUBLE_EQ(d.FieldByName("n")->AsFloat(), 1234.56);
    EXPECT_EQ(d.FieldByName("d")->AsDateTime(), EncodeDate(1999, 12, 31));
    EXPECT_NEAR(d.FieldByName("t")->AsDateTime(), EncodeTime(14, 5, 9, 0), 1e-9);
    EXPECT_NEAR(d.FieldByName("ts")->AsDateTime(), EncodeDateTime(2024, 2, 29, 9, 30, 0, 0), 1e-9);
    EXPECT_EQ(d.FieldByName("s")->AsString(), "x, \"y\"");

    d.Next();
    for (const Row& row : types) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(d.FieldByName(row.name)->IsNull());
    }
    EXPECT_EQ(d.FieldByName("si")->AsInteger(), 0);
    EXPECT_EQ(d.FieldByName("s")->AsString(), "");
}

TEST_F(FieldTypesTest, TextWithoutADeclaredLengthTakesValuesOfAnyLength)
{
    // A memo on both backends; a declared length keeps a sized string.
    Exec("CREATE TABLE notes (k INTEGER PRIMARY KEY, body TEXT, tag VARCHAR(8))");
    Exec("INSERT INTO notes VALUES (1, 'a', 'first')");
    Exec("INSERT INTO notes VALUES (2, 'b', 'second')");
    TVADODataSet& d = Open("SELECT k, body, tag FROM notes ORDER BY k");
    EXPECT_EQ(d.FieldByName("body")->DataType(), ftMemo);
    EXPECT_EQ(d.FieldByName("tag")->DataType(), ftString);
    EXPECT_EQ(d.FieldByName("tag")->Size(), 8);
    const std::string longer = std::string(10000, 'b') + ", \"quoted\" end";
    d.Edit();
    d.FieldByName("body")->SetAsString(longer);
    d.Post();
    EXPECT_EQ(Scalar("SELECT body FROM notes WHERE k = 1"), longer);
    EXPECT_EQ(d.FieldByName("body")->AsString(), longer);
    // Searching, filtering and sorting see the whole text.
    ASSERT_TRUE(d.Locate("body", Variant("b"), {}));
    EXPECT_EQ(d.FieldByName("k")->AsInteger(), 2);
    d.SetFilter("body LIKE 'bbb%'");
    EXPECT_EQ(d.RecordCount(), 1);
    EXPECT_EQ(d.FieldByName("k")->AsInteger(), 1);
    d.SetFilter("");
    d.SetSortStr("body DESC");
    d.First();
    EXPECT_EQ(d.FieldByName("k")->AsInteger(), 1);
}

// Everything a reader can ask of one field, in one comparable text.
std::string FieldReading(TField* field)
{
    std::string reading = field->IsNull() ? "null|" : "value|";
    reading += field->AsString() + "|" + VarToStr(field->AsVariant()) + "|" +
               std::to_string(field->AsVariant().VarType());
    switch (field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftLargeint:
        reading += "|" + std::to_string(field->AsLargeInt());
        break;
    case ftFloat:
    case ftBCD: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "|%a", field->AsFloat()); // every bit, and the sign of a zero
        reading += buf;
        break;
    }
    case ftDate:
    case ftTime:
    case ftDateTime: {
        char buf[40];
        std::snprintf(buf, sizeof buf, "|%a", field->AsDateTime());
        reading += buf;
        break;
    }
    case ftBoolean:
        reading += field->AsBoolean() ? "|true" : "|false";
        break;
    default:
        break;
    }
    return reading;
}

TEST_F(FieldTypesTest, FieldsReadFromTheEngineRowAsFromTheRecordLine)
{
    // Values at the edges of each text form: extreme integers, decimals with and without a short
    // form, zeros of both signs, the first and last days, midnight and a time of day, and texts
    // that need quoting or read as Null.
    Exec("INSERT INTO wide VALUES (3, FALSE, 32767, -9223372036854775807, 0.1, -0.05, '0001-01-01', "
         "'00:00:00',"
         " '2024-02-29 00:00:00', '')");
    Exec("INSERT INTO wide VALUES (4, TRUE, -32768, 9223372036854775807, 1e-7, 99999999.99, '9999-12-31',"
         " '23:59:59', '1899-12-30 00:00:00', ' lead')");
    Exec("INSERT INTO wide VALUES (5, FALSE, 0, 0, -0.0, 0, '1899-12-30', '12:00:00', '1600-03-01 18:45:30',"
         " 'a,b')");
    Exec(
        "INSERT INTO wide VALUES (6, TRUE, 1, 1, 1e20, 0.01, '2000-02-29', '06:07:08', '2100-01-01 00:00:01',"
        " '\"')");
    Exec("INSERT INTO wide VALUES (7, FALSE, -1, -1, 123456.789012345, 12345678.9, '1970-01-01', NULL,"
         " '1970-01-01 00:00:00', 'zz')");
    TVADODataSet& d = Open("SELECT * FROM wide ORDER BY k");
    int records = 0;
    for (d.First(); !d.Eof(); d.Next(), ++records) {
        SCOPED_TRACE("record " + d.FieldByName("k")->AsString());
        // Loaded from an unchanged engine row: the buffer keeps the row, not a line.
        ASSERT_TRUE(d.HoldsEngineRow(d.TDataSet::ActiveBuffer()));
        std::vector<std::string> direct;
        for (Integer i = 0; i < d.Fields()->Count(); ++i)
            direct.push_back(FieldReading(d.Fields()->Fields(i)));
        // Asking for the line writes it; the same fields then read from the line.
        ASSERT_NE(d.ActiveBuffer()[0], '\0');
        ASSERT_FALSE(d.HoldsEngineRow(d.TDataSet::ActiveBuffer()));
        for (Integer i = 0; i < d.Fields()->Count(); ++i) {
            SCOPED_TRACE(d.Fields()->Fields(i)->FieldName());
            EXPECT_EQ(direct[static_cast<std::size_t>(i)], FieldReading(d.Fields()->Fields(i)));
        }
    }
    EXPECT_EQ(records, 7);
}

// FieldReading, or the message of the error a read raises: both routes must raise alike too.
std::string ReadingOrError(TField* field)
{
    try {
        return FieldReading(field);
    } catch (const Exception& e) {
        return "error|" + std::string(e.Message());
    }
}

TEST_F(FieldTypesTest, CellsOfAnotherKindReadFromTheEngineRowAsFromTheRecordLine)
{
    // SQLite keeps what it is given whatever the column's type: texts, reals and out-of-range
    // integers in typed columns, and a time of day in a date column.
    VMADO_EMBEDDED_SQLITE_ONLY();
    Exec("INSERT INTO wide VALUES (3, 'yes', '12', 2.0, '2.5', 'x', 45000.25, '1', 'soon', 7)");
    Exec("INSERT INTO wide VALUES (4, 2, 70000, 'big', 1e400, 3, '2024-02-30', 0.5, 45000, -1)");
    Exec("INSERT INTO wide VALUES (5, 0.5, -0.0, 9223372036854775807, -1e400, NULL, -700000, 2, -1e9, NULL)");
    TVADODataSet& d = Open("SELECT * FROM wide WHERE k >= 3 ORDER BY k");
    int records = 0;
    for (d.First(); !d.Eof(); d.Next(), ++records) {
        SCOPED_TRACE("record " + d.FieldByName("k")->AsString());
        if (!d.HoldsEngineRow(d.TDataSet::ActiveBuffer()))
            continue; // a row no line can hold is read from its line alone
        std::vector<std::string> direct;
        for (Integer i = 0; i < d.Fields()->Count(); ++i)
            direct.push_back(ReadingOrError(d.Fields()->Fields(i)));
        d.ActiveBuffer();
        ASSERT_FALSE(d.HoldsEngineRow(d.TDataSet::ActiveBuffer()));
        for (Integer i = 0; i < d.Fields()->Count(); ++i) {
            SCOPED_TRACE(d.Fields()->Fields(i)->FieldName());
            EXPECT_EQ(direct[static_cast<std::size_t>(i)], ReadingOrError(d.Fields()->Fields(i)));
        }
    }
    EXPECT_EQ(records, 3);
    // Not an agreement on nothing: the integer column read the text it holds as a number.
    d.First();
    EXPECT_EQ(d.FieldByName("si")->AsInteger(), 12);
    EXPECT_EQ(d.FieldByName("f")->AsFloat(), 2.5);
}

TEST_F(FieldTypesTest, ABufferOfAnEarlierOpenIsNotReadFromTheNewRows)
{
    TVADODataSet& d = Open("SELECT * FROM wide ORDER BY k");
    ASSERT_TRUE(d.HoldsEngineRow(d.TDataSet::ActiveBuffer()));
    // Requeried behind the dataset's back: the row the buffer keeps belongs to rows now gone.
    d.Records()->Recordset->Requery();
    try {
        d.FieldByName("s")->AsString();
        FAIL() << "a field of a buffer from the earlier open was read";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("earlier open"), std::string::npos) << e.what();
    }
    // The dataset's own refresh loads the buffers again.
    d.Refresh();
    EXPECT_EQ(d.FieldByName("s")->AsString(), "x, \"y\"");
}

} // namespace
} // namespace vmado::test
