// The query and table components without a database: parameter parsing and substitution, the
// table name's command, circular links, ExecSQL's refusals and the stored form of a query.
#include "framework/classes/ComponentStreaming.h"
#include "framework/rtl/DateTime.h"
#include "tables/VTables.h"

#include <gtest/gtest.h>

namespace vmado {
namespace {

void SetSQL(TVQuery& q, const AnsiString& text)
{
    TStringList list;
    list.SetText(text);
    q.SetQuery(&list);
}

TEST(QueryParams, ParsedIntoParamsAndText)
{
    TVQuery q;
    SetSQL(q, "SELECT * FROM Orders WHERE CustNo = :Cust AND ShipDate > :D");
    ASSERT_EQ(q.GetParamsCount(), 2);
    EXPECT_EQ(q.Params()->Items(0)->Name(), "Cust");
    EXPECT_EQ(q.Params()->Items(1)->Name(), "D");
    EXPECT_EQ(q.Text(), "SELECT * FROM Orders WHERE CustNo = ? AND ShipDate > ?\r\n");
    q.ParamByName("Cust")->SetAsInteger(1001);
    q.ParamByName("D")->SetAsDate(EncodeDate(2024, 1, 5));
    EXPECT_EQ(q.SwapParams(q.Text()),
              "SELECT * FROM Orders WHERE CustNo =  1001  AND ShipDate >  {d '2024-01-05' } \r\n");
}

TEST(QueryParams, ValuesSurviveAChangeOfSQLByName)
{
    TVQuery q;
    SetSQL(q, "SELECT * FROM t WHERE A = :X");
    q.ParamByName("X")->SetAsString("kept");
    SetSQL(q, "SELECT * FROM t WHERE A = :X AND B = :Y");
    ASSERT_EQ(q.GetParamsCount(), 2);
    EXPECT_EQ(q.ParamByName("X")->AsString(), "kept");
    EXPECT_TRUE(q.ParamByName("Y")->IsNull());
}

TEST(QueryParams, SameTextDoesNotParseAgain)
{
    TVQuery q;
    SetSQL(q, "SELECT * FROM t WHERE A = :X");
    TParam* before = q.Params()->Items(0);
    SetSQL(q, "SELECT * FROM t WHERE A = :X");
    EXPECT_EQ(q.Params()->Items(0), before);
}

TEST(QueryParams, ParamCheckOffSendsTheTextUnchanged)
{
    TVQuery q;
    q.SetParamCheck(false);
    SetSQL(q, "SELECT * FROM t WHERE A = :X");
    EXPECT_EQ(q.GetParamsCount(), 0);
    EXPECT_EQ(q.Text(), "SELECT * FROM t WHERE A = :X\r\n");
    EXPECT_EQ(q.CommandText(), "SELECT * FROM t WHERE A = :X");
}

TEST(QueryParams, EachTypeIsSwappedAsItsLiteral)
{
    struct Case {
        const char* Name;
        std::function<void(TParam*)> Set;
        const char* Sent;
    } cases[] = {
        {"boolean true", [](TParam* p) { p->SetAsBoolean(true); }, "A =  -1 "},
        {"date time", [](TParam* p) { p->SetAsDateTime(EncodeDateTime(2024, 1, 5, 15, 4, 5, 0)); },
         "A =  {d '2024-01-05 03:04:05 PM' } "},
        {"time", [](TParam* p) { p->SetAsTime(EncodeTime(15, 4, 5, 0)); }, "A =  {t '03:04:05 PM' } "},
        {"string with quote and marker", [](TParam* p) { p->SetAsString("who's?"); }, "A =  'who''s?' "},
        {"null", [](TParam* p) { p->Clear(); }, "A =  NULL "},
        {"float", [](TParam* p) { p->SetAsFloat(2.5); }, "A =  2.5 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TVQuery q;
        SetSQL(q, "A = :P");
        c.Set(q.ParamByName("P"));
        EXPECT_EQ(q.SwapParams("A = ?"), c.Sent);
    }
}

TEST(QueryParams, MarkersInValuesAndLiteralsAreNotParameters)
{
    TVQuery q;
    SetSQL(q, "SELECT * FROM t WHERE name LIKE 'who?' AND a = :A AND b = :B");
    q.ParamByName("A")->SetAsString("?");
    q.ParamByName("B")->SetAsInteger(2);
    EXPECT_EQ(q.SwapParams(q.Text()), "SELECT * FROM t WHERE name LIKE 'who?' AND a =  '?'  AND b =  2 \r\n");
    // A statement run through ExecSQL with a marker more than there are parameters.
    EXPECT_THROW(q.SwapParams("a = ? AND b = ? AND c = ?"), EDatabaseError);
}

TEST(QueryExec, EmptyTextGivesMinusOneAndNoConnectionRaises)
{
    TVQuery q;
    q.ExecSQL(AnsiString("  "));
    EXPECT_EQ(q.RowsAffected(), -1);
    try {
        q.ExecSQL(AnsiString("DELETE FROM t"));
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("No connection"), std::string::npos) << e.what();
    }
    EXPECT_EQ(q.RowsAffected(), -1);
}

TEST(QueryExec, MarkerMismatchRaisesBeforeAnythingRuns)
{
    TVQuery q;
    q.SetConnection("Provider=SQLite;Data Source=:memory:");
    SetSQL(q, "CREATE TABLE t (a INTEGER)");
    q.ExecSQL();
    EXPECT_THROW(q.ExecSQL(AnsiString("INSERT INTO t VALUES (?)")), EDatabaseError);
    q.ExecSQL(AnsiString("INSERT INTO t VALUES ('?')"));
    EXPECT_EQ(q.RowsAffected(), 1);
}

TEST(TableName, BlanksAreQuotedAndAChangeClearsSortAndFilter)
{
    TVTable t;
    t.SetSortStr("a ASC");
    t.SetFilterStr("a = 1");
    t.SetTableName("Orders");
    EXPECT_EQ(t.CommandText(), "Orders");
    EXPECT_EQ(t.Sort(), "a ASC");
    EXPECT_EQ(t.Filter(), "a = 1");
    t.SetTableName("Order Details");
    EXPECT_EQ(t.CommandText(), "\"Order Details\"");
    EXPECT_EQ(t.Sort(), "");
    EXPECT_EQ(t.Filter(), "");
}

TEST(DataLinks, CircularLinksAreRefused)
{
    TVTable a, b;
    TVQuery q;
    TDataSource sa(nullptr), sb(nullptr), sq(nullptr);
    sa.SetDataSet(&a);
    sb.SetDataSet(&b);
    sq.SetDataSet(&q);
    b.SetDataSource(&sa);
    q.SetDataSource(&sb);
    struct Case {
        const char* Name;
        std::function<void()> Link;
    } cases[] = {
        {"table to itself", [&] { a.SetDataSource(&sa); }},
        {"table to its detail", [&] { a.SetDataSource(&sb); }},
        {"table to the query two links down", [&] { a.SetDataSource(&sq); }},
        {"query to itself", [&] { q.SetDataSource(&sq); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        try {
            c.Link();
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_NE(std::string(e.what()).find("Circular datalinks are not allowed"), std::string::npos);
        }
    }
    EXPECT_EQ(a.GetDataSource(), nullptr);
    EXPECT_EQ(q.GetDataSource(), &sb);
}

// ---- stored form ---------------------------------------------------------------------------------

AnsiString Stored(TComponent& c)
{
    TMemoryStream stream;
    WriteComponent(stream, c);
    stream.SetPosition(0);
    AnsiString bytes(static_cast<std::size_t>(stream.Size()), '\0');
    stream.ReadBuffer(bytes.data(), stream.Size());
    return bytes;
}

std::unique_ptr<TVQuery> Load(const AnsiString& bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
    stream.SetPosition(0);
    auto q = std::make_unique<TVQuery>();
    ReadComponent(stream, q.get());
    return q;
}

TEST(QueryStreaming, SQLParamsAndParamDataReadBackByteForByte)
{
    TVQuery q;
    q.SetName("Query1");
    SetSQL(q, "SELECT * FROM t WHERE a = :A AND b = :B AND c = :C");
    q.ParamByName("A")->SetAsInteger(7);
    q.ParamByName("B")->SetAsString("it's ?");
    q.ParamByName("C")->SetAsDateTime(EncodeDateTime(2024, 1, 5, 15, 4, 5, 0));
    const AnsiString first = Stored(q);
    EXPECT_NE(first.find("ParamData"), AnsiString::npos);

    auto back = Load(first);
    EXPECT_EQ(back->SQL()->Text(), q.SQL()->Text());
    EXPECT_EQ(back->Text(), q.Text());
    EXPECT_TRUE(back->Params()->IsEqual(q.Params()));
    EXPECT_EQ(back->SwapParams(back->Text()), q.SwapParams(q.Text()));
    EXPECT_EQ(Stored(*back), first);
}

TEST(QueryStreaming, DataKeepsItsExactLength)
{
    TStringStream text("object Query1: TVQuery\n"
                       "  Data = {\n"
                       "    0001FF7A05}\n"
                       "end\n");
    TMemoryStream binary;
    ObjectTextToBinary(text, binary);
    binary.SetPosition(0);
    AnsiString bytes(static_cast<std::size_t>(binary.Size()), '\0');
    binary.ReadBuffer(bytes.data(), binary.Size());

    auto q = Load(bytes);
    ASSERT_TRUE(q->BinaryData().has_value());
    EXPECT_EQ(AnsiString(q->BinaryData()->begin(), q->BinaryData()->end()),
              AnsiString("\x00\x01\xFF\x7A\x05", 5));
    // Saved and loaded twice: the same five bytes, not one more per round.
    auto again = Load(Stored(*Load(Stored(*q))));
    ASSERT_TRUE(again->BinaryData().has_value());
    EXPECT_EQ(again->BinaryData()->size(), 5u);
    EXPECT_EQ(Stored(*again), Stored(*q));

    // A new statement drops the bytes kept only for the old one.
    SetSQL(*again, "SELECT 1");
    EXPECT_FALSE(again->BinaryData().has_value());
}

TEST(TableStreaming, NameAndRelationReadBack)
{
    TVTable t;
    t.SetName("Table1");
    t.SetTableName("Order Details");
    t.SetRelation("OrderID = :OrderID");
    TMemoryStream stream;
    WriteComponent(stream, t);
    stream.SetPosition(0);
    TVTable back;
    ReadComponent(stream, &back);
    EXPECT_EQ(back.TableName(), "Order Details");
    EXPECT_EQ(back.CommandText(), "\"Order Details\"");
    EXPECT_EQ(back.Relation(), "OrderID = :OrderID");
    EXPECT_EQ(back.Filter(), "") << "no master: the relation is not applied";
}

TEST(UpdateSQLStreaming, StatementsReadBack)
{
    TVUpdateSQL u;
    u.SetName("Upd1");
    u.ModifySQL()->SetText("UPDATE t SET a = :a WHERE id = :OLD_id");
    u.DeleteSQL()->SetText("DELETE FROM t WHERE id = :OLD_id");
    TMemoryStream stream;
    WriteComponent(stream, u);
    stream.SetPosition(0);
    TVUpdateSQL back;
    ReadComponent(stream, &back);
    EXPECT_EQ(back.ModifySQL()->Text(), u.ModifySQL()->Text());
    EXPECT_EQ(back.InsertSQL()->Text(), "");
    EXPECT_EQ(back.DeleteSQL()->Text(), u.DeleteSQL()->Text());
}

} // namespace
} // namespace vmado
