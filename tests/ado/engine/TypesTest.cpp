// Type mapping: ADO types and sizes of the wide table's columns, dates/times/timestamps read back
// as dates, Booleans as Booleans, NULLs, blobs and text round trips.
#include "BackendContext.h"
#include "framework/rtl/CodePage.h"

#include <cmath>

namespace vmado::test {

namespace {

class BACKEND_SUITE(TypesTest) : public EngineTest {};

TEST_F(BACKEND_SUITE(TypesTest), ColumnsMapToAdoTypes)
{
    auto rs = OpenRs("SELECT id, i, d, b, dt, ts, s, t, bl, n FROM wide ORDER BY id");
    auto f = rs->Fields();
    struct Case {
        const char* Name;
        DataTypeEnum Type;
    } cases[] = {
        {"i", Backend().IntegerAdoType()},
        {"d", adDouble},
        {"b", adBoolean},
        {"dt", Backend().DateType()},
        {"ts", Backend().TimestampAdoType()},
        {"s", adVarChar},
        {"t", Backend().TextType()},
        {"bl", Backend().BlobAdoType()},
        {"n", Backend().NumericAdoType()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(f->Item(c.Name)->Type(), c.Type);
    }
    EXPECT_EQ(f->Item("s")->DefinedSize(), 30);
    EXPECT_EQ(f->Item("s")->Name(), "s");
}

TEST_F(BACKEND_SUITE(TypesTest), TextWithoutLengthIsLongAndExpressionsTakeTheirLongestValue)
{
    if (!Backend().TextSizeFromData())
        GTEST_SKIP() << Backend().Name() << " declares a size for TEXT itself";
    // A column declared without a length takes values of any length: a long (memo) column.
    auto text = OpenRs("SELECT t FROM wide");
    auto t = text->Fields()->Item("t");
    EXPECT_EQ(t->Type(), adLongVarChar);
    EXPECT_TRUE(t->Attributes() & adFldLong);
    // An expression has no declaration: its longest value sizes it, and an edit may write past it.
    auto rs = OpenRs("SELECT t, 'x' || substr(hex(zeroblob(200)), 1, 399) AS l FROM wide");
    EXPECT_EQ(rs->Fields()->Item("l")->DefinedSize(), 400);
}

TEST_F(BACKEND_SUITE(TypesTest), SqliteIntegersAreAsWideAsTheirValues)
{
    if (!Backend().EmbeddedSqlite())
        GTEST_SKIP() << Backend().Name() << " enforces its declared integer widths";
    // SQLite keeps 64 bits in any integer column: only the names that promise less are narrower,
    // and a column that holds wider values than its name promises is reported as wide as they are.
    Exec("CREATE TABLE ints (a SMALLINT, b INT4, c INTEGER, d INT4, e MEDIUMINT)");
    Exec("INSERT INTO ints VALUES (70000, 5000000000, 9007199254740993, 5, 6)");
    auto rs = OpenRs("SELECT a, b, c, d, e FROM ints");
    const struct {
        const char* Name;
        DataTypeEnum Type;
        Int64 Value;
    } cases[] = {{"a", adInteger, 70000},
                 {"b", adBigInt, 5000000000LL},
                 {"c", adBigInt, 9007199254740993LL},
                 {"d", adInteger, 5},
                 {"e", adInteger, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(rs->Fields()->Item(c.Name)->Type(), c.Type);
        EXPECT_EQ(rs->Fields()->Item(c.Name)->Value().AsInt64(), c.Value);
    }
    // A declared 32-bit column keeps its range on edit; a 64-bit one takes 64 bits.
    EXPECT_THROW(rs->Fields()->Item("d")->SetValue(Variant(Int64{5000000000LL})), EOleException);
    rs->Fields()->Item("c")->SetValue(Variant(Int64{-9007199254740993LL}));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT c FROM ints").AsInt64(), -9007199254740993LL);
}

TEST_F(BACKEND_SUITE(TypesTest), ServerTypesReadExactly)
{
    if (Backend().Name() != "postgres")
        GTEST_SKIP() << "needs PostgreSQL's numeric, uuid and date range";
    Exec("CREATE TABLE exact (id INTEGER PRIMARY KEY, m NUMERIC(18,4), w NUMERIC(30,2), g UUID,"
         " ts TIMESTAMP(3))");
    Exec("INSERT INTO exact VALUES (1, 12345678901234.5678, 1234567890123456789.12,"
         " 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11', '2024-01-05 13:45:10.123')");
    auto rs = OpenRs("SELECT id, m, w, g, ts FROM exact");
    auto f = rs->Fields();
    EXPECT_EQ(f->Item("m")->Value().AsCurrency().Raw, 123456789012345678LL);
    EXPECT_EQ(f->Item("w")->Value().AsString(), "1234567890123456789.12");
    EXPECT_EQ(f->Item("g")->Type(), adGUID);
    EXPECT_EQ(f->Item("g")->Value().AsString(), "{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}");
    EXPECT_NEAR(f->Item("ts")->Value().AsDateTime(), 45296.0 + (13 * 3600 + 45 * 60 + 10.123) / 86400.0,
                0.1 / 86400000.0);
    f->Item("w")->SetValue(Variant("-9876543210987654321.5"));
    f->Item("g")->SetValue(Variant("{6B29FC40-CA47-1067-B31D-00DC010660A7}"));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT w::text || ' ' || g::text FROM exact").AsString(),
              "-9876543210987654321.50 6b29fc40-ca47-1067-b31d-00dc010660a7");
    EXPECT_THROW(f->Item("w")->SetValue(Variant("12abc")), EOleException);
    rs->CancelUpdate();
}

TEST_F(BACKEND_SUITE(TypesTest), DatesOutsideTheSupportedRangeRaiseNamingTheColumn)
{
    if (Backend().Name() != "postgres")
        GTEST_SKIP() << "needs PostgreSQL's date range";
    Exec("CREATE TABLE far (id INTEGER PRIMARY KEY, d DATE, ts TIMESTAMP)");
    // psqlODBC itself turns a timestamp's infinity into 9999-12-31 23:59:59 and drops the era of
    // a date before Christ; every other value beyond the range reaches the engine and is refused.
    const struct {
        const char* Column;
        const char* Value;
    } cases[] = {{"d", "10000-01-01"},  {"d", "infinity"},       {"d", "-infinity"},
                 {"ts", "10000-01-01"}, {"ts", "0044-03-15 BC"}, {"ts", "-infinity"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Column) + " " + c.Value);
        Exec("DELETE FROM far");
        Exec(AnsiString("INSERT INTO far (id, ") + c.Column + ") VALUES (1, '" + c.Value + "')");
        try {
            OpenRs(AnsiString("SELECT id, ") + c.Column + " FROM far");
            ADD_FAILURE() << "the date was read";
        } catch (const EConvertError& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("'") + c.Column + "'"), std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("outside the supported range"), std::string::npos)
                << e.what();
        }
    }
    // The ends of the range and a time zone's offset read as the driver would read them.
    Exec("CREATE TABLE near (id INTEGER PRIMARY KEY, ts TIMESTAMP, tz TIMESTAMPTZ, t TIME)");
    Exec("INSERT INTO near VALUES (1, '0001-01-01 00:00:00', '2024-01-05 10:00:00+00', '13:45:10.123'),"
         " (2, '9999-12-31 23:59:59.999', NULL, NULL)");
    auto rs = OpenRs("SELECT id, ts, tz, t FROM near ORDER BY id");
    EXPECT_DOUBLE_EQ(rs->Fields()->Item("ts")->Value().AsDateTime(), -693593.0);
    EXPECT_FALSE(rs->Fields()->Item("tz")->Value().IsNull());
    EXPECT_NEAR(rs->Fields()->Item("t")->Value().AsDateTime(), (13 * 3600 + 45 * 60 + 10.123) / 86400.0,
                0.1 / 86400000.0);
    rs->MoveNext();
    EXPECT_NEAR(rs->Fields()->Item("ts")->Value().AsDateTime(), 2958465.0 + 86399.999 / 86400.0,
                0.1 / 86400000.0);
}

TEST_F(BACKEND_SUITE(TypesTest), ValuesReadBackTyped)
{
    auto rs = OpenRs("SELECT id, i, d, b, dt, ts, s, t, n FROM wide ORDER BY id");
    auto f = rs->Fields();
    EXPECT_EQ(f->Item("i")->Value().AsInteger(), 10);
    EXPECT_DOUBLE_EQ(f->Item("d")->Value().AsFloat(), 1.5);
    EXPECT_EQ(f->Item("b")->Value().VarType(), varBoolean);
    EXPECT_TRUE(f->Item("b")->Value().AsBoolean());
    EXPECT_EQ(f->Item("dt")->Value().VarType(), varDate);
    EXPECT_DOUBLE_EQ(f->Item("dt")->Value().AsDateTime(), 45296.0); // 2024-01-05
    EXPECT_EQ(f->Item("ts")->Value().VarType(), varDate);
    EXPECT_NEAR(f->Item("ts")->Value().AsDateTime(), 45296.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0, 1e-9);
    EXPECT_NEAR(f->Item("n")->Value().AsFloat(), 12.5, 1e-9);
    rs->MoveNext();
    EXPECT_EQ(f->Item("s")->Value().AsString(), "Beta, \"quoted\"");
    EXPECT_FALSE(f->Item("b")->Value().AsBoolean());
    EXPECT_DOUBLE_EQ(f->Item("ts")->Value().AsDateTime(), 36585.0); // 2000-02-29 midnight
    rs->MoveNext();
    for (const char* name : {"i", "d", "b", "dt", "ts", "s", "t", "n"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(f->Item(name)->Value().IsNull());
        EXPECT_EQ(f->Item(name)->ActualSize(), 0);
    }
}

TEST_F(BACKEND_SUITE(TypesTest), WrittenValuesRoundTrip)
{
    auto rs = OpenRs("SELECT id, i, d, b, dt, ts, s, bl FROM wide ORDER BY id");
    rs->MoveLast();
    const double when = 45296.0 + 0.25; // 2024-01-05 06:00
    const std::vector<Byte> bytes = {0, 1, 2, 255, 0, 42};
    auto f = rs->Fields();
    f->Item("i")->SetValue(Variant(-7));
    f->Item("d")->SetValue(Variant(3.25));
    f->Item("b")->SetValue(Variant(true));
    f->Item("dt")->SetValue(Variant::FromDate(45000.0));
    f->Item("ts")->SetValue(Variant::FromDate(when));
    const AnsiString text = Utf8ToAnsi("árvíztűrő"); // letters beyond ASCII
    f->Item("s")->SetValue(Variant(text));
    f->Item("bl")->SetValue(VarByteArray(bytes.data(), bytes.size()));
    rs->Update();
    auto again = OpenRs("SELECT id, i, d, b, dt, ts, s, bl FROM wide WHERE id = 3");
    auto g = again->Fields();
    EXPECT_EQ(g->Item("i")->Value().AsInteger(), -7);
    EXPECT_DOUBLE_EQ(g->Item("d")->Value().AsFloat(), 3.25);
    EXPECT_TRUE(g->Item("b")->Value().AsBoolean());
    EXPECT_DOUBLE_EQ(g->Item("dt")->Value().AsDateTime(), 45000.0);
    EXPECT_NEAR(g->Item("ts")->Value().AsDateTime(), when, 1e-8);
    EXPECT_EQ(g->Item("s")->Value().AsString(), text);
    EXPECT_EQ(VarArrayBytes(g->Item("bl")->Value()), bytes);
    EXPECT_EQ(g->Item("bl")->ActualSize(), 6);
}

TEST_F(BACKEND_SUITE(TypesTest), SqliteStoresDatesAsIsoTextAndBooleansAsNumbers)
{
    if (!Backend().EmbeddedSqlite())
        GTEST_SKIP() << Backend().Name() << " has date and Boolean types of its own";
    auto rs = OpenRs("SELECT id, dt, ts, b FROM wide ORDER BY id");
    rs->MoveLast();
    rs->Fields()->Item("dt")->SetValue(Variant::FromDate(45000.0));
    rs->Fields()->Item("ts")->SetValue(Variant::FromDate(45296.0 + 0.5 + 1.0 / 86400));
    rs->Fields()->Item("b")->SetValue(Variant(true));
    rs->Update();
    EXPECT_EQ(Scalar("SELECT typeof(dt) || ' ' || dt FROM wide WHERE id = 3").AsString(), "text 2023-03-15");
    EXPECT_EQ(Scalar("SELECT typeof(ts) || ' ' || ts FROM wide WHERE id = 3").AsString(),
              "text 2024-01-05 12:00:01");
    EXPECT_EQ(Scalar("SELECT typeof(b) || ' ' || b FROM wide WHERE id = 3").AsString(), "integer 1");
}

TEST_F(BACKEND_SUITE(TypesTest), ExpressionColumnsTakeTheirTypeFromTheValues)
{
    if (!Backend().EmbeddedSqlite())
        GTEST_SKIP() << Backend().Name() << " types expressions itself";
    auto rs = OpenRs("SELECT COUNT(*) AS n, MAX(d) AS m, MAX(s) AS t, NULL AS z FROM wide", adLockReadOnly);
    struct Case {
        const char* Name;
        DataTypeEnum Type;
        Word VarType;
    } cases[] = {{"n", adInteger, varInteger}, {"m", adDouble, varDouble}, {"t", adVarChar, varString}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(rs->Fields()->Item(c.Name)->Type(), c.Type);
        EXPECT_EQ(rs->Fields()->Item(c.Name)->Value().VarType(), c.VarType);
    }
    EXPECT_TRUE(rs->Fields()->Item("z")->Value().IsNull());
}

TEST_F(BACKEND_SUITE(TypesTest), ChunksReadAndAppendPiecewise)
{
    auto rs = OpenRs("SELECT id, t FROM wide ORDER BY id");
    rs->MoveNext();
    auto t = rs->Fields()->Item("t");
    EXPECT_EQ(t->GetChunk(8).AsString(), "a longer");
    EXPECT_EQ(t->GetChunk(100).AsString(), " text value");
    EXPECT_TRUE(t->GetChunk(5).IsNull());
    rs->MovePrevious();
    t->AppendChunk(Variant(" +more"));
    EXPECT_EQ(t->Value().AsString(), "short +more");
    rs->CancelUpdate();
}

TEST_F(BACKEND_SUITE(TypesTest), FieldPropertiesNameTheBaseTable)
{
    auto rs = OpenRs("SELECT id, name FROM tall");
    auto props = rs->Fields()->Item("name")->Properties();
    EXPECT_EQ(props->Item("BASETABLENAME")->Value().AsString(), "tall");
    EXPECT_EQ(props->Item("BASECOLUMNNAME")->Value().AsString(), "name");
    EXPECT_TRUE(rs->Fields()->Item("id")->Properties()->Item("KEYCOLUMN")->Value().AsBoolean());
    EXPECT_TRUE(rs->Fields()->Item("id")->Attributes() & adFldKeyColumn);
}

} // namespace

} // namespace vmado::test
