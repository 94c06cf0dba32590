// A wide table with one column of each common type: each reaches its field class and reads back
// its value, Nulls included, through the record line's text forms.
#include "DataSetFixture.h"

#include "framework/rtl/DateTime.h"

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

} // namespace
} // namespace vmado::test
