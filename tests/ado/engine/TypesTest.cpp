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
        {"i", adInteger},
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

TEST_F(BACKEND_SUITE(TypesTest), TextWithoutLengthReportsRoomForItsLongestValue)
{
    if (!Backend().TextSizeFromData())
        GTEST_SKIP() << Backend().Name() << " declares a size for TEXT itself";
    // Short values: room for an ordinary value.
    EXPECT_EQ(OpenRs("SELECT t FROM wide")->Fields()->Item("t")->DefinedSize(), 255);
    // A longer value widens it, and an edit may write past it, as the database allows.
    auto rs = OpenRs("SELECT t, 'x' || substr(hex(zeroblob(200)), 1, 399) AS l FROM wide");
    EXPECT_EQ(rs->Fields()->Item("l")->DefinedSize(), 400);
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
    f->Item("s")->SetValue(Variant(Utf8ToAnsi("árvíztűrő"))); // letters beyond ASCII
    f->Item("bl")->SetValue(VarByteArray(bytes.data(), bytes.size()));
    rs->Update();
    auto again = OpenRs("SELECT id, i, d, b, dt, ts, s, bl FROM wide WHERE id = 3");
    auto g = again->Fields();
    EXPECT_EQ(g->Item("i")->Value().AsInteger(), -7);
    EXPECT_DOUBLE_EQ(g->Item("d")->Value().AsFloat(), 3.25);
    EXPECT_TRUE(g->Item("b")->Value().AsBoolean());
    EXPECT_DOUBLE_EQ(g->Item("dt")->Value().AsDateTime(), 45000.0);
    EXPECT_NEAR(g->Item("ts")->Value().AsDateTime(), when, 1e-8);
    EXPECT_EQ(g->Item("s")->Value().AsString(), Utf8ToAnsi("árvíztűrő"));
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
