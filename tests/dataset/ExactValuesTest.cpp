// Values that must come back exactly as the database holds them: integers beyond 32 bits, text of
// any length, exact decimals, GUIDs, fractions of a second, doubles to their last digit and the
// Null of a memo or blob. Each is read, edited beside another field, and written back.
#include "DataSetFixture.h"

#include "framework/rtl/DateTime.h"
#include "framework/rtl/SysUtils.h"

namespace vmado::test {
namespace {

class ExactValuesTest : public DataSetTest {
protected:
    bool Pg() const { return Backend().Postgres(); }

    // Moves to the record whose k field holds key.
    void GoTo(TVADODataSet& ds, Integer key)
    {
        ASSERT_TRUE(ds.Locate("k", Variant(key), {})) << "no record with k = " << key;
    }
};

TEST_F(ExactValuesTest, IntegersBeyond32BitsReadEditAndLocateWhole)
{
    // SQLite's INTEGER holds 64 bits; PostgreSQL needs BIGINT for them.
    Exec(std::string("CREATE TABLE big (k INTEGER PRIMARY KEY, n ") + (Pg() ? "BIGINT" : "INTEGER") +
         ", s VARCHAR(10))");
    const Int64 values[] = {5000000000LL, 9007199254740993LL, -5000000000LL, 7};
    for (Integer k = 0; k < 4; ++k)
        Exec("INSERT INTO big VALUES (" + std::to_string(k + 1) + ", " + std::to_string(values[k]) +
             ", 'x')");
    TVADODataSet& ds = Open("SELECT k, n, s FROM big ORDER BY k");
    ASSERT_EQ(ds.FieldByName("n")->DataType(), ftLargeint);
    for (Integer k = 0; k < 4; ++k) {
        SCOPED_TRACE(values[k]);
        ASSERT_TRUE(ds.Locate("n", Variant(values[k]), {}));
        EXPECT_EQ(ds.FieldByName("k")->AsInteger(), k + 1);
        EXPECT_EQ(ds.FieldByName("n")->AsLargeInt(), values[k]);
        EXPECT_EQ(ds.FieldByName("n")->AsString(), std::to_string(values[k]));
        ds.Edit();
        ds.FieldByName("s")->SetAsString("y" + std::to_string(k));
        ds.Post();
        EXPECT_EQ(Scalar("SELECT s FROM big WHERE n = " + std::to_string(values[k])),
                  "y" + std::to_string(k));
    }
    GoTo(ds, 4);
    ds.Edit();
    ds.FieldByName("n")->SetAsLargeInt(-9007199254740993LL);
    ds.Post();
    EXPECT_EQ(Scalar("SELECT n FROM big WHERE k = 4"), "-9007199254740993");
}

TEST_F(ExactValuesTest, DoublesKeepTheirLastDigit)
{
    Exec("CREATE TABLE reals (k INTEGER PRIMARY KEY, f DOUBLE PRECISION, s VARCHAR(10))");
    Exec("INSERT INTO reals VALUES (1, 0.30000000000000004, 'a')");
    Exec("INSERT INTO reals VALUES (2, 2.5, 'b')");
    TVADODataSet& ds = Open("SELECT k, f, s FROM reals ORDER BY k");
    EXPECT_EQ(ds.FieldByName("f")->AsFloat(), 0.1 + 0.2);
    ds.Edit();
    ds.FieldByName("s")->SetAsString("edited");
    ds.Post();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM reals WHERE k = 1 AND f = 0.30000000000000004"), "1");
    EXPECT_EQ(ds.FieldByName("f")->AsFloat(), 0.1 + 0.2);
    GoTo(ds, 2);
    ds.Edit();
    ds.FieldByName("f")->SetAsFloat(1.0 / 3.0);
    EXPECT_EQ(ds.FieldByName("f")->AsFloat(), 1.0 / 3.0);
    ds.Post();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM reals WHERE k = 2 AND f = 0.3333333333333333"), "1");
}

TEST_F(ExactValuesTest, MillisecondsAreReadAndWrittenBack)
{
    Exec(std::string("CREATE TABLE stamps (k INTEGER PRIMARY KEY, ts ") +
         (Pg() ? "TIMESTAMP(3)" : "TIMESTAMP") + ", s VARCHAR(10))");
    Exec("INSERT INTO stamps VALUES (1, '2024-01-05 13:45:10.123', 'a')");
    Exec("INSERT INTO stamps VALUES (2, '2024-01-05 13:45:10', 'b')");
    TVADODataSet& ds = Open("SELECT k, ts, s FROM stamps ORDER BY k");
    TField* ts = ds.FieldByName("ts");
    EXPECT_NEAR(ts->AsDateTime(), EncodeDateTime(2024, 1, 5, 13, 45, 10, 123), 0.1 / 86400000.0);
    ds.Edit();
    ts->SetAsDateTime(EncodeDateTime(2024, 1, 5, 13, 45, 10, 456));
    EXPECT_NEAR(ts->AsDateTime(), EncodeDateTime(2024, 1, 5, 13, 45, 10, 456), 0.1 / 86400000.0);
    ds.Post();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM stamps WHERE k = 1 AND ts = '2024-01-05 13:45:10.456'"), "1");
    // A whole second keeps its usual form, and an edit beside it leaves it alone.
    GoTo(ds, 2);
    ds.Edit();
    ds.FieldByName("s")->SetAsString("c");
    ds.Post();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM stamps WHERE k = 2 AND ts = '2024-01-05 13:45:10'"), "1");
    EXPECT_NEAR(ts->AsDateTime(), EncodeDateTime(2024, 1, 5, 13, 45, 10, 0), 0.1 / 86400000.0);
}

TEST_F(ExactValuesTest, NullMemoAndBlobReadAsNull)
{
    Exec(std::string("CREATE TABLE docs (k INTEGER PRIMARY KEY, memo ") + (Pg() ? "TEXT" : "CLOB") +
         ", bin " + Backend().BlobType() + ")");
    Exec("INSERT INTO docs VALUES (1, NULL, NULL)");
    Exec("INSERT INTO docs VALUES (2, 'words', NULL)");
    TVADODataSet& ds = Open("SELECT k, memo, bin FROM docs ORDER BY k");
    TField* memo = ds.FieldByName("memo");
    TField* bin = ds.FieldByName("bin");
    ASSERT_TRUE(memo->IsBlob());
    EXPECT_TRUE(memo->IsNull());
    EXPECT_TRUE(memo->AsVariant().IsNull());
    EXPECT_TRUE(bin->IsNull());
    EXPECT_TRUE(bin->AsVariant().IsNull());
    ds.Next();
    EXPECT_FALSE(memo->IsNull());
    EXPECT_EQ(memo->AsVariant().AsString(), "words");
    EXPECT_TRUE(bin->IsNull());
    // A Null memo given a value reads it at once and keeps it after the post.
    ds.First();
    ds.Edit();
    memo->SetAsString("now set");
    EXPECT_FALSE(memo->IsNull());
    ds.Post();
    EXPECT_EQ(Scalar("SELECT memo FROM docs WHERE k = 1"), "now set");
    EXPECT_FALSE(memo->IsNull());
}

TEST_F(ExactValuesTest, GuidsReadAndWriteInTheirBracedForm)
{
    // PostgreSQL's uuid arrives in ADO's braced upper-case form; SQLite keeps the text it holds.
    Exec(std::string("CREATE TABLE ids (k INTEGER PRIMARY KEY, g ") + (Pg() ? "UUID" : "GUID") +
         ", s VARCHAR(10))");
    const std::string stored =
        Pg() ? "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11" : "{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}";
    Exec("INSERT INTO ids VALUES (1, '" + stored + "', 'a')");
    TVADODataSet& ds = Open("SELECT k, g, s FROM ids ORDER BY k");
    TField* g = ds.FieldByName("g");
    ASSERT_EQ(g->DataType(), ftGuid);
    EXPECT_NE(dynamic_cast<TGuidField*>(g), nullptr);
    EXPECT_EQ(g->Size(), 38);
    EXPECT_EQ(g->AsString(), "{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}");
    ds.Edit();
    ds.FieldByName("s")->SetAsString("b");
    ds.Post();
    EXPECT_EQ(Scalar("SELECT s FROM ids WHERE k = 1"), "b");

    ds.Edit();
    g->SetAsString("{6B29FC40-CA47-1067-B31D-00DC010660A7}");
    ds.Post();
    EXPECT_EQ(Scalar(Pg() ? "SELECT COUNT(*) FROM ids WHERE g = '6b29fc40-ca47-1067-b31d-00dc010660a7'"
                          : "SELECT COUNT(*) FROM ids WHERE g = '{6B29FC40-CA47-1067-B31D-00DC010660A7}'"),
              "1");
    ds.Edit();
    g->Clear();
    ds.Post();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ids WHERE k = 1 AND g IS NULL"), "1");
    EXPECT_TRUE(g->IsNull());

    ds.Edit();
    try {
        g->SetAsString("not a guid");
        FAIL() << "a text that is no GUID was taken";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("not a valid GUID"), std::string::npos) << e.what();
    }
    ds.Cancel();
}

TEST_F(ExactValuesTest, DecimalsMapToExactFields)
{
    Exec("CREATE TABLE amounts (k INTEGER PRIMARY KEY, small NUMERIC(10,2), money NUMERIC(18,4),"
         " wide NUMERIC(30,2), plain DOUBLE PRECISION)");
    Exec("INSERT INTO amounts VALUES (1, 1234.56, 1.5, 2.25, 0.5)");
    TVADODataSet& ds = Open("SELECT k, small, money, wide, plain FROM amounts");
    struct Row {
        const char* name;
        TFieldType type;
        Integer size;
    };
    const Row rows[] = {
        {"small", ftBCD, 2}, {"money", ftBCD, 4}, {"wide", ftFMTBcd, 2}, {"plain", ftFloat, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ds.FieldByName(row.name)->DataType(), row.type);
        EXPECT_EQ(ds.FieldByName(row.name)->Size(), row.size);
    }
    EXPECT_EQ(ds.FieldByName("small")->AsString(), "1234.56");
    EXPECT_EQ(ds.FieldByName("wide")->AsString(), "2.25");
    EXPECT_DOUBLE_EQ(ds.FieldByName("wide")->AsFloat(), 2.25);
    EXPECT_EQ(dynamic_cast<TFMTBCDField*>(ds.FieldByName("wide"))->Precision(), 30);
}

TEST_F(ExactValuesTest, WideDecimalsReadAndWriteBackDigitForDigit)
{
    if (!Pg())
        GTEST_SKIP() << "SQLite keeps decimals as doubles";
    Exec("CREATE TABLE amounts (k INTEGER PRIMARY KEY, money NUMERIC(18,4), wide NUMERIC(30,2), s "
         "VARCHAR(5))");
    Exec("INSERT INTO amounts VALUES (1, 12345678901234.5678, 1234567890123456789.12, 'a')");
    TVADODataSet& ds = Open("SELECT k, money, wide, s FROM amounts");
    EXPECT_EQ(ds.FieldByName("money")->AsString(), "12345678901234.5678");
    EXPECT_EQ(ds.FieldByName("money")->AsCurrency().Raw, 123456789012345678LL);
    EXPECT_EQ(ds.FieldByName("wide")->AsString(), "1234567890123456789.12");
    ds.Edit();
    ds.FieldByName("s")->SetAsString("b");
    ds.Post();
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM amounts WHERE money = 12345678901234.5678"
                     " AND wide = 1234567890123456789.12 AND s = 'b'"),
              "1");
    ds.Edit();
    ds.FieldByName("money")->SetAsString("-98765432109876.5432");
    ds.FieldByName("wide")->SetAsString("9876543210987654321.98");
    ds.Post();
    EXPECT_EQ(Scalar("SELECT money::text || ' ' || wide::text FROM amounts"),
              "-98765432109876.5432 9876543210987654321.98");
    EXPECT_EQ(ds.FieldByName("wide")->AsString(), "9876543210987654321.98");
}

TEST_F(ExactValuesTest, OutOfRangeDatesRaiseNamingTheColumn)
{
    if (!Pg())
        GTEST_SKIP() << "SQLite keeps such a date as the text it was given";
    Exec("CREATE TABLE far (k INTEGER PRIMARY KEY, d DATE, ts TIMESTAMP)");
    Exec("INSERT INTO far VALUES (1, '2024-01-05', '2024-01-05 10:00:00')");
    Exec("INSERT INTO far VALUES (2, '10000-01-01', '2024-01-05 10:00:00')");
    Exec("INSERT INTO far VALUES (3, '2024-01-05', '0001-01-01 00:00:00 BC')");
    const char* cases[][2] = {{"SELECT k, d FROM far WHERE k <> 3", "'d'"},
                              {"SELECT k, ts FROM far", "'ts'"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c[0]);
        TVADODataSet& ds = Make(c[0]);
        try {
            ds.Open();
            FAIL() << "an out-of-range date was read";
        } catch (const EDatabaseError& e) {
            EXPECT_STREQ(e.what(), "Open error!");
            EXPECT_NE(e.Context().find(c[1]), std::string::npos) << e.Context();
            EXPECT_NE(e.Context().find("outside the supported range"), std::string::npos) << e.Context();
        }
        TearDown();
    }
}

} // namespace
} // namespace vmado::test
